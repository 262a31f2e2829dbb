// The debug log and the small log-file helpers.
#pragma once
#include <string>
#include <vector>

#include "foundation/date_time.h"
// Most callers of the log also report errors and show messages.
#include "foundation/error_sink.h"
#include "foundation/messages.h"

namespace kromel {

// Debug switch: on when one of arguments 1..3, reduced to its file-name part
// and upper-cased, is "DEBUG" or "DEBUG.TXT". Never switched off.
bool DebugSwitchInArguments(const std::vector<std::string>& Args);
void ReadDebugSwitch();
bool DebugLogEnabled();
void SetDebugLogEnabled(bool Enabled);

void SetProgramName(const std::string& Name);
std::string DebugProgramName();
// The debug log file: temporary folder + "/" + program name + "_debug.log".
std::string DebugLogFileName();
int DebugLogLevel();
void SetDebugLogLevel(int Level);

// Appends one line to the debug log; LevelChange +1 after a start line,
// -1 before a finish line. Callers test DebugLogEnabled first.
void DebugLogAdd(const std::string& Text, int LevelChange);
// One debug log line without its line end.
std::string FormatDebugLogLine(TDateTime Stamp, bool MainThread, int Level,
                               const std::string& Text);

bool AppendLineToFile(const std::string& FileName, const std::string& Line);
bool LogAppendTimestamped(const std::string& FileName, const std::string& Text);
// 0 for a missing file; throws std::runtime_error when it cannot be read.
int CountFileLines(const std::string& FileName);
// Date and time from the first 40 characters of Text, cut at a blank at
// positions 17..22. Throws std::invalid_argument when it does not parse.
TDateTime ParseDateTimeText(const std::string& Text);

}  // namespace kromel
