// LibRaw before FreeImage (see raw_metadata.h).
#include "fileio/raw_metadata.h"
#include "fileio/raw_files.h"

#include <filesystem>
#include <map>
#include <random>

#include "fileio/image_metadata.h"
#include "fileio_test_support.h"

namespace kromel {
namespace {

using namespace fileio_test;

// What LoadImage64FromRawFile hands back besides the picture.
struct TRawResult {
  bool Ok = false;
  std::array<uint16_t, 3> Clip = {1, 2, 3};
  float R = -1, G = -1, B = -1;
  std::array<double, 9> Matrix = {9, 9, 9, 9, 9, 9, 9, 9, 9};
};

class RawFilesTest : public FileIOTest {
protected:
  void SetUp() override {
    FileIOTest::SetUp();
    MakeSentinel64(Image);
    // The swap file goes to the temporary folder: a folder of this test's own.
    const char* Old = std::getenv("TMPDIR");
    OldTmpDir = Old != nullptr ? Old : "";
    HadTmpDir = Old != nullptr;
    SwapDir = File("swap");
    std::filesystem::create_directories(SwapDir);
    ::setenv("TMPDIR", SwapDir.c_str(), 1);
  }
  void TearDown() override {
    if (HadTmpDir)
      ::setenv("TMPDIR", OldTmpDir.c_str(), 1);
    else
      ::unsetenv("TMPDIR");
    RawMemoryImagePixelLimit = 64000000;
    Image.Dispose();
    FileIOTest::TearDown();
  }
  std::string WriteDng(const TDngFixture& Fixture, const std::string& Name = "test.dng") {
    const std::string Path = File(Name);
    WriteBytes(Path, MakeTestDng(Fixture));
    return Path;
  }
  TRawResult Decode(const std::string& Path, int32_t OutputColor, int32_t Highlight = 0,
                    FIBITMAP* Holder = nullptr) {
    TRawResult Res;
    Res.Ok = LoadImage64FromRawFile(Image, Path, OutputColor, false, Res.Clip, Highlight, 3, 0,
                                    Res.R, Res.G, Res.B, Res.Matrix, Holder);
    return Res;
  }
  bool SwapFolderEmpty() const { return std::filesystem::is_empty(SwapDir); }

