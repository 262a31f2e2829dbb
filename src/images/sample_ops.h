// Operations on sample buffers that take more than one buffer. The member
// operations of TSample32 and TSample16 (transforms, statistics,
// resampling, interpolation) are declared in sample.h.
//
// Two-buffer rules: the other buffers must hold data with at least as many
// samples as the loop runs over; otherwise the operation reports a size
// mismatch through ErrorMessageProc and changes nothing.
#pragma once
#include <cstdint>

#include "images/sample.h"

namespace kromel {

// Dst[i] = f(A[i], B[i]) for every i below A.Count; Dst may be A or B.
void SubtractSamples32(const TSample32& A, const TSample32& B, TSample32& Dst);
// Over the smaller of A.Count and B.Count.
void AddSamples32(const TSample32& A, const TSample32& B, TSample32& Dst);
void MixSamplesMax32(const TSample32& A, const TSample32& B, TSample32& Dst);
void MixSamplesMin32(const TSample32& A, const TSample32& B, TSample32& Dst);
void MixSamplesSoftMax32(const TSample32& A, const TSample32& B, TSample32& Dst);
void MixSamplesSoftMin32(const TSample32& A, const TSample32& B, TSample32& Dst);
void MixSamplesMaxMin32(const TSample32& A, const TSample32& B, TSample32& Dst);
void MixSamplesSignedMagnitude32(const TSample32& A, const TSample32& B, TSample32& Dst);
void MixSamplesMaxAbs32(const TSample32& A, const TSample32& B, TSample32& Dst);
void MixSamplesMinAbs32(const TSample32& A, const TSample32& B, TSample32& Dst);
void MixSamplesDamped32(const TSample32& A, const TSample32& B, TSample32& Dst);
void MixSamplesPowerCurve32(const TSample32& A, const TSample32& B, TSample32& Dst);
void MixSamplesPower32(const TSample32& A, const TSample32& B, TSample32& Dst);
void MixSamplesPowerPositive32(const TSample32& A, const TSample32& B, TSample32& Dst);
void MixSamplesLimit32(const TSample32& A, const TSample32& B, TSample32& Dst);
void MixSamplesCompare32(const TSample32& A, const TSample32& B, TSample32& Dst);
void MixSamplesCompareMax32(const TSample32& A, const TSample32& B, TSample32& Dst);
void MixSamplesSignProduct32(const TSample32& A, const TSample32& B, TSample32& Dst);
void MixSamplesSignProductMax32(const TSample32& A, const TSample32& B, TSample32& Dst);

// Dst[i] += Src[i] x Gain for i below Src.Count.
void MixIn32(TSample32& Dst, const TSample32& Src, float Gain);
// Dst[Offset + i] += Src[i] x Gain where both exist.
void MixInAt32(TSample32& Dst, const TSample32& Src, int64_t Offset, float Gain);
// Dst[i] += Src[Offset + i] x Gain where both exist.
void MixInOffset32(TSample32& Dst, const TSample32& Src, int64_t Offset, float Gain);
// Mixes Src from Offset into Dst under the fade state Fade: 0.001 < Fade <
// 0.999 fades in, Fade < -0.001 fades out at level -Fade, 0 is silence,
// anything else full level.
void MixInFaded32(TSample32& Dst, const TSample32& Src, int64_t Offset, float& Fade, float Gain,
                  float FadeStep);
void ModulateSamples32(TSample32& Dst, const TSample32& Mod, float Amount);
// 1000 where the divisor is 0.
void DivideSamples32(TSample32& Dst, const TSample32& Div);
void MultiplySamples32(TSample32& Dst, const TSample32& B, float Factor);
// Dst[i] = min(Dst[i], -AmpToDB(|Src[i]| / Ref)) over Src.Count; Unused is
// not read.
void SamplesMinAttenuation32(const TSample32& Src, TSample32& Dst, float Unused, float Ref);

void ClipNegativeSamples32(TSample32& S);
float MaxOfSamples32(const TSample32& S);
// False when either holds no data or two samples below the smaller count
// differ by more than 1e-4.
bool SamplesEqual(const TSample32& A, const TSample32& B);

}  // namespace kromel
