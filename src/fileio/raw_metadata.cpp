#include "fileio/raw_metadata.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "fileio/image_metadata.h"

namespace kromel {

namespace {

// A fixed-size LibRaw text up to its first zero.
template <size_t N>
std::string FieldText(const char (&Field)[N]) {
  return std::string(Field, strnlen(Field, N));
}

}  // namespace

void AddRawMetadataTags(libraw_data_t* Raw, FIBITMAP* Holder) {
  if (Raw == nullptr || Holder == nullptr) return;
  const FREE_IMAGE_MDMODEL Model = FIMD_EXIF_EXIF;
  FreeImage_AddStringTag(Model, Holder, "CameraInfo", FieldText(Raw->idata.make));
  FreeImage_AddStringTag(Model, Holder, "Model", FieldText(Raw->idata.model));
  FreeImage_AddStringTag(Model, Holder, "Software", FieldText(Raw->idata.software));
  FreeImage_AddStringTag(Model, Holder, "CameraOwnerName", FieldText(Raw->other.artist));
  FreeImage_AddStringTag(Model, Holder, "LensMake", FieldText(Raw->lens.LensMake));
  FreeImage_AddStringTag(Model, Holder, "LensModel", FieldText(Raw->lens.Lens));
  FreeImage_AddRationalTag(Holder, Model, "FNumber", Raw->other.aperture);
  FreeImage_AddRationalTag(Holder, Model, "FocalLength", Raw->other.focal_len);
  FreeImage_AddRationalTag(Holder, Model, "Shutter", Raw->other.shutter);
  // ISO is a SHORT: speeds above 65535 are stored as 65535.
  const float ISO = Raw->other.iso_speed;
  const int32_t Speed = ISO > 0.0f ? int32_t(std::nearbyint(std::min(ISO, 65535.0f))) : 0;
  FreeImage_AddShortTag(Holder, Model, "ISOSpeedRatings", Speed);
}

}  // namespace kromel
