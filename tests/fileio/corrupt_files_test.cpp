// Truncated and garbage files of every format: each loader refuses them with
// its message and leaves the caller's image and profile as they were.
#include <random>

#include "fileio/image_files.h"
#include "fileio_test_support.h"
#include "foundation/byte_stream.h"

namespace kromel {
namespace {

using namespace fileio_test;

class CorruptFilesTest : public FileIOTest {
protected:
  static void SetUpTestSuite() {
    Suite = new kromel::testing::TTestTempDir("kromel_fileio_corrupt");
    const std::string Out = Suite->File("convert.out");
    if (ProgramAvailable("convert")) {
      const std::string Source = Suite->File("source.png");
      TMagickBatch Batch;
      Batch.Add({"-size", "48x32", "-seed", "7", "plasma:"}, "PNG24:" + Source);
      Batch.Add({Source}, Suite->File("good.png"));
      Batch.Add({Source, "-depth", "16"}, "PNG48:" + Suite->File("good16.png"));
      Batch.Add({Source, "-depth", "16", "-type", "TrueColor"}, Suite->File("good.tif"));
      Batch.Add({Source}, Suite->File("good.jpg"));
      Batch.Add({Source, "-type", "TrueColor"}, "BMP3:" + Suite->File("good.bmp"));
      Batch.Add({Source}, Suite->File("good.tga"));
      Batch.Add({Source}, Suite->File("good.psd"));
      Batch.Run(Out);
      // A GIF from FreeImage (ImageMagick's palette writers are slow).
      FIBITMAP* Colour = FreeImage_Load(FIF_PNG, Source.c_str(), 0);
      FIBITMAP* Palette = Colour != nullptr ? FreeImage_ColorQuantize(Colour, FIQ_WUQUANT) : nullptr;
      if (Palette != nullptr) FreeImage_Save(FIF_GIF, Palette, Suite->File("good.gif").c_str(), 0);
      FreeImage_Unload(Palette);
      FreeImage_Unload(Colour);
    }
    // A TIFF with its directory first, so a cut falls in the pixels.
    std::vector<uint16_t> Samples(40 * 30 * 3);
    for (size_t I = 0; I < Samples.size(); ++I) Samples[I] = uint16_t(I * 977);
    WriteBytes(Suite->File("ifdfirst.tif"), MakeRGB16Tiff(40, 30, Samples));
    // A float OpenEXR from FreeImage.
    FIBITMAP* B = FreeImage_AllocateT(FIT_RGBAF, 40, 30);
    for (unsigned Y = 0; Y < 30; ++Y) {
      FIRGBAF* Line = reinterpret_cast<FIRGBAF*>(FreeImage_GetScanLine(B, int(Y)));
      for (unsigned X = 0; X < 40; ++X) Line[X] = {X / 40.0f, Y / 30.0f, 0.5f, 1.0f};
    }
    FreeImage_Save(FIF_EXR, B, Suite->File("good.exr").c_str(), 0);
    FreeImage_Unload(B);
  }
  static void TearDownTestSuite() {
    delete Suite;
    Suite = nullptr;
  }

  // Every loader must refuse the file and keep the image (and profile).
  void ExpectRefused(const std::string& Path) {
    SCOPED_TRACE(Path);
    ClearErrors();
    TImage64 Image64;
    TImage32 Image32;
    MakeSentinel64(Image64);
    MakeSentinel32(Image32);
    const std::vector<TWords> Before64 = Pixels64(Image64);
    EXPECT_FALSE(LoadImage64FromFile(Image64, Path, true, 1.0f));
    EXPECT_FALSE(LoadImage32FromFile(Image32, Path));
    uint8_t ProfileByte = 7;
    FIICCPROFILE Profile{0, 1, &ProfileByte};
    EXPECT_FALSE(LoadImage64FromFileConvertToProfile(Image64, Path, Profile, 1.0f));
    EXPECT_EQ(Profile.data, &ProfileByte);
    FIICCPROFILE Empty = EmptyICCProfile();
    EXPECT_FALSE(LoadImage64FromFileConvertToProfile(Image64, Path, Empty, 1.0f));
    EXPECT_EQ(Empty.data, nullptr);
    const std::vector<uint8_t> Bytes = ReadBytes(Path);
    TMemoryStream Stream(std::string_view(reinterpret_cast<const char*>(Bytes.data()), Bytes.size()));
    EXPECT_FALSE(LoadImage64FromStream(Stream, Image64, Path, false, 1.0f));
    EXPECT_FALSE(LoadImage32FromStream(Image32, Stream, true));
    EXPECT_EQ(Pixels64(Image64), Before64);
    EXPECT_EQ(Image64.Width, 3);
    EXPECT_EQ(Image32.Width, 3);
    EXPECT_EQ(Image32.Pixels[5].Value, 6u);
    const std::string Failed = "Failed to load image: " + Path;
    ASSERT_GE(Errors().size(), 5u);
    EXPECT_EQ(Errors()[0], Failed);
    EXPECT_EQ(Errors()[1], Failed);
    EXPECT_EQ(Errors()[2], Failed);
    EXPECT_EQ(Errors()[3], Failed);
    EXPECT_EQ(Errors()[4], Failed);
    Image64.Dispose();
    Image32.Dispose();
  }

