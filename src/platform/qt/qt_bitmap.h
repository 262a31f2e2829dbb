// The Qt edge of the raw bitmap: its 32-bit rows (A, R, G, B bytes) and
// 24-bit rows (B, G, R) become a QImage of Format_ARGB32 and back.
#pragma once
#include <QImage>

#include "platform/raw_bitmap.h"

namespace kromel {

// A copy of a 24- or 32-bit bitmap; a null image for other formats or an
// empty bitmap. 24-bit pixels become opaque.
QImage QImageFromRawBitmap(const TRawBitmap& Bitmap);
// Bitmap becomes Image's size in 32-bit rows.
void RawBitmapFromQImage(const QImage& Image, TRawBitmap& Bitmap);

}  // namespace kromel
