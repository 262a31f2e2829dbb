#include "controls/knob.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kromel {

namespace {

// P - D / M to P + D / M (integer division).
void Grip(TKnobStroke& S, TPoint P, TPoint D, int32_t M, int32_t Color, TKnobPenMode Mode) {
  S.From = {P.X - D.X / M, P.Y - D.Y / M};
  S.To = {P.X + D.X / M, P.Y + D.Y / M};
  S.PenWidth = 2;
  S.Color = Color;
  S.Mode = Mode;
}

}  // namespace

TKnobControl::TKnobControl(std::string Name, std::string Caption)
    : TRangedValueControl(std::move(Name), std::move(Caption)) {}

void TKnobControl::Invalidated() {
  NeedsRedraw = true;
  if (OnInvalidate) OnInvalidate(this);
}

bool TKnobControl::MouseDown(TPressButton Button, TModifiers Shift, int32_t X, int32_t Y) {
  if (Button != TPressButton::Left) return false;
  if (CtrlHeld(Shift)) {
    SetValue(Value != DefaultValue ? DefaultValue : KnobDefaultValue2);
    return false;
  }
  bool ShowHint = false;
  if (Locked || HintShowOnPress) {
    ReportValue();
    if (OnChange) OnChange(this);
    ShowHint = true;
    if (Locked) return true;
  }
  Dragging = true;
  DragOrigin = -Y - static_cast<int32_t>(
                        std::nearbyint(GetNormalizedValue() * static_cast<float>(DragPixels)));
  ValueChanged = false;
  PressPoint = {X, Y};
  return ShowHint;
}

void TKnobControl::MouseMove(int32_t X, int32_t Y) {
  if (X == PressPoint.X && Y == PressPoint.Y) return;
  if (Dragging)
    SetNormalizedValue(static_cast<float>((-static_cast<double>(DragOrigin) - Y) / DragPixels));
}

void TKnobControl::MouseUp(TPressButton Button, int32_t X, int32_t Y) {
  (void)X;
  if (Button != TPressButton::Left) return;
  if (Dragging) {
    SetNormalizedValue(static_cast<float>((-static_cast<double>(DragOrigin) - Y) / DragPixels));
    Dragging = false;
  }
  if (ValueChanged) {
    ValueChanged = false;
    if (OnChangeEnd) OnChangeEnd(this);
    ReportValue();
  }
}

void TKnobControl::MouseWheel(int32_t Delta) {
  if (Delta > 0) SetNormalizedValue(GetNormalizedValue() + 0.005f);
  if (Delta < 0) SetNormalizedValue(GetNormalizedValue() - 0.005f);
}

bool TKnobControl::KeyDown(uint16_t Key) {
  if (Key == vkDown) {
    SetValue(Value > INT32_MIN ? Value - 1 : Value);
    return true;
  }
  if (Key == vkUp) {
    SetValue(Value < INT32_MAX ? Value + 1 : Value);
    return true;
  }
  return false;
}

double TKnobControl::PointerAngle() const {
  const double R = RangeAngle * std::numbers::pi / 180.0;
  return R * (GetNormalizedValue() - 0.5) + std::numbers::pi / 2;
}

TKnobStrokes TKnobControl::Strokes(int32_t W, int32_t H, bool Focused, bool Enabled) const {
  const TPoint C{W / 2, H / 2};
  const int32_t R1 = static_cast<int32_t>(static_cast<int64_t>(W) * 20 / 64);
  const int32_t R2 = static_cast<int32_t>(static_cast<int64_t>(W) * 190 / 64);
  const double A = PointerAngle();
  const TPoint D1{static_cast<int32_t>(std::nearbyint(std::cos(A) * R1)),
                  static_cast<int32_t>(std::nearbyint(std::sin(A) * R1))};
  const TPoint D2{static_cast<int32_t>(std::nearbyint(std::sin(A) * R2)),
                  static_cast<int32_t>(std::nearbyint(-std::cos(A) * R2))};
  // centre + K * D1 / 5 (integer division)
  auto Along = [&](int32_t K) { return TPoint{C.X + K * D1.X / 5, C.Y + K * D1.Y / 5}; };
  TKnobStrokes S{};
  const TPoint P0 = Along(-6), P1 = Along(-2);
  S[0] = {P0, P1, 4, 0x808080, TKnobPenMode::Copy};
  S[1] = {P0, P1, 2, Focused ? (FocusedColor ^ 0x202020) : Enabled ? 0xC0C0C0 : 0x9F9F9F,
          TKnobPenMode::Copy};
  S[2] = {P0, P1, 1, Focused ? FocusedColor : Enabled ? 0xFFFFFF : 0xAFAFAF, TKnobPenMode::Copy};
  Grip(S[3], C, D2, 10, 0xF5F5F5, TKnobPenMode::Mask);
  Grip(S[4], Along(2), D2, 11, 0xF5F5F5, TKnobPenMode::Mask);
  Grip(S[5], Along(4), D2, 20, 0xF5F5F5, TKnobPenMode::Mask);
  Grip(S[6], Along(1), D2, 10, 0x080808, TKnobPenMode::Merge);
  Grip(S[7], Along(3), D2, 15, 0x080808, TKnobPenMode::Merge);
  return S;
}

}  // namespace kromel
