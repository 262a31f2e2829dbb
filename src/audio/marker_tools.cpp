#include "audio/marker_tools.h"

#include <algorithm>
#include <cmath>

#include "audio/marker_processing.h"

namespace kromel {

namespace {

constexpr MarkerSet SnappingKinds = MarkerBit(TMarkerKind::mkGeneric) |
                                    MarkerBit(TMarkerKind::mkAutoBeatMarker) |
                                    MarkerBit(TMarkerKind::mkNoteSplit);

int64_t Held(const TSample32& S) { return S.Data != nullptr ? std::max<int64_t>(S.Count, 0) : 0; }

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
  const int32_t Length = std::max(Source.Length(), 0);
  const int32_t Parts = std::min(Markers.Count() + 1, MaxMultiParts);
  int32_t From = 0;
  for (int32_t I = 0; I < Parts; ++I) {
    const int32_t To = I + 1 < Parts ? std::clamp(Markers.GetMarkerTime(I), From, Length) : Length;
    TWave& Part = Dest.Parts[size_t(I)];
    InitSampleRecord(Part);
    Dest.Count = I + 1;
    if (To == From) {
      Part.IsStereo = Source.IsStereo;
      Part.SetSampleRate(Source.GetSampleRate());
      Part.Name = Source.Name;
    } else if (!Part.CopyRange(Source, From, To)) {
      Dest.Dispose();
      return false;
    }
    From = To;
  }
  return true;
}

bool JoinWaveParts(TWave& Dest, const TMultiWave& Source, TWaveMarkersList& Markers) {
  Dest.Dispose();
  InitSampleRecord(Dest);
  const int32_t Count = std::clamp(Source.Count, 0, MaxMultiParts);
  int64_t Total = 0;
  bool Stereo = false;
  for (int32_t I = 0; I < Count; ++I) {
    Total += std::max(Source.Parts[size_t(I)].Length(), 0);
    Stereo = Stereo || Source.Parts[size_t(I)].IsStereo;
  }
  if (Total > INT32_MAX || !Dest.Alloc(Stereo, int32_t(Total))) {
    Dest.Dispose();
    InitSampleRecord(Dest);
    return false;
  }
  Dest.Clear();
  if (Count > 0) Dest.SetSampleRate(Source.Parts[0].GetSampleRate());
  Markers.Clear();
  int32_t Offset = 0;
  for (int32_t I = 0; I < Count; ++I) {
    const TWave& Part = Source.Parts[size_t(I)];
    if (Part.Length() <= 0) continue;
    Markers.Add(Offset, -1, TMarkerKind::mkGeneric, 0, 0, Part.Name);
    Dest.OverwriteAt(Part, Offset);
    Offset += Part.Length();
  }
  return true;
}

}  // namespace kromel
