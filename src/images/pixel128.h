// Float pixels and their vector maths: TBGRAPixel128 (the pixel of
// TImage128), TRGBAPixel128 (a colour given red first) and TPixel256 (the
// double-precision companion). "Colour" means the first three floats (blue,
// green, red); vector operations take them in memory order, so component 0
// is blue. Luminance is 0.3 red + 0.5 green + 0.2 blue. Nothing allocates.
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace kromel {

struct TBGRAPixel128 {
  float B, G, R, A;
  // Red, green, blue, alpha in that order (stored blue first).
  void Init(float Red, float Green, float Blue, float Alpha) {
    B = Blue;
    G = Green;
    R = Red;
    A = Alpha;
  }
};
static_assert(sizeof(TBGRAPixel128) == 16);

struct TRGBAPixel128 {
  float R, G, B, A;
};
static_assert(sizeof(TRGBAPixel128) == 16);

// Four doubles; the first three in the order of the float pixel they come
// from, the fourth carried along.
struct TPixel256 {
  double B, G, R, A;
};

// Three Singles red, green, blue.
using TRGBVector = std::array<float, 3>;

// Construction and conversion. The 32-bit values are BGRA values (blue in
// bits 0..7, alpha in 24..31); rounding is to nearest, ties to even.
void Pixel128Clear(TBGRAPixel128& P);
void Pixel128WithAlpha(const TBGRAPixel128& Src, TBGRAPixel128& Dst, float A);
TPixel256 Pixel128ToPixel256(const TBGRAPixel128& P);
void Pixel128ToPixel256Ref(TPixel256& Dst, const TBGRAPixel128& P);
// Unclamped: only the low 8 bits of each rounded channel count (NaN gives 0).
uint32_t Pixel128ToPixel32(const TBGRAPixel128& P);
// Colour clamped to 0..1 first; alpha as in Pixel128ToPixel32.
uint32_t Pixel128ToPixel32Clamped(const TBGRAPixel128& P);
// Clamped to 0..1; the alpha byte is 0.
uint32_t RGBPixel128ToPixel32(const TRGBAPixel128& P);
uint32_t RGBVectorToPixel32(const TRGBVector& V);

// Arithmetic on all four floats unless the name says colour (RGB).
TBGRAPixel128 Pixel128Add(const TBGRAPixel128& A, const TBGRAPixel128& B);
TBGRAPixel128 Pixel128Sub(const TBGRAPixel128& A, const TBGRAPixel128& B);
void Pixel128IncBy(TBGRAPixel128& A, const TBGRAPixel128& B);
void Pixel128DecBy(TBGRAPixel128& A, const TBGRAPixel128& B);
TBGRAPixel128 Pixel128Scale(const TBGRAPixel128& P, double F);
void Pixel128MulScalar(const TBGRAPixel128& P, TBGRAPixel128& Out, float F);
void Pixel128ScaleRGB(const TBGRAPixel128& Src, TBGRAPixel128& Dst, float F);
void Pixel128AddScalar(TBGRAPixel128& P, float X);
void Pixel128Clamp(TBGRAPixel128& P);
float Pixel128Min(const TBGRAPixel128& P);
float Pixel128Max(const TBGRAPixel128& P);
float Pixel128Mean(const TBGRAPixel128& P);
bool Pixel128IsZero(const TBGRAPixel128& P);
float Pixel128Luminance(const TBGRAPixel128& P);

// Vectors over the colour (0 blue, 1 green, 2 red).
float Pixel128Dot3(const TBGRAPixel128& A, const TBGRAPixel128& B);
float Vector3DotPixel128(const std::array<float, 3>& V, const TBGRAPixel128& P);
// B x A; the fourth float is A's.
TBGRAPixel128 Pixel128Cross3(const TBGRAPixel128& A, const TBGRAPixel128& B);
// V's colour = W x V; V's fourth float unchanged.
void Pixel128CrossInPlace(TBGRAPixel128& V, const TBGRAPixel128& W);
float Pixel128Length(const TBGRAPixel128& P);
float Pixel128Distance(const TBGRAPixel128& A, const TBGRAPixel128& B);
void Pixel128Normalize3(TBGRAPixel128& P);
void Pixel128NormalizeMax(TBGRAPixel128& P);

// The same in doubles.
TPixel256 Pixel128SubAsPixel256(const TBGRAPixel128& A, const TBGRAPixel128& B);
TPixel256 Pixel256SubPixel128(const TPixel256& A, const TBGRAPixel128& B);
void Pixel256IncBy(TPixel256& A, const TPixel256& B);
void Pixel256DecBy(TPixel256& A, const TPixel256& B);
void Pixel256ScaleRGB(const TPixel256& Src, TPixel256& Dst, double F);
double Pixel256Dot(const TPixel256& A, const TPixel256& B);
double Pixel256Dot3(const TPixel256& A, const TPixel256& B);
TPixel256 Pixel256Cross3(const TPixel256& A, const TPixel256& B);
void Pixel256CrossInPlace(TPixel256& A, const TPixel256& B);
float Pixel256Length(const TPixel256& P);
void Pixel256Normalize3(TPixel256& P);
bool Pixel256IsZero(const TPixel256& P);

// Saturation and luminance (max and min over red, green, blue).
float Pixel128Saturation(const TBGRAPixel128& P);
float Pixel128Saturation005(const TBGRAPixel128& P);
void Pixel128Saturate(const TBGRAPixel128& P, TBGRAPixel128& Out, float X);
void Pixel128SaturateByLuminance(const TBGRAPixel128& P, TBGRAPixel128& Out, float X);
// Lt = 0 or a luminance below 1e-4 gives black and leaves Out's alpha.
void Pixel128SetLuminance(const TBGRAPixel128& P, TBGRAPixel128& Out, float Lt);
// Scales towards black below 0.5 and towards white above it.
void SetLuminanceDiamond(const TBGRAPixel128& P, TBGRAPixel128& Out, float Lt);

// Rotation about the grey axis by Angle radians.
void RotateHue128(TBGRAPixel128& P, float Angle);
void RotateHue128To(const TBGRAPixel128& P, TBGRAPixel128& Out, float Angle);

// Weights of (Px, Py) in the triangle (X1, Y1), (X2, Y2), (X3, Y3); a
// degenerate triangle gives (1, 0, 0).
void TriangleBarycentric(float& W1, float& W2, float& W3, float Px, float Py, float X1, float Y1,
                         float X2, float Y2, float X3, float Y3);

// "(r, g, b)" with three / two decimals; "R: r  G: g  B: b" with four.
void Pixel128ToText(std::string& S, const TBGRAPixel128& P);
void Pixel128ToText2(std::string& S, const TBGRAPixel128& P);
void Pixel128ToRGBText(const TBGRAPixel128& P, std::string& S);

}  // namespace kromel
