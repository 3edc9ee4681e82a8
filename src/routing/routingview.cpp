// The window side of the routing run: the animated longitudinal section in
// the line-plot viewer, the information panel over its lower left corner,
// the progress beam and the polled step menu. The run itself (flow) hands
// everything it shows over in a RoutingFrame; nothing is computed here.
#include <algorithm>

#include "graphics/graphics.hpp"
#include "model/model.hpp"
#include "routing/routing.hpp"

namespace riv {

namespace {

// Lines handed to the viewer. The viewer keeps pointers to them while its
// control loop runs and may change them in place (Hide, Alter, Origine), so
// they live here and not in the run's arrays.
constexpr int kLines = 3;
float g_x[kLines * mxbr];
float g_y[kLines * mxbr];

void set_in15(int v) {
  float f = static_cast<float>(v);
  grvalu("IN15GR", 1, f);
}

// Closes and reopens the graphics, as before and after the animation.
void restart_graphics() {
  grclos();
  grinit(5, cunit.lulst, cinput.progid.view(), "out", 0);
}

void put_line(int l, const RoutingFrame& fr, const float* y) {
  const int n = std::clamp(fr.nsec, 0, mxbr);
  std::copy(fr.xkm, fr.xkm + n, g_x + l * n);
  std::copy(y, y + n, g_y + l * n);
}

// The picture of frame.item: the three level lines, the discharge or the
// velocity along the branch.
void picture(const RoutingFrame& fr) {
  const int n = std::clamp(fr.nsec, 0, mxbr);
  int nper[kLines] = {n, n, n};
  int isym[kLines] = {0, 0, 0};
  int ilin[kLines] = {101, 0, 0};
  FStr<40> titl[kLines];
  int nline = 1;
  if (fr.item == 2) {
    titl[0] = "Discharge";
    put_line(0, fr, fr.qsec);
  } else if (fr.item == 3) {
    titl[0] = "Flow Velocity";
    put_line(0, fr, fr.vel);
  } else {
    nline = 3;
    titl[0] = "Waterlevel";
    titl[1] = "Waterlevel T=0";
    titl[2] = "Bedlevel";
    ilin[1] = 102;
    ilin[2] = 1;
    isym[0] = 105;
    put_line(0, fr, fr.zwl);
    put_line(1, fr, fr.zstart);
    put_line(2, fr, fr.zbed);
  }
  cunit.kplot = -1;
  grklin(nper, isym, ilin, titl, nline, g_x, g_y, nullptr, cinput.title, fr.option, cunit.kplot);
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
  picture(fr);  // the start state: the control loop waits for the user
  set_in15(1);
}

void step(const RoutingFrame& fr) {
  set_in15(fr.wait ? 0 : 1);
  picture(fr);
  set_in15(1);
  panel(fr);
  grbeam(-1, fr.nsteps, "routing");
  grbeam(fr.step, fr.nsteps, "routing");
}

RoutingAnswer poll() {
  static const FStr<18> items[5] = {" WWaterlevel", " DDischarge", " VVelocity", " HHalt",
                                    " XeXit"};
  int ich = 100;
  float x = 0.0f, y = 0.0f;
  grcurs(5, items, ich, x, y);
  switch (ich) {
    case 1:
      return RoutingAnswer::Waterlevel;
    case 2:
      return RoutingAnswer::Discharge;
    case 3:
      return RoutingAnswer::Velocity;
    case 4:
      return RoutingAnswer::Halt;
    case 5:
      return RoutingAnswer::Exit;
    default:
      return RoutingAnswer::Continue;
  }
}

void end() {
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
