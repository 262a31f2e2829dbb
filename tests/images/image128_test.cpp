#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "image_test_support.h"
#include "images/image128.h"
#include "support/temp_dir.h"

using namespace kromel;
using namespace kromel::test;

namespace {

class Image128Test : public MessageCapture {};

TBGRAPixel128 Rgba(float R, float G, float B, float A = 1) {
  TBGRAPixel128 P;
  P.Init(R, G, B, A);
  return P;
}

bool Same(const TBGRAPixel128& A, const TBGRAPixel128& B) {
  return std::memcmp(&A, &B, sizeof(A)) == 0;
}

TImage128 Make128(int32_t W, int32_t H, TBGRAPixel128 P = {0, 0, 0, 0}) {
  TImage128 I;
  I.Alloc(W, H);
  I.Fill(P);
  return I;
}

// Pixel K holds (K, 2K, 3K, 4K) in blue, green, red, alpha.
TImage128 Numbered128(int32_t W, int32_t H) {
  TImage128 I;
  I.Alloc(W, H);
  for (int32_t K = 0; K < I.Size; ++K) I.Data[K] = {float(K), 2.0f * K, 3.0f * K, 4.0f * K};
  return I;
}

std::vector<uint8_t> ChunkBytes(int32_t W, int32_t H, const std::vector<float>& Floats) {
  std::vector<uint8_t> B = {'S', 'A', 'M', 'P'};
  for (int32_t V : {W, H})
    for (int S = 0; S < 32; S += 8) B.push_back(uint8_t(uint32_t(V) >> S));
  const size_t At = B.size();
  B.resize(At + Floats.size() * 4);
  if (!Floats.empty()) std::memcpy(B.data() + At, Floats.data(), Floats.size() * 4);
  return B;
}

std::FILE* OpenWith(const std::string& Name, const std::vector<uint8_t>& Bytes) {
  std::FILE* F = std::fopen(Name.c_str(), "w+b");
  if (F == nullptr) return nullptr;
  std::fwrite(Bytes.data(), 1, Bytes.size(), F);
  std::rewind(F);
  return F;
}

TEST_F(Image128Test, InitEmptiesTheImage) {
  TImage128 I;
  ASSERT_TRUE(I.Alloc(3, 4));
  I.Init();
  EXPECT_EQ(I.Data, nullptr);
  EXPECT_EQ(I.Width, 0);
  EXPECT_EQ(I.Height, 0);
  EXPECT_EQ(I.Size, 0);
}

TEST_F(Image128Test, AllocSetSizeAndDispose) {
  TImage128 I;
  ASSERT_TRUE(I.Alloc(5, 3));
  EXPECT_EQ(I.Size, 15);
  TBGRAPixel128* Before = I.Data;
  EXPECT_TRUE(I.SetSize(5, 3));
  EXPECT_EQ(I.Data, Before);
  EXPECT_TRUE(I.SetSize(2, 2));
  EXPECT_EQ(I.Size, 4);
  I.Dispose();
  EXPECT_EQ(I.Data, nullptr);
  EXPECT_EQ(I.Size, 0);
  I.Dispose();  // twice is harmless

  for (const auto& [W, H] : std::vector<std::pair<int32_t, int32_t>>{{0, 5}, {5, -1}}) {
    EXPECT_FALSE(I.Alloc(W, H));
    EXPECT_EQ(I.Data, nullptr);
    EXPECT_EQ(I.Size, 0);
  }
  EXPECT_FALSE(I.Alloc(65536, 65536));  // too many pixels
  EXPECT_EQ(I.Data, nullptr);
  EXPECT_EQ(I.Width, 0);
  EXPECT_EQ(I.Size, 0);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].rfind("Exception in TImage128.Alloc, size=4294967296", 0), 0u);
}

