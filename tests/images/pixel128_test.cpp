#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <vector>

#include "images/pixel128.h"

using namespace kromel;

namespace {

TBGRAPixel128 Rgba(float R, float G, float B, float A = 1) {
  TBGRAPixel128 P;
  P.Init(R, G, B, A);
  return P;
}

void ExpectColour(const TBGRAPixel128& P, float R, float G, float B, float Tol = 1e-6f) {
  EXPECT_NEAR(P.R, R, Tol);
  EXPECT_NEAR(P.G, G, Tol);
  EXPECT_NEAR(P.B, B, Tol);
}

TEST(Pixel128, InitStoresBlueGreenRedAlphaInMemory) {
  const TBGRAPixel128 P = Rgba(0.1f, 0.2f, 0.3f, 1);
  float Mem[4];
  std::memcpy(Mem, &P, sizeof(Mem));
  EXPECT_EQ(Mem[0], 0.3f);
  EXPECT_EQ(Mem[1], 0.2f);
  EXPECT_EQ(Mem[2], 0.1f);
  EXPECT_EQ(Mem[3], 1.0f);
}

TEST(Pixel128, ToPixel32Conversions) {
  const float NaN = std::numeric_limits<float>::quiet_NaN();
  // Clamped: 127.5 rounds to even 128; alpha is not clamped but only its
  // low 8 bits count.
  EXPECT_EQ(Pixel128ToPixel32Clamped(Rgba(1.2f, -0.1f, 0.5f, 1)), 0xFFFF0080u);
  EXPECT_EQ(Pixel128ToPixel32Clamped(Rgba(NaN, 2, 0, 0)) & 0xFFFFFFu, 0x00FF00u);
  // Unclamped: 1.2 -> 306 keeps 50; -0.1 -> -25.5 -> -26 keeps 230.
  EXPECT_EQ(Pixel128ToPixel32(Rgba(1.2f, -0.1f, 0.5f, 1)), 0xFF32E680u);
  EXPECT_EQ(Pixel128ToPixel32(Rgba(NaN, 1e30f, -1e30f, 1)), 0xFF000000u);
  // Red first, clamped, alpha byte always 0.
  EXPECT_EQ(RGBPixel128ToPixel32({1.0f, 0.5f, -3.0f, 1.0f}), 0xFF8000u);
  EXPECT_EQ(RGBVectorToPixel32({0.0f, 1.0f, 2.0f}), 0x00FFFFu);
}

TEST(Pixel128, ArithmeticKeepsOrSetsAlphaAsDocumented) {
  const TBGRAPixel128 A = Rgba(0.5f, 0.25f, 0.125f, 0.75f);
  const TBGRAPixel128 B = Rgba(0.25f, 0.5f, 1.0f, 0.25f);
  const TBGRAPixel128 Sum = Pixel128Add(A, B);
  EXPECT_EQ(Sum.R, 0.75f);
  EXPECT_EQ(Sum.A, 1.0f);
  TBGRAPixel128 C = A;
  Pixel128IncBy(C, B);
  Pixel128DecBy(C, B);
  EXPECT_EQ(std::memcmp(&C, &A, sizeof(C)), 0);
  TBGRAPixel128 D;
  Pixel128ScaleRGB(A, D, 2);
  ExpectColour(D, 1.0f, 0.5f, 0.25f);
  EXPECT_EQ(D.A, 0.75f);
  Pixel128AddScalar(D, 1);
  ExpectColour(D, 2.0f, 1.5f, 1.25f);
  EXPECT_EQ(D.A, 0.75f);
  TBGRAPixel128 E = Rgba(-1, 0.5f, 2, 3);
  Pixel128Clamp(E);
  ExpectColour(E, 0, 0.5f, 1);
  EXPECT_EQ(E.A, 1);
  EXPECT_EQ(Pixel128Min(A), 0.125f);
  EXPECT_EQ(Pixel128Max(A), 0.5f);
  EXPECT_FLOAT_EQ(Pixel128Mean(Rgba(0.3f, 0.6f, 0.9f)), 0.6f);
  EXPECT_TRUE(Pixel128IsZero(Rgba(0, 0, 0, 1)));
  EXPECT_FALSE(Pixel128IsZero(Rgba(0, 0, 1e-30f, 0)));
}

TEST(Pixel128, LuminanceWeights) {
  EXPECT_FLOAT_EQ(Pixel128Luminance(Rgba(1, 0, 0)), 0.3f);
  EXPECT_FLOAT_EQ(Pixel128Luminance(Rgba(0, 1, 0)), 0.5f);
  EXPECT_FLOAT_EQ(Pixel128Luminance(Rgba(0, 0, 1)), 0.2f);
}

TEST(Pixel128, CrossProductIsBTimesA) {
  // Components in memory order: 0 blue, 1 green, 2 red.
  const TBGRAPixel128 A{1, 0, 0, 0.5f};
  const TBGRAPixel128 B{0, 1, 0, 0.25f};
  const TBGRAPixel128 C = Pixel128Cross3(A, B);
  EXPECT_EQ(C.B, 0);
  EXPECT_EQ(C.G, 0);
  EXPECT_EQ(C.R, -1);
  EXPECT_EQ(C.A, 0.5f);
  TBGRAPixel128 V = A;
  Pixel128CrossInPlace(V, B);
  EXPECT_EQ(std::memcmp(&V, &C, sizeof(V)), 0);

  const TPixel256 A2{1, 0, 0, 7}, B2{0, 1, 0, 9};
  const TPixel256 C2 = Pixel256Cross3(A2, B2);
  EXPECT_EQ(C2.R, -1);
  EXPECT_EQ(C2.A, 7);
  TPixel256 V2 = A2;
  Pixel256CrossInPlace(V2, B2);
  EXPECT_EQ(V2.R, -1);
  EXPECT_EQ(V2.A, 7);
}

TEST(Pixel128, VectorMeasures) {
  const TBGRAPixel128 A{3, 4, 12, 9};
  EXPECT_FLOAT_EQ(Pixel128Length(A), 13);
  EXPECT_FLOAT_EQ(Pixel128Distance(A, TBGRAPixel128{0, 0, 0, 0}), 13);
  EXPECT_FLOAT_EQ(Pixel128Dot3(A, TBGRAPixel128{1, 1, 1, 100}), 19);
  EXPECT_FLOAT_EQ(Vector3DotPixel128({1, 0, 2}, A), 27);
  TBGRAPixel128 N = A;
  Pixel128Normalize3(N);
  EXPECT_FLOAT_EQ(Pixel128Length(N), 1);
  EXPECT_EQ(N.A, 9);

  TBGRAPixel128 Black{0, 0, 0, 1};
  Pixel128Normalize3(Black);
  ExpectColour(Black, 0, 0, 0, 0);
  TBGRAPixel128 Tiny{1e-6f, 0, 0, 1};
  Pixel128NormalizeMax(Tiny);
  EXPECT_EQ(Tiny.B, 1e-6f);
  TBGRAPixel128 M{0.25f, 0.5f, 0.125f, 1};
  Pixel128NormalizeMax(M);
  EXPECT_EQ(M.G, 1.0f);
  EXPECT_EQ(M.B, 0.5f);

  const TPixel256 P{3, 4, 12, 1};
  EXPECT_FLOAT_EQ(Pixel256Length(P), 13);
  EXPECT_DOUBLE_EQ(Pixel256Dot(P, P), 169);
  EXPECT_DOUBLE_EQ(Pixel256Dot3(P, P), 169);
  TPixel256 Q = P;
  Pixel256Normalize3(Q);
  EXPECT_DOUBLE_EQ(Q.R, 12.0 / 13.0);
  TPixel256 Z{0, 0, 0, 5};
  EXPECT_TRUE(Pixel256IsZero(Z));
  Pixel256Normalize3(Z);
  EXPECT_TRUE(Pixel256IsZero(Z));
}

TEST(Pixel128, DoubleOperationsWidenBeforeSubtracting) {
  const TBGRAPixel128 A{0.1f, 0.2f, 0.3f, 1}, B{0.3f, 0.1f, 0.7f, 0};
  const TPixel256 D = Pixel128SubAsPixel256(A, B);
  EXPECT_EQ(D.B, double(0.1f) - double(0.3f));
  EXPECT_EQ(D.R, double(0.3f) - double(0.7f));
  TPixel256 Acc = Pixel128ToPixel256(A);
  Pixel256IncBy(Acc, D);
  Pixel256DecBy(Acc, D);
  EXPECT_EQ(Acc.G, double(0.2f));
  const TPixel256 E = Pixel256SubPixel128(Acc, A);
  EXPECT_TRUE(Pixel256IsZero(E));
  TPixel256 S;
  Pixel256ScaleRGB(Acc, S, 2);
  EXPECT_EQ(S.B, 2 * double(0.1f));
  EXPECT_EQ(S.A, 1);
}

struct TSaturationCase {
  float R, G, B, Sat, Sat005;
};

TEST(Pixel128, SaturationOfKnownColours) {
  const TSaturationCase Cases[] = {
      {0.5f, 0.5f, 0.5f, 0, 0},
      {1, 0, 0, float(1 / 1.35), float(1 / 1.05)},
      {0, 0, 0, 0, 0},
      {-1, -2, -3, 0, 0},
  };
  for (const auto& C : Cases) {
    EXPECT_FLOAT_EQ(Pixel128Saturation(Rgba(C.R, C.G, C.B)), C.Sat) << C.R << C.G << C.B;
    EXPECT_FLOAT_EQ(Pixel128Saturation005(Rgba(C.R, C.G, C.B)), C.Sat005) << C.R << C.G << C.B;
  }
}

TEST(Pixel128, SaturateAroundMeanOrLuminance) {
  const TBGRAPixel128 P = Rgba(0.9f, 0.3f, 0.3f, 0.5f);
  TBGRAPixel128 Out;
  Pixel128Saturate(P, Out, 0);
  ExpectColour(Out, 0.5f, 0.5f, 0.5f);
  EXPECT_EQ(Out.A, 0.5f);
  Pixel128Saturate(P, Out, 1);
  ExpectColour(Out, 0.9f, 0.3f, 0.3f);
  Pixel128SaturateByLuminance(P, Out, 0);
  const float L = Pixel128Luminance(P);
  ExpectColour(Out, L, L, L);
}

TEST(Pixel128, SetLuminance) {
  TBGRAPixel128 Out{9, 9, 9, 7};
  Pixel128SetLuminance(Rgba(0.5f, 0.5f, 0.5f, 0.25f), Out, 0);
  ExpectColour(Out, 0, 0, 0, 0);
  EXPECT_EQ(Out.A, 7);  // not set on this path
  Pixel128SetLuminance(Rgba(0.2f, 0.4f, 0.6f, 0.25f), Out, 0.8f);
  EXPECT_FLOAT_EQ(Pixel128Luminance(Out), 0.8f);
  EXPECT_FLOAT_EQ(Out.G / Out.R, 2.0f);
  EXPECT_EQ(Out.A, 0.25f);
}

struct TDiamondCase {
  TBGRAPixel128 In;
  float Target;
  float R, G, B;
};

TEST(Pixel128, SetLuminanceDiamond) {
  const TDiamondCase Cases[] = {
      {Rgba(0.5f, 0.5f, 0.5f), 0.75f, 0.75f, 0.75f, 0.75f},
      {Rgba(0, 0, 0), 0.25f, 0, 0, 0},
      {Rgba(0.2f, 0.7f, 0.1f), 1, 1, 1, 1},
      {Rgba(1, 1, 1), 0.75f, 1, 1, 1},
      {Rgba(0.5f, 0.5f, 0.5f), 0.25f, 0.25f, 0.25f, 0.25f},
      {Rgba(0.4f, 0.2f, 0.2f), 0.13f, 0.2f, 0.1f, 0.1f},  // L = 0.26 halved
  };
  for (const auto& C : Cases) {
    TBGRAPixel128 Out{};
    SetLuminanceDiamond(Rgba(C.In.R, C.In.G, C.In.B, 0.5f), Out, C.Target);
    ExpectColour(Out, C.R, C.G, C.B, 1e-6f);
    EXPECT_EQ(Out.A, 0.5f);
  }
}

TEST(Pixel128, HueRotationAboutGrey) {
  TBGRAPixel128 P = Rgba(0.2f, 0.5f, 0.7f, 0.3f);
  RotateHue128(P, 0);
  ExpectColour(P, 0.2f, 0.5f, 0.7f);
  const float Third = float(2 * std::numbers::pi / 3);
  TBGRAPixel128 Red = Rgba(1, 0, 0, 0.3f);
  RotateHue128(Red, Third);
  ExpectColour(Red, 0, 1, 0);
  TBGRAPixel128 Out{};
  RotateHue128To(Rgba(1, 0, 0, 0.3f), Out, 2 * Third);
  ExpectColour(Out, 0, 0, 1);
  EXPECT_EQ(Out.A, 0.3f);
  TBGRAPixel128 Grey = Rgba(0.4f, 0.4f, 0.4f);
  RotateHue128(Grey, 1.234f);
  ExpectColour(Grey, 0.4f, 0.4f, 0.4f);
}

struct TBaryCase {
  float Px, Py, W1, W2, W3;
};

TEST(Pixel128, TriangleBarycentricWeights) {
  // Triangle (0, 0), (3, 0), (0, 3).
  const TBaryCase Cases[] = {
      {0, 0, 1, 0, 0}, {3, 0, 0, 1, 0}, {0, 3, 0, 0, 1}, {1, 1, 1.0f / 3, 1.0f / 3, 1.0f / 3},
      {3, 3, -1, 1, 1},
  };
  for (const auto& C : Cases) {
    float W1, W2, W3;
    TriangleBarycentric(W1, W2, W3, C.Px, C.Py, 0, 0, 3, 0, 0, 3);
    EXPECT_NEAR(W1, C.W1, 1e-6f) << C.Px << "," << C.Py;
    EXPECT_NEAR(W2, C.W2, 1e-6f) << C.Px << "," << C.Py;
    EXPECT_NEAR(W3, C.W3, 1e-6f) << C.Px << "," << C.Py;
  }
  float W1, W2, W3;
  TriangleBarycentric(W1, W2, W3, 1, 1, 0, 0, 1, 1, 2, 2);  // degenerate
  EXPECT_EQ(W1, 1);
  EXPECT_EQ(W2, 0);
  EXPECT_EQ(W3, 0);
}

TEST(Pixel128, TextForms) {
  const TBGRAPixel128 P = Rgba(0.5f, 0.25f, 1, 0);
  std::string S;
  Pixel128ToText(S, P);
  EXPECT_EQ(S, "(0.500, 0.250, 1.000)");
  Pixel128ToText2(S, P);
  EXPECT_EQ(S, "(0.50, 0.25, 1.00)");
  Pixel128ToRGBText(P, S);
  EXPECT_EQ(S, "R: 0.5000  G: 0.2500  B: 1.0000");
}

TEST(Pixel128, SmallHelpers) {
  TBGRAPixel128 P = Rgba(1, 2, 3, 4);
  TBGRAPixel128 Q;
  Pixel128WithAlpha(P, Q, 0.5f);
  ExpectColour(Q, 1, 2, 3, 0);
  EXPECT_EQ(Q.A, 0.5f);
  TPixel256 D;
  Pixel128ToPixel256Ref(D, P);
  EXPECT_EQ(D.B, 3);
  EXPECT_EQ(D.A, 4);
  TBGRAPixel128 S = Pixel128Scale(P, 0.5);
  ExpectColour(S, 0.5f, 1, 1.5f, 0);
  EXPECT_EQ(S.A, 2);
  Pixel128MulScalar(P, S, 2);
  EXPECT_EQ(S.A, 8);
  Pixel128Clear(P);
  EXPECT_TRUE(Pixel128IsZero(P));
  EXPECT_EQ(P.A, 0);
}

}  // namespace
