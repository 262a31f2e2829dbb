#include "analysis/image_histograms.h"

#include <gtest/gtest.h>

#include <vector>

#include "analysis_images.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

// A cleared 256-value histogram freed with the fixture.
struct THistogram {
  THistogram(int64_t N = 256) {
    S.Init();
    S.Alloc(N);
    S.Fill(7);
  }
  ~THistogram() { S.Dispose(); }
  std::vector<int64_t> NonZero() const {
    std::vector<int64_t> Bins;
    for (int64_t I = 0; I < S.Count; ++I)
      if (S.Data[I] != 0) Bins.push_back(I);
    return Bins;
  }
  TSample32 S;
};

}  // namespace

TEST(HueHistogram, PrimariesLandInTheirBins) {
  const struct {
    TRGBA Colour;
    int32_t Bin;
  } Cases[] = {{{255, 0, 0}, 43},   {{0, 255, 0}, 128}, {{0, 0, 255}, 213},
               {{255, 0, 255}, 0},  {{255, 255, 0}, 86}, {{0, 255, 255}, 171}};
  for (const auto& C : Cases) {
    EXPECT_EQ(HueByte(C.Colour.R, C.Colour.G, C.Colour.B), C.Bin);
    TOwnedImage<TImage32> Image;
    TOwnedImage<TImage64> Row;
    Row.Image.Alloc(256, 1);
    FillImage(Image, 3, 3, [&](int32_t X, int32_t) { return X == 0 ? TRGBA{9, 9, 9} : C.Colour; });
    THistogram H;
    CalcHueHistogramColored(Image.Image, Row.Image, H.S);
    // Only the colour's own bin collects colours; the box filter spreads the
    // count over it and its two neighbours (wrapping round).
    for (int32_t I = 0; I < 256; ++I) {
      const TPixel64& P = Row.Image.Pixels[I];
      if (I == C.Bin)
        EXPECT_EQ(P, (TPixel64{C.Colour.R, C.Colour.G, C.Colour.B, 6})) << C.Bin;
      else
        EXPECT_EQ(P.A, 0) << I;
    }
    EXPECT_FLOAT_EQ(H.S.Data[C.Bin], 1.0f);
    EXPECT_FLOAT_EQ(H.S.Data[(C.Bin + 255) % 256], 1.0f);
    EXPECT_FLOAT_EQ(H.S.Data[(C.Bin + 1) % 256], 1.0f);
    EXPECT_EQ(H.NonZero().size(), 3u);
  }
}

TEST(ImageHistograms, LumaModesAndShaping) {
  const struct {
    TRGBA Colour;
    uint8_t Mode;
    int64_t LumaBin;
    int64_t RBin;
  } Cases[] = {
      {{255, 255, 255}, 0, 255, 255},  // (35 + 50 + 15) x 255 / 100
      {{128, 0, 0}, 4, 192, 170},      // max 128 bent: 255 - 127^2 / 255
      {{128, 64, 0}, 3, 128, 255},     // each channel against the maximum
      {{100, 60, 40}, 6, 6, 94},       // 40^2 / 255; red 100 - 6 above it
      {{100, 60, 40}, 5, 40, 60},
  };
  for (const auto& C : Cases) {
    TOwnedImage<TImage32> Image;
    FillImage(Image, 4, 4, [&](int32_t, int32_t) { return C.Colour; });
    THistogram L, R, G, B;
    CalcImageHistograms(Image.Image, &L.S, R.S, G.S, B.S, C.Mode);
    EXPECT_EQ(L.NonZero(), std::vector<int64_t>{C.LumaBin}) << int(C.Mode);
    EXPECT_EQ(R.NonZero(), std::vector<int64_t>{C.RBin}) << int(C.Mode);
    // One bin at n/8 after clipping scales to 1 and stays 1 after shaping.
    EXPECT_FLOAT_EQ(R.S.Data[C.RBin], 1.0f);
    EXPECT_FLOAT_EQ(L.S.Data[C.LumaBin], 1.0f);
  }
}

