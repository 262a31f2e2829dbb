// One sample in a sound file's bytes, and whole interleaved frames to and
// from float channels. Integers are scaled to -1..1 (8-bit unsigned with
// 128 as silence); writing clamps to full scale and rounds ties to even.
#pragma once
#include <cstdint>

#include "images/sample.h"

namespace kromel {

// UInt8: WAV's unsigned bytes; Int8: AIFF's signed ones.
enum class TSampleEncoding : uint8_t { UInt8, Int8, Int16, Int24, Int32, Float32 };

int32_t BytesPerSample(TSampleEncoding E);
// The encoding of a WAV/AIFF format: FormatTag 1 (integer PCM) with 8, 16,
// 24 or 32 bits, or 3 (IEEE float) with 32 bits; false for anything else.
bool SampleEncodingOf(uint16_t FormatTag, uint16_t Bits, TSampleEncoding& E);

// A float sample no sound holds: NaN and values above 100 read as 1000,
// below -100 as -1000. Every float sample read goes through it.
float LimitFloatSample(float V);
// Float samples come back limited (LimitFloatSample).
float DecodeSample(const uint8_t* P, TSampleEncoding E, bool BigEndian);
void EncodeSample(float V, uint8_t* P, TSampleEncoding E, bool BigEndian);

// Frames of Channels interleaved samples into Channel[c] from DestOffset on;
// each channel must hold DestOffset + Frames samples.
void DecodeInterleaved(const uint8_t* Src, int64_t Frames, int32_t Channels, TSampleEncoding E,
                       bool BigEndian, TSample32* const* Channel, int64_t DestOffset);
// Channel[c] from SrcOffset on into Frames interleaved frames.
void EncodeInterleaved(uint8_t* Dest, int64_t Frames, int32_t Channels, TSampleEncoding E,
                       bool BigEndian, const TSample32* const* Channel, int64_t SrcOffset);

}  // namespace kromel
