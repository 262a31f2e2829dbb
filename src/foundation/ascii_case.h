// ASCII upper-casing for keywords, extensions and switches. Other bytes,
// UTF-8 included, pass unchanged.
#pragma once
#include <string>

namespace kromel {

inline char UpperAscii(char C) { return (C >= 'a' && C <= 'z') ? static_cast<char>(C - 32) : C; }

inline std::string UpperAscii(const std::string& S) {
  std::string R = S;
  for (char& C : R) C = UpperAscii(C);
  return R;
}

}  // namespace kromel
