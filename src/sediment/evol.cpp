// Bed evolution run: quasi-steady steps on the current bed. Each step
// recomputes the steady water levels, the bed-load capacity of every branch
// section on its main channel, and raises or lowers the bed of each cell by
// the difference of the sediment entering and leaving it (Exner equation),
// limited where the bed has reached rock or its armour layer. The bed change
// stays in `dzb` for every later command.
#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

#include "input/notify.hpp"
#include "input/fformat.hpp"
#include "input/freeread.hpp"
#include "input/units.hpp"
#include "numerics/steps.hpp"
#include "sections/sections.hpp"
#include "sediment/sediment.hpp"
#include "steady/steady.hpp"

namespace riv {

SedDisplay seddisplay;

namespace {

Arr<float, mxbr> dxh;  // length of the bed cell of section n
Arr<float, mxbr> bw;   // active bed width of section n

std::string line_of(std::string s) {
  while (!s.empty() && s.back() == '\n') s.pop_back();
  return s;
}

int branch_size() { return std::clamp(creach.nsec, 0, mxbr); }

int listed_section(int n) {
  int isec = 0;
  FStr<8> name = cchar.secnam(n);
  csinq(isec, name.span());
  return isec;
}

// Capacities of all sections at the current levels, with the armour limits.
void capacities(int nsec) {
  Cbedevol& b = cbedevol;
  const Creach& rc = creach;
  for (int n = 1; n <= nsec; ++n) {
    const int isec = listed_section(n);
    if (isec == 0) {  // the steady state has already reported it
      b.qs(n) = 0.0f;
      continue;
    }
    float zw = rc.zwl(n) - rc.dzsec(n);
    int it = -1;
    csval(isec, zw, b.dzb(n), rc.sfsec(n), it);
    bw(n) = ccs.bm;
    float sb = 0.0f;
    if (n < nsec) {
      const float dx = std::fabs(rc.xsec(n) - rc.xsec(n + 1));
      if (dx > 0.0f) sb = (rc.zbed(n) - rc.zbed(n + 1)) / dx;
    }
    b.d30def = b.d30(n);
    b.dmdef = b.dm(n);
    b.d90def = b.d90(n);
    int iarm = 0;
    b.qs(n) = qbprof(rc.sfsec(n), sb, b.iform, iarm) * ccs.wtop;
    if (iarm == 1)
      b.zarm(n) = std::max(b.zarm(n), b.dzb(n) - 2.0f * b.d90(n));
    else
      b.zarm(n) = std::min(b.zarm(n), b.dzb(n) - b.dm(n));
  }
}

// Sediment balance of every cell, downstream from the inflow qs(0).
void bed_update(int nsec, EvolResult& r) {
  Cbedevol& b = cbedevol;
  const float dts = kSecondsPerHour * cunit.dtime;
  float qin = b.qs(0);
  r.vin += static_cast<double>(qin) * dts;
  for (int n = 1; n <= nsec; ++n) {
    float qout = 0.75f * b.qs(n) - 0.25f * b.qs(n - 1) + 0.5f * b.qs(std::min(n + 1, nsec));
    qout = std::max(qout, 0.0f);
    const bool fixed = -b.dzb(n) > b.drock(n) || b.zarm(n) >= b.dzb(n);
    if (fixed && qout > qin) qout = qin;
    const float cell = bw(n) * dxh(n);
    // A cell of no extent (a branch of one section, two sections at one
    // station) stores nothing: what enters passes on.
    if (cell <= 0.0f) qout = qin;
    b.qsm(n) = 0.5f * (qin + qout);
    b.vol(n) += b.qsm(n) * dts;
    if (cell > 0.0f) b.dzb(n) -= (qout - qin) / cell * dts * b.porf;
    qin = qout;
  }
  r.vout += static_cast<double>(qin) * dts;
}

}  // namespace

float evol_cell(int n) { return dxh(n); }
float evol_width(int n) { return bw(n); }

void evol_form(SedForm& f) {
  f = SedForm{};
  f.add("duration  [h]     ", line_of(fformat("(f12.1)", {cunit.tend})));
  f.add("time step [h]     ", line_of(fformat("(f12.2)", {cunit.dtime})));
}

bool evol_read(const SedForm& f) {
  float tend = cunit.tend, dtime = cunit.dtime;
  if (!f.number(1, tend) || !f.number(2, dtime)) return false;
  // A time step must advance the model time; the duration must be finite.
  if (tend < 0.0f) {
    iimesg("duration [h]: must not be negative");
    return false;
  }
  if (dtime <= 0.0f) {
    iimesg("time step [h]: must be above 0");
    return false;
  }
  cunit.tend = tend;
  cunit.dtime = dtime;
  return true;
}

namespace {
// The pictures of the run draw and go on without waiting (step mode); the
// plots of the commands after the run wait for the user again, whichever way
// the run ended (last step, Close, a failed steady state).
struct StepModeRestore {
  ~StepModeRestore() { eprog_end(); }
};
}  // namespace

EvolResult evol_run() {
  const StepModeRestore step_mode;
  EvolResult r;
  Cunit& u = cunit;
  Creach& rc = creach;
  Cbedevol& b = cbedevol;
  const int nsec = branch_size();

  u.tstart = 0.0f;
  int ierr = 0;
  bkwat(ierr, 0);
  for (int n = 1; n <= nsec; ++n) {
    b.vol(n) = 0.0f;
    b.zarm(n) = 0.001f;
    dxh(n) = 0.5f * std::fabs(rc.xsec(std::max(n - 1, 1)) - rc.xsec(std::min(n + 1, nsec)));
    bw(n) = 0.0f;
  }
  if (ierr != 0) {
    r.ierr = 1;
    return r;
  }
  bkwat(ierr, 0);
  if (ierr != 0) {
    r.ierr = 1;
    return r;
  }
  std::string why;
  r.nstep = count_steps(u.tend, u.dtime, why);
  if (r.nstep == 0) {
    iimesg(why);
    r.ierr = 1;
    return r;
  }
  int ichoice = 0;
  eprog(0, ichoice, r.nstep);
  const float tsave = u.tstart;

  for (int k = 1; k <= r.nstep; ++k) {
    u.tstart += u.dtime;
    bkwat(ierr, 0);
    if (ierr != 0) {
      // The bed keeps the completed steps; the model clock goes back so that
      // later steady computations do not run at the failed step's time.
      r.ierr = 1;
      u.tstart = tsave;
      return r;
    }
    if (b.iform != 0) {
      if (b.qsin >= -1.0e-5f)
        b.qs(0) = b.qsin * rc.qsec(1);
      else
        b.qs(0) = 0.5f * (b.qs(1) + b.qs(std::min(2, std::max(nsec, 1))));
      capacities(nsec);
      bed_update(nsec, r);
    }
    r.ndone = k;
    if (k % 5 == 1) {
      eprog(k, ichoice, r.nstep);
      if (ichoice == 7) break;
    }
  }

  const int lu = u.lulst;
  fwrite(lu, "(a)", {""});
  fwrite(lu, "(/,6x,'[km]  Fracht[m3] dm[mm]=',f8.0)", {1000.0f * b.dmdef});
  for (int n = 1; n <= nsec; ++n) fwrite(lu, "(f10.3,f12.1)", {rc.xsec(n) / 1000.0f, b.vol(n)});
  u.tstart = tsave;
  return r;
}

void evol() {
  // A refused form comes back with what was typed.
  SedForm f;
  evol_form(f);
  for (;;) {
    if (seddisplay.form)
      seddisplay.form(f);
    else
      f.label(1) = "cancel";
    if (f.cancelled()) return;
    if (evol_read(f)) break;
  }
  evol_run();
}

}  // namespace riv
