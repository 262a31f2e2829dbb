#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "audio/iir_modulated.h"
#include "filter_test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

TIIRFilter LowPass(float Freq, int32_t Stages = 2) {
  TIIRFilter F;
  F.Init();
  F.SampleRate = 44100;
  F.Freq = Freq;
  F.Stages = Stages;
  F.Resonance = 5.6568542f;
  return F;
}

// A pulse symmetric about index 20 of a 64-sample period stays symmetric
// (zero phase), and its DC level is kept.
TEST(IIRModulated, CyclicFilteringHasZeroPhase) {
  const int64_t N = 64;
  TOwnedSample S(N);
  S[20] = 1;
  S[19] = S[21] = 0.5f;
  S[18] = S[22] = 0.25f;
  TIIRFilter F = LowPass(3000);
  F.InitButterworthLowPass();
  ASSERT_TRUE(IIRProcessBufCyclic(F, S.S));
  double Sum = 0;
  for (int64_t K = 0; K < N; ++K) {
    EXPECT_NEAR(S[(20 + K) % N], S[(20 - K + N) % N], 1e-6f) << K;
    Sum += S[K];
  }
  EXPECT_NEAR(Sum, 2.5, 1e-4);
  EXPECT_LT(S[20], 1.0f);  // it was filtered

  TOwnedSample C(200, 44100, 0.3f);
  TIIRFilter G = LowPass(2000);
  G.InitLowPass();
  ASSERT_TRUE(IIRProcessBufCyclic(G, C.S));
  for (int I = 0; I < 200; ++I) EXPECT_NEAR(C[I], 0.3f, 1e-5f) << I;
}

TEST(IIRModulated, WithoutControlEveryRoutineIsOneStaticDesign) {
  TOwnedSample Ref(100);
  FillWhiteNoise(Ref.S, 6);
  TIIRFilter Plain = LowPass(1500);
  Plain.InitLowPass();
  Plain.Buffer = Ref.S;
  IIRProcessBuf(Plain);

  const std::vector<std::function<void(TIIRFilter&)>> Routines = {
      [](TIIRFilter& F) { IIRProcessBufModBlocks(F, &TIIRFilter::InitLowPass); },
      [](TIIRFilter& F) { IIRProcessBufModExp(F, &TIIRFilter::InitLowPass, 1); },
      [](TIIRFilter& F) { IIRProcessBufModExpWobble(F, &TIIRFilter::InitLowPass, 1); }};
  for (size_t K = 0; K < Routines.size(); ++K) {
    TOwnedSample S(100);
    FillWhiteNoise(S.S, 6);
    TIIRFilter F = LowPass(1500);
    F.Buffer = S.S;
    Routines[K](F);
    EXPECT_EQ(F.Resonance, 5.6568542f) << K;
    EXPECT_EQ(F.Freq, 1500) << K;
    EXPECT_EQ(F.Buffer.Data, S.S.Data);
    EXPECT_EQ(F.Buffer.Count, 100);
    EXPECT_EQ(std::memcmp(S.S.Data, Ref.S.Data, 400), 0) << K;
  }
}

TEST(IIRModulated, BlocksOfThirtyTwoFollowTheControl) {
  TOwnedSample S(70), Ctl(70, 44100, 0.1f);
  FillWhiteNoise(S.S, 1);
  TIIRFilter F = LowPass(500);
  F.ModSource = &Ctl.S;
  F.Buffer = S.S;
  IIRProcessBufModBlocks(F, &TIIRFilter::InitLowPass);
  EXPECT_EQ(F.ModPos, 96);
  EXPECT_EQ(F.Resonance, 5.6568542f);
  // Smoothed: 0.05 of the control (in Hz units) each block.
  float Want = 100;
  for (int B = 0; B < 3; ++B) Want = 0.1f * 0.05f * 0.25f * 32768 + Want * 0.95f;
  EXPECT_NEAR(F.SmoothedFreq, Want, 1e-3f);
  EXPECT_LT(PeakOrInf(S.S), 10.0f);

  // A control shorter than the buffer is read only where it has samples.
  TOwnedSample Short(10, 44100, 0.5f), Long(500);
  FillWhiteNoise(Long.S, 2);
  TIIRFilter G = LowPass(500);
  G.ModSource = &Short.S;
  G.Buffer = Long.S;
  IIRProcessBufModLowPass(G);
  IIRProcessBufModExp(G, &TIIRFilter::InitLowPass, 0.1f);
  EXPECT_LT(PeakOrInf(Long.S), 10.0f);
}

TEST(IIRModulated, ResponsesAndLogScale) {
  TOwnedSample S(4, 44100, 1.0f);
  S[0] = 1;
  S[1] = 10;
  S[2] = 0;
  S[3] = -1;
  SamplesToLogScale(S.S);
  EXPECT_EQ(S[0], 0.0f);
  EXPECT_NEAR(S[1], 0.8333333f, 1e-7f);
  EXPECT_EQ(S[2], -200.0f);
  EXPECT_EQ(S[3], -200.0f);

  TIIRFilter F = LowPass(1000, 1);
  F.InitButterworthLowPass();
  TOwnedSample R(256, 44100, 1.0f);
  IIRApplyResponseLog(F, R.S);
  EXPECT_NEAR(R[0], SectionMagnitude(F, 30), 1e-6);
  EXPECT_NEAR(R[128], SectionMagnitude(F, 30 * std::exp(0.5 * std::log(20000.0 / 30))), 1e-4);

  // A two-tap average: |cos(pi f)| on the linear axis.
  const double Num[] = {0.5, 0.5}, Den[] = {1, 0};
  TOwnedSample L(100, 44100, 1.0f);
  ApplyIIRResponse(L.S, 2, Num, Den);
  for (int I = 0; I < 100; ++I) EXPECT_NEAR(L[I], std::cos(M_PI * 0.5 * I / 100), 1e-6) << I;
}

}  // namespace
