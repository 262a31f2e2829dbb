#include "params/lut_curves.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace kromel {
namespace {

std::vector<std::string>& Reports() { return kromel::testing::CapturedErrors(); }

class LutCurvesTest : public ::testing::Test {
 protected:
  static void SetDots(TEnvelopeDots& Curve, const std::vector<std::pair<int, int>>& Dots) {
    Curve.Clear();
    for (const auto& [X, Y] : Dots) Curve.AddDot(X, Y, 100);
  }

  // The identity LUT passed through one curve per channel (Y / 32767).
  static void LutFromCurves(T3DLut& Lut, int32_t N, const TEnvelopeDots& R,
                            const TEnvelopeDots& G, const TEnvelopeDots& B) {
    ASSERT_TRUE(Lut.SetSize(N));
    Lut.SetDefault();
    for (int32_t I = 0; I < Lut.Count; ++I) {
      Lut.R[I] = R.GetValueS(16384.0f * Lut.R[I]) / 32767.0f;
      Lut.G[I] = G.GetValueS(16384.0f * Lut.G[I]) / 32767.0f;
      Lut.B[I] = B.GetValueS(16384.0f * Lut.B[I]) / 32767.0f;
    }
  }

  static size_t Grey(int32_t N, int32_t t) {
    return static_cast<size_t>(t) * (1 + static_cast<size_t>(N) + static_cast<size_t>(N) * N);
  }

  kromel::testing::TErrorCapture Capture;
  TEnvelopeDots CR, CG, CB;

