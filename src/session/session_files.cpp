#include "session/session_files.h"

#include <filesystem>

#include "controls/switch_controls.h"
#include "engine/channel_mixer_preset.h"
#include "engine/rgb_curves.h"
#include "fileio/curves_acv.h"
#include "fileio/curves_capture_one.h"
#include "fileio/curves_json.h"
#include "fileio/curves_lightroom.h"
#include "fileio/curves_rawtherapee.h"
#include "fileio/dcp_export.h"
#include "fileio/file_extension.h"
#include "foundation/ascii_case.h"
#include "foundation/debug_log.h"
#include "foundation/file_search.h"
#include "foundation/paths.h"
#include "fileio/image_metadata.h"
#include "platform/message_sink.h"
#include "platform/translate.h"
#include "session/session_images.h"
#include "session/session_profiles.h"

namespace kromel {

namespace {

std::string TrimRight(std::string S) {
  while (!S.empty() && S.back() == ' ') S.pop_back();
  return S;
}

std::string NewestOf(const TRecentFiles& List, const std::string& Otherwise) {
  return List.Names.GetCount() > 0 ? List.Names.Get(0) : Otherwise;
}

}  // namespace

TLoadOutcome TSessionFiles::Through(const std::function<bool(const std::string&)>& Loader,
                                    const std::string& FileName, const char* What) {
  if (!Loader) {
    PlatformShowMessage(_(What) + FileName);
    return TLoadOutcome::Unsupported;
  }
  return Loader(FileName) ? TLoadOutcome::Loaded : TLoadOutcome::Failed;
}

TLoadOutcome TSessionFiles::LoadCurves(int32_t Switch,
                                       const std::string& Step,
                                       const std::function<bool(TRGBCurvesAdjustments&)>& Read) {
  const bool Done = Presets.ApplyEdit(Step, 0, [&](TKromelPreset& P) {
    if (!Read(*P.RGBCurves)) return false;
    if (Switch >= 0) {
      if (TRadioGroupControl* Group = Session.Controls.FindGroup("CurvesMRGBRadioGroup"))
        Group->SetButtonSwitchState(Switch, true);
      if (TRadioGroupControl* Pages = Session.Controls.FindGroup("PagesRadioGroup"))
        Pages->SetButtonSwitchState(4, true);
    }
    return true;
  });
  return Done ? TLoadOutcome::Loaded : TLoadOutcome::Failed;
}

TLoadOutcome TSessionFiles::LoadAnyFile(const std::string& FileName, bool WarnExisting,
                                        bool ResolveLast) {
  if (FileActionFor(FileName) == TFileAction::Ignore) return TLoadOutcome::Ignored;
  if (DebugLogEnabled()) DebugLogAdd("Load file " + FileName, 0);
  std::string Name = TrimRight(FileName);
  if (ResolveLast) {
    const std::string Upper = UpperAscii(ExtractFileNameW(Name));
    if (Upper == "*LAST*.ACO")
      Name = NewestOf(Session.RecentSwatches, Name);
    else if (Upper == "*LAST*.LUX" || Upper == "*LAST*.LUC")
      Name = NewestOf(Session.RecentPresets, Name);
    else if (Upper == "*LAST*.CUBE")
      Name = NewestOf(Session.RecentExternalLuts, Name);
  }
  switch (FileActionFor(Name)) {
    case TFileAction::Ignore:
      return TLoadOutcome::Ignored;
    case TFileAction::LutWithPreset:
      if (Presets.Load3DL(Name)) return TLoadOutcome::Loaded;
      [[fallthrough]];
    case TFileAction::ExternalLut:
      return Through(Loaders.ExternalLut, Name, "External LUTs can't be loaded here: ");
    case TFileAction::ColorChart:
      return Through(Loaders.ColorChart, Name, "Color charts can't be loaded here: ");
    case TFileAction::BatchPreset:
      return Through(Loaders.BatchPreset, Name, "Batch presets can't be loaded here: ");
    case TFileAction::Swatches:
      return Through(Loaders.Swatches, Name, "Color swatches can't be loaded here: ");
    case TFileAction::ChannelMixerPreset: {
      const bool Loaded =
          Presets.ApplyEdit(_("Load channel mixer preset"), 1, [&](TKromelPreset& P) {
            TChannelMixerAdjustments& Mixer = *P.ChannelMixer;
            return LoadChannelMixerPreset(&Mixer.ChannelMixerGrid->Grid, Name,
                                          Mixer.CameraCalibration->Value != 0);
          });
      return Loaded ? TLoadOutcome::Loaded : TLoadOutcome::Failed;
    }
    case TFileAction::PresetXML:
      return Presets.LoadPresetXML(Name) ? TLoadOutcome::Loaded : TLoadOutcome::Failed;
    case TFileAction::PresetBinary:
      return Presets.LoadPreset(Name) ? TLoadOutcome::Loaded : TLoadOutcome::Failed;
    case TFileAction::LightroomCurves: {
      const TImageProfile Space = ImageColorSpaceFromDescription(Session.ImageProfileDescription);
      std::string Step = _("Load curves from %s");
      Step.replace(Step.find("%s"), 2, Name);
      return LoadCurves(-1, Step, [&](TRGBCurvesAdjustments& C) {
        if (!LoadLRTemplateCurves(Name, &C.Master->Curve, &C.Red->Curve, &C.Green->Curve,
                                  &C.Blue->Curve))
          return false;
        for (TControlledParameterCurve* Curve : {C.Master, C.Red, C.Green, C.Blue})
          ProcessCurveGammaChangeGammaProfile(Curve->Curve, ipMelissaRGB, Space);
        return true;
      });
    }
    case TFileAction::RawTherapeeCurve:
      return LoadCurves(0, _("Load curves"), [&](TRGBCurvesAdjustments& C) {
        return LoadRTCCurve(Name, C.Master->Curve);
      });
    case TFileAction::JsonCurves:
      return LoadCurves(1, _("Load curves"), [&](TRGBCurvesAdjustments& C) {
        return LoadJSONCurves(Name, C.Red->Curve, C.Green->Curve, C.Blue->Curve);
      });
    case TFileAction::PhotoshopCurves:
      return LoadCurves(-1, _("Load curves"), [&](TRGBCurvesAdjustments& C) {
        return LoadACVCurves(Name, &C.Master->Curve, &C.Red->Curve, &C.Green->Curve,
                             &C.Blue->Curve);
      });
    case TFileAction::CaptureOneCurves:
      return LoadCurves(-1, _("Load Capture One Curves"), [&](TRGBCurvesAdjustments& C) {
        return LoadCaptureOneCurves(Name, &C.Master->Curve, &C.Red->Curve, &C.Green->Curve,
                                    &C.Blue->Curve, nullptr);
      });
    case TFileAction::UnsupportedLut:
      PlatformShowMessage(_("Unsupported LUT type: ") + Name);
      return TLoadOutcome::Unsupported;
    case TFileAction::Picture:
      return Session.LoadPicture(Name, false, WarnExisting, true) ? TLoadOutcome::Loaded
                                                                  : TLoadOutcome::Failed;
  }
  return TLoadOutcome::Unsupported;
}

// ---- the session's own file commands

bool TKromelSession::LoadAdjacentImage(bool Previous) {
  const std::string Anchor = OriginalImageFileName.empty() ? ImageFileName : OriginalImageFileName;
  std::error_code Ignored;
  if (Anchor.empty() || !std::filesystem::is_regular_file(Anchor, Ignored)) return false;
  // Names are case-sensitive here: camera files often end in ".JPG".
  const char* Masks = "*.jpg;*.jpeg;*.png;*.tif;*.tiff;*.JPG;*.JPEG;*.PNG;*.TIF;*.TIFF";
  const std::string Name =
      Previous ? GetPrevFileInFolder(Anchor, Masks) : GetNextFileInFolder(Anchor, Masks);
  if (!Name.empty() && UpperAscii(Name) != UpperAscii(ImageFileName))
    return LoadPicture(Name, false, true, true);
  const std::string Text = Previous ? _("No previous image found in the folder")
                                    : _("No next image found in the folder");
  Notify([Text](TSessionView& V) { V.ShowPopupNotification(Text); });
  return false;
}

std::string TKromelSession::FileInformationText() const {
  std::string Metadata;
  try {
    if (ImageBitmap) {
      FIBITMAP* Bitmap = ImageBitmap.get();
      for (const auto& [Model, Title] : {std::pair{FIMD_EXIF_MAIN, "--- MAIN ("},
                                         std::pair{FIMD_EXIF_EXIF, "--- EXIF ("}}) {
        std::string Lines;
        GetImageMetadataText(Lines, Bitmap, Model);
        Metadata += Title + std::to_string(FreeImage_GetMetadataCount(Model, Bitmap)) +
                    ") ---\n" + Lines + "\n";
      }
    }
  } catch (...) {
    PlatformShowMessage(_("Exception in getting metadata"));
    Metadata.clear();
  }
  return _("Image Width: ") + std::to_string(Image.Width) + "\n" + _("Image Height: ") +
         std::to_string(Image.Height) + "\n" + _("Unique levels: ") +
         std::to_string(Image.CountDistinctLevels()) + "\n" + Metadata;
}

}  // namespace kromel
