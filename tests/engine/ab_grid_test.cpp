#include "engine/ab_grid.h"

#include <gtest/gtest.h>

#include <cmath>

#include "colour/colour_models.h"
#include "engine/ab_grid_maths.h"
#include "engine/engine_test_support.h"
#include "engine/lut_procedures.h"

namespace kromel {
namespace {

using testing::EngineTest;
using testing::MakeIdentity;
using testing::MaxDifference;

class ABGridTest : public EngineTest {
 protected:
  TABGridAdjustments Unit{nullptr};
  T3DLut Src, Dst1, Dst2, Model;
  void SetUp() override {
    EngineTest::SetUp();
    SetColorModel(cmLAB);
    MakeIdentity(Src);
    MakeIdentity(Dst1);
    MakeIdentity(Dst2);
    MakeIdentity(Model);
    ProcessColorModelConversion(Src, &Model, lcsCustomColorspace, &Prefs);
  }
  void TearDown() override {
    SetColorModel(cmHSPe);
    EngineTest::TearDown();
  }
  static int32_t Grey(int32_t i) { return i * (1 + 17 + 17 * 17); }
};

TEST_F(ABGridTest, DefaultsGiveTheInputBack) {
  Unit.Process1i(&Src, &Dst1, &Dst2, Prefs);
  EXPECT_EQ(Dst2.ColorSpace, lcsCustomColorspace);
  EXPECT_EQ(Dst1.ColorSpace, lcsProfileRGB);
  EXPECT_LT(MaxDifference(Dst2, Model), 1e-4);
  // Dst1 is the model's own round trip (its gamut limit included).
  T3DLut Back;
  MakeIdentity(Back);
  ProcessColorModelConversion(Model, &Back, lcsProfileRGB, &Prefs);
  EXPECT_LT(MaxDifference(Dst1, Back), 1e-4);
  EXPECT_LT(MaxDifference(Dst1, Src), 0.03);
  EXPECT_TRUE(Silent());
}

TEST_F(ABGridTest, BrightnessOffsetActsWhileEnabledIsOff) {
  Unit.ApplyBrightness = true;
  Unit.Brightness->SetValue(1);  // off = -1, d = 1
  Unit.Process1i(&Src, nullptr, &Dst2, Prefs);
  for (int32_t k = 0; k < Dst2.Count; ++k)
    ASSERT_NEAR(Dst2.R[k], LumaModeLightness(0, Model.R[k], 1), 1e-3) << k;
  EXPECT_GT(Dst2.R[Grey(8)], Model.R[Grey(8)] + 10);
}

TEST_F(ABGridTest, ShadowsHighlightsPreview) {
  Unit.PreviewMode = smShadowsHighlights;
  const float Before = Dst1.R[5];
  Unit.Process1i(&Src, &Dst1, &Dst2, Prefs);
  EXPECT_EQ(Dst2.ColorSpace, lcsProfileRGB);
  EXPECT_NEAR(Dst2.R[0], 0, 1e-6);
  EXPECT_EQ(Dst2.G[0], 0.5f);
  EXPECT_NEAR(Dst2.B[0], 1, 1e-6);
  EXPECT_NEAR(Dst2.R[Dst2.Count - 1], 1, 1e-4);
  EXPECT_NEAR(Dst2.B[Dst2.Count - 1], 0, 1e-4);
  EXPECT_EQ(Dst1.R[5], Before);
  EXPECT_EQ(Dst1.ColorSpace, lcsProfileRGB);
}

TEST_F(ABGridTest, MovedDotsShiftChromaAndZBendsLightness) {
  Unit.Enabled->SetValue(1);
  TDotPoint& Centre = Unit.Highlights->Grid.Dots[4][4];
  Centre.X += 100;  // a + 10 at the grey axis
  Centre.Z = 127;   // d = 1
  Unit.Process1i(&Src, &Dst1, &Dst2, Prefs);
  for (int32_t i = 1; i < 16; ++i) {
    const int32_t k = Grey(i);
    EXPECT_NEAR(Dst2.G[k], Model.G[k] + 10, 0.05f) << i;
    EXPECT_NEAR(Dst2.R[k], LumaModeLightness(0, Model.R[k], 1), 0.05f) << i;
  }
  // Double mode, highlights off: the shadows grid alone, faded by 1 - w.
  Centre.X -= 100;
  Centre.Z = 0;
  Unit.Double->SetValue(1);
  Unit.AffectHighlights->SetValue(0);
  Unit.Shadows->Grid.Dots[4][4].X += 100;
  Unit.Process1i(&Src, &Dst1, &Dst2, Prefs);
  const float E = ABHighlightExponent(0.5f);
  for (int32_t i = 1; i < 16; ++i) {
    const int32_t k = Grey(i);
    EXPECT_NEAR(Dst2.G[k], Model.G[k] + 10 * (1 - ABHighlightWeight(Model.R[k], E)), 0.05f) << i;
  }
}

TEST_F(ABGridTest, SelectionPreviewsShowTheStrength) {
  Unit.PreviewMode = smTransformImage;  // no edited grid: dot (-1, -1)
  Unit.Process1i(&Src, &Dst1, &Dst2, Prefs);
  for (int32_t k = 0; k < Dst2.Count; ++k) ASSERT_EQ(Dst2.R[k], 0) << k;
  T2DEnvelopeDots& G = Unit.Highlights->Grid;
  G.CurCol = 4;
  G.CurRow = 4;
  Unit.EditedGrid = &G;
  Unit.Process1i(&Src, &Dst1, &Dst2, Prefs);
  EXPECT_NEAR(Dst2.R[Grey(8)], 100, 0.5f);  // the grey axis sits on the dot
  Unit.PreviewMode = smTransform;
  G.Dots[4][4].Selected = true;
  Unit.Process1i(&Src, &Dst1, &Dst2, Prefs);
  EXPECT_NEAR(Dst2.R[Grey(8)], 100, 0.5f);
  EXPECT_NEAR(Dst2.R[0 + 16], 0, 0.5f);  // pure red lies far from it
}

TEST_F(ABGridTest, TransformLabMovesThroughTheHighlightsGrid) {
  Unit.Highlights->Grid.Dots[4][4].Y += 50;
  TLABAPixel128 Out;
  Unit.TransformLab(Out, {40, 0, 0, 7});
  EXPECT_EQ(Out.L, 40);
  EXPECT_EQ(Out.Alpha, 7);
  EXPECT_NEAR(Out.A, 0, 1e-4);
  EXPECT_NEAR(Out.B, 5, 1e-4);
  THSLPixel128 H;
  Unit.Highlights->Grid.Dots[4][4].Y -= 50;
  Unit.TransformColor(H, {0.3f, 0.2f, 0.6f, 1});
  EXPECT_NEAR(H.H, 0.3f, 1e-4);
  EXPECT_NEAR(H.S, 0.2f, 1e-4);
  EXPECT_NEAR(H.L, 0.6f, 1e-6);
}

}  // namespace
}  // namespace kromel
