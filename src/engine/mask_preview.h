// Pictures of the mask page: the colour scale strip drawn behind the mask
// curves, and the HSL mask LUT drawn as a stack of ellipses.
#pragma once
#include <cstdint>

#include "images/image32.h"
#include "lut/lut.h"
#include "platform/raw_bitmap.h"

namespace kromel {

// Paints scale ScaleType (a mask type, or 23 and 24 for the hue scales of
// the curve boxes) into Bitmap, dimmed into 64..191. RefColor is packed
// red-lowest. A bitmap one pixel wide (high) shows the scale's start.
void GenerateMaskScale(TRawBitmap& Bitmap, int32_t ScaleType, int32_t RefColor);

// Paints the first plane of an HSL mask LUT (hue, saturation, lightness
// levels) into Image's pixels, turned by Rotation (radians) and tilted by
// Tilt (0..2 of the image height in fortieths). Only the grey background is
// drawn when the LUT has no planes.
void Draw3DLUTHSLMask(TImage32& Image, const T3DLut& MaskLUT, float Rotation,
                     float Tilt);

}  // namespace kromel
