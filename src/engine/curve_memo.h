// TCurveMemo: a pure float function with its recent results kept by input
// bits, for node walks whose inputs repeat (planes of the first stages vary
// along one axis only). The results are the function's own, bit for bit.
#pragma once
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace kromel {

template <class F>
class TCurveMemo {
 public:
  explicit TCurveMemo(const F& Curve) : FCurve(Curve) {
    // The empty key is a NaN: its entries hold its own result.
    const float Empty = Curve(std::bit_cast<float>(EmptyKey));
    FKeys.fill(EmptyKey);
    FValues.fill(Empty);
  }
  float operator()(float X) {
    const uint32_t Key = std::bit_cast<uint32_t>(X);
    const size_t Slot = (Key * 0x9E3779B1u) >> (32 - SlotBits);
    if (FKeys[Slot] != Key) {
      FKeys[Slot] = Key;
      FValues[Slot] = FCurve(X);
    }
    return FValues[Slot];
  }

 private:
  static constexpr int SlotBits = 8;
  static constexpr uint32_t EmptyKey = 0xFFFFFFFFu;
  F FCurve;  // a copy: a temporary curve cannot dangle
  std::array<uint32_t, size_t(1) << SlotBits> FKeys;
  std::array<float, size_t(1) << SlotBits> FValues;
};

}  // namespace kromel
