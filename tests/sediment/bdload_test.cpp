#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "input/units.hpp"
#include "model/model.hpp"
#include "sediment/sediment.hpp"
#include "sediment/sedreach.hpp"

namespace riv {
namespace {

constexpr int kHydro = 13;

class Bdload : public ::testing::Test {
 protected:
  void SetUp() override {
    model_init();
    csstore_clear();
    seddisplay = SedDisplay{};
    uopen_memory(cunit.lulst);
    // Rectangle 20 m wide with walls 4 m high: rating levels every 0.1 m.
    test::store_r20(4.0f);
  }
  void TearDown() override { uclose(cunit.lulst); }

  // Discharge and capacity (m3/s over the bed width) at depth h by hand.
  static void by_hand(double h, double s, double dmm, double& q, double& c) {
    const double a = 20 * h, p = 20 + 2 * h, k = 30 * a * std::pow(a / p, 0.666667);
    q = std::sqrt(s) * k;
    const double d = dmm / 1000, kr = 21 / std::pow(d, 1.0 / 6.0);
    const double th = s * std::pow(k / (kr * a), 1.5) / (1.65 * d);
    c = 8 * std::pow(0.85 * th - 0.047, 1.5) * std::sqrt(1.65 * 9.81 * d) * d * 20.0001;
  }
  // Day d of year y with time field t and discharge q, in the file's columns.
  static std::string line(int d, int y, int t, double q) {
    char b[64];
    std::snprintf(b, sizeof b, "%02d.01.%04d %04d %.6f", d, y, t, q);
    return b;
  }
  static Hydrograph read(const std::string& text) {
    uopen_memory(kHydro, text);
    Hydrograph h;
    bdload_read(kHydro, h);
    uclose(kHydro);
    return h;
  }
};

TEST_F(Bdload, HydrographTimesYearsAndSkippedLines) {
  const Hydrograph h =
      read("gang header\n" + line(1, 2001, 100, 5) + "\n" + line(1, 2001, 350, 6) + "\n" +
           line(1, 2001, 900, 7) + "\n\n" + "01.01.2001 xx 3\n" + line(2, 2002, 0, 9) + "\n" +
           line(2, 2002, 0, 2) + "\n>>end\n" + line(3, 2002, 0, 99) + "\n");
  ASSERT_EQ(h.n, 5);
  EXPECT_EQ(h.nbad, 1);
  EXPECT_EQ(h.year0, 2001);
  EXPECT_NEAR(h.t[1], 0.25, 1e-9);
  EXPECT_NEAR(h.t[3] - h.t[2], 0.1, 1e-9);  // new day with T = 0 after T = 900
  EXPECT_EQ(h.t[4], h.t[3]);
  EXPECT_EQ(h.qmax, 9.0f);
  ASSERT_EQ(h.yend.size(), 2u);
  EXPECT_EQ(h.yend[0], 3);
  EXPECT_EQ(h.yend[1], 5);
  EXPECT_EQ(read("gang\ngang 2\n").n, 0);
}

TEST_F(Bdload, YearlyVolumesMatchTheHandIntegral) {
  double q, c;
  by_hand(1.5, 0.01, 10, q, c);  // a node of the rating table
  std::string text;
  for (int d = 1; d <= 10; ++d) text += line(d, 2001, 0, q / 2) + "\n";
  for (int d = 11; d <= 15; ++d) text += line(d, 2002, 0, q / 2) + "\n";
  const Hydrograph h = read(text);
  BdloadInput in;
  in.d30 = in.dm = in.d90 = 10;
  in.qfac = 2;  // the file holds half the discharge
  const BdloadResult r = bdload_compute(in, h);
  ASSERT_EQ(r.status, 0);
  EXPECT_NEAR(r.qr(16), q, 1e-5 * q);
  EXPECT_NEAR(r.qbx(16), c, 1e-4 * c);
  // The first value carries no capacity: year 1 has 8.5 days of full load,
  // year 2 (from the last value of year 1 on) 5 days; bulk volume in 1000 m3.
  const double v = c * 86.4 / 0.7;
  EXPECT_NEAR(r.vmax, 13.5 * v, 1e-4 * r.vmax);
  EXPECT_NEAR(r.vmin, r.vmax, 1e-9);  // fine uniform sand is never armoured
  EXPECT_EQ(r.nyear, 2);
  EXPECT_EQ(cbedevol.qs(1), 0.0f);  // the bed evolution's capacities are untouched
}

TEST_F(Bdload, ArmouredEverywhereGivesNoMinimumLoadAndBadInputsReturn) {
  double q, c;
  by_hand(2.0, 0.002, 10, q, c);
  const Hydrograph h = read(line(1, 2001, 0, q) + "\n" + line(2, 2001, 0, q) + "\n");
  BdloadInput in;
  in.slope = 0.2f;
  in.d30 = in.dm = 10;
  in.d90 = 1000;
  in.formula = 2;
  BdloadResult r = bdload_compute(in, h);
  ASSERT_EQ(r.status, 0);
  EXPECT_GT(r.vmax, 0.0);
  EXPECT_EQ(r.vmin, 0.0);
  // Grain sizes raised to 0.01 mm and to each other; too small a slope.
  in.d30 = 0;
  in.dm = in.d90 = 0.001f;
  in.slope = 0.0005f;
  r = bdload_compute(in, h);
  EXPECT_EQ(r.status, 2);
  EXPECT_FLOAT_EQ(cbedevol.d30def, 1e-5f);
  EXPECT_FLOAT_EQ(cbedevol.d90def, 1e-5f);
  in.name = "nowhere";
  testing::internal::CaptureStdout();
  EXPECT_EQ(bdload_compute(in, h).status, 1);
  testing::internal::GetCapturedStdout();
}

TEST_F(Bdload, DialogShowsTotalsUntilCancel) {
  double q, c;
  by_hand(1.0, 0.01, 50, q, c);
  cbedevol.d30def = cbedevol.dmdef = cbedevol.d90def = 0.05f;
  uopen_memory(kHydro, line(1, 2001, 0, q) + "\n" + line(2, 2001, 0, q) + "\n");
  int pass = 0;
  std::string shown;
  seddisplay.form = [&](SedForm& f) {
    ++pass;
    ASSERT_EQ(f.n, 10);
    if (pass == 1) {
      f.value(6) = "1.5";  // porosity 1.5 is refused
    } else if (pass == 2) {
      f.value(6) = "0.4";
    } else {
      shown = f.value(10).str();
      f.label(1) = "cancel";
    }
  };
  testing::internal::CaptureStdout();
  bdload_unit(kHydro);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(pass, 3);
  EXPECT_NE(out.find("check porosity value"), std::string::npos);
  EXPECT_EQ(cchar.secnam(0).str(), "R20");
  EXPECT_NEAR(std::stod(shown), 0.5 * c * 86.4 / 0.6, 0.05 + 1e-3 * c * 86.4);
  EXPECT_EQ(bdload_saved().poros, 0.4f);
  EXPECT_FALSE(uisopen(kHydro));
}

}  // namespace
}  // namespace riv
