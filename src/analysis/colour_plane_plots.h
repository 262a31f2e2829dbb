// Colour-plane views of the current colour model: backgrounds painting the
// a/b plane or lightness against a rotated axis, plots scattering an
// image's pixels into a plane as a density in the alpha channel, density
// stretching and shading, and the diamond images behind the 2D curves.
//
// Plane coordinates of a W x H background: a = x/W 200 - 100 (left -100),
// b = (1 - y/H) 200 - 100 (top +100). The outer two pixels are a grey
// frame; with FrameOnly the interior more than 15 pixels from every edge
// is grey too. Every coordinate is limited to the target before writing.
#pragma once
#include <cstdint>

#include "colour/colour_types.h"
#include "images/image32.h"
#include "images/image64.h"
#include "images/image96.h"
#include "platform/raw_bitmap.h"

namespace kromel {

class T3DLut;

// Through ModelToRGBProc at the given lightness; in the HSP Itten model the
// rows run from lightness 70 at the top towards 20 instead.
// 32-bit: colour with the lowest bit of each channel cleared, grey 0x606060.
void FillColorPlaneBackground(TImage32& Image, float Lightness, bool FrameOnly);
// 16-bit words, grey 0x6000; alpha (and the extra value) untouched.
void FillColorPlaneBackgroundImage64(TImage64& Image, float Lightness, bool FrameOnly);
void FillColorPlaneBackground64(TImage96& Image, float Lightness, bool FrameOnly);

// Dotted cross through the centre: each colour word v becomes 3v/4 + 0x3FFF.
void DrawCenterCross(TImage64& Image);
void DrawCenterCross64(TImage96& Image);

// Lightness (100 at the top) against the axis pair rotated by Angle
// (radians) and divided by Scale, at half strength over dark grey.
// Images of different sizes are reported and left as they were.
void DrawABLDistribution(TImage32& ImageAL, TImage32& ImageBL, float Angle, float Scale,
                         bool FrameOnly);

// Plots: every opaque source pixel that passes the routine's test adds 1 to
// the density (alpha) of the cell (round(a Sx + Cx), round(-b Sy + Cy)),
// x limited to 0..W - 2 and y to 0..H - 1; a full density stays.
// Jittered colour; skips near black and near white; Contrast != 0 takes the
// contrast curve (strength 5 Contrast) off first.
void PlotColorDistribution(const TImage32& Source, TImage32& Plane, float CenterX, float CenterY,
                           float ScaleX, float ScaleY, float Contrast);
// Chromatic pixels (|a| + |b| >= 2) into the highlights plane when L > Split,
// else into the shadows plane; the planes must be of one size.
void PlotColorDistributionPair(const TImage32& Source, TImage32& Highlights, TImage32& Shadows,
                               float CenterX, float CenterY, float ScaleX, float ScaleY,
                               float Split);
// Chromatic pixels with LMin <= L <= LMax, jittered, into the alpha word.
void PlotHueDistribution(const TImage32& Source, TImage64& Plane, float LMin, float LMax,
                         float CenterX, float CenterY, float ScaleX, float ScaleY);
// As PlotHueDistribution without jitter, (L, a, b) from Table (indexed by
// blue + 256 green + 65536 red) when given; each cell's extra value ends as
// the mean of round(L) over the pixels it counted.
void PlotColorDistributionLUT(const TImage32& Source, TImage96& Plane, const TLABRec* Table,
                              float LMin, float LMax, float CenterX, float CenterY, float ScaleX,
                              float ScaleY);

// Largest alpha to 255 (when between 1 and 254).
void NormalizeImage32Alpha(TImage32& Image);
// m = largest alpha word / 256; for 0 < m < 255 every non-zero alpha A
// becomes A (Low/256 + 255 + High/256) / m - Low/256, within 0..65535.
void StretchImage64Alpha(TImage64& Image, int32_t Low, int32_t High);
void StretchImage64Alpha2(TImage96& Image, int32_t Low, int32_t High);
// Density to brightness: with m the largest alpha, a pixel of alpha a > 0
// gets g = a Add/m + Offset, f = min((255 - Base) 8a/m + Base, 256), each
// channel min(255, c f/Base + g), alpha 255. A Base of 0 or below does
// nothing.
void ShadeImage32ByAlpha(TImage32& Image, int32_t Base, int32_t Add, int32_t Offset);

// The three diamond-shaped distribution images of the 2D curves ("RB", "RG",
// "GB" planes) into Bitmap1..3. Image is changed in place by Lut1 and Lut2.
void Draw2DCurvesDistributionImage(TImage32& Image, TRawBitmap& Bitmap1, TRawBitmap& Bitmap2,
                                   TRawBitmap& Bitmap3, TColor Background, const T3DLut& Lut1,
                                   const T3DLut& Lut2);

}  // namespace kromel
