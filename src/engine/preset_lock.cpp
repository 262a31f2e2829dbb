#include "engine/preset_lock.h"

#include "platform/main_thread.h"

namespace kromel {

void TPresetLock::lock() {
  if (FMutex.try_lock()) return;
  if (IsMainThread())
    DrainMainThreadCallsUntil([this] { return FMutex.try_lock(); });
  else
    FMutex.lock();
}

void TPresetLock::unlock() {
  FMutex.unlock();
  WakeMainThreadWaiter();
}

}  // namespace kromel
