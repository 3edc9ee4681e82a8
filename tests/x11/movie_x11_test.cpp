// The section list on a real X server (a private Xvfb): the example reach is
// read, Section -> List is run from a script of answers, and the shapes of
// three sections are captured through the plot's Hardcopy menu. The
// pictures stay in <build>/testrun/x11/sections for inspection.
#include "x11/xserver.hpp"

#include <filesystem>
#include <fstream>
#include <string>

#include "input/input.hpp"
#include "input/units.hpp"
#include "model/model.hpp"
#include "sections/sections.hpp"

namespace riv {
namespace {

TEST(SectionListX11, ShapesOfThreeSectionsOfTheExampleReach) {
  if (!test::have_command("import")) GTEST_SKIP() << "no ImageMagick";
  if (!test::have_display()) GTEST_SKIP() << "no X display";
  const std::string src = std::string(RIVSIM_SOURCE_DIR) + "/examples/reach/";
  const std::filesystem::path home = test::enter_shot_dir("sections");
  for (const char* f : {"river.txt", "sections.txt"})
    std::filesystem::copy_file(src + f, f, std::filesystem::copy_options::overwrite_existing);

  // Answers: the table window closes; the sequence menu goes to a section,
  // is left for the control menu, whose Hardcopy PNG captures the plot at
  // its redraw; Select opens the sequence menu again. Sections 3, 13 (a
  // compound profile), 18 (the culvert pipe) and the last (End).
  std::ofstream("answers.txt") << "\n"
                                  "n\n3\nx\nh\np\n"
                                  "s\nn\n13\nx\nh\np\n"
                                  "s\nn\n18\nx\nh\np\n"
                                  "s\ne\nx\nh\np\n"
                                  "x\n";
  alarm(120);  // a script that falls short would leave the window waiting

  model_init();
  uopen_memory(cunit.lulst);
  test::open_plot_window("rivsect");
  FStr<60> name("river.txt");
  testing::internal::CaptureStdout();
  inrea(name);
  testing::internal::GetCapturedStdout();
  ASSERT_EQ(creach.ncs, 26);
  ASSERT_EQ(cchar.csname(18).str(), "P4050");
  ASSERT_TRUE(grscript_file("answers.txt"));
  clist();
  std::string rest;
  EXPECT_FALSE(grscript_next(rest)) << rest;  // every answer was used
  alarm(0);

  EXPECT_EQ(cinput.ctext(5).str().substr(0, 22), "   3 K0500       0.500");
  EXPECT_EQ(cinput.ctext(28).str().substr(0, 22), "  26 K6000       6.000");
  for (const char* f : {"gr0000.png", "gr0001.png", "gr0002.png", "gr0003.png"})
    EXPECT_GT(std::filesystem::exists(f) ? std::filesystem::file_size(f) : 0u, 1000u) << f;
  test::close_window();
  uclose(cunit.lulst);
  std::filesystem::current_path(home);
}

}  // namespace
}  // namespace riv
