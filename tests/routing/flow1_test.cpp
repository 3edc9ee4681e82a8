#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "routing/routing.hpp"
#include "steady/branch_fixture.hpp"

// Counts the allocations of the whole test program, so that a test can check
// that a routing step allocates nothing.
namespace {
std::atomic<long> g_allocs{0};
}
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t n) {
  ++g_allocs;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace riv {
namespace {

// A rectangular channel 20 m wide, 21 positions 500 m apart on slope 0.0005,
// 50 m3/s from upstream and a given level 3.0 m at the end (above normal
// depth, about 1.8 m).
class RoutingStep : public test::BranchTest {
 protected:
  void channel() {
    rect("R", 20.0f, 8.0f);
    reach("R", 21, 500.0f, 0.0005f);
    value(0, kTabInflow, 50.0f, 1);
  }
  int steady() {
    const int ierr = run();
    for (int n = 1; n <= creach.nsec; ++n) z0[n] = creach.zwl(n);
    return ierr;
  }
  int step() {
    cunit.tstart += cunit.dtime;
    testing::internal::CaptureStdout();
    const int st = flow1(iter, dz, dq);
    out = testing::internal::GetCapturedStdout();
    return st;
  }
  int iter = -1;
  float dz = -1.0f, dq = -1.0f;
  float z0[mxbr + 1]{};
};

TEST_F(RoutingStep, SteadyStartStaysSteadyWithoutAllocation) {
  // Uniform flow (energy form of the steady solver) and a backwater curve
  // solved with the momentum form: both are steady states of the step.
  const float hn = static_cast<float>(normal_depth(50.0, 20.0, 0.0, 30.0, 0.0005));
  for (int lmomen : {0, 1}) {
    SetUp();
    channel();
    value(21, kTabLevel, lmomen ? 3.0f : hn);
    ccs.lmomen = lmomen;
    ASSERT_EQ(steady(), 0);
    ASSERT_EQ(step(), 0);
    EXPECT_EQ(iter, 1);
    EXPECT_LT(dz, 0.001f);
    EXPECT_LT(dq, 0.1f);
    const long before = g_allocs.load();
    for (int k = 0; k < 20; ++k) {
      ASSERT_EQ(flow1(iter, dz, dq), 0);
      EXPECT_EQ(iter, 1);
    }
    EXPECT_EQ(g_allocs.load(), before);
    for (int n = 1; n <= 21; ++n) {
      EXPECT_NEAR(creach.zwl(n), z0[n], 0.002) << n;
      EXPECT_NEAR(creach.qsec(n), 50.0, 0.1) << n;
    }
    // The new state carries the section properties at the new level.
    const float a1 = 20.0f * (creach.zwl(1) - creach.dzsec(1));
    EXPECT_NEAR(creach.asec(1), a1, 1e-3);
    EXPECT_NEAR(creach.rsec(1), a1 / (20.0f + 2.0f * a1 / 20.0f), 1e-4);
  }
}

TEST_F(RoutingStep, LevelChangeIsLimitedPerStep) {
  channel();
  // The level jumps from 3.0 to 4.0 just after the start and falls back to
  // 2.9 later; with 0.1 m/h and 0.1 h the end level moves 0.01 m per step.
  cond(21, kTabLevel, {{0.0f, 3.0f}, {0.01f, 4.0f}, {10.0f, 4.0f}, {10.01f, 2.9f}});
  ASSERT_EQ(steady(), 0);
  for (int k = 1; k <= 3; ++k) {
    const float zp = creach.zwl(21);
    ASSERT_EQ(step(), 0);
    EXPECT_NEAR(creach.zwl(21) - zp, 0.01, 1e-5) << k;
  }
  cinput.vcontr = 100.0f;  // no limit: the target is reached at once
  ASSERT_EQ(step(), 0);
  EXPECT_NEAR(creach.zwl(21), 4.0, 1e-5);
  cinput.vcontr = 0.5f;
  cunit.tstart = 10.0f;
  ASSERT_EQ(step(), 0);
  EXPECT_NEAR(creach.zwl(21), 4.0 - 0.05, 1e-5);
}

TEST_F(RoutingStep, InnerDischargeAndInflowHydrographs) {
  channel();
  value(21, kTabLevel, 3.0f);
  value(8, kTabInflow, 10.0f, 2);  // inflow on the right after position 8
  ccs.lmomen = 1;
  cond(14, kTabInflow, {{0.0f, 0.0f}, {0.1f, 0.0f}, {0.15f, 30.0f}, {0.25f, 30.0f}, {0.3f, -1.0f}},
       3);
  ASSERT_EQ(steady(), 0);
  EXPECT_NEAR(creach.qsec(9), 60.0, 1e-3);
  // Zero imposed discharge at the start: the momentum equation stays and
  // the inflow enters the continuity of reach 8-9.
  ASSERT_EQ(step(), 0);
  EXPECT_NEAR(creach.qsec(9) - creach.qsec(8), 10.0, 0.1);
  EXPECT_NEAR(creach.qsec(14), 60.0, 0.5);
  // 30 m3/s imposed at position 14.
  ASSERT_EQ(step(), 0);
  EXPECT_NEAR(creach.qsec(14), 30.0, 1e-3);
  EXPECT_GT(creach.zwl(13), z0[13] + 0.001f);  // water stored above it
  // A negative value falls back to the momentum equation.
  cunit.tstart = 0.3f - cunit.dtime;
  ASSERT_EQ(step(), 0);
  EXPECT_GT(creach.qsec(14), 31.0f);
}

// Steady inflow through each kind of internal condition, started from the
// backwater state, stays there over 100 steps (the step evaluates the
// sections directly, the backwater solver interpolates in their tables).
// The structures sit at position 11 (bed 2.5 m), with a drop of 2 m below
// them and a given level at the end; the plain channel ends in an hq curve
// or in normal depth. Where the flow over the structure is free, the level above it is
// the one its formula gives for 50 m3/s.
TEST_F(RoutingStep, SteadyFlowThroughStructuresStaysAtTheBackwaterLevels) {
  const float g = 9.81f;
  // (case, downstream level, upstream energy level from the formula or 0)
  const float hweir = std::pow(50.0f / (2.95f * 0.58f * 20.0f), 2.0f / 3.0f);
  const float ae = 0.62f * 0.8f, hgate = ae + std::pow(50.0f / (20.0f * ae), 2.0f) / 19.62f;
  const struct {
    const char* name;
    float zend, eup;
  } cases[] = {{"weir free", 1.0f, 3.0f + hweir},
               {"weir submerged", 4.2f, 0.0f},
               {"gate", 1.0f, 2.5f + hgate},
               {"culvert", 1.0f, 0.0f},
               {"hq end", 0.0f, 0.0f},
               {"slope end", 0.0f, 0.0f}};
  for (const auto& c : cases) {
    SetUp();
    channel();
    const std::string name = c.name;
    const bool end = name.find("end") != std::string::npos;
    for (int n = 12; n <= 21 && !end; ++n) creach.dzsec(n) -= 2.0f;
    if (name.rfind("weir", 0) == 0) structure(11, kTabWeir, 3.0f, 20.0f, 0.58f);
    if (name == "gate") structure(11, kTabGate, 2.5f, 20.0f, 0.8f);
    if (name == "culvert") culvert(11, 2.5f, 6.0f, 2.5f, 60.0f, 0.5f);
    if (name == "hq end")
      cond(21, kTabHq, {{0.0f, 0.0f}, {2.0f, 40.0f}, {2.5f, 60.0f}, {5.0f, 300.0f}});
    else if (name == "slope end")
      value(21, kTabSlope, 0.0005f);
    else
      value(21, kTabLevel, c.zend);
    ASSERT_EQ(steady(), 0) << name;
    float zdev = 0.0f, qdev = 0.0f, qlast = 0.0f;
    for (int k = 1; k <= 100; ++k) {
      ASSERT_EQ(step(), 0) << name;
      EXPECT_LT(iter, 10) << name << " step " << k;
      for (int n = 1; n <= 21; ++n) {
        zdev = std::max(zdev, std::fabs(creach.zwl(n) - z0[n]));
        qdev = std::max(qdev, std::fabs(creach.qsec(n) - 50.0f));
      }
      // No odd-even oscillation at a normal-depth end.
      if (k > 1 && name == "slope end") {
        EXPECT_NEAR(creach.qsec(21), qlast, 1e-3) << name << " step " << k;
      }
      qlast = creach.qsec(21);
    }
    EXPECT_LT(zdev, 0.005f) << name;
    EXPECT_LT(qdev, 0.5f) << name;
    std::printf("%-15s largest level change %.1f mm, discharge %.3f m3/s\n", c.name, 1000.0f * zdev,
                qdev);
    if (c.eup > 0.0f) {
      const float v = 50.0f / creach.asec(11);
      EXPECT_NEAR(creach.zwl(11) + v * v / (2.0f * g), c.eup, 0.01f) << name;
    }
    // hq: 50 m3/s at level 2.25 of the curve.
    if (name == "hq end") {
      EXPECT_NEAR(creach.zwl(21), 2.25f, 0.003f);
    }
  }
}

// A side weir 10 m wide with its crest 0.3 m below the steady level at
// position 11 spills over its crest into free air: once the flow has
// settled, the branch below carries that much less.
TEST_F(RoutingStep, SideWeirTakesItsOverflowOutOfTheBranch) {
  channel();
  value(21, kTabLevel, 3.0f);
  ASSERT_EQ(steady(), 0);
  structure(11, kTabSideWeir, z0[11] - 0.3f, 10.0f, 0.58f);
  for (int k = 0; k < 300; ++k) ASSERT_EQ(step(), 0);
  const float h = creach.zwl(11) - (z0[11] - 0.3f);
  const float spill = 2.95f * 0.58f * 10.0f * h * std::sqrt(h);
  EXPECT_GT(spill, 1.0f);
  EXPECT_NEAR(creach.qsec(12), 50.0f - spill, 0.02f * spill);
  EXPECT_NEAR(creach.qsec(11), 50.0f, 0.1f);
}

}  // namespace
}  // namespace riv
