// Stream tubes: allocation of tubes of equal discharge along the branch, the
// tube geometry of a section from its lateral velocity distribution, and the
// `tubes` command with its plan view.
#include <algorithm>
#include <cmath>
#include <string>

#include "input/notify.hpp"
#include "input/fformat.hpp"
#include "mixing/mixing.hpp"
#include "numerics/numerics.hpp"
#include "sections/sections.hpp"
#include "steady/steady.hpp"

namespace riv {

Ctubes ctubes;

MixDisplay& mix_display() {
  static MixDisplay d;
  return d;
}

namespace {

// Nearest whole number, halves away from zero; ratios far outside the tube
// count are cut first so that the conversion stays defined.
int nint(float x) {
  if (!(x == x)) return 0;
  x = std::clamp(x, -1.0e6f, 1.0e6f);
  return static_cast<int>(std::lround(x));
}

// Clamped linear interpolation in the distribution columns of the grid.
float lookup(const Arr<float, mxgrid>& x, const Arr<float, mxgrid>& y, float xp) {
  float slope = 0.0f;
  int ierr = 0;
  return rmint(ccs.ng, x.data(), y.data(), xp, slope, ierr);
}

// Eddy viscosity at lateral position p, interpolated over the equidistant
// grid (either direction of the grid), held at the end values outside it.
float eps_at(float p) {
  const Ccs& c = ccs;
  const int ng = c.ng;
  const float span = c.yg(ng) - c.yg(1);
  if (ng < 2 || span == 0.0f) return c.epsg(1);
  float t = (p - c.yg(1)) / span * static_cast<float>(ng - 1);
  t = std::clamp(t, 0.0f, static_cast<float>(ng - 1));
  const int j = std::min(static_cast<int>(t), ng - 2);
  const float f = t - static_cast<float>(j);
  return c.epsg(j + 1) + f * (c.epsg(j + 2) - c.epsg(j + 1));
}

}  // namespace

int tube_alloc(int ntube) {
  const Creach& rc = creach;
  Ctubes& t = ctubes;
  const int nsec = std::min(rc.nsec, mxbr);
  if (nsec < 1) {
    iimesg("no branch sections: no stream tubes");
    return 1;
  }
  if (ntube < 1) {
    iimesg("number of streamtubes must be at least 1");
    return 1;
  }
  ntube = std::min(ntube, mxtube);

  // Largest side inflows still to come on each side.
  float sl = 0.0f, sr = 0.0f, ml = 0.0f, mr = 0.0f;
  for (int n = 2; n <= nsec; ++n) {
    sl += rc.qsl(n);
    sr += rc.qsr(n);
    ml = std::max(ml, sl);
    mr = std::max(mr, sr);
  }
  const float dq0 = (rc.qsl(1) + rc.qsr(1) + ml + mr) / static_cast<float>(ntube);
  if (!(dq0 > 0.0f) || !std::isfinite(dq0)) {
    iimesg("no flow in the branch: no stream tubes");
    return 1;
  }

  t.ntube = ntube;
  t.nsec = nsec;
  t.dq0 = dq0;
  t.il(1) = std::clamp(nint(ml / dq0) + 1, 1, ntube);
  t.ir(1) = std::clamp(ntube - nint(mr / dq0), 1, ntube);
  // Each side inflow wets the tubes next to the wet ones on its side; the
  // remainders carry the part of an inflow smaller than a whole tube. The
  // wet range never leaves 1..ntube.
  float rl = 0.0f, rr = 0.0f;
  for (int n = 2; n <= nsec; ++n) {
    int k = nint((rl + rc.qsl(n)) / dq0);
    k = std::clamp(k, t.il(n - 1) - ntube, t.il(n - 1) - 1);
    t.il(n) = t.il(n - 1) - k;
    rl += rc.qsl(n) - static_cast<float>(k) * dq0;
    int m = nint((rr + rc.qsr(n)) / dq0);
    m = std::clamp(m, 1 - t.ir(n - 1), ntube - t.ir(n - 1));
    t.ir(n) = t.ir(n - 1) + m;
    rr += rc.qsr(n) - static_cast<float>(m) * dq0;
  }

  // Cell lengths of the transport step.
  for (int n = 1; n <= nsec; ++n) {
    float d = 0.0f;
    if (nsec >= 2) {
      if (n == 1)
        d = std::fabs(rc.xsec(2) - rc.xsec(1));
      else if (n == nsec)
        d = std::fabs(rc.xsec(nsec) - rc.xsec(nsec - 1));
      else
        d = 0.5f * std::fabs(rc.xsec(n + 1) - rc.xsec(n - 1));
    }
    t.dx(n) = d;
  }
  return 0;
}

int tube_section(int n, int item, int& itflag) {
  const Creach& rc = creach;
  Cmixing& cm = cmixing;
  Ctubes& t = ctubes;
  const Ccs& c = ccs;
  const int ntube = t.ntube;

  const int isec = cs_at(n);
  if (isec == 0) return 1;
  float zw = rc.zwl(n) - rc.dzsec(n);
  itflag = -1;
  csval(isec, zw, 0.0f, rc.sfsec(n), itflag);

  const int il = t.il(n), ir = t.ir(n);
  const int nw = ir - il + 1;
  const float zwl = rc.zwl(n);
  const float qt = nw > 0 ? rc.qsec(n) / static_cast<float>(nw) : 0.0f;
  const float sa = std::sin(c.azim), ca = std::cos(c.azim);
  const int ng = c.ng;
  // Sections without a usable distribution (a circular tube, or no flow at
  // the grid) are split evenly over their area and surface width.
  const bool lateral = ng >= 2 && c.qcum(ng) > 0.0f && std::isfinite(c.qcum(ng));

  float dq = 0.0f, p = 0.0f, wu = 0.0f;
  if (nw > 0) {
    if (lateral) {
      dq = c.qcum(ng) / static_cast<float>(nw);
      p = lookup(c.acum, c.yg, 0.5f * lookup(c.qcum, c.acum, dq));
    } else {
      dq = qt;
      wu = c.wtop / static_cast<float>(nw);
      p = -0.5f * c.wtop + 0.5f * wu;
    }
  }
  p -= 0.001f * static_cast<float>(il);

  float qcur = 0.0f, a0 = 0.0f, y0 = lateral ? lookup(c.acum, c.yg, 0.0f) : 0.0f;
  int k = 0;  // wet tubes so far
  for (int i = 1; i <= ntube; ++i) {
    const bool wet = i >= il && i <= ir;
    float da = 0.0f, w = 0.0f, h = 0.0f, us = 0.0f, eps = 0.0f;
    if (!wet) {
      p += 0.001f;
    } else if (lateral) {
      qcur += dq;
      const float a1 = lookup(c.qcum, c.acum, qcur);
      const float am = 0.5f * (a0 + a1);
      const float y1 = lookup(c.acum, c.yg, a1);
      da = a1 - a0;
      p = lookup(c.acum, c.yg, am);
      w = std::fabs(y1 - y0);
      h = w > 0.0f ? da / w : 0.0f;
      us = lookup(c.acum, c.usg, am);
      eps = eps_at(p);
      a0 = a1;
      y0 = y1;
    } else {
      ++k;
      da = c.area / static_cast<float>(nw);
      w = wu;
      h = w > 0.0f ? da / w : 0.0f;
      p = -0.5f * c.wtop + (static_cast<float>(k) - 0.5f) * wu;
    }
    cm.atub(i, n) = da;
    cm.htub(i, n) = h;
    cm.ytub(i, n) = p;
    cm.ntub(i, n) = eps;
    t.xtb(i, n) = c.xloc - rc.wfac * p * sa;
    t.ytb(i, n) = c.yloc - rc.wfac * p * ca;

    float z = 0.0f;
    switch (item) {
      case kBedLevel: z = zwl - h; break;
      case kFlowDepth: z = h; break;
      case kVelocity: z = da > 0.0f ? qt / da : 0.0f; break;
      case kFlow: z = w > 0.0f ? qt / w : 0.0f; break;
      case kBedShear: z = dq > 0.0f ? kRhoWater * (us * qt / dq) * (us * qt / dq) : 0.0f; break;
      default: break;
    }
    if (!wet && item != kBedLevel) z = 0.0f;
    t.ztb(i, n) = z;
  }
  return 0;
}

int tubes_compute(int item) {
  if (tube_alloc(cmixing.ntube) != 0) return 1;
  for (int n = 1; n <= ctubes.nsec; ++n) {
    int it = 0;
    if (tube_section(n, item, it) != 0) return 1;
  }
  return 0;
}

void tubes() {
  MixDisplay& disp = mix_display();
  int nt = cmixing.ntube;
  disp.ask_int("number of streamtubes", nt);
  // Refused before the quantity is chosen and the flow computed.
  if (nt < 1) {
    iimesg("number of streamtubes must be at least 1");
    return;
  }
  cmixing.ntube = std::min(nt, mxtube);

  static const FStr<32> items[5] = {"  Bed Level [m]", "  Flow Depth [m]", "  Velocity [m/s]",
                                    "  Flow [m2/s]", "  Bed Shear [N/m2]"};
  const int ch = disp.choose(items, "ITEM");
  if (ch < 1 || ch > 5) return;
  FStr<240>& title = cinput.title;
  for (int j = 1; j <= 30; ++j) title(80 + j) = items[ch - 1](j);
  fassign(title.span().subspan(160, 40), "[m]");
  fassign(title.span().subspan(200, 40), "[m]");

  int ierr = 0;
  bkwat(ierr, 1);
  if (ierr != 0) return;
  if (tubes_compute(ch) != 0) return;

  PlanView v;
  v.x = ctubes.xtb.data();
  v.y = ctubes.ytb.data();
  v.z = ctubes.ztb.data();
  v.nx = ctubes.ntube;
  v.ny = ctubes.nsec;
  v.title = title.view();
  v.kplot = cunit.kplot;
  v.nodata = -99.0f;
  disp.show_plan(v);
}

}  // namespace riv
