// TCLGridAdjustments: bends colours in two vertical planes of the working
// model, chroma axis against lightness ("AL" and "BL"); each dot's Z pushes
// along the other axis. Both axes turn together by "GridRotation".
#pragma once
#include "engine/preview_modes.h"
#include "engine/processing_unit.h"
#include "params/composite_parameters.h"

namespace kromel {

// Z units to tenths of the other axis.
constexpr float CLGridZScale = 5 / 1.28f;

// 1 for the HSP models (indices 7 to 12), else 1/(|sin t| + |cos t|) with
// t = (Rotation - 0.5) pi.
float CLGridAxisScale(int32_t ColorModel, float Rotation);

class TCLGridAdjustments : public TLUTProcessingUnit {
 public:
  explicit TCLGridAdjustments(TParameterList* List);

  TControlledParameterInteger* Enabled;
  TControlledParameterGrid* AL;
  TControlledParameterGrid* BL;
  TControlledParameterSingle* GridRotation;

  // Run-time fields set before every run, never stored.
  float AxisScale = 1;
  uint8_t PreviewMode = smNone;
  bool GridsActive = false;
  const T2DEnvelopeDots* EditedGrid = nullptr;  // not owned

  // Dst = Src bent through both grids in the working model, or a plain
  // copy when the grids are off (and no C/L preview is asked for).
  void Process(T3DLut* Src, T3DLut* Dst, const TColorModelPreferences& Settings) override;
};

}  // namespace kromel
