// Runs the built program and checks that every run says by message and
// exit status what it did, never loses an input file, and that the stored
// settings take effect and survive the run.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/kromel_preset.h"
#include "fileio/image_files.h"
#include "fileio/image_save.h"
#include "foundation/files.h"
#include "lut/lut_file_cube.h"
#include "platform/settings_store.h"
#include "support/test_support.h"

namespace kromel {
namespace {

namespace fs = std::filesystem;
using testing::ProgramAvailable;
using testing::ReadBytes;
using testing::ReadText;
using testing::RunProgram;
using testing::TTestTempDir;

class CommandLineTruth : public ::testing::Test {
protected:
  TTestTempDir Dir{"kromel_truth"};
  testing::TScopedEnv Config{"XDG_CONFIG_HOME", Dir.File("config")};
  std::string SettingsXml = Dir.File("config") + "/kromel/settings.xml";
  std::string Photo = Dir.File("photo.png");  // 16-bit RGBA, left half transparent-ish
  std::string Look = Dir.File("look.cube");
  std::string Log = Dir.File("log.txt");

  void SetUp() override {
    TImage64 Img;
    ASSERT_TRUE(Img.Alloc(40, 24));
    for (int32_t Y = 0; Y < 24; Y++)
      for (int32_t X = 0; X < 40; X++) {
        TPixel64& P = Img.Pixels[Y * 40 + X];
        P.R = static_cast<uint16_t>(1600 * X);
        P.G = static_cast<uint16_t>(2600 * Y);
        P.B = static_cast<uint16_t>(800 * (X + Y));
        P.A = X < 20 ? static_cast<uint16_t>(3000 * Y) : 65535;
      }
    TImageSaveOptions Keep;
    ASSERT_TRUE(SaveImage64ToFileAs(Img, Photo, EmptyICCProfile(), Keep));
    // A LUT as other programs write it: no preset inside.
    std::string Text = "LUT_3D_SIZE 5\n";
    char Line[64];
    for (int32_t B = 0; B < 5; ++B)
      for (int32_t G = 0; G < 5; ++G)
        for (int32_t R = 0; R < 5; ++R) {
          std::snprintf(Line, sizeof Line, "%.4f %.4f %.4f\n", 0.1 + 0.2 * G / 4.0, R / 4.0,
                        1 - B / 4.0);
          Text += Line;
        }
    ASSERT_TRUE(SaveStringToFile(Look, Text, nullptr));
  }

  int Kromel(std::vector<std::string> Args) {
    Args.insert(Args.begin(), KROMEL_PROGRAM);
    return RunProgram(Args, Log);
  }
  std::string Output() const { return ReadText(Log); }
  bool Exists(const std::string& Name) const { return fs::exists(Dir.File(Name)); }

  // Stores Name = Data (of Type) as the user's setting before a run.
  void StoreSetting(const std::string& Name, TRegDataType Type, const std::string& Data) {
    TSettingsFile F(SettingsXml);
    F.SetValue("Software\\Kromel\\", Name, Type, Data);
    ASSERT_TRUE(F.Save());
  }
  std::string StoredSetting(const std::string& Name) {
    TSettingsFile F(SettingsXml);
    TRegDataType Type;
    std::string Data;
    return F.GetValue("Software\\Kromel\\", Name, Type, Data) ? Data : "(none)";
  }

