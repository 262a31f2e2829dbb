// TImage64: the 16-bit image over TPixel64 (red, green, blue, alpha). It
// owns its pixels like TImage32 (TImageBuffer); bands are TImageView64.
// 8-bit values widen by x257 from a TImage32 and by << 8 from a bitmap;
// 16-bit values narrow to their high byte. Drawing is in image64_draw.h.
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

template <>
inline constexpr const char* ImageTypeName<TPixel64> = "TImage64";
using TImageView64 = TImageView<TPixel64>;

struct TImage64 : TImageBuffer<TImageHeader<TPixel64>> {
  // Alloc under the name the callers use.
  void SetSize(int32_t NewWidth, int32_t NewHeight) { Alloc(NewWidth, NewHeight); }
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

  // Display fitting, smoothing and blur (image64_fit.cpp). The fits size
  // Target to W x H, centre the picture on the background keeping its
  // aspect ratio and set Target's margins; a source or target side below 2
  // clears Target instead. The unnamed integer is not used.
  void DrawFittedToImage64(TImage64& Target, int32_t W, int32_t H, int32_t, uint8_t Grey) const;
  void DrawFittedToImage32(TImage32& Target, int32_t W, int32_t H, int32_t,
                           TColor Background) const;
  // Each target pixel the 8-bit average of a block of source pixels.
  void DrawFittedToImage32Averaged(TImage32& Target, int32_t W, int32_t H, int32_t,
                                   TColor Background) const;
  void DrawFittedToBitmap(TRawBitmap& Bitmap, int32_t W, int32_t H, int32_t, uint8_t Grey) const;
  void ShowResized(TCanvas* Canvas, int32_t W, int32_t H) const;
  // One-pole smoothing forwards and backwards along rows, then columns.
  void SmoothRecursive(float Factor);
  void GaussianBlur(float Radius);
  // Convolve columns / rows with an odd, symmetric kernel summing to 1;
  // edge pixels repeat, results saturate at 0 and 65535.
  void ConvoluteVerticalNormalized(const TSample32& Kernel);
  void ConvoluteHorizontalNormalized(const TSample32& Kernel);
  void DoNothing() {}

  // Geometry (image64_geometry.cpp). A failed allocation keeps the image.
  void RotateRight();
  void RotateLeft();
  void FlipVertical();
  void FlipHorizontal();
  // The right half becomes the mirror image of the left half.
  void MirrorLeftToRight();
  // BottomRight exclusive; corners clamped into the image. Dst may be this
  // image; its margins become 0.
  void CropTo(TImage64& Dst, TPoint TopLeft, TPoint BottomRight) const;
  void CropToImage32(TImage32& Dst, TPoint TopLeft, TPoint BottomRight) const;
  // Bounding box of the pixels with alpha, Right and Bottom inclusive;
  // all -1 when there is none.
  TRect GetContentRect() const;
  // Box-averages Src into the rectangle TopLeft..BottomRight (exclusive),
  // fills the rest with Background and records the margins.
  void StretchDrawAveraged(TPoint TopLeft, TPoint BottomRight, const TImage64& Src,
                           const TPixel64& Background);
  // The same with R, G, B averaged and alpha 65535.
  void StretchDrawAveragedOpaque(TPoint TopLeft, TPoint BottomRight, const TImage64& Src,
                                 const TPixel64& Background);
  // Level^3 x Level^3 identity colour table (blue outermost, red fastest);
  // Level 2..35, else reported and False.
  bool MakeHaldIdentity(int32_t Level);
  bool IsEmpty() const { return Pixels == nullptr || Size <= 0; }
  void Show(TCanvas* Canvas) const;

  // Raw import of Width x Height interleaved pixels: R, G, B then, with
  // HasAlpha (or Extra 1), one element that is skipped. Alpha becomes
  // 65535. Floats saturate to 0..1 and the input is never written.
  bool CopyFromRawBytes(const uint8_t* Data, int32_t NewWidth, int32_t NewHeight, bool HasAlpha);
  bool CopyFromRawWords(const uint16_t* Data, int32_t NewWidth, int32_t NewHeight, bool HasAlpha);
  bool CopyFromRawFloat(const float* Data, int32_t NewWidth, int32_t NewHeight, uint8_t Extra);

  void SwapRedBlue();

  // Analysis (image64_geometry.cpp).
  // Average of the window with alpha > 16384 (else of every pixel) and the
  // spread of the opaque pixels in thousandths (-1 when not measured).
  void GetAverageColor(int32_t X, int32_t Y, int32_t Radius, TPixel64& Avg,
                       int32_t& Spread) const;
  // R, G, B of Avg = average of the Count darkest (brightest) pixels with
  // alpha >= 32768 by R + G + B; 0 when none. Avg.A is not written.
  void GetDarkestAverage(TPixel64& Avg, int32_t Count) const;
  void GetBrightestAverage(TPixel64& Avg, int32_t Count) const;
  int32_t CountDistinctLevels() const;
  std::string GetCentralPixelText() const;

