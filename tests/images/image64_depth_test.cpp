#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "image_test_support.h"
#include "images/image128.h"
#include "images/image64.h"

using namespace kromel;
using namespace kromel::test;

namespace {

const TPixel64 Far{0, 0, 0, 65535};

std::vector<int32_t> Written(const TImage64& I) {
  std::vector<int32_t> Out;
  for (int32_t K = 0; K < I.Size; ++K)
    if (!(I.Pixels[K] == Far)) Out.push_back(K);
  return Out;
}

TEST(Image64Depth, DiscSpansAndEqualDepths) {
  TImage64 I = Make64(5, 5, Far);
  I.FillCircleDepth(2, 2, 1, {9, 9, 9, 100});
  EXPECT_EQ(Written(I), (std::vector<int32_t>{12}));
  I.FillCircleDepth(2, 2, 2, {7, 7, 7, 200});  // behind the centre pixel
  EXPECT_EQ(Written(I), (std::vector<int32_t>{6, 7, 8, 11, 12, 13, 16, 17, 18}));
  EXPECT_EQ(I.Row(2)[2].R, 9);
  I.FillCircleDepth(2, 2, 2, {5, 5, 5, 200});  // equal depth: not written
  EXPECT_EQ(I.Row(1)[1].R, 7);
}

// Nearer shapes win whatever order they are drawn in.
TEST(Image64Depth, OverlappingShapesAreOrderedByDepth) {
  const TPixel64 Near{65535, 0, 0, 1000}, Back{0, 65535, 0, 2000};
  for (const bool NearFirst : {true, false}) {
    TImage64 I = Make64(20, 10, Far);
    if (NearFirst) I.FillCircleDepth(8, 5, 4, Near);
    I.FillCircleDepth(12, 5, 4, Back);
    if (!NearFirst) I.FillCircleDepth(8, 5, 4, Near);
    I.FillTriangleDepth(0, 0, 19, 0, 10, 9, {0, 0, 65535, 1500}, {0, 0, 65535, 1500},
                        {0, 0, 65535, 1500});
    EXPECT_EQ(I.Row(5)[10], Near) << NearFirst;  // the overlap of the discs
    EXPECT_EQ(I.Row(5)[14], (TPixel64{0, 0, 65535, 1500})) << NearFirst;
    EXPECT_EQ(I.Row(5)[6], Near);
  }
}

TEST(Image64Depth, TriangleIgnoresCornerOrderAndStaysInside) {
  const TPixel64 A{60000, 0, 0, 100}, B{0, 60000, 0, 100}, C{0, 0, 60000, 100};
  TImage64 First = Make64(16, 16, Far);
  First.FillTriangleDepth(1, 1, 14, 5, 6, 14, A, B, C);
  const std::array<std::array<int32_t, 3>, 5> Orders = {
      {{1, 0, 2}, {2, 1, 0}, {0, 2, 1}, {1, 2, 0}, {2, 0, 1}}};
  const int32_t X[3] = {1, 14, 6}, Y[3] = {1, 5, 14};
  const TPixel64 Cs[3] = {A, B, C};
  for (const auto& O : Orders) {
    TImage64 I = Make64(16, 16, Far);
    I.FillTriangleDepth(X[O[0]], Y[O[0]], X[O[1]], Y[O[1]], X[O[2]], Y[O[2]], Cs[O[0]], Cs[O[1]],
                        Cs[O[2]]);
    EXPECT_EQ(Written(I), Written(First));
  }
  const TPixel64 Centre = First.Row(7)[7];
  EXPECT_GT(Centre.R, 0);
  EXPECT_GT(Centre.G, 0);
  EXPECT_GT(Centre.B, 0);

  // Corners far outside are clipped, not written through.
  TImage64 Small = Make64(4, 3, Far);
  Small.FillTriangleDepth(-100000, -5, 2000000000, 1, 3, 2000000000, A, B, C);
  Small.FillTriangleDepth(-50, -50, -10, -40, -30, -5, A, B, C);
  Small.FillCircleDepth(-100, -100, 50, A);
  Small.DrawSphereDepth(2000000000, 1, 5, 100, 1000, A);
  EXPECT_FALSE(Written(Small).empty());
  // All on one row: the span between the first two corners.
  TImage64 Row = Make64(8, 1, Far);
  Row.FillTriangleDepth(1, 0, 4, 0, 7, 0, A, A, A);
  EXPECT_EQ(Written(Row), (std::vector<int32_t>{1, 2, 3, 4}));
}

TEST(Image64Depth, SphereDepthsAndShading) {
  TImage64 I = Make64(40, 40, Far);
  I.DrawSphereDepth(20, 20, 10, 3000, 0, {0, 0, 0, 500});
  EXPECT_EQ(I.Row(15)[15], (TPixel64{0, 0, 0, 500}));  // the highlight point
  EXPECT_EQ(I.Row(20)[20].R, 0);
  EXPECT_EQ(I.Row(0)[0], Far);
  I.Fill(Far);
  I.DrawSphereDepth(20, 20, 10, 3000, 20000, {30000, 30000, 30000, 500});
  EXPECT_GT(I.Row(15)[15].R, 30000);  // brighter at the highlight
  EXPECT_LT(I.Row(26)[26].R, 30000);  // darker on the far side
  const TPixel64 Rim = I.Row(20)[29];
  EXPECT_GT(Rim.A, 500 + 3000);  // the rim's depth plus DepthScale
}

TEST(Image128Text, InkOnlyWhereFullyCoveredAndClipped) {
  TImage128 I;
  I.Alloc(60, 30);
  I.Fill({0, 0, 0, 0});
  I.DrawText(30, 5, "Hi", 16, {0, 0, 1, 1});
  int32_t Inked = 0;
  for (int32_t K = 0; K < I.Size; ++K) Inked += I.Data[K].R == 1;
  EXPECT_GT(Inked, 20);
  I.DrawText(-1000, 5, "Hi", 16, {0, 0, 1, 1});
  I.DrawText(59, 25, "Hello there", 40, {0, 0, 1, 1});
}

}  // namespace
