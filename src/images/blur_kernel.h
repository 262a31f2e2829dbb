// The 1D Gaussian kernel that every Gaussian blur of the image types uses.
#pragma once
#include "images/sample.h"

namespace kromel {

// Fills Kernel (initialised, without data) with 2r + 1 taps, r =
// round((Radius + 1) x 1.75): a Gaussian of sigma Radius lowered to reach 0
// one tap beyond each end, divided by its sum (so the taps sum to 1). A
// Radius that is not a positive number, or a kernel too long to hold, is
// reported and leaves Kernel without data. The caller disposes Kernel.
void Init1DGaussianBlurKernel(TSample32& Kernel, float Radius);

}  // namespace kromel
