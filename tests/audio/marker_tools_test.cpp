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

namespace {

// A wave of Frames frames, each channel filled by Fill(channel, frame).
template <class F>
TWave MakeWave(bool Stereo, int32_t Frames, F Fill) {
  TWave W;
  InitSampleRecord(W);
  W.Alloc(Stereo, Frames);
  W.SetSampleRate(44100);
  for (int32_t I = 0; I < Frames; ++I) {
    if (Stereo) {
      W.Stereo.Left.Data[I] = Fill(0, I);
      W.Stereo.Right.Data[I] = Fill(1, I);
    } else {
      W.Mono.Data[I] = Fill(0, I);
    }
  }
  return W;
}

std::vector<int32_t> ClickTimes(const TWaveMarkersList& L) {
  std::vector<int32_t> T;
  for (PWaveMarker M : L.Markers)
    if (M->Name == "Click") T.push_back(M->Time);
  return T;
}

// Channel C of frame I: a value no other channel or frame has.
float SurroundValue(int32_t C, int32_t I) { return float(C * 10000 + I); }

TSurroundSample32 MakeSurround(int32_t Channels, int32_t Frames) {
  TSurroundSample32 S;
  S.Alloc(Channels, Frames);
  S.SetSampleRate(48000);
  S.Name = "whole";
  for (int32_t C = 0; C < Channels; ++C)
    for (int32_t I = 0; I < Frames; ++I) S.Channels[size_t(C)].Data[I] = SurroundValue(C, I);
  return S;
}

}  // namespace

TEST_F(MarkerTools, ClicksOnASineAreFoundAndTheCleanSineHasNone) {
  // 440 Hz at half scale with clicks that jump up or down and decay over
  // about 10 frames, as a scratch on a record does.
  const std::vector<int32_t> Clicks = {5000, 20000, 33333, 60001, 80000};
  for (bool Stereo : {false, true})
    for (bool WithClicks : {false, true}) {
      TWave W = MakeWave(Stereo, 88200, [&](int, int32_t I) {
        float V = float(0.5 * std::sin(2 * M_PI * 440 * I / 44100.0));
        if (WithClicks)
          for (size_t K = 0; K < Clicks.size(); ++K)
            if (I >= Clicks[K])
              V += float((K % 2 ? -0.4 : 0.4) * std::exp(-(I - Clicks[K]) / 10.0));
        return V;
      });
      TWaveMarkersList L;
      L.Add(7, -1, TMarkerKind::mkLoopStart, 0, 0, "kept");
      const int32_t Found = DetectClicks(W, L, 0.2f);
      EXPECT_EQ(Found, L.Count());
      EXPECT_EQ(L.Markers[0]->Name, "kept");
      EXPECT_EQ(ClickTimes(L), WithClicks ? Clicks : std::vector<int32_t>{})
          << Stereo << WithClicks;
      for (PWaveMarker M : L.Markers)
        if (M->Name == "Click") {
          EXPECT_EQ(M->AltTime, M->Time);
          EXPECT_EQ(M->Kind, TMarkerKind::mkGeneric);
          EXPECT_GT(M->Value, 0.0f);
        }
      W.Dispose();
    }
  EXPECT_TRUE(Silent());
}

TEST_F(MarkerTools, ClickEdges) {
  // A step from silence to 0.5 scores 0.999 above its neighbourhood; a
  // pulse shorter than 20 frames steps back within them and is no click.
  struct TCase {
    const char* Name;
    float Step, Pulse;
    int32_t PulseFrames;
    float Sensitivity;
    std::vector<int32_t> Expected;
  } Cases[] = {
      {"step", 0.5f, 0, 0, 0.98f, {5000}},
      {"step below sensitivity", 0.5f, 0, 0, 1.0f, {}},
      {"spike", 0, 0.9f, 1, 0.0f, {}},
      {"huge spike", 0, 1e30f, 1, 0.0f, {}},
      {"pulse of 19 frames", 0, 0.9f, 19, 0.0f, {}},
      {"pulse of 21 frames", 0, 0.9f, 21, 0.0f, {7000, 7021}},
  };
  for (const TCase& C : Cases) {
    TWave W = MakeWave(true, 10000, [&](int, int32_t I) {
      return (I >= 5000 ? C.Step : 0.0f) + (I >= 7000 && I < 7000 + C.PulseFrames ? C.Pulse : 0.0f);
    });
    TWaveMarkersList L;
    DetectClicks(W, L, C.Sensitivity);
    EXPECT_EQ(ClickTimes(L), C.Expected) << C.Name;
    W.Dispose();
  }
  // Too short to search, or the list already full: nothing added, the
  // answer is the list's count.
  TWave Short = MakeWave(false, 3073, [](int, int32_t I) { return I >= 2000 ? 0.5f : 0.0f; });
  TWaveMarkersList One;
  One.Add(1, -1, TMarkerKind::mkGeneric, 0, 0, "");
  EXPECT_EQ(DetectClicks(Short, One, 0), 1);
  Short.Dispose();
  TWave Step = MakeWave(false, 10000, [](int, int32_t I) { return I >= 5000 ? 0.5f : 0.0f; });
  TWaveMarkersList Full;
  for (int I = 0; I <= 45000; ++I) Full.Add(I, -1, TMarkerKind::mkGeneric, 0, 0, "");
  EXPECT_EQ(DetectClicks(Step, Full, 0), 45001);
  Full.DeleteKind(TMarkerKind::mkGeneric);
  EXPECT_EQ(DetectClicks(Step, Full, 0), 1);
  Step.Dispose();
}

