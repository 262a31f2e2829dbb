#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "colour/colour_discs.h"
#include "colour/rgb_lab_xyz.h"
#include "foundation/byte_stream.h"
#include "lut/lut.h"
#include "session/harmony_page.h"
#include "session/signal_path_layout.h"
#include "session/view_display_mode.h"
#include "session_test_support.h"

namespace kromel {
namespace {

using session_test::MaxIdentityError;
using session_test::MaxLutDifference;
using session_test::SessionTest;
using Captions = std::vector<std::string>;

// ---- display modes

TEST(ViewDisplayMode, EachItemSelectsItsModeAndTheCompositeFollowsClipWarnings) {
  const struct {
    int32_t Item;
    bool Clip;
    uint8_t Mode;
  } Cases[] = {{0, false, 0}, {0, true, 1},  {1, false, 2}, {1, true, 2},  {2, false, 3}, {3, false, 4},
               {4, false, 5}, {5, false, 6}, {6, false, 7}, {7, false, 8}, {8, true, 9},  {-1, true, 1},
               {9, false, 0}};
  for (const auto& C : Cases) EXPECT_EQ(DisplayModeOf(C.Item, C.Clip), C.Mode) << C.Item << " " << C.Clip;
  EXPECT_STREQ(SeparateChannelItems()[7].Caption, "CMYK Black");
  EXPECT_STREQ(SeparateChannelItems()[8].Caption, "False colors");
}

// ---- signal path

std::vector<const TSignalPathItem*> LinksInto(const TSignalPathLayout& L, int32_t Col) {
  std::vector<const TSignalPathItem*> Out;
  for (const TSignalPathItem& I : L.Items)
    if (I.IsLink && I.ToCol == Col) Out.push_back(&I);
  return Out;
}

TEST_F(SessionTest, SignalPathOfTheDefaultPresetHasEveryFixedBoxGreyedWhereOff) {
  TKromelSession S(nullptr, nullptr, 9);
  const TSignalPathInputs In = SignalPathInputsOf(S.Controls);
  EXPECT_FALSE(In.ExternalLutOn);
  EXPECT_FALSE(In.InputLog);
  const TSignalPathLayout L = LayoutSignalPath(In);
  EXPECT_EQ(L.BoxCaptions(),
            (Captions{"WB", "CM", "Volume", "A/B", "C/L", "Curves", "2DCur", "Mask", "Master"}));
  for (const char* Off : {"WB", "CM", "Volume", "A/B", "C/L", "Curves", "2DCur", "Mask", "Master"}) {
    ASSERT_NE(L.Box(Off), nullptr) << Off;
    EXPECT_EQ(L.Box(Off)->Active, In.PageSwitches[6] && std::string(Off) == "Mask") << Off;
    EXPECT_EQ(L.Box(Off)->TextColor(), L.Box(Off)->Active ? SignalPathActiveText : SignalPathInactiveText);
  }
  EXPECT_EQ(L.Box("A/B")->Fill, SignalPathGridBoxFill);
  EXPECT_EQ(L.Box("CM")->Fill, SignalPathBoxFill);
  // The mask box spans two rows and gets the chain, its source line from
  // the input below and its key from above.
  const TSignalPathItem* Mask = L.Box("Mask");
  EXPECT_TRUE(Mask->Wrapped);
  EXPECT_EQ(Mask->Col, 7);
  const auto In7 = LinksInto(L, 7);
  ASSERT_EQ(In7.size(), 4u);
  EXPECT_EQ(In7[0]->Col, 6);
  EXPECT_EQ(In7[1]->Col, 6);
  EXPECT_EQ(In7[2]->Col, -1);
  EXPECT_EQ(In7[2]->ToRow, 2);
  EXPECT_EQ(In7[2]->Bend, 0);
  EXPECT_EQ(In7[3]->Bend, -1);

  // Switching units on lights their boxes.
  S.Controls.FindGroup("PagesRadioGroup")->SetButtonSwitchState(0, true);
  S.Controls.FindGroup("PagesRadioGroup")->SetButtonSwitchState(4, true);
  S.Controls.FindGroup("CurvesMRGBRadioGroup")->SetButtonSwitchState(0, true);
  const TSignalPathLayout On = LayoutSignalPath(SignalPathInputsOf(S.Controls));
  EXPECT_TRUE(On.Box("CM")->Active);
  EXPECT_TRUE(On.Box("Curves")->Active);
  EXPECT_FALSE(On.Box("Volume")->Active);

  // The rest of what the diagram reads of the controls.
  S.Controls.Get<TSwitchControl>("InputLogComboBox")->SelectorPosition = 1;
  S.Controls.Get<TSwitchControl>("UtilityLUTModeComboBox")->SelectorPosition = 3;
  S.Controls.Get<TSwitchControl>("MaskDestinationComboBox")->SelectorPosition = 5;
  S.Controls.Get<TSwitchControl>("ExternalLUTGlyphSwitch")->State = true;
  S.Controls.Get<TSwitchControl>("MasterGlyphSwitch")->State = true;
  S.Controls.Find("TransformTintKnob")->SetControllerValue(40);
  const TSignalPathInputs More = SignalPathInputsOf(S.Controls);
  EXPECT_TRUE(More.InputLog);
  EXPECT_FALSE(More.OutputLog);
  EXPECT_TRUE(More.ExternalLutOn);
  EXPECT_EQ(More.ExternalLutPosition, 3);
  EXPECT_EQ(More.MaskDestination, 5);
  EXPECT_TRUE(More.WhiteBalance);
  EXPECT_TRUE(More.MasterOn);
  const TSignalPathLayout M = LayoutSignalPath(More);
  EXPECT_TRUE(M.Box("WB")->Active);
  EXPECT_TRUE(M.Box("Master")->Active);
  EXPECT_EQ(M.BoxCaptions(), (Captions{"LogDec", "WB", "CM", "Volume", "A/B", "C/L", "Curves", "Mask", "2DCur",
                                       "ExtLUT", "Master"}));
}

TEST(SignalPathLayout, ExternalLutLogCurvesAndMaskDestinationsPlaceTheirBoxes) {
  const struct {
    bool Ext;
    int32_t Position, Dest;
    bool InLog, OutLog;
    Captions Row1;
    int32_t MaskCol;
    bool MaskWrapped;
  } Cases[] = {
      {true, 0, 0, false, false, {"ExtLUT", "WB", "CM", "Volume", "A/B", "C/L", "Curves", "2DCur", "Mask", "Master"}, 8, true},
      {true, 1, 0, true, true, {"LogDec", "WB", "ExtLUT", "CM", "LogEnc", "Volume", "A/B", "C/L", "Curves", "2DCur", "Mask", "Master"}, 10, true},
      {true, 2, 1, false, false, {"WB", "CM", "Mask", "Volume", "ExtLUT", "A/B", "C/L", "Curves", "2DCur", "Master"}, 2, true},
      {true, 3, 3, false, false, {"WB", "CM", "Volume", "A/B", "C/L", "Mask", "Curves", "2DCur", "ExtLUT", "Master"}, 5, true},
      // Mask destination 7: before every stage, a plain box without lines.
      {false, 0, 7, false, false, {"Mask", "WB", "CM", "Volume", "A/B", "C/L", "Curves", "2DCur", "Master"}, 0, false},
      // 8: after "2DCur" and after the wrapped external-mask box.
      {true, 4, 8, false, false, {"WB", "CM", "Volume", "A/B", "C/L", "Curves", "2DCur", "Ext\rMask", "Mask", "Master"}, 8, false},
      // "Masked alt.": the external LUT sits below the chain and the mask
      // works on everything whatever its destination says.
      {true, 5, 7, false, false, {"WB", "CM", "Volume", "A/B", "C/L", "Curves", "2DCur", "Mask", "Master", "ExtLUT"}, 7, true},
      // Off: no external LUT box whatever its position.
      {false, 2, 2, false, true, {"WB", "CM", "LogEnc", "Volume", "Mask", "A/B", "C/L", "Curves", "2DCur", "Master"}, 4, true},
  };
  for (const auto& C : Cases) {
    TSignalPathInputs In;
    In.ExternalLutOn = C.Ext;
    In.ExternalLutPosition = C.Position;
    In.MaskDestination = C.Dest;
    In.InputLog = C.InLog;
    In.OutputLog = C.OutLog;
    const TSignalPathLayout L = LayoutSignalPath(In);
    SCOPED_TRACE(std::to_string(C.Position) + "/" + std::to_string(C.Dest));
    EXPECT_EQ(L.BoxCaptions(), C.Row1);
    const TSignalPathItem* Mask = L.Box("Mask");
    ASSERT_NE(Mask, nullptr);
    EXPECT_EQ(Mask->Col, C.MaskCol);
    EXPECT_EQ(Mask->Wrapped, C.MaskWrapped);
    if (!C.MaskWrapped) {
      for (const TSignalPathItem* Link : LinksInto(L, C.MaskCol)) EXPECT_EQ(Link->Bend, 0);
    }
    EXPECT_GE(L.Width(), (int32_t(C.Row1.size()) - 1) * 45 + 53);
  }
}

TEST(SignalPathLayout, MaskedAltSourceLineStartsAtTheLowerExternalLutBox) {
  TSignalPathInputs In;
  In.ExternalLutOn = true;
  In.ExternalLutPosition = 5;
  const TSignalPathLayout L = LayoutSignalPath(In);
  const TSignalPathItem* Ext = L.Box("ExtLUT");
  ASSERT_NE(Ext, nullptr);
  EXPECT_EQ(Ext->Row, 2);
  EXPECT_EQ(Ext->Col, 0);
  const int32_t MaskCol = L.Box("Mask")->Col;
  bool SourceLine = false;
  for (const TSignalPathItem* Link : LinksInto(L, MaskCol))
    SourceLine |= Link->Col == 0 && Link->Row == 2 && Link->ToRow == 2;
  EXPECT_TRUE(SourceLine);
}

TEST(SignalPathThumbnail, TheHueDiscPassesThroughTheExternalLutOnlyWhenItHoldsData) {
  TImage32 Disc, Plain, Thumb;
  Disc.Init();
  Plain.Init();
  Thumb.Init();
  ASSERT_TRUE(Disc.Alloc(256, 256));
  DrawHueDisc(Disc);
  ExternalLutThumbnail(Disc, nullptr, Plain);
  ASSERT_EQ(Plain.Width, 75);
  ASSERT_EQ(Plain.Height, 75);
  EXPECT_EQ(Plain.GetPixel(37, 37), Disc.GetPixel(37 * 256 / 75, 37 * 256 / 75));

  T3DLut NoData;
  NoData.Name = "empty.cube";
  ExternalLutThumbnail(Disc, &NoData, Thumb);
  EXPECT_EQ(0, std::memcmp(Thumb.Pixels, Plain.Pixels, size_t(Plain.Size) * 4));

  // An inverting LUT turns the white centre black.
  T3DLut Invert;
  ASSERT_TRUE(Invert.SetSize(5));
  Invert.SetDefault();
  for (int32_t I = 0; I < Invert.Count; ++I) {
    Invert.R[I] = 1 - Invert.R[I];
    Invert.G[I] = 1 - Invert.G[I];
    Invert.B[I] = 1 - Invert.B[I];
  }
  ExternalLutThumbnail(Disc, &Invert, Thumb);
  const TBGRAPixel32 Centre = Thumb.Pixels[37 * 75 + 37].BGRA, Was = Plain.Pixels[37 * 75 + 37].BGRA;
  EXPECT_GT(Was.R + Was.G + Was.B, 600);
  EXPECT_LT(Centre.R + Centre.G + Centre.B, 150);
  Disc.Dispose();
  Plain.Dispose();
  Thumb.Dispose();
}

TEST(SignalPathThumbnail, TheNameLabelTellsTheLutAndItsPreset) {
  auto Width = [](const std::string& S) { return int32_t(S.size()) * 6; };
  TExternalLutLabel None = ExternalLutLabel(nullptr, Width, 200);
  EXPECT_EQ(None.Caption, "[No 3DLUT loaded]");
  EXPECT_EQ(None.Hint, "[No 3DLUT loaded]");
  EXPECT_FALSE(None.HasPreset);

  T3DLut Lut;
  ASSERT_TRUE(Lut.SetSize(3));
  Lut.SetDefault();
  EXPECT_EQ(ExternalLutLabel(&Lut, Width, 200).Caption, "[No 3DLUT loaded]");  // nameless
  Lut.Name = "/looks/film/warm.cube";
  TExternalLutLabel Named = ExternalLutLabel(&Lut, Width, 400);
  EXPECT_EQ(Named.Caption, "/looks/film/warm.cube [No preset]");
  EXPECT_EQ(Named.Hint, "/looks/film/warm.cube");
  EXPECT_FALSE(Named.HasPreset);

  Lut.Preset = std::make_unique<TMemoryStream>();
  Lut.Preset->SetSize(3000);
  TExternalLutLabel WithPreset = ExternalLutLabel(&Lut, Width, 60);
  EXPECT_TRUE(WithPreset.HasPreset);
  EXPECT_EQ(WithPreset.Caption, "warm.cube [Preset 2 kb]");
  EXPECT_EQ(WithPreset.Hint, "/looks/film/warm.cube");
}

// ---- harmony page

TEST(HarmonyPage, TheWeightCurveIsOneAtTheCentreAndZeroFromTheEdges) {
  EXPECT_FLOAT_EQ(HarmonyWeight(0), 1);
  for (float X : {-1.0f, 1.0f, 1.5f, -3.0f, NAN}) EXPECT_EQ(HarmonyWeight(X), 0) << X;
  EXPECT_NEAR(HarmonyWeight(0.5f), 0.0037207f, 1e-6f);
  EXPECT_NEAR(HarmonyWeight(0.25f), 0.6521861f, 1e-6f);
  EXPECT_FLOAT_EQ(HarmonyWeight(0.2f), HarmonyWeight(-0.2f));
}

TEST(HarmonyPage, HiddenTargetsGiveTheIdentityInBothModes) {
  THarmonySettings S;
  for (THarmonyPair& P : S.Pairs) {
    P.Source = 0x0000FF;
    P.Target = 0xFF0000;
    P.TargetVisible = false;
  }
  S.SmoothItem = 0;
  for (bool Total : {false, true}) {
    S.Total = Total;
    T3DLut Lut;
    ASSERT_TRUE(Lut.SetSize(9));
    ASSERT_TRUE(CalcLutHarmony(S, -1, Lut));
    EXPECT_LT(MaxIdentityError(Lut), 1e-6f) << Total;
  }
}

// The RGB of a node's Lab bytes L with the target's a and b.
void ExpectTargetChroma(const T3DLut& Lut, int64_t At, TColor Node, TColor Target) {
  const uint32_t N = RGBtoLABColor(Node), T = RGBtoLABColor(Target);
  float R, G, B;
  LABtoRGBSingle(float(N & 0xFF) * 100 / 255, (float((T >> 8) & 0xFF) - 128) * 100 / 128,
                 (float((T >> 16) & 0xFF) - 128) * 100 / 128, R, G, B);
  EXPECT_NEAR(Lut.R[At], R, 1e-6f);
  EXPECT_NEAR(Lut.G[At], G, 1e-6f);
  EXPECT_NEAR(Lut.B[At], B, 1e-6f);
}

TEST(HarmonyPage, ANodeAtTheSourceTakesTheTargetChromaWithItsOwnLightness) {
  // Node (4, 1, 0) of a 5-level LUT has the bytes 255, 63, 0.
  const TColor Source = 0x003FFF, Target = 0xC04020;
  const int64_t At = 4 + 5 * 1;
  THarmonySettings S;
  for (THarmonyPair& P : S.Pairs) P.TargetVisible = false;
  S.Pairs[0] = {Source, Target, true, 0, 0, 20};
  S.SmoothItem = 0;
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetSize(5));
  ASSERT_TRUE(CalcLutHarmony(S, -1, Lut));
  ExpectTargetChroma(Lut, At, Source, Target);
  // Far from the source (blue) the node keeps its colour.
  const int64_t Blue = 0 + 5 * (0 + 5 * 4);
  EXPECT_FLOAT_EQ(Lut.B[Blue], 1);
  EXPECT_FLOAT_EQ(Lut.R[Blue], 0);

