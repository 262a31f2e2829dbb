// Biquad cascade on float sample buffers: RBJ and Butterworth designs,
// up to 24 identical sections sharing one coefficient block, histories kept
// per section so consecutive buffers of one stream join without clicks.
// TIIRStereoFilter runs Left's design on both channels.
#pragma once
#include <array>
#include <cstdint>

#include "audio/stereo_sample.h"
#include "images/sample.h"

namespace kromel {

constexpr int32_t IIRMaxStages = 24;

// Designs clamp Freq to it (see the Init... routines).
extern int32_t MaxFilterFreq;

struct TIIRCoeffs {
  float A0 = 1, A1 = 0, A2 = 0;
  float B0 = 1, B1 = 0, B2 = 0;
  int32_t Valid = 0;

  void SetIdentity();
};

struct TIIRFilter {
  // Working coefficients, normalised by Coeffs.A0; one block (see
  // CopyWorkingCoeffs).
  float B0 = 1, NegA1 = 0, NegA2 = 0, B1 = 0, B2 = 0, A1 = 0, A2 = 0;
  // Per section s: [2s] is the last value, [2s+1] the one before.
  std::array<float, 2 * IIRMaxStages> XHist{};
  std::array<float, 2 * IIRMaxStages> YHist{};
  std::array<float, 4 * IIRMaxStages> VecState{};
  TSample32 Buffer;  // view of the block to process; never owned
  float Freq = 1000;
  float SmoothedFreq = 100;
  TSample32* ModSource = nullptr;  // control signal of the modulated routines
  float Resonance = 5.656854f;     // Q = Resonance / 8
  float Bandwidth = 100;
  int32_t Stages = 1;  // 1..24; more are run as 24
  float GainDB = 0;
  float ShelfSlope = 1;
  float Q = 0.7071068f;
  TIIRCoeffs Coeffs;
  float ModDepth = 0;
  int32_t ModPos = 0;
  float DirectLevel = 0;  // 1/16384
  int32_t SampleRate = 44100;
  int32_t SkipCount = 0;

  // Pass-through coefficients (histories untouched).
  void Init();
  void Normalize();
  void AddDirect();
  void ScaleNumerator(float F);
  bool IsIdentity() const;
  void CopyWorkingCoeffs(TIIRFilter& Dest) const;
  int32_t ActiveStages() const;

  void Reset();
  void ClearHistory();
  void ResetIfNaN();
  void FlushDenormals();
  void DampIfUnstable();
  void FillHistory(float V);

  void InitLowPass();
  void InitHighPass();
  void InitBandPass();
  void InitNotch();
  void InitPeak();
  void InitPeakQ();
  void InitPeakBW();
  void InitLowShelf();
  void InitHighShelf();
  void InitToneHighShelf();
  void InitToneLowShelf();
  void InitButterworthLowPass();
  void InitButterworthHighPass();
  void InitButterworthBandPass();
  void InitButterworthBandReject();
  void InitResonantLowPass();
  void InitBypass();
  void SetPeak(float AFreq, float AGainDB, float AQ);

private:
  void ClearStates();
  void DesignPeak(double Alpha);
  void DesignShelf(double W, double A, bool High);
};

// A design routine run on whichever filter the caller names.
using TIIRFilterProc = void (TIIRFilter::*)();

struct TIIRStereoFilter {
  TIIRFilter Left;
  TIIRFilter Right;

  void SetModSource(TSample32* Source);
  void SetFreq(float V);
  void SetResonance(float V);
  void SetBandwidth(float V);
  void SetStages(int32_t V);
  void SetShelfSlope(float V);
  void SetSampleRate(int32_t V);
  void SetGainDB(float V);
  void SetQ(float V);
  void InitBypass();
  void ClearHistory();
  void FlushDenormals();
  void InitButterworthLowPass();
  void InitButterworthHighPass();
  void InitHighPass();
  void InitNotch();
  void InitPeakQ();
  void InitLowPass();
  void InitHighShelf();
  void InitLowShelf();
  // Left's coefficient block and Stages onto Right.
  void SyncRight();
};

float IIRProcessSample(TIIRFilter& F, float X);
void IIRProcessBuf(TIIRFilter& F);
// Forward, then backward over the reversed buffer, state carried on.
void IIRProcessBufZeroPhase(TIIRFilter& F);
// The first SkipCount samples of the stream only feed the state.
void IIRProcessBufSkip(TIIRFilter& F, TSample32& Sample);
void IIRProcessBufStereo(TIIRStereoFilter& S);
void IIRProcessBufStereoSkip(TIIRStereoFilter& S, TStereoSample32& Sample);
void IIRProcessBufStereoSSE2(TIIRStereoFilter& S);
void IIRProcessBufStereoSSE3(TIIRStereoFilter& S);
void IIRProcessBufTo(TIIRFilter& F, TSample32& Dest);
void IIRProcessBufPeak(TIIRFilter& F);
void IIRProcessBufValve(TIIRFilter& F);
void IIRProcessBufStereoTo(TIIRStereoFilter& S, TStereoSample32& Dest);
void IIRProcessBufStereoValve(TIIRStereoFilter& S);
// Throws std::runtime_error("Tabled IIR").
void IIRTabledFilter();

using ProcIIRProcessBufStereoType = void (*)(TIIRStereoFilter&);
extern ProcIIRProcessBufStereoType ProcIIRProcessBufStereo;

}  // namespace kromel
