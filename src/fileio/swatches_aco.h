// Photoshop colour swatch files (.aco), the version 1 section: big-endian
// words, a count, then ten bytes per colour (space, w, x, y, z). The
// swatches travel as a one-row TImage32, one pixel per colour.
#pragma once
#include <cstdint>
#include <string>

#include "images/image32.h"

namespace kromel {

constexpr int32_t ACOMaxColors = 768;

// Replaces Image by the file's N x 1 colours (RGB and greyscale read; other
// spaces give a message and a transparent black pixel). On any failure a
// message, False, and Image unchanged.
bool LoadSwatchesFromACO(const std::string& FileName, TImage32& Image);
// Every pixel as an RGB colour (w = red * 257 ..., z = alpha * 257).
// False with a message for no pixels or more than ACOMaxColors (what the
// reader takes); written through a temporary file.
bool SaveSwatchesToACO(const std::string& FileName, const TImage32& Image);

}  // namespace kromel
