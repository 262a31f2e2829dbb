// How each gamut table is made: the model's conversion pair in double
// precision (sRGB and L* steps by formula, inverse without the limit) that
// BuildColorSpaceGamutDouble measures, and whether a smoothing pass follows.
// The table generator and the tests that check the embedded data use it.
#pragma once
#include "colour/colour_types.h"
#include "colour/gamut_tables.h"

namespace kromel {

struct TGamutRecipe {
  TRGBToVariableDoubleProc Forward = nullptr;
  TVariableToRGBDoubleProc Inverse = nullptr;
  bool Smoothed = false;
};

// A recipe with null procedures for a value outside the enumeration.
TGamutRecipe GamutRecipe(TGamutTable Table);

// CIE Lab of sRGB (D65) by the formulas, the pair LABGamut is built from.
void RGBtoLABDouble(double R, double G, double B, double& L, double& A, double& Bv);
void LABtoRGBDouble(double L, double A, double B, double& R, double& G, double& Bv);

}  // namespace kromel
