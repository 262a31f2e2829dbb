#include "platform/ui_state.h"

#include <atomic>
#include <mutex>

namespace kromel {

namespace {
std::mutex GKeyLock;
TKeyStateQuery& KeyQuery() {
  static TKeyStateQuery Q;
  return Q;
}
std::atomic<int32_t> GModalLevel{0};
}  // namespace

int16_t GetKeyState(int32_t VirtualKey) {
  TKeyStateQuery Q;
  {
    std::lock_guard<std::mutex> Guard(GKeyLock);
    Q = KeyQuery();
  }
  return Q ? Q(VirtualKey) : 0;
}

void SetKeyStateQuery(TKeyStateQuery Query) {
  std::lock_guard<std::mutex> Guard(GKeyLock);
  KeyQuery() = std::move(Query);
}

int32_t ModalLevel() { return GModalLevel.load(); }
void EnterModal() { GModalLevel.fetch_add(1); }
void LeaveModal() {
  int32_t L = GModalLevel.load();
  while (L > 0 && !GModalLevel.compare_exchange_weak(L, L - 1)) {
  }
}

}  // namespace kromel
