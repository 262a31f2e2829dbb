#include "analysis/scopes.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis_images.h"
#include "images/image32_filters.h"
#include "platform/canvas.h"
#include "support/test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

uint32_t At(const TImage32& I, int32_t X, int32_t Y) { return I.Row(Y)[X].Value; }

}  // namespace

TEST(ScopeGlyphs, ShapesAndAnchorLimits) {
  TOwnedImage<TImage32> Owner;
  FillImage(Owner, 9, 9, [](int32_t, int32_t) { return TRGBA{0, 0, 0, 0}; });
  TImage32& I = Owner.Image;
  // Anchored at (0, 0): drawn at (2, 2); the "1" has a two-pixel foot.
  Image_DrawLetter1(I, 0, 0, 0xFFFFFFFF);
  const char* One[5] = {"..#..", ".##..", "..#..", "..#..", ".##.."};
  for (int32_t Y = 0; Y < 9; ++Y)
    for (int32_t X = 0; X < 9; ++X) {
      const bool Set = X < 5 && Y < 5 && One[Y][X] == '#';
      EXPECT_EQ(At(I, X, Y), Set ? 0xFFFFFFFFu : 0u) << X << "," << Y;
    }
  // Anchored past the corner: at (W - 2, H - 3), its rightmost column cut.
  I.Clear();
  Image_DrawLetterM(I, 9, 9, 0x123456);
  EXPECT_EQ(At(I, 5, 4), 0x123456u);  // "#...#" top row, left end
  EXPECT_EQ(At(I, 5, 8), 0x123456u);
  EXPECT_EQ(At(I, 7, 6), 0x123456u);  // centre of "#.#.#"
  EXPECT_EQ(At(I, 8, 4), 0u);         // right ends fall outside the image
}

TEST(Waveform, TransparentSourceLeavesTheRescaledGraticule) {
  TOwnedImage<TImage32> Source, Target;
  FillImage(Source, 4, 4, [](int32_t, int32_t) { return TRGBA{200, 10, 90, 128}; });
  FillImage(Target, 120, 64, [](int32_t, int32_t) { return TRGBA{1, 2, 3, 4}; });
  BuildWaveform(Source.Image, Target.Image, true);
  const TImage32& T = Target.Image;
  // Lines (0x303030) scale by the per-channel maxima 48, 88 and 128 of the
  // graticule; the labels (0x305880) reach 254 in every channel.
  const int32_t H1 = 64 - 4 - 1;
  for (int32_t Y : {0, H1, H1 * 959 / 1023, H1 * 83 / 1023, H1 * 128 / 255, H1 * 20 / 100}) {
    const TRGBA L = PixelOf(T, 22, Y);
    EXPECT_EQ(L.R, 254) << Y;
    EXPECT_EQ(L.G, 167) << Y;
    EXPECT_EQ(L.B, 134) << Y;
    EXPECT_EQ(At(T, 23, Y), 0u) << "dotted";
  }
  EXPECT_EQ(At(T, 2, 0), 0xFEFEFEu);  // top of the "1" of "100%"
  EXPECT_EQ(At(T, 70, 30), 0u);        // plot area holds no data
}

TEST(Waveform, GreyAndParadeColumns) {
  TOwnedImage<TImage32> Source, Target;
  FillImage(Source, 10, 8, [](int32_t, int32_t) { return TRGBA{128, 128, 128}; });
  FillImage(Target, 60, 40, [](int32_t, int32_t) { return TRGBA{}; });
  BuildWaveform(Source.Image, Target.Image, false);
  const int32_t Row = (40 - 4) * 127 / 255;
  for (int32_t SX = 0; SX < 10; ++SX) {
    EXPECT_EQ(At(Target.Image, 59 * SX / 10, Row), 0xFEFEFEu) << SX;
    EXPECT_EQ(At(Target.Image, 59 * SX / 10, Row + 1), 0u) << SX;
  }

  // Parade of one pure red column: red in the first third, nothing in the
  // green and blue thirds except their zero-level traces.
  TOwnedImage<TImage32> Red;
  FillImage(Red, 1, 8, [](int32_t, int32_t) { return TRGBA{255, 0, 0}; });
  BuildWaveformParade(Red.Image, Target.Image, false);
  const int32_t Bottom = 40 - 4;
  EXPECT_EQ(At(Target.Image, 0, 0), 0xFE0000u);
  EXPECT_EQ(At(Target.Image, 20, Bottom), 0x00FE00u);
  EXPECT_EQ(At(Target.Image, 40, Bottom), 0x0000FEu);
}