TEST_F(Image128Test, ResizeKeepsLeadingPixelsInMemoryOrder) {
  struct TCase {
    int32_t W, H, Kept;
  };
  for (const TCase C : {TCase{2, 4, 8}, TCase{3, 2, 6}, TCase{8, 2, 8}}) {
    TImage128 I = Numbered128(4, 2);
    ASSERT_TRUE(I.Resize(C.W, C.H));
    EXPECT_EQ(I.Width, C.W);
    EXPECT_EQ(I.Size, C.W * C.H);
    for (int32_t K = 0; K < C.Kept; ++K) EXPECT_EQ(I.Data[K].B, float(K)) << C.W << "x" << C.H;
  }
  TImage128 Empty;
  ASSERT_TRUE(Empty.Resize(2, 2));
  EXPECT_EQ(Empty.Size, 4);
}

TEST_F(Image128Test, FillClearSetAlphaAndClampRGB) {
  TImage128 I = Make128(2, 2, Rgba(2, -1, 0.5f, 3));
  I.ClampRGB();
  EXPECT_TRUE(Same(I.Data[3], Rgba(1, 0, 0.5f, 3)));
  I.SetAlpha(0.25f);
  EXPECT_EQ(I.Data[0].A, 0.25f);
  I.Clear();
  EXPECT_TRUE(Same(I.Data[2], Rgba(0, 0, 0, 0)));
}

TEST_F(Image128Test, CopyChecksBothImages) {
  TImage128 Src = Numbered128(3, 2);
  TImage128 Dst;
  Dst.Copy(Src);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "TImage128.Copy - Destination image is not allocated");

  Dst = Make128(2, 2, Rgba(9, 9, 9, 9));
  Dst.Copy(Src);  // Src holds more: the first four are copied
  for (int32_t K = 0; K < 4; ++K) EXPECT_EQ(Dst.Data[K].B, float(K));
  EXPECT_EQ(Dst.Width, 2);

  TImage128 Big = Make128(4, 4, Rgba(9, 9, 9, 9));
  Big.Copy(Src);  // Src holds too few: reported and skipped
  EXPECT_EQ(Errors().size(), 1u);
  EXPECT_TRUE(Same(Big.Data[15], Rgba(9, 9, 9, 9)));
}

TEST_F(Image128Test, Image32RoundTripKeepsEveryByte) {
  TImage32 In;
  ASSERT_TRUE(In.Alloc(16, 16));
  for (int32_t K = 0; K < In.Size; ++K)
    In.Pixels[K].BGRA = {uint8_t(K), uint8_t(255 - K), uint8_t(K * 7), uint8_t(K * 13)};
  TImage128 F;
  F.CopyFromImage32(In);
  ASSERT_EQ(F.Size, 256);
  EXPECT_EQ(F.Data[255].B, float(255 / 255.0));
  EXPECT_EQ(F.Data[1].G, float(254 / 255.0));
  TImage32 Out;
  ASSERT_TRUE(Out.Alloc(16, 16));
  F.CopyToImage32(Out);
  EXPECT_EQ(Values(Out), Values(In));
}

TEST_F(Image128Test, CopyToImage32RoundsAndClamps) {
  const float NaN = std::numeric_limits<float>::quiet_NaN();
  TImage128 F = Make128(4, 1);
  F.Data[0] = {0.998f, 1.5f, -0.2f, NaN};
  F.Data[1] = {0.5f, 1.0f, 0.0f, 0.002f};  // 127.5 -> 128, 0.51 -> 1
  F.Data[2] = {std::numeric_limits<float>::infinity(), 1e30f, -1e30f, 0.4f / 255.0f};
  F.Data[3] = {0.25f, 0.75f, 1.0f / 255.0f, 0};  // 63.75, 191.25, 1
  TImage32 Out;
  ASSERT_TRUE(Out.Alloc(4, 1));
  F.CopyToImage32(Out);
  EXPECT_EQ(Out.Pixels[0].Value, Bgra(254, 255, 0, 0));
  EXPECT_EQ(Out.Pixels[1].Value, Bgra(128, 255, 0, 1));
  EXPECT_EQ(Out.Pixels[2].Value, Bgra(255, 255, 0, 0));
  EXPECT_EQ(Out.Pixels[3].Value, Bgra(64, 191, 1, 0));
  EXPECT_TRUE(Silent());

  TImage32 Small;
  ASSERT_TRUE(Small.Alloc(3, 1));
  Small.Fill(0x123456);
  F.CopyToImage32(Small);
  EXPECT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Small.Pixels[0].Value, Small.Pixels[2].Value);
  EXPECT_EQ(Small.Pixels[0].Value, RGBAToBGRA32(0x123456));
}

