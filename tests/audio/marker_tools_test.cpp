// Marker lists from sounds: beat markers, snapping, note splits, and
// cutting records at markers and joining the parts back.
#include <gtest/gtest.h>

#include <cmath>

#include "audio/marker_processing.h"
#include "audio/marker_tools.h"
#include "filter_test_support.h"
#include "support/test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

class MarkerTools : public TCaptureTest {};

std::vector<int32_t> Times(const TWaveMarkersList& L) {
  std::vector<int32_t> T;
  for (PWaveMarker M : L.Markers) T.push_back(M->Time);
  return T;
}

TWave Ramp(bool Stereo, int N) {
  TWave W;
  InitSampleRecord(W);
  W.Alloc(Stereo, N);
  for (int I = 0; I < N; ++I) {
    if (Stereo) {
      W.Stereo.Left.Data[I] = float(I);
      W.Stereo.Right.Data[I] = -float(I);
    } else {
      W.Mono.Data[I] = float(I);
    }
  }
  W.SetSampleRate(22050);
  return W;
}

}  // namespace

TEST_F(MarkerTools, BeatMarkersReplaceOnlyTheOldBeatMarkers) {
  const int32_t Rate = 44100;
  TOwnedSample S(Rate * 2, Rate);
  for (int K = 0; K < 3; ++K)
    for (int I = 0; I < 441; ++I)
      S[Rate * (3 + 5 * K) / 10 + I] =
          float(0.8 * std::exp(-I / 100.0) * std::sin(2 * M_PI * 3000 * I / Rate));
  const std::vector<TBeatOnset> Onsets = DetectBeatOnsets(S.S, true, 2000, 100, 40, 10, -70);
  ASSERT_EQ(Onsets.size(), 3u);
  TWave W;
  InitSampleRecord(W);
  W.IsStereo = true;
  W.Stereo.Left = S.S;
  TSurroundSample32 Sound;
  Sound.FromWave(W);
  for (int Route = 0; Route < 3; ++Route) {
    TWaveMarkersList L;
    L.Add(5, -1, TMarkerKind::mkGeneric, 0, 0, "kept");
    L.Add(7, -1, TMarkerKind::mkAutoBeatMarker, 0, 0, "");
    if (Route == 0) DetectAutoBeatMarkers(S.S, L, true, 2000, 100, 40, 10, -70);
    if (Route == 1) DetectWaveBeatMarkers(W, L, 2000, 100, 40, 10, -70);
    if (Route == 2) DetectSurroundBeatMarkers(Sound, L, true, 2000, 100, 40, 10, -70);
    ASSERT_EQ(L.Count(), 4) << Route;
    EXPECT_EQ(L.Markers[0]->Name, "kept");
    for (size_t K = 0; K < 3; ++K) {
      EXPECT_EQ(L.Markers[K + 1]->Time, Onsets[K].Time) << Route;
      EXPECT_EQ(L.Markers[K + 1]->Kind, TMarkerKind::mkAutoBeatMarker);
      EXPECT_EQ(L.Markers[K + 1]->Value, Onsets[K].Strength);
    }
  }
  TSurroundSample32 Empty;
  TWaveMarkersList L;
  L.Add(7, -1, TMarkerKind::mkAutoBeatMarker, 0, 0, "");
  DetectSurroundBeatMarkers(Empty, L, true, 2000, 100, 40, 10, -70);
  EXPECT_EQ(L.Count(), 0);
}

TEST_F(MarkerTools, SnappingAndNoteSplits) {
  // Negative up to 9, positive from 10, the loudest at 14.
  TOwnedSample S(20);
  for (int I = 0; I < 20; ++I) S[I] = I < 10 ? -0.1f : 0.1f;
  S[14] = 0.9f;
  S[3] = -0.5f;
  struct TCase {
    int32_t Time;
    TMarkerKind Kind;
    int32_t ToZero, ToPeak;
  } Cases[] = {
      {12, TMarkerKind::mkGeneric, 10, 14},
      {10, TMarkerKind::mkAutoBeatMarker, 10, 14},
      {5, TMarkerKind::mkNoteSplit, 5, 3},       // no crossing back to 0
      {12, TMarkerKind::mkLoopStart, 12, 12},    // not a snapping kind
      {25, TMarkerKind::mkGeneric, 25, 25},      // outside the sound
      {-3, TMarkerKind::mkGeneric, -3, -3},
  };
  for (bool Peak : {false, true}) {
    TWaveMarkersList L;
    for (const TCase& C : Cases) L.Add(C.Time, -1, C.Kind, 0, 0, "");
    const std::vector<int32_t> Before = Times(L);
    Peak ? SnapMarkersToPeak(S.S, L, 4) : SnapMarkersToZeroCrossing(S.S, L);
    for (size_t K = 0; K < std::size(Cases); ++K)
      EXPECT_EQ(L.Markers[K]->Time, Peak ? Cases[K].ToPeak : Cases[K].ToZero) << Peak << " " << K;
  }
  TOwnedSample Silence(20);
  TWaveMarkersList Quiet;
  Quiet.Add(12, -1, TMarkerKind::mkGeneric, 0, 0, "");
  SnapMarkersToPeak(Silence.S, Quiet, 4);
  EXPECT_EQ(Quiet.Markers[0]->Time, 12);

  TOwnedSample Steps(6);
  const float Values[] = {0, 0, 2, 2, 5, 0};
  for (int I = 0; I < 6; ++I) Steps[I] = Values[I];
  TWaveMarkersList Splits;
  AddMarkersAtChanges(Steps.S, Splits);
  EXPECT_EQ(Times(Splits), (std::vector<int32_t>{2, 4, 5}));
  EXPECT_EQ(Splits.Markers[1]->Kind, TMarkerKind::mkNoteSplit);
  EXPECT_EQ(Splits.Markers[1]->Value, 5.0f);
  TSample32 None{};
  AddMarkersAtChanges(None, Splits);
  EXPECT_EQ(Splits.Count(), 3);
}

