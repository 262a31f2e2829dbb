// LUTs laid out as 16-bit pictures.
#include <gtest/gtest.h>

#include <cmath>

#include "images/image64.h"
#include "lut/lut_images.h"
#include "lut_test_support.h"

namespace kromel {
namespace {

using test::LutTest;
using test::MakeIdentity;
using test::MakeRamp;

struct TOwned64 {
  TImage64 Image;
};

uint16_t Word(float V) { return static_cast<uint16_t>(std::nearbyint(V * 65535.0f)); }

class LutImages : public LutTest {};

TEST_F(LutImages, GPULayoutOfSixteenPoints) {
  T3DLut Lut;
  MakeRamp(Lut, 16);
  TOwned64 Img;
  ASSERT_TRUE(SaveToGPUImage(Lut, Img.Image));
  ASSERT_EQ(Img.Image.Width, 64);
  ASSERT_EQ(Img.Image.Height, 64);
  for (int32_t b : {0, 3, 5, 15})
    for (int32_t g : {0, 7, 15})
      for (int32_t r : {0, 9, 15}) {
        const int32_t k = r + 16 * (g + 16 * b);
        const TPixel64 P = Img.Image.Pixels[((b / 4) * 16 + g) * 64 + (b % 4) * 16 + r];
        ASSERT_EQ(P.R, Word(Lut.R[k]));
        ASSERT_EQ(P.B, Word(Lut.B[k]));
        ASSERT_EQ(P.A, 65535);
      }
  T3DLut Back;
  ASSERT_TRUE(LoadFromGPUImage(Back, Img.Image, true));
  ASSERT_EQ(Back.Size, 16);
  for (int32_t k = 0; k < Lut.Count; ++k) ASSERT_NEAR(Back.G[k], Lut.G[k], 0.5f / 65535 + 1e-7f);
}

TEST_F(LutImages, WriterSizes) {
  const struct {
    int32_t N, Side;
  } Cases[] = {{4, 8}, {9, 27}, {16, 64}, {25, 125}, {36, 216}, {33, 0}, {17, 0}};
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.N);
    T3DLut Lut;
    MakeIdentity(Lut, C.N);
    for (bool Hald : {false, true}) {
      TOwned64 Img;
      test::LutMessages().clear();
      const bool Ok = Hald ? SaveToHaldImage(Lut, Img.Image) : SaveToGPUImage(Lut, Img.Image);
      EXPECT_EQ(Ok, C.Side > 0);
      EXPECT_EQ(Img.Image.Width, C.Side);
      EXPECT_EQ(Img.Image.Pixels == nullptr, C.Side == 0);
      EXPECT_EQ(Reported("Unsupported LUT Size to save to GPU Image. Supported sizes are: "
                         "9,16,25,64"),
                C.Side == 0);
    }
  }
}

TEST_F(LutImages, WordsAreClampedAndOpaque) {
  T3DLut Lut;
  MakeIdentity(Lut, 4);
  Lut.R[0] = 1.2f;
  Lut.G[0] = -0.1f;
  Lut.B[0] = 0.5f;
  Lut.R[1] = 1.0f;
  TOwned64 Img;
  ASSERT_TRUE(SaveToHaldImage(Lut, Img.Image));
  EXPECT_EQ(Img.Image.Pixels[0].R, 65535);
  EXPECT_EQ(Img.Image.Pixels[0].G, 0);
  EXPECT_EQ(Img.Image.Pixels[0].B, 32768);  // 32767.5 to even
  EXPECT_EQ(Img.Image.Pixels[1].R, 65535);
  for (int32_t i = 0; i < Img.Image.Size; ++i) ASSERT_EQ(Img.Image.Pixels[i].A, 65535);
  T3DLut Back;
  ASSERT_TRUE(LoadFromHaldImage(Back, Img.Image, true));
  EXPECT_FLOAT_EQ(Back.B[0], static_cast<float>(32768 / 65535.0));
}

TEST_F(LutImages, HaldIdentityRoundTrip) {
  T3DLut Lut, Back;
  MakeIdentity(Lut, 16);
  TOwned64 Img;
  ASSERT_TRUE(SaveToHaldImage(Lut, Img.Image));
  ASSERT_TRUE(LoadFromHaldImage(Back, Img.Image, true));
  for (int32_t k = 0; k < Lut.Count; ++k) ASSERT_NEAR(Back.R[k], Lut.R[k], 1.0f / 65535);
}

