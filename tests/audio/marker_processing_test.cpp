// Beat onsets on a click track, zero-crossing snapping, loop matching and
// the period stabiliser.
#include <gtest/gtest.h>

#include <cmath>

#include "audio/marker_processing.h"
#include "filter_test_support.h"
#include "support/test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

class MarkerProcessing : public TCaptureTest {};

TEST_F(MarkerProcessing, BeatOnsetsOfAClickTrack) {
  // Eight 3 kHz clicks of 10 ms, every 0.4 s from 0.3 s on.
  const int32_t Rate = 44100;
  TOwnedSample S(Rate * 4, Rate);
  std::vector<int64_t> Clicks;
  for (int K = 0; K < 8; ++K) {
    const int64_t At = int64_t(Rate * (0.3 + 0.4 * K));
    Clicks.push_back(At);
    for (int I = 0; I < 441; ++I)
      S[At + I] = float(0.8 * std::exp(-I / 100.0) * std::sin(2 * M_PI * 3000 * I / Rate));
  }
  const std::vector<TBeatOnset> Onsets = DetectBeatOnsets(S.S, true, 2000, 100, 40, 10, -70);
  ASSERT_EQ(Onsets.size(), Clicks.size());
  for (size_t K = 0; K < Clicks.size(); ++K) {
    // Measured: 177 samples (4.0 ms) before each click, from the 250-sample
    // step back of the stronger rise and the snap to a zero crossing.
    EXPECT_LE(Onsets[K].Time, Clicks[K]) << K;
    EXPECT_GE(Onsets[K].Time, Clicks[K] - Rate * 5 / 1000) << K;
    EXPECT_GT(Onsets[K].Strength, 0.2f) << K;
  }
  // Never quiet: no onset.
  TOwnedSample Loud(Rate * 2, Rate);
  FillSine(Loud.S, 1000, 0.5);
  EXPECT_TRUE(DetectBeatOnsets(Loud.S, true, 2000, 100, 40, 10, -70).empty());
  TOwnedSample Four(4, Rate, 1);
  EXPECT_TRUE(DetectBeatOnsets(Four.S, true, 0, 100, 40, 10, -70).empty());
}

TEST_F(MarkerProcessing, ZeroCrossings) {
  TOwnedSample S(1000);
  for (int I = 0; I < 1000; ++I) S[I] = (I / 50) % 2 ? -1.0f : 1.0f;  // sign changes at 50, 100, ...
  EXPECT_EQ(SnapBackToZeroCrossing(S.S, 120), 100);
  EXPECT_EQ(SnapBackToZeroCrossing(S.S, 100), 100);
  EXPECT_EQ(SnapBackToZeroCrossing(S.S, 30), 30);  // none behind: stays
  int32_t Pos = 140;
  SnapToZeroCrossing(S.S, Pos, 20);
  EXPECT_EQ(Pos, 150);
  Pos = 140;
  SnapToZeroCrossing(S.S, Pos, 5);
  EXPECT_EQ(Pos, 140);
  Pos = 5000;
  SnapToZeroCrossing(S.S, Pos, 20);
  EXPECT_EQ(Pos, 5000);
}

TEST_F(MarkerProcessing, LoopPoints) {
  TOwnedSample S(4000);
  FillSine(S.S, 441, 1);  // period 100
  int32_t Start = 1000, End = 2007;
  AdjustLoopEnd(S.S, Start, End, 50, 10);
  EXPECT_EQ(End, 2000);
  EXPECT_TRUE(Messages().empty());
  Start = 1004;
  End = 2000;
  AdjustLoopStart(S.S, Start, End, 10, 50);
  EXPECT_EQ(Start, 1000);

  struct TCase {
    int32_t Start, End;
    const char* Message;
  };
  // 3940 + Range + Window is sample 4000, one past the end.
  for (const TCase& C : {TCase{50, 2000, "Loop points are too near to boundaries"},
                         TCase{1000, 3940, "Loop points are too near to boundaries"},
                         TCase{2000, 1000, "Loop points are incorrect"},
                         TCase{1000, 1005, "Loop points are too near"}}) {
    Sink.Clear();
    int32_t A = C.Start, B = C.End;
    AdjustLoopEnd(S.S, A, B, 50, 10);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], C.Message);
    EXPECT_EQ(A, C.Start);
    EXPECT_EQ(B, C.End);
  }
}

TEST_F(MarkerProcessing, StabilisedToneKeepsItsPeriod) {
  TOwnedSample S(20000);
  FillSine(S.S, 441, 0.5);
  std::string Out;
  Out = CaptureStdout([&] { StabilizeSamplePeriod(S.S, 441); });
  EXPECT_EQ(Out, "Max deviation: 0.0\n");
  EXPECT_GT(S.S.Count, 15000);
  EXPECT_LT(PeakOrInf(S.S), 0.51f);
  S.S.Dispose();
}

}  // namespace
