// One time step of the unsteady flow on the branch with the box scheme.
//
// Unknowns per section n: level correction dz(n) (variable 2n-1) and
// discharge correction dQ(n) (variable 2n). Row 1 imposes the upstream
// inflow, rows 2i and 2i+1 are continuity and momentum of reach i (sections
// i and i+1), row 2*nsec takes the downstream condition; a condition at an
// inner section n replaces the momentum row 2n+1 of the reach below it. The
// band has two sub- and two super-diagonals, so each Newton iteration is one
// pass of assembly plus one banded LU solution.
#include <algorithm>
#include <cmath>

#include "input/notify.hpp"
#include "input/units.hpp"
#include "numerics/numerics.hpp"
#include "routing/routing.hpp"
#include "sections/sections.hpp"
#include "steady/steady.hpp"

namespace riv {

namespace {

constexpr int kRows = 2 * mxbr;  // leading dimension of the band matrix
constexpr int kBand = 5;         // m1 + m2 + 1
constexpr int kIterMax = 10;
constexpr float kTolZ = 0.001f;  // m
constexpr float kTolQ = 0.1f;    // m3/s

// Fixed working storage, reused by every iteration and step.
double amat[kRows * kBand];
double rhs[kRows];
double alow[kRows * 2];
int indx[kRows];
float zold[mxbr], qold[mxbr], aold[mxbr], bold[mxbr], sfold[mxbr];
float sfnew[mxbr];
float qin[mxbr + 1];  // hydrograph sum at position 0..nsec
int kin[mxbr + 1];    // kind of the hydrograph found (3: imposed discharge)
int isecn[mxbr];      // listed section of each position

// Band element of row r for variable j (both 1-based).
inline double& band(int r, int j) { return amat[(r - 1) + (j - r + 2) * kRows]; }

inline void clear_row(int r) {
  for (int c = 0; c < kBand; ++c) amat[(r - 1) + c * kRows] = 0.0;
}

// Friction slope Q|Q|/K^2; a vanishing conveyance is held at the near-zero
// value of a dry section so that the slope stays finite.
inline float fslope(float q, float k) {
  const float kk = std::max(std::fabs(k), 1e-10f);
  return q * std::fabs(q) / (kk * kk);
}

int section_of(int n) {
  int isec = 0;
  FStr<8> name = cchar.secnam(n);
  csinq(isec, name.span());
  return isec;
}

}  // namespace

int flow1(int& iter, float& dzmax, float& dqmax) {
  Creach& rc = creach;
  const int ns = std::min(rc.nsec, mxbr);
  iter = 0;
  dzmax = 0.0f;
  dqmax = 0.0f;
  const float th = cunit.theta, psi = 1.0f - th, g = cunit.grav;
  const float dt = kSecondsPerHour * cunit.dtime;
  if (ns < 1 || !(dt > 0.0f)) return 0;
  const float dzlim = cinput.vcontr * cunit.dtime;

  // Old time level, hydrographs at the new time and section numbers: fixed
  // for the whole step.
  for (int n = 1; n <= ns; ++n) {
    zold[n - 1] = rc.zwl(n);
    qold[n - 1] = rc.qsec(n);
    aold[n - 1] = rc.asec(n);
    bold[n - 1] = rc.bsec(n);
    sfold[n - 1] = fslope(rc.qsec(n), rc.ksec(n));
    isecn[n - 1] = section_of(n);
  }
  for (int n = 0; n <= ns; ++n) {
    float vl;
    qin[n] = qnode(n, kin[n], vl);
  }

  for (int k = 1; k <= kIterMax; ++k) {
    const int nv = 2 * ns;
    for (int r = 1; r <= nv; ++r) {
      clear_row(r);
      rhs[r - 1] = 0.0;
    }
    for (int n = 1; n <= ns; ++n) sfnew[n - 1] = fslope(rc.qsec(n), rc.ksec(n));

    // Upstream boundary: the inflow of position 0.
    band(1, 2) = 1.0;
    rhs[0] = qin[0] - rc.qsec(1);

    for (int i = 1; i < ns; ++i) {
      const int j = i + 1;
      const float dx = std::fabs(rc.xsec(j) - rc.xsec(i));
      const float zi = rc.zwl(i), zj = rc.zwl(j), qi = rc.qsec(i), qj = rc.qsec(j);
      const float ai = rc.asec(i), aj = rc.asec(j), bi = rc.bsec(i), bj = rc.bsec(j);
      const float abar = 0.5f * (th * (ai + aj) + psi * (aold[i - 1] + aold[j - 1]));
      const float bbar = 0.5f * (th * (bi + bj) + psi * (bold[i - 1] + bold[j - 1]));
      const float ql = kin[i] == 3 ? 0.0f : qin[i];

      // Continuity, row 2i.
      const float fc = (dx / dt) * bbar * 0.5f * ((zi - zold[i - 1]) + (zj - zold[j - 1])) +
                       th * (qj - qi) + psi * (qold[j - 1] - qold[i - 1]) - ql;
      const int rcnt = 2 * i;
      const float cz = 0.5f * bbar * dx / dt;
      band(rcnt, 2 * i - 1) = cz;
      band(rcnt, 2 * i) = -th;
      band(rcnt, 2 * i + 1) = cz;
      band(rcnt, 2 * i + 2) = th;
      rhs[rcnt - 1] = -fc;

      // Momentum, row 2i+1.
      const float e = th * (zj - zi) + psi * (zold[j - 1] - zold[i - 1]) +
                      0.5f * dx * (th * (sfnew[i - 1] + sfnew[j - 1]) +
                                   psi * (sfold[i - 1] + sfold[j - 1]));
      const float m = th * (qj * qj / aj - qi * qi / ai) +
                      psi * (qold[j - 1] * qold[j - 1] / aold[j - 1] -
                             qold[i - 1] * qold[i - 1] / aold[i - 1]);
      const float fm = (dx / dt) * 0.5f * ((qi - qold[i - 1]) + (qj - qold[j - 1])) + m +
                       g * abar * e;
      const float ui = qi / ai, uj = qj / aj;
      const float ki = std::max(std::fabs(rc.ksec(i)), 1e-10f);
      const float kj = std::max(std::fabs(rc.ksec(j)), 1e-10f);
      const int rmom = 2 * i + 1;
      band(rmom, 2 * i - 1) = 0.5f * th * g * bi * e + th * ui * ui * bi - th * g * abar;
      band(rmom, 2 * i) = dx / (2.0f * dt) - 2.0f * th * ui +
                          0.5f * th * g * abar * dx * 2.0f * std::fabs(qi) / (ki * ki);
      band(rmom, 2 * i + 1) = 0.5f * th * g * bj * e - th * uj * uj * bj + th * g * abar;
      band(rmom, 2 * i + 2) = dx / (2.0f * dt) + 2.0f * th * uj +
                              0.5f * th * g * abar * dx * 2.0f * std::fabs(qj) / (kj * kj);
      rhs[rmom - 1] = -fm;
    }

    // Conditions: an imposed discharge or level replaces the momentum row of
    // the reach below its section, or the empty last row.
    for (int n = 1; n <= ns; ++n) {
      const int r = n < ns ? 2 * n + 1 : 2 * ns;
      // A single section already has its discharge fixed by the inflow row.
      if (kin[n] == 3 && qin[n] > 0.0f && !(n == ns && ns == 1)) {
        clear_row(r);
        band(r, 2 * n) = 1.0;
        rhs[r - 1] = qin[n] - rc.qsec(n);
        continue;
      }
      int iflag = -1;
      const float zn = znode(n, -9999.0f, iflag);
      if (iflag < 0) {
        if (n == ns) {
          cinput.cmesg = "missing downstream boundary condition";
          iimesg(cinput.cmesg.view());
          // Found in the first iteration, before any update: the old
          // state stands.
          iter = 0;
          return 1;
        }
        continue;
      }
      const float dzo = zn - zold[n - 1];
      float zt = zn;
      if (dzo > dzlim) zt = zold[n - 1] + dzlim;
      if (dzo < -dzlim) zt = zold[n - 1] - dzlim;
      clear_row(r);
      band(r, 2 * n - 1) = 1.0;
      rhs[r - 1] = zt - rc.zwl(n);
    }

    mbsolv(nv, amat, kRows, 2, 2, rhs, alow, indx, kStdout);

    // Update and new section properties.
    dzmax = 0.0f;
    dqmax = 0.0f;
    for (int n = 1; n <= ns; ++n) {
      const float dz = static_cast<float>(rhs[2 * n - 2]);
      const float dq = static_cast<float>(rhs[2 * n - 1]);
      rc.zwl(n) += dz;
      rc.qsec(n) += dq;
      dzmax = std::max(dzmax, std::fabs(dz));
      dqmax = std::max(dqmax, std::fabs(dq));
      const int isec = isecn[n - 1];
      if (isec == 0) continue;
      // The section sits at its place: levels shifted by dzsec, main channel
      // by the bed change, as in the steady solver.
      const float zr0 = rc.zwl(n) - rc.dzsec(n);
      float zrel = zr0;
      int itflag = 0;
      csval(isec, zrel, cbedevol.dzb(n), 0.001f, itflag);
      if (zrel != zr0) rc.zwl(n) = zrel + rc.dzsec(n);  // raised onto the bed
      rc.asec(n) = ccs.area;
      rc.bsec(n) = ccs.wtop;
      rc.ksec(n) = ccs.conv;
      rc.rsec(n) = ccs.perim > 0.0f ? ccs.area / ccs.perim : 0.0f;
    }
    iter = k;
    if (dzmax < kTolZ && dqmax < kTolQ) break;
  }
  return 0;
}

}  // namespace riv
