#include "matching/chart_compensation.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/test_support.h"

using namespace kromel;
using kromel::testing::CapturedErrors;
using kromel::testing::TErrorCapture;

namespace {

// 5 x 4 chart: black at the four corners and (2, 0), white elsewhere on the
// border, coloured patches inside. Samples: black 0.05, white 0.9, colour
// 0.4 / 0.3 / 0.2, times Light(column).
struct TFramedChart {
  TColorChartTable Table;
  TImage128 Samples;
  explicit TFramedChart(float (*Light)(int32_t) = nullptr, int32_t Blacks = 5) {
    const int32_t C = 5, R = 4;
    TColorCheckerPixelArray P(size_t(C * R), TColorCheckerPixel128{});
    Samples.Init();
    Samples.Alloc(C * R, 1);
    int32_t BlackSeen = 0;
    for (int32_t Y = 0; Y < R; ++Y)
      for (int32_t X = 0; X < C; ++X) {
        TColorCheckerPixel128& Q = P[size_t(Y * C + X)];
        const bool Corner = (X == 0 || X == C - 1) && (Y == 0 || Y == R - 1);
        const bool Border = X == 0 || Y == 0 || X == C - 1 || Y == R - 1;
        bool Black = (Corner || (X == 0 && Y == 2)) && BlackSeen < Blacks;
        if (X == C - 1 && Y == R - 1) Black = true;  // keeps the frame on every side
        BlackSeen += Black;
        const float K = Light ? Light(X) : 1.0f;
        TBGRAPixel128& S = Samples.Data[Y * C + X];
        if (Black) {
          Q.LabL = 10;
          S.Init(0.05f * K, 0.05f * K, 0.05f * K, 1);
        } else if (Border) {
          Q.LabL = 95;
          S.Init(0.9f * K, 0.9f * K, 0.9f * K, 1);
        } else {
          Q.LabL = 50;
          Q.LabA = 30;
          S.Init(0.4f * K, 0.3f * K, 0.2f * K, 1);
        }
      }
    Table.Init();
    Table.SetPatches(P.data(), int32_t(P.size()), C, R);
  }
  ~TFramedChart() { Samples.Dispose(); }
};

float Gradient(int32_t Column) { return 0.8f + 0.1f * float(Column); }

}  // namespace

TEST(CompensateDeviations, UniformLightKeepsSamples) {
  ResetCompensationMessage();
  TFramedChart F;
  float MaxB = 0, MaxW = 0;
  int32_t IB = 0, IW = 0;
  CompensateDeviations(F.Table, F.Samples, MaxB, MaxW, IB, IW);
  ASSERT_TRUE(F.Table.CompensationValid);
  EXPECT_EQ(F.Table.Patches[0].BlackRef[0], 0);  // a black patch is its own first reference
  EXPECT_NEAR(F.Table.BlackAverage[0], 0.05f, 1e-6);
  EXPECT_NEAR(F.Table.WhiteAverage[1], 0.9f, 1e-6);
  EXPECT_NEAR(F.Samples.Data[6].R, 0.4f, 1e-4);
  EXPECT_NEAR(F.Samples.Data[6].B, 0.2f, 1e-4);
  EXPECT_NEAR(F.Samples.Data[0].R, 0.05f, 1e-4);
  EXPECT_LT(MaxB, 1e-4);
}

TEST(CompensateDeviations, UnevenLightIsEvenedOut) {
  ResetCompensationMessage();
  TFramedChart F(&Gradient);
  float MaxB = 0, MaxW = 0;
  int32_t IB = 0, IW = 0;
  CompensateDeviations(F.Table, F.Samples, MaxB, MaxW, IB, IW);
  ASSERT_TRUE(F.Table.CompensationValid);
  EXPECT_GT(MaxW, 0.01f);
  EXPECT_GE(IW, 0);
  // Inside patches 6..8 were lit 0.9, 1.0 and 1.1: afterwards much closer.
  const float Before = 0.4f * (1.1f - 0.9f);
  const float After = std::fabs(F.Samples.Data[8].R - F.Samples.Data[6].R);
  EXPECT_LT(After, Before / 2);
}

TEST(CompensateDeviations, ChartsWithoutAFrameOrOfWrongSizeAreLeftAlone) {
  ResetCompensationMessage();
  {
    TFramedChart F(nullptr, 2);  // three black patches are not enough
    const TBGRAPixel128 Before = F.Samples.Data[6];
    float MaxB = 1, MaxW = 1;
    int32_t IB = 5, IW = 5;
    CompensateDeviations(F.Table, F.Samples, MaxB, MaxW, IB, IW);
    EXPECT_FALSE(F.Table.CompensationValid);
    EXPECT_EQ(IB, -1);
    EXPECT_EQ(IW, -1);
    EXPECT_EQ(F.Samples.Data[6].R, Before.R);
    EXPECT_EQ(F.Table.BlackCompensation.Data[0].R, 0);
  }
  {
    TFramedChart F;
    TImage128 Small;
    Small.Alloc(3, 1);
    float MaxB = 0, MaxW = 0;
    int32_t IB = 0, IW = 0;
    TErrorCapture Errors;
    CompensateDeviations(F.Table, Small, MaxB, MaxW, IB, IW);
    ASSERT_EQ(CapturedErrors().size(), 1u);
    EXPECT_EQ(CapturedErrors()[0], "Error in CompensateDeviations: Sizes mismatch, SrcSize = 3");
  }
}

