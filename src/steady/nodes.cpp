// Conditions at branch positions: inflow hydrographs, imposed levels,
// critical and Froude levels, normal depth from an energy slope, and the level
// at which the rating curves and structures of a position pass its discharge.
// The conditions are records of the common table tabc in input order.
#include <algorithm>
#include <cmath>

#include "numerics/numerics.hpp"
#include "sections/sections.hpp"
#include "steady/steady.hpp"

namespace riv {

float qsv = -9999.0f;

namespace {

// Calls f(r, len, position, kind) for the branch records of the common table
// in input order, until f returns true or the chain ends. Load records of the
// mixing model share the chain; they are recognised by the code 11 in their
// first row and skipped.
template <class F>
void walk_records(F&& f) {
  const Ccs& c = ccs;
  if (c.nstruc < 1) return;
  const int limit = c.nstruc + std::max(cmixing.nload, 0);
  int r = 1, seen = 0;
  for (int k = 0; k < limit && seen < c.nstruc; ++k) {
    if (r > mxtabc) return;
    const int len = static_cast<int>(c.tabc(r, 1));
    if (len < 1 || r + std::max(len, 2) - 1 > mxtabc) return;
    const bool load = cmixing.nload > 0 && c.tabc(r, 2) == static_cast<float>(kTabLoad);
    if (!load) {
      ++seen;
      const int pos = static_cast<int>(std::lround(c.tabc(r + 1, 1)));
      const int kind = static_cast<int>(std::lround(c.tabc(r + 1, 2)));
      if (f(r, len, pos, kind)) return;
    }
    r += len;
  }
}

// Number of table rows of a condition record and pointers to its columns.
int table_rows(int r, int len) {
  const int m = static_cast<int>(ccs.tabc(r + 2, 1));
  return std::clamp(m, 0, len - 3);
}
const float* col_x(int r) { return ccs.tabc.col(1) + r + 2; }
const float* col_y(int r) { return ccs.tabc.col(2) + r + 2; }

// Value of the time table of a condition record at the current time.
float at_time(int r, int len) {
  float s = 0.0f;
  int ie = 0;
  return rmint(table_rows(r, len), col_x(r), col_y(r), cunit.tstart, s, ie);
}

// Section number of the listed section at position n (0 when not on the list).
int section_at(int n) {
  int isec = 0;
  FStr<8> name = cchar.secnam(n);
  csinq(isec, name.span());
  return isec;
}

float tab(const Arr<float, mxtabv>& x, const Arr<float, mxtabv>& y, float xp, float& slope) {
  int ie = 0;
  slope = 0.0f;
  return rmint1(std::min(ccs.ntabv, mxtabv), x.data(), y.data(), xp, slope, ie);
}

}  // namespace

float qnode(int n, int& ktype, float& vlat) {
  ktype = -1;
  vlat = 0.0f;
  float q = 0.0f;
  walk_records([&](int r, int len, int pos, int kind) {
    if (pos == n && kind == kTabInflow && len >= 3) {
      q += at_time(r, len);
      ktype = static_cast<int>(std::lround(ccs.tabc(r + 2, 2)));
      vlat = ccs.tabc(r, 2);
    }
    return false;
  });
  return q;
}

void qnode_sides(int n, float& qleft, float& qright, float& qimposed) {
  qleft = qright = qimposed = 0.0f;
  walk_records([&](int r, int len, int pos, int kind) {
    if (pos == n && kind == kTabInflow && len >= 3) {
      const float q = at_time(r, len);
      const int side = static_cast<int>(std::lround(ccs.tabc(r + 2, 2)));
      if (side == 3)
        qimposed += q;
      else if (side == 2)
        qright += q;
      else
        qleft += q;
    }
    return false;
  });
}

float zcrit(int n, float q, float fr) {
  Ccs& c = ccs;
  const int isec = section_at(n);
  if (isec == 0) return creach.zwl(n);
  csrea(isec, cbedevol.dzb(n));
  float lo = c.zmin, hi = c.zmax, zm = 0.5f * (lo + hi);
  // Bisection on Q^2 B / (g A^3); the count only guards a tolerance that
  // single precision cannot reach.
  for (int it = 0; it < 64; ++it) {
    zm = 0.5f * (lo + hi);
    float zw = zm;
    cscnv(zw);
    const float f = q * q * c.wtop / (c.area * c.area * c.area * cunit.grav);
    if (f <= fr)
      hi = zm;
    else
      lo = zm;
    if (!(hi - lo > cunit.epsz)) break;
  }
  return zm + creach.dzsec(n);
}

float znode(int n, float eoth, int& istat) {
  Ccs& c = ccs;
  Creach& rc = creach;
  const int ient = istat;
  istat = -1;
  const int nn = std::max(n, 1);
  float z = 0.0f;
  bool done = false;

  // Level conditions: the first one at the position decides.
  if (c.nstruc >= 1 && c.tabc(1, 1) >= 1.0f) {
    walk_records([&](int r, int len, int pos, int kind) {
      if (pos != n || len < 3) return false;
      if (kind == 6) {
        const float zb = at_time(r, len);
        const float zc = zcrit(nn, rc.qsec(nn), 1.0f);
        if (zc > zb) {
          // A given level below critical cannot be held from downstream.
          istat = 1;
          z = n > 0 ? zc : zb;
        } else {
          istat = 0;
          z = zb;
        }
      } else if (kind == 8) {
        // The value is a Froude number; the criterion Q^2 B/(g A^3) is its square.
        const float fr = at_time(r, len);
        const float zf = zcrit(nn, rc.qsec(nn), fr * fr);
        istat = fr >= 1.0f ? 1 : 0;
        z = (n < rc.nsec && rc.zwl(n + 1) > zf) ? rc.zwl(n + 1) : zf;
      } else if (kind == 9) {
        // Normal depth: the level at which the section at its place (shift
        // and bed change) has the conveyance Q / sqrt(S).
        const float s = std::max(at_time(r, len), 1e-10f);
        if (qsv < -9998.0f) qsv = rc.qsec(nn);
        qsv = (rc.qsec(nn) + qsv) * 0.5f;
        const float kr = qsv / std::sqrt(s);
        const int isec = section_at(nn);
        if (isec > 0) {
          int it = 0;
          cstab(isec, rc.dzsec(nn), cbedevol.dzb(nn), it);
        }
        float sl;
        z = tab(c.ktab, c.ztab, kr, sl);
        istat = 0;
      } else {
        return false;
      }
      done = true;
      return true;
    });
  }
  if (done) return z;
  if (ient == -1) return 0.0f;

  // Discharge conditions: bisection on the level at which rating curves,
  // weirs, gates, culverts and the local inflow pass the discharge.
  const int nt = std::min(c.ntabv, mxtabv);
  float lo = c.ztab(1), hi = c.ztab(nt), zm = 0.5f * (lo + hi);
  const float q = rc.qsec(nn);
  const float g = cunit.grav;
  float el = 0.0f;  // barrel length: distance to the next section (the previous one at the end)
  if (nn < rc.nsec)
    el = std::fabs(rc.xsec(nn) - rc.xsec(nn + 1));
  else if (nn > 1)
    el = std::fabs(rc.xsec(nn) - rc.xsec(nn - 1));
  for (int it = 0; it < 20; ++it) {
    zm = 0.5f * (lo + hi);
    float b;
    float a = std::max(tab(c.ztab, c.atab, zm, b), 0.01f);
    const float ac = std::cbrt(q * q * b / g);
    if (ac > a) {
      // zm would be supercritical: take a level just above critical.
      a = ac + 0.1f;
      float sl;
      zm = tab(c.atab, c.ztab, a, sl);
    }
    const float e = (q / a) * (q / a) / (2.0f * g) + zm;
    float qs = 0.0f;
    bool inflow = false;
    walk_records([&](int r, int len, int pos, int kind) {
      if (pos != n) return false;
      switch (kind) {
        case 1: {
          float sl;
          int ie = 0;
          qs += rmint1(table_rows(r, len), col_x(r), col_y(r), zm, sl, ie);
          istat = 2;
          break;
        }
        case 2: {
          if (len < 4) break;
          const float zc = c.tabc(r + 2, 1);
          qs += rqweir(std::max(0.0f, e - zc), eoth - zc, c.tabc(r + 2, 2), c.tabc(r + 3, 1));
          istat = 2;
          break;
        }
        case 3: {
          if (len < 4) break;
          const float zc = c.tabc(r + 2, 1);
          qs += rqgate(std::max(0.0f, e - zc), eoth - zc, zm - zc, c.tabc(r + 2, 2),
                       c.tabc(r + 3, 1), 0.62f);
          istat = 2;
          break;
        }
        case 7:
          // All inflows of the position are summed once, however many records.
          if (!inflow) {
            int kt;
            float vl;
            qs += qnode(n, kt, vl);
            inflow = true;
          }
          istat = 2;
          break;
        case 11: {
          if (len < 5) break;
          const float zc = c.tabc(r + 2, 1);
          int itype = c.ldebug == 1 ? -1 : 0;
          qs += rqculv(std::max(0.0f, e - zc), eoth - zc, std::max(0.0f, zm - zc), eoth - zc,
                       c.tabc(r + 2, 2), c.tabc(r + 3, 1), el, c.tabc(r + 3, 2), c.tabc(r + 4, 1),
                       itype);
          istat = 2;
          break;
        }
        default:
          break;
      }
      return false;
    });
    if (q > qs)
      lo = zm;
    else
      hi = zm;
    if (std::fabs(hi - lo) <= cunit.epsz) break;
  }
  return istat == -1 ? 0.0f : zm;
}

}  // namespace riv
