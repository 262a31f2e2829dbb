// Writes the seed corpora of the text preset, channel-mixer preset,
// settings file and command-line fuzz targets with the program's own
// writers: fuzz_make_session_corpus <repo>/fuzz/corpus.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/channel_mixer_preset.h"
#include "engine/channel_mixer_unit.h"
#include "engine/kromel_preset.h"
#include "fuzz_support.h"
#include "seed_writer.h"
#include "session/session_settings.h"

using namespace kromel;
using kromel::fuzz::Put;

namespace {

std::string Tmp(const std::string& Name) {
  return (std::filesystem::temp_directory_path() / ("kromel_seed_" + Name)).string();
}

// Writes through Save into a scratch file and stores it as seed Name of Target.
template <class F>
void Seed(const std::string& Target, const std::string& Name, F Save) {
  const std::string File = Tmp(Name);
  if (!Save(File)) {
    std::fprintf(stderr, "could not write %s\n", Name.c_str());
    return;
  }
  Put(Target, Name, fuzz::GetFile(File));
  std::filesystem::remove(File);
}

void TextPresets() {
  TKromelPreset Preset;
  Preset.Basic->Exposure->SetValue(0.7f);
  Preset.Basic->Temperature->SetValue(-20.0f);
  Preset.RGBCurves->Master->Curve.AddDot(8000, 20000, 10);
  Preset.ABGrid->Highlights->Grid.Dots[1][1].X += 25;
  Seed("text_preset", "whole.lux", [&](const std::string& F) { return SavePresetToFile(Preset, F); });
  Seed("text_preset", "abgrid.lux", [&](const std::string& F) {
    return SaveSectionPresetToFile(Preset, F, Preset.ABGrid);
  });
  Seed("text_preset", "curves.lux", [&](const std::string& F) {
    return SaveSectionPresetToFile(Preset, F, Preset.RGBCurves);
  });
}

void ChannelMixerPresets() {
  TChannelMixerAdjustments Mixer(nullptr);
  Seed("channel_mixer_preset", "identity.cha", [&](const std::string& F) {
    return SaveChannelMixerPreset(&Mixer.ChannelMixerGrid->Grid, F, false);
  });
  Mixer.ChannelMixerGrid->Grid.Dots[1][0].X = -500;
  Seed("channel_mixer_preset", "mixed.cha", [&](const std::string& F) {
    return SaveChannelMixerPreset(&Mixer.ChannelMixerGrid->Grid, F, true);
  });
}

void SettingsFiles() {
  TSessionSettings Settings;
  Settings.Preferences.LutSaveDirectory = "/home/user/LUTs";
  Settings.Main.CustomICC = "display.icc";
  Settings.Recent.Images.Add("/home/user/a.png");
  Settings.Recent.LUTs.Add("/home/user/b.cube");
  Seed("session_settings", "settings.xml", [&](const std::string& F) {
    SaveSessionSettings(Settings, std::make_shared<TSettingsFile>(F));
    return std::filesystem::exists(F);
  });
}

void CommandLines() {
  const char* Lines[][2] = {
      {"image_preset", "photo.png\nlook.lux\n/LUTSIZE:33\n-ACTION:EXPORTLUT:out.cube\n/Save:out.png\n-QUIT"},
      {"binary_preset", "photo.png\nlook.luc\n-ACTION:SETSATURATION:150\n-ACTION:TURNOFFTAB:2\n-QUIT"},
      {"reference", "photo.png\nref.png\n-ACTION:LOADEXTLUT:ext.cube\n-ACTION:SETTEMPERATURE:12.5\n-QUIT"},
      {"lut_preset", "photo.png\nlut.cube\n/SAVETO:x.cube\n-ACTION:SETMASTERCURVE:1\n-QUIT"},
      {"options", "/RAWMODE:2\n/NOCMS\n/EXPERIMENTAL\n-FOO\n/?\n-QUIT"},
  };
  for (const auto& L : Lines) Put("command_line", L[0], std::string(L[1]));
}

}  // namespace

int main(int argc, char** argv) {
  kromel::fuzz::SilenceReports();
  return kromel::fuzz::WriteSeeds(argc, argv,
                                  {TextPresets, ChannelMixerPresets, SettingsFiles, CommandLines});
}
