// Fortran edit-descriptor output checked against gfortran: the expected
// texts of the table were written by the gfortran program that
// tests/input/oracle/gen_fformat.py generates from its cases.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "input/fformat.hpp"
#include "input/units.hpp"

namespace riv {
namespace {

const float kInf = std::numeric_limits<float>::infinity();
const float kNan = std::numeric_limits<float>::quiet_NaN();

struct Case {
  const char* fmt;  // nullptr: list-directed
  std::vector<FArg> args;
  const char* want;
};

// clang-format off
const std::vector<Case>& oracle_cases() {
  static const std::vector<Case> cases = {
    {"(i4)", {5}, "   5\n"},
    {"(i3)", {12345}, "***\n"},
    {"(i3)", {-99}, "-99\n"},
    {"(i2)", {-99}, "**\n"},
    {"(i3.0,i5.3,i0,i6.6)", {0, -7, -45, 12}, "    -007-45000012\n"},
    {"(i12)", {-2147483647}, " -2147483647\n"},
    {"(f4.1)", {FArg(0.15f)}, " 0.2\n"},
    {"(f4.1)", {FArg(0.25f)}, " 0.2\n"},
    {"(f5.2)", {FArg(0.125)}, " 0.12\n"},
    {"(f5.2)", {FArg(0.375)}, " 0.38\n"},
    {"(f5.2)", {FArg(-0.125)}, "-0.12\n"},
    {"(f6.2)", {FArg(-0.001f)}, " -0.00\n"},
    {"(f5.2)", {FArg(-0.0f)}, "-0.00\n"},
    {"(f4.3)", {FArg(0.5f)}, ".500\n"},
    {"(f4.3)", {FArg(-0.5f)}, "****\n"},
    {"(f3.1,f2.1,f4.1,f2.0,f1.0)", {FArg(-0.04f), FArg(0.04f), FArg(-0.04f), FArg(0.3f), FArg(0.0f)}, "-.0.0-0.00.*\n"},
    {"(f5.0,f3.0,f0.2,f0.0)", {FArg(2.5f), FArg(0.4f), FArg(3.14159f), FArg(0.4f)}, "   2. 0.3.140.\n"},
    {"(f10.4)", {FArg(3.14159265f)}, "    3.1416\n"},
    {"(f10.4)", {FArg(-1234.56789)}, "-1234.5679\n"},
    {"(f8.3)", {FArg(1e300)}, "********\n"},
    {"(f6.2)", {FArg(999.995f)}, "999.99\n"},
    {"(f6.2)", {FArg(999.995)}, "******\n"},
    {"(f12.1)", {FArg(16777217.0f)}, "  16777216.0\n"},
    {"(f12.3)", {FArg(0.1f)}, "       0.100\n"},
    {"(f8.3,f3.1,f4.1,f8.1,f9.3,f2.1)", {kInf, kNan, -kInf, -kInf, -kInf, kNan}, "InfinityNaN-Inf    -Inf-Infinity**\n"},
    {"(e12.4)", {FArg(1234.5f)}, "  0.1234E+04\n"},
    {"(e10.3e3)", {FArg(1.0e-5f)}, "0.100E-004\n"},
    {"(d12.4)", {FArg(1e100)}, "  0.1000+101\n"},
    {"(es12.4)", {FArg(0.00125f)}, "  1.2500E-03\n"},
    {"(e12.4)", {FArg(1e-100)}, "  0.1000E-99\n"},
    {"(e12.4)", {FArg(0.0f)}, "  0.0000E+00\n"},
    {"(e9.3,e10.3,es10.3,e12.4e1,e8.1)", {FArg(1.0f), FArg(-1.0f), FArg(-1.0f), FArg(1.0e10f), FArg(0.0f)}, "0.100E+01-0.100E+01-1.000E+00************ 0.0E+00\n"},
    {"(e15.7)", {FArg(-9.9999999f)}, " -0.1000000E+02\n"},
    {"(1x,d12.4)", {FArg(-0.5)}, "  -0.5000D+00\n"},
    {"(g15.7)", {FArg(0.0f)}, "   0.000000    \n"},
    {"(g15.7)", {FArg(123.456f)}, "   123.4560    \n"},
    {"(g15.7)", {FArg(1.0e7f)}, "  0.1000000E+08\n"},
    {"(g15.7)", {FArg(0.05f)}, "  0.5000000E-01\n"},
    {"(g12.4,g12.4,g12.4,g12.4)", {FArg(0.09996f), FArg(0.099996f), FArg(9999.6f), FArg(999.96f)}, "  0.9996E-01  0.1000      0.1000E+05   1000.    \n"},
    {"(g10.3,g10.3,i3,g5.0)", {5, true, 7, "ab"}, "         5         T  7   ab\n"},
    {" (' ***ERROR***',a,'  (',g15.7,',',g15.7,')')", {"Mode", FArg(7.0f), FArg(0.0f)}, " ***ERROR***Mode  (   7.000000    ,   0.000000    )\n"},
    {"(a3,a5,a)", {"abcdef", "ab", "xyz"}, "abc   abxyz\n"},
    {"(l3,l1)", {true, false}, "  TF\n"},
    {"(2x,a3)", {"a"}, "    a\n"},
    {"(a,\"x\"\"y\",'p''q')", {"v"}, "vx\"yp'q\n"},
    {"(5habcde,i3)", {4}, "abcde  4\n"},
    {"('cs ''',a8,''' /')", {"sec1"}, "cs '    sec1' /\n"},
    {"(2F12.3,' /xy')", {FArg(1.5f), FArg(-2.25f)}, "       1.500      -2.250 /xy\n"},
    {"('VERTICES IGNORED (MAXIMUM=',I6,')')", {4000}, "VERTICES IGNORED (MAXIMUM=  4000)\n"},
    {"(f8.3,f9.2, 1x,               a6,f5.2,i4)", {FArg(1.0f), FArg(2.0f), "name", FArg(0.5f), 3}, "   1.000     2.00   name 0.50   3\n"},
    {"(' -crop ',I4.4,'X',I4.4,'+0+0 ')", {800, 60}, " -crop 0800X0060+0+0 \n"},
    {"('fill',i2.2)", {7}, "fill07\n"},
    {"(i4,/)", {5}, "   5\n\n"},
    {"(i4,' to',i4,$)", {5, 6}, "   5 to   6"},
    {"(i4,' to',i4,$)", {5}, "   5 to\n"},
    {"(i4,:,' to',i4)", {5}, "   5\n"},
    {"(/,' >>warnings',i4,', errors',i3, ' ->check output listing',/)", {2, 0}, "\n >>warnings   2, errors  0 ->check output listing\n\n"},
    {"('ncols',i8,/,'nrows',i8,/,'cellsize',f12.4)", {10, 20, FArg(0.5f)}, "ncols      10\nnrows      20\ncellsize      0.5000\n"},
    {"(i4)", {}, "\n"},
    {"('.')", {}, ".\n"},
    {"(a,i4)", {"only"}, "only\n"},
    {"(3x,a,$)", {"prompt"}, "   prompt"},
    {"(a,5x)", {"ab"}, "ab\n"},
    {"(a,5x,a)", {"ab", "c"}, "ab     c\n"},
    {"(10x,a,t3,a,tr2,a,tl4,a)", {"xy", "ab", "cd", "Q"}, "  abQ cd  xy\n"},
    {"(2(i4,1x))", {1, 2, 3, 4, 5}, "   1    2\n   3    4\n   5\n"},
    {"(i2,(i3))", {1, 2, 3, 4}, " 1  2\n  3\n  4\n"},
    {"(3f6.1)", {FArg(1.0f), FArg(2.0f)}, "   1.0   2.0\n"},
    {"(2(i2,1x),3(1x,i1))", {1, 2, 3, 4, 5, 6, 7, 8, 9}, " 1  2  3 4 5\n 6 7 8\n 9\n"},
    {"(i2,2(i3,(i4)))", {1, 2, 3, 4, 5, 6}, " 1  2   3  4   5\n  6\n"},
    {"(i3)", {1, 2, 3}, "  1\n  2\n  3\n"},
    {"('x',i2)", {1, 2}, "x 1\nx 2\n"},
    {"(2(2(i1),1x))", {1, 2, 3, 4, 5}, "12 34\n5\n"},
    {"(i6,3f11.3)", {12, FArg(1.5f), FArg(-2.0005), FArg(1e6f)}, "    12      1.500     -2.0011000000.000\n"},
    {nullptr, {5, -123456789}, "           5  -123456789\n"},
    {nullptr, {FArg(1.5f), FArg(1.0e20f), FArg(1.0e-5f), FArg(0.1f), FArg(123456789.0f)}, "   1.50000000       1.00000002E+20   9.99999975E-06  0.100000001       123456792.    \n"},
    {nullptr, {FArg(0.0f), FArg(-2.5f), FArg(1.0e9f), FArg(0.09f), FArg(-0.0f)}, "   0.00000000      -2.50000000       1.00000000E+09   9.00000036E-02  -0.00000000    \n"},
    {nullptr, {FArg(1.5), FArg(1e20), FArg(1e-5), FArg(0.1), FArg(0.0)}, "   1.5000000000000000        1.0000000000000000E+020   1.0000000000000001E-005  0.10000000000000001        0.0000000000000000     \n"},
    {nullptr, {FArg(-1.5e300), FArg(0.999999999), FArg(1e16), FArg(1e17)}, "  -1.5000000000000001E+300  0.99999999900000003        10000000000000000.        1.0000000000000000E+017\n"},
    {nullptr, {"ab", "cd", 1, "ef", FArg(2.5f), true, "x"}, " abcd           1 ef   2.50000000     T x\n"},
    {nullptr, {true, false, 3}, " T F           3\n"},
    {nullptr, {"hydrograph with", 12, " values, qmax=", FArg(350.5f)}, " hydrograph with          12  values, qmax=   350.500000    \n"},
    {nullptr, {"warning: label ", "abc", " already defined"}, " warning: label abc already defined\n"},
    {nullptr, {}, "\n"},
    {nullptr, {kInf, -kInf, kNan, FArg(1e-40f), FArg(3.40282347e38f)}, "         Infinity        -Infinity              NaN   9.99994610E-41   3.40282347E+38\n"},
  };
  return cases;
}
// clang-format on

TEST(FFormatOracle, MatchesGfortran) {
  int i = 0;
  for (const Case& c : oracle_cases()) {
    std::string got = c.fmt ? fformat(c.fmt, c.args) : flist(c.args);
    EXPECT_EQ(got, c.want) << "case " << i << ": " << (c.fmt ? c.fmt : "list-directed");
    ++i;
  }
}

TEST(FFormat, ValuesBuiltAtRunTime) {
  // A grid row of n values written with a format built from n.
  std::vector<FArg> row;
  for (int i = 0; i < 7; ++i) row.emplace_back(0.5f * static_cast<float>(i));
  std::string f = fformat("('(',i6,'f6.1)')", {3});
  EXPECT_EQ(f, "(     3f6.1)\n");
  f.pop_back();
  EXPECT_EQ(fformat(f, row), "   0.0   0.5   1.0\n   1.5   2.0   2.5\n   3.0\n");
  EXPECT_EQ(flist(std::span<const FArg>(row.data(), 2)), "   0.00000000      0.500000000    \n");
}

TEST(FFormat, MalformedFormatsWriteWhatPrecedesTheFault) {
  EXPECT_EQ(fformat("(i4,q5,i4)", {1, 2}), "   1\n");
  EXPECT_EQ(fformat("(i4", {1, 2}), "   1\n   2\n");
  EXPECT_EQ(fformat("(2(i2)", {1, 2, 3}), " 1 2\n 3\n");
  EXPECT_EQ(fformat("('abc", {}), "\n");
  EXPECT_EQ(fformat("(f10)", {1.0f}), "\n");
  EXPECT_EQ(fformat("('x')", {1, 2}), "x\n");  // no data descriptor: no endless reversion
  EXPECT_EQ(fformat("i3,2x,a", {7, "ab"}), "  7  ab\n");  // outer parentheses optional
  // Values that do not match their descriptor are written, not dropped.
  EXPECT_EQ(fformat("(i4,f6.2,a4,l2)", {2.6f, 3, 12, 0}), "   3  3.00  12 F\n");
  EXPECT_EQ(fformat("(i3,f4.1)", {"ab", true}), "*******\n");
}

TEST(FFormat, DollarKeepsTheLineOpenOnAUnit) {
  uopen_memory(77);
  fwrite(77, "(3x,a,$)", {"level?"});
  EXPECT_TRUE(ulineopen(77));
  fwritel(77, {1.5f});
  fwrite(77, "(i4,' to',i4,$)", {5});  // stopped before "$": the record ends
  EXPECT_EQ(ucontents(77), "   level?   1.50000000    \n   5 to\n");
  uclose(77);
}

}  // namespace
}  // namespace riv
