// Section tool: one listed cross-section under uniform (normal) flow. From a
// discharge it finds the normal level by bisection, from a level the
// discharge, and shows depth, energy level, hydraulic and grain hydraulic
// radius, velocity, shear, Froude and grain Reynolds numbers and the bed-load
// capacity of both formulas. Table mode lists two quantities over the
// section's property table and writes the critical slopes of armouring to
// the listing.
#include <algorithm>
#include <cmath>
#include <utility>
#include <string>

#include "input/notify.hpp"
#include "input/input.hpp"
#include "sections/sections.hpp"
#include "sediment/sediment.hpp"

namespace riv {

namespace {

constexpr const char* kColumnName[8] = {"q[m3/s] ", "z[m]    ", "ze[m]   ", "v[m/s]  ",
                                        "tb[N/m2]", "Area[m2]", "Rb[m]   ", "Qb[g/l] "};
constexpr const char* kColumnItem[8] = {"Discharge", "Waterlevel", "Energylevel", "Flow velocity",
                                        "Bed shear", "Area",       "Radius",      "Bedload"};

std::string line_of(std::string s) {
  while (!s.empty() && s.back() == '\n') s.pop_back();
  return s;
}

std::string f12(std::string_view fmt, float v) { return line_of(fformat(fmt, {v})); }

bool show_form(SedForm& f) {
  if (seddisplay.form)
    seddisplay.form(f);
  else
    f.label(1) = "cancel";
  return !f.cancelled();
}

// Values kept between uses of the command.
struct Saved {
  float q0 = 0.0f;
  float slope = 1.0f;
  int col1 = 1, col2 = 2;
};
Saved saved;

}  // namespace

DiscrShow discr_show(const DiscrState& s) {
  const Ccs& c = ccs;
  const Cbedevol& b = cbedevol;
  const float g = cunit.grav;
  const float slope = s.in.slope / 100.0f;
  const float q0 = s.in.q0;
  const float z = s.in.z;
  DiscrShow d;
  const float a = std::max(c.area, 0.001f);
  d.depth = z - c.zmin;
  d.u = q0 / a;
  d.rhyd = c.area / std::max(c.perim, 0.001f);
  d.tau = d.rhyd * g * slope * 1000.0f;
  d.energy = z + 0.0505f * d.u * d.u;
  const float d90 = std::max(b.d90def, 1.0e-5f);
  const float kr = 21.0f / std::pow(d90, 0.166667f);
  d.rb = std::pow(std::max(c.conv, 0.0f) / (kr * a), 1.5f);
  d.froude = std::sqrt(q0 * q0 * std::max(c.wtop, 0.0f) / (g * a * a * a));
  d.reynolds = std::sqrt(std::max(0.0001f * d.tau, 0.0f)) * d90 / 1.0e-6f;
  d.iter = s.iter;
  d.load1 = (1.0f + b.delta) * 1000.0f * s.q1;
  d.load2 = (1.0f + b.delta) * 1000.0f * s.q2;
  d.iarm = s.iarm;
  d.shlda = b.shlda;
  d.shld = b.shld;
  return d;
}

void discr_form(const DiscrState& s, SedForm& f) {
  const Cbedevol& b = cbedevol;
  const DiscrShow d = discr_show(s);
  f = SedForm{};
  f.add("CS Name/Number  > ", s.in.name.view());
  f.add("Slope        [%]> ", f12("(f12.3)", s.in.slope));
  f.add("Table values>     ", s.in.table ? "+" : "_");
  f.add("Discharge [m3/s]> ", f12("(f12.3)", s.in.q0));
  f.add("Waterlevel   [m]> ", f12("(f12.3)", s.in.z));
  f.add("d30         [cm]> ", f12("(f12.1)", 100.0f * b.d30def));
  f.add("dm          [cm]> ", f12("(f12.1)", 100.0f * b.dmdef));
  f.add("d90         [cm]> ", f12("(f12.1)", 100.0f * b.d90def));
  f.add("Thcrit       [-]> ", f12("(f12.3)", b.thcrit));
  f.add("max. Depth   [m]  ", f12("(f12.2)", d.depth));
  f.add("max. Energylevel  ", f12("(f12.2)", d.energy));
  f.add("hydr. Radius [m]  ", f12("(f12.2)", d.rhyd));
  f.add("Rb           [m]  ", f12("(f12.2)", d.rb));
  f.add("Velocity   [m/s]  ", f12("(f12.3)", d.u));
  f.add("Mean Shear[N/m2]  ", f12("(f12.1)", d.tau));
  f.add("Froude Number []  ", f12("(f12.3)", d.froude));
  f.add("GrainReynolds [10^", f12("(f12.3)", d.reynolds / 10000.0f));
  f.add("Iterations        ", line_of(fformat("(i3)", {d.iter})));
  f.add("Bed load MPM[kg/s]", f12("(f12.1)", d.load1));
  f.add("Bed load VAW[kg/s]", f12("(f12.1)", d.load2));
  f.add("Armoring          ", d.iarm == 1 ? "yes" : "no");
  f.add("Thetacrit_DS   [-]", f12("(f12.3)", d.shlda));
  f.add("Theta Bed   [-]   ", f12("(f12.3)", d.shld));
}

bool discr_read_form(const SedForm& f, DiscrInput& in) {
  // Every value that reads is taken, so that a second look at the form shows
  // what was typed; one unreadable value is enough to show the form again.
  in.name = f.text(1);
  in.table = f.text(3).substr(0, 1) == "+";
  const std::pair<int, float*> numbers[] = {{2, &in.slope}, {4, &in.q0}, {5, &in.z},
                                            {6, &in.d30},   {7, &in.dm}, {8, &in.d90},
                                            {9, &in.thcrit}};
  bool ok = true;
  for (const auto& [i, v] : numbers) ok = f.number(i, *v) && ok;
  return ok;
}

int discr_compute(DiscrState& s, float zshown, int& nlines) {
  Cbedevol& b = cbedevol;
  Ccs& c = ccs;
  DiscrInput& in = s.in;
  nlines = 0;

  int isec = cs_by_number_or_name(in.name);
  if (isec == 0) return 1;
  s.isec = isec;
  if (in.slope < 1.0e-5f) return 2;
  const float slope = in.slope / 100.0f;
  if (std::fabs(in.z - zshown) > 0.001f) in.q0 = -1.0f;
  const float d30 = std::max(0.01f * in.d30, 0.001f);
  const float dm = std::max(0.01f * in.dm, d30);
  const float d90 = std::max(0.01f * in.d90, dm);
  b.d30def = d30;
  b.dmdef = dm;
  b.d90def = d90;
  b.d90(isec) = d90;
  b.thcrit = in.thcrit;

  if (in.table) {
    nlines = -1;  // the caller chooses the columns, then discr_table
    return 4;
  }

  const float rs = std::sqrt(slope);
  if (in.q0 > 1.0e-5f) {
    csrea(isec, 0.0f);
    float lo = c.zmin, hi = c.zmax;
    float zt = hi;
    int it = 0;
    csval(isec, zt, 0.0f, slope, it);
    const float qcap = rs * c.conv;
    if (in.q0 > qcap) {
      iimesg(line_of(fformat("('max. capacity[m3/s]=',f10.1)", {qcap})));
      in.table = false;
      return 3;
    }
    float z = hi;
    for (int i = 0; i < 20; ++i) {
      z = 0.5f * (lo + hi);
      float zc = z;
      it = 0;
      csval(isec, zc, 0.0f, slope, it);
      if (rs * c.conv > in.q0)
        hi = z;
      else
        lo = z;
    }
    in.z = z;
    s.iter = it;
    iimesg("new level");
  } else {
    float z = in.z;
    int it = 0;
    csval(isec, z, 0.0f, slope, it);
    in.z = z;
    in.q0 = rs * c.conv;
    s.iter = it;
    iimesg("new discharge");
  }
  if (in.q0 > 0.0f) {
    s.q1 = qbprof(slope, 0.0f, 1, s.iarm) * c.bm;
    s.q2 = qbprof(slope, 0.0f, 2, s.iarm) * c.bm;
  } else {
    s.q1 = s.q2 = 0.0f;
  }
  in.table = false;
  return 0;
}

void discr_column_form(int col, SedForm& f) {
  f = SedForm{};
  for (int i = 1; i <= 8; ++i) f.add(kColumnItem[i - 1], i == col ? "+" : "_");
}

int discr_column_read(const SedForm& f, int col) {
  for (int i = 1; i <= std::min(f.n, 8); ++i)
    if (f.text(i).substr(0, 1) == "+") col = i;
  return col;
}

int discr_table(DiscrState& s) {
  Ccs& c = ccs;
  Cbedevol& b = cbedevol;
  const float g = cunit.grav;
  const float slope = s.in.slope / 100.0f;
  const float rs = std::sqrt(slope);
  const int c1 = std::clamp(s.col1, 1, 8), c2 = std::clamp(s.col2, 1, 8);
  int it = 0;
  cstab(s.isec, 0.0f, 0.0f, it);
  s.iter = it;
  const int nt = std::min(c.ntabv, mxtabv);

  Arr<FStr<80>, 1026>& t = cinput.ctext;
  t(1) = line_of(fformat("('Section ',a,' Slope=',f6.2,'%')", {s.in.name, s.in.slope}));
  t(2) =
      line_of(fformat("('dm=',f8.1,'cm d90=',f8.1,'cm')", {100.0f * b.dmdef, 100.0f * b.d90def}));
  t(3) = std::string(kColumnName[c1 - 1]) + "   " + kColumnName[c2 - 1];
  int nl = 3;
  for (int j = 1; j <= nt; ++j) {
    c.area = c.atab(j);
    c.conv = c.ktab(j);
    const float q = c.ktab(j) * rs;
    const float a = std::max(c.atab(j), 0.001f);
    const float tau = c.rtab(j) * g * slope * kRhoWater;
    int iarm = 0;
    const float load = qbprof(slope, 0.0f, b.iform, iarm) * 1000.0f * (1.0f + b.delta) * c.bm;
    const float e = c.ztab(j) + kVelocityHead * (q / a) * (q / a);
    const float v[8] = {q, c.ztab(j), e, q / a, tau, a, c.rtab(j), q > 0.0f ? load / q : 0.0f};
    const bool star = iarm == 1 && c2 == 8;
    t(++nl) = line_of(fformat("(2f10.3,a)", {v[c1 - 1], v[c2 - 1], star ? "*" : " "}));
  }
  if (c2 == 8) t(++nl) = "(*=armoring)";

  // Critical slopes at which the armour layer of a coarser d90 is broken.
  const int lu = cunit.lulst;
  const float dm = b.dmdef;
  fwrite(lu, "('dm[mm]=',f10.1)", {1000.0f * dm});
  for (int i = 0; i < 30; ++i) {
    const float d90 = 0.20f + 0.05f * static_cast<float>(i);
    const float kr = 21.0f / std::pow(d90, 0.166667f);
    fwrite(lu, "('d90[mm]=',f10.1)", {1000.0f * d90});
    for (int j = 2; j <= nt; ++j) {
      const float rb = std::pow(c.ktab(j) / (std::max(c.atab(j), 0.001f) * kr), 1.5f);
      if (!(rb > 0.0f)) continue;
      const float sc = std::pow(d90 / dm, 0.66667f) * (dm * b.delta / rb) * b.thcrit;
      const float q = std::sqrt(sc) * c.ktab(j);
      fwrite(lu, "(3f10.2)", {q, 100.0f * sc, 1000.0f * d90});
    }
  }

  s.in.q0 = 0.0f;
  c.area = 0.0f;
  c.conv = 0.0f;
  c.zmin = 0.0f;
  s.iarm = 1;
  return nl;
}

void discr() {
  DiscrState s;
  s.in.q0 = saved.q0;
  s.in.slope = saved.slope;
  s.col1 = saved.col1;
  s.col2 = saved.col2;
  s.in.z = 0.0f;
  ccs.conv = 0.0f;
  ccs.zmin = 0.0f;
  iimesg("fill in values");
  cchar.secnam(0) = "";
  s.in.name = "";

  for (;;) {
    SedForm f;
    discr_form(s, f);
    if (!show_form(f)) break;
    const float zshown = s.in.z;
    if (!discr_read_form(f, s.in)) continue;
    cchar.secnam(0) = s.in.name.view();
    int nl = 0;
    const int st = discr_compute(s, zshown, nl);
    cchar.secnam(0) = s.in.name.view();
    if (st != 4) continue;
    bool cancelled = false;
    for (int k = 1; k <= 2 && !cancelled; ++k) {
      int& col = k == 1 ? s.col1 : s.col2;
      SedForm cf;
      discr_column_form(col, cf);
      iimesg("value in 1st/2nd column");
      if (!show_form(cf))
        cancelled = true;
      else
        col = discr_column_read(cf, col);
    }
    if (cancelled) break;
    nl = discr_table(s);
    if (seddisplay.text) seddisplay.text(nl);
  }
  saved.q0 = s.in.q0;
  saved.slope = s.in.slope;
  saved.col1 = s.col1;
  saved.col2 = s.col2;
}

}  // namespace riv
