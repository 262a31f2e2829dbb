#include "foundation/byte_codecs.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace kromel {

namespace {

constexpr char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int kEndMark = -1;
constexpr int kSkipMark = -2;

// Base64 value of a character: its value, kEndMark for "=", else kSkipMark.
int Base64Value(unsigned char C) {
  if (C >= 'A' && C <= 'Z') return C - 'A';
  if (C >= 'a' && C <= 'z') return C - 'a' + 26;
  if (C >= '0' && C <= '9') return C - '0' + 52;
  if (C == '+') return 62;
  if (C == '/') return 63;
  if (C == '=') return kEndMark;
  return kSkipMark;
}

// UU value of a character: codes 32..95 give code - 32, the grave accent 0;
// other characters are skipped.
int UUValue(unsigned char C) {
  if (C >= 32 && C <= 96) return (C - 32) & 63;
  return kSkipMark;
}

char UUChar(unsigned V) { return V == 0 ? '`' : static_cast<char>(32 + V); }

bool IsLineBlank(char C) { return C == ' ' || C == '\t' || C == '\r' || C == '\n'; }

constexpr std::array<uint64_t, 256> MakeCRC64Table() {
  std::array<uint64_t, 256> T{};
  for (uint64_t I = 0; I < 256; ++I) {
    uint64_t V = I;
    for (int K = 0; K < 8; ++K) V = (V & 1) ? (V >> 1) ^ 0xC96C5795D7870F42ull : V >> 1;
    T[I] = V;
  }
  return T;
}

constexpr std::array<uint64_t, 256> kCRC64Table = MakeCRC64Table();

}  // namespace

uint16_t ByteSwapWord(uint16_t V) { return static_cast<uint16_t>((V >> 8) | (V << 8)); }

int16_t ByteSwapSmallInt(int16_t V) {
  return static_cast<int16_t>(ByteSwapWord(static_cast<uint16_t>(V)));
}

uint32_t ByteSwap32(uint32_t V) {
  return (V >> 24) | ((V >> 8) & 0x0000FF00u) | ((V << 8) & 0x00FF0000u) | (V << 24);
}

float ByteSwapSingle(float V) {
  uint32_t Bits;
  std::memcpy(&Bits, &V, 4);
  Bits = ByteSwap32(Bits);
  float R;
  std::memcpy(&R, &Bits, 4);
  return R;
}

uint64_t ByteSwap64(uint64_t V) {
  return (static_cast<uint64_t>(ByteSwap32(static_cast<uint32_t>(V))) << 32) |
         ByteSwap32(static_cast<uint32_t>(V >> 32));
}

TExtended80 ByteSwapExtended(const TExtended80& V) {
  TExtended80 R;
  std::reverse_copy(V.begin(), V.end(), R.begin());
  return R;
}

int32_t PosNotChar(char Ch, const std::string& S, int32_t N) {
  const auto Len = static_cast<int64_t>(S.size());
  if (N == 0) N = 1;
  int64_t Wanted = N > 0 ? N : -static_cast<int64_t>(N);
  if (N > 0) {
    for (int64_t I = 0; I < Len; ++I)
      if (S[I] != Ch && --Wanted == 0) return static_cast<int32_t>(I + 1);
  } else {
    for (int64_t I = Len - 1; I >= 0; --I)
      if (S[I] != Ch && --Wanted == 0) return static_cast<int32_t>(I + 1);
  }
  return 0;
}

std::string DecodeTextLine(int32_t Mode, const std::string& Line) {
  if (Mode < 0 || Mode > 2) return {};
  std::string Text;
  std::size_t Size;
  if (Mode == 0) {
    if (Line.empty()) return {};
    const auto First = static_cast<unsigned char>(Line[0]);
    if (!((First >= 32 && First <= 77) || First == 96)) return {};
    Size = static_cast<std::size_t>((First - 32) & 63);
    Text = Line.substr(1);
  } else {
    // Trimmed first, so a CR or blank after the padding adds nothing.
    std::size_t B = 0;
    std::size_t E = Line.size();
    while (B < E && IsLineBlank(Line[B])) ++B;
    while (E > B && IsLineBlank(Line[E - 1])) --E;
    Text = Line.substr(B, E - B);
    Size = static_cast<std::size_t>(PosNotChar('=', Text, -1)) * 3 / 4;
  }
  std::string Out;
  uint32_t Bits = 0;
  int BitCount = 0;
  for (char C : Text) {
    if (Out.size() >= Size) break;
    const auto U = static_cast<unsigned char>(C);
    const int V = Mode == 0 ? UUValue(U) : Base64Value(U);
    if (V == kEndMark) break;
    if (V == kSkipMark) continue;
    Bits = ((Bits << 6) | static_cast<uint32_t>(V)) & 0xFFFFu;
    BitCount += 6;
    if (BitCount >= 8) {
      BitCount -= 8;
      Out += static_cast<char>((Bits >> BitCount) & 0xFF);
    }
  }
  return Out;
}

