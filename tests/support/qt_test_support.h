// Qt in tests: one QApplication for the test program (offscreen under
// CTest) and the screenshot helper that leaves pictures of what a test
// built under <build folder>/screenshots/<suite>/<name>.png.
#pragma once
#include <QImage>
#include <QWidget>
#include <functional>
#include <string>

namespace kromel::testing {

// The program's QApplication, created on first use on the calling thread.
void EnsureQtApplication();

// Serves the event loop and the queue of calls onto the main thread until
// Done holds; false after 20 seconds.
bool WaitUntil(const std::function<bool()>& Done);

// The widget rendered offscreen (its paint path, children included).
QImage GrabWidget(QWidget& Widget);

// Renders Widget and writes the picture; returns the file written, empty
// when it could not be written.
std::string SaveScreenshot(QWidget& Widget, const std::string& Suite, const std::string& Name);
// Writes an image the same way.
std::string SaveScreenshotImage(const QImage& Image, const std::string& Suite,
                                const std::string& Name);

}  // namespace kromel::testing
