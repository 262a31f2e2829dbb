// One-call filters, the equaliser, harmonic tools and convolution.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audio/sample_filters.h"
#include "audio_test_support.h"
#include "filter_test_support.h"
#include "support/test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

class SampleFilters : public TCaptureTest {};

double Rms(const TSample32& S, int64_t From) {
  double Sum = 0;
  for (int64_t I = From; I < S.Count; ++I) Sum += double(S.Data[I]) * S.Data[I];
  return std::sqrt(Sum / double(S.Count - From));
}

// Level in dB after the filter of a sine at Freq.
template <class Fn>
double GainOf(double Freq, Fn Filter, int32_t Rate = 44100) {
  TOwnedSample S(44100, Rate);
  FillSine(S.S, Freq, 0.5);
  Filter(S.S);
  return 20 * std::log10(Rms(S.S, 22050) / (0.5 / std::sqrt(2.0)));
}

TEST_F(SampleFilters, PassAndStopBands) {
  struct TCase {
    const char* Name;
    void (*Filter)(TSample32&);
    double Freq, Low, High;
  };
  const TCase Cases[] = {
      {"hp 1000 @ 100", [](TSample32& S) { ProcessSampleHighPass(S, 1000); }, 100, -50, -35},
      {"hp 1000 @ 8000", [](TSample32& S) { ProcessSampleHighPass(S, 1000); }, 8000, -0.1, 0.1},
      {"lp 1000 @ 8000", [](TSample32& S) { ProcessSampleLowPass(S, 1000); }, 8000, -40, -30},
      {"lp zero-phase 1000 @ 1000", [](TSample32& S) { ProcessSampleLowPassZeroPhase(S, 1000); }, 1000, -6.2, -5.8},
      {"bp 1000 @ 1000", [](TSample32& S) { ProcessSampleBandPass(S, 1000, nullptr, 2); }, 1000, -0.1, 0.1},
      {"notch 1000 @ 1000", [](TSample32& S) { ProcessSampleNotch(S, nullptr, 1000, 2); }, 1000, -200, -40},
      {"notch 20000 skipped", [](TSample32& S) { ProcessSampleNotch(S, nullptr, 20000, 2); }, 1000, -0.01, 0.01},
      {"notchQ 20000 runs", [](TSample32& S) { ProcessSampleNotchQ(S, 20000, nullptr, 2); }, 19990, -200, -20},
      {"eq 1200 +6", [](TSample32& S) { ProcessSampleEQ1200(S, nullptr, 6); }, 1200, 5.9, 6.1},
      {"eq 90 -6", [](TSample32& S) { ProcessSampleEQ90(S, nullptr, -6); }, 30, -6.1, -5.0},
      {"eq 10000 +6", [](TSample32& S) { ProcessSampleEQ10000(S, nullptr, 6); }, 18000, 5.0, 6.1},
  };
  for (const TCase& C : Cases) {
    const double G = GainOf(C.Freq, C.Filter);
    EXPECT_GE(G, C.Low) << C.Name;
    EXPECT_LE(G, C.High) << C.Name;
  }
  EXPECT_TRUE(Silent());
}

TEST_F(SampleFilters, HighPassRateCheckAndResponse) {
  TOwnedSample S(1000, 192000, 0.5f);
  ProcessSampleHighPass(S.S, 1000);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"ProcessSampleHighPass error: incorrect samplerate"}));
  EXPECT_EQ(S[500], 0.5f);
  // The response curve is multiplied in, and left alone when the notch is skipped.
  TOwnedSample Resp(256, 0, 1.0f);
  TOwnedSample T(1000, 44100, 0.5f);
  ProcessSampleNotch(T.S, &Resp.S, 20000, 2);
  EXPECT_EQ(Resp[100], 1.0f);
  ProcessSampleLowPass(T.S, 1000, &Resp.S);
  EXPECT_LT(Resp[255], 0.1f);
  EXPECT_NEAR(Resp[0], 1.0f, 0.01f);
}

