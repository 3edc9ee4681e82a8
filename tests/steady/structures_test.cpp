#include <gtest/gtest.h>

#include <cmath>

#include "steady/steady.hpp"

namespace riv {
namespace {

TEST(Structures, WeirFreeSubmergedAndDry) {
  EXPECT_NEAR(rqweir(1.0f, 0.0f, 10.0f, 0.58f), 17.11f, 1e-3);
  EXPECT_NEAR(rqweir(0.0f, 1.0f, 10.0f, 0.58f), -17.11f, 1e-3);
  EXPECT_EQ(rqweir(1.0f, 1.0f, 10.0f, 0.58f), 0.0f);                               // drowned
  EXPECT_EQ(rqweir(1.0f, -0.5f, 10.0f, 0.58f), rqweir(1.0f, 0.0f, 10.0f, 0.58f));  // free
  EXPECT_EQ(rqweir(-1.0f, 0.0f, 10.0f, 0.58f), 0.0f);
  // Partial submergence: (1 - 0.5^3)^(1/3) of the free discharge.
  EXPECT_NEAR(rqweir(2.0f, 1.0f, 3.0f, 0.6f) / rqweir(2.0f, 0.0f, 3.0f, 0.6f),
              std::cbrt(1.0 - 0.125), 1e-5);
}

TEST(Structures, GateOrificeAndWeirFlow) {
  // Opening 1 above a head of 1.2: the gate is out of the water.
  EXPECT_FLOAT_EQ(rqgate(1.2f, 0.0f, 1.2f, 4.0f, 1.0f, 0.62f), rqweir(1.2f, 0.0f, 4.0f, 0.58f));
  const float q = rqgate(3.0f, 0.0f, 3.0f, 2.0f, 0.5f, 0.62f);
  EXPECT_NEAR(q, 2.0 * 0.31 * std::sqrt(19.62 * 2.69), 1e-4);
  EXPECT_EQ(rqgate(3.0f, 0.0f, 3.0f, 2.0f, 0.0f, 0.62f), 0.0f);
  // Contraction coefficient never above 1.
  EXPECT_NEAR(rqgate(3.0f, 0.0f, 0.4f, 1.0f, 0.5f, 0.62f), 0.5 * std::sqrt(19.62 * 2.5), 1e-4);
}

TEST(Structures, CulvertFlowTypes) {
  int it = 7;
  EXPECT_EQ(rqculv(2.0f, 2.0f, 2.0f, 2.0f, 1.0f, -1.0f, 10.0f, 50.0f, 0.5f, it), 0.0f);
  EXPECT_EQ(it, 0);

  // Rectangular barrel, shallow inflow, free outfall: inlet control.
  it = 0;
  float q = rqculv(0.8f, -5.0f, 0.7f, -5.0f, 2.0f, 1.5f, 10.0f, 60.0f, 0.5f, it);
  EXPECT_EQ(it, 1);
  EXPECT_NEAR(q, 0.544 * 2.0 * std::sqrt(9.81 * 0.8 * 0.8 * 0.8), 1e-4);

  // Circular barrel with a drowned inlet and a large head: orifice flow.
  it = 0;
  q = rqculv(3.0f, 1.0f, 3.0f, 1.0f, 1.0f, -1.0f, 10.0f, 50.0f, 0.5f, it);
  EXPECT_EQ(it, 3);
  const double orifice = rqgate(3.0f, 1.0f, 3.0f, 1.0f, 1.0f, 0.62f) * 0.7854;
  EXPECT_NEAR(q, orifice, 2e-3);

  // Long rough barrel: friction governs with a full barrel.
  it = 0;
  q = rqculv(3.0f, 2.5f, 3.0f, 2.5f, 1.0f, -1.0f, 500.0f, 30.0f, 0.5f, it);
  EXPECT_EQ(it, 4);
  const double r = 500.0 / (900.0 * std::pow(0.25, 1.3333)) + 1.5 * 0.051;
  EXPECT_NEAR(q, 0.7854 * std::sqrt(0.5 / r), 1e-4);
}

TEST(Structures, SwappingSidesOnlyChangesTheSign) {
  const float heads[][2] = {{1.3f, 0.4f}, {2.0f, -1.0f}, {0.2f, 0.1f}, {4.0f, 3.0f}};
  for (const auto& h : heads) {
    EXPECT_EQ(rqweir(h[0], h[1], 5.0f, 0.6f), -rqweir(h[1], h[0], 5.0f, 0.6f));
    EXPECT_EQ(rqgate(h[0], h[1], h[0], 5.0f, 0.4f, 0.62f),
              -rqgate(h[1], h[0], h[0], 5.0f, 0.4f, 0.62f));
    for (float hc : {-1.0f, 1.2f}) {
      int i1 = 0, i2 = 0;
      const float a = rqculv(h[0], h[1], h[0], h[1], 1.0f, hc, 20.0f, 60.0f, 0.5f, i1);
      const float b = rqculv(h[1], h[0], h[1], h[0], 1.0f, hc, 20.0f, 60.0f, 0.5f, i2);
      EXPECT_EQ(a, -b);
      EXPECT_EQ(i1, i2);
    }
  }
}

}  // namespace
}  // namespace riv
