#include "fileio/capture_one_style.h"

#include "fileio/curve_file_support.h"
#include "foundation/error_sink.h"
#include "foundation/files.h"

namespace kromel {

std::string CaptureOneStyleText(const std::string& ProfileName, const std::string& StyleName) {
  return "<?xml version=\"1.0\"?>\n"
         "<SL Engine=\"1100\">\n"
         "<E K=\"ICCProfile\" V=\"" + XMLEscapeText(ProfileName) + "\" />\n"
         "<E K=\"Name\" V=\"" + XMLEscapeText(StyleName) + "\" />\n"
         "<E K=\"StyleSource\" V=\"Styles\" />\n"
         "<E K=\"UUID\" V=\"{" + NewGUIDText(true) + "}\" />\n"
         "</SL>\n";
}

bool SaveCaptureOneStyle(const std::string& FileName, const std::string& ProfileName,
                         const std::string& StyleName) {
  return SaveStringToFile(FileName, CaptureOneStyleText(ProfileName, StyleName), ErrorMessageProc);
}

}  // namespace kromel
