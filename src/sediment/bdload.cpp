// Yearly bed-load volumes of one cross-section over a long discharge series:
// a rating table of discharge against transport capacity under normal flow
// at the given slope, integrated over the hydrograph once with the full
// capacity (maximum load) and once with no transport where the bed is
// armoured (minimum load). Volumes are bulk volumes including the pores.
#include <algorithm>
#include <cmath>
#include <utility>
#include <string>

#include "input/notify.hpp"
#include "input/input.hpp"
#include "numerics/numerics.hpp"
#include "sections/sections.hpp"
#include "sediment/sediment.hpp"

namespace riv {

namespace {

std::string line_of(std::string s) {
  while (!s.empty() && s.back() == '\n') s.pop_back();
  return s;
}

std::string_view tail(std::string_view s, size_t col) {
  return col < s.size() ? s.substr(col) : std::string_view{};
}

}  // namespace

BdloadInput& bdload_saved() {
  static BdloadInput saved;
  return saved;
}

void bdload_read(int unit, Hydrograph& h) {
  h.n = 0;
  h.year0 = 0;
  h.qmax = 0.0f;
  h.nbad = 0;
  h.truncated = false;
  h.t.clear();
  h.q.clear();
  h.yend.clear();
  std::string buf;
  int dprev = 0, yprev = 0, tprev = 0;
  while (uread(unit, buf) == 0) {
    std::string_view line(buf);
    if (line.size() > 128) line = line.substr(0, 128);
    if (line.substr(0, 4) == "gang") continue;
    if (line.substr(0, 2) == ">>") break;
    if (len_trim(line) == 0) continue;
    int d = 0, y = 0, tt = 0;
    float q = 0.0f;
    if (fread_list(line.substr(0, 2), {d}) != 0 || fread_list(tail(line, 6), {y}) != 0 ||
        fread_list(tail(line, 11), {tt, q}) != 0) {
      ++h.nbad;
      continue;
    }
    if (h.n >= Hydrograph::nmax) {
      // The series is cut rather than overwriting its last value.
      h.truncated = true;
      break;
    }
    ++h.n;
    if (h.n == 1) {
      h.t.push_back(0.0);
      h.year0 = y;
    } else {
      double t = h.t.back() + 0.001 * (static_cast<double>(tt) - tprev);
      if (d != dprev) t += 1.0;
      h.t.push_back(t);
      if (y != yprev) h.yend.push_back(h.n - 1);
    }
    h.q.push_back(q);
    h.qmax = std::max(h.qmax, q);
    dprev = d;
    yprev = y;
    tprev = tt;
  }
  if (h.n > 0) h.yend.push_back(h.n);
}

void bdload_form(const BdloadInput& in, double vmin, double vmax, SedForm& f) {
  const Cbedevol& b = cbedevol;
  f = SedForm{};
  f.add("CS name/number  > ", in.name.view());
  f.add("Slope        [%]> ", line_of(fformat("(f12.2)", {in.slope})));
  f.add("d30         [mm]> ", line_of(fformat("(f12.0)", {1000.0f * b.d30def})));
  f.add("dm          [mm]  ", line_of(fformat("(f12.0)", {1000.0f * b.dmdef})));
  f.add("d90         [mm]  ", line_of(fformat("(f12.0)", {1000.0f * b.d90def})));
  f.add("Porosity[-]       ", line_of(fformat("(f10.2)", {in.poros})));
  f.add("Q-Factor[-]       ", line_of(fformat("(f10.2)", {in.qfac})));
  f.add("Formula           ", "/" + std::to_string(std::clamp(in.formula, 1, 2)) + "/MPM/VAW");
  f.add("min.Load[1000m3]  ", line_of(fformat("(f12.1)", {vmin})));
  f.add("max.Load[1000m3]  ", line_of(fformat("(f12.1)", {vmax})));
}

bool bdload_read_form(const SedForm& f, BdloadInput& in) {
  // Every value that reads is taken; one unreadable value shows the form again.
  in.name = f.text(1);
  float poros = in.poros;
  const std::pair<int, float*> numbers[] = {{2, &in.slope}, {3, &in.d30}, {4, &in.dm},
                                            {5, &in.d90},   {6, &poros},  {7, &in.qfac}};
  bool ok = true;
  for (const auto& [i, v] : numbers) ok = f.number(i, *v) && ok;
  const std::string_view fv = f.value(8).view();
  const size_t bar = fv.find('/');
  const char c = bar != std::string_view::npos && bar + 1 < fv.size() ? fv[bar + 1] : ' ';
  if (c == '1' || c == '2')
    in.formula = c - '0';
  else
    ok = false;
  // The pore factor 1/(1 - porosity) needs a porosity below 1.
  if (poros < 0.0f || poros >= 1.0f) {
    iimesg("check porosity value");
    ok = false;
  } else {
    in.poros = poros;
  }
  return ok;
}

BdloadResult bdload_compute(BdloadInput& in, const Hydrograph& h) {
  BdloadResult r;
  Cbedevol& b = cbedevol;
  const Cunit& u = cunit;

  // Section by number (limited to the list) or by name.
  int isec = cs_by_number_or_name(in.name);
  if (isec == 0) {
    r.status = 1;
    return r;
  }
  r.isec = isec;

  const float d30 = std::max(in.d30, 0.01f);
  const float dm = std::max(in.dm, d30);
  const float d90 = std::max(in.d90, dm);
  b.d30def = 0.001f * d30;
  b.dmdef = 0.001f * dm;
  b.d90def = 0.001f * d90;
  b.d90(isec) = b.d90def;
  b.repose = 1.0f;
  const float s = in.slope / 100.0f;
  b.porf = 1.0f / (1.0f - in.poros);
  if (s < 1.0e-5f) {
    r.status = 2;
    return r;
  }

  // Rating table at 39 levels over the section's height; entry 1 is (0, 0, 0).
  csrea(isec, 0.0f);
  const float zmin = ccs.zmin, zmax = ccs.zmax;
  const float dz = (zmax - zmin) / 40.0f;
  const float rs = std::sqrt(s);
  r.qr(1) = r.qbx(1) = r.qbn(1) = 0.0f;
  for (int m = 1; m <= 39; ++m) {
    float z = zmin + static_cast<float>(m) * dz;
    int it = 0;
    csval(isec, z, 0.0f, s, it);
    r.qr(m + 1) = rs * ccs.conv;
    int iarm = 0;
    const float q = qbprof(s, 0.0f, in.formula, iarm);
    r.qbx(m + 1) = q * ccs.bm;
    r.qbn(m + 1) = iarm == 1 ? 0.0f : q * ccs.bm;
  }

  // Integration over the hydrograph; yearly lines at the last value of a year.
  fwrite(u.lulst, "('year volmax[1000m3] volmin[1000m3]')");
  const double fac = 86.4 * b.porf;
  double ymax = 0.0, ymin = 0.0;
  float cprev = 0.0f, aprev = 0.0f;
  size_t ye = 0;
  for (int i = 1; i <= h.n; ++i) {
    float c = 0.0f, a = 0.0f;
    if (i > 1) {
      const float x = in.qfac * h.q[i - 1];
      float slope = 0.0f;
      int ie = 0;
      c = rmint1(mxtabv, r.qr.data(), r.qbx.data(), x, slope, ie);
      a = rmint1(mxtabv, r.qr.data(), r.qbn.data(), x, slope, ie);
      const double dt = h.t[i - 1] - h.t[i - 2];
      const double dvx = 0.5 * (cprev + c) * dt * fac;
      const double dvn = 0.5 * (aprev + a) * dt * fac;
      r.vmax += dvx;
      r.vmin += dvn;
      ymax += dvx;
      ymin += dvn;
    }
    cprev = c;
    aprev = a;
    if (ye < h.yend.size() && h.yend[ye] == i) {
      fwrite(u.lulst, "(i6,2f12.1)", {h.year0 + r.nyear, ymax, ymin});
      ++r.nyear;
      ++ye;
      ymax = ymin = 0.0;
    }
  }
  return r;
}

void bdload_unit(int unit) {
  Hydrograph h;
  bdload_read(unit, h);
  fwritel(kStdout, {"hydrograph with", h.n, " values, qmax=", h.qmax});
  uclose(unit);
  if (h.nbad > 0) iimesg(line_of(fformat("(i8,' unreadable lines skipped')", {h.nbad})));
  if (h.truncated)
    iimesg(line_of(fformat("('hydrograph cut after',i7,' values')", {Hydrograph::nmax})));

  BdloadInput& in = bdload_saved();
  in.name = "1";
  in.slope = 1.0f;
  cchar.secnam(0) = in.name.view();
  iimesg("fill in values");
  double vmin = 0.0, vmax = 0.0;
  for (;;) {
    SedForm f;
    bdload_form(in, vmin, vmax, f);
    if (seddisplay.form)
      seddisplay.form(f);
    else
      f.label(1) = "cancel";
    if (f.cancelled()) return;
    if (!bdload_read_form(f, in)) continue;
    cchar.secnam(0) = in.name.view();
    const BdloadResult r = bdload_compute(in, h);
    cchar.secnam(0) = in.name.view();
    if (r.status != 0) continue;
    vmin = r.vmin;
    vmax = r.vmax;
  }
}

void bdload() {
  static FStr<60> directory;
  cinput.filwr.clear();
  int mode = 0;
  iiopn(cunit.luaux, cinput.filwr.span(), directory.span(), mode);
  if (cinput.filwr.blank() || !uisopen(cunit.luaux)) return;
  uinput(cunit.luaux);
  bdload_unit(cunit.luaux);
}

}  // namespace riv
