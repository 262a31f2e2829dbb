// The ACR3 default tone curve of camera-raw rendering: the 1,025-sample table
// and the two lookups the film curve and the camera profiles use.
#pragma once

namespace kromel {

constexpr int ACR3ToneTableCount = 1025;  // entry i at input i / 1024

extern const float ACR3DefaultToneTable[ACR3ToneTableCount];

// The curve at X with linear interpolation: 0 below 0, 1 above 1. A NaN is
// reported ("Exception in dng_tone_curve_acr3_calc, V=...") and gives 0.
float dng_tone_curve_acr3_calc(float X);

// The same table for the film curve: X below 0 reads entry 0, the index is
// limited to the table and the result to 0..1; a NaN gives 0.
float EvaluateToneCurve(float X);

}  // namespace kromel
