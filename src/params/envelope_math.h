// Integer helpers of the curve code: results that cannot leave the Int32
// range and rounding that is safe for NaN and huge values.
#pragma once
#include <cmath>
#include <cstdint>
#include <limits>

namespace kromel {

inline int32_t SatInt32(int64_t V) {
  constexpr int64_t Lo = std::numeric_limits<int32_t>::min();
  constexpr int64_t Hi = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(V < Lo ? Lo : (V > Hi ? Hi : V));
}

// Rounded to the nearest integer, halves to even; NaN gives 0 and values
// beyond the Int32 range its nearest end.
inline int32_t RoundToInt32(double V) {
  if (std::isnan(V)) return 0;
  const double R = std::nearbyint(V);
  if (R <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  if (R >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(R);
}

// Truncating division of 64-bit operands, a zero divisor giving 0.
inline int64_t DivTrunc(int64_t A, int64_t B) { return B == 0 ? 0 : A / B; }

}  // namespace kromel
