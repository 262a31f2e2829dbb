// One-call filters on float samples, built on TIIRFilter: high-, low- and
// band-pass, notches, the seven-band equaliser, sweeps and shelves, the
// harmonic and exciter tools, partial moves, in-place convolution and the
// harmonic-rejection diagnostics. Everything filters in place; a sample
// taken by value still shares its memory with the caller's record.
//
// Response, when not null, has the filter's magnitude response multiplied
// into it after processing (IIRApplyResponseLog).
#pragma once
#include <cstdint>

#include "audio/stereo_sample.h"
#include "images/sample.h"

namespace kromel {

// Rates outside 10..96000 are reported and left alone.
void ProcessSampleHighPass(TSample32 Sample, int32_t Frequency, TSample32* Response = nullptr);
void ProcessStereoSampleHighPass(TStereoSample32 Sample, int32_t Frequency, TSample32* Response = nullptr);
// The cut-off glides from StartFreq to EndFreq over SweepLength samples.
void ProcessSampleHighPassSweep(TSample32 Sample, int32_t StartFreq, int32_t EndFreq, int32_t SweepLength);
void ProcessSampleLowPass(TSample32 Sample, int32_t Frequency, TSample32* Response = nullptr);
void ProcessSampleLowPassZeroPhase(TSample32 Sample, int32_t Frequency, TSample32* Response = nullptr);
void ProcessSampleBandPass(TSample32 Sample, int32_t Frequency, TSample32* Response, float Q);
// The notches do nothing above 0.45 x the rate (NotchQ excepted).
void ProcessSampleNotch(TSample32 Sample, TSample32* Response, float Frequency, float Q);
void ProcessSampleNotchZeroPhase(TSample32 Sample, TSample32* Response, float Frequency, float Q);
void ProcessSampleNotchQ(TSample32 Sample, int32_t Frequency, TSample32* Response, float Q);
// Q = Resonance / 128 + 0.5.
void ProcessSampleResonantLowPass(TSample32 Sample, int32_t Frequency, int32_t Resonance,
                                  TSample32* Response = nullptr);

// The seven-band equaliser: shelves at 90 and 10000 Hz, peaks between.
void ProcessSampleEQ90(TSample32 Sample, TSample32* Response, float GainDB);
void ProcessSampleEQ180(TSample32 Sample, TSample32* Response, float GainDB);
void ProcessSampleEQ450(TSample32 Sample, TSample32* Response, float GainDB);
void ProcessSampleEQ1200(TSample32 Sample, TSample32* Response, float GainDB);
void ProcessSampleEQ3200(TSample32 Sample, TSample32* Response, float GainDB);
void ProcessSampleEQ6000(TSample32 Sample, TSample32* Response, float GainDB);
void ProcessSampleEQ10000(TSample32 Sample, TSample32* Response, float GainDB);

// Adds a copy raised by a fifth, high-passed at 3 kHz, at Amount x 2.
void ProcessSampleHarmonics(TSample32& Sample, float Amount);
// The band around Frequency is taken out, driven through atan and mixed back.
void ProcessSampleBandExciter(TSample32 Sample, int32_t Frequency, float Drive);
// A 120 Hz low shelf starting at StartGainDB, falling SlopeDB a second from
// 0.1 s on, never below -24 dB.
void ProcessSampleBassFade(TSample32 Sample, float StartGainDB, float SlopeDB);
// Moves (or copies) the partial at FromFreq to ToFreq.
void MoveSampleHarmonic(TSample32 Sample, float FromFreq, float ToFreq);
void CopySampleHarmonic(TSample32 Sample, float FromFreq, float ToFreq);
void RemoveSampleHarmonic(TSample32 Sample, float Freq);
void ScaleSampleHarmonic(TSample32 Sample, float Freq, float Gain);
// Sample = Sample * Kernel (causal, in place).
void ConvolveSample32(TSample32 Sample, const TSample32& Kernel);

// Share of the level removed by notching the harmonics of the notes 48..100
// (Q = Value), of the fundamental Value, its odd or its even harmonics. The
// notched sound is written to the temporary folder as a WAV file.
float MeasureAllNotesRejection(const TStereoSample32& Source, float Value);
float MeasureNoteRejection(const TStereoSample32& Source, float Value);
float MeasureOddHarmonicsRejection(const TStereoSample32& Source, float Value);
float MeasureEvenHarmonicsRejection(const TStereoSample32& Source, float Value);

}  // namespace kromel
