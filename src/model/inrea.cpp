// The reader of the model input file: one call reads the whole file again
// into the model records. This file holds the reading as a whole, the model
// title, the global settings with the roughness classes, and the surveyed
// cross-sections with their point lines; inrea_blocks.cpp holds the branch
// with its conditions and structures, mixing, output, time stepping and bed
// evolution. Every value read is echoed to the listing right after its
// keyword, so the listing shows the model as the program understood it.
#include <algorithm>
#include <cstring>
#include <cmath>
#include <string>

#include "input/notify.hpp"
#include "input/input.hpp"
#include "model/inrea_local.hpp"
#include "model/model.hpp"

namespace riv {

InreaState inr;
int inr_lzy = 0;
float inr_xrot = 0.0f;
float inr_yrot = 0.0f;
float inr_vlat = 0.0f;

namespace {

int g_lumain = 0;  // unit of the main input file, taken at the first reading

const Key kOuter[] = {"title",    ">>global", ">>section", ">>branch",
                      ">>mixing", ">>output", ">>compute", ">>bed_evolution"};

const Key kGlobal[] = {"defkst",       "defn",        "defcv",           "label",
                       "kst",          "n",           "vegetation",      "d90",
                       "table_values", "grid_values", "grid_spacing",    "circle400",
                       "slot_width",   "compound",    "control_velocity"};

const Key kSection[] = {"cs", "tube", "z-y", "origin", "locate", "main", "compound", "azimut"};

int lst() { return cunit.lulst; }

// ---- title ----

void read_title() {
  FStr<240> t;
  if (!inr_values("title", {t})) return;
  cinput.title = t;
  int n = iilen(cinput.title.view());
  fwrite(lst(), "(' ''',a,'''')", {cinput.title.sub(1, n)});
}

// ---- >>global ----

// The property table needs one row at least and holds 40.
void table_values() {
  int v = 0;
  if (!inr_values("table_values", {v})) return;
  fwrite(lst(), "(i4)", {v});
  if (v < 1) return inr_out_of_range("table_values");
  if (v > mxtabv) {
    uendline(lst());
    iierr(1, "table_values limited to 40", lst());
  }
  ccs.ntabv = v;
}

// The lateral grid needs its two edge points and holds 1000.
void grid_values() {
  int v = 0;
  if (!inr_values("grid_values", {v})) return;
  if (v < 2) {
    fwrite(lst(), "(i4)", {v});
    return inr_out_of_range("grid_values");
  }
  ccs.ngrid = std::min(v, mxgrid);
  fwrite(lst(), "(i4)", {ccs.ngrid});
}

// The roughness class that kst, n and vegetation change: the current label,
// or the default class when no label was given yet in this reading.
int current_class() {
  if (inr.icur >= 1) return inr.icur;
  uendline(lst());
  iierr(1, "no current label: def used", lst());
  return 1;
}

void define_label() {
  FStr<3> name;
  if (!inr_values("label", {name})) return;
  fwrite(lst(), "(2x,a3)", {name});
  for (int j = 1; j <= nclas; ++j) {
    if (clas(j) == name) {
      // A class defined before is made current again, its values untouched.
      fwritel(kStdout, {"warning: label ", name, " already defined"});
      inr.icur = j;
      return;
    }
  }
  int i = nclas + 1;
  if (i > mxcls) {
    // No room for another class: the last one takes the new name.
    iierr(1, "too many labels", lst());
    i = mxcls;
  }
  clas(i) = name;
  ccs.kstl(i) = inr.defkst;
  ccs.vegl(i) = -1.0f;
  nclas = i;
  inr.icur = i;
}

// Manning values are inverted into Strickler values; zero or a negative value
// would give no usable roughness.
bool manning_ok(float n, std::string_view key) {
  if (n > 0.0f) return true;
  iierr(2, "Manning value not positive: " + std::string(key), lst());
  return false;
}

void global_keyword(int k) {
  const int lu = lst();
  switch (k) {
    case 1: {  // defkst
      float v = 0.0f;
      if (!inr_values("defkst", {v})) return;
      fwrite(lu, "(f10.4)", {v});
      // A Strickler value (or roughness height) of 0 or less gives no conveyance.
      if (!(v > 0.0f)) return inr_out_of_range("defkst");
      inr.defkst = v;
      ccs.kstl(1) = v;
      return;
    }
    case 2: {  // defn
      float v = 0.0f;
      if (!inr_values("defn", {v})) return;
      fwrite(lu, "(f10.4)", {v});
      if (!manning_ok(v, "defn")) return;
      inr.defkst = 1.0f / v;
      ccs.kstl(1) = inr.defkst;
      return;
    }
    case 3: {  // defcv
      float v = 0.0f;
      if (!inr_values("defcv", {v})) return;
      ccs.cvdef = v;
      fwrite(lu, "(f8.2)", {v});
      return;
    }
    case 4: define_label(); return;
    case 5: {  // kst
      float v = 0.0f;
      if (!inr_values("kst", {v})) return;
      fwrite(lu, "(f10.4)", {v});
      if (!(v > 0.0f)) return inr_out_of_range("kst");
      ccs.kstl(current_class()) = v;
      return;
    }
    case 6: {  // n
      float v = 0.0f;
      if (!inr_values("n", {v})) return;
      fwrite(lu, "(f10.4)", {v});
      if (!manning_ok(v, "n")) return;
      ccs.kstl(current_class()) = 1.0f / v;
      return;
    }
    case 7: {  // vegetation
      float v = 0.0f;
      if (!inr_values("vegetation", {v})) return;
      fwrite(lu, "(f10.3)", {v});
      ccs.vegl(current_class()) = v;
      return;
    }
    case 8: {  // d90
      float v = 0.0f;
      if (!inr_values("d90", {v})) return;
      fwrite(lu, "(f10.1)", {v});
      if (!(v > 0.0f)) return inr_out_of_range("d90");
      cbedevol.d90def = v;
      cbedevol.d90.fill(v);
      return;
    }
    case 9: table_values(); return;
    case 10: grid_values(); return;
    case 11: {  // grid_spacing
      float v = 0.0f;
      if (!inr_values("grid_spacing", {v})) return;
      ccs.dgrid = v;
      fwrite(lu, "(f8.2)", {v});
      return;
    }
    case 12:  // circle400: azimuths in grads
      inr.cfac = 0.9f;
      uendline(lu);
      return;
    case 13: {  // slot_width
      float v = 0.0f;
      if (!inr_values("slot_width", {v})) return;
      ccs.wslot = v;
      fwrite(lu, "(f6.2)", {v});
      return;
    }
    case 14:  // compound
      ccs.lcompd = 1;
      uendline(lu);
      return;
    case 15: {  // control_velocity
      float v = 0.0f;
      if (!inr_values("control_velocity", {v})) return;
      fwrite(lu, "(f8.3)", {v});
      // Imposed levels could never move (or would move backwards).
      if (!(v > 0.0f)) return inr_out_of_range("control_velocity");
      cinput.vcontr = v;
      return;
    }
    default: return;
  }
}

// ---- >>section ----

// The 1025th section: the reading ends at once.
bool list_full() {
  iimesg("Too many cross-sections on list");
  inr_lost("Too many cross-sections on list");
  inr.ended = true;
  return true;
}

// Writes the section held in the work record as section ncs of the store.
void store_section(int kind) {
  ccs.kind = kind;
  if (std::trunc(ccs.xloc) < -9998.0f) ccs.xloc = 1000.0f * ccs.cskm;
  cswrite(creach.ncs);
  iibeam(creach.ncs, mxlist, "loading cross sections");
}

// The point lines after a `cs` line, up to the first line that is not one.
// Returns the number of points read.
int read_points(float dz) {
  const int lu = lst();
  FStr<3> label("def");
  std::string buf;
  int i = 1;
  for (;;) {
    if (uread(cunit.luin, buf) != 0) break;
    // The line as a 128-character field, tabs as blanks.
    char lb[128];
    const size_t nb = std::min(buf.size(), sizeof lb);
    std::memcpy(lb, buf.data(), nb);
    std::memset(lb + nb, ' ', sizeof lb - nb);
    for (size_t k = 0; k < nb; ++k)
      if (lb[k] == '\t') lb[k] = ' ';
    const std::string_view line(lb, sizeof lb);
    // A "/" after the last value keeps the presets of missing values.
    size_t lt = nb;  // the blanks after nb need no scan
    while (lt > 0 && lb[lt - 1] == ' ') --lt;
    lb[std::min<size_t>(lt, 127)] = '/';
    const int k = lenbl(line);
    const char c0 = lb[std::min(k, 127)];
    if (!(c0 == '-' || c0 == '.' || (c0 >= '0' && c0 <= '9'))) {
      ubackspace(cunit.luin);  // the next command (or a blank line)
      break;
    }
    // y and z, then the roughness label; without one the point keeps the
    // label of the point before.
    float a = 0.0f, b = 0.0f;
    FStr<3> lab = label;
    const int got = fread_list(line, {a, b, lab});
    if (got < 0) {
      // The values end early: y and z must be there, the label is not read.
      a = b = 0.0f;
      if (fread_list(line, {a, b}) != 0) {
        ubackspace(cunit.luin);
        break;
      }
    } else if (got == 1 || got == 2) {
      ubackspace(cunit.luin);
      break;
    } else if (got == 0) {
      label = lab;
    }
    const float ab[2] = {a, b};
    if (!inr_finite("cs point", ab, 2)) continue;  // the point is dropped
    float y = inr_lzy == 1 ? b : a;
    float z = inr_lzy == 1 ? a : b;
    fwrite(lu, "(2f8.2,2x,a,' /')", {y, z, label});
    ccs.ysec(i) = y;
    ccs.zsec(i) = z + dz;
    int cls = 0;
    for (int j = 1; j <= nclas; ++j) {
      if (clas(j) == label) {
        cls = j;
        break;
      }
    }
    if (cls == 0) {
      iierr(1, "label not defined", lu);
      cls = 1;
    }
    ccs.iclass(i) = cls;
    ++i;
    if (i > mxpt) {
      iierr(1, "too many cs points", lu);
      // Points are lost only when another point line follows.
      std::string next;
      if (uread(cunit.luin, next) == 0) {
        const size_t k0 = next.find_first_not_of(" \t");
        const char c = k0 == std::string::npos ? ' ' : next[k0];
        if (c == '-' || c == '.' || (c >= '0' && c <= '9')) inr_lost("too many cs points");
        ubackspace(cunit.luin);
      }
      break;
    }
  }
  return i - 1;
}

void section_cs() {
  if (creach.ncs >= mxlist) {
    list_full();
    return;
  }
  ++creach.ncs;
  const int isec = creach.ncs;
  FStr<8> name;
  float km = 0.0f, dz = 0.0f;
  if (!inr_values("cs", {name, km, dz})) km = 0.0f, dz = 0.0f;
  cchar.csname(isec) = name;
  ccs.cskm = km;
  fwrite(lst(), "(' ''',a,''' ',f9.4,f8.2,' /')", {name, km, dz});

  const int np = read_points(dz);
  if (np >= 1 && ccs.ysec(1) > ccs.ysec(np)) {
    std::reverse(ccs.ysec.data(), ccs.ysec.data() + np);
    std::reverse(ccs.zsec.data(), ccs.zsec.data() + np);
    std::reverse(ccs.iclass.data(), ccs.iclass.data() + np);
  }
  if (np < 3) {
    --creach.ncs;
    iierr(1, "faulty geometry of cross-section", lst());
  } else {
    ccs.np = np;
    int kind = 0;
    if (ccs.lmain) kind += 1;
    if (ccs.lcomp) kind += 2;
    if (std::fabs(ccs.ysec(1) - ccs.ysec(np)) < 0.01f) kind += 4;
    store_section(kind);
  }
  ccs.xloc = -9999.0f;
  ccs.lmain = 0;
  ccs.lcomp = 0;
}

void section_tube() {
  if (creach.ncs >= mxlist) {
    list_full();
    return;
  }
  ++creach.ncs;
  FStr<8> name;
  float km = 0.0f, dia = 1.0f, inv = 0.0f;
  if (!inr_values("tube", {name, km, dia, inv})) km = 0.0f, dia = 1.0f, inv = 0.0f;
  cchar.csname(creach.ncs) = name;
  ccs.cskm = km;
  ccs.ysec(1) = dia;
  ccs.zsec(1) = inv;
  fwrite(lst(), "(' ''',a,''' ',f9.4,2f8.2,' /')", {name, km, dia, inv});
  ccs.np = 1;
  ccs.iclass(1) = 1;
  store_section(4);
}

void section_keyword(int k) {
  const int lu = lst();
  switch (k) {
    case 1: section_cs(); return;
    case 2: section_tube(); return;
    case 3:  // z-y: point lines give the level first
      inr_lzy = 1;
      uendline(lu);
      return;
    case 4: {  // origin
      float x = inr_xrot, y = inr_yrot;
      if (!inr_values("origin", {x, y})) return;
      inr_xrot = x;
      inr_yrot = y;
      fwrite(lu, "(2f10.2)", {x, y});
      return;
    }
    case 5: {  // locate
      float x = 0.0f, y = 0.0f, a = 0.0f;
      if (!inr_values("locate", {x, y, a})) return;
      ccs.xloc = x - inr_xrot;
      ccs.yloc = y - inr_yrot;
      ccs.azim = (a + inr.aoff) * 0.017453f * inr.cfac;
      fwrite(lu, "(2f10.1,f10.2)", {x, y, a});
      return;
    }
    case 6:  // main
      ccs.lmain = 1;
      uendline(lu);
      return;
    case 7:  // compound
      ccs.lcomp = 1;
      uendline(lu);
      return;
    case 8: {  // azimut
      float a = inr.aoff;
      if (!inr_values("azimut", {a})) return;
      inr.aoff = a;
      fwrite(lu, "(f10.1)", {a});
      return;
    }
    default: return;
  }
}

// Runs one block: its keywords until the block ends or the reading stops.
template <class F>
void run_block(std::span<const Key> keys, F&& keyword) {
  for (;;) {
    int iopt = 0;
    int k = iicmd(keys, cinput.cline, cunit.luin, lst(), iopt);
    if (k == 0) return;
    keyword(k, iopt);
    if (inr.ended) return;
  }
}

// The limit of the property table holds for every reading, complete or not.
void limit_table_values() { ccs.ntabv = std::min(ccs.ntabv, mxtabv); }

}  // namespace

bool inr_values(std::string_view key, std::initializer_list<FTarget> targets) {
  if (fread_list(cinput.cline.view(), targets) != 0) {
    uendline(lst());
    iierr(2, "values cannot be read: " + std::string(key), lst());
    return false;
  }
  for (const FTarget& t : targets) {
    const bool bad =
        (t.kind == FTarget::Kind::Real && !std::isfinite(*static_cast<float*>(t.p))) ||
        (t.kind == FTarget::Kind::Double && !std::isfinite(*static_cast<double*>(t.p)));
    if (!bad) continue;
    uendline(lst());
    iierr(2, "value not finite: " + std::string(key), lst());
    return false;
  }
  return true;
}

void inr_out_of_range(std::string_view key) {
  uendline(lst());
  iierr(2, "value out of range: " + std::string(key), lst());
}

bool inr_finite(std::string_view key, const float* v, int n) {
  for (int i = 0; i < n; ++i) {
    if (std::isfinite(v[i])) continue;
    uendline(lst());
    iierr(2, "value not finite: " + std::string(key), lst());
    return false;
  }
  return true;
}

void inr_lost(std::string_view why) {
  if (inr.lost++ == 0) inr.why = why;
}

int inrea_lost(std::string* why) {
  if (why) *why = inr.why;
  return inr.lost;
}

void inrea(FStr<60>& name) {
  if (g_lumain == 0) g_lumain = cunit.luin;
  // A reading that ended inside an include file left the include unit here.
  cunit.luin = g_lumain;

  model_reset_for_reading();
  inr = InreaState();
  // No output of this reading may overwrite the model or its include files.
  uinputs_reset();
  // Write requests of an earlier reading are dropped with their files.
  for (int k = 1; k <= mxwrite; ++k) uclose(70 + k);
  cbedevol.nwrite = 0;
  iibeam(-1, mxlist, "");

  int mode = 0;
  iiopn(cunit.luin, name.span(), cinput.cfilin.span(), mode);
  uinput(cunit.luin);

  for (;;) {
    int iopt = 0;
    int k = iicmd(kOuter, cinput.cline, cunit.luin, lst(), iopt);
    if (k == 0) break;
    switch (k) {
      case 1: read_title(); break;
      case 2: run_block(kGlobal, [](int kw, int) { global_keyword(kw); }); break;
      case 3: run_block(kSection, [](int kw, int) { section_keyword(kw); }); break;
      case 4: run_block(inr_branch_keys(), inr_branch_keyword); break;
      case 5: run_block(inr_mixing_keys(), inr_mixing_keyword); break;
      case 6: run_block(inr_output_keys(), inr_output_keyword); break;
      case 7: run_block(inr_compute_keys(), inr_compute_keyword); break;
      case 8:
        run_block(inr_bed_keys(), inr_bed_keyword);
        if (!inr.ended) inr_bed_end();
        break;
      default: break;
    }
    if (inr.ended) {
      // A list or branch beyond its capacity: the reading stops here without
      // a summary. The command reader starts afresh with the next reading
      // (include files closed) and the main file is read from its start.
      limit_table_values();
      inr_open_writes();
      uendline(lst());
      iicmd_reset();
      cunit.luin = g_lumain;
      urewind(cunit.luin);
      return;
    }
  }
  limit_table_values();
  inr_open_writes();
  iierr(0, "", lst());
  if (cunit.luin != g_lumain) uclose(cunit.luin);
  uclose(g_lumain);
  cunit.luin = g_lumain;
}

}  // namespace riv
