// Smoothing of a T3DLut: the 3x3x3 kernel, the smoothing dialog's methods,
// the weight-plane operations that decide where smoothing may act, the
// dialog's method list and its protected smoothing run. Kept free of any
// window so the dialog only gathers its settings and shows the result.
//
// Operations marked "cubic" walk Size^3 nodes and do nothing on a LUT that
// is empty or non-cubic; the others walk the level counts. A Plane argument
// must be Lut's R, G, B or A (anything else: nothing). A NaN amount changes
// nothing.
#pragma once
#include <cstdint>

#include "lut/lut.h"

namespace kromel {

// One pass of the 3x3x3 kernel: face neighbours weigh 1, edge neighbours
// 2, corners 0, the centre (1 - Amount) * 10 (at least -10); neighbours
// outside the grid are extrapolated.
void SmoothChannel(T3DLut& Lut, float* Plane, float Amount);
// The mask editor's kernel on the same walk: all 26 neighbours weigh 1,
// applied only where their sum is below 16; divisor 30 + centre.
void SmoothMaskChannel(T3DLut& Lut, float* Plane, float Amount);
// SmoothChannel on R, then G, then B.
void Smooth(T3DLut& Lut, float Amount);
// Cubic: moves each node towards Other by a + (b - a) * 2h (h < 0.5) or
// b + (c - b) * 2(h - 0.5), h its distance over the largest distance.
// Other without R: nothing; another Size: "Error in
// T3DLut.ScaleDifferences", nothing changes.
void ScaleDifferences(T3DLut& Lut, const T3DLut& Other, float a, float b, float c);
// The smoothing dialog's methods ("Only tensions" ... "Hue/Lum HSL").
// Tensions, Noise, Midtones and Luminance are cubic; Noise and Midtones
// leave their inverted weight in A.
void SmoothTensions(T3DLut& Lut, float Amount);
void SmoothNoise(T3DLut& Lut, float Amount);
void SmoothMidtones(T3DLut& Lut, float Amount);
void SmoothLuminance(T3DLut& Lut, float Amount);
// Amount capped at 0.3; the result is clamped to 0..1.
void SmoothNeutralToSaturated(T3DLut& Lut, float Amount);
// Along the SXY lightness axis, averaged in SXY (HSL-Lab) values; Amount
// capped at 1.
void SmoothHueLumSXY(T3DLut& Lut, float Amount);
void SmoothHueLumHSL(T3DLut& Lut, float Amount);
// Smooth(1) blended back through A: A * smoothed + (1 - A) * unsmoothed.
void SmoothMasked(T3DLut& Lut);
// Weight-plane operations, all cubic.
// A = sum of |second differences| of R, G, B along the three axes
// (interior nodes; border nodes 0).
void CurvatureToAlpha(T3DLut& Lut);
// Divides the plane by its largest value when that exceeds 1e-10.
void NormalizePlane(T3DLut& Lut, float* Plane);
// A = clamp((A - Lo) / (Hi - Lo), 0, 1); with Hi = Lo a step at Lo.
void RampAlpha(T3DLut& Lut, float Lo, float Hi);
// A = 0 below a, rising to 1 at b, 1 up to c, falling to 0 at d.
void TrapezoidAlpha(T3DLut& Lut, float a, float b, float c, float d);
// Interior nodes: A = (max (min) of the 3x3x3 neighbourhood + A) / 2.
void MaximumA(T3DLut& Lut);
void MinimumA(T3DLut& Lut);
// A = 0.3 R + 0.5 G + 0.2 B.
void LumaToAlpha(T3DLut& Lut);
void InvertAlpha(T3DLut& Lut);
// Scales R, G, B (each capped at 1) so that the luma becomes Source's A;
// nodes of luma <= 0 are kept. Another Size is reported, nothing changes.
void SetLumaFromAlpha(T3DLut& Lut, const T3DLut& Source);
void SetAlphaOne(T3DLut& Lut);
// A = 2.25 |U| + 1.6 |V| of the node's output.
void SetAlphaProtectNeutrals(T3DLut& Lut);
// A scaled by 0.5 - 0.5 cos(2 pi y) where y = (3R + 5G + B) / 9 < 0.5.
void SetAlphaProtectBlacks(T3DLut& Lut);
void AddAlpha(T3DLut& Lut, float Value);
void ScaleAlpha(T3DLut& Lut, float Factor);
void ClampAlpha(T3DLut& Lut);
// R, G, B = A.
void AlphaToRGB(T3DLut& Lut);

constexpr int32_t SmoothingMethodCount = 8;

// The "Method" list, item index = method index.
extern const char* const SmoothingMethodCaptions[SmoothingMethodCount];

// The amount the dialog passes to method Method for Iterations runs:
// (n - 1) / 10 for methods 0..4, 0.3 for 5, max(0.3, (n - 1) / 10) for 6
// and 7; 0 for an index outside 0..7.
float SmoothingMethodAmount(int32_t Method, int32_t Iterations);

// Runs one pass of method Method on Lut; false (nothing done) for an index
// outside 0..7.
bool ApplySmoothingMethod(T3DLut& Lut, int32_t Method, float Amount);

// The dialog's run on a working copy Work of Original: weights from a
// pre-smoothed copy (neutral and black protection, else 1), Work's colours
// back to Original's, then Iterations passes of the method, each blended
// back into Original through the weights while a protection is on. False,
// Work untouched, for a bad method or an empty or non-cubic Original.
bool RunProtectedSmoothing(T3DLut& Work, const T3DLut& Original, int32_t Method, int32_t Iterations,
                           bool ProtectNeutrals, bool ProtectBlacks);

}  // namespace kromel
