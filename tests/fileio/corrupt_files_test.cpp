// Truncated and garbage files of every format: each loader refuses them with
// its message and leaves the caller's image and profile as they were.
#include <cstring>
#include <random>

#include "fileio/image_file_checks.h"
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
    EXPECT_TRUE(LoadImage64FromFile(Image, Suite->File(Name), false, 1.0f));
    EXPECT_GE(Image.Width, 30);
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

// A BMP header claiming Width x Height at 24 bits, followed by Extra bytes.
std::vector<uint8_t> BmpHeader(uint32_t Width, uint32_t Height, size_t Extra) {
  std::vector<uint8_t> B(54 + Extra, 0x40);
  auto Put32 = [&](size_t At, uint32_t V) {
    for (int K = 0; K < 4; ++K) B[At + K] = uint8_t(V >> (8 * K));
  };
  B[0] = 'B';
  B[1] = 'M';
  Put32(2, uint32_t(B.size()));
  Put32(6, 0);
  Put32(10, 54);
  Put32(14, 40);
  Put32(18, Width);
  Put32(22, Height);
  Put32(26, 1 | 24 << 16);
  for (size_t At = 30; At < 54; At += 4) Put32(At, 0);
  return B;
}

TEST(PictureSizeBound, PictureMustFitTheTypesAndTheFile) {
  struct TCase {
    int64_t Width, Height, Bpp, FileSize;
    bool Plausible;
  };
  const int64_t Max = MaxPictureBytesPerFileByte;
  const TCase Cases[] = {
      {4096, 1, 8, 1, true},             // exactly the bound
      {4097, 1, 8, 1, false},            // one byte over it
      {64, 64, 24, 3 * 64 * 64 / Max, true},
      {64, 64, 24, 3 * 64 * 64 / Max - 1, false},
      {8 * 4096, 1, 1, 1, true},         // 1-bit rows are counted in bytes
      {65536, 32768, 8, int64_t(1) << 40, false},  // 2^31 pixels do not fit
      {65535, 32768, 8, int64_t(1) << 40, true},
      {0, 10, 24, 1000, false},
      {10, -1, 24, 1000, false},
      {10, 10, 0, 1000, false},
      {10, 10, 24, 0, false},
      {int64_t(1) << 40, int64_t(1) << 40, 128, int64_t(1) << 60, false},
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(PlausiblePictureSize(C.Width, C.Height, C.Bpp, C.FileSize), C.Plausible)
        << C.Width << "x" << C.Height << "x" << C.Bpp << " in " << C.FileSize;
}

// Decoders allocate the picture a header names before reading its data: a
// 219-byte BMP naming 707,723,272 x 6 pixels took 12.7 GB, and one naming
// 20000 x 20000 took 1.2 GB and read zeros into all of it.
// An 8-bit run-length BMP of Width x Height whose data is only the
// end-of-picture code: a complete file, every pixel colour 0.
std::vector<uint8_t> EmptyRleBmp(uint32_t Width, uint32_t Height) {
  std::vector<uint8_t> B = BmpHeader(Width, Height, 1024 + 2);
  auto Put32 = [&](size_t At, uint32_t V) {
    for (int K = 0; K < 4; ++K) B[At + K] = uint8_t(V >> (8 * K));
  };
  Put32(10, 54 + 1024);
  Put32(26, 1 | 8 << 16);
  Put32(30, 1);  // BI_RLE8
  B[B.size() - 2] = 0;
  B[B.size() - 1] = 1;
  return B;
}

TEST_F(CorruptFilesTest, SmallFilesNamingHugePicturesAreRefused) {
  for (const auto& [W, H] : {std::pair<uint32_t, uint32_t>{707723272, 6}, {20000, 20000}}) {
    const std::vector<uint8_t> Bytes = BmpHeader(W, H, 165);
    TMemoryStream Stream(std::string(Bytes.begin(), Bytes.end()));
    TImage64 Image;
    EXPECT_FALSE(LoadImage64FromStream(Stream, Image, "huge.bmp", false, 1.0f)) << W;
    EXPECT_EQ(Image.Pixels, nullptr);
  }
  // A complete file that decodes, but names far more picture than its
  // bytes can describe, is refused too; one within the bound loads.
  for (const auto& [Side, Loads] : {std::pair<uint32_t, bool>{3000, false}, {1000, true}}) {
    const std::vector<uint8_t> Bytes = EmptyRleBmp(Side, Side);
    TMemoryStream Stream(std::string(Bytes.begin(), Bytes.end()));
    TImage64 Image;
    EXPECT_EQ(LoadImage64FromStream(Stream, Image, "rle.bmp", false, 1.0f), Loads) << Side;
  }
  // A whole small BMP still loads.
  std::vector<uint8_t> Small = BmpHeader(4, 2, 24);
  TMemoryStream Stream(std::string(Small.begin(), Small.end()));
  TImage64 Image;
  ASSERT_TRUE(LoadImage64FromStream(Stream, Image, "small.bmp", false, 1.0f));
  EXPECT_EQ(Image.Width, 4);
}

// Flat pictures compress far, but not beyond the bound.
TEST_F(CorruptFilesTest, LargeFlatPicturesStillLoad) {
  for (FREE_IMAGE_FORMAT Fif : {FIF_PNG, FIF_JPEG, FIF_TIFF}) {
    FIBITMAP* Flat = FreeImage_Allocate(3000, 2000, 24);
    ASSERT_NE(Flat, nullptr);
    const std::string Path = File("flat_" + std::to_string(int(Fif)));
    FIMEMORY* Memory = FreeImage_OpenMemory(nullptr, 0);
    ASSERT_TRUE(FreeImage_SaveToMemory(Fif, Flat, Memory, Fif == FIF_TIFF ? TIFF_LZW : 0));
    BYTE* Data = nullptr;
    DWORD Size = 0;
    ASSERT_TRUE(FreeImage_AcquireMemory(Memory, &Data, &Size));
    TMemoryStream Stream(std::string(reinterpret_cast<const char*>(Data), Size));
    FreeImage_CloseMemory(Memory);
    FreeImage_Unload(Flat);
    TImage64 Image;
    EXPECT_TRUE(LoadImage64FromStream(Stream, Image, Path, false, 1.0f)) << Path << " " << Size;
    EXPECT_EQ(Image.Width, 3000);
  }
}

// An OpenEXR file: magic, version 2 with Flags, then Headers, each a list
// of (name, type, declared length, value) attributes closed by a zero byte.
struct TExrAttribute {
  std::string Name, Type;
  uint32_t Length;
  std::string Value;
};
std::vector<uint8_t> ExrFile(uint32_t Flags, const std::vector<std::vector<TExrAttribute>>& Headers,
                             bool CloseList) {
  std::vector<uint8_t> B = {0x76, 0x2f, 0x31, 0x01};
  const uint32_t Version = 2 | Flags;
  for (int K = 0; K < 4; ++K) B.push_back(uint8_t(Version >> (8 * K)));
  for (const auto& Header : Headers) {
    for (const TExrAttribute& A : Header) {
      B.insert(B.end(), A.Name.begin(), A.Name.end());
      B.push_back(0);
      B.insert(B.end(), A.Type.begin(), A.Type.end());
      B.push_back(0);
      for (int K = 0; K < 4; ++K) B.push_back(uint8_t(A.Length >> (8 * K)));
      B.insert(B.end(), A.Value.begin(), A.Value.end());
    }
    B.push_back(0);
  }
  if (CloseList) B.push_back(0);
  return B;
}

// Multi-part and deep files are not decoded chunk by chunk here, but their
// headers are walked as the decoder reads them: an attribute naming 4 GB in
// a 155-byte file made it allocate and clear 4 GB before failing, and so
// did one hidden behind a channel list longer than its declared length (the
// decoder reads channel lists to their end, whatever the length says).
TEST(ExrChecks, HeadersOfMultiPartAndDeepFilesMustFitTheData) {
  const uint32_t MultiPart = 0x1000, Deep = 0x800;
  const std::string Channel = std::string("R\0", 2) + std::string(16, '\0');
  const std::vector<TExrAttribute> Fine = {{"comment", "string", 3, "abc"},
                                           {"channels", "chlist", 19, Channel + '\0'},
                                           {"pixelAspectRatio", "float", 4, "1234"}};
  std::vector<TExrAttribute> Huge = Fine;
  Huge.push_back({"compression", "opaque", 0x7ffeffffu, "x"});
  // A channel list declared 1 byte long, then an attribute naming 1.4 GB.
  const std::string Hidden = "I" + std::string(18, '\0') + "x" +
                             std::string(1, '\0') + "opaque" + std::string(1, '\0') +
                             "\xff\xff\xff\x50" + std::string(1, '\0');
  const std::vector<TExrAttribute> Misleading = {{"channels", "chlist", 1, Hidden}};
  // A float declared 100 bytes long is read as 4 bytes.
  const std::vector<TExrAttribute> ShortFloat = {{"gain", "float", 100, "1234"}};
  struct TCase {
    uint32_t Flags;
    std::vector<std::vector<TExrAttribute>> Headers;
    bool CloseList;
    bool Complete;
  };
  const TCase Cases[] = {
      {MultiPart, {Fine, Fine}, true, true},
      {MultiPart, {Fine, Huge}, true, false},
      {MultiPart, {Fine}, false, false},  // the list of headers never ends
      {MultiPart, {}, true, false},       // no part at all
      {MultiPart, {Misleading}, true, false},
      {MultiPart, {ShortFloat}, true, true},
      {Deep, {Fine}, false, true},
      {Deep, {Huge}, false, false},
  };
  for (const TCase& C : Cases) {
    const std::vector<uint8_t> B = ExrFile(C.Flags, C.Headers, C.CloseList);
    const TReadAt Read = [&](int64_t Pos, void* Buffer, int64_t Count) {
      if (Pos < 0 || Count < 0 || Pos + Count > int64_t(B.size())) return false;
      std::memcpy(Buffer, B.data() + Pos, size_t(Count));
      return true;
    };
    EXPECT_EQ(ExrDataComplete(Read, int64_t(B.size())), C.Complete)
        << C.Flags << " " << C.Headers.size() << " " << C.Complete;
  }
  // Names are read up to 255 characters whatever the flags say: a 33-letter
  // name hid a length of 2 GB from a walk that cut names at 32.
  std::vector<uint8_t> B = ExrFile(MultiPart, {}, false);
  B.insert(B.end(), 33, 'N');
  for (uint8_t Byte : {0, 0, 0, 0, 0, 0x7f}) B.push_back(Byte);
  B.insert(B.end(), 8, 0);
  const TReadAt Read = [&](int64_t Pos, void* Buffer, int64_t Count) {
    if (Pos < 0 || Count < 0 || Pos + Count > int64_t(B.size())) return false;
    std::memcpy(Buffer, B.data() + Pos, size_t(Count));
    return true;
  };
  EXPECT_FALSE(ExrDataComplete(Read, int64_t(B.size())));
}

// A GIF with a global colour table, a looping extension and one frame
// descriptor of Width x Height (no pixel data follows).
std::vector<uint8_t> GifHeader(uint16_t Width, uint16_t Height) {
  std::vector<uint8_t> B = {'G', 'I', 'F', '8', '9', 'a', 8, 0, 6, 0, 0x81, 0, 0};
  B.insert(B.end(), 12, 0x20);  // four colours
  const uint8_t Loop[] = {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.',
                          '0',  3,    1,  0,   0,   0};
  B.insert(B.end(), std::begin(Loop), std::end(Loop));
  const uint8_t Frame[] = {0x2C, 0, 0, 0, 0, uint8_t(Width), uint8_t(Width >> 8),
                           uint8_t(Height), uint8_t(Height >> 8), 0};
  B.insert(B.end(), std::begin(Frame), std::end(Frame));
  return B;
}

// GIF frames are decoded without a header-only read: a 547-byte GIF naming
// a 9,435 x 55,826 frame took 4.6 GB and half a minute before it was
// refused.
TEST(GifChecks, FrameMustFitTheFile) {
  struct TCase {
    std::vector<uint8_t> Bytes;
    bool Plausible;
  };
  std::vector<uint8_t> Trailer = GifHeader(8, 6);
  Trailer.resize(Trailer.size() - 10);
  Trailer.push_back(0x3B);
  std::vector<uint8_t> Cut = GifHeader(8, 6);
  Cut.resize(Cut.size() - 3);
  const TCase Cases[] = {
      {GifHeader(8, 6), true},
      {GifHeader(9435, 55826), false},
      {Trailer, false},  // no frame at all
      {Cut, false},      // the descriptor is cut short
  };
  for (const TCase& C : Cases) {
    const TReadAt Read = [&](int64_t Pos, void* Buffer, int64_t Count) {
      if (Pos < 0 || Count < 0 || Pos + Count > int64_t(C.Bytes.size())) return false;
      std::memcpy(Buffer, C.Bytes.data() + Pos, size_t(Count));
      return true;
    };
    EXPECT_EQ(GifFrameSizePlausible(Read, int64_t(C.Bytes.size())), C.Plausible)
        << C.Bytes.size();
  }
  const std::vector<uint8_t> Huge = GifHeader(9435, 55826);
  TMemoryStream Stream(std::string(Huge.begin(), Huge.end()));
  TImage64 Image;
  EXPECT_FALSE(LoadImage64FromStream(Stream, Image, "huge.gif", false, 1.0f));
}

}  // namespace
}  // namespace kromel
