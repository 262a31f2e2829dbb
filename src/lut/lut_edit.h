// Editing a T3DLut: node helpers, downsampling, clamping, weight-plane
// helpers, colour density, the channel-mixer fit, mask upsampling,
// tricubic reads and the byte list.
#pragma once
#include <cstdint>
#include <string>

#include "lut/lut.h"

namespace kromel {

struct TImage64;
struct TChannelMixerParams;

// Cubic node helpers (indices outside the grid are ignored).
void SetNodeCapped(T3DLut& Lut, int32_t b, int32_t g, int32_t r, float Red, float Green,
                   float Blue);
// (v, v, v, 0) with v = R[Index]; zeros for an index outside the planes.
void GetGreyPixel(const T3DLut& Lut, uint32_t Index, TRGBAPixel128& Pixel);
// Every second (third) node of a cubic LUT, in place; nothing when the
// result would have fewer than MinLutLevels levels.
void DownsampleHalf(T3DLut& Lut);
void DownsampleThird(T3DLut& Lut);
// R, G, B limited to 0..1 over all nodes (NaN stays).
void Clamp(T3DLut& Lut);
void SaturationToAlpha(T3DLut& Lut);
void MultiplyByAlpha(T3DLut& Lut);
void ClearAlpha(T3DLut& Lut);
// A divided by its largest value when that exceeds 1e-10.
void NormalizeAlpha(T3DLut& Lut);
// A = density of the image's colours over the grid, 1 at the fullest.
void AccumulateColorsToAlpha(T3DLut& Lut, const TImage64& Image);
// A 3x3 matrix (row-major, row = output channel) that approximates the
// LUT in linear light. False, with the message "Matrix optimization
// error: not enough colors found" and Matrix unchanged, when too few
// colour triples are usable.
bool FitChannelMixerMatrix(const T3DLut& Lut, double (&Matrix)[9], TImageProfile Profile,
                           float Gamma);
// The same into a channel-mixer record, offsets 0 (lut_channel_mixer.cpp).
bool FitChannelMixerMatrix(const T3DLut& Lut, TChannelMixerParams& Params, TImageProfile Profile,
                           float Gamma);
// A (2N - 1)-level mask from an N-level Source: rounded, then smoothed.
bool UpsampleMaskFrom(T3DLut& Lut, const T3DLut& Source);
float GetValueTricubicClamped(const T3DLut& Lut, const float* Plane, float pb, float pg, float pr);
// "hi, lo, " decimal byte pairs of every value * 65535, blue fastest.
void SaveToByteList(const T3DLut& Lut, std::string& Text);

}  // namespace kromel
