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
#include "lut/lut_levels.h"

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
        Self.ProcessColorTetrahedralSingle(R1, G1, B1);
        Self.ProcessColorTetrahedralSingle(R2, G2, B2);
        Copy.R[I] = Keep * Copy.R[I] + Amount * (R1 + R2) / 2;
        Copy.G[I] = Keep * Copy.G[I] + Amount * (G1 + G2) / 2;
        Copy.B[I] = Keep * Copy.B[I] + Amount * (B1 + B2) / 2;
      }
  FromModel(Copy, Self);
}

}  // namespace

// --- Kernel ---

void T3DLut::SmoothChannel(float* Plane, float Amount) {
  const int64_t Nodes = LevelNodes(*this);
  if (!IsPlaneOf(*this, Plane) || Nodes == 0 || Amount != Amount) return;
  const std::vector<float> Copy(Plane, Plane + Nodes);
  float Centre = (1 - Amount) * 10;
  if (Centre < -10) Centre = -10;
  const float Divisor = 30 + Centre;
  int64_t I = 0;
  for (int32_t b = 0; b < NLBL; ++b)
    for (int32_t g = 0; g < NLGS; ++g)
      for (int32_t r = 0; r < NLRH; ++r, ++I) {
        float S = 0;
        for (int db = -1; db <= 1; ++db)
          for (int dg = -1; dg <= 1; ++dg)
            for (int dr = -1; dr <= 1; ++dr) {
              const int Offsets = (db != 0) + (dg != 0) + (dr != 0);
              if (Offsets == 0 || Offsets == 3) continue;
              const float W = Offsets == 1 ? 1.0f : 2.0f;
              S += W * GetValExtrapolated(Copy.data(), b + db, g + dg, r + dr);
            }
        Plane[I] = (Centre * Copy[I] + S) / Divisor;
      }
}

void T3DLut::Smooth(float Amount) {
  SmoothChannel(R, Amount);
  SmoothChannel(G, Amount);
  SmoothChannel(B, Amount);
}

void T3DLut::ScaleDifferences(const T3DLut& Other, float a, float b, float c) {
  if (Other.R == nullptr) return;
  const int64_t N = CubicNodeCount();
  if (Other.Size != Size || N == 0 || Other.CubicNodeCount() != N) {
    ErrorMessageProc("Error in T3DLut.ScaleDifferences");
    return;
  }
  auto Dist2 = [&](int64_t i) {
    const float dR = Other.R[i] - R[i], dG = Other.G[i] - G[i], dB = Other.B[i] - B[i];
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
    R[i] = R[i] + (Other.R[i] - R[i]) * M;
    G[i] = G[i] + (Other.G[i] - G[i]) * M;
    B[i] = B[i] + (Other.B[i] - B[i]) * M;
  }
}

// --- The dialog's methods ---

void T3DLut::SmoothTensions(float Amount) {
  if (CubicNodeCount() == 0 || Amount != Amount) return;
  T3DLut Copy;
  if (!Copy.CopyFrom(*this)) return;
  Copy.Smooth(Amount);
  ScaleDifferences(Copy, 0, 0, 1);
}

void T3DLut::SmoothNoise(float Amount) {
  if (CubicNodeCount() == 0 || Amount != Amount) return;
  T3DLut Copy;
  if (!Copy.CopyFrom(*this)) return;
  Copy.Smooth(Amount);
  CurvatureToAlpha();
  NormalizePlane(A);
  RampAlpha(0.3f, 0.7f);
  MaximumA();
  InvertAlpha();
  CopyMaskedFrom(Copy);
}

void T3DLut::SmoothMidtones(float Amount) {
  if (CubicNodeCount() == 0 || Amount != Amount) return;
  T3DLut Copy;
  if (!Copy.CopyFrom(*this)) return;
  Copy.Smooth(Amount);
  LumaToAlpha();
  TrapezoidAlpha(0.2f, 0.4f, 0.6f, 0.8f);
  MaximumA();
  InvertAlpha();
  CopyMaskedFrom(Copy);
}

void T3DLut::SmoothLuminance(float Amount) {
  if (CubicNodeCount() == 0 || Amount != Amount) return;
  T3DLut Copy;
  if (!Copy.CopyFrom(*this)) return;
  Copy.LumaToAlpha();
  Copy.SmoothChannel(Copy.A, Amount);
  SetLumaFromAlpha(Copy);
}

