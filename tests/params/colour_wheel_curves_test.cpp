#include "params/colour_wheel_curves.h"

#include <gtest/gtest.h>

#include <vector>

namespace kromel {
namespace {

std::vector<int32_t> XsOf(const TEnvelopeDots& C) {
  std::vector<int32_t> L;
  for (int32_t I = 0; I < C.NumDots; ++I) L.push_back(C.Dot(I).X);
  return L;
}

TEST(ColourWheelCurves, NeutralWheelsGiveStraightCurves) {
  TLiftGammaGain V;
  CalcLiftGammaGain({}, {}, {}, V);
  TEnvelopeDots R, G, B;
  LiftGammaGainToCurves(V, R, G, B);
  for (const TEnvelopeDots* C : {&R, &G, &B}) {
    EXPECT_EQ(XsOf(*C), (std::vector<int32_t>{0, 3277, 6554, 9830, 13107, 16384}));
    EXPECT_EQ(C->Dot(1).Y, 6554);
    // The top dot is written at 32768; the Akima calculation lowers it.
    EXPECT_EQ(C->Dot(5).Y, 32767);
    for (int32_t X = 0; X <= 16384; X += 1024) EXPECT_NEAR(C->GetValueS(float(X)), 2.0f * X, 1.5f) << X;
  }
  TEnvelopeDots Natural;
  Natural.SplineType = stPhotoshopSpline;
  LiftGammaGainToCurves(V, Natural, G, B);
  EXPECT_EQ(Natural.Dot(5).Y, 32768);

  TRangedWheelSet Set;
  RangedWheelsToCurves(Set, R, G, B);
  for (const TEnvelopeDots* C : {&R, &G, &B}) {
    ASSERT_EQ(C->NumDots, 11);
    EXPECT_EQ(C->Dot(5).X, 8192);
    EXPECT_EQ(C->Dot(5).Y, 16384);
    EXPECT_NEAR(C->GetValueS(5000), 10000.0f, 2.0f);
  }
}

TEST(ColourWheelCurves, GainAndLiftMoveTheInputRange) {
  TLiftGammaGain V;
  CalcLiftGammaGain({}, {}, {0, 0, 100}, V);  // gain 1.25: full output at 0.8
  TEnvelopeDots R, G, B;
  LiftGammaGainToCurves(V, R, G, B);
  EXPECT_EQ(R.Dot(5).X, 13107);
  EXPECT_EQ(R.Dot(5).Y, 32767);
  EXPECT_EQ(R.Dot(0).X, 0);

  V = TLiftGammaGain{};
  V.Lift[1] = -0.2f;  // green starts at 0.2
  V.Gain[2] = 0.005f;  // blue: gain too small, whole range
  LiftGammaGainToCurves(V, R, G, B);
  EXPECT_EQ(G.Dot(0).X, 3277);
  EXPECT_EQ(G.Dot(0).Y, 0);
  EXPECT_EQ(B.Dot(0).X, 0);
  EXPECT_EQ(B.Dot(5).X, 16384);
}

TEST(ColourWheelCurves, RangedWheelsPassThroughTheOffsets) {
  TRangedWheelSet Set;
  Set.Midtones = ColorWheelToRGB({0, 100, 0});  // red up by 1 at the midtones
  TEnvelopeDots R, G, B;
  RangedWheelsToCurves(Set, R, G, B);
  // At x = 0.5 the curve is x + 0.2 * offset.
  EXPECT_EQ(R.Dot(5).Y, 16384 + 6554);
  EXPECT_EQ(G.Dot(5).Y, 16384 - 3277);
  // The ends stay on the diagonal.
  EXPECT_EQ(R.Dot(0).Y, 0);
  EXPECT_EQ(R.Dot(10).Y, 32767);
}

}  // namespace
}  // namespace kromel
