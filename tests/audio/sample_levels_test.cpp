// Envelopes, fades, spreads and the windowed-RMS level measures.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audio/sample_envelopes.h"
#include "audio/sample_levels.h"
#include "audio/wave_record.h"
#include "audio_test_support.h"
#include "filter_test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

std::vector<float> Values(const TSample32& S) { return std::vector<float>(S.Data, S.Data + S.Count); }

TEST(SampleLevels, FullScaleSineIsMinus3dBFS) {
  // Five whole periods in the 200-sample window.
  TOwnedSample S(44100);
  FillSine(S.S, 1102.5, 1.0);
  EXPECT_NEAR(20 * std::log10(SampleMaxLevel(S.S)), -3.0103, 0.01);
  EXPECT_NEAR(20 * std::log10(SampleMinLevel(S.S)), -3.0103, 0.01);
  TStereoSample32 St;
  St.Left = S.S;
  St.Right = S.S;
  // Both channels add: +3 dB over one.
  EXPECT_NEAR(20 * std::log10(StereoMaxLevel(St)), 0.0, 0.01);
  EXPECT_NEAR(20 * std::log10(StereoMeanLevel(St)), 0.0, 0.05);
  TOwnedSample Step(1000);
  for (int I = 99; I < 1000; ++I) Step[I] = 1;
  St.Left = St.Right = Step.S;
  // 2 (n - 98) > 200 x 0.25 first at n = 124.
  EXPECT_EQ(StereoFirstLoudFrame(St, 0.5f), 124);
  EXPECT_EQ(StereoFirstLoudFrame(St, 5.0f), 0);
  EXPECT_NEAR(SampleMaxLevelHighPassed(S.S, 5000), 0.02f, 0.02f);
  TOwnedSample Short(1000, 44100, 0.5f);
  EXPECT_EQ(SampleMinLevel(Short.S), -1.0f);
  TOwnedSample Just(1001, 44100, 0.0f);
  Just[0] = 9;
  for (int I = 1; I <= 1000; ++I) Just[I] = 0.5f;
  EXPECT_FLOAT_EQ(SampleMinLevel(Just.S), 0.5f);
}

TEST(SampleLevels, SoundEndsAndDurations) {
  TOwnedSample Silence(30000);
  EXPECT_EQ(FindSoundEnd(Silence.S, -60), 0);
  EXPECT_EQ(FindFirstQuietPoint(Silence.S, -60), 10000 + 1024);
  TOwnedSample Loud(30000, 44100, 0.5f);
  EXPECT_EQ(FindSoundEnd(Loud.S, -60), 30000 - 1 + 1024);
  EXPECT_EQ(FindFirstQuietPoint(Loud.S, -60), 30000);
  // Loud for 15000 samples: the 10000-sample window empties 10000 later.
  for (int I = 15000; I < 30000; ++I) Loud[I] = 0;
  const int64_t End = FindSoundEnd(Loud.S, -60);
  EXPECT_GE(End, 15000 + 1024);
  EXPECT_LE(End, 25000 + 1024);
  // A steady sound of L seconds: inverse duration 1/L.
  TOwnedSample One(44100, 44100, 0.5f);
  EXPECT_NEAR(SampleInverseDuration(One.S, 0.5f * std::sqrt(2.0f)), 1.0f, 0.01f);
  TOwnedSample Dest(44100);
  // Peak 0.5 reads the constant as envelope sqrt 2: 1/d = 44.1 x sqrt 2.
  EXPECT_NEAR(SampleEffectiveLength(One.S, Dest.S, 0, 30000), 44.1f * std::sqrt(2.0f), 0.1f);
  TOwnedSample Small(10);
  EXPECT_EQ(SampleEffectiveLength(One.S, Small.S, 0, 30000), 0.0f);
}

// A record is measured in its own mode; a stereo one ends with its later
// channel and lasts as long as its left one.
TEST(SampleLevels, RecordMeasures) {
  TOwnedSample Early(30000, 44100, 0.5f), Late(30000, 44100, 0.5f), Silent(30000);
  for (int I = 5000; I < 30000; ++I) Early[I] = 0;
  TWave W;
  InitSampleRecord(W);
  W.Mono = Silent.S;
  W.Stereo.Left = Early.S;
  W.Stereo.Right = Late.S;
  struct TCase {
    bool Stereo;
    float Level;
    int64_t End;
    float InverseDuration;
  } Cases[] = {
      {false, 0.0f, 0, SampleInverseDuration(Silent.S, 0.7f)},
      {true, StereoMaxLevel(W.Stereo), FindSoundEnd(Late.S, -60), SampleInverseDuration(Early.S, 0.7f)},
  };
  for (const TCase& C : Cases) {
    W.IsStereo = C.Stereo;
    EXPECT_EQ(WaveMaxLevel(W), C.Level) << C.Stereo;
    EXPECT_EQ(FindWaveSoundEnd(W, -60), C.End) << C.Stereo;
    EXPECT_EQ(WaveInverseDuration(W, 0.7f), C.InverseDuration) << C.Stereo;
  }
  EXPECT_GT(FindSoundEnd(Late.S, -60), FindSoundEnd(Early.S, -60));
  EXPECT_NE(SampleInverseDuration(Early.S, 0.7f), SampleInverseDuration(Late.S, 0.7f));
  EXPECT_NEAR(WaveMaxLevel(W), 0.5f * std::sqrt(2.0f), 1e-5f);
}

