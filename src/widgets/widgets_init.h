// Starts the widget layer once the QApplication exists: the Qt platform
// backend, the Qt file dialogs (when modal dialogs are shown), the space-bar
// flag fed from key events, and the tool cursors.
#pragma once
#include "platform/qt/qt_platform.h"

namespace kromel {

void InstallWidgetServices(const TQtPlatformOptions& Options = DefaultQtPlatformOptions());
void UninstallWidgetServices();

}  // namespace kromel
