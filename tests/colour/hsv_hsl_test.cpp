#include "colour/hsv_hsl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace kromel {
namespace {

struct TRGB {
  float R, G, B;
};

TEST(HSVHSL, PrimariesGreysAndBlack) {
  struct TCase {
    TRGB C;
    float HsvH, HsvS, HslH, HslS, HslL;
  };
  const TCase Cases[] = {
      {{1, 0, 0}, 0, 1, 0, 1, 0.5f},          {{0, 1, 0}, 120, 1, 1.0f / 3, 1, 0.5f},
      {{0, 0, 1}, 240, 1, 2.0f / 3, 1, 0.5f}, {{1, 0, 1}, 300, 1, 5.0f / 6, 1, 0.5f},
      {{0.4f, 0.4f, 0.4f}, 0, 0, 0, 0, 0.4f}, {{0, 0, 0}, 0, 0, 0, 0, 0},
      {{1.5f, 0, 0}, 0, 1, 0, 1, 0.5f},  // HSL reads 1.5 as 1
      {{5e-9f, 0, 0}, 0, 1, 0, 0, 0},    // and 5e-9 as 0
  };
  for (const TCase& T : Cases) {
    float H, S, V, L;
    RGBtoHSV(H, S, V, T.C.R, T.C.G, T.C.B);
    EXPECT_NEAR(H, T.HsvH, 1e-4) << T.C.R << "," << T.C.G << "," << T.C.B;
    EXPECT_NEAR(S, T.HsvS, 1e-6) << T.C.R << "," << T.C.G << "," << T.C.B;
    RGBtoHSL(H, S, L, T.C.R, T.C.G, T.C.B);
    EXPECT_NEAR(H, T.HslH, 1e-6) << T.C.R << "," << T.C.G << "," << T.C.B;
    EXPECT_NEAR(S, T.HslS, 1e-6) << T.C.R << "," << T.C.G << "," << T.C.B;
    EXPECT_NEAR(L, T.HslL, 1e-6) << T.C.R << "," << T.C.G << "," << T.C.B;
  }
  float L, A, B;
  RGBtoHSLLab(L, A, B, 0.3f, 0.3f, 0.3f);
  EXPECT_EQ(A, 0);
  EXPECT_EQ(B, 0);
  EXPECT_NEAR(L, 30, 1e-4);
}

TEST(HSVHSL, HSVHueWrapAndSectorForm) {
  auto Same = [](float H1, float H2) {
    TRGB A, B;
    HSVtoRGB(A.R, A.G, A.B, H1, 0.8f, 0.9f);
    HSVtoRGB(B.R, B.G, B.B, H2, 0.8f, 0.9f);
    EXPECT_NEAR(A.R, B.R, 1e-5) << H1 << " vs " << H2;
    EXPECT_NEAR(A.G, B.G, 1e-5) << H1 << " vs " << H2;
    EXPECT_NEAR(A.B, B.B, 1e-5) << H1 << " vs " << H2;
  };
  Same(360, 0);
  Same(-30, 330);
  Same(500, 140);
  // The classic sector form gives the same colours.
  for (float H = 0; H <= 360; H += 7.5f) {
    TRGB A, B;
    HSVtoRGB(A.R, A.G, A.B, H, 0.6f, 0.7f);
    HSVtoRGBSectors(B.R, B.G, B.B, H, 0.6f, 0.7f);
    EXPECT_NEAR(A.R, B.R, 1e-5) << H;
    EXPECT_NEAR(A.G, B.G, 1e-5) << H;
    EXPECT_NEAR(A.B, B.B, 1e-5) << H;
  }
  TRGB C;
  HSVtoRGBSectors(C.R, C.G, C.B, 100, 0, 0.3f);
  EXPECT_EQ(C.R, 0.3f);
  EXPECT_EQ(C.B, 0.3f);
  EXPECT_TRUE(TestHSVRoundTrip());
}

TEST(HSVHSL, BytesAndPackedColours) {
  int32_t H, S, V;
  RGBtoHSVBytes(H, S, V, 0, 255, 0);
  EXPECT_EQ(H, 85);  // rnd(120*255/360)
  EXPECT_EQ(S, 255);
  EXPECT_EQ(V, 255);
  // Red in the lowest byte, top byte 0.
  EXPECT_EQ(HSVToColor(0, 1, 1), 0x0000FFu);
  EXPECT_EQ(HSVtoColor(120, 1, 1), 0x00FF00u);
  EXPECT_EQ(HSVToColor(240, 1, 0.5f), 0x800000u);  // rnd(127.5) = 128
  EXPECT_EQ(HSVToColor(0, 0, 2), 0xFFFFFFu);       // capped at 1
  // Saturation beyond 1 drives two channels below 0: they stay 0 and do
  // not spill into the other bytes.
  EXPECT_EQ(HSVToColor(0, 2, 0.5f), 0x000080u);
  uint8_t R, G, B;
  HSVtoRGBBytes(R, G, B, 60, 1, 1);
  EXPECT_EQ(R, 255);
  EXPECT_EQ(G, 255);
  EXPECT_EQ(B, 0);
  EXPECT_EQ(RotateHueColor(0x0000FF, 120), 0x00FF00u);
  EXPECT_EQ(RotateHueColor(0x0000FF, -120), 0xFF0000u);
  float Rf = 1, Gf = 0, Bf = 0;
  RotateHueRGB(Rf, Gf, Bf, -600);  // twice +360 at most
  EXPECT_NEAR(Gf, 1, 1e-5);
}

TEST(HSVHSL, IntegerHSL) {
  EXPECT_EQ(HSLToColorInt(100, 200, 0), 0u);
  EXPECT_EQ(HLStoColor(100, 200, 0), 0u);
  for (int H = 0; H < 256; H += 17) {
    EXPECT_EQ(HSLToColorInt(H, 0, 90), 0x5A5A5Au) << H;  // grey v = m = L
  }
  EXPECT_EQ(HLStoColor(0, 255, 128), 0x0101FFu);    // red m2 255, m1 1
  EXPECT_EQ(HSLToBGRAInt(0, 255, 128), 0xFF0101u);  // the same as a pixel
  EXPECT_EQ(HLStoColor(85, 255, 128), HSLToColorInt(85, 255, 128));
  EXPECT_EQ(HLStoColor(-10, 255, 128), 0u);  // no sextant
}

TEST(HSVHSL, HSLRoundTripsAndHSLLabPlane) {
  for (const TRGB C : {TRGB{0.9f, 0.2f, 0.1f}, TRGB{0.1f, 0.6f, 0.8f}, TRGB{0.7f, 0.7f, 0.2f},
                       TRGB{0.5f, 0.2f, 0.9f}}) {
    float H, S, L, R, G, B;
    RGBtoHSL(H, S, L, C.R, C.G, C.B);
    HSLtoRGB(R, G, B, H, S, L);
    EXPECT_NEAR(R, C.R, 1e-5);
    EXPECT_NEAR(G, C.G, 1e-5);
    EXPECT_NEAR(B, C.B, 1e-5);
    RGBtoHSLLab(L, H, S, C.R, C.G, C.B);
    HSLLabtoRGB(R, G, B, L, H, S);
    EXPECT_NEAR(R, C.R, 1e-5);
    EXPECT_NEAR(G, C.G, 1e-5);
    EXPECT_NEAR(B, C.B, 1e-5);
  }
  float L, A, B, R, G, Bv;
  RGBtoHSLLab(L, A, B, 1, 0, 0);  // red at 45 degrees
  EXPECT_NEAR(A, B, 1e-4);
  EXPECT_GT(A, 0);
  RGBtoHSLLab(L, A, B, 1.4f, -0.2f, 0.3f);  // the clamped input comes back
  HSLLabtoRGB(R, G, Bv, L, A, B);
  EXPECT_NEAR(R, 1, 1e-5);
  EXPECT_NEAR(G, 0, 1e-5);
  EXPECT_NEAR(Bv, 0.3f, 1e-5);
}

TEST(HSVHSL, YUVModel) {
  float R, G, B, Y, V, W;
  YUVtoRGBSingle(100, 0, 0, R, G, B);
  EXPECT_EQ(R + G + B, 3.0f);
  RGBtoYUVSingle(0.2f, 0.5f, 0.7f, Y, V, W);
  YUVtoRGBSingle(Y, V, W, R, G, B);
  EXPECT_NEAR(R, 0.2f, 1e-4);
  EXPECT_NEAR(G, 0.5f, 1e-4);
  EXPECT_NEAR(B, 0.7f, 1e-4);
  // Red would fall below 0: the chroma is corrected, the luma kept.
  YUVtoRGBSingle(30, -100, 0, R, G, B);
  EXPECT_NEAR(R, 0, 1e-6);
  EXPECT_GT(G, 0.3f);
  EXPECT_NEAR(0.299f * R + 0.587f * G + 0.114f * B, 0.3f, 1e-5);
}

TEST(HSVHSL, HSYAndSampleLists) {
  float H, S, Y;
  RGBtoHSY(H, S, Y, 0, 0, 0);
  EXPECT_EQ(H + S + Y, 0);
  RGBtoHSY(H, S, Y, 0.5f, 0.5f, 0.5f);
  EXPECT_NEAR(S, 0, 1e-6);
  EXPECT_NEAR(Y, 0.5f, 1e-6);
  RGBtoHSY(H, S, Y, 1, -1, 0);  // channels summing to 0: no division
  EXPECT_FALSE(std::isnan(H) || std::isnan(S));

  THSLPixel128Array Samples = {
      {0.95f, 0, 0.3f, 1}, {0.05f, 0, 0.1f, 2}, {0.5f, 0, 0.3f, 3}, {0.9f, 0, 0.2f, 4}};
  SortHSLByLightness(Samples);
  const float Order[] = {2, 4, 1, 3};  // equal lightness keeps its order
  for (int I = 0; I < 4; ++I) EXPECT_EQ(Samples[I].A, Order[I]);

  THSLPixel128Array Hues = {{0.95f, 0, 0, 0}, {0.05f, 0, 0, 0}, {0.6f, 0, 0, 0}, {0.9f, 0, 0, 0}};
  UnwrapHueSequence(Hues);
  EXPECT_FLOAT_EQ(Hues[1].H, 1.05f);
  EXPECT_FLOAT_EQ(Hues[2].H, 0.6f);  // 1.05 -> 0.6 is less than half a turn
  EXPECT_FLOAT_EQ(Hues[3].H, 0.9f);
}

}  // namespace
}  // namespace kromel
