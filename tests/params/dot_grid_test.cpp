#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "dot_grid_test_support.h"
#include "params/dot_grid.h"
#include "platform/canvas.h"
#include "platform/raw_bitmap.h"

namespace kromel {
namespace {

using testing::GridBytes;
using testing::MakeCircularGrid;
using testing::MakeRectGrid;

constexpr float Pi = std::numbers::pi_v<float>;

TDotPoint At(int32_t X, int32_t Y) {
  TDotPoint P;
  P.X = X;
  P.Y = Y;
  return P;
}

TEST(DotPoint, AnglesRunFromPlusYTowardsPlusX) {
  EXPECT_FLOAT_EQ(At(0, 1).GetAngle(), 0.0f);
  EXPECT_FLOAT_EQ(At(1, 0).GetAngle(), Pi / 2);
  EXPECT_FLOAT_EQ(At(0, -5).GetAngle(), Pi);

  for (const float A : {-2.5f, -0.7f, 0.0f, 0.3f, 1.9f, 3.0f}) {
    TDotPoint P = At(700, 100);
    P.SetAngle(A);
    EXPECT_NEAR(P.GetAngle(), A, 0.002f) << A;
    EXPECT_NEAR(P.GetDistance(), 707, 1) << A;
  }
  // Rotate lowers the angle: (0, 100) turned by pi/2 lies on -X.
  TDotPoint Q = At(0, 100);
  Q.Rotate(Pi / 2);
  EXPECT_EQ(Q.X, -100);
  EXPECT_EQ(Q.Y, 0);
}

TEST(DotPoint, DistanceAndScale) {
  TDotPoint P = At(300, 400);
  EXPECT_EQ(P.GetDistance(), 500);
  P.SetDistance(1000);
  EXPECT_EQ(P.X, 600);
  EXPECT_EQ(P.Y, 800);
  TDotPoint Origin = At(0, 0);
  Origin.SetDistance(50);
  EXPECT_EQ(Origin.X, 0);
  EXPECT_EQ(Origin.Y, 0);
  TDotPoint H = At(5, -3);
  H.Scale(0.5f);  // 2.5 and -1.5: halves to even
  EXPECT_EQ(H.X, 2);
  EXPECT_EQ(H.Y, -2);
  // Far coordinates neither overflow nor wrap.
  EXPECT_EQ(At(2000000000, 2000000000).GetDistance(), 2147483647);
}

TEST(DotPoint, AssignValuesCopiesPositionBrightnessAndColour) {
  TDotPoint S = At(1, 2);
  S.Z = 3;
  S.Color = 4;
  S.Pinned = true;
  S.Selected = true;
  TDotPoint D;
  D.AssignValues(S);
  EXPECT_EQ(D.X + D.Y + D.Z + D.Color, 10);
  EXPECT_FALSE(D.Pinned);
  D.AssignValuesAndPin(S);
  EXPECT_TRUE(D.Pinned);
  EXPECT_FALSE(D.Selected);
}

TEST(DotGrid, SizingKeepsDotsAndClearsModesOnlyOnRealChange) {
  T2DEnvelopeDots G;
  EXPECT_TRUE(G.ClickOption);
  EXPECT_EQ(G.Cols(), 0);
  G.SetSize(3, 2);
  EXPECT_EQ(G.Dots.size(), 3u);
  EXPECT_EQ(G.DefaultDots[2].size(), 2u);
  EXPECT_EQ(G.Labels[1].size(), 2u);
  EXPECT_TRUE(G.Dots[2][1].Active);
  EXPECT_TRUE(G.DefaultDots[2][1].Active);
  EXPECT_FLOAT_EQ(G.Dots[1][1].U, 0.5f);
  EXPECT_FLOAT_EQ(G.Dots[1][1].V, 1.0f);

  G.Dots[1][1].X = 42;
  G.PatternMode = true;
  G.AllPinned = true;
  G.CurCol = 2;
  G.SetSize(3, 2);  // same size: nothing changes
  EXPECT_EQ(G.Dots[1][1].X, 42);
  EXPECT_TRUE(G.PatternMode);
  EXPECT_TRUE(G.AllPinned);
  EXPECT_EQ(G.CurCol, 2);

  G.SetSize(4, 2);  // kept dots keep their contents, new ones are zero
  EXPECT_EQ(G.Dots[1][1].X, 42);
  EXPECT_EQ(G.Dots[3][1].X, 0);
  EXPECT_FALSE(G.PatternMode);
  EXPECT_FALSE(G.AllPinned);
  EXPECT_EQ(G.CurCol, -1);

  G.CurCol = 3;
  G.CurRow = 1;
  G.SetRowCount(0);  // counts as 1
  EXPECT_EQ(G.RowCount, 1);
  EXPECT_EQ(G.CurRow, -1);  // the size changed
  G.CurRow = 0;
  G.SetColCount(2);
  EXPECT_EQ(G.ColCount, 2);
  ASSERT_EQ(G.SavedSelection.size(), 2u);
  EXPECT_EQ(G.SavedSelection[1].size(), 1u);
  EXPECT_FLOAT_EQ(G.Dots[0][0].V, 0.0f);  // one row: V = 0

  G.SetSize(-4, -1);
  EXPECT_EQ(G.ColCount, 0);
  EXPECT_EQ(G.Rows(), 0);
}

TEST(DotGrid, AssignCopiesRangesLayoutAndBothArraysOnly) {
  T2DEnvelopeDots A = MakeCircularGrid(6, 4, 250);
  A.Name = "A";
  A.Rotated = true;
  A.Dots[2][2].Spare3 = 9;
  T2DEnvelopeDots B;
  B.Name = "B";
  B.Assign(A);
  EXPECT_EQ(GridBytes(B), GridBytes(A));
  EXPECT_TRUE(B.Circular);
  EXPECT_EQ(B.Name, "B");
  EXPECT_FALSE(B.Rotated);
}

TEST(DotGrid, RectangularLayout) {
  T2DEnvelopeDots G = MakeRectGrid(5, 3, -100, 100);
  EXPECT_FALSE(G.Circular);
  EXPECT_EQ(G.Dots[1][0].X, -50);
  EXPECT_EQ(G.Dots[4][2].X, 100);
  EXPECT_EQ(G.Dots[3][1].Y, 0);
  int Pins = 0;
  for (int C = 0; C < 5; ++C)
    for (int R = 0; R < 3; ++R) Pins += G.Dots[C][R].Pinned;
  EXPECT_EQ(Pins, 4);
  EXPECT_TRUE(G.Dots[4][2].Pinned && G.Dots[0][2].Pinned);
  EXPECT_TRUE(G.IsDefault());
  G.Dots[2][1].X += 1;
  EXPECT_TRUE(G.IsDefault());
  G.Dots[2][1].Z = 1;
  EXPECT_FALSE(G.IsDefault());

  // One column or one row lies in the middle of the range (integer division truncates).
  T2DEnvelopeDots One = MakeRectGrid(1, 1, -5, 10);
  EXPECT_EQ(One.Dots[0][0].X, 2);
  EXPECT_EQ(One.Dots[0][0].Y, 2);
  EXPECT_TRUE(One.Dots[0][0].Pinned);
}

TEST(DotGrid, CircularLayout) {
  T2DEnvelopeDots G;
  G.SetColCount(4);
  G.SetRowCount(3);
  G.SetRanges(-1000, -1000, 1000, 1000);
  G.DefaultDots[1][1].Color = 7;
  G.InitializeCircular(true);
  EXPECT_TRUE(G.Circular);
  EXPECT_EQ(G.Dots[0][2].X, 0);  // angle 0 lies on +Y
  EXPECT_EQ(G.Dots[0][2].Y, 1000);
  EXPECT_EQ(G.Dots[1][2].X, 1000);  // a quarter turn lies on +X
  EXPECT_EQ(G.Dots[1][2].Y, 0);
  EXPECT_EQ(G.Dots[2][1].Y, -500);
  for (int C = 0; C < 4; ++C) {
    EXPECT_EQ(G.Dots[C][0].X, 0);
    EXPECT_TRUE(G.Dots[C][0].Pinned);
    EXPECT_FALSE(G.Dots[C][1].Pinned);
    EXPECT_TRUE(G.Dots[C][2].Pinned);
  }
  // Only the default positions are set.
  EXPECT_EQ(G.DefaultDots[1][1].X, 500);
  EXPECT_EQ(G.DefaultDots[1][1].Color, 7);
  EXPECT_FALSE(G.DefaultDots[1][2].Pinned);
}

TEST(DotGrid, CircularLayoutWithOneRingLiesAtTheCentre) {
  T2DEnvelopeDots G;
  G.SetColCount(6);
  G.SetRowCount(1);
  G.SetRanges(-1000, -1000, 1000, 1000);
  G.InitializeCircular(true);
  for (int C = 0; C < 6; ++C) {
    EXPECT_EQ(G.Dots[C][0].X, 0);
    EXPECT_EQ(G.Dots[C][0].Y, 0);
    EXPECT_TRUE(G.Dots[C][0].Pinned);
  }
}

TEST(DotGrid, LookupStaysInsideTheGrid) {
  const T2DEnvelopeDots Rect = MakeRectGrid(5, 3, -100, 100);
  const T2DEnvelopeDots Round = MakeCircularGrid(8, 4, 300);
  struct TCase {
    const T2DEnvelopeDots* G;
    int32_t X, Y;
    int32_t DotCol, DotRow, CellCol, CellRow;
  } Cases[] = {
      {&Rect, -100, -100, 0, 0, 0, 0},
      {&Rect, 100, 100, 4, 2, 3, 1},
      {&Rect, -24, 40, 2, 1, 1, 1},
      {&Rect, -26, 40, 1, 1, 1, 1},
      {&Rect, -99999, 99999, 0, 2, 0, 1},
      {&Rect, 2147483647, -2147483647 - 1, 4, 0, 3, 0},
      {&Round, 0, 0, 0, 0, 0, 0},
      {&Round, 0, 300, 0, 3, 0, 2},
      {&Round, 300, 0, 2, 3, 2, 2},
      {&Round, -10, 290, 0, 3, 7, 2},  // just left of +Y: the last sector
      {&Round, 0, -5000, 4, 3, 4, 2},
  };
  for (const TCase& C : Cases) {
    int32_t Col, Row;
    C.G->GetDotAt(C.X, C.Y, Col, Row);
    EXPECT_EQ(Col, C.DotCol) << C.X << "," << C.Y;
    EXPECT_EQ(Row, C.DotRow) << C.X << "," << C.Y;
    C.G->GetCellAt(C.X, C.Y, Col, Row);
    EXPECT_EQ(Col, C.CellCol) << C.X << "," << C.Y;
    EXPECT_EQ(Row, C.CellRow) << C.X << "," << C.Y;
  }
  // Empty ranges give indices inside the grid, not garbage.
  T2DEnvelopeDots Flat = MakeRectGrid(4, 4, 0, 0);
  int32_t Col, Row;
  Flat.GetDotAt(5, -5, Col, Row);
  EXPECT_TRUE(Col >= 0 && Col < 4 && Row >= 0 && Row < 4);
  Flat.GetCellAt(0, 0, Col, Row);
  EXPECT_TRUE(Col >= 0 && Col < 3 && Row >= 0 && Row < 3);
}

TEST(DotGrid, DrawDotCrossDrawsWhiteOverABlackShadow) {
  TRawBitmap Bitmap(20, 20, pf32bit);
  TCanvas Canvas(Bitmap);
  Canvas.Brush.Color = 0x808080;
  Canvas.FillRect(0, 0, 20, 20);
  DrawDotCross(&Canvas, 10, 10, 3);
  EXPECT_EQ(Canvas.Pixel(7, 7), 0xFFFFFFu);
  EXPECT_EQ(Canvas.Pixel(13, 13), 0xFFFFFFu);
  EXPECT_EQ(Canvas.Pixel(7, 8), 0u);  // the shadow, one pixel below
  EXPECT_EQ(Canvas.Pixel(13, 7), 0xFFFFFFu);
  EXPECT_EQ(Canvas.Pixel(0, 0), 0x808080u);
  DrawDotCross(nullptr, 0, 0, 3);
}

}  // namespace
}  // namespace kromel
