#include "audio/multi_surround_wave.h"

#include <algorithm>

#include "audio/file_stream.h"
#include "audio/sample_files.h"
#include "audio/wav_format.h"
#include "audio/wave_markers.h"
#include "images/sample_ops.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

void Show(bool ShowErrors, const std::string& Text) {
  if (ShowErrors) PlatformShowMessage(Text);
}

// Whether stretch K of N cue points is one of the M taken.
bool StretchTaken(int64_t K, int64_t M, int64_t N) { return K * M / N + 1 == (K + 1) * M / N; }

}  // namespace

bool TMultiWave::LoadFromSurroundWav(const std::string& FileName, bool ShowErrors,
                                     const float* GainsLeft, const float* GainsRight,
                                     int32_t GainCount, int32_t& Channels, int32_t MaxParts) {
  try {
    TFileReadStream S(FileName);
    if (!S.Opened()) return false;
    TWavLayout L;
    const TWavProbe P = ProbeWav(S, L);
    if (P == TWavProbe::NotRiff || P == TWavProbe::NotWave) {
      Show(ShowErrors, "Can't load wave \"\" - File too short");
      return false;
    }
    if (P == TWavProbe::NoFmt) {
      Show(ShowErrors, "Can't load wave \"\" - fmt chunk not found");
      return false;
    }
    if (P != TWavProbe::Ok || L.Format.BitsPerSample < 8 || L.Format.Channels == 0 ||
        L.Format.Channels > MaxSurroundChannels || !L.HasEncoding) {
      Show(ShowErrors, "Can't load wave \"\" - Format incorrect");
      return false;
    }
    Channels = L.Format.Channels;
    const int32_t Frames = int32_t(std::min<int64_t>(L.Frames, INT32_MAX));
    std::vector<TCuePoint> Points;
    ReadCuePoints(S, Points);
    std::vector<uint32_t> Pos;
    for (const TCuePoint& C : Points) Pos.push_back(C.Position);
    if (Pos.size() > size_t(MaxCuePointsUsed)) Pos.resize(MaxCuePointsUsed);

    auto Gain = [&](const float* G, int32_t C) { return G && C < GainCount ? G[C] : 0.0f; };
    // Loads frames Start..End-1 mixed into part Count.
    auto LoadStretch = [&](int32_t Start, int32_t End, bool Whole) {
      TSurroundSample32 T;
      bool Hi = false;
      if (!T.LoadPartFromWavStream(S, false, Hi, Start, End - Start)) {
        T.Dispose();
        Dispose();
        PlatformShowMessage(Whole ? "TMultiWave.LoadFromSurroundWav " + FileName +
                                        " failed - not enough memory"
                                  : "Not enough memory for TMultiWave.LoadFromSurroundWav "
                                    "during surround part alloc" + FileName);
        return false;
      }
      TWave& Part = Parts[size_t(Count)];
      InitSampleRecord(Part);
      if (!Part.Alloc(true, End - Start)) {
        T.Dispose();
        Dispose();
        PlatformShowMessage(
            "Not enough memory for TMultiWave.LoadFromSurroundWav during multiwave part alloc" +
            FileName);
        return false;
      }
      Part.Clear();
      for (int32_t C = 0; C < T.NumChannels; ++C) {
        MixIn32(Part.Stereo.Left, T.Channels[size_t(C)], Gain(GainsLeft, C));
        MixIn32(Part.Stereo.Right, T.Channels[size_t(C)], Gain(GainsRight, C));
      }
      Part.SetSampleRate(L.Format.SamplesPerSec);
      T.Dispose();
      ++Count;
      return true;
    };

    if (Pos.empty()) {
      Count = 0;
      return LoadStretch(0, Frames, true);
    }
    const int64_t N = int64_t(Pos.size());
    const int64_t M = MaxParts < 0 ? N : std::min<int64_t>(MaxParts, N);
    Count = 0;
    for (const TStretch& St : CutAtCuePoints(Pos, Frames, 10))
      if (St.Cue < N ? StretchTaken(St.Cue, M, N) : M == N)
        if (!LoadStretch(St.Start, St.End, false)) return false;
    return true;
  } catch (...) {
    PlatformShowMessage("Exception in TMultiWave.LoadFromSurroundWav");
    return false;
  }
}

