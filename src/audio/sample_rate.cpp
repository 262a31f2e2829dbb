#include "audio/sample_rate.h"

#include <cmath>
#include <string>

#include "audio/iir_filter.h"
#include "audio/work_sample.h"
#include "foundation/error_sink.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

// Zero-phase sixth-order Butterworth low-pass over Buffer, history cleared
// before each direction.
void SmoothZeroPhase(TSample32& Buffer, int32_t SourceRate, int32_t Rate) {
  TIIRFilter F;
  F.Freq = float(int64_t(SourceRate) * 7 / 16);
  F.SampleRate = Rate;
  F.Stages = 3;
  F.Buffer = Buffer;
  F.InitButterworthLowPass();
  F.Reset();
  IIRProcessBuf(F);
  Buffer.Reverse();
  F.Reset();
  IIRProcessBuf(F);
  Buffer.Reverse();
}

bool SpeedUsable(float Speed) { return Speed > 0 && Speed <= 20; }

// The speed loop over the channels Src[c] -> Dst[c]; N source samples,
// Room destination samples. Answers the count written.
int64_t SpeedLoop(const TSample32* const* Src, TSample32* const* Dst, int32_t Channels, int64_t N,
                  int64_t Room, float Speed) {
  float P = 0.0f;
  int64_t I = 0;
  int64_t J = 0;
  while (I < N && J < Room - 1) {
    const float Frac = P - std::trunc(P);
    for (int32_t C = 0; C < Channels; ++C) {
      const float* S = Src[C]->Data;
      Dst[C]->Data[J] = P < float(N - 1) ? (1 - Frac) * S[I] + Frac * S[I + 1] : (1 - Frac) * S[I];
    }
    ++J;
    P += Speed;
    I = int64_t(std::trunc(P));
  }
  for (int K = 0; K < 3 && J + 1 < Room; ++K, ++J)
    for (int32_t C = 0; C < Channels; ++C) Dst[C]->Data[J] = 0.0f;
  return J > 1 ? J : 1;
}

bool SharesBackwards(const TSample32& A, const TSample32& B, float Speed) {
  return Speed < 1 && A.Data != nullptr && A.Data == B.Data;
}

}  // namespace

void ResampleSample32(const TSample32& Source, TSample32& Dest) {
  if (Source.SampleRate < 10) {
    PlatformShowMessage("Source samplerate invalid! No resampling!");
    Dest.Copy(Source);
    return;
  }
  if (Source.Data == nullptr) return;
  if (Source.SampleRate == Dest.SampleRate) {
    Dest.Copy(Source);
    return;
  }
  if (Dest.SampleRate < 10) {
    ErrorMessageProc("Exception in ResampleSample32 - destination rate " +
                     std::to_string(Dest.SampleRate));
    return;
  }
  const int64_t N = HeldSamples(Source);
  const int64_t R4 = int64_t(Source.SampleRate) * 4;
  const int64_t M = N < 1 ? 0 : int64_t(std::nearbyint(Dest.SampleRate * (double(4 * N) / double(R4)))) + 1;
  if (Dest.Data == nullptr || Dest.Count < M) {
    ErrorMessageProc("Exception in ResampleSample32 - destination holds " +
                     std::to_string(HeldSamples(Dest)) + " of " + std::to_string(M) + " samples");
    return;
  }
  if (N < 1) {
    Dest.Count = 0;
    return;
  }
  TWorkSample W(4 * N, int32_t(R4));
  if (!W.Ready()) return;
  const float* S = Source.Data;
  float* w = W.S.Data;
  for (int64_t I = 0; I + 1 < N; ++I) {
    w[4 * I] = S[I];
    w[4 * I + 1] = 0.75f * S[I] + 0.25f * S[I + 1];
    w[4 * I + 2] = 0.5f * S[I] + 0.5f * S[I + 1];
    w[4 * I + 3] = 0.25f * S[I] + 0.75f * S[I + 1];
  }
  const float Last = S[N - 1];
  w[4 * (N - 1)] = Last;
  w[4 * (N - 1) + 1] = 0.75f * Last;
  w[4 * (N - 1) + 2] = 0.5f * Last;
  w[4 * (N - 1) + 3] = 0.25f * Last;
  SmoothZeroPhase(W.S, Source.SampleRate, int32_t(R4));

  Dest.Count = M;
  const double Limit = double(4 * N - 2);
  for (int64_t I = 0; I < M; ++I) {
    double P = double(R4) * (double(I) / Dest.SampleRate);
    if (P > Limit) P = Limit;
    const int64_t K = int64_t(P);
    const long double F = P - K;
    Dest.Data[I] = float((1 - F) * w[K] + F * w[K + 1]);
  }
  if (Source.SampleRate < Dest.SampleRate) SmoothZeroPhase(Dest, Source.SampleRate, Dest.SampleRate);
}

void ChangeSampleSpeed32(const TSample32& Source, TSample32& Dest, float Speed) {
  if (Dest.Data == nullptr || !(Speed <= 20)) return;
  if (!SpeedUsable(Speed) || SharesBackwards(Source, Dest, Speed)) {
    ErrorMessageProc("Exception in ChangeSampleSpeed32 - Speed=" + std::to_string(Speed));
    return;
  }
  Dest.SampleRate = Source.SampleRate;
  if (Speed == 1) {
    Source.CopyTo(Dest);
    return;
  }
  const TSample32* Src[1] = {&Source};
  TSample32* Dst[1] = {&Dest};
  Dest.Count = SpeedLoop(Src, Dst, 1, HeldSamples(Source), Dest.Count, Speed);
}

void ChangeStereoSampleSpeed32(const TStereoSample32& Source, TStereoSample32& Dest, float Speed) {
  if (Dest.Left.Data == nullptr || Dest.Right.Data == nullptr || !(Speed <= 20)) return;
  if (!SpeedUsable(Speed) || SharesBackwards(Source.Left, Dest.Left, Speed) ||
      SharesBackwards(Source.Right, Dest.Right, Speed)) {
    ErrorMessageProc("Exception in ChangeStereoSampleSpeed32 - Speed=" + std::to_string(Speed));
    return;
  }
  Dest.Left.SampleRate = Source.Left.SampleRate;
  if (Speed == 1) {
    Source.CopyTo(Dest);
    return;
  }
  if (Source.Right.Data == nullptr) return;
  const int64_t N = std::min(HeldSamples(Source.Left), HeldSamples(Source.Right));
  const int64_t Room = std::min(Dest.Left.Count, Dest.Right.Count);
  const TSample32* Src[2] = {&Source.Left, &Source.Right};
  TSample32* Dst[2] = {&Dest.Left, &Dest.Right};
  Dest.SetCount(int32_t(SpeedLoop(Src, Dst, 2, N, Room, Speed)));
}

}  // namespace kromel
