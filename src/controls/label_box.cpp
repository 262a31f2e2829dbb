#include "controls/label_box.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "foundation/number_format.h"

namespace kromel {

namespace {

}  // namespace

TLabelBoxControl::TLabelBoxControl(std::string Name, std::string Caption)
    : TRangedValueControl(std::move(Name), std::move(Caption)) {}

double TLabelBoxControl::DragSpeed() const {
  return (FineDrag ? 10000.0 : 1000.0) * ChangeSpeed;
}

bool TLabelBoxControl::MouseDown(TPressButton Button, TModifiers Shift, int32_t X, int32_t Y) {
  if (Button == TPressButton::Right) {
    SetValue(DefaultValue);
    if (OnChangeEnd) OnChangeEnd(this);
    return false;
  }
  if (Button != TPressButton::Left) return false;
  bool ShowHint = false;
  if (Locked || HintShowOnPress) {
    ReportValue();
    if (OnChange) OnChange(this);
    ShowHint = true;
    if (Locked) return true;
  }
  if ((Shift & modDouble) != 0) return ShowHint;
  Dragging = true;
  Moved = false;
  FineDrag = (Shift & modShift) != 0;
  const float Travel = std::nearbyint(static_cast<float>(DragSpeed()) * GetNormalizedValue());
  const int32_t T = static_cast<int32_t>(Travel);
  switch (ChangeDirection) {
    case cdVertical: DragOrigin = -Y - T; break;
    case cdHorizontal: DragOrigin = X - T; break;
    case cdHorizontalInverted: DragOrigin = -X - T; break;
    case cdVerticalInverted: break;
  }
  ValueChanged = false;
  PressPoint = {X, Y};
  return ShowHint;
}

void TLabelBoxControl::DragTo(int32_t X, int32_t Y) {
  const double Speed = DragSpeed();
  switch (ChangeDirection) {
    case cdVertical:
      if (Y != PressPoint.Y) Moved = true;
      SetNormalizedValue(static_cast<float>((-static_cast<double>(DragOrigin) - Y) / Speed));
      break;
    case cdHorizontalInverted:
      if (X != PressPoint.X) Moved = true;
      SetNormalizedValue(static_cast<float>((-static_cast<double>(DragOrigin) - X) / Speed));
      break;
    case cdHorizontal:
      if (X != PressPoint.X) Moved = true;
      SetNormalizedValue(static_cast<float>((static_cast<double>(X) - DragOrigin) / Speed));
      break;
    case cdVerticalInverted: break;
  }
}

void TLabelBoxControl::MouseMove(int32_t X, int32_t Y) {
  if (X == PressPoint.X && Y == PressPoint.Y) return;
  if (Dragging) DragTo(X, Y);
}

void TLabelBoxControl::MouseUp(TPressButton Button, int32_t X, int32_t Y) {
  if (Button != TPressButton::Left) return;
  if (Dragging) DragTo(X, Y);
  Dragging = false;
  if (ValueChanged && Moved) {
    ValueChanged = false;
    if (OnChangeEnd) OnChangeEnd(this);
    ReportValue();
  }
}

void TLabelBoxControl::DblClick() {
  Dragging = false;
  if (!ResetOnDoubleClick) return;
  SetValue(Value == DefaultValue ? DefaultValue2 : DefaultValue);
  if (OnChangeEnd) OnChangeEnd(this);
}

void TLabelBoxControl::MouseWheel(int32_t Delta) {
  if (Delta > 0) SetNormalizedValue(GetNormalizedValue() + 0.005f);
  if (Delta < 0) SetNormalizedValue(GetNormalizedValue() - 0.005f);
}

bool TLabelBoxControl::KeyDown(uint16_t Key) {
  if (Key == vkUp) {
    SetValue(Value + (Value < INT32_MAX ? 1 : 0));
    return true;
  }
  if (Key == vkDown) {
    SetValue(Value - (Value > INT32_MIN ? 1 : 0));
    return true;
  }
  return false;
}

// ---------------------------------------------------------------------------
// TPopupEditModel

std::string TPopupEditModel::InitialText(float Value) { return FloatToStrGeneral(Value); }

std::string TPopupEditModel::NormalizeText(const std::string& Text) {
  std::string S = Text;
  std::replace(S.begin(), S.end(), ',', '.');
  return S;
}

bool TPopupEditModel::ParseNumber(const std::string& Text, double& Number) {
  if (Text.size() >= 256) return false;
  size_t B = 0, E = Text.size();
  while (B < E && (Text[B] == ' ' || Text[B] == '\t')) ++B;
  while (E > B && (Text[E - 1] == ' ' || Text[E - 1] == '\t')) --E;
  if (B < E && Text[B] == '+') ++B;
  if (B == E) return false;
  double V = 0;
  const auto R = std::from_chars(Text.data() + B, Text.data() + E, V, std::chars_format::general);
  if (R.ec != std::errc() || R.ptr != Text.data() + E || !std::isfinite(V)) return false;
  Number = V;
  return true;
}

bool TPopupEditModel::WParamOf(double Number, int64_t& WParam) const {
  const double Range = static_cast<double>(MaxValue) - MinValue;
  if (Range == 0 || !std::isfinite(Range)) return false;
  const double W = std::nearbyint((Number - MinValue) * 65535.0 / Range);
  if (!std::isfinite(W)) return false;
  // The target clamps; far-out numbers only need to stay far out.
  WParam = static_cast<int64_t>(std::clamp(W, -1.0e12, 1.0e12));
  return true;
}

bool TPopupEditModel::WParamOfText(const std::string& Text, int64_t& WParam) const {
  double N = 0;
  return ParseNumber(NormalizeText(Text), N) && WParamOf(N, WParam);
}

}  // namespace kromel
