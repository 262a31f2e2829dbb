// The methods of T3DLut.BlendByMask (lut.h), in the order of the mask
// page's "Mask Method" list.
#pragma once
#include <cstdint>

namespace kromel {

constexpr int32_t MaskMethodFade = 0;   // wet and dry mixed by the mask value
constexpr int32_t MaskMethodLimit = 1;  // the change cut to an RMS length of mask^2
constexpr int32_t MaskMethodFit = 2;    // the change softly thresholded by (1 - mask)^2

}  // namespace kromel
