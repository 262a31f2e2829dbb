// 3D LUTs and one-dimensional RGB curves: tone curves read off a LUT's grey
// axis, curves removed from a LUT's output or input side, a curve applied
// to a LUT's output, and a LUT decoded from a transfer curve to linear.
//
// Curve X is the input 0..1 times 16384; a curve's Y turns back into 0..1
// divided by 32768 (so full scale 32767 reads 0.99997). Dst may be the
// source LUT itself; the given curves are never changed by the removals.
#pragma once
#include "colour/log_gamma.h"
#include "lut/lut.h"
#include "params/envelope_dots.h"

namespace kromel {

// Replaces R, G and B by dots read off the grey axis (every node, or every
// second one from 127 levels on, and always the last), then trims their
// clipped ends. Relative places each dot at X = the node's mean output;
// otherwise at the node's input. A LUT that is not cubic with planes and
// Size >= 2 gives false and leaves the curves alone.
bool ExtractCurvesFromLUT(const T3DLut& Lut, TEnvelopeDots& R, TEnvelopeDots& G,
                          TEnvelopeDots& B, bool Relative);

// Dst = the inverse (transposed, monotonised) curves applied to every
// node's output. Sizes that differ are reported ("ProcessLUTApplyCurve
// error: Sizes differ") and Dst is untouched; so is it for LUTs without
// planes. The result tells whether Dst was written.
bool ProcessLUTRemoveCurveOnOutput(const T3DLut& Lut, T3DLut& Dst, const TEnvelopeDots& R,
                                   const TEnvelopeDots& G, const TEnvelopeDots& B);
// Dst = Lut looked up (tetrahedrally) at the inverse curves of every
// node's input.
bool ProcessLUTRemoveCurveOnInput(const T3DLut& Lut, T3DLut& Dst, const TEnvelopeDots& R,
                                  const TEnvelopeDots& G, const TEnvelopeDots& B);
// Dst = Curve applied to every output channel of every node.
bool ProcessLUTApplyCurve(const T3DLut& Lut, T3DLut& Dst, const TEnvelopeDots& Curve);
// Dst = every output channel decoded to linear through the profile's
// curve (Gamma serves the custom profile).
bool ProcessLUTGammaToLinear(const T3DLut& Lut, T3DLut& Dst, TImageProfile Profile, float Gamma);

}  // namespace kromel
