#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "colour/log_gamma.h"
#include "engine/lut_procedures.h"
#include "engine_test_support.h"
#include "images/image128.h"
#include "lut/lut_apply.h"

namespace kromel::testing {
namespace {

using LutProcedures = EngineTest;

TEST_F(LutProcedures, WhiteBalanceGainsWorkedValues) {
  struct Case {
    float A, B, R, G, Bl;
  };
  const float E = (0.5f * 4 + 1 + 0.5f * 1) / 6 + 0.5f;  // 1.0833
  EXPECT_NEAR(E, 1.08333f, 1e-5f);
  for (const Case& C : {Case{1, 1, 1, 1, 1}, Case{4, 1, 4 / E, 1 / E, 0.25f / E}}) {
    float R, G, B;
    CalcWhiteBalanceGains(C.A, C.B, R, G, B);
    EXPECT_FLOAT_EQ(R, C.R);
    EXPECT_FLOAT_EQ(G, C.G);
    EXPECT_FLOAT_EQ(B, C.Bl);
  }
}

TEST_F(LutProcedures, LinearLogDecodesTwiceAndEncodesUnchanged) {
  float R = 0.1f, G = 0.25f, B = 0.5f;
  LogToLinear(R, G, B, LogIndexLinear, nullptr);
  EXPECT_EQ(R, 0.2f);
  EXPECT_EQ(G, 0.5f);
  EXPECT_EQ(B, 1.0f);

  T3DLut Lut, Start;
  MakeIdentity(Lut);
  MakeIdentity(Start);
  LutLogToLinear(Lut, Lut, LogIndexLinear, nullptr);
  ProcessGammaToLog(Lut, Lut, LogIndexLinear);
  for (int32_t k = 0; k < Lut.Count; k += 97) EXPECT_EQ(Lut.G[k], 2 * Start.G[k]);
  EXPECT_TRUE(Silent());
}

TEST_F(LutProcedures, LogCurvesRoundTripOverTheGrid) {
  for (int32_t Log : {int32_t(LogIndexLogC), int32_t(LogIndexSLog3), int32_t(LogIndexRec709),
                      int32_t(LogIndexCanonCLog3)}) {
    T3DLut Lut, Start;
    MakeIdentity(Lut);
    MakeIdentity(Start);
    LutLogToLinear(Lut, Lut, Log, nullptr);
    ProcessGammaToLog(Lut, Lut, Log);
    EXPECT_LT(MaxDifference(Lut, Start), 2e-4f) << "log " << Log;
  }
  EXPECT_TRUE(Silent());
}

TEST_F(LutProcedures, UnknownLogIsReportedOnceAndLeavesTheNodes) {
  T3DLut Lut, Start;
  MakeIdentity(Lut);
  MakeIdentity(Start);
  ProcessGammaToLog(Lut, Lut, LogIndexCustom);
  LutLogToLinear(Lut, Lut, 31, nullptr);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Exception in LogToLinear - Unknown log 29",
                                                  "Exception in LogToLinear - Unknown log 31"}));
  EXPECT_EQ(MaxDifference(Lut, Start), 0.0f);
}

TEST_F(LutProcedures, GammaConversionsCopyTheMaxima) {
  T3DLut Src, Dst;
  MakeIdentity(Src);
  MakeIdentity(Dst);
  Src.MaxR = 2;
  Src.MaxG = 3;
  Src.MaxB = 4;
  LutLinearToGamma(Src, Dst, ipSRGB, 2.4f);
  EXPECT_EQ(Dst.MaxB, 4.0f);
  const int32_t k = 5 + GridSize * (9 + GridSize * 16);
  EXPECT_FLOAT_EQ(Dst.R[k], GammaSRGBToLinear(5.0f / 16));
  LutGammaToLinear(Dst, Dst, ipSRGB, 2.4f);
  EXPECT_LT(MaxDifference(Dst, Src), 1e-5f);
  LutLinearToGamma(Src, Dst, ipCustom, 2.0f);
  EXPECT_FLOAT_EQ(Dst.G[k], (9.0f / 16) * (9.0f / 16));
}

TEST_F(LutProcedures, ConversionToTheSameStateIsAnExactCopyWithTheContext) {
  T3DLut Src, Dst;
  MakeIdentity(Src);
  MakeIdentity(Dst);
  Src.R[7] = 1.5f;
  Prefs.Profile = ipRec709;
  ProcessColorModelConversion(Src, &Dst, lcsProfileRGB, &Prefs);
  EXPECT_EQ(MaxDifference(Src, Dst), 0.0f);
  EXPECT_EQ(Dst.ColorModelPreferences.Profile, ipRec709);
  EXPECT_EQ(Dst.ColorSpace, lcsProfileRGB);
}

