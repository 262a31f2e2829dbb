// The preset calculation with every unit switched on: a full run (all
// stages invalid) and an incremental one (stages from 2 on, as dragging a
// curve or grid control does).
#include <benchmark/benchmark.h>

#include "engine/kromel_preset.h"
#include "engine/lut_pipeline.h"

namespace kromel {
namespace {

void SwitchEverythingOn(TKromelPreset& P) {
  P.LogDecoder->MaxColor->SetValue(MaxColorWhite);
  P.Basic->Exposure->SetValue(0.55f);
  P.ChannelMixer->Enabled->SetValue(1);
  P.Volume->Enabled->SetValue(1);
  P.ABGrid->Enabled->SetValue(1);
  P.CLGrid->Enabled->SetValue(1);
  P.CurvesEnabled->SetValue(1);
  P.RGBCurves->MasterEnabled->SetValue(1);
  P.RGBCurves->RGBEnabled->SetValue(1);
  P.ModelCurves->Enabled->SetValue(1);
  P.Curves2D->Enabled->SetValue(1);
  P.FilmCurve->FilmCurve->SetValue(2);
  P.MaskUnit()->Enabled->SetValue(1);
  P.MaskDestination->SetValue(4);
  P.Master->MasterSwitch->SetValue(1);
}

void Run(benchmark::State& State, int32_t FromLevel) {
  TKromelPreset Preset;
  SwitchEverythingOn(Preset);
  TLutPipeline Pipeline(Preset);
  Pipeline.SetLutSize(int32_t(State.range(0)));
  Pipeline.CalcLut();
  for (auto _ : State) {
    Pipeline.InvalidateLutStages(FromLevel);
    benchmark::DoNotOptimize(Pipeline.CalcLut());
  }
}

void BM_FullCalculation(benchmark::State& State) { Run(State, 0); }
void BM_IncrementalCalculation(benchmark::State& State) { Run(State, 3); }

BENCHMARK(BM_FullCalculation)->Arg(33)->Arg(64)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IncrementalCalculation)->Arg(33)->Arg(64)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kromel
