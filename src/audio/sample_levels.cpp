#include "audio/sample_levels.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "audio/sample_filters.h"
#include "audio/wave_record.h"
#include "audio/work_sample.h"
#include "foundation/numeric.h"

namespace kromel {

namespace {

// Calls Each(n, rms) for frames 0..N-1 with Square(n) the frame's energy.
template <class Sq, class Fn>
void WindowedRms(int64_t N, int64_t W, Sq Square, Fn Each) {
  double Sum = 0;
  for (int64_t I = 0; I < N; ++I) {
    Sum += Square(I);
    if (I >= W) Sum -= Square(I - W);
    if (Sum < 0) Sum = 0;
    Each(I, float(std::sqrt(Sum / double(W))));
  }
}

int64_t Frames(const TStereoSample32& S) {
  return std::min(HeldSamples(S.Left), HeldSamples(S.Right));
}

auto StereoSquare(const TStereoSample32& S) {
  return [&S](int64_t I) {
    return double(S.Left.Data[I]) * S.Left.Data[I] + double(S.Right.Data[I]) * S.Right.Data[I];
  };
}

auto MonoSquare(const TSample32& S) {
  return [&S](int64_t I) { return double(S.Data[I]) * S.Data[I]; };
}

// The dB level over W = 10000 for each position (the removal also takes
// 1e-16 off).
template <class Fn>
void SoundEndLevels(const TSample32& S, Fn Each) {
  const int64_t N = HeldSamples(S);
  double Sum = 0;
  for (int64_t I = 0; I < N; ++I) {
    Sum += double(S.Data[I]) * S.Data[I];
    if (I >= 10000) Sum -= double(S.Data[I - 10000]) * S.Data[I - 10000] + 1e-16;
    if (Sum < 0) Sum = 0;
    if (!Each(I, AmpToDB(float(std::sqrt(Sum / 10000))))) return;
  }
}

}  // namespace

float SampleMaxLevel(TSample32 Sample) {
  float Max = 0;
  WindowedRms(HeldSamples(Sample), 200, MonoSquare(Sample), [&](int64_t, float L) { Max = std::max(Max, L); });
  return Max;
}

float StereoMaxLevel(TStereoSample32 Sample) {
  float Max = 0;
  WindowedRms(Frames(Sample), 200, StereoSquare(Sample), [&](int64_t, float L) { Max = std::max(Max, L); });
  return Max;
}

float StereoMeanLevel(TStereoSample32 Sample) {
  const int64_t N = Frames(Sample);
  double Sum = 0;
  WindowedRms(N, 200, StereoSquare(Sample), [&](int64_t, float L) { Sum += L; });
  return float(N > 1 ? Sum / double(N) : Sum);
}

int32_t StereoFirstLoudFrame(const TStereoSample32& Sample, float Threshold) {
  int64_t First = -1;
  WindowedRms(Frames(Sample), 200, StereoSquare(Sample), [&](int64_t I, float L) {
    if (First < 0 && L > Threshold) First = I;
  });
  return int32_t(std::max<int64_t>(First, 0));
}

float SampleMaxLevelHighPassed(TSample32 Sample, int32_t Freq) {
  TWorkSample Copy(HeldSamples(Sample), Sample.SampleRate);
  if (!Copy.Ready()) return 0;
  Sample.CopyTo(Copy.S);
  ProcessSampleHighPass(Copy.S, Freq);
  return SampleMaxLevel(Copy.S);
}

float SampleMinLevel(const TSample32& Sample) {
  if (HeldSamples(Sample) <= 1000) return Sample.Data == nullptr ? 0.0f : -1.0f;
  float Min = INFINITY;
  WindowedRms(HeldSamples(Sample), 1000, MonoSquare(Sample), [&](int64_t I, float L) {
    if (I >= 1000) Min = std::min(Min, L);
  });
  return Min;
}

float SurroundMaxLevel(TSurroundSample32 Sample) {
  double Sum = 0;
  for (int32_t C = 0; C < std::clamp(Sample.NumChannels, 0, MaxSurroundChannels); ++C)
    Sum += std::pow(double(SampleMaxLevel(Sample.Channels[size_t(C)])), 2);
  return float(std::sqrt(Sum));
}

float SurroundMaxLevelHighPassed(TSurroundSample32 Sample, int32_t Freq) {
  double Sum = 0;
  for (int32_t C = 0; C < std::clamp(Sample.NumChannels, 0, MaxSurroundChannels); ++C)
    Sum += std::pow(double(SampleMaxLevelHighPassed(Sample.Channels[size_t(C)], Freq)), 2);
  return float(std::sqrt(Sum));
}

int64_t FindSoundEnd(const TSample32& Sample, float ThresholdDB) {
  int64_t End = 0;
  SoundEndLevels(Sample, [&](int64_t I, float DB) {
    if (DB > ThresholdDB) End = I + 1024;
    return true;
  });
  return End;
}

int64_t FindFirstQuietPoint(const TSample32& Sample, float ThresholdDB) {
  int64_t Found = HeldSamples(Sample);
  SoundEndLevels(Sample, [&](int64_t I, float DB) {
    if (I < 10000 || !(DB < ThresholdDB)) return true;
    Found = I + 1024;
    return false;
  });
  return Found;
}

int64_t FindSurroundSoundEnd(const TSurroundSample32& Sample, int32_t Channels, float ThresholdDB) {
  const int32_t Held = std::clamp(Sample.NumChannels, 0, MaxSurroundChannels);
  const int32_t N = Channels == 0 ? Held : std::clamp(Channels, 0, Held);
  int64_t End = 0;
  for (int32_t C = 0; C < N; ++C) End = std::max(End, FindSoundEnd(Sample.Channels[size_t(C)], ThresholdDB));
  return End;
}

float SampleInverseDuration(const TSample32& Sample, float Peak) {
  if (Peak == 0 || Sample.Data == nullptr || Sample.SampleRate <= 0) return 0;
  const float Dt = 1.0f / float(Sample.SampleRate);
  float T = 0, S = 0;
  for (int64_t I = 0; I < HeldSamples(Sample); ++I) {
    const float X = Sample.Data[I];
    const float E = std::sqrt(2 * X * X) / Peak;
    T = T + E * Dt;
    S = S + E * T * Dt;
  }
  return S > 0 ? std::sqrt(0.5f / S) : 0.0f;
}

float SampleEffectiveLength(const TSample32& Source, TSample32& Dest, int32_t HighPassFreq, int32_t LowPassFreq) {
  if (Source.Data == nullptr || Dest.Data == nullptr || Dest.Count < Source.Count || Source.SampleRate <= 0)
    return 0;
  Dest.Copy(Source);
  if (LowPassFreq < 30000) ProcessSampleLowPass(Dest, LowPassFreq);
  if (HighPassFreq > 20) ProcessSampleHighPass(Dest, HighPassFreq);
  const float P = Dest.Peak();
  if (!(P > 0)) return 0;
  const float D = SampleInverseDuration(Dest, P) / (float(Source.SampleRate) / 1000);
  return 1 / (D + 1e-9f);
}

float StereoPositionDeviation(TStereoSample32 Sample, float Target) {
  double Sum = 0;
  int64_t Counted = 0;
  for (int64_t I = 0; I < Frames(Sample); ++I) {
    float M = Sample.Left.Data[I] + Sample.Right.Data[I];
    float S = Sample.Left.Data[I] - Sample.Right.Data[I];
    if (M < 0) {
      M = -M;
      S = -S;
    }
    if (M <= 0.05f) continue;
    const double P = (std::atan2(double(M), double(S)) - std::numbers::pi / 2) / (std::numbers::pi / 4) - Target;
    Sum += P * P;
    ++Counted;
  }
  return Counted > 1 ? float(std::sqrt(Sum / double(Counted))) : 0.0f;
}

float SurroundPositionDeviation(TSurroundSample32 Sample, float Target) {
  if (Sample.NumChannels != 2) return 0;
  TStereoSample32 S;
  S.Left = Sample.Channels[0];
  S.Right = Sample.Channels[1];
  return StereoPositionDeviation(S, Target);
}

float WaveMaxLevel(const TWave& Wave) {
  return Wave.IsStereo ? StereoMaxLevel(Wave.Stereo) : SampleMaxLevel(Wave.Mono);
}

int64_t FindWaveSoundEnd(const TWave& Wave, float ThresholdDB) {
  if (!Wave.IsStereo) return FindSoundEnd(Wave.Mono, ThresholdDB);
  return std::max(FindSoundEnd(Wave.Stereo.Left, ThresholdDB),
                  FindSoundEnd(Wave.Stereo.Right, ThresholdDB));
}

float WaveInverseDuration(const TWave& Wave, float Peak) {
  return SampleInverseDuration(Wave.IsStereo ? Wave.Stereo.Left : Wave.Mono, Peak);
}

}  // namespace kromel