TEST_F(LutProcedures, ModelRoundTripIsNearIdentity) {
  // The bounds are the working model's own round-trip error.
  for (auto [HueTwist, Bound] : {std::pair{0.0f, 3e-3f}, std::pair{0.2f, 1e-2f}}) {
    T3DLut Lut, Start;
    MakeIdentity(Lut);
    MakeIdentity(Start);
    Prefs.Gamma = HueTwist;
    ProcessColorModelConversion(Lut, &Lut, lcsCustomColorspace, &Prefs);
    EXPECT_EQ(Lut.ColorSpace, lcsCustomColorspace);
    EXPECT_GT(MaxDifference(Lut, Start), 0.01f);  // really in model values
    ProcessColorModelConversion(Lut, &Lut, lcsProfileRGB, &Prefs);
    EXPECT_EQ(Lut.ColorSpace, lcsProfileRGB);
    EXPECT_LT(MaxDifference(Lut, Start), Bound) << "hue twist " << HueTwist;
  }
  EXPECT_TRUE(Silent());
}

TEST_F(LutProcedures, WorkingModelToLinearGoesThroughGammaRGB) {
  T3DLut Model, ViaGamma, Linear;
  MakeIdentity(Model);
  ProcessColorModelConversion(Model, &Model, lcsCustomColorspace, &Prefs);
  MakeIdentity(Linear);
  ProcessColorModelConversion(Model, &Linear, lcsLinearRGB, &Prefs);
  EXPECT_EQ(Linear.ColorSpace, lcsLinearRGB);
  MakeIdentity(ViaGamma);
  ProcessColorModelConversion(Model, &ViaGamma, lcsProfileRGB, &Prefs);
  ProcessColorModelConversion(ViaGamma, &ViaGamma, lcsLinearRGB, &Prefs);
  EXPECT_EQ(MaxDifference(Linear, ViaGamma), 0.0f);
  T3DLut Start;
  MakeIdentity(Start);
  ProcessColorModelConversion(Linear, &Linear, lcsProfileRGB, &Prefs);
  EXPECT_LT(MaxDifference(Linear, Start), 3e-3f);
  EXPECT_TRUE(Silent());
}

TEST_F(LutProcedures, LabStatesAreRefusedWithoutAStaleMark) {
  T3DLut Lab, Dst;
  MakeIdentity(Lab);
  Lab.ColorSpace = lcsLAB;
  MakeIdentity(Dst);
  ProcessColorModelConversion(Lab, &Dst, lcsProfileRGB, &Prefs);
  EXPECT_EQ(Dst.ColorSpace, lcsLAB);
  T3DLut Rgb;
  MakeIdentity(Rgb);
  ProcessColorModelConversion(Rgb, &Rgb, lcsLAB, &Prefs);
  EXPECT_EQ(Rgb.ColorSpace, lcsProfileRGB);
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{
                "ProcessColorModelConversion error - no conversion from LAB to ProfileRGB",
                "ProcessColorModelConversion error - no conversion from ProfileRGB to LAB"}));
}

TEST_F(LutProcedures, ConversionRefusesMissingOrMismatchedDestinations) {
  T3DLut Src, Small;
  MakeIdentity(Src);
  MakeIdentity(Small, 9);
  ProcessColorModelConversion(Src, nullptr, lcsLinearRGB, &Prefs);
  ProcessColorModelConversion(Src, &Small, lcsLinearRGB, &Prefs);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"ProcessColorModelConversion error - Dest=nil",
                                                  "ProcessColorModelConversion error - sizes differ"}));
  EXPECT_EQ(Small.ColorSpace, lcsProfileRGB);
  EXPECT_EQ(Small.R[Small.Count - 1], 1.0f);
}

TEST_F(LutProcedures, MismatchedDestinationsAreReportedAndLeftAlone) {
  T3DLut Src, Small;
  MakeIdentity(Src);
  MakeIdentity(Small, 9);
  const float Before = Small.R[Small.Count - 1];
  ProcessLGG(Src, Small, TLiftGammaGain{}, 1, 0.1f, 0.9f);
  ProcessRGBContrast(Src, Small, 1, 0.5f);
  LutLinearToGamma(Src, Small, ipSRGB, 2.4f);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"ProcessLGG: LUT sizes differ",
                                                  "ProcessRGBContrast: LUT sizes differ",
                                                  "LutLinearToGamma: LUT sizes differ"}));
  EXPECT_EQ(Small.R[Small.Count - 1], Before);
}

TEST_F(LutProcedures, RGBContrastWorkedValues) {
  T3DLut Lut;
  MakeIdentity(Lut, 11);
  ProcessRGBContrast(Lut, Lut, 1, 0.5f);
  EXPECT_NEAR(Lut.R[3], 0.45130f, 1e-5f);  // 0.3
  EXPECT_NEAR(Lut.R[5], 0.83215f, 1e-4f);  // 0.5
  EXPECT_EQ(Lut.R[0], 0.0f);
  EXPECT_NEAR(Lut.R[10], 1.0f, 1e-6f);

  T3DLut Wide;
  MakeIdentity(Wide);
  SetNode(Wide, 1, -0.5f, 1.5f, 0.25f);
  ProcessRGBContrast(Wide, Wide, 0, 0.5f);
  EXPECT_EQ(Wide.R[1], 0.0f);
  EXPECT_EQ(Wide.G[1], 1.0f);
  EXPECT_EQ(Wide.B[1], 0.25f);
}

