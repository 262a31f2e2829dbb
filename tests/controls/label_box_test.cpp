#include "controls/label_box.h"

#include <gtest/gtest.h>

#include <string>

namespace kromel {
namespace {

struct TEvents {
  int Change = 0, ChangeEnd = 0, Report = 0;
  void Attach(TLabelBoxControl& B) {
    B.OnChange = [this](void*) { ++Change; };
    B.OnChangeEnd = [this](void*) { ++ChangeEnd; };
    B.OnControllerChange = [this](void*, int32_t, float) { ++Report; };
  }
};

TEST(LabelBox, RangeAndNormalisedValue) {
  TLabelBoxControl B;
  EXPECT_EQ(B.Min, 0);
  EXPECT_EQ(B.Max, 200);
  B.SetValue(100);
  B.SetMax(100);  // keeps the relative position
  EXPECT_EQ(B.Value, 50);
  B.SetValue(500);
  EXPECT_EQ(B.Value, 100);

  // An empty range never divides and never changes.
  TLabelBoxControl E;
  E.Max = E.Min = 7;
  E.Value = 7;
  E.SetValue(3);
  E.SetNormalizedValue(0.5f);
  EXPECT_EQ(E.Value, 7);
  EXPECT_EQ(E.GetNormalizedValue(), 0.0f);
  E.SetMax(7);
  EXPECT_EQ(E.Value, 7);

  TLabelBoxControl C;
  C.SetControllerValue(16384);
  EXPECT_EQ(C.Value, 100);
  EXPECT_EQ(C.GetControllerValue(), 16384);
}

// Drags of the whole range: 1000 pixels, 10000 with Shift at the press.
TEST(LabelBox, DragCoversTheRangeInThousandPixelsOrTenThousandFine) {
  struct TCase {
    TChangeDirection Dir;
    TModifiers Shift;
    int32_t DX, DY;
    int32_t Expected;
  } Cases[] = {
      {cdVertical, 0, 0, -1000, 200},
      {cdVertical, 0, 0, -500, 100},
      {cdVertical, 0, 0, 300, 0},
      {cdVertical, modShift, 0, -1000, 20},
      {cdVertical, modShift, 0, -10000, 200},
      {cdHorizontal, 0, 1000, 0, 200},
      {cdHorizontal, 0, 250, 40, 50},
      {cdHorizontalInverted, 0, -1000, 0, 200},
      {cdVerticalInverted, 0, 0, -1000, 0},
  };
  for (const TCase& C : Cases) {
    TLabelBoxControl B;
    B.ChangeDirection = C.Dir;
    TEvents Ev;
    Ev.Attach(B);
    B.MouseDown(TPressButton::Left, C.Shift, 10, 5000);
    B.MouseMove(10 + C.DX / 2, 5000 + C.DY / 2);
    B.MouseUp(TPressButton::Left, 10 + C.DX, 5000 + C.DY);
    EXPECT_EQ(B.Value, C.Expected) << C.Dir << " " << C.DX << "," << C.DY << " shift " << C.Shift;
    EXPECT_EQ(Ev.ChangeEnd, C.Expected != 0 ? 1 : 0);
    EXPECT_EQ(Ev.Report, Ev.ChangeEnd);
  }
  // ChangeSpeed 2 halves the speed; a drag starts from the value it has.
  TLabelBoxControl B;
  B.ChangeSpeed = 2;
  B.SetValue(100);
  B.MouseDown(TPressButton::Left, 0, 0, 0);
  B.MouseUp(TPressButton::Left, 0, -1000);
  EXPECT_EQ(B.Value, 200);
}

TEST(LabelBox, PressReleaseResetAndWheel) {
  TLabelBoxControl B;
  TEvents Ev;
  Ev.Attach(B);
  B.SetValue(60);
  Ev = {};
  Ev.Attach(B);
  B.MouseDown(TPressButton::Left, 0, 4, 4);
  B.MouseUp(TPressButton::Left, 4, 4);
  EXPECT_EQ(Ev.ChangeEnd + Ev.Report, 0);

  B.DefaultValue = 10;
  B.DefaultValue2 = 20;
  B.MouseDown(TPressButton::Right, 0, 0, 0);
  EXPECT_EQ(B.Value, 10);
  B.DblClick();
  EXPECT_EQ(B.Value, 20);
  B.DblClick();
  EXPECT_EQ(B.Value, 10);
  EXPECT_EQ(Ev.ChangeEnd, 3);

  // Wheel: half a percent of the range, rounded halves to even.
  TLabelBoxControl W;
  W.Max = 100;
  W.SetValue(50);
  W.MouseWheel(120);
  EXPECT_EQ(W.Value, 50);  // 50.5 -> 50
  W.SetValue(51);
  W.MouseWheel(120);
  EXPECT_EQ(W.Value, 52);  // 51.5 -> 52
  W.MouseWheel(-120);
  EXPECT_EQ(W.Value, 52);  // 51.5 -> 52
  W.KeyDown(vkDown);
  EXPECT_EQ(W.Value, 51);

  // A locked box reports and wants its hint but does not drag.
  TLabelBoxControl L;
  L.Locked = true;
  TEvents LE;
  LE.Attach(L);
  EXPECT_TRUE(L.MouseDown(TPressButton::Left, 0, 0, 0));
  L.MouseMove(0, -500);
  EXPECT_EQ(L.Value, 0);
  EXPECT_EQ(LE.Report, 1);
  EXPECT_EQ(LE.Change, 1);
}

TEST(PopupEdit, TypedTextToNormalisedMessage) {
  TPopupEditModel E{150, 50, 400};
  struct TCase {
    const char* Text;
    bool Sends;
    int64_t WParam;
  } Cases[] = {
      {"50", true, 0},          {"400", true, 65535},       {"225", true, 32768},
      {"2,5", true, -8894},     {" 125.5 ", true, 14137},   {"1000", true, 177881},
      {"abc", false, 0},        {"", false, 0},             {"1.2.3", false, 0},
      {"1e999", false, 0},      {"+60", true, 1872},
  };
  for (const TCase& C : Cases) {
    int64_t W = -7;
    EXPECT_EQ(E.WParamOfText(C.Text, W), C.Sends) << C.Text;
    if (C.Sends) {
      EXPECT_EQ(W, C.WParam) << C.Text;
    }
  }
  int64_t W = 0;
  EXPECT_FALSE(E.WParamOfText(std::string(256, '1'), W));
  ASSERT_TRUE(E.StartWParam(W));
  EXPECT_EQ(W, 18724);  // (150 - 50) * 65535 / 350
  // An empty range sends nothing.
  TPopupEditModel Empty{3, 3, 3};
  EXPECT_FALSE(Empty.WParamOfText("3", W));
  EXPECT_FALSE(Empty.StartWParam(W));
  EXPECT_EQ(TPopupEditModel::NormalizeText("1,5"), "1.5");
  EXPECT_EQ(TPopupEditModel::InitialText(240), "240");
}

}  // namespace
}  // namespace kromel
