// Canvas helpers the forms use beside the controls: the one-pixel 3D frame
// and the 2 x 2 tiling of an image.
#pragma once
#include <string>

#include "images/image32.h"
#include "platform/canvas.h"

namespace kromel {

// The outline of Rect (Right and Bottom exclusive): top and left edges in
// TopLeft, bottom and right edges in BottomRight.
void DrawFrame3D(TCanvas& Canvas, const TRect& Rect, TColor TopLeft, TColor BottomRight);
void DrawFrame3D(TImage32& Image, const TRect& Rect, TColor TopLeft, TColor BottomRight);

// Image drawn four times on the canvas: at (0, 0), (W, 0), (0, H), (W, H).
void TileOnCanvas(const TImage32& Image, TCanvas& Canvas);

}  // namespace kromel

namespace kromel {

// Fills Left..Right-1 x Top..Bottom-1 (clipped) with a BGRA value.
void FillRect32(TImage32& Image, int32_t Left, int32_t Top, int32_t Right, int32_t Bottom,
                uint32_t BGRA);
// Text lines in Font drawn centred (Alignment 0 left, 1 right, 2 centred)
// in the box at (X, Y), on Back, as the canvas text box draws them.
void DrawTextBox(TImage32& Image, const std::string& Text, const TFont& Font, TColor Back,
                 int32_t X, int32_t Y, int32_t Width, int32_t Height, int32_t Alignment);

}  // namespace kromel
