#include "widgets/widgets_init.h"

#include <QApplication>
#include <QKeyEvent>

#include "fileio/file_dialogs.h"
#include "foundation/platform_helpers.h"
#include "widgets/cursors.h"
#include "widgets/qt_dialogs.h"

namespace kromel {

namespace {

// Sets the space-bar flag from every key event of the application.
class TSpaceKeyFilter : public QObject {
public:
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    if (Event->type() == QEvent::KeyPress || Event->type() == QEvent::KeyRelease) {
      auto* K = static_cast<QKeyEvent*>(Event);
      if (K->key() == Qt::Key_Space && !K->isAutoRepeat())
        SetSpaceKeyDown(Event->type() == QEvent::KeyPress);
    }
    return QObject::eventFilter(Watched, Event);
  }
};

TSpaceKeyFilter* GFilter = nullptr;

}  // namespace

void InstallWidgetServices(const TQtPlatformOptions& Options) {
  InstallQtPlatform(Options);
  if (Options.ModalDialogs) SetFileDialogFactory(&NewQtFileDialog);
  if (GFilter == nullptr && qApp != nullptr) {
    GFilter = new TSpaceKeyFilter();
    qApp->installEventFilter(GFilter);
  }
  LoadCursors();
}

void UninstallWidgetServices() {
  if (GFilter != nullptr) {
    if (qApp != nullptr) qApp->removeEventFilter(GFilter);
    delete GFilter;
    GFilter = nullptr;
  }
  SetFileDialogFactory({});
  UninstallQtPlatform();
}

}  // namespace kromel