TEST(CompensateDeviations, EveryChannelIsGuardedAgainstAnUnusableSpan) {
  // A NaN in the green channel of one white patch spreads through the
  // smoothing; green is then left as sampled while red is still compensated.
  ResetCompensationMessage();
  TFramedChart F(&Gradient);
  F.Samples.Data[1].G = std::nanf("");
  float MaxB = 0, MaxW = 0;
  int32_t IB = 0, IW = 0;
  CompensateDeviations(F.Table, F.Samples, MaxB, MaxW, IB, IW);
  ASSERT_TRUE(F.Table.CompensationValid);
  EXPECT_EQ(F.Samples.Data[8].G, 0.3f * Gradient(3));
  EXPECT_NE(F.Samples.Data[8].R, 0.4f * Gradient(3));
  EXPECT_TRUE(std::isfinite(F.Samples.Data[8].R));
}

TEST(ColorCheckerMakeLinearizeCurves, NeutralPairsBecomeDots) {
  TImage128 S, T;
  S.Init();
  T.Init();
  S.Alloc(6, 1);
  T.Alloc(6, 1);
  const float Levels[6] = {0.1f, 0.25f, 0.4f, 0.55f, 0.7f, 0.85f};
  for (int32_t I = 0; I < 6; ++I) {
    S.Data[I].Init(Levels[I], Levels[I], Levels[I], 0);
    T.Data[I].Init(Levels[I] * 1.02f, Levels[I], Levels[I] * 0.99f, 1);
  }
  // Pair 5 repeats pair 4's reference within 0.01: one averaged dot.
  T.Data[5] = T.Data[4];
  TBooleanArray Mask;
  TEnvelopeDots R, G, B;
  ColorCheckerMakeLinearizeCurves(S, T, Mask, R, G, B, false, false);
  EXPECT_EQ(R.NumDots, 5);
  EXPECT_EQ(G.Dot(0).X, int32_t(std::nearbyint(0.1f * 16384)));
  EXPECT_EQ(G.Dot(0).Y, int32_t(std::nearbyint(0.1f * 32768)));
  EXPECT_EQ(R.Dot(4).X, int32_t(std::nearbyint((0.7f + 0.85f) / 2 * 16384)));
  EXPECT_TRUE(Mask.empty());

  // All references coloured: no neutral pairs, no monotonic fallback.
  for (int32_t I = 0; I < 6; ++I) T.Data[I].Init(Levels[I], 0.05f, 0.05f, 1);
  TErrorCapture Errors;
  ColorCheckerMakeLinearizeCurves(S, T, Mask, R, G, B, false, false);
  ASSERT_EQ(CapturedErrors().size(), 1u);
  EXPECT_EQ(CapturedErrors()[0],
            "Error: less than 3 neutral colors were found! Please check your reference values");
  EXPECT_EQ(R.NumDots, 5);  // the curves are left as they were
  // With the fallback the rising series is used whole.
  Mask.assign(6, false);
  ColorCheckerMakeLinearizeCurves(S, T, Mask, R, G, B, false, true);
  EXPECT_EQ(CountTrueValues(Mask), 6);
}

TEST(ColourPairs, SortCheckAndCount) {
  TImage128 A, B;
  A.Init();
  B.Init();
  A.Alloc(3, 1);
  B.Alloc(3, 1);
  const float Keys[3] = {0.5f, 0.2f, 0.5f};
  for (int32_t I = 0; I < 3; ++I) {
    A.Data[I].Init(float(I), float(I), float(I), 1);
    B.Data[I].Init(Keys[I] + 0.1f, Keys[I], Keys[I] + 0.2f, 1);
  }
  ASSERT_TRUE(SortImage128PairsByMinimum(A, B));
  EXPECT_EQ(A.Data[0].R, 1);  // smallest key first, equal keys keep their order
  EXPECT_EQ(A.Data[1].R, 0);
  EXPECT_EQ(A.Data[2].R, 2);
  EXPECT_FALSE(CheckColorPairsMonotonous(A, B));
  TImage128 One;
  One.Alloc(1, 1);
  TErrorCapture Errors;
  EXPECT_FALSE(SortImage128PairsByMinimum(A, One));
  EXPECT_EQ(CapturedErrors().at(0), "SortImage128PairsByMinimum error: Src.Size<>Dest.Size");
  EXPECT_TRUE(CheckColorPairsMonotonous(One, One));
  TBooleanArray Flags(4, false);
  FillBooleanArray(Flags, true);
  EXPECT_EQ(CountTrueValues(Flags), 4);
  EXPECT_EQ(CountTrueValues({}), 0);
}
