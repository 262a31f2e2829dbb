// Sample-side processing of marker-driven tools: beat onsets, zero-crossing
// snapping, loop-point matching and the period stabiliser.
#pragma once
#include <cstdint>
#include <vector>

#include "images/sample.h"

namespace kromel {

// An automatic beat marker: its sample position and strength.
struct TBeatOnset {
  int64_t Time = 0;
  float Strength = 0;
};

// Onsets of a 300..6000 Hz band whose level rises by RiseDB above
// -|ThresholdDB| after more than HoldCount samples quieter than QuietDB, at
// least MinDistanceMs (and 1536 samples) apart; with UpdateLast a stronger
// rise within that distance moves the last onset. Times are snapped back to
// a zero crossing.
std::vector<TBeatOnset> DetectBeatOnsets(const TSample32& Channel, bool UpdateLast, int32_t HoldCount,
                                         int32_t MinDistanceMs, float ThresholdDB, float RiseDB, float QuietDB);
// Moves Time back (at most 428 samples) onto a sign change.
int64_t SnapBackToZeroCrossing(const TSample32& Channel, int64_t Time);

// Moves LoopEnd within +-Range to where the 2 Window + 1 samples around it
// best match those around LoopStart. Bad points are reported and kept.
void AdjustLoopEnd(const TSample32& Sample, int32_t& LoopStart, int32_t& LoopEnd, int32_t Window, int32_t Range);
// The same, moving LoopStart.
void AdjustLoopStart(const TSample32& Sample, int32_t& LoopStart, int32_t& LoopEnd, int32_t Range, int32_t Window);
// The nearest sign change within Range, looking back first at each distance.
void SnapToZeroCrossing(const TSample32& Sample, int32_t& Pos, int32_t Range);
// Resamples a periodic sound so that every period lasts rate/Frequency
// samples; prints "Max deviation: " and the largest period error in percent.
void StabilizeSamplePeriod(TSample32& Sample, float Frequency);

}  // namespace kromel
