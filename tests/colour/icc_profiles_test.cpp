#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "colour/icc_profiles.h"
#include "colour/log_gamma.h"
#include "foundation/error_sink.h"
#include "foundation/files.h"
#include "platform/process_runner.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

namespace kromel {
namespace {

std::vector<std::string> Recorded;
void Record(const std::string& Text) { Recorded.push_back(Text); }

class IccProfiles : public ::testing::Test {
 protected:
  void SetUp() override {
    Recorded.clear();
    Saved = ErrorMessageProc;
    ErrorMessageProc = Record;
  }
  void TearDown() override { ErrorMessageProc = Saved; }
  TErrorMessageCallback Saved = nullptr;
  testing::TTestTempDir Dir{"kromel_icc"};
};

uint32_t BE32(const std::vector<uint8_t>& B, std::size_t At) {
  return (uint32_t(B[At]) << 24) | (uint32_t(B[At + 1]) << 16) | (uint32_t(B[At + 2]) << 8) |
         B[At + 3];
}
uint32_t BE16(const std::vector<uint8_t>& B, std::size_t At) {
  return (uint32_t(B[At]) << 8) | B[At + 1];
}
std::string Chars(const std::vector<uint8_t>& B, std::size_t At) {
  return std::string(reinterpret_cast<const char*>(B.data() + At), 4);
}

// Runs a program with its standard output sent to /dev/null; its exit code.
int RunQuietly(const std::string& Program, const std::vector<std::string>& Args) {
  fflush(stdout);
  const int Saved = dup(STDOUT_FILENO);
  const int Null = open("/dev/null", O_WRONLY);
  dup2(Null, STDOUT_FILENO);
  close(Null);
  TProcessOptions Options;
  Options.StderrToStdout = true;
  const pid_t Pid = StartProcess(Program, Args, Options);
  dup2(Saved, STDOUT_FILENO);
  close(Saved);
  return Pid < 0 ? -1 : WaitForProcess(Pid);
}

struct TNamedSpace {
  cmsHPROFILE (*Create)();
  const char* Description;
  double Wx, Wy;  // white (x, y); 0 when given as a temperature
  double Temp;
  double P[6];  // red, green, blue (x, y)
};

const TNamedSpace Spaces[] = {
    {CreateAdobeRGBProfile, "AdobeRGB (1998)", 0, 0, 6504, {0.64, 0.33, 0.21, 0.71, 0.15, 0.06}},
    {CreateProPhotoRGBProfile, "ProPhoto RGB", 0.3457, 0.3585, 0,
     {0.7347, 0.2653, 0.1596, 0.8404, 0.0366, 0.0001}},
    {CreateProPhotoRGBLinearProfile, "ProPhoto RGB Linear", 0.3457, 0.3585, 0,
     {0.7347, 0.2653, 0.1596, 0.8404, 0.0366, 0.0001}},
    {CreateXYZLinearProfile, "XYZ Linear", 0.3457, 0.3585, 0, {1.0, 0.0, 0.0, 1.0, 0.0, 0.0}},
    {CreateMelissaRGBProfile, "Melissa RGB", 0.3457, 0.3585, 0,
     {0.7347, 0.2653, 0.1596, 0.8404, 0.0366, 0.0001}},
    {CreateSRGBLinearProfile, "SRGB Linear", 0.3127, 0.329, 0, {0.64, 0.33, 0.3, 0.6, 0.15, 0.06}},
    {CreateRec709Profile, "Rec 709 (HDTV)", 0.3127, 0.329, 0, {0.64, 0.33, 0.3, 0.6, 0.15, 0.06}},
    {CreateRec601Profile, "Rec 601-5", 0.3127, 0.329, 0, {0.63, 0.34, 0.31, 0.595, 0.155, 0.07}},
    {CreateDCIP3Profile, "DCI-P3", 0.314, 0.351, 0, {0.68, 0.32, 0.265, 0.69, 0.15, 0.06}},
    {CreateACESLinearProfile, "ACES Linear", 0, 0, 6000, {0.7347, 0.2653, 0.0, 1.0, 0.0001, -0.077}},
    {CreateACESccAP1Profile, "ACEScc AP1", 0, 0, 6000, {0.713, 0.293, 0.165, 0.83, 0.128, 0.044}},
    {CreateACEScctAP1Profile, "ACEScct AP1", 0, 0, 6000, {0.713, 0.293, 0.165, 0.83, 0.128, 0.044}},
};

// The primary (x, y) under the space's white as seen through the D50 PCS.
cmsCIExyY AdaptedToD50(double x, double y, const cmsCIEXYZ& White) {
  // Chromaticity alone: (x, y, 1 - x - y) also serves primaries with y <= 0.
  const cmsCIEXYZ XYZ{x, y, 1 - x - y};
  cmsCIEXYZ Adapted;
  cmsAdaptToIlluminant(&Adapted, &White, cmsD50_XYZ(), &XYZ);
  cmsCIExyY Out;
  cmsXYZ2xyY(&Out, &Adapted);
  return Out;
}

// L* of the first row of a transicc CGATS output.
double FirstLightness(const std::string& Text) {
  const std::size_t P = Text.find("BEGIN_DATA\n");
  if (P == std::string::npos) return -1;
  double Id = 0, L = -1;
  if (std::sscanf(Text.c_str() + P + 11, "%lf %lf", &Id, &L) != 2) return -1;
  return L;
}

TEST_F(IccProfiles, NamedSpacesAreValidForOtherTools) {
  const std::string Input = Dir.File("in.txt");
  ASSERT_TRUE(SaveStringToFile(Input,
                               "CGATS.17\nNUMBER_OF_FIELDS 4\nBEGIN_DATA_FORMAT\n"
                               "SAMPLE_ID RGB_R RGB_G RGB_B\nEND_DATA_FORMAT\nNUMBER_OF_SETS 2\n"
                               "BEGIN_DATA\n1 255 255 255\n2 128 64 32\nEND_DATA\n"));
  int Index = 0;
  for (const TNamedSpace& S : Spaces) {
    SCOPED_TRACE(S.Description);
    cmsHPROFILE P = S.Create();
    ASSERT_NE(P, nullptr);
    std::string Text;
    GetProfileDescription(Text, P);
    EXPECT_EQ(Text, S.Description);
    const cmsMLU* Copyright = static_cast<const cmsMLU*>(cmsReadTag(P, cmsSigCopyrightTag));
    ASSERT_NE(Copyright, nullptr);
    char Buffer[64] = {};
    cmsMLUgetASCII(Copyright, "en", "US", Buffer, sizeof Buffer);
    EXPECT_STREQ(Buffer, "No copyright, use freely");

    const std::string File = Dir.File("space" + std::to_string(Index++) + ".icc");
    ASSERT_TRUE(SaveProfileToFile(P, File));
    cmsCloseProfile(P);
    EXPECT_EQ(RunQuietly("iccdump", {"-v", "3", File}), 0);
    const std::string Output = File + ".txt";
    EXPECT_EQ(RunQuietly("transicc", {"-i" + File, "-o*Lab", Input, Output}), 0);
    std::string Lab;
    ASSERT_TRUE(LoadFileToString(Output, Lab));
    EXPECT_NEAR(FirstLightness(Lab), 100.0, 0.01);

    // Primaries read back from the file.
    cmsHPROFILE Loaded = LoadProfileFromFile(File);
    ASSERT_NE(Loaded, nullptr);
    cmsCIExyY White{S.Wx, S.Wy, 1.0};
    if (S.Temp > 0) cmsWhitePointFromTemp(&White, S.Temp);
    White.Y = 1.0;
    cmsCIEXYZ WhiteXYZ;
    cmsxyY2XYZ(&WhiteXYZ, &White);
    cmsCIExyYTRIPLE Read;
    ASSERT_TRUE(GetProfilePrimaries(Loaded, Read, INTENT_RELATIVE_COLORIMETRIC));
    const cmsCIExyY* Got[3] = {&Read.Red, &Read.Green, &Read.Blue};
    for (int i = 0; i < 3; ++i) {
      const cmsCIExyY E = AdaptedToD50(S.P[2 * i], S.P[2 * i + 1], WhiteXYZ);
      EXPECT_NEAR(Got[i]->x, E.x, 2e-3) << "primary " << i;
      EXPECT_NEAR(Got[i]->y, E.y, 2e-3) << "primary " << i;
    }
    cmsCIExyY ReadWhite;
    ASSERT_TRUE(GetProfileWhitePoint(Loaded, ReadWhite, INTENT_RELATIVE_COLORIMETRIC));
    EXPECT_NEAR(ReadWhite.x, 0.3457, 1e-3);
    EXPECT_NEAR(ReadWhite.y, 0.3585, 1e-3);
    cmsCloseProfile(Loaded);
  }
  EXPECT_TRUE(Recorded.empty());

  // The tools do refuse a damaged profile.
  std::string Bytes;
  ASSERT_TRUE(LoadFileToString(Dir.File("space0.icc"), Bytes));
  const std::string Cut = Dir.File("cut.icc");
  ASSERT_TRUE(SaveStringToFile(Cut, Bytes.substr(0, 100)));
  EXPECT_NE(RunQuietly("iccdump", {"-v", "3", Cut}), 0);
  EXPECT_NE(RunQuietly("transicc", {"-i" + Cut, "-o*Lab", Input, Cut + ".txt"}), 0);
}

double LuminanceOf(cmsHPROFILE P, double V) {
  cmsHPROFILE XYZ = cmsCreateXYZProfile();
  cmsHTRANSFORM T = cmsCreateTransform(P, TYPE_RGB_DBL, XYZ, TYPE_XYZ_DBL,
                                       INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOOPTIMIZE);
  cmsCloseProfile(XYZ);
  const double In[3] = {V, V, V};
  cmsCIEXYZ Out{};
  cmsDoTransform(T, In, &Out, 1);
  cmsDeleteTransform(T);
  return Out.Y;
}

TEST_F(IccProfiles, ToneCurvesOfTheSpaces) {
  cmsHPROFILE Linear = CreateProPhotoRGBLinearProfile();
  cmsHPROFILE Gamma = CreateProPhotoRGBProfile();
  cmsCIExyY W1, W2;
  ASSERT_TRUE(GetProfileWhitePoint(Linear, W1, INTENT_ABSOLUTE_COLORIMETRIC));
  ASSERT_TRUE(GetProfileWhitePoint(Gamma, W2, INTENT_ABSOLUTE_COLORIMETRIC));
  EXPECT_NEAR(W1.x, W2.x, 1e-9);
  EXPECT_NEAR(W1.y, W2.y, 1e-9);
  EXPECT_NEAR(W1.Y, W2.Y, 1e-9);
  EXPECT_NEAR(LuminanceOf(Gamma, 0.5), std::pow(0.5, 1.8), 1e-3);
  cmsCloseProfile(Linear);
  cmsCloseProfile(Gamma);

  cmsHPROFILE Rec601 = CreateRec601Profile();
  cmsHPROFILE Rec709 = CreateRec709Profile();
  EXPECT_NEAR(LuminanceOf(Rec601, 0.5), 0.5, 1e-3);
  EXPECT_NEAR(LuminanceOf(Rec709, 0.5), std::pow(0.599 / 1.099, 1 / 0.45), 1e-3);
  cmsCloseProfile(Rec601);
  cmsCloseProfile(Rec709);

  struct TCurveCase {
    cmsToneCurve* (*Build)();
    float (*Expected)(float);
  };
  const TCurveCase Curves[] = {
      {BuildSRGBToneCurve,
       [](float X) { return X < 0.04045f ? X / 12.92f : std::pow((X + 0.055f) / 1.055f, 2.4f); }},
      {BuildRec709ToneCurve,
       [](float X) { return X < 0.081f ? X / 4.5f : std::pow((X + 0.099f) / 1.099f, 1 / 0.45f); }},
      {BuildGamma22ToneCurve, [](float X) { return std::pow(X, 2.2f); }},
      {BuildGamma18ToneCurve, [](float X) { return std::pow(X, 1.8f); }},
  };
  for (const TCurveCase& C : Curves) {
    cmsToneCurve* T = C.Build();
    ASSERT_NE(T, nullptr);
    for (float X : {0.0f, 0.02f, 0.2f, 0.5f, 0.9f, 1.0f})
      EXPECT_NEAR(cmsEvalToneCurveFloat(T, X), C.Expected(X), 1e-4) << X;
    cmsFreeToneCurve(T);
  }

  cmsToneCurve* Cc = BuildACESccToneCurve();
  ASSERT_NE(Cc, nullptr);
  EXPECT_NEAR(cmsEvalToneCurveFloat(Cc, 0.0f), ACESccToLinear(0.0f), 1e-6);
  EXPECT_NEAR(cmsEvalToneCurveFloat(Cc, 0.3f), ACESccToLinear(0.3f), 1e-3);
  EXPECT_FLOAT_EQ(cmsEvalToneCurveFloat(Cc, 0.8f), 1.0f);  // past linear 1.0: flat
  cmsFreeToneCurve(Cc);
  cmsToneCurve* Cct = BuildACEScctToneCurve();
  ASSERT_NE(Cct, nullptr);
  EXPECT_NEAR(cmsEvalToneCurveFloat(Cct, 0.0f), ACEScctToLinear(0.0f), 1e-6);
  EXPECT_FLOAT_EQ(cmsEvalToneCurveFloat(Cct, 1.0f), 1.0f);
  cmsFreeToneCurve(Cct);
}

TEST_F(IccProfiles, TextsAndDescriptions) {
  cmsHPROFILE P = cmsCreateProfilePlaceholder(nullptr);
  std::string Text = "stale";
  GetProfileDescription(Text, P);
  EXPECT_EQ(Text, "");
  SetProfileDescription(P, "Only a description");
  GetProfileDescription(Text, P);
  EXPECT_EQ(Text, "Only a description");
  EXPECT_EQ(cmsReadTag(P, cmsSigCopyrightTag), nullptr);
  EXPECT_TRUE(SetProfileTexts(P, std::string(200, 'x')));
  GetProfileDescription(Text, P);
  EXPECT_EQ(Text, std::string(127, 'x'));
  cmsCloseProfile(P);
  EXPECT_FALSE(SetProfileTexts(nullptr, "x"));
}

TEST_F(IccProfiles, ProcessTColor) {
  EXPECT_EQ(cmsProcessTColor(0xAB123456u, nullptr), 0xAB123456u);
  cmsHPROFILE SRGB = cmsCreate_sRGBProfile();
  cmsHPROFILE Linear = CreateSRGBLinearProfile();
  cmsHTRANSFORM T = cmsCreateTransform(SRGB, TYPE_ARGB_8, Linear, TYPE_ARGB_8,
                                       INTENT_RELATIVE_COLORIMETRIC, 0);
  ASSERT_NE(T, nullptr);
  const uint32_t Out = cmsProcessTColor(0x00804020u, T);  // red 0x20, green 0x40, blue 0x80
  auto Expect = [](int V) { return 255.0 * GammaSRGBToLinear(V / 255.0f); };
  EXPECT_NEAR(double(Out & 0xFF), Expect(0x20), 1.5);
  EXPECT_NEAR(double((Out >> 8) & 0xFF), Expect(0x40), 1.5);
  EXPECT_NEAR(double((Out >> 16) & 0xFF), Expect(0x80), 1.5);
  EXPECT_EQ(Out >> 24, 0u);
  cmsDeleteTransform(T);
  cmsCloseProfile(SRGB);
  cmsCloseProfile(Linear);
}

TEST_F(IccProfiles, LoadingUntrustedFiles) {
  const std::string Missing = Dir.File("missing.icc");
  EXPECT_EQ(LoadProfileFromFile(Missing), nullptr);
  ASSERT_EQ(Recorded.size(), 1u);
  EXPECT_EQ(Recorded[0], "Can not open profile - file not found: " + Missing);
  Recorded.clear();

  cmsHPROFILE SRGB = cmsCreate_sRGBProfile();
  const std::string Good = Dir.File("good.icc");
  ASSERT_TRUE(SaveProfileToFile(SRGB, Good));
  cmsCloseProfile(SRGB);
  std::string Bytes;
  ASSERT_TRUE(LoadFileToString(Good, Bytes));

  // Garbage, a bare header, and a header claiming more tags than there are.
  std::string ManyTags = Bytes.substr(0, 132);
  ManyTags[128] = ManyTags[129] = ManyTags[130] = ManyTags[131] = '\x7f';
  const std::string Bad[] = {std::string(300, '\x5a'), Bytes.substr(0, 131), ManyTags,
                             Bytes.substr(0, Bytes.size() / 2)};
  int Index = 0;
  for (const std::string& B : Bad) {
    const std::string File = Dir.File("bad" + std::to_string(Index++) + ".icc");
    ASSERT_TRUE(SaveStringToFile(File, B));
    cmsHPROFILE P = LoadProfileFromFile(File);
    if (P != nullptr) {
      // Little CMS may open a cut profile; its tags must then read safely.
      cmsReadTag(P, cmsSigProfileDescriptionTag);
      cmsCloseProfile(P);
    }
  }
  EXPECT_EQ(LoadProfileFromFile(Dir.File("bad0.icc")), nullptr);
  EXPECT_EQ(LoadProfileFromFile(Dir.File("bad1.icc")), nullptr);
  EXPECT_EQ(OpenProfileFromBytes(Bytes.data(), 131), nullptr);
  EXPECT_EQ(OpenProfileFromBytes(nullptr, 1000), nullptr);
  EXPECT_TRUE(Recorded.empty());

  cmsHPROFILE Loaded = LoadProfileFromFile(Good);
  ASSERT_NE(Loaded, nullptr);
  EXPECT_EQ(cmsGetColorSpace(Loaded), cmsSigRgbData);
  cmsCloseProfile(Loaded);
}

TEST_F(IccProfiles, Lut16TagBytes) {
  std::vector<uint8_t> Tag = NewICCMFTData(2, 33);
  ASSERT_EQ(Tag.size(), 215698u);
  EXPECT_TRUE(ICCMFTData::CheckTagSize(Tag.data(), 215698));
  EXPECT_FALSE(ICCMFTData::CheckTagSize(Tag.data(), 215697));
  EXPECT_EQ(ICCMFTData::GetTagSize(Tag.data()), 215698);
  EXPECT_EQ(Chars(Tag, 0), "mft2");
  EXPECT_EQ(BE32(Tag, 4), 0u);
  EXPECT_EQ(Tag[8], 3);
  EXPECT_EQ(Tag[9], 3);
  EXPECT_EQ(Tag[10], 33);
  EXPECT_EQ(Tag[11], 0);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(BE32(Tag, 12 + 4 * i), i % 4 == 0 ? 0x10000u : 0u);
  EXPECT_EQ(BE16(Tag, 48), 2u);
  EXPECT_EQ(BE16(Tag, 50), 2u);
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(BE16(Tag, 52 + 4 * c), 0u);
    EXPECT_EQ(BE16(Tag, 54 + 4 * c), 65535u);
  }
  // CLUT: first input slowest; entry (i, j, k) = (i, j, k) * 65535 / 32.
  const std::size_t Clut = 64;
  EXPECT_EQ(ICCMFTData::GetCLUT(Tag.data()), Tag.data() + Clut);
  for (const auto& [i, j, k] : {std::tuple{0, 0, 0}, std::tuple{0, 0, 1}, std::tuple{1, 2, 3},
                                std::tuple{32, 31, 5}, std::tuple{32, 32, 32}}) {
    const std::size_t At = Clut + 6 * std::size_t((i * 33 + j) * 33 + k);
    EXPECT_EQ(BE16(Tag, At), uint32_t(i * 65535 / 32));
    EXPECT_EQ(BE16(Tag, At + 2), uint32_t(j * 65535 / 32));
    EXPECT_EQ(BE16(Tag, At + 4), uint32_t(k * 65535 / 32));
  }
  const std::size_t Outputs = Clut + 6 * 35937;
  EXPECT_EQ(ICCMFTData::GetOutputTables(Tag.data()), Tag.data() + Outputs);
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(BE16(Tag, Outputs + 4 * c), 0u);
    EXPECT_EQ(BE16(Tag, Outputs + 4 * c + 2), 65535u);
  }
  EXPECT_EQ(Outputs + 12, Tag.size());

