#include "lut/lut_statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "colour/hsv_hsl.h"
#include "lut_test_support.h"

namespace kromel {
namespace {

using test::LutTest;

using TNodeMap = std::function<void(float r, float g, float b, float& R, float& G, float& B)>;

// A cubic LUT whose node outputs are Map applied to the node inputs.
void FillLut(T3DLUTWithStatistics& Lut, int32_t N, const TNodeMap& Map) {
  ASSERT_TRUE(Lut.SetSize(N));
  Lut.SetDefault();
  const float s = 1.0f / static_cast<float>(N - 1);
  for (int32_t b = 0; b < N; ++b)
    for (int32_t g = 0; g < N; ++g)
      for (int32_t r = 0; r < N; ++r) {
        const size_t I = static_cast<size_t>(r + N * (g + N * b));
        Map(r * s, g * s, b * s, Lut.R[I], Lut.G[I], Lut.B[I]);
      }
}

std::vector<std::string> Lines(const std::string& Text) {
  std::vector<std::string> Out;
  size_t Start = 0;
  for (;;) {
    const size_t End = Text.find('\n', Start);
    Out.push_back(Text.substr(Start, End == std::string::npos ? End : End - Start));
    if (End == std::string::npos) break;
    Start = End + 1;
  }
  return Out;
}

class LutStatisticsTest : public LutTest {};

TEST_F(LutStatisticsTest, IdentityLutsMeasureAsNeutral) {
  for (int32_t N : {17, 33}) {
    SCOPED_TRACE(N);
    T3DLUTWithStatistics Lut;
    test::MakeIdentity(Lut, N);
    TLutStatistics S;
    ASSERT_TRUE(S.Calculate(Lut));
    EXPECT_NEAR(S.AmplificationMax, 1, 1e-5);
    EXPECT_NEAR(S.AmplificationMin, 1, 1e-5);
    EXPECT_NEAR(S.LAmplificationAvg, 1, 1e-5);
    EXPECT_NEAR(S.LAmplificationMax, 1, 1e-5);
    EXPECT_NEAR(S.Contrast, 1, 1e-5);
    EXPECT_NEAR(S.OverallSaturation, 1, 1e-5);
    EXPECT_NEAR(S.SkinSat, 1, 1e-5);
    EXPECT_NEAR(S.SkinLum, 1, 1e-5);
    EXPECT_EQ(S.ClippedBlack, 0);
    EXPECT_EQ(S.ClippedWhite, 0);
    EXPECT_EQ(S.ClippedSaturation, 0);
    EXPECT_NEAR(S.ChangeMax, 0, 1e-7);
    EXPECT_EQ(S.Darkened, 0);
    EXPECT_EQ(S.Lightened, 0);
    EXPECT_EQ(S.NeutralsSat, 0);
    EXPECT_NEAR(S.HueChangeAvg, 0, 1e-6);
    EXPECT_NEAR(S.Cast.R, 0.5, 1e-6);
    EXPECT_NEAR(S.Cast.G, 0.5, 1e-6);
    EXPECT_NEAR(S.Cast.B, 0.5, 1e-6);
    EXPECT_EQ(S.Cast.A, 0);
    for (TLUTColorPresense P : Lut.ColorsPresense) EXPECT_EQ(P, lcpUsual);
  }
}

TEST_F(LutStatisticsTest, IdentityTagTextAndReport) {
  T3DLUTWithStatistics Lut;
  test::MakeIdentity(Lut, 17);
  Lut.CalcTags();
  std::string Text;
  GetTagsText(Lut, Text);
  EXPECT_EQ(Text,
            "Normal-Saturation SkinTonePreserve SkinTonePreserveL Neutral Normal-Contrast "
            "NoHueChanges Usual-Red Usual-Yellow Usual-Green Usual-Cyan Usual-Blue Usual-Purple");

  TLutStatistics S;
  ASSERT_TRUE(S.Calculate(Lut));
  std::string Report;
  S.AsString(Report);
  const std::vector<std::string> L = Lines(Report);
  ASSERT_EQ(L.size(), 10u);
  EXPECT_EQ(L[1], "Amplification - Max: 100.0%  Min: 100.0%");
  EXPECT_EQ(L[2], "Clipped - Black: 0.0%%  White: 0.0%%");
  EXPECT_EQ(L[4], "Change Max:       0.0%\t  Avg: 0.0%");
  EXPECT_EQ(L[6], "Neutrals Sat: 0.0%  Cast: (0.50, 0.50, 0.50)");
  EXPECT_EQ(L[9], "Hue change - Avg: 0.0%\tMax: 0.0%");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(LutStatisticsTest, TwoNodeIdentity) {
  T3DLUTWithStatistics Lut;
  test::MakeIdentity(Lut, 2);
  TLutStatistics S;
  ASSERT_TRUE(S.Calculate(Lut));
  EXPECT_EQ(S.LAmplificationAvg, 0);
  EXPECT_EQ(S.Contrast, 0);
  EXPECT_EQ(S.SkinSat, 0);
  EXPECT_EQ(S.SkinLum, 0);
  Lut.CalcTags();
  EXPECT_EQ(Lut.ContrastTag, lcLowContrast);
  EXPECT_EQ(Lut.SkinToneSat, lstCooler);
  EXPECT_EQ(Lut.SkinToneLightness, lstlDarker);
}

TEST_F(LutStatisticsTest, AllBlackIsClippedAndLimited) {
  T3DLUTWithStatistics Lut;
  FillLut(Lut, 9, [](float, float, float, float& R, float& G, float& B) { R = G = B = 0; });
  TLutStatistics S;
  ASSERT_TRUE(S.Calculate(Lut));
  EXPECT_FLOAT_EQ(S.ClippedBlack, 1);
  std::string Report;
  S.AsString(Report);
  EXPECT_EQ(Lines(Report)[2], "Clipped - Black: 10000.0%%  White: 0.0%%");
  Lut.CalcTags();
  EXPECT_EQ(Lut.ContrastTag, lcLimitedRange);
  EXPECT_EQ(Lut.SaturationTag, lsGrayscale);
}

TEST_F(LutStatisticsTest, TagsOfKnownTransforms) {
  struct TCase {
    const char* Name;
    TNodeMap Map;
    std::function<void(const T3DLUTWithStatistics&)> Check;
  };
  const std::vector<TCase> Cases = {
      {"swap red and blue",
       [](float r, float g, float b, float& R, float& G, float& B) { R = b, G = g, B = r; },
       [](const T3DLUTWithStatistics& L) { EXPECT_EQ(L.HueChanges, lhcExtreme); }},
      {"warm grey axis",
       [](float r, float g, float b, float& R, float& G, float& B) {
         R = std::min(1.0f, r + 0.1f), G = g, B = std::max(0.0f, b - 0.1f);
       },
       [](const T3DLUTWithStatistics& L) { EXPECT_EQ(L.ColorCastTag, ccWarm); }},
      {"cool grey axis",
       [](float r, float g, float b, float& R, float& G, float& B) {
         R = std::max(0.0f, r - 0.1f), G = g, B = b;
       },
       [](const T3DLUTWithStatistics& L) { EXPECT_EQ(L.ColorCastTag, ccCool); }},
      {"greyscale",
       [](float r, float g, float b, float& R, float& G, float& B) {
         R = G = B = 0.3f * r + 0.5f * g + 0.2f * b;
       },
       [](const T3DLUTWithStatistics& L) { EXPECT_EQ(L.SaturationTag, lsGrayscale); }},
      {"strong S-curve",
       [](float r, float g, float b, float& R, float& G, float& B) {
         auto S = [](float v) { return 0.5f - 0.5f * std::cos(3.14159265f * v); };
         R = S(r), G = S(g), B = S(b);
       },
       [](const T3DLUTWithStatistics& L) { EXPECT_EQ(L.ContrastTag, lcHighContrast); }},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    T3DLUTWithStatistics Lut;
    FillLut(Lut, 17, C.Map);
    Lut.CalcTags();
    C.Check(Lut);
  }
}

// Hue 0.98 lies in both the red and the purple band; purple, tested later,
// takes it.
TEST_F(LutStatisticsTest, HueNearOneCountsAsPurple) {
  float R0, G0, B0;
  HSLtoRGB(R0, G0, B0, 0.98f, 1.0f, 0.5f);
  T3DLUTWithStatistics Lut;
  FillLut(Lut, 5, [&](float, float, float, float& R, float& G, float& B) {
    R = R0, G = G0, B = B0;
  });
  TLutStatistics S;
  ASSERT_TRUE(S.Calculate(Lut));
  EXPECT_EQ(Lut.ColorsPresense[lcPurple], lcpUsual);  // 0.12 / 0.165
  EXPECT_EQ(Lut.ColorsPresense[lcRed], lcpAbsent);
  EXPECT_EQ(Lut.ColorsPresense[lcBlue], lcpAbsent);
}

TEST_F(LutStatisticsTest, UnusableLutsChangeNothing) {
  T3DLUTWithStatistics Empty;
  TLutStatistics S;
  S.Contrast = 5;
  EXPECT_FALSE(S.Calculate(Empty));
  EXPECT_EQ(S.Contrast, 0);
  Empty.SaturationTag = lsHigh;
  Empty.CalcTags();
  EXPECT_EQ(Empty.SaturationTag, lsHigh);

  T3DLUTWithStatistics NonCubic;
  ASSERT_TRUE(NonCubic.SetLevels(3, 4, 5));
  NonCubic.SetDefault();
  EXPECT_FALSE(S.Calculate(NonCubic));
  NonCubic.CalcTags();
  EXPECT_EQ(NonCubic.SaturationTag, lsGrayscale);
}

// The readers take whole blank-separated tokens only: a text carrying
// "SkinTonePreserveL" is not a "SkinTonePreserve" one, nor is
// "SkinToneWarmer" a warm cast.
TEST(LutTagReaders, WholeTokens) {
  const std::string Cooler = "High-Saturation SkinToneCooler SkinTonePreserveL Other";
  EXPECT_EQ(TextToSkinToneSat(Cooler), lstCooler);
  EXPECT_EQ(TextToSkinToneLightness(Cooler), lstlPreserveL);
  EXPECT_EQ(TextToSkinToneSat("Low-Saturation SkinToneWarmer SkinTonePreserveL"), lstWarmer);
  EXPECT_EQ(TextToColorCastTag("SkinToneWarmer Cool"), ccCool);
  EXPECT_EQ(TextToColorCastTag("SkinToneWarmer SkinToneCooler"), ccOther);
  EXPECT_EQ(TextToSaturationTag("SkinTonePreserve Neutral"), lsNormal);
  EXPECT_EQ(TextToSaturationTag("Grayscale"), lsGrayscale);
  EXPECT_EQ(TextToContrastTag("xHigh-Contrast"), lcNormal);
  EXPECT_EQ(TextToContrastTag("Limited-range\tHigh-Contrast"), lcLimitedRange);
  EXPECT_EQ(TextToHueChanges("A MediumHueChanges"), lhcMedium);
  EXPECT_EQ(TextToHueChanges(""), lhcNone);
  EXPECT_EQ(TextToColorPresense("Usual-Red Much-Blue", lcBlue), lcpMuch);
  EXPECT_EQ(TextToColorPresense("Usual-Red No-Blue", lcBlue), lcpAbsent);
  EXPECT_EQ(TextToColorPresense("Much-Blueish", lcBlue), lcpUsual);
  EXPECT_EQ(TextToColorPresense("Little-Red", lcGreen), lcpUsual);
}

TEST(LutTagReaders, TagTextRoundTrips) {
  T3DLUTWithStatistics Lut;
  Lut.SaturationTag = lsLow;
  Lut.SkinToneSat = lstWarmer;
  Lut.SkinToneLightness = lstlDarker;
  Lut.ColorCastTag = ccCool;
  Lut.ContrastTag = lcHighContrast;
  Lut.HueChanges = lhcSlight;
  Lut.ColorsPresense = {lcpMuch, lcpAbsent, lcpLittle, lcpUsual, lcpMuch, lcpAbsent};
  std::string Text;
  GetTagsText(Lut, Text);
  EXPECT_EQ(TextToSaturationTag(Text), lsLow);
  EXPECT_EQ(TextToSkinToneSat(Text), lstWarmer);
  EXPECT_EQ(TextToSkinToneLightness(Text), lstlDarker);
  EXPECT_EQ(TextToColorCastTag(Text), ccCool);
  EXPECT_EQ(TextToContrastTag(Text), lcHighContrast);
  EXPECT_EQ(TextToHueChanges(Text), lhcSlight);
  for (int C = lcRed; C <= lcPurple; ++C)
    EXPECT_EQ(TextToColorPresense(Text, static_cast<TLUTColor>(C)), Lut.ColorsPresense[C]);
}

TEST(LutTagReaders, InputCurveText) {
  EXPECT_EQ(GetInputCurveText("Name: x\nInput curve: S-Log3\nNext"), "S-Log3");
  EXPECT_EQ(GetInputCurveText("no curve"), "");
}

}  // namespace
}  // namespace kromel
