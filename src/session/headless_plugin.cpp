#include "platform/translate.h"
#include "session/headless_session.h"
#include "session/session_plugin.h"

namespace kromel {

void THeadlessSession::OpenPlugin() {
  if (!Session->OpenPlugin()) return Fail(_("Can not enter plug-in mode"));
  // No window and no timer: the frame is graded once, synchronously, so the
  // LUT is in the plug-in's file before the run goes on.
  Session->Show();
  Session->UpdateImage(true, true);
}

void THeadlessSession::ApplyToPlugin() {
  if (Session->Plugin && Session->Plugin->PluginMode && !Session->Plugin->Apply()) Failed = true;
}

}  // namespace kromel
