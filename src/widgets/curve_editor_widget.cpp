#include "widgets/curve_editor_widget.h"

#include <QApplication>
#include <QCursor>
#include <QFocusEvent>
#include <QKeyEvent>

#include "platform/canvas.h"
#include "widgets/editor_input_map.h"

namespace kromel {

TCurveEditorWidget::TCurveEditorWidget(QWidget* Parent) : TVelWidget(Parent) {
  setFocusPolicy(Qt::StrongFocus);
  Model.Color = Color();
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
  FPositionEdit = new QLineEdit(this);
  FValueEdit = new QLineEdit(this);
  FPositionEdit->setGeometry(5, 5, 40, 21);
  FValueEdit->setGeometry(50, 5, 40, 21);
  for (QLineEdit* E : {FPositionEdit, FValueEdit}) {
    E->hide();
    E->installEventFilter(this);
    const bool Position = E == FPositionEdit;
    QObject::connect(E, &QLineEdit::textEdited, this, [this, Position](const QString& Text) {
      if (FSyncing) return;
      // "+" and "-" are never typed into the edits.
      std::string T = Text.toStdString();
      std::erase_if(T, [](char C) { return C == '+' || C == '-'; });
      Model.SetEditText(Position, T);
    });
  }
  Model.OnFocusEdit = [this] { FPositionEdit->setFocus(); };
  Model.OnFocusBox = [this] { setFocus(); };
  UpdateButtons();
}

TCurveEditorWidget::~TCurveEditorWidget() {
  Model.OnInvalidate = nullptr;
  Model.OnFocusBox = nullptr;
  Model.OnFocusEdit = nullptr;
}

void TCurveEditorWidget::SetColor(TColor Value) {
  Model.Color = Value;
  TVelWidget::SetColor(Value);
}

void TCurveEditorWidget::SetRulerColor(TColor Value) {
  Model.RulerColor = Value;
  update();
}

void TCurveEditorWidget::UpdateButtons() {
  for (QPushButton* B : FButtons) delete B;
  FButtons.clear();
  for (const TCurveButton& B : Model.Buttons()) {
    auto* Button = new QPushButton(QString::fromStdString(B.Caption), this);
    Button->setGeometry(B.Left, B.Top, B.Width, B.Height);
    Button->setFocusPolicy(Qt::NoFocus);
    const TCurveOperation Operation = B.Operation;
    QObject::connect(Button, &QPushButton::clicked, this,
                     [this, Operation] { Model.Operate(Operation); });
    Button->show();
    FButtons.push_back(Button);
  }
}

void TCurveEditorWidget::StartDragDot(int32_t Index) {
  const QPoint P = mapFromGlobal(QCursor::pos());
  Model.StartDragDot(Index, P.x(), P.y());
}

void TCurveEditorWidget::SyncEdits() {
  FSyncing = true;
  const std::pair<QLineEdit*, const TCurveValueEdit*> Pairs[] = {
      {FPositionEdit, &Model.PositionEdit}, {FValueEdit, &Model.ValueEdit}};
  for (const auto& [Edit, State] : Pairs) {
    const QString Text = QString::fromStdString(State->Text);
    if (Edit->text() != Text) Edit->setText(Text);
    Edit->setEnabled(State->Enabled);
    Edit->setVisible(State->Visible);
  }
  FSyncing = false;
}

void TCurveEditorWidget::Paint(TImage32& Canvas) {
  TRawBitmap Bitmap(Canvas.Width, Canvas.Height, pf32bit);
  TCanvas C(Bitmap);
  Model.DrawGraph(C);
  Canvas.CopyFrom(Bitmap);
}

void TCurveEditorWidget::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  setFocus(Qt::MouseFocusReason);
  Model.Active = isVisible() && isEnabled();
  Model.MouseDown(EditButtonOf(Button), Shift, X, Y);
  SyncEdits();
}

void TCurveEditorWidget::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  Model.Active = isVisible() && isEnabled() && focusPolicy() != Qt::NoFocus;
  Model.MouseMove(Shift, X, Y);
  SyncEdits();
}

void TCurveEditorWidget::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  Model.MouseUp(EditButtonOf(Button), Shift, X, Y);
}

bool TCurveEditorWidget::MouseWheel(TShiftState Shift, int32_t WheelDelta, int32_t X, int32_t Y) {
  const bool Taken = Model.MouseWheel(Shift, WheelDelta, X, Y);
  SyncEdits();
  return Taken;
}

void TCurveEditorWidget::KeyDown(uint16_t& Key, TShiftState Shift) {
  uint16_t K = PadKey(Key);
  if (Model.KeyDown(K, Shift)) Key = 0;
  SyncEdits();
}

void TCurveEditorWidget::resizeEvent(QResizeEvent*) { Model.SetSize(width(), height()); }

void TCurveEditorWidget::focusInEvent(QFocusEvent* Event) {
  Model.Focused = true;
  update();
  QWidget::focusInEvent(Event);
}

void TCurveEditorWidget::focusOutEvent(QFocusEvent* Event) {
  // Focus moving into a value edit keeps the box focused.
  QWidget* Next = QApplication::focusWidget();
  if (Next == FPositionEdit || Next == FValueEdit) {
    update();
  } else {
    Model.FocusLost();
    SyncEdits();
  }
  QWidget::focusOutEvent(Event);
}

bool TCurveEditorWidget::eventFilter(QObject* Watched, QEvent* Event) {
  const bool Position = Watched == FPositionEdit;
  if (Watched != FPositionEdit && Watched != FValueEdit)
    return TVelWidget::eventFilter(Watched, Event);
  if (Event->type() == QEvent::KeyPress) {
    auto* K = static_cast<QKeyEvent*>(Event);
    uint16_t Key = PadKey(VirtualKeyOf(K->key()));
    if (Key == 0) return false;
    Model.EditKeyDown(Position, Key);
    SyncEdits();
    return Key == 0;
  }
  if (Event->type() == QEvent::FocusOut) {
    QWidget* Next = QApplication::focusWidget();
    if (Next != FPositionEdit && Next != FValueEdit && Next != this) {
      Model.EditExit();
      SyncEdits();
    }
  }
  return false;
}

}  // namespace kromel
