#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "input/diag_helpers.hpp"
#include "input/input.hpp"

using namespace riv;

namespace {

constexpr int kIn = 11;
constexpr int kLst = 12;
const Key kBlocks[] = {">>global", ">>branch"};
const Key kWords[] = {"defkst", "hq", "title", "values"};

using test::box;
using test::clear_diag;
using test::kStars;

void set_options(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  set_command_line(static_cast<int>(argv.size()), argv.data());
  iilabl(0, "@");
}

void write_file(const std::string& name, const std::string& text) {
  std::ofstream(name, std::ios::binary) << text;
}

// Reads the input held by unit kIn as the model reader does: block names at
// the outer level, the block's keywords inside, a table after "**". The
// events list what the caller received.
std::string read_model() {
  int lu = kIn;
  FStr<128> cline;
  int iopt = 0;
  std::string ev;
  while (int b = iicmd(kBlocks, cline, lu, kLst, iopt)) {
    ev += kBlocks[b - 1].str() + ";";
    while (int k = iicmd(kWords, cline, lu, kLst, iopt)) {
      ev += kWords[k - 1].str();
      if (iopt == 1) {
        float x[4], y[4];
        int n = 4;
        iitbl(n, x, y, lu, kLst);
        ev += "[" + std::to_string(n) + "]";
      } else {
        fwrite(kLst, "(1x,a)", {cline.trimmed()});
        ev += "=" + cline.str();
        if (iopt == 2) ev += "(2)";
      }
      if (lu != kIn) ev += "@" + std::to_string(lu);
      ev += ";";
    }
  }
  return ev;
}

class CmdReader : public testing::Test {
 protected:
  void SetUp() override {
    iicmd_reset();
    clear_diag();
    set_options({"rivsim", "in"});
    uopen_memory(kLst);
  }
  void TearDown() override {
    iicmd_reset();
    clear_diag();
    uclose(kIn);
    uclose(kLst);
  }
  void input(const std::string& text) { uopen_memory(kIn, text); }
  // The listing without its /OUTPUT header (checked here), header by header.
  std::string listing() {
    std::string s = ucontents(kLst);
    std::string out;
    size_t p = 0;
    while (p < s.size()) {
      size_t h = s.find("\n/OUTPUT ", p);
      if (h == std::string::npos) h = s.size();
      out += s.substr(p, h - p);
      if (h == s.size()) break;
      EXPECT_EQ(s.substr(h + 26, 3), "/\n\n") << s;
      out += "<HDR>";
      p = h + 29;
    }
    return out;
  }
  std::string keylist(std::span<const Key> keys) {
    std::string s = "* available keywords are:\n";
    for (const Key& k : keys) s += "* " + std::string(10, ' ') + std::string(k.sub(1, 20)) + "\n";
    return s + kStars + "\n";
  }
};

TEST_F(CmdReader, BlocksCommentsTablesAndTheEnd) {
  input(
      ">>global\n# note\n/ note\ndefkst 40\n   \nhq **\n0 10\n5 12\n"
      ">>branch\nvalues 3*1.5\nvalues 2*1 **x\nhq ***\n>>\nignored 1\n");
  EXPECT_EQ(read_model(), ">>global;defkst=40;hq[2];>>branch;values=3*1.5;values[0];hq=(2);");
  EXPECT_EQ(listing(),
            "<HDR> >>global\n   defkst  40\n\n   hq\n      0.0000     10.0000\n"
            "      5.0000     12.0000\n >>branch\n   values  3*1.5\n   values\n" +
                box("warning", "found table with <2 rows") + "   hq  \n >>\n");
  EXPECT_EQ(iierr_warnings(), 1);
  // The reading is over: a new one starts with a header and reads ">>" again.
  uopen_memory(kLst);
  EXPECT_EQ(read_model(), "");
  EXPECT_EQ(listing(), "<HDR>");
  // The end of the file ends the open block, then the reading.
  uopen_memory(kLst);
  input(">>global\ndefkst 1\n>>global\ndefkst 2");
  EXPECT_EQ(read_model(), ">>global;defkst=1;>>global;defkst=2;");
}

TEST_F(CmdReader, ConditionalLinesFollowTheOptions) {
  const std::string text =
      ">>global\n{calib\ndefkst 40\n|\ndefkst 30\n}\n{calib,x defkst 41 }\n"
      "{dry\ninclude missing.txt\n# }\n{calib\ntitle 'a}b'\n>>\n";
  set_options({"rivsim", "in", "@calib"});
  input(text);
  EXPECT_EQ(read_model(), ">>global;defkst=40;defkst=41;title='a b';");
  EXPECT_EQ(listing(),
            "<HDR> >>global\n\n   defkst  40\n\n   defkst  41\n\n   title  'a b'\n >>\n");
  iicmd_reset();
  uopen_memory(kLst);
  set_options({"rivsim", "in", "@Calib"});
  input(text);
  EXPECT_EQ(read_model(), ">>global;defkst=30;");
  EXPECT_EQ(iierr_warnings() + iierr_errors(), 0);  // the skipped include is not followed
}

TEST_F(CmdReader, NestedAlternativesAndStrayLevelWords) {
  set_options({"rivsim", "@b"});
  input(
      ">>global\n{a\n{b\ndefkst 1\n}\n|b\n{b defkst 2 }\n|\ndefkst 3\n}\n"
      "| defkst 4\n}\ndefkst 5\n>>\n");
  EXPECT_EQ(read_model(), ">>global;defkst=2;defkst=4;defkst=5;");
  // The "|" outside a level is ignored, the "}" closes nothing: both warned.
  EXPECT_EQ(iierr_warnings(), 2);
  EXPECT_EQ(iierr_errors(), 0);
}

TEST_F(CmdReader, OptionLevelsBeyondTheLimitAreRefused) {
  set_options({"rivsim", "@a"});
  std::string text = ">>global\n";
  for (int i = 0; i < 101; ++i) text += "{a\n";
  text += "defkst 7\n>>\n";
  input(text);
  EXPECT_EQ(read_model(), ">>global;defkst=7;");
  EXPECT_EQ(iierr_errors(), 1);
  EXPECT_NE(listing().find(box("error", "too many option levels")), std::string::npos);
}

TEST_F(CmdReader, OpenOptionAtTheEndEndsTheReading) {
  set_options({"rivsim", "@a"});
  input(">>global\n{dry\ndefkst 1\n");
  testing::internal::CaptureStdout();
  EXPECT_EQ(read_model(), ">>global;");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), ">warning: end of option expected!\n");
  // The next reading starts anew: header, no level left open.
  input(">>global\ndefkst 2\n");
  EXPECT_EQ(read_model(), ">>global;defkst=2;");
}

