// Bed evolution run: quasi-steady steps on the current bed. Each step
// recomputes the steady water levels, the bed-load capacity of every branch
// section on its main channel, and raises or lowers the bed of each cell by
// the difference of the sediment entering and leaving it (Exner equation),
// limited where the bed has reached rock or its armour layer. The bed change
// stays in `dzb` for every later command.
//
// The bed update is explicit: a bed wave may travel at most one cell per
// update. A time step whose bed-wave Courant number exceeds 1 is split into
// parts, each on its own steady state. The run stops on the bed of the last
// sound part when the bed wave would travel faster than the water (a
// capacity out of all proportion, typically from a steady state on a
// degenerate bed) or when deposits fill a main channel up to the water
// surface: the quasi-steady main-channel model no longer holds.
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

// Stability of the explicit bed update. The capacity grows with about the
// third power of the velocity, so raising the main-channel bed (width B) by
// dz, which takes B dz from the flow area A, raises it by 3 Qs B dz / A.
constexpr float kBedWaveExp = 3.0f;  // exponent of the velocity in the capacity
constexpr float kMinArea = 0.001f;   // m2, floor of the flow area

Arr<float, mxbr> dxh;   // length of the bed cell of section n
Arr<float, mxbr> bw;    // active bed width of section n
Arr<float, mxbr> af;    // flow area of section n, m2
Arr<float, mxbr> zbm0;  // mean main-channel bed of section n without the bed change
Arr<float, mxbr> zwc;   // water level of section n, same frame as zbm0

// The bed and its fluxes after the last part that was done: what a stopped
// run keeps.
struct Sound {
  Arr<float, mxbr> dzb, vol, qsm;
  Arr0<float, mxbr> qs;
  double vin = 0.0, vout = 0.0;
  void take(const EvolResult& r) {
    const Cbedevol& b = cbedevol;
    dzb = b.dzb, vol = b.vol, qsm = b.qsm, qs = b.qs;
    vin = r.vin, vout = r.vout;
  }
  void give(EvolResult& r) const {
    Cbedevol& b = cbedevol;
    b.dzb = dzb, b.vol = vol, b.qsm = qsm, b.qs = qs;
    r.vin = vin, r.vout = vout;
  }
};
Sound sound;

std::string line_of(std::string s) {
  while (!s.empty() && s.back() == '\n') s.pop_back();
  return s;
}

int branch_size() { return std::clamp(creach.nsec, 0, mxbr); }