  TImage64 Image;
  std::string SwapDir, OldTmpDir;
  bool HadTmpDir = false;
};

// LibRaw's own view of a file decoded with the same settings, for the values
// the decoder passes on.
struct TLibRawView {
  TLibRawView(const std::string& Path, int32_t OutputColor, int32_t Highlight = 0) {
    Raw = libraw_init(0);
    Ok = libraw_open_file(Raw, Path.c_str()) == LIBRAW_SUCCESS &&
         libraw_unpack(Raw) == LIBRAW_SUCCESS;
    libraw_set_output_bps(Raw, 16);
    libraw_set_highlight(Raw, Highlight);
    libraw_set_output_color(Raw, OutputColor);
    libraw_set_demosaic(Raw, 3);
    libraw_set_gamma(Raw, 0, 1.0f);
    libraw_set_gamma(Raw, 1, 1.0f);
    libraw_set_no_auto_bright(Raw, 1);
    libraw_set_bright(Raw, 1.0f);
    Ok = Ok && libraw_dcraw_process(Raw) == LIBRAW_SUCCESS;
    for (int I = 0; I < 3; ++I)
      for (int J = 0; J < 3; ++J) RgbCam[I * 3 + J] = double(libraw_get_rgb_cam(Raw, I, J));
    for (int C = 0; C < 4; ++C) {
      Pre[C] = libraw_get_pre_mul(Raw, C);
      Cam[C] = libraw_get_cam_mul(Raw, C);
    }
  }
  ~TLibRawView() { libraw_close(Raw); }
  libraw_data_t* Raw;
  bool Ok = false;
  std::array<double, 9> RgbCam{};
  float Pre[4], Cam[4];
};

TEST_F(RawFilesTest, DngDecodesToLinear16BitWithOpaqueAlpha) {
  TDngFixture Fixture;
  Fixture.Red = 12000;
  Fixture.Green = 20000;
  Fixture.Blue = 30000;
  const std::string Path = WriteDng(Fixture);
  const TRawResult Res = Decode(Path, 0);
  ASSERT_TRUE(Res.Ok);
  ASSERT_EQ(Image.Width, int32_t(Fixture.Width));
  ASSERT_EQ(Image.Height, int32_t(Fixture.Height));
  // Raw colour, linear, no brightening: the flat raw values come back.
  for (int32_t K = 0; K < Image.Size; ++K) {
    EXPECT_EQ(Image.Pixels[K].A, 65535);
    EXPECT_NEAR(Image.Pixels[K].R, 12000, 30);
    EXPECT_NEAR(Image.Pixels[K].G, 20000, 30);
    EXPECT_NEAR(Image.Pixels[K].B, 30000, 30);
  }
  // Multipliers cam / pre (AsShotNeutral 1/2, 1, 4/5); the matrix is
  // LibRaw's own.
  TLibRawView View(Path, 0);
  ASSERT_TRUE(View.Ok);
  EXPECT_FLOAT_EQ(Res.R, View.Cam[0] / View.Pre[0]);
  EXPECT_FLOAT_EQ(Res.G, View.Cam[1] / View.Pre[1]);
  EXPECT_FLOAT_EQ(Res.B, View.Cam[2] / View.Pre[2]);
  EXPECT_NEAR(Res.R, 2.0, 0.01);
  EXPECT_NEAR(Res.B, 1.25, 0.01);
  EXPECT_EQ(Res.Matrix, View.RgbCam);
  EXPECT_NEAR(Res.Matrix[0], 1.0, 0.01);
  EXPECT_TRUE(Errors().empty());
  EXPECT_TRUE(SwapFolderEmpty());
}

TEST_F(RawFilesTest, HighlightModeSetsTheClipWords) {
  const std::string Path = WriteDng(TDngFixture{});
  const std::map<int32_t, uint16_t> Cases = {{0, 65535}, {1, 42000}, {2, 42000}};
  for (const auto& [Mode, Clip] : Cases) {
    const TRawResult Res = Decode(Path, 0, Mode);
    ASSERT_TRUE(Res.Ok) << Mode;
    EXPECT_EQ(Res.Clip, (std::array<uint16_t, 3>{Clip, Clip, Clip})) << Mode;
  }
}

TEST_F(RawFilesTest, OutputColourMatricesFollowTheCameraMatrix) {
  const std::string Path = WriteDng(TDngFixture{});
  const std::map<int32_t, std::array<double, 9>> Outputs = {{2, RawAdobeRGBMatrix},
                                                            {4, RawProPhotoMatrix}};
  for (const auto& [Output, Fixed] : Outputs) {
    SCOPED_TRACE(Output);
    TLibRawView View(Path, Output);
    ASSERT_TRUE(View.Ok);
    const TRawResult Res = Decode(Path, Output);
    ASSERT_TRUE(Res.Ok);
    // Matrix = fixed x camera; multipliers from the matrix applied to the
    // inverse as-shot multipliers.
    const double Inv[3] = {View.Pre[0] / View.Cam[0], View.Pre[1] / View.Cam[1],
                           View.Pre[2] / View.Cam[2]};
    for (int I = 0; I < 3; ++I) {
      double Row = 0;
      for (int J = 0; J < 3; ++J) {
        double M = 0;
        for (int K = 0; K < 3; ++K) M += Fixed[I * 3 + K] * View.RgbCam[K * 3 + J];
        EXPECT_NEAR(Res.Matrix[I * 3 + J], M, 1e-12);
        Row += M * Inv[J];
      }
      const float Mul = I == 0 ? Res.R : I == 1 ? Res.G : Res.B;
      EXPECT_NEAR(Mul, 1.0 / std::max(Row, 0.00001), 1e-4);
    }
  }
}

TEST_F(RawFilesTest, MissingAsShotWhiteGivesUnityMultipliers) {
  TDngFixture Fixture;
  Fixture.Neutral.clear();
  const std::string Path = WriteDng(Fixture);
  TLibRawView View(Path, 0);
  const TRawResult Res = Decode(Path, 0);
  ASSERT_TRUE(Res.Ok);
  if (View.Cam[0] == 0 || View.Cam[1] == 0 || View.Cam[2] == 0) {
    EXPECT_EQ(Res.R, 1.0f);
    EXPECT_EQ(Res.G, 1.0f);
    EXPECT_EQ(Res.B, 1.0f);
  } else {
    EXPECT_FLOAT_EQ(Res.R, View.Cam[0] / View.Pre[0]);
  }
}

TEST_F(RawFilesTest, LargePicturesGoThroughASwapFileOfTheirOwn) {
  TDngFixture Fixture;
  Fixture.Red = 5000;
  Fixture.Green = 40000;
  Fixture.Blue = 9000;
  const std::string Path = WriteDng(Fixture);
  ASSERT_TRUE(Decode(Path, 1).Ok);
  const std::vector<TWords> InMemory = Pixels64(Image);
  RawMemoryImagePixelLimit = 100;  // below this picture's 768 pixels
  const TRawResult Res = Decode(Path, 1);
  ASSERT_TRUE(Res.Ok);
  EXPECT_EQ(Image.Width, int32_t(Fixture.Width));
  EXPECT_EQ(Pixels64(Image), InMemory);
  EXPECT_TRUE(SwapFolderEmpty());
  EXPECT_TRUE(Errors().empty());
}

// The swap-file path turns the picture as the memory image does, for every
// TIFF orientation.
TEST_F(RawFilesTest, SwapFilePathKeepsTheOrientation) {
  for (uint16_t Orientation = 1; Orientation <= 8; ++Orientation) {
    SCOPED_TRACE(Orientation);
    TDngFixture Fixture;
    Fixture.Orientation = Orientation;
    Fixture.DarkCorner = true;
    const std::string Path = WriteDng(Fixture);
    RawMemoryImagePixelLimit = 64000000;
    ASSERT_TRUE(Decode(Path, 1).Ok);
    const int32_t MemoryWidth = Image.Width;
    const std::vector<TWords> InMemory = Pixels64(Image);
    RawMemoryImagePixelLimit = 100;
    ASSERT_TRUE(Decode(Path, 1).Ok);
    EXPECT_EQ(Image.Width, MemoryWidth);
    EXPECT_EQ(Image.Width, int32_t(Orientation >= 5 ? Fixture.Height : Fixture.Width));
    EXPECT_EQ(Pixels64(Image), InMemory);
  }
  EXPECT_TRUE(SwapFolderEmpty());
  EXPECT_TRUE(Errors().empty());
}

TEST_F(RawFilesTest, MetadataHolderReceivesTheCamerasTags) {
  FIBITMAP* Holder = FreeImage_Allocate(10, 10, 24);
  ASSERT_TRUE(Decode(WriteDng(TDngFixture{}), 0, 0, Holder).Ok);
  auto Text = [&](const char* Key) -> std::string {
    FITAG* Tag = nullptr;
    if (!FreeImage_GetMetadata(FIMD_EXIF_EXIF, Holder, Key, &Tag)) return "(none)";
    return static_cast<const char*>(FreeImage_GetTagValue(Tag));
  };
  EXPECT_EQ(Text("CameraInfo"), "Kromel");
  EXPECT_EQ(Text("Model"), "TestCam");
  EXPECT_EQ(Text("Software"), "Fixture 1");
  EXPECT_EQ(Text("CameraOwnerName"), "Tester");
  EXPECT_EQ(Text("LensMake"), "Kromel Optics");
  EXPECT_EQ(Text("LensModel"), "Test 50mm");
  std::string Listing;
  GetImageMetadataText(Listing, Holder, FIMD_EXIF_EXIF);
  EXPECT_NE(Listing.find("[5] FNumber: 2.80\n"), std::string::npos) << Listing;
  EXPECT_NE(Listing.find("[5] FocalLength: 50.00\n"), std::string::npos) << Listing;
  EXPECT_NE(Listing.find("[3] ISOSpeedRatings: 400\n"), std::string::npos) << Listing;
  // ISO x shutter / f-number squared, not ISO alone.
  EXPECT_FLOAT_EQ(GetExifExposureInfo(Holder, FIMD_EXIF_EXIF), float(400 * (1.0 / 8000) / 7.84));
  FreeImage_Unload(Holder);
}

TEST_F(RawFilesTest, TruncatedAndGarbageRawFilesFailCleanly) {
  const std::vector<uint8_t> Whole = MakeTestDng(TDngFixture{});
  std::vector<std::vector<uint8_t>> Bad;
  for (size_t Keep : {size_t(8), size_t(100), size_t(600), Whole.size() / 2, Whole.size() - 2})
    Bad.emplace_back(Whole.begin(), Whole.begin() + long(Keep));
  std::mt19937 Random(3);
  std::vector<uint8_t> Garbage(4000);
  for (uint8_t& X : Garbage) X = uint8_t(Random());
  Bad.push_back(Garbage);
  std::vector<uint8_t> Headed(Whole.begin(), Whole.begin() + 8);
  Headed.insert(Headed.end(), Garbage.begin(), Garbage.end());
  Bad.push_back(Headed);
  Bad.push_back(MakeRGB16Tiff(8, 8, std::vector<uint16_t>(8 * 8 * 3, 1000)));
  Bad.push_back({});
  const std::vector<TWords> Before = Pixels64(Image);
  for (size_t I = 0; I < Bad.size(); ++I) {
    SCOPED_TRACE(I);
    const std::string Path = File("bad" + std::to_string(I) + ".dng");
    WriteBytes(Path, Bad[I]);
    const TRawResult Res = Decode(Path, 1);
    EXPECT_FALSE(Res.Ok);
    EXPECT_EQ(Pixels64(Image), Before);
    EXPECT_EQ(Res.Clip, (std::array<uint16_t, 3>{1, 2, 3}));
    EXPECT_EQ(Res.R, -1.0f);
    EXPECT_EQ(Res.Matrix[0], 9.0);
  }
  EXPECT_FALSE(Decode(File("missing.dng"), 1).Ok);
  EXPECT_TRUE(SwapFolderEmpty());
}

// ---- the swap file on its own -----------------------------------------------

TEST_F(RawFilesTest, SwapFileIsUniqueAndLeavesNothingBehind) {
  TRawSwapFile A, B;
  ASSERT_TRUE(A.Create());
  ASSERT_TRUE(B.Create());
  EXPECT_NE(A.Path(), B.Path());
  EXPECT_EQ(A.Path().rfind(SwapDir + "/krmllibraw_", 0), 0u) << A.Path();
  EXPECT_TRUE(SwapFolderEmpty());
  const std::vector<uint16_t> Words = {1, 2, 3, 4, 5, 6};
  ASSERT_TRUE(A.Write(Words.data(), 12));
  TImage64 Image;
  ASSERT_TRUE(A.ReadInto(Image, 2, 1, 3));
  EXPECT_EQ(Pixels64(Image), (std::vector<TWords>{{1, 2, 3, 65535}, {4, 5, 6, 65535}}));
  EXPECT_FALSE(A.IsOpen());
  ASSERT_TRUE(B.Write(Words.data(), 4));
  ASSERT_TRUE(B.ReadInto(Image, 2, 1, 1));
  EXPECT_EQ(Pixels64(Image), (std::vector<TWords>{{1, 1, 1, 65535}, {2, 2, 2, 65535}}));
  EXPECT_TRUE(Errors().empty());
}

TEST_F(RawFilesTest, FailedSwapReadDisposesTheImage) {
  struct TCase {
    int64_t Bytes;
    int32_t W, H, Samples;
    const char* Message;
  };
  const TCase Cases[] = {
      {10, 2, 1, 3, "LoadImage64FromRawFile error reading swap file: wrong size"},
      {16, 2, 1, 3, "LoadImage64FromRawFile error reading swap file: wrong size"},
      {16, 2, 1, 4, nullptr},
      {8, 2, 1, 2, "LoadImage64FromRawFile error reading swap file"},
  };
  const std::vector<uint16_t> Words(8, 7);
  for (const TCase& C : Cases) {
    ClearErrors();
    TRawSwapFile Swap;
    ASSERT_TRUE(Swap.Create());
    ASSERT_TRUE(Swap.Write(Words.data(), C.Bytes));
    TImage64 Image;
    MakeSentinel64(Image);
    const bool Ok = Swap.ReadInto(Image, C.W, C.H, C.Samples);
    EXPECT_FALSE(Swap.IsOpen());
    if (C.Message == nullptr) {
      EXPECT_TRUE(Ok);
      EXPECT_EQ(Image.Size, 2);
    } else {
      EXPECT_FALSE(Ok);
      EXPECT_EQ(Image.Size, 0);
      EXPECT_EQ(Image.Width, 0);
      EXPECT_EQ(Image.Pixels, nullptr);
      EXPECT_EQ(Errors(), std::vector<std::string>{C.Message});
    }
  }
  // Reading after a failed create or twice fails the same way.
  TRawSwapFile Closed;
  TImage64 Image;
  MakeSentinel64(Image);
  EXPECT_FALSE(Closed.ReadInto(Image, 2, 1, 3));
  EXPECT_EQ(Image.Pixels, nullptr);
  EXPECT_TRUE(SwapFolderEmpty());
}

// ---- names, limits, multipliers, capabilities --------------------------------

TEST(RawFileNames, ExtensionList) {
  EXPECT_STREQ(RawFileExtensions,
               "*.3fr;*.ari;*.arw;*.crw;*.cr2;*.dcr;*.dng;*.eip;*.fff;*.iiq;*.mef;*.mos;*.mrw;"
               "*.mxf;*.nef;*.orf;*.pef;*.r3d;*.raf;*.rw2;*.srw;*.x3f");
  const std::string List = RawFileExtensions;
  EXPECT_EQ(std::count(List.begin(), List.end(), ';') + 1, 22);
  size_t Start = 0;
  while (Start < List.size()) {
    const size_t End = std::min(List.find(';', Start), List.size());
    EXPECT_TRUE(IsRawFileExtension("/photos/shot" + List.substr(Start + 1, End - Start - 1)));
    Start = End + 1;
  }
  const std::map<std::string, bool> Cases = {
      {"a.CR2", true},   {"a.cr2", true},       {"a.Cr2", true},    {"x/y.dng", true},
      {"a.tif", false},  {"cr2", false},        {"a.cr", false},    {"a.cr2x", false},
      {"a.raw", false},  {"dir.cr2/file", false}, {"", false}};
  for (const auto& [Name, Want] : Cases) EXPECT_EQ(IsRawFileExtension(Name), Want) << Name;
}

TEST(RawDecoding, SwapFileLimitIs64MillionPixels) {
  EXPECT_TRUE(RawNeedsSwapFile(8000, 8001));
  EXPECT_FALSE(RawNeedsSwapFile(8000, 8000));
  EXPECT_FALSE(RawNeedsSwapFile(64000000, 1));
  EXPECT_TRUE(RawNeedsSwapFile(64000001, 1));
}

TEST(RawDecoding, WhiteBalanceMultipliers) {
  struct TCase {
    const char* Name;
    float Pre[4], Cam[4];
    float R, G, B;
  };
  const TCase Cases[] = {
      {"three colours: G from the first green", {2, 1, 0.5f, 1}, {4, 3, 2, 0}, 2, 3, 4},
      {"four colours: mean of both greens", {2, 1, 0.5f, 2}, {4, 3, 2, 5}, 2, 2.75f, 4},
      {"no first green pre-multiplier", {2, 0, 0.5f, 2}, {4, 3, 2, 5}, 2, 2.5f, 4},
      {"no pre-multipliers at all", {0, 0, 0, 0}, {4, 3, 2, 0}, 4, 3, 2},
      {"an as-shot 0 gives unity", {2, 1, 0.5f, 1}, {4, 0, 2, 0}, 1, 1, 1},
      {"an as-shot 0 in red", {2, 1, 0.5f, 1}, {0, 3, 2, 0}, 1, 1, 1},
  };
  for (const TCase& C : Cases) {
    float R, G, B;
    RawWhiteBalanceMultipliers(C.Pre, C.Cam, R, G, B);
    EXPECT_FLOAT_EQ(R, C.R) << C.Name;
    EXPECT_FLOAT_EQ(G, C.G) << C.Name;
    EXPECT_FLOAT_EQ(B, C.B) << C.Name;
  }
}

TEST(RawDecoding, CapabilitiesText) {
  std::string Text = "old";
  GetLibRawCapabilitiesText(Text);
  const unsigned Caps = libraw_capabilities();
  std::string Want;
  if (Caps & LIBRAW_CAPS_RAWSPEED) Want = "RawSpeed";
  if (Caps & LIBRAW_CAPS_DNGSDK) Want += Want.empty() ? "DNG SDK" : ", DNG SDK";
  EXPECT_EQ(Text, Want.empty() ? "Default" : Want);
}

}  // namespace
}  // namespace kromel
