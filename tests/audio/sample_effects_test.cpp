#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audio/sample_effects.h"
#include "filter_test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

struct TOwned16 {
  TSample16 S;
  explicit TOwned16(std::vector<int16_t> V) {
    S.Init();
    S.Alloc(int64_t(V.size()));
    S.SampleRate = 44100;
    std::copy(V.begin(), V.end(), S.Data);
  }
  ~TOwned16() { S.Dispose(); }
};

std::vector<float> Apply(std::vector<float> V, const std::function<void(TSample32&)>& F) {
  TOwnedSample S(int64_t(V.size()));
  std::copy(V.begin(), V.end(), S.S.Data);
  F(S.S);
  return {S.S.Data, S.S.Data + S.S.Count};
}

TEST(SampleEffects, GainClipAndShapersAtTheirEdges) {
  TOwned16 G({20000, -20000, 100});
  Gain16(G.S, 512);
  EXPECT_EQ(G.S.Data[0], 32767);
  EXPECT_EQ(G.S.Data[1], -32767);
  EXPECT_EQ(G.S.Data[2], 200);

  EXPECT_EQ(Apply({0.6f, 0.4f, -0.7f, -0.2f}, [](TSample32& S) { DropClip06(S, 512); }),
            (std::vector<float>{0.6f, 0.8f, -0.6f, -0.4f}));
  EXPECT_EQ(Apply({0.6f, 2.0f}, [](TSample32& S) { DropClip06(S, 256); }), (std::vector<float>{0.6f, 2.0f}));
  EXPECT_EQ(Apply({1.5f, -3.0f, 0.25f}, Clip32), (std::vector<float>{1.0f, -1.0f, 0.25f}));
  EXPECT_EQ(Apply({0.5f, -0.5f, 0.0f}, SplitPolarity32), (std::vector<float>{0.6f, -0.6f, 0.0f}));
  EXPECT_EQ(Apply({0.3f, -1.0f}, [](TSample32& S) { LogShape32(S, 1); }), (std::vector<float>{0.3f, -1.0f}));
  const auto L = Apply({1.0f, -1.0f}, [](TSample32& S) { LogShape32(S, 2); });
  EXPECT_NEAR(L[0], 0.8f, 1e-6f);
  EXPECT_NEAR(L[1], -0.8f, 1e-6f);
  // Both branches of the soft clipper meet at 0.528 for h = 0.8.
  const auto C = Apply({0.399995f, 0.400005f}, [](TSample32& S) { SoftClip32(S, 512, true); });
  EXPECT_NEAR(C[0], 0.528f, 1e-4f);
  EXPECT_NEAR(C[1], 0.528f, 1e-4f);
}

TEST(SampleEffects, FiltersIntegralsAndFades) {
  TOwnedSample F(1001, 44100, 1.0f);
  FadeEdges500(F.S);
  EXPECT_EQ(F[0], 0.0f);
  EXPECT_EQ(F[500], 1.0f);
  EXPECT_NEAR(F[250], 0.5f, 1e-6f);
  TOwnedSample F500(500, 44100, 1.0f);
  FadeEdges500(F500.S);
  EXPECT_EQ(F500[0], 1.0f);

  TOwned16 H({1000, 0, 0});
  AddHarmonics16(H.S);
  EXPECT_EQ(H.S.Data[0], 5000);

  EXPECT_NEAR(Sample16ToDB(32768), 0.0, 1e-12);
  EXPECT_EQ(Sample16ToDB(0), -99.0);
  EXPECT_EQ(LinearToDB(0), -99.0f);
  EXPECT_NEAR(DBToLinear(-20), 0.1, 1e-12);

  // One-pole low-pass settles at a constant input.
  TOwnedSample Lp(2000, 44100, 0.5f);
  LowPass32(Lp.S, 1000, nullptr, true);
  EXPECT_NEAR(Lp[1999], 0.5f, 1e-3f);
  // A hostile control signal of the 16-bit filters cannot make them diverge.
  TOwned16 X(std::vector<int16_t>(5000, 30000));
  TOwned16 Ctl(std::vector<int16_t>(100, -32768));
  LowPass16(X.S, 16384, &Ctl.S, true);
  HighPass16(X.S, 16384, &Ctl.S, true);
  for (int64_t I = 0; I < 5000; ++I) ASSERT_LE(std::abs(int(X.S.Data[I])), 32767);

  // A window longer than the buffer reads nothing past its end.
  TOwned16 W({100, 200, 300});
  SplitToneFilter16(W.S, 10, 256, 256);
  for (int I = 0; I < 3; ++I) EXPECT_LE(std::abs(int(W.S.Data[I])), 32512);
}

TEST(SampleEffects, AppendAndClearStayInsideTheBuffer) {
  TOwnedSample S(3, 44100, 1.0f);
  ASSERT_TRUE(AppendSilence32(S.S, 2));
  EXPECT_EQ(S.S.Count, 5);
  EXPECT_EQ(S[2], 1.0f);
  EXPECT_EQ(S[4], 0.0f);
  TStereoSample32 St;
  St.Init();
  ASSERT_TRUE(St.Alloc(10));
  St.Fill(1);
  ClearFramesStereo32(St, 100, 8);
  EXPECT_EQ(St.Left.Data[7], 1.0f);
  EXPECT_EQ(St.Right.Data[9], 0.0f);
  ClearFramesStereo32(St, 5, -20);
  EXPECT_EQ(St.Left.Data[0], 1.0f);
  St.Dispose();
}

// Every shaper and filter stays finite and bounded on ten seconds of
// full-scale noise.
TEST(SampleEffects, StableForTenSecondsOfFullScaleNoise) {
  const std::vector<std::function<void(TSample32&)>> Effects = {
      [](TSample32& S) { GainClip32(S, 1024); }, [](TSample32& S) { SineSquareShape32(S, 700); },
      [](TSample32& S) { AtanShape32(S, 2000); }, [](TSample32& S) { AtanBlend32(S, 5); },
      [](TSample32& S) { LogShape32(S, 8); },   [](TSample32& S) { SoftClip32(S, 1000, true); },
      [](TSample32& S) { PowerShape32(S, 600, true); }, [](TSample32& S) { HighPass32(S, 250, nullptr, true); },
      [](TSample32& S) { Integrate32(S); },     [](TSample32& S) { Tremolo32(S, 0, 255, 100); }};
  TOwnedSample N(441000);
  for (size_t K = 0; K < Effects.size(); ++K) {
    FillWhiteNoise(N.S, uint32_t(K));
    Effects[K](N.S);
    EXPECT_LT(PeakOrInf(N.S), 100.0f) << K;
  }
}

}  // namespace
