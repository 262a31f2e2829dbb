#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <initializer_list>
#include <string>

#include "colour/channel_mixer.h"
#include "dot_grid_test_support.h"
#include "params/dot_grid.h"
#include "params/volume_mixer_mapping.h"
#include "platform/raw_bitmap.h"

namespace kromel {
namespace {

using testing::GridBytes;
using testing::MakeRectGrid;
using testing::TMessageCapture;

struct TWeights {
  float R, G, B;
};

TWeights Weights(bool Circular, float X, float Y, float E = 0) {
  TWeights W;
  VolumeXYToRGB(W.R, W.G, W.B, Circular, true, false, X, Y, E);
  return W;
}

TEST(VolumePlane, LandmarksMapToTheirWeightsAndBack) {
  const float Third = 1.0f / 3;
  struct TCase {
    const char* What;
    bool Circular;
    float X, Y;
    TWeights Expected;
  } Cases[] = {
      {"centre", true, 0, 0, {Third, Third, Third}},
      {"centre, hexagon", false, 0, 0, {Third, Third, Third}},
      {"red", true, 0, 1, {1, 0, 0}},
      {"red, hexagon", false, 0, 1, {1, 0, 0}},
      {"green", true, -0.8660254f, -0.5f, {0, 1, 0}},
      {"blue, hexagon", false, 0.8660254f, -0.5f, {0, 0, 1}},
      {"cyan corner, hexagon", false, 0, -1, {0, 0.5f, 0.5f}},
      {"below, circular", true, 0, -1, {-Third, 2 * Third, 2 * Third}},
      {"right, hexagon", false, 1, 0, {Third, 0, 2 * Third}},
      {"right, circular", true, 1, 0, {0.3333f, -0.2440f, 0.9107f}},
      {"distance 2 counts as 4", true, 0, 2, {3, -1, -1}},
  };
  for (const TCase& C : Cases) {
    const TWeights W = Weights(C.Circular, C.X, C.Y);
    EXPECT_NEAR(W.R, C.Expected.R, 0.0002f) << C.What;
    EXPECT_NEAR(W.G, C.Expected.G, 0.0002f) << C.What;
    EXPECT_NEAR(W.B, C.Expected.B, 0.0002f) << C.What;
    double R, G, B;
    VolumeXYToRGBDouble(R, G, B, C.Circular, true, false, C.X, C.Y, 0);
    EXPECT_NEAR(R, W.R, 0.0001) << C.What;

    float X, Y, E;
    RGBToVolumeXY(X, Y, E, C.Circular, false, false, C.Expected.R, C.Expected.G, C.Expected.B);
    EXPECT_NEAR(X, C.X, 0.0005f) << C.What;
    EXPECT_NEAR(Y, C.Y, 0.0005f) << C.What;
    EXPECT_NEAR(E, 0, 0.0005f) << C.What;
  }
  // log base 1.1 of 2 doubles the weights, and comes back as E.
  const TWeights Twice = Weights(true, 0, 1, 7.2725f);
  EXPECT_NEAR(Twice.R, 2, 0.0005f);
  float X, Y, E;
  RGBToVolumeXY(X, Y, E, false, false, false, 0.4f, 0.8f, 0.8f);
  EXPECT_NEAR(E, 7.2725f, 0.001f);
  RGBToVolumeXY(X, Y, E, false, false, false, 0, 0, 0);
  EXPECT_EQ(X, 0);
  EXPECT_EQ(Y, 0);
  EXPECT_NEAR(E, -120.79f, 0.01f);
}

TEST(VolumePlane, PointsAnywhereSurviveTheRoundTrip) {
  for (const bool Circular : {false, true})
    for (float X = -1.8f; X <= 1.8f; X += 0.3f)
      for (float Y = -1.8f; Y <= 1.8f; Y += 0.35f) {
        const TWeights W = Weights(Circular, X, Y, 3);
        float BX, BY, BE;
        RGBToVolumeXY(BX, BY, BE, Circular, false, false, W.R, W.G, W.B);
        EXPECT_NEAR(BX, X, 0.001f) << Circular << " " << X << "," << Y;
        EXPECT_NEAR(BY, Y, 0.001f) << Circular << " " << X << "," << Y;
        EXPECT_NEAR(BE, 3, 0.001f) << Circular << " " << X << "," << Y;
      }
}

TChannelMixerParams Mixer(std::initializer_list<double> M) {
  TChannelMixerParams P;
  int I = 0;
  for (const double V : M) P.Matrix[I++] = V;
  P.OffsetR = 0.1f;
  return P;
}

T2DEnvelopeDots MixerGrid() { return MakeRectGrid(3, 1, -2000, 2000); }

TEST(MixerGrid, IdentityRowsSitAtThePrimaries) {
  T2DEnvelopeDots G = MixerGrid();
  int Changes = 0;
  G.OnChange = [&](void*) { ++Changes; };
  TChannelMixerParams P;
  ChannelMixerSetDefault(P);
  ChannelMixerToGridBox(P, &G, false, false);
  EXPECT_EQ(Changes, 1);
  const int32_t Expected[3][2] = {{0, 1000}, {-866, -500}, {866, -500}};
  for (int K = 0; K < 3; ++K) {
    EXPECT_EQ(G.Dots[K][0].X, Expected[K][0]) << K;
    EXPECT_EQ(G.Dots[K][0].Y, Expected[K][1]) << K;
    EXPECT_EQ(G.Dots[K][0].Z, 0) << K;
  }
}

TEST(MixerGrid, MixerToGridToMixerIsTheIdentity) {
  const TChannelMixerParams Cases[] = {
      Mixer({1, 0, 0, 0, 1, 0, 0, 0, 1}),
      Mixer({0.9, 0.2, -0.1, 0.05, 1.1, -0.15, 0.0, -0.1, 1.1}),
      Mixer({1.3, -0.2, 0.1, 0.1, 0.7, 0.1, -0.05, 0.25, 0.9}),
      Mixer({0.5, 0.4, 0.3, 0.2, 0.9, 0.1, 0.1, 0.2, 1.4}),
  };
  for (const bool Columns : {false, true})
    for (const bool Circular : {false, true})
      for (const TChannelMixerParams& P : Cases) {
        T2DEnvelopeDots G = MixerGrid();
        ChannelMixerToGridBox(P, &G, Circular, Columns);
        TChannelMixerParams Back;
        ChannelMixerClear(Back);
        Back.OffsetG = 0.5f;
        GridBoxToChannelMixer(&G, Back, true, Circular, Columns);
        for (int I = 0; I < 9; ++I)
          EXPECT_NEAR(Back.Matrix[I], P.Matrix[I], 0.01)
              << "columns " << Columns << " circular " << Circular << " entry " << I;
        EXPECT_EQ(Back.OffsetG, 0.5f);  // offsets untouched
      }
}

TEST(MixerGrid, ColumnsModeStoresRowGains) {
  T2DEnvelopeDots G = MixerGrid();
  const TChannelMixerParams P = Mixer({0.002, 0.002, 0.001, 0, 2.2, 0, 0, 0, 1});
  ChannelMixerToGridBox(P, &G, false, true);
  EXPECT_EQ(G.Dots[0][0].Z, 25);  // row sum 0.005: exponent 1
  EXPECT_EQ(G.Dots[1][0].Z, 207);  // 25 log1.1(2.2)
  EXPECT_EQ(G.Dots[2][0].Z, 0);
}

TEST(MixerGrid, TooSmallGridsAreReportedAndChangeNothing) {
  TMessageCapture Capture;
  const TChannelMixerParams P = Mixer({0.9, 0.2, -0.1, 0.05, 1.1, -0.15, 0.0, -0.1, 1.1});
  struct TCase {
    const char* What;
    T2DEnvelopeDots* Grid;
    const char* Message;
  };
  T2DEnvelopeDots One = MakeRectGrid(1, 1, 0, 10);
  T2DEnvelopeDots Two = MakeRectGrid(2, 1, 0, 10);
  const TCase Cases[] = {
      {"no grid", nullptr, "GridBoxToChannelMixer error: gridbox=nil"},
      {"one column", &One, "GridBoxToChannelMixer error: colcount=1"},
      {"two columns", &Two, "GridBoxToChannelMixer error: colcount=2"},
  };
  for (const TCase& C : Cases) {
    Capture.Clear();
    TChannelMixerParams Q = P;
    GridBoxToChannelMixer(C.Grid, Q, true, false, false);
    for (int I = 0; I < 9; ++I) EXPECT_EQ(Q.Matrix[I], P.Matrix[I]) << C.What;
    EXPECT_EQ(Q.OffsetR, P.OffsetR) << C.What;
    EXPECT_TRUE(Capture.Shown(C.Message)) << C.What;
    if (C.Grid != nullptr) {
      const std::string Before = GridBytes(*C.Grid);
      ChannelMixerToGridBox(P, C.Grid, false, false);
      EXPECT_EQ(GridBytes(*C.Grid), Before) << C.What;
    }
  }
  ChannelMixerToGridBox(P, nullptr, false, true);
}

TEST(VolumePlane, BackgroundPaintsWeightsAndGreyOutsideTheirReach) {
  TRawBitmap Bitmap(40, 40, pf32bit);
  DrawVolumePlaneBackground(Bitmap, false);
  const auto Pixel = [&](int X, int Y) {
    const uint8_t* P = Bitmap.ScanLine(Y) + 4 * X;  // A, R, G, B
    return std::array<int, 4>{P[0], P[1], P[2], P[3]};
  };
  EXPECT_EQ(Pixel(20, 20), (std::array<int, 4>{255, 67, 67, 67}));  // the centre
  EXPECT_EQ(Pixel(20, 15), (std::array<int, 4>{255, 133, 33, 33}));  // towards red
  EXPECT_EQ(Pixel(20, 10), (std::array<int, 4>{255, 64, 64, 64}));  // red itself: G = B = 0
  EXPECT_EQ(Pixel(0, 0), (std::array<int, 4>{255, 64, 64, 64}));
  TRawBitmap Empty;
  DrawVolumePlaneBackground(Empty, true);
}

TEST(Curves2D, BlendLumaMovesTheSumAndKeepsTheRatio) {
  T2DEnvelopeDots G = MakeRectGrid(3, 3, 0, 1000);
  G.Dots[1][1].X = 700;
  G.Dots[1][1].Y = 100;
  G.Dots[2][0].X = -100;  // X + Y = 0
  G.Dots[2][0].Y = 100;
  Curves2DBlendLuma(G, 0.5f);
  EXPECT_EQ(G.Dots[1][1].X, 788);  // 787.5: halves to even
  EXPECT_EQ(G.Dots[1][1].Y, 112);  // 112.5
  EXPECT_EQ(G.Dots[2][0].X, 450);
  EXPECT_EQ(G.Dots[2][0].Y, 50);
  Curves2DBlendLuma(G, 1);
  EXPECT_EQ(G.Dots[1][1].X + G.Dots[1][1].Y, 1000);

  // Grids of one column or one row are left alone.
  for (T2DEnvelopeDots Thin : {MakeRectGrid(1, 4, 0, 1000), MakeRectGrid(4, 1, 0, 1000)}) {
    Thin.Dots[0][0].X = 300;
    const std::string Before = GridBytes(Thin);
    Curves2DBlendLuma(Thin, 0.5f);
    EXPECT_EQ(GridBytes(Thin), Before);
  }
}

}  // namespace
}  // namespace kromel
