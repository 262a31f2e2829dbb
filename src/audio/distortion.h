// Distortion and waveshaping of float samples, in place. Memoryless shapers
// replace each sample by a curve of itself times the drive D; the stateful
// ones keep their state in a TDistortor that carries from buffer to buffer.
// Every routine does nothing for a buffer without data.
#pragma once
#include <cstdint>

#include "audio/stereo_sample.h"
#include "images/sample.h"

namespace kromel {

struct TDistortor {
  float Acc = 0;
  float Prev = 0;
  float Smooth = 0;
  float Rate = 1;
  float Gain = 1;
  float Delta = 0;
  float Dc = 0;

  // Acc, Prev = 0; Rate, Gain = 1 (the other fields are left as they are).
  void Init();
};

struct TDistortorStereo {
  TDistortor Left;
  TDistortor Right;

  void Init();
  // Effect Kind 0..19 on Left, then Right, each with its own state; other
  // kinds do nothing.
  void Process(int32_t Kind, TStereoSample32& Sample, float Drive);
};

constexpr int32_t DistortionKindCount = 20;

// The dispatcher's kinds, in kind order (0..19).
void DistortionAtan32(TSample32& S, float D);
// atan(x D)/D is read as x when D is 0.
void DistortionAsymFuzz32(TDistortor& State, TSample32& S, float D);
void DistortionSigmoid32(TSample32& S, float D);
void DistortionAtanBoost32(TSample32& S, float D);
void DistortionGatedClip32(TSample32& S, float D);
void DistortionCubic32(TSample32& S, float D);
void DistortionSoftKnee32(TSample32& S, float D);
void DistortionAtanAdd32(TSample32& S, float D);
void DistortionStep32(TSample32& S, float D);
void DistortionSoftClip32(TSample32& S, float D);
void DistortionSoftClipNeg32(TSample32& S, float D);
void DistortionSine32(TSample32& S, float D);
void DistortionSlew32(TDistortor& State, TSample32& S, float D);
void DistortionSlewSoft32(TDistortor& State, TSample32& S, float D);
void DistortionCompress32(TDistortor& State, TSample32& S, float D);
// Nothing for D <= 0 (its output divides by D^0.1).
void DistortionFeedback32(TDistortor& State, TSample32& S, float D);
void DistortionIntegrate32(TDistortor& State, TSample32& S, float D);
void DistortionResonant32(TDistortor& State, TSample32& S, float D);
void DistortionSquare32(TDistortor& State, TSample32& S, float D, float Threshold);
void DistortionLeakyAtan32(TDistortor& State, TSample32& S, float D);

// Called directly.
void DistortionAtanStereo32(TStereoSample32& S, float D);
// +-1 stays +-1; D = 0 leaves the samples alone.
void DistortionAtanNormalized32(TSample32& S, float D);
void DistortionAtanFold32(TSample32& S, float D);
void DistortionCubicSoft32(TSample32& S, float D);
void DistortionSquareLaw32(TSample32& S, float D);
void DistortionMix32(TSample32& S, float D);
void DistortionPoly32(TSample32& S, float A, float B, float C, float W);
void DistortionKnee32(TSample32& S, float D);
void DistortionAtanSubtract32(TSample32& S, float D);
void DistortionAtanSubtractRect32(TSample32& S, float D);
void DistortionRectify32(TDistortor& State, TSample32& S, float D);
void DistortionClipAsym32(TSample32& S, float D);
void DistortionAtanRaw32(TSample32& S, float D);
void DistortionAtanNeg32(TSample32& S, float D);
void DistortionHalfClip32(TSample32& S, float D);
void DistortionAtanNegSoft32(TSample32& S, float D);
void DistortionAtanBlend32(TSample32& S, float D, float Dry, float Wet);
void DistortionSineHalf32(TSample32& S, float D);
void DistortionGateSquare32(TSample32& S, float Level, float Threshold);
void DistortionHalfAtan32(TSample32& S, int32_t Gain);
void DistortionCosine32(TSample32& S, float D);
void DistortionSlewReset32(TDistortor& State, TSample32& S, float D);
void DistortionSlewLimit32(TDistortor& State, TSample32& S, float D);
void DistortionSlewRate32(TDistortor& State, TSample32& S, float D);
void DistortionGainRide32(TDistortor& State, TSample32& S, float D);
void DistortionAtanFeedback32(TDistortor& State, TSample32& S, float D);

// Limit x atan(X / Limit), Limit raised to at least 1e-5.
float SoftLimitValue(float X, float Limit);

}  // namespace kromel
