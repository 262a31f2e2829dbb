// Keyboard state and the modal level as the widget set reports them.
// Headless, every key is up and no modal window is showing.
#pragma once
#include <cstdint>
#include <functional>

namespace kromel {

// State of a virtual key: bit 15 while it is down, bit 7 (0x80) as the Alt
// query reads it. 0 (all keys up) until a widget layer installs its query.
int16_t GetKeyState(int32_t VirtualKey);
using TKeyStateQuery = std::function<int16_t(int32_t VirtualKey)>;
// Installs the widget layer's query; an empty one restores "all keys up".
void SetKeyStateQuery(TKeyStateQuery Query);

// Number of modal windows showing.
int32_t ModalLevel();
void EnterModal();
void LeaveModal();

// Counts one modal level for its lifetime.
class TModalScope {
public:
  TModalScope() { EnterModal(); }
  ~TModalScope() { LeaveModal(); }
  TModalScope(const TModalScope&) = delete;
  TModalScope& operator=(const TModalScope&) = delete;
};

}  // namespace kromel
