#include "controls/switch_controls.h"

#include <algorithm>
#include <cmath>

#include "foundation/text_tokens.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

// trunc(Span * X + 0.5) in single precision, for X from a stream: NaN gives
// -1 (no position), the result is kept within 0..Span.
int32_t NearestIndex(int32_t Span, float X) {
  const float T = static_cast<float>(Span) * X + 0.5f;
  if (std::isnan(T)) return -1;
  if (T <= 0) return 0;
  if (T >= static_cast<float>(Span)) return Span;
  return static_cast<int32_t>(T);
}

}  // namespace

// ---------------------------------------------------------------------------
// TSwitchControl

TSwitchControl::TSwitchControl(std::string Name, std::string Caption, TSwitchKind Kind)
    : TController(std::move(Name), std::move(Caption)), Kind(Kind) {}

void TSwitchControl::SetState(bool Value) {
  if (Value == State) return;
  State = Value;
  WriteParameterInteger(State ? 1 : 0);
  if (OnChange) OnChange(this);
}

void TSwitchControl::SetStateSilent(bool Value) { State = Value; }

int32_t TSwitchControl::ClampPosition(int32_t Value) const {
  if (Kind == skSelector && !Caption.empty())
    Value = std::min(Value, CountSemicolonItems(Caption) - 1);
  return std::max(Value, 0);
}

void TSwitchControl::SetSelectorPosition(int32_t Value) {
  PreviousItemIndex = SelectorPosition;
  Value = ClampPosition(Value);
  if (Value == SelectorPosition) return;
  SelectorPosition = Value;
  WriteParameterInteger(SelectorPosition);
  if (!Loading && OnChange) OnChange(this);
}

void TSwitchControl::SetSelectorPositionSilent(int32_t Value) {
  Value = ClampPosition(Value);
  if (Value == SelectorPosition) return;
  SelectorPosition = Value;
  if (OnSilentChange) OnSilentChange(this);
}

void TSwitchControl::ConnectToParameter(TControlledParameter* P) {
  if (dynamic_cast<TControlledParameterInteger*>(P) == nullptr) {
    PlatformShowMessage("TGlyphSwitch.ConnectToParameter error connecting to " +
                        (P != nullptr ? P->Name : std::string()));
    return;
  }
  TController::ConnectToParameter(P);
}

int32_t TSwitchControl::GetControllerValue() {
  return Kind == skSelector ? SelectorPosition : (State ? 1 : 0);
}

void TSwitchControl::WriteShownValue() {
  if (Parameter != nullptr && ParameterLock == 0) WriteParameterInteger(GetControllerValue());
}

void TSwitchControl::SetControllerValue(int32_t Value) {
  if (Kind == skSelector) {
    SetSelectorPosition(Value);
  } else {
    const bool NewState = Value > 0;  // as the parameter reads it: 2 is on
    if (NewState == State) return;
    SetState(NewState);
  }
  WriteShownValue();
}

float TSwitchControl::GetControllerValueS() {
  if (Kind != skSelector) return State ? 1.0f : 0.0f;
  if (SelectorModesCount <= 1) return 0;
  return static_cast<float>(static_cast<double>(SelectorPosition) / (SelectorModesCount - 1));
}

int32_t TSwitchControl::PositionOfS(float X) const {
  return NearestIndex(SelectorModesCount - 1, X);
}

void TSwitchControl::SetControllerValueS(float Value) {
  if (Kind == skSelector) {
    const int32_t P = PositionOfS(Value);
    if (P < 0) return;
    SetSelectorPosition(P);
  } else {
    const bool NewState = Value > 0.5f;
    if (NewState == State) return;
    SetState(NewState);
  }
  WriteShownValue();
}

void TSwitchControl::SetControllerValueSSilent(float Value) {
  if (Kind == skSelector) {
    const int32_t P = PositionOfS(Value);
    if (P >= 0) SetSelectorPositionSilent(P);
    return;
  }
  const bool NewState = Value > 0.5f;
  if (NewState == State) return;
  if (OnSilentChange) OnSilentChange(this);
  SetStateSilent(NewState);
}

// ---------------------------------------------------------------------------
// TComboControl

TComboControl::TComboControl(std::string Name, std::string Items, int32_t ModesCount)
    : TSwitchControl(std::move(Name), std::move(Items), skSelector) {
  SelectorModesCount = ModesCount;
}

int32_t TComboControl::ItemsCount() const { return CountSemicolonItems(Caption); }

std::string TComboControl::GetItem(int32_t Index) const {
  return GetSemicolonItem(Caption, std::min(Index, ItemsCount() - 1));
}

// ---------------------------------------------------------------------------
// TRadioGroupControl

TRadioGroupControl::TRadioGroupControl(std::string Name, const std::vector<std::string>& RawItems)
    : TController(std::move(Name)) {
  for (const std::string& Raw : RawItems) {
    std::string Text = Raw;
    std::unique_ptr<TSwitchControl> Switch;
    if (Text.rfind("[x", 0) == 0) {
      const size_t Close = Text.find(']');
      int32_t Number = 0;
      for (size_t I = 2; I < Text.size() && Text[I] >= '0' && Text[I] <= '9'; ++I)
        Number = Number * 10 + (Text[I] - '0');
      Text = Close == std::string::npos ? std::string() : Text.substr(Close + 1);
      Switch = std::make_unique<TSwitchControl>(this->Name + "Switch" + std::to_string(Items.size()),
                                                Text, skTumbler);
      Switch->Tag = static_cast<int32_t>(Items.size());
      Switch->SetControllerNumber(Number);
      AddChild(Switch.get());
    }
    Items.push_back(Text);
    FSwitches.push_back(std::move(Switch));
  }
}

void TRadioGroupControl::SetItemIndex(int32_t Value) {
  const auto Count = static_cast<int32_t>(Items.size());
  if (Value >= Count) Value = Count - 1;
  if (Value == ItemIndex) return;
  ItemIndex = Value;
  if (OnChange) OnChange(this);
}

void TRadioGroupControl::SetState(bool Value) {
  State = Value;
  if (Value && ItemIndex < 0)
    SetItemIndex(-ItemIndex - 1);
  else if (!Value && ItemIndex >= 0)
    SetItemIndex(-ItemIndex - 1);
}

float TRadioGroupControl::GetControllerValueS() {
  const auto Count = static_cast<int32_t>(Items.size());
  if (Count < 2) return 0;
  return static_cast<float>(static_cast<double>(ItemIndex) / (Count - 1));
}

void TRadioGroupControl::SetControllerValueS(float Value) {
  const auto Count = static_cast<int32_t>(Items.size());
  if (Count < 2) return;
  const int32_t I = NearestIndex(Count - 1, Value);
  if (I >= 0) SetItemIndex(I);
}

void TRadioGroupControl::SetControllerValueSSilent(float Value) {
  TNotifyEvent Saved = std::move(OnChange);
  OnChange = nullptr;
  SetControllerValueS(Value);
  OnChange = std::move(Saved);
}

TSwitchControl* TRadioGroupControl::GetButtonSwitch(int32_t Index) const {
  if (Index < 0 || Index >= static_cast<int32_t>(FSwitches.size())) return nullptr;
  return FSwitches[static_cast<size_t>(Index)].get();
}

void TRadioGroupControl::SetButtonSwitchState(int32_t Index, bool Value) {
  if (TSwitchControl* S = GetButtonSwitch(Index)) S->SetState(Value);
}

bool TRadioGroupControl::GetButtonSwitchState(int32_t Index) const {
  const TSwitchControl* S = GetButtonSwitch(Index);
  return S != nullptr && S->State;
}

}  // namespace kromel
