// Program start-up and shutdown steps that run before and after the event loop.
#pragma once

namespace kromel {

// Reads the command line switches and installs the process-wide sinks.
void RunStartupSteps(int Argc, const char* const* Argv);
// Logs the end of the run when the debug log is on.
void RunShutdownSteps();

}  // namespace kromel
