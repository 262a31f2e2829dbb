#include "session/command_line_passes.h"

#include <gtest/gtest.h>

namespace kromel {
namespace {

// Records every call as one line of text.
class TRecordingHost : public TCommandLineHost {
public:
  std::vector<std::string> Calls;
  bool HasImage = false;
  void Add(const std::string& S) { Calls.push_back(S); }
  void ShowHelp(const std::string& Text) override { Add("Help " + Text.substr(0, Text.find('\n'))); }
  void SetExportLutSize(int32_t N) override { Add("ExportLutSize " + std::to_string(N)); }
  void SetSaveTo(const std::string& F) override { Add("SaveTo " + F); }
  void SetRawUniWB(bool On) override { Add(On ? "UniWB on" : "UniWB off"); }
  void SetInputLog(int32_t N) override { Add("Log " + std::to_string(N)); }
  bool ImageLoaded() override { return HasImage; }
  void LoadReferencePicture(const std::string& F) override { Add("Reference " + F); }
  void LoadAnyFile(const std::string& F) override {
    Add("Load " + F);
    if (F.find(".jpg") != std::string::npos) HasImage = true;
  }
  void SelectChart(int32_t N) override { Add("Chart " + std::to_string(N)); }
  void LoadColorChart(const std::string& F) override { Add("ChartFile " + F); }
  void SetChartCorners(const std::array<int32_t, 8>& XY) override {
    std::string S = "Corners";
    for (int32_t V : XY) S += " " + std::to_string(V);
    Add(S);
  }
  void MatchChart() override { Add("MatchChart"); }
  void OpenPlugin() override { Add("Plugin"); }
  void SaveProcessedImage(const std::string& F) override { Add("Save " + F); }
  void RequestClose() override { Add("Quit"); }
  void TurnOffTab(int32_t N) override { Add("TurnOffTab " + std::to_string(N)); }
  void SetMasterCurve(bool On) override { Add(On ? "MasterCurve on" : "MasterCurve off"); }
  void SetSaturation(int32_t N) override { Add("Saturation " + std::to_string(N)); }
  void SetTemperature(int32_t N) override { Add("Temperature " + std::to_string(N)); }
  void ExportLut(const std::string& F) override { Add("ExportLut " + F); }
  void ShowMessage(const std::string& Text) override { Add("Message " + Text); }
};

std::vector<std::string> RunPasses(std::vector<std::string> Args, bool HasImage = false) {
  Args.insert(Args.begin(), "kromel");
  TCommandLinePasses Passes(Args);
  TRecordingHost Host;
  Host.HasImage = HasImage;
  Passes.ProcessSettings(Host);
  Passes.ProcessLoading(Host);
  Passes.ProcessOperations(Host);
  return Host.Calls;
}

using TLines = std::vector<std::string>;

TEST(CommandLinePasses, ArgumentTable) {
  struct TCase {
    TLines Args;
    TLines Calls;
  };
  const TCase Cases[] = {
      {{"/LUTSIZE:8"}, {"ExportLutSize 17"}},
      {{"/LUTSIZE:1000"}, {"ExportLutSize 256"}},
      {{"/lutsize:33"}, {"ExportLutSize 33"}},
      {{"/LutSize: 40&x"}, {"ExportLutSize 40"}},
      {{"-ACTION:SETTEMPERATURE:12.5"}, {"Temperature 125"}},
      {{"-ACTION:SetTemperature:-0.25"}, {"Temperature -2"}},
      {{"-ACTION:SETMASTERCURVE:0"}, {"MasterCurve off"}},
      {{"-ACTION:SETMASTERCURVE:off"}, {"MasterCurve off"}},
      {{"-ACTION:SETMASTERCURVE:On"}, {"MasterCurve on"}},
      {{"-ACTION:SETMASTERCURVE:1"}, {"MasterCurve on"}},
      {{"-ACTION:SETMASTERCURVE"}, {"MasterCurve on"}},
      {{"-ACTION:SETSATURATION:150"}, {"Saturation 150"}},
      {{"-ACTION:TURNOFFTAB:2"}, {"TurnOffTab 2"}},
      {{"-ACTION:TURNOFFTAB:9"}, {"Message Invalid value in argument: TURNOFFTAB:9"}},
      {{"-FOO"}, {"Message Unknown parameter: -FOO"}},
      {{"-psn_0_1234"}, {}},
      {{"/QUIT"}, {"Quit"}},
      {{"-QUIT"}, {"Quit"}},
      {{"-ACTION:FROB:x"}, {"Message Unknown action: FROB\nx"}},
      {{"-ACTION:EXPORTLUT:x.cube"}, {"ExportLut x.cube"}},
      {{"/Action:ExportLut:My Look.3dl"}, {"ExportLut My Look.3dl"}},
      {{"/Save:Out File.tif"}, {"Save Out File.tif"}},
      {{"/SAVETO:Look Name"}, {"SaveTo Look Name"}},
      {{"-RAWUNIWB", "/rawnouniwb"}, {"UniWB on", "UniWB off"}},
      {{"/LOG:1"}, {"Log 1"}},
      {{"/PLUGIN"}, {"Plugin"}},
      {{"/CHART:3"}, {"Chart 3"}},
      {{"/Chart:My Charts/It8 Ref.cie"}, {"ChartFile My Charts/It8 Ref.cie"}},
      {{"/CHARTXY:1,2,3,4,5"}, {"Corners 1 2 3 4 5 5 5 5", "MatchChart"}},
      {{"/?"}, {"Help Kromel Pro command line parameters:"}},
      // Numbers parse whole; the debug switch is never a file.
      {{"-ACTION:SETTEMPERATURE:1e9"}, {"Message Invalid value in argument: SETTEMPERATURE:1e9"}},
      {{"-ACTION:SETTEMPERATURE:12abc"}, {"Message Invalid value in argument: SETTEMPERATURE:12abc"}},
      {{"-ACTION:SETSATURATION:12abc"}, {"Message Invalid value in argument: SETSATURATION:12abc"}},
      {{"/LUTSIZE:33x"}, {"Message Invalid value in argument: /LUTSIZE:33x"}},
      {{"DEBUG", "/tmp/Debug.txt", "a.jpg"}, {"Load a.jpg"}},
      {{"a.jpg", "b.jpg", "c.cube", "DEBUG"}, {"Load a.jpg", "Reference b.jpg", "Load c.cube", "Load DEBUG"}},
  };
  for (const TCase& C : Cases) {
    EXPECT_EQ(RunPasses(C.Args), C.Calls) << C.Args[0];
  }
}

TEST(CommandLinePasses, BadNumbersAreReportedAndQuitStillQuits) {
  const TLines Cases[] = {
      {"-ACTION:TURNOFFTAB:abc", "-QUIT"},
      {"-ACTION:SETEXTLUTPOSITION:x", "-QUIT"},
      {"-ACTION:SETTEMPERATURE:warm", "-QUIT"},
      {"/CHARTXY:1,a,3", "-QUIT"},
      {"/LUTSIZE:big", "-QUIT"},
  };
  for (const TLines& Args : Cases) {
    TLines Calls = RunPasses(Args);
    ASSERT_EQ(Calls.size(), 2u) << Args[0];
    EXPECT_EQ(Calls[0].rfind("Message Invalid value in argument: ", 0), 0u) << Calls[0];
    EXPECT_EQ(Calls[1], "Quit");
  }
}

TEST(CommandLinePasses, LoadingOrderAndReference) {
  EXPECT_EQ(RunPasses({"a.jpg", "b.jpg", "look.luc", "/QUIT"}),
            (TLines{"Load a.jpg", "Reference b.jpg", "Load look.luc", "Quit"}));
  // A preset before the image: the image is still the first image.
  EXPECT_EQ(RunPasses({"look.luc", "a.jpg"}), (TLines{"Load look.luc", "Load a.jpg"}));
  // Options of the operations pass reach it in their "/" form too.
  EXPECT_EQ(RunPasses({"a.jpg", "/ACTION:EXPORTLUT:l.cube", "/Save:o.png", "/QUIT"}),
            (TLines{"Load a.jpg", "ExportLut l.cube", "Save o.png", "Quit"}));
  // Actions run in argument order.
  EXPECT_EQ(RunPasses({"-ACTION:SETSATURATION:120", "-ACTION:TURNOFFTAB:1"}),
            (TLines{"Saturation 120", "TurnOffTab 1"}));
}

TEST(CommandLinePasses, HelpTextLines) {
  const std::string Text = CommandLineHelpText();
  EXPECT_EQ(Text.rfind("Kromel Pro command line parameters:\n", 0), 0u);
  ASSERT_GE(Text.size(), 2u);
  EXPECT_EQ(Text.substr(Text.size() - 2), "\n\n");  // ends with an empty line
  EXPECT_NE(Text.find("\n   /Save:<FileName> - Save processed image\n"), std::string::npos);
  EXPECT_NE(Text.find("\n   /Action:MatchDialog - Open Match colors dialog\n"), std::string::npos);
}

TEST(CommandLinePasses, NoArgumentsDoNothing) {
  EXPECT_TRUE(RunPasses({}).empty());
}

}  // namespace
}  // namespace kromel
