// The "3DLB" and "3DLA" chunks and the "KRBl" stream files of T3DLut: a
// reader and a writer for each.
#include "lut/lut_chunks.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include <sys/stat.h>
#include <sys/types.h>

#include "foundation/byte_codecs.h"
#include "foundation/error_sink.h"
#include "foundation/files.h"
#include "foundation/text_tokens.h"
#include "foundation/utf16.h"
#include "lut/lut.h"
#include "platform/translate.h"

namespace kromel {

// --- Field helpers ---

bool ReadChunkTag(TByteStream& Stream, char Tag[4]) {
  if (Stream.Remaining() < 4) return false;
  Stream.ReadBuffer(Tag, 4);
  return true;
}

bool ReadChunkInt32(TByteStream& Stream, int32_t& Value) {
  uint8_t Bytes[4];
  if (Stream.Remaining() < 4) return false;
  Stream.ReadBuffer(Bytes, 4);
  Value = static_cast<int32_t>(uint32_t(Bytes[0]) | uint32_t(Bytes[1]) << 8 |
                               uint32_t(Bytes[2]) << 16 | uint32_t(Bytes[3]) << 24);
  return true;
}

bool ReadChunkSingles(TByteStream& Stream, float* Values, int64_t Count) {
  if (Count < 0 || Count > Stream.Remaining() / 4) return false;
  if (Count == 0) return true;
  Stream.ReadBuffer(Values, 4 * Count);
  if constexpr (std::endian::native == std::endian::big) {
    for (int64_t i = 0; i < Count; ++i)
      Values[i] = std::bit_cast<float>(ByteSwap32(std::bit_cast<uint32_t>(Values[i])));
  }
  return true;
}

void WriteChunkTag(TByteStream& Stream, const char Tag[4]) { Stream.WriteBuffer(Tag, 4); }

void WriteChunkInt32(TByteStream& Stream, int32_t Value) {
  const uint32_t V = static_cast<uint32_t>(Value);
  const uint8_t Bytes[4] = {uint8_t(V), uint8_t(V >> 8), uint8_t(V >> 16), uint8_t(V >> 24)};
  Stream.WriteBuffer(Bytes, 4);
}

void WriteChunkSingles(TByteStream& Stream, const float* Values, int64_t Count) {
  if (Count <= 0) return;
  if constexpr (std::endian::native == std::endian::little) {
    Stream.WriteBuffer(Values, 4 * Count);
  } else {
    std::vector<uint32_t> Swapped(static_cast<std::size_t>(Count));
    for (int64_t i = 0; i < Count; ++i)
      Swapped[i] = ByteSwap32(std::bit_cast<uint32_t>(Values[i]));
    Stream.WriteBuffer(Swapped.data(), 4 * Count);
  }
}

bool ReadChunkName(TByteStream& Stream, std::string& Name, bool& Present) {
  Present = false;
  if (Stream.Remaining() < 4) return true;
  const int64_t Start = Stream.Position();
  int32_t Raw = 0;
  ReadChunkInt32(Stream, Raw);
  const int64_t Bytes = 2 * int64_t(static_cast<uint32_t>(Raw));
  if (Bytes > Stream.Remaining()) {
    Stream.SetPosition(Start);
    return false;
  }
  std::string Units(static_cast<std::size_t>(Bytes), '\0');
  Stream.ReadBuffer(Units.data(), Bytes);
  Name = Utf16ToUtf8(LEBytesToUtf16(Units.data(), Units.size()));
  Present = true;
  return true;
}

bool IsVersionOneBlockSize(int32_t BlockSize, int32_t N) {
  if (N < 0 || N > 2048) return false;
  return int64_t(12) * N * N * N + 4 == BlockSize;
}

namespace {

constexpr int64_t NodeBlock = 4096;  // nodes moved per block

struct TLutChunkHeader {
  int32_t SizeField = 0;
  int32_t Version = 0;
  int32_t NR = 0, NG = 0, NB = 0;
  std::string Name;
  bool NamePresent = false;
  bool Empty = false;
  bool Cubic = false;
  int64_t Nodes = 0;
};

// The fields after the tag, through the name, and the shape they give:
// all level counts 0 (empty) or each a valid level count; equal counts
// must agree with a non-zero Size field.
bool ReadLutChunkHeader(TByteStream& Stream, TLutChunkHeader& H) {
  int32_t BlockSize = 0;
  if (!ReadChunkInt32(Stream, BlockSize) || !ReadChunkInt32(Stream, H.SizeField)) return false;
  if (IsVersionOneBlockSize(BlockSize, H.SizeField))
    H.Version = 1;
  else if (!ReadChunkInt32(Stream, H.Version))
    return false;
  if (H.Version < 3) {
    H.NR = H.NG = H.NB = H.SizeField;
  } else if (!ReadChunkInt32(Stream, H.NR) || !ReadChunkInt32(Stream, H.NG) ||
             !ReadChunkInt32(Stream, H.NB)) {
    return false;
  }
  if (!ReadChunkName(Stream, H.Name, H.NamePresent)) return false;
  H.Empty = H.NR == 0 && H.NG == 0 && H.NB == 0;
  if (H.Empty) return true;
  if (!ValidLutLevels(H.NR) || !ValidLutLevels(H.NG) || !ValidLutLevels(H.NB)) return false;
  H.Cubic = H.NR == H.NG && H.NR == H.NB;
  // A non-cubic LUT may carry its red count in the Size field (older
  // stream-file loads); a cubic one must carry its size or 0.
  if (H.Cubic && H.SizeField != 0 && H.SizeField != H.NR) return false;
  H.Nodes = int64_t(H.NR) * H.NG * H.NB;
  return true;
}

uint64_t PlaneCRC(const float* Plane, int32_t Count) {
  return CRC64OfBuffer(Plane, static_cast<std::size_t>(std::max(Count, 0)) * sizeof(float));
}

// True when the planes hold every node of the levels (else the chunk is
// written empty).
bool ChunkHasNodes(const T3DLut& Lut) {
  return Lut.HasPlanes() && Lut.Count == int64_t(Lut.NLRH) * Lut.NLGS * Lut.NLBL;
}

// The fields from the tag through the name.
void WriteLutChunkHeader(TByteStream& Stream, const T3DLut& Lut, const char Tag[4],
                         int32_t Version, bool Has) {
  const int32_t Nodes = Has ? Lut.Count : 0;
  WriteChunkTag(Stream, Tag);
  WriteChunkInt32(Stream, Nodes * 4 + 20);
  WriteChunkInt32(Stream, Has ? Lut.Size : 0);
  WriteChunkInt32(Stream, Version);
  WriteChunkInt32(Stream, Has ? Lut.NLRH : 0);
  WriteChunkInt32(Stream, Has ? Lut.NLGS : 0);
  WriteChunkInt32(Stream, Has ? Lut.NLBL : 0);
  WriteWideStringToStream(Lut.Name, Stream);
}

// Read() inside an exception guard: an exception puts the stream back
// where it was, reports Message (when there is one) and gives false.
template <class TRead>
bool GuardedRead(TByteStream& Stream, const char* Message, TRead Read) {
  const int64_t Origin = Stream.Position();
  try {
    return Read();
  } catch (...) {
    Stream.SetPosition(Origin);
    if (Message != nullptr) ErrorMessageProc(Message);
    return false;
  }
}

// The chunk's tag; any other (or none) is reported and the stream put
// back where it was.
bool ReadExpectedTag(TByteStream& Stream, const char Expected[4]) {
  const int64_t Start = Stream.Position();
  char Tag[4];
  if (ReadChunkTag(Stream, Tag) && std::memcmp(Tag, Expected, 4) == 0) return true;
  ErrorMessageProc("Error loading T3DLUT from stream!");
  Stream.SetPosition(Start);
  return false;
}

// Zero planes of the header's shape (cubic when its counts are equal).
bool AllocLoadedShape(T3DLut& Loaded, const TLutChunkHeader& H) {
  return H.Cubic ? Loaded.SetSize(H.NR) : Loaded.SetLevels(H.NR, H.NG, H.NB);
}

}  // namespace

// --- "3DLB" ---

bool WriteLut3DChunk(TByteStream& Stream, const T3DLut& Lut, bool IncludePreset) {
  const bool Has = ChunkHasNodes(Lut);
  const int32_t Nodes = Has ? Lut.Count : 0;
  try {
    WriteLutChunkHeader(Stream, Lut, Lut3DChunkTag, Lut3DChunkVersion, Has);
  } catch (...) {
    ErrorMessageProc("Exception in SaveToStream 0, NumLevelsGS=" + std::to_string(Lut.NLGS) +
                     " NumLevels=" + std::to_string(Lut.Size));
    return false;
  }
  try {
    std::vector<float> Block(static_cast<std::size_t>(std::min<int64_t>(Nodes, NodeBlock) * 3));
    for (int64_t First = 0; First < Nodes; First += NodeBlock) {
      const int64_t N = std::min<int64_t>(NodeBlock, Nodes - First);
      for (int64_t i = 0; i < N; ++i) {
        Block[3 * i] = Lut.R[First + i];
        Block[3 * i + 1] = Lut.G[First + i];
        Block[3 * i + 2] = Lut.B[First + i];
      }
      WriteChunkSingles(Stream, Block.data(), 3 * N);
    }
  } catch (...) {
    ErrorMessageProc("Exception in 3DLUT.SaveToStream 1, NumLevelsGS=" + std::to_string(Lut.NLGS));
    return false;
  }
  try {
    WriteChunkTag(Stream, LutPresetTag);
    const int64_t P = (IncludePreset && Lut.Preset) ? Lut.Preset->Size() : 0;
    if (P > INT32_MAX) throw EStreamError("Preset too large");
    WriteChunkInt32(Stream, static_cast<int32_t>(P));
    if (P > 0) Stream.WriteBuffer(Lut.Preset->Memory(), P);
  } catch (...) {
    ErrorMessageProc("Exception in 3DLUT.SaveToStream 2");
    return false;
  }
  return true;
}

namespace {

bool ReadChunk3D(TByteStream& Stream, T3DLut& Lut, bool& Changed) {
  const int64_t Start = Stream.Position();
  if (!ReadExpectedTag(Stream, Lut3DChunkTag)) {
    Lut.Preset.reset();
    Lut.FreeData();
    return false;
  }
  auto Fail = [&](const char* Text) {
    ErrorMessageProc(Text);
    Stream.SetPosition(Start);
    return false;
  };
  TLutChunkHeader H;
  if (!ReadLutChunkHeader(Stream, H)) return Fail("Exception in T3DLut.LoadFromStream 1");

  T3DLut Loaded;
  if (!H.Empty) {
    if (H.Nodes > Stream.Remaining() / 12) return Fail("Exception in T3DLut.LoadFromStream 2");
    if (!AllocLoadedShape(Loaded, H)) return Fail("Exception in T3DLut.LoadFromStream 2");
    std::vector<float> Block(static_cast<std::size_t>(std::min(H.Nodes, NodeBlock) * 3));
    for (int64_t First = 0; First < H.Nodes; First += NodeBlock) {
      const int64_t N = std::min(NodeBlock, H.Nodes - First);
      ReadChunkSingles(Stream, Block.data(), 3 * N);
      for (int64_t i = 0; i < N; ++i) {
        Loaded.R[First + i] = Block[3 * i];
        Loaded.G[First + i] = Block[3 * i + 1];
        Loaded.B[First + i] = Block[3 * i + 2];
      }
    }
  }

  std::unique_ptr<TMemoryStream> NewPreset;
  if (H.Version > 1 && Stream.Remaining() > 0 && Stream.Remaining() < 4) {
    // A chunk that ends inside its preset tag is cut short.
    char Part[3] = {};
    const int64_t Left = Stream.Remaining();
    Stream.ReadBuffer(Part, Left);
    if (std::memcmp(Part, LutPresetTag, static_cast<std::size_t>(Left)) == 0)
      return Fail("Exception in T3DLut.LoadFromStream 2");
    Stream.SetPosition(Stream.Position() - Left);
  }
  if (H.Version > 1 && Stream.Remaining() >= 4) {
    const int64_t At = Stream.Position();
    char PTag[4];
    ReadChunkTag(Stream, PTag);
    if (std::memcmp(PTag, LutPresetTag, 4) == 0) {
      int32_t P = 0;
      if (!ReadChunkInt32(Stream, P) || P < 0 || P > Stream.Remaining())
        return Fail("Exception in T3DLut.LoadFromStream 2");
      if (P > 0) {
        std::string Bytes(static_cast<std::size_t>(P), '\0');
        Stream.ReadBuffer(Bytes.data(), P);
        NewPreset = std::make_unique<TMemoryStream>(Bytes);
        NewPreset->SetPosition(P);
      }
    } else {
      Stream.SetPosition(At);
    }
  }

  const uint64_t OldR = PlaneCRC(Lut.R, Lut.Count), OldG = PlaneCRC(Lut.G, Lut.Count),
                 OldB = PlaneCRC(Lut.B, Lut.Count);
  const bool ShapeChanged =
      Lut.NLRH != Loaded.NLRH || Lut.NLGS != Loaded.NLGS || Lut.NLBL != Loaded.NLBL;
  Lut.AdoptShape(Loaded);
  if (H.NamePresent) Lut.Name = H.Name;
  Lut.Preset = std::move(NewPreset);
  Changed = ShapeChanged || OldR != PlaneCRC(Lut.R, Lut.Count) ||
            OldG != PlaneCRC(Lut.G, Lut.Count) || OldB != PlaneCRC(Lut.B, Lut.Count);
  if (Changed && Lut.OnChange) Lut.OnChange(&Lut);
  return true;
}

}  // namespace

bool ReadLut3DChunk(TByteStream& Stream, T3DLut& Lut, bool& Changed) {
  Changed = false;
  return GuardedRead(Stream, "Exception in T3DLut.LoadFromStream 2",
                     [&] { return ReadChunk3D(Stream, Lut, Changed); });
}

// --- "3DLA" ---

bool WriteLutSingleChannelChunk(TByteStream& Stream, const T3DLut& Lut) {
  const bool Has = ChunkHasNodes(Lut);
  const int32_t Nodes = Has ? Lut.Count : 0;
  try {
    WriteLutChunkHeader(Stream, Lut, Lut3DSingleChannelTag, Lut3DSingleChannelVersion, Has);
    // -0.0 == 0 holds and NaN == 0 does not, as the kind wants.
    const bool AllZero = std::all_of(Lut.R, Lut.R + Nodes, [](float V) { return V == 0.0f; });
    WriteChunkInt32(Stream, AllZero ? 1 : 0);
    if (!AllZero) WriteChunkSingles(Stream, Lut.R, Nodes);
  } catch (...) {
    ErrorMessageProc("Exception in SaveToStreamSingleChannel");
    return false;
  }
  return true;
}

namespace {

bool ReadChunkSingleChannel(TByteStream& Stream, T3DLut& Lut, bool& Changed) {
  const int64_t Start = Stream.Position();
  if (!ReadExpectedTag(Stream, Lut3DSingleChannelTag)) return false;
  auto Fail = [&](const char* Text) {
    ErrorMessageProc(Text);
    Stream.SetPosition(Start);
    return false;
  };
  TLutChunkHeader H;
  int32_t Kind = 0;
  if (!ReadLutChunkHeader(Stream, H) || (H.Version >= 4 && !ReadChunkInt32(Stream, Kind)))
    return Fail("Exception in T3DLut.LoadFromStreamSingleChannel 3");

  T3DLut Loaded;
  if (!H.Empty) {
    if (Kind != 1 && H.Nodes > Stream.Remaining() / 4)
      return Fail("Exception in T3DLut.LoadFromStreamSingleChannel 2");
    if (!AllocLoadedShape(Loaded, H))
      return Fail("Exception in T3DLut.LoadFromStreamSingleChannel 2");
    if (Kind != 1) ReadChunkSingles(Stream, Loaded.R, H.Nodes);
  }

  const uint64_t OldR = PlaneCRC(Lut.R, Lut.Count);
  const bool ShapeChanged =
      Lut.NLRH != Loaded.NLRH || Lut.NLGS != Loaded.NLGS || Lut.NLBL != Loaded.NLBL;
  Lut.Preset.reset();
  Lut.AdoptShape(Loaded);
  Lut.Name = H.NamePresent ? H.Name : std::string();
  Changed = ShapeChanged || OldR != PlaneCRC(Lut.R, Lut.Count);
  return true;
}

}  // namespace

bool ReadLutSingleChannelChunk(TByteStream& Stream, T3DLut& Lut, bool& Changed) {
  Changed = false;
  return GuardedRead(Stream, "Exception in T3DLut.LoadFromStreamSingleChannel 2",
                     [&] { return ReadChunkSingleChannel(Stream, Lut, Changed); });
}

// --- "KRBl" stream files ---

bool WriteKrsStream(TByteStream& Out, const T3DLut& Lut, const std::string& LutName,
                    bool EightBit) {
  if (!Lut.HasPlanes() || Lut.Count != int64_t(Lut.NLRH) * Lut.NLGS * Lut.NLBL || Lut.Count <= 0)
    return false;
  const int32_t Count = Lut.Count;
  try {
    WriteChunkTag(Out, KrsMagic);
    WriteChunkInt32(Out, KrsVersion);
    WriteChunkInt32(Out, EightBit ? 0 : 1);
    WriteChunkInt32(Out, Lut.NLRH);
    WriteChunkInt32(Out, Lut.NLGS);
    WriteChunkInt32(Out, Lut.NLBL);
    // The name field: length byte, up to 63 bytes (not cutting a UTF-8
    // sequence), zeros.
    std::size_t L = std::min<std::size_t>(LutName.size(), KrsMaxNameBytes);
    if (L < LutName.size())
      while (L > 0 && (static_cast<uint8_t>(LutName[L]) & 0xC0) == 0x80) --L;
    uint8_t NameField[KrsNameFieldBytes] = {};
    NameField[0] = static_cast<uint8_t>(L);
    std::memcpy(NameField + 1, LutName.data(), L);
    Out.WriteBuffer(NameField, KrsNameFieldBytes);

    // Values clamped to 0..1 (NaN as 0) in the file only; the LUT stays.
    const float Scale = EightBit ? 255.0f : 65535.0f;
    auto Code = [Scale](float V) {
      if (!(V > 0)) V = 0;
      if (V > 1) V = 1;
      return static_cast<uint32_t>(std::nearbyint(V * Scale));
    };
    const int Width = EightBit ? 1 : 2;
    std::vector<uint8_t> Data(static_cast<std::size_t>(Count) * 3 * Width);
    std::size_t k = 0;
    for (int32_t i = 0; i < Count; ++i)
      for (const float* P : {Lut.R, Lut.G, Lut.B}) {
        const uint32_t C = Code(P[i]);
        Data[k++] = static_cast<uint8_t>(C);
        if (!EightBit) Data[k++] = static_cast<uint8_t>(C >> 8);
      }
    Out.WriteBuffer(Data.data(), static_cast<int64_t>(Data.size()));
    return true;
  } catch (...) {
    return false;
  }
}

bool WriteKrsFile(const std::string& FileName, const T3DLut& Lut, const std::string& LutName,
                  bool EightBit) {
  try {
    TMemoryStream Out;
    return WriteKrsStream(Out, Lut, LutName, EightBit) &&
           SaveBufferToFile(FileName, Out.Memory(), Out.Size());
  } catch (...) {
    return false;
  }
}

bool ReadKrsFile(const std::string& FileName, T3DLut& Lut) {
  std::FILE* F = std::fopen(FileName.c_str(), "rb");
  if (F == nullptr) return false;
  // A folder opens too, and seeking to its end gives no file length.
  struct stat Info;
  if (fstat(fileno(F), &Info) != 0 || !S_ISREG(Info.st_mode)) {
    std::fclose(F);
    return false;
  }
  std::string Bytes;
  bool Ok = fseeko(F, 0, SEEK_END) == 0;
  const off_t Length = Ok ? ftello(F) : -1;
  Ok = Ok && Length >= 0 && fseeko(F, 0, SEEK_SET) == 0;
  if (Ok) {
    // Bytes beyond the largest possible LUT are never needed.
    Bytes.resize(static_cast<std::size_t>(std::min<int64_t>(Length, KrsMaxFileBytes)));
    Ok = std::fread(Bytes.data(), 1, Bytes.size(), F) == Bytes.size();
  }
  std::fclose(F);
  if (!Ok) return false;
  TMemoryStream Stream(Bytes);
  return ReadKrsStream(Stream, Lut);
}

namespace {

bool ReadKrs(TByteStream& Stream, T3DLut& Lut) {
  const int64_t Start = Stream.Position();
  auto Fail = [&]() {
    Stream.SetPosition(Start);
    return false;
  };
  char Magic[4];
  int32_t Version = 0, Flags = 0, NR = 0, NG = 0, NB = 0;
  if (!ReadChunkTag(Stream, Magic) || std::memcmp(Magic, KrsMagic, 4) != 0) return Fail();
  if (!ReadChunkInt32(Stream, Version)) return Fail();
  if (Version >= 2) {
    ErrorMessageProc(_("This file was created with a newer version of the software. Please update."));
    return Fail();
  }
  if (!ReadChunkInt32(Stream, Flags) || !ReadChunkInt32(Stream, NR) ||
      !ReadChunkInt32(Stream, NG) || !ReadChunkInt32(Stream, NB))
    return Fail();
  if (!ValidLutLevels(NR) || !ValidLutLevels(NG) || !ValidLutLevels(NB)) return Fail();
  uint8_t NameField[KrsNameFieldBytes];
  if (Stream.Remaining() < KrsNameFieldBytes) return Fail();
  Stream.ReadBuffer(NameField, KrsNameFieldBytes);
  const std::size_t L = std::min<std::size_t>(NameField[0], KrsMaxNameBytes);
  const std::string RawName(reinterpret_cast<const char*>(NameField + 1), L);

  const bool Sixteen = (Flags & 1) != 0;
  const int64_t Nodes = int64_t(NR) * NG * NB;
  const int64_t DataBytes = Nodes * 3 * (Sixteen ? 2 : 1);
  if (DataBytes > Stream.Remaining()) return Fail();
  T3DLut Loaded;
  const bool Cubic = NR == NG && NR == NB;
  if (!(Cubic ? Loaded.SetSize(NR) : Loaded.SetLevels(NR, NG, NB))) return Fail();
  std::vector<uint8_t> Data(static_cast<std::size_t>(DataBytes));
  Stream.ReadBuffer(Data.data(), DataBytes);
  float* Planes[3] = {Loaded.R, Loaded.G, Loaded.B};
  std::size_t k = 0;
  for (int64_t i = 0; i < Nodes; ++i)
    for (float* P : Planes) {
      if (Sixteen) {
        const uint32_t W = uint32_t(Data[k]) | uint32_t(Data[k + 1]) << 8;
        k += 2;
        P[i] = static_cast<float>(double(W) / 65535.0);
      } else {
        P[i] = static_cast<float>(double(Data[k++]) / 255.0);
      }
    }
  Lut.AdoptShape(Loaded);
  // Malformed UTF-8 from the file becomes U+FFFD.
  Lut.Name = Utf16ToUtf8(Utf8ToUtf16(RawName));
  return true;
}

}  // namespace

bool ReadKrsStream(TByteStream& Stream, T3DLut& Lut) {
  return GuardedRead(Stream, nullptr, [&] { return ReadKrs(Stream, Lut); });
}

}  // namespace kromel
