#include "controls/dot_grid_editor.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "params/composite_parameters.h"
#include "platform/canvas.h"
#include "platform/message_sink.h"

namespace kromel {
namespace {

// A 5 x 5 grid over -100..100 in a 208 x 208 box with a margin of 4: grid
// area 200 x 200, X = 0 on column 104, Y = 0 on row 103.
class DotGridEditorTest : public ::testing::Test {
protected:
  void SetUp() override { Build(false, 5, 5); }
  void Build(bool Circular, int32_t Cols, int32_t Rows) {
    Editor.Grid->Circular = Circular;
    Editor.SetMinX(-100);
    Editor.SetMaxX(100);
    Editor.SetMinY(-100);
    Editor.SetMaxY(100);
    Editor.SetMargin(4);
    Editor.SetSize(208, 208);
    Editor.SetGridSize(Cols, Rows);
    Editor.CreateGrid();
    Editor.OnChange = [this](void*) { Events += "C"; };
    Editor.OnChangeStart = [this](void*) { Events += "S"; };
    Editor.OnChangeEnd = [this](void*) { Events += "E"; };
    Editor.OnChangeStep = [this](void*) { Events += "T"; };
    Editor.OnSelectDots = [this](void*) { Events += "L"; };
    Editor.OnMouseDown = [this](TEditButton, uint32_t, int32_t, int32_t) { Events += "D"; };
    Editor.OnMouseUp = [this](TEditButton, uint32_t, int32_t, int32_t) { Events += "U"; };
    Editor.OnMouseMove = [this](uint32_t, int32_t, int32_t) { Events += "M"; };
  }
  TDotPoint& Dot(int32_t C, int32_t R) { return Editor.Grid->Dots[size_t(C)][size_t(R)]; }
  TPoint At(int32_t C, int32_t R) { return Editor.CalibrateDot(Dot(C, R), true); }
  void Key(uint16_t K, uint32_t Shift = 0) { Editor.KeyDown(K, Shift); }
  void Current(int32_t C, int32_t R) {
    Editor.Grid->CurCol = C;
    Editor.Grid->CurRow = R;
  }