  const std::vector<uint8_t> Original = Tag;
  ICCMFTData::SwapCLUT(Tag.data());
  EXPECT_EQ(Tag[Clut + 6 * 1 + 4], Original[Clut + 6 * 1 + 5]);
  EXPECT_EQ(std::memcmp(Tag.data(), Original.data(), Clut), 0);
  ICCMFTData::SwapCLUT(Tag.data());
  EXPECT_EQ(Tag, Original);

  const std::vector<uint8_t> Wide = NewICCMFTData(256, 2);
  ASSERT_EQ(Wide.size(), std::size_t(6 * 8 + 6 * 256 + 64));
  for (int i : {0, 1, 100, 255}) EXPECT_EQ(BE16(Wide, 52 + 2 * (256 + i)), uint32_t(257 * i));

  // ClearCLUT empties exactly the CLUT whatever In is.
  std::vector<uint8_t> Cleared = Wide;
  ICCMFTData::ClearCLUT(Cleared.data());
  const std::size_t WideClut = 52 + 6 * 256;
  for (std::size_t i = 0; i < Cleared.size(); ++i) {
    const bool InClut = i >= WideClut && i < WideClut + 48;
    EXPECT_EQ(Cleared[i], InClut ? 0 : Wide[i]) << i;
  }

  for (const auto& [In, N] : {std::pair{1, 33}, std::pair{0, 2}, std::pair{2, 1}, std::pair{2, 256}}) {
    Recorded.clear();
    EXPECT_TRUE(NewICCMFTData(In, N).empty()) << In << " " << N;
    EXPECT_EQ(Recorded, std::vector<std::string>{"Exception in ICCMFTData.Initialize"});
  }
}

