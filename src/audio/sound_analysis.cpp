#include "audio/sound_analysis.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "audio/iir_filter.h"
#include "audio/sample_envelopes.h"
#include "audio/sample_filters.h"
#include "audio/stereo_sample.h"
#include "images/fft.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

constexpr int32_t LowestBandHz = 40;

int64_t Held(const TSample32& S) { return S.Data != nullptr ? std::max<int64_t>(S.Count, 0) : 0; }

// A transform of one size, freed on leaving the measure.
struct TScopedFFT {
  TFFT F;
  explicit TScopedFFT(int32_t Size) {
    F.Alloc();
    F.Init(Size);
  }
  ~TScopedFFT() { F.Free(); }
  TScopedFFT(const TScopedFFT&) = delete;
  TScopedFFT& operator=(const TScopedFFT&) = delete;
  bool Ready() const { return F.Allocated(); }
};

// A work buffer filled with Value, freed on leaving the measure.
struct TScopedBuffer {
  TSample32 S;
  TScopedBuffer(int64_t Count, float Value) {
    S.Init();
    if (S.Alloc(Count)) S.Fill(Value);
  }
  ~TScopedBuffer() { S.Dispose(); }
  TScopedBuffer(const TScopedBuffer&) = delete;
  TScopedBuffer& operator=(const TScopedBuffer&) = delete;
  bool Ready() const { return S.Data != nullptr; }
};

// The log spectrum the measures share: 40 Hz to half the rate, no weighting.
void LogSpectrumOf(TFFT& F, const TSample32& Block, TSample32& Spectrum, int32_t SampleRate) {
  F.Perform_FFT_Buf(Block, FFTWindowBlackmanHarris);
  F.GetLogSpectrum(Spectrum, LowestBandHz, SampleRate / 2, SampleRate, FFTWeightNone);
}

bool HasBand(const TSample32& S) { return Held(S) > 0 && S.SampleRate / 2 > LowestBandHz; }

bool Silent(const TSample32& S) { return S.Peak() == 0.0f; }

// Frequency of point I of a Count-point log axis from 40 Hz to half the rate.
double LogPointHz(int64_t I, int64_t Count, int32_t SampleRate) {
  return LowestBandHz * std::pow((SampleRate / 2.0) / LowestBandHz, double(I) / double(Count));
}

// Views of the 2048-sample blocks b·1024 .. b·1024 + 2048 for b below
// (Count - 2048) / 1024.
constexpr int64_t BlockLength = 2048;
constexpr int64_t BlockStep = 1024;

int64_t BlockCount(const TSample32& S) {
  return std::max<int64_t>((Held(S) - BlockLength) / BlockStep, 0);
}

TSample32 BlockView(const TSample32& S, int64_t B) {
  TSample32 V;
  TSample32::AssignRange(V, S, B * BlockStep, B * BlockStep + BlockLength);
  return V;
}

template <class Sum>
float SpectrumMoment(const TSample32& S, Sum Weight) {
  if (!HasBand(S)) return -1.0f;
  const int32_t N = 32768;
  TScopedFFT F(N);
  TScopedBuffer Spectrum(N, 0.0f);
  if (!F.Ready() || !Spectrum.Ready()) return -1.0f;
  LogSpectrumOf(F.F, S, Spectrum.S, S.SampleRate);
  double Num = 0;
  double Den = 0;
  for (int64_t I = 0; I < N; ++I) {
    const double V = Spectrum.S.Data[I];
    Num += V * Weight(LogPointHz(I, N, S.SampleRate));
    Den += V;
  }
  return Den > 1e-8 ? float(Num / Den) : -1.0f;
}

