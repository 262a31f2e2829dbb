#include <string>
#include <vector>

#include "app/startup.h"
#include "app/window_start.h"
#include "session/headless_session.h"

int main(int argc, char** argv) {
  kromel::RunStartupSteps(argc, argv);
  const std::vector<std::string> Args(argv, argv + argc);
  int Status = 0;
  if (kromel::WantsWindow(Args)) {
    // The window, with the files named on the command line loaded.
    Status = kromel::RunWindow(argc, argv, kromel::WindowFiles(Args));
  } else {
    kromel::THeadlessSession Session;
    Status = Session.Run(Args);
  }
  kromel::RunShutdownSteps();
  return Status;
}
