// A T3DLut as a mask: grey key sources, blending two LUTs through a mask,
// masking image alpha and the 3D mask editors.
#pragma once
#include <cstdint>

#include "lut/lut.h"

namespace kromel {

struct TImage32;
struct TImage64;

// The methods of BlendByMask, in the order of the mask page's "Mask
// Method" list.
constexpr int32_t MaskMethodFade = 0;   // wet and dry mixed by the mask value
constexpr int32_t MaskMethodLimit = 1;  // the change cut to an RMS length of mask^2
constexpr int32_t MaskMethodFit = 2;    // the change softly thresholded by (1 - mask)^2

// Mask sources are cubic (nothing on an empty or non-cubic LUT) and write
// one grey measure of each node's output colour to R, G and B.

// Channel 0 R, 1 G, 2 B; any other: nothing.
void ChannelToGray(T3DLut& Lut, int32_t Channel);
void BrightnessToGray(T3DLut& Lut);
void SaturationToGray(T3DLut& Lut);
void RedDominanceToGray(T3DLut& Lut);
void OrangeToGray(T3DLut& Lut);
void MinimumToGray(T3DLut& Lut);
// 0 C, 1 M, 2 Y, 3 K; any other: nothing.
void CMYKChannelToGray(T3DLut& Lut, int32_t Channel);
void HSPHueToGray(T3DLut& Lut);
// Distances from a reference colour (0..1 each).
void LabChromaDistanceToGray(T3DLut& Lut, float RefR, float RefG, float RefB);
void LabDistanceToGray(T3DLut& Lut, float RefR, float RefG, float RefB);
void RGBDistanceToGray(T3DLut& Lut, float RefR, float RefG, float RefB);
void HSPeDistanceToGray(T3DLut& Lut, float RefR, float RefG, float RefB);
void ChromaAxisToGray(T3DLut& Lut, float RefR, float RefG, float RefB);
void ChromaCrossAxisToGray(T3DLut& Lut, float RefR, float RefG, float RefB);
// Differences of two LUTs; null or empty: nothing; sizes differ from
// Lut's: "T3DLut.ExtractDifference error - lut sizes differ".
void ExtractDifference(T3DLut& Lut, const T3DLut* LutA, const T3DLut* LutB);
void ExtractDifferenceSXY(T3DLut& Lut, const T3DLut* LutA, const T3DLut* LutB);
// R, G, B = HSP2p hue, saturation, P / 100.
void ConvertToHSP2p(T3DLut& Lut);
// R, G, B = LCh hue (0..1), chroma / 128, L / 100.
void ConvertToHueChromaLightness(T3DLut& Lut);
// This LUT = Wet mixed with Dry's output (or the node's own colour when
// Dry is null) through Mask's red output; Method 0 Fade, 1 Limit, 2 Fit,
// any other: nothing. Wet may be Lut. Cubic. An empty Mask, Wet or
// Dry, or a Wet of another shape, is reported and nothing changes.
void BlendByMask(T3DLut& Lut, const T3DLut& Wet, const T3DLut& Mask, const T3DLut* Dry,
                 int32_t Method);
// Destination = Source with alpha scaled by the mask Lut's red output
// (1 - output for the inverted twins) at each qualifier pixel's colour;
// pixels whose qualifier alpha is 0 become 0. Destination must hold
// Source's number of pixels.
void ProcessMaskAlpha(const T3DLut& Lut, const TImage32& Qualifier, const TImage32& Source,
                      TImage32& Destination);
void ProcessMaskAlphaInverted(const T3DLut& Lut, const TImage32& Qualifier, const TImage32& Source,
                              TImage32& Destination);
void ProcessMaskAlpha64(const T3DLut& Lut, const TImage64& Qualifier, const TImage32& Source,
                        TImage32& Destination);
void ProcessMaskAlphaInverted64(const T3DLut& Lut, const TImage64& Qualifier,
                                const TImage32& Source, TImage32& Destination);
// 3D mask editing by level counts (red wraps on a NonCubic LUT; green
// index 0 is kept). R = (neighbourhood max + R) / 2, or the
// neighbourhood min; then OnChange.
void MaximumR(T3DLut& Lut);
void MinimumR(T3DLut& Lut);
// R, G, B = 1 over Count nodes, then OnChange.
void FillWhite(T3DLut& Lut);
// R, G, B = 1 - value; R, G, B = value * a + b (level counts).
void Invert(T3DLut& Lut);
void MultiplyAdd(T3DLut& Lut, float a, float b);

}  // namespace kromel
