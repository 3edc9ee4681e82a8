#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "model/model.hpp"
#include "model/profile.hpp"

namespace riv {
namespace {

class CsStore : public ::testing::Test {
 protected:
  void SetUp() override {
    model_init();
    csstore_clear();
  }

  // Stores a section as the input reader hands it over.
  void put(int isec, const std::vector<float>& y, const std::vector<float>& z,
           const std::vector<int>& cls, int kind = 0) {
    ccs.cskm = 1.25f;
    ccs.xloc = 1250.0f;
    zsurv = z;
    test::store_profile(isec, y, z, cls, kind);
    ccs.np = 0;  // the reader moves on; the store must not depend on ccs
  }

  // First and last point raised by a load with bed shift 1.0.
  std::pair<int, int> main_channel(int isec) {
    csrea(isec, 1.0f);
    int il = 0, ir = 0;
    for (int i = 1; i <= ccs.np; ++i) {
      if (ccs.zsec(i) != zsurv[i - 1]) {
        if (il == 0) il = i;
        ir = i;
      }
    }
    return {il, ir};
  }

  std::vector<float> zsurv;
  // A valley of 9 points: banks at 5, lowest point 0 at point 5.
  const std::vector<float> y9{0, 1, 2, 3, 4, 5, 6, 7, 8};
  const std::vector<float> z9{5, 5, 3, 1, 0, 1, 3, 5, 5};
};

TEST_F(CsStore, TubeIgnoresShiftAndKindBits) {
  put(1, {2.0f}, {100.0f}, {1}, 3);
  csrea(1, 0.5f);
  EXPECT_EQ(ccs.np, 1);
  // (zmin, zbm, zmax, zbl, zbr, bm, zsec(1)): the bed shift does not apply.
  const std::vector<float> got{ccs.zmin, ccs.zbm, ccs.zmax, ccs.zbl, ccs.zbr, ccs.bm, ccs.zsec(1)};
  EXPECT_EQ(got, std::vector<float>({100, 100, 102, 102, 102, 1, 100}));
  EXPECT_EQ(ccs.lmain, 0);
  EXPECT_EQ(ccs.lcomp, 0);
  EXPECT_FLOAT_EQ(ccs.rks(1), 30.0f);
}

TEST_F(CsStore, MainChannelRules) {
  // Seven points: 3..5 whatever the classes say.
  put(1, {0, 1, 2, 3, 4, 5, 6}, {5, 4, 1, 0, 1, 4, 5}, {2, 2, 1, 1, 1, 1, 1});
  EXPECT_EQ(main_channel(1), std::make_pair(3, 5));
  // Bed labels on 4..6 of 9.
  put(2, y9, z9, {1, 1, 1, 2, 2, 2, 1, 1, 1});
  EXPECT_EQ(main_channel(2), std::make_pair(4, 6));
  // Only the first run counts, even a single point.
  put(3, y9, z9, {1, 2, 1, 1, 2, 2, 1, 1, 1});
  EXPECT_EQ(main_channel(3), std::make_pair(2, 2));
  EXPECT_FLOAT_EQ(ccs.bm, 0.0001f);
  EXPECT_FLOAT_EQ(ccs.zbm, 1.0f);
  // A run reaching the last point does not count: the level rule decides
  // (zlow = 5/3: points 4..6).
  put(4, y9, z9, {1, 1, 1, 1, 1, 1, 2, 2, 2});
  EXPECT_EQ(main_channel(4), std::make_pair(4, 6));
  // Level rule on an asymmetric valley: lower right bank 3, zlow = 1.
  put(5, y9, {6, 4, 2, 0.5f, 0, 0.8f, 3, 2, 2}, {1, 1, 1, 1, 1, 1, 1, 1, 1});
  EXPECT_EQ(main_channel(5), std::make_pair(4, 6));
  // Flat profile: no point below zlow; the whole section is main channel.
  put(6, {0, 5, 10}, {2, 2, 2}, {1, 1, 1});
  EXPECT_EQ(main_channel(6), std::make_pair(1, 3));
  EXPECT_NEAR(ccs.bm, 10.0001f, 1e-4);
  EXPECT_NEAR(ccs.zbm, 3.0f, 1e-4);
}

TEST_F(CsStore, BedShiftAndBankTops) {
  put(1, y9, z9, {1, 1, 1, 2, 2, 2, 1, 1, 1});
  csrea(1, 0.0f);
  float zbm0 = ccs.zbm;
  // Mean of the trapezoids over 4..6: (0.5 + 0.5) / 2.0001.
  EXPECT_NEAR(zbm0, 1.0f / 2.0001f, 1e-6);
  EXPECT_NEAR(ccs.bm, 2.0001f, 1e-6);

  csrea(1, 0.5f);
  // Only the main channel 4..6 is lowered; (zsec 3..6, zmin, zmax, zbl, zbr).
  EXPECT_EQ(std::vector<float>({ccs.zsec(3), ccs.zsec(4), ccs.zsec(5), ccs.zsec(6), ccs.zmin,
                                ccs.zmax, ccs.zbl, ccs.zbr}),
            std::vector<float>({3, 1.5f, 0.5f, 1.5f, 0.5f, 5, 5, 5}));
  EXPECT_EQ(ccs.ibl, 1);  // first of the equal highest points
  EXPECT_EQ(ccs.ibr, 8);
  EXPECT_NEAR(ccs.zbm, zbm0 + 0.5f, 1e-6);
  // A later load starts again from the surveyed bed.
  csrea(1, 0.0f);
  EXPECT_FLOAT_EQ(ccs.zsec(5), 0.0f);
}

TEST_F(CsStore, LowestPointRoughnessAndFlags) {
  put(1, {0, 1, 2, 3, 4}, {3, 0, 1, 0, 3}, {1, 3, 3, 1, 1}, 1);
  ccs.kstl(3) = 45.0f;  // class settings of load time apply
  ccs.vegl(3) = 0.2f;
  csrea(1, 0.0f);
  EXPECT_EQ(ccs.imin, 2);
  EXPECT_FLOAT_EQ(ccs.rks(2), 45.0f);
  EXPECT_FLOAT_EQ(ccs.rveg(3), 0.2f);
  EXPECT_FLOAT_EQ(ccs.rks(4), 30.0f);
  EXPECT_EQ(ccs.lmain, 1);
  EXPECT_EQ(ccs.lcomp, 0);

  ccs.lcompd = 1;
  put(2, {0, 1, 2}, {1, 0, 1}, {1, 1, 1}, 0);
  csrea(2, 0.0f);
  EXPECT_EQ(ccs.lcomp, 1);
  ccs.lcompd = 0;
  put(3, {0, 1, 2}, {1, 0, 1}, {1, 1, 1}, 2);
  csrea(3, 0.0f);
  EXPECT_EQ(ccs.lcomp, 1);
  EXPECT_EQ(ccs.lmain, 0);
}

TEST_F(CsStore, NumberZeroOrUnstoredLeavesWorkRecord) {
  put(1, {0, 1, 2}, {1, 0, 1}, {1, 1, 1});
  csrea(1, 0.0f);
  ccs.zmin = 123.0f;
  ccs.zsec(2) = 77.0f;
  csrea(0, 1.0f);
  EXPECT_EQ(ccs.zmin, 123.0f);
  EXPECT_EQ(ccs.zsec(2), 77.0f);
  csrea(5, 1.0f);
  EXPECT_EQ(ccs.zmin, 123.0f);
  EXPECT_EQ(ccs.np, 3);
  csstore_clear();
  csrea(1, 0.0f);
  EXPECT_EQ(ccs.zmin, 123.0f);
}

TEST_F(CsStore, NameLookup) {
  creach.ncs = 2;
  cchar.csname(1) = "ABCDEFGH";
  cchar.csname(2) = "S2";
  char name[12];
  int isec = 1;
  csinq(isec, name);
  EXPECT_EQ(std::string(name, 12), "ABCDEFGH    ");

  fassign(name, "S2");
  isec = 0;
  csinq(isec, name);
  EXPECT_EQ(isec, 2);

  fassign(name, "s2");  // case-sensitive
  isec = 0;
  csinq(isec, name);
  EXPECT_EQ(isec, 0);
  EXPECT_EQ(cinput.cmesg.str(), "cross-section 's2          ' not found");

  char shortname[3];
  isec = 1;
  csinq(isec, shortname);
  EXPECT_EQ(std::string(shortname, 3), "ABC");
}

}  // namespace
}  // namespace riv
