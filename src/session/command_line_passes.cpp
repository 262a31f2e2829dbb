#include "session/command_line_passes.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "foundation/ascii_case.h"
#include "fileio/image_files.h"
#include "fileio/raw_files.h"
#include "foundation/debug_log.h"
#include "platform/message_sink.h"
#include "platform/translate.h"

namespace kromel {

namespace {

bool StartsWith(const std::string& S, const char* Prefix) {
  return S.rfind(Prefix, 0) == 0;
}

// Upper-cased U is Key with either "/" or "-" in front.
bool IsSwitch(const std::string& U, const char* Key) {
  return U.size() > 1 && (U[0] == '/' || U[0] == '-') && U.compare(1, std::string::npos, Key) == 0;
}

bool BeginsSwitch(const std::string& U, const char* Key) {
  return U.size() > 1 && (U[0] == '/' || U[0] == '-') && U.compare(1, std::strlen(Key), Key) == 0;
}

bool IsPsn(const std::string& Arg) {
  return !Arg.empty() && Arg[0] == '-' && StartsWith(UpperAscii(Arg), "-PSN");
}

// Keys the operations pass handles; the loading pass leaves them alone.
bool IsOperationOption(const std::string& U) {
  return BeginsSwitch(U, "PLUGIN") || StartsWith(U, "/CHART:") || StartsWith(U, "/CHARTMATCHMODE:") ||
         StartsWith(U, "/CHARTXY:") || BeginsSwitch(U, "ACTION:") || IsSwitch(U, "QUIT") ||
         BeginsSwitch(U, "SAVE:");
}

void Log(const std::string& Text, int32_t Level) {
  if (DebugLogEnabled()) DebugLogAdd(Text, Level);
}

void ReportInvalidValue(TCommandLineHost& Host, const std::string& Arg) {
  Host.ReportError(_("Invalid value in argument: ") + Arg);
}

// Reads the number after Key of Arg into Value; reports a bad one.
bool ArgInteger(TCommandLineHost& Host, const std::string& Arg, size_t KeyLength, int32_t& Value) {
  if (CommandLineInteger(Arg.substr(KeyLength), Value)) return true;
  ReportInvalidValue(Host, Arg);
  return false;
}

std::string CutNumberText(const std::string& Text) {
  size_t Start = Text.find_first_not_of(' ');
  if (Start == std::string::npos) return std::string();
  size_t End = Text.find_first_of(" \n&<", Start);
  return Text.substr(Start, End == std::string::npos ? std::string::npos : End - Start);
}

// Eight comma-separated integers; a missing item repeats the last one.
bool ParseCorners(const std::string& Text, std::array<int32_t, 8>& XY) {
  size_t Pos = 0;
  int32_t Count = 0;
  while (Count < 8) {
    size_t Comma = Text.find(',', Pos);
    std::string Item = Text.substr(Pos, Comma == std::string::npos ? std::string::npos : Comma - Pos);
    if (!CommandLineInteger(Item, XY[Count])) return false;
    Count++;
    if (Comma == std::string::npos) break;
    Pos = Comma + 1;
  }
  for (int32_t I = Count; I < 8; I++) XY[I] = XY[Count - 1];
  return true;
}

}  // namespace

void TCommandLineHost::ShowMessage(const std::string& Text) { PlatformShowMessage(Text); }

bool CommandLineInteger(const std::string& Text, int32_t& Value) {
  std::string S = CutNumberText(Text);
  const char* First = S.data();
  const char* Last = S.data() + S.size();
  if (First != Last && *First == '+') First++;
  int64_t V = 0;
  auto R = std::from_chars(First, Last, V);
  if (R.ec != std::errc() || R.ptr != Last || V < INT32_MIN || V > INT32_MAX) return false;
  Value = static_cast<int32_t>(V);
  return true;
}

bool CommandLineNumber(const std::string& Text, double& Value) {
  std::string S = CutNumberText(Text);
  const char* First = S.data();
  const char* Last = S.data() + S.size();
  if (First != Last && *First == '+') First++;
  double V = 0;
  auto R = std::from_chars(First, Last, V, std::chars_format::fixed);
  if (R.ec != std::errc() || R.ptr != Last || !std::isfinite(V)) return false;
  Value = V;
  return true;
}

bool IsDebugSwitchArgument(int32_t I, const std::string& Arg) {
  if (I < 1 || I > 3) return false;
  std::string A = UpperAscii(Arg);
  const size_t Slash = A.find_last_of("/\\");
  if (Slash != std::string::npos) A.erase(0, Slash + 1);
  return A == "DEBUG" || A == "DEBUG.TXT";
}

int32_t ClampExportLutSize(int32_t N) { return N < 17 ? 17 : (N > 256 ? 256 : N); }

TCommandLinePasses::TCommandLinePasses(std::vector<std::string> Args) : FArgs(std::move(Args)) {
  if (FArgs.empty()) FArgs.emplace_back();
  FConsumed.assign(FArgs.size(), false);
}

bool TCommandLinePasses::Consumed(int32_t I) const {
  return I >= 0 && I < static_cast<int32_t>(FConsumed.size()) && FConsumed[I];
}

void TCommandLinePasses::ProcessSettings(TCommandLineHost& Host) {
  if (Count() < 1) return;
  Log("ProcessCommandLineSettings", 0);
  FConsumed.assign(FArgs.size(), false);
  for (int32_t I = 1; I <= Count(); I++) {
    if (FConsumed[I]) continue;
    const std::string& Arg = FArgs[I];
    const std::string U = UpperAscii(Arg);
    FConsumed[I] = true;
    int32_t N = 0;
    if (IsDebugSwitchArgument(I, Arg)) {
      // The debug log's switch, read at start-up; never a file.
    } else if (StartsWith(U, "/?") || StartsWith(U, "-?")) {
      Host.ShowHelp(CommandLineHelpText());
    } else if (StartsWith(U, "/LUTSIZE:")) {
      if (ArgInteger(Host, Arg, 9, N)) Host.SetExportLutSize(ClampExportLutSize(N));
    } else if (StartsWith(U, "/SAVETO:")) {
      Host.SetSaveTo(Arg.substr(8));
    } else if (StartsWith(U, "/FASTCDNGLUT:")) {
      Host.SetFastCdngProject(Arg.substr(13));
    } else if (StartsWith(U, "/RAWMODE:")) {
      if (ArgInteger(Host, Arg, 9, N)) Host.SetRawMode(N);
    } else if (StartsWith(U, "/RAWDEMOSAIC:")) {
      if (ArgInteger(Host, Arg, 13, N)) Host.SetRawDemosaic(N);
    } else if (StartsWith(U, "/RAWHIGHLIGHT:")) {
      if (ArgInteger(Host, Arg, 14, N)) Host.SetRawHighlight(N);
    } else if (IsSwitch(U, "RAWNOUNIWB")) {
      Host.SetRawUniWB(false);
    } else if (IsSwitch(U, "RAWUNIWB")) {
      Host.SetRawUniWB(true);
    } else if (IsSwitch(U, "RAWNOWB")) {
      Host.SetRawNoWhiteBalance();
    } else if (IsSwitch(U, "NOCMS")) {
      Host.SetNoColorManagement();
    } else if (StartsWith(U, "/LOG:")) {
      if (ArgInteger(Host, Arg, 5, N)) Host.SetInputLog(N);
    } else if (StartsWith(U, "/MATCHINGSORTORDER:")) {
      if (ArgInteger(Host, Arg, 19, N)) Host.SetMatchingSortOrder(N);
    } else if (IsSwitch(U, "EXPERIMENTAL")) {
      Host.SetExperimental();
    } else if (IsSwitch(U, "EXPERIMENTALSTEP") || IsSwitch(U, "EXPERIMENTALSTEPS")) {
      Host.SetExperimentalSteps();
    } else if (IsSwitch(U, "EXPERIMENTALG")) {
      Host.SetExtendedCurves();
    } else if (!IsPsn(Arg)) {
      FConsumed[I] = false;
    }
  }
}

void TCommandLinePasses::ProcessLoading(TCommandLineHost& Host) {
  Log("ProcessCommandLineLoading", 0);
  Host.BeginLoading();
  for (int32_t I = 1; I <= Count(); I++) {
    if (FConsumed[I]) continue;
    const std::string& Arg = FArgs[I];
    if (Arg.size() <= 1 || Arg[0] == '-') continue;
    const std::string U = UpperAscii(Arg);
    if (IsOperationOption(U)) continue;
    if (U == "IMAGEFROMPS")
      Host.LoadImageFromHostApplication();
    else if (Host.ImageLoaded() && (IsFreeImageFileExtension(Arg) || IsRawFileExtension(Arg)))
      Host.LoadReferencePicture(Arg);
    else
      Host.LoadAnyFile(Arg);
    FConsumed[I] = true;
  }
  Host.EndLoading();
}

void TCommandLinePasses::ProcessOperations(TCommandLineHost& Host) {
  if (Count() < 1) return;
  bool ChartMatchWanted = false;
  for (int32_t I = 1; I <= Count(); I++)
    if (!FConsumed[I] && IsPsn(FArgs[I])) FConsumed[I] = true;
  for (int32_t I = 1; I <= Count(); I++) {
    if (FConsumed[I]) continue;
    const std::string& Arg = FArgs[I];
    const std::string U = UpperAscii(Arg);
    int32_t N = 0;
    if (BeginsSwitch(U, "PLUGIN")) {
      Host.OpenPlugin();
    } else if (StartsWith(U, "/CHART:")) {
      // The file name keeps its case and its spaces.
      std::string V = Arg.substr(7);
      if (V.size() < 3) {
        if (ArgInteger(Host, Arg, 7, N)) Host.SelectChart(N);
      } else {
        Host.LoadColorChart(V);
      }
    } else if (StartsWith(U, "/CHARTMATCHMODE:")) {
      if (ArgInteger(Host, Arg, 16, N)) Host.SetChartMatchMode(N);
    } else if (StartsWith(U, "/CHARTXY:")) {
      std::array<int32_t, 8> XY{};
      if (ParseCorners(Arg.substr(9), XY)) {
        Host.SetChartCorners(XY);
        ChartMatchWanted = true;
      } else {
        ReportInvalidValue(Host, Arg);
      }
    } else if (BeginsSwitch(U, "ACTION:")) {
      std::string Rest = Arg.substr(8);
      size_t Colon = Rest.find(':');
      if (Colon == std::string::npos)
        DoAction(Host, Rest, std::string());
      else
        DoAction(Host, Rest.substr(0, Colon), Rest.substr(Colon + 1));
    } else if (BeginsSwitch(U, "SAVE:")) {
      Host.SaveProcessedImage(Arg.substr(6));
    } else if (IsSwitch(U, "QUIT")) {
      Host.RequestClose();
    } else if (!Arg.empty() && Arg[0] == '-') {
      Host.ReportError(_("Unknown parameter: ") + Arg);
    }
  }
  if (ChartMatchWanted) Host.MatchChart();
}

void TCommandLinePasses::DoAction(TCommandLineHost& Host, const std::string& Action,
                                  const std::string& Param) {
  Log("DoAction: " + Action, 0);
  const std::string A = UpperAscii(Action);
  int32_t N = 0;
  auto Integer = [&](int32_t& Value) {
    if (CommandLineInteger(Param, Value)) return true;
    Host.ReportError(_("Invalid value in argument: ") + Action + ":" + Param);
    return false;
  };
  if (A == "LOADEXTLUT") {
    Host.LoadExternalLut(Param);
  } else if (A == "TURNOFFTAB") {
    if (!Integer(N)) return;
    if (N >= 0 && N <= 6)
      Host.TurnOffTab(N);
    else
      Host.ReportError(_("Invalid value in argument: ") + Action + ":" + Param);
  } else if (A == "SETCHARTEXPOSURESHIFT") {
    Host.SetChartExposureShift();
  } else if (A == "PROCESSIMAGEWITHLUT") {
    Host.ProcessImageWithLut();
  } else if (A == "SETEXTLUTPOSITION") {
    if (Integer(N)) Host.SetExtLutPosition(N);
  } else if (A == "EXTLUTEXTRACTCURVES") {
    Host.ExtLutExtractCurves();
  } else if (A == "CURVESEXTRACTMASTER") {
    Host.CurvesExtractMaster();
  } else if (A == "SETMASTERCURVE") {
    Host.SetMasterCurve(!(UpperAscii(Param) == "OFF" || Param == "0"));
  } else if (A == "SETSATURATION") {
    if (Integer(N)) Host.SetSaturation(N);
  } else if (A == "SETTEMPERATURE") {
    double V = 0;
    if (CommandLineNumber(Param, V) && std::fabs(V) < 1e8)
      Host.SetTemperature(static_cast<int32_t>(std::nearbyint(V * 10)));
    else
      Host.ReportError(_("Invalid value in argument: ") + Action + ":" + Param);
  } else if (A == "MATCHDIALOG") {
    Host.OpenMatchDialog();
  } else if (A == "ASSIGNPROFILE") {
    Host.AssignProfile(Param);
  } else if (A == "SETBASEPROFILE") {
    Host.SetBaseProfile(Param);
  } else if (A == "EXPORTLUT") {
    Host.ExportLut(Param);
  } else {
    Log("Unknown Action: " + Action + " " + Param, 0);
    Host.ReportError(_("Unknown action: ") + Action + "\n" + Param);
  }
}

std::string CommandLineHelpText() {
  static const char* const Lines[] = {
      "Kromel Pro command line parameters:",
      "   <image file name.jpg> - Load image",
      "   <image file name 1.jpg> <image file name 2.jpg> - Load image 1 and reference image 2",
      "   ImageFromPs - Load image from Photoshop",
      "   <preset file.luc> - Load Kromel Pro preset",
      "   /Chart:n - Activate color chart tool with the chart number n",
      "   /Chart:<filename.cie> - Activate color chart tool with the chart from file",
      "   /ChartXY:x1,y1,x2,y2,x3,y3,x4,y4 - Set color chart corners to specified coordinates",
      "   /ChartMatchMode:n - Match image with specified mode",
      "   /log:index - Set LOG decoding to the specified value (0-Off, 1-LogC, ...)",
      "   /LutSize:n - Set LUT size to specified value",
      "   /Save:<FileName> - Save processed image",
      "   /SaveTo:<FileName> - Set default LUT saving filename",
      "   /Quit - Quit after processing command line",
      "   /Action:TurnOffTab:<index> - Turn tab with specified index off (0-Channels, 1-Volume, ...)",
      "   /Action:SetSaturation:value - Set saturation to the specific value",
      "   /Action:SetTemperature:value - Set white balance correction to the specific value",
      "   /Action:LoadExtLut:<LutName> - Load 3DLUT as external LUT",
      "   /Action:SetExtLutPosition:<Index> - Set external LUT position",
      "   /Action:ExtLutExtractCurves - Extract RGB Curves from the External LUT",
      "   /Action:CurvesExtractMaster - Extract Master Curve from RGB Curves",
      "   /Action:SetMasterCurve:<on/off> - Set Master Curve on or off",
      "   /Action:AssignProfile:<FileName.icc> - Assign Profile from Filename.icc to image",
      "   /Action:SetBaseProfile:<FileName.icc> - Set ICC export base profile to Filename.icc",
      "   /Action:ExportLut:<FileName> - Export 3DLUT. File format is defined by extension",
      "   /Action:ProcessImageWithLUT - Apply LUT to the image and reset settings",
      "   /Action:SetChartExposureShift - Auto set color chart exposure shift to measured exposure",
      "   /Action:MatchDialog - Open Match colors dialog",
      ""};
  std::string Text;
  for (const char* Line : Lines) {
    Text += Line;
    Text += '\n';
  }
  return Text;
}

}  // namespace kromel
