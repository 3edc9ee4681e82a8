#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "model/model.hpp"
#include "model/profile.hpp"
#include "sections/sections.hpp"

namespace riv {
namespace {

class Lateral : public ::testing::Test {
 protected:
  void SetUp() override {
    model_init();
    csstore_clear();
    creach.ncs = 1;
    cchar.csname(1) = "wide";
  }
  void put(const std::vector<float>& y, const std::vector<float>& z, std::vector<int> cls = {}) {
    test::store_profile(1, y, z, cls, 2);
    csrea(1, 0.0f);
  }
  int run(float zw, float s, int it = 0) {
    testing::internal::CaptureStdout();
    vdis(1, zw, s, it);
    out = testing::internal::GetCapturedStdout();
    return it;
  }
  bool all_finite() const {
    for (int j = 1; j <= ccs.ng; ++j)
      if (!std::isfinite(ccs.ug(j)) || !std::isfinite(ccs.epsg(j))) return false;
    return std::isfinite(ccs.conv) && std::isfinite(ccs.area);
  }
  std::string out;
};

TEST(LateralDiff, ConductancesAndExchange) {
  const float y[3] = {0, 1, 2}, u[3] = {1, 2, 4}, h[3] = {1, 1, 1}, eps[3] = {0.1f, 0.1f, 0.1f};
  const int dry[3] = {0, 0, 0};
  double m[9], r[3];
  diff(3, y, u, h, eps, 1.0f, dry, 3, m, r);
  // Diagonal m[1], m[4], m[7]; above m[3] (column 2), below m[2] (column 1).
  const std::pair<double, double> want[] = {{m[1], 0.1},  {m[4], 0.2}, {m[7], 0.1}, {m[3], -0.1},
                                            {m[2], -0.1}, {r[0], 0.1}, {r[1], 0.1}, {r[2], -0.2}};
  for (auto [got, w] : want) EXPECT_NEAR(got, w, 1e-7);
  const int dmid[3] = {0, 1, 0};  // a dry point isolates its neighbours
  const float hd[3] = {1, 0, 1};
  diff(3, y, u, hd, eps, 1.0f, dmid, 3, m, r);
  EXPECT_EQ(m[4], 1.0);
  EXPECT_EQ(r[1], 0.0);
  EXPECT_EQ(m[3], 0.0);
  EXPECT_EQ(m[5], 0.0);
}

TEST_F(Lateral, WideRectangleApproachesUniformFlow) {
  const float k = 30, h = 1, s = 0.001f, b = 200;
  put({0, 0, b, b}, {5, 0, 0, 5});
  ccs.ngrid = 1000;
  const int it = run(h, s);
  EXPECT_GT(it, 0);
  EXPECT_LT(it, maxitv);
  EXPECT_TRUE(out.empty());
  const int mid = ccs.ng / 2;
  EXPECT_NEAR(ccs.ug(mid), k * std::pow(h, 2.0 / 3.0) * std::sqrt(s), 0.002);
  EXPECT_NEAR(ccs.area, b * h, 0.01 * b * h);
  const float kl = ccs.conv;
  float zw = h;
  cscnv(zw);
  EXPECT_NEAR(kl, ccs.conv, 0.02 * ccs.conv);
  EXPECT_NEAR(ccs.qcum(ccs.ng), kl * std::sqrt(s), 1e-3);
}

TEST_F(Lateral, ExchangeSlowsMainChannelAndDrivesFloodplain) {
  // Main channel 2 m deep (y 0..50) beside a floodplain 0.5 m deep (50..150).
  put({0, 0, 50, 50, 150, 150}, {5, 0, 0, 1.5f, 1.5f, 5});
  ccs.ngrid = 1000;
  run(2.0f, 0.001f);
  auto uniform = [](double h) { return 30 * std::pow(h, 2.0 / 3.0) * std::sqrt(0.001); };
  auto u_at = [](float y) {
    int j = 1;
    while (j < ccs.ng && ccs.yg(j) < y) ++j;
    return ccs.ug(j);
  };
  EXPECT_NEAR(u_at(20), uniform(2), 0.01 * uniform(2));
  EXPECT_LT(u_at(49), 0.97 * uniform(2));
  EXPECT_GT(u_at(51), 1.03 * uniform(0.5));
  EXPECT_NEAR(u_at(120), uniform(0.5), 0.01 * uniform(0.5));
}

TEST_F(Lateral, RoughnessHeightAndVegetation) {
  ccs.kstl(1) = 0.05f;  // roughness height 5 cm
  put({0, 0, 100, 100}, {5, 0, 0, 5});
  run(1.0f, 0.001f);
  const int mid = ccs.ng / 2;
  const double x = 1.0 / 0.05, us = std::sqrt(9.81 * 0.001);
  const double f = 1.0 / ((2.5 * std::log(x) + 6.0) * std::sqrt(1 - 1 / x));
  EXPECT_NEAR(ccs.ug(mid), us / f, 0.01 * us / f);
  const float u0 = ccs.ug(mid);
  ccs.vegl(1) = 0.02f;
  csrea(1, 0.0f);
  run(1.0f, 0.001f);
  EXPECT_NEAR(ccs.ug(mid), us / std::sqrt(0.02 * 0.5 + f * f), 0.01 * u0);
}

TEST_F(Lateral, DryLevelsAndWholeProfileGrid) {
  put({0, 2, 8, 10}, {5, 0, 0, 5});
  EXPECT_EQ(run(-1.0f, 0.001f), 0);
  EXPECT_EQ(ccs.ng, 0);
  EXPECT_EQ(ccs.conv, 0.0f);
  // Forced over the whole profile: the grid reaches the dry bank points.
  run(1.0f, 0.001f, -2);
  EXPECT_FLOAT_EQ(ccs.yg(1), 0.0f);
  EXPECT_FLOAT_EQ(ccs.yg(ccs.ng), 10.0f);
  EXPECT_EQ(ccs.ug(1), 0.0f);
  EXPECT_GT(ccs.conv, 0.0f);
  const float kw = ccs.conv;
  run(1.0f, 0.001f);  // only the wetted range: the same flow
  EXPECT_NEAR(ccs.conv, kw, 0.02 * kw);
}

TEST_F(Lateral, DegenerateProfilesStayFinite) {
  // Zero Strickler value on part of the bed: no flow there, no NaN.
  ccs.kstl(3) = 0.0f;
  put({0, 0, 4, 6, 10, 10}, {5, 0, 0, 0, 0, 5}, {1, 1, 3, 1, 1, 1});
  run(1.0f, 0.001f);
  EXPECT_TRUE(all_finite());
  EXPECT_GT(ccs.conv, 0.0f);
  // Zero slope: no velocities, conveyance of a nominal slope.
  put({0, 0, 10, 10}, {5, 0, 0, 5});
  run(1.0f, 0.001f);
  const float k1 = ccs.conv;
  run(1.0f, 0.0f);
  EXPECT_FLOAT_EQ(ccs.conv, k1);
  EXPECT_EQ(ccs.ug(20), 0.0f);
  // Level wetting only the last point; all points at one level.
  put({0, 5, 10}, {5, 2, 0});
  run(1.0f, 0.001f);
  EXPECT_TRUE(all_finite());
  EXPECT_GT(ccs.conv, 0.0f);
  put({0, 5, 10}, {3, 3, 3});
  EXPECT_EQ(run(3.0f, 0.001f), 0);
  EXPECT_EQ(ccs.ng, 0);
  run(4.0f, 0.001f);
  EXPECT_TRUE(all_finite());
  EXPECT_NEAR(ccs.area, 10.0, 0.5);
  // Overhang: y goes back, warned on the terminal, results finite.
  put({0, 0, 10, 10, 8, 8}, {5, 0, 0, 2, 2, 5});
  run(3.0f, 0.001f);
  EXPECT_EQ(out, " warning: data of section wide     not in ascending order\n");
  EXPECT_TRUE(all_finite());
  // A closed box under water has no lateral extent: trapezoid sum.
  put({0, 0, 2, 2, 0}, {2, 0, 0, 2, 2});
  run(3.0f, 0.001f);
  EXPECT_NEAR(ccs.area, 4.0, 1e-5);
  EXPECT_GT(ccs.conv, 0.0f);
}

}  // namespace
}  // namespace riv
