#include "widgets/glyph_scroll_bar.h"

#include <algorithm>

#include "widgets/draw_helpers.h"
#include "widgets/label_box.h"
#include "widgets/stroke_draw.h"

namespace kromel {

TGlyphScrollBar::TGlyphScrollBar(QWidget* Parent, TScrollBarKind K)
    : TControlWidget(std::make_unique<TScrollBarControl>(), Parent), Kind(K) {
  Init();
}

TGlyphScrollBar::TGlyphScrollBar(TScrollBarControl& Model, QWidget* Parent, TScrollBarKind K)
    : TControlWidget(Model, Parent), Kind(K) {
  Init();
}

TGlyphScrollBar::~TGlyphScrollBar() { ScrollBar().OnInvalidate = nullptr; }

void TGlyphScrollBar::Init() {
  ScrollBar().OnInvalidate = [this](void*) { update(); };
}

int32_t TGlyphScrollBar::ThumbLength() const {
  if (!PicThumb.Empty()) return Kind == sbVertical ? PicThumb.Image.Height : PicThumb.Image.Width;
  return std::max(std::min(width(), height()) * 4 / 5 / 2 * 2, 2);
}

void TGlyphScrollBar::SyncModel() const {
  TScrollBarControl& M = ScrollBar();
  M.Vertical = Kind == sbVertical;
  M.Width = width();
  M.Height = height();
  M.HasButtons = HasButtons;
  // Without a skinned picture the thumb is a plain block of ThumbLength.
  M.ThumbPictureWidth = M.Vertical ? width() : ThumbLength();
  M.ThumbPictureHeight = M.Vertical ? ThumbLength() : height();
}

TScrollBarLayout TGlyphScrollBar::Layout() const {
  SyncModel();
  return ScrollBar().CalcLayout();
}

int32_t TGlyphScrollBar::ThumbOffset() const {
  const TScrollBarLayout L = Layout();
  return Kind == sbVertical ? L.Thumb.Top : L.Thumb.Left;
}

void TGlyphScrollBar::Paint(TImage32& Canvas) {
  const TScrollBarLayout L = Layout();
  if (PicRail.Empty())
    Canvas.Fill(Color());
  else {
    Canvas.Fill(0);
    Canvas.DrawImage(PicRail.Image, 0, 0);
  }
  const TScrollBarControl& M = ScrollBar();
  if (M.Button1Down || M.Button2Down) {
    const TRect& B = M.Button1Down ? L.Button1 : L.Button2;
    FrameBox(Canvas, B.Left, B.Top, B.Right, B.Bottom, 0);
    DrawFrame3D(Canvas, TRect{B.Left + 1, B.Top + 1, B.Right - 1, B.Bottom - 1}, 0xE0E0E0, 0x202020);
    DrawFrame3D(Canvas, TRect{B.Left + 2, B.Top + 2, B.Right - 2, B.Bottom - 2}, 0xB0B0B0, 0x505050);
    FillBox(Canvas, B.Left + 3, B.Top + 3, B.Right - 3, B.Bottom - 3, Color());
  }
  if (!isEnabled()) return;  // a disabled bar shows no thumb
  if (PicThumb.Empty()) {
    if (Kind == sbVertical)
      FillBox(Canvas, 1, L.Thumb.Top, Canvas.Width - 1, L.Thumb.Bottom, 0xC0C0C0);
    else
      FillBox(Canvas, L.Thumb.Left, 1, L.Thumb.Right, Canvas.Height - 1, 0xC0C0C0);
    return;
  }
  // The thumb's transparent pixels keep the rail.
  DrawImageBlended(Canvas, PicThumb.Image, L.Thumb.Left, L.Thumb.Top);
}

void TGlyphScrollBar::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TControlWidget::MouseDown(Button, Shift, X, Y);
  if (Shift & ssDouble) return;
  setFocus(Qt::MouseFocusReason);
  SyncModel();
  if (ScrollBar().MouseDown(static_cast<TPressButton>(Button), Shift, X, Y)) ShowValueHint(Hint.empty() ? "-" : Hint);
  update();
}

void TGlyphScrollBar::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  SyncModel();
  ScrollBar().MouseMove(X, Y);
  if (ScrollBar().Dragging) update();
  TControlWidget::MouseMove(Shift, X, Y);
}

void TGlyphScrollBar::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TControlWidget::MouseUp(Button, Shift, X, Y);
  HideValueHint();
  ScrollBar().MouseUp();
  update();
}

void TGlyphScrollBar::DblClick() {
  TControlWidget::DblClick();
  TScrollBarControl& M = ScrollBar();
  if (!M.DblClick()) {
    update();
    return;
  }
  QWidget* Host = parentWidget() != nullptr ? parentWidget() : this;
  const int32_t X = parentWidget() != nullptr ? x() + (width() - 50) / 2 : (width() - 50) / 2;
  const int32_t Y = parentWidget() != nullptr ? y() : 0;
  const float Shown = static_cast<float>(M.GetDisplayPosition());
  if (PopupEdit == nullptr) {
    PopupEdit = ShowPopupEdit(Host, X, Y, this, static_cast<float>(M.Min), static_cast<float>(M.Max), Shown);
  } else {
    PopupEdit->Model = {Shown, static_cast<float>(M.Min), static_cast<float>(M.Max)};
    PopupEdit->setText(QString::fromStdString(TPopupEditModel::InitialText(Shown)));
    PopupEdit->show();
    PopupEdit->setFocus(Qt::OtherFocusReason);
  }
}

void TGlyphScrollBar::CMEditClosed() {
  if (PopupEdit == nullptr) return;
  if (PopupEdit->hasFocus()) setFocus(Qt::OtherFocusReason);
  PopupEdit->hide();
  unsetCursor();
  if (ScrollBar().OnChangeEnd) ScrollBar().OnChangeEnd(&ScrollBar());
}

bool TGlyphScrollBar::MouseWheel(TShiftState, int32_t WheelDelta, int32_t, int32_t) {
  if (WheelDelta == 0) return false;
  ScrollBar().MouseWheel(WheelDelta);
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
