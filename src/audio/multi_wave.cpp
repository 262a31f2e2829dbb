#include "audio/multi_wave.h"

#include <algorithm>

#include "audio/file_stream.h"
#include "audio/surround_sample.h"
#include "audio/wave_markers.h"
#include "platform/message_sink.h"

namespace kromel {

std::vector<TStretch> CutAtCuePoints(const std::vector<uint32_t>& Positions, int32_t Length,
                                     int32_t MinFrames) {
  std::vector<TStretch> Out;
  const int32_t N = int32_t(std::min<size_t>(Positions.size(), MaxCuePointsUsed));
  int32_t S = 0;
  for (int32_t K = 0; K <= N; ++K) {
    const int32_t E =
        K < N ? int32_t(std::min<int64_t>(Positions[size_t(K)], std::max(Length, 0)))
              : std::max(Length, 0);
    if (E <= S || (K < N && E - S <= MinFrames)) continue;
    Out.push_back({S, E, K});
    S = E;
  }
  return Out;
}

namespace {

// Sorted cue positions of a file; false when it cannot be opened.
bool CuePositions(const std::string& FileName, std::vector<uint32_t>& Positions,
                  std::vector<TCueLabel>* Labels) {
  Positions.clear();
  TFileReadStream S(FileName);
  if (!S.Opened()) return false;
  std::vector<TCuePoint> Points;
  ReadCuePoints(S, Points);
  for (const TCuePoint& P : Points) Positions.push_back(P.Position);
  if (Labels) ReadCueLabels(S, *Labels);
  return true;
}

template <class Part>
void NameParts(Part* Parts, int32_t Count, const std::vector<TCueLabel>& Labels) {
  for (const TCueLabel& L : Labels)
    if (L.Id < uint32_t(Count)) Parts[L.Id].Name = L.Text.substr(0, MaxWaveNameLength);
}

}  // namespace

TMultiWave& TMultiWave::Init() {
  for (TWave& P : Parts) P = TWave{};
  Count = 0;
  return *this;
}

void TMultiWave::Alloc(int32_t NewCount, bool Stereo, int32_t Length) {
  Dispose();
  Count = std::clamp(NewCount, 0, MaxMultiParts);
  for (int32_t I = 0; I < Count; ++I) {
    InitSampleRecord(Parts[size_t(I)]);
    Parts[size_t(I)].Alloc(Stereo, Length);
  }
}

void TMultiWave::Dispose() {
  for (int32_t I = 0; I < Count; ++I) Parts[size_t(I)].Dispose();
  Init();
}

bool TMultiWave::Resample(TMultiWave& Dest, int32_t NewRate) const {
  Dest.Dispose();
  Dest.Count = std::clamp(Count, 0, MaxMultiParts);
  for (int32_t I = 0; I < Dest.Count; ++I) {
    TWave& Part = Dest.Parts[size_t(I)];
    InitSampleRecord(Part);
    if (!Parts[size_t(I)].Resample(Part, NewRate)) {
      Dest.Count = I;
      Dest.Dispose();
      return false;
    }
  }
  return true;
}

void TMultiWave::SetLength(int32_t Length) {
  for (int32_t I = 0; I < Count; ++I) Parts[size_t(I)].SetLength(Length);
}

void TMultiWave::SetCount(int32_t N) {
  for (int32_t I = 0; I < Count; ++I) Parts[size_t(I)].SetCount(N);
}

void TMultiWave::Clear() {
  for (int32_t I = 0; I < Count; ++I) Parts[size_t(I)].Clear();
}

int32_t TMultiWave::GetSampleRate() const { return Parts[0].GetSampleRate(); }

void TMultiWave::SetSampleRate(int32_t Rate) {
  for (int32_t I = 0; I < Count; ++I) Parts[size_t(I)].SetSampleRate(Rate);
}

bool TMultiWave::AnyStereo() const {
  for (int32_t I = 0; I < Count; ++I)
    if (Parts[size_t(I)].IsStereo) return true;
  return false;
}

int32_t TMultiWave::TotalLength() const {
  int64_t T = 0;
  for (int32_t I = 0; I < Count; ++I) T += std::max(Parts[size_t(I)].Length(), 0);
  return int32_t(std::min<int64_t>(T, INT32_MAX));
}

int32_t TMultiWave::MaxLength() const {
  int32_t M = 0;
  for (int32_t I = 0; I < Count; ++I) M = std::max(M, Parts[size_t(I)].Length());
  return M;
}

int32_t TMultiWave::SizeInBytes() const {
  int64_t T = 0;
  for (int32_t I = 0; I < Count; ++I) T += Parts[size_t(I)].SizeInBytes();
  return int32_t(std::min<int64_t>(T, INT32_MAX));
}

void TMultiWave::TrimSilence() {
  for (int32_t I = 0; I < Count; ++I) Parts[size_t(I)].TrimSilence();
}

bool TMultiWave::HasInvalidValues() const {
  for (int32_t I = 0; I < Count; ++I)
    if (Parts[size_t(I)].HasInvalidValues()) return true;
  return false;
}

void TMultiWave::ToStereo() {
  for (int32_t I = 0; I < Count; ++I) {
    TWave& P = Parts[size_t(I)];
    if (P.IsStereo) continue;
    TStereoSample32 St;
    St.Init();
    P.ToStereoSample(St);
    St.Left.SampleRate = St.Right.SampleRate = P.Mono.SampleRate;
    P.Mono.Dispose();
    P.Mono.Init();
    P.Stereo = St;
    P.IsStereo = true;
  }
}

void TMultiWave::Assign(const TMultiWave& Source) {
  if (&Source == this) return;
  Count = Source.Count;
  for (int32_t I = 0; I < Count; ++I) Parts[size_t(I)].Assign(Source.Parts[size_t(I)]);
}

void TMultiWave::DeletePart(int32_t Index) {
  if (Index < 0 || Index >= Count) return;
  Parts[size_t(Index)].Dispose();
  for (int32_t I = Index; I < Count - 1; ++I) Parts[size_t(I)] = Parts[size_t(I + 1)];
  --Count;
  Parts[size_t(Count)] = TWave{};
  InitSampleRecord(Parts[size_t(Count)]);
}

namespace {

// Cuts the whole-file record W of FileName into M's parts at its cue points
// and names them from its labels; W's memory becomes part 0 when there are
// no cue points, else it is freed.
template <class TMulti, class TRecord, class TCopy>
bool CutFileIntoParts(TMulti& M, TRecord& W, const std::string& FileName, TCopy CopyPart) {
  std::vector<uint32_t> Pos;
  std::vector<TCueLabel> Labels;
  if (!CuePositions(FileName, Pos, &Labels)) {
    W.Dispose();
    return false;
  }
  if (Pos.empty()) {
    M.Count = 1;
    M.Parts[0] = W;
    return true;
  }
  M.Count = 0;
  for (const TStretch& St : CutAtCuePoints(Pos, W.Length(), 10)) {
    if (!CopyPart(M.Parts[size_t(M.Count)], St)) {
      M.Dispose();
      W.Dispose();
      return false;
    }
    ++M.Count;
  }
  NameParts(M.Parts.data(), M.Count, Labels);
  W.Dispose();
  return true;
}

}  // namespace

bool TMultiWave::LoadFromWav(const std::string& FileName, bool ShowErrors, bool& HighResolution) {
  TWave W;
  InitSampleRecord(W);
  if (!W.LoadFromFile(FileName, ShowErrors, HighResolution)) return false;
  return CutFileIntoParts(*this, W, FileName, [&](TWave& P, const TStretch& St) {
    InitSampleRecord(P);
    return P.CopyRange(W, St.Start, St.End);
  });
}

namespace {

std::vector<uint8_t> PartLabels(const TMultiWave& M) {
  std::vector<TCueLabel> L;
  for (int32_t I = 0; I < M.Count; ++I) L.push_back({uint32_t(I), M.Parts[size_t(I)].Name});
  return BuildLabelList(L);
}

std::vector<uint8_t> PartCues(const TMultiWave& M, uint32_t FirstId) {
  std::vector<TCueEntry> C;
  uint32_t O = 0;
  for (int32_t I = 0; I < M.Count; ++I) {
    C.push_back({uint32_t(I) + FirstId, O, "data"});
    O += uint32_t(std::max(M.Parts[size_t(I)].Length(), 0));
  }
  return BuildCueChunk(C);
}

}  // namespace

bool TMultiWave::SaveToWav(const std::string& FileName) {
  TWave T;
  InitSampleRecord(T);
  if (Count <= 0 || !T.Alloc(AnyStereo(), TotalLength())) return false;
  T.Clear();
  T.SetSampleRate(GetSampleRate());
  int32_t O = 0;
  for (int32_t I = 0; I < Count; ++I) {
    T.OverwriteAt(Parts[size_t(I)], O);
    O += std::max(Parts[size_t(I)].Length(), 0);
  }
  bool Ok = T.SaveToFile(FileName);
  T.Dispose();
  return Ok && AppendCueChunks(FileName, PartCues(*this, 1), PartLabels(*this));
}

bool TMultiWave::SaveToWav24(const std::string& FileName) {
  if (Count <= 0) return false;
  // Every part in part 0's channel count: a mono part fills both channels,
  // a stereo part in a mono file gives its left channel.
  TSurroundSample32 T;
  const int32_t C = Parts[0].IsStereo ? 2 : 1;
  if (!T.Alloc(C, TotalLength())) return false;
  T.Clear();
  T.SetSampleRate(GetSampleRate());
  int32_t O = 0;
  for (int32_t I = 0; I < Count; ++I) {
    const TWave& P = Parts[size_t(I)];
    for (int32_t Ch = 0; Ch < C; ++Ch) {
      const TSample32& Src = !P.IsStereo ? P.Mono : Ch == 0 ? P.Stereo.Left : P.Stereo.Right;
      if (Src.HoldsData()) T.Channels[size_t(Ch)].OverwriteAt(Src, O);
    }
    O += std::max(P.Length(), 0);
  }
  const bool Ok = T.SaveToWav24(FileName);
  T.Dispose();
  return Ok && AppendCueChunks(FileName, PartCues(*this, 0), PartLabels(*this));
}

void TMultiWave16::Dispose() {
  for (int32_t I = 0; I < Count; ++I) Parts[size_t(I)].Dispose();
  for (TWave16& P : Parts) P = TWave16{};
  Count = 0;
}

bool TMultiWave16::LoadFromWav(const std::string& FileName) {
  TWave16 W;
  InitSample16Record(W);
  if (!W.LoadFromFile(FileName)) return false;
  return CutFileIntoParts(*this, W, FileName, [&](TWave16& P, const TStretch& St) {
    InitSample16Record(P);
    P.CopyRange(W, St.Start, St.End);
    return true;
  });
}

}  // namespace kromel
