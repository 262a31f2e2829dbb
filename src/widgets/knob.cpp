#include "widgets/knob.h"

#include "widgets/cursors.h"
#include "widgets/stroke_draw.h"

namespace kromel {

TKnob::TKnob(QWidget* Parent) : TControlWidget(std::make_unique<TKnobControl>(), Parent) { Init(); }

TKnob::TKnob(TKnobControl& Model, QWidget* Parent) : TControlWidget(Model, Parent) { Init(); }

TKnob::~TKnob() { Knob().OnInvalidate = nullptr; }

void TKnob::Init() {
  resize(9, 10);
  setFocusPolicy(Qt::ClickFocus);
  // Hovering takes the focus, as every move does.
  setMouseTracking(true);
  Knob().OnInvalidate = [this](void*) { update(); };
}

void TKnob::Paint(TImage32& Canvas) {
  Canvas.Fill(Color());
  if (Glyph.Image.Height < 2) return;
  DrawImageBlended(Canvas, Glyph.Image, 0, 0);
  const TKnobControl& K = Knob();
  if (K.Min == K.Max) return;
  const TKnobStrokes S = K.Strokes(Canvas.Width, Canvas.Height, hasFocus(), isEnabled());
  for (const TKnobStroke& T : S) {
    const TStrokeMode M = T.Mode == TKnobPenMode::Mask    ? TStrokeMode::Mask
                          : T.Mode == TKnobPenMode::Merge ? TStrokeMode::Merge
                                                          : TStrokeMode::Copy;
    DrawStroke(Canvas, T.From.X, T.From.Y, T.To.X, T.To.Y, T.PenWidth, static_cast<TColor>(T.Color), M);
  }
}

void TKnob::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TKnobControl& K = Knob();
  if (Button == mbLeft && (Shift & (ssCtrl | ssMeta)) != 0) {
    K.MouseDown(TPressButton::Left, Shift, X, Y);
    return;
  }
  if (K.MouseDown(static_cast<TPressButton>(Button), Shift, X, Y) && !Hint.empty()) ShowValueHint(Hint);
  if (Button == mbLeft && !K.Locked) {
    unsetCursor();
    update();
  }
  if (Button == mbLeft && K.Locked) return;
  TControlWidget::MouseDown(Button, Shift, X, Y);
}

void TKnob::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  if (!isVisible() || !isEnabled()) return;
  if (!hasFocus()) setFocus(Qt::MouseFocusReason);
  TKnobControl& K = Knob();
  if (K.Dragging) {
    K.MouseMove(X, Y);
    repaint();
    return;
  }
  TControlWidget::MouseMove(Shift, X, Y);
}

void TKnob::MouseUp(TMouseButton Button, TShiftState, int32_t X, int32_t Y) {
  HideValueHint();
  if (Button != mbLeft) return;
  Knob().MouseUp(TPressButton::Left, X, Y);
  SetCursorIndex(*this, 1);
  update();
}

bool TKnob::MouseWheel(TShiftState, int32_t WheelDelta, int32_t, int32_t) {
  if (WheelDelta == 0) return false;
  Knob().MouseWheel(WheelDelta);
  return true;
}

void TKnob::KeyDown(uint16_t& Key, TShiftState) {
  if (Knob().KeyDown(Key)) Key = 0;
}

}  // namespace kromel
