#include "colour/log_gamma.h"

#include <array>
#include <cmath>

namespace kromel {

namespace {

inline float S(double X) { return static_cast<float>(X); }

struct TGammaTables {
  std::array<float, GammaTableSize> SRGBToLinear;
  std::array<float, GammaTableSize> LinearToSRGB;
  std::array<float, GammaTableSize> LinearToLStar;
};

const TGammaTables& Tables() {
  static const TGammaTables* const Built = [] {
    auto* T = new TGammaTables;
    for (int I = 0; I < GammaTableSize; ++I) {
      const float X = S(I * (1.0 / 16384.0));
      T->SRGBToLinear[I] = GammaSRGBToLinear(X);
      T->LinearToSRGB[I] = LinearToGammaSRGB(X);
      T->LinearToLStar[I] = LinearToGammaLStar(X);
    }
    return T;
  }();
  return *Built;
}

// Entry nearest to 16384*V for V in 0..1; NaN reads entry 0.
inline int TableIndex(float V) {
  if (std::isnan(V)) return 0;
  return static_cast<int>(std::nearbyint(static_cast<double>(V) * 16384.0));
}

constexpr double TwoPowMinus16 = 1.52587890625e-05;
constexpr double TwoPowMinus15 = 3.0517578125e-05;

// (log2 65504 + 9.72)/17.52: from here on ACEScc and ACEScct decode to 65504.
constexpr double ACESSaturation = 1.4679963120447153;

}  // namespace

float LinearToLStar(float X) {
  const double x = X;
  if (x <= 0.008856) return S(903.3 * x);
  return S(116.0 * std::cbrt(x) - 16.0);
}

float LStarToLinear(float L) {
  const double l = L;
  if (l <= 7.9996248) return S(l / 903.3);
  const double T = S((l + 16.0) / 116.0);
  return S(T * T * T);
}

float LinearToGammaLStar(float X) { return S(static_cast<double>(LinearToLStar(X)) / 100.0); }

float GammaLStarToLinear(float V) { return LStarToLinear(S(100.0 * V)); }

float LinearToGammaSRGB(float X) {
  const double x = X;
  if (x < 0.0031308049535603715) return S(12.92 * x);
  return S(1.055 * std::pow(x, 1.0 / 2.4) - 0.055);
}

float GammaSRGBToLinear(float V) {
  const double v = V;
  if (v < 0.04045) return S(v / 12.92);
  return S(std::pow((v + 0.055) / 1.055, 2.4));
}

float LinearToGammaRec709(float X) {
  const double x = X;
  if (x < 0.01805350719105114) return S(4.5 * x);
  return S(1.099296826792 * std::pow(x, 0.45) - 0.099296826792);
}

float GammaRec709ToLinear(float V) {
  const double v = V;
  if (v < 0.08124078235973013) return S(v / 4.5);
  return S(std::pow((v + 0.099296826792) / 1.099296826792, 1.0 / 0.45));
}

float LinearToGammaAdobeRGB(float X) {
  if (X < 0) return X;
  return S(std::pow(static_cast<double>(X), 1.0 / 2.19921875));
}

float GammaAdobeRGBToLinear(float V) {
  if (V <= 0) return V;
  return S(std::pow(static_cast<double>(V), 2.19921875));
}

float LinearToGammaProPhoto(float X) {
  const double x = X;
  if (x < 0.001953) return S(16.0 * x);
  return S(std::pow(x, 1.0 / 1.8));
}

float GammaProPhotoToLinear(float V) {
  const double v = V;
  if (v < 0.031248) return S(v / 16.0);
  return S(std::pow(v, 1.8));
}

float LinearToGammaGamma18(float X) {
  if (X < 0) return 0;
  return S(std::pow(static_cast<double>(X), 1.0 / 1.8));
}

float GammaGamma18ToLinear(float V) {
  if (V < 0) return 0;
  return S(std::pow(static_cast<double>(V), 1.8));
}

float ApplyGamma(float X, float Gamma) {
  if (Gamma == 1) return X;
  if (X <= 0) return X;
  return S(std::pow(static_cast<double>(X), static_cast<double>(Gamma)));
}

float LinearToGammaCustom(float X, float Gamma) {
  if (X <= 0) return X;
  if (Gamma == 1) return X;
  const float Inv = S(1.0 / Gamma);
  return S(std::pow(static_cast<double>(X), static_cast<double>(Inv)));
}

float LinearToGammaPQ(float L) {
  if (!(L > 0)) return 0;
  const double Lp = S(std::pow(static_cast<double>(L), 0.1593));
  const double Den = S(18.6875 * Lp + 1.0);
  return S(std::pow((18.8516 * Lp + 0.8359) / Den, 78.8438));
}

float GammaPQToLinear(float V) {
  if (!(V > 0)) return 0;
  if (V > 1) V = 1;  // the curve's peak; above it the formula's base turns negative
  const double Vp = S(std::pow(static_cast<double>(V), 1.0 / 78.8438));
  if (Vp <= 0.8359) return 0;
  const double Den = 18.8516 - static_cast<double>(S(18.6875 * Vp));
  return S(std::pow((Vp - 0.8359) / Den, 1.0 / 0.1593));
}

float LinearToACEScc(float X) {
  const double x = X;
  if (x < 0) return S((-16.0 + 9.72) / 17.52);
  if (x < TwoPowMinus15) return S((std::log2(TwoPowMinus16 + x / 2.0) + 9.72) / 17.52);
  return S((std::log2(x) + 9.72) / 17.52);
}

float ACESccToLinear(float V) {
  const double v = V;
  if (v < -0.3013698630136986) return S((std::exp2(17.52 * v - 9.72) - TwoPowMinus16) * 2.0);
  if (v >= ACESSaturation) return 65504.0f;
  return S(std::exp2(17.52 * v - 9.72));
}

float LinearToACEScct(float X) {
  const double x = X;
  if (x < 0.0078125) return S(10.5402377416545 * x + 0.0729055341958355);
  return S((std::log2(x) + 9.72) / 17.52);
}

float ACEScctToLinear(float V) {
  const double v = V;
  if (v < 0.155251141552511) return S((v - 0.0729055341958355) / 10.5402377416545);
  if (v >= ACESSaturation) return 65504.0f;
  return S(std::exp2(17.52 * v - 9.72));
}

void InitGammaTables() { (void)Tables(); }

const float* SRGBToLinearTable() { return Tables().SRGBToLinear.data(); }
const float* LinearToSRGBTable() { return Tables().LinearToSRGB.data(); }
const float* LinearToLStarTable() { return Tables().LinearToLStar.data(); }

void GammaSRGBToLinearRGB(float& R, float& G, float& B) {
  const float* T = Tables().SRGBToLinear.data();
  for (float* C : {&R, &G, &B}) {
    if (*C < 0)
      *C = 0;
    else if (*C > 1)
      *C = GammaSRGBToLinear(*C);
    else
      *C = T[TableIndex(*C)];
  }
}

void LinearToGammaSRGBRGB(float& R, float& G, float& B) {
  const float* T = Tables().LinearToSRGB.data();
  for (float* C : {&R, &G, &B}) {
    if (*C < 0 || *C > 1)
      *C = LinearToGammaSRGB(*C);
    else
      *C = T[TableIndex(*C)];
  }
}

float LinearToGammaLStarFast(float X) {
  if (X < 0 || X > 1) return LinearToGammaLStar(X);
  return Tables().LinearToLStar[TableIndex(X)];
}

float LinearToGammaByProfileCustom(TImageProfile Profile, float X, float Gamma) {
  switch (Profile) {
    case ipSRGB:
    case ipMelissaRGB:
      return LinearToGammaSRGB(X);
    case ipLinear:
      return X;
    case ipRec709:
    case ipRec2020:
      return LinearToGammaRec709(X);
    case ipAdobeRGB:
      return LinearToGammaAdobeRGB(X);
    case ipProphotoRGB:
      return LinearToGammaProPhoto(X);
    case ipEciRGB:
    case ipProStarRGB:
    case ipSomeLStarRGB:
      return LinearToGammaLStar(X);
    case ipGamma18:
      return LinearToGammaGamma18(X);
    case ipACEScc:
      return LinearToACEScc(X);
    default:
      return LinearToGammaCustom(X, Gamma);
  }
}

float LinearToGammaByProfile(TImageProfile Profile, float X) {
  return LinearToGammaByProfileCustom(Profile, X, 2.4f);
}

namespace {

// The decoders shared by both dispatchers; Fallback for everything else.
float DecodeByProfile(TImageProfile Profile, float X, float Fallback) {
  switch (Profile) {
    case ipSRGB:
    case ipMelissaRGB:
      return GammaSRGBToLinear(X);
    case ipLinear:
      return X;
    case ipRec709:
    case ipRec2020:
      return GammaRec709ToLinear(X);
    case ipAdobeRGB:
      return GammaAdobeRGBToLinear(X);
    case ipProphotoRGB:
      return GammaProPhotoToLinear(X);
    case ipEciRGB:
    case ipProStarRGB:
    case ipSomeLStarRGB:
      return GammaLStarToLinear(X);
    case ipGamma18:
      return GammaGamma18ToLinear(X);
    case ipACEScc:
      return ACESccToLinear(X);
    default:
      return ApplyGamma(X, Fallback);
  }
}

}  // namespace

float GammaToLinearByProfile(TImageProfile Profile, float X) {
  return DecodeByProfile(Profile, X, 2.4f);
}

float GammaToLinearByProfileCustom(TImageProfile Profile, float X, float Gamma) {
  return DecodeByProfile(Profile, X, Profile == ipCustom ? Gamma : 2.4f);
}

void GammaToLinearRGBByProfile(float& R, float& G, float& B, TImageProfile Profile, float Gamma) {
  R = GammaToLinearByProfileCustom(Profile, R, Gamma);
  G = GammaToLinearByProfileCustom(Profile, G, Gamma);
  B = GammaToLinearByProfileCustom(Profile, B, Gamma);
}

void LinearToGammaRGBByProfile(float& R, float& G, float& B, TImageProfile Profile, float Gamma) {
  R = LinearToGammaByProfileCustom(Profile, R, Gamma);
  G = LinearToGammaByProfileCustom(Profile, G, Gamma);
  B = LinearToGammaByProfileCustom(Profile, B, Gamma);
}

float ApplyExposureInProfile(TImageProfile Profile, float X, float Factor) {
  const float Linear = S(static_cast<double>(GammaToLinearByProfile(Profile, X)) * Factor);
  return LinearToGammaByProfile(Profile, Linear);
}

void ApplyExposureInProfilePixel128(TRGBAPixel128& Result, const TRGBAPixel128& Pixel,
                                    TImageProfile Profile, float Factor) {
  const TRGBAPixel128 In = Pixel;  // Result may be Pixel
  const float Src[3] = {In.R, In.G, In.B};
  float Out[3];
  for (int I = 0; I < 3; ++I) {
    Out[I] = ApplyExposureInProfile(Profile, Src[I], Factor);
    if (Out[I] > 1.0f) Out[I] = 1.0f;
  }
  Result.R = Out[0];
  Result.G = Out[1];
  Result.B = Out[2];
  Result.A = In.A;
}

std::string ImageProfileName(TImageProfile Profile) {
  static const char* const Names[] = {"sRGB (2.4)",       "Linear (1.0)",    "Rec. 709 (2.2)",
                                      "Rec. 2020 (2.2)",  "AdobeRGB (2.2)",  "ProphotoRGB (1.8)",
                                      "MelissaRGB (2.4)", "eciRGB (L*)",     "ProStarRGB (L*)",
                                      "Custom RGB (L*)",  "Gamma 1.8 (1.8)", "Unknown",
                                      "ACEScc (log)",     "Unknown"};
  const unsigned P = Profile;
  return P < sizeof Names / sizeof Names[0] ? Names[P] : "Unknown";
}

float InputProfileToneCurve(float X) {
  const double x = X;
  const double Product =
      1.0134926319497795 * x * (1.0 - 0.98239808227816328 * std::exp(-9.2533953955719781 * x));
  return S(Product + 0.0000098251388578493945);
}

}  // namespace kromel
