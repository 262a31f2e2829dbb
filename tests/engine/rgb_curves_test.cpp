#include "engine/rgb_curves.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/engine_test_support.h"

namespace kromel {
namespace {

using testing::EngineTest;
using testing::MakeIdentity;
using testing::MaxDifference;

class RGBCurvesTest : public EngineTest {
 protected:
  TRGBCurvesAdjustments Unit{nullptr};
  T3DLut Src, Dst;
  void SetUp() override {
    EngineTest::SetUp();
    MakeIdentity(Src);
    MakeIdentity(Dst);
  }
  // A curve through (0, 0), (8192, Y), (16384, 32767).
  static void Bend(TControlledParameterCurve* P, int32_t Y) {
    P->Curve.NumDots = 3;
    P->Curve.Dot(0) = {0, 0, 0};
    P->Curve.Dot(1) = {8192, Y, 0};
    P->Curve.Dot(2) = {16384, 32767, 0};
    P->Curve.CalcSpline();
  }
  int32_t Node(int32_t r, int32_t g, int32_t b) const { return r + 17 * (g + 17 * b); }
};

TEST_F(RGBCurvesTest, DefaultsCopyTheInput) {
  Unit.Process(&Src, &Dst, Prefs);
  EXPECT_EQ(MaxDifference(Src, Dst), 0);
  // The other modes reshape around the (untouched) curves: float noise,
  // and in Uniform mode the noise of its power functions near 0.
  for (int32_t Mode = 1; Mode <= 8; ++Mode) {
    Unit.CurveMode->SetValue(Mode);
    Unit.Process(&Src, &Dst, Prefs);
    EXPECT_LT(MaxDifference(Src, Dst), Mode == rcmUniform ? 2e-3 : 1e-6) << Mode;
  }
  EXPECT_TRUE(Silent());
}

TEST_F(RGBCurvesTest, DiagonalMasterReadsFullScaleAs32767Of32768) {
  Unit.MasterEnabled->SetValue(1);
  Unit.Process(&Src, &Dst, Prefs);
  EXPECT_FLOAT_EQ(Dst.R[Dst.Count - 1], 32767.0f / 32768);
  EXPECT_EQ(Dst.R[0], 0);
  EXPECT_LT(MaxDifference(Src, Dst), 1e-4);
}

TEST_F(RGBCurvesTest, DepthScalesTheChannelCurve) {
  Unit.RGBEnabled->SetValue(1);
  Bend(Unit.Red, 20000);  // red 0.5 -> 0.61
  const int32_t Mid = Node(8, 8, 8);
  const float Curve = ApplyCurveValue(Unit.Red->Curve, 0.5f);
  const struct {
    float Depth, Expected;
  } Cases[] = {{0, 0.5f}, {0.5f, Curve}, {1, std::min(0.5f + 2 * (Curve - 0.5f), 1.0f)}};
  for (const auto& C : Cases) {
    Unit.RGBDepth->SetValue(C.Depth);
    Unit.Process(&Src, &Dst, Prefs);
    EXPECT_NEAR(Dst.R[Mid], C.Expected, 1e-6) << C.Depth;
    const float GreenCurve = ApplyCurveValue(Unit.Green->Curve, 0.5f);  // diagonal
    EXPECT_NEAR(Dst.G[Mid], 0.5f + 2 * C.Depth * (GreenCurve - 0.5f), 1e-6);
  }
  // A wider gamut divides the depth by the factor G (here 8).
  Unit.RGBDepth->SetValue(1);
  Unit.RGBGamutExtension->SetValue(1);
  Unit.Process(&Src, &Dst, Prefs);
  EXPECT_NEAR(Dst.R[Node(16, 16, 16)], ApplyCurveValue(Unit.Red->Curve, 1.0f) * 0.25f + 0.75f,
              2e-3);
}

TEST_F(RGBCurvesTest, CMYKModeKeepsBlackWhenTheMasterLiftsIt) {
  Unit.MasterEnabled->SetValue(1);
  Unit.CurveMode->SetValue(rcmCMYK);
  Unit.Master->Curve.ResetHorizontal(16384, 2);  // K = 0.5
  Unit.Process(&Src, &Dst, Prefs);
  EXPECT_EQ(Dst.R[0], 0);
  EXPECT_EQ(Dst.G[0], 0);
  // Other nodes keep their ratios to the largest channel, scaled to 0.5.
  const int32_t k = Node(16, 8, 0);
  EXPECT_NEAR(Dst.R[k], 0.5f, 1e-4);
  EXPECT_NEAR(Dst.G[k], 0.25f, 1e-4);
  EXPECT_NEAR(Dst.B[k], 0, 1e-6);
}

TEST_F(RGBCurvesTest, ThreeWayModeUsesTheWheelsInsteadOfTheCurves) {
  Unit.RGBEnabled->SetValue(1);
  Unit.CurveMode->SetValue(rcm3Way);
  Bend(Unit.Red, 30000);  // ignored in this mode
  Unit.Ranges->SetValue(0, 100);
  Unit.Ranges->SetValue(2, 900);
  Unit.Process(&Src, &Dst, Prefs);
  EXPECT_EQ(MaxDifference(Src, Dst), 0);  // centred wheels
  Unit.Gain->Point.Brightness = 20;       // gain 1.05 on every channel
  Unit.Process(&Src, &Dst, Prefs);
  const int32_t Mid = Node(8, 8, 8);
  EXPECT_NEAR(Dst.R[Mid], 0.5f * 1.05f, 1e-5);
  EXPECT_NEAR(Dst.R[Mid], Dst.B[Mid], 1e-6);
}

TEST_F(RGBCurvesTest, HueRotationActsAroundTheCurves) {
  Unit.HueRotation->SetValue(0.75f);  // 90 degrees, undone after the curves
  Unit.Process(&Src, &Dst, Prefs);
  EXPECT_LT(MaxDifference(Src, Dst), 1e-5);
  Unit.RGBEnabled->SetValue(1);
  Bend(Unit.Red, 22000);
  T3DLut Plain;
  MakeIdentity(Plain);
  Unit.Process(&Src, &Dst, Prefs);
  Unit.HueRotation->SetValue(0.5f);
  Unit.Process(&Src, &Plain, Prefs);
  const int32_t k = Node(4, 12, 8);
  EXPECT_GT(std::fabs(Dst.R[k] - Plain.R[k]) + std::fabs(Dst.G[k] - Plain.G[k]) +
                std::fabs(Dst.B[k] - Plain.B[k]),
            0.02f);
}

TEST_F(RGBCurvesTest, UniformModeActsOnTheCommonBrightness) {
  Unit.MasterEnabled->SetValue(1);
  Unit.CurveMode->SetValue(rcmUniform);
  Bend(Unit.Master, 24000);
  Unit.Process(&Src, &Dst, Prefs);
  for (int32_t k = 0; k < Dst.Count; ++k) {
    ASSERT_GE(Dst.R[k], 0);
    ASSERT_LE(Dst.R[k], 1);
  }
  // Greys follow the master curve.
  const int32_t Mid = Node(8, 8, 8);
  EXPECT_NEAR(Dst.R[Mid], ApplyCurveValue(Unit.Master->Curve, 0.5f), 2e-3);
}

TEST_F(RGBCurvesTest, SizesDifferIsReported) {
  T3DLut Small;
  MakeIdentity(Small, 9);
  Unit.Process(&Src, &Small, Prefs);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Error in ProcessCurves: sizes differ"}));
}

}  // namespace
}  // namespace kromel
