#include <cstdio>

#include "app/startup.h"

int main(int argc, char** argv) {
  kromel::RunStartupSteps(argc, argv);
  std::printf("Kromel: start-up complete; the main window is not built yet.\n");
  kromel::RunShutdownSteps();
  return 0;
}
