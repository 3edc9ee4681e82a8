// The line-plot viewer: result lines (profiles, distributions) in the plot
// control loop, with hiding, node moving, nearest-node queries, labels,
// values relative to a reference line, rotation, smoothing, statistics,
// listings of lines and slopes, and the key.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "graphics/graphics.hpp"
#include "graphics/grkey.hpp"
#include "graphics/grlocal.hpp"
#include "input/fformat.hpp"
#include "input/freeread.hpp"
#include "input/stop.hpp"
#include "input/units.hpp"

namespace riv {

namespace {

constexpr float kNoData = 9999.0f;
constexpr int kListMax = 3999;

// What the viewer keeps between plots of the run and the data of the plot
// being shown.
struct Klin {
  bool smooth = false;
  int label = 0;            // 0 off, 1 ticks, 2 ticks and values
  float x0 = 0, slope = 0;  // rotation origin and slope in percent
  bool origine = false;     // values shown relative to a reference line
  int moved = -1;           // node altered last, with its old place
  float old_x = 0, old_y = 0;
  int picked = -1;         // node chosen by Alter, waiting for its new place
  bool key_grab = false;   // the key follows the next click
  bool key_click = false;  // the last click went to the key
  bool scaled = false;     // the scale array was ever filled
  float scale[4] = {0, 0, 1, 1};
  FStr<40> labels[kKlinShown];

