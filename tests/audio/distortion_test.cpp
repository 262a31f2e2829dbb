// Waveshapers and stateful distortions: edge inputs, reference values and
// the kind dispatcher.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audio/distortion.h"
#include "audio_test_support.h"
#include "filter_test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

std::vector<float> Values(const TSample32& S) { return std::vector<float>(S.Data, S.Data + S.Count); }

// Every kind, every drive, edge inputs repeated so the state runs on: the
// output is finite, bounded (the drive of kind 8 adds up to pi D), and the saturating kinds stay within +-1.
TEST(Distortion, EveryKindFiniteAndInRangeAtEdgeInputs) {
  const std::vector<float> Edge = {0, 1, -1, 1.5f, -1.5f, 4, -4, 0, 1, 1, -1, -1, 0};
  for (int32_t Kind = 0; Kind < DistortionKindCount; ++Kind)
    for (float Drive : {0.0f, 0.5f, 1.0f, 4.0f, 20.0f}) {
      TDistortorStereo St;
      St.Init();
      TStereoSample32 S;
      S.Init();
      ASSERT_TRUE(S.Alloc(int32_t(Edge.size()) * 20));
      for (int64_t I = 0; I < S.Left.Count; ++I) {
        S.Left.Data[I] = Edge[size_t(I) % Edge.size()];
        S.Right.Data[I] = -S.Left.Data[I];
      }
      St.Process(Kind, S, Drive);
      const bool Saturating = Kind == 0 || Kind == 2 || Kind == 4 || Kind == 5 || Kind == 11 || Kind == 12;
      const float Bound = Saturating ? 1.0f : 4 * 3.1416f * Drive + 8;
      EXPECT_LE(PeakOrInf(S.Left), Bound) << "kind " << Kind << " drive " << Drive;
      EXPECT_LE(PeakOrInf(S.Right), Bound) << "kind " << Kind << " drive " << Drive;
      S.Dispose();
    }
}

TEST(Distortion, DirectShapersFiniteAtEdgeInputs) {
  using TShaper = void (*)(TSample32&, float);
  const TShaper Shapers[] = {DistortionAtanNormalized32, DistortionAtanFold32, DistortionCubicSoft32,
                             DistortionSquareLaw32,      DistortionMix32,      DistortionKnee32,
                             DistortionAtanSubtract32,   DistortionAtanSubtractRect32, DistortionClipAsym32,
                             DistortionAtanRaw32,        DistortionAtanNeg32,  DistortionHalfClip32,
                             DistortionAtanNegSoft32,    DistortionSineHalf32, DistortionCosine32};
  using TStateful = void (*)(TDistortor&, TSample32&, float);
  const TStateful Stateful[] = {DistortionRectify32,    DistortionSlewReset32, DistortionSlewLimit32,
                                DistortionSlewRate32,   DistortionGainRide32,  DistortionAtanFeedback32};
  for (float D : {0.0f, 0.0005f, 1.0f, 4.0f, 20.0f}) {
    for (size_t K = 0; K < std::size(Shapers) + std::size(Stateful); ++K) {
      const float Edge[] = {0, 1, -1, 1.5f, -1.5f, 4, -4, 0, 1, -1};
      TOwnedSample S(500);
      for (int64_t I = 0; I < 500; ++I) S[I] = Edge[I % 10];
      TDistortor St;
      St.Init();
      if (K < std::size(Shapers)) Shapers[K](S.S, D);
      else Stateful[K - std::size(Shapers)](St, S.S, D);
      // Finite; the gain rider's gain may flip sign once the input
      // exceeds full scale, so the bound is loose.
      EXPECT_LE(PeakOrInf(S.S), 100 * (D + 1) * (D + 1)) << "routine " << K << " drive " << D;
    }
  }
  TSample32 S = MakeSample({0, 1, -1, 2});
  DistortionPoly32(S, 1, 1, 1, 1);
  DistortionAtanBlend32(S, 4, 0.5f, 0.5f);
  DistortionHalfAtan32(S, 512);
  EXPECT_LT(PeakOrInf(S), 10.0f);
  S.Dispose();
}

