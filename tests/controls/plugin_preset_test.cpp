// The plug-in link handing the preset over as "LutPreset<n>.luc".
#include <gtest/gtest.h>

#include "controls/binary_preset_file.h"
#include "controls/main_controls.h"
#include "support/fake_plugin.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

namespace kromel {
namespace {

struct TBoundPreset {
  TKromelPreset Preset;
  TMainWindowControls Controls;
  TBoundPreset() { Controls.LinkControlsToPreset(Preset); }
  TControllersArray& Registry() { return Controls.Controllers; }
  TController* Control() {
    int32_t Sub = 0;
    return Registry().OwnerOf(1, Sub);
  }
};

class PluginPresetTest : public testing::TCaptureTest {};

TEST_F(PluginPresetTest, DocumentSevenGivesAPresetFileThatLoadsAsThePreset) {
  testing::TTestTempDir Dir("kromel_plugin_preset");
  TBoundPreset Sent;
  ASSERT_NE(Sent.Control(), nullptr);
  const float Default = Sent.Control()->GetControllerValueS();
  const float Graded = Default > 0.5f ? 0.125f : 0.875f;
  Sent.Control()->SetControllerValueS(Graded);

  testing::TFakePlugin Plugin(Dir.Path.string());
  Plugin.SetDocument(7, "Shot");
  testing::TPluginHostDouble Host;
  Host.SaveFile = [&](const std::string& Name) {
    return SavePresetToBinaryFile(Sent.Preset, Sent.Registry(), Name, true);
  };
  TKromelPluginLink Link(Host, Dir.Path.string());
  ASSERT_TRUE(Link.KromelSMOpen(true) && Link.KromelSMImageOpen());
  ASSERT_TRUE(Link.KromelSMSavePreset());
  const std::string File = Dir.File("LutPreset7.luc");
  EXPECT_EQ(Host.SavedFiles, std::vector<std::string>{File});
  EXPECT_EQ(testing::ReadText(File).substr(0, 4), "KRMP");

  TBoundPreset Received;
  ASSERT_FLOAT_EQ(Received.Control()->GetControllerValueS(), Default);
  ASSERT_TRUE(LoadPresetFromBinaryFile(Received.Preset, Received.Registry(), File));
  EXPECT_FLOAT_EQ(Received.Control()->GetControllerValueS(), Graded);
  EXPECT_TRUE(Silent());
}

TEST_F(PluginPresetTest, UnwritableFolderIsReported) {
  TBoundPreset Sent;
  EXPECT_FALSE(SavePresetToBinaryFile(Sent.Preset, Sent.Registry(),
                                      "/nonexistent-folder/LutPreset1.luc", false));
  EXPECT_EQ(Messages(), std::vector<std::string>{
                            "Can not save preset, failed to create file "
                            "/nonexistent-folder/LutPreset1.luc"});
  EXPECT_FALSE(LoadPresetFromBinaryFile(Sent.Preset, Sent.Registry(), "/nonexistent-folder/x"));
}

}  // namespace
}  // namespace kromel
