// TImage32: the 8-bit image, pixels in memory order blue, green, red,
// alpha. It owns its pixels (TImageBuffer: move-only, Alloc as described
// there); bands of it are TImageView32.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "images/image_buffer.h"
#include "images/image_header.h"
#include "platform/raw_bitmap.h"

namespace kromel {

class TCanvas;

template <>
inline constexpr const char* ImageTypeName<TVPixel32> = "TImage32";
using TImageView32 = TImageView<TVPixel32>;

struct TImage32 : TImageBuffer<TImageHeader<TVPixel32>> {
  // Alloc under the name the callers use.
  void SetSize(int32_t NewWidth, int32_t NewHeight) { Alloc(NewWidth, NewHeight); }
  void Clear();
  void Fill(TColor Color);
  void Copy(const TImage32& Source);
  // BGRA value at (X, Y), both clamped into the image; 0 when empty.
  uint32_t GetPixel(int32_t X, int32_t Y) const;

  bool WriteToFile(std::FILE* F);
  bool ReadFromFile(std::FILE* F);
  bool SaveToBMPFile(const std::string& FileName) const;
  void CopyTo(TRawBitmap& Bitmap) const;
  void CopyFrom(TRawBitmap& Bitmap);
  void Show(TCanvas* Canvas);

  // Geometry and resampling.
  void ResampleNearestFrom(const TImage32& Source);
  void ShowResized(TCanvas* Canvas, int32_t W, int32_t H) const;
  void CopyToResized(TRawBitmap& Bitmap, int32_t W, int32_t H) const;
  void ResizeFrom(const TImage32& Source, int32_t NewWidth, int32_t NewHeight);
  void Resize(int32_t NewWidth, int32_t NewHeight);
  void ScaleProportionalHeight(int32_t NewHeight);
  void ScaleProportionalWidth(int32_t NewWidth);
  void RotateRight();
  void RotateLeft();
  void FlipVertical();
  void FlipHorizontal();
  void DownSample2x();
  void UpSample2x();
  void StretchDraw(const TRect& Rect, const TImage32& Source);
  void StretchDrawRounded(const TImage32& Source, int32_t Left, int32_t Top, int32_t Right,
                          int32_t Bottom);
  void CopyRect(const TImage32& Source, TPoint TopLeft, TPoint BottomRight);
  void Crop(TPoint TopLeft, TPoint BottomRight);
  void AutoCropByAlpha(int32_t Threshold);
  void GetOpaqueColumns(int32_t& First, int32_t& Last) const;
  bool ResizeCanvas(int32_t NewWidth, int32_t NewHeight, int32_t PosX, int32_t PosY);
  void DrawImage(const TImage32& Source, int32_t X, int32_t Y);
  bool MakeHaldIdentity(int32_t Level);

  // Filters, blends and alpha operations (image32_filters.cpp). Operations
  // on two images work over their common area. ConeBlurTo's Dest must be at
  // least as large as the image, the other blurs' exactly its size (else
  // reported and skipped); Dest may be the image itself.
  void AddNoise(int32_t Amount);
  void AdjustContrast(int32_t Factor, int32_t Pivot);
  void MaxFilter4();
  void FilterMin();
  void ConeBlurTo(TImage32& Dest, int32_t Radius) const;
  void RecursiveBlurTo(TImage32& Dest, float Decay) const;
  void HighPassTo(TImage32& Dest, float Decay) const;
  void MapGrayToColors(uint32_t ColorA, uint32_t ColorB);
  void ColorizeDualCounts(uint32_t ColorA, uint32_t ColorB);
  void BlendWith(const TImage32& Other, int32_t WSelf, int32_t WOther);
  void AlphaBlend(const TImage32& Other);
  void SubtractImage(const TImage32& Other, int32_t Offset);
  void AddImage(const TImage32& Other, int32_t Offset);
  void ClearEdges(int32_t Threshold);
  void SetAlpha(uint8_t Value);
  void FillAlphaRect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom, uint8_t Value);
  void AlphaToGray();
  void ScaleAlpha(int32_t Factor);

  // Drawing (image32_draw.cpp); every write is clipped to the image. Colours
  // are BGRA pixel values.
  void DrawLine(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, uint32_t Colour);
  // Half / a quarter of Colour mixed into each byte; alpha becomes 0.
  void DrawLineHalf(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, uint32_t Colour);
  void DrawLineQuarter(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, uint32_t Colour);
  // Every second point of the line.
  void DrawLineDashed(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, uint32_t Colour);
  // Outline through the four (inclusive) edges; edges outside are skipped.
  void DrawRectangle(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom, uint32_t Colour);
  // A 13-pixel cross of value 0, its centre kept 3 pixels inside the image.
  void DrawCross(int32_t X, int32_t Y);
  void DrawHorizontalGradient(uint8_t Alpha);
  void DrawVerticalGradient(uint8_t Alpha);
  void DrawVerticalGradientRange(int32_t From, int32_t To, uint8_t Alpha);
  // The chroma plane of YCbCr at one luma (Cr across, Cb upwards), red in
  // the red byte.
  void DrawYCbCrPlane(int32_t Luma);
  // Text of CR-separated lines in "Times New Roman", black on white, copied
  // whole into the image at (X, Y); HAlign 2 centres on X, tvaCenter on Y.
  void DrawText(int32_t X, int32_t Y, const std::string& Text, int32_t FontSize, int32_t HAlign,
                TVerticalAlignment VAlign);
  // Mean BGRA value of the pixels with alpha above 128 in the square; 0 when
  // there is none.
  uint32_t GetAverageColor(int32_t X, int32_t Y, int32_t Radius) const;
};

// TColor (red lowest) and BGRA value (blue lowest) of one colour: the lowest
// three bytes reversed, top byte 0.
uint32_t BGRAToColor(uint32_t P);
uint32_t ColorToBGRA(TColor C);
// Lowest and third bytes exchanged, alpha kept.
uint32_t RGBAToBGRA32(uint32_t V);
uint32_t BGRAToRGBA32(uint32_t V);

// Count + 1 one-pixel grey lines, black to white, from (i, 0) to (i, Height).
void DrawGrayRamp(TCanvas& Canvas, int32_t Count, int32_t Height);
// Width of the widest and sum of the heights of the CR-separated lines, in
// the canvas's font.
void MeasureTextLines(TCanvas& Canvas, const std::string& Text, int32_t& Width, int32_t& Height);
// The lines centred vertically in the box, each aligned (0 left, 1 right, 2
// centred), tab-separated columns every 42 pixels.
void DrawTextLines(TCanvas& Canvas, const std::string& Text, int32_t X, int32_t Y, int32_t Width,
                   int32_t Height, int32_t Alignment);

// Not available on this platform: reports so and leaves the bitmap alone.
void RotateBitmap(TRawBitmap& Bitmap, float Angle, bool Flag, int32_t Value);
TPoint RotatePoint(TPoint P, float Angle);

}  // namespace kromel
