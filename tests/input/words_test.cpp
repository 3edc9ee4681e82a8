#include <gtest/gtest.h>

#include "input/input.hpp"

using namespace riv;

TEST(Words, LeadingBlanksAndFirstWordLength) {
  EXPECT_EQ(lenbl("  abc"), 2);
  EXPECT_EQ(lenbl("abc"), 0);
  EXPECT_EQ(lenbl("     "), 0);
  EXPECT_EQ(lenbl("\tx"), 1);
  EXPECT_EQ(lenbl("~x"), 1);  // the tilde is not visible
  EXPECT_EQ(lenbl(""), 0);
  EXPECT_EQ(lenxt("ab cd"), 2);
  EXPECT_EQ(lenxt("a~b c"), 3);  // ... but it is part of a word
  EXPECT_EQ(lenxt("abc"), 3);
  EXPECT_EQ(lenxt(""), 0);
}

TEST(Words, TakingWordsOffALine) {
  FStr<20> s("   cs 'A1' 2.5");
  FStr<8> w;
  int lw = -5;
  rrwrd(s, w, lw);
  EXPECT_EQ(w.view(), "cs      ");
  EXPECT_EQ(lw, 2);
  EXPECT_EQ(s.view(), "cs 'A1' 2.5         ");
  rrxwrd(s, w, lw);
  EXPECT_EQ(w.trimmed(), "cs");
  EXPECT_EQ(s.trimmed(), "'A1' 2.5");
  rrxwrd(s, w, lw);
  EXPECT_EQ(w.trimmed(), "A1");
  EXPECT_EQ(lw, 2);
  EXPECT_EQ(s.trimmed(), "2.5");
  rrxwrd(s, w, lw);
  EXPECT_EQ(w.trimmed(), "2.5");
  EXPECT_TRUE(s.blank());
  rrxwrd(s, w, lw);
  EXPECT_EQ(lw, 0);
  EXPECT_TRUE(w.blank());
}

TEST(Words, QuotedWordsLoseFirstAndLastCharacter) {
  FStr<16> s("'A1");
  FStr<8> w;
  int lw;
  rrxwrd(s, w, lw);
  EXPECT_EQ(w.trimmed(), "A");
  EXPECT_EQ(lw, 1);
  s = "'my name'";
  rrxwrd(s, w, lw);
  EXPECT_EQ(w.trimmed(), "m");
  EXPECT_EQ(s.trimmed(), "name'");
  s = "'";
  rrxwrd(s, w, lw);
  EXPECT_EQ(lw, -1);
  EXPECT_TRUE(w.blank());
  // A word longer than the receiving field is cut first, then unquoted.
  s = "'abcdefghijk' x";
  FStr<4> w4;
  rrxwrd(s, w4, lw);
  EXPECT_EQ(w4.view(), "abc ");
  EXPECT_EQ(lw, 11);
}

TEST(Words, DigitStrings) {
  EXPECT_EQ(iicnv("  42"), 42);
  EXPECT_EQ(iicnv("4 2"), 0);
  EXPECT_EQ(iicnv("-3"), 0);
  EXPECT_EQ(iicnv("    "), 0);
  EXPECT_EQ(iicnv("2147483647"), 2147483647);
  EXPECT_EQ(iicnv("2147483648"), 0);
  EXPECT_EQ(iicnv("99999999999999999999999"), 0);
}

TEST(Options, CollectedFromAtArgumentsAndMatched) {
  const char* argv[] = {"rivsim", "in.txt", "@calib,flood", "@dry", "@a,", "@b,,c"};
  set_command_line(6, const_cast<char**>(argv));
  iilabl(0, "@");
  EXPECT_EQ(iilabl(1, "{flood"), 1);
  EXPECT_EQ(iilabl(1, "{wet,dry"), 1);
  EXPECT_EQ(iilabl(1, "{wet"), 0);
  EXPECT_EQ(iilabl(1, "{in.txt"), 0);
  EXPECT_EQ(iilabl(1, "|a,"), 1);  // the trailing comma stays in the name
  EXPECT_EQ(iilabl(1, "{a"), 0);
  EXPECT_EQ(iilabl(1, "{b"), 1);
  EXPECT_EQ(iilabl(1, "{c"), 1);
  EXPECT_EQ(iilabl(1, "{Flood"), 0);  // case-sensitive
  EXPECT_EQ(iilabl(1, "|"), 1);
  testing::internal::CaptureStdout();
  EXPECT_EQ(iilabl(1, "{"), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "warning: option must have name\n");
  set_command_line(0, nullptr);
  iilabl(0, "@");
  EXPECT_EQ(iilabl(1, "{flood"), 0);
}
