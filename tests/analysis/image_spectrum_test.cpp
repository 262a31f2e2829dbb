#include "analysis/image_spectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace kromel;

namespace {

// W x H image whose green words carry a sine of the given period along x
// (AlongX) or y; the other channels are noise the spectrum must ignore.
TImage64 SineImage(int32_t W, int32_t H, double Period, bool AlongX) {
  TImage64 I;
  I.Alloc(W, H);
  for (int32_t Y = 0; Y < H; ++Y)
    for (int32_t X = 0; X < W; ++X) {
      const double Phase = 2 * std::numbers::pi * (AlongX ? X : Y) / Period;
      const uint16_t G = uint16_t(32768 + std::lround(20000 * std::sin(Phase)));
      I.Pixels[Y * W + X] = {uint16_t(X * 7919), G, uint16_t(Y * 104729), 65535};
    }
  return I;
}

TSample32 Spectrum(int64_t N) {
  TSample32 S;
  S.Init();
  S.Alloc(N);
  S.Fill(-3.0f);
  return S;
}

}  // namespace

TEST(ImageSpectrum, RowSineOfPeriodSixteenPeaksAtBinSixtyFour) {
  TImage64 Image = SineImage(1024, 3, 16, true);
  TSample32 S = Spectrum(400);
  CalcImage32FFT(Image, S, 64);
  // Rate 16384, axis 128 .. 8192 Hz; bin 64 of 1024 is 1024 Hz.
  EXPECT_FLOAT_EQ(S.Max(), 1.0f);
  const double Hz = 128 * std::pow(64.0, double(S.MaxIndex()) / 400);
  EXPECT_NEAR(Hz, 1024, 16);
  EXPECT_GE(S.Min(), 0.0f);
  // A divisor of 0 reads 1 instead of dividing by zero.
  CalcImage32FFT(Image, S, 0);
  EXPECT_FLOAT_EQ(S.Max(), 1.0f);
  S.Dispose();
}

TEST(ImageSpectrum, ColumnsAndRowsAreSummedAlike) {
  // 24 columns of content carrying a sine give the curve of 24 rows
  // carrying it; the width (and so the axis) is 1024 in both.
  TImage64 Rows = SineImage(1024, 24, 32, true), Columns = SineImage(1024, 1024, 32, false);
  Columns.CopyMarginsFrom(500, 500, 0, 0);
  TSample32 R = Spectrum(200), C = Spectrum(200);
  CalcImage32FFT(Rows, R, 64);
  CalcImage32FFT(Columns, C, 64);
  EXPECT_FLOAT_EQ(C.Max(), 1.0f);
  for (int I = 0; I < 200; ++I) EXPECT_NEAR(R.Data[I], C.Data[I], 1e-5) << I;
  const double Hz = 128 * std::pow(64.0, double(C.MaxIndex()) / 200);
  EXPECT_NEAR(Hz, 512, 16);  // bin 32 of 1024 at rate 16384
  R.Dispose();
  C.Dispose();
}

TEST(ImageSpectrum, ContentShorterThanABlockLeavesZero) {
  const struct {
    int32_t W, H, MarginLeft, MarginRight, MarginTop;
    bool Blocks;
  } Cases[] = {
      {1023, 1023, 0, 0, 0, false},
      {1100, 4, 76, 0, 0, true},   // content exactly 1024 wide
      {1100, 4, 40, 37, 0, false}, // 1023 wide
      {4, 1030, 0, 0, 7, false},   // 1023 high
      {4, 1030, 0, 0, 6, true},
  };
  for (const auto& C : Cases) {
    TImage64 I = SineImage(C.W, C.H, 16, C.W > C.H);
    I.CopyMarginsFrom(C.MarginLeft, C.MarginRight, C.MarginTop, 0);
    TSample32 S = Spectrum(100);
    CalcImage32FFT(I, S, 8);
    EXPECT_EQ(S.Max() > 0.5f, C.Blocks) << C.W << "x" << C.H;
    if (!C.Blocks) EXPECT_EQ(S.Max(), 0.0f);
    EXPECT_GE(S.Min(), 0.0f);
    S.Dispose();
  }
}
