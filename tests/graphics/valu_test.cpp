// Plot variables reached by name.
#include "graphics/graphics.hpp"
#include "grfixture.hpp"

namespace riv {
namespace {

using Valu = GrFixture;

TEST_F(Valu, OriginShiftKeepsTheAbsolutePlace) {
  grcomn.XORGR = 0, grcomn.XMINGR = 500, grcomn.XMAXGR = 900, grcomn.XMNCGR = 500;
  float v = 100;
  grvalu("XORGR", 1, v);
  EXPECT_DOUBLE_EQ(grcomn.XMINGR, 400);
  EXPECT_DOUBLE_EQ(grcomn.XMAXGR, 800);
  EXPECT_DOUBLE_EQ(grcomn.XMNCGR, 400);
  double d = 0;
  grvalu8("XORGR", 0, d);
  EXPECT_EQ(d, 100);
  d = 1e7 + 0.25;  // double precision survives grvalu8
  grvalu8("YORGR", 1, d);
  EXPECT_EQ(grcomn.YORGR, 1e7 + 0.25);
  grvalu("YORGR", 0, v);
  EXPECT_FLOAT_EQ(v, 1e7f);
}

TEST_F(Valu, IntegersRoundOrTruncate) {
  float v = 2.6f;
  grvalu("NXINGR", 1, v);
  EXPECT_EQ(grcomn.NXINGR, 3);
  grvalu("WNDWGR(3)", 1, v);
  EXPECT_EQ(grcomn.WNDWGR[3], 2);
  v = -2.6f;
  grvalu("NSCRGR", 1, v);
  EXPECT_EQ(grcomn.NSCRGR, -2);
  grcomn.IN02GR = 1, grcomn.INDSGR = 0;
  v = 1;
  grvalu("IN02GR", 1, v);
  EXPECT_EQ(grcomn.INDSGR, 0);
  v = 0;
  grvalu("IN02GR  ", 1, v);  // blank padded names match
  EXPECT_EQ(grcomn.INDSGR, 1);
  v = 1;
  grvalu("IN15GR", 1, v);
  EXPECT_EQ(grcomn.IN15GR, 1);
  grcomn.IKEYGR = 7;
  grvalu("IKEYGR", 0, v);
  EXPECT_EQ(v, 7.0f);
  grcomn.XMAXGR = 12.5;
  grvalu("XMAXGR", 0, v);
  EXPECT_EQ(v, 12.5f);
}

TEST_F(Valu, UnknownNamesEndTheProgram) {
  float v = 0;
  EXPECT_EXIT(grvalu("XYZGR", 0, v), ::testing::ExitedWithCode(0),
              "");
  double d = 0;
  EXPECT_EXIT(grvalu8("XMINGR", 0, d), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace riv
