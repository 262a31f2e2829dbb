#include "analysis/hue_distribution.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "analysis/analysis_rounding.h"
#include "colour/colour_models.h"
#include "foundation/messages.h"
#include "foundation/numeric.h"

namespace kromel {

namespace {

constexpr double TwoPi = 2 * std::numbers::pi;

bool Holds(const TSample32& S, int64_t N) { return S.Data != nullptr && S.Count >= N; }

int64_t RoundIndex(double X) { return RoundToInt64Saturated(X); }

// Folds the plane's densities into the hue bins; Light (may be null) gains
// each cell's extra value (its mean lightness) by weight.
template <class TPlane>
void FoldPlane(const TPlane& Plane, TSample32& Hue, TSample32& Sat, TSample32* Light) {
  const int64_t N = Hue.Data != nullptr ? Hue.Count : 0;
  if (N <= 0 || !Holds(Sat, N) || (Light != nullptr && !Holds(*Light, N))) return;
  for (TSample32* S : {&Hue, &Sat, Light})
    if (S != nullptr) std::fill_n(S->Data, N, 0.0f);
  if (!HasArea(Plane)) return;
  const int32_t W = Plane.Width, H = Plane.Height;
  const double CX = W / 2.0, CY = H / 2.0;
  auto Radius = [&](int32_t X, int32_t Y) { return std::hypot(X - CX, Y - CY); };
  double SumAR = 0, S = 0;
  for (int32_t X = 0; X < W; ++X)
    for (int32_t Y = 0; Y < H; ++Y) {
      const double A = Plane.Pixels[int64_t(Y) * W + X].A;
      const double R = Radius(X, Y);
      if (A > 0 && R > 2) {
        SumAR += A * R;
        S += A;
      }
    }
  const double Limit = std::max(S > 0 ? 0.1 * SumAR / S : 0.0, 2.0);
  std::vector<double> Count(size_t(N), 0.0);
  for (int32_t X = 0; X < W; ++X)
    for (int32_t Y = 0; Y < H; ++Y) {
      const auto& P = Plane.Pixels[int64_t(Y) * W + X];
      if (P.A == 0) continue;
      const double A = P.A;
      const double RR = Radius(X, Y) / CX * 100;
      if (!(RR > Limit)) continue;
      int64_t Bin = RoundIndex(std::atan2(X - CX, -(Y - CY)) / TwoPi * double(N));
      if (Bin < 0) Bin += N;
      if (Bin >= N) Bin -= N;
      if (Bin < 0 || Bin >= N) continue;
      const int64_t K = RoundIndex(RR * 8 / CX);
      Hue.Data[Bin] += float(double(K + 1) * A);
      Sat.Data[Bin] += float(A * RR);
      Count[size_t(Bin)] += A;
      if (Light != nullptr) {
        if constexpr (requires { P.Extra; }) Light->Data[Bin] += float(double(P.Extra) * A);
      }
    }
  for (int64_t I = 0; I < N; ++I) {
    if (!(Hue.Data[I] > 0)) continue;
    const double D = S / 100 + Count[size_t(I)];
    Sat.Data[I] = float(Sat.Data[I] / D);
    if (Light != nullptr) Light->Data[I] = float(Light->Data[I] / D);
  }
}

// One row per frequency step; L is the lightness at hue h (0..1).
template <class TLightness>
void PaintHuesScale(TImage32& Scale, const TSample32& Hue, const TSample32& Sat,
                    TLightness LightnessAt) {
  if (Scale.Size == 0 || Scale.Pixels == nullptr) {
    DebugShowMessage("Error in DrawHuesScale - ScaleImg is nil");
    return;
  }
  if (Hue.Count == 0 || Hue.Data == nullptr) {
    DebugShowMessage("Error in DrawHuesScale - HueValues is nil");
    return;
  }
  if (!HasArea(Scale)) return;
  TSample32 C;
  C.Init();
  if (!C.Alloc(Hue.Count)) return;
  C.Copy(Hue);
  C.Integrate();
  C.Normalize();
  const int64_t N = Hue.Count;
  const int64_t M = Sat.Data != nullptr ? Sat.Count : 0;
  const TVariableToRGBSingleProc Inverse = CurrentModelToRGB.load();
  const int64_t Rows = std::max(Scale.Height - 1, 1);
  for (int32_t Y = 0; Y < Scale.Height; ++Y) {
    const int64_t E = (N - 1) * Y / Rows;
    double H = C.InverseLookup(float(double(E) / double(N))) / double(N);
    if (H < 0) H += 1;
    if (H > 1) H -= 1;
    const float S =
        M > 0 ? Sat.Data[std::clamp<int64_t>(RoundIndex(double(M - 1) * H), 0, M - 1)] : 0.0f;
    const float A = float(std::sin(TwoPi * H) * S * 2);
    const float B = float(std::cos(TwoPi * H) * S * 2);
    float R = 0, G = 0, Bl = 0;
    Inverse(LightnessAt(float(double(std::max<int64_t>(M - 1, 0)) * H)), A, B, R, G, Bl);
    const uint32_t V = RoundByte(R, 255) * 65536 + RoundByte(G, 255) * 256 + RoundByte(Bl, 255);
    std::fill_n(Scale.Pixels + int64_t(Y) * Scale.Width, Scale.Width, TVPixel32{V});
  }
  C.Dispose();
}

}  // namespace

void CalcHueHistogramFromPlot(const TImage64& Plane, TSample32& HueHistogram,
                              TSample32& SaturationByHue) {
  FoldPlane(Plane, HueHistogram, SaturationByHue, nullptr);
}

void CalcHueDistributionForMatching(const TImage96& Plane, TSample32& HueHistogram,
                                    TSample32& SaturationByHue, TSample32& LightnessByHue) {
  FoldPlane(Plane, HueHistogram, SaturationByHue, &LightnessByHue);
  if (Holds(HueHistogram, 1) && Holds(SaturationByHue, HueHistogram.Count))
    InterpolateCircularGaps(SaturationByHue, HueHistogram);
}

void InterpolateCircularGaps(TSample32& Values, const TSample32& Weights) {
  const int64_t N = Values.Data != nullptr ? Values.Count : 0;
  if (N <= 0 || !Holds(Weights, N)) return;
  int64_t Last = -1;
  for (int64_t I = 0; I < N; ++I) {
    if (I <= Last) continue;
    if (Weights.Data[I] != 0) {
      Last = I;
      continue;
    }
    if (Last < 0) continue;
    int64_t J = 1;
    while (J <= N - 2 && !(Weights.Data[(Last + J) % N] > 0)) ++J;
    if (J > N - 2 || J < 2) continue;
    const float From = Values.Data[Last % N], To = Values.Data[(Last + J) % N];
    for (int64_t K = 1; K <= J - 1; ++K) {
      const float F = float(K) / float(J - 1);
      Values.Data[(Last + K) % N] = (1 - F) * From + F * To;
    }
    Last += J;
  }
}

void DrawHuesScale(TImage32& Scale, const TSample32& HueHistogram,
                   const TSample32& SaturationByHue, const TSample32& LightnessByHue) {
  PaintHuesScale(Scale, HueHistogram, SaturationByHue,
                 [&](float X) { return LightnessByHue.ValueAt(X); });
}

void DrawHuesScaleFixedLightness(TImage32& Scale, const TSample32& HueHistogram,
                                 const TSample32& SaturationByHue) {
  PaintHuesScale(Scale, HueHistogram, SaturationByHue, [](float) { return 40.0f; });
}

}  // namespace kromel