  static TImage64 Load(const std::string& FileName) {
    TImage64 Img;
    LoadImage64FromFile(Img, FileName, false, 1.0f);
    return Img;
  }
};

// Refused arguments keep their message, the rest of the line (-QUIT too)
// still runs, no file is written for them and the status is 1; "-psn"
// stays silent.
TEST_F(CommandLineTruth, RefusedArgumentsReportAndFail) {
  struct TCase {
    std::string Arg;
    const char* Message;
  };
  const TCase Cases[] = {
      {"-ACTION:EXPORTLUTT:" + Dir.File("a.cube"), "Unknown action: EXPORTLUTT"},
      {"-FOO", "Unknown parameter: -FOO"},
      {"/LUTSIZE:abc", "Invalid value in argument: /LUTSIZE:abc"},
      {"-ACTION:SETTEMPERATURE:abc", "Invalid value in argument: SETTEMPERATURE:abc"},
      {"-ACTION:SETTEMPERATURE:1e9", "Invalid value in argument: SETTEMPERATURE:1e9"},
      {"-ACTION:SETTEMPERATURE:12abc", "Invalid value in argument: SETTEMPERATURE:12abc"},
      {"-ACTION:TURNOFFTAB:7", "Invalid value in argument: TURNOFFTAB:7"},
      {"/ChartXY:10,a", "Invalid value in argument: /ChartXY:10,a"},
      {"/LOG:99", "Invalid LOG decoding index: 99"},
      {"ImageFromPs", "needs Photoshop"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Arg);
    fs::remove(Dir.File("after.cube"));
    EXPECT_EQ(Kromel({Photo, C.Arg, "-ACTION:EXPORTLUT:" + Dir.File("after.cube"), "-QUIT"}), 1)
        << Output();
    EXPECT_NE(Output().find(C.Message), std::string::npos) << Output();
    EXPECT_FALSE(Exists("a.cube"));
    // The rest of the line ran.
    EXPECT_EQ(Exists("after.cube"), C.Arg != "ImageFromPs") << Output();
  }
  EXPECT_EQ(Kromel({Photo, "-psn_0_1234", "-ACTION:EXPORTLUT:" + Dir.File("psn.cube"), "-QUIT"}), 0);
  EXPECT_EQ(Output(), "");
  EXPECT_TRUE(Exists("psn.cube"));
}

// "/LOG:" decodes the input: the exported LUT is no longer the identity.
TEST_F(CommandLineTruth, LogOptionTakesEffect) {
  ASSERT_EQ(Kromel({"/LOG:1", Photo, "/LUTSIZE:17", "-ACTION:EXPORTLUT:" + Dir.File("log.cube"), "-QUIT"}), 0)
      << Output();
  ASSERT_EQ(Kromel({Photo, "/LUTSIZE:17", "-ACTION:EXPORTLUT:" + Dir.File("plain.cube"), "-QUIT"}), 0);
  EXPECT_NE(ReadBytes(Dir.File("log.cube")), ReadBytes(Dir.File("plain.cube")));
}

// "DEBUG" among the first three arguments switches the log on and is not
// loaded; the run succeeds.
TEST_F(CommandLineTruth, DebugSwitchIsNeverAFile) {
  testing::TScopedEnv Tmp("TMPDIR", Dir.Path.string());
  EXPECT_EQ(Kromel({Photo, "debug", "-ACTION:EXPORTLUT:" + Dir.File("d.cube"), "-QUIT"}), 0) << Output();
  EXPECT_EQ(Output().find("File not found"), std::string::npos) << Output();
  EXPECT_TRUE(Exists("d.cube"));
  EXPECT_TRUE(Exists("Kromel_debug.log"));
}

// No save or export replaces a file the run read, whatever the spelling of
// its name; the file stays as it was.
TEST_F(CommandLineTruth, OutputOntoAnInputIsRefused) {
  const std::string Ref = Dir.File("ref.png");
  fs::copy_file(Photo, Ref);
  fs::create_symlink(Photo, Dir.File("link.png"));
  const std::vector<uint8_t> PhotoBytes = ReadBytes(Photo), LookBytes = ReadBytes(Look);
  struct TCase {
    std::vector<std::string> Args;
    const char* Message;
  };
  const TCase Cases[] = {
      {{Photo, "/Save:" + Photo}, "is the loaded image"},
      {{Photo, "/Save:" + Dir.Path.string() + "/./photo.png"}, "is the loaded image"},
      {{Photo, "/Save:" + Dir.File("link.png")}, "is the loaded image"},
      {{Photo, Ref, "/Save:" + Ref}, "is the loaded reference image"},
      {{Photo, Look, "-ACTION:EXPORTLUT:" + Look}, "is the loaded preset or LUT"},
      {{Photo, "-ACTION:LOADEXTLUT:" + Look, "-ACTION:EXPORTLUT:" + Look}, "is the loaded external LUT"},
  };
  for (const TCase& C : Cases) {
    std::vector<std::string> Args = C.Args;
    Args.push_back("-QUIT");
    SCOPED_TRACE(Args[Args.size() - 2]);
    EXPECT_EQ(Kromel(Args), 1) << Output();
    EXPECT_NE(Output().find(C.Message), std::string::npos) << Output();
    EXPECT_EQ(ReadBytes(Photo), PhotoBytes);
    EXPECT_EQ(ReadBytes(Ref), PhotoBytes);
    EXPECT_EQ(ReadBytes(Look), LookBytes);
  }
}

// After a failed load of an image, preset or LUT the run's exports and
// saves are skipped, each with its message.
TEST_F(CommandLineTruth, FailedLoadSkipsExportsAndSaves) {
  ASSERT_TRUE(SaveStringToFile(Dir.File("bad.luc"), "not a preset\n", nullptr));
  ASSERT_TRUE(SaveStringToFile(Dir.File("bad.cube"), "LUT_3D_SIZE 9\n0 0 0\n", nullptr));
  const std::vector<std::string> Loads[] = {
      {Dir.File("missing.png")},
      {Photo, Dir.File("bad.luc")},
      {Photo, "-ACTION:LOADEXTLUT:" + Dir.File("bad.cube")},
      {Photo, Dir.File("missing_ref.png")},
  };
  for (const auto& L : Loads) {
    SCOPED_TRACE(L.back());
    fs::remove(Dir.File("x.cube"));
    fs::remove(Dir.File("x.png"));
    std::vector<std::string> Args = L;
    for (const char* A : {"-ACTION:EXPORTLUT:", "/Save:"}) Args.push_back(A + Dir.File(A[1] == 'A' ? "x.cube" : "x.png"));
    Args.push_back("-QUIT");
    EXPECT_EQ(Kromel(Args), 1) << Output();
    EXPECT_NE(Output().find("LUT export skipped"), std::string::npos) << Output();
    EXPECT_NE(Output().find("Saving the image skipped"), std::string::npos) << Output();
    EXPECT_FALSE(Exists("x.cube"));
    EXPECT_FALSE(Exists("x.png"));
  }
}

// "/Save:" keeps the alpha channel in PNG and TIFF and writes JPEG at the
// preferred quality ("Better (95)" unless the stored preference says
// otherwise); the stored "no alpha" preference is followed too.
TEST_F(CommandLineTruth, SavedImageKeepsAlphaAndJpegQuality) {
  ASSERT_EQ(Kromel({Photo, "/Save:" + Dir.File("a.png"), "/Save:" + Dir.File("a.tif"),
                    "/Save:" + Dir.File("a.jpg"), "-QUIT"}),
            0)
      << Output();
  for (const char* F : {"a.png", "a.tif"}) {
    TImage64 Img = Load(Dir.File(F));
    ASSERT_EQ(Img.Width, 40) << F;
    EXPECT_EQ(Img.Pixels[5 * 40 + 3].A, 15000) << F;
    EXPECT_EQ(Img.Pixels[5 * 40 + 30].A, 65535) << F;
  }
  StoreSetting("JPEGQuality", TRegDataType::Integer, "1");  // "Good (75)"
  StoreSetting("SaveAlphaChannel", TRegDataType::Boolean, "false");
  ASSERT_EQ(Kromel({Photo, "/Save:" + Dir.File("b.jpg"), "/Save:" + Dir.File("b.png"), "-QUIT"}), 0)
      << Output();
  TImage64 Img = Load(Dir.File("b.png"));
  EXPECT_EQ(Img.Pixels[5 * 40 + 3].A, 65535);
  if (ProgramAvailable("ffprobe")) {
    for (const auto& [F, Format] : {std::pair{"a.png", "rgba64be"}, std::pair{"b.png", "rgb48be"}}) {
      ASSERT_EQ(RunProgram({"ffprobe", "-v", "error", "-show_entries", "stream=pix_fmt", "-of",
                            "csv=p=0", Dir.File(F)},
                           Dir.File("probe.txt")),
                0);
      EXPECT_EQ(ReadText(Dir.File("probe.txt")), std::string(Format) + "\n") << F;
    }
  }
  if (!ProgramAvailable("exiftool")) GTEST_SKIP() << "exiftool not installed";
  for (const auto& [F, Quality] : {std::pair{"a.jpg", "95"}, std::pair{"b.jpg", "75"}}) {
    ASSERT_EQ(RunProgram({"exiftool", "-s3", "-JPEGQualityEstimate", Dir.File(F)}, Dir.File("q.txt")), 0);
    EXPECT_EQ(ReadText(Dir.File("q.txt")), std::string(Quality) + "\n") << F;
  }
}

// An unknown or empty "/Save:" name and a folder given as a file say what
// is wrong.
TEST_F(CommandLineTruth, MessagesSayWhatIsWrong) {
  fs::create_directories(Dir.File("folder"));
  struct TCase {
    std::vector<std::string> Args;
    const char* Message;
  };
  const TCase Cases[] = {
      {{Photo, "/Save:" + Dir.File("out.xyz")}, "Unsupported image file type"},
      {{Photo, "/Save:"}, "no file name given"},
      {{Photo, "/Save:" + Dir.File("noext")}, "Unsupported image file type"},
      {{Dir.File("folder")}, "Not a file but a folder: "},
      {{Photo, "-ACTION:EXPORTLUT:" + Dir.File("x.foo")}, "Unsupported 3DLUT file type"},
  };
  for (const TCase& C : Cases) {
    std::vector<std::string> Args = C.Args;
    Args.push_back("-QUIT");
    SCOPED_TRACE(Args[Args.size() - 2]);
    EXPECT_EQ(Kromel(Args), 1);
    EXPECT_NE(Output().find(C.Message), std::string::npos) << Output();
    EXPECT_EQ(Output().find("48-bit"), std::string::npos) << Output();
  }
  // A reference image that can't be read is reported once.
  ASSERT_TRUE(SaveStringToFile(Dir.File("broken.png"), "garbage", nullptr));
  EXPECT_EQ(Kromel({Photo, Dir.File("broken.png"), "-QUIT"}), 1);
  const std::string Out = Output();
  const size_t First = Out.find("broken.png");
  ASSERT_NE(First, std::string::npos) << Out;
  EXPECT_EQ(Out.find("broken.png", First + 1), std::string::npos) << Out;
}

// Every export format by extension; other programs read what they can.
TEST_F(CommandLineTruth, ExportDispatchesEveryFormat) {
  const std::string Base = Dir.File("base.dcp");
  fs::copy_file(fs::path(KROMEL_FUZZ_CORPUS) / "dcp_profile" / "full.dcp", Base);
  StoreSetting("DCPBaseProfile", TRegDataType::String, Base);
  const char* Files[] = {"h.png", "h.tif", "p.icc", "p.icm", "look.dcp", "c.acv", "c.lrtemplate",
                         "c.copreset", "c.xmp", "c.rtc", "l.cube"};
  std::vector<std::string> Args = {Photo, Look, "/Save:" + Dir.File("graded.png")};
  for (const char* F : Files) Args.push_back("-ACTION:EXPORTLUT:" + Dir.File(F));
  Args.push_back("-QUIT");
  ASSERT_EQ(Kromel(Args), 0) << Output();
  for (const char* F : Files) {
    if (std::string(F) == "look.dcp") continue;  // named after the base's camera
    EXPECT_GT(ReadBytes(Dir.File(F)).size(), 20u) << F;
  }
  bool Dcp = false;
  for (const auto& E : fs::directory_iterator(Dir.Path))
    Dcp = Dcp || (E.path().filename().string().ends_with(" look.dcp") && E.file_size() > 1000);
  EXPECT_TRUE(Dcp) << "no camera profile written";
  // The program's own ".csp" is not read back, and says so.
  ASSERT_EQ(Kromel({Photo, "-ACTION:EXPORTLUT:" + Dir.File("l.csp"), "-QUIT"}), 0);
  EXPECT_EQ(Kromel({Photo, Dir.File("l.csp"), "-QUIT"}), 1);
  EXPECT_NE(Output().find("Unsupported LUT type: " + Dir.File("l.csp")), std::string::npos) << Output();
  EXPECT_EQ(Kromel({Photo, "-ACTION:LOADEXTLUT:" + Dir.File("l.csp"), "-QUIT"}), 1);
  EXPECT_NE(Output().find("Unsupported LUT type: "), std::string::npos) << Output();
  // A Hald picture needs a square LUT size: 33 is refused, not written.
  EXPECT_EQ(Kromel({Photo, "/LUTSIZE:33", "-ACTION:EXPORTLUT:" + Dir.File("h33.png"), "-QUIT"}), 1);
  EXPECT_FALSE(Exists("h33.png"));

  if (ProgramAvailable("iccdump")) {
    for (const char* F : {"p.icc", "p.icm"}) {
      ASSERT_EQ(RunProgram({"iccdump", Dir.File(F)}, Dir.File("icc.txt")), 0) << F;
      EXPECT_NE(ReadText(Dir.File("icc.txt")).find("Abstract"), std::string::npos) << F;
    }
  }
  if (ProgramAvailable("transicc")) {
    // Little CMS applies the abstract profile to a Lab colour.
    ASSERT_TRUE(SaveStringToFile(Dir.File("in.txt"), "50 0 0\n", nullptr));
    EXPECT_EQ(RunProgram({"transicc", "-l", Dir.File("p.icc"), "-n"}, Dir.File("t.txt"), true,
                         Dir.File("in.txt")),
              0)
        << ReadText(Dir.File("t.txt"));
  }
  if (!ProgramAvailable("ffmpeg")) GTEST_SKIP() << "ffmpeg not installed";
  // ffmpeg's Hald filter with our picture grades the photograph as we did.
  TImage64 Ours = Load(Dir.File("graded.png"));
  for (const char* F : {"h.png", "h.tif"}) {
    const std::string Raw = Dir.File(std::string(F) + ".rgb");
    ASSERT_EQ(RunProgram({"ffmpeg", "-v", "error", "-y", "-i", Photo, "-i", Dir.File(F),
                          "-filter_complex", "[0:v]format=rgb48le[a];[a][1:v]haldclut",
                          "-pix_fmt", "rgb48le", "-f", "rawvideo", Raw},
                         Dir.File("ff.txt")),
              0)
        << ReadText(Dir.File("ff.txt"));
    const std::vector<uint8_t> Theirs = ReadBytes(Raw);
    ASSERT_EQ(Theirs.size(), size_t(40) * 24 * 6) << F;
    int32_t Worst = 0;
    for (int32_t I = 0; I < 40 * 24; I++) {
      if (Ours.Pixels[I].A != 65535) continue;  // we blend by alpha, ffmpeg does not
      const uint16_t* T = reinterpret_cast<const uint16_t*>(Theirs.data()) + I * 3;
      const TPixel64& P = Ours.Pixels[I];
      Worst = std::max({Worst, std::abs(int32_t(T[0]) - P.R), std::abs(int32_t(T[1]) - P.G),
                        std::abs(int32_t(T[2]) - P.B)});
    }
    EXPECT_LE(Worst, 257 * 2) << F;
  }
}

// The README's example line runs as it stands, and every export extension
// its command-line section names is written.
TEST_F(CommandLineTruth, ReadmeCommandLineSectionHolds) {
  const std::string Readme = ReadText(KROMEL_README);
  const std::string Example =
      "kromel photo.jpg look.lux /LUTSIZE:33 -ACTION:EXPORTLUT:look.cube /Save:out.tif -QUIT";
  ASSERT_NE(Readme.find("    " + Example + "\n"), std::string::npos);
  TImage64 Img = Load(Photo);
  ASSERT_TRUE(SaveImage64ToFile8bit(Img, Dir.File("photo.jpg"), EmptyICCProfile()));
  TKromelPreset Preset;
  Preset.Basic->Exposure->SetValue(0.6f);
  ASSERT_TRUE(SavePresetToFile(Preset, Dir.File("look.lux")));
  std::vector<std::string> Args;
  for (size_t P = Example.find(' ') + 1; P != 0; P = Example.find(' ', P) + 1) {
    const std::string Word = Example.substr(P, Example.find(' ', P) - P);
    const size_t Colon = Word.rfind(':');
    // File names are the test folder's.
    Args.push_back(Word.find('.') == std::string::npos || Word.rfind("/LUTSIZE", 0) == 0
                       ? Word
                       : Colon == std::string::npos ? Dir.File(Word)
                                                    : Word.substr(0, Colon + 1) + Dir.File(Word.substr(Colon + 1)));
  }
  ASSERT_EQ(Kromel(Args), 0) << Output();
  EXPECT_NE(ReadText(Dir.File("look.cube")).find("LUT_3D_SIZE 33"), std::string::npos);
  EXPECT_TRUE(Exists("out.tif"));

  const size_t From = Readme.find("`-ACTION:EXPORTLUT:<file>`");
  const size_t To = Readme.find("`/Save:<file>`", From);
  ASSERT_TRUE(From != std::string::npos && To != std::string::npos);
  const std::string Bullet = Readme.substr(From, To - From);
  // The code spans of the bullet that are file extensions.
  std::vector<std::string> Exts;
  for (size_t P = Bullet.find('`'); P != std::string::npos; P = Bullet.find('`', P + 1)) {
    const size_t End = Bullet.find('`', P + 1);
    if (End == std::string::npos) break;
    const std::string Span = Bullet.substr(P + 1, End - P - 1);
    if (Span.size() > 1 && Span[0] == '.') Exts.push_back(Span);
    P = End;
  }
  ASSERT_GE(Exts.size(), 12u);
  const std::string Base = Dir.File("base.dcp");
  fs::copy_file(fs::path(KROMEL_FUZZ_CORPUS) / "dcp_profile" / "full.dcp", Base);
  StoreSetting("DCPBaseProfile", TRegDataType::String, Base);
  Args = {Photo};
  for (const std::string& E : Exts) Args.push_back("-ACTION:EXPORTLUT:" + Dir.File("r" + E));
  Args.push_back("-QUIT");
  ASSERT_EQ(Kromel(Args), 0) << Output();
  for (const std::string& E : Exts) {
    bool Found = false;
    for (const auto& F : fs::directory_iterator(Dir.Path))
      Found = Found || F.path().filename().string().ends_with("r" + E);
    EXPECT_TRUE(Found) << E;
  }
}

// The stored settings reach the run and persist: the working LUT size of
// the preferences sizes the export, the command line's options hold for
// the run only, the recent images survive (a name with control characters
// included, in a file xmllint accepts), and a corrupt file is reported
// once and kept aside without replacing an earlier kept copy.
TEST_F(CommandLineTruth, SettingsLoadAtStartAndSaveAtExit) {
  StoreSetting("AlwaysSave64", TRegDataType::Boolean, "false");
  StoreSetting("LUTSize", TRegDataType::Integer, "3");  // "17"
  ASSERT_EQ(Kromel({Photo, "-ACTION:EXPORTLUT:" + Dir.File("w.cube"), "-QUIT"}), 0) << Output();
  EXPECT_NE(ReadText(Dir.File("w.cube")).find("LUT_3D_SIZE 17\r\n"), std::string::npos);
  ASSERT_EQ(Kromel({Photo, "/LUTSIZE:33", "-ACTION:EXPORTLUT:" + Dir.File("o.cube"), "-QUIT"}), 0);
  EXPECT_NE(ReadText(Dir.File("o.cube")).find("LUT_3D_SIZE 33\r\n"), std::string::npos);
  EXPECT_EQ(StoredSetting("AlwaysSave64"), "false");

  const std::string Odd = Dir.File("ph\x01o\tto.png");
  fs::copy_file(Photo, Odd);
  ASSERT_EQ(Kromel({Odd, "-QUIT"}), 0) << Output();
  EXPECT_EQ(StoredSetting("RecentFileImages1"), Odd);
  if (ProgramAvailable("xmllint")) {
    EXPECT_EQ(RunProgram({"xmllint", "--noout", SettingsXml}, Dir.File("lint.txt")), 0)
        << ReadText(Dir.File("lint.txt"));
  }
  // The newest recent image, by its "*LAST*" name.
  ASSERT_EQ(Kromel({"*LAST*.png", "/Save:" + Dir.File("last.png"), "-QUIT"}), 0) << Output();
  EXPECT_TRUE(Exists("last.png"));

  // Corrupt twice: two kept copies, one message each, a fresh file after.
  for (const char* Junk : {"<settings><key", "not xml at all"}) {
    ASSERT_TRUE(SaveStringToFile(SettingsXml, Junk, nullptr));
    EXPECT_EQ(Kromel({Photo, "-QUIT"}), 0);
    const std::string Out = Output();
    const size_t At = Out.find("Could not read the settings file");
    EXPECT_NE(At, std::string::npos) << Out;
    EXPECT_EQ(Out.find("Could not read the settings file", At + 1), std::string::npos) << Out;
  }
  EXPECT_EQ(ReadText(SettingsXml + ".bad"), "<settings><key");
  EXPECT_EQ(ReadText(SettingsXml + ".bad.1"), "not xml at all");
  EXPECT_EQ(StoredSetting("SettingsVersion"), "51");
}

}  // namespace
}  // namespace kromel
