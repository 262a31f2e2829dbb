// The values the session keeps in the settings store under
// "Software\Kromel\": the Preferences record, the main window's own values,
// the window placements and the six recent-file lists, with the migrations
// of settings written by earlier versions.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/recent_files.h"
#include "platform/settings_store.h"

namespace kromel {

constexpr int32_t SettingsVersion = 51;
inline constexpr const char* SettingsKey = "Software\\Kromel\\";

// Items of the combo boxes whose index the session interprets.
extern const std::vector<std::string> DefaultGridSizeItems;  // "4" .. "32C"
extern const std::vector<std::string> LUTSizeItems;          // "8" .. "96"

// The Preferences window's values. An index of -1 is "no item chosen".
struct TPreferences {
  int32_t SaveToDirectoryMethod = 2;
  bool ClipToWhite = false;
  int32_t JPEGQuality = 2;
  std::string LutSaveDirectory;
  int32_t PickerArea = 1;
  int32_t DefaultGridSize = 8;  // "8C"
  bool SaveBackupFiles = true;
  int32_t DefaultSaveFormat = -1;
  bool AlwaysSave64 = true;
  int32_t LUTSize = 5;  // "25"
  int32_t CMSIntent = 0;
  bool ConfirmExit = true;
  int32_t BackgroundColor = 0;
  bool BorderColorPlanes = false;
  bool SquareAB = false;
  int32_t CurvesAutoBW = 0;
  int32_t DefaultColorModel = 10;
  int32_t DefaultPickerMode = 0;
  int32_t CurvesDegrade = -1;
  bool WarnAboutLogLoading = true;
  int32_t Language = -1;
  bool LoadLUTPresets = true;
  std::string FavoriteLUTFolder;
  bool AllowStatistics = true;
  bool AddPlusSymbolToImageFilenames = true;
  std::string FavoriteLUTFolder2;
  int32_t MacPhotoshop = 3;
  std::string CustomPhotoshopPath;
  bool InputICCForCaptureOne = true;
  // Kept in memory for the run only; never written to the settings file.
  std::string PersonalAccountPassword;
  bool DCPApplyHueSat = true;
  bool OpenCLEnable = true;
  int32_t LibrawHighlights = 2;
  int32_t LibrawDenoise = 0;
  int32_t LibrawDemosaic = 3;
  bool LoadWhiteBalanceFromRaw = true;
  bool LoadColorMatrixFromRaw = true;
  bool LibrawUniWB = false;
  int32_t LibRawColor = 3;
  bool LibrawChromaticAberrations = false;
  bool LibrawReloadRaw = false;
  bool LibRawDebanding = false;
  bool LibRawLineNoiseReduction = false;
  int32_t LibRawAHDPasses = 1;
  int32_t LUTExtrapolationLimit = 5;
  bool ChartIgnoreLowSaturatedPatches = true;
  bool ChartTetrahedralization = false;
  bool ChartBlackWhiteInterpolation = true;
  bool SaveAlphaChannel = true;
  int32_t LutManagerThumbnailSize = 300;
  bool OpenEXRinSRGB = true;
  bool DontSavePresetsToLUTs = false;
  bool ModalPluginMode = true;

  // Not stored: the size of "Always save 3DLUT with size 64" and its caption,
  // both set by "/LUTSIZE:".
  int32_t ExportLutSize = 64;
  std::string AlwaysSave64Caption = "Always save 3DLUT with size 64";
  // Set by the Preferences window's LibRaw page.
  bool RawSettingsChanged = false;

  // The "/LUTSIZE:" option: size, check box and caption.
  void SetExportLutSize(int32_t N);
  // The leading integer of the chosen LUT size item, at least 3.
  int32_t WorkingLutSize() const;
  // Default A/B grid: size (at least 4) and shape from DefaultGridSize.
  void DefaultGrid(int32_t& Size, bool& Circular) const;
};

// Range of the circular A/B grid for a colour model's scale:
// round(Scale * 1170) in single precision, halves to even.
int32_t CircularGridRange(float ColorModelScale);

// Preview background of the BackgroundColor item (0..6): colour as
// 0xBBGGRR and whether the text over it is black. False for other items.
bool PreviewBackground(int32_t Item, uint32_t& Color, bool& BlackText);

// The main window's own values (all but "SplitterLeft" and
// "LastUpdateCheck" keep their field when absent).
struct TMainSettings {
  std::string CustomICC;
  int32_t ICCMode = 0;
  bool DiscardImageProfile = false;
  int32_t DeltaEType = 0;
  int32_t PickerMode = 0;
  std::string ICCBaseProfile;
  std::string DCPBaseProfile;
  std::string ProofingProfileFileName;
  std::string DCPLightroomCurvesFolder;
  bool AnalyzerHistogram = false;
  bool AnalyzerWaveform = false;
  bool AnalyzerAverages = false;
  bool AnalyzerVectorscope = false;
  bool AnalyzerLUTCurves = false;
  bool AnalyzerColorCircle = false;
  bool AnalyzerColorSort = false;
  bool AnalyzerLUTStatistics = false;
  bool AnalyzerWaveformX2 = false;
  bool AnalyzerGradient = false;
  bool SeparateImageWindow = false;
  bool WindowHistory = false;
  bool AnalyzerWindowVisible = false;
  int32_t SplitterLeft = 576;
  double LastUpdateCheck = 0;
};

struct TWindowPlacement {
  bool Maximized = false;
  bool Visible = false;
  int32_t Left = 0, Top = 0, Width = 0, Height = 0;
};

// Main window, analyzer, image, history, LUT manager.
inline constexpr std::array<const char*, 5> WindowPlacementPrefixes = {
    "", "Analyzer", "Image", "History", "LookManager"};

// The six recent lists, stored as "RecentFile" + list name + 1..10.
struct TRecentLists {
  TRecentFiles Images, Presets, ColorSwatches, LUTs, ChannelMixerPresets, ProofingProfiles;
  // {list, list name} in the stored order.
  std::array<std::pair<TRecentFiles*, const char*>, 6> All();
};

struct TSessionSettings {
  TPreferences Preferences;
  TMainSettings Main;
  std::array<TWindowPlacement, 5> Placements;
  TRecentLists Recent;
  std::string ProgramVersion;
  std::string ProgramPath;
};

// Reads the store into Settings (values that are absent keep their field),
// then runs the migrations of older "SettingsVersion"s. The view values and
// placements are read only with ReadViewState. A legacy stored password is
// taken into memory and removed from the file. File null: the user's store.
void LoadSessionSettings(TSessionSettings& Settings, bool ReadViewState,
                         std::shared_ptr<TSettingsFile> File = nullptr);
// Writes everything with "SettingsVersion" 51 and saves the file; failures
// are swallowed. The password is never written.
void SaveSessionSettings(TSessionSettings& Settings,
                         std::shared_ptr<TSettingsFile> File = nullptr);

}  // namespace kromel
