// TImageVBPP: the source image held at 8 or 16 bits. Every operation works
// on the 16-bit image when that holds pixels, else on the 8-bit one. It owns
// both images; TImageVBPPBand is the non-owning view of its rows.
#pragma once
#include <cstdint>
#include <string>

#include "images/image32.h"
#include "images/image64.h"
#include "platform/raw_bitmap.h"

namespace kromel {

class TImageVBPP {
public:
  TImageVBPP();
  ~TImageVBPP();
  TImageVBPP(const TImageVBPP&) = delete;
  TImageVBPP& operator=(const TImageVBPP&) = delete;

  int32_t GetWidth() const;
  int32_t GetHeight() const;
  int32_t GetSize() const;
  bool IsEmpty() const;

  void CopyTo(TRawBitmap& Bitmap) const;
  void CopyToImage32(TImage32& Target) const;
  void CopyFromImage64(const TImage64& Source);

  void Dispose();
  // Dispose through a possibly null pointer.
  static void Dispose(TImageVBPP* Image);
  void Realloc(int32_t Width, int32_t Height, bool Use16Bit);
  // Widens the 8-bit picture into the 16-bit image (x257) and releases the
  // 8-bit one; nothing when there is no 8-bit picture.
  void ConvertTo64();
  // Geometry on the image that holds pixels.
  void RotateLeft();
  void RotateRight();
  void FlipVertical();
  void FlipHorizontal();

  // P = 0, then the 16-bit image's darkest average (8 bits: stays 0).
  void GetDarkestAverage(TPixel64& P, int32_t Count) const;
  // Average colour around (X, Y): the 16-bit average, or the 8-bit one
  // (pixels with alpha above 128) widened x257.
  void GetAverageColor64(TPixel64& P, int32_t X, int32_t Y, int32_t Radius) const;
  // The same as a BGRA value: high bytes of the 16-bit average, or the
  // 8-bit average unchanged.
  uint32_t GetAverageColor32(int32_t X, int32_t Y, int32_t Radius) const;
  void GetCentralPixelText(std::string& S) const;

  TImage32 Image32;
  TImage64 Image64;
};

// Rows of a TImageVBPP's pixels (or all of them) without owning them: the
// bands the renderer's workers process. Copyable; the source must outlive it.
struct TImageVBPPBand {
  TImageVBPPBand() = default;
  TImageVBPPBand(const TImageVBPP& Source);
  int32_t GetWidth() const;
  int32_t GetHeight() const;
  int32_t GetSize() const;
  bool IsEmpty() const;

  TImageView32 Image32;
  TImageView64 Image64;
};

// Count rows of Source from FirstRow, cut to its rows.
TImageVBPPBand RowBand(const TImageVBPPBand& Source, int32_t FirstRow, int32_t Count);

}  // namespace kromel
