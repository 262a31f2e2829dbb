#include <gtest/gtest.h>

#include <cstring>

#include "image_test_support.h"
#include "images/image64.h"

using namespace kromel;
using namespace kromel::test;

namespace {

class Image64Test : public MessageCapture {};

TEST_F(Image64Test, AllocReleasesHeldPixelsAndRefusesEmptyOrHugeSizes) {
  TImage64 I = Make64(2, 2, {1, 2, 3, 4});
  TPixel64* Held = I.Pixels;
  EXPECT_TRUE(I.Alloc(2, 2));  // the same size keeps the pixels
  EXPECT_EQ(I.Pixels, Held);
  EXPECT_TRUE(I.Pixels[3] == (TPixel64{1, 2, 3, 4}));
  EXPECT_TRUE(I.Alloc(3, 1));  // the 2x2 block is released (leak checker)
  EXPECT_EQ(I.Size, 3);
  EXPECT_TRUE(Messages().empty());

  EXPECT_FALSE(I.Alloc(0, 5));  // holds pixels before: empty afterwards
  EXPECT_EQ(I.Pixels, nullptr);
  EXPECT_EQ(I.Width, 0);
  EXPECT_EQ(I.Height, 0);
  EXPECT_EQ(I.Size, 0);
  EXPECT_TRUE(Messages().empty());
  EXPECT_FALSE(I.Alloc(-2, -2));
  EXPECT_EQ(I.Pixels, nullptr);
  EXPECT_TRUE(Messages().empty());

  EXPECT_FALSE(I.Alloc(65536, 65536));
  EXPECT_EQ(I.Width, 0);
  EXPECT_EQ(I.Height, 0);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].rfind("Exception in TImage64.Alloc, size=4294967296", 0), 0u);
}

TEST_F(Image64Test, SetSizeKeepsMemoryOfTheSameSize) {
  TImage64 I = Make64(2, 3, {9, 9, 9, 9});
  TPixel64* Held = I.Pixels;
  I.SetSize(2, 3);
  EXPECT_EQ(I.Pixels, Held);
  EXPECT_EQ(I.Pixels[5].R, 9);
  I.SetSize(0, 3);
  EXPECT_EQ(I.Pixels, nullptr);
  EXPECT_TRUE(Silent());
}

TEST_F(Image64Test, CopyCases) {
  TImage64 Src = Make64(4, 6, {1, 2, 3, 4});
  Src.CopyMarginsFrom(1, 2, 3, 4);

  Src.Copy(Src);  // itself: nothing at all
  EXPECT_EQ(Src.MarginLeft, 1);
  EXPECT_TRUE(Src.Pixels[23] == (TPixel64{1, 2, 3, 4}));

  TImage64 Other = Make64(6, 4, {0, 0, 0, 0});  // same count, other shape
  TPixel64* Held = Other.Pixels;
  Other.Copy(Src);
  EXPECT_EQ(Other.Pixels, Held);
  EXPECT_EQ(Other.Width, 6);
  EXPECT_TRUE(Other.Pixels[23] == (TPixel64{1, 2, 3, 4}));
  EXPECT_EQ(Other.MarginBottom, 4);

  TImage64 Small = Make64(1, 1, {0, 0, 0, 0});
  Small.Copy(Src);
  EXPECT_EQ(Small.Width, 4);
  EXPECT_EQ(Small.Height, 6);
  EXPECT_TRUE(Small.Pixels[23] == (TPixel64{1, 2, 3, 4}));

  TImage64 Empty;
  Empty.MarginTop = 7;
  Small.Copy(Empty);
  EXPECT_EQ(Small.Pixels, nullptr);
  EXPECT_EQ(Small.MarginTop, 7);
  EXPECT_TRUE(Silent());
}

