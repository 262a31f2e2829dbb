// Colour management of the preview: the image, monitor and proofing
// profiles, the display and proofing transforms built from them, the Lab
// transforms of the readouts, and the image colour space guessed from a
// grey probe. Main thread only; the window copies pixels through the
// transforms and hands in the monitor profile's bytes (the X root
// window's _ICC_PROFILE atom) when it has them.
#pragma once
#include <FreeImage.h>
#include <lcms2.h>

#include <cstdint>
#include <string>
#include <vector>

#include "colour/cms_handles.h"
#include "colour/log_gamma.h"

namespace kromel {

class TSessionView;

enum : int32_t {
  ICCModeAutomatic = 0,
  ICCModeLoaded = 1,
  ICCModeDiscarded = 2,
  ICCModeDisabled = 3
};

// The alarm colour of the gamut check, on all three channels.
constexpr uint16_t GamutAlarmValue = 32640;

// L* of the 8-bit grey (24, 24, 24) through Transform (BGRA 8 to Lab
// float; the built-in sRGB conversion when null), as Round(L* x 255 / 100).
uint8_t GreyProbeByte(cmsHTRANSFORM RGB8ToLab);
// The colour space that probe byte names, else the one the description
// names.
TImageProfile ImageColorSpaceFromProbe(uint8_t Probe, const std::string& Description);

// "Export image profile...": the bytes as they are. Without bytes the
// notice "No image profile loaded, can't export."; on success "Image
// profile is saved."; a failed write "Failed to export image profile to
// %s" with the name.
bool ExportImageProfile(const FIICCPROFILE& Profile, const std::string& FileName,
                        TSessionView* View);

class TViewColourManagement {
 public:
  TViewColourManagement();
  ~TViewColourManagement();
  TViewColourManagement(const TViewColourManagement&) = delete;
  TViewColourManagement& operator=(const TViewColourManagement&) = delete;

  // ---- settings and menu ticks (the window sets them)
  int32_t ICCMode = ICCModeAutomatic;
  std::string CustomICC;
  bool NoColorManagement = false;      // /NOCMS
  bool DiscardImageProfiles = false;   // "Discard image profiles for displaying"
  bool BlackPointCompensation = true;  // "Black Point Compensation"
  bool GamutWarning = false;           // "Gamut warning"
  bool SoftProofing = false;           // "Soft proofing"
  bool ProofingItemsEnabled = false;   // the three proofing items
  int32_t Intent = 0;                  // Preferences' CMS intent item
  std::string MonitorProfileName = "<none>";
  std::string ProofingProfileFileName;
  std::vector<std::string> RecentProofingProfiles;

  // ---- image profile
  std::string ImageProfileDescription = "sRGB";
  float ImageGamma = 2.4f;
  // Opens the image profile from its bytes (built-in sRGB when none or
  // unreadable, with the message then), guesses the gamma and rebuilds
  // every transform. Source names the file in the message.
  void LoadInputProfile(const FIICCPROFILE& ImageProfileData, const std::string& Source);
  TImageProfile GetImageColorSpace() const;
  uint8_t ProbeByte() const { return GreyProbeByte(FRGB8ToLab.get()); }

  // ---- monitor profile
  // The bytes of the display's profile (the X _ICC_PROFILE atom); empty
  // bytes mean none (the built-in sRGB is used).
  void SetSystemMonitorProfile(std::vector<uint8_t> Bytes);
  // The last word of every change of the monitor mode or the profiles.
  void ManageColorProfile(bool RebuildLab, bool Force);
  // FileName empty: the display's profile (or sRGB). A file that cannot be
  // opened: the message and sRGB.
  void LoadColorProfile(const std::string& FileName);

  // ---- proofing
  // False, with the message, when the file cannot be opened; soft proofing
  // is ticked in either case.
  bool LoadProofingProfile(const std::string& FileName);
  bool HasProofingProfile() const { return FProofing != nullptr; }
  std::string LoadProofingCaption() const;
  // cmsFLAGS_BLACKPOINTCOMPENSATION, _GAMUTCHECK, _SOFTPROOFING by the ticks.
  uint32_t ProofingFlags() const;

  // ---- transforms (null while colour management is disabled)
  void MakeCMSTransforms();
  void MakeLABTransforms();
  cmsHTRANSFORM DisplayTransform() const { return FDisplay.get(); }
  cmsHTRANSFORM DisplayTransform16() const { return FDisplay16.get(); }
  cmsHTRANSFORM SwatchDisplayTransform() const { return FSwatch.get(); }
  cmsHTRANSFORM ProofingTransform() const { return FProofing8.get(); }
  cmsHTRANSFORM ProofingTransform16() const { return FProofing16.get(); }
  cmsHTRANSFORM RGB8ToLabTransform() const { return FRGB8ToLab.get(); }
  cmsHTRANSFORM RGBFloatToLabTransform() const { return FRGBFloatToLab.get(); }
  cmsHTRANSFORM LabToRGB8PickerTransform() const { return FLabToRGB8Picker.get(); }
  cmsHTRANSFORM LabToRGB8Transform() const { return FLabToRGB8.get(); }
  cmsHTRANSFORM LabToRGB16Transform() const { return FLabToRGB16.get(); }
  cmsHTRANSFORM LabToRGBFloatTransform() const { return FLabToRGBFloat.get(); }
  // What the view's pixels go through (8-bit BGRA or 16-bit RGBA in, ARGB
  // out): the proofing transform when proofing is on, else the display one;
  // null when they are to be copied (colour management off, or image and
  // monitor sharing one profile).
  cmsHTRANSFORM ViewTransform() const;
  cmsHTRANSFORM ViewTransform16() const;
  cmsHPROFILE ImageProfile() const { return FImage.get(); }
  cmsHPROFILE MonitorProfile() const { return FMonitor.get(); }
  // White point of the chart's Lab profile (D50 by default).
  cmsCIExyY ChartWhitePoint{0.3457, 0.3585, 1.0};
  // How many times the display transforms were rebuilt.
  int32_t TransformBuilds = 0;

 private:
  TProfilePtr FImage, FMonitor, FProofing;
  bool FDisplayIdentity = false;
  std::vector<uint8_t> FSystemMonitorBytes;
  TTransformPtr FDisplay, FDisplay16, FSwatch, FProofing8, FProofing16;
  TTransformPtr FRGB8ToLab, FRGBFloatToLab, FLabToRGB8Picker, FLabToRGB8, FLabToRGB16,
      FLabToRGBFloat;
  void FreeDisplayTransforms();
  void FreeLabTransforms();
};

}  // namespace kromel
