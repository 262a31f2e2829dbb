#include "audio/iir_modulated.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "foundation/error_sink.h"

namespace kromel {

namespace {

constexpr int32_t BlockSize = 32;
constexpr double TwoPi = 2 * std::numbers::pi;

float WobbleFreq(const TIIRFilter& F) {
  const double T = TwoPi * F.ModPos / F.SampleRate;
  return float(1 + (std::sin(5.16 * T) + std::sin(4.06 * T)) * F.ModDepth * 0.012);
}
float WobbleRes(const TIIRFilter& F) {
  const double T = TwoPi * F.ModPos / F.SampleRate;
  return float(1 + (std::sin(4.17 * T) + std::sin(6.5 * T)) * F.ModDepth * 0.06 * 0.5 / std::max(F.Stages, 1));
}

// The control at I, when the control signal holds it.
bool Control(const TIIRFilter& F, int64_t I, float& C) {
  const TSample32* M = F.ModSource;
  if (M == nullptr || M->Data == nullptr || I >= M->Count) return false;
  C = M->Data[I];
  return true;
}

// The next block's frequency: F0 x 2^(C x 10 x Sensitivity), glided into
// SmoothedFreq with weight New (at once when nothing was reached yet).
float GlideExp(TIIRFilter& F, float C, float Sensitivity, float F0, float New) {
  const float M = float(std::exp2(C * 10.0 * Sensitivity));
  const float P = F.SmoothedFreq;
  F.Freq = (P > 0 || std::isnan(P)) ? M * F0 * New + P * (1 - New) : M * F0;
  F.SmoothedFreq = F.Freq;
  return F.Freq;
}

// Runs Body(start, count) over 32-sample blocks of F's view, with the
// view narrowed to each block, and puts the view back.
template <typename Fn>
void ForBlocks(TIIRFilter& F, Fn Body) {
  const TSample32 Saved = F.Buffer;
  for (int64_t I = 0; I < Saved.Count && Saved.Data != nullptr; I += BlockSize) {
    TSample32::AssignRange(F.Buffer, Saved, I, I + BlockSize);
    Body(I, F.Buffer.Count);
  }
  F.Buffer = Saved;
}

void ModExp(TIIRFilter& F, TIIRFilterProc Design, float Sensitivity, bool Wobble) {
  if (F.ModSource == nullptr) (F.*Design)();
  const float F0 = F.Freq, R0 = F.Resonance;
  const bool Wobbling = Wobble && F.ModDepth > 0;
  F.Freq = F.SmoothedFreq;
  ForBlocks(F, [&](int64_t I, int64_t N) {
    float C;
    if (Control(F, I, C)) {
      GlideExp(F, C, Sensitivity, F0, 0.1f);
      if (Wobbling) {
        F.Freq = WobbleFreq(F) * F.Freq;
        F.Resonance = WobbleRes(F) * R0;
      }
      (F.*Design)();
      if (Wobble) F.ScaleNumerator(0.9f / (F.Resonance / 50 + 1) + 0.1f);
    }
    IIRProcessBuf(F);
    F.ModPos += int32_t(N);
  });
  F.Freq = F0;
  F.Resonance = R0;
}

}  // namespace

void IIRProcessBufModLowPass(TIIRFilter& F) {
  if (F.ModSource == nullptr) F.InitButterworthLowPass();
  const float R0 = F.Resonance;
  const float R = R0 + 7;
  F.Resonance = R;
  for (int64_t I = 0; I < F.Buffer.Count && F.Buffer.Data != nullptr; ++I) {
    float C;
    if (Control(F, I, C)) {
      F.Freq = WobbleFreq(F) * (std::fabs(C) * 0.25f * 32768 + 0.0001f);
      F.Resonance = WobbleRes(F) * R;
      F.InitButterworthLowPass();
      ++F.ModPos;
    }
    F.Buffer.Data[I] = IIRProcessSample(F, F.Buffer.Data[I]);
  }
  F.Resonance = R0;
}

void IIRProcessBufModBlocks(TIIRFilter& F, TIIRFilterProc Design) {
  if (F.ModSource == nullptr) (F.*Design)();
  const float R0 = F.Resonance;
  const float R = R0 + 7;
  F.Resonance = R;
  const bool Wobbling = F.ModDepth > 0;
  ForBlocks(F, [&](int64_t I, int64_t) {
    float C;
    if (Control(F, I, C)) {
      const float V = C * 0.05f * 0.25f * 32768 + F.SmoothedFreq * 0.95f;
      F.Freq = V;
      F.SmoothedFreq = V;
      if (Wobbling) {
        F.Freq = WobbleFreq(F) * V;
        F.Resonance = WobbleRes(F) * R;
      }
      (F.*Design)();
    }
    IIRProcessBuf(F);
    F.ModPos += BlockSize;
  });
  F.Resonance = R0;
}

void IIRProcessBufModExp(TIIRFilter& F, TIIRFilterProc Design, float Sensitivity) {
  ModExp(F, Design, Sensitivity, false);
}

void IIRProcessBufModExpWobble(TIIRFilter& F, TIIRFilterProc Design, float Sensitivity) {
  ModExp(F, Design, Sensitivity, true);
}

void IIRProcessBufStereoModExp(TIIRStereoFilter& S, TIIRFilterProc Design, float Sensitivity) {
  TIIRFilter& L = S.Left;
  TIIRFilter& R = S.Right;
  if (L.Buffer.Data == nullptr || R.Buffer.Data == nullptr) return;
  const float F0 = L.Freq, R0 = L.Resonance;
  L.Resonance = R.Resonance = R0;
  if (L.ModSource == nullptr) (L.*Design)();
  L.CopyWorkingCoeffs(R);
  R.Stages = L.Stages;
  L.Freq = L.SmoothedFreq;
  const TSample32 SavedR = R.Buffer;
  const int64_t N = std::min(L.Buffer.Count, SavedR.Count);
  const TSample32 SavedL = L.Buffer;
  L.Buffer.Count = N;
  ForBlocks(L, [&](int64_t I, int64_t) {
    float C;
    if (Control(L, I, C)) {
      GlideExp(L, C, Sensitivity, F0, 0.05f);
      (L.*Design)();
      L.CopyWorkingCoeffs(R);
    }
    IIRProcessBuf(L);
    TSample32::AssignRange(R.Buffer, SavedR, I, I + BlockSize);
    IIRProcessBuf(R);
  });
  L.Buffer = SavedL;
  R.Buffer = SavedR;
  L.Freq = F0;
  L.Resonance = R.Resonance = R0;
}

void IIRProcessBufStereoModBlocks(TIIRStereoFilter& S, TIIRFilterProc Design) {
  IIRProcessBufModBlocks(S.Left, Design);
  IIRProcessBufModBlocks(S.Right, Design);
}

void IIRProcessBufSplit(TIIRFilter& F, TIIRFilter& Second, TIIRFilterProc Design, int32_t OffsetHz) {
  const int32_t N = F.Stages;
  F.Stages = (N + 1) / 2;
  Second.Stages = N - F.Stages;
  IIRProcessBufModBlocks(F, Design);
  Second.SampleRate = F.SampleRate;
  Second.Buffer = F.Buffer;
  Second.Resonance = F.Resonance;
  Second.Bandwidth = F.Bandwidth;
  Second.ShelfSlope = F.ShelfSlope;
  Second.Freq = F.Freq + float(OffsetHz);
  if (F.ModSource != nullptr) {
    Second.ModSource = F.ModSource;
    SampleAddConstant(*F.ModSource, float(OffsetHz * 4 * 0.000030517578125));
  }
  IIRProcessBufModBlocks(Second, Design);
  F.Stages = N;
}

bool IIRProcessBufCyclic(TIIRFilter& F, TSample32& Sample) {
  const int64_t N = Sample.Data != nullptr ? Sample.Count : 0;
  if (N <= 0) return true;
  TSample32 Work;
  Work.Init();
  if (!Work.Alloc(13 * N)) {
    ErrorMessageProc("Exception in IIRProcessBufCyclic - not enough memory");
    return false;
  }
  Work.SampleRate = Sample.SampleRate;
  Work.Clear();
  std::copy_n(Sample.Data, N, Work.Data + 6 * N);
  const TSample32 Saved = F.Buffer;
  F.Buffer = Work;
  F.Reset();
  IIRProcessBuf(F);
  Work.Reverse();
  F.Reset();
  IIRProcessBuf(F);
  Work.Reverse();
  F.Buffer = Saved;
  std::fill_n(Sample.Data, N, 0.0f);
  for (int64_t K = 0; K < 13; ++K)
    for (int64_t I = 0; I < N; ++I) Sample.Data[I] += Work.Data[K * N + I];
  Work.Dispose();
  return true;
}

void IIRApplyResponseLog(const TIIRFilter& F, TSample32& Sample) {
  if (Sample.Data == nullptr || Sample.Count <= 0) return;
  const float Span = 20000.0f / 30;
  for (int64_t I = 0; I < Sample.Count; ++I) {
    const double Fr = 30 * std::exp((double(I) / Sample.Count) * std::log(double(Span)));
    const std::complex<double> Z1 = std::polar(1.0, -TwoPi * Fr / F.SampleRate), Z2 = Z1 * Z1;
    const double Num = std::abs(double(F.B0) + double(F.B1) * Z1 + double(F.B2) * Z2);
    const double Den = std::abs(1.0 + double(F.A1) * Z1 + double(F.A2) * Z2);
    Sample.Data[I] = float(Sample.Data[I] * Num / Den);
  }
}

void ApplyIIRResponse(TSample32& Sample, int32_t Count, std::span<const double> Num,
                      std::span<const double> Den) {
  if (Sample.Data == nullptr || Sample.Count <= 0) return;
  const int64_t Terms = std::clamp<int64_t>(Count, 0, int64_t(std::min(Num.size(), Den.size())));
  double Gain = 0;
  for (int64_t I = 0; I < Sample.Count; ++I) {
    const double Fr = 0.5 * double(I) / Sample.Count;
    std::complex<double> N = 0, D = 0;
    for (int64_t J = 0; J < Terms; ++J) {
      const std::complex<double> E = std::polar(1.0, -TwoPi * Fr * double(J));
      N += Num[J] * E;
      D += Den[J] * E;
    }
    const double D2 = std::norm(D);
    if (D2 != 0) Gain = std::abs(N * std::conj(D)) / D2;
    Sample.Data[I] = float(Sample.Data[I] * Gain);
  }
}

void SamplesToLogScale(TSample32& Sample) {
  if (Sample.Data == nullptr) return;
  for (int64_t I = 0; I < Sample.Count; ++I) {
    const float V = Sample.Data[I];
    Sample.Data[I] = V <= 1e-12f ? -200.0f : float(std::log10(double(V)) * 0.8333333333333333);
  }
}

}  // namespace kromel
