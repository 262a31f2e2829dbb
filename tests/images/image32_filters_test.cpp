#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image_test_support.h"
#include "images/image32.h"
#include "images/image32_filters.h"

using namespace kromel;
using namespace kromel::test;

namespace {

class Image32FiltersTest : public MessageCapture {};

TImage32 Make32(int32_t W, int32_t H, uint32_t V) {
  TImage32 I;
  I.Alloc(W, H);
  for (int32_t K = 0; K < I.Size; ++K) I.Pixels[K].Value = V;
  return I;
}

// Rows of the image as text: '#' where the pixel equals On, '.' elsewhere.
std::vector<std::string> Pattern(const TImage32& I, uint32_t On) {
  std::vector<std::string> Rows;
  for (int32_t Y = 0; Y < I.Height; ++Y) {
    std::string S;
    for (int32_t X = 0; X < I.Width; ++X) S += I.Row(Y)[X].Value == On ? '#' : '.';
    Rows.push_back(S);
  }
  return Rows;
}

uint32_t Pack(uint8_t C0, uint8_t C1, uint8_t C2, uint8_t Top = 0) { return Bgra(C0, C1, C2, Top); }

TEST_F(Image32FiltersTest, AdjustContrastTruncatesAndClampsAllFourBytes) {
  TImage32 I = Make32(4, 1, 0);
  I.Pixels[0].Value = Bgra(200, 64, 100, 200);
  I.Pixels[1].Value = Bgra(101, 128, 0, 255);
  I.Pixels[2].Value = Bgra(1, 2, 3, 4);
  I.AdjustContrast(512, 128);
  EXPECT_EQ(I.Pixels[0].Value, Bgra(255, 0, 72, 255));
  EXPECT_EQ(I.Pixels[1].Value, Bgra(74, 128, 0, 255));
  I.AdjustContrast(256, 77);  // unchanged
  EXPECT_EQ(I.Pixels[1].Value, Bgra(74, 128, 0, 255));
  I.Pixels[3].Value = Bgra(101, 0, 0, 0);
  I.AdjustContrast(300, 128);  // -27 x 300 / 256 = -31 (toward zero)
  EXPECT_EQ(I.Pixels[3].BGRA.B, 97);
}

TEST_F(Image32FiltersTest, AddNoiseStaysInRangeAndLeavesAlpha) {
  TImage32 I = Make32(20, 10, Bgra(10, 250, 128, 77));
  I.AddNoise(0);
  for (int32_t K = 0; K < I.Size; ++K) ASSERT_EQ(I.Pixels[K].Value, Bgra(10, 250, 128, 77));
  I.AddNoise(20);
  bool Changed = false;
  for (int32_t K = 0; K < I.Size; ++K) {
    const TBGRAPixel32 P = I.Pixels[K].BGRA;
    EXPECT_GE(P.B, 10);
    EXPECT_LE(P.B, 30);
    EXPECT_GE(P.G, 250);  // saturates at 255
    EXPECT_EQ(P.A, 77);
    Changed = Changed || P.B != 10;
  }
  EXPECT_TRUE(Changed);
}

TEST_F(Image32FiltersTest, MaxAndMinFiltersMakeAPlus) {
  const uint32_t White = 0xFFFFFFFF, Black = 0;
  TImage32 I = Make32(5, 5, Black);
  I.Row(2)[2].Value = White;
  I.MaxFilter4();
  const std::vector<std::string> Plus = {".....", "..#..", ".###.", "..#..", "....."};
  EXPECT_EQ(Pattern(I, White), Plus);

  // The black pixel in every row, including the first, second and last.
  for (int32_t Row = 0; Row < 5; ++Row) {
    TImage32 M = Make32(5, 5, White);
    M.Row(Row)[2].Value = Black;
    M.FilterMin();
    std::vector<std::string> Want(5, ".....");
    Want[size_t(Row)] = ".###.";
    if (Row > 0) Want[size_t(Row - 1)] = "..#..";
    if (Row < 4) Want[size_t(Row + 1)] = "..#..";
    EXPECT_EQ(Pattern(M, Black), Want) << "row " << Row;
  }

  TImage32 Line = Make32(5, 1, White);
  Line.Row(0)[1].Value = Black;
  Line.FilterMin();
  EXPECT_EQ(Pattern(Line, Black), std::vector<std::string>{"###.."});
}

TEST_F(Image32FiltersTest, ConeBlur) {
  TImage32 Flat = Make32(6, 5, Bgra(10, 20, 30, 40));
  TImage32 Dest = Make32(7, 5, 0);  // wider is allowed
  Flat.ConeBlurTo(Dest, 2);
  for (int32_t Y = 0; Y < 5; ++Y)
    for (int32_t X = 0; X < 6; ++X) EXPECT_EQ(Dest.Row(Y)[X].Value, Bgra(10, 20, 30, 40));
  EXPECT_EQ(Dest.Row(0)[6].Value, 0u);

  // Radius 1: only the centre weighs anything.
  TImage32 N = Numbered32(4, 3);
  TImage32 Same = Make32(4, 3, 0);
  N.ConeBlurTo(Same, 1);
  EXPECT_EQ(Values(Same), Values(N));

  // An impulse spreads symmetrically; Dest may be the image itself.
  TImage32 Dot = Make32(7, 7, 0);
  Dot.Row(3)[3].Value = Bgra(255, 255, 255, 255);
  Dot.ConeBlurTo(Dot, 3);
  for (int32_t Y = 0; Y < 7; ++Y)
    for (int32_t X = 0; X < 7; ++X) {
      EXPECT_EQ(Dot.Row(Y)[X].Value, Dot.Row(Y)[6 - X].Value);
      EXPECT_EQ(Dot.Row(Y)[X].Value, Dot.Row(X)[Y].Value);
    }
  EXPECT_GT(Dot.Row(3)[3].BGRA.G, Dot.Row(3)[4].BGRA.G);
  EXPECT_GT(Dot.Row(3)[4].BGRA.G, 0);

  TImage32 Small = Make32(3, 5, 0x11111111);
  Flat.ConeBlurTo(Small, 2);
  EXPECT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Small.Pixels[0].Value, 0x11111111u);
  Flat.ConeBlurTo(Dest, 0);
  EXPECT_EQ(Errors().size(), 2u);
}

