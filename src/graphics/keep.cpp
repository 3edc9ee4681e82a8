// Keep files: the keep list, loading the listed files into the replay cache,
// replaying the cache behind and over each plot, the list in ".grset", and
// PBM/PGM bitmaps placed by a world file.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "graphics/graphics.hpp"
#include "graphics/grlocal.hpp"
#include "graphics/keep.hpp"
#include "graphics/plots.hpp"
#include "input/fformat.hpp"
#include "input/freeread.hpp"
#include "input/units.hpp"

namespace riv {

namespace {

// ---- The keep list ----
FStr<128> g_names[kKeepListMax];
int g_status[kKeepListMax] = {};
int g_count = 0;
bool g_changed = true;                        // list or statuses changed since the last load
double g_load_xorg = 0.0, g_load_yorg = 0.0;  // origin at the last load
FStr<256> g_directory;                        // where the file chooser was left

// ---- The replay cache ----
constexpr size_t kMaxElements = 8000000;
constexpr long long kMaxCode = 100000;  // largest colour, dash or marker code of a record

// Colour, dash and marker codes are small; a value far beyond them is no
// code (it would index past the colour table).
bool code_ok(int v) { return std::abs(static_cast<long long>(v)) <= kMaxCode; }
constexpr size_t kMaxPoints = 24000000;

enum ElemType {
  kText = 1,
  kColour = 2,
  kDash = 3,
  kDraw = 4,
  kDraw3 = 5,
  kFill = 6,
  kFill3 = 7,
  kMove = 8,
  kMove3 = 9,
  kSymbol = 10,
  kBitmap = 11,
  kColMode = 12,
  kColRow = 13,
  kOrigin = 15
};

struct Element {
  int type;
  int index;   // into the points, texts, origins or bitmaps
  int v1, v2;  // colour, dash style, symbol code, fill colour and colour row
  int n;       // vertices of a fill
};

struct CachedBitmap {
  GrImage image;
  std::string name;
  double x0, y0, dx, dy;  // upper left corner and pixel size
  bool absolute;          // placed by its world file, not relative to the origin
};

std::vector<Element> g_elems;
std::vector<float> g_x, g_y, g_z;
std::vector<std::string> g_texts;
std::vector<double> g_orgs;  // origin pairs, x then y
std::vector<CachedBitmap> g_bitmaps;
size_t g_background = 0;  // elements of the background pass

void clear_cache() {
  g_elems.clear();
  g_x.clear(), g_y.clear(), g_z.clear();
  g_texts.clear();
  g_orgs.clear();
  g_bitmaps.clear();
  g_background = 0;
}

int add_point(float x, float y, float z) {
  g_x.push_back(x), g_y.push_back(y), g_z.push_back(z);
  return static_cast<int>(g_x.size() - 1);
}

void add_elem(int type, int index = 0, int v1 = 0, int v2 = 0, int n = 0) {
  g_elems.push_back({type, index, v1, v2, n});
}

// Moves the user origin; the world and clipping windows move with it, so
// that everything already placed keeps its absolute position.
void set_origin(double xo, double yo) {
  grvalu8("XORGR", 1, xo);
  grvalu8("YORGR", 1, yo);
}

std::string trimmed(std::string_view s) {
  size_t f = s.find_first_not_of(' ');
  return f == std::string_view::npos ? std::string() : std::string(trim_right(s.substr(f)));
}

bool has_extension(std::string_view name, std::string_view ext) {
  return name.size() >= ext.size() && name.substr(name.size() - ext.size()) == ext;
}

// ---- Bitmaps ----

// Grey index of the library's colour table (0 white .. 20 black).
int grey_index(int g) {
  return std::clamp(static_cast<int>(std::lround((255 - g) / 12.75)), 0, 20);
}

// Draws a bitmap on the screen, nearest neighbour per device pixel, within
// the clipping window. (x0, y0) upper left corner in user coordinates.
void draw_image(const GrImage& im, double x0, double y0, double dx, double dy) {
  GrComn& c = grcomn;
  if (!gr_screen_mode(c.IMODGR) || im.width < 1 || im.height < 1 || !(dx > 0) || !(dy > 0)) return;
  double wx0 = std::max(x0, c.XMNCGR), wx1 = std::min(x0 + im.width * dx, c.XMXCGR);
  double wy0 = std::max(y0 - im.height * dy, c.YMNCGR), wy1 = std::min(y0, c.YMXCGR);
  if (!(wx0 < wx1) || !(wy0 < wy1)) return;
  auto devx = [&](double x) { return (x - c.XMINGR) * c.XFACGR + c.XORGGR; };
  auto devy = [&](double y) { return (y - c.YMINGR) * c.YFACGR + c.YORGGR; };
  double pa = std::min(devx(wx0), devx(wx1)), pb = std::max(devx(wx0), devx(wx1));
  double qa = std::min(devy(wy0), devy(wy1)), qb = std::max(devy(wy0), devy(wy1));
  int px0 = static_cast<int>(std::max(std::ceil(pa - 0.5), 0.0));
  int px1 = static_cast<int>(std::min(std::floor(pb - 0.5), static_cast<double>(c.WNDWGR[3] - 1)));
  int py0 = static_cast<int>(std::max(std::ceil(qa - 0.5), 0.0));
  int py1 = static_cast<int>(std::min(std::floor(qb - 0.5), static_cast<double>(c.WNDWGR[4] - 1)));
  if (px0 > px1 || py0 > py1) return;
  grdump();
  std::vector<int> col(px1 - px0 + 1);
  for (int px = px0; px <= px1; ++px) {
    double x = (px + 0.5 - c.XORGGR) / c.XFACGR + c.XMINGR;
    col[px - px0] = std::clamp(static_cast<int>(std::floor((x - x0) / dx)), 0, im.width - 1);
  }
  int current = -1;
  for (int py = py0; py <= py1; ++py) {
    double y = (py + 0.5 - c.YORGGR) / c.YFACGR + c.YMINGR;
    int r = std::clamp(static_cast<int>(std::floor((y0 - y) / dy)), 0, im.height - 1);
    const unsigned char* row = &im.grey[static_cast<size_t>(r) * im.width];
    int px = px0;
    while (px <= px1) {
      int k = grey_index(row[col[px - px0]]);
      int end = px;
      while (end < px1 && grey_index(row[col[end + 1 - px0]]) == k) ++end;
      if (k != 0) {  // white is the paper
        if (k != current) grxstc(c.IPIXGR[k]), current = k;
        grxlin(px, py, end, py);
      }
      px = end + 1;
    }
  }
  gr_reset_pen_styles();  // the driver colour is no longer the library's
}

// Places or records one bitmap: x0, y0 relative to the origin in force.
void bitmap_out(const GrImage& im, std::string_view name, double x0, double y0, double dx,
                double dy) {
  GrComn& c = grcomn;
  if (c.IMODGR == 8) {
    fwrite(c.JDV3GR, "('BITM',/,a)", {name});
    fwrite(c.JDV3GR, "(4D19.12)", {x0, y0, dx, dy});
  } else {
    draw_image(im, x0, y0, dx, dy);
  }
}

// ---- Loading keep files ----

// Reads n values of the points of a fill, as many per line as written;
// false at the end of the file or on a value that cannot be read.
bool read_values(int unit, size_t n, std::vector<float>& vals) {
  std::string value;
  vals.clear();
  while (vals.size() < n) {
    if (uread(unit, value) != 0) return false;
    size_t p = 0;
    while (vals.size() < n) {
      p = value.find_first_not_of(" ,", p);
      if (p == std::string::npos) break;
      size_t e = value.find_first_of(" ,", p);
      std::string_view tok(value.data() + p, (e == std::string::npos ? value.size() : e) - p);
      if (tok[0] == '/') return false;
      float v = 0.0f;
      if (fread_list(tok, {v}) != 0) return false;
      vals.push_back(v);
      p = e;
      if (p == std::string::npos) break;
    }
  }
  return true;
}

// Reads one keep file into the cache. Returns false when loading must stop
// (cache full).
bool load_file(int unit, const std::string& name) {
  std::string line, value;
  auto syntax = [&]() {
    uclose(unit);
    grmesg("Syntax error in: " + name);
    return true;
  };
  // The cache is full: loading stops here.
  auto full = [&]() {
    uclose(unit);
    grmesg("Keep files too large, loading stopped");
    return false;
  };
  auto next = [&](std::initializer_list<FTarget> t) {
    return uread(unit, value) == 0 && fread_list(value, t) == 0;
  };
  std::vector<float> vals;
  auto values = [&](size_t n) { return read_values(unit, n, vals); };
  add_elem(kColour, 0, 0);
  double xorg = grcomn.XORGR;
  while (uread(unit, line) == 0) {
    if (g_elems.size() > kMaxElements) return full();
    std::string key = line.substr(0, std::min<size_t>(line.size(), 4));
    int i = 0;
    float x = 0, y = 0, z = 0;
    if (key == "ANOT") {
      if (uread(unit, value) != 0) return syntax();
      g_texts.emplace_back(trim_right(std::string_view(value).substr(0, 128)));
      add_elem(kText, static_cast<int>(g_texts.size() - 1));
    } else if (key == "COLR" || key == "DASH" || key == "SYMB" || key == "MCOL" || key == "RCOL") {
      if (!next({i}) || !code_ok(i)) return syntax();
      int type = key == "COLR"   ? kColour
                 : key == "DASH" ? kDash
                 : key == "SYMB" ? kSymbol
                 : key == "MCOL" ? kColMode
                                 : kColRow;
      add_elem(type, 0, i);
    } else if (key == "MOV2" || key == "DRW2") {
      if (!next({x, y})) return syntax();
      if (g_x.size() + 1 > kMaxPoints) return full();
      add_elem(key == "MOV2" ? kMove : kDraw, add_point(x, y, 0.0f));
    } else if (key == "MOV3" || key == "DRW3") {
      if (!next({x, y, z})) return syntax();
      if (g_x.size() + 1 > kMaxPoints) return full();
      add_elem(key == "MOV3" ? kMove3 : kDraw3, add_point(x, y, z));
    } else if (key == "FIL2" || key == "FIL3") {
      int n = 0, col = 0, row = 0;
      if (!next({n, col, row}) || n < 0 || !code_ok(col) || !code_ok(row)) return syntax();
      bool three = key == "FIL3";
      if (g_x.size() + static_cast<size_t>(n) > kMaxPoints) return full();
      if (!values(static_cast<size_t>(n) * (three ? 3 : 2))) return syntax();
      int first = static_cast<int>(g_x.size());
      for (int k = 0; k < n; ++k) {
        if (three)
          add_point(vals[3 * k], vals[3 * k + 1], vals[3 * k + 2]);
        else
          add_point(vals[2 * k], vals[2 * k + 1], 0.0f);
      }
      add_elem(three ? kFill3 : kFill, first, col, row, n);
    } else if (key == "XORG") {
      if (!next({xorg})) return syntax();
    } else if (key == "YORG") {
      double yorg = 0.0;
      if (!next({yorg})) return syntax();
      g_orgs.push_back(xorg), g_orgs.push_back(yorg);
      add_elem(kOrigin, static_cast<int>(g_orgs.size() / 2 - 1));
    } else if (key == "BITM") {
      double p[4] = {};
      if (uread(unit, value) != 0) return syntax();
      std::string bname = trimmed(value);
      if (!next({p[0], p[1], p[2], p[3]})) return syntax();
      CachedBitmap b{{}, bname, p[0], p[1], p[2], p[3], false};
      if (grbmpr(bname, b.image)) {
        g_bitmaps.push_back(std::move(b));
        add_elem(kBitmap, static_cast<int>(g_bitmaps.size() - 1));
      } else {
        grmesg("Error reading: " + bname);
      }
    }
    // Other lines (blank lines, unknown records) are skipped.
  }
  uclose(unit);
  return true;
}

void load(int n, FStr<128>* names, int* statuses) {
  clear_cache();
  for (int pass = kKeepBackground; pass <= kKeepForeground; ++pass) {
    for (int k = 0; k < n; ++k) {
      if (statuses[k] != pass) continue;
      std::string name(names[k].trimmed());
      if (!file_exists(name)) {
        grmesg("Keep file not found: " + name);
        statuses[k] = kKeepRemove;
        continue;
      }
      if (!has_extension(name, ".kep")) {
        CachedBitmap b{{}, name, 0, 0, 0, 0, true};
        if (grbmpr(name, b.image) &&
            grbmp_world(name, b.image.width, b.image.height, b.x0, b.y0, b.dx, b.dy)) {
          g_bitmaps.push_back(std::move(b));
          add_elem(kBitmap, static_cast<int>(g_bitmaps.size() - 1));
        } else {
          grmesg("Error reading: " + name);
          statuses[k] = kKeepHide;
        }
        continue;
      }
      const int unit = grcomn.JDV3GR;
      if (uopen(unit, name, FStatus::Old) != 0) {
        grmesg("Error opening: " + name);
        fwrite(kStdout, "(a,a)", {"grkpla: ", name});
        statuses[k] = kKeepHide;
        // The other files still load: one bad file does not hide them all.
        continue;
      }
      if (!load_file(unit, name)) goto done;
    }
    if (pass == kKeepBackground) g_background = g_elems.size();
  }
done:
  g_background = std::min(g_background, g_elems.size());
}

void replay(size_t from, size_t to) {
  GrComn& c = grcomn;
  const int mcol = c.MCOLGR, rcol = c.RCOLGR;
  const double xorg = c.XORGR, yorg = c.YORGR;
  for (size_t k = from; k < to; ++k) {
    const Element& e = g_elems[k];
    switch (e.type) {
      case kText: granot(g_texts[e.index]); break;
      case kColour: grcolr(e.v1); break;
      case kDash: grdash(e.v1); break;
      case kDraw: grdrw2(g_x[e.index], g_y[e.index]); break;
      case kDraw3: grdrw3(g_x[e.index], g_y[e.index], g_z[e.index]); break;
      case kMove: grmov2(g_x[e.index], g_y[e.index]); break;
      case kMove3: grmov3(g_x[e.index], g_y[e.index], g_z[e.index]); break;
      case kSymbol: grsymb(e.v1); break;
      case kFill:
      case kFill3: {
        // The fill's colour row is the one it was kept with.
        int row = c.RCOLGR;
        c.RCOLGR = e.v2;
        gr_reset_pen_styles();
        if (e.type == kFill)
          grfil2(&g_x[e.index], &g_y[e.index], e.n, e.v1);
        else
          grfil3(&g_x[e.index], &g_y[e.index], &g_z[e.index], e.n, e.v1);
        c.RCOLGR = row;
        gr_reset_pen_styles();
        break;
      }
      case kBitmap: {
        const CachedBitmap& b = g_bitmaps[e.index];
        double x0 = b.absolute ? b.x0 - c.XORGR : b.x0;
        double y0 = b.absolute ? b.y0 - c.YORGR : b.y0;
        bitmap_out(b.image, b.name, x0, y0, b.dx, b.dy);
        break;
      }
      case kColMode:
        c.MCOLGR = e.v1;
        gr_reset_pen_styles();
        break;
      case kColRow:
        c.RCOLGR = e.v1;
        gr_reset_pen_styles();
        break;
      case kOrigin: set_origin(g_orgs[2 * e.index], g_orgs[2 * e.index + 1]); break;
      default: break;
    }
  }
  grdump();
  c.MCOLGR = mcol, c.RCOLGR = rcol;
  set_origin(xorg, yorg);
  gr_reset_pen_styles();
}

// Drops the entries marked remove.
void drop_removed() {
  int m = 0;
  for (int k = 0; k < g_count; ++k) {
    if (g_status[k] == kKeepRemove) continue;
    g_names[m] = g_names[k];
    g_status[m] = g_status[k];
    ++m;
  }
  for (int k = m; k < g_count; ++k) g_names[k].clear(), g_status[k] = 0;
  g_count = m;
}

bool origin_moved() {
  return std::fabs(grcomn.XORGR - g_load_xorg) >= 0.01 ||
         std::fabs(grcomn.YORGR - g_load_yorg) >= 0.01;
}

// Reloads the cache when the list, a status or the origin changed.
void refresh() {
  if (!g_changed && !origin_moved()) return;
  grkpla(g_count, g_names, g_status, 2);
  drop_removed();
}

void keep_read(int unit) {
  g_count = 0;
  g_changed = true;
  std::string s;
  int n = 0;
  if (uread(unit, s) != 0 || fread_list(s, {n}) != 0) return;
  FStr<128> names[kKeepListMax];
  int status[kKeepListMax];
  int m = 0;
  for (int k = 0; k < n; ++k) {
    FStr<128> name;
    int st = 0;
    if (uread(unit, s) != 0 || fread_list(s, {name, st}) != 0) return;
    if (m >= kKeepListMax || name.blank() || !file_exists(name.trimmed())) continue;
    names[m] = name;
    status[m] = st <= 0 ? kKeepForeground : st;
    ++m;
  }
  std::copy(names, names + m, g_names);
  std::copy(status, status + m, g_status);
  g_count = m;
}

void keep_write(int unit) {
  fwritel(unit, {g_count});
  for (int k = 0; k < g_count; ++k) {
    // An apostrophe in a name is doubled so that the line reads back.
    std::string q;
    for (char ch : g_names[k].trimmed()) {
      q.push_back(ch);
      if (ch == '\'') q.push_back(ch);
    }
    fwrite(unit, "('''',a,'''',i3,' /')", {q, g_status[k]});
  }
}

void open_dialog() {
  FStr<128> name = ".kep.pbm.pgm";
  int ok = 0;
  if (g_directory.blank()) g_directory = "./";
  grfile(name.span(), g_directory.span(), ok);
  if (ok != 1 || name.blank()) return;
  std::string n = trimmed(name.view());
  for (int k = 0; k < g_count; ++k) {
    if (fequal(g_names[k].view(), n)) {
      grmesg("File already on list: " + n);
      return;
    }
  }
  if (!grklst_add(n)) {
    grmesg("Keep list is full: " + n);
    return;
  }
  grscpt(std::vector<std::string>{"P"});
}

void list_dialog() {
  if (g_count == 0) return;
  FStr<32> labels[kKeepListMax];
  FStr<48> values[kKeepListMax];
  for (int k = 0; k < g_count; ++k) {
    std::string_view n = g_names[k].trimmed();
    std::string_view stem = n.substr(0, n.size() >= 4 ? n.size() - 4 : 0);
    if (stem.size() > 23)
      labels[k] = "~" + std::string(stem.substr(stem.size() - 24));
    else
      labels[k] = stem;
    values[k] =
        "|" + std::to_string(std::clamp(g_status[k], 1, 4)) + "|hide|background|forground|remove";
  }
  grinfo(g_count, labels, values);
  if (fequal(labels[0].view(), "cancel")) return;
  int status[kKeepListMax];
  for (int k = 0; k < g_count; ++k) {
    status[k] = g_status[k];
    std::string_view v = values[k].view();
    if (v.size() > 1 && v[0] == '|' && v[1] >= '1' && v[1] <= '4') status[k] = v[1] - '0';
  }
  if (grklst_apply(status, g_count)) grscpt(std::vector<std::string>{"R"});
}

}  // namespace

bool grklst_add(std::string_view name) {
  std::string n = trimmed(name);
  if (n.empty() || g_count >= kKeepListMax) return false;
  for (int k = 0; k < g_count; ++k)
    if (fequal(g_names[k].view(), n)) return false;
  g_names[g_count] = n;
  g_status[g_count] = kKeepBackground;
  ++g_count;
  g_changed = true;
  return true;
}

bool grklst_apply(const int* statuses, int n) {
  bool changed = false;
  for (int k = 0; k < std::min(n, g_count); ++k) {
    int s = std::clamp(statuses[k], 1, 4);
    if (s != g_status[k]) changed = true;
    g_status[k] = s;
  }
  drop_removed();
  if (changed) g_changed = true;
  return changed || origin_moved();
}

std::string_view grklst_name(int i) {
  return i >= 0 && i < g_count ? g_names[i].trimmed() : std::string_view();
}
int grklst_status(int i) { return i >= 0 && i < g_count ? g_status[i] : 0; }

void grkpla(int n, FStr<128>* names, int* statuses, int pass) {
  if (pass == 2) {
    load(n, names, statuses);
    g_changed = false;
    g_load_xorg = grcomn.XORGR, g_load_yorg = grcomn.YORGR;
  } else if (pass == 3) {
    replay(0, g_background);
  } else if (pass == 4) {
    replay(g_background, g_elems.size());
  }
}

void grklst(int option, int& count) {
  switch (option) {
    case 0:
      for (int k = 0; k < g_count; ++k) g_names[k].clear(), g_status[k] = 0;
      g_count = 0;
      g_changed = true;
      clear_cache();
      break;
    case 1: open_dialog(); break;
    case 2: list_dialog(); break;
    case 3:
    case 4:
      refresh();
      grkpla(g_count, g_names, g_status, option);
      break;
    case -2: keep_read(grcomn.JDV1GR); break;
    case -3: keep_write(grcomn.JDV1GR); break;
    case -4: count = g_count; break;
    default: break;
  }
}

// ---- Bitmaps ----

bool grbmpr(std::string_view name, GrImage& image) {
  image = GrImage{};
  std::FILE* f = std::fopen(std::string(name).c_str(), "rb");
  if (!f) return false;
  // Header tokens, skipping comments.
  auto token = [f](long& v) {
    int ch = std::fgetc(f);
    for (;;) {
      while (ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r') ch = std::fgetc(f);
      if (ch != '#') break;
      while (ch != '\n' && ch != EOF) ch = std::fgetc(f);
    }
    if (ch < '0' || ch > '9') return false;
    v = 0;
    while (ch >= '0' && ch <= '9') {
      if (v > 100000000) return false;
      v = v * 10 + (ch - '0');
      ch = std::fgetc(f);
    }
    return true;  // the one whitespace after the number is consumed
  };
  char magic[2] = {};
  long w = 0, h = 0, maxval = 1;
  bool ok = std::fread(magic, 1, 2, f) == 2 && magic[0] == 'P' &&
            (magic[1] == '1' || magic[1] == '2' || magic[1] == '4' || magic[1] == '5');
  bool bits = ok && (magic[1] == '1' || magic[1] == '4');
  ok = ok && token(w) && token(h) && (bits || token(maxval));
  ok = ok && w >= 1 && h >= 1 && w * h <= 64000000 && maxval >= 1 && maxval <= 65535;
  if (ok) {
    image.width = static_cast<int>(w), image.height = static_cast<int>(h);
    image.grey.assign(static_cast<size_t>(w * h), 255);
    if (magic[1] == '4') {
      size_t rowbytes = static_cast<size_t>((w + 7) / 8);
      std::vector<unsigned char> row(rowbytes);
      for (long r = 0; r < h && ok; ++r) {
        ok = std::fread(row.data(), 1, rowbytes, f) == rowbytes;
        for (long c = 0; c < w && ok; ++c)
          image.grey[r * w + c] = (row[c / 8] >> (7 - c % 8)) & 1 ? 0 : 255;
      }
    } else if (magic[1] == '5') {
      for (long k = 0; k < w * h && ok; ++k) {
        int v = std::fgetc(f);
        if (maxval > 255 && v != EOF) v = v * 256 + std::fgetc(f);
        ok = v >= 0;
        image.grey[k] = static_cast<unsigned char>(std::min(255L, v * 255L / maxval));
      }
    } else {
      for (long k = 0; k < w * h && ok; ++k) {
        long v = 0;
        if (magic[1] == '1') {
          int ch = std::fgetc(f);
          while (ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r') ch = std::fgetc(f);
          ok = ch == '0' || ch == '1';
          image.grey[k] = ch == '1' ? 0 : 255;
        } else {
          ok = token(v);
          image.grey[k] = static_cast<unsigned char>(std::min(255L, v * 255L / maxval));
        }
      }
    }
  }
  std::fclose(f);
  if (!ok) image = GrImage{};
  return ok;
}

bool grbmp_world(std::string_view name, int width, int height, double& x0, double& y0, double& dx,
                 double& dy) {
  std::string wld(name);
  size_t dot = wld.find_last_of('.');
  size_t slash = wld.find_last_of('/');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) wld.resize(dot);
  wld += ".wld";
  const int u = grcomn.JDV2GR;
  double v[6] = {};
  if (file_exists(wld)) {
    if (uopen(u, wld, FStatus::Old) != 0) return false;
    std::string s;
    bool ok = true;
    for (double& d : v) ok = ok && uread(u, s) == 0 && fread_list(s, {d}) == 0;
    uclose(u);
    // Rotation terms are not drawn; the pixel size must be usable.
    if (!ok || !(v[0] > 0) || !(v[3] < 0)) return false;
  } else {
    const GrComn& c = grcomn;
    v[0] = (c.XMAXGR - c.XMINGR) / std::max(width, 1);
    v[3] = -(c.YMAXGR - c.YMINGR) / std::max(height, 1);
    v[4] = c.XMINGR + c.XORGR + v[0] / 2;
    v[5] = c.YMAXGR + c.YORGR + v[3] / 2;
    if (!(v[0] > 0) || !(v[3] < 0) || uopen_replace(u, wld) != 0) return false;
    for (double d : v) fwrite(u, "(f20.6)", {d});
    if (uclose(u) != 0) return false;
    grmesg("created new world file");
  }
  dx = v[0], dy = -v[3];
  x0 = v[4] - dx / 2, y0 = v[5] + dy / 2;
  return true;
}

void grbitmap(std::string_view name, double x0, double y0, double dx, double dy) {
  GrImage im;
  if (grcomn.IMODGR != 8 && !grbmpr(name, im)) {
    grmesg("Error reading: " + std::string(trim_right(name)));
    return;
  }
  bitmap_out(im, trim_right(name), x0, y0, dx, dy);
}

void gr_keep_install() {
  grhooks.keep_read = keep_read;
  grhooks.keep_write = keep_write;
}

}  // namespace riv
