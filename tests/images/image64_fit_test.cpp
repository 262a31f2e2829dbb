#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "image_test_support.h"
#include "images/blur_kernel.h"
#include "images/image64.h"

using namespace kromel;
using namespace kromel::test;

namespace {

class Image64FitTest : public MessageCapture {};

// Pixel K holds (K, 2K, 3K, 65535) (words wrap).
TImage64 Numbered64(int32_t W, int32_t H) {
  TImage64 I;
  I.Alloc(W, H);
  for (int32_t K = 0; K < I.Size; ++K)
    I.Pixels[K] = {uint16_t(K), uint16_t(2 * K), uint16_t(3 * K), 65535};
  return I;
}

TSample32 Kernel(std::vector<float> Taps) {
  TSample32 K;
  K.Init();
  K.Alloc(int64_t(Taps.size()));
  for (size_t I = 0; I < Taps.size(); ++I) K.Data[I] = Taps[I];
  return K;
}

// The convolution with clamped edges, written plainly.
std::vector<float> ReferenceConvolution(const std::vector<float>& V, const std::vector<float>& K) {
  const int64_t N = int64_t(V.size()), Half = int64_t(K.size()) / 2;
  std::vector<float> Out(V.size());
  for (int64_t Y = 0; Y < N; ++Y) {
    double S = 0;
    for (int64_t T = 0; T < int64_t(K.size()); ++T)
      S += V[size_t(std::clamp<int64_t>(Y + T - Half, 0, N - 1))] * K[size_t(T)];
    Out[size_t(Y)] = float(S);
  }
  return Out;
}

TEST_F(Image64FitTest, FitPlacesThePictureAndSetsMargins) {
  struct Case {
    int32_t SrcW, SrcH, W, H;
    int32_t Left, Top, FitW, FitH;
  } Cases[] = {
      {400, 200, 100, 100, 0, 25, 100, 50},
      {200, 400, 100, 100, 25, 0, 50, 100},
      {300, 200, 100, 100, 0, 16, 100, 67},  // odd difference: both margins 16
      {50, 50, 80, 40, 20, 0, 40, 40},
      {10, 10, 10, 10, 0, 0, 10, 10},
      {1000, 2, 10, 10, 0, 4, 10, 1},  // thinner than a row still gets one
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(std::to_string(C.SrcW) + "x" + std::to_string(C.SrcH));
    TImage64 Src = Make64(C.SrcW, C.SrcH, {1000, 2000, 3000, 65535});
    TImage64 T64;
    Src.DrawFittedToImage64(T64, C.W, C.H, 0, 10);
    ASSERT_EQ(T64.Width, C.W);
    ASSERT_EQ(T64.Height, C.H);
    EXPECT_EQ(T64.MarginLeft, C.Left);
    EXPECT_EQ(T64.MarginRight, C.Left);
    EXPECT_EQ(T64.MarginTop, C.Top);
    EXPECT_EQ(T64.MarginBottom, C.Top);
    for (int32_t Y = 0; Y < C.H; ++Y)
      for (int32_t X = 0; X < C.W; ++X) {
        const bool Inside =
            X >= C.Left && X < C.Left + C.FitW && Y >= C.Top && Y < C.Top + C.FitH;
        const TPixel64 Want = Inside ? TPixel64{1000, 2000, 3000, 65535}
                                     : TPixel64{2570, 2570, 2570, 0};  // transparent grey
        ASSERT_TRUE(Same(T64.Row(Y)[X], Want)) << X << "," << Y;
      }

    for (bool Averaged : {false, true}) {
      TImage32 T32;
      if (Averaged)
        Src.DrawFittedToImage32Averaged(T32, C.W, C.H, 0, 0x00332211);
      else
        Src.DrawFittedToImage32(T32, C.W, C.H, 0, 0x00332211);
      ASSERT_EQ(T32.Size, C.W * C.H);
      EXPECT_EQ(T32.MarginTop, C.Top);
      EXPECT_EQ(T32.MarginLeft, C.Left);
      EXPECT_EQ(T32.Row(C.Top)[C.Left].Value, Bgra(11, 7, 3, 255));
      if (C.Top > 0) {
        EXPECT_EQ(T32.Pixels[0].Value, Bgra(0x33, 0x22, 0x11, 0));
      }
    }
  }
  EXPECT_TRUE(Silent());
}

TEST_F(Image64FitTest, TooSmallSourceOrTargetClearsTheTarget) {
  struct Case {
    int32_t SrcW, SrcH, W, H;
  } Cases[] = {{4, 4, 1, 10}, {4, 4, 10, 1}, {5, 1, 10, 10}, {1, 5, 10, 10}};
  for (const Case& C : Cases) {
    TImage64 Src = Make64(C.SrcW, C.SrcH, {9, 9, 9, 9});
    TImage64 T = Make64(3, 2, {5, 5, 5, 5});
    T.CopyMarginsFrom(1, 1, 1, 1);
    Src.DrawFittedToImage64(T, C.W, C.H, 0, 0);
    EXPECT_EQ(T.Width, 3);
    EXPECT_EQ(T.Height, 2);
    for (int32_t K = 0; K < T.Size; ++K) EXPECT_TRUE(Same(T.Pixels[K], {0, 0, 0, 0}));
    EXPECT_EQ(T.MarginTop, 0);
  }
  TImage64 Empty;
  TImage32 T32;
  Empty.DrawFittedToImage32Averaged(T32, 10, 10, 0, 0);  // nothing to clear
  EXPECT_EQ(T32.Pixels, nullptr);
}

TEST_F(Image64FitTest, NearestSampleTakesHighBytes) {
  TImage64 Src = Numbered64(4, 4);
  for (int32_t K = 0; K < 16; ++K) Src.Pixels[K] = {uint16_t(K << 8), 0x1200, 0xAB00, 0x7F00};
  TImage32 T;
  Src.DrawFittedToImage32(T, 2, 2, 0, 0);
  // Target (x, y) takes source (2x, 2y).
  EXPECT_EQ(T.Pixels[0].Value, Bgra(0xAB, 0x12, 0, 0x7F));
  EXPECT_EQ(T.Pixels[1].Value, Bgra(0xAB, 0x12, 2, 0x7F));
  EXPECT_EQ(T.Pixels[2].Value, Bgra(0xAB, 0x12, 8, 0x7F));
  EXPECT_EQ(T.Pixels[3].Value, Bgra(0xAB, 0x12, 10, 0x7F));
}

TEST_F(Image64FitTest, AveragedFitAveragesBlocks) {
  TImage64 Src = Make64(4, 4, {0, 0, 0, 65535});
  for (int32_t Y = 0; Y < 2; ++Y)
    for (int32_t X = 0; X < 2; ++X) Src.Row(Y)[X] = {65535, 65535, 65535, 65535};
  Src.Row(3)[3] = {0, 0, 0, 0x4000};  // the last pixel summed gives the alpha
  TImage32 T;
  Src.DrawFittedToImage32Averaged(T, 2, 2, 0, 0);
  EXPECT_EQ(T.Pixels[0].Value, Bgra(255, 255, 255, 255));
  EXPECT_EQ(T.Pixels[1].Value, Bgra(0, 0, 0, 255));
  EXPECT_EQ(T.Pixels[3].Value, Bgra(0, 0, 0, 0x40));
  T.Dispose();

  // Blocks of 40000 white pixels: their sums pass 2^31 and stay white.
  TImage64 Big = Make64(400, 400, {65535, 65535, 65535, 65535});
  Big.DrawFittedToImage32Averaged(T, 2, 2, 0, 0);
  for (int32_t K = 0; K < 4; ++K) EXPECT_EQ(T.Pixels[K].Value, Bgra(255, 255, 255, 255));
}

TEST_F(Image64FitTest, FitToBitmap) {
  TImage64 Src = Make64(4, 2, {0x1100, 0x2200, 0x3300, 0xFF00});
  TRawBitmap B(1, 1, pf32bit);
  Src.DrawFittedToBitmap(B, 4, 4, 0, 0);
  ASSERT_EQ(B.Width(), 4);
  ASSERT_EQ(B.Height(), 4);
  const uint8_t* Line = B.ScanLine(1);  // picture rows 1 and 2
  EXPECT_EQ(Line[0], 0xFF);
  EXPECT_EQ(Line[1], 0x11);
  EXPECT_EQ(Line[2], 0x22);
  EXPECT_EQ(Line[3], 0x33);
  EXPECT_EQ(B.ScanLine(0)[0], 0);  // transparent margin

  TImage64 Empty;
  TRawBitmap C(3, 3, pf24bit);
  std::memset(C.ScanLine(0), 0x77, size_t(C.BytesPerLine() * 3));
  Empty.DrawFittedToBitmap(C, 2, 2, 0, 0);  // black rectangle (0,0)-(2,2)
  EXPECT_EQ(C.ScanLine(0)[0], 0);
  EXPECT_EQ(C.ScanLine(1)[5], 0);
  EXPECT_EQ(C.ScanLine(0)[6], 0x77);
  EXPECT_EQ(C.ScanLine(2)[0], 0x77);
  EXPECT_TRUE(Silent());
}

TEST_F(Image64FitTest, SmoothRecursive) {
  TImage64 I = Numbered64(5, 4);
  TImage64 Copy;
  Copy.Copy(I);
  I.SmoothRecursive(0);
  for (int32_t K = 0; K < I.Size; ++K) EXPECT_TRUE(Same(I.Pixels[K], Copy.Pixels[K]));

  TImage64 U = Make64(6, 3, {1234, 65535, 0, 777});
  U.SmoothRecursive(0.7f);
  for (int32_t K = 0; K < U.Size; ++K) EXPECT_TRUE(Same(U.Pixels[K], {1234, 65535, 0, 777}));

  // A step softens towards its neighbours.
  TImage64 S = Make64(4, 1, {0, 0, 0, 0});
  S.Pixels[2] = S.Pixels[3] = {1000, 1000, 1000, 1000};
  S.SmoothRecursive(0.5f);
  EXPECT_GT(S.Pixels[1].R, 0);
  EXPECT_LT(S.Pixels[2].R, 1000);
  // Factors outside 0..1 stay within the word range.
  S.SmoothRecursive(3.0f);
  S.SmoothRecursive(std::nanf(""));
}

TEST_F(Image64FitTest, GaussianKernel) {
  struct Case {
    float Radius;
    int64_t Taps;
  } Cases[] = {{1, 9}, {2, 11}, {0.5f, 7}, {4, 19}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Radius);
    TSample32 K;
    K.Init();
    Init1DGaussianBlurKernel(K, C.Radius);
    ASSERT_EQ(K.Count, C.Taps);
    double Sum = 0;
    for (int64_t I = 0; I < K.Count; ++I) {
      Sum += K.Data[I];
      EXPECT_FLOAT_EQ(K.Data[I], K.Data[K.Count - 1 - I]);
      if (I > 0 && I <= K.Count / 2) {
        EXPECT_GT(K.Data[I], K.Data[I - 1]);
      }
    }
    EXPECT_NEAR(Sum, 1.0, 1e-6);
    EXPECT_GT(K.Data[0], 0.0f);
    K.Dispose();
  }
  EXPECT_TRUE(Silent());