void T3DLut::SmoothNeutralToSaturated(float Amount) {
  if (LevelNodes(*this) == 0 || Amount != Amount) return;
  if (Amount > 0.3f) Amount = 0.3f;
  T3DLut Copy;
  if (!Copy.CopyFrom(*this)) return;
  int64_t I = 0;
  for (int32_t b = 0; b < NLBL; ++b)
    for (int32_t g = 0; g < NLGS; ++g)
      for (int32_t r = 0; r < NLRH; ++r, ++I) {
        const float P[3] = {LevelValue(r, NLRH), LevelValue(g, NLGS), LevelValue(b, NLBL)};
        const float M = (P[0] + P[1] + P[2]) / 3;
        float A0[3], B0[3], C0[3];
        for (int k = 0; k < 3; ++k) {
          A0[k] = P[k] + (M - P[k]) / 3;
          B0[k] = P[k] + 2 * (M - P[k]) / 3;
          C0[k] = P[k] + (P[k] - M) / 3;
        }
        ProcessColorTetrahedralSingle(A0[0], A0[1], A0[2]);
        ProcessColorTetrahedralSingle(B0[0], B0[1], B0[2]);
        ProcessColorTetrahedralSingle(C0[0], C0[1], C0[2]);
        float* const Out[3] = {Copy.R, Copy.G, Copy.B};
        const float* const In[3] = {R, G, B};
        for (int k = 0; k < 3; ++k) {
          const float E = 1.25f * A0[k] - 0.5f * B0[k] + 0.25f * C0[k];
          Out[k][I] = (1 - Amount) * In[k][I] + Amount * E;
        }
      }
  Copy.Clamp();
  CopyRGBFrom(Copy);
}

void T3DLut::SmoothHueLumSXY(float Amount) {
  SmoothHueLum(*this, Amount, ConvertLUT_RGBtoSXY, ConvertLUT_SXYtoRGB);
}

void T3DLut::SmoothHueLumHSL(float Amount) {
  SmoothHueLum(*this, Amount, ConvertLUT_RGBtoHSLLab, ConvertLUT_HSLLabtoRGB);
}

void T3DLut::SmoothMasked() {
  if (LevelNodes(*this) == 0) return;
  T3DLut Copy;
  if (!Copy.CopyFrom(*this)) return;
  Smooth(1);
  CopyMaskedFrom(Copy);
}

// --- Weight plane ---

void T3DLut::CurvatureToAlpha() {
  const int64_t N = CubicNodeCount();
  if (N == 0) return;
  std::fill_n(A, N, 0.0f);
  const int64_t S1 = 1, S2 = Size, S3 = int64_t(Size) * Size;
  for (int32_t b = 1; b < Size - 1; ++b)
    for (int32_t g = 1; g < Size - 1; ++g)
      for (int32_t r = 1; r < Size - 1; ++r) {
        const int64_t I = r + S2 * g + S3 * b;
        float Sum = 0;
        for (const float* P : {R, G, B})
          for (const int64_t D : {S1, S2, S3}) Sum += std::fabs(P[I - D] - 2 * P[I] + P[I + D]);
        A[I] = Sum;
      }
}

void T3DLut::NormalizePlane(float* Plane) {
  const int64_t N = CubicNodeCount();
  if (N == 0 || !IsPlaneOf(*this, Plane)) return;
  float M = 0;
  for (int64_t i = 0; i < N; ++i)
    if (Plane[i] > M) M = Plane[i];
  if (!(M > 1e-10f)) return;
  const float K = 1.0f / M;
  for (int64_t i = 0; i < N; ++i) Plane[i] *= K;
}

void T3DLut::RampAlpha(float Lo, float Hi) {
  const int64_t N = CubicNodeCount();
  const float D = Hi - Lo;
  for (int64_t i = 0; i < N; ++i) {
    // Equal bounds would divide by zero: a step at Lo instead.
    const float V = D != 0 ? (A[i] - Lo) / D : (A[i] > Lo ? 1.0f : 0.0f);
    A[i] = Clamp01(V);
  }
}

