// The section list command: a table of all listed cross-sections with their
// characteristic levels (text window and listing), a ready-made set of
// branch lines for them in the listing, and the shapes of all sections shown
// one after the other.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "graphics/graphics.hpp"
#include "input/fformat.hpp"
#include "model/model.hpp"
#include "sections/sections.hpp"

namespace riv {

namespace {

constexpr int kShapePoints = 1000;  // points of every curve of the picture
constexpr double kPi = 3.14159265358979323846;

std::string one_line(std::string s) {
  while (!s.empty() && s.back() == '\n') s.pop_back();
  return s;
}

void branch_line(int k) { fwrite(cunit.lulst, "('cs ''',a8,''' /')", {cchar.csname(k)}); }

}  // namespace

void clist_shape(float* x, float* y) {
  const Ccs& c = ccs;
  const int np = std::min(c.np, mxpt);
  if (np < 1) {
    for (int j = 0; j < kShapePoints; ++j) x[j] = y[j] = 0.0f;
    return;
  }
  if (np == 1) {
    // A circular tube holds only its diameter and invert: its outline is
    // drawn as a closed circle from the invert, levels above the invert.
    const float r = 0.5f * c.ysec(1);
    for (int j = 0; j < kShapePoints; ++j) {
      const double a = 2.0 * kPi * j / (kShapePoints - 1);
      x[j] = r - r * static_cast<float>(std::sin(a));
      y[j] = r - r * static_cast<float>(std::cos(a));
    }
    return;
  }
  // Lateral positions from the nearer end of the survey line, levels above
  // the lowest point (the talweg).
  const float y0 = std::min(c.ysec(1), c.ysec(np));
  for (int j = 1; j <= kShapePoints; ++j) {
    if (j <= np) {
      x[j - 1] = c.ysec(j) - y0;
      y[j - 1] = c.zsec(j) - c.zmin;
    } else {
      x[j - 1] = x[j - 2];
      y[j - 1] = y[j - 2];
    }
  }
}

void clist() {
  Cinput& in = cinput;
  const int ncs = std::clamp(creach.ncs, 0, mxlist);

  // The table: title, header and one line per section; the listing gets the
  // sections as branch lines in list order.
  in.ctext(1) = in.title.sub(1, 80);
  in.ctext(2) = "     section       km  talweg   mean    dam_l   dam_r   bedwidth";
  for (int k = 1; k <= ncs; ++k) {
    csrea(k, 0.0f);
    branch_line(k);
    const Ccs& c = ccs;
    in.ctext(k + 2) =
        one_line(fformat("(i4,1x,a,1x,f8.3,4f8.2,f8.1)",
                         {k, cchar.csname(k), c.cskm, c.zmin, c.zbm, c.zbl, c.zbr, c.bm}));
  }
  grtext(ncs + 2, in.ctext.data());

  // The shapes, 1000 points per section.
  std::vector<float> x(static_cast<size_t>(ncs) * kShapePoints);
  std::vector<float> y(x.size());
  for (int k = 1; k <= ncs; ++k) {
    csrea(k, 0.0f);
    const size_t f = static_cast<size_t>(k - 1) * kShapePoints;
    clist_shape(x.data() + f, y.data() + f);
  }

  // The same lines in reverse order: a branch runs from upstream to
  // downstream, the list usually the other way round.
  fwrite(cunit.lulst, "(a)", {""});
  for (int k = ncs; k >= 1; --k) branch_line(k);

  // The viewer opens its sequence menu at once.
  fassign(std::span<char>(in.title.c + 80, 80), "Bedlevel[m]");
  fassign(std::span<char>(in.title.c + 160, 40), "Distance[m]");
  fassign(std::span<char>(in.title.c + 200, 40), "[m]");
  static const FStr<40> select[1] = {"s"};
  grscpt(1, select);
  grmovy(x.data(), y.data(), kShapePoints, ncs, in.title, 1, 2101);
}

}  // namespace riv
