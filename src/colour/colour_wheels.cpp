#include "colour/colour_wheels.h"

#include <algorithm>
#include <cmath>

namespace kromel {

namespace {

constexpr float Pi = 3.14159265358979323846f;

float CatmullRom(float X, float KS, float KE, float P0, float P1, float P2, float P3) {
  if (KE - KS <= 0) return P2;
  const float T = (X - KS) / (KE - KS);
  return 0.5f * ((-P0 + 3 * P1 - 3 * P2 + P3) * T * T * T + (2 * P0 - 5 * P1 + 4 * P2 - P3) * T * T +
                 (P2 - P0) * T + 2 * P1);
}

// (X - Peak) / (Side - Peak), Side being Start below the peak and End above.
bool RangePosition(float X, float Start, float Peak, float End, float& U) {
  if (!(X >= Start && X <= End)) return false;
  const float Side = X < Peak ? Start : End;
  if (Side == Peak) {
    U = 0;
    return true;
  }
  U = (X - Peak) / (Side - Peak);
  return true;
}

uint8_t RingByte(float V) {
  const float B = std::nearbyint(127.0f * V + 128.0f);
  return static_cast<uint8_t>(std::clamp(B, 0.0f, 255.0f));
}

}  // namespace

void ColorWheelOffsetToRGB(float X, float Y, float Master, float& R, float& G, float& B) {
  const float Angle = std::atan2(-X, Y);
  const float Radius = std::sqrt(X * X + Y * Y);
  R = Master + Radius * std::cos(Angle);
  G = Master + Radius * std::cos(Angle - 2 * Pi / 3);
  B = Master + Radius * std::cos(Angle - 4 * Pi / 3);
}

TWheelRGB ColorWheelToRGB(const TColorWheelValue& Wheel) {
  TWheelRGB V;
  ColorWheelOffsetToRGB(static_cast<float>(Wheel.X) / 100.0f, static_cast<float>(Wheel.Y) / 100.0f,
                        static_cast<float>(Wheel.Brightness) / 100.0f, V.R, V.G, V.B);
  return V;
}

void CalcLiftGammaGain(const TColorWheelValue& Lift, const TColorWheelValue& Gamma,
                       const TColorWheelValue& Gain, TLiftGammaGain& Values) {
  const TWheelRGB L = ColorWheelToRGB(Lift), M = ColorWheelToRGB(Gamma), H = ColorWheelToRGB(Gain);
  const float LiftV[3] = {L.R, L.G, L.B}, GammaV[3] = {M.R, M.G, M.B}, GainV[3] = {H.R, H.G, H.B};
  for (int C = 0; C < 3; ++C) {
    Values.Lift[C] = 0.1f * LiftV[C];
    Values.Gamma[C] = std::pow(0.5f, GammaV[C]);
    Values.Gain[C] = 1 + 0.25f * GainV[C];
  }
}

float LiftGammaGainValue(const TLiftGammaGain& Values, int32_t C, float X) {
  if (C < 0 || C > 2) return X;
  return std::pow(std::max(0.0f, X * Values.Gain[C] + Values.Lift[C]), Values.Gamma[C]);
}

float FiveKnotSpline(float X, float K0, float K1, float K2, float K3, float K4, float Q0, float Q1,
                     float Q2, float Q3, float Q4) {
  if (X < K0) return Q0;
  if (X < K1) return CatmullRom(X, K0, K1, Q0, Q0, Q1, Q2);
  if (X < K2) return CatmullRom(X, K1, K2, Q0, Q1, Q2, Q3);
  if (X < K3) return CatmullRom(X, K2, K3, Q1, Q2, Q3, Q4);
  if (X < K4) return CatmullRom(X, K3, K4, Q2, Q3, Q4, Q4);
  return Q4;
}

float RangeWeightRaisedCosine(float X, float Start, float Peak, float End) {
  float U;
  if (!RangePosition(X, Start, Peak, End, U)) return 0;
  return 0.5f + 0.5f * std::cos(Pi * U);
}

float RangeWeightSquaredCosine(float X, float Start, float Peak, float End) {
  float U;
  if (!RangePosition(X, Start, Peak, End, U)) return 0;
  const float C = std::cos(Pi / 2 * U);
  return C * C;
}

float RangeWeightLinear(float X, float Start, float Peak, float End) {
  float U;
  if (!RangePosition(X, Start, Peak, End, U)) return 0;
  return 1 - U;
}

bool DrawColorWheelRing(TImage32& Image, int32_t Width, int32_t Height) {
  if (Width <= 0 || Height <= 0) return false;
  Image.SetSize(Width, Height);
  if (Image.Pixels == nullptr) return false;
  const int32_t CX = Width / 2, CY = Height / 2;
  const int64_t R = std::min(CX, CY);
  const int64_t Outer = R * R, Inner = R * R * 8 / 10;
  for (int32_t Y = 0; Y < Height; ++Y) {
    TVPixel32* Row = Image.Row(Y);
    for (int32_t X = 0; X < Width; ++X) {
      const int64_t DX = X - CX, DY = Y - CY;
      const int64_t D2 = DX * DX + DY * DY;
      if (D2 > Outer || D2 < Inner || R == 0) {
        Row[X].Value = 0x404040;
        continue;
      }
      float Red, Green, Blue;
      ColorWheelOffsetToRGB(static_cast<float>(DX) / static_cast<float>(R),
                            static_cast<float>(CY - Y) / static_cast<float>(R), 0, Red, Green, Blue);
      Row[X].BGRA = {RingByte(Blue), RingByte(Green), RingByte(Red), 0};
    }
  }
  return true;
}

void DrawColorWheelRing(TRawBitmap& Picture) {
  TImage32 Image;
  if (DrawColorWheelRing(Image, Picture.Width(), Picture.Height())) Image.CopyTo(Picture);
  Image.Dispose();
}

}  // namespace kromel
