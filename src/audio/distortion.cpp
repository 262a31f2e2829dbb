#include "audio/distortion.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "audio/work_sample.h"

namespace kromel {

namespace {

constexpr float K = float(2 / std::numbers::pi);
constexpr float HalfPi = float(std::numbers::pi / 2);

// Transcendentals in extended precision, stored as single.
float Atan(float V) { return float(std::atan(static_cast<long double>(V))); }
float Exp(float V) { return float(std::exp(static_cast<long double>(V))); }
float Sin(float V) { return float(std::sin(static_cast<long double>(V))); }

float Clamp(float V, float A) { return std::clamp(V, -A, A); }

// atan(X D)/D, read as its limit X when D is 0.
float AtanOverD(float X, float D) { return D == 0 ? X : Atan(X * D) / D; }

template <class F>
void Shape(TSample32& S, F Fn) {
  const int64_t N = HeldSamples(S);
  for (int64_t I = 0; I < N; ++I) S.Data[I] = Fn(S.Data[I]);
}

}  // namespace

void TDistortor::Init() {
  Acc = 0;
  Prev = 0;
  Rate = 1;
  Gain = 1;
}

void TDistortorStereo::Init() {
  Left.Init();
  Right.Init();
}

namespace {

void ProcessKind(int32_t Kind, TDistortor& St, TSample32& S, float D) {
  switch (Kind) {
    case 0: DistortionAtan32(S, D); break;
    case 1: DistortionAsymFuzz32(St, S, 16 * D); break;
    case 2: DistortionSigmoid32(S, D); break;
    case 3: DistortionAtanBoost32(S, D); break;
    case 4: DistortionGatedClip32(S, D); break;
    case 5: DistortionCubic32(S, D); break;
    case 6: DistortionSoftKnee32(S, D); break;
    case 7: DistortionAtanAdd32(S, D); break;
    case 8: DistortionStep32(S, D); break;
    case 9: DistortionSoftClip32(S, D); break;
    case 10: DistortionSoftClipNeg32(S, D); break;
    case 11: DistortionSine32(S, D); break;
    case 12: DistortionSlew32(St, S, D); break;
    case 13: DistortionSlewSoft32(St, S, D); break;
    case 14: DistortionCompress32(St, S, D); break;
    case 15: DistortionFeedback32(St, S, D); break;
    case 16: DistortionIntegrate32(St, S, D); break;
    case 17: DistortionResonant32(St, S, D); break;
    case 18: DistortionSquare32(St, S, D, 0.2f); break;
    case 19: DistortionLeakyAtan32(St, S, D); break;
    default: break;
  }
}

}  // namespace

void TDistortorStereo::Process(int32_t Kind, TStereoSample32& Sample, float Drive) {
  ProcessKind(Kind, Left, Sample.Left, Drive);
  ProcessKind(Kind, Right, Sample.Right, Drive);
}

void DistortionAtan32(TSample32& S, float D) {
  Shape(S, [D](float X) { return K * Atan(X * D); });
}

void DistortionAsymFuzz32(TDistortor& St, TSample32& S, float D) {
  Shape(S, [&St, D](float X) {
    if (X < 0) X = AtanOverD(X, D);
    St.Prev = 0.99f * St.Prev + 0.01f * X;
    X = X - St.Prev;
    if (X > 0) X = AtanOverD(X, D);
    return 4 * Atan(X / 4);
  });
}

void DistortionSigmoid32(TSample32& S, float D) {
  Shape(S, [D](float X) { return 2 / (Exp(2 * X * D) + 1) - 1; });
}

void DistortionAtanBoost32(TSample32& S, float D) {
  Shape(S, [D](float X) {
    const float V = X * D;
    float Y = 0.4f * Atan(V);
    if (V > 0) Y += 0.8f * V * Exp(-(V * V * V * V));
    return Y;
  });
}

void DistortionGatedClip32(TSample32& S, float D) {
  Shape(S, [D](float X) {
    const float G = (X > -0.02f && X < 0.02f) ? 0.0f : X;
    float C = Clamp(10 * G * D, 1);
    C = C - 0.25f * X * D;
    return Clamp(C, 1);
  });
}

void DistortionCubic32(TSample32& S, float D) {
  Shape(S, [D](float X) { return K * Atan((0.0625f * X + 32 * X * X * X) * D); });
}

void DistortionSoftKnee32(TSample32& S, float D) {
  Shape(S, [D](float X) {
    const float A = X * D;
    const float Sign = A > 0 ? 1.0f : -1.0f;
    const float C = std::max(std::fabs(A) - 0.2f, 0.0f);
    const float E = Exp(-(C * C) / 0.6f);
    return 1.75f * Atan(0.3f * ((1 - E) * Sign + (E + 0.5f) * A));
  });
}

void DistortionAtanAdd32(TSample32& S, float D) {
  Shape(S, [D](float X) { return X + Atan(X * D) / 3; });
}

void DistortionStep32(TSample32& S, float D) {
  Shape(S, [D](float X) { return X + (Atan((X - 0.3f) * 100) + HalfPi - 0.03332f) * D; });
}

void DistortionSoftClip32(TSample32& S, float D) {
  if (D < 1) return;
  const float B = 0.2f * D;
  Shape(S, [B](float X) { return Atan(X * B) / B; });
}

void DistortionSoftClipNeg32(TSample32& S, float D) {
  if (D < 1) return;
  const float B = 0.2f * D;
  Shape(S, [B](float X) { return X < 0 ? Atan(X * B) / B : X; });
}

void DistortionSine32(TSample32& S, float D) {
  Shape(S, [D](float X) { return 0.7f * Sin(1.4f * Atan(X * D)); });
}

void DistortionSlew32(TDistortor& St, TSample32& S, float D) {
  Shape(S, [&St, D](float X) {
    St.Acc += (X - St.Prev) * D;
    St.Prev = X;
    St.Acc = Clamp(St.Acc, 1);
    const float Y = St.Acc;
    St.Acc = 0.99f * St.Acc;
    return Y;
  });
}

void DistortionSlewSoft32(TDistortor& St, TSample32& S, float D) {
  Shape(S, [&St, D](float X) {
    St.Acc += (X - St.Prev) * D;
    St.Prev = X;
    if (St.Acc > 0.5f) St.Acc = (St.Acc - 0.5f) * 0.3f + 0.5f;
    if (St.Acc < -0.5f) St.Acc = (St.Acc + 0.5f) * 0.3f - 0.5f;
    const float Y = St.Acc;
    St.Acc = Clamp(St.Acc, 0.5f) * 0.99f;
    return Y;
  });
}

void DistortionCompress32(TDistortor& St, TSample32& S, float D) {
  Shape(S, [&St, D](float X) {
    float V = X * D * St.Gain;
    St.Gain = std::clamp(St.Gain * (1.4f - std::fabs(V)), 0.1f, 1.0f);
    V = Clamp(V, 1);
    St.Dc = 0.999f * St.Dc + 0.001f * V;
    return V - St.Dc;
  });
}

void DistortionFeedback32(TDistortor& St, TSample32& S, float D) {
  if (!(D > 0)) return;
  const float P = float(std::pow(static_cast<long double>(D), 0.1L));
  Shape(S, [&St, D, P](float X) {
    const float V = Clamp(X * D, 0.9f);
    St.Acc = 0.5f * St.Acc + (V - X) - St.Prev;
    St.Prev = V - X;
    return 0.7f * St.Acc / P + X * P;
  });
}

void DistortionIntegrate32(TDistortor& St, TSample32& S, float D) {
  Shape(S, [&St, D](float X) {
    St.Gain = Clamp(St.Gain + 0.0625f * X * D, 1);
    const float V = 2 * (St.Gain - 0.93f * St.Prev);
    St.Prev = St.Gain;
    St.Dc = 0.999f * St.Dc + 0.001f * V;
    return V - St.Dc;
  });
}

void DistortionResonant32(TDistortor& St, TSample32& S, float D) {
  Shape(S, [&St, D](float X) {
    const float P = St.Gain;
    float A = St.Delta + 0.9f * (X * D - P) + (-0.3f * P - 0.5f * std::fabs(P) * P);
    A = A / (4 * A * A + 1);
    St.Gain = P + A;
    St.Delta = 0.4f * A;
    return P + A;
  });
}

void DistortionSquare32(TDistortor& St, TSample32& S, float D, float Threshold) {
  Shape(S, [&St, D, Threshold](float X) {
    if (X >= Threshold) St.Acc = 1;
    else if (X <= -Threshold) St.Acc = -1;
    const float Y = St.Acc * D - St.Dc;
    St.Dc = 0.002f * St.Acc * D + 0.998f * St.Dc;
    return Y;
  });
}

void DistortionLeakyAtan32(TDistortor& St, TSample32& S, float D) {
  if (D < 1) return;
  Shape(S, [&St, D](float X) {
    const float C = X * D;
    St.Delta = C - St.Prev;
    St.Prev = C;
    St.Gain = St.Gain + St.Delta;
    St.Dc = 0.998f * St.Dc + 0.002f * std::fabs(St.Gain);
    St.Gain = 0.995f * St.Gain;
    const float T = Atan(St.Gain + St.Dc);
    St.Smooth = 0.001f * T + 0.999f * St.Smooth;
    return 0.5f * (T - St.Smooth);
  });
}

void DistortionAtanStereo32(TStereoSample32& S, float D) {
  DistortionAtan32(S.Left, D);
  DistortionAtan32(S.Right, D);
}

void DistortionAtanNormalized32(TSample32& S, float D) {
  if (D == 0 || std::isnan(D)) return;
  const float Norm = Atan(D);
  Shape(S, [D, Norm](float X) { return Atan(X * D) / Norm; });
}

void DistortionAtanFold32(TSample32& S, float D) {
  Shape(S, [D](float X) {
    float V = X * D;
    V = 0.5f * (V - 3 * V * std::fabs(V));
    return K * Atan(V);
  });
}

void DistortionCubicSoft32(TSample32& S, float D) {
  Shape(S, [D](float X) { return K * Atan((4 * X * X * X + X) * D); });
}

void DistortionSquareLaw32(TSample32& S, float D) {
  Shape(S, [D](float X) { return K * Atan((0.0625f * X + 16 * X * X) * D); });
}

void DistortionMix32(TSample32& S, float D) {
  Shape(S, [D](float X) { return K * Atan(X * (1 - D) / 2 + X * X * D / 2); });
}

void DistortionPoly32(TSample32& S, float A, float B, float C, float W) {
  Shape(S, [=](float X) {
    const float V = A * X + 0.8f * B * X * X + 0.64f * C * X * X * X + W * X * Exp(-10 * X * (X + 0.2f));
    return K * Atan(V);
  });
}

void DistortionKnee32(TSample32& S, float D) {
  Shape(S, [D](float X) {
    float V = X * D;
    if (V > 0.5f) V = 0.5f * Atan(2 * (V - 0.5f)) + 0.5f;
    else if (V < -0.5f) V = 0.5f * Atan(2 * (V + 0.5f)) - 0.5f;
    return V;
  });
}

void DistortionAtanSubtract32(TSample32& S, float D) {
  if (!(D >= 0.001f)) return;
  Shape(S, [D](float X) { return X - 0.9f * D * Atan(X / D); });
}

void DistortionAtanSubtractRect32(TSample32& S, float D) {
  if (!(D >= 0.001f)) return;
  Shape(S, [D](float X) {
    float V = X - 0.9f * D * Atan(X / D);
    if (V > 0) V = 0.25f * Atan(4 * V);
    return V;
  });
}

void DistortionRectify32(TDistortor& St, TSample32& S, float D) {
  if (!(D > 0)) return;
  const float G = 1 - 0.5f * D;
  Shape(S, [&St, G](float X) {
    const float M = std::fabs(X);
    St.Prev = 0.003f * M + 0.997f * St.Prev;
    St.Acc = St.Prev;
    return X * G + M - St.Acc;
  });
}

void DistortionClipAsym32(TSample32& S, float D) {
  if (D == 1) return;
  Shape(S, [D](float X) {
    const float V = X * D;
    if (V > 1) return 0.6f;
    if (V < -1) return -1.0f;
    return V;
  });
}

void DistortionAtanRaw32(TSample32& S, float D) {
  if (D < 1) return;
  Shape(S, [D](float X) { return Atan(X * D); });
}

void DistortionAtanNeg32(TSample32& S, float D) {
  if (D < 1) return;
  Shape(S, [D](float X) { return X >= 0 ? X * D : Atan(X * D); });
}

void DistortionHalfClip32(TSample32& S, float D) {
  if (D < 1) return;
  Shape(S, [D](float X) {
    const float V = X * D;
    if (V < 0) return Atan(V);
    return std::min(V, 0.7f);
  });
}

void DistortionAtanNegSoft32(TSample32& S, float D) {
  if (D < 1) return;
  Shape(S, [D](float X) {
    if (X < 0) X = Atan(X * D) / D;
    return 4 * Atan(X * D / 4);
  });
}

void DistortionAtanBlend32(TSample32& S, float D, float Dry, float Wet) {
  if (D < 1) return;
  Shape(S, [=](float X) {
    if (X == 0) return 0.0f;
    const float F = X < 0 ? Atan(X * D) / D : X;
    return 4 * Atan(F * D / 4) * Wet + X * Dry;
  });
}

void DistortionSineHalf32(TSample32& S, float D) {
  Shape(S, [D](float X) {
    float V = 1.4f * Atan(X * D);
    if (V > 0) V = Sin(V);
    return 0.7f * V;
  });
}

void DistortionGateSquare32(TSample32& S, float Level, float Threshold) {
  Shape(S, [=](float X) {
    if (X >= Threshold) return Level;
    if (X <= -Threshold) return -Level;
    return 0.0f;
  });
}

void DistortionHalfAtan32(TSample32& S, int32_t Gain) {
  if (Gain == 256) return;
  Shape(S, [Gain](float X) {
    float V = X * float(Gain) / 256;
    if (V > 0) V = K * Atan(V);
    return std::max(V, -1.0f);
  });
}

void DistortionCosine32(TSample32& S, float D) {
  Shape(S, [D](float X) {
    if (std::fabs(X) > 1) return (1 + X) * D;
    const float C = float(std::cos(std::numbers::pi_v<long double> * X));
    return (0.5f - 0.5f * C + X) * D;
  });
}

void DistortionSlewReset32(TDistortor& St, TSample32& S, float D) {
  Shape(S, [&St, D](float X) {
    St.Acc += (X - St.Prev) * D;
    if (St.Prev * X <= 0) St.Acc = 0;
    St.Prev = X;
    St.Acc = Clamp(St.Acc, 1);
    return St.Acc;
  });
}

void DistortionSlewLimit32(TDistortor& St, TSample32& S, float D) {
  Shape(S, [&St, D](float X) {
    float Step = (X - St.Prev) * D;
    St.Prev = X;
    if (St.Acc > 0.4f && Step > 0) Step = Step / (1 + (St.Acc - 0.4f));
    if (St.Acc < -0.4f && Step < 0) Step = Step / (1 + (-St.Acc - 0.4f));
    if (St.Acc > 0.7f && Step > 0) Step = Step / (1 + 5 * (St.Acc - 0.7f));
    if (St.Acc < -0.7f && Step < 0) Step = Step / (1 + 5 * (-St.Acc - 0.7f));
    St.Acc = 0.996f * (St.Acc + Step);
    return 0.6f * St.Acc;
  });
}

void DistortionSlewRate32(TDistortor& St, TSample32& S, float D) {
  if (D == 1) return;
  Shape(S, [&St, D](float X) {
    St.Acc += (X - St.Prev) * St.Rate * D;
    if (St.Prev * X <= 0) {
      St.Acc = 0;
      St.Rate = 1;
    }
    St.Prev = X;
    if (St.Acc > 1) {
      St.Acc = 1;
      St.Rate = 0.01f;
    } else if (St.Acc < -1) {
      St.Acc = -1;
      St.Rate = 0.01f;
    }
    return St.Acc;
  });
}

void DistortionGainRide32(TDistortor& St, TSample32& S, float D) {
  Shape(S, [&St, D](float X) {
    const float V = X * D * St.Gain;
    St.Gain = std::min(St.Gain * ((0.4f - std::fabs(V)) / 5 + 1), 1.0f);
    return V;
  });
}

void DistortionAtanFeedback32(TDistortor& St, TSample32& S, float D) {
  Shape(S, [&St, D](float X) {
    const float B = 0.5f * Atan(X * D) - X;
    St.Acc = 0.89f * St.Acc + B - St.Prev;
    St.Prev = B;
    return X + St.Acc;
  });
}

float SoftLimitValue(float X, float Limit) {
  Limit = std::max(Limit, 1e-5f);
  return Limit * Atan(X / Limit);
}

}  // namespace kromel
