#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "colour/colour_models.h"
#include "colour/log_curves.h"
#include "engine/basic_adjustments.h"
#include "engine/clipping.h"
#include "engine/effect_chain.h"
#include "engine/external_lut.h"
#include "engine/log_decoder.h"
#include "engine/log_encoder.h"
#include "engine/lut_procedures.h"
#include "engine/model_saturation.h"
#include "engine/rgb_contrast.h"
#include "engine_test_support.h"
#include "lut/lut_mask.h"

namespace kromel::testing {
namespace {

using Units = EngineTest;

TEST_F(Units, EachUnitAtItsDefaultsKeepsTheIdentity) {
  struct Case {
    const char* Name;
    std::unique_ptr<TLUTProcessingUnit> Unit;
    float Bound;
  };
  auto External = std::make_unique<TExternalLUT>(nullptr);
  MakeIdentity(*External->ExternalLUT);
  std::vector<Case> Cases;
  Cases.push_back({"Basic", std::make_unique<TBasicAdjustments>(nullptr), 1e-5f});
  Cases.push_back({"LogEncoder", std::make_unique<TLogEncoderAdjustments>(nullptr), 0});
  Cases.push_back({"Clipping", std::make_unique<TClippingAdjustments>(nullptr), 1e-5f});
  Cases.push_back({"RGBContrast", std::make_unique<TRGBContrastAdjustments>(nullptr), 1e-5f});
  Cases.push_back(
      {"ModelSaturation", std::make_unique<TModelSaturationAdjustments>(nullptr), 3e-3f});
  Cases.push_back({"ExternalLUT", std::move(External), 1e-5f});
  for (const Case& C : Cases) {
    T3DLut Lut;
    DecodedStage(Lut);
    C.Unit->Process(&Lut, &Lut, Prefs);
    EXPECT_LE(ErrorFromIdentity(Lut), C.Bound) << C.Name;
  }
  T3DLut Decoded;
  DecodedStage(Decoded);
  EXPECT_EQ(Decoded.ColorSpace, lcsLinearRGB);
  EXPECT_LE(ErrorFromIdentity(Decoded), 1e-5f);
  EXPECT_TRUE(Silent()) << (Messages().empty() ? "" : Messages()[0]);
}

TEST_F(Units, DecoderMaximaFromMaxColor) {
  for (int32_t Log : {int32_t(LogIndexOff), int32_t(LogIndexLogC), int32_t(LogIndexLinear)}) {
    T3DLut Lut;
    DecodedStage(Lut, Log);
    EXPECT_EQ(Lut.MaxR, 1000.0f) << Log;
    EXPECT_EQ(Lut.MaxG, 1000.0f) << Log;
    EXPECT_EQ(Lut.MaxB, 1000.0f) << Log;
  }
  T3DLut Lut;
  MakeIdentity(Lut);
  TLogDecoderAdjustments Defaults(nullptr);
  Defaults.Process(&Lut, &Lut, Prefs);
  EXPECT_EQ(Lut.MaxR, 0.0f);
  EXPECT_EQ(Lut.MaxB, 0.0f);

  MakeIdentity(Lut);
  Defaults.MaxColor->SetValue(0x8040FF);  // red 255, green 64, blue 128
  Defaults.InputLog->SetValue(LogIndexLinear);
  Defaults.Process(&Lut, &Lut, Prefs);
  EXPECT_FLOAT_EQ(Lut.MaxR, 2.0f);
  EXPECT_FLOAT_EQ(Lut.MaxG, 2 * 64 / 255.0f);
  EXPECT_FLOAT_EQ(Lut.MaxB, 2 * 128 / 255.0f);
}

TEST_F(Units, DecoderDecodesLogAndClearsDisplayReferred) {
  T3DLut Linear, LogC;
  DecodedStage(Linear, LogIndexLinear);
  DecodedStage(LogC, LogIndexLogC);
  T3DLut Identity;
  MakeIdentity(Identity);
  for (int32_t k = 0; k < Identity.Count; k += 211) {
    EXPECT_EQ(Linear.R[k], 2 * Identity.R[k]);
    EXPECT_EQ(LogC.B[k], LogCToLinear(Identity.B[k]));
  }
  EXPECT_FALSE(LogC.DisplayReferred);
  EXPECT_EQ(LogC.ColorSpace, lcsLinearRGB);
}

TEST_F(Units, EncoderWithOutputLogKeepsUnlimitedMaxima) {
  // The output maxima default to unlimited: an output log curve followed by
  // the default clipping must not clip the LUT to black.
  T3DLut Lut, Stage1;
  DecodedStage(Lut);
  TLogEncoderAdjustments Encoder(nullptr);
  Encoder.OutputLog->SetValue(LogIndexLinear);
  Encoder.Process(&Lut, &Lut, Prefs);
  EXPECT_EQ(Lut.ColorSpace, lcsProfileRGB);
  EXPECT_TRUE(Lut.DisplayReferred);
  EXPECT_EQ(Lut.MaxR, 1000.0f);
  EXPECT_EQ(Lut.MaxB, 1000.0f);
  MakeIdentity(Stage1);
  TClippingAdjustments Clipping(nullptr);
  Clipping.Process(&Lut, &Stage1, Prefs);
  T3DLut Decoded;  // what the clipping does within unlimited maxima
  Decoded.CopyFrom(Lut);
  LutLinearToGamma(Decoded, Decoded, ipSRGB, 2.4f);
  EXPECT_LT(MaxDifference(Stage1, Decoded), 1e-6f);
  EXPECT_EQ(Stage1.G[Stage1.Count - 1], 1.0f);

  T3DLut LogC;
  DecodedStage(LogC);
  Encoder.OutputLog->SetValue(LogIndexLogC);
  Encoder.Process(&LogC, &LogC, Prefs);
  const int32_t White = LogC.Count - 1;
  EXPECT_NEAR(LogC.R[White], LinearToLogC(1.0f), 1e-6f);
  EXPECT_GT(LogC.G[White], 0.5f);
  EXPECT_TRUE(Silent());
}

// One row of nodes of a scene-linear stage with unlimited maxima.
class BasicWorked : public Units {
protected:
  void SetUp() override {
    Units::SetUp();
    MakeIdentity(Lut);
    Lut.ColorSpace = lcsLinearRGB;
    Lut.DisplayReferred = false;
    Lut.MaxR = Lut.MaxG = Lut.MaxB = 1000;
  }
  void Run() { Basic.Process(&Lut, &Lut, Prefs); }
  T3DLut Lut;
  TBasicAdjustments Basic{nullptr};
};

TEST_F(BasicWorked, BlacksAndDynamicRange) {
  SetNode(Lut, 0, 0.1f, 0.18f, 0.36f);
  SetNode(Lut, 1, 0.5504f, 0, 300);
  T3DLut Lifted;
  Lifted.CopyFrom(Lut);
  Basic.Blacks->SetValue(1);
  Basic.Process(&Lifted, &Lifted, Prefs);
  EXPECT_NEAR(Lifted.R[0], (0.1f + 0.2f * std::sin(M_PI / 4)) / 1.2f, 1e-6f);  // 0.2414 / 1.2
  Basic.Blacks->SetValue(0);
  Run();
  EXPECT_NEAR(Lut.R[1], 0.3504f, 1e-4f);  // no rescaling without DisplayReferred
  EXPECT_EQ(Lut.G[1], 0.0f);
  EXPECT_NEAR(Lut.B[1], 299.8f, 1e-3f);

  SetUp();
  SetNode(Lut, 0, 0.1f, 0.18f, 0.36f);
  Basic.Blacks->SetValue(0.5f);
  Basic.DynamicRange->SetValue(1);
  Run();
  EXPECT_NEAR(Lut.G[0], 0.18f, 1e-6f);
  EXPECT_NEAR(Lut.B[0], 0.72f, 1e-6f);
}

TEST_F(BasicWorked, DefaultsKeepSceneValuesAndClearNegatives) {
  SetNode(Lut, 0, 399, -0.5f, 12.5f);
  for (float Max : {1000.0f, 1.0f}) {
    SetNode(Lut, 0, 399, -0.5f, 12.5f);
    Lut.MaxR = Lut.MaxG = Lut.MaxB = Max;  // (1, 1, 1) counts as unlimited
    Run();
    EXPECT_FLOAT_EQ(Lut.R[0], 399) << Max;
    EXPECT_EQ(Lut.G[0], 0.0f);
    EXPECT_FLOAT_EQ(Lut.B[0], 12.5f);
  }
}

TEST_F(BasicWorked, ExposureAndItsSwitch) {
  T3DLut Start;
  Start.CopyFrom(Lut);
  Basic.Exposure->SetValue(0.6f);
  Basic.NoExposure = true;
  Run();
  EXPECT_LT(MaxDifference(Lut, Start), 1e-6f);
  Basic.NoExposure = false;
  Run();
  for (int32_t k = 0; k < Lut.Count; k += 37) EXPECT_NEAR(Lut.G[k], 2 * Start.G[k], 1e-5f);
  EXPECT_EQ(Lut.ColorSpace, lcsLinearRGB);
}

TEST_F(BasicWorked, NilSourceIsReported) {
  Basic.Process(nullptr, &Lut, Prefs);
  EXPECT_EQ(Messages(),
            std::vector<std::string>{"Error in TBasicAdjustments.ProcessBasic: Src=nil"});
}

TEST_F(Units, ModelSaturationScalesTheChromaComponents) {
  T3DLut Half, None, Double;
  for (T3DLut* L : {&Half, &None, &Double}) MakeIdentity(*L);
  TModelSaturationAdjustments Unit(nullptr);
  // A model whose chroma pair is scaled as it stands (the others hand over
  // to a scaling in encoded RGB near the surface of the cube).
  SetWorkingModel(Prefs, cmCMYK);
  Unit.Process(&Half, &Half, Prefs);
  Unit.Saturation->SetValue(0);
  Unit.Process(&None, &None, Prefs);
  Unit.Saturation->SetValue(1);
  Unit.Process(&Double, &Double, Prefs);
  for (int32_t k = 0; k < Half.Count; k += 53) {
    EXPECT_EQ(None.G[k], 0.0f);
    EXPECT_EQ(None.B[k], 0.0f);
    EXPECT_EQ(None.R[k], Half.R[k]);
    EXPECT_EQ(Double.G[k], 2 * Half.G[k]);
    EXPECT_EQ(Double.B[k], 2 * Half.B[k]);
  }
  EXPECT_EQ(Half.ColorSpace, lcsCustomColorspace);
}

TEST_F(Units, RGBContrastAndExternalLutBlends) {
  T3DLut Lut, Expected;
  DecodedStage(Lut);
  TRGBContrastAdjustments Contrast(nullptr);
  Contrast.Contrast->SetValue(1);
  Contrast.Process(&Lut, &Lut, Prefs);
  MakeIdentity(Expected);
  ProcessRGBContrast(Expected, Expected, 1, 0.5f);
  EXPECT_LT(MaxDifference(Lut, Expected), 1e-5f);

  TExternalLUT External(nullptr);
  MakeIdentity(*External.ExternalLUT);
  Invert(*External.ExternalLUT);
  T3DLut Kept, Inverted;
  MakeIdentity(Kept);
  MakeIdentity(Inverted);
  External.Blend->SetValue(0.5f);
  External.Process(&Kept, &Kept, Prefs);
  External.Blend->SetValue(0.75f);
  External.CubicInterpolation = true;
  External.Process(&Inverted, &Inverted, Prefs);
  T3DLut Identity;
  MakeIdentity(Identity);
  EXPECT_EQ(MaxDifference(Kept, Identity), 0.0f);
  for (int32_t k = 0; k < Identity.Count; k += 71)
    EXPECT_NEAR(Inverted.R[k], 1 - Identity.R[k], 1e-5f);
  EXPECT_TRUE(Silent());
}

TEST_F(Units, ChainAddsTheLogDecoderAndRefusesUnknownTypes) {
  TLUTEffectChain Chain(nullptr);
  TLUTProcessingUnit* Unit = Chain.AddEffect(1, 0);
  ASSERT_NE(Unit, nullptr);
  EXPECT_NE(dynamic_cast<TLogDecoderAdjustments*>(Unit), nullptr);
  EXPECT_EQ(Chain.AddEffect(3, 0), nullptr);
  EXPECT_EQ(Chain.AddEffect(0, -2), nullptr);
  EXPECT_EQ(Chain.GetCount(), 1);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Error in CreateLUTEffect, et=3",
                                                  "TLUTEffectChain.InsertEffect invalid position"}));
  std::string Text;
  Chain.SaveToXML(Text);
  EXPECT_EQ(Text,
            "<tab section=\"EffectChain\">\n<tab section=\"LogDecoder\">\n"
            "<InputLog>0</InputLog>\n<MaxColor>0</MaxColor>\n</tab>\n</tab>\n");
}

}  // namespace
}  // namespace kromel::testing