TEST_F(LutImages, ReaderSizes) {
  const struct {
    int32_t W, H, GPU, Hald;
  } Cases[] = {{512, 512, 64, 64}, {4096, 64, 64, 64}, {64, 4096, 64, 64}, {100, 100, 0, 0},
               {1000, 1, 0, 10},   {1, 1, 0, 0},       {30, 36, 0, 0}};
  for (const auto& C : Cases) {
    SCOPED_TRACE(std::to_string(C.W) + "x" + std::to_string(C.H));
    TOwned64 Img;
    ASSERT_TRUE(Img.Image.Alloc(C.W, C.H));
    for (int32_t i = 0; i < Img.Image.Size; ++i)
      Img.Image.Pixels[i].Init(static_cast<uint16_t>(i), 0, 0, 0);
    T3DLut Lut;
    MakeIdentity(Lut, 3);
    test::LutMessages().clear();
    EXPECT_EQ(LoadFromGPUImage(Lut, Img.Image, true), C.GPU > 0);
    EXPECT_EQ(Lut.Size, C.GPU > 0 ? C.GPU : 3);
    EXPECT_EQ(Reported("T3DLut.LoadFromGPUImage: Incorrect image size"), C.GPU == 0);
    MakeIdentity(Lut, 3);
    EXPECT_EQ(LoadFromHaldImage(Lut, Img.Image, true), C.Hald > 0);
    EXPECT_EQ(Lut.Size, C.Hald > 0 ? C.Hald : 3);
    if (C.Hald > 0) {
      EXPECT_EQ(Lut.R[Lut.Count - 1],
                static_cast<float>(static_cast<uint16_t>(Lut.Count - 1) / 65535.0));
    }
  }
  // A 512 x 512 GPU picture: node (r, g, b) from ((b % 8) 64 + r, (b / 8) 64 + g).
  TOwned64 Img;
  ASSERT_TRUE(Img.Image.Alloc(512, 512));
  for (int32_t i = 0; i < Img.Image.Size; ++i)
    Img.Image.Pixels[i].Init(static_cast<uint16_t>(i % 512), static_cast<uint16_t>(i / 512), 0, 0);
  T3DLut Lut;
  ASSERT_TRUE(LoadFromGPUImage(Lut, Img.Image, false));
  const int32_t r = 5, g = 6, b = 11, k = r + 64 * (g + 64 * b);
  EXPECT_FLOAT_EQ(Lut.R[k] * 65535, (b % 8) * 64 + r);
  EXPECT_FLOAT_EQ(Lut.G[k] * 65535, (b / 8) * 64 + g);
}

TEST_F(LutImages, StripsReadBackAsGPUPictures) {
  T3DLut Lut;
  MakeRamp(Lut, 16);
  TOwned64 Strip, Flipped;
  ASSERT_TRUE(SaveToStripImage(Lut, Strip.Image));
  ASSERT_TRUE(SaveToStripImageFlipped(Lut, Flipped.Image));
  EXPECT_EQ(Strip.Image.Width, 256);
  EXPECT_EQ(Strip.Image.Height, 16);
  T3DLut A, B;
  ASSERT_TRUE(LoadFromGPUImage(A, Strip.Image, true));
  ASSERT_TRUE(LoadFromGPUImage(B, Flipped.Image, true));
  for (int32_t b = 0; b < 16; ++b)
    for (int32_t g = 0; g < 16; ++g)
      for (int32_t r = 0; r < 16; ++r) {
        const int32_t k = r + 16 * (g + 16 * b), kf = r + 16 * (15 - g + 16 * b);
        ASSERT_NEAR(A.R[k], Lut.R[k], 1e-5f);
        ASSERT_NEAR(B.R[kf], Lut.R[k], 1e-5f);
      }
}

TEST_F(LutImages, ResamplePixelAndSubdivided) {
  T3DLut Lut;
  MakeIdentity(Lut, 17);
  ASSERT_TRUE(ResampleLut(Lut, 33));
  ASSERT_EQ(Lut.Size, 33);
  T3DLut Want;
  MakeIdentity(Want, 33);
  for (int32_t k = 0; k < Lut.Count; ++k) ASSERT_NEAR(Lut.G[k], Want.G[k], 1e-6f);

  T3DLut Bright;
  MakeIdentity(Bright, 5);
  for (int32_t k = 0; k < Bright.Count; ++k) Bright.R[k] = 1.2f;
  TPixel64 Out{1, 2, 3, 44};
  ProcessPixel64(Bright, Out, TPixel64{100, 30000, 65535, 0});
  EXPECT_EQ(Out.R, 65535);
  EXPECT_EQ(Out.G, 30000);
  EXPECT_EQ(Out.A, 44);

  T3DLut Ramp;
  MakeRamp(Ramp, 4);
  EXPECT_EQ(GetValueSubdivided(Ramp, Ramp.R, 2, 1, 3, 1), Ramp.R[3 + 4 * (1 + 4 * 2)]);
  EXPECT_FLOAT_EQ(GetValueSubdivided(Ramp, Ramp.R, 1, 0, 0, 2), (Ramp.R[0] + Ramp.R[16]) / 2);
  EXPECT_EQ(GetValueSubdivided(Ramp, Ramp.R, 1, 0, 0, 0), 0.0f);
}

}  // namespace
}  // namespace kromel
