#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "image_test_support.h"
#include "images/image64.h"
#include "images/image64_draw.h"

using namespace kromel;
using namespace kromel::test;

namespace {

class Image64DrawTest : public MessageCapture {};

std::vector<TPixel64> Pixels(const TImage64& I) { return {I.Pixels, I.Pixels + I.Size}; }

const TPixel64 Red{65535, 0, 0, 65535}, Blue{0, 0, 65535, 40000};

struct TDrawCase {
  const char* Name;
  std::function<void(TImage64&, int32_t, int32_t)> Draw;
};

std::vector<TDrawCase> DrawCases() {
  static TImage64 Src = [] {
    TImage64 S = Make64(6, 5, {30000, 20000, 10000, 50000});
    S.Pixels[7].A = 0;
    return S;
  }();
  return {
      {"FillRect", [](TImage64& I, int32_t X, int32_t Y) { FillRect(I, X - 3, Y - 2, X + 4, Y + 6, Red); }},
      {"FillCircle", [](TImage64& I, int32_t X, int32_t Y) { FillCircle(I, X, Y, 5, Red); }},
      {"ShadedDisc", [](TImage64& I, int32_t X, int32_t Y) { FillShadedDisc(I, X, Y, 6, Red, Blue); }},
      {"RadialDisc", [](TImage64& I, int32_t X, int32_t Y) { FillRadialDisc(I, X, Y, 6, Red, Blue); }},
      {"RoundedGradient", [](TImage64& I, int32_t X, int32_t Y) { FillRectangleRoundedGradient(I, X - 6, Y - 5, X + 6, Y + 5, 3, Red, Blue); }},
      {"RoundedGradientBlend", [](TImage64& I, int32_t X, int32_t Y) { BlendRectangleRoundedGradient(I, X - 6, Y - 5, X + 6, Y + 5, 3, Red, Blue); }},
      {"Embossed", [](TImage64& I, int32_t X, int32_t Y) { FillRectangleRoundedEmbossed(I, X - 6, Y - 5, X + 6, Y + 5, 3, Red, Blue); }},
      {"EmbossedBlend", [](TImage64& I, int32_t X, int32_t Y) { BlendRectangleRoundedEmbossed(I, X - 6, Y - 5, X + 6, Y + 5, 3, Red, Blue); }},
      {"GradientLine", [](TImage64& I, int32_t X, int32_t Y) { DrawGradientLine(I, X - 9, Y + 4, X + 7, Y - 8, Red, Blue); }},
      {"DrawLine", [](TImage64& I, int32_t X, int32_t Y) { DrawLine(I, X - 9, Y - 4, X + 7, Y + 8, Red); }},
      {"DrawLineAdd", [](TImage64& I, int32_t X, int32_t Y) { DrawLineAdd(I, X + 9, Y - 4, X - 7, Y + 8, Blue); }},
      {"HexGlyph", [](TImage64& I, int32_t X, int32_t Y) { DrawHexGlyph(I, X, Y - 1, 8, "#C3FF 55AA 0F0F", Red, true); }},
      {"HexGlyphBlend", [](TImage64& I, int32_t X, int32_t Y) { DrawHexGlyph(I, X, Y - 1, 8, "#C3FF 55AA 0F0F", Red, false); }},
      {"HexBitmap", [](TImage64& I, int32_t X, int32_t Y) { DrawHexBitmap(I, X - 4, Y - 1, 1, "#81FF42", Red); }},
      {"ImageBlended", [](TImage64& I, int32_t X, int32_t Y) { DrawImageBlended(I, X - 3, Y - 2, Src); }},
      {"ImageMultiplied", [](TImage64& I, int32_t X, int32_t Y) { DrawImageMultiplied(I, X - 3, Y - 2, Src); }},
      {"ImageMax", [](TImage64& I, int32_t X, int32_t Y) { DrawImageMax(I, X - 3, Y - 2, Src); }},
      {"ImageMin", [](TImage64& I, int32_t X, int32_t Y) { DrawImageMin(I, X - 3, Y - 2, Src); }},
      {"ImageAdd", [](TImage64& I, int32_t X, int32_t Y) { DrawImageAdd(I, X - 3, Y - 2, Src); }},
      {"ImageAddAlpha", [](TImage64& I, int32_t X, int32_t Y) { DrawImageAddAlpha(I, X - 3, Y - 2, Src); }},
      {"ImageBlendedAdd", [](TImage64& I, int32_t X, int32_t Y) { DrawImageBlendedAdd(I, X - 3, Y - 2, Src); }},
      {"Text", [](TImage64& I, int32_t X, int32_t Y) { DrawText(I, X - 5, Y, "Ag", 9, 0, Red, 0); }},
  };
}

// Every operation placed partly or wholly outside the image is clipped.
TEST_F(Image64DrawTest, ShapesPartlyOrWhollyOutsideAreClipped) {
  for (const TDrawCase& Case : DrawCases())
    ExpectClippedLikeLargerImage<TImage64>(Case.Name, Case.Draw, TPixel64{1000, 2000, 3000, 4000});
}

TEST_F(Image64DrawTest, ClampedShapesStayInside) {
  TRawBitmap Mask(9, 7, pf24bit);
  for (const TPoint O : {TPoint{-50, -50}, TPoint{3, 2}, TPoint{100, 100}, TPoint{6, -3}}) {
    TImage64 I = Make64(7, 5, {0, 0, 0, 0});
    DrawRectangleRounded(I, O.X - 6, O.Y - 5, O.X + 6, O.Y + 15, 40, Red);
    DrawRectangleRoundedSoftEdge(I, O.X - 6, O.Y - 5, O.X + 6, O.Y + 5, 3, Red, Blue, 0);
    DrawBitmap(I, O.X, O.Y, Mask, Red, Blue);
    DrawBevel(I, O.X - 10, O.Y, O.X + 100, O.Y + 1, Red);
    DrawGradientRadial(I, O.X, O.Y, 0, -3, Red, Blue);
    DrawGradientBorder(I, 0, 0, 0, 0, 0, Red, Blue);
    DrawOnBitmap(I, Mask, 0, O.Y);
  }
}

TEST_F(Image64DrawTest, ShapeAndCompositeEdgeCases) {
  TImage64 I = Make64(4, 3, {0, 0, 0, 0});
  DrawBevel(I, -10, -10, 100, 100, Red);
  std::vector<TPixel64> Want(12, Red);
  Want[5] = Want[6] = TPixel64{0, 0, 0, 0};
  EXPECT_EQ(Pixels(I), Want);

  I.Fill({0, 0, 0, 0});
  FillRect(I, 3, 0, 1, 2, Red);  // Left > Right: nothing
  DrawRectangleRounded(I, 0, 0, 3, 2, 10, Red);  // radius lowered to 1
  EXPECT_EQ(I.Row(1)[0], Red);
  EXPECT_EQ(I.Row(0)[0], (TPixel64{0, 0, 0, 0}));

  // The source's column 2 and row 3 land in the corner.
  TImage64 Src = Make64(4, 5, {0, 0, 0, 0});
  Src.Row(3)[2] = {65535, 65535, 65535, 65535};
  I.Fill({0, 0, 0, 0});
  DrawImageBlended(I, -2, -3, Src);
  EXPECT_EQ(I.Row(0)[0], (TPixel64{65534, 65534, 65534, 65534}));
  EXPECT_EQ(I.Row(0)[1], (TPixel64{0, 0, 0, 0}));

  TImage64 Row = Make64(4, 1, {0, 0, 0, 0});
  Row.Pixels[2] = {65535, 65535, 65535, 65535};
  Row.Smooth121();
  EXPECT_EQ(Row.Pixels[1].R, 16383);
  EXPECT_EQ(Row.Pixels[2].R, 32767);
  EXPECT_EQ(Row.Pixels[3].R, 0);

  TImage64 Down = Make64(3, 3, {0, 0, 0, 0});
  Down.Pixels[0] = {100, 100, 100, 100};
  Down.DownSample2x();
  ASSERT_EQ(Down.Size, 1);
  EXPECT_EQ(Down.Pixels[0].R, 25);
  Down.UpSample2x();
  EXPECT_EQ(Pixels(Down), std::vector<TPixel64>(4, TPixel64{25, 25, 25, 25}));

  TRawBitmap Mask(3, 1, pf24bit);
  Mask.ScanLine(0)[3] = Mask.ScanLine(0)[4] = Mask.ScanLine(0)[5] = 255;  // middle white
  TImage64 M = Make64(3, 1, {7, 7, 7, 7});
  DrawBitmap(M, 1, 0, Mask, {1, 1, 1, 0}, Blue);  // Dark of alpha 0 paints nothing
  EXPECT_EQ(Pixels(M), (std::vector<TPixel64>{{7, 7, 7, 7}, Blue, {7, 7, 7, 7}}));

  // Equal ends are reported instead of dividing by zero.
  DrawGradient(I, 1, 1, 1, 1, Red, Blue);
  DrawGradientLine(I, 1, 1, 1, 1, Red, Blue);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Exception in TImage64.DrawGradient",
                                                  "Exception in TImage64.DrawGradientLine"}));
}

