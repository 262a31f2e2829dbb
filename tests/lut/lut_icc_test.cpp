#include "lut/lut_icc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "colour/channel_mixer.h"
#include "colour/icc_profiles.h"
#include "foundation/files.h"
#include "lut/lut_edit.h"
#include "lut_test_support.h"
#include "support/temp_dir.h"

namespace kromel {
namespace {

using test::LutTest;
using test::MakeIdentity;

using test::IdentityError;
using test::Planes;

class LutIcc : public LutTest {
 protected:
  void SetUp() override {
    LutTest::SetUp();
    SRGB = cmsCreate_sRGBProfile();
  }
  void TearDown() override {
    cmsCloseProfile(SRGB);
    LutTest::TearDown();
  }
  std::string SaveProfile(cmsHPROFILE P, const std::string& Name) {
    const std::string File = Dir.File(Name);
    EXPECT_TRUE(SaveProfileToFile(P, File));
    return File;
  }
  cmsHPROFILE SRGB = nullptr;
  testing::TTestTempDir Dir{"kromel_lut_icc"};
};

TEST_F(LutIcc, ConvertLUTProfileBetweenOneProfileAndItself) {
  T3DLut Lut;
  MakeIdentity(Lut, 17);
  ConvertLUTProfile(Lut, SRGB, SRGB);
  EXPECT_LT(IdentityError(Lut), 2e-3f);
  EXPECT_EQ(Lut.NLRH, 17);

  // Another LUT comes out limited to 0..1.
  T3DLut Bright;
  MakeIdentity(Bright, 9);
  for (int32_t i = 0; i < Bright.Count; ++i) {
    Bright.R[i] = 1.5f * Bright.R[i] - 0.2f;
    Bright.B[i] = 0.5f;
  }
  ConvertLUTProfile(Bright, SRGB, SRGB);
  for (int32_t i = 0; i < Bright.Count; ++i) {
    EXPECT_GE(Bright.R[i], 0.0f);
    EXPECT_LE(Bright.R[i], 1.0f);
  }
  EXPECT_NEAR(Bright.R[Bright.Count - 1], 1.0f, 1e-6);
  EXPECT_NEAR(Bright.B[Bright.Count / 2], 0.5f, 2e-3);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(LutIcc, ConvertLUTProfileMovesTheLutIntoTheOtherSpace) {
  // The identity of a wide space stays an identity in a narrower one.
  cmsHPROFILE Wide = CreateProPhotoRGBProfile();
  T3DLut Lut;
  MakeIdentity(Lut, 9);
  ConvertLUTProfile(Lut, Wide, SRGB);
  EXPECT_LT(IdentityError(Lut), 5e-3f);
  // A LUT that inverts the colour: its conversion still inverts grey.
  T3DLut Invert;
  MakeIdentity(Invert, 9);
  for (int32_t i = 0; i < Invert.Count; ++i) {
    Invert.R[i] = 1 - Invert.R[i];
    Invert.G[i] = 1 - Invert.G[i];
    Invert.B[i] = 1 - Invert.B[i];
  }
  ConvertLUTProfile(Invert, SRGB, Wide);
  EXPECT_NEAR(Invert.R[0], 1.0f, 2e-3);
  EXPECT_NEAR(Invert.R[Invert.Count - 1], 0.0f, 2e-3);
  cmsCloseProfile(Wide);

  // Without profiles only the clamp runs.
  T3DLut Over;
  MakeIdentity(Over, 5);
  Over.G[3] = 1.7f;
  ConvertLUTProfile(Over, nullptr, SRGB);
  EXPECT_EQ(Over.G[3], 1.0f);
  EXPECT_EQ(Over.R[1], 0.25f);
}

TEST_F(LutIcc, IdentityAbstractProfileGivesIdentityLut) {
  const std::vector<uint8_t> Abstract = CreateAbstractLabProfile(33);
  const std::string File = Dir.File("identity.icc");
  ASSERT_TRUE(SaveBufferToFile(File, Abstract.data(), int64_t(Abstract.size())));
  T3DLut Lut;
  ASSERT_TRUE(ICCTo3DLUT(File, Lut, SRGB, true, ipSRGB, false));
  EXPECT_EQ(Lut.NLRH, 81);
  EXPECT_EQ(Lut.NLGS, 81);
  EXPECT_EQ(Lut.NLBL, 81);
  EXPECT_EQ(Lut.Name, File);
  EXPECT_LT(IdentityError(Lut), 2e-3f);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(LutIcc, InputProfileIsSampled) {
  cmsHPROFILE Input = CreateRec709Profile();
  cmsSetDeviceClass(Input, cmsSigInputClass);
  const std::string File = SaveProfile(Input, "input.icc");
  cmsCloseProfile(Input);
  T3DLut Lut;
  ASSERT_TRUE(ICCTo3DLUT(File, Lut, SRGB, true, ipSRGB, true));
  EXPECT_EQ(Lut.NLRH, 81);
  EXPECT_EQ(Lut.Name, File);
  // Black stays black and white stays white through the input chain.
  EXPECT_NEAR(Lut.R[0], 0.0f, 2e-3);
  EXPECT_NEAR(Lut.G[Lut.Count - 1], 1.0f, 2e-3);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(LutIcc, RefusedProfilesLeaveTheLut) {
  T3DLut Lut;
  MakeIdentity(Lut, 5);
  Lut.R[7] = 0.123f;
  Lut.Name = "kept";
  const std::vector<float> Before = Planes(Lut);

  const std::string Display = SaveProfile(SRGB, "display.icc");
  const std::string Missing = Dir.File("missing.icc");
  const std::string Corrupt = Dir.File("corrupt.icc");
  std::string Bytes;
  ASSERT_TRUE(LoadFileToString(Display, Bytes));
  ASSERT_TRUE(SaveStringToFile(Corrupt, Bytes.substr(0, 60)));
  struct TCase {
    std::string File;
    std::string Message;
  } const Cases[] = {
      {Display, "Can't load profile from " + Display + ": not Abstract or Input class!"},
      {Missing, "Can't load profile from " + Missing + ": File not found"},
      {Corrupt, "Can't load profile from " + Corrupt + ": File corrupt?"},
  };
  for (const TCase& C : Cases) {
    test::LutMessages().clear();
    EXPECT_FALSE(ICCTo3DLUT(C.File, Lut, SRGB, true, ipSRGB, false));
    EXPECT_EQ(Messages(), std::vector<std::string>{C.Message});
    test::LutMessages().clear();
    EXPECT_FALSE(ICCTo3DLUT(C.File, Lut, SRGB, false, ipSRGB, false));
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Planes(Lut), Before);
    EXPECT_EQ(Lut.Name, "kept");
  }
  EXPECT_FALSE(ICCTo3DLUT("", Lut, SRGB, true, ipSRGB, false));

  // From a stream: whatever is left of it is the profile.
  TMemoryStream Empty;
  EXPECT_FALSE(ICCTo3DLUTFromStream(Empty, "x", Lut, SRGB, false, ipSRGB, false));
  const std::vector<uint8_t> Abstract = CreateAbstractLabProfile(5);
  TMemoryStream Stream(std::string_view(reinterpret_cast<const char*>(Abstract.data()), Abstract.size()));
  EXPECT_FALSE(ICCTo3DLUTFromStream(Stream, "x", Lut, nullptr, false, ipSRGB, false));
  EXPECT_EQ(Planes(Lut), Before);
  Stream.SetPosition(0);
  EXPECT_TRUE(ICCTo3DLUTFromStream(Stream, "stream", Lut, SRGB, false, ipSRGB, false));
  EXPECT_EQ(Lut.Name, "stream");
  EXPECT_EQ(Lut.NLRH, 81);
}

TEST_F(LutIcc, ChannelMixerFitIntoRecord) {
  T3DLut Lut;
  MakeIdentity(Lut, 17);
  TChannelMixerParams P;
  P.OffsetR = 0.5f;
  P.OffsetB = -1;
  ASSERT_TRUE(FitChannelMixerMatrix(Lut, P, ipSRGB, 2.2f));
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(P.Matrix[i], i % 4 == 0 ? 1.0 : 0.0, 1e-5);
  EXPECT_EQ(P.OffsetR, 0.0f);
  EXPECT_EQ(P.OffsetB, 0.0f);

  T3DLut Empty;
  TChannelMixerParams Kept;
  Kept.Matrix[0] = 7;
  Kept.OffsetG = 2;
  EXPECT_FALSE(FitChannelMixerMatrix(Empty, Kept, ipSRGB, 2.2f));
  EXPECT_EQ(Kept.Matrix[0], 7.0);
  EXPECT_EQ(Kept.OffsetG, 2.0f);
}

}  // namespace
}  // namespace kromel