TEST_F(Image32FiltersTest, RecursiveBlur) {
  TImage32 N = Numbered32(5, 4);
  TImage32 D = Make32(5, 4, 0);
  N.RecursiveBlurTo(D, 0);
  EXPECT_EQ(Values(D), Values(N));

  // Worked by hand, Decay 0.5 on a row 0, 255, 0: forwards 0, 127.5 (128),
  // 63.75 (64); backwards over 0, 128, 64 gives 48, 96, 64.
  TImage32 Row = Make32(3, 1, 0);
  Row.Row(0)[1].Value = Bgra(255, 255, 255, 255);
  TImage32 Out = Make32(3, 1, 0);
  Row.RecursiveBlurTo(Out, 0.5f);
  EXPECT_EQ(Out.Row(0)[0].Value, Bgra(48, 48, 48, 48));
  EXPECT_EQ(Out.Row(0)[1].Value, Bgra(96, 96, 96, 96));
  EXPECT_EQ(Out.Row(0)[2].Value, Bgra(64, 64, 64, 64));

  TImage32 Wrong = Make32(4, 5, 0x22222222);
  N.RecursiveBlurTo(Wrong, 0.5f);
  EXPECT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Wrong.Pixels[0].Value, 0x22222222u);
}

TEST_F(Image32FiltersTest, HighPass) {
  TImage32 Flat = Make32(5, 5, Bgra(7, 99, 200, 255));
  TImage32 D = Make32(5, 5, 0);
  Flat.HighPassTo(D, 0.8f);
  for (int32_t K = 0; K < D.Size; ++K) EXPECT_EQ(D.Pixels[K].Value, Bgra(128, 128, 128, 128));

  // A hard edge: the dark side goes below 128, the bright side above.
  TImage32 Edge = Make32(6, 2, 0);
  for (int32_t Y = 0; Y < 2; ++Y)
    for (int32_t X = 3; X < 6; ++X) Edge.Row(Y)[X].Value = 0xFFFFFFFF;
  TImage32 E = Make32(6, 2, 0);
  Edge.HighPassTo(E, 0.9f);
  EXPECT_LT(E.Row(0)[2].BGRA.R, 128);
  EXPECT_GT(E.Row(0)[3].BGRA.R, 128);
  // Into itself it gives the same bytes.
  Edge.HighPassTo(Edge, 0.9f);
  EXPECT_EQ(Values(Edge), Values(E));
}

