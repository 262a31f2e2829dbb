#include <gtest/gtest.h>

#include <cmath>

#include "audio/sample_processors.h"
#include "filter_test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

TEST(SampleProcessors, SampleAndHoldModes) {
  TSampleAndHoldProcessor P;
  P.Reset();
  P.Amount = 1;
  P.Rate = 44100 / 4;
  TOwnedSample S(16);
  for (int I = 0; I < 16; ++I) S[I] = float(I + 1);
  P.Process(S.S, 0);
  // A hold whenever the counter passes 4: every fourth input, held four times.
  for (int I = 0; I < 16; ++I) EXPECT_EQ(S[I], float(I < 4 ? 0 : (I / 4) * 4 + 1)) << I;

  TSampleAndHoldProcessor Gate;
  Gate.Reset();
  Gate.Mode = 2;
  Gate.Amount = 1;
  Gate.Rate = 44100 / 3;
  TOwnedSample G(12, 44100, 1.0f);
  Gate.Process(G.S, 0);
  const float Want[] = {0, 0, 0, 1, 1, 1, 0, 0, 0, 1, 1, 1};
  for (int I = 0; I < 12; ++I) EXPECT_EQ(G[I], Want[I]) << I;

  TSampleAndHoldProcessor Comb;
  Comb.Reset();
  Comb.Mode = 3;
  Comb.Rate = 100;
  TOwnedSample C(200, 44100, 0);
  C[0] = 1;
  Comb.Process(C.S, 0);
  EXPECT_EQ(Comb.Rate, 500);
  EXPECT_EQ(C[88], -1.0f);  // 44100 / 500
}

TEST(SampleProcessors, DerivativeIntegratorAndLevel) {
  TIntegrateProcessor In;
  In.Init();
  TOwnedSample One(2000, 44100, 1.0f);
  In.Process(One.S);
  EXPECT_NEAR(One[1999], 0.0625 / 0.0234375, 1e-4);

  TDerivativeProcessor D;
  D.Init();
  TOwnedSample R(3, 44100, 0);
  R[0] = 0.5f;
  R[1] = 0.25f;
  D.Process(R.S);
  EXPECT_EQ(R[0], -8.0f);
  EXPECT_EQ(R[1], 4.0f);

  TCompressorProcessor C;
  C.Init();
  TOwnedSample Quiet(44100, 44100, 0);
  FillSine(Quiet.S, 200, 0.05);
  C.Process(Quiet.S);
  EXPECT_GT(Quiet.S.Peak(), 0.5f);
  EXPECT_LT(PeakOrInf(Quiet.S), 5.0f);
}

TEST(SampleProcessors, LimiterFirstSampleAndCeiling) {
  TLimiterProcessor L;
  L.Init();
  TOwnedSample H(1, 44100, 0.5f);
  L.Process(H.S);
  EXPECT_NEAR(H[0], 0.978f, 0.001f);

  // Ten seconds of full-scale noise at every drive: never above the ceiling.
  TOwnedSample N(441000);
  for (float Drive : {0.0f, 6.0f, 24.0f, 60.0f}) {
    L.Init();
    L.GainDB = Drive;
    FillWhiteNoise(N.S, 21);
    L.Process(N.S);
    EXPECT_LE(PeakOrInf(N.S), 0.981f) << Drive;
  }
  TStereoSample32 St;
  St.Init();
  ASSERT_TRUE(St.Alloc(44100));
  FillWhiteNoise(St.Left, 1);
  FillWhiteNoise(St.Right, 2);
  St.Right.Scale(4);
  L.Init();
  L.GainDB = 12;
  L.ProcessStereo(St);
  EXPECT_LE(std::max(PeakOrInf(St.Left), PeakOrInf(St.Right)), 0.981f);
  St.Dispose();
}

}  // namespace
