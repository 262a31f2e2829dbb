// TPresetLock: keeps a calculation and the edits of the preset it reads
// apart. A calculation holds it for its whole run; the main thread holds it
// around every change of preset data. It may be taken again by the thread
// that holds it. Waiting on the main thread runs the calls the holder
// queues onto it meanwhile (a calculation's reports), so the two never wait
// for each other.
#pragma once
#include <mutex>

namespace kromel {

class TPresetLock {
 public:
  void lock();
  void unlock();
  bool try_lock() { return FMutex.try_lock(); }

 private:
  std::recursive_mutex FMutex;
};

}  // namespace kromel
