#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "colour/colour_models.h"
#include "controls/binary_preset.h"
#include "engine/lut_procedures.h"
#include "engine/model_saturation.h"
#include "session/session_core.h"
#include "session_test_support.h"

namespace kromel {
namespace {

using session_test::MaxLutDifference;
using session_test::SessionTest;

constexpr int32_t Levels = 17;
constexpr float Saturation = 0.4f;  // chroma times 0.8

void SetModelAndSaturation(TKromelSession& S, int32_t Model) {
  S.EditPreset([&](TKromelPreset& P) {
    P.ColorModel->SetValue(Model);
    P.ModelSaturation->Saturation->SetValue(Saturation);
    return true;
  });
  S.InvalidateLutStages(0);
}

// An identity through the saturation unit alone, with the model set
// explicitly in its context.
void ExpectedLut(int32_t Model, T3DLut& Lut) {
  ASSERT_TRUE(Lut.SetSize(Levels));
  Lut.SetDefault();
  TColorModelPreferences Settings;
  SetWorkingModel(Settings, Model);
  TModelSaturationAdjustments Unit(nullptr);
  Unit.Saturation->SetValue(Saturation);
  Unit.Process(&Lut, &Lut, Settings);
  ProcessColorModelConversion(Lut, &Lut, lcsProfileRGB, &Settings);
}

TEST_F(SessionTest, PresetColourModelDecidesTheLut) {
  // The process-wide selection names a third model: the runs must not read it.
  SetColorModel(cmYUV);
  TKromelSession Lab, Mxy;
  Lab.Show();
  Mxy.Show();
  SetModelAndSaturation(Lab, cmLAB);
  SetModelAndSaturation(Mxy, cmMXY);
  auto LabLut = Lab.CompileLut(Levels, true);
  auto MxyLut = Mxy.CompileLut(Levels, false);
  ASSERT_TRUE(LabLut && MxyLut);
  EXPECT_GT(MaxLutDifference(*LabLut, *MxyLut), 0.02f);
  T3DLut LabExpected, MxyExpected;
  ExpectedLut(cmLAB, LabExpected);
  ExpectedLut(cmMXY, MxyExpected);
  EXPECT_LT(MaxLutDifference(*LabLut, LabExpected), 1e-3f);
  EXPECT_LT(MaxLutDifference(*MxyLut, MxyExpected), 1e-3f);

  // The LAB preset, saved and loaded into a fresh session, exports the same.
  TKromelSession Loaded;
  Loaded.Show();
  int32_t Version = 0;
  LabLut->Preset->SetPosition(0);
  ASSERT_TRUE(Loaded.EditPreset([&](TKromelPreset& P) {
    return LoadPresetFromStream(P, Loaded.Controls.Controllers, *LabLut->Preset, "", false,
                                Version);
  }));
  Loaded.InvalidateLutStages(0);
  auto Again = Loaded.CompileLut(Levels, false);
  ASSERT_TRUE(Again);
  EXPECT_LT(MaxLutDifference(*Again, *LabLut), 1e-6f);
  SetColorModel(cmHSPe);
  EXPECT_TRUE(Silent()) << ::testing::PrintToString(Messages());
}

// Model changes elsewhere while a run goes on never reach into it.
TEST_F(SessionTest, ModelChangesDuringRunsDoNotMixModels) {
  TKromelSession Lab;
  Lab.Show();
  SetModelAndSaturation(Lab, cmLAB);
  T3DLut Expected;
  ExpectedLut(cmLAB, Expected);
  std::atomic<bool> Stop{false};
  std::thread Switcher([&] {
    for (int32_t I = 0; !Stop; ++I) SetColorModel(I % ColorModelCount);
  });
  for (int32_t Run = 0; Run < 6; ++Run) {
    Lab.InvalidateLutStages(0);
    auto Lut = Lab.CompileLut(Levels, false);
    ASSERT_TRUE(Lut);
    EXPECT_LT(MaxLutDifference(*Lut, Expected), 1e-3f) << Run;
  }
  Stop = true;
  Switcher.join();
  SetColorModel(cmHSPe);
}

}  // namespace
}  // namespace kromel
