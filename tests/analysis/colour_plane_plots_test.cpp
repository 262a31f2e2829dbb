#include "analysis/colour_plane_plots.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "colour/colour_models.h"
#include "lut/lut.h"
#include "support/test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

TImage32 MakeImage32(int32_t W, int32_t H, uint32_t Value) {
  TImage32 I;
  I.Alloc(W, H);
  for (int32_t K = 0; K < I.Size; ++K) I.Pixels[K].Value = Value;
  return I;
}

// Restores the colour model a test switches.
struct TModelGuard {
  TModelGuard() : Saved(CurrentColorModel().Model) {}
  ~TModelGuard() { SetColorModel(Saved); }
  int Saved;
};

uint8_t AlphaAt(const TImage32& I, int32_t X, int32_t Y) { return I.Pixels[Y * I.Width + X].BGRA.A; }

}  // namespace

TEST(ColorPlaneBackground, FrameAndFrameOnlyInterior) {
  TImage32 Small = MakeImage32(4, 4, 0xFFFFFFFF);
  FillColorPlaneBackground(Small, 40, false);
  for (int32_t K = 0; K < 16; ++K) EXPECT_EQ(Small.Pixels[K].Value, 0x606060u) << K;
  TImage32 Big = MakeImage32(40, 40, 0xFFFFFFFF);
  FillColorPlaneBackground(Big, 40, true);
  auto Band = [](int32_t V) { return (V >= 2 && V <= 15) || (V >= 25 && V <= 37); };
  auto Inside = [](int32_t V) { return V >= 2 && V <= 37; };
  for (int32_t Y = 0; Y < 40; ++Y)
    for (int32_t X = 0; X < 40; ++X) {
      const uint32_t V = Big.GetPixel(X, Y);
      const bool Colour = Inside(X) && Inside(Y) && (Band(X) || Band(Y));
      if (Colour)
        EXPECT_EQ(V & 0xFF010101u, 0u) << X << "," << Y;  // low bits and alpha clear
      else
        EXPECT_EQ(V, 0x606060u) << X << "," << Y;
    }
  // Top left of the plane is (a, b) = (-100 + 10, 100 - 10) at lightness 40.
  float R, G, B;
  CurrentModelToRGB.load()(40, 2.0f / 40 * 200 - 100, (1 - 2.0f / 40) * 200 - 100, R, G, B);
  const uint32_t Expected = (uint32_t(std::nearbyint(R * 255)) << 16 |
                             uint32_t(std::nearbyint(G * 255)) << 8 | uint32_t(std::nearbyint(B * 255))) &
                            0xFEFEFE;
  EXPECT_EQ(Big.GetPixel(2, 2), Expected);
}

TEST(ColorPlaneBackground, IttenRowsIgnoreTheGivenLightness) {
  TModelGuard Guard;
  TImage64 A, B;
  A.Init();
  B.Init();
  A.Alloc(20, 20);
  B.Alloc(20, 20);
  A.Fill({1, 2, 3, 77});
  B.Fill({1, 2, 3, 77});
  SetColorModel(cmHSPItten);
  FillColorPlaneBackgroundImage64(A, 10, false);
  FillColorPlaneBackgroundImage64(B, 90, false);
  for (int32_t K = 0; K < A.Size; ++K) ASSERT_EQ(A.Pixels[K], B.Pixels[K]) << K;
  EXPECT_EQ(A.Pixels[0], (TPixel64{0x6000, 0x6000, 0x6000, 77}));
  SetColorModel(cmLAB);
  FillColorPlaneBackgroundImage64(A, 10, false);
  FillColorPlaneBackgroundImage64(B, 90, false);
  EXPECT_NE(A.Pixels[10 * 20 + 10], B.Pixels[10 * 20 + 10]);
  EXPECT_EQ(A.Pixels[10 * 20 + 10].A, 77);
}

