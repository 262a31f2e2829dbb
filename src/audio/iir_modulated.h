// Driving a biquad cascade beyond a static design: frequency following a
// control signal (ModSource) with an optional slow wobble, a cascade split
// into two halves, zero-phase filtering of one period of a periodic wave,
// and magnitude responses written into buffers for plotting.
#pragma once
#include <cstdint>
#include <span>

#include "audio/iir_filter.h"

namespace kromel {

// Per-sample Butterworth low-pass redesign from |control| (Freq ignored).
void IIRProcessBufModLowPass(TIIRFilter& F);
// Redesign every 32 samples from a smoothed linear control.
void IIRProcessBufModBlocks(TIIRFilter& F, TIIRFilterProc Design);
// Redesign every 32 samples at Freq x 2^(control x 10 x Sensitivity).
void IIRProcessBufModExp(TIIRFilter& F, TIIRFilterProc Design, float Sensitivity);
void IIRProcessBufStereoModExp(TIIRStereoFilter& S, TIIRFilterProc Design, float Sensitivity);
void IIRProcessBufModExpWobble(TIIRFilter& F, TIIRFilterProc Design, float Sensitivity);
void IIRProcessBufStereoModBlocks(TIIRStereoFilter& S, TIIRFilterProc Design);
// The first (Stages + 1) / 2 sections at Freq, the rest in Second at
// Freq + OffsetHz.
void IIRProcessBufSplit(TIIRFilter& F, TIIRFilter& Second, TIIRFilterProc Design, int32_t OffsetHz);
// Zero-phase filtering of one period: the tails wrap around it. False when
// the work buffer could not be had (Sample unchanged).
bool IIRProcessBufCyclic(TIIRFilter& F, TSample32& Sample);
// Sample[i] x |H| of one section at 30 Hz .. 20 kHz on a log axis.
void IIRApplyResponseLog(const TIIRFilter& F, TSample32& Sample);
// Sample[i] x |Num/Den| at i/Count x half the rate (the first Count
// coefficients that both arrays hold).
void ApplyIIRResponse(TSample32& Sample, int32_t Count, std::span<const double> Num,
                      std::span<const double> Den);
// v -> log10(v) x 20/24, or -200 for v <= 1e-12.
void SamplesToLogScale(TSample32& Sample);

}  // namespace kromel
