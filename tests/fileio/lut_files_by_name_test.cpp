#include "fileio/lut_files_by_name.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "fileio/lut_image_files.h"
#include "fileio_test_support.h"
#include "foundation/files.h"
#include "lut/lut_file_3dl.h"
#include "lut/lut_file_cube.h"

namespace kromel {
namespace {

using fileio_test::FileIOTest;

// A 9-level LUT that no layout mix-up reads back unchanged.
void MakeLook(T3DLut& Lut) {
  ASSERT_TRUE(Lut.SetSize(9));
  Lut.SetDefault();
  for (int32_t I = 0; I < Lut.Count; ++I) {
    const float r = Lut.R[I], g = Lut.G[I], b = Lut.B[I];
    Lut.R[I] = 0.75f * r + 0.25f * b;
    Lut.G[I] = g * g;
    Lut.B[I] = 0.5f * b + 0.1f;
  }
}

float MaxDifference(const T3DLut& A, const T3DLut& B) {
  if (A.Count != B.Count || A.R == nullptr || B.R == nullptr) return 1e9f;
  float D = 0;
  for (int32_t I = 0; I < A.Count; ++I)
    D = std::max({D, std::fabs(A.R[I] - B.R[I]), std::fabs(A.G[I] - B.G[I]),
                  std::fabs(A.B[I] - B.B[I])});
  return D;
}

class LutFilesByNameTest : public FileIOTest {
 protected:
  void SetUp() override {
    FileIOTest::SetUp();
    SRGB = cmsCreate_sRGBProfile();
    MakeLook(Look);
  }
  void TearDown() override {
    cmsCloseProfile(SRGB);
    FileIOTest::TearDown();
  }
  std::string Folder(const std::string& Name) {
    std::filesystem::create_directories(Dir.Path / Name);
    return (Dir.Path / Name).string() + "/";
  }
  bool Load(T3DLut& Lut, const std::string& Name, bool ShowErrors = true) {
    return LoadFromFile(Lut, Name, ShowErrors, SRGB, ipSRGB, false);
  }
  cmsHPROFILE SRGB = nullptr;
  T3DLut Look;
};

TEST_F(LutFilesByNameTest, EachExtensionGoesToItsReader) {
  const std::string Cube = File("look.CuBe");
  const std::string ThreeDL = File("look.3DL");
  const std::string Hald = File("look.png");
  const std::string HaldTif = File("look.Tiff");
  const std::string Gpu = Folder("GpuImage") + "look.tif";
  ASSERT_TRUE(Save3dLutCube(Look, Cube, nullptr, "test", ""));
  ASSERT_TRUE(SaveTo3DL(Look, ThreeDL, nullptr, "test", "", "", true));
  ASSERT_TRUE(SaveLutToImageFile(Look, Hald, TLutImageLayout::Hald));
  ASSERT_TRUE(SaveLutToImageFile(Look, HaldTif, TLutImageLayout::Hald));
  ASSERT_TRUE(SaveLutToImageFile(Look, Gpu, TLutImageLayout::GPU));
  struct TCase {
    std::string File;
    float Tolerance;
  };
  const std::vector<TCase> Cases = {
      {Cube, 1e-5f}, {ThreeDL, 1.0f / 4095}, {Hald, 1.0f / 65535}, {HaldTif, 1.0f / 65535},
      {Gpu, 1.0f / 65535}};
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.File);
    T3DLut Lut;
    ASSERT_TRUE(Load(Lut, C.File));
    EXPECT_EQ(Lut.Size, 9);
    EXPECT_LE(MaxDifference(Lut, Look), C.Tolerance);
  }
  T3DLut Lut;
  ASSERT_TRUE(Load(Lut, Hald));
  EXPECT_EQ(Lut.Name, Hald);
  EXPECT_TRUE(Errors().empty());
}

