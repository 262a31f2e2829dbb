// TScopedDebugLog: the debug log on for a test's lifetime.
#pragma once
#include <filesystem>
#include <string>

#include "foundation/debug_log.h"
#include "support/test_support.h"

namespace kromel::testing {

// The debug log switched on, written into Folder (through TMPDIR) under the
// program name "KromelTest", for the object's lifetime.
class TScopedDebugLog {
public:
  explicit TScopedDebugLog(const std::string& Folder) : FTmp("TMPDIR", Folder) {
    std::filesystem::create_directories(Folder);
    SetProgramName("KromelTest");
    SetDebugLogEnabled(true);
  }
  ~TScopedDebugLog() {
    SetDebugLogEnabled(false);
    SetProgramName("");
  }
  TScopedDebugLog(const TScopedDebugLog&) = delete;
  TScopedDebugLog& operator=(const TScopedDebugLog&) = delete;
  // The whole log so far ("" before its first line).
  std::string Text() const { return ReadText(DebugLogFileName()); }

private:
  TScopedEnv FTmp;
};

}  // namespace kromel::testing
