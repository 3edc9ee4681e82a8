// Direct solvers in double precision: the banded LU solver used for the
// box-scheme system of a whole branch, and the tridiagonal Thomas solver of
// the lateral velocity distribution and of the mixing model. Both work in the
// caller's arrays only (no allocation); indices in the comments are 1-based.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include "input/input.hpp"
#include "numerics/numerics.hpp"

namespace riv {
namespace {

// Smallest pivot magnitudes accepted; the constants are single precision,
// compared and substituted in double precision.
const double kTinyBand = static_cast<double>(1.0e-20f);

constexpr const char* kBandSingular = "mbsolv: matrix is numerically singular";

// Element (i, j), 1-based, of a column-major array with leading dimension ld.
inline double& at(double* p, int ld, int i, int j) {
  return p[static_cast<std::ptrdiff_t>(i - 1) + static_cast<std::ptrdiff_t>(j - 1) * ld];
}
inline double at(const double* p, int ld, int i, int j) {
  return p[static_cast<std::ptrdiff_t>(i - 1) + static_cast<std::ptrdiff_t>(j - 1) * ld];
}

bool band_ok(int n, int np, int m1, int m2) { return n > 0 && m1 >= 0 && m2 >= 0 && np >= n; }

}  // namespace

void bandec(int n, double* a, int np, int m1, int m2, double* al, int* indx, int iunit) {
  if (!band_ok(n, np, m1, m2)) return;
  const int mm = m1 + m2 + 1;

  // The first m1 rows lack their leftmost entries: shift them left so that
  // every row starts in column 1, and clear the places freed on the right.
  int l = m1;
  for (int i = 1; i <= std::min(m1, n); ++i) {
    for (int j = m1 + 2 - i; j <= mm; ++j) at(a, np, i, j - l) = at(a, np, i, j);
    --l;
    for (int j = mm - l; j <= mm; ++j) at(a, np, i, j) = 0.0;
  }

  // l is the last row with a non-zero entry in the current column.
  l = std::min(m1, n);
  for (int k = 1; k <= n; ++k) {
    if (l < n) ++l;
    double piv = at(a, np, k, 1);
    int ip = k;
    for (int j = k + 1; j <= l; ++j)
      if (std::fabs(at(a, np, j, 1)) > std::fabs(piv)) {
        piv = at(a, np, j, 1);
        ip = j;
      }
    indx[k - 1] = ip;
    if (std::fabs(piv) < kTinyBand) {
      if (piv == 0.0) {
        // No pivot at all in this column: the system has no solution.
        iierr(3, kBandSingular, iunit);
        stop_program(kExitInputErrors);  // not reached: a fatal iierr ends the run
      }
      iierr(2, kBandSingular, iunit);
      // The chosen pivot itself is lifted, so no multiplier can exceed 1.
      at(a, np, ip, 1) = kTinyBand;
    }
    if (ip != k)
      for (int j = 1; j <= mm; ++j) std::swap(at(a, np, k, j), at(a, np, ip, j));
    for (int i = k + 1; i <= l; ++i) {
      double d = at(a, np, i, 1) / at(a, np, k, 1);
      at(al, np, k, i - k) = d;
      for (int j = 2; j <= mm; ++j) at(a, np, i, j - 1) = at(a, np, i, j) - d * at(a, np, k, j);
      at(a, np, i, mm) = 0.0;
    }
  }
}

void banbks(int n, const double* a, int np, int m1, int m2, const double* al, const int* indx,
            double* b) {
  if (!band_ok(n, np, m1, m2)) return;
  const int mm = m1 + m2 + 1;

  // Forward substitution with the row interchanges of the factorisation.
  int l = std::min(m1, n);
  for (int k = 1; k <= n; ++k) {
    int ip = indx[k - 1];
    if (ip != k && ip >= 1 && ip <= n) std::swap(b[k - 1], b[ip - 1]);
    if (l < n) ++l;
    for (int i = k + 1; i <= l; ++i) b[i - 1] -= at(al, np, k, i - k) * b[k - 1];
  }

  // Back substitution with U (diagonal in column 1).
  l = 1;
  for (int i = n; i >= 1; --i) {
    double s = b[i - 1];
    for (int k = 2; k <= l; ++k) s -= at(a, np, i, k) * b[k + i - 2];
    b[i - 1] = s / at(a, np, i, 1);
    if (l < mm) ++l;
  }
}

void mbsolv(int n, double* a, int np, int m1, int m2, double* b, double* al, int* indx, int iunit) {
  if (!band_ok(n, np, m1, m2)) return;
  bandec(n, a, np, m1, m2, al, indx, iunit);
  banbks(n, a, np, m1, m2, al, indx, b);
}

void mmtri(int n, const double* m, int ld, double* r, int iunit) {
  if (n <= 0 || ld < 3) return;
  if (n > kMmtriMax) {
    // The work vector below holds kMmtriMax entries: stop before touching it.
    fwritel(kStdout, {"mmtri: too many equations"});
    stop_program(2);  // ended with a stop message, as a failed run
  }
  double gam[kMmtriMax];
  double bet = at(m, ld, 2, 1);
  if (bet == 0.0) {
    iierr(3, "mmtri: first element =0", iunit);
    stop_program(kExitInputErrors);  // not reached: a fatal iierr ends the run
  }
  r[0] /= bet;
  for (int j = 2; j <= n; ++j) {
    gam[j - 1] = at(m, ld, 1, j) / bet;
    bet = at(m, ld, 2, j) - at(m, ld, 3, j - 1) * gam[j - 1];
    if (std::fabs(bet) < kTinyTri) {
      iierr(2, "mmtri: matrix algorithmically singular", iunit);
      bet = kTinyTri;
    }
    r[j - 1] = (r[j - 1] - at(m, ld, 3, j - 1) * r[j - 2]) / bet;
  }
  for (int j = n - 1; j >= 1; --j) r[j - 1] -= gam[j] * r[j];
}

void mmset(float* a, int n, float v) {
  for (int i = 0; i < n; ++i) a[i] = v;
}

}  // namespace riv
