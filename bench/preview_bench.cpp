// From a changed parameter to the preview's pixels ready to blit: the
// incremental LUT calculation (every unit on, 33 levels) and the render of a
// 2560 x 1440 viewport of a 24-megapixel 16-bit picture, at fit zoom (the
// picture box-averaged into the viewport) and at 100 % (a crop). Each step is
// also measured alone, and the box-average a zoom or pan costs.
#include <benchmark/benchmark.h>

#include "bench_hosts.h"

#include <chrono>
#include <thread>

#include "engine/kromel_preset.h"
#include "engine/lut_pipeline.h"
#include "lut/lut_renderer.h"
#include "platform/main_thread.h"

namespace kromel {
namespace {

constexpr int32_t SourceWidth = 6000, SourceHeight = 4000;
constexpr int32_t ViewWidth = 2560, ViewHeight = 1440;

const TImage64& Source() {
  static TImage64 S = [] {
    TImage64 I;
    I.Alloc(SourceWidth, SourceHeight);
    // A smooth picture with some noise, like a photograph's gradients.
    for (int32_t Y = 0; Y < SourceHeight; ++Y)
      for (int32_t X = 0; X < SourceWidth; ++X) {
        const uint64_t H = uint64_t(Y * SourceWidth + X) * 0x9E3779B97F4A7C15ull;
        I.Pixels[Y * SourceWidth + X].Init(uint16_t(X * 65535 / SourceWidth + (H & 255)),
                                          uint16_t(Y * 65535 / SourceHeight + (H >> 8 & 255)),
                                          uint16_t(32768 + (H >> 16 & 4095)), 65535);
      }
    return I;
  }();
  return S;
}

// The visible part at fit zoom or at 100 % about the centre.
void MakeVisiblePart(TImage64& Dest, bool Fit) {
  const TImage64& S = Source();
  if (Fit) {
    // 6000 x 4000 fitted into 2560 x 1440: 2160 wide, centred.
    const int32_t W = ViewHeight * SourceWidth / SourceHeight;
    const int32_t L = (ViewWidth - W) / 2;
    Dest.StretchDrawAveragedOpaque({L, 0}, {L + W, ViewHeight}, S, TPixel64{0, 0, 0, 0});
    return;
  }
  const int32_t X0 = (SourceWidth - ViewWidth) / 2, Y0 = (SourceHeight - ViewHeight) / 2;
  for (int32_t Y = 0; Y < ViewHeight; ++Y)
    for (int32_t X = 0; X < ViewWidth; ++X)
      Dest.Pixels[Y * ViewWidth + X] = S.Pixels[(Y0 + Y) * SourceWidth + X0 + X];
}

struct TFrame {
  TKromelPreset Preset;
  TLutPipeline Pipeline{Preset};
  bench::TBenchRendererHost Host{ViewWidth, ViewHeight};
  TLutRenderer Renderer{Host, false};
  float Exposure = 0.5f;

  explicit TFrame(bool Fit) {
    Renderer.UseOpenCL = false;
    bench::SwitchEverythingOn(Preset, false);
    Pipeline.SetLutSize(33);
    Pipeline.CalcLut();
    MakeVisiblePart(Host.Work.Image64, Fit);
    Publish();
  }
  void Publish() {
    Host.Main.Write([this](T3DLut& Lut) { Lut.CopyFrom(Pipeline.MainLut); });
  }
  // A drag step on the exposure slider: stages from 1 on.
  void ChangeParameter() {
    Exposure = Exposure > 0.9f ? 0.1f : Exposure + 0.01f;
    Preset.Basic->Exposure->SetValue(Exposure);
    Pipeline.InvalidateLutStages(1);
    benchmark::DoNotOptimize(Pipeline.CalcLut());
  }
  void Render() {
    const int64_t Before = Renderer.RenderCount();
    Renderer.RequestRender();
    // Sleeps until the render is done; the renderer wakes this thread.
    DrainMainThreadCallsUntil(
        [&] { return Renderer.RenderCount() != Before && !Renderer.Busy(); });
  }
};

void BM_PreviewFrame(benchmark::State& State) {
  TFrame F(State.range(0) != 0);
  for (auto _ : State) {
    F.ChangeParameter();
    F.Publish();
    F.Render();
  }
  State.SetLabel(State.range(0) ? "fit" : "100%");
}
BENCHMARK(BM_PreviewFrame)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PreviewStepIncrementalLut(benchmark::State& State) {
  TFrame F(true);
  for (auto _ : State) F.ChangeParameter();
}
BENCHMARK(BM_PreviewStepIncrementalLut)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PreviewStepPublishAndRender(benchmark::State& State) {
  TFrame F(true);
  for (auto _ : State) {
    F.Publish();
    F.Render();
  }
}
BENCHMARK(BM_PreviewStepPublishAndRender)->Unit(benchmark::kMillisecond)->UseRealTime();

// What a zoom or the end of a pan costs before the next render.
void BM_PreviewViewChangeBoxAverage(benchmark::State& State) {
  TImage64 Dest;
  Dest.Alloc(ViewWidth, ViewHeight);
  Source();
  for (auto _ : State) MakeVisiblePart(Dest, true);
  Dest.Dispose();
}
BENCHMARK(BM_PreviewViewChangeBoxAverage)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace kromel
