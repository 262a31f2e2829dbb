// The RGB working spaces offered by the assign and convert commands, and
// the image gamma guessed from a profile description.
#pragma once
#include <cstdint>
#include <string>

#include <FreeImage.h>

#include "colour/log_gamma.h"

namespace kromel {

enum class TWorkingProfile : int32_t {
  sRGB,
  sRGBLinear,
  AdobeRGB,
  ProPhotoRGB,
  ProPhotoRGBLinear,
  MelissaRGB,
  Rec709,
  Rec601,
  ACESLinear,
  ACEScc,
  ACEScct,
  DCIP3
};

// The profile's bytes in a record of its own (FreeICCProfileData frees it);
// an empty record when Little CMS cannot make or save the profile.
FIICCPROFILE WorkingProfileData(TWorkingProfile Which);

// The image colour space named by a profile description (sRGB when none
// of the known names appears; later names override earlier ones).
TImageProfile ImageColorSpaceFromDescription(const std::string& Description);

// 2.4, 2.2 for Rec. 709, 1.8 for ProPhoto, 1.0 for any linear profile.
float ImageGammaFromDescription(const std::string& Description);

}  // namespace kromel
