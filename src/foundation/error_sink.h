// The process-wide error sink. Routines report failures through it.
#pragma once
#include <string>

namespace kromel {

using TErrorMessageCallback = void (*)(const std::string& Text);

// ConsoleWriteLn until start-up points it at DebugShowMessage
// (InstallErrorMessageProc).
extern TErrorMessageCallback ErrorMessageProc;

void ConsoleWriteLn(const std::string& Text);

}  // namespace kromel
