#include "audio/peak_profile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audio/wave_record.h"
#include "audio_test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

struct TColumns {
  TSample32 Min, Max;
  explicit TColumns(int W, float Fill = -5.0f) {
    Min.Init();
    Max.Init();
    Min.Alloc(W);
    Max.Alloc(W);
    Min.Fill(Fill);
    Max.Fill(Fill);
  }
  ~TColumns() {
    Min.Dispose();
    Max.Dispose();
  }
};

// Sample i holds i, so a column's extremes name its first and last frame.
TSample32 Ramp(int N) {
  TSample32 S;
  S.Init();
  S.Alloc(N);
  for (int I = 0; I < N; ++I) S.Data[I] = float(I);
  return S;
}

}  // namespace

TEST(PeakProfile, ThousandFramesOnTenColumns) {
  TSample32 S = Ramp(1000);
  TColumns Range(10);
  MonoMinMaxProfileRange(S, Range.Min, Range.Max, 0, 1000, nullptr);
  // Column 0 holds frames 0..50 (50/100 rounds to even), column 1 51..149,
  // column 2 starts at 150 and so on, halves to even; frames from 950 on
  // map to column 10, so column 9 (851..949) is the last one written.
  const float Lo[10] = {0, 51, 150, 251, 350, 451, 550, 651, 750, 851};
  const float Hi[10] = {50, 149, 250, 349, 450, 549, 650, 749, 850, 949};
  for (int C = 0; C < 10; ++C) {
    EXPECT_EQ(Range.Min.Data[C], Lo[C]) << C;
    EXPECT_EQ(Range.Max.Data[C], Hi[C]) << C;
  }
  // The whole-sound routine shares the boundary frame between columns.
  TColumns Whole(10);
  MonoMinMaxProfile(S, Whole.Min, Whole.Max, nullptr);
  EXPECT_EQ(Whole.Min.Data[0], 0.0f);
  EXPECT_EQ(Whole.Max.Data[0], 51.0f);
  EXPECT_EQ(Whole.Min.Data[1], 51.0f);
  EXPECT_EQ(Whole.Max.Data[1], 150.0f);
  EXPECT_EQ(Whole.Max.Data[8], 851.0f);
  EXPECT_EQ(Whole.Max.Data[9], 950.0f);
  S.Dispose();
}

TEST(PeakProfile, MinMaxPerColumnOfASine) {
  // Columns of 3 over 6000 frames cover 0..1000, 1001..3000 and 3001..5000:
  // each holds a whole period of 1000 frames.
  const int N = 6000;
  TSample32 S;
  S.Init();
  S.Alloc(N);
  for (int I = 0; I < N; ++I) S.Data[I] = float(std::sin(2 * M_PI * I / 1000.0));
  TColumns C(3);
  MonoMinMaxProfileRange(S, C.Min, C.Max, 0, N, nullptr);
  for (int K = 0; K < 3; ++K) {
    EXPECT_NEAR(C.Min.Data[K], -1.0f, 1e-5);
    EXPECT_NEAR(C.Max.Data[K], 1.0f, 1e-5);
  }
  S.Dispose();
}

TEST(PeakProfile, SourcesWithoutData) {
  TSample32 Empty;
  Empty.Init();
  TStereoSample32 NoStereo;
  NoStereo.Init();
  TColumns A(4), B(4);
  MonoMinMaxProfile(Empty, A.Min, A.Max, nullptr);
  MonoMinMaxProfileRange(Empty, A.Min, A.Max, 0, 10, nullptr);
  EXPECT_EQ(A.Min.Data[0], -5.0f);
  StereoMinMaxProfile(NoStereo, B.Min, B.Max);
  EXPECT_EQ(B.Min.Data[3], 0.0f);
  EXPECT_EQ(B.Max.Data[3], 0.0f);
}

TEST(PeakProfile, FewFramesOnManyColumnsRepeatTheColumnBefore) {
  TSample32 S = Ramp(256);
  TColumns C(734);
  MonoMinMaxProfileRange(S, C.Min, C.Max, 0, 256, nullptr);
  const int Last = int(std::nearbyint(734.0 * 254 / 256));
  for (int K = 0; K <= Last; ++K) ASSERT_NE(C.Min.Data[K], -5.0f) << K;
  for (int K = Last + 1; K < 734; ++K) ASSERT_EQ(C.Min.Data[K], -5.0f) << K;
  // Columns 1 and 2 lie before frame 1's column 3: they repeat column 0.
  EXPECT_EQ(C.Max.Data[1], C.Max.Data[0]);
  EXPECT_EQ(C.Max.Data[2], C.Max.Data[0]);
  // A range beyond the sound is kept inside it.
  TColumns D(8);
  MonoMinMaxProfileRange(S, D.Min, D.Max, -50, 100000, nullptr);
  EXPECT_EQ(D.Min.Data[0], 0.0f);
  EXPECT_EQ(D.Max.Data[7], 239.0f);  // frames 208..239
  S.Dispose();
}