TEST_F(Image128Test, Image64Conversions) {
  TImage128 F = Make128(3, 1);
  F.Data[0] = Rgba(0.5f, 1.0f, 0.0f, 1.0f);
  F.Data[1] = Rgba(-0.1f, 2.0f, 1.0f / 65535.0f, 0.25f);
  F.Data[2] = Rgba(std::numeric_limits<float>::quiet_NaN(), 0, 0, 0);
  TImage64 W;
  ASSERT_TRUE(W.Alloc(3, 1));
  F.CopyToImage64(W);
  EXPECT_EQ(W.Pixels[0].R, 32768);  // 32767.5 to even
  EXPECT_EQ(W.Pixels[0].G, 65535);
  EXPECT_EQ(W.Pixels[0].B, 0);
  EXPECT_EQ(W.Pixels[0].A, 65535);
  EXPECT_EQ(W.Pixels[1].R, 0);
  EXPECT_EQ(W.Pixels[1].G, 65535);
  EXPECT_EQ(W.Pixels[1].B, 1);
  EXPECT_EQ(W.Pixels[1].A, 16384);  // 16383.75
  EXPECT_EQ(W.Pixels[2].R, 0);

  TImage128 Back;
  Back.CopyFromImage64(W);
  ASSERT_EQ(Back.Size, 3);
  EXPECT_EQ(Back.Data[0].R, float(32768 / 65535.0));
  EXPECT_EQ(Back.Data[0].G, 1.0f);
  EXPECT_EQ(Back.Data[1].B, float(1 / 65535.0));

  TImage64 None;
  Back.CopyFromImage64(None);  // an empty source empties the image
  EXPECT_EQ(Back.Data, nullptr);
  EXPECT_EQ(Back.Size, 0);

  TImage64 Small;
  ASSERT_TRUE(Small.Alloc(2, 1));
  Small.Fill({7, 7, 7, 7});
  F.CopyToImage64(Small);
  EXPECT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Small.Pixels[1].R, 7);
}

TEST_F(Image128Test, ExpandRGBFloatToPixel128InPlace) {
  std::vector<float> Buf(4 * 3, -1);
  const float Rgb[9] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f};
  std::memcpy(Buf.data(), Rgb, sizeof(Rgb));
  ExpandRGBFloatToPixel128(Buf.data(), 3);
  const std::vector<float> Want = {0.3f, 0.2f, 0.1f, 1, 0.6f, 0.5f, 0.4f, 1, 0.9f, 0.8f, 0.7f, 1};
  EXPECT_EQ(Buf, Want);
}

TEST_F(Image128Test, ChunkRoundTripAndLayout) {
  kromel::testing::TTestTempDir Dir("kromel_image128");
  const std::string Name = Dir.File("chunk.bin");
  TImage128 I = Numbered128(3, 2);
  I.Data[5] = Rgba(0.25f, 0.5f, 0.75f, 1);
  std::FILE* F = std::fopen(Name.c_str(), "w+b");
  ASSERT_NE(F, nullptr);
  ASSERT_TRUE(I.WriteToFile(F));
  TImage128 Empty;
  ASSERT_TRUE(Empty.WriteToFile(F));
  std::fclose(F);

  std::vector<float> Floats;
  for (int32_t K = 0; K < I.Size; ++K)
    for (float V : {I.Data[K].B, I.Data[K].G, I.Data[K].R, I.Data[K].A}) Floats.push_back(V);
  std::vector<uint8_t> Want = ChunkBytes(3, 2, Floats);
  const std::vector<uint8_t> EmptyChunk = ChunkBytes(0, 0, {});
  Want.insert(Want.end(), EmptyChunk.begin(), EmptyChunk.end());
  EXPECT_EQ(ReadBytes(Name), Want);

  F = std::fopen(Name.c_str(), "rb");
  ASSERT_NE(F, nullptr);
  TImage128 R;
  ASSERT_TRUE(R.ReadFromFile(F));
  EXPECT_EQ(R.Width, 3);
  EXPECT_EQ(R.Height, 2);
  EXPECT_EQ(std::memcmp(R.Data, I.Data, 6 * sizeof(TBGRAPixel128)), 0);
  ASSERT_TRUE(R.ReadFromFile(F));  // the 0 x 0 chunk empties it
  EXPECT_EQ(R.Data, nullptr);
  EXPECT_EQ(R.Size, 0);
  std::fclose(F);
  EXPECT_TRUE(Silent());
}

