// The widget-set bitmap stand-in: a raster with direct access to its raw
// rows. 32-bit rows hold the bytes alpha, red, green, blue; 24-bit rows blue,
// green, red; 8-bit rows one grey byte. The Qt layer converts at its edge.
#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

namespace kromel {

// A widget-set colour: red in the lowest byte, then green, then blue.
using TColor = uint32_t;

// Ordinals as the widget set numbers them (pf8bit is 3).
enum TPixelFormat : int32_t {
  pfDevice = 0,
  pf1bit = 1,
  pf4bit = 2,
  pf8bit = 3,
  pf15bit = 4,
  pf16bit = 5,
  pf24bit = 6,
  pf32bit = 7,
  pfCustom = 8
};

class TRawBitmap {
public:
  TRawBitmap() = default;
  TRawBitmap(int32_t Width, int32_t Height, TPixelFormat Format) : FFormat(Format) {
    SetSize(Width, Height);
  }

  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  TPixelFormat PixelFormat() const { return FFormat; }

  // Each of these re-creates the raw image; its bytes become 0.
  void SetWidth(int32_t Width) { SetSize(Width, FHeight); }
  void SetHeight(int32_t Height) { SetSize(FWidth, Height); }
  void SetSize(int32_t Width, int32_t Height) {
    FWidth = std::max<int32_t>(Width, 0);
    FHeight = std::max<int32_t>(Height, 0);
    Reallocate();
  }
  void SetPixelFormat(TPixelFormat Format) {
    if (Format == FFormat) return;
    FFormat = Format;
    Reallocate();
  }
  // Rows start on multiples of this many bytes (4 by default; 1 packs them).
  void SetRowAlignment(int32_t Bytes) {
    FAlignment = std::max<int32_t>(Bytes, 1);
    Reallocate();
  }

  // Bits per pixel of the raw image (the device format is 32-bit).
  int32_t BitsPerPixel() const {
    switch (FFormat) {
      case pf1bit: return 1;
      case pf4bit: return 4;
      case pf8bit: return 8;
      case pf15bit:
      case pf16bit: return 16;
      case pf24bit: return 24;
      default: return 32;
    }
  }
  int64_t BytesPerLine() const {
    const int64_t Bytes = (static_cast<int64_t>(FWidth) * BitsPerPixel() + 7) / 8;
    return (Bytes + FAlignment - 1) / FAlignment * FAlignment;
  }
  // nullptr when the raster is empty.
  uint8_t* Data() { return FData.empty() ? nullptr : FData.data(); }
  const uint8_t* Data() const { return FData.empty() ? nullptr : FData.data(); }
  // Address of row Y, or nullptr when there is no such row.
  uint8_t* ScanLine(int32_t Y) {
    if (Y < 0 || Y >= FHeight || FData.empty()) return nullptr;
    return FData.data() + Y * BytesPerLine();
  }
  const uint8_t* ScanLine(int32_t Y) const {
    if (Y < 0 || Y >= FHeight || FData.empty()) return nullptr;
    return FData.data() + Y * BytesPerLine();
  }

  // Raw access brackets; kept for the callers' structure, no locking here.
  void BeginUpdate(bool CanvasOnly = false) {
    (void)CanvasOnly;
    ++FUpdateCount;
  }
  void EndUpdate() {
    if (FUpdateCount > 0) --FUpdateCount;
  }
  int32_t UpdateCount() const { return FUpdateCount; }

private:
  void Reallocate() {
    FData.assign(static_cast<size_t>(BytesPerLine() * FHeight), 0);
  }

  int32_t FWidth = 0;
  int32_t FHeight = 0;
  TPixelFormat FFormat = pfDevice;
  int32_t FAlignment = 4;
  int32_t FUpdateCount = 0;
  std::vector<uint8_t> FData;
};

}  // namespace kromel
