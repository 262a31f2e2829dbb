#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "colour/colour_models.h"
#include "colour/gamut.h"
#include "colour/gamut_model_pairs.h"
#include "colour/gamut_tables.h"
#include "colour/hsp_models.h"

namespace kromel {
namespace {

const TGamutTable AllTables[] = {TGamutTable::LAB,  TGamutTable::LXY,     TGamutTable::MXY,
                                 TGamutTable::MXYe, TGamutTable::MABe,    TGamutTable::HSP,
                                 TGamutTable::HSP3, TGamutTable::HSPItten};

TEST(GamutData, EveryTableIsEmbeddedAndWellFormed) {
  for (const TGamutTable Id : AllTables) {
    ASSERT_TRUE(GamutTableEmbedded(Id)) << GamutTableName(Id);
    const TColorSpaceGamut* T = GamutTable(Id);
    ASSERT_NE(T, nullptr) << GamutTableName(Id);
    const bool Twentieths = !GamutRecipe(Id).Smoothed;  // unsmoothed cells are multiples of 0.05
    int Odd = 0, OutOfRange = 0;
    for (const auto& Row : *T)
      for (const float V : Row) {
        if (!(V >= 0 && V <= 300)) ++OutOfRange;
        const double Twenty = V * 20.0;
        if (Twentieths && std::fabs(Twenty - std::nearbyint(Twenty)) > 1e-3) ++Odd;
      }
    EXPECT_EQ(OutOfRange, 0) << GamutTableName(Id);
    EXPECT_EQ(Odd, 0) << GamutTableName(Id);
    for (int I = 0; I < GamutRows; I += 37)  // column 512 repeats column 0
      EXPECT_EQ((*T)[I][512], (*T)[I][0]) << GamutTableName(Id) << " row " << I;
  }
}

// A few rows rebuilt by the recipe each table was made with equal the
// embedded data (stored to hundredths).
TEST(GamutData, RowsRegeneratedOnWorkerThreadsEqualTheData) {
  struct TJob {
    TGamutTable Id;
    int Row;
    std::unique_ptr<TColorSpaceGamut> Built;
  };
  std::vector<TJob> Jobs;
  const int Rows[] = {496, 130, 470, 300, 420, 500, 505, 495};  // 496: the yellow cusp in Lab
  for (int K = 0; K < 8; ++K)
    Jobs.push_back({AllTables[K], Rows[K], std::make_unique<TColorSpaceGamut>()});
  std::vector<std::thread> Workers;
  for (TJob& J : Jobs)
    Workers.emplace_back([&J] {
      const TGamutRecipe R = GamutRecipe(J.Id);
      for (auto& Row : *J.Built) Row.fill(0.0f);
      // A smoothed row also reads the row below it.
      const int First = R.Smoothed ? J.Row - 1 : J.Row;
      BuildColorSpaceGamutDoubleRows(R.Forward, R.Inverse, *J.Built, First, J.Row);
      if (R.Smoothed) SmoothColorSpaceGamut(*J.Built);
      RaiseColorSpaceGamutToSurface(R.Forward, *J.Built, J.Row, J.Row);
    });
  for (auto& W : Workers) W.join();
  for (const TJob& J : Jobs) {
    const TColorSpaceGamut& Data = *GamutTable(J.Id);
    int Differ = 0;
    for (int C = 0; C < GamutColumns; ++C) {
      const float Stored = std::nearbyint((*J.Built)[J.Row][C] * 100.0f) / 100.0f;
      if (Stored != Data[J.Row][C]) ++Differ;
    }
    EXPECT_EQ(Differ, 0) << GamutTableName(J.Id) << " row " << J.Row;
  }
}

struct TLimitedModel {
  const char* Name;
  std::atomic<bool>* Switch;
  TRGBToVariableSingleProc Forward;
  TVariableToRGBSingleProc Inverse;
};

const TLimitedModel LimitedModels[] = {
    {"LAB", &UseLABGamut, RGBtoLABModel, LABModeltoRGB},
    {"LABn", &UseLABGamut, RGBtoLABnSingle, LABntoRGBSingle},
    {"LXY", &UseLXYGamut, RGBtoLXYSingle, LXYtoRGBSingle},
    {"MXY", &UseMXYGamut, RGBtoMXYSingle, MXYtoRGBSingle},
    {"MXYe", &UseMXYeGamut, RGBtoMXYeSingle, MXYetoRGBSingle},
    {"MABe", &UseMABeGamut, RGBtoMABeSingle, MABetoRGBSingleOut},
    {"HSPn", &UseHSPGamut, RGBtoHSPnXYSingle, HSPnXYtoRGBSingle},
    {"HSP", &UseHSPGamut, RGBtoHSP2XYSingle, HSP2XYtoRGBSingle},
    {"HSP3", &UseHSP3Gamut, RGBtoHSP3ModelSingle, HSP3ModeltoRGBSingle},
    {"HSP Itten", &UseHSPIttenGamut, RGBtoHSPIttenSingle, HSPIttentoRGBSingle},
};

struct TLightnessChange {
  float Worst = 0, Mean = 0;
};

// Far out-of-gamut points (radius 250) at lightness 5..95 and every 10
// degrees, converted to RGB and back.
TLightnessChange LightnessChange(const TLimitedModel& M) {
  TLightnessChange C;
  int N = 0;
  for (int L = 5; L <= 95; L += 10)
    for (int A = 0; A < 360; A += 10) {
      const double Theta = (A + 3) * std::numbers::pi / 180;
      float R, G, B, L2, V2, V3;
      M.Inverse(static_cast<float>(L), static_cast<float>(250 * std::sin(Theta)),
                static_cast<float>(250 * std::cos(Theta)), R, G, B);
      M.Forward(R, G, B, L2, V2, V3);
      const float E = std::fabs(L2 - static_cast<float>(L));
      C.Worst = std::max(C.Worst, E);
      C.Mean += E;
      ++N;
    }
  C.Mean /= static_cast<float>(N);
  return C;
}

// The limit keeps the lightness up to the table's resolution (it reads the
// largest of seven neighbouring cells, so at the cusps of a gamut it lets a
// little through); plain channel clipping loses it.
TEST(GamutData, OutOfGamutChromaKeepsLightness) {
  for (const TLimitedModel& M : LimitedModels) {
    const TLightnessChange Limited = LightnessChange(M);
    EXPECT_LT(Limited.Worst, 2.0f) << M.Name;
    EXPECT_LT(Limited.Mean, 0.2f) << M.Name;
    *M.Switch = false;
    const TLightnessChange Clipped = LightnessChange(M);
    *M.Switch = true;
    EXPECT_GT(Clipped.Worst, 20.0f) << M.Name;
    EXPECT_GT(Clipped.Mean, 10 * Limited.Mean) << M.Name;
  }
}

// The worst channel error of a forward-inverse round trip over a 33^3 grid
// of the cube, faces and corners included.
float WorstRoundTrip(const TLimitedModel& M, std::string& At) {
  float Worst = 0;
  for (int I = 0; I <= 32; ++I)
    for (int J = 0; J <= 32; ++J)
      for (int K = 0; K <= 32; ++K) {
        const float R = I / 32.0f, G = J / 32.0f, B = K / 32.0f;
        float V1, V2, V3, R2, G2, B2;
        M.Forward(R, G, B, V1, V2, V3);
        M.Inverse(V1, V2, V3, R2, G2, B2);
        const float E = std::max({std::fabs(R - R2), std::fabs(G - G2), std::fabs(B - B2)});
        if (!(E <= Worst)) {
          Worst = E;
          At = std::to_string(I) + "," + std::to_string(J) + "," + std::to_string(K);
        }
      }
  return Worst;
}

// A colour inside the cube lies inside its model's gamut, so the limit must
// not move it: the tables add no error to the round trip, at the cusps too.
TEST(GamutData, TablesAddNoErrorInsideTheCube) {
  for (const TLimitedModel& M : LimitedModels) {
    std::string OnAt, OffAt;
    const float On = WorstRoundTrip(M, OnAt);
    *M.Switch = false;
    const float Off = WorstRoundTrip(M, OffAt);
    *M.Switch = true;
    EXPECT_LE(On, Off + 1e-4f) << M.Name << " worst at " << OnAt << " without the table " << Off
                               << " at " << OffAt;
    RecordProperty(std::string(M.Name) + " worst", std::to_string(On) + " at " + OnAt);
  }
}

}  // namespace
}  // namespace kromel
