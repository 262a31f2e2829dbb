// Display and standard transfer curves: decode (code value to linear) and
// encode (linear to code value) pairs, the image profiles that select them,
// and the 16,385-entry tables of the sRGB and L* curves.
#pragma once
#include <cstdint>
#include <string>

#include "colour/colour_types.h"

namespace kromel {

enum TImageProfile : uint8_t {
  ipSRGB = 0,
  ipLinear = 1,
  ipRec709 = 2,
  ipRec2020 = 3,
  ipAdobeRGB = 4,
  ipProphotoRGB = 5,
  ipMelissaRGB = 6,
  ipEciRGB = 7,
  ipProStarRGB = 8,
  ipSomeLStarRGB = 9,
  ipGamma18 = 10,
  ipGammaPQ = 11,
  ipACEScc = 12,
  ipCustom = 13,
};

constexpr int GammaTableSize = 16385;  // entries 0..16384, entry i at i/16384

// L* on 0..100 and on 0..1.
float LinearToLStar(float X);
float LStarToLinear(float L);
float LinearToGammaLStar(float X);
float GammaLStarToLinear(float V);

float LinearToGammaSRGB(float X);
float GammaSRGBToLinear(float V);
float LinearToGammaRec709(float X);
float GammaRec709ToLinear(float V);
float LinearToGammaAdobeRGB(float X);
float GammaAdobeRGBToLinear(float V);
float LinearToGammaProPhoto(float X);
float GammaProPhotoToLinear(float V);
float LinearToGammaGamma18(float X);
float GammaGamma18ToLinear(float V);
// PQ with linear 1.0 at the curve's peak.
float LinearToGammaPQ(float L);
float GammaPQToLinear(float V);
float LinearToACEScc(float X);
float ACESccToLinear(float V);
float LinearToACEScct(float X);
float ACEScctToLinear(float V);

float ApplyGamma(float X, float Gamma);
float LinearToGammaCustom(float X, float Gamma);

// Table-backed forms. Values outside 0..1 use the formulas; decoding clamps
// negative values to 0, encoding keeps them. A NaN channel reads entry 0.
void GammaSRGBToLinearRGB(float& R, float& G, float& B);
void LinearToGammaSRGBRGB(float& R, float& G, float& B);
float LinearToGammaLStarFast(float X);

// Builds the three tables (once; later calls do nothing). Every table
// reader builds them on first use as well.
void InitGammaTables();
const float* SRGBToLinearTable();
const float* LinearToSRGBTable();
const float* LinearToLStarTable();

// Dispatch by image profile. ipGammaPQ selects the plain power curve.
float LinearToGammaByProfile(TImageProfile Profile, float X);
float LinearToGammaByProfileCustom(TImageProfile Profile, float X, float Gamma);
float GammaToLinearByProfile(TImageProfile Profile, float X);
float GammaToLinearByProfileCustom(TImageProfile Profile, float X, float Gamma);
void GammaToLinearRGBByProfile(float& R, float& G, float& B, TImageProfile Profile, float Gamma);
void LinearToGammaRGBByProfile(float& R, float& G, float& B, TImageProfile Profile, float Gamma);

float ApplyExposureInProfile(TImageProfile Profile, float X, float Factor);
// The first three values through ApplyExposureInProfile, each lowered to 1;
// the fourth copied.
void ApplyExposureInProfilePixel128(TRGBAPixel128& Result, const TRGBAPixel128& Pixel,
                                    TImageProfile Profile, float Factor);

std::string ImageProfileName(TImageProfile Profile);
float InputProfileToneCurve(float X);

}  // namespace kromel
