// T3DLut lookups: tetrahedral (the lookup of the whole program), trilinear,
// tricubic, clamped and extrapolated node reads. Single precision, in the
// order of operations written here, so results match to the last bit.
#include "lut/lut_lookup.h"

#include <algorithm>
#include <cmath>

#include "foundation/error_sink.h"
#include "lut/lut.h"
#include "lut/lut_levels.h"
#include "lut/lut_tetrahedral.h"

namespace kromel {

namespace {

// Clamps to 0..1 in place (a NaN is left); true when the value is NaN.
inline bool ClampUnit(float& V) {
  if (V < 0) V = 0;
  if (V > 1) V = 1;
  return V != V;
}

// Cell index and fraction of v in 0..1 over nl levels (nl >= 2).
inline void CellOf(float V, int32_t NL, int32_t& I, float& F) {
  const float P = static_cast<float>(NL - 1) * V;
  I = static_cast<int32_t>(P);
  if (I > NL - 2) I = NL - 2;
  F = P - static_cast<float>(I);
}

// Floor of a position in level units, as trunc(float(v + 1024)) - 1024;
// the position is first kept within a few levels of a grid of N levels so
// the conversion stays in range. False for NaN.
inline bool FloorIndex(float& V, int32_t N, int32_t& I) {
  if (V != V) return false;
  V = std::clamp(V, -4.0f, static_cast<float>(N) + 4.0f);
  I = static_cast<int32_t>(static_cast<float>(V + 1024.0f)) - 1024;
  return true;
}

}  // namespace

// --- Free sampling helpers ---

float CatmullRomInterpolate(float t, float p0, float p1, float p2, float p3) {
  const float t2 = t * t;
  const float t3 = t2 * t;
  const float a0 = (-t3 + 2 * t2) - t;
  const float a1 = (3 * t3 - 5 * t2) + 2;
  const float a2 = (-3 * t3 + 4 * t2) + t;
  const float a3 = t3 - t2;
  float s = a1 * p1 + a0 * p0;
  s = a2 * p2 + s;
  s = a3 * p3 + s;
  return 0.5f * s;
}

float GetLutNodeClamped(const float* Plane, int32_t N, int32_t b, int32_t g, int32_t r) {
  if (Plane == nullptr || N < 1) return 0;
  b = std::clamp(b, 0, N - 1);
  g = std::clamp(g, 0, N - 1);
  r = std::clamp(r, 0, N - 1);
  return Plane[r + int64_t(N) * (g + int64_t(N) * b)];
}

float CubicSampleLut(int32_t b, int32_t g, int32_t r, const float* Plane, int32_t N, float fr) {
  return CatmullRomInterpolate(fr, GetLutNodeClamped(Plane, N, b, g, r - 1),
                               GetLutNodeClamped(Plane, N, b, g, r),
                               GetLutNodeClamped(Plane, N, b, g, r + 1),
                               GetLutNodeClamped(Plane, N, b, g, r + 2));
}

float BicubicSampleLut(int32_t b, int32_t g, int32_t r, const float* Plane, int32_t N, float fg,
                       float fr) {
  return CatmullRomInterpolate(fg, CubicSampleLut(b, g - 1, r, Plane, N, fr),
                               CubicSampleLut(b, g, r, Plane, N, fr),
                               CubicSampleLut(b, g + 1, r, Plane, N, fr),
                               CubicSampleLut(b, g + 2, r, Plane, N, fr));
}

float TricubicSampleLut(int32_t ib, int32_t ig, int32_t ir, const float* Plane, int32_t N,
                        float fb, float fg, float fr) {
  return CatmullRomInterpolate(fb, BicubicSampleLut(ib - 1, ig, ir, Plane, N, fg, fr),
                               BicubicSampleLut(ib, ig, ir, Plane, N, fg, fr),
                               BicubicSampleLut(ib + 1, ig, ir, Plane, N, fg, fr),
                               BicubicSampleLut(ib + 2, ig, ir, Plane, N, fg, fr));
}

// --- T3DLut lookups ---

void ProcessColorTetrahedralSingle(const T3DLut& Lut, float& Red, float& Green, float& Blue) {
  if (ProcessColorTetrahedralQuiet(Lut, Red, Green, Blue))
    ErrorMessageProc("Exception in T3DLut.ProcessColorTetrahedralSingle");
}

bool ProcessColorTetrahedralQuiet(const T3DLut& Lut, float& Red, float& Green, float& Blue) {
  TPreparedLut Look;
  if (!Look.Prepare(Lut, false)) return false;
  const bool NaNR = ClampUnit(Red), NaNG = ClampUnit(Green), NaNB = ClampUnit(Blue);
  if (NaNR) Red = 0;
  if (NaNG) Green = 0;
  if (NaNB) Blue = 0;
  Look.Lookup(Red, Green, Blue);
  return NaNR || NaNG || NaNB;
}

float TetrahedralInterpolation(const T3DLut& Lut, const float* Plane, float x, float y, float z) {
  if (Plane == nullptr || Lut.Size < 1) return 0;
  int32_t ix, iy, iz;
  if (!FloorIndex(x, Lut.Size, ix) || !FloorIndex(y, Lut.Size, iy) ||
      !FloorIndex(z, Lut.Size, iz)) {
    ErrorMessageProc("Exception in T3DLut.TetrahedralInterpolation, IX=0, NumLevels=" +
                     std::to_string(Lut.Size));
    return 0;
  }
  const float fx = x - static_cast<float>(ix);
  const float fy = y - static_cast<float>(iy);
  const float fz = z - static_cast<float>(iz);
  const int32_t Last = Lut.Size - 1;
  const int64_t N = Lut.Size;
  const int64_t OffB[2] = {std::clamp(ix, 0, Last) * N * N, std::clamp(ix + 1, 0, Last) * N * N};
  const int64_t OffG[2] = {std::clamp(iy, 0, Last) * N, std::clamp(iy + 1, 0, Last) * N};
  const int64_t OffR[2] = {std::clamp(iz, 0, Last), std::clamp(iz + 1, 0, Last)};
  float V = BlendTetrahedron(SelectTetrahedron(fx, fy, fz, OffB, OffG, OffR), Plane);
  if (V < 0) V = 0;
  if (V > 1) V = 1;
  return V;
}

float GetValueTrilinear(const T3DLut& Lut, const float* Plane, float x, float y, float z) {
  if (Plane == nullptr || Lut.Size < 1) return 0;
  int32_t ix, iy, iz;
  if (!FloorIndex(x, Lut.Size, ix) || !FloorIndex(y, Lut.Size, iy) || !FloorIndex(z, Lut.Size, iz))
    return 0;
  const float fx = x - static_cast<float>(ix), wx = 1 - fx;
  const float fy = y - static_cast<float>(iy), wy = 1 - fy;
  const float fz = z - static_cast<float>(iz), wz = 1 - fz;
  auto V = [&](int32_t b, int32_t g, int32_t r) { return GetValueClamped(Lut, Plane, b, g, r); };
  float S = V(ix, iy, iz) * wx * wy * wz;
  S += V(ix + 1, iy, iz) * fx * wy * wz;
  S += V(ix, iy + 1, iz) * wx * fy * wz;
  S += V(ix + 1, iy + 1, iz) * fx * fy * wz;
  S += V(ix, iy, iz + 1) * wx * wy * fz;
  S += V(ix + 1, iy, iz + 1) * fx * wy * fz;
  S += V(ix, iy + 1, iz + 1) * wx * fy * fz;
  S += V(ix + 1, iy + 1, iz + 1) * fx * fy * fz;
  return S;
}

float GetAlphaTrilinear(const T3DLut& Lut, float Red, float Green, float Blue) {
  if (Lut.A == nullptr || Lut.Size < 1) return 0;
  const float L = static_cast<float>(Lut.Size - 1);
  return GetValueTrilinear(Lut, Lut.A, Blue * L, Green * L, Red * L);
}

void ProcessColorCubicSingle(const T3DLut& Lut, float& Red, float& Green, float& Blue) {
  if (Lut.R == nullptr || Lut.G == nullptr || Lut.B == nullptr) return;
  if (CubicNodes(Lut) == 0) return;
  const bool NaNR = ClampUnit(Red), NaNG = ClampUnit(Green), NaNB = ClampUnit(Blue);
  if (NaNR || NaNG || NaNB) {
    ErrorMessageProc("Exception in T3DLut.ProcessColorCubicSingle");
    if (NaNR) Red = 0;
    if (NaNG) Green = 0;
    if (NaNB) Blue = 0;
  }
  const int32_t N = Lut.Size;
  int32_t ib, ig, ir;
  float fb, fg, fr;
  CellOf(Blue, N, ib, fb);
  CellOf(Green, N, ig, fg);
  CellOf(Red, N, ir, fr);
  Red = TricubicSampleLut(ib, ig, ir, Lut.R, N, fb, fg, fr);
  Green = TricubicSampleLut(ib, ig, ir, Lut.G, N, fb, fg, fr);
  Blue = TricubicSampleLut(ib, ig, ir, Lut.B, N, fb, fg, fr);
}

float GetValueClamped(const T3DLut& Lut, const float* Plane, int32_t b, int32_t g, int32_t r) {
  return GetLutNodeClamped(Plane, Lut.Size, b, g, r);
}

float GetValExtrapolated(const T3DLut& Lut, const float* Plane, int32_t XB, int32_t YG,
                         int32_t ZR) {
  const int32_t NR = Lut.NLRH, NG = Lut.NLGS, NB = Lut.NLBL;
  if (Plane == nullptr || NR < MinLutLevels || NG < MinLutLevels || NB < MinLutLevels) {
    ErrorMessageProc("Exception in T3DLut.GetValExtrapolated, XB=" + std::to_string(XB) +
                     " YG=" + std::to_string(YG) + " ZR=" + std::to_string(ZR));
    return 0;
  }
  int64_t cb = XB, cg = YG, cr = ZR;
  bool Wrapped = false;
  if (Lut.NonCubic && cr >= NR) {
    cr = (10 * int64_t(NR) + cr) % NR;
    Wrapped = true;
  }
  cb = std::clamp<int64_t>(cb, 0, NB - 1);
  cg = std::clamp<int64_t>(cg, 0, NG - 1);
  cr = std::clamp<int64_t>(cr, 0, NR - 1);
  auto At = [&](int64_t b, int64_t g, int64_t r) { return Plane[r + NR * (g + NG * b)]; };
  const float C = At(cb, cg, cr);
  float V = C;
  if (XB < 0) V = V - (At(cb + 1, cg, cr) - C);
  if (YG < 0) V = V - (At(cb, cg + 1, cr) - C);
  if (ZR < 0) V = V - (At(cb, cg, cr + 1) - C);
  if (cb < XB) V = V - (At(cb - 1, cg, cr) - C);
  if (cg < YG) V = V - (At(cb, cg - 1, cr) - C);
  if (!Wrapped && cr < ZR) V = V - (At(cb, cg, cr - 1) - C);
  return V;
}

void SetPlaneValue(T3DLut& Lut, float* Plane, int32_t b, int32_t g, int32_t r, float Value) {
  if (Plane == nullptr || CubicNodes(Lut) == 0 || b < 0 || g < 0 || r < 0 || b >= Lut.Size ||
      g >= Lut.Size || r >= Lut.Size)
    return;
  Plane[r + int64_t(Lut.Size) * (g + int64_t(Lut.Size) * b)] = Value;
}

}  // namespace kromel
