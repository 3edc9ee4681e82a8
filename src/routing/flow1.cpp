// One time step of the unsteady flow on the branch with the box scheme.
//
// Unknowns per section n: level correction dz(n) (variable 2n-1) and
// discharge correction dQ(n) (variable 2n). Row 1 imposes the upstream
// inflow, rows 2i and 2i+1 are continuity and momentum of reach i (sections
// i and i+1), row 2*nsec takes the downstream condition; a condition at an
// inner section n replaces the momentum row 2n+1 of the reach below it. The
// band has two sub- and two super-diagonals, so each Newton iteration is one
// pass of assembly plus one banded LU solution.
//
// Conditions at a section, in this order of precedence: an imposed discharge;
// a level condition (waterlevel, froude, critical), the level moving at most
// `vcontr` per hour; a discharge relation: a rating curve, weir, gate or
// culvert, or the normal-depth relation of a `slope` condition. A relation
// is one row Q(n) - Qs(z(n), E(n), E(n+1)) = 0 in place of the momentum
// equation of the reach below n (of the empty last row at the end), with the
// downstream energy level E(n+1) of the next section (free outflow at the
// end), linearised in every Newton iteration. Side weirs and side gates take
// water out of the continuity equation of their reach.
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

constexpr int kRows = 2 * mxbr;  // unknowns at most: level and discharge of each section
// Leading dimension of the band matrix: a few rows more than the unknowns, so
// that the entries of one row (a column of storage apart) do not fall on the
// same place within a 4 KB page (loads would wait for unrelated stores).
constexpr int kLd = kRows + 8;
constexpr int kBand = 5;         // m1 + m2 + 1
constexpr int kIterMax = 10;
constexpr float kTolZ = 0.001f;           // m
constexpr float kTolQ = 0.1f;             // m3/s
constexpr float kDhead = 0.001f;          // m, head step of the relation slopes
constexpr float kFreeOutflow = -1.0e10f;  // m, energy level below a free outflow
constexpr float kMinArea = 0.01f;         // m2, smallest area in a velocity head
constexpr int kMaxRecords = mxtabc / 3;   // condition records of the branch

// Fixed working storage, reused by every iteration and step.
double amat[kLd * kBand];
double rhs[kRows];
double alow[kLd * 2];
int indx[kRows];
float zold[mxbr], qold[mxbr], aold[mxbr], bold[mxbr], sfold[mxbr];
float sfnew[mxbr];
float qin[mxbr + 1];  // hydrograph sum at position 0..nsec
int kin[mxbr + 1];    // kind of the hydrograph found (3: imposed discharge)
int isecn[mxbr];      // listed section of each position
float qside[mxbr];    // side outflow of each position at the old level

// The conditions of every position, indexed once per step: the records of
// position n are recs[first[n] .. first[n+1]-1] in input order.
NodeRecord chain[kMaxRecords];
NodeRecord recs[kMaxRecords];
int first[mxbr + 2];
// What decides a position: 0 nothing, 1 a level condition, 2 relations
// (rating curve, structures), 3 the normal-depth relation of `slope`.
int decide[mxbr + 1];
float slope_of[mxbr + 1];  // energy slope of a `slope` condition
bool has_side[mxbr + 1];   // side weirs or side gates at the position

// Band element of row r for variable j (both 1-based).
inline double& band(int r, int j) { return amat[(r - 1) + (j - r + 2) * kLd]; }

inline void clear_row(int r) {
  for (int c = 0; c < kBand; ++c) amat[(r - 1) + c * kLd] = 0.0;
}

// Friction slope Q|Q|/K^2; a vanishing conveyance is held at the near-zero
// value of a dry section so that the slope stays finite.
inline float fslope(float q, float k) {
  const float kk = std::max(std::fabs(k), 1e-10f);
  return q * std::fabs(q) / (kk * kk);
}

