#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "image_test_support.h"
#include "images/sample_ops.h"

using namespace kromel;
using namespace kromel::test;

namespace {

class SampleOpsTest : public MessageCapture {};

void ExpectNear(const std::vector<float>& Got, const std::vector<float>& Want, float Tol = 1e-6f) {
  ASSERT_EQ(Got.size(), Want.size());
  for (size_t I = 0; I < Got.size(); ++I) EXPECT_NEAR(Got[I], Want[I], Tol) << "at " << I;
}

TEST_F(SampleOpsTest, StatisticsExamineEverySample) {
  struct Case {
    std::vector<float> V;
    float Peak, Max, Min;
    int64_t MaxIndex, PeakIndex;
    bool Silent;
  } Cases[] = {
      {{1, 2, 9}, 9, 9, 1, 2, 2, false},
      {{5, 4, -30}, 30, 5, -30, 0, 2, false},
      {{-1, -2, -3}, 3, -1, -3, 0, 2, false},
      {{0, 0, 0, 1e-20f}, 1e-20f, 1e-20f, 0, 3, 3, false},
      {{7}, 7, 7, 7, 0, 0, false},
      {{0}, 0, 0, 0, 0, 0, true},
      {{2, 8, 8, -8}, 8, 8, -8, 1, 1, false},
      {{}, 0, 0, 0, -1, -1, true},
  };
  for (const Case& C : Cases) {
    TSample32 S = MakeSample32(C.V);
    EXPECT_EQ(S.Peak(), C.Peak);
    EXPECT_EQ(S.Max(), C.Max);
    EXPECT_EQ(MaxOfSamples32(S), C.Max);
    EXPECT_EQ(S.Min(), C.Min);
    EXPECT_EQ(S.MaxIndex(), C.MaxIndex);
    EXPECT_EQ(S.PeakIndex(), C.PeakIndex);
    EXPECT_EQ(S.IsSilent(), C.Silent);
    S.Dispose();
  }
  TSample16 W;
  W.Init();
  W.Alloc(3);
  W.Clear();
  EXPECT_TRUE(W.IsSilent());
  W.Data[2] = 1;
  EXPECT_FALSE(W.IsSilent());
  W.Dispose();
}

TEST_F(SampleOpsTest, SumsAndSearches) {
  TSample32 S = MakeSample32({-1, 1, -1, 1});
  EXPECT_FLOAT_EQ(S.MeanAbs(), 1);
  EXPECT_FLOAT_EQ(S.Mean(), 0);
  EXPECT_FLOAT_EQ(S.SumAbs(), 4);
  EXPECT_EQ(S.FirstAbove(0.5f), 0);
  EXPECT_EQ(S.FirstAbove(1), -1);
  EXPECT_FALSE(S.HasInvalidValues());
  S.Data[3] = INFINITY;
  EXPECT_FALSE(S.HasInvalidValues());
  S.Data[3] = std::nanf("");
  EXPECT_TRUE(S.HasInvalidValues());
  S.Dispose();

  S = MakeSample32({1, -1, 1});
  EXPECT_EQ(S.FindZeroCrossing(0, 10), 1);
  S.Dispose();
  S = MakeSample32({1, 2, 3, 4});
  EXPECT_EQ(S.FindZeroCrossing(0, 10), 1);  // nothing crosses: From raised to 1
  EXPECT_EQ(S.FindZeroCrossing(3, 10), 2);  // beyond Count - 2
  EXPECT_EQ(S.LastNonZeroIndex(), 3);
  S.Data[3] = 1e-9f;
  S.Data[2] = 0;
  EXPECT_EQ(S.LastNonZeroIndex(), 1);
  S.Dispose();

  TSample32 A = MakeSample32({1, 2, 3}), B = MakeSample32({1, 2, 3.00005f});
  EXPECT_TRUE(SamplesEqual(A, B));
  B.Data[0] = 1.001f;
  EXPECT_FALSE(SamplesEqual(A, B));
  TSample32 None;
  None.Init();
  EXPECT_FALSE(SamplesEqual(A, None));
  A.Dispose();
  B.Dispose();
}

TEST_F(SampleOpsTest, RangeAverages) {
  TSample32 S = MakeSample32({0, 1, 2, 3});
  EXPECT_FLOAT_EQ(S.AverageRange(1, 2), 1.5f);
  EXPECT_FLOAT_EQ(S.AverageRange(1, 0), 0);
  EXPECT_FLOAT_EQ(S.AverageRangeWrapped(3, 2), 1.5f);  // 3, 0
  EXPECT_FLOAT_EQ(S.AverageRangeWrapped(-1, 2), 1.5f);
  EXPECT_FLOAT_EQ(S.AverageRangeWrapped(-100, 4), 1.5f);
  // One period of a curve rising by 1 per period.
  TSample32 U = MakeSample32({0, 0.25f, 0.5f, 0.75f});
  EXPECT_FLOAT_EQ(U.AverageRangeUnwrapped(3, 2), (0.75f + 1.0f) / 2);
  EXPECT_FLOAT_EQ(U.AverageRangeUnwrapped(-1, 2), (-0.25f + 0.0f) / 2);
  EXPECT_FLOAT_EQ(U.AverageRangeUnwrapped(-9, 1), -2.25f);
  EXPECT_FLOAT_EQ(U.AverageRangeUnwrapped(1, 0), 0);
  U.Dispose();
  EXPECT_TRUE(Silent());
  EXPECT_FLOAT_EQ(S.AverageRange(3, 2), 0);  // outside: reported, 0
  EXPECT_FLOAT_EQ(S.AverageRange(-1, 2), 0);
  EXPECT_EQ(Errors().size(), 2u);
  S.Dispose();
  TSample32 E;
  E.Init();
  EXPECT_FLOAT_EQ(E.AverageRangeWrapped(0, 3), 0);
  EXPECT_FLOAT_EQ(E.AverageRangeUnwrapped(0, 3), 0);
}

TEST_F(SampleOpsTest, ElementWiseCombinations) {
  using Fn = void (*)(const TSample32&, const TSample32&, TSample32&);
  const std::vector<float> A = {2, -3, 0.5f, 0};
  const std::vector<float> B = {1, 4, 0.5f, -2};
  struct Case {
    const char* Name;
    Fn Op;
    std::vector<float> Want;
  } Cases[] = {
      {"Subtract", SubtractSamples32, {1, -7, 0, 2}},
      {"Add", AddSamples32, {3, 1, 1, -2}},
      {"Max", MixSamplesMax32, {2, 4, 0.5f, 0}},
      {"Min", MixSamplesMin32, {1, -3, 0.5f, -2}},
      {"MaxMin", MixSamplesMaxMin32, {2, 1, 0.5f, 0}},
      {"SignedMagnitude", MixSamplesSignedMagnitude32, {2, -3, 0.5f, 0}},
      {"MaxAbs", MixSamplesMaxAbs32, {2, 4, 0.5f, -2}},
      {"MinAbs", MixSamplesMinAbs32, {1, -3, 0.5f, 0}},
      {"Damped", MixSamplesDamped32, {0.5f, 4.0f / 50, 0.5f, -0.4f}},
      {"PowerCurve", MixSamplesPowerCurve32, {16, -std::pow(3.0f, 13.0f), std::pow(0.5f, 2.5f), 0}},
      {"Power", MixSamplesPower32, {2, -64, std::sqrt(0.5f), -1}},
      {"PowerPositive", MixSamplesPowerPositive32, {2, -3, std::sqrt(0.5f), 0}},
      {"Limit", MixSamplesLimit32, {1, 3, 0.5f, 0}},
      {"Compare", MixSamplesCompare32, {0.9f, -0.9f, -0.9f, 0.9f}},
      {"CompareMax", MixSamplesCompareMax32, {2, -4, -0.5f, 2}},
      {"SignProduct", MixSamplesSignProduct32, {0.9f, -0.9f, 0.9f, -0.9f}},
      {"SignProductMax", MixSamplesSignProductMax32, {2, -4, 0.5f, -2}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    TSample32 SA = MakeSample32(A), SB = MakeSample32(B), D = MakeSample32({9, 9, 9, 9});
    C.Op(SA, SB, D);
    ExpectNear(SampleValues(D), C.Want, 1e-4f);
    C.Op(SA, SB, SA);  // the destination may be an input
    ExpectNear(SampleValues(SA), C.Want, 1e-4f);
    SA.Dispose();
    SB.Dispose();
    D.Dispose();
  }
  TSample32 X = MakeSample32({1, 5}), Y = MakeSample32({1, 5}), D = MakeSample32({0, 0});
  MixSamplesSoftMax32(X, Y, D);
  ExpectNear(SampleValues(D), {1, 5});
  Y.Data[0] = -50;
  MixSamplesSoftMax32(X, Y, D);
  EXPECT_NEAR(D.Data[0], 1, 0.2f);  // near the larger, far from -50
  MixSamplesSoftMin32(X, Y, D);
  EXPECT_NEAR(D.Data[0], -50, 0.2f);
  X.Dispose();
  Y.Dispose();
  D.Dispose();
  EXPECT_TRUE(Silent());
}

TEST_F(SampleOpsTest, TwoBufferSizeMismatchIsReportedAndSkipped) {
  TSample32 Long = MakeSample32({1, 2, 3}), Short = MakeSample32({5, 5}), None;
  None.Init();
  SubtractSamples32(Long, Short, Long);
  MixSamplesMax32(Long, Long, Short);
  MixSamplesMin32(Long, None, Long);
  MixIn32(Short, Long, 1);
  ModulateSamples32(Long, Short, 0.5f);
  DivideSamples32(Long, Short);
  MultiplySamples32(Long, Short, 2);
  SamplesMinAttenuation32(Long, Short, 0, 1);
  EXPECT_EQ(SampleValues(Long), (std::vector<float>{1, 2, 3}));
  EXPECT_EQ(SampleValues(Short), (std::vector<float>{5, 5}));
  ASSERT_EQ(Errors().size(), 8u);
  EXPECT_NE(Errors()[0].find("Size mismatch"), std::string::npos);
  AddSamples32(Long, Short, Short);  // over the smaller count: fine
  EXPECT_EQ(SampleValues(Short), (std::vector<float>{6, 7}));
  EXPECT_EQ(Errors().size(), 8u);
  Long.Dispose();
  Short.Dispose();
}

TEST_F(SampleOpsTest, MixingIntoADestination) {
  TSample32 D = MakeSample32({0, 0, 0, 0}), S = MakeSample32({1, 2, 3});
  MixIn32(D, S, 2);
  EXPECT_EQ(SampleValues(D), (std::vector<float>{2, 4, 6, 0}));
  MixInAt32(D, S, 2, 1);
  EXPECT_EQ(SampleValues(D), (std::vector<float>{2, 4, 7, 2}));
  MixInAt32(D, S, -2, 1);  // before the start: only what lands inside
  EXPECT_EQ(SampleValues(D), (std::vector<float>{5, 4, 7, 2}));
  MixInOffset32(D, S, 1, 1);
  EXPECT_EQ(SampleValues(D), (std::vector<float>{7, 7, 7, 2}));
  MixInOffset32(D, S, -1, 1);
  EXPECT_EQ(SampleValues(D), (std::vector<float>{7, 8, 9, 5}));
  EXPECT_TRUE(Silent());  // no report per sample

  TSample32 M = MakeSample32({1, 0, 0.5f, 2});
  ModulateSamples32(D, M, 0.5f);
  EXPECT_EQ(SampleValues(D), (std::vector<float>{7, 4, 6.75f, 7.5f}));
  TSample32 Div = MakeSample32({2, 0, 1, 4});
  DivideSamples32(D, Div);
  EXPECT_EQ(SampleValues(D), (std::vector<float>{3.5f, 1000, 6.75f, 1.875f}));
  MultiplySamples32(D, Div, 2);
  EXPECT_EQ(SampleValues(D), (std::vector<float>{14, 0, 13.5f, 15}));
  TSample32 Att = MakeSample32({0, 0, 50, 50}), Level = MakeSample32({1, 0.1f, 1, 0.01f});
  SamplesMinAttenuation32(Level, Att, 123, 1);
  ExpectNear(SampleValues(Att), {0, 0, 0, 40}, 1e-4f);
  M.Dispose();
  Div.Dispose();
  Att.Dispose();
  Level.Dispose();
  D.Dispose();
  S.Dispose();
}

TEST_F(SampleOpsTest, FadedMixing) {
  TSample32 D = MakeSample32(std::vector<float>(14, 0));
  TSample32 S = MakeSample32(std::vector<float>(14, 1));
  float Fade = 0.5f;
  MixInFaded32(D, S, 0, Fade, 1, 0);
  const std::vector<float> In = {0.55f, 0.60f, 0.65f, 0.70f, 0.75f, 0.80f, 0.85f,
                                 0.90f, 0.95f, 1.0f,  1.0f,  1.0f,  1.0f,  1.0f};
  ExpectNear(SampleValues(D), In, 1e-5f);
  EXPECT_EQ(Fade, 1.0f);

  D.Clear();
  Fade = -1;
  MixInFaded32(D, S, 0, Fade, 1, 0.25f);
  ExpectNear(SampleValues(D), {0.75f, 0.5f, 0.25f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(Fade, 0.0f);

  D.Clear();
  Fade = -0.0005f;  // neither fading out nor a level: silenced
  MixInFaded32(D, S, 0, Fade, 1, 0.25f);
  EXPECT_EQ(Fade, 0.0f);
  EXPECT_EQ(D.Peak(), 0.0f);
  Fade = 2;
  MixInFaded32(D, S, 12, Fade, 0.5f, 0);  // runs out of source after 2 samples
  ExpectNear(SampleValues(D), {0.5f, 0.5f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  D.Dispose();
  S.Dispose();
}

TEST_F(SampleOpsTest, InPlaceTransforms) {
  TSample32 S = MakeSample32({1e-10f, 1e-9f, -1e-10f, 3});
  S.FlushDenormals();
  EXPECT_EQ(SampleValues(S), (std::vector<float>{0, 1e-9f, 0, 3}));
  S.Dispose();

  S = MakeSample32({-2, 1, 0.5f});
  S.Normalize();
  EXPECT_EQ(SampleValues(S), (std::vector<float>{-1, 0.5f, 0.25f}));
  S.ScaleAndClip(512);
  EXPECT_EQ(SampleValues(S), (std::vector<float>{-0.999f, 0.999f, 0.5f}));
  S.Scale(4);
  S.Clip();
  EXPECT_EQ(SampleValues(S), (std::vector<float>{-1, 1, 1}));
  S.AddConstant(0.5f);
  S.SubtractAndClip(1);
  EXPECT_EQ(SampleValues(S), (std::vector<float>{0, 0.5f, 0.5f}));
  S.RaiseToFloor(0.25f);
  EXPECT_EQ(SampleValues(S), (std::vector<float>{0.25f, 0.5f, 0.5f}));
  S.Dispose();

  S = MakeSample32({1, 2, 3, 4});
  S.Integrate();
  EXPECT_EQ(SampleValues(S), (std::vector<float>{0, 1, 3, 6}));
  S.SubtractPeakPercent(50);
  EXPECT_EQ(SampleValues(S), (std::vector<float>{0, 0, 0, 3}));
  S.FillRamp(1, 4);
  EXPECT_EQ(SampleValues(S), (std::vector<float>{1, 2, 3, 4}));
  S.SubtractRamp();
  ExpectNear(SampleValues(S), {1, 2 - 1.0f / 3, 3 - 2.0f / 3, 3});
  S.AddRamp();
  ExpectNear(SampleValues(S), {1, 2, 3, 4});
  S.FadeOut(2);
  ExpectNear(SampleValues(S), {1, 2, 1.5f, 0});
  S.Dispose();

  S = MakeSample32({5});  // ramps over one sample do not divide by zero
  S.AddRamp();
  S.FillRamp(2, 9);
  EXPECT_EQ(SampleValues(S), (std::vector<float>{2}));
  S.Dispose();

  S = MakeSample32({1, 0, 100});
  S.ToDecibelScale(-100, 0);
  ExpectNear(SampleValues(S), {1, 0.01f, 1.4f}, 1e-5f);
  S.Dispose();
  S = MakeSample32({0, 20, -6});
  S.FromDecibels();
  ExpectNear(SampleValues(S), {1, 10, 0.501187f}, 1e-5f);
  S.Dispose();

  S = MakeSample32({1, 3, 2, 0, 0});
  S.RunningMax16();
  EXPECT_EQ(SampleValues(S), (std::vector<float>{1, 3, 3, 3, 3}));
  S.Dispose();
  S = MakeSample32({-1, -2});
  S.RunningMax64();  // zeros stand in before the start
  EXPECT_EQ(SampleValues(S), (std::vector<float>{0, 0}));
  S.Dispose();

  S = MakeSample32({1, 2, 2});
  float State = 0;
  S.BlendDifference(State, 0.5f);
  EXPECT_EQ(SampleValues(S), (std::vector<float>{2.5f, 3, 1}));
  EXPECT_EQ(State, 2);
  S.Dispose();

  TSample32 None;
  None.Init();
  None.Clip();
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0], "TSample32.Clip error: Data=nil");
}

TEST_F(SampleOpsTest, Resampling) {
  TSample32 S = MakeSample32({1, 3, 5, 7, 9}, 44101);
  S.DownSample2x();
  EXPECT_EQ(SampleValues(S), (std::vector<float>{2, 6}));
  EXPECT_EQ(S.SampleRate, 22050);
  S.Dispose();
  S = MakeSample32({1, 3, 5, 7, 9}, 8000);
  S.Decimate2x();
  EXPECT_EQ(SampleValues(S), (std::vector<float>{1, 5}));
  EXPECT_EQ(S.SampleRate, 4000);
  S.Dispose();

  S = MakeSample32({2, 4, 6}, 22050);
  S.UpSample2x();
  EXPECT_EQ(SampleValues(S), (std::vector<float>{2, 3, 4, 5, 6, 3}));
  EXPECT_EQ(S.SampleRate, 44100);
  S.Dispose();
  S = MakeSample32({8});
  S.UpSample2x();
  EXPECT_EQ(SampleValues(S), (std::vector<float>{8, 4}));
  S.Dispose();

  S = MakeSample32({1, -5, 2, 2, 3, 0, -4, 1});
  TSample32 Env = MakeSample32({9, 9, 9, 9, 9});
  S.PeakEnvelopeTo(Env);
  EXPECT_EQ(SampleValues(Env), (std::vector<float>{5, 2, 3, 4, 9}));
  TSample32 None;
  None.Init();
  None.PeakEnvelopeTo(Env);
  EXPECT_EQ(SampleValues(Env), (std::vector<float>{0, 0, 0, 0, 0}));
  S.PeakEnvelopeTo(None);  // nowhere to write: reported
  EXPECT_EQ(Errors().size(), 1u);
  Env.Dispose();
  S.Dispose();
}

TEST_F(SampleOpsTest, InterpolationAndLookup) {
  TSample32 S = MakeSample32({0, 10, 20});
  EXPECT_FLOAT_EQ(S.ValueAt(0.5f), 5);
  EXPECT_FLOAT_EQ(S.ValueAt(-3), 0);
  EXPECT_NEAR(S.ValueAt(2), 20 - 10 * 1e-4f, 1e-4f);
  EXPECT_NEAR(S.ValueAt(1e30f), 20 - 10 * 1e-4f, 1e-4f);
  EXPECT_FLOAT_EQ(S.ValueAt(std::nanf("")), 0);
  EXPECT_FLOAT_EQ(S.InverseLookup(15), 1.5f);
  EXPECT_FLOAT_EQ(S.InverseLookup(99), 3);
  EXPECT_FLOAT_EQ(S.InverseLookup(-10), -1);
  S.Dispose();
  S = MakeSample32({7});
  EXPECT_FLOAT_EQ(S.ValueAt(0.5f), 7);  // fewer than two samples
  S.Dispose();
  TSample32 None;
  None.Init();
  EXPECT_FLOAT_EQ(None.ValueAt(3), 0);
}

TEST_F(SampleOpsTest, TextAndSignals) {
  TSample32 S = MakeSample32({1, 2, 3});
  std::string T = "old";
  S.ToText(T, 5);
  EXPECT_EQ(T, "1.00, 2.00, 3.00");
  S.ToText(T, 0);
  EXPECT_EQ(T, "");
  S.ToText(T, 2);
  EXPECT_EQ(T, "1.00, 2.00");
  S.Dispose();

  TSample32 A = MakeSample32(std::vector<float>(300, 9));
  TSample32 B = MakeSample32(std::vector<float>(300, 9));
  A.FillSweep();
  B.FillSweep();
  EXPECT_EQ(SampleValues(A), SampleValues(B));  // starts from zero phases on every call
  EXPECT_EQ(A.Data[0], 0);
  EXPECT_LE(A.Peak(), 0.5f);
  A.FillTestSweep();
  B.FillTestSweep();
  EXPECT_NE(SampleValues(A), SampleValues(B));  // carries its phases from call to call
  A.FillNoise();
  EXPECT_GE(A.Min(), -1);
  EXPECT_LT(A.Max(), 1);
  EXPECT_GT(A.Max() - A.Min(), 1);
  A.Dispose();
  B.Dispose();
}

TEST_F(SampleOpsTest, SixteenBitOperations) {
  TSample16 W;
  W.Init();
  W.Alloc(4);
  const int16_t In[] = {5, 2, 32767, -32768};
  std::memcpy(W.Data, In, sizeof(In));
  W.Differentiate();
  EXPECT_EQ(std::vector<int>(W.Data, W.Data + 4), (std::vector<int>{-5, 3, -32765, -1}));
  std::memcpy(W.Data, In, sizeof(In));
  W.Integrate();
  EXPECT_EQ(std::vector<int>(W.Data, W.Data + 4), (std::vector<int>{5, 7, -32762, 6}));
  W.Data[0] = 0x1234;
  W.SwapBytes();
  EXPECT_EQ(uint16_t(W.Data[0]), 0x3412);
  W.Dispose();
}

}  // namespace
