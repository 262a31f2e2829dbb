// Rate conversion (counts, frequency and level kept, against sox's rate
// effect) and speed change.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>

#include "audio/multi_wave.h"
#include "audio/sample_rate.h"
#include "filter_test_support.h"
#include "images/fft.h"
#include "images/sample_ops.h"
#include "support/test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

class SampleRate : public TCaptureTest {};

// Frequency of the largest bin of an 8192-point transform of S.
double PeakFrequency(const TSample32& S) {
  TFFT F;
  F.Alloc();
  F.Init(8192);
  F.Perform_FFT_Buf(S, FFTWindowBlackmanHarris);
  TOwnedSample M(8192, S.SampleRate);
  F.GetMagnitudes(M.S);
  F.Free();
  int64_t Best = 1;
  for (int64_t I = 1; I < 4096; ++I)
    if (M[I] > M[Best]) Best = I;
  return double(Best) * S.SampleRate / 8192.0;
}

// Amplitude of the Freq component over samples From..To-1 (least squares).
double Amplitude(const TSample32& S, double Freq, int64_t From, int64_t To) {
  double C = 0, Sn = 0;
  for (int64_t I = From; I < To; ++I) {
    const double W = 2 * M_PI * Freq * double(I) / S.SampleRate;
    C += S.Data[I] * std::cos(W);
    Sn += S.Data[I] * std::sin(W);
  }
  return 2 * std::hypot(C, Sn) / double(To - From);
}

TEST_F(SampleRate, CountsFollowTheRatio) {
  struct TCase {
    int32_t From, To;
    int64_t Count;
  };
  for (const TCase& C : {TCase{22050, 44100, 2001}, TCase{44100, 22050, 501}, TCase{44100, 48000, 1089}}) {
    TOwnedSample Src(1000, C.From, 0.25f);
    TOwnedSample Dst(3000, C.To);
    ResampleSample32(Src.S, Dst.S);
    EXPECT_EQ(Dst.S.Count, C.Count) << C.From << "->" << C.To;
    EXPECT_EQ(Dst.S.SampleRate, C.To);
  }
  EXPECT_TRUE(Silent());
}

TEST_F(SampleRate, SineKeepsFrequencyAndLevel) {
  struct TCase {
    int32_t From, To;
    double Freq;
  };
  // The three identical sections run twice droop the top of the band (3 kHz
  // at 44.1 kHz: -0.15 dB), so the level is checked low in the band.
  for (const TCase& C : {TCase{22050, 44100, 1000}, TCase{44100, 22050, 1000}, TCase{44100, 48000, 1500},
                         TCase{48000, 44100, 1000}, TCase{44100, 96000, 800}}) {
    TOwnedSample Src(16384, C.From);
    FillSine(Src.S, C.Freq, 0.5);
    TOwnedSample Dst(40000, C.To);
    ResampleSample32(Src.S, Dst.S);
    EXPECT_NEAR(PeakFrequency(Dst.S), C.Freq, C.To / 8192.0) << C.From << "->" << C.To;
    const double A = Amplitude(Dst.S, C.Freq, 1000, Dst.S.Count - 1000);
    EXPECT_NEAR(20 * std::log10(A / 0.5), 0.0, 0.1) << C.From << "->" << C.To;
  }
}

TEST_F(SampleRate, ConstantStaysAwayFromTheEnds) {
  TOwnedSample Src(4000, 44100, 0.5f);
  TOwnedSample Dst(8000, 32000);
  ResampleSample32(Src.S, Dst.S);
  for (int64_t I = 200; I < Dst.S.Count - 200; ++I) ASSERT_NEAR(Dst[I], 0.5f, 1e-3f) << I;
  EXPECT_LT(std::fabs(Dst[Dst.S.Count - 1]), 0.4f);
}

TEST_F(SampleRate, BadRatesAndShortDestinations) {
  TOwnedSample Src(100, 8, 0.3f);
  Src[5] = -0.7f;
  TOwnedSample Dst(200, 44100, 9.0f);
  ResampleSample32(Src.S, Dst.S);
  ASSERT_EQ(Messages(), (std::vector<std::string>{"Source samplerate invalid! No resampling!"}));
  EXPECT_EQ(Dst.S.Count, 100);
  EXPECT_EQ(Dst.S.SampleRate, 8);
  EXPECT_EQ(Dst[5], -0.7f);

  // 2001 samples needed, 2000 there: reported, nothing written.
  TOwnedSample Src2(1000, 22050, 0.25f);
  TOwnedSample Small(2000, 44100, 9.0f);
  ResampleSample32(Src2.S, Small.S);
  EXPECT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Small.S.Count, 2000);
  EXPECT_EQ(Small[0], 9.0f);
  EXPECT_EQ(Small[1999], 9.0f);
}

