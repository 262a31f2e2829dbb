// Menus shared by the parts of the main window that add items to them.
#pragma once
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QString>
#include <type_traits>

#include "app/guarded.h"
#include "platform/translate.h"

namespace kromel {

// The menu titled Title (English or translated, '&' ignored); a new one is
// placed before the Window and Help menus, Help itself last.
inline QMenu* FindOrAddMenu(QMenuBar* Bar, const char* Title) {
  auto Plain = [](QString Text) { return Text.remove('&'); };
  const QString English = Plain(QString::fromUtf8(Title));
  const QString Translated = Plain(QString::fromStdString(_(Title)));
  QAction* Before = nullptr;
  for (QAction* A : Bar->actions()) {
    if (!A->menu()) continue;
    const QString Text = Plain(A->text());
    if (Text == English || Text == Translated) return A->menu();
    if (Before == nullptr && (Text == Plain(QString::fromStdString(_("&Window"))) ||
                              Text == Plain(QString::fromStdString(_("&Help")))))
      Before = A;
  }
  if (English == "Help") Before = nullptr;
  auto* Menu = new QMenu(QString::fromStdString(_(Title)), Bar);
  Bar->insertMenu(Before, Menu);
  return Menu;
}

// The property holding a menu item's English text: the language switch
// translates every item that has it.
inline constexpr const char* SourceTextProperty = "KromelSourceText";

// Gives A the translated Text and keeps the English for the language switch.
inline void SetTranslatedText(QAction* A, const char* Text) {
  A->setText(QString::fromStdString(_(Text)));
  A->setProperty(SourceTextProperty, QString::fromUtf8(Text));
}

// A menu item with a shortcut (none when empty) whose handler runs guarded;
// Fn takes the checked state or nothing.
template <class TFn>
QAction* AddMenuAction(QMenu* Menu, const char* Text, const QKeySequence& Key, QObject* Context, TFn Fn) {
  QAction* A = Menu->addAction(QString());
  SetTranslatedText(A, Text);
  if (!Key.isEmpty()) A->setShortcut(Key);
  QObject::connect(A, &QAction::triggered, Context, [Text, Fn](bool Checked) {
    Guarded(Text, [&] {
      if constexpr (std::is_invocable_v<TFn, bool>)
        Fn(Checked);
      else
        Fn();
    });
  });
  return A;
}

}  // namespace kromel
