#include "engine/filters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "params/dot_grid.h"
#include "params/envelope_dots.h"
#include "support/test_support.h"

namespace kromel {
namespace {

struct TBuffer {
  TSample32 S;
  explicit TBuffer(const std::vector<float>& V) {
    S.Init();
    EXPECT_TRUE(S.Alloc(int64_t(V.size())));
    std::copy(V.begin(), V.end(), S.Data);
  }
  ~TBuffer() { S.Dispose(); }
  std::vector<float> Values() const { return {S.Data, S.Data + S.Count}; }
};

void ExpectNear(const std::vector<float>& Got, const std::vector<float>& Want) {
  ASSERT_EQ(Got.size(), Want.size());
  for (size_t I = 0; I < Got.size(); ++I) EXPECT_NEAR(Got[I], Want[I], 1e-5f) << "index " << I;
}

struct TFilterCase {
  const char* Name;
  void (*Filter)(TSample32&);
  std::vector<float> In, Out;
};

TEST(BufferFilters, TableOfCases) {
  const TFilterCase Cases[] = {
      {"Box3Loop", FilterBox3Loop, {0, 3, 0, 0}, {1, 1, 1, 0}},
      {"Box3Loop wraps", FilterBox3Loop, {3, 0, 0, 0}, {1, 1, 0, 1}},
      {"Box3Loop constant", FilterBox3Loop, {2, 2, 2}, {2, 2, 2}},
      {"181Loop", Filter181Loop, {0, 10, 0}, {1, 8, 1}},
      {"MaxWindow3Loop", FilterMaxWindow3Loop, {0, 4, 0, 2}, {2, 4, 2, 2}},
      {"Box3", FilterBox3, {3, 0, 0, 6}, {2, 1, 2, 4}},
      {"Box5 constant", FilterBox5, {5, 5, 5, 5, 5}, {5, 5, 5, 5, 5}},
      {"Box5 ends repeated", FilterBox5, {0, 0, 0, 0, 10}, {0, 0, 2, 4, 6}},
      {"Sort", FloatBufferSort, {3, -1, 2, 0}, {-1, 0, 2, 3}},
      {"Too short is left", FilterBox3Loop, {7}, {7}},
      {"Box5 too short is left", FilterBox5, {1, 2}, {1, 2}},
  };
  for (const TFilterCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TBuffer B(C.In);
    C.Filter(B.S);
    ExpectNear(B.Values(), C.Out);
  }
}

TEST(BufferFilters, MedianWindow3KeepsEndsAndRemovesSpikes) {
  TBuffer B({0, 9, 0, 0, 5});
  FilterMedian(B.S, 3);
  ExpectNear(B.Values(), {0, 0, 0, 0, 5});
  TBuffer Small({4, 1, 3});
  FilterMedian(Small.S, 2);  // below 3: nothing
  ExpectNear(Small.Values(), {4, 1, 3});
  TBuffer Wide({1, 9, 2, 8, 3, 7, 4});
  FilterMedian(Wide.S, 5);
  ExpectNear(Wide.Values(), {1, 9, 3, 7, 4, 7, 4});
}

TEST(BufferFilters, Hue181AveragesAcrossTheWrap) {
  TBuffer B({0.95f, 0.05f, 0.95f, 0.05f});
  FilterHue181Loop(B.S);
  for (float V : B.Values()) EXPECT_TRUE(V < 0.1f || V > 0.9f) << V;
  TBuffer C({0.3f, 0.3f, 0.3f});
  FilterHue181Loop(C.S);
  ExpectNear(C.Values(), {0.3f, 0.3f, 0.3f});
}

TEST(Kernels, SharpenConvolveAndAdd) {
  TSample32 G, S, R;
  G.Init(), S.Init(), R.Init();
  Init1DGaussianBlurKernel(G, 1);
  Init1DSharpenKernel(S, 1);
  ASSERT_EQ(S.Count, 9);
  float Sum = 0;
  for (int64_t I = 0; I < S.Count; ++I) Sum += S.Data[I];
  EXPECT_NEAR(Sum, 0, 1e-6f);
  EXPECT_NEAR(S.Data[4], 1 - G.Data[4], 1e-6f);

  TBuffer Half({0.5f, 0.5f});
  ConvolveKernels(Half.S, Half.S, R);
  ExpectNear({R.Data, R.Data + R.Count}, {0.25f, 0.5f, 0.25f});
  TBuffer One({1});
  ConvolveKernels(One.S, G, R);
  ExpectNear({R.Data, R.Data + R.Count}, {G.Data, G.Data + G.Count});

  TBuffer Three({1, 2, 1});
  AddKernelsCentered(Three.S, One.S, R);
  ExpectNear({R.Data, R.Data + R.Count}, {1, 3, 1});
  NormalizeKernel(R);
  ExpectNear({R.Data, R.Data + R.Count}, {0.2f, 0.6f, 0.2f});
  G.Dispose(), S.Dispose(), R.Dispose();
}

TEST(GridByCurve, DiagonalCurvesKeepDotsAndPinThem) {
  T2DEnvelopeDots Grid;
  Grid.SetColCount(5);
  Grid.SetRowCount(3);
  Grid.SetRanges(-1000, -500, 1000, 500);
  Grid.InitializeRectangular(true);
  TEnvelopeDots X, Y;
  X.SetDefault(cdtDiagonal);
  Y.SetDefault(cdtDiagonal);
  std::vector<TDotPoint> Before;
  for (auto& C : Grid.Dots)
    for (auto& D : C) Before.push_back(D);
  ProcessGridByCurve(Grid, X, Y);
  size_t I = 0;
  for (auto& C : Grid.Dots)
    for (auto& D : C) {
      EXPECT_NEAR(D.X, Before[I].X, 1);
      EXPECT_NEAR(D.Y, Before[I].Y, 1);
      EXPECT_TRUE(D.Pinned);
      ++I;
    }
  EXPECT_GT(I, 0u);
  // A grid of zero width is left alone.
  Grid.SetRanges(0, -500, 0, 500);
  for (auto& C : Grid.Dots)
    for (auto& D : C) D.Pinned = false;
  ProcessGridByCurve(Grid, X, Y);
  for (auto& C : Grid.Dots)
    for (auto& D : C) EXPECT_FALSE(D.Pinned);
}

}  // namespace
}  // namespace kromel
