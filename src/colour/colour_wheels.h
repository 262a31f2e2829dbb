// Colour-wheel maths of the "3-Way" and "S/M/H" curve modes: wheel values to
// channel offsets and to lift, gamma and gain, the five-knot spline of the
// ranged mode, and the wheel's ring picture.
#pragma once
#include <cstdint>

#include "images/image32.h"
#include "platform/raw_bitmap.h"

namespace kromel {

// One wheel: the dot's offset from the centre (X right, Y up) and its
// brightness, each in hundredths of full scale.
struct TColorWheelValue {
  int32_t X = 0;
  int32_t Y = 0;
  int32_t Brightness = 0;
};

// A wheel's channel offsets.
struct TWheelRGB {
  float R = 0;
  float G = 0;
  float B = 0;
};

// Nine Singles: lift R, G, B; gamma R, G, B; gain R, G, B.
struct TLiftGammaGain {
  float Lift[3] = {0, 0, 0};
  float Gamma[3] = {1, 1, 1};
  float Gain[3] = {1, 1, 1};
};
static_assert(sizeof(TLiftGammaGain) == 9 * sizeof(float));

// Angle 0 points up and turns left; R, G, B = Master + r*cos(angle - k*2pi/3).
// Not clamped.
void ColorWheelOffsetToRGB(float X, float Y, float Master, float& R, float& G, float& B);
// The offsets of a wheel value (each field divided by 100).
TWheelRGB ColorWheelToRGB(const TColorWheelValue& Wheel);

void CalcLiftGammaGain(const TColorWheelValue& Lift, const TColorWheelValue& Gamma,
                       const TColorWheelValue& Gain, TLiftGammaGain& Values);
// max(0, X*gain + lift) ^ gamma of channel C (0 red, 1 green, 2 blue).
float LiftGammaGainValue(const TLiftGammaGain& Values, int32_t C, float X);

// The raw offsets of the lift, gamma and gain wheels into the red, green and
// blue members of three float pixels; their other members are left alone.
template <class TPixel>
void ColorWheelsToPixels(const TColorWheelValue& Lift, const TColorWheelValue& Gamma,
                         const TColorWheelValue& Gain, TPixel (&Pixels)[3]) {
  const TColorWheelValue* Wheels[3] = {&Lift, &Gamma, &Gain};
  for (int K = 0; K < 3; ++K) {
    const TWheelRGB V = ColorWheelToRGB(*Wheels[K]);
    Pixels[K].R = V.R;
    Pixels[K].G = V.G;
    Pixels[K].B = V.B;
  }
}

// Piecewise Catmull-Rom through (K0, Q0) .. (K4, Q4); Q0 below K0, Q4 from K4.
float FiveKnotSpline(float X, float K0, float K1, float K2, float K3, float K4, float Q0, float Q1,
                     float Q2, float Q3, float Q4);

// Range weights: 0 outside Start..End, 1 at Peak.
float RangeWeightRaisedCosine(float X, float Start, float Peak, float End);
float RangeWeightSquaredCosine(float X, float Start, float Peak, float End);
float RangeWeightLinear(float X, float Start, float Peak, float End);

// The ring of hues on a 0x404040 ground, into Image (re-allocated to Width x
// Height). False when the size is empty.
bool DrawColorWheelRing(TImage32& Image, int32_t Width, int32_t Height);
// The same ring, drawn at the picture's size and copied into it.
void DrawColorWheelRing(TRawBitmap& Picture);

}  // namespace kromel
