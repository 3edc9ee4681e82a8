// Timing of the mixing model on a reach of 200 sections with 50 stream tubes
// over 24 hours: the whole run (tube geometry, result file, all steps) and
// one transport and diffusion step alone.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>

#include "mixing/mixing.hpp"
#include "model/model.hpp"

namespace {

constexpr int kSections = 200;
constexpr int kTubes = 50;
constexpr const char* kResult = "mixing_bench.res";

// A 40 m wide channel with rounded banks, 2 m deep, sections 100 m apart,
// 40 m3/s, a continuous load on the middle tubes of section 10.
void reach() {
  riv::model_init();
  riv::csstore_clear();
  const int np = 41;
  riv::ccs.np = np;
  for (int i = 1; i <= np; ++i) {
    const float y = static_cast<float>(i - 1);
    const float x = (y - 20.0f) / 20.0f;
    riv::ccs.ysec(i) = y;
    riv::ccs.zsec(i) = i == 1 || i == np ? 5.0f : 2.0f * x * x * x * x - 0.5f;
    riv::ccs.iclass(i) = 1;
  }
  riv::ccs.kind = 2;
  riv::ccs.xloc = 0.0f;
  riv::ccs.yloc = 0.0f;
  riv::cswrite(1);
  riv::cchar.csname(1) = "chan";
  riv::creach.ncs = 1;
  riv::creach.nsec = kSections;
  for (int n = 1; n <= kSections; ++n) {
    riv::cchar.secnam(n) = "chan";
    riv::creach.xsec(n) = 100.0f * static_cast<float>(n - 1);
    riv::creach.zwl(n) = 2.0f;
    riv::creach.sfsec(n) = 2.0e-4f;
    riv::creach.qsec(n) = 40.0f;
  }
  riv::creach.qsl(1) = riv::creach.qsr(1) = 20.0f;
  riv::cmixing.ntube = kTubes;
  riv::cunit.tend = 24.0f;
  riv::cunit.tstart = 0.0f;
  riv::cinput.filres = kResult;
  auto& t = riv::ccs.tabc;
  t(1, 1) = 4.0f;
  t(1, 2) = 11.0f;
  t(2, 1) = 10.0f;
  t(2, 2) = 24.0f;
  t(3, 1) = 1.0f;
  t(3, 2) = 27.0f;
  t(4, 2) = 100.0f;
  t(5, 1) = 0.0f;
}

void BM_mix_run_24h(benchmark::State& state) {
  reach();
  for (auto _ : state) {
    riv::cunit.tstart = 0.0f;
    riv::mix_run();
    benchmark::ClobberMemory();
  }
  const double steps = riv::mixbal.steps;
  state.counters["steps"] = steps;
  state.counters["dt_s"] = riv::mixbal.dt;
  state.counters["per_step"] =
      benchmark::Counter(steps * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  std::remove(kResult);
}
BENCHMARK(BM_mix_run_24h)->Unit(benchmark::kMillisecond);

void BM_mix_step(benchmark::State& state) {
  reach();
  riv::cunit.tend = 0.001f;
  riv::mix_run();  // tube layout and a short run
  std::remove(kResult);
  auto& cm = riv::cmixing;
  auto& t = riv::ctubes;
  float ts = 0.0f;
  for (auto _ : state) {
    ts += 100.0f;
    riv::advec(t.dq0, cm.atub, cm.htub, cm.ctub, t.il, t.ir, t.dx, 100.0f, ts);
    riv::mixlat(100.0f);
    benchmark::DoNotOptimize(cm.ctub.data());
  }
}
BENCHMARK(BM_mix_step)->Unit(benchmark::kMicrosecond);

}  // namespace
