// The curve-sequence viewer: a sequence of curves of equal length shown one
// at a time like the frames of a film (the shapes of all cross-sections, one
// after the other), stepped forward and back or played with a delay.
//
// The viewer drives itself through the script queue: after each choice of
// its sequence menu it queues "R" (the control loop redraws the current
// curve) and "S" (the control loop hands the Select item back to the viewer,
// which opens the sequence menu again), and during Play a "P" that plays the
// next step.
#include <algorithm>
#include <string>
#include <vector>

#include "graphics/graphics.hpp"
#include "input/fformat.hpp"

namespace riv {

namespace {

// The film being shown by the one active call of grmovy.
struct Movie {
  const float* x = nullptr;
  const float* y = nullptr;
  int npt = 0;
  int ncurv = 0;
  int display = 1;  // 1 the current curve, 0 the line through one point of every curve
  GrMovie m;
};
Movie g;

void help() {
  static const FStr<80> lines[8] = {"SELECT options: ",
                                    " Forward  move to the next step ",
                                    " Reverse  move to the previous step",
                                    " Begin    go to the Beginning of the sequence",
                                    " End      go to the End of the sequence",
                                    " Number   go to the specified step Number",
                                    " Play     play to end from current sequence",
                                    " slow     slow down the animation"};
  grtext(8, lines);
}

// The current step in the last 11 characters of the subtitle.
void mark_subtitle() {
  std::string t = fformat("('/',i4)", {g.m.step});
  while (!t.empty() && t.back() == '\n') t.pop_back();
  fassign(std::span<char>(grcomt.SUBTGR.c + 69, 11), t);
}

// The sequence menu behind the Select item.
void select() {
  static const FStr<10> items[9] = {" BBegin", " FForward", " RReverse", " EEnd", " NNumber",
                                    " PPlay",  " WsloW",    " ??",       ">XeXit"};
  for (;;) {
    int ich = 0;
    float x = 0, y = 0;
    grcurs(9, items, ich, x, y);
    if (ich == 8) {
      help();
      continue;
    }
    if (ich == 9) return;
    int number = 0;
    if (ich == 5) {
      number = g.m.step;
      grinpi("Line number", number);
    }
    if (ich == 6) grflip();
    const int nscript = grmovy_step(g.m, ich, number);
    if (ich == 6) grpause(g.m.delay);
    // The next frame is built off the screen, so Play does not flicker.
    grcler(1);
    static const FStr<16> script[3] = {"R", "S", "P"};
    grscpt(nscript, script);
    mark_subtitle();
    return;
  }
}

}  // namespace

int grmovy_step(GrMovie& m, int ich, int number) {
  const int last = std::max(m.length, 1);
  switch (ich) {
    case 1: m.step = 1; break;
    case 2: m.step = std::min(last, m.step + 1); break;
    case 3: m.step = std::max(1, m.step - 1); break;
    case 4: m.step = last; break;
    case 5: m.step = std::clamp(number, 1, last); break;
    case 6:
      if (m.step >= last) m.step = 0;
      m.step = std::min(last, m.step + 1);
      // Play goes on by itself only up to the last step; the next Play
      // starts again from the first.
      return m.step < last ? 3 : 2;
    case 7: m.delay += 1; break;
    case 8:
    case 9: return 0;
    default: break;
  }
  m.step = std::clamp(m.step, 1, last);
  return 2;
}

GrMovie& grmovy_state() { return g.m; }

void grmov1(int mode, float* s) {
  if (mode == 0) {
    const int n = std::max(g.npt, 0) * std::max(g.ncurv, 0);
    if (n > 0) {
      const auto [x0, x1] = std::minmax_element(g.x, g.x + n);
      const auto [y0, y1] = std::minmax_element(g.y, g.y + n);
      s[0] = *x0, s[1] = *x1, s[2] = *y0, s[3] = *y1;
    } else {
      s[0] = 0, s[1] = 1, s[2] = 0, s[3] = 1;
    }
    // A flat picture (a single point, a level line) still needs an extent.
    if (!(s[1] > s[0])) s[1] = s[0] + 1.0f;
    if (!(s[3] > s[2])) s[3] = s[2] + 1.0f;
    grctrl_items({">SSelect"});
    g.m.delay = 0;
    return;
  }
  if (mode == 1) {
    const int k = g.m.step;
    if (k < 1 || k > g.m.length || g.npt < 1 || g.ncurv < 1) return;
    if (g.display == 1) {
      const int f = (k - 1) * g.npt;
      grmov2(g.x[f], g.y[f]);
      for (int i = 1; i < g.npt; ++i) grdrw2(g.x[f + i], g.y[f + i]);
    } else {
      grmov2(g.x[k - 1], g.y[k - 1]);
      for (int c = 1; c < g.ncurv; ++c) grdrw2(g.x[c * g.npt + k - 1], g.y[c * g.npt + k - 1]);
    }
    grdump();
    return;
  }
  if (mode < 0) select();
}

void grmovy(const float* x, const float* y, int npt, int ncurv, FStr<240>& titles, int display,
            int options) {
  GrComn& c = grcomn;
  const Movie saved = g;  // a film shown from within another one comes back
  g.x = x, g.y = y;
  g.npt = std::max(npt, 0), g.ncurv = std::max(ncurv, 0);
  g.display = display == 0 ? 0 : 1;
  g.m = GrMovie{};
  g.m.length = g.display == 1 ? g.ncurv : g.npt;
  const int ikey = c.IKEYGR;
  c.IKEYGR = 0;
  float scale[4] = {0, 1, 0, 1};
  grctrl([](int mode, float* s) { grmov1(mode, s); }, options, titles, scale);
  c.IKEYGR = ikey;
  g = saved;
}

}  // namespace riv
