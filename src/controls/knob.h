// The knob model: an integer value between Min and Max turned by a vertical
// drag (400 pixels over the whole range), the wheel (half a percent per
// notch), the Up and Down keys and Ctrl-click defaults; and the pointer and
// grip strokes that show it.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "controls/control_input.h"
#include "controls/ranged_value_control.h"
#include "images/image_header.h"

namespace kromel {

// One stroke of the knob's pointer picture.
enum class TKnobPenMode : int32_t { Copy, Mask, Merge };
struct TKnobStroke {
  TPoint From, To;
  int32_t PenWidth = 1;
  int32_t Color = 0;  // TColor 0x00BBGGRR
  TKnobPenMode Mode = TKnobPenMode::Copy;
};
// Shadow, body and core of the pointer, then the five grips.
using TKnobStrokes = std::array<TKnobStroke, 8>;

class TKnobControl : public TRangedValueControl {
public:
  static constexpr int32_t DragPixels = 400;

  explicit TKnobControl(std::string Name = {}, std::string Caption = {});

  int32_t RangeAngle = 270;
  int32_t Margin = 4;
  int32_t FocusedColor = 0x202020;
  bool Locked = false;
  bool HintShowOnPress = false;
  // The knob's own second default, apart from the controller's.
  int32_t KnobDefaultValue2 = 0;
  bool Dragging = false;
  int32_t DragOrigin = 0;
  TPoint PressPoint;
  bool NeedsRedraw = true;

  std::string ClassName() const override { return "TKnob"; }

  // A press; true when the widget is to show the hint. Ctrl-click sets the
  // default (or the knob's second default when the value is the default).
  bool MouseDown(TPressButton Button, TModifiers Shift, int32_t X, int32_t Y);
  void MouseMove(int32_t X, int32_t Y);
  void MouseUp(TPressButton Button, int32_t X, int32_t Y);
  void MouseWheel(int32_t Delta);
  bool KeyDown(uint16_t Key);

  // The pointer strokes for a knob of Width x Height; Focused and Enabled
  // choose the pointer colours.
  TKnobStrokes Strokes(int32_t Width, int32_t Height, bool Focused, bool Enabled) const;
  // The pointer's angle in radians: pi/2 at mid-range.
  double PointerAngle() const;

private:
  void Invalidated() override;
};

}  // namespace kromel
