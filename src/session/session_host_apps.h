// Host application commands: import the host's image as work or reference
// image, send the LUT back. The image editor, compositor and still
// exporter hosts exist only on macOS (and Windows); here every such command
// reports that the host is not available on this platform and changes
// nothing. Exchange files live only in the bridge's private per-user
// folder.
#pragma once
#include <string>

namespace kromel {

class TKromelSession;

// Items of the Preferences' " Photoshop connection " group.
inline constexpr int32_t HostItemCount = 11;
const char* HostApplicationCaption(int32_t Item);  // "" outside 0..10
enum class THostKind { ListedPhotoshop, CustomPhotoshop, AfterEffects, MLVProducer };
// The last three items are the custom Photoshop, After Effects and
// MLVProducer connections; a negative item counts as item 0.
THostKind HostKindOfItem(int32_t Item);

// "<host> is not available on this platform".
std::string HostNotAvailableText(const std::string& Host);

// The exchange file of a host (TIFF, PNG for After Effects) and the flag
// file, in the private folder.
std::string HostImageFileName(THostKind Kind);
std::string HostFlagFileName();

class TSessionHostApps {
 public:
  explicit TSessionHostApps(TKromelSession& Session) : FSession(Session) {}
  int32_t HostItem = 3;      // MacPhotoshopRadioGroup
  bool PluginMode = false;   // /PLUGIN
  std::string LastMessage;   // what the last command reported
  // "Image from PS": nothing in plug-in mode; here the host is reported
  // unavailable and nothing changes. True when an image was loaded.
  bool ImportImage(bool AsReference);
  // "LUT to PS": in plug-in mode Send() hands the preset to the plug-in;
  // otherwise the host is reported unavailable. True when sent.
  bool SendLut(bool (*SendToPlugin)(TKromelSession&) = nullptr);

 private:
  TKromelSession& FSession;
  void Report(const std::string& Text);
};

}  // namespace kromel
