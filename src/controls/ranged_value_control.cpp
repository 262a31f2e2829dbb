#include "controls/ranged_value_control.h"

#include <algorithm>
#include <cmath>

namespace kromel {

namespace {

// Lo + nearest(float(Hi - Lo) * X), the product in single precision.
int32_t ScaleToRange(int32_t Lo, int32_t Hi, float X) {
  const float T = std::nearbyint(static_cast<float>(static_cast<int64_t>(Hi) - Lo) * X);
  return static_cast<int32_t>(std::clamp<int64_t>(static_cast<int64_t>(Lo) + static_cast<int64_t>(T),
                                                  std::min(Lo, Hi), std::max(Lo, Hi)));
}

}  // namespace

void TRangedValueControl::SetValue(int32_t V) {
  if (Min == Max) return;
  V = std::clamp(V, std::min(Min, Max), std::max(Min, Max));
  if (V == Value) return;
  ValueChanged = true;
  Value = V;
  Invalidated();
  if (OnChange) OnChange(this);
}

void TRangedValueControl::SetMin(int32_t V) {
  Min = V;
  if (Max < Min) SetMax(Min);
  SetValue(Value);
}

void TRangedValueControl::SetMax(int32_t V) {
  const float N = GetNormalizedValue();
  Max = V;
  if (Max < Min) SetMin(Max);
  SetNormalizedValue(N);
  if (OnInvalidate) OnInvalidate(this);
}

float TRangedValueControl::GetNormalizedValue() const {
  if (Min == Max) return 0;
  return static_cast<float>(static_cast<double>(static_cast<int64_t>(Value) - Min) /
                            static_cast<double>(static_cast<int64_t>(Max) - Min));
}

void TRangedValueControl::SetNormalizedValue(float X) {
  if (Min == Max || std::isnan(X)) return;
  SetValue(ScaleToRange(Min, Max, std::clamp(X, 0.0f, 1.0f)));
}

void TRangedValueControl::SetNormalizedValueSilent(float X) {
  if (Min == Max || std::isnan(X)) return;
  const int32_t V = ScaleToRange(Min, Max, std::clamp(X, 0.0f, 1.0f));
  if (V == Value) return;
  Value = V;
  Invalidated();
}

int32_t TRangedValueControl::GetControllerValue() {
  return static_cast<int32_t>(std::nearbyint(GetNormalizedValue() * 32768.0f));
}

void TRangedValueControl::SetControllerValue(int32_t V) {
  SetNormalizedValue(static_cast<float>(V) / 32768.0f);
}

void TRangedValueControl::SetControllerValueS(float X) {
  if (X != GetNormalizedValue()) SetNormalizedValue(X);
}

void TRangedValueControl::SetControllerValueSSilent(float X) {
  if (X != GetNormalizedValue()) SetNormalizedValueSilent(X);
}

void TRangedValueControl::ReportValue() {
  if (OnControllerChange)
    OnControllerChange(this, GetControllerNumber(), static_cast<float>(GetControllerValue()));
}

}  // namespace kromel