// The abstract profile: the fixed header, then "desc", "wtpt", "cprt" and
// the identity "A2B0" lut16.
TEST_F(IccProfiles, AbstractLabProfileBytes) {
  const std::vector<uint8_t> P = CreateAbstractLabProfile(33);
  const std::vector<uint8_t> Tag = NewICCMFTData(2, 33);
  ASSERT_EQ(Tag.size(), 215698u);
  ASSERT_EQ(P.size(), 180u + 112 + 20 + 36 + 215700);
  EXPECT_EQ(BE32(P, 0), P.size());
  EXPECT_EQ(Chars(P, 4), "ADBE");
  EXPECT_EQ(BE32(P, 8), 0x02100000u);
  EXPECT_EQ(Chars(P, 12), "abst");
  EXPECT_EQ(Chars(P, 16), "Lab ");
  EXPECT_EQ(Chars(P, 20), "Lab ");
  EXPECT_GE(BE16(P, 24), 2024u);
  EXPECT_GE(BE16(P, 26), 1u);
  EXPECT_LE(BE16(P, 26), 12u);
  EXPECT_EQ(BE16(P, 34), 0u);  // seconds
  EXPECT_EQ(Chars(P, 36), "acsp");
  EXPECT_EQ(Chars(P, 40), "APPL");
  EXPECT_EQ(BE32(P, 44), 0u);
  EXPECT_EQ(Chars(P, 48), "KRML");
  for (std::size_t i = 52; i < 68; ++i) EXPECT_EQ(P[i], 0) << i;
  EXPECT_EQ(BE32(P, 68), 0x0000F6D6u);
  EXPECT_EQ(BE32(P, 72), 0x00010000u);
  EXPECT_EQ(BE32(P, 76), 0x0000D32Du);
  EXPECT_EQ(Chars(P, 80), "KRML");
  for (std::size_t i = 84; i < 128; ++i) EXPECT_EQ(P[i], 0) << i;
  EXPECT_EQ(BE32(P, 128), 4u);
  const struct {
    const char* Sig;
    uint32_t At, Size;
  } Tags[] = {{"desc", 180, 110}, {"wtpt", 292, 20}, {"cprt", 312, 33}, {"A2B0", 348, 215698}};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(Tags[i].Sig);
    EXPECT_EQ(Chars(P, 132 + 12 * i), Tags[i].Sig);
    EXPECT_EQ(BE32(P, 136 + 12 * i), Tags[i].At);
    EXPECT_EQ(BE32(P, 140 + 12 * i), Tags[i].Size);
  }
  EXPECT_TRUE(std::equal(Tag.begin(), Tag.end(), P.begin() + 348));

  // Little CMS reads it as an abstract Lab profile with its texts and white.
  cmsHPROFILE H = OpenProfileFromBytes(P.data(), P.size());
  ASSERT_NE(H, nullptr);
  EXPECT_EQ(cmsGetDeviceClass(H), cmsSigAbstractClass);
  EXPECT_EQ(cmsGetColorSpace(H), cmsSigLabData);
  EXPECT_EQ(cmsGetPCS(H), cmsSigLabData);
  EXPECT_TRUE(cmsIsTag(H, cmsSigAToB0Tag));
  std::string Text;
  GetProfileDescription(Text, H);
  EXPECT_EQ(Text, "Kromel abstract Lab");
  const cmsMLU* Copyright = static_cast<const cmsMLU*>(cmsReadTag(H, cmsSigCopyrightTag));
  ASSERT_NE(Copyright, nullptr);
  char Buffer[64] = {};
  cmsMLUgetASCII(Copyright, "en", "US", Buffer, sizeof Buffer);
  EXPECT_STREQ(Buffer, "No copyright, use freely");
  const cmsCIEXYZ* White = static_cast<const cmsCIEXYZ*>(cmsReadTag(H, cmsSigMediaWhitePointTag));
  ASSERT_NE(White, nullptr);
  EXPECT_NEAR(White->X, 0.9642, 1e-4);
  EXPECT_NEAR(White->Z, 0.8249, 1e-4);
  cmsCloseProfile(H);
  EXPECT_TRUE(CreateAbstractLabProfile(256).empty());
}

// Argyll's iccdump lists the three tags an abstract profile needs.
TEST_F(IccProfiles, AbstractLabProfileReadByIccdump) {
  if (!testing::ProgramAvailable("iccdump")) GTEST_SKIP() << "iccdump not found";
  const std::vector<uint8_t> P = CreateAbstractLabProfile(5);
  const std::string File = Dir.File("abstract.icc");
  ASSERT_TRUE(SaveBufferToFile(File, P.data(), int64_t(P.size())));
  const std::string Out = Dir.File("abstract.txt");
  ASSERT_EQ(testing::RunProgram({"iccdump", "-v", "3", File}, Out), 0);
  std::string Dump;
  ASSERT_TRUE(LoadFileToString(Out, Dump));
  for (const char* Expected : {"'desc'", "'wtpt'", "'cprt'", "'A2B0'", "Kromel abstract Lab",
                               "No copyright, use freely", "0.96420288"})
    EXPECT_NE(Dump.find(Expected), std::string::npos) << Expected << "\n" << Dump;
}

}  // namespace
}  // namespace kromel
