#include "widgets/draw_helpers.h"

#include <algorithm>

namespace kromel {

void DrawFrame3D(TCanvas& Canvas, const TRect& R, TColor TopLeft, TColor BottomRight) {
  if (R.Right <= R.Left || R.Bottom <= R.Top) return;
  const TPen Saved = Canvas.Pen;
  Canvas.Pen.Style = psSolid;
  Canvas.Pen.Width = 1;
  // LineTo leaves out its end pixel, so each edge runs one pixel further.
  Canvas.Pen.Color = TopLeft;
  Canvas.MoveTo(R.Left, R.Bottom - 1);
  Canvas.LineTo(R.Left, R.Top - 1);
  Canvas.MoveTo(R.Left, R.Top);
  Canvas.LineTo(R.Right, R.Top);
  Canvas.Pen.Color = BottomRight;
  Canvas.MoveTo(R.Right - 1, R.Top + 1);
  Canvas.LineTo(R.Right - 1, R.Bottom);
  Canvas.MoveTo(R.Left + 1, R.Bottom - 1);
  Canvas.LineTo(R.Right, R.Bottom - 1);
  Canvas.Pen = Saved;
}

void DrawFrame3D(TImage32& Image, const TRect& R, TColor TopLeft, TColor BottomRight) {
  if (R.Right <= R.Left || R.Bottom <= R.Top) return;
  const uint32_t TL = ColorToBGRA(TopLeft) | 0xFF000000u;
  const uint32_t BR = ColorToBGRA(BottomRight) | 0xFF000000u;
  Image.DrawLine(R.Left, R.Top, R.Right - 1, R.Top, TL);
  Image.DrawLine(R.Left, R.Top, R.Left, R.Bottom - 1, TL);
  Image.DrawLine(R.Right - 1, R.Top + 1, R.Right - 1, R.Bottom - 1, BR);
  Image.DrawLine(R.Left + 1, R.Bottom - 1, R.Right - 1, R.Bottom - 1, BR);
}

void TileOnCanvas(const TImage32& Image, TCanvas& Canvas) {
  if (!HasArea(Image)) return;
  const int32_t W = Image.Width, H = Image.Height;
  for (int32_t TY = 0; TY < 2; ++TY)
    for (int32_t TX = 0; TX < 2; ++TX)
      for (int32_t Y = 0; Y < H; ++Y)
        for (int32_t X = 0; X < W; ++X)
          Canvas.SetPixel(TX * W + X, TY * H + Y, BGRAToColor(Image.Row(Y)[X].Value));
}

}  // namespace kromel

namespace kromel {

void FillRect32(TImage32& Image, int32_t Left, int32_t Top, int32_t Right, int32_t Bottom,
                uint32_t BGRA) {
  if (!HasArea(Image)) return;
  const int32_t L = std::max(Left, 0), R = std::min(Right, Image.Width);
  const int32_t T = std::max(Top, 0), B = std::min(Bottom, Image.Height);
  for (int32_t Y = T; Y < B; ++Y)
    for (int32_t X = L; X < R; ++X) Image.Row(Y)[X].Value = BGRA;
}

void DrawTextBox(TImage32& Image, const std::string& Text, const TFont& Font, TColor Back,
                 int32_t X, int32_t Y, int32_t Width, int32_t Height, int32_t Alignment) {
  if (Width <= 0 || Height <= 0 || Text.empty()) return;
  TRawBitmap Bitmap(Width, Height, pf32bit);
  TCanvas Canvas(Bitmap);
  Canvas.Font = Font;
  Canvas.Brush.Color = Back;
  Canvas.FillRect(0, 0, Width, Height);
  DrawTextLines(Canvas, Text, 0, 0, Width, Height, Alignment);
  TImage32 Box;
  Box.CopyFrom(Bitmap);
  Box.SetAlpha(255);
  Image.DrawImage(Box, X, Y);
  Box.Dispose();
}

}  // namespace kromel
