// The extension of a file name, for the format tests by name.
#pragma once
#include <string>

#include "foundation/ascii_case.h"

namespace kromel {

// From the last dot of the name part, dot included, ASCII upper-cased;
// empty when the name part has no dot.
inline std::string UpperFileExtension(const std::string& FileName) {
  const size_t Slash = FileName.find_last_of('/');
  const size_t Dot = FileName.find_last_of('.');
  if (Dot == std::string::npos || (Slash != std::string::npos && Dot < Slash)) return "";
  return UpperAscii(FileName.substr(Dot));
}

}  // namespace kromel
