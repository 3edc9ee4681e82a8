#include <gtest/gtest.h>

#include <cmath>

#include "model/model.hpp"
#include "sediment/sediment.hpp"

namespace riv {
namespace {

class Bedload : public ::testing::Test {
 protected:
  void SetUp() override {
    model_init();
    ccs.area = 40.0f;  // e.g. 20 m wide, 2 m deep
    ccs.conv = 1200.0f;
  }
  // Grain Shields value by hand, in double.
  static double theta(double s) {
    const double kr = 21.0 / std::pow(0.3, 1.0 / 6.0);
    const double rg = std::pow(1200.0 / (kr * 40.0), 1.5);
    return s * rg / (1.65 * 0.05);
  }
  int iarm = -1;
};

TEST_F(Bedload, ExcessShearFormulaByHand) {
  const double s = 0.01, th = theta(s);
  const double q = 8 * std::pow(0.85 * th - 0.047, 1.5) * std::sqrt(1.65 * 9.81 * 0.05) * 0.05;
  EXPECT_NEAR(qbprof(0.01f, 0.0f, 1, iarm), q, 1e-4 * q);
  EXPECT_NEAR(cbedevol.shld, th, 1e-4 * th);
  EXPECT_NEAR(cbedevol.shlda, std::pow(6.0, 0.67) * 0.047, 1e-6);
  EXPECT_EQ(iarm, 1);  // theta' = 0.106 below the threshold 0.156
  // Below the critical value nothing moves.
  const float s0 = static_cast<float>(0.9 * 0.047 / 0.85 / theta(1.0));
  EXPECT_EQ(qbprof(s0, 0.0f, 1, iarm), 0.0f);
  EXPECT_GT(qbprof(s0 * 1.2f, 0.0f, 1, iarm), 0.0f);
}

TEST_F(Bedload, SteepSlopeFormulaByHandAndWilcockSame) {
  const double s = 0.02, th = theta(s), rg = th * 1.65 * 0.05 / s;
  const double q = 4 / 1.65 * std::pow(30.0, 0.2) * std::pow(s, 1.6) * (1200 * std::sqrt(s) / 40) *
                   rg * (1 - 0.047 / th);
  EXPECT_NEAR(qbprof(0.02f, 0.0f, 2, iarm), q, 1e-4 * q);
  EXPECT_EQ(qbprof(0.02f, 0.0f, 3, iarm), qbprof(0.02f, 0.0f, 2, iarm));
  EXPECT_EQ(qbprof(0.0f, 0.0f, 2, iarm), 0.0f);
}

TEST_F(Bedload, BedSlopeAndArmouringThreshold) {
  qbprof(0.01f, 1.0f, 1, iarm);  // bed at the angle of repose
  EXPECT_EQ(cbedevol.shlda, 0.0f);
  EXPECT_EQ(iarm, 0);
  qbprof(0.01f, -0.2f, 1, iarm);  // rising bed: harder to move
  EXPECT_GT(cbedevol.shlda, std::pow(6.0, 0.67) * 0.047);
  // Grain Shields value exactly at the threshold counts as armoured.
  cbedevol.d90def = cbedevol.dmdef;
  qbprof(0.01f, 0.0f, 1, iarm);
  cbedevol.thcrit = cbedevol.shld;
  qbprof(0.01f, 0.0f, 1, iarm);
  EXPECT_EQ(cbedevol.shld, cbedevol.shlda);
  EXPECT_EQ(iarm, 1);
}

TEST_F(Bedload, DrySectionAndMissingGrainSizesStayFinite) {
  ccs.area = 0.0f;
  ccs.conv = 0.0f;
  EXPECT_EQ(qbprof(0.01f, 0.0f, 2, iarm), 0.0f);
  ccs.area = 40.0f;
  ccs.conv = 1200.0f;
  cbedevol.d30def = cbedevol.dmdef = cbedevol.d90def = 0.0f;  // not given
  for (int f = 1; f <= 2; ++f) {
    EXPECT_TRUE(std::isfinite(qbprof(0.01f, 0.0f, f, iarm)));
    EXPECT_TRUE(std::isfinite(cbedevol.shld));
  }
}

}  // namespace
}  // namespace riv
