// What several benchmarks share: a preset with every unit switched on and
// the renderer's host (a 16-bit working picture, the 8-bit result and the
// published LUT, no analyzer).
#pragma once
#include "engine/kromel_preset.h"
#include "support/all_units_preset.h"
#include "lut/lut_renderer.h"

namespace kromel::bench {

using testing::SwitchEverythingOn;

class TBenchRendererHost : public TRendererHost {
 public:
  TBenchRendererHost(int32_t Width, int32_t Height) {
    Work.Realloc(Width, Height, true);
    Out.Init();
    Out.Alloc(Width, Height);
  }
  ~TBenchRendererHost() override { Out.Dispose(); }
  bool MainFormReady() const override { return true; }
  bool CopyMainLut(T3DLut& Lut) override { return Main.CopyTo(Lut); }
  TImageVBPP& WorkingImage() override { return Work; }
  TImage32& ProcessedImage() override { return Out; }
  uint8_t DisplayMode() const override { return 0; }
  int32_t PreviewBitmapWidth() const override { return Out.Width; }
  bool CalcAnalyzer(bool) override { return true; }
  void SetPreviewImageChanged() override {}
  void ShowProcessedImage() override {}
  void UpdateAnalyzerWindow() override {}
  void UpdatePicker() override {}

  TGuardedLut Main;
  TImageVBPP Work;
  TImage32 Out;
};

}  // namespace kromel::bench
