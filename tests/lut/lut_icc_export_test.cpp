#include "lut/lut_icc_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "colour/cms_handles.h"
#include "colour/icc_profiles.h"
#include "colour/log_curves.h"
#include "foundation/files.h"
#include "lut/lut_lookup.h"
#include "lut_test_support.h"
#include "platform/folders.h"
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

// ---- Agreement with Little CMS: the profiles apply the LUT they carry ----

// The source LUT at a colour: tetrahedral lookup of the clamped copy.
void LutAt(const T3DLut& Lut, const double In[3], double Out[3]) {
  float V[3] = {float(In[0]), float(In[1]), float(In[2])};
  ProcessColorTetrahedralSingle(Lut, V[0], V[1], V[2]);
  for (int c = 0; c < 3; ++c) Out[c] = std::clamp(double(V[c]), 0.0, 1.0);
}

// The 17^3 grid of RGB colours i/16, red fastest.
std::vector<double> AgreementGrid() {
  std::vector<double> G;
  for (int b = 0; b <= 16; ++b)
    for (int g = 0; g <= 16; ++g)
      for (int r = 0; r <= 16; ++r) G.insert(G.end(), {r / 16.0, g / 16.0, b / 16.0});
  return G;
}

// How far Got lies from the LUT over the colours In, in 1/255 steps: the
// worst channel anywhere and the mean of each colour's worst channel.
struct TOff {
  double Worst = 0, Mean = 0;
};
TOff OffFromLut(const T3DLut& Lut, const std::vector<double>& In, const std::vector<double>& Got) {
  TOff Off;
  if (Got.size() != In.size()) return {1e9, 1e9};
  for (std::size_t i = 0; i + 2 < In.size(); i += 3) {
    double Want[3], Worst = 0;
    LutAt(Lut, &In[i], Want);
    for (int c = 0; c < 3; ++c) Worst = std::max(Worst, 255 * std::fabs(Got[i + c] - Want[c]));
    Off.Worst = std::max(Off.Worst, Worst);
    Off.Mean += Worst;
  }
  Off.Mean /= double(In.size() / 3);
  return Off;
}

std::vector<double> RunTransform(cmsHTRANSFORM T, const std::vector<double>& In) {
  std::vector<double> Out(In.size());
  cmsDoTransform(T, In.data(), Out.data(), cmsUInt32Number(In.size() / 3));
  return Out;
}

// A gentle grade that keeps every node inside 0..1: a contrast curve and
// a little cross-talk between the channels.
void MakeLook(T3DLut& Lut, int32_t N) {
  MakeIdentity(Lut, N);
  for (int32_t k = 0; k < Lut.Count; ++k) {
    const float R = Lut.R[k], G = Lut.G[k], B = Lut.B[k];
    auto S = [](float V) { return V * V * (3 - 2 * V); };
    Lut.R[k] = 0.85f * S(R) + 0.1f * G + 0.05f * B;
    Lut.G[k] = 0.9f * std::sqrt(G) + 0.1f * R;
    Lut.B[k] = 0.8f * B + 0.15f * S(G) + 0.05f;
  }
}

class LutIccAgreement : public LutIccExport {
 protected:
  // Colours through Argyll's icclu in direction Func ("f" or "b"), relative
  // colorimetric with Lab as connection space: device values as 0..1.
  std::vector<double> Icclu(const std::string& Func, const std::string& Profile,
                            const std::vector<double>& In) {
    std::string Text;
    char Line[96];
    for (std::size_t i = 0; i + 2 < In.size(); i += 3) {
      std::snprintf(Line, sizeof Line, "%.6f %.6f %.6f\n", In[i], In[i + 1], In[i + 2]);
      Text += Line;
    }
    testing::WriteText(Dir.File("icclu_in.txt"), Text);
    const std::string Out = Dir.File("icclu_out.txt");
    if (testing::RunProgram({"icclu", "-v0", "-f" + Func, "-ir", "-pl", Profile}, Out, false,
                            Dir.File("icclu_in.txt")) != 0)
      return {};
    std::istringstream S(testing::ReadText(Out));
    std::vector<double> V;
    for (double X; S >> X;) V.push_back(X);
    return V;
  }

