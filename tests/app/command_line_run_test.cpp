// Runs the built program as a user or a script would.
#include <gtest/gtest.h>

#include "engine/kromel_preset.h"
#include "fileio/image_files.h"
#include "fileio/image_save.h"
#include "foundation/files.h"
#include "lut/lut_file_cube.h"
#include "session/session_presets.h"
#include "session/session_profiles.h"
#include "support/test_support.h"

namespace kromel {
namespace {

using testing::ProgramAvailable;
using testing::ReadBytes;
using testing::ReadText;
using testing::RunProgram;
using testing::TTestTempDir;

class CommandLineRun : public ::testing::Test {
protected:
  TTestTempDir Dir{"kromel_cli"};
  // The runs keep their settings here, never in the user's folder.
  testing::TScopedEnv Config{"XDG_CONFIG_HOME", Dir.File("config")};
  std::string SettingsXml = Dir.File("config") + "/kromel/settings.xml";
  std::string Photo = Dir.File("photo.png");
  std::string Look = Dir.File("look.lux");
  std::string Luc = Dir.File("look.luc");
  std::string Log = Dir.File("log.txt");

  void SetUp() override {
    TImage64 Img;
    ASSERT_TRUE(Img.Alloc(48, 32));
    for (int32_t Y = 0; Y < 32; Y++)
      for (int32_t X = 0; X < 48; X++) {
        TPixel64& P = Img.Pixels[Y * 48 + X];
        P.R = static_cast<uint16_t>(257 * ((X * 255) / 47));
        P.G = static_cast<uint16_t>(257 * ((Y * 255) / 31));
        P.B = static_cast<uint16_t>(257 * (((X + Y) * 255) / 78));
        P.A = 65535;
      }
    ASSERT_TRUE(SaveImage64ToFile8bit(Img, Photo, EmptyICCProfile()));
    TKromelPreset Preset;
    Preset.Basic->Exposure->SetValue(0.7f);
    Preset.Basic->Temperature->SetValue(20.0f);
    ASSERT_TRUE(SavePresetToFile(Preset, Look));
    // The binary preset as the window saves it: values of the bound controls.
    TKromelSession Session;
    TSessionPresets Presets(Session);
    Session.Controls.Find("TransformWhiteBalanceKnob")->SetControllerValue(300);
    Session.Controls.Find("TransformSaturationKnob")->SetControllerValue(160);
    ASSERT_TRUE(Presets.SavePresetToFile(Luc, true));
  }

  int Kromel(std::vector<std::string> Args) {
    Args.insert(Args.begin(), KROMEL_PROGRAM);
    return RunProgram(Args, Log);
  }

