#include "audio/sample_filters.h"

#include <cmath>
#include <string>

#include "audio/distortion.h"
#include "audio/iir_filter.h"
#include "audio/iir_modulated.h"
#include "audio/sample_files.h"
#include "audio/sample_levels.h"
#include "audio/sample_rate.h"
#include "audio/work_sample.h"
#include "images/sample_ops.h"
#include "platform/folders.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

// One section at the sample's rate over the sample, history cleared.
TIIRFilter FilterOver(const TSample32& S, float Freq) {
  TIIRFilter F;
  F.Stages = 1;
  F.SampleRate = S.SampleRate;
  F.Buffer = S;
  F.Freq = Freq;
  F.Reset();
  return F;
}

bool Usable(const TSample32& S) { return S.Data != nullptr && S.SampleRate > 0; }

void AddResponse(const TIIRFilter& F, TSample32* Response) {
  if (Response != nullptr && Response->Data != nullptr) IIRApplyResponseLog(F, *Response);
}

// Design, one forward pass, response.
void OnePass(TSample32& S, float Freq, TIIRFilterProc Design, TSample32* Response, float Q = 0.7071068f) {
  if (!Usable(S)) return;
  TIIRFilter F = FilterOver(S, Freq);
  F.Q = Q;
  (F.*Design)();
  IIRProcessBuf(F);
  AddResponse(F, Response);
}

// Design, forward pass, history cleared, backward pass.
void ZeroPhasePass(TSample32& S, float Freq, TIIRFilterProc Design, TSample32* Response, float Q) {
  if (!Usable(S)) return;
  TIIRFilter F = FilterOver(S, Freq);
  F.Q = Q;
  (F.*Design)();
  IIRProcessBuf(F);
  F.Reset();
  S.Reverse();
  IIRProcessBuf(F);
  S.Reverse();
  AddResponse(F, Response);
}

// Zero-phase with the history carried on.
void CarriedZeroPhase(TSample32& S, float Freq, TIIRFilterProc Design, float Q) {
  TIIRFilter F = FilterOver(S, Freq);
  F.Q = Q;
  (F.*Design)();
  IIRProcessBufZeroPhase(F);
}

bool NotchAllowed(const TSample32& S, float Frequency) {
  return Usable(S) && !(Frequency > 0.45f * float(S.SampleRate));
}

void Equalise(TSample32& S, TSample32* Response, float GainDB, float Freq, TIIRFilterProc Design,
              float Resonance) {
  if (!Usable(S)) return;
  TIIRFilter F = FilterOver(S, Freq);
  F.GainDB = GainDB;
  F.ShelfSlope = 1.0f;
  F.Resonance = Resonance;
  (F.*Design)();
  IIRProcessBuf(F);
  AddResponse(F, Response);
}

void PeakRule(TSample32& S) {
  if (S.Peak() > 1.0f) S.Normalize();
}

void ShiftHarmonic(TSample32& S, float FromFreq, float ToFreq, bool RemoveOriginal) {
  if (!Usable(S) || !(FromFreq > 0) || !(ToFreq > 0)) return;
  const int64_t N = HeldSamples(S);
  TWorkSample Q(N, S.SampleRate);
  TWorkSample R(int64_t(std::nearbyint(double(FromFreq) / ToFreq * double(N) * 1.1)), S.SampleRate);
  if (!Q.Ready() || !R.Ready()) return;
  S.CopyTo(Q.S);
  R.S.Clear();
  if (RemoveOriginal) CarriedZeroPhase(S, FromFreq, &TIIRFilter::InitNotch, 55);
  CarriedZeroPhase(Q.S, FromFreq, &TIIRFilter::InitBandPass, 55);
  ChangeSampleSpeed32(Q.S, R.S, ToFreq / FromFreq);
  AddSamples32(S, R.S, S);
  PeakRule(S);
}

}  // namespace

void ProcessSampleHighPass(TSample32 Sample, int32_t Frequency, TSample32* Response) {
  if (Sample.SampleRate < 10 || Sample.SampleRate > 96000) {
    PlatformShowMessage("ProcessSampleHighPass error: incorrect samplerate");
    return;
  }
  if (Frequency >= Sample.SampleRate / 2) Frequency = Sample.SampleRate / 2 - 1;
  OnePass(Sample, float(Frequency), &TIIRFilter::InitButterworthHighPass, Response);
}

void ProcessStereoSampleHighPass(TStereoSample32 Sample, int32_t Frequency, TSample32* Response) {
  const int32_t Rate = Sample.Left.SampleRate;
  if (Rate <= 0) return;
  if (Frequency >= Rate / 2) Frequency = Rate / 2 - 1;
  TIIRFilter F = FilterOver(Sample.Left, float(Frequency));
  F.InitButterworthHighPass();
  IIRProcessBuf(F);
  F.Reset();
  F.Buffer = Sample.Right;
  IIRProcessBuf(F);
  AddResponse(F, Response);
}

