// ICC profile records and loading a picture into another picture's profile.
#include <lcms2.h>

#include <cstdlib>
#include <cstring>

#include "fileio/image_files.h"
#include "fileio/image_save.h"
#include "fileio_test_support.h"

namespace kromel {
namespace {

using namespace fileio_test;

std::vector<uint8_t> ProfileBytes(cmsHPROFILE P) {
  FIICCPROFILE R = CmsProfileToMemory(P);
  cmsCloseProfile(P);
  std::vector<uint8_t> B(static_cast<uint8_t*>(R.data), static_cast<uint8_t*>(R.data) + R.size);
  FreeICCProfileData(R);
  return B;
}

// A wide-gamut RGB profile (Adobe RGB primaries, gamma 2.2).
cmsHPROFILE WideProfile() {
  const cmsCIExyY White = {0.3127, 0.3290, 1.0};
  const cmsCIExyYTRIPLE Primaries = {{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
  cmsToneCurve* Gamma = cmsBuildGamma(nullptr, 2.2);
  cmsToneCurve* Curves[3] = {Gamma, Gamma, Gamma};
  cmsHPROFILE P = cmsCreateRGBProfile(&White, &Primaries, Curves);
  cmsFreeToneCurve(Gamma);
  return P;
}

FIICCPROFILE RecordOf(std::vector<uint8_t>& Bytes) {
  return FIICCPROFILE{0, uint32_t(Bytes.size()), Bytes.data()};
}

// 4 x 3 words, opaque and not.
void MakePicture(TImage64& I) {
  I.Init();
  I.Alloc(4, 3);
  for (int32_t K = 0; K < I.Size; ++K)
    I.Pixels[K] = {uint16_t(K * 5000 + 1000), uint16_t(60000 - K * 4000), uint16_t(K * 2500),
                   uint16_t(K % 2 ? 65535 : 30000)};
}

TEST(ICCProfileRecords, FreeAndCopy) {
  FIICCPROFILE A{5, 3, std::malloc(3)};
  std::memcpy(A.data, "abc", 3);
  FIICCPROFILE B = EmptyICCProfile();
  CopyICCProfileData(A, B);
  ASSERT_NE(B.data, nullptr);
  EXPECT_NE(B.data, A.data);
  EXPECT_EQ(B.flags, 5);
  EXPECT_EQ(B.size, 3u);
  EXPECT_EQ(std::memcmp(B.data, "abc", 3), 0);
  // Copying a record onto itself keeps its bytes.
  CopyICCProfileData(B, B);
  ASSERT_NE(B.data, nullptr);
  EXPECT_EQ(std::memcmp(B.data, "abc", 3), 0);
  // A source without data empties the target's data but copies the size.
  CopyICCProfileData(7, 9, nullptr, B);
  EXPECT_EQ(B.data, nullptr);
  EXPECT_EQ(B.size, 9u);
  EXPECT_EQ(B.flags, 7);
  // Freeing keeps the flags, zeroes the size; an empty record stays so.
  FreeICCProfileData(A);
  EXPECT_EQ(A.data, nullptr);
  EXPECT_EQ(A.size, 0u);
  EXPECT_EQ(A.flags, 5);
  FreeICCProfileData(A);
  EXPECT_EQ(A.data, nullptr);
}

class ConvertToProfileTest : public FileIOTest {
protected:
  void SetUp() override {
    FileIOTest::SetUp();
    SRGB = ProfileBytes(cmsCreate_sRGBProfile());
    Wide = ProfileBytes(WideProfile());
    MakePicture(Picture);
  }
  void TearDown() override {
    Picture.Dispose();
    FileIOTest::TearDown();
  }
  // The picture saved as a 48-bit TIFF tagged with Profile (none when empty).
  std::string Saved(const std::string& Name, std::vector<uint8_t> Profile) {
    const std::string Path = File(Name);
    FIICCPROFILE Record = Profile.empty() ? EmptyICCProfile() : RecordOf(Profile);
    EXPECT_TRUE(SaveImage64ToFile(Picture, Path, Record));
    return Path;
  }
  std::vector<uint8_t> SRGB, Wide;
  TImage64 Picture;
};

TEST_F(ConvertToProfileTest, EmptyTargetReceivesTheEmbeddedProfile) {
  const std::string Path = Saved("wide.tif", Wide);
  FIICCPROFILE Target = EmptyICCProfile();
  TImage64 Image;
  ASSERT_TRUE(LoadImage64FromFileConvertToProfile(Image, Path, Target, 1.0f));
  ASSERT_NE(Target.data, nullptr);
  EXPECT_EQ(std::vector<uint8_t>(static_cast<uint8_t*>(Target.data),
                                 static_cast<uint8_t*>(Target.data) + Target.size),
            Wide);
  // Pixels as they were (the file is opaque 48-bit).
  EXPECT_EQ(Image.Pixels[2].R, Picture.Pixels[2].R);
  EXPECT_EQ(Image.Pixels[2].A, 65535);
  FreeICCProfileData(Target);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(ConvertToProfileTest, TaggedPictureIsConvertedIntoTheTarget) {
  const std::string Path = Saved("wide.tif", Wide);
  FIICCPROFILE Target = RecordOf(SRGB);
  TImage64 Image;
  ASSERT_TRUE(LoadImage64FromFileConvertToProfile(Image, Path, Target, 1.0f));
  EXPECT_EQ(Target.data, SRGB.data());
  EXPECT_EQ(Target.size, SRGB.size());
  // What Little CMS makes of the saved words, relative colorimetric.
  cmsHPROFILE In = cmsOpenProfileFromMem(Wide.data(), Wide.size());
  cmsHPROFILE Out = cmsOpenProfileFromMem(SRGB.data(), SRGB.size());
  cmsHTRANSFORM T = cmsCreateTransform(In, TYPE_RGB_16, Out, TYPE_RGB_16,
                                       INTENT_RELATIVE_COLORIMETRIC, 0);
  ASSERT_NE(T, nullptr);
  ASSERT_EQ(Image.Size, Picture.Size);
  bool Changed = false;
  for (int32_t K = 0; K < Image.Size; ++K) {
    const uint16_t Source[3] = {Picture.Pixels[K].R, Picture.Pixels[K].G, Picture.Pixels[K].B};
    uint16_t Want[3];
    cmsDoTransform(T, Source, Want, 1);
    EXPECT_EQ(Words(Image.Pixels[K]), (TWords{Want[0], Want[1], Want[2], 65535}));
    Changed |= Want[0] != Source[0];
  }
  EXPECT_TRUE(Changed);
  cmsDeleteTransform(T);
  cmsCloseProfile(In);
  cmsCloseProfile(Out);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(ConvertToProfileTest, UntaggedOrSameProfilePicturesAreTakenAsTheyAre) {
  struct TCase {
    std::string Name;
    std::vector<uint8_t> Embedded;
  };
  cmsToneCurve* Linear = cmsBuildGamma(nullptr, 1.0);
  const std::vector<uint8_t> Grey = ProfileBytes(cmsCreateGrayProfile(cmsD50_xyY(), Linear));
  cmsFreeToneCurve(Linear);
  for (const TCase& C : {TCase{"untagged.tif", {}}, TCase{"same.tif", SRGB},
                         TCase{"grey.tif", Grey}}) {
    SCOPED_TRACE(C.Name);
    const std::string Path = Saved(C.Name, C.Embedded);
    FIICCPROFILE Target = RecordOf(SRGB);
    TImage64 Image;
    ASSERT_TRUE(LoadImage64FromFileConvertToProfile(Image, Path, Target, 1.0f));
    EXPECT_EQ(Target.data, SRGB.data());
    ASSERT_EQ(Image.Size, Picture.Size);
    for (int32_t K = 0; K < Image.Size; ++K) {
      TPixel64 Want = Picture.Pixels[K];
      Want.A = 65535;
      EXPECT_EQ(Words(Image.Pixels[K]), Words(Want));
    }
    EXPECT_TRUE(Errors().empty());
  }
}

// An embedded profile Little CMS cannot open counts as none: the pixels load
// as they are and no junk comes back as the picture's profile.
TEST_F(ConvertToProfileTest, CorruptEmbeddedProfileCountsAsNone) {
  std::vector<uint8_t> Broken(300, 0x5A);
  const std::string Path = Saved("broken.tif", Broken);
  FIICCPROFILE Target = RecordOf(SRGB);
  TImage64 Image;
  MakeSentinel64(Image);
  ASSERT_TRUE(LoadImage64FromFileConvertToProfile(Image, Path, Target, 1.0f));
  EXPECT_EQ(Target.data, SRGB.data());
  ASSERT_EQ(Image.Size, Picture.Size);
  EXPECT_EQ(Image.Pixels[2].R, Picture.Pixels[2].R);
  EXPECT_TRUE(Errors().empty());
  FIICCPROFILE Empty = EmptyICCProfile();
  ASSERT_TRUE(LoadImage64FromFileConvertToProfile(Image, Path, Empty, 1.0f));
  EXPECT_EQ(Empty.data, nullptr);
  EXPECT_EQ(Empty.size, 0);
  EXPECT_EQ(Image.Pixels[2].G, Picture.Pixels[2].G);
  EXPECT_TRUE(Errors().empty());
}

}  // namespace
}  // namespace kromel
