#include <gtest/gtest.h>

#include <utility>

#include "input/input.hpp"

using namespace riv;

TEST(Words, LeadingBlanksFirstWordLengthAndDigitStrings) {
  // The tilde is not visible as a leading character, but is part of a word.
  const std::pair<const char*, int> blanks[] = {{"  abc", 2}, {"abc", 0}, {"     ", 0},
                                                {"\tx", 1},   {"~x", 1},  {"", 0}};
  for (auto [t, n] : blanks) EXPECT_EQ(lenbl(t), n) << t;
  const std::pair<const char*, int> words[] = {{"ab cd", 2}, {"a~b c", 3}, {"abc", 3}, {"", 0}};
  for (auto [t, n] : words) EXPECT_EQ(lenxt(t), n) << t;
  // Only plain digit strings within the integer range convert.
  const std::pair<const char*, int> digits[] = {{"  42", 42},
                                                {"4 2", 0},
                                                {"-3", 0},
                                                {"    ", 0},
                                                {"2147483647", 2147483647},
                                                {"2147483648", 0},
                                                {"99999999999999999999999", 0}};
  for (auto [t, n] : digits) EXPECT_EQ(iicnv(t), n) << t;
}

TEST(Words, TakingWordsOffALine) {
  FStr<20> s("   cs 'A1' 2.5");
  FStr<8> w;
  int lw = -5;
  rrwrd(s, w, lw);
  EXPECT_EQ(w.view(), "cs      ");
  EXPECT_EQ(lw, 2);
  EXPECT_EQ(s.view(), "cs 'A1' 2.5         ");
  // Successive words off the line: (word, its length, what is left).
  const struct {
    const char* w;
    int lw;
    const char* rest;
  } seq[] = {{"cs", 2, "'A1' 2.5"}, {"A1", 2, "2.5"}, {"2.5", 3, ""}, {"", 0, ""}};
  for (const auto& e : seq) {
    rrxwrd(s, w, lw);
    EXPECT_EQ(w.trimmed(), e.w);
    EXPECT_EQ(lw, e.lw) << e.w;
    EXPECT_EQ(s.trimmed(), e.rest) << e.w;
  }
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

TEST(Options, CollectedFromAtArgumentsAndMatched) {
  const char* argv[] = {"rivsim", "in.txt", "@calib,flood", "@dry", "@a,", "@b,,c"};
  set_command_line(6, const_cast<char**>(argv));
  iilabl(0, "@");
  // The trailing comma stays in the name; names are case-sensitive.
  const std::pair<const char*, int> levels[] = {
      {"{flood", 1}, {"{wet,dry", 1}, {"{wet", 0}, {"{in.txt", 0}, {"|a,", 1},
      {"{a", 0},     {"{b", 1},       {"{c", 1},   {"{Flood", 0},  {"|", 1}};
  for (auto [t, n] : levels) EXPECT_EQ(iilabl(1, t), n) << t;
  testing::internal::CaptureStdout();
  EXPECT_EQ(iilabl(1, "{"), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "warning: option must have name\n");
  set_command_line(0, nullptr);
  iilabl(0, "@");
  EXPECT_EQ(iilabl(1, "{flood"), 0);
}
