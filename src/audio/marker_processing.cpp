#include "audio/marker_processing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "audio/iir_filter.h"
#include "audio/work_sample.h"
#include "foundation/number_format.h"
#include "foundation/numeric.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

constexpr int64_t Ring = 2048;

float MaxOfLevels(const std::array<float, Ring>& Level, int64_t N, int64_t Newest) {
  float M = -1e30f;
  for (int64_t K = Newest; K <= Newest + 150; K += 25) M = std::max(M, Level[size_t((N - K) & (Ring - 1))]);
  return M;
}

int32_t RoundInt(double V) { return int32_t(std::nearbyint(V)); }

// Sum over j = -Window..Window of (S[A + j] - S[B + j])^2.
double Mismatch(const float* S, int64_t A, int64_t B, int32_t Window) {
  double D = 0;
  for (int32_t J = -Window; J <= Window; ++J) D += std::pow(double(S[A + J]) - S[B + J], 2);
  return D;
}

// The shift in -Range..Range of the smallest mismatch (the first on ties).
template <class Fn>
int32_t BestShift(int32_t Range, Fn MismatchAt) {
  double Best = 10000000;
  int32_t Shift = 0;
  for (int32_t I = -Range; I <= Range; ++I) {
    const double D = MismatchAt(I);
    if (D < Best) {
      Best = D;
      Shift = I;
    }
  }
  return Shift;
}

bool LoopPointsOrdered(int32_t LoopStart, int32_t LoopEnd, int32_t Range) {
  if (LoopEnd < LoopStart) {
    PlatformShowMessage("Loop points are incorrect");
    return false;
  }
  if (LoopEnd - Range < LoopStart) {
    PlatformShowMessage("Loop points are too near");
    return false;
  }
  return true;
}

}  // namespace

int64_t SnapBackToZeroCrossing(const TSample32& Channel, int64_t Time) {
  if (Time < 0 || Time >= HeldSamples(Channel)) return Time;
  for (int64_t J = 0; J <= 428 && J < Time; ++J)
    if (Channel.Data[Time - J] * Channel.Data[Time - J - 1] <= 0) return Time - J;
  return Time;
}

std::vector<TBeatOnset> DetectBeatOnsets(const TSample32& Channel, bool UpdateLast, int32_t HoldCount,
                                         int32_t MinDistanceMs, float ThresholdDB, float RiseDB, float QuietDB) {
  std::vector<TBeatOnset> Onsets;
  const int64_t N = HeldSamples(Channel);
  if (N <= 4 || Channel.SampleRate <= 0) return Onsets;
  const int64_t MinDistance = std::max<int64_t>(1536, int64_t(Channel.SampleRate) * MinDistanceMs / 1000);
  const float Threshold = -std::fabs(ThresholdDB);
  bool Armed = false;
  int64_t LastMarker = 0;
  int64_t QuietRun = 0;
  TIIRFilter HP, LP;
  for (TIIRFilter* F : {&HP, &LP}) {
    F->SampleRate = Channel.SampleRate;
    F->Stages = 2;
  }
  HP.Freq = 300;
  LP.Freq = 6000;
  HP.InitButterworthHighPass();
  LP.InitButterworthLowPass();
  HP.Reset();
  LP.Reset();
  std::array<float, Ring> Band{};
  std::array<float, Ring> Level;
  Level.fill(-200.0f);
  double E = 0;
  for (int64_t I = 0; I < N; ++I) {
    const float Y = IIRProcessSample(LP, IIRProcessSample(HP, Channel.Data[I]));
    Band[size_t(I & (Ring - 1))] = Y;
    E += double(Y) * Y;
    if (I >= 200) E -= double(Band[size_t((I - 200) & (Ring - 1))]) * Band[size_t((I - 200) & (Ring - 1))];
    if (E < 0) E = 0;
    Level[size_t(I & (Ring - 1))] = AmpToDB(float(std::sqrt(E / 200)));
    const float Recent = MaxOfLevels(Level, I, 0);
    const float Older = MaxOfLevels(Level, I, 200);
    const float Strength = (Recent - Older) / 60 + 0.2f;
    if (Recent > Threshold && Recent > Older + RiseDB) {
      if (LastMarker + MinDistance < I && Armed) {
        LastMarker = std::max<int64_t>(I - 25, 0);
        Onsets.push_back({LastMarker, Strength});
        Armed = false;
      } else if (!Onsets.empty() && UpdateLast && Strength > Onsets.back().Strength + 0.05f) {
        LastMarker = std::max<int64_t>(I - 250, 0);
        Onsets.back() = {LastMarker, Strength};
      }
    }
    if (Recent < QuietDB && Older < QuietDB && I > 1000) {
      if (++QuietRun > HoldCount) Armed = true;
    } else {
      QuietRun = 0;
    }
  }
  for (TBeatOnset& O : Onsets) O.Time = SnapBackToZeroCrossing(Channel, O.Time);
  return Onsets;
}

