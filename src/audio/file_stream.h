// A read-only byte stream over a file, for the sound file readers.
#pragma once
#include <cstdio>
#include <string>

#include "foundation/byte_stream.h"

namespace kromel {

class TFileReadStream : public TByteStream {
 public:
  // Opens FileName for reading; Opened() tells whether that worked.
  explicit TFileReadStream(const std::string& FileName);
  ~TFileReadStream() override;
  TFileReadStream(const TFileReadStream&) = delete;
  TFileReadStream& operator=(const TFileReadStream&) = delete;

  bool Opened() const { return FFile != nullptr; }
  const std::string& FileName() const { return FName; }

  int64_t Read(void* Buffer, int64_t Count) override;
  // Read-only: writes nothing.
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Size() const override { return FSize; }
  int64_t Position() const override { return FPos; }
  bool SetPosition(int64_t Pos) override;

 private:
  std::string FName;
  std::FILE* FFile = nullptr;
  int64_t FSize = 0;
  int64_t FPos = 0;
};

// True when S is open; otherwise, with ShowError, shows "File not found: "
// or "Error opening file " and the name.
bool OpenedForReading(const TFileReadStream& S, bool ShowError);

}  // namespace kromel
