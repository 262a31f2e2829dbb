#include "colour/colour_model_prefs.h"

#include <cmath>
#include <numbers>

#include "colour/log_gamma.h"
#include "foundation/error_sink.h"
#include "foundation/messages.h"
#include "foundation/number_format.h"

namespace kromel {

void ConvertGammaToColorspace(const TColorModelPreferences& Prefs, TBGRAPixel128& D,
                              const TBGRAPixel128& S, TLUTColorSpace Space) {
  D = S;
  switch (Space) {
    case lcsLinearRGB:
      D.R = GammaToLinearByProfile(Prefs.Profile, D.R);
      D.G = GammaToLinearByProfile(Prefs.Profile, D.G);
      D.B = GammaToLinearByProfile(Prefs.Profile, D.B);
      break;
    case lcsLAB:
    case lcsCustomColorspace:
      ErrorMessageProc("TColorModelPreferences.ConvertGammaToColorspace - not implemented");
      break;
    default:
      break;
  }
}

void ConvertColorspaceToGamma(const TColorModelPreferences& Prefs, TBGRAPixel128& D,
                              const TBGRAPixel128& S, TLUTColorSpace Space) {
  try {
    D = S;
    if (static_cast<uint8_t>(Prefs.Profile) > ipCustom)
      DebugShowMessage("Exception 1 in TColorModelPreferences.ConvertColorspaceToGamma");
    if (std::isnan(Prefs.Gamma))
      DebugShowMessage("Exception 2 in TColorModelPreferences.ConvertColorspaceToGamma");
    if (Prefs.Gamma > 1000)
      DebugShowMessage("Exception 3 in TColorModelPreferences.ConvertColorspaceToGamma");
    switch (Space) {
      case lcsLinearRGB:
        D.R = LinearToGammaByProfile(Prefs.Profile, D.R);
        D.G = LinearToGammaByProfile(Prefs.Profile, D.G);
        D.B = LinearToGammaByProfile(Prefs.Profile, D.B);
        break;
      case lcsCustomColorspace:
        if (Prefs.RGBToCustom != nullptr && Prefs.CustomToRGB != nullptr) {
          float R, G, B;
          Prefs.CustomToRGB(S.R, S.G, S.B, R, G, B);
          D.R = R;
          D.G = G;
          D.B = B;
        }
        break;
      case lcsLAB:
        DebugShowMessage("TColorModelPreferences.ConvertColorspaceToGamma - not implemented");
        break;
      default:
        break;
    }
  } catch (...) {
    DebugShowMessage("Exception in TColorModelPreferences.ConvertColorspaceToGamma");
  }
}

TLABAPixel128 HSLtoLabPolar(const THSLPixel128& P) {
  const double Theta = 2 * std::numbers::pi * P.H + std::numbers::pi / 4;
  TLABAPixel128 Q;
  Q.L = 100 * P.L;
  Q.A = static_cast<float>(100 * P.S * std::cos(Theta));
  Q.B = static_cast<float>(100 * P.S * std::sin(Theta));
  Q.Alpha = P.A;
  return Q;
}

void LabPolartoHSL(float& H, float& S, float& L, const TLABAPixel128& Q) {
  L = Q.L / 100;
  S = static_cast<float>(std::sqrt(double(Q.A) * Q.A + double(Q.B) * Q.B) / 100);
  double Hue = 1 - std::atan2(double(Q.A), double(Q.B)) / (2 * std::numbers::pi) + 0.125;
  if (Hue < 0) Hue += 1;
  if (Hue > 1) Hue -= 1;
  H = static_cast<float>(Hue);
}

void HSLToText(const THSLPixel128& P, std::string& Text) {
  Text = "(H:" + FloatToStrD2(P.H) + ", S:" + FloatToStrD2(P.S) + ", L:" + FloatToStrD2(P.L) + ")";
}

bool TestHSLLabPolar() {
  const THSLPixel128 P{0.1f, 0.2f, 0.5f, 1};
  float H, S, L;
  LabPolartoHSL(H, S, L, HSLtoLabPolar(P));
  if (std::fabs(H - P.H) > 0.0001f || std::fabs(S - P.S) > 0.0001f ||
      std::fabs(L - P.L) > 0.0001f) {
    ErrorMessageProc("HSL-LAB conversion error!");
    return false;
  }
  return true;
}

}  // namespace kromel