void T3DLut::TrapezoidAlpha(float a, float b, float c, float d) {
  const int64_t N = CubicNodeCount();
  for (int64_t i = 0; i < N; ++i) {
    const float V = A[i];
    float W = 0;
    if (V > d)
      W = 0;
    else if (V > c)
      W = 1 - (V - c) / (d - c);
    else if (V > b)
      W = 1;
    else if (V > a)
      W = (V - a) / (b - a);
    A[i] = W;
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

void T3DLut::MaximumA() {
  if (CubicNodeCount() == 0) return;
  SpreadCubicPlane(A, Size, [](float E, float V) { return V > E ? V : E; });
}

void T3DLut::MinimumA() {
  if (CubicNodeCount() == 0) return;
  SpreadCubicPlane(A, Size, [](float E, float V) { return V < E ? V : E; });
}

void T3DLut::LumaToAlpha() {
  const int64_t N = CubicNodeCount();
  for (int64_t i = 0; i < N; ++i) A[i] = 0.3f * R[i] + 0.5f * G[i] + 0.2f * B[i];
}

void T3DLut::InvertAlpha() {
  const int64_t N = CubicNodeCount();
  for (int64_t i = 0; i < N; ++i) A[i] = 1 - A[i];
}

void T3DLut::SetLumaFromAlpha(const T3DLut& Source) {
  const int64_t N = CubicNodeCount();
  if (N == 0) return;
  if (Source.Size != Size || Source.CubicNodeCount() != N) {
    ErrorMessageProc("Error in T3DLut.SetLumaFromAlpha - Sizes mismatch");
    return;
  }
  for (int64_t i = 0; i < N; ++i) {
    const float Y = 0.3f * R[i] + 0.5f * G[i] + 0.2f * B[i];
    if (!(Y > 0)) continue;
    const float K = Source.A[i] / Y;
    R[i] = std::min(R[i] * K, 1.0f);
    G[i] = std::min(G[i] * K, 1.0f);
    B[i] = std::min(B[i] * K, 1.0f);
  }
}

void T3DLut::SetAlphaOne() {
  const int64_t N = CubicNodeCount();
  if (N > 0) std::fill_n(A, N, 1.0f);
}

void T3DLut::SetAlphaProtectNeutrals() {
  const int64_t N = CubicNodeCount();
  for (int64_t i = 0; i < N; ++i) {
    const float U = -0.14713f * R[i] - 0.28886f * G[i] + 0.436f * B[i];
    const float V = 0.615f * R[i] - 0.51499f * G[i] - 0.10001f * B[i];
    A[i] = 2.25f * std::fabs(U) + 1.6f * std::fabs(V);
  }
}

void T3DLut::SetAlphaProtectBlacks() {
  const int64_t N = CubicNodeCount();
  for (int64_t i = 0; i < N; ++i) {
    const float Y = (3 * R[i] + 5 * G[i] + B[i]) / 9;
    if (Y < 0.5f)
      A[i] *= static_cast<float>(0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(Y)));
  }
}

void T3DLut::AddAlpha(float Value) {
  const int64_t N = CubicNodeCount();
  for (int64_t i = 0; i < N; ++i) A[i] += Value;
}

void T3DLut::ScaleAlpha(float Factor) {
  const int64_t N = CubicNodeCount();
  for (int64_t i = 0; i < N; ++i) A[i] *= Factor;
}

void T3DLut::ClampAlpha() {
  const int64_t N = CubicNodeCount();
  for (int64_t i = 0; i < N; ++i) A[i] = Clamp01(A[i]);
}

void T3DLut::AlphaToRGB() {
  const int64_t N = CubicNodeCount();
  for (int64_t i = 0; i < N; ++i) R[i] = G[i] = B[i] = A[i];
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
    case 0: Lut.Smooth(Amount); return true;
    case 1: Lut.SmoothTensions(Amount); return true;
    case 2: Lut.SmoothNoise(Amount); return true;
    case 3: Lut.SmoothMidtones(Amount); return true;
    case 4: Lut.SmoothLuminance(Amount); return true;
    case 5: Lut.SmoothNeutralToSaturated(Amount); return true;
    case 6: Lut.SmoothHueLumSXY(Amount); return true;
    case 7: Lut.SmoothHueLumHSL(Amount); return true;
    default: return false;
  }
}

bool RunProtectedSmoothing(T3DLut& Work, const T3DLut& Original, int32_t Method,
                           int32_t Iterations, bool ProtectNeutrals, bool ProtectBlacks) {
  if (Method < 0 || Method >= SmoothingMethodCount || &Work == &Original) return false;
  if (Original.NonCubic || LevelNodes(Original) == 0 || !Work.CopyFrom(Original)) return false;
  for (int Pass = 0; Pass < 3; ++Pass) {
    Work.SmoothChannel(Work.R, 0.1f);
    Work.SmoothChannel(Work.G, 0.1f);
    Work.SmoothChannel(Work.B, 0.1f);
  }
  if (ProtectNeutrals) {
    Work.SetAlphaProtectNeutrals();
    Work.AddAlpha(-0.08f);
    Work.ScaleAlpha(5);
    Work.ClampAlpha();
  } else {
    Work.SetAlphaOne();
  }
  if (ProtectBlacks) Work.SetAlphaProtectBlacks();
  Work.CopyRGBFrom(Original);
  const float Amount = SmoothingMethodAmount(Method, Iterations);
  for (int32_t n = 0; n < Iterations; ++n) {
    ApplySmoothingMethod(Work, Method, Amount);
    if (ProtectNeutrals || ProtectBlacks) Work.CopyMaskedFrom(Original);
  }
  return true;
}

}  // namespace kromel
