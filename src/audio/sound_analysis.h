// Measures that describe a recorded sound by single numbers: periodicity,
// pitch, attack, spectral shape and change, half-to-half similarity. Each
// takes a mono buffer with its SampleRate, leaves its samples as they are,
// and allocates and frees its own work buffers.
//
// Buffers shorter than a measure's transform are zero-padded; a measure with
// nothing to measure (silence, too short, no rate) answers its defined
// value, never NaN.
#pragma once
#include <cstdint>

#include "audio/surround_sample.h"
#include "images/sample.h"

namespace kromel {

// First index of the largest magnitude; 0 without samples.
int32_t ArgMaxAbs(const TSample32& S);
// Last index with |v| > Threshold minus the first; 0 when none.
int32_t LoudSpan(const TSample32& S, float Threshold);
// Share of samples whose leaky energy exceeds the squared mean envelope.
float FractionAboveMeanEnvelope(const TSample32& S);
// Mean ratio of the band around Frequency (band-pass Q 1.2, leaky energy)
// to the whole, at most 2; Work must have room for S. 0 below 0.001.
float BandEnergyRatio(const TSample32& S, TSample32& Work, float Frequency);
// Level of the band (Q 2.2) over the level of the whole.
float BandLevelRatio(const TSample32& S, TSample32& Work, float Frequency);
// Energy of the regular ripple in the log spectrum: high for many evenly
// spread partials.
float AnalyzePeriodicity(const TSample32& S);
// Prominence of the main spectral peak; its frequency and the number of
// peaks found (at most 100) go to the out-parameters.
float FindSpectralPeaks(const TSample32& S, float& Frequency, float& PeakCount);
// The fundamental from 40 to MaxPitch Hz whose harmonic comb best fits the
// spectrum's partials goes to Pitch; the answer is the confidence, -100..100,
// at least 0 only when a pitch is found (Pitch stays 0 otherwise). Pitch 0
// and answer 0 for silence, a spectrum without weight or MaxPitch below 40.
float DetectPitchComb(const TSample32& S, float& Pitch, int32_t MaxPitch);
// Mean of the spectrum present in every 2048-sample block; 0 without one.
float SustainedSpectrumLevel(const TSample32& S);
// Deviations -1 and the rest 0 when no block is loud enough.
void AnalyzeSpectralStability(const TSample32& S, float& PeakDeviation, float& MeanDeviation,
                              float& PeakStability, float& MeanStability, float& StablePercent);
float AttackAmount(const TSample32& S);
// Seconds during which the running level rises.
float AttackTime(const TSample32& S);
// Both 0 for silence.
float SpectralTiltAndCurvature(const TSample32& S, float& Curvature);
float SpectralFlux(const TSample32& S);
// Percent error of a three-point extrapolation.
float PredictionError(const TSample32& S);
// Hertz; -1 for silence.
float SpectralCentroid(const TSample32& S);
// Mean distance in octaves of the spectrum from Pitch; -1 for silence or a
// pitch below 20 Hz.
float PitchSpread(const TSample32& S, float Pitch);
// Dest[i] = e^2 with e = 0.99 e + max(S[i], 0)^2, over the samples both
// hold.
void EnergyEnvelopeSquared(const TSample32& S, TSample32& Dest);
// Stereo angle of a two-channel sound; 0 otherwise.
float SurroundStereoAngle(const TSurroundSample32& Surround);
// Crossings per second; 0 without two samples or a rate.
float ZeroCrossingRate(const TSample32& S);
// Mean relative difference in percent of the second half against the first
// (0 identical, also for silence).
float HalfSimilarity(const TSample32& S);

}  // namespace kromel
