// Shared by the curve and swatch file formats: filling a curve from the
// points a file gives, new GUID texts, escaping for the written texts, and
// the translation call of their user messages.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "params/envelope_dots.h"

namespace kromel {

// The catalogue's text for a user message (the English text for now).
std::string TranslateCurveMessage(const char* Text);

// Text with its first "%d" replaced by Number and then its first "%s" by Name.
std::string FormatCurveMessage(const std::string& Text, int64_t Number, const std::string& Name);

// A point read from a file, already on the curve's scales (any values).
struct TCurveFilePoint {
  double X = 0;
  double Y = 0;
};

// The points as dots: X rounded and limited to 0..16384, Y rounded and
// limited to the curve's range (0..32767, or -32767..32767 when it allows
// negative values), sorted by X (stable); of dots on one X the last is
// kept. More than the curve's 131 dots are thinned evenly, the first and
// last kept.
std::vector<TCurveDotPoint> CurveDotsFromPoints(const std::vector<TCurveFilePoint>& Points,
                                                bool AllowNegative);

// Replaces the curve's dots by Dots (at most 131, X in 0..16384), sorted by
// X with the last of dots on one X kept, and recalculates its spline.
// False, the curve unchanged, for fewer than 2 dots then.
bool SetCurveDots(TEnvelopeDots& Curve, std::vector<TCurveDotPoint> Dots);

// A new random GUID, upper-case hexadecimal: "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX"
// with Dashes, else the 32 digits alone.
std::string NewGUIDText(bool Dashes);

// Text inside a double-quoted XML attribute or element content.
std::string XMLEscapeText(const std::string& Text);

}  // namespace kromel
