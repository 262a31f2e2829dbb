// The Cinespace LUT text file (written only).
#pragma once
#include <string>

#include "lut/lut.h"

namespace kromel {

// "CSPLUTV100", the metadata and identity shaper lines, "N N N" and N^3
// six-decimal node lines (two blanks between values), LF line ends. A size
// other than 32 is warned about and written all the same. False, nothing
// written, on failure.
bool Save3DLutCinespace(const T3DLut& Lut, const std::string& FileName);

}  // namespace kromel
