#include "session/session_plugin.h"

#include <lcms2.h>

#include <utility>

#include "colour/icc_profiles.h"
#include "controls/binary_preset_file.h"
#include "fileio/image_files.h"
#include "fileio/image_save.h"
#include "lut/lut_images.h"
#include "platform/message_sink.h"
#include "platform/translate.h"
#include "session/session_core.h"

namespace kromel {

std::string PluginSendCaption() { return _("Apply"); }

TSessionPlugin::TSessionPlugin(TKromelSession& Session, std::string Folder)
    : Link(*this, std::move(Folder)), FSession(Session) {}

TSessionPlugin::~TSessionPlugin() {
  Link.KromelSMClose();
  Link.KromelSMImageClose();
}

bool TSessionPlugin::Connect() {
  PluginMode = Link.KromelSMOpen(true) && Link.KromelSMImageOpen() && Link.KromelSMImageLoad();
  FSession.Notify([](TSessionView& V) { V.UpdateCaption(); });
  return PluginMode;
}

void TSessionPlugin::TimerTick() { Link.KromelSMImageCheck(); }

void TSessionPlugin::LutCalculated() {
  if (FSession.Preferences().ModalPluginMode || !Link.LutMapped()) return;
  T3DLut Lut;
  if (!FSession.CopyMainLut(Lut)) return;
  // The LUT map holds at most 64 levels: a finer LUT goes resampled.
  if (Lut.Size > PluginLutMaxLevels && !ResampleLut(Lut, PluginLutMaxLevels)) return;
  Link.KromelSMWriteLut(Lut);
}

bool TSessionPlugin::Apply() {
  const bool Sent = Link.KromelSMSavePreset();
  if (!Sent) PlatformShowMessage(_("Failed to send LUT Preset to Plug-in"));
  return Sent;
}

bool TSessionPlugin::RendererBlock() { return FSession.RendererBlock(); }

void TSessionPlugin::RendererCreate() { FSession.RendererCreate(); }

void TSessionPlugin::SourceImageReplaced(TImage64& Image) {
  // The link has blocked the renderer: the picture may change under it.
  std::swap(FSession.Image, Image);
  FSession.ImageProfileSourceFile.clear();
  // A host frame carries no profile: it is taken as Rec. 709.
  if (cmsHPROFILE Profile = CreateRec709Profile()) {
    FIICCPROFILE Bytes = CmsProfileToMemory(Profile);
    cmsCloseProfile(Profile);
    std::swap(FSession.ImageProfileData, Bytes);
    FreeICCProfileData(Bytes);
  } else {
    FreeICCProfileData(FSession.ImageProfileData);
    FSession.ImageProfileData = EmptyICCProfile();
  }
  FSession.Dirty.SetAll();
  FSession.SourceImageChanged();
}

void TSessionPlugin::UpdateImage() { FSession.UpdateImage(true, false); }

bool TSessionPlugin::SavePresetToFile(const std::string& FileName) {
  return FSession.EditPreset([&](TKromelPreset& Preset) {
    return SavePresetToBinaryFile(Preset, FSession.Controls.Controllers, FileName, true);
  });
}

bool TKromelSession::OpenPlugin(const std::string& Folder) {
  Plugin.reset();
  Plugin = std::make_unique<TSessionPlugin>(*this, Folder);
  return Plugin->Connect();
}

void TSessionPlugin::SetPresetSent() {
  PresetSent = true;
  FSession.Notify([](TSessionView& V) { V.UpdateCaption(); });
}

}  // namespace kromel
