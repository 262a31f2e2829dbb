#include "session/session_images.h"

#include <array>
#include <map>
#include <utility>

#include "colour/image64_transfer.h"
#include "colour/log_curves.h"
#include "fileio/file_extension.h"
#include "fileio/freeimage_io.h"
#include "fileio/image_files.h"
#include "fileio/image_save.h"
#include "fileio/raw_files.h"
#include "foundation/ascii_case.h"
#include "foundation/file_name_list.h"
#include "foundation/paths.h"
#include "platform/folders.h"
#include "platform/message_sink.h"
#include "platform/translate.h"
#include "session/session_core.h"
#include "session/session_profiles.h"
#include "session/session_raw.h"

namespace kromel {

TFileAction FileActionFor(const std::string& FileName) {
  const std::string Name = UpperAscii(ExtractFileNameW(FileName));
  if (Name == "DEBUG" || Name == "DEBUG.TXT") return TFileAction::Ignore;
  static const std::map<std::string, TFileAction> Table = {
      {".XMP", TFileAction::Ignore},
      {".3DL", TFileAction::LutWithPreset},
      {".CUBE", TFileAction::LutWithPreset},
      {".CMS", TFileAction::LutWithPreset},
      {".ICC", TFileAction::ExternalLut},
      {".ICM", TFileAction::ExternalLut},
      {".DCP", TFileAction::ExternalLut},
      {".XML", TFileAction::ExternalLut},
      {".CIE", TFileAction::ColorChart},
      {".TXT", TFileAction::ColorChart},
      {".LUB", TFileAction::BatchPreset},
      {".CHA", TFileAction::ChannelMixerPreset},
      {".ACO", TFileAction::Swatches},
      {".LUX", TFileAction::PresetXML},
      {".LUC", TFileAction::PresetBinary},
      {".LRTEMPLATE", TFileAction::LightroomCurves},
      {".RTC", TFileAction::RawTherapeeCurve},
      {".JSON", TFileAction::JsonCurves},
      {".ACV", TFileAction::PhotoshopCurves},
      {".COPRESET", TFileAction::CaptureOneCurves},
      {".CSP", TFileAction::UnsupportedLut},
  };
  const auto It = Table.find(UpperFileExtension(Name));
  return It == Table.end() ? TFileAction::Picture : It->second;
}

std::string LogCSidecarName(const std::string& FileName) {
  std::string S = FileName;
  StripFileExt(S);
  return CollapseDoubleSlashesW(S + "_LogC.tif");
}

namespace {

// A decoded picture not yet shown: owns its pixels and profile until taken.
struct TDecodedPicture {
  TDecodedPicture() {
    Image.Init();
    Profile = EmptyICCProfile();
  }
  ~TDecodedPicture() {
    Image.Dispose();
    FreeICCProfileData(Profile);
  }
  TImage64 Image;
  FIICCPROFILE Profile;
  TFreeBitmapPtr Metadata{FreeImage_Allocate(10, 10, 24)};
};

// The file's picture is narrower or lower than 2 pixels (read from its
// header only).
bool PictureBelowTwoPixels(const std::string& FileName) {
  FREE_IMAGE_FORMAT Fif = FreeImage_GetFileType(FileName.c_str(), 0);
  if (Fif == FIF_UNKNOWN) Fif = FreeImage_GetFIFFromFilename(FileName.c_str());
  if (Fif == FIF_UNKNOWN || !FreeImage_FIFSupportsNoPixels(Fif)) return false;
  const TFreeBitmapPtr Header(FreeImage_Load(Fif, FileName.c_str(), FIF_LOAD_NOPIXELS));
  return Header && (FreeImage_GetWidth(Header.get()) < 2 || FreeImage_GetHeight(Header.get()) < 2);
}

// The picture as it is (no dither), with its embedded profile.
bool DecodePicture(const std::string& FileName, float FloatScale, TDecodedPicture& Picture) {
  TFreeImageSource Source;
  if (!Source.OpenFile(FileName)) return false;
  const TFreeBitmapPtr Bitmap = Source.Load(FileName);
  if (!Bitmap || !ConvertFreeBitmapToImage64(Bitmap.get(), Picture.Image, false, FloatScale))
    return false;
  if (Picture.Metadata) FreeImage_CloneMetadata(Picture.Metadata.get(), Bitmap.get());
  const FIICCPROFILE* Embedded = FreeImage_GetICCProfile(Bitmap.get());
  if (Embedded != nullptr && Embedded->data != nullptr && Embedded->size > 0)
    CopyICCProfileData(*Embedded, Picture.Profile);
  return true;
}

// The profile a LogC copy is given: by the decoder's output colour and the
// " RAW Color space " item for a RAW file, by the item alone for EXR.
TWorkingProfile LogCProfileFor(bool IsRaw, int32_t OutputColor, int32_t Item) {
  if ((IsRaw && OutputColor == 1) || Item == 3) return TWorkingProfile::sRGB;
  if ((IsRaw && OutputColor == 2) || Item == 4) return TWorkingProfile::AdobeRGB;
  return TWorkingProfile::ProPhotoRGB;
}

}  // namespace

bool TKromelSession::LoadPicture(const std::string& FileName, bool Silent, bool WarnExisting,
                                 bool FitToWindow) {
  (void)FitToWindow;  // the view zooms to fit on SourceImageChanged
  std::string Name = FileName;
  if (UpperAscii(RemoveFileExt(ExtractFileNameW(Name))) == "*LAST*" &&
      RecentImages.Names.GetCount() > 0)
    Name = RecentImages.Names.Get(0);
  TJobScope Job(Progress, _("Loading ") + Name);
  bool Result = false;
  if (!FileExists(Name)) {
    if (UpperAscii(Name) == UpperAscii(TempFolder() + "/KromelImage.tif"))
      PlatformShowMessage(_("Failed to import image from Photoshop. Please check that correct "
                            "Photoshop version is configured in preferences and Photoshop has a "
                            "document open."));
    else
      PlatformShowMessage(_("File ") + Name + _(" not found"));
  } else {
    // Decoded into a picture of its own; the current image, its profile and
    // its name change only once the new one is complete.
    try {
      TDecodedPicture Picture;
      std::string NewName = Name, Original;
      const bool IsRaw = IsRawFileExtension(Name);
      const bool IsExr = UpperFileExtension(Name) == ".EXR";
      bool Decoded = false;
      TRawDecodeResult Raw;
      if (!IsRaw) {
        const float Scale = Prefs.OpenEXRinSRGB ? 1.0f : 0.0625f;
        if (PictureBelowTwoPixels(Name)) {
          std::string Text = _("No image loaded from %s. Please check that your image is in RGB "
                               "color space. CMYK and LAB modes are not supported");
          Text.replace(Text.find("%s"), 2, Name);
          PlatformShowMessage(Text);
        } else {
          Decoded = DecodePicture(Name, Scale, Picture);
          if (!Decoded && !Silent) PlatformShowMessage(_("Can't load file ") + Name);
        }
      } else {
        Raw.OutputColor = RawOutputColor(Prefs.LibRawColor);
        Decoded = LoadImage64FromRawFile(Picture.Image, Name, Raw.OutputColor, Prefs.LibrawUniWB,
                                         Raw.HighlightClip, Prefs.LibrawHighlights,
                                         Prefs.LibrawDemosaic, Prefs.LibrawDenoise, Raw.R, Raw.G,
                                         Raw.B, Raw.CameraMatrix, Picture.Metadata.get());
        if (!Decoded) PlatformShowMessage(_("No image loaded from ") + Name);
      }
      int32_t LogMaximum = 0;
      if (Decoded) {
        if (IsExr && Prefs.OpenEXRinSRGB) {
          Image64ConvertLinearToSRGB(Picture.Image);
        } else if (IsRaw || IsExr) {
          Image64ConvertLinearToLogC(Picture.Image, 8.0f);
          if (Raw.HighlightClip[0] != 0)
            LogMaximum = RawLogMaximumColor(Raw.HighlightClip, Picture.Image);
          // The profile is assigned before the copy is written, so the copy
          // carries it.
          FreeICCProfileData(Picture.Profile);
          Picture.Profile = WorkingProfileData(LogCProfileFor(IsRaw, Raw.OutputColor, Prefs.LibRawColor));
          const std::string Converted = LogCSidecarName(Name);
          if (FileExists(Converted)) {
            if (WarnExisting) {
              std::string Text = _("Warning: %s already exists. Your RAW image will be loaded, "
                                   "but tiff will not be saved. If you want to resave this RAW "
                                   "with different conversion options (color profile, "
                                   "highlights, demosaic), please delete existing TIFF file "
                                   "first.");
              Text.replace(Text.find("%s"), 2, Converted);
              PlatformShowMessage(Text);
            }
          } else {
            SaveImage64ToFile(Picture.Image, Converted, Picture.Profile);
          }
          Original = Name;
          NewName = Converted;
        }
        {
          TRendererBlockGuard Block(*this);
          std::swap(Image, Picture.Image);
          std::swap(ImageProfileData, Picture.Profile);
        }
        ImageBitmap = std::move(Picture.Metadata);
        ImageFileName = NewName;
        OriginalImageFileName = Original;
        ImageProfileSourceFile = Name;
        LoadInputProfile();
        if (!Original.empty()) {
          ApplyRawSettings(*this, IsRaw ? &Raw : nullptr, LogMaximum);
          Notify([](TSessionView& V) { V.RawSettingsApplied(); });
        }
        if (!IsRaw) AskToTurnOffLogDecoding();
        Result = true;
      }
    } catch (...) {
      if (!Silent) PlatformShowMessage(_("Can't load image: ") + Name);
      Result = false;
    }
  }
  PresetUnmodified = true;
  Notify([](TSessionView& V) { V.UpdateCaption(); });
  if (Result) {
    RecentImages.Add(Name);
    SourceImageChanged();
  }
  Dirty.SetAll();
  RendererCreate();
  UpdateImage(true, false);
  return Job.Succeed(Result);
}

void TKromelSession::AskToTurnOffLogDecoding() {
  if (!Prefs.WarnAboutLogLoading) return;
  const bool LogOn = EditPreset([](TKromelPreset& P) { return P.LogDecoder->InputLog->Value != 0; });
  if (!LogOn) return;
  int32_t Answer = mrNo;
  const bool DontShow = MessageDlgDontShowAgain(
      _("You have LOG decoding enabled and you're loading a non-RAW image. If your image is not "
        "LOG-encoded, LOG decoding will overcontrast it. Do you want to turn off LOG decoding?"),
      TMsgDlgType::Confirmation, Answer);
  Prefs.WarnAboutLogLoading = !DontShow;
  if (Answer == mrYes)
    EditPreset([](TKromelPreset& P) {
      P.LogDecoder->InputLog->SetValue(static_cast<int32_t>(LogIndexOff));
      return true;
    });
}

void TKromelSession::SourceImageChanged() {
  {
    TRendererBlockGuard Block(*this);
    InvalidateLutStages(0);
    GetProcessingBitmap();
  }
  UpdateImage(true, false);
  Notify([](TSessionView& V) { V.SourceImageChanged(); });
  LastImageWidth = Image.Width;
  LastImageHeight = Image.Height;
}

}  // namespace kromel
