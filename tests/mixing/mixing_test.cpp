// Stream tubes and mixing on a straight rectangular reach whose steady state
// is filled in directly, with load records in the common table as the input
// reader stores them.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "input/units.hpp"
#include "mixing/mixing.hpp"
#include "model/model.hpp"
#include "model/profile.hpp"

namespace riv::test {

class MixTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model_init();
    csstore_clear();
    uopen_memory(cunit.lulst);
    mix_display() = MixDisplay{};
    ccs.tabc(1, 1) = 0.0f;
    cinput.filres = "mixres";
  }
  void TearDown() override { uclose(cunit.lulst); }

  // Rectangular section of width b, walls 5 m high, bed at 0, located at
  // (x0, y0) with orientation azim.
  void section(float b, float x0 = 1000.0f, float y0 = 2000.0f, float azim = 0.3f) {
    ccs.xloc = x0;
    ccs.yloc = y0;
    ccs.azim = azim;
    store_profile(++creach.ncs, {0, 0, b, b}, {5, 0, 0, 5}, {}, 2);
    cchar.csname(creach.ncs) = "rect";
  }
  // nsec positions dx apart, depth h, slope s, discharge q entering upstream.
  void reach(int nsec, float dx, float h = 2.0f, float s = 1.0e-4f, float q = 17.0f) {
    creach.nsec = nsec;
    for (int n = 1; n <= nsec; ++n) {
      cchar.secnam(n) = "rect";
      creach.xsec(n) = static_cast<float>(n - 1) * dx;
      creach.zwl(n) = h;
      creach.sfsec(n) = s;
      creach.qsec(n) = q;
      creach.qsl(n) = creach.qsr(n) = 0.0f;
    }
    creach.qsl(1) = creach.qsr(1) = 0.5f * q;
  }
  // Load record on section n, tubes i1..i2, pairs (time s, load g/s).
  void load(int n, int i1, int i2, const std::vector<std::pair<float, float>>& rows) {
    const int m = static_cast<int>(rows.size());
    for (int k = 0; k < m; ++k) {
      ccs.tabc(irow + 3 + k, 1) = rows[k].first;
      ccs.tabc(irow + 3 + k, 2) = rows[k].second;
    }
    irow = tabc_load(irow, n, i1, i2, m);
  }
  // Mass held by the tubes.
  static double mass() {
    double s = 0;
    for (int n = 1; n <= ctubes.nsec; ++n)
      for (int i = 1; i <= ctubes.ntube; ++i)
        s += static_cast<double>(cmixing.ctub(i, n)) * cmixing.atub(i, n) * ctubes.dx(n);
    return s;
  }
  // Runs the mixing with terminal output captured.
  int run() {
    testing::internal::CaptureStdout();
    const int st = mix_run();
    out = testing::internal::GetCapturedStdout();
    return st;
  }
  int irow = 1;
  std::string out;
};

// ---- Tube allocation ----

TEST_F(MixTest, AllocationFollowsSideInflows) {
  reach(20, 100.0f);
  ASSERT_EQ(tube_alloc(10), 0);
  for (int n = 1; n <= 20; ++n) {  // no side inflows: every tube wet everywhere
    EXPECT_EQ(ctubes.il(n), 1);
    EXPECT_EQ(ctubes.ir(n), 10);
  }
  EXPECT_FLOAT_EQ(ctubes.dq0, 1.7f);

  // 4 m3/s join on the left at position 6, 2 m3/s on the right at 12.
  creach.qsl(1) = creach.qsr(1) = 7.0f;
  creach.qsl(6) = 4.0f;
  creach.qsr(12) = 2.0f;
  ASSERT_EQ(tube_alloc(10), 0);
  EXPECT_FLOAT_EQ(ctubes.dq0, 2.0f);
  // (position, first wet tube, last wet tube)
  const int wet[][3] = {{1, 3, 9}, {5, 3, 9}, {6, 1, 9}, {11, 1, 9}, {12, 1, 10}};
  for (auto [n, il, ir] : wet) {
    EXPECT_EQ(ctubes.il(n), il) << n;
    EXPECT_EQ(ctubes.ir(n), ir) << n;
  }
}

