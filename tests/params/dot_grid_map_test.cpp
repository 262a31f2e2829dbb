#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "dot_grid_test_support.h"
#include "params/dot_grid.h"

namespace kromel {
namespace {

using testing::GridBytes;
using testing::MakeCircularGrid;
using testing::MakeRectGrid;
using testing::TMessageCapture;

struct TMapped {
  float X, Y, Z;
};

TMapped Map(const T2DEnvelopeDots& G, float X, float Y) {
  float Z = 0;
  G.Interpolation(X, Y, Z);
  return {X, Y, Z};
}

TEST(DotGridMap, UndisplacedRectangularGridMapsEveryPointToItself) {
  const T2DEnvelopeDots G = MakeRectGrid(9, 9, -1000, 1000);
  for (float X = -1000; X <= 1000; X += 87.5f)
    for (float Y = -1000; Y <= 1000; Y += 93.25f) {
      const TMapped M = Map(G, X, Y);
      EXPECT_NEAR(M.X, X, 0.02f) << X << "," << Y;
      EXPECT_NEAR(M.Y, Y, 0.02f) << X << "," << Y;
      EXPECT_EQ(M.Z, 0.0f);
    }
  // Outside the ranges a point maps as the nearest border point does.
  const TMapped Out = Map(G, -5000, 300);
  EXPECT_NEAR(Out.X, -1000, 0.02f);
  EXPECT_NEAR(Out.Y, 300, 0.02f);
}

TEST(DotGridMap, UndisplacedCircularGridMapsEveryPointToItself) {
  const T2DEnvelopeDots G = MakeCircularGrid(12, 5, 1000);
  for (float X = -950; X <= 950; X += 61.5f)
    for (float Y = -950; Y <= 950; Y += 57.25f) {
      if (std::sqrt(X * X + Y * Y) > 960) continue;  // inside the rim polygon
      const TMapped M = Map(G, X, Y);
      EXPECT_NEAR(M.X, X, 1.0f) << X << "," << Y;
      EXPECT_NEAR(M.Y, Y, 1.0f) << X << "," << Y;
    }
  // On a chord between two rim dots, and beyond the rim onto the polygon.
  const TDotPoint& A = G.Dots[1][4];
  const TDotPoint& B = G.Dots[2][4];
  const float CX = 0.3f * A.X + 0.7f * B.X, CY = 0.3f * A.Y + 0.7f * B.Y;
  TMapped M = Map(G, CX, CY);
  EXPECT_NEAR(M.X, CX, 1.0f);
  EXPECT_NEAR(M.Y, CY, 1.0f);
  M = Map(G, 2 * CX, 2 * CY);
  EXPECT_NEAR(M.X, CX, 1.0f);
  EXPECT_NEAR(M.Y, CY, 1.0f);
  M = Map(G, 0, 2500);
  EXPECT_NEAR(M.X, 0, 0.01f);
  EXPECT_NEAR(M.Y, 1000, 0.01f);
}

TEST(DotGridMap, DisplacedDotsCarryPositionAndBrightness) {
  T2DEnvelopeDots G = MakeRectGrid(3, 3, -100, 100);
  G.Dots[1][1].X = 40;
  G.Dots[1][1].Y = -20;
  G.Dots[1][1].Z = 60;
  TMapped M = Map(G, 0, 0);
  EXPECT_NEAR(M.X, 40, 0.01f);
  EXPECT_NEAR(M.Y, -20, 0.01f);
  EXPECT_NEAR(M.Z, 60, 0.01f);
  // Halfway to a fixed neighbour; the diagonal gives one value from either side.
  M = Map(G, 50, 0);
  EXPECT_NEAR(M.X, 70, 0.01f);
  EXPECT_NEAR(M.Z, 30, 0.01f);
  const TMapped Above = Map(G, 50.0f, 50.0f);
  const TMapped Below = Map(G, 50.0f, std::nextafter(50.0f, 0.0f));
  EXPECT_NEAR(Above.X, Below.X, 0.01f);
  EXPECT_NEAR(Above.Z, Below.Z, 0.01f);
}

TEST(DotGridMap, DegenerateGridsLeaveThePointUnchanged) {
  const float NaN = std::numeric_limits<float>::quiet_NaN();
  T2DEnvelopeDots Circle = MakeCircularGrid(6, 3, 100);
  Circle.SetRanges(50, 50, 50, 50);
  struct TCase {
    const char* What;
    T2DEnvelopeDots G;
    float X, Y;
  } Cases[] = {
      {"empty grid", T2DEnvelopeDots(), 10, 20},
      {"one column", MakeRectGrid(1, 9, -100, 100), 10, 20},
      {"one row", MakeRectGrid(9, 1, -100, 100), 10, 20},
      {"one dot, circular", MakeCircularGrid(1, 1, 100), 10, 20},
      {"one ring", MakeCircularGrid(8, 1, 100), 10, 20},
      {"empty X range", MakeRectGrid(4, 4, 0, 0), 10, 20},
      {"zero radius", Circle, 10, 20},
      {"NaN point", MakeRectGrid(4, 4, -100, 100), NaN, 5},
      {"NaN point, circular", MakeCircularGrid(6, 3, 100), 5, NaN},
  };
  for (TCase& C : Cases) {
    if (std::string(C.What) == "one column") C.G.Dots[0][3].X = 77;  // displaced
    float X = C.X, Y = C.Y, Z = 3, Sel = 0.5f, W = 0.5f;
    C.G.Interpolation(X, Y, Z);
    EXPECT_TRUE(X == C.X || (std::isnan(X) && std::isnan(C.X))) << C.What;
    EXPECT_TRUE(Y == C.Y || (std::isnan(Y) && std::isnan(C.Y))) << C.What;
    EXPECT_EQ(Z, 3) << C.What;
    X = C.X, Y = C.Y;
    C.G.InterpolationSelectionDot(X, Y, Z, W, 0, 0);
    EXPECT_TRUE(X == C.X || std::isnan(C.X)) << C.What;
    EXPECT_TRUE(W == 0 || W == 0.5f) << C.What;
    X = C.X, Y = C.Y;
    C.G.InterpolationSelection(X, Y, Z, Sel);
    EXPECT_TRUE(Sel == 0 || Sel == 0.5f) << C.What;
  }
  // The selection mapping of a single column gives dot (0, 0).
  T2DEnvelopeDots Column = MakeRectGrid(1, 4, -100, 100);
  Column.Dots[0][0].Selected = true;
  float X = 30, Y = 40, Z = 0, Sel = 1;
  Column.InterpolationSelection(X, Y, Z, Sel);
  EXPECT_EQ(X, 0.0f);
  EXPECT_EQ(Y, -100.0f);
  EXPECT_EQ(Sel, 0.0f);
}

TEST(DotGridMap, SelectionWeights) {
  T2DEnvelopeDots G = MakeRectGrid(3, 3, -100, 100);
  G.Dots[1][1].Selected = true;
  const auto Sel = [&](float X, float Y) {
    float Z = 0, S = -1;
    G.InterpolationSelection(X, Y, Z, S);
    return S;
  };
  EXPECT_FLOAT_EQ(Sel(0, 0), 1.0f);
  EXPECT_FLOAT_EQ(Sel(50, 0), 0.5f);
  EXPECT_NEAR(Sel(100, 100), 0.0f, 0.0001f);  // the upper edge is inset by 0.00001

  // The last sector of a circular grid uses columns N - 1 and 0.
  const T2DEnvelopeDots Round = MakeCircularGrid(8, 4, 300);
  const auto Weight = [&](float X, float Y, int32_t Col, int32_t Row) {
    float Z = 0, W = -1;
    Round.InterpolationSelectionDot(X, Y, Z, W, Col, Row);
    return W;
  };
  const float X = -60 * std::sin(0.2f), Y = 250 * std::cos(0.2f);  // angle just below 2 pi
  EXPECT_GT(Weight(X, Y, 7, 2) + Weight(X, Y, 7, 3), 0.0f);
  EXPECT_GT(Weight(X, Y, 0, 2) + Weight(X, Y, 0, 3), 0.0f);
  EXPECT_EQ(Weight(X, Y, 1, 2), 0.0f);
  // A centre dot stands for the whole centre: 1 - fr on the inner ring.
  for (const float A : {0.3f, 2.0f, 4.0f, 5.9f}) {
    const float D = 40;  // fr = 3 * 40 / 300
    EXPECT_NEAR(Weight(D * std::sin(A), D * std::cos(A), 0, 0), 0.6f, 0.0001f) << A;
  }
  EXPECT_NEAR(Weight(0, 0, 5, 0), 1.0f, 0.0001f);
}

TEST(DotGridMap, ResizeKeepsTheDisplacement) {
  TMessageCapture Capture;
  T2DEnvelopeDots G = MakeRectGrid(5, 5, -1000, 1000);
  G.Dots[2][2].X += 120;
  G.Dots[2][2].Y -= 60;
  G.Dots[2][2].Z = 16;
  G.Dots[2][2].Pinned = true;
  G.Dots[3][3].Selected = true;
  G.InterpolateUntouchedDots();

  T2DEnvelopeDots Same = G;
  Same.Resize(5, 5, true, 10);
  EXPECT_EQ(GridBytes(Same), GridBytes(G));
  EXPECT_FALSE(Same.Circular);

  G.Resize(9, 9, false, 0);
  ASSERT_EQ(G.ColCount, 9);
  // Old dot (2, 2) is new dot (4, 4); the old lattice keeps its positions.
  EXPECT_EQ(G.Dots[4][4].X, 120);
  EXPECT_EQ(G.Dots[4][4].Y, -60);
  EXPECT_EQ(G.Dots[4][4].Z, 16);
  EXPECT_TRUE(G.Dots[4][4].Pinned);
  EXPECT_EQ(G.Dots[0][0].X, -1000);
  EXPECT_TRUE(G.Dots[6][6].Selected);
  EXPECT_FALSE(G.Dots[0][0].Selected);
  // Redundant pins are gone again; the corners stay.
  EXPECT_FALSE(G.Dots[1][0].Pinned);
  EXPECT_TRUE(G.Dots[8][8].Pinned);
  EXPECT_EQ(G.DefaultDots[4][4].X, 0);

  // A grid too small to map from gets its layout positions.
  T2DEnvelopeDots Tiny = MakeRectGrid(1, 1, -10, 10);
  Tiny.Dots[0][0].Z = 9;
  Tiny.Resize(3, 3, true, 300);
  EXPECT_TRUE(Tiny.Circular);
  EXPECT_EQ(Tiny.MaxX, 300);
  EXPECT_EQ(Tiny.Dots[0][2].Y, 300);
  EXPECT_EQ(Tiny.Dots[0][2].Z, 0);
  EXPECT_TRUE(Capture.Messages().empty());
}

TEST(DotGridMap, BakeInterpolationPinsTheSpreadAndPullsItIn) {
  T2DEnvelopeDots G = MakeRectGrid(5, 5, -1000, 1000);
  G.Dots[4][4].X = 1600;  // a corner far outside the square
  G.Dots[4][4].Y = 1600;
  G.BakeInterpolation();
  EXPECT_EQ(G.Dots[4][4].X, 1000);
  EXPECT_EQ(G.Dots[4][4].Y, 1000);
  EXPECT_TRUE(G.Dots[0][0].Pinned);
  EXPECT_FALSE(G.AllPinned);
  for (int C = 0; C < 5; ++C)
    for (int R = 0; R < 5; ++R) {
      EXPECT_LE(std::abs(G.Dots[C][R].X), 1000);
      EXPECT_LE(std::abs(G.Dots[C][R].Y), 1000);
    }
}

}  // namespace
}  // namespace kromel
