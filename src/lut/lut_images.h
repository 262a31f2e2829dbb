// A 3D LUT laid out as a 16-bit picture: the GPU tile layout, the Hald
// layout and the two strip layouts, with resampling, one-pixel lookup and
// sampling between nodes. Loading and saving the pictures as files is the
// file layer's (fileio/lut_image_files.h).
#pragma once
#include <cstdint>

#include "images/image64.h"
#include "lut/lut.h"

namespace kromel {

// N of a picture: the cube root of Width * Height when that is a whole
// cube of 2..256, else 0.
int32_t LutSizeOfImage(int64_t Width, int64_t Height);

// Reads a picture of N^3 pixels (GPU: whole N x N tiles, T = Width / N per
// row, blue counting the tiles). A wrong size is refused ("T3DLut.
// LoadFromGPUImage: Incorrect image size", only with ShowErrors) and the
// LUT is untouched. The LUT's Name is not set.
bool LoadFromGPUImage(T3DLut& Lut, const TImage64& Image, bool ShowErrors);
bool LoadFromHaldImage(T3DLut& Lut, const TImage64& Image, bool ShowErrors);

// Allocate Image (which must hold no pixels) at S x S, S = N * sqrt(N),
// for N a perfect square; otherwise report "Unsupported LUT Size to save
// to GPU Image. Supported sizes are: 9,16,25,64" and allocate nothing.
// Words are rnd(65535 v) limited to 0..65535, alpha 65535. False on
// failure.
bool SaveToGPUImage(const T3DLut& Lut, TImage64& Image);
bool SaveToHaldImage(const T3DLut& Lut, TImage64& Image);
// N^2 x N strips (x = b N + r, y = g, or N - 1 - g flipped); every N.
bool SaveToStripImage(const T3DLut& Lut, TImage64& Image);
bool SaveToStripImageFlipped(const T3DLut& Lut, TImage64& Image);

// The LUT resampled to N nodes per axis through its own lookup.
bool ResampleLut(T3DLut& Lut, int32_t N);
// R, G, B of Src through the LUT into Dst (alpha untouched).
void ProcessPixel64(const T3DLut& Lut, TPixel64& Dst, const TPixel64& Src);
// The plane trilinearly at (x/d, y/d, z/d) node units along blue, green
// and red, corners clamped into the grid; 0 for d < 1.
float GetValueSubdivided(const T3DLut& Lut, const float* Plane, int32_t x, int32_t y, int32_t z,
                         int32_t d);

}  // namespace kromel
