// The Capture One style file (".costyle") that names an ICC profile.
#pragma once
#include <string>

namespace kromel {

// The seven-line style text with a new "{GUID}"; both names XML-escaped.
std::string CaptureOneStyleText(const std::string& ProfileName, const std::string& StyleName);

// Writes CaptureOneStyleText through SaveStringToFile, which reports its
// own failures.
bool SaveCaptureOneStyle(const std::string& FileName, const std::string& ProfileName,
                         const std::string& StyleName);

}  // namespace kromel
