#include "audio/sound_analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "audio/sample_files.h"
#include "images/sample_ops.h"
#include "audio_test_support.h"
#include "support/test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

constexpr double Pi = std::numbers::pi;

// Owns a buffer for one test.
struct TBuf {
  TSample32 S;
  explicit TBuf(int64_t N, int32_t Rate = 44100) {
    S.Init();
    S.Alloc(N);
    S.Clear();
    S.SampleRate = Rate;
  }
  ~TBuf() { S.Dispose(); }
};

// A tone of Partials harmonics falling as 1/k.
void Tone(TSample32& S, double Hz, int Partials) {
  for (int64_t I = 0; I < S.Count; ++I) {
    double V = 0;
    for (int K = 1; K <= Partials; ++K) V += std::sin(2 * Pi * Hz * K * double(I) / S.SampleRate) / K;
    S.Data[I] = float(0.4 * V);
  }
}

void Noise(TSample32& S, uint32_t Seed, float Amplitude) {
  for (int64_t I = 0; I < S.Count; ++I) {
    Seed = Seed * 1664525u + 1013904223u;
    S.Data[I] = Amplitude * (float(Seed >> 8) / float(1 << 24) * 2 - 1);
  }
}

}  // namespace

TEST(SoundAnalysis, PitchOfSyntheticTones) {
  for (double Hz : {110.0, 220.0, 330.0, 440.0}) {
    TBuf T(16384);
    Tone(T.S, Hz, 12);
    TBuf Copy(16384);
    Copy.S.Copy(T.S);
    float Pitch = -7;
    EXPECT_GT(DetectPitchComb(T.S, Pitch, 1000), 0.0f) << Hz;
    EXPECT_NEAR(Pitch, Hz, 1.0) << Hz;
    // The caller's samples are not touched.
    EXPECT_TRUE(SamplesEqual(T.S, Copy.S));
  }
}

TEST(SoundAnalysis, PitchOfSilenceAndNoiseIsDefined) {
  float Pitch = -7;
  TBuf Silence(16384);
  EXPECT_EQ(DetectPitchComb(Silence.S, Pitch, 1000), 0.0f);
  EXPECT_TRUE(std::isfinite(Pitch));
  TBuf N(16384);
  Noise(N.S, 3, 0.5f);
  const float Confidence = DetectPitchComb(N.S, Pitch, 1000);
  EXPECT_TRUE(std::isfinite(Confidence));
  EXPECT_LT(Confidence, 0.0f);  // no comb fits: far below any tone's
  EXPECT_EQ(Pitch, 0.0f);       // and no pitch is claimed
  TBuf T(16384);
  Tone(T.S, 220, 12);
  EXPECT_EQ(DetectPitchComb(T.S, Pitch, 39), 0.0f);
  EXPECT_EQ(Pitch, 0.0f);
}

class SoxPitch : public ::testing::Test {
protected:
  void SetUp() override {
    if (!ProgramAvailable("sox")) GTEST_SKIP() << "sox not installed";
  }
  TTestTempDir Dir;
};

TEST_F(SoxPitch, ToneMadeBySoxGivesItsPitch) {
  const struct {
    const char* Shape;
    int Hz;
  } Cases[] = {{"sawtooth", 220}, {"square", 330}, {"sine", 440}, {"sine", 110},
               {"sawtooth", 110}, {"sawtooth", 262}, {"sine", 40},   {"sine", 55},
               {"square", 40},    {"square", 110},   {"sawtooth", 55}, {"square", 880}};
  for (const auto& C : Cases) {
    const std::string F = Dir.File(std::string(C.Shape) + ".wav");
    ASSERT_EQ(RunProgram({"sox", "-n", "-r", "44100", "-c", "1", "-b", "16", F, "synth", "0.5",
                          C.Shape, std::to_string(C.Hz), "vol", "0.5"},
                         Dir.File("sox.txt")),
              0);
    TSample32 S;
    S.Init();
    bool HighRes = true;
    ASSERT_TRUE(LoadMonoSampleFromFile(S, F, false, HighRes));
    EXPECT_FALSE(HighRes);
    EXPECT_EQ(S.SampleRate, 44100);
    // sox's tones alias, so only the pitch is asked for: within two bins of
    // the 16384-point transform.
    float Pitch = 0;
    const float Confidence = DetectPitchComb(S, Pitch, 1000);
    EXPECT_GE(Confidence, 0.0f) << C.Shape << ' ' << C.Hz;
    EXPECT_NEAR(Pitch, C.Hz, 44100.0 / 16384) << C.Shape << ' ' << C.Hz;
    S.Dispose();
  }
}

