// Program-wide message hook and stopwatch 1.
#pragma once
#include <cstdint>
#include <string>

namespace kromel {

using TMessageHookProc = void (*)(const std::string& Text);

// Null unless a hook is installed; nothing in the program installs one.
extern TMessageHookProc MessageHook;

// Hands Text to MessageHook when one is installed; never throws.
void CallMessageHook(const std::string& Text);

// Stopwatch 1: start time, lap count and last lap in whole milliseconds.
void StopwatchStart();
void StopwatchLap();
int StopwatchLapCount();
int64_t StopwatchLastLapMs();

}  // namespace kromel
