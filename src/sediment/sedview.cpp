// The window side of the sediment commands: the forms of the bed evolution
// run, the bed-load command and the section tool, their text window, and the
// pictures of the bed evolution run (line-plot viewer, information panel,
// progress beam, polled step menu). The commands compute everything and hand
// it over through seddisplay; nothing is computed here.
#include <algorithm>
#include <cmath>

#include "graphics/graphics.hpp"
#include "model/model.hpp"
#include "sediment/sediment.hpp"

namespace riv {

namespace {

// Lines handed to the viewer. The viewer keeps pointers to them while its
// control loop runs and may change them in place (Hide, Alter, Origine), so
// the picture of the run is copied here.
float g_x[kEvolPoints];
float g_y[kEvolPoints];

// Marks a point without a value in the pictures of the run.
constexpr float kMissing = -9999.0f;

// The information panel in pixels from the plot origin (y upwards): its
// layout (box -10..205 by -20..80, texts and rule from 0) moved by (kPanelDx,
// kPanelDy) into the plot area, so that it leaves the axis labels free; the
// progress bar of the run lies in its lower part, below the texts.
constexpr float kPanelDx = 12.0f, kPanelDy = 22.0f;
constexpr float kPanelX = -10.0f + kPanelDx, kPanelY = -20.0f + kPanelDy;
constexpr float kPanelW = 215.0f, kPanelH = 100.0f;
constexpr float kPanelBeamTop = 20.0f;

void form(SedForm& f) { grinfo(f.n, &f.label(1), &f.value(1)); }

void text(int n) {
  if (n > 0) grtext(std::min(n, cinput.ctext.size()), &cinput.ctext(1));
}

void restart() {
  grclos();
  grinit(5, cunit.lulst, cinput.progid.view(), "out", 0);
}

// The viewer gets the lines of the picture one after the other. Points
// without a value (the Armoring line where the bed is above the armour
// layer) are left out: the viewer would take them for data and stretch the
// level axis down to them. That line is drawn with markers only, so leaving
// points out changes nothing else.
void picture(const EvolPicture& p) {
  int nper[kEvolLines] = {};
  int isym[kEvolLines] = {};
  int ilin[kEvolLines] = {};
  FStr<40> titl[kEvolLines];
  const int nline = std::clamp(p.nline, 0, kEvolLines);
  int from = 1, to = 0;
  for (int l = 1; l <= nline; ++l) {
    const int n = std::clamp(p.nper(l), 0, kEvolPoints - from + 1);
    int kept = 0;
    for (int i = from; i < from + n; ++i) {
      if (std::fabs(p.f0(i) - kMissing) < 0.5f) continue;
      g_x[to] = p.x0(i);
      g_y[to] = p.f0(i);
      ++to, ++kept;
    }
    from += n;
    nper[l - 1] = kept;
    isym[l - 1] = p.isym(l);
    ilin[l - 1] = p.ilin(l);
    titl[l - 1] = p.titl(l).view();
  }
  cunit.kplot = p.kplot;
  // The key of a step's picture stays clear of the panel drawn over it.
  if (p.step > 0) grkey_avoid(kPanelX, kPanelY, kPanelW, kPanelH);
  grklin(nper, isym, ilin, titl, nline, g_x, g_y, nullptr, cinput.title, p.ichoice, cunit.kplot);
  grkey_avoid(0.0f, 0.0f, 0.0f, 0.0f);
}

// The information panel, in pixels from the plot origin.
void panel(const EvolPanel& p) {
  grclip(0);
  const float bx[4] = {kPanelX, kPanelX + kPanelW, kPanelX + kPanelW, kPanelX};
  const float by[4] = {kPanelY, kPanelY, kPanelY + kPanelH, kPanelY + kPanelH};
  grmesg_avoid(kPanelX, kPanelY, kPanelW, kPanelH);
  grfil2(bx, by, 4, -1);
  grfram(bx, by, 0, 1);
  grcolr(0);
  for (int i = 1; i <= EvolPanel::ntext; ++i) {
    grmov2(p.x(i) + kPanelDx, p.y(i) + kPanelDy);
    granot(p.text(i));
  }
  grmov2(-5.0f + kPanelDx, 63.0f + kPanelDy);
  grdrw2(200.0f + kPanelDx, 63.0f + kPanelDy);
  grdump();
  grclip(1);
  grflip();
}

void beam(int i, int n, std::string_view t) {
  GrComn& c = grcomn;
  const float top = c.YBEAMGR;
  c.YBEAMGR = kPanelBeamTop;
  grbeam(i, n, t);
  c.YBEAMGR = top;
}

int menu(Arr<FStr<18>, 23>& items, int n) {
  int ich = 100;
  float x = 0.0f, y = 0.0f;
  grcurs(std::clamp(n, 0, items.size()), &items(1), ich, x, y);
  return ich > 0 ? ich : 0;
}

}  // namespace

void sediment_gui_install() {
  seddisplay.form = form;
  seddisplay.text = text;
  seddisplay.restart = restart;
  seddisplay.picture = picture;
  seddisplay.panel = panel;
  seddisplay.beam = beam;
  seddisplay.menu = menu;
}

}  // namespace riv
