#include "fileio/image_metadata.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "fileio_test_support.h"

namespace kromel {
namespace {

using namespace fileio_test;

// The holder bitmap the main window keeps beside the picture.
class MetadataTest : public FileIOTest {
protected:
  void SetUp() override {
    FileIOTest::SetUp();
    Holder = FreeImage_Allocate(10, 10, 24);
  }
  void TearDown() override {
    FreeImage_Unload(Holder);
    FileIOTest::TearDown();
  }
  FITAG* Find(FREE_IMAGE_MDMODEL Model, const char* Key) {
    FITAG* Tag = nullptr;
    return FreeImage_GetMetadata(Model, Holder, Key, &Tag) ? Tag : nullptr;
  }
  // Numerator and denominator of a stored RATIONAL tag.
  std::pair<uint32_t, uint32_t> Rational(const char* Key) {
    FITAG* Tag = Find(FIMD_EXIF_EXIF, Key);
    EXPECT_NE(Tag, nullptr) << Key;
    if (Tag == nullptr) return {0, 0};
    EXPECT_EQ(FreeImage_GetTagType(Tag), FIDT_RATIONAL);
    uint32_t V[2];
    std::memcpy(V, FreeImage_GetTagValue(Tag), 8);
    return {V[0], V[1]};
  }
  FIBITMAP* Holder = nullptr;
};

TEST(RationalTags, DenominatorFollowsTheValuesSize) {
  struct TCase {
    double Value;
    uint32_t Num, Den;
  };
  const TCase Cases[] = {
      {2.8, 2800, 1000},          {50.0, 50000, 1000},
      {1.0, 1000, 1000},          {0.5, 5000, 10000},
      {1.0 / 8000, 1250, 10000000}, {0.00025, 2500, 10000000},
      {1.0 / 30, 3333, 100000},   {0.0, 0, 1000},
      {-3.0, 0, 1000},            {NAN, 0, 1000},
      {1e12, 4294967295u, 1},     {5e7, 500000000, 10}};
  for (const TCase& C : Cases) {
    uint32_t N = 7, D = 7;
    RationalTagParts(C.Value, N, D);
    EXPECT_EQ(N, C.Num) << C.Value;
    EXPECT_EQ(D, C.Den) << C.Value;
  }
}

TEST_F(MetadataTest, TagWritersStoreTypedValues) {
  EXPECT_TRUE(FreeImage_AddStringTag(FIMD_EXIF_EXIF, Holder, "Model", "TestCam"));
  EXPECT_FALSE(FreeImage_AddStringTag(FIMD_EXIF_EXIF, Holder, "Empty", ""));
  EXPECT_FALSE(FreeImage_AddStringTag(FIMD_EXIF_EXIF, nullptr, "Model", "X"));
  FreeImage_AddRationalTag(Holder, FIMD_EXIF_EXIF, "FNumber", 2.8);
  FreeImage_AddRationalTag(Holder, FIMD_EXIF_EXIF, "Shutter", 1.0 / 8000);
  FreeImage_AddShortTag(Holder, FIMD_EXIF_EXIF, "ISOSpeedRatings", 70000);

  FITAG* Model = Find(FIMD_EXIF_EXIF, "Model");
  ASSERT_NE(Model, nullptr);
  EXPECT_EQ(FreeImage_GetTagType(Model), FIDT_ASCII);
  EXPECT_EQ(FreeImage_GetTagCount(Model), 8u);
  EXPECT_STREQ(static_cast<const char*>(FreeImage_GetTagValue(Model)), "TestCam");
  EXPECT_EQ(Find(FIMD_EXIF_EXIF, "Empty"), nullptr);
  EXPECT_EQ(Rational("FNumber"), std::make_pair(2800u, 1000u));
  // Not 0/1000 any more.
  EXPECT_EQ(Rational("Shutter"), std::make_pair(1250u, 10000000u));
  FITAG* ISO = Find(FIMD_EXIF_EXIF, "ISOSpeedRatings");
  ASSERT_NE(ISO, nullptr);
  EXPECT_EQ(FreeImage_GetTagType(ISO), FIDT_SHORT);
  EXPECT_EQ(*static_cast<const uint16_t*>(FreeImage_GetTagValue(ISO)), 70000 & 0xFFFF);
  EXPECT_EQ(Find(FIMD_EXIF_MAIN, "Model"), nullptr);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(MetadataTest, ExposureFigure) {
  struct TCase {
    const char* Name;
    int ISO;               // 0: no tag
    double ExposureTime;   // 0: no tag
    double Shutter;        // 0: no tag
    double FNumber;        // < 0: no tag
    double ApertureValue;  // < 0: no tag
    float Want;
  };
  const TCase Cases[] = {
      {"ISO, time and APEX aperture 4 (f/4)", 200, 0.01, 0, -1, 4, 0.125f},
      {"APEX aperture 6 is f/8", 100, 0.5, 0, -1, 6, 100 * 0.5f / 64},
      {"f-number wins over the APEX value", 100, 0.5, 0, 2.0, 6, 100 * 0.5f / 4},
      {"an f-number of 0 falls back to the APEX value", 100, 0.5, 0, 0.0, 2, 100 * 0.5f / 4},
      {"RAW tags: FNumber and Shutter", 400, 0, 1.0 / 8000, 2.8,
       -1, float(400 * (1.0 / 8000) / (2.8 * 2.8))},
      {"exposure time wins over Shutter", 100, 0.25, 0.5, 1.0, -1, 25.0f},
      {"ISO alone", 800, 0, 0, -1, -1, 800.0f},
      {"no tags", 0, 0, 0, -1, -1, 1.0f},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    FIBITMAP* B = FreeImage_Allocate(10, 10, 24);
    if (C.ISO) FreeImage_AddShortTag(B, FIMD_EXIF_EXIF, "ISOSpeedRatings", C.ISO);
    if (C.ExposureTime) FreeImage_AddRationalTag(B, FIMD_EXIF_EXIF, "ExposureTime", C.ExposureTime);
    if (C.Shutter) FreeImage_AddRationalTag(B, FIMD_EXIF_EXIF, "Shutter", C.Shutter);
    if (C.FNumber >= 0) FreeImage_AddRationalTag(B, FIMD_EXIF_EXIF, "FNumber", C.FNumber);
    if (C.ApertureValue >= 0)
      FreeImage_AddRationalTag(B, FIMD_EXIF_EXIF, "ApertureValue", C.ApertureValue);
    EXPECT_FLOAT_EQ(GetExifExposureInfo(B, FIMD_EXIF_EXIF), C.Want);
    EXPECT_FLOAT_EQ(GetExifExposureInfo(B, FIMD_EXIF_MAIN), 1.0f);
    FreeImage_Unload(B);
  }
  EXPECT_FLOAT_EQ(GetExifExposureInfo(nullptr, FIMD_EXIF_EXIF), 1.0f);
}

TEST_F(MetadataTest, MetadataTextListsEveryTag) {
  FreeImage_AddStringTag(FIMD_EXIF_MAIN, Holder, "Make", "Kromel");
  FreeImage_AddShortTag(Holder, FIMD_EXIF_MAIN, "Orientation", 6);
  FreeImage_AddRationalTag(Holder, FIMD_EXIF_MAIN, "XResolution", 300);
  // A type the listing does not spell out, and an UNDEFINED one.
  FITAG* Tag = FreeImage_CreateTag();
  const int16_t Signed = -5;
  FreeImage_SetTagKey(Tag, "Offset");
  FreeImage_SetTagType(Tag, FIDT_SSHORT);
  FreeImage_SetTagCount(Tag, 1);
  FreeImage_SetTagLength(Tag, 2);
  FreeImage_SetTagValue(Tag, &Signed);
  FreeImage_SetMetadata(FIMD_EXIF_MAIN, Holder, "Offset", Tag);
  const uint8_t Bytes[2] = {42, 1};
  FreeImage_SetTagKey(Tag, "Version");
  FreeImage_SetTagType(Tag, FIDT_UNDEFINED);
  FreeImage_SetTagCount(Tag, 2);
  FreeImage_SetTagLength(Tag, 2);
  FreeImage_SetTagValue(Tag, Bytes);
  FreeImage_SetMetadata(FIMD_EXIF_MAIN, Holder, "Version", Tag);
  FreeImage_DeleteTag(Tag);

  std::string Text = "old";
  GetImageMetadataText(Text, Holder, FIMD_EXIF_MAIN);
  for (const char* Line : {"[2] Make: Kromel\n", "[3] Orientation: 6\n", "[5] XResolution: 300.00\n",
                           "[8] Offset: Unhandled type 8\n", "[7] Version: 42\n"})
    EXPECT_NE(Text.find(Line), std::string::npos) << Line << " in\n" << Text;
  EXPECT_EQ(std::count(Text.begin(), Text.end(), '\n'), 5);
  GetImageMetadataText(Text, Holder, FIMD_EXIF_GPS);
  EXPECT_EQ(Text, "");
}

// A model whose last tag was removed is still listed by FreeImage, and its
// search then hands out a stale tag (a 16-bit TIFF with a profile decodes
// that way here: every EXIF tag of its main directory is dropped).
TEST_F(MetadataTest, EmptiedModelListsNothing) {
  FreeImage_AddStringTag(FIMD_EXIF_MAIN, Holder, "Make", "Kromel");
  FreeImage_AddShortTag(Holder, FIMD_EXIF_EXIF, "ISOSpeedRatings", 200);
  FreeImage_SetMetadata(FIMD_EXIF_MAIN, Holder, "Make", nullptr);
  FreeImage_SetMetadata(FIMD_EXIF_EXIF, Holder, "ISOSpeedRatings", nullptr);
  std::string Text = "old";
  GetImageMetadataText(Text, Holder, FIMD_EXIF_MAIN);
  EXPECT_EQ(Text, "");
  EXPECT_FLOAT_EQ(GetExifExposureInfo(Holder, FIMD_EXIF_EXIF), 1.0f);
}

}  // namespace
}  // namespace kromel
