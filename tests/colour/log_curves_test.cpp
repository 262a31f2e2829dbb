#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "colour/log_curves.h"
#include "colour/log_gamma.h"

namespace kromel {
namespace {

TEST(LogProfileNames, TwentyNineOrThirtyNames) {
  const std::string Plain = GetLogProfileNames(false);
  const std::string All = GetLogProfileNames(true);
  EXPECT_EQ(Plain.rfind("Off;LogC;ACEScc;ACEScct;BMD Film;", 0), 0u);
  EXPECT_TRUE(Plain.ends_with(";Rec709;PQ")) << Plain;
  EXPECT_EQ(std::count(Plain.begin(), Plain.end(), ';'), 28);
  EXPECT_EQ(All, Plain + ";Custom");
  EXPECT_EQ(std::count(All.begin(), All.end(), ';'), 29);
  EXPECT_STREQ(LogProfileNames[LogIndexCinestyle], "Cinestyle");
  EXPECT_STREQ(LogProfileNames[LogIndexRedLog3G10], "Red LOG3G10");
  EXPECT_STREQ(LogProfileNames[LogIndexZCamZLog], "Z CAM Zlog");
  EXPECT_STREQ(LogProfileNames[LogIndexInsta360ILog], "Insta360 I-Log");
}

// The two curves given only as decoders encode by inverting the decoder, so
// both directions round-trip over the code range.
TEST(LogCurves, EncodersInvertDecodersWithoutClosedForm) {
  struct TCase {
    const char* Name;
    float (*Decode)(float);
    float (*Encode)(float);
  };
  const TCase Cases[] = {{"Cinestyle", CinestyleToLinear, LinearToCinestyle},
                         {"Insta360", Insta360ILogToLinear, LinearToInsta360ILog}};
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    for (int I = 0; I <= 1000; ++I) {
      const float V = static_cast<float>(I / 1000.0);
      // Insta360's decoder steps down by 2e-5 just above its knee (0.14):
      // those few codes share their linear values with codes below it.
      if (C.Decode == Insta360ILogToLinear && V > 0.14 && V < 0.1401) continue;
      EXPECT_NEAR(C.Encode(C.Decode(V)), V, 2e-6) << V;
    }
    EXPECT_NE(C.Encode(0.5f), 0.5f);  // no pass-through
  }
  // At Insta360's knee the code value stays on the linear side.
  EXPECT_NEAR(Insta360ILogToLinear(LinearToInsta360ILog(0.0264f)), 0.0264f, 1e-7);
  // Large linear values still encode monotonically.
  EXPECT_LT(LinearToCinestyle(10.0f), LinearToCinestyle(100.0f));
  EXPECT_NEAR(CinestyleToLinear(LinearToCinestyle(100.0f)), 100.0f, 1e-4);
  // Below the decoder's minimum every value encodes to the minimum's code.
  EXPECT_EQ(LinearToCinestyle(-1.0f), LinearToCinestyle(-0.5f));
  EXPECT_TRUE(std::isnan(LinearToCinestyle(NAN)));
}

// PQ (the display curve and the log profile of that name) decodes every
// code value at or above 1 as its peak, and below 0 as 0.
TEST(LogCurves, PQDecodesOutsideZeroToOne) {
  const float Peak = GammaPQToLinear(1.0f);
  EXPECT_NEAR(Peak, 1.0f, 1e-4);
  for (const float V : {1.0f, 1.0001f, 1.5f, 2.0f, 100.0f, INFINITY}) EXPECT_EQ(GammaPQToLinear(V), Peak) << V;
  for (const float V : {0.0f, -0.5f, -INFINITY}) EXPECT_EQ(GammaPQToLinear(V), 0.0f) << V;
  EXPECT_LT(GammaPQToLinear(0.99f), Peak);
}

// The Phantom 4 Pro decoder jumps at 0.19; the encoder never runs backwards
// and inverts the decoder wherever the decoder reaches.
TEST(LogCurves, DLogPhantom4ProEncoderMatchesDecoderThreshold) {
  float Previous = LinearToDLogPhantom4Pro(0.0f);
  for (int I = 1; I <= 4000; ++I) {
    const float X = static_cast<float>(I) * 0.00001f;  // 0 .. 0.04 around the knee
    const float V = LinearToDLogPhantom4Pro(X);
    EXPECT_GE(V, Previous) << X;
    Previous = V;
  }
  for (const float X : {0.0f, 0.01f, 0.0255f, 0.0262f, 0.03f, 0.18f, 0.9f})
    EXPECT_NEAR(DLogPhantom4ProToLinear(LinearToDLogPhantom4Pro(X)), X, 2e-6f * (1 + X)) << X;
  // Inside the decoder's jump the nearest code is the knee.
  EXPECT_FLOAT_EQ(LinearToDLogPhantom4Pro(0.0257f), 0.19f);
}

// Inputs below 0.0001 - 1/10.1596 are floored at that boundary instead of
// taking the logarithm of a value <= 0.
TEST(LogCurves, CanonLogFloorsAtBoundary) {
  const float Boundary = static_cast<float>(0.0001 - 1.0 / 10.1596);
  const float AtBoundary = LinearToCanonCLog(-0.0983291f);
  EXPECT_TRUE(std::isfinite(AtBoundary));
  for (float X : {-0.1f, -1.0f, -1000.0f}) {
    const float Y = LinearToCanonCLog(X);
    EXPECT_TRUE(std::isfinite(Y)) << X;
    EXPECT_FLOAT_EQ(Y, static_cast<float>(0.529136 * std::log10(10.1596 * 0.0001) + 0.0730597));
  }
  EXPECT_GE(LinearToCanonCLog(Boundary), LinearToCanonCLog(-1.0f));
  EXPECT_NEAR(CanonCLogToLinear(LinearToCanonCLog(-0.05f)), -0.05f, 1e-6);
}

}  // namespace
}  // namespace kromel
