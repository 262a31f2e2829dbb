// Free filters over kernels, float buffers and dot grids. Every routine
// works in place on the buffers it is given and keeps no state; the 1D
// Gaussian kernel itself lives with the images (images/blur_kernel.h).
//
// Buffers shorter than a filter needs (fewer than 2 values for the 3-tap
// and loop filters, fewer than 3 for FilterBox5) are left unchanged.
#pragma once
#include <cstdint>

#include "images/blur_kernel.h"
#include "images/sample.h"

namespace kromel {

class TEnvelopeDots;
class T2DEnvelopeDots;

// Moves every dot of Grid through CurveX and CurveY (results of 32767) over
// the grid's ranges and pins it; a grid narrower or lower than 1 is left.
void ProcessGridByCurve(T2DEnvelopeDots& Grid, const TEnvelopeDots& CurveX,
                        const TEnvelopeDots& CurveY);

// --- Kernels (odd length 2h + 1, centre h) ---

// 1 - g at the centre, -g elsewhere, g the normalised Gaussian of Sigma.
void Init1DSharpenKernel(TSample32& Kernel, float Sigma);
// Result (disposed first) = the full convolution of A and B.
void ConvolveKernels(const TSample32& A, const TSample32& B, TSample32& Result);
// Taps divided by their sum; a kernel summing to 0 is left.
void NormalizeKernel(TSample32& Kernel);
// Result (disposed first) = A and B added with their centres aligned.
void AddKernelsCentered(const TSample32& A, const TSample32& B, TSample32& Result);

// --- Float buffers ---

void FloatBufferSort(TSample32& Buffer);
// Running median over Window values; the first and last Window / 2 values
// stay. A window below 3 does nothing.
void FilterMedian(TSample32& Buffer, int32_t Window);
// Circular: v = (v + max of the three neighbours around it) / 2.
void FilterMaxWindow3Loop(TSample32& Buffer);
// Circular 3-tap mean.
void FilterBox3Loop(TSample32& Buffer);
// Circular [1 8 1] / 10.
void Filter181Loop(TSample32& Buffer);
// Circular [1 8 1] on the hue circle (values in turns, result 0..1).
void FilterHue181Loop(TSample32& Buffer);
// 3-tap mean, first value doubled, the last (v[N-2] + 2 v[N-1]) / 3.
void FilterBox3(TSample32& Buffer);
// 5-tap mean, ends repeated.
void FilterBox5(TSample32& Buffer);

}  // namespace kromel
