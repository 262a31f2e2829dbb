// The canonical 44-byte WAV header with its presets, the format fields of a
// "fmt " chunk, and the probe that every WAV reader starts with.
#pragma once
#include <cstdint>

#include "audio/sample_codec.h"
#include "foundation/byte_stream.h"

namespace kromel {

constexpr int32_t WavHeaderBytes = 44;
constexpr uint16_t WavFormatPcm = 1;
constexpr uint16_t WavFormatFloat = 3;
constexpr uint16_t WavFormatExtensible = 65534;

// The six fields of a "fmt " chunk, in file order.
struct WaveFormatType {
  uint16_t FormatTag = 0;
  uint16_t Channels = 0;
  int32_t SamplesPerSec = 0;
  int32_t AvgBytesPerSec = 0;
  uint16_t BlockAlign = 0;
  uint16_t BitsPerSample = 0;
};
using TShortWavFmtHeader = WaveFormatType;

struct TWavHeader {
  uint32_t RiffSize = 0;
  WaveFormatType Format;
  uint32_t DataSize = 0;

  // Bytes 0..43 as written to a file.
  void ToBytes(uint8_t* B) const;

  // Presets (N frames, C channels, R hertz); counts wrap beyond 4 GB.
  void Init16Mono44100(int32_t N);
  void Init16Mono48000(int32_t N);
  void Init16Stereo44100(int32_t N);
  void Init16Stereo(int32_t R, int32_t N);
  void InitStereo(int32_t Bits, int32_t R, int32_t N);
  void Init24Stereo44100(int32_t N);
  void Init24Mono44100(int32_t N);
  void Init24Mono48000(int32_t N);
  void Init16(int32_t C, int32_t N, int32_t R);
  void Init24(int32_t C, int32_t N, int32_t R);
  void Init32(int32_t C, int32_t N, int32_t R);
  void Init24Channels44100(int32_t N, uint8_t K);
  // Any preset: tag, channels, rate, bits and frames; the rest follows.
  void Set(uint16_t Tag, int32_t C, int32_t R, int32_t Bits, int32_t N);
};

enum class TWavProbe : uint8_t { Ok, NotRiff, NoFmt, NotWave, BadFormat, NoData };

// What a WAV stream holds and where its samples lie.
struct TWavLayout {
  WaveFormatType Format;
  // Valid when HasEncoding: the tag (an extensible file's sub-format) and
  // width are ones the readers handle and BlockAlign fits them.
  bool HasEncoding = false;
  TSampleEncoding Encoding = TSampleEncoding::Int16;
  int64_t DataStart = 0;
  // Whole frames the data chunk really holds (a chunk cut short, or with a
  // size of 0 in a recording never finished, runs to the end of the stream).
  int64_t Frames = 0;
  uint32_t DataSize = 0;  // bytes really there
};

// Reads the RIFF header and the "fmt " chunk from the start of the stream
// and locates "data"; NoData also when the format has no channels or rate.
TWavProbe ProbeWav(TByteStream& S, TWavLayout& L);

}  // namespace kromel