TEST(Vectorscope, ColourDifferencesAndPositions) {
  const TVideoYUV Red = VideoYUV(255, 0, 0, false);
  EXPECT_NEAR(Red.U, -40.38, 0.005);
  EXPECT_NEAR(Red.V, 119.78, 0.005);
  const TPoint P = VectorscopePosition(Red, 512, 512, 0, 1, 0);
  EXPECT_EQ(P.X, std::lround(511 * (128 - 40.38) / 256));
  EXPECT_EQ(P.Y, std::lround(511 * (128 - 119.78) / 256));
  EXPECT_EQ(P.X, 175);
  EXPECT_EQ(P.Y, 16);
  // Neutrals at the centre column in both modes; white on row 0 in cube mode
  // with standard weights, on row round(511 x 35.957 / 255) with equal ones.
  const struct {
    int32_t Grey;
    int32_t Mode;
    bool Equal;
    int32_t X, Y;
  } Cases[] = {{255, 0, false, 256, 256}, {255, 1, false, 256, 0},
               {255, 1, true, 256, 72},   {0, 1, false, 256, 511}};
  for (const auto& C : Cases) {
    const TPoint Q = VectorscopePosition(VideoYUV(C.Grey, C.Grey, C.Grey, C.Equal), 512, 512,
                                         C.Mode, 1, 0.3);
    EXPECT_EQ(Q.X, C.X) << C.Grey << " " << C.Mode;
    EXPECT_EQ(Q.Y, C.Y) << C.Grey << " " << C.Mode;
  }
}

TEST(Vectorscope, CellsShowTheirMeanColourAndCountAtMost255) {
  TOwnedImage<TImage32> Source, Target;
  // 300 orange pixels, one transparent pixel that must not count.
  FillImage(Source, 301, 1, [](int32_t X, int32_t) {
    return X == 300 ? TRGBA{0, 255, 0, 128} : TRGBA{200, 100, 50};
  });
  FillImage(Target, 512, 512, [](int32_t, int32_t) { return TRGBA{}; });
  BuildVectorscope(Source.Image, Target.Image, 0, false, 1, 0);
  const TPoint P = VectorscopePosition(VideoYUV(200, 100, 50, false), 512, 512, 0, 1, 0);
  // 255 pixels counted: ((255 + 32) x 255 c / 255) / 255 + 16.
  const TRGBA C = PixelOf(Target.Image, P.X, P.Y);
  EXPECT_EQ(C.R, 241);
  EXPECT_EQ(C.G, 128);
  EXPECT_EQ(C.B, 72);
  const TPoint Green = VectorscopePosition(VideoYUV(0, 255, 0, false), 512, 512, 0, 1, 0);
  EXPECT_EQ(At(Target.Image, Green.X + 1, Green.Y + 3), 0u);
  // No gain label at gain 1; "X2" at gain 2.
  EXPECT_EQ(At(Target.Image, 1, 1), 0u);
  BuildVectorscope(Source.Image, Target.Image, 0, false, 2, 0);
  EXPECT_EQ(At(Target.Image, 1, 1), 0x808080u);
  EXPECT_EQ(At(Target.Image, 8, 1), 0x808080u);  // "2" top row "###.." at (10 - 2, 3 - 2)
  // The 16-bit form places the same colour at the same cell.
  TOwnedImage<TImage64> Wide;
  Wide.Image.CopyFromImage32(Source.Image);
  BuildVectorscope64(Wide.Image, Target.Image, 0, false, 1, 0);
  EXPECT_EQ(PixelOf(Target.Image, P.X, P.Y).R, 241);
}

