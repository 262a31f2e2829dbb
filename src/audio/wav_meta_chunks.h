// Metadata chunks of WAV files: the first loop of "smpl", the tempo of
// "acid", the LIST/INFO "ICMT" comment, and the channel-name lines built
// from a drum kit's "_info.xml" description.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/byte_stream.h"

namespace kromel {

void Load_WavLoopParams(const std::string& FileName, int32_t& LoopStart, int32_t& LoopEnd,
                        bool& HasLoop);
// Searches from the stream's position.
void Load_WavLoopParamsFromStream(TByteStream& S, int32_t& LoopStart, int32_t& LoopEnd,
                                  bool& HasLoop);
// The tempo, or -1.0 when there is none (120 marked as a default counts as none).
float ReadAcidTempo(const std::string& FileName);
float ReadAcidTempoFromStream(TByteStream& S);
// Adds the comment's lines (split at CR LF) to Lines; false without one.
bool Load_WavComment(const std::string& FileName, std::vector<std::string>& Lines);
// Appends the lines joined by CR LF plus a NUL as a LIST/INFO "ICMT" chunk.
bool Save_WavComment(const std::string& FileName, const std::vector<std::string>& Lines);
// Channel-name lines ("Channel 5-6 Overheads") from the kit description
// beside FileName, naturally sorted.
bool ParseBFDXML_Comment(const std::string& FileName, std::vector<std::string>& Lines,
                         bool ShowError);

}  // namespace kromel
