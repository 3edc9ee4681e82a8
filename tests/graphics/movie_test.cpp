// The curve-sequence viewer: stepping rules of the sequence menu, and whole
// viewer runs on the headless driver (which curve is drawn after which
// choice, the step in the subtitle, the key switch).
#include <vector>

#include "graphics/graphics.hpp"
#include "grfixture.hpp"

namespace riv {
namespace {

TEST(MovieStep, StepsStayInsideTheSequence) {
  GrMovie m;
  m.length = 4;
  // (item, number typed, step after, queued answer or -1): Reverse on the
  // first and Forward on the last stay there, no item moves nothing and the
  // menu comes back, numbers are held inside, ?? and eXit queue nothing.
  const int seq[][4] = {{3, 0, 1, 2},  {4, 0, 4, -1},  {2, 0, 4, -1},  {3, 0, 3, -1}, {0, 0, 3, 2},
                        {-3, 0, 3, 2}, {-9, 0, 3, 2},  {10, 0, 3, 2},  {1, 0, 1, -1}, {5, 2, 2, -1},
                        {5, 0, 1, -1}, {5, -7, 1, -1}, {5, 99, 4, -1}, {8, 0, 4, 0},  {9, 0, 4, 0}};
  for (const auto& [ich, num, step, ret] : seq) {
    const int r = grmovy_step(m, ich, num);
    EXPECT_EQ(m.step, step) << ich << " " << num;
    if (ret >= 0) {
      EXPECT_EQ(r, ret) << ich;
    }
  }
  // An empty sequence keeps step 1 whatever is chosen.
  GrMovie e;
  for (int ich = 1; ich <= 6; ++ich) grmovy_step(e, ich, 5);
  EXPECT_EQ(e.step, 1);
}

TEST(MovieStep, PlayRunsToTheEndAndWrapsOnTheNextPlay) {
  GrMovie m;
  m.length = 3;
  for (int i = 0; i < 3; ++i) grmovy_step(m, 7, 0);  // sloW three times: 3 x 30 ms
  EXPECT_EQ(m.delay, 3);
  EXPECT_EQ(grmovy_step(m, 6, 0), 3);  // 2, and Play goes on
  EXPECT_EQ(grmovy_step(m, 6, 0), 2);  // 3, the last: Play stops here
  EXPECT_EQ(m.step, 3);
  EXPECT_EQ(grmovy_step(m, 6, 0), 3);  // from the last back to the first
  EXPECT_EQ(m.step, 1);
  EXPECT_EQ(m.delay, 3);
  GrMovie one;
  one.length = 1;
  EXPECT_EQ(grmovy_step(one, 6, 0), 2);  // a single frame never plays on
  EXPECT_EQ(one.step, 1);
}

class Movie : public GrFixture {
 protected:
  static constexpr int kNpt = 7, kNcurv = 3;
  std::vector<float> x, y;
  FStr<240> titles;

  void SetUp() override {
    GrFixture::SetUp();
    grinit(5, 12, "rivsim", "", 0);
    // Scales from the data: the control loop keeps the scales of the last
    // plot of the process across library restarts.
    grcomn.INDSGR = 1;
    // Curve k: a zigzag at height 10 k over x = 0..6.
    for (int k = 1; k <= kNcurv; ++k)
      for (int i = 0; i < kNpt; ++i) {
        x.push_back(static_cast<float>(i));
        y.push_back(10.0f * k + static_cast<float>(i % 2));
      }
    titles = "Sections";
    fassign(std::span<char>(titles.c + 80, 80), "Bedlevel[m]");
  }
  static void keys(const char* k) {
    for (; *k; ++k) grx_headless_event(kGrxKeyPress, 100, 100, *k);
  }
  // Polylines drawn during the run that are exactly one of the expected
  // point lists: the index of the list for each, in drawing order.
  std::vector<int> drawn(const std::vector<std::vector<int>>& px,
                         const std::vector<std::vector<int>>& py) {
    std::vector<int> seen;
    for (const GrxCall& c : grx_headless().calls) {
      if (c.op != GrxCall::Op::Lines) continue;
      for (size_t k = 0; k < px.size(); ++k)
        if (c.x == px[k] && c.y == py[k]) seen.push_back(static_cast<int>(k) + 1);
    }
    return seen;
  }
  // Pixels of the points idx of the film in the world window left behind.
  static void pixels(const std::vector<float>& xs, const std::vector<float>& ys,
                     const std::vector<int>& idx, std::vector<int>& px, std::vector<int>& py) {
    px.clear(), py.clear();
    for (int i : idx) {
      float xd, yd;
      grdevc(xs[i], ys[i], xd, yd);
      px.push_back(static_cast<int>(xd));
      py.push_back(static_cast<int>(yd));
    }
  }
  std::string subtitle_step() const { return std::string(titles.sub(150, 160)); }
};

TEST_F(Movie, SelectStepsAndPlaysThroughTheCurves) {
  grcomn.IKEYGR = 1;
  const std::vector<std::string> select = {"S"};
  grscpt(select);
  // Forward, Forward, Reverse, Begin, Play (plays on to 3, the last),
  // eXit, eXit.
  keys("ffrbpxx");
  grmovy(x.data(), y.data(), kNpt, kNcurv, titles, 1, 2101);
  EXPECT_EQ(grcomn.IKEYGR, 1);
  EXPECT_EQ(grcomn.IN01GR, 1);
  EXPECT_EQ(grcomn.IN12GR, 1);
  EXPECT_EQ(grctrl_menu().back().substr(0, 8), ">SSelect");
  EXPECT_EQ(titles.sub(81, 91), "Bedlevel[m]");
  EXPECT_EQ(subtitle_step(), "/   3      ");
  std::vector<std::vector<int>> px(kNcurv), py(kNcurv);
  for (int k = 0; k < kNcurv; ++k) {
    std::vector<int> idx;
    for (int i = 0; i < kNpt; ++i) idx.push_back(k * kNpt + i);
    pixels(x, y, idx, px[k], py[k]);
  }
  // First picture, then one redraw per choice; Play draws 2 and goes on to 3.
  EXPECT_EQ(drawn(px, py), (std::vector<int>{1, 2, 3, 2, 1, 2, 3}));
}

TEST_F(Movie, NumberAndThePointLineMode) {
  const std::vector<std::string> select = {"S"};
  grscpt(select);
  // Number 5 (of 7 points); the line through point 5 of every curve. Then
  // a Number beyond the end shows the last point.
  keys("n5");
  grx_headless_event(kGrxKeyPress, 0, 0, 0xff0d);
  keys("n99");
  grx_headless_event(kGrxKeyPress, 0, 0, 0xff0d);
  keys("xx");
  grmovy(x.data(), y.data(), kNpt, kNcurv, titles, 0, 2101);
  EXPECT_EQ(subtitle_step(), "/   7      ");
  std::vector<std::vector<int>> px(kNpt), py(kNpt);
  for (int i = 0; i < kNpt; ++i) pixels(x, y, {i, kNpt + i, 2 * kNpt + i}, px[i], py[i]);
  EXPECT_EQ(drawn(px, py), (std::vector<int>{1, 5, 7}));
}

}  // namespace
}  // namespace riv
