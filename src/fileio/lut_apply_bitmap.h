// Applying a LUT in place to a FreeImage bitmap, scan line by scan line.
#pragma once
#include <FreeImage.h>

#include "lut/lut.h"

namespace kromel {

// 24-bit BGR and 32-bit BGRA standard bitmaps and 64-bit RGBA16 bitmaps,
// without dither. False with a message for a LUT of size 1 or less
// ("Error in ProcessFreeBitmapByLUT - LUT is not initialized") and for any
// other pixel type ("ProcessFreeBitmapByLUT error: incompatible bit depth: "
// + depth); the bitmap is then unchanged. True for a bitmap of height 0.
bool ProcessFreeBitmapByLUT(FIBITMAP* Bitmap, const T3DLut& Lut);

}  // namespace kromel