  void KnownCurves() {
    SetDots(CR, {{0, 0}, {4096, 12000}, {10000, 25000}, {16384, 32767}});
    SetDots(CG, {{0, 0}, {16384, 32767}});
    SetDots(CB, {{0, 2000}, {8192, 14000}, {16384, 30000}});
  }
};

TEST_F(LutCurvesTest, ExtractedCurvesMatchTheCurvesTheLutWasBuiltFrom) {
  KnownCurves();
  T3DLut Lut;
  LutFromCurves(Lut, 17, CR, CG, CB);
  TEnvelopeDots ER, EG, EB;
  ASSERT_TRUE(ExtractCurvesFromLUT(Lut, ER, EG, EB, false));
  EXPECT_EQ(ER.NumDots, 17);
  const TEnvelopeDots* Known[3] = {&CR, &CG, &CB};
  const TEnvelopeDots* Found[3] = {&ER, &EG, &EB};
  for (int C = 0; C < 3; ++C)
    for (int X = 0; X <= 16384; X += 256) {
      SCOPED_TRACE(::testing::Message() << "channel " << C << " X " << X);
      EXPECT_NEAR(Found[C]->GetValueS(static_cast<float>(X)),
                  Known[C]->GetValueS(static_cast<float>(X)), 200.0f);
    }
  // Dots sit exactly on the grey nodes.
  for (int32_t t = 0; t < 17; ++t) {
    EXPECT_EQ(ER.Dot(t).X, static_cast<int>(std::nearbyint(16384.0 * t / 16)));
    EXPECT_EQ(ER.Dot(t).Y, static_cast<int>(std::nearbyint(32767.0 * Lut.R[Grey(17, t)])));
  }
  EXPECT_TRUE(Reports().empty());
}

TEST_F(LutCurvesTest, RemovingTheGreyAxisCurvesLeavesANeutralGreyAxis) {
  KnownCurves();
  T3DLut Lut;
  LutFromCurves(Lut, 17, CR, CG, CB);
  TEnvelopeDots ER, EG, EB;
  ASSERT_TRUE(ExtractCurvesFromLUT(Lut, ER, EG, EB, false));
  for (bool InPlace : {false, true}) {
    SCOPED_TRACE(InPlace);
    T3DLut Work, Dst;
    ASSERT_TRUE(Work.CopyFrom(Lut));
    ASSERT_TRUE(Dst.SetSize(17));
    T3DLut& Out = InPlace ? Work : Dst;
    ASSERT_TRUE(ProcessLUTRemoveCurveOnOutput(Work, Out, ER, EG, EB));
    for (int32_t t = 0; t < 17; ++t) {
      const size_t I = Grey(17, t);
      const float Expected = t / 16.0f;
      EXPECT_NEAR(Out.R[I], Expected, 0.01f) << t;
      EXPECT_NEAR(Out.G[I], Expected, 0.01f) << t;
      EXPECT_NEAR(Out.B[I], Expected, 0.01f) << t;
    }
  }
  // The given curves are not changed.
  EXPECT_EQ(ER.NumDots, 17);
  EXPECT_EQ(ER.Dot(4).X, 4096);
}

TEST_F(LutCurvesTest, DotCountsAndRelativeDots) {
  struct TCase { int32_t N; int32_t Dots; };
  for (const TCase& C : {TCase{33, 33}, TCase{129, 65}}) {
    SCOPED_TRACE(C.N);
    T3DLut Lut;
    ASSERT_TRUE(Lut.SetSize(C.N));
    // Only the grey axis is read.
    for (int32_t t = 0; t < C.N; ++t) {
      const size_t I = Grey(C.N, t);
      Lut.R[I] = Lut.G[I] = Lut.B[I] = static_cast<float>(t) / static_cast<float>(C.N - 1);
    }
    for (bool Relative : {false, true}) {
      TEnvelopeDots R, G, B;
      ASSERT_TRUE(ExtractCurvesFromLUT(Lut, R, G, B, Relative));
      ASSERT_EQ(R.NumDots, C.Dots);
      EXPECT_EQ(G.NumDots, C.Dots);
      EXPECT_EQ(R.Dot(C.Dots - 1).X, 16384);
      for (int32_t D = 0; D < C.Dots; ++D)
        EXPECT_NEAR(R.Dot(D).Y, R.Dot(D).X * 32767.0 / 16384.0, 2.0);
    }
  }
  TEnvelopeDots R, G, B;
  SetDots(R, {{0, 5}, {16384, 6}});
  T3DLut Empty;
  EXPECT_FALSE(ExtractCurvesFromLUT(Empty, R, G, B, false));
  EXPECT_EQ(R.NumDots, 2);
}

TEST_F(LutCurvesTest, RemoveOnInputInPlaceEqualsSeparateDestination) {
  KnownCurves();
  T3DLut Lut;
  LutFromCurves(Lut, 9, CR, CG, CB);
  for (int32_t I = 0; I < Lut.Count; ++I) Lut.G[I] = 0.8f * Lut.G[I] + 0.2f * Lut.B[I];
  T3DLut Separate, Same;
  ASSERT_TRUE(Separate.SetSize(9));
  ASSERT_TRUE(Same.CopyFrom(Lut));
  ASSERT_TRUE(ProcessLUTRemoveCurveOnInput(Lut, Separate, CR, CG, CB));
  ASSERT_TRUE(ProcessLUTRemoveCurveOnInput(Same, Same, CR, CG, CB));
  for (int32_t I = 0; I < Lut.Count; ++I) {
    EXPECT_EQ(Separate.R[I], Same.R[I]);
    EXPECT_EQ(Separate.G[I], Same.G[I]);
    EXPECT_EQ(Separate.B[I], Same.B[I]);
  }
  // Curves then the corrected LUT reproduce the LUT on its red axis: with
  // only the red curve bent, input removal brings the red ramp back to r.
  T3DLut Ramp, Out;
  TEnvelopeDots Diag;
  SetDots(Diag, {{0, 0}, {16384, 32767}});
  LutFromCurves(Ramp, 9, CR, Diag, Diag);
  ASSERT_TRUE(Out.SetSize(9));
  ASSERT_TRUE(ProcessLUTRemoveCurveOnInput(Ramp, Out, CR, Diag, Diag));
  for (int32_t r = 0; r < 9; ++r) EXPECT_NEAR(Out.R[r], r / 8.0f, 0.01f) << r;
}

TEST_F(LutCurvesTest, IdentityCurvesOnlyScaleBy32767Over32768) {
  TEnvelopeDots Diag;
  SetDots(Diag, {{0, 0}, {16384, 32767}});
  T3DLut Lut, Dst;
  ASSERT_TRUE(Lut.SetSize(5));
  for (int32_t I = 0; I < Lut.Count; ++I) {
    Lut.R[I] = static_cast<float>(I % 7) / 6;
    Lut.G[I] = static_cast<float>(I % 5) / 4;
    Lut.B[I] = static_cast<float>(I % 3) / 2;
  }
  ASSERT_TRUE(Dst.SetSize(5));
  const float K = 32767.0f / 32768.0f;
  ASSERT_TRUE(ProcessLUTRemoveCurveOnOutput(Lut, Dst, Diag, Diag, Diag));
  for (int32_t I = 0; I < Lut.Count; ++I) {
    EXPECT_NEAR(Dst.R[I], Lut.R[I] * K, 1e-6f);
    EXPECT_NEAR(Dst.B[I], Lut.B[I] * K, 1e-6f);
  }
  ASSERT_TRUE(ProcessLUTApplyCurve(Lut, Dst, Diag));
  for (int32_t I = 0; I < Lut.Count; ++I) EXPECT_NEAR(Dst.G[I], Lut.G[I] * K, 1e-6f);
}

TEST_F(LutCurvesTest, ApplyCurveThenRemoveOnOutputRoundTrips) {
  KnownCurves();
  T3DLut Lut, Dst;
  ASSERT_TRUE(Lut.SetSize(9));
  Lut.SetDefault();
  ASSERT_TRUE(Dst.SetSize(9));
  ASSERT_TRUE(ProcessLUTApplyCurve(Lut, Dst, CR));
  EXPECT_NEAR(Dst.R[4], CR.GetValueS(8192) / 32768.0f, 1e-6f);
  ASSERT_TRUE(ProcessLUTRemoveCurveOnOutput(Dst, Dst, CR, CR, CR));
  // Exact at the curve's dots, within the spline fit between them.
  for (int32_t I = 0; I < Lut.Count; ++I) EXPECT_NEAR(Dst.R[I], Lut.R[I], 0.02f) << I;
}

TEST_F(LutCurvesTest, GammaToLinearDecodesEveryChannel) {
  T3DLut Lut, Dst;
  ASSERT_TRUE(Lut.SetSize(5));
  Lut.SetDefault();
  ASSERT_TRUE(Dst.SetSize(5));
  struct TCase { TImageProfile Profile; float Gamma; };
  for (const TCase& C : {TCase{ipSRGB, 1.0f}, TCase{ipProphotoRGB, 2.4f}, TCase{ipCustom, 2.2f}}) {
    ASSERT_TRUE(ProcessLUTGammaToLinear(Lut, Dst, C.Profile, C.Gamma));
    for (int32_t I = 0; I < Lut.Count; ++I) {
      EXPECT_EQ(Dst.R[I], GammaToLinearByProfileCustom(C.Profile, Lut.R[I], C.Gamma));
      EXPECT_EQ(Dst.B[I], GammaToLinearByProfileCustom(C.Profile, Lut.B[I], C.Gamma));
    }
  }
  T3DLut Copy;
  ASSERT_TRUE(Copy.CopyFrom(Lut));
  ASSERT_TRUE(ProcessLUTGammaToLinear(Copy, Copy, ipCustom, 2.4f));
  EXPECT_NEAR(Copy.G[Grey(5, 2)], std::pow(0.5f, 2.4f), 1e-4f);
}

TEST_F(LutCurvesTest, DifferentSizesLeaveDestinationUntouched) {
  TEnvelopeDots Diag;
  SetDots(Diag, {{0, 0}, {16384, 32767}});
  T3DLut Lut, Dst;
  ASSERT_TRUE(Lut.SetSize(5));
  Lut.SetDefault();
  ASSERT_TRUE(Dst.SetSize(3));
  Dst.R[0] = 0.25f;
  EXPECT_FALSE(ProcessLUTRemoveCurveOnOutput(Lut, Dst, Diag, Diag, Diag));
  EXPECT_FALSE(ProcessLUTRemoveCurveOnInput(Lut, Dst, Diag, Diag, Diag));
  EXPECT_FALSE(ProcessLUTApplyCurve(Lut, Dst, Diag));
  EXPECT_FALSE(ProcessLUTGammaToLinear(Lut, Dst, ipSRGB, 1));
  EXPECT_EQ(Dst.R[0], 0.25f);
  EXPECT_EQ(Dst.G[26], 0.0f);
  ASSERT_EQ(Reports().size(), 4u);
  for (const std::string& M : Reports()) EXPECT_EQ(M, "ProcessLUTApplyCurve error: Sizes differ");
}

}  // namespace
}  // namespace kromel
