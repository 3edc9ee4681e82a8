#include "grfixture.hpp"

namespace riv {

using GrScales = GrFixture;

static std::string label(float v, float step, int width = 0) {
  char buf[12];
  grprnt(v, step, buf, width);
  return std::string(trim_right(std::string_view(buf, 12)));
}

TEST_F(GrScales, NiceSteps) {
  grinit(5, 6, "rivsim", "", 0);
  double start;
  float step;
  grscal(0, 100, 10, start, step);
  EXPECT_DOUBLE_EQ(start, 0);
  EXPECT_FLOAT_EQ(step, 10);
  grscal(0, 0, 10, start, step);
  EXPECT_DOUBLE_EQ(start, 0);
  EXPECT_NEAR(step, 1e-11, 1e-17);
  // A range that does not fit 10 steps of 1 moves on to steps of 2.
  grscal(-3.5f, 15.2f, 10, start, step);
  EXPECT_FLOAT_EQ(step, 2);
  EXPECT_DOUBLE_EQ(start, -4);
  // A negative whole start lies one step below the range, so that 8 steps
  // of 10 no longer reach 60.
  grscal(-20, 60, 8, start, step);
  EXPECT_FLOAT_EQ(step, 20);
  EXPECT_DOUBLE_EQ(start, -40);
}

TEST_F(GrScales, DependentScalesShareTheLargerStep) {
  grinit(5, 6, "rivsim", "", 0);
  grcomn.NXINGR = 10, grcomn.NYINGR = 10;
  grcomn.IN02GR = 1;
  graxes(3, 19, 0, 42, 1);  // steps 2 and 5 on their own
  EXPECT_DOUBLE_EQ(grcomn.XMINGR, 0);
  EXPECT_DOUBLE_EQ(grcomn.XMAXGR, 50);
  EXPECT_DOUBLE_EQ(grcomn.YMAXGR, 50);
  EXPECT_DOUBLE_EQ(grcomn.XMXCGR, 50);
  EXPECT_FLOAT_EQ(grcomn.XFACGR, -grcomn.YFACGR);
  grcomn.IN02GR = 0;
  graxes(3, 19, 0, 42, 1);
  EXPECT_DOUBLE_EQ(grcomn.XMINGR, 2);
  EXPECT_DOUBLE_EQ(grcomn.XMAXGR, 22);
}

TEST_F(GrScales, NumberLabels) {
  EXPECT_EQ(label(0.5f, 0.1f), "0.5");
  EXPECT_EQ(label(12.5f, 0), " 13");
  EXPECT_EQ(label(-3, 0), " -3");
  EXPECT_EQ(label(250, 50), "250.");
  EXPECT_EQ(label(2.5f, 0.5f), "2.5");
  EXPECT_EQ(label(-0.25f, 0.05f), "-0.25");
  EXPECT_EQ(label(1e-6f, 1e-7f), "0.100E-05");
  int w = 0;
  char buf[12];
  grprnt(0.5f, 0.1f, buf, w);
  EXPECT_EQ(w, 3);
  // Centred: blanks before the number.
  EXPECT_EQ(label(7.5f, 0.5f, 1), "    7.5");
}

TEST_F(GrScales, ZoomAndPixelMode) {
  grinit(5, 6, "rivsim", "", 0);
  grsset(0, 100, 0, 50);
  grzoom(100, 50, 2);  // same size, half way towards the corner
  EXPECT_DOUBLE_EQ(grcomn.XMINGR, 25);
  EXPECT_DOUBLE_EQ(grcomn.XMAXGR, 125);
  EXPECT_DOUBLE_EQ(grcomn.YMINGR, 12.5);
  grcomn.ZOOMGR = 0.5f;
  grzoom(75, 37.5f, 1);
  EXPECT_DOUBLE_EQ(grcomn.XMAXGR - grcomn.XMINGR, 50);
  grsfac();
  const float xfac = grcomn.XFACGR;
  grclip(0);
  grclip(0);
  EXPECT_FLOAT_EQ(grcomn.XFACGR, 1);
  EXPECT_FLOAT_EQ(grcomn.YFACGR, -1);
  EXPECT_FLOAT_EQ(grcomn.YORGGR, 786 - 50);
  grclip(1);
  EXPECT_FLOAT_EQ(grcomn.XFACGR, xfac);
  EXPECT_DOUBLE_EQ(grcomn.XMINGR, 50);
}

TEST_F(GrScales, ProgressBarDrawsEachPercentOnce) {
  open_plot();
  auto flips = [] {
    int n = 0;
    for (auto& c : grx_headless().calls) n += c.op == GrxCall::Op::Flip;
    return n;
  };
  grbeam(5, 10, "routing");
  EXPECT_EQ(flips(), 1);
  grbeam(15, 10, "routing");  // 15 modulo 10 is the same 50 %
  EXPECT_EQ(flips(), 1);
  grbeam(-1, 10, "routing");
  grbeam(5, 10, "routing");
  EXPECT_EQ(flips(), 2);
  bool text = false;
  for (auto& c : grx_headless().calls)
    if (c.op == GrxCall::Op::Text && c.s == "routing 50%") text = true;
  EXPECT_TRUE(text);
  // 15 cells of the 30 are filled in colour -5 (table entry 73).
  int x = 65 + 45, y = static_cast<int>(grcomn.YORGGR) + 7;  // just under the origin
  EXPECT_EQ(grx_headless_pixel(x, y), static_cast<uint32_t>(grcomn.IRGBGR[73]));
  EXPECT_EQ(grx_headless_pixel(65 + 160, y), static_cast<uint32_t>(grcomn.IRGBGR[1]));
  // The last step reads 100 %, not 0 %; a bar left over is removed.
  grbeam(10, 10, "routing");
  text = false;
  for (auto& c : grx_headless().calls)
    if (c.op == GrxCall::Op::Text && c.s == "routing100%") text = true;
  EXPECT_TRUE(text);
  grbeam_off();
  EXPECT_EQ(grx_headless_pixel(x, y), 0xFFFFFFu);
}

}  // namespace riv
