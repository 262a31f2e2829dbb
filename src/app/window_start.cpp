#include "app/window_start.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cctype>
#include <filesystem>

#include "app/main_form.h"
#include "widgets/widgets_init.h"

namespace kromel {

namespace {

bool IsDebugSwitch(const std::string& Arg) {
  std::string Name = std::filesystem::path(Arg).filename().string();
  std::transform(Name.begin(), Name.end(), Name.begin(),
                 [](unsigned char C) { return char(std::toupper(C)); });
  return Name == "DEBUG" || Name == "DEBUG.TXT";
}

}  // namespace

bool WantsWindow(const std::vector<std::string>& Args) {
  for (size_t I = 1; I < Args.size(); ++I) {
    const std::string& A = Args[I];
    if (A.empty()) continue;
    if (I <= 3 && IsDebugSwitch(A)) continue;
    if (A.rfind("-psn", 0) == 0) continue;
    if (A[0] == '-') return false;
    // "/QUIT", "/?" and the other options; an absolute path names a file.
    if (A[0] == '/' && !std::filesystem::exists(A)) return false;
  }
  return true;
}

std::vector<std::string> WindowFiles(const std::vector<std::string>& Args) {
  std::vector<std::string> Files;
  for (size_t I = 1; I < Args.size(); ++I) {
    const std::string& A = Args[I];
    if (A.empty() || (I <= 3 && IsDebugSwitch(A)) || A.rfind("-psn", 0) == 0) continue;
    Files.push_back(A);
  }
  return Files;
}

int RunWindow(int Argc, char** Argv, const std::vector<std::string>& Files) {
  QApplication App(Argc, Argv);
  QApplication::setApplicationName("Kromel");
  InstallWidgetServices();
  int Status = 0;
  {
    TKromelMainForm Form;
    Form.OpenFiles(Files);
    if (QScreen* S = QGuiApplication::primaryScreen()) {
      const QRect A = S->availableGeometry();
      Form.resize(std::min(1280, A.width()), std::min(800, A.height() - 40));
    }
    Form.show();
    Status = QApplication::exec();
  }
  UninstallWidgetServices();
  return Status;
}

}  // namespace kromel
