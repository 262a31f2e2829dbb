// What the LUT calculator thread and the pages need of the main window's
// calculation: TLutCalculationHost, and TLutPipeline, the calculation
// without a window (the preset, the calculator with its stages, the main
// LUT and the settings of a run).
#pragma once
#include <cstdint>

#include "engine/preset_calculator.h"
#include "lut/lut.h"

namespace kromel {

class TKromelPreset;
class T2DEnvelopeDots;

class TLutCalculationHost {
 public:
  virtual ~TLutCalculationHost() = default;
  // A whole calculation into the main LUT (any thread). False, reported,
  // when it failed; the main LUT then keeps the last complete result.
  virtual bool CalcLut() = 0;
  // The preset calculator's run into ALut with the window's settings.
  virtual bool CalcLutTransform(T3DLut& ALut) = 0;
  // Main thread, after every calculation (Succeeded: the main LUT is new).
  virtual void LUTCalculationFinished(bool Succeeded) = 0;
  // Stages Level - 1 .. 5 not up to date; a Level of 1 or below (stage 0)
  // also the mask source. A Level below 1 counts as 1.
  virtual void InvalidateLutStages(int32_t Level) = 0;
};

class TLutPipeline : public TLutCalculationHost {
 public:
  explicit TLutPipeline(TKromelPreset& Preset);

  TKromelPreset& Preset;
  TKromelPresetCalculator Calculator;
  T3DLut MainLut;
  TColorModelPreferences Settings;
  int32_t LutSize = 33;
  TShowMaskType PreviewMode = smNone;
  const T2DEnvelopeDots* EditedGrid = nullptr;  // the grid being edited, not owned
  bool Ready = true;  // CalcLutTransform does nothing until set

  // Run-time options copied into the units before each run.
  bool VolumeOverflow = false;
  float CLAxisScale = 1;
  int32_t PreviewLightness = 50;

  double CalcSeconds = 0;  // summed time of the runs
  int32_t CalcCount = 0;   // runs that gave a result

  // The stages and the main LUT at LutSize (all recomputed).
  void SetLutSize(int32_t N);

  // Copies the run-time options into the preset's units (under PresetLock).
  void ApplyRunOptions();

  bool CalcLut() override;
  bool CalcLutTransform(T3DLut& ALut) override;
  void LUTCalculationFinished(bool) override {}
  void InvalidateLutStages(int32_t Level) override;
};

}  // namespace kromel
