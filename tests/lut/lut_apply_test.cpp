// Applying a LUT to colours, images and LUTs.
#include "lut/lut_apply.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "images/image128.h"
#include "images/image32.h"
#include "images/image64.h"
#include "lut/lut_lookup.h"
#include "lut_test_support.h"

namespace kromel {
namespace {

using test::LutTest;
using test::MakeIdentity;

// An owned 32-bit image of the given BGRA values, one row.
struct TRow32 {
  explicit TRow32(const std::vector<uint32_t>& Values) {
    Image.Init();
    Image.Alloc(static_cast<int32_t>(Values.size()), 1);
    for (std::size_t i = 0; i < Values.size(); ++i) Image.Pixels[i].Value = Values[i];
  }
  uint32_t operator[](int i) const { return Image.Pixels[i].Value; }
  TImage32 Image;
};

uint32_t BGRA(uint32_t B, uint32_t G, uint32_t R, uint32_t A) {
  return B | (G << 8) | (R << 16) | (A << 24);
}

// Every byte value in every channel, at several alphas.
std::vector<uint32_t> AllBytes() {
  std::vector<uint32_t> V;
  for (uint32_t a : {1u, 77u, 128u, 255u})
    for (uint32_t c = 0; c < 256; ++c) V.push_back(BGRA(c, 255 - c, (c * 7) & 255, a));
  return V;
}

class LutApply : public LutTest {
 protected:
  void SetUp() override {
    LutTest::SetUp();
    MakeIdentity(Identity, 17);
  }
  T3DLut Identity;
};

TEST_F(LutApply, AlphaMixesInputWithLutOutput) {
  T3DLut Lut;
  MakeIdentity(Lut, 9);
  for (int32_t k = 0; k < Lut.Count; ++k) Lut.R[k] = 1.0f;
  TRow32 Img({BGRA(10, 20, 200, 128), BGRA(1, 2, 3, 0), BGRA(0, 0, 0, 255)});
  ProcessImage(Lut, Img.Image, Img.Image, false);
  // round(127 * 200/255 + 128 * 1.0) = round(227.6)
  EXPECT_EQ(Img[0], BGRA(10, 20, 228, 128));
  EXPECT_EQ(Img[1], BGRA(1, 2, 3, 0));  // alpha 0: copied byte for byte
  EXPECT_EQ(Img[2], BGRA(0, 0, 255, 255));
}

TEST_F(LutApply, IdentityReproducesEveryPixel) {
  const std::vector<uint32_t> Values = AllBytes();
  TRow32 Src(Values), Dst(std::vector<uint32_t>(Values.size(), 0));
  Src.Image.CopyMarginsFrom(1, 2, 3, 4);
  ProcessImage(Identity, Src.Image, Dst.Image, false);
  for (std::size_t i = 0; i < Values.size(); ++i) ASSERT_EQ(Dst[i], Values[i]) << i;
  EXPECT_EQ(Dst.Image.MarginBottom, 4);
  // With dither a channel of 255 stays, the others move up by at most one.
  ProcessImage(Identity, Src.Image, Dst.Image, true);
  for (std::size_t i = 0; i < Values.size(); ++i) {
    for (int Shift : {0, 8, 16}) {
      const uint32_t In = (Values[i] >> Shift) & 255, Out = (Dst[i] >> Shift) & 255;
      if (In == 255) {
        ASSERT_EQ(Out, 255u);
      }
      ASSERT_TRUE(Out == In || Out == In + 1) << i;
    }
    ASSERT_EQ(Dst[i] >> 24, Values[i] >> 24);
  }
}

TEST_F(LutApply, SourceSmallerThanDestinationIsSkipped) {
  TRow32 Src({BGRA(1, 2, 3, 255)}), Dst({BGRA(9, 9, 9, 9), BGRA(8, 8, 8, 8)});
  ProcessImage(Identity, Src.Image, Dst.Image, false);
  EXPECT_TRUE(Reported("Error in T3DLut.ProcessImage - source smaller than destination"));
  EXPECT_EQ(Dst[0], BGRA(9, 9, 9, 9));
  uint8_t Small[3] = {1, 2, 3}, Big[6] = {9, 9, 9, 9, 9, 9};
  TImage24 S, D;
  S.Width = S.Height = S.Size = 1;
  S.Pixels = Small;
  D.Width = 2;
  D.Height = 1;
  D.Size = 2;
  D.Pixels = Big;
  ProcessImage24(Identity, S, D, false);
  EXPECT_TRUE(Reported("Error in T3DLut.ProcessImage24 - source smaller than destination"));
  EXPECT_EQ(Big[0], 9);
  // Equal sizes: applied.
  S = D;
  ProcessImage24(Identity, S, D, false);
  EXPECT_EQ(Big[0], 9);
}

TEST_F(LutApply, NonCubicLutOnlyThroughTheLevelForms) {
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetLevels(3, 2, 2));
  for (int32_t k = 0; k < Lut.Count; ++k) Lut.R[k] = Lut.G[k] = Lut.B[k] = 0.5f;
  TRow32 Img({BGRA(0, 0, 0, 255)});
  ProcessImage(Lut, Img.Image, Img.Image, false);
  EXPECT_EQ(Img[0], BGRA(128, 128, 128, 255));
  uint8_t Px[3] = {0, 0, 0};
  TImage24 I24;
  I24.Width = I24.Height = I24.Size = 1;
  I24.Pixels = Px;
  ProcessImage24(Lut, I24, I24, false);
  EXPECT_EQ(Px[0], 0);
  TImage64 I64;
  I64.Alloc(1, 1);
  I64.Pixels[0].Init(0, 0, 0, 0);
  ProcessImage64(Lut, I64, I64, false);
  EXPECT_EQ(I64.Pixels[0].R, 0);
  EXPECT_TRUE(Reported("T3DLUT.ProcessImage64: LUT not initialized! Processing canceled!"));
}

TEST_F(LutApply, SixteenBitForms) {
  T3DLut Lut;
  MakeIdentity(Lut, 5);
  for (int32_t k = 0; k < Lut.Count; ++k) Lut.R[k] = 1.0f - Lut.R[k];  // red inverted
  TImage64 Src, Dst;
  Src.Init();
  Dst.Init();
  ASSERT_TRUE(Src.Alloc(3, 1));
  ASSERT_TRUE(Dst.Alloc(3, 1));
  Src.Pixels[0].Init(1000, 2000, 3000, 0);
  Src.Pixels[1].Init(1000, 2000, 3000, 65535);
  Src.Pixels[2].Init(65535, 0, 0, 32768);
  for (int i = 0; i < 3; ++i) Dst.Pixels[i].Init(7, 7, 7, 7);
  ProcessImage64(Lut, Src, Dst, true);
  EXPECT_EQ(Dst.Pixels[0].R, 1000);  // alpha 0: the source
  EXPECT_EQ(Dst.Pixels[0].B, 3000);
  EXPECT_EQ(Dst.Pixels[1].R, 64535);
  EXPECT_EQ(Dst.Pixels[1].G, 2000);
  EXPECT_EQ(Dst.Pixels[2].R, (65535ull * 32767) / 65535);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Dst.Pixels[i].A, 7);  // alpha never written
  ProcessImage64(Lut, Src, Dst, false);
  EXPECT_EQ(Dst.Pixels[0].R, 64535);
  TImage32 D32;
  ASSERT_TRUE(D32.Alloc(3, 1));
  ProcessImage64To32(Lut, Src, D32, false);
  EXPECT_EQ(D32.Pixels[2].Value, BGRA(0, 0, 0, 128));
  EXPECT_EQ(D32.Pixels[1].BGRA.R, 251);  // round(255 * 64535 / 65535)
  EXPECT_EQ(D32.Pixels[1].BGRA.A, 255);
  TImage64 Other;
  ASSERT_TRUE(Other.Alloc(2, 1));
  ProcessImage64(Lut, Src, Other, false);
  EXPECT_TRUE(Reported("Error T3DLut.ProcessImage64 - different image sizes!"));
}

