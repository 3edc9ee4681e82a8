// The Xlib driver on a real X server (Xvfb in the test run): the window is
// drawn through the graphics library, captured with ImageMagick's import and
// its pixels compared with what was drawn. Skipped when no display opens.
#include <gtest/gtest.h>
// After gtest: Xlib's macros (None, Bool) clash with its names.
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "graphics/graphics.hpp"
#include "input/units.hpp"
#include "x11/x11.hpp"

namespace riv {
namespace {

// Tests may run side by side on one server: each process names its window.
const std::string& window_name() {
  static const std::string n = "rivsimx" + std::to_string(getpid());
  return n;
}

// Other tests draw windows on the shared server at the same place, and a
// covered window cannot be read back. So the tests start a server of their
// own when Xvfb is at hand, and use the shared one otherwise.
pid_t g_server = 0;

void start_own_server() {
  if (std::system("command -v Xvfb >/dev/null 2>&1") != 0) return;
  int fds[2];
  if (pipe(fds) != 0) return;
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    std::freopen("/dev/null", "w", stderr);
    std::string fd = std::to_string(fds[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten",
           "tcp", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  std::string num;
  char ch;
  while (pid > 0 && read(fds[0], &ch, 1) == 1 && ch != '\n') num.push_back(ch);
  close(fds[0]);
  if (pid > 0 && !num.empty()) {
    g_server = pid;
    setenv("DISPLAY", (":" + num).c_str(), 1);
  } else if (pid > 0) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
}

struct ServerEnvironment : ::testing::Environment {
  void TearDown() override {
    if (g_server > 0) {
      kill(g_server, SIGTERM);
      waitpid(g_server, nullptr, 0);
      g_server = 0;
    }
  }
};
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new ServerEnvironment);

// The connection stays open for the whole run, so that the server does not
// reset between the tests when the library closes its own.
bool have_display() {
  static Display* d = [] {
    start_own_server();
    return XOpenDisplay(nullptr);
  }();
  return d != nullptr;
}

struct Image {
  int w = 0, h = 0;
  std::vector<unsigned char> rgb;
  uint32_t at(int x, int y) const {
    size_t i = 3 * (static_cast<size_t>(y) * w + x);
    return rgb[i] << 16 | rgb[i + 1] << 8 | rgb[i + 2];
  }
};

// Captures the window with import and reads the binary PPM.
bool capture(const std::string& file, Image& img) {
  std::string cmd = "import -window " + window_name() + " -depth 8 " + file + ".ppm";
  if (std::system(cmd.c_str()) != 0) return false;
  std::system(("convert " + file + ".ppm " + file + ".png 2>/dev/null").c_str());
  std::ifstream f(file + ".ppm", std::ios::binary);
  std::string magic;
  int maxval;
  f >> magic >> img.w >> img.h >> maxval;
  f.get();
  if (magic != "P6" || maxval != 255) return false;
  img.rgb.resize(static_cast<size_t>(img.w) * img.h * 3);
  f.read(reinterpret_cast<char*>(img.rgb.data()), static_cast<std::streamsize>(img.rgb.size()));
  return static_cast<bool>(f);
}

class GrX11 : public ::testing::Test {
 protected:
  std::filesystem::path home, dir;
  void SetUp() override {
    if (!have_display()) GTEST_SKIP() << "no X display";
    home = std::filesystem::current_path();
    char tmpl[] = "/tmp/grx11XXXXXX";
    dir = mkdtemp(tmpl);
    std::filesystem::current_path(dir);
    grreset();
    grx_install_x11();
    grinit(5, 12, window_name(), "", 0);
    grsset(0, 100, 0, 100);
    grsfac();
    grcomn.XMNCGR = 0, grcomn.XMXCGR = 100, grcomn.YMNCGR = 0, grcomn.YMXCGR = 100;
  }
  void TearDown() override {
    if (dir.empty()) return;
    grclos();
    grreset();
    grx_use_headless();
    std::filesystem::current_path(home);
    std::filesystem::remove_all(dir);
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

  Image img;
  ASSERT_TRUE(capture("shot", img)) << "import failed";
  std::filesystem::copy_file("shot.png", std::string(RIVSIM_BINARY_DIR) + "/testrun/x11_shot.png",
                             std::filesystem::copy_options::overwrite_existing);
  ASSERT_EQ(img.w, 1120);
  ASSERT_EQ(img.h, 786);
  const GrComn& c = grcomn;
  auto rgb = [&](int k) { return static_cast<uint32_t>(c.IRGBGR[k]); };
  EXPECT_EQ(img.at(px(20), py(20)), rgb(103));         // fill
  EXPECT_EQ(img.at(px(35), py(20)), 0xFFFFFFu);        // beside it
  EXPECT_EQ(img.at(px(50), py(60)), 0u);               // solid black line
  EXPECT_EQ(img.at(px(50), py(61)), 0xFFFFFFu);
  int dash_on = 0;                                     // dashed line: 9 on, 3 off
  for (int i = px(20); i < px(20) + 120; ++i) dash_on += img.at(i, py(50)) == rgb(113);
  EXPECT_EQ(dash_on, 90);
  EXPECT_EQ(img.at(px(70) + 2, py(20)), rgb(105));     // marker outline
  EXPECT_EQ(img.at(px(70) - 2, py(20) - 1), rgb(105));
  EXPECT_EQ(img.at(px(0), py(40)), 0u);                // the axes box
  int ink = 0;                                         // the text around its centre
  for (int i = px(50) - 42; i < px(50) + 42; ++i)
    for (int j = py(80) - 10; j <= py(80) + 2; ++j) ink += img.at(i, j) == 0;
  EXPECT_GT(ink, 60);
  int left = 0;                                        // and nothing right of it
  for (int i = px(50) + 44; i < px(50) + 80; ++i)
    for (int j = py(80) - 10; j <= py(80) + 2; ++j) left += img.at(i, j) == 0;
  EXPECT_EQ(left, 0);
}

TEST_F(GrX11, KeysAndButtons) {
  if (std::system("command -v xdotool >/dev/null") != 0) GTEST_SKIP() << "no xdotool";
  int type = -1, x = -7, y = -7, code = -7;
  grxcvn(type, x, y, code);
  EXPECT_EQ(type, -1);  // nothing queued: arguments untouched
  EXPECT_EQ(code, -7);
  std::string w = "$(xdotool search --name " + window_name() + " | head -1)";
  alarm(30);  // a lost event must fail the test, not hang it
  ASSERT_EQ(std::system(("xdotool key --window " + w + " KP_7 7 Return Left Escape").c_str()), 0);
  std::vector<int> codes;
  while (codes.size() < 5) {
    grxevn(type, x, y, code);
    if (type == kGrxKeyPress) codes.push_back(code);
  }
  EXPECT_EQ(codes, (std::vector<int>{55, 55, 11, 15, 12}));
  ASSERT_EQ(std::system(("xdotool mousemove --window " + w + " 40 30 click 3").c_str()), 0);
  do grxevn(type, x, y, code);
  while (type != kGrxButtonPress);
  EXPECT_EQ(code, 3);
  EXPECT_EQ(x, 40);
  EXPECT_EQ(y, 30);
  alarm(0);
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
