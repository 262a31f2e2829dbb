// AIFF and AIFF-C files (read only): 1 or 2 channels of 8-, 16-, 24- or
// 32-bit integers or 32-bit floats, at the rate stored in the COMM chunk.
// AIFF-C samples are big-endian unless the compression type is "sowt".
// The multi-channel reader is TSurroundSample32::LoadFromAiffFile.
#pragma once
#include <string>

#include "audio/stereo_sample.h"
#include "foundation/byte_codecs.h"
#include "foundation/byte_stream.h"

namespace kromel {

struct TWave;

// The rate of a big-endian 80-bit extended value, rounded (ties to even);
// 0 when it is not a positive rate below 2^31.
int32_t AiffSampleRate(const TExtended80& BigEndianBytes);

// A mono file gives two equal channels.
bool LoadStereoFromAiffStream(TByteStream& S, TStereoSample32& Stereo, bool ShowError,
                              bool& HighRes);
bool LoadStereoFromAiff(const std::string& FileName, TStereoSample32& Stereo, bool ShowError,
                        bool& HighRes);

// A record of the file's channels (mono or stereo) at its own rate.
bool LoadWaveFromAiffStream(TByteStream& S, TWave& Wave, bool ShowError, bool& HighRes);
// As above; Name becomes the file name without its folder.
bool LoadWaveFromAiff(const std::string& FileName, TWave& Wave, bool ShowError, bool& HighRes);

}  // namespace kromel
