// Building verification models directly in the model records, the way the
// input reader stores them: sections, branch positions, condition and
// structure records of the common table.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "input/units.hpp"
#include "model/model.hpp"
#include "steady/steady.hpp"

namespace riv::verify {

// Condition kinds of the common table.
constexpr int kLevel = kTabLevel, kFlow = kTabInflow, kFroude = kTabCritical, kSlope = kTabSlope;

class Model {
 public:
  Model() {
    model_init();
    csstore_clear();
    ccs.ntabv = 40;
    qsv = -9999.0f;
    ccs.tabc(1, 1) = 0.0f;
    ccs.kstl(1) = 30.0f;
  }
  // Stores a profile as the next section of the list; returns its number.
  int section(const std::string& name, const std::vector<float>& y, const std::vector<float>& z) {
    const int isec = ++creach.ncs;
    ccs.cskm = 0.0f;
    ccs.np = static_cast<int>(y.size());
    for (int i = 1; i <= ccs.np; ++i) {
      ccs.ysec(i) = y[i - 1];
      ccs.zsec(i) = z[i - 1];
      ccs.iclass(i) = 1;
    }
    ccs.kind = 0;
    cswrite(isec);
    cchar.csname(isec) = name;
    return isec;
  }
  // Rectangle of width b with walls of height h; trapezoid of bed width b
  // and side slope m (horizontal per vertical).
  int rect(const std::string& name, float b, float h) {
    return section(name, {0, 0, b, b}, {h, 0, 0, h});
  }
  int trap(const std::string& name, float b, float m, float h) {
    return section(name, {0, m * h, m * h + b, 2 * m * h + b}, {h, 0, 0, h});
  }
  // Appends a branch position at station x (m) with the section shifted by dz.
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
  // Condition record at position n: pairs (time, value); code 1 upstream
  // inflow for kind kFlow.
  void cond(int n, int kind, const std::vector<std::pair<float, float>>& rows, int code = 0) {
    const int m = static_cast<int>(rows.size());
    ++ccs.nstruc;
    for (int i = 0; i < m; ++i) {
      ccs.tabc(irow_ + 3 + i, 1) = rows[i].first;
      ccs.tabc(irow_ + 3 + i, 2) = rows[i].second;
    }
    if (kind != kFlow && n >= 1) creach.ifix(n) = 1;
    irow_ = tabc_condition(irow_, n, static_cast<TabKind>(kind), m, code);
  }
  void value(int n, int kind, float v, int code = 0) { cond(n, kind, {{0.0f, v}}, code); }
  // Weir at position n: crest level, width, discharge coefficient.
  void weir(int n, float crest, float width, float cw) {
    ++ccs.nstruc;
    if (n >= 1) creach.ifix(n) = 1;
    irow_ = tabc_structure(irow_, n, kTabWeir, crest, width, cw, 1);
  }
  // Runs the backwater solver; true on success.
  static bool backwater() {
    int ierr = -1;
    bkwat(ierr, 0);
    return ierr == 0;
  }
  static float depth(int n) { return creach.zwl(n) - creach.zbed(n); }

 private:
  int irow_ = 1;
};

}  // namespace riv::verify