  // Filters and resampling (image64_draw.cpp).
  void Smooth121();
  void UpSample2x();
  void DownSample2x();

  // Depth-buffered shapes (image64_depth.cpp): alpha is the depth, 0
  // nearest; a pixel is written only where the shape is strictly nearer.
  void FillCircleDepth(int32_t X, int32_t Y, int32_t Radius, const TPixel64& Color);
  // A shaded ball with its highlight towards the upper left; Color.A is the
  // depth at the highlight, DepthScale added towards the far side.
  void DrawSphereDepth(int32_t X, int32_t Y, int32_t Radius, int32_t DepthScale, int32_t Shine,
                       const TPixel64& Color);
  // Colour and depth interpolated from the three corners; clipped.
  void FillTriangleDepth(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t X3, int32_t Y3,
                         const TPixel64& C1, const TPixel64& C2, const TPixel64& C3);

  // Alpha, channel and mask operations (image64_pixel_ops.cpp).
  void SetAlpha(int32_t Value);
  void ScaleAlpha(float Factor);
  void FillAlphaRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t Value);
  void AlphaToGray();
  void AlphaToRGB();
  void AlphaToGreen();
  void MultiplyByAlpha(int32_t Gain);
  void SqrtAlpha();
  void CopyAlphaFrom(const TImage64& Src);
  void FillColorKeepAlpha(const TPixel64& Color);
  void RedToGray();
  void GreenToGray();
  void BlueToGray();
  void MaxRGBToGray();
  void FillRed(int32_t Value);
  void FillGreen(int32_t Value);
  void AbsFromMid();
  void RedAbsFromMid();
  void Threshold(int32_t Level);
  void ScaleRGB(int32_t Factor);
  void InverseSquareCurve();
  void AddNoise(int32_t Amount);
  void DilateGray();
  void RemoveSmallPoints(int32_t Distance);
  void AddRampFrom(const TImage64& Src, int32_t ZeroLevel, int32_t FullLevel, int32_t Amount);
};

// Dst.c = round((B.c x WeightB + A.c) x Scale) + Offset, clamped, for R, G,
// B over the pixels all three images hold; Dst may be A or B.
void Image64AddScaled(const TImage64& A, const TImage64& B, TImage64& Dst, float WeightB,
                      float Scale, int32_t Offset);
// Dst.c = A.c x 32767 / (B.c / 2 + Bias), clamped; Bias below 1 counts
// as 1.
void Image64Divide(const TImage64& A, const TImage64& B, TImage64& Dst, int32_t Bias);

// The mixes of the drawing; W is 0 (A) .. 256 (B).
void BlendPixel64(TPixel64& Result, const TPixel64& A, const TPixel64& B, int32_t W);
void BlendPixel64Over(TPixel64& Result, const TPixel64& Dst, const TPixel64& Src);
void MultiplyPixel64(TPixel64& Result, const TPixel64& Dst, const TPixel64& Src);

// "R: 65535; G: 0; B: 0; A: 65535"
std::string Pixel64ToText(const TPixel64& P);

// In-place expanders of a decoder's buffer into Count TPixel64 (alpha
// 65535); Buffer must have room for Count x 8 bytes.
void ExpandGray16ToPixel64(void* Buffer, int64_t Count);
void ExpandRGB48ToPixel64(void* Buffer, int64_t Count);
void ExpandLow5BitsToPixel64(void* Buffer, int64_t Count);

// Single pixels. A TColor holds red lowest; a BGRA value blue lowest.
void ColorToPixel64(TPixel64& P, uint32_t Color);
TColor Pixel64ToColor(const TPixel64& P);
uint32_t Pixel64ToPixel32(const TPixel64& P);
void SwapPixels64(TPixel64& P1, TPixel64& P2);
int32_t Pixel64LumaLevel(const TPixel64& P);
// "R:65535 G:0 B:0"
std::string Pixel64ToRGBText(const TPixel64& P);
// All on the 0..65535 scale; hue 65535 is a full turn.
void RGBtoHSV64(uint16_t R, uint16_t G, uint16_t B, uint16_t& H, uint16_t& S, uint16_t& V);
void HSVtoRGB64(uint16_t H, uint16_t S, uint16_t V, uint16_t& R, uint16_t& G, uint16_t& B);
void Pixel64Gamma(TPixel64& Dst, const TPixel64& Src, float Gamma);
void Pixel64OffsetGamma(TPixel64& Dst, const TPixel64& Src, int32_t Offset, float Gamma);

}  // namespace kromel
