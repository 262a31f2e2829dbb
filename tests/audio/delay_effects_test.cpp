#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "audio/delay_effects.h"
#include "filter_test_support.h"
#include "support/test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

class DelayEffects : public TCaptureTest {};

TEST_F(DelayEffects, EchoRingOfTwoAndRefusedDelays) {
  TOwnedSample Ring(8), S(6);
  S[0] = 1;
  Echo32(S.S, Ring.S, 32768, 0, 1, 256, false, true);
  // Delay 1 runs as a 2-sample ring: the impulse returns two samples later.
  EXPECT_EQ(S[1], 0.0f);
  EXPECT_EQ(S[2], 1.0f);
  EXPECT_TRUE(Silent());

  TOwnedSample T(6, 44100, 0.5f);
  for (int32_t Bad : {0, -5}) {
    Echo32(T.S, Ring.S, 32768, 0, Bad, 256, false, true);
    CombFilter32(T.S, Ring.S, 0, 128, Bad, 128, 256);
  }
  TSample16 R16, S16;
  R16.Init();
  R16.Alloc(4);
  S16.Init();
  S16.Alloc(4);
  S16.Fill(100);
  Echo16(S16, R16, 32768, 16384, 10, 256, false, true);  // ring shorter than the delay
  CombFilter32(T.S, Ring.S, 0, 128, 9, 128, 256);
  EXPECT_EQ(Errors().size(), 6u);
  for (int I = 0; I < 6; ++I) EXPECT_EQ(T[I], 0.5f);
  for (int I = 0; I < 4; ++I) EXPECT_EQ(S16.Data[I], 100);
  R16.Dispose();
  S16.Dispose();
}

TEST_F(DelayEffects, CombAcrossCallsAndNegativePosition) {
  TOwnedSample Ring(16), A(40), B(40), RingB(16);
  FillWhiteNoise(A.S, 1);
  A.S.CopyTo(B.S);
  CombFilter32(A.S, Ring.S, -7, 200, 5, 200, 200);
  TSample32 H1, H2;
  TSample32::AssignRange(H1, B.S, 0, 13);
  TSample32::AssignRange(H2, B.S, 13, 40);
  CombFilter32(H1, RingB.S, -7, 200, 5, 200, 200);
  CombFilter32(H2, RingB.S, 6, 200, 5, 200, 200);
  EXPECT_EQ(std::memcmp(A.S.Data, B.S.Data, 160), 0);
}

TEST_F(DelayEffects, FlangerSwapsItsDelaysAndStaysInsideTheRing) {
  TOwnedSample R1(8192), R2(8192), A(5000), B(5000);
  FillWhiteNoise(A.S, 3);
  A.S.CopyTo(B.S);
  float P1 = 0, P2 = 0;
  Flanger32(A.S, R1.S, 0, 16384, 20, 300, 50, 100, P1);
  Flanger32(B.S, R2.S, 0, 16384, 300, 20, 50, 100, P2);
  EXPECT_EQ(std::memcmp(A.S.Data, B.S.Data, 20000), 0);
  EXPECT_EQ(P1, P2);
  // Delays far beyond the ring are kept inside it.
  Flanger32(A.S, R1.S, 12345, 16384, -500, 1000000, 50, 1000, P1);
  EXPECT_LT(PeakOrInf(A.S), 100.0f);
}

TEST_F(DelayEffects, ReverbDryOnlyPassesInputAndFillsRings) {
  TReverbBufs Bufs;
  ASSERT_TRUE(Bufs.Init());
  TOwnedSample S(1000), Ref(1000);
  FillWhiteNoise(S.S, 4);
  S.S.CopyTo(Ref.S);
  Reverb13(S.S, Bufs, 32768, 0, 2000, 128, true);
  EXPECT_EQ(std::memcmp(S.S.Data, Ref.S.Data, 4000), 0);
  EXPECT_GT(Bufs.Rings[0].Peak(), 0.0f);
  Bufs.Done();
  Reverb9(S.S, Bufs, 32768, 16384, 2000, 128, true);  // no rings: refused
  EXPECT_EQ(Errors().size(), 1u);
}

