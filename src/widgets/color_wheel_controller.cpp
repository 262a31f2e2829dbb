#include "widgets/color_wheel_controller.h"

#include <algorithm>

#include "widgets/draw_helpers.h"
#include "widgets/stroke_draw.h"

namespace kromel {

TColorWheelController::TColorWheelController(QWidget* Parent)
    : TControlWidget(std::make_unique<TColorWheelControl>(), Parent) {
  Init();
}

TColorWheelController::TColorWheelController(TColorWheelControl& Model, QWidget* Parent)
    : TControlWidget(Model, Parent) {
  Init();
}

TColorWheelController::~TColorWheelController() { Wheel().OnInvalidate = nullptr; }

void TColorWheelController::Init() {
  Wheel().OnInvalidate = [this](void*) { update(); };
  Wheel().SetBounds(width(), height());
}

void TColorWheelController::SetCaption(const std::string& Text) {
  Wheel().Caption = Text;
  update();
}

void TColorWheelController::resizeEvent(QResizeEvent*) { Wheel().SetBounds(width(), height()); }
void TColorWheelController::focusInEvent(QFocusEvent*) { update(); }
void TColorWheelController::focusOutEvent(QFocusEvent*) { update(); }

void TColorWheelController::Paint(TImage32& Canvas) {
  TColorWheelControl& W = Wheel();
  const int32_t Wd = Canvas.Width, H = Canvas.Height;
  if (Background.Empty())
    Canvas.Fill(0xFFF0E8);
  else
    Canvas.DrawImage(Background.Image, 0, 0);
  for (const auto& [A, B] : W.RulerLines()) DrawStroke(Canvas, A.X, A.Y, B.X, B.Y, 1, 0x606060);
  const TPoint P = W.Calibrate(W.Dot->X, W.Dot->Y, true);
  FillBox(Canvas, P.X - 5, P.Y - 5, P.X + 5, P.Y + 5, static_cast<TColor>(W.DotFillColor()));
  FrameBox(Canvas, P.X - 5, P.Y - 5, P.X + 5, P.Y + 5, static_cast<TColor>(W.CursorColor));
  FrameBox(Canvas, P.X - 9, P.Y - 9, P.X + 9, P.Y + 9, hasFocus() ? 0xFFFFFF : 0x808080);
  TFont Font;
  Font.Size = 12;
  Font.Color = 0xFFFFFF;
  if (W.EditingBrightness) {
    const int32_t TY = P.Y + 10 > H - 10 ? P.Y - 22 : P.Y + 10;
    DrawTextBox(Canvas, std::to_string(W.Dot->Brightness), Font, 0x404040, P.X - 10, TY, 30, 14, 0);
  }
  if (!W.Caption.empty()) {
    FillBox(Canvas, 0, H - 15, Wd, H, 0);
    DrawTextBox(Canvas, W.Caption, Font, 0, 0, H - 15, Wd, 15, 2);
  }
  FrameBox(Canvas, 0, 0, Wd, H, hasFocus() ? 0xFFFFFF : 0);
}

void TColorWheelController::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  setFocus(Qt::MouseFocusReason);
  Wheel().MouseDown(static_cast<TPressButton>(Button), Shift, X, Y);
  update();
  TControlWidget::MouseDown(Button, Shift, X, Y);
}

void TColorWheelController::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  TColorWheelControl& W = Wheel();
  if (!isVisible() || !isEnabled()) return;
  if (W.MouseMove(Shift, X, Y)) ShowValueHint(W.Hint);
  if (W.Dragging || W.EditingBrightness) update();
  TControlWidget::MouseMove(Shift, X, Y);
}

void TColorWheelController::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  Wheel().MouseUp();
  HideValueHint();
  update();
  TControlWidget::MouseUp(Button, Shift, X, Y);
}

void TColorWheelController::KeyDown(uint16_t& Key, TShiftState Shift) {
  if (Wheel().KeyDown(Key, Shift)) Key = 0;
  update();
}

}  // namespace kromel
