// The 33-point LUT of the LUT benchmarks and of bench/compare-ffmpeg (same
// formula there).
#pragma once
#include <cmath>

#include "lut/lut.h"

namespace kromel::bench {

inline void MakeBenchLut(T3DLut& Lut) {
  const int32_t N = 33;
  Lut.SetSize(N);
  for (int32_t b = 0; b < N; ++b)
    for (int32_t g = 0; g < N; ++g)
      for (int32_t r = 0; r < N; ++r) {
        const float R = r / float(N - 1), G = g / float(N - 1), B = b / float(N - 1);
        const int32_t k = r + N * (g + N * b);
        Lut.R[k] = 0.9f * std::pow(R, 0.8f) + 0.1f * G;
        Lut.G[k] = 0.7f * G + 0.3f * B * B;
        Lut.B[k] = 0.95f * std::sqrt(B) + 0.05f * R;
      }
}

}  // namespace kromel::bench
