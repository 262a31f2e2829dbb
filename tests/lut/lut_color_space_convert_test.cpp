#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "lut/lut_color_space_convert.h"
#include "lut_test_support.h"

namespace kromel {
namespace {

using test::LutTest;
using test::MakeIdentity;

using test::IdentityError;
using test::Planes;

class LutColorSpaceConvert : public LutTest {};

TEST_F(LutColorSpaceConvert, RoundTripsReturnTheLut) {
  struct TCase {
    const char* Name;
    void (*To)(const T3DLut&, T3DLut&);
    void (*Back)(const T3DLut&, T3DLut&);
    float Tolerance;
  } const Cases[] = {
      {"SXY", ConvertLUT_RGBtoSXY, ConvertLUT_SXYtoRGB, 1e-4f},
      {"SXYPolar", ConvertLUT_RGBtoSXYPolar, ConvertLUT_SXYPolartoRGB, 1e-4f},
      {"HSLLab", ConvertLUT_RGBtoHSLLab, ConvertLUT_HSLLabtoRGB, 1e-4f},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    T3DLut Source, Model, Back;
    MakeIdentity(Source, 9);
    for (int32_t i = 0; i < Source.Count; ++i) Source.A[i] = 0.25f;
    MakeIdentity(Model, 9);
    MakeIdentity(Back, 9);
    for (int32_t i = 0; i < Model.Count; ++i) Model.A[i] = Back.A[i] = 0.75f;
    C.To(Source, Model);
    C.Back(Model, Back);
    EXPECT_LT(IdentityError(Back), C.Tolerance);
    // The model values sit within about -1..1 and the weight planes are untouched.
    for (int32_t i = 0; i < Model.Count; ++i) {
      EXPECT_LE(std::fabs(Model.G[i]), 1.5f);
      EXPECT_EQ(Model.A[i], 0.75f);
      EXPECT_EQ(Back.A[i], 0.75f);
    }
    EXPECT_TRUE(Messages().empty());
  }
}

TEST_F(LutColorSpaceConvert, SizesMustMatch) {
  T3DLut Source, Other;
  MakeIdentity(Source, 9);
  MakeIdentity(Other, 5);
  const std::vector<float> Before = Planes(Other);
  ConvertLUT_RGBtoSXY(Source, Other);
  ConvertLUT_HSLLabtoRGB(Source, Other);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Error in ConvertLUT_RGBtoSXY: Sizes differ",
                                                  "Error in ConvertLUT_HSLLabtoRGB: Sizes differ"}));
  EXPECT_EQ(Planes(Other), Before);
  T3DLut NoPlanes;
  ConvertLUT_RGBtoSXY(NoPlanes, NoPlanes);  // nothing to convert, nothing over-run
}

}  // namespace
}  // namespace kromel
