#include "colour/rgb_lab_xyz.h"

#include <cmath>
#include <cstring>
#include <numbers>
#include <string>

#include "colour/gamut_tables.h"
#include "colour/log_gamma.h"
#include "foundation/error_sink.h"

namespace kromel {

namespace {

inline float S(double X) { return static_cast<float>(X); }

constexpr double TwoPi = 2.0 * std::numbers::pi;

// rnd(V) limited to 0..255; NaN gives 0.
inline int RoundByte(double V) {
  if (!(V > 0)) return 0;
  if (V >= 255) return 255;
  return static_cast<int>(std::nearbyint(V));
}

inline int Byte(uint32_t V, int N) { return static_cast<int>((V >> (8 * N)) & 0xFF); }

inline uint32_t PackBytes(int B0, int B1, int B2, int B3) {
  return static_cast<uint32_t>(B0) | static_cast<uint32_t>(B1) << 8 |
         static_cast<uint32_t>(B2) << 16 | static_cast<uint32_t>(B3) << 24;
}


// Lab of linear R, G, B through matrix M0, without the zero branch of L.
void LinearToLabM0(float R, float G, float B, float& L, float& A, float& Bv) {
  const float X = S(0.412453 * R + 0.357580 * G + 0.180423 * B);
  const float Y = S(0.212671 * R + 0.715160 * G + 0.072169 * B);
  const float Z = S(0.019334 * R + 0.119193 * G + 0.950227 * B);
  L = Y > 0.008856f ? S(116.0 * std::cbrt(static_cast<double>(Y)) - 16.0) : S(903.3 * Y);
  const double FY = LabF(Y);
  A = S(500.0 * (LabF(X / 0.950456) - FY));
  Bv = S(200.0 * (FY - LabF(Z / 1.088754)));
}

uint32_t PackScaledLab(float L, float A, float B) {
  return PackBytes(RoundByte(L / 100.0 * 255.0), RoundByte(A / 100.0 * 127.0 + 128.0),
                   RoundByte(B / 100.0 * 127.0 + 128.0), 0);
}

uint32_t PackReadoutLab(float L, float A, float B) {
  return PackBytes(RoundByte(L / 100.0 * 255.0), RoundByte((A / 255.0 + 0.5) * 255.0),
                   RoundByte((B / 255.0 + 0.5) * 255.0), 0);
}

// Lab of a float colour: through the transform (four floats R, G, B, A in)
// or the built-in route.
void ColourToLab(TCMSTransform Transform, float R, float G, float B, float& L, float& A,
                 float& Bv) {
  if (CMSTransformUsable(Transform)) {
    const float In[4] = {R, G, B, 0.0f};
    float Out[3] = {0, 0, 0};
    CMSDoTransformProc(Transform, In, Out, 1);
    L = Out[0];
    A = Out[1];
    Bv = Out[2];
  } else {
    RGBtoLABSingle(R, G, B, L, A, Bv);
  }
}

// Lab of a packed pixel through the transform (the pixel's bytes as they
// lie in memory) or RGBtoLABRec.
void PixelToLabCMS(uint32_t Pixel, TCMSTransform Transform, float& L, float& A, float& B) {
  if (CMSTransformUsable(Transform)) {
    const uint8_t In[4] = {
        static_cast<uint8_t>(Byte(Pixel, 0)), static_cast<uint8_t>(Byte(Pixel, 1)),
        static_cast<uint8_t>(Byte(Pixel, 2)), static_cast<uint8_t>(Byte(Pixel, 3))};
    float Out[3] = {0, 0, 0};
    CMSDoTransformProc(Transform, In, Out, 1);
    L = Out[0];
    A = Out[1];
    B = Out[2];
  } else {
    RGBtoLABRec(Pixel, L, A, B);
  }
}

// The packed pixel of a float colour: each channel clamped to 0..1, rnd(255*v).
uint32_t FloatsToPixel(float R, float G, float B) {
  return PackBytes(RoundByte(255.0 * B), RoundByte(255.0 * G), RoundByte(255.0 * R), 0);
}

double DeltaE94(double DL, double DA, double DB, double C1, double C2) {
  const double DC = C1 - C2;
  const double DH2 = DA * DA + DB * DB - DC * DC;
  const double SC = 1.0 + 0.045 * C1;
  const double SH = 1.0 + 0.015 * C1;
  const double E = DL * DL + DC * DC / (SC * SC) + DH2 / (SH * SH);
  return E < 0 ? 0.0 : std::sqrt(E);
}

// CIE94 on two packed Lab values whose a and b are centred on byte 128.
double PackedDeltaE94(uint32_t Lab1, uint32_t Lab2) {
  const double DL = (Byte(Lab1, 0) - Byte(Lab2, 0)) / 2.55;
  const double DA = Byte(Lab1, 1) - Byte(Lab2, 1);
  const double DB = Byte(Lab1, 2) - Byte(Lab2, 2);
  const double C1 = std::hypot(Byte(Lab1, 1) - 128.0, Byte(Lab1, 2) - 128.0);
  const double C2 = std::hypot(Byte(Lab2, 1) - 128.0, Byte(Lab2, 2) - 128.0);
  return DeltaE94(DL, DA, DB, C1, C2);
}

}  // namespace

void RGBtoLABSingle(float R, float G, float B, float& L, float& A, float& Bv) {
  GammaSRGBToLinearRGB(R, G, B);
  const float X = S(0.4124564 * R + 0.3575761 * G + 0.1804375 * B);
  const float Y = S(0.2126729 * R + 0.7151522 * G + 0.0721750 * B);
  const float Z = S(0.0193339 * R + 0.1191920 * G + 0.9503041 * B);
  if (Y > 0.008856f)
    L = S(116.0 * std::cbrt(static_cast<double>(Y)) - 16.0);
  else if (Y > 0)
    L = S(903.3 * Y);
  else
    L = 0;
  const double FY = LabF(Y);
  A = S(500.0 * (LabF(X / 0.950456) - FY));
  Bv = S(200.0 * (FY - LabF(Z / 1.088754)));
}

void LABtoRGBSingle(float L, float A, float B, float& R, float& G, float& Bv) {
  if (UseLABGamut)
    if (const TColorSpaceGamut* T = GamutTable(TGamutTable::LAB)) ClampABToGamut(L, A, B, *T);
  if (L > 100) L = 100;
  const float FY = S((L + 16.0) / 116.0);
  const float FX = S(A / 500.0 + FY);
  const float FZ = S(FY - B / 200.0);
  const float Y = S(LabFInverse(FY));
  const float X = S(0.950456 * LabFInverse(FX));
  const float Z = S(1.088754 * LabFInverse(FZ));
  R = S(3.2404542 * X - 1.5371385 * Y - 0.4985314 * Z);
  G = S(-0.9692660 * X + 1.8760108 * Y + 0.0415560 * Z);
  Bv = S(0.0556434 * X - 0.2040259 * Y + 1.0572252 * Z);
  LinearToGammaSRGBRGB(R, G, Bv);
  for (float* C : {&R, &G, &Bv}) {
    if (*C > 1) *C = 1;
    if (*C < 0) *C = 0;
  }
}

void RGBtoLChSingle(float R, float G, float B, float& L, float& C, float& H) {
  float A, Bv;
  RGBtoLABSingle(R, G, B, L, A, Bv);
  C = std::sqrt(A * A + Bv * Bv);
  H = S(std::atan2(static_cast<double>(Bv), static_cast<double>(A)) / TwoPi);
  if (H < 0) H += 1.0f;
}

void LChtoRGBSingle(float L, float C, float H, float& R, float& G, float& B) {
  const double Angle = TwoPi * H;
  LABtoRGBSingle(L, S(C * std::cos(Angle)), S(C * std::sin(Angle)), R, G, B);
}

uint32_t RGBtoLABColor(uint32_t Color) {
  auto Decode = [](int Byte8) {
    const double C = Byte8 / 255.0;
    return S(C <= 0.04045 ? C / 12.92 : std::pow((C + 0.055) / 1.055, 2.4));
  };
  float L, A, B;
  LinearToLabM0(Decode(Byte(Color, 0)), Decode(Byte(Color, 1)), Decode(Byte(Color, 2)), L, A, B);
  return PackScaledLab(L, A, B);
}

void RGBtoLABRec(uint32_t Pixel, float& L, float& A, float& B) {
  float R = S(Byte(Pixel, 2) / 255.0);
  float G = S(Byte(Pixel, 1) / 255.0);
  float Bl = S(Byte(Pixel, 0) / 255.0);
  GammaSRGBToLinearRGB(R, G, Bl);
  LinearToLabM0(R, G, Bl, L, A, B);
}

uint32_t RGBtoLABPixel(uint32_t Pixel) {
  float L, A, B;
  RGBtoLABRec(Pixel, L, A, B);
  return PackScaledLab(L, A, B);
}

uint32_t RGBtoLABColorCMS(uint32_t Pixel, TCMSTransform Transform) {
  float L, A, B;
  PixelToLabCMS(Pixel, Transform, L, A, B);
  return PackReadoutLab(L, A, B);
}

void RGBtoLABRecCMS(uint32_t Pixel, TCMSTransform Transform, float& L, float& A, float& B) {
  PixelToLabCMS(Pixel, Transform, L, A, B);
  L = S(L * 255.0 / 100.0);
}

void RGBtoLABCMSSingle(uint32_t Pixel, TCMSTransform Transform, float& L, float& A, float& B) {
  if (CMSTransformUsable(Transform)) {
    PixelToLabCMS(Pixel, Transform, L, A, B);
    return;
  }
  RGBtoLABSingle(S(Byte(Pixel, 2) / 255.0), S(Byte(Pixel, 1) / 255.0), S(Byte(Pixel, 0) / 255.0), L,
                 A, B);
}

void RGBtoXYZCMS(uint32_t Pixel, TCMSTransform Transform, float& X, float& Y, float& Z) {
  float L, A, B;
  RGBtoLABCMSSingle(Pixel, Transform, L, A, B);
  const double FY = (L + 16.0) / 116.0;
  const double FX = A / 500.0 + FY;
  const double FZ = FY - B / 200.0;
  auto Inv = [](double F) {
    const double F3 = F * F * F;
    return F3 > 0.008856 ? F3 : (116.0 * F - 16.0) / 903.3;
  };
  X = S(Inv(FX));
  Y = S(L > 7.9996248f ? FY * FY * FY : L / 903.3);
  Z = S(Inv(FZ));
}

void RGBtoxyYCMS(uint32_t Pixel, TCMSTransform Transform, float& SX, float& SY, float& Y) {
  float X, Z;
  RGBtoXYZCMS(Pixel, Transform, X, Y, Z);
  double Sum = static_cast<double>(X) + Y + Z;
  if (Sum < 0.001) Sum = 0.001;
  SX = S(X / Sum);
  SY = S(Y / Sum);
}

uint32_t LABCMSSingletoBGRA(TCMSTransform Transform, float L, float A, float B) {
  try {
    if (CMSTransformUsable(Transform)) {
      const float In[4] = {L, A, B, 0.0f};
      uint8_t Out[4] = {0, 0, 0, 0};
      CMSDoTransformProc(Transform, In, Out, 1);
      return PackBytes(Out[0], Out[1], Out[2], Out[3]);
    }
    float R, G, Bl;
    LABtoRGBSingle(L, A, B, R, G, Bl);
    return PackBytes(RoundByte(255.0 * Bl), RoundByte(255.0 * G), RoundByte(255.0 * R), 255);
  } catch (...) {
    ErrorMessageProc("Exception in LABCMSSingletoBGRA");
    return 0;
  }
}

void Pixel128toLABCMSSingle(const TBGRAPixel128& Pixel, TCMSTransform Transform, float& L,
                            float& A, float& B) {
  if (CMSTransformUsable(Transform)) {
    const float In[4] = {Pixel.R, Pixel.G, Pixel.B, Pixel.A};
    float Out[3] = {0, 0, 0};
    CMSDoTransformProc(Transform, In, Out, 1);
    L = Out[0];
    A = Out[1];
    B = Out[2];
    return;
  }
  RGBtoLABSingle(Pixel.R, Pixel.G, Pixel.B, L, A, B);
}

void LABCMSSingletoPixel128(TCMSTransform Transform, float L, float A, float B,
                            TBGRAPixel128& Pixel) {
  try {
    float Out[3] = {0, 0, 0};
    if (CMSTransformUsable(Transform)) {
      const float In[4] = {L, A, B, 0.0f};
      CMSDoTransformProc(Transform, In, Out, 1);
    } else {
      LABtoRGBSingle(L, A, B, Out[0], Out[1], Out[2]);
    }
    Pixel.Init(Out[0], Out[1], Out[2], 255.0f);
  } catch (...) {
    ErrorMessageProc("Exception in LABCMSSingletoPixel128");
  }
}

float RGBCalcDeltaE76CMS(TCMSTransform Transform, float R1, float G1, float B1, float R2, float G2,
                         float B2) {
  try {
    float L1, A1, Bv1, L2, A2, Bv2;
    ColourToLab(Transform, R1, G1, B1, L1, A1, Bv1);
    ColourToLab(Transform, R2, G2, B2, L2, A2, Bv2);
    const double DL = L1 - L2, DA = A1 - A2, DB = Bv1 - Bv2;
    return S(std::sqrt(DL * DL + DA * DA + DB * DB));
  } catch (...) {
    ErrorMessageProc("Exception in RGBCalcDeltaE76CMS");
    return 0;
  }
}

float RGBCalcDeltaE94CMS(TCMSTransform Transform, float R1, float G1, float B1, float R2, float G2,
                         float B2) {
  try {
    float L1, A1, Bv1, L2, A2, Bv2;
    ColourToLab(Transform, R1, G1, B1, L1, A1, Bv1);
    ColourToLab(Transform, R2, G2, B2, L2, A2, Bv2);
    const double C1 = std::sqrt(static_cast<double>(A1) * A1 + static_cast<double>(Bv1) * Bv1);
    const double C2 = std::sqrt(static_cast<double>(A2) * A2 + static_cast<double>(Bv2) * Bv2);
    return S(DeltaE94(L1 - static_cast<double>(L2), A1 - static_cast<double>(A2),
                      Bv1 - static_cast<double>(Bv2), C1, C2));
  } catch (...) {
    ErrorMessageProc("Exception in RGBCalcDeltaE94CMS");
    return 0;
  }
}

float RGBCalcDeltaE2000CMS(TCMSTransform Transform, float R1, float G1, float B1, float R2,
                           float G2, float B2) {
  try {
    constexpr double Pi = std::numbers::pi;
    constexpr double Pow25To7 = 6103515625.0;
    float Lf1, Af1, Bf1, Lf2, Af2, Bf2;
    ColourToLab(Transform, R1, G1, B1, Lf1, Af1, Bf1);
    ColourToLab(Transform, R2, G2, B2, Lf2, Af2, Bf2);
    const double L1 = Lf1, A1 = Af1, Bv1 = Bf1, L2 = Lf2, A2 = Af2, Bv2 = Bf2;
    // 1-2: a' and C'
    const double C1 = std::sqrt(A1 * A1 + Bv1 * Bv1);
    const double C2 = std::sqrt(A2 * A2 + Bv2 * Bv2);
    const double CMean7 = std::pow((C1 + C2) / 2.0, 7.0);
    const double G = 0.5 * (1.0 - std::sqrt(CMean7 / (CMean7 + Pow25To7)));
    const double A1p = (1.0 + G) * A1;
    const double A2p = (1.0 + G) * A2;
    const double C1p = std::sqrt(A1p * A1p + Bv1 * Bv1);
    const double C2p = std::sqrt(A2p * A2p + Bv2 * Bv2);
    // 3: h'
    auto HueAngle = [](double B, double Ap) {
      if (Ap == 0 && B == 0) return 0.0;
      double H = std::atan2(B, Ap);
      if (H < 0) H += 2.0 * Pi;
      return H;
    };
    const double H1p = HueAngle(Bv1, A1p);
    const double H2p = HueAngle(Bv2, A2p);
    // 4-6: differences
    const double DLp = L2 - L1;
    const double DCp = C2p - C1p;
    double Dhp = 0;
    if (C1p * C2p != 0) {
      Dhp = H2p - H1p;
      if (Dhp < -Pi)
        Dhp += 2.0 * Pi;
      else if (Dhp > Pi)
        Dhp -= 2.0 * Pi;
    }
    const double DHp = 2.0 * std::sqrt(C1p * C2p) * std::sin(Dhp / 2.0);
    // 7-8: means
    const double LMean = (L1 + L2) / 2.0;
    const double CMeanP = (C1p + C2p) / 2.0;
    double HMean;
    if (C1p * C2p == 0)
      HMean = H1p + H2p;
    else if (std::fabs(H1p - H2p) <= Pi + 1e-9)  // exactly opposite hues: rounding aside
      HMean = (H1p + H2p) / 2.0;
    else if (H1p + H2p < 2.0 * Pi)
      HMean = (H1p + H2p + 2.0 * Pi) / 2.0;
    else
      HMean = (H1p + H2p - 2.0 * Pi) / 2.0;
    // 9-12: weights
    const double T = 1.0 - 0.17 * std::cos(HMean - Pi / 6.0) + 0.24 * std::cos(2.0 * HMean) +
                     0.32 * std::cos(3.0 * HMean + Pi / 30.0) -
                     0.20 * std::cos(4.0 * HMean - 0.35 * Pi);
    const double Q = (HMean - 275.0 / 180.0 * Pi) / (25.0 / 180.0 * Pi);
    const double DTheta = Pi / 6.0 * std::exp(-Q * Q);
    const double CMeanP7 = std::pow(CMeanP, 7.0);
    const double RC = 2.0 * std::sqrt(CMeanP7 / (CMeanP7 + Pow25To7));
    const double L50 = (LMean - 50.0) * (LMean - 50.0);
    const double SL = 1.0 + 0.015 * L50 / std::sqrt(20.0 + L50);
    const double SC = 1.0 + 0.045 * CMeanP;
    const double SH = 1.0 + 0.015 * CMeanP * T;
    const double RT = -std::sin(2.0 * DTheta) * RC;
    const double TL = DLp / SL, TC = DCp / SC, TH = DHp / SH;
    return S(std::sqrt(TL * TL + TC * TC + TH * TH + RT * TC * TH));
  } catch (...) {
    ErrorMessageProc("Exception in RGBCalcDeltaE2000CMS");
    return 0;
  }
}

float RGBCalcDeltaE94(float R1, float G1, float B1, float R2, float G2, float B2) {
  try {
    return S(PackedDeltaE94(RGBtoLABPixel(FloatsToPixel(R1, G1, B1)),
                            RGBtoLABPixel(FloatsToPixel(R2, G2, B2))));
  } catch (...) {
    ErrorMessageProc("Exception in RGBCalcDeltaE94");
    return 0;
  }
}

float RGBCalcDeltaE76ColorCMS(TCMSTransform Transform, float R1, float G1, float B1, float R2,
                              float G2, float B2) {
  try {
    const uint32_t Lab1 = RGBtoLABColorCMS(FloatsToPixel(R1, G1, B1), Transform);
    const uint32_t Lab2 = RGBtoLABColorCMS(FloatsToPixel(R2, G2, B2), Transform);
    const double DL = (Byte(Lab1, 0) - Byte(Lab2, 0)) / 2.55;
    const double DA = Byte(Lab1, 1) - Byte(Lab2, 1);
    const double DB = Byte(Lab1, 2) - Byte(Lab2, 2);
    return S(std::sqrt(DL * DL + DA * DA + DB * DB));
  } catch (...) {
    ErrorMessageProc("Exception in RGBCalcDeltaE76ColorCMS");
    return 0;
  }
}

float RGBCalcDeltaE94ColorCMS(TCMSTransform Transform, float R1, float G1, float B1, float R2,
                              float G2, float B2) {
  try {
    return S(PackedDeltaE94(RGBtoLABColorCMS(FloatsToPixel(R1, G1, B1), Transform),
                            RGBtoLABColorCMS(FloatsToPixel(R2, G2, B2), Transform)));
  } catch (...) {
    ErrorMessageProc("Exception in RGBCalcDeltaE94ColorCMS");
    return 0;
  }
}

TXYZAPixel32 RGBtoXYZColor(uint32_t Color) {
  const double R = Byte(Color, 0) / 255.0;
  const double G = Byte(Color, 1) / 255.0;
  const double B = Byte(Color, 2) / 255.0;
  const float X = S(0.412453 * R + 0.357580 * G + 0.180423 * B);
  const float Y = S(0.212671 * R + 0.715160 * G + 0.072169 * B);
  const float Z = S(0.019334 * R + 0.119193 * G + 0.950227 * B);
  return TXYZAPixel32{
      static_cast<uint8_t>(RoundByte(255.0 * X)), static_cast<uint8_t>(RoundByte(255.0 * Y)),
      static_cast<uint8_t>(RoundByte(255.0 * Z)), static_cast<uint8_t>(Byte(Color, 3))};
}

uint32_t RGBtoLABPixelReversed(uint32_t Pixel) {
  const uint32_t Swapped =
      PackBytes(Byte(Pixel, 2), Byte(Pixel, 1), Byte(Pixel, 0), Byte(Pixel, 3));
  const uint32_t Lab = RGBtoLABColor(Swapped);
  return PackBytes(Byte(Lab, 2), Byte(Lab, 1), Byte(Lab, 0), 0);
}

uint32_t LABtoColor(float L, float A, float B) {
  float R, G, Bl;
  LABtoRGBSingle(L, A, B, R, G, Bl);
  return PackBytes(RoundByte(255.0 * R), RoundByte(255.0 * G), RoundByte(255.0 * Bl), 0);
}

void Matrix3Clear(TMatrix3Single& M) {
  for (auto& Row : M)
    for (float& V : Row) V = 0;
}

void Matrix3Multiply(TMatrix3Single& R, const TMatrix3Single& A, const TMatrix3Single& B) {
  TMatrix3Single T;
  Matrix3Clear(T);
  for (int I = 0; I < 3; ++I)
    for (int J = 0; J < 3; ++J)
      for (int K = 0; K < 3; ++K) T[I][J] += A[I][K] * B[K][J];
  std::memcpy(R, T, sizeof T);
}

float Power10Single(float X) { return S(std::exp(X * std::numbers::ln10)); }

}  // namespace kromel
