#include "session/session_settings.h"

#include <cmath>
#include <functional>
#include <variant>

#include "foundation/error_sink.h"
#include "foundation/number_format.h"

namespace kromel {

const std::vector<std::string> DefaultGridSizeItems = {
    "4", "6", "8", "12", "16", "24", "32", "6C", "8C", "12C", "16C", "20C", "24C", "32C"};
const std::vector<std::string> LUTSizeItems = {"8",  "9",  "16", "17", "20", "25",
                                               "27", "32", "33", "40", "64", "96"};

namespace {

using TMember = std::variant<int32_t TPreferences::*, bool TPreferences::*, std::string TPreferences::*>;

struct TPreferenceValue {
  const char* Name;
  TMember Member;
};

// Table B in the stored order; the password is left out on purpose.
const TPreferenceValue PreferenceValues[] = {
    {"SaveToDirectoryMethod", &TPreferences::SaveToDirectoryMethod},
    {"ClipToWhite", &TPreferences::ClipToWhite},
    {"JPEGQuality", &TPreferences::JPEGQuality},
    {"LutSaveDirectory", &TPreferences::LutSaveDirectory},
    {"PickerArea", &TPreferences::PickerArea},
    {"DefaultGridSize", &TPreferences::DefaultGridSize},
    {"SaveBackupFiles", &TPreferences::SaveBackupFiles},
    {"DefaultSaveFormat", &TPreferences::DefaultSaveFormat},
    {"AlwaysSave64", &TPreferences::AlwaysSave64},
    {"LUTSize", &TPreferences::LUTSize},
    {"CMSIntent", &TPreferences::CMSIntent},
    {"ConfirmExit", &TPreferences::ConfirmExit},
    {"BackgroundColor", &TPreferences::BackgroundColor},
    {"BorderColorPlanes", &TPreferences::BorderColorPlanes},
    {"SquareAB", &TPreferences::SquareAB},
    {"CurvesAutoBW", &TPreferences::CurvesAutoBW},
    {"DefaultColorModel", &TPreferences::DefaultColorModel},
    {"DefaultPickerMode", &TPreferences::DefaultPickerMode},
    {"CurvesDegrade", &TPreferences::CurvesDegrade},
    {"WarnAboutLogLoading", &TPreferences::WarnAboutLogLoading},
    {"Language", &TPreferences::Language},
    {"LoadLUTPresets", &TPreferences::LoadLUTPresets},
    {"FavoriteLUTFolder", &TPreferences::FavoriteLUTFolder},
    {"AllowStatistics", &TPreferences::AllowStatistics},
    {"AddPlusSymbolToImageFilenames", &TPreferences::AddPlusSymbolToImageFilenames},
    {"FavoriteLUTFolder2", &TPreferences::FavoriteLUTFolder2},
    {"MacPhotoshop", &TPreferences::MacPhotoshop},
    {"CustomPhotoshopPath", &TPreferences::CustomPhotoshopPath},
    {"InputICCForCaptureOne", &TPreferences::InputICCForCaptureOne},
    {"DCPApplyHueSat", &TPreferences::DCPApplyHueSat},
    {"OpenCLEnable", &TPreferences::OpenCLEnable},
    {"LibrawHighlights", &TPreferences::LibrawHighlights},
    {"LibrawDenoise", &TPreferences::LibrawDenoise},
    {"LibrawDemosaic", &TPreferences::LibrawDemosaic},
    {"LoadWhiteBalanceFromRaw", &TPreferences::LoadWhiteBalanceFromRaw},
    {"LoadColorMatrixFromRaw", &TPreferences::LoadColorMatrixFromRaw},
    {"LibrawUniWB", &TPreferences::LibrawUniWB},
    {"LibRawColor", &TPreferences::LibRawColor},
    {"LibrawChromaticAberrations", &TPreferences::LibrawChromaticAberrations},
    {"LibrawReloadRaw", &TPreferences::LibrawReloadRaw},
    {"LibRawDebanding", &TPreferences::LibRawDebanding},
    {"LibRawLineNoiseReduction", &TPreferences::LibRawLineNoiseReduction},
    {"LibRawAHDPasses", &TPreferences::LibRawAHDPasses},
    {"LUTExtrapolationLimit", &TPreferences::LUTExtrapolationLimit},
    {"ChartIgnoreLowSaturatedPatches", &TPreferences::ChartIgnoreLowSaturatedPatches},
    {"ChartTetrahedralization", &TPreferences::ChartTetrahedralization},
    {"ChartBlackWhiteInterpolation", &TPreferences::ChartBlackWhiteInterpolation},
    {"SaveAlphaChannel", &TPreferences::SaveAlphaChannel},
    {"LutManagerThumbnailSize", &TPreferences::LutManagerThumbnailSize},
    {"OpenEXRinSRGB", &TPreferences::OpenEXRinSRGB},
    {"DontSavePresetsToLUTs", &TPreferences::DontSavePresetsToLUTs},
    {"ModalPluginMode", &TPreferences::ModalPluginMode},
};

constexpr const char* PasswordValue = "PersonalAccountPassword";

struct TViewValue {
  const char* Name;
  bool TMainSettings::*Member;
};

// The view check marks, "AnalyzerWaveformX2" before "AnalyzerGradient".
const TViewValue ViewValues[] = {
    {"AnalyzerHistogram", &TMainSettings::AnalyzerHistogram},
    {"AnalyzerWaveform", &TMainSettings::AnalyzerWaveform},
    {"AnalyzerAverages", &TMainSettings::AnalyzerAverages},
    {"AnalyzerVectorscope", &TMainSettings::AnalyzerVectorscope},
    {"AnalyzerLUTCurves", &TMainSettings::AnalyzerLUTCurves},
    {"AnalyzerColorCircle", &TMainSettings::AnalyzerColorCircle},
    {"AnalyzerColorSort", &TMainSettings::AnalyzerColorSort},
    {"AnalyzerLUTStatistics", &TMainSettings::AnalyzerLUTStatistics},
    {"AnalyzerWaveformX2", &TMainSettings::AnalyzerWaveformX2},
    {"AnalyzerGradient", &TMainSettings::AnalyzerGradient},
    {"SeparateImageWindow", &TMainSettings::SeparateImageWindow},
    {"WindowHistory", &TMainSettings::WindowHistory},
};

// Runs Read when Name exists; a failed read runs OnFail.
void ReadValue(TRegistry& R, const std::string& Name, const std::function<void()>& Read,
               const std::function<void()>& OnFail = {}) {
  try {
    if (!R.ValueExists(Name)) return;
    Read();
  } catch (...) {
    if (OnFail) OnFail();
  }
}

void ReadPlacement(TRegistry& R, const std::string& Prefix, TWindowPlacement& P) {
  ReadValue(R, Prefix + "WindowMaximized", [&] { P.Maximized = R.ReadBool(Prefix + "WindowMaximized"); });
  ReadValue(R, Prefix + "WindowVisible", [&] { P.Visible = R.ReadBool(Prefix + "WindowVisible"); });
  ReadValue(R, Prefix + "WindowLeft", [&] { P.Left = R.ReadInteger(Prefix + "WindowLeft"); });
  ReadValue(R, Prefix + "WindowTop", [&] { P.Top = R.ReadInteger(Prefix + "WindowTop"); });
  ReadValue(R, Prefix + "WindowWidth", [&] { P.Width = R.ReadInteger(Prefix + "WindowWidth"); });
  ReadValue(R, Prefix + "WindowHeight", [&] { P.Height = R.ReadInteger(Prefix + "WindowHeight"); });
}

void WritePlacement(TRegistry& R, const std::string& Prefix, const TWindowPlacement& P) {
  R.WriteBool(Prefix + "WindowMaximized", P.Maximized);
  R.WriteBool(Prefix + "WindowVisible", P.Visible);
  R.WriteInteger(Prefix + "WindowLeft", P.Left);
  R.WriteInteger(Prefix + "WindowTop", P.Top);
  R.WriteInteger(Prefix + "WindowWidth", P.Width);
  R.WriteInteger(Prefix + "WindowHeight", P.Height);
}

int32_t IndexOf(const std::vector<std::string>& Items, const std::string& Text) {
  for (size_t I = 0; I < Items.size(); I++)
    if (Items[I] == Text) return static_cast<int32_t>(I);
  return -1;
}

std::shared_ptr<TSettingsFile> StoreOrUser(std::shared_ptr<TSettingsFile> File) {
  return File ? std::move(File) : TSettingsFile::ForUser();
}

void LoadPreferences(TRegistry& R, TPreferences& P) {
  for (const TPreferenceValue& V : PreferenceValues) {
    const std::string Name = V.Name;
    std::visit(
        [&](auto Member) {
          using T = std::remove_cvref_t<decltype(P.*Member)>;
          ReadValue(R, Name, [&] {
            if constexpr (std::is_same_v<T, int32_t>)
              P.*Member = R.ReadInteger(Name);
            else if constexpr (std::is_same_v<T, bool>)
              P.*Member = R.ReadBool(Name);
            else
              P.*Member = R.ReadString(Name);
          });
        },
        V.Member);
  }
  // A password stored by an earlier version is kept for this run only.
  ReadValue(R, PasswordValue, [&] { P.PersonalAccountPassword = R.ReadString(PasswordValue); });
  if (R.ValueExists(PasswordValue)) R.DeleteValue(PasswordValue);
}

}  // namespace

void TPreferences::SetExportLutSize(int32_t N) {
  ExportLutSize = N;
  AlwaysSave64 = true;
  const size_t At = AlwaysSave64Caption.find(" 64");
  if (At != std::string::npos) AlwaysSave64Caption.replace(At, 3, " " + std::to_string(N));
}

int32_t TPreferences::WorkingLutSize() const {
  int32_t N = 0;
  if (LUTSize >= 0 && LUTSize < static_cast<int32_t>(LUTSizeItems.size()))
    N = StrToIntLeading(LUTSizeItems[LUTSize]);
  return N < 3 ? 3 : N;
}

void TPreferences::DefaultGrid(int32_t& Size, bool& Circular) const {
  Size = 6;
  Circular = false;
  if (DefaultGridSize >= 0 && DefaultGridSize < static_cast<int32_t>(DefaultGridSizeItems.size())) {
    std::string Text = DefaultGridSizeItems[DefaultGridSize];
    const size_t C = Text.find('C');
    Circular = C != std::string::npos;
    if (Circular) Text.erase(C, 1);
    Size = StrToIntLeading(Text);
  }
  if (Size < 4) Size = 4;
}

int32_t CircularGridRange(float ColorModelScale) {
  const float R = ColorModelScale * 1170.0f;
  return static_cast<int32_t>(std::nearbyint(R));
}

bool PreviewBackground(int32_t Item, uint32_t& Color, bool& BlackText) {
  static const uint32_t Colors[7] = {0x000000, 0x333333, 0x666666, 0x808080,
                                     0x999999, 0xCCCCCC, 0xFFFFFF};
  if (Item < 0 || Item > 6) return false;
  Color = Colors[Item];
  BlackText = (Color & 0xFF) >= 128;
  return true;
}

std::array<std::pair<TRecentFiles*, const char*>, 6> TRecentLists::All() {
  return {{{&Images, "Images"},
           {&Presets, "Presets"},
           {&ColorSwatches, "ColorSwatches"},
           {&LUTs, "LUTs"},
           {&ChannelMixerPresets, "ChannelMixerPresets"},
           {&ProofingProfiles, "ProofingProfiles"}}};
}

void LoadSessionSettings(TSessionSettings& S, bool ReadViewState,
                         std::shared_ptr<TSettingsFile> File) {
  File = StoreOrUser(std::move(File));
  TPreferences& P = S.Preferences;
  TMainSettings& M = S.Main;
  try {
    TRegistry R(File);
    if (R.OpenKey(SettingsKey, true)) LoadPreferences(R, P);
    for (auto& [List, Name] : S.Recent.All()) List->LoadFromRegistry("Kromel", Name, File);
    if (P.LibrawHighlights < 0) P.LibrawHighlights = 2;
    if (P.LibrawDemosaic < 0) P.LibrawDemosaic = 3;
  } catch (...) {
    ErrorMessageProc("Exception while reading settings");
  }
  try {
    TRegistry R(File);
    if (!R.OpenKey(SettingsKey, true)) return;
    int32_t Version = SettingsVersion;
    ReadValue(R, "SettingsVersion", [&] { Version = R.ReadInteger("SettingsVersion"); },
              [&] { Version = 0; });
    if (Version < 24 && P.LibRawColor >= 1) P.LibRawColor = std::min(P.LibRawColor + 1, 5);
    if (Version < 32 && P.LUTSize < 5) P.LUTSize = 5;
    ReadValue(R, "CustomICC", [&] { M.CustomICC = R.ReadString("CustomICC"); }, [&] { M.CustomICC.clear(); });
    ReadValue(R, "ICCMode", [&] { M.ICCMode = R.ReadInteger("ICCMode"); }, [&] { M.ICCMode = 0; });
    ReadValue(R, "DiscardImageProfile", [&] { M.DiscardImageProfile = R.ReadBool("DiscardImageProfile"); });
    ReadValue(R, "DeltaEType", [&] { M.DeltaEType = R.ReadInteger("DeltaEType"); }, [&] { M.DeltaEType = 0; });
    M.LastUpdateCheck = 0;
    ReadValue(R, "LastUpdateCheck", [&] { M.LastUpdateCheck = R.ReadDateTime("LastUpdateCheck"); },
              [&] { M.LastUpdateCheck = 0; });
    ReadValue(R, "LUTSaveDirectory", [&] { P.LutSaveDirectory = R.ReadString("LUTSaveDirectory"); },
              [&] { P.LutSaveDirectory.clear(); });
    ReadValue(R, "PickerMode", [&] { M.PickerMode = R.ReadInteger("PickerMode"); }, [&] { M.PickerMode = 0; });
    if (P.DefaultGridSize < 0) P.DefaultGridSize = IndexOf(DefaultGridSizeItems, "20C");
    ReadValue(R, "ICCBaseProfile", [&] { M.ICCBaseProfile = R.ReadString("ICCBaseProfile"); });
    ReadValue(R, "DCPBaseProfile", [&] { M.DCPBaseProfile = R.ReadString("DCPBaseProfile"); });
    ReadValue(R, "DCPLightroomCurvesFolder",
              [&] { M.DCPLightroomCurvesFolder = R.ReadString("DCPLightroomCurvesFolder"); });
    ReadValue(R, "ProofingProfileFileName",
              [&] { M.ProofingProfileFileName = R.ReadString("ProofingProfileFileName"); });
    if (Version < 20) P.DefaultGridSize = IndexOf(DefaultGridSizeItems, "8");
    if (ReadViewState) {
      for (const TViewValue& V : ViewValues)
        ReadValue(R, V.Name, [&] { M.*V.Member = R.ReadBool(V.Name); });
      for (size_t I = 0; I < WindowPlacementPrefixes.size(); I++)
        ReadPlacement(R, WindowPlacementPrefixes[I], S.Placements[I]);
      ReadValue(R, "SplitterLeft", [&] { M.SplitterLeft = R.ReadInteger("SplitterLeft"); },
                [&] { M.SplitterLeft = 576; });
      ReadValue(R, "AnalyzerWindowVisible",
                [&] { M.AnalyzerWindowVisible = R.ReadBool("AnalyzerWindowVisible"); });
    }
    R.CloseKey();
  } catch (...) {
    ErrorMessageProc("Exception while reading settings");
  }
}

void SaveSessionSettings(TSessionSettings& S, std::shared_ptr<TSettingsFile> File) {
  File = StoreOrUser(std::move(File));
  const TPreferences& P = S.Preferences;
  const TMainSettings& M = S.Main;
  try {
    TRegistry R(File);
    if (!R.OpenKey(SettingsKey, true)) return;
    for (const TPreferenceValue& V : PreferenceValues) {
      std::visit(
          [&](auto Member) {
            using T = std::remove_cvref_t<decltype(P.*Member)>;
            if constexpr (std::is_same_v<T, int32_t>)
              R.WriteInteger(V.Name, std::max(P.*Member, 0));
            else if constexpr (std::is_same_v<T, bool>)
              R.WriteBool(V.Name, P.*Member);
            else
              R.WriteString(V.Name, P.*Member);
          },
          V.Member);
    }
    R.DeleteValue(PasswordValue);
    R.CloseKey();
    for (auto& [List, Name] : S.Recent.All()) List->SaveToRegistry("Kromel", Name, File);
    if (!R.OpenKey(SettingsKey, true)) return;
    R.WriteInteger("SettingsVersion", SettingsVersion);
    R.WriteString("Version", S.ProgramVersion);
    R.WriteString("CustomICC", M.CustomICC);
    R.WriteInteger("ICCMode", M.ICCMode);
    R.WriteBool("DiscardImageProfile", M.DiscardImageProfile);
    R.WriteInteger("DeltaEType", M.DeltaEType);
    R.WriteString("ProgramPath", S.ProgramPath);
    R.WriteString("LUTSaveDirectory", P.LutSaveDirectory);
    R.WriteInteger("PickerMode", M.PickerMode);
    R.WriteString("ICCBaseProfile", M.ICCBaseProfile);
    R.WriteString("DCPBaseProfile", M.DCPBaseProfile);
    R.WriteString("ProofingProfileFileName", M.ProofingProfileFileName);
    R.WriteString("DCPLightroomCurvesFolder", M.DCPLightroomCurvesFolder);
    for (const TViewValue& V : ViewValues) R.WriteBool(V.Name, M.*V.Member);
    for (size_t I = 0; I < WindowPlacementPrefixes.size(); I++)
      WritePlacement(R, WindowPlacementPrefixes[I], S.Placements[I]);
    R.WriteBool("AnalyzerWindowVisible", M.AnalyzerWindowVisible);
    R.WriteInteger("SplitterLeft", M.SplitterLeft);
    R.WriteDateTime("LastUpdateCheck", M.LastUpdateCheck);
    R.CloseKey();
  } catch (...) {
  }
}

}  // namespace kromel
