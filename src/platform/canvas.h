// The widget-set canvas stand-in: draws with a pen and a brush into a
// TRawBitmap (24- or 32-bit rows; other formats are left alone). Coordinates
// outside the bitmap are clipped. As on the widget set, LineTo does not set
// the end pixel and Rectangle/FillRect cover Left..Right-1 x Top..Bottom-1.
#pragma once
#include <cstdint>
#include <string>

#include "platform/raw_bitmap.h"

namespace kromel {

enum TPenStyle : int32_t { psSolid = 0, psDot = 2 };
enum TBrushStyle : int32_t { bsSolid = 0, bsClear = 1 };

struct TPen {
  TColor Color = 0;
  int32_t Width = 1;
  TPenStyle Style = psSolid;
};

struct TBrush {
  TColor Color = 0xFFFFFF;
  TBrushStyle Style = bsSolid;
};

// The text font of a canvas; the size is in points (one pixel each). Text
// is rendered by the images library, which reads these fields.
struct TFont {
  std::string Name = "default";
  int32_t Size = 12;
  uint32_t Style = 0;
  TColor Color = 0;
};

class TCanvas {
public:
  explicit TCanvas(TRawBitmap& Bitmap) : FBitmap(Bitmap) {}

  TPen Pen;
  TBrush Brush;
  TFont Font;

  TRawBitmap& Bitmap() { return FBitmap; }
  int32_t PenX() const { return FPenX; }
  int32_t PenY() const { return FPenY; }

  void MoveTo(int32_t X, int32_t Y);
  // A line in the pen from the pen position up to (not including) (X, Y),
  // which becomes the pen position.
  void LineTo(int32_t X, int32_t Y);
  // Fills the inside with the brush (unless clear) and outlines it with the pen.
  void Rectangle(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom);
  // Fills with the brush colour whatever the brush style.
  void FillRect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom);

  // Colour at (X, Y); 0 outside the bitmap.
  TColor Pixel(int32_t X, int32_t Y) const;
  void SetPixel(int32_t X, int32_t Y, TColor Color);

private:
  void PenDot(int32_t X, int32_t Y);
  void Span(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom, TColor Color);

  TRawBitmap& FBitmap;
  int32_t FPenX = 0;
  int32_t FPenY = 0;
  int64_t FDotPhase = 0;
};

}  // namespace kromel
