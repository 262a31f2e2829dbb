#include "colour/hsv_hsl.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <utility>

#include "foundation/numeric.h"

namespace kromel {

namespace {

constexpr double Pi = std::numbers::pi;

// rnd(255*V) limited to 0..255; NaN gives 0.
inline uint32_t ByteOf(float V) {
  const double X = 255.0 * static_cast<double>(V);
  if (!(X > 0)) return 0;
  if (X >= 255) return 255;
  return static_cast<uint32_t>(std::nearbyint(X));
}

inline uint32_t PackColor(uint32_t R, uint32_t G, uint32_t B) { return R | G << 8 | B << 16; }

inline float Frac(float X) { return X - std::trunc(X); }

float HueToChannel(float P, float Q, float T) {
  if (T < 0) T += 1;
  if (T > 1) T -= 1;
  if (T < 1.0f / 6) return P + (Q - P) * 6 * T;
  if (T < 0.5f) return Q;
  if (T < 2.0f / 3) return P + (Q - P) * (2.0f / 3 - T) * 6;
  return P;
}

// RGBtoHSL's steps; Raise adds 6 to a negative red-sector hue.
void HSLOf(float& H, float& S, float& L, float R, float G, float B, bool Raise) {
  for (float* C : {&R, &G, &B}) {
    if (*C > 1) *C = 1;
    if (*C < 1e-8f) *C = 0;
  }
  const float Mx = std::max(R, std::max(G, B));
  const float Mn = std::min(R, std::min(G, B));
  L = (Mx + Mn) / 2;
  if (Mx == Mn) {
    H = 0;
    S = 0;
    return;
  }
  const float D = Mx - Mn;
  S = L > 0.5f ? D / (2 - Mx - Mn) : D / (Mx + Mn);
  if (Mx == R) {
    H = (G - B) / D;
    if (Raise && H < 0) H += 6;
  } else if (Mx == G) {
    H = (B - R) / D + 2;
  } else {
    H = (R - G) / D + 4;
  }
  H = H / 6;
}

// The channels of hue sextant 0..5 from the top and bottom values and the
// rising and falling ones; nothing is set for another sextant.
template <class T>
void SextantChannels(int64_t Sextant, T Top, T Bottom, T Rising, T Falling, T& R, T& G, T& B) {
  switch (Sextant) {
    case 0:
      R = Top, G = Rising, B = Bottom;
      break;
    case 1:
      R = Falling, G = Top, B = Bottom;
      break;
    case 2:
      R = Bottom, G = Top, B = Rising;
      break;
    case 3:
      R = Bottom, G = Falling, B = Top;
      break;
    case 4:
      R = Rising, G = Bottom, B = Top;
      break;
    case 5:
      R = Top, G = Bottom, B = Falling;
      break;
    default:
      break;
  }
}

// Integer HSL to (R, G, B); all 0 for black or a sextant outside 0..5.
// (In 64 bits, so that no input overflows.)
void IntegerHSL(int64_t H, int64_t S, int64_t L, int64_t& R, int64_t& G, int64_t& B) {
  R = G = B = 0;
  const int64_t V = L < 128 ? (L * (256 + S)) >> 8 : ((L + S) * 256 - L * S) >> 8;
  if (V <= 0) return;
  const int64_t M = 2 * L - V;
  const int64_t Sextant = (6 * H) >> 8;
  const int64_t Fraction = 6 * H - 256 * Sextant;
  const int64_t K = ((V - M) * Fraction) >> 8;
  SextantChannels(Sextant, V, M, M + K, V - K, R, G, B);
}

inline uint32_t LowByte(int64_t V) { return static_cast<uint32_t>(V & 0xFF); }

}  // namespace

void RGBtoHSV(float& H, float& S, float& V, float R, float G, float B) {
  const float Mx = std::max(R, std::max(G, B));
  const float Mn = std::min(R, std::min(G, B));
  const float D = Mx - Mn;
  V = Mx;
  S = Mx != 0 ? D / Mx : 0.0f;
  if (S == 0) {
    H = 0;
    return;
  }
  if (Mx == R)
    H = 60 * (G - B) / D;
  else if (Mx == G)
    H = 60 * (B - R) / D + 120;
  else
    H = 60 * (R - G) / D + 240;
  if (H < 0) H += 360;
}

void HSVtoRGB(float& R, float& G, float& B, float H, float S, float V) {
  if (H < 0) H += 360;
  if (H > 360) H -= 360;
  const float Hs = H / 60;
  const float C = S * V;
  const float X = C * (1 - std::fabs(2 * Frac(Hs / 2) - 1));
  R = G = B = 0;
  if (Hs < 1) {
    R = C, G = X;
  } else if (Hs < 2) {
    R = X, G = C;
  } else if (Hs < 3) {
    G = C, B = X;
  } else if (Hs < 4) {
    G = X, B = C;
  } else if (Hs < 5) {
    R = X, B = C;
  } else if (Hs <= 6) {
    R = C, B = X;
  }
  const float M = V - C;
  R += M;
  G += M;
  B += M;
}

void RGBtoHSVBytes(int32_t& H, int32_t& S, int32_t& V, int32_t R, int32_t G, int32_t B) {
  float Hf, Sf, Vf;
  RGBBytesToHSV(Hf, Sf, Vf, R, G, B);
  H = static_cast<int32_t>(std::nearbyint(Hf * 255.0f / 360.0f));
  S = static_cast<int32_t>(std::nearbyint(Sf * 255.0f));
  V = static_cast<int32_t>(std::nearbyint(Vf * 255.0f));
}

void RGBBytesToHSV(float& H, float& S, float& V, int32_t R, int32_t G, int32_t B) {
  RGBtoHSV(H, S, V, R / 255.0f, G / 255.0f, B / 255.0f);
}

void HSVtoRGBSectors(float& R, float& G, float& B, float H, float S, float V) {
  if (S == 0) {
    R = G = B = V;
    return;
  }
  if (H < 0) H += 360;
  if (H > 360) H -= 360;
  const float Hs = H / 60;
  R = G = B = 0;
  if (!(Hs >= 0 && Hs <= 6)) return;  // no sector
  int I = static_cast<int>(Hs);
  const float F = Hs - static_cast<float>(I);
  const float P = V * (1 - S), Q = V * (1 - S * F), T = V * (1 - S * (1 - F));
  if (I == 6) I = 0;
  SextantChannels<float>(I, V, P, T, Q, R, G, B);
}

void HSVtoRGBBytes(uint8_t& R, uint8_t& G, uint8_t& B, float H, float S, float V) {
  float Rf, Gf, Bf;
  HSVtoRGB(Rf, Gf, Bf, H, S, V);
  R = static_cast<uint8_t>(ByteOf(Rf));
  G = static_cast<uint8_t>(ByteOf(Gf));
  B = static_cast<uint8_t>(ByteOf(Bf));
}

uint32_t HSVToColor(float H, float S, float V) {
  uint8_t R, G, B;
  HSVtoRGBBytes(R, G, B, H, S, V);
  return PackColor(R, G, B);
}

void RotateHueRGB(float& R, float& G, float& B, float Angle) {
  float H, S, V;
  RGBtoHSV(H, S, V, R, G, B);
  H += Angle;
  if (H > 360) H -= 360;
  for (int K = 0; K < 2 && H < 0; ++K) H += 360;
  HSVtoRGB(R, G, B, H, S, V);
  R = Clamp01(R);
  G = Clamp01(G);
  B = Clamp01(B);
}

uint32_t RotateHueColor(uint32_t Color, float Angle) {
  float R = static_cast<float>(Color & 0xFF) / 255.0f;
  float G = static_cast<float>((Color >> 8) & 0xFF) / 255.0f;
  float B = static_cast<float>((Color >> 16) & 0xFF) / 255.0f;
  RotateHueRGB(R, G, B, Angle);
  return PackColor(ByteOf(R), ByteOf(G), ByteOf(B));
}

void RGBtoHSL(float& H, float& S, float& L, float R, float G, float B) {
  HSLOf(H, S, L, R, G, B, true);
}

void HSLtoRGB(float& R, float& G, float& B, float H, float S, float L) {
  if (S > 1) S = 1;
  if (S == 0) {
    R = G = B = L;
    return;
  }
  const float Q = L < 0.5f ? L * (1 + S) : L + S - L * S;
  const float P = 2 * L - Q;
  R = HueToChannel(P, Q, H + 1.0f / 3);
  G = HueToChannel(P, Q, H);
  B = HueToChannel(P, Q, H - 1.0f / 3);
}

void RGBtoHSLLab(float& L, float& A, float& B, float R, float G, float Bv) {
  float H, S, Lh;
  HSLOf(H, S, Lh, R, G, Bv, false);
  L = 100 * Lh;
  if (S == 0) {
    A = 0;
    B = 0;
    return;
  }
  const double Angle = 2 * Pi * H + Pi / 4;
  A = static_cast<float>(100.0 * S * std::cos(Angle));
  B = static_cast<float>(100.0 * S * std::sin(Angle));
}

void HSLLabtoRGB(float& R, float& G, float& B, float L, float A, float Bv) {
  L /= 100;
  A /= 100;
  Bv /= 100;
  float H =
      static_cast<float>(std::atan2(static_cast<double>(Bv), static_cast<double>(A)) / (2 * Pi)) -
      0.125f;
  if (H < 0) H += 1;
  if (H > 1) H -= 1;
  float S = std::sqrt(A * A + Bv * Bv);
  if (S > 1) S = 1;
  HSLtoRGB(R, G, B, H, S, L);
}

void RGBtoYUVSingle(float R, float G, float B, float& Y, float& V, float& W) {
  const float Yl = 0.299f * R + 0.587f * G + 0.114f * B;
  const float U = -0.14713f * R - 0.28886f * G + 0.436f * B;
  const float Vc = 0.615f * R - 0.51499f * G - 0.10001f * B;
  Y = 100 * Yl;
  V = 160 * Vc;
  W = -225 * U;
}

void YUVtoRGBSingle(float Y, float V, float W, float& R, float& G, float& B) {
  Y = Y / 100;
  V = V / 160;
  W = W / 225;
  float Chroma = 0.39465f * W - 0.5806f * V;
  G = Y + Chroma;
  if (G < 0 && Chroma > 1e-8f) {
    G = 0;
    W = W * (-Y / Chroma);
    V = V * (-Y / Chroma);
  }
  R = Y + 1.13983f * V;
  if (R < 0) V = -Y / 1.13983f;
  B = Y - 2.03211f * W;
  if (B < 0) W = Y / 2.03211f;
  Chroma = 0.39465f * W - 0.5806f * V;
  G = Y + Chroma;
  if (G < 0 && Chroma != 0) {
    W = W * (-Y / Chroma);
    V = V * (-Y / Chroma);
  }
  R = Y + 1.13983f * V;
  B = Y - 2.03211f * W;
  G = Y + 0.39465f * W - 0.5806f * V;
  R = Clamp01(R);
  G = Clamp01(G);
  B = Clamp01(B);
}

uint32_t HSLToColorInt(int32_t H, int32_t S, int32_t L) {
  int64_t R, G, B;
  IntegerHSL(H, S, L, R, G, B);
  return PackColor(LowByte(R), LowByte(G), LowByte(B));
}

uint32_t HSLToBGRAInt(int32_t H, int32_t S, int32_t L) {
  int64_t R, G, B;
  IntegerHSL(H, S, L, R, G, B);
  return PackColor(LowByte(B), LowByte(G), LowByte(R));
}

uint32_t HLStoColor(int32_t H, int32_t S, int32_t L) { return HSLToColorInt(H, S, L); }

void RGBtoHSY(float& H, float& S, float& Y, float R, float G, float B) {
  H = S = 0;
  Y = 0.299f * R + 0.587f * G + 0.114f * B;
  const float Sum = R + G + B;
  if (Sum == 0) return;  // black (or channels that cancel): no chromaticity
  const float Rc = R / Sum - 1.0f / 3, Gc = G / Sum - 1.0f / 3;
  if (Gc > 0)
    H = static_cast<float>(std::atan(static_cast<double>(Rc / Gc)) / (2 * Pi)) + 0.25f;
  else if (Gc < 0)
    H = static_cast<float>(std::atan(static_cast<double>(Rc / Gc)) / (2 * Pi)) + 0.75f;
  S = std::sqrt(1.8f * (Rc * Rc + Gc * Gc));
}

bool TestHSVRoundTrip() {
  std::mt19937 Engine(1234567u);
  std::uniform_real_distribution<float> Uniform(0.0f, 1.0f);
  bool Ok = true;
  for (int I = 0; I <= 100; ++I) {
    const float R = Uniform(Engine), G = Uniform(Engine), B = Uniform(Engine);
    float H, S, V, R2, G2, B2;
    RGBtoHSV(H, S, V, R, G, B);
    HSVtoRGB(R2, G2, B2, H, S, V);
    if (!(std::fabs(R - R2) <= 1e-6f && std::fabs(G - G2) <= 1e-6f && std::fabs(B - B2) <= 1e-6f))
      Ok = false;
  }
  return Ok;
}

void SortHSLByLightness(THSLPixel128Array& Samples) {
  const int N = static_cast<int>(Samples.size());
  for (int I = 0; I < N - 1; ++I)
    for (int J = N - 2; J >= I; --J)
      if (Samples[J + 1].L < Samples[J].L) std::swap(Samples[J], Samples[J + 1]);
}

void UnwrapHueSequence(THSLPixel128Array& Samples) {
  for (std::size_t I = 0; I + 1 < Samples.size(); ++I) {
    const float Previous = Samples[I].H;
    float& Next = Samples[I + 1].H;
    if (Next - Previous > 0.5f)
      Next -= 1;
    else if (Previous - Next > 0.5f)
      Next += 1;
  }
}

}  // namespace kromel
