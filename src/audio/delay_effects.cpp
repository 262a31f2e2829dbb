#include "audio/delay_effects.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <string>

#include "audio/fpu_helpers.h"
#include "audio/sample_effects.h"
#include "foundation/error_sink.h"

namespace kromel {

int32_t ResonanceStages = 0;
int32_t ResonanceFlag = 0;

namespace {

constexpr int32_t PingPongRing = 65536;
constexpr int32_t FlangerRing = 8192;

template <typename T>
int64_t Held(const T& S) {
  return S.Data != nullptr ? std::max<int64_t>(S.Count, 0) : 0;
}

int32_t Limit16(int64_t V) { return int32_t(std::clamp<int64_t>(V, -32767, 32767)); }

// Index I wrapped into 0..N-1 whatever its sign.
int64_t Wrap(int64_t I, int64_t N) { return ((I % N) + N) % N; }

bool Refuse(const char* Routine, const std::string& Why) {
  ErrorMessageProc(std::string("Exception in ") + Routine + " - " + Why);
  return false;
}

bool DelayUsable(const char* Routine, int64_t Delay) {
  return Delay >= 1 || Refuse(Routine, "delay " + std::to_string(Delay) + " must be at least 1");
}

template <typename T>
bool RingUsable(const char* Routine, const T& Ring, int64_t Need) {
  return Held(Ring) >= Need ||
         Refuse(Routine, "ring of " + std::to_string(Held(Ring)) + " samples, " + std::to_string(Need) + " needed");
}

std::mt19937& UnitRandom() {
  static std::mt19937 R(0x57a1);
  return R;
}
float Rnd() { return std::uniform_real_distribution<float>(0.0f, 1.0f)(UnitRandom()); }

}  // namespace

void Echo16(TSample16& Sample, TSample16& Ring, int32_t Feed, int32_t Feedback, int32_t DelayLen,
            int32_t Damp, bool Prefill, bool Reset) {
  if (!DelayUsable("Echo16", DelayLen) || !RingUsable("Echo16", Ring, DelayLen)) return;
  int16_t* R = Ring.Data;
  int16_t* X = Sample.Data;
  const int64_t N = Held(Sample);
  if (Reset) std::fill_n(R, DelayLen, int16_t(0));
  int64_t P = 0;
  if (Prefill && Reset)
    for (int64_t I = 0; I < N; ++I) {
      R[P] = int16_t(Limit16((int64_t(X[I]) * Feed / 32768 + R[P]) * Feedback / 32768));
      if (++P >= DelayLen) P = 0;
    }
  P = 0;
  int64_t D = 0;
  for (int64_t I = 0; I < N; ++I) {
    const int64_t In = X[I];
    X[I] = int16_t(Limit16(In + R[P]));
    const int64_t W = (In * Feed / 32768 + R[P]) * Feedback / 32768;
    R[P] = int16_t(Limit16(D * (256 - Damp) / 256 + W * Damp / 256));
    D = R[P];
    if (++P >= DelayLen) P = 0;
  }
}

void Echo32(TSample32& Sample, TSample32& Ring, int32_t Feed, int32_t Feedback, int32_t DelayLen,
            int32_t Damp, bool Prefill, bool Reset) {
  if (!DelayUsable("Echo32", DelayLen) || !RingUsable("Echo32", Ring, 2)) return;
  const int64_t Len = std::min<int64_t>(std::max(DelayLen, 2), Held(Ring));
  float* R = Ring.Data;
  float* X = Sample.Data;
  const int64_t N = Held(Sample);
  const float FeedF = float(Feed) / 32768, BackF = float(Feedback) / 32768, M = float(Damp) / 256;
  float D = 0;
  if (Reset) Ring.Clear();
  int64_t P = 0;
  auto Step = [&](float In) {
    R[P] = (In * FeedF + R[P] * BackF) * M + D * (1 - M);
    D = R[P];
    if (++P >= Len) P = 0;
  };
  if (Prefill && Reset) {
    for (int64_t I = 0; I < N; ++I) Step(X[I]);
    FadeEdges500(Ring);
  }
  P = 0;
  D = 0;
  for (int64_t I = 0; I < N; ++I) {
    const float In = X[I];
    X[I] = In + R[P];
    Step(In);
  }
}

namespace {
void PingPong(const char* Routine, TStereoSample32& Stereo, TStereoSample32& Rings, int32_t Feed,
              int32_t Self, int32_t Cross, int32_t DelayLeft, int32_t DelayRight, int32_t Damp,
              float Width, bool Wide, bool Reset) {
  if (!DelayUsable(Routine, DelayLeft) || !DelayUsable(Routine, DelayRight) ||
      !RingUsable(Routine, Rings.Left, PingPongRing) || !RingUsable(Routine, Rings.Right, PingPongRing))
    return;
  const int64_t N = std::min(Held(Stereo.Left), Held(Stereo.Right));
  const int32_t DL = std::max(DelayLeft, 2), DR = std::max(DelayRight, 2);
  const float M = float(Damp) / 256, FeedF = float(Feed) / 32768, SelfF = float(Self) / 32768,
              CrossF = float(Cross) / 32768;
  const float O = Width / 512 + 0.5f;
  float* RL = Rings.Left.Data;
  float* RR = Rings.Right.Data;
  if (Reset) {
    std::fill_n(RL, PingPongRing, 0.0f);
    std::fill_n(RR, PingPongRing, 0.0f);
  }
  uint16_t J = 0;
  float UL = 0, UR = 0;
  for (int64_t I = 0; I < N; ++I) {
    const float L = Stereo.Left.Data[I], R = Stereo.Right.Data[I];
    const float A = RL[uint16_t(J - DL)], B = RR[uint16_t(J - DR)];
    if (Wide) {
      Stereo.Left.Data[I] = L + A * (1 - O) + B * O;
      Stereo.Right.Data[I] = R + B * (1 - O) + A * O;
    } else {
      Stereo.Left.Data[I] = L + B;
      Stereo.Right.Data[I] = R + A;
    }
    RL[J] = (L * FeedF + B * CrossF + A * SelfF) * M + UL * (1 - M);
    RR[J] = (R * FeedF + A * CrossF + B * SelfF) * M + UR * (1 - M);
    UL = RL[J];
    UR = RR[J];
    ++J;
  }
}
}  // namespace

void PingPongEcho32(TStereoSample32& Stereo, TStereoSample32& Rings, int32_t Feed, int32_t Self,
                    int32_t Cross, int32_t DelayLeft, int32_t DelayRight, int32_t Damp, bool Reset) {
  PingPong("PingPongEcho32", Stereo, Rings, Feed, Self, Cross, DelayLeft, DelayRight, Damp, 0, false, Reset);
}

void PingPongEchoWide32(TStereoSample32& Stereo, TStereoSample32& Rings, int32_t Feed, int32_t Self,
                        int32_t Cross, int32_t DelayLeft, int32_t DelayRight, int32_t Damp,
                        int32_t Width, bool Reset) {
  PingPong("PingPongEchoWide32", Stereo, Rings, Feed, Self, Cross, DelayLeft, DelayRight, Damp,
           float(Width), true, Reset);
}

void CombFilter32(TSample32& Sample, TSample32& Ring, int64_t Pos, int32_t OutFeed, int32_t Len,
                  int32_t InFeed, int32_t Damp) {
  if (!DelayUsable("CombFilter32", Len) || !RingUsable("CombFilter32", Ring, Len)) return;
  const float In = float(std::min(InFeed, 256)) / 256, Out = float(OutFeed) / 256, M = float(Damp) / 256;
  float* R = Ring.Data;
  for (int64_t I = 0, N = Held(Sample); I < N; ++I, ++Pos) {
    const int64_t K = Wrap(Pos, Len);
    const float X = Sample.Data[I];
    const float Old = R[K];
    R[K] = (Old * In + X) * M + (1 - M) * R[Wrap(Pos + Len - 1, Len)];
    Sample.Data[I] = X + Old * Out;
  }
}

void Flanger32(TSample32& Sample, TSample32& Ring, int64_t Pos, int32_t Mix, int32_t MinDelay,
               int32_t MaxDelay, int32_t Rate, int32_t Feedback, float& Phase) {
  FPUClearExceptions();
  if (!RingUsable("Flanger32", Ring, FlangerRing) || Sample.SampleRate <= 0) return;
  if (!std::isfinite(Phase)) Phase = 0;
  int64_t Lo = int64_t(Sample.SampleRate) * MinDelay / 44100;
  int64_t Hi = int64_t(Sample.SampleRate) * MaxDelay / 44100;
  if (Lo > Hi) std::swap(Lo, Hi);
  Lo = std::clamp<int64_t>(Lo, 0, FlangerRing - 2);
  Hi = std::clamp<int64_t>(Hi, 0, FlangerRing - 2);
  // The sweep reaches 2 Hi - Lo + 1 samples back; keep it inside the ring.
  Hi = std::min<int64_t>(Hi, (FlangerRing - 2 + Lo) / 2);
  const float Fb = float(std::min(Feedback, 128)) / 142;
  const float Wet = float(Mix) / 32768, Dry = 1 - Wet;
  const double Step = (Rate / 100.0) / Sample.SampleRate * 2 * std::numbers::pi;
  float* R = Ring.Data;
  for (int64_t I = 0, N = Held(Sample); I < N; ++I, ++Pos) {
    Phase = float(Phase + Step);
    const int64_t W = Pos & (FlangerRing - 1);
    R[W] = Sample.Data[I];
    const float X = Sample.Data[I] * Dry;
    const double Delay = (std::sin(double(Phase)) + 1) * double(Hi - Lo) + Lo + 1;
    const double T = double(W) - Delay;
    const double F = std::floor(T);
    const int64_t K = int64_t(F);
    const float Frac = float(T - F);
    const float V = R[K & (FlangerRing - 1)] * (1 - Frac) + R[(K + 1) & (FlangerRing - 1)] * Frac;
    Sample.Data[I] = V * Wet + X;
    R[W] += V * Fb;
  }
  while (Phase > 8 * std::numbers::pi_v<float>) Phase -= 16 * std::numbers::pi_v<float>;
}

bool TReverbBufs::Init() {
  bool Ok = true;
  for (TSample32& R : Rings) {
    R.Init();
    if (R.Alloc(RingSize))
      R.Clear();
    else
      Ok = false;
  }
  Pos = 0;
  LowPass = 0;
  return Ok;
}

void TReverbBufs::Done() {
  for (TSample32& R : Rings) {
    R.Dispose();
    R.Count = 0;
  }
}

void TReverbBufs::Clear() {
  for (TSample32& R : Rings) R.Clear();
}

namespace {
const int32_t Delays13[13] = {244, 258, 272, 284, 298, 300, 310, 313, 333, 338, 339, 348, 359};
const float Gains13[13] = {0.9999995f, 0.9995f, 0.999f, -0.9985f, 0.999f, 0.999f, -0.998f,
                           0.998f,     -0.998f, 0.997f, 0.9975f,  0.997f, -0.996f};
const int32_t Delays9[9] = {17, 59, 127, 155, 179, 191, 251, 278, 341};
const float Gains9[9] = {0.9999995f, 0.9985f, 0.9985f, 0.999f, 0.998f, 0.997f, 0.997f, 0.9965f, 0.996f};

// (Decay/Base)^(1/16) by four square roots, at most 0.999; 0 for no decay.
float ReverbFeedback(int32_t Decay, float Base) {
  if (Decay <= 0) return 0;
  float G = float(Decay) / Base;
  for (int K = 0; K < 4; ++K) G = std::sqrt(G);
  return std::min(G, 0.999f);
}

bool ReverbUsable(const char* Routine, const TReverbBufs& Bufs, int32_t Lines) {
  for (int32_t K = 0; K < Lines; ++K)
    if (!RingUsable(Routine, Bufs.Rings[K], TReverbBufs::RingSize)) return false;
  return true;
}
}  // namespace

void Reverb13(TSample32& Sample, TReverbBufs& Bufs, int32_t Dry, int32_t Wet, int32_t Decay,
              int32_t Damp, bool Reset) {
  if (!ReverbUsable("Reverb13", Bufs, 13)) return;
  constexpr int32_t Mask = TReverbBufs::RingSize - 1;
  if (Reset) {
    Bufs.Clear();
    Bufs.Pos = 0;
    Bufs.LowPass = 0;
  }
  const float G = ReverbFeedback(Decay, 2400), H = float(Damp) / 256, DryF = float(Dry) / 32768,
              WetF = float(Wet) / 32768 / 13 * 0.25f;
  int32_t P = Bufs.Pos & Mask;
  float S = Bufs.LowPass;
  for (int64_t I = 0, N = Held(Sample); I < N; ++I) {
    const float X = Sample.Data[I];
    S = S * (1 - H) + X * H;
    float T = 0;
    for (int32_t K = 0; K < 13; ++K) {
      float* R = Bufs.Rings[K].Data;
      R[P] = S;
      const float E = R[(P - Delays13[K]) & Mask] * Gains13[K];
      R[P] = E * G + S;
      T += E;
    }
    Sample.Data[I] = T * WetF + X * DryF;
    P = (P + 1) & Mask;
  }
  Bufs.Pos = P;
  Bufs.LowPass = S;
}

void Reverb9(TSample32& Sample, TReverbBufs& Bufs, int32_t Dry, int32_t Wet, int32_t Decay,
             int32_t Damp, bool Reset) {
  if (!ReverbUsable("Reverb9", Bufs, 9)) return;
  constexpr int32_t Mask = TReverbBufs::RingSize - 1;
  if (Reset) {
    for (int32_t K = 0; K < 9; ++K) Bufs.Rings[K].Clear();
    Bufs.Pos = 0;
  }
  const float G = ReverbFeedback(Decay, 2000), H = float(Damp) / 256, DryF = float(Dry) / 32768,
              WetF = float(Wet) / 32768 / 9;
  int32_t P = Bufs.Pos & Mask;
  for (int64_t I = 0, N = Held(Sample); I < N; ++I) {
    const float X = Sample.Data[I];
    float T = 0;
    for (int32_t K = 0; K < 9; ++K) {
      float* R = Bufs.Rings[K].Data;
      R[P] = X;
      const float E = R[(P - Delays9[K]) & Mask] * Gains9[K];
      R[P] = R[(P - 1) & Mask] * (1 - H) + (E * G + X) * H;
      T += E;
    }
    Sample.Data[I] = T * WetF + X * DryF;
    P = (P + 1) & Mask;
  }
  Bufs.Pos = P;
}

namespace {
// The pitched comb of the resonance routines, in the 16-bit number range.
template <typename TRec>
void Resonance(const char* Routine, TRec& Rec, int64_t& Pos) {
  if (!RingUsable(Routine, Rec.Ring, ResonanceRingSize)) return;
  const int32_t Rate = Rec.Sample.SampleRate;
  const int64_t N = Held(Rec.Sample);
  const bool HasControl = Rec.Control != nullptr && Rec.Control->Data != nullptr;
  const int64_t ControlN = HasControl ? Held(*Rec.Control) : 0;
  auto* Ring = Rec.Ring.Data;
  double F = Rec.Freq;
  for (int64_t I = 0; I < N; ++I) {
    if (I < ControlN) F = std::clamp(double(Rec.Control->Data[I]) * 0.25, 0.0, Rate * 0.25);
    if (Rate <= 0 || F < Rate / ResonanceRingSize || F <= 0) {
      Rec.Sample.Data[I] = 0;
      continue;
    }
    const double T = double(Pos) - Rate / F;
    const double E = std::min(F * (Rec.LowPass / 256.0) / 1000, 1.0);
    const double Fl = std::floor(T);
    const double Frac = T - Fl;
    const int64_t K = Wrap(int64_t(Fl), ResonanceRingSize);
    const double V = Ring[K] * (1 - Frac) + Ring[(K + 1) % ResonanceRingSize] * Frac;
    const double W = V * Rec.Feedback * 0.0009765625 + Rec.Sample.Data[I];
    const double Y = Limit16(int64_t(std::clamp(std::nearbyint((1 - E) * Rec.PrevOut + W * E), -1e9, 1e9)));
    Rec.Sample.Data[I] = decltype(Rec.PrevOut)(Y);
    Rec.PrevOut = decltype(Rec.PrevOut)(Y);
    Ring[Wrap(Pos, ResonanceRingSize)] = decltype(Rec.PrevOut)(Y);
    ++Pos;
  }
}
}  // namespace

void ResonanceProcess16(TResonanceRec& Rec, int64_t& Pos) { Resonance("ResonanceProcess16", Rec, Pos); }
void ResonanceProcess32(TResonanceRec32& Rec, int64_t& Pos) { Resonance("ResonanceProcess32", Rec, Pos); }

void SetResonanceStages(uint8_t Stages, bool Flag) {
  if (Stages == 0) return;
  ResonanceFlag = Flag ? 1 : 0;
  ResonanceStages = std::min<int32_t>((Stages + 1) & ~1, MaxResonanceStages);
}

void ClearResonanceStages() { ResonanceStages = 0; }

void ResonantFilter32(TResonanceRec32& Rec, TSample32& Sample, double Freq, double Bandwidth) {
  if (!(Bandwidth > 0.001)) Bandwidth = 0.001;
  const int32_t Sections = std::clamp(ResonanceStages / 2, 0, MaxResonanceStages / 2);
  const double Rate = Sample.SampleRate > 0 ? Sample.SampleRate : 44100;
  const bool HasControl = Rec.Control != nullptr && Rec.Control->Data != nullptr;
  const int64_t ControlN = HasControl ? Held(*Rec.Control) : 0;
  double* St = Rec.FilterState.data();
  for (int64_t I = 0, N = Held(Sample); I < N; ++I) {
    double Fn = I < ControlN ? Rec.Control->Data[I] / Rate * 0.25 * 32768 : Freq / Rate * 44100;
    Fn = std::clamp(std::isnan(Fn) ? 0.001 : Fn, 0.001, 0.5);
    const double D = -(Fn * std::numbers::pi) / Bandwidth;
    const double R = std::exp(D);
    const double C = 2 * R * std::cos(2 * std::numbers::pi * Fn);
    const double Q = -std::exp(2 * D);
    const double K = 1 - C - Q;
    double X = Sample.Data[I];
    for (int32_t S = 0; S < Sections; ++S) {
      const double Y = K * X + Q * St[2 * S + 1] + C * St[2 * S];
      St[2 * S + 1] = St[2 * S];
      St[2 * S] = Y;
      X = Y;
    }
    Sample.Data[I] = float(X);
  }
}

namespace {
struct TStringState {
  std::array<float, 10> P{}, V{}, K{}, R{}, W{};
};
TStringState& StringState() {
  static TStringState S;
  return S;
}
void SetSpringConstants(TStringState& S, float Freq, int32_t Rate) {
  const float D = Rate > 0 ? Freq / float(Rate) * 4 : 0;
  for (int I = 0; I < 10; ++I) S.K[I] = 0.5f * D + S.R[I] * D * 0.5f;
  S.P[0] = 0;
}
}  // namespace

void StringModelInit() {
  TStringState& S = StringState();
  for (int I = 0; I < 10; ++I) {
    S.P[I] = S.V[I] = 0;
    S.R[I] = Rnd();
    S.W[I] = float(1 / std::pow(double((8 - I) * (8 - I) + 1), 0.25));
  }
}

void StringModel(TSample32& Sample, float Freq, float Noise, float Damping) {
  TStringState& S = StringState();
  SetSpringConstants(S, Freq, Sample.SampleRate);
  for (int64_t I = 0, N = Held(Sample); I < N; ++I) {
    S.V[1] += ((Rnd() - 0.5f) * Noise + 1) * (Sample.Data[I] - S.P[1]);
    for (int K = 1; K <= 8; ++K) {
      S.V[K] += (S.K[K] + S.K[K - 1]) * (S.P[K - 1] - S.P[K]) * 0.5f +
                (S.K[K] + S.K[K + 1]) * (S.P[K + 1] - S.P[K]) * 0.5f;
      if (S.P[K] > 1) S.V[K] -= (S.P[K] - 1) * 0.1f;
      if (S.P[K] < -1) S.V[K] -= (S.P[K] + 1) * 0.1f;
      S.V[K] = std::clamp(S.V[K], -1.0f, 1.0f);
    }
    float Y = 0;
    for (int K = 0; K < 10; ++K) {
      S.P[K] += S.V[K];
      S.V[K] *= Damping;
      Y += S.P[K] * S.W[K];
    }
    Sample.Data[I] = Y;
  }
}

void StringModelB(TSample32& Sample, float Freq, float Damping) {
  TStringState& S = StringState();
  SetSpringConstants(S, Freq, Sample.SampleRate);
  for (int64_t I = 0, N = Held(Sample); I < N; ++I) {
    const float X = Sample.Data[I];
    if (X < S.P[5]) S.V[5] += X - S.P[5];
    for (int K = 1; K <= 8; ++K)
      S.V[K] = std::clamp(S.V[K] + (S.P[K - 1] - S.P[K]) * S.K[K] + (S.P[K + 1] - S.P[K]) * S.K[K], -10.0f, 10.0f);
    float Sum = 0;
    for (int K = 0; K < 10; ++K) {
      S.P[K] += S.V[K];
      S.V[K] *= Damping;
      Sum += S.P[K];
    }
    Sample.Data[I] = std::clamp(Sum / 10, -10.0f, 10.0f);
  }
}

void StringModelC(TSample32&, float, float) {}

}  // namespace kromel