TEST_F(Image32FiltersTest, SaturationEqual) {
  TImage32 Src = Make32(2, 1, Bgra(30, 60, 250, 9));
  TImage32 Dst = Make32(2, 1, Bgra(0, 0, 0, 111));
  Image32SaturationEqual(Src, Dst, 0);
  const uint8_t Grey = uint8_t((30 + 60 + 250) * 255 / 765);
  EXPECT_EQ(Dst.Pixels[0].Value, Bgra(Grey, Grey, Grey, 111));
  Image32SaturationEqual(Src, Dst, 255);
  EXPECT_EQ(Dst.Pixels[1].Value, Bgra(30, 60, 250, 111));
  Image32SaturationEqual(Src, Dst, 1000);  // held to 255
  EXPECT_EQ(Dst.Pixels[1].Value, Bgra(30, 60, 250, 111));

  TImage32 Other = Make32(3, 1, 0);
  Image32SaturationEqual(Src, Other, 0);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "Image32SaturationEqual sizes differ");
  EXPECT_EQ(Other.Pixels[0].Value, 0u);
}

TEST_F(Image32FiltersTest, ColouringOfGreysAndCounters) {
  const uint32_t A = Bgra(200, 0, 100, 255), B = Bgra(0, 200, 100, 255);
  TImage32 G = Make32(2, 1, 0);
  G.Pixels[1].Value = Bgra(255, 0, 0, 0);
  G.MapGrayToColors(A, B);
  EXPECT_EQ(G.Pixels[0].Value, BlendPixels32(A, B, 0, 255));
  EXPECT_EQ(G.Pixels[1].Value, Bgra(199, 0, 99, 254));

  TImage32 C = Make32(3, 1, 0);
  C.Pixels[0].Value = 4;                // low 4 (the largest), high 0
  C.Pixels[1].Value = 1 | (9u << 16);   // low 1 of 4: weight 128; high 9 (largest)
  C.Pixels[2].Value = 4 | (9u << 16);   // both largest: the colours add
  C.ColorizeDualCounts(A, B);
  EXPECT_EQ(C.Pixels[0].Value, A);
  EXPECT_EQ(C.Pixels[1].Value, Bgra(100, 200, 150, 255));
  EXPECT_EQ(C.Pixels[2].Value, Bgra(200, 200, 200, 255));
}

TEST_F(Image32FiltersTest, TwoImageOperationsWorkOverTheCommonArea) {
  TImage32 Self = Make32(3, 2, Bgra(100, 200, 50, 255));
  TImage32 Other = Make32(2, 3, Bgra(60, 100, 250, 128));
  TImage32& S = Self;  // one pixel outside the common area stays as it was
  auto Reset = [&]() {
    for (int32_t K = 0; K < S.Size; ++K) S.Pixels[K].Value = Bgra(100, 200, 50, 255);
  };
  struct TCase {
    const char* Name;
    void (*Apply)(TImage32&, const TImage32&);
    uint32_t Want;
  };
  const TCase Cases[] = {
      {"BlendWith", [](TImage32& I, const TImage32& O) { I.BlendWith(O, 128, 128); },
       Bgra(80, 150, 150, 191)},
      {"BlendWith caps", [](TImage32& I, const TImage32& O) { I.BlendWith(O, 512, 256); },
       Bgra(255, 255, 255, 255)},
      {"BlendWith floors", [](TImage32& I, const TImage32& O) { I.BlendWith(O, -256, 0); },
       Bgra(0, 0, 0, 0)},
      {"AlphaBlend", [](TImage32& I, const TImage32& O) { I.AlphaBlend(O); },
       Bgra(79, 149, 150, 191)},
      {"SubtractImage", [](TImage32& I, const TImage32& O) { I.SubtractImage(O, 10); },
       Bgra(50, 110, 0, 137)},
      {"AddImage", [](TImage32& I, const TImage32& O) { I.AddImage(O, -100); },
       Bgra(60, 200, 200, 255)},
  };
  for (const TCase& C : Cases) {
    Reset();
    C.Apply(S, Other);
    EXPECT_EQ(S.Row(1)[1].Value, C.Want) << C.Name;
    EXPECT_EQ(S.Row(1)[2].Value, Bgra(100, 200, 50, 255)) << C.Name;
  }
}

