// Screen shots of the contour viewer on a real X server (Xvfb): the plan
// view of a small set of stream tubes with its key, the same with the mesh
// (Grid), and after a contour level was added with Examine. The pictures
// stay in <build>/testrun/x11/contour for inspection.
#include "x11/xserver.hpp"

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace riv {
namespace {

class ContourX11 : public ::testing::Test {
 protected:
  static constexpr int kTubes = 8, kSections = 24, kLd = 50;
  std::filesystem::path home;
  std::vector<float> x, y, z;
  FStr<240> titles;

  void SetUp() override {
    if (!test::have_display() || !test::have_command("import"))
      GTEST_SKIP() << "no X display or no ImageMagick";
    home = test::enter_shot_dir("contour");
    test::open_plot_window("rivcont");
    // A bend of 1.2 km, 60 m wide: tube centres across every section, the
    // velocity highest in the middle and rising downstream; the three left
    // tubes are dry above a side inflow at section 9 and lie 1 mm apart.
    x.assign(static_cast<size_t>(kLd) * kSections, 0), y = x, z = x;
    for (int n = 0; n < kSections; ++n) {
      const float s = 50.0f * n, az = 0.9f * std::sin(s / 400.0f);
      const float xc = 600.0f * std::sin(s / 600.0f), yc = s;
      for (int i = 0; i < kTubes; ++i) {
        const bool dry = n < 8 && i < 3;
        const float p = dry ? -27.0f + 0.001f * static_cast<float>(i - 3)
                            : -30.0f + 60.0f * (static_cast<float>(i) + 0.5f) / kTubes;
        const int k = n * kLd + i;
        x[k] = xc - p * std::cos(az);
        y[k] = yc + p * std::sin(az);
        const float q = 1.0f - (p / 30.0f) * (p / 30.0f);
        z[k] = dry ? 0.0f : (0.4f + 0.015f * n) * (0.5f + q);
      }
    }
    titles = "Test reach";
    fassign(std::span<char>(titles.c + 80, 80), "  Velocity [m/s]");
    fassign(std::span<char>(titles.c + 160, 40), "[m]");
    fassign(std::span<char>(titles.c + 200, 40), "[m]");
  }
  void TearDown() override {
    if (home.empty()) return;
    test::close_window();
    std::filesystem::current_path(home);
  }
  std::string shot(std::vector<std::string> keys) {
    const std::string name = grshot_name("png");
    for (const char* k : {"H", "P", "X"}) keys.push_back(k);
    grscpt(keys);
    grcont(x.data(), y.data(), z.data(), kTubes, kSections, kLd, titles, 0, -99.0f);
    EXPECT_TRUE(std::filesystem::exists(name)) << name;
    return name;
  }
};

TEST_F(ContourX11, PlanViewGridAndAddedLevel) {
  grcomn.XKEYGR = 2000, grcomn.YKEYGR = 2000;  // the key kept in the upper right
  shot({});                                     // gr0000: the plan view with its key
  shot({"G"});                                  // gr0001: with the mesh
  // Contour editing is switched on by a click on the key (away from its pin
  // and its hide box); then Examine in the bend adds a level there.
  grcomn.XCRSGR = grcomn.XKEYGR + 60, grcomn.YCRSGR = grcomn.YKEYGR + 6;
  grkey2(4);
  grcomn.XCRSGR = grcomn.YCRSGR = -1000;
  const int k = 10 * kLd + 5;
  shot({"G", "E " + std::to_string(x[k]) + " " + std::to_string(y[k])});  // gr0002
  bool added = false;
  for (const auto& m : grmesg_history()) added = added || m.view().find("Contour added") == 0;
  EXPECT_TRUE(added);
}

}  // namespace
}  // namespace riv
