#include "widgets/glyph_switch.h"

#include "foundation/text_tokens.h"
#include "widgets/gui_skinner.h"

namespace kromel {

TGlyphSwitch::TGlyphSwitch(QWidget* Parent, TSwitchKind Kind)
    : TGlyphSwitch(std::make_unique<TSwitchControl>(std::string(), std::string(), Kind), Parent) {}

TGlyphSwitch::TGlyphSwitch(std::unique_ptr<TSwitchControl> Model, QWidget* Parent)
    : TControlWidget(std::move(Model), Parent) {
  Switch().OnChange = [this](void*) { update(); };
}

TGlyphSwitch::~TGlyphSwitch() {
  if (FSkinner) FSkinner->Unsubscribe(this);
}

void TGlyphSwitch::SetCaption(const std::string& Value) {
  if (Value == Switch().Caption) return;
  Switch().Caption = Value;
  for (auto& G : Glyphs) G.Clear();
  update();
}

int32_t TGlyphSwitch::FrameCount() const {
  return Kind() == skSelector ? std::max(CountSemicolonItems(Caption()), 1) : 1;
}

TGlyphState TGlyphSwitch::CurrentState() const {
  const bool On = Kind() == skSelector ? false : Switch().State;
  if (FPressed) return On ? gsDownOn : gsDownOff;
  if (FHover) return On ? gsHoverOn : gsHoverOff;
  return On ? gsOn : gsOff;
}

void TGlyphSwitch::Paint(TImage32& Canvas) {
  // Pictures of another size are dropped so that the skinner draws them anew.
  const TImage32& Off = OffGlyph().Image;
  if (!OffGlyph().Empty() && (Off.Width != width() || Off.Height != height() * FrameCount()))
    for (auto& G : Glyphs) G.Clear();
  if (OffGlyph().Empty() && FSkinner) FSkinner->StyleControl(this, true, SkinnerBackground);
  const TImage32& Pic = Glyphs[CurrentState()].Empty() ? OffGlyph().Image : Glyphs[CurrentState()].Image;
  Canvas.Fill(Color());
  if (!HasArea(Pic)) return;
  const int32_t Frame = Kind() == skSelector
                            ? std::clamp(Switch().SelectorPosition, 0, FrameCount() - 1)
                            : 0;
  const int32_t H = Pic.Height / FrameCount();
  for (int32_t Y = 0; Y < std::min(H, Canvas.Height); ++Y) {
    const TVPixel32* S = Pic.Row(Frame * H + Y);
    std::copy_n(S, std::min(Pic.Width, Canvas.Width), Canvas.Row(Y));
  }
}

void TGlyphSwitch::Click() {
  switch (Kind()) {
    case skTumbler:
    case skTumblerWithoutButton: Switch().SetState(!Switch().State); break;
    case skSelector:
      Switch().SetSelectorPosition((Switch().SelectorPosition + 1) % FrameCount());
      break;
    default: break;
  }
  if (OnClick) OnClick(this);
  update();
}

void TGlyphSwitch::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (Button == mbLeft) {
    FPressed = true;
    update();
  }
  TControlWidget::MouseDown(Button, Shift, X, Y);
}

void TGlyphSwitch::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  const bool WasPressed = FPressed && Button == mbLeft;
  FPressed = false;
  if (WasPressed && rect().contains(X, Y)) Click();
  update();
  TControlWidget::MouseUp(Button, Shift, X, Y);
}

void TGlyphSwitch::KeyDown(uint16_t& Key, TShiftState) {
  if (Key == 32 || Key == 13) {
    Click();
    Key = 0;
  }
}

void TGlyphSwitch::MouseEnter() {
  FHover = true;
  update();
  TControlWidget::MouseEnter();
}

void TGlyphSwitch::MouseLeave() {
  FHover = false;
  update();
  TControlWidget::MouseLeave();
}

}  // namespace kromel
