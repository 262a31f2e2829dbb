// Level measures built on a running RMS over a fixed window of W samples
// (the divisor stays W while the window fills; stereo frames add both
// channels' squares), and the duration and stereo-position measures.
// Buffers without data measure 0 unless stated.
#pragma once
#include <cstdint>

#include "audio/stereo_sample.h"
#include "audio/surround_sample.h"
#include "images/sample.h"

namespace kromel {

struct TWave;

// Largest windowed RMS, W = 200.
float SampleMaxLevel(TSample32 Sample);
float StereoMaxLevel(TStereoSample32 Sample);
// Mean windowed RMS (W = 200) over the frames.
float StereoMeanLevel(TStereoSample32 Sample);
// First frame whose windowed RMS (W = 200) exceeds Threshold; 0 when none.
int32_t StereoFirstLoudFrame(const TStereoSample32& Sample, float Threshold);
// SampleMaxLevel of a copy high-passed at Freq.
float SampleMaxLevelHighPassed(TSample32 Sample, int32_t Freq);
// Smallest full-window RMS (W = 1000) from position 1000 on; -1 when
// Count <= 1000.
float SampleMinLevel(const TSample32& Sample);
// StereoMaxLevel or SampleMaxLevel for the record's mode.
float WaveMaxLevel(const TWave& Wave);
float SurroundMaxLevel(TSurroundSample32 Sample);
float SurroundMaxLevelHighPassed(TSurroundSample32 Sample, int32_t Freq);

// With W = 10000: the last position louder than ThresholdDB plus 1024 (may
// lie past the end; 0 when never louder) ...
int64_t FindSoundEnd(const TSample32& Sample, float ThresholdDB);
// ... and the first position from 10000 on quieter than it plus 1024
// (Count when none).
int64_t FindFirstQuietPoint(const TSample32& Sample, float ThresholdDB);
// The later of the two channels' ends for a stereo record.
int64_t FindWaveSoundEnd(const TWave& Wave, float ThresholdDB);
// Channels 0 means all channels.
int64_t FindSurroundSoundEnd(const TSurroundSample32& Sample, int32_t Channels, float ThresholdDB);

// 1/L for a steady sound of envelope Peak lasting L seconds.
float SampleInverseDuration(const TSample32& Sample, float Peak);
// Of the mono channel, or of the left one of a stereo record.
float WaveInverseDuration(const TWave& Wave, float Peak);
// Effective length in milliseconds of Source band-limited into Dest (which
// must have room for Source).
float SampleEffectiveLength(const TSample32& Source, TSample32& Dest, int32_t HighPassFreq,
                            int32_t LowPassFreq);
// RMS distance of the loud frames' pan (-1 left, 0 centre, +1 right) from
// Target.
float StereoPositionDeviation(TStereoSample32 Sample, float Target);
float SurroundPositionDeviation(TSurroundSample32 Sample, float Target);

}  // namespace kromel
