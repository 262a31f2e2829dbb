#include "session/harmony_page.h"

#include <algorithm>
#include <cmath>

#include "colour/rgb_lab_xyz.h"
#include "lut/lut_smooth.h"
#include "lut/lut.h"
#include "lut/lut_apply.h"
#include "session/session_core.h"

namespace kromel {

namespace {

constexpr float Pi = 3.14159265358979f;

struct TLab {
  int32_t L, A, B;
};

TLab LabOf(TColor Color) {
  const uint32_t P = RGBtoLABColor(Color);
  return {int32_t(P & 0xFF), int32_t((P >> 8) & 0xFF), int32_t((P >> 16) & 0xFF)};
}

// The per-pair amounts the knobs give.
struct TPairAmounts {
  TLab S, T;
  int32_t ChromaWeight, ChromaRadius, Keep, LumRange;
};

struct TRgb {
  float R = 0, G = 0, B = 0;
};

}  // namespace

float HarmonyWeight(float X) {
  if (!(X > -1 && X < 1)) return 0;
  const float V = 1.3f * (0.5f + 0.5f * std::cos(2 * Pi * X * std::cos(Pi * X * X / 3)));
  return V < 1 ? V : 1;
}

bool CalcLutHarmony(const THarmonySettings& S, int32_t Index, T3DLut& Lut) {
  const int32_t N = Lut.Size;
  if (Lut.R == nullptr || N < 2) return false;
  std::array<TPairAmounts, 5> P{};
  for (size_t k = 0; k < 5; ++k) {
    const THarmonyPair& H = S.Pairs[k];
    TPairAmounts& A = P[k];
    A.S = LabOf(H.Source);
    A.T = LabOf(H.Target);
    A.ChromaWeight = int32_t(std::nearbyint(std::pow(2.0f, -float(H.Priority) / 10) * 50));
    A.ChromaRadius = int32_t(std::nearbyint(float(H.Priority + 100) / 200 * 100)) + 2;
    A.Keep = H.Variation + 100;
    if (A.Keep > 100) A.Keep = (A.Keep - 100) * 3 + 100;
    A.LumRange = S.Total ? 1000 / (H.LumRange + 2) : H.LumRange * 3 + 2;
  }
  const float Limit = float(S.VariationLimit);
  const float Lum = float(S.Luminosity);
  auto Transfer = [&](size_t k, const TLab& C) {
    const TPairAmounts& A = P[k];
    const float Ratio = float(A.T.L + 1) / float(A.S.L + 1);
    const float Scale = (255 - Lum + Lum * Ratio) / 255;
    const float DA = std::clamp(float(C.A - A.S.A) * float(A.Keep) / 100, -Limit, Limit);
    const float DB = std::clamp(float(C.B - A.S.B) * float(A.Keep) / 100, -Limit, Limit);
    TRgb Out;
    LABtoRGBSingle(float(C.L) * 100 / 255 * Scale, (float(A.T.A) + DA - 128) * 100 / 128,
                   (float(A.T.B) + DB - 128) * 100 / 128, Out.R, Out.G, Out.B);
    return Out;
  };
  for (int32_t b = 0; b < N; ++b)
    for (int32_t g = 0; g < N; ++g)
      for (int32_t r = 0; r < N; ++r) {
        const TColor Node = TColor(r * 255 / (N - 1)) | TColor(g * 255 / (N - 1)) << 8 |
                            TColor(b * 255 / (N - 1)) << 16;
        const TLab C = LabOf(Node);
        const TRgb Identity{float(r) / float(N - 1), float(g) / float(N - 1), float(b) / float(N - 1)};
        TRgb Out = Identity;
        if (S.Total) {
          int32_t Best = -1;
          int64_t BestD = 0;
          for (size_t k = 0; k < 5; ++k) {
            if (!S.Pairs[k].TargetVisible) continue;
            const TPairAmounts& A = P[k];
            const int64_t DA = C.A - A.S.A, DB = C.B - A.S.B, DL = C.L - A.S.L;
            const int64_t D = A.ChromaWeight * (DA * DA + DB * DB) + A.LumRange * DL * DL;
            if (Best < 0 || D < BestD) {
              Best = int32_t(k);
              BestD = D;
            }
          }
          if (Best >= 0) Out = Index >= 0 && Best != Index ? TRgb{} : Transfer(size_t(Best), C);
        } else {
          TRgb Sum;
          float W = 0;
          for (size_t k = 0; k < 5; ++k) {
            if (!S.Pairs[k].TargetVisible || (Index >= 0 && int32_t(k) != Index)) continue;
            const TPairAmounts& A = P[k];
            const float DA = float(C.A - A.S.A), DB = float(C.B - A.S.B);
            const float WC = HarmonyWeight(std::sqrt(DA * DA + DB * DB) / float(A.ChromaRadius));
            const float WL = HarmonyWeight(float(C.L - A.S.L) / float(A.LumRange));
            const float Wk = WC * WL;
            if (Wk <= 0) continue;
            W += Wk;
            if (Index >= 0) continue;  // a preview shows the weight only
            const TRgb T = Transfer(k, C);
            Sum.R += Wk * T.R;
            Sum.G += Wk * T.G;
            Sum.B += Wk * T.B;
          }
          if (Index >= 0)
            Out = {W * Identity.R, W * Identity.G, W * Identity.B};
          else if (W > 1)
            Out = {Sum.R / W, Sum.G / W, Sum.B / W};
          else if (W > 0.0001f)
            Out = {(1 - W) * Identity.R + Sum.R, (1 - W) * Identity.G + Sum.G, (1 - W) * Identity.B + Sum.B};
        }
        const int64_t At = r + int64_t(N) * (g + int64_t(N) * b);
        Lut.R[At] = Out.R;
        Lut.G[At] = Out.G;
        Lut.B[At] = Out.B;
      }
  if (Index < 0) {
    static constexpr int32_t Rounds[] = {0, 1, 5, 10, 25};
    const int32_t Times = S.SmoothItem >= 0 && S.SmoothItem < 5 ? Rounds[S.SmoothItem] : 0;
    for (int32_t I = 0; I < Times; ++I) Smooth(Lut, 1);
  }
  return true;
}

bool HarmonyMaskPreview(const TKromelSession& Session, const THarmonySettings& Settings, int32_t Index,
                        TImage32& Out) {
  const TImageVBPP& Source = Session.SourceImage();
  const int32_t W = Source.GetWidth(), H = Source.GetHeight();
  if (W <= 0 || H <= 0) return false;
  // A LUT of its own: the graded result stays in the main LUT.
  T3DLut Harmony;
  if (!Harmony.SetSize(std::max(2, Session.LutSize())) || !CalcLutHarmony(Settings, Index, Harmony))
    return false;
  Out.SetSize(W, H);
  ProcessImageVBPP(Harmony, Source, Out, true, false);
  return true;
}

}  // namespace kromel
