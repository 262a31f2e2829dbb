#include "colour/acr3_tone_curve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/test_support.h"

namespace kromel {
namespace {

TEST(ACR3ToneTable, TellingEntriesAndStrictRise) {
  const struct {
    int I;
    float V;
  } Cases[] = {{0, 0.00000f},   {1, 0.00078f},   {2, 0.00160f},    {3, 0.00242f},
               {4, 0.00314f},   {16, 0.01485f},  {64, 0.10433f},   {128, 0.25961f},
               {256, 0.52069f}, {384, 0.69035f}, {512, 0.80486f},  {640, 0.88453f},
               {768, 0.93986f}, {896, 0.97702f}, {1023, 0.99987f}, {1024, 1.00000f}};
  for (const auto& C : Cases) EXPECT_FLOAT_EQ(ACR3DefaultToneTable[C.I], C.V) << C.I;
  for (int I = 1; I < ACR3ToneTableCount; ++I) {
    const double Step = double(ACR3DefaultToneTable[I]) - ACR3DefaultToneTable[I - 1];
    EXPECT_GE(Step, 0.00013 - 1e-6) << I;
    EXPECT_LE(Step, 0.00257 + 1e-6) << I;
  }
}

TEST(ACR3ToneCurve, CalcLimitsBeforeTheLookup) {
  const float Nan = std::numeric_limits<float>::quiet_NaN();
  const float Inf = std::numeric_limits<float>::infinity();
  const struct {
    float X, Y;
  } Cases[] = {{0.25f, 0.52069f}, {0.5f, 0.80486f}, {-0.1f, 0}, {1.2f, 1}, {0, 0}, {1, 1},
               {-Inf, 0},         {Inf, 1}};
  for (const auto& C : Cases) EXPECT_FLOAT_EQ(dng_tone_curve_acr3_calc(C.X), C.Y) << C.X;
  testing::TErrorCapture Capture;
  EXPECT_EQ(dng_tone_curve_acr3_calc(Nan), 0);
  ASSERT_EQ(testing::CapturedErrors().size(), 1u);
  EXPECT_EQ(testing::CapturedErrors()[0].rfind("Exception in dng_tone_curve_acr3_calc, V=", 0), 0u);
}

// Negative inputs used to read before the table; they now read entry 0.
TEST(ACR3ToneCurve, EvaluateClampsBothEnds) {
  const float Inf = std::numeric_limits<float>::infinity();
  const struct {
    float X, Y;
  } Cases[] = {
      {0.25f, 0.52069f}, {1, 1},    {1.3f, 1}, {-0.2f, 0},
      {-1e30f, 0},       {-Inf, 0}, {Inf, 1},  {std::numeric_limits<float>::quiet_NaN(), 0}};
  for (const auto& C : Cases) EXPECT_FLOAT_EQ(EvaluateToneCurve(C.X), C.Y) << C.X;
  const float Half = 0.5f * (ACR3DefaultToneTable[512] + ACR3DefaultToneTable[513]);
  EXPECT_NEAR(EvaluateToneCurve(0.5f + 1.0f / 2048), Half, 1e-7);
  for (float X = 0; X <= 1; X += 1.0f / 3000)
    EXPECT_FLOAT_EQ(EvaluateToneCurve(X), dng_tone_curve_acr3_calc(X));
}

}  // namespace
}  // namespace kromel