void ProcessSampleHighPassSweep(TSample32 Sample, int32_t StartFreq, int32_t EndFreq, int32_t SweepLength) {
  if (!Usable(Sample)) return;
  TIIRFilter F = FilterOver(Sample, float(StartFreq));
  const int64_t N = HeldSamples(Sample);
  for (int64_t I = 0; I < N; ++I) {
    F.Freq = I > SweepLength || SweepLength <= 0
                 ? float(EndFreq)
                 : float(StartFreq + double(I) * (double(EndFreq) - StartFreq) / SweepLength);
    F.InitButterworthHighPass();
    Sample.Data[I] = IIRProcessSample(F, Sample.Data[I]);
  }
}

void ProcessSampleLowPass(TSample32 Sample, int32_t Frequency, TSample32* Response) {
  OnePass(Sample, float(Frequency), &TIIRFilter::InitButterworthLowPass, Response);
}

void ProcessSampleLowPassZeroPhase(TSample32 Sample, int32_t Frequency, TSample32* Response) {
  ZeroPhasePass(Sample, float(Frequency), &TIIRFilter::InitButterworthLowPass, Response, 0.7071068f);
}

void ProcessSampleBandPass(TSample32 Sample, int32_t Frequency, TSample32* Response, float Q) {
  OnePass(Sample, float(Frequency), &TIIRFilter::InitBandPass, Response, Q);
}

void ProcessSampleNotch(TSample32 Sample, TSample32* Response, float Frequency, float Q) {
  if (NotchAllowed(Sample, Frequency)) OnePass(Sample, Frequency, &TIIRFilter::InitNotch, Response, Q);
}

void ProcessSampleNotchZeroPhase(TSample32 Sample, TSample32* Response, float Frequency, float Q) {
  if (NotchAllowed(Sample, Frequency)) ZeroPhasePass(Sample, Frequency, &TIIRFilter::InitNotch, Response, Q);
}

void ProcessSampleNotchQ(TSample32 Sample, int32_t Frequency, TSample32* Response, float Q) {
  OnePass(Sample, float(Frequency), &TIIRFilter::InitNotch, Response, Q);
}

void ProcessSampleResonantLowPass(TSample32 Sample, int32_t Frequency, int32_t Resonance, TSample32* Response) {
  if (!Usable(Sample)) return;
  TIIRFilter F = FilterOver(Sample, float(Frequency));
  F.Resonance = float(Resonance) * 0.0625f + 4;
  F.InitLowPass();
  IIRProcessBuf(F);
  AddResponse(F, Response);
}

void ProcessSampleEQ90(TSample32 Sample, TSample32* Response, float GainDB) {
  Equalise(Sample, Response, GainDB, 90, &TIIRFilter::InitLowShelf, 4);
}
void ProcessSampleEQ180(TSample32 Sample, TSample32* Response, float GainDB) {
  Equalise(Sample, Response, GainDB, 180, &TIIRFilter::InitPeak, 4);
}
void ProcessSampleEQ450(TSample32 Sample, TSample32* Response, float GainDB) {
  Equalise(Sample, Response, GainDB, 450, &TIIRFilter::InitPeak, 4);
}
void ProcessSampleEQ1200(TSample32 Sample, TSample32* Response, float GainDB) {
  Equalise(Sample, Response, GainDB, 1200, &TIIRFilter::InitPeak, 5);
}
void ProcessSampleEQ3200(TSample32 Sample, TSample32* Response, float GainDB) {
  Equalise(Sample, Response, GainDB, 3200, &TIIRFilter::InitPeak, 5);
}
void ProcessSampleEQ6000(TSample32 Sample, TSample32* Response, float GainDB) {
  Equalise(Sample, Response, GainDB, 6000, &TIIRFilter::InitPeak, 5);
}
void ProcessSampleEQ10000(TSample32 Sample, TSample32* Response, float GainDB) {
  Equalise(Sample, Response, GainDB, 10000, &TIIRFilter::InitHighShelf, 5);
}

void ProcessSampleHarmonics(TSample32& Sample, float Amount) {
  if (!Usable(Sample)) return;
  TWorkSample T(HeldSamples(Sample), Sample.SampleRate);
  if (!T.Ready()) {
    PlatformShowMessage("ProcessSampleHarmonics failed - not enough memory for temp buf");
    return;
  }
  Sample.CopyTo(T.S);
  ProcessSampleLowPass(T.S, int32_t(std::nearbyint((Sample.SampleRate / 2) / 1.5)));
  ChangeSampleSpeed32(T.S, T.S, 1.5f);
  OnePass(T.S, 3000, &TIIRFilter::InitButterworthHighPass, nullptr);
  MixIn32(Sample, T.S, Amount * 2);
}

void ProcessSampleBandExciter(TSample32 Sample, int32_t Frequency, float Drive) {
  if (!Usable(Sample) || !(Drive > 0)) return;
  TWorkSample T(HeldSamples(Sample), Sample.SampleRate);
  if (!T.Ready()) return;
  Sample.CopyTo(T.S);
  TIIRFilter A = FilterOver(T.S, float(Frequency));
  TIIRFilter B = FilterOver(Sample, float(Frequency));
  A.Q = B.Q = 0.6f;
  A.InitBandPass();
  B.InitNotch();
  IIRProcessBuf(A);
  IIRProcessBuf(B);
  DistortionAtan32(T.S, Drive);
  A.Freq = float(std::nearbyint(Frequency / 1.5));
  A.InitButterworthHighPass();
  IIRProcessBuf(A);
  MixIn32(Sample, T.S, 2.3f / std::sqrt(Drive));
}

