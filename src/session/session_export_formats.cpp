// LUT exports beyond the text formats: Hald and GPU pictures, ICC profiles,
// DNG camera profiles and the curve files of other programs.
#include <lcms2.h>

#include <memory>

#include "colour/cms_handles.h"
#include "colour/icc_profiles.h"
#include "fileio/curves_acv.h"
#include "fileio/curves_capture_one.h"
#include "fileio/curves_lightroom.h"
#include "fileio/curves_rawtherapee.h"
#include "fileio/curves_xmp.h"
#include "fileio/dcp_export.h"
#include "fileio/lut_image_files.h"
#include "foundation/paths.h"
#include "lut/lut_icc_export.h"
#include "platform/message_sink.h"
#include "platform/translate.h"
#include "session/session_core.h"
#include "session/session_profiles.h"

namespace kromel {

namespace {

// The image's own profile, or sRGB when it has none or it cannot be read.
TProfilePtr ImageProfileHandle(const FIICCPROFILE& Data) {
  TProfilePtr P;
  if (Data.data != nullptr && Data.size > 0)
    P.reset(cmsOpenProfileFromMem(Data.data, static_cast<cmsUInt32Number>(Data.size)));
  if (!P) P.reset(cmsCreate_sRGBProfile());
  return P;
}

std::string WithoutExtension(const std::string& FileName) {
  const std::string Name = ExtractFileNameW(FileName);
  const size_t Dot = Name.find_last_of('.');
  return Dot == std::string::npos ? Name : Name.substr(0, Dot);
}

}  // namespace

bool TKromelSession::SaveLutInOtherFormat(const std::string& FileName, const std::string& Ext,
                                          bool& Saved) {
  if (Ext == ".COPRESET" || Ext == ".XMP" || Ext == ".LRTEMPLATE" || Ext == ".RTC") {
    const TImageProfile Space = ImageColorSpaceFromDescription(ImageProfileDescription);
    const TRGBCurvesAdjustments& C = *Preset->RGBCurves;
    if (Ext == ".COPRESET") {
      Saved = SaveCaptureOneCurves(FileName, &C.Master->Curve, &C.Red->Curve, &C.Green->Curve,
                                   &C.Blue->Curve, &Preset->ModelCurves->Luminance->Curve);
    } else if (Ext == ".RTC") {
      Saved = SaveRTCCurve(FileName, C.Master->Curve);
    } else {
      // Lightroom and Camera Raw curves are in MelissaRGB, as the loaders
      // expect.
      TEnvelopeDots Curves[4];
      const TControlledParameterCurve* From[4] = {C.Master, C.Red, C.Green, C.Blue};
      for (int32_t I = 0; I < 4; I++) {
        Curves[I].CopyFrom(&From[I]->Curve);
        ProcessCurveGammaChangeGammaProfile(Curves[I], Space, ipMelissaRGB);
      }
      Saved = Ext == ".XMP"
                  ? SaveXMPCurves(FileName, &Curves[0], &Curves[1], &Curves[2], &Curves[3], "")
                  : SaveLRTemplateCurves(FileName, &Curves[0], &Curves[1], &Curves[2],
                                         &Curves[3], "");
    }
    return true;
  }
  const bool Picture = Ext == ".PNG" || Ext == ".TIF" || Ext == ".TIFF";
  const bool Icc = Ext == ".ICC" || Ext == ".ICM";
  if (!Picture && !Icc && Ext != ".DCP") return false;
  if (Ext == ".DCP" && Settings.Main.DCPBaseProfile.empty()) {
    PlatformShowMessage(_("A DNG camera profile is built on a base camera profile; none is set "
                          "(\"Base on profile:\" of the DCP export): ") +
                        FileName);
    return true;
  }
  const std::unique_ptr<T3DLUTWithStatistics> Lut = CompileLut(GetExportLutSize(), true);
  if (!Lut) return true;
  if (Picture) {
    Saved = SaveLutToImageFile(*Lut, FileName, LutImageLayoutOfFile(FileName));
  } else if (Icc) {
    const TProfilePtr Working = ImageProfileHandle(ImageProfileData);
    const bool OnBase = !Settings.Main.ICCBaseProfile.empty();
    Saved = SaveICC(*Lut, FileName, Lut->Size, Working.get(),
                    ImageColorSpaceFromDescription(ImageProfileDescription),
                    OnBase ? cmsSigInputClass : cmsSigAbstractClass, false, true,
                    Settings.Main.ICCBaseProfile, static_cast<cmsUInt32Number>(Prefs.CMSIntent));
  } else {
    const TProfilePtr Working = ImageProfileHandle(ImageProfileData);
    Saved = Save3DLutDCP(*Lut, Settings.Main.DCPBaseProfile, FileName, Settings.Main.DCPLightroomCurvesFolder,
                         WithoutExtension(FileName), false, false, false, false, Working.get());
  }
  return true;
}

}  // namespace kromel
