// Shared helpers of the image tests: message capture, temporary folders,
// small images with known pixels and running another program.
#pragma once
#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "foundation/debug_log.h"
#include "images/image32.h"
#include "images/image64.h"
#include "platform/message_sink.h"

extern char** environ;

namespace kromel::test {

inline std::vector<std::string>& CapturedErrors() {
  static std::vector<std::string> Errors;
  return Errors;
}
inline void CaptureError(const std::string& Text) { CapturedErrors().push_back(Text); }

// Records message boxes and error reports instead of printing them.
class MessageCapture : public ::testing::Test {
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
  bool Silent() const { return Sink.Messages().empty() && CapturedErrors().empty(); }

  THeadlessMessageSink Sink;
  TErrorMessageCallback OldProc = nullptr;
};

// A folder of its own under the temporary folder, removed afterwards.
class TempDir {
public:
  TempDir() {
    Path = std::filesystem::temp_directory_path() /
           ("kromel_images_" + std::to_string(::getpid()) + "_" + std::to_string(Counter()++));
    std::filesystem::remove_all(Path);
    std::filesystem::create_directories(Path);
  }
  ~TempDir() { std::filesystem::remove_all(Path); }
  std::string File(const std::string& Name) const { return (Path / Name).string(); }
  std::filesystem::path Path;

private:
  static int& Counter() {
    static int C = 0;
    return C;
  }
};

inline std::vector<uint8_t> ReadBytes(const std::string& FileName) {
  std::ifstream In(FileName, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

// Runs Args[0] (looked up on PATH) with stdout and stderr sent to OutFile;
// the exit code, or -1 when it could not run.
inline int RunProgram(const std::vector<std::string>& Args, const std::string& OutFile) {
  posix_spawn_file_actions_t Actions;
  posix_spawn_file_actions_init(&Actions);
  posix_spawn_file_actions_addopen(&Actions, 1, OutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_adddup2(&Actions, 1, 2);
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
  std::string Dirs = Path;
  size_t Start = 0;
  while (Start <= Dirs.size()) {
    const size_t End = std::min(Dirs.find(':', Start), Dirs.size());
    const std::string Candidate = Dirs.substr(Start, End - Start) + "/" + Name;
    if (::access(Candidate.c_str(), X_OK) == 0) return true;
    Start = End + 1;
  }
  return false;
}

inline std::string ReadText(const std::string& FileName) {
  const auto B = ReadBytes(FileName);
  return std::string(B.begin(), B.end());
}

// A W x H image whose pixel values are 1, 2, 3, ... in index order.
inline TImage32 Numbered32(int32_t W, int32_t H) {
  TImage32 I;
  I.Init();
  I.Alloc(W, H);
  for (int32_t K = 0; K < I.Size; ++K) I.Pixels[K].Value = uint32_t(K + 1);
  return I;
}

inline std::vector<uint32_t> Values(const TImage32& I) {
  std::vector<uint32_t> V;
  for (int32_t K = 0; K < I.Size; ++K) V.push_back(I.Pixels[K].Value);
  return V;
}

inline uint32_t Bgra(uint8_t B, uint8_t G, uint8_t R, uint8_t A) {
  return uint32_t(B) | uint32_t(G) << 8 | uint32_t(R) << 16 | uint32_t(A) << 24;
}

}  // namespace kromel::test
