#include "analysis/colour_readouts.h"

#include <gtest/gtest.h>

using namespace kromel;

TEST(ColorPickerText, ExamplesByMode) {
  const struct {
    int32_t Color;
    int32_t Mode;
    const char* Text;
  } Cases[] = {
      {0xFF8000, 0, "R: 255\tG: 128\tB:   0"},
      {0xFF8000, 1, "R:100%\tG: 50%\tB:  0%"},
      {0xFF0000, 3, "H:   0\tS: 100%\tV: 100%"},
      {0x0000FF, 4, "H: 240\tS: 100%\tL:  50%"},
      {0x808080, 14, "C: 0  M: 0  Y: 0  K: 50"},
      {0xFFFFFF, 2, "LR:1.00\tLG:1.00\tLB:1.00"},
      {0xFF8000, 15, ""},
      {0xFF8000, -1, ""},
  };
  for (const auto& C : Cases) EXPECT_EQ(ColorPickerText(C.Color, C.Mode, nullptr, 1), C.Text);
  // Red and blue exchanged in the BGR form.
  EXPECT_EQ(ColorPickerTextBGR(0x0080FF, 0, nullptr, 1), "R: 255\tG: 128\tB:   0");
}

TEST(ColorPickerText, LabFieldsChooseTheirFormatBySize) {
  // sRGB red: L* 53.2, a* 80.1, b* 67.2; mid grey has a*, b* near 0.
  const std::string Red = ColorPickerText(0xFF0000, 6, nullptr, 1);
  EXPECT_EQ(Red.substr(0, 3), "L: ");
  EXPECT_NE(Red.find("\tA:  80\tB:  67"), std::string::npos) << Red;
  const std::string Grey = ColorPickerText(0x808080, 6, nullptr, 1);
  EXPECT_NE(Grey.find("\tA: 0.0\tB: 0.0"), std::string::npos) << Grey;
}

TEST(ColorPickerDeltaText, EqualColoursAndWrappedHue) {
  const struct {
    int32_t Mode;
    const char* Text;
  } Equal[] = {{0, "R:  +0\tG:  +0\tB:  +0"},
               {1, "R: +0%\tG: +0%\tB: +0%"},
               {2, "LR:+0.00\tLG:+0.00\tLB:+0.00"},
               {3, "H:  +0\tS:  +0%\tV:  +0%"},
               {10, "S:   0\tX:   0\tY:   0"},
               {13, "Y: +0.0\tU: +0.0\tV: +0.0"},
               {14, "C:  +0  M:  +0  Y:  +0  K:  +0"}};
  for (const auto& C : Equal)
    EXPECT_EQ(ColorPickerDeltaText(0x336699, 0x336699, C.Mode, nullptr, 1), C.Text) << C.Mode;
  // Hue 350 (a rose red) minus hue 0 (red) is -10 degrees, not +350.
  const std::string Hue = ColorPickerDeltaText(0xFF002B, 0xFF0000, 3, nullptr, 1);
  EXPECT_EQ(Hue.substr(0, 8), "H: -10\tS") << Hue;
  EXPECT_EQ(ColorPickerDeltaText(1, 2, 20, nullptr, 1), "");
}

TEST(ColorReadoutText, ShortAndFloatForms) {
  EXPECT_EQ(ColorReadoutText(0xFF8000, 0), "R: 255  G: 128  B:   0");
  EXPECT_EQ(ColorReadoutText(0xFF8000, 1), "R:100%  G: 50%  B:  0%");
  EXPECT_EQ(ColorReadoutText(0xFFFFFF, 6), "L: 100  A:   0  B:   0");
  EXPECT_EQ(ColorReadoutText(0xFF8000, 2), "");
  EXPECT_EQ(ColorReadoutTextFloat(0, nullptr, 1, 0.5f, 0, 1), "R: 255\tG: 128\tB:   0");
  EXPECT_EQ(ColorReadoutTextFloat(1, nullptr, 1, 0.5f, 0, 1), "R:100%\tG: 50%\tB:  0%");
  EXPECT_EQ(ColorReadoutTextFloat(4, nullptr, 1, 0.5f, 0, 1), "");
}

TEST(DistributionCalculator, InvalidateSetsEveryFlag) {
  TKromelDistributionCalculator D;
  EXPECT_FALSE(D.ABDistributionStale || D.SignalPathStale);
  D.Invalidate();
  EXPECT_TRUE(D.ABDistributionStale && D.CLDistributionStale && D.CurvesHistogramsStale &&
              D.Curves2DDistributionStale && D.MaskHistogramStale && D.SignalPathStale);
  EXPECT_STREQ(PickerModeName(12), "xyY");
}
