// Shared by the fuzz targets: quiet error reports, input splitting and a
// check that stops the run when a reader breaks one of its promises.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "foundation/debug_log.h"
#include "foundation/utf16.h"

namespace kromel::fuzz {

inline void DropReport(const std::string& /*Text*/) {}

// Error reports are expected on bad input; printing each would slow the run.
inline void SilenceReports() { ErrorMessageProc = &DropReport; }

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

}  // namespace kromel::fuzz

#define FUZZ_CHECK(Cond) \
  ((Cond) ? static_cast<void>(0) : ::kromel::fuzz::CheckFailed(#Cond, __FILE__, __LINE__))
