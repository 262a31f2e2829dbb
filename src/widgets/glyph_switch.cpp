#include "widgets/glyph_switch.h"

#include <QEvent>

#include "foundation/text_tokens.h"
#include "platform/message_sink.h"
#include "widgets/gui_skinner.h"

namespace kromel {

TGlyphSwitch::TGlyphSwitch(QWidget* Parent, TSwitchKind Kind)
    : TGlyphSwitch(std::make_unique<TSwitchControl>(std::string(), std::string(), Kind), Parent) {}

TGlyphSwitch::TGlyphSwitch(std::unique_ptr<TSwitchControl> Model, QWidget* Parent)
    : TControlWidget(std::move(Model), Parent) {
  Switch().OnChange = [this](void*) {
    update();
    if (OnChange) OnChange(this);
  };
}

TGlyphSwitch::~TGlyphSwitch() {
  if (FSkinner) FSkinner->Unsubscribe(this);
}

void TGlyphSwitch::SetKind(TSwitchKind Value) {
  Switch().Kind = Value;
  update();
}

void TGlyphSwitch::SetCaption(const std::string& Value) {
  Switch().Caption = Value;
  OffGlyph().Clear();
  OnGlyph().Clear();
  update();
}

int32_t TGlyphSwitch::FrameCount() const {
  return Kind() == skSelector ? std::max(CountSemicolonItems(Caption()), 1) : 1;
}

TGlyphState TGlyphSwitch::CurrentState() const {
  if (!isEnabled()) return gsOff;
  const bool On = Switch().State;
  auto Usable = [&](TGlyphState S) { return Glyphs[S].Image.Width > 1; };
  if (FPressed && FHover && Usable(gsDownOn)) return On ? gsDownOff : gsDownOn;
  if (On || Kind() == skButton) return FHover && Usable(gsHoverOn) ? gsHoverOn : gsOn;
  return FHover && Usable(gsHoverOff) ? gsHoverOff : gsOff;
}

int32_t TGlyphSwitch::CurrentFrame() const {
  return Kind() == skSelector ? std::clamp(Switch().SelectorPosition, 0, FrameCount() - 1) : 0;
}

void TGlyphSwitch::Paint(TImage32& Canvas) {
  const bool On = isEnabled() && Switch().State;
  if (FullSizeBackgroundList != nullptr && FullSizeBackgroundList->size() > 1) {
    const size_t Index = StateOrder == 0 ? size_t(FPressed) + 2 * size_t(On) : 2 * size_t(FPressed) + size_t(On);
    Canvas.Fill(Color());
    if (Index < FullSizeBackgroundList->size()) {
      const QPoint At = mapTo(window(), QPoint(0, 0));
      Canvas.DrawImage((*FullSizeBackgroundList)[Index], -At.x(), -At.y());
    }
    return;
  }
  // Pictures of another size are dropped so that the skinner draws them anew.
  const TImage32& Off = OffGlyph().Image;
  if (!OffGlyph().Empty() && (Off.Width != width() || Off.Height != height() * FrameCount()))
    for (auto& G : Glyphs) G.Clear();
  // A radio group's reset empties the on picture only; the skinner draws it again.
  if ((OffGlyph().Empty() || OnGlyph().Empty()) && FSkinner) {
    try {
      FSkinner->StyleControl(this, true, SkinnerBackground);
    } catch (...) {
      PlatformShowMessage("Exception calling Skinner for GSwitch " + objectName().toStdString());
    }
  }
  // A position past the glyphs is lowered to the last one, silently.
  if (Kind() == skSelector && Switch().SelectorPosition >= FrameCount())
    Switch().SelectorPosition = FrameCount() - 1;
  const TGlyphState S = CurrentState();
  const TImage32& Pic = Glyphs[S].Empty() ? OffGlyph().Image : Glyphs[S].Image;
  Canvas.Fill(Color());
  if (!HasArea(Pic)) return;
  const int32_t H = std::max(Pic.Height / FrameCount(), 1);
  const int32_t Frame = CurrentFrame();
  for (int32_t Y = 0; Y < std::min(H, Canvas.Height); ++Y) {
    if (Frame * H + Y >= Pic.Height) break;
    const TVPixel32* Src = Pic.Row(Frame * H + Y);
    std::copy_n(Src, std::min(Pic.Width, Canvas.Width), Canvas.Row(Y));
  }
}

void TGlyphSwitch::FireClick() {
  if (OnClick) OnClick(this);
}

void TGlyphSwitch::Click() {
  TSwitchControl& M = Switch();
  // Radio-group buttons and secondary switches find the window's registry
  // through their owner on the first click.
  if (M.ControllersArray == nullptr)
    if (TController* Owner = ControllerOf(parentWidget()); Owner && Owner->ControllersArray)
      M.SetControllersArray(Owner->ControllersArray);
  if (Kind() == skSelector) {
    if (M.SelectorModesCount < 2) M.SelectorModesCount = 2;
    // A captioned selector cycles over the items it can show.
    const int32_t Count = M.Caption.empty() ? M.SelectorModesCount : FrameCount();
    M.SetSelectorPosition((M.SelectorPosition + 1) % std::max(Count, 1));
    update();
    FireClick();
  } else if (Hold || Kind() == skButton || Kind() == skIndicator) {
    // A momentary button ends off and reports the click through one OnChange.
    if (Kind() == skButton && M.State) {
      TNotifyEvent Saved = std::move(M.OnChange);
      M.OnChange = nullptr;
      M.SetState(false);
      M.OnChange = std::move(Saved);
    }
    FireClick();
    if (M.OnChange) M.OnChange(&M);
  } else {
    M.SetState(!M.State);
    update();
    FireClick();
  }
}

void TGlyphSwitch::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (Button == mbLeft || Button == mbMiddle) {
    FPressed = true;
    FHover = true;
    update();
  }
  TControlWidget::MouseDown(Button, Shift, X, Y);
}

