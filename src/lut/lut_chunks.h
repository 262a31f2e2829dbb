// The binary LUT forms: the "3DLB", "3DLA" and "1DLB" chunks of the preset
// stream and the "KRBl" stream file (.krs). The T3DLut forms have a reader
// and a writer each here; the "1DLB" ones are TLut1D methods (lut1d.h).
// The header also holds the layout constants and the little-endian field
// helpers they share.
//
// Every reader checks each count against the bytes really present before
// allocating, and a damaged chunk leaves the LUT and the stream position
// as they were.
#pragma once
#include <cstdint>
#include <string>

#include "foundation/byte_stream.h"
#include "lut/lut.h"

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

// --- Readers and writers of T3DLut ---

// "3DLB" (version 3) with the "LPRS" part; false on a write error.
bool WriteLut3DChunk(TByteStream& Stream, const T3DLut& Lut, bool IncludePreset);
// Reads a "3DLB" chunk of any version. Another tag: "Error loading T3DLUT
// from stream!", stream back where it was, Lut without planes, false. A
// damaged or short chunk: reported, stream back where it was, Lut
// unchanged, false. Changed tells whether the planes differ afterwards
// (Lut's OnChange fires then).
bool ReadLut3DChunk(TByteStream& Stream, T3DLut& Lut, bool& Changed);

// "3DLA" (version 4) with the R plane only.
bool WriteLutSingleChannelChunk(TByteStream& Stream, const T3DLut& Lut);
// Reads a "3DLA" chunk; on any failure Lut and the stream position are
// unchanged and the result is false.
bool ReadLutSingleChannelChunk(TByteStream& Stream, T3DLut& Lut, bool& Changed);

// A "KRBl" stream of 8- or 16-bit nodes (values clamped to 0..1 in the
// stream only); the name is cut to 63 bytes. False for a LUT without
// planes or on a write error.
bool WriteKrsStream(TByteStream& Stream, const T3DLut& Lut, const std::string& LutName,
                    bool EightBit);
// A "KRBl" stream at its position. False, Lut and position unchanged, on
// any failure; a newer version is reported.
bool ReadKrsStream(TByteStream& Stream, T3DLut& Lut);
// The same as a whole file (.krs).
bool WriteKrsFile(const std::string& FileName, const T3DLut& Lut, const std::string& LutName,
                  bool EightBit);
bool ReadKrsFile(const std::string& FileName, T3DLut& Lut);

}  // namespace kromel
