#include "controls/scroll_bar_controls.h"

#include <algorithm>
#include <cmath>

#include "foundation/number_format.h"

namespace kromel {

// ---------------------------------------------------------------------------
// TScrollBarControl

TScrollBarControl::TScrollBarControl(std::string Name, std::string Caption)
    : TController(std::move(Name), std::move(Caption)) {}

void TScrollBarControl::SetPosition(int32_t Value) {
  Value = std::clamp(Value, Min, std::max(Min, Max));
  if (Value == Position) return;
  Position = Value;
  WriteParameterSingle(GetControllerValueS());
  if (!Loading && OnChange) OnChange(this);
}

void TScrollBarControl::SetPositionSilent(int32_t Value) {
  Position = std::clamp(Value, Min, std::max(Min, Max));
}

void TScrollBarControl::SetMin(int32_t Value) {
  Min = Value;
  if (Max < Value) SetMax(Value);
  if (Position < Min) SetPosition(Min);
}

void TScrollBarControl::SetMax(int32_t Value) {
  Max = Value;
  if (Value < Min) SetMin(Value);
  if (Position > Max) SetPosition(Max);
}

float TScrollBarControl::GetControllerValueS() {
  if (Min == Max) return 0;
  const float V = static_cast<float>(Position - Min) / static_cast<float>(Max - Min);
  return Reverse ? 1.0f - V : V;
}

bool TScrollBarControl::PositionOfS(float X, int32_t& P) const {
  const float Y = Reverse ? 1.0f - X : X;
  const float T = static_cast<float>(Max - Min) * Y + 0.5f;
  if (std::isnan(T)) return false;
  // Out-of-range values end at the ends, as SetPosition limits them.
  const float Span = static_cast<float>(Max - Min) + 1.0f;
  P = Min + static_cast<int32_t>(std::clamp(T, 0.0f, Span));
  return true;
}

void TScrollBarControl::SetSPosition(float X) {
  int32_t P = 0;
  if (!GetIsolate() && PositionOfS(X, P)) SetPosition(P);
}

void TScrollBarControl::SetSPositionSilent(float X) {
  int32_t P = 0;
  if (!GetIsolate() && PositionOfS(X, P)) SetPositionSilent(P);
}

void TScrollBarControl::SetControllerValueS(float X) {
  if (ParameterLock > 0) return;
  if (!GetIsolate()) SetSPosition(X);
  if (OnChange) OnChange(this);
}

void TScrollBarControl::SetControllerValueSSilent(float X) {
  if (!GetIsolate()) SetSPositionSilent(X);
}

// ---------------------------------------------------------------------------
// TCaptionedScrollBarControl

TCaptionedScrollBarControl::TCaptionedScrollBarControl(std::string Name, std::string Caption)
    : TController(std::move(Name), std::move(Caption)) {
  ScrollBar.OnChange = [this](void*) { ScrollBarChange(); };
}

TCaptionedScrollBarControl::~TCaptionedScrollBarControl() { ScrollBar.OnChange = nullptr; }

void TCaptionedScrollBarControl::ScrollBarChange() {
  if (LockCount > 0) return;
  ++LockCount;
  SetControllerValueS(GetSPosition());
  if (OnChange) OnChange(this);
  --LockCount;
  ValueChanged = true;
}

std::string TCaptionedScrollBarControl::FormatScaledValue() const {
  const int32_t V = GetValue();
  const float S = ValueScale;
  if (S >= 1) return std::to_string(V);
  const float X = static_cast<float>(V) * S;
  if (S >= 0.1f) return FloatToStrD1(X);
  if (S >= 0.00999f) return FloatToStrD2(X);
  return FloatToStrD4(X);
}

void TCaptionedScrollBarControl::SetDefaultValue(int32_t Value) {
  DefaultValue = Value;
  ScrollBar.SetDefaultValue(Value);
}

void TCaptionedScrollBarControl::SetDefaultValue2(int32_t Value) {
  TController::SetDefaultValue2(Value);
  ScrollBar.SetDefaultValue2(Value);
}

void TCaptionedScrollBarControl::SetControllerValue(int32_t Value) {
  ScrollBar.SetControllerValue(Value);
  TController::SetControllerValue(Value);
}

void TCaptionedScrollBarControl::SetControllerValueS(float X) {
  TController::SetControllerValueS(X);
  ScrollBar.SetControllerValueS(X);
}

}  // namespace kromel