TEST_F(MarkerTools, SplitAndJoinKeepEveryFrame) {
  struct TCase {
    const char* Name;
    std::vector<int32_t> Marks;
    std::vector<int32_t> Lengths;
  } Cases[] = {
      {"two markers", {100, 300}, {100, 200, 700}},
      {"none", {}, {1000}},
      {"out of order and past the end", {300, 100, 5000}, {300, 0, 700, 0}},
      {"negative", {-5}, {0, 1000}},
  };
  for (bool Stereo : {false, true}) {
    TWave W = Ramp(Stereo, 1000);
    W.Name = "whole";
    for (const TCase& C : Cases) {
      TWaveMarkersList L;
      for (int32_t T : C.Marks) L.Add(T, -1, TMarkerKind::mkGeneric, 0, 0, "");
      TMultiWave Multi;
      Multi.Init();
      ASSERT_TRUE(SplitWaveAtMarkers(W, Multi, L)) << C.Name;
      ASSERT_EQ(Multi.Count, int32_t(C.Lengths.size())) << C.Name;
      std::vector<int32_t> Starts;
      int32_t At = 0;
      for (size_t K = 0; K < C.Lengths.size(); ++K) {
        EXPECT_EQ(Multi.Parts[K].Length(), C.Lengths[K]) << C.Name << " " << K;
        EXPECT_EQ(Multi.Parts[K].IsStereo, Stereo);
        if (C.Lengths[K] > 0) Starts.push_back(At);
        At += C.Lengths[K];
      }
      Multi.Parts[0].Name = "first";
      TWave Joined;
      TWaveMarkersList Seams;
      Seams.Add(1, -1, TMarkerKind::mkLoopStart, 0, 0, "old");
      ASSERT_TRUE(JoinWaveParts(Joined, Multi, Seams)) << C.Name;
      EXPECT_TRUE(Joined.Equals(W)) << C.Name;
      EXPECT_EQ(Joined.GetSampleRate(), 22050);
      EXPECT_EQ(Times(Seams), Starts) << C.Name;
      if (C.Lengths[0] > 0) EXPECT_EQ(Seams.Markers[0]->Name, "first");
      Joined.Dispose();
      Multi.Dispose();
    }
    W.Dispose();
  }
  // More markers than parts: the last part takes the rest.
  TWave W = Ramp(false, 1000);
  TWaveMarkersList Many;
  for (int I = 1; I <= 400; ++I) Many.Add(I, -1, TMarkerKind::mkGeneric, 0, 0, "");
  TMultiWave Multi;
  Multi.Init();
  ASSERT_TRUE(SplitWaveAtMarkers(W, Multi, Many));
  EXPECT_EQ(Multi.Count, MaxMultiParts);
  EXPECT_EQ(Multi.TotalLength(), 1000);
  EXPECT_EQ(Multi.Parts[MaxMultiParts - 1].Mono.Data[0], 350.0f);
  // A mono part joins a stereo one in both channels.
  Multi.Parts[1].Dispose();
  Multi.Parts[1] = Ramp(true, 3);
  Multi.Parts[1].Stereo.Left.Data[2] = 7;
  TWave Joined;
  TWaveMarkersList Seams;
  ASSERT_TRUE(JoinWaveParts(Joined, Multi, Seams));
  ASSERT_TRUE(Joined.IsStereo);
  EXPECT_EQ(Joined.Length(), 1002);
  EXPECT_EQ(Joined.Stereo.Left.Data[3], 7.0f);
  EXPECT_EQ(Joined.Stereo.Right.Data[3], -2.0f);
  EXPECT_EQ(Joined.Stereo.Left.Data[4], 2.0f);
  EXPECT_EQ(Joined.Stereo.Right.Data[4], 2.0f);
  Joined.Dispose();
  Multi.Dispose();
  W.Dispose();
}
