// Rounding helpers of the image analysis: halves to even, NaN reading 0,
// results kept well inside the integer range.
#pragma once
#include <algorithm>
#include <cstdint>

#include "foundation/numeric.h"

namespace kromel {

inline int32_t RoundInt(double X) {
  return int32_t(std::clamp<int64_t>(RoundToInt64Saturated(X), INT32_MIN / 2, INT32_MAX / 2));
}

// round(V Scale) limited to 0..255.
inline uint32_t RoundByte(double V, double Scale) {
  return uint32_t(ClampByte(RoundInt(V * Scale)));
}

}  // namespace kromel
