// List-directed reading checked against gfortran reading an internal file
// (tests/input/oracle/freeread_oracle.f90 shows the reads and their results).
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "input/freeread.hpp"

namespace riv {
namespace {

struct Ints {
  int rc, i, j, k;
};

Ints ints(const char* text) {
  Ints r{0, 1, 2, 3};
  r.rc = fread_list(text, {r.i, r.j, r.k});
  return r;
}

void expect_ints(const char* text, int rc, int i, int j, int k) {
  Ints r = ints(text);
  EXPECT_EQ(r.rc > 0 ? 1 : r.rc < 0 ? -1 : 0, rc) << '[' << text << ']';
  EXPECT_EQ(r.i, i) << '[' << text << ']';
  EXPECT_EQ(r.j, j) << '[' << text << ']';
  EXPECT_EQ(r.k, k) << '[' << text << ']';
}

TEST(FreeReadInt, SeparatorsNullsSlashAndRepeats) {
  expect_ints("4 5 6", 0, 4, 5, 6);
  expect_ints("4,,6", 0, 4, 2, 6);
  expect_ints("4, ,6", 0, 4, 2, 6);
  expect_ints("5,/ 7", 0, 5, 2, 3);
  expect_ints("4 /", 0, 4, 2, 3);
  expect_ints("2*7 1", 0, 7, 7, 1);
  expect_ints("2* 9", 0, 1, 2, 9);
  expect_ints("3*", 0, 1, 2, 3);
  expect_ints("1;2\t3", 0, 1, 2, 3);
  expect_ints("+7 -0 8 extra", 0, 7, 0, 8);
  expect_ints("9*4", 0, 4, 4, 4);
}

TEST(FreeReadInt, EndOfTextIsNegative) {
  expect_ints(",5", -1, 1, 5, 3);
  expect_ints("4 5", -1, 4, 5, 3);
  expect_ints("4,", -1, 4, 2, 3);
  expect_ints("", -1, 1, 2, 3);
  expect_ints("   \t", -1, 1, 2, 3);
}

TEST(FreeReadInt, ValuesThatCannotBeRead) {
  for (const char* t :
       {"3.5", "1e3", "99999999999", "0*5", "\"ab\"", "12a", "+", "-", "1.", "9999999999*1"})
    expect_ints(t, 1, 1, 2, 3);
  // Items read before the fault keep their values; the failing item is reported.
  Ints r = ints("-2147483648 2147483648");
  EXPECT_EQ(r.rc, 2);
  EXPECT_EQ(r.i, -2147483647 - 1);
  EXPECT_EQ(r.j, 2);
  EXPECT_EQ(ints("1 2 x").rc, 3);
}

TEST(FreeReadReal, FormsOfReals) {
  float r = 1, s = 2;
  double d = 3;
  // Exponent letters or a bare sign, repeat counts; 0.1 rounded once, to
  // single precision.
  const struct {
    const char* t;
    float r, s;
    double d;
  } forms[] = {{".5 1. -.5d2", 0.5f, 1.0f, -50.0},
               {"1.5+3 1E3 2", 1500.0f, 1000.0f, 2.0},
               {"0.1 0.1 0.1D0", 0.1f, 0.1f, 0.1},
               {"2*2.5 7", 2.5f, 2.5f, 7.0}};
  for (const auto& f : forms) {
    EXPECT_EQ(fread_list(f.t, {r, s, d}), 0) << f.t;
    EXPECT_EQ(r, f.r) << f.t;
    EXPECT_EQ(s, f.s) << f.t;
    EXPECT_EQ(d, f.d) << f.t;
  }
  EXPECT_EQ(fread_list("1e400 1e-400 0", {r, s, d}), 0);
  EXPECT_TRUE(std::isinf(r));
  EXPECT_EQ(s, 0.0f);
  EXPECT_EQ(fread_list("inf 3 nan", {r, s, d}), 0);
  EXPECT_TRUE(std::isinf(r));
  EXPECT_TRUE(std::isnan(d));
  EXPECT_EQ(fread_list("00000000000000000000000000000000000000000000000012.5e-1", {r}), 0);
  EXPECT_EQ(r, 1.25f);
}

TEST(FreeReadReal, ValuesThatCannotBeRead) {
  for (const char* t : {"abc", "1.5e", ".", "1.5.2", "e5", "1e5x", "'1.5'", "1e9999999"}) {
    float r = 1;
    EXPECT_EQ(fread_list(t, {r}), 1) << t;
    EXPECT_EQ(r, 1.0f) << t;  // untouched (gfortran would leave 0 for ".")
  }
}

TEST(FreeReadText, QuotedUnquotedCutAndPadded) {
  auto texts = [](const char* t, const char* a, const char* b, int rc = 0) {
    FStr<5> c5("zzzzz"), c6("yyyyy");
    int got = fread_list(t, {c5, c6});
    EXPECT_EQ(got > 0 ? 1 : got, rc) << t;
    EXPECT_EQ(std::string(c5.view()), a) << t;
    EXPECT_EQ(std::string(c6.view()), b) << t;
  };
  texts("ab/cd ef", "ab   ", "yyyyy");
  texts("'ab'cd ef", "zzzzz", "yyyyy", 1);
  texts("abcdefgh,\"it\"\"s\"", "abcde", "it\"s ");
  texts("2*x", "x    ", "x    ");
  texts("'a b' \"c,d\"", "a b  ", "c,d  ");
  texts("'it''s' 5", "it's ", "5    ");
  texts("'' ,", "     ", "yyyyy", -1);
  texts("2*'q r'", "q r  ", "q r  ");

  char raw[3];
  int n = 0;
  EXPECT_EQ(fread_list("  'abcd' 12", {std::span<char>(raw), n}), 0);
  EXPECT_EQ(std::string(raw, 3), "abc");
  EXPECT_EQ(n, 12);
}

}  // namespace
}  // namespace riv
