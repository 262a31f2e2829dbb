#include "session/session_view_colour.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "colour/icc_profiles.h"
#include "foundation/error_sink.h"
#include "foundation/files.h"
#include "foundation/number_format.h"
#include "platform/message_sink.h"
#include "platform/translate.h"
#include "session/session_core.h"
#include "session/session_profiles.h"

namespace kromel {

namespace {

cmsHPROFILE OpenFile(const std::string& FileName) {
  std::error_code Ignored;
  if (FileName.empty() || !std::filesystem::is_regular_file(FileName, Ignored)) return nullptr;
  return cmsOpenProfileFromFile(FileName.c_str(), "r");
}

std::string FilePart(const std::string& Path) {
  const std::size_t Slash = Path.find_last_of("/\\");
  return Slash == std::string::npos ? Path : Path.substr(Slash + 1);
}

}  // namespace

uint8_t GreyProbeByte(cmsHTRANSFORM RGB8ToLab) {
  const uint8_t Grey[4] = {24, 24, 24, 255};
  float Lab[3] = {};
  if (RGB8ToLab != nullptr) {
    cmsDoTransform(RGB8ToLab, Grey, Lab, 1);
  } else {
    TProfilePtr SRGB(cmsCreate_sRGBProfile());
    TProfilePtr LabD50(cmsCreateLab2Profile(cmsD50_xyY()));
    TTransformPtr T(cmsCreateTransform(SRGB.get(), TYPE_BGRA_8, LabD50.get(), TYPE_Lab_FLT,
                                       INTENT_ABSOLUTE_COLORIMETRIC, 0));
    if (T) cmsDoTransform(T.get(), Grey, Lab, 1);
  }
  const double V = std::nearbyint(double(Lab[0]) * 255.0 / 100.0);
  return static_cast<uint8_t>(std::clamp(std::isfinite(V) ? V : 0.0, 0.0, 255.0));
}

TImageProfile ImageColorSpaceFromProbe(uint8_t Probe, const std::string& Description) {
  switch (Probe) {
    case 9: return ipACEScc;
    case 13: return ipAdobeRGB;
    case 21: return ipSRGB;
    case 24: return ipSomeLStarRGB;
    case 31: return ipProphotoRGB;
    case 41: return ipRec709;
    case 94: return ipLinear;
    default: return ImageColorSpaceFromDescription(Description);
  }
}

bool ExportImageProfile(const FIICCPROFILE& Profile, const std::string& FileName,
                        TSessionView* View) {
  if (Profile.data == nullptr || Profile.size == 0) {
    if (View != nullptr) View->ShowPopupNotification(_("No image profile loaded, can't export."));
    return false;
  }
  if (!SaveBufferToFile(FileName, Profile.data, Profile.size)) {
    std::string Text = _("Failed to export image profile to %s");
    const std::size_t At = Text.find("%s");
    if (At != std::string::npos) Text.replace(At, 2, FileName);
    PlatformShowMessage(Text);
    return false;
  }
  if (View != nullptr) View->ShowPopupNotification(_("Image profile is saved."));
  return true;
}

TViewColourManagement::TViewColourManagement() : FImage(cmsCreate_sRGBProfile()) {
  MakeLABTransforms();
  LoadColorProfile({});
}

TViewColourManagement::~TViewColourManagement() {
  FreeDisplayTransforms();
  FreeLabTransforms();
}

void TViewColourManagement::FreeDisplayTransforms() {
  FProofing8.reset();
  FProofing16.reset();
  FDisplay.reset();
  FDisplay16.reset();
  FSwatch.reset();
}

void TViewColourManagement::FreeLabTransforms() {
  FRGB8ToLab.reset();
  FRGBFloatToLab.reset();
  FLabToRGB8Picker.reset();
  FLabToRGB8.reset();
  FLabToRGB16.reset();
  FLabToRGBFloat.reset();
}

void TViewColourManagement::LoadInputProfile(const FIICCPROFILE& Data, const std::string& Source) {
  try {
    ImageProfileDescription = "sRGB";
    cmsHPROFILE Opened = nullptr;
    if (Data.data != nullptr && Data.size > 0) {
      Opened = OpenProfileFromBytes(Data.data, Data.size);
      if (Opened != nullptr) {
        std::string Text;
        GetProfileDescription(Text, Opened);
        ImageProfileDescription =
            Text + " v." + FloatToStrD2(static_cast<float>(cmsGetProfileVersion(Opened)));
      } else {
        PlatformShowMessage(_("Failed to load ICC color profile from image: ") + Source +
                            _(". Assigning sRGB"));
      }
    }
    FImage.reset(Opened != nullptr ? Opened : cmsCreate_sRGBProfile());
    ManageColorProfile(true, false);
    ImageGamma = ImageGammaFromDescription(ImageProfileDescription);
  } catch (...) {
    ErrorMessageProc("Exception in LoadInputProfile");
  }
}

TImageProfile TViewColourManagement::GetImageColorSpace() const {
  return ImageColorSpaceFromProbe(ProbeByte(), ImageProfileDescription);
}

void TViewColourManagement::SetSystemMonitorProfile(std::vector<uint8_t> Bytes) {
  FSystemMonitorBytes = std::move(Bytes);
}

void TViewColourManagement::ManageColorProfile(bool RebuildLab, bool Force) {
  if (NoColorManagement) return;
  if (RebuildLab) MakeLABTransforms();
  switch (ICCMode) {
    case ICCModeAutomatic:
      MonitorProfileName = "<none>";
      LoadColorProfile({});
      break;
    case ICCModeDiscarded:
      if (MonitorProfileName != "<none>" || RebuildLab || Force) {
        MonitorProfileName = "<none>";
        LoadColorProfile({});
      }
      break;
    case ICCModeLoaded:
      if (!CustomICC.empty()) LoadColorProfile(CustomICC);
      break;
    case ICCModeDisabled:
      MonitorProfileName = "<CMS DISABLED>";
      FMonitor.reset();
      FreeLabTransforms();
      MakeCMSTransforms();
      break;
    default:
      break;
  }
}

void TViewColourManagement::LoadColorProfile(const std::string& FileName) {
  FMonitor.reset();
  FreeDisplayTransforms();
  std::string Name = "<none>";
  if (!FileName.empty()) {
    FMonitor.reset(OpenFile(FileName));
    if (FMonitor)
      Name = FileName;
    else
      PlatformShowMessage(_("Failed to load color profile: ") + FileName);
  } else if (!FSystemMonitorBytes.empty()) {
    FMonitor.reset(OpenProfileFromBytes(FSystemMonitorBytes.data(), FSystemMonitorBytes.size()));
  }
  if (!FMonitor) FMonitor.reset(cmsCreate_sRGBProfile());
  MonitorProfileName = Name;
  MakeCMSTransforms();
}

bool TViewColourManagement::LoadProofingProfile(const std::string& FileName) {
  FProofing.reset(OpenFile(FileName));
  ProofingProfileFileName = FileName;
  const bool Loaded = FProofing != nullptr;
  if (Loaded) {
    RecentProofingProfiles.erase(
        std::remove(RecentProofingProfiles.begin(), RecentProofingProfiles.end(), FileName),
        RecentProofingProfiles.end());
    RecentProofingProfiles.insert(RecentProofingProfiles.begin(), FileName);
  } else {
    PlatformShowMessage(_("Failed to load profile for soft proofing: ") + FileName);
    ProofingProfileFileName = "<none>";
  }
  ProofingItemsEnabled = Loaded;
  SoftProofing = true;
  ManageColorProfile(false, false);
  MakeCMSTransforms();
  return Loaded;
}

std::string TViewColourManagement::LoadProofingCaption() const {
  return _("Load proofing profile: ") + FilePart(ProofingProfileFileName);
}

uint32_t TViewColourManagement::ProofingFlags() const {
  uint32_t Flags = 0;
  if (BlackPointCompensation) Flags |= cmsFLAGS_BLACKPOINTCOMPENSATION;
  if (GamutWarning) Flags |= cmsFLAGS_GAMUTCHECK;
  if (SoftProofing) Flags |= cmsFLAGS_SOFTPROOFING;
  return Flags;
}

namespace {

// Two profiles with the same bytes (the built-in sRGB for image and monitor,
// say).
bool SameProfile(cmsHPROFILE A, cmsHPROFILE B) {
  if (A == nullptr || B == nullptr) return false;
  cmsUInt32Number SizeA = 0, SizeB = 0;
  if (!cmsSaveProfileToMem(A, nullptr, &SizeA) || !cmsSaveProfileToMem(B, nullptr, &SizeB) ||
      SizeA != SizeB || SizeA == 0)
    return false;
  std::vector<uint8_t> BytesA(SizeA), BytesB(SizeB);
  return cmsSaveProfileToMem(A, BytesA.data(), &SizeA) &&
         cmsSaveProfileToMem(B, BytesB.data(), &SizeB) && BytesA == BytesB;
}

}  // namespace

cmsHTRANSFORM TViewColourManagement::ViewTransform() const {
  if (NoColorManagement) return nullptr;
  if (FProofing && (SoftProofing || GamutWarning) && FProofing8) return FProofing8.get();
  return FDisplayIdentity ? nullptr : FDisplay.get();
}

cmsHTRANSFORM TViewColourManagement::ViewTransform16() const {
  if (NoColorManagement) return nullptr;
  if (FProofing && (SoftProofing || GamutWarning) && FProofing16) return FProofing16.get();
  return FDisplayIdentity ? nullptr : FDisplay16.get();
}

void TViewColourManagement::MakeCMSTransforms() {
  FreeDisplayTransforms();
  ++TransformBuilds;
  FDisplayIdentity = false;
  if (!FMonitor) return;  // colour management disabled: pixels are copied
  TProfilePtr DiscardSource;
  cmsHPROFILE Source = FImage.get();
  if (DiscardImageProfiles || Source == nullptr) {
    DiscardSource.reset(cmsCreate_sRGBProfile());
    Source = DiscardSource.get();
  }
  const cmsUInt32Number UsedIntent = static_cast<cmsUInt32Number>(std::max(0, Intent));
  cmsHPROFILE Monitor = FMonitor.get();
  FDisplayIdentity = SameProfile(Source, Monitor);
  FDisplay.reset(cmsCreateTransform(Source, TYPE_BGRA_8, Monitor, TYPE_ARGB_8, UsedIntent, 0));
  FDisplay16.reset(cmsCreateTransform(Source, TYPE_RGBA_16, Monitor, TYPE_ARGB_8, UsedIntent, 0));
  FSwatch.reset(cmsCreateTransform(Source, TYPE_ARGB_8, Monitor, TYPE_ARGB_8, UsedIntent, 0));
  // Without a proofing profile the proofing transforms are plain ones.
  const uint32_t Flags = FProofing ? ProofingFlags() : 0;
  FProofing8.reset(cmsCreateProofingTransform(Source, TYPE_BGRA_8, Monitor, TYPE_ARGB_8,
                                              FProofing.get(), UsedIntent, UsedIntent, Flags));
  FProofing16.reset(cmsCreateProofingTransform(Source, TYPE_RGBA_16, Monitor, TYPE_ARGB_8,
                                               FProofing.get(), UsedIntent, UsedIntent, Flags));
  cmsUInt16Number Alarm[cmsMAXCHANNELS] = {};
  Alarm[0] = Alarm[1] = Alarm[2] = GamutAlarmValue;
  cmsSetAlarmCodes(Alarm);
}

void TViewColourManagement::MakeLABTransforms() {
  try {
    FreeLabTransforms();
    TProfilePtr LabD50(cmsCreateLab2Profile(cmsD50_xyY()));
    TProfilePtr LabChart(cmsCreateLab4Profile(&ChartWhitePoint));
    cmsHPROFILE Image = FImage.get();
    const cmsUInt32Number I = INTENT_ABSOLUTE_COLORIMETRIC;
    FRGB8ToLab.reset(cmsCreateTransform(Image, TYPE_BGRA_8, LabD50.get(), TYPE_Lab_FLT, I, 0));
    FRGBFloatToLab.reset(
        cmsCreateTransform(Image, TYPE_RGBA_FLT, LabD50.get(), TYPE_Lab_FLT, I, 0));
    FLabToRGB8Picker.reset(
        cmsCreateTransform(LabChart.get(), TYPE_Lab_FLT, Image, TYPE_BGRA_8, I, 0));
    FLabToRGB8.reset(cmsCreateTransform(LabChart.get(), TYPE_Lab_FLT, Image, TYPE_BGRA_8, I, 0));
    FLabToRGB16.reset(
        cmsCreateTransform(LabChart.get(), TYPE_Lab_FLT, Image, TYPE_RGBA_16, I, 0));
    FLabToRGBFloat.reset(
        cmsCreateTransform(LabChart.get(), TYPE_Lab_FLT, Image, TYPE_RGBA_FLT, I, 0));
  } catch (...) {
    ErrorMessageProc("Exception in MakeLABTransforms");
  }
}

}  // namespace kromel