TEST_F(MixTest, BranchWithoutFlowEndsTheCommand) {
  reach(5, 100.0f, 2.0f, 1.0e-4f, 0.0f);
  testing::internal::CaptureStdout();
  EXPECT_EQ(tube_alloc(10), 1);
  EXPECT_EQ(tube_alloc(0), 1);
  const std::string msg = testing::internal::GetCapturedStdout();
  EXPECT_NE(msg.find("no flow in the branch"), std::string::npos);
  std::remove("mixres");
  EXPECT_EQ(run(), 1);
  EXPECT_FALSE(file_exists("mixres"));  // nothing written
}

// ---- Tube geometry and plan view ----

TEST_F(MixTest, GeometryPlanPositionsAndQuantities) {
  section(20.0f);
  reach(4, 100.0f);
  cmixing.ntube = 10;
  ASSERT_EQ(tubes_compute(kVelocity), 0);
  const Ccs& c = ccs;
  float asum = 0, prev = -1e9f;
  for (int i = 1; i <= 10; ++i) {
    const float a = cmixing.atub(i, 4), p = cmixing.ytub(i, 4);
    asum += a;
    EXPECT_GT(p, prev);
    prev = p;
    EXPECT_GE(p, 0.0f);
    EXPECT_LE(p, 20.0f);
    EXPECT_NEAR(ctubes.ztb(i, 4), 1.7f / a, 1e-4f);  // share of qsec over its area
    // On the section line through (xloc, yloc) in the direction of azim.
    const float dx = ctubes.xtb(i, 4) - 1000.0f, dy = ctubes.ytb(i, 4) - 2000.0f;
    EXPECT_NEAR(dx * std::cos(0.3f) - dy * std::sin(0.3f), 0.0f, 1e-3f);
    EXPECT_NEAR(std::hypot(dx, dy), p, 1e-3f);
  }
  EXPECT_NEAR(asum, c.acum(c.ng), 1e-3f);
  // Symmetric section: mirrored tubes (within the half grid cell by which
  // the integration of the distribution is shifted).
  EXPECT_NEAR(cmixing.ytub(1, 4) + cmixing.ytub(10, 4), 20.0f, 0.3f);
  EXPECT_NEAR(cmixing.htub(5, 4), 2.0f, 0.05f);

  ASSERT_EQ(tubes_compute(kBedLevel), 0);
  EXPECT_NEAR(ctubes.ztb(5, 2), 0.0f, 0.05f);
  ASSERT_EQ(tubes_compute(kBedShear), 0);
  EXPECT_GT(ctubes.ztb(5, 2), 0.0f);

  cmixing.ntube = 1;  // one tube in the middle of the flow area
  ASSERT_EQ(tubes_compute(kFlowDepth), 0);
  EXPECT_NEAR(cmixing.ytub(1, 3), 10.0f, 0.3f);
  EXPECT_NEAR(cmixing.atub(1, 3), c.acum(c.ng), 1e-3f);
}

TEST_F(MixTest, DryTubesLieOneMillimetreApart) {
  section(20.0f);
  reach(6, 100.0f);
  creach.qsl(1) = 6.0f;
  creach.qsr(1) = 8.0f;
  creach.qsl(4) = 3.0f;  // 2 tubes dry on the left above position 4
  cmixing.ntube = 10;
  ASSERT_EQ(tubes_compute(kFlowDepth), 0);
  EXPECT_EQ(ctubes.il(3), 3);
  for (int i = 1; i <= 2; ++i) {
    EXPECT_FLOAT_EQ(cmixing.atub(i, 3), 0.0f);
    EXPECT_FLOAT_EQ(ctubes.ztb(i, 3), 0.0f);
  }
  EXPECT_NEAR(cmixing.ytub(2, 3) - cmixing.ytub(1, 3), 0.001f, 1e-5f);
  EXPECT_NEAR(cmixing.ytub(3, 3) - cmixing.ytub(2, 3), 0.001f, 1e-5f);  // first wet centre
  EXPECT_GT(cmixing.atub(3, 3), 0.0f);
  EXPECT_EQ(ctubes.il(4), 1);
  for (int i = 1; i <= 10; ++i) EXPECT_GT(cmixing.atub(i, 4), 0.0f);

  // The command: the tube count is asked and limited; no choice, no picture.
  bool shown = false;
  mix_display().ask_int = [](std::string_view p, int& v) {
    EXPECT_EQ(p, "number of streamtubes");
    v = 80;
  };
  mix_display().show_plan = [&](const PlanView&) { shown = true; };
  tubes();
  EXPECT_EQ(cmixing.ntube, 50);
  EXPECT_FALSE(shown);
}

