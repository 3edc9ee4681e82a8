// Menus and dialogs on a real X server (Xvfb in the test run): each dialog
// is captured by import while it waits, then answered by xdotool keys; the
// pictures stay in the test's folder and are checked at a few pixels.
#include "x11/xserver.hpp"

#include <string>
#include <vector>

#include "input/units.hpp"

namespace riv {
namespace {

using test::have_display;
using Image = test::Shot;

const std::string& window_name() {
  static const std::string n = test::window_name("rivsimdlg");
  return n;
}

class DialogsX11 : public ::testing::Test {
 protected:
  std::string dir = std::string(RIVSIM_BINARY_DIR) + "/testrun/";
  void SetUp() override {
    if (!have_display()) GTEST_SKIP() << "no X display";
    if (!test::have_command("xdotool") || !test::have_command("import"))
      GTEST_SKIP() << "no xdotool or import";
    grreset();
    grx_install_x11();
    grinit(5, 12, window_name(), "", 0);
    grsset(0, 100, 0, 100);
    grsfac();
    grcomn.XMNCGR = 0, grcomn.XMXCGR = 100, grcomn.YMNCGR = 0, grcomn.YMXCGR = 100;
    graxes(0, 100, 0, 100, 0);
    grflip();
    alarm(60);  // a lost key must fail the run, not hang it
  }
  void TearDown() override {
    alarm(0);
    if (grx_is_open()) test::close_window();
  }
  // While the program waits: a shot of the window (when named), then keys.
  void later(const std::string& shot, const std::string& keys) {
    std::string w = "$(xdotool search --name " + window_name() + " | head -1)";
    std::string cmd = "(sleep 0.6; ";
    if (!shot.empty()) {
      std::remove((dir + shot + ".ppm").c_str());
      cmd += test::capture_command(window_name(), dir + shot) + "; ";
    }
    cmd += "xdotool key --window " + w + " " + keys + ") >/dev/null 2>&1 &";
    std::system(cmd.c_str());
  }
  bool picture(const std::string& shot, Image& img) {
    img = test::load_ppm(dir + shot + ".ppm");
    return img.w > 0;
  }
  static uint32_t rgb(int k) { return static_cast<uint32_t>(grcomn.IRGBGR[k]); }
};

TEST_F(DialogsX11, MenuRowAndColumnBelowIt) {
  FStr<18> row[4] = {" FFile", " SSection", "-BBranch", " XeXit"};
  FStr<18> column[3] = {" OOpen", " SSave", " CCompute"};
  int ich = -1;
  float x = 0, y = 0;
  later("", "f");
  grcurs(4, row, ich, x, y);
  EXPECT_EQ(ich, 1);
  grmesg("choose from the column");
  ich = 1;
  later("dialogs_menu", "c");
  grcurs(3, column, ich, x, y);
  EXPECT_EQ(ich, 3);
  Image img;
  ASSERT_TRUE(picture("dialogs_menu", img));
  // Row buttons from x = 55 every 78.5 pixels, 3..20 below the top.
  EXPECT_EQ(img.at(55 + 60, 12), rgb(31));    // File
  EXPECT_EQ(img.at(133 + 60, 12), rgb(3));    // Section
  EXPECT_EQ(img.at(212 + 60, 12), 0xFFFFFFu); // Branch, disabled
  EXPECT_EQ(img.at(290 + 60, 12), rgb(31));   // eXit
  EXPECT_EQ(img.at(55 + 60, 30), rgb(31));    // Open
  EXPECT_EQ(img.at(55 + 60, 49), rgb(3));     // Save
  EXPECT_EQ(img.at(55 + 60, 68), rgb(21));    // Compute
  EXPECT_EQ(img.at(55 + 60, 88), 0xFFFFFFu);  // nothing below
}

TEST_F(DialogsX11, FormEditedWithKeys) {
  FStr<18> labels[4] = {"Name", "Show grid", "Geometry", "Color"};
  FStr<20> values[4] = {"Rhine", "+", "|2|Point|Arc|Polygon", "23"};
  later("dialogs_form", "i d");
  grinfo(4, labels, values);
  EXPECT_EQ(labels[0].str(), "Name");
  EXPECT_EQ(values[1].str(), "_");
  Image img;
  ASSERT_TRUE(picture("dialogs_form", img));
  EXPECT_EQ(img.at(78, 33), rgb(1));      // the form's box
  EXPECT_EQ(img.at(258, 79), rgb(21));    // the choice "Arc"
  EXPECT_EQ(img.at(200, 100), rgb(23));   // the colour swatch
  EXPECT_EQ(img.at(90, 38 + 19 * 4 + 12 + 8), rgb(31));  // Done
  // A typed name: click into the field, type, Return, Done.
  std::string w = "$(xdotool search --name " + window_name() + " | head -1)";
  std::system(("(sleep 0.6; xdotool mousemove --window " + w +
               " 220 45 click 1 key M a a s Return d) >/dev/null 2>&1 &").c_str());
  grinfo(4, labels, values);
  EXPECT_EQ(values[0].str(), "Maas");
}

TEST_F(DialogsX11, TextWindowScrollsAndCloses) {
  std::vector<FStr<60>> lines;
  for (int i = 1; i <= 80; ++i) lines.emplace_back("line " + std::to_string(i) + " of the text");
  later("dialogs_text", "Down Down d");
  grtext(static_cast<int>(lines.size()), lines.data());
  Image img;
  ASSERT_TRUE(picture("dialogs_text", img));
  EXPECT_EQ(img.at(75 + 380 - 66 + 50, 40), rgb(31));  // Done
  EXPECT_EQ(img.at(80, 300), 0xFFFFFFu);                // the window's paper
}

}  // namespace
}  // namespace riv
