#include "analysis/image_curves_extract.h"
#include "analysis/master_curve.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis_images.h"
#include "support/test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

struct TCurves {
  TEnvelopeDots R, G, B;
  TEnvelopeDots* All[3] = {&R, &G, &B};
};

int32_t LevelY(int32_t Byte) { return int32_t(std::nearbyint(Byte * 32767.0 / 255)); }

}  // namespace

class CurveExtraction : public TCaptureTest {};

TEST_F(CurveExtraction, ChannelKeyOnAGreyRampGivesADiagonal) {
  TOwnedImage<TImage32> Ramp;
  FillImage(Ramp, 256, 4, [](int32_t X, int32_t) {
    return TRGBA{uint8_t(X), uint8_t(X), uint8_t(X)};
  });
  for (int32_t Method : {cemRed, cemGreen, cemBlue}) {
    TCurves C;
    ASSERT_TRUE(ExtractCurvesFromImage(Ramp.Image, &C.R, &C.G, &C.B, Method, false, 10));
    for (TEnvelopeDots* Curve : C.All) {
      ASSERT_EQ(Curve->NumDots, 10) << Method;
      for (int32_t J = 0; J < 10; ++J) {
        EXPECT_EQ(Curve->Dot(J).X, J * 16384 / 9);
        // The darkest bin holds levels 0..14 at their own mean 7.
        const double Y = J == 0 ? 7 * 32767.0 / 255 : J * 32767.0 / 9;
        EXPECT_NEAR(Curve->Dot(J).Y, Y, 0.5) << Method << " dot " << J;
      }
    }
  }
  // The ramp is not filtered by these methods.
  EXPECT_EQ(PixelOf(Ramp.Image, 7, 0).R, 7);
  EXPECT_TRUE(Silent());
}

TEST_F(CurveExtraction, EmptyBinsGiveNoDotsAndTheEndsTakeTheLevels) {
  ASSERT_TRUE(Silent());
  // Two grey halves: only the first and the last bin receive pixels.
  TOwnedImage<TImage32> Image;
  for (int32_t Method : {cemAverage, cemMinMaxMid, cemMinMaxMid2, cemMinMax, cemMinMaxAvg}) {
    FillImage(Image, 16, 16, [](int32_t X, int32_t) {
      return X < 8 ? TRGBA{60, 60, 60} : TRGBA{200, 200, 200};
    });
    TCurves C;
    ASSERT_TRUE(ExtractCurvesFromImage(Image.Image, &C.R, &C.G, &C.B, Method, false, 10));
    for (TEnvelopeDots* Curve : C.All) {
      ASSERT_EQ(Curve->NumDots, 2) << Method;
      EXPECT_EQ(Curve->Dot(0).X, 0);
      EXPECT_EQ(Curve->Dot(0).Y, LevelY(60)) << Method;
      EXPECT_EQ(Curve->Dot(1).X, 16384);
      EXPECT_EQ(Curve->Dot(1).Y, LevelY(200)) << Method;
    }
  }
  // At most 5 pixels per bin: only the end dots, black and white pinned.
  FillImage(Image, 2, 2, [](int32_t, int32_t) { return TRGBA{100, 100, 100}; });
  TCurves C;
  ASSERT_TRUE(ExtractCurvesFromImage(Image.Image, &C.R, &C.G, &C.B, cemAverage, false, 10));
  ASSERT_EQ(C.R.NumDots, 2) << ::testing::PrintToString(Messages());
  EXPECT_EQ(C.R.Dot(0).Y, LevelY(100));
  EXPECT_EQ(C.R.Dot(1).Y, LevelY(101));  // a flat channel gets Max = Min + 1
  // Invert transposes.
  ASSERT_TRUE(ExtractCurvesFromImage(Image.Image, &C.R, &C.G, &C.B, cemAverage, true, 10));
  EXPECT_EQ(C.G.Dot(0).Y, 0);
  EXPECT_EQ(C.G.Dot(1).Y, 32767);
  EXPECT_EQ(C.G.Dot(0).X, int32_t(int64_t(LevelY(100)) * 16384 / 32767));
  EXPECT_TRUE(Silent()) << ::testing::PrintToString(Messages()) << ::testing::PrintToString(Errors());
}

