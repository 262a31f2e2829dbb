#include "engine/curves_2d.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/engine_test_support.h"
#include "lut/lut_edit.h"

namespace kromel {
namespace {

using testing::EngineTest;
using testing::MakeIdentity;
using testing::MaxDifference;
using testing::SetNode;

class Curves2DTest : public EngineTest {
 protected:
  T2DCurvesAdjustments Unit{nullptr};
  T3DLut Src, Dst;
  void SetUp() override {
    EngineTest::SetUp();
    MakeIdentity(Src);
    MakeIdentity(Dst);
  }
  void Run() { Unit.Process2i(&Src, nullptr, nullptr, &Dst, Prefs); }
  // Every dot of the grid: X and Y times Factor, Z set.
  static void Shape(TControlledParameterGrid* P, float Factor, int32_t Z) {
    for (auto& Column : P->Grid.Dots)
      for (TDotPoint& D : Column) {
        D.X = static_cast<int32_t>(std::nearbyint(D.X * Factor));
        D.Y = static_cast<int32_t>(std::nearbyint(D.Y * Factor));
        D.Z = Z;
      }
  }
};

TEST_F(Curves2DTest, SwitchesOffGiveTheInputClamped) {
  Src.R[7] = 1.4f;
  Src.G[8] = -0.2f;
  T3DLut Clamped;
  MakeIdentity(Clamped);
  Clamped.CopyFrom(Src);
  Clamp(Clamped);
  for (float Blend : {0.0f, 0.5f}) {
    Unit.Blend->SetValue(Blend);
    Run();
    EXPECT_LT(MaxDifference(Dst, Clamped), 1e-6) << Blend;
  }
  // Blend 1: 2 new - old, where new reads negatives as 0.
  Unit.Blend->SetValue(1);
  Run();
  EXPECT_FLOAT_EQ(Dst.G[8], 0.2f);
  EXPECT_EQ(Dst.R[7], 1);
  EXPECT_TRUE(Silent());
}

TEST_F(Curves2DTest, ZBendKeepsTheEnds) {
  const struct {
    float V, Z, Out;
  } Cases[] = {{0, 128, 0},        {1000, 128, 1000}, {500, 128, 750}, {0, -128, 0},
               {1000, -128, 1000}, {500, -128, 250},  {400, 0, 400}};
  for (const auto& C : Cases) EXPECT_FLOAT_EQ(Curves2DZBend(C.V, C.Z), C.Out) << C.V << " " << C.Z;
  Unit.RBEnabled->SetValue(1);
  Shape(Unit.RB, 1, 128);
  Run();
  for (int32_t g : {0, 8, 16}) {
    const int32_t k = 5 + 17 * (g + 17 * 9);
    const float G = g / 16.0f;
    EXPECT_NEAR(Dst.G[k], G * (2 - G), 1e-4) << g;
  }
}

TEST_F(Curves2DTest, ProportionalModeCarriesTheRatio) {
  Unit.RBEnabled->SetValue(1);
  Unit.Proportional->SetValue(1);
  Shape(Unit.RB, 1.1f, 0);
  SetNode(Src, 0, 0.5f, 0.5f, 0.5f);  // neutral grey
  SetNode(Src, 1, 0.8f, 0.4f, 0);     // R0 1000 scale: (800, 400, 0)
  SetNode(Src, 2, 0, 0, 0);           // black: k stays 1
  Run();
  EXPECT_NEAR(Dst.R[0], 0.55f, 1e-3);
  EXPECT_NEAR(Dst.G[0], 0.55f, 1e-3);
  EXPECT_NEAR(Dst.B[0], 0.55f, 1e-3);
  // (800, 400, 0): m = 400, neutrality 1 - 800/400/3 = 1/3, so k = 1 + 0.1/3
  // and green 413.3; that is above t = 0 + 1000 - 880 = 120, so it is pulled
  // back: 880 (400 - u)/(1000 - u) + 120 with u = 120/k.
  EXPECT_NEAR(Dst.R[1], 0.88f, 1e-3);
  const float K = 1 + 0.1f / 3, U = 120 / K;
  EXPECT_NEAR(Dst.G[1], (880 * (400 - U) / (1000 - U) + 120) / 1000, 1e-3);
  EXPECT_EQ(Dst.G[2], 0);
  // Without the proportional mode green stays.
  Unit.Proportional->SetValue(0);
  Run();
  EXPECT_NEAR(Dst.G[0], 0.5f, 1e-6);
}

TEST_F(Curves2DTest, StageOutputsAndLinearInput) {
  Unit.RBEnabled->SetValue(1);
  Unit.RGEnabled->SetValue(1);
  Unit.Blend->SetValue(0.25f);  // f = 0.5
  Shape(Unit.RB, 0.9f, 0);
  T3DLut After1, After2;
  MakeIdentity(After1);
  MakeIdentity(After2);
  Src.ColorSpace = lcsLinearRGB;
  Unit.Process2i(&Src, &After1, &After2, &Dst, Prefs);
  EXPECT_EQ(Dst.ColorSpace, lcsProfileRGB);
  EXPECT_EQ(After1.ColorSpace, lcsProfileRGB);
  const int32_t White = Dst.Count - 1;
  EXPECT_NEAR(After1.R[White], 0.9f, 1e-3);  // red and blue scaled, green kept
  EXPECT_NEAR(After1.G[White], 1.0f, 1e-3);
  EXPECT_NEAR(After2.R[White], 0.9f, 1e-3);  // untouched "RG" keeps it
  EXPECT_NEAR(Dst.R[White], 0.95f, 1e-3);    // blended half with the input
}

TEST_F(Curves2DTest, CurrentDotPreviewOnlyOnItsOwnGrid) {
  Unit.GBEnabled->SetValue(1);
  Unit.PreviewMode = smCurves2DGB;
  T2DEnvelopeDots& G = Unit.GB->Grid;
  G.CurCol = 0;
  G.CurRow = 0;
  Unit.EditedGrid = &G;
  Run();
  EXPECT_NEAR(Dst.R[0], 0.001f, 1e-6);  // black sits on dot (0, 0): W = 1, v = 0
  EXPECT_EQ(Dst.R[Dst.Count - 1], 0);   // white is far from it: W = 0
  Unit.PreviewMode = smCurves2DRB;      // another grid's preview: normal run
  Run();
  EXPECT_LT(MaxDifference(Dst, Src), 1e-3);
  Unit.PreviewMode = smCurves2DGB;
  Unit.EditedGrid = nullptr;
  Run();
  EXPECT_EQ(Unit.PreviewMode, smNone);
}

}  // namespace
}  // namespace kromel
