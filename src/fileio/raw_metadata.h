// The camera's data of an open LibRaw handle as EXIF tags of a metadata
// holder bitmap. Include this before FreeImage.h: FreeImage leaves out its
// own INT64 and UINT64 when LibRaw's are there, not the other way round.
#pragma once
#include <libraw/libraw.h>

// FreeImage's bitmap (FreeImage.h).
struct FIBITMAP;

namespace kromel {

// ASCII, RATIONAL and SHORT tags in model 2 (the EXIF sub-block) of Holder:
// "CameraInfo" (maker), "Model", "Software", "CameraOwnerName", "LensMake",
// "LensModel", "FNumber", "FocalLength", "Shutter" (seconds) and
// "ISOSpeedRatings". Nothing without a handle or a holder.
void AddRawMetadataTags(libraw_data_t* Raw, FIBITMAP* Holder);

}  // namespace kromel
