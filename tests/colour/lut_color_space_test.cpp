#include <gtest/gtest.h>

#include "colour/lut_color_space.h"

namespace kromel {
namespace {

void AnyForward(float, float, float, float& M, float& A, float& B) { M = A = B = 0; }

TEST(LUTColorSpace, Names) {
  EXPECT_EQ(LUTColorSpaceName(lcsProfileRGB), "ProfileRGB");
  EXPECT_EQ(LUTColorSpaceName(lcsLinearRGB), "LinearRGB");
  EXPECT_EQ(LUTColorSpaceName(lcsLAB), "LAB");
  EXPECT_EQ(LUTColorSpaceName(lcsCustomColorspace), "Custom colorspace");
  EXPECT_EQ(LUTColorSpaceName(4), "Invalid LCS: 4");
  EXPECT_EQ(LUTColorSpaceName(-1), "Invalid LCS: -1");
}

TEST(LUTColorSpace, SetDefaultKeepsProfile) {
  TColorModelPreferences P;
  EXPECT_EQ(P.Profile, ipSRGB);
  P.Gamma = 2.2f;
  P.Profile = ipRec709;
  P.RGBToCustom = AnyForward;
  P.SetDefault();
  EXPECT_EQ(P.Gamma, 0.0f);
  EXPECT_EQ(P.Profile, ipRec709);
  EXPECT_EQ(P.RGBToCustom, nullptr);
  EXPECT_EQ(P.CustomToRGB, nullptr);
}

}  // namespace
}  // namespace kromel
