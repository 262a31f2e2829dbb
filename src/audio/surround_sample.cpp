#include "audio/surround_sample.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "foundation/endian_bytes.h"
#include "audio/file_stream.h"
#include "audio/riff_chunks.h"
#include "audio/sample_codec.h"
#include "audio/wav_files.h"
#include "audio/wave_record.h"
#include "foundation/ascii_case.h"
#include "foundation/paths.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

constexpr int64_t LoadBlockFrames = 16384;
constexpr size_t MaxNameLength = 255;

std::string Cut255(const std::string& S) { return S.substr(0, MaxNameLength); }

void Show(bool ShowError, const std::string& Text) {
  if (ShowError) PlatformShowMessage(Text);
}

int64_t Held(const TSample32& S) { return S.Data != nullptr ? std::max<int64_t>(S.Count, 0) : 0; }

// Probes S and checks the format against what the sound can hold.
bool ProbeSurround(TByteStream& S, TWavLayout& L, bool ShowError, const std::string& Name) {
  const TWavProbe P = ProbeWav(S, L);
  if (P == TWavProbe::NotRiff) {
    Show(ShowError, "Can't load wave \"" + Name + "\" - File too short");
    return false;
  }
  if (P == TWavProbe::NoFmt) {
    Show(ShowError, "TSurroundSample32.LoadFromWavStream: Can't load wave \"\" - fmt chunk not found");
    return false;
  }
  if (P == TWavProbe::NotWave) {
    Show(ShowError, "Can't load wave \"\" - Not a WAV file");
    return false;
  }
  if (L.Format.Channels > MaxSurroundChannels || !L.HasEncoding) {
    Show(ShowError, Name.empty() ? "Wrong wave file format" : "Wrong wave file format - " + Name);
    return false;
  }
  if (P != TWavProbe::Ok) {
    Show(ShowError, "Can't load wave  - Data chunk not found (sur)");
    return false;
  }
  if (L.Frames == 0) {
    Show(ShowError, "Can't load wave \"" + Name + "\" - no sample data");
    return false;
  }
  return true;
}

// Reads Frames frames from the stream's position into the sound's channels
// in blocks; false on a short read (what arrived is kept).
bool ReadBlocks(TByteStream& S, const TWavLayout& L, TSurroundSample32& Sound, int64_t Frames) {
  std::vector<TSample32*> Ch;
  for (int32_t C = 0; C < Sound.NumChannels; ++C) Ch.push_back(&Sound.Channels[size_t(C)]);
  std::vector<uint8_t> Block(size_t(std::min(Frames, LoadBlockFrames) * L.Format.BlockAlign));
  for (int64_t Pos = 0; Pos < Frames; Pos += LoadBlockFrames) {
    const int64_t N = std::min(Frames - Pos, LoadBlockFrames);
    const int64_t Bytes = N * L.Format.BlockAlign;
    if (S.Read(Block.data(), Bytes) != Bytes) return false;
    DecodeInterleaved(Block.data(), N, Sound.NumChannels, L.Encoding, false, Ch.data(), Pos);
  }
  return true;
}

}  // namespace

void TSurroundSample32::ClearSlots() {
  for (TSample32& C : Channels) C = TSample32();
}

void TSurroundSample32::ToWave(TWave& Wave) const {
  InitSampleRecord(Wave);
  Wave.IsStereo = NumChannels >= 2;
  if (NumChannels == 1) Wave.Mono = Channels[0];
  if (Wave.IsStereo) {
    Wave.Stereo.Left = Channels[0];
    Wave.Stereo.Right = Channels[1];
  }
}

void TSurroundSample32::FromWave(const TWave& Wave) {
  ClearSlots();
  NumChannels = Wave.IsStereo ? 2 : 1;
  if (Wave.IsStereo) {
    Channels[0] = Wave.Stereo.Left;
    Channels[1] = Wave.Stereo.Right;
  } else {
    Channels[0] = Wave.Mono;
  }
}

bool TSurroundSample32::Alloc(int32_t Count, int32_t Frames) {
  NumChannels = 0;
  ClearSlots();
  if (Count < 1 || Count > MaxSurroundChannels) return false;
  NumChannels = Count;
  for (int32_t C = 0; C < Count; ++C)
    if (!Channels[size_t(C)].Alloc(std::max(Frames, 0))) {
      Dispose();
      return false;
    }
  return true;
}

void TSurroundSample32::Dispose() {
  for (int32_t C = 0; C < std::min(NumChannels, MaxSurroundChannels); ++C) Channels[size_t(C)].Dispose();
  ClearSlots();
  NumChannels = 0;
}

void TSurroundSample32::Clear() {
  for (int32_t C = 0; C < NumChannels; ++C) Channels[size_t(C)].Clear();
}

void TSurroundSample32::SetLength(int32_t Frames) {
  if (NumChannels == 0) {
    PlatformShowMessage("TSurroundSample32.SetLength error: NumChannels=0");
    return;
  }
  for (int32_t C = 0; C < NumChannels; ++C) Channels[size_t(C)].Count = Frames;
}

