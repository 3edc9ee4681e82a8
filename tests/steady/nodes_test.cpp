#include <cmath>

#include "numerics/numerics.hpp"
#include "sections/sections.hpp"
#include "steady/branch_fixture.hpp"

namespace riv {
namespace {

using test::BranchTest;

class Nodes : public BranchTest {
 protected:
  // Two positions of a 10 m rectangle, the lower one shifted by dz.
  void two(float dz = 0.0f) {
    rect("R", 10.0f, 5.0f);
    pos("R", 0.0f, dz);
    pos("R", 100.0f, dz);
  }
  void table(int n) {
    int isec = 0, it = 0;
    FStr<8> nm = cchar.secnam(n);
    csinq(isec, nm.span());
    cstab(isec, creach.dzsec(n), 0.0f, it);
  }
  float area_at(float z) {
    float s;
    int ie;
    return rmint1(ccs.ntabv, ccs.ztab.data(), ccs.atab.data(), z, s, ie);
  }
};

TEST_F(Nodes, CriticalAndFroudeLevels) {
  two(2.0f);
  const double hc = std::cbrt(20.0 * 20.0 / (9.81 * 10.0001 * 10.0001));
  EXPECT_NEAR(zcrit(2, 20.0f, 1.0f), 2.0 + hc, 1.5e-3);
  EXPECT_NEAR(zcrit(2, 0.0f, 1.0f), 2.0, 1.5e-3);

  // A Froude value is a Froude number: Q^2 B / (g A^3) = 0.5^2.
  creach.qsec(2) = 20.0f;
  value(2, kTabCritical, 0.5f);
  int istat = 0;
  const double h = std::cbrt(400.0 / (9.81 * 0.25 * 10.0001 * 10.0001));
  EXPECT_NEAR(znode(2, -1e10f, istat), 2.0 + h, 1.5e-3);
  EXPECT_EQ(istat, 0);
}

TEST_F(Nodes, GivenLevelBelowCriticalAndCriticalCondition) {
  two();
  creach.qsec(1) = creach.qsec(2) = 20.0f;
  const float zc = zcrit(2, 20.0f, 1.0f);
  value(2, kTabLevel, 0.3f);
  value(0, kTabLevel, 0.3f);
  value(1, kTabCritical, 1.0f);
  int istat = 0;
  EXPECT_FLOAT_EQ(znode(2, -1e10f, istat), zc);
  EXPECT_EQ(istat, 1);
  istat = 0;
  EXPECT_FLOAT_EQ(znode(0, -1e10f, istat), 0.3f);  // the upstream end keeps the given level
  EXPECT_EQ(istat, 1);
  // Critical at 1, unless the level already computed downstream is higher.
  creach.zwl(2) = 0.2f;
  istat = 0;
  EXPECT_NEAR(znode(1, -1e10f, istat), zc, 1e-6);
  EXPECT_EQ(istat, 1);
  creach.zwl(2) = 3.0f;
  EXPECT_FLOAT_EQ(znode(1, -1e10f, istat), 3.0f);
}

TEST_F(Nodes, SlopeConditionSmoothsDischargeAndUsesThePlacedSection) {
  two(1.5f);
  value(2, kTabSlope, 0.001f);
  creach.qsec(2) = 30.0f;
  int istat = 0;
  const float z1 = znode(2, -1e10f, istat);
  EXPECT_EQ(istat, 0);
  EXPECT_FLOAT_EQ(qsv, 30.0f);
  EXPECT_NEAR(z1, 1.5 + normal_depth(30, 10, 0, 30, 0.001), 5e-3);
  creach.qsec(2) = 60.0f;
  const float z2 = znode(2, -1e10f, istat);
  EXPECT_FLOAT_EQ(qsv, 45.0f);
  EXPECT_NEAR(z2, 1.5 + normal_depth(45, 10, 0, 30, 0.001), 5e-3);
}

TEST_F(Nodes, WeirPassesDischargeAtKnownHead) {
  section("W", {0, 0, 100, 100}, {110, 90, 90, 110});  // wide and deep: slow approach
  pos("W", 0.0f, 0.0f);
  pos("W", 100.0f, 0.0f);
  structure(1, kTabWeir, 100.0f, 10.0f, 0.58f);
  creach.qsec(1) = 17.11f;
  int istat = -1;
  EXPECT_EQ(znode(1, -1e10f, istat), 0.0f);  // level conditions only: none here
  EXPECT_EQ(istat, -1);
  table(1);
  istat = 0;
  const float z = znode(1, -1e10f, istat);
  EXPECT_EQ(istat, 2);
  const float a = area_at(z);
  EXPECT_NEAR(z + (17.11f / a) * (17.11f / a) / 19.62f, 101.0, 1e-3);
}

TEST_F(Nodes, InflowsSumOnceAtAStructure) {
  section("W", {0, 0, 100, 100}, {110, 90, 90, 110});
  pos("W", 0.0f, 0.0f);
  pos("W", 100.0f, 0.0f);
  value(1, kTabInflow, 2.0f, 1, 0.5f);
  value(1, kTabInflow, 3.0f, 2, 0.7f);
  int kt;
  float vl;
  EXPECT_FLOAT_EQ(qnode(1, kt, vl), 5.0f);
  EXPECT_EQ(kt, 2);
  EXPECT_FLOAT_EQ(vl, 0.7f);
  EXPECT_EQ(qnode(0, kt, vl), 0.0f);
  EXPECT_EQ(kt, -1);

  // The weir passes the position's discharge less the local inflow of 5.
  structure(1, kTabWeir, 100.0f, 10.0f, 0.58f);
  creach.qsec(1) = 22.11f;
  table(1);
  int istat = 0;
  const float z = znode(1, -1e10f, istat);
  const float a = area_at(z);
  EXPECT_NEAR(z + (22.11f / a) * (22.11f / a) / 19.62f, 101.0, 1e-3);

  // Time tables are read at tstart.
  cond(0, kTabInflow, {{0.0f, 10.0f}, {10.0f, 30.0f}}, 1);
  cunit.tstart = 5.0f;
  EXPECT_FLOAT_EQ(qnode(0, kt, vl), 20.0f);
}

}  // namespace
}  // namespace riv
