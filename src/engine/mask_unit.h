// TMaskAdjustments: turns the mask source LUT into a grey mask (how strongly
// an adjustment applies to each colour) by one of 23 measures, shaped by up
// to three curves and optionally inverted. It also keeps the HSL mask LUT
// of the "3D HSL" measure and the ranges picked on the image.
#pragma once
#include <cstdint>
#include <memory>

#include "engine/processing_unit.h"
#include "params/composite_parameters.h"

namespace kromel {

// The measures of "MaskType", in the order of the mask page's list.
enum TMaskType : int32_t {
  mtRed = 0,
  mtGreen = 1,
  mtBlue = 2,
  mtCyan = 3,
  mtMagenta = 4,
  mtYellow = 5,
  mtBlack = 6,
  mtWhite = 7,
  mtLuminance = 8,
  mtHue = 9,
  mtSaturation = 10,
  mtWarmth = 11,
  mtLabABDistance = 12,
  mtLabDistance = 13,
  mtHSPeABDistance = 14,
  mtHSPSat = 15,
  mtHSPPhase = 16,
  mtRGBDistance = 17,
  mtDifference = 18,
  mtColorDifference = 19,
  mtHSP = 20,
  mtLCH = 21,
  mt3DHSL = 22,
};

// True for the measures taken from the difference of two stages.
constexpr bool IsDifferenceMask(int32_t MaskType) {
  return MaskType == mtDifference || MaskType == mtColorDifference;
}

// AddPickedColor flags.
constexpr int32_t PickAdd = 1;
constexpr int32_t PickRemove = 2;

class TMaskAdjustments : public TLUTProcessingUnit {
 public:
  explicit TMaskAdjustments(TParameterList* List);

  TControlledParameterInteger* Enabled;
  TControlledParameterCurve* Curve1;
  TControlledParameterCurve* Curve2;
  TControlledParameterCurve* Curve3;
  TControlledParameterInteger* Curve1Enable;
  TControlledParameterInteger* Curve2Enable;
  TControlledParameterInteger* Curve3Enable;
  TControlledParameterInteger* MaskType;
  TControlledParameterInteger* MaskMethod;  // Fade, Limit, Fit (lut/lut_mask.h)
  TControlledParameterInteger* Preview;
  TControlledParameterInteger* Invert;
  TControlledParameterInteger* ReferenceColor;  // red in bits 0..7

  // The HSL mask of "3D HSL": 144 hues x 10 saturations x 16 lightnesses.
  std::unique_ptr<T3DLut> MaskLUT;
  // Set with the parameters' isolate flags: a preset load keeps MaskLUT.
  bool MaskLUTIsolate = false;

  // The picked ranges (the hue range wraps when HueMin > HueMax).
  float HueMin = 0, HueMax = 0, SatMin = 0, SatMax = 0, LumMin = 0, LumMax = 0;

  // Mask from MaskSource through the measure cached in MaskKey (measured
  // again only while MaskKey is not valid). Src and Dst are read by the
  // difference measures only, which wait (key left invalid, Mask untouched)
  // until both are given. Mask is marked valid when built.
  void ProcessMask(T3DLut*& MaskSource, T3DLut*& MaskKey, T3DLut*& Mask, T3DLut* Src,
                   T3DLut* Dst, const TColorModelPreferences& Settings) override;

  // Changes the picked ranges by a colour (H, S, L in 0..1) and rebuilds the
  // three curves as bands over them.
  void AddPickedColor(int32_t Flags, float H, float S, float L);
  // The isolate flags of the mask's own parameters and of MaskLUT.
  void SetMaskIsolate(bool Value);

  // ReferenceColor as R, G, B in 0..1.
  void ReferenceRGB(float& R, float& G, float& B) const;

 private:
  // MaskKey = the measure of MaskSource.
  void Measure(T3DLut& Key, const T3DLut& Source, const T3DLut* Src, const T3DLut* Dst) const;
};

}  // namespace kromel
