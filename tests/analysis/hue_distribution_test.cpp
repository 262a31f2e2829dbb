#include "analysis/hue_distribution.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "colour/colour_models.h"
#include "support/test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

TSample32 Buffer(const std::vector<float>& V) {
  TSample32 S;
  S.Init();
  S.Alloc(int64_t(V.size()));
  for (size_t I = 0; I < V.size(); ++I) S.Data[I] = V[I];
  return S;
}

TSample32 Zeros(int64_t N) { return Buffer(std::vector<float>(size_t(N), -1.0f)); }

// A cleared 128 x 128 plane with the given densities at (dx, dy) from the
// centre (64, 64).
struct TPlane64 {
  TPlane64() {
    Image.Init();
    Image.Alloc(128, 128);
    Image.Fill(TPixel64{});
  }
  void Set(int32_t Dx, int32_t Dy, uint16_t A) { Image.Pixels[(64 + Dy) * 128 + 64 + Dx].A = A; }
  TImage64 Image;
};

}  // namespace

TEST(InterpolateCircularGaps, FillsRunsAroundTheCircle) {
  const float X = -9;
  const struct {
    std::vector<float> Weights, Values, Expected;
  } Cases[] = {
      {{0, 5, 0, 0, 0, 7, 0, 0},
       {X, 10, X, X, X, 20, X, X},
       {10, 10, 10 + 10 / 3.0f, 10 + 20 / 3.0f, 20, 20, 20 - 10 / 3.0f, 20 - 20 / 3.0f}},
      {{0, 0, 0, 0}, {1, 2, 3, 4}, {1, 2, 3, 4}},
      {{0, 0, 3, 0, 0}, {1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}},
      // Neighbours with one empty bin between: j = 2 and f = 1.
      {{1, 0, 1, 0}, {4, X, 8, X}, {4, 8, 8, 4}},
  };
  for (const auto& C : Cases) {
    TSample32 V = Buffer(C.Values), W = Buffer(C.Weights);
    InterpolateCircularGaps(V, W);
    for (size_t I = 0; I < C.Expected.size(); ++I) EXPECT_NEAR(V.Data[I], C.Expected[I], 1e-5) << I;
    V.Dispose();
    W.Dispose();
  }
}

TEST(HueHistogramFromPlot, CellsFallIntoTheBinOfTheirAngle) {
  const int32_t N = 32;
  const struct {
    int32_t Dx, Dy;
    int64_t Bin;
    float Weight;  // (k + 1), k = round(rr 8/64)
  } Cases[] = {
      {20, 0, N / 4, 5},   // rr 31.25, k 4
      {0, 20, N / 2, 5},   // straight below
      {-1, -40, 0, 9},     // just left of straight up: within half a bin of 0
      {-10, -40, N - 1, 9},
      {2, 0, N / 4, 1},  // rr 3.125 passes the limit of 2 when nothing lies farther out
  };
  for (const auto& C : Cases) {
    TPlane64 P;
    P.Set(C.Dx, C.Dy, 7);
    TSample32 Hue = Zeros(N), Sat = Zeros(N);
    CalcHueHistogramFromPlot(P.Image, Hue, Sat);
    const double RR = std::hypot(C.Dx, C.Dy) / 64 * 100;
    // S is 7 unless the cell is within 2 pixels of the centre.
    const double S = std::hypot(C.Dx, C.Dy) > 2 ? 7 : 0;
    for (int64_t K = 0; K < N; ++K) {
      EXPECT_FLOAT_EQ(Hue.Data[K], K == C.Bin ? 7 * C.Weight : 0.0f) << C.Dx << "," << C.Dy << " " << K;
      EXPECT_NEAR(Sat.Data[K], K == C.Bin ? 7 * RR / (S / 100 + 7) : 0.0, 1e-4) << K;
    }
    Hue.Dispose();
    Sat.Dispose();
  }
  // One pixel from the centre (rr 1.5625) is left out.
  TPlane64 P;
  P.Set(1, 0, 7);
  TSample32 Hue = Zeros(N), Sat = Zeros(N);
  CalcHueHistogramFromPlot(P.Image, Hue, Sat);
  EXPECT_EQ(Hue.Max(), 0.0f);
  EXPECT_EQ(Hue.Min(), 0.0f);
  // A short saturation buffer is refused, not overrun.
  TSample32 Short = Zeros(N - 1);
  P.Set(20, 0, 7);
  CalcHueHistogramFromPlot(P.Image, Hue, Short);
  EXPECT_EQ(Hue.Max(), 0.0f);
  for (TSample32* B : {&Hue, &Sat, &Short}) B->Dispose();
}

