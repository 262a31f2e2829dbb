// TImage64: the 16-bit image buffer over TPixel64 (red, green, blue, alpha).
// A plain value type like TImage32: Init, Alloc, Dispose; views never
// dispose. 8-bit values widen by x257 from a TImage32 and by shl 8 from a
// bitmap; 16-bit values narrow to their high byte.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "images/image32.h"
#include "images/image_header.h"
#include "platform/raw_bitmap.h"

namespace kromel {

struct TImage64 : TImageHeader<TPixel64> {
  void Init();
  // Takes Width x Height pixels (contents not set); True when pixels exist.
  // Pixels held before are released. A side of 0 or below gives no pixels
  // and False without a report.
  bool Alloc(int32_t NewWidth, int32_t NewHeight);
  void SetSize(int32_t NewWidth, int32_t NewHeight);
  void Dispose();
  void Clear();
  void Fill(const TPixel64& Color);
  // Pixels and margins of Source; re-allocates when the pixel counts differ.
  void Copy(const TImage64& Source);

  bool WriteToFile(std::FILE* F);
  bool ReadFromFile(std::FILE* F);

  void CopyFromImage32(const TImage32& Source);
  void CopyToImage32(TImage32& Target) const;
  // Stretches the values between the image's minimum and maximum over
  // 0..255 into Target, which must hold at least Size pixels.
  void NormalizeTo32(TImage32& Target) const;
  void CopyFrom(TRawBitmap& Bitmap);
  void CopyTo(TRawBitmap& Bitmap) const;

  TPixel64* Row(int32_t Y) const { return Pixels + static_cast<int64_t>(Y) * Width; }
};

// "R: 65535; G: 0; B: 0; A: 65535"
std::string Pixel64ToText(const TPixel64& P);

}  // namespace kromel