// Sorts the branch records by position (stable: input order within a
// position) and sums the hydrographs, as qnode does, for positions 0..ns.
void index_conditions(int ns) {
  const int m = node_records(chain, kMaxRecords);
  std::fill(first, first + ns + 2, 0);
  for (int i = 0; i < m; ++i)
    if (chain[i].pos >= 0 && chain[i].pos <= ns) ++first[chain[i].pos + 1];
  for (int n = 1; n <= ns + 1; ++n) first[n] += first[n - 1];
  int fill[mxbr + 1];
  std::copy(first, first + ns + 1, fill);
  for (int i = 0; i < m; ++i)
    if (chain[i].pos >= 0 && chain[i].pos <= ns) recs[fill[chain[i].pos]++] = chain[i];

  for (int n = 0; n <= ns; ++n) {
    qin[n] = 0.0f;
    kin[n] = -1;
    decide[n] = 0;
    has_side[n] = false;
    for (int i = first[n]; i < first[n + 1]; ++i) {
      const NodeRecord& r = recs[i];
      if (r.kind == kTabInflow && r.len >= 3) {
        qin[n] += node_at_time(r);
        kin[n] = static_cast<int>(std::lround(ccs.tabc(r.row + 2, 2)));
      } else if ((r.kind == kTabLevel || r.kind == kTabCritical || r.kind == kTabSlope) &&
                 r.len >= 3) {
        // The first level condition of a position decides, relations or not.
        if (decide[n] == 1 || decide[n] == 3) continue;
        decide[n] = r.kind == kTabSlope ? 3 : 1;
        if (r.kind == kTabSlope) slope_of[n] = std::max(node_at_time(r), 1e-10f);
      } else if ((r.kind == kTabSideWeir || r.kind == kTabSideGate) && relation_valid(r)) {
        has_side[n] = true;
      } else if (relation_valid(r) && decide[n] == 0) {
        decide[n] = 2;
      }
    }
  }
}

// Discharge leaving the branch at position n over its side structures.
float side_out(int n, float z) {
  float q = 0.0f;
  for (int i = first[n]; i < first[n + 1]; ++i) q += side_outflow(recs[i], z);
  return q;
}

// Discharge through the relations (rating curves and structures) of position
// n at level z with energy level e; eoth the energy level downstream.
float relations(int n, float z, float e, float eoth) {
  const Creach& rc = creach;
  const float el = n < rc.nsec ? std::fabs(rc.xsec(n) - rc.xsec(n + 1))
                   : n > 1     ? std::fabs(rc.xsec(n) - rc.xsec(n - 1))
                               : 0.0f;
  float q = 0.0f;
  for (int i = first[n]; i < first[n + 1]; ++i) {
    const NodeRecord& r = recs[i];
    if (r.kind == kTabHq || r.kind == kTabWeir || r.kind == kTabGate || r.kind == kTabCulvert)
      if (relation_valid(r)) q += node_relation(r, z, e, eoth, el);
  }
  return q;
}

// Energy level z + (Q/A)^2/2g of section n and its slope dE/dz = 1 - Q^2 B/(g A^3),
// held at zero where the flow is supercritical.
float energy(int n, float& dedz, float& dedq) {
  const Creach& rc = creach;
  const float g = cunit.grav;
  const float a = std::max(rc.asec(n), kMinArea), q = rc.qsec(n);
  dedz = std::max(0.0f, 1.0f - q * q * rc.bsec(n) / (g * a * a * a));
  dedq = q / (g * a * a);
  return rc.zwl(n) + q * q / (2.0f * g * a * a);
}

// Row r: Q(n) - Qs = 0 for the rating curves and structures at n, with the
// slopes of Qs taken over a head step of kDhead (a secant across a switch of
// the flow regime, so the iteration does not stall where a formula has no
// derivative).
void relation_row(int r, int n, int ns) {
  const Creach& rc = creach;
  float dez1, deq1, dez2 = 0.0f, deq2 = 0.0f;
  const float z1 = rc.zwl(n);
  const float e1 = energy(n, dez1, deq1);
  const float e2 = n < ns ? energy(n + 1, dez2, deq2) : kFreeOutflow;
  const float qs = relations(n, z1, e1, e2);
  // dQs/dz at fixed energy, dQs/dE1 and dQs/dE2
  const float sz = (relations(n, z1 + kDhead, e1, e2) - qs) / kDhead;
  const float se1 = (relations(n, z1, e1 + kDhead, e2) - qs) / kDhead;
  const float se2 = n < ns ? (relations(n, z1, e1, e2 + kDhead) - qs) / kDhead : 0.0f;
  clear_row(r);
  band(r, 2 * n - 1) = -(sz + se1 * dez1);
  band(r, 2 * n) = 1.0 - se1 * deq1;
  if (n < ns) {
    band(r, 2 * n + 1) = -se2 * dez2;
    band(r, 2 * n + 2) = -se2 * deq2;
  }
  rhs[r - 1] = -(rc.qsec(n) - qs);
}