TEST(HueHistogramFromPlot, MatchingAddsLightnessAndFillsSaturationGaps) {
  TImage96 Plane;
  Plane.Alloc(128, 128);
  Plane.Fill(TPixel96{});
  // Bins 4 (right) and 0 (up) of 16, lightness 30 and 70.
  Plane.Pixels[64 * 128 + 64 + 20] = {0, 0, 0, 10, 30};
  Plane.Pixels[(64 - 40) * 128 + 64] = {0, 0, 0, 10, 70};
  const int32_t N = 16;
  TSample32 Hue = Zeros(N), Sat = Zeros(N), Light = Zeros(N);
  CalcHueDistributionForMatching(Plane, Hue, Sat, Light);
  const double D = 20.0 / 100 + 10;
  EXPECT_NEAR(Light.Data[4], 30 * 10 / D, 1e-4);
  EXPECT_NEAR(Light.Data[0], 70 * 10 / D, 1e-4);
  EXPECT_EQ(Light.Data[8], 0.0f);  // not gap-filled
  const float S0 = Sat.Data[0], S4 = Sat.Data[4];
  EXPECT_NEAR(S4, 10 * 31.25 / D, 1e-3);
  EXPECT_NEAR(S0, 10 * 62.5 / D, 1e-3);
  // 0 -> 4 over bins 1..3 (f = k/2), then 4 -> 0 round the end over 5..15
  // (f = k/10).
  EXPECT_NEAR(Sat.Data[2], S0 + (S4 - S0) * 2 / 3, 1e-3);
  EXPECT_NEAR(Sat.Data[3], S4, 1e-3);
  EXPECT_NEAR(Sat.Data[10], S4 + (S0 - S4) * 6 / 11, 1e-3);
  EXPECT_NEAR(Sat.Data[15], S0, 1e-3);
  for (TSample32* B : {&Hue, &Sat, &Light}) B->Dispose();
}

namespace {

uint32_t ModelColour(float L, float A, float B) {
  float R, G, Bl;
  CurrentModelToRGB.load()(L, A, B, R, G, Bl);
  return uint32_t(std::nearbyint(R * 255)) << 16 | uint32_t(std::nearbyint(G * 255)) << 8 |
         uint32_t(std::nearbyint(Bl * 255));
}

}  // namespace

TEST(DrawHuesScale, RowsFollowTheRunningSumOfTheHistogram) {
  TImage32 Scale;
  Scale.Alloc(3, 40);
  TSample32 Hue = Buffer({0, 0, 6, 0, 0, 0, 0, 0});
  TSample32 Sat = Buffer({20, 20, 20, 20, 20, 20, 20, 20});
  TSample32 Light = Buffer({50, 50, 50, 50, 50, 50, 50, 50});
  DrawHuesScale(Scale, Hue, Sat, Light);
  // Running sum 0,0,0,1,..: rows of fraction 0 read hue 0, row 39 (7/8)
  // the hue (2 + 7/8)/8 inside bin 2's span.
  const double H = 2.875 / 8;
  EXPECT_EQ(Scale.GetPixel(0, 0), ModelColour(50, 0, 40));
  EXPECT_EQ(Scale.GetPixel(2, 5), ModelColour(50, 0, 40));
  const uint32_t Last = ModelColour(50, float(std::sin(2 * std::numbers::pi * H) * 40), float(std::cos(2 * std::numbers::pi * H) * 40));
  for (int X = 0; X < 3; ++X) EXPECT_EQ(Scale.GetPixel(X, 39), Last);
  EXPECT_NE(Scale.GetPixel(0, 6), Scale.GetPixel(0, 5));
  DrawHuesScaleFixedLightness(Scale, Hue, Sat);
  EXPECT_EQ(Scale.GetPixel(1, 0), ModelColour(40, 0, 40));
  for (TSample32* S : {&Hue, &Sat, &Light}) S->Dispose();
}

class DrawHuesScaleInput : public TCaptureTest {};

TEST_F(DrawHuesScaleInput, MissingImageOrHistogramIsReportedAndNothingDrawn) {
  TSample32 Hue = Buffer({1, 2}), Sat = Buffer({1, 1});
  TImage32 None;
  DrawHuesScale(None, Hue, Sat, Sat);
  TImage32 Scale;
  Scale.Alloc(2, 2);
  Scale.Fill(0xFF00FF);
  TSample32 Empty;
  Empty.Init();
  DrawHuesScaleFixedLightness(Scale, Empty, Sat);
  EXPECT_EQ(Scale.GetPixel(1, 1), Scale.GetPixel(0, 0));
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Error in DrawHuesScale - ScaleImg is nil",
                                                  "Error in DrawHuesScale - HueValues is nil"}));
  Hue.Dispose();
  Sat.Dispose();
}