TEST_F(Image128Test, ChunkReadRefusesBadInputAndChangesNothing) {
  kromel::testing::TTestTempDir Dir("kromel_image128");
  struct TCase {
    const char* Name;
    std::vector<uint8_t> Bytes;
    bool Reported;
  };
  std::vector<uint8_t> Short = ChunkBytes(2, 2, std::vector<float>(15, 0.5f));  // one missing
  std::vector<uint8_t> Huge = ChunkBytes(100000, 100000, {});
  std::vector<uint8_t> Negative = ChunkBytes(-2, 3, std::vector<float>(24, 0));
  std::vector<uint8_t> HalfEmpty = ChunkBytes(0, 5, {});
  const TCase Cases[] = {
      {"no tag", {'S', 'A', 'M', 'Q', 1, 0, 0, 0, 1, 0, 0, 0}, false},
      {"short pixels", Short, true},
      {"huge size", Huge, true},
      {"negative width", Negative, true},
      {"width 0 only", HalfEmpty, true},
      {"tag only", {'S', 'A', 'M', 'P', 1}, true},
  };
  for (const TCase& C : Cases) {
    CapturedErrors().clear();
    std::FILE* F = OpenWith(Dir.File("bad.bin"), C.Bytes);
    ASSERT_NE(F, nullptr);
    TImage128 I = Make128(1, 1, Rgba(0.1f, 0.2f, 0.3f, 0.4f));
    TBGRAPixel128* Before = I.Data;
    EXPECT_FALSE(I.ReadFromFile(F)) << C.Name;
    EXPECT_EQ(std::ftell(F), 0) << C.Name;
    EXPECT_EQ(I.Data, Before) << C.Name;
    EXPECT_EQ(I.Size, 1) << C.Name;
    EXPECT_TRUE(Same(I.Data[0], Rgba(0.1f, 0.2f, 0.3f, 0.4f))) << C.Name;
    EXPECT_EQ(Errors().size(), C.Reported ? 1u : 0u) << C.Name;
    std::fclose(F);
  }
}

TEST_F(Image128Test, UpAndDownSampling) {
  TImage128 I = Numbered128(2, 1);
  I.UpSample2x();
  ASSERT_EQ(I.Width, 4);
  ASSERT_EQ(I.Height, 2);
  const float Want[8] = {0, 0, 1, 1, 0, 0, 1, 1};
  for (int K = 0; K < 8; ++K) EXPECT_EQ(I.Data[K].B, Want[K]);

  TImage128 D = Numbered128(3, 3);  // 0 1 2 / 3 4 5 / 6 7 8
  D.DownSample2x();
  ASSERT_EQ(D.Size, 1);
  EXPECT_EQ(D.Data[0].B, 2.0f);  // mean of 0, 1, 3, 4
  EXPECT_EQ(D.Data[0].A, 8.0f);
  D.DownSample2x();  // 1 x 1 has no 2 x 2 block left
  EXPECT_EQ(D.Data, nullptr);
  EXPECT_EQ(D.Size, 0);

  TImage128 R = Numbered128(3, 2);
  R.ReversePixels();
  for (int K = 0; K < 6; ++K) EXPECT_EQ(R.Data[K].B, float(5 - K));
}

