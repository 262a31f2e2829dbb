// Colour value records and the procedure types through which a colour
// model's forward and inverse conversions are passed around.
#pragma once
#include <cstdint>

#include "images/pixel128.h"

namespace kromel {

// Inputs first, outputs last (by reference).
using TRGBToVariableSingleProc = void (*)(float SR, float SG, float SB, float& M, float& A,
                                          float& B);
using TVariableToRGBSingleProc = void (*)(float SM, float SA, float SB, float& R, float& G,
                                          float& B);
using TRGBToVariableHSLSingleProc = void (*)(float SR, float SG, float SB, float& H, float& S,
                                             float& L);
using TVariableHSLToRGBSingleProc = void (*)(float SH, float SS, float SL, float& R, float& G,
                                             float& B);
using TRGBToVariableDoubleProc = void (*)(double SR, double SG, double SB, double& M, double& A,
                                          double& B);
using TVariableToRGBDoubleProc = void (*)(double SM, double SA, double SB, double& R, double& G,
                                          double& B);

struct TXYZAPixel32 {
  uint8_t X, Y, Z, Alpha;
};

// Packed Lab bytes: L, a, b, a fourth byte that carries nothing.
struct TLABAPixel32 {
  uint8_t L, A, B, Fourth;
};

struct TXYZAPixel128 {
  float X, Y, Z, A;
};

// Values of the MABe model.
struct TMABAPixel128 {
  float M, A, B, Alpha;
};

// Values of the MXY models.
struct TMXYAPixel128 {
  float M, X, Y, Alpha;
};

// A Lab-like record: lightness, then the two chroma coordinates.
struct TLABRec {
  float L, A, B;
};

using TMatrix3Single = float[3][3];

}  // namespace kromel
