#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "colour/colour_model_prefs.h"
#include "colour/log_gamma.h"
#include "foundation/error_sink.h"
#include "foundation/messages.h"
#include "platform/message_sink.h"

namespace kromel {
namespace {

std::vector<std::string> Recorded;
void Record(const std::string& Text) { Recorded.push_back(Text); }

class ColourModelPrefs : public ::testing::Test {
 protected:
  void SetUp() override {
    Recorded.clear();
    Saved = ErrorMessageProc;
    ErrorMessageProc = Record;
    ResetMessageState();
    DefaultHeadlessSink().Clear();
    DefaultHeadlessSink().EchoToStderr = false;
  }
  void TearDown() override { ErrorMessageProc = Saved; }
  TErrorMessageCallback Saved = nullptr;
};

TBGRAPixel128 Pixel(float R, float G, float B, float A) {
  TBGRAPixel128 P;
  P.Init(R, G, B, A);
  return P;
}

void ExpectPixelEq(const TBGRAPixel128& A, const TBGRAPixel128& B) {
  EXPECT_EQ(A.R, B.R);
  EXPECT_EQ(A.G, B.G);
  EXPECT_EQ(A.B, B.B);
  EXPECT_EQ(A.A, B.A);
}

// Custom model used for the test: (V1, V2, V3) -> (V1 / 2, V2 + 1, -V3).
void CustomBack(float V1, float V2, float V3, float& R, float& G, float& B) {
  R = V1 / 2;
  G = V2 + 1;
  B = -V3;
}
void CustomForward(float, float, float, float& A, float& B, float& C) { A = B = C = 0; }

TEST_F(ColourModelPrefs, ColorspaceToGammaCases) {
  const TBGRAPixel128 S = Pixel(0.2f, 0.4f, 0.6f, 0.5f);
  TColorModelPreferences Prefs;
  TBGRAPixel128 D;

  ConvertColorspaceToGamma(Prefs, D, S, lcsProfileRGB);
  ExpectPixelEq(D, S);
  Prefs.Profile = ipLinear;
  ConvertColorspaceToGamma(Prefs, D, S, lcsLinearRGB);
  ExpectPixelEq(D, S);
  Prefs.Profile = ipSRGB;
  ConvertColorspaceToGamma(Prefs, D, S, lcsLinearRGB);
  EXPECT_FLOAT_EQ(D.R, LinearToGammaByProfile(ipSRGB, 0.2f));
  EXPECT_FLOAT_EQ(D.B, LinearToGammaByProfile(ipSRGB, 0.6f));
  EXPECT_EQ(D.A, 0.5f);

  ConvertColorspaceToGamma(Prefs, D, S, lcsCustomColorspace);  // nil procedures
  ExpectPixelEq(D, S);
  Prefs.CustomToRGB = CustomBack;
  ConvertColorspaceToGamma(Prefs, D, S, lcsCustomColorspace);  // forward still nil
  ExpectPixelEq(D, S);
  Prefs.RGBToCustom = CustomForward;
  ConvertColorspaceToGamma(Prefs, D, S, lcsCustomColorspace);
  EXPECT_FLOAT_EQ(D.R, 0.1f);  // V1 from the red slot
  EXPECT_FLOAT_EQ(D.G, 1.4f);
  EXPECT_FLOAT_EQ(D.B, -0.6f);
  EXPECT_EQ(D.A, 0.5f);
}

TEST_F(ColourModelPrefs, BadSettingsAreReportedButConverted) {
  const TBGRAPixel128 S = Pixel(0.2f, 0.4f, 0.6f, 1);
  TColorModelPreferences Prefs;
  Prefs.Profile = ipLinear;
  Prefs.Gamma = 1001;
  TBGRAPixel128 D;
  ConvertColorspaceToGamma(Prefs, D, S, lcsLinearRGB);
  ExpectPixelEq(D, S);
  Prefs.Profile = static_cast<TImageProfile>(14);
  Prefs.Gamma = std::numeric_limits<float>::quiet_NaN();
  ConvertColorspaceToGamma(Prefs, D, S, lcsProfileRGB);
  ExpectPixelEq(D, S);
  const std::vector<std::string> Shown = DefaultHeadlessSink().Messages();
  const std::vector<std::string> Expected = {
      "Exception 3 in TColorModelPreferences.ConvertColorspaceToGamma",
      "Exception 1 in TColorModelPreferences.ConvertColorspaceToGamma",
      "Exception 2 in TColorModelPreferences.ConvertColorspaceToGamma"};
  EXPECT_EQ(Shown, Expected);
}

TEST_F(ColourModelPrefs, GammaToColorspace) {
  const TBGRAPixel128 S = Pixel(0.2f, 0.4f, 0.6f, 0.5f);
  TColorModelPreferences Prefs;
  Prefs.Profile = ipRec709;
  TBGRAPixel128 D;
  ConvertGammaToColorspace(Prefs, D, S, lcsLinearRGB);
  EXPECT_FLOAT_EQ(D.G, GammaToLinearByProfile(ipRec709, 0.4f));
  EXPECT_EQ(D.A, 0.5f);
  ConvertGammaToColorspace(Prefs, D, S, lcsLAB);
  ExpectPixelEq(D, S);
  ASSERT_EQ(Recorded.size(), 1u);
  EXPECT_EQ(Recorded[0], "TColorModelPreferences.ConvertGammaToColorspace - not implemented");
}

TEST_F(ColourModelPrefs, PolarHSLPlane) {
  const TLABAPixel128 Q = HSLtoLabPolar(THSLPixel128{0, 1, 0.5f, 0.25f});
  EXPECT_NEAR(Q.L, 50, 1e-5);
  EXPECT_NEAR(Q.A, 70.71, 0.01);
  EXPECT_NEAR(Q.B, 70.71, 0.01);
  EXPECT_EQ(Q.Alpha, 0.25f);

  for (const THSLPixel128& P : {THSLPixel128{0.1f, 0.2f, 0.5f, 1}, THSLPixel128{0.6f, 0.9f, 0.1f, 1},
                                THSLPixel128{0.95f, 0.5f, 0.7f, 1}}) {
    float H, S, L;
    LabPolartoHSL(H, S, L, HSLtoLabPolar(P));
    EXPECT_NEAR(H, P.H, 1e-4);
    EXPECT_NEAR(S, P.S, 1e-4);
    EXPECT_NEAR(L, P.L, 1e-4);
  }
  float H, S, L;
  LabPolartoHSL(H, S, L, TLABAPixel128{40, 0, 0, 1});
  EXPECT_EQ(S, 0.0f);
  EXPECT_FLOAT_EQ(H, 0.125f);
  EXPECT_FLOAT_EQ(L, 0.4f);

  std::string Text;
  HSLToText(THSLPixel128{0.1f, 0.25f, 0.5f, 1}, Text);
  EXPECT_EQ(Text, "(H:0.10, S:0.25, L:0.50)");
  EXPECT_TRUE(TestHSLLabPolar());
  EXPECT_TRUE(Recorded.empty());
}

}  // namespace
}  // namespace kromel
