// TFileStore: a whole file kept in memory with the path it came from, so a
// preset stream can carry it. Its "FILE" chunk: "FILE", a 32-bit Size
// (256 + the file's length), 256 name bytes (a length byte and up to 255
// characters, zero-padded) and the file's bytes.
#pragma once
#include <cstdint>
#include <string>

#include "foundation/byte_stream.h"

namespace kromel {

class TFileStore : public TMemoryStream {
 public:
  std::string FileName;  // at most 255 bytes

  // Loads the file; when it is missing and AskUser is set, asks whether to
  // find it and lets the user pick another path, until found or refused.
  void LoadFromFile(const std::string& FileName, bool AskUser);
  void SaveToStream(TByteStream& Stream) const;
  // A chunk with another tag, a size below 256 or beyond the stream shows
  // "Error loading file from stream! Preset is probably corrupt!", puts the
  // stream back and leaves the store empty. True when a chunk was read.
  bool LoadFromStream(TByteStream& Stream);
};

}  // namespace kromel
