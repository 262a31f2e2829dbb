#include "audio/marker_tools.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "audio/marker_processing.h"
#include "foundation/error_sink.h"
#include "foundation/numeric.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

constexpr MarkerSet SnappingKinds = MarkerBit(TMarkerKind::mkGeneric) |
                                    MarkerBit(TMarkerKind::mkAutoBeatMarker) |
                                    MarkerBit(TMarkerKind::mkNoteSplit);

int64_t Held(const TSample32& S) { return S.Data != nullptr ? std::max<int64_t>(S.Count, 0) : 0; }

// Sounds whose segments are cut at these markers when stretched.
constexpr MarkerSet SegmentKinds = MarkerBit(TMarkerKind::mkGeneric) |
                                   MarkerBit(TMarkerKind::mkSampleStart) |
                                   MarkerBit(TMarkerKind::mkAutoBeatMarker);

constexpr int32_t MaxClickMarkers = 45000;
constexpr int32_t MaxSurroundParts = MaxMultiParts - 1;

// Frames From..To-1 of a sound; Marker is the index of the marker it starts
// at (-1 for the first).
struct TSegment {
  int32_t From = 0;
  int32_t To = 0;
  int32_t Marker = -1;
};

// The stretches of a Length-frame sound between markers in list order:
// contiguous, every frame in one. A marker before the previous one or past
// the end gives an empty stretch (dropped when SkipEmpty); the MaxParts-th
// runs to the end.
std::vector<TSegment> SegmentsAtMarkers(const TWaveMarkersList& Markers, int32_t Length,
                                        bool SkipEmpty, int32_t MaxParts) {
  std::vector<TSegment> Result;
  const int32_t N = Markers.Count();
  int32_t From = 0;
  for (int32_t I = 0; I <= N; ++I) {
    const bool Last = I == N || int32_t(Result.size()) + 1 == MaxParts;
    const int32_t To = Last ? Length : std::clamp(Markers.GetMarkerTime(I), From, Length);
    if (To > From || !SkipEmpty) Result.push_back({From, To, I - 1});
    if (Last) break;
    From = To;
  }
  return Result;
}

template <class TPart>
int64_t TotalLength(const TPart* Parts, int32_t Count) {
  int64_t Total = 0;
  for (int32_t I = 0; I < Count; ++I) Total += std::max(Parts[I].Length(), 0);
  return Total;
}

// Dest (cleared, long enough) = the parts one after another; Markers = a
// generic marker named after each non-empty part where it starts.
template <class TSound, class TPart>
void LayEndToEnd(TSound& Dest, const TPart* Parts, int32_t Count, TWaveMarkersList& Markers) {
  Markers.Clear();
  int32_t Offset = 0;
  for (int32_t I = 0; I < Count; ++I) {
    const TPart& Part = Parts[I];
    if (Part.Length() <= 0) continue;
    Markers.Add(Offset, -1, TMarkerKind::mkGeneric, 0, 0, Part.Name);
    Dest.OverwriteAt(Part, Offset);
    Offset += Part.Length();
  }
}

// Source frames T..Next-1 into Dest from At, faded in over 10 frames, then
// mixed with the same stretch backwards from Next, faded in over 100 frames
// 99 frames before the forward copy ends and decaying as
// (1 - j / (L + 1))^Exponent. Frames past Source's end read as silence.
void PlayThereAndBack(const TSample32& Source, TSample32& Dest, int64_t T, int64_t Next,
                      int64_t At, float Exponent) {
  const int64_t SourceN = Held(Source);
  const int64_t DestN = Held(Dest);
  if (SourceN == 0 || DestN == 0) return;
  auto Read = [&](int64_t P) { return P >= 0 && P < SourceN ? Source.Data[P] : 0.0f; };
  const int64_t L = Next - T;
  for (int64_t J = 0; J < L && At + J < DestN; ++J)
    Dest.Data[At + J] = Read(T + J) * std::min(float(J) / 10, 1.0f);
  for (int64_t J = 0; J < L; ++J) {
    const int64_t P = At + L - 99 + J;
    if (P < 0 || P >= DestN) continue;
    const float G = std::min(float(J) / 100, 1.0f);
    const float W = std::pow(1 - float(J) / float(L + 1), Exponent);
    Dest.Data[P] = Read(Next - J) * G * W + (1 - G) * Dest.Data[P];
  }
}

