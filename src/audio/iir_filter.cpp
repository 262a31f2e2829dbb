#include "audio/iir_filter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include "foundation/error_sink.h"

namespace kromel {

int32_t MaxFilterFreq = 20000;
ProcIIRProcessBufStereoType ProcIIRProcessBufStereo = &IIRProcessBufStereo;

namespace {

constexpr long double TwoPiL = 2.0L * std::numbers::pi_v<long double>;
constexpr double Sqrt2 = std::numbers::sqrt2;
// Shelves are kept below this Q so that steep slopes with large steps stay
// real and their poles inside the unit circle.
constexpr double ShelfMaxQ = 4.0;

void MaxClamp(float& Freq) {
  if (Freq >= float(MaxFilterFreq)) Freq = float(MaxFilterFreq);
}
void LowFloor(float& Freq) {
  if (Freq < 0.1f) Freq = 0.1f;
}
void NyquistClamp(float& Freq, int32_t Fs) {
  if (Freq >= float(Fs / 2)) Freq = float(Fs / 2 - 1);
}

struct TTrig {
  float Sin, Cos;
};
TTrig SinCos(long double W) { return {float(std::sin(W)), float(std::cos(W))}; }

// Denominator shared by the RBJ low-, high-, band-pass and notch.
void SetRBJDenominator(TIIRCoeffs& C, double Alpha, float Cos) {
  C.A0 = float(1 + Alpha);
  C.A1 = float(-2.0 * Cos);
  C.A2 = float(1 - Alpha);
}

// Alpha of the RBJ designs; a Q at or below 0 (or NaN) would put the poles
// outside the unit circle, so it counts as 0.001.
double RBJAlpha(float Sin, float Q) { return Sin / (2.0 * (Q > 0.001f ? double(Q) : 0.001)); }

// Band edge of the Butterworth band filters, kept between 1 Hz and 0.49 fs.
double BandWidthHz(float Bandwidth, int32_t Fs) {
  const double W = double(Bandwidth) + 10.0;
  return std::clamp(W > 1.0 ? W : 1.0, 1.0, std::max(0.49 * Fs, 1.0));
}

}  // namespace

void TIIRCoeffs::SetIdentity() {
  A0 = 1;
  A1 = A2 = 0;
  B0 = 1;
  B1 = B2 = 0;
  Valid = 1;
}

void TIIRFilter::Init() {
  Coeffs.A0 = 1;
  Coeffs.A1 = Coeffs.A2 = 0;
  Coeffs.B0 = 1;
  Coeffs.B1 = Coeffs.B2 = 0;
  B0 = 1;
  NegA1 = NegA2 = B1 = B2 = A1 = A2 = 0;
}

// Coefficients that are not finite (a zero rate, Q or A0) fall back to a
// pass-through, so no design can make the output non-finite.
void TIIRFilter::Normalize() {
  const float N = Coeffs.A0;
  B0 = Coeffs.B0 / N;
  B1 = Coeffs.B1 / N;
  B2 = Coeffs.B2 / N;
  A1 = Coeffs.A1 / N;
  A2 = Coeffs.A2 / N;
  NegA1 = -A1;
  NegA2 = -A2;
  for (float V : {B0, B1, B2, A1, A2})
    if (!std::isfinite(V)) {
      B0 = 1;
      NegA1 = NegA2 = B1 = B2 = A1 = A2 = 0;
      return;
    }
}

void TIIRFilter::AddDirect() {
  const float G = DirectLevel * 0.0009765625f * 0.0625f;
  B0 += G;
  B1 += G * A1;
  B2 += G * A2;
}

void TIIRFilter::ScaleNumerator(float F) {
  B0 *= F;
  B1 *= F;
  B2 *= F;
}

bool TIIRFilter::IsIdentity() const {
  return B0 == 1 && B1 == 0 && B2 == 0 && A1 == 0 && A2 == 0 && NegA1 == 0 && NegA2 == 0;
}

void TIIRFilter::CopyWorkingCoeffs(TIIRFilter& Dest) const {
  Dest.B0 = B0;
  Dest.NegA1 = NegA1;
  Dest.NegA2 = NegA2;
  Dest.B1 = B1;
  Dest.B2 = B2;
  Dest.A1 = A1;
  Dest.A2 = A2;
}

int32_t TIIRFilter::ActiveStages() const { return std::clamp(Stages, 0, IIRMaxStages); }

void TIIRFilter::ClearStates() {
  XHist.fill(0);
  YHist.fill(0);
  VecState.fill(0);
}

void TIIRFilter::Reset() {
  SkipCount = 0;
  ClearStates();
}

void TIIRFilter::ClearHistory() {
  ClearStates();
  SmoothedFreq = 100.0f;
}

void TIIRFilter::ResetIfNaN() {
  if (std::isnan(YHist[0]) || std::isnan(YHist[1])) ClearStates();
}

namespace {
bool TinyBits(float V) { return (std::bit_cast<uint32_t>(V) & 0x7F000000u) < 0x2D000000u; }
bool Tiny(float V) { return V > -1e-6f && V < 1e-6f; }
}  // namespace

void TIIRFilter::FlushDenormals() {
  const int32_t N = ActiveStages();
  for (int32_t I = 0; I < 4 * N; ++I)
    if (TinyBits(VecState[I])) VecState[I] = 0;
  for (int32_t I = 0; I < 2 * N; ++I) {
    if (Tiny(YHist[I])) YHist[I] = 0;
    if (Tiny(XHist[I])) XHist[I] = 0;
  }
}

void TIIRFilter::DampIfUnstable() {
  const float V = A2 * YHist[1] + A1 * YHist[0];
  if (V * V > 1) {
    YHist[0] *= 0.998f;
    YHist[1] *= 0.998f;
  }
}

void TIIRFilter::FillHistory(float V) {
  std::fill_n(XHist.begin(), 24, V);
  std::fill_n(YHist.begin(), 24, V);
}

void TIIRFilter::InitLowPass() {
  float Ratio = Freq / float(SampleRate);
  if (Ratio >= 0.49f) Ratio = 0.49f;
  if (!(Ratio >= 0.1f / float(SampleRate))) Ratio = 0.1f / float(SampleRate);  // negative or NaN
  Q = Resonance * 0.125f;
  const TTrig T = SinCos(TwoPiL * Ratio);
  const double Alpha = RBJAlpha(T.Sin, Q);
  Coeffs.B0 = float((1 - T.Cos) / 2.0);
  Coeffs.B1 = float(1 - T.Cos);
  Coeffs.B2 = Coeffs.B0;
  SetRBJDenominator(Coeffs, Alpha, T.Cos);
  Normalize();
}

void TIIRFilter::InitHighPass() {
  MaxClamp(Freq);
  if (Freq < 1.0f) Freq = 1.0f;
  Q = Resonance * 0.125f;
  const TTrig T = SinCos(TwoPiL * Freq / SampleRate);
  const double Alpha = RBJAlpha(T.Sin, Q);
  Coeffs.B0 = float((1 + T.Cos) / 2.0);
  Coeffs.B1 = float(-(1.0 + T.Cos));
  Coeffs.B2 = Coeffs.B0;
  SetRBJDenominator(Coeffs, Alpha, T.Cos);
  Normalize();
}

void TIIRFilter::InitBandPass() {
  MaxClamp(Freq);
  if (Freq >= 0.49f * float(SampleRate)) Freq = 0.49f * float(SampleRate);
  LowFloor(Freq);
  const TTrig T = SinCos(TwoPiL * Freq / SampleRate);
  const double Alpha = RBJAlpha(T.Sin, Q);
  Coeffs.B0 = float(Alpha);
  Coeffs.B1 = 0;
  Coeffs.B2 = float(-Alpha);
  SetRBJDenominator(Coeffs, Alpha, T.Cos);
  Normalize();
}

void TIIRFilter::InitNotch() {
  MaxClamp(Freq);
  LowFloor(Freq);
  const TTrig T = SinCos(TwoPiL * Freq / SampleRate);
  const double Alpha = RBJAlpha(T.Sin, Q);
  Coeffs.B0 = 1;
  Coeffs.B1 = float(-2.0 * T.Cos);
  Coeffs.B2 = 1;
  SetRBJDenominator(Coeffs, Alpha, T.Cos);
  Normalize();
}

// Peaking section at angle W with Alpha already folded in by the caller
// through Q (or given directly by InitPeakBW).
void TIIRFilter::DesignPeak(double Alpha) {
  const TTrig T = SinCos(TwoPiL * Freq / SampleRate);
  const double A = std::pow(10.0, GainDB / 40.0);
  Coeffs.B0 = float(1 + Alpha * A);
  Coeffs.B1 = float(-2.0 * T.Cos);
  Coeffs.B2 = float(1 - Alpha * A);
  Coeffs.A0 = float(1 + Alpha / A);
  Coeffs.A1 = float(-2.0 * T.Cos);
  Coeffs.A2 = float(1 - Alpha / A);
  Normalize();
}

void TIIRFilter::InitPeak() {
  MaxClamp(Freq);
  LowFloor(Freq);
  Q = Resonance * 0.125f;
  DesignPeak(RBJAlpha(SinCos(TwoPiL * Freq / SampleRate).Sin, Q));
}

void TIIRFilter::InitPeakQ() {
  MaxClamp(Freq);
  LowFloor(Freq);
  DesignPeak(RBJAlpha(SinCos(TwoPiL * Freq / SampleRate).Sin, Q));
}

void TIIRFilter::InitPeakBW() {
  MaxClamp(Freq);
  LowFloor(Freq);
  const float Fs = float(SampleRate);
  if (Freq + Bandwidth >= Fs / 2.1f) Bandwidth = Fs / 2.1f - 1 - Freq;
  if (Freq - Bandwidth < 10) Bandwidth = Freq + 10;
  const long double W = TwoPiL * Freq / SampleRate;
  const TTrig T = SinCos(W);
  // Below 1/64 octave (or negative) the section would turn unstable.
  const double Octaves = (Bandwidth >= 1 ? Bandwidth : 1.0) / 64.0;
  DesignPeak(T.Sin * std::sinh(std::numbers::ln2 / 2 * Octaves * double(W) / T.Sin));
}

// RBJ shelf at angle W and amplitude A. The slope is used as stored unless
// (A²+1)/S - (A-1)² would fall below A/ShelfMaxQ² (no real solution, or a
// section on the edge of stability); then the largest slope within that
// bound is used for this design only.
void TIIRFilter::DesignShelf(double W, double A, bool High) {
  const TTrig T = SinCos(W);
  const double S = ShelfSlope;
  double K = (A * A + 1) / S - (A - 1) * (A - 1);
  const double KMin = A / (ShelfMaxQ * ShelfMaxQ);
  if (!(K >= KMin)) K = KMin;
  const double Beta = std::sqrt(K) * T.Sin;
  const double C = T.Cos;
  if (High) {
    Coeffs.B0 = float(A * ((A + 1) + (A - 1) * C + Beta));
    Coeffs.B1 = float(-2 * A * ((A - 1) + (A + 1) * C));
    Coeffs.B2 = float(A * ((A + 1) + (A - 1) * C - Beta));
    Coeffs.A0 = float((A + 1) - (A - 1) * C + Beta);
    Coeffs.A1 = float(2 * ((A - 1) - (A + 1) * C));
    Coeffs.A2 = float((A + 1) - (A - 1) * C - Beta);
  } else {
    Coeffs.B0 = float(A * ((A + 1) - (A - 1) * C + Beta));
    Coeffs.B1 = float(2 * A * ((A - 1) - (A + 1) * C));
    Coeffs.B2 = float(A * ((A + 1) - (A - 1) * C - Beta));
    Coeffs.A0 = float((A + 1) + (A - 1) * C + Beta);
    Coeffs.A1 = float(-2 * ((A - 1) + (A + 1) * C));
    Coeffs.A2 = float((A + 1) + (A - 1) * C - Beta);
  }
  Normalize();
}

void TIIRFilter::InitLowShelf() {
  if (ShelfSlope < 0.01f) ShelfSlope = 0.01f;
  NyquistClamp(Freq, SampleRate);
  LowFloor(Freq);
  DesignShelf(double(TwoPiL * Freq / SampleRate), std::pow(10.0, GainDB / 40.0), false);
}

void TIIRFilter::InitHighShelf() {
  NyquistClamp(Freq, SampleRate);
  LowFloor(Freq);
  if (ShelfSlope <= 0) ErrorMessageProc("Error in TIIRFilter.InitHighShelf - S<=0");
  if (!(ShelfSlope >= 0.01f)) ShelfSlope = 0.01f;
  DesignShelf(double(TwoPiL * Freq / SampleRate), std::pow(10.0, GainDB / 40.0), true);
}

namespace {
// Corner of the tone shelves as a fraction of the rate, 1 Hz up to 0.49
// (a corner past Nyquist would make the low shelf unstable).
double ToneCorner(float Bandwidth, int32_t Fs) {
  const double C = (double(Bandwidth) * 8 + 100) / Fs;
  if (C > 0.49) return 0.49;
  return C >= 1.0 / Fs ? C : 1.0 / Fs;
}
}  // namespace

void TIIRFilter::InitToneHighShelf() {
  NyquistClamp(Freq, SampleRate);
  LowFloor(Freq);
  ShelfSlope = 0.5f;
  const double Gain = (Freq / (SampleRate * 0.5) - 1) * 48;
  DesignShelf(double(TwoPiL * ToneCorner(Bandwidth, SampleRate)), std::pow(10.0, Gain / 40), true);
}

void TIIRFilter::InitToneLowShelf() {
  NyquistClamp(Freq, SampleRate);
  LowFloor(Freq);
  ShelfSlope = 0.5f;
  const double Gain = -(Freq / (SampleRate * 0.5)) * 48;
  DesignShelf(double(TwoPiL * ToneCorner(Bandwidth, SampleRate)), std::pow(10.0, Gain / 40), false);
}

namespace {
void ButterworthClamps(float& Freq, int32_t Fs) {
  MaxClamp(Freq);
  if (Freq >= Fs * 0.5f) Freq = Fs * 0.5f - 1;
  LowFloor(Freq);
}
}  // namespace

void TIIRFilter::InitButterworthLowPass() {
  ButterworthClamps(Freq, SampleRate);
  const double C = 1.0 / std::tan(std::numbers::pi * Freq / SampleRate);
  const double K = 1.0 / (1 + Sqrt2 * C + C * C);
  Coeffs.B0 = float(K);
  Coeffs.B1 = float(2 * K);
  Coeffs.B2 = float(K);
  Coeffs.A0 = 1;
  Coeffs.A1 = float(2 * K * (1 - C * C));
  Coeffs.A2 = float(K * (1 - Sqrt2 * C + C * C));
  Normalize();
}

void TIIRFilter::InitButterworthHighPass() {
  ButterworthClamps(Freq, SampleRate);
  const double C = std::tan(std::numbers::pi * Freq / SampleRate);
  const double K = 1.0 / (1 + Sqrt2 * C + C * C);
  Coeffs.B0 = float(K);
  Coeffs.B1 = float(-2 * K);
  Coeffs.B2 = float(K);
  Coeffs.A0 = 1;
  Coeffs.A1 = float(2 * K * (C * C - 1));
  Coeffs.A2 = float(K * (1 - Sqrt2 * C + C * C));
  Normalize();
}

void TIIRFilter::InitButterworthBandPass() {
  MaxClamp(Freq);
  LowFloor(Freq);
  const double C = 1.0 / std::tan(std::numbers::pi * BandWidthHz(Bandwidth, SampleRate) / SampleRate);
  const double D = 2 * std::cos(2 * std::numbers::pi * Freq / SampleRate);
  const double K = 1.0 / (1 + C);
  Coeffs.B0 = float(K);
  Coeffs.B1 = 0;
  Coeffs.B2 = float(-K);
  Coeffs.A0 = 1;
  Coeffs.A1 = float(-C * D * K);
  Coeffs.A2 = float((C - 1) * K);
  Normalize();
}

void TIIRFilter::InitButterworthBandReject() {
  MaxClamp(Freq);
  LowFloor(Freq);
  const double C = std::tan(std::numbers::pi * BandWidthHz(Bandwidth, SampleRate) / SampleRate);
  const double D = 2 * std::cos(2 * std::numbers::pi * Freq / SampleRate);
  const double K = 1.0 / (1 + C);
  Coeffs.B0 = float(K);
  Coeffs.B1 = float(-D * K);
  Coeffs.B2 = float(K);
  Coeffs.A0 = 1;
  Coeffs.A1 = float(-D * K);
  Coeffs.A2 = float((1 - C) * K);
  Normalize();
}

void TIIRFilter::InitResonantLowPass() {
  if (Resonance < 0.1f) {
    InitBypass();
    return;
  }
  MaxClamp(Freq);
  LowFloor(Freq);
  const double F = double(Freq) / SampleRate;
  const double K = (1 - 1 / (Freq / 1000.0 + 2)) * (Resonance / 9.0);
  const double D = -(std::numbers::pi * F) / K;
  const double R = std::exp(D);
  const double C = 2 * R * std::cos(2 * std::numbers::pi * F);
  const double Q2 = std::exp(2 * D);
  if (!std::isfinite(C) || !std::isfinite(Q2)) {
    InitBypass();
    return;
  }
  B0 = float(1 - C + Q2);
  B1 = B2 = 0;
  A1 = float(-C);
  A2 = float(Q2);
  NegA1 = float(C);
  NegA2 = float(-Q2);
}

void TIIRFilter::InitBypass() {
  Coeffs.SetIdentity();
  Normalize();
}

void TIIRFilter::SetPeak(float AFreq, float AGainDB, float AQ) {
  Freq = AFreq;
  GainDB = AGainDB;
  Q = AQ;
  InitPeakQ();
}

// Stereo filter: setters write both channels, designs run on Left.

void TIIRStereoFilter::SetModSource(TSample32* Source) { Left.ModSource = Right.ModSource = Source; }
void TIIRStereoFilter::SetFreq(float V) { Left.Freq = Right.Freq = V; }
void TIIRStereoFilter::SetResonance(float V) { Left.Resonance = Right.Resonance = V; }
void TIIRStereoFilter::SetBandwidth(float V) { Left.Bandwidth = Right.Bandwidth = V; }
void TIIRStereoFilter::SetStages(int32_t V) { Left.Stages = Right.Stages = V; }
void TIIRStereoFilter::SetShelfSlope(float V) { Left.ShelfSlope = Right.ShelfSlope = V; }
void TIIRStereoFilter::SetSampleRate(int32_t V) { Left.SampleRate = Right.SampleRate = V; }
void TIIRStereoFilter::SetGainDB(float V) { Left.GainDB = Right.GainDB = V; }
void TIIRStereoFilter::SetQ(float V) { Left.Q = Right.Q = V; }

void TIIRStereoFilter::InitBypass() {
  for (TIIRFilter* F : {&Left, &Right}) {
    F->Stages = 1;
    F->Coeffs.SetIdentity();
    F->Normalize();
  }
}

void TIIRStereoFilter::ClearHistory() {
  for (TIIRFilter* F : {&Left, &Right}) {
    F->XHist.fill(0);
    F->YHist.fill(0);
    F->VecState.fill(0);
  }
}

void TIIRStereoFilter::FlushDenormals() {
  const int32_t N = Left.ActiveStages();
  for (TIIRFilter* F : {&Left, &Right}) {
    for (int32_t I = 0; I < 4 * N; ++I)
      if (TinyBits(F->VecState[I])) F->VecState[I] = 0;
    for (int32_t I = 0; I < 2 * N; ++I) {
      if (TinyBits(F->YHist[I])) F->YHist[I] = 0;
      if (TinyBits(F->XHist[I])) F->XHist[I] = 0;
    }
  }
}

void TIIRStereoFilter::SyncRight() {
  Left.CopyWorkingCoeffs(Right);
  Right.Stages = Left.Stages;
}

#define KROMEL_STEREO_DESIGN(Name) \
  void TIIRStereoFilter::Name() {  \
    Left.Name();                   \
    Left.CopyWorkingCoeffs(Right); \
  }
KROMEL_STEREO_DESIGN(InitButterworthLowPass)
KROMEL_STEREO_DESIGN(InitButterworthHighPass)
KROMEL_STEREO_DESIGN(InitHighPass)
KROMEL_STEREO_DESIGN(InitNotch)
KROMEL_STEREO_DESIGN(InitPeakQ)
KROMEL_STEREO_DESIGN(InitLowPass)
KROMEL_STEREO_DESIGN(InitHighShelf)
KROMEL_STEREO_DESIGN(InitLowShelf)
#undef KROMEL_STEREO_DESIGN

// Processing.

float IIRProcessSample(TIIRFilter& F, float X) {
  const int32_t N = F.ActiveStages();
  for (int32_t S = 0; S < N; ++S) {
    float& X1 = F.XHist[2 * S];
    float& X2 = F.XHist[2 * S + 1];
    float& Y1 = F.YHist[2 * S];
    float& Y2 = F.YHist[2 * S + 1];
    const float Y = ((F.B1 * X1 + F.B0 * X) + F.B2 * X2) - F.A1 * Y1 - F.A2 * Y2;
    X2 = X1;
    X1 = X;
    Y2 = Y1;
    Y1 = Y;
    X = Y;
  }
  return X;
}

void IIRProcessBuf(TIIRFilter& F) {
  if (F.Buffer.Data == nullptr) return;
  for (int64_t I = 0; I < F.Buffer.Count; ++I) F.Buffer.Data[I] = IIRProcessSample(F, F.Buffer.Data[I]);
}

void IIRProcessBufZeroPhase(TIIRFilter& F) {
  IIRProcessBuf(F);
  F.Buffer.Reverse();
  IIRProcessBuf(F);
  F.Buffer.Reverse();
}

void IIRProcessBufSkip(TIIRFilter& F, TSample32& Sample) {
  if (F.SkipCount < 1) {
    TSample32::AssignRange(F.Buffer, Sample, 0, Sample.Count);
    IIRProcessBuf(F);
    return;
  }
  const int64_t N = Sample.Data != nullptr ? std::clamp<int64_t>(F.SkipCount, 0, Sample.Count) : 0;
  for (int64_t I = 0; I < N; ++I) IIRProcessSample(F, Sample.Data[I]);
  F.SkipCount -= int32_t(N);
  TSample32::AssignRange(F.Buffer, Sample, N, Sample.Count);
  if (F.Buffer.Data == nullptr) return;
  IIRProcessBuf(F);
}

void IIRProcessBufStereo(TIIRStereoFilter& S) {
  S.SyncRight();
  IIRProcessBuf(S.Left);
  if (S.Right.Buffer.HoldsData()) IIRProcessBuf(S.Right);
}

void IIRProcessBufStereoSkip(TIIRStereoFilter& S, TStereoSample32& Sample) {
  S.SyncRight();
  const bool HasRight = Sample.Right.HoldsData();
  int64_t N = 0;
  if (S.Left.SkipCount >= 1 && Sample.Left.HoldsData()) {
    N = std::min<int64_t>(S.Left.SkipCount, Sample.Length());
    if (HasRight) N = std::min(N, Sample.Right.Count);
    for (int64_t I = 0; I < N; ++I) {
      IIRProcessSample(S.Left, Sample.Left.Data[I]);
      if (HasRight) IIRProcessSample(S.Right, Sample.Right.Data[I]);
    }
    S.Left.SkipCount -= int32_t(N);
  }
  TStereoSample32 View;
  View.AssignRange(Sample, int32_t(N), Sample.Length());
  S.Left.Buffer = View.Left;
  S.Right.Buffer = View.Right;
  IIRProcessBuf(S.Left);
  if (HasRight) IIRProcessBuf(S.Right);
}

void IIRProcessBufStereoSSE2(TIIRStereoFilter&) {
  ErrorMessageProc("IIRProcessBufStereoSSE2 not implemented");
}
void IIRProcessBufStereoSSE3(TIIRStereoFilter&) {
  ErrorMessageProc("IIRProcessBufStereoSSE3 not implemented");
}
void IIRProcessBufTo(TIIRFilter&, TSample32&) { ErrorMessageProc("IIRProcessBufTo not implemented"); }
void IIRProcessBufPeak(TIIRFilter&) { ErrorMessageProc("IIRProcessBufPeak not implemented"); }
void IIRProcessBufValve(TIIRFilter&) { ErrorMessageProc("IIRProcessBufValve not implemented"); }

void IIRProcessBufStereoTo(TIIRStereoFilter& S, TStereoSample32& Dest) {
  S.SyncRight();
  IIRProcessBufTo(S.Left, Dest.Left);
  if (S.Right.Buffer.HoldsData()) IIRProcessBufTo(S.Right, Dest.Right);
}

void IIRProcessBufStereoValve(TIIRStereoFilter& S) {
  S.SyncRight();
  IIRProcessBufValve(S.Left);
  if (S.Right.Buffer.HoldsData()) IIRProcessBufValve(S.Right);
}

void IIRTabledFilter() { throw std::runtime_error("Tabled IIR"); }

}  // namespace kromel
