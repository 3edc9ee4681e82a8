#include "grfixture.hpp"

namespace riv {

using GrSettings = GrFixture;

// Integer settings against their expected values, reported by position.
static void expect_ints(std::initializer_list<std::pair<int, int>> got_want) {
  int i = 0;
  for (auto [got, want] : got_want) EXPECT_EQ(got, want) << "entry " << i++;
}

// A settings file as the program writes it, with the given lines replaced.
static std::string settings(std::initializer_list<std::pair<int, const char*>> repl = {},
                            int keep = 31) {
  const char* lines[31] = {"/GRAPHIC ATTRIBUTES",
                           " 1 /CALC SCALES",
                           " 0 /DEP SCALING",
                           " 1 /DRAW AXES",
                           " 1 /DRAW GRID",
                           " 0 /INTERACTIVE MODE",
                           " 0 /TIC SPACING CENTIMETERS",
                           " 0 /DRAW NO-DATA VALUES",
                           " 3   7  30 /COLOR MODES",
                           " 1 /SINGLE BUFFERED",
                           " 0 /SAVE HARDCOPY FILE",
                           " 0 /COLOR POSTSCRIPT",
                           " 0 /DOMAIN BOUNDARY",
                           " 1 /REDRAW KEEP FILES",
                           " 1 1 1 /MONO CONTOURS WITH LABELS, PAPER-SIZE",
                           "  10 /NUMBER OF X-AXIS INTERVALS",
                           "   8 /NUMBER OF Y-AXIS INTERVALS",
                           "         100.00 /XMIN",
                           "         600.00 /XMAX",
                           "          -5.00 /YMIN",
                           "          20.00 /YMAX",
                           "        1.50 /SYMBOL FACTOR",
                           "        0.50 /ZOOM FACTOR",
                           "        2.00 /SCALING FACTOR",
                           " 0        3.00        4.00   2.5 2 /KEY",
                           "       20.00    3  105     0.020 /VECTORS",
                           " 1 /SHADING",
                           "'file.txt' /",
                           "'Firm' /",
                           "'River Rhine' /",
                           "'Reach 2' /"};
  std::string s;
  for (int i = 1; i <= keep; ++i) {
    std::string l = lines[i - 1];
    for (auto& [n, t] : repl)
      if (n == i) l = t;
    s += l + "\n";
  }
  return s;
}

TEST_F(GrSettings, ReadsEveryLineWithItsClamps) {
  put(".grset", settings({{9, " 0   5  25 /COLOR MODES"},
                          {23, "        0.05 /ZOOM FACTOR"},
                          {19, "         100.00 /XMAX"},
                          {25, " 0       -3.00        4.00   2.5 2 /KEY"},
                          {26, "        0.01   30  105     0.020 /VECTORS"}}));
  grinit(5, 6, "rivsim", "", 0);
  const GrComn& c = grcomn;
  // IN01GR is never taken from the file; colour modes, vectors clamped.
  expect_ints({{c.IN01GR, 0},
               {c.IN02GR, 0},
               {c.IN04GR, 1},
               {c.MCOLGR, 2},
               {c.NCOLGR, 19},
               {c.IN09GR, 1},
               {c.IN18GR, 1},
               {c.NXINGR, 10},
               {c.NYINGR, 8},
               {c.LANGGR, 2},
               {c.VECNGR, 10},
               {c.ISHDGR, 1}});
  EXPECT_DOUBLE_EQ(c.XMINGR, 100);
  EXPECT_DOUBLE_EQ(c.XMAXGR, 101);  // at least one unit wide
  EXPECT_DOUBLE_EQ(c.YMINGR, -5);
  EXPECT_FLOAT_EQ(c.SYMFGR, 1.5f);
  EXPECT_FLOAT_EQ(c.ZOOMGR, 0.1f);
  EXPECT_FLOAT_EQ(c.XSCLGR, 0.7865f * 2);
  EXPECT_FLOAT_EQ(c.XKEYGR, 0);
  EXPECT_FLOAT_EQ(c.YKEYGR, 4);
  EXPECT_FLOAT_EQ(c.VECLGR, 0.1f);
  EXPECT_EQ(grcomt.FIRMGR.str(), "Firm");
  EXPECT_EQ(grcomt.TITLGR.str(), "River Rhine");
  EXPECT_EQ(grcomt.SUBTGR.str(), "Reach 2");
}

TEST_F(GrSettings, ShortOrBrokenFileStopsAtTheLine) {
  put(".grset", settings({}, 5));
  grinit(5, 6, "rivsim", "", 0);
  // Lines 2 to 5 read; IN05GR and the counts not reached: defaults.
  expect_ints({{grcomn.IN02GR, 0},
               {grcomn.IN04GR, 1},
               {grcomn.IN05GR, 1},
               {grcomn.NXINGR, 24},
               {grcomn.IN01GR, 0}});

  grreset();
  put(".grset", settings({{17, "   x /NUMBER OF Y-AXIS INTERVALS"}}));
  grinit(5, 6, "rivsim", "", 0);
  EXPECT_EQ(grcomn.NXINGR, 10);
  EXPECT_EQ(grcomn.NYINGR, 18);
  EXPECT_GE(grcomn.XMAXGR, grcomn.XMINGR + 1);  // no empty world window
}

TEST_F(GrSettings, WriterLinesInTheirFormat) {
  grinit(5, 6, "rivsim", "", 0);
  GrComn& c = grcomn;
  c.IN02GR = 0, c.IN04GR = 1, c.MCOLGR = 3, c.RCOLGR = 7, c.NCOLGR = 11;
  c.NXINGR = 12, c.NYINGR = 9;
  c.XORGR = 1000;
  c.XMINGR = -20, c.XMAXGR = 40, c.YMINGR = 1.5, c.YMAXGR = 2e11;
  c.SYMFGR = 0.75f, c.ZOOMGR = 0.5f, c.LANGGR = 2, c.VECNGR = 4;
  grcomt.TITLGR = "Rhine's reach";
  grcomt.SUBTGR = "Q = 100";
  grwset();
  std::string text = slurp(".grset");
  for (const char* want :
       {"/GRAPHIC ATTRIBUTES\n 1 /CALC SCALES\n 0 /DEP SCALING\n", "\n 3   7  11 /COLOR MODES\n",
        "\n 1 /REDRAW KEEP FILES\n 0 0 0 /MONO CONTOURS WITH LABELS, PAPER-SIZE\n"
        "  12 /NUMBER OF X-AXIS INTERVALS\n",
        "\n         980.00 /XMIN\n        1040.00 /XMAX\n", "\n 89999998976.00 /YMAX\n",
        "\n        0.75 /SYMBOL FACTOR\n", "\n 1        0.00       10.00   1.0 2 /KEY\n",
        "\n       10.00    4  103     0.010 /VECTORS\n", "\n'Rhine''s reach' /\n'Q = 100' /\n"})
    EXPECT_NE(text.find(want), std::string::npos) << want;
}

}  // namespace riv