// ---- Transport ----

TEST_F(MixTest, LoadSharedByItsTubesAndCutByDryTube) {
  section(20.0f);
  reach(10, 100.0f);
  cmixing.ntube = 8;
  ASSERT_EQ(tubes_compute(0), 0);
  load(3, 3, 5, {{0.0f, 30.0f}, {1.0e6f, 30.0f}});
  ctubes.il(6) = 2;  // tube 1 dry at position 6
  Cmixing& cm = cmixing;
  cm.ctub.fill(0.0f);
  mixbal = MixBalance{};
  for (int k = 0; k < 20; ++k)
    advec(ctubes.dq0, cm.atub, cm.htub, cm.ctub, ctubes.il, ctubes.ir, ctubes.dx, 10.0f, 10.0f * k);
  for (int i = 3; i <= 5; ++i)  // one third each: mass per tube equal
    EXPECT_NEAR(cm.ctub(i, 3) * cm.atub(i, 3), cm.ctub(4, 3) * cm.atub(4, 3), 1e-4f);
  EXPECT_FLOAT_EQ(cm.ctub(2, 3), 0.0f);
  EXPECT_NEAR(mixbal.released, 20 * 10.0 * 30.0, 1e-6);

  load(1, 1, 1, {{0.0f, 5.0f}});  // upstream of the dry cell of tube 1
  cm.ctub.fill(0.0f);
  for (int k = 0; k < 200; ++k)
    advec(ctubes.dq0, cm.atub, cm.htub, cm.ctub, ctubes.il, ctubes.ir, ctubes.dx, 10.0f, 10.0f * k);
  EXPECT_GT(cm.ctub(1, 5), 0.0f);
  EXPECT_FLOAT_EQ(cm.ctub(1, 6), 0.0f);
  for (int n = 7; n <= 10; ++n) EXPECT_FLOAT_EQ(cm.ctub(1, n), 0.0f);
}

TEST_F(MixTest, MassBalanceOfAContinuousLoad) {
  section(20.0f);
  reach(30, 100.0f);
  cmixing.ntube = 10;
  cunit.tend = 3.0f;
  load(5, 4, 6, {{0.0f, 50.0f}, {3600.0f, 80.0f}, {1.0e6f, 80.0f}});
  ASSERT_EQ(run(), 0);
  const double held = mass();
  EXPECT_GT(mixbal.outflow, 0.0);
  EXPECT_NEAR(held + mixbal.outflow, mixbal.released, 1e-4 * mixbal.released);
  EXPECT_GT(mixbal.released, 3 * 3600 * 50.0);
  EXPECT_NEAR(cunit.tstart, 3.0f, 0.06f);  // model time advanced by the run

  // Decay removes what the balance misses, and so does the heat flux through
  // the surface in thermal mode.
  for (int thermal : {0, 1}) {
    cunit.tstart = 0.0f;
    cmixing.decay = 1.0e-4f;
    cmixing.ltherm = thermal;
    cmixing.sflux = thermal ? 50.0f * 2.4e-7f : 0.0f;
    ASSERT_EQ(run(), 0);
    EXPECT_GT(mixbal.lost, 0.0);
    EXPECT_NEAR(mass() + mixbal.outflow + mixbal.lost, mixbal.released, 1e-3 * mixbal.released);
  }
}

