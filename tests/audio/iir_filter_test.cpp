// Biquad designs against the cookbook's analogue prototypes, clamps,
// processing and the comparison with sox's biquads.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <functional>
#include <sstream>

#include "audio/iir_filter.h"
#include "filter_test_support.h"
#include "support/test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

using Cx = std::complex<double>;

TIIRFilter Filter(float Freq, int32_t Rate = 44100) {
  TIIRFilter F;
  F.Init();
  F.Freq = Freq;
  F.SampleRate = Rate;
  F.Stages = 1;
  return F;
}

struct TDesignCase {
  const char* Name;
  TIIRFilterProc Design;
  std::function<void(TIIRFilter&)> Setup;
  // Analogue prototype H(s) for amplitude A and quality Q.
  std::function<Cx(Cx, double, double)> H;
  // Q the prototype takes, from the filter after its design.
  std::function<double(const TIIRFilter&, double)> QOf;
};

Cx PeakH(Cx S, double A, double Q) { return (S * S + S * (A / Q) + 1.0) / (S * S + S / (A * Q) + 1.0); }
Cx HighShelfH(Cx S, double A, double Q) {
  const double R = std::sqrt(A) / Q;
  return A * (A * S * S + R * S + 1.0) / (S * S + R * S + A);
}

double StoredQ(const TIIRFilter& F, double) { return F.Q; }
double ShelfQ(const TIIRFilter& F, double A) {
  return 1 / std::sqrt((A + 1 / A) * (1 / double(F.ShelfSlope) - 1) + 2);
}
double BandwidthQ(const TIIRFilter& F, double) {
  const double W = 2 * M_PI * F.Freq / F.SampleRate;
  return 1 / (2 * std::sinh(std::log(2.0) / 2 * (F.Bandwidth / 64.0) * W / std::sin(W)));
}

// The cookbook's digital filters are its analogue prototypes under the
// bilinear transform: H(z) at f equals H(s) at s = j tan(pi f/fs)/tan(pi f0/fs).
TEST(IIRFilterDesign, RBJMagnitudeMatchesCookbookPrototypes) {
  const Cx J(0, 1);
  const std::vector<TDesignCase> Cases = {
      {"LowPass", &TIIRFilter::InitLowPass, [](TIIRFilter& F) { F.Resonance = 5.6568542f; },
       [](Cx S, double, double Q) { return 1.0 / (S * S + S / Q + 1.0); }, StoredQ},
      {"LowPassResonant", &TIIRFilter::InitLowPass, [](TIIRFilter& F) { F.Resonance = 24; },
       [](Cx S, double, double Q) { return 1.0 / (S * S + S / Q + 1.0); }, StoredQ},
      {"HighPass", &TIIRFilter::InitHighPass, [](TIIRFilter& F) { F.Resonance = 5.6568542f; },
       [](Cx S, double, double Q) { return S * S / (S * S + S / Q + 1.0); }, StoredQ},
      {"BandPass", &TIIRFilter::InitBandPass, [](TIIRFilter& F) { F.Q = 2; },
       [](Cx S, double, double Q) { return (S / Q) / (S * S + S / Q + 1.0); }, StoredQ},
      {"Notch", &TIIRFilter::InitNotch, [](TIIRFilter& F) { F.Q = 1.5f; },
       [](Cx S, double, double Q) { return (S * S + 1.0) / (S * S + S / Q + 1.0); }, StoredQ},
      {"Peak", &TIIRFilter::InitPeak,
       [](TIIRFilter& F) {
         F.Resonance = 8;
         F.GainDB = 9;
       },
       PeakH,
       StoredQ},
      {"PeakQCut", &TIIRFilter::InitPeakQ,
       [](TIIRFilter& F) {
         F.Q = 3;
         F.GainDB = -12;
       },
       PeakH,
       StoredQ},
      {"PeakBW", &TIIRFilter::InitPeakBW,
       [](TIIRFilter& F) {
         F.Bandwidth = 64;
         F.GainDB = 6;
       },
       PeakH,
       BandwidthQ},
      {"LowShelf", &TIIRFilter::InitLowShelf,
       [](TIIRFilter& F) {
         F.ShelfSlope = 1;
         F.GainDB = 10;
       },
       [](Cx S, double A, double Q) {
         const double R = std::sqrt(A) / Q;
         return A * (S * S + R * S + A) / (A * S * S + R * S + 1.0);
       },
       ShelfQ},
      {"HighShelf", &TIIRFilter::InitHighShelf,
       [](TIIRFilter& F) {
         F.ShelfSlope = 0.5f;
         F.GainDB = -8;
       },
       HighShelfH,
       ShelfQ},
      {"HighShelfSteep", &TIIRFilter::InitHighShelf,
       [](TIIRFilter& F) {
         F.ShelfSlope = 3.4f;
         F.GainDB = 6;
       },
       HighShelfH,
       ShelfQ},
  };
  const double Freqs[] = {31, 120, 500, 900, 1250, 2000, 4000, 8000, 12000, 16000, 20000};
  for (const TDesignCase& C : Cases) {
    TIIRFilter F = Filter(1000);
    C.Setup(F);
    (F.*C.Design)();
    const double A = std::pow(10.0, F.GainDB / 40.0);
    const double Q = C.QOf(F, A);
    const double T0 = std::tan(M_PI * F.Freq / F.SampleRate);
    for (double Fr : Freqs) {
      const double Want = 20 * std::log10(std::abs(C.H(J * (std::tan(M_PI * Fr / F.SampleRate) / T0), A, Q)));
      if (Want < -70) continue;  // float coefficients have no 0.01 dB there
      EXPECT_NEAR(CascadeDB(F, Fr), Want, 0.01) << C.Name << " at " << Fr << " Hz";
    }
  }
}

