#include "fileio/image_files.h"

#include <gmock/gmock.h>

#include <cmath>
#include <map>

#include "fileio_test_support.h"
#include "foundation/byte_stream.h"

namespace kromel {
namespace {

using ::testing::HasSubstr;
using namespace fileio_test;

constexpr int32_t W = 4, H = 3;

// Known samples of a W x H picture, channel C of pixel I (row-major).
uint8_t Sample8(int32_t I, int32_t C) { return uint8_t((I * 37 + C * 71 + 13) % 256); }
uint16_t Sample16(int32_t I, int32_t C) { return uint16_t((I * 4099 + C * 7919 + 17) % 65536); }

// A fixture written by ImageMagick from raw samples.
struct TMagickFixture {
  std::string Name;    // file name; its extension picks the format
  std::string Prefix;  // ImageMagick's output prefix ("PNG24:", ...)
  int Channels;        // 1 grey, 3 RGB, 4 RGBA
  int Depth;           // 8 or 16
  std::vector<std::string> Options;
};

const std::vector<TMagickFixture>& MagickFixtures() {
  static const std::vector<TMagickFixture> F = {
      {"rgb8.png", "PNG24:", 3, 8, {}},
      {"rgba8.png", "PNG32:", 4, 8, {}},
      {"rgb16.png", "PNG48:", 3, 16, {}},
      {"rgba16.png", "PNG64:", 4, 16, {}},
      {"rgb8.tif", "TIFF:", 3, 8, {"-type", "TrueColor"}},
      {"rgb16.tif", "TIFF:", 3, 16, {"-type", "TrueColor"}},
      {"rgba16.tif", "TIFF:", 4, 16, {"-type", "TrueColorAlpha"}},
      {"rgb8.bmp", "BMP3:", 3, 8, {"-type", "TrueColor"}},
      {"grey8.png", "PNG:", 1, 8, {"-define", "png:color-type=0", "-depth", "8"}},
      {"palette.png", "PNG8:", 3, 8, {"-define", "png:bit-depth=8"}},
  };
  return F;
}

// The fixtures of every test in this file, made once.
class ImageLoadTest : public FileIOTest {
protected:
  static void SetUpTestSuite() {
    Suite = new kromel::testing::TTestTempDir("kromel_fileio_load");
    if (!ProgramAvailable("convert")) return;
    TMagickBatch Batch;
    for (const TMagickFixture& F : MagickFixtures()) {
      std::vector<uint8_t> Raw;
      for (int32_t I = 0; I < W * H; ++I)
        for (int C = 0; C < F.Channels; ++C) {
          if (F.Depth == 8) {
            Raw.push_back(Sample8(I, C));
          } else {
            const uint16_t V = Sample16(I, C);
            Raw.push_back(uint8_t(V >> 8));
            Raw.push_back(uint8_t(V));
          }
        }
      const std::string RawFile = Suite->File(F.Name + ".raw");
      WriteBytes(RawFile, Raw);
      const std::string Layout = F.Channels == 1 ? "gray:" : F.Channels == 3 ? "rgb:" : "rgba:";
      std::vector<std::string> Steps = {"-size", std::to_string(W) + "x" + std::to_string(H),
                                        "-depth", std::to_string(F.Depth), "-endian", "MSB",
                                        Layout + RawFile};
      Steps.insert(Steps.end(), F.Options.begin(), F.Options.end());
      Batch.Add(Steps, F.Prefix + Suite->File(F.Name));
    }
    // A flat colour JPEG, a 1-bit and a 16-bit grey PNG and a 1 x 100 PNG.
    Batch.Add({"-size", "16x16", "xc:rgb(200,100,50)", "-quality", "95"}, Suite->File("flat.jpg"));
    Batch.Add({"-size", "8x8", "pattern:checkerboard", "-depth", "1"}, "PNG:" + Suite->File("mono.png"));
    Batch.Add({"-size", "8x8", "gradient:", "-colorspace", "Gray", "-depth", "16"},
              Suite->File("grey16.png"));
    Batch.Add({"-size", "1x100", "xc:red"}, "PNG24:" + Suite->File("thin.png"));
    Batch.Run(Suite->File("convert.out"));
    // A 4-bit palette BMP from FreeImage (ImageMagick's palette writers are slow).
    FIBITMAP* Four = FreeImage_Allocate(4, 2, 4);
    FreeImage_Save(FIF_BMP, Four, Suite->File("four.bmp").c_str(), 0);
    FreeImage_Unload(Four);
  }
  static void TearDownTestSuite() {
    delete Suite;
    Suite = nullptr;
  }
  void SetUp() override {
    FileIOTest::SetUp();
    if (!ProgramAvailable("convert")) GTEST_SKIP() << "ImageMagick's convert is not installed";
  }
  static std::string Fixture(const std::string& Name) { return Suite->File(Name); }

