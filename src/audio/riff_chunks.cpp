#include "audio/riff_chunks.h"

#include <algorithm>
#include <cstring>

#include "foundation/endian_bytes.h"
#include "audio/file_stream.h"
#include "foundation/ascii_case.h"
#include "foundation/files.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

constexpr int64_t HeaderBytes = 8;

struct THeader {
  uint8_t Id[4];
  uint32_t Size;
};

// Reads a whole 8-byte header; false at the end of the stream.
bool ReadHeader(TByteStream& S, THeader& H, bool BigEndian) {
  uint8_t B[HeaderBytes];
  if (S.Remaining() < HeaderBytes || S.Read(B, HeaderBytes) != HeaderBytes) return false;
  std::memcpy(H.Id, B, 4);
  H.Size = BigEndian ? LoadBE32(B + 4) : LoadLE32(B + 4);
  return true;
}

bool NameMatchesCI(const uint8_t* Id, const char* Name) {
  for (int I = 0; I < 4; ++I)
    if (UpperAscii(char(Id[I])) != UpperAscii(Name[I])) return false;
  return true;
}

int64_t Padded(uint32_t Size) { return (int64_t(Size) + 1) & ~int64_t(1); }

enum class TZeroSize { Skip, Ends, ToEnd };

struct TSearch {
  bool BigEndian = false;
  bool PadToEven = true;
  TZeroSize Zero = TZeroSize::Skip;
  int64_t Limit = 0;  // larger sizes end the search
  bool ClipToEnd = false;  // sizes beyond the end run to the end instead
};

// From the position: stands at the data of the first chunk named Name.
bool SeekChunk(TByteStream& S, const char* Name, const TSearch& How, uint32_t& Size) {
  THeader H{};
  while (ReadHeader(S, H, How.BigEndian)) {
    const int64_t Rest = S.Remaining();
    int64_t ChunkSize = H.Size;
    if (How.ClipToEnd && (ChunkSize == 0 || ChunkSize > Rest)) ChunkSize = Rest;
    if (ChunkSize > How.Limit) return false;
    if (ChunkSize == 0 && How.Zero == TZeroSize::Ends) return false;
    if (NameMatchesCI(H.Id, Name)) {
      if (How.ClipToEnd && ChunkSize == 0) return false;
      Size = uint32_t(ChunkSize);
      return true;
    }
    const int64_t Skip = How.PadToEven ? Padded(uint32_t(ChunkSize)) : ChunkSize;
    if (Skip > Rest || !S.SetPosition(S.Position() + Skip)) return false;
  }
  return false;
}

// Reads Size bytes, or as many as the stream holds.
void ReadData(TByteStream& S, uint32_t Size, TChunkData& Data) {
  const int64_t N = std::min<int64_t>(Size, std::max<int64_t>(S.Remaining(), 0));
  Data.assign(size_t(N), 0);
  if (N > 0) Data.resize(size_t(S.Read(Data.data(), N)));
}

bool WriteWhole(TByteStream& S, const void* Data, int64_t Count) {
  return Count <= 0 || S.Write(Data, Count) == Count;
}

bool WriteChunkOrder(TByteStream& S, const char* Name, uint32_t Size, const void* Data,
                     bool BigEndian) {
  uint8_t H[HeaderBytes];
  std::memcpy(H, Name, 4);
  if (BigEndian)
    StoreBE32(H + 4, Size);
  else
    StoreLE32(H + 4, Size);
  const uint8_t Pad = 0;
  return WriteWhole(S, H, HeaderBytes) && (Size == 0 || Data != nullptr) &&
         WriteWhole(S, Data, Size) && ((Size & 1) == 0 || WriteWhole(S, &Pad, 1));
}

// The RIFF size follows the stream's length when the stream is a RIFF file.
void KeepRiffSize(TByteStream& S) {
  uint8_t Id[4];
  if (S.Size() < 12 || !S.SetPosition(0) || S.Read(Id, 4) != 4 || !ChunkNameIs(Id, "RIFF")) return;
  UpdateFileSize(S);
}

// Pads a stream that ends on an odd byte (an unpadded last chunk).
bool PadEnd(TByteStream& S) {
  const uint8_t Pad = 0;
  if (!S.SetPosition(S.Size())) return false;
  return (S.Size() & 1) == 0 || WriteWhole(S, &Pad, 1);
}

// Loads FileName, runs Change on it in memory and saves it back.
template <class F>
bool ChangeFile(const std::string& FileName, F Change) {
  std::string Bytes;
  if (!LoadFileToString(FileName, Bytes)) return false;
  TMemoryStream S(Bytes);
  if (!Change(S)) return false;
  const std::string Out = S.Bytes();
  return SaveBufferToFile(FileName, Out.data(), int64_t(Out.size()));
}

}  // namespace

bool ChunkNameIs(const uint8_t* Id, const char* Name) { return std::memcmp(Id, Name, 4) == 0; }

bool ReadChunk(TByteStream& S, const char* Name, TChunkData& Data, uint32_t& Size) {
  Size = 0;
  Data.clear();
  if (!S.SetPosition(RiffBodyOffset)) return false;
  TSearch How;
  How.PadToEven = false;
  How.Limit = S.Size();
  if (!SeekChunk(S, Name, How, Size)) return false;
  ReadData(S, Size, Data);
  Size = uint32_t(Data.size());
  return true;
}

bool ReadChunkFromFile(const std::string& FileName, const char* Name, TChunkData& Data,
                       uint32_t& Size) {
  Size = 0;
  Data.clear();
  TFileReadStream S(FileName);
  return S.Opened() && ReadChunk(S, Name, Data, Size);
}