TEST(IIRFilterDesign, ButterworthIsMinus3dBAtCutOffPerStage) {
  for (float Cut : {100.0f, 1000.0f, 5000.0f, 15000.0f})
    for (int32_t Stages : {1, 2, 4, 24}) {
      TIIRFilter Lp = Filter(Cut);
      Lp.Stages = Stages;
      Lp.InitButterworthLowPass();
      TIIRFilter Hp = Lp;
      Hp.InitButterworthHighPass();
      EXPECT_NEAR(CascadeDB(Lp, Cut), -3.0103 * Stages, 0.002 * Stages) << Cut << " x" << Stages;
      EXPECT_NEAR(CascadeDB(Hp, Cut), -3.0103 * Stages, 0.002 * Stages) << Cut << " x" << Stages;
      EXPECT_NEAR(CascadeDB(Lp, Cut / 20), 0, 0.01 * Stages);
      EXPECT_NEAR(CascadeDB(Hp, std::min(Cut * 2.0f, 21000.0f)), 0, 0.6 * Stages);
    }
}

TEST(IIRFilterDesign, ButterworthBandFiltersCentreAndEdges) {
  TIIRFilter Bp = Filter(2000);
  Bp.Bandwidth = 490;  // 500 Hz wide
  Bp.InitButterworthBandPass();
  EXPECT_NEAR(CascadeDB(Bp, 2000), 0, 0.01);
  EXPECT_LT(CascadeDB(Bp, 200), -12);
  TIIRFilter Br = Bp;
  Br.InitButterworthBandReject();
  EXPECT_LT(CascadeDB(Br, 2000), -60);
  EXPECT_NEAR(CascadeDB(Br, 100), 0, 0.05);
}

TEST(IIRFilterDesign, ClampsWriteBackAsSpecified) {
  TIIRFilter F = Filter(30000);
  F.InitLowPass();
  EXPECT_EQ(F.Freq, 30000);  // ratio lowered to 0.49 only inside
  const double Cos = std::cos(2 * M_PI * 0.49);
  EXPECT_NEAR(F.A1, -2 * Cos / (1 + std::sin(2 * M_PI * 0.49) / (2 * F.Q)), 1e-5);
  F = Filter(30000);
  F.InitHighPass();
  EXPECT_EQ(F.Freq, 20000);
  F = Filter(30000);
  F.InitButterworthLowPass();
  EXPECT_EQ(F.Freq, 20000);
  F = Filter(15000, 22050);
  F.InitButterworthLowPass();
  EXPECT_EQ(F.Freq, 11024.0f);
  F = Filter(100);
  F.Bandwidth = 200;
  F.InitPeakBW();
  EXPECT_EQ(F.Bandwidth, 110);
  F = Filter(-5);
  F.Q = 1;
  F.InitNotch();
  EXPECT_EQ(F.Freq, 0.1f);
  F = Filter(30000);
  F.InitLowShelf();
  EXPECT_EQ(F.Freq, 22049);
}

TEST(IIRFilterProcess, BypassReturnsInputWhateverTheStages) {
  for (int32_t Stages : {0, 1, 7, 24, 100}) {
    TIIRFilter F = Filter(1000);
    F.Stages = Stages;
    F.InitBypass();
    EXPECT_TRUE(F.IsIdentity());
    TOwnedSample S(300);
    FillWhiteNoise(S.S);
    TOwnedSample Ref(300);
    S.S.CopyTo(Ref.S);
    F.Buffer = S.S;
    IIRProcessBuf(F);
    EXPECT_EQ(std::memcmp(S.S.Data, Ref.S.Data, 300 * 4), 0) << Stages;
  }
}

