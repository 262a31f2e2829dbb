#include "colour/hsp_models.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "colour/gamut_tables.h"
#include "colour/log_gamma.h"

namespace kromel {
namespace {

constexpr double Pi = std::numbers::pi;

// Hue (turns) of a cartesian HSP value whose angle is 2*pi*H + Offset.
double HueOf(float X, float Y, double Offset) {
  double H = (std::atan2(Y, X) - Offset) / (2 * Pi);
  while (H < -1e-6) H += 1;
  return H;
}

TEST(HSPModels, HueLandmarks) {
  struct TCase {
    const char* Name;
    float R, G, B;
    double Plain, Moved, Itten;
  };
  const TCase Cases[] = {
      {"red", 1, 0, 0, 1.0, 1.0 / 6, 1.0},          {"yellow", 1, 1, 0, 1.0 / 6, 1.0 / 3, 1.0 / 3},
      {"green", 0, 1, 0, 1.0 / 3, 0.5, 0.5},        {"cyan", 0, 1, 1, 0.5, 2.0 / 3, 7.0 / 12},
      {"blue", 0, 0, 1, 2.0 / 3, 5.0 / 6, 2.0 / 3}, {"magenta", 1, 0, 1, 5.0 / 6, 0.0, 5.0 / 6},
  };
  for (const TCase& C : Cases) {
    float H, S, P, X, Y;
    RGBtoHSPnSingle(C.R, C.G, C.B, H, S, P);
    EXPECT_NEAR(H, C.Plain, 1e-6) << C.Name;
    EXPECT_NEAR(S, 1, 1e-6) << C.Name;
    RGBtoHSP3XYSingle(C.R, C.G, C.B, H, S, P);  // square-root hue: the same at the primaries
    EXPECT_NEAR(H, C.Plain, 1e-6) << C.Name;
    RGBtoHSP2pSingle(C.R, C.G, C.B, H, S, P);
    EXPECT_NEAR(H, C.Moved, 1e-6) << C.Name;
    RGBtoHSPnpSingle(C.R, C.G, C.B, H, S, P);
    EXPECT_NEAR(H, C.Moved, 1e-6) << C.Name;
    RGBtoHSPIttenSingle(C.R, C.G, C.B, P, X, Y);
    EXPECT_NEAR(std::fmod(HueOf(X, Y, -Pi / 6), 1.0), std::fmod(C.Itten, 1.0), 1e-5) << C.Name;
  }
}

TEST(HSPModels, PureRedWhiteAndBlack) {
  float H, S, P, X, Y;
  RGBtoHSP2Single(1, 0, 0, H, S, P);
  EXPECT_EQ(H, 1.0f);
  EXPECT_EQ(S, 1.0f);
  EXPECT_NEAR(P, 53.23, 0.01);
  RGBtoHSPeXYSingle(1, 0, 0, P, X, Y);  // extended: red reads 0
  EXPECT_NEAR(X, 100 * std::cos(Pi / 4), 1e-4);
  EXPECT_NEAR(Y, 100 * std::sin(Pi / 4), 1e-4);
  EXPECT_NEAR(P, 53.23, 0.01);
  RGBtoHSP2pSingle(0.9f, 0.3f, 0.3f, H, S, P);
  float H2, S2, P2;
  RGBtoHSPnpSingle(0.9f, 0.3f, 0.3f, H2, S2, P2);
  EXPECT_EQ(S, S2);  // plain saturation, not squared
  EXPECT_LT(S, 1.0f);
  RGBtoHSPnXYSingle(1, 1, 1, P, X, Y);
  EXPECT_NEAR(P, 100, 1e-3);
  EXPECT_EQ(X, 0);
  EXPECT_EQ(Y, 0);
  RGBtoHSPnSingle(0, 0, 0, H, S, P);
  EXPECT_EQ(P, 0);
}

TEST(HSPModels, GreyOfLightnessFifty) {
  float R, G, B;
  HSPnXYtoRGBSingle(50, 0, 0, R, G, B);
  EXPECT_NEAR(LStarToLinear(50), 0.18419, 1e-5);
  EXPECT_NEAR(R, 0.4663, 5e-4);
  EXPECT_EQ(R, G);
  EXPECT_EQ(G, B);
  // Greys take the exact L* formula in the "n" polar forwards.
  float H, S, P;
  RGBtoHSPnSingle(R, G, B, H, S, P);
  EXPECT_NEAR(P, 50, 0.01);
  EXPECT_EQ(H, 0);
  EXPECT_EQ(S, 0);
}

TEST(HSPModels, NearGreyIsNotGrey) {
  float H, S, P;
  RGBtoHSPnSingle(0.5f, 0.5f, 0.5001f, H, S, P);
  EXPECT_GT(S, 0);
  EXPECT_LT(S, 1e-3);
  EXPECT_NEAR(H, 2.0 / 3, 1e-6);  // blue largest, red and green equal
}

// Beyond full saturation the inverse gives the saturated colour of that hue
// at the requested lightness, not a brighter one.
TEST(HSPModels, RadiusAboveHundredKeepsLightness) {
  UseHSPGamut = false;
  float R1, G1, B1, R2, G2, B2, P1, P2, X, Y;
  const double Phi = 2 * Pi * 0.55 + Pi / 4;
  HSPnXYtoRGBSingle(40, static_cast<float>(100 * std::cos(Phi)),
                    static_cast<float>(100 * std::sin(Phi)), R1, G1, B1);
  HSPnXYtoRGBSingle(40, static_cast<float>(250 * std::cos(Phi)),
                    static_cast<float>(250 * std::sin(Phi)), R2, G2, B2);
  UseHSPGamut = true;
  EXPECT_EQ(R1, R2);
  EXPECT_EQ(G1, G2);
  EXPECT_EQ(B1, B2);
  EXPECT_NEAR(std::min(R2, std::min(G2, B2)), 0, 1e-6);
  RGBtoHSPnXYSingle(R1, G1, B1, P1, X, Y);
  RGBtoHSPnXYSingle(R2, G2, B2, P2, X, Y);
  EXPECT_NEAR(P2, 40, 0.02);
}

TEST(HSPModels, ExtendedInverseEnds) {
  struct TCase {
    float X, Y;
  };
  for (const TCase& C : {TCase{0, 0}, TCase{50, -20}, TCase{-90, 70}}) {
    float R, G, B;
    HSPeXYtoRGBSingle(100, C.X, C.Y, R, G, B);
    EXPECT_EQ(R + G + B, 3.0f) << C.X << "," << C.Y;
    HSPneXYtoRGBSingle(100, C.X, C.Y, R, G, B);
    EXPECT_EQ(R + G + B, 3.0f) << C.X << "," << C.Y;
    HSPeXYtoRGBSingle(0, C.X, C.Y, R, G, B);
    EXPECT_EQ(R + G + B, 0.0f) << C.X << "," << C.Y;
  }
  // A negative P: luminance 1 - LStarToLinear(|P|), linear light.
  float R, G, B;
  HSPneXYtoRGBSingle(-30, 0, 0, R, G, B);
  const float Expected = 1 - LStarToLinear(30);
  EXPECT_NEAR(R, Expected, 1e-6);
  EXPECT_NEAR(G, Expected, 1e-6);
  // The polar extended inverse: P capped at 100.
  HSPetoRGBSingle(0.3f, 0.5f, 150, R, G, B);
  EXPECT_EQ(R + G + B, 3.0f);
}

// The light-half solution takes over exactly for colours whose largest plus
// smallest linear channel exceeds 1.
TEST(HSPModels, ExtendedLightHalf) {
  struct TCase {
    float R, G, B;
  };
  for (const TCase& C : {TCase{1, 0.95f, 0.7f}, TCase{0.98f, 0.2f, 0.9f}, TCase{0.4f, 0.1f, 0.2f},
                         TCase{0.9f, 0.9f, 0.05f}}) {
    float P, X, Y, R, G, B;
    RGBtoHSPeXYSingle(C.R, C.G, C.B, P, X, Y);
    HSPeXYtoRGBSingle(P, X, Y, R, G, B);
    EXPECT_NEAR(R, C.R, 2e-3);
    EXPECT_NEAR(G, C.G, 2e-3);
    EXPECT_NEAR(B, C.B, 2e-3);
    RGBtoHSPneXYSingle(C.R, C.G, C.B, P, X, Y);
    HSPneXYtoRGBSingle(P, X, Y, R, G, B);
    EXPECT_NEAR(R, C.R, 2e-3);
    EXPECT_NEAR(G, C.G, 2e-3);
    EXPECT_NEAR(B, C.B, 2e-3);
  }
  // Red in the light half: its extended saturation is 1 where the plain
  // one is not.
  float P, X, Y, Pn, Xn, Yn;
  RGBtoHSPneXYSingle(1, 0.8f, 0.8f, P, X, Y);
  RGBtoHSPnXYSingle(1, 0.8f, 0.8f, Pn, Xn, Yn);
  EXPECT_NEAR(std::hypot(X, Y), 100, 1e-3);
  EXPECT_LT(std::hypot(Xn, Yn), 80);
}

TEST(HSPModels, PolarPairsRoundTrip) {
  std::mt19937 Engine(7);
  std::uniform_real_distribution<float> U(0, 1);
  for (int I = 0; I < 200; ++I) {
    const float R = U(Engine), G = U(Engine), B = U(Engine);
    float H, S, P, R2, G2, B2;
    RGBtoHSPnSingle(R, G, B, H, S, P);
    HSPntoRGBSingle(H, S, P, R2, G2, B2);
    EXPECT_NEAR(R2, R, 2e-3);
    EXPECT_NEAR(G2, G, 2e-3);
    EXPECT_NEAR(B2, B, 2e-3);
    RGBtoHSP2Single(R, G, B, H, S, P);
    HSP2toRGBSingle(H, S, P, R2, G2, B2);
    EXPECT_NEAR(R2, R, 2e-3);
    EXPECT_NEAR(G2, G, 2e-3);
    EXPECT_NEAR(B2, B, 2e-3);
    RGBtoHSP3XYSingle(R, G, B, H, S, P);
    HSP3XYtoRGBSingle(H, S, P, R2, G2, B2);
    EXPECT_NEAR(R2, R, 2e-3);
    EXPECT_NEAR(G2, G, 2e-3);
    EXPECT_NEAR(B2, B, 2e-3);
  }
  // Hues one turn off are brought back once; a negative saturation is 0.
  float R1, G1, B1, R2, G2, B2;
  HSPntoRGBSingle(0.3f, 0.5f, 60, R1, G1, B1);
  HSPntoRGBSingle(-0.7f, 0.5f, 60, R2, G2, B2);
  EXPECT_NEAR(R1, R2, 1e-5);
  EXPECT_NEAR(G1, G2, 1e-5);
  HSPntoRGBSingle(1.3f, 0.5f, 60, R2, G2, B2);
  EXPECT_NEAR(B1, B2, 1e-5);
  HSPntoRGBSingle(0.3f, -0.5f, 60, R2, G2, B2);
  EXPECT_EQ(R2, G2);
  EXPECT_EQ(G2, B2);
}

}  // namespace
}  // namespace kromel
