// The main menu answered from the program's own script queue: lazy reading
// of the model, disabled items, the File menu dismissed without reading, and
// the help screen shown by a click between y = 50 and 100.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "driver/driver.hpp"
#include "graphics/graphics.hpp"
#include "input/input.hpp"
#include "model/model.hpp"

namespace riv {
namespace {

class MainMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    grx_use_headless();
    grreset();
    std::ifstream in(std::string(RIVSIM_SOURCE_DIR) + "/examples/simple/river.txt");
    std::string all((std::istreambuf_iterator<char>(in)), {});
    // The same model without its branch.
    std::ofstream("sections_only.txt") << all.substr(0, all.find(">>branch"));
    std::ofstream("river.txt") << all;
  }
  void TearDown() override {
    run_end_hooks();
    grreset();
  }
  // Starts a run on the model and answers the menus with the lines.
  static void run(const std::string& model, const std::vector<std::string>& lines) {
    CommandLine cl;
    cl.headless = true;
    cl.args = {model};
    ASSERT_TRUE(startup(cl));
    inrea(filin);
    grscpt(lines);
    menu_loop();
  }
  static int readings() {
    const std::string l = ucontents(cunit.lulst);
    int n = 0;
    for (size_t p = l.find("/OUTPUT"); p != std::string::npos; p = l.find("/OUTPUT", p + 1)) ++n;
    return n;
  }
  static bool said(std::string_view m) {
    for (const FStr<80>& h : grmesg_history())
      if (h.trimmed() == m) return true;
    return false;
  }
};

TEST_F(MainMenu, BranchWithoutBranchReadsAgainAndDisablesItems) {
  // Branch: nsec = 0 reads the model again; "W" then chooses nothing.
  run("sections_only.txt", {"B", "W", "F", "X"});
  EXPECT_GT(creach.ncs, 0);
  EXPECT_EQ(creach.nsec, 0);
  EXPECT_EQ(readings(), 2);
  EXPECT_TRUE(said("branch not found"));
}

TEST_F(MainMenu, FileMenuDismissedReadsNothing) {
  // A key of no item (here a blank) leaves the File menu without reading the
  // model again; Refresh reads it; Section with sections loaded reads nothing.
  run("river.txt", {"F", " ", "F", "R", "S", " ", "F", "X"});
  EXPECT_EQ(readings(), 2);
  EXPECT_GT(creach.nsec, 0);
  EXPECT_FALSE(said("sections not found"));
}

TEST_F(MainMenu, ClickBetweenFiftyAndHundredShowsHelp) {
  // A click outside the buttons at y = 75 shows the help screen (its text
  // window takes the next line as the file to save to); at y = 20 nothing.
  run("river.txt", {"~ 10 75", "help.txt", "~ 10 20", "F", "X"});
  std::ifstream f("help.txt");
  std::string first;
  std::getline(f, first);
  EXPECT_EQ(first, "RIVSIM  is a program to estimate uniform and non-uniform");
}

}  // namespace
}  // namespace riv
