#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "colour/log_curves.h"
#include "colour/log_gamma.h"

namespace kromel {
namespace {

using TCurve = float (*)(float);

struct TCurvePair {
  const char* Name;
  TCurve Decode;
  TCurve Encode;
  double RoundTrip = 2e-6;  // largest decode(encode(x)) - x over 0..1
};

// Every decode/encode pair of the display curves and the camera log curves.
const std::vector<TCurvePair>& AllPairs() {
  static const std::vector<TCurvePair> Pairs = {
      {"sRGB", GammaSRGBToLinear, LinearToGammaSRGB},
      {"L*", GammaLStarToLinear, LinearToGammaLStar},
      {"Rec709", GammaRec709ToLinear, LinearToGammaRec709},
      {"AdobeRGB", GammaAdobeRGBToLinear, LinearToGammaAdobeRGB},
      {"ProPhoto", GammaProPhotoToLinear, LinearToGammaProPhoto},
      {"Gamma18", GammaGamma18ToLinear, LinearToGammaGamma18},
      // Its Single steps (Lp, Vp, 18.6875*Vp) lose about 1e-4 near the peak.
      {"PQ", GammaPQToLinear, LinearToGammaPQ, 1e-4},
      {"ACEScc", ACESccToLinear, LinearToACEScc},
      {"ACEScct", ACEScctToLinear, LinearToACEScct},
      {"LogC", LogCToLinear, LinearToLogC},
      {"RedLog", RedLogToLinear, LinearToRedLog},
      {"RedLogFilm", RedLogFilmToLinear, LinearToRedLogFilm},
      {"Log3G10", RedLog3G10ToLinear, LinearToRedLog3G10},
      {"DJIInspire", DJIInspireLogToLinear, LinearToDJIInspireLog},
      {"DLogPh3", DLogPhantom3ToLinear, LinearToDLogPhantom3},
      {"DLogPh4Pro", DLogPhantom4ProToLinear, LinearToDLogPhantom4Pro},
      {"SLog", SLogToLinear, LinearToSLog},
      {"SLog2", SLog2ToLinear, LinearToSLog2},
      {"SLog3", SLog3ToLinear, LinearToSLog3},
      {"BMDFilm", BMDFilmToLinear, LinearToBMDFilm},
      {"BMDFilm46", BMDFilm46ToLinear, LinearToBMDFilm46},
      {"VisionLog", VisionLogToLinear, LinearToVisionLog},
      {"Cinestyle", CinestyleToLinear, LinearToCinestyle},
      {"Cineon", CineonToLinear, LinearToCineon},
      {"VLog", PanasonicVLogToLinear, LinearToPanasonicVLog},
      {"CanonLog", CanonCLogToLinear, LinearToCanonCLog},
      {"CanonLog2", CanonCLog2ToLinear, LinearToCanonCLog2},
      {"CanonLog3", CanonCLog3ToLinear, LinearToCanonCLog3},
      {"FLog", FujiFLogToLinear, LinearToFujiFLog},
      {"ZLog", ZCamZLogToLinear, LinearToZCamZLog},
      {"Insta360", Insta360ILogToLinear, LinearToInsta360ILog},
  };
  return Pairs;
}

const TCurvePair& Pair(const std::string& Name) {
  for (const auto& P : AllPairs())
    if (Name == P.Name) return P;
  static const TCurvePair BMD4K{"BMDFilm4K", BMDFilm4KToLinear, LinearToBMDFilm4K};
  return BMD4K;
}

// enc(0), enc(0.18), enc(1), dec(0.5) to four decimals.
struct TReference {
  const char* Name;
  double Enc0, Enc18, Enc1, Dec05;
};

TEST(TransferCurves, ReferenceValuesToFourDecimals) {
  const TReference Table[] = {
      {"sRGB", 0.0000, 0.4614, 1.0000, 0.2140},      {"L*", 0.0000, 0.4950, 1.0000, 0.1842},
      {"Rec709", 0.0000, 0.4088, 1.0000, 0.2597},    {"AdobeRGB", 0.0000, 0.4585, 1.0000, 0.2178},
      {"ProPhoto", 0.0000, 0.3857, 1.0000, 0.2872},  {"Gamma18", 0.0000, 0.3857, 1.0000, 0.2872},
      {"PQ", 0.0000, 0.8159, 1.0000, 0.0092},        {"ACEScc", -0.3584, 0.4136, 0.5548, 0.5141},
      {"ACEScct", 0.0729, 0.4136, 0.5548, 0.5141},   {"LogC", 0.0928, 0.3910, 0.5706, 0.5134},
      {"RedLog", 0.0000, 0.6376, 1.0000, 0.0907},    {"RedLogFilm", 0.0927, 0.4565, 0.6688, 0.2577},
      {"Log3G10", 0.0916, 0.3333, 0.4934, 1.0707},   {"DJIInspire", 0.0072, 0.4117, 0.8602, 0.2622},
      {"DLogPh3", 0.0090, 0.5517, 0.9079, 0.1384},   {"DLogPh4Pro", 0.0791, 0.4855, 0.7470, 0.1979},
      {"SLog", 0.0300, 0.3600, 0.6535, 0.4208},      {"SLog2", 0.0883, 0.3263, 0.5690, 0.6330},
      {"SLog3", 0.0929, 0.4106, 0.5960, 0.4153},     {"BMDFilm", 0.0449, 0.4353, 0.6988, 0.2773},
      {"BMDFilm4K", 0.0777, 0.3137, 0.6498, 0.3055}, {"BMDFilm46", 0.0731, 0.4107, 0.6651, 0.3354},
      {"VisionLog", 0.0987, 0.4581, 0.6892, 0.2480}, {"Cineon", 0.0928, 0.4569, 0.6689, 0.2570},
      {"VLog", 0.1250, 0.4233, 0.5991, 0.3833},      {"CanonLog", 0.0731, 0.3120, 0.6274, 0.5325},
      {"CanonLog2", 0.0929, 0.3878, 0.5623, 0.5468}, {"CanonLog3", 0.1251, 0.3310, 0.5645, 0.6453},
      {"FLog", 0.0929, 0.4593, 0.7050, 0.2415},      {"ZLog", 0.0469, 0.5331, 0.7912, 0.1445},
  };
  constexpr double Tol = 0.5e-4 + 1e-6;
  for (const auto& R : Table) {
    SCOPED_TRACE(R.Name);
    const TCurvePair& P = Pair(R.Name);
    EXPECT_NEAR(P.Encode(0.0f), R.Enc0, Tol);
    EXPECT_NEAR(P.Encode(0.18f), R.Enc18, Tol);
    EXPECT_NEAR(P.Encode(1.0f), R.Enc1, Tol);
    EXPECT_NEAR(P.Decode(0.5f), R.Dec05, Tol);
  }
  EXPECT_NEAR(CinestyleToLinear(0.5f), 0.2186, Tol);
  EXPECT_NEAR(Insta360ILogToLinear(0.5f), 0.4646, Tol);
}

// decode(encode(x)) == x over 0..1 for every pair (BMDFilm 4K's two
// directions are separate models and are left out).
TEST(TransferCurves, DecodeOfEncodeIsIdentity) {
  for (const auto& P : AllPairs()) {
    SCOPED_TRACE(P.Name);
    double Worst = 0;
    float WorstX = 0;
    for (int I = 0; I <= 2000; ++I) {
      const float X = static_cast<float>(I / 2000.0);
      const float Back = P.Decode(P.Encode(X));
      const double Err = std::fabs(static_cast<double>(Back) - X);
      if (Err > Worst) {
        Worst = Err;
        WorstX = X;
      }
    }
    EXPECT_LT(Worst, P.RoundTrip) << "at x = " << WorstX;
  }
}

TEST(TransferCurves, NegativeLinearInput) {
  EXPECT_FLOAT_EQ(LinearToACEScc(-0.5f), -0.35844748858447484f);
  EXPECT_FLOAT_EQ(LinearToACEScc(-1e-9f), -0.35844748858447484f);
  EXPECT_EQ(LinearToGammaGamma18(-0.2f), 0.0f);
  EXPECT_EQ(LinearToGammaAdobeRGB(-0.2f), -0.2f);
  EXPECT_FLOAT_EQ(LinearToGammaSRGB(-0.1f), -1.292f);
  EXPECT_FLOAT_EQ(LinearToGammaRec709(-0.1f), -0.45f);
  EXPECT_FLOAT_EQ(LinearToGammaProPhoto(-0.1f), -1.6f);
  EXPECT_EQ(LinearToZCamZLog(-1.0f), 0.046875f);
  EXPECT_EQ(LinearToSLog(-0.0376f), 0.0f);
  EXPECT_EQ(LinearToSLog(-1.0f), 0.0f);
  EXPECT_EQ(LinearToCanonCLog2(-0.02f), 0.0f);
}

TEST(TransferCurves, DecodingZeroAndSaturation) {
  EXPECT_NEAR(ACESccToLinear(0.0f), std::exp2(-9.72), 1e-9);
  EXPECT_EQ(GammaPQToLinear(0.0f), 0.0f);
  EXPECT_NEAR(LogCToLinear(0.0f), -0.01729, 1e-5);
  EXPECT_NEAR(PanasonicVLogToLinear(0.0f), -0.02232, 1e-5);
  EXPECT_EQ(ACESccToLinear(1.468f), 65504.0f);
  EXPECT_EQ(ACEScctToLinear(2.0f), 65504.0f);
  EXPECT_LT(ACESccToLinear(1.4679f), 65504.0f);
}

TEST(TransferCurves, BMDFilm4KDirectionsAreSeparateModels) {
  EXPECT_NEAR(LinearToBMDFilm4K(0.18f), 0.3137, 1e-4);
  EXPECT_NEAR(BMDFilm4KToLinear(0.3137f), 0.1253, 1e-4);
}

TEST(TransferCurves, GammaHelpers) {
  EXPECT_EQ(ApplyGamma(-0.25f, 2.2f), -0.25f);
  for (float X : {-3.0f, 0.0f, 0.37f, 5.0f}) EXPECT_EQ(ApplyGamma(X, 1.0f), X);
  EXPECT_FLOAT_EQ(ApplyGamma(0.5f, 2.0f), 0.25f);
  EXPECT_FLOAT_EQ(LinearToGammaCustom(0.25f, 2.0f), 0.5f);
  EXPECT_EQ(LinearToGammaCustom(-0.25f, 2.0f), -0.25f);
  EXPECT_NEAR(InputProfileToneCurve(0.0f), 0.0000098, 1e-7);
  EXPECT_NEAR(InputProfileToneCurve(0.5f), 0.50188, 1e-5);
  EXPECT_NEAR(InputProfileToneCurve(1.0f), 1.0134, 1e-4);
}

// The table lookup against the formula: inside 0..1 the nearest entry,
// outside the formula itself, so the tables never clip.
TEST(GammaTables, LookupAgainstFormula) {
  const float* Dec = SRGBToLinearTable();
  const float* Enc = LinearToSRGBTable();
  const float* LStar = LinearToLStarTable();
  EXPECT_EQ(Dec[8192], GammaSRGBToLinear(0.5f));
  EXPECT_EQ(Enc[16384], LinearToGammaSRGB(1.0f));
  struct TCase {
    float In;
    float Dec, Enc, LStar;
  };
  const TCase Cases[] = {
      {0.0f, Dec[0], Enc[0], LStar[0]},
      {0.5f, Dec[8192], Enc[8192], LStar[8192]},
      {0.99999f, Dec[16384], Enc[16384], LStar[16384]},  // 16383.84 rounds to 16384
      {1.2f, GammaSRGBToLinear(1.2f), LinearToGammaSRGB(1.2f), LinearToGammaLStar(1.2f)},
      {-0.1f, 0.0f, LinearToGammaSRGB(-0.1f), LinearToGammaLStar(-0.1f)},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.In);
    float R = C.In, G = C.In, B = C.In;
    GammaSRGBToLinearRGB(R, G, B);
    EXPECT_EQ(R, C.Dec);
    EXPECT_EQ(B, C.Dec);
    R = G = B = C.In;
    LinearToGammaSRGBRGB(R, G, B);
    EXPECT_EQ(G, C.Enc);
    EXPECT_EQ(LinearToGammaLStarFast(C.In), C.LStar);
    // The tables stay within their step of the formula.
    if (C.In >= 0 && C.In <= 1) {
      float D = C.In, E = C.In, F = C.In;
      GammaSRGBToLinearRGB(D, E, F);
      EXPECT_NEAR(D, GammaSRGBToLinear(C.In), 1e-4);
    }
  }
  float R = 1.2f, G = 0.5f, B = -0.1f;
  GammaSRGBToLinearRGB(R, G, B);
  EXPECT_NEAR(R, 1.5168, 1e-4);
  R = -0.1f;
  LinearToGammaSRGBRGB(R, G, B);
  EXPECT_FLOAT_EQ(R, -1.292f);
}

// A NaN channel reads entry 0 instead of a wild index.
TEST(GammaTables, NaNReadsEntryZero) {
  const float NaN = std::numeric_limits<float>::quiet_NaN();
  float R = NaN, G = 0.5f, B = NaN;
  GammaSRGBToLinearRGB(R, G, B);
  EXPECT_EQ(R, 0.0f);
  EXPECT_EQ(B, 0.0f);
  R = NaN;
  LinearToGammaSRGBRGB(R, G, B);
  EXPECT_EQ(R, 0.0f);
  EXPECT_EQ(LinearToGammaLStarFast(NaN), 0.0f);
}

TEST(ImageProfiles, Dispatch) {
  struct TCase {
    TImageProfile P;
    TCurve Enc, Dec;
  };
  const TCase Cases[] = {
      {ipSRGB, LinearToGammaSRGB, GammaSRGBToLinear},
      {ipMelissaRGB, LinearToGammaSRGB, GammaSRGBToLinear},
      {ipRec709, LinearToGammaRec709, GammaRec709ToLinear},
      {ipRec2020, LinearToGammaRec709, GammaRec709ToLinear},
      {ipAdobeRGB, LinearToGammaAdobeRGB, GammaAdobeRGBToLinear},
      {ipProphotoRGB, LinearToGammaProPhoto, GammaProPhotoToLinear},
      {ipEciRGB, LinearToGammaLStar, GammaLStarToLinear},
      {ipProStarRGB, LinearToGammaLStar, GammaLStarToLinear},
      {ipSomeLStarRGB, LinearToGammaLStar, GammaLStarToLinear},
      {ipGamma18, LinearToGammaGamma18, GammaGamma18ToLinear},
      {ipACEScc, LinearToACEScc, ACESccToLinear},
  };
  for (const auto& C : Cases)
    for (float X : {0.0f, 0.03f, 0.18f, 0.7f}) {
      EXPECT_EQ(LinearToGammaByProfile(C.P, X), C.Enc(X)) << int(C.P);
      EXPECT_EQ(GammaToLinearByProfile(C.P, X), C.Dec(X)) << int(C.P);
      EXPECT_EQ(LinearToGammaByProfileCustom(C.P, X, 3.0f), C.Enc(X)) << int(C.P);
      EXPECT_EQ(GammaToLinearByProfileCustom(C.P, X, 3.0f), C.Dec(X)) << int(C.P);
    }
  EXPECT_EQ(LinearToGammaByProfile(ipLinear, 0.3f), 0.3f);
  // ipGammaPQ is the plain power curve, never PQ.
  const auto Above = static_cast<TImageProfile>(14);
  for (TImageProfile P : {ipGammaPQ, ipCustom, Above}) {
    EXPECT_EQ(LinearToGammaByProfile(P, 0.5f), LinearToGammaCustom(0.5f, 2.4f));
    EXPECT_EQ(GammaToLinearByProfile(P, 0.5f), ApplyGamma(0.5f, 2.4f));
    EXPECT_EQ(LinearToGammaByProfileCustom(P, 0.5f, 3.0f), LinearToGammaCustom(0.5f, 3.0f));
  }
  EXPECT_EQ(GammaToLinearByProfileCustom(ipCustom, 0.5f, 3.0f), ApplyGamma(0.5f, 3.0f));
  EXPECT_EQ(GammaToLinearByProfileCustom(ipGammaPQ, 0.5f, 3.0f), ApplyGamma(0.5f, 2.4f));
  EXPECT_EQ(GammaToLinearByProfileCustom(Above, 0.5f, 3.0f), ApplyGamma(0.5f, 2.4f));

  float R = 0.25f, G = 0.5f, B = 0.75f;
  GammaToLinearRGBByProfile(R, G, B, ipCustom, 2.0f);
  EXPECT_FLOAT_EQ(R, 0.0625f);
  EXPECT_FLOAT_EQ(B, 0.5625f);
  LinearToGammaRGBByProfile(R, G, B, ipCustom, 2.0f);
  EXPECT_FLOAT_EQ(G, 0.5f);
}

TEST(ImageProfiles, Exposure) {
  EXPECT_NEAR(ApplyExposureInProfile(ipSRGB, 0.5f, 2.0f),
              LinearToGammaSRGB(GammaSRGBToLinear(0.5f) * 2.0f), 1e-7);
  EXPECT_NEAR(ApplyExposureInProfile(ipLinear, 0.8f, 2.0f), 1.6f, 1e-7);  // no clamping
  TRGBAPixel128 P{0.8f, 0.2f, 0.0f, 0.3f};
  ApplyExposureInProfilePixel128(P, P, ipLinear, 2.0f);
  EXPECT_EQ(P.R, 1.0f);
  EXPECT_FLOAT_EQ(P.G, 0.4f);
  EXPECT_EQ(P.B, 0.0f);
  EXPECT_EQ(P.A, 0.3f);
}

TEST(ImageProfiles, Names) {
  EXPECT_EQ(ImageProfileName(ipSRGB), "sRGB (2.4)");
  EXPECT_EQ(ImageProfileName(ipEciRGB), "eciRGB (L*)");
  EXPECT_EQ(ImageProfileName(ipACEScc), "ACEScc (log)");
  EXPECT_EQ(ImageProfileName(ipGammaPQ), "Unknown");
  EXPECT_EQ(ImageProfileName(ipCustom), "Unknown");
  EXPECT_EQ(ImageProfileName(static_cast<TImageProfile>(200)), "Unknown");
}

}  // namespace
}  // namespace kromel
