#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "colour/contrast_clip.h"

namespace kromel {
namespace {

float Luma(float R, float G, float B) { return 0.2126f * R + 0.7152f * G + 0.0722f * B; }

TEST(SoftClip, InRangeColourUnchangedWithZeroAmounts) {
  float R = 0.3f, G = 0.6f, B = 0.9f;
  SoftClip3(R, G, B, 0, 0, 0.002f, 1, 1, 1);
  EXPECT_FLOAT_EQ(R, 0.3f);
  EXPECT_FLOAT_EQ(G, 0.6f);
  EXPECT_FLOAT_EQ(B, 0.9f);
}

TEST(SoftClip, ClampsToLimitsAndBringsLargestChannelToOne) {
  float R = 3.0f, G = 0.2f, B = 0.2f;  // red beyond its limit of 2
  SoftClip3(R, G, B, 0, 1, 0.002f, 2, 2, 2);
  EXPECT_NEAR(R, 1.0f, 1e-6);
  EXPECT_EQ(G, B);
  EXPECT_LT(G, R);
  // Luma after compression: V = atan(0.8322*ln(1+Y0))/atan(0.8322*ln 3) with
  // Y0 the luma of (2, 0.2, 0.2) and 0.8322 = atan(ln 3).
  const double Y0 = 0.2126 * 2 + 0.7152 * 0.2 + 0.0722 * 0.2;
  const double K = std::atan(std::log(3.0));
  const double V = std::atan(std::log(1 + Y0) * K) / std::atan(std::log(3.0) * K);
  EXPECT_NEAR(Luma(R, G, B), V, 1e-5);
  float R2 = -0.5f, G2 = 0.5f, B2 = 0.5f;  // below 0 becomes 0
  SoftClip3(R2, G2, B2, 0, 0, 0.002f, 1, 1, 1);
  EXPECT_EQ(R2, 0.0f);
}

// Any highlight amount of 2 or more gives knee 0 and full logarithmic
// compression (t = 1).
TEST(SoftClip, FullLogarithmicCompression) {
  float First[3] = {};
  for (float H : {2.0f, 4.0f, 10.0f}) {
    float R = 0.9f, G = 0.5f, B = 0.2f;
    SoftClip3(R, G, B, 0.5f, H, 0.002f, 1, 1, 1);
    EXPECT_LE(std::max({R, G, B}), 1.0f);
    if (H == 2.0f) {
      First[0] = R, First[1] = G, First[2] = B;
    } else {
      EXPECT_EQ(R, First[0]);
      EXPECT_EQ(G, First[1]);
      EXPECT_EQ(B, First[2]);
    }
  }
  float R = 0.9f, G = 0.5f, B = 0.2f;
  SoftClip3(R, G, B, 0.5f, 1.5f, 0.002f, 1, 1, 1);  // t = 0.5 differs
  EXPECT_NE(G, First[1]);
}

TEST(ContrastCurve, FixedPointsAndInverse) {
  for (float K : {0.0001f, 1.0f, 5.0f, 12.0f}) {
    EXPECT_FLOAT_EQ(ContrastSigmoid(1.0f, K), 1.0f);
    EXPECT_FLOAT_EQ(ContrastSigmoid(0.5f, K), 0.5f);
    // At k = 12 the curve is so flat near its ends that a Single output
    // keeps only about 1e-4 of x.
    const double Tol = K > 10 ? 1e-4 : 2e-6;
    for (float X : {0.05f, 0.2f, 0.5f, 0.77f, 0.95f})
      EXPECT_NEAR(ContrastSigmoidReverse(ContrastSigmoid(X, K), K), X, Tol) << K << " " << X;
  }
  EXPECT_EQ(ContrastSigmoid(0.3f, 0), 0.3f);
  EXPECT_EQ(ContrastSigmoid(-0.2f, 5), -0.2f);
  EXPECT_EQ(ContrastSigmoidReverse(0.3f, 0), 0.3f);
  EXPECT_GT(ContrastSigmoid(0.6f, 5), 0.6f);
  EXPECT_GT(ContrastSigmoidSlope(0.5f, 5), 1.0f);
  EXPECT_LT(ContrastSigmoidSlope(0.05f, 5), 1.0f);
  EXPECT_TRUE(std::isnan(ContrastSigmoidReverse(NAN, 5)));
}

// The reverse mirrors the forward steps; it undoes a grey exactly and other
// colours to second order in their spread.
TEST(ContrastCurve, RGBPairKeepsGreyAndMirrors) {
  float R = 0.4f, G = 0.4f, B = 0.4f;
  ContrastSigmoidRGB(R, G, B, 4);
  EXPECT_NEAR(R, 0.4f, 1e-6);
  EXPECT_EQ(R, G);
  EXPECT_EQ(G, B);
  R = 0.2f, G = 0.5f, B = 0.7f;
  ContrastSigmoidRGB(R, G, B, 0);  // k = 0 returns at once
  EXPECT_EQ(R, 0.2f);
  EXPECT_EQ(B, 0.7f);
  ContrastSigmoidRGB(R, G, B, 4);
  EXPECT_NE(R, 0.2f);
  ContrastSigmoidRGBReverse(R, G, B, 4);
  EXPECT_NEAR(R, 0.2f, 0.01f);
  EXPECT_NEAR(B, 0.7f, 0.01f);
  R = 0.48f, G = 0.5f, B = 0.52f;
  ContrastSigmoidRGB(R, G, B, 4);
  ContrastSigmoidRGBReverse(R, G, B, 4);
  EXPECT_NEAR(R, 0.48f, 1e-4);
  EXPECT_NEAR(B, 0.52f, 1e-4);
  R = G = B = 0.3f;
  ContrastSigmoidRGBReverse(R, G, B, 4);
  EXPECT_NEAR(R, ContrastSigmoid(ContrastSigmoidReverse(0.3f, 4), 4), 1e-6);
}

TEST(Lightness, ByMode) {
  struct TCase {
    uint8_t Mode;
    float In[3];
    float Out[3];
    float L;
  };
  const TCase Cases[] = {
      {0, {0.2f, 0.5f, 0.8f}, {0.2f, 0.5f, 0.8f}, 0.5f},
      {2, {0.2f, 0.5f, 0.8f}, {0.2f, 0.5f, 0.8f}, 0.5f},
      {8, {0.2f, 0.5f, 0.8f}, {0.2f, 0.5f, 0.8f}, 0.5f},
      {3, {0.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 1.0f}, 0.0f},
      {3, {0.2f, 0.4f, 0.8f}, {0.25f, 0.5f, 1.0f}, 0.8f},
      {4, {0.2f, 0.4f, 0.5f}, {0.8f / 3, 1.6f / 3, 2.0f / 3}, 0.75f},
      {5, {0.2f, 0.5f, 0.8f}, {0.0f, 0.3f, 0.6f}, 0.2f},
      {6, {0.2f, 0.5f, 0.8f}, {0.16f, 0.46f, 0.76f}, 0.04f},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(int(C.Mode));
    float R, G, B, L;
    RGBLightnessByMode(C.In[0], C.In[1], C.In[2], C.Mode, R, G, B, L);
    EXPECT_NEAR(R, C.Out[0], 1e-6);
    EXPECT_NEAR(G, C.Out[1], 1e-6);
    EXPECT_NEAR(B, C.Out[2], 1e-6);
    EXPECT_NEAR(L, C.L, 1e-6);
  }
  float R, G, B, L;
  RGBLightnessByMode(0.3f, 0.3f, 0.3f, 1, R, G, B, L);  // Uniform: a grey is its own L
  EXPECT_NEAR(L, 0.3f, 1e-6);
}

TEST(Brightness, PackedAndSingle) {
  EXPECT_EQ(ColorBrightness(0xFFFFFF), 255);
  EXPECT_EQ(ColorBrightness(0x0000FF), 125);  // rnd(255*sqrt(0.241))
  EXPECT_EQ(ColorBrightness(0), 0);
  EXPECT_NEAR(ColorBrightnessSingle(1, 1, 1), 1.0f, 1e-6);
  float R = 0.2f, G = 0.4f, B = 0.1f;
  SetColorBrightness(R, G, B, 0.5f);
  EXPECT_NEAR(ColorBrightnessSingle(R, G, B), 0.5f, 1e-6);
  EXPECT_NEAR(G / R, 2.0f, 1e-6);
  R = G = B = 0;
  SetColorBrightness(R, G, B, 0.5f);
  EXPECT_EQ(R, 0.0f);
  R = 0.2f, G = 0.4f, B = 0.1f;
  SetColorBrightnessEqual(R, G, B, 0.5f);
  EXPECT_NEAR(std::sqrt(0.33f * R * R + 0.34f * G * G + 0.33f * B * B), 0.5f, 1e-6);
}

TEST(HueByte, Table) {
  struct TCase {
    int R, G, B, Hue, HueZero;
  };
  const TCase Cases[] = {
      {128, 128, 128, -1, -1}, {255, 0, 0, 43, 0},    {0, 255, 0, 128, 85},
      {0, 0, 255, 213, 170},   {255, 0, 1, 43, 0},    {255, 0, 10, 42, 255},
      {200, 0, 255, 246, 203}, {255, 255, 0, 86, 43},
  };
  for (const auto& C : Cases) {
    EXPECT_EQ(RGBtoHueByte(C.R, C.G, C.B), C.Hue) << C.R << "," << C.G << "," << C.B;
    EXPECT_EQ(RGBtoHueByteZero(C.R, C.G, C.B), C.HueZero) << C.R << "," << C.G << "," << C.B;
  }
}

TEST(Rotations, AboutGreyAndInPlane) {
  float R = 1, G = 0, B = 0;
  RotateRGBAroundGrey(R, G, B, static_cast<float>(2 * std::numbers::pi / 3));
  EXPECT_NEAR(R, 0, 1e-6);
  EXPECT_NEAR(G, 1, 1e-6);
  EXPECT_NEAR(B, 0, 1e-6);
  R = G = B = 0.4f;
  RotateRGBAroundGrey(R, G, B, 1.0f);
  EXPECT_NEAR(R, 0.4f, 1e-6);
  EXPECT_NEAR(B, 0.4f, 1e-6);
  float X = 1, Y = 0;
  RotateXY(X, Y, static_cast<float>(std::numbers::pi / 2));
  EXPECT_NEAR(X, 0, 1e-6);
  EXPECT_NEAR(Y, 1, 1e-6);
  TLABRec Lab{50, 10, 0};
  RotateABRec(Lab, static_cast<float>(std::numbers::pi));
  EXPECT_EQ(Lab.L, 50);
  EXPECT_NEAR(Lab.A, -10, 1e-5);
  EXPECT_EQ(SoftKnee(0.5f, 0.2f, 0.1f), 0.5f);
  EXPECT_NEAR(SoftKnee(1e6f, 0.2f, 0.1f), 1.1f, 1e-5);
  EXPECT_NEAR(SoftKnee(0.8f, 0.2f, 0.1f), 0.8f, 1e-7);
}

}  // namespace
}  // namespace kromel
