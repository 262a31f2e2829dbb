#include "lut/lut_edit.h"

#include <cmath>
#include <limits>
#include <string>

#include "images/image64.h"
#include "lut/lut.h"
#include "lut_test_support.h"

namespace kromel {
namespace {

using test::LutTest;
using test::MakeIdentity;

class LutEditTest : public LutTest {};

TEST_F(LutEditTest, ClampCubicAndNonCubic) {
  const float NaN = std::numeric_limits<float>::quiet_NaN();
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetLevels(144, 10, 16));
  Lut.R[0] = -0.2f;
  Lut.G[0] = 1.3f;
  Lut.B[0] = 0.5f;
  Lut.R[Lut.Count - 1] = 7;
  Lut.G[5] = NaN;
  Lut.A[0] = 5;
  Clamp(Lut);
  EXPECT_EQ(Lut.R[0], 0.0f);
  EXPECT_EQ(Lut.G[0], 1.0f);
  EXPECT_EQ(Lut.B[0], 0.5f);
  EXPECT_EQ(Lut.R[Lut.Count - 1], 1.0f);
  EXPECT_TRUE(std::isnan(Lut.G[5]));
  EXPECT_EQ(Lut.A[0], 5.0f);
  T3DLut Empty;
  Clamp(Empty);  // no planes: nothing
}

TEST_F(LutEditTest, WeightPlaneHelpers) {
  T3DLut Lut;
  MakeIdentity(Lut, 2);
  // Node 1 is (1, 0, 0), node 3 is (1, 1, 0), node 0 is black.
  SaturationToAlpha(Lut);
  EXPECT_EQ(Lut.A[0], 0.0f);
  EXPECT_EQ(Lut.A[1], 1.0f);
  EXPECT_EQ(Lut.A[7], 0.0f);
  Lut.A[1] = 0.5f;
  MultiplyByAlpha(Lut);
  EXPECT_EQ(Lut.R[1], 0.5f);
  EXPECT_EQ(Lut.R[3], 1.0f);
  for (int i = 0; i < 8; ++i) Lut.A[i] = 0.25f * (i % 3);
  NormalizeAlpha(Lut);
  EXPECT_EQ(Lut.A[2], 1.0f);
  EXPECT_EQ(Lut.A[1], 0.5f);
  ClearAlpha(Lut);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(Lut.A[i], 0.0f);
  NormalizeAlpha(Lut);  // all zero stays zero
  EXPECT_EQ(Lut.A[0], 0.0f);
}

// One pure red pixel on 17 levels: the red index 16 is capped to 15, so the
// eight corners have red 15 or 16 and green and blue 0 or 1.
TEST_F(LutEditTest, AccumulateColorsToAlphaSinglePixel) {
  T3DLut Lut;
  MakeIdentity(Lut, 17);
  TImage64 Image;
  ASSERT_TRUE(Image.Alloc(1, 1));
  Image.Pixels[0].Init(65535, 0, 0, 65535);
  AccumulateColorsToAlpha(Lut, Image);
  int Ones = 0;
  for (int b = 0; b < 17; ++b)
    for (int g = 0; g < 17; ++g)
      for (int r = 0; r < 17; ++r) {
        const float V = Lut.A[r + 17 * (g + 17 * b)];
        const bool Corner = r >= 15 && g <= 1 && b <= 1;
        ASSERT_EQ(V, Corner ? 1.0f : 0.0f) << r << " " << g << " " << b;
        Ones += Corner;
      }
  EXPECT_EQ(Ones, 8);

  TImage64 Empty;
  AccumulateColorsToAlpha(Lut, Empty);
  for (int i = 0; i < Lut.Count; ++i) ASSERT_EQ(Lut.A[i], 0.0f);
}

TEST_F(LutEditTest, FitChannelMixerMatrixOfIdentity) {
  T3DLut Lut;
  MakeIdentity(Lut, 17);
  for (TImageProfile Profile : {ipSRGB, ipLinear, ipRec709, ipCustom}) {
    double M[9] = {};
    ASSERT_TRUE(FitChannelMixerMatrix(Lut, M, Profile, 2.2f)) << int(Profile);
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(M[i], i % 4 == 0 ? 1.0 : 0.0, 1e-4) << i;
  }
  EXPECT_TRUE(Messages().empty());
}

// A LUT that applies a known matrix in linear light is fitted back to it
// (tetrahedral interpolation of a linear map is exact).
TEST_F(LutEditTest, FitChannelMixerMatrixRecoversMatrix) {
  const double Known[9] = {0.8, 0.1, 0.1, 0.05, 0.9, 0.05, 0.1, 0.2, 0.7};
  T3DLut Lut;
  MakeIdentity(Lut, 9);
  for (int i = 0; i < Lut.Count; ++i) {
    const float R = Lut.R[i], G = Lut.G[i], B = Lut.B[i];
    Lut.R[i] = static_cast<float>(Known[0] * R + Known[1] * G + Known[2] * B);
    Lut.G[i] = static_cast<float>(Known[3] * R + Known[4] * G + Known[5] * B);
    Lut.B[i] = static_cast<float>(Known[6] * R + Known[7] * G + Known[8] * B);
  }
  double M[9] = {};
  ASSERT_TRUE(FitChannelMixerMatrix(Lut, M, ipLinear, 1.0f));
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(M[i], Known[i], 1e-4) << i;
}

TEST_F(LutEditTest, FitChannelMixerMatrixWithoutUsableColours) {
  T3DLut Lut;
  MakeIdentity(Lut, 5);
  for (int i = 0; i < Lut.Count; ++i) {
    Lut.R[i] = 1;
    Lut.G[i] = Lut.B[i] = 0;
  }
  double M[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  EXPECT_FALSE(FitChannelMixerMatrix(Lut, M, ipSRGB, 0));
  EXPECT_TRUE(Reported("Matrix optimization error: not enough colors found"));
  EXPECT_EQ(M[0], 1.0);
  EXPECT_EQ(M[8], 9.0);
  T3DLut Empty;
  EXPECT_FALSE(FitChannelMixerMatrix(Empty, M, ipSRGB, 0));
}

TEST_F(LutEditTest, UpsampleMaskFrom) {
  T3DLut Source, Mask;
  MakeIdentity(Source, 17);
  for (int i = 0; i < Source.Count; ++i) Source.R[i] = Source.G[i] = Source.B[i] = 1;
  ASSERT_TRUE(UpsampleMaskFrom(Mask, Source));
  EXPECT_EQ(Mask.Size, 33);
  for (int i = 0; i < Mask.Count; ++i) {
    ASSERT_NEAR(Mask.R[i], 1.0f, 1e-5f);
    ASSERT_NEAR(Mask.B[i], 1.0f, 1e-5f);
  }
  // Hard 0/1 edges become ramps.
  T3DLut Step;
  MakeIdentity(Step, 5);
  for (int i = 0; i < Step.Count; ++i) Step.R[i] = (i % 5) >= 3 ? 1.0f : 0.0f;
  ASSERT_TRUE(UpsampleMaskFrom(Mask, Step));
  EXPECT_EQ(Mask.Size, 9);
  const float Low = Mask.R[4 + 9 * (4 + 9 * 4)], High = Mask.R[6 + 9 * (4 + 9 * 4)];
  EXPECT_GT(Low, 0.0f);
  EXPECT_LT(Low, High);
  EXPECT_LT(High, 1.0f);
  // In place, and refused where the result would exceed 256 levels.
  ASSERT_TRUE(UpsampleMaskFrom(Step, Step));
  EXPECT_EQ(Step.Size, 9);
  T3DLut Huge;
  ASSERT_TRUE(Huge.SetSize(129));
  EXPECT_FALSE(UpsampleMaskFrom(Mask, Huge));
}

TEST_F(LutEditTest, GetValueTricubicClamped) {
  T3DLut Lut;
  MakeIdentity(Lut, 9);
  EXPECT_NEAR(GetValueTricubicClamped(Lut, Lut.G, 3.5f, 4.25f, 2.5f), 4.25f / 8, 1e-6f);
  EXPECT_NEAR(GetValueTricubicClamped(Lut, Lut.B, 3.5f, 4.25f, 2.5f), 3.5f / 8, 1e-6f);
  // Blue at or beyond the top reads just below the last layer.
  EXPECT_NEAR(GetValueTricubicClamped(Lut, Lut.B, 20, 4, 4), 1.0f, 1e-4f);
  for (int i = 0; i < Lut.Count; ++i) Lut.R[i] *= 3;
  EXPECT_EQ(GetValueTricubicClamped(Lut, Lut.R, 4, 4, 8), 1.0f);
  EXPECT_EQ(GetValueTricubicClamped(Lut, Lut.R, 4, 4, -1e30f), 0.0f);
}

TEST_F(LutEditTest, SaveToByteList) {
  T3DLut Lut;
  MakeIdentity(Lut, 2);
  std::string Text = "old";
  SaveToByteList(Lut, Text);
  EXPECT_EQ(Text.rfind("0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 255, ", 0), 0u);
  EXPECT_EQ(Text.substr(Text.size() - 2), ", ");
  int Commas = 0;
  for (char C : Text) Commas += C == ',';
  EXPECT_EQ(Commas, 8 * 3 * 2);
  Lut.R[0] = 0.5f;  // 32767.5 rounds to the even 32768
  Lut.G[0] = -1;
  SaveToByteList(Lut, Text);
  EXPECT_EQ(Text.rfind("128, 0, 0, 0, ", 0), 0u);
}

}  // namespace
}  // namespace kromel