TEST(Vectorscope, MarkIsAPlusAtTheColour) {
  TRawBitmap Bitmap(64, 64, pf32bit);
  VectorscopeDrawMark(Bitmap, 0, 255, 0, 0, 0x0000FF, 1, 0);
  const TPoint P = VectorscopePosition(VideoYUV(255, 0, 0, false), 64, 64, 0, 1, 0);
  TCanvas Canvas(Bitmap);
  for (int32_t D = -2; D <= 2; ++D) {
    EXPECT_EQ(Canvas.Pixel(P.X + D, P.Y), 0x0000FFu) << D;
    EXPECT_EQ(Canvas.Pixel(P.X, P.Y + D), 0x0000FFu) << D;
  }
  EXPECT_EQ(Canvas.Pixel(P.X + 3, P.Y), 0u);
  EXPECT_EQ(Canvas.Pixel(P.X + 1, P.Y + 1), 0u);
}

class Ramps : public TCaptureTest {};

TEST_F(Ramps, GradientEndsAndSizeReport) {
  TOwnedImage<TImage32> Ramp;
  FillImage(Ramp, 256, 1, [](int32_t, int32_t) { return TRGBA{}; });
  const struct {
    uint32_t Colour;
    uint32_t Last;
  } Cases[] = {{0, 0xFFFFFFFF}, {0x004080, 0xFF007FFF}, {0x808080, 0xFFFFFFFF}};
  for (const auto& C : Cases) {
    FillGradient(Ramp.Image, C.Colour);
    EXPECT_EQ(At(Ramp.Image, 0, 0), 0xFF000000u);
    EXPECT_EQ(At(Ramp.Image, 255, 0), C.Last) << std::hex << C.Colour;
  }
  EXPECT_TRUE(Messages().empty());
  TOwnedImage<TImage32> Short;
  FillImage(Short, 100, 1, [](int32_t, int32_t) { return TRGBA{}; });
  FillGradientTwoColors(Short.Image, 0x0000FF);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "FillGradient size error");
  // Still drawn: from the opposite colour to the saturated one.
  const uint32_t Saturated = BoostSaturation32(0x0000FF);
  EXPECT_EQ(At(Short.Image, 99, 0), Saturated | 0xFF000000u);
  EXPECT_EQ(At(Short.Image, 0, 0), InvertAroundGray32(Saturated) | 0xFF000000u);
}

TEST(CurveImage, IdentityRampIsADiagonal) {
  TOwnedImage<TImage32> Ramp, Target;
  FillImage(Ramp, 256, 1, [](int32_t X, int32_t) {
    return TRGBA{uint8_t(X), uint8_t(X), uint8_t(X)};
  });
  FillImage(Target, 256, 258, [](int32_t, int32_t) { return TRGBA{9, 9, 9, 9}; });
  BuildCurveImage(Ramp.Image, Target.Image, true, false, 255, 0);
  for (int32_t I = 0; I < 256; ++I) {
    const int32_t X = 255 * I / 256, Y = 256 * (255 - I) / 255;
    EXPECT_EQ(At(Target.Image, X, Y), 0xFFFFFFu) << I;
  }
  EXPECT_EQ(At(Target.Image, 0, 0), 0u);
}

TEST(SortedColorStrip, SortsByHueAndLeavesTargetWithoutContent) {
  TOwnedImage<TImage32> Source, Target;
  const TRGBA Colours[5] = {{0, 0, 255}, {255, 0, 0}, {0, 255, 0}, {255, 0, 0, 0}, {9, 9, 9}};
  FillImage(Source, 5, 1, [&](int32_t X, int32_t) { return Colours[X]; });
  FillImage(Target, 4, 3, [](int32_t, int32_t) { return TRGBA{}; });
  BuildSortedColorStrip(Source.Image, Target.Image, true);
  // Keys: red 0 (the transparent red too, drawn black), green 85, blue 171.
  const uint32_t Expected[4] = {0x00FF0000, 0x00000000, 0x5500FF00, 0xAB0000FF};
  for (int32_t Y = 0; Y < 3; ++Y)
    for (int32_t X = 0; X < 4; ++X) EXPECT_EQ(At(Target.Image, X, Y), Expected[X]) << X;

  Source.Image.CopyMarginsFrom(3, 2, 0, 0);
  Target.Image.Row(2)[3].Value = 0x01020304;
  BuildSortedColorStrip(Source.Image, Target.Image, false);
  EXPECT_EQ(At(Target.Image, 3, 2), 0x01020304u);
  EXPECT_EQ(At(Target.Image, 0, 0), Expected[0]);
}