TEST_F(Image32FiltersTest, ClearEdges) {
  TImage32 Flat = Make32(4, 3, Bgra(5, 6, 7, 200));
  Flat.ClearEdges(0);
  for (int32_t K = 0; K < Flat.Size; ++K) EXPECT_EQ(Flat.Pixels[K].Value, Bgra(5, 6, 7, 0));

  TImage32 Step = Make32(3, 3, Bgra(200, 200, 200, 255));
  for (int32_t Y = 0; Y < 3; ++Y) Step.Row(Y)[0].Value = Bgra(0, 0, 0, 255);
  Step.ClearEdges(30);
  EXPECT_EQ(Step.Row(0)[1].Value, Bgra(200, 200, 200, 0));  // first row never marked
  EXPECT_EQ(Step.Row(1)[1].Value, 0u);
  EXPECT_EQ(Step.Row(2)[1].Value, 0u);
  EXPECT_EQ(Step.Row(2)[2].Value, Bgra(200, 200, 200, 0));
}

TEST_F(Image32FiltersTest, AlphaOperations) {
  TImage32 I = Make32(4, 3, Bgra(1, 2, 3, 100));
  I.ScaleAlpha(128);
  EXPECT_EQ(I.Pixels[0].BGRA.A, 50);
  I.ScaleAlpha(2048);
  EXPECT_EQ(I.Pixels[0].BGRA.A, 255);
  I.ScaleAlpha(-5);
  EXPECT_EQ(I.Pixels[0].BGRA.A, 0);
  I.SetAlpha(9);
  EXPECT_EQ(I.Pixels[11].Value, Bgra(1, 2, 3, 9));
  I.FillAlphaRect(-5, 1, 1, 99, 77);  // clipped to columns 0..1, rows 1..2
  int32_t Count = 0;
  for (int32_t K = 0; K < I.Size; ++K) Count += I.Pixels[K].BGRA.A == 77;
  EXPECT_EQ(Count, 4);
  EXPECT_EQ(I.Row(2)[1].BGRA.A, 77);
  I.FillAlphaRect(3, 0, 2, 0, 1);  // empty
  I.AlphaToGray();
  EXPECT_EQ(I.Row(2)[1].Value, Bgra(77, 77, 77, 77));
  EXPECT_EQ(I.Row(0)[0].Value, Bgra(9, 9, 9, 9));
}

TEST(PixelColourHelpers, RotateHue32) {
  EXPECT_EQ(RotateHue32(0xDEADBEEF, 0), 0xDEADBEEFu);
  const uint32_t P = Pack(200, 40, 90, 0x5A);
  const uint32_t Q = RotateHue32(P, 360);
  EXPECT_EQ(Q >> 24, 0x5Au);
  for (int Shift = 0; Shift < 24; Shift += 8)
    EXPECT_NEAR(int((Q >> Shift) & 0xFF), int((P >> Shift) & 0xFF), 1);
  const uint32_t Grey = RotateHue32(Pack(120, 120, 120), 77);
  for (int Shift = 0; Shift < 24; Shift += 8) EXPECT_NEAR(int((Grey >> Shift) & 0xFF), 120, 1);
  EXPECT_NE(RotateHue32(P, 120) & 0xFFFFFF, P & 0xFFFFFF);
}

