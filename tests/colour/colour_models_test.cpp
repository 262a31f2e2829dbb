#include "colour/colour_models.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "colour/contrast_clip.h"
#include "colour/gamut_tables.h"
#include "colour/hsp_models.h"
#include "colour/hsv_hsl.h"
#include "colour/log_gamma.h"
#include "colour/rgb_lab_xyz.h"
#include "foundation/error_sink.h"

namespace kromel {
namespace {

struct TModelCase {
  TColorModel Model;
  TRGBToVariableSingleProc Forward;
  TVariableToRGBSingleProc Inverse;
  float Scale;
  float Interior;  // largest channel error of a round trip inside the cube
  float Surface;   // and on its faces
};

const TModelCase ModelCases[] = {
    {cmLAB, RGBtoLABModel, LABModeltoRGB, 1.24f, 0.0005f, 0.0005f},
    {cmLABn, RGBtoLABnSingle, LABntoRGBSingle, 1.24f, 0.0005f, 0.0005f},
    {cmLXY, RGBtoLXYSingle, LXYtoRGBSingle, 1.05f, 0.0005f, 0.0006f},
    {cmMXY, RGBtoMXYSingle, MXYtoRGBSingle, 1.05f, 1e-5f, 1e-5f},
    {cmMABe, RGBtoMABeSingle, MABetoRGBSingleOut, 1.0f, 1e-5f, 0.001f},
    {cmMXYe, RGBtoMXYeSingle, MXYetoRGBSingle, 1.0f, 1e-5f, 1e-5f},
    {cmSXYe, RGBtoSXYSingle, SXYtoRGBSingle, 1.05f, 0.001f, 0.001f},
    {cmHSPn, RGBtoHSPnXYSingle, HSPnXYtoRGBSingle, 1.0f, 0.001f, 0.001f},
    {cmHSPne, RGBtoHSPneXYSingle, HSPneXYtoRGBSingle, 1.0f, 0.001f, 0.003f},
    {cmHSP, RGBtoHSP2XYSingle, HSP2XYtoRGBSingle, 1.0f, 0.001f, 0.001f},
    {cmHSPe, RGBtoHSPeXYSingle, HSPeXYtoRGBSingle, 1.0f, 0.001f, 0.003f},
    {cmHSP3, RGBtoHSP3ModelSingle, HSP3ModeltoRGBSingle, 1.0f, 0.001f, 0.001f},
    {cmHSPItten, RGBtoHSPIttenSingle, HSPIttentoRGBSingle, 1.0f, 0.001f, 0.001f},
    {cmYUV, RGBtoYUVSingle, YUVtoRGBSingle, 1.0f, 5e-5f, 5e-5f},
    {cmCMYK, RGBtoCMYKModel, CMYKModeltoRGB, 0.92f, 1e-5f, 1e-5f},
    {cmRGBW, RGBtoRGBWModel, RGBWModeltoRGB, 0.92f, 1e-5f, 1e-5f},
};

// A grid over the cube, forward and back, through the pair SetColorModel
// installs, with the embedded gamut tables in place (which reach the cusps
// of every gamut, so they add nothing to the error).
TEST(ColorModels, EveryModelRoundTripsTheCube) {
  for (const TModelCase& C : ModelCases) {
    SetColorModel(C.Model);
    ASSERT_EQ(CurrentRGBToModel.load(), C.Forward) << ColorModelDisplayName(C.Model);
    ASSERT_EQ(CurrentModelToRGB.load(), C.Inverse) << ColorModelDisplayName(C.Model);
    EXPECT_EQ(ColorModelScale.load(), C.Scale) << ColorModelDisplayName(C.Model);
    float Worst[2] = {0, 0};
    std::string WorstAt[2];
    for (int I = 0; I <= 16; ++I)
      for (int J = 0; J <= 16; ++J)
        for (int K = 0; K <= 16; ++K) {
          const float R = I / 16.0f, G = J / 16.0f, B = K / 16.0f;
          float V1, V2, V3, R2, G2, B2;
          RGBtoColorModelContrast(R, G, B, 0, V1, V2, V3);
          ColorModeltoRGBContrast(V1, V2, V3, 0, R2, G2, B2);
          const float E = std::max({std::fabs(R - R2), std::fabs(G - G2), std::fabs(B - B2)});
          const int Face = std::min({I, J, K}) == 0 || std::max({I, J, K}) == 16;
          if (!(E <= Worst[Face])) {
            Worst[Face] = E;
            WorstAt[Face] = std::to_string(I) + "," + std::to_string(J) + "," + std::to_string(K);
          }
        }
    EXPECT_LE(Worst[0], C.Interior) << ColorModelDisplayName(C.Model) << " at " << WorstAt[0];
    EXPECT_LE(Worst[1], C.Surface) << ColorModelDisplayName(C.Model) << " at " << WorstAt[1];
  }
  SetColorModel(cmHSPe);
}

// A stage that pushes shadows below black must not brighten them.
TEST(ColorModels, NegativeLightnessIsBlack) {
  const TModelCase* Cases[] = {&ModelCases[cmMXY], &ModelCases[cmMABe], &ModelCases[cmMXYe],
                               &ModelCases[cmHSPe]};
  for (const TModelCase* C : Cases)
    for (const float V1 : {-0.01f, -5.0f, -60.0f})
      for (const float Chroma : {0.0f, 10.0f}) {
        float R = -1, G = -1, B = -1;
        C->Inverse(V1, Chroma, Chroma, R, G, B);
        EXPECT_EQ(R + G + B, 0.0f) << ColorModelDisplayName(C->Model) << " " << V1 << " " << Chroma;
      }
}

TEST(ColorModels, ListNamesAndSelection) {
  EXPECT_STREQ(ColorModelItems,
               "LAB;LABn;LXY;MXY;MABe;MXYe;SXYe;HSPn;HSPne;HSP;HSPe;HSP3;HSP Itten;YUV;CMYK;RGBW");
  std::stringstream Items(ColorModelItems);
  std::string Item;
  int Index = 0;
  while (std::getline(Items, Item, ';')) EXPECT_EQ(ColorModelDisplayName(Index++), Item);
  EXPECT_EQ(Index, ColorModelCount);
  EXPECT_EQ(ColorModelDisplayName(16), "");
  EXPECT_EQ(ColorModelDisplayName(-1), "");

  // The pair a process starts with, and InitColorModels' choice.
  EXPECT_EQ(CurrentRGBToModel.load(), &RGBtoHSPeXYSingle);
  EXPECT_EQ(CurrentModelToRGB.load(), &HSPeXYtoRGBSingle);
  EXPECT_EQ(ColorModelScale.load(), 1.0f);
  SetColorModel(cmLAB);
  InitColorModels();
  EXPECT_EQ(CurrentRGBToModel.load(), &RGBtoHSPeXYSingle);
  EXPECT_EQ(ColorModelScale.load(), 1.0f);

  // A value outside the enumeration changes nothing.
  SetColorModel(cmSXYe);
  SetColorModel(16);
  SetColorModel(-1);
  EXPECT_EQ(CurrentRGBToModel.load(), &RGBtoSXYSingle);
  EXPECT_EQ(ColorModelScale.load(), 1.05f);
  SetColorModel(cmHSPe);
}

std::vector<std::string> Reported;
void Record(const std::string& Text) { Reported.push_back(Text); }

TEST(ColorModels, HSP3SelfTestPassesSilently) {
  const TErrorMessageCallback Saved = ErrorMessageProc;
  ErrorMessageProc = Record;
  Reported.clear();
  EXPECT_EQ(TestHSP3(), 0);
  ErrorMessageProc = Saved;
  EXPECT_TRUE(Reported.empty());
}

struct TTriple {
  float A, B, C;
};

TTriple Forward(TRGBToVariableSingleProc F, float R, float G, float B) {
  TTriple T;
  F(R, G, B, T.A, T.B, T.C);
  return T;
}

TEST(ColorModels, WhiteAndBlackLandmarks) {
  struct TCase {
    const char* Name;
    TRGBToVariableSingleProc F;
    float R, G, B;
    TTriple Expected;
  };
  const TCase Cases[] = {
      {"MXY white", RGBtoMXYSingle, 1, 1, 1, {100, 0, 0}},
      {"MABe white", RGBtoMABeSingle, 1, 1, 1, {100, 0, 0}},
      {"MXYe white", RGBtoMXYeSingle, 1, 1, 1, {100, 0, 0}},
      {"SXYe white", RGBtoSXYSingle, 1, 1, 1, {100, 0, 0}},
      {"CMYK white", RGBtoCMYKModel, 1, 1, 1, {100, 0, 0}},
      {"RGBW white", RGBtoRGBWModel, 1, 1, 1, {100, 0, 0}},
      {"MABe black", RGBtoMABeSingle, 0, 0, 0, {0, 0, 0}},
      {"CMYK black", RGBtoCMYKModel, 0, 0, 0, {0, 0, 0}},
  };
  for (const TCase& C : Cases) {
    const TTriple T = Forward(C.F, C.R, C.G, C.B);
    EXPECT_NEAR(T.A, C.Expected.A, 2e-4) << C.Name;
    EXPECT_NEAR(T.B, C.Expected.B, 1e-3) << C.Name;
    EXPECT_NEAR(T.C, C.Expected.C, 1e-3) << C.Name;
  }
  float R, G, B;
  CMYKModeltoRGB(0, 40, -70, R, G, B);
  EXPECT_EQ(R + G + B, 0.0f);
}

TEST(ColorModels, LABnCompressesChroma) {
  // Lab (50, -10, 0): V2 = P(-10)/0.95, about -22.678, and back.
  float R, G, B, V1, V2, V3, R2, G2, B2;
  LABtoRGBSingle(50, -10, 0, R, G, B);
  RGBtoLABnSingle(R, G, B, V1, V2, V3);
  EXPECT_NEAR(V2, -22.678, 0.05);
  EXPECT_NEAR(V3, 0, 0.5);  // P is steep at 0: b of about 0.003 reads 0.1
  LABntoRGBSingle(50, static_cast<float>(-100 * std::pow(0.1, 2.0 / 3) / 0.95), 0, R2, G2, B2);
  EXPECT_NEAR(R2, R, 1e-5);
  EXPECT_NEAR(G2, G, 1e-5);
  EXPECT_NEAR(B2, B, 1e-5);
  // A negative b moves a by half of it and is stretched by 1.1.
  float Rb, Gb, Bb;
  LABntoRGBSingle(60, 10, -20, R2, G2, B2);
  const double A = 100 * std::pow((10 + 10) / 100.0, 1.5);
  const double Bl = -100 * std::pow(22 / 100.0, 1.5);
  LABtoRGBSingle(60, static_cast<float>(A), static_cast<float>(Bl), Rb, Gb, Bb);
  EXPECT_NEAR(R2, Rb, 1e-5);
  EXPECT_NEAR(G2, Gb, 1e-5);
  EXPECT_NEAR(B2, Bb, 1e-5);
}

TEST(ColorModels, ReadoutCMYK) {
  float C, M, Y, K;
  RGBtoCMYKSingle(0, 0, 0, C, M, Y, K);
  EXPECT_EQ(K, 1);
  EXPECT_EQ(C + M + Y, 0);
  RGBtoCMYKSingle(1, 0, 0, C, M, Y, K);
  EXPECT_EQ(K, 0);
  EXPECT_EQ(C, 0);
  EXPECT_EQ(M, 1);
  EXPECT_EQ(Y, 1);
}

// The contrast-wrapped pair takes the curve off before the forward step and
// puts it back after the inverse one.
TEST(ColorModels, ContrastWrappedConversionsAreInverse) {
  SetColorModel(cmMXY);
  float V1, V2, V3, R, G, B, Plain1, Plain2, Plain3;
  RGBtoColorModelContrast(0.7f, 0.4f, 0.2f, 0.3f, V1, V2, V3);
  RGBtoColorModelContrast(0.7f, 0.4f, 0.2f, 0, Plain1, Plain2, Plain3);
  EXPECT_GT(std::fabs(V1 - Plain1) + std::fabs(V2 - Plain2), 0.1f);
  ColorModeltoRGBContrast(V1, V2, V3, 0.3f, R, G, B);
  EXPECT_NEAR(R, 0.7f, 1e-3);
  EXPECT_NEAR(G, 0.4f, 1e-3);
  EXPECT_NEAR(B, 0.2f, 1e-3);
  // The same as the curve applied by hand.
  float Rc = 0.7f, Gc = 0.4f, Bc = 0.2f;
  ContrastSigmoidRGBReverse(Rc, Gc, Bc, 1.5f);
  float W1, W2, W3;
  RGBtoMXYSingle(Rc, Gc, Bc, W1, W2, W3);
  EXPECT_EQ(V1, W1);
  EXPECT_EQ(V2, W2);
  EXPECT_EQ(V3, W3);
  SetColorModel(cmHSPe);
}

TEST(ColorModels, SmallBuildingBlocks) {
  // The mean form and its algebraic inverse.
  float V1, V2, V3, R, G, B;
  RGBtoLXYMeanSingle(0.6f, 0.3f, 0.2f, V1, V2, V3);
  EXPECT_NEAR(V1, (0.6f + 0.3f + 0.2f) / 3, 1e-6);
  LXYMeantoRGBSingle(V1, V2, V3, R, G, B);
  EXPECT_NEAR(R, 0.6f, 1e-5);
  EXPECT_NEAR(G, 0.3f, 1e-5);
  EXPECT_NEAR(B, 0.2f, 1e-5);
  // Packed LABn: white, red lowest in a colour, blue lowest in a pixel.
  EXPECT_EQ(LABntoColor(100, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(LABntoPixel(100, 0, 0), 0xFFFFFFFFu);
  const uint32_t Red = LABntoColor(53.24f, 60, 40);
  const uint32_t RedPixel = LABntoPixel(53.24f, 60, 40);
  EXPECT_EQ(Red & 0xFF, (RedPixel >> 16) & 0xFF);
  EXPECT_EQ((Red >> 16) & 0xFF, RedPixel & 0xFF);
  const TMXYAPixel128 P = RGBtoMXYePixel(1, 1, 1, 0.25f);
  EXPECT_NEAR(P.M, 100, 1e-3);
  EXPECT_EQ(P.Alpha, 0.25f);
  // Double and Single MXYe agree.
  double D1, D2, D3;
  RGBtoMXYeDouble(0.8, 0.3, 0.1, D1, D2, D3);
  RGBtoMXYeSingle(0.8f, 0.3f, 0.1f, V1, V2, V3);
  EXPECT_NEAR(D1, V1, 1e-4);
  EXPECT_NEAR(D2, V2, 1e-3);
  EXPECT_NEAR(D3, V3, 1e-3);
  // A table too small for all 8-bit colours is refused.
  const TErrorMessageCallback Saved = ErrorMessageProc;
  ErrorMessageProc = Record;
  Reported.clear();
  TRGBToVariableRec Small[4];
  EXPECT_FALSE(TimeModelConversion(Small, 4));
  EXPECT_FALSE(TimeModelConversion(nullptr, RGBToVariableLUTCount));
  ErrorMessageProc = Saved;
  EXPECT_EQ(Reported.size(), 2u);
}

TEST(ColorModels, SXYPolarForm) {
  float H, C, S, R, G, B, V1, V2, V3;
  RGBtoSXYPolarSingle(0.2f, 0.3f, 0.9f, H, C, S);
  RGBtoSXYSingle(0.2f, 0.3f, 0.9f, V1, V2, V3);
  EXPECT_EQ(S, V1);
  EXPECT_NEAR(C, std::hypot(V2, V3), 1e-4);
  EXPECT_GE(H, 0);
  EXPECT_LT(H, 1);
  SXYPolartoRGBSingle(H, C, S, R, G, B);
  EXPECT_NEAR(R, 0.2f, 2e-3);
  EXPECT_NEAR(G, 0.3f, 2e-3);
  EXPECT_NEAR(B, 0.9f, 2e-3);
}

}  // namespace
}  // namespace kromel
