#include "controls/radio_markup.h"

#include <gtest/gtest.h>

#include "controls/control_palette.h"
#include "controls/switch_controls.h"

namespace kromel {
namespace {

TEST(RadioMarkup, ItemsParseAsTheirPrefixesSay) {
  struct Case {
    const char* Text;
    bool Tool, WithoutButton, HasHint, HasSwitch;
    int32_t Number;
    const char* Caption;
    const char* Hint;
  };
  const Case Cases[] = {
      {"[x21]Channels", false, false, false, true, 21, "   Channels", ""},
      {"Full`Analyze full image", false, false, true, false, 0, "Full", "Analyze full image"},
      {"^Mask", false, true, false, false, 0, "Mask", ""},
      {"^[x7]Curves`Curve page", false, true, true, true, 7, "   Curves", "Curve page"},
      {"[x3", false, false, false, true, 3, "   ", ""},
      {"Plain", false, false, false, false, 0, "Plain", ""},
      {"", false, false, false, false, 0, "", ""},
  };
  for (const Case& C : Cases) {
    const TRadioItemMarkup M = ParseRadioItem(C.Text);
    SCOPED_TRACE(C.Text);
    EXPECT_EQ(M.ToolGroup, C.Tool);
    EXPECT_EQ(M.WithoutButton, C.WithoutButton);
    EXPECT_EQ(M.HasHint, C.HasHint);
    EXPECT_EQ(M.HasSwitch, C.HasSwitch);
    EXPECT_EQ(M.SwitchNumber, C.Number);
    EXPECT_EQ(M.Caption, C.Caption);
    EXPECT_EQ(M.Hint, C.Hint);
  }
  const TRadioItemMarkup Tool = ParseRadioItem("|>#A1`Pick`Pick a colour||#B2`Brush`Paint");
  EXPECT_TRUE(Tool.ToolGroup);
  EXPECT_EQ(Tool.Variants, (std::vector<std::string>{">#A1`Pick`Pick a colour", "#B2`Brush`Paint"}));
}

TEST(RadioMarkup, SubtoolEntriesSplitPictureCaptionAndHint) {
  struct Case {
    const char* Text;
    bool Blank;
    const char* Picture, *Caption, *Hint;
  };
  const Case Cases[] = {
      {">#0FF0`Pick`Pick a colour", false, "#0FF0", "Pick", "Pick a colour"},
      {"#0FF0`Brush", false, "#0FF0", "Brush", "Brush"},
      {"##literal", false, "", "##literal", "##literal"},
      {"Plain", false, "", "Plain", "Plain"},
      {"", true, "", "", ""},
  };
  for (const Case& C : Cases) {
    const TSubtoolEntry E = ParseSubtoolEntry(C.Text);
    SCOPED_TRACE(C.Text);
    EXPECT_EQ(E.Blank, C.Blank);
    EXPECT_EQ(E.Picture, C.Picture);
    EXPECT_EQ(E.Caption, C.Caption);
    EXPECT_EQ(E.Hint, C.Hint);
  }
}

TEST(RadioMarkup, SevenItemsInTwoColumnsFillColumnsTopDown) {
  const std::vector<std::string> Items = {"a", "b", "c", "d", "e", "f", "g"};
  const auto P = ArrangeRadioButtons(Items, 2, 201, 100, false, false, -1);
  ASSERT_EQ(P.size(), 7u);
  // 4 rows of 25; columns 100 wide, the last button to the right edge.
  for (int I = 0; I < 4; ++I) {
    EXPECT_EQ(P[I].Left, 0);
    EXPECT_EQ(P[I].Top, 25 * I);
    EXPECT_EQ(P[I].Width, 100);
    EXPECT_EQ(P[I].Height, 25);
  }
  for (int I = 4; I < 7; ++I) {
    EXPECT_EQ(P[I].Left, 100);
    EXPECT_EQ(P[I].Top, 25 * (I - 4));
  }
  EXPECT_EQ(P[5].Width, 100);
  EXPECT_EQ(P[6].Width, 101) << "the last one reaches the right edge";
  for (const auto& B : P) EXPECT_TRUE(B.Visible);

  // Empty items are hidden and do not take a place; rows are at least 15 high.
  const auto Q = ArrangeRadioButtons({"a", "", "b"}, 1, 50, 20, false, false, -1);
  EXPECT_FALSE(Q[1].Visible);
  EXPECT_EQ(Q[2].Top, 10);
  EXPECT_EQ(Q[2].Height, 15);
  // Columns are kept within 1 .. 16; all-empty groups lay out nothing.
  EXPECT_EQ(ArrangeRadioButtons(Items, 0, 70, 70, false, false, -1)[6].Top, 60);
  for (const auto& B : ArrangeRadioButtons({"", ""}, 1, 50, 20, false, false, 0)) EXPECT_FALSE(B.Visible);

  // Stacked: all over the whole group, only the selection (or complement) shown.
  const auto S = ArrangeRadioButtons({"a", "b", "c"}, 1, 40, 40, true, true, -3);
  for (int I = 0; I < 3; ++I) {
    EXPECT_EQ(S[I].Width, 40);
    EXPECT_EQ(S[I].Height, 26);
    EXPECT_EQ(S[I].Visible, I == 2);
  }
}

TEST(RadioMarkup, StateKeepsTheSelectionAsItsComplement) {
  TRadioGroupControl G("G", {"a", "b", "c"});
  int Changes = 0;
  G.OnChange = [&](void*) { ++Changes; };
  G.SetItemIndex(1);
  Changes = 0;
  G.SetState(false);
  EXPECT_EQ(G.ItemIndex, -2);
  G.SetState(true);
  EXPECT_EQ(G.ItemIndex, 1);
  EXPECT_EQ(Changes, 2);
  TRadioGroupControl None("N", {"a", "b"});
  None.SetState(true);
  EXPECT_EQ(None.ItemIndex, 0) << "a group without selection switched on selects item 0";
  G.SetItemIndex(10);
  EXPECT_EQ(G.ItemIndex, 2);

  EXPECT_EQ(ItemIndexWithSubtools(2, true, 1), 34);
  EXPECT_EQ(ItemIndexWithSubtools(2, false, 1), 2);
  EXPECT_EQ(ItemIndexWithSubtools(-1, true, 1), -1);
}

TEST(SelectorValues, PositionsAreClampedToTheCaptionItemsWhenSet) {
  TComboControl C("C", "a;b;c;d;e;f;g;h;i;j;k", 32);
  int Changes = 0;
  C.OnChange = [&](void*) { ++Changes; };
  C.SetControllerValueS(1.0f);
  EXPECT_EQ(C.SelectorPosition, 10);
  EXPECT_EQ(Changes, 1);
  C.SetSelectorPosition(-3);
  EXPECT_EQ(C.SelectorPosition, 0);
  C.SetSelectorPosition(0);
  EXPECT_EQ(C.PreviousItemIndex, 0);
  C.SetSelectorPositionSilent(99);
  EXPECT_EQ(C.SelectorPosition, 10);
  // Positions map to values over SelectorModesCount.
  C.SetSelectorPosition(5);
  EXPECT_FLOAT_EQ(C.GetControllerValueS(), 5.0f / 31.0f);
  // A selector without caption items has no upper bound.
  TSwitchControl Bare("B", "", skSelector);
  Bare.SetSelectorPosition(7);
  EXPECT_EQ(Bare.SelectorPosition, 7);
  // A bound switch set through its integer value keeps the parameter there.
  TControlledParameterInteger P(nullptr, "P", 0);
  TSwitchControl Bound("Bound");
  Bound.ConnectToParameter(&P);
  Bound.SetControllerValue(1);
  EXPECT_EQ(P.Value, 1);
  EXPECT_TRUE(Bound.State);
  // Tumblers switch on strictly above one half.
  TSwitchControl T("T");
  T.SetState(true);
  T.SetControllerValueS(0.5f);
  EXPECT_FALSE(T.State);
  T.SetControllerValueS(0.5000001f);
  EXPECT_TRUE(T.State);
}

TEST(ControlPalette, ClassesSitOnTheirPages) {
  EXPECT_EQ(PalettePageOf("TGlyphSwitch"), "Controllers");
  EXPECT_EQ(PalettePageOf("TLightCheckBox"), "Vel");
  EXPECT_EQ(PalettePageOf("TFileDrop"), "GUI");
  EXPECT_EQ(PalettePageOf("TSysHotKey"), "Freeware");
  EXPECT_EQ(PalettePageOf("TNothing"), "");
  EXPECT_EQ(ControlPalette().size(), 29u);
}

}  // namespace
}  // namespace kromel