void TMultiSurroundWave::Init() {
  for (auto& P : Parts) P = TSurroundSample32Wav{};
  Count = 0;
}

bool TMultiSurroundWave::Alloc(int32_t NewCount, int32_t NumChannels, int32_t Length) {
  Dispose();
  Count = std::clamp(NewCount, 0, MaxMultiParts);
  for (int32_t I = 0; I < Count; ++I)
    if (!Parts[size_t(I)].Alloc(NumChannels, Length)) {
      Dispose();
      return false;
    }
  return true;
}

void TMultiSurroundWave::Dispose() {
  for (int32_t I = 0; I < Count; ++I) Parts[size_t(I)].Dispose();
  Init();
  FileName.clear();
}

void TMultiSurroundWave::Clear() {
  for (int32_t I = 0; I < Count; ++I) Parts[size_t(I)].Clear();
}

int32_t TMultiSurroundWave::TotalLength() const {
  int64_t T = 0;
  for (int32_t I = 0; I < Count; ++I) T += Parts[size_t(I)].Length();
  return int32_t(std::min<int64_t>(T, INT32_MAX));
}

int32_t TMultiSurroundWave::MaxLength() const {
  int32_t M = 0;
  for (int32_t I = 0; I < Count; ++I) M = std::max(M, Parts[size_t(I)].Length());
  return M;
}

int32_t TMultiSurroundWave::MaxChannels() const {
  int32_t M = 0;
  for (int32_t I = 0; I < Count; ++I) M = std::max(M, Parts[size_t(I)].NumChannels);
  return M;
}

int32_t TMultiSurroundWave::GetSampleRate() const { return Parts[0].SampleRate(); }

int32_t TMultiSurroundWave::CountOfNote(int32_t Note) const {
  int32_t N = 0;
  for (int32_t I = 0; I < Count; ++I) N += Parts[size_t(I)].Note == Note;
  return N;
}

void TMultiSurroundWave::DeletePart(int32_t Index) {
  if (Index < 0 || Index >= Count) return;
  Parts[size_t(Index)].Dispose();
  for (int32_t I = Index; I < Count - 1; ++I) Parts[size_t(I)] = Parts[size_t(I + 1)];
  --Count;
  Parts[size_t(Count)] = TSurroundSample32Wav{};
}

void TMultiSurroundWave::FromMultiWave(const TMultiWave& Source) {
  Init();
  for (int32_t I = 0; I < Source.Count; ++I) {
    const TWave& W = Source.Parts[size_t(I)];
    TSurroundSample32Wav& P = Parts[size_t(I)];
    P.NumChannels = W.IsStereo ? 2 : 1;
    P.Channels[0] = W.IsStereo ? W.Stereo.Left : W.Mono;
    if (W.IsStereo) P.Channels[1] = W.Stereo.Right;
  }
  Count = Source.Count;
}

void TMultiSurroundWave::AddWave(const TWave& Wave) {
  if (Wave.Length() < 1 || Count >= MaxMultiParts) return;
  TSurroundSample32Wav& P = Parts[size_t(Count)];
  P.Name = Wave.Name;
  P.NumChannels = Wave.IsStereo ? 2 : 1;
  P.Channels[0] = Wave.IsStereo ? Wave.Stereo.Left : Wave.Mono;
  if (Wave.IsStereo) P.Channels[1] = Wave.Stereo.Right;
  ++Count;
}

bool TMultiSurroundWave::LoadFromAiff(const std::string& Name, bool ShowErrors,
                                      bool& HighResolution) {
  Dispose();
  if (!Parts[0].LoadFromAiffFile(Name, ShowErrors, HighResolution)) return false;
  Count = 1;
  return true;
}

