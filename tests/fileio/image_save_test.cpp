#include "fileio/image_save.h"

#include <gmock/gmock.h>

#include "fileio/image_files.h"
#include "fileio_test_support.h"

namespace kromel {
namespace {

using ::testing::HasSubstr;
using namespace fileio_test;

// 5 x 4 words with every channel different; alpha runs through 0.
void MakeWords(TImage64& I) {
  I.Init();
  I.Alloc(5, 4);
  for (int32_t K = 0; K < I.Size; ++K)
    I.Pixels[K] = {uint16_t(K * 3001 + 7), uint16_t(K * 2003 + 60000), uint16_t(K * 1009 + 300),
                   uint16_t(K * 4000)};
}

std::vector<uint8_t> SRGBProfileBytes() {
  cmsHPROFILE P = cmsCreate_sRGBProfile();
  FIICCPROFILE R = CmsProfileToMemory(P);
  cmsCloseProfile(P);
  std::vector<uint8_t> B(static_cast<uint8_t*>(R.data), static_cast<uint8_t*>(R.data) + R.size);
  FreeICCProfileData(R);
  return B;
}

class ImageSaveTest : public FileIOTest {
protected:
  void SetUp() override {
    FileIOTest::SetUp();
    Magick = ProgramAvailable("convert") && ProgramAvailable("identify");
  }
  std::string Identify(const std::string& Format, const std::string& Path) {
    return MagickText({"identify", "-format", Format, Path}, File("identify.out"));
  }
  bool Magick = false;
};

TEST_F(ImageSaveTest, Tiff48WithProfileReadsBackWordForWordAndOpaque) {
  if (!Magick) GTEST_SKIP() << "ImageMagick is not installed";
  TImage64 Image;
  MakeWords(Image);
  std::vector<uint8_t> Profile = SRGBProfileBytes();
  FIICCPROFILE Record{0, uint32_t(Profile.size()), Profile.data()};
  const std::string Path = File("words.tif");
  ASSERT_TRUE(SaveImage64ToFile(Image, Path, Record));
  EXPECT_TRUE(Errors().empty());

  // ImageMagick sees a 16-bit, 3-channel file with the same words, upright,
  // carrying the profile's bytes.
  EXPECT_EQ(Identify("%m %z %[channels] %wx%h", Path), "TIFF 16 srgb 5x4");
  ASSERT_EQ(RunProgram({"convert", Path, "-depth", "16", "-endian", "MSB", "rgb:" + File("w.rgb")},
                       File("convert.out")),
            0);
  const std::vector<uint16_t> Read = BEToWords(ReadBytes(File("w.rgb")));
  ASSERT_EQ(Read.size(), size_t(Image.Size) * 3);
  for (int32_t K = 0; K < Image.Size; ++K) {
    EXPECT_EQ(Read[3 * K], Image.Pixels[K].R);
    EXPECT_EQ(Read[3 * K + 1], Image.Pixels[K].G);
    EXPECT_EQ(Read[3 * K + 2], Image.Pixels[K].B);
  }
  ASSERT_EQ(RunProgram({"convert", Path, "icc:" + File("out.icc")}, File("convert.out")), 0);
  EXPECT_EQ(ReadBytes(File("out.icc")), Profile);

  // Our own loader: the same colour words, alpha 65535 where it was 0.
  TImage64 Back;
  ASSERT_TRUE(LoadImage64FromFile(Back, Path, false, 1.0f));
  ASSERT_EQ(Back.Size, Image.Size);
  EXPECT_EQ(Image.Pixels[0].A, 0);
  for (int32_t K = 0; K < Image.Size; ++K) {
    TPixel64 Want = Image.Pixels[K];
    Want.A = 65535;
    EXPECT_EQ(Words(Back.Pixels[K]), Words(Want));
  }
}

TEST_F(ImageSaveTest, RowsComeOutUpright) {
  TImage64 Image;
  Image.Alloc(3, 2);
  for (int32_t X = 0; X < 3; ++X) {
    Image.Row(0)[X] = {65535, 0, 0, 65535};
    Image.Row(1)[X] = {0, 0, 65535, 65535};
  }
  for (const char* Name : {"updown.tif", "updown.png"}) {
    SCOPED_TRACE(Name);
    ASSERT_TRUE(SaveImage64ToFileNoProfile(Image, File(Name)));
    TImage64 Back;
    ASSERT_TRUE(LoadImage64FromFile(Back, File(Name), false, 1.0f));
    EXPECT_EQ(Words(Back.Row(0)[0]), (TWords{65535, 0, 0, 65535}));
    EXPECT_EQ(Words(Back.Row(1)[2]), (TWords{0, 0, 65535, 65535}));
    if (Magick) {
      EXPECT_EQ(MagickText({"convert", File(Name), "-format", "%[pixel:p{0,0}]", "info:"},
                           File("pixel.out")),
                "srgb(255,0,0)");
    }
  }
}

TEST_F(ImageSaveTest, FormatsWithout48BitsAreReportedAndWriteNothing) {
  TImage64 Image;
  MakeWords(Image);
  FIICCPROFILE None = EmptyICCProfile();
  const std::string Jpeg = File("old.jpg");
  WriteBytes(Jpeg, {'o', 'l', 'd'});
  for (const std::string& Path : {Jpeg, File("new.jpg"), File("new.bmp"), File("new.xyz")}) {
    SCOPED_TRACE(Path);
    ClearErrors();
    EXPECT_FALSE(SaveImage64ToFile(Image, Path, None));
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_THAT(Errors()[0], HasSubstr("SaveImage64ToFile: " + Path));
  }
  // The old file is kept; no new ones appeared.
  EXPECT_EQ(ReadBytes(Jpeg), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_FALSE(FileThere(File("new.jpg")));
  EXPECT_FALSE(FileThere(File("new.bmp")));
}

TEST_F(ImageSaveTest, EightBitSavesMakeJpegsAndKeepAlphaInPng) {
  if (!Magick) GTEST_SKIP() << "ImageMagick is not installed";
  TImage64 Image;
  MakeWords(Image);
  FIICCPROFILE None = EmptyICCProfile();
  ASSERT_TRUE(SaveImage64ToFile8bit(Image, File("eight.jpg"), None));
  EXPECT_EQ(Identify("%m %z %[channels]", File("eight.jpg")), "JPEG 8 srgb");

  TImage32 Image32;
  Image32.Alloc(4, 3);
  for (int32_t K = 0; K < Image32.Size; ++K)
    Image32.Pixels[K].BGRA = {uint8_t(K * 20), uint8_t(K * 7), uint8_t(255 - K), uint8_t(K * 21)};
  ASSERT_TRUE(SaveImage32ToFileWithProfile(Image32, File("thirtytwo.jpg"), None));
  EXPECT_EQ(Identify("%m %z %[channels]", File("thirtytwo.jpg")), "JPEG 8 srgb");
  ASSERT_TRUE(SaveImage32ToFile(Image32, File("thirtytwo.png")));
  TImage32 Back;
  ASSERT_TRUE(LoadImage32FromFile(Back, File("thirtytwo.png")));
  ASSERT_EQ(Back.Size, Image32.Size);
  for (int32_t K = 0; K < Back.Size; ++K) EXPECT_EQ(Back.Pixels[K].Value, Image32.Pixels[K].Value);
  // An empty image and a format without 32 bits give False.
  TImage32 Empty;
  EXPECT_FALSE(SaveImage32ToFile(Empty, File("empty.png")));
  EXPECT_FALSE(SaveImage32ToFile(Image32, File("thirtytwo.exr")));
  EXPECT_FALSE(FileThere(File("empty.png")));
}

TEST_F(ImageSaveTest, VBPPSavesTheDeeperImage) {
  TImageVBPP Picture;
  FIICCPROFILE None = EmptyICCProfile();
  EXPECT_FALSE(SaveImageVBPPToFile(Picture, File("none.png"), None));
  EXPECT_FALSE(FileThere(File("none.png")));
  Picture.Image32.Alloc(2, 2);
  for (int32_t K = 0; K < 4; ++K) Picture.Image32.Pixels[K].Value = 0x80FF0000u;
  ASSERT_TRUE(SaveImageVBPPToFile(Picture, File("eight.png"), None));
  MakeWords(Picture.Image64);
  ASSERT_TRUE(SaveImageVBPPToFile(Picture, File("sixteen.png"), None));
  FIBITMAP* Eight = FreeImage_Load(FIF_PNG, File("eight.png").c_str(), 0);
  FIBITMAP* Sixteen = FreeImage_Load(FIF_PNG, File("sixteen.png").c_str(), 0);
  ASSERT_NE(Eight, nullptr);
  ASSERT_NE(Sixteen, nullptr);
  EXPECT_EQ(FreeImage_GetBPP(Eight), 32u);
  EXPECT_EQ(FreeImage_GetBPP(Sixteen), 48u);
  FreeImage_Unload(Eight);
  FreeImage_Unload(Sixteen);
}

TEST_F(ImageSaveTest, FloatImagesSaveAsRoundedWords) {
  TImage128 Float;
  Float.Alloc(2, 2);
  Float.Data[0] = {0.25f, 0.5f, 2.0f, 1.0f};  // blue, green, red, alpha
  Float.Data[1] = {-1.0f, 0.125f, 1.0f, 0.0f};
  Float.Data[2] = Float.Data[3] = {0.0f, 0.0f, 0.0f, 0.0f};
  FIICCPROFILE None = EmptyICCProfile();
  ASSERT_TRUE(SaveImage128ToFile(Float, File("float.tif"), None));
  TImage64 Back;
  ASSERT_TRUE(LoadImage64FromFile(Back, File("float.tif"), false, 1.0f));
  EXPECT_EQ(Pixels64(Back), (std::vector<TWords>{{65535, 32768, 16384, 65535},
                                                  {65535, 8192, 0, 65535},
                                                  {0, 0, 0, 65535},
                                                  {0, 0, 0, 65535}}));
  TImage128 Empty;
  EXPECT_FALSE(SaveImage128ToFile(Empty, File("empty.tif"), None));
  EXPECT_FALSE(FileThere(File("empty.tif")));
}

TEST_F(ImageSaveTest, CreateFreeBitmapFromImage64) {
  TImage64 Empty;
  EXPECT_EQ(CreateFreeBitmapFromImage64(Empty), nullptr);
  EXPECT_EQ(Errors(), std::vector<std::string>{"Error in CreateFreeBitmapFromImage64: Zero size"});
  TImage64 Image;
  MakeWords(Image);
  FIBITMAP* B = CreateFreeBitmapFromImage64(Image);
  ASSERT_NE(B, nullptr);
  EXPECT_EQ(FreeImage_GetImageType(B), FIT_RGBA16);
  EXPECT_EQ(FreeImage_GetBPP(B), 64u);
  // FreeImage's last scan line is the image's top row.
  const FIRGBA16* Top = reinterpret_cast<const FIRGBA16*>(FreeImage_GetScanLine(B, 3));
  EXPECT_EQ(Top[1].red, Image.Pixels[1].R);
  EXPECT_EQ(Top[1].alpha, Image.Pixels[1].A);
  FreeImage_Unload(B);
}

TEST_F(ImageSaveTest, ProfileBytesToFile) {
  FIICCPROFILE None = EmptyICCProfile();
  EXPECT_FALSE(FIICCProfileSaveToFile(None, File("none.icc")));
  EXPECT_EQ(Errors(), std::vector<std::string>{"Error in FIICCProfileSaveToFile: source data is nil"});
  EXPECT_FALSE(FileThere(File("none.icc")));

  cmsHPROFILE P = cmsCreate_sRGBProfile();
  FIICCPROFILE Record = CmsProfileToMemory(P);
  cmsCloseProfile(P);
  ASSERT_NE(Record.data, nullptr);
  ASSERT_GT(Record.size, 128u);
  ASSERT_TRUE(FIICCProfileSaveToFile(Record, File("srgb.icc")));
  const std::vector<uint8_t> Bytes = ReadBytes(File("srgb.icc"));
  EXPECT_EQ(Bytes, std::vector<uint8_t>(static_cast<uint8_t*>(Record.data),
                                        static_cast<uint8_t*>(Record.data) + Record.size));
  // The bytes are a whole profile: its header states its size.
  EXPECT_EQ(uint32_t(Bytes[0]) << 24 | Bytes[1] << 16 | Bytes[2] << 8 | Bytes[3], Record.size);
  cmsHPROFILE Reopened = cmsOpenProfileFromMem(Record.data, Record.size);
  EXPECT_NE(Reopened, nullptr);
  if (Reopened != nullptr) cmsCloseProfile(Reopened);
  FreeICCProfileData(Record);
  EXPECT_EQ(CmsProfileToMemory(nullptr).data, nullptr);
}

}  // namespace
}  // namespace kromel
