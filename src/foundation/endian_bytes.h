// Little- and big-endian numbers in byte buffers, as files and chunks store
// them.
#pragma once
#include <cstdint>

namespace kromel {

inline uint16_t LoadLE16(const uint8_t* B) { return uint16_t(B[0] | B[1] << 8); }
inline uint32_t LoadLE32(const uint8_t* B) {
  return uint32_t(B[0]) | uint32_t(B[1]) << 8 | uint32_t(B[2]) << 16 | uint32_t(B[3]) << 24;
}
inline int32_t LoadLE32Signed(const uint8_t* B) { return static_cast<int32_t>(LoadLE32(B)); }
inline uint16_t LoadBE16(const uint8_t* B) { return uint16_t(B[0] << 8 | B[1]); }
inline uint32_t LoadBE32(const uint8_t* B) {
  return uint32_t(B[3]) | uint32_t(B[2]) << 8 | uint32_t(B[1]) << 16 | uint32_t(B[0]) << 24;
}
inline void StoreLE16(uint8_t* B, uint16_t V) {
  B[0] = uint8_t(V);
  B[1] = uint8_t(V >> 8);
}
inline void StoreLE32(uint8_t* B, uint32_t V) {
  for (int I = 0; I < 4; ++I) B[I] = uint8_t(V >> (8 * I));
}
inline void StoreBE32(uint8_t* B, uint32_t V) {
  for (int I = 0; I < 4; ++I) B[3 - I] = uint8_t(V >> (8 * I));
}

}  // namespace kromel