void TMultiSurroundWave::SetChannelNamesFromList(const std::vector<std::string>& Lines) {
  for (int32_t I = 0; I < Count; ++I) Parts[size_t(I)].SetChannelNamesFromList(Lines);
}

void TMultiSurroundWave::ChannelNamesToList(std::vector<std::string>& Lines) const {
  Parts[0].ChannelNamesToList(Lines);
}

void TMultiSurroundWave::DeleteChannel(int32_t Index) {
  for (int32_t I = 0; I < Count; ++I) Parts[size_t(I)].DeleteChannel(Index);
}

bool TMultiSurroundWave::LoadFromWav(const std::string& Name, bool ShowErrors,
                                     bool& HighResolution, int32_t PartIndex) {
  std::vector<uint32_t> Pos;
  std::vector<TCueLabel> Labels;
  int32_t Frames = 0;
  {
    TFileReadStream S(Name);
    if (!S.Opened()) return false;
    std::vector<TCuePoint> Points;
    ReadCuePoints(S, Points);
    for (const TCuePoint& C : Points) Pos.push_back(C.Position);
    ReadCueLabels(S, Labels);
    TWavLayout L;
    if (ProbeWav(S, L) == TWavProbe::Ok) Frames = int32_t(std::min<int64_t>(L.Frames, INT32_MAX));
  }
  FileName = Name;
  if (Pos.empty()) {
    Count = 1;
    return LoadSurroundSampleFromFile(Parts[0], Name, ShowErrors, HighResolution);
  }
  Count = 0;
  for (const TStretch& St : CutAtCuePoints(Pos, Frames, 50)) {
    if (Count >= MaxMultiParts) break;
    if (PartIndex >= 0 && Count != PartIndex) {
      ++Count;
      continue;
    }
    if (Parts[size_t(Count)].LoadPartFromWavFile(Name, ShowErrors, HighResolution, St.Start,
                                                 St.End - St.Start))
      ++Count;
  }
  if (Count > 1)
    for (const TCueLabel& L : Labels)
      if (L.Id < uint32_t(Count)) Parts[L.Id].Name = L.Text.substr(0, 255);
  return true;
}

namespace {

bool SaveJoined(TMultiSurroundWave& M, const std::string& FileName, bool Bits24) {
  if (M.Count <= 0) return false;
  TSurroundSample32 T;
  if (!T.Alloc(M.MaxChannels(), M.TotalLength())) return false;
  T.Clear();
  T.SetSampleRate(M.GetSampleRate());
  std::vector<TCueEntry> Cue;
  std::vector<TCueLabel> Labels;
  int32_t O = 0;
  for (int32_t I = 0; I < M.Count; ++I) {
    const TSurroundSample32& P = M.Parts[size_t(I)];
    Cue.push_back({uint32_t(I), uint32_t(O), "data"});
    Labels.push_back({uint32_t(I), P.Name});
    for (int32_t C = 0; C < P.NumChannels; ++C)
      if (P.Channels[size_t(C)].HoldsData()) T.Channels[size_t(C)].OverwriteAt(P.Channels[size_t(C)], O);
    O += P.Length();
  }
  const bool Ok = Bits24 ? T.SaveToWav24(FileName) : T.SaveToWav16(FileName);
  T.Dispose();
  if (!Ok) return false;
  if (!AppendCueChunks(FileName, BuildCueChunk(Cue), BuildLabelList(Labels))) {
    PlatformShowMessage(std::string(Bits24 ? "TMultiSurroundWave.SaveToWav24: file can't be reopened: "
                                           : "TMultiSurroundWave.SaveToWav ") +
                        FileName + (Bits24 ? "" : " error 1"));
    return false;
  }
  return true;
}

}  // namespace

bool TMultiSurroundWave::SaveToWav(const std::string& Name) { return SaveJoined(*this, Name, false); }

bool TMultiSurroundWave::SaveToWav24(const std::string& Name) {
  return SaveJoined(*this, Name, true);
}

}  // namespace kromel
