// The contour viewer: a field given on a structured grid of nodes (stream
// tube centres along the sections of a reach, a terrain grid) drawn as
// colour-filled bands with their key, with queries of nodes and values,
// editing of node values, added contour levels, the mesh, the sum curve,
// values along sections, and the grid written as XYZ points, as an ESRI
// ASCII grid or as breaklines.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <limits>
#include <string>
#include <vector>

#include "graphics/graphics.hpp"
#include "graphics/grkey.hpp"
#include "graphics/grlocal.hpp"
#include "input/fformat.hpp"
#include "input/freeread.hpp"
#include "input/notify.hpp"
#include "input/units.hpp"

namespace riv {

namespace {

constexpr int kMaxVertices = 12;
constexpr int kDataUnit = 13;   // result and data files
constexpr int kListMax = 4000;  // lines of a listing in the text window
constexpr float kInf = std::numeric_limits<float>::infinity();

// The viewer's state: the grid shown and what the user did with it.
struct Cont {
  ContGrid g;
  float* z = nullptr;  // the caller's values (Alter writes here)
  std::vector<float> lev;
  bool mesh = false;       // Grid: the edges of the cells are drawn
  bool edit = false;       // contour editing: Examine adds levels
  bool fresh = false;      // the scales of a new grid are still to compute
  bool key_grab = false;   // the key follows the next click
  bool key_click = false;  // the last click went to the key
  float scale[4] = {0, 1, 0, 1};
  int moved = -1;  // node altered last and its old value
  float old = 0;
  float spacing = 0;  // distance of queried points along sections
  int seed = -1;      // random displacement of XYZ points
  FStr<128> dir;      // folder of the section file chooser
};
Cont c;

std::string one_line(std::string s) {
  while (!s.empty() && s.back() == '\n') s.pop_back();
  return s;
}

void queue(std::initializer_list<const char*> keys) {
  grscpt(std::vector<std::string>(keys.begin(), keys.end()));
}

template <int N>
void show(const std::vector<std::string>& lines) {
  std::vector<FStr<N>> t(lines.begin(), lines.end());
  if (!t.empty()) grtext(static_cast<int>(t.size()), t.data());
}

// ---- Band geometry ----

struct Pt {
  float x, y, z;
};

// The part of a convex polygon with z above lo (above = true) or at most hi
// (above = false), by linear interpolation of z along its edges.
int clip_z(const Pt* in, int n, float v, bool above, Pt* out) {
  int k = 0;
  auto inside = [&](const Pt& p) { return above ? p.z > v : p.z <= v; };
  for (int a = 0; a < n; ++a) {
    const Pt& p = in[a];
    const Pt& q = in[(a + 1) % n];
    const bool ip = inside(p), iq = inside(q);
    if (ip) out[k++] = p;
    if (ip != iq) {
      const float t = (v - p.z) / (q.z - p.z);
      out[k++] = {p.x + t * (q.x - p.x), p.y + t * (q.y - p.y), v};
    }
  }
  return k;
}

// The part of a convex polygon with lo < z <= hi (at most n + 2 vertices).
int band_part(const Pt* in, int n, float lo, float hi, Pt* out) {
  Pt tmp[kMaxVertices + 4];
  int k = n;
  const Pt* src = in;
  if (lo > -kInf) {
    k = clip_z(in, n, lo, true, tmp);
    src = tmp;
  }
  if (hi < kInf) return clip_z(src, k, hi, false, out);
  std::copy(src, src + k, out);
  return k;
}

float area(const Pt* p, int n) {
  double a = 0;
  for (int k = 0; k < n; ++k) {
    const Pt& u = p[k];
    const Pt& v = p[(k + 1) % n];
    a += static_cast<double>(u.x) * v.y - static_cast<double>(v.x) * u.y;
  }
  return static_cast<float>(std::fabs(a) / 2);
}

// The triangles of the centroid split of a cell, the way it is drawn.
int centroid_split(const Pt* v, int n, Pt (*tri)[3]) {
  Pt cen{0, 0, 0};
  for (int k = 0; k < n; ++k) cen.x += v[k].x, cen.y += v[k].y, cen.z += v[k].z;
  cen.x /= static_cast<float>(n), cen.y /= static_cast<float>(n), cen.z /= static_cast<float>(n);
  for (int k = 0; k < n; ++k) tri[k][0] = cen, tri[k][1] = v[k], tri[k][2] = v[(k + 1) % n];
  return n;
}

// The four corners of cell (i, j) in drawing order; false when one has no value.
bool cell(const ContGrid& g, int i, int j, Pt* v) {
  const int id[4] = {g.at(i, j), g.at(i + 1, j), g.at(i + 1, j + 1), g.at(i, j + 1)};
  for (int k = 0; k < 4; ++k) {
    if (g.z[id[k]] == g.nodata) return false;
    v[k] = {g.x[id[k]], g.y[id[k]], g.z[id[k]]};
  }
  return true;
}

void fill(const Pt* p, int n, int col, bool values) {
  if (n < 3) return;
  float xs[kMaxVertices + 4], ys[kMaxVertices + 4], zs[kMaxVertices + 4];
  for (int k = 0; k < n; ++k) xs[k] = p[k].x, ys[k] = p[k].y, zs[k] = p[k].z;
  if (values)
    grfil3(xs, ys, zs, n, col);
  else
    grfil2(xs, ys, n, col);
}

void fill_cell(const float* x, const float* y, const float* z, int n, const float* lev, int m,
               bool values) {
  const GrComn& gc = grcomn;
  if (n < 1) return;
  if (n > kMaxVertices) {
    // A caller fault: the cell is left out rather than ending the run.
    grmesg("More than 12 vertices in GRCOL2");
    return;
  }
  float x0 = x[0], x1 = x[0], y0 = y[0], y1 = y[0], zlo = z[0], zhi = z[0];
  for (int k = 1; k < n; ++k) {
    x0 = std::min(x0, x[k]), x1 = std::max(x1, x[k]);
    y0 = std::min(y0, y[k]), y1 = std::max(y1, y[k]);
    zlo = std::min(zlo, z[k]), zhi = std::max(zhi, z[k]);
  }
  const double wx0 = std::min(gc.XMINGR, gc.XMAXGR), wx1 = std::max(gc.XMINGR, gc.XMAXGR);
  const double wy0 = std::min(gc.YMINGR, gc.YMAXGR), wy1 = std::max(gc.YMINGR, gc.YMAXGR);
  if (x1 < wx0 || x0 > wx1 || y1 < wy0 || y0 > wy1) return;
  int shift = 0;
  if (gc.IN07GR == 1) {
    if (m >= 1 && zhi < lev[0] + 1e-20f) return;
    shift = 1;
  }
  int blo = m + 2, bhi = 0;
  for (int k = 0; k < n; ++k) {
    const int b = grcband(z[k], lev, m);
    blo = std::min(blo, b), bhi = std::max(bhi, b);
  }
  Pt v[kMaxVertices];
  for (int k = 0; k < n; ++k) v[k] = {x[k], y[k], z[k]};
  const bool flat = m >= 2 && zhi - zlo < 0.02f * (lev[1] - lev[0]);
  if (blo == bhi || flat) {
    if (blo - shift >= 1) fill(v, n, blo - shift, values);
    return;
  }
  Pt tri[kMaxVertices][3];
  centroid_split(v, n, tri);
  Pt part[kMaxVertices + 4];
  for (int t = 0; t < n; ++t) {
    int tlo = m + 2, thi = 0;
    for (const Pt& p : tri[t]) {
      const int b = grcband(p.z, lev, m);
      tlo = std::min(tlo, b), thi = std::max(thi, b);
    }
    for (int b = std::max(tlo, 1 + shift); b <= thi; ++b) {
      const float lo = b == 1 ? -kInf : lev[b - 2];
      const float hi = b == m + 1 ? kInf : lev[b - 1];
      const int k = band_part(tri[t], 3, lo, hi, part);
      fill(part, k, b - shift, values);
    }
  }
}

// ---- The picture ----

int band_colour(int b) { return b - (grcomn.IN07GR == 1 ? 1 : 0); }

void draw_bands() {
  const ContGrid& g = c.g;
  const int m = static_cast<int>(c.lev.size());
  if (g.nx >= 2 && g.ny >= 2) {
    Pt v[4];
    float xs[4], ys[4], zs[4];
    for (int j = 1; j < g.ny; ++j)
      for (int i = 1; i < g.nx; ++i) {
        if (!cell(g, i, j, v)) continue;
        for (int k = 0; k < 4; ++k) xs[k] = v[k].x, ys[k] = v[k].y, zs[k] = v[k].z;
        grcol3(xs, ys, zs, 4, c.lev.data(), m);
      }
  } else {
    // A single row or column of nodes has no cells: the nodes are marked
    // in the colour of their band.
    for (int j = 1; j <= g.ny; ++j)
      for (int i = 1; i <= g.nx; ++i) {
        if (!g.valid(i, j)) continue;
        const int col = band_colour(grcband(g.z[g.at(i, j)], c.lev.data(), m));
        if (col < 1) continue;
        grmov2(g.x[g.at(i, j)], g.y[g.at(i, j)]);
        grsymb(col * 100 + 13);
      }
    grdump();
  }
  if (!c.mesh) return;
  grcolr(0);
  grdash(1);
  for (int j = 1; j <= g.ny; ++j) {
    grmov2(g.x[g.at(1, j)], g.y[g.at(1, j)]);
    for (int i = 2; i <= g.nx; ++i) grdrw2(g.x[g.at(i, j)], g.y[g.at(i, j)]);
  }
  for (int i = 1; i <= g.nx; ++i) {
    grmov2(g.x[g.at(i, 1)], g.y[g.at(i, 1)]);
    for (int j = 2; j <= g.ny; ++j) grdrw2(g.x[g.at(i, j)], g.y[g.at(i, j)]);
  }
  grdump();
}

// ---- The key ----

using KeyBox = GrKeyBox;
constexpr float kRow = 12.0f;

// Bands shown in the key, from the highest down.
std::vector<int> key_bands() {
  std::vector<int> b;
  const int m = static_cast<int>(c.lev.size());
  for (int k = m + 1; k >= 1; --k)
    if (band_colour(k) >= 1) b.push_back(k);
  return b;
}

std::string level_text(float v, float step) {
  char t[13];
  std::fill(t, t + 12, ' ');
  t[12] = 0;
  int w = 0;
  grprnt(v, step, std::span<char>(t, 12), w);
  return std::string(trim_right(std::string_view(t, 12)));
}

std::string band_label(int b) {
  const int m = static_cast<int>(c.lev.size());
  // Decimals enough to tell the closest two levels apart (added ones too).
  float step = 0.0f;
  for (int k = 1; k < m; ++k) {
    const float d = c.lev[k] - c.lev[k - 1];
    if (d > 0 && (step == 0.0f || d < step)) step = d;
  }
  if (b == 1) return "<= " + level_text(c.lev[0], step);
  if (b == m + 1) return " > " + level_text(c.lev[m - 1], step);
  return level_text(c.lev[b - 2], step) + " - " + level_text(c.lev[b - 1], step);
}

KeyBox key_box() {
  const float sk = gr_key_scale();
  // The title and subtitle start 12 pixels in and end clear of the hide box.
  size_t longest = std::max(grcomt.TITLGR.trimmed().size(), grcomt.SUBTGR.trimmed().size()) + 1;
  std::vector<int> bands = key_bands();
  for (int b : bands) longest = std::max(longest, band_label(b).size() + 6);
  if (c.edit) longest = std::max<size_t>(longest, 18);
  return gr_key_place(
      (static_cast<float>(longest) * 6.0f + 18.0f) * sk,
      (static_cast<float>(bands.size() + 2 + (c.edit ? 1 : 0)) * kRow + 10.0f) * sk);
}

void draw_key() {
  if (!gr_screen_mode(grcomn.IMODGR)) return;
  KeyBox k;
  if (!gr_key_begin(key_box, k)) return;
  float yrow = k.y + k.h - k.row - 2;
  gr_key_text(k.x + 12, yrow, grcomt.TITLGR.trimmed());
  yrow -= k.row;
  gr_key_text(k.x + 12, yrow, grcomt.SUBTGR.trimmed());
  for (int b : key_bands()) {
    yrow -= k.row;
    float xs[4] = {k.x + 6, k.x + 30, k.x + 30, k.x + 6};
    float ys[4] = {yrow - 1, yrow - 1, yrow + k.row - 3, yrow + k.row - 3};
    grfil2(xs, ys, 4, band_colour(b));
    grfram(xs, ys, 0, 0);
    gr_key_text(k.x + 36, yrow + 1, band_label(b));
  }
  if (c.edit) gr_key_text(k.x + 6, yrow - k.row + 1, "contour editing on");
  grdump();
  grclip(1);
}

void click_key() {
  const GrKeyClick r = gr_key_click(c.key_grab, key_box);
  c.key_click = r != GrKeyClick::Off;
  if (r == GrKeyClick::Off) return;
  if (r == GrKeyClick::Inside) {
    const KeyBox k = key_box();
    if (gr_in_box(grcomn.XCRSGR, grcomn.YCRSGR, k.x, k.y + k.h - 10, 10, 10)) {
      c.key_grab = true;
      grmesg("click on the new place of the key");
      return;
    }
    c.edit = !c.edit;
    grmesg(c.edit ? "contour editing on: Examine adds a level" : "contour editing off");
  }
  queue({"R"});
}

// ---- Commands ----

// The node nearest to (x, y) on the screen, marked; false without nodes.
bool nearest(float x, float y, int& ni, int& nj) {
  const ContGrid& g = c.g;
  const GrComn& gc = grcomn;
  double best = -1;
  for (int j = 1; j <= g.ny; ++j)
    for (int i = 1; i <= g.nx; ++i) {
      const int k = g.at(i, j);
      const double dx = (g.x[k] - x) * static_cast<double>(gc.XFACGR);
      const double dy = (g.y[k] - y) * static_cast<double>(gc.YFACGR);
      const double d = dx * dx + dy * dy;
      if (std::isfinite(d) && (best < 0 || d < best)) best = d, ni = i, nj = j;
    }
  if (best < 0) return false;
  grmov2(g.x[g.at(ni, nj)], g.y[g.at(ni, nj)]);
  grsymb(2);
  grdump();
  grflip();
  return true;
}

void cmd_nearest(float x, float y) {
  int i = 0, j = 0;
  if (!grinside(x, y) || !nearest(x, y, i, j)) {
    grmesg("click on a node");
    return;
  }
  const ContGrid& g = c.g;
  const int k = g.at(i, j);
  grmesg(grcont_nearest_text(g.x[k] + grcomn.XORGR, g.y[k] + grcomn.YORGR, i, j, g.z[k]));
}

void add_level(float f) {
  const float tol = 1e-6f * std::max(1.0f, std::fabs(f));
  for (float l : c.lev)
    if (std::fabs(l - f) <= tol) {
      grmesg("contour level exists");
      return;
    }
  if (static_cast<int>(c.lev.size()) >= kContLevels) {
    grmesg("too many contour levels");
    return;
  }
  c.lev.insert(std::upper_bound(c.lev.begin(), c.lev.end(), f), f);
  grmesg(grcont_added_text(f));
  queue({"R"});
}

void cmd_examine(float x, float y) {
  int i = 0, j = 0;
  float f = 0;
  if (!grinside(x, y) || !grloct(c.g, x, y, i, j, f)) {
    grmesg("cursor outside of grid");
    return;
  }
  grmov2(x, y);
  grsymb(2);
  grdump();
  grflip();
  grmesg(grcont_examine_text(x + grcomn.XORGR, y + grcomn.YORGR, f));
  if (c.edit && f != c.g.nodata) add_level(f);
}

// gralter: node values edited by clicks.
void gralter() {
  static const char* const help[] = {" Option to alter z-values of nodes.",
                                     " Select node with cursor and enter", " its new value."};
  for (;;) {
    FStr<16> items[3] = {" CCancel", " DDone", " ??"};
    if (c.moved < 0) items[0] = "-CCancel";
    int ich = 0;
    float x = 0, y = 0;
    grmesg("click on the node to alter");
    grcurs(3, items, ich, x, y);
    if (ich == 1 && c.moved >= 0) {
      c.z[c.moved] = c.old;
      c.moved = -1;
      queue({"R"});
      return;
    }
    if (ich == 2 || ich < 0) return;
    if (ich == 3) {
      show<80>({help[0], help[1], help[2]});
      continue;
    }
    int i = 0, j = 0;
    if (ich != 0 || !grinside(x, y) || !nearest(x, y, i, j)) continue;
    const int k = c.g.at(i, j);
    grmesg(grcont_nearest_text(c.g.x[k] + grcomn.XORGR, c.g.y[k] + grcomn.YORGR, i, j, c.z[k]));
    float v = c.z[k];
    grinpf("new value> ", v);
    if (!std::isfinite(v) || v == c.z[k]) continue;
    c.moved = k, c.old = c.z[k];
    c.z[k] = v;
    queue({"R", "A"});
    return;
  }
}

void draw_polyline(const std::vector<float>& px, const std::vector<float>& py) {
  if (px.empty()) return;
  grcolr(0);
  grmov2(px[0], py[0]);
  grsymb(2);
  for (size_t k = 1; k < px.size(); ++k) {
    grdrw2(px[k], py[k]);
    grsymb(2);
  }
  grdump();
  grflip();
}

// The section lines of a file: "x y" vertices (absolute), one a line; a line
// that holds no pair of numbers ends the section line and begins the next.
void inquire_file(std::vector<std::string>& out) {
  FStr<128> name;
  int mode = 0;
  gropn(kDataUnit, name.span(), c.dir.span(), mode);
  if (!uisopen(kDataUnit)) return;
  std::vector<float> px, py;
  auto flush = [&]() {
    if (px.empty()) return;
    draw_polyline(px, py);
    for (auto& l : grcont_section(c.g, px, py, c.spacing, grcomn.XORGR, grcomn.YORGR))
      if (static_cast<int>(out.size()) < kListMax) out.push_back(l);
    px.clear(), py.clear();
  };
  std::string line;
  while (uread(kDataUnit, line) == 0) {
    double x = 0, y = 0;
    if (fread_list(line, {x, y}) == 0) {
      px.push_back(static_cast<float>(x - grcomn.XORGR));
      py.push_back(static_cast<float>(y - grcomn.YORGR));
    } else {
      flush();
    }
  }
  flush();
  uclose(kDataUnit);
}

void inquire_input(std::vector<std::string>& out) {
  std::vector<float> px, py;
  for (int k = 0; k < 1000; ++k) {
    FStr<80> t;
    grinpa("X,Y (blank ends)> ", t.span());
    if (t.blank()) break;
    double x = 0, y = 0;
    if (fread_list(t.view(), {x, y}) != 0) {
      grmesg("two numbers expected: X,Y");
      continue;
    }
    px.push_back(static_cast<float>(x - grcomn.XORGR));
    py.push_back(static_cast<float>(y - grcomn.YORGR));
  }
  if (px.empty()) return;
  draw_polyline(px, py);
  out = grcont_section(c.g, px, py, c.spacing, grcomn.XORGR, grcomn.YORGR);
}

void cmd_inquire() {
  static const FStr<16> items[5] = {" SSection", " IInput", " PsPacing", " ??", " DDone"};
  for (;;) {
    int ich = 0;
    float x = 0, y = 0;
    grcurs(5, items, ich, x, y);
    std::vector<std::string> out;
    switch (ich) {
      case 1: inquire_file(out); break;
      case 2: inquire_input(out); break;
      case 3: {
        float s = c.spacing;
        grinpf("Spacing [m]> ", s);
        if (std::isfinite(s)) c.spacing = std::max(s, 0.0f);
        break;
      }
      case 4:
        show<80>({" Section  values along section lines read from a file",
                  "          (one X Y pair a line; other lines separate",
                  "          the section lines)", " Input    values along points typed in",
                  " sPacing  distance between queried points (0: only",
                  "          the points given)"});
        break;
      case 0: continue;
      default: return;
    }
    if (!out.empty()) show<80>(out);
  }
}

std::vector<std::string> help_lines() {
  return {" Alter    for editing z-values of nodes",
          " Examine  gives value at current cursor location",
          " Grid     displays edges of mesh",
          " Inquire  to query z-values for given points",
          " Nearest  queries for nearest node",
          " Shading  displays shaded view of current data.",
          " Sum      returns sum-curve of z-values",
          " Write    stores grid values on file",
          " ",
          "WRITE formats/options:",
          "  XYZ         nodes in ASCII-XYZ",
          "  Grid        ArcInfo Grid format (must have",
          "      equal cell size)",
          "  Breaklines  stores grids as breaklines"};
}

void cmd_write() {
  static const FStr<16> items[5] = {" XXYZ", " GGrid", " BBreaklines", " ??", " DDone"};
  for (;;) {
    int ich = 0;
    float x = 0, y = 0;
    grcurs(5, items, ich, x, y);
    if (ich == 0) continue;
    if (ich == 4) {
      std::vector<std::string> h = help_lines();
      show<80>(std::vector<std::string>(h.begin() + 9, h.end()));
      continue;
    }
    if (ich < 1 || ich > 3) return;
    float dist = 0;
    if (ich == 1) {
      grinpf("random distance> ", dist);
      if (!std::isfinite(dist)) dist = 0;
    }
    FStr<128> name;
    grinpa("File name> ", name.span());
    if (name.blank() || iiguard(name.view())) return;
    if (uopen_replace(kDataUnit, name.trimmed()) != 0) {
      grmesg("cannot open " + std::string(name.trimmed()));
      return;
    }
    const double xo = grcomn.XORGR, yo = grcomn.YORGR;
    bool ok = true;
    if (ich == 1) grcont_write_xyz(kDataUnit, c.g, xo, yo, std::fabs(dist), c.seed);
    if (ich == 2) ok = grcont_write_grid(kDataUnit, c.g, xo, yo);
    if (ich == 3) grcont_write_breaklines(kDataUnit, c.g, xo, yo);
    const int rc = uclose(kDataUnit, !ok);
    if (!ok)
      grmesg("grid must have equal cell size");
    else if (rc != 0)
      grmesg("Error writing: " + std::string(name.trimmed()) + ": " + std::strerror(rc));
    else
      grmesg("values stored on " + std::string(name.trimmed()));
    return;
  }
}

}  // namespace

// ---- Levels and bands ----

int grcband(float z, const float* levels, int m) {
  for (int k = 0; k < m; ++k)
    if (levels[k] >= z) return k + 1;
  return m + 1;
}

void grcfil(const ContGrid& g, float zlow, int m, float* levels) {
  const int mm = std::max(std::abs(m), 1);
  float zmax = -kInf, zmin = 9e20f;
  int n = 0;
  double sum = 0, sum2 = 0;
  for (int j = 1; j <= g.ny; ++j)
    for (int i = 1; i <= g.nx; ++i) {
      const float z = g.z[g.at(i, j)];
      if (!std::isfinite(z)) continue;
      zmax = std::max(zmax, z);
      if (z <= zlow) continue;
      zmin = std::min(zmin, z);
      if (std::fabs(z) <= 0.01f) continue;
      ++n, sum += z, sum2 += static_cast<double>(z) * z;
    }
  // A grid without a value gets levels from 0.
  if (zmin > zmax) zmin = zmax = 0;
  float lo = zmin, hi = zmax;
  if (n > 2) {
    const double mu = sum / n;
    const double sd = std::sqrt(std::max(0.0, (sum2 - mu * mu * n) / (n - 1)));
    if (zmin < 0 && mu - sd > 0) lo = 0;
    hi = std::min(zmax, static_cast<float>(mu + 4 * sd));
  }
  if ((std::fabs(levels[0] + 99.0f) < 0.001f || m < 0) && lo < 0) lo = 0;
  double start = 0;
  float step = 0;
  grscal(lo, hi, mm, start, step);
  if (step < 0.001f) step = 0.001f;
  for (int k = 0; k <= mm; ++k)
    levels[k] = static_cast<float>(start + k * static_cast<double>(step));
}

void grcol2(const float* x, const float* y, const float* z, int n, const float* levels, int m) {
  fill_cell(x, y, z, n, levels, m, false);
}

void grcol3(const float* x, const float* y, const float* z, int n, const float* levels, int m) {
  fill_cell(x, y, z, n, levels, m, grcomn.IMODGR == 8);
}

bool grloct(const ContGrid& g, float xp, float yp, int& i, int& j, float& value) {
  Pt v[4], tri[4][3];
  for (int jj = 1; jj < g.ny; ++jj)
    for (int ii = 1; ii < g.nx; ++ii) {
      const int id[4] = {g.at(ii, jj), g.at(ii + 1, jj), g.at(ii + 1, jj + 1), g.at(ii, jj + 1)};
      float x0 = kInf, x1 = -kInf, y0 = kInf, y1 = -kInf;
      bool valid = true;
      for (int k = 0; k < 4; ++k) {
        v[k] = {g.x[id[k]], g.y[id[k]], g.z[id[k]]};
        if (v[k].z == g.nodata) valid = false, v[k].z = 0;
        x0 = std::min(x0, v[k].x), x1 = std::max(x1, v[k].x);
        y0 = std::min(y0, v[k].y), y1 = std::max(y1, v[k].y);
      }
      if (xp < x0 || xp > x1 || yp < y0 || yp > y1) continue;
      centroid_split(v, 4, tri);
      for (auto& t : tri) {
        // Barycentric weights of the point in the triangle.
        const double ax = t[0].x, ay = t[0].y;
        const double bx = t[1].x - ax, by = t[1].y - ay, cx = t[2].x - ax, cy = t[2].y - ay;
        const double det = bx * cy - by * cx;
        if (std::fabs(det) < 1e-20) continue;
        const double px = xp - ax, py = yp - ay;
        const double u = (px * cy - py * cx) / det, w = (bx * py - by * px) / det;
        const double eps = 1e-9;
        if (u < -eps || w < -eps || u + w > 1 + eps) continue;
        i = ii, j = jj;
        value = valid ? static_cast<float>(t[0].z + u * (t[1].z - t[0].z) + w * (t[2].z - t[0].z))
                      : g.nodata;
        return true;
      }
    }
  return false;
}

float rgrand(int& seed) {
  constexpr long long kMod = 2147483647LL;
  if (seed == -1) {
    // A seed from the clock text (hours, minutes, seconds and the date).
    std::time_t t = std::time(nullptr);
    char buf[32] = {};
    std::strftime(buf, sizeof buf, "%H%M%S%d%m", std::localtime(&t));
    long long s = 0;
    for (const char* p = buf; *p; ++p) s = (s * 10 + (*p - '0')) % kMod;
    seed = static_cast<int>(s == 0 ? 1 : s);
  }
  long long s = (static_cast<long long>(seed) * 16807LL) % kMod;
  seed = static_cast<int>(s);
  return static_cast<float>(static_cast<double>(std::llabs(s)) / 2147483648.0);
}

// ---- Texts and files ----

std::string grcont_nearest_text(double x, double y, int i, int j, float f) {
  return one_line(fformat("('(X,Y):',2F11.2,' (I,J):',2I7,' F:',f11.3)", {x, y, i, j, f}));
}

std::string grcont_examine_text(double x, double y, float f) {
  return one_line(fformat("('(X,Y):',2F12.2,' F:',f12.3)", {x, y, f}));
}

std::string grcont_added_text(float f) {
  return one_line(fformat("('Contour added at F:',g12.5)", {f}));
}

void grcont_write_xyz(int unit, const ContGrid& g, double xo, double yo, float dist, int& seed) {
  for (int j = 1; j <= g.ny; ++j)
    for (int i = 1; i <= g.nx; ++i) {
      const int k = g.at(i, j);
      double x = g.x[k] + xo, y = g.y[k] + yo;
      if (dist > 0) {
        x += dist * (2.0 * rgrand(seed) - 1.0);
        y += dist * (2.0 * rgrand(seed) - 1.0);
      }
      fwrite(unit, "(2f12.2,f11.3)", {x, y, g.z[k]});
    }
}

bool grcont_write_grid(int unit, const ContGrid& g, double xo, double yo) {
  if (g.nx < 2 || g.ny < 2) return false;
  const float cell = g.x[g.at(2, 1)] - g.x[g.at(1, 1)];
  if (!(cell > 0)) return false;
  const float tol = 1e-3f * cell;
  for (int j = 1; j <= g.ny; ++j)
    for (int i = 1; i <= g.nx; ++i) {
      const int k = g.at(i, j);
      const float ex = g.x[g.at(1, 1)] + static_cast<float>(i - 1) * cell;
      const float ey = g.y[g.at(1, 1)] + static_cast<float>(j - 1) * cell;
      if (std::fabs(g.x[k] - ex) > tol || std::fabs(g.y[k] - ey) > tol) return false;
    }
  const int k1 = g.at(1, 1);
  fwrite(unit,
         "('ncols',i8,/,'nrows',i8,/,'xllcorner',f12.2,/,'yllcorner',f12.2,/,'cellsize',f12.4,/,"
         "'NODATA_value',f12.0)",
         {g.nx, g.ny, g.x[k1] + xo, g.y[k1] + yo, cell, g.nodata});
  const std::string row_format = one_line(fformat("('(',i6,'f10.3)')", {g.nx}));
  std::vector<FArg> row;
  row.reserve(g.nx);
  grbeam(-1, g.ny, "writing data in GRID format");
  for (int j = g.ny; j >= 1; --j) {
    row.clear();
    for (int i = 1; i <= g.nx; ++i) row.emplace_back(g.z[g.at(i, j)]);
    fwrite(unit, row_format, std::span<const FArg>(row));
    grbeam(g.ny - j + 1, g.ny, "writing data in GRID format");
  }
  return true;
}

void grcont_write_breaklines(int unit, const ContGrid& g, double xo, double yo) {
  auto line = [&](int n, auto node) {
    bool first = true;
    for (int a = 1; a <= n; ++a) {
      const int k = node(a);
      if (g.z[k] == g.nodata) {
        first = true;
        continue;
      }
      fwrite(unit, "(3f12.2,i2)",
             {g.x[k] + xo, g.y[k] + yo, static_cast<double>(g.z[k]), first ? 1 : 0});
      first = false;
    }
  };
  for (int j = 1; j <= g.ny; ++j) line(g.nx, [&](int i) { return g.at(i, j); });
  for (int i = 1; i <= g.nx; ++i) line(g.ny, [&](int j) { return g.at(i, j); });
}

std::vector<std::string> grcont_sum(const ContGrid& g, const float* levels, int m) {
  std::vector<std::string> out = {"SUM CURVE", "VALUE[ ]  SUM[-]"};
  std::vector<float> v;
  for (int j = 1; j <= g.ny; ++j)
    for (int i = 1; i <= g.nx; ++i)
      if (g.valid(i, j)) v.push_back(g.z[g.at(i, j)]);
  std::sort(v.begin(), v.end());
  const int n = static_cast<int>(v.size());
  // Every node of a small grid, else the values at every hundredth.
  const int rows = std::min(n, 100);
  for (int r = 1; r <= rows; ++r) {
    const int idx = n <= 100 ? r : static_cast<int>((static_cast<long long>(r) * n + 99) / 100);
    out.push_back(one_line(fformat("(f9.3,f8.3)", {v[idx - 1], static_cast<float>(idx) / n})));
  }
  // Area at or below each level, from the cells as they are drawn.
  std::vector<double> below(std::max(m, 0), 0.0);
  double total = 0;
  Pt cv[4], tri[4][3], part[8];
  for (int j = 1; j < g.ny; ++j)
    for (int i = 1; i < g.nx; ++i) {
      if (!cell(g, i, j, cv)) continue;
      centroid_split(cv, 4, tri);
      for (auto& t : tri) {
        total += area(t, 3);
        for (int k = 0; k < m; ++k) below[k] += area(part, clip_z(t, 3, levels[k], false, part));
      }
    }
  // The area in m2 while it fits its column, else as a fraction.
  const bool absolute = total < 9.9e6;
  out.emplace_back(" ");
  out.emplace_back(absolute ? "LEVEL[M]   AREA[A]" : "LEVEL[M]   AREA[-]");
  for (int k = 0; k < m; ++k) {
    if (absolute)
      out.push_back(one_line(fformat("(f8.2,f10.1)", {levels[k], below[k]})));
    else
      out.push_back(one_line(fformat("(f8.2,f8.3)", {levels[k], below[k] / total})));
  }
  return out;
}

std::vector<std::string> grcont_section(const ContGrid& g, const std::vector<float>& px,
                                        const std::vector<float>& py, float spacing, double xo,
                                        double yo) {
  std::vector<std::string> out;
  auto put = [&](float x, float y) {
    if (static_cast<int>(out.size()) >= kListMax) return;
    int i = 0, j = 0;
    float f = g.nodata;
    if (!grloct(g, x, y, i, j, f)) f = g.nodata;
    out.push_back(one_line(fformat("(2f12.2,f9.3)", {x + xo, y + yo, f})));
  };
  const size_t n = std::min(px.size(), py.size());
  for (size_t k = 0; k < n; ++k) {
    put(px[k], py[k]);
    if (k + 1 == n || !(spacing > 0)) continue;
    const double dx = px[k + 1] - px[k], dy = py[k + 1] - py[k];
    const double len = std::hypot(dx, dy);
    for (double s = spacing; s < len - 1e-6 * spacing && static_cast<int>(out.size()) < kListMax;
         s += spacing)
      put(static_cast<float>(px[k] + dx * s / len), static_cast<float>(py[k] + dy * s / len));
  }
  return out;
}

// ---- The viewer ----

void grkey2(int mode) {
  if (mode == 3)
    draw_key();
  else if (mode == 4)
    click_key();
}

void grcon1(int mode, float* s) {
  GrComn& gc = grcomn;
  const ContGrid& g = c.g;
  if (mode >= 0 && mode != 4) c.key_click = false;
  switch (mode) {
    case 0: {
      if (c.fresh || gc.INDSGR == 1) {
        float x0 = kInf, x1 = -kInf, y0 = kInf, y1 = -kInf;
        for (int j = 1; j <= g.ny; ++j)
          for (int i = 1; i <= g.nx; ++i) {
            const int k = g.at(i, j);
            if (!std::isfinite(g.x[k]) || !std::isfinite(g.y[k])) continue;
            x0 = std::min(x0, g.x[k]), x1 = std::max(x1, g.x[k]);
            y0 = std::min(y0, g.y[k]), y1 = std::max(y1, g.y[k]);
          }
        if (x0 <= x1) s[0] = x0, s[1] = x1, s[2] = y0, s[3] = y1;
        if (!(s[1] > s[0])) s[1] = s[0] + 1.0f;
        if (!(s[3] > s[2])) s[3] = s[2] + 1.0f;
        c.fresh = false;
      }
      grctrl_items({"<NNearest", "<EExamine", " GGrid", " AAlter", " IInquire", " SSum", " WWrite",
                    "-SShading", " ??"});
      return;
    }
    case 1: draw_bands(); return;
    case 3:
    case 4: grkey2(mode); return;
    default: break;
  }
  if (mode >= 0) return;
  if (c.key_click) {
    // The click that reached the sticky command was taken by the key.
    c.key_click = false;
    return;
  }
  const float x = gc.XCRSGR, y = gc.YCRSGR;
  switch (-mode) {
    case 1: cmd_nearest(x, y); break;
    case 2: cmd_examine(x, y); break;
    case 3:
      c.mesh = !c.mesh;
      queue({"R"});
      break;
    case 4: gralter(); break;
    case 5: cmd_inquire(); break;
    case 6: show<80>(grcont_sum(g, c.lev.data(), static_cast<int>(c.lev.size()))); break;
    case 7: cmd_write(); break;
    case 9: show<80>(help_lines()); break;
    default: break;
  }
}

void grcont(const float* x, const float* y, float* z, int nx, int ny, int ldx, FStr<240>& titles,
            int options, float nodata) {
  GrComn& gc = grcomn;
  c.g = ContGrid{x, y, z, std::max(nx, 0), std::max(ny, 0), std::max(ldx, std::max(nx, 1)), nodata};
  c.z = z;
  c.fresh = true;
  // The mesh and contour editing stay as the user left them in the last plot.
  c.key_grab = c.key_click = false;
  c.moved = -1;
  const int m = std::clamp(gc.NCOLGR - 1, 1, kContLevels - 1);
  c.lev.assign(m + 1, 0.0f);
  grcfil(c.g, nodata, m, c.lev.data());
  gc.IKEYGR = std::max(gc.IKEYGR, 1);
  grctrl([](int mode, float* s) { grcon1(mode, s); }, options, titles, c.scale);
}

}  // namespace riv
