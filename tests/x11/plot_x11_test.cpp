// Screen shots of the line-plot viewer on a real X server (Xvfb): a
// backwater profile, zoomed, with the key moved, with labels and with a line
// hidden. The pictures stay in <build>/testrun/x11/plots for inspection.
#include "x11/xserver.hpp"

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace riv {
namespace {

class PlotX11 : public ::testing::Test {
 protected:
  std::filesystem::path home;
  std::vector<float> x, y, v;
  int nper[3] = {21, 21, 21};
  int isym[3] = {0, 105, 0};
  int ilin[3] = {4, 101, 1304};
  FStr<40> titl[3] = {"Mean Bed", "Water Level", "Energy Level"};
  FStr<240> titles;

  void SetUp() override {
    if (!test::have_display() || !test::have_command("import"))
      GTEST_SKIP() << "no X display or no ImageMagick";
    home = test::enter_shot_dir("plots");
    test::open_plot_window("rivplot");
    // A backwater curve: bed on 0.1 %, water rising to a weir downstream.
    for (int k = 0; k < 3; ++k)
      for (int i = 0; i <= 20; ++i) {
        const float km = 0.1f * static_cast<float>(i);
        const float bed = 102.0f - 2.0f * km;
        const float h = 2.0f + 1.5f * std::exp(-(4.0f - 2.0f * km));
        const float yv[3] = {bed, bed + h, bed + h + 0.2f / h};
        x.push_back(km);
        y.push_back(yv[k]);
        v.push_back(yv[k]);
      }
    titles = "Test reach";
    fassign(std::span<char>(titles.c + 80, 80), "Backwater Curve");
    fassign(std::span<char>(titles.c + 160, 40), "Distance [km]");
    fassign(std::span<char>(titles.c + 200, 40), "Level [m]");
  }
  void TearDown() override {
    if (home.empty()) return;
    test::close_window();
    std::filesystem::current_path(home);
  }
  // Shows the plot and takes a PNG screen shot through the Hardcopy menu.
  std::string shot(int options, std::vector<std::string> keys = {}) {
    const std::string name = grshot_name("png");
    for (const char* k : {"H", "P", "X"}) keys.push_back(k);
    grscpt(keys);
    grklin(nper, isym, ilin, titl, 3, x.data(), y.data(), v.data(), titles, options, -1);
    EXPECT_TRUE(std::filesystem::exists(name)) << name;
    return name;
  }
};

TEST_F(PlotX11, ProfileZoomKeyLabelsAndHiddenLine) {
  shot(4);  // gr0000: the profile
  // gr0001: zoomed in twice at the weir end; the same ranges keep the zoom.
  grcomn.IN15GR = 1;
  grklin(nper, isym, ilin, titl, 3, x.data(), y.data(), v.data(), titles, 4, -1);
  grzoom(1.8f, 103.0f, -4);
  grzoom(1.8f, 103.0f, -4);
  grcomn.IN15GR = 0;
  const double zx = grcomn.XMINGR;
  shot(0);
  EXPECT_EQ(grcomn.XMINGR, zx);
  // gr0002: the key moved to the upper right.
  grcomn.XKEYGR = 700, grcomn.YKEYGR = 600;
  shot(4, {"O"});
  // gr0003: labels with values; gr0004: the water level hidden.
  shot(4, {"L", "L"});
  ilin[1] = -ilin[1];
  shot(4, {"L"});
  ilin[1] = -ilin[1];
}

}  // namespace
}  // namespace riv
