// Marker lists from and for sounds: automatic beat markers, snapping,
// note-split markers, and cutting a record into parts at its markers and
// joining them back.
#pragma once
#include <cstdint>

#include "audio/multi_surround_wave.h"
#include "audio/multi_wave.h"
#include "audio/stereo_sample.h"
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
// The same for a multi-channel sound, except that empty stretches make no
// part, at most 350 parts are made, and the parts after the first take the
// name of the marker they start at. False when memory ran out.
bool SplitSurroundAtMarkers(const TSurroundSample32& Source, TMultiSurroundWave& Dest,
                            const TWaveMarkersList& Markers);
// Dest = the parts one after another (stereo when any part is), at part
// 0's rate; Markers = a generic marker named after each non-empty part
// where it starts. False when memory ran out.
bool JoinWaveParts(TWave& Dest, const TMultiWave& Source, TWaveMarkersList& Markers);

// Dest = the parts one after another with as many channels as the widest,
// at the multi-wave's rate; Markers as for JoinWaveParts. Reports and
// answers False when memory ran out (Dest empty, Markers unchanged).
bool MakeOriginalSurround(TSurroundSample32& Dest, const TMultiSurroundWave& Source,
                          TWaveMarkersList& Markers);

// Adds a generic "Click" marker (valued by its score, AltTime = Time) at
// each frame whose jump in both channels stands out from every jump within
// 20 frames by more than Sensitivity times the local mean level. Stops once
// the list holds more than 45000 markers; a wave of 3073 frames or fewer is
// not searched. Answers the number of markers in the list.
int32_t DetectClicks(const TWave& Wave, TWaveMarkersList& Markers, float Sensitivity);

// Dest = Source at twice the length: every segment between generic, sample
// start and beat markers (from the sample start to the sample end marker)
// plays forward, then backwards as a tail decaying faster the lower Decay
// is. DestMarkers = the segment markers at their new times and a sample end
// marker at twice the length. Dest must hold twice Source's frames in each
// channel; otherwise, or for a Decay that is not a number, it reports and
// answers False with nothing changed. Sorts SourceMarkers.
bool StretchStereoSample(const TStereoSample32& Source, TStereoSample32& Dest,
                         TWaveMarkersList& SourceMarkers, TWaveMarkersList& DestMarkers,
                         float Decay);

}  // namespace kromel
