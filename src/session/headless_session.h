// The program's main job without a window: the command line's image, preset
// and options in, the LUT and the processed image out. Messages that would be
// boxes go to standard error; every failed load, export or save makes the
// run fail.
#pragma once
#include <string>

#include <array>
#include <memory>
#include <utility>
#include <vector>

#include "matching/colour_chart.h"

#include "session/command_line_passes.h"
#include "session/session_core.h"
#include "session/session_files.h"
#include "session/session_presets.h"
#include "session/session_root.h"
#include "session/session_settings.h"

namespace kromel {

// Why FileName cannot be read as a file: "File not found: " or, for a
// folder, "Not a file but a folder: ".
std::string MissingFileText(const std::string& FileName);

class THeadlessSession : public TCommandLineHost {
public:
  THeadlessSession();
  ~THeadlessSession() override;

  // Loads the settings store, runs the three passes over Args (Args[0] the
  // program path) and saves the store; the exit status: 0 when every file,
  // argument and action succeeded, else 1.
  int Run(const std::vector<std::string>& Args);

  // Everything the run works on, built by the composition root; the names
  // below are its parts.
  TSessionRoot Root;
  TSessionSettings& Settings = Root.Settings;
  // The settings store (the user's when null at Run).
  std::shared_ptr<TSettingsFile>& SettingsFile = Root.SettingsFile;
  // Built by Run once the settings pass has set the preferences.
  std::unique_ptr<TKromelSession>& Session = Root.Session;
  std::unique_ptr<TSessionPresets>& Presets = Root.Presets;
  // The file dispatcher; loaders of other panels join through Files->Loaders.
  std::unique_ptr<TSessionFiles>& Files = Root.Files;
  std::string ReferenceFileName;
  bool CloseRequested = false;
  bool Failed = false;

  // TCommandLineHost
  void ShowHelp(const std::string& Text) override;
  void SetExportLutSize(int32_t Size) override;
  void SetSaveTo(const std::string& FileName) override;
  void SetRawMode(int32_t Index) override { Settings.Preferences.LibRawColor = Index; }
  void SetRawDemosaic(int32_t Index) override { Settings.Preferences.LibrawDemosaic = Index; }
  void SetRawHighlight(int32_t Index) override { Settings.Preferences.LibrawHighlights = Index; }
  void SetRawUniWB(bool On) override { Settings.Preferences.LibrawUniWB = On; }
  void SetRawNoWhiteBalance() override { Settings.Preferences.LoadWhiteBalanceFromRaw = false; }
  void SetInputLog(int32_t Index) override;
  bool ImageLoaded() override { return Session && Session->Image.Width > 0; }
  void LoadImageFromHostApplication() override;
  void LoadReferencePicture(const std::string& FileName) override;
  void LoadAnyFile(const std::string& FileName) override;
  void SaveProcessedImage(const std::string& FileName) override;
  // "/PLUGIN": connects, grades the plug-in's frame with the loaded preset
  // and hands the LUT back; Run ends by sending the preset (Apply).
  void OpenPlugin() override;
  void RequestClose() override { CloseRequested = true; }
  void ExportLut(const std::string& FileName) override;
  void TurnOffTab(int32_t Index) override;
  void SetSaturation(int32_t Value) override;
  void SetTemperature(int32_t KnobValue) override;
  void SetMasterCurve(bool On) override;
  void ShowMessage(const std::string& Text) override;
  void ReportError(const std::string& Text) override { Fail(Text); }
  void AssignProfile(const std::string& FileName) override;
  void SetBaseProfile(const std::string& FileName) override;
  // headless_actions.cpp
  void LoadExternalLut(const std::string& FileName) override;
  void SetExtLutPosition(int32_t Index) override;
  void ExtLutExtractCurves() override;
  void CurvesExtractMaster() override;
  void ProcessImageWithLut() override;
  void OpenMatchDialog() override;
  void SelectChart(int32_t Index) override;
  void LoadColorChart(const std::string& FileName) override;
  void SetChartMatchMode(int32_t Index) override;
  void SetChartCorners(const std::array<int32_t, 8>& XY) override;
  void MatchChart() override;
  void SetChartExposureShift() override;

  // The chart options; matching them to the image needs the chart page.
  TColorChartTable Chart;
  int32_t ChartIndex = -1;
  int32_t ChartMatchMode = 0;
  std::array<int32_t, 8> ChartCorners{};

private:
  std::string FSaveTo;
  int32_t FInputLog = -1;
  // A file given to load failed: exports and saves are skipped.
  bool FLoadFailed = false;
  // The files this run read, with what each was ({file, role}).
  std::vector<std::pair<std::string, std::string>> FInputs;
  void NoteInput(const std::string& FileName, const std::string& Role);
  // False, with the reason, when an output to FileName must not be written:
  // a load failed, or FileName is one of this run's input files.
  bool MayWrite(const std::string& FileName, const std::string& What);
  void Fail(const std::string& Text);
  // In plug-in mode: the preset file for the plug-in.
  void ApplyToPlugin();
  // Sets a knob of the window's control table and records its step.
  void SetKnob(const char* Name, int32_t Value, const std::string& Step);
};

}  // namespace kromel
