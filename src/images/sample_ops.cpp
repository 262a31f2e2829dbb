#include "images/sample_ops.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <numbers>

#include "foundation/error_sink.h"
#include "foundation/number_format.h"
#include "foundation/numeric.h"

namespace kromel {

namespace {

int64_t Held(const TSample32& S) { return S.Data != nullptr ? std::max<int64_t>(S.Count, 0) : 0; }
int64_t Held(const TSample16& S) { return S.Data != nullptr ? std::max<int64_t>(S.Count, 0) : 0; }

// True when S holds data with at least N samples; otherwise reported.
bool HasRoom(const TSample32& S, int64_t N, const char* Routine) {
  if (N <= 0 || Held(S) >= N) return true;
  ErrorMessageProc(std::string(Routine) + " - Size mismatch, needed=" + std::to_string(N) +
                   " Count=" + std::to_string(Held(S)));
  return false;
}

template <class F>
void Combine(const TSample32& A, const TSample32& B, TSample32& Dst, const char* Routine, F Fn) {
  const int64_t N = Held(A);
  if (N == 0 || !HasRoom(B, N, Routine) || !HasRoom(Dst, N, Routine)) return;
  for (int64_t I = 0; I < N; ++I) Dst.Data[I] = Fn(A.Data[I], B.Data[I]);
}

float SoftWeight(float A, float B) {
  return float(std::atan(2.0L * ((long double)A - B)) / std::numbers::pi_v<long double> + 0.5L);
}

float PowerL(long double Base, long double Exponent) {
  return float(std::pow(Base, Exponent));
}

float Clip999(float V) {
  if ((long double)V > 0.999L) return 0.999f;
  if ((long double)V < -0.999L) return -0.999f;
  return V;
}

template <int Slots>
void RunningMax(TSample32& S) {
  const int64_t N = Held(S);
  float Window[Slots] = {};
  for (int64_t I = 0; I < N; ++I) {
    Window[I & (Slots - 1)] = S.Data[I];
    float M = Window[0];
    for (int K = 1; K < Slots; ++K) M = std::max(M, Window[K]);
    S.Data[I] = M;
  }
}

// The sweep of FillTestSweep and FillSweep; Wrap brings a phase back.
template <class W>
void Sweep(TSample32& S, float& P, float& M, W Wrap) {
  const int64_t N = Held(S);
  for (int64_t I = 0; I < N; ++I) {
    S.Data[I] = float(std::sin((long double)P) * 0.5L);
    P = float(P + (std::sin((long double)M) + 2.0L) * 0.03L);
    M = float(M + 1.0e-5L);
    Wrap(P);
    Wrap(M);
  }
}

int64_t FloorMod(int64_t K, int64_t N) {
  const int64_t R = K % N;
  return R < 0 ? R + N : R;
}

int64_t FloorDiv(int64_t K, int64_t N) { return (K - FloorMod(K, N)) / N; }

}  // namespace

// ---- element-wise ---------------------------------------------------------

void SubtractSamples32(const TSample32& A, const TSample32& B, TSample32& Dst) {
  Combine(A, B, Dst, "SubtractSamples32", [](float X, float Y) { return X - Y; });
}

void AddSamples32(const TSample32& A, const TSample32& B, TSample32& Dst) {
  const int64_t N = std::min(Held(A), Held(B));
  if (N == 0 || !HasRoom(Dst, N, "AddSamples32")) return;
  for (int64_t I = 0; I < N; ++I) Dst.Data[I] = A.Data[I] + B.Data[I];
}

void MixSamplesMax32(const TSample32& A, const TSample32& B, TSample32& Dst) {
  Combine(A, B, Dst, "MixSamplesMax32", [](float X, float Y) { return X > Y ? X : Y; });
}

void MixSamplesMin32(const TSample32& A, const TSample32& B, TSample32& Dst) {
  try {
    Combine(A, B, Dst, "MixSamplesMin32", [](float X, float Y) { return X < Y ? X : Y; });
  } catch (...) {
    ErrorMessageProc("Exception in MixSamplesMin32");
  }
}

void MixSamplesSoftMax32(const TSample32& A, const TSample32& B, TSample32& Dst) {
  Combine(A, B, Dst, "MixSamplesSoftMax32", [](float X, float Y) {
    const float W = SoftWeight(X, Y);
    return W * X + (1.0f - W) * Y;
  });
}

void MixSamplesSoftMin32(const TSample32& A, const TSample32& B, TSample32& Dst) {
  Combine(A, B, Dst, "MixSamplesSoftMin32", [](float X, float Y) {
    const float W = SoftWeight(X, Y);
    return (1.0f - W) * X + W * Y;
  });
}

void MixSamplesMaxMin32(const TSample32& A, const TSample32& B, TSample32& Dst) {
  Combine(A, B, Dst, "MixSamplesMaxMin32",
          [](float X, float Y) { return MaxSingle(X, MinSingle(Y, X + Y)); });
}

void MixSamplesSignedMagnitude32(const TSample32& A, const TSample32& B, TSample32& Dst) {
  Combine(A, B, Dst, "MixSamplesSignedMagnitude32", [](float X, float Y) {
    return (X + Y) * (X * Y) > 0 ? std::fabs(X) : -std::fabs(X);
  });
}

void MixSamplesMaxAbs32(const TSample32& A, const TSample32& B, TSample32& Dst) {
  Combine(A, B, Dst, "MixSamplesMaxAbs32",
          [](float X, float Y) { return std::fabs(X) > std::fabs(Y) ? X : Y; });
}

void MixSamplesMinAbs32(const TSample32& A, const TSample32& B, TSample32& Dst) {
  Combine(A, B, Dst, "MixSamplesMinAbs32",
          [](float X, float Y) { return std::fabs(X) < std::fabs(Y) ? X : Y; });
}

void MixSamplesDamped32(const TSample32& A, const TSample32& B, TSample32& Dst) {
  Combine(A, B, Dst, "MixSamplesDamped32", [](float X, float Y) {
    const float D = X - Y;
    return Y / (D * D + 1.0f);
  });
}

void MixSamplesPowerCurve32(const TSample32& A, const TSample32& B, TSample32& Dst) {
  Combine(A, B, Dst, "MixSamplesPowerCurve32", [](float X, float Y) {
    const long double E = 3.0L * std::fabs((long double)Y) + 1.0L;
    return X > 0 ? PowerL(X, E) : -PowerL(-(long double)X, E);
  });
}

void MixSamplesPower32(const TSample32& A, const TSample32& B, TSample32& Dst) {
  Combine(A, B, Dst, "MixSamplesPower32", [](float X, float Y) {
    return X > 0 ? PowerL(X, std::fabs((long double)Y))
                 : -PowerL(std::fabs((long double)Y), std::fabs((long double)X));
  });
}

void MixSamplesPowerPositive32(const TSample32& A, const TSample32& B, TSample32& Dst) {
  Combine(A, B, Dst, "MixSamplesPowerPositive32", [](float X, float Y) {
    return X > 0 ? PowerL(X, std::fabs((long double)Y)) : -std::fabs(X);
  });
}

void MixSamplesLimit32(const TSample32& A, const TSample32& B, TSample32& Dst) {
  Combine(A, B, Dst, "MixSamplesLimit32", [](float X, float Y) {
    const float L = std::fabs(X);
    if (Y > L) return L;
    if (Y < -L) return -L;
    return Y;
  });
}

void MixSamplesCompare32(const TSample32& A, const TSample32& B, TSample32& Dst) {
  Combine(A, B, Dst, "MixSamplesCompare32",
          [](float X, float Y) { return X > Y ? 0.9f : -0.9f; });
}

void MixSamplesCompareMax32(const TSample32& A, const TSample32& B, TSample32& Dst) {
  Combine(A, B, Dst, "MixSamplesCompareMax32", [](float X, float Y) {
    const float M = MaxSingle(std::fabs(X), std::fabs(Y));
    return X > Y ? M : -M;
  });
}

void MixSamplesSignProduct32(const TSample32& A, const TSample32& B, TSample32& Dst) {
  Combine(A, B, Dst, "MixSamplesSignProduct32",
          [](float X, float Y) { return X * Y > 0 ? 0.9f : -0.9f; });
}

void MixSamplesSignProductMax32(const TSample32& A, const TSample32& B, TSample32& Dst) {
  Combine(A, B, Dst, "MixSamplesSignProductMax32", [](float X, float Y) {
    const float M = MaxSingle(std::fabs(X), std::fabs(Y));
    return X * Y > 0 ? M : -M;
  });
}

// ---- mixing into a destination -------------------------------------------

void MixIn32(TSample32& Dst, const TSample32& Src, float Gain) {
  const int64_t N = Held(Src);
  if (N == 0 || !HasRoom(Dst, N, "MixIn32")) return;
  for (int64_t I = 0; I < N; ++I) Dst.Data[I] += Src.Data[I] * Gain;
}

void MixInAt32(TSample32& Dst, const TSample32& Src, int64_t Offset, float Gain) {
  const int64_t NS = Held(Src), ND = Held(Dst);
  for (int64_t I = std::max<int64_t>(0, -Offset); I < NS && Offset + I < ND; ++I)
    Dst.Data[Offset + I] += Src.Data[I] * Gain;
}

void MixInOffset32(TSample32& Dst, const TSample32& Src, int64_t Offset, float Gain) {
  const int64_t NS = Held(Src), ND = Held(Dst);
  for (int64_t I = std::max<int64_t>(0, -Offset); I < ND && Offset + I < NS; ++I)
    Dst.Data[I] += Src.Data[Offset + I] * Gain;
}

void MixInFaded32(TSample32& Dst, const TSample32& Src, int64_t Offset, float& Fade, float Gain,
                  float FadeStep) {
  if (Fade == 0) return;
  bool FadingIn = 0.001L < Fade && Fade < 0.999L;
  bool FadingOut = Fade < -0.001L;
  if (!FadingOut && Fade < 0) {
    Fade = 0;
    return;
  }
  if (Dst.Data == nullptr || Src.Data == nullptr) return;
  const int64_t NS = Held(Src), ND = Held(Dst);
  for (int64_t I = 0; I < ND; ++I) {
    if (Offset + I >= NS) break;
    if (Offset + I < 0) continue;
    const float S = Src.Data[Offset + I];
    if (FadingIn) {
      Fade = float(Fade + 0.05L);
      if (Fade > 1) {
        Fade = 1;
        FadingIn = false;
      }
      Dst.Data[I] += S * Gain * Fade;
    } else if (FadingOut) {
      Fade = Fade + FadeStep;
      if (Fade >= 0) {
        Fade = 0;
        FadingOut = false;
        Gain = 0;
      }
      Dst.Data[I] += (-Fade) * (S * Gain);
    } else {
      Dst.Data[I] += S * Gain;
    }
  }
}

void ModulateSamples32(TSample32& Dst, const TSample32& Mod, float Amount) {
  if (Mod.Data == nullptr) return;
  const int64_t N = Held(Dst);
  if (!HasRoom(Mod, N, "ModulateSamples32")) return;
  for (int64_t I = 0; I < N; ++I)
    Dst.Data[I] = (1.0f - Amount + Amount * Mod.Data[I]) * Dst.Data[I];
}

void DivideSamples32(TSample32& Dst, const TSample32& Div) {
  if (Div.Data == nullptr) return;
  const int64_t N = Held(Dst);
  if (!HasRoom(Div, N, "DivideSamples32")) return;
  for (int64_t I = 0; I < N; ++I)
    Dst.Data[I] = Div.Data[I] == 0 ? 1000.0f : Dst.Data[I] / Div.Data[I];
}

void MultiplySamples32(TSample32& Dst, const TSample32& B, float Factor) {
  const int64_t N = Held(Dst);
  if (!HasRoom(B, N, "MultiplySamples32")) return;
  for (int64_t I = 0; I < N; ++I) Dst.Data[I] = Dst.Data[I] * B.Data[I] * Factor;
}

void SamplesMinAttenuation32(const TSample32& Src, TSample32& Dst, float Unused, float Ref) {
  (void)Unused;
  const int64_t N = Held(Src);
  if (!HasRoom(Dst, N, "SamplesMinAttenuation32")) return;
  for (int64_t I = 0; I < N; ++I)
    Dst.Data[I] = MinSingle(Dst.Data[I], -AmpToDB(std::fabs(Src.Data[I]) / Ref));
}

void ClipNegativeSamples32(TSample32& S) {
  const int64_t N = Held(S);
  for (int64_t I = 0; I < N; ++I)
    if (S.Data[I] < 0) S.Data[I] = 0;
}

float MaxOfSamples32(const TSample32& S) { return S.Max(); }

bool SamplesEqual(const TSample32& A, const TSample32& B) {
  if (A.Data == nullptr || B.Data == nullptr) return false;
  const int64_t N = std::min(Held(A), Held(B));
  for (int64_t I = 0; I < N; ++I)
    if (std::fabs((long double)A.Data[I] - B.Data[I]) > 1.0e-4L) return false;
  return true;
}

// ---- in-place transforms --------------------------------------------------

void TSample32::Scale(float F) {
  for (int64_t I = 0, N = Held(*this); I < N; ++I) Data[I] *= F;
}

void TSample32::AddConstant(float V) {
  for (int64_t I = 0, N = Held(*this); I < N; ++I) Data[I] += V;
}

void TSample32::SubtractAndClip(float V) {
  for (int64_t I = 0, N = Held(*this); I < N; ++I) {
    Data[I] -= V;
    if (Data[I] < 0) Data[I] = 0;
  }
}

void TSample32::RaiseToFloor(float V) {
  for (int64_t I = 0, N = Held(*this); I < N; ++I)
    if (Data[I] < V) Data[I] = V;
}

void TSample32::ClipNegative() { ClipNegativeSamples32(*this); }

void TSample32::Clip() {
  if (Data == nullptr) {
    ErrorMessageProc("TSample32.Clip error: Data=nil");
    return;
  }
  for (int64_t I = 0, N = Held(*this); I < N; ++I) Data[I] = std::clamp(Data[I], -1.0f, 1.0f);
}

void TSample32::ClipTo999() {
  for (int64_t I = 0, N = Held(*this); I < N; ++I) Data[I] = Clip999(Data[I]);
}

void TSample32::ScaleAndClip(float Factor) {
  const float F = Factor / 256.0f;
  for (int64_t I = 0, N = Held(*this); I < N; ++I) Data[I] = Clip999(Data[I] * F);
}

void TSample32::FlushDenormals() {
  for (int64_t I = 0, N = Held(*this); I < N; ++I)
    if ((std::bit_cast<uint32_t>(Data[I]) & 0x7F000000u) < 0x30000000u) Data[I] = 0;
}

void TSample32::Normalize() {
  if (Data == nullptr) return;
  const float M = MaxSingle(Peak(), 1.0e-7f);
  for (int64_t I = 0, N = Held(*this); I < N; ++I) Data[I] /= M;
}

void TSample32::SubtractPeakPercent(int32_t P) {
  const float C = float(P) * Peak() / 100.0f;
  for (int64_t I = 0, N = Held(*this); I < N; ++I) Data[I] = Data[I] > C ? Data[I] - C : 0.0f;
}

// The ramps need two samples; fewer are left alone.
void TSample32::AddRamp() {
  const int64_t N = Held(*this);
  if (N < 2) return;
  for (int64_t I = 0; I < N; ++I) Data[I] = float(Data[I] + double(I) / double(N - 1));
}

void TSample32::SubtractRamp() {
  const int64_t N = Held(*this);
  if (N < 2) return;
  for (int64_t I = 0; I < N; ++I) Data[I] = float(Data[I] - double(I) / double(N - 1));
}

void TSample32::FillRamp(float From, float To) {
  const int64_t N = Held(*this);
  if (N == 1) Data[0] = From;
  if (N < 2) return;
  for (int64_t I = 0; I < N; ++I) Data[I] = From + float(I) * (To - From) / float(N - 1);
}

void TSample32::FadeOut(int32_t N) {
  const int64_t C = Held(*this);
  const int64_t M = std::min<int64_t>(C, N);
  for (int64_t I = 0; I < M; ++I) Data[C - 1 - I] = float(I) * Data[C - 1 - I] / float(N);
}

void TSample32::Integrate() {
  float Total = 0;
  for (int64_t I = 0, N = Held(*this); I < N; ++I) {
    const float S = Data[I];
    Total += S;
    Data[I] = Total - S;
  }
}

void TSample32::ToDecibelScale(float Low, float High) {
  const long double R = std::fabs((long double)High - Low);
  for (int64_t I = 0, N = Held(*this); I < N; ++I) {
    const long double V = Data[I];
    Data[I] = V < 1.0e-10L ? float((-99.0L - Low) / R) : float((20.0L * std::log10(V) - Low) / R);
  }
}

void TSample32::FromDecibels() {
  for (int64_t I = 0, N = Held(*this); I < N; ++I)
    Data[I] = float(std::pow(10.0L, (long double)Data[I] / 20.0L));
}

void TSample32::BlendDifference(float& State, float Amount) {
  if (Amount == 0) return;
  for (int64_t I = 0, N = Held(*this); I < N; ++I) {
    const float V = Data[I];
    const float D = V - State;
    State = V;
    Data[I] = (1.0f - Amount) * V + 4.0f * Amount * D;
  }
}

void TSample32::BlendLeakyIntegral(float& State, float Amount) {
  if (Amount == 0) return;
  for (int64_t I = 0, N = Held(*this); I < N; ++I) {
    const float V = Data[I];
    State = float(0.99L * State + V);
    Data[I] = (1.0f - Amount) * V + 0.25f * Amount * State;
  }
}

void TSample32::RunningMax16() { RunningMax<16>(*this); }
void TSample32::RunningMax64() { RunningMax<64>(*this); }

// ---- statistics -----------------------------------------------------------

float TSample32::Peak() const {
  float M = 0;
  for (int64_t I = 0, N = Held(*this); I < N; ++I) M = std::max(M, std::fabs(Data[I]));
  return M;
}

float TSample32::Max() const {
  const int64_t N = Held(*this);
  if (N == 0) return 0;
  float M = Data[0];
  for (int64_t I = 1; I < N; ++I)
    if (Data[I] > M) M = Data[I];
  return M;
}

float TSample32::Min() const {
  const int64_t N = Held(*this);
  if (N == 0) return 0;
  float M = Data[0];
  for (int64_t I = 1; I < N; ++I)
    if (Data[I] < M) M = Data[I];
  return M;
}

int64_t TSample32::MaxIndex() const {
  const int64_t N = Held(*this);
  if (N == 0) return -1;
  int64_t K = 0;
  for (int64_t I = 1; I < N; ++I)
    if (Data[I] > Data[K]) K = I;
  return K;
}

int64_t TSample32::PeakIndex() const {
  const int64_t N = Held(*this);
  if (N == 0) return -1;
  int64_t K = 0;
  for (int64_t I = 1; I < N; ++I)
    if (std::fabs(Data[I]) > std::fabs(Data[K])) K = I;
  return K;
}

int64_t TSample32::FirstAbove(float T) const {
  for (int64_t I = 0, N = Held(*this); I < N; ++I)
    if (std::fabs(Data[I]) > T) return I;
  return -1;
}

bool TSample32::IsSilent() const {
  for (int64_t I = 0, N = Held(*this); I < N; ++I)
    if (Data[I] != 0) return false;
  return true;
}

bool TSample32::HasInvalidValues() const {
  for (int64_t I = 0, N = Held(*this); I < N; ++I)
    if (std::isnan(Data[I])) return true;
  return false;
}

float TSample32::SumAbs() const {
  float S = 0;
  for (int64_t I = 0, N = Held(*this); I < N; ++I) S += std::fabs(Data[I]);
  return S;
}

float TSample32::MeanAbs() const {
  const int64_t N = Held(*this);
  float S = 0;
  for (int64_t I = 0; I < N; ++I) S += std::fabs(Data[I]) / float(N);
  return S;
}

float TSample32::Mean() const {
  const int64_t N = Held(*this);
  float S = 0;
  for (int64_t I = 0; I < N; ++I) S += Data[I] / float(N);
  return S;
}

int64_t TSample32::LastNonZeroIndex() const {
  const int64_t N = Held(*this);
  if (N == 0) return 0;
  int64_t I = N - 1;
  while (I > 1 && -1.0e-8L < Data[I] && Data[I] < 1.0e-8L) --I;
  return I;
}

int64_t TSample32::FindZeroCrossing(int64_t From, int64_t To) const {
  const int64_t N = Held(*this);
  if (N - 2 < From) return N - 2;
  To = std::min(To, N - 2);
  From = std::max<int64_t>(From, 1);
  for (int64_t I = From; I <= To; ++I)
    if ((long double)Data[I - 1] * Data[I] < 1.0e-4L) return I;
  return From;
}

float TSample32::AverageRange(int64_t Start, int64_t N) const {
  if (N <= 0) return 0;
  if (Start < 0 || Start > Held(*this) - N) {
    ErrorMessageProc("TSample32.AverageRange - range outside the buffer, Start=" +
                     std::to_string(Start) + " N=" + std::to_string(N) +
                     " Count=" + std::to_string(Held(*this)));
    return 0;
  }
  float S = 0;
  for (int64_t I = 0; I < N; ++I) S += Data[Start + I];
  return S / float(N);
}

float TSample32::AverageRangeWrapped(int64_t Start, int64_t N) const {
  const int64_t C = Held(*this);
  if (C < 1 || N <= 0) return 0;
  float S = 0;
  for (int64_t I = 0; I < N; ++I) S += Data[FloorMod(Start + I, C)];
  return S / float(N);
}

float TSample32::AverageRangeUnwrapped(int64_t Start, int64_t N) const {
  const int64_t C = Held(*this);
  if (C < 1) return 0;
  float S = 0;
  for (int64_t I = 0; I < N; ++I) {
    const int64_t K = Start + I + C;
    S += Data[FloorMod(K, C)] + float(FloorDiv(K, C)) - 1.0f;
  }
  return N > 0 ? S / float(N) : S;
}

// ---- resampling -----------------------------------------------------------

void TSample32::DownSample2x() {
  const int64_t N = Held(*this);
  if (Data == nullptr) return;
  SampleRate /= 2;
  for (int64_t I = 0; I < N / 2; ++I) Data[I] = (Data[2 * I] + Data[2 * I + 1]) * 0.5f;
  SetLength(N / 2);
}

void TSample32::Decimate2x() {
  const int64_t N = Held(*this);
  if (Data == nullptr) return;
  SampleRate /= 2;
  for (int64_t I = 0; I < N / 2; ++I) Data[I] = Data[2 * I];
  SetLength(N / 2);
}

void TSample32::UpSample2x() {
  const int64_t N = Held(*this);
  if (N == 0 || !SetLength(2 * N)) return;
  SampleRate = int32_t(std::clamp<int64_t>(int64_t(SampleRate) * 2, INT32_MIN, INT32_MAX));
  for (int64_t I = N - 1; I >= 0; --I) {
    const float X = Data[I];
    const float Between = (X + Data[I + 1]) * 0.5f;
    Data[2 * I] = X;
    Data[2 * I + 1] = Between;
  }
}

void TSample32::PeakEnvelopeTo(TSample32& Dst) const {
  if (Data == nullptr) {
    Dst.Clear();
    return;
  }
  if (!HasRoom(Dst, 1, "TSample32.PeakEnvelopeTo")) return;
  const int64_t N = Held(*this);
  const int64_t Bins = Held(Dst);
  int64_t Current = -1;
  float M = 0;
  for (int64_t I = 0; I < N; ++I) {
    const int64_t Bin = (Bins - 1) * I / N;
    if (Bin > Current) {
      if (Current >= 0) Dst.Data[Current] = M;
      Current = Bin;
      M = 0;
    }
    M = std::max(M, std::fabs(Data[I]));
  }
  if (Current >= 0) Dst.Data[Current] = M;
}

// ---- interpolation, signals, text -----------------------------------------

// Fewer than two samples: the one sample, or 0.
float TSample32::ValueAt(float X) const {
  const int64_t N = Held(*this);
  if (N == 0) return 0;
  if (N == 1) return Data[0];
  if (std::isnan(X)) X = 0;
  if (X >= float(N - 1)) X = float((long double)(N - 1) - 1.0e-4L);
  if (X < 0) X = 0;
  const int64_t I = std::min<int64_t>(int64_t(X), N - 2);
  const float F = X - float(I);
  return (1.0f - F) * Data[I] + F * Data[I + 1];
}

float TSample32::InverseLookup(float V) const {
  const int64_t N = Held(*this);
  for (int64_t I = 0; I + 1 < N; ++I)
    if (Data[I + 1] >= V)
      return float(I) + (V - Data[I]) / MaxSingle(Data[I + 1] - Data[I], 1.0e-5f);
  return float(N);
}

namespace {
float SweepPhase = 0;
float SweepModulation = 0;
}  // namespace

void TSample32::FillTestSweep() {
  const long double TwoPi = 2.0L * std::numbers::pi_v<long double>;
  Sweep(*this, SweepPhase, SweepModulation, [TwoPi](float& Phase) {
    while (Phase > TwoPi) Phase = float(Phase - TwoPi);
  });
}

void TSample32::FillSweep() {
  const long double Pi = std::numbers::pi_v<long double>;
  float P = 0, M = 0;
  Sweep(*this, P, M, [Pi](float& Phase) {
    while (Phase > 8.0L * Pi) Phase = float(Phase - 16.0L * Pi);
  });
}

void TSample32::FillNoise() {
  constexpr int32_t Steps = 1 << 24;
  for (int64_t I = 0, N = Held(*this); I < N; ++I)
    Data[I] = float(RandomInteger(Steps)) / float(Steps) * 2.0f - 1.0f;
}

void TSample32::ToText(std::string& S, int32_t N) const {
  S.clear();
  const int64_t M = std::min<int64_t>(N, Held(*this));
  for (int64_t I = 0; I < M; ++I) {
    if (I > 0) S += ", ";
    S += FloatToStrD2(Data[I]);
  }
}

// ---- TSample16 ------------------------------------------------------------

void TSample16::Differentiate() {
  int32_t Previous = 0;
  for (int64_t I = 0, N = Held(*this); I < N; ++I) {
    const int32_t Current = Data[I];
    Data[I] = int16_t(Previous - Current);
    Previous = Current;
  }
}

void TSample16::Integrate() {
  uint32_t Sum = 0;
  for (int64_t I = 0, N = Held(*this); I < N; ++I) {
    Sum += uint32_t(int32_t(Data[I]));
    Data[I] = int16_t(uint16_t(Sum));
  }
}

void TSample16::SwapBytes() {
  for (int64_t I = 0, N = Held(*this); I < N; ++I) {
    const uint16_t W = uint16_t(Data[I]);
    Data[I] = int16_t(uint16_t(W << 8 | W >> 8));
  }
}

bool TSample16::IsSilent() const {
  for (int64_t I = 0, N = Held(*this); I < N; ++I)
    if (Data[I] != 0) return false;
  return true;
}

}  // namespace kromel
