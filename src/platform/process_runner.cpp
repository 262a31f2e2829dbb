#include "platform/process_runner.h"

#include <cerrno>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace kromel {

pid_t StartProcess(const std::string& Program, const std::vector<std::string>& Args,
                   const TProcessOptions& Options, std::string* Error) {
  auto Fail = [&](int Code) -> pid_t {
    if (Error) *Error = Program + ": " + std::strerror(Code);
    return -1;
  };
  if (Program.empty()) return Fail(ENOENT);

  std::vector<char*> Argv;
  Argv.reserve(Args.size() + 2);
  Argv.push_back(const_cast<char*>(Program.c_str()));
  for (const std::string& A : Args) Argv.push_back(const_cast<char*>(A.c_str()));
  Argv.push_back(nullptr);

  posix_spawn_file_actions_t Actions;
  int Rc = posix_spawn_file_actions_init(&Actions);
  if (Rc != 0) return Fail(Rc);
  if (Options.StderrToStdout) Rc = posix_spawn_file_actions_adddup2(&Actions, 1, 2);
  if (Rc == 0 && Options.CloseOtherFiles) Rc = posix_spawn_file_actions_addclosefrom_np(&Actions, 3);
  pid_t Pid = -1;
  if (Rc == 0) Rc = posix_spawnp(&Pid, Program.c_str(), &Actions, nullptr, Argv.data(), environ);
  posix_spawn_file_actions_destroy(&Actions);
  if (Rc != 0) return Fail(Rc);
  return Pid;
}

int WaitForProcess(pid_t Pid) {
  if (Pid <= 0) return -1;
  int Status = 0;
  pid_t R;
  do {
    R = waitpid(Pid, &Status, 0);
  } while (R < 0 && errno == EINTR);
  if (R != Pid) return -1;
  if (WIFEXITED(Status)) return WEXITSTATUS(Status);
  if (WIFSIGNALED(Status)) return 128 + WTERMSIG(Status);
  return -1;
}

void ReapProcessInBackground(pid_t Pid) {
  if (Pid <= 0) return;
  std::thread([Pid] { WaitForProcess(Pid); }).detach();
}

std::string FormatCommandLine(const std::string& Program, const std::vector<std::string>& Args) {
  auto Word = [](const std::string& W) {
    if (!W.empty() && W.find_first_of(" \t\"\\") == std::string::npos) return W;
    std::string Q = "\"";
    for (char C : W) {
      if (C == '"' || C == '\\') Q += '\\';
      Q += C;
    }
    return Q + "\"";
  };
  std::string Line = Word(Program);
  for (const std::string& A : Args) Line += " " + Word(A);
  return Line;
}

}  // namespace kromel