// The markers that snapping may move, inside the sound.
template <class F>
void ForSnappable(const TSample32& Channel, TWaveMarkersList& Markers, F Move) {
  const int64_t N = Held(Channel);
  for (PWaveMarker M : Markers.Markers)
    if (M != nullptr && (SnappingKinds & MarkerBit(M->Kind)) != 0 && M->Time >= 0 && M->Time < N)
      M->Time = int32_t(Move(int64_t(M->Time), N));
}

}  // namespace

void DetectAutoBeatMarkers(const TSample32& Channel, TWaveMarkersList& Markers, bool UpdateLast,
                           int32_t HoldCount, int32_t MinDistanceMs, float ThresholdDB,
                           float RiseDB, float QuietDB) {
  Markers.DeleteKind(TMarkerKind::mkAutoBeatMarker);
  for (const TBeatOnset& O : DetectBeatOnsets(Channel, UpdateLast, HoldCount, MinDistanceMs,
                                              ThresholdDB, RiseDB, QuietDB))
    Markers.Add(int32_t(std::min<int64_t>(O.Time, INT32_MAX)), -1, TMarkerKind::mkAutoBeatMarker,
                O.Strength, 0, "");
}

void DetectWaveBeatMarkers(const TWave& Wave, TWaveMarkersList& Markers, int32_t HoldCount,
                           int32_t MinDistanceMs, float ThresholdDB, float RiseDB, float QuietDB) {
  DetectAutoBeatMarkers(Wave.IsStereo ? Wave.Stereo.Left : Wave.Mono, Markers, true, HoldCount,
                        MinDistanceMs, ThresholdDB, RiseDB, QuietDB);
}

void DetectSurroundBeatMarkers(const TSurroundSample32& Sample, TWaveMarkersList& Markers,
                               bool UpdateLast, int32_t HoldCount, int32_t MinDistanceMs,
                               float ThresholdDB, float RiseDB, float QuietDB) {
  const TSample32 None{};
  DetectAutoBeatMarkers(Sample.NumChannels > 0 ? Sample.Channels[0] : None, Markers, UpdateLast,
                        HoldCount, MinDistanceMs, ThresholdDB, RiseDB, QuietDB);
}

void SnapMarkersToZeroCrossing(const TSample32& Channel, TWaveMarkersList& Markers) {
  ForSnappable(Channel, Markers,
               [&](int64_t Time, int64_t) { return SnapBackToZeroCrossing(Channel, Time); });
}

void SnapMarkersToPeak(const TSample32& Channel, TWaveMarkersList& Markers, int32_t Radius) {
  Radius = std::max(Radius, 0);
  ForSnappable(Channel, Markers, [&](int64_t Time, int64_t N) {
    int64_t Best = -1;
    float BestLevel = 0;
    for (int64_t P = std::max<int64_t>(Time - Radius, 0); P <= Time + Radius && P < N - 1; ++P)
      if (Best < 0 || std::fabs(Channel.Data[P]) > BestLevel) {
        Best = P;
        BestLevel = std::fabs(Channel.Data[P]);
      }
    return Best >= 0 && BestLevel > 0 ? Best : Time;
  });
}

void AddMarkersAtChanges(const TSample32& Sample, TWaveMarkersList& Markers) {
  const int64_t N = std::min<int64_t>(Held(Sample), INT32_MAX);
  for (int64_t I = 1; I < N; ++I)
    if (Sample.Data[I - 1] != Sample.Data[I])
      Markers.Add(int32_t(I), -1, TMarkerKind::mkNoteSplit, Sample.Data[I], 0, "");
}

