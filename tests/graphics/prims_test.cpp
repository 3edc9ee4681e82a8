#include <vector>

#include "grfixture.hpp"

namespace riv {

using GrDraw = GrFixture;
using GrRecords = GrFixture;

static std::vector<const GrxCall*> calls(GrxCall::Op op) {
  std::vector<const GrxCall*> v;
  for (auto& c : grx_headless().calls)
    if (c.op == op) v.push_back(&c);
  return v;
}

TEST_F(GrDraw, SegmentsAreClippedAtTheWindowEdge) {
  open_plot();
  grmov2(-50, 50);  // outside
  grdrw2(50, 50);   // inside: the line starts at the left edge
  grdrw2(150, 50);  // leaves at the right edge
  grmov2(-10, -10);
  grdrw2(110, 110);  // crosses the whole window
  grmov2(-10, 200);
  grdrw2(200, 150);  // misses it
  grdump();
  auto l = calls(GrxCall::Op::Lines);
  ASSERT_EQ(l.size(), 2u);
  EXPECT_EQ(l[0]->x, (std::vector<int>{px(0), px(50), px(100)}));
  EXPECT_EQ(l[0]->y, (std::vector<int>{py(50), py(50), py(50)}));
  EXPECT_EQ(l[1]->x, (std::vector<int>{px(0), px(100)}));
  EXPECT_EQ(l[1]->y, (std::vector<int>{py(0), py(100)}));
  EXPECT_EQ(grcomn.IPINGR, 0);
  // A point on the border counts as inside.
  grmov2(100, 0);
  EXPECT_EQ(grcomn.IPINGR, 1);
}

TEST_F(GrDraw, PolylineBufferHoldsOneHundredPoints) {
  open_plot();
  grmov2(0, 0);
  for (int i = 1; i <= 100; ++i) grdrw2(static_cast<float>(i) * 0.9f, static_cast<float>(i % 2));
  auto l = calls(GrxCall::Op::Lines);
  ASSERT_EQ(l.size(), 1u);  // the 101st point flushed the first 100
  EXPECT_EQ(l[0]->a, 100);
  EXPECT_EQ(grcomn.NPOLGR, 2);
  EXPECT_EQ(grcomn.IXPLGR[1], l[0]->x[99]);  // and goes on from the 100th
  grcolr(5);                                 // a colour change draws what is pending
  EXPECT_EQ(calls(GrxCall::Op::Lines).size(), 2u);
  // The same pixel twice is kept once.
  grmov2(10, 10);
  grdrw2(10.0001f, 10.0001f);
  EXPECT_EQ(grcomn.NPOLGR, 1);
}

TEST_F(GrDraw, PolygonsAreClippedAndFilled) {
  open_plot();
  float x[3] = {50, 150, 50}, y[3] = {-50, 50, 50};  // a triangle cut by two edges
  grfil2(x, y, 3, 3);
  auto p = calls(GrxCall::Op::Polygon);
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0]->x, (std::vector<int>{px(50), px(100), px(100), px(50)}));
  EXPECT_EQ(p[0]->y, (std::vector<int>{py(0), py(0), py(50), py(50)}));
  EXPECT_EQ(grx_headless_pixel(px(75), py(25)), static_cast<uint32_t>(grcomn.IRGBGR[103]));
  EXPECT_EQ(grx_headless_pixel(px(40), py(25)), 0xFFFFFFu);
  float ox[3] = {200, 300, 250}, oy[3] = {0, 0, 50};
  grfil2(ox, oy, 3, 3);  // entirely outside: nothing
  EXPECT_EQ(calls(GrxCall::Op::Polygon).size(), 1u);
  // Hatched fills draw lines instead of a polygon.
  grcomn.IHTCGR = 3;
  float hx[4] = {10, 40, 40, 10}, hy[4] = {10, 10, 40, 40};
  grfil2(hx, hy, 4, 2);
  grdump();
  EXPECT_EQ(calls(GrxCall::Op::Polygon).size(), 1u);
  EXPECT_GT(calls(GrxCall::Op::Lines).size(), 5u);
}

TEST_F(GrDraw, MarkersAndTexts) {
  open_plot();
  grmov2(50, 50);
  const int cx = px(50), cy = py(50);
  grsymb(200);  // a whole hundred draws nothing
  EXPECT_TRUE(calls(GrxCall::Op::Lines).empty());
  grsymb(315);  // symbol 15 in colour 3
  grdump();
  auto l = calls(GrxCall::Op::Lines);
  ASSERT_FALSE(l.empty());
  EXPECT_EQ(calls(GrxCall::Op::Colour).back()->a, grcomn.IRGBGR[103]);
  // Symbol 15 at factor 0.5: moves to (-1, -2), draws (1, 4) ...
  EXPECT_EQ(l[0]->x[0], cx - 1);
  EXPECT_EQ(l[0]->y[0], cy - 2);
  EXPECT_EQ(l[0]->x[1], cx);
  EXPECT_EQ(l[0]->y[1], cy + 2);
  grx_headless().calls.clear();
  grsymb(16);  // symbols above 15 are drawn as 15
  grdump();
  EXPECT_EQ(calls(GrxCall::Op::Lines)[0]->x[0], cx - 1);

  grmov2(50, 50);
  granot("~~AB  ");
  auto t = calls(GrxCall::Op::Text);
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0]->s, "AB");
  EXPECT_EQ(t[0]->a, cx - 6);
  EXPECT_EQ(t[0]->b, cy);
  granot("   ");
  grmov2(500, 50);  // invisible pen: no text
  granot("lost");
  EXPECT_EQ(calls(GrxCall::Op::Text).size(), 1u);
}

TEST_F(GrRecords, KeepFile) {
  open_plot();
  grcomn.XORGR = 1000;
  int mode = 8;
  answer("pic");
  grmode(mode);
  ASSERT_EQ(grcomn.IMODGR, 8);
  grcolr(3);
  grdash(102);
  grmov2(1.5f, 2);
  grdrw2(3, -4.25f);
  grmov3(1, 2, 3);
  grsymb(315);
  granot("~~Q  ");
  float x[16], y[16];
  for (int i = 0; i < 16; ++i) x[i] = static_cast<float>(i), y[i] = 0.5f;
  grfil2(x, y, 16, 7);
  mode = 0;
  grmode(mode);
  EXPECT_EQ(grcomn.IMODGR, 2);  // back to the screen
  std::string k = slurp("pic.kep");
  // 32 values: a line of 30 and a line of 2.
  size_t f = k.find("FIL2\n 16    7 5\n") + 16;
  std::string v1 = k.substr(f, k.find('\n', f) - f);
  EXPECT_EQ(v1.size(), 30u * 14);
  EXPECT_EQ(v1.substr(0, 28), "  0.000000E+00  0.500000E+00");
  EXPECT_EQ(k.substr(k.find('\n', f) + 1), "  0.150000E+02  0.500000E+00\n");

  // A blank answer starts nothing.
  mode = 8;
  answer("  ");
  grmode(mode);
  EXPECT_EQ(mode, 0);
  EXPECT_EQ(grcomn.IMODGR, 2);
}

}  // namespace riv
