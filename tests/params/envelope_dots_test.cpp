#include "params/envelope_dots.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <thread>
#include <utility>
#include <vector>

namespace kromel {
namespace {

// Sets the dots directly, as the file readers do, and recalculates.
void SetDots(TEnvelopeDots& C, std::initializer_list<std::pair<int32_t, int32_t>> Dots,
             bool Recalc = true) {
  int32_t I = 0;
  for (const auto& [X, Y] : Dots) C.Dot(I++) = {X, Y, 0};
  C.NumDots = I;
  if (Recalc) C.CalcSpline();
  else C.SplineValid = false;
}

TEST(EnvelopeEvaluation, Table) {
  struct TCase {
    const char* Name;
    std::vector<std::pair<int32_t, int32_t>> Dots;
    int32_t Attenuation;
    bool AllowNegative;
    float X;
    float Expected;
  };
  const TCase Cases[] = {
      {"no dots", {}, 0, false, 5000, 0},
      {"one dot", {{4000, 12345}}, 0, false, 100, 12345},
      {"one negative dot, not clamped", {{4000, -5}}, 0, false, 9000, -5},
      {"two dots are a line", {{0, 0}, {16384, 32767}}, 0, false, 4096, 8191.75f},
      {"attenuated line", {{0, 0}, {16384, 32767}}, 8, false, 8192, 16383.5f * 248 / 256},
      {"attenuated line not clamped", {{0, -1000}, {16384, -1000}}, 8, false, 100, -1000.0f * 248 / 256},
      {"left of the first dot", {{1000, 500}, {9000, 20000}}, 8, false, 10, 500},
      {"right of the last dot", {{1000, 500}, {9000, 20000}}, 8, false, 16000, 20000},
      {"signed line", {{0, -32767}, {16384, 32767}}, 0, true, 8192, 0},
      {"signed line below zero", {{0, -32767}, {16384, 32767}}, 0, true, 4096, -16383.5f},
  };
  for (const TCase& C : Cases) {
    TEnvelopeDots Curve;
    Curve.Attenuation = C.Attenuation;
    Curve.AllowNegative = C.AllowNegative;
    for (size_t I = 0; I < C.Dots.size(); ++I)
      Curve.Dot(static_cast<int32_t>(I)) = {C.Dots[I].first, C.Dots[I].second, 0};
    Curve.NumDots = static_cast<int32_t>(C.Dots.size());
    Curve.CalcSpline();
    EXPECT_FLOAT_EQ(Curve.GetValueS(C.X), C.Expected) << C.Name;
  }
}

TEST(EnvelopeEvaluation, SplineResultsAreClamped) {
  struct TCase {
    const char* Name;
    std::pair<int32_t, int32_t> A, B, C;
    bool AllowNegative;
    float X;
    float Expected;
  };
  // Natural splines through a sharp corner overshoot past it.
  const TCase Cases[] = {
      {"overshoot stops at 32767", {0, 0}, {1000, 32767}, {16384, 32767}, false, 3000, 32767},
      {"dip stops at 0", {0, 32767}, {1000, 0}, {16384, 0}, false, 3000, 0},
      {"signed dip stops at -32767", {0, 32767}, {1000, -32767}, {16384, -32767}, true, 3000, -32767},
  };
  for (const TCase& T : Cases) {
    TEnvelopeDots Curve;
    Curve.SplineType = stPhotoshopSpline;
    Curve.AllowNegative = T.AllowNegative;
    SetDots(Curve, {T.A, T.B, T.C});
    EXPECT_EQ(Curve.GetValueS(T.X), T.Expected) << T.Name;
  }
  // With negatives allowed the dip shows.
  TEnvelopeDots Signed;
  Signed.SplineType = stPhotoshopSpline;
  Signed.AllowNegative = true;
  SetDots(Signed, {{0, 32767}, {1000, 0}, {16384, 0}});
  EXPECT_LT(Signed.GetValueS(3000), 0.0f);
  // Straight segments are held to the range too: a two-dot line ends at
  // 32767 exactly, where float rounding alone gave 32767.002.
  for (const bool Smooth : {true, false}) {
    TEnvelopeDots Line;
    Line.Smooth = Smooth ? 1 : 0;
    SetDots(Line, {{9000, 9830}, {16384, 32767}});
    for (int32_t X = 9000; X <= 16384; X += 1)
      ASSERT_LE(Line.GetValueS(float(X)), 32767.0f) << X << " smooth " << Smooth;
  }
}

TEST(EnvelopeEvaluation, AkimaReproducesStraightRuns) {
  TEnvelopeDots Diagonal;
  SetDots(Diagonal, {{0, 0}, {4000, 8000}, {8000, 16000}, {12000, 24000}, {16000, 32000}});
  TEnvelopeDots Bent;  // a rise, then a flat run; the corner segment bends
  SetDots(Bent, {{0, 0}, {2000, 4000}, {4000, 8000}, {6000, 12000}, {8000, 16000}, {10000, 16000},
                 {12000, 16000}, {14000, 16000}, {16384, 16000}});
  for (int32_t X = 0; X <= 16384; X += 97) {
    if (X <= 16000) {
      EXPECT_NEAR(Diagonal.GetValueS(float(X)), 2.0f * X, 0.05f) << X;
    }
    if (X <= 6000) {
      EXPECT_NEAR(Bent.GetValueS(float(X)), 2.0f * X, 0.05f) << X;
    }
    if (X >= 10000) {
      EXPECT_NEAR(Bent.GetValueS(float(X)), 16000.0f, 0.05f) << X;
    }
  }
}

TEST(EnvelopeEvaluation, AkimaStraightFlagAndNaturalIgnoresIt) {
  TEnvelopeDots Curve;
  SetDots(Curve, {{0, 0}, {4000, 20000}, {8000, 10000}, {16384, 32767}});
  const float Curved = Curve.GetValueS(6000);
  Curve.Dot(1).Flags = 1;  // segment 1..2 straight
  Curve.CalcSpline();
  EXPECT_FLOAT_EQ(Curve.GetValueS(6000), 15000.0f);
  EXPECT_NE(Curved, 15000.0f);
  Curve.SplineType = stPhotoshopSpline;
  Curve.CalcSpline();
  EXPECT_NE(Curve.GetValueS(6000), 15000.0f);
}

TEST(EnvelopeEvaluation, LinearWhenNotSmooth) {
  TEnvelopeDots Curve;
  Curve.Smooth = 0;
  SetDots(Curve, {{0, 0}, {4000, 20000}, {8000, 10000}, {16384, 32767}});
  EXPECT_FLOAT_EQ(Curve.GetValueS(2000), 10000.0f);
  EXPECT_FLOAT_EQ(Curve.GetValueS(6000), 15000.0f);
}

TEST(EnvelopeEvaluation, CircularWrapsAroundTheEnds) {
  TEnvelopeDots Curve;
  Curve.SetCircular(true);
  SetDots(Curve, {{2000, 10000}, {15000, 20000}});
  // Left of the first dot: the line from the last dot's copy at -1384.
  EXPECT_NEAR(Curve.GetValueS(500), 20000 + (500.0f + 1384) * (10000 - 20000) / 3384.0f, 0.01f);
  // Right of the last dot: the line to the first dot's copy at 18384.
  EXPECT_NEAR(Curve.GetValueS(16000), 20000 + 1000.0f * (10000 - 20000) / 3384.0f, 0.01f);
  EXPECT_EQ(Curve.Dot(-1).X, -1384);
  EXPECT_EQ(Curve.Dot(2).X, 18384);
}

TEST(EnvelopeSpline, AkimaRepairsTheDotsThemselves) {
  TEnvelopeDots Curve;
  SetDots(Curve, {{0, 0}, {5000, 40000}, {5000, 100}, {5001, 200}, {16384, 32767}});
  EXPECT_EQ(Curve.Dot(1).Y, 32767);  // lowered
  EXPECT_EQ(Curve.Dot(2).X, 5001);   // pushed right
  EXPECT_EQ(Curve.Dot(3).X, 5002);   // and the next one after it
  // The natural spline changes no dot.
  TEnvelopeDots Natural;
  Natural.SplineType = stPhotoshopSpline;
  SetDots(Natural, {{0, 0}, {5000, 40000}, {5000, 100}, {16384, 32767}});
  EXPECT_EQ(Natural.Dot(1).Y, 40000);
  EXPECT_EQ(Natural.Dot(2).X, 5000);
}

TEST(EnvelopeSpline, StaleCurveRecalculatesOnceOnEvaluation) {
  // Dots written directly and not recalculated: the first evaluation
  // recalculates (and keeps the result), as CalcSpline would.
  TEnvelopeDots Stale;
  SetDots(Stale, {{0, 0}, {3000, 40000}, {9000, 9000}, {16384, 32767}}, false);
  TEnvelopeDots Fresh;
  SetDots(Fresh, {{0, 0}, {3000, 40000}, {9000, 9000}, {16384, 32767}});
  EXPECT_EQ(Stale.GetValueS(1000.0f), Fresh.GetValueS(1000.0f));
  EXPECT_TRUE(Stale.SplineValid);
  EXPECT_EQ(Stale.Dot(1).Y, 32767);  // lowered by the Akima recalculation
  EXPECT_EQ(Stale.AkimaSlope, Fresh.AkimaSlope);
  for (int32_t X = 0; X <= 16384; X += 512) EXPECT_EQ(Stale.GetValueS(float(X)), Fresh.GetValueS(float(X)));
  // The next change is picked up by the next evaluation.
  SetDots(Stale, {{0, 0}, {16384, 16384}}, false);
  EXPECT_EQ(Stale.GetValueS(8192.0f), 8192.0f);
  EXPECT_TRUE(Stale.SplineValid);
}

// Threads that meet a stale curve together recalculate it once between them
// and all read the recalculated values.
TEST(EnvelopeSpline, ConcurrentFirstEvaluationOfStaleCurve) {
  TEnvelopeDots Fresh;
  SetDots(Fresh, {{0, 0}, {2000, 30000}, {6000, 5000}, {12000, 20000}, {16384, 32767}});
  std::vector<float> Expected;
  for (int32_t X = 0; X <= 16384; X += 64) Expected.push_back(Fresh.GetValueS(float(X)));
  for (int Round = 0; Round < 20; ++Round) {
    TEnvelopeDots Curve;
    SetDots(Curve, {{0, 0}, {2000, 30000}, {6000, 5000}, {12000, 20000}, {16384, 32767}}, false);
    std::vector<int> Mismatches(4, 0);
    std::atomic<int> Ready{0};
    std::vector<std::thread> Readers;
    for (int T = 0; T < 4; ++T)
      Readers.emplace_back([&, T] {
        ++Ready;
        while (Ready.load() < 4) std::this_thread::yield();
        for (size_t I = 0; I < Expected.size(); ++I)
          if (Curve.GetValueS(float(I * 64)) != Expected[I]) ++Mismatches[T];
      });
    for (auto& R : Readers) R.join();
    for (int M : Mismatches) EXPECT_EQ(M, 0) << "round " << Round;
    EXPECT_TRUE(Curve.SplineValid);
  }
}

TEST(EnvelopeSpline, ConcurrentReadersAgree) {
  TEnvelopeDots Curve;
  SetDots(Curve, {{0, 0}, {3000, 20000}, {9000, 9000}, {16384, 32767}}, false);
  std::vector<float> Expected;
  for (int32_t X = 0; X <= 16384; X += 64) Expected.push_back(Curve.GetValueS(float(X)));
  std::vector<int> Mismatches(4, 0);
  std::vector<std::thread> Readers;
  for (int T = 0; T < 4; ++T)
    Readers.emplace_back([&, T] {
      for (int Round = 0; Round < 20; ++Round)
        for (size_t I = 0; I < Expected.size(); ++I)
          if (Curve.GetValueS(float(I * 64)) != Expected[I]) ++Mismatches[T];
    });
  for (auto& R : Readers) R.join();
  for (int M : Mismatches) EXPECT_EQ(M, 0);
}

TEST(EnvelopeState, Resets) {
  TEnvelopeDots Curve;
  Curve.ResetDiagonal(200);
  EXPECT_EQ(Curve.NumDots, 130);
  EXPECT_EQ(Curve.SelectedDot, -1);
  EXPECT_EQ(Curve.Dot(129).X, 16384);
  EXPECT_EQ(Curve.Dot(129).Y, 32767);
  Curve.ResetDiagonal(1);
  ASSERT_EQ(Curve.NumDots, 2);
  EXPECT_EQ(Curve.Dot(0).X, 0);
  EXPECT_EQ(Curve.Dot(0).Y, 0);
  EXPECT_EQ(Curve.Dot(1).X, 16384);
  EXPECT_EQ(Curve.Dot(1).Y, 32767);
  Curve.ResetDiagonal(3);
  EXPECT_EQ(Curve.Dot(1).X, 8192);
  EXPECT_EQ(Curve.Dot(1).Y, 16383);

  Curve.SelectedDot = 1;
  Curve.SetDefault(cdtHorizontalMiddle);
  EXPECT_EQ(Curve.NumDots, 2);
  EXPECT_EQ(Curve.Dot(0).Y, 16384);
  EXPECT_EQ(Curve.SelectedDot, 1);
  Curve.SetDefault(cdtMaximum);
  EXPECT_FLOAT_EQ(Curve.GetValueS(5000), 32767);
  // No reset writes past the curve's capacity.
  Curve.ResetHorizontal(100, 500);
  EXPECT_EQ(Curve.NumDots, 131);
  EXPECT_EQ(Curve.Dot(130).X, 16384);
  Curve.ResetMaximum(1);
  EXPECT_EQ(Curve.NumDots, 2);
  Curve.Clear();
  EXPECT_EQ(Curve.GetValueS(100), 0);
}

TEST(EnvelopeState, GetValueRoundsHalvesToEven) {
  TEnvelopeDots Curve;
  SetDots(Curve, {{0, 0}, {16384, 1}});
  EXPECT_EQ(Curve.GetValue(8192), 0);  // 0.5
  SetDots(Curve, {{0, 1}, {16384, 2}});
  EXPECT_EQ(Curve.GetValue(8192), 2);  // 1.5
  SetDots(Curve, {{0, 2}, {16384, 3}});
  EXPECT_EQ(Curve.GetValue(8192), 2);  // 2.5
}

TEST(EnvelopeState, CopyKeepsTheTargetsOwnSettings) {
  TEnvelopeDots Source;
  Source.SetCircular(true);
  Source.SplineType = stPhotoshopSpline;
  SetDots(Source, {{0, 0}, {5000, 9000}, {16384, 32767}});
  TEnvelopeDots Target;
  Target.Name = "Red";
  Target.Color = 0x0000FF;
  Target.Attenuation = 8;
  Target.Smooth = 0;
  EXPECT_TRUE(Target.CopyFrom(&Source));
  EXPECT_EQ(Target.NumDots, 3);
  EXPECT_EQ(Target.Dot(1).Y, 9000);
  EXPECT_TRUE(Target.Circular);
  EXPECT_EQ(Target.SplineType, stPhotoshopSpline);
  EXPECT_EQ(Target.Name, "Red");
  EXPECT_EQ(Target.Color, 0x0000FF);
  EXPECT_EQ(Target.Attenuation, 8);
  EXPECT_EQ(Target.Smooth, 0);
  EXPECT_FALSE(Target.CopyFrom(nullptr));
}

TEST(EnvelopeState, NormalisedAccessStaysInside) {
  TEnvelopeDots Curve;
  Curve.ResetDiagonal(3);
  EXPECT_FLOAT_EQ(Curve.GetNormalizedValue(0), 3.0f / 132);
  EXPECT_FLOAT_EQ(Curve.GetNormalizedValue(3), 0.5f);           // X of dot 1
  EXPECT_FLOAT_EQ(Curve.GetNormalizedValue(4), 16383 / 32768.0f);  // Y of dot 1
  Curve.SetNormalizedValue(4, 2.0f);
  EXPECT_EQ(Curve.Dot(1).Y, 32767);
  Curve.SetNormalizedValue(0, 5.0f);  // 660 dots asked for
  EXPECT_EQ(Curve.NumDots, 131);
  Curve.SetNormalizedValue(0, std::nanf(""));
  EXPECT_EQ(Curve.NumDots, 0);
  Curve.SetNormalizedValue(1000, 0.5f);  // no such dot: ignored
  EXPECT_EQ(Curve.GetNormalizedValue(1000), 0.0f);
}

TEST(EnvelopeState, DotsToTextListsExtensionDots) {
  TEnvelopeDots Curve;
  Curve.ResetDiagonal(2);
  std::string Text;
  Curve.DotsToText(Text);
  EXPECT_EQ(Text.substr(0, Text.find('\n')), "-2: (X: -16385, -49150)");
  EXPECT_NE(Text.find("0: (X: 0, 0)\n1: (X: 16384, 32767)\n"), std::string::npos);
  EXPECT_NE(Text.find("\n4: "), std::string::npos);
}

}  // namespace
}  // namespace kromel