void TGlyphSwitch::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  const bool WasPressed = FPressed;
  FPressed = false;
  update();
  if (WasPressed && Button == mbLeft && rect().contains(X, Y)) Click();
  if (WasPressed && Button == mbMiddle && X > 0 && X < width() && Y > 0 && Y < height()) Click();
  TControlWidget::MouseUp(Button, Shift, X, Y);
}

void TGlyphSwitch::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  update();
  TControlWidget::MouseMove(Shift, X, Y);
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

void TGlyphSwitch::changeEvent(QEvent* Event) {
  if (Event->type() == QEvent::EnabledChange) update();
  TControlWidget::changeEvent(Event);
}

void TGlyphSwitch::SetHasSwitch(bool Value) {
  if (Value == HasSwitch()) return;
  if (!Value) {
    delete FSecondary;
    FSecondary = nullptr;
    return;
  }
  FSecondary = new TGlyphSwitch(this, skTumbler);
  FSecondary->setGeometry(2, 5, 10, 15);
  FSecondary->Switch().Tag = Switch().Tag;
  FSecondary->Switch().SetControllerNumber(FSwitchNumber);
  FSecondary->Switch().SetControllersArray(Switch().ControllersArray);
  FSecondary->OnClick = FOnSwitchClick;
  FSecondary->show();
}

bool TGlyphSwitch::SwitchState() const { return FSecondary != nullptr && FSecondary->Switch().State; }

void TGlyphSwitch::SetSwitchState(bool Value) {
  if (FSecondary) FSecondary->Switch().SetState(Value);
}

void TGlyphSwitch::SetSwitchControllerNumber(int32_t Value) {
  FSwitchNumber = Value;
  if (FSecondary) FSecondary->Switch().SetControllerNumber(Value);
}

void TGlyphSwitch::SetOnSwitchClick(TNotifyHandler Handler) {
  FOnSwitchClick = std::move(Handler);
  if (FSecondary) FSecondary->OnClick = FOnSwitchClick;
}

void TGlyphSwitch::SetOnSwitchChange(TNotifyHandler Handler) {
  FOnSwitchChange = std::move(Handler);
  if (FSecondary) FSecondary->OnChange = FOnSwitchChange;
}

}  // namespace kromel