TEST(PixelColourHelpers, BoostSaturationAndInversion) {
  struct TCase {
    uint32_t In, Boosted, Inverted;
  };
  const TCase Cases[] = {
      {Pack(100, 150, 200, 0xAB), Pack(46, 150, 254, 0xAB), Pack(200, 150, 100, 0xAB)},
      {Pack(90, 90, 90, 0x01), Pack(90, 90, 90, 0x01), Pack(90, 90, 90, 0x01)},
      {Pack(0, 0, 2), Pack(0, 0, 2), Pack(0, 0, 0)},  // mean 0
      {Pack(0, 0, 255), Pack(0, 0, 255), Pack(170, 170, 0)},  // already at both ends
  };
  for (const TCase& C : Cases) {
    EXPECT_EQ(BoostSaturation32(C.In), C.Boosted) << std::hex << C.In;
    EXPECT_EQ(InvertAroundGray32(C.In), C.Inverted) << std::hex << C.In;
  }
}

TEST(PixelColourHelpers, FloatChannelHelpers) {
  struct TCase {
    float R, G, B, Spread[3], Compressed[3];
  };
  const TCase Cases[] = {
      {1.4f, 0.2f, 0.2f, {1, 0.4f, 0.4f}, {1, 0.4f, 0.4f}},
      {-0.5f, 0.5f, 1.5f, {0, 0.75f, 1}, {0.25f, 0.5f, 0.75f}},
      {0.2f, 0.5f, 0.9f, {0.2f, 0.5f, 0.9f}, {0.2f, 0.5f, 0.9f}},
      {-0.3f, -0.3f, -0.3f, {0, 0, 0}, {0, 0, 0}},  // a grey is clamped
      {1.2f, 1.2f, 1.2f, {1, 1, 1}, {1, 1, 1}},
  };
  for (const TCase& C : Cases) {
    float R = C.R, G = C.G, B = C.B;
    SpreadOverflowRGB(R, G, B);
    EXPECT_NEAR(R, C.Spread[0], 1e-6f) << C.R << "," << C.G << "," << C.B;
    EXPECT_NEAR(G, C.Spread[1], 1e-6f) << C.R << "," << C.G << "," << C.B;
    EXPECT_NEAR(B, C.Spread[2], 1e-6f) << C.R << "," << C.G << "," << C.B;
    R = C.R, G = C.G, B = C.B;
    CompressRGBToRange(R, G, B);
    EXPECT_NEAR(R, C.Compressed[0], 1e-6f) << C.R << "," << C.G << "," << C.B;
    EXPECT_NEAR(G, C.Compressed[1], 1e-6f) << C.R << "," << C.G << "," << C.B;
    EXPECT_NEAR(B, C.Compressed[2], 1e-6f) << C.R << "," << C.G << "," << C.B;
  }
  float R = 0.3f, G = 0.6f, B = 0.9f;
  SaturationEqualRGB(R, G, B, 2);
  EXPECT_NEAR(R, 0.0f, 1e-6f);
  EXPECT_NEAR(G, 0.6f, 1e-6f);
  EXPECT_NEAR(B, 1.2f, 1e-6f);
}

TEST(PixelColourHelpers, PixelMixes) {
  const uint32_t A = Bgra(200, 100, 0, 255), B = Bgra(0, 100, 200, 255);
  EXPECT_EQ(BlendPixel24(A, B, 256), Bgra(200, 100, 0, 0));
  EXPECT_EQ(BlendPixel24(A, B, 64), Bgra(50, 100, 150, 0));
  EXPECT_EQ(BlendPixel24(A, B, 9999), Bgra(200, 100, 0, 0));  // W held to 256
  EXPECT_EQ(BlendPixels32(A, B, 128, 128), Bgra(100, 100, 100, 255));
  EXPECT_EQ(BlendPixels32(A, B, 256, 256), Bgra(200, 200, 200, 255));
  EXPECT_EQ(BlendPixels32(A, B, 1, 1), Bgra(0, 0, 0, 1));
  EXPECT_EQ(BlendPixels32(A, B, -256, 0), 0u);  // no wrap-around below 0
}

}  // namespace