// sox rate (very high quality, linear phase) on the same 1 kHz sine.
TEST_F(SampleRate, MatchesSoxRate) {
  if (!ProgramAvailable("sox")) GTEST_SKIP() << "sox not installed";
  TTestTempDir Dir;
  const int N = 11025;
  TOwnedSample In(N, 22050);
  FillSine(In.S, 1000, 0.5);
  std::vector<uint8_t> Bytes(size_t(N) * 4);
  std::memcpy(Bytes.data(), In.S.Data, Bytes.size());
  WriteBytes(Dir.File("in.f32"), Bytes);
  ASSERT_EQ(RunProgram({"sox", "-D", "-V1", "-t", "raw", "-r", "22050", "-e", "floating-point", "-b", "32", "-c",
                        "1", Dir.File("in.f32"), "-t", "raw", "-r", "44100", "-e", "floating-point", "-b", "32",
                        "-c", "1", Dir.File("out.f32"), "rate", "-v"},
                       Dir.File("log.txt"), false),
            0)
      << ReadText(Dir.File("log.txt"));
  const std::vector<uint8_t> Out = ReadBytes(Dir.File("out.f32"));
  ASSERT_GE(Out.size(), size_t(2 * N - 2) * 4);
  std::vector<float> Sox(Out.size() / 4);
  std::memcpy(Sox.data(), Out.data(), Out.size());

  TOwnedSample Ours(2 * N + 10, 44100);
  ResampleSample32(In.S, Ours.S);
  ASSERT_EQ(Ours.S.Count, 2 * N + 1);
  double Worst = 0;
  for (int64_t I = 1000; I < 2 * N - 1000; ++I) Worst = std::max(Worst, std::fabs(double(Ours[I]) - Sox[I]));
  // Measured: 3.4e-3 (-43 dB against the 0.5 sine), mostly the low-pass droop.
  EXPECT_LT(Worst, 5e-3);
  std::ostringstream Text;
  Text << std::scientific << Worst;
  RecordProperty("max_difference", Text.str());
}

TEST_F(SampleRate, SpeedChangeCountsAndValues) {
  TOwnedSample Src(100);
  for (int I = 0; I < 100; ++I) Src[I] = float(I) / 100;
  TOwnedSample Dst(200, 0, 9.0f);
  ChangeSampleSpeed32(Src.S, Dst.S, 2.0f);
  ASSERT_EQ(Dst.S.Count, 53);
  EXPECT_EQ(Dst.S.SampleRate, 44100);
  for (int J = 0; J < 50; ++J) EXPECT_FLOAT_EQ(Dst[J], float(2 * J) / 100) << J;
  for (int J = 50; J < 53; ++J) EXPECT_EQ(Dst[J], 0.0f);
  EXPECT_EQ(Dst[53], 9.0f);

  // Half speed interpolates; the last sample fades against silence.
  TOwnedSample Slow(300, 0, 9.0f);
  ChangeSampleSpeed32(Src.S, Slow.S, 0.5f);
  EXPECT_EQ(Slow.S.Count, 203);
  EXPECT_FLOAT_EQ(Slow[1], 0.005f);
  EXPECT_FLOAT_EQ(Slow[199], 0.5f * 0.99f);

  // Room is respected: 10 samples of room give 9 written.
  TOwnedSample Tiny(10, 0, 9.0f);
  ChangeSampleSpeed32(Src.S, Tiny.S, 1.5f);
  EXPECT_EQ(Tiny.S.Count, 9);
  EXPECT_EQ(Tiny[9], 9.0f);

  // Speed 1 copies, above 20 or at 0 changes nothing.
  TOwnedSample Same(100, 0);
  ChangeSampleSpeed32(Src.S, Same.S, 1.0f);
  EXPECT_TRUE(SamplesEqual(Src.S, Same.S));
  for (float Speed : {20.5f, 0.0f, -1.0f, NAN}) {
    TOwnedSample Keep(200, 0, 9.0f);
    ChangeSampleSpeed32(Src.S, Keep.S, Speed);
    EXPECT_EQ(Keep.S.Count, 200) << Speed;
    EXPECT_EQ(Keep.S.SampleRate, 0) << Speed;
  }
}