TEST_F(CmdReader, UnknownKeywordsAndBlocks) {
  input(">>global\nbogus 1\ndefkst 3\n>>nope\ndefkst 4\n");
  EXPECT_EQ(read_model(), ">>global;defkst=3;");
  EXPECT_EQ(listing(), "<HDR> >>global\n" + box("error", "keyword unknown> bogus") +
                           keylist(kWords) + "   defkst  3\n" +
                           box("error", "command unknown> >>nope") + keylist(kBlocks));
  EXPECT_EQ(iierr_errors(), 2);
  // The reading ended at the unknown block: the next one starts at level 0.
  input(">>global\ndefkst 5\n");
  EXPECT_EQ(read_model(), ">>global;defkst=5;");
}

TEST_F(CmdReader, IncludeFilesNestAndReturn) {
  write_file("cmd_inc_a.txt", "defkst 1\ninclude cmd_inc_b.txt\ndefkst 3\n");
  write_file("cmd_inc_b.txt", "defkst 2\n>>\ndefkst 99\n");
  input(">>global\ninclude 'cmd_inc_a.txt'\ndefkst 4\ninclude nofile.txt\n>>\n");
  testing::internal::CaptureStdout();
  EXPECT_EQ(read_model(), ">>global;defkst=1@45;defkst=2@46;defkst=3@45;defkst=4;");
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            " >include 'cmd_inc_a.txt'\n >include 'cmd_inc_b.txt'\n");
  EXPECT_NE(listing().find(box("warning", "file not found: nofile.txt")), std::string::npos);
  EXPECT_FALSE(uisopen(45));
  EXPECT_FALSE(uisopen(46));
}

TEST_F(CmdReader, IncludeCyclesAndDeepNestingAreRefused) {
  write_file("cmd_cyc_a.txt", "defkst 1\ninclude cmd_cyc_b.txt\ndefkst 3\n");
  write_file("cmd_cyc_b.txt", "include cmd_cyc_a.txt\ndefkst 2\n");
  for (int i = 1; i <= 21; ++i)
    write_file(
        "cmd_deep_" + std::to_string(i) + ".txt",
        "values " + std::to_string(i) + "\ninclude cmd_deep_" + std::to_string(i + 1) + ".txt\n");
  input(">>global\ninclude cmd_cyc_a.txt\ninclude cmd_deep_1.txt\ndefkst 9\n>>\n");
  testing::internal::CaptureStdout();
  std::string ev = read_model();
  testing::internal::GetCapturedStdout();
  std::string deep;
  for (int i = 1; i <= 20; ++i)
    deep += "values=" + std::to_string(i) + "@" + std::to_string(44 + i) + ";";
  EXPECT_EQ(ev, ">>global;defkst=1@45;defkst=2@46;defkst=3@45;" + deep + "defkst=9;");
  std::string l = listing();
  EXPECT_NE(l.find(box("error", "include nesting too deep: cmd_cyc_a.txt")), std::string::npos);
  EXPECT_NE(l.find(box("error", "include nesting too deep: cmd_deep_21.txt")), std::string::npos);
  EXPECT_EQ(iierr_errors(), 2);
}

TEST_F(CmdReader, LongLinesAreCutAndBinaryBytesAreHarmless) {
  std::string bin = std::string("values \x01\xff\x7f") + '\0' + "\x80 x}\n";
  input(">>global\nvalues " + std::string(200, 'x') + "\n" + bin + ">>\n");
  read_model();
  uendline(kLst);
  std::string l = listing();
  EXPECT_NE(l.find("   values  " + std::string(121, 'x') + "\n"), std::string::npos);
}

}  // namespace
