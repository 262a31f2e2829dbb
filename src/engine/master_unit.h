// TMasterAdjustments: the last stage. The processed LUT (wet) is combined
// with the unprocessed colours (dry) by an RGB blend mode, then by separate
// lightness, hue and saturation amounts in a chosen model, then by an
// overall amount; optionally smoothed.
#pragma once
#include <cstdint>

#include "colour/colour_types.h"
#include "engine/processing_unit.h"

namespace kromel {

enum TMasterBlendMode : int32_t {
  mbmNormal = 0,
  mbmLighten = 1,
  mbmDarken = 2,
  mbmLessSat = 3,
  mbmMoreSat = 4,
  mbmMultiply = 5,
  mbmScreen = 6,
  mbmOverlay = 7,
  mbmSoftLight = 8,
  mbmLinearLight = 9,
  mbmLLDifference = 10,
};

// The captions of the blend modes and of the models, item index = value.
constexpr const char* MasterBlendModeItems =
    "Normal;Lighten;Darken;Less Sat;More Sat;Multiply;Screen;Overlay;Soft Light;Linear "
    "Light;LL Difference";
constexpr const char* MasterColorModelItems = "LAB;SXY;HSP;YUV";

// The wet value W after blend mode Mode with the dry value D (unknown modes
// keep W). Soft Light reads a negative D as 0.
float MasterBlendValue(int32_t Mode, float W, float D);

// The model pair of "ColorModel": 1 SXY, 2 HSP3, 3 YUV, anything else LAB.
void MasterModelPair(int32_t Model, TRGBToVariableSingleProc& Forward,
                     TVariableToRGBSingleProc& Inverse);

// An amount p (0..1) as the factor 4p - 2: 0.75 all wet, 0.5 all dry.
inline float MasterFactor(float P) { return 4 * P - 2; }

class TMasterAdjustments : public TLUTProcessingUnit {
 public:
  explicit TMasterAdjustments(TParameterList* List);

  TControlledParameterInteger* MasterSwitch;
  TControlledParameterInteger* BlendingMode;
  TControlledParameterInteger* ColorModel;
  TControlledParameterSingle* Blend;
  TControlledParameterSingle* Luminance;
  TControlledParameterSingle* Hue;
  TControlledParameterSingle* Saturation;
  TControlledParameterInteger* Smooth;

  // Dst = Wet combined with Dry (null: each node's identity colour). All in
  // gamma RGB; Wet and Dst (and Dry when given) must share one size.
  void ProcessCombine(T3DLut* Wet, T3DLut* Dry, T3DLut* Dst,
                      const TColorModelPreferences& Settings) override;
};

}  // namespace kromel
