// Coordinates: world to device mapping, 3-D projection, the pixel mode of
// menus and dialogs, zoom and the choice of axis steps.
#include <cmath>

#include "graphics/graphics.hpp"
#include "graphics/grlocal.hpp"

namespace riv {

namespace {

// The world mapping saved while menus and dialogs draw in pixels.
struct SavedMapping {
  double xmin, xmnc, xmxc, ymin, ymnc, ymxc;
  float xorg, xfac, yorg, yfac;
};
SavedMapping g_saved{};
bool g_world = true;

}  // namespace

void gr_reset_clip() { g_world = true; }

void grdevc(float x, float y, float& xd, float& yd) {
  const GrComn& c = grcomn;
  xd = static_cast<float>((x - c.XMINGR) * c.XFACGR + c.XORGGR);
  yd = static_cast<float>((y - c.YMINGR) * c.YFACGR + c.YORGGR);
}

bool grinside(float x, float y) {
  const GrComn& c = grcomn;
  return x >= c.XMNCGR && x <= c.XMXCGR && y >= c.YMNCGR && y <= c.YMXCGR;
}

void grtran(float x, float y, float z, float& xo, float& yo, float& zo) {
  const auto& t = grcomn.TRANGR;
  float zz = z * t[4][4];
  float a = x * t[1][1] + y * t[2][1] + zz * t[3][1] + t[4][1];
  float b = x * t[1][2] + y * t[2][2] + zz * t[3][2] + t[4][2];
  float d = x * t[1][3] + y * t[2][3] + zz * t[3][3] + t[4][3];
  xo = a, yo = b, zo = d;
}

void grclip(int flag) {
  GrComn& c = grcomn;
  if (flag == 0) {
    if (!g_world) return;
    g_saved = {c.XMINGR, c.XMNCGR, c.XMXCGR, c.YMINGR, c.YMNCGR,
               c.YMXCGR, c.XORGGR, c.XFACGR, c.YORGGR, c.YFACGR};
    c.XMINGR = c.YMINGR = 0.0;
    c.XMNCGR = c.YMNCGR = -9999999.0;
    c.XMXCGR = c.YMXCGR = 9999999.0;
    c.XFACGR = 1.0f;
    c.YFACGR = -1.0f;
    if (c.ISMLGR != 0) {
      c.XORGGR = 10.0f, c.YORGGR = 105.0f;
    } else {
      c.XORGGR = 65.0f, c.YORGGR = static_cast<float>(c.WNDWGR[4] - 50);
    }
    g_world = false;
  } else if (flag == 1) {
    if (!g_world) {
      c.XMINGR = g_saved.xmin, c.XMNCGR = g_saved.xmnc, c.XMXCGR = g_saved.xmxc;
      c.YMINGR = g_saved.ymin, c.YMNCGR = g_saved.ymnc, c.YMXCGR = g_saved.ymxc;
      c.XORGGR = g_saved.xorg, c.XFACGR = g_saved.xfac;
      c.YORGGR = g_saved.yorg, c.YFACGR = g_saved.yfac;
    }
    // Restoring without a pixel mode in force would bring back a stale
    // mapping; the world mapping simply stays.
    g_world = true;
  }
}

void grsset(double x1, double x2, double y1, double y2) {
  grcomn.XMINGR = x1, grcomn.XMAXGR = x2, grcomn.YMINGR = y1, grcomn.YMAXGR = y2;
}

void grzoom(float x, float y, int mode) {
  GrComn& c = grcomn;
  if (mode == kMenuPan) return;
  int m = std::abs(mode);
  double f = (m == 1 || m == 4) ? c.ZOOMGR : (m == 2 ? 1.0 : 1.0 / c.ZOOMGR);
  double w = c.XMAXGR - c.XMINGR, h = c.YMAXGR - c.YMINGR;
  double x1 = x - ((x - c.XMINGR) + w / 2) * f / 2, x2 = x + ((c.XMAXGR - x) + w / 2) * f / 2;
  double y1 = y - ((y - c.YMINGR) + h / 2) * f / 2, y2 = y + ((c.YMAXGR - y) + h / 2) * f / 2;
  if (std::fabs(x1 - x2) >= 1e-25 && std::fabs(y1 - y2) >= 1e-25 &&
      std::isfinite(x1 + x2 + y1 + y2)) {
    grsset(x1, x2, y1, y2);
    c.INDSGR = 0;
  }
}

void grscal(float a, float b, int n, double& start, float& step) {
  const GrComn& c = grcomn;
  if (n < 1) n = 1;
  float d = (b - a) / static_cast<float>(n);
  if (d == 0.0f) d = std::fabs(b) / static_cast<float>(n);
  int p = -10;
  float m = 0.0f;
  for (; p <= 10; ++p) {
    m = d * std::pow(10.0f, static_cast<float>(p));
    if (m >= 1.0f) break;
  }
  // p = 11 when no power made the mantissa reach 1; m keeps its last value.
  int nst = std::max(c.NSTPGR, 2);
  int i = nst - 1;
  if (c.STEPGR[2] > m) {
    i = 2;
  } else {
    for (int k = 3; k <= nst - 1; ++k)
      if (c.STEPGR[k] > m) {
        i = k;
        break;
      }
  }
  double scale = std::pow(10.0, p);
  for (; i <= nst; ++i) {
    step = static_cast<float>(c.STEPGR[i - 1] / scale);
    if (step == 0.0f) {
      start = a;
      continue;
    }
    double q = std::clamp(static_cast<double>(a) / step, -1e9, 1e9);
    double t = std::trunc(q);
    start = (q < 0 ? t - 1 : t) * step;
    if ((b - start) / step < n + 1e-5 && (a - start) / step > -1e-5) return;
  }
}

}  // namespace riv
