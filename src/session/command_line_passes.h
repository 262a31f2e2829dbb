// The program's arguments in three passes: settings (before the session is
// ready), loading (images, presets, LUTs) and operations (chart, actions,
// processed-image save, quit). Each pass takes the arguments it handles and
// leaves the rest to the later passes. What an argument does is asked of a
// TCommandLineHost, so the passes run the same for the window, the headless
// program and the tests.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kromel {

// The session's side of the command line. Every routine has a default that
// does nothing, so a host overrides only what it offers.
class TCommandLineHost {
public:
  virtual ~TCommandLineHost() = default;
  // Settings pass.
  virtual void ShowHelp(const std::string& /*Text*/) {}
  virtual void SetExportLutSize(int32_t /*Size*/) {}
  virtual void SetSaveTo(const std::string& /*FileName*/) {}
  virtual void SetFastCdngProject(const std::string& /*FileName*/) {}
  virtual void SetRawMode(int32_t /*Index*/) {}
  virtual void SetRawDemosaic(int32_t /*Index*/) {}
  virtual void SetRawHighlight(int32_t /*Index*/) {}
  virtual void SetRawUniWB(bool /*On*/) {}
  virtual void SetRawNoWhiteBalance() {}
  virtual void SetNoColorManagement() {}
  virtual void SetInputLog(int32_t /*Index*/) {}
  virtual void SetMatchingSortOrder(int32_t /*Order*/) {}
  virtual void SetExperimental() {}
  virtual void SetExperimentalSteps() {}
  virtual void SetExtendedCurves() {}
  // Loading pass.
  virtual void BeginLoading() {}
  virtual void EndLoading() {}
  virtual bool ImageLoaded() { return false; }
  virtual void LoadImageFromHostApplication() {}
  virtual void LoadReferencePicture(const std::string& /*FileName*/) {}
  virtual void LoadAnyFile(const std::string& /*FileName*/) {}
  // Operations pass.
  virtual void OpenPlugin() {}
  virtual void SelectChart(int32_t /*Index*/) {}
  virtual void LoadColorChart(const std::string& /*FileName*/) {}
  virtual void SetChartMatchMode(int32_t /*Index*/) {}
  virtual void SetChartCorners(const std::array<int32_t, 8>& /*XY*/) {}
  virtual void MatchChart() {}
  virtual void SaveProcessedImage(const std::string& /*FileName*/) {}
  virtual void RequestClose() {}
  // Actions of DoAction.
  virtual void LoadExternalLut(const std::string& /*FileName*/) {}
  virtual void TurnOffTab(int32_t /*Index*/) {}
  virtual void SetChartExposureShift() {}
  virtual void ProcessImageWithLut() {}
  virtual void SetExtLutPosition(int32_t /*Index*/) {}
  virtual void ExtLutExtractCurves() {}
  virtual void CurvesExtractMaster() {}
  virtual void SetMasterCurve(bool /*On*/) {}
  virtual void SetSaturation(int32_t /*Value*/) {}
  virtual void SetTemperature(int32_t /*KnobValue*/) {}
  virtual void OpenMatchDialog() {}
  virtual void AssignProfile(const std::string& /*FileName*/) {}
  virtual void SetBaseProfile(const std::string& /*FileName*/) {}
  virtual void ExportLut(const std::string& /*FileName*/) {}
  // A message box of the passes.
  virtual void ShowMessage(const std::string& Text);
  // An argument the passes refuse ("Unknown parameter: ", "Unknown action: ",
  // "Invalid value in argument: ", an option that does nothing): the
  // message; the headless run also fails.
  virtual void ReportError(const std::string& Text) { ShowMessage(Text); }
};

class TCommandLinePasses {
public:
  // Args[0] is the program path, as the runtime gives it.
  explicit TCommandLinePasses(std::vector<std::string> Args);

  void ProcessSettings(TCommandLineHost& Host);
  void ProcessLoading(TCommandLineHost& Host);
  void ProcessOperations(TCommandLineHost& Host);
  // One action, as "-ACTION:Action:Param" gives it.
  static void DoAction(TCommandLineHost& Host, const std::string& Action,
                       const std::string& Param);

  int32_t Count() const { return static_cast<int32_t>(FArgs.size()) - 1; }
  bool Consumed(int32_t I) const;

private:
  std::vector<std::string> FArgs;
  std::vector<bool> FConsumed;
};

// The text of "/?": one line per item, each ended by a line feed, and an
// empty line at the end.
std::string CommandLineHelpText();

// The number after a key: the text is cut at the first space, line feed,
// "&" or "<", leading spaces are skipped, then what is left must be a whole
// integer (optional sign and digits, nothing after them). False otherwise.
bool CommandLineInteger(const std::string& Text, int32_t& Value);
// The same for a decimal number with "." as separator (no exponent).
bool CommandLineNumber(const std::string& Text, double& Value);
// Argument I (1..3) is the debug switch: its file name, upper-cased, is
// "DEBUG" or "DEBUG.TXT".
bool IsDebugSwitchArgument(int32_t I, const std::string& Arg);
// The LUT size "/LUTSIZE:" sets: 17..256.
int32_t ClampExportLutSize(int32_t N);

}  // namespace kromel
