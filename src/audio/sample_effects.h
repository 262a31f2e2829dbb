// Small effects that work in place on one buffer: gain and clipping,
// waveshapers, one-pole filters, derivative and integral, tremolo, fades
// and level conversions. Integer amounts are fixed point: /256 has 256 as
// unity, /32768 has 32768. Filters with a Reset flag keep their state only
// within one call and always start it at 0.
#pragma once
#include <cstdint>

#include "audio/stereo_sample.h"
#include "images/sample.h"

namespace kromel {

// Gain and clipping.
void Gain16(TSample16& S, int32_t Amount);  // /256
void GainClip32(TSample32& S, int32_t Amount);
void GainClip32F(TSample32& S, float Gain);
void Clip32(TSample32& S);
void ClipStereo32(TStereoSample32& S);
void ClipBlend32(TSample32& S, int32_t Amount);
void ClipResidue32(TSample32& S, int32_t Amount);
void DropClip06(TSample32& S, int32_t Amount);
void DropClip08(TSample32& S, int32_t Amount);
void SplitPolarity32(TSample32& S);

// Waveshapers.
void SineShape16(TSample16& S, int32_t Amount);
void SineShape32(TSample32& S, int32_t Amount);
void SineSquareShape32(TSample32& S, int32_t Amount);
void AtanShape32(TSample32& S, int32_t Amount);
void AtanBlend32(TSample32& S, float Drive);
void LogShape32(TSample32& S, float Drive);
void SoftClip32(TSample32& S, int32_t Amount, bool Reset);
void PowerShape32(TSample32& S, int32_t Amount, bool Reset);

// One-pole filters; Control (may be null) gives the coefficient of each
// sample it holds. Integer coefficients are kept to 0..32768.
void LowPass16(TSample16& S, int32_t Amount, const TSample16* Control, bool Reset);
void HighPass16(TSample16& S, int32_t Amount, const TSample16* Control, bool Reset);
void LowPass32(TSample32& S, int32_t Amount, const TSample32* Control, bool Reset);
void HighPass32(TSample32& S, int32_t Amount, const TSample32* Control, bool Reset);
// Moving average of Window samples split into low and high parts.
void SplitToneFilter16(TSample16& S, int32_t Window, int32_t HighGain, int32_t LowGain);
void Smooth3(TSample32& S);
void Derivative16(TSample16& S);
void Derivative32(TSample32& S);
void Integrate16(TSample16& S);
void Integrate32(TSample32& S);
// Rate/25.5 Hz, Depth /255; Pos is the position of sample 0.
void Tremolo32(TSample32& S, int32_t Pos, int32_t Depth, int32_t Rate);
void AddHarmonics16(TSample16& S);
// Linear fade over the first and last 500 samples (buffers above 500).
void FadeEdges500(TSample32& S);
void NormalizeStereo32(TStereoSample32& S);

// Buffer utilities. The appends grow the buffer by N zero samples (it must
// own its samples); False without memory.
bool AppendSilence16(TSample16& S, int32_t N);
bool AppendSilence32(TSample32& S, int32_t N);
// Frames From..From+N-1 of both channels = 0, within the buffer.
void ClearFramesStereo32(TStereoSample32& S, int32_t N, int32_t From);
float LinearToDB(float V);
double Sample16ToDB(int32_t V);
double DBToLinear(int32_t DB);

}  // namespace kromel
