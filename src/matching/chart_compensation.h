// Compensation of uneven lighting over framed charts (local black and white
// levels from the chart's border patches), linearisation curves from the
// neutral pairs and hue-indexed curves from the coloured pairs.
#pragma once
#include <cstdint>
#include <memory>

#include "images/image128.h"
#include "lut/lut.h"
#include "matching/colour_chart.h"
#include "matching/colour_pairs.h"
#include "params/envelope_dots.h"

namespace kromel {

// Samples: one sampled colour per patch in table order, normalised in place
// when the compensation succeeds. The deviations look at red only; the
// indices are -1 when none.
void CompensateDeviations(TColorChartTable& Table, TImage128& Samples, float& MaxBlackDeviation,
                          float& MaxWhiteDeviation, int32_t& MaxBlackIndex,
                          int32_t& MaxWhiteIndex);

// Curves mapping each Source channel onto Target from the neutral pairs.
// NeutralMask is only changed by the monotonic fallback (every entry True);
// that fallback also reorders the pairs. Source's alpha is overwritten.
void ColorCheckerMakeLinearizeCurves(TImage128& Source, TImage128& Target,
                                     TBooleanArray& NeutralMask, TEnvelopeDots& CurveR,
                                     TEnvelopeDots& CurveG, TEnvelopeDots& CurveB, bool Smooth,
                                     bool AllowMonotonic);
// A LUT of LUTSize levels passing each channel through its curve.
std::unique_ptr<T3DLut> ColorCheckerMakeLinearizeLUT(TImage128& Source, TImage128& Target,
                                                     TBooleanArray NeutralMask, int32_t LUTSize,
                                                     bool Smooth);

// Hue, chroma and lightness curves indexed by the source hue of the
// coloured pairs, in the current colour model. ShowCurve is for the curve
// viewer of the window side; nothing is shown here.
void ColorPairsFitChannelCurves(const TImage128& Source, const TImage128& Target,
                                const TBooleanArray& Excluded, TEnvelopeDots& HueCurve,
                                TEnvelopeDots& ChromaCurve, TEnvelopeDots& LightnessCurve,
                                bool ShowCurve);

// The deviations-map message is shown once per run; tests start afresh.
void ResetCompensationMessage();

}  // namespace kromel
