// Screen shots of the contour viewer on a real X server (Xvfb): the plan
// view of a small set of stream tubes with its key, the same with the mesh
// (Grid), and after a contour level was added with Examine. The pictures
// stay in <build>/testrun/x11/contour for inspection.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "graphics/graphics.hpp"
#include "x11/x11.hpp"

namespace riv {
namespace {

// A server of our own when Xvfb is at hand (others draw on a shared one).
pid_t g_contour_server = 0;

bool contour_display() {
  static const bool ok = [] {
    if (std::system("command -v Xvfb >/dev/null 2>&1") == 0) {
      int fds[2];
      if (pipe(fds) == 0) {
        pid_t pid = fork();
        if (pid == 0) {
          close(fds[0]);
          std::freopen("/dev/null", "w", stderr);
          std::string fd = std::to_string(fds[1]);
          execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
                 "-nolisten", "tcp", static_cast<char*>(nullptr));
          _exit(127);
        }
        close(fds[1]);
        std::string num;
        char ch;
        while (pid > 0 && read(fds[0], &ch, 1) == 1 && ch != '\n') num.push_back(ch);
        close(fds[0]);
        if (pid > 0 && !num.empty()) {
          g_contour_server = pid;
          setenv("DISPLAY", (":" + num).c_str(), 1);
        } else if (pid > 0) {
          kill(pid, SIGTERM);
          waitpid(pid, nullptr, 0);
        }
      }
    }
    return getenv("DISPLAY") != nullptr &&
           std::system("command -v import >/dev/null 2>&1") == 0;
  }();
  return ok;
}

struct ContourServer : ::testing::Environment {
  void TearDown() override {
    if (g_contour_server > 0) {
      kill(g_contour_server, SIGTERM);
      waitpid(g_contour_server, nullptr, 0);
      g_contour_server = 0;
    }
  }
};
const auto* const g_contour_env = ::testing::AddGlobalTestEnvironment(new ContourServer);

class ContourX11 : public ::testing::Test {
 protected:
  static constexpr int kTubes = 8, kSections = 24, kLd = 50;
  std::filesystem::path home;
  std::vector<float> x, y, z;
  FStr<240> titles;

  void SetUp() override {
    if (!contour_display()) GTEST_SKIP() << "no X display or no ImageMagick";
    home = std::filesystem::current_path();
    std::filesystem::create_directories("contour");
    std::filesystem::current_path("contour");
    for (const auto& e : std::filesystem::directory_iterator("."))
      if (e.path().filename().string().rfind("gr", 0) == 0) std::filesystem::remove(e.path());
    grreset();
    grx_install_x11();
    grinit(5, 6, "rivcont" + std::to_string(getpid()), "", 0);
    if (!grx_is_open()) {
      int m = 2;
      grmode(m);
    }
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
    grclos();
    grreset();
    grx_use_headless();
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
