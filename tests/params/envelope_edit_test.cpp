#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>
#include <vector>

#include "support/test_support.h"
#include "params/envelope_dots.h"

namespace kromel {
namespace {

using TDotList = std::vector<std::pair<int32_t, int32_t>>;

void SetDots(TEnvelopeDots& C, const TDotList& Dots) {
  int32_t I = 0;
  for (const auto& [X, Y] : Dots) C.Dot(I++) = {X, Y, 0};
  C.NumDots = I;
  C.CalcSpline();
}

TDotList DotsOf(const TEnvelopeDots& C) {
  TDotList L;
  for (int32_t I = 0; I < C.NumDots; ++I) L.emplace_back(C.Dot(I).X, C.Dot(I).Y);
  return L;
}

std::vector<int32_t> XsOf(const TEnvelopeDots& C) {
  std::vector<int32_t> L;
  for (int32_t I = 0; I < C.NumDots; ++I) L.push_back(C.Dot(I).X);
  return L;
}

class TCountingControl : public TEnvelopeGraphControl {
public:
  int Invalidates = 0;
  void Invalidate() override { ++Invalidates; }
};

using TReportCapture = kromel::testing::TErrorCapture;
std::vector<std::string>& Reports = kromel::testing::CapturedErrors();

TEST(EnvelopeAddDot, InsertsOverwritesOrDrops) {
  struct TCase {
    const char* Name;
    TDotList Start;
    int32_t X, Y;
    int32_t Index;
    TDotList Result;
  };
  const TCase Cases[] = {
      {"within 100 overwrites", {{0, 0}, {8050, 1}, {16384, 32767}}, 8000, 20000, 1,
       {{0, 0}, {8000, 20000}, {16384, 32767}}},
      {"farther inserts", {{0, 0}, {8050, 1}, {16384, 32767}}, 7800, 20000, 1,
       {{0, 0}, {7800, 20000}, {8050, 1}, {16384, 32767}}},
      {"too close after the last is dropped", {{0, 0}, {8000, 1}, {15000, 2}}, 15050, 20000, 3,
       {{0, 0}, {8000, 1}, {15000, 2}}},
      {"farther after the last appends", {{0, 0}, {8000, 1}, {15000, 2}}, 15200, 20000, 3,
       {{0, 0}, {8000, 1}, {15000, 2}, {15200, 20000}}},
      {"first dot", {}, 500, 600, 0, {{500, 600}}},
      {"clamped into the scales", {{1000, 5}}, -50, -10, 0, {{0, 0}, {1000, 5}}},
      {"clamped at the top", {{0, 0}}, 20000, 40000, 1, {{0, 0}, {16384, 32767}}},
  };
  for (const TCase& C : Cases) {
    TEnvelopeDots Curve;
    SetDots(Curve, C.Start);
    EXPECT_EQ(Curve.AddDot(C.X, C.Y, 100), C.Index) << C.Name;
    EXPECT_EQ(DotsOf(Curve), C.Result) << C.Name;
    EXPECT_TRUE(Curve.SplineValid) << C.Name;
  }
  TEnvelopeDots Signed;
  Signed.AllowNegative = true;
  Signed.AddDot(100, -40000, 100);
  EXPECT_EQ(Signed.Dot(0).Y, -32767);
}

TEST(EnvelopeAddDot, FullCurveOverwrites) {
  TEnvelopeDots Curve;
  Curve.ResetHorizontal(0, 131);
  EXPECT_EQ(Curve.AddDot(5, 999, 0), 1);  // would insert before dot 1
  EXPECT_EQ(Curve.NumDots, 131);
  EXPECT_EQ(Curve.Dot(1).X, 5);
}

TEST(EnvelopeEditing, FindDotPrefersTheLaterOfEqualDistances) {
  TEnvelopeDots Curve;
  SetDots(Curve, {{0, 0}, {960, 0}, {1040, 0}, {16384, 0}});
  EXPECT_EQ(Curve.FindDot(1000, 50), 2);
  EXPECT_EQ(Curve.FindDot(1000, 30), -1);
  EXPECT_EQ(Curve.FindDot(950, 50), 1);
}

TEST(EnvelopeEditing, SelectMoveDelete) {
  TEnvelopeDots Curve;
  TCountingControl Control;
  Curve.GraphControl = &Control;
  Curve.ResetDiagonal(2);
  Curve.AddDotAndSelect(8000, 1000);
  EXPECT_EQ(Curve.SelectedDot, 1);
  EXPECT_EQ(Curve.GetSelectedDotX(), 8000);
  Curve.MoveSelectedDot(9000, 2000);
  EXPECT_EQ(Curve.Dot(1).X, 9000);
  EXPECT_EQ(Curve.GetValue(9000), 2000);
  const int Before = Control.Invalidates;
  Curve.SelectedDot = 7;
  Curve.MoveSelectedDot(1, 1);  // no such dot: only repaints
  EXPECT_EQ(Control.Invalidates, Before + 1);
  EXPECT_EQ(Curve.GetSelectedDotX(), -1);
  Curve.DeleteDot(1);
  EXPECT_EQ(Curve.NumDots, 2);
  Curve.DeleteDot(5);  // outside the curve: nothing
  Curve.DeleteDot(-1);
  EXPECT_EQ(Curve.NumDots, 2);
}

TEST(EnvelopeEditing, EndAndIntermediateDots) {
  TEnvelopeDots Curve;
  SetDots(Curve, {{1000, 100}, {9000, 200}});
  Curve.AddEndDots();
  EXPECT_EQ(DotsOf(Curve), (TDotList{{0, 100}, {1000, 100}, {9000, 200}, {16384, 200}}));
  // A full curve gets no more dots.
  TEnvelopeDots Full;
  Full.ResetHorizontal(7, 131);
  for (int32_t I = 0; I < 131; ++I) Full.Dot(I).X = 10 + I * 100;
  Full.AddEndDots();
  EXPECT_EQ(Full.NumDots, 131);

  TEnvelopeDots Line;
  Line.ResetDiagonal(2);
  Line.AddIntermediateDots(4000);  // 16384 / 4000 = 4 parts
  EXPECT_EQ(XsOf(Line), (std::vector<int32_t>{0, 4096, 8192, 12288, 16384}));
  EXPECT_EQ(Line.Dot(2).Y, 16384);  // GetValue of the starting line, 16383.5 rounded
  Line.AddIntermediateDots(0);      // no step: nothing
  Line.AddIntermediateDots(-5);
  EXPECT_EQ(Line.NumDots, 5);
}

TEST(EnvelopeReshape, TransposeInvertAndBlends) {
  TEnvelopeDots Curve;
  Curve.ResetDiagonal(5);
  const TDotList Diagonal = DotsOf(Curve);
  Curve.Transpose();
  const TDotList Back = DotsOf(Curve);
  ASSERT_EQ(Back.size(), Diagonal.size());
  for (size_t I = 0; I < Back.size(); ++I) {
    EXPECT_NEAR(Back[I].first, Diagonal[I].first, 1) << I;
    EXPECT_NEAR(Back[I].second, Diagonal[I].second, 2) << I;
  }

  SetDots(Curve, {{0, 0}, {8192, 1000}, {16384, 32767}});
  Curve.Invert();
  EXPECT_EQ(DotsOf(Curve), (TDotList{{0, 32767}, {8192, 31767}, {16384, 0}}));

  SetDots(Curve, {{0, 1000}, {8192, 0}, {16384, 32767}});
  Curve.BlendWithDiagonal(0.5f);
  EXPECT_EQ(DotsOf(Curve), (TDotList{{0, 500}, {8192, 8192}, {16384, 32767}}));  // 8191.75 rounded
  SetDots(Curve, {{0, 1000}, {8192, 0}, {16384, 32767}});
  Curve.BlendToDiagonal(1.0f);
  EXPECT_EQ(Curve.Dot(1).Y, 16384);  // the 2X diagonal
}

TEST(EnvelopeReshape, ApplyCurveAndAverageAcceptThemselves) {
  TEnvelopeDots Half;
  SetDots(Half, {{0, 0}, {16384, 16384}});
  TEnvelopeDots Curve;
  SetDots(Curve, {{0, 0}, {8192, 32767}, {16384, 32767}});
  Curve.ApplyCurve(&Half);
  EXPECT_EQ(DotsOf(Curve), (TDotList{{0, 0}, {8192, 16384}, {16384, 16384}}));

  SetDots(Curve, {{0, 0}, {16384, 32766}});
  Curve.ApplyCurve(&Curve);  // read from a copy, not from the half-changed curve
  EXPECT_EQ(DotsOf(Curve), (TDotList{{0, 0}, {16384, 32766}}));

  TEnvelopeDots A, B, C;
  SetDots(A, {{0, 0}, {16384, 30000}});
  SetDots(B, {{0, 3000}, {16384, 3000}});
  SetDots(C, {{0, 0}, {8000, 6000}, {16384, 6000}});
  Curve.SetAverageOf(&A, &B, &C);
  EXPECT_EQ(XsOf(Curve), (std::vector<int32_t>{0, 8000, 16384}));
  EXPECT_EQ(Curve.Dot(0).Y, 1000);
  EXPECT_EQ(Curve.Dot(2).Y, 13000);
  SetDots(A, {{0, 0}, {16384, 30000}});
  A.SetAverageOf(&A, &A, &A);
  EXPECT_EQ(DotsOf(A), (TDotList{{0, 0}, {16384, 30000}}));
}

TEST(EnvelopeReshape, BandCurves) {
  struct TCase {
    int32_t Low, High, Falloff;
    TDotList Dots;
  };
  const TCase Cases[] = {
      {4000, 6000, 1000, {{2808, 0}, {3808, 32767}, {6192, 32767}, {7192, 0}}},
      {6000, 4000, 1000, {{3192, 32767}, {4192, 0}, {5808, 0}, {6808, 32767}}},
      // Narrow bands widen by 128 on each side.
      {5500, 5000, 500, {{4564, 32767}, {5064, 0}, {5436, 0}, {5936, 32767}}},
      // At the ends the outer dots are left out.
      {100, 16300, 300, {{0, 32767}, {16384, 32767}}},
  };
  for (const TCase& C : Cases) {
    TEnvelopeDots Curve;
    Curve.MakeBandCurve(C.Low, C.High, C.Falloff);
    EXPECT_EQ(DotsOf(Curve), C.Dots) << C.Low << " " << C.High;
  }
}

TEST(EnvelopeReshape, RandomizeStaysWithinTheCurve) {
  TEnvelopeDots Curve;
  for (int Round = 0; Round < 20; ++Round) {
    Curve.Randomize(3);
    ASSERT_EQ(Curve.NumDots, 3);
    EXPECT_GE(Curve.Dot(1).X, 0.2 * 16384 - 1);
    EXPECT_LE(Curve.Dot(1).X, 0.8 * 16384 + 1);
    EXPECT_TRUE(Curve.Dot(0).X == 0 || Curve.Dot(0).Y == 0);
    EXPECT_TRUE(Curve.Dot(2).X == 16384 || Curve.Dot(2).Y == 32767);
  }
  Curve.Randomize(1000);
  EXPECT_EQ(Curve.NumDots, 131);
  Curve.Randomize(0);
  EXPECT_EQ(Curve.NumDots, 2);
}

TEST(EnvelopeReshape, StretchFollowsTheMovedDot) {
  TEnvelopeDots Source;
  SetDots(Source, {{0, 0}, {4000, 8000}, {8000, 16000}, {12000, 24000}, {16384, 32767}});
  TEnvelopeDots Curve;
  Curve.CopyFrom(&Source);
  Curve.Dot(2) = {10000, 20000, 0};  // dot 2 dragged right and up by 4000
  Curve.StretchFrom(&Source, 2);
  // Left dots spread proportionally: 4000 * 10000/8000; right dots squeeze.
  EXPECT_EQ(Curve.Dot(1).X, 5000);
  EXPECT_EQ(Curve.Dot(1).Y, 8000 + 5000 * 4000 / 8000);
  EXPECT_EQ(Curve.Dot(3).X, 16384 - (16384 - 12000) * (16384 - 10000) / (16384 - 8000));
  EXPECT_EQ(Curve.Dot(0).X, 0);
  EXPECT_EQ(Curve.Dot(4).X, 16384);
  Curve.StretchFrom(&Source, 9);  // no such dot: nothing
  Curve.StretchFrom(nullptr, 1);
  EXPECT_EQ(Curve.Dot(1).X, 5000);
}

TEST(EnvelopeReshape, ExtendToEnds) {
  TEnvelopeDots Curve;
  SetDots(Curve, {{4000, 8000}, {8000, 16000}});
  Curve.ExtendToEnds(false, false, 1.0f);
  // The line meets Y 0 at X 0 exactly: y0 = 0, so the foot is added at
  // Factor times the crossing; the right end follows the line.
  EXPECT_EQ(DotsOf(Curve), (TDotList{{0, 0}, {4000, 8000}, {8000, 16000}, {16384, 32767}}));
  SetDots(Curve, {{4000, 10000}, {8000, 12000}});
  Curve.ExtendToEnds(true, true, 1.0f);
  EXPECT_EQ(DotsOf(Curve), (TDotList{{0, 0}, {4000, 10000}, {8000, 12000}, {16384, 32767}}));
  SetDots(Curve, {{4000, 10000}, {4000, 10000}});  // collapses to one dot: stops there
  Curve.ExtendToEnds(false, false, 1.0f);
  EXPECT_GE(Curve.NumDots, 1);
}

TEST(EnvelopeCleanUp, RepairMergesAndOrders) {
  TEnvelopeDots Curve;
  Curve.SplineType = stPhotoshopSpline;  // keeps the dots as written until repaired
  SetDots(Curve, {{0, 0}, {5000, 100}, {5000, 300}, {5004, 500}, {9000, 900}, {8000, 700},
                  {16384, 1000}});
  Curve.RepairDots();
  const std::vector<int32_t> Xs = XsOf(Curve);
  for (size_t I = 1; I < Xs.size(); ++I) EXPECT_GT(Xs[I], Xs[I - 1]) << I;
  EXPECT_LT(Xs.size(), 7u);
  EXPECT_EQ(Xs.front(), 0);
  EXPECT_EQ(Xs.back(), 16384);
}

TEST(EnvelopeCleanUp, SmoothXYKeepsTheEnds) {
  TEnvelopeDots Curve;
  SetDots(Curve, {{0, 0}, {1200, 12000}, {2400, 0}, {16384, 32767}});
  Curve.SmoothXY();
  EXPECT_EQ(Curve.Dot(0).X, 0);
  EXPECT_EQ(Curve.Dot(3).X, 16384);
  EXPECT_EQ(Curve.Dot(1).Y, (10 * 12000 + 0 + 0) / 12);
}

TEST(EnvelopeCleanUp, CircularMedianRemovesASpike) {
  TEnvelopeDots Curve;
  Curve.SetCircular(true);
  SetDots(Curve, {{0, 1000}, {500, 1000}, {1000, 9000}, {1500, 1000}, {2000, 1000}, {9000, 1000}});
  Curve.SmoothCircularMedian(3000, 1.0f);
  EXPECT_EQ(Curve.Dot(2).Y, 1000);
  TEnvelopeDots Few;
  SetDots(Few, {{0, 1000}, {500, 9000}, {1000, 1000}});
  Few.SmoothCircularMedian(3000, 1.0f);  // fewer than 6 dots: nothing
  EXPECT_EQ(Few.Dot(1).Y, 9000);
}

TEST(EnvelopeCleanUp, ThinOutThreshold) {
  struct TCase {
    int32_t MiddleY;
    int32_t Dots;
  };
  // Without the middle dot the line reads 16383 at 8192.
  for (const TCase& C : {TCase{16383 + 20, 3}, TCase{16383 + 19, 2}, TCase{16383 - 20, 3}}) {
    TEnvelopeDots Curve;
    SetDots(Curve, {{0, 0}, {8192, C.MiddleY}, {16384, 32766}});
    Curve.ThinOut();
    EXPECT_EQ(Curve.NumDots, C.Dots) << C.MiddleY;
  }
}

TEST(EnvelopeCleanUp, ThinOutCountAndReduce) {
  TEnvelopeDots Curve;
  Curve.ResetDiagonal(20);
  Curve.ThinOutCount(5);
  EXPECT_EQ(Curve.NumDots, 15);
  Curve.ReduceDots(4);  // two at a time: 15, 13, ..., 5, 3
  EXPECT_EQ(Curve.NumDots, 3);
  Curve.ReduceDots(1);  // at least 2 dots stay, and it returns
  EXPECT_EQ(Curve.NumDots, 2);
}

TEST(EnvelopeCleanUp, RemoveCloseDots) {
  struct TCase {
    TDotList Start;
    std::vector<int32_t> Xs;
  };
  const TCase Cases[] = {
      {{{0, 0}, {100, 50}, {16384, 32767}}, {0, 16384}},
      {{{0, 0}, {16300, 50}, {16384, 32767}}, {0, 16384}},
      {{{0, 0}, {9000, 50}, {9050, 60}, {16384, 32767}}, {0, 9050, 16384}},
      {{{0, 0}, {50, 32767}}, {0, 178}},
  };
  for (const TCase& C : Cases) {
    TEnvelopeDots Curve;
    Curve.SplineType = stPhotoshopSpline;
    SetDots(Curve, C.Start);
    Curve.RemoveCloseDots(128);
    EXPECT_EQ(XsOf(Curve), C.Xs);
  }
}

TEST(EnvelopeCleanUp, TrimClippedEnds) {
  TEnvelopeDots Curve;
  SetDots(Curve, {{0, 0}, {1000, 0}, {2000, 0}, {8000, 16000}, {14000, 32767}, {15000, 32767},
                  {16384, 32767}});
  Curve.TrimClippedEnds();
  EXPECT_EQ(XsOf(Curve), (std::vector<int32_t>{2000, 8000, 14000}));
  SetDots(Curve, {{0, 0}, {1000, 0}, {2000, 0}});
  Curve.TrimClippedEnds();
  EXPECT_EQ(Curve.NumDots, 2);
}

TEST(EnvelopeCleanUp, ShelvesAndNonMonotonicDots) {
  TEnvelopeDots Curve;  // Akima: the last slope test reads its trailing extension dot
  SetDots(Curve, {{0, 0}, {4000, 10000}, {8000, 10100}, {12000, 30000}, {16384, 32767}});
  EXPECT_TRUE(Curve.RemoveShelfAreas());
  EXPECT_EQ(DotsOf(Curve), (TDotList{{0, 0}, {6000, 10050}, {12000, 30000}, {16384, 32767}}));

  SetDots(Curve, {{0, 0}, {3000, 20000}, {6000, 10000}, {9000, 25000}, {12000, 30000}, {16384, 32767}});
  Curve.RemoveNonMonotonicDots();
  const TDotList D = DotsOf(Curve);
  for (size_t I = 1; I < D.size(); ++I) EXPECT_GE(D[I].second, D[I - 1].second) << I;
}

TEST(EnvelopeCleanUp, MakeMonotonousRisesBetweenEveryTwoDots) {
  TEnvelopeDots Curve;
  SetDots(Curve, {{0, 0}, {3000, 12000}, {6000, 9000}, {9000, 20000}, {12000, 19000}, {16384, 32767}});
  TReportCapture Capture;
  Curve.MakeMonotonous();
  EXPECT_TRUE(Curve.SplineValid);
  for (int32_t I = 0; I + 1 < Curve.NumDots; ++I) {
    EXPECT_LT(Curve.Dot(I).Y, Curve.Dot(I + 1).Y) << I;
    const int32_t V = Curve.GetValue((Curve.Dot(I).X + Curve.Dot(I + 1).X) / 2);
    EXPECT_GE(V, Curve.Dot(I).Y) << I;
    EXPECT_LE(V, Curve.Dot(I + 1).Y) << I;
  }
}

}  // namespace
}  // namespace kromel
