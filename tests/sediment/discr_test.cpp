#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "input/units.hpp"
#include "model/model.hpp"
#include "sediment/sediment.hpp"
#include "sediment/sedreach.hpp"

namespace riv {
namespace {

class Discr : public ::testing::Test {
 protected:
  void SetUp() override {
    model_init();
    csstore_clear();
    seddisplay = SedDisplay{};
    ccs.ntabv = 40;
    uopen_memory(cunit.lulst);
    test::store_r20(4.0f);
    s.in.name = "1";
    s.in.slope = 1.0f;
  }
  void TearDown() override { uclose(cunit.lulst); }

  static double discharge(double h) {
    const double a = 20 * h, p = 20 + 2 * h;
    return 0.1 * 30 * a * std::pow(a / p, 0.666667);
  }
  int compute(float zshown) {
    int nl = 0;
    testing::internal::CaptureStdout();
    const int st = discr_compute(s, zshown, nl);
    out = testing::internal::GetCapturedStdout();
    return st;
  }
  DiscrState s;
  std::string out;
};

TEST_F(Discr, DischargeGivenFindsTheNormalLevel) {
  s.in.q0 = 50.0f;
  ASSERT_EQ(compute(s.in.z), 0);
  double lo = 0, hi = 4;
  for (int i = 0; i < 60; ++i) (discharge(0.5 * (lo + hi)) > 50 ? hi : lo) = 0.5 * (lo + hi);
  EXPECT_NEAR(s.in.z, lo, 4.0 / (1 << 20) + 1e-5);
  EXPECT_NE(out.find("new level"), std::string::npos);
  EXPECT_EQ(cchar.csname(1), s.in.name);  // the number became the name
  const DiscrShow d = discr_show(s);
  const double a = 20 * lo;
  EXPECT_NEAR(d.u, 50 / a, 1e-3);
  EXPECT_NEAR(d.froude, 50 / a / std::sqrt(9.81 * lo), 1e-3);
  EXPECT_NEAR(d.tau, a / (20 + 2 * lo) * 9.81 * 0.01 * 1000, 0.05);
  EXPECT_GT(d.load1, 0.0f);
  EXPECT_GT(d.load2, 0.0f);

  // Above the full section: refused with the capacity.
  s.in.q0 = 1.0e4f;
  EXPECT_EQ(compute(s.in.z), 3);
  EXPECT_NE(out.find("max. capacity[m3/s]="), std::string::npos);
  EXPECT_EQ(s.in.q0, 1.0e4f);
}

TEST_F(Discr, LevelGivenGivesTheDischarge) {
  s.in.q0 = 50.0f;
  s.in.z = 1.5f;
  ASSERT_EQ(compute(1.0f), 0);  // level changed: it is the given quantity
  EXPECT_EQ(s.in.z, 1.5f);
  EXPECT_NEAR(s.in.q0, discharge(1.5), 1e-4 * discharge(1.5));
  EXPECT_NE(out.find("new discharge"), std::string::npos);
  // A change of half a millimetre keeps the discharge as the given quantity.
  s.in.q0 = 50.0f;
  s.in.z = 1.5005f;
  ASSERT_EQ(compute(1.5f), 0);
  EXPECT_NE(out.find("new level"), std::string::npos);
  EXPECT_LT(s.in.z, 1.5f);
  // Grain sizes: d30 at least 0.1 cm, dm and d90 at least d30.
  s.in.d30 = 0.0f;
  s.in.dm = s.in.d90 = 0.05f;
  compute(s.in.z);
  EXPECT_FLOAT_EQ(cbedevol.d30def, 0.001f);
  EXPECT_FLOAT_EQ(cbedevol.d90def, 0.001f);
  EXPECT_FLOAT_EQ(cbedevol.d90(1), 0.001f);
  // Unknown section, too small a slope.
  s.in.slope = 1.0e-6f;
  EXPECT_EQ(compute(s.in.z), 2);
  s.in.name = "nowhere";
  EXPECT_EQ(compute(s.in.z), 1);
}

TEST_F(Discr, TableModeWithBedloadColumnAndArmouringTable) {
  s.in.table = true;
  s.in.d30 = 1.0f;
  s.in.dm = 2.0f;
  s.in.d90 = 20.0f;
  ASSERT_EQ(compute(s.in.z), 4);
  s.col1 = 1;
  s.col2 = 8;
  const int nl = discr_table(s);
  ASSERT_EQ(nl, 3 + 40 + 1);
  const auto& t = cinput.ctext;
  // Shallow levels are armoured, the deep ones move the bed.
  EXPECT_EQ(t(5)(21), '*');
  EXPECT_EQ(t(nl - 1)(21), ' ');
  EXPECT_EQ(s.in.q0, 0.0f);
  EXPECT_EQ(s.iarm, 1);
  EXPECT_TRUE(s.in.table);

  const std::string lst = ucontents(cunit.lulst);
  EXPECT_EQ(lst.substr(0, 19), "dm[mm]=      20.0\nd");
  int blocks = 0;
  for (size_t p = 0; (p = lst.find("d90[mm]=", p)) != std::string::npos; ++p) ++blocks;
  EXPECT_EQ(blocks, 30);
  EXPECT_NE(lst.find("d90[mm]=     200.0\n"), std::string::npos);
  EXPECT_NE(lst.find("d90[mm]=    1650.0\n"), std::string::npos);

  SedForm f;
  discr_column_form(3, f);
  EXPECT_EQ(f.value(3).str(), "+");
  f.value(3) = "_";
  f.value(5) = "+";
  f.value(7) = "+";
  EXPECT_EQ(discr_column_read(f, 3), 7);
}

TEST_F(Discr, CommandLoopKeepsDischargeAndSlopeBetweenUses) {
  int pass = 0;
  std::string iters, q0;
  seddisplay.form = [&](SedForm& f) {
    ++pass;
    ASSERT_EQ(f.n, 23);
    if (pass == 1) {
      f.value(1) = "R20";
      f.value(4) = "50";
      f.value(2) = "x";  // unreadable: shown again
    } else if (pass == 2) {
      EXPECT_EQ(f.value(1).str(), "R20");
      f.value(2) = "0.5";
      f.value(4) = "50";
    } else {
      iters = f.value(18).str();
      EXPECT_EQ(f.label(17).view(), "GrainReynolds [10^");
      q0 = f.value(4).str();
      f.label(1) = "cancel";
    }
  };
  testing::internal::CaptureStdout();
  discr();
  pass = 10;
  discr();
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(iters, "  0");
  EXPECT_EQ(q0, "      50.000");  // the discharge of the first use
}

}  // namespace
}  // namespace riv
