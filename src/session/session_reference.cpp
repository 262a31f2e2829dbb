#include "session/session_reference.h"

#include <filesystem>
#include <utility>

#include "colour/colour_managed.h"
#include "fileio/image_files.h"
#include "foundation/ascii_case.h"
#include "foundation/error_sink.h"
#include "foundation/file_search.h"
#include "images/owned_image.h"
#include "lut/lut_apply.h"
#include "platform/message_sink.h"
#include "platform/translate.h"
#include "session/session_core.h"

namespace kromel {

namespace {

TProfileBytes BytesOf(const FIICCPROFILE& P) { return {P.data, P.data != nullptr ? P.size : 0}; }

bool HoldsBytes(const FIICCPROFILE& P) { return P.data != nullptr && P.size > 0; }

}  // namespace

std::string ProcessedSnapshotName(const std::string& ImageFileName) {
  const std::size_t Dot = ImageFileName.rfind('.');
  const std::size_t Slash = ImageFileName.find_last_of("/\\");
  const bool HasExt = Dot != std::string::npos && (Slash == std::string::npos || Dot > Slash) &&
                      (ImageFileName.size() - Dot == 4 || ImageFileName.size() - Dot == 5);
  if (!HasExt) return ImageFileName + "(Processed)";
  return ImageFileName.substr(0, Dot) + "(Processed)" + ImageFileName.substr(Dot);
}

TSessionReference::TSessionReference(TKromelSession& Session) : FSession(Session) {
  ProfileData = EmptyICCProfile();
}

TSessionReference::~TSessionReference() { FreeICCProfileData(ProfileData); }

void TSessionReference::TakeImageProfile() {
  FreeICCProfileData(ProfileData);
  ProfileData = EmptyICCProfile();
  if (HoldsBytes(FSession.ImageProfileData)) CopyICCProfileData(FSession.ImageProfileData, ProfileData);
  ProfileSourceFile = FSession.ImageProfileSourceFile;
}

bool TSessionReference::Load(const std::string& Name) {
  std::error_code Ignored;
  if (Name.empty() || !std::filesystem::is_regular_file(Name, Ignored)) return false;
  try {
    const bool HadNoProfile = !HoldsBytes(FSession.ImageProfileData);
    // Decoded into temporaries: a failure leaves the name, the profiles
    // and the pixels as they were.
    FIICCPROFILE Target = EmptyICCProfile();
    if (!HadNoProfile) CopyICCProfileData(FSession.ImageProfileData, Target);
    TOwnedImage<TImage64> Loaded;
    if (!LoadImage64FromFileConvertToProfile(Loaded.Image, Name, Target, 1.0f) ||
        Loaded.Image.IsEmpty()) {
      FreeICCProfileData(Target);
      PlatformShowMessage(_("Failed to load image: ") + Name);
      return false;
    }
    for (int32_t I = 0; I < Loaded.Image.Size; ++I) Loaded.Image.Pixels[I].A = 65535;
    std::swap(FSession.ReferenceImage, Loaded.Image);
    FileName = Name;
    if (HadNoProfile && HoldsBytes(Target)) {
      FreeICCProfileData(FSession.ImageProfileData);
      FSession.ImageProfileData = Target;
      Target = EmptyICCProfile();
      FSession.LoadInputProfile();
    }
    FreeICCProfileData(Target);
    TakeImageProfile();
    FSession.Notify([](TSessionView& V) {
      V.UpdateAnalyzerWindow();
      V.UpdatePicker();
    });
    return true;
  } catch (...) {
    ErrorMessageProc("Exception in LoadReferencePicture");
    return false;
  }
}

bool TSessionReference::Paste(const TImage32& Clipboard) {
  if (Clipboard.Pixels == nullptr || Clipboard.Size <= 0) {
    PlatformShowMessage(_("No image in clipboard"));
    return false;
  }
  TOwnedImage<TImage64> Pasted;
  if (!Pasted.Image.Alloc(Clipboard.Width, Clipboard.Height)) return false;
  for (int32_t I = 0; I < Clipboard.Size; ++I) {
    const TBGRAPixel32& P = Clipboard.Pixels[I].BGRA;
    Pasted.Image.Pixels[I].Init(uint16_t(P.R << 8), uint16_t(P.G << 8), uint16_t(P.B << 8), 65535);
  }
  if (HoldsBytes(FSession.ImageProfileData)) {
    TOwnedImage<TImage64> Converted;
    Converted.Image.Copy(Pasted.Image);
    if (!Image64ConvertToProfileFromMem(Pasted.Image, Converted.Image, TProfileBytes{},
                                        BytesOf(FSession.ImageProfileData)))
      return false;
    std::swap(Pasted.Image, Converted.Image);
    for (int32_t I = 0; I < Pasted.Image.Size; ++I) Pasted.Image.Pixels[I].A = 65535;
  }
  std::swap(FSession.ReferenceImage, Pasted.Image);
  FSession.ImageFileName = " *** Image from clipboard ***";
  FSession.OriginalImageFileName.clear();
  ShowReference = true;
  FSession.UpdateImage(true, false);
  return true;
}

bool TSessionReference::SnapshotProcessed() {
  if (FSession.Image.IsEmpty()) return false;
  T3DLut Lut;
  if (!FSession.CopyMainLut(Lut)) return false;
  TOwnedImage<TImage64> Snapshot;
  Snapshot.Image.Copy(FSession.Image);
  if (Snapshot.Image.IsEmpty()) return false;
  ProcessImage64(Lut, Snapshot.Image, Snapshot.Image, UseAlpha);
  std::swap(FSession.ReferenceImage, Snapshot.Image);
  TakeImageProfile();
  FileName = ProcessedSnapshotName(FSession.ImageFileName);
  return true;
}

bool TSessionReference::Swap() {
  {
    TKromelSession::TRendererBlockGuard Block(FSession);
    std::swap(FSession.ImageFileName, FileName);
    FSession.OriginalImageFileName.clear();
    std::swap(FSession.Image, FSession.ReferenceImage);
  }
  TakeImageProfile();
  FSession.Dirty.SetAll(false);
  FSession.Notify([](TSessionView& V) { V.UpdateCaption(); });
  FSession.SourceImageChanged();
  return true;
}

bool TSessionReference::ConvertImageProfile() {
  bool Converted = true;
  if (!FSession.ReferenceImage.IsEmpty()) {
    TOwnedImage<TImage64> To;
    To.Image.Copy(FSession.ReferenceImage);
    Converted = !To.Image.IsEmpty() &&
                Image64ConvertToProfileFromMem(FSession.ReferenceImage, To.Image,
                                               BytesOf(ProfileData),
                                               BytesOf(FSession.ImageProfileData));
    if (Converted) {
      std::swap(FSession.ReferenceImage, To.Image);
      TakeImageProfile();
    }
  }
  FSession.InvalidateLutStages(0);
  return Converted;
}

bool TSessionReference::LoadAdjacent(bool Previous) {
  std::error_code Ignored;
  if (FileName.empty() || !std::filesystem::is_regular_file(FileName, Ignored)) return false;
  const char* Masks = "*.jpg;*.jpeg;*.png;*.tif;*.tiff";
  const std::string Name =
      Previous ? GetPrevFileInFolder(FileName, Masks) : GetNextFileInFolder(FileName, Masks);
  if (!Name.empty() && UpperAscii(Name) != UpperAscii(FileName)) return Load(Name);
  const std::string Notice = Previous ? _("No previous image found in the folder")
                                      : _("No next image found in the folder");
  FSession.Notify([Notice](TSessionView& V) { V.ShowPopupNotification(Notice); });
  return false;
}

}  // namespace kromel
