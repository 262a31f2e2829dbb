#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "foundation/numeric.h"

using namespace kromel;

namespace {
const float NaN = std::numeric_limits<float>::quiet_NaN();
}

TEST(Numeric, MaxMinKeepEarliestAndSkipNaN) {
  EXPECT_EQ(MaxSingle(NaN, 1.0f), 1.0f);
  EXPECT_TRUE(std::isnan(MaxSingle(1.0f, NaN)));
  EXPECT_EQ(MaxSingle3(1.0f, NaN, 2.0f), 2.0f);
  EXPECT_TRUE(std::isnan(MaxSingle3(NaN, 1.0f, 2.0f)));
  EXPECT_EQ(MinSingle5(3, 1, 4, 1, 5), 1.0f);
  EXPECT_EQ(MaxSingle10(1, 2, 3, 4, 5, 6, 7, 8, 9, 10), 10.0f);
  EXPECT_EQ(MaxInteger9(1, 9, 3, 4, 5, 6, 7, 8, 2), 9);
  EXPECT_EQ(MinDouble4(4, 3, 2, 1), 1.0);
  // Two-value members return B on equality: -0 against +0 gives B.
  EXPECT_TRUE(std::signbit(MaxSingle(0.0f, -0.0f)));
  EXPECT_FALSE(std::signbit(MinSingle(-0.0f, 0.0f)));
  // Three-value members keep the first among equals.
  EXPECT_FALSE(std::signbit(MaxSingle3(0.0f, -0.0f, -0.0f)));
}

TEST(Numeric, ClampsAndGuards) {
  EXPECT_EQ(ClampInteger(5, 10, 3), 3);
  EXPECT_EQ(ClampInteger(-5, 0, 10), 0);
  EXPECT_EQ(ClampSmallInt(-40000), -32767);
  EXPECT_EQ(ClampSmallInt(40000), 32767);
  EXPECT_EQ(ClampPositiveSmallInt(-1), 0);
  EXPECT_EQ(ClampByte(300), 255);
  EXPECT_EQ(Clamp01(-0.5f), 0.0f);
  EXPECT_EQ(Clamp01(1.5f), 1.0f);
  EXPECT_TRUE(std::isnan(Clamp01(NaN)));
  EXPECT_EQ(NonZero(0), 1);
  EXPECT_EQ(NonZero(-3), -3);
}

TEST(Numeric, IndexOfMin3OnlyForStrictMinimum) {
  EXPECT_EQ(IndexOfMin3(2, 2, 3), 1);
  EXPECT_EQ(IndexOfMin3(5, 2, 2), 1);
  EXPECT_EQ(IndexOfMin3(3, 1, 2), 2);
  EXPECT_EQ(IndexOfMin3(3, 2, 1), 3);
}

TEST(Numeric, Median5IsExactForEveryOrder) {
  EXPECT_EQ(Median5(1, 1, 1, 0, 0), 1);
  EXPECT_EQ(Median5(5, 4, 3, 2, 1), 3);
  // Every permutation of a set with ties gives the sorted middle value.
  std::vector<int> V = {0, 1, 1, 2, 7};
  do {
    EXPECT_EQ(Median5(V[0], V[1], V[2], V[3], V[4]), 1);
  } while (std::next_permutation(V.begin(), V.end()));
}

TEST(Numeric, DecibelsPowerAndAngles) {
  EXPECT_EQ(AmpToDB(0), -200.0f);
  EXPECT_EQ(AmpToDB(-1), -200.0f);
  EXPECT_EQ(AmpToDB(1), 0.0f);
  EXPECT_FLOAT_EQ(DBToAmp(6), 2.0f);
  EXPECT_NEAR(SignedPower(-8, 1.0 / 3), -2.0, 1e-12);
  EXPECT_EQ(SignedPower(0, 0.5), 0.0);
  EXPECT_EQ(SignedPower(-3, 1), -3.0);
  EXPECT_NEAR(AngleDifference(3, -3), -6 + 2 * M_PI, 1e-6);
  EXPECT_NEAR(AngleDifference(0, 7), 7 - 2 * M_PI, 1e-6);
  EXPECT_TRUE(AngleInRange(6, -1, 1));
  EXPECT_FALSE(AngleInRange(-6, -1, 1));
  EXPECT_FALSE(AngleInRange(1, -1, 1));
  EXPECT_TRUE(AngleInRange(0.5f, -1, 1));
}

TEST(Numeric, Rotations) {
  EXPECT_EQ(RotateLeft32(0x80000001u, 1), 3u);
  EXPECT_EQ(RotateRight32(1u, 1), 0x80000000u);
  EXPECT_EQ(RotateLeft32(0x12345678u, 32), 0x12345678u);
  EXPECT_EQ(RotateLeft32(0x12345678u, 0), 0x12345678u);
  EXPECT_EQ(RotateLeft64(0x8000000000000000ull, 65), 1ull);
  EXPECT_EQ(RotateLeft64(0x8000000000000001ull, 1), 3ull);
}

TEST(Numeric, RandomIntegerIsUniformOverWholeRange) {
  EXPECT_EQ(RandomInteger(1), 0);
  EXPECT_EQ(RandomInteger(0), 0);
  const int N = 4;
  const int Draws = 40000;
  int Counts[N] = {};
  for (int I = 0; I < Draws; ++I) {
    int V = RandomInteger(N);
    ASSERT_GE(V, 0);
    ASSERT_LT(V, N);
    ++Counts[V];
  }
  // Each bin within 5 standard deviations of Draws/N.
  const double Expected = Draws / double(N);
  const double Sigma = std::sqrt(Draws * (1.0 / N) * (1 - 1.0 / N));
  for (int C : Counts) EXPECT_NEAR(C, Expected, 5 * Sigma);
}

TEST(Numeric, SwapWithItselfKeepsValue) {
  int32_t X = 7, Y = 9;
  SwapIntegers(X, X);
  EXPECT_EQ(X, 7);
  SwapIntegers(X, Y);
  EXPECT_EQ(X, 9);
  EXPECT_EQ(Y, 7);
  Large_Integer L;
  L.QuadPart = 0x100000002LL;
  EXPECT_EQ(L.LowPart, 2u);
  EXPECT_EQ(L.HighPart, 1);
}