// Silence, too short a buffer and no buffer at all: defined values, never
// NaN, nothing read outside (run under the address sanitiser).
TEST(SoundAnalysis, SilenceAndShortBuffersGiveDefinedValues) {
  for (int64_t N : {int64_t(0), int64_t(3), int64_t(100), int64_t(40000)}) {
    TBuf B(std::max<int64_t>(N, 1));
    B.S.Count = N;
    const TSample32& S = B.S;
    float Curvature = 7, PD = 7, MD = 7, PS = 7, MS = 7, SP = 7, Pitch = 7;
    const float Values[] = {FractionAboveMeanEnvelope(S),
                            DetectPitchComb(B.S, Pitch, 500),
                            SustainedSpectrumLevel(S),
                            AttackAmount(S),
                            AttackTime(S),
                            SpectralTiltAndCurvature(S, Curvature),
                            SpectralFlux(S),
                            PredictionError(S),
                            ZeroCrossingRate(S),
                            HalfSimilarity(S)};
    for (float V : Values) EXPECT_EQ(V, 0.0f) << N;
    EXPECT_EQ(Curvature, 0.0f) << N;
    EXPECT_EQ(SpectralCentroid(S), -1.0f) << N;
    EXPECT_EQ(PitchSpread(S, 440), -1.0f) << N;
    AnalyzeSpectralStability(S, PD, MD, PS, MS, SP);
    for (float V : {PD, MD, PS, MS, SP}) EXPECT_TRUE(std::isfinite(V)) << N;
    EXPECT_EQ(SP, 0.0f) << N;
  }
}

TEST(SoundAnalysis, SpectralMeasuresOfToneAndNoise) {
  TBuf Sine(32768);
  for (int I = 0; I < 32768; ++I) Sine.S.Data[I] = float(0.5 * std::sin(2 * Pi * 1000 * I / 44100.0));
  EXPECT_NEAR(SpectralCentroid(Sine.S), 1000.0f, 30.0f);
  EXPECT_NEAR(PitchSpread(Sine.S, 1000), 0.0f, 0.05f);
  TBuf N(32768);
  Noise(N.S, 11, 0.5f);
  const float NoiseCentroid = SpectralCentroid(N.S);
  EXPECT_GT(NoiseCentroid, 3000.0f);
  EXPECT_LT(NoiseCentroid, 22050.0f);
  float Curvature = 0;
  float PD, MD, PS, MS, SP;
  AnalyzeSpectralStability(N.S, PD, MD, PS, MS, SP);
  for (float V : {SpectralTiltAndCurvature(N.S, Curvature), Curvature, SpectralFlux(N.S),
                  SustainedSpectrumLevel(N.S), PD, MD, PS, MS, SP})
    EXPECT_TRUE(std::isfinite(V));
  EXPECT_GT(SustainedSpectrumLevel(N.S), 0.0f);
  EXPECT_GT(PredictionError(N.S), PredictionError(Sine.S));
}

TEST(SoundAnalysis, SmallMeasures) {
  TSample32 A = MakeSample({0.1f, -0.9f, 0.9f});
  TSample32 B = MakeSample({0.1f, 0.2f, 0.5f});
  EXPECT_EQ(ArgMaxAbs(A), 1);
  EXPECT_EQ(ArgMaxAbs(B), 2);
  EXPECT_EQ(LoudSpan(A, 0.5f), 1);
  EXPECT_EQ(LoudSpan(B, 0.9f), 0);
  TBuf Hundred(44100);
  for (int I = 0; I < 44100; ++I) Hundred.S.Data[I] = float(std::sin(2 * Pi * 100 * (I + 0.5) / 44100));
  EXPECT_NEAR(ZeroCrossingRate(Hundred.S), 200.0f, 2.0f);
  TBuf Rep(4000);
  Noise(Rep.S, 5, 0.5f);
  std::copy_n(Rep.S.Data, 2000, Rep.S.Data + 2000);
  EXPECT_EQ(HalfSimilarity(Rep.S), 0.0f);
  EXPECT_EQ(PitchSpread(Rep.S, 10), -1.0f);
  TSurroundSample32 Six;
  Six.Alloc(6, 10);
  EXPECT_EQ(SurroundStereoAngle(Six), 0.0f);
  Six.Dispose();
  // The leaky envelope writes only what both buffers hold.
  TSample32 Env = MakeSample({0, 0});
  TSample32 In = MakeSample({1, -1, 1, 1, 1, 1});
  EnergyEnvelopeSquared(In, Env);
  EXPECT_FLOAT_EQ(Env.Data[0], 1.0f);
  EXPECT_FLOAT_EQ(Env.Data[1], 0.99f * 0.99f);
  for (TSample32* S : {&A, &B, &Env, &In}) S->Dispose();
}

