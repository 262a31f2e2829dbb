// TImage96: 16-bit red, green, blue, alpha words and one 32-bit Extra value
// per pixel (a hit count and a running sum in the distribution plots).
// Whole-pixel moves carry Extra; computed colours write the four words only.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "images/image32.h"
#include "images/image_buffer.h"
#include "images/image_header.h"
#include "images/sample.h"
#include "platform/raw_bitmap.h"

namespace kromel {

class TCanvas;

struct TPixel96 {
  uint16_t R = 0, G = 0, B = 0, A = 0;
  uint32_t Extra = 0;
  bool operator==(const TPixel96&) const = default;
};
static_assert(sizeof(TPixel96) == 12);

template <>
inline constexpr const char* ImageTypeName<TPixel96> = "TImage96";
using TImageView96 = TImageView<TPixel96>;

// Owns its pixels like TImage32 (TImageBuffer).
struct TImage96 : TImageBuffer<TImageHeader<TPixel96>> {
  // Alloc under the name the callers use.
  void SetSize(int32_t NewWidth, int32_t NewHeight) { Alloc(NewWidth, NewHeight); }
  void Clear();
  void Fill(const TPixel96& Color);
  bool IsEmpty() const { return Pixels == nullptr || Size <= 0; }
  void Copy(const TImage96& Source);
  bool WriteToFile(std::FILE* F);
  bool ReadFromFile(std::FILE* F);
  void CopyFromImage32(const TImage32& Source);
  void CopyToImage32(TImage32& Target) const;
  void NormalizeTo32(TImage32& Target) const;
  void CopyFrom(TRawBitmap& Bitmap);
  void CopyTo(TRawBitmap& Bitmap) const;
  void DrawOnBitmap(TRawBitmap& Bitmap, int32_t Top) const;
  void CropToImage32(TImage32& Target, TPoint TopLeft, TPoint BottomRight) const;
  void Show(TCanvas* Canvas) const;
  void ShowResized(TCanvas* Canvas, int32_t W, int32_t H) const;
  void DrawFittedToImage96(TImage96& Target, int32_t W, int32_t H, uint8_t Level) const;
  void DrawFittedToBitmap(TRawBitmap& Bitmap, int32_t W, int32_t H, uint8_t Level) const;

  // Filters and resampling (image96_ops.cpp); Extra is kept.
  void Smooth121();
  void SmoothRecursive(float Factor);
  void GaussianBlur(float Radius);
  void ConvoluteVerticalNormalized(const TSample32& Kernel);
  void ConvoluteHorizontalNormalized(const TSample32& Kernel);
  void UpSample2x();
  void DownSample2x();
  void StretchDrawAveraged(TPoint TopLeft, TPoint BottomRight, const TImage96& Src,
                           const TPixel96& Background);
  void StretchDrawAveragedOpaque(TPoint TopLeft, TPoint BottomRight, const TImage96& Src,
                                 const TPixel96& Background);

  // Geometry; a failed allocation keeps the image.
  void RotateRight();
  void RotateLeft();
  void FlipVertical();
  void FlipHorizontal();
  void MirrorLeftToRight();
  void CropTo(TImage96& Dst, TPoint TopLeft, TPoint BottomRight) const;
  void DoNothing() {}

  // Alpha.
  void SetAlpha(int32_t Value);
  void FillAlphaRect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom, int32_t Value);
  void ScaleAlpha(float Factor);
  void SqrtAlpha();
  void AlphaToGray();
  void MultiplyByAlpha(int32_t Gain);
  // Adds Src's alpha at (X, Y), saturating; the part outside is skipped.
  void AddAlphaFrom(int32_t X, int32_t Y, const TImage96& Src);

  // Colour words.
  void SwapRedBlue();
  void ScaleRGB(int32_t Factor);
  void AddColor(const TPixel96& Color);
  void FillColorKeepAlpha(const TPixel96& Color);

  // Analysis. Spread is 0 when not measured.
  TPixel96 GetAverageColor(int32_t X, int32_t Y, int32_t Radius, int32_t& Spread) const;
  TPixel96 GetDarkestAverage(int32_t Count) const;
  TPixel96 GetBrightestAverage(int32_t Count) const;
  TRect GetContentRect() const;