TEST_F(MarkerTools, SurroundSplitAndJoinKeepEveryFrame) {
  struct TCase {
    const char* Name;
    std::vector<int32_t> Marks;
    std::vector<int32_t> Lengths;
    std::vector<std::string> Names;
  } Cases[] = {
      {"two markers", {100, 300}, {100, 200, 700}, {"whole", "m0", "m1"}},
      {"none", {}, {1000}, {"whole"}},
      {"at the start", {0}, {1000}, {"whole"}},
      {"out of order and past the end", {300, 100, 5000}, {300, 700}, {"whole", "m1"}},
      {"at the last frame", {999}, {999, 1}, {"whole", "m0"}},
  };
  TSurroundSample32 S = MakeSurround(3, 1000);
  for (const TCase& C : Cases) {
    TWaveMarkersList L;
    for (size_t K = 0; K < C.Marks.size(); ++K)
      L.Add(C.Marks[K], -1, TMarkerKind::mkGeneric, 0, 0, "m" + std::to_string(K));
    TMultiSurroundWave Multi;
    ASSERT_TRUE(SplitSurroundAtMarkers(S, Multi, L)) << C.Name;
    ASSERT_EQ(Multi.Count, int32_t(C.Lengths.size())) << C.Name;
    std::vector<int32_t> Starts;
    int32_t At = 0;
    for (size_t K = 0; K < C.Lengths.size(); ++K) {
      const TSurroundSample32& Part = Multi.Parts[K];
      EXPECT_EQ(Part.NumChannels, 3);
      EXPECT_EQ(Part.Length(), C.Lengths[K]) << C.Name << " " << K;
      EXPECT_EQ(Part.Name, C.Names[K]) << C.Name << " " << K;
      EXPECT_EQ(Part.Channels[2].Data[0], SurroundValue(2, At)) << C.Name << " " << K;
      Starts.push_back(At);
      At += C.Lengths[K];
    }
    TSurroundSample32 Joined;
    TWaveMarkersList Seams;
    Seams.Add(1, -1, TMarkerKind::mkLoopStart, 0, 0, "old");
    ASSERT_TRUE(MakeOriginalSurround(Joined, Multi, Seams)) << C.Name;
    EXPECT_TRUE(Joined.SamplesEqual(S)) << C.Name;
    EXPECT_EQ(Joined.SampleRate(), 48000);
    EXPECT_EQ(Joined.Channels[2].SampleRate, 48000);
    EXPECT_EQ(Times(Seams), Starts) << C.Name;
    for (size_t K = 0; K < C.Names.size(); ++K) EXPECT_EQ(Seams.Markers[K]->Name, C.Names[K]);
    Joined.Dispose();
    Multi.Dispose();
  }
  // More markers than parts: the 350th part takes the rest.
  TWaveMarkersList Many;
  for (int I = 1; I <= 400; ++I) Many.Add(I, -1, TMarkerKind::mkGeneric, 0, 0, "");
  TMultiSurroundWave Multi;
  ASSERT_TRUE(SplitSurroundAtMarkers(S, Multi, Many));
  EXPECT_EQ(Multi.Count, 350);
  EXPECT_EQ(Multi.TotalLength(), 1000);
  EXPECT_EQ(Multi.Parts[349].Channels[0].Data[0], 349.0f);
  Multi.Dispose();
  S.Dispose();
  EXPECT_TRUE(Silent());
}