TEST_F(SampleFilters, SweepAndBassFadeRunFinite) {
  TOwnedSample S(44100 * 3);
  FillWhiteNoise(S.S);
  ProcessSampleHighPassSweep(S.S, 100, 5000, 20000);
  EXPECT_LT(PeakOrInf(S.S), 4.0f);
  // Bass fade: +1 dB at the start, -24 dB from 2.5 s on.
  const double Start = GainOf(30, [](TSample32& X) { ProcessSampleBassFade(X, 0, 10); }, 44100);
  EXPECT_GT(Start, -24.5);
  TOwnedSample Late(44100 * 4);
  FillSine(Late.S, 30, 0.5);
  ProcessSampleBassFade(Late.S, 0, 10);
  TSample32 Tail;
  TSample32::AssignRange(Tail, Late.S, 44100 * 3, 44100 * 4);
  EXPECT_NEAR(20 * std::log10(Rms(Tail, 0) / (0.5 / std::sqrt(2.0))), -24, 1.0);
}

TEST_F(SampleFilters, HarmonicMovesAndExciter) {
  // 200 Hz moved to 400 Hz: the 200 Hz partial leaves, a 400 Hz one arrives.
  TOwnedSample S(44100);
  FillSine(S.S, 200, 0.5);
  MoveSampleHarmonic(S.S, 200, 400);
  auto Component = [](const TSample32& X, double F, int64_t From, int64_t To) {
    double C = 0, Sn = 0;
    for (int64_t I = From; I < To; ++I) {
      C += X.Data[I] * std::cos(2 * M_PI * F * I / X.SampleRate);
      Sn += X.Data[I] * std::sin(2 * M_PI * F * I / X.SampleRate);
    }
    return 2 * std::hypot(C, Sn) / double(To - From);
  };
  EXPECT_LT(Component(S.S, 200, 8000, 16000), 0.05);
  EXPECT_GT(Component(S.S, 400, 8000, 16000), 0.3);
  // Past the moved copy (about half the length) only the notched input is left.
  EXPECT_LT(Component(S.S, 400, 30000, 40000), 0.05);
  EXPECT_LE(S.S.Peak(), 1.0f);

  TOwnedSample R(20000);
  FillSine(R.S, 300, 0.5);
  RemoveSampleHarmonic(R.S, 300);
  EXPECT_LT(Component(R.S, 300, 5000, 15000), 0.05);

  TOwnedSample G(20000);
  FillSine(G.S, 300, 0.25);
  ScaleSampleHarmonic(G.S, 300, 2);
  EXPECT_NEAR(Component(G.S, 300, 5000, 15000), 0.5, 0.05);

  TOwnedSample H(20000);
  FillSine(H.S, 1000, 0.3);
  ProcessSampleHarmonics(H.S, 0.5f);
  EXPECT_LT(PeakOrInf(H.S), 2.0f);
  ProcessSampleBandExciter(H.S, 3000, 4);
  EXPECT_LT(PeakOrInf(H.S), 4.0f);
  TOwnedSample Z(100, 44100, 0.5f);
  ProcessSampleBandExciter(Z.S, 3000, 0);  // no drive: left alone
  EXPECT_EQ(Z[50], 0.5f);
}

TEST_F(SampleFilters, ConvolveInPlace) {
  TSample32 S = MakeSample({1, 0, 0});
  TSample32 K = MakeSample({1, 0.5f});
  ConvolveSample32(S, K);
  EXPECT_EQ(std::vector<float>(S.Data, S.Data + 3), (std::vector<float>{1, 0.5f, 0}));
  TSample32 Long = MakeSample({1, 2, 3, 4});
  ConvolveSample32(Long, K);
  EXPECT_EQ(std::vector<float>(Long.Data, Long.Data + 4), (std::vector<float>{1, 2.5f, 4, 5.5f}));
  S.Dispose();
  K.Dispose();
  Long.Dispose();
}

TEST_F(SampleFilters, HarmonicRejectionMeasures) {
  TStereoSample32 S;
  S.Init();
  ASSERT_TRUE(S.Alloc(22050));
  S.Left.SampleRate = S.Right.SampleRate = 44100;
  FillSine(S.Left, 220, 0.4);
  FillSine(S.Right, 660, 0.4);
  EXPECT_GT(MeasureNoteRejection(S, 220), 0.8f);
  EXPECT_GT(MeasureOddHarmonicsRejection(S, 220), 0.8f);
  // Even harmonics leave 660 Hz (3 x 220) alone.
  const float Even = MeasureEvenHarmonicsRejection(S, 220);
  EXPECT_GT(Even, 0.2f);
  EXPECT_LT(Even, 0.7f);
  S.Dispose();
}

}  // namespace