TEST(Distortion, ReferenceValues) {
  struct TCase {
    void (*Fn)(TSample32&, float);
    float D;
    std::vector<float> In, Out;
  };
  const TCase Cases[] = {
      {DistortionAtan32, 1, {1, -1, 0}, {0.5f, -0.5f, 0}},
      {DistortionSigmoid32, 1, {0.5f}, {-0.46211716f}},
      {DistortionAtanNormalized32, 7, {1, -1, 0}, {1, -1, 0}},
      {DistortionAtanNormalized32, 0.01f, {1}, {1}},
      {DistortionClipAsym32, 2, {0.6f, -0.6f, 0.25f}, {0.6f, -1, 0.5f}},
      {DistortionCosine32, 1, {-1, 0, 0.5f, 1, 2}, {0, 0, 1, 2, 3}},
      {DistortionSoftClip32, 0.5f, {0.9f}, {0.9f}},
  };
  for (const TCase& C : Cases) {
    TSample32 S;
    S.Init();
    S.Alloc(int64_t(C.In.size()));
    std::copy(C.In.begin(), C.In.end(), S.Data);
    C.Fn(S, C.D);
    for (size_t I = 0; I < C.Out.size(); ++I) EXPECT_NEAR(S.Data[I], C.Out[I], 1e-6f) << I;
    S.Dispose();
  }
  TSample32 Big = MakeSample({0.5f});
  DistortionAtan32(Big, 1000);
  EXPECT_GT(Big.Data[0], 0.998f);
  Big.Dispose();

  TSample32 G = MakeSample({0.05f, 0.2f, -0.3f});
  DistortionGateSquare32(G, 0.8f, 0.1f);
  EXPECT_EQ(Values(G), (std::vector<float>{0, 0.8f, -0.8f}));
  G.Dispose();
  EXPECT_NEAR(SoftLimitValue(1, 0), 1e-5f * std::atan(1e5f), 1e-9f);
}

TEST(Distortion, DispatcherKindsAndState) {
  TStereoSample32 A, B;
  A.Init();
  B.Init();
  ASSERT_TRUE(A.Alloc(64));
  ASSERT_TRUE(B.Alloc(64));
  for (int I = 0; I < 64; ++I) {
    A.Left.Data[I] = A.Right.Data[I] = B.Left.Data[I] = float(std::sin(I * 0.3)) * 0.8f;
  }
  TDistortorStereo St;
  St.Init();
  St.Process(20, A, 2);
  EXPECT_EQ(A.Left.Data[5], B.Left.Data[5]);
  St.Process(1, A, 2);
  TDistortor One;
  One.Init();
  DistortionAsymFuzz32(One, B.Left, 32);
  EXPECT_EQ(Values(A.Left), Values(B.Left));
  EXPECT_EQ(St.Left.Prev, One.Prev);
  // Two halves of a stream give what one buffer gives.
  TSample32 Whole = MakeSample({0.1f, 0.5f, -0.7f, 0.9f, -0.2f, 0.4f});
  TSample32 Split = MakeSample({0.1f, 0.5f, -0.7f, 0.9f, -0.2f, 0.4f});
  TDistortor W, P;
  W.Init();
  P.Init();
  DistortionCompress32(W, Whole, 3);
  TSample32 H1, H2;
  TSample32::AssignRange(H1, Split, 0, 3);
  TSample32::AssignRange(H2, Split, 3, 6);
  DistortionCompress32(P, H1, 3);
  DistortionCompress32(P, H2, 3);
  EXPECT_EQ(Values(Whole), Values(Split));
  Whole.Dispose();
  Split.Dispose();
  A.Dispose();
  B.Dispose();
}

}  // namespace