  // The mask of pair 0: the node's own colour where the pair works, black
  // far away; another pair's mask is black there.
  ASSERT_TRUE(CalcLutHarmony(S, 0, Lut));
  EXPECT_FLOAT_EQ(Lut.R[At], 1);
  EXPECT_FLOAT_EQ(Lut.G[At], 0.25f);
  EXPECT_FLOAT_EQ(Lut.B[Blue], 0);
  ASSERT_TRUE(CalcLutHarmony(S, 1, Lut));
  EXPECT_FLOAT_EQ(Lut.R[At], 0);
}

TEST(HarmonyPage, TotalModeWithoutVariationGivesEveryNodeTheNearestTargetsChroma) {
  const TColor Red = 0x0000FF, Blue = 0xFF0000;
  THarmonySettings S;
  S.Total = true;
  S.VariationLimit = 0;
  S.SmoothItem = 0;
  for (THarmonyPair& P : S.Pairs) P.TargetVisible = false;
  S.Pairs[0] = {Red, 0x00C000, true, 0, 60, 50};   // red becomes green
  S.Pairs[1] = {Blue, 0x00C0FF, true, 0, 60, 50};  // blue becomes orange
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetSize(5));
  ASSERT_TRUE(CalcLutHarmony(S, -1, Lut));
  ExpectTargetChroma(Lut, 4, Red, 0x00C000);
  ExpectTargetChroma(Lut, 5 * 5 * 4, Blue, 0x00C0FF);
  // A dark reddish node goes with red.
  ExpectTargetChroma(Lut, 3 + 5 * (0 + 5 * 1), 0x3F00BF, 0x00C000);
  // Pair 1's preview blacks out what pair 0 takes.
  ASSERT_TRUE(CalcLutHarmony(S, 1, Lut));
  EXPECT_EQ(Lut.R[4] + Lut.G[4] + Lut.B[4], 0);
  ExpectTargetChroma(Lut, 5 * 5 * 4, Blue, 0x00C0FF);
}

