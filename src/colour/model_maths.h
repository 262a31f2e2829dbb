// Building blocks shared by the working colour models, written once for the
// Single routines (table-driven sRGB and L* steps) and for the Double ones
// (the same steps by formula, as the gamut table builder needs them).
// Internal to the colour library.
#pragma once
#include <cmath>

#include "colour/log_gamma.h"

namespace kromel::model_maths {

struct TSingleMaths {
  using T = float;
  static void Decode(float& R, float& G, float& B) { GammaSRGBToLinearRGB(R, G, B); }
  static void Encode(float& R, float& G, float& B) { LinearToGammaSRGBRGB(R, G, B); }
  // L* of a luminance on the 0..1 scale.
  static float LStar(float Lum) { return LinearToGammaLStarFast(Lum); }
  static float LStarToLum(float P) { return LStarToLinear(P); }
};

struct TDoubleMaths {
  using T = double;
  static double DecodeOne(double V) {
    if (V < 0) return 0;
    return V < 0.04045 ? V / 12.92 : std::pow((V + 0.055) / 1.055, 2.4);
  }
  static double EncodeOne(double X) {
    return X < 0.0031308049535603715 ? 12.92 * X : 1.055 * std::pow(X, 1.0 / 2.4) - 0.055;
  }
  static void Decode(double& R, double& G, double& B) {
    R = DecodeOne(R);
    G = DecodeOne(G);
    B = DecodeOne(B);
  }
  static void Encode(double& R, double& G, double& B) {
    R = EncodeOne(R);
    G = EncodeOne(G);
    B = EncodeOne(B);
  }
  static double LStar(double Lum) {
    return (Lum <= 0.008856 ? 903.3 * Lum : 116.0 * std::cbrt(Lum) - 16.0) / 100.0;
  }
  static double LStarToLum(double P) {
    if (P <= 7.9996248) return P / 903.3;
    const double Q = (P + 16.0) / 116.0;
    return Q * Q * Q;
  }
};

constexpr double Pi = 3.14159265358979323846;

template <class T>
inline T Sqr(T V) {
  return V * V;
}

// P(v) = sign(v)*100*(|v|/100)^(2/3) and its inverse Q(v), exponent 1.5.
template <class T>
inline T Compress(T V) {
  if (V == 0) return 0;
  const T R =
      static_cast<T>(100.0 * std::pow(std::fabs(static_cast<double>(V)) / 100.0, 2.0 / 3.0));
  return V < 0 ? -R : R;
}

template <class T>
inline T Expand(T V) {
  if (V == 0) return 0;
  const T R = static_cast<T>(100.0 * std::pow(std::fabs(static_cast<double>(V)) / 100.0, 1.5));
  return V < 0 ? -R : R;
}

template <class T>
constexpr T OppS = static_cast<T>(0.8660254);

// Opponent coordinates x = s*R - s*G, y = 0.5*R + (0.5*G - B).
template <class T>
inline void Opponent(T R, T G, T B, T& X, T& Y) {
  X = OppS<T> * R - OppS<T> * G;
  Y = static_cast<T>(0.5) * R + (static_cast<T>(0.5) * G - B);
}

template <class T>
inline T Norm(T R, T G, T B) {
  return std::sqrt(R * R + G * G + B * B);
}

// R, G, B with R^2 + G^2 + B^2 = N^2 and opponent coordinates (X, Y): the
// larger root; a negative discriminant counts as 0.
template <class T>
inline void SphereSolve(T N, T X, T Y, T& R, T& G, T& B) {
  constexpr T S = OppS<T>;
  T U = Sqr(4 * Y) - 12 * (X * X / S * static_cast<T>(0.5) / S + 2 * Y * Y - N * N);
  if (U < 0) U = 0;
  B = (std::sqrt(U) - 4 * Y) / 6;
  G = B - (X / S) * static_cast<T>(0.5) + Y;
  R = X / S + G;
}

// Each channel above 1 becomes 1, then each below 0 becomes 0.
template <class T>
inline void FinalClamp(T& R, T& G, T& B) {
  for (T* C : {&R, &G, &B}) {
    if (*C > 1) *C = 1;
    if (*C < 0) *C = 0;
  }
}

}  // namespace kromel::model_maths
