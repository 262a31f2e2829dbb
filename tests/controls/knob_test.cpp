#include "controls/knob.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kromel {
namespace {

TEST(Knob, FourHundredPixelDragAndItsEvents) {
  struct TCase {
    int32_t Min, Max, Start, DY;
    int32_t Expected;
  } Cases[] = {
      {0, 200, 0, -200, 100},   {0, 200, 0, -400, 200},  {0, 200, 0, -1000, 200},
      {0, 200, 100, 100, 50},   {-100, 100, 0, -100, 50}, {0, 100, 0, -6, 2},  // 1.5 -> 2
      {0, 100, 0, -2, 0},  // 0.5 -> 0
  };
  for (const TCase& C : Cases) {
    TKnobControl K;
    K.Max = C.Max;
    K.SetMin(C.Min);
    K.SetValue(C.Start);
    int Change = 0, End = 0, Report = 0;
    K.OnChange = [&](void*) { ++Change; };
    K.OnChangeEnd = [&](void*) { ++End; };
    K.OnControllerChange = [&](void*, int32_t, float) { ++Report; };
    K.MouseDown(TPressButton::Left, 0, 30, 300);
    K.MouseMove(70, 300 + C.DY);  // the horizontal position does not matter
    K.MouseUp(TPressButton::Left, 0, 300 + C.DY);
    EXPECT_EQ(K.Value, C.Expected) << C.Min << ".." << C.Max << " from " << C.Start << " by " << C.DY;
    const bool Moved = C.Expected != C.Start;
    EXPECT_EQ(End, Moved ? 1 : 0);
    EXPECT_EQ(Report, End);
    EXPECT_EQ(Change, Moved ? 1 : 0);
  }
}

TEST(Knob, WheelCtrlClickKeysAndControllerValues) {
  TKnobControl K;
  K.Max = 100;
  K.SetValue(50);
  K.MouseWheel(120);
  EXPECT_EQ(K.Value, 50);  // 50.5 to even
  K.SetValue(51);
  K.MouseWheel(120);
  EXPECT_EQ(K.Value, 52);
  K.MouseWheel(-120);
  EXPECT_EQ(K.Value, 52);  // 51.5 to even
  K.MouseWheel(-120);
  EXPECT_EQ(K.Value, 52);  // the same tie again
  K.KeyDown(vkDown);
  EXPECT_EQ(K.Value, 51);

  K.DefaultValue = 30;
  K.KnobDefaultValue2 = 70;
  K.MouseDown(TPressButton::Left, modCtrl, 0, 0);
  EXPECT_EQ(K.Value, 30);
  K.MouseDown(TPressButton::Left, modMeta, 0, 0);
  EXPECT_EQ(K.Value, 70);
  K.MouseDown(TPressButton::Left, modCtrl, 0, 0);
  EXPECT_EQ(K.Value, 30);
  EXPECT_FALSE(K.Dragging);

  TKnobControl R;
  R.Max = 100;
  R.SetMin(-100);
  R.SetControllerValue(16384);
  EXPECT_EQ(R.Value, 0);
  R.SetValue(100);
  EXPECT_EQ(R.GetControllerValue(), 32768);

  // SetMax keeps the pointer's angle.
  TKnobControl M;
  M.SetValue(100);
  M.SetMax(400);
  EXPECT_EQ(M.Value, 200);

  // An empty range freezes the knob.
  TKnobControl E;
  E.Max = 0;
  E.SetValue(5);
  E.SetNormalizedValue(1);
  EXPECT_EQ(E.Value, 0);
  EXPECT_EQ(E.GetNormalizedValue(), 0.0f);

  // Locked: reports and wants the hint, never drags.
  TKnobControl L;
  L.Locked = true;
  int Change = 0;
  L.OnChange = [&](void*) { ++Change; };
  EXPECT_TRUE(L.MouseDown(TPressButton::Left, 0, 0, 0));
  L.MouseMove(0, -300);
  EXPECT_EQ(L.Value, 0);
  EXPECT_EQ(Change, 1);
}

TEST(Knob, PointerStrokes) {
  TKnobControl K;
  K.Max = 100;
  K.SetMin(-100);
  // Mid-range points straight up: the pointer above the centre.
  TKnobStrokes S = K.Strokes(44, 44, false, true);
  // r1 = 13: from centre - 6 * 13 / 5 to centre - 2 * 13 / 5.
  EXPECT_EQ(S[0].From.X, 22);
  EXPECT_EQ(S[0].From.Y, 22 - 15);
  EXPECT_EQ(S[0].To.Y, 22 - 5);
  EXPECT_EQ(S[1].Color, 0xC0C0C0);
  EXPECT_EQ(S[2].Color, 0xFFFFFF);
  EXPECT_EQ(S[3].Mode, TKnobPenMode::Mask);
  EXPECT_EQ(S[7].Mode, TKnobPenMode::Merge);
  // Grip 1 across the centre: r2 = 130, 130 / 10 each side.
  EXPECT_EQ(S[3].From.X, 22 - 13);
  EXPECT_EQ(S[3].To.X, 22 + 13);
  // Min: 135 degrees left of up (lower left); Max: to the right.
  K.SetValue(-100);
  S = K.Strokes(44, 44, false, true);
  EXPECT_LT(S[0].From.X, 22);
  EXPECT_GT(S[0].From.Y, 22);
  EXPECT_EQ(S[0].From.X - 22, -(S[0].From.Y - 22));
  K.SetValue(100);
  S = K.Strokes(44, 44, true, true);
  EXPECT_GT(S[0].From.X, 22);
  EXPECT_GT(S[0].From.Y, 22);
  EXPECT_EQ(S[1].Color, 0x202020 ^ 0x202020);
  EXPECT_EQ(S[2].Color, 0x202020);
  S = K.Strokes(44, 44, false, false);
  EXPECT_EQ(S[1].Color, 0x9F9F9F);
}

}  // namespace
}  // namespace kromel
