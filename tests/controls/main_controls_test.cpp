#include <gtest/gtest.h>

#include <set>

#include "controls/main_controls.h"
#include "engine/kromel_preset.h"
#include "engine/mask_slot.h"
#include "platform/message_sink.h"

namespace kromel {
namespace {

template <class T>
T* Param(TKromelPreset& P, const char* Section, const char* Name) {
  return dynamic_cast<T*>(FindPresetParameter(P, Section, Name));
}

TEST(MainControlTable, NumbersAreUniqueAndTheChunkHolds138Values) {
  std::set<int32_t> Used;
  TMainWindowControls C;
  for (const TControlDef& D : MainControlTable()) {
    TController* Control = C.Find(D.Name);
    ASSERT_NE(Control, nullptr) << D.Name;
    const int32_t N = Control->GetControllerNumber();
    if (N == 0) continue;
    EXPECT_GE(N, 1) << D.Name;
    EXPECT_LE(N + Control->ControllersCount - 1, 137) << D.Name;
    for (int32_t I = 0; I < Control->ControllersCount; ++I)
      EXPECT_TRUE(Used.insert(N + I).second) << D.Name << " overlaps at " << N + I;
    EXPECT_EQ(C.Controllers.At(N), Control) << D.Name;
  }
  EXPECT_EQ(C.Controllers.At(21), C.FindGroup("PagesRadioGroup")->GetButtonSwitch(0));
  EXPECT_EQ(C.Controllers.At(91), C.Get<TController>("SatLumLumaSatSwitch"));
  TMemoryStream S;
  C.Controllers.SaveValuesToStream(S);
  EXPECT_EQ(S.Size(), 12 + 4 * 138);
  EXPECT_EQ(C.Controllers.GetUsedCount(), 138);
}

TEST(MainControlTable, EveryControlBindsToAnExistingParameter) {
  TKromelPreset Preset;
  TMainWindowControls C;
  std::vector<std::string> Bound;
  C.OnBound = [&](const TControlDef& D, TController&) { Bound.push_back(D.Name); };
  const int32_t Missing = C.LinkControlsToPreset(Preset);
  // The mask section holds no parameters until its unit exists.
  int32_t MaskBindings = 0;
  for (const TControlDef& D : MainControlTable())
    if (D.Parameter != nullptr && D.Section != nullptr && std::string(D.Section) == "Mask")
      ++MaskBindings;
  EXPECT_EQ(Missing, IsMaskStandIn(Preset.Mask) ? MaskBindings : 0);

  size_t Next = 0;
  for (const TControlDef& D : MainControlTable()) {
    if (D.Parameter == nullptr) continue;
    TControlledParameter* P = FindPresetParameter(Preset, D.Section, D.Parameter);
    if (P == nullptr) continue;
    ASSERT_LT(Next, Bound.size());
    EXPECT_EQ(Bound[Next++], D.Name) << "binding order";
    TController* Control = C.Find(D.Name);
    if (D.Kind == TControlKind::ColorWheel || D.Kind == TControlKind::MultiRange)
      EXPECT_TRUE(static_cast<bool>(P->OnChange)) << D.Name;
    else
      EXPECT_EQ(Control->Parameter, P) << D.Name;
  }
  EXPECT_EQ(Next, Bound.size());
}

// Counts the events of a control and of its parameter.
struct TEventCount {
  int Control = 0;
  int Parameter = 0;
};

TEST(MainControlBinding, BothDirectionsWithoutEventsOnUnchangedValues) {
  TKromelPreset Preset;
  TMainWindowControls C;
  C.LinkControlsToPreset(Preset);

  // Captioned bar and Single parameter.
  auto* Knob = C.Get<TCaptionedScrollBarControl>("TransformExposureKnob");
  auto* Exposure = Param<TControlledParameterSingle>(Preset, "Basic", "Exposure");
  ASSERT_NE(Knob, nullptr);
  ASSERT_NE(Exposure, nullptr);
  TEventCount N;
  Knob->OnChange = [&](void*) { ++N.Control; };
  Knob->SetValue(40);
  EXPECT_FLOAT_EQ(Exposure->Value, 0.7f);
  EXPECT_EQ(N.Control, 1);
  Exposure->SetValue(0.25f);
  EXPECT_EQ(Knob->GetValue(), -50);
  EXPECT_GE(N.Control, 2);
  const int AfterLoad = N.Control;
  Knob->SetValue(-50);
  Exposure->SetValue(0.25f);
  EXPECT_EQ(N.Control, AfterLoad) << "an unchanged value fires nothing";

  // Plain bar, reversed.
  auto* Balance = C.Get<TScrollBarControl>("ShadowsHighlightsBalanceScrollBar");
  auto* Threshold = Param<TControlledParameterSingle>(Preset, "ABGrid", "HSThreshold");
  Balance->SetDisplayPosition(100);
  EXPECT_FLOAT_EQ(Threshold->Value, 1.0f);
  Threshold->SetValue(0.25f);
  EXPECT_EQ(Balance->GetDisplayPosition(), -50);

  // Switch, selector and page switch with Integer parameters.
  auto* Proportional = C.Get<TSwitchControl>("Curves2DProportionalGlyphSwitch");
  auto* PropParam = Param<TControlledParameterInteger>(Preset, "2DCurves", "Proportional");
  PropParam->OnChange = [Inner = PropParam->OnChange, &N](void* S) {
    ++N.Parameter;
    Inner(S);
  };
  N = {};
  Proportional->OnChange = [&](void*) { ++N.Control; };
  Proportional->SetState(false);
  EXPECT_EQ(PropParam->Value, 0);
  EXPECT_EQ(N.Control, 1);
  EXPECT_EQ(N.Parameter, 1);
  Proportional->SetState(false);
  PropParam->SetValue(0);
  EXPECT_EQ(N.Control, 1);
  EXPECT_EQ(N.Parameter, 1);
  PropParam->SetValue(1);
  EXPECT_TRUE(Proportional->State);
  EXPECT_EQ(N.Control, 2);

  auto* Mode = C.Get<TComboControl>("VolumeModeComboBox");
  auto* ModeParam = Param<TControlledParameterInteger>(Preset, "Volume", "Mode");
  Mode->SetSelectorPosition(3);
  EXPECT_EQ(ModeParam->Value, 3);
  ModeParam->SetValue(1);
  EXPECT_EQ(Mode->SelectorPosition, 1);

  TRadioGroupControl* Pages = C.FindGroup("PagesRadioGroup");
  Pages->SetButtonSwitchState(5, true);
  EXPECT_EQ(Param<TControlledParameterInteger>(Preset, "2DCurves", "Enabled")->Value, 1);
  Preset.CurvesEnabled->SetValue(1);
  EXPECT_TRUE(Pages->GetButtonSwitchState(4));

  // Colour plate.
  auto* Plate = C.Get<TColorPlateControl>("LogMaximumColorShape");
  Plate->SetColor(0x123456);
  EXPECT_EQ(Preset.LogDecoder->MaxColor->Value, 0x123456);
  Preset.LogDecoder->MaxColor->SetValue(77);
  EXPECT_EQ(Plate->Color, 77);

  // Colour wheel and rings edit their parameters in place.
  auto* Wheel = C.Get<TColorWheelControl>("ColorWheelGamma");
  int WheelEvents = 0;
  Wheel->OnChange = [&](void*) { ++WheelEvents; };
  C.Controllers.SetControllerValueSSilent(96, 1.0f);
  EXPECT_EQ(Param<TControlledParameterColorWheel>(Preset, "Curves", "Gamma")->Point.Y, 100);
  EXPECT_EQ(WheelEvents, 1);
  C.Controllers.SetControllerValueSSilent(96, 1.0f);
  EXPECT_EQ(WheelEvents, 1);
  auto* Rings = C.Get<TMultiRangeControl>("RingsMultiRangeScrollBar");
  auto* Ranges = Param<TControlledParameterIntegerArray>(Preset, "Curves", "Ranges");
  Rings->SetDotPosition(1, 600);
  EXPECT_EQ(Ranges->Values[1], 600);
  Ranges->Values[2] = 900;
  EXPECT_EQ(Rings->GetDotPosition(2), 900);
}

TEST(MainControlBinding, ChunkRoundTripRestoresTheBoundParameters) {
  TKromelPreset A, B;
  TMainWindowControls CA, CB;
  CA.LinkControlsToPreset(A);
  CB.LinkControlsToPreset(B);
  A.Basic->Temperature->SetValue(0.75f);
  A.Volume->LumaMode->SetValue(0);
  A.Master->Smooth->SetValue(1);
  TMemoryStream S;
  CA.Controllers.SaveValuesToStream(S);
  S.SetPosition(0);
  ASSERT_TRUE(CB.Controllers.LoadValuesFromStream(S));
  EXPECT_FLOAT_EQ(B.Basic->Temperature->Value, 0.75f);
  EXPECT_EQ(B.Volume->LumaMode->Value, 0);
  EXPECT_EQ(B.Master->Smooth->Value, 1);
}

TEST(DefaultPreset, HoldsTheValuesTheControlsPush) {
  DefaultHeadlessSink().EchoToStderr = false;
  std::unique_ptr<TKromelPreset> P = CreateDefaultPreset();
  DefaultHeadlessSink().EchoToStderr = true;
  EXPECT_EQ(P->LogDecoder->MaxColor->Value, 16777215);
  struct TSingleCase {
    const char* Section;
    const char* Name;
    float Value;
  };
  const std::vector<TSingleCase> Singles = {
      {"Basic", "Temperature", 0.5f},     {"Basic", "Tint", 0.5f},
      {"Basic", "Exposure", 0.5f},        {"Basic", "HueTwist", 0.0f},
      {"Basic", "Blacks", 0.5f},          {"Basic", "DynamicRange", 0.5f},
      {"Clipping", "HighlightRecovery", 1.0f}, {"Clipping", "ColorRecovery", 0.0f},
      {"ChannelMixer", "Lighten", 0.5f},  {"ChannelMixer", "ChannelMixerGamma", 190.0f / 350.0f},
      {"ChannelMixer", "SaturationLimit", 1.0f}, {"ChannelMixer", "OffsetR", 0.5f},
      {"Volume", "Gamma", 190.0f / 350.0f}, {"Volume", "Limit", 1.0f},
      {"ABGrid", "Brightness", 0.5f},     {"ABGrid", "HSThreshold", 0.5f},
      {"CLGrid", "GridRotation", 0.5f},   {"ModelSaturation", "Saturation", 0.5f},
      {"RGBContrast", "Contrast", 0.5f},  {"RGBContrast", "Pivot", 0.5f},
      {"Curves", "RGBDepth", 0.5f},       {"Curves", "HueRotation", 0.5f},
      {"Curves", "RGBGamutExtension", 0.5f}, {"2DCurves", "Blend", 0.5f},
      {"ExternalLUT", "Blend", 0.75f},    {"Master", "Blend", 0.75f},
      {"Master", "Luminance", 0.75f},     {"Master", "Hue", 0.75f},
      {"Master", "Saturation", 0.75f},
  };
  for (const TSingleCase& Case : Singles) {
    auto* S = Param<TControlledParameterSingle>(*P, Case.Section, Case.Name);
    ASSERT_NE(S, nullptr) << Case.Section << "." << Case.Name;
    EXPECT_FLOAT_EQ(S->Value, Case.Value) << Case.Section << "." << Case.Name;
  }
  struct TIntCase {
    const char* Section;
    const char* Name;
    int32_t Value;
  };
  const std::vector<TIntCase> Integers = {
      {"ChannelMixer", "AutoGamma", 1}, {"ChannelMixer", "LumaMode", 1},
      {"Volume", "LumaMode", 2},        {"ABGrid", "AffectShadows", 1},
      {"ABGrid", "AffectHighlights", 1}, {"2DCurves", "Proportional", 1},
      {"2DCurves", "RGEnabled", 1},     {"2DCurves", "RBEnabled", 1},
      {"2DCurves", "GBEnabled", 1},     {nullptr, "ColorModel", 10},
      {nullptr, "MaskDestination", 0},  {nullptr, "ExternalLUTPosition", 0},
      {nullptr, "CurvesEnabled", 0},    {"LogDecoder", "InputLog", 0},
  };
  for (const TIntCase& Case : Integers) {
    auto* I = Param<TControlledParameterInteger>(*P, Case.Section, Case.Name);
    ASSERT_NE(I, nullptr) << Case.Name;
    EXPECT_EQ(I->Value, Case.Value) << Case.Name;
  }
  // The bindings are gone with the controls.
  EXPECT_FALSE(static_cast<bool>(P->Basic->Exposure->OnChange));

  std::string Text;
  P->SaveToXML(Text);
  for (const char* Line : {"<MaxColor>16777215</MaxColor>", "<ColorRecovery>0.000000</ColorRecovery>",
                           "<ChannelMixerGamma>0.542857</ChannelMixerGamma>",
                           "<Proportional>1</Proportional>", "<ColorModel>10</ColorModel>"})
    EXPECT_NE(Text.find(Line), std::string::npos) << Line;
}

}  // namespace
}  // namespace kromel