TEST_F(LutApply, FloatImageMixesByAmount) {
  T3DLut Lut;
  MakeIdentity(Lut, 5);
  for (int32_t k = 0; k < Lut.Count; ++k) Lut.G[k] = 1.0f;
  TImage128 Src, Dst;
  Src.Init();
  Dst.Init();
  ASSERT_TRUE(Src.Alloc(1, 1));
  ASSERT_TRUE(Dst.Alloc(1, 1));
  Src.Data[0] = {0.25f, 0.5f, 0.75f, 0.3f};  // B, G, R, A
  ProcessImage128(Lut, Src, Dst, 0.5f);
  EXPECT_FLOAT_EQ(Dst.Data[0].G, 0.75f);
  EXPECT_FLOAT_EQ(Dst.Data[0].R, 0.75f);
  EXPECT_FLOAT_EQ(Dst.Data[0].A, 0.3f);
}

// NaN components read as 0 inside the lookup; a picture full of them
// gives one report, not one per pixel.
TEST_F(LutApply, FloatImageNaNReportedOncePerCall) {
  T3DLut Lut;
  MakeIdentity(Lut, 5);
  for (int32_t k = 0; k < Lut.Count; ++k) Lut.B[k] += 0.125f;
  TImage128 Src, Dst;
  Src.Init();
  Dst.Init();
  ASSERT_TRUE(Src.Alloc(100, 100));
  ASSERT_TRUE(Dst.Alloc(100, 100));
  const float NaN = std::numeric_limits<float>::quiet_NaN();
  for (int32_t i = 0; i < Src.Size; ++i) Src.Data[i] = {NaN, NaN, 0.5f, 1.0f};
  ProcessImage128(Lut, Src, Dst, 1.0f);
  EXPECT_EQ(Messages(),
            std::vector<std::string>{"Exception in T3DLut.ProcessColorTetrahedralSingle"});
  EXPECT_FLOAT_EQ(Dst.Data[0].B, 0.125f);
  EXPECT_FLOAT_EQ(Dst.Data[0].G, 0.0f);
  EXPECT_FLOAT_EQ(Dst.Data[Src.Size - 1].R, 0.5f);
  ProcessImage128(Lut, Src, Dst, 1.0f);
  EXPECT_EQ(Messages().size(), 2u);
}