TEST_F(Image64DrawTest, LinesGlyphsAndOutline) {
  TImage64 I = Make64(3, 1, {0, 0, 0, 0});
  DrawLine(I, -5, 0, 5, 0, Red);
  EXPECT_EQ(Pixels(I), std::vector<TPixel64>(3, Red));
  DrawLine(I, -1, -1, -1, -1, Blue);
  EXPECT_EQ(Pixels(I), std::vector<TPixel64>(3, Red));
  I.Fill({65530, 100, 200, 7});
  DrawLineAdd(I, 1, 0, 1, 0, {10, 20, 30, 0});
  EXPECT_EQ(I.Pixels[1], (TPixel64{65535, 120, 230, 7}));

  TImage64 G = Make64(16, 1, {300, 300, 300, 9});
  DrawHexGlyph(G, 8, 0, 16, "#C0000000", {3000, 6000, 9000, 0}, true);
  EXPECT_EQ(G.Pixels[0], (TPixel64{3000, 6000, 9000, 65535}));
  EXPECT_EQ(G.Pixels[1], (TPixel64{300, 300, 300, 9}));
  G.Fill({300, 300, 300, 9});
  DrawHexGlyph(G, 8, 0, 16, "#40000000", {3000, 6000, 9000, 0}, false);  // k = 1
  EXPECT_EQ(G.Pixels[0], (TPixel64{(3000 + 600) / 3, (6000 + 600) / 3, (9000 + 600) / 3, 9}));
  G.Fill({0, 0, 0, 0});
  DrawHexBitmap(G, 0, 0, 1, "81", Red);
  EXPECT_EQ(G.Pixels[1], Red);
  EXPECT_EQ(G.Pixels[8], Red);
  EXPECT_EQ(G.Pixels[2].A, 0);

  TImage64 O = Make64(3, 3, {0, 0, 0, 0});
  O.Row(1)[1] = {65535, 65535, 65535, 65535};
  DrawOutline(O, Blue);
  EXPECT_EQ(O.Row(0)[1], Blue);
  EXPECT_EQ(O.Row(1)[0], Blue);
  EXPECT_EQ(O.Row(0)[0], (TPixel64{0, 0, 0, 0}));

  TRawBitmap Strip(2, 3, pf24bit);
  TImage64 S = Make64(2, 1, {0x1100, 0x2200, 0x3300, 0});
  DrawOnBitmap(S, Strip, 0, 2);
  EXPECT_EQ(std::vector<uint8_t>(Strip.ScanLine(2), Strip.ScanLine(2) + 6),
            (std::vector<uint8_t>{0x33, 0x22, 0x11, 0x33, 0x22, 0x11}));
  DrawOnBitmap(S, Strip, 0, 3);  // below the bitmap: nothing
}

