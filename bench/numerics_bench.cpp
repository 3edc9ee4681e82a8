// Timing of the two direct solvers at the sizes of a long routing branch
// (banded, 2048 equations, three sub- and super-diagonals) and of a lateral
// grid (tridiagonal, 1000 equations). Each iteration restores the inputs the
// solver overwrites; that copy is part of the time and small against it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "numerics/numerics.hpp"

namespace {

void BM_mbsolv(benchmark::State& state) {
  const int n = 2048, m1 = 3, m2 = 3, mm = m1 + m2 + 1, np = n;
  // Diagonally dominant with a varying pattern: no pivot ever vanishes.
  std::vector<double> a0(static_cast<size_t>(np) * mm), b0(n);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < mm; ++j) a0[i + j * np] = 0.1 * ((i * 7 + j * 3) % 11) - 0.5;
    a0[i + m1 * np] = 8.0 + (i % 5);
    b0[i] = 1.0 + (i % 13);
  }
  std::vector<double> a(a0.size()), b(n), al(static_cast<size_t>(np) * m1);
  std::vector<int> indx(n);
  for (auto _ : state) {
    std::copy(a0.begin(), a0.end(), a.begin());
    std::copy(b0.begin(), b0.end(), b.begin());
    riv::mbsolv(n, a.data(), np, m1, m2, b.data(), al.data(), indx.data(), 6);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_mbsolv);

void BM_mmtri(benchmark::State& state) {
  const int n = 1000, ld = 3;
  std::vector<double> m(static_cast<size_t>(ld) * n), r0(n), r(n);
  for (int j = 0; j < n; ++j) {
    m[0 + j * ld] = -1.0;
    m[1 + j * ld] = 4.0 + 0.01 * (j % 7);
    m[2 + j * ld] = -1.0;
    r0[j] = 1.0 + (j % 3);
  }
  for (auto _ : state) {
    std::copy(r0.begin(), r0.end(), r.begin());
    riv::mmtri(n, m.data(), ld, r.data(), 6);
    benchmark::DoNotOptimize(r.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_mmtri);

}  // namespace
