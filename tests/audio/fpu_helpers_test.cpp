#include <gtest/gtest.h>

#include <cfenv>

#include "audio/fpu_helpers.h"
#include "support/test_support.h"

using namespace kromel;

class FPUHelpers : public kromel::testing::TCaptureTest {};

TEST_F(FPUHelpers, NestingCheckAndClearedFlags) {
  const int32_t Start = FPUNesting;
  FPUEnter();
  FPUEnter();
  FPULeave();
  EXPECT_EQ(FPUNesting, Start + 1);
  FPULeave();
  CheckFPU();
  EXPECT_TRUE(Silent());
  FPUModeFlag = 1;
  CheckFPU();
  FPUModeFlag = 0;
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0], "CheckFPU: fpu isn't in 24bit mode!");

  volatile float Zero = 0.0f;
  volatile float R = 1.0f / Zero;
  (void)R;
  ASSERT_NE(std::fetestexcept(FE_DIVBYZERO), 0);
  FPUClearExceptions();
  EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), 0);
  EXPECT_EQ(SavedFPUControlWord, 0x1332);
}
