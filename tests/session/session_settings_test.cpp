#include "session/session_settings.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace kromel {
namespace {

using testing::ReadText;
using testing::TTestTempDir;
using testing::WriteText;

class SessionSettings : public testing::TCaptureTest {
protected:
  TTestTempDir Dir{"kromel_settings"};
  std::string FileName = Dir.File("settings.xml");
  std::shared_ptr<TSettingsFile> Open() { return std::make_shared<TSettingsFile>(FileName); }
  // Writes raw values into the file as an older version would have.
  void Store(const std::function<void(TRegistry&)>& Fn) {
    auto F = Open();
    TRegistry R(F);
    ASSERT_TRUE(R.OpenKey(SettingsKey, true));
    Fn(R);
    R.CloseKey();
    ASSERT_TRUE(F->Save());
  }
};

TEST_F(SessionSettings, EveryValueRoundTripsAndVersionIs51) {
  TSessionSettings Out;
  TPreferences& P = Out.Preferences;
  // A value different from every default.
  P.SaveToDirectoryMethod = 0;
  P.ClipToWhite = true;
  P.JPEGQuality = 3;
  P.LutSaveDirectory = "/luts/out";
  P.PickerArea = 4;
  P.DefaultGridSize = 11;
  P.SaveBackupFiles = false;
  P.DefaultSaveFormat = 7;
  P.AlwaysSave64 = false;
  P.LUTSize = 8;
  P.CMSIntent = 2;
  P.ConfirmExit = false;
  P.BackgroundColor = 3;
  P.BorderColorPlanes = true;
  P.SquareAB = true;
  P.CurvesAutoBW = 1;
  P.DefaultColorModel = 4;
  P.DefaultPickerMode = 2;
  P.CurvesDegrade = 5;
  P.WarnAboutLogLoading = false;
  P.Language = 4;
  P.LoadLUTPresets = false;
  P.FavoriteLUTFolder = "/fav";
  P.AllowStatistics = false;
  P.AddPlusSymbolToImageFilenames = false;
  P.FavoriteLUTFolder2 = "/fav2";
  P.MacPhotoshop = 9;
  P.CustomPhotoshopPath = "/ps";
  P.InputICCForCaptureOne = false;
  P.PersonalAccountPassword = "secret-pass-123";
  P.DCPApplyHueSat = false;
  P.OpenCLEnable = false;
  P.LibrawHighlights = 7;
  P.LibrawDenoise = 2;
  P.LibrawDemosaic = 10;
  P.LoadWhiteBalanceFromRaw = false;
  P.LoadColorMatrixFromRaw = false;
  P.LibrawUniWB = true;
  P.LibRawColor = 5;
  P.LibrawChromaticAberrations = true;
  P.LibrawReloadRaw = true;
  P.LibRawDebanding = true;
  P.LibRawLineNoiseReduction = true;
  P.LibRawAHDPasses = 4;
  P.LUTExtrapolationLimit = 9;
  P.ChartIgnoreLowSaturatedPatches = false;
  P.ChartTetrahedralization = true;
  P.ChartBlackWhiteInterpolation = false;
  P.SaveAlphaChannel = false;
  P.LutManagerThumbnailSize = 420;
  P.OpenEXRinSRGB = false;
  P.DontSavePresetsToLUTs = true;
  P.ModalPluginMode = false;
  TMainSettings& M = Out.Main;
  M.CustomICC = "/icc/monitor.icc";
  M.ICCMode = 2;
  M.DiscardImageProfile = true;
  M.DeltaEType = 3;
  M.PickerMode = 5;
  M.ICCBaseProfile = "/icc/base.icc";
  M.DCPBaseProfile = "/dcp/base.dcp";
  M.ProofingProfileFileName = "/icc/proof.icc";
  M.DCPLightroomCurvesFolder = "/lr";
  M.AnalyzerHistogram = M.AnalyzerWaveform = M.AnalyzerAverages = M.AnalyzerVectorscope = true;
  M.AnalyzerLUTCurves = M.AnalyzerColorCircle = M.AnalyzerColorSort = true;
  M.AnalyzerLUTStatistics = M.AnalyzerWaveformX2 = M.AnalyzerGradient = true;
  M.SeparateImageWindow = M.WindowHistory = M.AnalyzerWindowVisible = true;
  M.SplitterLeft = 640;
  M.LastUpdateCheck = 45000.5;
  Out.Placements[2] = {true, true, 10, 20, 800, 600};
  Out.Recent.Presets.Add("/p/b.luc");
  Out.Recent.Presets.Add("/p/a.luc");
  Out.Recent.ProofingProfiles.Add("/icc/proof.icc");
  SaveSessionSettings(Out, Open());

  const std::string Text = ReadText(FileName);
  EXPECT_EQ(Text.find("secret-pass-123"), std::string::npos);
  EXPECT_EQ(Text.find("PersonalAccountPassword"), std::string::npos);
  {
    TRegistry R(Open());
    ASSERT_TRUE(R.OpenKey(SettingsKey, false));
    EXPECT_EQ(R.ReadInteger("SettingsVersion"), 51);
    EXPECT_EQ(R.ReadString("RecentFilePresets1"), "/p/a.luc");
    EXPECT_EQ(R.ReadString("RecentFilePresets2"), "/p/b.luc");
    EXPECT_EQ(R.ReadInteger("DefaultSaveFormat"), 7);
  }

  TSessionSettings In;
  LoadSessionSettings(In, true, Open());
  EXPECT_TRUE(Silent());
  TPreferences Expected = P;
  Expected.PersonalAccountPassword.clear();
  TPreferences& Q = In.Preferences;
  EXPECT_EQ(Q.SaveToDirectoryMethod, 0);
  EXPECT_TRUE(Q.ClipToWhite);
  EXPECT_EQ(Q.JPEGQuality, 3);
  EXPECT_EQ(Q.LutSaveDirectory, "/luts/out");
  EXPECT_EQ(Q.PickerArea, 4);
  EXPECT_EQ(Q.DefaultGridSize, 11);
  EXPECT_FALSE(Q.SaveBackupFiles);
  EXPECT_EQ(Q.DefaultSaveFormat, 7);
  EXPECT_FALSE(Q.AlwaysSave64);
  EXPECT_EQ(Q.LUTSize, 8);
  EXPECT_EQ(Q.CMSIntent, 2);
  EXPECT_FALSE(Q.ConfirmExit);
  EXPECT_EQ(Q.BackgroundColor, 3);
  EXPECT_TRUE(Q.BorderColorPlanes);
  EXPECT_TRUE(Q.SquareAB);
  EXPECT_EQ(Q.CurvesAutoBW, 1);
  EXPECT_EQ(Q.DefaultColorModel, 4);
  EXPECT_EQ(Q.DefaultPickerMode, 2);
  EXPECT_EQ(Q.CurvesDegrade, 5);
  EXPECT_FALSE(Q.WarnAboutLogLoading);
  EXPECT_EQ(Q.Language, 4);
  EXPECT_FALSE(Q.LoadLUTPresets);
  EXPECT_EQ(Q.FavoriteLUTFolder, "/fav");
  EXPECT_FALSE(Q.AllowStatistics);
  EXPECT_FALSE(Q.AddPlusSymbolToImageFilenames);
  EXPECT_EQ(Q.FavoriteLUTFolder2, "/fav2");
  EXPECT_EQ(Q.MacPhotoshop, 9);
  EXPECT_EQ(Q.CustomPhotoshopPath, "/ps");
  EXPECT_FALSE(Q.InputICCForCaptureOne);
  EXPECT_EQ(Q.PersonalAccountPassword, "");
  EXPECT_FALSE(Q.DCPApplyHueSat);
  EXPECT_FALSE(Q.OpenCLEnable);
  EXPECT_EQ(Q.LibrawHighlights, 7);
  EXPECT_EQ(Q.LibrawDenoise, 2);
  EXPECT_EQ(Q.LibrawDemosaic, 10);
  EXPECT_FALSE(Q.LoadWhiteBalanceFromRaw);
  EXPECT_FALSE(Q.LoadColorMatrixFromRaw);
  EXPECT_TRUE(Q.LibrawUniWB);
  EXPECT_EQ(Q.LibRawColor, 5);
  EXPECT_TRUE(Q.LibrawChromaticAberrations);
  EXPECT_TRUE(Q.LibrawReloadRaw);
  EXPECT_TRUE(Q.LibRawDebanding);
  EXPECT_TRUE(Q.LibRawLineNoiseReduction);
  EXPECT_EQ(Q.LibRawAHDPasses, 4);
  EXPECT_EQ(Q.LUTExtrapolationLimit, 9);
  EXPECT_FALSE(Q.ChartIgnoreLowSaturatedPatches);
  EXPECT_TRUE(Q.ChartTetrahedralization);
  EXPECT_FALSE(Q.ChartBlackWhiteInterpolation);
  EXPECT_FALSE(Q.SaveAlphaChannel);
  EXPECT_EQ(Q.LutManagerThumbnailSize, 420);
  EXPECT_FALSE(Q.OpenEXRinSRGB);
  EXPECT_TRUE(Q.DontSavePresetsToLUTs);
  EXPECT_FALSE(Q.ModalPluginMode);

  const TMainSettings& N = In.Main;
  EXPECT_EQ(N.CustomICC, "/icc/monitor.icc");
  EXPECT_EQ(N.ICCMode, 2);
  EXPECT_TRUE(N.DiscardImageProfile);
  EXPECT_EQ(N.DeltaEType, 3);
  EXPECT_EQ(N.PickerMode, 5);
  EXPECT_EQ(N.ICCBaseProfile, "/icc/base.icc");
  EXPECT_EQ(N.DCPBaseProfile, "/dcp/base.dcp");
  EXPECT_EQ(N.ProofingProfileFileName, "/icc/proof.icc");
  EXPECT_EQ(N.DCPLightroomCurvesFolder, "/lr");
  EXPECT_TRUE(N.AnalyzerHistogram && N.AnalyzerWaveform && N.AnalyzerAverages &&
              N.AnalyzerVectorscope && N.AnalyzerLUTCurves && N.AnalyzerColorCircle &&
              N.AnalyzerColorSort && N.AnalyzerLUTStatistics && N.AnalyzerWaveformX2 &&
              N.AnalyzerGradient && N.SeparateImageWindow && N.WindowHistory &&
              N.AnalyzerWindowVisible);
  EXPECT_EQ(N.SplitterLeft, 640);
  EXPECT_DOUBLE_EQ(N.LastUpdateCheck, 45000.5);
  EXPECT_TRUE(In.Placements[2].Maximized);
  EXPECT_EQ(In.Placements[2].Width, 800);
  ASSERT_EQ(In.Recent.Presets.Names.GetCount(), 2);
  EXPECT_EQ(In.Recent.Presets.Names.Get(0), "/p/a.luc");
  EXPECT_EQ(In.Recent.ProofingProfiles.Names.Get(0), "/icc/proof.icc");

  // Without the view state the view values keep their fields.
  TSessionSettings NoView;
  LoadSessionSettings(NoView, false, Open());
  EXPECT_FALSE(NoView.Main.AnalyzerHistogram);
  EXPECT_EQ(NoView.Main.SplitterLeft, 576);
  EXPECT_EQ(NoView.Preferences.LUTSize, 8);
}

TEST_F(SessionSettings, FirstRunGivesTheStartingValues) {
  TSessionSettings S;
  LoadSessionSettings(S, true, Open());
  EXPECT_EQ(LUTSizeItems[S.Preferences.LUTSize], "25");
  EXPECT_EQ(DefaultGridSizeItems[S.Preferences.DefaultGridSize], "8C");
  EXPECT_EQ(S.Preferences.LibRawColor, 3);
  EXPECT_EQ(S.Main.SplitterLeft, 576);
  EXPECT_TRUE(Silent());
}

TEST_F(SessionSettings, Migrations) {
  struct TCase {
    std::function<void(TRegistry&)> Version;
    int32_t LUTSize, LibRawColor, DefaultGridSize;
    int32_t ExpectLUTSize, ExpectLibRawColor, ExpectGrid;
  };
  auto Int = [](int32_t V) { return [V](TRegistry& R) { R.WriteInteger("SettingsVersion", V); }; };
  const TCase Cases[] = {
      {Int(31), 2, 2, 11, 5, 2, 11},  // LUT size "16" becomes "25"
      {Int(31), 7, 2, 11, 7, 2, 11},  // "32" stays
      {Int(23), 8, 2, 11, 8, 3, 11},  // RAW colour ProPhoto becomes RAW - sRGB
      {Int(23), 8, 5, 11, 8, 5, 11},  // the last item stays the last
      {Int(23), 8, 0, 11, 8, 0, 11},
      {Int(19), 8, 1, 11, 8, 2, 2},  // default grid "8" whatever was stored
      {[](TRegistry& R) { R.WriteString("SettingsVersion", "fifty"); }, 1, 1, 11, 5, 2, 2},
      {Int(51), 1, 2, 11, 1, 2, 11},
  };
  for (const TCase& C : Cases) {
    Store([&](TRegistry& R) {
      C.Version(R);
      R.WriteInteger("LUTSize", C.LUTSize);
      R.WriteInteger("LibRawColor", C.LibRawColor);
      R.WriteInteger("DefaultGridSize", C.DefaultGridSize);
    });
    TSessionSettings S;
    LoadSessionSettings(S, true, Open());
    EXPECT_EQ(S.Preferences.LUTSize, C.ExpectLUTSize);
    EXPECT_EQ(S.Preferences.LibRawColor, C.ExpectLibRawColor);
    EXPECT_EQ(S.Preferences.DefaultGridSize, C.ExpectGrid);
    std::filesystem::remove(FileName);
  }
}

TEST_F(SessionSettings, LegacyPasswordIsReadOnceAndRemoved) {
  Store([](TRegistry& R) {
    R.WriteInteger("SettingsVersion", 51);
    R.WriteString("PersonalAccountPassword", "old-secret");
  });
  TSessionSettings S;
  auto F = Open();
  LoadSessionSettings(S, true, F);
  EXPECT_EQ(S.Preferences.PersonalAccountPassword, "old-secret");
  ASSERT_TRUE(F->Save());
  EXPECT_EQ(ReadText(FileName).find("old-secret"), std::string::npos);
  SaveSessionSettings(S, Open());
  EXPECT_EQ(ReadText(FileName).find("old-secret"), std::string::npos);
}

TEST_F(SessionSettings, CorruptFileGivesDefaultsAndOneMessage) {
  const char* const Texts[] = {"", "<?xml version=\"1.0\"?><settings><key path=", "not xml at all"};
  for (const char* Text : Texts) {
    WriteText(FileName, Text);
    ClearErrors();
    Sink.Clear();
    TSessionSettings S;
    auto F = Open();
    LoadSessionSettings(S, true, F);
    EXPECT_EQ(S.Preferences.LUTSize, 5);
    EXPECT_EQ(S.Preferences.DefaultGridSize, 8);
    EXPECT_EQ(Messages().size() + Errors().size(), 1u) << Text;
    std::filesystem::remove(FileName);
    std::filesystem::remove(FileName + ".bad");
  }
}

TEST(SessionPreferences, GridDefaultsAndBackground) {
  TPreferences P;
  P.DefaultGridSize = 11;  // "20C"
  int32_t Size = 0;
  bool Circular = false;
  P.DefaultGrid(Size, Circular);
  EXPECT_EQ(Size, 20);
  EXPECT_TRUE(Circular);
  P.DefaultGridSize = -1;
  P.DefaultGrid(Size, Circular);
  EXPECT_EQ(Size, 6);
  EXPECT_FALSE(Circular);
  EXPECT_EQ(CircularGridRange(1.24f), 1451);
  EXPECT_EQ(CircularGridRange(1.05f), 1228);
  EXPECT_EQ(CircularGridRange(0.92f), 1076);
  EXPECT_EQ(CircularGridRange(1.0f), 1170);
  EXPECT_EQ(P.WorkingLutSize(), 25);

  uint32_t Color = 0;
  bool Black = false;
  ASSERT_TRUE(PreviewBackground(3, Color, Black));
  EXPECT_EQ(Color, 0x808080u);
  EXPECT_TRUE(Black);
  ASSERT_TRUE(PreviewBackground(2, Color, Black));
  EXPECT_EQ(Color, 0x666666u);
  EXPECT_FALSE(Black);
  EXPECT_FALSE(PreviewBackground(7, Color, Black));

  P.SetExportLutSize(17);
  EXPECT_EQ(P.ExportLutSize, 17);
  EXPECT_EQ(P.AlwaysSave64Caption, "Always save 3DLUT with size 17");
}

}  // namespace
}  // namespace kromel
