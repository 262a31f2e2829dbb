// Value models of the glyph scroll bar (an integer position between Min and
// Max, optionally shown mirrored) and of the captioned scroll bar that wraps
// one and shows its value times a scale.
#pragma once
#include <string>

#include "controls/control_input.h"
#include "controls/controller.h"
#include "controls/label_box.h"
#include "images/image_header.h"

namespace kromel {

// The rectangles of a glyph scroll bar (Right and Bottom exclusive).
struct TScrollBarLayout {
  TRect Thumb, Button1, Button2, Rail;
};

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

  // ---- geometry and gestures (the widget sets the size and thumb picture)
  bool Vertical = false;
  int32_t Width = 0;
  int32_t Height = 16;
  // The thumb picture's size; the thumb's length along the bar comes from it.
  int32_t ThumbPictureWidth = 0;
  int32_t ThumbPictureHeight = 0;
  int32_t ThumbSize = 16;
  int32_t ButtonsSize = 16;
  bool HasButtons = true;
  bool Stretched = false;
  int32_t ThumbArea = 0;
  int32_t ShadowSize = 0;
  int32_t LargeChange = 4;
  int32_t SmallChange = 1;
  bool PopupEditorEnable = true;
  bool HintShowOnPress = false;
  int32_t ButtonWidth = 16, ButtonHeight = 32;
  int32_t ThumbWidth = 32, ThumbHeight = 16;
  bool Dragging = false;
  bool FineDrag = false;
  int32_t DragOffset = 0;
  int32_t DragStartPosition = 0;
  bool Button1Down = false, Button2Down = false;
  TNotifyEvent OnChangeStart;
  TNotifyEvent OnChangeEnd;
  // The position changed, silently or not: repaint.
  TNotifyEvent OnInvalidate;

  // Thumb, buttons and rail for the current size and position.
  TScrollBarLayout CalcLayout();
  // A press (Ctrl/Command: the default; thumb: a drag; rail beside the
  // thumb: a page; buttons: a small step). True when the widget is to show
  // the value hint.
  bool MouseDown(TPressButton Button, TModifiers Shift, int32_t X, int32_t Y);
  void MouseMove(int32_t X, int32_t Y);
  void MouseUp();
  // One notch raises (Delta > 0) or lowers the shown value by one.
  void MouseWheel(int32_t Delta);
  // True when the pop-up editor is to open; otherwise the shown value
  // toggles between the two defaults.
  bool DblClick();
  // The thumb picture of a list of Count by the normalised shown value.
  int32_t ThumbImageIndex(int32_t Count);

private:
  // The position of a normalised shown value; false for a NaN.
  bool PositionOfS(float X, int32_t& P) const;
  // SetPosition of a 64-bit result, limited to the range first.
  void SetPosition64(int64_t Value);
};

// Where the four parts of a captioned scroll bar go (left, top, width,
// height as the widget set takes bounds).
struct TCaptionedLayout {
  int32_t CaptionWidth = 80;
  int32_t EditWidthInUse = 35;
  TBounds Caption, Bar, Edit, ValueLabel;
  bool BarVisible = false;
};
// The layout of a W x H control; FromSetBounds places the edit as the
// bounds change does (3 pixels up, 6 wider).
TCaptionedLayout CaptionedBarLayout(int32_t W, int32_t H, int32_t LabelBoxWidth, int32_t EditWidth,
                                    int32_t Max, bool FromSetBounds = false);

class TCaptionedScrollBarControl : public TController {
public:
  explicit TCaptionedScrollBarControl(std::string Name = {}, std::string Caption = {});
  ~TCaptionedScrollBarControl() override;

  TScrollBarControl ScrollBar;
  // The caption, which changes the value when dragged sideways.
  TLabelBoxControl CaptionBox;
  float ValueScale = 1.0f;
  std::string UnitsStr;
  int32_t LockCount = 0;
  bool ValueChanged = false;
  bool Loading = false;
  int32_t LabelBoxWidth = 0;
  int32_t EditWidth = 0;
  int32_t ChangeSpeed = 1;
  // The value area: the label's caption, or the edit's text while editing.
  std::string ValueLabelText;
  std::string EditText;
  bool Editing = false;
  int32_t SavedValue = 0;
  TNotifyEvent OnChange;
  TNotifyEvent OnChangeEnd;
  // ValueLabelText or EditText changed.
  TNotifyEvent OnTextChanged;

  std::string ClassName() const override { return "TGlyphScrollBarWithCaption"; }

  void SetMin(int32_t Value);
  void SetMax(int32_t Value);
  int32_t GetValue() const { return ScrollBar.GetDisplayPosition(); }
  void SetValue(int32_t Value) { ScrollBar.SetDisplayPosition(Value); }
  void SetValueSilent(int32_t Value);
  float GetSPosition() { return ScrollBar.GetControllerValueS(); }
  void SetSPosition(float X) { ScrollBar.SetSPosition(X); }
  void SetSPositionSilent(float X);
  void ResetToDefault() { SetValue(DefaultValue); }
  // The shown value times ValueScale with the decimals the scale calls for.
  std::string FormatScaledValue() const;
  void SetValueScale(float S);
  void SetUnitsStr(const std::string& Text);
  void SetChangeSpeed(int32_t V);
  TCaptionedLayout Layout(int32_t W, int32_t H, bool FromSetBounds = false) const {
    return CaptionedBarLayout(W, H, LabelBoxWidth, EditWidth, ScrollBar.Max, FromSetBounds);
  }

  // The caption box and the value label follow the bar.
  void UpdateText();
  // The value label was clicked: editing starts.
  void ValueLabelClick();
  // The typed text changed; a text that is no number moves nothing.
  void EditChange(const std::string& Text);
  // Enter or Tab end editing, Escape restores the value it started with,
  // Up and Down step the bar (by 10 with Ctrl). True when the key was used.
  bool EditKeyDown(uint16_t Key, TModifiers Shift);
  void EditDone();

  void SetDefaultValue(int32_t Value) override;
  void SetDefaultValue2(int32_t Value) override;
  int32_t GetControllerValue() override { return ScrollBar.GetControllerValue(); }
  void SetControllerValue(int32_t Value) override;
  float GetControllerValueS() override { return ScrollBar.GetControllerValueS(); }
  void SetControllerValueS(float X) override;
  void SetControllerValueSSilent(float X) override {
    ScrollBar.SetControllerValueSSilent(X);
    UpdateText();
  }

private:
  void ScrollBarChange();
  void LabelBoxChange();
  void LabelBoxChangeEnd();
  // The shown value's text and the value label's caption from the caption
  // box's value.
  void RefreshTexts();
};

}  // namespace kromel