TEST(SampleLevels, StereoPosition) {
  TOwnedSample L(1000, 44100, 0.5f), R(1000, 44100, 0.0f);
  TStereoSample32 St;
  St.Left = L.S;
  St.Right = R.S;
  EXPECT_NEAR(StereoPositionDeviation(St, 0), 1.0f, 1e-6f);
  St.Right = L.S;
  EXPECT_NEAR(StereoPositionDeviation(St, 0), 0.0f, 1e-6f);
}

TEST(SampleEnvelopes, FadesHitTheirEndValues) {
  TSample32 S = MakeSample({1, 1, 1, 1, 1});
  FadeInSample(S, 100);  // over Count - 1: the last sample stays
  EXPECT_EQ(Values(S), (std::vector<float>{0, 0.25f, 0.5f, 0.75f, 1}));
  TSample32 T = MakeSample({1, 1, 1, 1, 1});
  FadeOutSample(T, 2);
  EXPECT_EQ(Values(T), (std::vector<float>{1, 1, 1, 0.5f, 0}));
  S.Dispose();
  T.Dispose();

  // Envelope: the ramp reaches 1 exactly, the decay stops at Floor exactly.
  TOwnedSample Src(44100, 44100, 1.0f), Dst(44100);
  ProcessSampleEnvelope(Src.S, Dst.S, 0, 0, 0, 0, 0.5f);
  EXPECT_EQ(Dst[0], 0.0f);
  EXPECT_EQ(Dst[1], 1.0f);
  EXPECT_EQ(Dst[44099], 0.0625f);
  ProcessSampleEnvelope(Src.S, Dst.S, 256, 0, 0, 0, 0);
  EXPECT_EQ(Dst[44099], 1.0f);
  // Swell towards Boost/128 + 1.
  ProcessSampleEnvelope(Src.S, Dst.S, 256, 128, 0, 0, 0);
  EXPECT_NEAR(Dst[44099], 2.0f, 0.01f);
  ProcessSampleEnvelope(Src.S, Dst.S, -5, -5, 0, 0, 0);
  EXPECT_LT(PeakOrInf(Dst.S), 2.0f);

  TOwnedSample Boost(44100);
  ProcessSampleAttackBoost(Src.S, Boost.S, 60);
  EXPECT_EQ(Boost[0], 2.0f);
  EXPECT_NEAR(Boost[866], 1.5f, 0.01f);
}

TEST(SampleEnvelopes, GlidePreEchoAndEdits) {
  TOwnedSample Src(100);
  for (int I = 0; I < 100; ++I) Src[I] = float(I);
  TOwnedSample Dst(200, 44100, -1);
  ProcessSampleAttackGlide(Src.S, Dst.S, 2);
  EXPECT_EQ(Dst[0], 0);
  EXPECT_EQ(Dst[1], 2);
  EXPECT_EQ(Dst[2], 3);
  EXPECT_EQ(Dst[Dst.S.Count - 1], 99);
  TOwnedSample Tiny(3, 44100, -1);
  ProcessSampleAttackGlide(Src.S, Tiny.S, 2);
  EXPECT_EQ(Tiny.S.Count, 3);

  TOwnedSample P(2000, 44100, 0);
  P[0] = 1;
  ProcessSamplePreEcho(P.S, 0.5f, 0.1f);
  EXPECT_EQ(P[500], 1);
  EXPECT_EQ(P[0], 0.5f);
  EXPECT_EQ(P[117], 0.5f);
  TOwnedSample Short(600, 44100, 1);
  ProcessSamplePreEcho(Short.S, 0.5f, 0.1f);  // copies limited to the buffer
  EXPECT_EQ(Short[599], 1);

  TSample32 M = MakeSample({0, 1, 0, 0, 2});
  SpreadSampleMax(M);
  EXPECT_EQ(Values(M), (std::vector<float>{1, 1, 1, 2, 2}));
  SpreadSampleMin(M);
  EXPECT_EQ(Values(M), (std::vector<float>{1, 1, 1, 1, 2}));
  DeleteFirstSamples(M, 2);
  EXPECT_EQ(Values(M), (std::vector<float>{1, 1, 2}));
  PadSample(M, 2);
  EXPECT_EQ(Values(M), (std::vector<float>{0, 0, 1, 1, 2, 0, 0}));
  M.Dispose();

  TSample32 E;
  E.Init();
  ExtractSampleWithFades(Src.S, E, 10, 20, 5);
  ASSERT_EQ(E.Count, 20);
  EXPECT_EQ(E.Data[0], 0);
  EXPECT_EQ(E.Data[10], 15);
  EXPECT_EQ(E.Data[19], 0);
  E.Dispose();
  TSample32 None;
  None.Init();
  ExtractSampleWithFades(Src.S, None, 2, 98, 5);  // outside the source
  EXPECT_EQ(None.Data, nullptr);

  TOwnedSample Loop(100);
  for (int I = 0; I < 100; ++I) Loop[I] = float(I);
  CrossfadeLoop(Loop.S, 20, 80, 10);
  EXPECT_EQ(Loop[80], 20);
  EXPECT_EQ(Loop[70], 70);
  CrossfadeLoop(Loop.S, 5, 200, 150);  // ends beyond the buffer are skipped
  DelaySampleBy100(Loop.S);
  EXPECT_EQ(Loop[99], 0);
}

}  // namespace
