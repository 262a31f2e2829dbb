#include <gtest/gtest.h>

#include <cmath>

#include "session/session_core.h"
#include "support/test_support.h"

namespace kromel {
namespace {

float MaxIdentityError(const T3DLut& Lut) {
  const int32_t N = Lut.Size;
  float Max = 0;
  for (int32_t B = 0; B < N; ++B)
    for (int32_t G = 0; G < N; ++G)
      for (int32_t R = 0; R < N; ++R) {
        const int64_t I = R + static_cast<int64_t>(N) * (G + static_cast<int64_t>(N) * B);
        const float D = 1.0f / static_cast<float>(N - 1);
        Max = std::max({Max, std::fabs(Lut.R[I] - R * D), std::fabs(Lut.G[I] - G * D),
                        std::fabs(Lut.B[I] - B * D)});
      }
  return Max;
}

TEST(SessionCore, DefaultPresetGivesIdentityMainLut) {
  TKromelSession S;
  S.Show();
  S.UpdateImage(true, true);
  T3DLut Lut;
  ASSERT_TRUE(S.CopyMainLut(Lut));
  EXPECT_EQ(Lut.Size, 33);
  EXPECT_LT(MaxIdentityError(Lut), 0.005f);
}

}  // namespace
}  // namespace kromel
