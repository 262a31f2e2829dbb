// Colour-managed copies of images into the interface's raw bitmaps, with
// fit-to-box variants, and 16-bit conversions of images between profiles.
//
// Bitmaps are 24-bit (blue, green, red) or 32-bit (alpha, red, green, blue);
// other formats are not copied. A transform (or nullptr for a plain copy)
// is the caller's; it must read the source's pixels (TImage32 BGRA bytes,
// TImage64 RGBA words or the source bitmap's rows) and write the
// destination bitmap's. A transform whose pixel sizes do not fit those
// layouts is refused, so no row is over-run.
#pragma once
#include <cstddef>
#include <cstdint>

#include <lcms2.h>

#include "images/image32.h"
#include "images/image64.h"
#include "platform/raw_bitmap.h"

namespace kromel {

// An embedded profile given as bytes; Data null (or Size 0) means none.
struct TProfileBytes {
  const void* Data = nullptr;
  std::size_t Size = 0;
};

// Destination takes Source's format and size; alpha of 32-bit rows is 255.
// Nothing happens when Destination holds no pixels.
void BitmapCMSCopyTo(TRawBitmap& Source, TRawBitmap& Destination, cmsHTRANSFORM Transform);
void ImageCMSCopyToBitmap(const TImage32& Image, TRawBitmap& Bitmap, cmsHTRANSFORM Transform);
// Nearest-neighbour copy of Image at NewWidth x NewHeight.
void ImageCMSCopyToBitmapResized(const TImage32& Image, TRawBitmap& Bitmap, int32_t NewWidth,
                                 int32_t NewHeight, cmsHTRANSFORM Transform);
// The same placed at (Left, Top) of a transparent black bitmap of
// (Left + Width) x (Top + Height).
void ImageCMSCopyToBitmapPlaced(const TImage32& Image, TRawBitmap& Bitmap, int32_t Left,
                                int32_t Top, int32_t Width, int32_t Height,
                                cmsHTRANSFORM Transform);
// Fitted into the box keeping the aspect ratio; RectFit centres it by its
// left and top margins, Fit only resizes.
void ImageCMSCopyToBitmapRectFit(const TImage32& Image, TRawBitmap& Bitmap, int32_t BoxWidth,
                                 int32_t BoxHeight, cmsHTRANSFORM Transform);
void ImageCMSCopyToBitmapFit(const TImage32& Image, TRawBitmap& Bitmap, int32_t BoxWidth,
                             int32_t BoxHeight, cmsHTRANSFORM Transform);
void Image64CMSCopyTo(const TImage64& Image, TRawBitmap& Bitmap, cmsHTRANSFORM Transform);

// Src -> Dst (may be the same image) from one profile to another, 16-bit
// RGBA, relative colorimetric. False, Dst unchanged, on any failure.
bool Image64ConvertToProfile(const TImage64& Src, TImage64& Dst, cmsHPROFILE SourceProfile,
                             cmsHPROFILE DestinationProfile);
// The same with the profiles as bytes; none given means sRGB.
bool Image64ConvertToProfileFromMem(const TImage64& Src, TImage64& Dst,
                                    const TProfileBytes& SourceProfile,
                                    const TProfileBytes& DestinationProfile);

}  // namespace kromel
