// Backwater solver: the steady water-surface profile of the branch.
//
// Discharges accumulate from the inflows; the upstream pass solves the energy
// (or momentum) equation section by section from the downstream condition,
// with the level-setting conditions and structures of the positions; the
// downstream pass follows supercritical reaches from their control section
// and places the hydraulic jump where the subcritical specific force exceeds
// the supercritical one. Every position builds the property table of its
// section once; the iterations read that table only.
#include <algorithm>
#include <cmath>
#include <string>

#include "graphics/dialogs.hpp"
#include "graphics/graphics.hpp"
#include "input/fformat.hpp"
#include "input/units.hpp"
#include "numerics/numerics.hpp"
#include "sections/sections.hpp"
#include "steady/steady.hpp"

namespace riv {

Bkstat bkstat;

namespace {

Arr<int, mxbr> lcrit;  // 1: position found critical in the upstream pass

// The property table of every position as the upstream pass built it, with
// the bank tops of its section: the downstream pass reads it back instead of
// computing the section over its whole height once more.
struct PosTable {
  float z[mxtabv], a[mxtabv], b[mxtabv], k[mxtabv], r[mxtabv];
  float zbl, zbr;
};
PosTable ptab[mxbr];

void keep_table(int n, float zbl, float zbr) {
  PosTable& p = ptab[n - 1];
  const int nt = std::min(ccs.ntabv, mxtabv);
  for (int i = 0; i < nt; ++i) {
    p.z[i] = ccs.ztab.a[i];
    p.a[i] = ccs.atab.a[i];
    p.b[i] = ccs.btab.a[i];
    p.k[i] = ccs.ktab.a[i];
    p.r[i] = ccs.rtab.a[i];
  }
  p.zbl = zbl;
  p.zbr = zbr;
}

void restore_table(int n) {
  const PosTable& p = ptab[n - 1];
  const int nt = std::min(ccs.ntabv, mxtabv);
  for (int i = 0; i < nt; ++i) {
    ccs.ztab.a[i] = p.z[i];
    ccs.atab.a[i] = p.a[i];
    ccs.btab.a[i] = p.b[i];
    ccs.ktab.a[i] = p.k[i];
    ccs.rtab.a[i] = p.r[i];
  }
}

int ntab() { return std::min(ccs.ntabv, mxtabv); }

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
  grmesg(cinput.cmesg.view());
}

int section_at(int n) {
  int isec = 0;
  FStr<8> name = cchar.secnam(n);
  csinq(isec, name.span());
  return isec;
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
  Ccs& c = ccs;
  Creach& rc = creach;
  Cchar& ch = cchar;
  const float g = cunit.grav;
  const int nsec = std::min(rc.nsec, mxbr);
  const int lst = cunit.lulst;
  const bool debug = c.ldebug == 1;
  Bkstat& st = bkstat;
  ierr = 0;
  st.itc = st.itb = st.ninex = 0;
  float ed = -1e10f;  // energy level of the section computed last
  if (nsec < 1) {
    show("missing downstream boundary condition!");
    ierr = 1;
    return;
  }
  if (debug) {
    fwrite(lst, "(/,'upstream computation (subcritical)')");
    fwrite(lst, "(' ID  section  discharge waterlevel')");
  }

  // Discharges. An imposed discharge counts at the upstream end only and is
  // split over both sides there, so that the side slots of the first section
  // add up to the inflow of the branch.
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

  // Upstream pass (subcritical).
  float qd = 0.0f, ad = 1.0f, kd = 1.0f, zd = 0.0f;
  bool dpress = false;  // the section computed last is pressurized
  for (int n = nsec; n >= 1; --n) {
    if (imode == 1) grbeam(nsec - n + 1, nsec, "steady flow");
    lcrit(n) = 0;
    rc.qsl(n) = rc.qlat(1, n);
    rc.qsr(n) = rc.qlat(2, n);
    ch.cflag(n) = "   ";
    if (ierr == 1) continue;
    const int isec = section_at(n);
    if (isec == 0) {
      ierr = 1;
      continue;
    }
    int it = 0;
    cstab(isec, rc.dzsec(n), cbedevol.dzb(n), it);
    st.itc = std::max(st.itc, it);
    const int nt = ntab();
    const float q = rc.qsec(n);
    rc.zbed(n) = rc.dzsec(n) + c.zmin;
    const float zbl = c.zbl, zbr = c.zbr;
    const float af = c.atab(nt), kf = c.ktab(nt), rf = c.rtab(nt);

    float z = 0.0f;
    int istat = -1;
    if (rc.ifix(n) == 1) {
      istat = 0;
      z = znode(n, ed, istat);
      if (istat == 1) lcrit(n) = 1;
    }
    bool press = false;
    if (istat == -1) {
      // No level set here (side structures only count as no condition).
      if (n == nsec) {
        show("missing downstream boundary condition!");
        ierr = 1;
        return;
      }
      const float dx = std::fabs(rc.xsec(n) - rc.xsec(n + 1));
      const float vd2 = (qd / ad) * (qd / ad);
      const float sfd = (qd / kd) * (qd / kd);
      float ql = 0.0f, vl = 0.0f;
      if (c.lmomen == 1) {
        int kt;
        ql = qnode(n, kt, vl);
      }

      // Start value: the downstream area, kept above critical.
      const float a0 = std::min(ad, c.atab(nt) - 0.01f);
      z = std::max(tab(c.atab, c.ztab, a0) + 0.01f, zd);
      if (q / std::max(a0, 0.001f) < 0.1f) z = zd;
      {
        float b0;
        const float az = tab(c.ztab, c.atab, z, b0);
        const float ac = std::cbrt(q * q * b0 / g);
        if (az < ac) z = tab(c.atab, c.ztab, ac) + 0.01f;
      }
      if (dpress) z = c.ztab(nt) + 0.01f;

      bool conv = false, crit = false;
      float dz = 0.0f;
      for (int step = 1; step <= 20; ++step) {
        const float a = std::max(tab(c.ztab, c.atab, z), 1e-6f);
        float kp;
        const float k = std::max(tab(c.ztab, c.ktab, z, kp), 1e-6f);
        const float b = tab(c.ztab, c.btab, z);
        if (b < 0.01f) {
          press = true;
          break;
        }
        const float sfm = 0.5f * ((q / k) * (q / k) + sfd);
        const float v2 = (q / a) * (q / a);
        const float fric = q * q / (k * k * k) * kp * dx;
        float f, fp;
        if (c.lmomen == 1) {
          const float am = 0.5f * (a + ad);
          const float m = qd * qd / ad - q * q / a;
          f = (m - ql * vl) / (g * am) + zd - z + sfm * dx;
          fp = b * v2 / (g * am) - 1.0f - fric - m * b / (2.0f * g * am * am);
        } else {
          const float cc = v2 <= vd2 ? 1.1f : 0.7f;
          f = cc * (vd2 - v2) / (2.0f * g) + zd - z + sfm * dx;
          fp = cc * v2 * b / (g * a) - 1.0f - fric;
        }
        if (fp >= -0.1f || b * v2 / (g * a) >= 1.5f) {
          // No subcritical solution: the section controls with critical flow.
          z = zcrit(n, q, 1.0f);
          lcrit(n) = 1;
          ch.cflag(n)(1) = '!';
          crit = true;
          break;
        }
        dz = -f / fp;
        z += dz;
        if (z < c.ztab(1)) z = c.ztab(1) + 0.05f;
        st.itb = std::max(st.itb, step);
        if (std::fabs(dz) < 0.0001f) {
          conv = true;
          break;
        }
      }
      if (press) {
        // Full section: friction and momentum with the area of the full profile.
        z = 0.5f * ((q / kf) * (q / kf) + sfd) * dx +
            (qd * qd / ad - q * q / af) / (0.5f * (af + ad) * g) + zd;
      } else if (!conv && !crit) {
        ch.cflag(n)(1) = '*';
        ++st.ninex;
        if (st.ninex <= cinput.ctext.size())
          cinput.ctext(st.ninex) = line_of(fformat("('inexact cs',i3,' dz',f6.2)", {n, dz}));
      }
      if (!press && tab(c.ztab, c.btab, z) <= 0.01f) press = true;
    }

    float a, b, k, r;
    if (press) {
      ch.cflag(n)(1) = '#';
      lcrit(n) = 0;
      a = af;
      k = kf;
      b = 0.0f;
      r = rf;
    } else {
      a = tab(c.ztab, c.atab, z);
      b = tab(c.ztab, c.btab, z);
      k = tab(c.ztab, c.ktab, z);
      r = tab(c.ztab, c.rtab, z);
    }
    bank_flags(n, z, zbl, zbr);
    dpress = press;
    keep_table(n, zbl, zbr);

    rc.zwl(n) = z;
    rc.asec(n) = a;
    rc.ksec(n) = k;
    rc.bsec(n) = b;
    rc.sfsec(n) = k > 0.0f ? (q / k) * (q / k) : 0.0f;
    rc.rsec(n) = r;
    qd = q;
    ad = std::max(a, 1e-6f);
    kd = std::max(k, 1e-6f);
    zd = z;
    ed = (q / ad) * (q / ad) / (2.0f * g) + z;
    if (debug) debug_line(n, q, z);
  }

  if (st.itc > 0) show(fformat("('conveyance calculation completed (it=',i2,')')", {st.itc}));
  if (ierr == 0) {
    cinput.cmesg = line_of(fformat("('backwater calculation completed (it=',i2,')')", {st.itb}));
    if (imode == 1) grmesg(cinput.cmesg.view());
  }
  // The inexact sections stand in ctext(1..ninex) for the text window.

  // After a missing section the profile is incomplete: no supercritical pass
  // over stale values.
  if (ierr != 0) return;

  // Downstream pass (supercritical).
  if (debug) {
    fwrite(lst, "(/,'downstream computation (supercritical)')");
    fwrite(lst, "(' ID  section  discharge waterlevel')");
  }
  st.lsuper = 0;
  {
    int istat = -1;  // only a level condition can make the inflow supercritical
    const float z = znode(0, -9999.0f, istat);
    if (istat == 1) {
      restore_table(1);
      const float q = rc.qsec(1);
      rc.zwl(1) = z;
      rc.asec(1) = tab(c.ztab, c.atab, z);
      rc.bsec(1) = tab(c.ztab, c.btab, z);
      rc.ksec(1) = tab(c.ztab, c.ktab, z);
      rc.rsec(1) = tab(c.ztab, c.rtab, z);
      rc.sfsec(1) = rc.ksec(1) > 0.0f ? (q / rc.ksec(1)) * (q / rc.ksec(1)) : 0.0f;
      bank_flags(1, z, ptab[0].zbl, ptab[0].zbr);
      st.lsuper = 1;
      ch.ctag(1) = ch.ctag(0);
    }
  }
  for (int n = 1; n < nsec; ++n) {
    if (lcrit(n) != 1 && st.lsuper != 1) continue;
    const int j = n + 1;
    const float z = rc.zwl(n), a = std::max(rc.asec(n), 1e-6f), k = std::max(rc.ksec(n), 1e-6f);
    const float q = rc.qsec(n), qj = rc.qsec(j);
    const float dx = std::fabs(rc.xsec(n) - rc.xsec(j));
    restore_table(j);
    const float zbl = ptab[j - 1].zbl, zbr = ptab[j - 1].zbr;
    float zj;
    if (lcrit(j) == 1) {
      zj = rc.zwl(j);
    } else {
      zj = zcrit(j, qj, 1.05f);
      st.lsuper = 1;
    }

    // Step down from critical until the momentum balance with position n holds.
    const float mq = q * q / a, sf = (q / k) * (q / k);
    float aj = 0.0f, kj = 0.0f, bj = 0.0f;
    bool gaveup = false;
    // At most 1 km of 1 mm steps; a level or balance that is no number ends it.
    constexpr int kMaxStepsDown = 1000000;
    for (int step = 0;; ++step) {
      aj = std::max(tab(c.ztab, c.atab, zj), 1e-6f);
      kj = std::max(tab(c.ztab, c.ktab, zj), 1e-6f);
      const float t = (qj * qj / aj - mq) / (0.5f * (aj + a) * g) + zj - z +
                      0.5f * ((qj / kj) * (qj / kj) + sf) * dx;
      if (t >= 0.0f) break;
      zj -= 0.001f;
      const bool lost = !std::isfinite(t) || !std::isfinite(zj) || step >= kMaxStepsDown;
      if (lost) show("supercritical level not found (no finite value)");
      if (lost || zj <= c.ztab(1)) {
        zj = rc.zwl(j);
        lcrit(j) = 0;
        st.lsuper = 0;
        ch.cflag(j)(1) = '*';
        gaveup = true;
        break;
      }
      ch.cflag(j)(1) = ' ';
    }

    if (!gaveup) {
      // Jump test: the supercritical flow continues while its specific force
      // exceeds that of the subcritical profile.
      bj = tab(c.ztab, c.btab, zj);
      const float msup = specp(zj) + qj * qj / (g * aj);
      const float msub =
          lcrit(j) == 0 ? qj * qj / (std::max(rc.asec(j), 1e-6f) * g) + specp(rc.zwl(j)) : 0.0f;
      if (msub < msup) {
        st.lsuper = 1;
        rc.zwl(j) = zj;
        rc.asec(j) = aj;
        rc.ksec(j) = kj;
        rc.bsec(j) = bj;
        rc.sfsec(j) = (qj / kj) * (qj / kj);
        rc.rsec(j) = tab(c.ztab, c.rtab, zj);
        ch.ctag(j).clear();
      } else {
        st.lsuper = 0;
      }
    }
    bank_flags(j, rc.zwl(j), zbl, zbr);
    if (debug) debug_line(j, qj, zj);
  }
}

}  // namespace riv
