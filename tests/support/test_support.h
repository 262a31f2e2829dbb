// Helpers shared by the test folders: captured reports and message boxes,
// whole-file bytes, captured standard output, and running another program
// from PATH.
#pragma once
#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "foundation/error_sink.h"
#include "foundation/messages.h"
#include "platform/message_sink.h"
#include "support/temp_dir.h"

extern char** environ;

namespace kromel::testing {

inline std::vector<std::string>& CapturedErrors() {
  static std::vector<std::string> Errors;
  return Errors;
}
inline void CaptureError(const std::string& Text) { CapturedErrors().push_back(Text); }

// Records error reports in CapturedErrors() while it lives (cleared at the
// start); the previous ErrorMessageProc comes back afterwards.
class TErrorCapture {
public:
  TErrorCapture() : FSaved(ErrorMessageProc) {
    CapturedErrors().clear();
    ErrorMessageProc = &CaptureError;
  }
  ~TErrorCapture() { ErrorMessageProc = FSaved; }
  TErrorCapture(const TErrorCapture&) = delete;
  TErrorCapture& operator=(const TErrorCapture&) = delete;

private:
  TErrorMessageCallback FSaved;
};

// Records error reports and message boxes instead of printing them.
class TCaptureTest : public ::testing::Test {
protected:
  void SetUp() override {
    Sink.EchoToStderr = false;
    SetMessageSink(&Sink);
    ResetMessageState();
    OldProc = ErrorMessageProc;
    ErrorMessageProc = &CaptureError;
    CapturedErrors().clear();
  }
  void TearDown() override {
    ErrorMessageProc = OldProc;
    SetMessageSink(nullptr);
    ResetMessageState();
  }
  std::vector<std::string> Messages() const { return Sink.Messages(); }
  const std::vector<std::string>& Errors() const { return CapturedErrors(); }
  void ClearErrors() { CapturedErrors().clear(); }
  bool Silent() const { return Sink.Messages().empty() && CapturedErrors().empty(); }

  THeadlessMessageSink Sink;
  TErrorMessageCallback OldProc = nullptr;
};

inline std::vector<uint8_t> ReadBytes(const std::string& FileName) {
  std::error_code Ignored;
  if (!std::filesystem::is_regular_file(FileName, Ignored)) return {};
  std::ifstream In(FileName, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

inline std::string ReadText(const std::string& FileName) {
  const auto B = ReadBytes(FileName);
  return std::string(B.begin(), B.end());
}

inline void WriteBytes(const std::string& FileName, const std::vector<uint8_t>& Bytes) {
  std::ofstream Out(FileName, std::ios::binary | std::ios::trunc);
  Out.write(reinterpret_cast<const char*>(Bytes.data()), std::streamsize(Bytes.size()));
}

inline void WriteText(const std::string& FileName, const std::string& Text) {
  std::ofstream Out(FileName, std::ios::binary | std::ios::trunc);
  Out.write(Text.data(), std::streamsize(Text.size()));
}

// Runs Fn with this process's standard output going to a file; returns what
// was written there (children started inside inherit it).
template <class F>
std::string CaptureStdout(F Fn) {
  const TTestTempDir Dir("kromel_capture");
  const std::string File = Dir.File("stdout");
  std::fflush(stdout);
  const int Saved = ::dup(1);
  const int Fd = ::open(File.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ::dup2(Fd, 1);
  ::close(Fd);
  Fn();
  std::fflush(stdout);
  ::dup2(Saved, 1);
  ::close(Saved);
  return ReadText(File);
}

// Runs Args[0] from PATH with stdout to OutFile and stderr to OutFile too or
// discarded, stdin from InFile when one is named; the exit code, or -1 when
// it could not run.
inline int RunProgram(const std::vector<std::string>& Args, const std::string& OutFile,
                      bool KeepStderr = true, const std::string& InFile = "") {
  posix_spawn_file_actions_t Actions;
  posix_spawn_file_actions_init(&Actions);
  if (!InFile.empty()) posix_spawn_file_actions_addopen(&Actions, 0, InFile.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&Actions, 1, OutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  if (KeepStderr)
    posix_spawn_file_actions_adddup2(&Actions, 1, 2);
  else
    posix_spawn_file_actions_addopen(&Actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> Argv;
  for (const auto& A : Args) Argv.push_back(const_cast<char*>(A.c_str()));
  Argv.push_back(nullptr);
  pid_t Pid = 0;
  const int Err = posix_spawnp(&Pid, Argv[0], &Actions, nullptr, Argv.data(), environ);
  posix_spawn_file_actions_destroy(&Actions);
  if (Err != 0) return -1;
  int Status = 0;
  if (waitpid(Pid, &Status, 0) < 0) return -1;
  return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
}

inline bool ProgramAvailable(const std::string& Name) {
  const char* Path = std::getenv("PATH");
  if (Path == nullptr) return false;
  const std::string Dirs = Path;
  size_t Start = 0;
  while (Start <= Dirs.size()) {
    const size_t End = std::min(Dirs.find(':', Start), Dirs.size());
    if (::access((Dirs.substr(Start, End - Start) + "/" + Name).c_str(), X_OK) == 0) return true;
    Start = End + 1;
  }
  return false;
}

// Runs Work(0) .. Work(Count - 1), each on a thread of its own, all
// released at once so that they overlap; returns when all have finished.
inline void RunOnThreadsTogether(int Count, const std::function<void(int)>& Work) {
  std::atomic<int> Ready{0};
  std::vector<std::thread> Threads;
  for (int I = 0; I < Count; ++I)
    Threads.emplace_back([&, I] {
      ++Ready;
      while (Ready.load() < Count) std::this_thread::yield();
      Work(I);
    });
  for (std::thread& T : Threads) T.join();
}

// An environment variable set or cleared for the life of the object; what
// was there before (a value, or nothing) is put back.
class TScopedEnv {
public:
  explicit TScopedEnv(const char* Name) : FName(Name) {
    const char* Old = std::getenv(Name);
    FHad = Old != nullptr;
    if (FHad) FOld = Old;
  }
  TScopedEnv(const char* Name, const std::string& Value) : TScopedEnv(Name) { Set(Value); }
  ~TScopedEnv() {
    if (FHad)
      setenv(FName.c_str(), FOld.c_str(), 1);
    else
      unsetenv(FName.c_str());
  }
  TScopedEnv(const TScopedEnv&) = delete;
  TScopedEnv& operator=(const TScopedEnv&) = delete;
  void Set(const std::string& Value) { setenv(FName.c_str(), Value.c_str(), 1); }
  void Unset() { unsetenv(FName.c_str()); }

private:
  std::string FName, FOld;
  bool FHad = false;
};

}  // namespace kromel::testing
