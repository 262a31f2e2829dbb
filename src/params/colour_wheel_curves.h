// Colour wheels turned into RGB curves, for leaving the "3-Way" and "S/M/H"
// curve modes.
#pragma once
#include "colour/colour_wheels.h"
#include "params/envelope_dots.h"

namespace kromel {

// The ranged form: the shadows, midtones and highlights offsets (the lift,
// gamma and gain wheels) and the three range positions on 0..1.
struct TRangedWheelSet {
  TWheelRGB Shadows;
  TWheelRGB Midtones;
  TWheelRGB Highlights;
  float K1 = 0.25f;
  float K2 = 0.5f;
  float K3 = 0.75f;
};

// Six dots per curve along each channel's lift/gamma/gain curve (Y scaled by
// 32768), spread over the input range that stays within 0..1.
void LiftGammaGainToCurves(const TLiftGammaGain& Values, TEnvelopeDots& Red, TEnvelopeDots& Green,
                           TEnvelopeDots& Blue);
// Eleven dots per curve: x plus 0.2 times the five-knot offset spline.
void RangedWheelsToCurves(const TRangedWheelSet& Set, TEnvelopeDots& Red, TEnvelopeDots& Green,
                          TEnvelopeDots& Blue);

}  // namespace kromel
