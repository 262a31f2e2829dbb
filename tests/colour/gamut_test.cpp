#include <gtest/gtest.h>

#include <memory>

#include "support/temp_dir.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "colour/gamut.h"
#include "colour/gamut_tables.h"
#include "colour/rgb_lab_xyz.h"
#include "foundation/error_sink.h"

namespace kromel {
namespace {

std::unique_ptr<TColorSpaceGamut> FilledTable(float V) {
  auto T = std::make_unique<TColorSpaceGamut>();
  for (auto& Row : *T) Row.fill(V);
  return T;
}

// The limit read at (L, Hue): ClampChromaToGamut lowers a huge chroma to it.
float LimitAt(const TColorSpaceGamut& G, float L, float Hue) {
  float C = 1e6f;
  ClampChromaToGamut(Hue, C, L, G);
  return C;
}

class GamutNeighbourhood : public ::testing::Test {
 protected:
  std::unique_ptr<TColorSpaceGamut> G = FilledTable(10.0f);
  TColorSpaceGamut& T = *G;
};

TEST_F(GamutNeighbourhood, SevenCells) {
  // L 50 -> row 255; hue 100.5/512 -> column 100.
  const float L = 50.0f, Hue = 100.5f / 512;
  EXPECT_EQ(LimitAt(T, L, Hue), 10.0f);
  struct TCell {
    int Row, Col;
    bool Read;
  };
  const TCell Cells[] = {
      {255, 100, true}, {255, 101, true},  {256, 100, true},  {256, 101, true},
      {254, 100, true}, {254, 101, true},  {255, 99, true},   {256, 99, false},
      {254, 99, false}, {255, 102, false}, {257, 100, false}, {253, 100, false},
  };
  for (const auto& C : Cells) {
    T[C.Row][C.Col] = 50.0f;
    EXPECT_EQ(LimitAt(T, L, Hue), C.Read ? 50.0f : 10.0f) << C.Row << "," << C.Col;
    T[C.Row][C.Col] = 10.0f;
  }
}

TEST_F(GamutNeighbourhood, HueWrapsRightButNotLeft) {
  const float L = 50.0f;
  T[255][0] = 50.0f;  // right neighbour of column 511
  EXPECT_EQ(LimitAt(T, L, 0.999f), 50.0f);
  EXPECT_EQ(LimitAt(T, L, 1.0f), 50.0f);  // hue 1 also reads column 511
  T[255][0] = 10.0f;
  T[255][511] = 60.0f;  // not the left neighbour of column 0
  T[255][512] = 70.0f;  // never read
  EXPECT_EQ(LimitAt(T, L, 0.0005f), 10.0f);
  EXPECT_EQ(LimitAt(T, L, 0.999f), 60.0f);
}

TEST_F(GamutNeighbourhood, LightnessEnds) {
  T[511][300] = 40.0f;
  T[509][300] = 45.0f;
  T[508][300] = 90.0f;                                 // outside
  EXPECT_EQ(LimitAt(T, 100.0f, 300.5f / 512), 45.0f);  // rows 509..511
  EXPECT_EQ(LimitAt(T, 250.0f, 300.5f / 512), 45.0f);
  T[1][300] = 30.0f;
  T[2][300] = 95.0f;                                  // outside
  EXPECT_EQ(LimitAt(T, -5.0f, 300.5f / 512), 30.0f);  // rows 0 and 1
}

// A NaN lightness or hue is read as 0, not truncated into a wild index.
TEST_F(GamutNeighbourhood, NaNReadsRowAndColumnZero) {
  const float NaN = std::numeric_limits<float>::quiet_NaN();
  T[0][0] = 33.0f;
  EXPECT_EQ(LimitAt(T, NaN, 0.0f), 33.0f);
  EXPECT_EQ(LimitAt(T, 0.0f, NaN), 33.0f);
  float L = NaN, A = 0.0f, B = 100.0f;
  ClampABToGamut(L, A, B, T);
  EXPECT_EQ(B, 33.0f);
  L = 50.0f, A = NaN, B = 5.0f;
  ClampABToGamut(L, A, B, T);
  EXPECT_TRUE(std::isnan(A));
  EXPECT_EQ(B, 5.0f);
}

TEST_F(GamutNeighbourhood, ClampAB) {
  float L = 50, A = 0, B = 0;
  ClampABToGamut(L, A, B, T);
  EXPECT_EQ(A, 0.0f);
  EXPECT_EQ(B, 0.0f);
  A = 3, B = 4;  // inside
  ClampABToGamut(L, A, B, T);
  EXPECT_EQ(A, 3.0f);
  EXPECT_EQ(B, 4.0f);
  A = 12, B = -16;  // radius 20 = 2m
  ClampABToGamut(L, A, B, T);
  EXPECT_FLOAT_EQ(A, 6.0f);
  EXPECT_FLOAT_EQ(B, -8.0f);
  EXPECT_EQ(L, 50.0f);
  // The angle is atan2(A, B): A = +r is a quarter turn.
  T[255][128] = 100.0f;
  A = 80, B = 0;
  ClampABToGamut(L, A, B, T);
  EXPECT_EQ(A, 80.0f);
}

TEST_F(GamutNeighbourhood, ClampChromaWritesHueBack) {
  float Hue = -0.25f, Chroma = 5.0f;
  ClampChromaToGamut(Hue, Chroma, 50.0f, T);
  EXPECT_EQ(Hue, 0.75f);
  EXPECT_EQ(Chroma, 5.0f);
  Chroma = 25.0f;
  ClampChromaToGamut(Hue, Chroma, 50.0f, T);
  EXPECT_EQ(Chroma, 10.0f);
}

// A model whose inverse keeps the lightness only inside a hue-dependent
// radius 40 + 20*cos(theta): the builder must find that boundary.
void DiscForward(float R, float, float, float& L, float& A, float& B) {
  L = R * 100.0f;
  A = B = 0;
}
void DiscInverse(float L, float A, float B, float& R, float& G, float& Bv) {
  const double Theta = std::atan2(static_cast<double>(A), static_cast<double>(B));
  const bool Inside = std::hypot(A, B) < 40.0 + 20.0 * std::cos(Theta);
  R = G = Bv = Inside ? L / 100.0f : 0.0f;
}
void DiscForwardD(double R, double, double, double& L, double& A, double& B) {
  L = R * 100.0;
  A = B = 0;
}
void DiscInverseD(double L, double A, double B, double& R, double& G, double& Bv) {
  const bool Inside = std::hypot(A, B) < 40.0 + 20.0 * std::cos(std::atan2(A, B));
  R = G = Bv = Inside ? L / 100.0 : 0.0;
}

TEST(GamutBuilder, FindsBoundaryOfSimpleModel) {
  EXPECT_NEAR(GamutBoundaryRadius(DiscForward, DiscInverse, 50.0f, 0.0), 60.0f, 0.051f);
  EXPECT_NEAR(GamutBoundaryRadius(DiscForward, DiscInverse, 50.0f, std::numbers::pi), 20.0f,
              0.051f);
  auto G = FilledTable(-1.0f);
  BuildColorSpaceGamutRows(DiscForward, DiscInverse, *G, 200, 201);
  for (int J : {0, 128, 256, 384, 512}) {
    // The largest boundary among the samples 0.4 and 0.8 columns around.
    double Expected = 0;
    for (int B = -2; B <= 2; ++B)
      Expected =
          std::max(Expected, 40.0 + 20.0 * std::cos((J + 0.4 * B) * 2 * std::numbers::pi / 512));
    EXPECT_NEAR((*G)[200][J], Expected, 0.06) << J;
    EXPECT_EQ((*G)[200][J], (*G)[201][J]);
    // Radii at 0.05 resolution.
    EXPECT_NEAR((*G)[200][J] * 20.0f, std::nearbyint((*G)[200][J] * 20.0f), 1e-3);
  }
  EXPECT_EQ((*G)[199][0], -1.0f);  // rows outside the range stay
  EXPECT_EQ((*G)[202][0], -1.0f);

  auto D = FilledTable(-1.0f);
  BuildColorSpaceGamutDoubleRows(DiscForwardD, DiscInverseD, *D, 200, 200);
  EXPECT_NEAR((*D)[200][0], 60.0, 0.06);
  EXPECT_NEAR((*D)[200][256], 20.0, 0.06);
}

// A model that keeps every radius: the searches report 300.
void KeepAllInverse(float L, float, float, float& R, float& G, float& B) { R = G = B = L / 100; }

TEST(GamutBuilder, NoBoundaryGives300AndBadZeroGivesSmallRadius) {
  EXPECT_EQ(GamutBoundaryRadius(DiscForward, KeepAllInverse, 50.0f, 1.0), 300.0f);
  // Lightness lost at every radius: the search ends at 1.0 (radius 0 bad).
  auto LoseAll = [](float, float, float, float& R, float& G, float& B) { R = G = B = 0; };
  EXPECT_EQ(GamutBoundaryRadius(DiscForward, LoseAll, 50.0f, 1.0), 1.0f);
}

// sRGB in Lab by the formulas in double precision (no tables, so an
// in-gamut colour keeps its lightness exactly).
double SRGBDecode(double C) { return C < 0.04045 ? C / 12.92 : std::pow((C + 0.055) / 1.055, 2.4); }
double SRGBEncode(double X) {
  return X < 0.0031308049535603715 ? 12.92 * X : 1.055 * std::pow(X, 1 / 2.4) - 0.055;
}
double LabF(double T) { return T > 0.008856 ? std::cbrt(T) : 7.787 * T + 16.0 / 116; }
double LabFInv(double V) { return V * V * V > 0.008856 ? V * V * V : (V - 16.0 / 116) / 7.787; }

void LabForwardD(double R, double G, double B, double& L, double& A, double& Bv) {
  R = SRGBDecode(R), G = SRGBDecode(G), B = SRGBDecode(B);
  const double X = 0.4124564 * R + 0.3575761 * G + 0.1804375 * B;
  const double Y = 0.2126729 * R + 0.7151522 * G + 0.0721750 * B;
  const double Z = 0.0193339 * R + 0.1191920 * G + 0.9503041 * B;
  L = 116 * LabF(Y) - 16;
  A = 500 * (LabF(X / 0.950456) - LabF(Y));
  Bv = 200 * (LabF(Y) - LabF(Z / 1.088754));
}

void LabInverseD(double L, double A, double B, double& R, double& G, double& Bv) {
  const double FY = (L + 16) / 116, FX = A / 500 + FY, FZ = FY - B / 200;
  const double Y = LabFInv(FY), X = 0.950456 * LabFInv(FX), Z = 1.088754 * LabFInv(FZ);
  R = SRGBEncode(3.2404542 * X - 1.5371385 * Y - 0.4985314 * Z);
  G = SRGBEncode(-0.9692660 * X + 1.8760108 * Y + 0.0415560 * Z);
  Bv = SRGBEncode(0.0556434 * X - 0.2040259 * Y + 1.0572252 * Z);
  for (double* C : {&R, &G, &Bv}) *C = std::clamp(*C, 0.0, 1.0);
}

// The rows around L = 50 of the sRGB gamut in Lab, built by the Double
// builder; every other row holds 0.
class LabGamutRows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Table = FilledTable(0.0f).release();
    BuildColorSpaceGamutDoubleRows(LabForwardD, LabInverseD, *Table, 255, 256);
  }
  static void TearDownTestSuite() {
    SetGamutTable(TGamutTable::LAB, nullptr);
    delete Table;
  }
  static TColorSpaceGamut* Table;
};
TColorSpaceGamut* LabGamutRows::Table = nullptr;

