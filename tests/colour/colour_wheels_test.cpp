#include "colour/colour_wheels.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/raw_bitmap.h"

namespace kromel {
namespace {

TEST(ColourWheels, OffsetDirections) {
  struct TCase {
    const char* Name;
    float X, Y, Master;
    float R, G, B;
  };
  const TCase Cases[] = {
      {"centre", 0, 0, 0, 0, 0, 0},
      {"master only", 0, 0, 0.3f, 0.3f, 0.3f, 0.3f},
      {"straight up is red", 0, 1, 0, 1, -0.5f, -0.5f},
      {"down is cyan", 0, -1, 0, -1, 0.5f, 0.5f},
      // Angle turns left: 120 degrees to the left is green.
      {"up-left is green", -std::sin(2.0943951f), std::cos(2.0943951f), 0, -0.5f, 1, -0.5f},
      {"up-right is blue", std::sin(2.0943951f), std::cos(2.0943951f), 0, -0.5f, -0.5f, 1},
      {"not clamped", 0, 2, 1, 3, 0, 0},
  };
  for (const TCase& C : Cases) {
    float R, G, B;
    ColorWheelOffsetToRGB(C.X, C.Y, C.Master, R, G, B);
    EXPECT_NEAR(R, C.R, 1e-5f) << C.Name;
    EXPECT_NEAR(G, C.G, 1e-5f) << C.Name;
    EXPECT_NEAR(B, C.B, 1e-5f) << C.Name;
  }
}

TEST(ColourWheels, LiftGammaGain) {
  TLiftGammaGain V;
  CalcLiftGammaGain({}, {}, {}, V);
  for (int C = 0; C < 3; ++C) {
    EXPECT_EQ(V.Lift[C], 0.0f);
    EXPECT_EQ(V.Gamma[C], 1.0f);
    EXPECT_EQ(V.Gain[C], 1.0f);
    EXPECT_FLOAT_EQ(LiftGammaGainValue(V, C, 0.37f), 0.37f);
  }
  CalcLiftGammaGain({0, 100, 0}, {0, 0, 100}, {0, 0, 100}, V);
  EXPECT_NEAR(V.Lift[0], 0.1f, 1e-6f);
  EXPECT_NEAR(V.Lift[1], -0.05f, 1e-6f);
  EXPECT_NEAR(V.Lift[2], -0.05f, 1e-6f);
  EXPECT_FLOAT_EQ(V.Gamma[1], 0.5f);  // positive offsets give gammas below 1
  EXPECT_FLOAT_EQ(V.Gain[2], 1.25f);
  // max(0, x*gain + lift) ^ gamma
  EXPECT_FLOAT_EQ(LiftGammaGainValue(V, 1, 0.01f), 0.0f);
  EXPECT_FLOAT_EQ(LiftGammaGainValue(V, 0, 0.5f), std::pow(0.5f * 1.25f + 0.1f, 0.5f));
}

TEST(ColourWheels, PixelsKeepAlpha) {
  struct TPixel {
    float B, G, R, A;
  };
  TPixel P[3] = {{9, 9, 9, 0.25f}, {9, 9, 9, 0.5f}, {9, 9, 9, 0.75f}};
  ColorWheelsToPixels({0, 100, 0}, {}, {0, 0, 50}, P);
  EXPECT_NEAR(P[0].R, 1.0f, 1e-6f);
  EXPECT_NEAR(P[0].G, -0.5f, 1e-6f);
  EXPECT_EQ(P[1].R, 0.0f);
  EXPECT_EQ(P[2].B, 0.5f);
  EXPECT_EQ(P[0].A, 0.25f);
  EXPECT_EQ(P[2].A, 0.75f);
}

TEST(ColourWheels, FiveKnotSpline) {
  // Values that all equal x along a line are reproduced.
  for (float X : {0.0f, 0.1f, 0.33f, 0.5f, 0.8f, 0.99f})
    EXPECT_NEAR(FiveKnotSpline(X, -0.00001f, 0.25f, 0.5f, 0.75f, 1.0001f, X, X, X, X, X), X, 1e-5f);
  // Passes through the inner knots.
  EXPECT_FLOAT_EQ(FiveKnotSpline(0.5f, 0, 0.25f, 0.5f, 0.75f, 1, 0, 1, 2, 3, 4), 2.0f);
  // Outside: the end values.
  EXPECT_EQ(FiveKnotSpline(-1, 0, 0.25f, 0.5f, 0.75f, 1, 7, 1, 2, 3, 9), 7.0f);
  EXPECT_EQ(FiveKnotSpline(1, 0, 0.25f, 0.5f, 0.75f, 1, 7, 1, 2, 3, 9), 9.0f);
  // k1 = k2: the empty segment gives its third point.
  EXPECT_EQ(FiveKnotSpline(0.3f, 0, 0.3f, 0.3f, 0.75f, 1, 0, 1, 2, 3, 4), 2.0f);
}

TEST(ColourWheels, RangeWeights) {
  for (auto* F : {&RangeWeightRaisedCosine, &RangeWeightSquaredCosine, &RangeWeightLinear}) {
    EXPECT_FLOAT_EQ(F(0.5f, 0.2f, 0.5f, 0.9f), 1.0f);
    EXPECT_NEAR(F(0.2f, 0.2f, 0.5f, 0.9f), 0.0f, 1e-6f);
    EXPECT_NEAR(F(0.9f, 0.2f, 0.5f, 0.9f), 0.0f, 1e-6f);
    EXPECT_EQ(F(0.1f, 0.2f, 0.5f, 0.9f), 0.0f);
    EXPECT_EQ(F(0.95f, 0.2f, 0.5f, 0.9f), 0.0f);
  }
  EXPECT_FLOAT_EQ(RangeWeightLinear(0.7f, 0.2f, 0.5f, 0.9f), 0.5f);
  EXPECT_FLOAT_EQ(RangeWeightRaisedCosine(0.35f, 0.2f, 0.5f, 0.9f), 0.5f);
}

TEST(ColourWheels, RingPicture) {
  TImage32 Image;
  ASSERT_TRUE(DrawColorWheelRing(Image, 100, 60));
  int Ring = 0;
  uint32_t TopRed = 0;
  for (int32_t Y = 0; Y < 60; ++Y)
    for (int32_t X = 0; X < 100; ++X) {
      const int32_t D2 = (X - 50) * (X - 50) + (Y - 30) * (Y - 30);
      const TVPixel32 P = Image.Row(Y)[X];
      if (D2 < 720 || D2 > 900) {
        EXPECT_EQ(P.Value, 0x404040u) << X << "," << Y;
        continue;
      }
      ++Ring;
      EXPECT_NE(P.Value, 0x404040u);
      if (P.BGRA.R > TopRed) TopRed = P.BGRA.R;
    }
  EXPECT_GT(Ring, 100);
  // The top of the ring, (50, 0): straight up, the most red.
  const TVPixel32 Top = Image.Row(0)[50];
  EXPECT_EQ(Top.BGRA.R, 255);
  EXPECT_EQ(Top.BGRA.R, TopRed);
  EXPECT_NEAR(Top.BGRA.G, 64.5, 0.5);  // 127 * -0.5 + 128
  EXPECT_NEAR(Top.BGRA.B, 64.5, 0.5);
  Image.Dispose();

  TRawBitmap Picture(40, 40, pf32bit);
  DrawColorWheelRing(Picture);
  const uint8_t* Row = Picture.ScanLine(0);  // A, R, G, B bytes
  EXPECT_EQ(Row[20 * 4 + 1], 255);
  TRawBitmap Empty;
  DrawColorWheelRing(Empty);
  EXPECT_FALSE(DrawColorWheelRing(Image, 0, 5));
  ASSERT_TRUE(DrawColorWheelRing(Image, 1, 1));
}

}  // namespace
}  // namespace kromel
