// The preview modes of a calculation: which intermediate result the preset
// calculator returns and which preview the units draw into it.
#pragma once
#include <cstdint>

namespace kromel {

enum TShowMaskType : uint8_t {
  smNone = 0,
  smVolumeShadowsHighlights = 1,
  smTransform = 2,
  smTransformAL = 3,
  smTransformBL = 4,
  smTransformImage = 5,
  smTransformALImage = 6,
  smTransformBLImage = 7,
  smCurves2DRB = 8,
  smCurves2DRBImage = 9,
  smCurves2DRG = 10,
  smCurves2DRGImage = 11,
  smCurves2DGB = 12,
  smCurves2DGBImage = 13,
  smShadowsHighlights = 14,
  smCurvesSatLuma = 15,
};

}  // namespace kromel
