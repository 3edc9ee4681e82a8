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