TEST_F(DelayEffects, ResonanceBelowTheRingSilencesAndStagesAreCapped) {
  TResonanceRec Rec;
  Rec.Sample.Init();
  Rec.Sample.Alloc(10);
  Rec.Sample.SampleRate = 44100;
  Rec.Sample.Fill(1000);
  Rec.Ring.Init();
  Rec.Ring.Alloc(ResonanceRingSize);
  Rec.Ring.Clear();
  Rec.Freq = 3;
  int64_t Pos = 77;
  ResonanceProcess16(Rec, Pos);
  EXPECT_EQ(Pos, 77);
  for (int I = 0; I < 10; ++I) EXPECT_EQ(Rec.Sample.Data[I], 0);
  Rec.Freq = 440;
  Rec.Sample.Fill(1000);
  Rec.LowPass = 256;
  Rec.Feedback = 1000;
  ResonanceProcess16(Rec, Pos);
  EXPECT_EQ(Pos, 87);
  Rec.Sample.Dispose();
  Rec.Ring.Dispose();

  SetResonanceStages(3, true);
  EXPECT_EQ(ResonanceStages, 4);
  SetResonanceStages(0, false);
  EXPECT_EQ(ResonanceStages, 4);
  SetResonanceStages(255, false);
  EXPECT_EQ(ResonanceStages, 48);
  // 24 sections fill the 49-element state without passing it.
  TResonanceRec32 R32;
  R32.FilterState.fill(0);
  TOwnedSample N(4410);
  FillWhiteNoise(N.S, 8);
  ResonantFilter32(R32, N.S, 1000, 0.05);
  EXPECT_LT(PeakOrInf(N.S), 1000.0f);
  EXPECT_EQ(R32.FilterState[48], 0.0);
  ClearResonanceStages();
}

// Ten seconds of full-scale white noise through every effect at strong
// settings: the output stays finite and bounded.
TEST_F(DelayEffects, StableForTenSecondsOfFullScaleNoise) {
  const int64_t N = 441000;
  TOwnedSample S(N), Ring(65536), Ring8k(8192), Ring8kB(8192);
  TStereoSample32 St, Rings;
  St.Init();
  Rings.Init();
  ASSERT_TRUE(St.Alloc(int32_t(N)));
  ASSERT_TRUE(Rings.Alloc(65536));
  TReverbBufs Bufs;
  ASSERT_TRUE(Bufs.Init());
  float Phase = 0;
  int64_t Pos = 0;
  TResonanceRec32 Rec;
  Rec.Ring = Ring8kB.S;
  Rec.Ring.Clear();
  Rec.Freq = 220;
  Rec.LowPass = 512;
  Rec.Feedback = 1000;
  StringModelInit();
  const std::vector<std::pair<const char*, std::function<void()>>> Effects = {
      {"Echo32", [&] { Echo32(S.S, Ring.S, 32768, 30000, 12000, 200, true, true); }},
      {"Comb", [&] { CombFilter32(S.S, Ring.S, 0, 256, 441, 250, 200); }},
      {"Flanger", [&] { Flanger32(S.S, Ring8k.S, 0, 16384, 10, 400, 30, 128, Phase); }},
      {"Reverb13", [&] { Reverb13(S.S, Bufs, 16384, 32768, 100000, 200, true); }},
      {"Reverb9", [&] { Reverb9(S.S, Bufs, 16384, 32768, 100000, 200, true); }},
      {"Resonance32", [&] {
         S.S.Scale(32767);
         Rec.Sample = S.S;
         ResonanceProcess32(Rec, Pos);
         S.S.Scale(1.0f / 32767);
       }},
      {"ResonantFilter", [&] {
         SetResonanceStages(8, false);
         ResonantFilter32(Rec, S.S, 500, 0.1);
       }},
      {"StringModel", [&] { StringModel(S.S, 220, 0.5f, 0.999f); }},
      {"StringModelB", [&] { StringModelB(S.S, 220, 0.999f); }},
      {"PingPong", [&] {
         FillWhiteNoise(St.Left, 1);
         FillWhiteNoise(St.Right, 2);
         PingPongEchoWide32(St, Rings, 32768, 16000, 16000, 5000, 7000, 200, 256, true);
         S.S.Fill(std::max(PeakOrInf(St.Left), PeakOrInf(St.Right)));
       }},
  };
  for (const auto& [Name, Run] : Effects) {
    FillWhiteNoise(S.S, 12);
    Run();
    EXPECT_LT(PeakOrInf(S.S), 200.0f) << Name;
  }
  EXPECT_TRUE(Silent());
  ClearResonanceStages();
  Bufs.Done();
  St.Dispose();
  Rings.Dispose();
}

}  // namespace
