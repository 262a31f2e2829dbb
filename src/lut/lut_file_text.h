// The plain text LUT (written only).
#pragma once
#include <string>
#include <vector>

#include "lut/lut.h"

namespace kromel {

// Heading lines "Keyword<TAB><TAB>value", "LUT:", "{", N^3 lines of a tab
// and three six-decimal values, "}"; LF line ends. PresetLines, Creator and
// Notice are accepted and not written. False on failure (reported "Error
// while saving LUT to " + file), nothing written.
bool SaveToTextLUT(const T3DLut& Lut, const std::string& FileName,
                   const std::vector<std::string>* PresetLines = nullptr,
                   const std::string& Creator = std::string(),
                   const std::string& Notice = std::string());

}  // namespace kromel
