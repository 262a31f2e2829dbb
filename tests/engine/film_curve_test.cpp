#include "engine/film_curve.h"

#include <gtest/gtest.h>

#include "colour/acr3_tone_curve.h"
#include "colour/log_gamma.h"
#include "engine/engine_test_support.h"

namespace kromel {
namespace {

using testing::EngineTest;
using testing::MakeIdentity;

TEST(FilmCurveFunctions, WorkedValues) {
  EXPECT_FLOAT_EQ(FilmCurveFunctionA(0.1f), 0.2f);
  EXPECT_NEAR(FilmCurveFunctionA(1.0f), 1.0000f, 5e-5);
  EXPECT_FLOAT_EQ(FilmCurveFunctionB(0.1f), 0.4f);
  EXPECT_NEAR(FilmCurveFunctionB(1.0f), 1.0013f, 5e-5);
  EXPECT_GT(FilmCurveFunctionB(1.0f), 1.0f);
  // The pieces meet: A at 0.25 ends 0.5, B near 0.125 ends near 0.5.
  EXPECT_NEAR(FilmCurveFunctionA(0.25f), 0.5f, 1e-4);
  EXPECT_NEAR(FilmCurveFunctionB(0.125f), 0.5f, 2e-2);
}

TEST(FilmCurveUnit, ExposureOffsets) {
  TFilmCurveAdjustments Unit(nullptr);
  const struct {
    int32_t Kind;
    float Offset;
  } Cases[] = {{0, 0}, {1, -1}, {2, -1}, {3, -2}, {4, 0}, {-1, 0}};
  for (const auto& C : Cases) {
    Unit.FilmCurve->SetValue(C.Kind);
    EXPECT_EQ(Unit.GetExposureOffset(), C.Offset) << C.Kind;
  }
}

class FilmCurveTest : public EngineTest {
 protected:
  TFilmCurveAdjustments Unit{nullptr};
  T3DLut Src, Dst;
  void SetUp() override {
    EngineTest::SetUp();
    MakeIdentity(Src);
    MakeIdentity(Dst);
    for (int32_t k = 0; k < Src.Count; ++k) Src.R[k] = 1.3f * Src.R[k] - 0.1f;
  }
};

TEST_F(FilmCurveTest, OffCopiesTheInput) {
  Src.ColorSpace = lcsCustomColorspace;
  Unit.Process(&Src, &Dst, Prefs);
  EXPECT_EQ(testing::MaxDifference(Src, Dst), 0);
  EXPECT_EQ(Dst.ColorSpace, lcsCustomColorspace);
  EXPECT_TRUE(Silent());
}

TEST_F(FilmCurveTest, EachCurveActsInLinearRGB) {
  Src.ColorSpace = lcsLinearRGB;
  const struct {
    int32_t Kind;
    float (*Curve)(float);
  } Cases[] = {{1, &EvaluateToneCurve},
               {2, &FilmCurveFunctionA},
               {3, &FilmCurveFunctionB},
               {7, &FilmCurveFunctionB}};
  for (const auto& C : Cases) {
    Unit.FilmCurve->SetValue(C.Kind);
    Unit.Process(&Src, &Dst, Prefs);
    EXPECT_EQ(Dst.ColorSpace, lcsLinearRGB);
    for (int32_t k = 0; k < Dst.Count; ++k) {
      ASSERT_FLOAT_EQ(Dst.R[k], C.Curve(Src.R[k])) << C.Kind << " " << k;
      ASSERT_FLOAT_EQ(Dst.G[k], C.Curve(Src.G[k])) << C.Kind << " " << k;
    }
  }
  // The table curve: negative linear values read 0, above 1 read 1.
  Unit.FilmCurve->SetValue(1);
  Unit.Process(&Src, &Dst, Prefs);
  EXPECT_EQ(Dst.R[0], 0);
  EXPECT_EQ(Dst.R[16], 1);
  EXPECT_TRUE(Silent());
}

TEST_F(FilmCurveTest, GammaInputIsDecodedFirst) {
  Unit.FilmCurve->SetValue(1);
  Unit.Process(&Dst, &Dst, Prefs);  // identity, sRGB, in place
  EXPECT_EQ(Dst.ColorSpace, lcsLinearRGB);
  for (int32_t r = 0; r < 17; ++r)
    EXPECT_NEAR(Dst.R[r], EvaluateToneCurve(GammaSRGBToLinear(r / 16.0f)), 1e-5) << r;
}

}  // namespace
}  // namespace kromel
