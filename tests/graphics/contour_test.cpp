// The contour viewer: levels, band filling of cells, the cell search, the
// random generator, the written files and texts, and the viewer driven by
// keys and clicks on the headless driver.
#include <algorithm>
#include <cmath>
#include <vector>

#include "graphics/graphics.hpp"
#include "grfixture.hpp"
#include "input/freeread.hpp"
#include "input/units.hpp"

namespace riv {
namespace {

class Cont : public GrFixture {
 protected:
  std::vector<float> x, y, z;
  // A regular grid of nx by ny nodes, spacing d, z = f(x, y).
  template <class F>
  ContGrid grid(int nx, int ny, float d, F f, int ldx = 0) {
    ldx = ldx ? ldx : nx;
    x.assign(static_cast<size_t>(ldx) * ny, 0), y = x, z = x;
    for (int j = 0; j < ny; ++j)
      for (int i = 0; i < nx; ++i) {
        const int k = j * ldx + i;
        x[k] = d * i, y[k] = d * j, z[k] = f(x[k], y[k]);
      }
    return ContGrid{x.data(), y.data(), z.data(), nx, ny, ldx, -99.0f};
  }
  static std::string written(int unit) {
    std::string s = ucontents(unit);
    uclose(unit);
    return s;
  }
};

TEST_F(Cont, LevelsFromTheValueRange) {
  grinit(5, 12, "rivsim", "", 0);
  ContGrid g = grid(5, 2, 1.0f, [](float a, float b) { return 1 + a + 5 * b; });  // 1..10
  float lev[6] = {};
  grcfil(g, -99.0f, 5, lev);
  EXPECT_EQ(std::vector<float>(lev, lev + 6), (std::vector<float>{0, 2, 4, 6, 8, 10}));
  // No-data nodes stay out; an outlier beyond mean + 4 sd is cut off.
  g = grid(10, 10, 1.0f, [](float, float) { return 10.0f; });
  z[0] = -99.0f, z[1] = 11.0f, z[2] = 9.0f, z[3] = 1000.0f;
  grcfil(g, -99.0f, 4, lev);
  EXPECT_LE(lev[0], 9.0f);
  EXPECT_LT(lev[4], 1000.0f);
  EXPECT_GE(lev[4], 11.0f);
  // Negative values: -99 in the first level keeps the levels at 0 or above;
  // so does a mean one deviation above 0.
  for (size_t k = 0; k < z.size(); ++k) z[k] = static_cast<float>(k) - 50.0f;
  lev[0] = 0.0f;
  grcfil(g, -99.0f, 3, lev);
  EXPECT_LT(lev[0], 0.0f);
  lev[0] = -99.0f;
  grcfil(g, -99.0f, 3, lev);
  EXPECT_GE(lev[0], 0.0f);
  for (size_t k = 0; k < z.size(); ++k) z[k] = static_cast<float>(k) - 3.0f;
  lev[0] = 0.0f;
  grcfil(g, -99.0f, 3, lev);
  EXPECT_GE(lev[0], 0.0f);
  // A grid without values still gets rising levels.
  for (float& v : z) v = -99.0f;
  grcfil(g, -99.0f, 3, lev);
  EXPECT_GT(lev[1], lev[0]);
}

TEST_F(Cont, CellFilledBandByBand) {
  open_plot();
  const float lev[3] = {2.5f, 5.0f, 7.5f};
  EXPECT_EQ(grcband(2.5f, lev, 3), 1);
  EXPECT_EQ(grcband(2.6f, lev, 3), 2);
  EXPECT_EQ(grcband(9.0f, lev, 3), 4);
  // z rises with y from 0 to 10: four horizontal bands, colours 1 to 4.
  const float cx[4] = {0, 100, 100, 0}, cy[4] = {0, 0, 100, 100}, cz[4] = {0, 0, 10, 10};
  grcomn.IN07GR = 0;
  grcol2(cx, cy, cz, 4, lev, 3);
  grflip();
  for (int b = 1; b <= 4; ++b)
    EXPECT_EQ(grx_headless_pixel(px(50), py(25.0f * b - 12.5f)),
              static_cast<uint32_t>(grcomn.IRGBGR[100 + b]))
        << "band " << b;
  // With IN07GR the lowest band is left empty and the others shift down.
  grcler(0);
  grcomn.IN07GR = 1;
  grcol2(cx, cy, cz, 4, lev, 3);
  grflip();
  EXPECT_EQ(grx_headless_pixel(px(50), py(12.5f)), 0xFFFFFFu);
  EXPECT_EQ(grx_headless_pixel(px(50), py(37.5f)), static_cast<uint32_t>(grcomn.IRGBGR[101]));
  EXPECT_EQ(grx_headless_pixel(px(50), py(87.5f)), static_cast<uint32_t>(grcomn.IRGBGR[103]));
  // A cell wholly below the first level, or outside the window, draws nothing.
  grx_headless().calls.clear();
  const float low[4] = {1, 1, 2, 2};
  grcol2(cx, cy, low, 4, lev, 3);
  const float far[4] = {200, 300, 300, 200};
  grcol2(far, cy, cz, 4, lev, 3);
  for (const auto& call : grx_headless().calls) EXPECT_NE(call.op, GrxCall::Op::Polygon);
}

TEST_F(Cont, CellSearchInterpolatesAsDrawn) {
  // A linear field is reproduced exactly by the centroid triangles.
  ContGrid g = grid(
      4, 3, 10.0f, [](float a, float b) { return a + 2 * b; }, 50);
  int i = 0, j = 0;
  float f = 0;
  ASSERT_TRUE(grloct(g, 23.0f, 7.5f, i, j, f));
  EXPECT_EQ(i, 3);
  EXPECT_EQ(j, 1);
  EXPECT_NEAR(f, 38.0f, 1e-4);
  EXPECT_FALSE(grloct(g, 31.0f, 5.0f, i, j, f));
  z[g.at(1, 1)] = -99.0f;
  ASSERT_TRUE(grloct(g, 2.0f, 2.0f, i, j, f));
  EXPECT_EQ(f, -99.0f);
}

TEST_F(Cont, EsriGridXyzAndBreaklines) {
  ContGrid g = grid(3, 2, 5.0f, [](float a, float b) { return a + 10 * b; });
  uopen_memory(31);
  ASSERT_TRUE(grcont_write_grid(31, g, 1000.0, 2000.0));
  EXPECT_EQ(written(31),
            "ncols       3\nnrows       2\nxllcorner     1000.00\nyllcorner     2000.00\n"
            "cellsize      5.0000\nNODATA_value        -99.\n"
            "    50.000    55.000    60.000\n     0.000     5.000    10.000\n");
  // Unequal cells are refused.
  x[1] = 4.0f;
  uopen_memory(31);
  EXPECT_FALSE(grcont_write_grid(31, g, 0, 0));
  EXPECT_EQ(written(31), "");
  x[1] = 5.0f;

  uopen_memory(31);
  int seed = 7;
  grcont_write_xyz(31, g, 1000.0, 0.0, 0.0f, seed);
  std::string xyz = written(31);
  EXPECT_EQ(xyz.substr(0, 36), "     1000.00        0.00      0.000\n");
  EXPECT_EQ(seed, 7);  // no displacement asked: the generator is not used
  uopen_memory(31);
  grcont_write_xyz(31, g, 0.0, 0.0, 1.0f, seed);
  std::string moved = written(31);
  float a = 0, b = 0, c = 0;
  ASSERT_EQ(fread_list(moved.substr(0, moved.find('\n')), {a, b, c}), 0);
  EXPECT_LE(std::fabs(a), 1.0f);
  EXPECT_LE(std::fabs(b), 1.0f);
  EXPECT_NE(seed, 7);

  // A node without a value breaks its row and its column.
  z[g.at(2, 1)] = -99.0f;
  uopen_memory(31);
  grcont_write_breaklines(31, g, 0, 0);
  std::string bl = written(31);
  EXPECT_EQ(bl.substr(0, 2 * 39),
            "        0.00        0.00        0.00 1\n       10.00        0.00       10.00 1\n");
  EXPECT_EQ(std::count(bl.begin(), bl.end(), '\n'), 10);  // 12 nodes, 2 without a value
}

TEST_F(Cont, SumCurveAndSections) {
  // One cell 100 x 100 with z from 0 (bottom) to 10 (top).
  ContGrid g = grid(2, 2, 100.0f, [](float, float b) { return b / 10; });
  const float lev[2] = {5.0f, 10.0f};
  std::vector<std::string> s = grcont_sum(g, lev, 2);
  ASSERT_EQ(s.size(), 10u);
  EXPECT_EQ(s[0], "SUM CURVE");
  EXPECT_EQ(s[1], "VALUE[ ]  SUM[-]");
  EXPECT_EQ(s[2], "    0.000   0.250");
  EXPECT_EQ(s[5], "   10.000   1.000");
  EXPECT_EQ(s[7], "LEVEL[M]   AREA[A]");
  EXPECT_EQ(s[8], "    5.00    5000.0");
  EXPECT_EQ(s[9], "   10.00   10000.0");

  // Along the diagonal every 50 m, with the origin added; outside no value.
  std::vector<std::string> q =
      grcont_section(g, {0.0f, 100.0f, 150.0f}, {0.0f, 100.0f, 100.0f}, 50.0f, 10.0, 0.0);
  ASSERT_EQ(q.size(), 5u);
  EXPECT_EQ(q[0], "       10.00        0.00    0.000");
  EXPECT_EQ(q[2], "       80.71       70.71    7.071");
  EXPECT_EQ(q[4], "      160.00      100.00  -99.000");
  EXPECT_EQ(grcont_section(g, {0.0f, 100.0f}, {0.0f, 0.0f}, 0.0f, 0, 0).size(), 2u);
}

TEST_F(Cont, ViewerDrawsTheKeyAndTakesCommands) {
  grinit(5, 12, "rivsim", "", 0);
  ContGrid g = grid(5, 4, 25.0f, [](float a, float b) { return 0.01f * a + 0.02f * b; });
  FStr<240> titles("Test reach");
  fassign(std::span<char>(titles.c + 80, 80), "  Velocity [m/s]");
  grcomn.IKEYGR = 0;
  grcomn.IN15GR = 1;
  grcont(g.x, g.y, z.data(), 5, 4, 5, titles, 0, -99.0f);
  EXPECT_EQ(grcomn.IKEYGR, 1);
  bool subtitle = false;
  for (const auto& call : grx_headless().calls)
    subtitle = subtitle || call.s.find("Velocity [m/s]") != std::string::npos;
  EXPECT_TRUE(subtitle);
  // Levels 0, 0.2, ... 2.6: z = 1.3 lies in band 8, drawn in colour 7.
  EXPECT_EQ(grx_headless_pixel(px(50), py(40)), static_cast<uint32_t>(grcomn.IRGBGR[107]));

  // Grid, Nearest at node (2, 3), a click on the key (contour editing on),
  // Examine adding a level, Original (the viewer's items stay as they are),
  // eXit.
  grcomn.IN15GR = 0;
  float ex = 0, ey = 0, kx = 0, ky = 0;
  grdevc(26.0f, 49.0f, ex, ey);
  kx = grcomn.XORGGR + grcomn.XKEYGR + 60, ky = grcomn.YORGGR - grcomn.YKEYGR - 4;
  auto key = [](float px_, float py_, char k) {
    grx_headless_event(kGrxKeyPress, static_cast<int>(px_), static_cast<int>(py_), k);
  };
  key(ex, ey, 'g');
  key(ex, ey, 'n');
  grx_headless_event(kGrxButtonPress, static_cast<int>(kx), static_cast<int>(ky), 1);
  grdevc(60.0f, 40.0f, ex, ey);
  key(ex, ey, 'e');
  key(ex, ey, 'o');
  key(ex, ey, 'x');
  grcont(g.x, g.y, z.data(), 5, 4, 5, titles, 0, -99.0f);
  EXPECT_EQ(grctrl_menu().size(), 21u);
  std::vector<FStr<80>> h = grmesg_history();
  auto said = [&](std::string_view t) {
    for (const auto& m : h)
      if (m.view().find(t) != std::string_view::npos) return true;
    return false;
  };
  EXPECT_TRUE(said("(X,Y):      25.00      50.00 (I,J):      2      3 F:      1.250"));
  EXPECT_TRUE(said("contour editing on"));
  EXPECT_TRUE(said("(X,Y):"));
  EXPECT_TRUE(said("Contour added at F:  1.3"));
}

TEST_F(Cont, WriteCommandStoresTheGrid) {
  grinit(5, 12, "rivsim", "", 0);
  ContGrid g = grid(3, 2, 5.0f, [](float a, float) { return a; });
  FStr<240> titles("Grid");
  grscpt(std::vector<std::string>{"W", "G", "grid.asc", "X"});
  grcont(g.x, g.y, z.data(), 3, 2, 3, titles, 0, -99.0f);
  EXPECT_EQ(slurp("grid.asc").substr(0, 13), "ncols       3");
  EXPECT_EQ(grmesg_history().back().str(), "values stored on grid.asc");
}

}  // namespace
}  // namespace riv
