// Capture One curves presets (.copreset): a small XML text whose E elements
// carry each curve as "x,y;x,y;..." fractions 0..1.
#pragma once
#include <string>

#include "params/envelope_dots.h"

namespace kromel {

// The curve text: X/16384 and Y/32767 with four decimals, "," within a
// pair, ";" between pairs.
std::string CaptureOneCurveText(const TEnvelopeDots& Curve);
// All five curves required; written through a temporary file.
bool SaveCaptureOneCurves(const std::string& FileName, const TEnvelopeDots* Master,
                          const TEnvelopeDots* Red, const TEnvelopeDots* Green,
                          const TEnvelopeDots* Blue, const TEnvelopeDots* Luminance);
// Reads master, blue, green, red and (when given) the luminance curve; a
// missing or bad value gives a message and leaves that curve as it was.
// False only when the file cannot be read.
bool LoadCaptureOneCurves(const std::string& FileName, TEnvelopeDots* Master, TEnvelopeDots* Red,
                          TEnvelopeDots* Green, TEnvelopeDots* Blue, TEnvelopeDots* Luminance);
// The V value of one E line into Curve: empty items are skipped, fewer than
// 2 pairs refused (message, curve unchanged), more than 131 thinned, values
// limited to the curve's ranges.
bool ParseCaptureOneCurve(const std::string& Line, TEnvelopeDots& Curve);

}  // namespace kromel