TEST_F(LutApply, ColourForms) {
  T3DLut Empty;
  EXPECT_EQ(ProcessColor(Empty, 0x123456), 0u);
  EXPECT_TRUE(Reported("T3DLUT.ProcessColor: LUT not initialized! Processing canceled!"));
  EXPECT_EQ(ProcessColorBGRA32Direct(Empty, 0x80123456u), 0x80123456u);
  EXPECT_TRUE(Reported("T3DLUT.ProcessColorBGRA32: LUT not initialized! Processing canceled!"));
  T3DLut Lut;
  MakeIdentity(Lut, 17);
  for (int32_t k = 0; k < Lut.Count; ++k) Lut.B[k] = 1.0f - Lut.B[k];
  for (uint32_t C : {0x000000u, 0x102030u, 0xFFFFFFu, 0x7F80FEu}) {
    const uint32_t R = C & 255, G = (C >> 8) & 255, B = C >> 16;
    EXPECT_EQ(ProcessColor(Lut, C | 0xAB000000u), R | (G << 8) | ((255 - B) << 16));
    EXPECT_EQ(ProcessColorBGRA32Direct(Lut, BGRA(B, G, R, 9)), BGRA(255 - B, G, R, 9));
  }
  TBGRAPixel128 Out;
  ProcessRGBToBGRA128(Lut, Out, 0.25f, 0.5f, 0.25f);
  EXPECT_FLOAT_EQ(Out.B, 0.75f);
  EXPECT_EQ(Out.A, 0.0f);
  // A slightly negative output gives byte 0, not 255.
  for (int32_t k = 0; k < Lut.Count; ++k) Lut.R[k] = -0.01f;
  EXPECT_EQ((ProcessColorBGRA32InGammaProfile(Lut, BGRA(10, 20, 30, 255)) >> 16) & 255, 0u);
}

TEST_F(LutApply, LutByLut) {
  T3DLut Source, Dest, Processor, Other;
  MakeIdentity(Source, 5);
  for (int32_t k = 0; k < Source.Count; ++k) Source.R[k] = test::Hash01(k);
  MakeIdentity(Dest, 5);
  MakeIdentity(Processor, 9);
  ProcessLutByLut(Source, Dest, Processor, 0.0f);
  for (int32_t k = 0; k < Source.Count; ++k) ASSERT_EQ(Dest.R[k], Source.R[k]);
  ProcessLutByLut(Source, Dest, Processor, 1.0f);
  for (int32_t k = 0; k < Source.Count; ++k) ASSERT_NEAR(Dest.R[k], Source.R[k], 1e-6f);
  // In place through an inverting processor.
  for (int32_t k = 0; k < Processor.Count; ++k) Processor.R[k] = 1 - Processor.R[k];
  const float Before = Source.R[7];
  ProcessLutByLut(Source, Source, Processor, 1.0f);
  EXPECT_NEAR(Source.R[7], 1 - Before, 1e-6f);
  MakeIdentity(Other, 3);
  ProcessLutByLut(Source, Other, Processor, 1.0f);
  EXPECT_TRUE(Reported("ProcessLutByLut Error: LUT Sizes are different!"));
  T3DLut NoPlanes;
  ProcessLutByLut(Source, Dest, NoPlanes, 1.0f);
  EXPECT_EQ(Dest.R[7], Source.R[7]);
  // The HSL mask: a mask LUT whose output is its hue input.
  T3DLut Mask;
  ASSERT_TRUE(Mask.SetLevels(7, 3, 3));
  Mask.SetDefault();
  MakeIdentity(Source, 3);
  ProcessLutByHSLMask(Source, Dest, Mask);
  EXPECT_TRUE(Reported("ProcessLutByLut Error: LUT Sizes are different!"));
  MakeIdentity(Dest, 3);
  ProcessLutByHSLMask(Source, Dest, Mask);
  // Node r 2 (pure red): hue 0; node g 2 (pure green): hue 1/3.
  EXPECT_NEAR(Dest.R[2], 0.0f, 1e-6f);
  EXPECT_NEAR(Dest.G[6], 1.0f / 3, 1e-5f);
  EXPECT_EQ(Dest.R[6], Dest.B[6]);
}

