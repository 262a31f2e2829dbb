#include "widgets/glyph_scroll_bar.h"

#include <algorithm>

namespace kromel {

TGlyphScrollBar::TGlyphScrollBar(QWidget* Parent, TScrollBarKind K)
    : TControlWidget(std::make_unique<TScrollBarControl>(), Parent), Kind(K) {
  ScrollBar().OnChange = [this](void*) { update(); };
}

int32_t TGlyphScrollBar::ThumbLength() const {
  if (!PicThumb.Empty()) return Kind == sbVertical ? PicThumb.Image.Height : PicThumb.Image.Width;
  return std::max(std::min(width(), height()) * 4 / 5 / 2 * 2, 2);
}

int32_t TGlyphScrollBar::ThumbOffset() const {
  const TScrollBarControl& M = ScrollBar();
  const int32_t Span = (Kind == sbVertical ? height() : width()) - ThumbLength();
  if (M.Max <= M.Min || Span <= 0) return 0;
  const int64_t P = M.GetDisplayPosition() - M.Min;
  const int64_t Off = P * Span / (M.Max - M.Min);
  // A vertical bar has its maximum at the top.
  return int32_t(Kind == sbVertical ? Span - Off : Off);
}

void TGlyphScrollBar::Paint(TImage32& Canvas) {
  if (PicRail.Empty())
    Canvas.Fill(Color());
  else {
    Canvas.Fill(0);
    Canvas.DrawImage(PicRail.Image, 0, 0);
  }
  const int32_t Off = ThumbOffset();
  if (PicThumb.Empty()) {
    const int32_t L = ThumbLength();
    const uint32_t C = 0xFFC0C0C0u;
    if (Kind == sbVertical)
      for (int32_t Y = Off; Y < Off + L; ++Y) Canvas.DrawLine(1, Y, Canvas.Width - 2, Y, C);
    else
      for (int32_t X = Off; X < Off + L; ++X) Canvas.DrawLine(X, 1, X, Canvas.Height - 2, C);
    return;
  }
  // The thumb's transparent pixels keep the rail.
  const TImage32& T = PicThumb.Image;
  const int32_t X0 = Kind == sbVertical ? 0 : Off, Y0 = Kind == sbVertical ? Off : 0;
  for (int32_t Y = 0; Y < T.Height; ++Y)
    for (int32_t X = 0; X < T.Width; ++X) {
      const int32_t DX = X0 + X, DY = Y0 + Y;
      if (DX < 0 || DY < 0 || DX >= Canvas.Width || DY >= Canvas.Height) continue;
      const TBGRAPixel32 S = T.Row(Y)[X].BGRA;
      TBGRAPixel32& D = Canvas.Row(DY)[DX].BGRA;
      const int32_t A = S.A;
      D.B = uint8_t((S.B * A + D.B * (255 - A)) / 255);
      D.G = uint8_t((S.G * A + D.G * (255 - A)) / 255);
      D.R = uint8_t((S.R * A + D.R * (255 - A)) / 255);
    }
}

void TGlyphScrollBar::MoveThumbTo(int32_t X, int32_t Y) {
  TScrollBarControl& M = ScrollBar();
  const int32_t L = ThumbLength();
  const int32_t Span = (Kind == sbVertical ? height() : width()) - L;
  if (Span <= 0 || M.Max <= M.Min) return;
  int64_t Off = (Kind == sbVertical ? Y : X) - L / 2;
  Off = std::clamp<int64_t>(Off, 0, Span);
  if (Kind == sbVertical) Off = Span - Off;
  const int64_t P = M.Min + (Off * (M.Max - M.Min) + Span / 2) / Span;
  M.SetDisplayPosition(int32_t(P));
  update();
}

void TGlyphScrollBar::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (Button == mbLeft) {
    FDragging = true;
    MoveThumbTo(X, Y);
  }
  TControlWidget::MouseDown(Button, Shift, X, Y);
}

void TGlyphScrollBar::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  if (FDragging) MoveThumbTo(X, Y);
  TControlWidget::MouseMove(Shift, X, Y);
}

void TGlyphScrollBar::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (Button == mbLeft) FDragging = false;
  TControlWidget::MouseUp(Button, Shift, X, Y);
}

bool TGlyphScrollBar::MouseWheel(TShiftState, int32_t WheelDelta, int32_t, int32_t) {
  if (WheelDelta == 0) return false;
  TScrollBarControl& M = ScrollBar();
  M.SetDisplayPosition(M.GetDisplayPosition() + (WheelDelta > 0 ? 1 : -1));
  update();
  return true;
}

void TGlyphScrollBar::KeyDown(uint16_t& Key, TShiftState) {
  TScrollBarControl& M = ScrollBar();
  int32_t Step = 0;
  if (Key == 37 || Key == 40) Step = -1;
  if (Key == 39 || Key == 38) Step = 1;
  if (Step == 0) return;
  M.SetDisplayPosition(M.GetDisplayPosition() + Step);
  Key = 0;
  update();
}

}  // namespace kromel
