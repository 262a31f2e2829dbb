#include "audio/spectrum_edits.h"

#include <algorithm>
#include <cmath>

namespace kromel {

void SpectrumTiltSqrt(TSample32& Spectrum) {
  if (Spectrum.Data == nullptr) return;
  for (int64_t I = 1; I < Spectrum.Count; ++I)
    Spectrum.Data[I] = float(Spectrum.Data[I] * std::sqrt((long double)I) / 10.0L);
}

void SpectrumTiltLinear(TSample32& Spectrum) {
  if (Spectrum.Data == nullptr) return;
  for (int64_t I = 1; I < Spectrum.Count; ++I)
    Spectrum.Data[I] = float(I) * Spectrum.Data[I] / 100.0f;
}

void ResampleSpectrumLog(const TSample32& Src, TSample32& Dest, int32_t LowHz, int32_t HighHz) {
  if (Src.Data == nullptr || Dest.Data == nullptr || Src.SampleRate <= 0 || LowHz <= 0 ||
      HighHz <= 0)
    return;
  const double Octaves = std::log2(double(HighHz) / LowHz);
  const double Last = double(std::max<int64_t>(Dest.Count - 1, 1));
  for (int64_t I = 0; I < Dest.Count; ++I) {
    const double F = LowHz * std::exp2(double(I) / Last * Octaves);
    const double K = std::nearbyint(double(Src.Count) * F / (Src.SampleRate * 0.5));
    Dest.Data[I] = K >= 0 && K < double(Src.Count) ? Src.Data[int64_t(K)] : 0.0f;
  }
}

}  // namespace kromel
