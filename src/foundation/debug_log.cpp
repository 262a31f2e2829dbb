#include "foundation/debug_log.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "foundation/ascii_case.h"
#include "foundation/message_hook.h"
#include "platform/command_line.h"
#include "platform/folders.h"
#include "platform/main_thread.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

std::atomic<bool> GDebugLogEnabled{false};

// Guards the program name, the level and the appends of DebugLogAdd.
std::timed_mutex GLogLock;
std::string GProgramName;
int GLogLevel = 0;

std::string CollapseDoubleSlashes(const std::string& Path) {
  std::string Out;
  for (char C : Path)
    if (!(C == '/' && !Out.empty() && Out.back() == '/')) Out += C;
  return Out;
}

std::string ProgramNameLocked() {
  std::lock_guard<std::timed_mutex> Guard(GLogLock);
  return GProgramName;
}

}  // namespace

bool DebugSwitchInArguments(const std::vector<std::string>& Args) {
  for (std::size_t I = 1; I <= 3 && I < Args.size(); ++I) {
    std::string A = UpperAscii(Args[I]);
    std::size_t Slash = A.find_last_of("/\\");
    if (Slash != std::string::npos) A = A.substr(Slash + 1);
    if (A == "DEBUG" || A == "DEBUG.TXT") return true;
  }
  return false;
}

void ReadDebugSwitch() {
  if (GDebugLogEnabled.load()) return;
  std::vector<std::string> Args;
  for (int I = 0; I <= ParamCount() && I <= 3; ++I) Args.push_back(ParamStr(I));
  if (DebugSwitchInArguments(Args)) GDebugLogEnabled.store(true);
}

bool DebugLogEnabled() { return GDebugLogEnabled.load(); }
void SetDebugLogEnabled(bool Enabled) { GDebugLogEnabled.store(Enabled); }

void SetProgramName(const std::string& Name) {
  std::string Clean;
  for (char C : Name)
    if (C != ' ') Clean += C;
  std::lock_guard<std::timed_mutex> Guard(GLogLock);
  GProgramName = Clean;
}

std::string DebugProgramName() { return ProgramNameLocked(); }

std::string DebugLogFileName() {
  return CollapseDoubleSlashes(TempFolder() + "/" + ProgramNameLocked() + "_debug.log");
}

int DebugLogLevel() {
  std::lock_guard<std::timed_mutex> Guard(GLogLock);
  return GLogLevel;
}

void SetDebugLogLevel(int Level) {
  std::lock_guard<std::timed_mutex> Guard(GLogLock);
  GLogLevel = Level;
}

std::string FormatDebugLogLine(TDateTime Stamp, bool MainThread, int Level,
                               const std::string& Text) {
  std::string Line = FormatTimestamp(Stamp);
  Line += MainThread ? " [M] " : " [s] ";
  if (Level > 0) Line.append(static_cast<std::size_t>(Level) * 3, ' ');
  Line += Text;
  return Line;
}

void DebugLogAdd(const std::string& Text, int LevelChange) {
  const std::string Name = ProgramNameLocked();
  if (Name.empty()) {
    PlatformShowMessage("DebugLogAdd - Program name not set for " + Text);
    return;
  }
  std::unique_lock<std::timed_mutex> Guard(GLogLock, std::defer_lock);
  // A system-clock deadline waits in pthread_mutex_timedlock, which thread
  // checkers follow (unlike the steady-clock pthread_mutex_clocklock).
  if (!Guard.try_lock_until(std::chrono::system_clock::now() + std::chrono::seconds(1))) {
    CallMessageHook("DebugLogAdd - block timeout");
    Guard.lock();
  }
  const std::string Folder = TempFolder();
  if (!DirectoryExists(Folder)) return;
  const std::string FileName = CollapseDoubleSlashes(Folder + "/" + GProgramName + "_debug.log");
  if (LevelChange < 0) GLogLevel += LevelChange;
  AppendLineToFile(FileName, FormatDebugLogLine(NowLocal(), IsMainThread(), GLogLevel, Text));
  if (LevelChange > 0) GLogLevel += LevelChange;
}

bool AppendLineToFile(const std::string& FileName, const std::string& Line) {
  std::FILE* F = std::fopen(FileName.c_str(), "ab");
  if (!F) return false;
  bool Ok = std::fwrite(Line.data(), 1, Line.size(), F) == Line.size();
  Ok = std::fputc('\n', F) != EOF && Ok;
  Ok = std::fclose(F) == 0 && Ok;
  return Ok;
}

bool LogAppendTimestamped(const std::string& FileName, const std::string& Text) {
  if (AppendLineToFile(FileName, FormatTimestamp(NowLocal()) + " " + Text)) return true;
  CallMessageHook("Exception in LogAppendTimestamped, Filename=" + FileName + " Text: " + Text);
  return false;
}

int CountFileLines(const std::string& FileName) {
  if (!FileExists(FileName)) return 0;
  std::ifstream In(FileName, std::ios::binary);
  if (!In) throw std::runtime_error("Cannot open file " + FileName);
  std::string Data((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
  if (In.bad()) throw std::runtime_error("Cannot read file " + FileName);
  int Lines = 0;
  std::size_t I = 0;
  const std::size_t N = Data.size();
  while (I < N) {
    while (I < N && Data[I] != '\r' && Data[I] != '\n') ++I;
    ++Lines;
    if (I < N) I += (Data[I] == '\r' && I + 1 < N && Data[I + 1] == '\n') ? 2 : 1;
  }
  return Lines;
}

TDateTime ParseDateTimeText(const std::string& Text) {
  std::string S = Text.substr(0, 40);
  // Cut at the first blank at positions 17..22 (1-based) that is not the last character.
  for (std::size_t Pos = 17; Pos <= 22; ++Pos) {
    if (Pos < S.size() && S[Pos - 1] == ' ') {
      S.resize(Pos - 1);
      break;
    }
  }
  return StrToDateTime(S);
}

}  // namespace kromel
