// The processing-chain diagram's primitives: captioned stage boxes in a grid
// of cells 45 pixels wide and 30 high (cell centre Col * 45 + 35,
// Row * 30 + 2) and arrows between them. They set the canvas's pen, brush
// and font as they need and do not restore them.
#pragma once
#include <string>

#include "platform/canvas.h"

namespace kromel {

// A one-row stage box (36 x 28, centred on the cell) with its caption.
void DrawSignalPathBlock(TCanvas& Canvas, int32_t Col, int32_t Row, const std::string& Caption,
                         TColor BoxColor, TColor TextColor);
// A two-row stage box (36 x 58) whose caption may hold several lines.
void DrawSignalPathBlockWrapped(TCanvas& Canvas, int32_t Col, int32_t Row, const std::string& Caption,
                                TColor BoxColor, TColor TextColor);
// An arrow from the right side of cell (Col1, Row1) into cell (Col2, Row2):
// from the left with Bend 0, else from below (Bend > 0) or above, the
// horizontal run Bend * 24 pixels off the target row.
void DrawSignalPathLink(TCanvas& Canvas, int32_t Col1, int32_t Row1, int32_t Col2, int32_t Row2,
                        int32_t Bend, TColor Color);

}  // namespace kromel
