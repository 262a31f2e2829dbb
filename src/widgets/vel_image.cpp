#include "widgets/vel_image.h"

#include <utility>

#include <QDialog>
#include <QLabel>
#include <QPixmap>
#include <algorithm>

#include "images/image64.h"
#include "images/image64_draw.h"
#include "widgets/draw_helpers.h"

namespace kromel {

TVelImage::TVelImage(QWidget* Parent) : TVelWidget(Parent) { setFocusPolicy(Qt::StrongFocus); }

void TVelImage::SetBackground(const TImage32& Picture) {
  TImage32 Copy;
  if (HasArea(Picture) && Copy.Alloc(Picture.Width, Picture.Height)) Copy.Copy(Picture);
  FBackground.Take(Copy);
  update();
}

void TVelImage::SetBevel(int32_t Value) {
  FBevel = Value;
  update();
}

void TVelImage::SetBevelColor(TColor Value) {
  if (Value == FBevelColor) return;
  FBevelColor = Value;
  update();
}

void TVelImage::SetCaption(const std::string& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  update();
}

void TVelImage::Paint(TImage32& Canvas) {
  const int32_t W = Canvas.Width, H = Canvas.Height, B = FBevel;
  const TImage32& Pic = FBackground.Image;
  const int32_t PW = HasArea(Pic) ? Pic.Width : 0, PH = HasArea(Pic) ? Pic.Height : 0;
  if (PW > 0) Canvas.DrawImage(Pic, B, B);
  const uint32_t Fill = ColorToBGRA(Color()) | 0xFF000000u;
  FillRect32(Canvas, PW + B, 0, W - B, H - B, Fill);
  FillRect32(Canvas, 0, PH + B, PW + B, H - B, Fill);
  if (!FCaption.empty()) {
    TFont F = Font;
    F.Color = FontColor();
    DrawTextBox(Canvas, FCaption, F, Color(), 1, H - 18, W - 3, 18, 2);
  }
  if (B > 0) {
    const uint32_t Frame = ColorToBGRA(FBevelColor) | 0xFF000000u;
    FillRect32(Canvas, 0, 0, W, B, Frame);
    FillRect32(Canvas, 0, 0, B, H, Frame);
    FillRect32(Canvas, W - B, 0, W, H, Frame);
    FillRect32(Canvas, 0, H - B, W, H, Frame);
  }
  if (OnPaint) OnPaint(this, Canvas);
}

void TVelImage::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  update();
  TVelWidget::MouseMove(Shift, X, Y);
}

void TVelImage::MouseEnter() {
  TVelWidget::MouseEnter();
  update();
}

void TVelImage::MouseLeave() {
  TVelWidget::MouseLeave();
  update();
}

void TVelImage::focusInEvent(QFocusEvent* Event) {
  TVelWidget::focusInEvent(Event);
  update();
}

TVelImageDraggable::TVelImageDraggable(QWidget* Parent) : TVelImage(Parent) {}

void TVelImageDraggable::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TVelImage::MouseDown(Button, Shift, X, Y);
  setFocus(Qt::MouseFocusReason);
  LastX = X;
  LastY = Y;
  if (Button == mbLeft && (!DragRightClick || DragBothButtons)) Dragging = true;
  if (Button == mbRight && (DragRightClick || DragBothButtons)) Dragging = true;
  if (OnDragged) OnDragged(this);
}

void TVelImageDraggable::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  TVelImage::MouseMove(Shift, X, Y);
  if (!Dragging) return;
  XShift += X - LastX;
  YShift = std::max(std::min(YShift + (Y - LastY), YMax), YMin);
  LastX = X;
  LastY = Y;
  if (OnDragged) OnDragged(this);
}

void TVelImageDraggable::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  Dragging = false;
  TVelImage::MouseUp(Button, Shift, X, Y);
  if (OnDragged) OnDragged(this);
}

TDragImage::TDragImage(QWidget* Parent) : TVelWidget(Parent) {}

void TDragImage::Paint(TImage32& Canvas) {
  Canvas.Fill(Color());
  if (!Picture.Empty()) Canvas.DrawImage(Picture.Image, 0, 0);
}

void TDragImage::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (Button == mbLeft) {
    setCursor(Qt::PointingHandCursor);
    FDragging = true;
    FPressX = X;
    FPressY = Y;
  }
  TVelWidget::MouseDown(Button, Shift, X, Y);
}

void TDragImage::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  TVelWidget::MouseMove(Shift, X, Y);
  QWidget* O = parentWidget();
  if (!FDragging || FMoving || O == nullptr) return;
  FMoving = true;
  int32_t L = X + O->x() - FPressX;
  int32_t T = Y + O->y() - FPressY;
  if (SnapToEdges)
    if (QWidget* Outer = O->parentWidget()) {
      if (L < 7) L = 0;
      if (T < 7) T = 0;
      if (L > Outer->width() - O->width() - 7) L = Outer->width() - O->width();
      if (T > Outer->height() - O->height() - 7) T = Outer->height() - O->height();
    }
  const int32_t Step = std::max(GridStep, 1);
  O->move(L / Step * Step, T / Step * Step);
  if (OnMoved) OnMoved(this);
  FMoving = false;
}

void TDragImage::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (Button == mbLeft) {
    FDragging = false;
    unsetCursor();
  }
  TVelWidget::MouseUp(Button, Shift, X, Y);
}

bool GlyphBitmapFromText(const std::string& Pattern, TImage32& Glyph) {
  if (Pattern.size() <= 3) return false;
  if (Pattern[0] != '#' && Pattern[1] != '#' && Pattern[2] != '#') return false;
  const int32_t Width = Pattern[2] == '#' ? 48 : Pattern[1] == '#' ? 32 : 16;
  std::string Text = Pattern;
  std::erase(Text, ' ');
  const int32_t Height = int32_t(Text.size()) / (Width / 2) - 1;
  if (Height <= 0) return false;
  TImage64 Work;
  if (!Work.Alloc(Width, Height)) return false;
  Work.Fill(TPixel64{65535, 65535, 65535, 65535});
  DrawHexGlyph(Work, Width / 2, 0, Width, Text, TPixel64{0, 0, 0, 65535}, false);
  TImage32 Out;
  Work.CopyToImage32(Out);
  Work.Dispose();
  Out.SetAlpha(255);
  Glyph = std::move(Out);
  return true;
}

void ShowBitmapWindow(const TImage32& Picture) {
  if (!HasArea(Picture)) return;
  QDialog Window;
  Window.resize(Picture.Width + 30, Picture.Height + 60);
  auto* Label = new QLabel(&Window);
  Label->setGeometry(0, 0, Picture.Width, Picture.Height);
  Label->setPixmap(QPixmap::fromImage(QImageOver(Picture).copy()));
  Window.exec();
}

}  // namespace kromel
