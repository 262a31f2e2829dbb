#include <gtest/gtest.h>

#include <string>

#include "controls/scroll_bar_controls.h"
#include "params/parameters.h"

namespace kromel {
namespace {

// A horizontal bar Width pixels wide with a thumb picture ThumbLength long.
void Shape(TScrollBarControl& B, int32_t Width, int32_t ThumbLength, bool Buttons) {
  B.Width = Width;
  B.Height = 16;
  B.ThumbPictureWidth = ThumbLength;
  B.ThumbPictureHeight = 16;
  B.HasButtons = Buttons;
}

TEST(GlyphScrollBar, ShownValueNormalisationAndRange) {
  TScrollBarControl B;
  B.SetMin(-100);
  B.Reverse = true;
  B.SetPosition(-100);
  EXPECT_EQ(B.GetDisplayPosition(), 100);
  EXPECT_EQ(B.GetControllerValueS(), 1.0f);
  B.SetPosition(0);
  EXPECT_EQ(B.GetControllerValueS(), 0.5f);

  for (bool Reverse : {false, true}) {
    TScrollBarControl S;
    S.Reverse = Reverse;
    S.SetMax(3);
    S.SetSPosition(0.5f);
    EXPECT_EQ(S.Position, 2) << Reverse;
  }
  TScrollBarControl M;
  M.SetMax(-5);
  EXPECT_EQ(M.Min, -5);
  EXPECT_EQ(M.Position, -5);
}

TEST(GlyphScrollBar, LayoutOfBothOrientations) {
  TScrollBarControl H;
  Shape(H, 200, 20, true);
  H.SetPosition(50);
  TScrollBarLayout L = H.CalcLayout();
  EXPECT_EQ(H.ThumbSize, 20);
  // Travel 200 - 32 - 20 = 148; 50 * 148 / 100 + 16.
  EXPECT_EQ(L.Thumb.Left, 90);
  EXPECT_EQ(L.Thumb.Right, 110);
  EXPECT_EQ(L.Rail.Left, 16);
  EXPECT_EQ(L.Rail.Right, 184);
  EXPECT_EQ(L.Button2.Left, 184);

  TScrollBarControl V;
  V.Vertical = true;
  V.Width = 16;
  V.Height = 200;
  V.ThumbPictureWidth = 16;
  V.ThumbPictureHeight = 20;
  V.ShadowSize = 2;
  V.SetPosition(50);
  L = V.CalcLayout();
  EXPECT_EQ(L.Thumb.Top, 89);  // 50 * 146 / 100 + 16
  EXPECT_EQ(L.Thumb.Bottom, 109);
  EXPECT_EQ(L.Rail.Top, 16);
  EXPECT_EQ(L.Rail.Bottom, 184);

  // Stretched: the thumb stands for ThumbArea of the range.
  TScrollBarControl S;
  Shape(S, 200, 20, false);
  S.Stretched = true;
  S.ThumbArea = 25;
  S.CalcLayout();
  EXPECT_EQ(S.ThumbWidth, 50);
  // An empty range puts the thumb at the track's start.
  TScrollBarControl E;
  Shape(E, 200, 20, true);
  E.SetMax(0);
  EXPECT_EQ(E.CalcLayout().Thumb.Left, 16);
  EXPECT_EQ(E.GetControllerValueS(), 0.0f);
}

TEST(GlyphScrollBar, ThumbDragFollowsThePointerAndShiftIsTenTimesFiner) {
  TScrollBarControl B;
  Shape(B, 200, 48, false);
  int Start = 0, End = 0;
  B.OnChangeStart = [&](void* Sender) {
    EXPECT_EQ(Sender, nullptr);
    ++Start;
  };
  B.OnChangeEnd = [&](void*) { ++End; };
  // Grabbed 10 pixels into the thumb; the track is 152 pixels.
  B.MouseDown(TPressButton::Left, 0, 10, 8);
  EXPECT_TRUE(B.Dragging);
  B.MouseMove(86, 8);
  EXPECT_EQ(B.Position, 50);
  B.MouseMove(400, 8);
  EXPECT_EQ(B.Position, 100);
  B.MouseUp();
  EXPECT_FALSE(B.Dragging);
  EXPECT_EQ(Start, 1);
  EXPECT_EQ(End, 1);

  TScrollBarControl F;
  Shape(F, 200, 48, false);
  F.MouseDown(TPressButton::Left, modShift, 20, 8);
  F.MouseMove(20 + 152, 8);
  EXPECT_EQ(F.Position, 10);
  F.MouseMove(20 + 75, 8);
  EXPECT_EQ(F.Position, 4);  // 100 * 75 div 152 = 49, div 10
  F.MouseUp();
  // A release without movement still ends the gesture.
  B.MouseDown(TPressButton::Left, 0, 300, 8);
  B.MouseUp();
  EXPECT_EQ(End, 2);
}

TEST(GlyphScrollBar, PagingButtonsDefaultsAndEmptyRange) {
  TScrollBarControl B;
  Shape(B, 200, 20, false);
  B.SetPosition(50);  // thumb 90..110
  B.MouseDown(TPressButton::Left, 0, 30, 8);
  EXPECT_EQ(B.Position, 46);
  EXPECT_FALSE(B.Dragging);
  B.MouseUp();
  B.MouseDown(TPressButton::Left, 0, 190, 8);
  EXPECT_EQ(B.Position, 50);
  B.MouseUp();
  // The pixel just left of the thumb starts a drag and pages.
  const TScrollBarLayout L = B.CalcLayout();
  B.MouseDown(TPressButton::Left, 0, L.Thumb.Left - 1, 8);
  EXPECT_TRUE(B.Dragging);
  EXPECT_EQ(B.Position, 46);
  B.MouseUp();

  TScrollBarControl Btn;
  Shape(Btn, 200, 20, true);
  Btn.SetPosition(50);
  Btn.MouseDown(TPressButton::Left, 0, 3, 8);
  EXPECT_EQ(Btn.Position, 49);
  EXPECT_TRUE(Btn.Button1Down);
  Btn.MouseUp();
  Btn.MouseDown(TPressButton::Left, 0, 199, 8);
  EXPECT_EQ(Btn.Position, 50);
  EXPECT_FALSE(Btn.Button1Down);
  EXPECT_TRUE(Btn.Button2Down);
  Btn.MouseUp();

  // Ctrl or Command: the default in shown terms.
  TScrollBarControl D;
  Shape(D, 200, 20, false);
  D.Reverse = true;
  D.DefaultValue = 30;
  D.MouseDown(TPressButton::Left, modMeta, 100, 8);
  EXPECT_EQ(D.GetDisplayPosition(), 30);
  EXPECT_EQ(D.Position, 70);
  // Double click without the editor toggles the two defaults.
  D.PopupEditorEnable = false;
  D.DefaultValue2 = 80;
  EXPECT_FALSE(D.DblClick());
  EXPECT_EQ(D.GetDisplayPosition(), 80);
  EXPECT_FALSE(D.DblClick());
  EXPECT_EQ(D.GetDisplayPosition(), 30);
  D.PopupEditorEnable = true;
  EXPECT_TRUE(D.DblClick());
  // Wheel up raises the shown value: a reversed bar lowers Position.
  D.MouseWheel(120);
  EXPECT_EQ(D.GetDisplayPosition(), 31);
  EXPECT_EQ(D.Position, 69);
  D.Reverse = false;
  D.MouseWheel(-120);
  EXPECT_EQ(D.Position, 68);

  TScrollBarControl E;
  Shape(E, 200, 20, false);
  E.DefaultValue = 9;
  E.SetMax(0);
  int Start = 0;
  E.OnChangeStart = [&](void*) { ++Start; };
  E.MouseDown(TPressButton::Left, 0, 5, 8);
  EXPECT_FALSE(E.Dragging);
  EXPECT_EQ(Start, 0);
  E.MouseMove(150, 8);
  EXPECT_EQ(E.Position, 0);

  TScrollBarControl I;
  I.SetPosition(75);
  EXPECT_EQ(I.ThumbImageIndex(5), 3);
}

TEST(GlyphScrollBar, BoundParameterFollowsEveryStepWithoutEcho) {
  TOwningParameterList List;
  auto* P = new TControlledParameterSingle(&List, "Depth", 0.5f);
  TScrollBarControl B;
  Shape(B, 200, 48, false);
  B.ConnectToParameter(P);  // the bar's value wins
  EXPECT_EQ(P->Value, 0.0f);
  int Change = 0;
  B.OnChange = [&](void*) { ++Change; };
  B.MouseDown(TPressButton::Left, 0, 10, 8);
  B.MouseMove(86, 8);
  EXPECT_EQ(P->Value, 0.5f);
  EXPECT_EQ(Change, 1);
  P->SetValue(0.25f);
  EXPECT_EQ(B.Position, 25);
}

TEST(CaptionedScrollBar, ValueTextsByScale) {
  struct TCase {
    float Scale;
    int32_t Value;
    const char* Text;
  } Cases[] = {
      {0.01f, 240, "2.40"}, {0.001f, 5, "0.0050"}, {0.5f, 3, "1.5"},
      {1.0f, 3, "3"},       {0.1f, 7, "0.7"},       {0.009f, 100, "0.9000"},
      {2.0f, -4, "-4"},
  };
  for (const TCase& C : Cases) {
    TCaptionedScrollBarControl S;
    S.SetMax(400);
    S.SetValueScale(C.Scale);
    S.SetValue(C.Value < 0 ? 0 : C.Value);
    if (C.Value < 0) {
      S.SetMin(-10);
      S.SetValue(C.Value);
    }
    EXPECT_EQ(S.FormatScaledValue(), C.Text) << C.Scale << " " << C.Value;
    S.SetUnitsStr(" %");
    EXPECT_EQ(S.ValueLabelText, std::string(C.Text) + " %");
  }
}

TEST(CaptionedScrollBar, LayoutWidths) {
  struct TCase {
    int32_t W, LabelBoxWidth, EditWidth, Max;
    int32_t Caption, Edit;
    bool BarVisible;
  } Cases[] = {
      {250, 0, 0, 100, 75, 35, true},   {251, 0, 0, 100, 85, 35, true},
      {300, 0, 0, 9999, 85, 35, true},  {300, 0, 0, 10000, 85, 50, true},
      {300, 60, 40, 100, 60, 40, true}, {120, 0, 0, 100, 75, 35, false},  // bar 10
      {121, 0, 0, 100, 75, 35, true},
  };
  for (const TCase& C : Cases) {
    const TCaptionedLayout L = CaptionedBarLayout(C.W, 20, C.LabelBoxWidth, C.EditWidth, C.Max);
    EXPECT_EQ(L.CaptionWidth, C.Caption) << C.W;
    EXPECT_EQ(L.EditWidthInUse, C.Edit) << C.W;
    EXPECT_EQ(L.BarVisible, C.BarVisible) << C.W;
    EXPECT_EQ(L.Caption, (TBounds{0, 0, C.Caption, 20}));
    EXPECT_EQ(L.Bar, (TBounds{C.Caption, 0, std::max(C.W - C.Caption - C.Edit, 2), 20}));
    EXPECT_EQ(L.ValueLabel, (TBounds{C.W - C.Edit, 0, C.Edit - 1, 20}));
    EXPECT_EQ(L.Edit, (TBounds{C.W - C.Edit, 0, C.Edit, 20}));
  }
  EXPECT_EQ(CaptionedBarLayout(300, 20, 0, 0, 100, true).Edit, (TBounds{265, -3, 41, 20}));
}

TEST(CaptionedScrollBar, TypingEscapeAndCaptionDrag) {
  TOwningParameterList List;
  auto* P = new TControlledParameterSingle(&List, "Gamma", 0);
  TCaptionedScrollBarControl S;
  S.SetMax(400);
  S.SetMin(50);
  S.SetValueScale(0.01f);
  S.SetValueSilent(240);
  EXPECT_EQ(S.ValueLabelText, "2.40");
  S.ConnectToParameter(P);
  EXPECT_FLOAT_EQ(P->Value, 190.0f / 350.0f);
  int Change = 0, End = 0;
  S.OnChange = [&](void*) { ++Change; };
  S.OnChangeEnd = [&](void*) { ++End; };

  S.ValueLabelClick();
  EXPECT_TRUE(S.Editing);
  S.EditChange("2,5");
  EXPECT_EQ(S.GetValue(), 250);
  EXPECT_EQ(S.ValueLabelText, "2.50");
  EXPECT_EQ(S.EditText, "2,5");  // left as typed
  EXPECT_FLOAT_EQ(P->Value, 200.0f / 350.0f);
  S.EditChange("x");  // not a number: nothing moves
  EXPECT_EQ(S.GetValue(), 250);
  S.EditKeyDown(vkUp, modCtrl);
  EXPECT_EQ(S.GetValue(), 260);
  S.EditKeyDown(vkEscape, 0);
  EXPECT_FALSE(S.Editing);
  EXPECT_EQ(S.GetValue(), 240);
  EXPECT_EQ(S.EditText, "2.40");
  EXPECT_EQ(End, 1);
  EXPECT_FLOAT_EQ(P->Value, 190.0f / 350.0f);

  // The caption drags sideways: one OnChange per step, one OnChangeEnd.
  Change = End = 0;
  S.CaptionBox.MouseDown(TPressButton::Left, 0, 10, 5);
  S.CaptionBox.MouseMove(110, 5);   // +0.1 of 350
  S.CaptionBox.MouseMove(210, 5);
  S.CaptionBox.MouseUp(TPressButton::Left, 210, 5);
  EXPECT_EQ(S.GetValue(), 310);
  EXPECT_EQ(S.ValueLabelText, "3.10");
  EXPECT_EQ(Change, 2);
  EXPECT_EQ(End, 1);
  EXPECT_FLOAT_EQ(P->Value, 260.0f / 350.0f);

  // A zero scale never divides: typed text moves nothing.
  S.SetValueScale(0);
  S.ValueLabelClick();
  S.EditChange("3");
  EXPECT_EQ(S.GetValue(), 310);
  S.EditDone();
  S.SetValueScale(0.01f);

  // A preset change reaches the bar and the texts.
  P->SetValue(0.0f);
  EXPECT_EQ(S.GetValue(), 50);
  EXPECT_EQ(S.ValueLabelText, "0.50");
}

}  // namespace
}  // namespace kromel
