// Menus shared by the parts of the main window that add items to them.
#pragma once
#include <QMenu>
#include <QMenuBar>
#include <QString>

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

}  // namespace kromel
