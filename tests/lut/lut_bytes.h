// Builds and reads little-endian byte strings for the LUT chunk tests.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>

namespace kromel::test {

struct TBytes {
  std::string S;
  TBytes& Raw(const std::string& Bytes) {
    S += Bytes;
    return *this;
  }
  TBytes& I32(int64_t V) {
    const uint32_t U = static_cast<uint32_t>(V);
    for (int k = 0; k < 4; ++k) S += static_cast<char>((U >> (8 * k)) & 0xFF);
    return *this;
  }
  TBytes& F32(float V) {
    uint32_t U;
    std::memcpy(&U, &V, 4);
    return I32(U);
  }
  // A wide-string field: count, then UTF-16LE units (ASCII only here).
  TBytes& Name(const std::string& Ascii) {
    I32(static_cast<int64_t>(Ascii.size()));
    for (char C : Ascii) {
      S += C;
      S += '\0';
    }
    return *this;
  }
};

inline int32_t I32At(const std::string& S, std::size_t Offset) {
  uint32_t U = 0;
  for (int k = 0; k < 4; ++k) U |= uint32_t(static_cast<uint8_t>(S[Offset + k])) << (8 * k);
  return static_cast<int32_t>(U);
}

inline float F32At(const std::string& S, std::size_t Offset) {
  const uint32_t U = static_cast<uint32_t>(I32At(S, Offset));
  float V;
  std::memcpy(&V, &U, 4);
  return V;
}

}  // namespace kromel::test
