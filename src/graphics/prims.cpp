// Drawing primitives: the pen plotter of the library. Each routine draws on
// the screen through the display driver or writes a record to the file of the
// active output mode (keep file 8, DXF 9, shapefile 10, ArcPolygon 11).
#include <algorithm>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "graphics/graphics.hpp"
#include "graphics/grlocal.hpp"
#include "input/fformat.hpp"
#include "input/units.hpp"

namespace riv {

namespace {

constexpr int kPolyline = 100;  // points of the screen polyline buffer
constexpr int kFillVertices = 2000;

int g_col_mode = -1, g_col = INT_MIN;    // last colour applied, with its mode
int g_dash_mode = -1, g_dash = INT_MIN;  // last dash style applied

// Marker strokes (dx, dy, pen) in pixels at symbol factor 1; pen 0 moves,
// 1 draws; y grows downwards. A stroke with pen -1 ends the list.
const signed char kSymbols[15][15][3] = {
    {{0, -4, 1},
     {-2, 0, 1},
     {-2, 2, 1},
     {0, 4, 1},
     {2, 2, 1},
     {4, 0, 1},
     {2, -2, 1},
     {0, -4, 1},
     {-2, -2, 1},
     {-2, 0, 1},
     {0, 4, 0},
     {0, 0, -1}},
    {{0, -4, 1}, {-4, 0, 1}, {0, 8, 1}, {8, 0, 1}, {0, -8, 1}, {-4, 0, 1}, {0, 4, 0}, {0, 0, -1}},
    {{0, -4, 1}, {-4, 8, 1}, {8, 0, 1}, {-4, -8, 1}, {0, 4, 0}, {0, 0, -1}},
    {{0, -4, 0}, {0, 8, 1}, {-4, -4, 0}, {8, 0, 1}, {-4, 0, 0}, {0, 0, -1}},
    {{-4, -4, 0}, {8, 8, 1}, {0, -8, 0}, {-8, 8, 1}, {4, -4, 0}, {0, 0, -1}},
    {{0, -4, 1}, {-4, 4, 1}, {4, 4, 1}, {4, -4, 1}, {-4, -4, 1}, {0, 4, 0}, {0, 0, -1}},
    {{0, 4, 0}, {0, -8, 1}, {-4, 4, 1}, {8, 0, 1}, {-4, -4, 1}, {0, 4, 0}, {0, 0, -1}},
    {{-4, 4, 0}, {8, -8, 1}, {-8, 0, 1}, {8, 8, 1}, {-4, -4, 0}, {0, 0, -1}},
    {{-4, -4, 0}, {8, 0, 1}, {-8, 8, 1}, {8, 0, 1}, {0, -4, 0}, {-8, 0, 1}, {4, 0, 0}, {0, 0, -1}},
    {{-4, -4, 0}, {4, 4, 1}, {4, -4, 1}, {-4, 4, 0}, {0, 4, 1}, {0, -4, 0}, {0, 0, -1}},
    {{-4, -4, 0},
     {8, 8, 1},
     {0, -8, 0},
     {-8, 8, 1},
     {2, -2, 0},
     {0, -4, 1},
     {4, 0, 1},
     {0, 4, 1},
     {-4, 0, 1},
     {2, -2, 0},
     {0, 0, -1}},
    {{-4, -4, 0},
     {8, 8, 1},
     {0, -8, 0},
     {-8, 8, 1},
     {0, -4, 0},
     {8, 0, 1},
     {-4, -4, 0},
     {0, 8, 1},
     {0, -4, 0},
     {0, 0, -1}},
    {{-4, -4, 1}, {8, 0, 1}, {-8, 8, 1}, {8, 0, 1}, {-4, -4, 1}, {0, 0, -1}},
    {{0, -4, 0}, {0, 8, 1}, {0, -4, 0}, {0, 0, -1}},
    {{-2, -4, 0},
     {2, 8, 1},
     {2, -8, 1},
     {-6, 6, 1},
     {8, 0, 1},
     {-6, -6, 1},
     {2, 8, 1},
     {0, -4, 0},
     {0, 0, -1}},
};

// Library colours 0 and below: black, white and a few greys and tints.
constexpr int kFixedColours[12] = {20, 0, 1, 3, 10, 73, 71, 103, 114, 118, 98, 128};

bool screen() { return gr_screen_mode(grcomn.IMODGR); }

// Device pixel of a world point (truncated, kept in a range the drivers take).
void pixel(double x, double y, int& px, int& py) {
  const GrComn& c = grcomn;
  float xd = static_cast<float>((x - c.XMINGR) * c.XFACGR + c.XORGGR);
  float yd = static_cast<float>((y - c.YMINGR) * c.YFACGR + c.YORGGR);
  // A point that is no number lands on the lower bound, never past the int range.
  auto fit = [](float v) {
    return std::isfinite(v) ? std::clamp(v, -1.0e7f, 1.0e7f) : v > 0 ? 1.0e7f : -1.0e7f;
  };
  px = static_cast<int>(fit(xd));
  py = static_cast<int>(fit(yd));
}

// The buffer becomes the one point (px, py); what it held is drawn first.
void buf_start(int px, int py) {
  GrComn& c = grcomn;
  if (c.NPOLGR >= 1 && c.IXPLGR[c.NPOLGR] == px && c.IYPLGR[c.NPOLGR] == py) return;
  if (c.NPOLGR >= 2) grdump();
  c.NPOLGR = 1;
  c.IXPLGR[1] = px;
  c.IYPLGR[1] = py;
}

// Appends a point to the buffer unless it repeats the last one.
void buf_append(int px, int py) {
  GrComn& c = grcomn;
  if (c.NPOLGR >= 1 && c.IXPLGR[c.NPOLGR] == px && c.IYPLGR[c.NPOLGR] == py) return;
  if (c.NPOLGR >= kPolyline) grdump();
  ++c.NPOLGR;
  c.IXPLGR[c.NPOLGR] = px;
  c.IYPLGR[c.NPOLGR] = py;
}

// Clips the segment to the clipping window (Liang-Barsky); false when
// nothing of it is inside. Ends already inside are kept exactly.
bool clip_segment(double& x1, double& y1, double& x2, double& y2) {
  const GrComn& c = grcomn;
  double t0 = 0.0, t1 = 1.0, dx = x2 - x1, dy = y2 - y1;
  auto edge = [&](double p, double q) {
    if (p == 0.0) return q >= 0.0;
    double r = q / p;
    if (p < 0.0) {
      if (r > t1) return false;
      t0 = std::max(t0, r);
    } else {
      if (r < t0) return false;
      t1 = std::min(t1, r);
    }
    return true;
  };
  if (!edge(-dx, x1 - c.XMNCGR) || !edge(dx, c.XMXCGR - x1) || !edge(-dy, y1 - c.YMNCGR) ||
      !edge(dy, c.YMXCGR - y1))
    return false;
  double ax = x1 + t0 * dx, ay = y1 + t0 * dy;
  if (t1 < 1.0) x2 = x1 + t1 * dx, y2 = y1 + t1 * dy;
  x1 = ax, y1 = ay;
  // Keep rounding from pushing a clipped end a hair outside the window.
  x1 = std::clamp(x1, c.XMNCGR, c.XMXCGR), x2 = std::clamp(x2, c.XMNCGR, c.XMXCGR);
  y1 = std::clamp(y1, c.YMNCGR, c.YMXCGR), y2 = std::clamp(y2, c.YMNCGR, c.YMXCGR);
  return true;
}

// Writes values in lines of 30, each with the edit descriptor E14.6.
void write_values(int unit, const std::vector<float>& v) {
  std::string line;
  for (size_t i = 0; i < v.size(); ++i) {
    std::string f = fformat("(E14.6)", {v[i]});
    if (!f.empty() && f.back() == '\n') f.pop_back();
    line += f;
    if ((i + 1) % 30 == 0 || i + 1 == v.size()) {
      fwrite(unit, "(a)", {line});
      line.clear();
    }
  }
}

// Sutherland-Hodgman clipping of a polygon against the clipping window,
// one edge after the other. The buffers are kept between calls.
std::vector<double> g_px, g_py, g_qx, g_qy;
void clip_polygon() {
  const GrComn& c = grcomn;
  for (int e = 0; e < 4; ++e) {
    auto inside = [&](double x, double y) {
      switch (e) {
        case 0: return x >= c.XMNCGR;
        case 1: return y >= c.YMNCGR;
        case 2: return x <= c.XMXCGR;
        default: return y <= c.YMXCGR;
      }
    };
    auto cross = [&](double ax, double ay, double bx, double by, double& x, double& y) {
      double lim = e == 0 ? c.XMNCGR : e == 1 ? c.YMNCGR : e == 2 ? c.XMXCGR : c.YMXCGR;
      if (e % 2 == 0) {
        double t = (lim - ax) / (bx - ax);
        x = lim, y = ay + t * (by - ay);
      } else {
        double t = (lim - ay) / (by - ay);
        y = lim, x = ax + t * (bx - ax);
      }
    };
    g_qx.clear();
    g_qy.clear();
    size_t n = g_px.size();
    for (size_t i = 0; i < n; ++i) {
      double ax = g_px[(i + n - 1) % n], ay = g_py[(i + n - 1) % n];
      double bx = g_px[i], by = g_py[i];
      bool ain = inside(ax, ay), bin = inside(bx, by);
      double x, y;
      if (bin) {
        if (!ain) {
          cross(ax, ay, bx, by, x, y);
          g_qx.push_back(x), g_qy.push_back(y);
        }
        g_qx.push_back(bx), g_qy.push_back(by);
      } else if (ain) {
        cross(ax, ay, bx, by, x, y);
        g_qx.push_back(x), g_qy.push_back(y);
      }
    }
    g_px.swap(g_qx);
    g_py.swap(g_qy);
    if (g_px.empty()) return;
  }
}

// Parallel hatch lines across a polygon, NHTCGR pixels apart: style 1 at
// 45 degrees, 2 at -45 degrees, 3 horizontal, 4 vertical, 5 and above
// crossed. The lines are drawn with moves and draws, so they are clipped and
// recorded like any other line.
void hatch(const float* x, const float* y, int n, int col) {
  const GrComn& c = grcomn;
  if (n < 3) return;
  grcolr(col);
  std::vector<double> xd(n), yd(n), ts;
  for (int i = 0; i < n; ++i) {
    xd[i] = (x[i] - c.XMINGR) * c.XFACGR + c.XORGGR;
    yd[i] = (y[i] - c.YMINGR) * c.YFACGR + c.YORGGR;
  }
  const double sp = std::max(c.NHTCGR, 2);
  const double r = std::sqrt(0.5);
  std::vector<std::pair<double, double>> dirs;
  switch (c.IHTCGR) {
    case 1: dirs = {{r, -r}}; break;
    case 2: dirs = {{r, r}}; break;
    case 3: dirs = {{1, 0}}; break;
    case 4: dirs = {{0, 1}}; break;
    default: dirs = {{r, -r}, {r, r}}; break;
  }
  for (auto [ux, uy] : dirs) {
    double nx = -uy, ny = ux;
    double smin = 1e300, smax = -1e300;
    for (int i = 0; i < n; ++i) {
      double s = xd[i] * nx + yd[i] * ny;
      smin = std::min(smin, s), smax = std::max(smax, s);
    }
    double s0 = std::ceil(smin / sp) * sp;
    for (int k = 0; k < 20000 && s0 + k * sp <= smax; ++k) {
      double s = s0 + k * sp;
      ts.clear();
      for (int i = 0; i < n; ++i) {
        int j = (i + 1) % n;
        double si = xd[i] * nx + yd[i] * ny, sj = xd[j] * nx + yd[j] * ny;
        if ((si <= s && sj > s) || (sj <= s && si > s)) {
          double t = (s - si) / (sj - si);
          double px = xd[i] + t * (xd[j] - xd[i]), py = yd[i] + t * (yd[j] - yd[i]);
          ts.push_back(px * ux + py * uy);
        }
      }
      std::sort(ts.begin(), ts.end());
      for (size_t m = 0; m + 1 < ts.size(); m += 2) {
        for (int end = 0; end < 2; ++end) {
          double t = ts[m + end];
          double px = s * nx + t * ux, py = s * ny + t * uy;
          float wx = static_cast<float>((px - c.XORGGR) / c.XFACGR + c.XMINGR);
          float wy = static_cast<float>((py - c.YORGGR) / c.YFACGR + c.YMINGR);
          if (end == 0)
            grmov2(wx, wy);
          else
            grdrw2(wx, wy);
        }
      }
    }
  }
}

void dxf_solid(int col, const float* x, const float* y, int a, int b, int d, int e) {
  const GrComn& c = grcomn;
  const int u = c.JDV1GR;
  if (col < 1)
    fwrite(u, "('0',/,'SOLID',/,'8',/,'fill',/,'62',/,i3)", {c.IDXFGR});
  else
    fwrite(u, "('0',/,'SOLID',/,'8',/,'fill',i2.2)", {col % 20});
  auto X = [&](int i) { return x[i - 1] + c.XORGR; };
  auto Y = [&](int i) { return y[i - 1] + c.YORGR; };
  fwrite(u, "('10',/,f10.2,/,'20',/,f10.2,/,'11',/,f10.2,/,'21',/,f10.2)",
         {X(a), Y(a), X(b), Y(b)});
  fwrite(u, "('12',/,f10.2,/,'22',/,f10.2,/,'13',/,f10.2,/,'23',/,f10.2)",
         {X(d), Y(d), X(e), Y(e)});
}

}  // namespace

void gr_reset_pen_styles() {
  g_col_mode = -1;
  g_dash_mode = -1;
}

void grdump() {
  GrComn& c = grcomn;
  if (c.NPOLGR < 2) return;
  if (screen()) grxlnz_frame(c.NPOLGR, &c.IXPLGR[1], &c.IYPLGR[1]);
  c.IXPLGR[1] = c.IXPLGR[c.NPOLGR];
  c.IYPLGR[1] = c.IYPLGR[c.NPOLGR];
  c.NPOLGR = 1;
}

void grcolr(int col) {
  GrComn& c = grcomn;
  if (c.IMODGR == g_col_mode && col == g_col) return;
  g_col_mode = c.IMODGR;
  g_col = col;
  int cc = col;
  if (c.MCOLGR < 0) cc = c.ICMPGR[std::clamp(cc, 1, 20)];
  int k;
  if (cc >= 1) {
    k = (cc - 1) % 200 + 1;
    if (k <= 20) {
      int am = std::abs(c.MCOLGR);
      if (am == 2)
        k += 20 * std::min(c.RCOLGR, 9);
      else if (am == 3)
        k = c.RCOLGR + 20 * std::min(k, 9);
    }
  } else {
    k = kFixedColours[std::min(-std::max(cc, -11), 11)];
  }
  k = std::clamp(k, 0, 200);
  if (screen()) {
    grdump();
    grxstc(c.IPIXGR[k]);
  } else if (c.IMODGR == 8) {
    fwrite(c.JDV3GR, "('COLR'/i4)", {col});
  } else if (c.IMODGR == 9) {
    c.IDXFGR = dxf_colour(std::clamp(col, -9, 13));
  }
}

void grdash(int style) {
  GrComn& c = grcomn;
  int s = std::abs(style) % 100;
  if (s == 0) return;
  grdump();
  if (c.IMODGR == g_dash_mode && s == g_dash) return;
  g_dash_mode = c.IMODGR;
  g_dash = s;
  if (screen()) {
    grxdsh(s);
  } else if (c.IMODGR == 8) {
    fwrite(c.JDV3GR, "('DASH'/i4)", {s});
  } else if (c.IMODGR == 9) {
    static const char* names[6] = {"CONTINUOUS", "CONTINUOUS", "DASH",
                                   "DOT",        "DASHDOT",    "DASHDOTDOT"};
    grcomt.LTYPGR = names[std::min(s, 5)];
  }
}

void grmov2(float x, float y) {
  GrComn& c = grcomn;
  if (c.IMODGR == 8) {
    fwrite(c.JDV3GR, "('MOV2'/2D16.8)", {static_cast<double>(x), static_cast<double>(y)});
  } else if (c.IMODGR == 9) {
    c.ZPENGR = 0.0f;
  } else {
    bool in = grinside(x, y);
    if (in) {
      int px, py;
      pixel(x, y, px, py);
      buf_start(px, py);
    }
    c.IPINGR = in ? 1 : 0;
  }
  c.XPENGR = x;
  c.YPENGR = y;
}

void grdrw2(float x, float y) {
  GrComn& c = grcomn;
  switch (c.IMODGR) {
    case 8:
      fwrite(c.JDV3GR, "('DRW2'/2D16.8)", {static_cast<double>(x), static_cast<double>(y)});
      break;
    case 9:
      fwrite(c.JDV1GR, "('0',/,'LINE',/,'8',/,'line',/,'62',/,i4,/,'67',/,'0')", {c.IDXFGR});
      fwrite(
          c.JDV1GR,
          "('10',/,f11.2,/,'20',/,f11.2,/,'30',/,f10.3,/,'11',/,f11.2,/,'21',/,f11.2,/,'31',/,"
          "f10.3)",
          {c.XPENGR + c.XORGR, c.YPENGR + c.YORGR, c.ZPENGR, x + c.XORGR, y + c.YORGR, c.ZNXTGR});
      c.ZPENGR = c.ZNXTGR;
      break;
    case 10:
      if (grhooks.shape_segm) grhooks.shape_segm(1, c.XPENGR, c.YPENGR, c.ZPENGR, x, y, c.ZNXTGR);
      c.ZPENGR = c.ZNXTGR;
      break;
    case 11: break;
    default: {
      bool pin = c.IPINGR == 1, nin = grinside(x, y);
      double x1 = c.XPENGR, y1 = c.YPENGR, x2 = x, y2 = y;
      if ((pin && nin) || clip_segment(x1, y1, x2, y2)) {
        int px, py;
        if (!pin || c.NPOLGR == 0) {
          pixel(x1, y1, px, py);
          buf_start(px, py);
        }
        pixel(x2, y2, px, py);
        buf_append(px, py);
      }
      c.IPINGR = nin ? 1 : 0;
      break;
    }
  }
  c.XPENGR = x;
  c.YPENGR = y;
}

void grmov3(float x, float y, float z) {
  GrComn& c = grcomn;
  if (c.IMODGR == 8) {
    fwrite(c.JDV3GR, "('MOV3'/3E15.7)", {x, y, z});
  } else if (c.IMODGR == 9 || c.IMODGR == 10) {
    c.XPENGR = x, c.YPENGR = y, c.ZPENGR = z;
  } else if (c.ITRNGR == 1) {
    float xo, yo, zo;
    grtran(x, y, z, xo, yo, zo);
    grmov2(xo, yo);
  } else {
    grmov2(x, y);
  }
}

void grdrw3(float x, float y, float z) {
  GrComn& c = grcomn;
  if (c.IMODGR == 8) {
    fwrite(c.JDV3GR, "('DRW3'/3E15.7)", {x, y, z});
  } else if (c.IMODGR == 9 || c.IMODGR == 10) {
    c.ZNXTGR = z;
    grdrw2(x, y);
  } else if (c.ITRNGR == 1) {
    float xo, yo, zo;
    grtran(x, y, z, xo, yo, zo);
    grdrw2(xo, yo);
  } else {
    grdrw2(x, y);
  }
}

void grfil2(const float* x, const float* y, int n, int col) {
  GrComn& c = grcomn;
  if (n < 1 || (col >= 5 && c.MCOLGR == 4)) return;
  grdump();
  if (col > 0 && c.IHTCGR > 0) {
    hatch(x, y, n, col);
    return;
  }
  switch (c.IMODGR) {
    case 8: {
      fwrite(c.JDV3GR, "('FIL2'/i3,i5,i2)", {n, col, c.RCOLGR});
      std::vector<float> v;
      for (int i = 0; i < n; ++i) v.push_back(x[i]), v.push_back(y[i]);
      write_values(c.JDV3GR, v);
      return;
    }
    case 9:
      grcolr(col);
      if (n == 3)
        dxf_solid(col, x, y, 1, 2, 3, 3);
      else if (n >= 4)
        dxf_solid(col, x, y, 1, 2, 4, 3);
      if (n == 5) dxf_solid(col, x, y, 1, 4, 5, 5);
      return;
    case 10: {
      if (c.ISHPGR != 3 || !grhooks.shape_add) return;
      std::vector<double> rx, ry, rz(n + 1, 0.0);
      for (int i = n - 1; i >= 0; --i) rx.push_back(x[i] + c.XORGR), ry.push_back(y[i] + c.YORGR);
      rx.push_back(rx[0]), ry.push_back(ry[0]);
      grhooks.shape_add(n + 1, rx.data(), ry.data(), rz.data(), col, col);
      return;
    }
    case 11:
      fwritel(c.JDV1GR, {col});
      for (int i = 0; i <= n; ++i)
        fwrite(c.JDV1GR, "(2f12.3)", {x[i % n] + c.XORGR, y[i % n] + c.YORGR});
      fwrite(c.JDV1GR, "('END')");
      return;
    default: break;
  }
  if (!screen()) return;
  int m = std::min(n, kFillVertices);
  g_px.assign(x, x + m);
  g_py.assign(y, y + m);
  clip_polygon();
  if (g_px.empty()) return;
  // Pixels; a vertex repeating the one before (clipping leaves such pairs
  // on the window edges) is dropped.
  static std::vector<int> ix, iy;
  ix.clear();
  iy.clear();
  for (size_t i = 0; i < g_px.size(); ++i) {
    int a, b;
    pixel(g_px[i], g_py[i], a, b);
    if (!ix.empty() && ix.back() == a && iy.back() == b) continue;
    ix.push_back(a), iy.push_back(b);
  }
  while (ix.size() > 1 && ix.back() == ix[0] && iy.back() == iy[0]) ix.pop_back(), iy.pop_back();
  grcolr(col);
  grxply_frame(ix.data(), iy.data(), static_cast<int>(ix.size()));
}

void grfil3(const float* x, const float* y, const float* z, int n, int col) {
  GrComn& c = grcomn;
  if (n < 1) return;
  if (c.IMODGR == 8) {
    grdump();
    int colour = c.MCOLGR == 1 ? col : col + 20 * c.RCOLGR;
    fwrite(c.JDV3GR, "('FIL3'/i3,i5,i2)", {n, colour, 0});
    std::vector<float> v;
    for (int i = 0; i < n; ++i) v.push_back(x[i]), v.push_back(y[i]), v.push_back(z[i]);
    write_values(c.JDV3GR, v);
    return;
  }
  std::vector<float> xo(n), yo(n);
  for (int i = 0; i < n; ++i) {
    float zo;
    grtran(x[i], y[i], z[i], xo[i], yo[i], zo);
  }
  grfil2(xo.data(), yo.data(), n, col);
}

void grsymb(int code) {
  GrComn& c = grcomn;
  int s = std::abs(code) % 100;
  if (s == 0) return;
  s = std::min(s, 15);
  int col = code / 100;
  switch (c.IMODGR) {
    case 8: fwrite(c.JDV3GR, "('SYMB'/i5)", {code}); return;
    case 9:
      fwrite(c.JDV1GR, "('0',/,'POINT',/,'8',/,'point',/,'62',/,i4,/,'67',/,'0')", {c.IDXFGR});
      fwrite(c.JDV1GR, "('10',/,f11.2,/,'20',/,f11.2,/,'30',/,f10.3)",
             {c.XPENGR + c.XORGR, c.YPENGR + c.YORGR, c.ZPENGR});
      return;
    case 10:
      if (c.ISHPGR == 1 && grhooks.shape_add) {
        double px = c.XPENGR + c.XORGR, py = c.YPENGR + c.YORGR, pz = c.ZPENGR;
        grhooks.shape_add(1, &px, &py, &pz, pz, col);
      }
      return;
    case 11: return;
    default: break;
  }
  grcolr(col);
  if (c.IPINGR != 1 || c.NPOLGR < 1) return;
  int x = c.IXPLGR[c.NPOLGR], y = c.IYPLGR[c.NPOLGR];
  for (const auto& st : kSymbols[s - 1]) {
    if (st[2] < 0) break;
    x = static_cast<int>(static_cast<float>(st[0]) * c.SYMFGR + static_cast<float>(x));
    y = static_cast<int>(static_cast<float>(st[1]) * c.SYMFGR + static_cast<float>(y));
    if (st[2] == 0)
      buf_start(x, y);
    else
      buf_append(x, y);
  }
}

void granot(std::string_view text) {
  GrComn& c = grcomn;
  if (c.IPINGR != 1) return;
  std::string_view t = trim_right(text);
  if (t.empty()) return;
  bool centred = t.substr(0, 2) == "~~";
  std::string_view body = t;
  if (centred) {
    body = t.substr(2);
    size_t f = body.find_first_not_of(' ');
    body = f == std::string_view::npos ? std::string_view() : body.substr(f);
  }
  if (body.find_first_not_of(' ') == std::string_view::npos) return;
  switch (c.IMODGR) {
    case 8: fwrite(c.JDV3GR, "('ANOT',/,a)", {t}); return;
    case 9:
      fwrite(c.JDV1GR, "('0',/,'TEXT',/,'8',/,i3,/,'62',/,i3,/,'40',/,f8.2)", {0, c.IDXFGR, 3.0f});
      fwrite(c.JDV1GR, "('10',/,f10.2,/,'20',/,f10.2,/,'1',/,a)",
             {c.XPENGR + c.XORGR, c.YPENGR + c.YORGR, body});
      return;
    default: break;
  }
  if (!screen()) return;
  int px, py;
  if (c.NPOLGR >= 1) {
    px = c.IXPLGR[c.NPOLGR], py = c.IYPLGR[c.NPOLGR];
  } else {
    pixel(c.XPENGR, c.YPENGR, px, py);
  }
  if (centred) px -= 3 * static_cast<int>(body.size());
  grxstr_frame(px, py, body);
}

void grflip() {
  if (grcomn.IMODGR == 0) return;
  grdump();
  grxflp();
}

void grcler(int flag) {
  GrComn& c = grcomn;
  if (!screen()) return;
  if (flag == 0) {
    grxclr_frame();
  } else if (flag == 1) {
    grdump();
    grxpix();
    grxclr();
  } else {
    const double e = 0.001;
    float x[4] = {static_cast<float>(c.XMNCGR + e), static_cast<float>(c.XMXCGR - e),
                  static_cast<float>(c.XMXCGR - e), static_cast<float>(c.XMNCGR + e)};
    float y[4] = {static_cast<float>(c.YMNCGR + e), static_cast<float>(c.YMNCGR + e),
                  static_cast<float>(c.YMXCGR - e), static_cast<float>(c.YMXCGR - e)};
    grfil2(x, y, 4, -1);
  }
  grcolr(0);
  if (grhooks.clean) grhooks.clean();
}

}  // namespace riv
