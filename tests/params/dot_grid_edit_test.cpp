#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "dot_grid_test_support.h"
#include "params/dot_grid.h"
#include "params/envelope_math.h"

namespace kromel {
namespace {

using testing::GridBytes;
using testing::MakeCircularGrid;
using testing::MakeRectGrid;
using testing::TMessageCapture;

constexpr float Pi = std::numbers::pi_v<float>;

int CountPins(const T2DEnvelopeDots& G) {
  int N = 0;
  for (const auto& Column : G.Dots)
    for (const TDotPoint& P : Column) N += P.Pinned;
  return N;
}

TEST(DotGridEdit, SelectionQueries) {
  T2DEnvelopeDots G = MakeRectGrid(4, 4, 0, 300);
  int32_t Col, Row;
  G.FindFarthestSelected(Col, Row);
  EXPECT_EQ(Col, -1);
  EXPECT_EQ(Row, -1);

  G.SelectInRect(90, 90, 210, 110);  // dots (1, 1) and (2, 1)
  EXPECT_EQ(G.GetSelectedCount(), 2);
  G.FindFarthestSelected(Col, Row);
  EXPECT_EQ(Col, 2);
  EXPECT_EQ(Row, 1);
  G.GrowSelection();
  EXPECT_EQ(G.GetSelectedCount(), 8);  // plus the four-neighbours, no diagonals
  EXPECT_FALSE(G.Dots[0][0].Selected);
  G.InvertSelection();
  EXPECT_EQ(G.GetSelectedCount(), 8);

  // Nearest active dot: the later one of equal distance wins.
  G.FindNearestActiveDot(150, 0, Col, Row);
  EXPECT_EQ(Col, 2);
  EXPECT_EQ(Row, 0);
  for (auto& Column : G.Dots)
    for (TDotPoint& P : Column) P.Active = false;
  G.FindNearestActiveDot(150, 0, Col, Row);
  EXPECT_EQ(Col, -1);
  EXPECT_EQ(G.GetMeanActiveX(), 0);

  T2DEnvelopeDots Round = MakeCircularGrid(6, 4, 300);
  Round.SelectAll();
  EXPECT_EQ(Round.GetSelectedCount(), 6 * 3 + 1);  // the centre counts once
  EXPECT_NEAR(Round.GetMeanActiveX(), 0, 1);
}

TEST(DotGridEdit, UnPinAllKeepsOnlyWhatTheSpreadingCannotReproduce) {
  T2DEnvelopeDots G = MakeRectGrid(5, 5, -1000, 1000);
  G.PinAll();
  EXPECT_TRUE(G.AllPinned);
  G.UnPinAll();
  EXPECT_FALSE(G.AllPinned);
  EXPECT_EQ(CountPins(G), 4);
  EXPECT_TRUE(G.Dots[0][0].Pinned && G.Dots[4][0].Pinned && G.Dots[0][4].Pinned &&
              G.Dots[4][4].Pinned);
  EXPECT_TRUE(G.IsDefault());

  // A displaced dot cannot be reproduced and keeps its pin.
  G.PinAll();
  G.Dots[2][2].X += 200;
  G.UnPinAll();
  EXPECT_TRUE(G.Dots[2][2].Pinned);
  EXPECT_EQ(G.Dots[2][2].X, 200);
  EXPECT_FALSE(G.Dots[0][1].Pinned);
  EXPECT_TRUE(G.Dots[4][4].Pinned);

  // On a circular grid the centre and rim are pinned again every time.
  T2DEnvelopeDots Round = MakeCircularGrid(6, 3, 300);
  Round.PinAll();
  Round.UnPinAll();
  for (int C = 0; C < 6; ++C) {
    EXPECT_TRUE(Round.Dots[C][0].Pinned);
    EXPECT_FALSE(Round.Dots[C][1].Pinned);
    EXPECT_TRUE(Round.Dots[C][2].Pinned);
  }
}

TEST(DotGridEdit, UnPinSelectedSparesCornersCentreAndRim) {
  T2DEnvelopeDots G = MakeRectGrid(3, 3, 0, 200);
  G.PinAll();
  G.SelectAll();
  int Changes = 0;
  G.OnChange = [&](void*) { ++Changes; };
  G.UnPinSelected();
  EXPECT_EQ(CountPins(G), 4);
  EXPECT_EQ(Changes, 1);

  T2DEnvelopeDots Round = MakeCircularGrid(5, 4, 300);
  Round.PinAll();
  Round.SelectAll();
  Round.UnPinSelected();
  EXPECT_EQ(CountPins(Round), 10);
}

TEST(DotGridEdit, ResetsAndBlends) {
  T2DEnvelopeDots G = MakeRectGrid(3, 3, -100, 100);
  int Changes = 0;
  G.OnChange = [&](void*) { ++Changes; };
  G.Dots[1][1].X = 40;
  G.Dots[1][1].Z = 20;
  G.Dots[1][1].Pinned = true;
  G.Dots[1][1].Selected = true;

  const std::string Before = GridBytes(G);
  G.BlendToDefault(true, false, 0);
  EXPECT_EQ(GridBytes(G), Before);
  EXPECT_EQ(Changes, 1);
  G.BlendToDefault(false, true, 0.5f);
  EXPECT_EQ(G.Dots[1][1].X, 40);  // KeepXY
  EXPECT_EQ(G.Dots[1][1].Z, 10);
  G.BlendToDefault(true, false, 1);
  EXPECT_TRUE(G.IsDefault());

  G.Dots[1][1].X = 40;
  G.Dots[2][1].Y = 30;
  G.ResetToDefault();
  EXPECT_TRUE(G.IsDefault());
  EXPECT_FALSE(G.Dots[1][1].Pinned);  // as its default dot
  EXPECT_EQ(Changes, 4);

  G.Dots[1][1].Y = 51;
  G.BlendYToDefault(0.5f);  // 25.5: halves to even
  EXPECT_EQ(G.Dots[1][1].Y, 26);
  G.MoveSelected(5, -5, 300);
  G.ClampZ();
  EXPECT_EQ(G.Dots[1][1].X, 5);
  EXPECT_EQ(G.Dots[1][1].Z, 128);
  G.ResetZ(true);
  EXPECT_EQ(G.Dots[1][1].Z, 0);
  G.ResetX();
  EXPECT_EQ(G.Dots[1][1].X, 0);

  // Blending with a grid of another size reports and changes nothing.
  TMessageCapture Capture;
  const std::string Kept = GridBytes(G);
  G.BlendWith(MakeRectGrid(4, 3, -100, 100), 0.5f);
  EXPECT_EQ(GridBytes(G), Kept);
  EXPECT_TRUE(Capture.Shown("Error in T2DEnvelopeDots.BlendWith: Grid sizes are different"));
  T2DEnvelopeDots Other = MakeRectGrid(3, 3, -100, 100);
  Other.Dots[1][1].X = 50;
  Other.Dots[1][1].Pinned = true;
  G.BlendWith(Other, 0.5f);
  EXPECT_EQ(G.Dots[1][1].X, 25);
  EXPECT_TRUE(G.Dots[1][1].Pinned);
}

TEST(DotGridEdit, ResetSelectedMovesTheWholeCentre) {
  T2DEnvelopeDots G = MakeCircularGrid(6, 4, 300);
  for (int C = 0; C < 6; ++C) G.Dots[C][0].X = 40;
  G.Dots[3][0].Selected = true;
  G.ResetSelected(false, true);
  for (int C = 0; C < 6; ++C) EXPECT_EQ(G.Dots[C][0].X, 0) << C;
}

TEST(DotGridEdit, AngleAndDistanceResets) {
  T2DEnvelopeDots G = MakeCircularGrid(4, 3, 1000);
  // Rim dot 1 sits at (1000, 0); turn it to angle 2.8 (beyond +-pi from -2.8).
  TDotPoint& P = G.Dots[1][2];
  P.SetAngle(2.8f);
  G.DefaultDots[1][2].X = RoundToInt32(1000 * std::sin(-2.8));
  G.DefaultDots[1][2].Y = RoundToInt32(1000 * std::cos(-2.8));
  P.Selected = true;
  G.BlendAngleToDefault(true, 0.5f);
  // The short way round passes through pi.
  EXPECT_NEAR(std::fabs(P.GetAngle()), Pi, 0.01f);
  EXPECT_NEAR(P.GetDistance(), 1000, 1);
  EXPECT_TRUE(P.Pinned);

  P.SetDistance(400);
  G.ResetAngle(true);
  EXPECT_NEAR(P.GetAngle(), -2.8f, 0.01f);
  EXPECT_NEAR(P.GetDistance(), 400, 1);
  G.ResetDistance(true);
  EXPECT_NEAR(P.GetDistance(), 1000, 1);
  EXPECT_NEAR(P.GetAngle(), -2.8f, 0.01f);

  // A centre dot (default at the origin) is skipped by the angle resets.
  G.Dots[0][0].X = 30;
  G.Dots[0][0].Selected = true;
  G.ResetAngle(true);
  EXPECT_EQ(G.Dots[0][0].X, 30);
  G.ResetDistance(true);
  EXPECT_EQ(G.Dots[0][0].X, 0);
}

TEST(DotGridEdit, RotateAroundAndSectorScale) {
  T2DEnvelopeDots G = MakeRectGrid(2, 2, 0, 100);
  G.RotateAround(50, 50, Pi / 2);
  EXPECT_EQ(G.Dots[0][0].X, 100);  // (0, 0) about (50, 50)
  EXPECT_EQ(G.Dots[0][0].Y, 0);

  T2DEnvelopeDots Round = MakeCircularGrid(6, 9, 800);
  const TDotPoint Rim = Round.Dots[2][8];
  Round.SetSectorScale(2, 2.0f);
  EXPECT_TRUE(Round.Dots[2][4].Pinned);
  EXPECT_NEAR(Round.Dots[2][4].X, Rim.X, 2);
  EXPECT_NEAR(Round.Dots[2][4].Y, Rim.Y, 2);

  Round.SetSectorSaturation(3, 40, 0.5f);
  EXPECT_FALSE(Round.Dots[3][4].Pinned);
  EXPECT_NEAR(Round.Dots[3][8].GetDistance(), 400, 1);
  EXPECT_EQ(Round.Dots[3][8].Z, 40);

  // Sectors that are not there, and grids of one ring, are left alone.
  const std::string Before = GridBytes(Round);
  Round.SetSectorScale(6, 2.0f);
  Round.SetSectorScale(-1, 2.0f);
  EXPECT_EQ(GridBytes(Round), Before);
  T2DEnvelopeDots One = MakeCircularGrid(6, 1, 800);
  One.SetSectorScale(0, 3.0f);
}

TEST(DotGridFix, RangeFixing) {
  T2DEnvelopeDots G = MakeRectGrid(2, 2, -100, 100);
  G.SetRanges(-100, 100, 100, -100);  // Y range given backwards
  G.Dots[0][0].X = -500;
  G.Dots[0][0].Y = 300;
  G.Dots[1][1].Y = -300;
  G.FixGrid();
  EXPECT_EQ(G.Dots[0][0].X, -100);
  EXPECT_EQ(G.Dots[0][0].Y, 100);
  EXPECT_EQ(G.Dots[1][1].Y, -100);

  T2DEnvelopeDots S = MakeRectGrid(3, 2, -1000, 1000);
  S.Dots[0][0].X = 2000;
  S.Dots[0][0].Y = 0;
  S.Dots[1][0].X = 1000;
  S.Dots[1][0].Y = 1000;
  S.Dots[2][0].X = -1500;
  S.Dots[2][0].Y = 3000;
  S.FixGridSavingAngle();
  EXPECT_EQ(S.Dots[0][0].X, 1000);
  EXPECT_EQ(S.Dots[0][0].Y, 0);
  EXPECT_EQ(S.Dots[1][0].X, 1000);
  EXPECT_EQ(S.Dots[1][0].Y, 1000);
  EXPECT_EQ(S.Dots[2][0].X, -500);  // along its own direction
  EXPECT_EQ(S.Dots[2][0].Y, 1000);
}

TEST(DotGridFix, Smoothing) {
  T2DEnvelopeDots G = MakeRectGrid(6, 5, -1000, 1000);
  G.Dots[2][2].X += 90;
  G.Dots[0][2].Y += 60;
  const std::string Before = GridBytes(G);
  G.Smooth(true, true, true, false, false, true);  // nothing selected
  EXPECT_EQ(GridBytes(G), Before);
  G.Dots[2][2].Selected = true;
  G.Smooth(true, true, true, false, false, true);
  EXPECT_LT(G.Dots[2][2].X, 90 + G.DefaultDots[2][2].X);
  EXPECT_EQ(G.Dots[0][2].Y, G.DefaultDots[0][2].Y + 60);  // unselected border dot

  // A regular layout hardly moves (the 2D-curve ranges start at 0).
  T2DEnvelopeDots R = MakeRectGrid(7, 7, 0, 1800);
  R.Smooth(true, true, true, false, false, false);
  for (int C = 1; C < 6; ++C)
    for (int Row = 1; Row < 6; ++Row) {
      EXPECT_LE(std::abs(R.Dots[C][Row].X - R.DefaultDots[C][Row].X), 1);
      EXPECT_LE(std::abs(R.Dots[C][Row].Y - R.DefaultDots[C][Row].Y), 1);
    }
  R.SmoothNinePoint(true);
  R.Smooth(true, true, false, true, true, false);

  T2DEnvelopeDots Round = MakeCircularGrid(8, 4, 600);
  Round.Dots[3][3].X += 100;
  Round.Smooth(true, true, true, false, false, false);
  EXPECT_LT(Round.Dots[3][3].X, Round.DefaultDots[3][3].X + 100);
}

TEST(DotGridFix, Tensions) {
  T2DEnvelopeDots G = MakeRectGrid(5, 5, -1000, 1000);
  EXPECT_EQ(G.GetMaxTension(), 500);
  EXPECT_EQ(G.GetMinTension(), 500);
  G.Dots[4][4].X = 3000;
  EXPECT_EQ(G.GetMaxTension(), 2500);
  for (auto& Column : G.Dots)
    for (TDotPoint& P : Column) P.Active = false;
  EXPECT_EQ(G.GetMinTension(), 0);
  EXPECT_EQ(MakeRectGrid(1, 1, 0, 10).GetMaxTension(), 0);

  G.SmoothTensions(1000);  // only the stretched corner and its neighbours move
  EXPECT_LT(G.Dots[4][4].X, 3000);
  EXPECT_EQ(G.Dots[0][0].X, -1000);

  T2DEnvelopeDots Round = MakeCircularGrid(6, 3, 600);
  Round.Dots[2][0].X = 60;
  const TDotPoint Rim = Round.Dots[1][2];
  Round.SmoothTensions(100000);
  for (int C = 0; C < 6; ++C) EXPECT_EQ(Round.Dots[C][0].X, 10);  // the mean
  EXPECT_EQ(Round.Dots[1][2].X, Rim.X);
}

TEST(DotGridFix, RemoveOverlappings) {
  T2DEnvelopeDots G = MakeRectGrid(3, 3, 0, 200);
  G.Dots[0][0].X = 150;  // now right of its neighbour at 100
  G.RemoveOverlappings();
  EXPECT_EQ(G.Dots[0][0].X, 125);
  EXPECT_EQ(G.Dots[1][0].X, 125);
}

TEST(DotGridFix, PullInPushOut) {
  T2DEnvelopeDots G = MakeRectGrid(5, 5, -1000, 1000);
  const std::string Before = GridBytes(G);
  G.PullInPushOut(0, 0, 0, false, true, true, true, false);
  EXPECT_EQ(GridBytes(G), Before);

  G.Dots[1][1].Selected = true;
  G.PullInPushOut(-400, -400, 1, false, false, true, true, false);
  EXPECT_NE(G.Dots[1][1].X, -500);
  EXPECT_TRUE(G.Dots[1][1].Pinned);
  EXPECT_EQ(G.Dots[1][2].X, -500);  // not selected
  EXPECT_FALSE(G.Dots[1][2].Pinned);

  // Pulling towards the weighted mean of the dots resting near (0, 0).
  T2DEnvelopeDots F = MakeRectGrid(5, 5, -100, 100);
  F.Dots[2][2].X = 80;
  F.PullInPushOut(0, 0, 1, true, true, true, true, false);
  EXPECT_GT(F.Dots[2][1].X, 0);
  EXPECT_TRUE(F.Dots[2][1].Pinned);
  // Turning only keeps the distance.
  T2DEnvelopeDots T = MakeRectGrid(5, 5, -100, 100);
  T.PullInPushOut(100, 0, 0.5f, false, true, true, true, true);
  EXPECT_GT(T.Dots[3][3].X, 50);
  EXPECT_NEAR(T.Dots[3][3].GetDistance(), 71, 1);
}

TEST(DotGridFix, RandomShapes) {
  T2DEnvelopeDots G = MakeRectGrid(5, 4, -1000, 1000);
  for (int I = 0; I < 3; ++I) {
    G.Dots[0][0].X = 5;
    G.RandomizeCorners(0, false);
    EXPECT_EQ(G.Dots[0][0].X, -1000);
    EXPECT_EQ(G.Dots[4][3].X, 1000);
    EXPECT_EQ(G.Dots[4][3].Y, 1000);
  }
  for (int I = 0; I < 20; ++I) {
    G.RandomizeCorners(200, true);
    const TDotPoint& P = G.Dots[0][3];  // slides along its two edges
    EXPECT_TRUE((P.X == -1000 && P.Y >= 800 && P.Y <= 1000) || (P.Y == 1000 && P.X >= -1000 && P.X < -800));
    G.RandomizeEdges(200, false);
    for (const auto& Column : G.Dots)
      for (const TDotPoint& D : Column) {
        EXPECT_LE(std::abs(D.X), 1200);
        EXPECT_LE(std::abs(D.Y), 1200);
      }
    G.RandomizeDots(3, 100);
    G.RandomizeCurveCorners();
    EXPECT_EQ(G.Dots[0][0].X, 0);
    EXPECT_EQ(G.Dots[4][3].Y, 1000);
  }
  T2DEnvelopeDots Round = MakeCircularGrid(8, 3, 600);
  Round.RandomizeRimAngles();
  for (int C = 0; C < 8; ++C) EXPECT_NEAR(Round.Dots[C][2].GetDistance(), 600, 1);
  Round.RandomizeDots(20, 50);
  for (int C = 1; C < 8; ++C) EXPECT_EQ(Round.Dots[C][0].X, Round.Dots[0][0].X);

  // Grids of one column or one row: no division by zero, no stray index.
  for (T2DEnvelopeDots Thin : {MakeRectGrid(1, 5, 0, 100), MakeRectGrid(5, 1, 0, 100)}) {
    const std::string Before = GridBytes(Thin);
    Thin.RandomizeEdges(10, false);
    Thin.RandomizeCurveCorners();
    EXPECT_EQ(GridBytes(Thin), Before);
    Thin.RandomizeCorners(10, false);
    Thin.RandomizeDots(5, 10);
    Thin.RandomizeRimAngles();
  }
}

}  // namespace
}  // namespace kromel