TEST_F(LutProcedures, LiftGammaGainNeutralAndProtectedEnds) {
  T3DLut Lut, Start;
  MakeIdentity(Lut);
  MakeIdentity(Start);
  const TLiftGammaGain Neutral;
  ProcessLGG(Lut, Lut, Neutral, 0.7f, 0.1f, 0.9f);
  EXPECT_LT(MaxDifference(Lut, Start), 1e-6f);

  T3DLut Ramp;
  MakeIdentity(Ramp, 21);  // 0.05 steps
  TLiftGammaGain Gain;
  Gain.Gain[0] = 2;
  ProcessLGG(Ramp, Ramp, Gain, 1, 0.1f, 0.9f);
  EXPECT_EQ(Ramp.R[0], 0.0f);
  EXPECT_NEAR(Ramp.R[1], 0.05f + 0.5f * 0.05f, 1e-6f);  // half the effect
  EXPECT_NEAR(Ramp.R[19], 0.95f + 0.5f * (1.9f - 0.95f), 1e-5f);
  EXPECT_NEAR(Ramp.R[20], 1.0f, 1e-6f);

  // Ranges at 0 and 1 leave values outside 0..1 finite.
  T3DLut Outside;
  MakeIdentity(Outside, 2);
  Outside.R[0] = -0.25f;
  Outside.R[1] = 1.5f;
  ProcessLGG(Outside, Outside, Gain, 1, 0, 1);
  EXPECT_EQ(Outside.R[0], 0.0f);
  EXPECT_EQ(Outside.R[1], 3.0f);

  T3DLut Ranged;
  MakeIdentity(Ranged);
  ProcessLGGRanges(Ranged, Ranged, TLGGRanges{}, 1);
  EXPECT_LT(MaxDifference(Ranged, Start), 1e-6f);
  EXPECT_TRUE(Silent());
}

TEST_F(LutProcedures, RecoveryWithoutAmountsOnlyClamps) {
  T3DLut Lut;
  MakeIdentity(Lut);
  Lut.ColorSpace = lcsLinearRGB;
  SetNode(Lut, 2, -0.25f, 1.75f, 0.5f);
  ProcessLUTRecovery(Lut, Lut, Prefs, 0, 0);
  EXPECT_EQ(Lut.R[2], 0.0f);
  EXPECT_EQ(Lut.G[2], 1.0f);
  EXPECT_EQ(Lut.B[2], 0.5f);
  EXPECT_EQ(Lut.ColorSpace, lcsLinearRGB);
}

TEST_F(LutProcedures, MaskCurvesWithoutCurvesGiveOneAndSizesAreChecked) {
  T3DLut Lut;
  MakeIdentity(Lut);
  ProcessLUTMaskCurves(Lut, Lut, nullptr, nullptr, nullptr);
  for (int32_t k = 0; k < Lut.Count; k += 101) EXPECT_EQ(Lut.G[k], 1.0f);

  T3DLut Big;
  MakeIdentity(Big, 33);
  ProcessLUTMaskApplyCurve(Lut, Big, nullptr);
  EXPECT_EQ(Messages(),
            std::vector<std::string>{"ProcessLUTMaskApplyCurve error: Sizes differ: 17 and 33"});
  EXPECT_EQ(Big.R[1], 1.0f / 32);
}

TEST_F(LutProcedures, FloatImagesThroughTheLutInGammaRGB) {
  T3DLut Lut;
  MakeIdentity(Lut);
  ProcessColorModelConversion(Lut, &Lut, lcsLinearRGB, &Prefs);
  TImage128 Src, Dst;
  Src.Init();
  Dst.Init();
  Src.Alloc(10, 20);
  Dst.Alloc(20, 10);
  for (int32_t i = 0; i < Src.Size; ++i) Src.Data[i].Init(0.01f * (i % 100), 0.3f, 0.9f, 0.5f);
  LUTProcessImage128InGammaProfile(Lut, Src, Dst, 1);  // equal pixel counts run
  for (int32_t i = 0; i < Src.Size; i += 13) {
    EXPECT_NEAR(Dst.Data[i].R, Src.Data[i].R, 2e-3f);
    EXPECT_NEAR(Dst.Data[i].B, 0.9f, 2e-3f);
    EXPECT_EQ(Dst.Data[i].A, 0.5f);
  }
  EXPECT_EQ(Lut.ColorSpace, lcsLinearRGB);  // converted on a copy

  TImage128 Other;
  Other.Alloc(3, 3);
  LUTProcessImage128InGammaProfile(Lut, Src, Other, 1);
  EXPECT_EQ(Messages(), std::vector<std::string>{
                            "Error LUTProcessImage128InGammaProfile - different image sizes!"});
}

}  // namespace
}  // namespace kromel::testing
