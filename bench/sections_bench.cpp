// Timing of the per-section work of a steady computation on a natural
// section of 1000 surveyed points: the property table of 40 levels (plain and
// compound) and one lateral velocity distribution on a grid of 1000 points.
#include <benchmark/benchmark.h>

#include <cmath>

#include "model/model.hpp"
#include "sections/sections.hpp"

namespace {

// A 300 m wide valley: floodplains with a rough, uneven surface, vegetated
// banks, and a 40 m main channel about 4 m below the floodplains.
void natural_section() {
  riv::model_init();
  riv::csstore_clear();
  riv::ccs.kstl(3) = 20.0f;  // floodplain
  riv::ccs.kstl(4) = 15.0f;  // banks
  riv::ccs.vegl(4) = 0.05f;
  riv::ccs.kstl(2) = 35.0f;  // main channel ("bed")
  const int np = 1000;
  riv::ccs.np = np;
  for (int i = 1; i <= np; ++i) {
    const float y = 0.3f * static_cast<float>(i - 1);
    const float rough = 0.05f * std::sin(1.7f * y) + 0.03f * std::cos(5.3f * y);
    float z;
    int cls;
    if (y < 120.0f || y > 180.0f) {  // floodplains rising to the valley sides
      const float d = y < 120.0f ? 120.0f - y : y - 180.0f;
      z = 104.0f + 0.02f * d + rough;
      cls = 3;
    } else if (y < 130.0f || y > 170.0f) {  // banks
      const float d = y < 130.0f ? 130.0f - y : y - 170.0f;
      z = 100.0f + 0.4f * d + rough;
      cls = 4;
    } else {  // main channel
      const float x = (y - 150.0f) / 20.0f;
      z = 99.0f + 1.0f * x * x + rough;
      cls = 2;
    }
    riv::ccs.ysec(i) = y;
    riv::ccs.zsec(i) = z;
    riv::ccs.iclass(i) = cls;
  }
  riv::ccs.kind = 0;
  riv::cswrite(1);
}

void BM_cstab_plain(benchmark::State& state) {
  natural_section();
  riv::ccs.ntabv = 40;
  int itmax = 0;
  for (auto _ : state) {
    riv::cstab(1, 0.0f, 0.0f, itmax);
    benchmark::DoNotOptimize(riv::ccs.ktab.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_cstab_plain)->Unit(benchmark::kMicrosecond);

void BM_cstab_compound(benchmark::State& state) {
  natural_section();
  riv::ccs.ntabv = 40;
  riv::ccs.lcompd = 1;
  riv::ccs.ngrid = static_cast<int>(state.range(0));
  int itmax = 0;
  for (auto _ : state) {
    riv::cstab(1, 0.0f, 0.0f, itmax);
    benchmark::DoNotOptimize(riv::ccs.ktab.data());
    benchmark::ClobberMemory();
  }
  state.counters["itmax"] = itmax;
}
BENCHMARK(BM_cstab_compound)->Arg(40)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_vdis_1000(benchmark::State& state) {
  natural_section();
  riv::ccs.ngrid = 1000;
  riv::csrea(1, 0.0f);
  int it = 0;
  for (auto _ : state) {
    it = 0;
    riv::vdis(1, 105.0f, 0.001f, it);
    benchmark::DoNotOptimize(riv::ccs.conv);
    benchmark::ClobberMemory();
  }
  state.counters["ng"] = riv::ccs.ng;
  state.counters["iter"] = it;
}
BENCHMARK(BM_vdis_1000)->Unit(benchmark::kMicrosecond);

}  // namespace
