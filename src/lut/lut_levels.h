// Node counts and identity level values shared by the LUT editors and
// measures. Internal to the LUT library.
#pragma once
#include <cstdint>

#include "lut/lut.h"

namespace kromel {

// NLRH * NLGS * NLBL when the LUT has planes of that many nodes, else 0.
inline int64_t LevelNodes(const T3DLut& Lut) {
  if (!Lut.HasPlanes() || !ValidLutLevels(Lut.NLRH) || !ValidLutLevels(Lut.NLGS) ||
      !ValidLutLevels(Lut.NLBL))
    return 0;
  const int64_t N = int64_t(Lut.NLRH) * Lut.NLGS * Lut.NLBL;
  return N == Lut.Count ? N : 0;
}

// Size^3 for a cubic LUT with planes, else 0.
inline int64_t CubicNodes(const T3DLut& Lut) {
  if (Lut.NonCubic || Lut.Size < MinLutLevels || !Lut.HasPlanes()) return 0;
  const int64_t N = int64_t(Lut.Size) * Lut.Size * Lut.Size;
  return N <= Lut.Count ? N : 0;
}

// Identity colour component of level i on an axis of N levels.
inline float LevelValue(int32_t i, int32_t N) {
  return static_cast<float>(double(i) / double(N - 1));
}

}  // namespace kromel
