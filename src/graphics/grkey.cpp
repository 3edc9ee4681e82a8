// The movable key shared by the line-plot and contour viewers.
#include "graphics/grkey.hpp"

#include <algorithm>

#include "graphics/graphics.hpp"

namespace riv {

namespace {
constexpr float kRow = 12.0f;
// The menu column at the window's right edge: buttons of at most 76.5
// pixels, 4 from the edge, and a gap of 4.
constexpr float kMenuColumn = 76.5f + 8.0f;
GrKeyBox g_avoid{0, 0, 0, 0, 0};
}  // namespace

void grkey_avoid(float x, float y, float w, float h) { g_avoid = GrKeyBox{x, y, w, h, 0}; }

float gr_key_scale() {
  const float sk = grcomn.SKEYGR;
  return sk > 0.2f && sk < 5.0f ? sk : 1.0f;
}

GrKeyBox gr_key_place(float w, float h) {
  GrComn& c = grcomn;
  // Inside the window and left of the menu column.
  const float wmax = static_cast<float>(c.WNDWGR[3]) - c.XORGGR - w - kMenuColumn;
  const float hmax = c.YORGGR - h;
  c.XKEYGR = std::max(0.0f, std::min(c.XKEYGR, wmax));
  c.YKEYGR = std::max(0.0f, std::min(c.YKEYGR, hmax));
  GrKeyBox k{c.XKEYGR, c.YKEYGR, w, h, kRow * gr_key_scale()};
  // Clear of a panel over the plot: above it, or right of it; the place the
  // user gave stays for the plots without the panel.
  const GrKeyBox& a = g_avoid;
  if (a.w > 0 && k.x <= a.x + a.w && a.x <= k.x + w && k.y <= a.y + a.h && a.y <= k.y + h) {
    if (a.y + a.h + 4 <= hmax)
      k.y = a.y + a.h + 4;
    else
      k.x = std::max(0.0f, std::min(a.x + a.w + 4, wmax));
  }
  return k;
}

bool gr_in_box(float x, float y, float x0, float y0, float w, float h) {
  return x >= x0 && x <= x0 + w && y >= y0 && y <= y0 + h;
}

void gr_key_frame(float x0, float y0, float w, float h, int fill) {
  float xs[4] = {x0, x0 + w, x0 + w, x0}, ys[4] = {y0, y0, y0 + h, y0 + h};
  if (fill != 0) grfram(xs, ys, 1, fill);
  grfram(xs, ys, 0, 0);
}

void gr_key_text(float x, float y, std::string_view s) {
  grcolr(0);
  grmov2(x, y);
  granot(s);
}

bool gr_key_begin(GrKeyBox (*box)(), GrKeyBox& k) {
  GrComn& c = grcomn;
  grclip(0);
  if (c.IKEYGR < 1) {
    gr_key_frame(c.XKEYGR, c.YKEYGR, 40, 14, -2);
    gr_key_text(c.XKEYGR + 5, c.YKEYGR + 3, "Key");
    grmesg_avoid(c.XKEYGR, c.YKEYGR, 40, 14);
    grclip(1);
    return false;
  }
  k = box();
  gr_key_frame(k.x, k.y, k.w, k.h, -1);
  grmesg_avoid(k.x, k.y, k.w, k.h);
  // The pin (top left) grabs the key; the box at the top right hides it.
  gr_key_frame(k.x + 2, k.y + k.h - 8, 6, 6, 4);
  gr_key_frame(k.x + k.w - 8, k.y + k.h - 8, 6, 6, 0);
  return true;
}

GrKeyClick gr_key_click(bool& grab, GrKeyBox (*box)()) {
  GrComn& c = grcomn;
  const float px = c.XCRSGR, py = c.YCRSGR;
  if (grab) {
    grab = false;
    const GrKeyBox k = box();
    c.XKEYGR = std::max(0.0f, px);
    c.YKEYGR = std::max(0.0f, py - k.h);
    return GrKeyClick::Moved;
  }
  if (c.IKEYGR < 1) {
    if (!gr_in_box(px, py, c.XKEYGR, c.YKEYGR, 40, 14)) return GrKeyClick::Off;
    c.IKEYGR = 1;
    return GrKeyClick::Shown;
  }
  const GrKeyBox k = box();
  if (!gr_in_box(px, py, k.x, k.y, k.w, k.h)) return GrKeyClick::Off;
  if (gr_in_box(px, py, k.x + k.w - 10, k.y + k.h - 10, 10, 10)) {
    c.IKEYGR = 0;
    return GrKeyClick::Hidden;
  }
  return GrKeyClick::Inside;
}

}  // namespace riv
