#include <vector>

#include "graphics/keep.hpp"
#include "graphics/plots.hpp"
#include "grfixture.hpp"

namespace riv {

namespace {

class GrKeep : public GrFixture {
 protected:
  void SetUp() override {
    GrFixture::SetUp();
    grklst(0);
  }
  void TearDown() override {
    grklst(0);
    grhooks.keep_read = nullptr, grhooks.keep_write = nullptr;
    GrFixture::TearDown();
  }
  // Drawing calls (lines, polygons, texts) of the headless driver.
  static std::vector<GrxCall> drawn() {
    grdump();
    std::vector<GrxCall> v;
    for (auto& c : grx_headless().calls)
      if (c.op == GrxCall::Op::Lines || c.op == GrxCall::Op::Polygon || c.op == GrxCall::Op::Text)
        v.push_back(c);
    grx_headless().calls.clear();
    return v;
  }
  static bool has_line(const std::vector<GrxCall>& v, const std::vector<int>& x) {
    for (auto& c : v)
      if (c.op == GrxCall::Op::Lines && c.x == x) return true;
    return false;
  }
  static void picture() {
    grcolr(3);
    grmov2(10, 10);
    grdrw2(50, 60);
    grdrw3(70, 20, 5);
    float x[4] = {20, 40, 40, 20}, y[4] = {20, 20, 40, 40};
    grfil2(x, y, 4, 4);
    grmov2(30, 80);
    granot("~~gauge");
    grsymb(305);
  }
  // The picture kept in name.kep with the origin (xo, yo).
  static void keep(const char* name, double xo, double yo) {
    grvalu8("XORGR", 1, xo);
    grvalu8("YORGR", 1, yo);
    answer(name);
    int mode = 8;
    grmode(mode);
    picture();
    mode = 0;
    grmode(mode);
  }
};

}  // namespace

TEST_F(GrKeep, ReplayLandsAtTheAbsolutePlaceItWasKeptAt) {
  // Picture drawn on the screen with the origin (1000, 2000).
  open_plot();
  double xo = 1000, yo = 2000;
  grvalu8("XORGR", 1, xo);
  grvalu8("YORGR", 1, yo);
  grsset(0, 100, 0, 100);
  grcomn.XMNCGR = 0, grcomn.XMXCGR = 100, grcomn.YMNCGR = 0, grcomn.YMXCGR = 100;
  grsfac();
  grx_headless().calls.clear();
  picture();
  auto direct = drawn();
  ASSERT_GE(direct.size(), 3u);
  keep("pic", 1000, 2000);
  grx_headless().calls.clear();

  // Replayed in a plot with the origin 0 over the same absolute window.
  double zero = 0;
  grvalu8("XORGR", 1, zero);
  grvalu8("YORGR", 1, zero);
  EXPECT_DOUBLE_EQ(grcomn.XMINGR, 1000.0);
  EXPECT_TRUE(grklst_add("pic.kep"));
  EXPECT_FALSE(grklst_add("pic.kep"));  // already listed
  grklst(3);
  auto replayed = drawn();
  ASSERT_EQ(replayed.size(), direct.size());
  for (size_t i = 0; i < direct.size(); ++i) {
    EXPECT_EQ(replayed[i].x, direct[i].x) << i;
    EXPECT_EQ(replayed[i].y, direct[i].y) << i;
    EXPECT_EQ(replayed[i].s, direct[i].s) << i;
  }
  // The plot's own origin and window are back.
  EXPECT_EQ(grcomn.XORGR, 0.0);
  EXPECT_DOUBLE_EQ(grcomn.XMINGR, 1000.0);
  EXPECT_DOUBLE_EQ(grcomn.YMXCGR, 2100.0);
  // The foreground pass holds nothing; the second redraw replays from memory.
  grklst(4);
  EXPECT_TRUE(drawn().empty());
  std::filesystem::remove("pic.kep");
  grklst(3);
  EXPECT_EQ(drawn().size(), direct.size());
}

TEST_F(GrKeep, StatusesSelectThePassAndRemoveDropsTheEntry) {
  open_plot();
  keep("a", 0, 0);
  put("empty.kep", "MCOL\n  2\nRCOL\n  5\nXORG\n 0.0D+00\nYORG\n 0.0D+00\n");
  put("bad.kep", "MOV2\n 1.0 1.0\nDRW2\n 5.0 5.0\nDRW2\n 5.0 x\nDRW2\n 9.0 9.0\n");
  ASSERT_TRUE(grklst_add("a.kep"));
  ASSERT_TRUE(grklst_add("empty.kep"));
  ASSERT_TRUE(grklst_add("bad.kep"));
  ASSERT_TRUE(grklst_add("gone.kep"));
  const std::vector<int> a_line = {px(10), px(50), px(70)}, bad_line = {px(1), px(5)};
  grx_headless().calls.clear();
  grklst(3);
  auto bg = drawn();
  // The missing file left the list; the bad file drew up to its bad line.
  int count = 0;
  grklst(-4, count);
  EXPECT_EQ(count, 3);
  EXPECT_TRUE(has_line(bg, a_line));
  EXPECT_TRUE(has_line(bg, bad_line));
  EXPECT_FALSE(has_line(bg, {px(5), px(9)}));

  // a in the foreground, the bad file hidden: the background is empty.
  int st[3] = {kKeepForeground, kKeepBackground, kKeepHide};
  EXPECT_TRUE(grklst_apply(st, 3));
  EXPECT_FALSE(grklst_apply(st, 3));  // nothing changed: no replot
  grklst(3);
  auto none = drawn();
  EXPECT_FALSE(has_line(none, a_line) || has_line(none, bad_line));
  grklst(4);
  auto fg = drawn();
  EXPECT_TRUE(has_line(fg, a_line));
  EXPECT_FALSE(has_line(fg, bad_line));
  // Removing a drops it and asks for a replot; nothing is drawn any more.
  int rm[3] = {kKeepRemove, kKeepBackground, kKeepHide};
  EXPECT_TRUE(grklst_apply(rm, 3));
  grklst(-4, count);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(grklst_name(0), "empty.kep");
  grklst(3);
  grklst(4);
  EXPECT_FALSE(has_line(drawn(), a_line));

  // The list dialog: "remove" on a field drops the entry and queues Replot.
  grscpt(std::vector<std::string>{"empty=remove", "D"});
  grklst(2);
  grklst(-4, count);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(grklst_name(0), "bad.kep");
  ASSERT_EQ(grcomn.NSCRGR - grcomn.ISCRGR, 1);
  EXPECT_EQ(grcomt.SCRPGR[grcomn.ISCRGR + 1].trimmed(), "R");
}

TEST_F(GrKeep, ListTravelsInTheSettingsFile) {
  put("a.kep", "");
  put("it's.kep", "");
  put("b.kep", "");
  gr_keep_install();
  grinit(5, 12, "rivsim", "", 0);
  for (int k = 0; k < kKeepListMax + 1; ++k)
    EXPECT_EQ(grklst_add(k < 3 ? std::vector<std::string>{"a.kep", "it's.kep", "b.kep"}[k]
                               : "f" + std::to_string(k) + ".kep"),
              k < kKeepListMax);
  int st[3] = {kKeepBackground, kKeepForeground, kKeepHide};
  grklst_apply(st, 3);
  grwset();
  std::string s = slurp(".grset");
  size_t list = s.find("'a.kep'  2 /\n'it''s.kep'  3 /\n'b.kep'  1 /\n");
  ASSERT_NE(list, std::string::npos);
  size_t count_line = s.rfind('\n', list - 2) + 1;
  EXPECT_EQ(s.substr(count_line, list - count_line), "          40\n");

  // Read back at the next start: files that are gone are dropped.
  std::filesystem::remove("b.kep");
  grklst(0);
  grreset();
  grinit(5, 12, "rivsim", "", 0);
  int n = 0;
  grklst(-4, n);
  ASSERT_EQ(n, 2);
  EXPECT_EQ(grklst_name(1), "it's.kep");
  EXPECT_EQ(grklst_status(1), kKeepForeground);

  // A status of 0 becomes foreground; an unreadable entry empties the list.
  s = s.substr(0, count_line);
  put(".grset", s + "2\n'a.kep' 0 /\n'it''s.kep' /\n");
  grreset();
  grinit(5, 12, "rivsim", "", 0);
  grklst(-4, n);
  ASSERT_EQ(n, 2);
  EXPECT_EQ(grklst_status(0), kKeepForeground);
  EXPECT_EQ(grklst_status(1), kKeepForeground);
  put(".grset", s + "2\n'a.kep' x /\n");
  grreset();
  grinit(5, 12, "rivsim", "", 0);
  grklst(-4, n);
  EXPECT_EQ(n, 0);
}

TEST_F(GrKeep, BitmapsAreDrawnWhereTheirWorldFilePlacesThem) {
  open_plot();
  // 4 x 2 grey map: black, white, grey, white / white ... ; pixels of 10 x 10
  // world units with the upper left corner at (20, 80).
  std::string pgm = "P5\n# map\n4 2\n255\n";
  pgm += std::string("\x00\xff\x80\xff\xff\xff\xff\x00", 8);
  put("map.pgm", pgm);
  put("map.wld", "10\n0\n0\n-10\n25\n75\n");
  ASSERT_TRUE(grklst_add("map.pgm"));
  grklst(3);
  // (x, y, colour index or -1 for white); (65, 65) and (25, 55) lie beyond.
  const int probes[][3] = {{25, 75, 20}, {35, 75, -1}, {45, 75, 10},
                           {55, 65, 20}, {65, 65, -1}, {25, 55, -1}};
  for (auto [x, y, c] : probes)
    EXPECT_EQ(grx_headless_pixel(px(x), py(y)),
              c < 0 ? 0xFFFFFFu : static_cast<uint32_t>(grcomn.IRGBGR[c]))
        << x << " " << y;

  // Without a world file the bitmap fills the world window and one is made.
  put("dot.pbm", "P1\n2 1\n1 0\n");
  double x0, y0, dx, dy;
  GrImage im;
  ASSERT_TRUE(grbmpr("dot.pbm", im));
  ASSERT_TRUE(grbmp_world("dot.pbm", im.width, im.height, x0, y0, dx, dy));
  EXPECT_TRUE(std::filesystem::exists("dot.wld"));
  EXPECT_EQ(std::vector<double>({x0, y0, dx, dy}), std::vector<double>({0, 100, 50, 100}));
  // Damaged bitmaps are refused.
  put("cut.pgm", "P5\n4 2\n255\nab");
  EXPECT_FALSE(grbmpr("cut.pgm", im));
  put("huge.pbm", "P4\n999999999 999999999\n");
  EXPECT_FALSE(grbmpr("huge.pbm", im));
}

}  // namespace riv
