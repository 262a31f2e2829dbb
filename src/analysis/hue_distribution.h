// Hue distributions read back from a plotted colour plane, and hue scales.
//
// Cell geometry of a W x H plane: dx = x - W/2, dy = y - H/2, radius
// r = |(dx, dy)|, radius in percent rr = r/(W/2) 100, angle
// atan2(dx, -dy) (0 straight up, clockwise). A hue histogram of Count N
// has bin k around the angle k 2 pi/N; every buffer of a call shares N.
#pragma once
#include "images/image32.h"
#include "images/image64.h"
#include "images/image96.h"
#include "images/sample.h"

namespace kromel {

// Weighted hue histogram (outer cells weigh more) and mean saturation per
// hue. Cells nearer the centre than a tenth of the mean radius (at least
// 2) are left out.
void CalcHueHistogramFromPlot(const TImage64& Plane, TSample32& HueHistogram,
                              TSample32& SaturationByHue);
// The same plus the mean lightness per hue (from the cells' extra values);
// empty saturation bins are then interpolated around the circle.
void CalcHueDistributionForMatching(const TImage96& Plane, TSample32& HueHistogram,
                                    TSample32& SaturationByHue, TSample32& LightnessByHue);
// Runs of bins with weight 0 become straight lines between the values of
// their weighted neighbours, around the circle. Fewer than two weighted
// bins leave the values as they are.
void InterpolateCircularGaps(TSample32& Values, const TSample32& Weights);
// One colour per row of Scale, rows spaced by the hues' frequency; each
// row in the model colour (L, sin(2 pi h) 2s, cos(2 pi h) 2s) measured for
// its hue.
void DrawHuesScale(TImage32& Scale, const TSample32& HueHistogram,
                   const TSample32& SaturationByHue, const TSample32& LightnessByHue);
// The same at lightness 40.
void DrawHuesScaleFixedLightness(TImage32& Scale, const TSample32& HueHistogram,
                                 const TSample32& SaturationByHue);

}  // namespace kromel
