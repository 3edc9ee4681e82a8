// The water-level command's profile curves and the section velocity
// command's computation and listing.
#include <cmath>
#include <vector>

#include "branch_fixture.hpp"
#include "model/model.hpp"
#include "steady/steady.hpp"

namespace riv::test {
namespace {

class Wlevel : public BranchTest {
 protected:
  // A 20 m rectangle with 5 m walls, 11 positions 100 m apart on 0.05 %,
  // 40 m3/s and a raised level downstream.
  void build() {
    rect("C", 20.0f, 5.0f);
    rect("D", 10.0f, 3.0f);
    reach("C", 11, 100.0f, 0.0005f);
    value(0, kTabInflow, 40.0f, 1);
    value(11, kTabLevel, 2.5f);
    ASSERT_EQ(run(), 0);
  }
};

TEST_F(Wlevel, ProfileCurvesOfTheBackwaterRun) {
  build();
  creach.dzsec(5) += 2.0f;  // a shifted section: banks and bed follow
  std::vector<float> x, y;
  int nper[8] = {};
  ASSERT_EQ(wlprofile(x, y, nper), 7);
  const int n = 11;
  for (int k = 0; k < 7; ++k) EXPECT_EQ(nper[k], n);
  EXPECT_EQ(cunit.epsz, 0.005f);
  for (int i = 1; i <= n; ++i) {
    const float v = creach.qsec(i) / creach.asec(i);
    EXPECT_FLOAT_EQ(x[i - 1], creach.xsec(i) * 0.001f);
    EXPECT_FLOAT_EQ(x[6 * n + i - 1], x[i - 1]);
    EXPECT_FLOAT_EQ(y[i - 1], creach.dzsec(i)) << i;   // mean bed
    EXPECT_FLOAT_EQ(y[2 * n + i - 1], creach.zwl(i));  // water level
    EXPECT_FLOAT_EQ(y[3 * n + i - 1], creach.zwl(i) + v * v * 0.051f);
    if (i != 5) {
      EXPECT_LT(y[4 * n + i - 1], creach.zwl(i)) << i;  // subcritical flow
    }
    EXPECT_GT(y[4 * n + i - 1], creach.dzsec(i)) << i;
    EXPECT_FLOAT_EQ(y[5 * n + i - 1], creach.dzsec(i) + 5.0f);  // left bank top
    EXPECT_FLOAT_EQ(y[6 * n + i - 1], creach.dzsec(i) + 5.0f);
  }
  // Critical depth of a rectangle: (q^2/g)^(1/3) with q = 2 m2/s.
  EXPECT_NEAR(y[4 * n + 10] - creach.dzsec(11), std::cbrt(4.0 / 9.81), 0.01);

  creach.ndata = 2;
  creach.xdata(1) = -0.5f, creach.ydata(1) = 2.0f;
  creach.xdata(2) = 0.0f, creach.ydata(2) = 2.4f;
  ASSERT_EQ(wlprofile(x, y, nper), 8);
  EXPECT_EQ(nper[7], 2);
  EXPECT_EQ(y[7 * n + 1], 2.4f);
}

TEST_F(Wlevel, VelocityFormSelectsSectionsAndLevels) {
  build();
  FStr<16> val[5] = {"1", "0.05", "1.5", "", ""};
  float slope = 0, level = 0, q = 0;
  int iter = 0;
  ASSERT_EQ(velo_compute(val, slope, level, q, iter), VeloStep::Computed);
  EXPECT_EQ(cchar.secnam(0).str(), "C");
  EXPECT_FLOAT_EQ(slope, 0.0005f);
  EXPECT_GT(iter, 0);
  // Strickler 30 over 20 m at 1.5 m depth: about 30 m3/s; the lateral
  // method gives a little less because of the walls.
  EXPECT_NEAR(q, 30.0f * 30.0f * std::pow(30.0f / 23.0f, 2.0f / 3.0f) * std::sqrt(0.0005f), 3.0f);
  std::vector<FStr<80>> lines;
  const int nl = velo_text("C", slope, level, q, iter, lines);
  EXPECT_EQ(nl, ccs.ng + 3);

  // A number beyond the list selects the last section.
  val[0] = "9";
  velo_compute(val, slope, level, q, iter);
  EXPECT_EQ(cchar.secnam(0).str(), "D");

  // Below the bed: the lowest point comes back with no discharge.
  val[0] = "C", val[2] = "-1";
  EXPECT_EQ(velo_compute(val, slope, level, q, iter), VeloStep::Dry);
  EXPECT_EQ(level, 0.0f);
  EXPECT_EQ(q, 0.0f);

  // A tiny slope takes level and friction slope of the backwater run.
  val[1] = "0.0005", val[2] = "0";
  ASSERT_EQ(velo_compute(val, slope, level, q, iter), VeloStep::Computed);
  EXPECT_FLOAT_EQ(level, creach.zwl(11) - creach.dzsec(11));
  EXPECT_FLOAT_EQ(slope, creach.sfsec(11));

  // No slope, an unreadable level or an unknown name: nothing computed.
  val[1] = "0";
  EXPECT_EQ(velo_compute(val, slope, level, q, iter), VeloStep::Refused);
  val[1] = "0.05", val[2] = "abc";
  EXPECT_EQ(velo_compute(val, slope, level, q, iter), VeloStep::Refused);
  val[0] = "XX", val[2] = "1";
  testing::internal::CaptureStdout();
  EXPECT_EQ(velo_compute(val, slope, level, q, iter), VeloStep::Refused);
  EXPECT_NE(testing::internal::GetCapturedStdout().find("not found"), std::string::npos);
}

}  // namespace
}  // namespace riv::test
