#include "widgets/label_box.h"

#include <QKeyEvent>

#include "widgets/draw_helpers.h"
#include "widgets/stroke_draw.h"

namespace kromel {

TLabelBox::TLabelBox(QWidget* Parent)
    : TControlWidget(std::make_unique<TLabelBoxControl>(), Parent) {
  Init();
}

TLabelBox::TLabelBox(TLabelBoxControl& Model, QWidget* Parent) : TControlWidget(Model, Parent) {
  Init();
}

TLabelBox::~TLabelBox() { Box().OnInvalidate = nullptr; }

void TLabelBox::Init() {
  resize(9, 10);
  setFocusPolicy(Qt::NoFocus);
  Font.Size = 11;
  Box().OnInvalidate = [this](void*) { update(); };
}

void TLabelBox::SetCaption(const std::string& Text) {
  if (Text == Caption) return;
  Caption = Text;
  update();
}

void TLabelBox::Paint(TImage32& Canvas) {
  if (Glyph.Image.Height < 2)
    Canvas.Fill(Color());
  else
    Canvas.DrawImage(Glyph.Image, 0, 0);
  std::string Text = Caption;
  for (char& C : Text)
    if (C == '\r') C = '\n';
  TFont F = Font;
  F.Color = FontColor();
  DrawTextBox(Canvas, Text, F, Color(), 0, 0, Canvas.Width, Canvas.Height, Alignment);
}

void TLabelBox::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TLabelBoxControl& B = Box();
  const bool Locked = B.Locked;
  if (Button == mbLeft && !Locked && (Shift & ssDouble) == 0 && focusPolicy() != Qt::NoFocus)
    setFocus(Qt::MouseFocusReason);
  if (B.MouseDown(static_cast<TPressButton>(Button), Shift, X, Y) && !Hint.empty())
    ShowValueHint(Hint);
  update();
  if (Button == mbLeft && Locked) return;
  TControlWidget::MouseDown(Button, Shift, X, Y);
}

void TLabelBox::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  if (isVisible() && isEnabled()) Box().MouseMove(X, Y);
  TControlWidget::MouseMove(Shift, X, Y);
}

void TLabelBox::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  HideValueHint();
  Box().MouseUp(static_cast<TPressButton>(Button), X, Y);
  TControlWidget::MouseUp(Button, Shift, X, Y);
}

void TLabelBox::DblClick() {
  Box().DblClick();
  TControlWidget::DblClick();
}

bool TLabelBox::MouseWheel(TShiftState, int32_t WheelDelta, int32_t, int32_t) {
  if (WheelDelta == 0) return false;
  Box().MouseWheel(WheelDelta);
  return true;
}

void TLabelBox::KeyDown(uint16_t& Key, TShiftState) {
  if (Box().KeyDown(Key)) Key = 0;
}

// ---------------------------------------------------------------------------
// TPopupEdit

TPopupEdit::TPopupEdit(TControlWidget* ATarget, QWidget* Parent) : QLineEdit(Parent), Target(ATarget) {
  connect(this, &QLineEdit::textEdited, this, [this](const QString& T) { TextChanged(T); });
}

void TPopupEdit::TextChanged(const QString& Text) {
  std::string S = TPopupEditModel::NormalizeText(Text.toStdString());
  if (S != Text.toStdString()) {
    const int Cursor = cursorPosition();
    setText(QString::fromStdString(S));
    setCursorPosition(Cursor);
  }
  int64_t W = 0;
  if (Target != nullptr && Model.WParamOfText(S, W)) Target->CMSetValueS(W);
}

void TPopupEdit::keyPressEvent(QKeyEvent* E) {
  if (E->key() == Qt::Key_Return || E->key() == Qt::Key_Enter) {
    int64_t W = 0;
    if (Target != nullptr && Model.WParamOfText(text().toStdString(), W)) Target->CMSetValueS(W);
    if (Target != nullptr) Target->CMSetFocus();
    return;
  }
  if (E->key() == Qt::Key_Escape) {
    int64_t W = 0;
    if (Target != nullptr && Model.StartWParam(W)) Target->CMSetValueS(W);
    if (Target != nullptr) Target->CMSetFocus();
    return;
  }
  QLineEdit::keyPressEvent(E);
}

void TPopupEdit::focusOutEvent(QFocusEvent* E) {
  QLineEdit::focusOutEvent(E);
  if (hasFocus() || FClosing || Target == nullptr) return;
  FClosing = true;
  Target->CMEditClosed();
  FClosing = false;
}

TPopupEdit* ShowPopupEdit(QWidget* Parent, int32_t X, int32_t Y, TControlWidget* Target,
                          float MinValue, float MaxValue, float Value) {
  auto* E = new TPopupEdit(Target, Parent);
  E->Model = {Value, MinValue, MaxValue};
  E->setGeometry(X, Y, 50, 25);
  E->setText(QString::fromStdString(TPopupEditModel::InitialText(Value)));
  E->show();
  E->setFocus(Qt::OtherFocusReason);
  return E;
}

}  // namespace kromel
