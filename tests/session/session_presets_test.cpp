#include "session/session_presets.h"

#include "foundation/byte_codecs.h"
#include "lut/lut_file_cube.h"
#include "session_test_support.h"

namespace kromel::session_test {
namespace {

class SessionPresets : public SessionWithPresets {
 protected:
  TController& Knob(const char* Name) { return *S.Controls.Find(Name); }
  int32_t Temperature() { return Knob("TransformWhiteBalanceKnob").GetControllerValue(); }
  void SetTemperature(int32_t V, const std::string& Step) {
    Knob("TransformWhiteBalanceKnob").SetControllerValue(V);
    P.AddUndoStep(Step);
  }
};

TEST_F(SessionPresets, BinaryPresetRoundTripRestoresBoundControls) {
  Knob("TransformWhiteBalanceKnob").SetControllerValue(125);
  Knob("TransformSaturationKnob").SetControllerValue(170);
  ASSERT_TRUE(P.SavePresetToFile(File("look.luc"), true));
  P.NewPreset();
  EXPECT_EQ(Temperature(), 0);
  ASSERT_TRUE(P.LoadPreset(File("look.luc")));
  EXPECT_EQ(Temperature(), 125);
  EXPECT_EQ(Knob("TransformSaturationKnob").GetControllerValue(), 170);
  EXPECT_EQ(P.CurrentUndoList().GetUndoCaption(), "Load preset: " + File("look.luc"));
  EXPECT_EQ(P.DefaultLutFileName, File("look"));
  EXPECT_TRUE(S.PresetUnmodified);
  EXPECT_EQ(S.RecentPresets.Names.Get(0), File("look.luc"));
}

TEST_F(SessionPresets, LutFileWithPresetLoadsAndRecordsTheStep) {
  SetTemperature(-300, "warm");
  ASSERT_TRUE(S.SaveLut(File("look.cube")));
  P.NewPreset();
  ASSERT_TRUE(P.LoadPresetFromLutFile(File("look.cube")));
  EXPECT_EQ(Temperature(), -300);
  EXPECT_EQ(P.CurrentUndoList().GetUndoCaption(), "Load preset " + File("look.cube"));
  EXPECT_EQ(P.DefaultLutFileName, File("look.cube"));
}

TEST_F(SessionPresets, RejectedOrMissingEmbeddedPresetChangesNothing) {
  SetTemperature(200, "step");
  ASSERT_TRUE(S.SaveLut(File("plain.cube")));
  {
    T3DLut Lut;
    ASSERT_TRUE(LoadFromCube(&Lut, File("plain.cube"), false));
    ASSERT_TRUE(Save3dLutCube(Lut, File("bare.cube"), nullptr, "x", ""));
    const std::vector<std::string> Junk = {"S1JNUAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA="};
    ASSERT_TRUE(Save3dLutCube(Lut, File("junk.cube"), &Junk, "x", ""));
  }
  const int32_t Steps = P.CurrentUndoList().Count();
  const std::string Name = P.PresetName;
  for (const char* F : {"bare.cube", "junk.cube"}) {
    EXPECT_FALSE(P.LoadPresetFromLutFile(File(F))) << F;
    EXPECT_EQ(P.CurrentUndoList().Count(), Steps) << F;
    EXPECT_EQ(P.PresetName, Name) << F;
    EXPECT_EQ(Temperature(), 200) << F;
  }
  EXPECT_FALSE(std::filesystem::exists("m:\\testpreset.luc"));
}

TEST_F(SessionPresets, PagePresetChangesItsOwnSection) {
  SetTemperature(150, "t");
  S.Preset->Volume->Enabled->SetValue(1);
  ASSERT_TRUE(P.SavePagePresetToFile(File("volume.lux"), "Volume"));
  EXPECT_EQ(P.PopupText, "Tab preset is saved.");
  S.Preset->Volume->Enabled->SetValue(0);
  SetTemperature(-50, "t2");
  ASSERT_TRUE(P.LoadPresetXML(File("volume.lux")));
  EXPECT_EQ(S.Preset->Volume->Enabled->Value, 1);
  EXPECT_EQ(Temperature(), -50);
}

TEST_F(SessionPresets, GridDefaultsFromPreferences) {
  Prefs.DefaultGridSize = 11;  // "20C";
  P.ApplyGridDefaults(Prefs, 1.24f);
  const T2DEnvelopeDots& AB = S.Preset->ABGrid->Highlights->Grid;
  EXPECT_TRUE(AB.Circular);
  EXPECT_EQ(AB.ColCount, 20);
  EXPECT_EQ(AB.RowCount, 20);
  EXPECT_EQ(AB.MinX, -1451);
  EXPECT_EQ(AB.MaxY, 1451);
  EXPECT_EQ(S.Preset->CLGrid->AL->Grid.ColCount, 21);
  EXPECT_EQ(P.ABGridShapeItem, 1);
  EXPECT_EQ(P.GridSizeItem, 5);
}

TEST_F(SessionPresets, HistoryStartsWithTheDefaultPreset) {
  EXPECT_FALSE(P.UndoEnabled);
  EXPECT_EQ(P.UndoCaption, "Undo ");
  ASSERT_EQ(P.History.Items.size(), 1u);
  EXPECT_EQ(P.History.Items[0], "Default preset");
}

TEST_F(SessionPresets, UndoRedoAndANewStepDropsTheRedoBranch) {
  SetTemperature(100, "A");
  SetTemperature(200, "B");
  ASSERT_TRUE(P.UndoStep());
  EXPECT_EQ(P.PopupText, "Undo B");
  EXPECT_EQ(Temperature(), 100);
  ASSERT_TRUE(P.RedoStep());
  EXPECT_EQ(Temperature(), 200);
  ASSERT_TRUE(P.UndoStep());
  SetTemperature(300, "C");
  EXPECT_FALSE(P.RedoEnabled);
  EXPECT_FALSE(P.RedoStep());
  EXPECT_EQ(P.PopupText, "No redo steps available");
  ASSERT_TRUE(P.GoToHistoryStep(0));
  EXPECT_EQ(Temperature(), 0);
}

TEST_F(SessionPresets, TrimmingKeepsTheBaseStateFirst) {
  for (int32_t I = 1; I <= 120; I++) SetTemperature(I, "step " + std::to_string(I));
  TUndoRedoList& L = P.CurrentUndoList();
  EXPECT_LE(L.Count(), 100);
  EXPECT_EQ(L.State(0).Caption, "Default preset");
  EXPECT_EQ(L.State(L.Count() - 1).Caption, "step 120");
  ASSERT_TRUE(P.GoToHistoryStep(0));
  EXPECT_EQ(Temperature(), 0);
}

TEST_F(SessionPresets, RejectedSnapshotRollsTheIndexBack) {
  SetTemperature(100, "A");
  TUndoRedoList& L = P.CurrentUndoList();
  // A damaged state after the current one.
  L.AddState("KRMPdamaged", 11, "bad");
  L.Current = 1;
  EXPECT_FALSE(P.RedoStep());
  EXPECT_EQ(L.Current, 1);
  EXPECT_EQ(Temperature(), 100);
  EXPECT_FALSE(P.GoToHistoryStep(2));
  EXPECT_EQ(L.Current, 1);
}

TEST_F(SessionPresets, VersionsKeepTheirOwnHistory) {
  SetTemperature(100, "v1");
  P.SelectVersion(3);  // "Version 3" carries the tag 3
  EXPECT_EQ(P.CurrentVersion, 2);
  EXPECT_EQ(Temperature(), 0);
  P.CopyFromVersion(0);
  EXPECT_EQ(Temperature(), 100);
  EXPECT_EQ(P.CurrentUndoList().GetUndoCaption(), "Copy state from the other version");
  P.SelectVersion(0);
  EXPECT_EQ(Temperature(), 100);
}

}  // namespace
}  // namespace kromel::session_test

#include "session/headless_session.h"

namespace kromel::session_test {
namespace {

TEST(HeadlessActions, ActionsChangeTheSessionAndQuit) {
  const testing::TTestTempDir Dir("kromel_headless");
  THeadlessSession H;
  H.SettingsFile = std::make_shared<TSettingsFile>(Dir.File("settings.xml"));
  // The invalid tab index is reported, the rest runs, and the run fails.
  EXPECT_EQ(H.Run({"kromel", "-ACTION:SETTEMPERATURE:12.5", "-ACTION:SETSATURATION:150",
                   "-ACTION:TURNOFFTAB:x", "-ACTION:TURNOFFTAB:2", "-QUIT"}),
            1);
  EXPECT_TRUE(H.CloseRequested);
  EXPECT_EQ(H.Session->Controls.Find("TransformWhiteBalanceKnob")->GetControllerValue(), 125);
  EXPECT_EQ(H.Session->Controls.Find("TransformSaturationKnob")->GetControllerValue(), 150);
  EXPECT_EQ(H.Session->Preset->ABGrid->Enabled->Value, 0);
  EXPECT_EQ(H.Presets->CurrentUndoList().Count(), 4);
}

}  // namespace
}  // namespace kromel::session_test
