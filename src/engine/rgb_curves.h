// TRGBCurvesAdjustments: a master curve and one curve per channel on every
// node in gamma RGB, with nine master modes, a depth for the channel
// curves, a hue rotation and gamut extension around them, and two
// lift/gamma/gain wheel modes.
#pragma once
#include "engine/processing_unit.h"
#include "params/composite_parameters.h"

namespace kromel {

enum TRGBCurveMode : int32_t {
  rcmNormal = 0,
  rcmUniform = 1,
  rcmColor = 2,
  rcmCMYK = 3,
  rcmCMYK2 = 4,
  rcmRGBW = 5,
  rcmRGBW2 = 6,
  rcm3Way = 7,
  rcmSMH = 8,
};

// The captions of "CurveMode", item index = value.
constexpr const char* RGBCurveModeItems = "Normal;Uniform;Color;CMYK;CMYK2;RGBW;RGBW2;3-Way;S/M/H";

// A curve applied to v: its value at v * 16384, divided by 32768.
float ApplyCurveValue(const TEnvelopeDots& Curve, float V);

class TRGBCurvesAdjustments : public TLUTProcessingUnit {
 public:
  explicit TRGBCurvesAdjustments(TParameterList* List);

  TControlledParameterCurve* Master;
  TControlledParameterCurve* Red;
  TControlledParameterCurve* Green;
  TControlledParameterCurve* Blue;
  TControlledParameterInteger* CurveMode;
  TControlledParameterInteger* MasterBefore;  // 0: master curve first
  TControlledParameterInteger* MasterEnabled;
  TControlledParameterInteger* RGBEnabled;
  TControlledParameterSingle* RGBDepth;           // 2 * depth: blend weight
  TControlledParameterSingle* HueRotation;        // 360 * value - 180 degrees
  TControlledParameterSingle* RGBGamutExtension;  // factor 8^(2 value - 1)
  TControlledParameterColorWheel* Offset;
  TControlledParameterColorWheel* Gamma;
  TControlledParameterColorWheel* Gain;
  TControlledParameterIntegerArray* Ranges;  // thousandths

  // Dst = Src in gamma RGB through the switched-on curves or wheels.
  void Process(T3DLut* Src, T3DLut* Dst, const TColorModelPreferences& Settings) override;
};

}  // namespace kromel
