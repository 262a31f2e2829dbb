#include "widgets/dot_grid_editor_widget.h"

#include <QCursor>

#include "platform/canvas.h"
#include "widgets/editor_input_map.h"

namespace kromel {

TDotGridEditorWidget::TDotGridEditorWidget(QWidget* Parent) : TVelWidget(Parent) {
  setFocusPolicy(Qt::StrongFocus);
  Model.OnInvalidate = [this] { update(); };
  Model.OnShowHint = [this](const std::string& Text) { ShowValueHint(Text); };
  Model.OnHideHint = [this] { HideValueHint(); };
  Model.OnMouseDown = [this](TEditButton B, uint32_t Shift, int32_t X, int32_t Y) {
    if (OnMouseDown) OnMouseDown(this, MouseButtonOf(B), Shift, X, Y);
  };
  Model.OnMouseUp = [this](TEditButton B, uint32_t Shift, int32_t X, int32_t Y) {
    if (OnMouseUp) OnMouseUp(this, MouseButtonOf(B), Shift, X, Y);
  };
  Model.OnMouseMove = [this](uint32_t Shift, int32_t X, int32_t Y) {
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
  };
}

TDotGridEditorWidget::~TDotGridEditorWidget() { Model.OnInvalidate = nullptr; }

QPoint TDotGridEditorWidget::StartDragDotNear(int32_t X, int32_t Y) {
  const QPoint Cursor = mapFromGlobal(QCursor::pos());
  const TPoint Q = Model.StartDragDotNear(X, Y, Cursor.x(), Cursor.y());
  return mapToGlobal(QPoint(Q.X, Q.Y));
}

void TDotGridEditorWidget::BeginDotDrag(int32_t X, int32_t Y) {
  const QPoint Cursor = mapFromGlobal(QCursor::pos());
  Model.BeginDotDrag(X, Y, Cursor.x(), Cursor.y());
}

void TDotGridEditorWidget::Paint(TImage32& Canvas) {
  TRawBitmap Bitmap(Canvas.Width, Canvas.Height, pf32bit);
  TCanvas C(Bitmap);
  Model.Paint(C);
  Canvas.CopyFrom(Bitmap);
}

void TDotGridEditorWidget::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  setFocus(Qt::MouseFocusReason);
  Model.MouseDown(EditButtonOf(Button), Shift, X, Y);
}

void TDotGridEditorWidget::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  Model.Active = isVisible() && isEnabled() && focusPolicy() != Qt::NoFocus;
  Model.MouseMove(Shift, X, Y);
}

void TDotGridEditorWidget::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  Model.MouseUp(EditButtonOf(Button), Shift, X, Y);
}

void TDotGridEditorWidget::KeyDown(uint16_t& Key, TShiftState Shift) {
  uint16_t K = PadKey(Key);
  if (Model.KeyDown(K, Shift)) Key = 0;
}

void TDotGridEditorWidget::resizeEvent(QResizeEvent*) { Model.SetSize(width(), height()); }

void TDotGridEditorWidget::focusInEvent(QFocusEvent* Event) {
  Model.Focused = true;
  Model.SetManualFocus(true);
  update();
  QWidget::focusInEvent(Event);
}

void TDotGridEditorWidget::focusOutEvent(QFocusEvent* Event) {
  Model.Focused = false;
  update();
  QWidget::focusOutEvent(Event);
}

}  // namespace kromel
