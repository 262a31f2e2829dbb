#include <gtest/gtest.h>

#include "colour/colour_discs.h"

using namespace kromel;

namespace {

TImage32 Square(int32_t Side) {
  TImage32 I;
  I.Alloc(Side, Side);
  I.Fill(0);
  return I;
}

// The discs show true hues: the byte named red holds red.
TEST(ColourDiscs, HueDiscShowsTrueHues) {
  TImage32 I = Square(256);
  DrawHueDisc(I);
  EXPECT_EQ(I.Row(128)[128].Value, 0xFFFFFFFFu);  // white centre
  EXPECT_EQ(I.Row(0)[0].Value, 0xFF000000u);      // black beyond the rim
  // Half the radius below the centre: hue 0, full red.
  const TBGRAPixel32 Below = I.Row(128 + 62)[128].BGRA;
  EXPECT_EQ(Below.R, 255);
  EXPECT_LT(Below.B, 20);
  EXPECT_LT(Below.G, 20);
  // Above the centre: hue 180, cyan.
  const TBGRAPixel32 Above = I.Row(128 - 62)[128].BGRA;
  EXPECT_LT(Above.R, 20);
  EXPECT_GT(Above.G, 235);
  EXPECT_GT(Above.B, 235);
}

TEST(ColourDiscs, HueSaturationDiscAndTinyImages) {
  TImage32 I = Square(64);
  DrawHueSaturationDisc(I, 128);
  const TBGRAPixel32 Centre = I.Row(32)[32].BGRA;
  EXPECT_EQ(Centre.A, 255);
  EXPECT_NEAR(Centre.R, Centre.B, 1);  // grey at saturation 0
  const TBGRAPixel32 Below = I.Row(32 + 25)[32].BGRA;  // hue 0: red
  EXPECT_GT(Below.R, Below.G);
  EXPECT_GT(Below.R, Below.B);
  TImage32 One = Square(1);
  DrawHueDisc(One);
  DrawHueSaturationDisc(One, 255);
  // Lightness outside a byte is taken as its nearest end, not overflowed.
  TImage32 Far = Square(8), Near = Square(8);
  DrawHueSaturationDisc(Far, INT32_MAX);
  DrawHueSaturationDisc(Near, 255);
  EXPECT_EQ(std::memcmp(Far.Pixels, Near.Pixels, 64 * 4), 0);
  DrawHueSaturationDisc(Far, INT32_MIN);
  DrawHueSaturationDisc(Near, 0);
  EXPECT_EQ(std::memcmp(Far.Pixels, Near.Pixels, 64 * 4), 0);
  TImage32 Empty;
  DrawHueDisc(Empty);
}

}  // namespace