  for (float Bad : {0.0f, -1.0f, std::nanf(""), 1e30f, INFINITY, 1e-30f}) {
    SCOPED_TRACE(Bad);
    Sink.Clear();
    TSample32 K;
    K.Init();
    Init1DGaussianBlurKernel(K, Bad);
    EXPECT_EQ(K.Data, nullptr);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], "Exception in Init1DGaussianBlurKernel");
    ResetMessageState();
  }
}

TEST_F(Image64FitTest, BlurKeepsFlatImagesAndSaturates) {
  for (uint16_t V : {uint16_t(0), uint16_t(1234), uint16_t(40000), uint16_t(65535)}) {
    for (float Radius : {1.0f, 2.5f, 4.0f}) {
      TImage64 I = Make64(7, 5, {V, V, V, 65535});
      I.GaussianBlur(Radius);
      for (int32_t K = 0; K < I.Size; ++K)
        ASSERT_TRUE(Same(I.Pixels[K], {V, V, V, 65535})) << V << " r=" << Radius;
    }
  }
  // Taps summing to more than 1: white stays white instead of wrapping.
  TImage64 W = Make64(3, 3, {65535, 65535, 32768, 0});
  TSample32 K = Kernel({0.25f, 0.75f, 0.25f});
  W.ConvoluteHorizontalNormalized(K);
  W.ConvoluteVerticalNormalized(K);
  for (int32_t P = 0; P < W.Size; ++P) EXPECT_TRUE(Same(W.Pixels[P], {65535, 65535, 51200, 0}));
  K.Dispose();
  EXPECT_TRUE(Silent());
}