void AdjustLoopEnd(const TSample32& Sample, int32_t& LoopStart, int32_t& LoopEnd, int32_t Window, int32_t Range) {
  // The last sample compared is LoopEnd + Range + Window: it must exist.
  if (int64_t(LoopStart) - Range - Window < 0 || HeldSamples(Sample) <= int64_t(LoopEnd) + Range + Window ||
      Range < 0 || Window < 0) {
    PlatformShowMessage("Loop points are too near to boundaries");
    return;
  }
  if (!LoopPointsOrdered(LoopStart, LoopEnd, Range)) return;
  LoopEnd += BestShift(Range, [&](int32_t I) { return Mismatch(Sample.Data, LoopStart, int64_t(LoopEnd) + I, Window); });
}

void AdjustLoopStart(const TSample32& Sample, int32_t& LoopStart, int32_t& LoopEnd, int32_t Range, int32_t Window) {
  if (int64_t(LoopStart) - Range - Window <= 0 || int64_t(LoopEnd) + Window >= HeldSamples(Sample) || Range < 0 ||
      Window < 0) {
    PlatformShowMessage("Loop points are too near to boundaries");
    return;
  }
  if (!LoopPointsOrdered(LoopStart, LoopEnd, Range)) return;
  LoopStart += BestShift(Range, [&](int32_t I) { return Mismatch(Sample.Data, int64_t(LoopStart) + I, LoopEnd, Window); });
}

void SnapToZeroCrossing(const TSample32& Sample, int32_t& Pos, int32_t Range) {
  const int64_t N = HeldSamples(Sample);
  if (Pos < 0 || Pos >= N) return;
  const float* S = Sample.Data;
  for (int64_t I = 0; I <= Range; ++I) {
    if (I < Pos && S[Pos - I] * S[Pos - I - 1] <= 0) {
      Pos = int32_t(Pos - I);
      return;
    }
    if (Pos + I < N - 1 && Pos + I >= 1 && S[Pos + I] * S[Pos + I - 1] <= 0) {
      Pos = int32_t(Pos + I);
      return;
    }
  }
}

void StabilizeSamplePeriod(TSample32& Sample, float Frequency) {
  const int64_t N = HeldSamples(Sample);
  if (N == 0 || !(Frequency > 0) || Sample.SampleRate <= 0) return;
  const float P = float(Sample.SampleRate) / Frequency;
  if (!(P >= 1) || P > float(N)) return;
  TWorkSample T(2 * N, Sample.SampleRate);
  if (!T.Ready()) return;
  T.S.Clear();
  const float* S = Sample.Data;
  int32_t Pos = RoundInt(P);
  SnapToZeroCrossing(Sample, Pos, RoundInt(P / 3));
  std::copy(S, S + Pos, T.S.Data);
  float MaxDev = -1;
  int64_t Out = Pos;
  const int32_t Step = RoundInt(P);
  while (Pos + 5 * P < float(N)) {
    int32_t P1 = RoundInt(Pos + P), P2 = RoundInt(Pos + 2 * P), P3 = RoundInt(Pos + 3 * P);
    if (2 * P < float(Pos)) {
      int32_t Start = Pos;
      AdjustLoopEnd(Sample, Start, P1, RoundInt(P / 3), RoundInt(P / 10));
      AdjustLoopEnd(Sample, Start, P2, RoundInt(2 * P / 3), RoundInt(2 * P / 10));
      AdjustLoopEnd(Sample, Start, P3, RoundInt(P), RoundInt(3 * P / 10));
    }
    const int32_t L = ((P2 - Pos) / 2 + (P1 - Pos) + (P3 - Pos) / 3) / 3;
    MaxDev = std::max(MaxDev, std::fabs(float(L) - P) / P);
    for (int64_t K = Out; K <= Out + Step && K < T.S.Count; ++K) {
      const double At = Pos + double(L) * double(K - Out) / P;
      const int64_t I = int64_t(At);
      const double F = At - double(I);
      if (I + 1 >= N) break;
      T.S.Data[K] = float(S[I] * (1 - F) + S[I + 1] * F);
    }
    Out += Step;
    Pos = P1;
  }
  std::fputs(("Max deviation: " + FloatToStrD1(MaxDev * 100) + "\n").c_str(), stdout);
  Sample.Dispose();
  Sample = T.S;
  T.S.Init();
  Sample.SetLength(Out);
}

}  // namespace kromel
