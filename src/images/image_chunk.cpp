#include "images/image_chunk.h"

#include <sys/types.h>

#include <climits>
#include <cstring>

#include "foundation/endian_bytes.h"

namespace kromel {

namespace {

const uint8_t ChunkTag[4] = {'S', 'A', 'M', 'P'};

bool SeekTo(std::FILE* F, int64_t Pos) {
  std::clearerr(F);
  return fseeko(F, static_cast<off_t>(Pos), SEEK_SET) == 0;
}

// Bytes from the current position to the end, or -1.
int64_t BytesLeft(std::FILE* F) {
  const off_t Here = ftello(F);
  if (Here < 0 || fseeko(F, 0, SEEK_END) != 0) return -1;
  const off_t End = ftello(F);
  if (End < 0 || fseeko(F, Here, SEEK_SET) != 0) return -1;
  return End - Here;
}

TImageChunkStatus Fail(std::FILE* F, const TImageChunkHeader& Header, TImageChunkStatus Status) {
  if (!SeekTo(F, Header.Start)) return TImageChunkStatus::IOError;
  return Status;
}

}  // namespace

TImageChunkStatus ReadImageChunkHeader(std::FILE* F, int32_t PixelBytes,
                                       TImageChunkHeader& Header) {
  Header = TImageChunkHeader();
  if (F == nullptr || PixelBytes <= 0) return TImageChunkStatus::IOError;
  const off_t Start = ftello(F);
  if (Start < 0) return TImageChunkStatus::IOError;
  Header.Start = Start;

  uint8_t Bytes[12];
  const size_t Got = std::fread(Bytes, 1, sizeof(Bytes), F);
  if (Got < 4 || std::memcmp(Bytes, ChunkTag, 4) != 0)
    return Fail(F, Header, TImageChunkStatus::NoTag);
  if (Got < sizeof(Bytes)) return Fail(F, Header, TImageChunkStatus::TooShort);
  Header.Width = LoadLE32Signed(Bytes + 4);
  Header.Height = LoadLE32Signed(Bytes + 8);
  if (Header.Width == 0 && Header.Height == 0) return TImageChunkStatus::Empty;
  if (Header.Width <= 0 || Header.Height <= 0) return Fail(F, Header, TImageChunkStatus::BadSize);
  const int64_t Count = int64_t(Header.Width) * Header.Height;
  if (Count > INT32_MAX) return Fail(F, Header, TImageChunkStatus::BadSize);
  const int64_t Left = BytesLeft(F);
  if (Left < 0) return Fail(F, Header, TImageChunkStatus::IOError);
  if (Left < Count * PixelBytes) return Fail(F, Header, TImageChunkStatus::TooShort);
  return TImageChunkStatus::Ok;
}

bool ReadImageChunkPixels(std::FILE* F, const TImageChunkHeader& Header, int32_t PixelBytes,
                          void* Pixels) {
  const size_t Bytes = size_t(int64_t(Header.Width) * Header.Height * PixelBytes);
  if (Pixels != nullptr && std::fread(Pixels, 1, Bytes, F) == Bytes) return true;
  RestoreImageChunkPosition(F, Header);
  return false;
}

void RestoreImageChunkPosition(std::FILE* F, const TImageChunkHeader& Header) {
  if (Header.Start >= 0) SeekTo(F, Header.Start);
}

bool WriteImageChunk(std::FILE* F, int32_t Width, int32_t Height, const void* Pixels,
                     int32_t PixelBytes) {
  if (F == nullptr) return false;
  uint8_t Bytes[12];
  std::memcpy(Bytes, ChunkTag, 4);
  StoreLE32(Bytes + 4, static_cast<uint32_t>(Width));
  StoreLE32(Bytes + 8, static_cast<uint32_t>(Height));
  if (std::fwrite(Bytes, 1, sizeof(Bytes), F) != sizeof(Bytes)) return false;
  const int64_t Count = int64_t(Width) * Height;
  if (Count <= 0) return true;
  if (Pixels == nullptr || PixelBytes <= 0) return false;
  const size_t Total = size_t(Count * PixelBytes);
  return std::fwrite(Pixels, 1, Total, F) == Total;
}

std::string ImageChunkStatusText(TImageChunkStatus Status) {
  switch (Status) {
    case TImageChunkStatus::Ok: return "ok";
    case TImageChunkStatus::Empty: return "empty image";
    case TImageChunkStatus::NoTag: return "no SAMP tag";
    case TImageChunkStatus::BadSize: return "invalid image size";
    case TImageChunkStatus::TooShort: return "file too short for the image";
    case TImageChunkStatus::IOError: return "file position not available";
  }
  return "";
}

}  // namespace kromel
