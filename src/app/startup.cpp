#include "app/startup.h"

#include "colour/colour_models.h"
#include "colour/icc_profiles.h"
#include "colour/log_gamma.h"
#include "foundation/debug_log.h"
#include "foundation/messages.h"
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
  // Colour maths: the transfer-function tables, then the working model
  // (cmHSPe) with its round-trip self-test.
  InitGammaTables();
  InitColorModels();
  InstallCMSTransformProc();
}

void RunShutdownSteps() {
  if (DebugLogEnabled()) DebugLogAdd("*** Terminated", 0);
}

}  // namespace kromel
