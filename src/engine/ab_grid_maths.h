// Lightness maths of the A/B grid and the fit of its dots to a LUT.
//
// Lightness is on the working model's 0..100 scale; grid coordinates are
// tenths of its chroma units (X = 10 a, Y = 10 b).
#pragma once
#include <cstdint>

#include "lut/lut.h"
#include "params/dot_grid.h"

namespace kromel {

// The captions of the lightness modes, item index = value.
constexpr const char* LumaModeItems = "Gamma;Multiply;Add;Compress";

// The weight of the highlights at lightness L: 0 at L <= 0, 1 at 100, with
// t = (L/100)^E, E = 4^(2 HSThreshold - 1).
float ABHighlightExponent(float HSThreshold);
float ABHighlightWeight(float L, float Exponent);

// The new lightness of L under lightness factor D by mode 0 Gamma,
// 1 Multiply, 2 Add, 3 Compress (any other mode keeps L).
float LumaModeLightness(int32_t Mode, float L, float D);

// The factor D for which mode 0 maps SrcL to DestL (0 when the curve gives
// no slope there).
float LumaModeCalcBrightness(float SrcL, float DestL);

// The exponent g with SrcL^g = DestL (0..1 each); 1 outside the open range.
float CalcGammaToChange(float SrcL, float DestL);

// Sets the dots of Grid1 (and, with GridCount 2, of Grid2, the shadows) so
// that the grids imitate LUT. Each dot's X, Y and Z become the LUT's output
// at its default position, averaged over a lightness band with the LUT's
// weight plane, and the dot is pinned. A dot whose levels all weigh 0 goes
// back to its default and is left unpinned.
void FitABGridToLUT(const T3DLut& LUT, T2DEnvelopeDots& Grid1, T2DEnvelopeDots* Grid2,
                    int32_t GridCount, float Threshold, float HueTwist);

}  // namespace kromel
