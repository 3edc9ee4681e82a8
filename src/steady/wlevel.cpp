// The water-level command: the backwater run of the branch, then its result
// table in the text window or its longitudinal profile in the line viewer.
#include <algorithm>
#include <cmath>
#include <vector>

#include "graphics/graphics.hpp"
#include "input/fformat.hpp"
#include "input/units.hpp"
#include "steady/steady.hpp"

namespace riv {

namespace {

constexpr int kPlotPoints = 20000;

void set_labels(FStr<240>& title, std::string_view plot, std::string_view x, std::string_view y) {
  fassign(std::span<char>(title.c + 80, 80), plot);
  fassign(std::span<char>(title.c + 160, 40), x);
  fassign(std::span<char>(title.c + 200, 40), y);
}

}  // namespace

int wlprofile(std::vector<float>& xx, std::vector<float>& yy, int* nper) {
  const Creach& rc = creach;
  const int nsec = std::clamp(rc.nsec, 0, mxbr);
  const int ndata = std::clamp(rc.ndata, 0, mxdata);
  if (7 * nsec + ndata > kPlotPoints) return -1;
  xx.assign(kPlotPoints, 0.0f);
  yy.assign(kPlotPoints, 0.0f);
  // Critical levels to 5 mm: tight enough for a plot, and it stays so.
  cunit.epsz = 0.005f;
  for (int n = 1; n <= nsec; ++n) {
    const int isec = cs_at(n);
    // The section at its place: the main-channel bed with shift and bed
    // change, the bank tops with the shift.
    csrea(isec, rc.dzsec(n) + cbedevol.dzb(n));
    const Ccs& c = ccs;
    const float km = rc.xsec(n) * 0.001f;
    const float v = rc.qsec(n) / std::max(rc.asec(n), 0.0001f);
    const float ys[7] = {
        c.zbm, rc.zbed(n),          rc.zwl(n),          v * v * kVelocityHead + rc.zwl(n),
        0.0f,  rc.dzsec(n) + c.zbl, rc.dzsec(n) + c.zbr};
    for (int k = 0; k < 7; ++k) {
      xx[k * nsec + n - 1] = km;
      yy[k * nsec + n - 1] = ys[k];
    }
    yy[4 * nsec + n - 1] = zcrit(n, rc.qsec(n), 1.0f);
  }
  for (int k = 0; k < 7; ++k) nper[k] = nsec;
  int nline = 7;
  if (ndata > 0) {
    for (int i = 1; i <= ndata; ++i) {
      xx[7 * nsec + i - 1] = rc.xdata(i);
      yy[7 * nsec + i - 1] = rc.ydata(i);
    }
    nper[7] = ndata;
    nline = 8;
  }
  return nline;
}

void bkwat_show_inexact() {
  const int n = std::min(bkstat.ninex, cinput.ctext.size());
  if (n > 0) grtext(n, &cinput.ctext(1));
}

void wlevel(int irun) {
  static TableLines ctable;
  static std::vector<float> xx, yy0, values(kPlotPoints, 0.0f);
  if (irun == 1) {
    int ierr = 0;
    bkwat(ierr, 1);
    bkwat_show_inexact();
    if (ierr != 0) return;
  }
  for (;;) {
    static const FStr<18> items[3] = {" TTable", " PPlot", " DDone"};
    int ich = 0;
    float x = 0, y = 0;
    grcurs(3, items, ich, x, y);
    if (ich == 3) return;
    if (ich == 1) {
      const int n = wltable(ctable);
      grtext(n, ctable.data());
    } else if (ich == 2) {
      if (creach.ncs == 0) {
        grmesg("no cross-sections: read the model first");
        continue;
      }
      set_labels(cinput.title, "Backwater Curve", "Distance [km]", "Level [m]");
      int nper[8] = {};
      const int nline = wlprofile(xx, yy0, nper);
      if (nline < 0) {
        fwrite(kStdout, "(a)", {"not enough storage for plotting"});
        return;
      }
      static const FStr<40> labels[8] = {
          "Mean Bed",       "Talweg",   "Water Level", "Energy Level",
          "Critical Level", "Left Dam", "Right Dam",   ""};
      FStr<40> titl[8];
      std::copy(labels, labels + 7, titl);
      titl[7] = cchar.datfil.view();
      int ilin[8] = {4, 3, 101, 1304, 1303, 602, 603, 0};
      const int isym[8] = {0, 4, 0, 0, 0, 0, 0, 3};
      grklin(nper, isym, ilin, titl, nline, xx.data(), yy0.data(), values.data(), cinput.title, 4,
             cunit.kplot);
    }
  }
}

}  // namespace riv
