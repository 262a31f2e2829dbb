// TSessionRoot: the composition root. It owns the settings (with the one
// preferences record every part reads by reference), the session with its
// plug-in link, the preset commands and the file dispatcher, and builds
// them in one order. The command line and the window both start from it;
// neither assembles pieces of its own.
#pragma once
#include <memory>
#include <string>

#include "platform/settings_store.h"
#include "session/session_core.h"
#include "session/session_files.h"
#include "session/session_presets.h"
#include "session/session_settings.h"

namespace kromel {

class TSessionRoot {
 public:
  TSessionRoot() = default;
  ~TSessionRoot();
  TSessionRoot(const TSessionRoot&) = delete;
  TSessionRoot& operator=(const TSessionRoot&) = delete;

  TSessionSettings Settings;
  // The settings store; the user's when null at LoadSettings.
  std::shared_ptr<TSettingsFile> SettingsFile;
  // Built by Build; null before.
  std::unique_ptr<TKromelSession> Session;
  std::unique_ptr<TSessionPresets> Presets;
  std::unique_ptr<TSessionFiles> Files;

  // Reads the store into Settings (at start, before Build).
  void LoadSettings(bool ReadViewState);
  // The session on Settings (View subscribed when given), its preset
  // commands with the default preset recorded, the file dispatcher with
  // the external LUT loader, and the recent lists from the settings.
  // LutSize 0: the preferences' working size.
  void Build(TSessionView* View = nullptr, TPresetRefreshView* PresetView = nullptr,
             int32_t LutSize = 0);
  // The host plug-in link in Folder (empty: the temporary folder).
  bool OpenPlugin(const std::string& Folder = {});
  // Closes the session (threads ended, link closed) and takes its recent
  // lists back into the settings. Idempotent.
  void Close();
  // Writes Settings to the store.
  void SaveSettings();
};

}  // namespace kromel
