// The variable-radius blur of a 16-bit image: flat areas are smoothed
// strongly, detailed ones left alone, and the image's own fine detail is
// laid back over the blurred base. The images are changed in place.
#pragma once
#include <cstdint>

#include "images/image64.h"

namespace kromel {

// Mode 0: the blurred image; 1: the detail mask; 2: the blur radii (x100).
void ProcessVariableBlur(TImage64& Image, int32_t RampAmount, int32_t Threshold,
                         int32_t MaxRadius, int32_t Mode);
// Image becomes its Gaussian blur of Radius, Detail (re-allocated) the rest
// around mid-grey: (Image - blur) / 2 + 32768.
void SplitDetailLayer(TImage64& Image, TImage64& Detail, int32_t Radius);
// Alpha and green of each pixel = 100 x its distance to the nearest pixel
// whose red exceeds 20000, at most MaxRadius and the distance to the border.
// The search starts near the previous pixel's radius (a closer marked pixel
// is then not seen) and stops one ring factor 1.41 beyond the first hit.
void FindBlackRadius(TImage64& Mask, int32_t MaxRadius);
// Each pixel's R, G, B = the mean of the disc of radius round(alpha x
// Factor) around it (limited by the borders) in a copy of the image.
void Image64VariableBlur(TImage64& Image, float Factor);

}  // namespace kromel
