// LUT files chosen by name: loading by extension, telling LUT file names
// apart, and the text that describes a LUT to the user.
#pragma once
#include <string>

#include <lcms2.h>

#include "colour/log_gamma.h"
#include "lut/lut.h"

namespace kromel {

// The file-name filter of the LUT files.
extern const char* const LUTFileNameFilter;  // "*.3dl;*.cube;*.png;*.tif;*.tiff;*.icc;*.icm;*.dcp"

// The upper-cased text from the last "." after the last "/"; empty when
// the name has none.
std::string UpperLutFileExt(const std::string& FileName);

// Loads Lut by the file's extension (any case): .ICC through ICCTo3DLUT
// (Working, ImageProfile and CaptureOneGamma go to it), .PNG/.TIF/.TIFF as
// a GPU picture when the upper-cased path contains "GPUIMAGE" and as a Hald
// picture otherwise, .3DL and .CUBE through their readers. Anything else
// (.ICM and .DCP included) gives false without a message. A picture that
// can't be loaded shows "Failed to load LUT from " + FileName whatever
// ShowErrors says; the readers' own messages follow ShowErrors.
bool LoadFromFile(T3DLut& Lut, const std::string& FileName, bool ShowErrors, cmsHPROFILE Working,
                  TImageProfile ImageProfile, bool CaptureOneGamma);

// True when "*" + the upper-cased extension is one of the filter's items.
bool IsLUTFileName(const std::string& FileName);

// "LUT Name: ", "LUT Size: " (NLRH), "LUT Color profile: " and "LUT Input
// curve: " lines, each ended by LF.
std::string GetInfoText(const T3DLut& Lut);

}  // namespace kromel