// Stages beyond the 24 histories run as 24 instead of writing past them.
TEST(IIRFilterProcess, StagesAboveTwentyFourRunAsTwentyFour) {
  TIIRFilter A = Filter(3000);
  A.Stages = 24;
  A.InitButterworthLowPass();
  TIIRFilter B = A;
  B.Stages = 200;
  for (int I = 0; I < 100; ++I) {
    const float X = (I % 7) * 0.1f - 0.3f;
    ASSERT_EQ(IIRProcessSample(A, X), IIRProcessSample(B, X));
  }
  B.FlushDenormals();
}

TEST(IIRFilterProcess, ConsecutiveBuffersJoinAndSkipFeedsState) {
  TOwnedSample Whole(1000), Parts(1000);
  FillWhiteNoise(Whole.S, 3);
  Whole.S.CopyTo(Parts.S);
  TIIRFilter F = Filter(2000);
  F.Stages = 3;
  F.InitLowPass();
  TIIRFilter G = F;
  F.Buffer = Whole.S;
  IIRProcessBuf(F);
  TSample32::AssignRange(G.Buffer, Parts.S, 0, 400);
  IIRProcessBuf(G);
  TSample32::AssignRange(G.Buffer, Parts.S, 400, 1000);
  IIRProcessBuf(G);
  EXPECT_EQ(std::memcmp(Whole.S.Data, Parts.S.Data, 4000), 0);

  // Skip 100 over a 60-sample buffer: unchanged, state moved, 40 left.
  TIIRFilter H = Filter(2000);
  H.InitLowPass();
  H.SkipCount = 100;
  TOwnedSample Short(60, 44100, 0.5f);
  IIRProcessBufSkip(H, Short.S);
  EXPECT_EQ(H.SkipCount, 40);
  for (int I = 0; I < 60; ++I) EXPECT_EQ(Short[I], 0.5f);
  EXPECT_NE(H.YHist[0], 0.0f);
  TOwnedSample Next(60, 44100, 0.5f);
  IIRProcessBufSkip(H, Next.S);
  EXPECT_EQ(H.SkipCount, 0);
  EXPECT_EQ(Next[39], 0.5f);
  EXPECT_NE(Next[40], 0.5f);
}

TEST(IIRFilterProcess, FlushDenormalsAndStereoCopy) {
  TIIRFilter F = Filter(1000);
  F.XHist[0] = 5e-7f;
  F.XHist[1] = 2e-6f;
  F.FlushDenormals();
  EXPECT_EQ(F.XHist[0], 0.0f);
  EXPECT_EQ(F.XHist[1], 2e-6f);

  TIIRStereoFilter S;
  S.Left = S.Right = Filter(500);
  S.SetStages(2);
  S.InitButterworthHighPass();
  EXPECT_EQ(S.Right.B0, S.Left.B0);
  EXPECT_EQ(S.Right.A2, S.Left.A2);
  TOwnedSample L(200), R(200);
  FillWhiteNoise(L.S, 5);
  L.S.CopyTo(R.S);
  S.Left.Buffer = L.S;
  S.Right.Buffer = R.S;
  ProcIIRProcessBufStereo(S);
  EXPECT_EQ(std::memcmp(L.S.Data, R.S.Data, 800), 0);
}

class IIRFilterFaults : public TCaptureTest {};

// S <= 0 used to go on with NaN coefficients; it is raised to 0.01 now.
TEST_F(IIRFilterFaults, HighShelfWithoutSlopeStaysFinite) {
  TIIRFilter F = Filter(1000);
  F.GainDB = 6;
  F.ShelfSlope = 0;
  F.InitHighShelf();
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0], "Error in TIIRFilter.InitHighShelf - S<=0");
  EXPECT_EQ(F.ShelfSlope, 0.01f);
  EXPECT_TRUE(std::isfinite(F.B0) && std::isfinite(F.A1) && std::isfinite(F.A2));
  EXPECT_NEAR(CascadeDB(F, 20000), 6, 0.5);
}