TEST_F(SessionTest, HarmonyMaskPreviewRendersItsOwnLutAndLeavesTheMainLut) {
  TKromelSession S(nullptr, nullptr, 17);
  S.Show();
  session_test::MakeNonTrivial(S);
  // Left half the source colour, right half blue.
  ASSERT_TRUE(S.Image.Alloc(40, 20));
  for (int32_t Y = 0; Y < 20; ++Y)
    for (int32_t X = 0; X < 40; ++X)
      S.Image.Pixels[Y * 40 + X].Init(X < 20 ? 65535 : 0, X < 20 ? 63 * 257 : 0, X < 20 ? 0 : 65535, 65535);
  S.SourceImageChanged();
  S.UpdateImage(true, true);
  T3DLut Before, After;
  ASSERT_TRUE(S.CopyMainLut(Before));
  ASSERT_GT(MaxIdentityError(Before), 0.02f);

  THarmonySettings H;
  for (THarmonyPair& P : H.Pairs) P.TargetVisible = false;
  H.Pairs[0] = {0x003FFF, 0xC04020, true, 0, 0, 20};
  TImage32 Out;
  ASSERT_TRUE(HarmonyMaskPreview(S, H, 0, Out));
  ASSERT_TRUE(S.CopyMainLut(After));
  EXPECT_EQ(MaxLutDifference(Before, After), 0.0f);
  ASSERT_EQ(Out.Width, 40);
  const TBGRAPixel32 Left = Out.Pixels[10 * 40 + 5].BGRA, Right = Out.Pixels[10 * 40 + 35].BGRA;
  EXPECT_GT(Left.R, 240);
  EXPECT_LT(Left.B, 10);
  EXPECT_LT(Right.R + Right.G + Right.B, 10);
  Out.Dispose();
  S.Close();
}

}  // namespace
}  // namespace kromel