  // The image as 16-bit RGB triples.
  static std::vector<uint16_t> Rgb16(const std::string& FileName) {
    TImage64 Img;
    std::vector<uint16_t> V;
    if (LoadImage64FromFile(Img, FileName, false, 1.0f))
      for (int64_t I = 0; I < int64_t(Img.Width) * Img.Height; I++)
        V.insert(V.end(), {Img.Pixels[I].R, Img.Pixels[I].G, Img.Pixels[I].B});
    return V;
  }
};

// The photograph through the LUT file in ffmpeg against our processed image.
void ExpectFfmpegMatches(const TTestTempDir& Dir, const std::string& Photo,
                         const std::vector<uint16_t>& Ours, const std::vector<std::string>& Luts) {
  for (const std::string& F : Luts) {
    const std::string Raw = Dir.File(F + ".rgb");
    ASSERT_EQ(RunProgram({"ffmpeg", "-v", "error", "-y", "-i", Photo, "-vf",
                          "lut3d=file=" + Dir.File(F) + ":interp=tetrahedral", "-pix_fmt",
                          "rgb24", "-f", "rawvideo", Raw},
                         Dir.File("ffmpeg.txt")),
              0)
        << F << ": " << ReadText(Dir.File("ffmpeg.txt"));
    const std::vector<uint8_t> Theirs = ReadBytes(Raw);
    ASSERT_EQ(Theirs.size(), Ours.size()) << F;
    int32_t Worst = 0;
    for (size_t I = 0; I < Ours.size(); I++)
      Worst = std::max(Worst, std::abs(int32_t(Theirs[I]) - int32_t((Ours[I] + 128) / 257)));
    EXPECT_LE(Worst, 1) << F;
  }
}

int32_t ChangedValues(const std::vector<uint16_t>& A, const std::vector<uint16_t>& B) {
  int32_t Changed = 0;
  for (size_t I = 0; I < A.size() && I < B.size(); I++) Changed += std::abs(A[I] / 257 - B[I] / 257) > 2;
  return Changed;
}

TEST_F(CommandLineRun, BinaryPresetInLutsOutMatchingFfmpeg) {
  const std::string Out = Dir.File("luc.png");
  ASSERT_EQ(Kromel({Photo, Luc, "/LUTSIZE:33", "-ACTION:EXPORTLUT:" + Dir.File("luc.cube"),
                    "-ACTION:EXPORTLUT:" + Dir.File("luc.csp"), "/Save:" + Out, "-QUIT"}),
            0)
      << ReadText(Log);
  // ffmpeg reads 3DL files of 17 points only.
  const std::string Out17 = Dir.File("luc17.png");
  ASSERT_EQ(Kromel({Photo, Luc, "/LUTSIZE:17", "-ACTION:EXPORTLUT:" + Dir.File("luc.3dl"),
                    "/Save:" + Out17, "-QUIT"}),
            0)
      << ReadText(Log);
  const std::vector<uint16_t> Ours = Rgb16(Out);
  ASSERT_EQ(Ours.size(), 48u * 32u * 3u);
  EXPECT_GT(ChangedValues(Ours, Rgb16(Photo)), 100) << "the preset's grading is not applied";
  // The .cube carries the preset: loaded as the preset, it grades the same
  // and exports the same LUT again.
  const std::string Again = Dir.File("again.png");
  ASSERT_EQ(Kromel({Photo, Dir.File("luc.cube"), "/LUTSIZE:33",
                    "-ACTION:EXPORTLUT:" + Dir.File("again.cube"), "/Save:" + Again, "-QUIT"}),
            0)
      << ReadText(Log);
  EXPECT_EQ(ChangedValues(Rgb16(Again), Ours), 0);
  EXPECT_EQ(ReadBytes(Dir.File("again.cube")), ReadBytes(Dir.File("luc.cube")));
  if (!ProgramAvailable("ffmpeg")) GTEST_SKIP() << "ffmpeg not installed";
  ExpectFfmpegMatches(Dir, Photo, Ours, {"luc.cube", "luc.csp"});
  ExpectFfmpegMatches(Dir, Photo, Rgb16(Out17), {"luc.3dl"});
}

TEST_F(CommandLineRun, ExportedLutsMatchTheProcessedImageInFfmpeg) {
  const std::string Out = Dir.File("out.png");
  ASSERT_EQ(Kromel({Photo, Look, "/LUTSIZE:25", "-ACTION:EXPORTLUT:" + Dir.File("look.cube"),
                    "-ACTION:EXPORTLUT:" + Dir.File("look.3dl"),
                    "/Action:ExportLut:" + Dir.File("look.csp"), "/Save:" + Out, "-QUIT"}),
            0)
      << ReadText(Log);
  for (const char* F : {"look.cube", "look.3dl", "look.csp"})
    EXPECT_FALSE(ReadBytes(Dir.File(F)).empty()) << F;
  const std::vector<uint16_t> Ours = Rgb16(Out);
  const std::vector<uint16_t> Source = Rgb16(Photo);
  ASSERT_EQ(Ours.size(), 48u * 32u * 3u);
  EXPECT_GT(ChangedValues(Ours, Source), 100) << "the preset's grading is not in the saved image";
  if (!ProgramAvailable("ffmpeg")) GTEST_SKIP() << "ffmpeg not installed";
  ExpectFfmpegMatches(Dir, Photo, Ours, {"look.cube", "look.3dl", "look.csp"});
}

TEST_F(CommandLineRun, FailuresGiveStatusAndMessage) {
  EXPECT_NE(Kromel({Dir.File("missing.jpg"), "-QUIT"}), 0);
  EXPECT_NE(ReadText(Log).find("File not found: "), std::string::npos);
  EXPECT_NE(Kromel({Photo, "-ACTION:EXPORTLUT:" + Dir.File("no/such/dir/x.cube"), "-QUIT"}), 0);
  EXPECT_NE(ReadText(Log).find("x.cube"), std::string::npos);
  EXPECT_EQ(Kromel({"-FOO", "-QUIT"}), 1);
  EXPECT_NE(ReadText(Log).find("Unknown parameter: -FOO"), std::string::npos);
  EXPECT_EQ(Kromel({"/?"}), 0);
  EXPECT_EQ(ReadText(Log).rfind("Kromel Pro command line parameters:\n", 0), 0u);
}

TEST_F(CommandLineRun, SecondImageIsTheReference) {
  const std::string Out = Dir.File("out.tif");
  ASSERT_EQ(Kromel({Photo, Photo, "/Save:" + Out, "-QUIT"}), 0) << ReadText(Log);
  // The first image is the one processed and saved.
  EXPECT_EQ(Rgb16(Out).size(), Rgb16(Photo).size());
  // A missing second image is reported as a failed load.
  EXPECT_NE(Kromel({Photo, Dir.File("gone.png"), "-QUIT"}), 0);
  EXPECT_NE(ReadText(Log).find("gone.png"), std::string::npos);
}

// A CUBE file as other programs write it (size line, red fastest).
void WriteCube(const std::string& FileName, int32_t N) {
  std::string Text = "LUT_3D_SIZE " + std::to_string(N) + "\n";
  char Line[64];
  for (int32_t B = 0; B < N; ++B)
    for (int32_t G = 0; G < N; ++G)
      for (int32_t R = 0; R < N; ++R) {
        const float r = R / float(N - 1), g = G / float(N - 1), b = B / float(N - 1);
        std::snprintf(Line, sizeof Line, "%.6f %.6f %.6f\n", 0.1f + 0.8f * g, r * r, 1 - b);
        Text += Line;
      }
  ASSERT_TRUE(SaveStringToFile(FileName, Text, nullptr));
}

float MaxNodeDifference(const std::string& A, const std::string& B) {
  T3DLut La, Lb;
  if (!LoadFromCube(&La, A, false) || !LoadFromCube(&Lb, B, false) || La.Size != Lb.Size)
    return 1e9f;
  float Max = 0;
  for (int64_t I = 0; I < int64_t(La.Size) * La.Size * La.Size; ++I)
    Max = std::max({Max, std::fabs(La.R[I] - Lb.R[I]), std::fabs(La.G[I] - Lb.G[I]),
                    std::fabs(La.B[I] - Lb.B[I])});
  return Max;
}

// A LUT file given as the external LUT, by the action or as a plain argument
// without a preset of its own, is what the exported LUT does; ffmpeg agrees
// with the saved image.
TEST_F(CommandLineRun, ExternalLutFromTheCommandLineIsExported) {
  const std::string Ext = Dir.File("ext.cube");
  WriteCube(Ext, 17);
  struct TCase {
    const char* Name;
    std::string LutArgument;
  };
  const TCase Cases[] = {{"action", "-ACTION:LOADEXTLUT:" + Ext}, {"plain", Ext}};
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    const std::string Out = Dir.File(std::string(C.Name) + ".cube");
    const std::string Saved = Dir.File(std::string(C.Name) + ".png");
    ASSERT_EQ(Kromel({Photo, C.LutArgument, "/LUTSIZE:17", "-ACTION:EXPORTLUT:" + Out,
                      "/Save:" + Saved, "-QUIT"}),
              0)
        << ReadText(Log);
    EXPECT_LT(MaxNodeDifference(Out, Ext), 0.01f);
    EXPECT_GT(ChangedValues(Rgb16(Saved), Rgb16(Photo)), 100);
  }
  EXPECT_EQ(ReadBytes(Dir.File("action.png")), ReadBytes(Dir.File("plain.png")));
  if (!ProgramAvailable("ffmpeg")) GTEST_SKIP() << "ffmpeg not installed";
  ExpectFfmpegMatches(Dir, Photo, Rgb16(Dir.File("action.png")), {"action.cube", "ext.cube"});
}

// Baking the grading into the image and starting afresh: the saved image is
// the graded one and the LUT exported afterwards does nothing.
TEST_F(CommandLineRun, ProcessImageWithLutBakesAndResets) {
  const std::string Graded = Dir.File("graded.png");
  ASSERT_EQ(Kromel({Photo, Look, "/Save:" + Graded, "-QUIT"}), 0) << ReadText(Log);
  const std::string Baked = Dir.File("baked.png");
  ASSERT_EQ(Kromel({Photo, Look, "/LUTSIZE:17", "-ACTION:PROCESSIMAGEWITHLUT", "/Save:" + Baked,
                    "-ACTION:EXPORTLUT:" + Dir.File("after.cube"), "-QUIT"}),
            0)
      << ReadText(Log);
  const std::vector<uint16_t> B = Rgb16(Baked);
  ASSERT_EQ(B.size(), 48u * 32u * 3u);
  EXPECT_EQ(ChangedValues(B, Rgb16(Graded)), 0);
  EXPECT_GT(ChangedValues(B, Rgb16(Photo)), 100);
  ASSERT_EQ(Kromel({Photo, "/LUTSIZE:17", "-ACTION:EXPORTLUT:" + Dir.File("empty.cube"), "-QUIT"}),
            0);
  EXPECT_LT(MaxNodeDifference(Dir.File("after.cube"), Dir.File("empty.cube")), 1e-5f);
}

// Every action that can't do its work says why on standard error, gives a
// non-zero status and still honours -QUIT; the window-only dialog is only
// reported.
TEST_F(CommandLineRun, FailedActionsReportAndFail) {
  const std::string Bad = Dir.File("bad.cube");
  ASSERT_TRUE(SaveStringToFile(Bad, "LUT_3D_SIZE 5\n0.1 0.2 0.3\n", nullptr));
  struct TCase {
    std::vector<std::string> Args;
    bool Fails;
    const char* Message;
  };
  const TCase Cases[] = {
      {{Photo, "-ACTION:LOADEXTLUT:" + Dir.File("none.cube")}, true, "File not found: "},
      {{Photo, "-ACTION:LOADEXTLUT:" + Bad}, true, "Failed to load LUT from "},
      {{Photo, "-ACTION:LOADEXTLUT"}, true, "no file name"},
      {{Photo, "-ACTION:SETEXTLUTPOSITION:9"}, true, "Invalid external LUT position: 9"},
      {{Photo, "-ACTION:EXTLUTEXTRACTCURVES"}, true, "because it's empty"},
      {{"-ACTION:PROCESSIMAGEWITHLUT"}, true, "No image to process"},
      {{Photo, "/CHART:" + Dir.File("no chart.cie")}, true, "no chart.cie"},
      {{Photo, "/CHARTMATCHMODE:12"}, true, "Invalid chart match mode: 12"},
      {{Photo, "/CHARTXY:1,2,3,4,5,6,7,8"}, true, "Chart matching needs"},
      {{Photo, "-ACTION:SETCHARTEXPOSURESHIFT"}, true, "needs the main window"},
      {{Photo, "-ACTION:MATCHDIALOG"}, false, "needs the main window"},
  };
  for (const TCase& C : Cases) {
    std::vector<std::string> Args = C.Args;
    Args.push_back("-QUIT");
    const int Status = Kromel(Args);
    SCOPED_TRACE(Args[Args.size() - 2]);
    EXPECT_EQ(Status != 0, C.Fails) << ReadText(Log);
    EXPECT_NE(ReadText(Log).find(C.Message), std::string::npos) << ReadText(Log);
  }
}

// Standard error is not a terminal here: no progress noise.
TEST_F(CommandLineRun, NoProgressWhenNotATerminal) {
  ASSERT_EQ(Kromel({Photo, Look, "-ACTION:EXPORTLUT:" + Dir.File("q.cube"), "-QUIT"}), 0);
  EXPECT_EQ(ReadText(Log), "");
}

// An assigned profile is the one the saved image carries; a missing one fails.
TEST_F(CommandLineRun, AssignedProfileTravelsWithTheSavedImage) {
  const std::string Icc = Dir.File("pro.icc");
  FIICCPROFILE P = WorkingProfileData(TWorkingProfile::ProPhotoRGB);
  ASSERT_NE(P.data, nullptr);
  testing::WriteBytes(Icc, std::vector<uint8_t>(static_cast<uint8_t*>(P.data),
                                                static_cast<uint8_t*>(P.data) + P.size));
  FreeICCProfileData(P);
  const std::string Out = Dir.File("out.tif");
  ASSERT_EQ(Kromel({Photo, "/Action:AssignProfile:" + Icc, "/Action:SetBaseProfile:" + Icc,
                    "/Save:" + Out, "-QUIT"}),
            0)
      << ReadText(Log);
  EXPECT_NE(Kromel({Photo, "/Action:AssignProfile:" + Dir.File("none.icc"), "-QUIT"}), 0);
  EXPECT_NE(ReadText(Log).find("File not found: " + Dir.File("none.icc")), std::string::npos);
  if (!ProgramAvailable("exiftool")) GTEST_SKIP() << "exiftool not installed";
  const std::string Tags = Dir.File("tags.txt");
  ASSERT_EQ(RunProgram({"exiftool", "-s3", "-ProfileDescription", Out}, Tags), 0);
  EXPECT_NE(ReadText(Tags).find("ProPhoto"), std::string::npos) << ReadText(Tags);
}

}  // namespace
}  // namespace kromel
