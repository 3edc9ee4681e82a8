// The section list command: the table in the text window, the branch lines
// in the listing and the picture points of the section shapes.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "graphics/grfixture.hpp"
#include "input/units.hpp"
#include "model/model.hpp"
#include "model/profile.hpp"
#include "sections/sections.hpp"

namespace riv {
namespace {

class Clist : public GrFixture {
 protected:
  void SetUp() override {
    GrFixture::SetUp();
    model_init();
    csstore_clear();
    uopen_memory(cunit.lulst);
    grinit(5, 12, "rivsim", "", 0);
    grcomn.INDSGR = 1;
    cinput.title = "Test reach";
  }
  void TearDown() override {
    uclose(cunit.lulst);
    GrFixture::TearDown();
  }
  static void add(const std::string& name, float km, const std::vector<float>& y,
                  const std::vector<float>& z) {
    const int k = ++creach.ncs;
    ccs.cskm = km;
    test::store_profile(k, y, z);
    cchar.csname(k) = name;
  }
  // Runs the command: Done in the text window, the keys of the sequence
  // menu, eXit in the sequence menu and in the control menu.
  static void run(const std::string& keys = "") {
    for (char k : "d" + keys + "xx") grx_headless_event(kGrxKeyPress, 100, 100, k);
    clist();
  }
};

TEST_F(Clist, ShapePointsRelativeToTalwegAndNearerEnd) {
  std::vector<float> y, z;
  for (int i = 0; i < 12; ++i) {
    y.push_back(160.0f - 5.0f * i);  // right to left: 160 .. 105
    z.push_back(i == 6 ? 298.5f : 300.0f + i % 3);
  }
  add("S", 0, y, z);
  csrea(1, 0.0f);
  std::vector<float> px(1000, -1), py(1000, -1);
  clist_shape(px.data(), py.data());
  EXPECT_FLOAT_EQ(px[0], 55.0f);
  EXPECT_FLOAT_EQ(py[0], 1.5f);
  EXPECT_FLOAT_EQ(px[6], 25.0f);
  EXPECT_FLOAT_EQ(py[6], 0.0f);
  for (int j = 11; j < 1000; ++j) {
    ASSERT_EQ(px[j], 0.0f) << j;
    ASSERT_FLOAT_EQ(py[j], 300.0f + 11 % 3 - 298.5f) << j;
  }
  // A pipe of 2 m: its closed outline from the invert, not a single point.
  add("P", 0, {2.0f}, {408.38f});
  csrea(2, 0.0f);
  clist_shape(px.data(), py.data());
  EXPECT_FLOAT_EQ(px[0], 1.0f);
  EXPECT_FLOAT_EQ(py[0], 0.0f);
  EXPECT_NEAR(px[999], 1.0f, 1e-5);
  EXPECT_NEAR(py[999], 0.0f, 1e-5);
  for (int j = 0; j < 1000; ++j)
    ASSERT_NEAR(std::hypot(px[j] - 1.0f, py[j] - 1.0f), 1.0f, 1e-5) << j;
  EXPECT_NEAR(*std::max_element(py.begin(), py.end()), 2.0f, 1e-5);
}

TEST_F(Clist, EmptyListShowsHeaderOnly) {
  cinput.ctext(3) = "left over";
  run();
  EXPECT_EQ(cinput.ctext(2).str().substr(0, 12), "     section");
  EXPECT_EQ(ucontents(cunit.lulst), "\n");
  for (const GrxCall& c : grx_headless().calls) EXPECT_EQ(c.s.find("left over"), std::string::npos);
}

}  // namespace
}  // namespace riv
