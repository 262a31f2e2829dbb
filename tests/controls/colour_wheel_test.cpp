#include <gtest/gtest.h>

#include "controls/multi_value_controls.h"

namespace kromel {
namespace {

// The main window's wheels: 81 x 65, range +-100, zoom 200, a caption.
void MainWheel(TColorWheelControl& W) {
  W.Caption = "Gain";
  W.SetMinX(-100);
  W.SetMaxX(100);
  W.SetMinY(-100);
  W.SetMaxY(100);
  W.SetBounds(81, 65);
}

TEST(ColorWheel, MainWindowMapping) {
  TColorWheelControl W;
  MainWheel(W);
  EXPECT_EQ(W.ZoomX, 200);
  EXPECT_EQ(W.DrawWidth, 81);
  EXPECT_EQ(W.DrawHeight, 50);
  EXPECT_EQ(W.ZeroX, 40);
  EXPECT_EQ(W.ZeroY, 40);
  struct TCase {
    int32_t X, Y, PX, PY;
  } Cases[] = {{0, 0, 40, 24}, {100, 100, 80, -1}, {-100, -100, 0, 49}, {50, -50, 60, 36}};
  for (const TCase& C : Cases) {
    const TPoint P = W.Calibrate(C.X, C.Y, true);
    EXPECT_EQ(P.X, C.PX) << C.X << "," << C.Y;
    EXPECT_EQ(P.Y, C.PY) << C.X << "," << C.Y;
  }
  const TPoint V = W.Calibrate(40, 24, false);
  EXPECT_EQ(V.X, 1);
  EXPECT_EQ(V.Y, 0);
  // Without a caption the whole height draws.
  TColorWheelControl N;
  N.SetMinX(-100);
  N.SetMinY(-100);
  N.SetBounds(81, 65);
  EXPECT_EQ(N.DrawHeight, 65);
  EXPECT_EQ(N.ZeroY, 32);
  // Sizes the caption uses up give (0, 0) instead of dividing by zero.
  TColorWheelControl Z;
  Z.Caption = "x";
  Z.SetBounds(0, 15);
  EXPECT_EQ(Z.Calibrate(5, 5, false).X, 0);
  Z.SetBounds(20, 15);
  EXPECT_EQ(Z.Calibrate(5, 5, false).Y, 0);
  // An empty range: nothing divides by it.
  TColorWheelControl E;
  E.SetMaxX(-100);
  E.SetBounds(81, 65);
  EXPECT_EQ(E.ZeroX, 0);
  EXPECT_EQ(E.Calibrate(10, 10, true).X, 0);
  EXPECT_EQ(E.GetSubControllerValueS(0), 0.0f);
  E.MouseDown(TPressButton::Left, 0, 10, 10);
  E.MouseMove(0, 30, 30);
  EXPECT_EQ(E.Dot->X, -100);
}

TEST(ColorWheel, DragClampsBrightnessDragAndDoubleClickResets) {
  TColorWheelControl W;
  MainWheel(W);
  int Start = 0, Change = 0, End = 0;
  W.OnChangeStart = [&](void*) { ++Start; };
  W.OnChange = [&](void*) { ++Change; };
  W.OnChangeEnd = [&](void*) { ++End; };
  // The press does not move the dot; the first move does.
  W.MouseDown(TPressButton::Left, 0, 60, 36);
  EXPECT_EQ(W.Dot->X, 0);
  W.MouseMove(0, 60, 36);
  EXPECT_EQ(W.Dot->X, 50);
  EXPECT_EQ(W.Dot->Y, -48);
  W.MouseMove(0, 500, -300);  // past the edge: the range ends
  EXPECT_EQ(W.Dot->X, 100);
  EXPECT_EQ(W.Dot->Y, 100);
  W.MouseUp();
  EXPECT_EQ(Start, 1);
  EXPECT_EQ(Change, 3);  // two moves, and one after OnChangeEnd
  EXPECT_EQ(End, 1);

  // Shift: one brightness unit per pixel upwards, limited to 128.
  W.MouseDown(TPressButton::Left, modShift, 40, 400);
  W.MouseMove(modShift, 40, 399);  // the first move takes the keys again
  W.MouseMove(modShift, 40, 99);
  EXPECT_EQ(W.Dot->Brightness, 128);
  EXPECT_EQ(W.Dot->X, 100);  // the dot stays
  EXPECT_EQ(W.DotFillColor(), 0xFFFFFF);
  W.MouseUp();
  W.Dot->Brightness = -20;
  EXPECT_EQ(W.DotFillColor(), 108 * 0x010101);

  // Shift double click: the brightness only; double click: everything.
  End = 0;
  W.MouseDown(TPressButton::Left, modShift | modDouble, 10, 10);
  EXPECT_EQ(W.Dot->Brightness, 0);
  EXPECT_EQ(W.Dot->X, 100);
  W.MouseUp();
  W.Dot->Brightness = 9;
  W.MouseDown(TPressButton::Left, modDouble, 10, 10);
  EXPECT_TRUE(W.IsZero());
  EXPECT_FALSE(W.Dragging);
  W.MouseUp();
  EXPECT_EQ(End, 2);

  // Alt: no drag.
  W.MouseDown(TPressButton::Left, modAlt, 10, 10);
  W.MouseMove(modAlt, 70, 10);
  EXPECT_TRUE(W.IsZero());
  W.MouseUp();

  // ShowValues: y / 327.67 with one decimal.
  W.ShowValues = true;
  W.MouseDown(TPressButton::Left, 0, 40, 0);
  EXPECT_TRUE(W.MouseMove(0, 40, 0));
  EXPECT_EQ(W.Hint, "0.3");  // y 96
}

TEST(ColorWheel, KeysSubValuesRandomAndRulers) {
  TColorWheelControl W;
  MainWheel(W);
  int Step = 0;
  W.OnChangeStep = [&](void*) { ++Step; };
  W.KeyDown(vkRight, 0);
  W.KeyDown(vkUp, modShift);
  W.KeyDown(vkAdd, modCtrl);  // keypad + with Ctrl: nothing
  W.KeyDown(vkAdd, modShift);
  EXPECT_FALSE(W.KeyDown(vkLeft, modAlt));
  EXPECT_EQ(W.Dot->X, 10);
  EXPECT_EQ(W.Dot->Y, 1);
  EXPECT_EQ(W.Dot->Brightness, 1);
  EXPECT_EQ(Step, 3);
  for (int I = 0; I < 30; ++I) W.KeyDown(vkDown, 0);
  EXPECT_EQ(W.Dot->Y, -100);

  W.SetSubControllerValueS(2, 0.5f);
  EXPECT_EQ(W.Dot->Brightness, 0);
  W.SetSubControllerValueS(0, 1.0f);
  EXPECT_EQ(W.Dot->X, 100);
  W.SetSubControllerValueS(0, 1.5f);
  EXPECT_EQ(W.Dot->X, 200);
  EXPECT_FLOAT_EQ(W.GetSubControllerValueS(1), 0.0f);

  int32_t Next = 0;
  W.Randomize([&](int32_t N) { return Next++ == 0 ? 0 : N - 1; });
  EXPECT_EQ(W.Dot->X, -50);
  EXPECT_EQ(W.Dot->Y, 49);

  const auto L = W.RulerLines();
  ASSERT_EQ(L.size(), 6u);
  EXPECT_EQ(L[0].first.Y, 24);  // y = 0
  EXPECT_EQ(L[0].first.X, 0);
  EXPECT_EQ(L[0].second.X, 80);
  EXPECT_EQ(L[1].first.X, 40);  // x = 0
  W.RulerShowCenter = false;
  W.RulerShowDiagonal = true;
  EXPECT_EQ(W.RulerLines().size(), 2u);
}

}  // namespace
}  // namespace kromel
