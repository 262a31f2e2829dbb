// The preview display modes, pixel by pixel.
#include <gtest/gtest.h>

#include <vector>

#include "image_test_support.h"
#include "images/image32_display_mode.h"

namespace kromel {
namespace {

using test::Bgra;

struct TRgb {
  uint8_t R, G, B;
};

// One pixel (R, G, B, A) through Mode; the result as (B, G, R, A) value.
uint32_t ThroughMode(uint8_t Mode, TRgb In, uint8_t A = 255) {
  TImage32 I;
  I.Alloc(1, 1);
  I.Pixels[0].Value = Bgra(In.B, In.G, In.R, A);
  ProcessImage32DisplayMode(I, Mode);
  const uint32_t V = I.Pixels[0].Value;
  return V;
}

struct TModeCase {
  uint8_t Mode;
  TRgb In;
  uint8_t A;
  TRgb Out;
  uint8_t OutA;
};

TEST(DisplayMode, PixelTable) {
  const std::vector<TModeCase> Cases = {
      // Clip warning: highlights before shadows, alpha kept, alpha 0 untouched.
      {1, {255, 255, 255}, 255, {32, 32, 32}, 255},
      {1, {255, 0, 0}, 255, {255, 32, 32}, 255},
      {1, {0, 0, 0}, 255, {128, 128, 128}, 255},
      {1, {10, 0, 200}, 255, {0, 128, 0}, 255},
      {1, {0, 255, 255}, 200, {32, 255, 255}, 200},
      {1, {255, 255, 7}, 255, {255, 255, 32}, 255},
      {1, {0, 0, 9}, 255, {128, 128, 0}, 255},
      {1, {9, 8, 7}, 255, {9, 8, 7}, 255},
      {1, {255, 0, 0}, 0, {255, 0, 0}, 0},
      // Single channels: d = v - v / 16.
      {2, {160, 30, 40}, 255, {160, 150, 150}, 255},
      {3, {160, 32, 40}, 9, {30, 32, 30}, 9},
      {4, {1, 2, 255}, 255, {240, 240, 255}, 255},
      {5, {1, 2, 3}, 77, {77, 77, 77}, 77},
      // Luminance.
      {6, {255, 255, 255}, 255, {255, 255, 255}, 255},
      {6, {0, 255, 0}, 40, {176, 176, 176}, 40},
      // Blacks and whites.
      {7, {15, 16, 239}, 3, {120, 128, 128}, 3},
      {7, {240, 255, 0}, 3, {135, 255, 0}, 3},
      // Largest channel into all four bytes.
      {8, {0, 0, 0}, 255, {0, 0, 0}, 0},
      {8, {10, 200, 30}, 255, {200, 200, 200}, 200},
      // False colours: zone edges.
      {9, {255, 255, 255}, 0, {255, 0, 0}, 255},
      {9, {0, 0, 0}, 0, {50, 20, 48}, 255},
      // Mode 0 and modes from 10 up leave the pixel.
      {0, {1, 2, 3}, 4, {1, 2, 3}, 4},
      {10, {255, 0, 0}, 255, {255, 0, 0}, 255},
      {255, {0, 0, 0}, 255, {0, 0, 0}, 255},
  };
  for (const TModeCase& C : Cases) {
    SCOPED_TRACE(::testing::Message() << "mode " << int(C.Mode) << " in " << int(C.In.R) << ","
                                      << int(C.In.G) << "," << int(C.In.B));
    EXPECT_EQ(ThroughMode(C.Mode, C.In, C.A), Bgra(C.Out.B, C.Out.G, C.Out.R, C.OutA));
  }
}

TEST(DisplayMode, FalseColorZonesAndMargins) {
  EXPECT_EQ(FalseColorOf(23).R, 50);
  EXPECT_EQ(FalseColorOf(24).B, 106);
  EXPECT_EQ(FalseColorOf(231).G, 246);
  EXPECT_EQ(FalseColorOf(232).G, 0);
  // A 4 x 3 image with a margin of one column left and one row at the bottom:
  // only the 3 x 2 inner pixels change.
  TImage32 I;
  I.Alloc(4, 3);
  for (int32_t k = 0; k < I.Size; ++k) I.Pixels[k].Value = 0x01020304u;
  I.CopyMarginsFrom(1, 0, 0, 1);
  ProcessImage32DisplayMode(I, dmFalseColor);
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 4; ++x) {
      const bool Inner = x >= 1 && y <= 1;
      EXPECT_EQ(I.Row(y)[x].Value, Inner ? Bgra(48, 20, 50, 255) : 0x01020304u) << x << "," << y;
    }
}

TEST(DisplayMode, EveryModeLeavesTheMarginsAlone) {
  // A 4 x 3 view: one column of background on the left, one row on top. The
  // colour is one every mode changes.
  const uint32_t Background = Bgra(10, 0, 255, 200);
  for (uint8_t Mode = 1; Mode <= 9; ++Mode) {
    TImage32 I;
    ASSERT_TRUE(I.Alloc(4, 3));
    for (int64_t i = 0; i < I.Size; ++i) I.Pixels[i].Value = Background;
    I.CopyMarginsFrom(1, 0, 1, 0);
    ProcessImage32DisplayMode(I, Mode);
    EXPECT_NE(I.Row(2)[3].Value, Background) << int(Mode);  // the picture changes
    for (int32_t y = 0; y < 3; ++y)
      for (int32_t x = 0; x < 4; ++x)
        if (x == 0 || y == 0) EXPECT_EQ(I.Row(y)[x].Value, Background) << int(Mode) << " " << x << "," << y;
  }
}

TEST(DisplayMode, ClipWarningRefusesDifferentSizes) {
  kromel::testing::TErrorCapture Capture;
  TImage32 A, B;
  A.Init();
  B.Init();
  A.Alloc(2, 1);
  B.Alloc(1, 1);
  A.Pixels[0].Value = A.Pixels[1].Value = Bgra(255, 255, 255, 255);
  B.Pixels[0].Value = 7;
  ProcessImage32ClipWarning(A, B);
  EXPECT_EQ(B.Pixels[0].Value, 7u);
  ASSERT_EQ(kromel::testing::CapturedErrors().size(), 1u);
  EXPECT_EQ(kromel::testing::CapturedErrors()[0],
            "ProcessImage32ClipWarning error - sizes are different");
}

}  // namespace
}  // namespace kromel
