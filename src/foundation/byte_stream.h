// A small byte stream: the interface readers and writers of binary forms
// share, and a memory implementation.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kromel {

// Raised by ReadBuffer ("Stream read error") and WriteBuffer
// ("Stream write error") when a transfer cannot be completed.
class EStreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TByteStream {
 public:
  virtual ~TByteStream() = default;

  // Reads up to Count bytes at the position; returns the count read (0 at
  // the end or for Count <= 0) and advances the position by it.
  virtual int64_t Read(void* Buffer, int64_t Count) = 0;
  // Writes up to Count bytes at the position; returns the count written.
  virtual int64_t Write(const void* Buffer, int64_t Count) = 0;
  virtual int64_t Size() const = 0;
  virtual int64_t Position() const = 0;
  // Moves to Pos in 0..Size(); false (and no move) otherwise.
  virtual bool SetPosition(int64_t Pos) = 0;

  // Bytes between the position and the end.
  int64_t Remaining() const;
  // Reads exactly Count bytes or throws EStreamError, leaving the position
  // where it was.
  void ReadBuffer(void* Buffer, int64_t Count);
  // Writes exactly Count bytes or throws EStreamError.
  void WriteBuffer(const void* Buffer, int64_t Count);
};

// Bytes held in memory; writing past the end grows the stream.
class TMemoryStream : public TByteStream {
 public:
  TMemoryStream() = default;
  // A stream holding a copy of Bytes, positioned at 0.
  explicit TMemoryStream(std::string_view Bytes);

  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Size() const override;
  int64_t Position() const override;
  bool SetPosition(int64_t Pos) override;

  // New size; new bytes are zero; the position is kept within the size.
  void SetSize(int64_t NewSize);
  void Clear();
  const uint8_t* Memory() const { return Data_.data(); }
  // The whole content as a byte string.
  std::string Bytes() const;

 private:
  std::vector<uint8_t> Data_;
  int64_t Pos_ = 0;
};

}  // namespace kromel
