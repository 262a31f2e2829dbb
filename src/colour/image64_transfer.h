// Transfer curves applied in place to 16-bit images (alpha untouched), and
// Lab to a 16-bit pixel. Results are clamped to 0..65535.
#pragma once
#include "colour/cms_hook.h"
#include "colour/log_gamma.h"
#include "images/image64.h"

namespace kromel {

// Linear to LogC after multiplying by Exposure (the loaders pass 8).
void Image64ConvertLinearToLogC(TImage64& Image, float Exposure);
void Image64ConvertLinearToSRGB(TImage64& Image);
void Image64GammaToLinearByProfile(TImage64& Image, TImageProfile Profile);
void Image64LinearToGammaByProfile(TImage64& Image, TImageProfile Profile);

// Transform: four floats L, a, b, 0 in, one 16-bit RGBA pixel out. Without
// one: LABtoRGBSingle, alpha 65535.
void LABCMSSingletoPixel64(TCMSTransform Transform, float L, float A, float B, TPixel64& Pixel);

}  // namespace kromel
