#include "fileio/image_file_checks.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace kromel {

namespace {

uint16_t BE16(const uint8_t* P) { return uint16_t(P[0] << 8 | P[1]); }
uint32_t BE32(const uint8_t* P) {
  return uint32_t(P[0]) << 24 | uint32_t(P[1]) << 16 | uint32_t(P[2]) << 8 | P[3];
}
uint64_t BE64(const uint8_t* P) { return uint64_t(BE32(P)) << 32 | BE32(P + 4); }
uint32_t LE32(const uint8_t* P) {
  return uint32_t(P[0]) | uint32_t(P[1]) << 8 | uint32_t(P[2]) << 16 | uint32_t(P[3]) << 24;
}
uint64_t LE64(const uint8_t* P) { return uint64_t(LE32(P)) | uint64_t(LE32(P + 4)) << 32; }

// True when Row's PackBits packets unpack to exactly RowBytes bytes and use
// every byte of Row.
bool PackBitsRowExact(const std::vector<uint8_t>& Row, int64_t RowBytes) {
  const int64_t N = int64_t(Row.size());
  int64_t In = 0, Out = 0;
  while (In < N) {
    const int32_t Header = int8_t(Row[size_t(In++)]);
    if (Header >= 0) {
      const int64_t Count = Header + 1;
      if (In + Count > N) return false;
      In += Count;
      Out += Count;
    } else if (Header != -128) {
      if (In >= N) return false;
      ++In;
      Out += 1 - Header;
    }
    if (Out > RowBytes) return false;
  }
  return Out == RowBytes;
}

// Scan lines per chunk of each OpenEXR compression; 0 for unknown ones.
int64_t ExrLinesPerChunk(uint8_t Compression) {
  static const int64_t Lines[] = {1, 1, 1, 16, 32, 16, 32, 32, 32, 256};
  return Compression < std::size(Lines) ? Lines[Compression] : 0;
}

int64_t CeilDiv(int64_t A, int64_t B) { return (A + B - 1) / B; }

}  // namespace

bool PsdDataComplete(const TReadAt& Read, int64_t Size) {
  uint8_t H[26];
  if (Size < 26 || !Read(0, H, 26) || std::memcmp(H, "8BPS", 4) != 0) return false;
  const uint16_t Version = BE16(H + 4);
  const int64_t Channels = BE16(H + 12), Height = BE32(H + 14), Width = BE32(H + 18);
  const int64_t Depth = BE16(H + 22);
  if ((Version != 1 && Version != 2) || Channels < 1 || Channels > 56 || Height < 1 ||
      Width < 1 || (Depth != 1 && Depth != 8 && Depth != 16 && Depth != 32))
    return false;
  int64_t Pos = 26;
  // Colour mode data and image resources (32-bit lengths), then layers and
  // masks (64-bit in PSB files).
  for (int Section = 0; Section < 3; ++Section) {
    const int LengthBytes = Section == 2 && Version == 2 ? 8 : 4;
    uint8_t L[8];
    if (!Read(Pos, L, LengthBytes)) return false;
    const uint64_t Length = LengthBytes == 8 ? BE64(L) : BE32(L);
    Pos += LengthBytes;
    if (Length > uint64_t(Size - Pos)) return false;
    Pos += int64_t(Length);
  }
  uint8_t C[2];
  if (!Read(Pos, C, 2)) return false;
  Pos += 2;
  const uint16_t Compression = BE16(C);
  const int64_t RowBytes = (Width * Depth + 7) / 8;
  const int64_t Rows = Channels * Height;
  if (Compression == 0) return Rows <= (Size - Pos) / RowBytes;
  if (Compression != 1) return true;  // ZIP: not read by the decoder
  const int64_t CountBytes = Version == 2 ? 4 : 2;
  if (Rows > (Size - Pos) / CountBytes) return false;
  std::vector<uint8_t> Counts(size_t(Rows * CountBytes));
  if (!Read(Pos, Counts.data(), Rows * CountBytes)) return false;
  Pos += Rows * CountBytes;
  std::vector<uint8_t> Row;
  for (int64_t R = 0; R < Rows; ++R) {
    const uint8_t* P = Counts.data() + R * CountBytes;
    const int64_t Count = CountBytes == 4 ? int64_t(BE32(P)) : int64_t(BE16(P));
    if (Count > Size - Pos) return false;
    Row.resize(size_t(Count));
    if (Count > 0 && !Read(Pos, Row.data(), Count)) return false;
    if (!PackBitsRowExact(Row, RowBytes)) return false;
    Pos += Count;
  }
  return true;
}

// A name as OpenEXR reads it: characters up to a zero byte, but never more
// than MaxLength + 1 bytes (a longer name ends without its zero).
bool ReadExrName(const TReadAt& Read, int64_t& Pos, int32_t MaxLength, std::string& Name) {
  Name.clear();
  for (int32_t I = 0; I <= MaxLength; ++I) {
    uint8_t C;
    if (!Read(Pos++, &C, 1)) return false;
    if (C == 0) return true;
    Name += char(C);
  }
  return true;
}

