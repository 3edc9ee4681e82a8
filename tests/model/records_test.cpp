#include <gtest/gtest.h>

#include <vector>

#include "model/model.hpp"

namespace riv {
namespace {

TEST(ModelRecords, ResetForReadingClearsOnlyPerReadingState) {
  model_init();
  creach.nsec = 5;
  creach.ncs = 7;
  creach.ndata = 3;
  ccs.nstruc = 4;
  cmixing.nload = 2;
  cmixing.ltherm = 1;
  ccs.lmain = ccs.lcomp = ccs.lcompd = 1;
  ccs.xloc = 12.0f;
  creach.qlat(2, 17) = 3.0f;
  cbedevol.dzb(9) = -0.4f;
  cbedevol.d90def = 0.2f;
  cbedevol.d90(3) = 0.9f;
  ccs.tabc(1, 1) = 4.0f;
  ccs.kstl(1) = 20.0f;
  ccs.vegl(2) = 3.0f;
  clas(3) = "grs";
  nclas = 3;
  // Settings that stay in force for the next reading.
  cunit.theta = 0.7f;
  ccs.kstl(3) = 25.0f;
  cmixing.ntube = 20;
  ccs.ntabv = 40;
  creach.xsec(1) = 1250.0f;

  model_reset_for_reading();

  EXPECT_EQ(std::vector<int>({creach.nsec, creach.ncs, creach.ndata, ccs.nstruc, cmixing.nload,
                              cmixing.ltherm, ccs.lmain, ccs.lcomp, ccs.lcompd, nclas}),
            std::vector<int>({0, 0, 0, 0, 0, 0, 0, 0, 0, 2}));
  // (xloc, qlat, dzb, d90 at 3 and 1024 from d90def, tabc, kstl, vegl)
  EXPECT_EQ(std::vector<float>({ccs.xloc, creach.qlat(2, 17), cbedevol.dzb(9), cbedevol.d90(3),
                                cbedevol.d90(1024), ccs.tabc(1, 1), ccs.kstl(1), ccs.vegl(2)}),
            std::vector<float>({-9999, 0, 0, 0.2f, 0.2f, 0, 30, -1}));
  EXPECT_TRUE(clas(3).blank());
  EXPECT_EQ(clas(2).str(), "bed");

  EXPECT_EQ(std::vector<float>({cunit.theta, ccs.kstl(3), creach.xsec(1)}),
            std::vector<float>({0.7f, 25, 1250}));
  EXPECT_EQ(std::vector<int>({cmixing.ntube, ccs.ntabv}), std::vector<int>({20, 40}));

  model_init();
  EXPECT_FLOAT_EQ(cunit.theta, 0.55f);
  EXPECT_EQ(ccs.kstl(3), 0.0f);
  EXPECT_EQ(ccs.ntabv, 100);
}

TEST(ModelArrays, LayoutAndBases) {
  // Columns of the common table are contiguous, so a column can be passed on.
  EXPECT_EQ(&ccs.tabc(1, 2), &ccs.tabc(1000, 1) + 1);
  EXPECT_EQ(ccs.tabc.col(2), &ccs.tabc(1, 2));
  EXPECT_EQ(&creach.qlat(2, 1) + 1, &creach.qlat(1, 2));
  EXPECT_EQ(ccs.ysec.data(), &ccs.ysec(1));
  EXPECT_EQ(cchar.secnam.data(), &cchar.secnam(0));
  EXPECT_EQ(&cbedevol.qs(1024), cbedevol.qs.data() + 1024);
}

}  // namespace
}  // namespace riv