// The leaky energies of S and of Work (S band-passed at Frequency with Q,
// two sections) through Each(e1, e2), sample by sample. False when S is too
// short or Work has no room for it.
template <class Fn>
bool BandEnergies(const TSample32& S, TSample32& Work, float Frequency, float Q, double Leak, Fn Each) {
  if (Held(S) <= 4 || S.SampleRate <= 0 || Work.Data == nullptr || Work.Count < S.Count) return false;
  Work.Copy(S);
  TIIRFilter F;
  F.SampleRate = S.SampleRate;
  F.Freq = Frequency;
  F.Q = Q;
  F.Stages = 2;
  F.Buffer = Work;
  F.InitBandPass();
  F.Reset();
  IIRProcessBuf(F);
  double E1 = 0, E2 = 0;
  for (int64_t I = 0; I < Held(S); ++I) {
    E1 = Leak * E1 + double(S.Data[I]) * S.Data[I];
    E2 = Leak * E2 + double(Work.Data[I]) * Work.Data[I];
    Each(E1, E2);
  }
  return true;
}

}  // namespace

int32_t ArgMaxAbs(const TSample32& S) {
  int64_t Best = 0;
  for (int64_t I = 1, N = Held(S); I < N; ++I)
    if (std::fabs(S.Data[I]) > std::fabs(S.Data[Best])) Best = I;
  return int32_t(Best);
}

int32_t LoudSpan(const TSample32& S, float Threshold) {
  int64_t First = -1;
  int64_t Last = -1;
  for (int64_t I = 0, N = Held(S); I < N; ++I)
    if (std::fabs(S.Data[I]) > Threshold) {
      if (First < 0) First = I;
      Last = I;
    }
  return First < 0 ? 0 : int32_t(Last - First);
}

float FractionAboveMeanEnvelope(const TSample32& S) {
  const int64_t N = Held(S);
  if (N <= 4) return 0.0f;
  double E = 0;
  double Mean = 0;
  for (int64_t I = 0; I < N; ++I) {
    E = 0.99 * E + double(S.Data[I]) * S.Data[I];
    Mean += std::sqrt(E) / double(N);
  }
  E = 0;
  int64_t Above = 0;
  for (int64_t I = 0; I < N; ++I) {
    E = 0.99 * E + double(S.Data[I]) * S.Data[I];
    if (E > Mean * Mean) ++Above;
  }
  return float(double(Above) / double(N));
}

float BandEnergyRatio(const TSample32& S, TSample32& Work, float Frequency) {
  double Sum = 0;
  const double N = double(Held(S));
  const bool Done = BandEnergies(S, Work, Frequency, 1.2f, 0.99, [&](double E1, double E2) {
    Sum += std::min(E1 > 1e-13 ? std::sqrt(E2 / E1) : 0.0, 2.0) / N;
  });
  return Done && Sum >= 0.001 ? float(Sum) : 0.0f;
}

float BandLevelRatio(const TSample32& S, TSample32& Work, float Frequency) {
  double Sum1 = 0, Sum2 = 0;
  if (!BandEnergies(S, Work, Frequency, 2.2f, 0.95, [&](double E1, double E2) {
        Sum1 += std::sqrt(E1);
        Sum2 += std::sqrt(E2);
      }))
    return 0.0f;
  return float(Sum2 / (Sum1 + 1e-7));
}

float AnalyzePeriodicity(const TSample32& S) {
  const int32_t N = 8192;
  if (Held(S) == 0) return 0.0f;
  TScopedFFT F(N);
  TScopedBuffer Spectrum(N, 0.0f);
  if (!F.Ready() || !Spectrum.Ready()) return 0.0f;
  F.F.Perform_FFT_Buf(S, FFTWindowBlackmanHarris);
  F.F.GetLogSpectrum(Spectrum.S, 20, 22050, 44100, FFTWeightNone);
  // As if S had been normalised to a peak of 1 (S itself is left alone).
  Spectrum.S.Scale(1.0f / std::max(S.Peak(), 1.0e-7f));
  Spectrum.S.ToDecibelScale(-40, -90);
  for (int I = 0; I < 7; ++I) SpreadSampleMax(Spectrum.S);
  Spectrum.S.SampleRate = 44100;
  ProcessSampleHighPass(Spectrum.S, 100);
  ProcessSampleLowPass(Spectrum.S, 500);
  // Points 400..4000 of the 8192 held.
  long double Sum = 0;
  for (int32_t I = 400; I <= 4000; ++I) Sum += (long double)Spectrum.S.Data[I] * Spectrum.S.Data[I];
  if (!std::isfinite(double(Sum))) {
    PlatformShowMessage("Exception in AnalyzePeriodicity. Length=" + std::to_string(S.Count));
    return 0.0f;
  }
  return float(Sum);
}

