// HSV and HSL in several number forms, the polar HSL plane (HSL-Lab), the
// YUV working model, integer HSL for drawing, hue rotation and two helpers
// over arrays of HSL samples.
//
// HSV hue in degrees (0..360), HSL hue in turns (0..1). Packed colour
// (TColor): red + green*256 + blue*65536; packed pixel: blue + green*256 +
// red*65536. Bytes are rnd(255*v), halves to even.
//
// Outputs come first, inputs after them, except for the YUV pair, which has
// the shape of the working-model procedures (inputs first).
#pragma once
#include <cstdint>
#include <vector>

namespace kromel {

struct THSLPixel128 {
  float H, S, L, A;
};
using THSLPixel128Array = std::vector<THSLPixel128>;

struct TLABAPixel128 {
  float L, A, B, Alpha;
};

void RGBtoHSV(float& H, float& S, float& V, float R, float G, float B);
// Chroma form; hues -360..720 land in a sector. Not clamped.
void HSVtoRGB(float& R, float& G, float& B, float H, float S, float V);
// Bytes in; H scaled 360 -> 255, all three rounded.
void RGBtoHSVBytes(int32_t& H, int32_t& S, int32_t& V, int32_t R, int32_t G, int32_t B);
void RGBBytesToHSV(float& H, float& S, float& V, int32_t R, int32_t G, int32_t B);
// The classic sector form; a hue of 360 gives the result of 0.
void HSVtoRGBSectors(float& R, float& G, float& B, float H, float S, float V);
// HSVtoRGB with each channel limited to 0..1, as bytes.
void HSVtoRGBBytes(uint8_t& R, uint8_t& G, uint8_t& B, float H, float S, float V);
uint32_t HSVToColor(float H, float S, float V);
inline uint32_t HSVtoColor(float H, float S, float V) { return HSVToColor(H, S, V); }

// Angle in degrees; the result is clamped to 0..1.
void RotateHueRGB(float& R, float& G, float& B, float Angle);
uint32_t RotateHueColor(uint32_t Color, float Angle);

// Inputs limited to 0..1 (below 1e-8 read as 0).
void RGBtoHSL(float& H, float& S, float& L, float R, float G, float B);
void HSLtoRGB(float& R, float& G, float& B, float H, float S, float L);
// L 0..100; (a, b) = 100*S at the angle 2*pi*H + pi/4.
void RGBtoHSLLab(float& L, float& A, float& B, float R, float G, float Bv);
void HSLLabtoRGB(float& R, float& G, float& B, float L, float A, float Bv);

// Working model YUV: (100*Y, 160*V, -225*U), Rec. 601 weights. The inverse
// corrects the chroma so that no channel falls below 0 with Y unchanged.
void RGBtoYUVSingle(float R, float G, float B, float& Y, float& V, float& W);
void YUVtoRGBSingle(float Y, float V, float W, float& R, float& G, float& B);

// Integer HSL, each 0..255; black when the largest channel is 0 or below.
uint32_t HSLToColorInt(int32_t H, int32_t S, int32_t L);
uint32_t HSLToBGRAInt(int32_t H, int32_t S, int32_t L);
// The same with each channel taken modulo 256, packed as a TColor.
uint32_t HLStoColor(int32_t H, int32_t S, int32_t L);

// Chromaticity hue (turns), saturation and Rec. 601 luma.
void RGBtoHSY(float& H, float& S, float& Y, float R, float G, float B);

// 101 random colours through RGBtoHSV and HSVtoRGB; false when a channel
// moves by more than 1e-6.
bool TestHSVRoundTrip();

// Stable exchange sort by lightness, ascending.
void SortHSLByLightness(THSLPixel128Array& Samples);
// Moves each hue by whole turns so that neighbours differ by at most half
// a turn (the values may leave 0..1).
void UnwrapHueSequence(THSLPixel128Array& Samples);

}  // namespace kromel
