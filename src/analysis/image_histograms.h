// Image statistics: histograms of a TImage32 into TSample32 buffers, their
// histogram pictures, and average colours. A pixel counts when its alpha is
// not 0. Every calculator clears its outputs first; a buffer indexed by a
// byte (0..255 key) must hold at least 256 values and a colour row at least
// 256 pixels, otherwise the calculator leaves everything alone.
#pragma once
#include <cstdint>

#include "images/image32.h"
#include "images/image64.h"
#include "images/sample.h"
#include "platform/raw_bitmap.h"

namespace kromel {

// Hue on a 256-step wheel: red 43, green 128, blue 213, magenta 0; -1 for a
// grey (max = min).
int32_t HueByte(int32_t R, int32_t G, int32_t B);
// (10G + 4R + 2B) >> 4.
inline int32_t HistogramLuma(int32_t R, int32_t G, int32_t B) {
  return (10 * G + 4 * R + 2 * B) >> 4;
}

// Luma and R/G/B histograms shaped for display. LumaMode 0..2: luma
// (35R + 50G + 15B) / 100 and the raw bytes; 3, 4: the maximum (4
// bent) and the channels seen against it; 5, 6: the minimum (6 squared) and
// the channels above it. Luma may be null.
void CalcImageHistograms(const TImage32& Image, TSample32* Luma, TSample32& R, TSample32& G,
                         TSample32& B, uint8_t LumaMode);
// max - min of R, G, B.
void CalcChromaRangeHistogram(const TImage32& Image, TSample32& Histogram);
void CalcRedHistogram(const TImage32& Image, TSample32& Histogram);
// The colour row (TImage64, 256 pixels or more) ends up holding each bin's
// mean colour in red, green, blue and the pixels counted in alpha (<= 255).
void CalcHueHistogramColored(const TImage32& Image, TImage64& ColorRow, TSample32& Histogram);
void CalcChromaByLumaColored(const TImage32& Image, TImage64& ColorRow, TSample32& Histogram);
void CalcLumaHistogramColored(const TImage32& Image, TImage64& ColorRow, TSample32& Histogram);

// Lightness histogram and mean chroma per lightness bin in the current colour
// model; ColorTable (L, a, b Singles for every colour blue + 256 green +
// 65536 red) replaces the model when given. ChromaByL must hold as many
// values as Lightness. Negative lightness counts in bin 0.
void CalcLightnessChromaDistribution(const TImage32& Image, TSample32& Lightness,
                                     TSample32& ChromaByL, const float* ColorTable);
// The same plus a chroma histogram over 0..130 (beyond piles into the last
// bin); Clip limits lightness and chroma-by-lightness to n/64.
void CalcLightnessChromaHistograms(const TImage32& Image, TSample32& Lightness,
                                   TSample32& ChromaByL, TSample32& Chroma, bool Clip);
// Histograms of the current model's three components over the pixels whose
// lightness lies within Margin .. 100 - Margin.
void CalcLABHistograms(const TImage32& Image, TSample32& L, TSample32& A, TSample32& B,
                       int32_t Margin, bool Clip);
// As CalcLightnessChromaDistribution from the packed 8-bit Lab of
// RGBtoLABColor (256-value buffers), both clipped to n/32.
void CalcHueDistribution(const TImage32& Image, TSample32& Lightness, TSample32& ChromaByL);
// Clears the three and reports "BuildLABHistogram not implemented".
void BuildLABHistogram(const TImage32& Image, TSample32& L, TSample32& A, TSample32& B);

// Grey bars (0x505050 on 0x282828 unless KeepBackground) on the bitmap's
// canvas, one per column 1 .. W - 2.
void DrawDistributionCurve(const TSample32& Histogram, TRawBitmap& Bitmap, bool KeepBackground);
// The three histograms into the three channels, bars fading downwards; grid
// of five dotted columns; markers (levels 0..255, -1 for none) as dotted
// columns of 255 in their own channel.
void DrawRGBHistogram(const TSample32& R, const TSample32& G, const TSample32& B, TImage32& Image,
                      bool Grid, int32_t MarkerR, int32_t MarkerG, int32_t MarkerB);
void DrawLHistogram(const TSample32& Histogram, TImage32& Image, bool Grid, int32_t Marker);
// Solid bars in each bin's mean colour from the colour row; seven grid lines.
void DrawLHistogram64(const TSample32& Histogram, TImage32& Image, const TImageHeader64& ColorRow,
                      bool Grid, int32_t Marker);

// Mean colour (TColor, red lowest) of the pixels whose 2 x 2 block is opaque
// at both diagonal ends, with the darkest and brightest block means (by luma,
// or per channel). Nothing counted: 0, darkest 0xFFFFFF, brightest 0.
TColor CalcAverageColor(const TImage32& Image, TColor& Darkest, TColor& Brightest, bool ByLuma);
// Mean colour of the mid-tone pixels (R + G + B within 128..512) whose
// saturation (max - min)/max is at most Limit/255; 0 when none.
TColor CalcNeutralAverageColor(const TImage32& Image, int32_t Limit);

}  // namespace kromel