void ProcessSampleBassFade(TSample32 Sample, float StartGainDB, float SlopeDB) {
  if (!Usable(Sample)) return;
  TIIRFilter F = FilterOver(Sample, 120);
  F.ShelfSlope = 1;
  const int64_t N = HeldSamples(Sample);
  for (int64_t P = 0; P < N; P += 64) {
    const double T = double(P) / Sample.SampleRate;
    F.GainDB = float(std::max(double(StartGainDB) - (T - 0.1) * SlopeDB, -24.0));
    TSample32::AssignRange(F.Buffer, Sample, P, P + 64);
    F.InitLowShelf();
    IIRProcessBuf(F);
  }
}

void MoveSampleHarmonic(TSample32 Sample, float FromFreq, float ToFreq) {
  ShiftHarmonic(Sample, FromFreq, ToFreq, true);
}

void CopySampleHarmonic(TSample32 Sample, float FromFreq, float ToFreq) {
  ShiftHarmonic(Sample, FromFreq, ToFreq, false);
}

void RemoveSampleHarmonic(TSample32 Sample, float Freq) {
  if (!Usable(Sample)) return;
  CarriedZeroPhase(Sample, Freq, &TIIRFilter::InitNotch, 7);
  PeakRule(Sample);
}

void ScaleSampleHarmonic(TSample32 Sample, float Freq, float Gain) {
  if (!Usable(Sample)) return;
  TWorkSample P(HeldSamples(Sample), Sample.SampleRate);
  if (!P.Ready()) return;
  Sample.CopyTo(P.S);
  CarriedZeroPhase(Sample, Freq, &TIIRFilter::InitNotch, 55);
  CarriedZeroPhase(P.S, Freq, &TIIRFilter::InitBandPass, 55);
  P.S.Scale(Gain);
  AddSamples32(Sample, P.S, Sample);
  PeakRule(Sample);
}

void ConvolveSample32(TSample32 Sample, const TSample32& Kernel) {
  const int64_t KN = HeldSamples(Kernel);
  for (int64_t K = HeldSamples(Sample) - 1; K >= 0; --K) {
    float Sum = 0;
    for (int64_t I = 0; I <= std::min(K, KN - 1); ++I) Sum += Sample.Data[K - I] * Kernel.Data[I];
    Sample.Data[K] = Sum;
  }
}

namespace {

// Notches Frequencies(i) for i below Count from both channels of a
// high-passed copy of Source, saves it as FileName and answers the share of
// the level removed.
template <class Freqs>
float Rejection(const TStereoSample32& Source, int32_t Count, float Q, Freqs Frequency,
                const std::string& FileName) {
  if (Source.Left.Data == nullptr || Source.Right.Data == nullptr) return 0;
  TStereoSample32 W;
  W.Init();
  if (!W.Alloc(Source.Length())) return 0;
  W.Copy(Source);
  ProcessSampleHighPass(W.Left, 50);
  ProcessSampleHighPass(W.Right, 50);
  const float L0 = StereoMeanLevel(W);
  for (int32_t I = 0; I < Count; ++I) {
    ProcessSampleNotchZeroPhase(W.Left, nullptr, Frequency(I), Q);
    ProcessSampleNotchZeroPhase(W.Right, nullptr, Frequency(I), Q);
  }
  const float L1 = StereoMeanLevel(W);
  SaveStereoSampleToWav(W, TempFolder() + "/" + FileName);
  W.Dispose();
  return 1 - L1 / (L0 + 1e-8f);
}

std::string Rounded(float V) { return std::to_string(int64_t(std::nearbyint(V))); }

}  // namespace

float MeasureAllNotesRejection(const TStereoSample32& Source, float Value) {
  return Rejection(Source, 53 * 32, Value,
                   [](int32_t I) {
                     const int32_t Note = 48 + I / 32;
                     const int32_t H = I % 32 + 1;
                     return float(440 * std::pow(2.0, (Note - 81) / 12.0) * H);
                   },
                   "TestSampleAllNotesRejected" + Rounded(Value) + ".wav");
}

float MeasureNoteRejection(const TStereoSample32& Source, float Value) {
  return Rejection(Source, 32, 25, [Value](int32_t I) { return float(I + 1) * Value; },
                   "TestSampleNoteRejected" + Rounded(Value) + ".wav");
}

float MeasureOddHarmonicsRejection(const TStereoSample32& Source, float Value) {
  return Rejection(Source, 17, 25, [Value](int32_t K) { return float(2 * K + 1) * Value; },
                   "TestSampleNoOdd.wav");
}

float MeasureEvenHarmonicsRejection(const TStereoSample32& Source, float Value) {
  return Rejection(Source, 17, 25, [Value](int32_t K) { return float(std::max(1, 2 * K)) * Value; },
                   "TestSampleNoEven.wav");
}

}  // namespace kromel
