#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "input/fformat.hpp"
#include "numerics/numerics.hpp"
#include "sections/sections.hpp"
#include "steady/branch_fixture.hpp"

namespace riv {
namespace {

using test::BranchTest;

// Gradually varied flow in a rectangular channel of width b and Strickler
// value k: dh/dx = (S0 - Sf) / (1 - Fr^2), x downstream. Integrated with
// fourth-order Runge-Kutta in double precision.
struct Gvf {
  double q, b, k;
  std::function<double(double)> s0;  // bed slope at x
  double slope(double x, double h) const {
    const double a = b * h, p = b + 2.0 * h;
    const double kk = k * a * std::pow(a / p, 2.0 / 3.0);
    const double sf = q * q / (kk * kk), fr2 = q * q * b / (9.81 * a * a * a);
    return (s0(x) - sf) / (1.0 - fr2);
  }
  // Depth at x1 from depth h at x0 (either direction), steps of about dxs.
  // Stops at `floor` (a subcritical curve running into critical depth).
  double run(double x0, double h, double x1, double dxs = 0.5, double floor = 0.0) const {
    const int n = std::max(1, static_cast<int>(std::fabs(x1 - x0) / dxs));
    const double d = (x1 - x0) / n;
    double x = x0;
    for (int i = 0; i < n; ++i) {
      const double k1 = slope(x, h), k2 = slope(x + d / 2, h + d / 2 * k1);
      const double k3 = slope(x + d / 2, h + d / 2 * k2), k4 = slope(x + d, h + d * k3);
      h += d / 6 * (k1 + 2 * k2 + 2 * k3 + k4);
      x += d;
      if (h < floor) return floor;
    }
    return h;
  }
  double force(double h) const { return b * h * h / 2 + q * q / (9.81 * b * h); }
};

class Backwater : public BranchTest {
 protected:
  float depth(int n) const { return creach.zwl(n) - creach.dzsec(n); }
};

TEST_F(Backwater, MissingDownstreamConditionAndMissingSection) {
  rect("R", 10.0f, 5.0f);
  reach("R", 5, 100.0f, 0.001f);
  value(0, kTabInflow, 20.0f, 1);
  EXPECT_EQ(run(), 1);
  EXPECT_NE(out.find("missing downstream boundary condition!"), std::string::npos);
  EXPECT_EQ(cinput.cmesg.trimmed(), "missing downstream boundary condition!");

  // A side weir alone sets no level either.
  structure(5, kTabSideWeir, 3.0f, 10.0f, 0.58f);
  EXPECT_EQ(run(), 1);

  // Unknown section upstream: failure, no completion message, no supercritical pass.
  value(5, kTabLevel, 3.0f);
  cchar.secnam(2) = "nosuch";
  creach.zwl(1) = -77.0f;
  EXPECT_EQ(run(), 1);
  EXPECT_NE(out.find("cross-section 'nosuch  ' not found"), std::string::npos);
  EXPECT_EQ(out.find("backwater calculation completed"), std::string::npos);
  EXPECT_EQ(creach.zwl(1), -77.0f);
  EXPECT_NEAR(creach.zwl(5), 3.0, 1e-6);
}

TEST_F(Backwater, UniformFlowReachesNormalDepth) {
  struct Case {
    float b, m;
  } cases[] = {{20.0f, 0.0f}, {8.0f, 2.0f}};
  for (const Case& cs : cases) {
    SetUp();
    if (cs.m == 0.0f) {
      rect("C", cs.b, 5.0f);
    } else {
      trap("C", cs.b, cs.m, 5.0f);
    }
    reach("C", 201, 100.0f, 0.0005f);
    value(0, kTabInflow, 40.0f, 1);
    const double hn = normal_depth(40.0, cs.b, cs.m, 30.0, 0.0005);
    value(201, kTabLevel, static_cast<float>(hn + 1.5));  // M1 curve from a raised level
    ASSERT_EQ(run(), 0);
    EXPECT_NEAR(depth(1), hn, 2e-3) << cs.b;
    for (int n = 1; n <= 201; ++n) {
      EXPECT_EQ(cchar.cflag(n), FStr<3>("   ")) << n;
      if (n > 1) {
        EXPECT_GE(depth(n), depth(n - 1) - 1e-4) << n;
      }
    }
    EXPECT_EQ(creach.qsec(100), 40.0f);
    EXPECT_NE(cinput.cmesg.trimmed().find("backwater calculation completed"), std::string::npos);

    // The normal-depth condition holds the whole reach at normal depth.
    ccs.nstruc = 0;
    irow = 1;
    value(0, kTabInflow, 40.0f, 1);
    value(201, kTabSlope, 0.0005f);
    qsv = -9999.0f;
    ASSERT_EQ(run(), 0);
    for (int n : {1, 100, 201}) EXPECT_NEAR(depth(n), hn, 2e-3) << n;
  }
}

TEST_F(Backwater, M1AndM2CurvesMatchIntegration) {
  const double q = 40.0, b = 20.0, k = 30.0, s0 = 0.0005, dx = 50.0;
  Gvf gvf{q, b, k, [=](double) { return s0; }};
  const double hn = normal_depth(q, b, 0, k, s0);
  for (double hend : {hn + 2.0, hn - 0.6}) {
    SetUp();
    rect("C", b, 6.0f);
    reach("C", 101, static_cast<float>(dx), static_cast<float>(s0));
    value(0, kTabInflow, static_cast<float>(q), 1);
    value(101, kTabLevel, static_cast<float>(hend));
    ASSERT_EQ(run(), 0);
    double worst = 0.0;
    for (int n = 100; n >= 1; --n) {
      const double ref = gvf.run(0.0, hend, -(101 - n) * dx);
      worst = std::max(worst, std::fabs(depth(n) - ref));
    }
    EXPECT_LT(worst, 0.01) << "downstream depth " << hend;
    for (int n = 1; n <= 101; ++n) EXPECT_EQ(cchar.cflag(n)(1), ' ') << n;
  }
}

TEST_F(Backwater, FreeOverfallAndWeirControl) {
  const float q = 40.0f, b = 20.0f;
  const double hc = std::cbrt(q * q / (9.81 * b * b));
  rect("C", b, 6.0f);
  reach("C", 301, 50.0f, 0.0005f);
  value(0, kTabInflow, q, 1);
  value(301, kTabCritical, 1.0f);  // critical at the overfall
  ASSERT_EQ(run(), 0);
  EXPECT_NEAR(depth(301), hc, 2e-3);
  EXPECT_NEAR(depth(1), normal_depth(q, b, 0, 30, 0.0005), 3e-3);
  for (int n = 2; n <= 301; ++n) EXPECT_LE(depth(n), depth(n - 1) + 1e-4);

  // Weir of the channel width, crest 1 m above the bed: the energy head
  // over the crest is (Q / (2.95 cw b))^(2/3).
  SetUp();
  rect("C", b, 6.0f);
  reach("C", 101, 50.0f, 0.0005f);
  value(0, kTabInflow, q, 1);
  structure(101, kTabWeir, 1.0f, b, 0.58f);
  ASSERT_EQ(run(), 0);
  const double head = std::pow(q / (2.95 * 0.58 * b), 2.0 / 3.0);
  const double e = creach.zwl(101) + std::pow(q / creach.asec(101), 2) / 19.62;
  EXPECT_NEAR(e, 1.0 + head, 2e-3);

  // Submerged weir inside the reach: the levels on both sides pass Q.
  SetUp();
  rect("C", b, 6.0f);
  reach("C", 101, 50.0f, 0.0005f);
  value(0, kTabInflow, q, 1);
  structure(50, kTabWeir, 1.6f + 51 * 50 * 0.0005f, b, 0.58f);
  value(101, kTabLevel, 3.0f);
  ASSERT_EQ(run(), 0);
  auto energy = [&](int n) { return creach.zwl(n) + std::pow(q / creach.asec(n), 2) / 19.62; };
  const float zc = 1.6f + 51 * 50 * 0.0005f;
  const float qw = rqweir(energy(50) - zc, energy(51) - zc, b, 0.58f);
  EXPECT_NEAR(qw, q, 0.01 * q);
  EXPECT_GT(energy(51) - zc, 0.0);  // really submerged
}

TEST_F(Backwater, HydraulicJumpWhereSpecificForcesBalance) {
  // A steep rectangular chute (slope 5 %) running into a mild reach held at
  // normal depth: supercritical flow from critical at the top of the chute,
  // a jump inside the chute where the specific force of the backwater
  // equals that of the shooting flow.
  const double q = 30.0, b = 10.0, k = 30.0, dx = 10.0, ss = 0.05, sm = 0.0005;
  const int nsteep = 41, nmild = 60, ntot = nsteep + nmild;
  rect("C", static_cast<float>(b), 8.0f);
  const double zbreak = nmild * dx * sm;  // bed at the end of the chute
  for (int i = 1; i <= ntot; ++i) {
    const double x = (i - 1) * dx;
    const double zb =
        i <= nsteep ? zbreak + (nsteep - i) * dx * ss : zbreak - (i - nsteep) * dx * sm;
    pos("C", static_cast<float>(x), static_cast<float>(zb));
  }
  value(0, kTabInflow, static_cast<float>(q), 1);
  value(ntot, kTabSlope, static_cast<float>(sm));
  for (int n = 1; n <= ntot; ++n) cchar.ctag(n) = "tag";
  ASSERT_EQ(run(), 0);

  const double hc = std::cbrt(q * q / (9.81 * b * b));
  // Supercritical from the top, subcritical from some position on.
  int jump = 0;
  for (int n = 2; n <= ntot; ++n)
    if (depth(n) > hc && depth(n - 1) < hc) jump = n;
  ASSERT_GT(jump, 2);
  ASSERT_LE(jump, nsteep);
  for (int n = 2; n < jump; ++n) {
    EXPECT_LT(depth(n), hc) << n;
    EXPECT_EQ(cchar.ctag(n).trimmed(), "") << n;
  }
  for (int n = jump; n <= ntot; ++n) {
    EXPECT_GT(depth(n), hc) << n;
    EXPECT_EQ(cchar.ctag(n).trimmed(), "tag") << n;
  }
  EXPECT_EQ(cchar.cflag(1)(1), '!');

  // Reference: integrate the shooting flow down from just below critical at
  // the top and the backwater up from the downstream level; the jump stands
  // where their specific forces are equal.
  Gvf gvf{q, b, k, [=](double x) { return x < (nsteep - 1) * dx ? ss : sm; }};
  const double xend = (ntot - 1) * dx;
  auto hsub = [&](double x) { return gvf.run(xend, depth(ntot), x, 0.5, 1.02 * hc); };
  auto hsup = [&](double x) { return gvf.run(0.0, 0.98 * hc, x, 0.05); };
  double lo = 0.5, hi = (nsteep - 1) * dx;
  ASSERT_LT(gvf.force(hsup(hi)), gvf.force(hsub(hi)));
  for (int i = 0; i < 40; ++i) {
    const double x = 0.5 * (lo + hi);
    (gvf.force(hsup(x)) > gvf.force(hsub(x)) ? lo : hi) = x;
  }
  const double xjump = 0.5 * (lo + hi);
  EXPECT_GE(xjump, creach.xsec(jump - 1) - dx);
  EXPECT_LE(xjump, creach.xsec(jump) + dx);
}

TEST_F(Backwater, InflowsAndSideSlots) {
  rect("R", 10.0f, 5.0f);
  reach("R", 6, 100.0f, 0.001f);
  value(0, kTabInflow, 12.0f, 3);  // imposed discharge at the upstream end
  value(3, kTabInflow, 5.0f, 2);   // right-side inflow after the third section
  value(3, kTabInflow, 2.0f, 3);   // an imposed discharge further down counts nothing
  value(6, kTabLevel, 2.0f);
  ASSERT_EQ(run(), 0);
  for (int n = 1; n <= 6; ++n) EXPECT_FLOAT_EQ(creach.qsec(n), n <= 3 ? 12.0f : 17.0f) << n;
  EXPECT_FLOAT_EQ(creach.qsl(1) + creach.qsr(1), 12.0f);
  EXPECT_FLOAT_EQ(creach.qsr(4), 5.0f);
  EXPECT_FLOAT_EQ(creach.qsl(4), 0.0f);
  EXPECT_FLOAT_EQ(creach.qsl(2) + creach.qsr(2), 0.0f);
}

TEST_F(Backwater, MomentumForm) {
  rect("R", 10.0f, 5.0f);
  reach("R", 4, 100.0f, 0.001f);
  value(0, kTabInflow, 20.0f, 1);
  value(4, kTabLevel, 2.5f);
  ASSERT_EQ(run(), 0);
  const std::vector<float> energy(creach.zwl.begin(), creach.zwl.begin() + 4);

  // The momentum form gives the same subcritical profile within centimetres.
  ccs.lmomen = 1;
  ASSERT_EQ(run(), 0);
  for (int n = 1; n <= 4; ++n) EXPECT_NEAR(creach.zwl(n), energy[n - 1], 0.02) << n;
}

// A repeated run takes the kept property tables; whatever changes a
// section's geometry, roughness or place gives the profile of a run that
// builds every table afresh.
TEST_F(Backwater, RepeatRunsKeepTablesUntilTheModelChanges) {
  const int isec = trap("C", 8.0f, 2.0f, 5.0f);
  rect("R", 12.0f, 6.0f);
  reach("C", 60, 100.0f, 0.001f);
  cchar.secnam(30) = "R";
  value(0, 7, 40.0f, 1);
  value(60, 6, 4.0f);
  auto levels = [] { return std::vector<float>(creach.zwl.data(), creach.zwl.data() + 60); };
  auto fresh = [&] {
    bkwat_forget();
    EXPECT_EQ(run(), 0);
    return levels();
  };
  ASSERT_EQ(run(), 0);
  const std::vector<float> first = levels();
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(levels(), first);

  const std::function<void()> changes[] = {
      [] { cbedevol.dzb(20) = 0.4f; },   // bed change of the evolution run
      [] { creach.dzsec(10) += 0.3f; },  // shifted section
      [] { ccs.kstl(1) = 45.0f; },       // roughness class
      [&] {
        store(isec, {0, 8, 14, 22}, {5, 0, 0, 5});
      },  // new reading of C
  };
  for (const auto& change : changes) {
    change();
    ASSERT_EQ(run(), 0);
    const std::vector<float> kept = levels();
    EXPECT_NE(kept, first);
    EXPECT_EQ(kept, fresh());
  }

  // Building a table says what it says (here: compound, its points going
  // back) at every position using it, in a repeated run as in a fresh one.
  store(isec, {0, 8, 6, 22}, {5, 0, 0, 5}, {}, 2);
  fresh();
  const std::string said = out;
  EXPECT_NE(said.find("not in ascending order"), std::string::npos);
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(out, said);
}

TEST_F(Backwater, SpecificForceOfARectangle) {
  rect("R", 4.0f, 5.0f);
  pos("R", 0.0f, 1.0f);
  int isec = 1, it = 0;
  cstab(isec, 1.0f, 0.0f, it);
  for (float h : {0.3f, 1.7f, 4.0f}) EXPECT_NEAR(specp(1.0f + h), 4.0 * h * h / 2, 2e-3 * h * h);
}

TEST_F(Backwater, LongBranchOf1024Positions) {
  trap("T", 15.0f, 1.5f, 6.0f);
  reach("T", 1024, 25.0f, 0.0004f);
  value(0, kTabInflow, 60.0f, 1);
  value(1024, kTabSlope, 0.0004f);
  ASSERT_EQ(run(1), 0);
  const double hn = normal_depth(60.0, 15.0, 1.5, 30.0, 0.0004);
  for (int n : {1, 512, 1024}) EXPECT_NEAR(depth(n), hn, 3e-3) << n;
  EXPECT_NEAR(creach.zbed(512), creach.dzsec(512), 1e-6);
}

}  // namespace
}  // namespace riv