bool SplitWaveAtMarkers(const TWave& Source, TMultiWave& Dest, const TWaveMarkersList& Markers) {
  Dest.Dispose();
  for (const TSegment& G : SegmentsAtMarkers(Markers, std::max(Source.Length(), 0), false,
                                             MaxMultiParts)) {
    TWave& Part = Dest.Parts[size_t(Dest.Count)];
    InitSampleRecord(Part);
    ++Dest.Count;
    if (G.To == G.From) {
      Part.IsStereo = Source.IsStereo;
      Part.SetSampleRate(Source.GetSampleRate());
      Part.Name = Source.Name;
    } else if (!Part.CopyRange(Source, G.From, G.To)) {
      Dest.Dispose();
      return false;
    }
  }
  return true;
}

bool SplitSurroundAtMarkers(const TSurroundSample32& Source, TMultiSurroundWave& Dest,
                            const TWaveMarkersList& Markers) {
  Dest.Dispose();
  for (const TSegment& G : SegmentsAtMarkers(Markers, Source.Length(), true, MaxSurroundParts)) {
    TSurroundSample32& Part = Dest.Parts[size_t(Dest.Count)];
    Part.CopyRange(Source, G.From, G.To);
    if (Part.NumChannels != Source.NumChannels) {
      Dest.Dispose();
      return false;
    }
    if (Dest.Count > 0 && G.Marker >= 0) Part.Name = Markers.GetMarker(G.Marker)->Name;
    ++Dest.Count;
  }
  return true;
}

bool JoinWaveParts(TWave& Dest, const TMultiWave& Source, TWaveMarkersList& Markers) {
  Dest.Dispose();
  InitSampleRecord(Dest);
  const int32_t Count = std::clamp(Source.Count, 0, MaxMultiParts);
  bool Stereo = false;
  for (int32_t I = 0; I < Count; ++I) Stereo = Stereo || Source.Parts[size_t(I)].IsStereo;
  const int64_t Total = TotalLength(Source.Parts.data(), Count);
  if (Total > INT32_MAX || !Dest.Alloc(Stereo, int32_t(Total))) {
    Dest.Dispose();
    InitSampleRecord(Dest);
    return false;
  }
  Dest.Clear();
  if (Count > 0) Dest.SetSampleRate(Source.Parts[0].GetSampleRate());
  LayEndToEnd(Dest, Source.Parts.data(), Count, Markers);
  return true;
}

bool MakeOriginalSurround(TSurroundSample32& Dest, const TMultiSurroundWave& Source,
                          TWaveMarkersList& Markers) {
  Dest.Dispose();
  const int32_t Count = std::clamp(Source.Count, 0, MaxMultiParts);
  int32_t Channels = 1;
  for (int32_t I = 0; I < Count; ++I)
    Channels = std::max(Channels, std::min(Source.Parts[size_t(I)].NumChannels, MaxSurroundChannels));
  const int64_t Total = TotalLength(Source.Parts.data(), Count);
  if (Total == 0) {
    Markers.Clear();
    return true;
  }
  if (Total > INT32_MAX || !Dest.Alloc(Channels, int32_t(Total))) {
    PlatformShowMessage("Can't alloc memory for MakeOriginalSurround!");
    return false;
  }
  Dest.Clear();
  Dest.SetSampleRate(Source.GetSampleRate());
  LayEndToEnd(Dest, Source.Parts.data(), Count, Markers);
  return true;
}

