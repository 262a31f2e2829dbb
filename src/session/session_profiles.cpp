#include "session/session_profiles.h"

#include <lcms2.h>

#include <filesystem>
#include <vector>

#include "colour/colour_managed.h"
#include "colour/icc_profiles.h"
#include "fileio/image_files.h"
#include "foundation/ascii_case.h"
#include "foundation/files.h"
#include "foundation/number_format.h"
#include "platform/message_sink.h"
#include "platform/translate.h"
#include "session/session_core.h"

namespace kromel {

namespace {

cmsHPROFILE CreateWorkingProfile(TWorkingProfile Which) {
  switch (Which) {
    case TWorkingProfile::sRGB: return cmsCreate_sRGBProfile();
    case TWorkingProfile::sRGBLinear: return CreateSRGBLinearProfile();
    case TWorkingProfile::AdobeRGB: return CreateAdobeRGBProfile();
    case TWorkingProfile::ProPhotoRGB: return CreateProPhotoRGBProfile();
    case TWorkingProfile::ProPhotoRGBLinear: return CreateProPhotoRGBLinearProfile();
    case TWorkingProfile::MelissaRGB: return CreateMelissaRGBProfile();
    case TWorkingProfile::Rec709: return CreateRec709Profile();
    case TWorkingProfile::Rec601: return CreateRec601Profile();
    case TWorkingProfile::ACESLinear: return CreateACESLinearProfile();
    case TWorkingProfile::ACEScc: return CreateACESccAP1Profile();
    case TWorkingProfile::ACEScct: return CreateACEScctAP1Profile();
    case TWorkingProfile::DCIP3: return CreateDCIP3Profile();
  }
  return nullptr;
}

bool ContainsAny(const std::string& Text, std::initializer_list<const char*> Words) {
  for (const char* W : Words)
    if (Text.find(W) != std::string::npos) return true;
  return false;
}

TProfileBytes BytesOf(const FIICCPROFILE& P) { return {P.data, P.data != nullptr ? P.size : 0}; }

}  // namespace

FIICCPROFILE WorkingProfileData(TWorkingProfile Which) {
  FIICCPROFILE Result = EmptyICCProfile();
  cmsHPROFILE Profile = CreateWorkingProfile(Which);
  if (Profile == nullptr) return Result;
  cmsUInt32Number Size = 0;
  if (cmsSaveProfileToMem(Profile, nullptr, &Size) && Size > 0) {
    std::vector<uint8_t> Bytes(Size);
    if (cmsSaveProfileToMem(Profile, Bytes.data(), &Size))
      CopyICCProfileData(0, Size, Bytes.data(), Result);
  }
  cmsCloseProfile(Profile);
  return Result;
}

TImageProfile ImageColorSpaceFromDescription(const std::string& Description) {
  const std::string U = UpperAscii(Description);
  TImageProfile Space = ipSRGB;
  if (ContainsAny(U, {"REC.709", "REC. 709", "REC 709", "REC709"})) Space = ipRec709;
  if (ContainsAny(U, {"REC.2020", "REC 2020", "REC2020"})) Space = ipRec2020;
  if (ContainsAny(U, {"PROPHOTO", "PRO PHOTO"}))
    Space = ipProphotoRGB;
  else if (ContainsAny(U, {"ADOBE RGB", "ADOBERGB"}))
    Space = ipAdobeRGB;
  if (ContainsAny(U, {"PROSTARRGB", "PRO STARRGB"})) Space = ipProStarRGB;
  if (ContainsAny(U, {"ECIRGB", "ECI RGB"})) Space = ipEciRGB;
  if (ContainsAny(U, {"LSTAR", "L-STAR"})) Space = ipSomeLStarRGB;
  if (U.find("LINEAR") != std::string::npos) Space = ipLinear;
  return Space;
}

float ImageGammaFromDescription(const std::string& Description) {
  const std::string U = UpperAscii(Description);
  float Gamma = 2.4f;
  if (ContainsAny(U, {"REC.709", "REC. 709", "REC 709", "REC709"}))
    Gamma = 2.2f;
  else if (ContainsAny(U, {"PROPHOTO", "PRO PHOTO"}))
    Gamma = 1.8f;
  if (U.find("LINEAR") != std::string::npos) Gamma = 1.0f;
  return Gamma;
}

void TKromelSession::LoadInputProfile() {
  try {
    ImageProfileDescription = "sRGB";
    if (ImageProfileData.data != nullptr && ImageProfileData.size > 0) {
      cmsHPROFILE Profile = OpenProfileFromBytes(ImageProfileData.data, ImageProfileData.size);
      if (Profile != nullptr) {
        std::string Text;
        GetProfileDescription(Text, Profile);
        ImageProfileDescription =
            Text + " v." + FloatToStrD2(static_cast<float>(cmsGetProfileVersion(Profile)));
        cmsCloseProfile(Profile);
      } else {
        PlatformShowMessage(_("Failed to load ICC color profile from image: ") +
                            ImageProfileSourceFile + _(". Assigning sRGB"));
      }
    }
    ImageGamma = ImageGammaFromDescription(ImageProfileDescription);
  } catch (...) {
    ErrorMessageProc("Exception in LoadInputProfile");
  }
}

bool TKromelSession::SetImageProfile(FIICCPROFILE& Profile, bool AssignOnly) {
  if (!AssignOnly) {
    // Both images are converted into copies first, so a failure leaves
    // every pixel as it was.
    TImage64 NewImage, NewReference;
    NewImage.Init();
    NewReference.Init();
    auto Convert = [&](const TImage64& From, TImage64& To) {
      if (From.IsEmpty()) return true;
      To.Copy(From);
      return !To.IsEmpty() && Image64ConvertToProfileFromMem(From, To, BytesOf(ImageProfileData),
                                                             BytesOf(Profile));
    };
    const bool Converted = Convert(Image, NewImage) && Convert(ReferenceImage, NewReference);
    if (!Converted) {
      NewImage.Dispose();
      NewReference.Dispose();
      FreeICCProfileData(Profile);
      return false;
    }
    {
      TRendererBlockGuard Block(*this);
      if (!NewImage.IsEmpty()) std::swap(Image, NewImage);
      if (!NewReference.IsEmpty()) std::swap(ReferenceImage, NewReference);
    }
    NewImage.Dispose();
    NewReference.Dispose();
  }
  Dirty.SetAll(false);
  FreeICCProfileData(ImageProfileData);
  ImageProfileData = Profile;
  Profile = EmptyICCProfile();
  LoadInputProfile();
  Notify([](TSessionView& V) { V.UpdateCaption(); });
  SourceImageChanged();
  return true;
}

bool TKromelSession::AssignProfileFromFile(const std::string& FileName, bool AssignOnly) {
  if (FileName.empty()) return false;
  std::error_code Ignored;
  if (!std::filesystem::is_regular_file(FileName, Ignored)) {
    PlatformShowMessage(_("File not found: ") + FileName);
    return false;
  }
  std::string Bytes;
  if (!LoadFileToString(FileName, Bytes) || Bytes.empty() || Bytes.size() > UINT32_MAX) {
    PlatformShowMessage(_("Failed to load profile: ") + FileName);
    return false;
  }
  FIICCPROFILE Profile = EmptyICCProfile();
  CopyICCProfileData(0, static_cast<uint32_t>(Bytes.size()), Bytes.data(), Profile);
  return SetImageProfile(Profile, AssignOnly);
}

bool TKromelSession::SetWorkingProfile(TWorkingProfile Which, bool AssignOnly) {
  FIICCPROFILE Profile = WorkingProfileData(Which);
  if (Profile.data == nullptr) return false;
  return SetImageProfile(Profile, AssignOnly);
}

}  // namespace kromel