TEST_F(SampleRate, SpeedChangeInPlaceAndStereo) {
  TOwnedSample S(100);
  for (int I = 0; I < 100; ++I) S[I] = float(I);
  ChangeSampleSpeed32(S.S, S.S, 1.5f);
  EXPECT_EQ(S.S.Count, 70);
  EXPECT_FLOAT_EQ(S[1], 1.5f);
  EXPECT_FLOAT_EQ(S[66], 99.0f);

  TStereoSample32 Src, Dst;
  Src.Init();
  Dst.Init();
  ASSERT_TRUE(Src.Alloc(100));
  ASSERT_TRUE(Dst.Alloc(200));
  Src.Left.SampleRate = 22050;
  for (int I = 0; I < 100; ++I) {
    Src.Left.Data[I] = float(I);
    Src.Right.Data[I] = -float(I);
  }
  ChangeStereoSampleSpeed32(Src, Dst, 2.0f);
  EXPECT_EQ(Dst.Left.Count, 53);
  EXPECT_EQ(Dst.Right.Count, 53);
  EXPECT_EQ(Dst.Left.SampleRate, 22050);
  EXPECT_EQ(Dst.Left.Data[10], 20.0f);
  EXPECT_EQ(Dst.Right.Data[10], -20.0f);
  Src.Dispose();
  Dst.Dispose();
}

}  // namespace

// A record keeps its mode; each channel is what the buffer routine gives.
TEST_F(SampleRate, RecordsAndMultiPartWaves) {
  for (bool Stereo : {false, true}) {
    TWave W;
    InitSampleRecord(W);
    ASSERT_TRUE(W.Alloc(Stereo, 1000));
    for (int I = 0; I < 1000; ++I)
      (Stereo ? W.Stereo.Right : W.Mono).Data[I] = std::sin(0.05f * float(I));
    if (Stereo) W.Stereo.Left.Fill(0.25f);
    W.SetSampleRate(22050);
    TWave Up;
    InitSampleRecord(Up);
    ASSERT_TRUE(W.Resample(Up, 44100));
    EXPECT_EQ(Up.IsStereo, Stereo);
    EXPECT_EQ(Up.Length(), 2001);
    EXPECT_EQ(Up.GetSampleRate(), 44100);
    TOwnedSample Ref(3000, 44100);
    ResampleSample32(Stereo ? W.Stereo.Right : W.Mono, Ref.S);
    const TSample32& Got = Stereo ? Up.Stereo.Right : Up.Mono;
    ASSERT_EQ(Got.Count, Ref.S.Count);
    EXPECT_EQ(std::memcmp(Got.Data, Ref.S.Data, size_t(Got.Count) * 4), 0);
    if (Stereo) EXPECT_EQ(Up.Stereo.Left.Count, 2001);
    Up.Dispose();

    TMultiWave Multi, Dest;
    Multi.Init();
    Dest.Init();
    Multi.Count = 3;
    for (int I = 0; I < 3; ++I) {
      InitSampleRecord(Multi.Parts[size_t(I)]);
      ASSERT_TRUE(Multi.Parts[size_t(I)].CopyRange(W, 0, 500 + 100 * I));
    }
    ASSERT_TRUE(Multi.Resample(Dest, 11025));
    ASSERT_EQ(Dest.Count, 3);
    for (int I = 0; I < 3; ++I) {
      EXPECT_EQ(Dest.Parts[size_t(I)].Length(), (500 + 100 * I) / 2 + 1) << I;
      EXPECT_EQ(Dest.Parts[size_t(I)].GetSampleRate(), 11025);
    }
    // A part without a usable rate stops the work and leaves Dest empty.
    Multi.Parts[1].SetSampleRate(0);
    EXPECT_FALSE(Multi.Resample(Dest, 11025));
    EXPECT_EQ(Dest.Count, 0);
    EXPECT_EQ(Dest.Parts[0].Mono.Data, nullptr);
    EXPECT_EQ(Dest.Parts[0].Stereo.Left.Data, nullptr);
    EXPECT_EQ(Messages().back(), "Source samplerate invalid! No resampling!");
    Multi.Dispose();

    TWave Kept;
    InitSampleRecord(Kept);
    EXPECT_FALSE(W.Resample(Kept, 0));
    EXPECT_EQ(Kept.Length(), 0);
    W.Dispose();
  }
}