  // Drawing (image96_draw.cpp). Every shape, line, glyph and placed image is
  // clipped to the image. Given colours are written whole (Extra included);
  // mixed colours write R, G, B, A and keep the pixel's Extra.
  void FillCircle(int32_t X, int32_t Y, int32_t Radius, const TPixel96& Color);
  void FillRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, const TPixel96& Color);
  void DrawBevel(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, const TPixel96& Color);
  void DrawRectangleRounded(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t R,
                            const TPixel96& Color);
  void FillRectangleRoundedGradient(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t R,
                                    const TPixel96& Top, const TPixel96& Bottom);
  void BlendRectangleRoundedGradient(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t R,
                                     const TPixel96& Top, const TPixel96& Bottom);
  void DrawRectangleRoundedSoftEdge(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t R,
                                    const TPixel96& Outer, const TPixel96& Inner, int32_t Steps);
  void FillRectangleRoundedEmbossed(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t R,
                                    const TPixel96& Rim, const TPixel96& Face);
  void BlendRectangleRoundedEmbossed(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t R,
                                     const TPixel96& Rim, const TPixel96& Face);
  void FillShadedDisc(int32_t X, int32_t Y, int32_t R, const TPixel96& Rim, const TPixel96& Centre);
  void FillRadialDisc(int32_t X, int32_t Y, int32_t R, const TPixel96& Rim, const TPixel96& Centre);
  void DrawLine(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, const TPixel96& Color);
  void DrawLineAdd(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, const TPixel96& Color);
  // Equal ends are reported and draw nothing.
  void DrawGradientLine(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, const TPixel96& C1,
                        const TPixel96& C2);
  // Equal points are reported and leave the image unchanged.
  void DrawGradient(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, const TPixel96& C1,
                    const TPixel96& C2);
  void DrawGradientRadial(int32_t X, int32_t Y, int32_t RX, int32_t RY, const TPixel96& C1,
                          const TPixel96& C2);
  void DrawGradientBorder(int32_t BorderWidth, const TPixel96& C1, const TPixel96& C2);
  void DrawBitmap(int32_t X, int32_t Y, TRawBitmap& Mask, const TPixel96& Dark,
                  const TPixel96& Light);
  // Color with the text's coverage as alpha; Align 2 centres on X. Y is the
  // vertical centre of the line.
  void DrawText(int32_t X, int32_t Y, const std::string& Text, int32_t FontSize,
                uint32_t Style, const TPixel96& Color, int32_t Align);
  void DrawHexBitmap(int32_t X, int32_t Y, int32_t BytesPerRow, const std::string& Text,
                     const TPixel96& Color);
  void DrawHexGlyph(int32_t X, int32_t Y, int32_t GlyphWidth, const std::string& Text,
                    const TPixel96& Color);
  void DrawImageMax(int32_t X, int32_t Y, const TImage96& Src);
  void DrawImageMin(int32_t X, int32_t Y, const TImage96& Src);
  void DrawImageAdd(int32_t X, int32_t Y, const TImage96& Src);
  void DrawImageBlended(int32_t X, int32_t Y, const TImage96& Src);
  void DrawImageMultiplied(int32_t X, int32_t Y, const TImage96& Src);
  void DrawImageBlendedAdd(const TImage96& Src);
  void DrawOutline(const TPixel96& Color);
};

// Dst.c = round((B.c x Weight + A.c) x Scale) + Offset, clamped, for R, G,
// B over the pixels all three images hold.
void Image96AddScaled(const TImage96& A, const TImage96& B, TImage96& Dst, int32_t Offset,
                      float Weight, float Scale);
// Dst.c = A.c x 32767 / (B.c / 2 + Bias), clamped; Bias below 1 counts
// as 1.
void Image96Divide(const TImage96& A, const TImage96& B, TImage96& Dst, int32_t Bias);
void RGBtoHSV96(int32_t R, int32_t G, int32_t B, int32_t& H, int32_t& S, int32_t& V);
void HSVtoRGB96(int32_t H, int32_t S, int32_t V, int32_t& R, int32_t& G, int32_t& B);

// The mixes of the drawing; Extra of the result is 0.
TPixel96 BlendPixel96(const TPixel96& P, const TPixel96& Q, int32_t W);
TPixel96 BlendPixel96Over(const TPixel96& D, const TPixel96& S);
TPixel96 MultiplyPixel96(const TPixel96& D, const TPixel96& S);

TPixel96 MakePixel96(int32_t R, int32_t G, int32_t B, int32_t A);
// Bytes widen by << 8; a TColor gives alpha 0 unless $FF000000 is added.
TPixel96 ColorToPixel96(uint32_t Color);
TColor Pixel96ToColor(const TPixel96& P);
// "R: 65535; G: 0; B: 0; A: 65535"
std::string Pixel96ToText(const TPixel96& P);

}  // namespace kromel
