#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "colour/cms_hook.h"
#include "colour/rgb_lab_xyz.h"

namespace kromel {
namespace {

int LabByte(uint32_t Lab, int N) { return static_cast<int>((Lab >> (8 * N)) & 0xFF); }

TEST(Lab, ReferenceConversion) {
  float L, A, B;
  RGBtoLABSingle(1, 1, 1, L, A, B);
  EXPECT_NEAR(L, 100.0f, 0.01f);
  EXPECT_NEAR(A, 0.0f, 0.01f);
  EXPECT_NEAR(B, 0.0f, 0.01f);
  RGBtoLABSingle(0, 0, 0, L, A, B);
  EXPECT_EQ(L, 0.0f);
  EXPECT_EQ(A, 0.0f);
  EXPECT_EQ(B, 0.0f);
  float L2, A2, B2;
  RGBtoLABSingle(-0.5f, 0.4f, 0.6f, L, A, B);  // a negative channel decodes as 0
  RGBtoLABSingle(0.0f, 0.4f, 0.6f, L2, A2, B2);
  EXPECT_EQ(L, L2);
  EXPECT_EQ(A, A2);
  EXPECT_EQ(B, B2);
  // sRGB red, about (53.24, 80.09, 67.20).
  RGBtoLABSingle(1, 0, 0, L, A, B);
  EXPECT_NEAR(L, 53.24f, 0.02f);
  EXPECT_NEAR(A, 80.09f, 0.05f);
  EXPECT_NEAR(B, 67.20f, 0.05f);
}

TEST(Lab, InverseClampsAndRoundTrips) {
  float R, G, B;
  LABtoRGBSingle(150, 0, 0, R, G, B);  // L above 100 counts as 100
  EXPECT_NEAR(R, 1.0f, 1e-4);
  EXPECT_NEAR(G, 1.0f, 1e-4);
  EXPECT_NEAR(B, 1.0f, 1e-4);
  LABtoRGBSingle(50, 0, -300, R, G, B);  // far outside: channels kept in 0..1
  for (float C : {R, G, B}) {
    EXPECT_GE(C, 0.0f);
    EXPECT_LE(C, 1.0f);
  }
  const float Colours[][3] = {{0.2f, 0.5f, 0.8f}, {0.9f, 0.1f, 0.3f}, {0.5f, 0.5f, 0.5f}};
  for (const auto& C : Colours) {
    float L, A, Bv;
    RGBtoLABSingle(C[0], C[1], C[2], L, A, Bv);
    LABtoRGBSingle(L, A, Bv, R, G, B);
    EXPECT_NEAR(R, C[0], 2e-3);
    EXPECT_NEAR(G, C[1], 2e-3);
    EXPECT_NEAR(B, C[2], 2e-3);
  }
}

TEST(Lab, LCh) {
  float L, C, H;
  RGBtoLChSingle(0, 0, 1, L, C, H);  // negative angle wraps into 0..1
  EXPECT_NEAR(H, 0.85f, 0.01f);
  RGBtoLChSingle(0.5f, 0.5f, 0.5f, L, C, H);
  EXPECT_LT(C, 0.01f);
  float R, G, B;
  RGBtoLChSingle(0.7f, 0.3f, 0.2f, L, C, H);
  LChtoRGBSingle(L, C, H, R, G, B);
  EXPECT_NEAR(R, 0.7f, 2e-3);
  EXPECT_NEAR(G, 0.3f, 2e-3);
  EXPECT_NEAR(B, 0.2f, 2e-3);
}

TEST(Lab, PackedEncodings) {
  // Mid grey: a and b bytes 128; white: L byte 255.
  for (uint32_t Lab : {RGBtoLABColor(0x808080), RGBtoLABPixel(0xFF808080)}) {
    EXPECT_EQ(LabByte(Lab, 1), 128);
    EXPECT_EQ(LabByte(Lab, 2), 128);
    EXPECT_EQ(LabByte(Lab, 3), 0);
  }
  EXPECT_EQ(LabByte(RGBtoLABColor(0xFFFFFF), 0), 255);
  EXPECT_EQ(LabByte(RGBtoLABPixel(0xFFFFFFFF), 0), 255);
  // Red sits in byte 0 of a colour, in byte 2 of a pixel.
  const uint32_t Red = RGBtoLABColor(0x0000FF);
  EXPECT_EQ(RGBtoLABPixel(0x00FF0000), Red);
  EXPECT_EQ(LabByte(Red, 0), 136);  // rnd(53.24/100*255)
  EXPECT_EQ(LabByte(Red, 1), 230);  // rnd(80.1/100*127 + 128)
  EXPECT_EQ(RGBtoLABPixelReversed(0x00FF0000),
            static_cast<uint32_t>(LabByte(Red, 2) | LabByte(Red, 1) << 8 | LabByte(Red, 0) << 16));
  // Readout encoding: a byte = rnd(a + 127.5), so byte - 128 recovers a.
  float L, A, B;
  RGBtoLABRec(0x00FF0000, L, A, B);
  const uint32_t Readout = RGBtoLABColorCMS(0x00FF0000, nullptr);
  EXPECT_EQ(LabByte(Readout, 1), static_cast<int>(std::nearbyint(A + 127.5f)));
  EXPECT_EQ(LabByte(Readout, 2), static_cast<int>(std::nearbyint(B + 127.5f)));
  float L2, A2, B2;
  RGBtoLABRecCMS(0x00FF0000, nullptr, L2, A2, B2);
  EXPECT_FLOAT_EQ(L2, L * 2.55f);
  EXPECT_EQ(A2, A);
  // Blue: b of about -108 clamps to byte 0 in the scaled encoding.
  EXPECT_EQ(LabByte(RGBtoLABColor(0xFF0000), 2), 0);
}

TEST(Lab, XYZAndChromaticity) {
  float X, Y, Z;
  RGBtoXYZCMS(0xFFFFFFFF, nullptr, X, Y, Z);  // relative to the white
  EXPECT_NEAR(X, 1.0f, 2e-3);
  EXPECT_NEAR(Y, 1.0f, 2e-3);
  EXPECT_NEAR(Z, 1.0f, 2e-3);
  float SX, SY;
  RGBtoxyYCMS(0xFF000000, nullptr, SX, SY, Y);  // black: no division by zero
  EXPECT_EQ(SX, 0.0f);
  EXPECT_EQ(SY, 0.0f);
  EXPECT_EQ(Y, 0.0f);
  RGBtoxyYCMS(0xFFFFFFFF, nullptr, SX, SY, Y);
  EXPECT_NEAR(SX, 1.0f / 3, 1e-3);
  // Byte XYZ: a white's Z (278) is clamped, not wrapped.
  const TXYZAPixel32 P = RGBtoXYZColor(0x7FFFFFFF);
  EXPECT_EQ(P.X, 242);
  EXPECT_EQ(P.Y, 255);
  EXPECT_EQ(P.Z, 255);
  EXPECT_EQ(P.Alpha, 0x7F);
}

TEST(Lab, BackToPixels) {
  EXPECT_EQ(LABCMSSingletoBGRA(nullptr, 100, 0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(LABCMSSingletoBGRA(nullptr, 0, 0, 0), 0xFF000000u);
  EXPECT_EQ(LABtoColor(100, 0, 0), 0xFFFFFFu);
  // Red comes back in byte 2 of a pixel, byte 0 of a colour.
  const uint32_t Pixel = LABCMSSingletoBGRA(nullptr, 53.24f, 80.09f, 67.2f);
  EXPECT_EQ((Pixel >> 16) & 0xFF, 255u);
  EXPECT_LE(Pixel & 0xFF, 1u);
  EXPECT_EQ(LABtoColor(53.24f, 80.09f, 67.2f) & 0xFF, 255u);
}

TEST(Lab, FloatPixelsWithoutTransform) {
  TBGRAPixel128 Pixel;
  Pixel.Init(1.0f, 0.5f, 0.25f, 0.75f);
  float L, A, B, L2, A2, B2;
  Pixel128toLABCMSSingle(Pixel, nullptr, L, A, B);
  RGBtoLABSingle(1.0f, 0.5f, 0.25f, L2, A2, B2);
  EXPECT_EQ(L, L2);
  EXPECT_EQ(A, A2);
  EXPECT_EQ(B, B2);
  TBGRAPixel128 Back{};
  LABCMSSingletoPixel128(nullptr, L, A, B, Back);
  EXPECT_NEAR(Back.R, 1.0f, 1e-3);
  EXPECT_NEAR(Back.G, 0.5f, 1e-3);
  EXPECT_NEAR(Back.B, 0.25f, 1e-3);
  EXPECT_EQ(Back.A, 255.0f);
}

TEST(DeltaE, BuiltInRoute) {
  EXPECT_EQ(RGBCalcDeltaE76CMS(nullptr, 0.3f, 0.4f, 0.5f, 0.3f, 0.4f, 0.5f), 0.0f);
  EXPECT_NEAR(RGBCalcDeltaE76CMS(nullptr, 0, 0, 0, 1, 1, 1), 100.0f, 0.02f);
  // CIE94 weights by the first colour's chroma: not symmetric.
  const float AB = RGBCalcDeltaE94CMS(nullptr, 0.9f, 0.2f, 0.1f, 0.5f, 0.5f, 0.5f);
  const float BA = RGBCalcDeltaE94CMS(nullptr, 0.5f, 0.5f, 0.5f, 0.9f, 0.2f, 0.1f);
  EXPECT_GT(std::fabs(AB - BA), 1.0f);
  // Two greys differing in lightness only: |dL| of the packed bytes.
  const float Grey = RGBCalcDeltaE94(0.2f, 0.2f, 0.2f, 0.6f, 0.6f, 0.6f);
  const uint32_t Lab1 = RGBtoLABPixel(0x333333), Lab2 = RGBtoLABPixel(0x999999);
  EXPECT_NEAR(Grey, std::fabs(LabByte(Lab1, 0) - LabByte(Lab2, 0)) / 2.55f, 1e-4);
  EXPECT_EQ(RGBCalcDeltaE76ColorCMS(nullptr, 0.3f, 0.4f, 0.5f, 0.3f, 0.4f, 0.5f), 0.0f);
  EXPECT_NEAR(RGBCalcDeltaE94ColorCMS(nullptr, 0.2f, 0.2f, 0.2f, 0.6f, 0.6f, 0.6f), Grey, 0.5f);
}

// A stand-in transform: Lab in = first three floats out (for the CIEDE2000
// pairs), or a fixed Lab for pixels.
struct TFakeTransform {
  bool FloatsIn;
  uint8_t SeenBytes[4];
};

void FakeDoTransform(TCMSTransform Transform, const void* Input, void* Output, uint32_t Count) {
  auto* T = static_cast<TFakeTransform*>(Transform);
  ASSERT_EQ(Count, 1u);
  if (T->FloatsIn) {
    std::memcpy(Output, Input, 3 * sizeof(float));
  } else {
    std::memcpy(T->SeenBytes, Input, 4);
    const float Lab[3] = {40.0f, -20.0f, 10.0f};
    std::memcpy(Output, Lab, sizeof Lab);
  }
}

class CMSSeam : public ::testing::Test {
 protected:
  void SetUp() override { CMSDoTransformProc = FakeDoTransform; }
  void TearDown() override { CMSDoTransformProc = nullptr; }
};

// Published CIEDE2000 test data (Sharma, Wu, Dalal), including the pairs
// whose hue angles straddle 0/2pi and those with one zero chroma.
TEST_F(CMSSeam, DeltaE2000SharmaPairs) {
  struct TPair {
    float L1, A1, B1, L2, A2, B2;
    double DE;
  };
  const TPair Pairs[] = {
      {50.0000f, 2.6772f, -79.7751f, 50.0000f, 0.0000f, -82.7485f, 2.0425},
      {50.0000f, 3.1571f, -77.2803f, 50.0000f, 0.0000f, -82.7485f, 2.8615},
      {50.0000f, 2.8361f, -74.0200f, 50.0000f, 0.0000f, -82.7485f, 3.4412},
      {50.0000f, -1.3802f, -84.2814f, 50.0000f, 0.0000f, -82.7485f, 1.0000},
      {50.0000f, -1.1848f, -84.8006f, 50.0000f, 0.0000f, -82.7485f, 1.0000},
      {50.0000f, -0.9009f, -85.5211f, 50.0000f, 0.0000f, -82.7485f, 1.0000},
      {50.0000f, 0.0000f, 0.0000f, 50.0000f, -1.0000f, 2.0000f, 2.3669},
      {50.0000f, -1.0000f, 2.0000f, 50.0000f, 0.0000f, 0.0000f, 2.3669},
      {50.0000f, 2.4900f, -0.0010f, 50.0000f, -2.4900f, 0.0009f, 7.1792},
      {50.0000f, 2.4900f, -0.0010f, 50.0000f, -2.4900f, 0.0010f, 7.1792},
      {50.0000f, 2.4900f, -0.0010f, 50.0000f, -2.4900f, 0.0011f, 7.2195},
      {50.0000f, 2.4900f, -0.0010f, 50.0000f, -2.4900f, 0.0012f, 7.2195},
      {50.0000f, -0.0010f, 2.4900f, 50.0000f, 0.0009f, -2.4900f, 4.8045},
      {50.0000f, -0.0010f, 2.4900f, 50.0000f, 0.0010f, -2.4900f, 4.8045},
      {50.0000f, -0.0010f, 2.4900f, 50.0000f, 0.0011f, -2.4900f, 4.7461},
      {50.0000f, 2.5000f, 0.0000f, 50.0000f, 0.0000f, -2.5000f, 4.3065},
      {50.0000f, 2.5000f, 0.0000f, 73.0000f, 25.0000f, -18.0000f, 27.1492},
      {50.0000f, 2.5000f, 0.0000f, 61.0000f, -5.0000f, 29.0000f, 22.8977},
      {50.0000f, 2.5000f, 0.0000f, 56.0000f, -27.0000f, -3.0000f, 31.9030},
      {50.0000f, 2.5000f, 0.0000f, 58.0000f, 24.0000f, 15.0000f, 19.4535},
      {50.0000f, 2.5000f, 0.0000f, 50.0000f, 3.1736f, 0.5854f, 1.0000},
      {50.0000f, 2.5000f, 0.0000f, 50.0000f, 3.2972f, 0.0000f, 1.0000},
      {50.0000f, 2.5000f, 0.0000f, 50.0000f, 1.8634f, 0.5757f, 1.0000},
      {50.0000f, 2.5000f, 0.0000f, 50.0000f, 3.2592f, 0.3350f, 1.0000},
      {60.2574f, -34.0099f, 36.2677f, 60.4626f, -34.1751f, 39.4387f, 1.2644},
      {63.0109f, -31.0961f, -5.8663f, 62.8187f, -29.7946f, -4.0864f, 1.2630},
      {61.2901f, 3.7196f, -5.3901f, 61.4292f, 2.2480f, -4.9620f, 1.8731},
      {35.0831f, -44.1164f, 3.7933f, 35.0232f, -40.0716f, 1.5901f, 1.8645},
      {22.7233f, 20.0904f, -46.6940f, 23.0331f, 14.9730f, -42.5619f, 2.0373},
      {36.4612f, 47.8580f, 18.3852f, 36.2715f, 50.5065f, 21.2231f, 1.4146},
      {90.8027f, -2.0831f, 1.4410f, 91.1528f, -1.6435f, 0.0447f, 1.4441},
      {90.9257f, -0.5406f, -0.9208f, 88.6381f, -0.8985f, -0.7239f, 1.5381},
      {6.7747f, -0.2908f, -2.4247f, 5.8714f, -0.0985f, -2.2286f, 0.6377},
      {2.0776f, 0.0795f, -1.1350f, 0.9033f, -0.0636f, -0.5514f, 0.9082},
  };
  TFakeTransform T{true, {}};
  int N = 0;
  for (const auto& P : Pairs) {
    SCOPED_TRACE(++N);
    EXPECT_NEAR(RGBCalcDeltaE2000CMS(&T, P.L1, P.A1, P.B1, P.L2, P.A2, P.B2), P.DE, 0.5e-4);
    EXPECT_NEAR(RGBCalcDeltaE2000CMS(&T, P.L2, P.A2, P.B2, P.L1, P.A1, P.B1), P.DE, 0.5e-4);
  }
  // CIE76 and CIE94 through the same transform.
  EXPECT_FLOAT_EQ(RGBCalcDeltaE76CMS(&T, 50, 3, 4, 50, 0, 0), 5.0f);
  EXPECT_FLOAT_EQ(RGBCalcDeltaE94CMS(&T, 60, 0, 0, 50, 0, 0), 10.0f);
}

TEST_F(CMSSeam, PixelsGoThroughTheTransform) {
  TFakeTransform T{false, {}};
  float L, A, B;
  RGBtoLABCMSSingle(0xAA332211, &T, L, A, B);
  EXPECT_EQ(T.SeenBytes[0], 0x11);  // the pixel as it lies in memory: B, G, R, A
  EXPECT_EQ(T.SeenBytes[2], 0x33);
  EXPECT_EQ(T.SeenBytes[3], 0xAA);
  EXPECT_EQ(L, 40.0f);
  EXPECT_EQ(A, -20.0f);
  RGBtoLABRecCMS(0xAA332211, &T, L, A, B);
  EXPECT_FLOAT_EQ(L, 102.0f);
  const uint32_t Lab = RGBtoLABColorCMS(0x00332211, &T);
  EXPECT_EQ(LabByte(Lab, 0), 102);
  EXPECT_EQ(LabByte(Lab, 1), 108);  // rnd(-20 + 127.5)
  EXPECT_EQ(LabByte(Lab, 2), 138);  // rnd(10 + 127.5), halves to even
  // A float pixel goes in as R, G, B, A; Lab comes back as R, G, B.
  TFakeTransform F{true, {}};
  TBGRAPixel128 Pixel;
  Pixel.Init(0.1f, 0.2f, 0.3f, 0.4f);
  Pixel128toLABCMSSingle(Pixel, &F, L, A, B);
  EXPECT_EQ(L, 0.1f);
  EXPECT_EQ(A, 0.2f);
  EXPECT_EQ(B, 0.3f);
  LABCMSSingletoPixel128(&F, 10.0f, 20.0f, 30.0f, Pixel);
  EXPECT_EQ(Pixel.R, 10.0f);
  EXPECT_EQ(Pixel.G, 20.0f);
  EXPECT_EQ(Pixel.B, 30.0f);
  EXPECT_EQ(Pixel.A, 255.0f);
  // Without a transform routine installed the built-in route is taken.
  CMSDoTransformProc = nullptr;
  float L2, A2, B2;
  RGBtoLABCMSSingle(0x00808080, &T, L, A, B);
  RGBtoLABCMSSingle(0x00808080, nullptr, L2, A2, B2);
  EXPECT_EQ(L, L2);
}

TEST(Lab, MatrixHelpers) {
  TMatrix3Single A = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
  TMatrix3Single I = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  TMatrix3Single R;
  Matrix3Multiply(R, A, I);
  EXPECT_EQ(std::memcmp(R, A, sizeof R), 0);
  Matrix3Multiply(A, A, A);  // may be computed in place
  EXPECT_EQ(A[0][0], 30.0f);
  EXPECT_EQ(A[2][2], 150.0f);
  Matrix3Clear(A);
  EXPECT_EQ(A[1][2], 0.0f);
  EXPECT_FLOAT_EQ(Power10Single(2.0f), 100.0f);
  EXPECT_FLOAT_EQ(Power10Single(-1.0f), 0.1f);
}

}  // namespace
}  // namespace kromel
