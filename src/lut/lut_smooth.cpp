// T3DLut smoothing: the 3x3x3 kernel, the smoothing dialog's methods, the
// weight-plane operations that decide where smoothing may act, and the
// dialog's protected run.
#include "lut/lut_smooth.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "colour/colour_models.h"
#include "foundation/error_sink.h"
#include "foundation/numeric.h"
#include "lut/lut.h"
#include "lut/lut_color_space_convert.h"
#include "lut/lut_edit.h"
#include "lut/lut_levels.h"
#include "lut/lut_lookup.h"

namespace kromel {

namespace {

bool IsPlaneOf(const T3DLut& Lut, const float* Plane) {
  return Plane != nullptr && (Plane == Lut.R || Plane == Lut.G || Plane == Lut.B || Plane == Lut.A);
}


using TLutConversion = void (*)(const T3DLut& Source, T3DLut& Destination);

// Smoothing along the SXY lightness axis of the node colours, with the
// node outputs held in the model that ToModel and FromModel convert to and
// from.
void SmoothHueLum(T3DLut& Self, float Amount, TLutConversion ToModel, TLutConversion FromModel) {
  if (Amount != Amount || LevelNodes(Self) == 0) return;
  if (Amount > 1) Amount = 1;
  const float Keep = 1 - Amount;
  T3DLut Copy;
  if (!Copy.CopyFrom(Self)) return;
  ToModel(Self, Self);
  Copy.CopyRGBFrom(Self);
  int64_t I = 0;
  for (int32_t b = 0; b < Self.NLBL; ++b)
    for (int32_t g = 0; g < Self.NLGS; ++g)
      for (int32_t r = 0; r < Self.NLRH; ++r, ++I) {
        float S, X, Y;
        RGBtoSXYSingle(LevelValue(r, Self.NLRH), LevelValue(g, Self.NLGS),
                       LevelValue(b, Self.NLBL), S, X, Y);
        if (!(S > 0.1f)) continue;
        const float D = std::min({5.0f, S, 100 - S});
        float R1, G1, B1, R2, G2, B2;
        SXYtoRGBSingle(S - D, X, Y, R1, G1, B1);
        SXYtoRGBSingle(S + D, X, Y, R2, G2, B2);
        ProcessColorTetrahedralSingle(Self, R1, G1, B1);
        ProcessColorTetrahedralSingle(Self, R2, G2, B2);
        Copy.R[I] = Keep * Copy.R[I] + Amount * (R1 + R2) / 2;
        Copy.G[I] = Keep * Copy.G[I] + Amount * (G1 + G2) / 2;
        Copy.B[I] = Keep * Copy.B[I] + Amount * (B1 + B2) / 2;
      }
  FromModel(Copy, Self);
}

}  // namespace

// --- Kernel ---

namespace {

// The 3x3x3 kernel over one plane, by level counts: each node becomes
// (Centre * old + sum of Weight[k] * neighbour) / (30 + Centre), with
// Centre = (1 - Amount) * 10 (at least -10) and k + 1 the number of axes a
// neighbour is offset along. Neighbours of weight 0 are left out; those
// outside the grid are extrapolated from the old values. A node keeps its
// value when Keep(neighbour sum) says so. A Plane not of Lut: nothing.
template <class TKeep>
void SmoothPlane(T3DLut& Lut, float* Plane, float Amount, const float (&Weight)[3], TKeep Keep) {
  const int64_t Nodes = LevelNodes(Lut);
  if (!IsPlaneOf(Lut, Plane) || Nodes == 0 || Amount != Amount) return;
  const std::vector<float> Copy(Plane, Plane + Nodes);
  float Centre = (1 - Amount) * 10;
  if (Centre < -10) Centre = -10;
  const float Divisor = 30 + Centre;
  int64_t I = 0;
  for (int32_t b = 0; b < Lut.NLBL; ++b)
    for (int32_t g = 0; g < Lut.NLGS; ++g)
      for (int32_t r = 0; r < Lut.NLRH; ++r, ++I) {
        float S = 0;
        for (int db = -1; db <= 1; ++db)
          for (int dg = -1; dg <= 1; ++dg)
            for (int dr = -1; dr <= 1; ++dr) {
              const int Offsets = (db != 0) + (dg != 0) + (dr != 0);
              if (Offsets == 0 || Weight[Offsets - 1] == 0) continue;
              S += Weight[Offsets - 1] *
                   GetValExtrapolated(Lut, Copy.data(), b + db, g + dg, r + dr);
            }
        if (!Keep(S)) Plane[I] = (Centre * Copy[I] + S) / Divisor;
      }
}

}  // namespace

void SmoothChannel(T3DLut& Lut, float* Plane, float Amount) {
  static constexpr float Weight[3] = {1, 2, 0};
  SmoothPlane(Lut, Plane, Amount, Weight, [](float) { return false; });
}

void SmoothMaskChannel(T3DLut& Lut, float* Plane, float Amount) {
  static constexpr float Weight[3] = {1, 1, 1};
  SmoothPlane(Lut, Plane, Amount, Weight, [](float S) { return !(S < 16); });
}

void Smooth(T3DLut& Lut, float Amount) {
  SmoothChannel(Lut, Lut.R, Amount);
  SmoothChannel(Lut, Lut.G, Amount);
  SmoothChannel(Lut, Lut.B, Amount);
}

void ScaleDifferences(T3DLut& Lut, const T3DLut& Other, float a, float b, float c) {
  if (Other.R == nullptr) return;
  const int64_t N = CubicNodes(Lut);
  if (Other.Size != Lut.Size || N == 0 || CubicNodes(Other) != N) {
    ErrorMessageProc("Error in T3DLut.ScaleDifferences");
    return;
  }
  auto Dist2 = [&](int64_t i) {
    const float dR = Other.R[i] - Lut.R[i], dG = Other.G[i] - Lut.G[i], dB = Other.B[i] - Lut.B[i];
    return dR * dR + dG * dG + dB * dB;
  };
  float E = 0;
  for (int64_t i = 0; i < N; ++i) E = std::max(E, Dist2(i));
  if (!(E > 0)) return;
  const float RootE = std::sqrt(E);
  for (int64_t i = 0; i < N; ++i) {
    const float H = std::sqrt(Dist2(i)) / RootE;
    const float M = H < 0.5f ? a * (1 - 2 * H) + b * (2 * H)
                             : b * (1 - 2 * (H - 0.5f)) + c * (2 * (H - 0.5f));
    Lut.R[i] = Lut.R[i] + (Other.R[i] - Lut.R[i]) * M;
    Lut.G[i] = Lut.G[i] + (Other.G[i] - Lut.G[i]) * M;
    Lut.B[i] = Lut.B[i] + (Other.B[i] - Lut.B[i]) * M;
  }
}

// --- The dialog's methods ---

void SmoothTensions(T3DLut& Lut, float Amount) {
  if (CubicNodes(Lut) == 0 || Amount != Amount) return;
  T3DLut Copy;
  if (!Copy.CopyFrom(Lut)) return;
  Smooth(Copy, Amount);
  ScaleDifferences(Lut, Copy, 0, 0, 1);
}

void SmoothNoise(T3DLut& Lut, float Amount) {
  if (CubicNodes(Lut) == 0 || Amount != Amount) return;
  T3DLut Copy;
  if (!Copy.CopyFrom(Lut)) return;
  Smooth(Copy, Amount);
  CurvatureToAlpha(Lut);
  NormalizePlane(Lut, Lut.A);
  RampAlpha(Lut, 0.3f, 0.7f);
  MaximumA(Lut);
  InvertAlpha(Lut);
  Lut.CopyMaskedFrom(Copy);
}

void SmoothMidtones(T3DLut& Lut, float Amount) {
  if (CubicNodes(Lut) == 0 || Amount != Amount) return;
  T3DLut Copy;
  if (!Copy.CopyFrom(Lut)) return;
  Smooth(Copy, Amount);
  LumaToAlpha(Lut);
  TrapezoidAlpha(Lut, 0.2f, 0.4f, 0.6f, 0.8f);
  MaximumA(Lut);
  InvertAlpha(Lut);
  Lut.CopyMaskedFrom(Copy);
}

void SmoothLuminance(T3DLut& Lut, float Amount) {
  if (CubicNodes(Lut) == 0 || Amount != Amount) return;
  T3DLut Copy;
  if (!Copy.CopyFrom(Lut)) return;
  LumaToAlpha(Copy);
  SmoothChannel(Copy, Copy.A, Amount);
  SetLumaFromAlpha(Lut, Copy);
}

void SmoothNeutralToSaturated(T3DLut& Lut, float Amount) {
  if (LevelNodes(Lut) == 0 || Amount != Amount) return;
  if (Amount > 0.3f) Amount = 0.3f;
  T3DLut Copy;
  if (!Copy.CopyFrom(Lut)) return;
  int64_t I = 0;
  for (int32_t b = 0; b < Lut.NLBL; ++b)
    for (int32_t g = 0; g < Lut.NLGS; ++g)
      for (int32_t r = 0; r < Lut.NLRH; ++r, ++I) {
        const float P[3] = {LevelValue(r, Lut.NLRH), LevelValue(g, Lut.NLGS),
                            LevelValue(b, Lut.NLBL)};
        const float M = (P[0] + P[1] + P[2]) / 3;
        float A0[3], B0[3], C0[3];
        for (int k = 0; k < 3; ++k) {
          A0[k] = P[k] + (M - P[k]) / 3;
          B0[k] = P[k] + 2 * (M - P[k]) / 3;
          C0[k] = P[k] + (P[k] - M) / 3;
        }
        ProcessColorTetrahedralSingle(Lut, A0[0], A0[1], A0[2]);
        ProcessColorTetrahedralSingle(Lut, B0[0], B0[1], B0[2]);
        ProcessColorTetrahedralSingle(Lut, C0[0], C0[1], C0[2]);
        float* const Out[3] = {Copy.R, Copy.G, Copy.B};
        const float* const In[3] = {Lut.R, Lut.G, Lut.B};
        for (int k = 0; k < 3; ++k) {
          const float E = 1.25f * A0[k] - 0.5f * B0[k] + 0.25f * C0[k];
          Out[k][I] = (1 - Amount) * In[k][I] + Amount * E;
        }
      }
  Clamp(Copy);
  Lut.CopyRGBFrom(Copy);
}

void SmoothHueLumSXY(T3DLut& Lut, float Amount) {
  SmoothHueLum(Lut, Amount, ConvertLUT_RGBtoSXY, ConvertLUT_SXYtoRGB);
}

void SmoothHueLumHSL(T3DLut& Lut, float Amount) {
  SmoothHueLum(Lut, Amount, ConvertLUT_RGBtoHSLLab, ConvertLUT_HSLLabtoRGB);
}

void SmoothMasked(T3DLut& Lut) {
  if (LevelNodes(Lut) == 0) return;
  T3DLut Copy;
  if (!Copy.CopyFrom(Lut)) return;
  Smooth(Lut, 1);
  Lut.CopyMaskedFrom(Copy);
}

// --- Weight plane ---

void CurvatureToAlpha(T3DLut& Lut) {
  const int64_t N = CubicNodes(Lut);
  if (N == 0) return;
  std::fill_n(Lut.A, N, 0.0f);
  const int64_t S1 = 1, S2 = Lut.Size, S3 = int64_t(Lut.Size) * Lut.Size;
  for (int32_t b = 1; b < Lut.Size - 1; ++b)
    for (int32_t g = 1; g < Lut.Size - 1; ++g)
      for (int32_t r = 1; r < Lut.Size - 1; ++r) {
        const int64_t I = r + S2 * g + S3 * b;
        float Sum = 0;
        for (const float* P : {Lut.R, Lut.G, Lut.B})
          for (const int64_t D : {S1, S2, S3}) Sum += std::fabs(P[I - D] - 2 * P[I] + P[I + D]);
        Lut.A[I] = Sum;
      }
}

void NormalizePlane(T3DLut& Lut, float* Plane) {
  const int64_t N = CubicNodes(Lut);
  if (N == 0 || !IsPlaneOf(Lut, Plane)) return;
  float M = 0;
  for (int64_t i = 0; i < N; ++i)
    if (Plane[i] > M) M = Plane[i];
  if (!(M > 1e-10f)) return;
  const float K = 1.0f / M;
  for (int64_t i = 0; i < N; ++i) Plane[i] *= K;
}

void RampAlpha(T3DLut& Lut, float Lo, float Hi) {
  const int64_t N = CubicNodes(Lut);
  const float D = Hi - Lo;
  for (int64_t i = 0; i < N; ++i) {
    // Equal bounds would divide by zero: a step at Lo instead.
    const float V = D != 0 ? (Lut.A[i] - Lo) / D : (Lut.A[i] > Lo ? 1.0f : 0.0f);
    Lut.A[i] = Clamp01(V);
  }
}

void TrapezoidAlpha(T3DLut& Lut, float a, float b, float c, float d) {
  const int64_t N = CubicNodes(Lut);
  for (int64_t i = 0; i < N; ++i) {
    const float V = Lut.A[i];
    float W = 0;
    if (V > d)
      W = 0;
    else if (V > c)
      W = 1 - (V - c) / (d - c);
    else if (V > b)
      W = 1;
    else if (V > a)
      W = (V - a) / (b - a);
    Lut.A[i] = W;
  }
}

namespace {

// Interior nodes of a cubic plane: (extreme of the 3x3x3 neighbourhood of
// the old values + old value) / 2.
template <class TPick>
void SpreadCubicPlane(float* Plane, int32_t Size, TPick Pick) {
  const int64_t N = int64_t(Size) * Size * Size;
  const std::vector<float> Copy(Plane, Plane + N);
  const int64_t S2 = Size, S3 = int64_t(Size) * Size;
  for (int32_t b = 1; b < Size - 1; ++b)
    for (int32_t g = 1; g < Size - 1; ++g)
      for (int32_t r = 1; r < Size - 1; ++r) {
        const int64_t I = r + S2 * g + S3 * b;
        float E = Copy[I];
        for (int db = -1; db <= 1; ++db)
          for (int dg = -1; dg <= 1; ++dg)
            for (int dr = -1; dr <= 1; ++dr) E = Pick(E, Copy[I + dr + S2 * dg + S3 * db]);
        Plane[I] = (E + Copy[I]) / 2;
      }
}

}  // namespace

void MaximumA(T3DLut& Lut) {
  if (CubicNodes(Lut) == 0) return;
  SpreadCubicPlane(Lut.A, Lut.Size, [](float E, float V) { return V > E ? V : E; });
}

void MinimumA(T3DLut& Lut) {
  if (CubicNodes(Lut) == 0) return;
  SpreadCubicPlane(Lut.A, Lut.Size, [](float E, float V) { return V < E ? V : E; });
}

void LumaToAlpha(T3DLut& Lut) {
  const int64_t N = CubicNodes(Lut);
  for (int64_t i = 0; i < N; ++i) Lut.A[i] = 0.3f * Lut.R[i] + 0.5f * Lut.G[i] + 0.2f * Lut.B[i];
}

void InvertAlpha(T3DLut& Lut) {
  const int64_t N = CubicNodes(Lut);
  for (int64_t i = 0; i < N; ++i) Lut.A[i] = 1 - Lut.A[i];
}

void SetLumaFromAlpha(T3DLut& Lut, const T3DLut& Source) {
  const int64_t N = CubicNodes(Lut);
  if (N == 0) return;
  if (Source.Size != Lut.Size || CubicNodes(Source) != N) {
    ErrorMessageProc("Error in T3DLut.SetLumaFromAlpha - Sizes mismatch");
    return;
  }
  for (int64_t i = 0; i < N; ++i) {
    const float Y = 0.3f * Lut.R[i] + 0.5f * Lut.G[i] + 0.2f * Lut.B[i];
    if (!(Y > 0)) continue;
    const float K = Source.A[i] / Y;
    Lut.R[i] = std::min(Lut.R[i] * K, 1.0f);
    Lut.G[i] = std::min(Lut.G[i] * K, 1.0f);
    Lut.B[i] = std::min(Lut.B[i] * K, 1.0f);
  }
}

void SetAlphaOne(T3DLut& Lut) {
  const int64_t N = CubicNodes(Lut);
  if (N > 0) std::fill_n(Lut.A, N, 1.0f);
}

void SetAlphaProtectNeutrals(T3DLut& Lut) {
  const int64_t N = CubicNodes(Lut);
  for (int64_t i = 0; i < N; ++i) {
    const float U = -0.14713f * Lut.R[i] - 0.28886f * Lut.G[i] + 0.436f * Lut.B[i];
    const float V = 0.615f * Lut.R[i] - 0.51499f * Lut.G[i] - 0.10001f * Lut.B[i];
    Lut.A[i] = 2.25f * std::fabs(U) + 1.6f * std::fabs(V);
  }
}

void SetAlphaProtectBlacks(T3DLut& Lut) {
  const int64_t N = CubicNodes(Lut);
  for (int64_t i = 0; i < N; ++i) {
    const float Y = (3 * Lut.R[i] + 5 * Lut.G[i] + Lut.B[i]) / 9;
    if (Y < 0.5f)
      Lut.A[i] *= static_cast<float>(0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(Y)));
  }
}

