#include <gtest/gtest.h>

#include <vector>

#include "image_test_support.h"
#include "images/image32.h"
#include "platform/canvas.h"

using namespace kromel;
using namespace kromel::test;

namespace {

class Image32DrawTest : public MessageCapture {};

TImage32 Filled(int32_t W, int32_t H, uint32_t V) {
  TImage32 I;
  I.Alloc(W, H);
  I.Fill(V);
  return I;
}

std::vector<int32_t> SetIndices(const TImage32& I, uint32_t Ground) {
  std::vector<int32_t> Out;
  for (int32_t K = 0; K < I.Size; ++K)
    if (I.Pixels[K].Value != Ground) Out.push_back(K);
  return Out;
}

TEST_F(Image32DrawTest, LinesAndOutlinesAtAndBeyondTheEdges) {
  struct {
    int32_t X1, Y1, X2, Y2;
    int Kind;  // 0 plain, 1 dashed
    std::vector<int32_t> Want;
  } const Cases[] = {
      {2, 2, 2, 2, 0, {22}},
      {0, 0, 3, 1, 0, {0, 1, 2, 13}},
      {-5, -5, 1000, 1000, 0, {0, 11, 22, 33, 44, 55, 66, 77, 88, 99}},
      {0, 0, 4, 0, 1, {0, 2, 4}},
      {0, 0, 5, 0, 1, {0, 2, 4}},
      {3, 3, 3, 3, 1, {33}},
      {20, 3, 30, 3, 0, {}},             // start right of the image
      {5, -40, 5, -20, 0, {}},           // end above the image
      {12, -3, -9, 12, 0, {18, 19, 26, 27, 33, 34, 35, 41, 42, 50}},  // (12, 0) to (-9, 9)
      {-2000000000, 5, 2000000000, 5, 1, {50, 52, 54, 56, 58}},
  };
  for (const auto& C : Cases) {
    TImage32 I = Filled(10, 10, 0x11111111);
    if (C.Kind == 0)
      I.DrawLine(C.X1, C.Y1, C.X2, C.Y2, 0xFF0000FF);
    else
      I.DrawLineDashed(C.X1, C.Y1, C.X2, C.Y2, 0xFF0000FF);
    EXPECT_EQ(SetIndices(I, 0x11111111), C.Want) << C.X1 << "," << C.Y1 << " " << C.X2 << "," << C.Y2;
  }
  TImage32 I = Filled(2, 1, 0xFF000000);
  I.DrawLineHalf(0, 0, 0, 0, 0xFFFFFFFF);
  I.DrawLineQuarter(1, 0, 1, 0, 0xFFFFFFFF);
  EXPECT_EQ(I.Pixels[0].Value, 0x007F7F7Fu);
  EXPECT_EQ(I.Pixels[1].Value, 0x003F3F3Fu);

  TImage32 R = Filled(10, 10, 0);
  R.DrawRectangle(2, -1, 5, 4, 1);
  EXPECT_EQ(SetIndices(R, 0), (std::vector<int32_t>{12, 15, 22, 25, 32, 35, 42, 43, 44, 45}));
  R.Fill(0);
  R.DrawRectangle(-100, -100, 100, 100, 1);  // every edge outside
  EXPECT_TRUE(SetIndices(R, 0).empty());

  TImage32 X = Filled(20, 20, 0xFFFFFFFF);
  X.DrawCross(0, 0);
  EXPECT_EQ(SetIndices(X, 0xFFFFFFFF).size(), 13u);
  EXPECT_EQ(X.Row(3)[3].Value, 0u);
  TImage32 Tiny = Filled(4, 3, 5);  // smaller than the cross: cut, not overrun
  Tiny.DrawCross(1, 1);
}

TEST_F(Image32DrawTest, RampsPlaneAndAverage) {
  TImage32 H = Filled(256, 2, 0);
  H.DrawHorizontalGradient(7);
  EXPECT_EQ(H.Row(1)[255].Value, 0x07FEFEFEu);
  H.DrawVerticalGradient(9);
  EXPECT_EQ(H.Row(1)[0].Value, 0x09FFFFFFu);
  TImage32 One = Filled(3, 1, 0);
  One.DrawVerticalGradient(255);  // one row: no division by zero
  One.DrawVerticalGradientRange(40, 200, 255);
  EXPECT_EQ(One.Pixels[0].Value, 0xFF282828u);

  // True hues: Cr > 0 (right) is red, stored in the red byte.
  TImage32 P = Filled(256, 256, 0);
  P.DrawYCbCrPlane(128);
  const TBGRAPixel32 Right = P.Row(128)[255].BGRA, Top = P.Row(0)[128].BGRA;
  EXPECT_GT(Right.R, Right.B);
  EXPECT_GT(Top.B, Top.R);  // Cb > 0 above is blue
  EXPECT_EQ(Right.A, 255);
  P.DrawYCbCrPlane(0);
  EXPECT_EQ(P.Row(128)[128].Value, 0xFF000000u);

  TImage32 A = Filled(3, 3, 0);
  A.Pixels[0].Value = Bgra(10, 20, 30, 200);
  A.Pixels[4].Value = Bgra(30, 40, 50, 129);
  A.Pixels[8].Value = Bgra(99, 99, 99, 128);  // not opaque enough
  EXPECT_EQ(A.GetAverageColor(1, 1, 5), Bgra(20, 30, 40, 164));
  EXPECT_EQ(A.GetAverageColor(2, 2, -4), 0u);
  EXPECT_EQ(A.GetAverageColor(-100, -100, 2), 0u);
}

TEST_F(Image32DrawTest, TextLinesOnACanvasAndInAnImage) {
  TRawBitmap Bitmap(0, 0, pf24bit);
  TCanvas Canvas(Bitmap);
  int32_t W = 0, H = 0;
  MeasureTextLines(Canvas, "", W, H);
  EXPECT_EQ(W, 0);
  EXPECT_EQ(H, 0);
  int32_t W1 = 0, H1 = 0;
  MeasureTextLines(Canvas, "Hue", W1, H1);
  MeasureTextLines(Canvas, "Hue\rSaturation", W, H);
  EXPECT_EQ(H, 2 * H1);
  EXPECT_GT(W, W1);

  Bitmap.SetSize(120, 40);
  Canvas.Brush.Color = 0xFFFFFF;
  Canvas.FillRect(0, 0, 120, 40);
  DrawTextLines(Canvas, "A\tB", 0, 0, 120, 40, 0);
  bool InkAt42 = false;
  for (int32_t Y = 0; Y < 40; ++Y)
    for (int32_t X = 42; X < 52; ++X) InkAt42 |= Canvas.Pixel(X, Y) != 0xFFFFFF;
  EXPECT_TRUE(InkAt42);  // the second column starts 42 pixels on

  TImage32 I = Filled(100, 40, 0x22333333);
  I.DrawText(50, 20, "Ag", 14, 2, tvaCenter);
  int32_t Changed = 0, Dark = 0;
  for (int32_t K = 0; K < I.Size; ++K) {
    Changed += I.Pixels[K].Value != 0x22333333;
    Dark += I.Pixels[K].BGRA.G < 100 && I.Pixels[K].BGRA.A == 255;
  }
  EXPECT_GT(Changed, 100);
  EXPECT_GT(Dark, 10);
  EXPECT_EQ(I.Row(0)[0].Value, 0x22333333u);
  I.DrawText(-500, -500, "Off the image", 14, 0, tvaTopJustify);
  I.DrawText(95, 35, "Partly outside", 30, 0, tvaTopJustify);

  TRawBitmap Ramp(4, 3, pf24bit);
  TCanvas RampCanvas(Ramp);
  DrawGrayRamp(RampCanvas, 3, 3);
  EXPECT_EQ(RampCanvas.Pixel(0, 1), 0u);
  EXPECT_EQ(RampCanvas.Pixel(1, 1), 0x555555u);
  EXPECT_EQ(RampCanvas.Pixel(3, 1), 0xFFFFFFu);
}

}  // namespace
