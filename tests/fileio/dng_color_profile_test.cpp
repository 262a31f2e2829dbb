#include <gtest/gtest.h>

#include <string>

#include "colour/acr3_tone_curve.h"
#include "fileio/dng_color_profile.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

namespace kromel {
namespace {

// An XML profile of 6 x 2 x 1 divisions; Skip leaves one element out.
std::string ProfileXML(const std::string& Divisions, int SkipH = -1) {
  std::string X = "<dcpData>\n<ProfileHueSatMapDims " + Divisions + "/>\n<ForwardMatrix1>\n";
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      X += "<Element Row=\"" + std::to_string(r) + "\" Col=\"" + std::to_string(c) + "\">" +
           (r == c ? "0.75" : "0.125") + "</Element>\n";
  X += "</ForwardMatrix1>\n";
  for (int h = 0; h < 6; ++h)
    for (int s = 0; s < 2; ++s) {
      if (h == SkipH && s == 1) continue;
      const std::string Triple = "<Element HueDiv=\"" + std::to_string(h) + "\" SatDiv=\"" +
                                 std::to_string(s) + "\" ValDiv=\"0\"";
      X += h % 2 == 0 ? Triple + " HueShift=\"" + std::to_string(h) + "\" SatScale=\"1.5\" ValScale=\"1\"/>\n"
                      : Triple + " ValScale=\"1\" SatScale=\"1.5\" HueShift=\"" + std::to_string(h) + "\"/>\n";
    }
  return X + "</dcpData>\n";
}

TEST(DNGColorProfile, LoadsDivisionsMatrixAndCorrections) {
  testing::TTestTempDir Dir{"kromel_dng_xml"};
  const std::string File = Dir.File("p.xml");
  const std::string Dims = "hueDivisions=\"6\" satDivisions=\"2\" valDivisions=\"1\"";
  testing::WriteText(File, ProfileXML(Dims));
  TDNGColorProfile P;
  ASSERT_TRUE(P.LoadFromXML(File));
  ASSERT_EQ(P.Corrections.size(), 12u);
  EXPECT_DOUBLE_EQ(P.ForwardMatrix1[4], 0.75);
  EXPECT_DOUBLE_EQ(P.ForwardMatrix1[5], 0.125);
  EXPECT_FLOAT_EQ(P.Corrections[1 + 2 * 3].HueShift, 3);  // (h 3, s 1, v 0)
  EXPECT_FLOAT_EQ(P.Corrections[1 + 2 * 3].SatScale, 1.5f);
  float H = 0, S = 0.5f, V = 0.5f;
  P.ApplyToHSV(H, S, V);  // hue division 0: shift 0, sat scale 1.5
  EXPECT_FLOAT_EQ(H, 0);
  EXPECT_FLOAT_EQ(S, 0.75f);
  // Missing elements, zero, negative or enormous divisions are refused.
  const std::string Bad[] = {
      ProfileXML(Dims, 4),
      ProfileXML("hueDivisions=\"6\" satDivisions=\"0\" valDivisions=\"1\""),
      ProfileXML("hueDivisions=\"-6\" satDivisions=\"-2\" valDivisions=\"1\""),
      ProfileXML("hueDivisions=\"2000000\" satDivisions=\"2000000\" valDivisions=\"2000000\""),
      // Products that overflow 64 bits: near 2^31 each, and 2^64 exactly
      // (which wraps to 0), with an element (0, 0, 0) present.
      ProfileXML("hueDivisions=\"2147483647\" satDivisions=\"2147483647\" valDivisions=\"2147483647\""),
      ProfileXML("hueDivisions=\"2097152\" satDivisions=\"2097152\" valDivisions=\"4194304\""),
      ProfileXML("satDivisions=\"2\" valDivisions=\"1\""),
  };
  for (const std::string& X : Bad) {
    testing::WriteText(File, X);
    TDNGColorProfile Q;
    EXPECT_FALSE(Q.LoadFromXML(File)) << X.substr(0, 80);
    float h = 10, s = 0.5f, v = 0.5f;
    Q.ApplyToHSV(h, s, v);
    EXPECT_FLOAT_EQ(h, 10);
  }
  EXPECT_FALSE(P.LoadFromFile(File));
}

TEST(DNGColorProfile, FilmCurveTable) {
  EXPECT_FLOAT_EQ(EvaluateToneCurve(0.25f), 0.52069f);
  EXPECT_FLOAT_EQ(EvaluateToneCurve(1.3f), 1);
  EXPECT_FLOAT_EQ(EvaluateToneCurve(-0.2f), 0);
  EXPECT_FLOAT_EQ(EvaluateToneCurve(0.5f + 1 / 2048.0f),
                  (ACR3DefaultToneTable[512] + ACR3DefaultToneTable[513]) / 2);
}

}  // namespace
}  // namespace kromel
