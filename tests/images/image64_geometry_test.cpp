#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "image_test_support.h"
#include "images/image64.h"
#include "images/image_vbpp.h"

using namespace kromel;
using namespace kromel::test;

namespace {

class Image64GeometryTest : public MessageCapture {};

// Pixel K holds (K, K, K, 65535).
TImage64 Numbered64(int32_t W, int32_t H) {
  TImage64 I;
  I.Alloc(W, H);
  for (int32_t K = 0; K < I.Size; ++K)
    I.Pixels[K] = {uint16_t(K), uint16_t(K), uint16_t(K), 65535};
  return I;
}

std::vector<int> Reds(const TImage64& I) {
  std::vector<int> V;
  for (int32_t K = 0; K < I.Size; ++K) V.push_back(I.Pixels[K].R);
  return V;
}

TEST_F(Image64GeometryTest, QuarterTurns) {
  TImage64 I = Numbered64(3, 2);  // rows 0 1 2 / 3 4 5
  I.CopyMarginsFrom(1, 2, 3, 4);
  I.RotateRight();
  ASSERT_EQ(I.Width, 2);
  ASSERT_EQ(I.Height, 3);
  EXPECT_EQ(Reds(I), (std::vector<int>{3, 0, 4, 1, 5, 2}));
  EXPECT_EQ(I.Row(0)[1].R, 0);  // old (0, 0)
  EXPECT_EQ(I.Row(2)[0].R, 5);  // old (2, 1)
  EXPECT_EQ(I.MarginBottom, 4);
  I.RotateLeft();
  EXPECT_EQ(Reds(I), (std::vector<int>{0, 1, 2, 3, 4, 5}));
  for (int K = 0; K < 4; ++K) I.RotateRight();
  EXPECT_EQ(Reds(I), (std::vector<int>{0, 1, 2, 3, 4, 5}));
  I.RotateLeft();
  EXPECT_EQ(Reds(I), (std::vector<int>{2, 5, 1, 4, 0, 3}));
  EXPECT_TRUE(Silent());
}

TEST_F(Image64GeometryTest, FailedTurnKeepsTheImage) {
  // A header naming far more pixels than it holds: refused before any
  // allocation or read.
  TImage64 I = Numbered64(1, 1);
  TPixel64* Held = I.Pixels;
  I.Width = 70000;
  I.Height = 70000;
  for (bool Right : {true, false}) {
    if (Right)
      I.RotateRight();
    else
      I.RotateLeft();
    EXPECT_EQ(I.Pixels, Held);
    EXPECT_EQ(I.Width, 70000);
    EXPECT_EQ(I.Size, 1);
    EXPECT_EQ(I.Pixels[0].R, 0);
  }
  EXPECT_TRUE(Messages().empty());
  I.Width = I.Height = 1;
}

TEST_F(Image64GeometryTest, FlipsAndMirror) {
  struct Case {
    int32_t W, H;
    void (TImage64::*Op)();
    std::vector<int> Want;
  } Cases[] = {
      {3, 2, &TImage64::FlipVertical, {3, 4, 5, 0, 1, 2}},
      {3, 3, &TImage64::FlipVertical, {6, 7, 8, 3, 4, 5, 0, 1, 2}},
      {3, 2, &TImage64::FlipHorizontal, {2, 1, 0, 5, 4, 3}},
      {5, 1, &TImage64::MirrorLeftToRight, {0, 1, 2, 1, 0}},
      {4, 2, &TImage64::MirrorLeftToRight, {0, 1, 1, 0, 4, 5, 5, 4}},
      {1, 1, &TImage64::MirrorLeftToRight, {0}},
  };
  for (const Case& C : Cases) {
    TImage64 I = Numbered64(C.W, C.H);
    (I.*C.Op)();
    EXPECT_EQ(Reds(I), C.Want);
  }
  TImage64 Empty;
  Empty.FlipVertical();
  Empty.MirrorLeftToRight();
  Empty.RotateRight();
  EXPECT_EQ(Empty.Pixels, nullptr);
}

TEST_F(Image64GeometryTest, Crops) {
  struct Case {
    TPoint TL, BR;
    int32_t W, H;
    std::vector<int> Want;
  } Cases[] = {
      {{-5, -5}, {10000, 10000}, 4, 3, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
      {{1, 1}, {3, 3}, 2, 2, {5, 6, 9, 10}},
      {{3, 0}, {10, 1}, 1, 1, {3}},
      {{2, 2}, {2, 3}, 0, 0, {}},    // empty rectangle
      {{5, 0}, {9, 3}, 0, 0, {}},    // left of the image's right edge
      {{0, 0}, {-3, 2}, 0, 0, {}},
  };
  for (const Case& C : Cases) {
    TImage64 I = Numbered64(4, 3);
    TImage64 D = Make64(2, 2, {1, 1, 1, 1});
    D.CopyMarginsFrom(7, 7, 7, 7);
    I.CropTo(D, C.TL, C.BR);
    EXPECT_EQ(D.Width, C.W);
    EXPECT_EQ(D.Height, C.H);
    EXPECT_EQ(Reds(D), C.Want);
    EXPECT_EQ(D.MarginLeft, 0);

    TImage32 D32 = Numbered32(1, 1);
    I.CropToImage32(D32, C.TL, C.BR);
    EXPECT_EQ(D32.Size, C.W * C.H);
    if (D32.Size > 0) {
      EXPECT_EQ(D32.Pixels[0].Value, Bgra(0, 0, 0, 255));
    }
  }
  // Onto itself.
  TImage64 I = Numbered64(4, 3);
  I.CropTo(I, {1, 1}, {3, 3});
  EXPECT_EQ(Reds(I), (std::vector<int>{5, 6, 9, 10}));
  EXPECT_TRUE(Silent());
}

TEST_F(Image64GeometryTest, ContentRect) {
  TImage64 I = Make64(6, 8, {9, 9, 9, 0});
  TRect R = I.GetContentRect();
  EXPECT_EQ(R.Left, -1);
  EXPECT_EQ(R.Top, -1);
  EXPECT_EQ(R.Right, -1);
  EXPECT_EQ(R.Bottom, -1);
  I.Row(5)[3].A = 1;
  R = I.GetContentRect();
  EXPECT_EQ(R.Left, 3);
  EXPECT_EQ(R.Top, 5);
  EXPECT_EQ(R.Right, 3);
  EXPECT_EQ(R.Bottom, 5);
  I.Row(1)[4].A = 1;
  I.Row(6)[0].A = 1;
  R = I.GetContentRect();
  EXPECT_EQ(R.Left, 0);
  EXPECT_EQ(R.Top, 1);
  EXPECT_EQ(R.Right, 4);
  EXPECT_EQ(R.Bottom, 6);
}

TEST_F(Image64GeometryTest, StretchDrawAveragedCoversTheWholeSource) {
  TImage64 Src = Numbered64(4, 4);
  TImage64 T = Make64(4, 4, {0, 0, 0, 0});
  const TPixel64 Bg = {7, 7, 7, 7};
  T.StretchDrawAveraged({0, 0}, {2, 2}, Src, Bg);
  // Each target pixel averages a 2 x 2 block, the last rows and columns too.
  EXPECT_EQ(T.Row(0)[0].R, (0 + 1 + 4 + 5) / 4);
  EXPECT_EQ(T.Row(1)[1].R, (10 + 11 + 14 + 15) / 4);
  EXPECT_EQ(T.Row(0)[1].R, (2 + 3 + 6 + 7) / 4);
  EXPECT_EQ(T.Row(1)[1].A, 65535);
  int Background = 0;
  for (int32_t K = 0; K < T.Size; ++K) Background += Same(T.Pixels[K], Bg);
  EXPECT_EQ(Background, 12);
  EXPECT_EQ(T.MarginLeft, 0);
  EXPECT_EQ(T.MarginRight, 2);
  EXPECT_EQ(T.MarginTop, 0);
  EXPECT_EQ(T.MarginBottom, 2);

  // Same size: an exact copy.
  T.StretchDrawAveraged({0, 0}, {4, 4}, Src, Bg);
  EXPECT_EQ(Reds(T), Reds(Src));
  // Larger target: every source pixel shows, each over 2 x 2.
  TImage64 Big = Make64(8, 8, {0, 0, 0, 0});
  Big.StretchDrawAveraged({0, 0}, {8, 8}, Src, Bg);
  EXPECT_EQ(Big.Row(7)[7].R, 15);
  EXPECT_EQ(Big.Row(6)[6].R, 15);
  EXPECT_EQ(Big.Row(5)[5].R, 10);
  // Offset rectangle with margins on all sides; the opaque form.
  Src.Pixels[5].A = 0;
  Big.StretchDrawAveragedOpaque({2, 1}, {6, 5}, Src, Bg);
  EXPECT_TRUE(Same(Big.Row(0)[0], Bg));
  EXPECT_EQ(Big.Row(2)[3].R, 5);
  EXPECT_EQ(Big.Row(2)[3].A, 65535);
  EXPECT_EQ(Big.MarginLeft, 2);
  EXPECT_EQ(Big.MarginRight, 2);
  EXPECT_EQ(Big.MarginTop, 1);
  EXPECT_EQ(Big.MarginBottom, 3);

  // A block of 40000 white pixels stays white (sums beyond 32 bits).
  TImage64 White = Make64(200, 200, {65535, 65535, 65535, 65535});
  TImage64 One = Make64(1, 1, {0, 0, 0, 0});
  One.StretchDrawAveraged({0, 0}, {1, 1}, White, Bg);
  EXPECT_TRUE(Same(One.Pixels[0], {65535, 65535, 65535, 65535}));

  TImage64 None;
  T.MarginLeft = 9;
  T.StretchDrawAveraged({0, 0}, {2, 2}, None, Bg);  // no source: nothing at all
  EXPECT_EQ(T.MarginLeft, 9);
  EXPECT_TRUE(Silent());
}

TEST_F(Image64GeometryTest, HaldIdentity) {
  TImage64 H;
  ASSERT_TRUE(H.MakeHaldIdentity(2));
  ASSERT_EQ(H.Width, 8);
  ASSERT_EQ(H.Height, 8);
  EXPECT_TRUE(Same(H.Pixels[0], {0, 0, 0, 65535}));
  EXPECT_TRUE(Same(H.Pixels[1], {21845, 0, 0, 65535}));
  EXPECT_TRUE(Same(H.Pixels[3], {65535, 0, 0, 65535}));
  EXPECT_TRUE(Same(H.Pixels[4], {0, 21845, 0, 65535}));
  EXPECT_TRUE(Same(H.Pixels[16], {0, 0, 21845, 65535}));
  EXPECT_TRUE(Same(H.Pixels[63], {65535, 65535, 65535, 65535}));
  for (int32_t K = 0; K < H.Size; ++K) ASSERT_EQ(H.Pixels[K].A, 65535);
  H.Dispose();
  ASSERT_TRUE(H.MakeHaldIdentity(9));
  EXPECT_EQ(H.Width, 729);
  EXPECT_EQ(H.Height, 729);
  EXPECT_TRUE(Same(H.Pixels[H.Size - 1], {65535, 65535, 65535, 65535}));
  EXPECT_EQ(H.Pixels[1].R, 65535 / 80);
  H.Dispose();
  EXPECT_TRUE(Silent());
  for (int32_t Level : {1, 0, -4, 36}) {
    EXPECT_FALSE(H.MakeHaldIdentity(Level));
    EXPECT_EQ(H.Pixels, nullptr);
  }
  EXPECT_EQ(Errors().size(), 4u);
}

TEST_F(Image64GeometryTest, RawImportWithPaddingAndSaturation) {
  // Two pixels per row, one padding element after each pixel.
  const uint8_t Bytes[] = {255, 128, 1, 77, 0, 2, 3, 99, 10, 20, 30, 40, 50, 60, 70, 80};
  TImage64 I;
  ASSERT_TRUE(I.CopyFromRawBytes(Bytes, 2, 2, true));
  EXPECT_TRUE(Same(I.Pixels[0], {65535, 32896, 257, 65535}));
  EXPECT_TRUE(Same(I.Pixels[3], {50 * 257, 60 * 257, 70 * 257, 65535}));
  I.Dispose();
  ASSERT_TRUE(I.CopyFromRawBytes(Bytes, 5, 1, false));
  EXPECT_TRUE(Same(I.Pixels[1], {77 * 257, 0, 2 * 257, 65535}));
  I.Dispose();

  const uint16_t Words[] = {1, 2, 3, 4, 65535, 6, 7, 8};
  ASSERT_TRUE(I.CopyFromRawWords(Words, 2, 1, true));
  EXPECT_TRUE(Same(I.Pixels[1], {65535, 6, 7, 65535}));
  I.Dispose();
  ASSERT_TRUE(I.CopyFromRawWords(Words, 1, 2, false));
  EXPECT_TRUE(Same(I.Pixels[1], {4, 65535, 6, 65535}));
  I.Dispose();

  const float Floats[] = {-0.5f, 0.5f, 12.0f, 9.0f,  1.5f,  -0.2f, 1.0f, -1.0f,
                          std::nanf(""), 0.25f, INFINITY, 0.0f};
  float Input[12];
  std::memcpy(Input, Floats, sizeof(Floats));
  ASSERT_TRUE(I.CopyFromRawFloat(Input, 3, 1, 1));
  EXPECT_TRUE(Same(I.Pixels[0], {0, 32768, 65535, 65535}));
  EXPECT_TRUE(Same(I.Pixels[1], {65535, 0, 65535, 65535}));
  EXPECT_TRUE(Same(I.Pixels[2], {0, 16384, 65535, 65535}));
  EXPECT_EQ(std::memcmp(Input, Floats, sizeof(Floats)), 0);  // the caller's data untouched
  I.Dispose();
  ASSERT_TRUE(I.CopyFromRawFloat(Input, 1, 2, 0));
  EXPECT_TRUE(Same(I.Pixels[1], {65535, 65535, 0, 65535}));
  I.Dispose();
  EXPECT_TRUE(Silent());

  EXPECT_FALSE(I.CopyFromRawBytes(nullptr, 2, 2, true));
  EXPECT_FALSE(I.CopyFromRawWords(nullptr, 2, 2, true));
  EXPECT_FALSE(I.CopyFromRawFloat(nullptr, 2, 2, 0));
  EXPECT_EQ(I.Pixels, nullptr);
  ASSERT_EQ(Errors().size(), 3u);
  EXPECT_EQ(Errors()[2], "Exception in TImage64.CopyFromRawFloat, Width=2 Height=2 x=0 y=0 K=3");
  EXPECT_FALSE(I.CopyFromRawBytes(Bytes, 0, 4, false));  // no pixels, no report
  EXPECT_EQ(Errors().size(), 3u);
}

TEST_F(Image64GeometryTest, InPlaceExpanders) {
  std::vector<uint16_t> Buffer(12, 0xEEEE);
  Buffer[0] = 1;
  Buffer[1] = 2;
  Buffer[2] = 3;
  ExpandGray16ToPixel64(Buffer.data(), 3);
  EXPECT_EQ(Buffer, (std::vector<uint16_t>{1, 1, 1, 65535, 2, 2, 2, 65535, 3, 3, 3, 65535}));

  Buffer = {10, 11, 12, 20, 21, 22, 30, 31, 32, 0, 0, 0};
  ExpandRGB48ToPixel64(Buffer.data(), 3);
  EXPECT_EQ(Buffer,
            (std::vector<uint16_t>{10, 11, 12, 65535, 20, 21, 22, 65535, 30, 31, 32, 65535}));

  Buffer = {31, 0xFFE1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  ExpandLow5BitsToPixel64(Buffer.data(), 3);
  EXPECT_EQ(Buffer, (std::vector<uint16_t>{63736, 0, 0, 65535, 2056, 0, 0, 65535, 2056, 0, 0,
                                           65535}));
  ExpandGray16ToPixel64(nullptr, 5);
  ExpandRGB48ToPixel64(Buffer.data(), -1);
}

TEST_F(Image64GeometryTest, SinglePixelConversions) {
  TPixel64 P;
  ColorToPixel64(P, 0xFFFFFFFFu);
  EXPECT_TRUE(Same(P, {65280, 65280, 65280, 65280}));
  ColorToPixel64(P, 0xFF030201u);
  EXPECT_TRUE(Same(P, {0x100, 0x200, 0x300, 0xFF00}));
  EXPECT_EQ(Pixel64ToColor({65535, 0, 256, 0}), 0x0100FFu);
  EXPECT_EQ(Pixel64ToPixel32({0x1100, 0x2200, 0x3300, 0x4400}), Bgra(0x33, 0x22, 0x11, 0x44));
  EXPECT_EQ(Pixel64LumaLevel({65535, 65535, 65535, 0}), 15);
  EXPECT_EQ(Pixel64LumaLevel({0, 65535, 0, 0}), 8);
  EXPECT_EQ(Pixel64ToRGBText({65535, 0, 12, 9}), "R:65535 G:0 B:12");
  TPixel64 A = {1, 2, 3, 4}, B = {5, 6, 7, 8};
  SwapPixels64(A, B);
  EXPECT_TRUE(Same(A, {5, 6, 7, 8}));

  struct HSV {
    uint16_t R, G, B, H, S, V;
  } Cases[] = {{0, 0, 0, 0, 0, 0},
               {65535, 0, 0, 0, 65535, 65535},
               {0, 65535, 0, 21845, 65535, 65535},
               {0, 0, 65535, 43690, 65535, 65535},
               {32768, 32768, 32768, 0, 0, 32768},
               {65535, 65535, 0, 10922, 65535, 65535}};  // 10922.5 rounds to even
  for (const HSV& C : Cases) {
    uint16_t H, S, V;
    RGBtoHSV64(C.R, C.G, C.B, H, S, V);
    EXPECT_EQ(H, C.H);
    EXPECT_EQ(S, C.S);
    EXPECT_EQ(V, C.V);
    uint16_t R, G, Bl;
    HSVtoRGB64(C.H, C.S, C.V, R, G, Bl);
    EXPECT_NEAR(R, C.R, 4);
    EXPECT_NEAR(G, C.G, 4);
    EXPECT_NEAR(Bl, C.B, 4);
  }
  uint16_t R, G, Bl;
  HSVtoRGB64(65535, 65535, 65535, R, G, Bl);  // a full turn is red again
  EXPECT_EQ(R, 65535);
  EXPECT_EQ(Bl, 0);

  TPixel64 D;
  Pixel64Gamma(D, {0, 32768, 65535, 123}, 1.0f);
  EXPECT_TRUE(Same(D, {0, 32768, 65535, 123}));
  Pixel64Gamma(D, {0, 32768, 65535, 123}, 2.0f);
  EXPECT_TRUE(Same(D, {0, 16384, 65535, 123}));
  Pixel64OffsetGamma(D, {100, 65500, 30000, 5}, 100, 1.0f);
  EXPECT_TRUE(Same(D, {200, 65535, 30100, 5}));
  Pixel64OffsetGamma(D, {100, 65500, 30000, 5}, -100, 1.0f);
  EXPECT_TRUE(Same(D, {0, 65400, 29900, 5}));
  Pixel64Gamma(D, {0, 1, 2, 3}, -1.0f);  // 0^-1 is infinite: saturates
  EXPECT_EQ(D.R, 65535);

  TImage64 I = Make64(2, 1, {1, 2, 3, 4});
  I.SwapRedBlue();
  EXPECT_TRUE(Same(I.Pixels[1], {3, 2, 1, 4}));
}

TEST_F(Image64GeometryTest, AverageColorAndSpread) {
  TImage64 I = Make64(5, 5, {1000, 2000, 3000, 65535});
  TPixel64 Avg;
  int32_t Spread = 7;
  I.GetAverageColor(2, 2, 1, Avg, Spread);
  EXPECT_TRUE(Same(Avg, {1000, 2000, 3000, 65535}));
  EXPECT_EQ(Spread, 0);

  I.Row(2)[2] = {2000, 2000, 3000, 65535};
  I.Row(0)[0] = {60000, 60000, 60000, 0x4000};  // not opaque enough to count
  I.GetAverageColor(1, 1, 1, Avg, Spread);
  EXPECT_EQ(Avg.R, (7 * 1000 + 2000) / 8);
  EXPECT_EQ(Spread, 1000 * 1000 / (1125 + 2000 + 3000));
  I.GetAverageColor(2, 2, -3, Avg, Spread);  // radius 0: the pixel itself
  EXPECT_EQ(Avg.R, 2000);

  TImage64 Faint = Make64(3, 3, {100, 200, 300, 16384});
  Faint.Row(1)[1] = {400, 200, 300, 0};
  Faint.GetAverageColor(1, 1, 5, Avg, Spread);
  EXPECT_TRUE(Same(Avg, {(8 * 100 + 400) / 9, 200, 300, 16384 * 8 / 9}));
  EXPECT_EQ(Spread, -1);
  Faint.GetAverageColor(3, 3, 0, Avg, Spread);  // X = Width is accepted: empty window
  EXPECT_TRUE(Same(Avg, {0, 0, 0, 0}));
}

TEST_F(Image64GeometryTest, DarkestAndBrightestAverages) {
  TImage64 I;
  ASSERT_TRUE(I.Alloc(5, 1));
  const uint16_t Keys[] = {9, 3, 7, 3, 1};
  for (int K = 0; K < 5; ++K) I.Pixels[K] = {Keys[K], 0, 0, 65535};
  TPixel64 Avg = {0, 0, 0, 4321};
  I.GetDarkestAverage(Avg, 3);
  EXPECT_EQ(Avg.R, (1 + 3 + 3) / 3);
  EXPECT_EQ(Avg.A, 4321);  // not written
  I.GetDarkestAverage(Avg, 0);
  EXPECT_EQ(Avg.R, 1);
  I.GetDarkestAverage(Avg, 1000000);
  EXPECT_EQ(Avg.R, (9 + 3 + 7 + 3 + 1) / 5);
  I.GetBrightestAverage(Avg, 2);
  EXPECT_EQ(Avg.R, (9 + 7) / 2);
  I.Pixels[0].A = 0x7FFF;  // too transparent to take part
  I.GetBrightestAverage(Avg, 1);
  EXPECT_EQ(Avg.R, 7);
  for (int K = 0; K < 5; ++K) I.Pixels[K].A = 0;
  I.GetDarkestAverage(Avg, 2);
  EXPECT_TRUE(Same(Avg, {0, 0, 0, 4321}));
}

TEST_F(Image64GeometryTest, DistinctLevelsAndCentralPixel) {
  TImage64 I = Make64(1, 1, {0, 65535, 0, 0});
  EXPECT_EQ(I.CountDistinctLevels(), 2);
  I.Dispose();
  EXPECT_EQ(I.CountDistinctLevels(), 0);

  TImage64 N = Numbered64(3, 3);
  EXPECT_EQ(N.CountDistinctLevels(), 9);
  EXPECT_EQ(N.GetCentralPixelText(), "R:4 G:4 B:4");
  TImage64 E;
  E.Alloc(0, 5);
  EXPECT_EQ(E.GetCentralPixelText(), "Image64.GCPAS W=0");
  E.Alloc(5, 0);
  EXPECT_EQ(E.GetCentralPixelText(), "Image64.GCPAS W=0");  // an empty image has no sides
  E.Width = 5;
  EXPECT_EQ(E.GetCentralPixelText(), "Image64.GCPAS H=0");
  E.Width = 0;
  EXPECT_TRUE(E.IsEmpty());
}

class ImageVBPPOpsTest : public MessageCapture {};

TEST_F(ImageVBPPOpsTest, TurnsAndFlipsForwardToTheHeldDepth) {
  TImageVBPP V;
  V.Realloc(3, 2, true);
  for (int32_t K = 0; K < 6; ++K) V.Image64.Pixels[K] = {uint16_t(K), 0, 0, 65535};
  V.RotateRight();
  EXPECT_EQ(V.GetWidth(), 2);
  EXPECT_EQ(Reds(V.Image64), (std::vector<int>{3, 0, 4, 1, 5, 2}));
  V.RotateLeft();
  V.FlipHorizontal();
  EXPECT_EQ(Reds(V.Image64), (std::vector<int>{2, 1, 0, 5, 4, 3}));
  V.FlipVertical();
  EXPECT_EQ(Reds(V.Image64), (std::vector<int>{5, 4, 3, 2, 1, 0}));

  TImageVBPP W;
  W.Realloc(3, 2, false);
  for (int32_t K = 0; K < 6; ++K) W.Image32.Pixels[K].Value = uint32_t(K);
  W.RotateRight();
  EXPECT_EQ(W.GetWidth(), 2);
  EXPECT_EQ(Values(W.Image32), (std::vector<uint32_t>{3, 0, 4, 1, 5, 2}));
  W.FlipVertical();
  EXPECT_EQ(Values(W.Image32), (std::vector<uint32_t>{5, 2, 4, 1, 3, 0}));

  EXPECT_TRUE(Silent());
}

TEST_F(ImageVBPPOpsTest, AveragesAndCentralText) {
  TImageVBPP V;
  TPixel64 P = {1, 2, 3, 4};
  V.GetDarkestAverage(P, 3);  // empty object
  EXPECT_TRUE(Same(P, {0, 0, 0, 0}));
  std::string S;
  V.GetCentralPixelText(S);
  EXPECT_EQ(S, "GetCentralPixel Img32bit");

  V.Realloc(3, 3, false);  // 8-bit pure blue, opaque
  V.Image32.Fill(0xFFFF0000u);
  P = {1, 2, 3, 4};
  V.GetDarkestAverage(P, 3);
  EXPECT_TRUE(Same(P, {0, 0, 0, 0}));
  V.GetAverageColor64(P, 1, 1, 1);
  EXPECT_TRUE(Same(P, {0, 0, 65535, 65535}));
  EXPECT_EQ(V.GetAverageColor32(1, 1, 1), Bgra(255, 0, 0, 255));
  V.Image32.Pixels[4].BGRA.A = 128;  // not counted
  V.Image32.Pixels[4].BGRA.R = 255;
  EXPECT_EQ(V.GetAverageColor32(1, 1, 0), 0u);
  V.Dispose();

  V.Realloc(3, 3, true);
  V.Image64.Fill({65535, 32768, 256, 65535});
  EXPECT_EQ(V.GetAverageColor32(1, 1, 1), Bgra(1, 128, 255, 255));
  V.GetAverageColor64(P, 0, 0, 4);
  EXPECT_TRUE(Same(P, {65535, 32768, 256, 65535}));
  V.Image64.Pixels[0] = {3, 3, 3, 65535};
  V.GetDarkestAverage(P, 1);
  EXPECT_TRUE(Same(P, {3, 3, 3, 0}));  // alpha stays from the zeroing
  V.GetCentralPixelText(S);
  EXPECT_EQ(S, "R:65535 G:32768 B:256");
  EXPECT_TRUE(Silent());
}

// A halving large enough to run in bands on several threads gives exactly the
// 2 x 2 means, band edges included.
TEST_F(Image64GeometryTest, LargeAveragedStretchIsTheExactMeanInEveryBand) {
  TImage64 Src, Dst;
  Src.Init();
  Dst.Init();
  ASSERT_TRUE(Src.Alloc(2400, 1800));
  ASSERT_TRUE(Dst.Alloc(1200, 900));
  for (int32_t I = 0; I < Src.Size; ++I) {
    const uint32_t H = uint32_t(I) * 2654435761u;
    Src.Pixels[I] = {uint16_t(H), uint16_t(H >> 7), uint16_t(H >> 13), uint16_t(H >> 16)};
  }
  Dst.StretchDrawAveraged({0, 0}, {1200, 900}, Src, TPixel64{0, 0, 0, 0});
  int32_t Wrong = 0;
  for (int32_t Y = 0; Y < 900; ++Y)
    for (int32_t X = 0; X < 1200; ++X) {
      const TPixel64* A = &Src.Pixels[(2 * Y) * 2400 + 2 * X];
      const TPixel64* B = A + 2400;
      const TPixel64 Want = {uint16_t((A[0].R + A[1].R + B[0].R + B[1].R) / 4),
                             uint16_t((A[0].G + A[1].G + B[0].G + B[1].G) / 4),
                             uint16_t((A[0].B + A[1].B + B[0].B + B[1].B) / 4),
                             uint16_t((A[0].A + A[1].A + B[0].A + B[1].A) / 4)};
      if (!(Dst.Pixels[Y * 1200 + X] == Want)) ++Wrong;
    }
  EXPECT_EQ(Wrong, 0);
}

}  // namespace
