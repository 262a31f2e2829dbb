// The 3DL LUT text file: integer node values, red outermost and blue
// fastest, an optional "#64BLOB" preset block at the end.
#pragma once
#include <string>
#include <vector>

#include "lut/lut.h"
#include "lut/lut_text_lines.h"

namespace kromel {

// Writes "#<N>pt 3DLUT created by <Creator>", the notice, input-gamma and
// comment lines, the 0..1023 shaper line and N^3 node lines of 0..4095,
// CR LF after every line, then the preset block when PresetLines is given.
// False, and nothing written, when the LUT is not a cube of 2..256 nodes
// or the text can't be made or saved.
bool SaveTo3DL(const T3DLut& Lut, const std::string& FileName,
               const std::vector<std::string>* PresetLines, const std::string& Creator,
               const std::string& Notice, const std::string& Comment, bool ShowErrors);

// Reads a 3DL file into Lut (may be null: only the preset block is read,
// the result is then false). N comes from the shaper line and must be
// 2..256. Values are divided by 4095 for files written by this program,
// otherwise by the smallest 2^k - 1 (at least 1023) not below the largest
// value. A bad file leaves Lut unchanged. With PresetLines the preset
// block is handed over (absent when the file has none).
bool LoadFrom3DL(T3DLut* Lut, const std::string& FileName, bool ShowErrors,
                 TPresetLines* PresetLines = nullptr);

}  // namespace kromel