float FindSpectralPeaks(const TSample32& S, float& Frequency, float& PeakCount) {
  const int32_t N = 4096;
  Frequency = 0;
  PeakCount = 0;
  if (Held(S) == 0 || S.SampleRate / 2 <= LowestBandHz) return 0.0f;
  TScopedFFT F(N);
  TScopedBuffer Spectrum(N, 0.0f);
  TScopedBuffer Acc(N, 0.0f);
  if (!F.Ready() || !Spectrum.Ready() || !Acc.Ready()) return 0.0f;
  const int64_t LastBlock = std::max<int64_t>(1, (Held(S) - N) / 2048 - 1);
  for (int64_t B = 0; B <= LastBlock; ++B) {
    TSample32 View;
    TSample32::AssignRange(View, S, B * 2048, B * 2048 + N);
    if (View.Count == 0) break;
    LogSpectrumOf(F.F, View, Spectrum.S, S.SampleRate);
    for (int32_t I = 0; I < N; ++I) Acc.S.Data[I] = std::max(Acc.S.Data[I], Spectrum.S.Data[I]);
  }
  Acc.S.ToDecibelScale(-20, -90);
  Acc.S.SampleRate = 2000;
  ProcessSampleLowPass(Acc.S, 40);
  float* A = Acc.S.Data;
  float Prominence = 0;
  int32_t M = 0;
  for (int32_t I = 40; I <= N - 40; ++I) {
    const float V = std::min(A[I] - A[I - 35], A[I] - A[I + 35]);
    if (V > Prominence) {
      Prominence = V;
      M = I;
    }
  }
  Frequency = float(LogPointHz(M, N, S.SampleRate));
  for (int32_t I = 0; I <= 40; ++I) A[I] = -2;
  // The loudest point lifted to 0.5, so the count does not hang on the level.
  Acc.S.AddConstant(0.5f - Acc.S.Max());
  int32_t Pass = 0;
  for (; Pass <= 100; ++Pass) {
    int32_t J = -1;
    for (int32_t I = 40; I <= N - 40; ++I)
      if (J < 0 || A[I] > A[J]) J = I;
    if (J < 0 || A[J] < 1e-5f) break;
    for (int32_t I = 40; I <= N - 40; ++I)
      A[I] -= float(2 * std::exp(-double(I - J) * (I - J) * double(J) * J / 2e9));
  }
  PeakCount = float(std::min(Pass, 100));
  return Prominence;
}

