#include "engine/cl_grid.h"

#include <gtest/gtest.h>

#include <cmath>

#include "colour/colour_models.h"
#include "engine/engine_test_support.h"
#include "engine/lut_procedures.h"

namespace kromel {
namespace {

using testing::EngineTest;
using testing::MakeIdentity;
using testing::MaxDifference;

class CLGridTest : public EngineTest {
 protected:
  TCLGridAdjustments Unit{nullptr};
  T3DLut Src, Dst;
  void SetUp() override {
    EngineTest::SetUp();
    SetColorModel(cmLAB);
    MakeIdentity(Src);
    MakeIdentity(Dst);
  }
  void TearDown() override {
    SetColorModel(cmHSPe);
    EngineTest::TearDown();
  }
  // Src in the working model with every node at (L, a, b).
  void FillModel(float L, float A, float B) {
    for (int32_t k = 0; k < Src.Count; ++k) testing::SetNode(Src, k, L, A, B);
    Src.ColorSpace = lcsCustomColorspace;
  }
};

TEST_F(CLGridTest, OffOrInAnABPreviewCopies) {
  Unit.Process(&Src, &Dst, Prefs);
  EXPECT_EQ(MaxDifference(Src, Dst), 0);
  EXPECT_EQ(Dst.ColorSpace, lcsProfileRGB);  // no conversion
  Unit.GridsActive = true;
  Unit.PreviewMode = smTransformImage;
  Unit.Process(&Src, &Dst, Prefs);
  EXPECT_EQ(MaxDifference(Src, Dst), 0);
  EXPECT_TRUE(Silent());
}

TEST_F(CLGridTest, UntouchedGridsOnlyLimitLightness) {
  T3DLut Model;
  MakeIdentity(Model);
  ProcessColorModelConversion(Src, &Model, lcsCustomColorspace, &Prefs);
  Model.R[3] = 120;
  Model.R[4] = -5;
  Unit.GridsActive = true;
  Unit.Process(&Model, &Dst, Prefs);
  EXPECT_EQ(Dst.ColorSpace, lcsCustomColorspace);
  EXPECT_NEAR(Dst.R[3], 100, 1e-3);
  EXPECT_NEAR(Dst.R[4], 0, 1e-3);  // not pushed up by the grid's border
  Model.R[3] = 100;
  Model.R[4] = 0;
  EXPECT_LT(MaxDifference(Dst, Model), 0.01f);
}

TEST_F(CLGridTest, DotsMoveAlongTheRotatedAxes) {
  Unit.GridsActive = true;
  TDotPoint& Dot = Unit.AL->Grid.Dots[4][4];  // X 0, Y 500: a 0 at L 50
  Dot.X += 100;
  FillModel(50, 0, 0);
  const struct { float Rotation, A, B; } Cases[] = {{0.5f, 10, 0}, {0.0f, 0, 10}, {1.0f, 0, -10}};
  for (const auto& C : Cases) {
    Unit.GridRotation->SetValue(C.Rotation);
    Unit.AxisScale = 1;
    Unit.Process(&Src, &Dst, Prefs);
    EXPECT_NEAR(Dst.G[0], C.A, 1e-3) << C.Rotation;
    EXPECT_NEAR(Dst.B[0], C.B, 1e-3) << C.Rotation;
    EXPECT_NEAR(Dst.R[0], 50, 1e-3);
  }
  // Z pushes along the other axis: 128 units are 50 tenths, a b of +50.
  Dot.X -= 100;
  Dot.Z = 128;
  Unit.GridRotation->SetValue(0.5f);
  Unit.Process(&Src, &Dst, Prefs);
  EXPECT_NEAR(Dst.G[0], 0, 1e-3);
  EXPECT_NEAR(Dst.B[0], 50, 1e-3);
  // A "BL" dot moved up lifts lightness.
  Dot.Z = 0;
  Unit.BL->Grid.Dots[4][4].Y += 100;
  Unit.Process(&Src, &Dst, Prefs);
  EXPECT_NEAR(Dst.R[0], 60, 1e-3);
}

TEST_F(CLGridTest, SelectionPreviewsRunEvenWhenOff) {
  FillModel(50, 0, 0);
  Unit.PreviewMode = smTransformAL;
  Unit.Process(&Src, &Dst, Prefs);
  EXPECT_EQ(Dst.R[0], 0);  // nothing selected
  Unit.AL->Grid.Dots[4][4].Selected = true;
  Unit.Process(&Src, &Dst, Prefs);
  EXPECT_NEAR(Dst.R[0], 100, 1e-3);
  Unit.PreviewMode = smTransformBLImage;
  T2DEnvelopeDots& G = Unit.BL->Grid;
  G.CurCol = 4;
  G.CurRow = 4;
  Unit.EditedGrid = &G;
  Unit.Process(&Src, &Dst, Prefs);
  EXPECT_NEAR(Dst.R[0], 100, 1e-3);
}

TEST(CLGridAxisScale, ByModelAndRotation) {
  EXPECT_FLOAT_EQ(CLGridAxisScale(cmLAB, 0.5f), 1);
  EXPECT_NEAR(CLGridAxisScale(cmLAB, 0.75f), 1 / std::sqrt(2.0f), 1e-6);
  EXPECT_FLOAT_EQ(CLGridAxisScale(cmHSP, 0.75f), 1);
}

}  // namespace
}  // namespace kromel
