#include "engine/film_curve.h"

#include <cmath>

#include "colour/acr3_tone_curve.h"
#include "engine/lut_procedures.h"
#include "foundation/error_sink.h"
#include "foundation/messages.h"
#include "lut/node_workers.h"

namespace kromel {

float FilmCurveFunctionA(float X) {
  if (X < 0.25f) return 2 * X;
  const long double x = X;
  return static_cast<float>(1.414394L * x * x * x - 3.937537L * x * x + 3.732196L * x - 0.2090528L);
}

float FilmCurveFunctionB(float X) {
  if (X < 0.125f) return 4 * X;
  return static_cast<float>(0.6351044330116864 *
                                std::exp(-0.0797983405282721 / (X - 0.0865506193682557)) +
                            0.4193559194615805);
}

TFilmCurveAdjustments::TFilmCurveAdjustments(TParameterList* List)
    : TLUTProcessingUnit(List, "FilmCurve"), FilmCurve(AddInteger("FilmCurve", 0, 0, 3)) {}

float TFilmCurveAdjustments::GetExposureOffset() const {
  switch (FilmCurve->Value) {
    case 1:
    case 2:
      return -1;
    case 3:
      return -2;
    default:
      return 0;
  }
}

void TFilmCurveAdjustments::Process(T3DLut* Src, T3DLut* Dst,
                                    const TColorModelPreferences& Settings) {
  if (Src == nullptr || Dst == nullptr) {
    DebugShowMessage("Error in TFilmCurveAdjustments.Process: LUT=nil");
    return;
  }
  const int32_t Kind = FilmCurve->Value;
  if (Kind == 0) {
    CopyLutIfOther(*Src, *Dst);
    return;
  }
  ProcessColorModelConversion(*Src, Dst, lcsLinearRGB, &Settings);
  if (Dst->ColorSpace != lcsLinearRGB) return;
  // The table reads inputs below 0 as 0 (EvaluateToneCurve).
  float (*Curve)(float) = Kind == 1   ? &EvaluateToneCurve
                          : Kind == 2 ? &FilmCurveFunctionA
                                      : &FilmCurveFunctionB;
  try {
    ParallelForNodes(Dst->Count, [&](int32_t Begin, int32_t End) {
      for (float* Plane : {Dst->R, Dst->G, Dst->B})
        for (int32_t k = Begin; k < End; ++k) Plane[k] = Curve(Plane[k]);
    });
  } catch (...) {
    ErrorMessageProc("Exception in ProcessLUTFilmCurve");
  }
}

}  // namespace kromel
