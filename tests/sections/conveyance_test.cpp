#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "model/model.hpp"
#include "model/profile.hpp"
#include "sections/sections.hpp"

namespace riv {
namespace {

constexpr double kPi = 3.14159265358979;

class Conveyance : public ::testing::Test {
 protected:
  void SetUp() override {
    model_init();
    csstore_clear();
  }
  // Stores a profile as section 1 and loads it.
  void put(const std::vector<float>& y, const std::vector<float>& z, std::vector<int> cls = {},
           int kind = 0) {
    test::store_profile(1, y, z, cls, kind);
    csrea(1, 0.0f);
  }
  // Properties at zw; returns the level cscnv leaves.
  float at(float zw) {
    testing::internal::CaptureStdout();
    cscnv(zw);
    out = testing::internal::GetCapturedStdout();
    return zw;
  }
  // Area, wetted perimeter and top width left by the last evaluation.
  static void props(double a, double p, double w, double tol) {
    EXPECT_NEAR(ccs.area, a, tol);
    EXPECT_NEAR(ccs.perim, p, tol);
    if (w >= 0) {
      EXPECT_NEAR(ccs.wtop, w, tol);
    }
  }
  static double strickler(double k, double a, double p) {
    return k * a * std::pow(a / p, 2.0 / 3.0);
  }
  std::string out;
};

TEST_F(Conveyance, RectangleAndTrapezoidMatchClosedForms) {
  put({0, 0, 10, 10}, {10, 0, 0, 10});
  at(2.0f);
  props(20.0, 14.0, 10.0001, 1e-5);
  EXPECT_NEAR(ccs.conv, strickler(30, 20, 14), 1e-5 * ccs.conv);  // exponent 0.666667
  EXPECT_NEAR(ccs.rhyd, 20.0 / 14.0, 1e-6);
  EXPECT_TRUE(out.empty());

  // Level exactly at the bank points: they are dry, the walls count in full.
  at(10.0f);
  EXPECT_EQ(ccs.idry(1), 1);
  EXPECT_EQ(ccs.hp(1), 0.0f);
  props(100.0, 30.0, -1, 1e-4);

  // Trapezoid: bottom 6, side slopes 1:2, depth 1.5.
  put({0, 6, 12, 18}, {3, 0, 0, 3});
  at(1.5f);
  const double h = 1.5, b = 6, m = 2;
  const double a = (b + m * h) * h, p = b + 2 * h * std::sqrt(1 + m * m);
  props(a, p, b + 2 * m * h, 1e-3);
  EXPECT_NEAR(ccs.conv, strickler(30, a, p), 1e-3 * strickler(30, a, p));
}

TEST_F(Conveyance, CompositeRoughnessIsHortonEinstein) {
  ccs.kstl(3) = 20.0f;  // walls
  ccs.kstl(4) = 40.0f;  // bed
  put({0, 0, 10, 10}, {10, 0, 0, 10}, {3, 4, 3, 3});
  at(2.0f);
  const double s = 2 / std::pow(20.0, 1.5) + 10 / std::pow(40.0, 1.5) + 2 / std::pow(20.0, 1.5);
  const double keq = std::pow(14.0 / s, 2.0 / 3.0);
  EXPECT_NEAR(ccs.conv, strickler(keq, 20, 14), 1e-3 * ccs.conv);
  EXPECT_GT(keq, 20.0);
  EXPECT_LT(keq, 40.0);
}

TEST_F(Conveyance, TubePartlyAndFullyFilled) {
  put({2.0f}, {100.0f});
  cstube(101.0f);  // half full
  props(kPi / 2, kPi, 2.0, 1e-4);
  // Circular segment, r = 1, h = 0.5: r^2 acos((r-h)/r) - (r-h) sqrt(2rh - h^2).
  float zw = 100.5f;
  cscnv(zw);
  const double aseg = std::acos(0.5) - 0.5 * std::sqrt(1.0 - 0.25);
  props(aseg, 2 * std::acos(0.5), 2 * std::sqrt(0.75), 1e-5);
  EXPECT_NEAR(ccs.conv, 30 * aseg * std::pow(aseg / ccs.perim, 0.6667), 1e-4);
  cstube(103.0f);  // running full
  props(3.1415, 6.283, 0.05, 1e-5);
  EXPECT_NEAR(ccs.rhyd, 0.5, 1e-6);
  cstube(99.0f);  // below the invert: nothing, no message
  EXPECT_EQ(ccs.area, 0.0f);
  EXPECT_EQ(ccs.conv, 0.0f);
  // The compound default does not turn a tube into a lateral grid.
  ccs.lcompd = 1;
  int it = 0;
  csval(1, 103.0f, 0.0f, 0.001f, it);
  EXPECT_NEAR(ccs.area, 3.1415, 1e-5);
  EXPECT_GT(ccs.conv, 0.0f);
}

TEST_F(Conveyance, BelowBedRaisesLevelAndReports) {
  put({0, 0, 10, 10}, {10, 0, 0, 10});
  EXPECT_FLOAT_EQ(at(-1.0f), 0.001f);
  EXPECT_EQ(out, "  >cscnv: waterlevel      -1.00 is below bedlevel      0.00\n");
  for (float v : {ccs.area, ccs.perim, ccs.conv, ccs.rhyd}) EXPECT_EQ(v, 1e-10f);
  // A profile whose points all lie at one level, exactly at the water level.
  put({0, 5, 10}, {3, 3, 3});
  EXPECT_FLOAT_EQ(at(3.0f), 3.001f);
  at(4.0f);
  props(10.0, 10.0, -1, 1e-5);
}

TEST_F(Conveyance, MainCountsOnlyWaterConnectedToLowestPoint) {
  const std::vector<float> y{0, 2, 4, 6, 8}, z{5, 0, 3, 1, 5};
  put(y, z);
  at(2.0f);
  EXPECT_NEAR(ccs.area, 0.8 + 4.0 / 3.0 + 0.5 + 0.25, 1e-5);
  put(y, z, {}, 1);
  at(2.0f);
  EXPECT_NEAR(ccs.area, 0.8 + 4.0 / 3.0, 1e-5);
}

TEST_F(Conveyance, OverhangAndClosedOutline) {
  // Shelf overhanging the right part of a rectangle: water under it counts,
  // the bank above it does not.
  put({0, 0, 10, 10, 8, 8}, {5, 0, 0, 2, 2, 5});
  at(3.0f);
  props(8 * 3 + 2 * 2, 3 + 10 + 2 + 2 + 1, 8.0001, 1e-4);
  // A closed 2 x 2 box under water: full area, positive tiny width.
  put({0, 0, 2, 2, 0}, {2, 0, 0, 2, 2}, {}, 4);
  at(3.0f);
  props(4.0, 8.0, -1, 1e-5);
  EXPECT_GT(ccs.wtop, 0.0f);
  EXPECT_LT(ccs.wtop, 0.001f);
}

TEST_F(Conveyance, LevelWettingOnlyAnEndPointCountsTheWedge) {
  put({0, 5, 10}, {5, 2, 0});
  EXPECT_FLOAT_EQ(at(1.0f), 1.0f);
  EXPECT_NEAR(ccs.area, 1.25, 1e-5);
  EXPECT_TRUE(out.empty());
  put({0, 5, 10}, {0, 2, 5});
  EXPECT_FLOAT_EQ(at(1.0f), 1.0f);
  EXPECT_NEAR(ccs.area, 1.25, 1e-5);
  EXPECT_GT(ccs.conv, 0.0f);
}

TEST_F(Conveyance, ZeroStricklerCarriesNoFlowWithoutNaN) {
  ccs.kstl(3) = 0.0f;
  put({0, 0, 5, 5, 10, 10}, {10, 0, 0, 0, 0, 10}, {1, 3, 3, 1, 1, 1});  // incl. a repeated point
  at(2.0f);
  EXPECT_NEAR(ccs.area, 20.0, 1e-5);
  EXPECT_EQ(ccs.conv, 0.0f);
  EXPECT_FALSE(std::isnan(ccs.rhyd));
}

TEST_F(Conveyance, TableFollowsTheSectionAndMatchesDirectEvaluation) {
  put({0, 1, 3, 4}, {104.5f, 100, 100, 104.5f}, {1, 1, 1, 1});
  ccs.ntabv = 40;
  int itmax = -1;
  cstab(1, 0.25f, 0.0f, itmax);
  EXPECT_EQ(itmax, 0);
  EXPECT_FLOAT_EQ(ccs.ztab(1), 100.25f);
  EXPECT_EQ(ccs.atab(1), 0.0f);
  EXPECT_NEAR(ccs.ztab(2) - ccs.ztab(1), 5.0 / 39.0, 1e-4);
  EXPECT_NEAR(ccs.ztab(40), 105.25 - 0.0001, 1e-4);

  // Every row is exactly the properties evaluated directly at its level: plain
  // and `main` profiles with a separate hollow, an overhang, a bed shift,
  // compound sections, an outline crossing itself (rows without flow among
  // rows with flow), a long irregular profile with a stretch of Strickler 0.
  std::vector<float> ny, nz;
  std::vector<int> ncls;
  for (int i = 0; i < 301; ++i) {
    ny.push_back(0.5f * i);
    nz.push_back(100.0f + 0.02f * std::fabs(i - 150.0f) + 0.3f * std::sin(0.7f * i));
    ncls.push_back(i > 40 && i < 60 ? 3 : 1);
  }
  ccs.kstl(3) = 0.0f;
  int itlat = 0, noflow = 0;
  struct Case {
    std::vector<float> y, z;
    int kind;
    float dzb;
    std::vector<int> cls;
  } cases[] = {
      {{0, 1, 3, 4}, {104.5f, 100, 100, 104.5f}, 0, 0.0f, {}},
      {{0, 2, 4, 6, 8, 12, 14}, {105, 101, 103, 100, 100.5f, 101, 105}, 0, 0.0f, {}},
      {{0, 2, 4, 6, 8, 12, 14}, {105, 101, 103, 100, 100.5f, 101, 105}, 1, 0.3f, {}},
      {{0, 2, 1, 5, 9, 8, 10}, {104, 103, 101, 100, 101, 103, 104}, 0, -0.2f, {}},
      {{0, 10, 30, 40, 60, 70, 90, 100},
       {106, 103, 102.5f, 99, 99.5f, 103, 102.8f, 106},
       2,
       0.1f,
       {}},
      {{0, 10, 0, 10}, {106, 104, 102, 100}, 0, 0.0f, {}},
      {ny, nz, 0, 0.0f, {}},
      {ny, nz, 1, 0.0f, ncls},
      {ny, nz, 0, 0.0f, ncls},
      {ny, nz, 2, 0.2f, ncls},
  };
  for (const Case& cs : cases) {
    test::store_profile(1, cs.y, cs.z, cs.cls, cs.kind);
    testing::internal::CaptureStdout();
    cstab(1, 0.0f, cs.dzb, itmax);  // levels unshifted: rows at exactly the levels below
    testing::internal::GetCapturedStdout();
    itlat = std::max(itlat, itmax);
    const Arr<float, mxtabv> zt = ccs.ztab, at = ccs.atab, bt = ccs.btab, kt = ccs.ktab;
    const Arr<float, mxgrid> ug = ccs.ug, eg = ccs.epsg;  // the grid of the top row stays
    const int ng = ccs.ng;
    for (int i = 2; i <= 40; ++i) {
      float z = zt(i);
      int it = 0;
      csrea(1, cs.dzb);
      if (ccs.lcomp == 1) {
        vdis(1, z, 0.001f, it);
      } else {
        testing::internal::CaptureStdout();
        cscnv(z);
        testing::internal::GetCapturedStdout();
      }
      if (at(i) == 1e-10f && kt(i) == 1e-10f) {
        ++noflow;  // a row without flow: its level moved to the bottom
        continue;
      }
      // The levels step on from where the row below left them.
      EXPECT_NEAR(zt(i) - zt(i - 1), zt(3) - zt(2), 1e-4) << cs.kind << " row " << i;
      EXPECT_EQ(at(i), ccs.area) << cs.kind << " row " << i;
      EXPECT_EQ(kt(i), ccs.conv) << cs.kind << " row " << i;
      EXPECT_EQ(bt(i), ccs.wtop) << cs.kind << " row " << i;
    }
    EXPECT_EQ(ng, ccs.ng);
    for (int j = 1; j <= ng; ++j) EXPECT_TRUE(ug(j) == ccs.ug(j) && eg(j) == ccs.epsg(j)) << j;
  }
  EXPECT_GT(itlat, 0);  // the compound case used the lateral method
  // The crossing outline has no flow from about 2.2 m above its lowest point; each
  // such row restarts the levels at the bottom: rows 14, 26 and 38.
  EXPECT_EQ(noflow, 3);
}

}  // namespace
}  // namespace riv
