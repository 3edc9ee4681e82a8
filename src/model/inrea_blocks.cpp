// The blocks of the model input after the sections: the branch with its
// boundary conditions, level conditions and structures (records of the common
// table tabc), mixing settings and loads (also records of tabc), output and
// time-stepping settings, and the sediment settings with grain sizes spread
// over the branch sections.
#include <algorithm>
#include <cmath>
#include <string>

#include "input/notify.hpp"
#include "input/input.hpp"
#include "model/inrea_local.hpp"
#include "model/model.hpp"
#include "numerics/numerics.hpp"

namespace riv {
namespace {

const Key kBranch[] = {"cs",       "inflow",    "discharge", "waterlevel", "froude",   "critical",
                       "hq",       "slope",     "weir",      "gate",       "sideweir", "sidegate",
                       "leftside", "rightside", "velocity",  "repeat",     "data",     "culvert"};
const Key kMixing[] = {"diffusivity_coeff", "tubes",        "source_cs", "source_pos", "load",
                       "thermal",           "surface_flux", "decay_rate"};
const Key kOutput[] = {"interval", "width_factor", "debug"};
const Key kCompute[] = {"start", "end", "time_step", "theta", "frequence", "cfl", "momentum"};
const Key kBed[] = {"d30",    "dm",      "d90",      "rock_depth", "inflow_rate", "theta_crit",
                    "repose", "density", "porosity", "formula",    "write"};

constexpr int kMaxGrainRows = 200;  // rows of a grain-size table

int lst() { return cunit.lulst; }

std::string key_name(std::span<const Key> keys, int k) { return keys[k - 1].str(); }

// A record that does not fit into the rows left in tabc (with the row that
// ends the chain) is not entered.
bool tabc_fits(int rows) {
  if (inr.irow + rows <= mxtabc) return true;
  uendline(lst());
  iierr(2, "common table full", lst());
  return false;
}

// Reads the table of a "**" keyword into tabc from row r on, at most the rows
// that leave room for the end of the chain. Returns the rows read, or -1 when
// not even one row fits (the table lines are then read and dropped).
int table_into_tabc(int r) {
  const int cap = mxtabc - 3 - r;
  if (cap < 1) {
    static float sx[mxtabc], sy[mxtabc];
    int n = mxtabc;
    iitbl(n, sx, sy, cunit.luin, 0);
    iierr(2, "common table full", lst());
    return -1;
  }
  int n = cap;
  iitbl(n, ccs.tabc.col(1) + r + 2, ccs.tabc.col(2) + r + 2, cunit.luin, lst());
  return n;
}

// The values of a condition or load record from row r on: a table after "**"
// (or always for a rating curve), else one value written with `fmt`.
// Returns the number of rows m, or -1 when nothing was entered.
int record_values(int r, bool table, std::string_view key, std::string_view fmt) {
  if (table) {
    const int m = table_into_tabc(r);
    if (m > 0 && !(inr_finite(key, ccs.tabc.col(1) + r + 2, m) &&
                   inr_finite(key, ccs.tabc.col(2) + r + 2, m)))
      return -1;
    return m;
  }
  float v = 0.0f;
  if (!inr_values(key, {v})) return -1;
  fwrite(lst(), fmt, {v});
  if (!tabc_fits(4)) return -1;
  ccs.tabc(r + 3, 2) = v;
  return 1;
}

bool all_positive(const float* v, int n) {
  return std::all_of(v, v + n, [](float x) { return x > 0.0f; });
}

// Loads the listed section named at branch position n. The reader's own
// settings for the next section it reads (location, flags) are kept.
void load_listed(int n) {
  const float xl = ccs.xloc, yl = ccs.yloc, az = ccs.azim;
  const int lm = ccs.lmain, lc = ccs.lcomp;
  int isec = 0;
  FStr<8> name = cchar.secnam(n);
  csinq(isec, name.span());
  if (isec == 0) inr_lost("cross-section " + name.str() + " not found");
  csrea(isec, 0.0f);
  ccs.xloc = xl;
  ccs.yloc = yl;
  ccs.azim = az;
  ccs.lmain = lm;
  ccs.lcomp = lc;
}

void branch_full() {
  iimesg("Too many cross-sections in branch");
  inr_lost("Too many cross-sections in branch");
  creach.nsec = 0;
  inr.ended = true;
}

void branch_cs() {
  if (creach.nsec >= cunit.maxsec || creach.nsec >= mxbr) {
    branch_full();
    return;
  }
  const int n = ++creach.nsec;
  cchar.ctag(n).clear();
  creach.ifix(n) = 0;
  creach.qsec(n) = 0.0f;
  FStr<8> name;
  float km = -9e10f, dz = 0.0f;
  if (!inr_values("cs", {name, km, dz})) km = -9e10f, dz = 0.0f;
  cchar.secnam(n) = name;
  creach.dzsec(n) = dz;
  load_listed(n);
  // Without a station the branch section takes the station of its survey.
  if (km < -8e10f) km = ccs.cskm;
  fwrite(lst(), "(' ''',a,'''',2f10.3)", {name, km, dz});
  creach.xsec(n) = 1000.0f * km;
  int f = iiwrite(0, cinput.cline.view(), lst());
  if (f > 0) iiwrite(f, "/Section Time[h] Discharge[m3/s] Level[m]", lst());
  creach.iout(n) = std::max(f, 0);
}

void branch_repeat() {
  int count = 0;
  float dx = 0.0f, slope = 0.0f;
  if (!inr_values("repeat", {count, dx, slope})) return;
  fwrite(lst(), "(i5,f8.1,f8.4)", {count, dx, slope});
  const int n0 = creach.nsec;
  if (n0 < 1) {
    iierr(1, "repeat without cross-section", lst());
    return;
  }
  const int m = std::max(0, std::min(count, std::min(cunit.maxsec, mxbr) - n0));
  for (int i = 1; i <= m; ++i) {
    const int n = n0 + i;
    cchar.ctag(n).clear();
    creach.ifix(n) = 0;
    creach.iout(n) = 0;
    creach.xsec(n) = creach.xsec(n - 1) + dx;
    creach.dzsec(n) = creach.dzsec(n - 1) - std::fabs(dx) * slope;
    creach.qsec(n) = 0.0f;
    cchar.secnam(n) = cchar.secnam(n - 1);
    load_listed(n);
    fwrite(lst(), "(' ''',a,'''',2f10.3)",
           {cchar.secnam(n), creach.xsec(n) / 1000.0f, creach.dzsec(n)});
  }
  creach.nsec = n0 + m;
}

// Conditions 2..8: inflow, discharge, waterlevel, froude, critical, hq, slope.
void branch_condition(int k, int iopt) {
  static const TabKind kinds[] = {kTabInflow,   kTabInflow, kTabLevel, kTabCritical,
                                  kTabCritical, kTabHq,     kTabSlope};
  static const char* const tags[] = {"inflw ", "discha", "wlevel", "froude",
                                     "crit  ", "hq-rel", "slope "};
  const int r = inr.irow;
  const int n = creach.nsec;
  const bool table = k == 7 || iopt == 1;
  const int m = record_values(r, table, key_name(kBranch, k), "(f10.4)");
  const float v = inr_vlat;
  if (k == 2 || k == 3) inr_vlat = 0.0f;
  if (m < 0) return;
  // An energy slope of 0 or less has no normal depth.
  if (k == 8 && !all_positive(ccs.tabc.col(2) + r + 2, m)) return inr_out_of_range("slope");
  ++ccs.nstruc;
  cchar.ctag(n) = tags[k - 2];
  if (k >= 4 && n >= 1) creach.ifix(n) = 1;
  inr.irow = tabc_condition(r, n, kinds[k - 2], m, k == 2 ? inr.iside : 3, v);
}

// Structures 9..12: weir, gate, sideweir, sidegate.
void branch_structure(int k) {
  float level = inr.level;
  float width = 0.0f;
  float third = (k == 9 || k == 11) ? 0.58f : 0.0f;
  if (!inr_values(key_name(kBranch, k), {level, width, third})) return;
  inr.level = level;
  fwrite(lst(), "(3f10.3)", {level, width, third});
  if (!tabc_fits(4)) return;
  const int r = inr.irow;
  const int n = creach.nsec;
  ++ccs.nstruc;
  if (n >= 1) creach.ifix(n) = 1;
  if (k == 9) cchar.ctag(n) = "weir  ";
  if (k == 10) cchar.ctag(n) = "gate  ";
  // weir, gate, sideweir, sidegate in keyword order
  inr.irow =
      tabc_structure(r, n, static_cast<TabKind>(kTabWeir + k - 9), level, width, third, inr.iside);
}

void branch_culvert() {
  float c1 = inr.cinv, c2 = 1.0f, c3 = -1.0f, c4 = 50.0f, c5 = 0.5f;
  if (!inr_values("culvert", {c1, c2, c3, c4, c5})) return;
  inr.cinv = c1;
  fwrite(lst(), "(4f10.2)", {c1, c2, c3, c4, c5});
  // The barrel needs a width (diameter) and a roughness; a negative loss
  // would drive the flow.
  if (!(c2 > 0.0f && c4 > 0.0f && c5 >= 0.0f)) return inr_out_of_range("culvert");
  if (!tabc_fits(5)) return;
  const int r = inr.irow;
  const int n = creach.nsec;
  ++ccs.nstruc;
  if (n >= 1) creach.ifix(n) = 1;
  cchar.ctag(n) = "culv  ";
  inr.irow = tabc_culvert(r, n, c1, c2, c3, c4, c5);
}

void branch_data() {
  FStr<32> name = cchar.datfil;
  if (!inr_values("data", {name})) return;
  cchar.datfil = name;
  fwritel(lst(), {cchar.datfil});
  const int w = iierr_warnings();
  creach.ndata =
      irpoly(mxdata, creach.xdata.data(), creach.ydata.data(), cunit.luin, lst(), 0.0, 0.0);
  if (iierr_warnings() > w) inr_lost("data points beyond 100");
  if (!inr_finite("data", creach.xdata.data(), creach.ndata) ||
      !inr_finite("data", creach.ydata.data(), creach.ndata))
    creach.ndata = 0;
}

void mixing_load(int iopt) {
  const int r = inr.irow;
  const int m = record_values(r, iopt == 1, "load", "(f10.3)");
  if (m < 0) return;
  if (!inr.range) {
    // No source_pos yet: the load enters over the whole width.
    inr.itub1 = 1;
    inr.itub2 = cmixing.ntube;
  }
  ++cmixing.nload;
  for (int i = r + 3; i <= r + 2 + m; ++i) ccs.tabc(i, 1) *= kSecondsPerHour;
  inr.irow = tabc_load(r, inr.isrc, inr.itub1, inr.itub2, m);
}

// A grain-size keyword: a single value or a table by station (km), spread
// over the branch sections present now.
void grain_sizes(int k, int iopt, Arr<float, mxbr>& field) {
  static float tx[kMaxGrainRows], ty[kMaxGrainRows];
  int n = 0;
  if (iopt == 1) {
    n = kMaxGrainRows;
    iitbl(n, tx, ty, cunit.luin, lst());
    if (!inr_finite(key_name(kBed, k), tx, n) || !inr_finite(key_name(kBed, k), ty, n)) return;
    if (k <= 3 && !all_positive(ty, n)) return inr_out_of_range(key_name(kBed, k));
  } else {
    float v = 0.0f;
    if (!inr_values(key_name(kBed, k), {v})) return;
    fwrite(lst(), "(f10.3)", {v});
    // Grain sizes (d30, dm, d90) divide the transport formulas.
    if (k <= 3 && !(v > 0.0f)) return inr_out_of_range(key_name(kBed, k));
    tx[0] = 0.0f;
    ty[0] = v;
    n = 1;
  }
  // An empty table leaves the grain sizes as they were.
  if (n < 1) return;
  for (int i = 1; i <= creach.nsec; ++i) {
    float slope = 0.0f;
    int ierr = 0;
    field(i) = rmint(n, tx, ty, 0.001f * creach.xsec(i), slope, ierr);
  }
}

void bed_write() {
  float km = 0.0f;
  FStr<60> name;
  if (!inr_values("write", {km, name})) return;
  cbedevol.nwrite = std::min(cbedevol.nwrite + 1, mxwrite);
  const int w = cbedevol.nwrite;
  cinput.filwr = name;
  fwrite(lst(), "(f6.3,2x,a)", {km, cinput.filwr});
  const float x = 1000.0f * km;
  int best = 1;
  float dbest = 0.0f;
  for (int n = 1; n <= creach.nsec; ++n) {
    float d = std::fabs(x - creach.xsec(n));
    if (n == 1 || d < dbest) {
      best = n;
      dbest = d;
    }
  }
  cbedevol.iwrsec(w) = best;
  inr.writes[w - 1] = cinput.filwr.trimmed();
}

}  // namespace

std::span<const Key> inr_branch_keys() { return kBranch; }
std::span<const Key> inr_mixing_keys() { return kMixing; }
std::span<const Key> inr_output_keys() { return kOutput; }
std::span<const Key> inr_compute_keys() { return kCompute; }
std::span<const Key> inr_bed_keys() { return kBed; }

void inr_open_writes() {
  for (int w = 1; w <= cbedevol.nwrite; ++w) {
    const std::string& name = inr.writes[w - 1];
    uendline(lst());
    if (iiguard(name))
      iierr(1, "write file is a file of the model: " + name, lst());
    else if (uopen(70 + w, name, FStatus::Unknown) != 0)
      iierr(1, "file cannot be opened: " + name, lst());
  }
}

void inr_branch_keyword(int k, int iopt) {
  switch (k) {
    case 1: branch_cs(); return;
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 8: branch_condition(k, iopt); return;
    case 9:
    case 10:
    case 11:
    case 12: branch_structure(k); return;
    case 13: inr.iside = 1; return;
    case 14: inr.iside = 2; return;
    case 15: {
      float v = inr_vlat;
      if (!inr_values("velocity", {v})) return;
      inr_vlat = v;
      fwrite(lst(), "(f8.1)", {v});
      return;
    }
    case 16: branch_repeat(); return;
    case 17: branch_data(); return;
    case 18: branch_culvert(); return;
    default: return;
  }
}

void inr_mixing_keyword(int k, int iopt) {
  const int lu = lst();
  switch (k) {
    case 1: {
      float v = 0.0f;
      if (!inr_values("diffusivity_coeff", {v})) return;
      cmixing.dcoef = v;
      fwrite(lu, "(f8.2)", {v});
      return;
    }
    case 2: {
      int v = 0;
      if (!inr_values("tubes", {v})) return;
      if (v > mxtube) {
        v = mxtube;
        fwritel(kStdout, {" >number of stream tubes limited to ", mxtube});
      }
      // The mixing needs at least one tube.
      cmixing.ntube = std::max(v, 1);
      fwrite(lu, "(i3)", {cmixing.ntube});
      return;
    }
    case 3: {
      int v = 0;
      if (!inr_values("source_cs", {v})) return;
      inr.isrc = v;
      fwrite(lu, "(i3)", {v});
      return;
    }
    case 4: {
      const int e = iirng_errors();
      iirng(cinput.cline.span(), 100, lu, inr.itub1, inr.itub2);
      if (iirng_errors() == e) inr.range = true;
      uendline(lu);
      return;
    }
    case 5: mixing_load(iopt); return;
    case 6:
      cmixing.ltherm = 1;
      uendline(lu);
      return;
    case 7: {
      float v = 0.0f;
      if (!inr_values("surface_flux", {v})) return;
      cmixing.sflux = v * kHeatFluxToRate;
      fwrite(lu, "(f5.1)", {v});
      return;
    }
    case 8: {
      float v = 0.0f;
      if (!inr_values("decay_rate", {v})) return;
      cmixing.decay = v * kPerHourToPerSecond;
      fwrite(lu, "(f5.2)", {v});
      return;
    }
    default: return;
  }
}

void inr_output_keyword(int k, int) {
  const int lu = lst();
  switch (k) {
    case 1: {
      float v = 0.0f;
      if (!inr_values("interval", {v})) return;
      cmixing.tprint = kSecondsPerHour * v;
      fwrite(lu, "(f8.1)", {v});
      return;
    }
    case 2: {
      float v = 0.0f;
      if (!inr_values("width_factor", {v})) return;
      creach.wfac = v;
      fwrite(lu, "(f5.1)", {v});
      return;
    }
    case 3:
      ccs.ldebug = 1;
      uendline(lu);
      return;
    default: return;
  }
}

void inr_compute_keyword(int k, int) {
  const int lu = lst();
  float v = 0.0f;
  switch (k) {
    case 1:
      if (!inr_values("start", {v})) return;
      cunit.tstart = v;
      fwrite(lu, "(f8.2)", {v});
      return;
    case 2:
      if (!inr_values("end", {v})) return;
      cunit.tend = v;
      fwrite(lu, "(f8.2)", {v});
      return;
    case 3:
      if (!inr_values("time_step", {v})) return;
      cunit.dtime = v;
      fwrite(lu, "(f10.3)", {v});
      return;
    case 4:
      if (!inr_values("theta", {v})) return;
      fwrite(lu, "(f5.2)", {v});
      // Below 0.5 the box scheme is unstable; above 1 it is no time weight.
      if (!(v >= 0.5f && v <= 1.0f)) return inr_out_of_range("theta");
      cunit.theta = v;
      return;
    case 5: {
      int n = 0;
      if (!inr_values("frequence", {n})) return;
      cunit.nfreq = n;
      fwrite(lu, "(i8)", {n});
      return;
    }
    case 6:
      if (!inr_values("cfl", {v})) return;
      cunit.cfl = v;
      fwrite(lu, "(f5.2)", {v});
      return;
    case 7:
      ccs.lmomen = 1;
      uendline(lu);
      fwritel(kStdout, {">solves momentum equation"});
      return;
    default: return;
  }
}

void inr_bed_keyword(int k, int iopt) {
  const int lu = lst();
  Cbedevol& b = cbedevol;
  float v = 0.0f;
  switch (k) {
    case 1: grain_sizes(k, iopt, b.d30); return;
    case 2: grain_sizes(k, iopt, b.dm); return;
    case 3: grain_sizes(k, iopt, b.d90); return;
    case 4: grain_sizes(k, iopt, b.drock); return;
    case 5:
      if (!inr_values("inflow_rate", {v})) return;
      b.qsin = v / (1.0f + b.delta) * 0.001f;
      fwrite(lu, "(f6.3)", {v});
      return;
    case 6:
      if (!inr_values("theta_crit", {v})) return;
      b.thcrit = v;
      fwrite(lu, "(f6.3)", {v});
      return;
    case 7:
      if (!inr_values("repose", {v})) return;
      b.repose = v;
      fwrite(lu, "(f6.1)", {v});
      return;
    case 8:
      if (!inr_values("density", {v})) return;
      b.delta = std::max(0.001f * v - 1.0f, 0.1f);
      fwrite(lu, "(f6.0)", {v});
      return;
    case 9:
      if (!inr_values("porosity", {v})) return;
      fwrite(lu, "(f6.3)", {v});
      // Also a porosity of 1 or more would leave no solid volume.
      if (!(v >= 0.3f && v < 1.0f)) {
        fwritel(kStdout, {"check porosity value"});
        iierr(3, "check porosity value", lu);
      }
      b.porf = 1.0f / (1.0f - v);
      return;
    case 10: {
      FStr<20> name;
      if (!inr_values("formula", {name})) return;
      fwrite(lu, "(2x,a)", {name});
      if (name == std::string_view("mpm")) b.iform = 1;
      if (name == std::string_view("smart")) b.iform = 2;
      if (name == std::string_view("wilcock")) b.iform = 3;
      return;
    }
    case 11: bed_write(); return;
    default: return;
  }
}

void inr_bed_end() {
  if (cbedevol.iform == 0) fwritel(kStdout, {">unknown formula"});
}

}  // namespace riv
