#include "audio/sample_processors.h"

#include <algorithm>
#include <cmath>

namespace kromel {

namespace {
int64_t HeldCount(const TSample32& S) { return S.Data != nullptr ? std::max<int64_t>(S.Count, 0) : 0; }
}  // namespace

// The ring is cleared here too, so mode 3 never reads undefined samples.
TSampleAndHoldProcessor::TSampleAndHoldProcessor() {
  Buffer.Init();
  if (Buffer.Alloc(RingSize)) Buffer.Clear();
}

TSampleAndHoldProcessor::~TSampleAndHoldProcessor() { Buffer.Dispose(); }

void TSampleAndHoldProcessor::Reset() {
  Held = 0;
  Factor = 0;
  Rate = 44100;
  Buffer.Clear();
}

float TSampleAndHoldProcessor::Random() {
  return std::uniform_real_distribution<float>(0.0f, 1.0f)(FRandom);
}

void TSampleAndHoldProcessor::Process(TSample32& Sample, int32_t) {
  const int64_t N = HeldCount(Sample);
  const float Period = float(Sample.SampleRate) / float(Rate);
  float* X = Sample.Data;
  switch (Mode) {
    case 0:
      for (int64_t I = 0; I < N; ++I) {
        Counter += 1;
        if (Counter > Period) {
          Held = X[I];
          Counter -= Period;
        }
        X[I] = Held * Amount + X[I] * (1 - Amount);
      }
      break;
    case 1:
      for (int64_t I = 0; I < N; ++I) {
        Counter += 1;
        if (Counter > Period) {
          Held = X[I];
          Counter -= (Random() * 0.2f + 1) * Period;
          Factor = (Random() * 0.2f + 0.8f) * Amount;
        }
        X[I] = Held * Factor + (1 - Factor) * X[I];
      }
      break;
    case 2:
      for (int64_t I = 0; I < N; ++I) {
        Counter += 1;
        if (Counter > Period) {
          Counter -= Period;
          Factor = Factor != 1 ? 1 : 1 - Amount;
        }
        X[I] *= Factor;
      }
      break;
    case 3: {
      if (Rate < 500) Rate = 500;
      if (Buffer.Data == nullptr || HeldCount(Buffer) < RingSize) return;
      const int32_t Delay = Sample.SampleRate / Rate;
      for (int64_t I = 0; I < N; ++I) {
        WritePos &= RingSize - 1;
        Buffer.Data[WritePos] = X[I];
        const float D = Buffer.Data[((WritePos - Delay) % RingSize + RingSize) % RingSize];
        X[I] = X[I] - D * Amount;
        if (++WritePos >= RingSize) WritePos = 0;
      }
      break;
    }
    default:
      break;
  }
}

void TDerivativeProcessor::Process(TSample32& Sample) {
  for (int64_t I = 0, N = HeldCount(Sample); I < N; ++I) {
    const float X = Sample.Data[I];
    Sample.Data[I] = (Last - X) * 16;
    Last = X;
  }
}

void TIntegrateProcessor::Process(TSample32& Sample) {
  for (int64_t I = 0, N = HeldCount(Sample); I < N; ++I) {
    Sum = Sum + Sample.Data[I] * 0.0625f;
    Sample.Data[I] = Sum;
    Sum = Sum * 0.9765625f;
  }
}

void TCompressorProcessor::Init() {
  MaxGain = 100;
  AttackMs = 30;
  ReleaseMs = 100;
  Envelope = 1;
  Smoothed = 1;
}

void TCompressorProcessor::Process(TSample32& Sample) {
  if (AttackMs < 1) AttackMs = 1;
  if (ReleaseMs < 1) ReleaseMs = 1;
  if (Sample.SampleRate <= 0) return;
  const float Up = 1 / (AttackMs / 1000) / float(Sample.SampleRate);
  const float Down = 1 / (ReleaseMs / 1000) / float(Sample.SampleRate);
  for (int64_t I = 0, N = HeldCount(Sample); I < N; ++I) {
    const float A = std::fabs(Sample.Data[I]);
    if (A > Envelope) Envelope += Up;
    if (A < Envelope) Envelope -= Down;
    Smoothed = Smoothed * 0.999f + Envelope * 0.001f;
    float G = 1 / Smoothed;
    if (G > MaxGain) G = MaxGain;
    Sample.Data[I] *= G;
  }
}

void TLimiterProcessor::Init() {
  GainDB = 6;
  Gain = 1;
}

namespace {
// One step of the limiter for a frame whose louder magnitude is Level;
// returns the factor the frame is multiplied by.
float LimiterStep(float& Gain, float G, float Level) {
  Gain = (Gain - 1) / 1.0001f + 1;
  const float C = Level * G * Gain;
  if (C >= 1)
    Gain = Gain / C;
  else if (C > 0.35f)
    // Below 0 the gain would invert the signal and climb past the ceiling.
    Gain = std::max(Gain + (Gain - 0.7f / C) / 1000, 0.0f);
  return G * Gain * 0.98f;
}
}  // namespace

void TLimiterProcessor::Process(TSample32& Sample) {
  const float G = float(std::pow(10.0, GainDB / 20.0));
  for (int64_t I = 0, N = HeldCount(Sample); I < N; ++I)
    Sample.Data[I] *= LimiterStep(Gain, G, std::fabs(Sample.Data[I]));
}

void TLimiterProcessor::ProcessStereo(TStereoSample32& Stereo) {
  if (!Stereo.Right.HoldsData()) {
    Process(Stereo.Left);
    return;
  }
  const float G = float(std::pow(10.0, GainDB / 20.0));
  const int64_t N = std::min(HeldCount(Stereo.Left), HeldCount(Stereo.Right));
  for (int64_t I = 0; I < N; ++I) {
    const float F = LimiterStep(Gain, G, std::max(std::fabs(Stereo.Left.Data[I]), std::fabs(Stereo.Right.Data[I])));
    Stereo.Left.Data[I] *= F;
    Stereo.Right.Data[I] *= F;
  }
}

}  // namespace kromel