void TSurroundSample32::EqualizeLengths() {
  const int32_t N = Length();
  for (int32_t C = 0; C < NumChannels; ++C)
    if (Channels[size_t(C)].Count != N) Channels[size_t(C)].SetLength(N);
}

int32_t TSurroundSample32::Length() const {
  if (NumChannels < 1 || NumChannels > MaxSurroundChannels) return 0;
  int64_t N = 0;
  for (int32_t C = 0; C < NumChannels; ++C) N = std::max(N, Channels[size_t(C)].Count);
  return int32_t(N);
}

void TSurroundSample32::SetSampleRate(int32_t Rate) {
  for (int32_t C = 0; C < NumChannels; ++C) Channels[size_t(C)].SampleRate = Rate;
}

void TSurroundSample32::AssignRange(const TSurroundSample32& Source, int32_t From, int32_t To) {
  NumChannels = Source.NumChannels;
  From = std::max(From, 0);
  for (int32_t C = 0; C < NumChannels; ++C) {
    const TSample32& Src = Source.Channels[size_t(C)];
    To = int32_t(std::min<int64_t>(To, Held(Src)));
    TSample32& V = Channels[size_t(C)];
    V.Count = std::max(To - From, 0);
    V.Data = Src.Data != nullptr && V.Count > 0 ? Src.Data + From : Src.Data;
    V.SampleRate = Src.SampleRate;
  }
}

void TSurroundSample32::DeleteChannel(int32_t Index) {
  if (Index < 0 || Index >= NumChannels) return;
  Channels[size_t(Index)].Dispose();
  for (int32_t C = Index; C + 1 < NumChannels; ++C) {
    Channels[size_t(C)] = Channels[size_t(C + 1)];
    ChannelNames[size_t(C)] = ChannelNames[size_t(C + 1)];
  }
  --NumChannels;
  Channels[size_t(NumChannels)] = TSample32();
  ChannelNames[size_t(NumChannels)].clear();
}

float TSurroundSample32::Peak() const {
  float P = 0.0f;
  for (int32_t C = 0; C < NumChannels; ++C) P = std::max(P, Channels[size_t(C)].Peak());
  return P;
}

void TSurroundSample32::Scale(float Factor) {
  for (int32_t C = 0; C < NumChannels; ++C) Channels[size_t(C)].Scale(Factor);
}

int32_t TSurroundSample32::IndexOfChannelName(const std::string& ChannelName) const {
  const std::string Wanted = UpperAscii(ChannelName);
  for (int32_t C = 0; C < NumChannels; ++C)
    if (UpperAscii(ChannelNames[size_t(C)]) == Wanted) return C;
  return -1;
}

void TSurroundSample32::ChannelNamesToList(std::vector<std::string>& Lines) const {
  Lines.clear();
  for (int32_t C = 0; C < NumChannels; ++C) {
    const std::string& N = ChannelNames[size_t(C)];
    const std::string Upper = UpperAscii(N);
    const size_t L = Upper.find(" (L)");
    if (L != std::string::npos)
      Lines.push_back("Channel " + std::to_string(C + 1) + "-" + std::to_string(C + 2) + " " +
                      N.substr(0, L) + N.substr(L + 4));
    else if (Upper.find(" (R)") == std::string::npos)
      Lines.push_back("Channel " + std::to_string(C + 1) + " " + N);
  }
}

void TSurroundSample32::SetChannelNamesFromList(const std::vector<std::string>& Lines) {
  auto IsDigit = [](char Ch) { return Ch >= '0' && Ch <= '9'; };
  for (const std::string& Line : Lines) {
    if (Line.size() <= 10) continue;
    std::string Rest = Line.substr(8);
    if (!IsDigit(Rest[0])) continue;
    int32_t N = Rest[0] - '0';
    size_t Digits = 1;
    if (IsDigit(Rest[1])) {
      N = N * 10 + (Rest[1] - '0');
      Digits = 2;
    }
    if (N <= 0 || N >= 39) continue;
    Rest.erase(0, Digits);
    if (!Rest.empty() && Rest[0] == '-') {
      const size_t Blank = Rest.find(' ');
      Rest = Blank == std::string::npos ? std::string() : Rest.substr(Blank + 1);
      ChannelNames[size_t(N - 1)] = Cut255(Rest + " (L)");
      ChannelNames[size_t(N)] = Cut255(Rest + " (R)");
    } else {
      ChannelNames[size_t(N - 1)] = Cut255(Rest.empty() ? Rest : Rest.substr(1));
    }
  }
}

bool TSurroundSample32::LoadFromWavStream(TByteStream& S, const std::string& FileName,
                                          bool ShowError, bool& HighRes) {
  return LoadPartFromWavStream(S, ShowError, HighRes, 0, INT64_MAX) &&
         (Name = Cut255(FileName), true);
}