namespace kromel {
namespace {

// The units limit their parameters to the ranges of the controls bound to
// them: a bar's normalised 0..1, a switch's 0..1, a selector's positions
// (the log selectors' engine ranges also hold the profiles their items do
// not list yet), a colour plate's 24 bits.
TEST(MainControlTable, ParameterRangesAreTheControlsRanges) {
  TKromelPreset Preset;
  for (const TControlDef& D : MainControlTable()) {
    if (D.Parameter == nullptr) continue;
    SCOPED_TRACE(D.Name);
    TControlledParameter* P = FindPresetParameter(Preset, D.Section, D.Parameter);
    if (P == nullptr) continue;  // a mask stand-in
    if (auto* S = dynamic_cast<TControlledParameterSingle*>(P)) {
      EXPECT_EQ(S->MinValue, 0.0f);
      EXPECT_EQ(S->MaxValue, 1.0f);
      continue;
    }
    auto* I = dynamic_cast<TControlledParameterInteger*>(P);
    if (I == nullptr) continue;  // wheels and ranges
    EXPECT_EQ(I->MinValue, 0);
    switch (D.Kind) {
      case TControlKind::Switch:
      case TControlKind::ButtonSwitch: EXPECT_EQ(I->MaxValue, 1); break;
      case TControlKind::ColorPlate: EXPECT_EQ(I->MaxValue, 0xFFFFFF); break;
      case TControlKind::Selector:
        if (std::string(D.Parameter).find("Log") != std::string::npos)
          EXPECT_GE(I->MaxValue, D.ModesCount - 1);
        else
          EXPECT_EQ(I->MaxValue, D.ModesCount - 1);
        break;
      default: ADD_FAILURE() << "integer under a bar";
    }
  }
}

// Mended: a switch given 2 (as a text preset may hold) was shown off and
// wrote 0 back to its parameter.
TEST(MainControlBinding, SwitchGivenTwoIsOn) {
  TKromelPreset Preset;
  TMainWindowControls C;
  C.LinkControlsToPreset(Preset);
  auto* Switch = C.Get<TSwitchControl>("Curves2DProportionalGlyphSwitch");
  ASSERT_NE(Switch, nullptr);
  Switch->SetState(false);
  Switch->SetControllerValue(2);
  EXPECT_TRUE(Switch->State);
  EXPECT_GT(Preset.Curves2D->Proportional->Value, 0);
}

}  // namespace
}  // namespace kromel