// Bytes of the fixed-layout attribute types, which OpenEXR reads by their
// layout whatever length the file declares.
int64_t ExrFixedValueBytes(const std::string& Type) {
  static const std::pair<const char*, int64_t> Sizes[] = {
      {"box2i", 16},  {"box2f", 16},      {"chromaticities", 32}, {"compression", 1},
      {"double", 8},  {"envmap", 1},      {"float", 4},           {"int", 4},
      {"keycode", 28}, {"lineOrder", 1},  {"m33f", 36},           {"m33d", 72},
      {"m44f", 64},   {"m44d", 128},      {"rational", 8},        {"tiledesc", 9},
      {"timecode", 8}, {"v2i", 8},        {"v2f", 8},             {"v2d", 16},
      {"v3i", 12},    {"v3f", 12},        {"v3d", 24},            {"deepImageState", 1}};
  for (const auto& [Name, Bytes] : Sizes)
    if (Type == Name) return Bytes;
  return -1;
}

// Bytes OpenEXR takes for the value at Pos of an attribute of the type:
// channel lists run to their empty name, previews hold their pixels, other
// known types have fixed layouts, and the rest take the declared length.
// -1 when the value runs past the data.
int64_t ExrValueBytes(const TReadAt& Read, int64_t Size, int64_t Pos, const std::string& Type,
                      int64_t Declared) {
  const int64_t Fixed = ExrFixedValueBytes(Type);
  int64_t Bytes = Declared;
  if (Fixed >= 0) {
    Bytes = Fixed;
  } else if (Type == "chlist") {
    int64_t At = Pos;
    std::string Channel;
    for (;;) {
      if (!ReadExrName(Read, At, 255, Channel)) return -1;
      if (Channel.empty()) break;
      At += 16;
      if (At > Size) return -1;
    }
    Bytes = At - Pos;
  } else if (Type == "preview") {
    uint8_t D[8];
    if (!Read(Pos, D, 8)) return -1;
    const int64_t W = LE32(D), H = LE32(D + 4);
    if (W != 0 && H > Size / 4 / W) return -1;
    Bytes = 8 + W * H * 4;
  }
  if (Bytes < 0 || Bytes > Size - Pos) return -1;
  return Bytes;
}

// Walks one OpenEXR header from Pos as OpenEXR reads it: attributes (name,
// type, length, value) up to the empty name, each value within the data.
// Visit sees each attribute's name, type, value position and the bytes
// read of it. Pos ends past the header; an empty header sets Empty.
template <class TVisit>
bool WalkExrHeader(const TReadAt& Read, int64_t Size, int64_t& Pos, bool& Empty, TVisit Visit) {
  // Names of up to 255 characters are read whether or not the file's flags
  // allow long names.
  const int32_t MaxName = 255;
  std::string Name, Type;
  Empty = true;
  for (;;) {
    if (!ReadExrName(Read, Pos, MaxName, Name)) return false;
    if (Name.empty()) return true;
    Empty = false;
    uint8_t L[4];
    if (!ReadExrName(Read, Pos, MaxName, Type) || !Read(Pos, L, 4)) return false;
    Pos += 4;
    const int64_t Declared = int32_t(LE32(L));
    if (Declared < 0) return false;
    const int64_t Bytes = ExrValueBytes(Read, Size, Pos, Type, Declared);
    if (Bytes < 0 || !Visit(Name, Type, Pos, Bytes)) return false;
    Pos += Bytes;
  }
}