bool FindChunk(TByteStream& S, const char* Name, uint32_t& Size, bool BigEndian) {
  Size = 0;
  if (!S.SetPosition(RiffBodyOffset)) return false;
  TSearch How;
  How.BigEndian = BigEndian;
  How.Zero = TZeroSize::Ends;
  How.Limit = S.Size();
  return SeekChunk(S, Name, How, Size);
}

bool ReadChunkFromStream(TByteStream& S, const char* Name, TChunkData& Data, uint32_t& Size,
                         bool BigEndian) {
  Size = 0;
  Data.clear();
  const int64_t Start = S.Position();
  TSearch How;
  How.BigEndian = BigEndian;
  How.Limit = 2 * S.Size();
  bool Found = SeekChunk(S, Name, How, Size);
  if (!Found) {
    How.PadToEven = false;
    Found = S.SetPosition(Start) && SeekChunk(S, Name, How, Size);
  }
  if (!Found) {
    Size = 0;
    return false;
  }
  ReadData(S, Size, Data);
  Size = uint32_t(Data.size());
  return true;
}

bool FindChunkInStream(TByteStream& S, const char* Name, uint32_t& Size, bool BigEndian) {
  Size = 0;
  if (!S.SetPosition(RiffBodyOffset)) return false;
  TSearch How;
  How.BigEndian = BigEndian;
  How.Limit = S.Size();
  How.ClipToEnd = true;
  return SeekChunk(S, Name, How, Size);
}

bool ReadListInfoChunkFromStream(TByteStream& S, const char* SubName, uint32_t& Size,
                                 TChunkData& Data) {
  if (!S.SetPosition(RiffBodyOffset)) return false;
  THeader H{};
  while (ReadHeader(S, H, false)) {
    const int64_t ChunkStart = S.Position();
    const int64_t ChunkEnd = std::min<int64_t>(ChunkStart + H.Size, S.Size());
    if (ChunkNameIs(H.Id, "LIST") && ChunkEnd - ChunkStart >= 4) {
      S.SetPosition(ChunkStart + 4);
      THeader Sub{};
      while (ChunkEnd - S.Position() >= HeaderBytes && ReadHeader(S, Sub, false)) {
        const int64_t Avail = ChunkEnd - S.Position();
        if (ChunkNameIs(Sub.Id, SubName)) {
          if (Sub.Size > Avail) return false;
          ReadData(S, Sub.Size, Data);
          Size = uint32_t(Data.size());
          return true;
        }
        const int64_t Skip = std::min(Padded(Sub.Size), Avail);
        S.SetPosition(S.Position() + Skip);
      }
    }
    if (!S.SetPosition(std::min(ChunkStart + Padded(H.Size), S.Size()))) return false;
  }
  return false;
}

bool ReadListInfoChunkFromFile(const std::string& FileName, const char* SubName, uint32_t& Size,
                               TChunkData& Data) {
  TFileReadStream S(FileName);
  return S.Opened() && ReadListInfoChunkFromStream(S, SubName, Size, Data);
}

void ListChunkNames(TByteStream& S, std::vector<std::string>& List) {
  THeader H{};
  while (ReadHeader(S, H, false)) {
    List.emplace_back(reinterpret_cast<const char*>(H.Id), 4);
    if (!S.SetPosition(std::min<int64_t>(S.Position() + Padded(H.Size), S.Size()))) return;
  }
}

void SkipChunks(TByteStream& S, int32_t Count) {
  THeader H{};
  for (int32_t I = 0; I < Count && ReadHeader(S, H, false); ++I)
    if (!S.SetPosition(std::min<int64_t>(S.Position() + Padded(H.Size), S.Size()))) return;
}

bool WriteChunk(TByteStream& S, const char* Name, uint32_t Size, const void* Data) {
  return WriteChunkOrder(S, Name, Size, Data, false);
}

bool WriteChunkBE(TByteStream& S, const char* Name, uint32_t Size, const void* Data) {
  return WriteChunkOrder(S, Name, Size, Data, true);
}

bool WriteChunkStub(TByteStream&, const char*) { return false; }

bool UpdateFileSize(TByteStream& S) {
  const int64_t Size = S.Size();
  if (Size < 8) {
    PlatformShowMessage("UpdateFileSize: File is too short!");
    return false;
  }
  uint8_t B[4];
  StoreLE32(B, uint32_t(Size - 8));
  return S.SetPosition(4) && S.Write(B, 4) == 4;
}

bool AppendListInfoChunk(TByteStream& S, const char* SubName, uint32_t Size, const void* Data) {
  if (Size > UINT32_MAX - 13 || (Size > 0 && Data == nullptr) || !PadEnd(S)) return false;
  uint8_t H[12];
  std::memcpy(H, "LIST", 4);
  StoreLE32(H + 4, uint32_t(Padded(Size) + 12));
  std::memcpy(H + 8, "INFO", 4);
  if (!WriteWhole(S, H, 12) || !WriteChunk(S, SubName, Size, Data)) return false;
  KeepRiffSize(S);
  return true;
}

bool AppendChunkToFile(const std::string& FileName, const char* Name, uint32_t Size,
                       const void* Data) {
  return ChangeFile(FileName, [&](TMemoryStream& S) {
    if (!PadEnd(S) || !WriteChunk(S, Name, Size, Data)) return false;
    KeepRiffSize(S);
    return true;
  });
}

bool UpdateFileSizeByName(const std::string& FileName) {
  return ChangeFile(FileName, [](TMemoryStream& S) { return UpdateFileSize(S); });
}

bool AppendListInfoChunkToFile(const std::string& FileName, const char* SubName, uint32_t Size,
                               const void* Data) {
  return ChangeFile(FileName, [&](TMemoryStream& S) {
    return AppendListInfoChunk(S, SubName, Size, Data);
  });
}

}  // namespace kromel
