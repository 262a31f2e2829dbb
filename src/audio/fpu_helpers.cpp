#include "audio/fpu_helpers.h"

#include <cfenv>

#include "foundation/error_sink.h"

namespace kromel {

int32_t FPUNesting = 0;
uint16_t FPUModeFlag = 0;
uint16_t SavedFPUControlWord = 0x1332;

void FPUEnter() { ++FPUNesting; }
void FPULeave() { --FPUNesting; }
void FPUClearExceptions() { std::feclearexcept(FE_ALL_EXCEPT); }
void FPUPrepare() {}

void CheckFPU() {
  if (FPUModeFlag != 0) ErrorMessageProc("CheckFPU: fpu isn't in 24bit mode!");
}

}  // namespace kromel
