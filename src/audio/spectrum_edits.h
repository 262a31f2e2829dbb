// Edits of magnitude spectra held in TSample32 buffers.
#pragma once
#include <cstdint>

#include "images/sample.h"

namespace kromel {

// S[i] = S[i] sqrt(i) / 10 for i >= 1.
void SpectrumTiltSqrt(TSample32& Spectrum);
// S[i] = i S[i] / 100 for i >= 1.
void SpectrumTiltLinear(TSample32& Spectrum);
// Src is a linear spectrum from 0 Hz to Src.SampleRate / 2; Dest takes it on
// a log axis from LowHz to HighHz (both ends included). Points beyond Src
// read 0; nothing without a positive rate and band.
void ResampleSpectrumLog(const TSample32& Src, TSample32& Dest, int32_t LowHz, int32_t HighHz);

}  // namespace kromel
