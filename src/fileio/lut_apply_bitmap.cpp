// LUT applied to a FreeImage bitmap through the LUT's raw-row routine.
#include "fileio/lut_apply_bitmap.h"

#include <string>

#include "foundation/error_sink.h"
#include "lut/lut_apply.h"

namespace kromel {

bool ProcessFreeBitmapByLUT(FIBITMAP* Bitmap, const T3DLut& Lut) {
  if (Lut.Size <= 1) {
    ErrorMessageProc("Error in ProcessFreeBitmapByLUT - LUT is not initialized");
    return false;
  }
  if (Bitmap == nullptr) return false;
  const unsigned Width = FreeImage_GetWidth(Bitmap);
  const unsigned Height = FreeImage_GetHeight(Bitmap);
  const unsigned Bpp = FreeImage_GetBPP(Bitmap);
  const FREE_IMAGE_TYPE Type = FreeImage_GetImageType(Bitmap);
  // The depth alone does not tell float or integer pictures of 32 and 64
  // bits from colour ones: the type must match too.
  TLutRowFormat Format;
  if (Type == FIT_BITMAP && Bpp == 24)
    Format = TLutRowFormat::BGR24;
  else if (Type == FIT_BITMAP && Bpp == 32)
    Format = TLutRowFormat::BGRA32;
  else if (Type == FIT_RGBA16 && Bpp == 64)
    Format = TLutRowFormat::RGBA64;
  else {
    ErrorMessageProc("ProcessFreeBitmapByLUT error: incompatible bit depth: " +
                     std::to_string(Bpp));
    return false;
  }
  if (Width == 0 || Width > 0x7FFFFFFFu) return Width == 0;
  for (unsigned y = 0; y < Height; ++y)
    ProcessRawRow(Lut, FreeImage_GetScanLine(Bitmap, static_cast<int>(y)),
                  static_cast<int32_t>(Width), Format);
  return true;
}

}  // namespace kromel
