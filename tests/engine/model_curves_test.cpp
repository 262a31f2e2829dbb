#include "engine/model_curves.h"

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

class ModelCurvesTest : public EngineTest {
 protected:
  TModelCurvesAdjustments Unit{nullptr};
  T3DLut Src, Dst, Model;
  void SetUp() override {
    EngineTest::SetUp();
    SetColorModel(cmLAB);
    MakeIdentity(Src);
    MakeIdentity(Dst);
    MakeIdentity(Model);
    ProcessColorModelConversion(Src, &Model, lcsCustomColorspace, &Prefs);
    Unit.Enabled->SetValue(1);
  }
  void TearDown() override {
    SetColorModel(cmHSPe);
    EngineTest::TearDown();
  }
  static float Chroma(const T3DLut& L, int32_t k) { return std::hypot(L.G[k], L.B[k]); }
};

TEST_F(ModelCurvesTest, DisabledCopiesAndEnabledConverts) {
  Unit.Enabled->SetValue(0);
  Src.ColorSpace = lcsLinearRGB;
  Unit.Process(&Src, &Dst, Prefs);
  EXPECT_EQ(MaxDifference(Src, Dst), 0);
  EXPECT_EQ(Dst.ColorSpace, lcsLinearRGB);
  Src.ColorSpace = lcsProfileRGB;
  Unit.Enabled->SetValue(1);
  Unit.Process(&Src, &Dst, Prefs);
  EXPECT_EQ(Dst.ColorSpace, lcsCustomColorspace);
  EXPECT_EQ(MaxDifference(Dst, Model), 0);
  EXPECT_TRUE(Silent());
}

TEST_F(ModelCurvesTest, FlatDefaultsBarelyChange) {
  Unit.SatLumaCurveEnabled->SetValue(1);
  Unit.Process(&Src, &Dst, Prefs);
  for (int32_t k = 0; k < Dst.Count; ++k) {
    ASSERT_NEAR(Chroma(Dst, k), Chroma(Model, k) * 16387 / 16384, 1e-3) << k;
    ASSERT_EQ(Dst.R[k], Model.R[k]);
  }
  Unit.SatLumaCurveEnabled->SetValue(0);
  Unit.LumaSatCurveEnabled->SetValue(1);
  Unit.Process(&Src, &Dst, Prefs);
  for (int32_t k = 0; k < Dst.Count; ++k) ASSERT_NEAR(Dst.R[k], Model.R[k], 0.01f) << k;
}

TEST_F(ModelCurvesTest, CurvesShapeLightnessAndChroma) {
  Unit.LuminanceCurveEnabled->SetValue(1);
  Unit.Luminance->Curve.ResetHorizontal(16384, 2);  // every lightness to ~50
  Unit.SaturationCurveEnabled->SetValue(1);
  TEnvelopeDots& S = Unit.Saturation->Curve;
  S.Dot(1).Y = 16384;  // half the diagonal: chroma halved
  S.CalcSpline();
  Unit.Process(&Src, &Dst, Prefs);
  for (int32_t k = 0; k < Dst.Count; ++k) {
    ASSERT_NEAR(Dst.R[k], 16384.0f / 32767 * 100, 1e-3) << k;
    ASSERT_NEAR(Chroma(Dst, k), Chroma(Model, k) / 2, 0.01f) << k;
  }
  EXPECT_NEAR(Unit.GetLuminanceCurveValue(0.3f), 16384.0f / 32767, 1e-6);
}

TEST_F(ModelCurvesTest, LightnessPreviewHighlightsOneLevel) {
  Unit.LightnessPreview = true;
  Unit.LumaSatCurveEnabled->SetValue(1);  // skipped in the preview
  Unit.PreviewLightness = 50;
  Unit.Process(&Src, &Dst, Prefs);
  for (int32_t k = 0; k < Dst.Count; ++k) {
    const float Expected = std::max(100 - 10 * std::fabs(Model.R[k] - 50), 0.0f);
    ASSERT_NEAR(Dst.R[k], Expected, 1e-4) << k;
  }
  const int32_t Black = 0, White = Dst.Count - 1;
  EXPECT_EQ(Dst.R[Black], 0);
  EXPECT_EQ(Dst.R[White], 0);
  Unit.PreviewLightness = 100;
  Unit.Process(&Src, &Dst, Prefs);
  EXPECT_NEAR(Dst.R[White], 100, 0.01f);
}

}  // namespace
}  // namespace kromel
