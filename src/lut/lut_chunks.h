// The binary LUT forms: the "3DLB", "3DLA" and "1DLB" chunks of the preset
// stream and the "KRBl" stream file (.krs). The readers and writers are LUT
// methods (lut.h, lut1d.h); this header holds the layout constants and the
// little-endian field helpers they share.
//
// Every reader checks each count against the bytes really present before
// allocating, and a damaged chunk leaves the LUT and the stream position
// as they were.
#pragma once
#include <cstdint>
#include <string>

#include "foundation/byte_stream.h"

namespace kromel {

inline constexpr char Lut3DChunkTag[4] = {'3', 'D', 'L', 'B'};
inline constexpr char Lut3DSingleChannelTag[4] = {'3', 'D', 'L', 'A'};
inline constexpr char LutPresetTag[4] = {'L', 'P', 'R', 'S'};
inline constexpr char Lut1DChunkTag[4] = {'1', 'D', 'L', 'B'};
inline constexpr char KrsMagic[4] = {'K', 'R', 'B', 'l'};

constexpr int32_t Lut3DChunkVersion = 3;
constexpr int32_t Lut3DSingleChannelVersion = 4;
constexpr int32_t Lut1DChunkVersion = 1;
constexpr int32_t KrsVersion = 1;

constexpr int32_t KrsNameFieldBytes = 64;
constexpr int32_t KrsMaxNameBytes = 63;
constexpr int32_t KrsHeaderBytes = 24 + KrsNameFieldBytes;  // 88
constexpr int64_t KrsMaxFileBytes =
    KrsHeaderBytes + 6 * int64_t(256) * 256 * 256;  // 16-bit nodes of the largest LUT

// Little-endian fields. The readers return false, reading nothing, when
// fewer bytes remain than the field needs; the writers throw EStreamError.
bool ReadChunkTag(TByteStream& Stream, char Tag[4]);
bool ReadChunkInt32(TByteStream& Stream, int32_t& Value);
// Count Singles; false (nothing read) when 4 * Count bytes are not there.
bool ReadChunkSingles(TByteStream& Stream, float* Values, int64_t Count);
void WriteChunkTag(TByteStream& Stream, const char Tag[4]);
void WriteChunkInt32(TByteStream& Stream, int32_t Value);
void WriteChunkSingles(TByteStream& Stream, const float* Values, int64_t Count);
// A name as a 32-bit count of UTF-16 code units and the units. Fewer than 4
// bytes left: Present false, true. A count whose units are not all there:
// false. The position is restored whenever the result is false.
bool ReadChunkName(TByteStream& Stream, std::string& Name, bool& Present);
// True when a block size marks a chunk of version 1 (12 * N^3 + 4, no
// version field).
bool IsVersionOneBlockSize(int32_t BlockSize, int32_t N);

}  // namespace kromel