TEST_F(Image128Test, SmoothRecursive) {
  TImage128 I = Numbered128(4, 3);
  TImage128 Copy = Numbered128(4, 3);
  I.SmoothRecursive(0);
  EXPECT_EQ(std::memcmp(I.Data, Copy.Data, 12 * sizeof(TBGRAPixel128)), 0);
  TImage128 Flat = Make128(5, 4, Rgba(0.3f, 0.6f, 0.9f, 1));
  Flat.SmoothRecursive(0.7f);
  for (int32_t K = 0; K < Flat.Size; ++K) EXPECT_NEAR(Flat.Data[K].G, 0.6f, 1e-6f);
  // Every pass after the first caps at 65535.
  TImage128 Big = Make128(2, 2, Rgba(1e6f, 1e6f, 1e6f, 1e6f));
  Big.SmoothRecursive(0.5f);
  EXPECT_EQ(Big.Data[0].R, 65535.0f);
}

TEST_F(Image128Test, GaussianBlurKeepsFlatAreasAndSpreadsSymmetrically) {
  TImage128 Flat = Make128(9, 7, Rgba(0.25f, 0.5f, 0.75f, 1));
  Flat.GaussianBlur(1.5f);
  for (int32_t K = 0; K < Flat.Size; ++K) {
    EXPECT_NEAR(Flat.Data[K].R, 0.25f, 1e-6f);
    EXPECT_NEAR(Flat.Data[K].B, 0.75f, 1e-6f);
    EXPECT_NEAR(Flat.Data[K].A, 1.0f, 1e-6f);
  }

  const int32_t N = 11, C = 5;
  TImage128 Dot = Make128(N, N);
  Dot.Row(C)[C] = Rgba(1, 1, 1, 1);
  Dot.GaussianBlur(1.0f);
  double Sum = 0;
  for (int32_t Y = 0; Y < N; ++Y)
    for (int32_t X = 0; X < N; ++X) {
      const float V = Dot.Row(Y)[X].R;
      Sum += V;
      EXPECT_EQ(V, Dot.Row(Y)[N - 1 - X].R) << X << "," << Y;
      EXPECT_EQ(V, Dot.Row(N - 1 - Y)[X].R) << X << "," << Y;
      EXPECT_EQ(V, Dot.Row(X)[Y].R) << X << "," << Y;
    }
  EXPECT_NEAR(Sum, 1.0, 1e-5);
  EXPECT_LT(Dot.Row(C)[C].R, 0.5f);
  EXPECT_GT(Dot.Row(C)[C + 1].R, 0.0f);
  EXPECT_GT(Dot.Row(C)[C].R, Dot.Row(C)[C + 1].R);
  EXPECT_GT(Dot.Row(C)[C + 1].R, Dot.Row(C + 1)[C + 1].R);

  TImage128 Kept = Numbered128(3, 3);
  Kept.GaussianBlur(0);  // no kernel: the image stays as it was
  for (int32_t K = 0; K < 9; ++K) EXPECT_EQ(Kept.Data[K].B, float(K));
}

TEST_F(Image128Test, SearchesAndCounts) {
  TImage128 I = Make128(5, 1);
  I.Data[0] = Rgba(0.5f, 0.5f, 0.5f, 0.05f);  // too transparent for both
  I.Data[1] = Rgba(0.52f, 0.5f, 0.5f, 0.3f);  // near, but alpha 0.3
  I.Data[2] = Rgba(1, 1, 0, 1);
  I.Data[3] = Rgba(1, 0, 0, 1);
  I.Data[4] = Rgba(0.5f, 0.5f, 0.5f, 0.6f);
  EXPECT_EQ(I.FindNearColor(0.5f, 0.5f, 0.5f, 0.05f), 1);
  EXPECT_EQ(I.FindNearColor(0.5f, 0.5f, 0.5f, 0.01f), 4);
  EXPECT_EQ(I.FindNearColor(0, 0, 1, 0.5f), -1);
  EXPECT_EQ(I.FindNearestColor(0.5f, 0.5f, 0.5f), 4);
  EXPECT_EQ(I.FindNearestColor(1, 0.5f, 0), 2);  // tie with 3: the first
  EXPECT_EQ(I.CountClippedPixels(), 2);
  EXPECT_EQ(I.CountClipped2(), 1);
  EXPECT_EQ(I.CountVisiblePixels(), 5);
  EXPECT_FALSE(I.IsAllBlack());
  float Avg = -1;
  EXPECT_EQ(AverageNeutralSaturation(I, Avg, 0.1f), 3);  // the greys and the near grey
  EXPECT_NEAR(Avg, 0.02f / 0.57f / 3, 1e-6f);
  EXPECT_EQ(AverageNeutralSaturation(I, Avg, 0), 0);
  EXPECT_EQ(Avg, 0);

  I.SetAlpha(0.5f);
  EXPECT_EQ(I.FindNearestColor(0.5f, 0.5f, 0.5f), -1);  // 0.5 is not above 0.5
  I.Fill(Rgba(1e-6f, 0, 0, 1e-5f));
  EXPECT_TRUE(I.IsAllBlack());
  EXPECT_EQ(I.CountVisiblePixels(), 0);
}

