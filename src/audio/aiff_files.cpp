#include "audio/aiff_files.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "foundation/endian_bytes.h"
#include "audio/file_stream.h"
#include "audio/riff_chunks.h"
#include "audio/sample_codec.h"
#include "audio/surround_sample.h"
#include "audio/wave_record.h"
#include "foundation/error_sink.h"
#include "foundation/paths.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

constexpr uint32_t CommBytes = 18;
constexpr uint32_t AifcCommBytes = 22;

void Show(bool ShowError, const std::string& Text) {
  if (ShowError) PlatformShowMessage(Text);
}

// The sample encoding and byte order of a COMM chunk; false for a
// compression or width the readers do not handle.
bool AiffEncoding(const TChunkData& Comm, bool Aifc, TSampleEncoding& E, bool& BigEndian) {
  const int16_t Bits = int16_t(LoadBE16(Comm.data() + 6));
  BigEndian = true;
  if (Aifc && Comm.size() >= AifcCommBytes) {
    const uint8_t* Type = Comm.data() + 18;
    if (ChunkNameIs(Type, "fl32") || ChunkNameIs(Type, "FL32")) {
      E = TSampleEncoding::Float32;
      return true;
    }
    if (ChunkNameIs(Type, "sowt"))
      BigEndian = false;
    else if (!ChunkNameIs(Type, "NONE") && !ChunkNameIs(Type, "twos"))
      return false;
  }
  switch (Bits) {
    case 8: E = TSampleEncoding::Int8; return true;
    case 16: E = TSampleEncoding::Int16; return true;
    case 24: E = TSampleEncoding::Int24; return true;
    case 32: E = TSampleEncoding::Int32; return true;
    default: return false;
  }
}

}  // namespace

int32_t AiffSampleRate(const TExtended80& B) {
  const int32_t Exponent = (B[0] & 0x7F) << 8 | B[1];
  uint64_t Mantissa = 0;
  for (int I = 2; I < 10; ++I) Mantissa = Mantissa << 8 | B[size_t(I)];
  if ((B[0] & 0x80) != 0 || Exponent == 0x7FFF) return 0;
  const long double Rate = std::ldexp((long double)Mantissa, Exponent - 16383 - 63);
  const long double R = std::nearbyint(Rate);
  return R >= 1 && R <= INT32_MAX ? int32_t(R) : 0;
}

bool TSurroundSample32::LoadFromAiffStream(TByteStream& S, bool ShowError, bool& HighRes) {
  Dispose();
  uint8_t Form[12];
  if (!S.SetPosition(0) || S.Read(Form, 12) != 12) {
    Show(ShowError, "Aiff read error: no COMM found!");
    return false;
  }
  const bool Aifc = ChunkNameIs(Form + 8, "AIFC");
  TChunkData Comm, Ssnd;
  uint32_t Size = 0;
  if (!ReadChunkFromStream(S, "COMM", Comm, Size, true) || Size < CommBytes) {
    Show(ShowError, "Aiff read error: no COMM found!");
    return false;
  }
  const int16_t Channels = int16_t(LoadBE16(Comm.data()));
  const uint32_t Frames = LoadBE32(Comm.data() + 2);
  if (Channels != 1 && Channels != 2) {
    Show(ShowError, "Aiff read error: wrong channels number!");
    return false;
  }
  TSampleEncoding E{};
  bool BigEndian = true;
  TExtended80 RateBytes{};
  std::copy_n(Comm.data() + 8, 10, RateBytes.begin());
  const int32_t Rate = AiffSampleRate(RateBytes);
  if (!AiffEncoding(Comm, Aifc, E, BigEndian) || Rate == 0) {
    Show(ShowError, "Aiff read error: unsupported sample format!");
    return false;
  }
  // SSND may come before or after COMM.
  if (!S.SetPosition(RiffBodyOffset) || !ReadChunkFromStream(S, "SSND", Ssnd, Size, true) ||
      Size < 8) {
    Show(ShowError, "Aiff read error: no SSND chunk!");
    return false;
  }
  const int64_t Skip = 8 + int64_t(LoadBE32(Ssnd.data()));
  const int64_t FrameBytes = int64_t(Channels) * BytesPerSample(E);
  const int64_t Held = Skip <= Size ? (Size - Skip) / FrameBytes : 0;
  const int64_t N = std::min<int64_t>(Frames, Held);
  if (!Alloc(Channels, int32_t(N))) {
    Show(ShowError, "Aiff read error: not enough memory!");
    return false;
  }
  TSample32* Ch[2] = {&this->Channels[0], &this->Channels[1]};
  DecodeInterleaved(Ssnd.data() + Skip, N, Channels, E, BigEndian, Ch, 0);
  SetSampleRate(Rate);
  HighRes = BytesPerSample(E) > 2;
  return true;
}

bool TSurroundSample32::LoadFromAiffFile(const std::string& FileName, bool ShowError,
                                         bool& HighRes) {
  Dispose();
  TFileReadStream S(FileName);
  if (!OpenedForReading(S, ShowError) || !LoadFromAiffStream(S, ShowError, HighRes)) return false;
  Name = FileName.substr(0, 255);
  return true;
}

bool LoadStereoFromAiffStream(TByteStream& S, TStereoSample32& Stereo, bool ShowError,
                              bool& HighRes) {
  Stereo.Init();
  TSurroundSample32 Sound;
  if (!Sound.LoadFromAiffStream(S, ShowError, HighRes)) return false;
  Stereo.Left = Sound.Channels[0];
  if (Sound.NumChannels == 2) {
    Stereo.Right = Sound.Channels[1];
    return true;
  }
  if (Stereo.Right.Alloc(Stereo.Left.Count)) {
    Stereo.Left.CopyTo(Stereo.Right);
    return true;
  }
  Stereo.Dispose();
  return false;
}

bool LoadStereoFromAiff(const std::string& FileName, TStereoSample32& Stereo, bool ShowError,
                        bool& HighRes) {
  Stereo.Init();
  TFileReadStream S(FileName);
  return OpenedForReading(S, ShowError) && LoadStereoFromAiffStream(S, Stereo, ShowError, HighRes);
}

bool LoadWaveFromAiffStream(TByteStream& S, TWave& Wave, bool ShowError, bool& HighRes) {
  Wave.Dispose();
  InitSampleRecord(Wave);
  try {
    TSurroundSample32 Sound;
    if (!Sound.LoadFromAiffStream(S, ShowError, HighRes)) return false;
    Sound.ToWave(Wave);
    return true;
  } catch (const std::exception&) {
    Wave.Dispose();
    InitSampleRecord(Wave);
    ErrorMessageProc("Exception in LoadWaveFromAiffStream");
    return false;
  }
}

bool LoadWaveFromAiff(const std::string& FileName, TWave& Wave, bool ShowError, bool& HighRes) {
  Wave.Dispose();
  InitSampleRecord(Wave);
  try {
    TFileReadStream S(FileName);
    if (!OpenedForReading(S, ShowError) || !LoadWaveFromAiffStream(S, Wave, ShowError, HighRes))
      return false;
    Wave.Name = ExtractFileNameW(FileName).substr(0, MaxWaveNameLength);
    return true;
  } catch (const std::exception&) {
    Wave.Dispose();
    InitSampleRecord(Wave);
    ErrorMessageProc("Exception in LoadWaveFromAiff " + FileName);
    return false;
  }
}

}  // namespace kromel
