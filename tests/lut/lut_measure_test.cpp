#include "lut/lut_measure.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "colour/hsv_hsl.h"
#include "lut/lut.h"
#include "lut_test_support.h"

namespace kromel {
namespace {

using test::LutTest;
using test::MakeIdentity;
using test::Node;

class LutMeasureTest : public LutTest {};

void SetAlpha(T3DLut& Lut, float V) {
  for (int32_t i = 0; i < Lut.Count; ++i) Lut.A[i] = V;
}

TEST_F(LutMeasureTest, AverageDeltaE94) {
  T3DLut Id, Other;
  MakeIdentity(Id, 5);
  MakeIdentity(Other, 9);
  SetAlpha(Other, 1);
  EXPECT_NEAR(AverageDeltaE94(Id, Other), 0.0f, 1e-6f);
  EXPECT_NEAR(AverageDeltaE94(Id, Id), 0.0f, 1e-6f);
  for (int32_t i = 0; i < Other.Count; ++i) Other.R[i] = 0.5f * Other.R[i];
  const float Full = AverageDeltaE94(Id, Other);
  EXPECT_GT(Full, 1.0f);
  SetAlpha(Other, 0.5f);
  EXPECT_NEAR(AverageDeltaE94(Id, Other), Full / 2, Full * 1e-5f);
  SetAlpha(Other, 0);  // weights 0: 0 whatever the colours
  EXPECT_EQ(AverageDeltaE94(Id, Other), 0.0f);
  EXPECT_TRUE(Messages().empty());

  T3DLut Empty;
  EXPECT_EQ(AverageDeltaE94(Empty, Other), 0.0f);  // no nodes: 0
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(AverageDeltaE94(Id, Empty), 0.0f);
  EXPECT_TRUE(Reported("Error in T3DLut.AverageDeltaE94 - LUT empty"));
}

TEST_F(LutMeasureTest, AverageRGBDifference) {
  T3DLut Id, Other;
  MakeIdentity(Id, 5);
  MakeIdentity(Other, 3);
  EXPECT_NEAR(AverageRGBDifference(Id, Other), 0.0f, 1e-6f);
  for (int32_t i = 0; i < Id.Count; ++i) {
    Id.R[i] += 0.1f;
    Id.B[i] -= 0.05f;
  }
  EXPECT_NEAR(AverageRGBDifference(Id, Other), 0.15f, 1e-6f);
  T3DLut Empty;
  EXPECT_EQ(AverageRGBDifference(Empty, Other), 0.0f);
  EXPECT_EQ(AverageRGBDifference(Id, Empty), 0.0f);
  EXPECT_TRUE(Reported("Error in T3DLut.AverageRGBDifference - LUT empty"));
}

TEST_F(LutMeasureTest, HSLVariabilityOfAnIdentity) {
  T3DLut Id;
  MakeIdentity(Id, 17);
  const float Colours[][3] = {
      {0.8f, 0.3f, 0.2f}, {0.2f, 0.5f, 0.7f}, {0.5f, 0.5f, 0.5f}, {0.02f, 0.01f, 0.01f},
      {0.8f, 0.2f, 0.21f},  // hue just below 1: the probes straddle the wrap
      {0.8f, 0.21f, 0.2f},  // hue just above 0
  };
  for (const auto& C : Colours) {
    float dH, dS, dL;
    GetHSLVariability(Id, C[0], C[1], C[2], dH, dS, dL);
    EXPECT_NEAR(dH, 1.0f, 0.02f) << C[0] << " " << C[1] << " " << C[2];
    EXPECT_NEAR(dS, 1.0f, 0.02f) << C[0] << " " << C[1] << " " << C[2];
    EXPECT_NEAR(dL, 1.0f, 0.02f) << C[0] << " " << C[1] << " " << C[2];
  }
  // A LUT that doubles the lightness change around mid grey.
  T3DLut Steep;
  MakeIdentity(Steep, 17);
  for (int32_t i = 0; i < Steep.Count; ++i)
    for (float* P : {Steep.R, Steep.G, Steep.B}) P[i] = 2 * P[i] - 0.5f;
  float dH, dS, dL;
  GetHSLVariability(Steep, 0.5f, 0.45f, 0.45f, dH, dS, dL);
  EXPECT_NEAR(dL, 2.0f, 0.02f);
  EXPECT_TRUE(Messages().empty());
  T3DLut Empty;
  GetHSLVariability(Empty, 0.5f, 0.5f, 0.5f, dH, dS, dL);
  EXPECT_EQ(dH, 0.0f);
  EXPECT_EQ(Messages().size(), 1u);
}

// The 144 x 10 x 16 mask grid: hue along red, saturation along green,
// lightness along blue.
class HSLPaintTest : public LutMeasureTest {
 protected:
  void SetUp() override {
    LutMeasureTest::SetUp();
    ASSERT_TRUE(Mask.SetLevels(144, 10, 16));
    for (int32_t i = 0; i < Mask.Count; ++i) Mask.A[i] = 0.5f;
    Mask.OnChange = [this](TLut*) { ++Changes; };
  }
  // Painted nodes (R = 1); fails on any node painted only partly.
  int CountPainted() const {
    int N = 0;
    for (int32_t i = 0; i < Mask.Count; ++i) {
      if (Mask.R[i] == 1) {
        EXPECT_EQ(Mask.G[i], 0.5f);
        EXPECT_EQ(Mask.B[i], 0.25f);
        ++N;
      }
      EXPECT_EQ(Mask.A[i], 0.5f);
    }
    return N;
  }
  bool Painted(int32_t h, int32_t s, int32_t l) const { return Mask.R[Node(Mask, l, s, h)] == 1; }
  T3DLut Mask;
  int Changes = 0;
};

// (0.25, 0.75, 0.75) is exactly H = S = L = 0.5.
TEST_F(HSLPaintTest, BoxAroundTheCentreLevels) {
  const float R = 0.25f, G = 0.75f, B = 0.75f;
  PaintHSLBox(Mask, R, G, B, 1, 0.5f, 0.25f, 0, 0, 0);
  EXPECT_EQ(Changes, 1);
  EXPECT_EQ(CountPainted(), 8);
  for (int32_t h : {71, 72})
    for (int32_t s : {4, 5})
      for (int32_t l : {7, 8}) EXPECT_TRUE(Painted(h, s, l)) << h << " " << s << " " << l;

  Mask.ZeroData();
  PaintHSLBox(Mask, R, G, B, 1, 0.5f, 0.25f, 2, 1, 3);
  EXPECT_EQ(CountPainted(), 6 * 4 * 8);
  EXPECT_TRUE(Painted(69, 3, 4));
  EXPECT_TRUE(Painted(74, 6, 11));
  EXPECT_FALSE(Painted(75, 6, 11));
}

TEST_F(HSLPaintTest, GreyPaintsTheWholeRingAtSaturationZero) {
  PaintHSLBox(Mask, 0.5f, 0.5f, 0.5f, 1, 0.5f, 0.25f, 0, 0, 0);
  // Saturation rows 0 (whole ring) and 1 (hue levels 0 and 1); lightness 7, 8.
  EXPECT_EQ(CountPainted(), 2 * (144 + 2));
  EXPECT_TRUE(Painted(100, 0, 7));
  EXPECT_TRUE(Painted(1, 1, 8));
  EXPECT_FALSE(Painted(2, 1, 8));
  // A faint cyan (hue level 71, saturation level 0) also takes the ring.
  Mask.ZeroData();
  PaintHSLBox(Mask, 0.49f, 0.51f, 0.51f, 1, 0.5f, 0.25f, 0, 0, 0);
  EXPECT_EQ(CountPainted(), 2 * (144 + 2));
  EXPECT_TRUE(Painted(0, 0, 7));
  EXPECT_TRUE(Painted(72, 1, 8));
  EXPECT_FALSE(Painted(0, 1, 8));
}

TEST_F(HSLPaintTest, HueWrapsAndUpperEdgesClamp) {
  // Hue 1 (a red a hair towards blue): hue level 143, saturation level 9
  // (the top), lightness level 7.
  float H, S, L;
  RGBtoHSL(H, S, L, 1, 0, 1e-7f);
  ASSERT_EQ(H, 1.0f);
  PaintHSLBox(Mask, 1, 0, 1e-7f, 1, 0.5f, 0.25f, 1, 0, 0);
  EXPECT_TRUE(Painted(142, 9, 7));
  EXPECT_TRUE(Painted(143, 9, 8));
  EXPECT_TRUE(Painted(0, 9, 7));
  EXPECT_TRUE(Painted(1, 9, 8));
  EXPECT_FALSE(Painted(2, 9, 8));
  EXPECT_EQ(CountPainted(), 4 * 1 * 2);  // hue 142..145 wrapped, s 9 only, l 7..8
}

TEST_F(HSLPaintTest, HugeOrNegativeHalfWidthsStayInside) {
  PaintHSLBox(Mask, 0.8f, 0.3f, 0.2f, 1, 0.5f, 0.25f, INT32_MAX, INT32_MAX, INT32_MAX);
  EXPECT_EQ(CountPainted(), Mask.Count);
  Mask.ZeroData();
  PaintHSLBox(Mask, 0.8f, 0.3f, 0.2f, 1, 0.5f, 0.25f, -5, 0, 0);
  EXPECT_EQ(CountPainted(), 0);
  PaintHSLBox(Mask, 0.8f, 0.3f, 0.2f, 1, 0.5f, 0.25f, INT32_MIN, INT32_MIN, INT32_MIN);
  EXPECT_EQ(CountPainted(), 0);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(HSLPaintTest, SetHSLNodeRoundsToTheNearestNode) {
  SetHSLNode(Mask, 0.25f, 0.75f, 0.75f, 1, 0.5f, 0.25f);
  EXPECT_EQ(Changes, 1);
  EXPECT_EQ(CountPainted(), 1);
  EXPECT_TRUE(Painted(72, 4, 8));  // 71.5 and 7.5 round to even, 4.5 to 4
}

TEST_F(HSLPaintTest, RefusesEmptyLutsAndNaNColours) {
  const float NaN = std::numeric_limits<float>::quiet_NaN();
  PaintHSLBox(Mask, NaN, 0.5f, 0.5f, 1, 0.5f, 0.25f, 1, 1, 1);
  SetHSLNode(Mask, 0.5f, NaN, 0.5f, 1, 0.5f, 0.25f);
  EXPECT_EQ(CountPainted(), 0);
  EXPECT_EQ(Changes, 0);
  T3DLut Empty;
  PaintHSLBox(Empty, 0.5f, 0.5f, 0.5f, 1, 1, 1, 0, 0, 0);
  SetHSLNode(Empty, 0.5f, 0.5f, 0.5f, 1, 1, 1);
  EXPECT_EQ(Messages().size(), 4u);
}

}  // namespace
}  // namespace kromel
