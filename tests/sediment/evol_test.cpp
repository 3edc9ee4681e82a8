#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "graphics/covered.hpp"
#include "graphics/graphics.hpp"
#include "input/notify.hpp"
#include "input/units.hpp"
#include "model/model.hpp"
#include "sediment/sediment.hpp"
#include "sediment/sedreach.hpp"
#include "steady/steady.hpp"

namespace riv {
namespace {

// The gravel reach of nsec sections on rock 1 m below the bed.
class Evol : public ::testing::Test {
 protected:
  void SetUp() override {
    model_init();
    csstore_clear();
    seddisplay = SedDisplay{};
    ccs.ntabv = 40;
    qsv = -9999.0f;
    uopen_memory(cunit.lulst);
    test::gravel_reach(nsec, 1.0f);
    cunit.dtime = 1.0f;
  }
  void TearDown() override { uclose(cunit.lulst); }

  EvolResult run(float tend) {
    cunit.tend = tend;
    testing::internal::CaptureStdout();
    EvolResult r = evol_run();
    testing::internal::GetCapturedStdout();
    return r;
  }
  // Bed volume gained since the start, solid without pores (m3).
  static double bed_volume() {
    double v = 0.0;
    for (int n = 1; n <= nsec; ++n)
      v += cbedevol.dzb(n) * evol_width(n) * evol_cell(n) / cbedevol.porf;
    return v;
  }
  static constexpr int nsec = 11;
};

TEST_F(Evol, InflowAboveCapacityAggradesUpstreamAndBalances) {
  // Capacity of the uniform reach, then twice that as the imposed inflow.
  run(1.0f);
  const float cap = cbedevol.qs(5);
  ASSERT_GT(cap, 1.0e-4f);
  for (int n = 2; n < nsec; ++n) EXPECT_NEAR(cbedevol.qs(n), cap, 0.05f * cap);
  for (int n = 1; n <= nsec; ++n) cbedevol.dzb(n) = 0.0f;

  cbedevol.qsin = 2.0f * cap / 50.0f;
  const EvolResult r = run(48.0f);
  EXPECT_EQ(r.ierr, 0);
  EXPECT_EQ(r.ndone, 48);
  EXPECT_NEAR(r.vin, 48 * 3600.0 * 2.0 * cap, 1e-3 * r.vin);
  EXPECT_GT(cbedevol.dzb(1), 0.01f);
  EXPECT_GT(cbedevol.dzb(1), cbedevol.dzb(6));
  EXPECT_NEAR(r.vin - r.vout, bed_volume(), 1e-3 * r.vin);
  // Volumes through the sections: the upstream one carries the most.
  EXPECT_GT(cbedevol.vol(1), cbedevol.vol(nsec));
  EXPECT_EQ(cunit.tstart, 0.0f);  // model time restored
}

TEST_F(Evol, ClearWaterDegradesToTheRockAndStops) {
  cbedevol.qsin = 0.0f;
  for (int n = 1; n <= nsec; ++n) cbedevol.drock(n) = 0.05f;
  cunit.dtime = 0.5f;
  const EvolResult r = run(60.0f);
  EXPECT_EQ(r.ierr, 0);
  EXPECT_LT(cbedevol.dzb(1), -0.05f);          // reached the rock ...
  EXPECT_GT(cbedevol.dzb(1), -0.05f - 0.02f);  // ... and at most one step beyond
  for (int n = 1; n <= nsec; ++n) EXPECT_GT(cbedevol.dzb(n), -0.08f) << n;
  const double change = bed_volume();
  EXPECT_NEAR(r.vin - r.vout, change, 1e-3 * std::fabs(change));
  // Capped there: a further run removes nothing from the first cell.
  const float z1 = cbedevol.dzb(1);
  run(5.0f);
  EXPECT_GE(cbedevol.dzb(1), z1 - 1e-6f);
}

TEST_F(Evol, FastBedWavesAreSplitAndARunawayBedStopsTheRun) {
  // Clear water: one step of 400 h, far beyond the bed-wave Courant limit,
  // is split and ends close to 400 steps of 1 h.
  cbedevol.qsin = 0.0f;
  run(400.0f);
  const Arr<float, mxbr> fine = cbedevol.dzb;
  for (int n = 1; n <= nsec; ++n) cbedevol.dzb(n) = 0.0f;
  cunit.dtime = 400.0f;
  EXPECT_GT(run(400.0f).nsplit, 0);
  for (int n = 1; n <= nsec; ++n)
    EXPECT_NEAR(cbedevol.dzb(n), fine(n), 0.02f + 0.05f * std::fabs(fine(n))) << n;
  // A hundred times the capacity fills the first cell up to the top of its
  // walls, where the steady state yields a capacity beyond all measure: the
  // run stops on the last bed under water.
  for (int n = 1; n <= nsec; ++n) cbedevol.dzb(n) = 0.0f;
  cbedevol.qsin = 0.01f;
  cunit.dtime = 0.1f;
  const EvolResult r = run(10.0f);
  EXPECT_EQ(r.ierr, 2);
  EXPECT_EQ(r.nworst, 1);
  EXPECT_GT(cbedevol.dzb(1), 4.0f);
  EXPECT_LT(creach.dzsec(1) + cbedevol.dzb(1), creach.zwl(1));
}

TEST_F(Evol, WithoutFormulaNothingMovesAndStepsTruncate) {
  cbedevol.iform = 0;
  const EvolResult r = run(1.0f);
  cunit.dtime = 0.3f;
  const EvolResult r3 = run(1.0f);
  EXPECT_EQ(r.nstep, 1);
  EXPECT_EQ(r3.nstep, 3);
  EXPECT_EQ(r3.ndone, 3);
  for (int n = 1; n <= nsec; ++n) {
    EXPECT_EQ(cbedevol.dzb(n), 0.0f);
    EXPECT_EQ(cbedevol.vol(n), 0.0f);
  }
}

TEST_F(Evol, EquilibriumInflowKeepsTheBedFromTheSecondStep) {
  cbedevol.qsin = -1.0f;
  run(1.0f);  // first step of a first run: capacities of the step before are 0
  EXPECT_LT(cbedevol.dzb(1), -1e-4f);
  // From the second step on the inflow is the capacity: a fresh bed stays.
  for (int n = 1; n <= nsec; ++n) cbedevol.dzb(n) = 0.0f;
  Arr<float, mxbr> before = cbedevol.dzb;
  run(3.0f);
  // Only the downstream end (where the imposed level is not exactly normal)
  // may move; the upstream cells stay.
  for (int n = 1; n <= 5; ++n) EXPECT_NEAR(cbedevol.dzb(n), before(n), 2e-4f) << n;
}

TEST_F(Evol, PicturesMenuAndWriteRequests) {
  cbedevol.iform = 0;
  cbedevol.qsin = 0.0f;
  cbedevol.nwrite = 2;
  cbedevol.iwrsec(1) = 6;
  cbedevol.iwrsec(2) = nsec;
  uopen_memory(71);
  uopen_memory(72);
  creach.ndata = 3;
  cchar.datfil = "gauge";
  int pictures = 0, menus = 0;
  std::string disabled;
  seddisplay.picture = [&](const EvolPicture& p) {
    ++pictures;
    EXPECT_EQ(p.nline, 7);
    EXPECT_EQ(p.nper(1), nsec);
    EXPECT_EQ(p.nper(7), 3);
  };
  seddisplay.panel = [](const EvolPanel&) {};
  seddisplay.menu = [&](Arr<FStr<18>, 23>& m, int n) {
    EXPECT_EQ(n, 7);
    disabled.clear();
    for (int i = 1; i <= n; ++i) disabled += m(i)(1) == '-' ? '-' : '.';
    return ++menus == 3 ? 7 : 0;  // Close at the third picture
  };
  const EvolResult r = run(12.0f);
  EXPECT_EQ(r.ndone, 11);  // pictures at steps 1, 6, 11; closed at 11
  EXPECT_EQ(pictures, 4);
  EXPECT_EQ(disabled, "----...");  // Levels shown, no formula
  EXPECT_EQ(grcomn.IN15GR, 0);

  // Two header lines, then one line per picture after the set-up.
  const std::string w1 = ucontents(71);
  EXPECT_EQ(w1.substr(0, w1.find('\n')), "Sediment transport dm[mm]=   50. at km     0.500");
  int lines = 0;
  for (char c : w1) lines += c == '\n';
  EXPECT_EQ(lines, 5);
  EXPECT_NE(w1.find("\n      6.00      0.00       0.0"), std::string::npos) << w1;
  EXPECT_NE(ucontents(72).find("at km     1.000"), std::string::npos);
  uclose(71);
  uclose(72);

  // The Armoring line marks only the sections whose bed is at the limit.
  const EvolPicture& p = eprog_picture();
  EXPECT_EQ(p.f0(5 * nsec + 1), creach.zbed(1));  // zarm 0.001 >= dzb 0
}

// The pictures of a run in the window: the key stays clear of the panel,
// and the messages of the steps clear of both.
TEST_F(Evol, PanelKeyAndMessagesStayLegible) {
  grx_use_headless();
  grreset();
  grx_headless().record = true;
  grinit(5, cunit.lulst, "rivsim", "out", 0);
  sediment_gui_install();
  Notifier hook;
  hook.message = [](std::string_view t) { grmesg(t); };
  set_notifier(hook);
  // The graphics start again before the set-up picture, which eXit leaves.
  seddisplay.restart = [] {
    grclos();
    grinit(5, cunit.lulst, "rivsim", "out", 0);
    grcomn.XKEYGR = 0, grcomn.YKEYGR = 10;
    grscpt({"X"});
  };
  run(6.0f);
  for (int k = 0; k < 4; ++k) grmesg("conveyance calculation completed (it= 7)");
  EXPECT_EQ(covered_texts(), std::vector<std::string>{});
  set_notifier(Notifier{});
  grx_headless().record = false;
  grreset();
}

TEST_F(Evol, DialogCancelAndUnreadableValues) {
  const float tend = cunit.tend;
  int shown = 0;
  seddisplay.form = [&](SedForm& f) {
    ++shown;
    EXPECT_EQ(f.n, 2);
    if (shown == 1) {
      f.value(2) = "abc";
    } else {
      f.label(1) = "cancel";
    }
  };
  evol();
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(cunit.tend, tend);
  SedForm f;
  evol_form(f);
  f.value(2) = "0";
  EXPECT_FALSE(evol_read(f));  // a zero time step never ends
}

}  // namespace
}  // namespace riv
