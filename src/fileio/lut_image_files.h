// LUT pictures as 16-bit PNG or TIFF files (layouts: lut/lut_images.h).
#pragma once
#include <string>

#include "lut/lut.h"

namespace kromel {

enum class TLutImageLayout { GPU, Hald, Strip, StripFlipped };

// The layout a LUT picture file is read with: GPU when the upper-cased
// path contains "GPUIMAGE", Hald otherwise.
TLutImageLayout LutImageLayoutOfFile(const std::string& FileName);

// Loads a .png, .tif or .tiff picture and reads it in the layout its name
// gives; the LUT's Name becomes FileName. False (LUT unchanged) when the
// file can't be loaded or has the wrong size.
bool LoadLutFromImageFile(T3DLut& Lut, const std::string& FileName, bool ShowErrors);
// Writes the LUT as a 48-bit picture in the given layout (format from the
// extension). False, and no file, when the layout refuses the size or the
// save fails.
bool SaveLutToImageFile(const T3DLut& Lut, const std::string& FileName, TLutImageLayout Layout);

}  // namespace kromel
