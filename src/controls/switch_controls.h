// Value models of the glyph switch, the combo box (a selector switch whose
// items are the ";"-parts of its caption) and the radio group with the
// secondary enable switches of its buttons.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "controls/controller.h"

namespace kromel {

enum TSwitchKind : int32_t {
  skTumbler = 0,
  skButton = 1,
  skSelector = 2,
  skIndicator = 3,
  skTumblerWithoutButton = 4
};

class TSwitchControl : public TController {
public:
  explicit TSwitchControl(std::string Name = {}, std::string Caption = {},
                          TSwitchKind Kind = skTumbler);

  TSwitchKind Kind = skTumbler;
  bool State = false;
  int32_t SelectorPosition = 0;
  int32_t PreviousItemIndex = 0;
  int32_t SelectorModesCount = 2;
  // True while the form resource is applied: no events.
  bool Loading = false;
  TNotifyEvent OnChange;

  std::string ClassName() const override { return "TGlyphSwitch"; }

  void SetState(bool Value);
  void SetStateSilent(bool Value);
  // Positions are kept within 0 .. (glyph count - 1); a selector's glyph
  // count is the number of ";"-items of its caption (no upper bound while
  // the caption is empty).
  void SetSelectorPosition(int32_t Value);
  void SetSelectorPositionSilent(int32_t Value);
  int32_t ClampPosition(int32_t Value) const;

  // Only integer parameters are accepted.
  void ConnectToParameter(TControlledParameter* P) override;
  int32_t GetControllerValue() override;
  void SetControllerValue(int32_t Value) override;
  float GetControllerValueS() override;
  void SetControllerValueS(float Value) override;
  void SetControllerValueSSilent(float Value) override;

protected:
  // The selector position of a normalised value.
  int32_t PositionOfS(float X) const;
  // The value the switch shows, written to a bound parameter when it is not
  // already writing it.
  void WriteShownValue();
};

class TComboControl : public TSwitchControl {
public:
  TComboControl(std::string Name, std::string Items, int32_t ModesCount);
  std::string ClassName() const override { return "TVelComboBoxController"; }
  int32_t ItemsCount() const;
  std::string GetItem(int32_t Index) const;
};

// A radio group's selection and its buttons' secondary switches (the "[xN]"
// markup of an item gives button i a switch numbered N). The group's own
// value is the selected index; it writes no parameter.
class TRadioGroupControl : public TController {
public:
  TRadioGroupControl(std::string Name, const std::vector<std::string>& Items);

  std::vector<std::string> Items;  // the captions without markup
  int32_t ItemIndex = -1;
  // False hides the selection: ItemIndex keeps it as its complement -i - 1.
  bool State = false;
  TNotifyEvent OnChange;

  std::string ClassName() const override { return "TVelRadioGroup"; }
  void SetItemIndex(int32_t Value);
  // Off stores the selection as its complement, on restores it (a group
  // without selection selects item 0).
  void SetState(bool Value);
  float GetControllerValueS() override;
  void SetControllerValueS(float Value) override;
  void SetControllerValueSSilent(float Value) override;

  // The secondary switch of button Index, nullptr when it has none or Index
  // is out of range.
  TSwitchControl* GetButtonSwitch(int32_t Index) const;
  void SetButtonSwitchState(int32_t Index, bool Value);
  bool GetButtonSwitchState(int32_t Index) const;

private:
  std::vector<std::unique_ptr<TSwitchControl>> FSwitches;
};

}  // namespace kromel
