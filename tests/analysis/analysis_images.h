// Small test images for the analysis routines.
#pragma once
#include <cstdint>

#include "images/image32.h"
#include "images/owned_image.h"

namespace kromel::testing {

struct TRGBA {
  uint8_t R, G, B, A = 255;
};

// A Width x Height image whose pixel (X, Y) is Colour(X, Y).
template <class TFn>
void FillImage(TOwnedImage<TImage32>& Owner, int32_t Width, int32_t Height, TFn Colour) {
  TImage32& I = Owner.Image;
  I.Dispose();
  I.Alloc(Width, Height);
  for (int32_t Y = 0; Y < Height; ++Y)
    for (int32_t X = 0; X < Width; ++X) {
      const TRGBA C = Colour(X, Y);
      I.Row(Y)[X].BGRA = {C.B, C.G, C.R, C.A};
    }
}

inline TRGBA PixelOf(const TImage32& I, int32_t X, int32_t Y) {
  const TBGRAPixel32& P = I.Row(Y)[X].BGRA;
  return {P.R, P.G, P.B, P.A};
}

}  // namespace kromel::testing