  // The plot being shown.
  const int* nper = nullptr;
  const int* isym = nullptr;
  int* ilin = nullptr;
  float* x = nullptr;
  float* y = nullptr;
  const float* values = nullptr;
  int nline = 0;
  int options = 0;
  std::vector<int> first;  // index of the first point of each line
  int total = 0;
};
Klin g;

std::string one_line(std::string s) {
  while (!s.empty() && s.back() == '\n') s.pop_back();
  return s;
}

void queue(std::initializer_list<const char*> keys) {
  grscpt(std::vector<std::string>(keys.begin(), keys.end()));
}

bool line_smoothed(int l) { return g.smooth && grklin_smoothable(g.isym[l], g.ilin[l]); }

// The unit of an axis label: the text between "[" and "]", blank when none.
std::string_view unit_of(std::string_view label) {
  const size_t a = label.find('['), b = label.find(']', a == std::string_view::npos ? 0 : a);
  if (a == std::string_view::npos || b == std::string_view::npos) return {};
  return trim_right(label.substr(a + 1, b - a - 1));
}

// Slopes are in % of the plotted quantities in their own units: stations
// plotted in km against levels in m are metres, 1000 x.
float x_metres() {
  const std::string_view xu = unit_of(grcomt.XTXTGR.view()), yu = unit_of(grcomt.YTXTGR.view());
  return xu == "km" && yu != "km" ? 1000.0f : 1.0f;
}

// Effective y of every point of line l (smoothing and rotation applied).
std::vector<float> effective(int l) {
  const int n = g.nper[l], f = g.first[l];
  std::vector<float> v(std::max(n, 0));
  for (int i = 0; i < n; ++i)
    v[i] = grklin_y(n, g.x + f, g.y + f, i, line_smoothed(l), g.x0, g.slope * x_metres());
  return v;
}

// Line and point of the node nearest to (x, y); false outside the plot.
bool pick(float x, float y, int& line, int& point) {
  if (!grinside(x, y) || g.total < 1) return false;
  int k = grnear(x, y, g.total, g.x, g.y);
  if (k < 0) return false;
  line =
      static_cast<int>(std::upper_bound(g.first.begin(), g.first.end(), k) - g.first.begin()) - 1;
  // Lines without points share their start with the next line.
  while (line > 0 && g.nper[line] < 1) --line;
  point = k - g.first[line];
  return true;
}

// The line a command works on: the only one, or the one nearest to the
// click; asks with `prompt` when there is none yet.
bool choose_line(const char* prompt, int& line) {
  int point = 0;
  if (g.nline == 1) {
    line = 0;
    return true;
  }
  if (pick(grcomn.XCRSGR, grcomn.YCRSGR, line, point)) return true;
  grmesg(prompt);
  return false;
}

template <int N>
void show(const std::vector<std::string>& lines) {
  std::vector<FStr<N>> t(lines.begin(), lines.end());
  if (!t.empty()) grtext(static_cast<int>(t.size()), t.data());
}

void alter() {
  for (;;) {
    FStr<16> items[3] = {" CCancel", " DDone", " ??"};
    if (g.moved < 0) items[0] = "-CCancel";
    int ich = 0;
    float x = 0, y = 0;
    grcurs(3, items, ich, x, y);
    if (ich == 1 && g.moved >= 0) {
      g.x[g.moved] = g.old_x, g.y[g.moved] = g.old_y;
      g.moved = -1;
      g.picked = -1;
      queue({"R"});
      return;
    }
    if (ich == 2 || ich < 0) {
      g.picked = -1;
      return;
    }
    if (ich == 3) {
      show<80>({" Option to alter position of nodes.", " Select node with cursor and then click on",
                " new location for the selected node."});
      continue;
    }
    if (ich != 0 || !grinside(x, y)) continue;
    if (g.picked < 0) {
      g.picked = grnear(x, y, g.total, g.x, g.y);
      grflip();
      grmesg("click on the new location");
      continue;
    }
    g.moved = g.picked;
    g.old_x = g.x[g.moved], g.old_y = g.y[g.moved];
    g.x[g.moved] = x, g.y[g.moved] = y;
    g.picked = -1;
    queue({"R", "A"});
    return;
  }
}

void write_line(bool slopes) {
  int l = 0;
  if (!choose_line("choose line", l)) return;
  const int n = std::min(g.nper[l], kListMax), f = g.first[l];
  std::vector<float> ys(g.y + f, g.y + f + g.nper[l]);
  if (line_smoothed(l))
    for (int i = 0; i < g.nper[l]; ++i)
      ys[i] = grklin_y(g.nper[l], g.x + f, g.y + f, i, true, 0.0f, 0.0f);
  std::vector<float> s(ys.size());
  if (slopes) grklin_slope(g.nper[l], g.x + f, ys.data(), s.data());
  for (float& v : s) v /= x_metres();
  std::vector<std::string> t;
  t.push_back(std::string(slopes ? "slope [%] " : "item ") + g.labels[l].str());
  for (int i = 0; i < n; ++i)
    t.push_back(one_line(fformat("(2F12.3)", {g.x[f + i], slopes ? s[i] : ys[i]})));
  show<80>(t);
}

void origine() {
  if (g.origine) {
    g.origine = false;
    grmesg("origine off");
    return;
  }
  int ref = 0, point = 0;
  if (!pick(grcomn.XCRSGR, grcomn.YCRSGR, ref, point)) {
    grmesg("choose origine");
    return;
  }
  g.origine = true;
  const int nr = g.nper[ref], fr = g.first[ref];
  std::vector<float> xr(g.x + fr, g.x + fr + nr), yr(g.y + fr, g.y + fr + nr);
  float lo = 9e10f, hi = -9e10f;
  for (int l = 0; l < g.nline; ++l)
    for (int i = g.first[l]; i < g.first[l] + g.nper[l]; ++i) {
      g.y[i] = l == ref ? 0.0f : g.y[i] - grint0(nr, xr.data(), yr.data(), g.x[i]);
      if (g.y[i] > -9998.0f) lo = std::min(lo, g.y[i]);
      hi = std::max(hi, g.y[i]);
    }
  if (lo <= hi) {
    g.scale[2] = lo, g.scale[3] = hi;
    grsset(grcomn.XMINGR, grcomn.XMAXGR, lo, std::max(hi, lo + 0.01f));
    graxes(static_cast<float>(grcomn.XMINGR), static_cast<float>(grcomn.XMAXGR), lo, hi, 1);
  }
  queue({"R"});
}

void stat() {
  int l = 0;
  if (!choose_line("choose line", l)) return;
  KlinStat s = grklin_stat(g.nper[l], g.x + g.first[l], g.y + g.first[l]);
  show<80>(grklin_stat_lines(g.labels[l].view(), s));
}

void rotate() {
  FStr<18> lab[2] = {"origine", "slope[%]"};
  FStr<16> val[2] = {FStr<16>(one_line(fformat("(f12.2)", {g.x0}))),
                     FStr<16>(one_line(fformat("(f12.2)", {g.slope})))};
  grinfo(2, lab, val);
  if (lab[0] == std::string_view("cancel")) return;
  float x0 = g.x0, s = g.slope;
  if (fread_list(val[0].view(), {x0}) == 0 && std::isfinite(x0)) g.x0 = x0;
  if (fread_list(val[1].view(), {s}) == 0 && std::isfinite(s)) g.slope = s;
  queue({"R"});
}

void help() {
  show<80>({"  Alter   altering position of nodes", "  Hide    hide lines",
            "  Nearest writes values of nearest node", "  Label   plots nodes of lines",
            "  Write   stores selected line data on file",
            "  Slope   stores slopes of selected line data on file",
            "  Origine displays values relative to selected line",
            "  Stat    some characteristic values for selected line", "  Smooth  reduces wiggles",
            " RRotate  rotate line relativ to origin"});
}

// A box in device pixels (x0 < x1, y0 < y1).
struct PixBox {
  float x0, y0, x1, y1;
  bool meets(const PixBox& b) const { return x0 < b.x1 && b.x0 < x1 && y0 < b.y1 && b.y0 < y1; }
};

// The key's box in device pixels, when it is shown.
bool key_pixels(PixBox& p);

// Values written at the nodes of line l (label level 2): a value that would
// cover one written before, or lie under the key, is left out.
void node_values(int l, const std::vector<float>& ye, std::vector<PixBox>& taken) {
  const int n = g.nper[l], f = g.first[l];
  // Lines handed over without values of their own are labelled with the
  // plotted quantity.
  const bool own =
      g.values && std::any_of(g.values + f, g.values + f + n, [](float v) { return v != 0.0f; });
  for (int i = 0; i < n; ++i) {
    const std::string t = one_line(fformat("(f9.3)", {own ? g.values[f + i] : g.y[f + i]}));
    const size_t lead = std::min(t.find_first_not_of(' '), t.size());
    float xd = 0, yd = 0;
    grdevc(g.x[f + i], ye[i], xd, yd);
    const PixBox b{xd + 6.0f * static_cast<float>(lead), yd - 9.0f,
                   xd + 6.0f * static_cast<float>(t.size()), yd + 2.0f};
    if (std::any_of(taken.begin(), taken.end(), [&](const PixBox& o) { return o.meets(b); }))
      continue;
    taken.push_back(b);
    grmov2(g.x[f + i], ye[i]);
    granot(t);
  }
}

void draw_lines() {
  std::vector<PixBox> taken;
  PixBox key{};
  if (g.label == 2 && key_pixels(key)) taken.push_back(key);
  for (int l = 0; l < g.nline; ++l) {
    const int n = g.nper[l], f = g.first[l];
    if (n < 1) continue;
    std::vector<float> ye = effective(l);
    const int code = g.ilin[l];
    if (code > 0) {
      grdash(code % 100 == 0 ? 1 : code % 100);
      grcolr(code / 100);
      for (int i = 0; i < n; ++i) {
        if (i == 0)
          grmov2(g.x[f], ye[0]);
        else
          grdrw2(g.x[f + i], ye[i]);
      }
      if (g.label > 0) {
        for (int i = 0; i < n; ++i) {
          grmov2(g.x[f + i], ye[i]);
          grsymb((code / 100) * 100 + 14);
        }
        if (g.label == 2) node_values(l, ye, taken);
      }
      grdash(1);
    }
    const int sym = g.isym[l];
    if (sym >= 1 && sym <= 999)
      for (int i = 0; i < n; ++i) {
        grmov2(g.x[f + i], ye[i]);
        grsymb(sym);
      }
  }
  grdump();
}

// ---- The key ----
using KeyBox = GrKeyBox;
constexpr float kRow = 12.0f;

KeyBox key_box() {
  const float sk = gr_key_scale();
  size_t longest = std::max(grcomt.TITLGR.trimmed().size(), grcomt.SUBTGR.trimmed().size());
  longest = std::min<size_t>(longest, 80);
  int rows = 2;
  for (int l = 0; l < g.nline; ++l)
    if (!g.labels[l].blank()) {
      ++rows;
      longest = std::max(longest, std::min<size_t>(g.labels[l].trimmed().size(), 32) + 7);
    }
  return gr_key_place((static_cast<float>(longest) * 6.0f + 26.0f) * sk,
                      (static_cast<float>(rows) * kRow + 8.0f) * sk);
}

bool key_pixels(PixBox& p) {
  if (grcomn.IKEYGR < 1 || !gr_screen_mode(grcomn.IMODGR)) return false;
  grdump();
  grclip(0);
  const KeyBox b = key_box();
  grdevc(b.x, b.y + b.h, p.x0, p.y0);
  grdevc(b.x + b.w, b.y, p.x1, p.y1);
  grclip(1);
  return true;
}

void draw_key() {
  if (!gr_screen_mode(grcomn.IMODGR)) return;
  KeyBox b;
  if (!gr_key_begin(key_box, b)) return;
  const float row = b.row;
  float yrow = b.y + b.h - row - 2;
  gr_key_text(b.x + 12, yrow, grcomt.TITLGR.trimmed());
  yrow -= row;
  gr_key_text(b.x + 12, yrow, grcomt.SUBTGR.trimmed());
  for (int l = 0; l < g.nline; ++l) {
    if (g.labels[l].blank()) continue;
    yrow -= row;
    const float ym = yrow + 4;
    const int code = g.ilin[l];
    if (code > 0) {
      grdash(code % 100 == 0 ? 1 : code % 100);
      grcolr(code / 100);
      grmov2(b.x + 4, ym);
      grdrw2(b.x + 34, ym);
      grdash(1);
    }
    if (g.isym[l] >= 1 && g.isym[l] <= 999) {
      grmov2(b.x + 19, ym);
      grsymb(g.isym[l]);
    }
    gr_key_text(b.x + 40, yrow, g.labels[l].trimmed().substr(0, 32));
  }
  grdump();
  grclip(1);
}

void click_key() {
  const GrKeyClick r = gr_key_click(g.key_grab, key_box);
  g.key_click = r != GrKeyClick::Off;
  if (r == GrKeyClick::Inside) {
    // Anywhere else inside: the key follows the next click.
    g.key_grab = true;
    grmesg("click on the new place of the key");
  } else if (r != GrKeyClick::Off) {
    queue({"R"});
  }
}

}  // namespace

KlinScaleChoice grklin_option(int option, int inds, bool& smooth) {
  KlinScaleChoice w;
  const int o = std::max(option, 0);
  if (o / 16 == 1) smooth = false;
  const int r = o % 16;
  if (r & 2) smooth = true;
  if (r & 1) grcomn.IN08GR = 1;
  if (r & 12) {
    w.y = true;
    w.x = !((r & 8) && inds != 1);
  } else if (inds == 1) {
    w.x = w.y = true;
  }
  return w;
}

void grklin_range(int n, const float* x, const float* y, KlinScaleChoice which, float* s) {
  if (n < 1) return;
  if (which.x) {
    float lo = x[0], hi = x[0];
    for (int i = 1; i < n; ++i) lo = std::min(lo, x[i]), hi = std::max(hi, x[i]);
    s[0] = lo, s[1] = hi;
  }
  if (which.y) {
    // The no-data value 9999 is kept out of both ends of the range.
    float lo = 9e10f, hi = -9e10f;
    for (int i = 0; i < n; ++i) {
      if (std::fabs(y[i] - kNoData) <= 0.1f) continue;
      lo = std::min(lo, y[i]), hi = std::max(hi, y[i]);
    }
    if (lo <= hi) s[2] = lo, s[3] = hi;
  }
}

float grklin_y(int n, const float* x, const float* y, int i, bool smooth, float x0,
               float slope_pct) {
  float v = y[i];
  if (smooth && i > 0 && i < n - 1) v = (2.0f * y[i] + y[i - 1] + y[i + 1]) / 4.0f;
  if (std::fabs(slope_pct) > 0.01f) v -= slope_pct * 0.01f * (x[i] - x0);
  return v;
}

KlinStat grklin_stat(int n, const float* x, const float* y) {
  KlinStat s;
  s.n = std::max(n, 0);
  if (n < 1) return s;
  double sum = 0, sum2 = 0, vol = 0;
  for (int i = 0; i < n; ++i) {
    sum += y[i], sum2 += static_cast<double>(y[i]) * y[i];
    if (i > 0) vol += (y[i] + y[i - 1]) / 2.0 * std::fabs(x[i] - x[i - 1]);
  }
  const double mean = sum / n;
  s.mean = static_cast<float>(mean);
  // A single point has no spread; rounding must not make the root imaginary.
  s.sd = n > 1 ? static_cast<float>(std::sqrt(std::max(0.0, (sum2 - mean * mean * n) / (n - 1))))
               : 0.0f;
  if (n <= 4000) {
    std::vector<float> v(y, y + n);
    std::sort(v.begin(), v.end());
    s.median = v[(n + 1) / 2 - 1];
  }
  s.volume = static_cast<float>(vol);
  return s;
}

std::vector<std::string> grklin_stat_lines(std::string_view label, const KlinStat& s) {
  return {std::string(trim_right(label)),
          one_line(fformat("('NODES=   ',I12)", {s.n})),
          one_line(fformat("('MEAN=    ',F12.3)", {s.mean})),
          one_line(fformat("('MEDIAN=  ',F12.3)", {s.median})),
          one_line(fformat("('STD.DEV.=',F12.3)", {s.sd})),
          one_line(fformat("('VOLUME=  ',F12.3)", {s.volume}))};
}

void grklin_slope(int n, const float* x, const float* y, float* s) {
  for (int i = 0; i < n; ++i) {
    const int a = std::max(i - 1, 0), b = std::min(i + 1, n - 1);
    const float dx = x[b] - x[a];
    s[i] = (a == b || dx == 0.0f) ? 0.0f : (y[b] - y[a]) / dx * 100.0f;
  }
}

std::string grnear_text(float x, float y, int line, int point) {
  return one_line(fformat("('(X,Y)',2F12.3,' Line',i3,' Pnt',i4)", {x, y, line, point}));
}

int grnear(float x, float y, int n, const float* xs, const float* ys) {
  const GrComn& c = grcomn;
  int best = -1;
  double dbest = 0;
  for (int i = 0; i < n; ++i) {
    const double dx = (xs[i] - x) * static_cast<double>(c.XFACGR);
    const double dy = (ys[i] - y) * static_cast<double>(c.YFACGR);
    const double d = dx * dx + dy * dy;
    if (std::isfinite(d) && (best < 0 || d < dbest)) best = i, dbest = d;
  }
  if (best >= 0) {
    grmov2(xs[best], ys[best]);
    grsymb(403);
    grdump();
  }
  return best;
}

void grkey1(int mode) {
  if (mode == 3)
    draw_key();
  else if (mode == 4)
    click_key();
}

void grkli1(int mode, float* s) {
  GrComn& c = grcomn;
  if (mode >= 0 && mode != 4) g.key_click = false;
  switch (mode) {
    case 0: {
      KlinScaleChoice w = grklin_option(g.options, c.INDSGR, g.smooth);
      if (!g.scaled) w.x = w.y = true;
      grklin_range(g.total, g.x, g.y, w, s);
      if (!(s[1] > s[0])) s[1] = s[0] + 1.0f;
      if (!(s[3] > s[2])) s[3] = s[2] + 1.0f;
      g.scaled = true;
      grctrl_items({" AAlter", "<HHide>", "<NNearest>", " LLabel", "-XXreverse", "<WWrite>",
                    "<SSlope>", "<OOrigine>", "<SStat>", "  smooth", " RRotate", " ??"});
      return;
    }
    case 1: draw_lines(); return;
    case 3:
    case 4: grkey1(mode); return;
    default: break;
  }
  if (mode >= 0) return;
  if (g.key_click) {
    // The click that reached the sticky command was taken by the key.
    g.key_click = false;
    return;
  }
  const float x = c.XCRSGR, y = c.YCRSGR;
  int line = 0, point = 0;
  switch (-mode) {
    case 1: alter(); break;
    case 2:
      if (!pick(x, y, line, point)) {
        grmesg("choose line");
        break;
      }
      g.ilin[line] = -g.ilin[line];
      queue({"R"});
      break;
    case 3:
      if (!pick(x, y, line, point)) {
        grmesg("choose node");
        break;
      }
      grflip();
      grmesg(grnear_text(static_cast<float>(g.x[g.first[line] + point] + c.XORGR),
                         static_cast<float>(g.y[g.first[line] + point] + c.YORGR), line + 1,
                         point + 1));
      break;
    case 4:
      g.label = (g.label + 1) % 3;
      queue({"R"});
      break;
    case 6: write_line(false); break;
    case 7: write_line(true); break;
    case 8: origine(); break;
    case 9: stat(); break;
    case 10:
      g.smooth = !g.smooth;
      queue({"R"});
      break;
    case 11: rotate(); break;
    case 12: help(); break;
    default: break;
  }
}

void grklin_view_reset() {
  g.smooth = false;
  g.label = 0;
  g.x0 = g.slope = 0;
  g.origine = false;
  g.scaled = false;
}

void grklin(const int* nper, const int* isym, int* ilin, const FStr<40>* titl, int nline, float* x,
            float* y, const float* values, FStr<240>& titles, int options, int kplot) {
  GrComn& c = grcomn;
  (void)kplot;
  if (nline > kKlinMax) {
    fwrite(kStdout, "(a)", {"too many lines in GRKLIN"});
    stop_program(kExitOk);
  }
  nline = std::clamp(nline, 0, kKlinShown);
  g.nper = nper, g.isym = isym, g.ilin = ilin, g.x = x, g.y = y, g.values = values;
  g.nline = nline;
  g.options = options;
  g.first.assign(nline, 0);
  g.total = 0;
  for (int l = 0; l < nline; ++l) g.first[l] = g.total, g.total += std::max(nper[l], 0);
  for (int l = 0; l < nline; ++l) {
    g.labels[l] = titl[l].view();
    if (c.LANGGR >= 2) grtrans(c.LANGGR, g.labels[l]);
  }
  g.moved = g.picked = -1;
  g.key_grab = g.key_click = false;
  const int in02 = c.IN02GR, ikey = c.IKEYGR;
  const double xo = c.XORGR, yo = c.YORGR;
  c.IKEYGR = 1;
  // Axes that carry different quantities (a distance against velocities and
  // depths) open with a scale of their own each; Query can still tie them.
  if (unit_of(titles.sub(161, 200)) != unit_of(titles.sub(201, 240))) c.IN02GR = 0;
  grctrl([](int mode, float* s) { grkli1(mode, s); }, options, titles, g.scale);
  c.IKEYGR = ikey;
  c.IN02GR = in02;
  c.XORGR = xo, c.YORGR = yo;
}

}  // namespace riv
