#include "engine/ab_grid_maths.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "colour/colour_models.h"
#include "foundation/error_sink.h"
#include "foundation/number_format.h"
#include "lut/lut_lookup.h"

namespace kromel {

float ABHighlightExponent(float HSThreshold) { return std::pow(4.0f, 2 * HSThreshold - 1); }

float ABHighlightWeight(float L, float Exponent) {
  const float T = std::pow(std::max(L, 0.0f) / 100, Exponent);
  constexpr float Pi = std::numbers::pi_v<float>;
  return 0.5f + 0.5f * std::sin(-std::cos(Pi * T) * Pi / 2);
}

float LumaModeLightness(int32_t Mode, float L, float D) {
  switch (Mode) {
    case 0: {
      float Out;
      if (D <= 0)
        Out = (100 - L * L * L / 10000) * D + 100 - (1 + D) * (100 - L);
      else
        Out = D * ((L - 100) * (L - 100) * (L - 100) / 10000 + 100) + (1 - D) * L;
      return std::max(Out, 0.0f);
    }
    case 1:
      return std::clamp(L * std::pow(2.0f, D / 1.5f), 0.0f, 100.0f);
    case 2:
      return std::max(L + 20 * D, 0.0f);
    case 3:
      if (D < 0 && L > 100 + 100 * D) L = (L + 100 + 100 * D) / 2;
      if (D > 0 && 100 * D > L) L = (L + 100 * D) / 2;
      return L;
    default:
      return L;
  }
}

float LumaModeCalcBrightness(float SrcL, float DestL) {
  if (SrcL < DestL) {
    const float K = (SrcL - 100) * (SrcL - 100) * (SrcL - 100) / 10000 + 100;
    return std::fabs(K - SrcL) <= 0.000001f ? 0 : (DestL - SrcL) / (K - SrcL);
  }
  const float K = 100 - SrcL * SrcL * SrcL / 10000;
  const float Span = SrcL - 100 + K;
  return std::fabs(Span) <= 0.000001f ? 0 : (DestL - SrcL) / Span;
}

float CalcGammaToChange(float SrcL, float DestL) {
  if (std::isnan(SrcL) || std::isnan(DestL)) {
    ErrorMessageProc("Exception in CalcGammaToChange, SrcL=" + FloatToStrD4(SrcL) +
                     " DestL=" + FloatToStrD4(DestL));
    return 1;
  }
  if (SrcL <= 0 || DestL <= 0 || DestL >= 1 || SrcL >= 1) return 1;
  return std::log(DestL) / std::log(SrcL);
}

namespace {

struct TBand {
  int32_t Low, High;
};

int32_t RoundHalfEven(float X) { return static_cast<int32_t>(std::nearbyint(X)); }

// Pass 0 of two is the shadows grid, pass 1 the highlights grid.
TBand FitBand(int32_t GridCount, int32_t Pass, float Threshold) {
  TBand Band{10, 90};
  if (GridCount == 2) {
    if (Pass == 0)
      Band = {15, std::max(15, RoundHalfEven(85 * Threshold + 15) - 5)};
    else
      Band = {std::min(RoundHalfEven(85 * Threshold + 15 + 5), 85), 85};
  }
  if (Band.Low >= Band.High) Band.Low = Band.High - 1;
  return Band;
}

void FitGrid(const T3DLut& LUT, T2DEnvelopeDots& Grid, TBand Band, float HueTwist) {
  const size_t Cols = std::min(Grid.Dots.size(), Grid.DefaultDots.size());
  for (size_t Col = 0; Col < Cols; ++Col)
    for (size_t Row = 0; Row < std::min(Grid.Dots[Col].size(), Grid.DefaultDots[Col].size());
         ++Row) {
      TDotPoint& Dot = Grid.Dots[Col][Row];
      const TDotPoint& Default = Grid.DefaultDots[Col][Row];
      const float A0 = static_cast<float>(Default.X) / 10;
      const float B0 = static_cast<float>(Default.Y) / 10;
      double SumX = 0, SumY = 0, SumZ = 0, Total = 0;
      int32_t Used = 0;
      for (int32_t L = Band.Low; L <= Band.High + 1; ++L) {
        float R, G, B, Weight;
        float Level = static_cast<float>(L);
        if (L <= Band.High) {
          ColorModeltoRGBContrast(Level, A0, B0, HueTwist, R, G, B);
          float L1, A1, B1;
          RGBtoColorModelContrast(R, G, B, HueTwist, L1, A1, B1);
          if (std::fabs(L1 - Level) + std::fabs(A1 - A0) + std::fabs(B1 - B0) > 2) continue;
          Weight = GetAlphaTrilinear(LUT, R, G, B);
        } else {
          if (Used > 0) break;
          Level = static_cast<float>((Band.Low + Band.High) / 2);
          ColorModeltoRGBContrast(Level, A0, B0, HueTwist, R, G, B);
          Weight = 1;
        }
        ProcessColorTetrahedralSingle(LUT, R, G, B);
        float L2, A2, B2;
        RGBtoColorModelContrast(R, G, B, HueTwist, L2, A2, B2);
        SumX += Weight * 10.0 * A2;
        SumY += Weight * 10.0 * B2;
        SumZ += Weight * 100.0 * LumaModeCalcBrightness(Level, L2);
        Total += Weight;
        ++Used;
      }
      // Levels that all weigh nothing give no position: keep the default.
      if (Total > 0 && std::isfinite(SumX) && std::isfinite(SumY) && std::isfinite(SumZ)) {
        Dot.X = RoundHalfEven(static_cast<float>(SumX / Total));
        Dot.Y = RoundHalfEven(static_cast<float>(SumY / Total));
        Dot.Z = RoundHalfEven(static_cast<float>(SumZ / Total));
        Dot.Pinned = true;
      } else {
        Dot.X = Default.X;
        Dot.Y = Default.Y;
        Dot.Z = Default.Z;
        Dot.Pinned = false;
      }
    }
}

}  // namespace

void FitABGridToLUT(const T3DLut& LUT, T2DEnvelopeDots& Grid1, T2DEnvelopeDots* Grid2,
                    int32_t GridCount, float Threshold, float HueTwist) {
  if (GridCount == 2) {
    if (Grid2 != nullptr) FitGrid(LUT, *Grid2, FitBand(2, 0, Threshold), HueTwist);
    FitGrid(LUT, Grid1, FitBand(2, 1, Threshold), HueTwist);
  } else {
    FitGrid(LUT, Grid1, FitBand(1, 0, Threshold), HueTwist);
  }
}

}  // namespace kromel
