// Min/max reduction of a sound to pixel columns for waveform drawing, and
// the peak profile: the extremes of every 512-frame block, which lets a
// column that covers many blocks be reduced one block at a time.
//
// MinDst and MaxDst are the caller's; W, the column count, is the smaller of
// their Counts. Frame i of N maps to the column nearest to W i / N (W (i -
// From) / (To - From) for the range routines); the last frame is not
// visited. Nothing is read outside the source or written outside 0..W-1.
#pragma once
#include <cstdint>

#include "audio/stereo_sample.h"
#include "images/sample.h"

namespace kromel {

struct TWave;

struct TWaveProfile {
  TSample32 Min;
  TSample32 Max;
  int32_t BlockSize = 0;

  void Init();
  void Dispose();
  // Block k holds the extremes of frames 512 k .. 512 k + 511 (the last
  // block what remains).
  void Build(const TSample32& Sample);
};
using PWaveProfile = TWaveProfile*;

// Neighbouring columns share their boundary frame. No data: nothing written.
void MonoMinMaxProfile(const TSample32& Sample, TSample32& MinDst, TSample32& MaxDst,
                       const TWaveProfile* Profile);
// Either channel. No data: both destinations cleared.
void StereoMinMaxProfile(const TStereoSample32& Stereo, TSample32& MinDst, TSample32& MaxDst);
// Frames From..To-1 (kept inside the sound); columns no frame maps to repeat
// the column before them.
void MonoMinMaxProfileRange(const TSample32& Sample, TSample32& MinDst, TSample32& MaxDst,
                            int32_t From, int32_t To, const TWaveProfile* Profile);
void StereoMinMaxProfileRange(const TStereoSample32& Stereo, TSample32& MinDst,
                              TSample32& MaxDst, int32_t From, int32_t To,
                              const TWaveProfile* Profile);

// The stereo or the mono routine for the record's mode; the whole-sound
// stereo routine takes no profile.
void WaveMinMaxProfile(const TWave& Wave, TSample32& MinDst, TSample32& MaxDst,
                       const TWaveProfile* Profile);
void WaveMinMaxProfileRange(const TWave& Wave, TSample32& MinDst, TSample32& MaxDst,
                            int32_t From, int32_t To, const TWaveProfile* Profile);

}  // namespace kromel
