// Shared helpers of the session tests: message capture, LUT comparisons and
// a preset that changes colours.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "lut/lut.h"
#include "session/session_core.h"
#include "session/session_presets.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

namespace kromel::session_test {

class SessionTest : public kromel::testing::TCaptureTest {
 protected:
  void ClearMessages() { Sink.Clear(); }
  std::string File(const std::string& Name) const { return Dir.File(Name); }
  kromel::testing::TTestTempDir Dir{"kromel_session"};
};

inline float MaxLutDifference(const T3DLut& A, const T3DLut& B) {
  if (A.Size != B.Size || A.R == nullptr || B.R == nullptr) return 1e9f;
  const int64_t Count = static_cast<int64_t>(A.Size) * A.Size * A.Size;
  float Max = 0;
  for (int64_t I = 0; I < Count; ++I)
    Max = std::max({Max, std::fabs(A.R[I] - B.R[I]), std::fabs(A.G[I] - B.G[I]),
                    std::fabs(A.B[I] - B.B[I])});
  return Max;
}

inline float MaxIdentityError(const T3DLut& Lut) {
  const int32_t N = Lut.Size;
  const float D = 1.0f / static_cast<float>(N - 1);
  float Max = 0;
  for (int32_t B = 0; B < N; ++B)
    for (int32_t G = 0; G < N; ++G)
      for (int32_t R = 0; R < N; ++R) {
        const int64_t I = R + static_cast<int64_t>(N) * (G + static_cast<int64_t>(N) * B);
        Max = std::max({Max, std::fabs(Lut.R[I] - R * D), std::fabs(Lut.G[I] - G * D),
                        std::fabs(Lut.B[I] - B * D)});
      }
  return Max;
}

// A preset that visibly changes colours: exposure and temperature moved.
inline void MakeNonTrivial(TKromelSession& S, float Exposure = 0.55f, float Temperature = 0.6f) {
  S.EditPreset([&](TKromelPreset& P) {
    P.Basic->Exposure->SetValue(Exposure);
    P.Basic->Temperature->SetValue(Temperature);
    return true;
  });
  S.InvalidateLutStages(0);
}

// A session with its preset commands, started from the default preset.
class SessionWithPresets : public SessionTest {
 protected:
  TKromelSession S{nullptr, nullptr, 33};
  TSessionPresets P{S};
  TPreferences Prefs;

  void SetUp() override {
    SessionTest::SetUp();
    P.Preferences = &Prefs;
    P.InitDefaultPreset();
  }
};

}  // namespace kromel::session_test