  TDotGridEditor Editor;
  std::string Events;
};

TEST(DotGridEditor, CalibrateBothWays) {
  TDotGridEditor E;
  // Plain: range 0..1000, margin 3, 200 x 100.
  E.SetMinX(0);
  E.SetMaxX(1000);
  E.SetMinY(0);
  E.SetMaxY(1000);
  E.SetMargin(3);
  E.SetSize(200, 100);
  EXPECT_EQ(E.ZoomX, 1000);
  struct TCase {
    int32_t X, Y, PX, PY;
  };
  for (const TCase& C : {TCase{0, 0, 0, 96}, TCase{1000, 1000, 194, 2}, TCase{500, 500, 97, 49}}) {
    const TPoint P = E.Calibrate(C.X, C.Y, true);
    EXPECT_EQ(P.X, C.PX) << C.X;
    EXPECT_EQ(P.Y, C.PY) << C.Y;
  }
  // Back to grid units: +1 on X only.
  for (const TCase& C : {TCase{1, 0, 0, 96}, TCase{1001, 1000, 194, 2}, TCase{6, -10, 1, 97}}) {
    const TPoint G = E.Calibrate(C.PX, C.PY, false);
    EXPECT_EQ(G.X, C.X) << C.PX;
    EXPECT_EQ(G.Y, C.Y) << C.PY;
  }
  // Rotated by 45 degrees: 202 x 202 over -100..100.
  E.SetMargin(0);
  E.SetMinX(-100);
  E.SetMaxX(100);
  E.SetMinY(-100);
  E.SetMaxY(100);
  E.SetRotated(true);
  E.SetSize(202, 202);
  EXPECT_EQ(E.GridWidth, 200);
  EXPECT_EQ(E.OriginX, 100);
  EXPECT_EQ(E.OriginY, 100);
  for (const TCase& C : {TCase{0, 0, 100, 100}, TCase{100, 0, 150, 51}}) {
    const TPoint P = E.Calibrate(C.X, C.Y, true);
    EXPECT_EQ(P.X, C.PX) << C.X;
    EXPECT_EQ(P.Y, C.PY) << C.X;
  }
  const TPoint G = E.Calibrate(150, 51, false);
  EXPECT_EQ(G.X, 100);
  EXPECT_EQ(G.Y, 0);
  // No zoom: everything at (0, 0); no grid area: no division by zero.
  E.ZoomX = 0;
  EXPECT_EQ(E.Calibrate(50, 50, true).X, 0);
  E.ResetZoom();
  E.SetRotated(false);
  E.SetMargin(101);
  EXPECT_EQ(E.GridWidth, 0);
  EXPECT_EQ(E.Calibrate(50, 50, false).X, 0);
  // An empty X range keeps the previous mapping.
  E.SetMargin(1);
  const int32_t Width = E.GridWidth;
  E.SetMaxX(-100);
  EXPECT_EQ(E.GridWidth, Width);
}

TEST_F(DotGridEditorTest, PickPrefersPinnedDotsWithinTenPixels) {
  ASSERT_EQ(At(2, 2).X, 104);
  ASSERT_EQ(At(2, 2).Y, 103);
  int32_t C = 0, R = 0;
  // Two dots on one spot: the later one, unless the earlier is pinned.
  Dot(3, 2).X = Dot(2, 2).X;
  Editor.FindDotAt(104, 103, C, R);
  EXPECT_EQ(C, 3);
  Dot(2, 2).Pinned = true;
  Editor.FindDotAt(104, 103, C, R);
  EXPECT_EQ(C, 2);
  Dot(3, 2).X = 50;
  // City-block reach of 10 pixels.
  Editor.FindDotAt(104 + 6, 103 + 4, C, R);
  EXPECT_EQ(C, 2);
  Editor.FindDotAt(104 + 6, 103 + 5, C, R);
  EXPECT_EQ(C, -1);
  EXPECT_EQ(R, -1);
  // Corners refused when asked; an inactive dot is never picked.
  Editor.StopMoveangle = true;
  Editor.FindDotAt(At(0, 0).X, At(0, 0).Y, C, R);
  EXPECT_EQ(C, -1);
  Dot(2, 2).Active = false;
  Editor.FindDotAt(104, 103, C, R);
  EXPECT_EQ(C, -1);
}

TEST_F(DotGridEditorTest, MouseGestures) {
  // A plain drag of an unselected dot.
  Events.clear();
  Editor.MouseDown(TEditButton::Left, 0, 104, 103);
  EXPECT_EQ(Events, "SLD");
  EXPECT_TRUE(Dot(2, 2).Pinned);
  Editor.MouseMove(0, 124, 83);
  EXPECT_TRUE(Editor.MoveSelection);
  EXPECT_EQ(Dot(2, 2).X, 21);
  EXPECT_EQ(Dot(2, 2).Y, 20);
  // Past the range the dot stops at it.
  Editor.MouseMove(0, 900, -500);
  EXPECT_EQ(Dot(2, 2).X, 100);
  EXPECT_EQ(Dot(2, 2).Y, 100);
  Editor.MouseMove(0, 134, 73);
  Editor.MouseUp(TEditButton::Left, 0, 134, 73);
  EXPECT_EQ(Events, "SLDSMCMCMCCEU");
  EXPECT_EQ(Dot(2, 2).X, 31);
  EXPECT_EQ(Dot(2, 2).Y, 30);
  // Double click returns it to its default place with Z 0.
  Dot(2, 2).Z = 40;
  Editor.MouseDown(TEditButton::Left, EditShift::Double, At(2, 2).X, At(2, 2).Y);
  EXPECT_EQ(Dot(2, 2).X, 0);
  EXPECT_EQ(Dot(2, 2).Y, 0);
  EXPECT_EQ(Dot(2, 2).Z, 0);
  Editor.MouseUp(TEditButton::Left, 0, 0, 0);
  // Brightness drag: 200 pixels up ends at 128.
  Editor.MouseDown(TEditButton::Left, EditShift::Shift, 104, 103);
  Editor.MouseMove(EditShift::Shift, 104, 103);
  EXPECT_TRUE(Editor.BrightnessDrag);
  Editor.MouseMove(EditShift::Shift, 104, -97);
  EXPECT_EQ(Dot(2, 2).Z, 128);
  Editor.MouseUp(TEditButton::Left, 0, 104, -97);
  EXPECT_TRUE(Editor.LastDragWasBrightness);
  // Ctrl toggles only the selection; Shift+Alt+Ctrl pins the selection.
  Events.clear();
  Editor.MouseDown(TEditButton::Left, EditShift::Ctrl, At(1, 1).X, At(1, 1).Y);
  EXPECT_TRUE(Dot(1, 1).Selected);
  EXPECT_FALSE(Dot(1, 1).Pinned);
  Editor.MouseUp(TEditButton::Left, 0, 0, 0);
  Events.clear();
  Editor.MouseDown(TEditButton::Left, EditShift::Shift | EditShift::Alt | EditShift::Ctrl,
                   At(1, 1).X, At(1, 1).Y);
  EXPECT_EQ(Events, "CE");
  EXPECT_TRUE(Dot(1, 1).Pinned);
  Editor.MouseUp(TEditButton::Left, 0, 0, 0);
  // Right-click on an unselected dot restores it from its default.
  Build(false, 5, 5);
  Dot(3, 3).X = 70;
  Dot(3, 3).Z = 9;
  Dot(3, 3).Pinned = true;
  Editor.MouseDown(TEditButton::Right, 0, At(3, 3).X, At(3, 3).Y);
  EXPECT_EQ(Dot(3, 3).X, 50);
  EXPECT_EQ(Dot(3, 3).Z, 0);
  EXPECT_FALSE(Dot(3, 3).Pinned);
  // A marquee replaces the selection; with Shift it adds to it.
  Dot(2, 2).Selected = true;
  Editor.MouseDown(TEditButton::Left, 0, -20, -20);
  Editor.MouseMove(0, 60, 60);
  Editor.MouseUp(TEditButton::Left, 0, 60, 60);
  EXPECT_TRUE(Dot(0, 4).Selected);
  EXPECT_TRUE(Dot(1, 3).Selected);
  EXPECT_FALSE(Dot(2, 2).Selected);
  EXPECT_EQ(Editor.Grid->GetSelectedCount(), 4);
  Editor.MouseDown(TEditButton::Left, 0, 230, 230);
  Editor.MouseMove(0, 150, 150);
  Editor.MouseUp(TEditButton::Left, EditShift::Shift, 150, 150);
  EXPECT_TRUE(Dot(0, 4).Selected);
  EXPECT_TRUE(Dot(4, 0).Selected);
  EXPECT_EQ(Editor.Grid->GetSelectedCount(), 8);
}

TEST_F(DotGridEditorTest, MoveSelectedDotsRepinsOnlyDotsTheSpreadingMisses) {
  for (int32_t Shift : {0, 40}) {
    Build(false, 5, 5);
    Dot(2, 2).Selected = true;
    Dot(2, 3).Selected = true;
    Current(2, 2);
    Editor.SaveDotsSnapshot();
    Dot(2, 2).Pinned = true;
    Dot(2, 2).X += Shift;
    Editor.MoveSelectedDots();
    if (Shift == 0) {
      // The spreading puts dot (2, 3) back where it is: no pin.
      EXPECT_FALSE(Dot(2, 3).Pinned);
      EXPECT_EQ(Dot(2, 3).X, 0);
    } else {
      EXPECT_TRUE(Dot(2, 3).Pinned);
      EXPECT_EQ(Dot(2, 3).X, 40);
      EXPECT_EQ(Dot(2, 3).Y, 50);
    }
  }
  // A dot already pinned in the snapshot keeps its pin.
  Build(false, 5, 5);
  Dot(2, 2).Selected = Dot(2, 3).Selected = true;
  Dot(2, 3).Pinned = true;
  Current(2, 2);
  Editor.SaveDotsSnapshot();
  Editor.MoveSelectedDots();
  EXPECT_TRUE(Dot(2, 3).Pinned);
  // A snapshot of another size moves nothing.
  Editor.SnapshotGrid.SetSize(2, 2);
  Dot(2, 2).X = 90;
  Editor.MoveSelectedDots();
  EXPECT_EQ(Dot(2, 3).X, 0);
}

TEST_F(DotGridEditorTest, KeyStepsAndNavigation) {
  Dot(2, 2).Selected = true;
  Current(2, 2);
  Events.clear();
  Key(EditKey::Right);
  EXPECT_EQ(Dot(2, 2).X, 10);
  EXPECT_TRUE(Dot(2, 2).Pinned);
  EXPECT_EQ(Events, "TC");
  Key(EditKey::Down, EditShift::Ctrl);
  EXPECT_EQ(Dot(2, 2).Y, -1);
  Key(EditKey::PageUp);
  EXPECT_EQ(Dot(2, 2).Z, 10);
  Key(EditKey::Add, EditShift::Ctrl);
  EXPECT_EQ(Dot(2, 2).Z, 10);
  Key(EditKey::Add);
  EXPECT_EQ(Dot(2, 2).Z, 20);
  Key(EditKey::Back);
  EXPECT_TRUE(Dot(2, 2).Excluded);
  // Rotated: Right moves along the diagonal.
  Editor.SetRotated(true);
  Key(EditKey::Right);
  EXPECT_EQ(Dot(2, 2).X, 20);
  EXPECT_EQ(Dot(2, 2).Y, -11);
  Editor.SetRotated(false);
  // Nothing selected: the current dot moves and stays in the range.
  Editor.Grid->DeselectAll();
  Current(4, 4);
  Key(EditKey::Right);
  Key(EditKey::Up);
  EXPECT_EQ(Dot(4, 4).X, 100);
  EXPECT_EQ(Dot(4, 4).Y, 100);
  Key(EditKey::Delete);
  // Navigation: Alt+Right on the last column stays in a rectangular grid...
  Key(EditKey::Right, EditShift::Alt);
  EXPECT_EQ(Editor.Grid->CurCol, 4);
  EXPECT_TRUE(Dot(4, 4).Selected);
  Key(EditKey::Up, EditShift::Shift);
  EXPECT_EQ(Editor.Grid->CurRow, 4);
  // ...and wraps to column 0 in a circular one.
  Build(true, 8, 4);
  Current(7, 2);
  Key(EditKey::Right, EditShift::Alt);
  EXPECT_EQ(Editor.Grid->CurCol, 0);
  Key(EditKey::Left, EditShift::Alt | EditShift::Ctrl);
  EXPECT_EQ(Editor.Grid->CurCol, 7);
  EXPECT_EQ(Editor.Grid->GetSelectedCount(), 2);
  // A selected centre dot carries every column's centre dot.
  Editor.Grid->DeselectAll();
  Dot(3, 0).Selected = true;
  Key(EditKey::Left);
  for (int32_t C = 0; C < 8; ++C) EXPECT_EQ(Dot(C, 0).X, -10) << C;
}

TEST_F(DotGridEditorTest, CellAtAndShiftCellDots) {
  int32_t C = -1, R = -1;
  struct TCase {
    int32_t X, Y, Col, Row;
  };
  for (const TCase& T : {TCase{-100, -100, 0, 0}, TCase{500, 99, 4, 3}, TCase{-30, 10, 1, 2},
                         TCase{-999, -999, 0, 0}}) {
    Editor.CellAt(T.X, T.Y, C, R);
    EXPECT_EQ(C, T.Col) << T.X;
    EXPECT_EQ(R, T.Row) << T.Y;
  }
  // The source's cell moves by the target minus the displaced source.
  float SX = -90, SY = -90, SZ = 0;
  Editor.Grid->Interpolation(SX, SY, SZ);
  Editor.ShiftCellDots(50, -90, -90, 50, -80, -70, true, false, false);
  const int32_t DX = int32_t(std::nearbyint(-80 - SX)), DY = int32_t(std::nearbyint(-70 - SY));
  EXPECT_EQ(Dot(1, 1).X, -50 + DX);
  EXPECT_EQ(Dot(1, 1).Y, -50 + DY);
  EXPECT_TRUE(Dot(1, 0).Pinned);
  EXPECT_FALSE(Dot(2, 2).Pinned);
  // No right neighbour: nothing moves.
  Build(false, 5, 5);
  Editor.ShiftCellDots(50, 100, 0, 50, 0, 0, true, false, false);
  EXPECT_EQ(Dot(4, 2).X, 100);
  EXPECT_FALSE(Dot(4, 2).Pinned);

  // Circular: columns are sectors from +Y towards +X, rows rings.
  Build(true, 8, 5);
  for (const TCase& T :
       {TCase{0, 50, 0, 2}, TCase{46, 19, 1, 1}, TCase{0, 0, 0, 0}, TCase{0, 400, 0, 4}}) {
    Editor.CellAt(T.X, T.Y, C, R);
    EXPECT_EQ(C, T.Col) << T.X << "," << T.Y;
    EXPECT_EQ(R, T.Row) << T.X << "," << T.Y;
  }
  // The source at the centre: only the centre dot moves, into every column.
  Editor.ShiftCellDots(50, 0, 0, 50, 30, 40, true, true, true);
  for (int32_t Col = 0; Col < 8; ++Col) {
    EXPECT_EQ(Dot(Col, 0).X, 30) << Col;
    EXPECT_EQ(Dot(Col, 0).Y, 40) << Col;
    EXPECT_TRUE(Dot(Col, 0).Pinned);
    EXPECT_FALSE(Dot(Col, 1).Pinned);
  }
}

TEST_F(DotGridEditorTest, SelectionStorageRefusesAnotherSize) {
  THeadlessMessageSink Sink;
  Sink.EchoToStderr = false;
  SetMessageSink(&Sink);
  Dot(1, 1).Selected = true;
  Editor.SaveSelection();
  Editor.Grid->DeselectAll();
  Dot(3, 3).Selected = true;
  EXPECT_TRUE(Editor.LoadSelection());
  EXPECT_TRUE(Dot(1, 1).Selected);
  EXPECT_FALSE(Dot(3, 3).Selected);
  EXPECT_TRUE(Sink.Messages().empty());
  // The grid gains a row behind the saved selection's back.
  Editor.Grid->SetSize(5, 6);
  Dot(3, 5).Selected = true;
  EXPECT_FALSE(Editor.LoadSelection());
  ASSERT_EQ(Sink.Messages().size(), 1u);
  EXPECT_EQ(Sink.Messages()[0], "Can not restore selection: size is different");
  EXPECT_TRUE(Dot(3, 5).Selected);
  Editor.Grid->SavedSelection.clear();
  EXPECT_FALSE(Editor.LoadSelection());
  SetMessageSink(nullptr);
  // Moved and pinned dots.
  Build(false, 5, 5);
  Dot(1, 1).Pinned = true;
  Dot(1, 1).X += 1;
  Dot(1, 1).Y += 1;
  Dot(2, 2).Pinned = true;
  Dot(2, 2).Z = 3;
  Dot(3, 3).X += 30;
  Editor.SelectAllMovedDots();
  EXPECT_EQ(Editor.Grid->GetSelectedCount(), 1);
  EXPECT_TRUE(Dot(2, 2).Selected);
  Editor.SelectAllPinnedDots();
  EXPECT_EQ(Editor.Grid->GetSelectedCount(), 6);
}

TEST_F(DotGridEditorTest, BindingAndToolDrags) {
  TControlledParameterGrid Parameter(nullptr, "AB", 5, 5, -1000, 1000, -1000, 1000);
  TDotGridEditor Box;
  Box.SetSize(208, 208);
  Box.ConnectToParameter(&Parameter);
  EXPECT_EQ(Box.Grid, &Parameter.Grid);
  EXPECT_EQ(Box.ZoomX, 2000);
  int Changes = 0;
  Box.OnChange = [&](void*) { ++Changes; };
  Parameter.Grid.DoChange();
  EXPECT_EQ(Changes, 1);
  // A tool drag of one dot from a pointer at (600, 700).
  const TPoint Q = Box.StartDragDotNear(480, 20, 600, 700);
  EXPECT_EQ(Parameter.Grid.CurCol, 3);
  EXPECT_EQ(Parameter.Grid.CurRow, 2);
  EXPECT_EQ(Box.DragOffsetX, Q.X - 600);
  Box.MouseMove(0, 610, 700);
  EXPECT_EQ(Box.CalibrateDot(Parameter.Grid.Dots[3][2], true).X, Q.X + 10);
  Box.MouseUp(TEditButton::Left, 0, 610, 700);
  // A cell drag selects its corners, the last column only its own two.
  Box.BeginDotDrag(1000, -999, 0, 0);
  EXPECT_EQ(Parameter.Grid.CurCol, 4);
  EXPECT_EQ(Parameter.Grid.GetSelectedCount(), 2);
  Box.BeginDotDrag(-999, -999, 0, 0);
  EXPECT_EQ(Parameter.Grid.GetSelectedCount(), 4);
}

// Random presses, drags, releases and keys, with every modifier, on
// rectangular, circular and rotated grids: dots stay in the ranges with Z in
// -128..128, the arrays keep the grid's size and the current dot is a dot.
TEST_F(DotGridEditorTest, RandomInputKeepsTheGridSound) {
  struct TConfig {
    bool Circular, Rotated;
    int32_t Cols, Rows;
  };
  const uint16_t Keys[] = {EditKey::Left,   EditKey::Right,    EditKey::Up,  EditKey::Down,
                           EditKey::PageUp, EditKey::PageDown, EditKey::Add, EditKey::Subtract,
                           EditKey::Back,   EditKey::Delete};
  const uint32_t Mods[] = {EditShift::Shift, EditShift::Alt, EditShift::Ctrl, EditShift::Meta,
                           EditShift::Double};
  TRawBitmap Bitmap(208, 208, pf32bit);
  TCanvas Canvas(Bitmap);
  int32_t Seed = 4820;
  for (const TConfig& Config :
       {TConfig{false, false, 5, 5}, TConfig{true, false, 8, 4}, TConfig{false, true, 4, 6}}) {
    Build(Config.Circular, Config.Cols, Config.Rows);
    Editor.SetRotated(Config.Rotated);
    Editor.SetSize(208, 208);
    std::mt19937 Random(uint32_t(++Seed));
    const auto Uniform = [&](int32_t Lo, int32_t Hi) {
      return std::uniform_int_distribution<int32_t>(Lo, Hi)(Random);
    };
    T2DEnvelopeDots& G = *Editor.Grid;
    for (int32_t Step = 0; Step < 10000; ++Step) {
      uint32_t Shift = 0;
      for (uint32_t M : Mods)
        if (Uniform(0, 5) == 0) Shift |= M;
      // Mostly near a dot, sometimes anywhere.
      int32_t X = Uniform(-300, 500), Y = Uniform(-300, 500);
      if (Uniform(0, 1) == 0) {
        const TPoint P = At(Uniform(0, G.Cols() - 1), Uniform(0, G.Rows() - 1));
        X = P.X + Uniform(-6, 6);
        Y = P.Y + Uniform(-6, 6);
      }
      switch (Uniform(0, 9)) {
        case 0:
        case 1:
          Editor.MouseDown(Uniform(0, 4) == 0 ? TEditButton::Right : TEditButton::Left, Shift, X,
                           Y);
          break;
        case 2:
        case 3:
        case 4: Editor.MouseMove(Shift, X, Y); break;
        case 5: Editor.MouseUp(TEditButton::Left, Shift, X, Y); break;
        case 6:
        case 7: {
          uint16_t K = Keys[Uniform(0, 9)];
          Editor.KeyDown(K, Shift);
          break;
        }
        case 8:
          if (Uniform(0, 1) == 0)
            Editor.StartDragDotNear(Uniform(-150, 150), Uniform(-150, 150), X, Y);
          else
            Editor.BeginDotDrag(Uniform(-150, 150), Uniform(-150, 150), X, Y);
          break;
        default:
          if (Uniform(0, 3) == 0)
            Editor.Paint(Canvas);
          else
            Editor.ExpandSelection();
          break;
      }
      ASSERT_EQ(G.Dots.size(), size_t(G.ColCount)) << Step;
      ASSERT_EQ(G.DefaultDots.size(), size_t(G.ColCount)) << Step;
      ASSERT_GE(G.CurCol, -1);
      ASSERT_LT(G.CurCol, G.ColCount);
      ASSERT_GE(G.CurRow, -1);
      ASSERT_LT(G.CurRow, G.RowCount);
      for (int32_t C = 0; C < G.ColCount; ++C) {
        ASSERT_EQ(G.Dots[size_t(C)].size(), size_t(G.RowCount)) << Step;
        for (int32_t R = 0; R < G.RowCount; ++R) {
          const TDotPoint& D = G.Dots[size_t(C)][size_t(R)];
          ASSERT_GE(D.X, G.MinX) << Step << " dot " << C << "," << R;
          ASSERT_LE(D.X, G.MaxX) << Step << " dot " << C << "," << R;
          ASSERT_GE(D.Y, G.MinY) << Step << " dot " << C << "," << R;
          ASSERT_LE(D.Y, G.MaxY) << Step << " dot " << C << "," << R;
          ASSERT_GE(D.Z, -128) << Step;
          ASSERT_LE(D.Z, 128) << Step;
        }
      }
    }
  }
}

}  // namespace
}  // namespace kromel
