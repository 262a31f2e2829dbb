#include "images/fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "image_test_support.h"
#include "support/test_support.h"

using namespace kromel;
using namespace kromel::testing;
using kromel::test::MakeSample32;

namespace {

constexpr double Pi = std::numbers::pi;

class FFT : public TCaptureTest {
protected:
  void SetUp() override {
    TCaptureTest::SetUp();
    F.Alloc();
  }
  void TearDown() override {
    F.Free();
    TCaptureTest::TearDown();
  }
  // The window's factors: the window applied to a constant 1.
  std::vector<double> Factors(void (TFFT::*Window)()) {
    F.Init(8);
    for (int I = 0; I < 8; ++I) F.InRe.Data[I] = 1.0f;
    (F.*Window)();
    return {F.InRe.Data, F.InRe.Data + 8};
  }
  TFFT F;
};

TSample32 Sine(int N, double Cycles, float Amplitude = 1.0f) {
  TSample32 S;
  S.Init();
  S.Alloc(N);
  S.SampleRate = 44100;
  for (int I = 0; I < N; ++I) S.Data[I] = Amplitude * float(std::sin(2 * Pi * Cycles * I / N));
  return S;
}

}  // namespace

TEST(FFTTables, InitSizesAndBitReversal) {
  TFFT F;
  F.Alloc();
  ASSERT_TRUE(F.Allocated());
  F.Init(1000);
  EXPECT_EQ(F.Size, 512);
  EXPECT_EQ(F.Bits, 10);
  EXPECT_EQ(F.SqrtSize, 32);
  EXPECT_EQ(F.InRe.Count, 512);
  F.Init(200000);
  EXPECT_EQ(F.Size, 131072);
  F.Init(0);
  EXPECT_EQ(F.Size, 1);
  F.Free();
  EXPECT_FALSE(F.Allocated());
  EXPECT_EQ(BitReverse(1, 11), 512);
  EXPECT_EQ(IntLog2(1024), 10);
  EXPECT_EQ(IntLog2(1000), 1);
}

TEST(FFTTables, WithoutAllocNothingHappens) {
  TFFT F;
  F.Init(8);
  TSample32 S = MakeSample32({1, 2, 3}, 44100);
  F.Perform_FFT_Buf(S, FFTWindowHann);
  F.Perform_IFFT();
  EXPECT_EQ(F.MagnitudeAt(0), 0.0f);
  EXPECT_EQ(F.LimitMagnitudes(0), 0);
  S.Dispose();
}

TEST_F(FFT, WindowFactorsForEightMatchTheTextbook) {
  const std::vector<double> Hann = Factors(&TFFT::ApplyHannWindow);
  const std::vector<double> BH = Factors(&TFFT::ApplyBlackmanHarrisWindow);
  for (int I = 0; I < 8; ++I) {
    EXPECT_NEAR(Hann[I], 0.5 * (1 - std::cos(2 * Pi * I / 8)), 1e-7) << I;
    const double X = 2 * Pi * I / 7;
    EXPECT_NEAR(BH[I],
                0.35875 - 0.48829 * std::cos(X) + 0.14128 * std::cos(2 * X) - 0.01168 * std::cos(3 * X),
                1e-6)
        << I;
  }
  const double HannExpected[8] = {0, 0.146447, 0.5, 0.853553, 1, 0.853553, 0.5, 0.146447};
  for (int I = 0; I < 8; ++I) EXPECT_NEAR(Hann[I], HannExpected[I], 1e-6);
  EXPECT_NEAR(BH[0], 0.00006, 1e-7);
  EXPECT_NEAR(BH[7], 0.00006, 1e-6);
}

TEST_F(FFT, ImpulseIsFlatAndConstantIsAllInBinZero) {
  F.Init(64);
  TSample32 S = MakeSample32({1}, 44100);
  F.Perform_FFT_Buf(S, FFTWindowNone);
  for (int K = 0; K < 64; ++K) {
    EXPECT_NEAR(F.OutRe.Data[K], 1.0f, 1e-6) << K;
    EXPECT_NEAR(F.OutIm.Data[K], 0.0f, 1e-6) << K;
  }
  S.Dispose();
  S.Init();
  S.Alloc(64);
  S.Fill(1.0f);
  F.Perform_FFT_Buf(S, FFTWindowNone);
  EXPECT_NEAR(F.OutRe.Data[0], 64.0f, 1e-4);
  for (int K = 1; K < 64; ++K) EXPECT_NEAR(F.MagnitudeAt(K), 0.0f, 1e-6) << K;
  S.Dispose();
}

TEST_F(FFT, SineOfBinKPeaksAtK) {
  for (int K : {1, 5, 37, 200}) {
    F.Init(1024);
    TSample32 S = Sine(1024, K);
    F.Perform_FFT_Buf(S, FFTWindowNone);
    TSample32 M;
    M.Init();
    M.Alloc(512);
    F.GetMagnitudes(M);
    EXPECT_EQ(M.MaxIndex(), K);
    EXPECT_NEAR(M.Data[K], 512.0f, 0.05f);
    // Everything else is numerical noise.
    for (int I = 0; I < 512; ++I)
      if (I != K) EXPECT_LT(M.Data[I], 0.01f) << K << " " << I;
    S.Dispose();
    M.Dispose();
  }
}