void AddAlpha(T3DLut& Lut, float Value) {
  const int64_t N = CubicNodes(Lut);
  for (int64_t i = 0; i < N; ++i) Lut.A[i] += Value;
}

void ScaleAlpha(T3DLut& Lut, float Factor) {
  const int64_t N = CubicNodes(Lut);
  for (int64_t i = 0; i < N; ++i) Lut.A[i] *= Factor;
}

void ClampAlpha(T3DLut& Lut) {
  const int64_t N = CubicNodes(Lut);
  for (int64_t i = 0; i < N; ++i) Lut.A[i] = Clamp01(Lut.A[i]);
}

void AlphaToRGB(T3DLut& Lut) {
  const int64_t N = CubicNodes(Lut);
  for (int64_t i = 0; i < N; ++i) Lut.R[i] = Lut.G[i] = Lut.B[i] = Lut.A[i];
}

// --- The smoothing dialog ---

const char* const SmoothingMethodCaptions[SmoothingMethodCount] = {
    "Smooth All",     "Only tensions",        "Only noise",  "Only midtones",
    "Only luminance", "Neutral to Saturated", "Hue/Lum SXY", "Hue/Lum HSL"};

float SmoothingMethodAmount(int32_t Method, int32_t Iterations) {
  const float ByCount = static_cast<float>(Iterations - 1) / 10.0f;
  if (Method >= 0 && Method <= 4) return ByCount;
  if (Method == 5) return 0.3f;
  if (Method == 6 || Method == 7) return std::max(0.3f, ByCount);
  return 0;
}