TEST(CenterCross, LightensEveryOtherPixelAndKeepsAlphaAndExtra) {
  TImage96 I;
  I.Alloc(8, 8);
  I.Fill({0, 0, 0, 5, 99});
  DrawCenterCross64(I);
  for (int32_t Y = 0; Y < 8; ++Y)
    for (int32_t X = 0; X < 8; ++X) {
      const TPixel96& P = I.Pixels[Y * 8 + X];
      const bool OnColumn = X == 4 && Y % 2 == 0, OnRow = Y == 4 && X % 2 == 0;
      const uint16_t Expected = OnColumn && OnRow ? 0x6FFE : (OnColumn || OnRow ? 0x3FFF : 0);
      EXPECT_EQ(P.R, Expected) << X << "," << Y;
      EXPECT_EQ(P.B, Expected);
      EXPECT_EQ(P.A, 5);
      EXPECT_EQ(P.Extra, 99u);
    }
}

TEST(ABLDistribution, DifferentSizesAreReportedAndLeftAlone) {
  TCaptureTest::SetUpTestSuite();
  THeadlessMessageSink Sink;
  Sink.EchoToStderr = false;
  SetMessageSink(&Sink);
  ResetMessageState();
  TImage32 AL = MakeImage32(100, 50, 7), BL = MakeImage32(100, 60, 7), BW = MakeImage32(90, 50, 7);
  DrawABLDistribution(AL, BL, 0.5f, 1, false);
  DrawABLDistribution(AL, BW, 0.5f, 1, false);
  EXPECT_EQ(Sink.Messages(),
            (std::vector<std::string>{"Error in DrawABLDistribution: ImgAL and ImgBL Height differ",
                                      "Error in DrawABLDistribution: ImgAL and ImgBL width differ"}));
  EXPECT_EQ(AL.GetPixel(50, 25), 7u);
  EXPECT_EQ(BL.GetPixel(50, 25), 7u);
  // Equal sizes: half-strength colour over dark grey, the centre column neutral.
  TImage32 Twin = MakeImage32(100, 50, 7);
  DrawABLDistribution(AL, Twin, 0.5f, 1, false);
  EXPECT_EQ(AL.GetPixel(0, 0), 0x606060u);
  for (const TImage32* I : {&AL, &Twin}) {
    const uint32_t V = I->GetPixel(30, 20);
    for (int Shift : {0, 8, 16}) EXPECT_GE((V >> Shift) & 0xFF, 0x40u);
    EXPECT_EQ(V >> 24, 0u);
  }
  SetMessageSink(nullptr);
  ResetMessageState();
}

TEST(ColorDistributionPlots, GreyCountsOnlyInThePlainPlotAndDensitiesSaturate) {
  TImage32 Source = MakeImage32(10, 30, 0xFF808080);  // 300 opaque grey pixels
  TImage32 Plane = MakeImage32(9, 9, 0);
  PlotColorDistribution(Source, Plane, 4, 4, 1, 1, 0);
  EXPECT_EQ(AlphaAt(Plane, 4, 4), 255);  // 300 hits stay at 255
  TImage32 Hi = MakeImage32(9, 9, 0), Lo = MakeImage32(9, 9, 0);
  PlotColorDistributionPair(Source, Hi, Lo, 4, 4, 1, 1, 50);
  TImage64 P64;
  P64.Alloc(9, 9);
  P64.Fill({});
  PlotHueDistribution(Source, P64, 0, 100, 4, 4, 1, 1);
  int Total = 0;
  for (int32_t K = 0; K < 81; ++K) Total += Hi.Pixels[K].BGRA.A + Lo.Pixels[K].BGRA.A + P64.Pixels[K].A;
  EXPECT_EQ(Total, 0);
  // Black, white and transparent pixels are not plotted at all.
  TImage32 Edges = MakeImage32(3, 1, 0xFF000000);
  Edges.Pixels[1].Value = 0xFFFFFFFF;
  Edges.Pixels[2].Value = 0x00FF0000;
  TImage32 Empty = MakeImage32(9, 9, 0);
  PlotColorDistribution(Edges, Empty, 4, 4, 1, 1, 0);
  for (int32_t K = 0; K < 81; ++K) EXPECT_EQ(Empty.Pixels[K].BGRA.A, 0) << K;
  // Saturated colours far off the scale pile up on the edges; the last
  // column never gets density.
  TImage32 Red = MakeImage32(4, 4, 0xFFFF0000), Blue = MakeImage32(4, 4, 0xFF0000FF);
  for (TImage32* S : {&Red, &Blue}) {
    PlotColorDistributionPair(*S, Hi, Lo, 4, 4, 100, 100, -1);
    PlotHueDistribution(*S, P64, 0, 100, 4, 4, 100, 100);
  }
  for (int32_t Y = 0; Y < 9; ++Y) {
    EXPECT_EQ(AlphaAt(Hi, 8, Y), 0);
    EXPECT_EQ(P64.Pixels[Y * 9 + 8].A, 0);
  }
  int HiTotal = 0, P64Total = 0;
  for (int32_t K = 0; K < 81; ++K) {
    HiTotal += Hi.Pixels[K].BGRA.A;
    P64Total += P64.Pixels[K].A;
  }
  EXPECT_EQ(HiTotal, 32);
  EXPECT_EQ(P64Total, 32);
}

