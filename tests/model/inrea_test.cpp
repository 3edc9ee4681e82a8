#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "input/diag_helpers.hpp"
#include "input/input.hpp"
#include "model/model.hpp"

namespace riv {
namespace {

using test::box;
using test::clear_diag;

class Inrea : public testing::Test {
 protected:
  void SetUp() override {
    model_init();
    iicmd_reset();
    uopen_memory(cunit.lulst);
  }
  void TearDown() override {
    clear_diag();
    uclose(cunit.lulst);
    uclose(cunit.luin);
    iicmd_reset();
  }
  // Reads `text` as the model input file; returns true when the reading
  // ended the program (errors). Standard output is kept in `out`.
  bool read(const std::string& text, const std::string& file = "inrea_in.txt") {
    std::ofstream(file, std::ios::binary) << text;
    FStr<60> name(file);
    testing::internal::CaptureStdout();
    const bool stopped = test::stops([&] { inrea(name); });
    out = testing::internal::GetCapturedStdout();
    return stopped;
  }
  // The listing with the time stamp of its header replaced by <T>.
  std::string listing() {
    std::string s = ucontents(cunit.lulst);
    size_t h = s.find("/OUTPUT ");
    if (h != std::string::npos) s.replace(h + 8, 17, "<T>");
    return s;
  }
  std::string out;
};

TEST_F(Inrea, SmallCompleteInputRecords) {
  ASSERT_FALSE(
      read("title 'Test reach'\n"
           ">>global\ndefkst 35\nlabel gra\nkst 28\n"
           ">>section\ncs 'A1' 0.0 /\n0.0 102.0\n2.0 100.0 bed\n8.0 100.0\n10.0 102.0 gra\n"
           "tube 'P1' 0.5 1.2 98.0\n"
           ">>branch\ncs 'A1' /\n"));
  EXPECT_FLOAT_EQ(ccs.kstl(3), 28.0f);
  ASSERT_EQ(creach.ncs, 2);
  EXPECT_EQ(cchar.csname(2).str(), "P1");
  csrea(1, 0.0f);
  ASSERT_EQ(ccs.np, 4);
  const int cls[4] = {1, 2, 2, 3};
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(ccs.iclass(i), cls[i - 1]) << i;
  EXPECT_FLOAT_EQ(ccs.xloc, 0.0f);
  csrea(2, 0.0f);
  EXPECT_EQ(ccs.np, 1);
  EXPECT_FLOAT_EQ(ccs.ysec(1), 1.2f);
  EXPECT_FLOAT_EQ(ccs.zmin, 98.0f);
  EXPECT_EQ(ccs.kind, 4);
  EXPECT_FLOAT_EQ(ccs.xloc, 500.0f);
  EXPECT_EQ(creach.nsec, 1);
  EXPECT_FLOAT_EQ(creach.xsec(1), 0.0f);
  // The title goes through the obsolete length routine, which says so.
  EXPECT_NE(out.find("!!iilen obsolet"), std::string::npos);
}

TEST_F(Inrea, SectionPointsOrderShiftLocationAndFaults) {
  ASSERT_FALSE(
      read(">>global\ncircle400\nlabel bed\nkst 45\ngrid_values 5000\ntable_values 100\n"
           ">>section\norigin 100 200\nlocate 1100 1200 100\nmain\ncs 'R' 1.5 0.5\n10 5 xyz\n5\t4\n"
           "0.0 6\n\ncs 'Two' 2.0 /\n0 1\n1 0\nz-y\ncompound\ncs 'C' 3.0 /\n431.20 12.5 def\n"
           "430.0 20.0 bed\n431.0 12.505\n"));
  EXPECT_NE(out.find(" warning: label bed already defined"), std::string::npos) << out;
  EXPECT_FLOAT_EQ(ccs.kstl(2), 45.0f);
  EXPECT_EQ(ccs.ngrid, 1000);
  EXPECT_EQ(ccs.ntabv, 40);
  const std::string l = listing();
  EXPECT_NE(l.find(box("warning", "label not defined")), std::string::npos);
  EXPECT_NE(l.find(box("warning", "faulty geometry of cross-section")), std::string::npos);

  // Given right to left, stored left to right; the unknown label is class 1.
  ASSERT_EQ(creach.ncs, 2);
  // (points, y1, z1, y3, z3, class 1, kind, main, x, y) of the loaded section.
  auto loaded = [](int isec, int i) {
    csrea(isec, 0.0f);
    return std::vector<float>({float(ccs.np), ccs.ysec(1), ccs.zsec(1), ccs.ysec(3), ccs.zsec(3),
                               float(ccs.iclass(i)), float(ccs.kind), float(ccs.lmain), ccs.xloc,
                               ccs.yloc});
  };
  EXPECT_EQ(loaded(1, 1), std::vector<float>({3, 0, 6.5f, 10, 5.5f, 1, 1, 1, 1000, 1000}));
  EXPECT_FLOAT_EQ(ccs.azim, 100.0f * 0.017453f * 0.9f);
  // The section of two points was dropped and its number reused; z-y order;
  // first and last point 0.005 m apart close the outline.
  EXPECT_EQ(cchar.csname(2).str(), "C");
  // Without locate: 1000 x station; y of the last located section.
  const std::vector<float> c = loaded(2, 3);
  EXPECT_EQ(std::vector<float>({c[0], c[1], c[2], c[5], c[6], c[8], c[9]}),
            std::vector<float>({3, 12.5f, 431.2f, 2, 6, 3000, 1000}));
}

TEST_F(Inrea, LabelsBeforeAndBeyondTheClassTable) {
  auto name = [](int i) { return std::string{char('A' + i / 26), char('a' + i % 26), 'x'}; };
  std::string in = ">>global\nkst 40\nvegetation 0.2\n";
  for (int i = 3; i <= 101; ++i) in += "label " + name(i) + "\n";
  in += "kst 12\n";
  ASSERT_FALSE(read(in));
  // Before any label the default class takes the values, with a warning.
  EXPECT_FLOAT_EQ(ccs.kstl(1), 40.0f);
  EXPECT_FLOAT_EQ(ccs.vegl(1), 0.2f);
  std::string l = listing();
  EXPECT_NE(l.find("   kst    40.0000\n" + box("warning", "no current label: def used")),
            std::string::npos)
      << l;
  EXPECT_NE(l.find(box("warning", "too many labels")), std::string::npos);
  EXPECT_EQ(nclas, 100);
  EXPECT_EQ(clas(99).str(), name(99));
  EXPECT_EQ(clas(100).str(), name(101));
  EXPECT_FLOAT_EQ(ccs.kstl(100), 12.0f);
  EXPECT_NE(out.find(">>warnings   3, errors  0"), std::string::npos) << out;
}

TEST_F(Inrea, BranchRecordsInTheCommonTable) {
  cmixing.ntube = 12;
  ASSERT_FALSE(
      read(">>section\ncs 'K12' 1.0 /\n0 2\n1 0\n2 2\n"
           ">>branch\ninflow 120.0\ncs 'K12' /\nrepeat 3 250.0 0.001\nweir 431.5 12.0 /\n"
           "gate 431.5 12.0 /\nvelocity 0.5\nrightside\ninflow 3.0\ndischarge 2.0\nhq\n430.0 0.0\n"
           "432.0 85.0\nculvert 429.0 /\ncs 'K12' 3.5 0.2 >inrea_q12.txt\n"
           ">>mixing\nload 2.5\nsource_pos 2 to 4\ntubes 80\nload **\n0 1\n1 2\n3 0\n"
           ">>bed_evolution\nd90 **\n1.0 0.1\n2.0 0.2\ndensity 2650\ninflow_rate 2.65\n"
           "porosity 0.4\nformula smart\nwrite 1.2 inrea_res12.txt\n"));
  // Records in the common table (row, column, value): inflow before the first
  // section (position 0, kind 7, left side); weir at position 4 with its
  // preset coefficient and gate with opening 0; the velocity goes with the
  // next inflow only, on the right side; hq of length 5 with two rows;
  // culvert with its presets; loads over all tubes, then tubes 2 to 4.
  const float recs[][3] = {{1, 1, 4},     {2, 1, 0},      {2, 2, 7},   {3, 1, 1},     {3, 2, 1},
                           {4, 2, 120},   {5, 1, 4},      {6, 1, 4},   {6, 2, 2},     {7, 2, 12},
                           {8, 1, 0.58f}, {10, 2, 3},     {12, 1, 0},  {13, 2, 0.5f}, {15, 2, 2},
                           {17, 2, 0},    {19, 2, 3},     {21, 1, 5},  {22, 2, 1},    {23, 1, 2},
                           {25, 2, 85},   {26, 1, 5},     {27, 2, 11}, {28, 2, 1},    {29, 1, -1},
                           {29, 2, 50},   {30, 1, 0.5f},  {31, 1, 4},  {31, 2, 11},   {32, 2, 1},
                           {33, 2, 12},   {34, 2, 2.5f},  {35, 1, 6},  {36, 2, 2},    {37, 2, 4},
                           {39, 1, 3600}, {40, 1, 10800}, {41, 1, 0}};
  for (const auto& r : recs)
    EXPECT_FLOAT_EQ(ccs.tabc(int(r[0]), int(r[1])), r[2]) << "row " << r[0] << " col " << r[1];
  EXPECT_EQ(cchar.ctag(0).str(), "inflw");
  EXPECT_EQ(cchar.ctag(4).str(), "culv");
  // repeat: 1250, 1500, 1750 m lowered by 0.25 m each; the branch section
  // with station, shift and hydrograph file.
  ASSERT_EQ(creach.nsec, 5);
  EXPECT_FLOAT_EQ(creach.xsec(1), 1000.0f);
  EXPECT_FLOAT_EQ(creach.xsec(4), 1750.0f);
  EXPECT_FLOAT_EQ(creach.dzsec(4), -0.75f);
  EXPECT_FLOAT_EQ(creach.xsec(5), 3500.0f);
  EXPECT_FLOAT_EQ(creach.dzsec(5), 0.2f);
  EXPECT_EQ(creach.ifix(4), 1);
  EXPECT_EQ(creach.ifix(3), 0);
  EXPECT_GT(creach.iout(5), 0);
  EXPECT_EQ(creach.iout(2), 0);
  EXPECT_EQ(ccs.nstruc, 7);
  EXPECT_EQ(cmixing.nload, 2);
  EXPECT_EQ(cmixing.ntube, 50);
  EXPECT_NE(out.find("number of stream tubes limited to"), std::string::npos);
  // Grain sizes by station, held outside the table.
  EXPECT_FLOAT_EQ(cbedevol.d90(1), 0.1f);
  EXPECT_FLOAT_EQ(cbedevol.d90(2), 0.125f);
  EXPECT_FLOAT_EQ(cbedevol.d90(5), 0.2f);
  EXPECT_FLOAT_EQ(cbedevol.qsin, 0.001f);
  EXPECT_NEAR(cbedevol.porf, 1.0f / 0.6f, 1e-6);
  EXPECT_EQ(cbedevol.iform, 2);
  EXPECT_EQ(cbedevol.nwrite, 1);
  EXPECT_EQ(cbedevol.iwrsec(1), 2);
  EXPECT_TRUE(uisopen(71));

  // Reading again: the write request starts anew on unit 71.
  ASSERT_FALSE(read(">>bed_evolution\nformula mpm\nwrite 0.0 inrea_res0.txt\n"));
  EXPECT_EQ(cbedevol.nwrite, 1);
  EXPECT_EQ(cbedevol.iwrsec(1), 1);
  uclose(71);
  std::remove("inrea_res0.txt");
  std::remove("inrea_res12.txt");
}

TEST_F(Inrea, UnreadableValuesAreErrorsAndKeepPresets) {
  EXPECT_TRUE(read(">>global\ndefkst abc\ndefcv 0.2\n>>branch\nweir 1.0 2.0\n"));
  EXPECT_FLOAT_EQ(ccs.kstl(1), 30.0f);
  EXPECT_FLOAT_EQ(ccs.cvdef, 0.2f);
  EXPECT_EQ(ccs.nstruc, 0);
  std::string l = listing();
  EXPECT_NE(l.find("   defkst\n" + box("error", "values cannot be read: defkst") + "   defcv"),
            std::string::npos)
      << l;
  EXPECT_NE(l.find(box("error", "values cannot be read: weir")), std::string::npos);
  EXPECT_NE(out.find(">>warnings   0, errors  2"), std::string::npos) << out;
}

TEST_F(Inrea, CommonTableFullSkipsTheRecord) {
  std::string in = ">>branch\n";
  for (int i = 0; i < 250; ++i) in += "weir 1 2 3\n";
  in += "waterlevel 5\nslope **\n0 1\n1 2\n";
  ccs.area = 12345.0f;  // the field after the common table
  EXPECT_TRUE(read(in));
  EXPECT_EQ(ccs.nstruc, 249);
  EXPECT_FLOAT_EQ(ccs.tabc(997, 1), 0.0f);
  EXPECT_FLOAT_EQ(ccs.area, 12345.0f);
  std::string l = listing();
  size_t first = l.find(box("error", "common table full"));
  ASSERT_NE(first, std::string::npos);
  // The table lines are read and dropped, not taken as keywords.
  EXPECT_EQ(l.find("keyword unknown"), std::string::npos);
  EXPECT_NE(out.find("errors  3"), std::string::npos) << out;
}

TEST_F(Inrea, TooManySectionsEndTheReadingEarly) {
  std::string in = ">>global\ntable_values 90\n>>section\n";
  for (int i = 1; i <= 1025; ++i) in += "cs 'S" + std::to_string(i) + "' /\n0 1\n1 0\n2 1\n";
  in += ">>branch\ncs 'S1' /\n";
  EXPECT_FALSE(read(in));
  EXPECT_EQ(creach.ncs, 1024);
  EXPECT_EQ(creach.nsec, 0);
  EXPECT_EQ(ccs.ntabv, 40);
  EXPECT_NE(out.find("Too many cross-sections on list"), std::string::npos);
  EXPECT_EQ(out.find(">>warnings"), std::string::npos);

  // The next reading starts afresh; the branch beyond its limit drops it.
  cunit.maxsec = 3;
  uopen_memory(cunit.lulst);
  EXPECT_FALSE(
      read(">>section\ncs 'A' /\n0 1\n1 0\n2 1\n>>branch\n"
           "cs 'A' /\ncs 'A' /\ncs 'A' /\ncs 'A' /\ncs 'A' /\n"));
  EXPECT_EQ(creach.ncs, 1);
  EXPECT_EQ(creach.nsec, 0);
  EXPECT_NE(out.find("Too many cross-sections in branch"), std::string::npos);
  cunit.maxsec = 1024;
  uopen_memory(cunit.lulst);
  EXPECT_FALSE(read(">>section\ncs 'A' /\n0 1\n1 0\n2 1\n>>branch\ncs 'A' /\n"));
  EXPECT_EQ(creach.nsec, 1);

  // A section of exactly 1000 points is warned about but loses nothing; a
  // 1001st point line is lost.
  std::string pts;
  for (int i = 0; i < 1000; ++i) pts += std::to_string(i) + (i % 2 ? " 1\n" : " 0\n");
  uopen_memory(cunit.lulst);
  read(">>section\ncs 'F' /\n" + pts + "\ncs 'G' /\n0 1\n1 0\n2 1\n");
  EXPECT_EQ(creach.ncs, 2);
  EXPECT_EQ(inrea_lost(), 0);
  uopen_memory(cunit.lulst);
  read(">>section\ncs 'F' /\n" + pts + "1000 1\n");
  EXPECT_GT(inrea_lost(), 0);
}

TEST_F(Inrea, LateSectionsKeepTheirOwnLocation) {
  // A branch line loads a section; the sections read after it must not take
  // over the location of the loaded one.
  ASSERT_FALSE(
      read(">>section\nlocate 5 6 0\ncs 'A' 1.0 /\n0 1\n1 0\n2 1\n"
           ">>branch\ncs 'A' /\n>>section\ncs 'B' 2.0 /\n0 1\n1 0\n2 1\n"));
  csrea(2, 0.0f);
  EXPECT_FLOAT_EQ(ccs.xloc, 2000.0f);
}

TEST_F(Inrea, PorosityBelowLimitEndsTheProgram) {
  EXPECT_TRUE(read(">>bed_evolution\nporosity 0.2\n"));
  EXPECT_NE(out.find("check porosity value"), std::string::npos);
}

}  // namespace
}  // namespace riv
