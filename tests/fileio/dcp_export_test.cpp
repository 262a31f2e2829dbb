#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <unistd.h>
#include <vector>
#include <string>

#include "colour/acr3_tone_curve.h"
#include "colour/cms_handles.h"
#include "fileio/dcp_export.h"
#include "foundation/files.h"
#include "platform/folders.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

namespace kromel {
namespace {

using testing::CapturedErrors;

class DCPExport : public ::testing::Test {
 protected:
  void SetUp() override {
    Base.UniqueCameraModel = "Cam";
    Base.ProfileName = "Base";
    for (int i = 0; i < 9; ++i) Base.ForwardMatrix1.Values[i] = i % 4 == 0 ? 0.5 + 0.125 * i : 0.0625;
    Base.ForwardMatrix1.IsSet = true;
    BaseFile = Dir.File("base.dcp");
    ASSERT_TRUE(Base.SaveToFile(BaseFile));
  }
  static void Identity(T3DLut& Lut, int32_t N) {
    ASSERT_TRUE(Lut.SetSize(N));
    Lut.SetDefault();
  }
  testing::TTestTempDir Dir{"kromel_dcp_export"};
  testing::TErrorCapture Capture;
  TDNGCameraProfile Base;
  std::string BaseFile;
};

TEST(DCPNames, OutputFileName) {
  const char* Cases[][3] = {
      {"/p/Look.dcp", "Cam", "/p/Cam Look.dcp"},
      {"/p/Look.dcp", "Maker/Model 1", "/p/Maker_Model 1 Look.dcp"},
      {"/p/Look.dcp", "..\\x:y", "/p/.._x_y Look.dcp"},
      {"Look.dcp", "Cam", "Cam Look.dcp"},
  };
  for (const auto& C : Cases) EXPECT_EQ(DCPOutputFileName(C[0], C[1]), C[2]);
}

// An identity LUT on a base without look table or tone curve: (0, 1, 1)
// entries, the ACR3 tone curve, presets beside the profile.
TEST_F(DCPExport, IdentityLutOnPlainBase) {
  T3DLut Lut;
  Identity(Lut, 17);
  const std::string File = Dir.File("Look.dcp");
  ASSERT_TRUE(Save3DLutDCP(Lut, BaseFile, File, "", "My Look", false, false, false, false, nullptr));
  EXPECT_FALSE(FileExists(File));
  TDNGCameraProfile P;
  ASSERT_TRUE(P.LoadFromFile(Dir.File("Cam Look.dcp")));
  EXPECT_EQ(P.ProfileName, "My Look");
  EXPECT_EQ(P.ProfileCopyright, "Kromel");
  EXPECT_EQ(P.LookTableEncoding, 1);
  EXPECT_DOUBLE_EQ(P.ForwardMatrix1.Values[4], Base.ForwardMatrix1.Values[4]);
  ASSERT_TRUE(P.LookTable);
  ASSERT_EQ(P.LookTable->HueDivisions, 180);
  ASSERT_EQ(P.LookTable->SatDivisions, 16);
  ASSERT_EQ(P.LookTable->ValDivisions, 64);
  float WorstHue = 0, WorstScale = 0;
  for (const TDNGHSV& E : P.LookTable->Entries) {
    WorstHue = std::max(WorstHue, std::fabs(E.HueShift));
    WorstScale = std::max({WorstScale, std::fabs(E.SatScale - 1), std::fabs(E.ValScale - 1)});
  }
  EXPECT_LT(WorstHue, 0.05f);
  EXPECT_LT(WorstScale, 5e-3f);
  for (int v : {0, 30, 63})
    for (int h : {0, 77})
      EXPECT_EQ(P.LookTable->GetEntryPtr(h, 0, v).HueShift, P.LookTable->GetEntryPtr(h, 1, v).HueShift);
  ASSERT_TRUE(P.ToneCurve);
  ASSERT_EQ(P.ToneCurve->GetCount(), 256);
  for (int i : {0, 40, 128, 255}) {
    EXPECT_FLOAT_EQ(P.ToneCurve->GetPoint(i).X, i / 255.0f);
    EXPECT_NEAR(P.ToneCurve->GetPoint(i).Y, dng_tone_curve_acr3_calc(i / 255.0f), 2e-3f) << i;
  }
  EXPECT_TRUE(FileExists(Dir.File("My Look.lrtemplate")));
  EXPECT_TRUE(FileExists(Dir.File("My Look.xmp")));
}

// The caller's LUT stays as given; names in the presets are escaped.
TEST_F(DCPExport, CallersLutKeptAndPresetNamesEscaped) {
  T3DLut Lut;
  Identity(Lut, 9);
  Lut.R[Lut.Count - 1] = 1.25f;
  Lut.B[3] = -0.5f;
  const std::string Presets = Dir.File("presets");
  const std::string Name = "A/B \"Look\" <1>";
  ASSERT_TRUE(Save3DLutDCP(Lut, BaseFile, Dir.File("x.dcp"), Presets, Name, true, true, true, false, nullptr));
  EXPECT_EQ(Lut.R[Lut.Count - 1], 1.25f);
  EXPECT_EQ(Lut.B[3], -0.5f);
  const std::string LR = testing::ReadText(Presets + "/A_B \"Look\" <1>.lrtemplate");
  EXPECT_NE(LR.find("\t\tCameraProfile = \"A/B \\\"Look\\\" <1>\","), std::string::npos) << LR;
  const std::string XMP = testing::ReadText(Presets + "/A_B \"Look\" <1>.xmp");
  EXPECT_NE(XMP.find("   crs:CameraProfile=\"A/B &quot;Look&quot; &lt;1&gt;\""), std::string::npos) << XMP;
  EXPECT_TRUE(FileExists(Dir.File("Cam x.dcp")));
}

TEST_F(DCPExport, UnreadableBaseWritesNothing) {
  T3DLut Lut;
  Identity(Lut, 5);
  testing::WriteText(Dir.File("gif.dcp"), "GIF89a....");
  for (const std::string& B : {Dir.File("none.dcp"), Dir.File("gif.dcp")})
    EXPECT_FALSE(Save3DLutDCP(Lut, B, Dir.File("y.dcp"), "", "P", false, false, false, false, nullptr));
  EXPECT_FALSE(FileExists(Dir.File(" y.dcp")));
  EXPECT_FALSE(FileExists(Dir.File("P.xmp")));
}

// The DCP is written before the presets, and only when all three files can
// be written does any of them replace its target; a failure names its file
// and leaves no file behind, an older DCP as it was.
TEST_F(DCPExport, FailedWritesLeaveNoFile) {
  T3DLut Lut;
  Identity(Lut, 5);
  const std::string DCP = Dir.File("Cam z.dcp");
  const std::string LR = Dir.File("P.lrtemplate"), XMP = Dir.File("P.xmp");
  // The DCP's name is taken by a folder.
  ASSERT_TRUE(CreateFolder(DCP));
  CapturedErrors().clear();
  EXPECT_FALSE(Save3DLutDCP(Lut, BaseFile, Dir.File("z.dcp"), "", "P", false, false, false, false, nullptr));
  EXPECT_NE(std::find(CapturedErrors().begin(), CapturedErrors().end(),
                      "Failed to create file " + DCP),
            CapturedErrors().end());
  EXPECT_FALSE(FileExists(LR));
  EXPECT_FALSE(FileExists(XMP));
  ASSERT_EQ(::rmdir(DCP.c_str()), 0);
  // A preset's folder cannot be made: an older DCP stays, no preset appears.
  testing::WriteText(DCP, "older");
  testing::WriteText(Dir.File("file"), "x");
  const std::string Presets = Dir.File("file") + "/sub";
  CapturedErrors().clear();
  EXPECT_FALSE(Save3DLutDCP(Lut, BaseFile, Dir.File("z.dcp"), Presets, "P", false, false, false, false, nullptr));
  EXPECT_NE(std::find(CapturedErrors().begin(), CapturedErrors().end(),
                      "Failed to create file " + Presets + "/P.lrtemplate"),
            CapturedErrors().end());
  EXPECT_EQ(testing::ReadText(DCP), "older");
  EXPECT_FALSE(FileExists(Presets + "/P.xmp"));
  // All three writable: all three written.
  CapturedErrors().clear();
  EXPECT_TRUE(Save3DLutDCP(Lut, BaseFile, Dir.File("z.dcp"), "", "P", false, false, false, false, nullptr));
  EXPECT_TRUE(CapturedErrors().empty());
  TDNGCameraProfile Back;
  EXPECT_TRUE(Back.LoadFromFile(DCP));
  EXPECT_TRUE(FileExists(LR));
  EXPECT_TRUE(FileExists(XMP));
}

// A profile file of which no tag can be read does not replace the LUT.
TEST_F(DCPExport, FileWithoutOneReadableTagLeavesTheLut) {
  // "II", the magic, the IFD at 8 with two entries of unknown tags.
  const uint8_t Bytes[] = {'I', 'I', 0x52, 0x43, 8, 0, 0, 0, 2, 0,
                           1, 0, 3, 0, 1, 0, 0, 0, 7, 0, 0, 0,
                           2, 0, 3, 0, 1, 0, 0, 0, 9, 0, 0, 0,
                           0, 0, 0, 0};
  testing::WriteBytes(Dir.File("empty.dcp"), std::vector<uint8_t>(std::begin(Bytes), std::end(Bytes)));
  TProfilePtr SRGB(cmsCreate_sRGBProfile());
  T3DLut Lut;
  Identity(Lut, 5);
  Lut.R[7] = 0.25f;
  double M[9] = {};
  EXPECT_FALSE(LoadFromDCP(Lut, Dir.File("empty.dcp"), true, SRGB.get(), M));
  EXPECT_EQ(Lut.Size, 5);
  EXPECT_EQ(Lut.R[7], 0.25f);
  TDNGCameraProfile P;
  EXPECT_FALSE(P.LoadFromFile(Dir.File("empty.dcp")));
  // One readable tag among them is enough.
  TDNGCameraProfile One;
  One.UniqueCameraModel = "Cam";
  ASSERT_TRUE(One.SaveToFile(Dir.File("one.dcp")));
  EXPECT_TRUE(LoadFromDCP(Lut, Dir.File("one.dcp"), true, SRGB.get(), M));
}

// Import: the LUT size follows the tables; the matrix is ForwardMatrix1.
TEST_F(DCPExport, ImportSizesAndMatrix) {
  TProfilePtr SRGB(cmsCreate_sRGBProfile());
  TDNGCameraProfile P;
  P.ForwardMatrix1 = Base.ForwardMatrix1;
  double M[9] = {};
  T3DLut Lut;
  ASSERT_TRUE(LoadFromDCPXML(Lut, &P, true, SRGB.get(), M));
  EXPECT_EQ(Lut.Size, 33);
  EXPECT_DOUBLE_EQ(M[8], Base.ForwardMatrix1.Values[8]);
  P.SetHueSatMap(1, std::make_unique<TDNGHSVTable>(90, 30, 1));
  P.HueSatMap1->SetIdentity();
  P.LookTable = std::make_unique<TDNGHSVTable>(36, 8, 16);
  P.LookTable->SetIdentity();
  ASSERT_TRUE(LoadFromDCPXML(Lut, &P, true, SRGB.get(), M));
  EXPECT_EQ(Lut.Size, 128);
  P.HueSatMap1.reset();
  ASSERT_TRUE(LoadFromDCPXML(Lut, &P, true, SRGB.get(), M));
  EXPECT_EQ(Lut.Size, 72);
  // Identity tables and no tone curve: the grey axis follows the ACR3 curve
  // in linear ProPhoto, so mid grey brightens.
  const int64_t Mid = 36 + 72 * (36 + 72 * 36);
  EXPECT_GT(Lut.G[Mid], 0.55f);
  EXPECT_FALSE(LoadFromDCPXML(Lut, nullptr, true, SRGB.get(), M));
  // A file: an unreadable one leaves the LUT alone.
  ASSERT_TRUE(Base.SaveToFile(Dir.File("b.dcp")));
  ASSERT_TRUE(LoadFromDCP(Lut, Dir.File("b.dcp"), false, SRGB.get(), M));
  EXPECT_EQ(Lut.Name, Dir.File("b.dcp"));
  EXPECT_FALSE(LoadFromDCP(Lut, Dir.File("none.dcp"), false, SRGB.get(), M));
  EXPECT_EQ(Lut.Size, 33);
}

TEST(DCPCurves, GammaReencoding) {
  TEnvelopeDots C;
  C.ResetDiagonal(5);
  ProcessCurveGammaToLinear(C, ipLinear);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(C.Dot(i).X, i * 4096);
    EXPECT_EQ(C.Dot(i).Y, i * 32767 / 4);
  }
  ProcessCurveGammaChangeGammaProfile(C, ipSRGB, ipSRGB);
  EXPECT_EQ(C.Dot(2).X, 8192);
  ProcessCurveGammaToLinear(C, ipSRGB);
  EXPECT_EQ(C.Dot(2).X, static_cast<int32_t>(std::nearbyint(16384.0f * GammaToLinearByProfile(ipSRGB, 0.5f))));
}

}  // namespace
}  // namespace kromel
