#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "colour/colour_managed.h"
#include "colour/icc_profiles.h"
#include "foundation/error_sink.h"

namespace kromel {
namespace {

std::vector<std::string> Recorded;
void Record(const std::string& Text) { Recorded.push_back(Text); }

class ColourManaged : public ::testing::Test {
 protected:
  void SetUp() override {
    Recorded.clear();
    Saved = ErrorMessageProc;
    ErrorMessageProc = Record;
    Image.Init();
    Image64.Init();
  }
  void TearDown() override {
    Image.Dispose();
    Image64.Dispose();
    ErrorMessageProc = Saved;
  }
  // A W x H image whose pixel (x, y) is red x, green y, blue 7, alpha 3.
  void MakeImage(int32_t W, int32_t H) {
    ASSERT_TRUE(Image.Alloc(W, H));
    for (int32_t y = 0; y < H; ++y)
      for (int32_t x = 0; x < W; ++x) Image.Row(y)[x].BGRA = TBGRAPixel32{7, uint8_t(y), uint8_t(x), 3};
  }
  TErrorMessageCallback Saved = nullptr;
  TImage32 Image;
  TImage64 Image64;
};

// sRGB to sRGB with the given formats (the caller deletes it).
cmsHTRANSFORM SRGBTransform(cmsUInt32Number In, cmsUInt32Number Out) {
  cmsHPROFILE P = cmsCreate_sRGBProfile();
  cmsHTRANSFORM T = cmsCreateTransform(P, In, P, Out, INTENT_RELATIVE_COLORIMETRIC, 0);
  cmsCloseProfile(P);
  return T;
}

TEST_F(ColourManaged, BitmapCopies) {
  TRawBitmap Source(3, 2, pf32bit);
  for (int32_t y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      uint8_t* P = Source.ScanLine(y) + 4 * x;
      P[0] = 17;  // alpha
      P[1] = uint8_t(10 * x);
      P[2] = uint8_t(20 * y);
      P[3] = 99;
    }
  TRawBitmap Empty;
  BitmapCMSCopyTo(Source, Empty, nullptr);
  EXPECT_EQ(Empty.Width(), 0);
  EXPECT_EQ(Empty.Data(), nullptr);

  for (bool WithTransform : {false, true}) {
    cmsHTRANSFORM T = WithTransform ? SRGBTransform(TYPE_ARGB_8, TYPE_ARGB_8) : nullptr;
    TRawBitmap Dest(1, 1, pf24bit);
    BitmapCMSCopyTo(Source, Dest, T);
    ASSERT_EQ(Dest.PixelFormat(), pf32bit);
    ASSERT_EQ(Dest.Width(), 3);
    ASSERT_EQ(Dest.Height(), 2);
    for (int32_t y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) {
        const uint8_t* P = Dest.ScanLine(y) + 4 * x;
        EXPECT_EQ(P[0], 255);
        EXPECT_NEAR(P[1], 10 * x, 1);
        EXPECT_NEAR(P[2], 20 * y, 1);
        EXPECT_NEAR(P[3], 99, 1);
      }
    if (T != nullptr) cmsDeleteTransform(T);
  }

  // 24-bit rows packed tighter in the source than in the destination.
  TRawBitmap Packed(3, 2, pf24bit);
  Packed.SetRowAlignment(1);
  for (int32_t y = 0; y < 2; ++y)
    for (int i = 0; i < 9; ++i) Packed.ScanLine(y)[i] = uint8_t(y * 9 + i);
  TRawBitmap Wide(1, 1, pf32bit);
  BitmapCMSCopyTo(Packed, Wide, nullptr);
  ASSERT_EQ(Wide.PixelFormat(), pf24bit);
  for (int32_t y = 0; y < 2; ++y)
    for (int i = 0; i < 9; ++i) EXPECT_EQ(Wide.ScanLine(y)[i], y * 9 + i);
  EXPECT_TRUE(Recorded.empty());

  TRawBitmap Grey(2, 2, pf8bit), Target(1, 1, pf32bit);
  BitmapCMSCopyTo(Grey, Target, nullptr);
  EXPECT_EQ(Recorded, std::vector<std::string>{"BitmapCMSCopyTo error: unsupported pixel format"});

  // A transform of the wrong pixel size is refused before any row is written.
  Recorded.clear();
  cmsHTRANSFORM Wrong = SRGBTransform(TYPE_RGBA_16, TYPE_RGBA_16);
  TRawBitmap Out(1, 1, pf32bit);
  BitmapCMSCopyTo(Source, Out, Wrong);
  cmsDeleteTransform(Wrong);
  ASSERT_EQ(Recorded.size(), 1u);
  EXPECT_EQ(Out.ScanLine(0)[0], 0);
}

TEST_F(ColourManaged, ImageToBitmap) {
  MakeImage(5, 3);
  TRawBitmap Device;  // the device format has 32 bits and becomes pf32bit
  ImageCMSCopyToBitmap(Image, Device, nullptr);
  ASSERT_EQ(Device.PixelFormat(), pf32bit);
  ASSERT_EQ(Device.Width(), 5);
  ASSERT_EQ(Device.Height(), 3);
  const uint8_t* P = Device.ScanLine(2) + 4 * 4;
  EXPECT_EQ(P[0], 255);
  EXPECT_EQ(P[1], 4);
  EXPECT_EQ(P[2], 2);
  EXPECT_EQ(P[3], 7);

  cmsHTRANSFORM T = SRGBTransform(TYPE_BGRA_8, TYPE_ARGB_8);
  TRawBitmap Managed;
  ImageCMSCopyToBitmap(Image, Managed, T);
  cmsDeleteTransform(T);
  for (int32_t y = 0; y < 3; ++y)
    for (int i = 0; i < 20; ++i) EXPECT_NEAR(Managed.ScanLine(y)[i], Device.ScanLine(y)[i], 1);

  TRawBitmap Rgb(1, 1, pf24bit);
  ImageCMSCopyToBitmap(Image, Rgb, nullptr);
  ASSERT_EQ(Rgb.PixelFormat(), pf24bit);
  const uint8_t* Q = Rgb.ScanLine(1) + 3 * 4;  // pixel (4, 1)
  EXPECT_EQ(Q[0], 7);
  EXPECT_EQ(Q[1], 1);
  EXPECT_EQ(Q[2], 4);
  EXPECT_EQ(Rgb.ScanLine(1)[15], 0);  // row padding untouched
  EXPECT_TRUE(Recorded.empty());
}

TEST_F(ColourManaged, FitIntoABox) {
  MakeImage(400, 200);
  for (int32_t y = 0; y < 200; ++y)
    for (int32_t x = 0; x < 400; ++x)
      Image.Row(y)[x].BGRA = y < 100 ? TBGRAPixel32{0, 0, 200, 255} : TBGRAPixel32{150, 0, 0, 255};
  TRawBitmap Bitmap;
  ImageCMSCopyToBitmapRectFit(Image, Bitmap, 100, 100, nullptr);
  ASSERT_EQ(Bitmap.Width(), 100);
  ASSERT_EQ(Bitmap.Height(), 75);
  auto Pixel = [&](int32_t x, int32_t y) {
    const uint8_t* P = Bitmap.ScanLine(y) + 4 * x;
    return (uint32_t(P[1]) << 16) | (uint32_t(P[2]) << 8) | P[3];
  };
  EXPECT_EQ(Pixel(50, 24), 0u);        // above the picture
  EXPECT_EQ(Pixel(0, 25), 200u << 16);  // first picture row: red
  EXPECT_EQ(Pixel(99, 49), 200u << 16);
  EXPECT_EQ(Pixel(99, 50), 150u);       // lower half: blue
  EXPECT_EQ(Pixel(0, 74), 150u);

  TRawBitmap Fit;
  ImageCMSCopyToBitmapFit(Image, Fit, 100, 100, nullptr);
  EXPECT_EQ(Fit.Width(), 100);
  EXPECT_EQ(Fit.Height(), 50);

  // Tall image: the width is fitted instead, centred by the left margin.
  TImage32 Tall;
  ASSERT_TRUE(Tall.Alloc(10, 40));
  Tall.Clear();
  TRawBitmap TallBitmap;
  ImageCMSCopyToBitmapRectFit(Tall, TallBitmap, 100, 100, nullptr);
  EXPECT_EQ(TallBitmap.Width(), 37 + 25);  // left margin (100 - 25) / 2
  EXPECT_EQ(TallBitmap.Height(), 100);

  TRawBitmap Untouched(3, 3, pf32bit);
  ImageCMSCopyToBitmapRectFit(Image, Untouched, 0, 100, nullptr);
  EXPECT_EQ(Untouched.Width(), 3);
}

TEST_F(ColourManaged, Image64ToBitmap) {
  ASSERT_TRUE(Image64.Alloc(2, 1));
  Image64.Pixels[0].Init(0x1234, 0xABCD, 0xFF00, 0);
  Image64.Pixels[1].Init(0, 0x00FF, 0x8000, 7);
  TRawBitmap B32(1, 1, pf32bit);
  Image64CMSCopyTo(Image64, B32, nullptr);
  const uint8_t* P = B32.ScanLine(0);
  EXPECT_EQ((std::vector<uint8_t>(P, P + 8)), (std::vector<uint8_t>{255, 0x12, 0xAB, 0xFF, 255, 0, 0, 0x80}));
  TRawBitmap B24(1, 1, pf24bit);
  Image64CMSCopyTo(Image64, B24, nullptr);
  const uint8_t* Q = B24.ScanLine(0);
  EXPECT_EQ((std::vector<uint8_t>(Q, Q + 6)), (std::vector<uint8_t>{0xFF, 0xAB, 0x12, 0x80, 0, 0}));

  cmsHTRANSFORM T = SRGBTransform(TYPE_RGBA_16, TYPE_ARGB_8);
  TRawBitmap Managed(1, 1, pf32bit);
  Image64CMSCopyTo(Image64, Managed, T);
  cmsDeleteTransform(T);
  for (int i = 0; i < 8; ++i) EXPECT_NEAR(Managed.ScanLine(0)[i], P[i], 1) << i;

  cmsHTRANSFORM Wrong = SRGBTransform(TYPE_BGRA_8, TYPE_ARGB_8);
  TRawBitmap Refused(1, 1, pf32bit);
  Image64CMSCopyTo(Image64, Refused, Wrong);
  cmsDeleteTransform(Wrong);
  EXPECT_EQ(Recorded.size(), 1u);
  EXPECT_EQ(Refused.ScanLine(0)[0], 0);
}

// A separate destination receives the source's alpha with the colours.
TEST_F(ColourManaged, Image64ProfileConversionCarriesAlpha) {
  ASSERT_TRUE(Image64.Alloc(4, 2));
  for (int32_t i = 0; i < 8; ++i)
    Image64.Pixels[i].Init(uint16_t(i * 8000), 30000, 20000, uint16_t(i * 9000 + 17));
  TImage64 Dst;
  ASSERT_TRUE(Dst.Alloc(4, 2));
  for (int32_t i = 0; i < 8; ++i) Dst.Pixels[i].Init(1, 2, 3, 4);
  cmsHPROFILE SRGB = cmsCreate_sRGBProfile();
  cmsHPROFILE ProPhoto = CreateProPhotoRGBProfile();
  EXPECT_TRUE(Image64ConvertToProfile(Image64, Dst, SRGB, ProPhoto));
  for (int32_t i = 0; i < 8; ++i) EXPECT_EQ(Dst.Pixels[i].A, i * 9000 + 17) << i;
  cmsCloseProfile(SRGB);
  cmsCloseProfile(ProPhoto);
}

TEST_F(ColourManaged, Image64ProfileConversions) {
  ASSERT_TRUE(Image64.Alloc(4, 2));
  for (int32_t i = 0; i < 8; ++i) Image64.Pixels[i].Init(uint16_t(i * 8000), 30000, uint16_t(65535 - i * 8000), 65535);
  TImage64 Dst;
  ASSERT_TRUE(Dst.Alloc(4, 2));
  EXPECT_TRUE(Image64ConvertToProfileFromMem(Image64, Dst, TProfileBytes{}, TProfileBytes{}));
  for (int32_t i = 0; i < 8; ++i) {
    EXPECT_NEAR(Dst.Pixels[i].R, Image64.Pixels[i].R, 3);
    EXPECT_NEAR(Dst.Pixels[i].G, Image64.Pixels[i].G, 3);
    EXPECT_NEAR(Dst.Pixels[i].B, Image64.Pixels[i].B, 3);
  }

  // To ProPhoto and back through profiles given as bytes and as handles.
  cmsHPROFILE ProPhoto = CreateProPhotoRGBProfile();
  cmsUInt32Number Size = 0;
  ASSERT_TRUE(cmsSaveProfileToMem(ProPhoto, nullptr, &Size));
  std::vector<uint8_t> Bytes(Size);
  ASSERT_TRUE(cmsSaveProfileToMem(ProPhoto, Bytes.data(), &Size));
  EXPECT_TRUE(Image64ConvertToProfileFromMem(Image64, Dst, TProfileBytes{}, TProfileBytes{Bytes.data(), Bytes.size()}));
  cmsHPROFILE SRGB = cmsCreate_sRGBProfile();
  {
    // The same as one 16-bit relative-colorimetric transform of all pixels.
    cmsHPROFILE FromBytes = cmsOpenProfileFromMem(Bytes.data(), Size);
    cmsHTRANSFORM T = cmsCreateTransform(SRGB, TYPE_RGBA_16, FromBytes, TYPE_RGBA_16,
                                         INTENT_RELATIVE_COLORIMETRIC, 0);
    cmsCloseProfile(FromBytes);
    std::vector<TPixel64> Expected(8);
    cmsDoTransform(T, Image64.Pixels, Expected.data(), 8);
    cmsDeleteTransform(T);
    for (int32_t i = 0; i < 8; ++i) {
      EXPECT_EQ(Dst.Pixels[i].R, Expected[i].R);
      EXPECT_EQ(Dst.Pixels[i].G, Expected[i].G);
      EXPECT_EQ(Dst.Pixels[i].B, Expected[i].B);
    }
  }
  EXPECT_NE(Dst.Pixels[0].R, Image64.Pixels[0].R);
  // In place and back: close to the start (16-bit transforms interpolate).
  EXPECT_TRUE(Image64ConvertToProfile(Dst, Dst, ProPhoto, SRGB));
  for (int32_t i = 0; i < 8; ++i) {
    EXPECT_NEAR(Dst.Pixels[i].G, Image64.Pixels[i].G, 700);
    EXPECT_NEAR(Dst.Pixels[i].B, Image64.Pixels[i].B, 700);
  }

  // Failures leave the destination as it was.
  const std::vector<TPixel64> Before(Dst.Pixels, Dst.Pixels + 8);
  auto Unchanged = [&] {
    for (int32_t i = 0; i < 8; ++i) {
      EXPECT_EQ(Dst.Pixels[i].R, Before[i].R);
      EXPECT_EQ(Dst.Pixels[i].B, Before[i].B);
    }
  };
  const std::vector<uint8_t> Garbage(500, 0x41);
  const std::vector<uint8_t> Cut(Bytes.begin(), Bytes.begin() + 100);
  struct TCase {
    TProfileBytes In, Out;
    const char* Message;
  } const Cases[] = {
      {{Garbage.data(), Garbage.size()}, {}, "Image64ConvertToProfile: Error loading source profile"},
      {{}, {Cut.data(), Cut.size()}, "Image64ConvertToProfile: Error loading destination profile"},
  };
  for (const TCase& C : Cases) {
    Recorded.clear();
    EXPECT_FALSE(Image64ConvertToProfileFromMem(Image64, Dst, C.In, C.Out));
    EXPECT_EQ(Recorded, std::vector<std::string>{C.Message});
    Unchanged();
  }
  TImage64 Small;
  ASSERT_TRUE(Small.Alloc(2, 2));
  Recorded.clear();
  EXPECT_FALSE(Image64ConvertToProfile(Image64, Small, SRGB, ProPhoto));
  EXPECT_EQ(Recorded, std::vector<std::string>{"Image64ConvertToProfile Error: Images sizes differ!"});

  Recorded.clear();
  cmsHPROFILE Lab = cmsCreateLab4Profile(nullptr);
  EXPECT_FALSE(Image64ConvertToProfile(Image64, Dst, Lab, SRGB));
  ASSERT_EQ(Recorded.size(), 1u);
  EXPECT_EQ(Recorded[0].rfind("Image64ConvertToProfile: Error converting profile, failed to create "
                              "Transform from ", 0),
            0u);
  Unchanged();
  Recorded.clear();
  EXPECT_FALSE(Image64ConvertToProfile(Image64, Dst, nullptr, SRGB));
  EXPECT_EQ(Recorded, std::vector<std::string>{"Image64ConvertToProfile: Error loading source profile"});
  TImage64 NoPixels;
  EXPECT_FALSE(Image64ConvertToProfile(NoPixels, Dst, SRGB, SRGB));
  cmsCloseProfile(Lab);
  cmsCloseProfile(SRGB);
  cmsCloseProfile(ProPhoto);
}

}  // namespace
}  // namespace kromel
