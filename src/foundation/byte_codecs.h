// Byte-order reversal, the UU/Base64 line codec (the "#64BLOB" lines of LUT
// files) and the CRC-64 of the LUT planes.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/byte_stream.h"

namespace kromel {

// The ten bytes of an 80-bit extended float, in memory order.
using TExtended80 = std::array<uint8_t, 10>;

uint16_t ByteSwapWord(uint16_t V);
int16_t ByteSwapSmallInt(int16_t V);
uint32_t ByteSwap32(uint32_t V);
float ByteSwapSingle(float V);
uint64_t ByteSwap64(uint64_t V);
TExtended80 ByteSwapExtended(const TExtended80& V);

// 1-based position of the N-th character of S that differs from Ch, counted
// from the end when N < 0; N = 0 counts as 1; 0 when there is none.
int32_t PosNotChar(char Ch, const std::string& S, int32_t N);

// Codec modes: 0 = UU, 1 and 2 = Base64. Other modes give an empty result.
// One line to bytes. Base64 lines are trimmed of white space first; only
// whole bytes are produced; "=" ends the data; other characters are skipped.
std::string DecodeTextLine(int32_t Mode, const std::string& Line);
// Count bytes to one line: at most 189 (Base64) or 63 (UU); an empty text
// for a count out of range or a null buffer.
std::string EncodeBufferText(int32_t Mode, const void* Buffer, int32_t Count);
// The whole stream (rewound first) as Base64 lines of 45 bytes (60
// characters); the last line carries the padding.
std::vector<std::string> EncodeStreamToLines(TByteStream& Stream);
// Each line decoded on its own into a new stream left at its end; null for
// a null list.
std::unique_ptr<TMemoryStream> DecodeLinesToStream(const std::vector<std::string>* Lines);

// CRC-64 over the reflected ECMA-182 polynomial (the CRC-64/XZ table),
// without the final inversion.
void CRC64Update(const void* Buffer, std::size_t Count, uint64_t& CRC);  // null buffer: CRC = 0
uint64_t CRC64OfBuffer(const void* Buffer, std::size_t Count);  // from all ones; null buffer: 0
// Count bytes from the position (negative: the stream's size), read in
// chunks. Throws EStreamError when they are not all there (position kept),
// std::invalid_argument for a chunk size below 1.
uint64_t CRC64OfStream(TByteStream& Stream, int64_t Count, int32_t ChunkSize);

}  // namespace kromel
