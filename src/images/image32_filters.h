// Free routines beside the TImage32 filters: saturation of one image into
// another and the colour helpers on single pixels. A BGRA pixel value holds
// blue in its lowest byte; "the low three bytes" are the colour bytes.
#pragma once
#include <cstdint>

#include "images/image32.h"

namespace kromel {

// Dest colours = Src's with saturation Amount / 255 (0..255) towards the
// plain-mean grey; Dest's alpha is not written. Unequal sizes are reported.
void Image32SaturationEqual(const TImage32& Src, TImage32& Dest, int32_t Amount);

// Hue rotated by Angle degrees; the lowest byte is read as red. Top byte
// kept; Angle 0 returns P as it is.
uint32_t RotateHue32(uint32_t P, int32_t Angle);
// Saturation raised as far as the channels allow; top byte kept.
uint32_t BoostSaturation32(uint32_t P);
// Each of the low three bytes reflected about their mean; top byte kept.
uint32_t InvertAroundGray32(uint32_t P);

// The amount above 1 spread over all three, then each held within 0..1.
void SpreadOverflowRGB(float& R, float& G, float& B);
// Scaled about their mean to fit into 0..1; a grey is clamped instead.
void CompressRGBToRange(float& R, float& G, float& B);
// Each = (v - mean) x Factor + mean.
void SaturationEqualRGB(float& R, float& G, float& B, float Factor);

// Per colour byte (W x a + (256 - W) x b) / 256, W held within 0..256;
// alpha 0.
uint32_t BlendPixel24(uint32_t A, uint32_t B, int32_t W);
// Per byte of all four (WA x a + WB x b) / 256, held within 0..255.
uint32_t BlendPixels32(uint32_t A, uint32_t B, int32_t WA, int32_t WB);

}  // namespace kromel
