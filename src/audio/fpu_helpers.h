// Floating-point environment around long filter runs: a nesting count of
// entered sections and clearing of pending exception flags. No precision
// mode is switched.
#pragma once
#include <cstdint>

namespace kromel {

extern int32_t FPUNesting;
// Never set by the library; CheckFPU warns while it is not 0.
extern uint16_t FPUModeFlag;
// The default x87 control word: 64-bit precision, round to nearest,
// denormal, underflow and precision exceptions masked.
extern uint16_t SavedFPUControlWord;

void FPUEnter();
void FPULeave();
// Drops every pending floating-point exception flag (FE_ALL_EXCEPT).
void FPUClearExceptions();
void FPUPrepare();
void CheckFPU();

}  // namespace kromel
