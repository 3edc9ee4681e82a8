// Axes and scales, number labels, the progress bar, frames and table
// interpolation.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "graphics/graphics.hpp"
#include "graphics/grlocal.hpp"
#include "input/fformat.hpp"

namespace riv {

namespace {

int g_beam_last = -1;  // percentage last drawn by the progress bar

// Moves an axis start down to a whole multiple of its step.
double align_start(double start, float step) {
  if (step == 0.0f) return start;
  double q = start / step, t = std::trunc(q);
  return (q <= 0 && q != t ? t - 1 : t) * step;
}

std::string strip_newline(std::string s) {
  while (!s.empty() && s.back() == '\n') s.pop_back();
  return s;
}

// Tick values of [lo, hi] at multiples of a nice step (at most 200).
void ticks(double lo, double hi, int n, std::vector<double>& t, float& step) {
  t.clear();
  double s;
  grscal(static_cast<float>(lo), static_cast<float>(hi), n, s, step);
  if (!(step > 0.0f) || !std::isfinite(s)) return;
  double eps = 1e-4 * step;
  double k0 = std::ceil((lo - s) / step - 1e-4);
  for (int k = 0; k < 200; ++k) {
    double v = s + (k0 + k) * step;
    if (v > hi + eps) break;
    if (std::fabs(v) < eps) v = 0.0;
    t.push_back(v);
  }
}

// Pixel offsets from the plot origin of a world point.
void offsets(double x, double y, float& xu, float& yu) {
  const GrComn& c = grcomn;
  xu = static_cast<float>((x - c.XMINGR) * c.XFACGR);
  yu = static_cast<float>(-(y - c.YMINGR) * c.YFACGR);
}

void text_at(float x, float y, std::string_view s) {
  grmov2(x, y);
  granot(s);
}

// Base line of the y-axis title, which ends at x = tend, half way up
// (pixels, y upwards): moved into the nearest gap between the tick labels
// (base lines at ticks - 4, 12 pixels high, from x = lstart on) when it
// would cover one; above the axes when no gap is high enough.
float y_title_line(const std::vector<float>& ticks, float ay0, float ay1, float tend,
                   float lstart) {
  const float mid = (ay0 + ay1) / 2 + 16;
  if (tend < lstart) return mid;
  auto clear = [&](float b) {
    return std::none_of(ticks.begin(), ticks.end(),
                        [&](float t) { return b - 3 < t - 4 + 11 && t - 4 - 3 < b + 11; });
  };
  const float lo = std::min(ay0, ay1), hi = std::max(ay0, ay1) - 10;
  for (float d = 0; d <= hi - lo; d += 1) {
    if (mid + d <= hi && clear(mid + d)) return mid + d;
    if (mid - d >= lo && clear(mid - d)) return mid - d;
  }
  return std::max(ay0, ay1) + 6;
}

// The axes box with its ticks, and with labels when asked. Drawn in pixels
// relative to the plot origin, so that ticks and labels outside the plot
// area are not clipped away.
void draw_axes(bool labels) {
  GrComn& c = grcomn;
  double x0 = std::min(c.XMINGR, c.XMAXGR), x1 = std::max(c.XMINGR, c.XMAXGR);
  double y0 = std::min(c.YMINGR, c.YMAXGR), y1 = std::max(c.YMINGR, c.YMAXGR);
  std::vector<double> tx, ty;
  float sx = 0, sy = 0;
  ticks(x0, x1, std::max(c.NXINGR, 1), tx, sx);
  ticks(y0, y1, std::max(c.NYINGR, 1), ty, sy);
  float ax0, ay0, ax1, ay1;
  offsets(x0, y0, ax0, ay0);
  offsets(x1, y1, ax1, ay1);
  std::vector<float> px, py;
  for (double v : tx) {
    float u, w;
    offsets(v, y0, u, w);
    px.push_back(u);
  }
  for (double v : ty) {
    float u, w;
    offsets(x0, v, u, w);
    py.push_back(w);
  }
  grclip(0);
  grcolr(0);
  if (labels && c.IN04GR != 0) {
    grdash(3);
    for (float u : px) grmov2(u, ay0), grdrw2(u, ay1);
    for (float w : py) grmov2(ax0, w), grdrw2(ax1, w);
  }
  grdash(1);
  grmov2(ax0, ay0);
  grdrw2(ax1, ay0);
  grdrw2(ax1, ay1);
  grdrw2(ax0, ay1);
  grdrw2(ax0, ay0);
  for (float u : px) grmov2(u, ay0), grdrw2(u, ay0 - 5), grmov2(u, ay1), grdrw2(u, ay1 + 5);
  for (float w : py) grmov2(ax0, w), grdrw2(ax0 - 5, w), grmov2(ax1, w), grdrw2(ax1 + 5, w);
  if (labels) {
    char buf[12];
    int wmax = 0;
    std::vector<std::string> lx;
    for (double v : tx) {
      int w = 0;
      grprnt(static_cast<float>(v + c.XORGR), sx, buf, w);
      lx.push_back(std::string(trim_right(std::string_view(buf, 12))));
      wmax = std::max(wmax, static_cast<int>(lx.back().find_first_not_of(' ') == std::string::npos
                                                 ? 0
                                                 : lx.back().size()));
    }
    for (size_t i = 0; i < lx.size(); ++i) {
      if (wmax >= 6 && i % 2 == 1) continue;
      text_at(px[i], ay0 - 17, "~~" + lx[i]);
    }
    float lwide = 0;  // the widest y label
    for (size_t i = 0; i < ty.size(); ++i) {
      int w = 0;
      grprnt(static_cast<float>(ty[i] + c.YORGR), sy, buf, w);
      std::string s(trim_right(std::string_view(buf, 12)));
      lwide = std::max(lwide, 6.0f * static_cast<float>(s.size()));
      text_at(ax0 - 8 - 6.0f * static_cast<float>(s.size()), py[i] - 4, s);
    }
    text_at((ax0 + ax1) / 2, ay0 - 30, "~~" + grcomt.XTXTGR.str());
    if (!grcomt.YTXTGR.blank()) {
      const std::string_view t = grcomt.YTXTGR.trimmed();
      const float yt =
          y_title_line(py, ay0, ay1, -62.0f + 6.0f * static_cast<float>(t.size()), ax0 - 8 - lwide);
      text_at(-62.0f, yt, t);
    }
    if (c.IKEYGR < 1) {
      text_at(ax0, ay1 + 18, grcomt.TITLGR.trimmed());
      text_at(ax0, ay1 + 6, grcomt.SUBTGR.trimmed());
    }
    if (c.IDATGR != 0) text_at(ax0, ay0 - 44, grcomt.DATEGR.str() + "  " + grcomt.FIRMGR.str());
  }
  grdump();
  grclip(1);
}

}  // namespace

void gr_reset_beam() { g_beam_last = -1; }

void graxes(float xmin, float xmax, float ymin, float ymax, int flag) {
  GrComn& c = grcomn;
  if (flag != 0) {
    for (int pass = 0; pass < 2; ++pass) {
      float a = xmin, b = std::max(xmax, xmin + 0.01f);
      float e = ymin, f = std::max(ymax, ymin + 0.01f);
      double xs, ys;
      float xst, yst;
      grscal(a, b, c.NXINGR, xs, xst);
      grscal(e, f, c.NYINGR, ys, yst);
      if (c.IN02GR == 1) {
        float big = std::max(std::fabs(xst), std::fabs(yst));
        if (std::fabs(xst) < big) {
          xst = std::copysign(big, xst);
          xs = align_start(xs, xst);
        } else if (std::fabs(yst) < big) {
          yst = std::copysign(big, yst);
          ys = align_start(ys, yst);
        }
      }
      c.XMINGR = xs;
      c.XMAXGR = xs + c.NXINGR * static_cast<double>(xst);
      c.YMINGR = ys;
      c.YMAXGR = ys + c.NYINGR * static_cast<double>(yst);
      grsfac();
      c.XMNCGR = std::min(c.XMINGR, c.XMAXGR), c.XMXCGR = std::max(c.XMINGR, c.XMAXGR);
      c.YMNCGR = std::min(c.YMINGR, c.YMAXGR), c.YMXCGR = std::max(c.YMINGR, c.YMAXGR);
      if (xst != 0.0f && yst != 0.0f) break;
      c.INDSGR = 1;
      c.IN01GR = 1;
    }
  }
  if (!gr_screen_mode(c.IMODGR)) return;
  draw_axes(true);
}

void graxes2() {
  if (gr_screen_mode(grcomn.IMODGR)) draw_axes(false);
}

void grprnt(float value, float step, std::span<char> text, int& width) {
  const bool centre = width != 0;
  const double v = value, av = std::fabs(v);
  int d = av > 0 ? std::max(0, static_cast<int>(std::trunc(std::log10(av)))) + 1 : 1;
  if (v < 0) ++d;
  std::string out;
  width = 0;
  auto fixed = [&](int w, int k) {
    std::string fmt;
    int nx = centre ? (12 - w) / 2 : 0;
    if (centre && nx < 1) {
      out = strip_newline(fformat("(D12.4)", {v}));
      width = 12;
      return;
    }
    fmt = "(" + (nx > 0 ? std::to_string(nx) + "X," : std::string()) + "F" + std::to_string(w) +
          "." + std::to_string(k) + ")";
    out = strip_newline(fformat(fmt, {value}));
    width = w;
  };
  auto exponent = [&] {
    out = strip_newline(fformat("(e9.3,9X)", {value}));
    width = 9;
  };
  if (step <= 0.0f) {
    int w = d + 1;
    if (w < 13)
      out = strip_newline(fformat("(I" + std::to_string(w) + ")", {std::llround(v)})), width = w;
    else
      exponent();
  } else {
    int k = std::max(0, static_cast<int>(std::lround(0.5 - std::log10(static_cast<double>(step)))));
    int w = d + k + 1;
    if (k < 5 && w < 13) {
      fixed(w, k);
      // A value rounded up to one more digit widens the field by one.
      if (out.find('*') != std::string::npos && w + 1 < 13) fixed(w + 1, k);
    } else {
      exponent();
    }
  }
  size_t f = out.find_first_not_of(' ');
  if (f != std::string::npos && f > 0 && out[f] == '.') out[f - 1] = '0';
  if (f != std::string::npos && f > 0 && out[f] == '-' && f + 1 < out.size() && out[f + 1] == '.') {
    out[f - 1] = '-';
    out[f] = '0';
  }
  fassign(text, out);
}

void grbeam(int i, int n, std::string_view text) {
  GrComn& c = grcomn;
  if (i == -1) {
    g_beam_last = -1;
    return;
  }
  n = std::max(n, 1);
  // A count that reaches the full count reads 100 % (not 0 % of the next round).
  int p = i > 0 && i % n == 0 ? 100
                              : std::max(0, static_cast<int>(static_cast<float>(i % n) /
                                                             static_cast<float>(n) * 100.0f));
  if (p == g_beam_last) return;
  g_beam_last = p;
  // A file being written waits while the bar is drawn on the screen.
  const int mode = c.IMODGR, pin = c.IPINGR;
  const float xp = c.XPENGR, yp = c.YPENGR;
  if (mode >= 8) {
    grdump();
    c.IMODGR = grsaved_mode();
  }
  if (gr_screen_mode(c.IMODGR)) {
    grclip(0);
    const float top = c.YBEAMGR, bot = c.YBEAMGR - 14.0f;
    float bx[4] = {0, 200, 200, 0}, by[4] = {bot, bot, top, top};
    grfram(bx, by, 1, -2);
    grfram(bx, by, 0, -3);
    int cells = static_cast<int>(0.3f * static_cast<float>(p) + 0.5f);
    for (int j = 0; j < cells; ++j) {
      float a = j * 20.0f / 3.0f, b = (j + 1) * 20.0f / 3.0f;
      float cx[4] = {a, b, b, a};
      grfram(cx, by, 1, -5);
      grfram(cx, by, 0, -2);
    }
    grcolr(0);
    std::string label =
        "~~" + std::string(trim_right(text)) + strip_newline(fformat("(i3,'%')", {p}));
    grmov2(100.0f, bot + 3.0f);
    granot(label);
    grmesg_avoid(0.0f, bot, 200.0f, 14.0f);
    grflip();
    grclip(1);
  }
  c.IMODGR = mode;
  c.IPINGR = pin;
  c.XPENGR = xp;
  c.YPENGR = yp;
}

void grbeam_off() {
  GrComn& c = grcomn;
  if (g_beam_last < 0 || !gr_screen_mode(c.IMODGR)) return;
  g_beam_last = -1;
  grclip(0);
  const float top = c.YBEAMGR + 1.0f, bot = c.YBEAMGR - 15.0f;
  float bx[4] = {-1, 201, 201, -1}, by[4] = {bot, bot, top, top};
  grfram(bx, by, 1, -1);
  grfram(bx, by, 0, -1);
  grflip();
  grclip(1);
}

void grfram(const float* x, const float* y, int flag, int col) {
  if (flag != 0) {
    grfil2(x, y, 4, col);
    return;
  }
  grcolr(col);
  grmov2(x[0], y[0]);
  for (int i = 1; i <= 4; ++i) grdrw2(x[i % 4], y[i % 4]);
  grdump();
}

float grint0(int n, const float* xs, const float* ys, float x) {
  if (n < 1) return 0.0f;
  if (n == 1 || x <= xs[0]) return ys[0];
  if (x >= xs[n - 1]) return ys[n - 1];
  int i = 1;
  while (i < n - 1 && xs[i] < x) ++i;
  float dx = xs[i] - xs[i - 1];
  if (dx == 0.0f) return ys[i];
  return ys[i - 1] + (x - xs[i - 1]) / dx * (ys[i] - ys[i - 1]);
}

}  // namespace riv
