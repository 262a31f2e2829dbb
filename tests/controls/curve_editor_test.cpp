#include "controls/curve_editor.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "params/composite_parameters.h"
#include "platform/canvas.h"

namespace kromel {
namespace {

// A 216 x 216 editor without buttons: graph at (8, 8), 200 x 200.
class CurveEditorTest : public ::testing::Test {
protected:
  void SetUp() override {
    Editor.SetNumberOfButtons(0);
    Editor.SetSize(216, 216);
    Editor.OnChange = [this](void*) { ++Changes; };
    Editor.OnChangeEnd = [this](void*) { ++Ends; };
  }
  TEnvelopeDots& Curve() { return *Editor.CurrentDots; }
  void SetDots(const std::vector<std::pair<int32_t, int32_t>>& Dots) {
    Curve().NumDots = int32_t(Dots.size());
    for (size_t I = 0; I < Dots.size(); ++I)
      Curve().Dot(int32_t(I)) = {Dots[I].first, Dots[I].second, 0};
    Curve().CalcSpline();
  }
  int32_t PX(int32_t I) { return Editor.CurveToPixelX(Curve().Dot(I).X); }
  int32_t PY(int32_t I) { return Editor.CurveToPixelY(Curve().Dot(I).Y); }
  void Drag(int32_t Index, int32_t ToX, int32_t ToY, uint32_t Shift = 0) {
    Editor.MouseDown(TEditButton::Left, Shift, PX(Index), PY(Index));
    Editor.MouseMove(Shift, ToX, ToY);
  }

