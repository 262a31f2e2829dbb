// T3DLut seen through colour models: average differences to another LUT,
// the local variability of hue, saturation and lightness, and painting
// nodes of a LUT whose axes are hue, saturation and lightness.
#include "lut/lut_measure.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "colour/hsv_hsl.h"
#include "colour/rgb_lab_xyz.h"
#include "foundation/error_sink.h"
#include "lut/lut.h"
#include "lut/lut_levels.h"
#include "lut/lut_lookup.h"

namespace kromel {

namespace {

inline bool IsNaN(float V) { return V != V; }

// Level of a value 0..1 on an axis of N levels: round(float(N - 1) * V)
// with halves to even, else truncated; kept within 0..N - 1.
int32_t AxisLevel(float V, int32_t N, bool Round) {
  float P = static_cast<float>(N - 1) * V;
  if (Round) P = std::nearbyint(P);
  if (!(P > 0)) return 0;
  if (P >= static_cast<float>(N - 1)) return N - 1;
  return static_cast<int32_t>(P);
}

}  // namespace

float AverageDeltaE94(const T3DLut& Lut, const T3DLut& Other) {
  if (CubicNodes(Lut) == 0) return 0;
  if (LevelNodes(Other) == 0) {
    ErrorMessageProc("Error in T3DLut.AverageDeltaE94 - LUT empty");
    return 0;
  }
  const int32_t N = Lut.Size;
  double Sum = 0;
  int64_t Visited = 0;
  for (int32_t b = 0; b < N; ++b)
    for (int32_t g = 0; g < N; ++g)
      for (int32_t r = 0; r < N; ++r) {
        const float C[3] = {LevelValue(r, N), LevelValue(g, N), LevelValue(b, N)};
        const float W = GetAlphaTrilinear(Other, C[0], C[1], C[2]);
        float O[3] = {C[0], C[1], C[2]};
        float S[3] = {C[0], C[1], C[2]};
        ProcessColorTetrahedralSingle(Other, O[0], O[1], O[2]);
        ProcessColorTetrahedralSingle(Lut, S[0], S[1], S[2]);
        const float D = RGBCalcDeltaE94(O[0], O[1], O[2], S[0], S[1], S[2]);
        Sum += static_cast<float>(D * W);
        ++Visited;
      }
  return static_cast<float>(Sum / double(Visited));
}

float AverageRGBDifference(const T3DLut& Lut, const T3DLut& Other) {
  if (CubicNodes(Lut) == 0) return 0;
  if (LevelNodes(Other) == 0) {
    ErrorMessageProc("Error in T3DLut.AverageRGBDifference - LUT empty");
    return 0;
  }
  const int32_t N = Lut.Size;
  double Sum = 0;
  int64_t K = 0;
  for (int32_t b = 0; b < N; ++b)
    for (int32_t g = 0; g < N; ++g)
      for (int32_t r = 0; r < N; ++r, ++K) {
        float L[3] = {LevelValue(r, N), LevelValue(g, N), LevelValue(b, N)};
        ProcessColorTetrahedralSingle(Other, L[0], L[1], L[2]);
        Sum += std::fabs(Lut.R[K] - L[0]);
        Sum += std::fabs(Lut.G[K] - L[1]);
        Sum += std::fabs(Lut.B[K] - L[2]);
      }
  return static_cast<float>(Sum / double(K));
}

void GetHSLVariability(const T3DLut& Lut, float Red, float Green, float Blue, float& dH, float& dS,
                       float& dL) {
  dH = dS = dL = 0;
  if (LevelNodes(Lut) == 0) {
    ErrorMessageProc("Error in T3DLut.GetHSLVariability - LUT empty");
    return;
  }
  if (IsNaN(Red) || IsNaN(Green) || IsNaN(Blue)) {
    ErrorMessageProc("Error in T3DLut.GetHSLVariability - invalid colour");
    return;
  }
  float H, S, L;
  RGBtoHSL(H, S, L, Red, Green, Blue);
  if (double(L) < 0.03) L = 0.03f;
  if (double(L) > 0.98) L = 0.98f;
  if (double(S) < 0.03) S = 0.03f;
  // HSL of the LUT's output for an HSL colour.
  auto Probe = [&Lut](float Hp, float Sp, float Lp, float& Ho, float& So, float& Lo) {
    float Rp, Gp, Bp;
    HSLtoRGB(Rp, Gp, Bp, Hp, Sp, Lp);
    ProcessColorTetrahedralSingle(Lut, Rp, Gp, Bp);
    RGBtoHSL(Ho, So, Lo, Rp, Gp, Bp);
  };
  auto Minus = [](float V) { return static_cast<float>(double(V) - 0.01); };
  auto Plus = [](float V) { return static_cast<float>(double(V) + 0.01); };
  float H1, S1, L1, H2, S2, L2;
  Probe(Minus(H), S, L, H1, S1, L1);
  Probe(Plus(H), S, L, H2, S2, L2);
  dH = (H2 - H1) * 50;
  if (dH > 25) dH = dH - 50;
  if (dH < -25) dH = dH + 50;
  Probe(H, Minus(S), L, H1, S1, L1);
  Probe(H, Plus(S), L, H2, S2, L2);
  dS = (S2 - S1) * 50;
  Probe(H, S, Minus(L), H1, S1, L1);
  Probe(H, S, Plus(L), H2, S2, L2);
  dL = (L2 - L1) * 50;
}

void PaintHSLBox(T3DLut& Lut, float Red, float Green, float Blue, float PaintR, float PaintG,
                 float PaintB, int32_t HalfH, int32_t HalfS, int32_t HalfL) {
  if (LevelNodes(Lut) == 0) {
    ErrorMessageProc("Error in T3DLut.PaintHSLBox - LUT empty");
    return;
  }
  float H, S, L;
  RGBtoHSL(H, S, L, Red, Green, Blue);
  if (IsNaN(Red) || IsNaN(Green) || IsNaN(Blue) || IsNaN(H) || IsNaN(S) || IsNaN(L)) {
    ErrorMessageProc("Error in T3DLut.PaintHSLBox - invalid colour");
    return;
  }
  const int64_t NH = Lut.NLRH, NS = Lut.NLGS, NL = Lut.NLBL;
  const int64_t Ih = AxisLevel(H, Lut.NLRH, false);
  const int64_t Is = AxisLevel(S, Lut.NLGS, false);
  const int64_t Il = AxisLevel(L, Lut.NLBL, false);
  // Ranges in 64 bits so that no half-width overflows; a hue span of the
  // whole ring or more is the ring once.
  int64_t HStart = (((Ih - HalfH) % NH) + NH) % NH;
  int64_t HEnd = HStart + 2 * int64_t(HalfH) + 1;
  if (HEnd - HStart + 1 >= NH) {
    HStart = 0;
    HEnd = NH - 1;
  }
  const int64_t LStart = std::max<int64_t>(Il - HalfL, 0);
  const int64_t LEnd = std::min<int64_t>(Il + HalfL + 1, NL - 1);
  const int64_t SStart = std::max<int64_t>(Is - HalfS, 0);
  const int64_t SEnd = std::min<int64_t>(Is + HalfS + 1, NS - 1);
  for (int64_t s = SEnd; s >= SStart; --s) {
    // Hue means nothing at saturation 0: the whole ring.
    const int64_t H0 = s == 0 ? 0 : HStart;
    const int64_t H1 = s == 0 ? NH - 1 : HEnd;
    for (int64_t l = LStart; l <= LEnd; ++l)
      for (int64_t h = H0; h <= H1; ++h) {
        const int64_t I = h % NH + NH * (s + NS * l);
        Lut.R[I] = PaintR;
        Lut.G[I] = PaintG;
        Lut.B[I] = PaintB;
      }
  }
  if (Lut.OnChange) Lut.OnChange(&Lut);
}

void SetHSLNode(T3DLut& Lut, float Red, float Green, float Blue, float PaintR, float PaintG,
                float PaintB) {
  if (LevelNodes(Lut) == 0) {
    ErrorMessageProc("Error in T3DLut.SetHSLNode - LUT empty");
    return;
  }
  float H, S, L;
  RGBtoHSL(H, S, L, Red, Green, Blue);
  if (IsNaN(Red) || IsNaN(Green) || IsNaN(Blue) || IsNaN(H) || IsNaN(S) || IsNaN(L)) {
    ErrorMessageProc("Error in T3DLut.SetHSLNode - invalid colour");
    return;
  }
  const int64_t Ih = AxisLevel(H, Lut.NLRH, true);
  const int64_t Is = AxisLevel(S, Lut.NLGS, true);
  const int64_t Il = AxisLevel(L, Lut.NLBL, true);
  const int64_t I = Ih + int64_t(Lut.NLRH) * (Is + int64_t(Lut.NLGS) * Il);
  Lut.R[I] = PaintR;
  Lut.G[I] = PaintG;
  Lut.B[I] = PaintB;
  if (Lut.OnChange) Lut.OnChange(&Lut);
}

}  // namespace kromel