TEST(ImageHistograms, TransparentImageGivesZerosAndNoAverage) {
  TOwnedImage<TImage32> Image;
  TOwnedImage<TImage64> Row;
  Row.Image.Alloc(256, 1);
  FillImage(Image, 5, 5, [](int32_t, int32_t) { return TRGBA{200, 30, 10, 0}; });
  THistogram A, B, C, D;
  CalcChromaRangeHistogram(Image.Image, A.S);
  CalcRedHistogram(Image.Image, B.S);
  CalcLumaHistogramColored(Image.Image, Row.Image, C.S);
  CalcImageHistograms(Image.Image, nullptr, D.S, D.S, D.S, 0);
  for (THistogram* H : {&A, &B, &C, &D}) EXPECT_TRUE(H->NonZero().empty());
  TColor Dark = 1, Bright = 1;
  EXPECT_EQ(CalcAverageColor(Image.Image, Dark, Bright, true), 0u);
  EXPECT_EQ(Dark, 0xFFFFFFu);
  EXPECT_EQ(Bright, 0u);
  EXPECT_EQ(CalcNeutralAverageColor(Image.Image, 255), 0u);
}

TEST(LightnessHistograms, LightnessOutsideTheRangeStaysInsideTheBuffer) {
  // The colour table is read at index 0 only: every pixel is black.
  TOwnedImage<TImage32> Image;
  FillImage(Image, 2, 2, [](int32_t, int32_t) { return TRGBA{0, 0, 0}; });
  const struct {
    float L;
    int64_t Bin;
  } Cases[] = {{-20, 0}, {-1e30f, 0}, {50, 32}, {250, 63}};
  for (const auto& C : Cases) {
    const float Table[3] = {C.L, 3, 4};
    THistogram L(64), Chroma(64);
    CalcLightnessChromaDistribution(Image.Image, L.S, Chroma.S, Table);
    EXPECT_EQ(L.NonZero(), std::vector<int64_t>{C.Bin}) << C.L;
    // Mean chroma 5 x 4 / (4 + 1) / 128, normalised to 1.
    EXPECT_EQ(Chroma.NonZero(), std::vector<int64_t>{C.Bin}) << C.L;
  }
}

TEST(AverageColor, BlocksSkipTheLastRowAndCountOnlyOpaqueDiagonals) {
  // 3 x 3, pixel i has red 10 i: pixels 0..4 count (Size - Width - 2 = 4).
  TOwnedImage<TImage32> Image;
  FillImage(Image, 3, 3, [](int32_t X, int32_t Y) {
    return TRGBA{uint8_t(10 * (3 * Y + X)), 50, 0};
  });
  TColor Dark = 0, Bright = 0;
  EXPECT_EQ(CalcAverageColor(Image.Image, Dark, Bright, true), 20u + 256 * 50);
  // Block means of pixels 0 and 4 by luma: red (0 + 10 + 30 + 40) / 4 = 20
  // and (40 + 50 + 70 + 80) / 4 = 60.
  EXPECT_EQ(Dark, 20u + 256 * 50);
  EXPECT_EQ(Bright, 60u + 256 * 50);
  // A transparent pixel 4 removes pixel 0 (its diagonal) and itself.
  Image.Image.Pixels[4].BGRA.A = 0;
  EXPECT_EQ(CalcAverageColor(Image.Image, Dark, Bright, false), (10u + 20 + 30) / 3 + 256 * 50);
}

TEST(AverageColor, NeutralAverageSkipsDarkBrightAndSaturated) {
  const struct {
    TRGBA Colour;
    int32_t Limit;
    bool Counted;
  } Cases[] = {{{100, 100, 100}, 0, true},   {{20, 20, 20}, 255, false},
               {{250, 250, 250}, 255, false}, {{200, 100, 100}, 128, true},
               {{200, 90, 90}, 128, false},  {{200, 0, 0}, 255, true}};
  for (const auto& C : Cases) {
    TOwnedImage<TImage32> Image;
    FillImage(Image, 3, 3, [&](int32_t, int32_t) { return C.Colour; });
    const TColor Expected = C.Counted ? C.Colour.R + 256u * C.Colour.G + 65536u * C.Colour.B : 0;
    EXPECT_EQ(CalcNeutralAverageColor(Image.Image, C.Limit), Expected) << int(C.Colour.R);
  }
}