float DetectPitchComb(const TSample32& S, float& Pitch, int32_t MaxPitch) {
  Pitch = 0.0f;
  const int32_t N = 16384;
  if (Silent(S) || S.SampleRate <= 0 || MaxPitch < 40) return 0.0f;
  TScopedFFT F(N);
  TScopedBuffer Spectrum(N, 0.0f);
  if (!F.Ready() || !Spectrum.Ready()) return 0.0f;
  F.F.Perform_FFT_Buf(S, FFTWindowBlackmanHarris);
  F.F.GetMagnitudes(Spectrum.S);
  const float* Mag = Spectrum.S.Data;
  const int64_t FirstBin = 3;
  const int64_t LastBin = (N / 2) / 6 - 1;
  const double BinHz = double(S.SampleRate) / N;

  double Loudest = 0;
  double Power = 0;
  for (int64_t K = FirstBin; K <= LastBin; ++K) {
    if (!std::isfinite(Mag[K])) return 0.0f;
    Loudest = std::max(Loudest, double(Mag[K]));
    Power += double(Mag[K]) * Mag[K];
  }
  if (!(Loudest > 0)) return 0.0f;
  const auto Db = [&](int64_t K) {
    return 20 * std::log10(std::max(double(Mag[K]), 1e-30) / Loudest);
  };

  // Partials: local maxima within 35 dB of the loudest, frequency refined
  // by a parabola through the dB values, weighed by their amplitude relative
  // to the loudest (aliases and leakage weigh little).
  struct TPartial {
    double Hz, Weight;
  };
  std::vector<TPartial> Partials;
  for (int64_t K = FirstBin; K <= LastBin; ++K) {
    if (!(Mag[K] > Mag[K - 1] && Mag[K] >= Mag[K + 1])) continue;
    const double B = Db(K);
    if (B < -35) continue;
    const double A = Db(K - 1), C = Db(K + 1);
    const double Curve = A - 2 * B + C;
    const double Shift = Curve < 0 ? std::clamp(0.5 * (A - C) / Curve, -0.5, 0.5) : 0.0;
    Partials.push_back({(double(K) + Shift) * BinHz, Mag[K] / Loudest});
  }
  if (Partials.empty()) return 0.0f;

  // A candidate scores the weights of the partials on its teeth, less half
  // their mean weight for every tooth up to the highest partial that finds
  // none: the octave below a tone leaves every other tooth empty, the
  // octave above leaves partials off its teeth.
  const double Step = 0.25;
  const double MissCost = 0.5;
  const double TopHz = Partials.back().Hz;
  const auto Tolerance = [&](double P, int32_t H) {
    return std::min(1.5 * BinHz + H * Step / 2, P / 4);
  };
  const auto Nearest = [&](double P, int32_t H) -> const TPartial* {
    const double Target = H * P, Tol = Tolerance(P, H);
    const TPartial* Found = nullptr;
    auto It = std::lower_bound(Partials.begin(), Partials.end(), Target - Tol,
                               [](const TPartial& Q, double Hz) { return Q.Hz < Hz; });
    for (; It != Partials.end() && It->Hz <= Target + Tol; ++It)
      if (Found == nullptr || It->Weight > Found->Weight) Found = &*It;
    return Found;
  };
  const double HighestCandidate = std::min(double(MaxPitch), TopHz + Tolerance(TopHz, 1));
  double BestScore = 0;
  double BestP = 0;
  const int64_t Candidates = int64_t((HighestCandidate - 40) / Step);
  for (int64_t C = 0; C <= Candidates; ++C) {
    const double P = 40 + double(C) * Step;
    const int32_t Teeth = int32_t((TopHz + Tolerance(P, 1)) / P);
    double Hits = 0;
    int32_t Found = 0;
    for (int32_t H = 1; H <= Teeth; ++H)
      if (const TPartial* Q = Nearest(P, H)) {
        Hits += Q->Weight;
        ++Found;
      }
    const double Score = Found > 0 ? Hits * (1 - MissCost * (Teeth - Found) / Found) : 0.0;
    if (Score > BestScore) {
      BestScore = Score;
      BestP = P;
    }
  }
  if (BestP == 0) return -100.0f;

  // The fundamental from the partials on the winner's teeth (least squares
  // of Hz = h·P, weighted).
  double SumFH = 0, SumHH = 0;
  const int32_t Teeth = int32_t((TopHz + Tolerance(BestP, 1)) / BestP);
  for (int32_t H = 1; H <= Teeth; ++H)
    if (const TPartial* Q = Nearest(BestP, H)) {
      SumFH += Q->Weight * Q->Hz * H;
      SumHH += Q->Weight * double(H) * H;
    }
  const double Fundamental = SumHH > 0 ? SumFH / SumHH : BestP;

  // Confidence: the share of the power the comb holds beyond the share of
  // the bins it covers (0 for a flat spectrum, 1 for partials only), mapped
  // so that a pitch counts as found from one half up.
  const double Reach = std::min(3 * BinHz, Fundamental / 4);
  double OnComb = 0;
  int64_t Covered = 0;
  for (int64_t K = FirstBin; K <= LastBin; ++K) {
    const double Hz = double(K) * BinHz;
    const double H = std::max(1.0, std::nearbyint(Hz / Fundamental));
    if (std::abs(Hz - H * Fundamental) <= Reach) {
      OnComb += double(Mag[K]) * Mag[K];
      ++Covered;
    }
  }
  const double Chance = double(Covered) / double(LastBin - FirstBin + 1);
  const double Share = Chance < 1 ? (OnComb / Power - Chance) / (1 - Chance) : 0.0;
  const float Confidence = float(std::clamp(Share * 200 - 100, -100.0, 100.0));
  if (Confidence >= 0) Pitch = float(Fundamental);
  return Confidence;
}

