// Timing of flood routing: the default run of 1000 steps of 0.1 h (steady
// start, steps, result file) and the single box-scheme step, on a branch of
// 200 and of 1024 positions carrying a flood wave, and the run on 1024
// positions with a weir, a gate and a culvert. The counter ms_per_step
// is the wall time of one step of the run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

#include "model/model.hpp"
#include "routing/routing.hpp"
#include "steady/steady.hpp"

namespace {

// Trapezoidal channel 40 m wide with side slopes 1:2 on slope 0.0005; the
// inflow rises from 100 to 400 m3/s in 10 h and falls back in 20 h; normal
// depth at the end.
void branch(int ns) {
  riv::model_init();
  riv::csstore_clear();
  riv::Ccs& c = riv::ccs;
  c.ntabv = 40;
  c.np = 4;
  const float y[] = {0.0f, 16.0f, 56.0f, 72.0f}, z[] = {8.0f, 0.0f, 0.0f, 8.0f};
  for (int i = 1; i <= 4; ++i) {
    c.ysec(i) = y[i - 1];
    c.zsec(i) = z[i - 1];
    c.iclass(i) = 1;
  }
  riv::cswrite(1);
  riv::cchar.csname(1) = "T";
  riv::creach.ncs = 1;
  const float dx = 40000.0f / static_cast<float>(ns - 1);
  for (int n = 1; n <= ns; ++n) {
    riv::cchar.secnam(n) = "T";
    riv::creach.xsec(n) = dx * static_cast<float>(n - 1);
    riv::creach.dzsec(n) = 0.0005f * dx * static_cast<float>(ns - n);
  }
  riv::creach.nsec = ns;
  // Inflow hydrograph at position 0 and a slope condition at the end.
  const float tq[][2] = {{0, 100}, {2, 100}, {12, 400}, {32, 100}};
  int r = 1;
  c.tabc(r, 1) = 7;
  c.tabc(r, 2) = 0;
  c.tabc(r + 1, 1) = 0;
  c.tabc(r + 1, 2) = 7;
  c.tabc(r + 2, 1) = 4;
  c.tabc(r + 2, 2) = 1;
  for (int i = 0; i < 4; ++i) {
    c.tabc(r + 3 + i, 1) = tq[i][0];
    c.tabc(r + 3 + i, 2) = tq[i][1];
  }
  r += 7;
  c.tabc(r, 1) = 4;
  c.tabc(r + 1, 1) = static_cast<float>(ns);
  c.tabc(r + 1, 2) = 9;
  c.tabc(r + 2, 1) = 1;
  c.tabc(r + 3, 2) = 0.0005f;
  c.tabc(r + 4, 1) = 0;
  c.nstruc = 2;
  riv::creach.ifix(ns) = 1;
  riv::cinput.vcontr = 5.0f;
  riv::cinput.filres = "rxres_bench";
}

// The same channel with a weir (crest 1 m above the bed), a gate (opening
// 3 m: weir flow at low discharge, gate flow at the flood peak) and a box
// culvert (30 x 6 m) at a third, half and two thirds of its length.
void structures(int ns) {
  riv::Ccs& c = riv::ccs;
  const int at[3] = {ns / 3, ns / 2, 2 * ns / 3};
  int r = 12;
  for (int k = 0; k < 3; ++k) {
    const int n = at[k];
    const float bed = riv::creach.dzsec(n);
    const int len = k == 2 ? 5 : 4;
    c.tabc(r, 1) = static_cast<float>(len);
    c.tabc(r + 1, 1) = static_cast<float>(n);
    c.tabc(r + 1, 2) = k == 0 ? 2.0f : k == 1 ? 3.0f : 11.0f;
    c.tabc(r + 2, 1) = k == 0 ? bed + 1.0f : bed;
    c.tabc(r + 2, 2) = k == 2 ? 30.0f : 40.0f;
    c.tabc(r + 3, 1) = k == 0 ? 0.58f : k == 1 ? 3.0f : 6.0f;
    c.tabc(r + 3, 2) = k == 2 ? 60.0f : 1.0f;
    if (k == 2) c.tabc(r + 4, 1) = 0.5f;
    riv::creach.ifix(n) = 1;
    r += len;
  }
  c.tabc(r, 1) = 0;
  c.nstruc = 5;
}

void BM_routing_run(benchmark::State& state) {
  const int ns = static_cast<int>(state.range(0));
  double seconds = 0.0;
  long steps = 0;
  for (auto _ : state) {
    branch(ns);
    std::fflush(stdout);
    const auto t0 = std::chrono::steady_clock::now();
    riv::flow();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    steps += 1000;
  }
  state.counters["ms_per_step"] = 1000.0 * seconds / static_cast<double>(steps);
  std::remove("rxres_bench");
}
BENCHMARK(BM_routing_run)->Arg(200)->Arg(1024)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_routing_run_structures(benchmark::State& state) {
  const int ns = static_cast<int>(state.range(0));
  double seconds = 0.0;
  long steps = 0;
  for (auto _ : state) {
    branch(ns);
    structures(ns);
    std::fflush(stdout);
    const auto t0 = std::chrono::steady_clock::now();
    riv::flow();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    steps += 1000;
  }
  state.counters["ms_per_step"] = 1000.0 * seconds / static_cast<double>(steps);
  std::remove("rxres_bench");
}
BENCHMARK(BM_routing_run_structures)->Arg(1024)->Unit(benchmark::kMillisecond)->Iterations(2);

// One step during the rise of the flood (the inflow changes every step, so
// the Newton iteration does real work).
void BM_flow1(benchmark::State& state) {
  const int ns = static_cast<int>(state.range(0));
  branch(ns);
  int ierr = 0;
  riv::bkwat(ierr, 0);
  long iters = 0, steps = 0;
  for (auto _ : state) {
    riv::cunit.tstart += riv::cunit.dtime;
    if (riv::cunit.tstart > 12.0f) {
      state.PauseTiming();
      branch(ns);
      riv::bkwat(ierr, 0);
      state.ResumeTiming();
    }
    int iter;
    float dz, dq;
    riv::flow1(iter, dz, dq);
    iters += iter;
    ++steps;
  }
  state.counters["newton_per_step"] = static_cast<double>(iters) / static_cast<double>(steps);
}
BENCHMARK(BM_flow1)->Arg(200)->Arg(1024)->Unit(benchmark::kMillisecond);

}  // namespace
