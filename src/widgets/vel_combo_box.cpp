#include "widgets/vel_combo_box.h"

#include <QAction>
#include <QKeyEvent>

namespace kromel {

TVelComboBoxController::TVelComboBoxController(QWidget* Parent, std::string Name, std::string Items,
                                               int32_t ModesCount)
    : TGlyphSwitch(std::make_unique<TComboControl>(std::move(Name), std::move(Items), ModesCount),
                   Parent) {}

void TVelComboBoxController::SetCaption(const std::string& Value) {
  if (Value == Caption()) return;
  TGlyphSwitch::SetCaption(Value);
  FMenu.clear();
}

void TVelComboBoxController::Click() {
  setFocus(Qt::OtherFocusReason);
  const QPoint At = mapToGlobal(QPoint(0, height()));
  const QList<QAction*> Existing = FMenu.actions();
  if (Existing.isEmpty() || Existing[0]->text().toStdString() != GetItem(0)) {
    FMenu.clear();
    for (int32_t I = 0; I < ItemsCount(); ++I) {
      QAction* A = FMenu.addAction(QString::fromStdString(GetItem(I)));
      A->setData(I);
      A->setCheckable(true);
      QObject::connect(A, &QAction::triggered, this, [this, I] { MenuClick(I); });
    }
  }
  const QList<QAction*> Actions = FMenu.actions();
  for (int32_t I = 0; I < int32_t(Actions.size()); ++I)
    Actions[I]->setChecked(I == Switch().SelectorPosition);
  FMenu.popup(At);
}

void TVelComboBoxController::MenuClick(int32_t Tag) {
  Switch().SetSelectorPosition(Tag);
  update();
  FireClick();
}

void TVelComboBoxController::KeyDown(uint16_t& Key, TShiftState) {
  TSwitchControl& M = Switch();
  const int32_t Last = ItemsCount() - 1;
  switch (Key) {
    case 38: M.SetSelectorPosition(M.SelectorPosition - 1); break;
    case 40:
      if (M.SelectorPosition < Last) M.SetSelectorPosition(M.SelectorPosition + 1);
      break;
    case 36: M.SetSelectorPosition(0); break;
    case 35: M.SetSelectorPosition(Last); break;
    case 32:
    case 13: Click(); break;
    default: return;
  }
  Key = 0;
  update();
}

bool TVelComboBoxController::event(QEvent* E) {
  // The arrow keys and the keypad plus and minus stay with the control
  // instead of moving the focus.
  if (E->type() == QEvent::ShortcutOverride || E->type() == QEvent::KeyPress) {
    const int K = static_cast<QKeyEvent*>(E)->key();
    const bool Keypad = (static_cast<QKeyEvent*>(E)->modifiers() & Qt::KeypadModifier) != 0;
    if (K == Qt::Key_Left || K == Qt::Key_Right || K == Qt::Key_Up || K == Qt::Key_Down ||
        (Keypad && (K == Qt::Key_Plus || K == Qt::Key_Minus))) {
      if (E->type() == QEvent::ShortcutOverride) {
        E->accept();
        return true;
      }
      keyPressEvent(static_cast<QKeyEvent*>(E));
      return true;
    }
  }
  return TGlyphSwitch::event(E);
}

}  // namespace kromel
