#include "analysis/gradient_analyzer.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "audio/sample_files.h"
#include "audio/stereo_sample.h"
#include "support/test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

// Model values straight from the channels: C1 = red, C2 = green, C3 = blue.
void ChannelModel(float R, float G, float B, float& C1, float& C2, float& C3) {
  C1 = R;
  C2 = G;
  C3 = B;
}

// A one-row float image of (C1, C2, C3) colours for ChannelModel.
struct TStrip {
  explicit TStrip(const std::vector<std::array<float, 3>>& Colours) {
    Image.Init();
    Image.Alloc(int32_t(Colours.size()), 1);
    for (size_t I = 0; I < Colours.size(); ++I)
      Image.Data[I].Init(Colours[I][0], Colours[I][1], Colours[I][2], 1);
  }
  TImage128 Image;
};

TGradientAnalyzer ChannelAnalyzer() {
  TGradientAnalyzer A;
  A.ToModel = ChannelModel;
  return A;
}

}  // namespace

TEST(GradientAnalyzer, HuesCrossingRedUnwrapAboveOne) {
  // Given out of order: sorting by lightness comes first. Hue runs
  // straight with lightness, so the envelopes change nothing.
  TStrip Strip({{0.01f, 0.4f, 140 / 255.0f}, {0.98f, 0.4f, 80 / 255.0f}, {0.04f, 0.4f, 200 / 255.0f}});
  TGradientAnalyzer A = ChannelAnalyzer();
  A.CalculateGradientBounds(Strip.Image);
  EXPECT_NEAR(A.HueMin, 0.98f, 1e-6);
  EXPECT_NEAR(A.HueMax, 1.04f, 1e-6);
  EXPECT_EQ(A.LumLow, 80);
  EXPECT_EQ(A.LumHigh, 200);
  for (int L = 80; L <= 200; ++L) {
    const float H = 0.98f + 0.06f * (L - 80) / 120;
    EXPECT_NEAR(A.UpperTable[L].H, H, 1e-5) << L;
    EXPECT_NEAR(A.LowerTable[L].H, H, 1e-5) << L;
    EXPECT_NEAR(A.UpperTable[L].L, L / 255.0f, 1e-6) << L;
  }
  float H, S, L;
  A.GetColorAt(H, S, L, 140 / 255.0f);
  EXPECT_NEAR(H, 0.01f, 1e-5);
  EXPECT_NEAR(S, 0.4f, 1e-6);
  EXPECT_NEAR(L, 140 / 255.0f, 1e-6);
  // Outside the lightness reached nothing is filled.
  EXPECT_EQ(A.UpperTable[79].L, 0.0f);
  EXPECT_EQ(A.UpperTable[201].L, 0.0f);
  A.ShiftHue(-1);
  EXPECT_NEAR(A.HueMax, 0.04f, 1e-6);
  EXPECT_NEAR(A.LowerTable[80].H, -0.02f, 1e-6);
}

TEST(GradientAnalyzer, EnvelopesBridgeADipOnlyFromAbove) {
  // Hue and second component 0.2 at levels 0 and 100, 0.1 at level 50.
  TStrip Strip({{0.2f, 0.2f, 0}, {0.1f, 0.1f, 50 / 255.0f}, {0.2f, 0.2f, 100 / 255.0f}});
  TGradientAnalyzer A = ChannelAnalyzer();
  A.CalculateGradientBounds(Strip.Image);
  for (const auto& T : {A.LowerTable, A.UpperTable})
    EXPECT_NEAR(T[0].H, 0.2f, 1e-6);
  EXPECT_NEAR(A.LowerTable[50].H, 0.1f, 1e-6);
  EXPECT_NEAR(A.LowerTable[50].S, 0.1f, 1e-6);
  EXPECT_GT(A.UpperTable[50].H, 0.12f);
  EXPECT_LE(A.UpperTable[50].H, 0.2f + 1e-6f);
  EXPECT_FLOAT_EQ(A.UpperTable[50].S, A.UpperTable[50].H);
  for (int I = 0; I <= 100; ++I) {
    EXPECT_GE(A.UpperTable[I].H, A.LowerTable[I].H - 1e-6f) << I;
    EXPECT_NEAR(A.LowerTable[I].H, 0.2f - 0.1f * (50 - std::abs(50 - I)) / 50, 1e-5) << I;
  }
}

TEST(GradientAnalyzer, OnePixelAndNegativeLightnessStayInsideTheTables) {
  TStrip One({{0.3f, 0.5f, 0.5f}});
  TGradientAnalyzer A = ChannelAnalyzer();
  A.HueMax = 7;
  A.CalculateGradientBounds(One.Image);
  EXPECT_EQ(A.HueMax, 0.0f);
  EXPECT_EQ(A.SatMax, 0.0f);
  EXPECT_EQ(A.UpperTable[128].L, 0.0f);
  // Lightness -0.6 .. 0.6 and a NaN: levels below 0 read 0, nothing is
  // written outside the tables.
  TStrip Ramp({{0.1f, 0.5f, -0.6f}, {0.1f, 0.5f, -0.3f}, {0.1f, 0.5f, std::nanf("")},
               {0.1f, 0.5f, 0.3f}, {0.1f, 0.5f, 0.6f}});
  A.CalculateGradientBounds(Ramp.Image);
  EXPECT_EQ(A.LumLow, 0);
  EXPECT_EQ(A.LumHigh, 153);
  EXPECT_NEAR(A.UpperTable[0].H, 0.1f, 1e-6);
  EXPECT_NEAR(A.UpperTable[153].L, 153 / 255.0f, 1e-6);
}