double LightnessAfterD(double L, double A, double B) {
  double R, G, Bv, L2, A2, B2;
  LabInverseD(L, A, B, R, G, Bv);
  LabForwardD(R, G, Bv, L2, A2, B2);
  return L2;
}

float LightnessAfter(float L, float A, float B) {
  float R, G, Bv, L2, A2, B2;
  LABtoRGBSingle(L, A, B, R, G, Bv);
  RGBtoLABSingle(R, G, Bv, L2, A2, B2);
  return L2;
}

TEST_F(LabGamutRows, BoundaryKeepsLightnessInsideOnly) {
  const double L = 255 * 100.0 / 511;
  for (int J : {0, 64, 128, 200, 300, 400}) {
    const double R0 = (*Table)[255][J];
    ASSERT_GT(R0, 20.0) << J;
    ASSERT_LT(R0, 140.0) << J;
    const double Theta = J * 2 * std::numbers::pi / 512;
    // (The 7-digit matrices are inverse to about 1e-5 of L.)
    EXPECT_NEAR(LightnessAfterD(L, 0.9 * R0 * std::sin(Theta), 0.9 * R0 * std::cos(Theta)), L, 1e-4)
        << J;
    EXPECT_GT(
        std::fabs(LightnessAfterD(L, 1.1 * R0 * std::sin(Theta), 1.1 * R0 * std::cos(Theta)) - L),
        0.001)
        << J;
  }
  // The Single pair agrees inside the boundary within its table precision.
  EXPECT_NEAR(LightnessAfter(static_cast<float>(L), 0, static_cast<float>(0.9 * (*Table)[255][0])),
              L, 0.02);
}

