#include "platform/canvas.h"

#include <gtest/gtest.h>

namespace kromel {
namespace {

int CountColour(const TCanvas& C, const TRawBitmap& B, TColor Colour) {
  int N = 0;
  for (int32_t Y = 0; Y < B.Height(); ++Y)
    for (int32_t X = 0; X < B.Width(); ++X) N += C.Pixel(X, Y) == Colour;
  return N;
}

TEST(Canvas, PixelsInBothRowLayouts) {
  TRawBitmap Wide(4, 2, pf32bit);
  TCanvas C32(Wide);
  C32.SetPixel(1, 1, 0x123456);
  EXPECT_EQ(C32.Pixel(1, 1), 0x123456u);
  const uint8_t* Row = Wide.ScanLine(1) + 4;  // A, R, G, B
  EXPECT_EQ(Row[0], 255);
  EXPECT_EQ(Row[1], 0x56);
  EXPECT_EQ(Row[3], 0x12);

  TRawBitmap Narrow(4, 2, pf24bit);
  TCanvas C24(Narrow);
  C24.SetPixel(2, 0, 0x123456);
  EXPECT_EQ(C24.Pixel(2, 0), 0x123456u);
  EXPECT_EQ(Narrow.ScanLine(0)[6], 0x12);  // B, G, R
  // Outside: nothing written, 0 read.
  C24.SetPixel(-1, 0, 1);
  C24.SetPixel(4, 0, 1);
  EXPECT_EQ(C24.Pixel(9, 9), 0u);
}

TEST(Canvas, LinesLeaveOutTheirEndPixel) {
  TRawBitmap B(20, 20, pf32bit);
  TCanvas C(B);
  C.Pen.Color = 0xFF;
  C.MoveTo(2, 3);
  C.LineTo(12, 3);
  EXPECT_EQ(CountColour(C, B, 0xFF), 10);
  EXPECT_EQ(C.Pixel(2, 3), 0xFFu);
  EXPECT_EQ(C.Pixel(12, 3), 0u);
  EXPECT_EQ(C.PenX(), 12);
  C.LineTo(12, 13);  // goes on from the pen position
  EXPECT_EQ(C.Pixel(12, 3), 0xFFu);
  EXPECT_EQ(C.Pixel(12, 12), 0xFFu);

  TRawBitmap D(20, 20, pf32bit);
  TCanvas Dotted(D);
  Dotted.Pen = {0xFF, 1, psDot};
  Dotted.MoveTo(0, 0);
  Dotted.LineTo(10, 0);
  EXPECT_EQ(CountColour(Dotted, D, 0xFF), 5);

  TRawBitmap W(20, 20, pf32bit);
  TCanvas Wide(W);
  Wide.Pen = {0xFF, 2, psSolid};
  Wide.MoveTo(5, 5);
  Wide.LineTo(6, 5);
  EXPECT_EQ(CountColour(Wide, W, 0xFF), 4);
}

TEST(Canvas, FarOffLinesAreClipped) {
  TRawBitmap B(10, 10, pf32bit);
  TCanvas C(B);
  C.Pen.Color = 0xFF;
  C.MoveTo(-2000000000, 5);
  C.LineTo(2000000000, 5);
  EXPECT_EQ(CountColour(C, B, 0xFF), 10);
  C.MoveTo(-2000000000, -2000000000);
  C.LineTo(-1000000000, 2000000000);  // never near the bitmap
  EXPECT_EQ(CountColour(C, B, 0xFF), 10);
}

TEST(Canvas, RectanglesAndFills) {
  TRawBitmap B(10, 10, pf32bit);
  TCanvas C(B);
  C.Pen.Color = 0xFF;
  C.Brush.Color = 0xFF00;
  C.Rectangle(1, 1, 5, 5);  // covers 1..4
  EXPECT_EQ(CountColour(C, B, 0xFF), 12);
  EXPECT_EQ(CountColour(C, B, 0xFF00), 4);
  EXPECT_EQ(C.Pixel(5, 5), 0u);
  C.Brush.Style = bsClear;
  C.Rectangle(6, 6, 9, 9);
  EXPECT_EQ(C.Pixel(7, 7), 0u);
  C.FillRect(-5, -5, 2, 2);  // fills whatever the brush style, clipped
  EXPECT_EQ(C.Pixel(0, 0), 0xFF00u);
  EXPECT_EQ(C.Pixel(1, 1), 0xFF00u);
}

}  // namespace
}  // namespace kromel
