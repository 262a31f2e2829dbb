#include "engine/preset_calculator.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/engine_test_support.h"
#include "engine/kromel_preset.h"
#include "engine/lut_pipeline.h"

namespace kromel {
namespace {

using testing::EngineTest;
using testing::MakeIdentity;
using testing::MaxDifference;

// A preset as the window leaves it at start-up: the defaults plus the
// values the controls push (the log decoder's MaxColor is white).
class PresetCalculatorTest : public EngineTest {
 protected:
  TKromelPreset Preset;
  TLutPipeline Pipeline{Preset};
  TKromelPresetCalculator& Calc = Pipeline.Calculator;

  void SetUp() override {
    EngineTest::SetUp();
    Preset.LogDecoder->MaxColor->SetValue(MaxColorWhite);
    Pipeline.SetLutSize(17);
  }
  T3DLut& Stage(int32_t I) { return *Calc.LutStep[I]; }
  float FromIdentity(const T3DLut& Lut) {
    T3DLut Identity;
    MakeIdentity(Identity, Lut.Size);
    return MaxDifference(Lut, Identity);
  }
};

// The A/B grid unit takes every node into the working colour model even
// at its defaults, so the identity comes back within that model's round
// trip (about 0.0024 at 17 levels, 0.0054 at 64) and matches the round
// trip of a gamma identity within 1e-3.
TEST_F(PresetCalculatorTest, DefaultPresetGivesTheIdentityThroughTheWorkingModel) {
  for (int32_t N : {17, 33, 64}) {
    Pipeline.SetLutSize(N);
    ASSERT_TRUE(Pipeline.CalcLut()) << N;
    EXPECT_EQ(Pipeline.MainLut.Size, N);
    T3DLut RoundTrip;
    MakeIdentity(RoundTrip, N);
    ProcessColorModelConversion(RoundTrip, &RoundTrip, lcsCustomColorspace, &Pipeline.Settings);
    ProcessColorModelConversion(RoundTrip, &RoundTrip, lcsProfileRGB, &Pipeline.Settings);
    EXPECT_LT(MaxDifference(Pipeline.MainLut, RoundTrip), 1e-3f) << N;
    EXPECT_LT(FromIdentity(Pipeline.MainLut), 0.006f) << N;
    // Stage 2, the grids' result in RGB, is what the picker and the tools
    // on the image read.
    EXPECT_LT(FromIdentity(Stage(2)), 0.006f) << N;
    std::printf("identity error at %d: %g\n", N, FromIdentity(Pipeline.MainLut));
  }
  EXPECT_TRUE(Silent()) << ::testing::PrintToString(Messages());
}

TEST_F(PresetCalculatorTest, StagesZeroAndOneAreCachedUntilInvalidated) {
  ASSERT_TRUE(Pipeline.CalcLut());
  ASSERT_TRUE(Stage(0).Valid && Stage(1).Valid);
  // Marks in the stages show which were computed again.
  auto Mark = [&] {
    for (int32_t I : {0, 1, 3}) Stage(I).R[1] = -7;
  };
  auto Kept = [&](int32_t I) { return Stage(I).R[1] == -7; };
  Mark();
  ASSERT_TRUE(Pipeline.CalcLut());
  EXPECT_TRUE(Kept(0));
  EXPECT_TRUE(Kept(1));
  EXPECT_FALSE(Kept(3));  // later stages every time
  Pipeline.InvalidateLutStages(2);
  Mark();
  ASSERT_TRUE(Pipeline.CalcLut());
  EXPECT_TRUE(Kept(0));
  EXPECT_FALSE(Kept(1));
  Pipeline.InvalidateLutStages(1);
  Mark();
  ASSERT_TRUE(Pipeline.CalcLut());
  EXPECT_FALSE(Kept(0));
  EXPECT_FALSE(Kept(1));
  // A size change recomputes them as well.
  Pipeline.SetLutSize(9);
  Mark();
  ASSERT_TRUE(Pipeline.CalcLut());
  EXPECT_EQ(Pipeline.MainLut.Size, 9);
  EXPECT_LT(FromIdentity(Pipeline.MainLut), 0.006f);
}

TEST_F(PresetCalculatorTest, ExternalLutAtFiveMovesTheMaskToTheEnd) {
  TExternalLUT& Ext = *Preset.ExternalLUT;
  MakeIdentity(*Ext.ExternalLUT, 17);
  for (float* P : {Ext.ExternalLUT->R, Ext.ExternalLUT->G, Ext.ExternalLUT->B})
    for (int32_t k = 0; k < Ext.ExternalLUT->Count; ++k) P[k] = 1 - P[k];
  Ext.ExtLUTSwitch->SetValue(1);
  Preset.ExternalLUTPosition->SetValue(5);
  TMaskAdjustments& Mask = *Preset.MaskUnit();
  Mask.Enabled->SetValue(1);
  Mask.Curve1->Curve.SetDefault(cdtHorizontalZero);  // nothing of the wet result
  Preset.MaskDestination->SetValue(3);
  // RGB curves that flatten everything: at stage 3 they would hide the blend.
  Preset.CurvesEnabled->SetValue(1);
  Preset.RGBCurves->MasterEnabled->SetValue(1);
  Preset.RGBCurves->Master->Curve.SetDefault(cdtHorizontalMiddle);
  ASSERT_TRUE(Pipeline.CalcLut());
  T3DLut Want;
  MakeIdentity(Want, 17);
  for (float* P : {Want.R, Want.G, Want.B})
    for (int32_t k = 0; k < Want.Count; ++k) P[k] = 1 - P[k];
  EXPECT_LT(MaxDifference(Pipeline.MainLut, Want), 1e-4f);
}

TEST_F(PresetCalculatorTest, PreviewModesEndWithTheirStage) {
  Preset.Volume->Enabled->SetValue(1);
  Preset.Volume->Darken->SetValue(0.8f);
  Pipeline.PreviewMode = smVolumeShadowsHighlights;
  ASSERT_TRUE(Pipeline.CalcLut());
  EXPECT_EQ(MaxDifference(Pipeline.MainLut, Stage(1)), 0);
  EXPECT_FALSE(Stage(1).Valid);

  Preset.Volume->Enabled->SetValue(0);
  Pipeline.InvalidateLutStages(1);
  Preset.CurvesEnabled->SetValue(1);
  Preset.RGBCurves->MasterEnabled->SetValue(1);
  Preset.RGBCurves->Master->Curve.SetDefault(cdtHorizontalMiddle);
  Pipeline.PreviewMode = smTransformAL;
  ASSERT_TRUE(Pipeline.CalcLut());
  EXPECT_EQ(MaxDifference(Pipeline.MainLut, Stage(3)), 0);
  float Spread = 0;  // the RGB curves (all 0.5) did not run
  for (int32_t k = 0; k < Pipeline.MainLut.Count; ++k)
    Spread = std::max(Spread, std::fabs(Pipeline.MainLut.B[k] - 0.5f));
  EXPECT_GT(Spread, 0.4f);

  Pipeline.PreviewMode = smNone;
  ASSERT_TRUE(Pipeline.CalcLut());
  EXPECT_GT(FromIdentity(Pipeline.MainLut), 0.4f);
}

TEST_F(PresetCalculatorTest, MaskPreviewReturnsTheMask) {
  TMaskAdjustments& Mask = *Preset.MaskUnit();
  Mask.Enabled->SetValue(1);
  Mask.Preview->SetValue(1);
  Mask.MaskType->SetValue(mtRed);
  Mask.Curve1->Curve.SetDefault(cdtDiagonal);
  for (int32_t Dest : {0, 3, 6}) {
    Preset.MaskDestination->SetValue(Dest);
    Calc.LutMask->Valid = false;
    ASSERT_TRUE(Pipeline.CalcLut());
    EXPECT_EQ(MaxDifference(Pipeline.MainLut, *Calc.LutMask), 0) << Dest;
    for (int32_t k = 0; k < 17; ++k)
      EXPECT_NEAR(Pipeline.MainLut.G[k], k / 16.0f, 1e-3f);  // red as grey
  }
}

// Mended: a failed run was copied as a result.
TEST_F(PresetCalculatorTest, FailedRunKeepsTheLastMainLut) {
  ASSERT_TRUE(Pipeline.CalcLut());
  const float Before = Pipeline.MainLut.R[5];
  Pipeline.LutSize = 1;  // no stage can be made
  EXPECT_FALSE(Pipeline.CalcLut());
  EXPECT_EQ(Pipeline.MainLut.Size, 17);
  EXPECT_EQ(Pipeline.MainLut.R[5], Before);
  ASSERT_FALSE(Errors().empty());
  EXPECT_EQ(Errors().back(), "Exception in CalcLut 2");

  T3DLut Result;
  TColorModelPreferences Settings;
  EXPECT_FALSE(Calc.CalcLutTransform(Result, &Stage(0), &Stage(1), nullptr, nullptr, &Stage(4),
                                     &Stage(5), nullptr, nullptr, nullptr, 17, Settings, smNone,
                                     nullptr));
  EXPECT_FALSE(Calc.CalcLutTransform(Result, &Stage(0), &Stage(1), &Stage(2), &Stage(3),
                                     nullptr, &Stage(5), nullptr, nullptr, nullptr, 17, Settings,
                                     smNone, nullptr));
}

// Mended: the copy of CurvesEnabled notified the bound control from the
// calculating thread.
TEST_F(PresetCalculatorTest, ModelCurvesEnabledIsSetSilently) {
  int32_t Notified = 0;
  Preset.ModelCurves->Enabled->OnChange = [&](void*) { ++Notified; };
  Preset.CurvesEnabled->SetValue(1);
  ASSERT_TRUE(Pipeline.CalcLut());
  EXPECT_EQ(Preset.ModelCurves->Enabled->Value, 1);
  EXPECT_EQ(Notified, 0);
}

}  // namespace
}  // namespace kromel