int32_t DetectClicks(const TWave& Wave, TWaveMarkersList& Markers, float Sensitivity) {
  const TSample32& A = Wave.IsStereo ? Wave.Stereo.Left : Wave.Mono;
  const TSample32& B = Wave.IsStereo && Wave.Stereo.Right.HoldsData() ? Wave.Stereo.Right : A;
  const int64_t Length = std::min<int64_t>(std::min(Held(A), Held(B)), INT32_MAX);
  const int64_t Last = Length - 2049;
  if (Last <= 1024) return Markers.Count();
  // Level of a frame in 1/2048 steps, saturated so that no sum can overflow.
  auto Level = [&](int64_t K) {
    auto Q = [](float X) {
      return std::min<int64_t>(RoundToInt64Saturated(std::fabs(double(X) * 2048)), INT32_MAX);
    };
    return Q(A.Data[K]) + Q(B.Data[K]);
  };
  auto Jump = [](const TSample32& S, int64_t K) { return std::fabs(S.Data[K] - S.Data[K - 1]); };
  // Window sum over frames max(1024, n - 1023) .. n + 1024.
  int64_t Sum = 0;
  for (int64_t K = 1024; K <= 2049; ++K) Sum += Level(K);
  for (int64_t N = 1025; N <= Last && Markers.Count() <= MaxClickMarkers; ++N) {
    if (N > 1025) {
      Sum += Level(N + 1024);
      if (N >= 2048) Sum = std::max<int64_t>(Sum - Level(N - 1024), 0);
    }
    const float Avg = std::max(float(Sum) * 0x1p-21f, 0.002f);
    float Near = 0;
    for (int64_t V = -20; V <= 20; ++V)
      if (V != 0) Near = std::max({Near, Jump(A, N + V), Jump(B, N + V)});
    const float Score = ((Jump(A, N) - Near) + (Jump(B, N) - Near)) / Avg - Sensitivity;
    if (Score > 0) Markers.Add(int32_t(N), int32_t(N), TMarkerKind::mkGeneric, Score, 0, "Click");
  }
  return Markers.Count();
}

bool StretchStereoSample(const TStereoSample32& Source, TStereoSample32& Dest,
                         TWaveMarkersList& SourceMarkers, TWaveMarkersList& DestMarkers,
                         float Decay) {
  try {
    const int64_t LeftN = Held(Source.Left);
    const int64_t RightN = Held(Source.Right);
    if (!std::isfinite(Decay)) {
      ErrorMessageProc("Exception in StretchStereoSample - Decay is not a number");
      return false;
    }
    if (LeftN > INT32_MAX / 2 || Held(Dest.Left) < 2 * LeftN || Held(Dest.Right) < 2 * RightN) {
      ErrorMessageProc("Exception in StretchStereoSample - destination holds " +
                       std::to_string(Held(Dest.Left)) + "/" + std::to_string(Held(Dest.Right)) +
                       " frames, needs " + std::to_string(2 * LeftN) + "/" +
                       std::to_string(2 * RightN));
      return false;
    }
    DestMarkers.Clear();
    Dest.Left.SampleRate = Source.Left.SampleRate;
    Dest.Right.SampleRate = Source.Left.SampleRate;
    Dest.Left.Count = 2 * LeftN;
    if (Dest.Right.HoldsData()) Dest.Right.Count = 2 * RightN;
    Dest.Clear();

    SourceMarkers.Sort();
    const int32_t Length = int32_t(LeftN);
    int32_t Start = SourceMarkers.GetMarkerTimeByKind(0, TMarkerKind::mkSampleStart);
    if (Start < 0 || Start > Length) Start = 0;
    int32_t End = SourceMarkers.GetMarkerTimeByKind(0, TMarkerKind::mkSampleEnd);
    if (End < Start || End > Length) End = Length;

    const float Base = 2 - 2 * Decay;
    const float Exponent = 3 * Base * Base * Base * Base;
    std::vector<TWaveMarker> Cuts;
    for (PWaveMarker M : SourceMarkers.Markers)
      if ((SegmentKinds & MarkerBit(M->Kind)) != 0) Cuts.push_back(*M);
    for (size_t I = 0; I < Cuts.size(); ++I) {
      const int64_t T = Cuts[I].Time;
      if (T < Start || T > End) continue;
      const int64_t Next = std::min<int64_t>(I + 1 < Cuts.size() ? Cuts[I + 1].Time : End, End);
      const int64_t At = 2 * (T - Start);
      PlayThereAndBack(Source.Left, Dest.Left, T, Next, At, Exponent);
      PlayThereAndBack(Source.Right, Dest.Right, T, Next, At, Exponent);
      DestMarkers.Add(int32_t(At), -1, Cuts[I].Kind, 0, 0, "");
    }
    DestMarkers.Add(2 * (End - Start), -1, TMarkerKind::mkSampleEnd, 0, 0, "");
    return true;
  } catch (...) {
    PlatformShowMessage("Error in stretch wave");
    return false;
  }
}

}  // namespace kromel
