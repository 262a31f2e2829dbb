// The colour picker's discs drawn into an 8-bit image, in true hues: red in
// the red byte of each BGRA pixel.
#pragma once
#include <cstdint>

#include "images/image32.h"

namespace kromel {

// White at the centre, full colours at half the radius, black from 1.03 x
// the radius out; hue 0 straight below the centre, 90 to its left.
void DrawHueDisc(TImage32& Image);
// Hue by angle and saturation by radius at one lightness (0..255).
void DrawHueSaturationDisc(TImage32& Image, int32_t Lightness);

}  // namespace kromel