// With the table in place the inverse Lab conversion limits chroma first and
// keeps the lightness far better than plain channel clipping.
TEST_F(LabGamutRows, InverseConversionUsesInstalledTable) {
  UseLABGamut = false;  // the switch turns the limit off
  const float Unlimited = LightnessAfter(50.0f, 0.0f, -120.0f);
  UseLABGamut = true;
  SetGamutTable(TGamutTable::LAB, Table);
  EXPECT_EQ(GamutTable(TGamutTable::LAB), Table);
  const float Limited = LightnessAfter(50.0f, 0.0f, -120.0f);
  EXPECT_GT(std::fabs(Unlimited - 50.0f), 2.0f);
  EXPECT_LT(std::fabs(Limited - 50.0f), 1.0f);
  SetGamutTable(TGamutTable::LAB, nullptr);
  if (!GamutTableEmbedded(TGamutTable::LAB)) {  // no table: no limit
    EXPECT_EQ(LightnessAfter(50.0f, 0.0f, -120.0f), Unlimited);
  }
}

TEST(GamutSmoothing, DilatesFromLeftAndBelow) {
  auto G = FilledTable(80.0f);
  auto& T = *G;
  T[10][19] = 300.0f;
  T[0][5] = 7.0f;
  T[20][511] = 300.0f;  // column 0's (and 512's) left neighbour
  T[30][40] = 300.0f;   // lifts row 31 column 41
  SmoothColorSpaceGamut(T);
  EXPECT_NEAR(T[10][20], 297.8f, 1e-4);
  EXPECT_NEAR(T[10][19], 300.0f, 1e-4);
  EXPECT_NEAR(T[10][21], 80.0f, 1e-4);  // reads the copy: no spreading along the row
  EXPECT_EQ(T[0][5], 7.0f);             // row 0 unchanged
  EXPECT_EQ(T[0][6], 80.0f);
  EXPECT_NEAR(T[20][0], 297.8f, 1e-4);
  EXPECT_NEAR(T[20][512], 297.8f, 1e-4);
  EXPECT_NEAR(T[31][41], 297.8f, 1e-4);
  EXPECT_NEAR(T[31][40], 80.0f, 1e-4);
}

