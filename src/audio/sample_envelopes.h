// Gain envelopes, pre-echo, stereo width, fades, padding, loop crossfades
// and the one-sample spreads. Destinations are allocated by the caller and
// never written past their Count.
#pragma once
#include <cstdint>

#include "audio/stereo_sample.h"
#include "images/sample.h"

namespace kromel {

// Plays the start faster, gliding down to normal speed over Steps samples;
// Dest.Count becomes the samples written.
void ProcessSampleAttackGlide(const TSample32& Source, TSample32& Dest, int32_t Steps);
// A boost of Amount/60 on the first sample decaying to unity gain.
void ProcessSampleAttackBoost(const TSample32& Source, TSample32& Dest, int32_t Amount);
// Attack ramp x (decay level)^4 x swell towards Boost/128 + 1; negative
// Decay and Boost count as 0.
void ProcessSampleEnvelope(const TSample32& Source, TSample32& Dest, int32_t Decay, int32_t Boost, float Attack,
                           float Hold, float Floor);
void ProcessStereoSampleEnvelope(const TStereoSample32& Source, TStereoSample32& Dest, int32_t Decay,
                                 int32_t Boost, float Attack, float Hold, float Floor);
// Delays the sound by round(Time x 5000) samples and adds two soft copies
// of its opening in front.
void ProcessSamplePreEcho(TSample32 Sample, float Amount, float Time);
void ProcessStereoSamplePreEcho(TStereoSample32 Sample, float Amount, float Time);
void ProcessStereoWidth(TStereoSample32& Sample, float Width);

void DelaySampleBy100(TSample32& Sample);
void DelayStereoSampleBy100(TStereoSample32& Sample);
// Drops the first N samples (memory kept).
void DeleteFirstSamples(TSample32& Sample, int64_t N);
// Linear fades over N samples (at most Count - 1): the first (last) sample
// becomes exactly 0.
void FadeInSample(TSample32& Sample, int64_t N);
void FadeOutSample(TSample32& Sample, int64_t N);
// Dest = a new buffer with Source[From - Fade .. To + Fade - 1], faded at
// both ends; nothing when that range lies outside Source.
void ExtractSampleWithFades(const TSample32& Source, TSample32& Dest, int32_t From, int32_t To, int32_t Fade);
// N samples of silence at both ends (Sample takes a new buffer).
void PadSample(TSample32& Sample, int64_t N);
// The loop end becomes a copy of the loop start, blending back over Length.
void CrossfadeLoop(TSample32& Sample, int32_t LoopStart, int32_t LoopEnd, int32_t Length);
// Each sample becomes the minimum (maximum) of itself and its neighbours.
void SpreadSampleMin(TSample32& Sample);
void SpreadSampleMax(TSample32& Sample);

}  // namespace kromel