  TCurveEditor Editor;
  int Changes = 0;
  int Ends = 0;
};

TEST_F(CurveEditorTest, MappingUnipolarAndBipolar) {
  EXPECT_EQ(Editor.GraphLeft, 8);
  EXPECT_EQ(Editor.GraphTop, 8);
  EXPECT_EQ(Editor.GraphWidth, 200);
  EXPECT_EQ(Editor.GraphHeight, 200);
  struct TCase {
    bool Bipolar;
    int32_t Y, Row;
  };
  const TCase Cases[] = {
      {false, 32767, 9}, {false, 0, 208},  {false, 16384, 108},
      {true, 0, 108},    {true, 32767, 9}, {true, -32767, 207},
  };
  for (const TCase& C : Cases) {
    Editor.SetBipolar(C.Bipolar);
    EXPECT_EQ(Editor.Scale(), C.Bipolar ? 65536 : 32768);
    EXPECT_EQ(Editor.CurveToPixelY(C.Y), C.Row) << C.Bipolar << " " << C.Y;
  }
  Editor.SetBipolar(false);
  EXPECT_EQ(Editor.CurveToPixelX(0), 8);
  EXPECT_EQ(Editor.CurveToPixelX(16384), 208);
  EXPECT_EQ(Editor.PixelToCurveX(108), 8192);
  EXPECT_EQ(Editor.PixelToCurveX(0), -655);
  EXPECT_EQ(Editor.PixelToCurveY(108), 16384);
  EXPECT_EQ(Editor.PixelToCurveY(8), 32768);
  Editor.SetBipolar(true);
  EXPECT_EQ(Editor.PixelToCurveY(208), -32768);
  EXPECT_EQ(Editor.PixelToCurveY(109), -327);
}

TEST_F(CurveEditorTest, DotsAreDrawnOneRowBelowTheirHitRow) {
  Editor.SetBipolar(false);
  Editor.BoldLines = false;
  SetDots({{0, 20000}, {5000, 20000}, {16384, 20000}});
  Curve().Smooth = 0;
  ASSERT_EQ(PY(1), 86);
  TRawBitmap Bitmap(216, 216, pf32bit);
  TCanvas Canvas(Bitmap);
  Editor.DrawGraph(Canvas);
  const int32_t X = PX(1);
  ASSERT_EQ(X, 69);
  // The dot square spans rows 84..89 around row 87, not 83..88 around 86.
  EXPECT_EQ(Canvas.Pixel(X, 89), 0xFFFFFFu);
  EXPECT_EQ(Canvas.Pixel(X, 83), Editor.Color);
  // Straight segments are drawn on the dot rows too.
  EXPECT_EQ(Canvas.Pixel(20, 87), 0u);
  EXPECT_EQ(Canvas.Pixel(20, 86), Editor.Color);
}

TEST_F(CurveEditorTest, PaintNeverChangesACurve) {
  TRawBitmap Bitmap(216, 216, pf32bit);
  TCanvas Canvas(Bitmap);
  const std::vector<std::vector<std::pair<int32_t, int32_t>>> Odd = {
      {}, {{500, 700}}, {{0, 100}, {0, 200}}};
  for (const auto& Dots : Odd) {
    SetDots(Dots);
    Changes = 0;
    Editor.Focused = true;
    Editor.DrawGraph(Canvas);
    EXPECT_EQ(Curve().NumDots, int32_t(Dots.size()));
    for (size_t I = 0; I < Dots.size(); ++I) EXPECT_EQ(Curve().Dot(int32_t(I)).Y, Dots[I].second);
    EXPECT_EQ(Changes, 0);
  }
}

TEST_F(CurveEditorTest, HitTestTiesGoToTheLaterDotWithinElevenPixels) {
  Editor.SetBipolar(false);
  SetDots({{0, 0}, {4260, 16384}, {4588, 16384}, {16384, 0}});
  ASSERT_EQ(PX(1), 60);
  ASSERT_EQ(PX(2), 64);
  EXPECT_EQ(Editor.FindDotAt(62, PY(1)), 2);
  EXPECT_EQ(Editor.FindDotAt(61, PY(1)), 1);
  EXPECT_EQ(Editor.FindDotAt(60 - 11, PY(1)), 1);
  EXPECT_EQ(Editor.FindDotAt(60 - 6, PY(1) + 6), -1);
  EXPECT_EQ(Editor.FindDotAt(60 - 12, PY(1)), -1);
}

TEST_F(CurveEditorTest, DragLimitsDeletionAndZeroSnap) {
  Editor.SetBipolar(false);
  SetDots({{0, 0}, {4000, 10000}, {8000, 12000}, {16384, 32767}});
  // An inner dot stops one unit short of its neighbours.
  Drag(1, 190, 50);
  EXPECT_EQ(Curve().Dot(1).X, 7999);
  Editor.MouseMove(0, 0, 50);
  EXPECT_EQ(Curve().Dot(1).X, 1);
  Editor.MouseUp(TEditButton::Left, 0, 0, 50);
  // An end dot dragged far out stays, limited to the range.
  Drag(3, 2000, -3000);
  EXPECT_EQ(Curve().NumDots, 4);
  EXPECT_EQ(Curve().Dot(3).X, 16384);
  EXPECT_EQ(Curve().Dot(3).Y, 32767);
  Editor.MouseUp(TEditButton::Left, 0, 0, 0);
  // Past the thresholds an inner dot is deleted, once.
  struct TCase {
    int32_t X, Y;
    bool Deleted;
  };
  const TCase Cases[] = {
      {8 - 101, 100, true},     // x < -8192
      {8 - 99, 100, false},     //
      {208 + 101, 100, true},   // x > 24576
      {100, 8 - 106, true},     // y > 50000
      {100, 8 - 104, false},    //
      {100, 208 + 306, true},   // y < -50000
      {100, 208 + 304, false},  //
  };
  for (const TCase& C : Cases) {
    SetDots({{0, 0}, {4000, 10000}, {8000, 12000}, {16384, 32767}});
    Changes = Ends = 0;
    Drag(1, C.X, C.Y);
    EXPECT_EQ(Curve().NumDots, C.Deleted ? 3 : 4) << C.X << "," << C.Y;
    if (C.Deleted) {
      EXPECT_EQ(Ends, 1);
      EXPECT_EQ(Curve().SelectedDot, -1);
      Editor.MouseMove(0, 100, 100);
      EXPECT_EQ(Curve().NumDots, 3);
    }
    Editor.MouseUp(TEditButton::Left, 0, 0, 0);
  }
  // Release 3 pixels above the zero line snaps (131072 div 200 = 655); 5 does not.
  for (int32_t Above : {3, 5}) {
    SetDots({{0, 0}, {4000, 10000}, {16384, 32767}});
    Drag(1, PX(1), 208 - Above);
    Editor.MouseUp(TEditButton::Left, 0, PX(1), 208 - Above);
    EXPECT_EQ(Curve().Dot(1).Y, Above == 3 ? 0 : 819) << Above;
  }
}

TEST_F(CurveEditorTest, PressAddsADotUnlessTheCurveIsFull) {
  Editor.SetBipolar(false);
  SetDots({{0, 0}, {16384, 32767}});
  Ends = 0;
  Editor.MouseDown(TEditButton::Left, 0, 108, 108);
  EXPECT_EQ(Curve().NumDots, 3);
  EXPECT_EQ(Curve().SelectedDot, 1);
  EXPECT_TRUE(Editor.Dragging());
  Editor.MouseUp(TEditButton::Left, 0, 108, 108);
  std::vector<std::pair<int32_t, int32_t>> Full;
  for (int32_t I = 0; I < EnvelopeMaxDots; ++I) Full.push_back({I * 126, 100});
  SetDots(Full);
  Editor.MouseDown(TEditButton::Left, 0, 200, 30);
  EXPECT_EQ(Curve().NumDots, EnvelopeMaxDots);
  // Right-click deletes only while more than two dots remain.
  SetDots({{0, 0}, {16384, 32767}});
  Editor.MouseDown(TEditButton::Right, 0, PX(0), PY(0));
  EXPECT_EQ(Curve().NumDots, 2);
  EXPECT_EQ(Curve().SelectedDot, 0);
  Editor.MouseDown(TEditButton::Right, 0, 100, 30);
  EXPECT_EQ(Curve().SelectedDot, -1);
  SetDots({{0, 0}, {8000, 100}, {16384, 32767}});
  Editor.MouseDown(TEditButton::Right, 0, PX(0), PY(0));
  EXPECT_EQ(Curve().NumDots, 2);
  EXPECT_EQ(Curve().Dot(0).X, 8000);
}

TEST_F(CurveEditorTest, TheSixOperations) {
  struct TCase {
    TCurveOperation Operation;
    std::vector<std::pair<int32_t, int32_t>> Before, After;
  };
  const TCase Cases[] = {
      {TCurveOperation::Reset, {{0, 5}, {100, 6}, {16384, 7}}, {{0, 0}, {16384, 0}}},
      {TCurveOperation::Invert,
       {{0, 5}, {100, -6}, {16384, 32767}},
       {{0, -5}, {100, 6}, {16384, -32767}}},
      {TCurveOperation::Reverse,
       {{0, 5}, {100, 6}, {16000, 7}},
       {{384, 7}, {16284, 6}, {16384, 5}}},
      {TCurveOperation::FadeIn,
       {{0, 16384}, {8192, 16384}, {16384, 16384}},
       {{0, 0}, {8192, 8192}, {16384, 16384}}},
      {TCurveOperation::FadeOut,
       {{0, 16384}, {8192, 16384}, {16384, 16384}},
       {{0, 16384}, {8192, 8192}, {16384, 0}}},
      // The halves meet at 8192: the second one starts a unit later.
      {TCurveOperation::Double, {{0, 1}, {16384, 2}}, {{0, 1}, {8192, 2}, {8193, 1}, {16384, 2}}},
      {TCurveOperation::Double,
       {{0, 1}, {101, 2}, {102, 3}, {16384, 4}},
       {{0, 1}, {50, 2}, {51, 3}, {8192, 4}, {8193, 1}, {8242, 2}, {8243, 3}, {16384, 4}}},
  };
  Editor.SetBipolar(true);
  for (const TCase& C : Cases) {
    SetDots(C.Before);
    Changes = 0;
    Editor.PopupMenuClick(int32_t(C.Operation));
    EXPECT_EQ(Changes, 1);
    ASSERT_EQ(Curve().NumDots, int32_t(C.After.size())) << int(C.Operation);
    for (size_t I = 0; I < C.After.size(); ++I) {
      EXPECT_EQ(Curve().Dot(int32_t(I)).X, C.After[I].first) << int(C.Operation) << " " << I;
      EXPECT_EQ(Curve().Dot(int32_t(I)).Y, C.After[I].second) << int(C.Operation) << " " << I;
    }
  }
  // Double stops at the model's capacity: 65 dots double, 66 do not.
  for (int32_t N : {65, 66}) {
    std::vector<std::pair<int32_t, int32_t>> Dots;
    for (int32_t I = 0; I < N; ++I) Dots.push_back({I * 16384 / (N - 1), I});
    SetDots(Dots);
    Editor.Operate(TCurveOperation::Double);
    EXPECT_EQ(Curve().NumDots, N == 65 ? 130 : 66);
  }
  // A unipolar curve keeps inverted values at 0 or above.
  Editor.SetBipolar(false);
  SetDots({{0, 5}, {16384, 7}});
  Editor.Operate(TCurveOperation::Invert);
  EXPECT_EQ(Curve().Dot(1).Y, 0);
}

TEST_F(CurveEditorTest, ButtonsFollowTheirCountAndPolarity) {
  Editor.SetNumberOfButtons(3);
  Editor.SetBipolar(false);
  ASSERT_EQ(Editor.Buttons().size(), 2u);
  EXPECT_EQ(Editor.Buttons()[0].Caption, "Reset");
  EXPECT_EQ(Editor.Buttons()[0].Top, 8);
  EXPECT_EQ(Editor.Buttons()[1].Caption, "Reverse");
  EXPECT_EQ(Editor.Buttons()[1].Top, 32);
  Editor.SetNumberOfButtons(6);
  Editor.SetBipolar(true);
  ASSERT_EQ(Editor.Buttons().size(), 6u);
  EXPECT_EQ(Editor.Buttons()[5].Caption, "Double!");
  EXPECT_EQ(Editor.Buttons()[5].Top, 128);
  Editor.SetSize(216, 216);
  EXPECT_EQ(Editor.GraphLeft, 64);
  EXPECT_EQ(Editor.GraphWidth, 144);
}

TEST_F(CurveEditorTest, KeysAndWheelKeepTheCurveRange) {
  struct TCase {
    bool Bipolar;
    uint16_t Key;
    int32_t Y, ExpectedY;
  };
  const TCase Cases[] = {
      {false, EditKey::Up, 32740, 32767},    {false, EditKey::Down, 30, 0},
      {true, EditKey::Down, -32740, -32767}, {true, EditKey::Down, -100, -150},
      {true, EditKey::Up, -100, -50},
  };
  for (const TCase& C : Cases) {
    Editor.SetBipolar(C.Bipolar);
    SetDots({{0, 0}, {8000, C.Y}, {16384, 0}});
    Curve().SelectedDot = 1;
    uint16_t Key = C.Key;
    EXPECT_TRUE(Editor.KeyDown(Key, 0));
    EXPECT_EQ(Key, 0);
    EXPECT_EQ(Curve().Dot(1).Y, C.ExpectedY) << C.Bipolar << " " << C.Y;
  }
  // Left stops 10 units right of the previous dot.
  SetDots({{100, 0}, {130, 5}, {16384, 0}});
  Curve().SelectedDot = 1;
  uint16_t Key = EditKey::Left;
  Editor.KeyDown(Key, 0);
  EXPECT_EQ(Curve().Dot(1).X, 110);
  // Neighbours closer than twice the gap: the dot stays between them.
  SetDots({{100, 0}, {105, 5}, {108, 0}});
  Curve().SelectedDot = 1;
  Key = EditKey::Right;
  Editor.KeyDown(Key, 0);
  EXPECT_GT(Curve().Dot(1).X, 100);
  EXPECT_LT(Curve().Dot(1).X, 108);
  // Keypad + and - walk the selection inside the curve.
  Key = EditKey::Add;
  Editor.KeyDown(Key, 0);
  Key = EditKey::Add;
  Editor.KeyDown(Key, 0);
  EXPECT_EQ(Curve().SelectedDot, 2);
  Key = 'A';
  EXPECT_FALSE(Editor.KeyDown(Key, 0));
  // The wheel: by the curve's range as well.
  for (bool Bipolar : {false, true}) {
    Editor.SetBipolar(Bipolar);
    SetDots({{0, 0}, {8000, 100}, {16384, 0}});
    Editor.MouseWheel(0, -500, PX(1), PY(1));
    EXPECT_EQ(Curve().Dot(1).Y, Bipolar ? -400 : 0);
    Editor.MouseWheel(0, 40000, PX(1), PY(1));
    EXPECT_EQ(Curve().Dot(1).Y, 32767);
  }
}

TEST_F(CurveEditorTest, ValueEditsShowAndSetTheSelectedDot) {
  Editor.SetBipolar(false);
  SetDots({{0, 0}, {8192, 16384}, {10000, 20000}, {16384, 32767}});
  Curve().SelectedDot = 1;
  uint16_t Key = EditKey::Return;
  Editor.KeyDown(Key, 0);
  EXPECT_TRUE(Editor.PositionEdit.Visible);
  EXPECT_TRUE(Editor.ValueEdit.Enabled);
  EXPECT_EQ(Editor.PositionEdit.Text, "128");
  EXPECT_EQ(Editor.ValueEdit.Text, "128");
  // Position 200 would pass dot 2 at 10000: it stops a unit short.
  Editor.SetEditText(true, "200");
  EXPECT_EQ(Curve().Dot(1).X, 9999);
  Editor.SetEditText(true, "40");
  EXPECT_EQ(Curve().Dot(1).X, 2570);
  Editor.SetEditText(false, "999");
  EXPECT_EQ(Curve().Dot(1).Y, 32767);
  Editor.SetEditText(false, "200");
  Key = EditKey::Down;
  Editor.EditKeyDown(false, Key);
  EXPECT_EQ(Key, 0);
  EXPECT_EQ(Editor.ValueEdit.Text, "199");
  EXPECT_EQ(Curve().Dot(1).Y, (199 * 32767 + 127) / 255);
  // The last dot reaches 16384.
  Curve().SelectedDot = 3;
  Editor.SetEditText(true, "255");
  EXPECT_EQ(Curve().Dot(3).X, 16384);
  Key = EditKey::Return;
  Editor.EditKeyDown(true, Key);
  EXPECT_FALSE(Editor.PositionEdit.Visible);
  // Nothing selected: empty, disabled edits that change nothing.
  Curve().SelectedDot = -1;
  Editor.UpdateValueEdits();
  EXPECT_EQ(Editor.PositionEdit.Text, "");
  EXPECT_FALSE(Editor.PositionEdit.Enabled);
}

TEST_F(CurveEditorTest, StartDragDotKeepsTheDotUnderThePointersTravel) {
  Editor.SetBipolar(false);
  SetDots({{0, 0}, {8192, 16384}, {16384, 32767}});
  Editor.StartDragDot(7, 500, 600);
  EXPECT_EQ(Curve().SelectedDot, 2);
  Editor.StartDragDot(1, 500, 600);
  EXPECT_TRUE(Editor.Dragging());
  EXPECT_EQ(Editor.DragOffsetX(), 108 - 500);
  EXPECT_EQ(Editor.DragOffsetY(), 108 - 600);
  Changes = 0;
  Editor.MouseMove(0, 510, 580);
  EXPECT_EQ(Curve().Dot(1).X, Editor.PixelToCurveX(118));
  EXPECT_EQ(Curve().Dot(1).Y, Editor.PixelToCurveY(88));
  EXPECT_EQ(Changes, 1);
}

TEST(CurveEditor, BoundSlotsEditTheParameter) {
  TControlledParameterCurve Parameter(nullptr, "Red", cdtDiagonal);
  TCurveEditor Editor;
  Editor.ConnectToParameter(0, &Parameter);
  EXPECT_EQ(Editor.CurrentDots, &Parameter.Curve);
  int Repaints = 0;
  Editor.OnInvalidate = [&] { ++Repaints; };
  Parameter.Curve.AllowNegative = false;
  Editor.Operate(TCurveOperation::FadeOut);
  EXPECT_EQ(Parameter.Curve.Dot(1).Y, 0);
  Repaints = 0;
  Parameter.OnChange(&Parameter);
  EXPECT_EQ(Repaints, 1);
  Editor.SetCurrentEnvelope(7);
  EXPECT_EQ(Editor.CurrentEnvelope(), 0);
}

// Random presses, drags, releases, wheel steps, keys, edits and operations
// never break the curve: 2..131 dots, strictly ascending X in 0..16384, Y in
// the curve's range.
TEST_F(CurveEditorTest, RandomInputKeepsTheCurveSound) {
  for (bool Bipolar : {false, true}) {
    Editor.SetBipolar(Bipolar);
    std::mt19937 Random(Bipolar ? 4811 : 4812);
    const auto Uniform = [&](int32_t Lo, int32_t Hi) {
      return std::uniform_int_distribution<int32_t>(Lo, Hi)(Random);
    };
    const uint16_t Keys[] = {EditKey::Up,  EditKey::Down,     EditKey::Left,  EditKey::Right,
                             EditKey::Add, EditKey::Subtract, EditKey::Return};
    const uint32_t Shifts[] = {
        0, 0, 0, EditShift::Alt, EditShift::Shift, EditShift::Shift | EditShift::Ctrl};
    const int32_t Floor = Bipolar ? -EnvelopeMaxY : 0;
    for (int32_t Step = 0; Step < 10000; ++Step) {
      const int32_t X = Uniform(-400, 600), Y = Uniform(-500, 700);
      const uint32_t Shift = Shifts[Uniform(0, 5)];
      switch (Uniform(0, 11)) {
        case 0:
        case 1:
          Editor.MouseDown(Uniform(0, 4) == 0 ? TEditButton::Right : TEditButton::Left, Shift,
                           X / 2, Y / 2);
          break;
        case 2:
        case 3:
        case 4: Editor.MouseMove(Shift, X, Y); break;
        case 5: Editor.MouseUp(TEditButton::Left, Shift, X, Y); break;
        case 6:
          Editor.MouseWheel(Shift, Uniform(-3, 3) * 120 * Uniform(1, 100), X / 2, Y / 2);
          break;
        case 7: {
          uint16_t Key = Keys[Uniform(0, 6)];
          Editor.KeyDown(Key, Shift);
          break;
        }
        case 8: Editor.PopupMenuClick(Uniform(0, 12) == 0 ? 9 : Uniform(0, 5)); break;
        case 9: Editor.SetEditText(Uniform(0, 1) == 0, std::to_string(Uniform(-20, 300))); break;
        case 10: Editor.StartDragDot(Uniform(-2, 140), X, Y); break;
        default: {
          uint16_t Key = Keys[Uniform(0, 6)];
          Editor.EditKeyDown(Uniform(0, 1) == 0, Key);
          break;
        }
      }
      const TEnvelopeDots& C = Curve();
      ASSERT_GE(C.NumDots, 2) << Step;
      ASSERT_LE(C.NumDots, EnvelopeMaxDots) << Step;
      for (int32_t I = 0; I < C.NumDots; ++I) {
        ASSERT_GE(C.Dot(I).X, 0) << Step;
        ASSERT_LE(C.Dot(I).X, EnvelopeMaxX) << Step;
        ASSERT_GE(C.Dot(I).Y, Floor) << Step;
        ASSERT_LE(C.Dot(I).Y, EnvelopeMaxY) << Step;
        if (I > 0) ASSERT_LT(C.Dot(I - 1).X, C.Dot(I).X) << Step << " dot " << I;
      }
    }
  }
}

}  // namespace
}  // namespace kromel
