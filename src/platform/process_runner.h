// External programs started from an argument vector with posix_spawn; never
// through a shell, never from a command string that is split again.
#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

namespace kromel {

struct TProcessOptions {
  // The child's standard error goes where its standard output goes.
  bool StderrToStdout = false;
  // The child inherits no file descriptors beyond 0, 1 and 2.
  bool CloseOtherFiles = false;
};

// Starts Program (looked up on PATH when it holds no "/") with Args as its
// arguments after argv[0] and the current environment. Returns the child's
// process id, or -1 with Error (when given) set to the reason.
pid_t StartProcess(const std::string& Program, const std::vector<std::string>& Args,
                   const TProcessOptions& Options = {}, std::string* Error = nullptr);

// Waits until Pid ends: its exit code, 128 + the signal number when a signal
// ended it, -1 when it cannot be waited for.
int WaitForProcess(pid_t Pid);

// Collects Pid's exit on a background thread so that no zombie is left.
void ReapProcessInBackground(pid_t Pid);

// The command as one line for logs: Program and the arguments separated by
// blanks; a word that is empty or holds a blank, tab, quote or backslash is
// shown in double quotes with its quotes and backslashes escaped.
std::string FormatCommandLine(const std::string& Program, const std::vector<std::string>& Args);

}  // namespace kromel
