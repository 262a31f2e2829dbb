// The LED-style light check, toggled by a click or Space, and the light
// check box with a caption to its right.
#pragma once
#include "widgets/vel_widget.h"

namespace kromel {

// The light tint ((C >> 1) & 0x7F7F7F) + 0x7F7F7F and the shade
// (C * 3) div 4 of a LED colour (the shade on the whole 24-bit value).
TColor LedLight(TColor C);
TColor LedShade(TColor C);
// Draws the 12 x 12 LED of colour C with its top row at Y0, clipped.
void DrawLed(TImage32& Image, int32_t Y0, TColor C);

class TLightCheck : public TVelWidget {
public:
  explicit TLightCheck(QWidget* Parent = nullptr);
  std::string ClassName() const override { return "TLightCheck"; }

  bool Checked() const { return FChecked; }
  virtual void SetChecked(bool Value);
  void Toggle() { SetChecked(!FChecked); }
  TColor OnColor() const { return FOnColor; }
  void SetOnColor(TColor Value);
  TColor OffColor() const { return FOffColor; }
  void SetOffColor(TColor Value);
  // Number of repaints asked for (paint requests are what a test can see).
  int32_t RepaintCount = 0;

  TNotifyHandler OnChange;
  TNotifyHandler OnClick;

protected:
  void Paint(TImage32& Canvas) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void Repaint();
  virtual void Click();

private:
  bool FChecked = false;
  TColor FOnColor = 0x00FF00;
  TColor FOffColor = 0x0000FF;
};

class TLightCheckBox : public TLightCheck {
public:
  explicit TLightCheckBox(QWidget* Parent = nullptr);
  std::string ClassName() const override { return "TLightCheckBox"; }
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  int32_t FontSize = 11;

protected:
  void Paint(TImage32& Canvas) override;

private:
  std::string FCaption;
  bool FTransparent = false;
};

}  // namespace kromel
