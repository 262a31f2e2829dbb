// How long one slider edit keeps the main thread while the calculator
// thread recalculates the preset over and over (the edit transaction: change,
// invalidation, undo step and update request).
#include <benchmark/benchmark.h>

#include "platform/main_thread.h"
#include "session/session_core.h"
#include "session/session_presets.h"

namespace {

using namespace kromel;

void BM_EditDuringCalculation(benchmark::State& State) {
  TKromelSession S(nullptr, nullptr, int32_t(State.range(0)));
  TSessionPresets Presets(S);
  S.Show();
  float Exposure = 0.4f;
  for (auto _ : State) {
    Exposure = Exposure > 0.6f ? 0.4f : Exposure + 0.001f;
    Presets.ApplyEdit("", 1, [&](TKromelPreset& P) {
      P.Basic->Exposure->SetValue(Exposure);
      return true;
    });
    DrainMainThreadCalls();
  }
  State.counters["runs"] = double(S.CalculationCount());
  State.counters["abandoned"] = double(S.Pipeline().AbandonedRuns());
  S.Close();
}
BENCHMARK(BM_EditDuringCalculation)->Arg(33)->Arg(65)->Unit(benchmark::kMicrosecond);

}  // namespace