std::vector<std::string> Reported;
void Record(const std::string& Text) { Reported.push_back(Text); }

class GamutFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    Temp = std::make_unique<kromel::testing::TTestTempDir>("kromel_gamut_test");
    Dir = Temp->Path;
    Saved = ErrorMessageProc;
    ErrorMessageProc = Record;
    Reported.clear();
  }
  void TearDown() override {
    ErrorMessageProc = Saved;
    Temp.reset();
  }
  std::unique_ptr<kromel::testing::TTestTempDir> Temp;
  std::filesystem::path Dir;
  TErrorMessageCallback Saved = nullptr;
};

std::vector<std::string> ReadLines(const std::filesystem::path& P) {
  std::ifstream F(P, std::ios::binary);
  std::vector<std::string> Lines;
  for (std::string S; std::getline(F, S);) Lines.push_back(S);
  return Lines;
}

TEST_F(GamutFiles, DeclarationText) {
  auto G = FilledTable(300.0f);
  (*G)[0][1] = 0.05f;
  const auto File = Dir / "lab.inc";
  ASSERT_TRUE(SaveColorSpaceGamut(*G, File.string(), "LABGamut"));
  const auto Lines = ReadLines(File);
  ASSERT_EQ(Lines.size(), 16897u);
  EXPECT_EQ(Lines[0], "Var LABGamut : TColorSpaceGamut = (");
  std::string Sixteen;
  for (int I = 0; I < 16; ++I) Sixteen += "300.00,";
  EXPECT_EQ(Lines[1], "(300.00,0.05," + Sixteen.substr(14));
  EXPECT_EQ(Lines[2], Sixteen);
  EXPECT_EQ(Lines[33], "300.00),");
  EXPECT_EQ(Lines[34], "(" + Sixteen);
  EXPECT_EQ(Lines[16896], "300.00));");
  std::ifstream F(File, std::ios::binary);
  const std::string All((std::istreambuf_iterator<char>(F)), std::istreambuf_iterator<char>());
  EXPECT_EQ(All.find('\r'), std::string::npos);
  EXPECT_EQ(All.back(), '\n');
  EXPECT_TRUE(Reported.empty());
}

