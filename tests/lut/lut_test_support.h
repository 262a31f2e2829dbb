// Shared helpers of the LUT tests: captured error reports and small LUTs.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "foundation/error_sink.h"
#include "lut/lut.h"

namespace kromel::test {

inline std::vector<std::string>& LutMessages() {
  static std::vector<std::string> Messages;
  return Messages;
}
inline void RecordLutMessage(const std::string& Text) { LutMessages().push_back(Text); }

// Routes ErrorMessageProc into LutMessages() for the test's lifetime.
class LutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LutMessages().clear();
    OldProc = ErrorMessageProc;
    ErrorMessageProc = &RecordLutMessage;
  }
  void TearDown() override { ErrorMessageProc = OldProc; }
  const std::vector<std::string>& Messages() const { return LutMessages(); }
  bool Reported(const std::string& Text) const {
    for (const std::string& M : LutMessages())
      if (M == Text) return true;
    return false;
  }

 private:
  TErrorMessageCallback OldProc = nullptr;
};

inline void MakeIdentity(T3DLut& Lut, int32_t N) {
  ASSERT_TRUE(Lut.SetSize(N));
  Lut.SetDefault();
}

// A deterministic pseudo-random value in 0..1 from an integer.
inline float Hash01(uint32_t X) {
  X ^= X >> 16;
  X *= 0x7feb352dU;
  X ^= X >> 15;
  X *= 0x846ca68bU;
  X ^= X >> 16;
  return static_cast<float>(X & 0xFFFFFF) / 16777215.0f;
}

// A LUT whose every node differs: red, green and blue from the index.
inline void MakeRamp(T3DLut& Lut, int32_t N) {
  MakeIdentity(Lut, N);
  for (int32_t k = 0; k < Lut.Count; ++k) {
    Lut.R[k] = Hash01(3 * k);
    Lut.G[k] = Hash01(3 * k + 1);
    Lut.B[k] = Hash01(3 * k + 2);
  }
}

// Index of node (b, g, r) in the planes.
inline int64_t Node(const T3DLut& Lut, int32_t b, int32_t g, int32_t r) {
  return r + int64_t(Lut.NLRH) * (g + int64_t(Lut.NLGS) * b);
}

// Largest distance of any node from the identity of the LUT's levels.
inline float IdentityError(const T3DLut& Lut) {
  float Worst = 0;
  int64_t I = 0;
  for (int32_t b = 0; b < Lut.NLBL; ++b)
    for (int32_t g = 0; g < Lut.NLGS; ++g)
      for (int32_t r = 0; r < Lut.NLRH; ++r, ++I) {
        Worst = std::max(Worst, std::fabs(Lut.R[I] - float(r) / (Lut.NLRH - 1)));
        Worst = std::max(Worst, std::fabs(Lut.G[I] - float(g) / (Lut.NLGS - 1)));
        Worst = std::max(Worst, std::fabs(Lut.B[I] - float(b) / (Lut.NLBL - 1)));
      }
  return Worst;
}

// All four planes, one after the other.
inline std::vector<float> Planes(const T3DLut& Lut) {
  std::vector<float> V;
  for (const float* P : {Lut.R, Lut.G, Lut.B, Lut.A}) V.insert(V.end(), P, P + Lut.Count);
  return V;
}

}  // namespace kromel::test