TEST_F(MarkerTools, SurroundJoinOfUnevenParts) {
  // Parts of 1, 3 and 2 channels: three channels, the mono part alone in
  // channel 0, silence where a part has no channel.
  TMultiSurroundWave Multi;
  Multi.Count = 3;
  Multi.Parts[0] = MakeSurround(1, 4);
  Multi.Parts[1] = MakeSurround(3, 2);
  Multi.Parts[2] = MakeSurround(2, 3);
  Multi.Parts[1].Name = "b";
  TSurroundSample32 Joined;
  TWaveMarkersList Seams;
  ASSERT_TRUE(MakeOriginalSurround(Joined, Multi, Seams));
  ASSERT_EQ(Joined.NumChannels, 3);
  ASSERT_EQ(Joined.Length(), 9);
  const float Zero = 0;
  const std::vector<std::vector<float>> Expected = {
      {0, 1, 2, 3, 0, 1, 0, 1, 2},
      {Zero, 0, 0, 0, 10000, 10001, 10000, 10001, 10002},
      {0, 0, 0, 0, 20000, 20001, 0, 0, 0},
  };
  for (int C = 0; C < 3; ++C)
    EXPECT_EQ(std::vector<float>(Joined.Channels[size_t(C)].Data,
                                 Joined.Channels[size_t(C)].Data + 9),
              Expected[size_t(C)])
        << C;
  EXPECT_EQ(Times(Seams), (std::vector<int32_t>{0, 4, 6}));
  EXPECT_EQ(Seams.Markers[1]->Name, "b");
  Joined.Dispose();
  Multi.Dispose();
  // Nothing to join: an empty sound and no markers.
  TWaveMarkersList Old;
  Old.Add(3, -1, TMarkerKind::mkGeneric, 0, 0, "");
  EXPECT_TRUE(MakeOriginalSurround(Joined, Multi, Old));
  EXPECT_EQ(Joined.NumChannels, 0);
  EXPECT_EQ(Old.Count(), 0);
}

namespace {

// A stereo buffer that frees itself.
struct TOwnedStereo {
  TStereoSample32 S;
  explicit TOwnedStereo(int32_t Frames) {
    S.Init();
    S.Alloc(Frames);
    S.Left.SampleRate = S.Right.SampleRate = 22050;
    S.Clear();
  }
  ~TOwnedStereo() { S.Dispose(); }
};

}  // namespace

TEST_F(MarkerTools, StretchPlaysEachSegmentForwardThenBack) {
  const int32_t N = 3000;
  TOwnedStereo Source(N);
  FillWhiteNoise(Source.S.Left, 1);
  FillWhiteNoise(Source.S.Right, 2);
  struct TCase {
    const char* Name;
    int32_t Start, End;             // -1: no such marker
    std::vector<int32_t> Segments;  // generic / beat markers
    std::vector<int32_t> DestTimes;
  } Cases[] = {
      {"no markers", -1, -1, {}, {6000}},
      {"segments", -1, -1, {0, 1000}, {0, 2000, 6000}},
      {"start and end", 500, 2500, {1000, 2800}, {0, 1000, 4000}},  // the start cuts too
  };
  for (const TCase& C : Cases) {
    TWaveMarkersList SourceMarkers;
    SourceMarkers.Add(1500, -1, TMarkerKind::mkLoopStart, 0, 0, "");  // never cuts
    for (size_t K = 0; K < C.Segments.size(); ++K)
      SourceMarkers.Add(C.Segments[K], -1,
                        K % 2 ? TMarkerKind::mkAutoBeatMarker : TMarkerKind::mkGeneric, 0, 0, "");
    if (C.Start >= 0) SourceMarkers.Add(C.Start, -1, TMarkerKind::mkSampleStart, 0, 0, "");
    if (C.End >= 0) SourceMarkers.Add(C.End, -1, TMarkerKind::mkSampleEnd, 0, 0, "");
    TOwnedStereo Dest(2 * N);
    Dest.S.Left.SampleRate = Dest.S.Right.SampleRate = 0;
    Dest.S.Fill(9);
    TWaveMarkersList DestMarkers;
    DestMarkers.Add(3, -1, TMarkerKind::mkGeneric, 0, 0, "old");
    ASSERT_TRUE(StretchStereoSample(Source.S, Dest.S, SourceMarkers, DestMarkers, 1)) << C.Name;
    EXPECT_EQ(Dest.S.Left.Count, 2 * N);
    EXPECT_EQ(Dest.S.Right.Count, 2 * N);
    EXPECT_EQ(Dest.S.Right.SampleRate, 22050);
    EXPECT_EQ(Times(DestMarkers), C.DestTimes) << C.Name;
    EXPECT_EQ(DestMarkers.Markers.back()->Kind, TMarkerKind::mkSampleEnd);
    if (C.Segments.empty()) {
      EXPECT_EQ(PeakOrInf(Dest.S.Left), 0.0f);
    }
    const int32_t Start = std::max(C.Start, 0);
    const int32_t End = C.End >= 0 ? C.End : N;
    // With Decay 1 the tail does not decay: each segment reads forward
    // (after a 10-frame fade-in) and, from 100 frames into the tail, back.
    for (size_t K = 0; K < C.Segments.size(); ++K) {
      const int32_t T = C.Segments[K];
      if (T < Start || T > End) continue;
      const int32_t Next = std::min(K + 1 < C.Segments.size() ? C.Segments[K + 1] : End, End);
      const int32_t L = Next - T, At = 2 * (T - Start);
      for (const auto& [S, D] : {std::pair{Source.S.Left, Dest.S.Left},
                                 std::pair{Source.S.Right, Dest.S.Right}}) {
        for (int32_t J = 10; J < L - 99; ++J) ASSERT_EQ(D.Data[At + J], S.Data[T + J]) << J;
        for (int32_t J = 100; J < L; ++J)
          ASSERT_EQ(D.Data[At + L - 99 + J], Next - J < N ? S.Data[Next - J] : 0.0f) << J;
      }
    }
  }
  EXPECT_TRUE(Silent());
}