TEST_F(Image128Test, PixelBlendAndComposite) {
  TBGRAPixel128 R;
  BlendPixel128(R, Rgba(0, 0.5f, 1, 0), Rgba(1, 0.5f, 0, 1), 0.25f);
  EXPECT_TRUE(Same(R, Rgba(0.25f, 0.5f, 0.75f, 0.25f)));
  TBGRAPixel128 Under = Rgba(1, 1, 1, 0.3f);
  CompositePixel128(Under, Under, Rgba(0, 0, 0, 0.25f));
  EXPECT_TRUE(Same(Under, Rgba(0.75f, 0.75f, 0.75f, 0.3f)));  // alpha kept
}

// An image that is a window into a larger buffer: the guard pixels around
// it show any write outside the image.
class TGuardedImage {
public:
  TGuardedImage(int32_t W, int32_t H) : Buffer(size_t(W) * H + 2 * Pad, Guard) {
    Image.Width = W;
    Image.Height = H;
    Image.Size = W * H;
    Image.Data = Buffer.data() + Pad;
    Image.Fill({0, 0, 0, 0});
  }
  // The buffer is not the image's own: forgotten before the image goes.
  ~TGuardedImage() { Image.Data = nullptr; }
  bool GuardsIntact() const {
    for (size_t K = 0; K < Pad; ++K)
      if (!Same(Buffer[K], Guard) || !Same(Buffer[Buffer.size() - 1 - K], Guard)) return false;
    return true;
  }
  static constexpr size_t Pad = 4096;
  static constexpr TBGRAPixel128 Guard = {-7, -7, -7, -7};
  std::vector<TBGRAPixel128> Buffer;
  TImage128 Image;
};

TEST_F(Image128Test, EveryFillIsClippedToTheImage) {
  const TBGRAPixel128 A = Rgba(1, 0, 0, 1), B = Rgba(0, 0, 1, 0.5f);
  // Shapes straddling each edge and corner, and far outside.
  const int32_t Spots[][2] = {{-3, -3}, {9, -3}, {-3, 7}, {9, 7}, {4, 3}, {-100, 50}};
  for (const auto& S : Spots) {
    TGuardedImage G(10, 8);
    TImage128& I = G.Image;
    const int32_t X = S[0], Y = S[1];
    I.FillRect(X - 4, Y - 4, X + 4, Y + 4, A);
    I.FillCircle(X, Y, 6, A);
    I.FillRoundRect(X - 6, Y - 6, X + 6, Y + 20, 3, A);
    I.FillRoundRectGradient(X - 6, Y - 6, X + 6, Y + 6, 3, A, B);
    I.BlendRoundRectGradient(X - 6, Y - 6, X + 6, Y + 6, 3, A, B);
    I.FillSphere(X, Y, 5, A, B);
    I.FillCircleRadial(X, Y, 5, A, B);
    I.FillRoundRectBevel(X - 6, Y - 6, X + 6, Y + 6, 2, A, B, 3);
    I.FillRoundRectCushion(X - 6, Y - 6, X + 6, Y + 6, 4, A, B);
    I.BlendRoundRectCushion(X - 6, Y - 6, X + 6, Y + 6, 4, A, B);
    TImage128 Src = Make128(6, 6, B);
    I.MaxImage(X - 3, Y - 3, Src);
    I.MinImage(X - 3, Y - 3, Src);
    I.DrawImageOver(X - 3, Y - 3, Src);
    EXPECT_TRUE(G.GuardsIntact()) << X << "," << Y;
  }
}

