// The plot control loop: option word, non-interactive drawing, zoom and
// Original, viewer items, label translation, screen-shot names and texts.
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "graphics/graphics.hpp"
#include "grfixture.hpp"

namespace riv {
namespace {

class Ctrl : public GrFixture {
 protected:
  std::vector<int> modes;
  std::vector<double> xmin;  // world window at each drawing
  FStr<240> titles;

  GrPlot recorder() {
    return [this](int mode, float* s) {
      modes.push_back(mode);
      if (mode == 0) {
        s[0] = 0, s[1] = 100, s[2] = 0, s[3] = 50;
        grctrl_item(" ZZap");
      }
      if (mode == 1) xmin.push_back(grcomn.XMINGR);
    };
  }
  void SetUp() override {
    GrFixture::SetUp();
    grinit(5, 12, "rivsim", "", 0);
    titles = "My River";
    fassign(std::span<char>(titles.c + 160, 40), "Distance [km]");
    fassign(std::span<char>(titles.c + 200, 40), "Level [m]");
  }
  static void key(char k) { grx_headless_event(kGrxKeyPress, 100, 100, k); }
};

TEST_F(Ctrl, NonInteractiveDrawsOnceAndTakesTheOptionWord) {
  grcomn.IN15GR = 1;
  float s[4];
  grctrl(recorder(), 4 + 128, titles, s);
  EXPECT_EQ(modes, (std::vector<int>{0, 1, 3}));
  EXPECT_EQ(grcomn.IN01GR, 0);
  EXPECT_EQ(grcomn.IN03GR, 1);
  EXPECT_EQ(grcomn.IN08GR, 1);
}

TEST_F(Ctrl, ViewerItemsZoomAndOriginal) {
  float s[4];
  // Item 13 by its hot key, a wheel-up zoom at the plot centre, Original,
  // eXit.
  key('z');
  grx_headless_event(kGrxButtonPress, 300, 300, 4);
  key('o');
  key('x');
  grctrl(recorder(), 0, titles, s);
  // 0 1 3 (first drawing), -1 (Zap), 1 3 (zoomed), 0 1 3 (Original)
  EXPECT_EQ(std::count(modes.begin(), modes.end(), -1), 1);
  EXPECT_EQ(std::count(modes.begin(), modes.end(), 0), 2);
  ASSERT_EQ(xmin.size(), 3u);
  EXPECT_NE(xmin[1], xmin[0]);
  EXPECT_EQ(xmin[2], xmin[0]);
  EXPECT_TRUE(file_exists(".grset"));
}

TEST_F(Ctrl, ValueMessageAndScreenShots) {
  EXPECT_EQ(grshot_name("png"), "gr0000.png");
  put("gr0000.png", "x");
  EXPECT_EQ(grshot_name("png"), "gr0001.png");
  EXPECT_EQ(grshot_name("tif"), "gr0000.tif");
  // A dangling link and a folder are not free; a reserved name is a new file.
  ASSERT_EQ(::symlink("nowhere/x", "gr0001.png"), 0);
  ASSERT_EQ(::mkdir("gr0002.png", 0755), 0);
  EXPECT_EQ(grshot_name("png", true), "gr0003.png");
  EXPECT_TRUE(file_exists("gr0003.png"));
  EXPECT_FALSE(grshot_done("gr0003.png", 0));  // nothing captured: removed again
  EXPECT_FALSE(file_exists("gr0003.png"));
  ::unlink("gr0001.png");
  ::rmdir("gr0002.png");
  grcomn.WNDWGR[3] = 1000, grcomn.WNDWGR[4] = 700;
  EXPECT_EQ(grshot_command("gr0001.png", false, false), "import -window rivsim gr0001.png ");
  EXPECT_EQ(grshot_command("gr0001.png", true, true),
            "import -window rivsim -frame  -crop 0900X0700+0+0  gr0001.png ");
  grcomt.WNAMGR = "my plot;rm";
  EXPECT_EQ(grshot_command("a.png", false, false), "import -window 'my plot;rm' a.png ");
}

}  // namespace
}  // namespace riv
