#include "controls/colour_watch.h"

#include <gtest/gtest.h>

#include "analysis/colour_readouts.h"
#include "controls/multi_value_controls.h"
#include "params/parameters.h"

namespace kromel {
namespace {

TEST(ColorWatch, ReadoutLinesTitlesAndDeltas) {
  TColorWatchModel W;
  W.SetBounds(260, 36);
  W.Color1Title = "Src:";
  W.Color2Title = "Res:";
  W.SetColor2(0x204060);
  W.SetColor1(0x0000FF);  // red
  const std::string C1 = ColorPickerTextBGR(0x0000FF, 0, nullptr, 2.4f);
  const std::string C2 = ColorPickerTextBGR(0x204060, 0, nullptr, 2.4f);
  ASSERT_FALSE(C1.empty());
  EXPECT_NE(C1.find("255"), std::string::npos);
  EXPECT_EQ(W.TitlesText, "Src:\nRes:");
  EXPECT_EQ(W.NumbersText, C1 + "\n" + C2);
  W.SetShowDeltas(true);
  EXPECT_EQ(W.NumbersText, C1 + "\n" + ColorPickerDeltaTextBGR(0x204060, 0x0000FF, 0, nullptr, 2.4f));
  W.SetShowSecondNumbers(false);
  EXPECT_EQ(W.NumbersText, C1);  // deltas show nothing without the second line
  W.Title = "Patch 4";
  W.UpdateText();
  EXPECT_EQ(W.NumbersText, "Patch 4\n" + C1);

  // Narrower than 60: plate 1 only.
  W.SetBounds(59, 36);
  EXPECT_EQ(W.NumbersText, "");
  EXPECT_EQ(W.TitlesText, "");
  const TColorWatchLayout L = W.ArrangeControls();
  EXPECT_FALSE(L.TextVisible);
  EXPECT_FALSE(L.Plate2Visible);
}

TEST(ColorWatch, FormatCyclingStatusAndSwap) {
  TColorWatchModel W;
  W.SetBounds(260, 36);
  int Switch = 0;
  W.OnModeSwitch = [&](void*) { ++Switch; };
  for (int I = 1; I <= 15; ++I) {
    EXPECT_FALSE(W.TextMouseDown(TPressButton::Left, 0));
    EXPECT_EQ(W.TextMode, I % 15);
  }
  EXPECT_EQ(Switch, 15);
  W.TextMouseDown(TPressButton::Left, modAlt);
  EXPECT_EQ(W.TextMode, 14);
  EXPECT_TRUE(W.TextMouseDown(TPressButton::Right, 0));
  EXPECT_TRUE(W.TextMouseDown(TPressButton::Left, modCtrl));
  EXPECT_EQ(W.TextMode, 14);
  W.MenuClick(16);
  EXPECT_TRUE(W.ShowDeltas);
  W.MenuClick(3);
  EXPECT_EQ(W.TextMode, 3);
  EXPECT_TRUE(W.ShowDeltas);

  W.ToggleStatus();
  EXPECT_EQ(W.Status, "G");
  W.ToggleStatus();
  EXPECT_EQ(W.Status, "L");
  W.Status = "X";
  W.ToggleStatus();
  EXPECT_EQ(W.Status, "G");

  TColorWatchModel O;
  O.SetBounds(260, 36);
  O.SetColor1(0x112233);
  O.SetColor2(0x445566);
  W.SetColor1(1);
  W.SetColor2(2);
  W.SwapWith(O);
  EXPECT_EQ(W.Color1, 0x112233);
  EXPECT_EQ(O.TextMode, 3);
  EXPECT_EQ(O.Status, "G");
  W.SwapWith(O);
  EXPECT_EQ(W.Color1, 1);
  EXPECT_EQ(W.Color2, 2);
  EXPECT_EQ(W.TextMode, 3);
  EXPECT_EQ(O.Color2, 0x445566);
  EXPECT_EQ(O.Status, "L");
}

TEST(ColorWatch, LayoutApartAndTogether) {
  TColorWatchModel W;
  W.SetBounds(260, 36);
  W.Color1Title = "Src:";
  W.Color2Title = "Res:";
  TColorWatchLayout L = W.ArrangeControls();
  EXPECT_EQ(L.Plate1, (TBounds{5, 5, 40, 27}));
  EXPECT_EQ(L.Plate2, (TBounds{190, 5, 40, 26}));
  EXPECT_EQ(L.NumbersBox, (TBounds{72, 5, 140, 26}));  // t = (36 - 26) div 2
  EXPECT_EQ(L.TitleBox, (TBounds{48, 5, 22, 26}));
  EXPECT_EQ(L.CloseBox, (TBounds{238, 2, 5, 12}));
  EXPECT_EQ(L.StatusBox, (TBounds{236, 18, 8, 12}));
  EXPECT_EQ(L.Plate1LabelText, "S");
  EXPECT_EQ(L.Plate2LabelText, "R");
  EXPECT_TRUE(L.PlateOutline);

  W.ColorPlatesTogether = true;
  L = W.ArrangeControls();
  EXPECT_EQ(L.Plate1, (TBounds{5, 5, 21, 26}));
  EXPECT_EQ(L.Plate2, (TBounds{24, 5, 21, 26}));
  EXPECT_FALSE(L.PlateOutline);
  W.HorizontalCompare = true;
  L = W.ArrangeControls();
  EXPECT_EQ(L.Plate1, (TBounds{5, 5, 41, 14}));
  EXPECT_EQ(L.Plate2, (TBounds{5, 18, 41, 14}));
  EXPECT_EQ(L.Plate1LabelText, "");
  W.ShowSecondNumbers = false;
  W.Color1Title = W.Color2Title = "";
  L = W.ArrangeControls();
  EXPECT_EQ(L.NumbersBox, (TBounds{50, 11, 140, 14}));
}

TEST(ColorPlate, DialogColourReachesTheBoundParameter) {
  TOwningParameterList List;
  auto* P = new TControlledParameterInteger(&List, "MaskColor", 0);
  TColorPlateControl Plate("Plate", 0x808080);
  Plate.ConnectToParameter(P);
  EXPECT_EQ(P->Value, 0x808080);
  int Change = 0, End = 0;
  Plate.OnChange = [&](void*) { ++Change; };
  Plate.OnChangeEnd = [&](void*) { ++End; };
  Plate.ColorChosen(0x00FF00);
  EXPECT_EQ(Plate.Color, 0x00FF00);
  EXPECT_EQ(P->Value, 0x00FF00);
  EXPECT_EQ(Change, 1);
  EXPECT_EQ(End, 1);
  // An isolated plate ignores SetColor but takes the dialog's colour.
  Plate.PlateIsolate = true;
  Plate.SetControllerValue(0x0000FF);
  EXPECT_EQ(Plate.Color, 0x00FF00);
  Plate.ColorChosen(0x123456);
  EXPECT_EQ(P->Value, 0x123456);
  // The parameter drives the plate back.
  Plate.PlateIsolate = false;
  P->SetValue(0x654321);
  EXPECT_EQ(Plate.Color, 0x654321);

  const auto R = TColorPlateControl::Rects(36, 21, 3);
  EXPECT_EQ(R.Fill.Left, 3);
  EXPECT_EQ(R.Fill.Top, 3);
  EXPECT_EQ(R.Fill.Right, 33);
  EXPECT_EQ(R.Fill.Bottom, 18);
  EXPECT_EQ(R.Frame[3].Top, 18);
  EXPECT_EQ(TColorPlateControl::Rects(36, 21, 0).Frame[0].Right, 0);

  // Each plate of a watch edits its own colour.
  TColorWatchModel W;
  W.SetBounds(260, 36);
  W.SetColor1(1);
  W.SetColor2(2);
  EXPECT_EQ(W.EditedColor(2), 2);
  W.PlateColorChosen(2, 0x777777);
  EXPECT_EQ(W.Color2, 0x777777);
  EXPECT_EQ(W.Color1, 1);
}

}  // namespace
}  // namespace kromel
