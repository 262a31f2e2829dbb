// Lookups of a T3DLut and the plane sampling helpers behind them. Planes
// of the helpers are cubic grids of N levels, node (b, g, r) at
// r + N * (g + N * b).
#pragma once
#include <cstdint>

#include "lut/lut.h"

namespace kromel {

// One-dimensional Catmull-Rom through p1 (t = 0) and p2 (t = 1).
float CatmullRomInterpolate(float t, float p0, float p1, float p2, float p3);
// Node value with each index clamped to 0..N-1.
float GetLutNodeClamped(const float* Plane, int32_t N, int32_t b, int32_t g, int32_t r);
// Catmull-Rom along red, then green, then blue around node (b, g, r).
float CubicSampleLut(int32_t b, int32_t g, int32_t r, const float* Plane, int32_t N, float fr);
float BicubicSampleLut(int32_t b, int32_t g, int32_t r, const float* Plane, int32_t N, float fg,
                       float fr);
float TricubicSampleLut(int32_t ib, int32_t ig, int32_t ir, const float* Plane, int32_t N, float fb,
                        float fg, float fr);

// The LUT's output for a colour (tetrahedral, by level counts). Inputs are
// clamped to 0..1 in place first; a NaN component is reported and read
// as 0. No planes: the colour stays as it is.
void ProcessColorTetrahedralSingle(const T3DLut& Lut, float& R, float& G, float& B);
// The same lookup without a report: a NaN component reads as 0 and the
// result is true when there was one.
bool ProcessColorTetrahedralQuiet(const T3DLut& Lut, float& R, float& G, float& B);
// One plane at (x blue, y green, z red) in level units of a cubic LUT,
// clamped to 0..1; 0 for a null plane, a LUT without levels or NaN.
float TetrahedralInterpolation(const T3DLut& Lut, const float* Plane, float x, float y, float z);
float GetValueTrilinear(const T3DLut& Lut, const float* Plane, float x, float y, float z);
// GetValueTrilinear of A at a colour 0..1.
float GetAlphaTrilinear(const T3DLut& Lut, float R, float G, float B);
// Tricubic (Catmull-Rom) lookup of a cubic LUT, inputs clamped in place.
void ProcessColorCubicSingle(const T3DLut& Lut, float& R, float& G, float& B);
// Node with each index clamped into the cubic grid.
float GetValueClamped(const T3DLut& Lut, const float* Plane, int32_t b, int32_t g, int32_t r);
// Node read with hue wrap (non-cubic) and one-step linear extrapolation.
float GetValExtrapolated(const T3DLut& Lut, const float* Plane, int32_t XB, int32_t YG, int32_t ZR);
// Stores Value at a node of a cubic LUT; indices outside are ignored.
void SetPlaneValue(T3DLut& Lut, float* Plane, int32_t b, int32_t g, int32_t r, float Value);

}  // namespace kromel
