#include "support/qt_test_support.h"

#include "platform/main_thread.h"

#include <QApplication>
#include <chrono>
#include <thread>
#include <cstdlib>
#include <filesystem>

namespace kromel::testing {

bool WaitUntil(const std::function<bool()>& Done) {
  const auto End = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!Done()) {
    if (std::chrono::steady_clock::now() > End) return false;
    QCoreApplication::processEvents();
    DrainMainThreadCalls();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

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

// Pixel by pixel on this thread: Qt's own conversion of larger images runs
// on its worker pool, which ThreadSanitizer cannot follow.
QImage ToRGB32(const QImage& Source) {
  if (Source.format() == QImage::Format_RGB32) return Source;
  QImage Out(Source.size(), QImage::Format_RGB32);
  for (int Y = 0; Y < Source.height(); ++Y) {
    auto* Row = reinterpret_cast<QRgb*>(Out.scanLine(Y));
    for (int X = 0; X < Source.width(); ++X) Row[X] = Source.pixel(X, Y) | 0xFF000000u;
  }
  return Out;
}

QImage GrabWidget(QWidget& Widget) { return ToRGB32(Widget.grab().toImage()); }

std::string SaveScreenshotImage(const QImage& Image, const std::string& Suite,
                                const std::string& Name) {
  const std::filesystem::path Folder = std::filesystem::path(KROMEL_SCREENSHOT_DIR) / Suite;
  std::error_code Error;
  std::filesystem::create_directories(Folder, Error);
  const std::filesystem::path File = Folder / (Name + ".png");
  if (Error || !ToRGB32(Image).save(QString::fromStdString(File.string()), "PNG")) return {};
  return File.string();
}

std::string SaveScreenshot(QWidget& Widget, const std::string& Suite, const std::string& Name) {
  return SaveScreenshotImage(GrabWidget(Widget), Suite, Name);
}

}  // namespace kromel::testing

// What the sanitizers must not report in the Qt tests: Qt's raster painting
// and image conversion split larger images over Qt's own worker pool,
// synchronised inside Qt where ThreadSanitizer cannot see it; and the font
// configuration Qt loads stays for the life of the process.
extern "C" const char* __tsan_default_suppressions() { return "race:libQt6Gui.so\n"; }
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
