// The label box model: a caption box that holds an integer value between
// Min and Max and changes it by dragging along one axis, the wheel, the Up
// and Down keys and reset gestures; and the pop-up value edit's text
// handling, which turns typed numbers into the normalised 0..65535 value its
// target takes.
#pragma once
#include <cstdint>
#include <string>

#include "controls/control_input.h"
#include "controls/ranged_value_control.h"
#include "images/image_header.h"

namespace kromel {

enum TChangeDirection : int32_t {
  cdVertical = 0,
  cdHorizontal = 1,
  cdVerticalInverted = 2,
  cdHorizontalInverted = 3
};

class TLabelBoxControl : public TRangedValueControl {
public:
  explicit TLabelBoxControl(std::string Name = {}, std::string Caption = {});

  int32_t DragOrigin = 0;
  TPoint PressPoint;
  bool Locked = false;
  bool Moved = false;
  bool ResetOnDoubleClick = true;
  bool HintShowOnPress = false;
  TChangeDirection ChangeDirection = cdVertical;
  bool FineDrag = false;
  int32_t ChangeSpeed = 1;
  bool Dragging = false;

  std::string ClassName() const override { return "TLabelBox"; }

  // Pixels of travel over the whole range: 1000 (10000 for a fine drag)
  // times ChangeSpeed.
  double DragSpeed() const;
  // A press; true when the widget is to show the hint (a locked box or
  // HintShowOnPress). A locked box ends there without a drag.
  bool MouseDown(TPressButton Button, TModifiers Shift, int32_t X, int32_t Y);
  void MouseMove(int32_t X, int32_t Y);
  void MouseUp(TPressButton Button, int32_t X, int32_t Y);
  void DblClick();
  // One wheel notch: half a percent of the range up (Delta > 0) or down.
  void MouseWheel(int32_t Delta);
  // Up and Down step the value by one; true when the key was used.
  bool KeyDown(uint16_t Key);

private:
  void DragTo(int32_t X, int32_t Y);
};

// The normalised value of a typed number as the pop-up edit sends it:
// nearest((Number - MinValue) * 65535 / (MaxValue - MinValue)).
struct TPopupEditModel {
  float StartValue = 0;
  float MinValue = 0;
  float MaxValue = 1;

  // The text the edit opens with: Value in the general format, "." decimal.
  static std::string InitialText(float Value);
  // Every "," turned into ".".
  static std::string NormalizeText(const std::string& Text);
  // A decimal number of under 256 characters, nothing else but surrounding
  // blanks; false otherwise.
  static bool ParseNumber(const std::string& Text, double& Number);
  // The value message for Number; false for an empty range or a number
  // that gives no finite value (nothing is sent then).
  bool WParamOf(double Number, int64_t& WParam) const;
  // The message a changed text sends (the normalised text parsed).
  bool WParamOfText(const std::string& Text, int64_t& WParam) const;
  // Escape: the start value's message.
  bool StartWParam(int64_t& WParam) const { return WParamOf(StartValue, WParam); }
};

}  // namespace kromel
