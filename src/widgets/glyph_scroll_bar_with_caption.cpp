#include "widgets/glyph_scroll_bar_with_caption.h"

#include <QKeyEvent>

#include "widgets/glyph_scroll_bar.h"
#include "widgets/label_box.h"

namespace kromel {

namespace {

// The value edit: its keys and its leaving go to the model.
class TValueEdit : public QLineEdit {
public:
  TValueEdit(TCaptionedScrollBarControl& Model, QWidget* Parent, std::function<void()> Done)
      : QLineEdit(Parent), FModel(Model), FDone(std::move(Done)) {
    setFrame(false);
    connect(this, &QLineEdit::textEdited, this,
            [this](const QString& T) { FModel.EditChange(T.toStdString()); });
  }

protected:
  void keyPressEvent(QKeyEvent* E) override {
    const uint16_t Key = VirtualKeyOf(E->key());
    const bool Ends = Key == vkReturn || Key == vkTab || Key == vkEscape;
    if (Key != 0 && FModel.EditKeyDown(Key, ShiftStateOf(E->modifiers(), Qt::NoButton))) {
      if (Ends) FDone();
      return;
    }
    QLineEdit::keyPressEvent(E);
  }
  void focusOutEvent(QFocusEvent* E) override {
    QLineEdit::focusOutEvent(E);
    if (FModel.Editing) {
      FModel.EditDone();
      FDone();
    }
  }
  bool focusNextPrevChild(bool) override { return false; }

private:
  TCaptionedScrollBarControl& FModel;
  std::function<void()> FDone;
};

}  // namespace

TGlyphScrollBarWithCaption::TGlyphScrollBarWithCaption(QWidget* Parent)
    : TControlWidget(std::make_unique<TCaptionedScrollBarControl>(), Parent) {
  Init();
}

TGlyphScrollBarWithCaption::TGlyphScrollBarWithCaption(TCaptionedScrollBarControl& Model, QWidget* Parent)
    : TControlWidget(Model, Parent) {
  Init();
}

TGlyphScrollBarWithCaption::~TGlyphScrollBarWithCaption() {
  Bar().OnTextChanged = nullptr;
  // The children go first: they point into the model.
  delete ValueEdit;
  delete CaptionBox;
  delete ScrollBar;
  delete ValueLabel;
}

void TGlyphScrollBarWithCaption::Init() {
  TCaptionedScrollBarControl& M = Bar();
  setFocusPolicy(Qt::NoFocus);
  ScrollBar = new TGlyphScrollBar(M.ScrollBar, this);
  CaptionBox = new TLabelBox(M.CaptionBox, this);
  CaptionBox->Alignment = 0;
  CaptionBox->Caption = M.Caption;
  CaptionBox->setCursor(Qt::SizeHorCursor);
  ValueEdit = new TValueEdit(M, this, [this] { FinishEditing(); });
  ValueEdit->hide();
  ValueEdit->setEnabled(false);
  ValueLabel = new TLabelBox(this);
  ValueLabel->Alignment = 1;
  ValueLabel->setCursor(Qt::IBeamCursor);
  ValueLabel->Box().Locked = true;  // a click, not a drag
  ValueLabel->OnMouseUp = [this](QWidget*, TMouseButton Button, TShiftState, int32_t, int32_t) {
    if (Button == mbLeft) StartEditing();
  };
  M.OnTextChanged = [this](void*) {
    ValueLabel->SetCaption(Bar().ValueLabelText);
    if (!Bar().Editing) ValueEdit->setText(QString::fromStdString(Bar().EditText));
  };
  M.UpdateText();
  Arrange();
}

TVelWidget* TGlyphScrollBarWithCaption::CaptionLabel() { return CaptionBox; }
TVelWidget* TGlyphScrollBarWithCaption::InnerScrollBar() { return ScrollBar; }

void TGlyphScrollBarWithCaption::SetCaption(const std::string& Text) {
  Bar().Caption = Text;
  CaptionBox->SetCaption(Text);
}

void TGlyphScrollBarWithCaption::Arrange() {
  const TCaptionedLayout L = Bar().Layout(width(), height());
  auto Place = [](QWidget* W, const TBounds& B) { W->setGeometry(B.Left, B.Top, B.Width, B.Height); };
  Place(CaptionBox, L.Caption);
  Place(ScrollBar, L.Bar);
  ScrollBar->setVisible(L.BarVisible);
  Place(ValueEdit, L.Edit);
  Place(ValueLabel, L.ValueLabel);
}

void TGlyphScrollBarWithCaption::resizeEvent(QResizeEvent*) { Arrange(); }

void TGlyphScrollBarWithCaption::Paint(TImage32& Canvas) { Canvas.Fill(Color()); }

void TGlyphScrollBarWithCaption::StartEditing() {
  Bar().ValueLabelClick();
  ValueLabel->hide();
  ValueEdit->setText(QString::fromStdString(Bar().EditText));
  ValueEdit->setEnabled(true);
  ValueEdit->show();
  ValueEdit->setFocus(Qt::MouseFocusReason);
}

void TGlyphScrollBarWithCaption::FinishEditing() {
  ValueEdit->hide();
  ValueEdit->setEnabled(false);
  ValueLabel->show();
  if (ScrollBar->isVisible())
    ScrollBar->setFocus(Qt::OtherFocusReason);
}

}  // namespace kromel
