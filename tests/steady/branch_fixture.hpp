// Branch models built in code for the solver tests, run silently.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "input/units.hpp"
#include "model/builder.hpp"
#include "model/model.hpp"
#include "steady/steady.hpp"

namespace riv::test {

class BranchTest : public ::testing::Test, protected ModelBuilder {
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
};

}  // namespace riv::test