TEST(SampleFiles, FirstLoudIndexAndTrim) {
  TSample32 A = MakeSample({1, 0, 0, 0.5f});
  EXPECT_EQ(FirstLoudIndex(A, 0.1f), 2);
  TBuf Silent(10);
  EXPECT_EQ(FirstLoudIndex(Silent.S, 0.1f), 8);
  A.Dispose();
  for (int Loud : {80, 500}) {
    TStereoSample32 St;
    St.Init();
    St.Alloc(1000);
    St.Clear();
    St.Left.Data[Loud] = 0.5f;
    St.Right.Data[Loud + 10] = 0.5f;
    TrimLeadingSilence(St);
    EXPECT_EQ(St.Length(), Loud == 80 ? 1000 : 501) << Loud;
    if (Loud == 500) EXPECT_EQ(St.Left.Data[1], 0.5f);
    St.Dispose();
  }
}

class SampleFileWrappers : public TCaptureTest {
protected:
  TTestTempDir Dir;
};

TEST_F(SampleFileWrappers, SurroundGainsMonoAndStereoChannels) {
  TStereoSample32 St;
  St.Init();
  St.Alloc(300);
  St.Left.SampleRate = St.Right.SampleRate = 44100;
  for (int I = 0; I < 300; ++I) {
    St.Left.Data[I] = 0.25f;
    St.Right.Data[I] = -0.25f;
  }
  const std::string Kick = Dir.File("kick.wav");
  ASSERT_TRUE(SaveStereoSampleToWav(St, Kick));
  TBuf Mono(100);
  Mono.S.Fill(0.5f);
  const std::string Snare = Dir.File("snare.wav");
  ASSERT_TRUE(SaveSampleToWav24(Mono.S, Snare));

  TSurroundSample32 Sur;
  ASSERT_TRUE(AddWaveFileToSurround(Sur, Snare));
  ASSERT_TRUE(AddWaveFileToSurround(Sur, Kick));
  ASSERT_EQ(Sur.NumChannels, 3);
  EXPECT_EQ(Sur.ChannelNames[0], "snare.wav");
  EXPECT_EQ(Sur.ChannelNames[1], "kick.wav (L)");
  EXPECT_EQ(Sur.ChannelNames[2], "kick.wav (R)");
  EXPECT_EQ(Sur.Channels[0].Count, 300);  // brought to the longest
  EXPECT_NEAR(Sur.Channels[2].Data[10], -0.25f, 1e-5);
  EXPECT_FALSE(AddWaveFileToSurround(Sur, Dir.File("missing.wav")));
  EXPECT_EQ(Sur.NumChannels, 3);
  Sur.Dispose();

  bool HighRes = false;
  ASSERT_TRUE(LoadSurroundSampleFromFile(Sur, Kick, true, HighRes));
  EXPECT_EQ(Sur.Name, "kick.wav");
  EXPECT_EQ(Sur.NumChannels, 2);
  EXPECT_TRUE(HighRes);
  Sur.Dispose();
  ClearErrors();
  Sink.Clear();
  EXPECT_FALSE(LoadSurroundSampleFromFile(Sur, Dir.File("none.wav"), true, HighRes));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "File not found: " + Dir.File("none.wav"));
  St.Dispose();
}

namespace {

TEST(SoundAnalysis, BandRatiosFollowTheBand) {
  TBuf S(22050), Work(22050), Small(100);
  Tone(S.S, 1000, 1);
  EXPECT_GT(BandEnergyRatio(S.S, Work.S, 1000), 0.9f);
  EXPECT_LT(BandEnergyRatio(S.S, Work.S, 8000), 0.1f);
  EXPECT_GT(BandLevelRatio(S.S, Work.S, 1000), 0.9f);
  EXPECT_LT(BandLevelRatio(S.S, Work.S, 8000), 0.05f);
  // No room in Work, or too short a sound: 0, nothing written.
  Small.S.Fill(7);
  EXPECT_EQ(BandEnergyRatio(S.S, Small.S, 1000), 0.0f);
  EXPECT_EQ(Small.S.Data[0], 7.0f);
  TBuf Four(4);
  EXPECT_EQ(BandLevelRatio(Four.S, Work.S, 1000), 0.0f);
}

TEST(SoundAnalysis, PeriodicityAndSpectralPeaks) {
  TBuf Rich(16384), Plain(16384);
  Tone(Rich.S, 220, 40);
  Noise(Plain.S, 7, 0.5f);
  const float Before = Rich.S.Data[100];
  EXPECT_GT(AnalyzePeriodicity(Rich.S), 2 * AnalyzePeriodicity(Plain.S));
  EXPECT_EQ(Rich.S.Data[100], Before);  // the input is left alone

  TBuf Sine(16384);
  Tone(Sine.S, 1000, 1);
  float Hz = 0, Count = 0;
  const float P = FindSpectralPeaks(Sine.S, Hz, Count);
  EXPECT_GT(P, 0.1f);
  EXPECT_NEAR(Hz, 1000, 60);
  EXPECT_GE(Count, 1);
  EXPECT_LE(Count, 100);
  TBuf Empty(0);
  EXPECT_EQ(FindSpectralPeaks(Empty.S, Hz, Count), 0.0f);
}

}  // namespace
