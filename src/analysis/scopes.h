// Video-style scopes of a TImage32: the waveform (overlay or RGB parade)
// with its percentage scale, the vectorscope (classic colour-difference
// disc, or the RGB cube turned about the neutral axis), marks of picked
// colours, the LUT curve view, ramps, a colour strip sorted by hue or luma,
// and the 5 x 5 glyphs the scopes label themselves with. Targets are sized
// by the caller and never reallocated; every write is clipped to them.
#pragma once
#include <cstdint>

#include "images/image32.h"
#include "images/image64.h"
#include "platform/raw_bitmap.h"

namespace kromel {

// Video colour differences (Rec. 601 weights enlarged by 1.07) and luma;
// EqualWeights gives every channel 0.28633046 (white reaches 219).
struct TVideoYUV {
  float Y, U, V;
};
TVideoYUV VideoYUV(double R, double G, double B, bool EqualWeights);
// Where a colour lies on a W x H vectorscope (not limited to it): mode 0 U
// across and V upwards times Gain, otherwise U and V turned by Angle across
// and luma upwards.
TPoint VectorscopePosition(const TVideoYUV& C, int32_t W, int32_t H, int32_t Mode, double Gain,
                           double Angle);

// One glyph of "1245680BCGLMRXY%" anchored at (X, Y), the anchor held within
// 2 .. W - 2 and 2 .. H - 3; Colour is the whole pixel value written.
void Image_DrawLetter(TImage32& Image, char Glyph, int32_t X, int32_t Y, uint32_t Colour);
inline void Image_DrawLetter0(TImage32& I, int32_t X, int32_t Y, uint32_t C) { Image_DrawLetter(I, '0', X, Y, C); }
inline void Image_DrawLetter1(TImage32& I, int32_t X, int32_t Y, uint32_t C) { Image_DrawLetter(I, '1', X, Y, C); }
inline void Image_DrawLetter2(TImage32& I, int32_t X, int32_t Y, uint32_t C) { Image_DrawLetter(I, '2', X, Y, C); }
inline void Image_DrawLetter4(TImage32& I, int32_t X, int32_t Y, uint32_t C) { Image_DrawLetter(I, '4', X, Y, C); }
inline void Image_DrawLetter5(TImage32& I, int32_t X, int32_t Y, uint32_t C) { Image_DrawLetter(I, '5', X, Y, C); }
inline void Image_DrawLetter6(TImage32& I, int32_t X, int32_t Y, uint32_t C) { Image_DrawLetter(I, '6', X, Y, C); }
inline void Image_DrawLetter8(TImage32& I, int32_t X, int32_t Y, uint32_t C) { Image_DrawLetter(I, '8', X, Y, C); }
inline void Image_DrawLetterB(TImage32& I, int32_t X, int32_t Y, uint32_t C) { Image_DrawLetter(I, 'B', X, Y, C); }
inline void Image_DrawLetterC(TImage32& I, int32_t X, int32_t Y, uint32_t C) { Image_DrawLetter(I, 'C', X, Y, C); }
inline void Image_DrawLetterG(TImage32& I, int32_t X, int32_t Y, uint32_t C) { Image_DrawLetter(I, 'G', X, Y, C); }
inline void Image_DrawLetterL(TImage32& I, int32_t X, int32_t Y, uint32_t C) { Image_DrawLetter(I, 'L', X, Y, C); }
inline void Image_DrawLetterM(TImage32& I, int32_t X, int32_t Y, uint32_t C) { Image_DrawLetter(I, 'M', X, Y, C); }
inline void Image_DrawLetterR(TImage32& I, int32_t X, int32_t Y, uint32_t C) { Image_DrawLetter(I, 'R', X, Y, C); }
inline void Image_DrawLetterX(TImage32& I, int32_t X, int32_t Y, uint32_t C) { Image_DrawLetter(I, 'X', X, Y, C); }
inline void Image_DrawLetterY(TImage32& I, int32_t X, int32_t Y, uint32_t C) { Image_DrawLetter(I, 'Y', X, Y, C); }
inline void Image_DrawLetterPercent(TImage32& I, int32_t X, int32_t Y, uint32_t C) { Image_DrawLetter(I, '%', X, Y, C); }

// Dotted level lines (0 %, 100 %, 10-bit legal range, 20 .. 80 %) and their
// labels, left of column 22.
void DrawWaveformScale(TImage32& Image);
// Red, green and blue levels of every source column (alpha above 128), each
// channel rescaled to 63..254; WithScale keeps 26 columns for the labels.
void BuildWaveform(const TImage32& Source, TImage32& Target, bool WithScale);
// The three channels side by side, each in its own third.
void BuildWaveformParade(const TImage32& Source, TImage32& Target, bool WithScale);

// Mode 0: U across, V upwards, times Gain; otherwise the cube view turned by
// Angle (radians) with luma upwards. Each point shows the mean colour of the
// pixels that landed there, brighter the more they are.
void BuildVectorscope(const TImage32& Source, TImage32& Target, int32_t Mode, bool EqualWeights,
                      float Gain, float Angle);
// The same for a 16-bit source, read on the 8-bit scale (value / 257).
void BuildVectorscope64(const TImage64& Source, TImage32& Target, int32_t Mode,
                        bool EqualWeights, float Gain, float Angle);
// A small plus in MarkColour (TColor) on the bitmap where the colour lies on
// the vectorscope of the bitmap's size.
void VectorscopeDrawMark(TRawBitmap& Bitmap, int32_t Mode, int32_t R, int32_t G, int32_t B,
                         TColor MarkColour, float Gain, float Angle);

// The channels of the ramp's first row plotted as curves of value Level
// into the same channels of the target (up to 256 x 258 pixels, centred
// across); Clear empties it first, with Grid a quarter grid and a marker
// column at the brightest byte of Colour.
void BuildCurveImage(const TImage32& Ramp, TImage32& Target, bool Clear, bool Grid, int32_t Level,
                     uint32_t Colour);
// First row: black to Colour (BGRA) brought to full brightness. Reports
// "FillGradient size error" for a width other than 256 and goes on.
void FillGradient(TImage32& Ramp, uint32_t Colour);
// First row: the opposite of the saturated colour to the saturated colour.
void FillGradientTwoColors(TImage32& Ramp, uint32_t Colour);
// Samples the source inside its margins along one row, sorts the samples by
// hue or luma (the key left in the alpha bytes) and repeats the row.
void BuildSortedColorStrip(const TImage32& Source, TImage32& Target, bool ByHue);

}  // namespace kromel