TEST_F(Image128Test, FillRectAndCircleShapes) {
  TGuardedImage G(5, 5);
  G.Image.FillCircle(2, 2, 1, Rgba(1, 1, 1, 1));
  const char* Plus[5] = {".....", "..#..", ".###.", "..#..", "....."};
  for (int32_t Y = 0; Y < 5; ++Y)
    for (int32_t X = 0; X < 5; ++X)
      EXPECT_EQ(G.Image.Row(Y)[X].R, Plus[Y][X] == '#' ? 1.0f : 0.0f) << X << "," << Y;
  G.Image.Fill({0, 0, 0, 0});
  G.Image.FillRect(-2, 3, 1, 9, Rgba(1, 1, 1, 1));
  int32_t Count = 0;
  for (int32_t K = 0; K < 25; ++K) Count += G.Image.Data[K].R == 1.0f;
  EXPECT_EQ(Count, 4);  // columns 0..1 of rows 3..4
  EXPECT_EQ(G.Image.Row(4)[1].R, 1.0f);
  G.Image.Fill({0, 0, 0, 0});
  G.Image.FillCircle(2, 2, -1, Rgba(1, 1, 1, 1));
  EXPECT_EQ(G.Image.Row(2)[2].R, 0.0f);
}

TEST_F(Image128Test, RoundRectRowsAndGradientWeights) {
  TGuardedImage G(7, 7);
  TImage128& I = G.Image;
  // Radius 0: a plain rectangle; one row high, the gradient weight is 0.
  I.FillRoundRectGradient(1, 3, 5, 3, 0, Rgba(0.2f, 0.2f, 0.2f, 1), Rgba(1, 1, 1, 1));
  for (int32_t X = 1; X <= 5; ++X) EXPECT_FLOAT_EQ(I.Row(3)[X].R, 0.2f);
  EXPECT_EQ(I.Row(3)[0].R, 0.0f);
  EXPECT_EQ(I.Row(2)[3].R, 0.0f);
  // Rows 0..4: weights (row * 256 / 4) / 256 = 0, 1/4, 1/2, 3/4, 1.
  I.Fill({0, 0, 0, 0});
  I.FillRoundRectGradient(0, 0, 6, 4, 0, Rgba(0, 0, 0, 1), Rgba(1, 1, 1, 1));
  for (int32_t Y = 0; Y <= 4; ++Y) EXPECT_FLOAT_EQ(I.Row(Y)[3].G, Y / 4.0f) << Y;
  I.BlendRoundRectGradient(2, 2, 2, 2, 0, Rgba(1, 0, 0, 1), Rgba(0, 0, 1, 1));
  EXPECT_TRUE(Same(I.Row(2)[2], Rgba(1, 0, 0, 1)));
  // A rounded rectangle of radius 2 misses its corners.
  I.Fill({0, 0, 0, 0});
  I.FillRoundRect(0, 0, 6, 6, 2, Rgba(1, 1, 1, 1));
  EXPECT_EQ(I.Row(0)[0].R, 0.0f);
  EXPECT_EQ(I.Row(0)[2].R, 1.0f);
  EXPECT_EQ(I.Row(3)[0].R, 1.0f);
  EXPECT_EQ(I.Row(6)[6].R, 0.0f);
  EXPECT_TRUE(G.GuardsIntact());
}