float SustainedSpectrumLevel(const TSample32& S) {
  const int64_t Blocks = BlockCount(S);
  if (Blocks == 0 || !HasBand(S)) return 0.0f;
  TScopedFFT F{int32_t(BlockLength)};
  TScopedBuffer Spectrum(BlockLength, 0.0f);
  TScopedBuffer Sustained(BlockLength, 1.0f);
  if (!F.Ready() || !Spectrum.Ready() || !Sustained.Ready()) return 0.0f;
  for (int64_t B = 0; B < Blocks; ++B) {
    LogSpectrumOf(F.F, BlockView(S, B), Spectrum.S, S.SampleRate);
    Spectrum.S.ToDecibelScale(-65, -140);
    Spectrum.S.ClipNegative();
    for (int64_t I = 0; I < BlockLength; ++I)
      Sustained.S.Data[I] = std::min(Sustained.S.Data[I], Spectrum.S.Data[I]);
  }
  return Sustained.S.Mean();
}

void AnalyzeSpectralStability(const TSample32& S, float& PeakDeviation, float& MeanDeviation,
                              float& PeakStability, float& MeanStability, float& StablePercent) {
  PeakDeviation = MeanDeviation = -1.0f;
  PeakStability = MeanStability = StablePercent = 0.0f;
  if (!HasBand(S)) return;
  const int64_t N = BlockLength;
  TScopedFFT F{int32_t(N)};
  TScopedBuffer Spectrum(N, 0.0f);
  TScopedBuffer Mean(N, 0.0f);
  TScopedBuffer Stable(N, 0.0f);
  if (!F.Ready() || !Spectrum.Ready() || !Mean.Ready() || !Stable.Ready()) return;
  const float Peak = S.Peak();
  const auto TakesPart = [&](const TSample32& V) { return V.Peak() * 40 >= Peak; };
  const auto Normalised = [&](const TSample32& V) {
    LogSpectrumOf(F.F, V, Spectrum.S, S.SampleRate);
    Spectrum.S.Normalize();
  };
  int64_t Used = 0;
  for (int64_t B = 0; B < BlockCount(S); ++B) {
    const TSample32 V = BlockView(S, B);
    if (!TakesPart(V)) continue;
    Normalised(V);
    for (int64_t K = 0; K < N; ++K) Mean.S.Data[K] += Spectrum.S.Data[K];
    ++Used;
  }
  if (Used == 0) return;
  Mean.S.Scale(1.0f / float(Used));
  PeakDeviation = MeanDeviation = 0.0f;
  for (int64_t B = 0; B < BlockCount(S); ++B) {
    const TSample32 V = BlockView(S, B);
    if (!TakesPart(V)) continue;
    Normalised(V);
    for (int64_t K = 0; K < N; ++K) {
      const float M = Mean.S.Data[K];
      if (M > 0.02f && std::fabs(Spectrum.S.Data[K] / M - 1) < 0.1f) Stable.S.Data[K] += 1.0f / float(Used);
      Spectrum.S.Data[K] -= M;
    }
    PeakDeviation += Spectrum.S.Peak() / float(Used) * 1000;
    MeanDeviation += Spectrum.S.MeanAbs() / float(Used) * 1000;
  }
  PeakStability = Stable.S.Peak() * 100;
  MeanStability = Stable.S.Mean() * 100;
  int64_t Present = 0;
  int64_t Steady = 0;
  for (int64_t K = 0; K < N; ++K)
    if (Mean.S.Data[K] > 0.02f) {
      ++Present;
      if (Stable.S.Data[K] > 0.5f) ++Steady;
    }
  if (Present > 0) StablePercent = float((1e-6 + double(Steady)) * 100 / double(Present));
}