TEST_F(MixTest, LateralSpreadGrowsWithDiffusivity) {
  section(20.0f);
  reach(30, 100.0f);
  cmixing.ntube = 10;
  cunit.tend = 3.0f;
  load(2, 5, 5, {{0.0f, 50.0f}});
  auto edge_share = [&](float d) {
    cmixing.dcoef = d;
    cunit.tstart = 0.0f;
    EXPECT_EQ(run(), 0);
    double e = 0, s = 0;
    for (int i = 1; i <= 10; ++i) {
      const double m = cmixing.ctub(i, 25) * cmixing.atub(i, 25);
      s += m;
      if (i <= 2 || i >= 9) e += m;
    }
    return e / s;
  };
  const double low = edge_share(0.5f), mid = edge_share(2.0f), high = edge_share(8.0f);
  EXPECT_LT(low, mid);
  EXPECT_LT(mid, high);

  // One tube: the lateral step leaves the concentrations as they are.
  cmixing.ntube = 1;
  ASSERT_EQ(tube_alloc(1), 0);
  int it = 0;
  ASSERT_EQ(tube_section(3, 0, it), 0);
  cmixing.ctub(1, 3) = 7.5f;
  mixlat(100.0f);
  EXPECT_FLOAT_EQ(cmixing.ctub(1, 3), 7.5f);
}

// ---- Result file ----

namespace {
std::vector<char> record(const std::vector<char>& f, int len, int k) {
  return {f.begin() + (k - 1) * len, f.begin() + k * len};
}
int32_t word_i(const std::vector<char>& r, int w) {
  int32_t v;
  std::memcpy(&v, r.data() + 4 * w, 4);
  return v;
}
float word_f(const std::vector<char>& r, int w) {
  float v;
  std::memcpy(&v, r.data() + 4 * w, 4);
  return v;
}
}  // namespace

TEST_F(MixTest, ResultFileRecordsAndEndMarkers) {
  section(20.0f);
  reach(5, 100.0f);
  cmixing.ntube = 20;
  cmixing.tprint = 1800.0f;
  cunit.tend = 1.0f;
  load(2, 10, 11, {{0.0f, 40.0f}});
  ASSERT_EQ(run(), 0);
  std::ifstream in("mixres", std::ios::binary);
  const std::vector<char> f((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const int len = 4 * 61 + 1;
  ASSERT_EQ(f.size() % len, 0u);
  const int nrec = static_cast<int>(f.size() / len);
  const auto r1 = record(f, len, 1);
  for (int w = 0; w < 4; ++w) EXPECT_EQ(word_i(r1, w), (std::array{-95, len, 20, 5})[w]) << w;
  // Blocks of 5 records from record 13; the first at time 0, all zero.
  const auto b1 = record(f, len, 13);
  for (int w = 0; w <= 20; ++w) EXPECT_FLOAT_EQ(word_f(b1, w), 0.0f);
  EXPECT_FLOAT_EQ(word_f(b1, 21), cmixing.htub(1, 1));
  EXPECT_FLOAT_EQ(word_f(b1, 41), creach.zwl(1) - cmixing.htub(1, 1));
  // The two last records are end markers after whole blocks.
  EXPECT_EQ((nrec - 2 - 12) % 5, 0);
  EXPECT_GE((nrec - 14) / 5, 2);
  for (int k : {nrec - 1, nrec}) EXPECT_FLOAT_EQ(word_f(record(f, len, k), 0), -99.0f);
  const auto last = record(f, len, nrec - 2);
  EXPECT_GT(word_f(last, 0), 0.4f);
  EXPECT_GT(word_f(last, 10) + word_f(last, 11), 0.0f);

  // A run shorter than one step makes two steps and one block at the start.
  cunit.tstart = 0.0f;
  cunit.tend = 0.001f;
  int shown = 0;
  mix_display().progress = [&](int k, int n, std::string_view t) {
    ++shown;
    EXPECT_EQ(k, 1);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(t, "Mixing   0.0h");
  };
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(shown, 1);
}

}  // namespace riv::test
