// The preset calculation with every unit switched on: a full run (all
// stages invalid) and an incremental one (stages from 3 on, as dragging a
// curve or grid control does), at 17, 33, 64 and 65 levels, with the node
// walks on 1, 2 and 8 threads.
#include <benchmark/benchmark.h>

#include "bench_hosts.h"

#include "engine/kromel_preset.h"
#include "engine/lut_pipeline.h"
#include "lut/node_workers.h"

namespace kromel {
namespace {

// Arguments: LUT levels and the threads the node walks may use.
void Run(benchmark::State& State, int32_t FromLevel) {
  const int32_t Before = SetNodeThreadLimit(int32_t(State.range(1)));
  TKromelPreset Preset;
  bench::SwitchEverythingOn(Preset);
  TLutPipeline Pipeline(Preset);
  Pipeline.SetLutSize(int32_t(State.range(0)));
  Pipeline.CalcLut();
  for (auto _ : State) {
    Pipeline.InvalidateLutStages(FromLevel);
    benchmark::DoNotOptimize(Pipeline.CalcLut());
  }
  State.counters["threads"] = NodeThreadLimit();
  SetNodeThreadLimit(Before);
}

void Sizes(benchmark::internal::Benchmark* B) {
  for (int32_t Levels : {17, 33, 64, 65})
    for (int32_t Threads : {1, 2, 8}) B->Args({Levels, Threads});
}

void BM_FullCalculation(benchmark::State& State) { Run(State, 0); }
void BM_IncrementalCalculation(benchmark::State& State) { Run(State, 3); }

// Wall time: the node walks run on several threads.
BENCHMARK(BM_FullCalculation)->Apply(Sizes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_IncrementalCalculation)->Apply(Sizes)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace kromel
