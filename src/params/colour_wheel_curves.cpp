#include "params/colour_wheel_curves.h"

#include <algorithm>
#include <cmath>

#include "params/envelope_math.h"

namespace kromel {

void LiftGammaGainToCurves(const TLiftGammaGain& Values, TEnvelopeDots& Red, TEnvelopeDots& Green,
                           TEnvelopeDots& Blue) {
  TEnvelopeDots* Curves[3] = {&Red, &Green, &Blue};
  for (int32_t C = 0; C < 3; ++C) {
    TEnvelopeDots& Curve = *Curves[C];
    Curve.ResetDiagonal(6);
    const float Lift = Values.Lift[C], Gain = Values.Gain[C];
    float Lo = 0, Hi = 1;
    if (Gain > 0.01f) {
      Lo = std::max(0.0f, -Lift / Gain);
      Hi = std::min(1.0f, (1 - Lift) / Gain);
    }
    for (int32_t I = 0; I <= 5; ++I) {
      const float X = Lo + (Hi - Lo) * static_cast<float>(I) / 5.0f;
      const int32_t DotX = RoundToInt32(16384.0f * X);
      const float Out = LiftGammaGainValue(Values, C, static_cast<float>(DotX) / 16384.0f);
      Curve.Dot(I).X = DotX;
      Curve.Dot(I).Y = RoundToInt32(32768.0f * Out);
    }
    Curve.CalcSpline();
  }
}

void RangedWheelsToCurves(const TRangedWheelSet& Set, TEnvelopeDots& Red, TEnvelopeDots& Green,
                          TEnvelopeDots& Blue) {
  TEnvelopeDots* Curves[3] = {&Red, &Green, &Blue};
  const float Shadows[3] = {Set.Shadows.R, Set.Shadows.G, Set.Shadows.B};
  const float Midtones[3] = {Set.Midtones.R, Set.Midtones.G, Set.Midtones.B};
  const float Highlights[3] = {Set.Highlights.R, Set.Highlights.G, Set.Highlights.B};
  for (int32_t C = 0; C < 3; ++C) {
    TEnvelopeDots& Curve = *Curves[C];
    Curve.ResetDiagonal(11);
    for (int32_t I = 0; I <= 10; ++I) {
      const int32_t DotX = RoundToInt32(16384.0f * static_cast<float>(I) / 10.0f);
      const float X = static_cast<float>(DotX) / 16384.0f;
      const float V = FiveKnotSpline(X, -0.00001f, Set.K1, Set.K2, Set.K3, 1.0001f, X,
                                     X + 0.2f * Shadows[C], X + 0.2f * Midtones[C],
                                     X + 0.2f * Highlights[C], X);
      Curve.Dot(I).X = DotX;
      Curve.Dot(I).Y = RoundToInt32(32768.0f * V);
    }
    Curve.CalcSpline();
  }
}

}  // namespace kromel
