#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "image_test_support.h"
#include "images/image96.h"

using namespace kromel;
using namespace kromel::test;

namespace {

class Image96Test : public MessageCapture {};

// A W x H image whose pixel K has every word and Extra K + 1.
TImage96 Numbered96(int32_t W, int32_t H) {
  TImage96 I;
  I.Alloc(W, H);
  for (int32_t K = 0; K < I.Size; ++K) {
    const uint16_t V = uint16_t(K + 1);
    I.Pixels[K] = Px(V, V, V, V, uint32_t(K + 1) * 1000);
  }
  return I;
}

std::vector<uint32_t> Extras(const TImage96& I) {
  std::vector<uint32_t> V;
  for (int32_t K = 0; K < I.Size; ++K) V.push_back(I.Pixels[K].Extra);
  return V;
}

TEST_F(Image96Test, AllocReportsEmptySizesAndClearZeroesExtra) {
  TImage96 I;
  EXPECT_FALSE(I.Alloc(0, 5));  // an empty image, no message box
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(I.Width, 0);
  EXPECT_EQ(I.Height, 0);
  EXPECT_TRUE(I.IsEmpty());
  EXPECT_FALSE(I.Alloc(65536, 65536));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].rfind(
                "Exception in TImage96.Alloc, size=4294967296 width=65536 height=65536", 0),
            0u);
  EXPECT_EQ(I.Width, 0);

  ASSERT_TRUE(I.Alloc(3, 2));
  I.Fill(Px(1, 2, 3, 4, 7));
  EXPECT_EQ(Extras(I), std::vector<uint32_t>(6, 7));
  I.CopyMarginsFrom(1, 2, 3, 4);
  I.Clear();
  for (int32_t K = 0; K < I.Size; ++K) EXPECT_EQ(I.Pixels[K], Px(0, 0, 0, 0, 0));
  EXPECT_EQ(I.MarginBottom, 0);
  TPixel96* Held = I.Pixels;
  I.SetSize(3, 2);
  EXPECT_EQ(I.Pixels, Held);
  I.Dispose();
  I.Dispose();
  EXPECT_EQ(I.Pixels, nullptr);
}

TEST_F(Image96Test, ExtraTravelsWithWholePixelMoves) {
  TImage96 I = Numbered96(3, 2);  // Extra 1000..6000
  TImage96 C;
  C.Copy(I);
  EXPECT_EQ(Extras(C), Extras(I));

  C.RotateRight();  // (0,0) -> (1,0); (2,1) -> (0,2)
  ASSERT_EQ(C.Width, 2);
  ASSERT_EQ(C.Height, 3);
  EXPECT_EQ(C.Row(0)[1].Extra, 1000u);
  EXPECT_EQ(C.Row(2)[0].Extra, 6000u);
  C.RotateLeft();
  EXPECT_EQ(Extras(C), Extras(I));

  C.FlipHorizontal();
  EXPECT_EQ(Extras(C), (std::vector<uint32_t>{3000, 2000, 1000, 6000, 5000, 4000}));
  C.FlipVertical();
  EXPECT_EQ(Extras(C), (std::vector<uint32_t>{6000, 5000, 4000, 3000, 2000, 1000}));

  TImage96 Up = Numbered96(1, 1);
  Up.UpSample2x();
  ASSERT_EQ(Up.Size, 4);
  for (int32_t K = 0; K < 4; ++K) EXPECT_EQ(Up.Pixels[K], Px(1, 1, 1, 1, 1000));

  TImage96 Crop;
  I.CropTo(Crop, {-5, -5}, {10000, 10000});
  EXPECT_EQ(Extras(Crop), Extras(I));
  I.CropTo(I, {1, 1}, {3, 2});
  EXPECT_EQ(Extras(I), (std::vector<uint32_t>{5000, 6000}));

  TImage96 M = Numbered96(5, 1);
  M.MirrorLeftToRight();
  EXPECT_EQ(Extras(M), (std::vector<uint32_t>{1000, 2000, 3000, 2000, 1000}));

  // Computed colours keep the pixel's own Extra.
  TImage96 S = Numbered96(4, 1);
  S.Smooth121();
  EXPECT_EQ(Extras(S), (std::vector<uint32_t>{1000, 2000, 3000, 4000}));
  S.GaussianBlur(2);
  EXPECT_EQ(Extras(S), (std::vector<uint32_t>{1000, 2000, 3000, 4000}));
  EXPECT_TRUE(Silent());
}

