#include "session/session_host_apps.h"

#include <array>

#include "fileio/host_bridge.h"
#include "platform/message_sink.h"
#include "platform/translate.h"
#include "session/session_core.h"

namespace kromel {

namespace {

constexpr std::array<const char*, HostItemCount> Captions = {
    "Adobe Photoshop CS6",       "Adobe Photoshop CC",         "Adobe Photoshop CC 2014",
    "Adobe Photoshop CC 2015",   "Adobe Photoshop CC 2015.5",  "Adobe Photoshop CC 2017",
    "Adobe Photoshop CC 2018",   "Adobe Photoshop CC 2019",    "Custom Adobe Photoshop",
    "Custom Adobe After Effects", "MLVProducer"};

}  // namespace

const char* HostApplicationCaption(int32_t Item) {
  return Item >= 0 && Item < HostItemCount ? Captions[size_t(Item)] : "";
}

THostKind HostKindOfItem(int32_t Item) {
  if (Item == HostItemCount - 1) return THostKind::MLVProducer;
  if (Item == HostItemCount - 2) return THostKind::AfterEffects;
  if (Item == HostItemCount - 3) return THostKind::CustomPhotoshop;
  return THostKind::ListedPhotoshop;
}

std::string HostNotAvailableText(const std::string& Host) {
  return Host + _(" is not available on this platform");
}

std::string HostImageFileName(THostKind Kind) {
  return BridgeFilePath(Kind == THostKind::AfterEffects ? BridgePngImageName : BridgeTiffImageName);
}

std::string HostFlagFileName() { return BridgeFilePath(BridgeFlagFileName); }

void TSessionHostApps::Report(const std::string& Text) {
  LastMessage = Text;
  PlatformShowMessage(Text);
}

bool TSessionHostApps::ImportImage(bool /*AsReference*/) {
  if (PluginMode) return false;
  const int32_t Item = HostItem < 0 ? 0 : HostItem;
  HostItem = Item;
  // Every host of the list runs only on macOS or Windows: nothing is
  // deleted, created or loaded.
  Report(HostNotAvailableText(HostApplicationCaption(Item)));
  return false;
}

bool TSessionHostApps::SendLut(bool (*SendToPlugin)(TKromelSession&)) {
  if (PluginMode) {
    const bool Sent = SendToPlugin != nullptr && SendToPlugin(FSession);
    if (!Sent) Report(_("Failed to send LUT Preset to Plug-in"));
    return Sent;
  }
  const int32_t Item = HostItem < 0 ? 0 : HostItem;
  if (HostKindOfItem(Item) == THostKind::AfterEffects) {
    Report(_("Sorry, sending 3DLUT is not available with After Effects. To send 3DLUT to "
             "Photoshop, please change connection settings in Preferences."));
    return false;
  }
  Report(HostNotAvailableText(HostApplicationCaption(Item)));
  return false;
}

}  // namespace kromel
