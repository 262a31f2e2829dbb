#include <cstdio>
#include <string>
#include <vector>

#include "app/startup.h"
#include "session/headless_session.h"

int main(int argc, char** argv) {
  kromel::RunStartupSteps(argc, argv);
  int Status = 0;
  if (argc > 1) {
    // No window yet: the command line runs headless and the program exits.
    std::vector<std::string> Args(argv, argv + argc);
    kromel::THeadlessSession Session;
    Status = Session.Run(Args);
  } else {
    std::printf("Kromel: start-up complete; the main window is not built yet.\n");
  }
  kromel::RunShutdownSteps();
  return Status;
}
