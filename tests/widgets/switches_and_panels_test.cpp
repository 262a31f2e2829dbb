#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTest>

#include "platform/message_sink.h"
#include "widgets/glyph_switch.h"
#include "widgets/style_gui.h"
#include "widgets/vel_combo_box.h"
#include "widgets/vel_panel.h"
#include "widgets/vel_image.h"
#include "widgets/vel_radio_group.h"
#include "support/qt_test_support.h"

namespace kromel {
namespace {

constexpr const char* Suite = "switches";

class Switches : public ::testing::Test {
protected:
  void SetUp() override {
    testing::EnsureQtApplication();
    DefaultHeadlessSink().EchoToStderr = false;
    DefaultHeadlessSink().Clear();
  }
};

// The RGB of a pixel of a widget's picture as a TColor (0xBBGGRR).
TColor PixelAt(TVelWidget& W, int32_t X, int32_t Y) {
  W.PaintToBuffer();
  const uint32_t V = W.Buffer().Row(Y)[X].Value;
  return ((V >> 16) & 0xFF) | (V & 0xFF00) | ((V & 0xFF) << 16);
}

void Click(QWidget& W, Qt::MouseButton B = Qt::LeftButton) {
  QTest::mouseClick(&W, B, {}, QPoint(W.width() / 2, W.height() / 2));
}

TEST_F(Switches, AButtonReportsEachClickOnceAndEndsOff) {
  TGlyphSwitch S(nullptr, skButton);
  S.resize(40, 20);
  int Changes = 0, Clicks = 0;
  S.Switch().OnChange = [&](void*) { ++Changes; };
  S.OnClick = [&](QWidget*) { ++Clicks; };
  S.Switch().SetStateSilent(true);
  Click(S);
  EXPECT_EQ(Changes, 1) << "a button that was on still reports the click once";
  EXPECT_FALSE(S.Switch().State);
  Click(S);
  Click(S);
  EXPECT_EQ(Changes, 3);
  EXPECT_EQ(Clicks, 3);

  // Hold: a tumbler that never toggles reports its clicks the same way.
  TGlyphSwitch H(nullptr, skTumbler);
  H.resize(40, 20);
  H.Hold = true;
  int HChanges = 0;
  H.Switch().OnChange = [&](void*) { ++HChanges; };
  Click(H);
  EXPECT_FALSE(H.Switch().State);
  EXPECT_EQ(HChanges, 1);
}

TEST_F(Switches, TumblersToggleByLeftAndMiddleClickAndKeys) {
  TGlyphSwitch S(nullptr, skTumbler);
  S.resize(40, 20);
  Click(S);
  EXPECT_TRUE(S.Switch().State);
  Click(S, Qt::MiddleButton);
  EXPECT_FALSE(S.Switch().State);
  // A middle release on the border is outside.
  QTest::mousePress(&S, Qt::MiddleButton, {}, QPoint(5, 5));
  EXPECT_TRUE(S.Pressed());
  EXPECT_TRUE(S.Hover());
  QTest::mouseRelease(&S, Qt::MiddleButton, {}, QPoint(0, 5));
  EXPECT_FALSE(S.Switch().State);
  QTest::keyClick(&S, Qt::Key_Space);
  EXPECT_TRUE(S.Switch().State);
  // Right clicks do nothing.
  Click(S, Qt::RightButton);
  EXPECT_TRUE(S.Switch().State);
}

TEST_F(Switches, SelectorsWrapAndClampToTheirGlyphs) {
  TGlyphSwitch S(nullptr, skSelector);
  S.resize(40, 20);
  S.SetCaption("a;b;c");
  S.Switch().SelectorModesCount = 3;
  S.Switch().SetSelectorPosition(2);
  Click(S);
  EXPECT_EQ(S.Switch().SelectorPosition, 0) << "the last position wraps to 0";
  // More modes than items: the click cycles over the items only.
  S.Switch().SelectorModesCount = 32;
  S.Switch().SetSelectorPosition(2);
  Click(S);
  EXPECT_EQ(S.Switch().SelectorPosition, 0);
  // Without caption items the modes count; one mode behaves as two.
  TGlyphSwitch Bare(nullptr, skSelector);
  Bare.resize(40, 20);
  Bare.Switch().SelectorModesCount = 1;
  Click(Bare);
  EXPECT_EQ(Bare.Switch().SelectorPosition, 1);
  EXPECT_EQ(Bare.Switch().SelectorModesCount, 2);
  Click(Bare);
  EXPECT_EQ(Bare.Switch().SelectorPosition, 0);

  // A caption with fewer items: the paint lowers the position silently.
  S.Switch().SetSelectorPosition(2);
  int Changes = 0;
  S.Switch().OnChange = [&](void*) { ++Changes; };
  S.SetCaption("a;b");
  S.PaintToBuffer();
  EXPECT_EQ(S.Switch().SelectorPosition, 1);
  EXPECT_EQ(Changes, 0);
  S.Switch().SetSelectorPosition(9);
  EXPECT_EQ(S.Switch().SelectorPosition, 1) << "a set past the glyphs is clamped";
}

TEST_F(Switches, PicturesFollowStateHoverPressAndEnable) {
  TStyleGui Skinner;
  Skinner.SetStyleType(stBlack);
  QWidget Form;
  Form.resize(330, 150);
  struct Case {
    const char* Name;
    TSwitchKind Kind;
    bool On, Hover, Press, Enabled;
    TGlyphState Expected;
  };
  const Case Cases[] = {
      {"tumbler_off", skTumbler, false, false, false, true, gsOff},
      {"tumbler_on", skTumbler, true, false, false, true, gsOn},
      {"tumbler_hover_off", skTumbler, false, true, false, true, gsHoverOff},
      {"tumbler_hover_on", skTumbler, true, true, false, true, gsHoverOn},
      {"tumbler_pressed_off", skTumbler, false, true, true, true, gsDownOn},
      {"tumbler_pressed_on", skTumbler, true, true, true, true, gsDownOff},
      {"tumbler_disabled_on", skTumbler, true, false, false, false, gsOff},
      {"button", skButton, false, false, false, true, gsOn},
      {"button_hover", skButton, false, true, false, true, gsHoverOn},
      {"without_button_on", skTumblerWithoutButton, true, false, false, true, gsOn},
  };
  int I = 0;
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    auto* S = new TGlyphSwitch(&Form, C.Kind);
    S->setGeometry(10 + (I % 4) * 80, 10 + (I / 4) * 40, 70, 26);
    S->SetGUISkinner(&Skinner);
    S->SetCaption(C.Name[0] == 'b' ? "Apply" : "Mask");
    S->Switch().SetStateSilent(C.On);
    S->setEnabled(C.Enabled);
    S->PaintToBuffer();  // the skinner draws the pictures
    if (C.Hover) {
      QEnterEvent Enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
      QApplication::sendEvent(S, &Enter);
    }
    if (C.Press) QTest::mousePress(S, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(S->CurrentState(), C.Expected);
    S->PaintToBuffer();
    // The picture shown is the chosen state's.
    EXPECT_EQ(S->Buffer().Row(13)[35].Value | 0xFF000000u,
              S->Glyphs[C.Expected].Image.Row(13)[35].Value | 0xFF000000u);
    testing::SaveScreenshot(*S, Suite, C.Name);
    ++I;
  }
  testing::SaveScreenshot(Form, Suite, "switch_states");
}

TEST_F(Switches, SelectorFramesAndTheSecondarySwitch) {
  TStyleGui Skinner;
  Skinner.SetStyleType(stGray);
  TGlyphSwitch S(nullptr, skSelector);
  S.resize(80, 24);
  S.SetGUISkinner(&Skinner);
  S.SetCaption("Red;Green;Blue");
  for (int P = 0; P < 3; ++P) {
    S.Switch().SetSelectorPosition(P);
    S.PaintToBuffer();
    // Frame P of the stacked pictures is shown.
    EXPECT_EQ(S.Buffer().Row(12)[40].Value | 0xFF000000u,
              S.OffGlyph().Image.Row(24 * P + 12)[40].Value | 0xFF000000u);
    testing::SaveScreenshot(S, Suite, "selector_" + std::to_string(P));
  }

  TControllersArray Registry;
  TGlyphSwitch Page(nullptr, skTumbler);
  Page.resize(90, 26);
  Page.Switch().SetControllerNumber(20);
  Page.Switch().SetControllersArray(&Registry);
  Page.SetSwitchControllerNumber(21);
  int SwitchClicks = 0;
  Page.SetOnSwitchClick([&](QWidget*) { ++SwitchClicks; });
  Page.SetHasSwitch(true);
  ASSERT_NE(Page.SwitchControl(), nullptr);
  EXPECT_EQ(Page.SwitchControl()->geometry(), QRect(2, 5, 10, 15));
  EXPECT_EQ(Page.SwitchControl()->Switch().GetControllerNumber(), 21);
  EXPECT_EQ(Registry.At(21), &Page.SwitchControl()->Switch());
  Page.SetSwitchState(true);
  EXPECT_TRUE(Page.SwitchState());
  Click(*Page.SwitchControl());
  EXPECT_FALSE(Page.SwitchState());
  EXPECT_EQ(SwitchClicks, 1);
  EXPECT_FALSE(Page.Switch().State) << "the page button itself is untouched";
  Page.SetCaption("   Channels");
  Skinner.UpdateGui(&Page, false, Skinner.BackgroundColor);
  EXPECT_EQ(Page.SwitchControl()->GUISkinner(), &Skinner);
  testing::SaveScreenshot(Page, Suite, "page_button_with_switch");
  Page.SetHasSwitch(false);
  EXPECT_FALSE(Page.SwitchState());
  EXPECT_TRUE(DefaultHeadlessSink().Messages().empty());

  // Full-size backgrounds: the switch shows its own part of the state's picture.
  QWidget Window;
  Window.resize(100, 60);
  auto* B = new TGlyphSwitch(&Window, skTumbler);
  B->setGeometry(30, 20, 20, 10);
  std::vector<TImage32> Backs(4);
  const TColor Fills[4] = {0x000010, 0x000020, 0x000030, 0x000040};
  for (int I = 0; I < 4; ++I) {
    Backs[I].Init();
    Backs[I].Alloc(100, 60);
    Backs[I].Fill(Fills[I]);
    Backs[I].Row(20)[30].Value = 0xFFFFFFFF;
  }
  B->FullSizeBackgroundList = &Backs;
  B->Switch().SetStateSilent(true);
  EXPECT_EQ(PixelAt(*B, 1, 1), Fills[2]);
  EXPECT_EQ(PixelAt(*B, 0, 0), 0xFFFFFFu) << "the picture is placed at minus the switch's position";
  B->StateOrder = 1;
  EXPECT_EQ(PixelAt(*B, 1, 1), Fills[1]);
  for (auto& I : Backs) I.Dispose();
  B->FullSizeBackgroundList = nullptr;
}

TEST_F(Switches, RadioGroupBuildsButtonsFromMarkup) {
  TStyleGui Skinner;
  Skinner.SetStyleType(stBlack);
  QWidget Form;
  Form.resize(260, 130);
  auto* G = new TVelRadioGroup(&Form, "Pages");
  G->setGeometry(4, 4, 250, 120);
  G->SetColumns(2);
  G->SetItems({"[x21]Channels", "Full`Analyze full image", "^Mask", "Levels", "Curves", "Hue",
               "Grid"});
  ASSERT_EQ(G->ButtonCount(), 7);
  EXPECT_TRUE(G->SwitchButton(0)->HasSwitch());
  EXPECT_EQ(G->SwitchButton(0)->SwitchControllerNumber(), 21);
  EXPECT_EQ(G->SwitchButton(0)->Caption(), "   Channels");
  EXPECT_EQ(G->SwitchButton(1)->Hint, "Analyze full image");
  EXPECT_EQ(G->SwitchButton(1)->Caption(), "Full");
  EXPECT_EQ(G->SwitchButton(2)->Kind(), skTumblerWithoutButton);
  EXPECT_EQ(G->SwitchButton(0)->geometry(), QRect(0, 0, 125, 30));
  EXPECT_EQ(G->SwitchButton(4)->geometry(), QRect(125, 0, 125, 30));
  EXPECT_EQ(G->SwitchButton(6)->geometry(), QRect(125, 60, 125, 30));

  int Changes = 0, Clicks = 0;
  G->OnChange = [&](QWidget*) { ++Changes; };
  G->OnClick = [&](QWidget*) { ++Clicks; };
  Click(*G->SwitchButton(3));
  EXPECT_EQ(G->ItemIndex(), 3);
  EXPECT_EQ(Changes, 1);
  EXPECT_EQ(Clicks, 1);
  EXPECT_TRUE(G->SwitchButton(3)->Switch().State);
  Click(*G->SwitchButton(3));
  EXPECT_EQ(G->ItemIndex(), 3) << "the selected button stays selected";
  EXPECT_TRUE(G->SwitchButton(3)->Switch().State);
  EXPECT_EQ(Changes, 2);
  EXPECT_EQ(Clicks, 1) << "no OnClick for the selected button";
  G->SetState(false);
  EXPECT_EQ(G->ItemIndex(), -4);
  EXPECT_FALSE(G->SwitchButton(3)->Switch().State);
  G->SetState(true);
  EXPECT_EQ(G->ItemIndex(), 3);
  G->SetItemIndex(10);
  EXPECT_EQ(G->ItemIndex(), 6);
  G->SetColumns(20);
  EXPECT_EQ(G->Columns(), 16);
  G->SetColumns(0);
  EXPECT_EQ(G->Columns(), 1);
  G->SetColumns(2);
  int SwitchChanges = 0;
  G->SetOnSwitchChange([&](QWidget*) { ++SwitchChanges; });
  // The page switch sets its bound state.
  G->SetButtonSwitchState(0, true);
  EXPECT_TRUE(G->GetButtonSwitchState(0));
  EXPECT_FALSE(G->GetButtonSwitchState(9));
  EXPECT_EQ(SwitchChanges, 1);
  EXPECT_EQ(G->GetButtonSwitch(0), G->SwitchButton(0)->SwitchControl());

  Skinner.UpdateGui(&Form, false, Skinner.BackgroundColor);
  G->SetItemIndex(3);
  // After a reset of the on pictures the next paint has them drawn again.
  G->ResetButtonGlyphs();
  EXPECT_TRUE(G->SwitchButton(3)->OnGlyph().Empty());
  G->SwitchButton(3)->PaintToBuffer();
  EXPECT_FALSE(G->SwitchButton(3)->OnGlyph().Empty());
  testing::SaveScreenshot(Form, Suite, "radio_group_two_columns");
}

TEST_F(Switches, LoadingGroupsOnlyStoreTheirIndexAndPlainSkinnersDrawNothing) {
  TVelRadioGroup G(nullptr, "Loaded");
  G.resize(120, 60);
  G.SetLoading(true);
  G.SetItemIndex(5);
  EXPECT_EQ(G.ItemIndex(), 5) << "stored unchanged while loading";
  G.SetItems({"a", "b", "c"});
  G.SetLoading(false);
  EXPECT_EQ(G.ButtonCount(), 3);
  EXPECT_EQ(G.ItemIndex(), 2);
  EXPECT_TRUE(G.SwitchButton(2)->Switch().State);
  EXPECT_FALSE(G.SwitchButton(0)->Switch().State);

  TGUISkinner Plain;
  {
    TGlyphSwitch S(nullptr, skTumbler);
    S.resize(30, 20);
    S.SetColor(0x102030);
    S.SetGUISkinner(&Plain);
    S.PaintToBuffer();
    EXPECT_TRUE(S.OffGlyph().Empty());
    EXPECT_EQ(S.Buffer().Row(10)[15].Value & 0xFFFFFF, ColorToBGRA(0x102030) & 0xFFFFFF);
  }
  EXPECT_TRUE(DefaultHeadlessSink().Messages().empty());
}

TEST_F(Switches, ToolGroupsCountTheirVariant) {
  QWidget Form;
  Form.resize(200, 40);
  auto* G = new TVelRadioGroup(&Form, "Tools");
  G->setGeometry(0, 0, 200, 30);
  G->SetColumns(4);
  G->SetItems({"Move", "Zoom", "|>#0FF0`Pick`Pick a colour|#0FF0`Brush`Paint|`Erase`Erase", "Hand"});
  TVelRadioGroup* Tool = G->ToolButton(2);
  ASSERT_NE(Tool, nullptr);
  EXPECT_TRUE(Tool->Stacked());
  EXPECT_EQ(Tool->Items().size(), 3u);
  G->SetItemIndex(2);
  Tool->SetItemIndex(1);
  EXPECT_EQ(G->ItemIndexWithSubtools(), 34);
  G->NextSubtool();
  EXPECT_EQ(Tool->ItemIndex(), 2);
  G->NextSubtool();
  EXPECT_EQ(Tool->ItemIndex(), 0);
  // Only the chosen variant is visible.
  EXPECT_TRUE(Tool->SwitchButton(0)->isVisibleTo(Tool));
  EXPECT_FALSE(Tool->SwitchButton(1)->isVisibleTo(Tool));

  // A press held on a stacked group starts the 150 ms menu timer; a release stops it.
  QTest::mousePress(Tool->SwitchButton(0), Qt::LeftButton, {}, QPoint(3, 3));
  EXPECT_TRUE(Tool->HoldTimer().isActive());
  EXPECT_EQ(Tool->HoldTimer().interval(), 150);
  QTest::mouseRelease(Tool->SwitchButton(0), Qt::LeftButton, {}, QPoint(300, 300));
  EXPECT_FALSE(Tool->HoldTimer().isActive());
  QTest::mousePress(G->SwitchButton(0), Qt::LeftButton, {}, QPoint(3, 3));
  EXPECT_FALSE(G->HoldTimer().isActive()) << "a group that is not stacked has no menu";
  QTest::mouseRelease(G->SwitchButton(0), Qt::LeftButton, {}, QPoint(300, 300));

  // The variant menu: rebuilt from the items, the selection ticked.
  Tool->ShowSubtoolMenu();
  const QList<QAction*> A = Tool->SubtoolMenu().actions();
  ASSERT_EQ(A.size(), 3);
  EXPECT_EQ(A[0]->text(), "Pick");
  EXPECT_EQ(A[0]->toolTip(), "Pick a colour");
  EXPECT_EQ(A[2]->text(), "Erase");
  EXPECT_TRUE(A[0]->isChecked());
  TImage32 Glyph;
  EXPECT_EQ(!A[0]->icon().isNull(), GlyphBitmapFromText("#0FF0", Glyph)) << "a glyph pattern gives a picture";
  Tool->SubtoolMenu().hide();
  int Changes = 0;
  G->OnChange = [&](QWidget*) { ++Changes; };
  Tool->MenuClick(1);
  EXPECT_EQ(Tool->ItemIndex(), 1);
  // The variant change is the group's change, and the menu's click on the
  // selected tool button reports once more.
  EXPECT_EQ(Changes, 2);
  // Replacing the item by a plain one gives a switch button again.
  G->SetItems({"Move", "Zoom", "Pick", "Hand"});
  EXPECT_NE(G->SwitchButton(2), nullptr);
  EXPECT_EQ(G->ToolButton(2), nullptr);
}

TEST_F(Switches, ComboKeysAndMenu) {
  TStyleGui Skinner;
  Skinner.SetStyleType(stBlack);
  TVelComboBoxController C(nullptr, "Blend", "Normal;Multiply;Screen;Overlay", 8);
  C.resize(110, 22);
  C.SetGUISkinner(&Skinner);
  int Changes = 0, Clicks = 0;
  C.Switch().OnChange = [&](void*) { ++Changes; };
  C.OnClick = [&](QWidget*) { ++Clicks; };
  struct Step {
    Qt::Key Key;
    int32_t Position;
  };
  const Step Steps[] = {{Qt::Key_Up, 0},  {Qt::Key_Down, 1}, {Qt::Key_End, 3},
                        {Qt::Key_Down, 3}, {Qt::Key_Home, 0}, {Qt::Key_Down, 1}};
  for (const Step& S : Steps) {
    QTest::keyClick(&C, S.Key);
    EXPECT_EQ(C.Switch().SelectorPosition, S.Position) << S.Key;
  }
  EXPECT_EQ(Changes, 4);

  Click(C);
  QList<QAction*> A = C.ItemMenu().actions();
  ASSERT_EQ(A.size(), 4);
  EXPECT_EQ(A[2]->text(), "Screen");
  EXPECT_TRUE(A[1]->isChecked());
  EXPECT_EQ(C.Switch().SelectorPosition, 1) << "a click does not cycle";
  C.ItemMenu().hide();
  A[1]->trigger();
  EXPECT_EQ(Changes, 4) << "the selected entry changes nothing";
  EXPECT_EQ(Clicks, 1);
  A[3]->trigger();
  EXPECT_EQ(C.Switch().SelectorPosition, 3);
  EXPECT_EQ(Changes, 5);

  C.SetCaption("Normal;Multiply;Screen;Overlay");
  EXPECT_EQ(C.ItemMenu().actions().size(), 4) << "an equal caption keeps the menu";
  C.SetCaption("Linear;Log");
  EXPECT_TRUE(C.ItemMenu().actions().isEmpty());
  EXPECT_EQ(C.ItemsCount(), 2);
  EXPECT_EQ(C.GetItem(5), "Log");
  Click(C);
  C.ItemMenu().hide();
  EXPECT_EQ(C.ItemMenu().actions().size(), 2);
  C.SetCaption("");
  Click(C);
  C.ItemMenu().hide();
  EXPECT_EQ(C.ItemMenu().actions().size(), 1) << "an empty caption still gives one entry";

  C.SetCaption("Normal;Multiply;Screen;Overlay");
  C.Switch().SetSelectorPosition(2);
  testing::SaveScreenshot(C, Suite, "combo_screen");
}

TEST_F(Switches, PanelDrawsTwoRingsAndItsColour) {
  TVelPanel P;
  P.resize(20, 12);
  P.SetColor(0x282828);
  P.SetBevelColors(0x484848, 0x202020);
  struct Px {
    int X, Y;
    TColor C;
  };
  const Px Expect[] = {{0, 0, 0x484848},  {19, 0, 0x484848},  {0, 11, 0x484848}, {19, 11, 0x484848},
                       {1, 1, 0x202020},  {18, 10, 0x202020}, {0, 1, 0x202020},  {18, 0, 0x202020},
                       {2, 2, 0x282828},  {17, 9, 0x282828},  {10, 6, 0x282828}};
  for (const Px& E : Expect) EXPECT_EQ(PixelAt(P, E.X, E.Y), E.C) << E.X << "," << E.Y;
  testing::SaveScreenshot(P, Suite, "panel");

  TImage32 Picture;
  Picture.Alloc(4, 4);
  Picture.Fill(0x0000FF);
  P.SetBackground(Picture);
  EXPECT_EQ(PixelAt(P, 10, 6), 0x282828u) << "the background is held, not painted";

  TVelPanel Small;
  Small.resize(4, 4);
  Small.SetColor(0x0000FF);
  for (int Y = 0; Y < 4; ++Y)
    for (int X = 0; X < 4; ++X) EXPECT_NE(PixelAt(Small, X, Y), 0x0000FFu) << "no fill in a 4 x 4 panel";
}

}  // namespace
}  // namespace kromel
