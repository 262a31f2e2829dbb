#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "audio/graphic_equalizer.h"
#include "filter_test_support.h"
#include "support/test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

// Response in dB of the equaliser at Freq, from its shelves' transfer
// functions and band 1's level.
double EqualizerDB(const TGraphicEqualizer& E, double Freq) {
  double DB = E.Gains[1];
  for (int32_t J = 1; J < E.BandCount; ++J) DB += CascadeDB(E.Bands[J], Freq);
  return DB;
}

TGraphicEqualizer Equalizer(int32_t N, int32_t Rate = 44100) {
  TGraphicEqualizer E;
  E.Init(N);
  E.SampleRate = Rate;
  E.SetAllSlopes(3.4f);
  return E;
}

TEST(GraphicEqualizer, BandCentresForTenBands) {
  const TGraphicEqualizer E = Equalizer(10);
  const int32_t Want[] = {63, 116, 213, 390, 717, 1318, 2420, 4446, 8166, 15000};
  for (int I = 1; I <= 10; ++I) EXPECT_EQ(E.Freqs[I], Want[I - 1]) << I;
  EXPECT_FLOAT_EQ(E.Bands[1].Freq, float(std::sqrt(63.0 * 116)));
  const TGraphicEqualizer E40 = Equalizer(40);
  EXPECT_EQ(E40.Freqs[1], 63);
  EXPECT_EQ(E40.Freqs[40], 15000);
}

TEST(GraphicEqualizer, TwoBandsMakeOneShelf) {
  TGraphicEqualizer E = Equalizer(2);
  EXPECT_NEAR(E.Bands[1].Freq, 972.1, 0.1);
  E.SetBandGain(2, 6);
  E.SetBandGain(1, 0);
  EXPECT_NEAR(EqualizerDB(E, 40), 0, 0.05);
  EXPECT_NEAR(EqualizerDB(E, 12000), 6, 0.1);
  EXPECT_NEAR(EqualizerDB(E, 972.1), 3, 0.1);
  E.SetBandGain(3, 20);  // above BandCount: nothing
  E.SetBandGain(0, 20);
  EXPECT_NEAR(EqualizerDB(E, 12000), 6, 0.1);
}

// Transparent within -70 dB: float rounding recirculates in the low shelves.
TEST(GraphicEqualizer, EqualGainsAreAPlainLevel) {
  for (float G : {0.0f, -9.0f, 12.0f}) {
    TGraphicEqualizer E = Equalizer(10);
    for (int32_t I = 1; I <= 10; ++I) E.SetBandGain(I, G);
    TOwnedSample S(4410), Ref(4410);
    FillWhiteNoise(S.S, 2);
    S.S.CopyTo(Ref.S);
    E.ProcessBuf(S.S);
    const float L = float(std::pow(10.0, G / 20));
    for (int I = 0; I < 4410; ++I) ASSERT_NEAR(S[I], Ref[I] * L, 3e-4f * std::max(L, 1.0f)) << G << " " << I;
  }
}

// The staircase follows the band gains at the band centres (slope 3.4
// overshoots by up to 2 dB at a turn) when the
// steps are moderate.
TEST(GraphicEqualizer, ResponseFollowsBandGains) {
  TGraphicEqualizer E = Equalizer(10);
  const float G[] = {3, 0, -3, -6, -3, 0, 3, 6, 3, 0};
  for (int32_t I = 1; I <= 10; ++I) E.SetBandGain(I, G[I - 1]);
  for (int32_t I = 1; I <= 9; ++I) EXPECT_NEAR(EqualizerDB(E, E.Freqs[I]), G[I - 1], 2.5) << E.Freqs[I];
}

// Large steps between neighbours have no real shelf at slope 3.4; the
// shelves are kept real and stable, so every setting stays finite.
TEST(GraphicEqualizer, EverySettingStaysFiniteForTenSecondsOfNoise) {
  TOwnedSample Noise(441000);
  std::mt19937 Gen(7);
  std::uniform_real_distribution<float> D(-24.0f, 24.0f);
  for (int32_t Pattern = 0; Pattern < 3; ++Pattern) {
    TGraphicEqualizer E = Equalizer(Pattern == 2 ? 40 : 10, Pattern == 1 ? 22050 : 44100);
    for (int32_t I = 1; I <= E.BandCount; ++I)
      E.SetBandGain(I, Pattern == 2 ? D(Gen) : (I % 2 ? 24.0f : -24.0f));
    FillWhiteNoise(Noise.S, 9 + Pattern);
    E.ProcessBuf(Noise.S);
    EXPECT_LT(PeakOrInf(Noise.S), 1000.0f) << Pattern;
    for (int32_t J = 1; J < E.BandCount; ++J) EXPECT_LE(E.Bands[J].Freq, 11024.0f + (Pattern != 1) * 1e5f);
  }
}

TEST(GraphicEqualizer, BadBandCountIsRefused) {
  TErrorCapture Capture;
  TGraphicEqualizer E = Equalizer(10);
  E.Init(41);
  E.Init(1);
  EXPECT_EQ(E.BandCount, 10);
  EXPECT_EQ(CapturedErrors().size(), 2u);
}

TEST(GraphicEqualizer, StereoRunsBothChannels) {
  TEqualizerStereo S;
  S.Left.SampleRate = S.Right.SampleRate = 44100;
  S.Init(10);
  S.SetAllSlopes(3.4f);
  S.SetBandGain(5, 6);
  EXPECT_EQ(S.GetBandGain(5), 6);
  EXPECT_EQ(S.Right.Gains[5], 6);
  TStereoSample32 St;
  St.Init();
  ASSERT_TRUE(St.Alloc(1000));
  FillWhiteNoise(St.Left, 4);
  St.Left.CopyTo(St.Right);
  S.ProcessBuf(St);
  EXPECT_EQ(std::memcmp(St.Left.Data, St.Right.Data, 4000), 0);
  St.Dispose();
}

}  // namespace
