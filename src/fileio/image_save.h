// Image files out: TImage32, TImage64 and TImageVBPP written through FreeImage
// with an ICC profile embedded when one is given, and profile handles turned
// into bytes. The format follows the
// file name's extension; every file goes to a temporary name in the target's
// folder and is renamed over the target, so a failed save keeps the old file.
#pragma once
#include <FreeImage.h>
#include <lcms2.h>

#include <cstdint>
#include <string>

#include "images/image32.h"
#include "images/image128.h"
#include "images/image64.h"
#include "images/image_vbpp.h"

namespace kromel {

// 32-bit BGRA file (24-bit for ".jpg" and ".jpeg"); False when the format
// cannot take the picture or the save fails.
bool SaveImage32ToFileWithProfile(const TImage32& Image, const std::string& FileName,
                                  const FIICCPROFILE& Profile);
bool SaveImage32ToFile(const TImage32& Image, const std::string& FileName);
// 48-bit RGB file, alpha dropped. A format that cannot hold 48-bit RGB
// (JPEG, for one) is reported and gives False.
bool SaveImage64ToFile(const TImage64& Image, const std::string& FileName,
                       const FIICCPROFILE& Profile);
bool SaveImage64ToFileNoProfile(const TImage64& Image, const std::string& FileName);
// 24-bit RGB file from the high bytes.
bool SaveImage64ToFile8bit(const TImage64& Image, const std::string& FileName,
                           const FIICCPROFILE& Profile);
// How a processed image is written.
struct TImageSaveOptions {
  bool KeepAlpha = true;     // RGBA where the format holds it (TIFF, PNG)
  int32_t JpegQuality = 95;  // 1..100
};
// TIFF and PNG with 16 bits per channel, with alpha when KeepAlpha and some
// pixel is not opaque; JPEG with 8 bits per channel at JpegQuality. Other
// formats are reported ("Unsupported image file type: ") and give False.
bool SaveImage64ToFileAs(const TImage64& Image, const std::string& FileName,
                         const FIICCPROFILE& Profile, const TImageSaveOptions& Options);

// The 16-bit image when it has pixels, else the 8-bit one; False when
// neither has.
bool SaveImageVBPPToFile(const TImageVBPP& Image, const std::string& FileName,
                         const FIICCPROFILE& Profile);

// Through a 16-bit copy (each channel x 65535 rounded, clamped) into
// SaveImage64ToFile.
bool SaveImage128ToFile(const TImage128& Image, const std::string& FileName,
                        const FIICCPROFILE& Profile);

// A new RGBA16 bitmap holding the image (the caller unloads it); null for an
// empty image.
FIBITMAP* CreateFreeBitmapFromImage64(const TImage64& Image);

// The profile's bytes in a new record owned by the caller (freed with
// FreeICCProfileData); an empty record when there is none.
FIICCPROFILE CmsProfileToMemory(cmsHPROFILE Profile);
bool FIICCProfileSaveToFile(const FIICCPROFILE& Profile, const std::string& FileName);

}  // namespace kromel