TEST_F(Image64FitTest, ConvolutionMatchesThePlainSum) {
  // Columns and rows of different lengths, kernels shorter and longer than
  // the line.
  TSample32 Gauss;
  Gauss.Init();
  Init1DGaussianBlurKernel(Gauss, 2);
  const std::vector<float> Box9(9, 1.0f / 9.0f);
  const std::vector<float> G(Gauss.Data, Gauss.Data + Gauss.Count);
  for (const auto& Taps : {G, Box9, std::vector<float>{1.0f}}) {
    for (bool Vertical : {true, false}) {
      TImage64 I;
      I.Alloc(Vertical ? 3 : 40, Vertical ? 40 : 3);
      for (int32_t P = 0; P < I.Size; ++P)
        I.Pixels[P] = {uint16_t((P * 7919) % 65536), uint16_t(P * 100), 0, 65535};
      TImage64 Before;
      Before.Copy(I);
      TSample32 K = Kernel(Taps);
      if (Vertical)
        I.ConvoluteVerticalNormalized(K);
      else
        I.ConvoluteHorizontalNormalized(K);
      const int32_t Lines = Vertical ? I.Width : I.Height;
      const int32_t Len = Vertical ? I.Height : I.Width;
      for (int32_t L = 0; L < Lines; ++L) {
        std::vector<float> V;
        for (int32_t T = 0; T < Len; ++T)
          V.push_back(float((Vertical ? Before.Row(T)[L] : Before.Row(L)[T]).R));
        const auto Want = ReferenceConvolution(V, Taps);
        for (int32_t T = 0; T < Len; ++T) {
          const TPixel64 Got = Vertical ? I.Row(T)[L] : I.Row(L)[T];
          ASSERT_NEAR(Got.R, std::clamp(Want[size_t(T)], 0.0f, 65535.0f), 1.0)
              << (Vertical ? "column " : "row ") << L << " at " << T;
          ASSERT_EQ(Got.A, 65535);
        }
      }
      K.Dispose();
    }
  }
  Gauss.Dispose();
  EXPECT_TRUE(Silent());
}

TEST_F(Image64FitTest, EvenKernelWarnsAndStillConvolves) {
  TImage64 I = Make64(1, 3, {0, 0, 0, 0});
  I.Pixels[2] = {1000, 0, 0, 0};
  TSample32 K = Kernel({0.5f, 0.5f});
  I.ConvoluteVerticalNormalized(K);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0],
            "Warning! TImage64.ConvoluteVerticalNormalized is optimized for odd kernel length "
            "only!");
  // Row y takes (v[y - 1] + v[y]) / 2, the first row repeating.
  EXPECT_EQ(I.Pixels[0].R, 0);
  EXPECT_EQ(I.Pixels[1].R, 0);
  EXPECT_EQ(I.Pixels[2].R, 500);
  K.Dispose();

  TSample32 Empty;
  Empty.Init();
  I.ConvoluteHorizontalNormalized(Empty);  // no kernel: nothing happens
  EXPECT_EQ(I.Pixels[2].R, 500);
}

}  // namespace
