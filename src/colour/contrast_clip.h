// Single-colour helpers on RGB triples: a hue-keeping soft clip, the
// normalised logistic contrast curve and its exact inverse, lightness by the
// curves page's modes, brightness, an 8-bit hue and a few rotations.
#pragma once
#include <cstdint>

#include "colour/colour_types.h"

namespace kromel {

// Brings colours above the channel limits back below them, keeping the hue.
// ColourAmount blends luma (0) towards the largest channel (1) as the value
// compressed; HighlightAmount = 1 - knee. Unused is not read.
void SoftClip3(float& R, float& G, float& B, float ColourAmount, float HighlightAmount,
               float Unused, float LimitR, float LimitG, float LimitB);

// 0, 0.5 and 1 are fixed points; K below 0.0001 or X <= 0 give X.
float ContrastSigmoid(float X, float K);
float ContrastSigmoidReverse(float Y, float K);
float ContrastSigmoidSlope(float X, float K);
// The curve applied about the colour's mean with its spread kept; a grey
// keeps its value.
void ContrastSigmoidRGB(float& R, float& G, float& B, float K);
void ContrastSigmoidRGBReverse(float& R, float& G, float& B, float K);

// Modes: 0 Normal, 1 Uniform, 2 Color, 3 CMYK, 4 CMYK2, 5 RGBW, 6 RGBW2,
// 7 3-Way, 8 S/M/H (others as 0).
void RGBLightnessByMode(float R, float G, float B, uint8_t Mode, float& ROut, float& GOut,
                        float& BOut, float& L);

// Of a packed colour (red in the lowest byte), 0..255.
int32_t ColorBrightness(uint32_t Color);
float ColorBrightnessSingle(float R, float G, float B);
void SetColorBrightness(float& R, float& G, float& B, float Target);
void SetColorBrightnessEqual(float& R, float& G, float& B, float Target);

// Channels 0..255; -1 for a grey. Red 43, green 128, blue 213.
int32_t RGBtoHueByte(int32_t R, int32_t G, int32_t B);
// Red 0, green 85, blue 170.
int32_t RGBtoHueByteZero(int32_t R, int32_t G, int32_t B);

// Angles in radians.
void RotateXY(float& X, float& Y, float Angle);
void RotateABRec(TLABRec& Rec, float Angle);
void RotateRGBAroundGrey(float& R, float& G, float& B, float Angle);
float SoftKnee(float X, float Knee, float Width);

}  // namespace kromel
