#include "colour/gamut_model_pairs.h"

#include <algorithm>
#include <cmath>

#include "colour/colour_models.h"
#include "colour/hsp_models.h"
#include "colour/model_maths.h"
#include "colour/rgb_lab_xyz.h"

namespace kromel {

namespace {

using model_maths::TDoubleMaths;

}  // namespace

void RGBtoLABDouble(double R, double G, double B, double& L, double& A, double& Bv) {
  TDoubleMaths::Decode(R, G, B);
  const double X = 0.4124564 * R + 0.3575761 * G + 0.1804375 * B;
  const double Y = 0.2126729 * R + 0.7151522 * G + 0.0721750 * B;
  const double Z = 0.0193339 * R + 0.1191920 * G + 0.9503041 * B;
  L = Y > 0.008856 ? 116 * std::cbrt(Y) - 16 : 903.3 * Y;
  A = 500 * (LabF(X / 0.950456) - LabF(Y));
  Bv = 200 * (LabF(Y) - LabF(Z / 1.088754));
}

void LABtoRGBDouble(double L, double A, double B, double& R, double& G, double& Bv) {
  L = std::min(L, 100.0);
  const double FY = (L + 16) / 116, FX = A / 500 + FY, FZ = FY - B / 200;
  const double Y = LabFInverse(FY), X = 0.950456 * LabFInverse(FX), Z = 1.088754 * LabFInverse(FZ);
  R = 3.2404542 * X - 1.5371385 * Y - 0.4985314 * Z;
  G = -0.9692660 * X + 1.8760108 * Y + 0.0415560 * Z;
  Bv = 0.0556434 * X - 0.2040259 * Y + 1.0572252 * Z;
  TDoubleMaths::Encode(R, G, Bv);
  for (double* C : {&R, &G, &Bv}) *C = std::min(std::max(*C, 0.0), 1.0);
}

TGamutRecipe GamutRecipe(TGamutTable Table) {
  switch (Table) {
    case TGamutTable::LAB:
      return {RGBtoLABDouble, LABtoRGBDouble, true};
    case TGamutTable::LXY:
      return {RGBtoLXYDouble, LXYtoRGBDouble, false};
    case TGamutTable::MXY:
      return {RGBtoMXYDouble, MXYtoRGBDouble, false};
    case TGamutTable::MXYe:
      return {RGBtoMXYeDouble, MXYetoRGBDouble, false};
    case TGamutTable::MABe:
      return {RGBtoMABeDouble, MABetoRGBDouble, false};
    case TGamutTable::HSP:
      return {RGBtoHSPnXYDouble, HSPnXYtoRGBDouble, false};
    case TGamutTable::HSP3:
      return {RGBtoHSP3ModelDouble, HSP3ModeltoRGBDouble, false};
    case TGamutTable::HSPItten:
      return {RGBtoHSPIttenDouble, HSPIttentoRGBDouble, false};
  }
  return {};
}

}  // namespace kromel