// Row r: Q(n) - K(z(n)) sqrt(S) = 0, the normal-depth relation of a `slope`
// condition, with dK/dz over a step of kDhead from the section itself.
void slope_row(int r, int n) {
  Creach& rc = creach;
  const float rs = std::sqrt(slope_of[n]);
  // K at the level and a step above it, both from the section itself (the
  // steady start holds table values, which differ a little).
  float k[2] = {rc.ksec(n), rc.ksec(n)};
  for (int i = 0; i < 2 && isecn[n - 1] != 0; ++i) {
    float zrel = rc.zwl(n) - rc.dzsec(n) + static_cast<float>(i) * kDhead;
    int itflag = 0;
    csval(isecn[n - 1], zrel, cbedevol.dzb(n), 0.001f, itflag);
    k[i] = ccs.conv;
  }
  const float dkdz = (k[1] - k[0]) / kDhead;
  clear_row(r);
  band(r, 2 * n - 1) = -rs * dkdz;
  band(r, 2 * n) = 1.0;
  rhs[r - 1] = -(rc.qsec(n) - rs * k[0]);
}

// Row r: dz(n) = zt - z(n), the level of a level condition, moving at most
// dzlim from the old level.
void level_row(int r, int n, float dzlim) {
  int iflag = -1;
  const float zn = znode(n, -9999.0f, iflag);
  const float dzo = zn - zold[n - 1];
  float zt = zn;
  if (dzo > dzlim) zt = zold[n - 1] + dzlim;
  if (dzo < -dzlim) zt = zold[n - 1] - dzlim;
  clear_row(r);
  band(r, 2 * n - 1) = 1.0;
  rhs[r - 1] = zt - creach.zwl(n);
}

// Continuity (row 2i) and momentum (row 2i+1) of reach i.
void reach_rows(int i, float dt) {
  const Creach& rc = creach;
  const float th = cunit.theta, psi = 1.0f - th, g = cunit.grav;
  const int j = i + 1;
  const float dx = std::fabs(rc.xsec(j) - rc.xsec(i));
  const float zi = rc.zwl(i), zj = rc.zwl(j), qi = rc.qsec(i), qj = rc.qsec(j);
  const float ai = rc.asec(i), aj = rc.asec(j), bi = rc.bsec(i), bj = rc.bsec(j);
  const float abar = 0.5f * (th * (ai + aj) + psi * (aold[i - 1] + aold[j - 1]));
  const float bbar = 0.5f * (th * (bi + bj) + psi * (bold[i - 1] + bold[j - 1]));
  const float ql = kin[i] == 3 ? 0.0f : qin[i];

  // Fc = dx/dt Bm (dz_i + dz_j)/2 + th (Qj - Qi) + psi (Qj° - Qi°) - q
  const float fc = (dx / dt) * bbar * 0.5f * ((zi - zold[i - 1]) + (zj - zold[j - 1])) +
                   th * (qj - qi) + psi * (qold[j - 1] - qold[i - 1]) - ql;
  const int rcnt = 2 * i;
  const float cz = 0.5f * bbar * dx / dt;
  band(rcnt, 2 * i - 1) = cz;
  band(rcnt, 2 * i) = -th;
  band(rcnt, 2 * i + 1) = cz;
  band(rcnt, 2 * i + 2) = th;
  rhs[rcnt - 1] = -fc;

  // Fm = dx/dt (dQi + dQj)/2 + M + g Am E, E the time-weighted level and friction terms
  const float e =
      th * (zj - zi) + psi * (zold[j - 1] - zold[i - 1]) +
      0.5f * dx * (th * (sfnew[i - 1] + sfnew[j - 1]) + psi * (sfold[i - 1] + sfold[j - 1]));
  const float m =
      th * (qj * qj / aj - qi * qi / ai) +
      psi * (qold[j - 1] * qold[j - 1] / aold[j - 1] - qold[i - 1] * qold[i - 1] / aold[i - 1]);
  const float fm = (dx / dt) * 0.5f * ((qi - qold[i - 1]) + (qj - qold[j - 1])) + m + g * abar * e;
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

// Side outflow of position n, time-weighted, in the continuity row of its
// reach (the last reach for the last section).
void side_rows(int ns) {
  const float th = cunit.theta, psi = 1.0f - th;
  if (ns < 2) return;
  for (int n = 1; n <= ns; ++n) {
    if (!has_side[n]) continue;
    const int i = std::min(n, ns - 1);
    const float z = creach.zwl(n);
    const float qs = side_out(n, z);
    const float dqs = (side_out(n, z + kDhead) - qs) / kDhead;
    // Fc += th qs(z) + psi qs(z°)
    rhs[2 * i - 1] -= th * qs + psi * qside[n - 1];
    band(2 * i, 2 * n - 1) += th * dqs;
  }
}

// The conditions of all positions; false when the last one has none.
bool condition_rows(int ns, float dzlim) {
  for (int n = 1; n <= ns; ++n) {
    const int r = n < ns ? 2 * n + 1 : 2 * ns;
    // A single section already has its discharge fixed by the inflow row.
    if (kin[n] == 3 && qin[n] > 0.0f && !(n == ns && ns == 1)) {
      clear_row(r);
      band(r, 2 * n) = 1.0;
      rhs[r - 1] = qin[n] - creach.qsec(n);
    } else if (decide[n] == 1) {
      level_row(r, n, dzlim);
    } else if (decide[n] == 2) {
      relation_row(r, n, ns);
    } else if (decide[n] == 3) {
      slope_row(r, n);
    } else if (n == ns) {
      return false;
    }
  }
  return true;
}

// Applies the corrections and evaluates the sections at their new levels.
void update(int ns, float& dzmax, float& dqmax) {
  Creach& rc = creach;
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
}

// Old time level, hydrographs at the new time, conditions and section
// numbers: fixed for the whole step.
void save_old_level(int ns) {
  const Creach& rc = creach;
  for (int n = 1; n <= ns; ++n) {
    zold[n - 1] = rc.zwl(n);
    qold[n - 1] = rc.qsec(n);
    aold[n - 1] = rc.asec(n);
    bold[n - 1] = rc.bsec(n);
    sfold[n - 1] = fslope(rc.qsec(n), rc.ksec(n));
    isecn[n - 1] = cs_at(n);
  }
  index_conditions(ns);
  for (int n = 1; n <= ns; ++n) qside[n - 1] = has_side[n] ? side_out(n, zold[n - 1]) : 0.0f;
}

bool finite_corrections(int nv) {
  for (int i = 0; i < nv; ++i)
    if (!std::isfinite(rhs[i])) return false;
  return true;
}

// Puts the state of the old time level back, with its section properties.
void restore_old_level(int ns) {
  Creach& rc = creach;
  for (int n = 1; n <= ns; ++n) {
    rhs[2 * n - 2] = zold[n - 1] - rc.zwl(n);
    rhs[2 * n - 1] = qold[n - 1] - rc.qsec(n);
    if (!std::isfinite(rhs[2 * n - 2]) || !std::isfinite(rhs[2 * n - 1])) {
      rc.zwl(n) = zold[n - 1];
      rc.qsec(n) = qold[n - 1];
      rhs[2 * n - 2] = rhs[2 * n - 1] = 0.0;
    }
  }
  float dz, dq;
  update(ns, dz, dq);
}

}  // namespace

