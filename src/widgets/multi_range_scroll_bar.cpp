#include "widgets/multi_range_scroll_bar.h"

#include "widgets/stroke_draw.h"

namespace kromel {

TMultiRangeScrollBar::TMultiRangeScrollBar(QWidget* Parent)
    : TControlWidget(std::make_unique<TMultiRangeControl>(), Parent) {
  Init();
}

TMultiRangeScrollBar::TMultiRangeScrollBar(TMultiRangeControl& Model, QWidget* Parent)
    : TControlWidget(Model, Parent) {
  Init();
}

TMultiRangeScrollBar::~TMultiRangeScrollBar() { Bar().OnInvalidate = nullptr; }

void TMultiRangeScrollBar::Init() {
  resize(width(), 16);
  Bar().OnInvalidate = [this](void*) { update(); };
}

void TMultiRangeScrollBar::SyncModel() {
  TMultiRangeControl& M = Bar();
  M.Width = width();
  M.Height = height();
  M.ThumbPictureWidth = PicThumb.Empty() ? 0 : PicThumb.Image.Width;
  M.ThumbPictureHeight = PicThumb.Empty() ? 0 : PicThumb.Image.Height;
}

void TMultiRangeScrollBar::Paint(TImage32& Canvas) {
  SyncModel();
  TMultiRangeControl& M = Bar();
  if (PicRail.Empty())
    Canvas.Fill(BackgroundColor);
  else
    Canvas.DrawImage(PicRail.Image, 0, 0);
  if (!isEnabled()) return;
  const int32_t N = M.UsableDots();
  for (int32_t I = 0; I < N; ++I) {
    TRect T, R;
    M.UpdateThumbSize(I, T, R);
    const int32_t C = M.DotColors[static_cast<size_t>(I)];
    if (C == -1) continue;
    if (!PicThumb.Empty()) {
      DrawImageBlended(Canvas, PicThumb.Image, T.Left, T.Top);
      continue;
    }
    const int32_t Side = I == 0 ? -1 : (I == N - 1 && N > 1) ? 1 : 0;
    const int32_t H = T.Bottom - T.Top - 3;
    TPoint P[3];
    if (Side < 0) {
      P[0] = {T.Left + H, T.Bottom};
      P[1] = {T.Left, T.Bottom};
      P[2] = {T.Left, T.Top + 3};
    } else if (Side > 0) {
      P[0] = {T.Right - H, T.Bottom};
      P[1] = {T.Right, T.Bottom};
      P[2] = {T.Right, T.Top + 3};
    } else {
      const int32_t Mid = (T.Left + T.Right) / 2;
      P[0] = {Mid - H / 2 - 1, T.Bottom};
      P[1] = {Mid + H / 2 + 1, T.Bottom};
      P[2] = {Mid, T.Top + 3};
    }
    FillTriangle(Canvas, P, 0x404040, static_cast<TColor>(C));
  }
}

void TMultiRangeScrollBar::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TControlWidget::MouseDown(Button, Shift, X, Y);
  if (Shift & ssDouble) return;
  SyncModel();
  setFocus(Qt::MouseFocusReason);
  if (Bar().MouseDown(static_cast<TPressButton>(Button), Shift, X, Y)) ShowValueHint(Hint.empty() ? "-" : Hint);
  update();
}

void TMultiRangeScrollBar::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  SyncModel();
  Bar().MouseMove(X, Y);
  if (Bar().Dragging) update();
  TControlWidget::MouseMove(Shift, X, Y);
}

void TMultiRangeScrollBar::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TControlWidget::MouseUp(Button, Shift, X, Y);
  HideValueHint();
  update();
  Bar().MouseUp();
}

}  // namespace kromel