std::string EncodeBufferText(int32_t Mode, const void* Buffer, int32_t Count) {
  if (Mode < 0 || Mode > 2 || Count < 0 || Count > (Mode == 0 ? 63 : 189)) return {};
  if (Count > 0 && Buffer == nullptr) return {};
  const auto* P = static_cast<const unsigned char*>(Buffer);
  std::string Out;
  if (Mode == 0) Out += static_cast<char>(((Count - 1) & 63) + 33);
  for (int32_t I = 0; I < Count; I += 3) {
    const int32_t Have = std::min(3, Count - I);
    // UU reads whole groups: the missing bytes of the last one count as 0.
    const uint32_t Group = (static_cast<uint32_t>(P[I]) << 16) |
                           (Have > 1 ? static_cast<uint32_t>(P[I + 1]) << 8 : 0) | (Have > 2 ? P[I + 2] : 0);
    const int Values = Mode == 0 ? 4 : Have + 1;
    for (int K = 0; K < Values; ++K) {
      const unsigned V = (Group >> (18 - 6 * K)) & 63;
      Out += Mode == 0 ? UUChar(V) : kBase64Alphabet[V];
    }
  }
  if (Mode != 0)
    while (Out.size() % 4 != 0) Out += '=';
  return Out;
}

std::vector<std::string> EncodeStreamToLines(TByteStream& Stream) {
  std::vector<std::string> Lines;
  Stream.SetPosition(0);
  unsigned char Block[45];
  for (;;) {
    const int64_t Got = Stream.Read(Block, sizeof Block);
    if (Got <= 0) break;
    Lines.push_back(EncodeBufferText(1, Block, static_cast<int32_t>(Got)));
  }
  return Lines;
}

std::unique_ptr<TMemoryStream> DecodeLinesToStream(const std::vector<std::string>* Lines) {
  if (Lines == nullptr) return nullptr;
  auto Stream = std::make_unique<TMemoryStream>();
  for (const std::string& Line : *Lines) {
    const std::string Bytes = DecodeTextLine(1, Line);
    Stream->WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  }
  return Stream;
}

void CRC64Update(const void* Buffer, std::size_t Count, uint64_t& CRC) {
  if (Buffer == nullptr) {
    CRC = 0;
    return;
  }
  const auto* P = static_cast<const unsigned char*>(Buffer);
  uint64_t C = CRC;
  for (std::size_t I = 0; I < Count; ++I) C = (C >> 8) ^ kCRC64Table[(P[I] ^ C) & 0xFF];
  CRC = C;
}

uint64_t CRC64OfBuffer(const void* Buffer, std::size_t Count) {
  uint64_t CRC = ~0ull;
  CRC64Update(Buffer, Count, CRC);
  return CRC;
}

uint64_t CRC64OfStream(TByteStream& Stream, int64_t Count, int32_t ChunkSize) {
  if (ChunkSize < 1) throw std::invalid_argument("CRC64OfStream: chunk size below 1");
  if (Count < 0) Count = Stream.Size();
  const int64_t Start = Stream.Position();
  if (Count > Stream.Remaining()) throw EStreamError("Stream read error");
  std::vector<unsigned char> Chunk(static_cast<std::size_t>(std::min<int64_t>(ChunkSize, std::max<int64_t>(Count, 1))));
  uint64_t CRC = ~0ull;
  try {
    for (int64_t Done = 0; Done < Count;) {
      const int64_t N = std::min<int64_t>(static_cast<int64_t>(Chunk.size()), Count - Done);
      Stream.ReadBuffer(Chunk.data(), N);
      CRC64Update(Chunk.data(), static_cast<std::size_t>(N), CRC);
      Done += N;
    }
  } catch (...) {
    Stream.SetPosition(Start);
    throw;
  }
  return CRC;
}

}  // namespace kromel
