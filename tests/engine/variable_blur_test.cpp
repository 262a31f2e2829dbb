#include "engine/variable_blur.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/test_support.h"

namespace kromel {
namespace {

struct TImage {
  TImage64 I;
  TImage(int32_t W, int32_t H, uint16_t Grey) {
    EXPECT_TRUE(I.Alloc(W, H));
    I.Fill({Grey, Grey, Grey, 65535});
  }
  TPixel64& At(int32_t X, int32_t Y) { return I.Row(Y)[X]; }
};

using VariableBlurTest = testing::TCaptureTest;

// Radius x 100 into alpha and green: the distance to the marked pixel, 0 on
// the border, the largest radius where nothing is marked.
TEST_F(VariableBlurTest, FindBlackRadiusMeasuresTheDistance) {
  TImage M(21, 21, 0);
  M.At(10, 10).R = 30000;
  FindBlackRadius(M.I, 50);
  EXPECT_EQ(M.At(13, 10).A, 300);
  EXPECT_EQ(M.At(13, 10).G, 300);
  EXPECT_EQ(M.At(10, 6).A, 400);
  EXPECT_EQ(M.At(13, 14).A, 500);  // (3, 4) away
  EXPECT_EQ(M.At(0, 10).A, 0);
  TImage Empty(40, 40, 0);
  FindBlackRadius(Empty.I, 5);
  EXPECT_EQ(Empty.At(20, 20).A, 500);
  EXPECT_EQ(Empty.At(2, 20).A, 200);
}

// A radius of 1 averages the cross of five pixels (integer division); a
// pixel on the border keeps its value.
TEST_F(VariableBlurTest, Image64VariableBlurAveragesTheDisc) {
  TImage Im(9, 9, 0);
  Im.I.SetAlpha(0);
  Im.At(5, 4).R = 503;
  Im.At(4, 4).A = 100;
  Im.At(0, 4).A = 100;
  Im.At(0, 4).G = 7;
  Image64VariableBlur(Im.I, 0.01f);
  EXPECT_EQ(Im.At(4, 4).R, 100);
  EXPECT_EQ(Im.At(4, 4).A, 100);
  EXPECT_EQ(Im.At(5, 4).R, 503);
  EXPECT_EQ(Im.At(0, 4).G, 7);
}

TEST_F(VariableBlurTest, SplitDetailLayerOfAFlatImage) {
  TImage Im(30, 20, 20000);
  TImage64 Detail;
  SplitDetailLayer(Im.I, Detail, 7);
  ASSERT_EQ(Detail.Size, Im.I.Size);
  for (int32_t K = 0; K < Detail.Size; ++K) {
    ASSERT_EQ(Detail.Pixels[K].R, 32768);
    ASSERT_EQ(Im.I.Pixels[K].G, 20000);
  }
}

// Left half flat grey, right half a checkerboard of 12-pixel blocks: the
// mask marks the detailed half only (a marked pixel still measures radius
// 1), the flat half stays flat and the checkerboard keeps its contrast.
TEST_F(VariableBlurTest, ProcessVariableBlurKeepsDetailAndFlatAreas) {
  auto Make = [](TImage& Im) {
    for (int32_t Y = 0; Y < 60; ++Y)
      for (int32_t X = 60; X < 120; ++X) {
        const uint16_t V = (X / 12 + Y / 12) % 2 ? 60000 : 5000;
        Im.At(X, Y) = {V, V, V, 65535};
      }
  };
  TImage MaskView(120, 60, 30000);
  Make(MaskView);
  ProcessVariableBlur(MaskView.I, 5000, 2000, 300, 1);
  EXPECT_EQ(MaskView.At(78, 30).R, 65535);
  EXPECT_EQ(MaskView.At(20, 30).R, 0);

  TImage Radii(120, 60, 30000);
  Make(Radii);
  ProcessVariableBlur(Radii.I, 5000, 2000, 300, 2);
  EXPECT_EQ(Radii.At(78, 30).R, 100);
  EXPECT_GT(Radii.At(20, 30).R, 1000);

  TImage Im(120, 60, 30000);
  Make(Im);
  ProcessVariableBlur(Im.I, 5000, 2000, 300, 0);
  EXPECT_NEAR(Im.At(20, 30).R, 30000, 2);
  EXPECT_GT(std::abs(int32_t(Im.At(78, 30).R) - Im.At(90, 30).R), 40000);
}

}  // namespace
}  // namespace kromel
