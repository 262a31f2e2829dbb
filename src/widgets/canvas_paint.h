// Drawing on a widget-set canvas over an image: Image's pixels go into a
// raw bitmap, Fn draws with the canvas's pen, brush and font, and the result
// comes back opaque.
#pragma once
#include "images/image32.h"
#include "platform/canvas.h"

namespace kromel {

template <class F>
void PaintOnCanvas(TImage32& Image, F Fn) {
  if (!HasArea(Image)) return;
  TRawBitmap Bitmap(Image.Width, Image.Height, pf32bit);
  Image.CopyTo(Bitmap);
  TCanvas Canvas(Bitmap);
  Fn(Canvas);
  Image.CopyFrom(Bitmap);
  Image.SetAlpha(255);
}

// A line in the canvas's way: the end point is left out.
inline void CanvasLine(TCanvas& C, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  C.MoveTo(X1, Y1);
  C.LineTo(X2, Y2);
}

}  // namespace kromel
