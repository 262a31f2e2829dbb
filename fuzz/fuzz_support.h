// Shared by the fuzz targets: quiet error reports, input splitting and a
// check that stops the run when a reader breaks one of its promises, and a
// private scratch folder for readers that open files.
#pragma once
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <utility>

#include "foundation/error_sink.h"
#include "foundation/messages.h"
#include "foundation/utf16.h"
#include "platform/message_sink.h"

// Stops the run when a reader breaks a promise (CheckFailed, below).
#define FUZZ_CHECK(Cond) \
  ((Cond) ? static_cast<void>(0) : ::kromel::fuzz::CheckFailed(#Cond, __FILE__, __LINE__))

namespace kromel::fuzz {

inline void DropReport(const std::string& /*Text*/) {}

// Error reports are expected on bad input; printing each would slow the run.
inline void SilenceReports() { ErrorMessageProc = &DropReport; }

// Message boxes are expected on bad input: kept quiet and unrecorded.
inline void QuietMessages() {
  static THeadlessMessageSink Sink;
  Sink.EchoToStderr = false;
  Sink.Clear();
  SetMessageSink(&Sink);
  ResetMessageState();
}

// The bytes as a string (they may hold zeros).
inline std::string AsText(const uint8_t* Data, size_t Size) {
  return std::string(reinterpret_cast<const char*>(Data), Size);
}

// The text up to the first LF, and the rest after it.
inline std::pair<std::string, std::string> SplitFirstLine(const uint8_t* Data, size_t Size) {
  const std::string All = AsText(Data, Size);
  const size_t Lf = All.find('\n');
  if (Lf == std::string::npos) return {All, std::string()};
  return {All.substr(0, Lf), All.substr(Lf + 1)};
}

// True when S is well-formed UTF-8 (decoding and encoding gives it back).
inline bool IsValidUtf8(const std::string& S) { return Utf16ToUtf8(Utf8ToUtf16(S)) == S; }

[[noreturn]] inline void CheckFailed(const char* What, const char* File, int Line) {
  std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", What, File, Line);
  std::abort();
}

// A folder of this process's own for files the readers must open; removed
// at exit. tmpfs when there is one: some writers sync each file.
inline const std::string& ScratchFolder() {
  static const std::string Folder = [] {
    namespace fs = std::filesystem;
    std::error_code Ec;
    fs::path Base = fs::is_directory("/dev/shm", Ec) && access("/dev/shm", W_OK) == 0
                        ? fs::path("/dev/shm")
                        : fs::temp_directory_path(Ec);
    std::string Pattern = (Base / "kromel-fuzz.XXXXXX").string();
    FUZZ_CHECK(mkdtemp(Pattern.data()) != nullptr);
    static std::string Made = Pattern;
    std::atexit([] {
      std::error_code Ignored;
      std::filesystem::remove_all(Made, Ignored);
    });
    return Pattern + "/";
  }();
  return Folder;
}

inline void PutFile(const std::string& Name, const uint8_t* Data, std::size_t Size) {
  std::ofstream Out(Name, std::ios::binary | std::ios::trunc);
  Out.write(reinterpret_cast<const char*>(Data), static_cast<std::streamsize>(Size));
  FUZZ_CHECK(Out.good());
}

inline std::string GetFile(const std::string& Name) {
  std::ifstream In(Name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(In), {});
}

}  // namespace kromel::fuzz
