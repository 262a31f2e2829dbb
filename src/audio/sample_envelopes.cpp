#include "audio/sample_envelopes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "audio/work_sample.h"
#include "images/sample_ops.h"

namespace kromel {

namespace {

// The envelope gain of every sample, in order, through Apply(i, gain).
template <class Fn>
void EnvelopeGains(int64_t N, int32_t Rate, int32_t Decay, int32_t Boost, float Attack, float Hold, float Floor,
                   Fn Apply) {
  Decay = std::max(Decay, 0);
  Boost = std::max(Boost, 0);
  const float RateRatio = 44100.0f / float(Rate);
  const float A = (2 / (std::pow(std::max(Attack, 0.0f) / 306, 0.003f) + 1) - 1) * RateRatio;
  const float E = (1 - std::pow(float(Decay) / 256, 0.25f)) / 2200 * RateRatio;
  const float W = float(Boost) / 128 + 1;
  const float C = std::pow(1 / (1 + std::sqrt(float(Boost) / 256) / 1781.25f), RateRatio);
  const int64_t H = int64_t(std::nearbyint(double(Rate) * Hold));
  float U = 0, V = 1, T = 1;
  for (int64_t I = 0; I < N; ++I) {
    Apply(I, ((V * V) * (V * V)) * U * T);
    if (I > H) V = V - E;
    V = std::max(V, Floor);
    U = std::min(U + A, 1.0f);
    T = W - (W - T) * C;
  }
}

void PreEcho(TSample32& S, float Amount, float Time) {
  const int64_t Count = HeldSamples(S);
  const int64_t N = int64_t(std::nearbyint(double(Time) * 5000));
  if (Count == 0 || N < 0 || N > Count) return;
  std::memmove(S.Data + N, S.Data, size_t(Count - N) * sizeof(float));
  std::fill(S.Data, S.Data + N, 0.0f);
  const int64_t H = N / 2;
  for (int J = 0; J < 2; ++J) {
    const int64_t Q = int64_t(std::nearbyint(std::pow(J / 2.0, 1.1) * double(H)));
    for (int64_t M = 0; M < H && N + M < Count && Q + M < Count; ++M) S.Data[Q + M] += Amount * S.Data[N + M];
  }
}

template <class Pick>
void Spread(TSample32& S, Pick Better) {
  const int64_t N = HeldSamples(S);
  for (int64_t I = 0; I + 1 < N; ++I) S.Data[I] = Better(S.Data[I], S.Data[I + 1]);
  for (int64_t J = N - 1; J >= 1; --J) S.Data[J] = Better(S.Data[J], S.Data[J - 1]);
}

void Delay100(TSample32& S) {
  const int64_t N = HeldSamples(S);
  if (N > 100) std::memmove(S.Data + 100, S.Data, size_t(N - 100) * sizeof(float));
  std::fill(S.Data, S.Data + std::min<int64_t>(N, 100), 0.0f);
}

}  // namespace

void ProcessSampleAttackGlide(const TSample32& Source, TSample32& Dest, int32_t Steps) {
  if (Steps == 0 || Source.Data == nullptr || Dest.Data == nullptr) return;
  float P = 0, S = 1.3f, D = 0.3f / float(Steps + 1);
  int64_t J = 0;
  while (J < Dest.Count) {
    const int64_t K = int64_t(std::nearbyint(P));
    if (K >= Source.Count) break;
    Dest.Data[J++] = Source.Data[K];
    P += S * S;
    if (S > 1) S = S - D;
    if (S < 1) {
      S = 1;
      D = 0;
      P = float(K);
    }
  }
  Dest.Count = J;
}

void ProcessSampleAttackBoost(const TSample32& Source, TSample32& Dest, int32_t Amount) {
  if (Amount == 0) {
    Source.CopyTo(Dest);
    return;
  }
  if (Source.Data == nullptr || Dest.Data == nullptr || Source.SampleRate <= 0) return;
  float C = float(Amount) / 60;
  const float R = std::pow(0.9992f, 44100.0f / float(Source.SampleRate));
  for (int64_t I = 0; I < std::min(Source.Count, Dest.Count); ++I) {
    Dest.Data[I] = (1 + C) * Source.Data[I];
    C = C * R;
  }
}

void ProcessSampleEnvelope(const TSample32& Source, TSample32& Dest, int32_t Decay, int32_t Boost, float Attack,
                           float Hold, float Floor) {
  if (Source.Data == nullptr || Dest.Data == nullptr || Source.SampleRate <= 0) return;
  EnvelopeGains(std::min(Source.Count, Dest.Count), Source.SampleRate, Decay, Boost, Attack, Hold, Floor,
                [&](int64_t I, float G) { Dest.Data[I] = G * Source.Data[I]; });
}

void ProcessStereoSampleEnvelope(const TStereoSample32& Source, TStereoSample32& Dest, int32_t Decay,
                                 int32_t Boost, float Attack, float Hold, float Floor) {
  const TSample32* Ch[4] = {&Source.Left, &Source.Right, &Dest.Left, &Dest.Right};
  int64_t N = HeldSamples(*Ch[0]);
  for (const TSample32* C : Ch) {
    if (C->Data == nullptr) return;
    N = std::min(N, C->Count);
  }
  if (Source.Left.SampleRate <= 0) return;
  EnvelopeGains(N, Source.Left.SampleRate, Decay, Boost, Attack, Hold, Floor, [&](int64_t I, float G) {
    Dest.Left.Data[I] = G * Source.Left.Data[I];
    Dest.Right.Data[I] = G * Source.Right.Data[I];
  });
}

void ProcessSamplePreEcho(TSample32 Sample, float Amount, float Time) { PreEcho(Sample, Amount, Time); }

void ProcessStereoSamplePreEcho(TStereoSample32 Sample, float Amount, float Time) {
  PreEcho(Sample.Left, Amount, Time);
  PreEcho(Sample.Right, Amount, Time);
}

void ProcessStereoWidth(TStereoSample32& Sample, float Width) {
  if (Sample.Left.Data == nullptr || Sample.Right.Data == nullptr) return;
  for (int64_t I = 0; I < std::min(Sample.Left.Count, Sample.Right.Count); ++I) {
    const float M = (Sample.Left.Data[I] + Sample.Right.Data[I]) * 0.5f;
    const float S = (Sample.Left.Data[I] - M) * Width;
    Sample.Left.Data[I] = M + S;
    Sample.Right.Data[I] = M - S;
  }
}

void DelaySampleBy100(TSample32& Sample) { Delay100(Sample); }

void DelayStereoSampleBy100(TStereoSample32& Sample) {
  Delay100(Sample.Left);
  Delay100(Sample.Right);
}

void DeleteFirstSamples(TSample32& Sample, int64_t N) {
  const int64_t Count = HeldSamples(Sample);
  if (Count == 0 || N <= 0) return;
  if (N < Count) std::memmove(Sample.Data, Sample.Data + N, size_t(Count - N) * sizeof(float));
  Sample.Count = std::max<int64_t>(Count - N, 0);
}

void FadeInSample(TSample32& Sample, int64_t N) {
  const int64_t Count = HeldSamples(Sample);
  if (Count <= 1 || N <= 0) return;
  N = std::min(N, Count - 1);
  for (int64_t I = 0; I < N; ++I) Sample.Data[I] = Sample.Data[I] * float(I) / float(N);
}

void FadeOutSample(TSample32& Sample, int64_t N) {
  const int64_t Count = HeldSamples(Sample);
  if (Count <= 1 || N <= 0) return;
  N = std::min(N, Count - 1);
  for (int64_t I = 0; I < N; ++I) Sample.Data[Count - 1 - I] = Sample.Data[Count - 1 - I] * float(I) / float(N);
}

void ExtractSampleWithFades(const TSample32& Source, TSample32& Dest, int32_t From, int32_t To, int32_t Fade) {
  if (HeldSamples(Source) <= 1 || Fade < 0 || To < From) return;
  const int64_t First = int64_t(From) - Fade;
  const int64_t Last = int64_t(To) + Fade;  // one past
  if (First < 0 || Last > Source.Count) return;
  TSample32 Fresh;
  Fresh.Init();
  if (!Fresh.Alloc(2 * int64_t(Fade) + To - From + 1)) return;
  TSample32 View;
  TSample32::AssignRange(View, Source, First, Last);
  Fresh.Copy(View);
  FadeInSample(Fresh, Fade);
  FadeOutSample(Fresh, Fade);
  Dest = Fresh;
}

void PadSample(TSample32& Sample, int64_t N) {
  if (Sample.Data == nullptr || N < 0) return;
  TSample32 Fresh;
  Fresh.Init();
  if (!Fresh.Alloc(Sample.Count + 2 * N)) return;
  Fresh.SampleRate = Sample.SampleRate;
  Fresh.Clear();
  MixInAt32(Fresh, Sample, N, 1);
  Sample.Dispose();
  Sample = Fresh;
}

void CrossfadeLoop(TSample32& Sample, int32_t LoopStart, int32_t LoopEnd, int32_t Length) {
  const int64_t Count = HeldSamples(Sample);
  if (Count == 0 || Length < 2) return;
  for (int64_t K = 0; K <= Length; ++K) {
    const int64_t End = int64_t(LoopEnd) - K;
    const int64_t Start = int64_t(LoopStart) - K;
    if (End >= Count) continue;
    const float G = float(K) / float(Length);
    if (End > 0) Sample.Data[End] = G * Sample.Data[End];
    if (Start >= 0 && End >= 0 && Start < Count) Sample.Data[End] += (1 - G) * Sample.Data[Start];
  }
}

void SpreadSampleMin(TSample32& Sample) {
  Spread(Sample, [](float A, float B) { return std::min(A, B); });
}

void SpreadSampleMax(TSample32& Sample) {
  Spread(Sample, [](float A, float B) { return std::max(A, B); });
}

}  // namespace kromel
