// Marker lists from and for sounds: automatic beat markers, snapping,
// note-split markers, and cutting a record into parts at its markers and
// joining them back.
#pragma once
#include <cstdint>

#include "audio/multi_wave.h"
#include "audio/surround_sample.h"
#include "audio/wave_markers.h"
#include "audio/wave_record.h"

namespace kromel {

// Replaces the list's automatic beat markers with the onsets of Channel
// (DetectBeatOnsets), each valued by its strength.
void DetectAutoBeatMarkers(const TSample32& Channel, TWaveMarkersList& Markers, bool UpdateLast,
                           int32_t HoldCount, int32_t MinDistanceMs, float ThresholdDB,
                           float RiseDB, float QuietDB);
// Of the mono or the left channel, always updating the last marker.
void DetectWaveBeatMarkers(const TWave& Wave, TWaveMarkersList& Markers, int32_t HoldCount,
                           int32_t MinDistanceMs, float ThresholdDB, float RiseDB, float QuietDB);
// Of channel 0; a sound without channels only loses its beat markers.
void DetectSurroundBeatMarkers(const TSurroundSample32& Sample, TWaveMarkersList& Markers,
                               bool UpdateLast, int32_t HoldCount, int32_t MinDistanceMs,
                               float ThresholdDB, float RiseDB, float QuietDB);

// Generic, beat and note-split markers inside the sound move back (at most
// 428 samples) onto a sign change ...
void SnapMarkersToZeroCrossing(const TSample32& Channel, TWaveMarkersList& Markers);
// ... or onto the loudest sample within +-Radius (the first on ties), when
// that is not silent.
void SnapMarkersToPeak(const TSample32& Channel, TWaveMarkersList& Markers, int32_t Radius);
// A note-split marker valued Sample[i] wherever Sample[i] differs from
// Sample[i - 1].
void AddMarkersAtChanges(const TSample32& Sample, TWaveMarkersList& Markers);

// Dest = copies of Source's stretches between markers, taken in list order
// (sort first): part 0 up to the first marker, the last part to the end.
// A marker before the previous one or past the end gives an empty part;
// the last of the 351 parts takes whatever remains. False when memory ran
// out (Dest then empty).
bool SplitWaveAtMarkers(const TWave& Source, TMultiWave& Dest, const TWaveMarkersList& Markers);
// Dest = the parts one after another (stereo when any part is), at part
// 0's rate; Markers = a generic marker named after each non-empty part
// where it starts. False when memory ran out.
bool JoinWaveParts(TWave& Dest, const TMultiWave& Source, TWaveMarkersList& Markers);

}  // namespace kromel