bool TSurroundSample32::LoadPartFromWavStream(TByteStream& S, bool ShowError, bool& HighRes,
                                              int64_t StartFrame, int64_t FrameCount) {
  Dispose();
  TWavLayout L;
  if (!ProbeSurround(S, L, ShowError, "")) return false;
  if (StartFrame < 0 || L.Frames < StartFrame) return false;
  FrameCount = std::clamp<int64_t>(FrameCount, 0, L.Frames - StartFrame);
  if (FrameCount > INT32_MAX || !Alloc(L.Format.Channels, int32_t(FrameCount))) {
    PlatformShowMessage("Can't allocate memory");
    return false;
  }
  SetSampleRate(L.Format.SamplesPerSec);
  HighRes = L.Format.BitsPerSample > 16;
  return S.SetPosition(L.DataStart + StartFrame * L.Format.BlockAlign) &&
         ReadBlocks(S, L, *this, FrameCount);
}

bool TSurroundSample32::LoadPartFromWavFile(const std::string& FileName, bool ShowError,
                                            bool& HighRes, int64_t StartFrame,
                                            int64_t FrameCount) {
  Dispose();
  TFileReadStream S(FileName);
  if (!OpenedForReading(S, ShowError)) return false;
  const bool Ok = LoadPartFromWavStream(S, ShowError, HighRes, StartFrame, FrameCount);
  Name = Cut255(ExtractFileNameW(FileName));
  return Ok;
}

namespace {

bool SaveSurround(TSurroundSample32& Sound, const std::string& FileName, TSampleEncoding E) {
  if (Sound.NumChannels < 1 || Sound.NumChannels > MaxSurroundChannels) return false;
  Sound.EqualizeLengths();
  std::vector<const TSample32*> Ch;
  for (int32_t C = 0; C < Sound.NumChannels; ++C) {
    if (Sound.Channels[size_t(C)].Data == nullptr && Sound.Length() > 0) return false;
    Ch.push_back(&Sound.Channels[size_t(C)]);
  }
  const int32_t N = Sound.Length();
  TWavHeader H;
  if (E == TSampleEncoding::Float32)
    H.Init32(Sound.NumChannels, N, Sound.SampleRate());
  else
    H.Set(WavFormatPcm, Sound.NumChannels, Sound.SampleRate(), BytesPerSample(E) * 8, N);
  const int64_t Bytes = int64_t(N) * Sound.NumChannels * BytesPerSample(E);
  if (Bytes > int64_t(UINT32_MAX) - 64) return false;
  std::vector<uint8_t> Data(static_cast<size_t>(Bytes));
  EncodeInterleaved(Data.data(), N, Sound.NumChannels, E, false, Ch.data(), 0);
  return WriteWavFile(FileName, H, Data.data(), int64_t(Data.size()));
}

}  // namespace

bool TSurroundSample32::SaveToWav16(const std::string& FileName) {
  return SaveSurround(*this, FileName, TSampleEncoding::Int16);
}
bool TSurroundSample32::SaveToWav24(const std::string& FileName) {
  return SaveSurround(*this, FileName, TSampleEncoding::Int24);
}
bool TSurroundSample32::SaveToWav32(const std::string& FileName) {
  return SaveSurround(*this, FileName, TSampleEncoding::Float32);
}

bool WriteChannelToWav24(const TSample32& Sample, const std::string& FileName,
                         int32_t ChannelIndex, int32_t NumChannels) {
  if (ChannelIndex < 0 || ChannelIndex >= NumChannels || NumChannels > MaxSurroundChannels ||
      Sample.Data == nullptr)
    return false;
  TSurroundSample32 Sound;
  bool Ok = true;
  if (ChannelIndex == 0) {
    Ok = Sound.Alloc(NumChannels, int32_t(Sample.Count));
    if (Ok) Sound.Clear();
  } else {
    TFileReadStream S(FileName);
    bool HighRes = false;
    Ok = S.Opened() && Sound.LoadFromWavStream(S, FileName, false, HighRes) &&
         Sound.NumChannels == NumChannels;
    if (Ok && Sound.Length() < Sample.Count) {
      Sound.Channels[0].SetLength(Sample.Count);
      Sound.EqualizeLengths();
    }
  }
  if (Ok) {
    Sound.SetSampleRate(Sample.SampleRate);
    std::copy_n(Sample.Data, Sample.Count, Sound.Channels[size_t(ChannelIndex)].Data);
    Ok = Sound.SaveToWav24(FileName);
  }
  Sound.Dispose();
  return Ok;
}

int32_t GetWavFrameCountEstimate(const std::string& FileName, bool ShowError) {
  TFileReadStream S(FileName);
  if (!S.Opened()) return -1;
  TWavLayout L;
  const TWavProbe P = ProbeWav(S, L);
  if (P == TWavProbe::NotRiff) {
    Show(ShowError, "Can't load wave \"\" - File too short");
    return -1;
  }
  if (P == TWavProbe::NoFmt) {
    Show(ShowError, "Can't load wave \"\" - fmt chunk not found");
    return -1;
  }
  uint8_t B[8];
  if (L.Format.BitsPerSample < 8 || L.Format.Channels == 0 || !S.SetPosition(0) || S.Read(B, 8) != 8)
    return -1;
  const uint32_t RiffSize = LoadLE32(B + 4);
  return int32_t(RiffSize / (L.Format.BitsPerSample / 8u) / L.Format.Channels);
}

}  // namespace kromel
