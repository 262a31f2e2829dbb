#include "widgets/vel_widget.h"

#include <QEnterEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QWheelEvent>
#include <algorithm>

namespace kromel {

namespace {

// The one value hint window, created on first use.
QLabel* HintWindow() {
  static QPointer<QLabel> W;
  if (W.isNull()) {
    W = new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
    W->setWordWrap(true);
    W->setMargin(3);
    W->setStyleSheet("QLabel { background: #FFFFE1; color: black; border: 1px solid #767676; }");
  }
  return W.data();
}

QWidget* GHintOwner = nullptr;

TMouseButton ButtonOf(Qt::MouseButton B) {
  if (B == Qt::RightButton) return mbRight;
  if (B == Qt::MiddleButton) return mbMiddle;
  return mbLeft;
}

}  // namespace

TShiftState ShiftStateOf(Qt::KeyboardModifiers M, Qt::MouseButtons B) {
  TShiftState S = 0;
  if (M & Qt::ShiftModifier) S |= ssShift;
  if (M & Qt::AltModifier) S |= ssAlt;
  if (M & Qt::ControlModifier) S |= ssMeta;
  if (M & Qt::MetaModifier) S |= ssCtrl;
  if (B & Qt::LeftButton) S |= ssLeft;
  if (B & Qt::RightButton) S |= ssRight;
  if (B & Qt::MiddleButton) S |= ssMiddle;
  return S;
}

uint16_t VirtualKeyOf(int K) {
  if (K >= Qt::Key_A && K <= Qt::Key_Z) return uint16_t('A' + (K - Qt::Key_A));
  if (K >= Qt::Key_0 && K <= Qt::Key_9) return uint16_t('0' + (K - Qt::Key_0));
  if (K >= Qt::Key_F1 && K <= Qt::Key_F12) return uint16_t(112 + (K - Qt::Key_F1));
  switch (K) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Plus: return 187;
    case Qt::Key_Minus: return 189;
    default: return 0;
  }
}

QColor QColorOf(TColor C) { return QColor(int(C & 0xFF), int((C >> 8) & 0xFF), int((C >> 16) & 0xFF)); }

TColor ColorOfQColor(const QColor& C) {
  return TColor(C.red()) | TColor(C.green()) << 8 | TColor(C.blue()) << 16;
}

