// The routing run in the window on a real X server (Xvfb): the start state
// answered from a script file (a screen shot through Hardcopy, then eXit),
// the animated profile with its panel, progress beam and step menu, the
// discharge and velocity pictures chosen from the step menu, a Halt and an
// eXit, all answered through the script queue. The screen shots stay in
// <build>/testrun/x11/routing_gui for inspection.
#include <gtest/gtest.h>
// After gtest: Xlib's macros (None, Bool) clash with its names.
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "graphics/graphics.hpp"
#include "routing/routing.hpp"
#include "steady/branch_fixture.hpp"
#include "x11/x11.hpp"

namespace riv {
namespace {

pid_t g_server = 0;

// A server of our own, so that no other test's window covers ours.
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

bool have_display() {
  static Display* d = [] {
    start_own_server();
    return XOpenDisplay(nullptr);
  }();
  return d != nullptr;
}

struct Shot {
  int w = 0, h = 0;
  std::vector<unsigned char> rgb;
  uint32_t at(int x, int y) const {
    const size_t i = 3 * (static_cast<size_t>(y) * w + x);
    return rgb[i] << 16 | rgb[i + 1] << 8 | rgb[i + 2];
  }
};

// Captures the window as <file>.png and returns its pixels.
Shot capture(const std::string& window, const std::string& file) {
  Shot s;
  if (std::system(("import -window " + window + " -depth 8 " + file + ".ppm").c_str()) != 0)
    return s;
  std::system(("convert " + file + ".ppm " + file + ".png 2>/dev/null").c_str());
  std::ifstream f(file + ".ppm", std::ios::binary);
  std::string magic;
  int maxval = 0;
  f >> magic >> s.w >> s.h >> maxval;
  f.get();
  s.rgb.resize(static_cast<size_t>(s.w) * s.h * 3);
  f.read(reinterpret_cast<char*>(s.rgb.data()), static_cast<std::streamsize>(s.rgb.size()));
  if (!f || magic != "P6") s.w = s.h = 0;
  return s;
}

// Pixels of the information panel (x -10..205, y -20..110 from the plot
// origin): white and black counted.
void panel_ink(const Shot& s, int& white, int& black) {
  const int x0 = 65 - 10 + 2, x1 = 65 + 205 - 2;
  const int yorg = grcomn.WNDWGR[4] - 50;
  white = black = 0;
  for (int y = yorg - 110 + 2; y <= yorg + 20 - 2; ++y)
    for (int x = x0; x <= x1; ++x) {
      const uint32_t p = s.at(x, y);
      white += p == 0xFFFFFFu;
      black += p == 0u;
    }
}

class RoutingGui : public test::BranchTest {
 protected:
  std::filesystem::path home;
  std::string window;

  void SetUp() override {
    if (!have_display()) GTEST_SKIP() << "no X display";
    if (std::system("command -v import >/dev/null 2>&1") != 0) GTEST_SKIP() << "no import";
    BranchTest::SetUp();
    home = std::filesystem::current_path();
    std::filesystem::create_directories("routing_gui");
    std::filesystem::current_path("routing_gui");
    for (const auto& e : std::filesystem::directory_iterator("."))
      std::filesystem::remove(e.path());
    window = "rroute" + std::to_string(getpid());
    cinput.progid = window;
    grreset();
    grx_install_x11();
    grinit(5, cunit.lulst, cinput.progid.view(), "out", 0);
    routing_items = RoutingItems{};
    routing_gui_install();
    alarm(120);  // a picture that waits for an answer never given fails the run
  }
  void TearDown() override {
    if (home.empty()) return;
    alarm(0);
    routing_view = RoutingView{};
    grscript_close();
    grclos();
    grreset();
    grx_use_headless();
    std::filesystem::current_path(home);
    BranchTest::TearDown();
  }
};

TEST_F(RoutingGui, AnimatedProfileItemsHaltAndExit) {
  // A flood wave on a rectangular channel 20 m wide, 4.5 km long.
  rect("R", 20.0f, 8.0f);
  reach("R", 10, 500.0f, 0.0005f);
  cond(0, 7, {{0.0f, 50.0f}, {1.0f, 150.0f}, {2.0f, 50.0f}}, 1);
  value(10, 6, 3.0f);
  cinput.title = "Flood wave test";
  cinput.filres = "rx_gui";
  cinput.vcontr = 0.1f;
  cunit.tstart = 0.0f;
  cunit.tend = 3.0f;
  cunit.dtime = 0.1f;

  // The start state waits in the plot control loop: a screen shot through
  // Hardcopy, then eXit; the graphics restart clears the queue, so these
  // answers come from a script file.
  {
    std::ofstream f("answers");
    f << "H\nP\nX\n";
  }
  ASSERT_TRUE(grscript_file("answers"));

  // Screen shots after the pictures of chosen steps; answers queued for the
  // step menu that follows them.
  std::vector<int> steps, items;
  std::vector<Shot> shots;
  const RoutingView gui = routing_view;
  routing_view.step = [&](const RoutingFrame& f) {
    gui.step(f);
    steps.push_back(f.step);
    items.push_back(f.item);
  };
  routing_view.poll = [&] {
    const int k = steps.empty() ? 0 : steps.back();
    if (k == 10) grscpt({"D"});
    if (k == 13) grscpt({"V"});
    // Halt: the next picture waits in the control loop, which the "X"
    // leaves; had it not waited, the step menu would have taken the "X".
    if (k == 22) grscpt({"H", "X"});
    if (k == 25) grscpt({"X"});
    const RoutingAnswer a = gui.poll();
    // The picture, its panel, beam and step menu as they stand (a menu that
    // finds its answer queued is not drawn).
    if (k == 9 || k == 12 || k == 15) {
      const char* name[] = {"levels", "discharge", "velocity"};
      shots.push_back(capture(window, name[shots.size()]));
    }
    return a;
  };
  testing::internal::CaptureStdout();
  flow();
  testing::internal::GetCapturedStdout();

  EXPECT_TRUE(std::filesystem::exists("gr0000.png"));  // the start state
  EXPECT_GE(grcomn.ISCRGR, grcomn.NSCRGR);  // every queued answer taken
  ASSERT_EQ(steps.size(), 25u);  // eXit after step 25, not earlier
  EXPECT_EQ(items[9], 1);
  EXPECT_EQ(items[10], 2);  // Discharge from step 11 on
  EXPECT_EQ(items[13], 3);  // Velocity from step 14 on
  EXPECT_EQ(routing_items.item, 3);
  EXPECT_EQ(grcomn.IN15GR, 0);  // the graphics restarted after the run
  EXPECT_EQ(cinput.cmesg.trimmed(), ">results on file rx_gui");
  RxresData d;
  ASSERT_EQ(read_rxres("rx_gui", d), "");
  EXPECT_EQ(d.states.size(), 26u);  // the start state and 25 steps

  ASSERT_EQ(shots.size(), 3u);
  for (const Shot& s : shots) {
    ASSERT_GT(s.w, 300);
    int white = 0, black = 0;
    panel_ink(s, white, black);
    const int area = (215 - 4) * (130 - 4);
    EXPECT_GT(white, area * 7 / 10);  // the filled box covers the lines
    EXPECT_GT(black, 300);            // and carries the texts
  }
  EXPECT_NE(shots[0].rgb, shots[1].rgb);
  EXPECT_NE(shots[1].rgb, shots[2].rgb);
}

}  // namespace
}  // namespace riv