// The mask steps of the variable blur, chained as the blur runs them.
TEST_F(Image64DrawTest, MaskChainOfTheVariableBlur) {
  TImage64 Source = Make64(7, 7, {20000, 20000, 20000, 65535});
  Source.Row(3)[3] = {60000, 60000, 60000, 65535};  // one isolated bright point
  TImage64 Blurred = Make64(7, 7, {20000, 20000, 20000, 65535});
  Blurred.Row(0)[0] = {0, 0, 65535, 65535};
  TImage64 Diff = Make64(7, 7, {0, 0, 0, 0});
  Image64AddScaled(Source, Blurred, Diff, -1.0f, 0.5f, 32768);
  EXPECT_EQ(Diff.Row(1)[1], (TPixel64{32768, 32768, 32768, 0}));
  EXPECT_EQ(Diff.Row(3)[3].R, 32768 + 20000);
  EXPECT_EQ(Diff.Row(0)[0].R, 32768 + 10000);
  EXPECT_EQ(Diff.Row(0)[0].B, 10000);  // round(-22767.5) = -22768, halves to even
  Image64AddScaled(Diff, Diff, Diff, 2.0f, 1.0f, -65536);  // clamps at both ends
  EXPECT_EQ(Diff.Row(3)[3].R, 65535);
  EXPECT_EQ(Diff.Row(1)[1].R, 32768);

  TImage64 Ramp = Make64(4, 1, {0, 0, 0, 0});
  TImage64 Levels = Make64(4, 1, {0, 0, 0, 0});
  const uint16_t L[4] = {0, 4000, 8000, 60000};
  for (int K = 0; K < 4; ++K) Levels.Pixels[K] = {L[K], L[K], L[K], 0};
  Ramp.AddRampFrom(Levels, 8000, 0, 1000);
  EXPECT_EQ(Ramp.Pixels[0].R, 1000);
  EXPECT_EQ(Ramp.Pixels[1].R, 500);
  EXPECT_EQ(Ramp.Pixels[2].R, 0);
  EXPECT_EQ(Ramp.Pixels[3].R, 0);
  Ramp.AddRampFrom(Levels, 5, 5, 1000);
  TImage64 Other = Make64(3, 1, {0, 0, 0, 0});
  Ramp.AddRampFrom(Other, 8000, 0, 1000);
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Ramp.Pixels[0].R, 1000);

  TImage64 Points = Make64(7, 7, {0, 0, 0, 0});
  Points.Row(1)[1] = {65535, 65535, 65535, 5};
  for (int32_t Y = 3; Y <= 5; ++Y)
    for (int32_t X = 3; X <= 5; ++X) Points.Row(Y)[X] = {65535, 65535, 65535, 5};
  Points.RemoveSmallPoints(1);
  EXPECT_EQ(Points.Row(1)[1], (TPixel64{0, 0, 0, 5}));
  EXPECT_EQ(Points.Row(4)[4].R, 65535);
  Points.RemoveSmallPoints(0);
  Points.RemoveSmallPoints(100);

  TImage64 Dil = Make64(3, 3, {0, 0, 0, 0});
  Dil.Row(0)[1].R = 900;
  Dil.DilateGray();
  EXPECT_EQ(Dil.Row(1)[1], (TPixel64{900, 900, 900, 900}));
  EXPECT_EQ(Dil.Row(0)[1], (TPixel64{900, 0, 0, 0}));

  TImage64 Ch = Make64(2, 1, {100, 100, 100, 65535});
  Ch.Pixels[1] = {101, 100, 100, 1};
  Ch.Threshold(100);
  EXPECT_EQ(Ch.Pixels[0].R, 0);
  EXPECT_EQ(Ch.Pixels[1].R, 65535);
  Ch.Pixels[0] = {32767, 32768, 0, 65535};
  Ch.AbsFromMid();
  EXPECT_EQ(Ch.Pixels[0], (TPixel64{0, 1, 32767, 65535}));
  Ch.Pixels[0] = {0, 32768, 65535, 65535};
  Ch.InverseSquareCurve();
  EXPECT_EQ(Ch.Pixels[0], (TPixel64{1, 49152, 65535, 65535}));
  Ch.Pixels[0] = {65535, 65535, 65535, 65535};
  Ch.MultiplyByAlpha(1);
  EXPECT_EQ(Ch.Pixels[0], (TPixel64{65534, 65534, 65534, 65535}));
  Ch.CopyAlphaFrom(Other);
  EXPECT_EQ(Messages().back(), "Error in TImage64.CopyAlphaFrom: sizes differ");
}

}  // namespace