TEST_F(Image64Test, DepthRules) {
  TImage32 I32;
  ASSERT_TRUE(I32.Alloc(2, 1));
  I32.Pixels[0].Value = Bgra(255, 128, 1, 0);
  I32.Pixels[1].Value = Bgra(0, 0, 0, 255);
  I32.CopyMarginsFrom(1, 2, 3, 4);
  TImage64 I64;
  I64.CopyFromImage32(I32);  // x257
  ASSERT_EQ(I64.Size, 2);
  EXPECT_TRUE(I64.Pixels[0] == (TPixel64{257, 32896, 65535, 0}));
  EXPECT_TRUE(I64.Pixels[1] == (TPixel64{0, 0, 0, 65535}));
  EXPECT_EQ(I64.MarginBottom, 4);

  // From a bitmap: << 8, alpha not read.
  TRawBitmap B(1, 1, pf32bit);
  const uint8_t Argb[4] = {7, 255, 128, 1};
  std::memcpy(B.ScanLine(0), Argb, 4);
  I64.CopyFrom(B);
  ASSERT_EQ(I64.Size, 1);
  EXPECT_EQ(I64.Pixels[0].R, 65280);
  EXPECT_EQ(I64.Pixels[0].G, 32768);
  EXPECT_EQ(I64.Pixels[0].B, 256);
  TRawBitmap B24(1, 1, pf24bit);
  const uint8_t Bgr[3] = {255, 2, 3};
  std::memcpy(B24.ScanLine(0), Bgr, 3);
  I64.CopyFrom(B24);
  EXPECT_EQ(I64.Pixels[0].B, 65280);
  EXPECT_EQ(I64.Pixels[0].R, 768);

  // Narrowing takes the high byte; a target of equal count keeps its shape.
  I64.Dispose();
  ASSERT_TRUE(I64.Alloc(2, 1));
  I64.Pixels[0].Init(65535, 65280, 256, 255);
  I64.Pixels[1].Init(0, 32768, 65535, 65535);
  I64.CopyMarginsFrom(5, 6, 7, 8);
  TImage32 T;
  ASSERT_TRUE(T.Alloc(1, 2));
  I64.CopyToImage32(T);
  EXPECT_EQ(T.Width, 1);
  EXPECT_EQ(T.Pixels[0].Value, Bgra(1, 255, 255, 0));
  EXPECT_EQ(T.Pixels[1].Value, Bgra(255, 128, 0, 255));
  EXPECT_EQ(T.MarginLeft, 5);
  T.Dispose();
  I64.CopyToImage32(T);  // an empty target is sized
  EXPECT_EQ(T.Width, 2);
  EXPECT_EQ(T.Pixels[1].Value, Bgra(255, 128, 0, 255));
  EXPECT_TRUE(Silent());
}

TEST_F(Image64Test, NormalizeStretchesTheUsedRange) {
  struct {
    const char* Name;
    TPixel64 A, B;
    uint32_t WantA, WantB;
  } Cases[] = {
      {"constant 40000 has no range", {40000, 40000, 40000, 40000}, {40000, 40000, 40000, 40000},
       0, 0},
      {"black", {0, 0, 0, 0}, {0, 0, 0, 0}, 0, 0},
      {"range above 32767", {40000, 40000, 40000, 40000}, {50000, 50000, 50000, 50000},
       0x00000000, 0xFFFFFFFF},
      {"alpha counts", {1000, 1000, 1000, 2000}, {1000, 1000, 1500, 2000}, 0xFF000000,
       0xFF00007F},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    TImage64 I;
    ASSERT_TRUE(I.Alloc(2, 1));
    I.Pixels[0] = C.A;
    I.Pixels[1] = C.B;
    TImage32 T = Numbered32(3, 1);  // larger targets are fine
    I.NormalizeTo32(T);
    EXPECT_EQ(T.Pixels[0].Value, C.WantA);
    EXPECT_EQ(T.Pixels[1].Value, C.WantB);
    EXPECT_EQ(T.Pixels[2].Value, 3u);
  }
  TImage64 I = Make64(2, 2, {1, 1, 1, 1});
  TImage32 T = Numbered32(3, 1);
  I.NormalizeTo32(T);
  EXPECT_EQ(Values(T), (std::vector<uint32_t>{1, 2, 3}));
  EXPECT_EQ(Errors().size(), 1u);
}

TEST_F(Image64Test, BitmapWriting) {
  TImage64 I;
  ASSERT_TRUE(I.Alloc(1, 1));
  I.Pixels[0].Init(65535, 32768, 256, 0);
  TRawBitmap B32(3, 3, pf32bit);
  I.CopyTo(B32);
  EXPECT_EQ(B32.Width(), 1);
  const uint8_t Want32[4] = {0, 255, 128, 1};  // the image's own alpha
  EXPECT_EQ(std::memcmp(B32.ScanLine(0), Want32, 4), 0);
  TRawBitmap B24(1, 1, pf24bit);
  I.CopyTo(B24);
  const uint8_t Want24[3] = {1, 128, 255};
  EXPECT_EQ(std::memcmp(B24.ScanLine(0), Want24, 3), 0);
  EXPECT_TRUE(Silent());

  TRawBitmap B8(1, 1, pf8bit);
  I.CopyTo(B8);
  I.CopyFrom(B8);
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_EQ(Messages()[0], "TImage64.CopyTo error: Wrong pixel format");
  EXPECT_EQ(Messages()[1], "TImage64.CopyFrom - unsupported PixelFormat: 3");
}

TEST(Pixel64Text, DecimalChannels) {
  EXPECT_EQ(Pixel64ToText({65535, 0, 0, 65535}), "R: 65535; G: 0; B: 0; A: 65535");
  EXPECT_EQ(Pixel64ToText({0, 0, 0, 0}), "R: 0; G: 0; B: 0; A: 0");
  EXPECT_EQ(Pixel64ToText({1, 20, 300, 4000}), "R: 1; G: 20; B: 300; A: 4000");
}

}  // namespace
