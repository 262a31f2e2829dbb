// The display's colour profile as X publishes it: the root window's
// _ICC_PROFILE property.
#pragma once
#include <cstdint>
#include <vector>

namespace kromel {

// The property's bytes; empty when the program is not on X or the
// property is not set.
std::vector<uint8_t> X11MonitorProfileBytes();

}  // namespace kromel