TEST_F(MarkerTools, StretchStaysFiniteAndRefusesASmallDestination) {
  const int32_t N = 1000;
  TOwnedStereo Source(N);
  FillWhiteNoise(Source.S.Left, 3);
  FillWhiteNoise(Source.S.Right, 4);
  const float Peak = std::max(PeakOrInf(Source.S.Left), PeakOrInf(Source.S.Right));
  for (float Decay : {0.0f, 0.5f, 1.0f, 3.0f, -10.0f, 1e6f}) {
    TWaveMarkersList SourceMarkers, DestMarkers;
    for (int32_t T : {0, 50, 130, 700}) SourceMarkers.Add(T, -1, TMarkerKind::mkGeneric, 0, 0, "");
    TOwnedStereo Dest(2 * N);
    ASSERT_TRUE(StretchStereoSample(Source.S, Dest.S, SourceMarkers, DestMarkers, Decay));
    EXPECT_LE(PeakOrInf(Dest.S.Left), Peak) << Decay;
    EXPECT_LE(PeakOrInf(Dest.S.Right), Peak) << Decay;
  }
  EXPECT_TRUE(Silent());
  // Too small a destination, or a Decay that is not a number: reported,
  // nothing written.
  struct TCase {
    int32_t DestFrames;
    float Decay;
  } Cases[] = {{2 * N - 1, 1.0f}, {2 * N, NAN}};
  for (const TCase& C : Cases) {
    TOwnedStereo Dest(C.DestFrames);
    Dest.S.Fill(9);
    TWaveMarkersList SourceMarkers, DestMarkers;
    DestMarkers.Add(3, -1, TMarkerKind::mkGeneric, 0, 0, "old");
    ClearErrors();
    EXPECT_FALSE(StretchStereoSample(Source.S, Dest.S, SourceMarkers, DestMarkers, C.Decay));
    EXPECT_EQ(Errors().size(), 1u);
    EXPECT_EQ(Dest.S.Left.Count, C.DestFrames);
    EXPECT_EQ(Dest.S.Left.Data[0], 9.0f);
    EXPECT_EQ(DestMarkers.Count(), 1);
  }
  // A mono source (no right samples) fills the left channel only.
  TOwnedSample Mono(N);
  FillWhiteNoise(Mono.S, 5);
  TStereoSample32 MonoSource;
  MonoSource.Init();
  MonoSource.Left = Mono.S;
  TOwnedSample Left(2 * N);
  TStereoSample32 MonoDest;
  MonoDest.Init();
  MonoDest.Left = Left.S;
  TWaveMarkersList SourceMarkers, DestMarkers;
  SourceMarkers.Add(0, -1, TMarkerKind::mkGeneric, 0, 0, "");
  ASSERT_TRUE(StretchStereoSample(MonoSource, MonoDest, SourceMarkers, DestMarkers, 0.5f));
  EXPECT_EQ(MonoDest.Left.Count, 2 * N);
  EXPECT_EQ(MonoDest.Left.Data[500], Mono.S.Data[500]);
}
