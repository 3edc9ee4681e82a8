// The window side of the routing run: the animated longitudinal section in
// the line-plot viewer, the information panel over its lower left corner,
// the progress beam and the polled step menu. The run itself (flow) hands
// everything it shows over in a RoutingFrame; nothing is computed here.
#include <algorithm>

#include "graphics/dialogs.hpp"
#include "graphics/graphics.hpp"
#include "model/model.hpp"
#include "routing/routing.hpp"

namespace riv {

namespace {

// Lines handed to the viewer. The viewer keeps pointers to them while its
// control loop runs and may change them in place (Hide, Alter, Origine), so
// they live here and not in the run's arrays. The last line is the y-range
// of the picture: two points, neither drawn nor in the key.
constexpr int kLines = 4;
float g_x[kLines * mxbr];
float g_y[kLines * mxbr];

// The y-range the picture was last scaled to, and for which item: a value
// leaving it rescales the picture with some room above and below, so the
// flood stays inside the axes without a new scale at every step.
struct YRange {
  int item = 0;
  float lo = 0.0f, hi = 0.0f;
};
YRange g_range;
constexpr float kRoom = 0.1f;  // share of the span added above and below

void set_in15(int v) {
  float f = static_cast<float>(v);
  grvalu("IN15GR", 1, f);
}

// Closes and reopens the graphics, as before and after the animation.
void restart_graphics() {
  grclos();
  grinit(5, cunit.lulst, cinput.progid.view(), "out", 0);
}

// Line l takes n points from xkm and y; returns the next free point.
int put_line(int at, const RoutingFrame& fr, const float* y) {
  const int n = std::clamp(fr.nsec, 0, mxbr);
  std::copy(fr.xkm, fr.xkm + n, g_x + at);
  std::copy(y, y + n, g_y + at);
  return at + n;
}

// Option of the picture: the frame's, or 4 (new scales) when a value of the
// lines [0, npts) leaves the range of the last scaling.
int scale_option(const RoutingFrame& fr, int npts) {
  float lo = g_y[0], hi = g_y[0];
  for (int i = 1; i < npts; ++i) lo = std::min(lo, g_y[i]), hi = std::max(hi, g_y[i]);
  YRange& r = g_range;
  if (fr.option != 4 && r.item == fr.item && lo >= r.lo && hi <= r.hi) return fr.option;
  const float room = kRoom * std::max(hi - lo, 0.1f);
  r = YRange{fr.item, lo - room, hi + room};
  return 4;
}

// The picture of frame.item: the three level lines, the discharge or the
// velocity along the branch.
void picture(const RoutingFrame& fr) {
  const int n = std::clamp(fr.nsec, 0, mxbr);
  int nper[kLines] = {n, n, n, 2};
  int isym[kLines] = {0, 0, 0, 0};
  int ilin[kLines] = {101, 0, 0, 0};
  FStr<40> titl[kLines];
  int nline = 1, at = 0;
  if (fr.item == 2) {
    titl[0] = "Discharge";
    at = put_line(at, fr, fr.qsec);
  } else if (fr.item == 3) {
    titl[0] = "Flow Velocity";
    at = put_line(at, fr, fr.vel);
  } else {
    nline = 3;
    titl[0] = "Waterlevel";
    titl[1] = "Waterlevel T=0";
    titl[2] = "Bedlevel";
    ilin[1] = 102;
    ilin[2] = 1;
    isym[0] = 105;
    at = put_line(at, fr, fr.zwl);
    at = put_line(at, fr, fr.zstart);
    at = put_line(at, fr, fr.zbed);
  }
  const int option = scale_option(fr, at);
  nper[nline] = 2;
  for (int i = 0; i < 2; ++i) g_x[at + i] = n > 0 ? fr.xkm[0] : 0.0f;
  g_y[at] = g_range.lo;
  g_y[at + 1] = g_range.hi;
  cunit.kplot = -1;
  grklin(nper, isym, ilin, titl, nline + 1, g_x, g_y, nullptr, cinput.title, option, cunit.kplot);
}

void text_at(float x, float y, std::string_view text) {
  grmov2(x, y);
  granot(text);
}

// The information panel, in pixels from the plot origin.
void panel(const RoutingFrame& fr) {
  grclip(0);
  const float bx[4] = {-10.0f, 205.0f, 205.0f, -10.0f};
  const float by[4] = {-20.0f, -20.0f, 110.0f, 110.0f};
  grfil2(bx, by, 4, -1);
  grfram(bx, by, 0, 1);
  grcolr(0);
  text_at(0.0f, RoutingFrame::kPanelY[0], fr.panel[0].trimmed());
  grmov2(-5.0f, 93.0f);
  grdrw2(200.0f, 93.0f);
  for (size_t j = 1; j < fr.panel.size(); ++j) {
    grcolr(0);
    text_at(0.0f, RoutingFrame::kPanelY[j], fr.panel[j].trimmed());
  }
  grdump();
  grclip(1);
  grflip();
}

void start(const RoutingFrame& fr) {
  restart_graphics();
  g_range = YRange{};
  picture(fr);  // the start state: the control loop waits for the user
  set_in15(1);
}

// Without a display nobody sees the step pictures: the run draws only the
// start state and the last picture, which a script may still take.
void step(const RoutingFrame& fr) {
  if (grx_headless_running()) return;
  set_in15(fr.wait ? 0 : 1);
  picture(fr);
  set_in15(1);
  panel(fr);
  grbeam(-1, fr.nsteps, "routing");
  grbeam(fr.step, fr.nsteps, "routing");
}

RoutingAnswer poll() {
  // Without a display no answer can come while the run goes on.
  if (grx_headless_running()) return RoutingAnswer::Continue;
  static const FStr<18> items[5] = {" WWaterlevel", " DDischarge", " VVelocity", " HHalt",
                                    " XeXit"};
  int ich = 100;
  float x = 0.0f, y = 0.0f;
  grcurs(5, items, ich, x, y);
  switch (ich) {
    case 1: return RoutingAnswer::Waterlevel;
    case 2: return RoutingAnswer::Discharge;
    case 3: return RoutingAnswer::Velocity;
    case 4: return RoutingAnswer::Halt;
    case 5: return RoutingAnswer::Exit;
    default: return RoutingAnswer::Continue;
  }
}

// The last picture stays until the user leaves it (the start state when no
// step was made); then the graphics restart.
void end(const RoutingFrame& fr) {
  set_in15(0);
  picture(fr);
  restart_graphics();
  set_in15(0);
}

}  // namespace

void routing_gui_install() {
  routing_view.start = start;
  routing_view.step = step;
  routing_view.poll = poll;
  routing_view.end = end;
}

}  // namespace riv
