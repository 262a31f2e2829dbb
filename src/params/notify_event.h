// The change notification of parameters and curves: a handler that receives
// the object that changed (or the object the owner names as sender).
#pragma once
#include <functional>

namespace kromel {

using TNotifyEvent = std::function<void(void* Sender)>;

}  // namespace kromel
