// Builds sections, branch positions and condition records directly in the
// model records, the way the input reader stores them.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "input/units.hpp"
#include "model/model.hpp"
#include "model/profile.hpp"
#include "steady/steady.hpp"

namespace riv::test {

class BranchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model_init();
    csstore_clear();
    ccs.ntabv = 40;
    qsv = -9999.0f;
    irow = 1;
    ccs.tabc(1, 1) = 0.0f;
    uopen_memory(cunit.lulst);
  }
  void TearDown() override { uclose(cunit.lulst); }

  // Stores a profile on the section list; returns its number.
  int section(const std::string& name, const std::vector<float>& y, const std::vector<float>& z,
              int kind = 0) {
    const int isec = ++creach.ncs;
    ccs.cskm = 0.0f;
    store_profile(isec, y, z, {}, kind);
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
  // station xend with bed level zend.
  void reach(const std::string& name, int count, float dx, float s0, float zend = 0.0f) {
    for (int i = 0; i < count; ++i) {
      const float d = static_cast<float>(count - 1 - i) * dx;
      pos(name, -d, zend + d * s0);
    }
  }

  // Condition record (TabKind; inflow code 1, 2 side, 3 discharge) with table
  // pairs (x, value), written as the input reader writes it.
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

  // Runs the solver silently; returns ierr and keeps the terminal text.
  int run(int imode = 0) {
    int ierr = -1;
    testing::internal::CaptureStdout();
    bkwat(ierr, imode);
    out = testing::internal::GetCapturedStdout();
    return ierr;
  }

  // Normal depth of a trapezoid (m = 0: rectangle) by Manning-Strickler.
  static double normal_depth(double q, double b, double m, double k, double s0) {
    double lo = 1e-4, hi = 50.0;
    for (int i = 0; i < 200; ++i) {
      const double h = 0.5 * (lo + hi);
      const double a = (b + m * h) * h, p = b + 2.0 * h * std::sqrt(1.0 + m * m);
      const double qq = k * a * std::pow(a / p, 2.0 / 3.0) * std::sqrt(s0);
      (qq < q ? lo : hi) = h;
    }
    return 0.5 * (lo + hi);
  }

  std::string out;
  int irow = 1;
};

}  // namespace riv::test
