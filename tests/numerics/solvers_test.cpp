#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sys/wait.h>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "input/input.hpp"
#include "numerics/numerics.hpp"

using namespace riv;

namespace {

using Dense = std::vector<std::vector<double>>;

// Gaussian elimination with partial pivoting on a full matrix.
std::vector<double> dense_solve(Dense A, std::vector<double> b) {
  const int n = static_cast<int>(b.size());
  for (int k = 0; k < n; ++k) {
    int p = k;
    for (int i = k + 1; i < n; ++i)
      if (std::fabs(A[i][k]) > std::fabs(A[p][k])) p = i;
    std::swap(A[k], A[p]);
    std::swap(b[k], b[p]);
    for (int i = k + 1; i < n; ++i) {
      double d = A[i][k] / A[k][k];
      for (int j = k; j < n; ++j) A[i][j] -= d * A[k][j];
      b[i] -= d * b[k];
    }
  }
  for (int i = n - 1; i >= 0; --i) {
    for (int j = i + 1; j < n; ++j) b[i] -= A[i][j] * b[j];
    b[i] /= A[i][i];
  }
  return b;
}

// Band storage a(np, m1+m2+1); places outside the matrix hold junk that the
// solver must ignore.
std::vector<double> to_band(const Dense& A, int np, int m1, int m2) {
  const int n = static_cast<int>(A.size()), mm = m1 + m2 + 1;
  std::vector<double> a(static_cast<size_t>(np) * mm, 777.0);
  for (int i = 0; i < n; ++i)
    for (int j = std::max(0, i - m1); j <= std::min(n - 1, i + m2); ++j)
      a[i + (j - i + m1) * np] = A[i][j];
  return a;
}

std::vector<int> indx;  // row interchanges of the last band_solve

std::vector<double> band_solve(const Dense& A, std::vector<double> b, int m1, int m2, int np,
                               int iunit = 41) {
  const int n = static_cast<int>(b.size());
  auto a = to_band(A, np, m1, m2);
  std::vector<double> al(static_cast<size_t>(np) * std::max(m1, 1));
  indx.assign(n, 0);
  mbsolv(n, a.data(), np, m1, m2, b.data(), al.data(), indx.data(), iunit);
  return b;
}

int count(const std::string& text, const std::string& what) {
  int c = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++c;
  return c;
}

// Program ends through the diagnostics; their exit status is theirs to choose.
bool exited(int status) { return WIFEXITED(status); }

std::string slurp(const char* name) {
  std::ifstream f(name);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

}  // namespace

TEST(Mbsolv, DiagonalAndRowInterchange) {
  auto x = band_solve({{2, 0}, {0, -4}}, {3, 2}, 0, 0, 2);
  EXPECT_DOUBLE_EQ(x[0], 1.5);
  EXPECT_DOUBLE_EQ(x[1], -0.5);
  // Zero diagonal in the first row, a larger entry below it; solution (1, 2, 3).
  x = band_solve({{0, 1, 0}, {2, 1, 1}, {0, 1, 3}}, {2, 7, 11}, 1, 1, 3);
  EXPECT_NEAR(x[0], 1, 1e-14);
  EXPECT_NEAR(x[1], 2, 1e-14);
  EXPECT_NEAR(x[2], 3, 1e-14);
  EXPECT_EQ(indx, (std::vector<int>{2, 2, 3}));
  // Equal magnitudes keep the upper row as pivot.
  x = band_solve({{1, 1}, {-1, 1}}, {2, 0}, 1, 1, 2);
  EXPECT_EQ(indx, (std::vector<int>{1, 2}));
  EXPECT_NEAR(x[0], 1, 1e-15);
  EXPECT_NEAR(x[1], 1, 1e-15);
}

TEST(Mbsolv, RandomBandSystemsMatchDenseSolve) {
  std::mt19937 gen(7);
  std::uniform_real_distribution<double> u(-1, 1);
  const int n = 40;
  for (auto [m1, m2] : {std::pair{3, 2}, {2, 0}, {0, 3}, {1, 1}, {5, 5}}) {
    Dense A(n, std::vector<double>(n, 0.0));
    std::vector<double> b(n);
    for (int i = 0; i < n; ++i) {
      for (int j = std::max(0, i - m1); j <= std::min(n - 1, i + m2); ++j) A[i][j] = u(gen);
      b[i] = u(gen);
    }
    auto ref = dense_solve(A, b);
    auto x = band_solve(A, b, m1, m2, n + 3);
    for (int i = 0; i < n; ++i) EXPECT_NEAR(x[i], ref[i], 1e-9 * (1 + std::fabs(ref[i])));
  }
}

TEST(Mbsolv, NearSingularPivotReportedOnceResultFinite) {
  uopen_memory(41);
  int before = iierr_errors();
  auto x = band_solve({{1e-25, 1, 0}, {0, 1, 1}, {0, 0, 1}}, {1, 2, 1}, 1, 1, 3);
  for (double v : x) EXPECT_TRUE(std::isfinite(v));
  EXPECT_EQ(count(ucontents(41), "**error: mbsolv: matrix is numerically singular"), 1);
  EXPECT_EQ(iierr_errors(), before + 1);
  // A tiny pivot found below the diagonal: the lifted pivot is the one used,
  // so the row swapped out is not divided by a denormal (that overflows).
  uopen_memory(41);
  x = band_solve({{0, 1, 0}, {1e-320, 1e10, 1e10}, {0, 1, 3}}, {1, 2, 3}, 1, 1, 3);
  for (double v : x) EXPECT_TRUE(std::isfinite(v));
  EXPECT_EQ(count(ucontents(41), "mbsolv: matrix is numerically singular"), 1);
  uclose(41);
}

TEST(MbsolvDeathTest, ZeroColumnEndsTheRun) {
  auto zero_column = [] {
    uopen(42, "mbsolv_zero.lst", FStatus::Replace);
    band_solve({{1, 1, 0}, {0, 0, 1}, {0, 0, 1}}, {1, 1, 1}, 1, 1, 3, 42);
  };
  EXPECT_EXIT(zero_column(), exited, "");
  std::string l = slurp("mbsolv_zero.lst");
  EXPECT_EQ(count(l, "**fatal error: mbsolv: matrix is numerically singular"), 1);
  EXPECT_EQ(count(l, "**error:"), 0);
  std::remove("mbsolv_zero.lst");
}

TEST(Mmtri, MatchesDenseSolveAndHandlesOneEquation) {
  double m1[3] = {9, 4, 9}, r1[1] = {2};
  mmtri(1, m1, 3, r1, 41);
  EXPECT_DOUBLE_EQ(r1[0], 0.5);

  std::mt19937 gen(3);
  std::uniform_real_distribution<double> u(-1, 1);
  const int n = 60, ld = 4;
  std::vector<double> m(ld * n, 0.0), r(n);
  Dense A(n, std::vector<double>(n, 0.0));
  for (int j = 0; j < n; ++j) {
    A[j][j] = m[1 + j * ld] = 3 + u(gen);
    if (j > 0) A[j - 1][j] = m[0 + j * ld] = u(gen);
    if (j < n - 1) A[j + 1][j] = m[2 + j * ld] = u(gen);
    r[j] = u(gen);
  }
  auto ref = dense_solve(A, r);
  mmtri(n, m.data(), ld, r.data(), 41);
  for (int i = 0; i < n; ++i) EXPECT_NEAR(r[i], ref[i], 1e-12);
}

TEST(Mmtri, VanishingPivotReportedAndSolved) {
  uopen_memory(41);
  double m[6] = {0, 1, 1, 1, 1, 0}, r[2] = {1, 2};
  mmtri(2, m, 3, r, 41);
  EXPECT_TRUE(std::isfinite(r[0]) && std::isfinite(r[1]));
  EXPECT_EQ(count(ucontents(41), "**error: mmtri: matrix algorithmically singular"), 1);
  uclose(41);
}

TEST(MmtriDeathTest, TooManyEquationsAndZeroFirstElementEndTheRun) {
  // Arrays far too small for 1025 equations: the stop comes before any access.
  auto too_many = [] {
    if (!std::freopen("mmtri_stop.txt", "w", stdout)) return;
    double m[3] = {0, 1, 0}, r[1] = {1};
    mmtri(1025, m, 3, r, 41);
  };
  EXPECT_EXIT(too_many(), testing::ExitedWithCode(2), "");
  EXPECT_EQ(slurp("mmtri_stop.txt"), " mmtri: too many equations\n");
  std::remove("mmtri_stop.txt");

  auto zero_first = [] {
    uopen(42, "mmtri_zero.lst", FStatus::Replace);
    double m[6] = {0, 0, 1, 1, 1, 0}, r[2] = {1, 2};
    mmtri(2, m, 3, r, 42);
  };
  EXPECT_EXIT(zero_first(), exited, "");
  EXPECT_EQ(count(slurp("mmtri_zero.lst"), "**fatal error: mmtri: first element =0"), 1);
  std::remove("mmtri_zero.lst");
}
