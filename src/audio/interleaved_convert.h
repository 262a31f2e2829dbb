// Packed sample frames of sound files to and from float channels: frame f,
// channel c starts at byte (f x Channels + c) x BytesPerSample; 1, 2 and 3
// bytes are signed integers, 4 bytes an IEEE single. Destinations must hold
// the frames; a short one is reported and nothing is written. Integers are
// written rounded (ties to even) and clamped to full scale.
#pragma once
#include <cstdint>

#include "audio/stereo_sample.h"
#include "audio/surround_sample.h"
#include "images/sample.h"

namespace kromel {

// Big-endian mono samples (BigEndian must be true; there is no other form).
void ConvertInterleavedToSample32(const void* Data, int32_t Count, int32_t BytesPerSample, TSample32& Dest,
                                  bool BigEndian);
// 24-bit samples are divided by 8388607 here.
void ConvertInterleavedToStereo32(const void* Data, int32_t Frames, int32_t BytesPerSample, TStereoSample32& Dest,
                                  bool BigEndian);
// Float input: NaN and values above 100 read as 1000, below -100 as -1000.
void ConvertInterleavedToSurround32(const void* Data, int32_t Channels, int32_t Frames, int32_t BytesPerSample,
                                    TSurroundSample32& Dest, bool SwapBytes);
// Little-endian 16, 24-bit or float frames; frames past a channel's Count
// are 0. 8-bit is reported as not implemented.
void ConvertSurround32ToInterleaved(void* Data, int32_t Channels, int32_t SampleFrames, int32_t BytesPerSample,
                                    const TSurroundSample32& Source);
// 16-bit: L, R as four bytes a frame whatever Channels is; 24-bit: L at
// frame slot 0 and R at slot 1 of Channels slots.
void ConvertStereo32ToInterleaved(void* Data, int32_t Channels, int32_t Frames, int32_t BytesPerSample,
                                  const TStereoSample32& Source);

}  // namespace kromel
