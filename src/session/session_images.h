// The file dispatcher's table: which loader a file's extension selects.
#pragma once
#include <string>

namespace kromel {

enum class TFileAction {
  Ignore,             // ".XMP", and the DEBUG switches of the command line
  LutWithPreset,      // ".3DL", ".CUBE", ".CMS": the preset kept in the file,
                      // else the external LUT
  ExternalLut,        // ".ICC", ".ICM", ".DCP", ".XML"
  ColorChart,         // ".CIE", ".TXT"
  BatchPreset,        // ".LUB"
  ChannelMixerPreset, // ".CHA"
  Swatches,           // ".ACO"
  PresetXML,          // ".LUX"
  PresetBinary,       // ".LUC"
  LightroomCurves,    // ".LRTEMPLATE"
  RawTherapeeCurve,   // ".RTC"
  JsonCurves,         // ".JSON"
  PhotoshopCurves,    // ".ACV"
  CaptureOneCurves,   // ".COPRESET"
  UnsupportedLut,     // ".CSP": written, never read ("Unsupported LUT type: ")
  Picture             // anything else
};

// The action of FileName by its upper-cased extension (first row wins).
TFileAction FileActionFor(const std::string& FileName);

// The name of the LogC copy of a RAW or EXR file: trailing spaces and the
// 3- or 4-character extension removed, "_LogC.tif" appended, doubled
// separators collapsed.
std::string LogCSidecarName(const std::string& FileName);

}  // namespace kromel
