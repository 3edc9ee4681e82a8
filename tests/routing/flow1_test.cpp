#include <atomic>
#include <cmath>
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
    for (int n = 1; n <= creach.nsec; ++n) {
      z0[n] = creach.zwl(n);
      q0[n] = creach.qsec(n);
    }
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
  float z0[mxbr + 1]{}, q0[mxbr + 1]{};
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
  cond(14, kTabInflow,
       {{0.0f, 0.0f}, {0.1f, 0.0f}, {0.15f, 30.0f}, {0.25f, 30.0f}, {0.3f, -1.0f}}, 3);
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

TEST_F(RoutingStep, LastSectionWithoutUsableCondition) {
  channel();
  structure(21, kTabWeir, 1.0f, 20.0f, 0.58f);  // a weir: not evaluated by the step
  ASSERT_EQ(steady(), 0);
  EXPECT_EQ(step(), 1);
  EXPECT_EQ(iter, 0);
  EXPECT_NE(out.find("missing downstream boundary condition"), std::string::npos);
  for (int n = 1; n <= 21; ++n) {
    EXPECT_EQ(creach.zwl(n), z0[n]);
    EXPECT_EQ(creach.qsec(n), q0[n]);
  }
  // An imposed discharge at the end is a usable condition.
  value(21, kTabInflow, 50.0f, 3);
  EXPECT_EQ(step(), 0);
  EXPECT_NEAR(creach.qsec(21), 50.0, 1e-3);
}

}  // namespace
}  // namespace riv
