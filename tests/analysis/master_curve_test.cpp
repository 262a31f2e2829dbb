#include "analysis/master_curve.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kromel {
namespace {

void MakeCurve(TEnvelopeDots& C, int32_t MidY) {
  C.ResetDiagonal(3);
  C.Dot(1).Y = MidY;
  C.CalcSpline();
}

float MaxDifference(const TEnvelopeDots& A, const TEnvelopeDots& B) {
  float Max = 0;
  for (int32_t X = 0; X <= 16384; X += 64)
    Max = std::max(Max, std::fabs(A.GetValueS(float(X)) - B.GetValueS(float(X))));
  return Max;
}

// Three equal channel curves: the master is that curve, and the channels,
// either way, end much closer to the diagonal.
TEST(MasterCurve, EqualChannelsGiveThatCurve) {
  for (bool IntoChannels : {true, false}) {
    SCOPED_TRACE(IntoChannels);
    TEnvelopeDots R, G, B, Master, Expected, Diagonal;
    for (TEnvelopeDots* C : {&R, &G, &B, &Expected}) MakeCurve(*C, 21000);
    Diagonal.SetDefault(cdtDiagonal);
    ExtractMasterCurveFromRGB(R, G, B, Master, IntoChannels);
    EXPECT_LT(MaxDifference(Master, Expected), 40.0f);
    EXPECT_FALSE(CurveIsIdentity(Master));
    // The transposed spline is only near the inverse of the master's.
    const float Before = MaxDifference(Expected, Diagonal);
    for (TEnvelopeDots* C : {&R, &G, &B}) EXPECT_LT(MaxDifference(*C, Diagonal), Before / 3);
  }
}

// Folding keeps the combined curve: master after or before the channel.
TEST(MasterCurve, FoldingKeepsTheComposition) {
  for (bool MasterAfter : {true, false}) {
    SCOPED_TRACE(MasterAfter);
    TEnvelopeDots R, G, B, Master, Red;
    MakeCurve(R, 9000);
    MakeCurve(Red, 9000);
    G.SetDefault(cdtDiagonal);
    B.SetDefault(cdtDiagonal);
    MakeCurve(Master, 24000);
    FoldMasterCurveIntoRGB(R, G, B, Master, MasterAfter);
    float Worst = 0;
    for (int32_t X = 0; X <= 16384; X += 64) {
      const float First = (MasterAfter ? Red : Master).GetValueS(float(X));
      const float Expected =
          (MasterAfter ? Master : Red).GetValueS(std::clamp(First, 0.0f, 32767.0f) / 2);
      Worst = std::max(Worst, std::fabs(R.GetValueS(float(X)) - Expected));
    }
    EXPECT_LT(Worst, 200.0f);  // of 32767
    EXPECT_LT(MaxDifference(G, Master), 60.0f);
  }
}

TEST(MasterCurve, IdentityIsTheDiagonalOnly) {
  TEnvelopeDots C;
  C.SetDefault(cdtDiagonal);
  EXPECT_TRUE(CurveIsIdentity(C));
  C.ResetDiagonal(5);
  EXPECT_TRUE(CurveIsIdentity(C));
  C.Dot(2).Y += 200;
  C.CalcSpline();
  EXPECT_FALSE(CurveIsIdentity(C));
}

}  // namespace
}  // namespace kromel
