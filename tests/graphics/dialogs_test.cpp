// Menus and dialogs on the headless driver, driven by queued events, the
// program's script queue and a script file of answers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/graphics.hpp"
#include "grfixture.hpp"

namespace riv {
namespace {

constexpr int kLeft = 0xFF51, kReturn = 0xFF0D;

class Dialogs : public GrFixture {
 protected:
  std::vector<FStr<18>> menu{" FFile", "-SSection", " BBranch"};
  void SetUp() override {
    GrFixture::SetUp();
    open_plot();
  }
  void TearDown() override {
    grscript_close();
    GrFixture::TearDown();
  }
  static void key(int k) { grx_headless_event(kGrxKeyPress, 300, 300, k); }
  static void type(const std::string& s) {
    for (char ch : s) key(static_cast<unsigned char>(ch));
    key(kReturn);
  }
  static void click(int x, int y, int button = 1) {
    grx_headless_event(kGrxButtonPress, x, y, button);
  }
  int choose(int layout = -1) {
    int ich = layout;
    float x = 0, y = 0;
    grcurs(static_cast<int>(menu.size()), menu.data(), ich, x, y);
    return ich;
  }
};

TEST_F(Dialogs, HotKeysSkipDisabledItemsAndMouseButtons) {
  // "S" is disabled and answers nothing, Escape neither.
  for (int k : std::initializer_list<int>{'s', 'b', 'f', 0xFF1B}) key(k);
  for (int want : {0, 3, 1, 0}) EXPECT_EQ(choose(), want);
  click(500, 400, 3);
  EXPECT_EQ(choose(), -3);
  // The second row button (device x from 55 + 78.5), then a click on the
  // disabled one, which is refused until a key answers.
  click(140, 12);
  key('b');
  EXPECT_EQ(choose(), 3);
  EXPECT_EQ(grx_headless().beeps, 1);
  menu[1] = " SSection";
  click(140, 12);
  EXPECT_EQ(choose(), 2);
  click(60, 12);
  EXPECT_EQ(choose(), 1);
}

TEST_F(Dialogs, StickyItemAnswersClicksOutsideTheButtons) {
  menu[2] = "<BBranch";
  click(500, 400);
  EXPECT_EQ(choose(), 0);
  key('b');
  EXPECT_EQ(choose(), 3);
  float x = 0, y = 0;
  click(grcomn.XORGGR + 0.5f * grcomn.XFACGR * 100, py(50));  // inside the plot
  EXPECT_EQ(choose(), 3);
  key('f');
  EXPECT_EQ(choose(), 1);
  click(500, 400);
  EXPECT_EQ(choose(), 0);  // another choice cleared it
  // The cursor comes back in user coordinates.
  click(px(25), py(75), 3);
  int ich = -1;
  grcurs(3, menu.data(), ich, x, y);
  EXPECT_NEAR(x, 25, 0.5);
  EXPECT_NEAR(y, 75, 0.5);
}

TEST_F(Dialogs, ArrowKeyPansByAThird) {
  grcomn.INDSGR = 1;
  key(kLeft);
  EXPECT_EQ(choose(0), -9);
  for (double x : {grcomn.XMINGR, grcomn.XMNCGR}) EXPECT_NEAR(x, -100.0 / 3, 1e-9);
  EXPECT_NEAR(grcomn.XMAXGR, 200.0 / 3, 1e-9);
  EXPECT_EQ(grcomn.YMINGR, 0.0);
  EXPECT_EQ(grcomn.INDSGR, 0);
  // The column menu at the right edge and its layout survive a resize.
  grx_headless_event(kGrxConfigure, 800, 600, 0);
  key('b');
  EXPECT_EQ(choose(0), 3);
  EXPECT_EQ(grcomn.WNDWGR[3], 800);
  EXPECT_EQ(grcomn.NXINGR, static_cast<int>(800 / (50 * grcomn.XSCLGR) - 4));
}

TEST_F(Dialogs, ScriptQueueAnswersBeforeTheUser) {
  menu[1] = " SSection";
  grscpt({"F", "S 12.5 40"});
  EXPECT_EQ(choose(), 1);
  float x = 0, y = 0;
  int ich = 0;
  grcurs(3, menu.data(), ich, x, y);
  EXPECT_EQ(ich, 2);
  EXPECT_EQ(x, 12.5f);
  EXPECT_EQ(y, 40.0f);
  // New lines go before the pending ones; every prompt takes its line.
  grscpt({"B", "name", "2.5", "17"});
  grscpt({"F"});
  EXPECT_EQ(choose(), 1);
  EXPECT_EQ(choose(100), 3);  // a polled menu takes queued lines too
  FStr<20> name("old");
  float f = 0;
  int i = 0;
  grinpa("Name", name);
  grinpf("Real", f);
  grinpi("Int", i);
  EXPECT_EQ(name.str() + " " + std::to_string(f) + " " + std::to_string(i), "name 2.500000 17");
  EXPECT_EQ(choose(100), 0);  // polled with nothing pending: no wait
}

TEST_F(Dialogs, RealPromptAsksAgainUntilANumberIsTyped) {
  float f = 0;
  type("abc");
  type("2.5");
  grinpf("Discharge", f);
  EXPECT_EQ(f, 2.5f);
  EXPECT_EQ(grx_headless().beeps, 1);
  EXPECT_EQ(grmesg_history().back().str(), "Discharge: \"abc\" is no real number");
  // A count below the lowest allowed is refused at the prompt likewise.
  int tubes = 4;
  type("0");
  type("12");
  grinpi("number of streamtubes", tubes, 1);
  EXPECT_EQ(tubes, 12);
  EXPECT_EQ(grmesg_history().back().str(), "number of streamtubes: \"0\" is below 1");
  grmesg("WARNING: K0000    not converged\n");  // a record: one line, no break drawn
  EXPECT_EQ(grmesg_history().back().str(), "WARNING: K0000    not converged");
  // The old value is shown; the first key typed replaces it, Backspace and
  // the arrows edit, an empty answer keeps the value.
  int n = 7;
  for (int k : std::initializer_list<int>{'1', '2', '3', 0xFF51, 0xFF08, 0xFF0D}) key(k);
  grinpi("Count", n);
  EXPECT_EQ(n, 13);
  for (int k : std::initializer_list<int>{0xFF51, '4', 0xFF0D}) key(k);
  grinpi("Count", n);
  EXPECT_EQ(n, 143);
  key(kReturn);
  grinpf("Discharge", f);
  EXPECT_EQ(f, 2.5f);
}

TEST_F(Dialogs, FormFromQueueAndClicks) {
  FStr<18> labels[3] = {"Name", "Show grid", "Geometry"};
  FStr<20> values[3] = {"a", "_", "|1|Point|Arc|Polygon"};
  grscpt({"Name=river", "Showg=+", "Geom=Arc", "D"});
  grinfo(3, labels, values);
  auto vals = [&] { return values[0].str() + ";" + values[1].str() + ";" + values[2].str(); };
  EXPECT_EQ(vals(), "river;+;|2|Point|Arc|Polygon");
  grscpt({"I", "Name=x", "C"});
  grinfo(3, labels, values);
  EXPECT_EQ(labels[0].str(), "cancel");
  EXPECT_EQ(vals(), "river;+;|2|Point|Arc|Polygon");  // cancel keeps the values
  labels[0] = "Name";
  grscpt({"I", "D"});
  grinfo(3, labels, values);
  EXPECT_EQ(values[1].str(), "_");
  // Interactive: Invert with its hot key, Done with its button.
  key('i');
  click(65 + 10 + 6 + 5, 30 + 12 + 19 * 3 + 5);
  grinfo(3, labels, values);
  EXPECT_EQ(values[1].str(), "+");
  EXPECT_EQ(labels[0].str(), "Name");
}

TEST_F(Dialogs, UnknownFormLineStops) {
  FStr<18> labels[1] = {"Name"};
  FStr<20> values[1] = {"a"};
  EXPECT_EXIT(
      {
        grscpt({"Width=3"});
        grinfo(1, labels, values);
      },
      ::testing::ExitedWithCode(2), "unknown script line: Width=3");
}

TEST_F(Dialogs, TextWindowSavesWithCreatedLine) {
  FStr<30> lines[2] = {"first line", "second"};
  grcomt.DATEGR = "05 Dec 2026 06:";
  grcomt.WNAMGR = std::string_view("RIVSIM\0 ", 8);
  grscpt({"t.txt"});
  grtext(2, lines);
  EXPECT_EQ(slurp("t.txt"), "first line\nsecond\n/created 05 Dec 2026 06: by RIVSIM\n");
  EXPECT_EQ(grmesg_history().back().str(), "data stored on file");
  // Save from the window on an existing file: Append, then Done.
  grx_headless().beeps = 0;
  key('s');
  type("t.txt");
  type("a");
  key(0xFF54);  // Down: nothing to scroll
  key('d');
  grtext(1, lines);
  EXPECT_EQ(slurp("t.txt"),
            "first line\nsecond\n/created 05 Dec 2026 06: by RIVSIM\nfirst line\n"
            "/created 05 Dec 2026 06: by RIVSIM\n");
}

TEST_F(Dialogs, MessageStackAndHistory) {
  for (int i = 1; i <= 205; ++i) grmesg("message " + std::to_string(i));
  auto h = grmesg_history();
  ASSERT_EQ(h.size(), 200u);
  EXPECT_EQ(grcomn.NMSGGR, 200);
  EXPECT_EQ(h.front().str(), "message 6");
  EXPECT_EQ(h.back().str(), "message 205");
  // The box shows five lines, newest at the bottom, at the plot origin.
  int ox = 65, oy = grcomn.WNDWGR[4] - 50;
  for (int dy : {2, 69})
    EXPECT_EQ(grx_headless_pixel(ox + 2, oy - dy), static_cast<uint32_t>(grcomn.IRGBGR[73]));
  EXPECT_EQ(grx_headless_pixel(ox + 2, oy - 72), 0xFFFFFFu);
  grmesg(" ");
  EXPECT_EQ(grx_headless_pixel(ox + 2, oy - 2), 0xFFFFFFu);
  EXPECT_EQ(grmesg_history().size(), 200u);
  grinit(5, 12, "rivsim", "", 0);  // start-up empties the history
  EXPECT_TRUE(grmesg_history().empty());
}

TEST_F(Dialogs, ScriptFileLineThatDoesNotFitStops) {
  put("bad.txt", "# header\nF\n2.5\nabc\n");
  ASSERT_TRUE(grscript_file("bad.txt"));
  EXPECT_EXIT(
      {
        float f = 0;
        choose();
        grinpf("Real", f);
        grinpf("Real", f);
      },
      ::testing::ExitedWithCode(2), "script file bad.txt line 4: \"abc\" is no real number");
  put("bad2.txt", "S\n");
  ASSERT_TRUE(grscript_file("bad2.txt"));
  EXPECT_EXIT(choose(), ::testing::ExitedWithCode(2), "line 1: \"S\" is no key of this menu");
}

}  // namespace
}  // namespace riv
