// Helpers for the filter and effect tests: owned sample buffers, full-scale
// noise and the transfer function of a biquad cascade evaluated directly.
#pragma once
#include <cmath>
#include <complex>
#include <cstdint>
#include <random>

#include "audio/iir_filter.h"
#include "images/sample.h"

namespace kromel::testing {

// A TSample32 that frees itself.
struct TOwnedSample {
  TSample32 S;
  explicit TOwnedSample(int64_t N, int32_t Rate = 44100, float Fill = 0) {
    S.Init();
    S.Alloc(N);
    S.SampleRate = Rate;
    S.Fill(Fill);
  }
  ~TOwnedSample() { S.Dispose(); }
  TOwnedSample(const TOwnedSample&) = delete;
  TOwnedSample& operator=(const TOwnedSample&) = delete;
  float& operator[](int64_t I) { return S.Data[I]; }
};

// Uniform white noise in -1..1 (full scale), repeatable.
inline void FillWhiteNoise(TSample32& S, uint32_t Seed = 1) {
  std::mt19937 Gen(Seed);
  std::uniform_real_distribution<float> D(-1.0f, 1.0f);
  for (int64_t I = 0; I < S.Count; ++I) S.Data[I] = D(Gen);
}

inline void FillSine(TSample32& S, double Freq, double Amp = 0.5) {
  for (int64_t I = 0; I < S.Count; ++I)
    S.Data[I] = float(Amp * std::sin(2 * M_PI * Freq * double(I) / S.SampleRate));
}

// Largest magnitude; infinity as soon as a sample is not finite.
inline float PeakOrInf(const TSample32& S) {
  float M = 0;
  for (int64_t I = 0; I < S.Count; ++I) {
    if (!std::isfinite(S.Data[I])) return INFINITY;
    M = std::max(M, std::fabs(S.Data[I]));
  }
  return M;
}

// |H| of one section from the working coefficients at Freq Hz.
inline double SectionMagnitude(const TIIRFilter& F, double Freq) {
  const std::complex<double> Z1 = std::polar(1.0, -2 * M_PI * Freq / F.SampleRate);
  const std::complex<double> Z2 = Z1 * Z1;
  return std::abs((double(F.B0) + double(F.B1) * Z1 + double(F.B2) * Z2) /
                  (1.0 + double(F.A1) * Z1 + double(F.A2) * Z2));
}

inline double CascadeDB(const TIIRFilter& F, double Freq) {
  return 20 * std::log10(SectionMagnitude(F, Freq)) * F.Stages;
}

}  // namespace kromel::testing