QImage QImageOver(const TImage32& Image, bool WithAlpha) {
  if (!HasArea(Image)) return {};
  return QImage(reinterpret_cast<const uchar*>(Image.Pixels), Image.Width, Image.Height,
                qsizetype(Image.Width) * 4, WithAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

void Image32FromQImage(const QImage& Source, TImage32& Target) {
  const QImage S = Source.convertToFormat(QImage::Format_ARGB32);
  Target.Init();
  if (!Target.Alloc(S.width(), S.height())) return;
  for (int32_t Y = 0; Y < S.height(); ++Y)
    std::copy_n(reinterpret_cast<const uint32_t*>(S.constScanLine(Y)), S.width(),
                reinterpret_cast<uint32_t*>(Target.Row(Y)));
}

TVelWidget::TVelWidget(QWidget* Parent) : QWidget(Parent) {
  FBuffer.Init();
  // We paint every pixel ourselves: no background erase.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
}

TVelWidget::~TVelWidget() {
  if (GHintOwner == this) HideValueHint();
  FBuffer.Dispose();
}

void TVelWidget::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  update();
}

void TVelWidget::SetFontColor(TColor Value) {
  if (Value == FFontColor) return;
  FFontColor = Value;
  update();
}

void TVelWidget::SetFontLight(bool Value) { FFontLight = Value; }

void TVelWidget::PaintToBuffer() {
  const int32_t W = std::max(width(), 1), H = std::max(height(), 1);
  if (FBuffer.Pixels == nullptr || FBuffer.Width != W || FBuffer.Height != H) {
    FBuffer.Dispose();
    if (!FBuffer.Alloc(W, H)) return;
  }
  Paint(FBuffer);
  // The blit reads the pixels as opaque; keep their alpha byte honest.
  FBuffer.SetAlpha(255);
}

void TVelWidget::Paint(TImage32& Canvas) { Canvas.Fill(FColor); }

void TVelWidget::paintEvent(QPaintEvent*) {
  PaintToBuffer();
  if (FBuffer.Pixels == nullptr) return;
  QPainter Painter(this);
  Painter.drawImage(0, 0, QImageOver(FBuffer));
}

void TVelWidget::ShowValueHint(const std::string& Text) {
  QLabel* W = HintWindow();
  GHintOwner = this;
  W->setText(QString::fromStdString(Text));
  W->setMaximumWidth(300);
  W->adjustSize();
  const QPoint P = mapToGlobal(QPoint(0, height()));
  W->move(P);
  W->show();
}

void TVelWidget::HideValueHint() {
  GHintOwner = nullptr;
  if (QLabel* W = HintWindow()) W->hide();
}

void TVelWidget::ForwardMouseMove(int32_t ScreenX, int32_t ScreenY) {
  const QPoint P = mapFromGlobal(QPoint(ScreenX, ScreenY));
  MouseMove(ShiftStateOf(QGuiApplication::queryKeyboardModifiers(), QGuiApplication::mouseButtons()),
            P.x(), P.y());
}

void TVelWidget::ForwardLButtonUp(int32_t ScreenX, int32_t ScreenY) {
  const QPoint P = mapFromGlobal(QPoint(ScreenX, ScreenY));
  MouseUp(mbLeft, ShiftStateOf(QGuiApplication::queryKeyboardModifiers(), Qt::NoButton), P.x(), P.y());
}

void TVelWidget::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TVelWidget::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TVelWidget::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TVelWidget::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

bool TVelWidget::MouseWheel(TShiftState, int32_t, int32_t, int32_t) { return false; }
void TVelWidget::KeyDown(uint16_t&, TShiftState) {}
void TVelWidget::KeyUp(uint16_t&, TShiftState) {}

void TVelWidget::MouseEnter() {
  if (!Hint.empty()) ShowValueHint(Hint);
  if (OnMouseEnter) OnMouseEnter(this);
}

void TVelWidget::MouseLeave() {
  if (GHintOwner == this) HideValueHint();
  if (OnMouseLeave) OnMouseLeave(this);
}

void TVelWidget::mousePressEvent(QMouseEvent* E) {
  const QPoint P = E->position().toPoint();
  MouseDown(ButtonOf(E->button()), ShiftStateOf(E->modifiers(), E->buttons()), P.x(), P.y());
}

void TVelWidget::mouseMoveEvent(QMouseEvent* E) {
  const QPoint P = E->position().toPoint();
  MouseMove(ShiftStateOf(E->modifiers(), E->buttons()), P.x(), P.y());
}

void TVelWidget::mouseReleaseEvent(QMouseEvent* E) {
  const QPoint P = E->position().toPoint();
  MouseUp(ButtonOf(E->button()), ShiftStateOf(E->modifiers(), E->buttons()), P.x(), P.y());
}

void TVelWidget::mouseDoubleClickEvent(QMouseEvent* E) {
  const QPoint P = E->position().toPoint();
  MouseDown(ButtonOf(E->button()), ShiftStateOf(E->modifiers(), E->buttons()) | ssDouble, P.x(),
            P.y());
  DblClick();
}

void TVelWidget::wheelEvent(QWheelEvent* E) {
  const QPoint P = E->position().toPoint();
  if (MouseWheel(ShiftStateOf(E->modifiers(), E->buttons()), E->angleDelta().y(), P.x(), P.y()))
    E->accept();
  else
    E->ignore();
}

void TVelWidget::keyPressEvent(QKeyEvent* E) {
  uint16_t Key = VirtualKeyOf(E->key());
  if (Key != 0) KeyDown(Key, ShiftStateOf(E->modifiers(), Qt::NoButton));
  if (Key == 0 && VirtualKeyOf(E->key()) != 0)
    E->accept();
  else
    QWidget::keyPressEvent(E);
}

void TVelWidget::keyReleaseEvent(QKeyEvent* E) {
  uint16_t Key = VirtualKeyOf(E->key());
  if (Key != 0) KeyUp(Key, ShiftStateOf(E->modifiers(), Qt::NoButton));
  if (Key == 0 && VirtualKeyOf(E->key()) != 0)
    E->accept();
  else
    QWidget::keyReleaseEvent(E);
}

void TVelWidget::enterEvent(QEnterEvent*) { MouseEnter(); }
void TVelWidget::leaveEvent(QEvent*) { MouseLeave(); }

void TVelWidget::hideEvent(QHideEvent*) {
  if (GHintOwner == this) HideValueHint();
}

}  // namespace kromel
