#include "app/startup.h"

#include "foundation/debug_log.h"
#include "platform/command_line.h"

namespace kromel {

void RunStartupSteps(int Argc, const char* const* Argv) {
  SetCommandLine(Argc, Argv);
  ReadDebugSwitch();
  ResetMessageState();
  InstallErrorMessageProc();
  if (DebugLogEnabled()) {
    SetProgramName("Kromel");
    DebugLogAdd("*** Started", 0);
  }
}

void RunShutdownSteps() {
  if (DebugLogEnabled()) DebugLogAdd("*** Terminated", 0);
}

}  // namespace kromel
