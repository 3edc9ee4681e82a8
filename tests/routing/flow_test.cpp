#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "input/input.hpp"
#include "routing/routing.hpp"
#include "steady/branch_fixture.hpp"

namespace riv {
namespace {

class RoutingRun : public test::BranchTest {
 protected:
  void SetUp() override {
    BranchTest::SetUp();
    routing_items = RoutingItems{};
    cinput.vcontr = 0.1f;
    view.start = [this](const RoutingFrame& f) {
      ++starts;
      nsteps = f.nsteps;
    };
    view.step = [this](const RoutingFrame& f) { frames.push_back(f); };
    view.poll = [this] {
      const size_t k = frames.size();
      return k >= 1 && k <= answers.size() ? answers[k - 1] : RoutingAnswer::Continue;
    };
    view.end = [this](const RoutingFrame&) { ++ends; };
  }
  // Rectangle 20 m wide, positions 500 m apart on slope 0.0005, 50 m3/s.
  void channel(int count) {
    rect("R", 20.0f, 8.0f);
    reach("R", count, 500.0f, 0.0005f);
    value(0, kTabInflow, 50.0f, 1);
  }
  void go(const char* file) {
    cinput.filres = file;
    testing::internal::CaptureStdout();
    flow(view);
    out = testing::internal::GetCapturedStdout();
  }
  RxresData read(const char* file) {
    RxresData d;
    EXPECT_EQ(read_rxres(file, d), "");
    return d;
  }
  RoutingView view;
  std::vector<RoutingFrame> frames;
  std::vector<RoutingAnswer> answers;
  int starts = 0, ends = 0, nsteps = -1;
};

TEST_F(RoutingRun, ResultFileOfTheDefaultRun) {
  channel(10);
  value(10, kTabLevel, 3.0f);
  cinput.title = "Test reach";
  go("rx_default");
  EXPECT_EQ(cinput.cmesg.trimmed(), ">results on file rx_default");
  EXPECT_EQ(cunit.tstart, 0.0f);  // model time restored
  EXPECT_EQ(std::vector<int>({starts, ends, nsteps}), std::vector<int>({1, 1, 1000}));
  ASSERT_EQ(frames.size(), 1000u);

  const RxresData d = read("rx_default");
  EXPECT_EQ(std::vector<int>({d.recl, d.nsec, d.ndim, d.nz, d.jbl, d.nvar, d.end_markers}),
            std::vector<int>({165, 10, 1, 1, 2, 4, 2}));
  ASSERT_EQ(d.states.size(), 1001u);
  const RxresData::State& s = d.states[500];
  EXPECT_NEAR(s.time, 50.0, 1e-4);
  EXPECT_EQ(s.z[9], 3.0f);
  const float a = 20.0f * s.z[0] - 20.0f * creach.dzsec(1);
  EXPECT_NEAR(s.u[0], s.q[0] / a, 1e-4);
  const float r = a / (20.0f + 2.0f * a / 20.0f), k = 30.0f * a * std::pow(r, 2.0f / 3.0f);
  EXPECT_NEAR(s.tau[0], 9810.0f * r * (s.q[0] / k) * (s.q[0] / k), 0.01);

  EXPECT_EQ(read_rxres("no_such_file")[0], "Error opening: no_such_file");
  EXPECT_EQ(rxres_recl(100, 4), 1605);
  EXPECT_EQ(rxres_recl(3, 4), 165);  // room for the five variable titles
}

TEST_F(RoutingRun, StepMenu) {
  channel(10);
  value(10, kTabLevel, 3.0f);
  answers = {RoutingAnswer::Discharge, RoutingAnswer::Halt, RoutingAnswer::Exit};
  go("rx_menu");
  ASSERT_EQ(frames.size(), 3u);
  // (item, option, waiting) of the three frames.
  const int seen[3][3] = {{1, 0, 0}, {2, 4, 0}, {2, 0, 1}};
  for (int k = 0; k < 3; ++k)
    EXPECT_EQ(std::vector<int>({frames[k].item, frames[k].option, int(frames[k].wait)}),
              std::vector<int>(seen[k], seen[k] + 3))
        << k;
  EXPECT_EQ(routing_items.item, 2);  // kept for the next run

  const RxresData d = read("rx_menu");
  EXPECT_EQ(d.states.size(), 4u);  // start and three steps
  EXPECT_EQ(d.end_markers, 2);
  EXPECT_EQ(cunit.tstart, 0.0f);
}

TEST_F(RoutingRun, FailuresEndTheRunNotTheProgram) {
  channel(10);
  // No downstream condition: the steady start fails, nothing is written.
  std::remove("rx_fail");
  go("rx_fail");
  EXPECT_FALSE(file_exists("rx_fail"));
  EXPECT_EQ(starts, 0);

  // A level condition that the step cannot see (its record is left out of
  // the chain after the steady start): the run ends with the message.
  value(10, kTabLevel, 3.0f);
  cunit.tstart = 2.0f;
  view.start = [this](const RoutingFrame&) { ccs.nstruc = 1; };
  go("rx_fail");
  EXPECT_EQ(cinput.cmesg.trimmed(), "missing downstream boundary condition");
  EXPECT_EQ(cunit.tstart, 2.0f);
  EXPECT_EQ(ends, 1);
  EXPECT_TRUE(frames.empty());
  const RxresData d = read("rx_fail");
  ASSERT_EQ(d.states.size(), 1u);
  EXPECT_EQ(d.states[0].time, 2.0f);
  EXPECT_EQ(d.end_markers, 2);
  ccs.nstruc = 2;
  view.start = nullptr;

  // A time step that does not advance, and one too small for the run.
  cunit.dtime = 1e-30f;
  go("rx_fail");
  EXPECT_EQ(cinput.cmesg.trimmed(),
            "more than 10000000 time steps: take a longer time step or a shorter duration");
  cunit.dtime = 0.0f;
  go("rx_fail");
  EXPECT_EQ(cinput.cmesg.trimmed(), "time step must be positive");

  // Whole steps in the duration, at least one: (start, end, step, steps).
  const float runs[][4] = {{2.0f, 2.3f, 0.5f, 1},
                           {0.0f, 0.9f, 0.3f, 3},
                           {0.0f, 0.7f, 0.3f, 2},
                           {0.0f, 1.0f, 0.1f, 10},
                           {1.0f, 0.0f, 0.1f, 1}};
  for (const auto& r : runs) {
    frames.clear();
    cunit.tstart = r[0];
    cunit.tend = r[1];
    cunit.dtime = r[2];
    go("rx_fail");
    EXPECT_EQ(frames.size(), static_cast<size_t>(r[3])) << r[1] << " " << r[2];
    EXPECT_EQ(cinput.cline.trimmed(), ">results on file rx_fail");
  }
  EXPECT_EQ(read("rx_fail").states.size(), 2u);
}

// The diffusion wave that the routing should reproduce on a long prismatic
// channel: dQ/dt + c dQ/dx = D d2Q/dx2 with constant c and D, explicit
// upwind (its numerical diffusion taken off D), at two stations. Returns the
// peak discharges and their times in seconds.
void diffusion_wave(double c, double d, double (*qin)(double), double x1, double x2, double tend,
                    double p[2], double t[2]) {
  const double dx = 200.0, dt = 2.0, dnum = 0.5 * c * dx * (1.0 - c * dt / dx);
  const int nx = static_cast<int>(1.5 * x2 / dx) + 2;
  const int i1 = static_cast<int>(x1 / dx + 0.5), i2 = static_cast<int>(x2 / dx + 0.5);
  std::vector<double> q(nx, qin(0.0)), qn(nx);
  p[0] = p[1] = 0.0;
  for (double tt = dt; tt <= tend; tt += dt) {
    for (int i = 1; i + 1 < nx; ++i)
      qn[i] = q[i] - c * dt / dx * (q[i] - q[i - 1]) +
              (d - dnum) * dt / (dx * dx) * (q[i + 1] - 2.0 * q[i] + q[i - 1]);
    qn[0] = qin(tt);
    qn[nx - 1] = qn[nx - 2];
    q.swap(qn);
    if (q[i1] > p[0]) p[0] = q[i1], t[0] = tt;
    if (q[i2] > p[1]) p[1] = q[i2], t[1] = tt;
  }
}

// Volume balance of a routing run over positions 1 to n: storage by the
// trapezoidal rule, in- and outflow weighted by theta as the step weighs them.
struct Balance {
  int n;
  double v0 = 0, vin = 0, vout = 0, qin0 = 0, qout0 = 0;
  double storage() const {
    double v = 0.0;
    for (int i = 1; i < n; ++i)
      v += 0.5 * (creach.asec(i) + creach.asec(i + 1)) * (creach.xsec(i + 1) - creach.xsec(i));
    return v;
  }
  void start() { v0 = storage(), start_flows(); }
  // Water in less water out less the storage gained, after a step.
  double step() {
    const double th = cunit.theta, dt = 3600.0 * cunit.dtime;
    vin += dt * (th * creach.qsec(1) + (1 - th) * qin0);
    vout += dt * (th * creach.qsec(n) + (1 - th) * qout0);
    start_flows();
    return vin - vout - (storage() - v0);
  }
  void start_flows() { qin0 = creach.qsec(1), qout0 = creach.qsec(n); }
};

double hydrograph(double ts) {
  const double h = ts / 3600.0;
  if (h < 1.0) return 100.0;
  if (h < 8.0) return 100.0 + 300.0 * (h - 1.0) / 7.0;
  if (h < 24.0) return 400.0 - 300.0 * (h - 8.0) / 16.0;
  return 100.0;
}

// A flood wave in a 40 km prismatic channel: the volume that enters less the
// volume that leaves equals the change of storage at every step; the peak
// attenuates and travels at about the kinematic wave speed dQ/dA, as the
// diffusion wave of the channel does.
TEST_F(RoutingRun, FloodWaveBalanceAndCelerity) {
  const float b = 50.0f, m = 2.0f, s0 = 0.0005f;
  trap("W", b, m, 10.0f);
  const int ns = 81;
  reach("W", ns, 500.0f, s0);
  cond(0, kTabInflow, {{0.0f, 100.0f}, {1.0f, 100.0f}, {8.0f, 400.0f}, {24.0f, 100.0f}}, 1);
  value(ns, kTabSlope, s0);  // normal depth at the end
  ccs.lmomen = 1;
  cinput.vcontr = 5.0f;
  cunit.tend = 40.0f;

  const double dt = 3600.0 * cunit.dtime;
  const double flood = 0.5 * 23.0 * 3600.0 * 300.0;  // volume above the base flow
  double errmax = 0, dvmax = 0;
  std::vector<double> q21, q61;
  Balance bal{ns};
  view.start = [&](const RoutingFrame&) { bal.start(); };
  view.step = [&](const RoutingFrame&) {
    errmax = std::max(errmax, std::fabs(bal.step()) / flood);
    dvmax = std::max(dvmax, bal.storage() - bal.v0);
    q21.push_back(creach.qsec(21));
    q61.push_back(creach.qsec(61));
  };
  go("rx_wave");
  EXPECT_GT(dvmax, 0.2 * flood);
  EXPECT_LT(errmax, 0.001);

  // Peak times by a parabola through the largest value and its neighbours.
  auto peak = [&](const std::vector<double>& q, double& qmax) {
    size_t k = 1;
    for (size_t i = 1; i + 1 < q.size(); ++i)
      if (q[i] > q[k]) k = i;
    const double a = q[k - 1], c = q[k], e = q[k + 1];
    const double off = 0.5 * (a - e) / (a - 2 * c + e);
    qmax = c - 0.25 * (a - e) * off;
    return (static_cast<double>(k + 1) + off) * dt;
  };
  double p21, p61;
  const double t21 = peak(q21, p21), t61 = peak(q61, p61);
  const double x1 = creach.xsec(21) - creach.xsec(1), x2 = creach.xsec(61) - creach.xsec(1);
  const double celerity = (x2 - x1) / (t61 - t21);
  // Kinematic speed dQ/dA and diffusivity Q / (2 B S0) at the mean peak.
  const double qp = 0.5 * (p21 + p61);
  const double h = normal_depth(qp, b, m, 30.0, s0), dh = 0.01, bw = b + 2 * m * h;
  auto qn = [&](double d) {
    const double a = (b + m * d) * d;
    return 30.0 * a * std::pow(a / (b + 2 * d * std::sqrt(1 + m * m)), 2.0 / 3.0) * std::sqrt(s0);
  };
  const double ck = (qn(h + dh) - qn(h - dh)) / (2 * dh * bw);
  double pd[2] = {0, 0}, td[2] = {0, 0};
  diffusion_wave(ck, qp / (2 * bw * s0), hydrograph, x1, x2, 3600.0 * cunit.tend, pd, td);
  const double cd = (x2 - x1) / (td[1] - td[0]);
  EXPECT_LT(p61, p21);
  EXPECT_LT(p21, 400.0);
  EXPECT_NEAR(p21, pd[0], 3.0);
  EXPECT_NEAR(p61, pd[1], 3.0);
  EXPECT_NEAR(celerity / ck, 1.0, 0.15);
  EXPECT_NEAR(celerity / cd, 1.0, 0.04);
}

// A flood through a pool 400 m wide and 2 km long behind a weir 20 m wide
// (crest 3 m above the pool bed, free overflow onto a reach 3 m lower):
// the water that enters less the water that leaves is the change of storage,
// and the outflow follows level-pool routing dS/dt = I - O(H), S = area * H,
// O = 2.95 cw b H^1.5, integrated here with small steps.
TEST_F(RoutingRun, FloodThroughAWeirPoolBalanceAndAttenuation) {
  const float w = 400.0f, cw = 0.6f, bw = 20.0f, crest = 3.0f;
  rect("P", w, 10.0f);
  for (int i = 0; i < 5; ++i) pos("P", 500.0f * i, 0.0f);
  pos("P", 2100.0f, -3.0f);
  pos("P", 2200.0f, -3.0f);
  structure(5, kTabWeir, crest, bw, cw);
  cond(0, kTabInflow, {{0.0f, 10.0f}, {5.0f, 100.0f}, {15.0f, 10.0f}}, 1);
  value(7, kTabLevel, -2.0f);
  cunit.tend = 30.0f;
  auto inflow = [](double h) { return h < 5 ? 10 + 18 * h : h < 15 ? 100 - 9 * (h - 5) : 10.0; };

  const double flood = 0.5 * 15.0 * 3600.0 * 90.0;
  double errmax = 0, qpeak = 0, tpeak = 0;
  int itmax = 0;
  Balance bal{7};
  view.start = [&](const RoutingFrame&) { bal.start(); };
  view.step = [&](const RoutingFrame& f) {
    errmax = std::max(errmax, std::fabs(bal.step()) / flood);
    itmax = std::max(itmax, f.iter);
    if (creach.qsec(5) > qpeak) qpeak = creach.qsec(5), tpeak = f.step * cunit.dtime;
  };
  go("rx_pool");
  EXPECT_LT(errmax, 1e-4);
  EXPECT_LT(itmax, 10);

  // Level pool: the storage of the pool and half the reach below the weir.
  const double area = w * (2000.0 + 50.0), c = 2.95 * cw * bw;
  double hh = std::pow(10.0 / c, 2.0 / 3.0), rpeak = 0, rtpeak = 0;
  for (double t = 0; t < 30 * 3600.0; t += 10.0) {
    hh += 10.0 * (inflow((t + 5.0) / 3600.0) - c * std::pow(hh, 1.5)) / area;
    const double o = c * std::pow(hh, 1.5);
    if (o > rpeak) rpeak = o, rtpeak = (t + 10.0) / 3600.0;
  }
  EXPECT_LT(rpeak, 80.0);  // the pool attenuates
  EXPECT_NEAR(qpeak, rpeak, 0.03 * rpeak);
  EXPECT_NEAR(tpeak, rtpeak, 0.03 * rtpeak);
}

}  // namespace
}  // namespace riv
