#include "foundation/message_hook.h"

#include <atomic>
#include <chrono>

namespace kromel {

TMessageHookProc MessageHook = nullptr;

void CallMessageHook(const std::string& Text) {
  TMessageHookProc Hook = MessageHook;
  if (!Hook) return;
  try {
    Hook(Text);
  } catch (...) {
  }
}

namespace {
std::atomic<int64_t> GStartMs{0};
std::atomic<int64_t> GLastLapMs{0};
std::atomic<int> GLapCount{0};

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

void StopwatchStart() {
  GStartMs.store(NowMs());
  GLapCount.store(0);
}

void StopwatchLap() {
  int64_t Now = NowMs();
  GLapCount.fetch_add(1);
  GLastLapMs.store(Now - GStartMs.load());
  GStartMs.store(Now);
}

int StopwatchLapCount() { return GLapCount.load(); }
int64_t StopwatchLastLapMs() { return GLastLapMs.load(); }

}  // namespace kromel
