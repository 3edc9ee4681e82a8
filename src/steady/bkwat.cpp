// Backwater solver: the steady water-surface profile of the branch.
//
// Discharges accumulate from the inflows; the upstream pass solves the energy
// (or momentum) equation section by section from the downstream condition,
// with the level-setting conditions and structures of the positions; the
// downstream pass follows supercritical reaches from their control section
// and places the hydraulic jump where the subcritical specific force exceeds
// the supercritical one. Every section's property table is built once and
// kept: positions that list the same section with the same bed change, and
// later runs on the unchanged model, take it from the store of tables; the
// iterations read the table only.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "input/notify.hpp"
#include "input/fformat.hpp"
#include "input/units.hpp"
#include "numerics/numerics.hpp"
#include "sections/sections.hpp"
#include "steady/steady.hpp"

namespace riv {

Bkstat bkstat;

namespace {

// ---- Solver constants ----
constexpr float kAccel = 1.1f;        // loss coefficient, flow accelerating downstream (-)
constexpr float kExpand = 0.7f;       // loss coefficient, flow slowing down (-)
constexpr int kNewtonMax = 20;        // Newton steps per reach
constexpr float kDzConv = 0.0001f;    // convergence of the level, m
constexpr float kCritSlope = -0.1f;   // dF/dz at or above this: no subcritical solution (-)
constexpr float kCritFr2 = 1.5f;      // Froude number squared at or above this: critical (-)
constexpr float kFloor = 0.05f;       // level floor above the lowest table level, m
constexpr float kStartRaise = 0.01f;  // start level above the level of the start area, m
constexpr float kStill = 0.1f;        // velocity of almost still water, m/s
constexpr float kFullWidth = 0.01f;   // surface width at or below which the section runs full, m
constexpr float kSuperFr2 = 1.05f;    // criterion of the supercritical start level (-)
constexpr float kSuperStep = 0.001f;  // step of the supercritical search, m
constexpr float kTiny = 1e-6f;        // floor of areas and conveyances in divisions

Arr<int, mxbr> lcrit;  // 1: position found critical in the upstream pass

// ---- Property tables kept by section ----

// The table of a section with a bed change, in the section's own levels
// (built with no shift); a position adds its shift to the levels.
struct SecTable {
  unsigned gen = 0;                           // store generation it was built in; 0 = none
  float dzb = 0.0f;                           // bed change it was built with
  int it = 0;                                 // iteration count of the lateral method
  float zmin = 0.0f, zbl = 0.0f, zbr = 0.0f;  // lowest point, bank tops
  float z[mxtabv], a[mxtabv], b[mxtabv], k[mxtabv], r[mxtabv];
  Said said;  // what building it said, said again at every reuse
};
SecTable stab[mxlist];

// What else a table depends on: the settings of the section hydraulics and
// the roughness classes. A change of any of them drops every kept table.
struct TableInputs {
  int ntabv = 0, ngrid = 0, lcompd = 0;
  float dgrid = 0.0f, wslot = 0.0f, visc = 0.0f, grav = 0.0f;
  float kstl[mxcls] = {}, vegl[mxcls] = {};
};
TableInputs kept_inputs;

TableInputs table_inputs() {
  TableInputs t;
  t.ntabv = ccs.ntabv;
  t.ngrid = ccs.ngrid;
  t.lcompd = ccs.lcompd;
  t.dgrid = ccs.dgrid;
  t.wslot = ccs.wslot;
  t.visc = cunit.visc;
  t.grav = cunit.grav;
  std::memcpy(t.kstl, ccs.kstl.data(), sizeof t.kstl);
  std::memcpy(t.vegl, ccs.vegl.data(), sizeof t.vegl);
  return t;
}

// Drops the kept tables when the settings or classes changed since they were built.
void check_table_inputs() {
  const TableInputs now = table_inputs();
  if (std::memcmp(&now, &kept_inputs, sizeof now) != 0) {
    for (SecTable& t : stab) t.gen = 0;
    kept_inputs = now;
  }
}

int ntab() { return std::min(ccs.ntabv, mxtabv); }

// The table of section isec with bed change dzb, built when not kept, put
// into the work record with its levels raised by zoff.
const SecTable& section_table(int isec, float zoff, float dzb) {
  SecTable& t = stab[isec - 1];
  const int nt = ntab();
  if (t.gen != cs_generation() || t.dzb != dzb) {
    t.said.clear();
    said_record(&t.said);
    cstab(isec, 0.0f, dzb, t.it);
    said_record(nullptr);
    t.gen = cs_generation();
    t.dzb = dzb;
    t.zmin = ccs.zmin;
    t.zbl = ccs.zbl;
    t.zbr = ccs.zbr;
    std::memcpy(t.z, ccs.ztab.data(), sizeof(float) * nt);
    std::memcpy(t.a, ccs.atab.data(), sizeof(float) * nt);
    std::memcpy(t.b, ccs.btab.data(), sizeof(float) * nt);
    std::memcpy(t.k, ccs.ktab.data(), sizeof(float) * nt);
    std::memcpy(t.r, ccs.rtab.data(), sizeof(float) * nt);
  } else {
    said_again(t.said);
  }
  for (int i = 0; i < nt; ++i) ccs.ztab.a[i] = zoff + t.z[i];
  std::memcpy(ccs.atab.data(), t.a, sizeof(float) * nt);
  std::memcpy(ccs.btab.data(), t.b, sizeof(float) * nt);
  std::memcpy(ccs.ktab.data(), t.k, sizeof(float) * nt);
  std::memcpy(ccs.rtab.data(), t.r, sizeof(float) * nt);
  return t;
}

// ---- Table reading ----

float tab(const Arr<float, mxtabv>& x, const Arr<float, mxtabv>& y, float xp) {
  float s;
  int ie = 0;
  return rmint1(ntab(), x.data(), y.data(), xp, s, ie);
}
float tab(const Arr<float, mxtabv>& x, const Arr<float, mxtabv>& y, float xp, float& slope) {
  int ie = 0;
  slope = 0.0f;
  return rmint1(ntab(), x.data(), y.data(), xp, slope, ie);
}

std::string line_of(const std::string& s) {
  std::string t = s;
  while (!t.empty() && t.back() == '\n') t.pop_back();
  return t;
}

void show(const std::string& text) {
  cinput.cmesg = line_of(text);
  iimesg(cinput.cmesg.view());
}

// Overflow flags (characters 2 and 3) of position n at level z; zbl, zbr are
// the bank tops of its listed section.
void bank_flags(int n, float z, float zbl, float zbr) {
  FStr<3>& f = cchar.cflag(n);
  f(2) = z > creach.dzsec(n) + zbl ? '<' : ' ';
  f(3) = z > creach.dzsec(n) + zbr ? '>' : ' ';
}

void debug_line(int n, float q, float z) {
  fwrite(cunit.lulst, "(i4,1x,a8,2f10.2)", {n, cchar.secnam(n), q, z});
}

// ---- Discharges ----

// Discharge of every position from the inflows above it. An imposed
// discharge counts at the upstream end only and is split over both sides
// there, so that the side slots of the first section add up to the inflow.
void accumulate_discharges(int nsec) {
  Creach& rc = creach;
  float qacc = 0.0f;
  for (int n = 1; n <= nsec; ++n) {
    float ql, qr, qd;
    qnode_sides(n - 1, ql, qr, qd);
    if (n > 1) qd = 0.0f;
    qacc += ql + qr + qd;
    rc.qsec(n) = qacc;
    rc.qlat(1, n) = ql + 0.5f * qd;
    rc.qlat(2, n) = qr + 0.5f * qd;
  }
}

// ---- Upstream pass ----

// The position computed last (downstream of the current one).
struct Down {
  float q = 0.0f, a = 1.0f, k = 1.0f, z = 0.0f;
  bool press = false;  // the section runs full
  float e = -1e10f;    // energy level
};

// Result of the level iteration of one reach.
struct ReachResult {
  float z = 0.0f;
  float dz = 0.0f;     // last correction
  bool conv = false;   // |dz| fell below kDzConv
  bool crit = false;   // no subcritical solution: critical level taken
  bool press = false;  // the section runs full
};

// Start level of the iteration: the downstream area, kept above critical.
float start_level(float q, const Down& d) {
  const Ccs& c = ccs;
  const int nt = ntab();
  const float g = cunit.grav;
  const float a0 = std::min(d.a, c.atab(nt) - kStartRaise);
  float z = std::max(tab(c.atab, c.ztab, a0) + kStartRaise, d.z);
  if (q / std::max(a0, 0.001f) < kStill) z = d.z;
  float b0;
  const float az = tab(c.ztab, c.atab, z, b0);
  // critical area Ac = (Q^2 B / g)^(1/3)
  const float ac = std::cbrt(q * q * b0 / g);
  if (az < ac) z = tab(c.atab, c.ztab, ac) + kStartRaise;
  if (d.press) z = c.ztab(nt) + kStartRaise;
  return z;
}

// Newton iteration on the energy (or momentum) equation between position n
// (discharge q) and the position d below it, reach length dx; ql, vl: the
// inflow at n and its velocity (momentum form).
ReachResult newton_reach(int n, float q, const Down& d, float dx, float ql, float vl) {
  const Ccs& c = ccs;
  const float g = cunit.grav;
  const float vd2 = (d.q / d.a) * (d.q / d.a);
  const float sfd = (d.q / d.k) * (d.q / d.k);
  ReachResult res;
  float z = start_level(q, d);
  for (int step = 1; step <= kNewtonMax; ++step) {
    const float a = std::max(tab(c.ztab, c.atab, z), kTiny);
    float kp;
    const float k = std::max(tab(c.ztab, c.ktab, z, kp), kTiny);
    const float b = tab(c.ztab, c.btab, z);
    if (b < kFullWidth) {
      res.press = true;
      break;
    }
    const float sfm = 0.5f * ((q / k) * (q / k) + sfd);
    const float v2 = (q / a) * (q / a);
    const float fric = q * q / (k * k * k) * kp * dx;
    float f, fp;
    if (c.lmomen == 1) {
      const float am = 0.5f * (a + d.a);
      const float m = d.q * d.q / d.a - q * q / a;
      // F = (M - ql vl) / (g Am) + zd - z + Sfm dx,  M = Qd^2/Ad - Q^2/A
      f = (m - ql * vl) / (g * am) + d.z - z + sfm * dx;
      fp = b * v2 / (g * am) - 1.0f - fric - m * b / (2.0f * g * am * am);
    } else {
      const float cc = v2 <= vd2 ? kAccel : kExpand;
      // F = c (vd^2 - v^2) / (2g) + zd - z + Sfm dx
      f = cc * (vd2 - v2) / (2.0f * g) + d.z - z + sfm * dx;
      fp = cc * v2 * b / (g * a) - 1.0f - fric;
    }
    if (fp >= kCritSlope || b * v2 / (g * a) >= kCritFr2) {
      // No subcritical solution: the section controls with critical flow.
      res.z = zcrit(n, q, 1.0f);
      res.crit = true;
      return res;
    }
    res.dz = -f / fp;
    z += res.dz;
    if (z < c.ztab(1)) z = c.ztab(1) + kFloor;
    bkstat.itb = std::max(bkstat.itb, step);
    if (std::fabs(res.dz) < kDzConv) {
      res.conv = true;
      break;
    }
  }
  res.z = z;
  return res;
}

// Level at position n without a level condition: the reach iteration with
// its flags, the full-section level when the section runs full. Returns
// whether the section runs full.
bool reach_level(int n, float q, const Down& d, float& z) {
  Creach& rc = creach;
  const Ccs& c = ccs;
  const int nt = ntab();
  const float g = cunit.grav;
  const float dx = std::fabs(rc.xsec(n) - rc.xsec(n + 1));
  float ql = 0.0f, vl = 0.0f;
  if (c.lmomen == 1) {
    int kt;
    ql = qnode(n, kt, vl);
  }
  const ReachResult res = newton_reach(n, q, d, dx, ql, vl);
  z = res.z;
  if (res.crit) {
    lcrit(n) = 1;
    cchar.cflag(n)(1) = '!';
    return tab(c.ztab, c.btab, z) <= kFullWidth;
  }
  if (res.press) {
    const float af = c.atab(nt), kf = c.ktab(nt);
    const float sfd = (d.q / d.k) * (d.q / d.k);
    // z = (Sf + Sfd)/2 dx + (Qd^2/Ad - Q^2/Af) / ((Af + Ad)/2 g) + zd, full section
    z = 0.5f * ((q / kf) * (q / kf) + sfd) * dx +
        (d.q * d.q / d.a - q * q / af) / (0.5f * (af + d.a) * g) + d.z;
    return true;
  }
  if (!res.conv) {
    cchar.cflag(n)(1) = '*';
    Bkstat& st = bkstat;
    ++st.ninex;
    if (st.ninex <= cinput.ctext.size())
      cinput.ctext(st.ninex) = line_of(fformat("('inexact cs',i3,' dz',f6.2)", {n, res.dz}));
  }
  return tab(c.ztab, c.btab, z) <= kFullWidth;
}

// One position of the upstream pass; d holds the position below and
// receives this one. Returns false when the downstream condition is missing.
bool upstream_position(int n, int isec, Down& d, int& ierr) {
  Ccs& c = ccs;
  Creach& rc = creach;
  const float g = cunit.grav;
  const SecTable& t = section_table(isec, rc.dzsec(n), cbedevol.dzb(n));
  bkstat.itc = std::max(bkstat.itc, t.it);
  const int nt = ntab();
  const float q = rc.qsec(n);
  rc.zbed(n) = rc.dzsec(n) + t.zmin;

  float z = 0.0f;
  int istat = -1;
  if (rc.ifix(n) == 1) {
    istat = 0;
    z = znode(n, d.e, istat);
    if (istat == 1) lcrit(n) = 1;
  }
  bool press = false;
  if (istat == -1) {
    // No level set here (side structures only count as no condition).
    if (n == std::min(rc.nsec, mxbr)) {
      show("missing downstream boundary condition!");
      ierr = 1;
      return false;
    }
    press = reach_level(n, q, d, z);
  }

  float a, b, k, r;
  if (press) {
    cchar.cflag(n)(1) = '#';
    lcrit(n) = 0;
    a = c.atab(nt);
    k = c.ktab(nt);
    b = 0.0f;
    r = c.rtab(nt);
  } else {
    a = tab(c.ztab, c.atab, z);
    b = tab(c.ztab, c.btab, z);
    k = tab(c.ztab, c.ktab, z);
    r = tab(c.ztab, c.rtab, z);
  }
  bank_flags(n, z, t.zbl, t.zbr);
  rc.zwl(n) = z;
  rc.asec(n) = a;
  rc.ksec(n) = k;
  rc.bsec(n) = b;
  rc.sfsec(n) = k > 0.0f ? (q / k) * (q / k) : 0.0f;
  rc.rsec(n) = r;
  d.press = press;
  d.q = q;
  d.a = std::max(a, kTiny);
  d.k = std::max(k, kTiny);
  d.z = z;
  // E = v^2 / (2g) + z
  d.e = (q / d.a) * (q / d.a) / (2.0f * g) + z;
  return true;
}

// Upstream pass (subcritical), from the last position to the first.
// Returns false when it ended at once (missing downstream condition).
bool upstream_pass(int nsec, int imode, int& ierr) {
  Creach& rc = creach;
  Down d;
  for (int n = nsec; n >= 1; --n) {
    if (imode == 1) iibeam(nsec - n + 1, nsec, "steady flow");
    lcrit(n) = 0;
    rc.qsl(n) = rc.qlat(1, n);
    rc.qsr(n) = rc.qlat(2, n);
    cchar.cflag(n) = "   ";
    if (ierr == 1) continue;
    const int isec = cs_at(n);
    if (isec == 0) {
      ierr = 1;
      continue;
    }
    if (!upstream_position(n, isec, d, ierr)) return false;
    if (ccs.ldebug == 1) debug_line(n, rc.qsec(n), rc.zwl(n));
  }
  return true;
}

// ---- Downstream pass ----

// The table of the section at position n into the work record (for a
// missing section the work record keeps what it has).
const SecTable* position_table(int n) {
  const int isec = cs_at(n);
  if (isec == 0) return nullptr;
  return &section_table(isec, creach.dzsec(n), cbedevol.dzb(n));
}

// Supercritical inflow at the upstream end: the level of its condition.
void supercritical_inflow() {
  Ccs& c = ccs;
  Creach& rc = creach;
  int istat = -1;  // only a level condition can make the inflow supercritical
  const float z = znode(0, -9999.0f, istat);
  if (istat != 1) return;
  const SecTable* t = position_table(1);
  const float q = rc.qsec(1);
  rc.zwl(1) = z;
  rc.asec(1) = tab(c.ztab, c.atab, z);
  rc.bsec(1) = tab(c.ztab, c.btab, z);
  rc.ksec(1) = tab(c.ztab, c.ktab, z);
  rc.rsec(1) = tab(c.ztab, c.rtab, z);
  rc.sfsec(1) = rc.ksec(1) > 0.0f ? (q / rc.ksec(1)) * (q / rc.ksec(1)) : 0.0f;
  if (t) bank_flags(1, z, t->zbl, t->zbr);
  bkstat.lsuper = 1;
  cchar.ctag(1) = cchar.ctag(0);
}

// Position j = n+1 computed from the supercritical flow at n: step down from
// just supercritical until the momentum balance with n holds, then the jump
// test with specific forces.
void supercritical_step(int n) {
  Ccs& c = ccs;
  Creach& rc = creach;
  Bkstat& st = bkstat;
  const float g = cunit.grav;
  const int j = n + 1;
  const float z = rc.zwl(n), a = std::max(rc.asec(n), kTiny), k = std::max(rc.ksec(n), kTiny);
  const float q = rc.qsec(n), qj = rc.qsec(j);
  const float dx = std::fabs(rc.xsec(n) - rc.xsec(j));
  const SecTable* t = position_table(j);
  float zj;
  if (lcrit(j) == 1) {
    zj = rc.zwl(j);
  } else {
    zj = zcrit(j, qj, kSuperFr2);
    st.lsuper = 1;
  }

  // Step down from critical until the momentum balance with position n holds.
  const float mq = q * q / a, sf = (q / k) * (q / k);
  float aj = 0.0f, kj = 0.0f, bj = 0.0f;
  bool gaveup = false;
  // At most 1 km of steps; a level or balance that is no number ends it.
  constexpr int kMaxStepsDown = 1000000;
  for (int step = 0;; ++step) {
    aj = std::max(tab(c.ztab, c.atab, zj), kTiny);
    kj = std::max(tab(c.ztab, c.ktab, zj), kTiny);
    // T = (Qj^2/Aj - Q^2/A) / ((Aj + A)/2 g) + zj - z + (Sfj + Sf)/2 dx
    const float tt = (qj * qj / aj - mq) / (0.5f * (aj + a) * g) + zj - z +
                     0.5f * ((qj / kj) * (qj / kj) + sf) * dx;
    if (tt >= 0.0f) break;
    zj -= kSuperStep;
    const bool lost = !std::isfinite(tt) || !std::isfinite(zj) || step >= kMaxStepsDown;
    if (lost) show("supercritical level not found (no finite value)");
    if (lost || zj <= c.ztab(1)) {
      zj = rc.zwl(j);
      lcrit(j) = 0;
      st.lsuper = 0;
      cchar.cflag(j)(1) = '*';
      gaveup = true;
      break;
    }
    cchar.cflag(j)(1) = ' ';
  }

  if (!gaveup) {
    // Jump test: the supercritical flow continues while its specific force
    // exceeds that of the subcritical profile.  M = specp(z) + Q^2/(g A)
    bj = tab(c.ztab, c.btab, zj);
    const float msup = specp(zj) + qj * qj / (g * aj);
    const float msub =
        lcrit(j) == 0 ? qj * qj / (std::max(rc.asec(j), kTiny) * g) + specp(rc.zwl(j)) : 0.0f;
    if (msub < msup) {
      st.lsuper = 1;
      rc.zwl(j) = zj;
      rc.asec(j) = aj;
      rc.ksec(j) = kj;
      rc.bsec(j) = bj;
      rc.sfsec(j) = (qj / kj) * (qj / kj);
      rc.rsec(j) = tab(c.ztab, c.rtab, zj);
      cchar.ctag(j).clear();
    } else {
      st.lsuper = 0;
    }
  }
  if (t) bank_flags(j, rc.zwl(j), t->zbl, t->zbr);
  if (c.ldebug == 1) debug_line(j, qj, zj);
}

// Downstream pass (supercritical): from every critical position and from a
// supercritical inflow downwards while the flow stays supercritical.
void downstream_pass(int nsec) {
  if (ccs.ldebug == 1) {
    fwrite(cunit.lulst, "(/,'downstream computation (supercritical)')");
    fwrite(cunit.lulst, "(' ID  section  discharge waterlevel')");
  }
  bkstat.lsuper = 0;
  supercritical_inflow();
  for (int n = 1; n < nsec; ++n) {
    if (lcrit(n) != 1 && bkstat.lsuper != 1) continue;
    supercritical_step(n);
  }
}

}  // namespace

float specp(float z) {
  const Ccs& c = ccs;
  const int nt = ntab();
  float s = 0.0f;
  int j = 1;
  for (int i = 2; i <= nt && c.ztab(i) < z; ++i) {
    s += (z - 0.5f * (c.ztab(i) + c.ztab(i - 1))) * (c.atab(i) - c.atab(i - 1));
    j = i;
  }
  const float a = tab(c.ztab, c.atab, z);
  return s + (a - c.atab(j)) * (z - 0.5f * (z + c.ztab(j)));
}

void bkwat(int& ierr, int imode) {
  const int nsec = std::min(creach.nsec, mxbr);
  Bkstat& st = bkstat;
  ierr = 0;
  st.itc = st.itb = st.ninex = 0;
  if (nsec < 1) {
    show("missing downstream boundary condition!");
    ierr = 1;
    return;
  }
  if (ccs.ldebug == 1) {
    fwrite(cunit.lulst, "(/,'upstream computation (subcritical)')");
    fwrite(cunit.lulst, "(' ID  section  discharge waterlevel')");
  }
  check_table_inputs();
  accumulate_discharges(nsec);
  if (!upstream_pass(nsec, imode, ierr)) return;

  if (st.itc > 0) show(fformat("('conveyance calculation completed (it=',i2,')')", {st.itc}));
  if (ierr == 0) {
    cinput.cmesg = line_of(fformat("('backwater calculation completed (it=',i2,')')", {st.itb}));
    if (imode == 1) iimesg(cinput.cmesg.view());
  }
  // The inexact sections stand in ctext(1..ninex) for the text window.

  // After a missing section the profile is incomplete: no supercritical pass
  // over stale values.
  if (ierr != 0) return;
  downstream_pass(nsec);
}

void bkwat_forget() {
  for (SecTable& t : stab) t.gen = 0;
}

}  // namespace riv
