#include <gtest/gtest.h>

#include <vector>

#include "controls/multi_value_controls.h"

namespace kromel {
namespace {

// The main window's bar: 329 x 21, three dots on 0..1000, 16-pixel thumbs.
void MainBar(TMultiRangeControl& B) {
  B.SetDotCount(3);
  B.SetMax(1000);
  B.Width = 329;
  B.Height = 21;
  B.ThumbSize = 16;
}

std::vector<int32_t> Dots(const TMultiRangeControl& B) {
  std::vector<int32_t> D;
  for (int32_t I = 0; I < B.DotCount; ++I) D.push_back(B.GetDotPosition(I));
  return D;
}

TEST(MultiRange, ConstrainedPushingWrites) {
  struct TCase {
    int32_t Index, Value;
    std::vector<int32_t> Expected;
  } Cases[] = {
      {2, 50, {49, 49, 50}},     {0, 1000, {998, 999, 999}}, {1, 250, {100, 250, 300}},
      {0, -5, {0, 200, 300}},    {7, 400, {100, 200, 400}},  {-3, 150, {150, 200, 300}},
      {1, 1000, {100, 999, 1000}},
  };
  for (const TCase& C : Cases) {
    TMultiRangeControl B;
    MainBar(B);
    B.SetDotPosition(2, 300);
    B.SetDotPosition(1, 200);
    B.SetDotPosition(0, 100);
    ASSERT_EQ(Dots(B), (std::vector<int32_t>{100, 200, 300}));
    B.SetDotPosition(C.Index, C.Value);
    EXPECT_EQ(Dots(B), C.Expected) << C.Index << " -> " << C.Value;
  }
  TMultiRangeControl B;
  B.SetDotCount(9);
  EXPECT_EQ(B.DotCount, 5);
  EXPECT_EQ(B.ControllersCount, 5);
  B.SetDotCount(0);
  EXPECT_EQ(B.DotCount, 1);
  B.SetMax(0);
  EXPECT_EQ(B.GetControllerValueS(), 0.0f);
  EXPECT_EQ(B.GetDotPositionS(0), 0.0f);

  TMultiRangeControl R;
  R.Reverse = true;
  R.SetSubControllerValueS(1, 0.25f);
  EXPECT_FLOAT_EQ(R.GetSubControllerValueS(1), 0.75f);
}

// A bound array shorter than DotCount (a load resized it) is never written
// past its end, and the dots it has still push each other.
TEST(MultiRange, ShortBoundArrayIsNeverWrittenPastItsEnd) {
  TOwningParameterList List;
  auto* P = new TControlledParameterIntegerArray(&List, "Rings", 5);
  TMultiRangeControl B;
  B.SetDotCount(5);
  B.SetMax(1000);
  B.ConnectToParameter(P);
  P->Values.resize(3);
  P->Values.shrink_to_fit();
  EXPECT_EQ(B.UsableDots(), 3);
  B.SetDotPosition(4, 900);  // acts on the array's last dot
  EXPECT_EQ(P->Values, (std::vector<int32_t>{0, 250, 900}));
  B.SetDotPosition(4, 1000);
  EXPECT_EQ(P->Values[2], 1000);  // limited by the three dots held
  B.SetSubControllerValueS(4, 0.0f);
  EXPECT_EQ(P->Values, (std::vector<int32_t>{0, 1, 2}));
  B.SetDotPositionSSilent(4, 0.5f);
  EXPECT_EQ(P->Values[2], 500);
  EXPECT_EQ(B.GetDotPosition(4), 500);
  ASSERT_EQ(P->Values.size(), 3u);
  B.Width = 200;
  EXPECT_LE(B.FindThumbAt(199), 2);
}

TEST(MultiRange, GeometryAndHitTest) {
  TMultiRangeControl B;
  MainBar(B);
  B.SetDotPosition(2, 1000);
  B.SetDotPosition(1, 500);
  B.SetDotPosition(0, 0);
  TRect Thumb, Rail;
  B.UpdateThumbSize(1, Thumb, Rail);
  EXPECT_EQ(B.TrackLength, 280);
  EXPECT_EQ(Thumb.Left, 140 + 16);
  EXPECT_EQ(Thumb.Right, 172);
  EXPECT_EQ(Thumb.Bottom, 20);
  B.UpdateThumbSize(2, Thumb, Rail);
  EXPECT_EQ(Thumb.Left, 280 + 32);
  EXPECT_EQ(Rail.Right, 329);
  struct TCase {
    int32_t X, Dot;
  } Cases[] = {{8, 0}, {0, 0}, {17, 0}, {18, -1}, {164, 1}, {155, 1}, {154, -1}, {173, 1}, {174, -1}, {320, 2}};
  for (const TCase& C : Cases) EXPECT_EQ(B.FindThumbAt(C.X), C.Dot) << C.X;
}

TEST(MultiRange, DragCtrlClickAndRelease) {
  TMultiRangeControl B;
  MainBar(B);
  B.SetDotPosition(2, 300);
  B.SetDotPosition(1, 200);
  B.SetDotPosition(0, 100);
  int Start = 0, Change = 0, End = 0;
  B.OnChangeStart = [&](void* Sender) {
    EXPECT_EQ(Sender, nullptr);
    ++Start;
  };
  B.OnChange = [&](void*) { ++Change; };
  B.OnChangeEnd = [&](void*) { ++End; };

  // Dot 1 at 200: left edge 56 + 16 = 72; grabbed 5 pixels in.
  B.MouseDown(TPressButton::Left, 0, 77, 10);
  EXPECT_EQ(B.PickedDot, 1);
  EXPECT_TRUE(B.Dragging);
  B.MouseMove(77 + 28, 10);  // 28 pixels = 100 positions
  EXPECT_EQ(B.GetDotPosition(1), 300);
  EXPECT_EQ(B.GetDotPosition(2), 301);  // pushed
  B.MouseUp();
  EXPECT_FALSE(B.Dragging);
  EXPECT_EQ(Start, 1);
  EXPECT_EQ(Change, 1);
  EXPECT_EQ(End, 1);

  // Shift: a tenth of the travel, measured from the press.
  B.MouseDown(TPressButton::Left, modShift, 100, 10);
  B.MouseMove(100, 10);
  EXPECT_EQ(B.GetDotPosition(1), 300);
  B.MouseMove(128, 10);
  EXPECT_EQ(B.GetDotPosition(1), 310);
  B.MouseUp();

  // Ctrl-click on the middle dot: half the range.
  B.MouseDown(TPressButton::Left, modCtrl, 104, 10);
  EXPECT_EQ(B.GetDotPosition(1), 500);
  EXPECT_FALSE(B.Dragging);
  B.MouseUp();
  // A release without a drag still ends the gesture.
  EXPECT_EQ(End, 3);

  // A hidden thumb is still pickable.
  B.DotColors[0] = -1;
  B.MouseDown(TPressButton::Left, 0, 36, 10);
  EXPECT_EQ(B.PickedDot, 0);
  B.MouseUp();
  // An empty range starts no drag.
  TMultiRangeControl E;
  MainBar(E);
  E.SetMax(0);
  E.MouseDown(TPressButton::Left, 0, 8, 10);
  EXPECT_FALSE(E.Dragging);
}

}  // namespace
}  // namespace kromel
