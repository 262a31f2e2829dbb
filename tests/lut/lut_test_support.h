// Shared helpers of the LUT tests: captured error reports and small LUTs.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/debug_log.h"
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

}  // namespace kromel::test
