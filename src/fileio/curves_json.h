// JSON tone-curve files: the RedTRC, GreenTRC and BlueTRC arrays of linear
// values 0..1, each read into a curve of 65 dots (read only).
#pragma once
#include <string>

#include "params/envelope_dots.h"

namespace kromel {

// True when all three arrays were read; a bad array leaves its curve as it
// was (the others are still read).
bool LoadJSONCurves(const std::string& FileName, TEnvelopeDots& Red, TEnvelopeDots& Green,
                    TEnvelopeDots& Blue);
// The comma-separated values of one array (line breaks and blanks ignored),
// sampled at 257 points, ProPhoto-encoded, every fourth point a dot. Fewer
// than 2 values: message, False, the curve unchanged.
bool JSONParseCurve(const std::string& ArrayText, TEnvelopeDots& Curve);

}  // namespace kromel