namespace {

// Rises of the running level over the last 1024 samples: Visit(i, d) for
// every sample with d > 0.
template <class Visit>
void ForEachRise(const TSample32& S, Visit V) {
  double Sum = 0;
  double Previous = 0.00001;
  for (int64_t I = 0, N = Held(S); I < N; ++I) {
    Sum += double(S.Data[I]) * S.Data[I];
    if (I >= 1024) Sum -= double(S.Data[I - 1024]) * S.Data[I - 1024];
    const double R = std::sqrt(std::max(Sum, 0.0));
    const double D = R - Previous - 0.001 * R - 0.0001;
    Previous = R;
    if (D > 0) V(I, D);
  }
}

}  // namespace

float AttackAmount(const TSample32& S) {
  double Amount = 0;
  ForEachRise(S, [&](int64_t I, double D) {
    if (I > 1024) Amount += D;
  });
  return float(Amount);
}

float AttackTime(const TSample32& S) {
  if (S.SampleRate <= 0) return 0.0f;
  double Seconds = 0;
  ForEachRise(S, [&](int64_t, double) { Seconds += 1.0 / S.SampleRate; });
  return float(Seconds);
}

float SpectralTiltAndCurvature(const TSample32& S, float& Curvature) {
  Curvature = 0.0f;
  const int32_t N = 8192;
  if (!HasBand(S) || Silent(S)) return 0.0f;
  TScopedFFT F(N);
  TScopedBuffer Spectrum(N, 0.0f);
  if (!F.Ready() || !Spectrum.Ready()) return 0.0f;
  LogSpectrumOf(F.F, S, Spectrum.S, S.SampleRate);
  Spectrum.S.ToDecibelScale(-40, -110);
  const double Mean = Spectrum.S.Mean();
  const int64_t C = N / 2;
  double Sum = 0;
  double W = 0;
  for (int64_t I = 0; I < N; ++I) {
    const int64_t D = I - C;
    if (std::llabs(D) <= 200) continue;
    Sum += double(std::llabs(D)) * (Spectrum.S.Data[I] - Mean) / double(D);
    W += double(std::llabs(D));
  }
  const double Slope = Sum / (W < 1e-14 ? 1.0 : W);
  double Acc = 0;
  double W2 = 0;
  for (int64_t I = 0; I < N; ++I) {
    const int64_t D = I - C;
    if (std::llabs(D) <= 200) continue;
    Acc += (Spectrum.S.Data[I] - Mean - double(D) * Slope) / double(D);
    W2 += double(std::llabs(D));
  }
  Curvature = float(double(C) * C * 1000 * Acc / W2);
  return float(double(C) * Slope * 70);
}