TEST(GradientAnalyzer, DrawWidensANarrowHueRangeAndSplitsTheImage) {
  // Grey 51..204 through the default HSL pair.
  TImage128 Strip;
  Strip.Alloc(11, 1);
  for (int I = 0; I <= 10; ++I) Strip.Data[I].Init(0.2f + 0.06f * I, 0.2f + 0.06f * I, 0.2f + 0.06f * I, 1);
  TGradientAnalyzer A;
  A.CalculateGradientBounds(Strip);
  EXPECT_EQ(A.HueMin, 0.0f);
  EXPECT_EQ(A.HueMax, 0.0f);
  TImage32 Image;
  Image.Alloc(256, 64);
  Image.Fill(0x00FF00FF);
  float HMin = A.HueMin, HMax = A.HueMax, SMin = A.SatMin, SMax = A.SatMax;
  DrawGradientAnalyzer(A, Image, HMin, HMax, SMin, SMax);
  EXPECT_FLOAT_EQ(HMin, -0.05f);
  EXPECT_FLOAT_EQ(HMax, 0.05f);
  const uint32_t Untouched = Image.GetPixel(0, 0);
  // Level 128 is grey 128 in both bands; levels below 51 are not drawn.
  const uint32_t Grey128 = 0x808080;
  EXPECT_EQ(Image.GetPixel(128, 14), Grey128);  // hue band: rows 14..17
  EXPECT_EQ(Image.GetPixel(128, 17), Grey128);
  EXPECT_EQ(Image.GetPixel(128, 13), Untouched);
  EXPECT_EQ(Image.GetPixel(128, 18), Untouched);
  EXPECT_EQ(Image.GetPixel(128, 63), Grey128);  // second band from the bottom
  EXPECT_EQ(Image.GetPixel(128, 60), Grey128);
  EXPECT_EQ(Image.GetPixel(128, 59), Untouched);
  EXPECT_EQ(Image.GetPixel(40, 16), Untouched);
  for (int X = 0; X < 256; X += 51) EXPECT_EQ(Image.GetPixel(X, 32) & 0xFFFFFF, 0u) << X;
}

TEST(DoubleGradientAnalyzer, UnifiesHueCentresAcrossRedAndMapsPositions) {
  TDoubleGradientAnalyzer D;
  D.Analyzer1.HueMin = 0.0f;
  D.Analyzer1.HueMax = 0.125f;
  D.Analyzer1.SatMin = 0.25f;
  D.Analyzer1.SatMax = 0.5f;
  D.Analyzer2.HueMin = 0.875f;
  D.Analyzer2.HueMax = 1.0f;
  D.Analyzer2.SatMin = 0.125f;
  D.Analyzer2.SatMax = 0.375f;
  D.Analyzer2.UpperTable[3].H = 0.9375f;
  D.UnifyRanges();
  EXPECT_EQ(D.Analyzer2.HueMin, -0.125f);
  EXPECT_EQ(D.Analyzer2.UpperTable[3].H, -0.0625f);
  EXPECT_EQ(D.HueMin, -0.125f);
  EXPECT_EQ(D.HueMax, 0.125f);
  EXPECT_EQ(D.SatMin, 0.125f);
  EXPECT_EQ(D.SatMax, 0.5f);
  // 0.0 falls on row 24.5 and rounds to even; a hue below the range is
  // tried one turn up.
  const struct {
    float Hue;
    int32_t Row;
  } Hues[] = {{0.125f, 49}, {0.0f, 24}, {-0.125f, 0}, {-0.25f, -1}, {0.5f, -1}, {0.9375f, -1}};
  for (const auto& C : Hues) EXPECT_EQ(D.HueToPosition(100, C.Hue), C.Row) << C.Hue;
  EXPECT_EQ(D.LumToPosition(100, 0.125f), 100);
  EXPECT_EQ(D.LumToPosition(100, 0.5f), 50);
  EXPECT_EQ(D.LumToPosition(100, 0.625f), -1);
}

TEST(DoubleGradientAnalyzer, AnEmptyAnalyzerTakesTheOthersRanges) {
  TDoubleGradientAnalyzer D;
  D.Analyzer1.HueMin = 0.3f;
  D.Analyzer1.HueMax = 0.4f;
  D.Analyzer1.SatMax = 0.6f;
  D.UnifyRanges();
  EXPECT_FLOAT_EQ(D.Analyzer2.HueMin, 0.3f);
  EXPECT_FLOAT_EQ(D.Analyzer2.SatMax, 0.6f);
  EXPECT_FLOAT_EQ(D.HueMax, 0.4f);
}

TEST(GradientAnalyzer, CurvesWavHoldsHueLeftAndSecondComponentRight) {
  std::vector<std::array<float, 3>> Colours;
  for (int I = 0; I <= 20; ++I) Colours.push_back({0.1f + 0.01f * I, 0.3f, 0.05f * I});
  TStrip Strip(Colours);
  TGradientAnalyzer A = ChannelAnalyzer();
  A.CalculateGradientBounds(Strip.Image);
  TTestTempDir Dir("gradient_wav");
  const std::string File = Dir.File("curves.wav");
  ASSERT_TRUE(A.SaveCurvesToWav(File));
  if (ProgramAvailable("sox")) {
    ASSERT_EQ(RunProgram({"sox", "--i", "-s", File}, Dir.File("frames.txt")), 0);
    EXPECT_EQ(ReadText(Dir.File("frames.txt")), "256\n");
  }
  TStereoSample32 S;
  S.Init();
  ASSERT_TRUE(LoadStereoSampleFromFile(S, File, false));
  ASSERT_EQ(S.Length(), 256);
  float H, Sat, L;
  A.GetColorAt(H, Sat, L, 128 / 255.0f);
  EXPECT_NEAR(S.Left.Data[128], H, 1e-5);
  EXPECT_NEAR(S.Right.Data[128], 0.3f, 1e-5);
  S.Dispose();
}
