#include <cmath>

#include "input/fformat.hpp"
#include "steady/branch_fixture.hpp"

namespace riv {
namespace {

using test::BranchTest;

class WlTable : public BranchTest {
 protected:
  TableLines t;
  // Three positions of a rectangle 10 m wide with 4 m walls, 2 m shift at 2.
  void three() {
    rect("R", 10.0f, 4.0f);
    pos("R", 1000.0f, 0.0f);
    pos("R", 1100.0f, 2.0f);
    pos("R", 1200.0f, 0.0f);
    cinput.title = "Test title";
    for (int n = 1; n <= 3; ++n) {
      creach.qsec(n) = 20.0f;
      creach.zwl(n) = creach.dzsec(n) + 1.5f;
      creach.asec(n) = 15.0f;
      creach.bsec(n) = 10.0f;
      creach.rsec(n) = 15.0f / 13.0f;
      creach.sfsec(n) = 0.0004f;
      cchar.cflag(n) = "   ";
    }
    cchar.cflag(2) = "!<>";
    cchar.ctag(3) = "wlevel";
  }
};

TEST_F(WlTable, LinesOfAThreePositionBranch) {
  three();
  ASSERT_EQ(wltable(t), 8);
  EXPECT_EQ(t(1).trimmed(), "Test title");
  EXPECT_EQ(t(2).trimmed(),
            " Station      Q     Bed  W_Level E_Level F_Slope t_bed  Veloc Froude Section  CC  "
            "Node Freibrd Air");
  EXPECT_EQ(t(3).trimmed(),
            "   [km]    [m3/s]   [m]     [m]     [m]     [%]  [N/m2]  [m/s]    [-]              "
            "        [m]  [%]");
  // Position 2: bed, levels and freeboard include the shift of 2 m.
  const float v = 20.0f / 15.0f;
  const float e = v * v * 0.051f + 3.5f;
  const float fr = 20.0f / std::sqrt(15.0f * 15.0f * 15.0f * 9.81f / 10.0f);
  const std::string want = fformat(
      "(f8.3,f9.2,3f8.2,f7.3,f8.2,f7.2,f6.2,1x,a8,1x,a3,1x,a6,f5.2,i4)",
      {1.1f, 20.0f, 2.0f, 3.5f, e, 0.04f, 15.0f / 13.0f * 9.81f * 0.0004f * 1000.0f, v, fr, FStr<8>("R"),
       "!<>", FStr<6>(""), 2.5f, 0});
  EXPECT_EQ(t(5).view().substr(0, want.size() - 1), want.substr(0, want.size() - 1));
  EXPECT_EQ(t(5).sub(64, 82), "  0.35 R        !<>");
  EXPECT_EQ(t(6).sub(84, 89), "wlevel");
  EXPECT_EQ(t(7).trimmed(),
            " *=inexact; !=critical flow; <>=overflow left/right; #=pressurized flow");
  EXPECT_EQ(t(8).trimmed(), " Total Volume of Water [m3]:    3000.0");
}

TEST_F(WlTable, VolumeUnitsFroudeAndAir) {
  three();
  // 9999.9 m3 stays in m3; 10000 m3 is listed in 1000 m3.
  for (int n = 1; n <= 3; ++n) creach.asec(n) = 20.0f;
  creach.xsec(3) = 1100.0f + 7999.9f / 20.0f;
  wltable(t);
  EXPECT_EQ(t(8).trimmed(), " Total Volume of Water [m3]:    9999.9");
  creach.xsec(3) = 1100.0f + 8000.0f / 20.0f;
  wltable(t);
  EXPECT_EQ(t(8).trimmed(), " Total Volume of Water [1000 m3]:      10.0");

  // No surface width: Froude 0. Fast shallow flow entrains air.
  creach.bsec(1) = 0.01f;
  creach.qsec(1) = 300.0f;
  creach.asec(1) = 15.0f;
  creach.rsec(1) = 0.5f;
  wltable(t);
  EXPECT_EQ(t(4).sub(64, 69), "  0.00");
  const float vf = 20.0f / std::sqrt(0.5f * 9.81f) - 6.0f;
  const int air = static_cast<int>(std::lround((1 - 1 / (1 + 0.02 * std::pow(vf, 1.5))) * 100));
  EXPECT_GT(air, 0);
  EXPECT_EQ(t(4).sub(95, 98), fformat("(i4$)", {air}));
  EXPECT_EQ(t(5).sub(95, 98), "   0");
}

}  // namespace
}  // namespace riv
