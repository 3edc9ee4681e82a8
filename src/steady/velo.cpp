// The section velocity command: the lateral distribution of depth,
// velocity, unit discharge and bed shear across one section for a level and
// an energy slope, listed in the text window and drawn in the line viewer.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "graphics/graphics.hpp"
#include "input/fformat.hpp"
#include "input/freeread.hpp"
#include "input/input.hpp"
#include "sections/sections.hpp"
#include "steady/steady.hpp"

namespace riv {

namespace {

std::string line_of(std::string s) {
  while (!s.empty() && s.back() == '\n') s.pop_back();
  return s;
}

}  // namespace

int velo_text(const std::string_view name, float slope, float level, float q, int iter,
              std::vector<FStr<80>>& lines) {
  const Ccs& c = ccs;
  lines.clear();
  lines.emplace_back(
      line_of(fformat("('section= ',a8,'   slope=',f8.2,'%')", {FStr<8>(name), slope * 100.0f})));
  lines.emplace_back(line_of(fformat("('level  =',f9.2,'m  Q =',f10.2,'m3/s')", {level, q})));
  lines.emplace_back(
      line_of(fformat("('   y[m]   zb[m]  kst  u[m/s] q[m2/s] tb[N/m2](it=',i2,')')", {iter})));
  for (int j = 1; j <= std::min(c.ng, mxgrid); ++j)
    lines.emplace_back(line_of(fformat("(f7.2,f8.2,f6.1,2f6.2,f8.1)",
                                       {c.yg(j), c.zg(j), c.rkg(j), c.ug(j), c.ug(j) * c.hp(j),
                                        kRhoWater * c.usg(j) * c.usg(j)})));
  return static_cast<int>(lines.size());
}

VeloStep velo_compute(FStr<16>* val, float& slope, float& level, float& q, int& iter) {
  FStr<8>& name = cchar.secnam(0);
  name = val[0].view().substr(val[0].view().find_first_not_of(' ') == std::string_view::npos
                                  ? 0
                                  : val[0].view().find_first_not_of(' '));
  // Each field that does not read is named on the message line; the form
  // comes back with what was typed.
  float sl = slope * 100.0f, lv = level;
  if (fread_list(val[1].view(), {sl}) != 0 || !std::isfinite(sl)) {
    grmesg("Slope[%]: \"" + std::string(trim_right(val[1].view())) + "\" is not a number");
    return VeloStep::Refused;
  }
  if (fread_list(val[2].view(), {lv}) != 0 || !std::isfinite(lv)) {
    grmesg("Waterlevel[m]: \"" + std::string(trim_right(val[2].view())) + "\" is not a number");
    return VeloStep::Refused;
  }
  int isec = std::min(iicnv(name.view()), creach.ncs);
  csinq(isec, name.span());
  iter = 0;
  if (isec == 0) return VeloStep::Refused;
  if (sl < 1e-5f) {
    grmesg("Slope[%]: must be above 0");
    return VeloStep::Refused;
  }
  level = lv;
  slope = sl * 0.01f;
  if (slope < 1e-5f) {
    // A tiny slope asks for the level and friction slope of the last
    // backwater run at this section.
    for (int n = 1; n <= std::min(creach.nsec, mxbr); ++n)
      if (cchar.secnam(n) == name) {
        level = creach.zwl(n) - creach.dzsec(n);
        slope = creach.sfsec(n);
      }
  }
  int itflag = -1;
  csval(isec, level, 0.0f, slope, itflag);
  iter = itflag;
  if (ccs.ng == 0) {
    level = ccs.zmin;
    q = 0.0f;
    grmesg("Waterlevel[m]: below the bed, the lowest point is shown");
    return VeloStep::Dry;
  }
  q = std::max(ccs.qcum(ccs.ng), 1e-5f);
  return VeloStep::Computed;
}

// The form's fields from the current values.
void velo_fields(FStr<16>* val, float slope, float level, float q, int iter) {
  val[0] = cchar.secnam(0).view();
  val[1] = line_of(fformat("(f12.3)", {slope * 100.0f}));
  val[2] = line_of(fformat("(f12.3)", {level}));
  val[3] = line_of(fformat("(f12.3)", {q}));
  val[4] = line_of(fformat("(i3)", {iter}));
}

void velo() {
  grmesg("fill in values");
  cchar.secnam(0).clear();
  float slope = 0.0f, level = 0.0f, q = 0.0f;
  int iter = 0;
  std::vector<FStr<80>> lines;
  std::vector<float> xs, ys, vals;
  FStr<16> val[5];
  velo_fields(val, slope, level, q, iter);
  for (;;) {
    FStr<18> lab[5] = {"CS name/number", "Slope[%]", "Waterlevel[m]", "Discharge[m3/s]",
                       "Iterations"};
    grinfo(5, lab, val);
    if (lab[0] == std::string_view("cancel")) return;
    const VeloStep st = velo_compute(val, slope, level, q, iter);
    if (st == VeloStep::Refused) continue;
    velo_fields(val, slope, level, q, iter);
    if (st == VeloStep::Dry) continue;

    velo_text(cchar.secnam(0).view(), slope, level, q, iter, lines);
    grtext(static_cast<int>(lines.size()), lines.data());

    const Ccs& c = ccs;
    const int ng = std::min(c.ng, mxgrid);
    xs.assign(3 * ng, 0.0f);
    ys.assign(3 * ng, 0.0f);
    vals.assign(3 * ng, 0.0f);
    for (int j = 1; j <= ng; ++j) {
      for (int k = 0; k < 3; ++k) xs[k * ng + j - 1] = c.yg(j);
      ys[j - 1] = c.hp(j);
      ys[ng + j - 1] = c.ug(j);
      ys[2 * ng + j - 1] = c.ug(j) * c.hp(j);
    }
    FStr<240>& t = cinput.title;
    fassign(std::span<char>(t.c + 80, 80), "Cross-section");
    fassign(std::span<char>(t.c + 160, 40), "Distance [m]");
    fassign(std::span<char>(t.c + 200, 40), "[ ]");
    const int nper[3] = {ng, ng, ng};
    const int isym[3] = {0, 105, 0};
    int ilin[3] = {1, 101, 1304};
    const FStr<40> titl[3] = {"Flow depth[m]", "Flow velocity [m/s]", "Flow [m2/s]"};
    grklin(nper, isym, ilin, titl, 3, xs.data(), ys.data(), vals.data(), t, 0, cunit.kplot);
    velo_fields(val, slope, level, q, iter);
  }
}

}  // namespace riv
