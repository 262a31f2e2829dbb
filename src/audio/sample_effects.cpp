#include "audio/sample_effects.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <type_traits>

namespace kromel {

namespace {

constexpr double HalfPi = std::numbers::pi / 2;

int64_t Held(const TSample32& S) { return S.Data != nullptr ? std::max<int64_t>(S.Count, 0) : 0; }
int64_t Held(const TSample16& S) { return S.Data != nullptr ? std::max<int64_t>(S.Count, 0) : 0; }

template <typename Fn>
void Each(TSample32& S, Fn F) {
  for (int64_t I = 0, N = Held(S); I < N; ++I) S.Data[I] = F(S.Data[I]);
}
template <typename Fn>
void Each(TSample16& S, Fn F) {
  for (int64_t I = 0, N = Held(S); I < N; ++I) S.Data[I] = int16_t(F(int32_t(S.Data[I])));
}

float Limit1(float V) { return std::clamp(V, -1.0f, 1.0f); }
int32_t Limit16(int64_t V) { return ClipToSmallInt(int32_t(std::clamp<int64_t>(V, INT32_MIN, INT32_MAX))); }

// Control value of sample I when the control holds it.
template <typename T>
bool ControlAt(const T* Control, int64_t I, std::remove_pointer_t<decltype(T::Data)>& Out) {
  if (Control == nullptr || Control->Data == nullptr || I >= Control->Count) return false;
  Out = Control->Data[I];
  return true;
}

void DropClip(TSample32& S, int32_t Amount, float Drop) {
  if (Amount == 256) return;
  const float G = float(Amount) / 256;
  Each(S, [=](float X) {
    const float D = X * G;
    return D > 1 ? Drop : D < -1 ? -Drop : D;
  });
}

}  // namespace

void Gain16(TSample16& S, int32_t Amount) {
  if (Amount == 256) return;
  Each(S, [=](int32_t X) { return Limit16(int64_t(X) * Amount / 256); });
}

void GainClip32(TSample32& S, int32_t Amount) {
  if (Amount == 256) return;
  const float G = float(Amount) / 256;
  Each(S, [=](float X) { return Limit1(X * G); });
}

void GainClip32F(TSample32& S, float Gain) {
  Each(S, [=](float X) { return Limit1(X * Gain); });
}

void Clip32(TSample32& S) { Each(S, Limit1); }

void ClipStereo32(TStereoSample32& S) {
  Clip32(S.Left);
  Clip32(S.Right);
}

void ClipBlend32(TSample32& S, int32_t Amount) {
  if (Amount == 256) return;
  const float G = float(Amount) / 256;
  Each(S, [=](float X) { return (Limit1(X * G) + X) * 0.5f; });
}

void ClipResidue32(TSample32& S, int32_t Amount) {
  if (Amount == 256) return;
  const float G = float(Amount) / 256;
  Each(S, [=](float X) { return Limit1(X * G) - X; });
}

void DropClip06(TSample32& S, int32_t Amount) { DropClip(S, Amount, 0.6f); }
void DropClip08(TSample32& S, int32_t Amount) { DropClip(S, Amount, 0.8f); }

void SplitPolarity32(TSample32& S) {
  Each(S, [](float X) { return X > 0 ? X + 0.1f : X < 0 ? X - 0.1f : X; });
}

void SineShape16(TSample16& S, int32_t Amount) {
  Each(S, [=](int32_t X) {
    const double V = double(int64_t(X) * Amount / 256) / 32768;
    return int32_t(std::nearbyint(std::sin(Amount * V / 256 * HalfPi) * 32767));
  });
}

void SineShape32(TSample32& S, int32_t Amount) {
  Each(S, [=](float X) { return float(std::sin(Amount * double(X) / 256 * HalfPi)); });
}

void SineSquareShape32(TSample32& S, int32_t Amount) {
  const double G = Amount / 256.0;
  Each(S, [=](float X) {
    const double A = std::clamp(X * G, -HalfPi, HalfPi);
    return float(0.5 * std::sin(A) + 0.5 * std::sin(A * A));
  });
}

void AtanShape32(TSample32& S, int32_t Amount) {
  if (Amount == 256) return;
  const double B = Amount / 1024.0;
  const double C = 1.3 / B / HalfPi + 0.3;
  Each(S, [=](float X) { return float(std::atan(X * B) * C); });
}

void AtanBlend32(TSample32& S, float Drive) {
  const double M = std::max(1.0 - Drive, 0.0);
  Each(S, [=](float X) { return float(std::atan(X * double(Drive)) * (1 - M) / HalfPi + X * M); });
}

void LogShape32(TSample32& S, float Drive) {
  if (Drive == 1) return;
  const double A = double(Drive) * Drive;
  const double K = 0.8 / std::log(A + 1);
  Each(S, [=](float X) {
    return float(X > 0 ? std::log(X * A + 1) * K : -std::log(-X * A + 1) * K);
  });
}

void SoftClip32(TSample32& S, int32_t Amount, bool) {
  if (Amount == 256) return;
  const float G = float(Amount) / 256;
  float HPrev = 0;
  bool Clipping = false;
  Each(S, [&](float X) {
    const float H = X * G;
    if (H * HPrev <= 0) Clipping = false;
    if (H > 0.8f || H < -0.8f) Clipping = true;
    HPrev = H;
    return Clipping ? float(std::atan(4.0 * H) / 1.2679114584 * 0.8 * 0.66) : H * 0.66f;
  });
}

void PowerShape32(TSample32& S, int32_t Amount, bool) {
  if (Amount == 256) return;
  const double E = (Amount - 256) * 0.0009765625 + 1;
  double D = 0, PPrev = 0;
  Each(S, [&](float X) {
    const double P = std::pow(std::fabs(double(Limit1(X))), E);
    D = (D - PPrev + P) * 0.99;
    PPrev = P;
    return float(D);
  });
}

void LowPass16(TSample16& S, int32_t Amount, const TSample16* Control, bool) {
  int64_t St = 0;
  for (int64_t I = 0, N = Held(S); I < N; ++I) {
    int16_t C;
    const int64_t A = std::clamp<int64_t>(ControlAt(Control, I, C) ? C : Amount, 0, 32768);
    St = (S.Data[I] * A + St * (32768 - A)) / 32768;
    S.Data[I] = int16_t(Limit16(St));
  }
}

void HighPass16(TSample16& S, int32_t Amount, const TSample16* Control, bool) {
  int64_t St = 0, XPrev = 0;
  for (int64_t I = 0, N = Held(S); I < N; ++I) {
    int16_t C;
    const int64_t A = std::clamp<int64_t>(ControlAt(Control, I, C) ? C : Amount, 0, 32768);
    const int64_t X = S.Data[I];
    St = ((X + St - XPrev) * A) / 32768;
    S.Data[I] = int16_t(Limit16(St));
    XPrev = X;
  }
}

void LowPass32(TSample32& S, int32_t Amount, const TSample32* Control, bool) {
  float St = 0;
  for (int64_t I = 0, N = Held(S); I < N; ++I) {
    float A;
    if (!ControlAt(Control, I, A)) A = float(Amount) / 32768;
    St = (1 - A) * St + A * S.Data[I];
    S.Data[I] = St;
  }
}

void HighPass32(TSample32& S, int32_t Amount, const TSample32* Control, bool) {
  float YPrev = 0, XPrev = 0;
  for (int64_t I = 0, N = Held(S); I < N; ++I) {
    float G;
    if (!ControlAt(Control, I, G)) G = float(Amount) / 256;
    const float X = S.Data[I];
    YPrev = (YPrev - XPrev + X) * G;
    XPrev = X;
    S.Data[I] = YPrev;
  }
}

void SplitToneFilter16(TSample16& S, int32_t Window, int32_t HighGain, int32_t LowGain) {
  const int64_t N = Held(S);
  if (Window <= 0 || N == 0) return;
  int64_t Sum = 0;
  for (int64_t I = 0; I < std::min<int64_t>(Window, N); ++I) Sum += S.Data[I];
  for (int64_t I = 0; I < N; ++I) {
    if (I < N - Window - 2) Sum += S.Data[I + Window];
    const int64_t X = S.Data[I];
    Sum -= X;
    const int64_t Avg = std::clamp<int64_t>(Sum / Window, -32512, 32512);
    S.Data[I] = int16_t(std::clamp<int64_t>(((X - Avg) * HighGain + Avg * LowGain) / 256, -32512, 32512));
  }
}

void Smooth3(TSample32& S) {
  const int64_t N = Held(S);
  if (N < 3) return;
  float Prev = S.Data[0];
  for (int64_t I = 1; I < N - 1; ++I) {
    const float X = S.Data[I];
    S.Data[I] = (Prev + X + S.Data[I + 1]) / 3;
    Prev = X;
  }
}

void Derivative16(TSample16& S) {
  if (Held(S) == 0) return;
  int32_t XPrev = S.Data[0];
  Each(S, [&](int32_t X) {
    const int32_t Y = Limit16(int64_t(XPrev - X) * 12);
    XPrev = X;
    return Y;
  });
}

void Derivative32(TSample32& S) {
  if (Held(S) == 0) return;
  float XPrev = S.Data[0];
  Each(S, [&](float X) {
    const float Y = (X - XPrev) * 12;
    XPrev = X;
    return Y;
  });
}

void Integrate16(TSample16& S) {
  if (Held(S) == 0) return;
  int64_t Sum = S.Data[0];
  Each(S, [&](int32_t X) {
    Sum += X / 12;
    const int32_t Y = Limit16(Sum);
    Sum = Sum * 32000 / 32768;
    return Y;
  });
}

void Integrate32(TSample32& S) {
  if (Held(S) == 0) return;
  float Sum = S.Data[0];
  Each(S, [&](float X) {
    Sum = X / 12 + Sum;
    const float Y = Sum;
    Sum = Sum * 32000 * 0.000030517578f;
    return Y;
  });
}

void Tremolo32(TSample32& S, int32_t Pos, int32_t Depth, int32_t Rate) {
  if (S.SampleRate <= 0) return;
  const double D = Rate * 2 * std::numbers::pi / 25.5 / S.SampleRate;
  const double E = Depth / 255.0;
  int64_t P = Pos;
  Each(S, [&](float X) { return float((1 - E + std::sin(double(P++) * D) * E) * X); });
}

void AddHarmonics16(TSample16& S) {
  const int64_t N = Held(S);
  for (int64_t I = 0; I < N; ++I) {
    int32_t Sum = S.Data[I];
    for (int64_t K = 2; K <= 5; ++K)
      if (I * K < N) Sum += S.Data[I * K];
    S.Data[I] = int16_t(uint16_t(uint32_t(Sum)));
  }
}

void FadeEdges500(TSample32& S) {
  const int64_t N = Held(S);
  if (N <= 500) return;
  for (int64_t I = 0; I <= 500; ++I) {
    S.Data[I] = float(I) * S.Data[I] / 500;
    S.Data[N - 1 - I] = float(I) * S.Data[N - 1 - I] / 500;
  }
}

void NormalizeStereo32(TStereoSample32& S) {
  S.Left.Normalize();
  S.Right.Normalize();
}

bool AppendSilence16(TSample16& S, int32_t N) {
  if (N <= 0) return true;
  const int64_t Old = Held(S);
  S.SetLength(Old + N);
  return S.Data != nullptr && S.Count == Old + N;
}

bool AppendSilence32(TSample32& S, int32_t N) {
  if (N <= 0) return true;
  return S.SetLength(Held(S) + N);
}

void ClearFramesStereo32(TStereoSample32& S, int32_t N, int32_t From) {
  for (TSample32* C : {&S.Left, &S.Right}) {
    const int64_t Lo = std::clamp<int64_t>(From, 0, Held(*C));
    const int64_t Hi = std::clamp<int64_t>(int64_t(From) + std::max(N, 0), Lo, Held(*C));
    std::fill(C->Data + Lo, C->Data + Hi, 0.0f);
  }
}

float LinearToDB(float V) { return V > 0 ? float(20 * std::log10(double(V))) : -99.0f; }
double Sample16ToDB(int32_t V) { return V > 0 ? 20 * std::log10(V / 32768.0) : -99.0; }
double DBToLinear(int32_t DB) { return std::pow(10.0, DB / 20.0); }

}  // namespace kromel
