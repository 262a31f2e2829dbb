// The master curve as a 256-entry 1D LUT in CUBE text (written only).
#pragma once
#include <string>

#include "colour/log_gamma.h"
#include "params/envelope_dots.h"

namespace kromel {

// "LUT_1D_SIZE 256", the domain lines, then for i = 0..255 the curve at
// i/255 decoded from the image profile's transfer curve to linear, three
// times per line with five decimals.
std::string CurveCube1DText(const TEnvelopeDots& Master, TImageProfile Profile);
// Written through a temporary file.
bool SaveCurveAs1DCube(const std::string& FileName, const TEnvelopeDots& Master,
                       TImageProfile Profile);

}  // namespace kromel