TEST_F(CurveExtraction, BadInputIsReported) {
  TOwnedImage<TImage32> Image, Empty;
  FillImage(Image, 2, 2, [](int32_t, int32_t) { return TRGBA{1, 2, 3}; });
  TCurves C;
  const struct {
    TImage32* Image;
    TEnvelopeDots* R;
    int32_t Method, Bins;
    const char* Message;
  } Cases[] = {
      {&Image.Image, nullptr, 0, 10, "Error in ExtractCurvesFromImage: CR=nil"},
      {&Empty.Image, &C.R, 0, 10, "ExtractCurvesFromImage: image is empty"},
      {&Image.Image, &C.R, 0, 1, "Error in ExtractCurvesFromImage: Method=0 Bins=1"},
      {&Image.Image, &C.R, 0, 132, "Error in ExtractCurvesFromImage: Method=0 Bins=132"},
      {&Image.Image, &C.R, 9, 10, "Error in ExtractCurvesFromImage: Method=9 Bins=10"},
  };
  for (const auto& K : Cases) {
    Sink.Clear();
    EXPECT_FALSE(ExtractCurvesFromImage(*K.Image, K.R, &C.G, &C.B, K.Method, false, K.Bins));
    EXPECT_EQ(Messages(), std::vector<std::string>{K.Message});
  }
}

TEST_F(CurveExtraction, EqualisationOfAFlatRangeAndOfAHistogram) {
  // Max = Min: every pixel in the first bin, no division by zero.
  TOwnedImage<TImage32> Image;
  FillImage(Image, 4, 4, [](int32_t, int32_t) { return TRGBA{100, 100, 100}; });
  TCurves C;
  EXPECT_TRUE(EqualizeHistogramByCurves(Image.Image, C.R, C.G, C.B, 100, 100, 100, 100, 100, 100,
                                        16, false));
  // Method 8 runs the same path.
  EXPECT_TRUE(ExtractCurvesFromImage(Image.Image, &C.R, &C.G, &C.B, cemEqualize, false, 16));
  EXPECT_TRUE(Silent());

  TSample32 H;
  H.Init();
  H.Alloc(256);
  // All zero: the diagonal, one dot per bin up to 130.
  H.Clear();
  TEnvelopeDots Curve;
  EqualizeHistogramByCurve(H, Curve, -1, -1, 256, false);
  EXPECT_EQ(Curve.NumDots, 130);
  EXPECT_EQ(Curve.Dot(129).Y, 32767);
  // Data in bins 10 to 20 only: dots outside bins 8..21 go, the rest rises.
  for (int64_t I = 10; I <= 20; ++I) H.Data[I] = 1;
  EqualizeHistogramByCurve(H, Curve, -1, -1, 256, false);
  EXPECT_FLOAT_EQ(H.Data[21], 11.0f);  // running sums before each bin
  EXPECT_FLOAT_EQ(H.Data[10], 0.0f);
  ASSERT_EQ(Curve.NumDots, 6);
  for (int32_t K = 0; K < 6; ++K) EXPECT_EQ(Curve.Dot(K).X, (K + 5) * 16384 / 129) << K;
  for (int32_t K = 1; K < 6; ++K) EXPECT_GT(Curve.Dot(K).Y, Curve.Dot(K - 1).Y) << K;
  H.Dispose();
}

TEST_F(CurveExtraction, ApplyAndMasterCurve) {
  TOwnedImage<TImage32> Image;
  FillImage(Image, 3, 1, [](int32_t X, int32_t) {
    const uint8_t V[3] = {0, 128, 255};
    return TRGBA{V[X], V[X], V[X], 7};
  });
  TCurves C;
  for (TEnvelopeDots* Curve : C.All) Curve->ResetDiagonal(2);
  ApplyCurvesToImage32(Image.Image, C.R, C.G, C.B, 1);
  for (int32_t X : {0, 1, 2}) {
    const TRGBA P = PixelOf(Image.Image, X, 0);
    EXPECT_EQ(P.R, X == 0 ? 0 : X == 1 ? 128 : 255);
    EXPECT_EQ(P.B, P.R);
    EXPECT_EQ(P.A, 7);
  }
  // Amount 0 leaves any curve without effect.
  for (TEnvelopeDots* Curve : C.All) Curve->ResetHorizontal(0, 2);
  ApplyCurvesToImage32(Image.Image, C.R, C.G, C.B, 0);
  EXPECT_EQ(PixelOf(Image.Image, 1, 0).G, 128);

  // Three equal curves: the master is that curve; taken out of the channels
  // it leaves them on the diagonal.
  for (TEnvelopeDots* Curve : C.All) {
    Curve->ResetDiagonal(9);
    for (int32_t I = 0; I < 9; ++I)
      Curve->Dot(I).Y = int32_t(std::lround(32767 * std::pow(I / 8.0, 0.8)));
    Curve->CalcSpline();
  }
  TEnvelopeDots Master;
  ExtractMasterCurveFromRGB(C.R, C.G, C.B, Master, true);
  for (int32_t I = 0; I < 9; ++I) EXPECT_EQ(Master.Dot(I).Y, int32_t(std::lround(32767 * std::pow(I / 8.0, 0.8))));
  for (TEnvelopeDots* Curve : C.All)
    for (float X : {1000.0f, 2000.0f, 8192.0f, 14000.0f})
      EXPECT_NEAR(Curve->GetValueS(X), X * 32767 / 16384, 16) << X;
  EXPECT_TRUE(Silent());
}
