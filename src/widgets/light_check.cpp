#include "widgets/light_check.h"

#include "widgets/draw_helpers.h"
#include "widgets/vel_panel.h"

namespace kromel {

namespace {

constexpr const char* LedMap[12] = {
    "...SSSSSSS..", "..SSkGGGGSH.", ".SSGCCCCdG.H", ".SGCCCCCCdKH",
    ".SGCWLCCCdKH", ".SGCLCCCCdKH", ".SGCCCCCCdKH", ".SGdCCCCddKH",
    ".SGddCCdddKH", ".SSGdddddKKH", "..SKKKKKK.H.", "...HHHHHHH..",
};

}  // namespace

TColor LedLight(TColor C) { return ((C >> 1) & 0x7F7F7F) + 0x7F7F7F; }
TColor LedShade(TColor C) { return ((C & 0xFFFFFF) * 3 / 4) & 0xFFFFFF; }

void DrawLed(TImage32& Image, int32_t Y0, TColor C) {
  for (int32_t R = 0; R < 12; ++R)
    for (int32_t X = 0; X < 12; ++X) {
      TColor V;
      switch (LedMap[R][X]) {
        case 'S': V = clBtnShadowColor; break;
        case 'H': V = clBtnHighlightColor; break;
        case 'G': V = 0x303030; break;
        case 'k': V = 0x000005; break;
        case 'K': V = 0x00000A; break;
        case 'W': V = 0xFFFFFF; break;
        case 'C': V = C; break;
        case 'L': V = LedLight(C); break;
        case 'd': V = LedShade(C); break;
        default: continue;
      }
      const int32_t Y = Y0 + R;
      if (X >= Image.Width || Y < 0 || Y >= Image.Height) continue;
      Image.Row(Y)[X].Value = ColorToBGRA(V) | 0xFF000000u;
    }
}

TLightCheck::TLightCheck(QWidget* Parent) : TVelWidget(Parent) {
  resize(9, 10);
  setFocusPolicy(Qt::StrongFocus);
  if (Parent) SetColor(ColorOfQColor(Parent->palette().color(QPalette::Window)));
}

void TLightCheck::Repaint() {
  ++RepaintCount;
  update();
}

void TLightCheck::SetChecked(bool Value) {
  if (Value == FChecked) return;
  FChecked = Value;
  if (OnChange) OnChange(this);
  Repaint();
}

void TLightCheck::SetOnColor(TColor Value) {
  FOnColor = Value;
  if (FChecked) Repaint();
}

void TLightCheck::SetOffColor(TColor Value) {
  FOffColor = Value;
  if (!FChecked) Repaint();
}

void TLightCheck::Click() {
  Toggle();
  if (OnClick) OnClick(this);
}

void TLightCheck::MouseUp(TMouseButton B, TShiftState S, int32_t X, int32_t Y) {
  TVelWidget::MouseUp(B, S, X, Y);
  if (B == mbLeft && rect().contains(X, Y)) Click();
}

void TLightCheck::KeyDown(uint16_t& Key, TShiftState) {
  if (Key == 32) {
    Click();
    Key = 0;
  }
}

void TLightCheck::Paint(TImage32& Canvas) {
  Canvas.Fill(Color());
  DrawLed(Canvas, height() / 2 - 5, FChecked ? FOnColor : FOffColor);
}

TLightCheckBox::TLightCheckBox(QWidget* Parent) : TLightCheck(Parent) {}

void TLightCheckBox::SetCaption(const std::string& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  Repaint();
}

void TLightCheckBox::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  Repaint();
}

void TLightCheckBox::Paint(TImage32& Canvas) {
  TLightCheck::Paint(Canvas);
  if (FCaption.empty() || width() <= 14) return;
  TFont F;
  F.Size = FontSize;
  F.Color = FontColor();
  // The text box is one line high, its top at (Height - font height - 1) div 2.
  const int32_t Top = (height() - FontSize - 1) / 2;
  DrawTextBox(Canvas, FCaption, F, Color(), 14, Top, width() - 14, FontSize + 4, 0);
}

}  // namespace kromel
