// Pen strokes the value controls draw into their buffers: colours given as
// TColor (0x00BBGGRR), lines of a pen width with copy, AND (mask) or OR
// (merge) pen modes, frames and filled triangles.
#pragma once
#include <cstdint>

#include "images/image32.h"
#include "platform/raw_bitmap.h"

namespace kromel {

enum class TStrokeMode : int32_t { Copy, Mask, Merge };

// The opaque BGRA pixel value of a TColor.
uint32_t BGRAOf(TColor Color);
// A line from (X1, Y1) to (X2, Y2), end pixel included, Width pixels thick.
void DrawStroke(TImage32& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t Width,
                TColor Color, TStrokeMode Mode = TStrokeMode::Copy);
// Left..Right-1 x Top..Bottom-1.
void FillBox(TImage32& Image, int32_t Left, int32_t Top, int32_t Right, int32_t Bottom, TColor Color);
// One-pixel outline of Left..Right-1 x Top..Bottom-1.
void FrameBox(TImage32& Image, int32_t Left, int32_t Top, int32_t Right, int32_t Bottom, TColor Color);
// A filled triangle with a one-pixel outline.
void FillTriangle(TImage32& Image, const TPoint (&P)[3], TColor Fill, TColor Outline);
// Source drawn at (X, Y) with its alpha (0 transparent, 255 opaque).
void DrawImageBlended(TImage32& Image, const TImage32& Source, int32_t X, int32_t Y);

}  // namespace kromel