TEST(PeakProfile, StereoTakesEitherChannel) {
  TStereoSample32 St;
  St.Init();
  St.Alloc(100);
  for (int I = 0; I < 100; ++I) {
    St.Left.Data[I] = I == 10 ? 0.9f : 0.0f;
    St.Right.Data[I] = I == 70 ? -0.8f : 0.0f;
  }
  TColumns C(2);
  StereoMinMaxProfile(St, C.Min, C.Max);
  EXPECT_EQ(C.Max.Data[0], 0.9f);
  EXPECT_EQ(C.Min.Data[0], 0.0f);
  EXPECT_EQ(C.Min.Data[1], -0.8f);
  TColumns R(2);
  StereoMinMaxProfileRange(St, R.Min, R.Max, 0, 100, nullptr);
  EXPECT_EQ(R.Max.Data[0], 0.9f);
  St.Dispose();
}

// The block profile must give exactly what the frame-by-frame pass gives:
// a single loud frame anywhere in a block is never lost.
TEST(PeakProfile, BlockProfileFindsEveryPeak) {
  TSample32 S;
  S.Init();
  S.Alloc(1000);
  S.Clear();
  TWaveProfile P;
  P.Init();
  P.Build(S);
  EXPECT_EQ(P.BlockSize, 512);
  EXPECT_EQ(P.Min.Count, 2);
  P.Dispose();

  const int N = 200000;
  S.Dispose();
  S.Init();
  S.Alloc(N);
  uint32_t Seed = 7;
  for (int I = 0; I < N; ++I) {
    Seed = Seed * 1664525u + 1013904223u;
    S.Data[I] = (float(Seed >> 8) / float(1 << 24) - 0.5f) * 0.1f;
  }
  for (int I : {300, 777, 1023, 5000, 99999, 150300}) S.Data[I] = (I % 2 ? 1.0f : -1.0f);
  P.Build(S);
  for (int W : {7, 60, 333}) {
    TColumns Plain(W), Fast(W);
    MonoMinMaxProfile(S, Plain.Min, Plain.Max, nullptr);
    MonoMinMaxProfile(S, Fast.Min, Fast.Max, &P);
    TColumns PlainR(W), FastR(W);
    MonoMinMaxProfileRange(S, PlainR.Min, PlainR.Max, 123, N - 77, nullptr);
    MonoMinMaxProfileRange(S, FastR.Min, FastR.Max, 123, N - 77, &P);
    for (int K = 0; K < W; ++K) {
      ASSERT_EQ(Fast.Min.Data[K], Plain.Min.Data[K]) << W << " " << K;
      ASSERT_EQ(Fast.Max.Data[K], Plain.Max.Data[K]) << W << " " << K;
      ASSERT_EQ(FastR.Min.Data[K], PlainR.Min.Data[K]) << W << " " << K;
      ASSERT_EQ(FastR.Max.Data[K], PlainR.Max.Data[K]) << W << " " << K;
    }
  }
  P.Dispose();
  S.Dispose();
}

// A record is drawn from the buffers its mode names, never from the other.
TEST(PeakProfile, RecordsDrawTheirOwnMode) {
  TWave W;
  InitSampleRecord(W);
  W.Mono = Ramp(100);
  ASSERT_TRUE(W.Stereo.Alloc(100));
  W.Stereo.Clear();
  W.Stereo.Right.Data[60] = -3.0f;
  for (bool Stereo : {false, true}) {
    W.IsStereo = Stereo;
    TColumns Whole(4), Range(4);
    WaveMinMaxProfile(W, Whole.Min, Whole.Max, nullptr);
    WaveMinMaxProfileRange(W, Range.Min, Range.Max, 50, 100, nullptr);
    TColumns WholeRef(4), RangeRef(4);
    if (Stereo) {
      StereoMinMaxProfile(W.Stereo, WholeRef.Min, WholeRef.Max);
      StereoMinMaxProfileRange(W.Stereo, RangeRef.Min, RangeRef.Max, 50, 100, nullptr);
      EXPECT_EQ(Whole.Min.Data[2], -3.0f);
      EXPECT_EQ(Range.Min.Data[1], -3.0f);
    } else {
      MonoMinMaxProfile(W.Mono, WholeRef.Min, WholeRef.Max, nullptr);
      MonoMinMaxProfileRange(W.Mono, RangeRef.Min, RangeRef.Max, 50, 100, nullptr);
      EXPECT_EQ(Range.Min.Data[0], 50.0f);
    }
    for (int K = 0; K < 4; ++K) {
      EXPECT_EQ(Whole.Min.Data[K], WholeRef.Min.Data[K]) << Stereo << K;
      EXPECT_EQ(Whole.Max.Data[K], WholeRef.Max.Data[K]) << Stereo << K;
      EXPECT_EQ(Range.Min.Data[K], RangeRef.Min.Data[K]) << Stereo << K;
      EXPECT_EQ(Range.Max.Data[K], RangeRef.Max.Data[K]) << Stereo << K;
    }
  }
  W.Mono.Dispose();
  W.Stereo.Dispose();
}
