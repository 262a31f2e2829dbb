#include <benchmark/benchmark.h>

#include "foundation/number_format.h"

static void BM_FloatToStrD6(benchmark::State& State) {
  double X = 0.123456;
  for (auto _ : State) {
    benchmark::DoNotOptimize(kromel::FloatToStrD6(X));
    X += 0.001;
  }
}
BENCHMARK(BM_FloatToStrD6);
