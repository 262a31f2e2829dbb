#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "image_test_support.h"
#include "images/image96.h"
#include "images/text_raster.h"

using namespace kromel;
using namespace kromel::test;

namespace {

class Image96DrawTest : public MessageCapture {};

const TPixel96 Red = Px(65535, 0, 0, 65535, 11);
const TPixel96 Blue = Px(0, 0, 65535, 40000, 22);

// Every drawing operation, placed relative to an origin (OX, OY).
using TDraw = std::function<void(TImage96&, int32_t OX, int32_t OY)>;
struct TDrawCase {
  const char* Name;
  TDraw Draw;
};

std::vector<TDrawCase> DrawCases() {
  static TImage96 Src = [] {
    TImage96 S = Make96(6, 5, Px(30000, 20000, 10000, 50000, 3));
    S.Pixels[7].A = 0;
    return S;
  }();
  return {
      {"FillCircle", [](TImage96& I, int32_t X, int32_t Y) { I.FillCircle(X, Y, 5, Red); }},
      {"FillRect", [](TImage96& I, int32_t X, int32_t Y) { I.FillRect(X - 3, Y - 2, X + 4, Y + 6, Red); }},
      {"DrawBevel", [](TImage96& I, int32_t X, int32_t Y) { I.DrawBevel(X - 3, Y - 2, X + 4, Y + 6, Red); }},
      {"RoundedGradient", [](TImage96& I, int32_t X, int32_t Y) { I.FillRectangleRoundedGradient(X - 6, Y - 5, X + 6, Y + 5, 3, Red, Blue); }},
      {"RoundedGradientBlend", [](TImage96& I, int32_t X, int32_t Y) { I.BlendRectangleRoundedGradient(X - 6, Y - 5, X + 6, Y + 5, 3, Red, Blue); }},
      {"Embossed", [](TImage96& I, int32_t X, int32_t Y) { I.FillRectangleRoundedEmbossed(X - 6, Y - 5, X + 6, Y + 5, 3, Red, Blue); }},
      {"EmbossedBlend", [](TImage96& I, int32_t X, int32_t Y) { I.BlendRectangleRoundedEmbossed(X - 6, Y - 5, X + 6, Y + 5, 3, Red, Blue); }},
      {"ShadedDisc", [](TImage96& I, int32_t X, int32_t Y) { I.FillShadedDisc(X, Y, 6, Red, Blue); }},
      {"RadialDisc", [](TImage96& I, int32_t X, int32_t Y) { I.FillRadialDisc(X, Y, 6, Red, Blue); }},
      {"DrawLine", [](TImage96& I, int32_t X, int32_t Y) { I.DrawLine(X - 9, Y - 4, X + 7, Y + 8, Red); }},
      {"DrawLineAdd", [](TImage96& I, int32_t X, int32_t Y) { I.DrawLineAdd(X + 9, Y - 4, X - 7, Y + 8, Blue); }},
      {"GradientLine", [](TImage96& I, int32_t X, int32_t Y) { I.DrawGradientLine(X - 9, Y + 4, X + 7, Y - 8, Red, Blue); }},
      {"HexBitmap", [](TImage96& I, int32_t X, int32_t Y) { I.DrawHexBitmap(X - 4, Y - 1, 1, "#81FF42", Red); }},
      {"HexGlyph", [](TImage96& I, int32_t X, int32_t Y) { I.DrawHexGlyph(X, Y - 1, 8, "#C3FF 55AA 0F0F", Red); }},
      {"ImageMax", [](TImage96& I, int32_t X, int32_t Y) { I.DrawImageMax(X - 3, Y - 2, Src); }},
      {"ImageMin", [](TImage96& I, int32_t X, int32_t Y) { I.DrawImageMin(X - 3, Y - 2, Src); }},
      {"ImageAdd", [](TImage96& I, int32_t X, int32_t Y) { I.DrawImageAdd(X - 3, Y - 2, Src); }},
      {"ImageBlended", [](TImage96& I, int32_t X, int32_t Y) { I.DrawImageBlended(X - 3, Y - 2, Src); }},
      {"ImageMultiplied", [](TImage96& I, int32_t X, int32_t Y) { I.DrawImageMultiplied(X - 3, Y - 2, Src); }},
      {"AddAlphaFrom", [](TImage96& I, int32_t X, int32_t Y) { I.AddAlphaFrom(X - 3, Y - 2, Src); }},
      {"Text", [](TImage96& I, int32_t X, int32_t Y) { I.DrawText(X - 5, Y, "Ag", 9, 0, Red, 0); }},
  };
}

// Every operation placed partly or wholly outside the image is clipped.
TEST_F(Image96DrawTest, ShapesPartlyOrWhollyOutsideAreClipped) {
  for (const TDrawCase& Case : DrawCases())
    ExpectClippedLikeLargerImage<TImage96>(Case.Name, Case.Draw, Px(1000, 2000, 3000, 4000, 5));
}

// The operations with their own placement rules only have to stay inside.
TEST_F(Image96DrawTest, ClampedAndWholeImageOperationsStayInside) {
  TRawBitmap Mask(9, 7, pf24bit);
  for (const TPoint O : {TPoint{-50, -50}, TPoint{3, 2}, TPoint{100, 100}, TPoint{6, -3}}) {
    TImage96 I = Make96(7, 5, Px(0, 0, 0, 0));
    I.DrawRectangleRounded(O.X - 6, O.Y - 5, O.X + 6, O.Y + 15, 4, Red);
    I.DrawRectangleRoundedSoftEdge(O.X - 6, O.Y - 5, O.X + 6, O.Y + 5, 3, Red, Blue, 0);
    I.DrawBitmap(O.X, O.Y, Mask, Red, Blue);
    I.DrawGradientRadial(O.X, O.Y, 0, -3, Red, Blue);
    I.DrawGradientBorder(0, Red, Blue);
    I.DrawImageBlendedAdd(I);
    I.DrawOutline(Blue);
  }
  TImage96 Empty;
  for (const TDrawCase& Case : DrawCases()) Case.Draw(Empty, 0, 0);
}

TEST_F(Image96DrawTest, BlendFormulasAtTheirEdgeValues) {
  const TPixel96 Zero = Px(0, 0, 0, 0), Full = Px(65535, 65535, 65535, 65535);
  const TPixel96 P = Px(100, 200, 300, 400), Q = Px(65535, 1, 0, 65535);
  struct {
    TPixel96 Got, Want;
  } const Cases[] = {
      {BlendPixel96(P, Q, 0), P},
      {BlendPixel96(P, Q, 256), Q},
      {BlendPixel96(Zero, Full, 128), Px(32767, 32767, 32767, 32767)},
      {BlendPixel96(P, Q, -5), P},    // weights outside 0..256 are limited
      {BlendPixel96(P, Q, 1000), Q},
      {BlendPixel96Over(P, Full), Px(65534, 65534, 65534, 65534)},
      {BlendPixel96Over(Px(1, 2, 65535, 0), Px(9, 9, 9, 0)), Px(0, 1, 65534, 0)},
      {BlendPixel96Over(Zero, Zero), Zero},
      {MultiplyPixel96(Full, Full), Px(65533, 65533, 65533, 65533)},
      {MultiplyPixel96(P, Zero), Px(99, 199, 299, 399)},
      {MultiplyPixel96(Full, Px(0, 0, 0, 65535)), Px(0, 0, 0, 65533)},
  };
  for (const auto& C : Cases) EXPECT_EQ(C.Got, C.Want);

  TImage96 I = Make96(1, 1, Px(30000, 30000, 30000, 30000, 7));
  TImage96 S = Make96(1, 1, Px(40000, 40000, 40000, 0, 9));
  I.DrawImageAdd(0, 0, S);
  EXPECT_EQ(I.Pixels[0], Px(4464, 4464, 4464, 30000, 7));  // wraps at 65536
  I.Fill(Px(30000, 30000, 30000, 30000, 7));
  I.DrawImageBlendedAdd(S);  // alpha 0: a mask, skipped
  EXPECT_EQ(I.Pixels[0].R, 30000);
  S.Pixels[0].A = 1;
  I.DrawImageBlendedAdd(S);
  EXPECT_EQ(I.Pixels[0], Px(65535, 65535, 65535, 30000, 7));
  TImage96 Zeros = Make96(1, 1, Px(0, 0, 0, 0));
  I.DrawImageMax(0, 0, Zeros);
  EXPECT_EQ(I.Pixels[0], Px(65535, 65535, 65535, 30000, 7));
  I.Fill(Px(65000, 100, 0, 7, 1));
  I.DrawLineAdd(0, 0, 0, 0, Px(1000, 1000, 1000, 1000));
  EXPECT_EQ(I.Pixels[0], Px(65535, 1100, 1000, 7, 1));
}

TEST_F(Image96DrawTest, ShapesLinesAndGradients) {
  TImage96 I = Make96(11, 4, Px(0, 0, 0, 0));
  I.FillCircle(5, 1, 0, Red);
  EXPECT_EQ(I.Pixels[16], Px(0, 0, 0, 0));
  I.FillCircle(5, 1, 1, Red);
  int32_t Painted = 0;
  for (int32_t K = 0; K < I.Size; ++K) Painted += I.Pixels[K] == Red;
  EXPECT_EQ(Painted, 1);
  EXPECT_EQ(I.Row(1)[5], Red);  // a given colour is written whole

  I.Clear();
  I.DrawLine(0, 0, 3, 1, Red);
  std::vector<int32_t> Set;
  for (int32_t K = 0; K < I.Size; ++K)
    if (I.Pixels[K].R) Set.push_back(K);
  EXPECT_EQ(Set, (std::vector<int32_t>{0, 1, 2, 14}));

  // Gradients keep each pixel's Extra and guard equal ends.
  I.Fill(Px(0, 0, 0, 0, 99));
  const TPixel96 C1 = Px(0, 0, 0, 0), C2 = Px(65535, 65535, 65535, 65535);
  I.DrawGradient(0, 0, 10, 0, C1, C2);
  EXPECT_EQ(I.Row(2)[0], Px(0, 0, 0, 0, 99));
  EXPECT_EQ(I.Row(2)[5], Px(32767, 32767, 32767, 32767, 99));
  EXPECT_EQ(I.Row(2)[10], Px(65535, 65535, 65535, 65535, 99));
  ASSERT_TRUE(Errors().empty());
  const TImage96 Before = [&] { TImage96 B; B.Init(); B.Copy(I); return B; }();
  I.DrawGradient(4, 2, 4, 2, C1, C2);
  I.DrawGradientLine(4, 2, 4, 2, C1, C2);
  EXPECT_EQ(Errors(), (std::vector<std::string>{"Exception in TImage96.DrawGradient",
                                                "Exception in TImage96.DrawGradientLine"}));
  for (int32_t K = 0; K < I.Size; ++K) EXPECT_EQ(I.Pixels[K], Before.Pixels[K]);

  I.DrawGradientRadial(5, 2, 4, 4, C1, C2);
  EXPECT_EQ(I.Row(2)[5].R, 0);
  EXPECT_EQ(I.Row(2)[9].R, 65535);
  I.DrawGradientBorder(2, C1, C2);
  EXPECT_EQ(I.Row(0)[5].R, 65535);  // C2 on the edge
  EXPECT_EQ(I.Row(2)[5].R, 65535 * 75 / 256);  // d = 1/2: weight round(sqrt(d) x 256) = 181
}

TEST_F(Image96DrawTest, GlyphsAndOutline) {
  TImage96 I = Make96(12, 3, Px(0, 0, 0, 0));
  const TPixel96 C = Px(10, 20, 30, 0, 4);
  I.DrawHexBitmap(0, 0, 1, "#8001F", C);  // trailing odd digit ignored
  std::vector<int32_t> Set;
  for (int32_t K = 0; K < I.Size; ++K)
    if (I.Pixels[K].A) Set.push_back(K);
  EXPECT_EQ(Set, (std::vector<int32_t>{1, 12 + 8}));
  EXPECT_EQ(I.Pixels[1], Px(10, 20, 30, 65535, 4));

  I.Clear();
  I.DrawHexGlyph(6, 1, 4, "C0", C);
  Set.clear();
  for (int32_t K = 0; K < I.Size; ++K)
    if (I.Pixels[K].A) Set.push_back(K);
  EXPECT_EQ(Set, (std::vector<int32_t>{12 + 4}));
  EXPECT_EQ(I.Pixels[16].A, 65535);
  I.Clear();
  I.DrawHexGlyph(2, 0, 4, "##6C", C);  // coverages 1, 2, 3, 0
  EXPECT_EQ(I.Pixels[0].A, 21845);
  EXPECT_EQ(I.Pixels[1].A, 43690);
  EXPECT_EQ(I.Pixels[2].A, 65535);
  EXPECT_EQ(I.Pixels[3].A, 0);

  I.Clear();
  I.Row(1)[5].R = 1;
  I.DrawOutline(C);
  Set.clear();
  for (int32_t K = 0; K < I.Size; ++K)
    if (I.Pixels[K] == C) Set.push_back(K);
  EXPECT_EQ(Set, (std::vector<int32_t>{5, 12 + 4, 12 + 6, 24 + 5}));
  EXPECT_EQ(I.Row(1)[5].R, 1);
}

}  // namespace
