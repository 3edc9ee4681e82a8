// Timing of a whole steady computation (bkwat) on a branch of 1024 positions
// whose sections are natural profiles of 1000 points (a main channel between
// two floodplains), with plain conveyance, with the lateral distribution
// method (compound sections) and on a steep slope (supercritical flow), and
// of the result table. The argument is the number of different profiles
// placed in turn along the branch (32, or 1024: every position its own).
// A first run builds the property tables (they are dropped before every
// iteration); a repeated run on the unchanged model reuses them.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "input/units.hpp"
#include "model/model.hpp"
#include "steady/steady.hpp"

namespace {

using namespace riv;

constexpr int kPoints = 1000;
constexpr int kPositions = 1024;

void build(bool compound, int nprof, float slope = 0.0003f) {
  model_init();
  csstore_clear();
  ccs.ntabv = 40;
  qsv = -9999.0f;
  ccs.kstl(1) = 20.0f;  // floodplains
  ccs.kstl(2) = 35.0f;  // main channel ("bed")
  for (int s = 1; s <= nprof; ++s) {
    ccs.np = kPoints;
    for (int i = 1; i <= kPoints; ++i) {
      const float y = 240.0f * static_cast<float>(i - 1) / (kPoints - 1);
      // Irregular floodplain, main channel of 80 m with a curved bed.
      const float noise = 0.15f * std::sin(0.37f * i + s) + 0.1f * std::sin(0.051f * i * s);
      float z;
      if (y < 10.0f || y > 230.0f)
        z = 8.0f + noise;  // dykes
      else if (y < 80.0f || y > 160.0f)
        z = 4.5f + 0.01f * std::fabs(y - 120.0f) + noise;
      else
        z = 4.0f - 4.0f * (1.0f - std::pow((y - 120.0f) / 40.0f, 2.0f)) + noise;
      ccs.ysec(i) = y;
      ccs.zsec(i) = z;
      ccs.iclass(i) = (y >= 80.0f && y < 160.0f) ? 2 : 1;
    }
    ccs.kind = compound ? 2 : 0;
    cswrite(s);
    cchar.csname(s) = "S" + std::to_string(s);
  }
  creach.ncs = nprof;
  for (int n = 1; n <= kPositions; ++n) {
    cchar.secnam(n) = cchar.csname((n - 1) % nprof + 1);
    creach.xsec(n) = 50.0f * (n - 1);
    creach.dzsec(n) = slope * 50.0f * (kPositions - n);
    creach.ifix(n) = 0;
  }
  creach.nsec = kPositions;
  // Inflow at the upstream end, normal depth at the downstream end.
  Arr2<float, mxtabc, 2>& t = ccs.tabc;
  t(1, 1) = 4;
  t(1, 2) = 0;
  t(2, 1) = 0;
  t(2, 2) = 7;
  t(3, 1) = 1;
  t(3, 2) = 1;
  t(4, 1) = 0;
  t(4, 2) = 400.0f;
  t(5, 1) = 4;
  t(6, 1) = kPositions;
  t(6, 2) = 9;
  t(7, 1) = 1;
  t(8, 1) = 0;
  t(8, 2) = slope;
  t(9, 1) = 0;
  creach.ifix(kPositions) = 1;
  ccs.nstruc = 2;
  // The listing goes where a file would take it, without growing in memory
  // from one timed run to the next.
  uopen(cunit.lulst, "/dev/null", FStatus::Unknown);
}

void run_bkwat(benchmark::State& state, bool compound, bool repeat, float slope = 0.0003f) {
  build(compound, static_cast<int>(state.range(0)), slope);
  int ierr = 0;
  bkwat_forget();
  if (repeat) bkwat(ierr, 0);
  for (auto _ : state) {
    if (!repeat) bkwat_forget();
    bkwat(ierr, 0);
    benchmark::DoNotOptimize(creach.zwl.data());
  }
  if (ierr != 0) state.SkipWithError("bkwat failed");
  state.counters["itb"] = bkstat.itb;
  state.counters["itc"] = bkstat.itc;
}

void BM_bkwat_plain(benchmark::State& state) { run_bkwat(state, false, false); }
void BM_bkwat_compound(benchmark::State& state) { run_bkwat(state, true, false); }
BENCHMARK(BM_bkwat_plain)->Arg(32)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_bkwat_compound)->Arg(32)->Arg(1024)->Unit(benchmark::kMillisecond);
// A steep branch: critical in the upstream pass, supercritical downstream.
void BM_bkwat_steep(benchmark::State& state) { run_bkwat(state, false, false, 0.02f); }
BENCHMARK(BM_bkwat_steep)->Arg(32)->Unit(benchmark::kMillisecond);
// The second run on the unchanged model.
void BM_bkwat_repeat_plain(benchmark::State& state) { run_bkwat(state, false, true); }
void BM_bkwat_repeat_compound(benchmark::State& state) { run_bkwat(state, true, true); }
BENCHMARK(BM_bkwat_repeat_plain)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_bkwat_repeat_compound)->Arg(1024)->Unit(benchmark::kMillisecond);

void BM_wltable(benchmark::State& state) {
  build(false, 32);
  int ierr = 0;
  bkwat(ierr, 0);
  static TableLines lines;
  for (auto _ : state) benchmark::DoNotOptimize(wltable(lines));
}
BENCHMARK(BM_wltable)->Unit(benchmark::kMillisecond);

}  // namespace
