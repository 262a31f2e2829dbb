#include <gtest/gtest.h>

#include <cmath>

#include "dot_grid_test_support.h"
#include "params/dot_grid.h"

namespace kromel {
namespace {

using testing::GridBytes;
using testing::MakeCircularGrid;
using testing::MakeRectGrid;

int32_t Lerp(int32_t A, int32_t B, int32_t K, int32_t N) {
  return static_cast<int32_t>(std::nearbyint(double(A) * (N - K) / N + double(B) * K / N));
}

TEST(DotGridSpread, FourMovedCornersFillTheRest) {
  T2DEnvelopeDots G = MakeRectGrid(5, 4, 0, 1200);
  G.Dots[0][0].X = -100;
  G.Dots[0][0].Y = 50;
  G.Dots[4][3].X = 1300;
  G.Dots[4][3].Y = 1100;
  G.Dots[4][3].Z = 30;
  G.NeedsInterpolation = true;
  int Changes = 0;
  G.OnChange = [&](void*) { ++Changes; };
  G.InterpolateUntouchedDots();
  EXPECT_FALSE(G.NeedsInterpolation);
  EXPECT_EQ(Changes, 0);

  const auto& D = G.Dots;
  for (int K = 0; K < 5; ++K) {  // top and bottom rows: linear between the corners
    EXPECT_EQ(D[K][0].X, Lerp(D[0][0].X, D[4][0].X, K, 4)) << K;
    EXPECT_EQ(D[K][3].X, Lerp(D[0][3].X, D[4][3].X, K, 4)) << K;
    EXPECT_EQ(D[K][3].Z, Lerp(0, 30, K, 4)) << K;
  }
  for (int K = 0; K < 4; ++K) {  // left and right columns
    EXPECT_EQ(D[0][K].Y, Lerp(50, 1200, K, 3)) << K;
    EXPECT_EQ(D[4][K].Y, Lerp(0, 1100, K, 3)) << K;
  }
  for (int C = 1; C < 4; ++C)
    for (int R = 1; R < 3; ++R) {
      EXPECT_EQ(D[C][R].State, 6);
      EXPECT_EQ(D[C][R].Count, 0);
      const auto Mean = [&](int32_t TDotPoint::*F) {
        return (Lerp(D[0][R].*F, D[4][R].*F, C, 4) + Lerp(D[C][0].*F, D[C][3].*F, R, 3)) / 2;
      };
      EXPECT_EQ(D[C][R].X, Mean(&TDotPoint::X)) << C << "," << R;
      EXPECT_EQ(D[C][R].Y, Mean(&TDotPoint::Y)) << C << "," << R;
      EXPECT_EQ(D[C][R].Z, Mean(&TDotPoint::Z)) << C << "," << R;
    }
  EXPECT_EQ(D[2][0].State, 1);
  EXPECT_EQ(D[0][0].State, DotStatePinned);
}

TEST(DotGridSpread, EveryDotPinnedIsLeftAlone) {
  T2DEnvelopeDots G = MakeRectGrid(4, 3, -300, 300);
  G.PinAll();
  G.Dots[1][1].X = 77;
  G.Dots[2][1].Z = -9;
  T2DEnvelopeDots Before = G;
  G.InterpolateUntouchedDots();
  for (int C = 0; C < 4; ++C)
    for (int R = 0; R < 3; ++R) {
      EXPECT_EQ(G.Dots[C][R].X, Before.Dots[C][R].X);
      EXPECT_EQ(G.Dots[C][R].Z, Before.Dots[C][R].Z);
      EXPECT_EQ(G.Dots[C][R].State, DotStatePinned);
      EXPECT_EQ(G.Dots[C][R].Count, 0);
    }
}

TEST(DotGridSpread, CircularColumnsAreLinearBetweenTheirPins) {
  T2DEnvelopeDots G = MakeCircularGrid(6, 5, 400);
  G.Dots[2][2].X += 60;
  G.Dots[2][2].Pinned = true;
  G.Dots[4][3].Pinned = false;  // the rim is pinned again by the spreading
  G.Dots[4][4].Pinned = false;
  G.InterpolateUntouchedDots();
  EXPECT_TRUE(G.Dots[4][4].Pinned);
  const auto& D = G.Dots;
  EXPECT_EQ(D[2][1].X, Lerp(D[2][0].X, D[2][2].X, 1, 2));
  EXPECT_EQ(D[2][3].X, Lerp(D[2][2].X, D[2][4].X, 1, 2));
  EXPECT_EQ(D[4][2].Y, Lerp(D[4][0].Y, D[4][4].Y, 2, 4));
  for (int C = 0; C < 6; ++C)
    for (int R = 0; R < 5; ++R) EXPECT_NE(D[C][R].State, 6) << C << "," << R;
}

TEST(DotGridSpread, RowInterpolationAloneWhenTheColumnHasNoPins) {
  T2DEnvelopeDots G = MakeRectGrid(5, 5, 0, 400);
  G.Dots[0][2].Pinned = true;
  G.Dots[0][2].X = 30;
  G.Dots[4][2].Pinned = true;
  G.Dots[4][2].Y = 170;
  G.InterpolateUntouchedDots();
  EXPECT_EQ(G.Dots[2][2].State, 1);
  EXPECT_EQ(G.Dots[2][2].X, Lerp(30, 400, 2, 4));
  EXPECT_EQ(G.Dots[2][2].Y, Lerp(200, 170, 2, 4));
}

TEST(DotGridSpread, UnreachedDotsEndEmpty) {
  T2DEnvelopeDots G = MakeRectGrid(3, 3, 0, 100);
  for (auto& Column : G.Dots)
    for (TDotPoint& P : Column) P.Pinned = false;
  G.InterpolateUntouchedDots();
  for (const auto& Column : G.Dots)
    for (const TDotPoint& P : Column) {
      EXPECT_EQ(P.X, 0);
      EXPECT_EQ(P.Y, 0);
      EXPECT_EQ(P.State, 0);
    }
}

TEST(DotGridSpread, InactiveCornerTakesItsPinnedNeighbour) {
  T2DEnvelopeDots G = MakeRectGrid(3, 3, 0, 100);
  G.Dots[0][0].Active = false;
  G.Dots[0][1].Pinned = true;
  G.Dots[0][1].X = 7;
  G.InterpolateUntouchedDots();
  EXPECT_EQ(G.Dots[0][0].X, 7);
  EXPECT_EQ(G.Dots[0][0].Y, 50);
}

TEST(DotGridSpread, PatternModeMeasuresByUAndStopsAtEmptyDots) {
  // Uneven chart columns: a dot between two pins sits in proportion to U.
  T2DEnvelopeDots Row = MakeRectGrid(4, 2, 0, 1000);
  Row.PatternMode = true;
  const float U[4] = {0.0f, 0.1f, 0.5f, 1.0f};
  for (int C = 0; C < 4; ++C)
    for (int R = 0; R < 2; ++R) Row.Dots[C][R].U = U[C];
  Row.InterpolateUntouchedDots();
  EXPECT_EQ(Row.Dots[1][0].X, 100);
  EXPECT_EQ(Row.Dots[2][0].X, 500);
  EXPECT_TRUE(Row.PatternMode);

  // A pinned centre reaches its neighbour in the second near-reach stage,
  // unless an empty dot stands in the way.
  for (const bool Wall : {false, true}) {
    T2DEnvelopeDots G = MakeRectGrid(5, 5, 0, 400);
    G.PatternMode = true;
    G.Dots[2][2].Pinned = true;
    G.Dots[2][2].X = 260;
    G.Dots[1][2].Empty = Wall;
    G.InterpolateUntouchedDots();
    EXPECT_EQ(G.Dots[1][2].State, Wall ? 0 : 5) << Wall;
    EXPECT_EQ(G.Dots[1][2].X, Wall ? 0 : Lerp(0, 260, 1, 2)) << Wall;
    EXPECT_EQ(G.Dots[3][2].State, 5) << Wall;
  }
}

}  // namespace
}  // namespace kromel