TEST(ColorDistributionPlots, LutPlotKeepsTheMeanLightnessOfEachCell) {
  // Scale 0: every chromatic pixel lands on the centre cell (3, 3).
  TImage32 Source = MakeImage32(3, 1, 0xFFFF0000);
  Source.Pixels[1].Value = 0xFF00C000;
  Source.Pixels[2].Value = 0xFF808080;  // neutral: skipped
  TImage96 Plane;
  Plane.Alloc(7, 7);
  Plane.Fill({});
  PlotColorDistributionLUT(Source, Plane, nullptr, 0, 100, 3, 3, 0, 0);
  float L1, L2, A, B;
  CurrentRGBToModel.load()(1, 0, 0, L1, A, B);
  CurrentRGBToModel.load()(0, 192 / 255.0f, 0, L2, A, B);
  const TPixel96& Cell = Plane.Pixels[3 * 7 + 3];
  EXPECT_EQ(Cell.A, 2);
  EXPECT_EQ(Cell.Extra, uint32_t(std::nearbyint(L1) + std::nearbyint(L2)) / 2);
  // A colour table replaces the conversion; its lightness range filters.
  // Colours without red keep the table small (index blue + 256 green).
  std::vector<TLABRec> Table(1 << 16, TLABRec{50, 0, 0});
  Table[0x0000FF] = {80, 10, 0};
  Table[0x00C000] = {20, 0, -10};
  Source.Pixels[0].Value = 0xFF0000FF;
  Source.Pixels[2].Value = 0xFF000000;  // table: neutral
  Plane.Fill({});
  PlotColorDistributionLUT(Source, Plane, Table.data(), 30, 100, 3, 3, 0.1f, 0.1f);
  EXPECT_EQ(Plane.Pixels[3 * 7 + 4].A, 1);  // a 10 -> x 3 + 1
  EXPECT_EQ(Plane.Pixels[3 * 7 + 4].Extra, 80u);
  int Total = 0;
  for (int32_t K = 0; K < 49; ++K) Total += Plane.Pixels[K].A;
  EXPECT_EQ(Total, 1);
}

TEST(DensityStretch, AlphaTablesForEachRoutine) {
  const struct {
    int32_t Low, High;
    std::vector<uint16_t> In, Out;
  } Cases[] = {
      {0, 0, {0, 1000, 30000}, {0, 2179, 65384}},         // m 117: A 255/117
      {128, 65536, {0, 1000, 30000}, {0, 4367, 65535}},   // A 511/117, limited
      {0, 0, {0, 200, 255}, {0, 200, 255}},               // m 0: unchanged
      {0, 0, {0, 100, 65280}, {0, 100, 65280}},           // m 255: unchanged
  };
  for (const auto& C : Cases) {
    TImage64 I64;
    TImage96 I96;
    I64.Init();
    I96.Init();
    I64.Alloc(3, 1);
    I96.Alloc(3, 1);
    for (int K = 0; K < 3; ++K) {
      I64.Pixels[K] = {9, 9, 9, C.In[K]};
      I96.Pixels[K] = {9, 9, 9, C.In[K], 4};
    }
    StretchImage64Alpha(I64, C.Low, C.High);
    StretchImage64Alpha2(I96, C.Low, C.High);
    for (int K = 0; K < 3; ++K) {
      EXPECT_EQ(I64.Pixels[K].A, C.Out[K]) << C.Low << " " << K;
      EXPECT_EQ(I96.Pixels[K].A, C.Out[K]) << C.Low << " " << K;
      EXPECT_EQ(I96.Pixels[K].Extra, 4u);
    }
  }
  TImage32 I = MakeImage32(3, 1, 0);
  I.Pixels[1].BGRA.A = 51;
  I.Pixels[2].BGRA.A = 102;
  NormalizeImage32Alpha(I);
  EXPECT_EQ(AlphaAt(I, 1, 0), 127);
  EXPECT_EQ(AlphaAt(I, 2, 0), 255);
}