TEST(HistogramPictures, BarsFadeDownwardsWithGridAndMarkers) {
  THistogram Full(256), Empty(256);
  Full.S.Fill(1);
  Empty.S.Clear();
  TOwnedImage<TImage32> Image;
  FillImage(Image, 10, 8, [](int32_t, int32_t) { return TRGBA{1, 1, 1, 1}; });
  DrawRGBHistogram(Full.S, Empty.S, Empty.S, Image.Image, false, -1, 3, -1);
  const int32_t Fade[8] = {192, 169, 151, 136, 124, 115, 108, 102};
  for (int32_t Y = 0; Y < 8; ++Y) EXPECT_EQ(PixelOf(Image.Image, 4, Y).R, Fade[Y]) << Y;
  EXPECT_EQ(Image.Image.Row(3)[0].Value, 0u);  // column 0 holds no bar
  // Green marker at level 3: column 9 x 3 / 255 = 0, (H - 1) / 2 dots on rows
  // 0, 2, 4.
  for (int32_t Y = 0; Y < 8; ++Y) EXPECT_EQ(PixelOf(Image.Image, 0, Y).G, Y % 2 == 0 && Y < 6 ? 255 : 0) << Y;

  DrawLHistogram(Empty.S, Image.Image, true, -1);
  for (int32_t Y = 0; Y < 8; ++Y)
    for (int32_t X = 0; X < 10; ++X) {
      const bool Grid = Y % 3 == 0 && Y < 6 && (X == 0 || X == 2 || X == 4 || X == 6 || X == 9);
      EXPECT_EQ(Image.Image.Row(Y)[X].Value, Grid ? 0x3F3F3Fu : 0u) << X << "," << Y;
    }
}

TEST(ColoredHistograms, DarkBinMeansAreLiftedAndBarsTakeThem) {
  const struct {
    TRGBA Colour;
    bool ChromaByLuma;
    int32_t Bin;
    TPixel64 Mean;
  } Cases[] = {
      {{10, 10, 10}, false, 10, {40, 40, 40, 20}},  // R + G + B = 30 lifted to 60
      {{20, 10, 0}, true, 11, {40, 30, 20, 20}},    // 30 lifted to 50
      {{200, 100, 50}, true, 118, {200, 100, 50, 20}},
  };
  for (const auto& C : Cases) {
    TOwnedImage<TImage32> Image;
    TOwnedImage<TImage64> Row;
    Row.Image.Alloc(256, 1);
    FillImage(Image, 5, 4, [&](int32_t, int32_t) { return C.Colour; });
    THistogram H;
    if (C.ChromaByLuma)
      CalcChromaByLumaColored(Image.Image, Row.Image, H.S);
    else
      CalcLumaHistogramColored(Image.Image, Row.Image, H.S);
    EXPECT_EQ(Row.Image.Pixels[C.Bin], C.Mean) << C.Bin;
    EXPECT_FLOAT_EQ(H.S.Data[C.Bin], 1.0f);
    // A 258-pixel-wide picture has one column per bin, column i + 1 for bin i.
    TOwnedImage<TImage32> Picture;
    FillImage(Picture, 258, 6, [](int32_t, int32_t) { return TRGBA{}; });
    DrawLHistogram64(H.S, Picture.Image, Row.Image, false, -1);
    const uint32_t Colour = uint32_t(C.Mean.R) << 16 | uint32_t(C.Mean.G) << 8 | C.Mean.B;
    for (int32_t Y = 0; Y < 6; ++Y) EXPECT_EQ(Picture.Image.Row(Y)[C.Bin + 1].Value, Colour) << Y;
  }
}