TEST_F(FFT, ForwardThenInverseReturnsTheInput) {
  F.Init(8192);
  TSample32 S;
  S.Init();
  S.Alloc(8192);
  uint32_t Seed = 1;
  for (int I = 0; I < 8192; ++I) {
    Seed = Seed * 1664525u + 1013904223u;
    S.Data[I] = float(Seed >> 8) / float(1 << 24) * 2 - 1;
  }
  F.Perform_FFT_Buf(S, FFTWindowNone);
  TSample32 Back;
  Back.Init();
  Back.Alloc(8192);
  F.InverseToBuffer(Back);
  ASSERT_EQ(Back.Count, 8192);
  double Worst = 0;
  for (int I = 0; I < 8192; ++I) Worst = std::max(Worst, std::fabs(double(Back.Data[I]) - S.Data[I]));
  EXPECT_LT(Worst, 1e-5);
  // Other sizes through the unscaled inverse.
  F.Init(16);
  F.Perform_FFT_Buf(S, FFTWindowNone);
  std::copy_n(F.OutRe.Data, 16, F.InRe.Data);
  std::copy_n(F.OutIm.Data, 16, F.InIm.Data);
  F.Perform_IFFT();
  for (int I = 0; I < 16; ++I) EXPECT_NEAR(F.OutRe.Data[I] / 16, S.Data[I], 1e-6);
  // A destination too small is refused.
  TSample32 Small = MakeSample32({0, 0}, 44100);
  F.InverseToBuffer(Small);
  EXPECT_EQ(Small.Count, 2);
  EXPECT_EQ(Errors().size(), 1u);
  S.Dispose();
  Back.Dispose();
  Small.Dispose();
}

// A short buffer is zero-padded: nothing of an earlier, longer input stays.
TEST_F(FFT, ShortInputIsZeroPadded) {
  F.Init(256);
  TSample32 Long = Sine(256, 9);
  TSample32 Short = MakeSample32({1}, 44100);
  F.Perform_FFT_Buf(Long, FFTWindowHann);
  F.Perform_FFT_Buf(Short, FFTWindowNone);
  for (int K = 0; K < 256; ++K) EXPECT_NEAR(F.MagnitudeAt(K), 1.0f / 512, 1e-7) << K;
  Long.Dispose();
  Short.Dispose();
}

TEST_F(FFT, LimitMagnitudesAndSmoothing) {
  F.Init(4);
  F.OutRe.Data[0] = 2;
  F.OutIm.Data[0] = 0;
  F.OutRe.Data[1] = 0.6f;
  F.OutIm.Data[1] = 0.8f;
  F.OutRe.Data[2] = F.OutIm.Data[2] = F.OutRe.Data[3] = F.OutIm.Data[3] = 0;
  EXPECT_EQ(F.LimitMagnitudes(1), 1);
  EXPECT_FLOAT_EQ(F.OutRe.Data[0], 1.0f);
  EXPECT_FLOAT_EQ(F.OutRe.Data[1], 0.6f);
  const float In[4] = {1, 0, 0, 0};
  std::copy_n(In, 4, F.InRe.Data);
  std::fill_n(F.InIm.Data, 4, 0.0f);
  F.SmoothInput();
  EXPECT_FLOAT_EQ(F.InRe.Data[1], 0.9f);
  EXPECT_FLOAT_EQ(F.InRe.Data[2], 0.81f);
}

TEST_F(FFT, SpectrumReadersStayInsideTheTransform) {
  F.Init(1024);
  TSample32 S = Sine(1024, 100);  // 100 cycles: 4306.6 Hz at 44100
  F.Perform_FFT_Buf(S, FFTWindowNone);
  // Linear axis: one point writes nothing; points beyond the rate read 0.
  TSample32 One = MakeSample32({7}, 44100);
  F.GetLinearSpectrum(One, 0, 1000, 44100, FFTWeightNone);
  EXPECT_EQ(One.Data[0], 7.0f);
  TSample32 Lin = MakeSample32({9, 9, 9}, 44100);
  F.GetLinearSpectrum(Lin, 0, 200000, 44100, FFTWeightNone);
  EXPECT_NEAR(Lin.Data[0], 0.0f, 1e-6);
  EXPECT_EQ(Lin.Data[1], 0.0f);
  EXPECT_EQ(Lin.Data[2], 0.0f);
  // Log axis from 20 Hz: the first point reads the bin nearest N 20 / rate,
  // the peak lands at the point of 4306.6 Hz, and the Nyquist bin is never read.
  TSample32 Log;
  Log.Init();
  Log.Alloc(1000);
  Log.Fill(-1.0f);
  F.GetLogSpectrum(Log, 20, 22050, 44100, FFTWeightNone);
  EXPECT_FLOAT_EQ(Log.Data[0], F.MagnitudeAt(0));
  const int64_t Peak = Log.MaxIndex();
  const double Hz = 20 * std::pow(22050.0 / 20, double(Peak) / 1000);
  EXPECT_NEAR(Hz, 100 * 44100.0 / 1024, 44100.0 / 1024);
  for (int I = 0; I < 1000; ++I) EXPECT_GE(Log.Data[I], 0.0f) << I;
  // Weighting 2 multiplies by f / 600.
  TSample32 W;
  W.Init();
  W.Alloc(1000);
  F.GetLogSpectrum(W, 20, 22050, 44100, FFTWeightLinear);
  EXPECT_NEAR(W.Data[Peak], Log.Data[Peak] * Hz / 600, Log.Data[Peak] * 1e-4);
  // Bad axes write nothing.
  Log.Fill(-1.0f);
  F.GetLogSpectrum(Log, 0, 22050, 44100, FFTWeightNone);
  F.GetLogSpectrum(Log, 20, 22050, 0, FFTWeightNone);
  EXPECT_EQ(Log.Max(), -1.0f);
  for (TSample32* B : {&S, &One, &Lin, &Log, &W}) B->Dispose();
}