TEST_F(Image128Test, ShadedFills) {
  const TBGRAPixel128 Rim = Rgba(0, 0, 0, 1), Centre = Rgba(1, 1, 1, 1);
  TGuardedImage G(9, 9);
  TImage128& I = G.Image;
  I.FillSphere(4, 4, 4, Rim, Centre);
  EXPECT_TRUE(Same(I.Row(4)[4], Centre));
  EXPECT_EQ(I.Row(4)[0].R, 0.0f);  // the rim
  I.FillCircleRadial(4, 4, 4, Rim, Centre);
  EXPECT_TRUE(Same(I.Row(4)[4], Centre));
  EXPECT_EQ(I.Row(0)[4].R, 0.0f);
  EXPECT_FLOAT_EQ(I.Row(4)[6].R, 0.5f);
  I.FillSphere(4, 4, 0, Rim, Centre);  // radius 0: the centre pixel alone
  EXPECT_TRUE(Same(I.Row(4)[4], Centre));

  I.Fill({0, 0, 0, 0});
  I.FillRoundRectBevel(0, 0, 8, 8, 0, Rim, Centre, 4);
  EXPECT_TRUE(Same(I.Row(0)[0], Rim));
  EXPECT_TRUE(Same(I.Row(4)[4], Centre));
  EXPECT_FLOAT_EQ(I.Row(1)[4].R, std::nearbyint(std::pow(0.25, 0.1) * 256) / 256);

  I.Fill({0, 0, 0, 0});
  I.FillRoundRectCushion(0, 0, 8, 8, 2, Rim, Centre);
  EXPECT_TRUE(Same(I.Row(4)[4], Centre));
  EXPECT_EQ(I.Row(4)[0].R, 0.0f);  // dx = -2: height 0
  EXPECT_FLOAT_EQ(I.Row(4)[1].R, std::nearbyint(std::sqrt(3.0) * 128) / 256);

  I.Fill(Rgba(0, 0, 0, 0.75f));
  I.BlendRoundRectCushion(0, 0, 8, 8, 2, Rgba(0, 0, 0, 0.5f), Rgba(1, 1, 1, 0.5f));
  EXPECT_FLOAT_EQ(I.Row(2)[5].R, 0.75f);  // row Y1 + R is composited by both steps
  EXPECT_FLOAT_EQ(I.Row(4)[5].R, 0.5f);
  EXPECT_EQ(I.Row(4)[5].A, 0.75f);  // alpha kept
  EXPECT_TRUE(G.GuardsIntact());
}

TEST_F(Image128Test, LinearGradient) {
  TImage128 I = Make128(256, 2);
  I.FillLinearGradient(0, 0, 255, 0, Rgba(0, 0, 0, 1), Rgba(1, 1, 1, 1));
  for (int32_t X = 0; X < 256; ++X) {
    const float Want = float(std::nearbyint(X * 256.0 / 255.0) / 256.0);
    EXPECT_FLOAT_EQ(I.Row(1)[X].R, Want) << X;
  }
  I.FillLinearGradient(3, 1, 3, 1, Rgba(0.5f, 0, 0, 1), Rgba(1, 1, 1, 1));  // one point
  EXPECT_TRUE(Same(I.Row(1)[200], Rgba(0.5f, 0, 0, 1)));
}

TEST_F(Image128Test, ImageOverlays) {
  TImage128 I = Make128(3, 3, Rgba(0.5f, 0.5f, 0.5f, 0.5f));
  TImage128 S = Make128(2, 2, Rgba(1, 0, 0.25f, 0.5f));
  I.MaxImage(-1, -1, S);  // only the source's bottom-right pixel lands
  EXPECT_TRUE(Same(I.Row(0)[0], Rgba(1, 0.5f, 0.5f, 0.5f)));
  EXPECT_TRUE(Same(I.Row(0)[1], Rgba(0.5f, 0.5f, 0.5f, 0.5f)));
  I.MinImage(2, 2, S);
  EXPECT_TRUE(Same(I.Row(2)[2], Rgba(0.5f, 0, 0.25f, 0.5f)));
  I.DrawImageOver(1, 0, S);
  EXPECT_TRUE(Same(I.Row(0)[1], Rgba(0.75f, 0.25f, 0.375f, 0.5f)));
}

TEST_F(Image128Test, CopyFromBitmapSizesAndReports) {
  TRawBitmap Bitmap(4, 3, pf32bit);
  TImage128 I;
  I.CopyFrom(Bitmap);
  EXPECT_EQ(I.Width, 4);
  EXPECT_EQ(I.Height, 3);
  EXPECT_TRUE(Same(I.Data[11], Rgba(0, 0, 0, 0)));
  EXPECT_EQ(Messages().size(), 1u);
}

}  // namespace
