// The Xlib driver on a real X server (Xvfb in the test run): the window is
// drawn through the graphics library, captured with ImageMagick's import and
// its pixels compared with what was drawn. Skipped when no display opens.
#include "x11/xserver.hpp"

#include <string>
#include <vector>

#include "input/units.hpp"

namespace riv {
namespace {

using test::have_display;

const std::string& window_name() {
  static const std::string n = test::window_name("rivsimx");
  return n;
}

class GrX11 : public ::testing::Test {
 protected:
  bool open = false;
  void SetUp() override {
    if (!have_display()) GTEST_SKIP() << "no X display";
    open = true;
    grreset();
    grx_install_x11();
    grinit(5, 12, window_name(), "", 0);
    grsset(0, 100, 0, 100);
    grsfac();
    grcomn.XMNCGR = 0, grcomn.XMXCGR = 100, grcomn.YMNCGR = 0, grcomn.YMXCGR = 100;
  }
  void TearDown() override {
    if (open) test::close_window();
  }
  static int px(float x) {
    float a, b;
    grdevc(x, 0, a, b);
    return static_cast<int>(a);
  }
  static int py(float y) {
    float a, b;
    grdevc(0, y, a, b);
    return static_cast<int>(b);
  }
};

TEST_F(GrX11, DrawsColoursLinesFillsMarkersAndTexts) {
  ASSERT_TRUE(grx_is_open());
  grcler(1);  // a double-buffered frame
  graxes(0, 100, 0, 100, 0);
  float x[4] = {10, 30, 30, 10}, y[4] = {10, 10, 30, 30};
  grfil2(x, y, 4, 3);
  grcolr(0);
  grmov2(10, 60);
  grdrw2(90, 60);
  grcolr(13);
  grdash(2);
  grmov2(10, 50);
  grdrw2(90, 50);
  grdash(1);
  grmov2(70, 20);
  grsymb(502);  // square in colour 5
  grcolr(0);
  grmov2(50, 80);
  granot("~~HELLO RIVSIM");
  grflip();
  grxslp(5);

  const test::Shot img = test::capture(window_name(), "shot");
  ASSERT_GT(img.w, 0) << "import failed";
  std::filesystem::copy_file("shot.png", std::string(RIVSIM_BINARY_DIR) + "/testrun/x11_shot.png",
                             std::filesystem::copy_options::overwrite_existing);
  ASSERT_EQ(img.w, 1120);
  ASSERT_EQ(img.h, 786);
  const GrComn& c = grcomn;
  auto rgb = [&](int k) { return static_cast<uint32_t>(c.IRGBGR[k]); };
  EXPECT_EQ(img.at(px(20), py(20)), rgb(103));   // fill
  EXPECT_EQ(img.at(px(35), py(20)), 0xFFFFFFu);  // beside it
  EXPECT_EQ(img.at(px(50), py(60)), 0u);         // solid black line
  EXPECT_EQ(img.at(px(50), py(61)), 0xFFFFFFu);
  int dash_on = 0;  // dashed line: 9 on, 3 off
  for (int i = px(20); i < px(20) + 120; ++i) dash_on += img.at(i, py(50)) == rgb(113);
  EXPECT_EQ(dash_on, 90);
  EXPECT_EQ(img.at(px(70) + 2, py(20)), rgb(105));  // marker outline
  EXPECT_EQ(img.at(px(70) - 2, py(20) - 1), rgb(105));
  EXPECT_EQ(img.at(px(0), py(40)), 0u);  // the axes box
  int ink = 0;                           // the text around its centre
  for (int i = px(50) - 42; i < px(50) + 42; ++i)
    for (int j = py(80) - 10; j <= py(80) + 2; ++j) ink += img.at(i, j) == 0;
  EXPECT_GT(ink, 60);
  int left = 0;  // and nothing right of it
  for (int i = px(50) + 44; i < px(50) + 80; ++i)
    for (int j = py(80) - 10; j <= py(80) + 2; ++j) left += img.at(i, j) == 0;
  EXPECT_EQ(left, 0);
}

TEST(GrX11NoDisplay, SaysSoAndEndsWithStatusOne) {
  EXPECT_EXIT(
      {
        unsetenv("DISPLAY");
        std::freopen("nodisplay.txt", "w", stdout);
        grreset();
        grx_install_x11();
        grinit(5, 12, window_name(), "", 0);
      },
      ::testing::ExitedWithCode(1), "");
  std::ifstream f("nodisplay.txt");
  std::string line;
  std::getline(f, line);
  EXPECT_EQ(line, " Cannot open display...aborting");
  std::remove("nodisplay.txt");
}

}  // namespace
}  // namespace riv