TEST_F(Image96Test, ChunkStoresTwelveBytePixelsWithExtra) {
  TempDir Dir;
  const std::string Name = (Dir.Path / "img.samp").string();
  TImage96 I;
  I.Alloc(1, 1);
  I.Pixels[0] = Px(0x0102, 0x0304, 0x0506, 0x0708, 0x0A0B0C0D);
  std::FILE* F = std::fopen(Name.c_str(), "wb");
  ASSERT_NE(F, nullptr);
  EXPECT_TRUE(I.WriteToFile(F));
  std::fclose(F);
  const std::vector<uint8_t> Bytes = ReadBytes(Name);
  ASSERT_EQ(Bytes.size(), 24u);
  EXPECT_EQ(std::vector<uint8_t>(Bytes.begin(), Bytes.begin() + 12),
            (std::vector<uint8_t>{'S', 'A', 'M', 'P', 1, 0, 0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(std::vector<uint8_t>(Bytes.begin() + 12, Bytes.end()),
            (std::vector<uint8_t>{2, 1, 4, 3, 6, 5, 8, 7, 0x0D, 0x0C, 0x0B, 0x0A}));

  TImage96 Back;
  F = std::fopen(Name.c_str(), "rb");
  EXPECT_TRUE(Back.ReadFromFile(F));
  std::fclose(F);
  ASSERT_EQ(Back.Size, 1);
  EXPECT_EQ(Back.Pixels[0], I.Pixels[0]);

  // A file without the tag leaves the position where it was.
  F = std::fopen(Name.c_str(), "rb");
  std::fseek(F, 4, SEEK_SET);
  EXPECT_FALSE(Back.ReadFromFile(F));
  EXPECT_EQ(std::ftell(F), 4);
  std::fclose(F);
}

TEST_F(Image96Test, AlphaOperationsOnHitCounts) {
  TImage96 I;
  I.Alloc(3, 1);
  I.Pixels[0] = Px(0, 0, 0, 0);
  I.Pixels[1] = Px(0, 0, 0, 1);
  I.Pixels[2] = Px(0, 0, 0, 65535);
  I.SqrtAlpha();
  EXPECT_EQ(I.Pixels[0].A, 0);
  EXPECT_EQ(I.Pixels[1].A, 256);
  EXPECT_EQ(I.Pixels[2].A, 65510);

  I.Pixels[0] = Px(1000, 30000, 65535, 40000, 9);
  I.Pixels[1] = Px(1000, 30000, 65535, 0, 9);
  I.Pixels[2] = Px(1000, 30000, 65535, 20000, 9);
  I.MultiplyByAlpha(2);  // m = min(2A, 65535)
  EXPECT_EQ(I.Pixels[0], Px(65535 * 1000 >> 16, 65535 * 30000 >> 16, 65535LL * 65535 >> 16, 40000, 9));
  EXPECT_EQ(I.Pixels[1], Px(0, 0, 0, 0, 9));
  EXPECT_EQ(I.Pixels[2], Px(40000 * 1000 >> 16, 40000 * 30000 >> 16, 40000LL * 65535 >> 16, 20000, 9));

  // Saturating alpha sums; a source partly or wholly outside is clipped.
  TImage96 Dst;
  Dst.Alloc(3, 3);
  Dst.Fill(Px(0, 0, 0, 30000));
  Dst.Pixels[4].A = 65534;
  TImage96 Src;
  Src.Alloc(2, 2);
  Src.Fill(Px(0, 0, 0, 40000));
  Src.Pixels[0].A = 1;
  Dst.AddAlphaFrom(1, 1, Src);
  EXPECT_EQ(Dst.Pixels[4].A, 65535);  // 65534 + 1
  EXPECT_EQ(Dst.Pixels[8].A, 65535);  // 30000 + 40000
  EXPECT_EQ(Dst.Pixels[0].A, 30000);
  for (TPoint At : {TPoint{-1, -1}, TPoint{2, 2}, TPoint{-5, 0}, TPoint{3, 0}, TPoint{0, 100}})
    Dst.AddAlphaFrom(At.X, At.Y, Src);
  EXPECT_EQ(Dst.Pixels[0].A, 65535);  // from (-1, -1) only Src(1, 1) lands, at (0, 0)
  EXPECT_EQ(Dst.Pixels[1].A, 30000);
  EXPECT_EQ(Dst.Pixels[3].A, 30000);
}

TEST_F(Image96Test, ColourWordsAndImageArithmeticAtTheirEdges) {
  TImage96 I;
  I.Alloc(2, 1);
  I.Pixels[0] = Px(65000, 100, 0, 5, 3);
  I.Pixels[1] = Px(40000, 1000, 0, 50000, 3);
  TImage96 Add;
  Add.Copy(I);
  Add.AddColor(Px(1000, 1000, 1000, 1000, 77));
  EXPECT_EQ(Add.Pixels[0], Px(65535, 1100, 1000, 5, 3));
  Add.Copy(I);
  Add.ScaleRGB(512);
  EXPECT_EQ(Add.Pixels[1], Px(65535, 2000, 0, 50000, 3));
  Add.Copy(I);
  Add.FillColorKeepAlpha(Px(1, 2, 3, 4, 99));
  EXPECT_EQ(Add.Pixels[0], Px(1, 2, 3, 5, 99));
  EXPECT_EQ(Add.Pixels[1], I.Pixels[1]);

  TImage96 E;
  E.Alloc(1, 1);
  E.Pixels[0] = Px(1000, 0, 65535, 0, 5);
  TImage96 D;
  D.Copy(E);
  Image96Divide(E, E, D, 1);
  EXPECT_EQ(D.Pixels[0], Px(65403, 0, 65533, 0, 5));
  Image96Divide(E, E, D, -4);  // a bias below 1 must not divide by zero
  EXPECT_EQ(D.Pixels[0].G, 0);
  Image96AddScaled(E, E, D, 32768, -1.0f, 0.5f);  // (B x -1 + A) x 0.5 + 32768
  EXPECT_EQ(D.Pixels[0], Px(32768, 32768, 32768, 0, 5));
  Image96AddScaled(E, E, D, -70000, 1.0f, 1.0f);
  EXPECT_EQ(D.Pixels[0], Px(0, 0, 61070, 0, 5));
  // A destination smaller than A is not overrun.
  TImage96 Small;
  Image96AddScaled(I, I, Small, 0, 1, 1);
  Image96Divide(I, I, Small, 1);

  int32_t H, S, V, R, G, B;
  RGBtoHSV96(0, 65535, 0, H, S, V);
  EXPECT_EQ(H, 21845);
  EXPECT_EQ(S, 65535);
  HSVtoRGB96(H, S, V, R, G, B);
  EXPECT_EQ(R, 0);
  EXPECT_EQ(G, 65535);
  EXPECT_EQ(B, 0);
}

TEST_F(Image96Test, ConversionsAndNormalize) {
  TImage32 Src = Numbered32(2, 1);
  Src.Pixels[0].Value = Bgra(255, 0, 128, 255);
  TImage96 I;
  I.CopyFromImage32(Src);
  EXPECT_EQ(I.Pixels[0], Px(128 * 257, 0, 65535, 65535, 0));
  TImage32 Back;
  I.CopyToImage32(Back);
  EXPECT_EQ(Back.Pixels[0].Value, Bgra(255, 0, 128, 255));

  // Every word 40000: the stretch has no range, so 0 everywhere.
  I.Fill(Px(40000, 40000, 40000, 40000));
  I.NormalizeTo32(Back);
  EXPECT_EQ(Back.Pixels[0].Value, 0u);
  // Values above 32767 still stretch over the whole 0..255.
  I.Pixels[0] = Px(40000, 50000, 45000, 50000);
  I.Pixels[1] = Px(40000, 40000, 40000, 40000);
  I.NormalizeTo32(Back);
  EXPECT_EQ(Back.Pixels[0].Value, Bgra(127, 255, 0, 255));
  // A target too small is reported, not overrun.
  TImage32 Tiny;
  Tiny.Alloc(1, 1);
  I.NormalizeTo32(Tiny);
  EXPECT_EQ(Errors().size(), 1u);

  TRawBitmap Bitmap(1, 1, pf32bit);
  TImage96 One;
  One.Alloc(1, 1);
  One.Pixels[0] = Px(65535, 32768, 256, 0);
  One.CopyTo(Bitmap);
  EXPECT_EQ(std::vector<uint8_t>(Bitmap.ScanLine(0), Bitmap.ScanLine(0) + 4),
            (std::vector<uint8_t>{0, 255, 128, 1}));
  Bitmap.ScanLine(0)[0] = 9;
  One.DrawOnBitmap(Bitmap, 0);
  EXPECT_EQ(Bitmap.ScanLine(0)[0], 9);
  One.DrawOnBitmap(Bitmap, -3);  // rows above the bitmap are skipped
  One.DrawOnBitmap(Bitmap, 5);
  EXPECT_EQ(Pixel96ToText(MakePixel96(65535, 0, 0, 65535)), "R: 65535; G: 0; B: 0; A: 65535");
  EXPECT_EQ(ColorToPixel96(0xFFFFFFFF), Px(65280, 65280, 65280, 65280));
  EXPECT_EQ(Pixel96ToColor(Px(65535, 0, 256, 0)), 0x0100FFu);
}

TEST_F(Image96Test, FiltersResamplingAndAnalysis) {
  TImage96 Row = Numbered96(4, 1);
  const uint16_t V[4] = {0, 0, 4, 0};
  for (int K = 0; K < 4; ++K) Row.Pixels[K] = Px(V[K], V[K], V[K], V[K], 1);
  Row.Smooth121();
  EXPECT_EQ(Row.Pixels[1], Px(1, 1, 1, 1, 1));
  EXPECT_EQ(Row.Pixels[2], Px(2, 2, 2, 2, 1));
  EXPECT_EQ(Row.Pixels[3], Px(0, 0, 0, 0, 1));

  TImage96 Down = Numbered96(3, 3);
  Down.DownSample2x();  // block 1, 2, 4, 5
  ASSERT_EQ(Down.Size, 1);
  EXPECT_EQ(Down.Pixels[0].R, 2);  // ((1 + 2) / 2 + (4 + 5) / 2) / 2
  TImage96 Thin = Numbered96(1, 3);
  Thin.DownSample2x();
  EXPECT_TRUE(Thin.IsEmpty());
  EXPECT_TRUE(Messages().empty());  // halving to nothing is not an error

  TImage96 Keys;
  Keys.Alloc(5, 1);
  const uint16_t K[5] = {3, 1, 7, 1, 0};  // keys 9, 3, 21, 3, 0
  for (int I = 0; I < 5; ++I) Keys.Pixels[I] = Px(K[I], K[I], K[I], 65535);
  EXPECT_EQ(Keys.GetDarkestAverage(3).R, (0 + 1 + 1) / 3);
  EXPECT_EQ(Keys.GetBrightestAverage(0).R, 7);
  int32_t Spread = 99;
  Keys.SetAlpha(100);
  EXPECT_EQ(Keys.GetAverageColor(2, 0, -3, Spread).R, 7);
  EXPECT_EQ(Spread, 0);
  EXPECT_EQ(Keys.GetContentRect().Left, 0);
  Keys.SetAlpha(0);
  Keys.FillAlphaRect(3, -4, 100, 100, 5);
  const TRect R = Keys.GetContentRect();
  EXPECT_EQ(R.Left, 3);
  EXPECT_EQ(R.Right, 4);
}

}  // namespace