  // Colours through transicc (no precalculation, relative colorimetric):
  // RGB in and out as 0..1 (the tool's 0..255 scaled), Lab as it is.
  std::vector<double> Transicc(const std::vector<std::string>& Profiles,
                               const std::vector<double>& In, double InScale, double OutScale) {
    std::string Text;
    char Line[96];
    for (std::size_t i = 0; i + 2 < In.size(); i += 3) {
      std::snprintf(Line, sizeof Line, "%.6f %.6f %.6f\n", In[i] * InScale, In[i + 1] * InScale,
                    In[i + 2] * InScale);
      Text += Line;
    }
    testing::WriteText(Dir.File("transicc_in.txt"), Text);
    std::vector<std::string> Args = {"transicc", "-n", "-c0", "-t1"};
    Args.insert(Args.end(), Profiles.begin(), Profiles.end());
    const std::string Out = Dir.File("transicc_out.txt");
    if (testing::RunProgram(Args, Out, false, Dir.File("transicc_in.txt")) != 0) return {};
    std::istringstream S(testing::ReadText(Out));
    std::vector<double> V;
    for (double X; S >> X;) V.push_back(X / OutScale);
    return V;
  }
};

// Identity and graded LUTs written as display, printer and abstract
// profiles, and a device link made from the display profile, apply the LUT
// in Little CMS over a 17^3 grid; transicc agrees where it is installed.
// Tables on a device grid (A2B0 of device profiles, the link) and the
// identity abstract profile hold within 1/255 everywhere. Tables on a Lab
// grid carrying a curved map (every B2A0, a graded abstract profile) keep
// the error of interpolating that map between 33 Lab points: a few 1/255
// on average.
TEST_F(LutIccAgreement, ProfilesApplyTheirLutInLittleCms) {
  const std::vector<double> Grid = AgreementGrid();
  const bool HaveTransicc = testing::ProgramAvailable("transicc");
  const bool HaveIcclu = testing::ProgramAvailable("icclu");
  TProfilePtr Lab(cmsCreateLab4Profile(nullptr));
  TTransformPtr ToLab(cmsCreateTransform(SRGB.get(), TYPE_RGB_DBL, Lab.get(), TYPE_Lab_DBL,
                                         INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOOPTIMIZE));
  TTransformPtr FromLab(cmsCreateTransform(Lab.get(), TYPE_Lab_DBL, SRGB.get(), TYPE_RGB_DBL,
                                           INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOOPTIMIZE));
  ASSERT_TRUE(ToLab && FromLab);
  const std::vector<double> GridLab = RunTransform(ToLab.get(), Grid);
  auto Open = [](const std::string& File) { return TProfilePtr(cmsOpenProfileFromFile(File.c_str(), "r")); };
  auto Transform = [](cmsHPROFILE From, cmsHPROFILE To) {
    return TTransformPtr(cmsCreateTransform(From, TYPE_RGB_DBL, To, TYPE_RGB_DBL,
                                            INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOOPTIMIZE));
  };
  // A base profile for the LUT to follow: the identity display profile.
  const std::string Base = Dir.File("base.icc");
  {
    T3DLut Identity;
    MakeIdentity(Identity, 17);
    ASSERT_TRUE(Save(Identity, Base, cmsSigDisplayClass, 33));
  }
  for (const bool Graded : {false, true}) {
    T3DLut Lut;
    if (Graded)
      MakeLook(Lut, 33);
    else
      MakeIdentity(Lut, 33);
    const std::string Look = Graded ? "graded " : "identity ";
    const std::string Display = Dir.File("display.icc"), Printer = Dir.File("printer.icc"),
                      Abstract = Dir.File("abstract.icc"), Link = Dir.File("link.icc"),
                      OnBase = Dir.File("on base.icc");
    ASSERT_TRUE(Save(Lut, Display, cmsSigDisplayClass, 33));
    ASSERT_TRUE(Save(Lut, OnBase, cmsSigDisplayClass, 33, Base));
    ASSERT_TRUE(Save(Lut, Printer, cmsSigOutputClass, 33));
    ASSERT_TRUE(Save(Lut, Abstract, cmsSigAbstractClass, 33));
    struct TFigure {
      std::string Name;
      bool LabGrid;
      TOff Off;
    };
    std::vector<TFigure> Figures;
    for (const std::string& Device : {Display, Printer, OnBase}) {
      const std::string Kind =
          Look + (Device == Display ? "display" : Device == Printer ? "printer" : "on base");
      TProfilePtr P = Open(Device);
      ASSERT_TRUE(P);
      TTransformPtr In = Transform(P.get(), SRGB.get()), Out = Transform(SRGB.get(), P.get());
      ASSERT_TRUE(In && Out) << Kind;
      Figures.push_back({Kind + " device to sRGB", false, OffFromLut(Lut, Grid, RunTransform(In.get(), Grid))});
      Figures.push_back({Kind + " sRGB to device", true, OffFromLut(Lut, Grid, RunTransform(Out.get(), Grid))});
      if (Device != Display) continue;
      // The display profile's way into sRGB kept as a device link.
      TProfilePtr L(cmsTransform2DeviceLink(In.get(), 4.3, 0));
      ASSERT_TRUE(L);
      ASSERT_TRUE(cmsSaveProfileToFile(L.get(), Link.c_str()));
    }
    TProfilePtr A = Open(Abstract), L = Open(Link);
    ASSERT_TRUE(A && L);
    cmsHPROFILE Chain[] = {SRGB.get(), A.get(), SRGB.get()};
    TTransformPtr TA(cmsCreateMultiprofileTransform(Chain, 3, TYPE_RGB_DBL, TYPE_RGB_DBL,
                                                    INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOOPTIMIZE));
    TTransformPtr TL = Transform(L.get(), nullptr);
    ASSERT_TRUE(TA && TL);
    Figures.push_back({Look + "abstract sRGB to sRGB", Graded, OffFromLut(Lut, Grid, RunTransform(TA.get(), Grid))});
    Figures.push_back({Look + "device link", false, OffFromLut(Lut, Grid, RunTransform(TL.get(), Grid))});
    if (HaveTransicc) {
      Figures.push_back({Look + "transicc display to sRGB", false,
                         OffFromLut(Lut, Grid, Transicc({"-i" + Display, "-o*sRGB"}, Grid, 255, 255))});
      Figures.push_back({Look + "transicc sRGB to display", true,
                         OffFromLut(Lut, Grid, Transicc({"-i*sRGB", "-o" + Display}, Grid, 255, 255))});
      Figures.push_back({Look + "transicc device link", false,
                         OffFromLut(Lut, Grid, Transicc({"-l" + Link}, Grid, 255, 255))});
      // The abstract profile as a link from Lab to Lab, brought back to sRGB here.
      const std::vector<double> OutLab = Transicc({"-l" + Abstract}, GridLab, 1, 1);
      Figures.push_back({Look + "transicc abstract", Graded,
                         OffFromLut(Lut, Grid, OutLab.size() == Grid.size() ? RunTransform(FromLab.get(), OutLab) : OutLab)});
    }
    if (HaveIcclu) {
      // Argyll: device to Lab and back through the display profile, Lab to
      // Lab through the abstract one; Lab brought to and from sRGB here.
      Figures.push_back({Look + "Argyll display to sRGB", false,
                         OffFromLut(Lut, Grid, RunTransform(FromLab.get(), Icclu("f", Display, Grid)))});
      Figures.push_back({Look + "Argyll sRGB to display", true,
                         OffFromLut(Lut, Grid, Icclu("b", Display, GridLab))});
      Figures.push_back({Look + "Argyll abstract", Graded,
                         OffFromLut(Lut, Grid, RunTransform(FromLab.get(), Icclu("f", Abstract, GridLab)))});
    }
    for (const TFigure& F : Figures) {
      std::printf("  %-34s worst %6.2f/255  mean %5.2f/255\n", F.Name.c_str(), F.Off.Worst, F.Off.Mean);
      if (F.LabGrid)
        EXPECT_LE(F.Off.Mean, 4.0) << F.Name;
      else
        EXPECT_LE(F.Off.Worst, 1.0) << F.Name;
    }
  }
}

}  // namespace
}  // namespace kromel
