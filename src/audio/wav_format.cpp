#include "audio/wav_format.h"

#include <algorithm>
#include <cstring>

#include "foundation/endian_bytes.h"
#include "audio/riff_chunks.h"

namespace kromel {

void TWavHeader::ToBytes(uint8_t* B) const {
  std::memcpy(B, "RIFF", 4);
  StoreLE32(B + 4, RiffSize);
  std::memcpy(B + 8, "WAVEfmt ", 8);
  StoreLE32(B + 16, 16);
  StoreLE16(B + 20, Format.FormatTag);
  StoreLE16(B + 22, Format.Channels);
  StoreLE32(B + 24, uint32_t(Format.SamplesPerSec));
  StoreLE32(B + 28, uint32_t(Format.AvgBytesPerSec));
  StoreLE16(B + 32, Format.BlockAlign);
  StoreLE16(B + 34, Format.BitsPerSample);
  std::memcpy(B + 36, "data", 4);
  StoreLE32(B + 40, DataSize);
}

void TWavHeader::Set(uint16_t Tag, int32_t C, int32_t R, int32_t Bits, int32_t N) {
  Format.FormatTag = Tag;
  Format.Channels = uint16_t(C);
  Format.SamplesPerSec = R;
  Format.BlockAlign = uint16_t(C * Bits / 8);
  Format.AvgBytesPerSec = int32_t(uint32_t(R) * Format.BlockAlign);
  Format.BitsPerSample = uint16_t(Bits);
  DataSize = uint32_t(N) * Format.BlockAlign;
  RiffSize = DataSize + 36;
}

void TWavHeader::Init16Mono44100(int32_t N) { Set(WavFormatPcm, 1, 44100, 16, N); }
void TWavHeader::Init16Mono48000(int32_t N) { Set(WavFormatPcm, 1, 48000, 16, N); }
void TWavHeader::Init16Stereo44100(int32_t N) { Set(WavFormatPcm, 2, 44100, 16, N); }
void TWavHeader::Init16Stereo(int32_t R, int32_t N) { Set(WavFormatPcm, 2, R, 16, N); }
void TWavHeader::InitStereo(int32_t Bits, int32_t R, int32_t N) { Set(WavFormatPcm, 2, R, Bits, N); }
void TWavHeader::Init24Stereo44100(int32_t N) { Set(WavFormatPcm, 2, 44100, 24, N); }
void TWavHeader::Init24Mono44100(int32_t N) { Set(WavFormatPcm, 1, 44100, 24, N); }
void TWavHeader::Init24Mono48000(int32_t N) { Set(WavFormatPcm, 1, 48000, 24, N); }
void TWavHeader::Init16(int32_t C, int32_t N, int32_t R) { Set(WavFormatPcm, C, R, 16, N); }
void TWavHeader::Init24(int32_t C, int32_t N, int32_t R) { Set(WavFormatPcm, C, R, 24, N); }
void TWavHeader::Init32(int32_t C, int32_t N, int32_t R) { Set(WavFormatFloat, C, R, 32, N); }
void TWavHeader::Init24Channels44100(int32_t N, uint8_t K) {
  Set(WavFormatPcm, int32_t(K) + 1, 44100, 24, N);
}

TWavProbe ProbeWav(TByteStream& S, TWavLayout& L) {
  L = TWavLayout();
  uint8_t Riff[12];
  if (!S.SetPosition(0) || S.Read(Riff, 12) != 12 || !ChunkNameIs(Riff, "RIFF"))
    return TWavProbe::NotRiff;
  TChunkData Fmt;
  uint32_t Size = 0;
  if (!ReadChunkFromStream(S, "fmt ", Fmt, Size, false)) return TWavProbe::NoFmt;
  if (!ChunkNameIs(Riff + 8, "WAVE")) return TWavProbe::NotWave;
  // Format bytes the chunk does not hold read as 0.
  Fmt.resize(std::max<size_t>(Fmt.size(), 26), 0);
  WaveFormatType& F = L.Format;
  F.FormatTag = LoadLE16(Fmt.data());
  F.Channels = LoadLE16(Fmt.data() + 2);
  F.SamplesPerSec = int32_t(LoadLE32(Fmt.data() + 4));
  F.AvgBytesPerSec = int32_t(LoadLE32(Fmt.data() + 8));
  F.BlockAlign = LoadLE16(Fmt.data() + 12);
  F.BitsPerSample = LoadLE16(Fmt.data() + 14);
  // An extensible format names its sample kind in the sub-format's first word.
  const uint16_t Tag =
      F.FormatTag == WavFormatExtensible && Size >= 26 ? LoadLE16(Fmt.data() + 24) : F.FormatTag;
  L.HasEncoding = SampleEncodingOf(Tag, F.BitsPerSample, L.Encoding) && F.Channels > 0 &&
                  F.BlockAlign == F.Channels * BytesPerSample(L.Encoding);
  if (F.Channels == 0 || F.SamplesPerSec <= 0) return TWavProbe::BadFormat;
  if (!FindChunkInStream(S, "data", Size, false)) return TWavProbe::NoData;
  L.DataStart = S.Position();
  L.DataSize = uint32_t(std::min<int64_t>(Size, S.Size() - L.DataStart));
  if (L.HasEncoding) L.Frames = L.DataSize / F.BlockAlign;
  return TWavProbe::Ok;
}

}  // namespace kromel
