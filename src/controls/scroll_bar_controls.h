// Value models of the glyph scroll bar (an integer position between Min and
// Max, optionally shown mirrored) and of the captioned scroll bar that wraps
// one and shows its value times a scale.
#pragma once
#include <string>

#include "controls/controller.h"

namespace kromel {

class TScrollBarControl : public TController {
public:
  explicit TScrollBarControl(std::string Name = {}, std::string Caption = {});

  int32_t Min = 0;
  int32_t Max = 100;
  int32_t Position = 0;
  bool Reverse = false;
  bool Loading = false;
  TNotifyEvent OnChange;

  std::string ClassName() const override { return "TGlyphScrollBar"; }

  void SetPosition(int32_t Value);
  void SetPositionSilent(int32_t Value);
  int32_t GetDisplayPosition() const { return Reverse ? Max + Min - Position : Position; }
  void SetDisplayPosition(int32_t Value) { SetPosition(Reverse ? Max + Min - Value : Value); }
  void SetDisplayPositionSilent(int32_t Value) {
    SetPositionSilent(Reverse ? Max + Min - Value : Value);
  }
  void ResetToDefault() { SetDisplayPosition(DefaultValue); }
  void SetMin(int32_t Value);
  void SetMax(int32_t Value);
  void SetSPosition(float X);
  void SetSPositionSilent(float X);

  int32_t GetControllerValue() override { return GetDisplayPosition(); }
  void SetControllerValue(int32_t Value) override { SetDisplayPosition(Value); }
  float GetControllerValueS() override;
  void SetControllerValueS(float X) override;
  void SetControllerValueSSilent(float X) override;

private:
  // The position of a normalised shown value; false for a NaN.
  bool PositionOfS(float X, int32_t& P) const;
};

class TCaptionedScrollBarControl : public TController {
public:
  explicit TCaptionedScrollBarControl(std::string Name = {}, std::string Caption = {});
  ~TCaptionedScrollBarControl() override;

  TScrollBarControl ScrollBar;
  float ValueScale = 1.0f;
  std::string UnitsStr;
  int32_t LockCount = 0;
  bool ValueChanged = false;
  TNotifyEvent OnChange;

  std::string ClassName() const override { return "TGlyphScrollBarWithCaption"; }

  void SetMin(int32_t Value) { ScrollBar.SetMin(Value); }
  void SetMax(int32_t Value) { ScrollBar.SetMax(Value); }
  int32_t GetValue() const { return ScrollBar.GetDisplayPosition(); }
  void SetValue(int32_t Value) { ScrollBar.SetDisplayPosition(Value); }
  void SetValueSilent(int32_t Value) { ScrollBar.SetDisplayPositionSilent(Value); }
  float GetSPosition() { return ScrollBar.GetControllerValueS(); }
  void SetSPosition(float X) { ScrollBar.SetSPosition(X); }
  void ResetToDefault() { SetValue(DefaultValue); }
  // The shown value times ValueScale with the decimals the scale calls for.
  std::string FormatScaledValue() const;

  void SetDefaultValue(int32_t Value) override;
  void SetDefaultValue2(int32_t Value) override;
  int32_t GetControllerValue() override { return ScrollBar.GetControllerValue(); }
  void SetControllerValue(int32_t Value) override;
  float GetControllerValueS() override { return ScrollBar.GetControllerValueS(); }
  void SetControllerValueS(float X) override;
  void SetControllerValueSSilent(float X) override { ScrollBar.SetControllerValueSSilent(X); }

private:
  void ScrollBarChange();
};

}  // namespace kromel
