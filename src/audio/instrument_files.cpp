// 8- and 16-bit mono WAV files as sampler instruments.
#include <algorithm>
#include <cstring>
#include <memory>

#include "foundation/endian_bytes.h"
#include "audio/file_stream.h"
#include "audio/wave_record.h"

namespace kromel {

namespace {

struct TWavFormat {
  uint16_t Bits = 0;
  uint32_t Rate = 0;
};

// From the current position: skips chunks up to "data"; Size is what of it
// the file really holds.
bool FindDataChunk(TByteStream& S, int64_t& Size) {
  uint8_t H[8];
  while (S.Read(H, 8) == 8) {
    const int64_t ChunkSize = LoadLE32(H + 4);
    if (std::memcmp(H, "data", 4) == 0) {
      Size = std::min(ChunkSize, S.Size() - S.Position());
      return true;
    }
    if (!S.SetPosition(S.Position() + ChunkSize)) return false;
  }
  return false;
}

// Reads the data chunk into Instrument: 8-bit as (b - 128) x 255,
// 16-bit as it is; no loop, both loop points on the last but one sample.
bool ReadInstrumentData(TByteStream& S, const TWavFormat& F, TInstrument16& Instrument) {
  int64_t Size = 0;
  if ((F.Bits != 8 && F.Bits != 16) || !FindDataChunk(S, Size)) return false;
  const int64_t Count = F.Bits == 8 ? Size : Size / 2;
  std::vector<uint8_t> Bytes(size_t(Count * (F.Bits / 8)));
  if (S.Read(Bytes.data(), int64_t(Bytes.size())) != int64_t(Bytes.size())) return false;
  TSample16& Sample = Instrument.Sample;
  Sample.Alloc(Count);
  if (Count > 0 && Sample.Data == nullptr) return false;
  for (int64_t I = 0; I < Count; ++I)
    Sample.Data[I] = F.Bits == 8 ? int16_t((int32_t(Bytes[size_t(I)]) - 128) * 255)
                                 : int16_t(LoadLE16(&Bytes[size_t(2 * I)]));
  Sample.SampleRate = int32_t(std::min<uint32_t>(F.Rate, INT32_MAX));
  Instrument.LoopKind = TLoopKind::NoLoop;
  Instrument.LoopStart = Instrument.LoopEnd = std::max<int64_t>(Count - 2, 0);
  return true;
}

}  // namespace

bool LoadWavToMultiInstrument(const std::string& FileName, MultiInstrument16& Multi) {
  TFileReadStream S(FileName);
  uint8_t H[44];
  if (!S.Opened() || S.Read(H, 44) != 44) return false;
  if (std::memcmp(H, "RIFF", 4) != 0 || std::memcmp(H + 8, "WAVE", 4) != 0 ||
      LoadLE16(H + 22) != 1)
    return false;
  const TWavFormat F{LoadLE16(H + 34), LoadLE32(H + 24)};
  if (!S.SetPosition(20 + int64_t(LoadLE32(H + 16)))) return false;
  auto Instrument = std::make_unique<TInstrument16>();
  if (!ReadInstrumentData(S, F, *Instrument)) {
    Instrument->Sample.Dispose();
    return false;
  }
  Multi.Items.push_back(Instrument.release());
  return true;
}

bool LoadWavToInstrument16(const std::string& FileName, TInstrument16& Instrument) {
  TFileReadStream S(FileName);
  uint8_t H[36];
  if (!S.Opened() || S.Read(H, 36) != 36) return false;
  if (std::memcmp(H, "RIFF", 4) != 0 || std::memcmp(H + 8, "WAVE", 4) != 0 ||
      std::memcmp(H + 12, "fmt ", 4) != 0)
    return false;
  const int64_t FormatSize = LoadLE32(H + 16);
  if (FormatSize < 16 || !S.SetPosition(20 + FormatSize)) return false;
  const TWavFormat F{LoadLE16(H + 34), LoadLE32(H + 24)};
  return ReadInstrumentData(S, F, Instrument);
}

}  // namespace kromel