  static std::vector<uint8_t> Garbage(size_t Count, unsigned Seed) {
    std::mt19937 Random(Seed);
    std::vector<uint8_t> B(Count);
    for (uint8_t& X : B) X = uint8_t(Random());
    return B;
  }

  static kromel::testing::TTestTempDir* Suite;
};
kromel::testing::TTestTempDir* CorruptFilesTest::Suite = nullptr;

const char* const Formats[] = {"good.png", "good16.png", "good.tif", "ifdfirst.tif", "good.jpg",
                               "good.bmp", "good.gif",   "good.tga", "good.psd",     "good.exr"};

TEST_F(CorruptFilesTest, IntactFixturesLoad) {
  for (const char* Name : Formats) {
    SCOPED_TRACE(Name);
    if (!FileThere(Suite->File(Name))) GTEST_SKIP() << "ImageMagick's convert is not installed";
    TImage64 Image;
    Image.Init();
    EXPECT_TRUE(LoadImage64FromFile(Image, Suite->File(Name), false, 1.0f));
    EXPECT_GE(Image.Width, 30);
    Image.Dispose();
  }
  EXPECT_TRUE(Errors().empty());
}

TEST_F(CorruptFilesTest, TruncatedFilesOfEveryFormatAreRefused) {
  for (const char* Name : Formats) {
    const std::vector<uint8_t> Whole = ReadBytes(Suite->File(Name));
    if (Whole.empty()) GTEST_SKIP() << "ImageMagick's convert is not installed";
    const size_t N = Whole.size();
    for (size_t Keep : {size_t(12), size_t(40), N / 10, N / 2, N * 9 / 10}) {
      const std::string Path = File(std::to_string(Keep) + "_" + Name);
      WriteBytes(Path, std::vector<uint8_t>(Whole.begin(), Whole.begin() + long(Keep)));
      ExpectRefused(Path);
    }
  }
}

TEST_F(CorruptFilesTest, FilesCutJustBeforeTheirEndAreRefused) {
  // Formats whose last bytes are picture data or a closing marker.
  for (const char* Name : {"good.png", "good16.png", "ifdfirst.tif", "good.jpg", "good.bmp",
                           "good.exr"}) {
    const std::vector<uint8_t> Whole = ReadBytes(Suite->File(Name));
    if (Whole.empty()) GTEST_SKIP() << "ImageMagick's convert is not installed";
    const std::string Path = File(std::string("cut_") + Name);
    WriteBytes(Path, std::vector<uint8_t>(Whole.begin(), Whole.end() - 2));
    ExpectRefused(Path);
  }
}

TEST_F(CorruptFilesTest, GarbageIsRefused) {
  unsigned Seed = 1;
  for (const char* Name : Formats) {
    // Random bytes under the format's name, and the format's first bytes
    // followed by random ones.
    ExpectRefused([&] {
      const std::string Path = File(std::string("garbage_") + Name);
      WriteBytes(Path, Garbage(3000, Seed++));
      return Path;
    }());
    const std::vector<uint8_t> Whole = ReadBytes(Suite->File(Name));
    if (Whole.size() < 16) continue;
    std::vector<uint8_t> Headed(Whole.begin(), Whole.begin() + 16);
    const std::vector<uint8_t> Tail = Garbage(Whole.size() - 16, Seed++);
    Headed.insert(Headed.end(), Tail.begin(), Tail.end());
    const std::string Path = File(std::string("headed_") + Name);
    WriteBytes(Path, Headed);
    ExpectRefused(Path);
  }
}

TEST_F(CorruptFilesTest, EmptyAndMissingFilesAreRefused) {
  const std::string Empty = File("empty.png");
  WriteBytes(Empty, {});
  ExpectRefused(Empty);
  ExpectRefused(File("missing.png"));
  ExpectRefused(Dir.Path.string());
}

}  // namespace
}  // namespace kromel
