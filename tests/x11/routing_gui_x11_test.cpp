// The routing run in the window on a real X server (Xvfb): the start state
// answered from a script file (a screen shot through Hardcopy, then eXit),
// the animated profile with its panel, progress beam and step menu, the
// discharge and velocity pictures chosen from the step menu, a Halt and an
// eXit, all answered through the script queue. The screen shots stay in
// <build>/testrun/x11/routing_gui for inspection.
#include "x11/xserver.hpp"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "routing/routing.hpp"
#include "steady/branch_fixture.hpp"

namespace riv {
namespace {

using test::capture;
using test::Shot;

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
    if (!test::have_display()) GTEST_SKIP() << "no X display";
    if (!test::have_command("import")) GTEST_SKIP() << "no import";
    BranchTest::SetUp();
    home = test::enter_shot_dir("routing_gui");
    window = test::window_name("rroute");
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
    test::close_window();
    std::filesystem::current_path(home);
    BranchTest::TearDown();
  }
};

TEST_F(RoutingGui, AnimatedProfileItemsHaltAndExit) {
  // A flood wave on a rectangular channel 20 m wide, 4.5 km long.
  rect("R", 20.0f, 8.0f);
  reach("R", 10, 500.0f, 0.0005f);
  cond(0, kTabInflow, {{0.0f, 50.0f}, {1.0f, 150.0f}, {2.0f, 50.0f}}, 1);
  value(10, kTabLevel, 3.0f);
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
