#include "images/pixel128.h"

#include <algorithm>
#include <cmath>

#include "foundation/number_format.h"

namespace kromel {

namespace {

// Low 8 bits of round(V x 255); NaN and infinities give 0. A double whose
// size is 2^62 or more is a multiple of 256, so its low byte is 0 too.
uint32_t LowByteOfScaled(float V) {
  const double X = std::nearbyint(double(V) * 255.0);
  if (!(std::fabs(X) < 4611686018427387904.0)) return 0;
  return uint32_t(uint64_t(int64_t(X)) & 0xFF);
}

// 0..1 (NaN gives 0), times 255, rounded.
uint32_t ClampedByte(float V) {
  const float C = V > 0 ? std::min(V, 1.0f) : 0.0f;
  return uint32_t(std::nearbyint(double(C) * 255.0));
}

float Max3(float A, float B, float C) { return std::max(A, std::max(B, C)); }
float Min3(float A, float B, float C) { return std::min(A, std::min(B, C)); }

long double LuminanceExt(const TBGRAPixel128& P) {
  return 0.3L * P.R + 0.5f * P.G + 0.2L * P.B;
}

}  // namespace

void Pixel128Clear(TBGRAPixel128& P) { P = {0, 0, 0, 0}; }

void Pixel128WithAlpha(const TBGRAPixel128& Src, TBGRAPixel128& Dst, float A) {
  Dst = Src;
  Dst.A = A;
}

TPixel256 Pixel128ToPixel256(const TBGRAPixel128& P) { return {P.B, P.G, P.R, P.A}; }

void Pixel128ToPixel256Ref(TPixel256& Dst, const TBGRAPixel128& P) {
  Dst = Pixel128ToPixel256(P);
}

uint32_t Pixel128ToPixel32(const TBGRAPixel128& P) {
  return LowByteOfScaled(P.B) | LowByteOfScaled(P.G) << 8 | LowByteOfScaled(P.R) << 16 |
         LowByteOfScaled(P.A) << 24;
}

uint32_t Pixel128ToPixel32Clamped(const TBGRAPixel128& P) {
  return ClampedByte(P.B) | ClampedByte(P.G) << 8 | ClampedByte(P.R) << 16 |
         LowByteOfScaled(P.A) << 24;
}

uint32_t RGBPixel128ToPixel32(const TRGBAPixel128& P) {
  return ClampedByte(P.R) * 65536 + ClampedByte(P.G) * 256 + ClampedByte(P.B);
}

uint32_t RGBVectorToPixel32(const TRGBVector& V) {
  return RGBPixel128ToPixel32({V[0], V[1], V[2], 0});
}

TBGRAPixel128 Pixel128Add(const TBGRAPixel128& A, const TBGRAPixel128& B) {
  return {A.B + B.B, A.G + B.G, A.R + B.R, A.A + B.A};
}

TBGRAPixel128 Pixel128Sub(const TBGRAPixel128& A, const TBGRAPixel128& B) {
  return {A.B - B.B, A.G - B.G, A.R - B.R, A.A - B.A};
}

void Pixel128IncBy(TBGRAPixel128& A, const TBGRAPixel128& B) { A = Pixel128Add(A, B); }
void Pixel128DecBy(TBGRAPixel128& A, const TBGRAPixel128& B) { A = Pixel128Sub(A, B); }

TBGRAPixel128 Pixel128Scale(const TBGRAPixel128& P, double F) {
  return {float(P.B * F), float(P.G * F), float(P.R * F), float(P.A * F)};
}

void Pixel128MulScalar(const TBGRAPixel128& P, TBGRAPixel128& Out, float F) {
  Out = {P.B * F, P.G * F, P.R * F, P.A * F};
}

void Pixel128ScaleRGB(const TBGRAPixel128& Src, TBGRAPixel128& Dst, float F) {
  Dst = {Src.B * F, Src.G * F, Src.R * F, Src.A};
}

void Pixel128AddScalar(TBGRAPixel128& P, float X) {
  P.B += X;
  P.G += X;
  P.R += X;
}

void Pixel128Clamp(TBGRAPixel128& P) {
  for (float* V : {&P.B, &P.G, &P.R, &P.A}) {
    if (*V < 0) *V = 0;
    if (*V > 1) *V = 1;
  }
}

float Pixel128Min(const TBGRAPixel128& P) { return Min3(P.R, P.G, P.B); }
float Pixel128Max(const TBGRAPixel128& P) { return Max3(P.R, P.G, P.B); }

float Pixel128Mean(const TBGRAPixel128& P) {
  return float(((long double)P.B + P.G + P.R) * (1.0L / 3.0L));
}

bool Pixel128IsZero(const TBGRAPixel128& P) { return P.B == 0 && P.G == 0 && P.R == 0; }

float Pixel128Luminance(const TBGRAPixel128& P) { return float(LuminanceExt(P)); }

float Pixel128Dot3(const TBGRAPixel128& A, const TBGRAPixel128& B) {
  return A.B * B.B + (A.G * B.G + A.R * B.R);
}

float Vector3DotPixel128(const std::array<float, 3>& V, const TBGRAPixel128& P) {
  return V[0] * P.B + (V[1] * P.G + V[2] * P.R);
}

TBGRAPixel128 Pixel128Cross3(const TBGRAPixel128& A, const TBGRAPixel128& B) {
  return {A.R * B.G - A.G * B.R, A.B * B.R - A.R * B.B, A.G * B.B - A.B * B.G, A.A};
}

void Pixel128CrossInPlace(TBGRAPixel128& V, const TBGRAPixel128& W) { V = Pixel128Cross3(V, W); }

float Pixel128Length(const TBGRAPixel128& P) {
  return std::sqrt(P.B * P.B + P.G * P.G + P.R * P.R);
}

float Pixel128Distance(const TBGRAPixel128& A, const TBGRAPixel128& B) {
  const float D0 = A.B - B.B, D1 = A.G - B.G, D2 = A.R - B.R;
  return std::sqrt(D0 * D0 + D1 * D1 + D2 * D2);
}

void Pixel128Normalize3(TBGRAPixel128& P) {
  const float L = Pixel128Length(P);
  if (L == 0) return;
  P.B /= L;
  P.G /= L;
  P.R /= L;
}

void Pixel128NormalizeMax(TBGRAPixel128& P) {
  const float M = Pixel128Max(P);
  if (!((long double)M > 1.0e-5L)) return;
  P.B /= M;
  P.G /= M;
  P.R /= M;
}

TPixel256 Pixel128SubAsPixel256(const TBGRAPixel128& A, const TBGRAPixel128& B) {
  return {double(A.B) - B.B, double(A.G) - B.G, double(A.R) - B.R, double(A.A) - B.A};
}

TPixel256 Pixel256SubPixel128(const TPixel256& A, const TBGRAPixel128& B) {
  return {A.B - B.B, A.G - B.G, A.R - B.R, A.A - B.A};
}

void Pixel256IncBy(TPixel256& A, const TPixel256& B) {
  A = {A.B + B.B, A.G + B.G, A.R + B.R, A.A + B.A};
}

void Pixel256DecBy(TPixel256& A, const TPixel256& B) {
  A = {A.B - B.B, A.G - B.G, A.R - B.R, A.A - B.A};
}

void Pixel256ScaleRGB(const TPixel256& Src, TPixel256& Dst, double F) {
  Dst = {Src.B * F, Src.G * F, Src.R * F, Src.A};
}

double Pixel256Dot(const TPixel256& A, const TPixel256& B) {
  return A.B * B.B + (A.G * B.G + A.R * B.R);
}

double Pixel256Dot3(const TPixel256& A, const TPixel256& B) { return Pixel256Dot(A, B); }

TPixel256 Pixel256Cross3(const TPixel256& A, const TPixel256& B) {
  return {A.R * B.G - A.G * B.R, A.B * B.R - A.R * B.B, A.G * B.B - A.B * B.G, A.A};
}

void Pixel256CrossInPlace(TPixel256& A, const TPixel256& B) { A = Pixel256Cross3(A, B); }

float Pixel256Length(const TPixel256& P) {
  return float(std::sqrt(P.B * P.B + P.G * P.G + P.R * P.R));
}

void Pixel256Normalize3(TPixel256& P) {
  const double L = std::sqrt(P.B * P.B + P.G * P.G + P.R * P.R);
  if (L == 0) return;
  P.B /= L;
  P.G /= L;
  P.R /= L;
}

bool Pixel256IsZero(const TPixel256& P) { return P.B == 0 && P.G == 0 && P.R == 0; }

float Pixel128Saturation(const TBGRAPixel128& P) {
  const float Mx = Pixel128Max(P);
  if (!(Mx > 0)) return 0;
  return float(((long double)Mx - Pixel128Min(P)) / (Mx + 0.35L));
}

float Pixel128Saturation005(const TBGRAPixel128& P) {
  const float Mx = Pixel128Max(P);
  if (!(Mx > 0)) return 0;
  return float(((long double)Mx - Pixel128Min(P)) / (Mx + 0.05L));
}

void Pixel128Saturate(const TBGRAPixel128& P, TBGRAPixel128& Out, float X) {
  const float M = (P.R + P.G + P.B) / 3.0f;
  Out = {(P.B - M) * X + M, (P.G - M) * X + M, (P.R - M) * X + M, P.A};
}

void Pixel128SaturateByLuminance(const TBGRAPixel128& P, TBGRAPixel128& Out, float X) {
  const float M = Pixel128Luminance(P);
  Out = {(P.B - M) * X + M, (P.G - M) * X + M, (P.R - M) * X + M, P.A};
}

void Pixel128SetLuminance(const TBGRAPixel128& P, TBGRAPixel128& Out, float Lt) {
  const long double L = LuminanceExt(P);
  if (Lt == 0 || L < 1.0e-4L) {
    Out.B = Out.G = Out.R = 0;
    return;
  }
  Out = {float(P.B * Lt / L), float(P.G * Lt / L), float(P.R * Lt / L), P.A};
}

void SetLuminanceDiamond(const TBGRAPixel128& P, TBGRAPixel128& Out, float Lt) {
  long double L = LuminanceExt(P);
  const float Alpha = P.A;
  float C[3] = {P.B, P.G, P.R};
  const bool Inverted = Lt > 0.5f;
  if (Inverted) {
    L = 1 - L;
    Lt = 1 - Lt;
    for (float& V : C) V = 1 - V;
  }
  if (Lt == 0 || L < 1.0e-4L) {
    C[0] = C[1] = C[2] = 0;
  } else {
    for (float& V : C) V = float(V * Lt / L);
  }
  if (Inverted)
    for (float& V : C) V = 1 - V;
  Out = {C[0], C[1], C[2], Alpha};
}

void RotateHue128To(const TBGRAPixel128& P, TBGRAPixel128& Out, float Angle) {
  const long double C = std::cos((long double)Angle);
  const long double S = std::sin((long double)Angle);
  const long double D = (1 - C) / 3;
  const long double E = S * 0.5773502691896257645L;
  const long double R = P.R, G = P.G, B = P.B;
  const float R2 = float((C + D) * R + (D - E) * G + (D + E) * B);
  const float G2 = float((D + E) * R + (C + D) * G + (D - E) * B);
  const float B2 = float((D - E) * R + (D + E) * G + (C + D) * B);
  Out = {B2, G2, R2, P.A};
}

void RotateHue128(TBGRAPixel128& P, float Angle) { RotateHue128To(P, P, Angle); }

void TriangleBarycentric(float& W1, float& W2, float& W3, float Px, float Py, float X1, float Y1,
                         float X2, float Y2, float X3, float Y3) {
  const float Ex = X2 - X1, Ey = Y2 - Y1;
  const float Fx = X3 - X1, Fy = Y3 - Y1;
  const float Qx = Px - X1, Qy = Py - Y1;
  const float EE = Ex * Ex + Ey * Ey;
  const float FF = Fx * Fx + Fy * Fy;
  const float EF = Ex * Fx + Ey * Fy;
  const float QE = Qx * Ex + Qy * Ey;
  const float QF = Qx * Fx + Qy * Fy;
  const float Den = EE * FF - EF * EF;
  if (Den == 0) {
    W1 = 1;
    W2 = 0;
    W3 = 0;
    return;
  }
  W2 = (FF * QE - EF * QF) / Den;
  W3 = (EE * QF - EF * QE) / Den;
  W1 = 1 - W2 - W3;
}

void Pixel128ToText(std::string& S, const TBGRAPixel128& P) {
  S = "(" + FloatToStrD3(P.R) + ", " + FloatToStrD3(P.G) + ", " + FloatToStrD3(P.B) + ")";
}

void Pixel128ToText2(std::string& S, const TBGRAPixel128& P) {
  S = "(" + FloatToStrD2(P.R) + ", " + FloatToStrD2(P.G) + ", " + FloatToStrD2(P.B) + ")";
}

void Pixel128ToRGBText(const TBGRAPixel128& P, std::string& S) {
  S = "R: " + FloatToStrD4(P.R) + "  G: " + FloatToStrD4(P.G) + "  B: " + FloatToStrD4(P.B);
}

}  // namespace kromel
