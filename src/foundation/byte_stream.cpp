#include "foundation/byte_stream.h"

#include <algorithm>
#include <cstring>

namespace kromel {

int64_t TByteStream::Remaining() const { return std::max<int64_t>(0, Size() - Position()); }

void TByteStream::ReadBuffer(void* Buffer, int64_t Count) {
  if (Count <= 0) return;
  const int64_t Start = Position();
  if (Count > Remaining() || Read(Buffer, Count) != Count) {
    SetPosition(Start);
    throw EStreamError("Stream read error");
  }
}

void TByteStream::WriteBuffer(const void* Buffer, int64_t Count) {
  if (Count <= 0) return;
  if (Write(Buffer, Count) != Count) throw EStreamError("Stream write error");
}

TMemoryStream::TMemoryStream(std::string_view Bytes)
    : Data_(reinterpret_cast<const uint8_t*>(Bytes.data()),
            reinterpret_cast<const uint8_t*>(Bytes.data()) + Bytes.size()) {}

int64_t TMemoryStream::Read(void* Buffer, int64_t Count) {
  const int64_t N = std::min<int64_t>(Count, Size() - Pos_);
  if (N <= 0 || Buffer == nullptr) return 0;
  std::memcpy(Buffer, Data_.data() + Pos_, static_cast<std::size_t>(N));
  Pos_ += N;
  return N;
}

int64_t TMemoryStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0 || Buffer == nullptr) return 0;
  const int64_t End = Pos_ + Count;
  if (End > Size()) Data_.resize(static_cast<std::size_t>(End));
  std::memcpy(Data_.data() + Pos_, Buffer, static_cast<std::size_t>(Count));
  Pos_ = End;
  return Count;
}

int64_t TMemoryStream::Size() const { return static_cast<int64_t>(Data_.size()); }

int64_t TMemoryStream::Position() const { return Pos_; }

bool TMemoryStream::SetPosition(int64_t Pos) {
  if (Pos < 0 || Pos > Size()) return false;
  Pos_ = Pos;
  return true;
}

void TMemoryStream::SetSize(int64_t NewSize) {
  Data_.resize(static_cast<std::size_t>(std::max<int64_t>(0, NewSize)));
  Pos_ = std::min(Pos_, Size());
}

void TMemoryStream::Clear() {
  Data_.clear();
  Pos_ = 0;
}

std::string TMemoryStream::Bytes() const {
  return std::string(reinterpret_cast<const char*>(Data_.data()), Data_.size());
}

}  // namespace kromel
