// The composition root builds every part on the one settings record.
#include "session/session_root.h"

#include <gtest/gtest.h>

#include <memory>

#include "session_test_support.h"

namespace kromel {
namespace {

using session_test::SessionTest;

TEST_F(SessionTest, RootBuildsEveryPartOnTheOnePreferencesRecord) {
  TSessionRoot Root;
  Root.SettingsFile = std::make_shared<TSettingsFile>(File("settings.xml"));
  Root.LoadSettings(true);
  Root.Settings.Preferences.LUTSize = 1;  // "9"
  Root.Settings.Recent.Images.Add(File("old.png"));
  Root.Build();
  ASSERT_TRUE(Root.Session && Root.Presets && Root.Files);
  TKromelSession& S = *Root.Session;
  // Held by reference: a change made after the build reaches the session.
  EXPECT_EQ(&S.Preferences(), &Root.Settings.Preferences);
  EXPECT_EQ(Root.Presets->Preferences, &Root.Settings.Preferences);
  EXPECT_EQ(S.LutSize(), 9);
  EXPECT_EQ(S.RecentImages.Names.GetCount(), 1);
  EXPECT_TRUE(Root.Files->Loaders.ExternalLut);
  EXPECT_EQ(Root.Presets->CurrentUndoList().Count(), 1);  // "Default preset"
  S.Show();
  for (const bool OpenCL : {false, true, false}) {
    Root.Settings.Preferences.OpenCLEnable = OpenCL;
    S.ProcessImageStart();
    ASSERT_TRUE(S.Renderer());
    EXPECT_EQ(S.Renderer()->UseOpenCL, OpenCL);
  }
  Root.Settings.Preferences.AlwaysSave64 = false;
  EXPECT_EQ(S.GetExportLutSize(), 9);
  // Closing takes the session's recent lists back into the settings.
  S.RecentImages.Add(File("new.png"));
  Root.Close();
  EXPECT_FALSE(S.LutCalculator);
  EXPECT_EQ(Root.Settings.Recent.Images.Names.GetCount(), 2);
  Root.Close();  // once only
}

}  // namespace
}  // namespace kromel