bool ExrDataComplete(const TReadAt& Read, int64_t Size) {
  uint8_t Head[8];
  if (Size < 8 || !Read(0, Head, 8) || LE32(Head) != 20000630u) return false;
  const uint32_t Flags = LE32(Head + 4) & ~0xFFu;
  const auto AnyAttribute = [](const std::string&, const std::string&, int64_t, int64_t) {
    return true;
  };
  int64_t Pos = 8;
  bool Empty = false;
  if (Flags & 0x1000u) {
    // Multi-part: headers up to an empty one; the parts are not looked into.
    for (int Part = 0;; ++Part) {
      if (!WalkExrHeader(Read, Size, Pos, Empty, AnyAttribute)) return false;
      if (Empty) return Part > 0;
    }
  }
  if (Flags & 0x800u) return WalkExrHeader(Read, Size, Pos, Empty, AnyAttribute) && !Empty;
  const bool Tiled = (Flags & 0x200u) != 0;

  int32_t Window[4] = {0, 0, -1, -1};
  bool HaveWindow = false, HaveCompression = false, HaveTiles = false;
  uint8_t Compression = 0, TileMode = 0;
  uint32_t TileX = 0, TileY = 0;
  const bool HeaderFits = WalkExrHeader(
      Read, Size, Pos, Empty,
      [&](const std::string& Name, const std::string& Type, int64_t At, int64_t Length) {
        uint8_t V[16];
        if (Name == "dataWindow" && Type == "box2i" && Length == 16) {
          if (!Read(At, V, 16)) return false;
          for (int I = 0; I < 4; ++I) Window[I] = int32_t(LE32(V + 4 * I));
          HaveWindow = true;
        } else if (Name == "compression" && Length == 1) {
          if (!Read(At, &Compression, 1)) return false;
          HaveCompression = true;
        } else if (Name == "tiles" && Type == "tiledesc" && Length == 9) {
          if (!Read(At, V, 9)) return false;
          TileX = LE32(V);
          TileY = LE32(V + 4);
          TileMode = V[8];
          HaveTiles = true;
        }
        return true;
      });
  if (!HeaderFits) return false;
  if (!HaveWindow || !HaveCompression) return false;
  const int64_t W = int64_t(Window[2]) - Window[0] + 1, H = int64_t(Window[3]) - Window[1] + 1;
  if (W < 1 || H < 1) return false;

  const int64_t TableStart = Pos;
  const int64_t ChunkHeader = Tiled ? 20 : 8;
  int64_t Chunks = 0;
  if (!Tiled) {
    const int64_t Lines = ExrLinesPerChunk(Compression);
    if (Lines == 0) return true;
    Chunks = CeilDiv(H, Lines);
  } else {
    if (!HaveTiles || TileX == 0 || TileY == 0) return false;
    if ((TileMode & 0x0F) == 0) {
      Chunks = CeilDiv(W, TileX) * CeilDiv(H, TileY);
    } else {
      // Level tables: the offsets run up to the first chunk.
      int64_t FirstChunk = Size;
      for (Pos = TableStart; Pos + 8 <= FirstChunk; Pos += 8, ++Chunks) {
        uint8_t O[8];
        if (!Read(Pos, O, 8)) return false;
        const uint64_t Offset = LE64(O);
        if (Offset < uint64_t(Pos + 8) || Offset > uint64_t(Size)) return false;
        FirstChunk = std::min<int64_t>(FirstChunk, int64_t(Offset));
      }
    }
  }
  if (Chunks < 1 || Chunks > (Size - TableStart) / 8) return false;
  const int64_t TableEnd = TableStart + Chunks * 8;
  std::vector<uint8_t> Table(size_t(Chunks * 8));
  if (!Read(TableStart, Table.data(), Chunks * 8)) return false;
  for (int64_t I = 0; I < Chunks; ++I) {
    const uint64_t Offset = LE64(Table.data() + I * 8);
    if (Offset < uint64_t(TableEnd) || Offset > uint64_t(Size - ChunkHeader)) return false;
    uint8_t Chunk[20];
    if (!Read(int64_t(Offset), Chunk, ChunkHeader)) return false;
    const int64_t DataSize = int32_t(LE32(Chunk + ChunkHeader - 4));
    if (DataSize < 0 || DataSize > Size - int64_t(Offset) - ChunkHeader) return false;
  }
  return true;
}

bool PlausiblePictureSize(int64_t Width, int64_t Height, int64_t Bpp, int64_t FileSize) {
  if (Width < 1 || Height < 1 || Bpp < 1 || Bpp > 128 || FileSize < 1) return false;
  if (Width > INT32_MAX || Height > INT32_MAX || Width * Height > INT32_MAX) return false;
  const int64_t PictureBytes = CeilDiv(Width * Bpp, 8) * Height;
  return FileSize >= CeilDiv(PictureBytes, MaxPictureBytesPerFileByte);
}

bool GifFrameSizePlausible(const TReadAt& Read, int64_t Size) {
  uint8_t H[13];
  if (!Read(0, H, 13) || std::memcmp(H, "GIF", 3) != 0) return false;
  int64_t Pos = 13;
  if (H[10] & 0x80) Pos += 3 * (int64_t(2) << (H[10] & 7));  // global colour table
  for (;;) {
    uint8_t Introducer;
    if (!Read(Pos++, &Introducer, 1)) return false;
    if (Introducer == 0x2C) {
      uint8_t D[8];
      if (!Read(Pos, D, 8)) return false;
      const int64_t Width = D[4] | D[5] << 8, Height = D[6] | D[7] << 8;
      return PlausiblePictureSize(Width, Height, 8, Size);
    }
    if (Introducer != 0x21) return false;  // trailer or garbage before any frame
    ++Pos;                                 // extension label
    for (;;) {                             // data sub-blocks up to an empty one
      uint8_t Length;
      if (!Read(Pos++, &Length, 1)) return false;
      if (Length == 0) break;
      Pos += Length;
    }
  }
}

}  // namespace kromel
