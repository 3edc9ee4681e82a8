// The bed evolution run in the window on a real X server (Xvfb): the run's
// form, the set-up picture (a screen shot through Hardcopy, then eXit), the
// animated Levels picture with its panel, progress beam and step menu, the
// Load and Rate pictures chosen from the step menu, a Halt and a Close, all
// answered through the script queue. The screen shots stay in
// <build>/testrun/x11/sediment_gui for inspection.
#include "x11/xserver.hpp"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "input/units.hpp"
#include "model/model.hpp"
#include "sediment/sediment.hpp"
#include "sediment/sedreach.hpp"
#include "steady/steady.hpp"

namespace riv {
namespace {

using test::capture;
using test::Shot;

// A rectangular reach 20 m wide of 11 sections 100 m apart on a bed slope of
// 0.2 %, 50 m3/s, uniform gravel of 10 mm, clear water from upstream: the
// upper reach erodes down towards the rock 0.3 m below.
class SedimentGui : public ::testing::Test {
 protected:
  static constexpr int nsec = 11;
  std::filesystem::path home;
  std::string window;

  void SetUp() override {
    if (!test::have_display()) GTEST_SKIP() << "no X display";
    if (!test::have_command("import")) GTEST_SKIP() << "no import";
    model_init();
    csstore_clear();
    ccs.ntabv = 40;
    qsv = -9999.0f;
    uopen_memory(cunit.lulst);
    test::gravel_reach(nsec, 0.3f);
    cbedevol.qsin = 0.0f;
    cinput.title = "Clear water erosion test";

    home = test::enter_shot_dir("sediment_gui");
    window = test::window_name("rsed");
    cinput.progid = window;
    grreset();
    grx_install_x11();
    grinit(5, cunit.lulst, cinput.progid.view(), "out", 0);
    sediment_gui_install();
    alarm(120);  // a picture that waits for an answer never given fails the run
  }
  void TearDown() override {
    if (home.empty()) return;
    alarm(0);
    seddisplay = SedDisplay{};
    test::close_window();
    std::filesystem::current_path(home);
    uclose(cunit.lulst);
  }
};

TEST_F(SedimentGui, LevelsLoadRateHaltAndClose) {
  const SedDisplay gui = seddisplay;
  // The restart before the set-up picture clears the queue: the answers for
  // its control loop (a screen shot through Hardcopy, then eXit) follow it.
  seddisplay.restart = [&] {
    gui.restart();
    grscpt({"H", "P", "X"});
  };
  // Pictures come every fifth step (1, 6, 11, ...); the step menu follows
  // each. Screen shots after the menus of the 4th, 6th and 8th picture,
  // which find no answer queued and so are drawn.
  int calls = 0;
  bool armour_missing = false;
  double ymin_levels = 0.0;
  std::vector<Shot> shots;
  seddisplay.menu = [&](Arr<FStr<18>, 23>& items, int n) {
    ++calls;
    if (calls == 4) {
      const EvolPicture& p = eprog_picture();
      for (int i = 1; i <= nsec; ++i) armour_missing |= p.f0(5 * nsec + i) == -9999.0f;
      ymin_levels = grcomn.YMINGR;
    }
    if (calls == 5) grscpt({"L"});  // Levels is the current item and disabled: L is Load
    if (calls == 7) grscpt({"R"});
    // Halt: the next picture waits in the control loop, which the "X"
    // leaves; had it not waited, the step menu would have taken the "X".
    if (calls == 9) grscpt({"H", "X"});
    if (calls == 10) grscpt({"C"});
    const int ich = gui.menu(items, n);
    if (calls == 4 || calls == 6 || calls == 8)
      shots.push_back(capture(window, calls == 4 ? "levels" : calls == 6 ? "load" : "rate"));
    return ich;
  };

  grscpt({"duration=60", "timestep=1", "D"});
  testing::internal::CaptureStdout();
  evol();
  testing::internal::GetCapturedStdout();

  EXPECT_EQ(cunit.tend, 60.0f);
  EXPECT_EQ(cunit.dtime, 1.0f);
  EXPECT_TRUE(std::filesystem::exists("gr0000.png"));  // the set-up picture
  EXPECT_GE(grcomn.ISCRGR, grcomn.NSCRGR);  // every queued answer taken
  EXPECT_EQ(calls, 10);  // Close at step 46
  EXPECT_EQ(eprog_picture().item, 2);
  EXPECT_EQ(grcomn.IN15GR, 0);
  EXPECT_EQ(cunit.tstart, 0.0f);
  EXPECT_NE(ucontents(cunit.lulst).find("Fracht[m3]"), std::string::npos);
  EXPECT_LT(cbedevol.dzb(1), -0.01f);
  // Sections without armour have no point on the Armoring line; the level
  // axis still follows the levels.
  EXPECT_TRUE(armour_missing);
  EXPECT_GT(ymin_levels, -1.0);

  ASSERT_EQ(shots.size(), 3u);
  for (const Shot& s : shots) {
    ASSERT_GT(s.w, 300);
    // The panel box (x -10..205, y -20..80 from the plot origin) is filled
    // white and carries black text.
    const int yorg = grcomn.WNDWGR[4] - 50;
    int white = 0, black = 0;
    for (int y = yorg - 78; y <= yorg + 18; ++y)
      for (int x = 65 - 8; x <= 65 + 203; ++x) {
        white += s.at(x, y) == 0xFFFFFFu;
        black += s.at(x, y) == 0u;
      }
    EXPECT_GT(white, 211 * 96 * 7 / 10);
    EXPECT_GT(black, 200);
  }
  EXPECT_NE(shots[0].rgb, shots[1].rgb);
  EXPECT_NE(shots[1].rgb, shots[2].rgb);
}

TEST_F(SedimentGui, SectionToolTableThroughFormsAndTextWindow) {
  // First pass in table mode, both columns as offered, the text window
  // saved to a file (a scripted answer names it), then Cancel.
  grscpt({"CSName=R20", "Slope=0.2", "Table=+", "D", "D", "D", "table.txt", "C"});
  testing::internal::CaptureStdout();
  discr();
  testing::internal::GetCapturedStdout();
  EXPECT_GE(grcomn.ISCRGR, grcomn.NSCRGR);
  std::ifstream f("table.txt");
  std::vector<std::string> lines;
  for (std::string l; std::getline(f, l);) lines.push_back(l);
  ASSERT_GE(lines.size(), 40u);
  EXPECT_EQ(lines[0].substr(0, 22), "Section R20      Slope");
  EXPECT_EQ(lines[2], "q[m3/s]    z[m]");
}

}  // namespace
}  // namespace riv
