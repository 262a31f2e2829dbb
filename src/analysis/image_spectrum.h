// Spatial frequency content of an image: 1024-point spectra along every
// row and column of the fitted content, summed on a log frequency axis.
#pragma once
#include <cstdint>

#include "images/image64.h"
#include "images/sample.h"

namespace kromel {

// Fills Spectrum (its Count chosen by the caller) with the summed spectra
// of the green words, normalised to a peak of 1. Blocks of 1024 samples
// overlap by half; a row or column shorter than 1024 gives none. The axis
// runs from (8 width)/Divisor to 8 width (Divisor below 1 reads 1).
void CalcImage32FFT(const TImage64& Image, TSample32& Spectrum, int32_t Divisor);

}  // namespace kromel
