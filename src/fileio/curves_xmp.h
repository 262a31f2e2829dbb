// Camera Raw presets (.xmp): the four tone curves as rdf:Seq lists of
// "X, Y" points on the 0..255 scale, with the fixed preset attributes.
#pragma once
#include <string>

#include "params/envelope_dots.h"

namespace kromel {

// The preset text: name from the file name without folder and extension,
// every dot of each curve, Extra verbatim among the attributes.
std::string XMPCurvesText(const std::string& FileName, const TEnvelopeDots& Master,
                          const TEnvelopeDots& Red, const TEnvelopeDots& Green,
                          const TEnvelopeDots& Blue, const std::string& Extra);
// Writes that text through a temporary file; all four curves required.
bool SaveXMPCurves(const std::string& FileName, const TEnvelopeDots* Master,
                   const TEnvelopeDots* Red, const TEnvelopeDots* Green, const TEnvelopeDots* Blue,
                   const std::string& Extra);

}  // namespace kromel
