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
  if (OnInvalidate) OnInvalidate(this);
  WriteParameterSingle(GetControllerValueS());
  if (!Loading && OnChange) OnChange(this);
}

void TScrollBarControl::SetPositionSilent(int32_t Value) {
  Value = std::clamp(Value, Min, std::max(Min, Max));
  if (Value == Position) return;
  Position = Value;
  if (OnInvalidate) OnInvalidate(this);
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

void TScrollBarControl::SetPosition64(int64_t Value) {
  SetPosition(static_cast<int32_t>(std::clamp<int64_t>(Value, Min, std::max(Min, Max))));
}

TScrollBarLayout TScrollBarControl::CalcLayout() {
  TScrollBarLayout L;
  ThumbSize = Vertical ? ThumbPictureHeight : ThumbPictureWidth;
  const int32_t B = HasButtons ? ButtonsSize : 0;
  const int64_t Range = static_cast<int64_t>(Max) - Min;
  const int64_t Pos = static_cast<int64_t>(Position) - Min;
  if (Vertical) {
    ThumbWidth = Width;
    ThumbHeight = ThumbSize;
    ButtonWidth = Width;
    ButtonHeight = B;
    const int64_t Travel = static_cast<int64_t>(Height) - 2 * ButtonHeight - ThumbHeight - ShadowSize;
    const int32_t Top =
        Range == 0 ? ButtonHeight : static_cast<int32_t>(Pos * Travel / Range + ButtonHeight);
    L.Thumb = {0, Top, ThumbWidth, Top + ThumbHeight};
    L.Button1 = {0, 0, ButtonWidth, ButtonHeight};
    L.Button2 = {0, Height - ButtonHeight, ButtonWidth, Height};
    L.Rail = {0, L.Button1.Bottom, ButtonWidth, L.Button2.Top};
  } else {
    ThumbHeight = Height;
    ThumbWidth = ThumbSize;
    ButtonHeight = Height;
    ButtonWidth = B;
    // A stretched thumb over an empty range keeps its picture's width.
    if (Stretched && Range != 0)
      ThumbWidth = static_cast<int32_t>(std::max<int64_t>(
          ThumbWidth, static_cast<int64_t>(ThumbArea) * (Width - 2 * ButtonWidth) / Range));
    const int64_t Travel = static_cast<int64_t>(Width) - 2 * ButtonWidth - ThumbWidth;
    const int32_t Left =
        Range == 0 ? ButtonWidth : static_cast<int32_t>(Pos * Travel / Range + ButtonWidth);
    L.Thumb = {Left, 0, Left + ThumbWidth, ThumbHeight};
    L.Button1 = {0, 0, ButtonWidth, ButtonHeight};
    L.Button2 = {Width - ButtonWidth, 0, Width, ButtonHeight};
    L.Rail = {L.Button1.Right, 0, L.Button2.Left, ButtonHeight};
  }
  return L;
}

bool TScrollBarControl::MouseDown(TPressButton Button, TModifiers Shift, int32_t X, int32_t Y) {
  if ((Shift & modDouble) != 0) return false;
  if (CtrlHeld(Shift)) {
    SetDisplayPosition(DefaultValue);
    return false;
  }
  if (Button != TPressButton::Left && Button != TPressButton::Middle) return false;
  FineDrag = (Shift & modShift) != 0;
  if (Min == Max) return false;
  const TScrollBarLayout L = CalcLayout();
  const int64_t Range = static_cast<int64_t>(Max) - Min;
  const int64_t Pos = static_cast<int64_t>(Position) - Min;
  const int64_t P =
      Vertical ? Pos * (static_cast<int64_t>(Height) - 2 * ButtonHeight - ThumbHeight) / Range + ButtonHeight
               : Pos * (static_cast<int64_t>(Width) - 2 * ButtonWidth - ThumbWidth) / Range + ButtonWidth;
  const TRect& T = L.Thumb;
  if (X >= T.Left - 1 && X < T.Right + 1 && Y >= T.Top - 1 && Y < T.Bottom + 1) {
    const int32_t M = Vertical ? Y : X;
    DragOffset = FineDrag ? M : M - (Vertical ? T.Top : T.Left);
    Dragging = true;
    DragStartPosition = Position;
  }
  const bool ShowHint = Dragging && HintShowOnPress;
  if (ShowHint && OnControllerChange)
    OnControllerChange(this, GetControllerNumber(), static_cast<float>(GetControllerValue()));
  if (Vertical) {
    if (ButtonHeight < Y && Y < P)
      SetPosition64(static_cast<int64_t>(Position) - LargeChange);
    else if (P + ThumbHeight < Y && Y < Height - ButtonHeight)
      SetPosition64(static_cast<int64_t>(Position) + LargeChange);
  } else {
    if (ButtonWidth < X && X < P)
      SetPosition64(static_cast<int64_t>(Position) - LargeChange);
    else if (P + ThumbWidth < X && X < Width - ButtonWidth)
      SetPosition64(static_cast<int64_t>(Position) + LargeChange);
  }
  // The buttons' rectangles include their right and bottom edges; a bar
  // without buttons has none to press.
  auto InButton = [&](const TRect& R) {
    return HasButtons && X >= R.Left && X <= R.Right && Y >= R.Top && Y <= R.Bottom;
  };
  if (InButton(L.Button1)) {
    SetPosition64(static_cast<int64_t>(Position) - SmallChange);
    Button1Down = true;
  } else if (InButton(L.Button2)) {
    SetPosition64(static_cast<int64_t>(Position) + SmallChange);
    Button2Down = true;
  }
  if (OnChangeStart) OnChangeStart(nullptr);
  return ShowHint;
}

void TScrollBarControl::MouseMove(int32_t X, int32_t Y) {
  if (!Dragging) return;
  const TScrollBarLayout L = CalcLayout();
  const int64_t Span = Vertical ? static_cast<int64_t>(L.Rail.Bottom - L.Rail.Top) - ThumbHeight
                                : static_cast<int64_t>(L.Rail.Right - L.Rail.Left) - ThumbWidth;
  if (Span <= 0) return;
  const int64_t M = Vertical ? Y : X;
  const int64_t Range = static_cast<int64_t>(Max) - Min;
  if (FineDrag)
    SetPosition64(DragStartPosition + (Range * (M - DragOffset) / Span) / 10);
  else
    SetPosition64(Min + Range * (M - DragOffset - (Vertical ? L.Rail.Top : L.Rail.Left)) / Span);
}

void TScrollBarControl::MouseUp() {
  Button1Down = Button2Down = false;
  if (OnChangeEnd) OnChangeEnd(this);
  Dragging = false;
}

void TScrollBarControl::MouseWheel(int32_t Delta) {
  if (Delta == 0) return;
  const int32_t Step = (Delta > 0) != Reverse ? 1 : -1;
  SetPosition64(static_cast<int64_t>(Position) + Step);
}

bool TScrollBarControl::DblClick() {
  if (PopupEditorEnable) return true;
  SetDisplayPosition(GetDisplayPosition() == DefaultValue ? DefaultValue2 : DefaultValue);
  return false;
}

int32_t TScrollBarControl::ThumbImageIndex(int32_t Count) {
  if (Count <= 0) return -1;
  return static_cast<int32_t>(std::nearbyint(GetControllerValueS() * static_cast<float>(Count - 1)));
}

// ---------------------------------------------------------------------------
// TCaptionedScrollBarControl

TCaptionedLayout CaptionedBarLayout(int32_t W, int32_t H, int32_t LabelBoxWidth, int32_t EditWidth,
                                    int32_t Max, bool FromSetBounds) {
  TCaptionedLayout L;
  L.CaptionWidth = LabelBoxWidth > 0 ? LabelBoxWidth : W > 250 ? 85 : 75;
  L.Caption = {0, 0, L.CaptionWidth, H};
  L.EditWidthInUse = EditWidth > 0 ? EditWidth : Max >= 10000 ? 50 : 35;
  const int32_t B = std::max(W - L.CaptionWidth - L.EditWidthInUse, 2);
  L.BarVisible = B > 10;
  L.Bar = {L.CaptionWidth, 0, B, H};
  const int32_t Right = W - L.EditWidthInUse;
  L.Edit = FromSetBounds ? TBounds{Right, -3, L.EditWidthInUse + 6, H} : TBounds{Right, 0, L.EditWidthInUse, H};
  L.ValueLabel = {Right, 0, std::max(L.EditWidthInUse - 1, 0), H};
  return L;
}

TCaptionedScrollBarControl::TCaptionedScrollBarControl(std::string Name, std::string Caption)
    : TController(std::move(Name), std::move(Caption)) {
  CaptionBox.ChangeDirection = cdHorizontal;
  CaptionBox.Max = 100;
  ScrollBar.PopupEditorEnable = false;
  ScrollBar.OnChange = [this](void*) { ScrollBarChange(); };
  ScrollBar.OnChangeEnd = [this](void*) {
    if (LockCount == 0 && OnChangeEnd) OnChangeEnd(this);
  };
  CaptionBox.OnChange = [this](void*) { LabelBoxChange(); };
  CaptionBox.OnChangeEnd = [this](void*) { LabelBoxChangeEnd(); };
  RefreshTexts();
}

TCaptionedScrollBarControl::~TCaptionedScrollBarControl() {
  ScrollBar.OnChange = nullptr;
  ScrollBar.OnChangeEnd = nullptr;
  CaptionBox.OnChange = nullptr;
  CaptionBox.OnChangeEnd = nullptr;
}

void TCaptionedScrollBarControl::RefreshTexts() {
  EditText = FormatScaledValue();
  ValueLabelText = EditText + UnitsStr;
  if (OnTextChanged) OnTextChanged(this);
}

void TCaptionedScrollBarControl::UpdateText() {
  ++LockCount;
  CaptionBox.SetValue(ScrollBar.GetDisplayPosition());
  RefreshTexts();
  --LockCount;
}

void TCaptionedScrollBarControl::ScrollBarChange() {
  if (LockCount > 0) return;
  UpdateText();
  if (!Loading) {
    ++LockCount;
    SetControllerValueS(GetSPosition());
    if (OnChange) OnChange(this);
    --LockCount;
  }
  ValueChanged = true;
}

void TCaptionedScrollBarControl::LabelBoxChange() {
  if (LockCount > 0) return;
  // The bar's own change handler stays quiet: one OnChange per step.
  ++LockCount;
  RefreshTexts();
  ScrollBar.SetDisplayPosition(CaptionBox.Value);
  SetControllerValueS(GetSPosition());
  --LockCount;
  if (!Loading && OnChange) OnChange(this);
}

void TCaptionedScrollBarControl::LabelBoxChangeEnd() {
  ValueChanged = false;
  if (LockCount == 0 && OnChangeEnd) OnChangeEnd(this);
}

void TCaptionedScrollBarControl::SetMin(int32_t Value) {
  CaptionBox.SetMin(Value);
  ScrollBar.SetMin(Value);
}

void TCaptionedScrollBarControl::SetMax(int32_t Value) {
  ScrollBar.SetMax(Value);
  CaptionBox.SetMax(Value);
}

void TCaptionedScrollBarControl::SetValueSilent(int32_t Value) {
  ScrollBar.SetDisplayPositionSilent(Value);
  UpdateText();
}

void TCaptionedScrollBarControl::SetSPositionSilent(float X) {
  ScrollBar.SetSPositionSilent(X);
  UpdateText();
}

std::string TCaptionedScrollBarControl::FormatScaledValue() const {
  const int32_t V = CaptionBox.Value;
  const float S = ValueScale;
  if (S >= 1) return std::to_string(V);
  const float X = static_cast<float>(V) * S;
  if (S >= 0.1f) return FloatToStrD1(X);
  if (S >= 0.00999f) return FloatToStrD2(X);
  return FloatToStrD4(X);
}

void TCaptionedScrollBarControl::SetValueScale(float S) {
  ValueScale = S;
  ++LockCount;
  RefreshTexts();
  ScrollBar.SetDisplayPosition(CaptionBox.Value);
  --LockCount;
}

void TCaptionedScrollBarControl::SetUnitsStr(const std::string& Text) {
  UnitsStr = Text;
  UpdateText();
}

void TCaptionedScrollBarControl::SetChangeSpeed(int32_t V) {
  ChangeSpeed = V;
  CaptionBox.ChangeSpeed = V;
}

void TCaptionedScrollBarControl::ValueLabelClick() {
  Editing = true;
  SavedValue = GetValue();
}

void TCaptionedScrollBarControl::EditChange(const std::string& Text) {
  EditText = Text;
  double T = 0;
  const bool Valid = TPopupEditModel::ParseNumber(TPopupEditModel::NormalizeText(Text), T);
  ++LockCount;
  if (Valid) {
    const double P = std::nearbyint(T / static_cast<double>(ValueScale));
    if (std::isfinite(P))
      ScrollBar.SetDisplayPosition(static_cast<int32_t>(std::clamp(P, -2147483648.0, 2147483647.0)));
  }
  CaptionBox.SetValue(ScrollBar.GetDisplayPosition());
  ValueLabelText = FormatScaledValue() + UnitsStr;
  if (OnTextChanged) OnTextChanged(this);
  ValueChanged = true;
  SetControllerValueS(GetSPosition());
  --LockCount;
  if (!Loading && OnChange) OnChange(this);
}

bool TCaptionedScrollBarControl::EditKeyDown(uint16_t Key, TModifiers Shift) {
  if (Key == vkReturn || Key == vkTab) {
    EditDone();
    return true;
  }
  if (Key == vkEscape) {
    SetValue(SavedValue);
    EditDone();
    return true;
  }
  const int64_t Step = CtrlHeld(Shift) ? 10 : 1;
  int64_t P = ScrollBar.Position;
  if (Key == vkDown)
    P -= Step;
  else if (Key == vkUp)
    P += Step;
  else
    return false;
  ScrollBar.SetPosition(static_cast<int32_t>(
      std::clamp<int64_t>(P, ScrollBar.Min, std::max(ScrollBar.Min, ScrollBar.Max))));
  return true;
}

void TCaptionedScrollBarControl::EditDone() {
  Editing = false;
  ValueLabelText = FormatScaledValue() + UnitsStr;
  EditText = ValueLabelText;
  if (OnTextChanged) OnTextChanged(this);
  if (LockCount > 0) return;
  if (ValueChanged && OnChangeEnd) OnChangeEnd(this);
  ValueChanged = false;
}

void TCaptionedScrollBarControl::SetDefaultValue(int32_t Value) {
  DefaultValue = Value;
  ScrollBar.SetDefaultValue(Value);
  CaptionBox.SetDefaultValue(Value);
}

void TCaptionedScrollBarControl::SetDefaultValue2(int32_t Value) {
  TController::SetDefaultValue2(Value);
  ScrollBar.SetDefaultValue2(Value);
  CaptionBox.SetDefaultValue2(Value);
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
