// Sample-rate conversion and speed change of float sample buffers. The
// caller allocates every destination; Dest.Count on entry is the room there
// is, and no routine writes past it.
#pragma once
#include "audio/stereo_sample.h"
#include "images/sample.h"

namespace kromel {

// Converts Source to Dest.SampleRate: 4x linear interpolation, a zero-phase
// sixth-order Butterworth low-pass, linear read-out (and the same low-pass
// again when upsampling). Dest.Count becomes
// round(Dest.SampleRate x Count / Source.SampleRate) + 1; a destination
// without that room is reported and left alone. A source rate below 10 is
// reported and copied unchanged.
void ResampleSample32(const TSample32& Source, TSample32& Dest);

// Plays Source Speed times faster into Dest by linear interpolation, then
// up to three zeros; Dest.Count becomes what was written. Speed 1 copies;
// Speed above 20, at or below 0, or NaN changes nothing. Source and Dest
// may share memory only when Speed >= 1.
void ChangeSampleSpeed32(const TSample32& Source, TSample32& Dest, float Speed);
void ChangeStereoSampleSpeed32(const TStereoSample32& Source, TStereoSample32& Dest, float Speed);

}  // namespace kromel