TEST(ShadeByAlpha, DenseCellsBrightenAndEmptyOnesKeepTheirColour) {
  TImage32 I = MakeImage32(3, 1, 0x00643200);  // red 100, green 50, blue 0
  I.Pixels[1].BGRA.A = 10;
  I.Pixels[2].BGRA.A = 1;
  TImage32 Copy = MakeImage32(3, 1, 0);
  Copy.Copy(I);
  ShadeImage32ByAlpha(I, 96, 0, 20);
  EXPECT_EQ(I.Pixels[0].Value, 0x00643200u);
  // a = m: f = 256, channels c 256/96 + 20.
  EXPECT_EQ(I.Pixels[1].Value, 0xFFFF9914u);
  // a = 1: f = 159 8/10 + 96 = 223, g = 20.
  EXPECT_EQ(I.Pixels[2].Value, 0xFFFC8814u);
  TImage32 Bare = MakeImage32(2, 2, 0x00123456);
  ShadeImage32ByAlpha(Bare, 256, 256, 20);
  ShadeImage32ByAlpha(Copy, 0, 256, 20);
  EXPECT_EQ(Bare.Pixels[3].Value, 0x00123456u);
  EXPECT_EQ(Copy.Pixels[1].BGRA.A, 10);
}

TEST(Curves2DDistribution, OnePixelLandsOnTheDiamondOfEachPlane) {
  T3DLut Identity;
  ASSERT_TRUE(Identity.SetSize(9));
  Identity.SetDefault();
  TImage32 Image = MakeImage32(1, 1, 0xFFFF0000);  // opaque pure red
  TRawBitmap B1(34, 34, pf32bit), B2(34, 34, pf32bit), B3(34, 34, pf32bit);
  Draw2DCurvesDistributionImage(Image, B1, B2, B3, 0x00000000, Identity, Identity);
  // Size 32: (u, v) = (0, 255) -> (0, 16), (255, 0) -> (32, 16), (0, 0) -> (16, 32).
  const struct {
    TRawBitmap* Bitmap;
    int32_t X, Y;
  } Hits[] = {{&B1, 0, 16}, {&B2, 32, 16}, {&B3, 16, 32}};
  // The grid stays at or below 95 per channel; the shaded hit brightens
  // to c 256/96 + 20.
  auto Bright = [](const TRawBitmap& B, int32_t X, int32_t Y) {
    const uint8_t* P = B.ScanLine(Y) + 4 * X;  // A, R, G, B bytes
    return std::max({P[1], P[2], P[3]}) > 100;
  };
  for (const auto& H : Hits) {
    int Count = 0;
    for (int32_t Y = 0; Y < 34; ++Y)
      for (int32_t X = 0; X < 34; ++X) Count += Bright(*H.Bitmap, X, Y);
    EXPECT_EQ(Count, 1);
    EXPECT_TRUE(Bright(*H.Bitmap, H.X, H.Y)) << H.X << "," << H.Y;
  }
  // The background grid: (u, v) = (255, 255) at the top centre of the "RG"
  // plane, red = green = 255/4 + 32, blue the same.
  const uint8_t* Top = B2.ScanLine(0) + 4 * 16;
  EXPECT_EQ(Top[1], 95);
  EXPECT_EQ(Top[2], 95);
  EXPECT_EQ(Top[3], 95);
}