// Steep slopes with large gains and degenerate parameters: every design
// gives finite coefficients and a finite, bounded output for full-scale
// noise.
TEST_F(IIRFilterFaults, EveryDesignStaysFiniteAtItsEdges) {
  const TIIRFilterProc Designs[] = {
      &TIIRFilter::InitLowPass, &TIIRFilter::InitHighPass, &TIIRFilter::InitBandPass,
      &TIIRFilter::InitNotch, &TIIRFilter::InitPeak, &TIIRFilter::InitPeakQ, &TIIRFilter::InitPeakBW,
      &TIIRFilter::InitLowShelf, &TIIRFilter::InitHighShelf, &TIIRFilter::InitToneHighShelf,
      &TIIRFilter::InitToneLowShelf, &TIIRFilter::InitButterworthLowPass,
      &TIIRFilter::InitButterworthHighPass, &TIIRFilter::InitButterworthBandPass,
      &TIIRFilter::InitButterworthBandReject, &TIIRFilter::InitResonantLowPass};
  struct TEdge {
    float Freq, Gain, Slope, Res, Q, Bw;
    int32_t Rate;
  };
  const TEdge Edges[] = {{1000, 40, 3.4f, 8, 1, 100, 44100},     {1000, -40, 3.4f, 8, 1, 100, 44100},
                         {50, 24, 10, 0, 0, 0, 44100},           {21000, -24, -1, 80, 0.01f, 5000, 44100},
                         {1000, 6, 1, 8, 1, 100, 0},             {-100, 0, 0, -1, -1, -200, 8000}};
  TOwnedSample Noise(44100);
  for (const TEdge& E : Edges)
    for (size_t K = 0; K < std::size(Designs); ++K) {
      const TIIRFilterProc D = Designs[K];
      TIIRFilter F = Filter(E.Freq, E.Rate);
      F.GainDB = E.Gain;
      F.ShelfSlope = E.Slope;
      F.Resonance = E.Res;
      F.Q = E.Q;
      F.Bandwidth = E.Bw;
      (F.*D)();
      FillWhiteNoise(Noise.S, 11);
      F.Buffer = Noise.S;
      IIRProcessBuf(F);
      EXPECT_LT(PeakOrInf(Noise.S), 1000.0f) << E.Freq << " " << E.Gain << " " << E.Rate << " design " << K;
    }
}

// Our RBJ low- and high-pass of the same input against sox's biquads
// (sox lowpass/highpass, two poles, Q 0.7071, double precision).
TEST(IIRFilterSox, LowAndHighPassMatchSox) {
  if (!ProgramAvailable("sox")) GTEST_SKIP() << "sox not installed";
  TTestTempDir Dir;
  const int N = 22050;
  TOwnedSample In(N);
  for (int I = 0; I < N; ++I)
    In[I] = float(0.4 * std::sin(2 * M_PI * 440 * I / 44100.0) + 0.4 * std::sin(2 * M_PI * 7000 * I / 44100.0));
  std::vector<uint8_t> Bytes(N * 4);
  std::memcpy(Bytes.data(), In.S.Data, Bytes.size());
  WriteBytes(Dir.File("in.f32"), Bytes);
  const std::vector<std::string> Raw = {"-t", "raw", "-r", "44100", "-e", "floating-point", "-b", "32", "-c", "1"};
  struct TCase {
    const char* Effect;
    TIIRFilterProc Design;
  };
  for (const TCase& C : {TCase{"lowpass", &TIIRFilter::InitLowPass}, TCase{"highpass", &TIIRFilter::InitHighPass},
                         TCase{"lowpass", &TIIRFilter::InitButterworthLowPass},
                         TCase{"highpass", &TIIRFilter::InitButterworthHighPass}}) {
    std::vector<std::string> Args = {"sox", "-D", "-V1"};
    Args.insert(Args.end(), Raw.begin(), Raw.end());
    Args.push_back(Dir.File("in.f32"));
    Args.insert(Args.end(), Raw.begin(), Raw.end());
    Args.insert(Args.end(), {Dir.File("out.f32"), C.Effect, "2000"});
    ASSERT_EQ(RunProgram(Args, Dir.File("log.txt"), false), 0) << ReadText(Dir.File("log.txt"));
    const std::vector<uint8_t> Out = ReadBytes(Dir.File("out.f32"));
    ASSERT_EQ(Out.size(), Bytes.size());
    std::vector<float> Sox(N);
    std::memcpy(Sox.data(), Out.data(), Out.size());

    TOwnedSample Ours(N);
    In.S.CopyTo(Ours.S);
    TIIRFilter F = Filter(2000);
    F.Resonance = 5.6568542f;
    (F.*C.Design)();
    F.Buffer = Ours.S;
    IIRProcessBuf(F);
    double Worst = 0;
    for (int I = 0; I < N; ++I) Worst = std::max(Worst, std::fabs(double(Ours[I]) - Sox[I]));
    // Measured: at most 6.3e-7 (our float arithmetic against sox's double).
    EXPECT_LT(Worst, 1e-5) << C.Effect;
    std::ostringstream Text;
    Text << std::scientific << Worst;
    RecordProperty(std::string(C.Effect) + (C.Design == &TIIRFilter::InitLowPass || C.Design == &TIIRFilter::InitHighPass ? "_rbj" : "_butterworth"), Text.str());
  }
}

}  // namespace
