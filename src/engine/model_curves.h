// TModelCurvesAdjustments: four curves in the working colour model on
// lightness L (0..100) and chroma C = |(a, b)| (read on 0..130).
#pragma once
#include <cstdint>

#include "engine/processing_unit.h"
#include "params/composite_parameters.h"

namespace kromel {

class TModelCurvesAdjustments : public TLUTProcessingUnit {
 public:
  explicit TModelCurvesAdjustments(TParameterList* List);

  TControlledParameterCurve* Luminance;   // lightness curve
  TControlledParameterCurve* SatLuma;     // chroma factor by lightness
  TControlledParameterCurve* LumaSat;     // lightness change by chroma
  TControlledParameterCurve* Saturation;  // chroma curve
  TControlledParameterInteger* Enabled;
  TControlledParameterInteger* LuminanceCurveEnabled;
  TControlledParameterInteger* LumaSatCurveEnabled;
  TControlledParameterInteger* SatLumaCurveEnabled;
  TControlledParameterInteger* SaturationCurveEnabled;

  // Run-time fields set before each calculation, never stored.
  bool LightnessPreview = false;
  int32_t PreviewLightness = 0;  // 0..100

  // The lightness curve on 0..1 (X and result).
  float GetLuminanceCurveValue(float X) const;
  // Enabled off: Dst = Src. Otherwise Src in the working model, the
  // switched-on curves applied; Dst stays in the working model.
  void Process(T3DLut* Src, T3DLut* Dst, const TColorModelPreferences& Settings) override;
};

}  // namespace kromel