int flow1(int& iter, float& dzmax, float& dqmax) {
  Creach& rc = creach;
  const int ns = std::min(rc.nsec, mxbr);
  iter = 0;
  dzmax = 0.0f;
  dqmax = 0.0f;
  const float dt = kSecondsPerHour * cunit.dtime;
  if (ns < 1 || !(dt > 0.0f)) return 0;
  const float dzlim = cinput.vcontr * cunit.dtime;
  save_old_level(ns);

  for (int k = 1; k <= kIterMax; ++k) {
    const int nv = 2 * ns;
    for (int r = 1; r <= nv; ++r) {
      clear_row(r);
      rhs[r - 1] = 0.0;
    }
    for (int n = 1; n <= ns; ++n) sfnew[n - 1] = fslope(rc.qsec(n), rc.ksec(n));
    // Upstream boundary: dQ(1) = Qin - Q(1)
    band(1, 2) = 1.0;
    rhs[0] = qin[0] - rc.qsec(1);
    for (int i = 1; i < ns; ++i) reach_rows(i, dt);
    side_rows(ns);
    if (!condition_rows(ns, dzlim)) {
      cinput.cmesg = "missing downstream boundary condition";
      iimesg(cinput.cmesg.view());
      // Found in the first iteration, before any update: the old state stands.
      iter = 0;
      return 1;
    }
    mbsolv(nv, amat, kLd, 2, 2, rhs, alow, indx, kStdout);
    if (!finite_corrections(nv)) {
      // A correction without a number would spoil every later step: the old
      // state stands and the run ends here.
      restore_old_level(ns);
      cinput.cmesg = "routing step without solution (no finite correction)";
      iimesg(cinput.cmesg.view());
      iter = k;
      return 2;
    }
    update(ns, dzmax, dqmax);
    iter = k;
    if (dzmax < kTolZ && dqmax < kTolQ) break;
  }
  return 0;
}

}  // namespace riv