bool ApplySmoothingMethod(T3DLut& Lut, int32_t Method, float Amount) {
  switch (Method) {
    case 0: Smooth(Lut, Amount); return true;
    case 1: SmoothTensions(Lut, Amount); return true;
    case 2: SmoothNoise(Lut, Amount); return true;
    case 3: SmoothMidtones(Lut, Amount); return true;
    case 4: SmoothLuminance(Lut, Amount); return true;
    case 5: SmoothNeutralToSaturated(Lut, Amount); return true;
    case 6: SmoothHueLumSXY(Lut, Amount); return true;
    case 7: SmoothHueLumHSL(Lut, Amount); return true;
    default: return false;
  }
}

bool RunProtectedSmoothing(T3DLut& Work, const T3DLut& Original, int32_t Method,
                           int32_t Iterations, bool ProtectNeutrals, bool ProtectBlacks) {
  if (Method < 0 || Method >= SmoothingMethodCount || &Work == &Original) return false;
  if (Original.NonCubic || LevelNodes(Original) == 0 || !Work.CopyFrom(Original)) return false;
  for (int Pass = 0; Pass < 3; ++Pass) {
    SmoothChannel(Work, Work.R, 0.1f);
    SmoothChannel(Work, Work.G, 0.1f);
    SmoothChannel(Work, Work.B, 0.1f);
  }
  if (ProtectNeutrals) {
    SetAlphaProtectNeutrals(Work);
    AddAlpha(Work, -0.08f);
    ScaleAlpha(Work, 5);
    ClampAlpha(Work);
  } else {
    SetAlphaOne(Work);
  }
  if (ProtectBlacks) SetAlphaProtectBlacks(Work);
  Work.CopyRGBFrom(Original);
  const float Amount = SmoothingMethodAmount(Method, Iterations);
  for (int32_t n = 0; n < Iterations; ++n) {
    ApplySmoothingMethod(Work, Method, Amount);
    if (ProtectNeutrals || ProtectBlacks) Work.CopyMaskedFrom(Original);
  }
  return true;
}

}  // namespace kromel
