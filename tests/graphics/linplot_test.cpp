// The line-plot viewer: option word, ranges, smoothing, statistics, slopes
// and the nearest-node message.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "graphics/graphics.hpp"
#include "graphics/covered.hpp"
#include "grfixture.hpp"

namespace riv {
namespace {

using Klin = GrFixture;

TEST_F(Klin, OptionWordChoosesRangesAndSmoothing) {
  // (word, new scales, expected x, y, smoothing after): only y while the
  // scales stand; no smoothing bit leaves it; a negative word sets nothing.
  const struct {
    int word, fresh;
    bool x, y, smooth;
  } cases[] = {
      {4, 0, true, true, false},   {8, 0, false, true, false},   {8, 1, true, true, false},
      {0, 0, false, false, false}, {0, 1, true, true, false},    {2, 0, false, false, true},
      {4, 0, true, true, true},    {16, 0, false, false, false}, {-5, 1, true, true, false}};
  bool smooth = false;
  for (const auto& c : cases) {
    KlinScaleChoice w = grklin_option(c.word, c.fresh, smooth);
    if (c.word != 2 && c.word != 16) {
      EXPECT_TRUE(w.x == c.x && w.y == c.y) << c.word;
    }
    EXPECT_EQ(smooth, c.smooth) << c.word;
  }
  grcomn.IN08GR = 0;
  grklin_option(1, 0, smooth);
  EXPECT_EQ(grcomn.IN08GR, 1);
}

TEST_F(Klin, RangesSkipTheNoDataValue) {
  const float x[4] = {3, -1, 7, 2}, y[4] = {5, 9999.05f, 2, 4};
  float s[4] = {0, 0, 0, 0};
  grklin_range(4, x, y, {true, true}, s);
  EXPECT_EQ(std::vector<float>(s, s + 4), (std::vector<float>{-1, 7, 2, 5}));
  float t[4] = {10, 20, 30, 40};
  grklin_range(4, x, y, {false, true}, t);
  EXPECT_EQ(t[0], 10);
  EXPECT_EQ(t[1], 20);
  const float nd[2] = {9999, 9999};
  grklin_range(2, x, nd, {false, true}, t);  // nothing but no-data: y range kept
  EXPECT_EQ(t[2], 2);
}

TEST_F(Klin, SmoothingAndRotation) {
  const float x[4] = {0, 1, 2, 3}, y[4] = {0, 4, 0, 8};
  // Smoothed inner nodes: (0 + 2 * 4 + 0) / 4 and (4 + 2 * 0 + 8) / 4.
  const float smoothed[4] = {0, 2, 3, 8};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(grklin_y(4, x, y, i, true, 0, 0), smoothed[i]) << i;
  EXPECT_EQ(grklin_y(4, x, y, 1, false, 0, 0), 4);
  EXPECT_FLOAT_EQ(grklin_y(4, x, y, 3, false, 1, 50), 7);  // 8 - 0.5 * (3 - 1)
  EXPECT_EQ(grklin_y(4, x, y, 3, false, 1, 0.005f), 8);    // too small a slope
  EXPECT_TRUE(grklin_smoothable(105, 101));
  EXPECT_FALSE(grklin_smoothable(1000, 101));
  EXPECT_FALSE(grklin_smoothable(0, -99));
}

TEST_F(Klin, NewCommandStartsFromItsOwnView) {
  // Smoothing switched on in a plot stays for the next plot of the command
  // and is gone once a new command resets the view (values listed by Write).
  int nper[1] = {3}, ilin[1] = {1};
  const int isym[1] = {0};
  const FStr<40> titl[1] = {FStr<40>("line")};
  float x[3] = {0, 1, 2}, y[3] = {0, 4, 0}, s[4] = {0, 0, 0, 0};
  FStr<240> titles;
  auto plot_and_write = [&](const char* file) {
    grscpt({"X"});
    grklin(nper, isym, ilin, titl, 1, x, y, nullptr, titles, 0, -1);
    grscpt({file});
    grkli1(-6, s);
    return slurp(file);
  };
  plot_and_write("first.txt");
  grkli1(-10, s);                 // smooth
  grcomn.ISCRGR = grcomn.NSCRGR;  // its replot is not needed here
  EXPECT_NE(plot_and_write("same.txt").find("       1.000       2.000"), std::string::npos);
  grview_reset();
  EXPECT_NE(plot_and_write("next.txt").find("       1.000       4.000"), std::string::npos);
}

TEST_F(Klin, StatisticsOfALine) {
  const float x[3] = {0, 1, 2}, y[3] = {1, 2, 3};
  KlinStat s = grklin_stat(3, x, y);
  EXPECT_EQ(s.n, 3);
  EXPECT_FLOAT_EQ(s.mean, 2);
  EXPECT_FLOAT_EQ(s.median, 2);
  EXPECT_FLOAT_EQ(s.sd, 1);
  EXPECT_FLOAT_EQ(s.volume, 4);
  // Even count: the lower middle value; descending x counts by magnitude.
  const float x2[4] = {3, 2, 1, 0}, y2[4] = {4, 1, 3, 2};
  s = grklin_stat(4, x2, y2);
  EXPECT_FLOAT_EQ(s.median, 2);
  EXPECT_FLOAT_EQ(s.volume, 2.5f + 2 + 2.5f);
  s = grklin_stat(1, x, y);  // one point: no spread, no volume
  EXPECT_EQ(s.sd, 0);
  EXPECT_EQ(s.volume, 0);
}

TEST_F(Klin, SlopesInPercent) {
  const float x[4] = {0, 100, 200, 400}, y[4] = {10, 9, 7, 7};
  float s[4];
  grklin_slope(4, x, y, s);
  EXPECT_FLOAT_EQ(s[0], -1);     // one-sided at the ends
  EXPECT_FLOAT_EQ(s[1], -1.5f);  // (7 - 10) / 200
  EXPECT_FLOAT_EQ(s[2], -2.0f / 300 * 100);
  EXPECT_FLOAT_EQ(s[3], 0);
  float one;
  grklin_slope(1, x, y, &one);
  EXPECT_EQ(one, 0);
}

TEST_F(Klin, NearestNodeAndItsMessage) {
  open_plot(0, 10, 0, 1000);  // x and y in very different units
  const float xs[3] = {1, 2, 5}, ys[3] = {500, 100, 480};
  // On the screen (2, 100) is far below; (5, 480) is the nearest.
  EXPECT_EQ(grnear(4, 500, 3, xs, ys), 2);
  EXPECT_EQ(grnear(4, 500, 0, xs, ys), -1);
}

// A profile in km over 0.08 % with a title longer than 60 characters:
// Original keeps the viewer's items at 13 to 24, Slope lists -0.08 %,
// Label writes the levels, Rotate by -0.08 % draws the line level, the
// Query form takes "german" and names a field that does not read; after a
// zoom and a pile of messages no text covers another.
TEST_F(Klin, KmProfileSession) {
  grinit(5, 12, "rivsim", "", 0);
  grcomn.XKEYGR = 0, grcomn.YKEYGR = 10;
  std::vector<float> x, y, v;
  for (int i = 0; i <= 24; ++i) {
    x.push_back(0.25f * static_cast<float>(i));
    y.push_back(412.0f - 0.8f * x.back());
    v.push_back(0.0f);
  }
  int nper[1] = {25}, isym[1] = {0}, ilin[1] = {101};
  FStr<40> titl[1] = {"Water Level"};
  FStr<240> titles = "Example reach km 0-6, gravel-bed river with weir, gate and culvert";
  fassign(std::span<char>(titles.c + 160, 40), "Distance [km]");
  fassign(std::span<char>(titles.c + 200, 40), "Level [m]");
  grscpt({"O", "O", "S", "slope.txt", "L", "L", "Q", "Language=german", "D", "Q", "X-Units=abc",
          "D", "C", "X"});
  grklin(nper, isym, ilin, titl, 1, x.data(), y.data(), v.data(), titles, 4, -1);
  EXPECT_EQ(grctrl_menu().size(), 24u);
  EXPECT_EQ(grctrl_menu()[23].substr(0, 3), " ??");
  EXPECT_NE(slurp("slope.txt").find("\n       2.000      -0.080\n"), std::string::npos);
  bool level_label = false, zero_label = false;
  for (const GrxCall& c : grx_headless().calls) {
    level_label = level_label || (c.op == GrxCall::Op::Text && c.s == "  410.400");
    zero_label = zero_label || (c.op == GrxCall::Op::Text && c.s == "    0.000");
  }
  EXPECT_TRUE(level_label);
  EXPECT_FALSE(zero_label);
  EXPECT_EQ(grcomn.LANGGR, 2);
  grcomn.LANGGR = 1;
  const auto h = grmesg_history();
  EXPECT_TRUE(std::any_of(h.begin(), h.end(), [](const FStr<80>& m) {
    return m.trimmed() == "X-Units: \"abc\" is not a number from 1 to 100";
  }));

  // Rotate about km 0 by -0.08 %: every node at the same height.
  grscpt({"slope[%]=-0.08", "D"});
  float s[4] = {0, 6, 406, 412};
  grkli1(-11, s);
  grx_headless().calls.clear();
  grkli1(1, s);
  for (const GrxCall& c : grx_headless().calls)
    if (c.op == GrxCall::Op::Lines && c.y.size() > 2) {  // not the label ticks
      EXPECT_LE(
          *std::max_element(c.y.begin(), c.y.end()) - *std::min_element(c.y.begin(), c.y.end()), 1);
    }
  grscpt({"slope[%]=0", "D"});
  grkli1(-11, s);
  grkli1(-4, s);  // labels off again, without the replot it queues
  grcomn.ISCRGR = grcomn.NSCRGR = 0;

  // Zoomed in where a tick label meets the y-axis title half way up, the
  // whole title in the key, five messages.
  grcomn.IN15GR = 1;
  grklin(nper, isym, ilin, titl, 1, x.data(), y.data(), v.data(), titles, 4, -1);
  grzoom(4.1f, 409.22f, -4);
  grx_headless().calls.clear();
  grklin(nper, isym, ilin, titl, 1, x.data(), y.data(), v.data(), titles, 0, -1);
  for (int k = 0; k < 5; ++k) grmesg("conveyance calculation completed (it= 7)");
  grcomn.IN15GR = 0;
  bool whole_title = false;
  for (const GrxCall& c : grx_headless().calls)
    whole_title =
        whole_title || (c.op == GrxCall::Op::Text && c.s == trim_right(titles.sub(1, 80)));
  EXPECT_TRUE(whole_title);
  EXPECT_EQ(covered_texts(), std::vector<std::string>{});

  // A key moved to the far right stops left of the menu column (buttons of
  // 76.5 pixels, 4 from the edge); the key is 66 x 6 + 26 pixels wide.
  grcomn.XKEYGR = 5000;
  grcomn.IN15GR = 1;
  grklin(nper, isym, ilin, titl, 1, x.data(), y.data(), v.data(), titles, 0, -1);
  grcomn.IN15GR = 0;
  EXPECT_LE(65 + grcomn.XKEYGR + 66 * 6 + 26, grcomn.WNDWGR[3] - 4 - 76.5f);
}

}  // namespace
}  // namespace riv
