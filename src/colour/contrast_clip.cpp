#include "colour/contrast_clip.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "colour/log_gamma.h"

namespace kromel {

namespace {

inline float S(double X) { return static_cast<float>(X); }
inline float Max3(float A, float B, float C) { return std::max(std::max(A, B), C); }
inline float Min3(float A, float B, float C) { return std::min(std::min(A, B), C); }
inline float Luma709(float R, float G, float B) { return S(0.2126 * R + 0.7152 * G + 0.0722 * B); }

// (1 - knee)*ln(1 + V) + knee*V, then a blend of t towards ln(1 + V).
inline double Compress(double V, double Knee, double T) {
  V = (1.0 - Knee) * std::log(1.0 + V) + Knee * V;
  return (1.0 - T) * V + T * std::log(1.0 + V);
}

struct TTriple {
  float C[3];
  float Mean() const { return S((static_cast<double>(C[0]) + C[1] + C[2]) / 3.0); }
  float Spread(float M) const {
    double Sum = 0;
    for (float V : C) Sum += (static_cast<double>(V) - M) * (static_cast<double>(V) - M);
    return S(std::sqrt(Sum));
  }
  void Scale(float Factor) {
    const float M = Mean();
    for (float& V : C) V = S((static_cast<double>(V) - M) * Factor + M);
  }
  void Shift(float D) {
    for (float& V : C) V += D;
  }
  // Spread about the mean set back to that of P (the floor keeps a grey from
  // dividing by zero).
  void RestoreSpread(const TTriple& P) {
    const float M1 = Mean();
    const float S1 = std::max(Spread(M1), 0.0001f);
    const float S0 = P.Spread(P.Mean());
    for (float& V : C) V = S((static_cast<double>(V) - M1) * (S0 / S1) + M1);
  }
};

}  // namespace

void SoftClip3(float& R, float& G, float& B, float ColourAmount, float HighlightAmount,
               float /*Unused*/, float LimitR, float LimitG, float LimitB) {
  if (R > LimitR) R = LimitR;
  if (G > LimitG) G = LimitG;
  if (B > LimitB) B = LimitB;
  if (R < 0) R = 0;
  if (G < 0) G = 0;
  if (B < 0) B = 0;
  const double C = ColourAmount;
  const double V0 = (1.0 - C) * Luma709(R, G, B) + C * Max3(R, G, B);
  double V = V0;
  double Knee = 1.0 - HighlightAmount;
  double T = 0;
  if (Knee < 0) {
    T = std::min(-Knee, 1.0);
    Knee = 0;
  }
  if (V > Knee) {
    const double A0 = (static_cast<double>(LimitR) + LimitG + LimitB) / 3.0;
    const double Lim = std::min(A0, 1.0);
    if (Lim <= Knee) Knee = Lim - 0.001;
    V = Compress(V, Knee, T);
    const double A = Compress(A0, Knee, T);
    const double K = std::atan(A - Knee) / (Lim - Knee);
    const double Den = std::atan((A - Knee) * K);
    if (Den != 0) V = std::atan((V - Knee) * K) / Den * (Lim - Knee) + Knee;
  } else if (Knee > 0) {
    const double Q = (1.0 - Knee) * std::log(1.0 + Knee) + Knee * Knee;
    V = V * Q / Knee;
  }
  const double Ratio = V0 > 0 ? V / V0 : 1.0;
  R = S(R * Ratio);
  G = S(G * Ratio);
  B = S(B * Ratio);
  const float M = Max3(R, G, B);
  const float Y = Luma709(R, G, B);
  if (M > 1 && Y > 0 && M > Y) {
    const double W = (1.0 - M) / (static_cast<double>(Y) - M);
    R = S((1.0 - W) * R + W * Y);
    G = S((1.0 - W) * G + W * Y);
    B = S((1.0 - W) * B + W * Y);
  }
}

float ContrastSigmoid(float X, float K) {
  if (K < 0.0001f || X <= 0) return X;
  const double k = K;
  const double Y =
      (1.0 / (1.0 + std::exp(-k * (2.0 * X - 1.0))) - 0.5) / (2.0 / (1.0 + std::exp(-k)) - 1.0) +
      0.5;
  return S(Y);
}

float ContrastSigmoidReverse(float Y, float K) {
  if (K < 0.0001f || Y <= 0) return Y;
  const double k = K;
  const double U = (2.0 / (1.0 + std::exp(-k)) - 1.0) * (Y - 0.5) + 0.5;
  if (std::isnan(U)) return Y;
  if (U <= 1e-9) return 0;
  const double Z = U >= 1.0 ? 1.0 : -std::log(1.0 / U - 1.0) / k;
  return S(Z * 0.5 + 0.5);
}

float ContrastSigmoidSlope(float X, float K) {
  return S(
      (static_cast<double>(ContrastSigmoid(X + 0.00001f, K)) - ContrastSigmoid(X - 0.00001f, K)) /
      0.00002);
}

void ContrastSigmoidRGB(float& R, float& G, float& B, float K) {
  if (K == 0) return;
  TTriple T{{R, G, B}};
  T.Scale(0.5f);
  const float M = T.Mean();
  T.Shift(ContrastSigmoidReverse(M, K) - M);
  const TTriple P = T;
  for (float& V : T.C) V = ContrastSigmoid(V, K);
  T.RestoreSpread(P);
  T.Scale(2.0f);
  R = T.C[0];
  G = T.C[1];
  B = T.C[2];
}

void ContrastSigmoidRGBReverse(float& R, float& G, float& B, float K) {
  TTriple T{{R, G, B}};
  T.Scale(0.5f);
  const TTriple P = T;
  for (float& V : T.C) V = ContrastSigmoidReverse(V, K);
  T.RestoreSpread(P);
  const float M = T.Mean();
  T.Shift(ContrastSigmoid(M, K) - M);
  T.Scale(2.0f);
  R = T.C[0];
  G = T.C[1];
  B = T.C[2];
}

void RGBLightnessByMode(float R, float G, float B, uint8_t Mode, float& ROut, float& GOut,
                        float& BOut, float& L) {
  ROut = R;
  GOut = G;
  BOut = B;
  switch (Mode) {
    case 1:
      L = LinearToGammaCustom(S(0.299 * ApplyGamma(R, 2.4f) + 0.587 * ApplyGamma(G, 2.4f) +
                                0.114 * ApplyGamma(B, 2.4f)),
                              2.4f);
      return;
    case 3:
    case 4: {
      L = Max3(R, G, B);
      if (Mode == 4) L = S(1.0 - (1.0 - L) * (1.0 - L));
      if (L > 0) {
        for (float* C : {&ROut, &GOut, &BOut}) *C = S(1.0 - (L - static_cast<double>(*C)) / L);
      } else {
        ROut = GOut = BOut = 1;
      }
      return;
    }
    case 5:
    case 6:
      L = Min3(R, G, B);
      if (Mode == 6) L = L * L;
      ROut = R - L;
      GOut = G - L;
      BOut = B - L;
      return;
    default:
      L = S((static_cast<double>(R) + G + B) / 3.0);
      return;
  }
}

int32_t ColorBrightness(uint32_t Color) {
  const double R = Color & 0xFF, G = (Color >> 8) & 0xFF, B = (Color >> 16) & 0xFF;
  return static_cast<int32_t>(
      std::nearbyint(std::sqrt(0.241 * R * R + 0.691 * G * G + 0.068 * B * B)));
}

float ColorBrightnessSingle(float R, float G, float B) {
  return S(std::sqrt(0.241 * R * R + 0.691 * G * G + 0.068 * B * B));
}

namespace {

void ScaleToBrightness(float& R, float& G, float& B, float Target, double WR, double WG,
                       double WB) {
  const double Bright = std::sqrt(WR * R * R + WG * G * G + WB * B * B);
  if (!(Bright > 0)) return;
  const double F = Target / Bright;
  R = S(R * F);
  G = S(G * F);
  B = S(B * F);
}

}  // namespace

void SetColorBrightness(float& R, float& G, float& B, float Target) {
  ScaleToBrightness(R, G, B, Target, 0.241, 0.691, 0.068);
}

void SetColorBrightnessEqual(float& R, float& G, float& B, float Target) {
  ScaleToBrightness(R, G, B, Target, 0.33, 0.34, 0.33);
}

namespace {

int32_t HueByte(int32_t R, int32_t G, int32_t B, int32_t OffR, int32_t OffG, int32_t OffB,
                bool WrapHigh) {
  const int32_t Mx = std::max(std::max(R, G), B);
  const int32_t Mn = std::min(std::min(R, G), B);
  if (Mx == Mn) return -1;
  const int32_t D = Mx - Mn;
  int32_t H;
  if (R == Mx)
    H = 43 * (G - B) / D + OffR;
  else if (G == Mx)
    H = 43 * (B - R) / D + OffG;
  else
    H = 43 * (R - G) / D + OffB;
  if (WrapHigh && H >= 256) H -= 256;
  if (H < 0) H += 256;
  return H;
}

}  // namespace

int32_t RGBtoHueByte(int32_t R, int32_t G, int32_t B) {
  return HueByte(R, G, B, 43, 128, 213, true);
}

int32_t RGBtoHueByteZero(int32_t R, int32_t G, int32_t B) {
  return HueByte(R, G, B, 0, 85, 170, false);
}

void RotateXY(float& X, float& Y, float Angle) {
  const double C = std::cos(static_cast<double>(Angle)), Sn = std::sin(static_cast<double>(Angle));
  const double X0 = X, Y0 = Y;
  X = S(C * X0 - Sn * Y0);
  Y = S(Sn * X0 + C * Y0);
}

void RotateABRec(TLABRec& Rec, float Angle) { RotateXY(Rec.A, Rec.B, Angle); }

void RotateRGBAroundGrey(float& R, float& G, float& B, float Angle) {
  const double C = std::cos(static_cast<double>(Angle));
  const double K = (1.0 - C) / 3.0;
  const double E = std::sin(static_cast<double>(Angle)) * 0.5773502691896257645;
  const double R0 = R, G0 = G, B0 = B;
  R = S((K + C) * R0 + (K - E) * G0 + (K + E) * B0);
  G = S((K + E) * R0 + (K + C) * G0 + (K - E) * B0);
  B = S((K - E) * R0 + (K + E) * G0 + (K + C) * B0);
}

float SoftKnee(float X, float Knee, float Width) {
  if (X < 1 - Knee) return X;
  constexpr double HalfPi = std::numbers::pi / 2.0;
  const double F = static_cast<double>(Knee) + Width;
  return S(F * std::atan((X - (1.0 - Knee)) * HalfPi / F) / HalfPi + 1.0 - Knee);
}

}  // namespace kromel