TEST_F(GamutFiles, FailedSaveReportsAndKeepsWhatWasThere) {
  auto G = FilledTable(300.0f);
  const auto Target = Dir / "occupied";
  std::filesystem::create_directory(Target);  // cannot be replaced by a file
  EXPECT_FALSE(SaveColorSpaceGamut(*G, Target.string(), "X"));
  EXPECT_TRUE(std::filesystem::is_directory(Target));
  EXPECT_FALSE(SaveGamutData(*G, (Dir / "missing" / "x.bin").string()));
  ASSERT_EQ(Reported.size(), 2u);
  EXPECT_EQ(Reported[0].rfind("Exception in SaveColorSpaceGamut", 0), 0u);
  EXPECT_EQ(Reported[1].rfind("Exception in SaveGamutData", 0), 0u);
  // No temporary file is left behind.
  int Count = 0;
  for (const auto& E : std::filesystem::directory_iterator(Dir)) Count += E.exists();
  EXPECT_EQ(Count, 1);
}

TEST_F(GamutFiles, BinaryFormRoundTripsAndRejectsDamage) {
  auto G = FilledTable(300.0f);
  (*G)[0][0] = 0.05f;
  (*G)[511][512] = 123.45f;
  (*G)[100][7] = 0.0f;
  const std::string Data = EncodeGamutData(*G);
  ASSERT_EQ(Data.size(), GamutDataSize);
  EXPECT_EQ(Data.substr(0, 4), "KGAM");
  auto Back = FilledTable(-1.0f);
  const auto* Bytes = reinterpret_cast<const uint8_t*>(Data.data());
  ASSERT_TRUE(DecodeGamutData(Bytes, Data.size(), *Back));
  EXPECT_EQ((*Back)[0][0], 0.05f);
  EXPECT_EQ((*Back)[511][512], 123.45f);
  EXPECT_EQ((*Back)[100][7], 0.0f);
  EXPECT_EQ((*Back)[300][300], 300.0f);

  auto Untouched = FilledTable(-1.0f);
  EXPECT_FALSE(DecodeGamutData(Bytes, Data.size() - 1, *Untouched));
  EXPECT_FALSE(DecodeGamutData(nullptr, Data.size(), *Untouched));
  for (std::size_t At : {0u, 4u, 8u, 12u}) {
    std::string Bad = Data;
    Bad[At] ^= 0x40;
    EXPECT_FALSE(
        DecodeGamutData(reinterpret_cast<const uint8_t*>(Bad.data()), Bad.size(), *Untouched))
        << At;
  }
  EXPECT_EQ((*Untouched)[0][0], -1.0f);

  (*G)[5][5] = std::numeric_limits<float>::quiet_NaN();
  EXPECT_TRUE(EncodeGamutData(*G).empty());
  EXPECT_FALSE(SaveGamutData(*G, (Dir / "nan.bin").string()));
  EXPECT_FALSE(std::filesystem::exists(Dir / "nan.bin"));
  (*G)[5][5] = 1.0f;
  ASSERT_TRUE(SaveGamutData(*G, (Dir / "ok.bin").string()));
  EXPECT_EQ(std::filesystem::file_size(Dir / "ok.bin"), GamutDataSize);
}

TEST(GamutTables, NamesSwitchesAndInstalledTables) {
  EXPECT_STREQ(GamutTableName(TGamutTable::LAB), "LABGamut");
  EXPECT_STREQ(GamutTableName(TGamutTable::HSPItten), "HSPIttenGamut");
  for (const std::atomic<bool>* Switch : {&UseLABGamut, &UseLXYGamut, &UseMXYGamut, &UseMXYeGamut,
                                          &UseMABeGamut, &UseHSPGamut, &UseHSP3Gamut,
                                          &UseHSPIttenGamut})
    EXPECT_TRUE(Switch->load());
  for (int I = 0; I < GamutTableCount; ++I) {
    const auto Id = static_cast<TGamutTable>(I);
    // Without its data file a table reads as absent.
    if (GamutTableEmbedded(Id)) {
      EXPECT_NE(GamutTable(Id), nullptr) << GamutTableName(Id);
    } else {
      EXPECT_EQ(GamutTable(Id), nullptr) << GamutTableName(Id);
    }
  }
  auto Mine = FilledTable(42.0f);
  SetGamutTable(TGamutTable::HSP3, Mine.get());
  EXPECT_EQ(GamutTable(TGamutTable::HSP3), Mine.get());
  SetGamutTable(TGamutTable::HSP3, nullptr);
  EXPECT_NE(GamutTable(TGamutTable::HSP3), Mine.get());
}

}  // namespace
}  // namespace kromel
