#include "params/lut_curves.h"

#include <cmath>
#include <exception>
#include <memory>

#include "lut/lut_lookup.h"
#include "foundation/error_sink.h"

namespace kromel {

namespace {

constexpr float CurveXScale = 16384.0f;
constexpr float CurveYToUnit = 32768.0f;

// A cubic LUT of Size >= 2 whose planes hold Size^3 nodes.
bool Usable(const T3DLut& Lut) {
  const int64_t N = Lut.Size;
  return Lut.HasPlanes() && !Lut.NonCubic && N >= 2 && N * N * N <= Lut.Count;
}

bool SizesMatch(const T3DLut& Lut, const T3DLut& Dst) {
  if (Lut.Size != Dst.Size) {
    ErrorMessageProc("ProcessLUTApplyCurve error: Sizes differ");
    return false;
  }
  return Usable(Lut) && Usable(Dst);
}

size_t NodeCount(const T3DLut& Lut) {
  const size_t N = static_cast<size_t>(Lut.Size);
  return N * N * N;
}

// A curve coordinate from a real value: rounded (halves to even), NaN as 0,
// kept inside the Int32 range (AddDot clamps it further).
int32_t CurveCoordinate(double V) {
  if (std::isnan(V)) return 0;
  V = std::nearbyint(V);
  if (V > 2147483647.0) return 2147483647;
  if (V < -2147483648.0) return -2147483647 - 1;
  return static_cast<int32_t>(V);
}

// An inverse of Source: its dots with X and Y swapped.
std::unique_ptr<TEnvelopeDots> InverseCopy(const TEnvelopeDots& Source, bool Monotonise) {
  auto Copy = std::make_unique<TEnvelopeDots>();
  Copy->Smooth = Source.Smooth;
  Copy->Attenuation = Source.Attenuation;
  Copy->CopyFrom(&Source);
  Copy->Transpose();
  if (Monotonise) Copy->MakeMonotonous();
  return Copy;
}

inline float Through(const TEnvelopeDots& Curve, float V) {
  return Curve.GetValueS(CurveXScale * V) / CurveYToUnit;
}

}  // namespace

bool ExtractCurvesFromLUT(const T3DLut& Lut, TEnvelopeDots& R, TEnvelopeDots& G,
                          TEnvelopeDots& B, bool Relative) {
  if (!Usable(Lut)) return false;
  try {
    R.Clear();
    G.Clear();
    B.Clear();
    const int32_t N = Lut.Size;
    const int32_t Step = N < 127 ? 1 : 2;
    TEnvelopeDots* Curves[3] = {&R, &G, &B};
    for (int32_t t = 0; t < N; ++t) {
      if (t % Step != 0 && t != N - 1) continue;
      const size_t I =
          static_cast<size_t>(t) * (1 + static_cast<size_t>(N) + static_cast<size_t>(N) * N);
      const float Out[3] = {Lut.R[I], Lut.G[I], Lut.B[I]};
      const double X = Relative ? 16384.0 * ((double(Out[0]) + Out[1] + Out[2]) / 3)
                                : 16384.0 * t / (N - 1);
      for (int C = 0; C < 3; ++C)
        Curves[C]->AddDot(CurveCoordinate(X), CurveCoordinate(32767.0 * Out[C]), 100);
    }
    for (TEnvelopeDots* Curve : Curves) Curve->TrimClippedEnds();
    return true;
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in ExtractCurvesFromLUT");
    return false;
  }
}

bool ProcessLUTRemoveCurveOnOutput(const T3DLut& Lut, T3DLut& Dst, const TEnvelopeDots& R,
                                   const TEnvelopeDots& G, const TEnvelopeDots& B) {
  std::unique_ptr<TEnvelopeDots> IR, IG, IB;
  try {
    if (!SizesMatch(Lut, Dst)) return false;
    IR = InverseCopy(R, true);
    IG = InverseCopy(G, true);
    IB = InverseCopy(B, true);
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in ProcessLUTRemoveCurveOnOutput Transpose");
    return false;
  }
  try {
    const size_t Count = NodeCount(Lut);
    for (size_t I = 0; I < Count; ++I) {
      const float NR = Through(*IR, Lut.R[I]);
      const float NG = Through(*IG, Lut.G[I]);
      const float NB = Through(*IB, Lut.B[I]);
      Dst.R[I] = NR;
      Dst.G[I] = NG;
      Dst.B[I] = NB;
    }
    return true;
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in ProcessLUTRemoveCurveOnOutput");
    return false;
  }
}

bool ProcessLUTRemoveCurveOnInput(const T3DLut& Lut, T3DLut& Dst, const TEnvelopeDots& R,
                                  const TEnvelopeDots& G, const TEnvelopeDots& B) {
  try {
    if (!SizesMatch(Lut, Dst)) return false;
    // In place: look up in a copy of the planes as they were.
    std::unique_ptr<T3DLut> Copy;
    const T3DLut* Source = &Lut;
    if (&Lut == &Dst) {
      Copy = std::make_unique<T3DLut>();
      if (!Copy->CopyFrom(Lut)) {
        ErrorMessageProc("Exception in ProcessLUTRemoveCurveOnOutput");
        return false;
      }
      Source = Copy.get();
    }
    const auto IR = InverseCopy(R, false);
    const auto IG = InverseCopy(G, false);
    const auto IB = InverseCopy(B, false);
    const int32_t N = Lut.Size;
    const float s = 1.0f / static_cast<float>(N - 1);
    size_t I = 0;
    for (int32_t b = 0; b < N; ++b)
      for (int32_t g = 0; g < N; ++g)
        for (int32_t r = 0; r < N; ++r, ++I) {
          float CR = Through(*IR, static_cast<float>(r) * s);
          float CG = Through(*IG, static_cast<float>(g) * s);
          float CB = Through(*IB, static_cast<float>(b) * s);
          ProcessColorTetrahedralSingle(*Source, CR, CG, CB);
          Dst.R[I] = CR;
          Dst.G[I] = CG;
          Dst.B[I] = CB;
        }
    return true;
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in ProcessLUTRemoveCurveOnOutput");
    return false;
  }
}

bool ProcessLUTApplyCurve(const T3DLut& Lut, T3DLut& Dst, const TEnvelopeDots& Curve) {
  try {
    if (!SizesMatch(Lut, Dst)) return false;
    const size_t Count = NodeCount(Lut);
    for (size_t I = 0; I < Count; ++I) {
      Dst.R[I] = Through(Curve, Lut.R[I]);
      Dst.G[I] = Through(Curve, Lut.G[I]);
      Dst.B[I] = Through(Curve, Lut.B[I]);
    }
    return true;
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in ProcessLUTByCurve");
    return false;
  }
}

bool ProcessLUTGammaToLinear(const T3DLut& Lut, T3DLut& Dst, TImageProfile Profile, float Gamma) {
  try {
    if (!SizesMatch(Lut, Dst)) return false;
    const size_t Count = NodeCount(Lut);
    for (size_t I = 0; I < Count; ++I) {
      Dst.R[I] = GammaToLinearByProfileCustom(Profile, Lut.R[I], Gamma);
      Dst.G[I] = GammaToLinearByProfileCustom(Profile, Lut.G[I], Gamma);
      Dst.B[I] = GammaToLinearByProfileCustom(Profile, Lut.B[I], Gamma);
    }
    return true;
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in ProcessLUTGammaToLinear");
    return false;
  }
}

}  // namespace kromel
