// Curves from an image's own statistics, histogram equalisation by curves,
// and curves applied to an 8-bit image. A pixel is used when its alpha is at
// least 129. Reports go to the message box.
#pragma once
#include <cstdint>

#include "images/image32.h"
#include "images/sample.h"
#include "params/envelope_dots.h"

namespace kromel {

// The extraction methods, in the order of the method combo box.
enum TCurveExtractMethod : int32_t {
  cemAverage = 0,
  cemMinMaxMid = 1,
  cemMinMaxMid2 = 2,
  cemMinMax = 3,
  cemMinMaxAvg = 4,
  cemRed = 5,
  cemGreen = 6,
  cemBlue = 7,
  cemEqualize = 8
};

// Replaces the three curves with the image's tone response per channel,
// over Bins (2..131) levels of a brightness key; Invert transposes them.
// Methods 0..4 and 8 filter the image in place (max then min filters) to
// find its robust black and white levels. Bins that received no pixels give
// no dot. False with a report on bad input.
bool ExtractCurvesFromImage(TImage32& Image, TEnvelopeDots* CurveR, TEnvelopeDots* CurveG,
                            TEnvelopeDots* CurveB, int32_t Method, bool Invert, int32_t Bins);

// Equalisation curve of one histogram (overwritten by its exclusive running
// sums). Min = Max = -1 finds the range from the histogram and deletes the
// dots outside it. The curve gets one dot per bin (at most 130); DotCount
// is not consulted.
void EqualizeHistogramByCurve(TSample32& Histogram, TEnvelopeDots& Curve, int32_t Min,
                              int32_t Max, int32_t DotCount, bool Inverse);
// The three channel histograms of the used pixels over Min..Max each (a
// range of width 0 counts as 1), then one equalisation curve each.
bool EqualizeHistogramByCurves(const TImage32& Image, TEnvelopeDots& CurveR, TEnvelopeDots& CurveG,
                               TEnvelopeDots& CurveB, int32_t MinR, int32_t MinG, int32_t MinB,
                               int32_t MaxR, int32_t MaxG, int32_t MaxB, int32_t Bins,
                               bool Inverse);

// Each channel through its curve, blended with the original by Amount.
void ApplyCurvesToImage32(TImage32& Image, const TEnvelopeDots& CurveR,
                          const TEnvelopeDots& CurveG, const TEnvelopeDots& CurveB, float Amount);

}  // namespace kromel