  static kromel::testing::TTestTempDir* Suite;
};
kromel::testing::TTestTempDir* ImageLoadTest::Suite = nullptr;

// The TImage64 a fixture must load as.
std::vector<TWords> Expected64(const TMagickFixture& F) {
  std::vector<TWords> P;
  for (int32_t I = 0; I < W * H; ++I) {
    auto At = [&](int C) -> uint16_t {
      const int Source = F.Channels == 1 ? 0 : C;
      return F.Depth == 8 ? uint16_t(Sample8(I, Source) * 257) : Sample16(I, Source);
    };
    P.push_back({At(0), At(1), At(2), F.Channels == 4 ? At(3) : uint16_t(65535)});
  }
  return P;
}

TEST_F(ImageLoadTest, EveryFormatAndDepthLoadsInto16BitsWithItsValuesAndAlpha) {
  for (const TMagickFixture& F : MagickFixtures()) {
    SCOPED_TRACE(F.Name);
    ASSERT_TRUE(FileThere(Fixture(F.Name)));
    TImage64 Image;
    ASSERT_TRUE(LoadImage64FromFile(Image, Fixture(F.Name), false, 1.0f));
    EXPECT_EQ(Image.Width, W);
    EXPECT_EQ(Image.Height, H);
    // Row 0 is the top row: the samples come back in file order.
    EXPECT_EQ(Pixels64(Image), Expected64(F));
  }
  EXPECT_TRUE(Errors().empty());
}

TEST_F(ImageLoadTest, EveryFormatLoadsInto8BitsAsBGRA) {
  for (const TMagickFixture& F : MagickFixtures()) {
    SCOPED_TRACE(F.Name);
    TImage32 Image;
    ASSERT_TRUE(LoadImage32FromFile(Image, Fixture(F.Name)));
    ASSERT_EQ(Image.Size, W * H);
    const std::vector<TWords> Want = Expected64(F);
    for (int32_t I = 0; I < Image.Size; ++I) {
      // 16-bit pictures come down to their high bytes; only 8-bit BGRA
      // keeps its alpha, the rest pass through 24 bits and get 255.
      const TBGRAPixel32 P = Image.Pixels[I].BGRA;
      EXPECT_EQ(P.R, Want[I][0] >> 8);
      EXPECT_EQ(P.G, Want[I][1] >> 8);
      EXPECT_EQ(P.B, Want[I][2] >> 8);
      EXPECT_EQ(P.A, F.Channels == 4 && F.Depth == 8 ? Want[I][3] >> 8 : 255);
    }
  }
}

TEST_F(ImageLoadTest, JpegWidensByteValuesAndDitherAddsUnder255) {
  TImage64 Plain, Dithered;
  Plain.Init();
  Dithered.Init();
  ASSERT_TRUE(LoadImage64FromFile(Plain, Fixture("flat.jpg"), false, 1.0f));
  ASSERT_TRUE(LoadImage64FromFile(Dithered, Fixture("flat.jpg"), true, 1.0f));
  ASSERT_EQ(Plain.Size, 16 * 16);
  bool SomeNoise = false;
  for (int32_t I = 0; I < Plain.Size; ++I) {
    const TPixel64 P = Plain.Pixels[I], D = Dithered.Pixels[I];
    EXPECT_EQ(P.A, 65535);
    EXPECT_EQ(D.A, 65535);
    EXPECT_NEAR(P.R / 257, 200, 3);
    EXPECT_NEAR(P.G / 257, 100, 3);
    EXPECT_NEAR(P.B / 257, 50, 3);
    const uint16_t PC[3] = {P.R, P.G, P.B}, DC[3] = {D.R, D.G, D.B};
    for (int C = 0; C < 3; ++C) {
      EXPECT_EQ(PC[C] % 257, 0);
      if (PC[C] >= 65280) {
        EXPECT_EQ(DC[C], PC[C]);
      } else {
        EXPECT_GE(DC[C], PC[C]);
        EXPECT_LE(DC[C] - PC[C], 254);
      }
      SomeNoise |= DC[C] != PC[C];
    }
  }
  EXPECT_TRUE(SomeNoise);
}

TEST_F(ImageLoadTest, UnsupportedDepthsFailAndKeepTheImage) {
  const std::map<std::string, std::string> Cases = {
      {"mono.png", "Unsupported Image Bit Depth - 1 ColorType: "},
      {"four.bmp", "Unsupported Image Bit Depth - 4 ColorType: "},
      {"grey16.png", "Unsupported Image Bit Depth - 16 ColorType: 1"}};
  for (const auto& [Name, Text] : Cases) {
    SCOPED_TRACE(Name);
    ClearErrors();
    TImage64 Image;
    MakeSentinel64(Image);
    const std::vector<TWords> Before = Pixels64(Image);
    EXPECT_FALSE(LoadImage64FromFile(Image, Fixture(Name), false, 1.0f));
    EXPECT_EQ(Pixels64(Image), Before);
    EXPECT_EQ(Image.Width, 3);
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_THAT(Errors()[0], HasSubstr("Convert FreeBitmaptoImage64: " + Text));
  }
}

TEST_F(ImageLoadTest, OnePixelWideImageIsAFailedLoad) {
  TImage64 Image64;
  TImage32 Image32;
  MakeSentinel64(Image64);
  MakeSentinel32(Image32);
  EXPECT_FALSE(LoadImage64FromFile(Image64, Fixture("thin.png"), false, 1.0f));
  EXPECT_FALSE(LoadImage32FromFile(Image32, Fixture("thin.png")));
  EXPECT_EQ(Image64.Width, 3);
  EXPECT_EQ(Image32.Width, 3);
  ASSERT_EQ(Errors().size(), 2u);
  EXPECT_EQ(Errors()[0], "Failed to load image: " + Fixture("thin.png"));
}

TEST_F(ImageLoadTest, StreamsLoadTheirWholeContent) {
  const std::vector<uint8_t> Png = ReadBytes(Fixture("rgba8.png"));
  TMemoryStream Stream(std::string_view(reinterpret_cast<const char*>(Png.data()), Png.size()));
  Stream.SetPosition(Stream.Size());
  TImage32 Image32;
  ASSERT_TRUE(LoadImage32FromStream(Image32, Stream, true));
  EXPECT_EQ(Image32.Pixels[5].BGRA.R, Sample8(5, 0));
  EXPECT_EQ(Image32.Pixels[5].BGRA.A, Sample8(5, 3));
  TImage64 Image64;
  ASSERT_TRUE(LoadImage64FromStream(Stream, Image64, "rgba8.png", false, 1.0f));
  EXPECT_EQ(Pixels64(Image64), Expected64(MagickFixtures()[1]));
  EXPECT_TRUE(Errors().empty());
}

TEST_F(ImageLoadTest, ShortAndUnreadableStreams) {
  TImage32 Image;
  MakeSentinel32(Image);
  // Under 200 bytes: refused without a word.
  TMemoryStream Short(std::string(199, 'x'));
  EXPECT_FALSE(LoadImage32FromStream(Image, Short, true));
  EXPECT_TRUE(Errors().empty());
  TMemoryStream Garbage(std::string(300, 'x'));
  EXPECT_FALSE(LoadImage32FromStream(Image, Garbage, false));
  EXPECT_TRUE(Errors().empty());
  EXPECT_FALSE(LoadImage32FromStream(Image, Garbage, true));
  EXPECT_EQ(Errors(), std::vector<std::string>{"Failed to load image from stream"});
  EXPECT_EQ(Image.Pixels[4].Value, 5u);
}

// ---- float pictures written by FreeImage itself -----------------------------

class FloatLoadTest : public FileIOTest {
protected:
  // A 2 x 2 float picture: top row (2.0, 0.5, -0.5 | 0.25, 1.5, 0.0), bottom
  // row (NaN, 1.0, 0.125 | 0.0, 0.0, 16.0); alpha 1, 0.5, 0, 2.
  std::string Write(FREE_IMAGE_TYPE Type, FREE_IMAGE_FORMAT Format, const std::string& Name) {
    FIBITMAP* B = MakeBitmap(Type);
    const std::string Path = File(Name);
    EXPECT_TRUE(FreeImage_Save(Format, B, Path.c_str(), 0));
    FreeImage_Unload(B);
    return Path;
  }
  static FIBITMAP* MakeBitmap(FREE_IMAGE_TYPE Type) {
    const float RGB[2][2][3] = {{{2.0f, 0.5f, -0.5f}, {0.25f, 1.5f, 0.0f}},
                                {{NAN, 1.0f, 0.125f}, {0.0f, 0.0f, 16.0f}}};
    const float A[2][2] = {{1.0f, 0.5f}, {0.0f, 2.0f}};
    FIBITMAP* B = FreeImage_AllocateT(Type, 2, 2);
    for (int Y = 0; Y < 2; ++Y) {
      float* Line = reinterpret_cast<float*>(FreeImage_GetScanLine(B, 1 - Y));
      const int N = Type == FIT_RGBAF ? 4 : 3;
      for (int X = 0; X < 2; ++X) {
        for (int C = 0; C < 3; ++C) Line[X * N + C] = RGB[Y][X][C];
        if (N == 4) Line[X * N + 3] = A[Y][X];
      }
    }
    return B;
  }
};

TEST_F(FloatLoadTest, FloatScaleAppliesToRGBAAndRGBPictures) {
  struct TCase {
    FREE_IMAGE_TYPE Type;
    FREE_IMAGE_FORMAT Format;
    std::string Name;
  };
  const TCase Cases[] = {{FIT_RGBAF, FIF_EXR, "rgba.exr"},
                         {FIT_RGBF, FIF_EXR, "rgb.exr"},
                         {FIT_RGBF, FIF_TIFF, "rgbf.tif"}};
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    const std::string Path = Write(C.Type, C.Format, C.Name);
    TImage64 Image;
    ASSERT_TRUE(LoadImage64FromFile(Image, Path, false, 1.0f / 16));
    ASSERT_EQ(Image.Size, 4);
    const bool Alpha = C.Type == FIT_RGBAF;
    // 2.0 / 16 x 65535 = 8191.875 -> 8192; negatives and NaN give 0;
    // 16 / 16 = 1 -> 65535; alpha is not scaled and clamps at 1.
    const std::vector<TWords> Want = {
        {8192, 2048, 0, 65535},
        {1024, 6144, 0, uint16_t(Alpha ? 32768 : 65535)},
        {0, 4096, 512, uint16_t(Alpha ? 0 : 65535)},
        {0, 0, 65535, 65535}};
    EXPECT_EQ(Pixels64(Image), Want);
  }
  EXPECT_TRUE(Errors().empty());
}

TEST_F(FloatLoadTest, ConversionLeavesTheCallersBitmapAlone) {
  FIBITMAP* B = MakeBitmap(FIT_RGBAF);
  TImage64 Image;
  ASSERT_TRUE(ConvertFreeBitmapToImage64(B, Image, false, 0.5f));
  ASSERT_TRUE(ConvertFreeBitmapToImage64(B, Image, false, 0.5f));
  EXPECT_EQ(Image.Pixels[0].R, 65535);  // 2.0 x 0.5, once
  EXPECT_EQ(Image.Pixels[1].G, 49151);  // 1.5 x 0.5 x 65535 = 49151.25
  FreeImage_Unload(B);
}

TEST_F(FloatLoadTest, ScaleFloatFreeBitmapScalesColourNotAlpha) {
  FIBITMAP* B = MakeBitmap(FIT_RGBAF);
  ScaleFloatFreeBitmap(B, 0.25f);
  const FIRGBAF* Top = reinterpret_cast<const FIRGBAF*>(FreeImage_GetScanLine(B, 1));
  EXPECT_EQ(Top[0].red, 0.5f);
  EXPECT_EQ(Top[0].blue, -0.125f);
  EXPECT_EQ(Top[1].alpha, 0.5f);
  FreeImage_Unload(B);
  // Other bitmaps are not touched.
  FIBITMAP* Words = FreeImage_AllocateT(FIT_RGB16, 2, 2);
  reinterpret_cast<FIRGB16*>(FreeImage_GetScanLine(Words, 0))[0].red = 1000;
  ScaleFloatFreeBitmap(Words, 0.25f);
  EXPECT_EQ(reinterpret_cast<FIRGB16*>(FreeImage_GetScanLine(Words, 0))[0].red, 1000);
  FreeImage_Unload(Words);
}

TEST_F(FloatLoadTest, TypesWithoutAConversionFailIn16And8Bits) {
  // A one-channel double picture: 64 bits per pixel, but not RGBA16.
  FIBITMAP* B = FreeImage_AllocateT(FIT_DOUBLE, 4, 4);
  const std::string Path = File("double.tif");
  ASSERT_TRUE(FreeImage_Save(FIF_TIFF, B, Path.c_str(), 0));
  FreeImage_Unload(B);
  TImage64 Image64;
  TImage32 Image32;
  MakeSentinel64(Image64);
  MakeSentinel32(Image32);
  EXPECT_FALSE(LoadImage64FromFile(Image64, Path, false, 1.0f));
  ASSERT_FALSE(Errors().empty());
  EXPECT_THAT(Errors().back(), HasSubstr("Unsupported Image Bit Depth - 64"));
  ClearErrors();
  EXPECT_FALSE(LoadImage32FromFile(Image32, Path));
  ASSERT_FALSE(Errors().empty());
  EXPECT_EQ(Errors().back(), "LoadImage32FromFile Unsupported Image Bit Depth - 64");
  EXPECT_EQ(Image64.Pixels[0].R, 1);
  EXPECT_EQ(Image32.Pixels[0].Value, 1u);
}

TEST(ImageFileNames, FreeImageExtensions) {
  const std::map<std::string, bool> Cases = {
      {"a.jpg", true},   {"a.JPEG", true},  {"dir/b.Png", true}, {"c.psd", true},
      {"d.ico", true},   {"e.exr", true},   {"f.gif", true},     {"g.tga", true},
      {"h.tif", true},   {"i.TIFF", true},  {"j.bmp", false},    {"k.cr2", false},
      {"tif", false},    {"a.tif.txt", false}, {"x.tiff/y", false}};
  for (const auto& [Name, Want] : Cases) EXPECT_EQ(IsFreeImageFileExtension(Name), Want) << Name;
}

}  // namespace
}  // namespace kromel
