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
  const int isec = cs_at(n);
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

namespace {

// The first level condition (waterlevel, froude/critical, slope) of position
// n decides its level; istat as for znode. Returns false when there is none.
bool level_condition(int n, float& z, int& istat) {
  Creach& rc = creach;
  Ccs& c = ccs;
  const int nn = std::max(n, 1);
  bool done = false;
  if (c.nstruc < 1 || c.tabc(1, 1) < 1.0f) return false;
  walk_records([&](int r, int len, int pos, int kind) {
    if (pos != n || len < 3) return false;
    if (kind == kTabLevel) {
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
    } else if (kind == kTabCritical) {
      // The value is a Froude number; the criterion Q^2 B/(g A^3) is its square.
      const float fr = at_time(r, len);
      const float zf = zcrit(nn, rc.qsec(nn), fr * fr);
      istat = fr >= 1.0f ? 1 : 0;
      z = (n < rc.nsec && rc.zwl(n + 1) > zf) ? rc.zwl(n + 1) : zf;
    } else if (kind == kTabSlope) {
      // Normal depth: the level at which the section at its place (shift
      // and bed change) has the conveyance Q / sqrt(S).
      const float s = std::max(at_time(r, len), 1e-10f);
      if (qsv < -9998.0f) qsv = rc.qsec(nn);
      qsv = (rc.qsec(nn) + qsv) * 0.5f;
      const float kr = qsv / std::sqrt(s);
      const int isec = cs_at(nn);
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
  return done;
}

// Barrel length of a culvert at position n: the distance to the next
// section (to the previous one at the end of the branch).
float barrel_length(int n) {
  const Creach& rc = creach;
  if (n < rc.nsec) return std::fabs(rc.xsec(n) - rc.xsec(n + 1));
  if (n > 1) return std::fabs(rc.xsec(n) - rc.xsec(n - 1));
  return 0.0f;
}

// Discharge that the rating curves, structures and inflows of position n
// pass at level zm with energy level e; istat becomes 2 when there is any.
float relations_at(int n, float zm, float e, float eoth, float el, int& istat) {
  float qs = 0.0f;
  bool inflow = false;
  walk_records([&](int r, int len, int pos, int kind) {
    if (pos != n) return false;
    if (kind == kTabInflow) {
      // All inflows of the position are summed once, however many records.
      if (!inflow) {
        int kt;
        float vl;
        qs += qnode(n, kt, vl);
        inflow = true;
      }
      istat = 2;
      return false;
    }
    if (kind == kTabHq || kind == kTabWeir || kind == kTabGate || kind == kTabCulvert) {
      const NodeRecord rec{r, len, pos, kind};
      if (relation_valid(rec)) {
        qs += node_relation(rec, zm, e, eoth, el);
        istat = 2;
      }
    }
    return false;
  });
  return qs;
}

// Bisection on the level at which the relations of position n pass the
// discharge of the position, in the section table the caller built.
float discharge_search(int n, float eoth, int& istat) {
  Ccs& c = ccs;
  const int nn = std::max(n, 1);
  const int nt = std::min(c.ntabv, mxtabv);
  float lo = c.ztab(1), hi = c.ztab(nt), zm = 0.5f * (lo + hi);
  const float q = creach.qsec(nn);
  const float g = cunit.grav;
  const float el = barrel_length(nn);
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
    // E = (Q/A)^2 / 2g + z
    const float e = (q / a) * (q / a) / (2.0f * g) + zm;
    const float qs = relations_at(n, zm, e, eoth, el, istat);
    if (q > qs)
      lo = zm;
    else
      hi = zm;
    if (std::fabs(hi - lo) <= cunit.epsz) break;
  }
  return zm;
}

}  // namespace

int node_records(NodeRecord* out, int cap) {
  int m = 0;
  walk_records([&](int r, int len, int pos, int kind) {
    if (m >= cap) return true;
    out[m++] = NodeRecord{r, len, pos, kind};
    return false;
  });
  return m;
}

float node_at_time(const NodeRecord& rec) { return at_time(rec.row, rec.len); }

bool relation_valid(const NodeRecord& rec) {
  switch (rec.kind) {
    case kTabHq: return rec.len >= 3;
    case kTabWeir:
    case kTabGate:
    case kTabSideWeir:
    case kTabSideGate: return rec.len >= 4;
    case kTabCulvert: return rec.len >= 5;
    default: return false;
  }
}

float node_relation(const NodeRecord& rec, float z, float e, float eoth, float el) {
  const Ccs& c = ccs;
  const int r = rec.row;
  switch (rec.kind) {
    case kTabHq: {
      float sl;
      int ie = 0;
      return rmint1(table_rows(r, rec.len), col_x(r), col_y(r), z, sl, ie);
    }
    case kTabWeir: {
      const float zc = c.tabc(r + 2, 1);
      return rqweir(std::max(0.0f, e - zc), eoth - zc, c.tabc(r + 2, 2), c.tabc(r + 3, 1));
    }
    case kTabGate: {
      const float zc = c.tabc(r + 2, 1);
      return rqgate(std::max(0.0f, e - zc), eoth - zc, z - zc, c.tabc(r + 2, 2), c.tabc(r + 3, 1),
                    0.62f);
    }
    case kTabCulvert: {
      const float zc = c.tabc(r + 2, 1);
      int itype = c.ldebug == 1 ? -1 : 0;
      return rqculv(std::max(0.0f, e - zc), eoth - zc, std::max(0.0f, z - zc), eoth - zc,
                    c.tabc(r + 2, 2), c.tabc(r + 3, 1), el, c.tabc(r + 3, 2), c.tabc(r + 4, 1),
                    itype);
    }
    default: return 0.0f;
  }
}

float side_outflow(const NodeRecord& rec, float z) {
  const Ccs& c = ccs;
  const int r = rec.row;
  // The water leaves the branch over the side crest into free air.
  constexpr float kOutside = -1.0e10f;  // m, level beyond a side structure
  const float zc = c.tabc(r + 2, 1);
  if (rec.kind == kTabSideWeir) return rqweir(z - zc, kOutside, c.tabc(r + 2, 2), c.tabc(r + 3, 1));
  if (rec.kind == kTabSideGate)
    return rqgate(z - zc, kOutside, z - zc, c.tabc(r + 2, 2), c.tabc(r + 3, 1), 0.62f);
  return 0.0f;
}

float znode(int n, float eoth, int& istat) {
  const int ient = istat;
  istat = -1;
  float z = 0.0f;
  if (level_condition(n, z, istat)) return z;
  if (ient == -1) return 0.0f;
  const float zm = discharge_search(n, eoth, istat);
  return istat == -1 ? 0.0f : zm;
}

}  // namespace riv
