#include "platform/translate.h"
#include "session/session_presets.h"

namespace kromel {

bool TSessionPresets::ProcessImageWithLutAndReset() {
  if (Session.Image.Width <= 0 || !Session.ProcessImageWithCurrentLut()) return false;
  ResetToDefaultPreset(false);
  AddUndoStep(_("Start new preset"));
  return true;
}

}  // namespace kromel
