#include "support/qt_test_support.h"

#include <QApplication>
#include <cstdlib>
#include <filesystem>

namespace kromel::testing {

void EnsureQtApplication() {
  if (QApplication::instance() != nullptr) return;
  // Tests run offscreen unless the caller chose a platform.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int Argc = 1;
  static char Name[] = "kromel-test";
  static char* Argv[] = {Name, nullptr};
  static QApplication* App = new QApplication(Argc, Argv);
  (void)App;
}

QImage GrabWidget(QWidget& Widget) {
  return Widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

std::string SaveScreenshotImage(const QImage& Image, const std::string& Suite,
                                const std::string& Name) {
  const std::filesystem::path Folder = std::filesystem::path(KROMEL_SCREENSHOT_DIR) / Suite;
  std::error_code Error;
  std::filesystem::create_directories(Folder, Error);
  const std::filesystem::path File = Folder / (Name + ".png");
  if (Error || !Image.save(QString::fromStdString(File.string()), "PNG")) return {};
  return File.string();
}

std::string SaveScreenshot(QWidget& Widget, const std::string& Suite, const std::string& Name) {
  return SaveScreenshotImage(GrabWidget(Widget), Suite, Name);
}

}  // namespace kromel::testing
