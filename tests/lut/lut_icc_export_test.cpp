#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "colour/cms_handles.h"
#include "colour/icc_profiles.h"
#include "colour/log_curves.h"
#include "foundation/files.h"
#include "platform/folders.h"
#include "lut/lut_icc_export.h"
#include "lut_test_support.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

namespace kromel {
namespace {

using test::LutTest;
using test::MakeIdentity;

struct TKind {
  cmsProfileClassSignature Class;
  const char* Suffix;
  int InputEntries;
  bool HasB2A0;
};

const TKind Kinds[] = {
    {cmsSigAbstractClass, " AbstractICC KRML", 2, false},
    {cmsSigOutputClass, " PrinterICC KRML", 2, true},
    {cmsSigDisplayClass, " KRML", 2, true},
    {cmsSigInputClass, " KRML", 256, false},
};

class LutIccExport : public LutTest {
 protected:
  void SetUp() override {
    LutTest::SetUp();
    SRGB.reset(cmsCreate_sRGBProfile());
  }
  bool Save(const T3DLut& Lut, const std::string& File, cmsProfileClassSignature Class,
            int32_t Size = 32, const std::string& Base = "", bool LogC = false) {
    return SaveICC(Lut, File, Size, SRGB.get(), ipSRGB, Class, LogC, false, Base,
                   INTENT_RELATIVE_COLORIMETRIC);
  }
  static std::vector<uint8_t> RawTag(cmsHPROFILE P, cmsTagSignature Sig) {
    std::vector<uint8_t> Tag(cmsReadRawTag(P, Sig, nullptr, 0));
    if (!Tag.empty()) cmsReadRawTag(P, Sig, Tag.data(), static_cast<cmsUInt32Number>(Tag.size()));
    return Tag;
  }
  static std::string MLUText(cmsHPROFILE P, cmsTagSignature Sig) {
    auto* M = static_cast<cmsMLU*>(cmsReadTag(P, Sig));
    if (M == nullptr) return "";
    char Text[256] = {};
    cmsMLUgetASCII(M, "en", "US", Text, sizeof Text);
    return Text;
  }
  TProfilePtr SRGB;
  testing::TTestTempDir Dir{"kromel_lut_icc_export"};
};

TEST(IccGrid, OddGridWithinOneByte) {
  const int32_t Cases[][2] = {{32, 33}, {33, 33}, {17, 17}, {2, 3}, {1, 3}, {254, 255}, {255, 255}, {256, 255}};
  for (const auto& C : Cases) EXPECT_EQ(ICCGridPoints(C[0]), C[1]) << C[0];
}

// Every kind carries the tags and texts of its table row.
TEST_F(LutIccExport, KindsCarryTheirTags) {
  T3DLut Lut;
  MakeIdentity(Lut, 17);
  for (const TKind& K : Kinds) {
    const std::string File = Dir.File("Look.icc");
    std::remove(File.c_str());
    ASSERT_TRUE(Save(Lut, File, K.Class)) << K.Suffix;
    TProfilePtr P(cmsOpenProfileFromFile(File.c_str(), "r"));
    ASSERT_TRUE(P);
    EXPECT_EQ(cmsGetDeviceClass(P.get()), K.Class);
    EXPECT_EQ(cmsGetPCS(P.get()), cmsSigLabData);
    EXPECT_EQ(cmsGetColorSpace(P.get()),
              K.Class == cmsSigAbstractClass ? cmsSigLabData : cmsSigRgbData);
    EXPECT_EQ(MLUText(P.get(), cmsSigProfileDescriptionTag), std::string("Look") + K.Suffix);
    EXPECT_EQ(MLUText(P.get(), cmsSigCopyrightTag), "No copyright, use freely");
    auto* W = static_cast<cmsCIEXYZ*>(cmsReadTag(P.get(), cmsSigMediaWhitePointTag));
    ASSERT_NE(W, nullptr);
    EXPECT_NEAR(W->X, 0.9642, 1e-4);
    EXPECT_NEAR(W->Y, 1.0, 1e-4);
    EXPECT_NEAR(W->Z, 0.82491, 1e-4);
    auto* Bk = static_cast<cmsCIEXYZ*>(cmsReadTag(P.get(), cmsSigMediaBlackPointTag));
    ASSERT_NE(Bk, nullptr);
    EXPECT_NEAR(Bk->X + Bk->Y + Bk->Z, 0.0, 1e-4);
    auto* Chad = static_cast<cmsFloat64Number*>(cmsReadTag(P.get(), cmsSigChromaticAdaptationTag));
    ASSERT_NE(Chad, nullptr);
    EXPECT_NEAR(Chad[0], 1.048035, 1e-4);
    EXPECT_NEAR(Chad[2], -0.050171, 1e-4);
    EXPECT_NEAR(Chad[8], 0.752151, 1e-4);
    const std::vector<uint8_t> A2B0 = RawTag(P.get(), cmsSigAToB0Tag);
    ASSERT_TRUE(ICCMFTData::IsValid3x3Tag(A2B0.data(), int64_t(A2B0.size())));
    EXPECT_EQ(A2B0[10], 33);
    EXPECT_EQ(ICCMFTData::GetInputEntries(A2B0.data()), K.InputEntries);
    const std::vector<uint8_t> B2A0 = RawTag(P.get(), cmsSigBToA0Tag);
    EXPECT_EQ(!B2A0.empty(), K.HasB2A0);
    if (K.HasB2A0) EXPECT_EQ(B2A0[10], 33);
  }
}

// Input tables: the input profile's shaper, LogC ends of a printer profile.
TEST_F(LutIccExport, InputTables) {
  T3DLut Lut;
  MakeIdentity(Lut, 9);
  const std::string Input = Dir.File("in.icc"), Printer = Dir.File("pr.icc");
  ASSERT_TRUE(Save(Lut, Input, cmsSigInputClass, 9));
  ASSERT_TRUE(Save(Lut, Printer, cmsSigOutputClass, 9, "", true));
  auto Q = [](float V) { return static_cast<uint16_t>(std::nearbyint(65535.0f * V)); };
  TProfilePtr P(cmsOpenProfileFromFile(Input.c_str(), "r"));
  std::vector<uint8_t> T = RawTag(P.get(), cmsSigAToB0Tag);
  for (int i : {0, 1, 64, 128, 255})
    EXPECT_EQ(ICCMFTData::GetInputEntry(T.data(), 2, i),
              Q(LinearToGammaByProfile(ipSRGB, LinearToGammaByProfile(ipSRGB, i / 255.0f))))
        << i;
  P.reset(cmsOpenProfileFromFile(Printer.c_str(), "r"));
  T = RawTag(P.get(), cmsSigAToB0Tag);
  EXPECT_EQ(ICCMFTData::GetInputEntry(T.data(), 0, 0), Q(LinearToLogC(0)));
  EXPECT_EQ(ICCMFTData::GetInputEntry(T.data(), 1, 1), Q(LinearToLogC(4)));
}

// The caller's LUT is left as it was; the profile holds the clamped copy.
TEST_F(LutIccExport, CallersLutNotClamped) {
  T3DLut Lut;
  MakeIdentity(Lut, 5);
  Lut.R[Lut.Count - 1] = 1.5f;
  Lut.G[0] = -0.25f;
  ASSERT_TRUE(Save(Lut, Dir.File("c.icc"), cmsSigDisplayClass, 5));
  EXPECT_EQ(Lut.R[Lut.Count - 1], 1.5f);
  EXPECT_EQ(Lut.G[0], -0.25f);
}

// A base whose A2B0 is no consistent lut16 stops the export: no file.
TEST_F(LutIccExport, InvalidBaseA2B0WritesNothing) {
  TProfilePtr Base(cmsCreateProfilePlaceholder(nullptr));
  cmsSetDeviceClass(Base.get(), cmsSigDisplayClass);
  cmsSetColorSpace(Base.get(), cmsSigRgbData);
  cmsSetPCS(Base.get(), cmsSigLabData);
  std::vector<uint8_t> Tag = NewICCMFTData(2, 5);
  Tag.resize(Tag.size() - 40);  // grid and tables promise more than is there
  ASSERT_TRUE(cmsWriteRawTag(Base.get(), cmsSigAToB0Tag, Tag.data(), cmsUInt32Number(Tag.size())));
  const std::string BaseFile = Dir.File("base.icc");
  ASSERT_TRUE(SaveProfileToFile(Base.get(), BaseFile));
  T3DLut Lut;
  MakeIdentity(Lut, 5);
  const std::string Out = Dir.File("out.icc");
  EXPECT_FALSE(Save(Lut, Out, cmsSigDisplayClass, 5, BaseFile));
  EXPECT_TRUE(Reported("Invalid A2B0 record of base profile " + BaseFile));
  EXPECT_FALSE(FileExists(Out));
  // A missing base is refused the same way.
  EXPECT_FALSE(Save(Lut, Out, cmsSigDisplayClass, 5, Dir.File("none.icc")));
  EXPECT_FALSE(FileExists(Out));
}

// On a valid base the base's grid and other tags stay.
TEST_F(LutIccExport, BaseProfileKeepsItsGrid) {
  T3DLut Lut;
  MakeIdentity(Lut, 9);
  const std::string BaseFile = Dir.File("base.icc"), Out = Dir.File("On Base.icc");
  ASSERT_TRUE(Save(Lut, BaseFile, cmsSigInputClass, 17));
  ASSERT_TRUE(Save(Lut, Out, cmsSigInputClass, 33, BaseFile));
  TProfilePtr P(cmsOpenProfileFromFile(Out.c_str(), "r"));
  ASSERT_TRUE(P);
  const std::vector<uint8_t> T = RawTag(P.get(), cmsSigAToB0Tag);
  EXPECT_EQ(T[10], 17);
  EXPECT_EQ(ICCMFTData::GetInputEntries(T.data()), 256);
  EXPECT_EQ(MLUText(P.get(), cmsSigProfileDescriptionTag), "On Base KRML");
}

// Little CMS's own tool runs Lab through an identity abstract profile.
TEST_F(LutIccExport, IdentityAbstractThroughTransicc) {
  if (!testing::ProgramAvailable("transicc")) GTEST_SKIP() << "transicc not found";
  T3DLut Lut;
  MakeIdentity(Lut, 33);
  const std::string File = Dir.File("identity.icc");
  ASSERT_TRUE(Save(Lut, File, cmsSigAbstractClass, 33));
  const double Labs[][3] = {{50, 0, 0}, {50, 10, -10}, {70, -20, 30}, {30, 15, 5}, {90, 2, 8}};
  std::string Input;
  for (const auto& L : Labs)
    Input += std::to_string(L[0]) + " " + std::to_string(L[1]) + " " + std::to_string(L[2]) + "\n";
  testing::WriteText(Dir.File("in.txt"), Input);
  const std::string Out = Dir.File("out.txt");
  ASSERT_EQ(testing::RunProgram({"transicc", "-n", "-t1", "-l" + File}, Out, false,
                                 Dir.File("in.txt")),
            0)
      << testing::ReadText(Out);
  std::istringstream S(testing::ReadText(Out));
  for (const auto& L : Labs) {
    double l = -1, a = -1, b = -1;
    ASSERT_TRUE(S >> l >> a >> b) << testing::ReadText(Out);
    EXPECT_NEAR(l, L[0], 0.1);
    EXPECT_NEAR(a, L[1], 0.1);
    EXPECT_NEAR(b, L[2], 0.1);
  }
}

// Argyll's iccdump reads every kind of export.
TEST_F(LutIccExport, EveryKindReadByIccdump) {
  if (!testing::ProgramAvailable("iccdump")) GTEST_SKIP() << "iccdump not found";
  T3DLut Lut;
  test::MakeRamp(Lut, 9);
  for (const TKind& K : Kinds) {
    const std::string File = Dir.File("dump.icc");
    ASSERT_TRUE(Save(Lut, File, K.Class, 9));
    const std::string Out = Dir.File("dump.txt");
    ASSERT_EQ(testing::RunProgram({"iccdump", "-v", "3", File}, Out), 0) << K.Suffix;
    const std::string Dump = testing::ReadText(Out);
    for (const char* Expected : {"'A2B0'", "'wtpt'", "'bkpt'", "'chad'", "'cprt'", "'desc'"})
      EXPECT_NE(Dump.find(Expected), std::string::npos) << K.Suffix << " " << Expected;
    EXPECT_EQ(Dump.find("'B2A0'") != std::string::npos, K.HasB2A0) << K.Suffix;
    EXPECT_EQ(Dump.find("rror"), std::string::npos) << Dump;
  }
}

}  // namespace
}  // namespace kromel
