// What the main window computes without widgets: its caption, page
// navigation, the Command-key shortcut conversion, the stored window
// placement clamped to the screen and the update-check reply.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "session/session_settings.h"

namespace kromel {

constexpr const char* ProductName = "Kromel Pro";
constexpr const char* ProgramVersion = "1.52";

// The pieces of the caption, in the order they are shown.
struct TCaptionState {
  std::string ImageFileName;          // empty: no image
  std::string ImageProfileDescription;  // empty: no profile name
  bool ProfileDiscarded = false;
  bool PresetModified = false;
  bool CMSDisabled = false;
  bool WrongImageProfile = false;
  bool ExtendedHighlights = false;
  bool ClipWarnings = false;
  bool PluginConnected = false;
  bool PluginImageOpen = false;
  std::string PluginDocumentName;
  int32_t PluginDocumentNumber = 0;
  bool Saving = false;
};
std::string BuildCaption(const TCaptionState& S);

// The next (or previous) page whose caption is not empty, wrapping around;
// Index itself when no other page has a caption.
int32_t NextPageIndex(const std::vector<std::string>& Captions, int32_t Index, bool Forward);

// A menu shortcut (widget-set form: 0x4000 Ctrl, 0x2000 Shift, 0x8000 Alt,
// 0x1000 Meta, low byte the key) with Ctrl moved to Command.
uint16_t ConvertShortcutToCmd(uint16_t ShortCut);

// The settings value name of a persisted control: its name without the
// class words, ignoring case.
std::string ControlValueName(const std::string& ControlName);

// A window's placement restored from the store on a screen of ScreenWidth x
// ScreenHeight (1920 x 800 when unknown): stored values clamped, missing
// ones derived from the current placement.
struct TStoredPlacement {
  std::optional<int32_t> Left, Top, Width, Height;
};
TWindowPlacement RestorePlacement(const TStoredPlacement& Stored, const TWindowPlacement& Current,
                                  int32_t ScreenWidth, int32_t ScreenHeight);

// The update check's reply: the version it names (0 when the reply is not a
// version number, such as an error page), whether to tell the user and
// whether to store the check time.
struct TUpdateReply {
  float Version = 0;
  bool NewVersion = false;
  bool StoreCheckTime = false;
};
TUpdateReply ParseUpdateReply(const std::string& Text);

}  // namespace kromel
