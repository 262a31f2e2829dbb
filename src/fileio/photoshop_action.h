// The Photoshop action that sets the targeted Color Lookup adjustment layer
// to a 25-point LUT: the action file (version 16, big-endian) carries the
// LUT twice, as a device-link ICC profile (lutAToBType "A2B0", 16-bit CLUT)
// and as 3DL text, both made from the same LUT when it is saved.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "lut/lut.h"

namespace kromel {

constexpr int32_t ActionLutSize = 25;

// The device-link profile of a 25-point LUT (94,600 bytes; CLUT at 656,
// red slowest, values v * 65535 rounded and limited to 0..65535). Empty for
// a LUT that is not a 25-point cube with planes.
std::vector<uint8_t> BuildActionICCProfile(const T3DLut& Lut);
// The 3DL text of a 25-point LUT: a comment line, the 0..1023 shaper line
// and 15,625 node lines of 0..4095 (red outermost, blue fastest), CR LF.
std::string BuildAction3DLText(const T3DLut& Lut);
// The whole action file; empty for a LUT that is not a 25-point cube.
std::vector<uint8_t> BuildPhotoshopAction(const T3DLut& Lut);

// Writes the action to FileName (replacing it). Another size shows
// "T3DLut.SaveToAction: Not supported LUT size" and writes nothing; a
// write failure is reported. True when the file was written.
bool SaveToAction(const T3DLut& Lut, const std::string& FileName);

}  // namespace kromel
