// 3x3 colour matrices and the channel mixer's algebra: inversion, white
// balance, hue rotation, saturation, gain limits, re-solving a matrix at a
// picked colour, the colour-pair solvers, RGB to XYZ from primaries and the
// parser of typed RGB triples.
//
// Row r of Matrix gives output channel r (0 red, 1 green, 2 blue):
// out_r = M[3r] R + M[3r+1] G + M[3r+2] B. The offsets are added to the
// inputs only by ChannelMixerApplyToImage128.
#pragma once
#include <string>

#include "images/pixel128.h"

namespace kromel {

struct TImage128;

struct TChannelMixerParams {
  double Matrix[9] = {};
  float OffsetR = 0;
  float OffsetG = 0;
  float OffsetB = 0;
};

// Three channel weights and a fourth value.
struct TChannelMixerMonochromeParams {
  float R = 0;
  float G = 0;
  float B = 0;
  float Fourth = 0;
};

// Primaries (x, y) red, green, blue, white (x, y) and two more values, as the
// transform dialog keeps them.
struct TColorSpacePrimaries {
  double Values[12] = {};
};

void ChannelMixerSetDefault(TChannelMixerParams& P);
void ChannelMixerClear(TChannelMixerParams& P);
// The nine coefficients equal the identity exactly; offsets not looked at.
bool ChannelMixerIsIdentity(const TChannelMixerParams& P);
// (sum of the nine coefficients) / 3.
float ChannelMixerGain(const TChannelMixerParams& P);
void ChannelMixerScaleSingle(TChannelMixerParams& P, float F);
void ChannelMixerScale(TChannelMixerParams& P, double F);
void ChannelMixerAdd(TChannelMixerParams& A, const TChannelMixerParams& B);
// A = B x A (A applied first, then B); offsets untouched.
void ChannelMixerMultiply(TChannelMixerParams& A, const TChannelMixerParams& B);
// Dst = inverse of Src. A determinant (as float) below 1e-6 in magnitude
// copies Src whole into Dst; otherwise Dst's offsets are kept.
void ChannelMixerInvert(TChannelMixerParams& Dst, const TChannelMixerParams& Src);
// P = inverse of P; unchanged when singular.
void ChannelMixerInvertInPlace(TChannelMixerParams& P);
// (R, G, B) = M x (R, G, B) in double precision, no offsets.
void ChannelMixerApplyToColor(const TChannelMixerParams& P, float& R, float& G, float& B);
// Every pixel: offsets added, then the matrix; alpha untouched, no clamping.
void ChannelMixerApplyToImage128(const TChannelMixerParams& P, TImage128& Image);
// Splits input gains off the matrix so that every row sums to 1:
// M = M_new x diag(GainR, GainG, GainB). Nothing changes (gains unwritten)
// when the gain is below 0.01, the matrix is singular or a gain would be
// infinite.
void ChannelMixerWhiteBalance(TChannelMixerParams& P, float& GainR, float& GainG, float& GainB);
// P = H(Angle) x P (output hues) / P = P x H(Angle) (input hues); radians.
void ChannelMixerRotateHue(TChannelMixerParams& P, float Angle);
void ChannelMixerRotateHueInput(TChannelMixerParams& P, float Angle);
// c = F (c - 1/3) + 1/3.
void ChannelMixerSaturation(TChannelMixerParams& P, float F);
// c = F (c - w) + w, w = 0.2126, 0.7152, 0.0722 by column.
void ChannelMixerSaturationLuma(TChannelMixerParams& P, float F);
void ChannelMixerLimitGain(TChannelMixerParams& P);
void ChannelMixerNormalizeRows(TChannelMixerParams& P);
void ChannelMixerBalanceColumns(TChannelMixerParams& P);
// New random rows that keep each row's grey response and its output for
// (R, G, B); nothing when R <= 0.
void ChannelMixerRandomizeAtColor(TChannelMixerParams& P, float R, float G, float B);
// Ops per row: 1/2 red coefficient up/down, 3/4 green, 5/6 blue; all three
// 0 turns the hue at the colour.
void ChannelMixerAdjustAtColor(TChannelMixerParams& P, int32_t OpR, int32_t OpG, int32_t OpB,
                               float R, float G, float B, float Amount);
// Unit-row-sum matrix mapping S1 -> T1 and S2 -> T2. 0 (P unchanged) when
// |det| <= Threshold, else a quality figure.
float ChannelMixerFromColorSamples(TChannelMixerParams& P, const TBGRAPixel128& S1,
                                   const TBGRAPixel128& S2, const TBGRAPixel128& T1,
                                   const TBGRAPixel128& T2, float Threshold);
// M with M Sk = Tk, k = 1..3. 0 (P unchanged) when |det S| <= Threshold,
// else |det S| + 0.1.
float ChannelMixerFromThreeColorPairs(TChannelMixerParams& P, const TBGRAPixel128& S1,
                                      const TBGRAPixel128& S2, const TBGRAPixel128& S3,
                                      const TBGRAPixel128& T1, const TBGRAPixel128& T2,
                                      const TBGRAPixel128& T3, float Threshold);
// RGB to XYZ of a space from its primaries (x, y) and white (XYZ); identity
// when a y is 0.
void CreateRGBtoXYZ(TChannelMixerParams& P, float Xr, float Yr, float Xg, float Yg, float Xb,
                    float Yb, float Xw, float Yw, float Zw);
// Three numbers typed by the user: "R: G: B:" labels, or items separated by
// ";", "," or blanks. False when none of the forms gives three.
bool ParseRGBText(const std::string& Text, float& R, float& G, float& B);
void ChannelMixerMonochromeSetDefault(TChannelMixerMonochromeParams& MP);

}  // namespace kromel
