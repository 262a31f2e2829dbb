// The header every image type shares, the pixel records, points and
// rectangles, and the row bands of the renderer's workers.
#pragma once
#include <algorithm>
#include <array>
#include <cstdint>

namespace kromel {

struct TPoint {
  int32_t X = 0;
  int32_t Y = 0;
};

// Left and Top inclusive, Right and Bottom exclusive.
struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
};

// Width, Height, Size (pixels), the margins of fitted content and the pixel
// pointer. The header does not own the pixels: the owners derive from it
// through TImageBuffer, the views through TImageView (image_buffer.h).
// Emptiness is judged by the pointer (or Size).
template <class TPixelT>
struct TImageHeader {
  using TPixel = TPixelT;
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t Size = 0;
  int32_t MarginLeft = 0;
  int32_t MarginRight = 0;
  int32_t MarginTop = 0;
  int32_t MarginBottom = 0;
  TPixelT* Pixels = nullptr;

  bool HoldsPixels() const { return Pixels != nullptr; }
  TPixelT* Row(int32_t Y) const { return Pixels + static_cast<int64_t>(Y) * Width; }
  TPixelT*& PixelPointer() { return Pixels; }
  void CopyMarginsFrom(int32_t Left, int32_t Right, int32_t Top, int32_t Bottom) {
    MarginLeft = Left;
    MarginRight = Right;
    MarginTop = Top;
    MarginBottom = Bottom;
  }
  template <class TOther>
  void CopyMarginsFrom(const TImageHeader<TOther>& Other) {
    CopyMarginsFrom(Other.MarginLeft, Other.MarginRight, Other.MarginTop, Other.MarginBottom);
  }
};

// True when Width x Height pixels really lie behind Pixels: the one test of
// every image type before its pixels are touched.
inline bool HasPixelArea(const void* Pixels, int64_t Width, int64_t Height, int64_t Size) {
  return Pixels != nullptr && Width > 0 && Height > 0 && Width * Height <= Size;
}
template <class TPixelT>
bool HasArea(const TImageHeader<TPixelT>& I) {
  return HasPixelArea(I.Pixels, I.Width, I.Height, I.Size);
}

// The renderer's eight bands: band k covers rows Height*k / 8 up to
// Height*(k+1) / 8 - 1, so the bands cover every row once.
constexpr int32_t RowBandCount = 8;
constexpr int32_t RowBandStart(int32_t Height, int32_t Band) {
  return static_cast<int32_t>(static_cast<int64_t>(Height) * Band / RowBandCount);
}
constexpr int32_t RowBandRows(int32_t Height, int32_t Band) {
  return RowBandStart(Height, Band + 1) - RowBandStart(Height, Band);
}

// The pixel of a TImage32: bytes blue, green, red, alpha in memory.
struct TBGRAPixel32 {
  uint8_t B, G, R, A;
};
// The same four bytes in the other order.
struct TRGBAPixel32 {
  uint8_t R, G, B, A;
};
// One pixel seen as the BGRA value (blue lowest), a signed integer, or its
// bytes in either order.
union TVPixel32 {
  uint32_t Value;
  int32_t I;
  TBGRAPixel32 BGRA;
  TRGBAPixel32 RGBA;
};
static_assert(sizeof(TVPixel32) == 4);

// The pixel of a TImage64: unsigned 16-bit red, green, blue, alpha.
struct TPixel64 {
  uint16_t R, G, B, A;
  void Init(uint16_t Red, uint16_t Green, uint16_t Blue, uint16_t Alpha) {
    R = Red;
    G = Green;
    B = Blue;
    A = Alpha;
  }
  bool operator==(const TPixel64&) const = default;
};
static_assert(sizeof(TPixel64) == 8);

// The pixels of an 8-bit or 16-bit image, owned or viewed: what routines
// that only read or write pixels take.
using TImageHeader32 = TImageHeader<TVPixel32>;
using TImageHeader64 = TImageHeader<TPixel64>;

// The header over plain bytes; it has no operations.
struct TImage24 : TImageHeader<uint8_t> {};

enum TVerticalAlignment : int32_t { tvaTopJustify = 0, tvaBottomJustify = 1, tvaCenter = 2 };

// The colour readout formats, in the order the lists show them.
inline constexpr std::array<const char*, 15> ColorReadoutNames = {
    "RGB 0..255", "RGB 0..100", "RGB Linear", "HSV", "HSL", "HSP",  "LAB",  "Lch",
    "MAB",        "MXYe",       "SXYe",       "XYZ", "xyY", "YUV", "CMYK"};

}  // namespace kromel
