#include "session/keyboard_map.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/folders.h"
#include "support/temp_dir.h"

namespace kromel {
namespace {

using C = TKeyCommand;

TKeyModifiers Mods(const char* M) {
  TKeyModifiers S;
  for (const char* P = M; *P; ++P) {
    if (*P == 's') S.Shift = true;
    if (*P == 'a') S.Alt = true;
    if (*P == 'c') S.Ctrl = true;
    if (*P == 'm') S.Meta = true;
  }
  return S;
}

bool Has(const TKeyDown& R, C Command, int32_t Index = -1) {
  for (const TKeyAction& A : R.Actions)
    if (A.Command == Command && (Index < 0 || A.Index == Index)) return true;
  return false;
}

TEST(KeyboardMap, PlainKeysSelectToolsAndPages) {
  const struct {
    uint16_t Key;
    const char* Mods;
    bool Edit;
    std::vector<TKeyAction> Expected;
  } Cases[] = {
      {'Q', "", false, {{C::SelectTool, 0}, {C::NextSubTool, 0}}},
      {'W', "", false, {{C::SelectTool, 1}}},
      {'E', "", false, {{C::SelectTool, 2}}},
      {'E', "s", false, {{C::SelectTool, 2}, {C::NextSubTool, 2}}},
      {'R', "s", false, {{C::SelectTool, 3}}},
      {'Y', "s", false, {{C::SelectTool, 5}, {C::NextSubTool, 5}}},
      {'I', "", false, {{C::SelectTool, 7}}},
      {'I', "m", false, {}},
      {'R', "a", false, {}},
      {'1', "", false, {{C::SelectPage, 0}}},
      {'3', "", false, {{C::SelectPage, 2}}},
      {'7', "", false, {{C::SelectPage, 6}}},
      {'3', "s", false, {{C::TogglePageSwitch, 2}}},
      {'3', "sm", false, {{C::TogglePageSwitch, 2}}},  // Command does not matter
      {'3', "sa", false, {}},
      {'3', "m", false, {}},
      {'8', "s", false, {{C::ToggleExternalLut, 0}}},
      {'9', "s", false, {{C::ToggleMaster, 0}}},
      {'8', "", false, {}},
      // Typing into an edit field changes neither the tool nor the page.
      {'Q', "", true, {}},
      {'1', "", true, {}},
      {vk::Space, "", false, {{C::SpaceDown}, {C::UpdateToolCursor}, {C::UpdateColorChartGrid}}},
      {vk::Space, "", true, {}},
      {vk::Shift, "s", false, {{C::UpdateToolCursor}, {C::UpdateToolCursor}}},
      {vk::Alt, "a", false, {{C::UpdateToolCursor}}},
  };
  for (const auto& Case : Cases) {
    TKeyboardState S;
    const TKeyDown R = MapKeyDown(S, Case.Key, Mods(Case.Mods), Case.Edit);
    EXPECT_EQ(R.Actions, Case.Expected) << Case.Key << " " << Case.Mods << " edit " << Case.Edit;
    EXPECT_FALSE(R.Consumed);
  }
}

TEST(KeyboardMap, SlashOpensTheMaskPreviewEvenInAnEditField) {
  TKeyboardState S;
  const TKeyDown R = MapKeyDown(S, vk::Slash, {}, true);
  EXPECT_TRUE(R.Consumed);
  EXPECT_EQ(R.Actions, (std::vector<TKeyAction>{{C::ShowMaskPreview}}));
}

TEST(KeyboardMap, HiddenChordsActOnlyAfterAnotherCountedChord) {
  const TKeyModifiers CS = Mods("cs");
  TKeyboardState S;
  // F once only counts; the second F acts.
  EXPECT_FALSE(Has(MapKeyDown(S, 'F', CS, false), C::ShowExperimentalFeatures));
  EXPECT_FALSE(S.ExperimentalMode);
  MapKeyDown(S, 'F', CS, false);
  EXPECT_TRUE(S.ExperimentalMode);
  EXPECT_EQ(S.HiddenKeyCount, 0);
  // W then F also acts; W alone never does.
  TKeyboardState S2;
  EXPECT_TRUE(Has(MapKeyDown(S2, 'W', CS, false), C::UpdateCaption));
  EXPECT_FALSE(S2.ExperimentalMode);
  MapKeyDown(S2, 'F', CS, false);
  EXPECT_TRUE(S2.ExperimentalMode);
  // Q shows the hidden commands when it acts.
  TKeyboardState S3;
  MapKeyDown(S3, 'W', CS, false);
  EXPECT_TRUE(Has(MapKeyDown(S3, 'Q', CS, false), C::ShowExperimentalFeatures));
  // H twice toggles extended highlights, twice more toggles back; every
  // press recalculates.
  TKeyboardState S4;
  for (int32_t Press = 1; Press <= 4; ++Press) {
    const TKeyDown R = MapKeyDown(S4, 'H', CS, false);
    EXPECT_TRUE(Has(R, C::UpdateImage));
    EXPECT_EQ(S4.ExtendedHighlightsMode, Press == 2 || Press == 3) << Press;
  }
  // The experimental keys need experimental mode.
  TKeyboardState S5;
  for (char K : {'U', 'T', 'B', 'P', 'C'}) EXPECT_TRUE(MapKeyDown(S5, uint16_t(K), CS, false).Actions.empty()) << K;
  S5.ExperimentalMode = true;
  EXPECT_TRUE(Has(MapKeyDown(S5, 'B', CS, false), C::ChartMeasurementDump));
  EXPECT_TRUE(Has(MapKeyDown(S5, 'C', CS, false), C::DeveloperDumps));
  // Chords still count while an edit field has the focus; tools do not move.
  TKeyboardState S6;
  MapKeyDown(S6, 'G', CS, true);
  const TKeyDown R = MapKeyDown(S6, 'G', CS, true);
  EXPECT_TRUE(S6.ExtendedCurvesMode);
  EXPECT_FALSE(Has(R, C::SelectTool));
}

// Keypad keys reach the menu shortcuts through Qt's own shortcut matching
// (tested with the window).
TEST(KeyboardMap, KeyRelease) {
  EXPECT_EQ(MapKeyUp(vk::Space).front().Command, C::SpaceUp);
  EXPECT_TRUE(MapKeyUp('A').empty());
}

// The dump goes to the configuration folder, never the current directory,
// and numbers its formula after the lines already there.
TEST(KeyboardMap, ChartMeasurementsGoToTheConfigurationFolder) {
  testing::TTestTempDir Dir{"kromel_keyboard_map"};
  const char* Old = std::getenv("XDG_CONFIG_HOME");
  const std::string Saved = Old ? Old : "";
  setenv("XDG_CONFIG_HOME", Dir.File("config").c_str(), 1);
  const std::string File = ChartMeasurementsFileName();
  EXPECT_EQ(File, ConfigFolder() + "/CheckerMeasurements.txt");
  EXPECT_EQ(std::filesystem::path(File).parent_path(), std::filesystem::path(Dir.File("config")) / "kromel");
  EXPECT_EQ(CountChartMeasurementLines(File), 0);

  const std::vector<TChartMeasurement> Patches = {{0.5, 0.21404, "128 128 128", "127 127 127"},
                                                  {0.25, 0.05, "64 64 64", "63 63 63"}};
  const std::string First = ChartMeasurementText(Patches, 0, "0.0125");
  EXPECT_EQ(First,
            "0,50000\t=C1*0,21404\t0,0125\t128 128 128\t127 127 127\t\n"
            "0,25000\t=C1*0,05000\t\t64 64 64\t63 63 63\t\n");
  ASSERT_TRUE(AppendChartMeasurements(File, First));
  EXPECT_EQ(CountChartMeasurementLines(File), 2);
  const std::string Second = ChartMeasurementText(Patches, CountChartMeasurementLines(File), "0.5");
  EXPECT_NE(Second.find("=C3*"), std::string::npos);
  ASSERT_TRUE(AppendChartMeasurements(File, Second));
  EXPECT_EQ(CountChartMeasurementLines(File), 4);
  EXPECT_FALSE(std::filesystem::exists("CheckerMeasurements.txt"));

  if (Old)
    setenv("XDG_CONFIG_HOME", Saved.c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace kromel
