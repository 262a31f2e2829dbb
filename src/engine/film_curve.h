// TFilmCurveAdjustments: a fixed tone curve per channel in linear RGB that
// finishes RAW or log developing, with the exposure offset the Basic unit
// applies in front of it.
#pragma once
#include "engine/processing_unit.h"

namespace kromel {

// The captions of "FilmCurve", item index = value.
constexpr const char* FilmCurveItems = "Off;ACR2012;Exp+1;Exp+2";

// 2x below 0.25, a cubic above (meeting at 0.5); 1.0000 at 1.
float FilmCurveFunctionA(float X);
// 4x below 0.125, an exponential roll-off above; 1.0013 at 1.
float FilmCurveFunctionB(float X);

class TFilmCurveAdjustments : public TLUTProcessingUnit {
 public:
  explicit TFilmCurveAdjustments(TParameterList* List);

  // 0 Off, 1 the ACR table, 2 formula A, any other formula B.
  TControlledParameterInteger* FilmCurve;

  // Stops handed to the Basic unit: -1 for 1 and 2, -2 for 3, else 0.
  float GetExposureOffset() const;
  // Off: Dst = Src. Otherwise Src in linear RGB, every channel through the
  // curve; Dst stays in linear RGB.
  void Process(T3DLut* Src, T3DLut* Dst, const TColorModelPreferences& Settings) override;
};

}  // namespace kromel
