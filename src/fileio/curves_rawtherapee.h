// RawTherapee curve files (.rtc): "Spline", then one "x y" line per dot,
// both fractions 0..1.
#pragma once
#include <string>

#include "params/envelope_dots.h"

namespace kromel {

// The file text: X/16384 and Y/32767 with five decimals.
std::string RTCCurveText(const TEnvelopeDots& Curve);
// Written through a temporary file.
bool SaveRTCCurve(const std::string& FileName, const TEnvelopeDots& Curve);
// Replaces the curve's dots by the file's: lines that begin with a digit
// give x and y as their first two words; pairs outside 0..1 are skipped and
// dots within 100 on X merge. Fewer than 2 dots: message, False, the curve
// unchanged.
bool LoadRTCCurve(const std::string& FileName, TEnvelopeDots& Curve);

}  // namespace kromel
