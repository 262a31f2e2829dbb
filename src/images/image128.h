// TImage128: the float image, pixels of four Singles in memory order blue,
// green, red, alpha (TBGRAPixel128), row after row from the top. It owns
// its pixels like the other images (TImageBuffer: move-only, one Alloc
// contract). Data null means the image holds no data.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "images/image32.h"
#include "images/image64.h"
#include "images/image_buffer.h"
#include "images/pixel128.h"
#include "platform/raw_bitmap.h"

namespace kromel {

// The float image's header: no margins, the pixels under the name Data.
struct TImage128Header {
  using TPixel = TBGRAPixel128;
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t Size = 0;
  TBGRAPixel128* Data = nullptr;

  bool HoldsData() const { return Data != nullptr; }
  TBGRAPixel128* Row(int32_t Y) const { return Data + static_cast<int64_t>(Y) * Width; }
  TBGRAPixel128*& PixelPointer() { return Data; }
};

template <>
inline constexpr const char* ImageTypeName<TBGRAPixel128> = "TImage128";

struct TImage128 : TImageBuffer<TImage128Header> {
  // Alloc under the name the callers use.
  bool SetSize(int32_t NewWidth, int32_t NewHeight) { return Alloc(NewWidth, NewHeight); }
  // New size keeping the first pixels in memory order (rows re-wrap when
  // the width changes; the rest is not cleared). Without memory the image
  // stays as it was.
  bool Resize(int32_t NewWidth, int32_t NewHeight);
  void Clear();
  void Fill(const TBGRAPixel128& P);
  void SetAlpha(float A);
  // Red, green and blue held within 0..1; alpha untouched.
  void ClampRGB();
  // Size pixels from Src, which must hold at least as many; otherwise
  // reported and nothing copied. The sizes of this image do not change.
  void Copy(const TImage128& Src);
  // Sized to the bitmap, cleared, and reported as not implemented.
  void CopyFrom(TRawBitmap& Bitmap);

  // The "SAMP" chunk with 16-byte pixels. Reading changes the image only
  // when a whole chunk was read (a 0 x 0 chunk empties it); a missing tag
  // leaves image and position unchanged without a report.
  bool WriteToFile(std::FILE* F);
  bool ReadFromFile(std::FILE* F);

  // Bytes / 255 into a newly allocated image.
  void CopyFromImage32(const TImage32& Src);
  // round(v x 255) clamped to 0..255 into the first Size pixels of Dst,
  // which must hold at least Size pixels (else reported, nothing written).
  void CopyToImage32(TImage32& Dst) const;
  // Words / 65535; re-allocates when the size differs, empties the image
  // when Src holds no pixels.
  void CopyFromImage64(const TImage64& Src);
  // round(v x 65535) clamped to 0..65535, as CopyToImage32.
  void CopyToImage64(TImage64& Dst) const;

  // Geometry and filters. A failed allocation keeps the image.
  void UpSample2x();
  // Means of 2 x 2 blocks; an odd last row or column is dropped.
  void DownSample2x();
  // Turns the image by 180 degrees.
  void ReversePixels();
  // One-pole smoothing forwards and backwards along rows, then columns;
  // every pass but the first caps at 65535.
  void SmoothRecursive(float K);
  // Separable Gaussian of all four channels (columns, then rows), edge
  // pixels repeated; on any failure the image stays as it was.
  void GaussianBlur(float Radius);

  // Searches and counts over all Size pixels; -1 when nothing is found.
  int32_t FindNearColor(float R, float G, float B, float Tol) const;
  int32_t FindNearestColor(float R, float G, float B) const;
  bool IsAllBlack() const;
  int32_t CountClippedPixels() const;
  int32_t CountClipped2() const;
  int32_t CountVisiblePixels() const;

  // Shape fills; ranges include both ends and every write is clipped to
  // the image. Compositing leaves each pixel's alpha as it was.
  void FillRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, const TBGRAPixel128& C);
  void FillCircle(int32_t X, int32_t Y, int32_t R, const TBGRAPixel128& C);
  void FillRoundRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t R,
                     const TBGRAPixel128& C);
  void FillRoundRectGradient(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t R,
                             const TBGRAPixel128& C1, const TBGRAPixel128& C2);
  void BlendRoundRectGradient(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t R,
                              const TBGRAPixel128& C1, const TBGRAPixel128& C2);
  // C1 at the rim, C2 at the centre.
  void FillSphere(int32_t X, int32_t Y, int32_t R, const TBGRAPixel128& C1,
                  const TBGRAPixel128& C2);
  // C2 at the centre, C1 at the rim.
  void FillCircleRadial(int32_t X, int32_t Y, int32_t R, const TBGRAPixel128& C1,
                        const TBGRAPixel128& C2);
  // Steps below 1 draw nothing.
  void FillRoundRectBevel(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t R,
                          const TBGRAPixel128& C1, const TBGRAPixel128& C2, int32_t Steps);
  void FillRoundRectCushion(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t R,
                            const TBGRAPixel128& C1, const TBGRAPixel128& C2);
  void BlendRoundRectCushion(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t R,
                             const TBGRAPixel128& C1, const TBGRAPixel128& C2);
  // Two equal points give C1 everywhere.
  void FillLinearGradient(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                          const TBGRAPixel128& C1, const TBGRAPixel128& C2);
  // Src placed with its top-left corner at (X, Y).
  void MaxImage(int32_t X, int32_t Y, const TImage128& Src);
  void MinImage(int32_t X, int32_t Y, const TImage128& Src);
  void DrawImageOver(int32_t X, int32_t Y, const TImage128& Src);
  // Text in bold "Arial" at Size, centred on X with its top at Y: C is
  // composited over the pixels the ink fully covers. Clipped to the image.
  void DrawText(int32_t X, int32_t Y, const std::string& Text, int32_t Size,
                const TBGRAPixel128& C);
};

// Count triples of Singles red, green, blue become, in place, Count float
// pixels with alpha 1; Buf must have room for Count x 16 bytes.
void ExpandRGBFloatToPixel128(void* Buf, int64_t Count);

// Pixels whose Pixel128Saturation005 is below Threshold; Avg = the mean of
// those saturations (0 when none).
int32_t AverageNeutralSaturation(const TImage128& Image, float& Avg, float Threshold);

// Res = (1 - W) x A + W x B on all four floats.
void BlendPixel128(TBGRAPixel128& Res, const TBGRAPixel128& A, const TBGRAPixel128& B, float W);
// Res colour = Over x Over.A + (1 - Over.A) x Under; Res alpha not set.
void CompositePixel128(TBGRAPixel128& Res, const TBGRAPixel128& Under,
                       const TBGRAPixel128& Over);

}  // namespace kromel