// The folder counts: a GPU picture outside a "gpuimage" path is read as Hald.
TEST_F(LutFilesByNameTest, GpuLayoutFollowsThePath) {
  const std::string Gpu = Folder("gpuimage") + "look.png";
  const std::string Plain = Folder("other") + "look.png";
  ASSERT_TRUE(SaveLutToImageFile(Look, Gpu, TLutImageLayout::GPU));
  std::filesystem::copy_file(Gpu, Plain);
  T3DLut A, B;
  ASSERT_TRUE(Load(A, Gpu));
  ASSERT_TRUE(Load(B, Plain));
  EXPECT_LE(MaxDifference(A, Look), 1.0f / 65535);
  EXPECT_GT(MaxDifference(B, Look), 0.01f);
}

// .icc goes to the profile sampler, whose own message follows ShowErrors.
TEST_F(LutFilesByNameTest, IccFilesGoToTheProfileSampler) {
  const std::string Name = File("damaged.Icc");
  fileio_test::WriteBytes(Name, std::vector<uint8_t>(400, 7));
  T3DLut Lut;
  EXPECT_FALSE(Load(Lut, Name, false));
  EXPECT_TRUE(Errors().empty());
  EXPECT_FALSE(Load(Lut, Name, true));
  EXPECT_EQ(Errors(), std::vector<std::string>{"Can't load profile from " + Name +
                                               ": File corrupt?"});
  EXPECT_FALSE(Lut.HasPlanes());
}

TEST_F(LutFilesByNameTest, UnhandledExtensionsGiveFalseQuietly) {
  const std::string Cube = File("look.cube");
  ASSERT_TRUE(Save3dLutCube(Look, Cube, nullptr, "test", ""));
  for (const char* Ext : {".icm", ".dcp", ".krs", ""}) {
    SCOPED_TRACE(Ext);
    const std::string Name = File(std::string("copy") + Ext);
    std::filesystem::copy_file(Cube, Name);
    T3DLut Lut;
    ASSERT_TRUE(Lut.SetSize(3));
    Lut.Name = "kept";
    EXPECT_FALSE(Load(Lut, Name));
    EXPECT_EQ(Lut.Size, 3);
    EXPECT_EQ(Lut.Name, "kept");
  }
  EXPECT_TRUE(Errors().empty());
}

TEST_F(LutFilesByNameTest, UnloadablePictureIsAlwaysReported) {
  const std::string Missing = File("missing.png");
  const std::string Damaged = File("damaged.tif");
  fileio_test::WriteBytes(Damaged, std::vector<uint8_t>(300, 0x4D));
  for (const std::string& Name : {Missing, Damaged}) {
    ClearErrors();
    T3DLut Lut;
    EXPECT_FALSE(Load(Lut, Name, false));
    ASSERT_FALSE(Errors().empty());
    EXPECT_EQ(Errors().back(), "Failed to load LUT from " + Name);
    EXPECT_FALSE(Lut.HasPlanes());
  }
}

TEST(LutFileNames, Recognised) {
  struct TCase {
    const char* Name;
    bool Expected;
  };
  const TCase Cases[] = {
      {"a.3DL", true},      {"a.cube", true},    {"dir/a.Tiff", true}, {"a.icm", true},
      {"a.dcp", true},      {"a.PNG", true},     {"a.tif", true},      {"a.icc", true},
      {"a.krs", false},     {"a.lux", false},    {"noext", false},     {"a.cube.bak", false},
      {"dir.cube/a", false}, {"a.", false},      {"a.tiff2", false},   {"", false},
  };
  for (const TCase& C : Cases) EXPECT_EQ(IsLUTFileName(C.Name), C.Expected) << C.Name;
  EXPECT_STREQ(LUTFileNameFilter, "*.3dl;*.cube;*.png;*.tif;*.tiff;*.icc;*.icm;*.dcp");
}

TEST(LutInfoText, FourLines) {
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetSize(33));
  Lut.Name = "Look";
  EXPECT_EQ(GetInfoText(Lut),
            "LUT Name: Look\nLUT Size: 33\nLUT Color profile: \nLUT Input curve: \n");
  Lut.ImageProfile = "sRGB";
  Lut.InputGamma = "LogC";
  EXPECT_EQ(GetInfoText(Lut),
            "LUT Name: Look\nLUT Size: 33\nLUT Color profile: sRGB\nLUT Input curve: LogC\n");
}

}  // namespace
}  // namespace kromel
