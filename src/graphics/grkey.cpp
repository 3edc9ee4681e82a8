// The movable key shared by the line-plot and contour viewers.
#include "graphics/grkey.hpp"

#include <algorithm>

#include "graphics/graphics.hpp"

namespace riv {

namespace {
constexpr float kRow = 12.0f;
}  // namespace

float gr_key_scale() {
  const float sk = grcomn.SKEYGR;
  return sk > 0.2f && sk < 5.0f ? sk : 1.0f;
}

GrKeyBox gr_key_place(float w, float h) {
  GrComn& c = grcomn;
  const float wmax = static_cast<float>(c.WNDWGR[3]) - c.XORGGR - w;
  const float hmax = c.YORGGR - h;
  c.XKEYGR = std::max(0.0f, std::min(c.XKEYGR, wmax));
  c.YKEYGR = std::max(0.0f, std::min(c.YKEYGR, hmax));
  return GrKeyBox{c.XKEYGR, c.YKEYGR, w, h, kRow * gr_key_scale()};
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
    grclip(1);
    return false;
  }
  k = box();
  gr_key_frame(k.x, k.y, k.w, k.h, -1);
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
