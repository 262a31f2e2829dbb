// Whole-LUT conversions of every node between RGB and the SXY, polar SXY
// and HSL-Lab forms, each scaled to about -1..1 so that a LUT in those
// forms can be smoothed like an ordinary one. Source and destination must
// have the same level counts ("Error in <routine>: Sizes differ" otherwise,
// destination unchanged); the weight planes are not touched.
#pragma once

#include "lut/lut.h"

namespace kromel {

void ConvertLUT_RGBtoSXY(const T3DLut& Source, T3DLut& Destination);
void ConvertLUT_SXYtoRGB(const T3DLut& Source, T3DLut& Destination);
void ConvertLUT_RGBtoSXYPolar(const T3DLut& Source, T3DLut& Destination);
void ConvertLUT_SXYPolartoRGB(const T3DLut& Source, T3DLut& Destination);
void ConvertLUT_RGBtoHSLLab(const T3DLut& Source, T3DLut& Destination);
void ConvertLUT_HSLLabtoRGB(const T3DLut& Source, T3DLut& Destination);

}  // namespace kromel
