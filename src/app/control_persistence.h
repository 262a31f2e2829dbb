// Generic persistence of a form's controls and of a window's placement in
// the settings store, so that a dialog needs no code per setting. Each
// supported control becomes one value under "Software\<AppName>\" named
// after the control's object name without its class words.
#pragma once
#include <memory>
#include <string>

#include "platform/settings_store.h"
#include "session/session_settings.h"

class QWidget;

namespace kromel {

// Writes every supported direct child of Container (combo boxes and radio
// groups as their item index, edits as text, sliders as position, check
// boxes as Boolean, the captioned scroll bar as its normalised position,
// folder and file selectors as their path), entering tab widgets and their
// pages only. A failure for one control is reported and the next follows.
// File null: the user's store.
void SaveControlsToRegistry(QWidget* Container, const std::string& AppName,
                            std::shared_ptr<TSettingsFile> File = nullptr);
// Reads back what exists; absent values leave the controls alone, indices
// beyond the list select the last item.
void LoadControlsFromRegistry(QWidget* Container, const std::string& AppName,
                              std::shared_ptr<TSettingsFile> File = nullptr);

// The window's placement to store (Left at least 0).
TWindowPlacement PlacementOf(const QWidget& Form);
// Stored, when it has a size, clamped to the window's screen; without one the
// window is left where it is.
void ApplyPlacement(QWidget& Form, const TWindowPlacement& Stored);

// Prefix + "WindowMaximized", "WindowVisible", "WindowLeft" (at least 0),
// "WindowTop", "WindowWidth", "WindowHeight" into the open key.
void SaveWindowPlacement(TRegistry& Registry, QWidget& Form, const std::string& Prefix);
// The stored placement clamped to the window's screen (centred when the
// store holds no "WindowWidth"); unreadable values are skipped. False.
bool LoadWindowPlacement(TRegistry& Registry, QWidget& Form, const std::string& Prefix);

}  // namespace kromel