namespace kromel {
namespace {

bool AllFinite(const T3DLut& Lut) {
  for (int32_t k = 0; k < Lut.Count; ++k)
    if (!std::isfinite(Lut.R[k]) || !std::isfinite(Lut.G[k]) || !std::isfinite(Lut.B[k]))
      return false;
  return Lut.Count > 0;
}

// Mended: a NaN or infinite parameter filled the whole LUT with NaN and the
// run reported success. Every unit reads its values within the control's
// range (0..1; a NaN reads as the default).
TEST_F(PresetCalculatorTest, NonFiniteParametersReadAsTheirLimitedValues) {
  const float Inf = INFINITY, NaN = std::nanf("");
  Preset.Master->MasterSwitch->SetValue(1);
  Preset.LogDecoder->InputLog->SetValue(1);  // the master's dry input is the mask source
  const struct {
    const char* Name;
    TControlledParameterSingle* P;
    float Bad, Reads;
  } Cases[] = {
      {"contrast NaN", Preset.RGBContrast->Contrast, NaN, 0.5f},
      {"contrast +inf", Preset.RGBContrast->Contrast, Inf, 1},
      {"master blend NaN", Preset.Master->Blend, NaN, 0.75f},
      {"master blend -inf", Preset.Master->Blend, -Inf, 0},
      {"A/B brightness +inf", Preset.ABGrid->Brightness, Inf, 1},
      {"A/B brightness NaN", Preset.ABGrid->Brightness, NaN, 0.5f},
      {"exposure +inf", Preset.Basic->Exposure, Inf, 1},
      {"hue twist NaN", Preset.Basic->HueTwist, NaN, 0},
      {"saturation 1e30", Preset.ModelSaturation->Saturation, 1e30f, 1},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    const float Saved = C.P->Value;
    C.P->SetValue(C.Bad);
    Pipeline.InvalidateLutStages(0);
    ASSERT_TRUE(Pipeline.CalcLut());
    EXPECT_TRUE(AllFinite(Pipeline.MainLut));
    T3DLut Bad;
    Bad.CopyFrom(Pipeline.MainLut);
    C.P->SetValue(C.Reads);
    Pipeline.InvalidateLutStages(0);
    ASSERT_TRUE(Pipeline.CalcLut());
    EXPECT_EQ(MaxDifference(Bad, Pipeline.MainLut), 0);
    C.P->SetValue(Saved);
  }
  EXPECT_TRUE(Silent()) << ::testing::PrintToString(Errors());
}

// Mended: a finished LUT holding a non-finite node became the main LUT.
TEST_F(PresetCalculatorTest, NonFiniteNodeFailsTheRunAndKeepsTheLastLut) {
  ASSERT_TRUE(Pipeline.CalcLut());
  T3DLut Before;
  Before.CopyFrom(Pipeline.MainLut);
  TExternalLUT& Ext = *Preset.ExternalLUT;
  MakeIdentity(*Ext.ExternalLUT, 5);
  Ext.ExternalLUT->G[60] = std::nanf("");
  Ext.ExtLUTSwitch->SetValue(1);
  Preset.ExternalLUTPosition->SetValue(3);
  EXPECT_FALSE(Pipeline.CalcLut());
  EXPECT_EQ(MaxDifference(Pipeline.MainLut, Before), 0);
  ASSERT_FALSE(Errors().empty());
  EXPECT_EQ(Errors().back().rfind("Error in CalcLut: node ", 0), 0u) << Errors().back();
}

// A bare preset's log decoder has a black maximum colour: every node is
// black, and the run says so.
TEST_F(PresetCalculatorTest, BlackMaximumColourIsReported) {
  Preset.LogDecoder->MaxColor->SetValue(0);
  Pipeline.InvalidateLutStages(0);
  ASSERT_TRUE(Pipeline.CalcLut());
  float Largest = 0;
  for (int32_t k = 0; k < Pipeline.MainLut.Count; ++k)
    Largest = std::max({Largest, Pipeline.MainLut.R[k], Pipeline.MainLut.G[k],
                        Pipeline.MainLut.B[k]});
  std::printf("largest node value with a black maximum colour: %g\n", Largest);
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0], "Warning in CalcLut: the maximum colour is black, every node is black");
  ClearErrors();
  Preset.LogDecoder->MaxColor->SetValue(MaxColorWhite);
  Pipeline.InvalidateLutStages(0);
  ASSERT_TRUE(Pipeline.CalcLut());
  EXPECT_TRUE(Errors().empty());
}

}  // namespace
}  // namespace kromel
