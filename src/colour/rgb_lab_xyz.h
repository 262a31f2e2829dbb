// sRGB to XYZ to CIE L*a*b* (D65 white) and back, the polar form LCh, the
// packed Lab encodings, the variants that let a Little CMS transform do the
// RGB to Lab step, and the colour differences Delta E 76, 94 and 2000.
//
// Packed colour (TColor): red + green*256 + blue*65536.
// Packed pixel: blue + green*256 + red*65536 + alpha*16777216.
// Packed Lab: bytes L, a, b, 0 from the lowest byte up.
#pragma once
#include <cmath>
#include <cstdint>

#include "colour/cms_hook.h"
#include "colour/colour_types.h"
#include "images/pixel128.h"

namespace kromel {

// D65 white used by every XYZ to Lab step and back.
constexpr float LabWhiteX = 0.950456f;
constexpr float LabWhiteY = 1.0f;
constexpr float LabWhiteZ = 1.088754f;

// The reference conversion: sRGB decoding through the table, then XYZ.
void RGBtoLABSingle(float R, float G, float B, float& L, float& A, float& Bv);
// Its inverse, limited to the LAB gamut table (when present and switched
// on) and to 0..1.
void LABtoRGBSingle(float L, float A, float B, float& R, float& G, float& Bv);
// H in turns, 0 <= H < 1, from +a towards +b.
void RGBtoLChSingle(float R, float G, float B, float& L, float& C, float& H);
void LChtoRGBSingle(float L, float C, float H, float& R, float& G, float& B);

// Scaled packed Lab: a byte = rnd(a/100*127 + 128).
uint32_t RGBtoLABColor(uint32_t Color);
uint32_t RGBtoLABPixel(uint32_t Pixel);
void RGBtoLABRec(uint32_t Pixel, float& L, float& A, float& B);

// Transform: one 8-bit BGRA pixel in, Lab as three floats out; nullptr (or
// no transform routine installed) takes the built-in route.
// Readout packed Lab: a byte = rnd(a + 127.5), read back as byte - 128.
uint32_t RGBtoLABColorCMS(uint32_t Pixel, TCMSTransform Transform);
// L on the 0..255 scale (L*2.55), a and b unscaled.
void RGBtoLABRecCMS(uint32_t Pixel, TCMSTransform Transform, float& L, float& A, float& B);
void RGBtoLABCMSSingle(uint32_t Pixel, TCMSTransform Transform, float& L, float& A, float& B);
// XYZ relative to the white (white gives 1, 1, 1).
void RGBtoXYZCMS(uint32_t Pixel, TCMSTransform Transform, float& X, float& Y, float& Z);
void RGBtoxyYCMS(uint32_t Pixel, TCMSTransform Transform, float& SX, float& SY, float& Y);
// Transform: four floats L, a, b, 0 in, one 8-bit BGRA pixel out.
uint32_t LABCMSSingletoBGRA(TCMSTransform Transform, float L, float A, float B);
// Transform: four floats R, G, B, A in, Lab out; nullptr: RGBtoLABSingle.
void Pixel128toLABCMSSingle(const TBGRAPixel128& Pixel, TCMSTransform Transform, float& L,
                            float& A, float& B);
// Transform: four floats L, a, b, 0 in, three floats R, G, B out; nullptr:
// LABtoRGBSingle. Alpha is 255.
void LABCMSSingletoPixel128(TCMSTransform Transform, float L, float A, float B,
                            TBGRAPixel128& Pixel);

// Transform: four floats R, G, B, A in, Lab out. 0 after a reported failure.
float RGBCalcDeltaE76CMS(TCMSTransform Transform, float R1, float G1, float B1, float R2, float G2,
                         float B2);
// Graphic-arts weights, the first colour the reference (not symmetric).
float RGBCalcDeltaE94CMS(TCMSTransform Transform, float R1, float G1, float B1, float R2, float G2,
                         float B2);
float RGBCalcDeltaE2000CMS(TCMSTransform Transform, float R1, float G1, float B1, float R2,
                           float G2, float B2);
// CIE94 on the scaled packed Lab of RGBtoLABPixel.
float RGBCalcDeltaE94(float R1, float G1, float B1, float R2, float G2, float B2);
// CIE76 and CIE94 on the readout packed Lab of RGBtoLABColorCMS.
float RGBCalcDeltaE76ColorCMS(TCMSTransform Transform, float R1, float G1, float B1, float R2,
                              float G2, float B2);
float RGBCalcDeltaE94ColorCMS(TCMSTransform Transform, float R1, float G1, float B1, float R2,
                              float G2, float B2);

// Byte XYZ of the raw bytes (no decoding), each byte clamped to 0..255; the
// input's fourth byte as alpha.
TXYZAPixel32 RGBtoXYZColor(uint32_t Color);
// RGBtoLABColor of the pixel's bytes, returned b, a, L from the lowest byte.
uint32_t RGBtoLABPixelReversed(uint32_t Pixel);
// LABtoRGBSingle as a packed colour.
uint32_t LABtoColor(float L, float A, float B);

void Matrix3Clear(TMatrix3Single& M);
// R = A*B (row-major); R may not be A or B.
void Matrix3Multiply(TMatrix3Single& R, const TMatrix3Single& A, const TMatrix3Single& B);
float Power10Single(float X);

// The CIE Lab companding function of a ratio to the white point, and its
// inverse.
inline double LabF(double T) { return T > 0.008856 ? std::cbrt(T) : 7.787 * T + 16.0 / 116.0; }
inline double LabFInverse(double V) {
  const double V3 = V * V * V;
  return V3 > 0.008856 ? V3 : (V - 16.0 / 116.0) / 7.787;
}

}  // namespace kromel
