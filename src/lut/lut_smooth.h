// The smoothing dialog's method list and its protected smoothing run, on
// the T3DLut smoothing methods (lut.h). Kept free of any window so the
// dialog only gathers its settings and shows the result.
#pragma once
#include <cstdint>

#include "lut/lut.h"

namespace kromel {

constexpr int32_t SmoothingMethodCount = 8;

// The "Method" list, item index = method index.
extern const char* const SmoothingMethodCaptions[SmoothingMethodCount];

// The amount the dialog passes to method Method for Iterations runs:
// (n - 1) / 10 for methods 0..4, 0.3 for 5, max(0.3, (n - 1) / 10) for 6
// and 7; 0 for an index outside 0..7.
float SmoothingMethodAmount(int32_t Method, int32_t Iterations);

// Runs one pass of method Method on Lut; false (nothing done) for an index
// outside 0..7.
bool ApplySmoothingMethod(T3DLut& Lut, int32_t Method, float Amount);

// The dialog's run on a working copy Work of Original: weights from a
// pre-smoothed copy (neutral and black protection, else 1), Work's colours
// back to Original's, then Iterations passes of the method, each blended
// back into Original through the weights while a protection is on. False,
// Work untouched, for a bad method or an empty or non-cubic Original.
bool RunProtectedSmoothing(T3DLut& Work, const T3DLut& Original, int32_t Method,
                           int32_t Iterations, bool ProtectNeutrals, bool ProtectBlacks);

}  // namespace kromel
