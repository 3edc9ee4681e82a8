// A model built in code rather than read from an input file: sections,
// branch positions and the condition and structure records of the common
// table, stored the way the input reader stores them. Used by the
// verification program and the solver tests.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "model/model.hpp"

namespace riv {

class ModelBuilder {
 public:
  // Profile (y, z) with its point classes (all 1 when none are given) and
  // kind bits, stored as section isec from the section work record.
  static void store(int isec, const std::vector<float>& y, const std::vector<float>& z,
                    const std::vector<int>& cls = {}, int kind = 0) {
    ccs.np = static_cast<int>(y.size());
    for (int i = 1; i <= ccs.np; ++i) {
      ccs.ysec(i) = y[i - 1];
      ccs.zsec(i) = z[i - 1];
      ccs.iclass(i) = cls.empty() ? 1 : cls[i - 1];
    }
    ccs.kind = kind;
    cswrite(isec);
  }
  // Stores a profile as the next section of the list; returns its number.
  int section(const std::string& name, const std::vector<float>& y, const std::vector<float>& z,
              int kind = 0) {
    const int isec = ++creach.ncs;
    ccs.cskm = 0.0f;
    store(isec, y, z, {}, kind);
    cchar.csname(isec) = name;
    return isec;
  }
  // Rectangle of width b and wall height h, bed at 0.
  int rect(const std::string& name, float b, float h) {
    return section(name, {0, 0, b, b}, {h, 0, 0, h});
  }
  // Trapezoid: bed width b, side slope m (horizontal per vertical), height h.
  int trap(const std::string& name, float b, float m, float h) {
    return section(name, {0, m * h, m * h + b, 2 * m * h + b}, {h, 0, 0, h});
  }
  // Appends a branch position: station in metres, vertical shift.
  int pos(const std::string& name, float x, float dz) {
    const int n = ++creach.nsec;
    cchar.secnam(n) = name;
    creach.xsec(n) = x;
    creach.dzsec(n) = dz;
    creach.ifix(n) = 0;
    creach.qsec(n) = 0.0f;
    cchar.ctag(n).clear();
    return n;
  }
  // A prismatic reach: positions every dx metres on bed slope s0, ending at
  // station 0 with bed level zend.
  void reach(const std::string& name, int count, float dx, float s0, float zend = 0.0f) {
    for (int i = 0; i < count; ++i) {
      const float d = static_cast<float>(count - 1 - i) * dx;
      pos(name, -d, zend + d * s0);
    }
  }
  // Condition record (TabKind; inflow code 1, 2 side, 3 discharge) with table
  // pairs (x, value).
  void cond(int n, int kind, const std::vector<std::pair<float, float>>& rows, int code = 0,
            float vlat = 0.0f) {
    const int m = static_cast<int>(rows.size());
    ++ccs.nstruc;
    for (int i = 0; i < m; ++i) {
      ccs.tabc(irow + 3 + i, 1) = rows[i].first;
      ccs.tabc(irow + 3 + i, 2) = rows[i].second;
    }
    if (kind != kTabInflow && n >= 1) creach.ifix(n) = 1;
    irow = tabc_condition(irow, n, static_cast<TabKind>(kind), m, code, vlat);
  }
  void value(int n, int kind, float v, int code = 0, float vlat = 0.0f) {
    cond(n, kind, {{0.0f, v}}, code, vlat);
  }
  // Structure: kTabWeir, kTabGate, kTabSideWeir, kTabSideGate.
  void structure(int n, int kind, float level, float width, float third, int side = 1) {
    ++ccs.nstruc;
    if (n >= 1) creach.ifix(n) = 1;
    irow = tabc_structure(irow, n, static_cast<TabKind>(kind), level, width, third, side);
  }
  void culvert(int n, float inv, float w, float hc, float ks, float xi) {
    ++ccs.nstruc;
    if (n >= 1) creach.ifix(n) = 1;
    irow = tabc_culvert(irow, n, inv, w, hc, ks, xi);
  }

  int irow = 1;  // next free row of the common table
};

}  // namespace riv
