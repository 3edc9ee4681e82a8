// Mixing model: transport of a dissolved load (or of a temperature excess)
// along the stream tubes with an explicit predictor-corrector step, sources
// from the loads of the common table, decay or surface heat flux, and an
// implicit lateral diffusion step across the tubes of every section. Results
// go to a direct-access file at the output interval.
#include <algorithm>
#include <cmath>
#include <string>

#include "input/notify.hpp"
#include "input/fformat.hpp"
#include "input/units.hpp"
#include "mixing/mixing.hpp"
#include "numerics/numerics.hpp"
#include "numerics/steps.hpp"
#include "sections/sections.hpp"
#include "steady/steady.hpp"

namespace riv {

MixBalance mixbal;

namespace {

// Work arrays of the steps (fixed size, kept between calls).
Arr2<float, mxtube, mxbr> srw;  // source term of the step, g/s
float c0w[mxbr];                // concentrations at the start of the step
double mlat[3 * mxtube];        // lateral system of one section
double rlat[mxtube];
int idryw[mxtube];

// A whole number stored as a real in the common table.
int whole(float v) {
  if (!(v == v)) return 0;
  return static_cast<int>(std::clamp(v, -1.0e6f, 1.0e6f));
}

// One formatted line without its line end.
std::string line(std::string_view fmt, std::initializer_list<FArg> args) {
  std::string s = fformat(fmt, args);
  while (!s.empty() && s.back() == '\n') s.pop_back();
  return s;
}

bool is_wet(int i, int n) { return i >= ctubes.il(n) && i <= ctubes.ir(n); }

// Loads of the common table at model time tsec into srw; the load of a
// record is shared equally by its source tubes.
void add_loads(int nsec, int ntube, float tsec, float dt) {
  const Arr2<float, mxtabc, 2>& tb = ccs.tabc;
  int row = 1;
  while (row <= mxtabc) {
    const int len = whole(tb(row, 1));
    if (len <= 0 || row + len - 1 > mxtabc) break;
    if (whole(tb(row, 2)) == kTabLoad && len >= 4) {
      const int n = whole(tb(row + 1, 1));
      const int m = std::min(whole(tb(row + 2, 1)), len - 3);
      const int i1 = std::max(whole(tb(row + 1, 2)), 1);
      const int i2 = std::min(whole(tb(row + 2, 2)), ntube);
      if (n >= 1 && n <= nsec && m >= 1 && i1 <= i2) {
        float slope = 0.0f;
        int ierr = 0;
        const float load = rmint(m, tb.col(1) + row + 2, tb.col(2) + row + 2, tsec, slope, ierr);
        const float share = load / static_cast<float>(i2 - i1 + 1);
        for (int i = i1; i <= i2; ++i) {
          srw(i, n) += share;
          if (is_wet(i, n)) mixbal.released += static_cast<double>(dt) * share;
        }
      }
    }
    row += len;
  }
}

// Result records of one output time, starting after record rec.
void write_block(DaFile& f, int rec, float th) {
  const int nt = ctubes.ntube;
  for (int n = 1; n <= ctubes.nsec; ++n) {
    da_begin(f);
    da_real(f, th);
    for (int i = 1; i <= nt; ++i) da_real(f, cmixing.ctub(i, n));
    for (int i = 1; i <= nt; ++i) da_real(f, cmixing.htub(i, n));
    for (int i = 1; i <= nt; ++i) da_real(f, creach.zwl(n) - cmixing.htub(i, n));
    da_write(f, rec + n);
  }
}

void write_markers(DaFile& f, int rec) {
  for (int k = rec + 1; k <= rec + 2; ++k) {
    da_begin(f);
    da_real(f, cunit.rmiss);
    da_write(f, k);
  }
}

}  // namespace

void advec(float dq0, const Arr2<float, mxtube, mxbr>& atub, const Arr2<float, mxtube, mxbr>& htub,
           Arr2<float, mxtube, mxbr>& ctub, const Arr<int, mxbr>& il, const Arr<int, mxbr>& ir,
           const Arr<float, mxbr>& dx, float dt, float tsec) {
  const Cmixing& cm = cmixing;
  const int nsec = ctubes.nsec, ntube = ctubes.ntube;
  for (int n = 1; n <= nsec; ++n)
    for (int i = 1; i <= ntube; ++i) srw(i, n) = 0.0f;
  add_loads(nsec, ntube, tsec, dt);

  // Losses: heat through the water surface of the cell, or first-order decay.
  if (cm.ltherm != 0 || cm.decay > 0.0f) {
    for (int n = 1; n <= nsec; ++n)
      for (int i = il(n); i <= ir(n); ++i) {
        const float vol = dx(n) * atub(i, n);
        const float loss = cm.ltherm != 0
                               ? cm.sflux * ctub(i, n) * vol / std::max(htub(i, n), 0.001f)
                               : cm.decay * ctub(i, n) * vol;
        srw(i, n) -= loss;
        mixbal.lost += static_cast<double>(dt) * loss;
      }
  }

  for (int i = 1; i <= ntube; ++i) {
    // Predictor: half step with upwind fluxes.
    float fup = 0.0f;
    for (int n = 1; n <= nsec; ++n) {
      const float c = ctub(i, n);
      c0w[n - 1] = c;
      if (i < il(n) || i > ir(n)) {
        ctub(i, n) = 0.0f;
        fup = 0.0f;
        continue;
      }
      const float f = dq0 * c;
      ctub(i, n) = c - 0.5f * dt * (f - fup - srw(i, n)) / (dx(n) * atub(i, n));
      fup = f;
    }
    // Corrector: full step with the fluxes of the predicted values, the
    // downstream face value raised by half the limited slope.
    fup = 0.0f;
    float dprev = 0.0f;
    for (int n = 1; n <= nsec; ++n) {
      if (i < il(n) || i > ir(n)) {
        ctub(i, n) = 0.0f;
        dprev = 0.0f;
        fup = 0.0f;
        continue;
      }
      const float cs = ctub(i, n);
      const int nn = std::min(n + 1, nsec);
      const float d = ctub(i, nn) - cs;
      const float s = dprev * d >= 0.0f ? (std::fabs(dprev) < std::fabs(d) ? dprev : d) : 0.0f;
      const float f = dq0 * (cs + 0.5f * s);
      ctub(i, n) = c0w[n - 1] - dt * (f - fup - srw(i, n)) / (dx(n) * atub(i, n));
      // What leaves the last section, or runs into a section where the tube
      // is dry, leaves the tube.
      if (n == nsec || i < il(n + 1) || i > ir(n + 1))
        mixbal.outflow += static_cast<double>(dt) * f;
      dprev = d;
      fup = f;
    }
  }
}

void mixlat(float dt) {
  Cmixing& cm = cmixing;
  const int nt = ctubes.ntube;
  for (int n = 1; n <= ctubes.nsec; ++n) {
    for (int i = 1; i <= nt; ++i) idryw[i - 1] = is_wet(i, n) ? 0 : 1;
    diff(nt, cm.ytub.col(n), cm.ctub.col(n), cm.htub.col(n), cm.ntub.col(n), cm.dcoef, idryw, 3,
         mlat, rlat);
    for (int i = 1; i <= nt; ++i) mlat[1 + 3 * (i - 1)] += cm.atub(i, n) / dt;
    mmtri(nt, mlat, 3, rlat, cunit.lulst);
    for (int i = 1; i <= nt; ++i) cm.ctub(i, n) += static_cast<float>(rlat[i - 1]);
  }
}

namespace {

// Result file: the header record and the record of the variable names.
void write_header(DaFile& f, int reclen, int nt, int nsec) {
  da_begin(f);
  da_int(f, -95);
  da_int(f, reclen);
  da_int(f, nt);
  da_int(f, nsec);
  da_int(f, 1);
  da_int(f, 2);
  da_text(f, cinput.title.view(), 80);
  da_write(f, 1);
  da_begin(f);
  da_int(f, 3);
  da_text(f, "Time[h]", 32);
  da_text(f, cmixing.ltherm != 0 ? " TTemperature [K]" : " CConcentration [g/m3]", 32);
  da_text(f, " DFlow Depth", 32);
  da_text(f, " BBed Level", 32);
  da_write(f, 2);
}

// Tube geometry of every section and the plan positions of its tubes
// (records 3 .. 2 + 2 nsec); itmax receives the largest iteration count of
// the lateral distribution. False when a section cannot be divided.
bool write_geometry(DaFile& f, int nsec, int nt, int& itmax) {
  const Ctubes& t = ctubes;
  itmax = 0;
  for (int n = 1; n <= nsec; ++n) {
    int it = 0;
    if (tube_section(n, kItemNone, it) != 0) return false;
    itmax = std::max(itmax, it);
    for (int k = 0; k < 2; ++k) {
      da_begin(f);
      da_real(f, 1.0f);
      for (int i = 1; i <= nt; ++i) da_real(f, k == 0 ? t.xtb(i, n) : t.ytb(i, n));
      da_write(f, 2 + n + k * nsec);
    }
  }
  return true;
}

// Courant time step: dt = cfl * min over the reaches of A_min dx / dq0, with
// A_min the smallest wet tube area of the upstream section. False (with
// the message) when a wet tube holds no water.
bool courant_step(int nsec, float dq0, float& dt) {
  const Cmixing& cm = cmixing;
  const Ctubes& t = ctubes;
  float tmin = 3.0e38f;
  for (int n = 1; n <= nsec; ++n) {
    float amin = 1.0e10f;
    for (int i = t.il(n); i <= t.ir(n); ++i) {
      if (!(cm.atub(i, n) > 0.0f) || !(cm.htub(i, n) > 0.0f)) {
        iimesg(line("('no flow area in stream tube',i3,' at ',a)", {i, cchar.secnam(n)}));
        return false;
      }
      amin = std::min(amin, cm.atub(i, n));
    }
    if (n < nsec) tmin = std::min(tmin, amin * t.dx(n) / dq0);
  }
  dt = cunit.cfl * tmin;
  return true;
}

// The transport steps from the model time on: advection and lateral
// diffusion, a block of records every print interval.
void run_steps(DaFile& f, int& rec, int nsec, float dt, int nstep, int steps) {
  Cmixing& cm = cmixing;
  Ctubes& t = ctubes;
  double ts = static_cast<double>(cunit.tstart) * 3600.0;  // model time, s
  float te = cm.tprint + 1.0f;
  for (int k = 1; k <= steps; ++k) {
    te += dt;
    if (te >= cm.tprint) {
      const float th = static_cast<float>(ts / 3600.0);
      write_block(f, rec, th);
      rec += nsec;
      write_markers(f, rec);
      cinput.cline = line("('Mixing',f6.1,'h')", {th});
      mix_display().progress(k, nstep, cinput.cline.trimmed());
      te = 0.0f;
    }
    ts += dt;
    advec(t.dq0, cm.atub, cm.htub, cm.ctub, t.il, t.ir, t.dx, dt, static_cast<float>(ts));
    mixlat(dt);
  }
  cunit.tstart = static_cast<float>(ts / 3600.0);
}

}  // namespace

int mix_run() {
  Cmixing& cm = cmixing;
  const Creach& rc = creach;
  Ctubes& t = ctubes;
  cm.ntube = std::min(cm.ntube, mxtube);
  const int nsec = std::min(rc.nsec, mxbr);
  if (nsec < 2) {
    iimesg("mixing needs at least two branch sections");
    return 1;
  }
  if (tube_alloc(cm.ntube) != 0) return 1;
  for (int n = 1; n <= nsec; ++n)
    if (!(t.dx(n) > 0.0f)) {
      iimesg(line("('zero distance between sections at ',a)", {cchar.secnam(n)}));
      return 1;
    }
  const int nt = t.ntube;
  const float dq0 = t.dq0;

  const int reclen = cunit.nbyte * std::max(40, 3 * nt + 1) + 1;
  static DaFile f;
  if (iiguard(cinput.filres.view())) return 1;
  if (!da_open(f, cinput.filres.view(), reclen)) {
    iimesg(line("('cannot open result file ',a)", {cinput.filres.trimmed()}));
    return 1;
  }
  write_header(f, reclen, nt, nsec);
  int itmax = 0;
  if (!write_geometry(f, nsec, nt, itmax)) {
    da_close(f);
    return 1;
  }
  int rec = 2 + 2 * nsec;
  write_markers(f, rec);
  iimesg(line("('velocity calculation completed (it=',i2,')')", {itmax}));

  float dt = 0.0f;
  if (!courant_step(nsec, dq0, dt)) {
    da_close(f);
    return 1;
  }
  fwrite(kStdout, "(' >Q(tube)',f7.2,'m3/s >timestep',f8.1,'s')", {dq0, dt});
  std::string why;
  const int nstep = count_steps(3600.0 * static_cast<double>(cunit.tend), dt, why);
  if (nstep == 0) {
    iimesg("no usable time step for mixing: " + why);
    da_close(f);
    return 1;
  }
  // The first step writes the start state, so the run makes one step more.
  const int steps = nstep + 1;

  for (int n = 1; n <= mxbr; ++n)
    for (int i = 1; i <= mxtube; ++i) cm.ctub(i, n) = 0.0f;
  mixbal = MixBalance{};
  mixbal.dt = dt;
  mixbal.steps = steps;
  run_steps(f, rec, nsec, dt, nstep, steps);

  const bool ok = da_close(f);
  if (!ok) iimesg(line("('error writing result file ',a)", {cinput.filres.trimmed()}));
  cinput.cline = line("('>results on file ',a)", {cinput.filres.trimmed()});
  iimesg(cinput.cline.view());
  return 0;
}

void mix() {
  int ierr = 0;
  bkwat(ierr, 1);
  if (ierr != 0) return;
  mix_run();
}

}  // namespace riv
