#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <vector>
#include <string>

#include "input/diag_helpers.hpp"
#include "input/input.hpp"

using namespace riv;

namespace {

constexpr int kIn = 21;
constexpr int kLst = 22;
using test::box;

std::string next_line(int lu) {
  std::string l;
  return uread(lu, l) == 0 ? l : "<eof>";
}

int warnings0 = 0, errors0 = 0;

class Tables : public testing::Test {
 protected:
  void SetUp() override {
    uopen_memory(kLst);
    warnings0 = iierr_warnings();
    errors0 = iierr_errors();
  }
  void TearDown() override {
    test::clear_diag();
    uclose(kIn);
    uclose(kLst);
  }
  int warnings() { return iierr_warnings() - warnings0; }
  int errors() { return iierr_errors() - errors0; }
};

TEST_F(Tables, ContinueOffsetsAndTheEchoOfRows) {
  uopen_memory(kIn, "0 10\n/ a comment\n5 12\n  continue\n0 13\n5 15\n+5 12\n");
  float x[10], y[10];
  int n = 10;
  iitbl(n, x, y, kIn, kLst);
  ASSERT_EQ(n, 4);
  EXPECT_EQ(std::vector<float>(x, x + 4), (std::vector<float>{0, 5, 5, 10}));
  EXPECT_EQ(std::vector<float>(y, y + 4), (std::vector<float>{10, 12, 13, 15}));
  EXPECT_EQ(next_line(kIn), "+5 12");  // a plus sign starts no row: the next command
  EXPECT_EQ(warnings() + errors(), 0);
}

TEST_F(Tables, LongTablesEchoTheirHeadOnly) {
  for (int rows : {12, 20}) {
    std::string text;
    for (int i = 0; i < rows; ++i) text += std::to_string(i) + " 1\n";
    uopen_memory(kIn, text);
    uopen_memory(kLst);
    float x[30], y[30];
    int n = 30;
    iitbl(n, x, y, kIn, kLst);
    EXPECT_EQ(n, rows);
    std::string l = ucontents(kLst);
    EXPECT_EQ(std::count(l.begin(), l.end(), '\n'), 10 + std::min(rows - 10, 3));
    EXPECT_TRUE(l.ends_with("      9.0000      1.0000\n.\n.\n") || rows != 12) << l;
  }
  // No echo unit: nothing written, the short table still warned (on unit 0).
  uopen_memory(kIn, "1 2\nnext\n");
  uopen_memory(kLst);
  float x[3], y[3];
  int n = 3;
  testing::internal::CaptureStderr();
  iitbl(n, x, y, kIn, 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), box("warning", "found table with <2 rows"));
  EXPECT_EQ(n, 1);
  EXPECT_EQ(ucontents(kLst), "");
}

TEST_F(Tables, OverflowIsOneErrorAndDropsTheRest) {
  uopen_memory(kIn, "1 1\n2 2\n3 3\n4 4\n5 5\nnext\n");
  float x[3], y[3];
  int n = 3;
  iitbl(n, x, y, kIn, kLst);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(x[2], 3.0f);
  EXPECT_EQ(next_line(kIn), "next");
  EXPECT_EQ(errors(), 1);
  EXPECT_TRUE(ucontents(kLst).ends_with(box("error", "table size exceeds space")));
  // A table filling its space exactly counts as full as well.
  uopen_memory(kIn, "1 1\n2 2\nnext\n");
  n = 2;
  iitbl(n, x, y, kIn, kLst);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(errors(), 2);
}

