// RIFF (and AIFF) chunk tools: find a named chunk, read it into memory,
// append chunks and LIST/INFO comments, keep the RIFF size up to date.
// Every chunk is an 8-byte header (four-character name, 32-bit size; big-
// endian in AIFF) and its data, padded to an even length. Searches compare
// names ASCII case-insensitively, except the LIST/INFO sub-chunk search.
// Every size read is checked against the stream before it is used.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/byte_stream.h"

namespace kromel {

using TChunkData = std::vector<uint8_t>;

// Where the first chunk of a RIFF or FORM body starts.
constexpr int64_t RiffBodyOffset = 12;

// Chunk names are the first four characters of Name ("fmt " keeps its blank).
bool ChunkNameIs(const uint8_t* Id, const char* Name);

// From the body (offset 12), chunks skipped by their size exactly; a size
// above the stream size ends the search. The stream stands after the data.
bool ReadChunk(TByteStream& S, const char* Name, TChunkData& Data, uint32_t& Size);
bool ReadChunkFromFile(const std::string& FileName, const char* Name, TChunkData& Data,
                       uint32_t& Size);
// From the body; sizes padded to even; a size of 0 or above the stream ends
// the search. The stream stands at the first data byte; nothing is read.
bool FindChunk(TByteStream& S, const char* Name, uint32_t& Size, bool BigEndian);
// From the current position: a first pass with padding, a second without
// (for files written without pad bytes). A size above twice the stream is
// refused. Data holds the bytes the stream really has (Size their count),
// so a cut-short chunk is read as far as it goes.
bool ReadChunkFromStream(TByteStream& S, const char* Name, TChunkData& Data, uint32_t& Size,
                         bool BigEndian);
// From the body; a size of 0 or beyond the end counts as running to the end
// of the stream (an unfinished recording). At the first data byte.
bool FindChunkInStream(TByteStream& S, const char* Name, uint32_t& Size, bool BigEndian);
// The sub-chunk SubName (exact) of the first LIST chunk that holds it;
// Size and Data untouched when there is none.
bool ReadListInfoChunkFromStream(TByteStream& S, const char* SubName, uint32_t& Size,
                                 TChunkData& Data);
bool ReadListInfoChunkFromFile(const std::string& FileName, const char* SubName, uint32_t& Size,
                               TChunkData& Data);
// The names of the chunks from the position to the end (padded sizes).
void ListChunkNames(TByteStream& S, std::vector<std::string>& List);
void SkipChunks(TByteStream& S, int32_t Count);

// Header {Name, Size}, the data and a pad byte after odd data; true when
// all was written.
bool WriteChunk(TByteStream& S, const char* Name, uint32_t Size, const void* Data);
bool WriteChunkBE(TByteStream& S, const char* Name, uint32_t Size, const void* Data);
bool WriteChunkStub(TByteStream& S, const char* Name);
// Rewrites the RIFF size (stream size - 8). Below 8 bytes: shows
// "UpdateFileSize: File is too short!" and changes nothing (false).
bool UpdateFileSize(TByteStream& S);
// At the end of the stream (padded to even first): one LIST/INFO chunk
// with one sub-chunk, then the RIFF size updated.
bool AppendListInfoChunk(TByteStream& S, const char* SubName, uint32_t Size, const void* Data);

// File forms: the file is read whole, changed in memory and written back
// through the safe file writer, so a failure leaves the old file.
bool AppendChunkToFile(const std::string& FileName, const char* Name, uint32_t Size,
                       const void* Data);
bool UpdateFileSizeByName(const std::string& FileName);
bool AppendListInfoChunkToFile(const std::string& FileName, const char* SubName, uint32_t Size,
                               const void* Data);

}  // namespace kromel
