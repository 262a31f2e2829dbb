// Gradient analyzer: the colours of a strip running from dark to light,
// described per lightness level (0..255) by the lower and upper envelopes
// of hue and of the second colour component, and drawn as two bands.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "colour/colour_types.h"
#include "colour/hsv_hsl.h"
#include "images/image128.h"
#include "images/image32.h"

namespace kromel {

// One entry per lightness level: (C1, C2, C3, 0), C3 = level/255 where the
// gradient reaches, all 0 elsewhere.
using THSL256Gradient = std::array<THSLPixel128, 256>;

class TGradientAnalyzer {
public:
  // Forward and inverse conversions; RGBtoHSL / HSLtoRGB by default.
  TRGBToVariableHSLSingleProc ToModel;
  TVariableHSLToRGBSingleProc FromModel;
  float HueMin = 0, HueMax = 0;  // hue may leave 0..1 after unwrapping
  float SatMin = 0, SatMax = 0;
  int32_t LumLow = 0, LumHigh = 0;
  THSL256Gradient LowerTable{};
  THSL256Gradient UpperTable{};

  TGradientAnalyzer();
  // Every pixel of Image (B, G, R; alpha ignored). Fewer than two pixels
  // give empty ranges and tables.
  void CalculateGradientBounds(const TImage128& Image);
  // Mean of both envelopes at lightness X (0..1); the hue in 0..1.
  void GetColorAt(float& C1, float& C2, float& C3, float X) const;
  // Adds a whole turn to the ranges and every table hue.
  void ShiftHue(float Delta);
  // 256 stereo frames: hue left, second component right.
  bool SaveCurvesToWav(const std::string& FileName) const;
};

// Hue band in the upper half, second-component band in the lower half
// (drawn upwards from the bottom), black line between. A hue range
// narrower than 0.05 is widened about its centre and written back.
void DrawGradientAnalyzer(const TGradientAnalyzer& Analyzer, TImage32& Image,
                          float& HueMin, float& HueMax, float& SatMin, float& SatMax);

// Two gradients drawn on one scale.
class TDoubleGradientAnalyzer {
public:
  TGradientAnalyzer Analyzer1;
  TGradientAnalyzer Analyzer2;
  float HueMin = 0, HueMax = 0, SatMin = 0, SatMax = 0;

  // Moves Analyzer2 by whole turns so the hue centres lie within half a
  // turn, then keeps the union of both ranges. An empty analyzer takes the
  // other's ranges first.
  void UnifyRanges();
  // Row of Hue in the upper half of Size rows, or -1.
  int32_t HueToPosition(int32_t Size, float Hue) const;
  // Row of a second-component value in the lower half, or -1.
  int32_t LumToPosition(int32_t Size, float Value) const;
  void SetColorModel(TRGBToVariableHSLSingleProc ToModel, TVariableHSLToRGBSingleProc FromModel);
};

}  // namespace kromel
