#include "session/session_root.h"

#include "session/session_actions.h"

namespace kromel {

namespace {

void CopyRecent(const TRecentFiles& From, TRecentFiles& To) {
  To.Names.Clear();
  To.Names.AddWideStrings(From.Names);
}

}  // namespace

TSessionRoot::~TSessionRoot() {
  Close();
  Files.reset();
  Presets.reset();
  Session.reset();
}

void TSessionRoot::LoadSettings(bool ReadViewState) {
  if (!SettingsFile) SettingsFile = TSettingsFile::ForUser();
  LoadSessionSettings(Settings, ReadViewState, SettingsFile);
}

void TSessionRoot::Build(TSessionView* View, TPresetRefreshView* PresetView, int32_t LutSize) {
  Files.reset();
  Presets.reset();
  Session = std::make_unique<TKromelSession>(View, &Settings, LutSize);
  Presets = std::make_unique<TSessionPresets>(*Session, PresetView);
  Presets->Preferences = &Settings.Preferences;
  Presets->InitDefaultPreset();
  CopyRecent(Settings.Recent.Images, Session->RecentImages);
  CopyRecent(Settings.Recent.Presets, Session->RecentPresets);
  CopyRecent(Settings.Recent.ColorSwatches, Session->RecentSwatches);
  CopyRecent(Settings.Recent.LUTs, Session->RecentExternalLuts);
  Files = std::make_unique<TSessionFiles>(*Session, *Presets);
  Files->Loaders.ExternalLut = [this](const std::string& F) {
    return kromel::LoadExternalLut(*Presets, F);
  };
}

bool TSessionRoot::OpenPlugin(const std::string& Folder) {
  return Session && Session->OpenPlugin(Folder);
}

void TSessionRoot::Close() {
  if (!Session) return;
  Session->Close();
  CopyRecent(Session->RecentImages, Settings.Recent.Images);
  CopyRecent(Session->RecentPresets, Settings.Recent.Presets);
  CopyRecent(Session->RecentSwatches, Settings.Recent.ColorSwatches);
  CopyRecent(Session->RecentExternalLuts, Settings.Recent.LUTs);
}

void TSessionRoot::SaveSettings() { SaveSessionSettings(Settings, SettingsFile); }

}  // namespace kromel
