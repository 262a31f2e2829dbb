#include "engine/master_unit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "colour/rgb_lab_xyz.h"
#include "lut/lut_test_support.h"

namespace kromel {
namespace {

using test::Hash01;
using test::LutTest;
using test::MakeIdentity;
using test::Planes;

class MasterUnitTest : public LutTest {
 protected:
  TMasterAdjustments Unit{nullptr};
  T3DLut Wet, Dry, Dst;
  TColorModelPreferences Settings;

  // Wet: the identity pulled towards pseudo-random colours, a few nodes out
  // of 0..1; Dry: the identity stretched beyond 0..1.
  void SetUp() override {
    LutTest::SetUp();
    MakeIdentity(Wet, 17);
    for (int32_t k = 0; k < Wet.Count; ++k) {
      Wet.R[k] = 0.6f * Wet.R[k] + 0.5f * Hash01(3 * k) - 0.05f;
      Wet.G[k] = 0.6f * Wet.G[k] + 0.5f * Hash01(3 * k + 1) - 0.05f;
      Wet.B[k] = 0.6f * Wet.B[k] + 0.5f * Hash01(3 * k + 2) - 0.05f;
    }
    MakeIdentity(Dry, 17);
    for (float* P : {Dry.R, Dry.G, Dry.B})
      for (int32_t k = 0; k < Dry.Count; ++k) P[k] = 1.2f * P[k] - 0.1f;
    MakeIdentity(Dst, 17);
  }
};

TEST_F(MasterUnitTest, DefaultsCopyWetExactly) {
  Unit.ProcessCombine(&Wet, &Dry, &Dst, Settings);
  EXPECT_EQ(Planes(Dst), Planes(Wet));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(MasterUnitTest, BlendHalfGivesDryClampedInEveryMode) {
  Unit.Blend->SetValue(0.5f);
  for (int32_t Mode = 0; Mode <= 10; ++Mode) {
    Unit.BlendingMode->SetValue(Mode);
    Unit.ProcessCombine(&Wet, &Dry, &Dst, Settings);
    for (int32_t k = 0; k < Dst.Count; ++k) {
      ASSERT_FLOAT_EQ(Dst.R[k], std::clamp(Dry.R[k], 0.0f, 1.0f)) << Mode << " " << k;
      ASSERT_FLOAT_EQ(Dst.G[k], std::clamp(Dry.G[k], 0.0f, 1.0f)) << Mode << " " << k;
      ASSERT_FLOAT_EQ(Dst.B[k], std::clamp(Dry.B[k], 0.0f, 1.0f)) << Mode << " " << k;
    }
  }
}

TEST(MasterBlendValue, EachModeOnATableOfColours) {
  const float W[] = {0.2f, 0.5f, 0.8f};
  const float D[] = {0.3f, 0.6f, 0.25f};
  const struct {
    int32_t Mode;
    float Out[3];
  } Cases[] = {
      {0, {0.2f, 0.5f, 0.8f}},
      {1, {0.3f, 0.6f, 0.8f}},
      {2, {0.2f, 0.5f, 0.25f}},
      {3, {0.2f, 0.5f, 0.8f}},
      {4, {0.2f, 0.5f, 0.8f}},
      {5, {0.06f, 0.3f, 0.2f}},
      {6, {0.44f, 0.8f, 0.85f}},
      {7, {0.12f, 0.6f, 0.4f}},   // d < 0.5: 2wd; d >= 0.5: 1 -
                                  // 2(1-w)(1-d)
      {8, {0.174f, 0.6f, 0.4f}},  // (1-2w)d^2 + 2wd; (2w-1)sqrt(d) + 2(1-w)d
      {9, {-0.3f, 0.6f, 0.85f}},
      {10, {0.45f, 0.45f, 0.775f}},
      {11, {0.2f, 0.5f, 0.8f}},
  };
  for (const auto& C : Cases)
    for (int I = 0; I < 3; ++I)
      EXPECT_NEAR(MasterBlendValue(C.Mode, W[I], D[I]), C.Out[I], 1e-6) << C.Mode << " " << I;
  // Soft Light over a dry value below black stays a number.
  EXPECT_FLOAT_EQ(MasterBlendValue(mbmSoftLight, 0.75f, -0.2f), 2 * 0.25f * -0.2f);
}

// Full amounts: the blended wet colour through the model and back.
TEST_F(MasterUnitTest, ModesAtFullAmountsGiveTheBlendedColour) {
  MakeIdentity(Wet, 5);
  MakeIdentity(Dry, 5);
  MakeIdentity(Dst, 5);
  for (int32_t k = 0; k < Wet.Count; ++k) {
    Wet.R[k] = 0.1f + 0.8f * Hash01(7 * k);
    Wet.G[k] = 0.1f + 0.8f * Hash01(7 * k + 1);
    Wet.B[k] = 0.1f + 0.8f * Hash01(7 * k + 2);
  }
  for (int32_t Model = 0; Model <= 3; ++Model)
    for (int32_t Mode : {0, 1, 2, 5, 6, 7, 8, 9, 10}) {
      Unit.ColorModel->SetValue(Model);
      Unit.BlendingMode->SetValue(Mode);
      Unit.ProcessCombine(&Wet, nullptr, &Dst, Settings);
      TRGBToVariableSingleProc Forward;
      TVariableToRGBSingleProc Inverse;
      MasterModelPair(Model, Forward, Inverse);
      int32_t k = 0;
      for (int32_t b = 0; b < 5; ++b)
        for (int32_t g = 0; g < 5; ++g)
          for (int32_t r = 0; r < 5; ++r, ++k) {
            float E[3] = {MasterBlendValue(Mode, Wet.R[k], r / 4.0f),
                          MasterBlendValue(Mode, Wet.G[k], g / 4.0f),
                          MasterBlendValue(Mode, Wet.B[k], b / 4.0f)};
            if (Mode == mbmOverlay || Mode == mbmSoftLight)
              E[0] = MasterBlendValue(Mode, std::max(Wet.R[k], 0.0f), r / 4.0f);
            // The model's own round trip (its gamut limit included).
            float M[3];
            Forward(E[0], E[1], E[2], M[0], M[1], M[2]);
            Inverse(M[0], M[1], M[2], E[0], E[1], E[2]);
            const float Got[3] = {Dst.R[k], Dst.G[k], Dst.B[k]};
            for (int I = 0; I < 3; ++I)
              ASSERT_NEAR(Got[I], std::clamp(E[I], 0.0f, 1.0f), 1e-3)
                  << "model " << Model << " mode " << Mode << " node " << k << " ch " << I;
          }
    }
}

TEST_F(MasterUnitTest, LessAndMoreSatTakeTheSmallerOrLargerChroma) {
  MakeIdentity(Wet, 2);
  MakeIdentity(Dry, 2);
  MakeIdentity(Dst, 2);
  for (int32_t k = 0; k < 8; ++k) {
    Wet.R[k] = 0.6f, Wet.G[k] = 0.45f, Wet.B[k] = 0.45f;  // weak red
    Dry.R[k] = 0.8f, Dry.G[k] = 0.3f, Dry.B[k] = 0.3f;    // strong red
  }
  float Lw, Aw, Bw, Ld, Ad, Bd;
  RGBtoLABSingle(0.6f, 0.45f, 0.45f, Lw, Aw, Bw);
  RGBtoLABSingle(0.8f, 0.3f, 0.3f, Ld, Ad, Bd);
  const struct {
    int32_t Mode;
    float Chroma;
  } Cases[] = {{mbmMoreSat, std::hypot(Ad, Bd)}, {mbmLessSat, std::hypot(Aw, Bw)}};
  for (const auto& C : Cases) {
    Unit.BlendingMode->SetValue(C.Mode);
    Unit.ProcessCombine(&Wet, &Dry, &Dst, Settings);
    float L, A, B;
    RGBtoLABSingle(Dst.R[0], Dst.G[0], Dst.B[0], L, A, B);
    EXPECT_NEAR(L, Lw, 0.05f) << C.Mode;
    EXPECT_NEAR(std::hypot(A, B), C.Chroma, 0.1f) << C.Mode;
  }
}

TEST_F(MasterUnitTest, LuminanceHalfKeepsTheIdentityLightness) {
  Unit.Luminance->SetValue(0.5f);
  Unit.ProcessCombine(&Wet, nullptr, &Dst, Settings);
  int32_t k = 0, Checked = 0;
  for (int32_t b = 0; b < 17; ++b)
    for (int32_t g = 0; g < 17; ++g)
      for (int32_t r = 0; r < 17; ++r, ++k) {
        float L, A, B, Li, Ai, Bi;
        RGBtoLABSingle(Dst.R[k], Dst.G[k], Dst.B[k], L, A, B);
        RGBtoLABSingle(r / 16.0f, g / 16.0f, b / 16.0f, Li, Ai, Bi);
        // Out-of-gamut results are clipped; most nodes keep L closely.
        if (Dst.R[k] > 0.01f && Dst.R[k] < 0.99f && Dst.G[k] > 0.01f && Dst.G[k] < 0.99f &&
            Dst.B[k] > 0.01f && Dst.B[k] < 0.99f) {
          ASSERT_NEAR(L, Li, 0.1f) << k;
          ++Checked;
        }
      }
  EXPECT_GT(Checked, 1000);
}

TEST_F(MasterUnitTest, SaturationHalfTakesTheDryChroma) {
  Unit.Saturation->SetValue(0.5f);
  MakeIdentity(Wet, 2);
  MakeIdentity(Dry, 2);
  MakeIdentity(Dst, 2);
  for (int32_t k = 0; k < 8; ++k) {
    Wet.R[k] = 0.3f, Wet.G[k] = 0.5f, Wet.B[k] = 0.6f;
    Dry.R[k] = 0.5f, Dry.G[k] = 0.45f, Dry.B[k] = 0.4f;
  }
  Unit.ProcessCombine(&Wet, &Dry, &Dst, Settings);
  float L, A, B, Ld, Ad, Bd, Lw, Aw, Bw;
  RGBtoLABSingle(Dst.R[0], Dst.G[0], Dst.B[0], L, A, B);
  RGBtoLABSingle(0.5f, 0.45f, 0.4f, Ld, Ad, Bd);
  RGBtoLABSingle(0.3f, 0.5f, 0.6f, Lw, Aw, Bw);
  EXPECT_NEAR(std::hypot(A, B), std::hypot(Ad, Bd), 0.1f);
  EXPECT_NEAR(std::atan2(B, A), std::atan2(Bw, Aw), 0.01f);  // the wet hue
  // A grey mix (Cn = 0) keeps f = 1 and stays grey.
  for (int32_t k = 0; k < 8; ++k)
    Wet.R[k] = Wet.G[k] = Wet.B[k] = Dry.R[k] = Dry.G[k] = Dry.B[k] = 0.4f;
  Unit.ProcessCombine(&Wet, &Dry, &Dst, Settings);
  EXPECT_NEAR(Dst.R[3], Dst.G[3], 1e-3);
  EXPECT_NEAR(Dst.G[3], Dst.B[3], 1e-3);
}

TEST_F(MasterUnitTest, SmoothProcessesInsteadOfCopying) {
  Unit.Smooth->SetValue(1);
  Unit.ProcessCombine(&Wet, &Dry, &Dst, Settings);
  EXPECT_NE(Planes(Dst), Planes(Wet));
  for (int32_t k = 0; k < Dst.Count; ++k) ASSERT_TRUE(Dst.R[k] >= 0 && Dst.R[k] <= 1) << k;
}

TEST_F(MasterUnitTest, RefusesMismatchedLuts) {
  const std::vector<float> Before = Planes(Dst);
  T3DLut Small;
  MakeIdentity(Small, 9);
  Unit.Blend->SetValue(0.6f);
  Unit.ProcessCombine(&Wet, &Small, &Dst, Settings);
  Unit.ProcessCombine(&Wet, &Dry, &Small, Settings);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"ProcessLUTGrandMaster error: Sizes different",
                                                  "ProcessLUTGrandMaster error: Sizes different"}));
  Unit.ProcessCombine(&Wet, &Wet, &Dst, Settings);
  EXPECT_EQ(Messages().back(), "ProcessLUTGrandMaster error: Source=Destination");
  EXPECT_EQ(Planes(Dst), Before);
  Wet.ColorSpace = lcsLinearRGB;
  Dry.ColorSpace = lcsCustomColorspace;
  Unit.ProcessCombine(&Wet, &Dry, &Dst, Settings);
  EXPECT_TRUE(Reported("TMasterAdjustments.ProcessCombine src not in profile"));
  EXPECT_TRUE(
      Reported("TMasterAdjustments.ProcessCombine srcDry not in profile: Custom colorspace"));
}

}  // namespace
}  // namespace kromel
