#include "widgets/signal_path.h"

#include "images/image32.h"
#include "images/text_raster.h"

namespace kromel {

namespace {

// The brush-coloured outline of Left..Right-1 x Top..Bottom-1.
void FrameRect(TCanvas& C, int32_t Left, int32_t Top, int32_t Right, int32_t Bottom) {
  C.FillRect(Left, Top, Right, Top + 1);
  C.FillRect(Left, Bottom - 1, Right, Bottom);
  C.FillRect(Left, Top, Left + 1, Bottom);
  C.FillRect(Right - 1, Top, Right, Bottom);
}

void BoxStart(TCanvas& C, TColor BoxColor) {
  C.Pen.Color = 0xFFFFFF;
  C.Brush.Color = BoxColor;
  C.Brush.Style = bsSolid;
}

}  // namespace

void DrawSignalPathBlock(TCanvas& C, int32_t Col, int32_t Row, const std::string& Caption,
                         TColor BoxColor, TColor TextColor) {
  BoxStart(C, BoxColor);
  FrameRect(C, Col * 45 + 17, Row * 30 - 12, Col * 45 + 53, Row * 30 + 16);
  C.Brush.Style = bsClear;
  C.Font.Color = TextColor;
  C.Font.Size = 10;
  // Centred by the caption's own width (no trailing space).
  int32_t W = 0, H = 0;
  MeasureTextLine(Caption, C.Font.Name, C.Font.Size, C.Font.Style, W, H);
  if (W <= 0 || H <= 0) return;
  DrawTextLines(C, Caption, Col * 45 + 35 - W / 2 - 1, Row * 30 + 2 - H / 2 - 1, W, H, 0);
}

void DrawSignalPathBlockWrapped(TCanvas& C, int32_t Col, int32_t Row, const std::string& Caption,
                                TColor BoxColor, TColor TextColor) {
  BoxStart(C, BoxColor);
  FrameRect(C, Col * 45 + 17, Row * 30 - 12, Col * 45 + 53, Row * 30 + 46);
  C.Brush.Style = bsClear;
  C.Font.Color = TextColor;
  DrawTextLines(C, Caption, Col * 45 + 13, Row * 30 + 2, 45, 30, 2);
}

void DrawSignalPathLink(TCanvas& C, int32_t Col1, int32_t Row1, int32_t Col2, int32_t Row2, int32_t Bend,
                        TColor Color) {
  const int32_t P = Col1 * 45 + 35, Q = Col2 * 45 + 35;
  const int32_t Y1 = Row1 * 30 + 2, Y2 = Row2 * 30 + 2;
  C.Pen.Color = Color;
  C.MoveTo(P + 18, Y1);
  C.LineTo(P + 22, Y1);
  if (Bend == 0) {
    C.LineTo(P + 22, Y2);
    C.LineTo(Q - 19, Y2);
    C.LineTo(Q - 22, Y2 - 3);
    C.LineTo(Q - 19, Y2);
    C.LineTo(Q - 23, Y2 + 4);
    return;
  }
  const int32_t S = Bend > 0 ? 1 : -1;
  const int32_t O = Bend * 30 * 8 / 10;
  C.LineTo(P + 22, Y2 + O);
  C.LineTo(Q, Y2 + O);
  const int32_t BY = Y2 + 15 * S + 1;
  C.LineTo(Q, BY);
  C.LineTo(Q - 4, BY + 4 * S);
  C.LineTo(Q, BY);
  C.LineTo(Q + 5, BY + 5 * S);
}

}  // namespace kromel
