// Helpers of the engine tests: identity grids, node comparisons and a
// fixture that records reports and message boxes.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "colour/log_curves.h"
#include "colour/lut_color_space.h"
#include "engine/log_decoder.h"
#include "engine/lut_procedures.h"
#include "lut/lut.h"
#include "support/test_support.h"

namespace kromel::testing {

constexpr int32_t GridSize = 17;

// A fresh identity grid of N levels (gamma RGB, display-referred).
inline void MakeIdentity(T3DLut& Lut, int32_t N = GridSize) {
  ASSERT_TRUE(Lut.SetSize(N));
  Lut.SetDefault();
}

// The largest channel difference between two LUTs of one shape.
inline float MaxDifference(const T3DLut& A, const T3DLut& B) {
  if (A.Count != B.Count || A.R == nullptr || B.R == nullptr) return INFINITY;
  float D = 0;
  for (int32_t k = 0; k < A.Count; ++k)
    D = std::max({D, std::fabs(A.R[k] - B.R[k]), std::fabs(A.G[k] - B.G[k]),
                  std::fabs(A.B[k] - B.B[k])});
  return D;
}

inline void SetNode(T3DLut& Lut, int32_t k, float R, float G, float B) {
  Lut.R[k] = R;
  Lut.G[k] = G;
  Lut.B[k] = B;
}

class EngineTest : public TCaptureTest {
protected:
  TColorModelPreferences Prefs;  // sRGB, no hue twist

  // Stage 0 as the calculator starts it: an identity decoded by a log
  // decoder whose MaxColor is white, as the window sets it.
  void DecodedStage(T3DLut& Lut, int32_t InputLog = LogIndexOff) {
    MakeIdentity(Lut);
    TLogDecoderAdjustments Decoder(nullptr);
    Decoder.MaxColor->SetValue(MaxColorWhite);
    Decoder.InputLog->SetValue(InputLog);
    Decoder.Process(&Lut, &Lut, Prefs);
  }
  // Back to gamma RGB, then the largest difference from the identity.
  float ErrorFromIdentity(T3DLut& Lut) {
    ProcessColorModelConversion(Lut, &Lut, lcsProfileRGB, &Prefs);
    T3DLut Identity;
    MakeIdentity(Identity, Lut.Size);
    return MaxDifference(Lut, Identity);
  }
};

}  // namespace kromel::testing
