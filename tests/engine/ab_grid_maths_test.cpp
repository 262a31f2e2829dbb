#include "engine/ab_grid_maths.h"

#include <gtest/gtest.h>

#include <cmath>

#include "colour/colour_models.h"
#include "lut/lut_test_support.h"

namespace kromel {
namespace {

using test::LutTest;
using test::MakeIdentity;

TEST(ABGridLightness, LumaModeCalcBrightnessInvertsModeZero) {
  const float Src[] = {0, 5, 20, 37.5f, 50, 63, 80, 99, 100};
  const float Dest[] = {0, 3, 18, 40, 50, 61, 85, 97, 100};
  for (float S : Src)
    for (float D : Dest) {
      const float K = LumaModeCalcBrightness(S, D);
      ASSERT_TRUE(std::isfinite(K)) << S << " " << D;
      // Black and white are fixed points of the curve: no slope, factor 0.
      if (S == 0 || S == 100) {
        ASSERT_EQ(K, 0) << S << " -> " << D;
        continue;
      }
      ASSERT_NEAR(LumaModeLightness(0, S, K), D, 2e-3) << S << " -> " << D << " d=" << K;
    }
  EXPECT_FLOAT_EQ(LumaModeCalcBrightness(50, 50), 0);
  EXPECT_EQ(LumaModeCalcBrightness(100, 100.5f), 0);  // no slope above white
}

TEST(ABGridLightness, LumaModesTable) {
  const struct {
    int32_t Mode;
    float L, D, Out;
  } Cases[] = {
      {0, 50, 0, 50},     {0, 50, 1, 87.5f}, {0, 50, -1, 12.5f}, {0, 10, -1, 0.1f},
      {0, 0, -1, 0},      {0, 100, 1, 100},  {1, 50, 1.5f, 100}, {1, 30, -1.5f, 15},
      {1, 80, 3, 100},    {2, 50, 1, 70},    {2, 10, -1, 0},     {3, 90, -0.2f, 85},
      {3, 70, -0.2f, 70}, {3, 10, 0.3f, 20}, {3, 50, 0.3f, 50},  {4, 42, 1, 42},
      {-1, 42, 1, 42},    {0, 120, 0, 120},
  };
  for (const auto& C : Cases)
    EXPECT_NEAR(LumaModeLightness(C.Mode, C.L, C.D), C.Out, 1e-4) << C.Mode << " " << C.L;
}

TEST(ABGridLightness, HighlightWeightAndGammaToChange) {
  const float E = ABHighlightExponent(0.5f);
  EXPECT_FLOAT_EQ(E, 1);
  EXPECT_NEAR(ABHighlightWeight(0, E), 0, 1e-7);
  EXPECT_NEAR(ABHighlightWeight(-20, E), 0, 1e-7);
  EXPECT_NEAR(ABHighlightWeight(50, E), 0.5f, 1e-6);
  EXPECT_NEAR(ABHighlightWeight(100, E), 1, 1e-7);
  // A higher threshold widens the shadows: less highlight weight at 50.
  EXPECT_LT(ABHighlightWeight(50, ABHighlightExponent(0.8f)), 0.5f);
  EXPECT_FLOAT_EQ(CalcGammaToChange(0.25f, 0.5f), 0.5f);
  for (auto [S, D] : {std::pair{0.0f, 0.5f}, {0.5f, 0.0f}, {0.5f, 1.0f}, {1.0f, 0.5f}})
    EXPECT_EQ(CalcGammaToChange(S, D), 1);
}

class FitABGridTest : public LutTest {
 protected:
  void SetUp() override {
    LutTest::SetUp();
    SetColorModel(cmLAB);
    Grid.SetColCount(9);
    Grid.SetRowCount(9);
    Grid.SetRanges(-1000, -1000, 1000, 1000);
    Grid.InitializeRectangular(true);
    Shadows.Assign(Grid);
    MakeIdentity(Lut, 17);
  }
  void TearDown() override {
    SetColorModel(cmHSPe);
    LutTest::TearDown();
  }
  // Every node taken into the model, moved by (dA, dB) and brought back.
  void ShiftChroma(float dA, float dB) {
    for (int32_t k = 0; k < Lut.Count; ++k) {
      float L, A, B;
      RGBtoColorModelContrast(Lut.R[k], Lut.G[k], Lut.B[k], 0, L, A, B);
      ColorModeltoRGBContrast(L, A + dA, B + dB, 0, Lut.R[k], Lut.G[k], Lut.B[k]);
    }
  }
  void SetWeight(float W) { std::fill(Lut.A, Lut.A + Lut.Count, W); }

  T2DEnvelopeDots Grid, Shadows;
  T3DLut Lut;
};

TEST_F(FitABGridTest, IdentityKeepsTheDotsAndShiftMovesThem) {
  SetWeight(1);
  FitABGridToLUT(Lut, Grid, nullptr, 1, 0.5f, 0);
  const TDotPoint& Centre = Grid.Dots[4][4];
  EXPECT_NEAR(Centre.X, 0, 3);
  EXPECT_NEAR(Centre.Y, 0, 3);
  EXPECT_NEAR(Centre.Z, 0, 3);
  EXPECT_TRUE(Centre.Pinned);
  for (const auto& Column : Grid.Dots)
    for (const TDotPoint& D : Column) EXPECT_TRUE(D.Pinned);
  ShiftChroma(5, -3);
  FitABGridToLUT(Lut, Grid, nullptr, 1, 0.5f, 0);
  EXPECT_NEAR(Grid.Dots[4][4].X, 50, 4);
  EXPECT_NEAR(Grid.Dots[4][4].Y, -30, 4);
  // Double mode fits the shadows grid too.
  FitABGridToLUT(Lut, Grid, &Shadows, 2, 0.5f, 0);
  EXPECT_NEAR(Shadows.Dots[4][4].X, 50, 4);
  EXPECT_TRUE(Shadows.Dots[4][4].Pinned);
}

// Zero weight everywhere used to divide 0 by 0: the dot now stays at its
// default and unpinned; dots fitted from the band's middle (weight 1) still
// move.
TEST_F(FitABGridTest, ZeroWeightKeepsTheDefaultUnpinned) {
  SetWeight(0);
  ShiftChroma(5, 0);
  FitABGridToLUT(Lut, Grid, nullptr, 1, 0.5f, 0);
  const TDotPoint& Centre = Grid.Dots[4][4];
  EXPECT_EQ(Centre.X, 0);
  EXPECT_EQ(Centre.Y, 0);
  EXPECT_EQ(Centre.Z, 0);
  EXPECT_FALSE(Centre.Pinned);
  int32_t Pinned = 0;
  for (const auto& Column : Grid.Dots)
    for (const TDotPoint& D : Column) {
      Pinned += D.Pinned;
      EXPECT_LE(std::abs(D.X), 2000);
      EXPECT_LE(std::abs(D.Z), 1000);
    }
  EXPECT_GT(Pinned, 0);  // the far dots lie outside RGB at every level
  EXPECT_TRUE(Messages().empty());
}

}  // namespace
}  // namespace kromel
