#include <gtest/gtest.h>

#include <cmath>

#include "numerics/numerics.hpp"

using namespace riv;

namespace {
const float kX[] = {0, 1, 2};
const float kY[] = {10, 20, 40};
using Interp = float (*)(int, const float*, const float*, float, float&, int&);

// Value, slope and status of one interpolation.
void expect(Interp f, const float* x, const float* y, float xp, float v, float sl, int st) {
  float s = -99;
  int e = -99;
  EXPECT_FLOAT_EQ(f(3, x, y, xp, s, e), v) << xp;
  EXPECT_FLOAT_EQ(s, sl) << xp;
  EXPECT_EQ(e, st) << xp;
}
}  // namespace

TEST(Interp, InsideAndOutsideTheTable) {
  expect(rmint, kX, kY, 1.5f, 30, 20, 0);
  expect(rmint, kX, kY, -1, 10, 0, 2);
  expect(rmint, kX, kY, 3, 40, 0, 3);
  // rmint1 holds y(1) below and extends the last interval above.
  expect(rmint1, kX, kY, -1, 10, 0, 2);
  expect(rmint1, kX, kY, 3, 60, 20, 3);
  // rmint0 extends both end intervals, also of a descending table, unreported.
  expect(rmint0, kX, kY, -1, 0, 10, 0);
  expect(rmint0, kX, kY, 3, 60, 20, 0);
  const float xd[] = {2, 1, 0}, yd[] = {40, 20, 10};
  expect(rmint0, xd, yd, 1.5f, 30, 20, 0);
  expect(rmint0, xd, yd, -1, 0, 10, 0);
  expect(rmint0, xd, yd, 3, 60, 20, 0);
}

TEST(Interp, ToleranceBandAtTheEnds) {
  float s;
  int e;
  float v = rmint(3, kX, kY, -0.000005f, s, e);
  EXPECT_EQ(e, 0);
  EXPECT_LT(v, 10);
  v = rmint(3, kX, kY, 2.000005f, s, e);
  EXPECT_EQ(e, 0);
  EXPECT_GT(v, 40);
  rmint(3, kX, kY, -0.00002f, s, e);
  EXPECT_EQ(e, 2);
}

TEST(Interp, UnorderedDuplicateAndSingleTables) {
  const float xu[] = {0, 2, 1};
  float s;
  int e;
  EXPECT_TRUE(std::isfinite(rmint(3, xu, kY, 0.5f, s, e)));
  EXPECT_EQ(e, 4);
  rmint(3, xu, kY, -1, s, e);
  EXPECT_EQ(e, 2);  // outside overrides the order status

  const float xd[] = {0, 1, 1}, x0[] = {0, 0, 1};
  expect(rmint, xd, kY, 1, 20, 0, 0);
  expect(rmint1, xd, kY, 1, 20, 0, 0);
  expect(rmint1, xd, kY, 1.5f, 40, 0, 3);  // no division by the zero interval
  expect(rmint0, x0, kY, -1, 10, 0, 0);

  for (auto f : {rmint, rmint0, rmint1}) {
    s = 5;
    EXPECT_FLOAT_EQ(f(1, kX + 1, kY + 1, 7, s, e), 20);
    EXPECT_EQ(e, 1);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(f(0, kX, kY, 7, s, e), 0);
  }
}

TEST(Interp, SearchesAgreeOnALongUnevenTable) {
  // The bisections must find the same interval as the scan at every point,
  // table points included.
  float x[37], y[37];
  for (int i = 0; i < 37; ++i) {
    x[i] = 0.1f * i * i;
    y[i] = std::sin(0.3f * i);
  }
  for (float xp = 0; xp <= x[36]; xp += 0.35f) {
    float s0, s1, s2;
    int e0, e1, e2;
    float v0 = rmint0(37, x, y, xp, s0, e0);
    EXPECT_NEAR(rmint(37, x, y, xp, s1, e1), v0, 1e-5) << xp;
    EXPECT_NEAR(rmint1(37, x, y, xp, s2, e2), v0, 1e-5) << xp;
    EXPECT_EQ(e1 + e2, 0);
  }
  for (int i = 0; i < 37; ++i) {
    float s;
    int e;
    EXPECT_FLOAT_EQ(rmint(37, x, y, x[i], s, e), y[i]);
    EXPECT_FLOAT_EQ(rmint1(37, x, y, x[i], s, e), y[i]);
  }
}