float SpectralFlux(const TSample32& S) {
  const int64_t N = BlockLength;
  TScopedFFT F{int32_t(N)};
  TScopedBuffer Previous(N, 0.0f);
  TScopedBuffer Current(N, 0.0f);
  if (!F.Ready() || !Previous.Ready() || !Current.Ready()) return 0.0f;
  double Flux = 0;
  for (int64_t P = 0; N + P < Held(S); P += BlockStep) {
    std::memcpy(Previous.S.Data, Current.S.Data, size_t(N) * sizeof(float));
    TSample32 View;
    TSample32::AssignRange(View, S, P, P + N);
    F.F.Perform_FFT_Buf(View, FFTWindowBlackmanHarris);
    F.F.GetLogSpectrum(Current.S, 20, 20000, 44100, FFTWeightSqrt);
    Current.S.Scale(1.3f / (Current.S.Peak() + 0.3f));
    SpreadSampleMax(Current.S);
    SpreadSampleMin(Current.S);
    if (P == 0) continue;
    for (int64_t I = 0; I < N; ++I)
      if (Current.S.Data[I] > Previous.S.Data[I])
        Flux += (double(Current.S.Data[I]) - Previous.S.Data[I]) * 100 / double(N);
  }
  return float(Flux);
}

float PredictionError(const TSample32& S) {
  double Error = 0;
  double Level = 0;
  const float* X = S.Data;
  for (int64_t I = 2, N = Held(S); I + 1 < N; ++I) {
    const double Predicted = 3.0 * X[I] - 3.0 * X[I - 1] + X[I - 2];
    Error += std::fabs(X[I + 1] - Predicted);
    Level += std::fabs(X[I + 1]);
  }
  return float(Error / (Level + 0.1) * 100);
}

float SpectralCentroid(const TSample32& S) {
  return SpectrumMoment(S, [](double Hz) { return Hz; });
}

float PitchSpread(const TSample32& S, float Pitch) {
  if (!(Pitch >= 20)) return -1.0f;
  return SpectrumMoment(S, [Pitch](double Hz) { return std::fabs(std::log2(Hz / Pitch)); });
}

void EnergyEnvelopeSquared(const TSample32& S, TSample32& Dest) {
  const int64_t N = std::min(Held(S), Held(Dest));
  if (Held(S) <= 4) return;
  double E = 0;
  for (int64_t I = 0; I < N; ++I) {
    const double V = std::max(S.Data[I], 0.0f);
    E = 0.99 * E + V * V;
    Dest.Data[I] = float(E * E);
  }
}

float SurroundStereoAngle(const TSurroundSample32& Surround) {
  if (Surround.NumChannels != 2) return 0.0f;
  TStereoSample32 Stereo;
  Stereo.Left = Surround.Channels[0];
  Stereo.Right = Surround.Channels[1];
  return Stereo.StereoAngle();
}

float ZeroCrossingRate(const TSample32& S) {
  const int64_t N = Held(S);
  if (N < 2 || S.SampleRate <= 0) return 0.0f;
  int64_t Crossings = 0;
  for (int64_t I = 0; I + 1 < N; ++I) {
    const float A = S.Data[I];
    const float B = S.Data[I + 1];
    if (A * B <= 0 && std::fabs(A) + std::fabs(B) > 0) ++Crossings;
  }
  return float(double(Crossings) / (double(N) / S.SampleRate));
}

float HalfSimilarity(const TSample32& S) {
  const int64_t Half = Held(S) / 2;
  const float* X = S.Data;
  double Best = 0;
  for (int32_t D = -256; D <= 256; ++D) {
    double Sum = 0;
    int64_t Pairs = 0;
    for (int64_t M = 256; M <= Half - 257; ++M) {
      const double A = X[M];
      const double B = X[M + Half + D];
      if (std::fabs(A) > 0.0001 || std::fabs(B) > 0.0001) {
        Sum += std::fabs(A - B) / std::max(std::fabs(A), std::fabs(B));
        ++Pairs;
      }
    }
    if (Pairs == 0) break;
    const double Value = Sum * 100 / double(Pairs);
    if (D == -256 || Value < Best) Best = Value;
  }
  return float(Best);
}

}  // namespace kromel