int CautionShown = 0;
bool TickBox = false;
bool RecordCaution(const std::string&, const std::string&) {
  ++CautionShown;
  return TickBox;
}

TEST_F(LutApply, CautionUntilTicked) {
  ResetCautionFlag();
  SetCautionDialogProc(&RecordCaution);
  CautionShown = 0;
  TickBox = false;
  T3DLut Lut;
  MakeIdentity(Lut, 3);
  Lut.ColorSpace = lcsLAB;
  EXPECT_EQ(ProcessColorBGRA32(Lut, BGRA(1, 2, 3, 4)), BGRA(1, 2, 3, 4));
  ShowCautionOnce("Error", "one\ntwo");
  EXPECT_EQ(CautionShown, 2);
  TickBox = true;
  ProcessColorBGRA32(Lut, 0);
  EXPECT_TRUE(CautionSuppressed());
  ProcessColorBGRA32(Lut, 0);
  ShowCautionOnce("Error", "again");
  EXPECT_EQ(CautionShown, 3);
  SetCautionDialogProc(nullptr);
  ResetCautionFlag();
}

// The image loops look cubes up inline; they must give the LUT's own
// lookup bit for bit, from the planes (few pixels) or an interleaved copy.
TEST_F(LutApply, ImageLoopsMatchTheLookup) {
  T3DLut Lut;
  MakeIdentity(Lut, 5);
  for (int32_t k = 0; k < Lut.Count; ++k) {
    Lut.R[k] = test::Hash01(3 * k) * 1.2f - 0.1f;
    Lut.G[k] = test::Hash01(3 * k + 1);
    Lut.B[k] = test::Hash01(3 * k + 2);
  }
  for (int32_t Pixels : {7, 600}) {
    SCOPED_TRACE(Pixels);
    TImage64 Src, Dst;
    Src.Init();
    Dst.Init();
    ASSERT_TRUE(Src.Alloc(Pixels, 1));
    ASSERT_TRUE(Dst.Alloc(Pixels, 1));
    for (int32_t i = 0; i < Pixels; ++i) {
      const uint32_t H = static_cast<uint32_t>(test::Hash01(i) * 4294967295.0);
      Src.Pixels[i].Init(static_cast<uint16_t>(H), static_cast<uint16_t>(H >> 16),
                         static_cast<uint16_t>(H * 7), 65535);
    }
    Src.Pixels[0].Init(65535, 65535, 65535, 0);
    Src.Pixels[1].Init(0, 0, 0, 0);
    ProcessImage64(Lut, Src, Dst, false);
    for (int32_t i = 0; i < Pixels; ++i) {
      const TPixel64 S = Src.Pixels[i];
      float R = static_cast<float>(S.R / 65535.0), G = static_cast<float>(S.G / 65535.0),
            B = static_cast<float>(S.B / 65535.0);
      ProcessColorTetrahedralSingle(Lut, R, G, B);
      auto Word = [](float V) {
        return static_cast<uint16_t>(std::clamp(std::nearbyint(V * 65535.0f), 0.0f, 65535.0f));
      };
      ASSERT_EQ(Dst.Pixels[i].R, Word(R)) << i;
      ASSERT_EQ(Dst.Pixels[i].G, Word(G)) << i;
      ASSERT_EQ(Dst.Pixels[i].B, Word(B)) << i;
    }
  }
}

TEST_F(LutApply, RawRows) {
  T3DLut Lut;
  MakeIdentity(Lut, 5);
  for (int32_t k = 0; k < Lut.Count; ++k) Lut.R[k] = 1.0f;
  uint8_t Bgr[6] = {1, 2, 3, 4, 5, 6};
  ProcessRawRow(Lut, Bgr, 2, TLutRowFormat::BGR24);
  EXPECT_EQ(Bgr[2], 255);
  EXPECT_EQ(Bgr[0], 1);
  TPixel64 Words[1] = {{1, 2, 3, 4}};
  ProcessRawRow(Lut, Words, 1, TLutRowFormat::RGBA64);
  EXPECT_EQ(Words[0].R, 65535);
  EXPECT_EQ(Words[0].A, 4);
}

}  // namespace
}  // namespace kromel
