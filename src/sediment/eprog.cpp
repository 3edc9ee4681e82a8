// Pictures of the bed evolution run and the time series of its write
// requests: a longitudinal section of levels, transport rate, concentration
// or transported volume, an information panel, a progress bar and a step menu
// that changes the picture, halts it or closes the run.
#include <algorithm>
#include <string>

#include "graphics/graphics.hpp"
#include "input/fformat.hpp"
#include "sediment/sediment.hpp"

namespace riv {

namespace {

EvolPicture pic;  // the viewer's lines; lines 3 to 5 hold the initial state
int iplot0 = 1;   // item shown: 1 Levels, 2 Rate, 3 Sediment, 4 Load
// Step mode of the plots (IN15GR) before the run, while a run is on.
int g_in15 = 0;
bool g_running = false;

std::string line_of(std::string s) {
  while (!s.empty() && s.back() == '\n') s.pop_back();
  return s;
}

void set_line(int l, std::string_view label, int style, int symbol, int npts) {
  pic.titl(l) = label;
  pic.ilin(l) = style;
  pic.isym(l) = symbol;
  pic.nper(l) = npts;
}

void set_ytext(std::string_view text) {
  pic.ytext = text;
  fassign(std::span<char>(cinput.title.c + 200, 40), text);
}

void build_picture(int k) {
  const Creach& rc = creach;
  const Cbedevol& b = cbedevol;
  const int nsec = std::clamp(rc.nsec, 0, mxbr);
  const float rhos = (1.0f + b.delta) * 1000.0f;
  pic.item = iplot0;
  pic.nsec = nsec;
  pic.kplot = -1;
  pic.ichoice = 4;
  auto at = [nsec](int l, int n) { return (l - 1) * nsec + n; };
  const int nlines = iplot0 == 1 ? 6 : 1;
  for (int l = 1; l <= nlines; ++l)
    for (int n = 1; n <= nsec; ++n) pic.x0(at(l, n)) = rc.xsec(n) / 1000.0f;

  switch (iplot0) {
    case 1: {
      set_ytext("[m]");
      set_line(1, "Bedlevel", 1, 4, nsec);
      set_line(2, "Waterlevel", 101, 0, nsec);
      set_line(3, "Initial Bedlevel", 3, 0, nsec);
      set_line(4, "Initial Waterlevel", 103, 0, nsec);
      set_line(5, "Bedrock", 5, 0, nsec);
      set_line(6, "Armoring", 0, 301, nsec);
      for (int n = 1; n <= nsec; ++n) {
        pic.f0(at(1, n)) = rc.zbed(n);
        pic.f0(at(2, n)) = rc.zwl(n);
        if (k == 0) {
          pic.f0(at(3, n)) = rc.zbed(n);
          pic.f0(at(4, n)) = rc.zwl(n);
          pic.f0(at(5, n)) = rc.zbed(n) - b.drock(n);
        }
        pic.f0(at(6, n)) = b.zarm(n) >= b.dzb(n) ? rc.zbed(n) : -9999.0f;
      }
      pic.nline = 6;
      const int nd = std::clamp(rc.ndata, 0, mxdata);
      if (nd > 0) {
        set_line(7, cchar.datfil.view(), 0, 3, nd);
        for (int i = 1; i <= nd; ++i) {
          pic.x0(6 * nsec + i) = rc.xdata(i);
          pic.f0(6 * nsec + i) = rc.ydata(i);
        }
        pic.nline = 7;
      }
      break;
    }
    case 2:
      set_ytext("[kg/s]");
      set_line(1, "Transport rate [kg/s]", 1, 0, nsec);
      for (int n = 1; n <= nsec; ++n) pic.f0(n) = rhos * b.qsm(n);
      pic.nline = 1;
      break;
    case 3:
      set_ytext("[g/l]");
      set_line(1, "Sediment Concentration [g/l]", 1, 0, nsec);
      for (int n = 1; n <= nsec; ++n)
        pic.f0(n) = rc.qsec(n) > 0.0f ? rhos * b.qsm(n) / rc.qsec(n) : 0.0f;
      pic.nline = 1;
      break;
    default:
      set_ytext("[m3]");
      set_line(1, "Transport Load [m3]", 1, 0, nsec);
      for (int n = 1; n <= nsec; ++n) pic.f0(n) = b.vol(n);
      pic.nline = 1;
      break;
  }
}

void info_panel(int k) {
  const Creach& rc = creach;
  EvolPanel p;
  p.text(1) = std::string(cinput.title.sub(1, 34));
  p.text(2) = "Step.....  Time/h...  Timestep/h";
  p.text(3) = line_of(fformat("(i9,2f11.2)", {k, cunit.tstart, cunit.dtime}));
  p.text(4) = "Inflow...  Outflow.. ";
  const int nsec = std::clamp(rc.nsec, 1, mxbr);
  p.text(5) = line_of(fformat("(f9.1,f11.1)", {rc.qsec(1), rc.qsec(nsec)}));
  const float ys[] = {65.0f, 45.0f, 35.0f, 20.0f, 10.0f};
  for (int i = 1; i <= EvolPanel::ntext; ++i) {
    p.x(i) = 0.0f;
    p.y(i) = ys[i - 1];
  }
  if (seddisplay.panel) seddisplay.panel(p);
}

int step_menu() {
  Arr<FStr<18>, 23>& m = cinput.menu;
  m(1) = " LLevels";
  m(2) = " RRate";
  m(3) = " SSediment";
  m(4) = " LLoad";
  m(5) = "";
  m(6) = " HHalt";
  m(7) = " CClose";
  if (cbedevol.iform == 0)
    for (int i = 2; i <= 4; ++i) m(i)(1) = '-';
  m(iplot0)(1) = '-';
  int ich = seddisplay.menu ? seddisplay.menu(m, 7) : 0;
  if (ich >= 1 && ich <= 7 && m(ich)(1) == '-') ich = 0;  // disabled items are not chosen
  if (ich >= 1 && ich <= 4) iplot0 = ich;
  if (ich == 6 || ich == 7) grcomn.IN15GR = 0;
  return ich;
}

void write_requests() {
  const Creach& rc = creach;
  const Cbedevol& b = cbedevol;
  const float rhos = (1.0f + b.delta) * 1000.0f;
  for (int j = 1; j <= std::min(b.nwrite, mxwrite); ++j) {
    const int m = std::clamp(b.iwrsec(j), 1, mxbr);
    const float conc = rc.qsec(m) > 0.0f ? rhos * b.qs(m) / rc.qsec(m) : 0.0f;
    fwrite(70 + j, "(f10.2,f10.2,f10.1,f10.2)", {cunit.tstart, conc, b.vol(m), rc.zbed(m)});
  }
}

}  // namespace

const EvolPicture& eprog_picture() { return pic; }

void eprog_end() {
  if (g_running) grcomn.IN15GR = g_in15;
  g_running = false;
}

void eprog(int k, int& ichoice, int nstep) {
  const Cbedevol& b = cbedevol;
  if (k == 0) {
    if (!g_running) g_in15 = grcomn.IN15GR;
    g_running = true;
    iplot0 = 1;
    for (int j = 1; j <= std::min(b.nwrite, mxwrite); ++j) {
      const int m = std::clamp(b.iwrsec(j), 1, mxbr);
      fwrite(70 + j, "('Sediment transport dm[mm]=',f6.0,' at km',          f10.3)",
             {1000.0f * b.dmdef, creach.xsec(m) / 1000.0f});
      fwrite(70 + j, "('  Time[h]  Conc[g/l] Load[m3] Bedlevel[m]')");
    }
    if (seddisplay.restart) seddisplay.restart();
    fassign(std::span<char>(cinput.title.c + 80, 80), "Longitudinal Section");
    fassign(std::span<char>(cinput.title.c + 160, 40), "[km]");
  }

  build_picture(k);
  pic.step = k;
  cunit.kplot = -1;
  ichoice = 4;
  if (seddisplay.picture) seddisplay.picture(pic);
  grcomn.IN15GR = 1;
  if (k <= 0) return;

  info_panel(k);
  if (seddisplay.beam) {
    seddisplay.beam(-1, nstep, "bed evolution");
    seddisplay.beam(k, nstep, "bed evolution");
  }
  ichoice = 100;
  ichoice = step_menu();
  write_requests();
}

}  // namespace riv
