// Plane sampling helpers behind the T3DLut lookups (the lookups themselves
// are T3DLut methods, lut.h). Planes are cubic grids of N levels, node
// (b, g, r) at r + N * (g + N * b).
#pragma once
#include <cstdint>

namespace kromel {

// One-dimensional Catmull-Rom through p1 (t = 0) and p2 (t = 1).
float CatmullRomInterpolate(float t, float p0, float p1, float p2, float p3);
// Node value with each index clamped to 0..N-1.
float GetLutNodeClamped(const float* Plane, int32_t N, int32_t b, int32_t g, int32_t r);
// Catmull-Rom along red, then green, then blue around node (b, g, r).
float CubicSampleLut(int32_t b, int32_t g, int32_t r, const float* Plane, int32_t N, float fr);
float BicubicSampleLut(int32_t b, int32_t g, int32_t r, const float* Plane, int32_t N, float fg,
                       float fr);
float TricubicSampleLut(int32_t ib, int32_t ig, int32_t ir, const float* Plane, int32_t N,
                        float fb, float fg, float fr);

}  // namespace kromel
