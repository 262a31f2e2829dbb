// Measures of a T3DLut through colour models: average differences to
// another LUT, the local variability of hue, saturation and lightness, and
// painting nodes of a LUT whose axes are hue, saturation and lightness.
#pragma once
#include <cstdint>

#include "lut/lut.h"

namespace kromel {

// Mean Delta E 94 between Other and Lut at Lut's node colours,
// each weighted by Other's A (divided by the node count); 0 for an empty
// or non-cubic LUT. An empty Other is reported and gives 0.
float AverageDeltaE94(const T3DLut& Lut, const T3DLut& Other);
// Mean |R - Other's R| + |G - ..| + |B - ..| over Lut's nodes.
float AverageRGBDifference(const T3DLut& Lut, const T3DLut& Other);
// Rates of change of the output hue, saturation and lightness around a
// colour (1 each for an identity LUT).
void GetHSLVariability(const T3DLut& Lut, float Red, float Green, float Blue, float& dH, float& dS,
                       float& dL);
// On a LUT whose axes are hue (red), saturation, lightness: paints the
// box of levels around the colour's HSL (hue wrapping, the whole ring at
// saturation 0), or the one nearest node; then OnChange. A untouched.
void PaintHSLBox(T3DLut& Lut, float Red, float Green, float Blue, float PaintR, float PaintG,
                 float PaintB, int32_t HalfH, int32_t HalfS, int32_t HalfL);
void SetHSLNode(T3DLut& Lut, float Red, float Green, float Blue, float PaintR, float PaintG,
                float PaintB);

}  // namespace kromel