TEST_F(Tables, IncludeFilesInsideATable) {
  std::ofstream("tbl_part.txt") << "1 2\n2 3\n";
  std::ofstream("tbl_self.txt") << "7 7\ninclude tbl_self.txt\n8 8\n";
  std::ofstream("tbl_bad.txt") << "3 4\nword\n9 9\n";
  // Read from a unit the command reader may use for its own include files.
  uopen_memory(52,
               "0 1\ninclude 'tbl_part.txt'\ninclude tbl_self.txt\ninclude tbl_bad.txt\n"
               "include nothere.txt\n5 5\ncmd\n");
  float x[10], y[10];
  int n = 10;
  testing::internal::CaptureStdout();
  iitbl(n, x, y, 52, kLst);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            " >include 'tbl_part.txt'\n >include 'tbl_self.txt'\n >include 'tbl_bad.txt'\n");
  // A line that is no row ends the include file it stands in; the table goes on.
  EXPECT_EQ(std::vector<float>(x, x + n), (std::vector<float>{0, 1, 2, 7, 8, 3, 5}));
  EXPECT_EQ(next_line(52), "cmd");
  EXPECT_FALSE(uisopen(53));
  std::string l = ucontents(kLst);
  EXPECT_NE(l.find(box("error", "include nesting too deep: tbl_self.txt")), std::string::npos);
  EXPECT_NE(l.find(box("warning", "file not found: nothere.txt")), std::string::npos);
  uclose(52);
}

TEST_F(Tables, Ranges) {
  struct Case {
    const char* text;
    int nmax, i1, i2;
    const char* rest;
  } cases[] = {{"3 to 7 x", 100, 3, 7, "x"},
               {"5", 100, 5, 5, ""},
               {"9 to 4", 100, 9, 9, ""},
               {"150", 100, 100, 100, ""}};
  for (const Case& c : cases) {
    FStr<40> t(c.text);
    int i1 = -1, i2 = -1;
    uopen_memory(kLst);
    iirng(t, c.nmax, kLst, i1, i2);
    EXPECT_EQ(i1, c.i1) << c.text;
    EXPECT_EQ(i2, c.i2) << c.text;
    EXPECT_EQ(t.trimmed(), c.rest) << c.text;
    EXPECT_EQ(ucontents(kLst), fformat("(i4,' to',i4,$)", {c.i1, c.i2}));
  }
  int before = iirng_errors();
  for (const char* bad : {"x", "3 to y", ""}) {
    FStr<40> t(bad);
    int i1 = 11, i2 = 12;
    uopen_memory(kLst);
    iirng(t, 100, kLst, i1, i2);
    EXPECT_EQ(i1, 11);
    EXPECT_EQ(i2, 12);
    EXPECT_EQ(ucontents(kLst).substr(0, 43), "\n ********* range error ****************\n *")
        << bad;
  }
  EXPECT_EQ(iirng_errors(), before + 3);
}

TEST_F(Tables, PointLists) {
  uopen_memory(kIn, "100.5 200\n  101,201.25\n/ end of data\ncs 'A' 1.0\n");
  float x[5], y[5];
  EXPECT_EQ(irpoly(5, x, y, kIn, kLst, 100.0, 200.0), 2);
  EXPECT_FLOAT_EQ(x[0], 0.5f);
  EXPECT_FLOAT_EQ(y[1], 1.25f);
  EXPECT_EQ(ucontents(kLst), "      100.50      200.00\n      101.00      201.25\n");
  EXPECT_EQ(next_line(kIn), "cs 'A' 1.0");  // the comment line was used up

  uopen_memory(kIn, "1 1\n2 2\n3 3\n4 4\ncs 'A' 1.0\n");
  uopen_memory(kLst);
  EXPECT_EQ(irpoly(2, x, y, kIn, -kLst, 0.0, 0.0), 2);
  EXPECT_EQ(ucontents(kLst), box("warning", "VERTICES IGNORED (MAXIMUM=     2)"));
  EXPECT_EQ(next_line(kIn), "cs 'A' 1.0");
  EXPECT_EQ(warnings(), 1);

  uopen_memory(kIn, "1 1\n1\n");  // a lone value is no pair: left for the reader
  EXPECT_EQ(irpoly(2, x, y, kIn, 0, 0.0, 0.0), 1);
  EXPECT_EQ(next_line(kIn), "1");
}

}  // namespace
