#include "matching/colour_matrix_fit.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

using namespace kromel;
using kromel::testing::CapturedErrors;
using kromel::testing::TErrorCapture;

namespace {

struct TPairs {
  TImage128 Source, Target;
  explicit TPairs(int32_t N) {
    Source.Init();
    Target.Init();
    Source.Alloc(N, 1);
    Target.Alloc(N, 1);
  }
  ~TPairs() {
    Source.Dispose();
    Target.Dispose();
  }
  void Set(int32_t I, float R, float G, float B, float GainR, float GainG, float GainB) {
    Source.Data[I].Init(R, G, B, 1);
    Target.Data[I].Init(R * GainR, G * GainG, B * GainB, 1);
  }
};

}  // namespace

TEST(OptimizeColorMatrix, DiagonalFitRecoversGains) {
  // Greys and near-greys under known gains.
  TPairs P(6);
  const float Levels[6] = {0.1f, 0.2f, 0.3f, 0.45f, 0.6f, 0.7f};
  for (int32_t I = 0; I < 6; ++I) P.Set(I, Levels[I], Levels[I] * 0.9f, Levels[I] * 1.1f, 1.2f, 1.0f, 0.8f);
  TChannelMixerParams M;
  M.OffsetR = 0.3f;
  ASSERT_TRUE(OptimizeColorMatrix(P.Source, P.Target, M, false));
  EXPECT_NEAR(M.Matrix[0], 1.2, 1e-5);
  EXPECT_NEAR(M.Matrix[4], 1.0, 1e-5);
  EXPECT_NEAR(M.Matrix[8], 0.8, 1e-5);
  EXPECT_EQ(M.Matrix[1], 0);
  EXPECT_EQ(M.OffsetR, 0);
}

TEST(OptimizeColorMatrix, NoUsablePairFailsAndColouredPairsWarn) {
  {
    TPairs P(2);
    P.Set(0, 0.5f, 0.5f, 0.5f, 1, 1, 1);
    P.Set(1, 0.2f, 0.2f, 0.2f, 1, 1, 1);
    P.Target.SetAlpha(0);
    TChannelMixerParams M;
    EXPECT_FALSE(OptimizeColorMatrix(P.Source, P.Target, M, false));
  }
  {
    // Saturated references only: the message, then the 0.63 threshold.
    TPairs P(3);
    P.Set(0, 0.8f, 0.3f, 0.3f, 1.1f, 1, 1);
    P.Set(1, 0.3f, 0.8f, 0.3f, 1.1f, 1, 1);
    P.Set(2, 0.3f, 0.3f, 0.8f, 1.1f, 1, 1);
    TErrorCapture Errors;
    TChannelMixerParams M;
    EXPECT_TRUE(OptimizeColorMatrix(P.Source, P.Target, M, false));
    ASSERT_EQ(CapturedErrors().size(), 1u);
    EXPECT_EQ(CapturedErrors()[0],
              "No neutral colors found. Will try to match exposure by colored colors.");
    EXPECT_NEAR(M.Matrix[0], 1.1, 1e-5);
  }
}

TEST(OptimizeColorMatrix, RandomSearchReportsProgressOnceEachAndImproves) {
  TPairs P(3);
  P.Set(0, 0.2f, 0.2f, 0.2f, 1.05f, 1, 0.95f);
  P.Set(1, 0.4f, 0.4f, 0.4f, 1.05f, 1, 0.95f);
  P.Set(2, 0.6f, 0.6f, 0.6f, 1.05f, 1, 0.95f);
  TChannelMixerParams M;
  std::vector<int32_t> Reported;
  ASSERT_TRUE(OptimizeColorMatrix(P.Source, P.Target, M, true,
                                  [&Reported](int32_t Percent) { Reported.push_back(Percent); }));
  EXPECT_EQ(Reported, (std::vector<int32_t>{0, 20, 40, 60, 80}));
  TChannelMixerParams Identity;
  ChannelMixerSetDefault(Identity);
  EXPECT_LT(ColorMatrixFitCost(P.Source, P.Target, M), ColorMatrixFitCost(P.Source, P.Target, Identity));
  EXPECT_NEAR(M.Matrix[0], 1.05, 0.02);
  EXPECT_NEAR(M.Matrix[8], 0.95, 0.02);
}

TEST(ColorMatrixFitCost, WeightsAndPenalties) {
  TPairs P(1);
  P.Set(0, 0.5f, 0.5f, 0.5f, 1, 1, 1);
  TChannelMixerParams M;
  ChannelMixerSetDefault(M);
  EXPECT_FLOAT_EQ(ColorMatrixFitCost(P.Source, P.Target, M), 0);
  EXPECT_FLOAT_EQ(ColorMatrixFitCostSaturated(P.Source, P.Target, M, 2), 0);
  M.OffsetG = 0.1f;  // a positive offset is added to the cost
  const float E = 0.01f / (0.5f + 0.001f);
  EXPECT_NEAR(ColorMatrixFitCost(P.Source, P.Target, M), 2 * E + 0.1f, 1e-6);
  P.Target.SetAlpha(0);
  EXPECT_EQ(ColorMatrixFitCost(P.Source, P.Target, M), -1);
}

TEST(EstimateColorMatrixFromPairs, FitsAFullMatrixOrKeepsParams) {
  {
    // A matrix whose rows sum to 1, applied to four colours.
    const double A[9] = {0.8, 0.15, 0.05, 0.1, 0.85, 0.05, 0.0, 0.2, 0.8};
    const float Colours[4][3] = {{0.8f, 0.2f, 0.1f}, {0.1f, 0.7f, 0.2f}, {0.2f, 0.1f, 0.9f}, {0.5f, 0.5f, 0.5f}};
    TPairs P(4);
    for (int32_t I = 0; I < 4; ++I) {
      const float* C = Colours[I];
      P.Source.Data[I].Init(C[0], C[1], C[2], 1);
      P.Target.Data[I].Init(float(A[0] * C[0] + A[1] * C[1] + A[2] * C[2]),
                            float(A[3] * C[0] + A[4] * C[1] + A[5] * C[2]),
                            float(A[6] * C[0] + A[7] * C[1] + A[8] * C[2]), 1);
    }
    TChannelMixerParams M;
    EstimateColorMatrixFromPairs(P.Source, P.Target, M);
    for (int K = 0; K < 9; ++K) EXPECT_NEAR(M.Matrix[K], A[K], 1e-3) << K;
  }
  {
    TPairs P(2);
    P.Set(0, 0.5f, 0.4f, 0.3f, 1, 1, 1);
    P.Target.Data[1].Init(0, 0, 0, 1);  // pure black: unusable
    P.Source.Data[1].Init(0.1f, 0.1f, 0.1f, 1);
    TChannelMixerParams M;
    M.Matrix[0] = 7;
    TErrorCapture Errors;
    EstimateColorMatrixFromPairs(P.Source, P.Target, M);
    EXPECT_EQ(P.Target.Data[1].A, 0);
    ASSERT_EQ(CapturedErrors().size(), 1u);
    EXPECT_EQ(CapturedErrors()[0], "Matrix optimization error: not enough colors found");
    EXPECT_EQ(M.Matrix[0], 7);
  }
}
