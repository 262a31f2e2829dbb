#include "engine/kromel_preset.h"

#include <gtest/gtest.h>

#include <sstream>

#include "engine/mask_slot.h"
#include "support/test_support.h"

namespace kromel {
namespace {

using testing::ReadText;
using testing::TCaptureTest;
using testing::TTestTempDir;

std::vector<std::string> Lines(const std::string& Text) {
  std::vector<std::string> Result;
  std::istringstream In(Text);
  for (std::string Line; std::getline(In, Line);) Result.push_back(Line);
  return Result;
}

class KromelPresetTest : public TCaptureTest {};

TEST_F(KromelPresetTest, ChildrenInTheirFixedOrder) {
  TKromelPreset Preset;
  const std::vector<std::string> Names = {
      "EffectChain", "LogEncoder",  "FilmCurve",       "Basic",           "Clipping",
      "ChannelMixer", "Volume",     "ABGrid",          "CLGrid",          "ModelCurves",
      "RGBContrast", "ModelSaturation", "Curves",      "2DCurves",        "ExternalLUT",
      "Mask",        "Master",      "TabSwitches",     "ExternalLUTPosition", "ColorModel",
      "MaskDestination", "CurvesEnabled"};
  ASSERT_EQ(Preset.GetCount(), int32_t(Names.size()));
  for (int32_t I = 0; I < Preset.GetCount(); ++I) EXPECT_EQ(Preset.GetChild(I)->Name, Names[size_t(I)]);
  EXPECT_EQ(Preset.EffectChain->GetEffect(0), Preset.LogDecoder);
  EXPECT_EQ(Preset.GetChild(15), Preset.Mask);
  EXPECT_FALSE(IsMaskStandIn(Preset.Mask));
  EXPECT_NE(Preset.MaskUnit(), nullptr);
  EXPECT_EQ(Preset.ColorModel->Value, 10);
  EXPECT_EQ(Preset.TabSwitches->Switches, std::vector<uint8_t>(7, 0));
  EXPECT_EQ(Preset.ChannelMixer->ChannelMixerGrid->Grid.Cols(), 3);
  EXPECT_EQ(Preset.Volume->VolumeGrid->Grid.Cols(), 1);
  EXPECT_TRUE(Silent());
}

TEST_F(KromelPresetTest, FreshPresetFileBeginsAndEndsAsExpected) {
  TTestTempDir Dir;
  TKromelPreset Preset;
  const std::string Name = Dir.File("fresh.lux");
  ASSERT_TRUE(SavePresetToFile(Preset, Name));
  const std::vector<std::string> L = Lines(ReadText(Name));
  ASSERT_GT(L.size(), 12u);
  const std::vector<std::string> Head = {"<tab section=\"KromelPreset\">",
                                         "<tab section=\"EffectChain\">",
                                         "<tab section=\"LogDecoder\">", "<InputLog>0</InputLog>",
                                         "<MaxColor>0</MaxColor>"};
  const std::vector<std::string> Tail = {"</tab>",
                                         "<ExternalLUTPosition>0</ExternalLUTPosition>",
                                         "<ColorModel>10</ColorModel>",
                                         "<MaskDestination>0</MaskDestination>",
                                         "<CurvesEnabled>0</CurvesEnabled>", "</tab>"};
  EXPECT_EQ(std::vector<std::string>(L.begin(), L.begin() + 5), Head);
  EXPECT_EQ(std::vector<std::string>(L.end() - 6, L.end()), Tail);
  const std::string Text = ReadText(Name);
  EXPECT_EQ(Text.back(), '\n');
  EXPECT_EQ(Text.find('\r'), std::string::npos);
  EXPECT_NE(Text.find("<tab section=\"Mask\">\n<Enabled>0</Enabled>\n"), std::string::npos);
  EXPECT_NE(Text.find("<ReferenceColor>9879270</ReferenceColor>\n</tab>\n<tab section=\"Master\">"),
            std::string::npos);
}

}  // namespace
}  // namespace kromel