// Capacities of all sections at the current levels, with the armour limits.
void capacities(int nsec) {
  Cbedevol& b = cbedevol;
  const Creach& rc = creach;
  for (int n = 1; n <= nsec; ++n) {
    const int isec = cs_at(n);
    if (isec == 0) {  // the steady state has already reported it
      b.qs(n) = 0.0f;
      zwc(n) = -1.0e30f;
      continue;
    }
    float zw = rc.zwl(n) - rc.dzsec(n);
    int it = -1;
    csval(isec, zw, b.dzb(n), rc.sfsec(n), it);
    bw(n) = ccs.bm;
    af(n) = std::max(ccs.area, kMinArea);
    zbm0(n) = ccs.zbm - b.dzb(n);
    zwc(n) = zw;
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

// The bed wave over a part of dts seconds: its largest Courant number, and
// the first section where it would outrun the water (0: none), that is where
// the capacity carries more than (1 - porosity) / 3 of the discharge. A
// value that is not a number counts as the largest and as outrunning.
struct BedWave {
  float cr = 0.0f;
  int nfast = 0;
  float ratio = 0.0f;  // celerity / flow velocity at nfast
};
BedWave bed_wave(int nsec, float dts) {
  const Cbedevol& b = cbedevol;
  BedWave w;
  for (int n = 1; n <= nsec; ++n) {
    if (bw(n) <= 0.0f || dxh(n) <= 0.0f) continue;
    // celerity c = porf kBedWaveExp Qs / A;  Cr = c dt / dx;  flow velocity u = Q / A
    const float c = b.porf * kBedWaveExp * b.qs(n) / af(n);
    const float cr = c * dts / dxh(n);
    if (!(cr <= w.cr)) w.cr = cr;
    const float u = creach.qsec(n) / af(n);
    if (w.nfast == 0 && !(c <= u)) {
      w.nfast = n;
      w.ratio = c / std::max(u, 1.0e-6f);
    }
  }
  return w;
}

// Sediment balance of every cell over dts seconds, downstream from the
// inflow qs(0).
void bed_update(int nsec, float dts, EvolResult& r) {
  Cbedevol& b = cbedevol;
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

// The first section whose main channel the last update filled up to the
// water surface (its mean bed rose from below the water level to it or
// above), 0 when none: bed load does not settle above the water. share
// returns the part of that rise the channel had room for.
int filled(int nsec, float& share) {
  const Cbedevol& b = cbedevol;
  for (int n = 1; n <= nsec; ++n) {
    const float before = zbm0(n) + sound.dzb(n), after = zbm0(n) + b.dzb(n);
    if (after > before && before < zwc(n) && after >= zwc(n)) {
      share = (zwc(n) - before) / (after - before);
      return n;
    }
  }
  return 0;
}

// One time step from the model time t0 to t0 + dtime: steady state,
// capacities and bed update, in parts short enough for the bed wave and for
// the room left under the water.
// Returns 0 done, 1 the steady state failed, 2 the bed wave would outrun the
// water, 3 a main channel would fill up; after 2 and 3 the bed is that of the
// last part done, at the model time.
int bed_step(int nsec, float t0, EvolResult& r) {
  Cunit& u = cunit;
  Cbedevol& b = cbedevol;
  const double dtime = u.dtime;
  const int n2 = std::min(2, std::max(nsec, 1));
  float q1 = b.qs(1), q2 = b.qs(n2);  // capacities of the step before
  double done = 0.0, part = dtime;    // hours
  int nparts = 0;
  sound.take(r);
  while (done < dtime * (1.0 - 1.0e-6)) {
    part = std::min(part, dtime - done);
    u.tstart = t0 + static_cast<float>(done + part);
    int ierr = 0;
    bkwat(ierr, 0);
    if (ierr != 0) return 1;
    if (b.iform != 0) {
      // Equilibrium inflow: the capacities of the part before.
      b.qs(0) = b.qsin >= -1.0e-5f ? b.qsin * creach.qsec(1) : 0.5f * (q1 + q2);
      capacities(nsec);
      const float dts = kSecondsPerHour * static_cast<float>(part);
      const BedWave w = bed_wave(nsec, dts);
      if (w.nfast > 0) {
        r.nworst = w.nfast;
        r.ratio = w.ratio;
        sound.give(r);
        u.tstart = t0 + static_cast<float>(done);
        return 2;
      }
      if (w.cr > 1.0f) {
        part /= std::ceil(w.cr);
        continue;
      }
      bed_update(nsec, dts, r);
      float share = 1.0f;
      if (const int nf = filled(nsec, share); nf > 0) {
        sound.give(r);
        if (share < 0.5f) {
          // A part far too long for the deposit: half the room in a shorter one.
          part *= 0.5 * share;
          continue;
        }
        r.nworst = nf;
        u.tstart = t0 + static_cast<float>(done);
        return 3;
      }
      q1 = b.qs(1);
      q2 = b.qs(n2);
      sound.take(r);
    }
    done += part;
    ++nparts;
  }
  if (nparts > 1) {
    ++r.nsplit;
    r.maxparts = std::max(r.maxparts, nparts);
  }
  u.tstart = t0 + u.dtime;
  return 0;
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
// Says, on the message line and in the listing, that steps were split or
// that the run stopped on an unstable bed.
void evol_report(const EvolResult& r) {
  const FStr<8> name = r.nworst > 0 ? cchar.secnam(r.nworst) : FStr<8>();
  std::string t;
  if (r.nsplit > 0)
    t = fformat("('bed evolution:',i8,' time steps split in up to',i4,' parts for the bed wave')",
                {r.nsplit, r.maxparts});
  if (r.ierr == 2)
    t += fformat(
        "('bed evolution stopped at',f10.2,' h: bed wave',e10.2,' times faster than the flow at "
        "',a)",
        {cunit.tstart, r.ratio, name.trimmed()});
  else if (r.ierr == 3)
    t += fformat(
        "('bed evolution stopped at',f10.2,' h: main channel filled up to the water surface at "
        "',a)",
        {cunit.tstart, name.trimmed()});
  for (size_t i = 0, e; i < t.size(); i = e + 1) {
    e = std::min(t.find('\n', i), t.size());
    const std::string line = t.substr(i, e - i);
    fwrite(cunit.lulst, "(a)", {line});
    iimesg(line);
  }
}

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
    const float tk = u.tstart;
    const int st = bed_step(nsec, tk, r);
    if (st == 1) {
      // The bed keeps the completed steps; the model clock goes back so that
      // later steady computations do not run at the failed step's time.
      r.ierr = 1;
      u.tstart = tsave;
      return r;
    }
    if (st >= 2) {
      // The levels and the last picture show the bed that is kept (unless
      // the picture of the step before shows it already).
      r.ierr = st;
      bkwat(ierr, 0);
      if (u.tstart != tk || (k - 1) % 5 != 1) eprog(k, ichoice, r.nstep);
      break;
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
  evol_report(r);
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
