// The calculation split over the node workers gives the single-threaded
// result bit for bit.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/engine_test_support.h"
#include "engine/kromel_preset.h"
#include "engine/lut_pipeline.h"
#include "lut/node_workers.h"

namespace kromel {
namespace {

// Every unit on, with grids and curves moved off their defaults.
void SwitchEverythingOn(TKromelPreset& P) {
  P.LogDecoder->MaxColor->SetValue(MaxColorWhite);
  P.Basic->Exposure->SetValue(0.55f);
  P.ChannelMixer->Enabled->SetValue(1);
  P.Volume->Enabled->SetValue(1);
  P.ABGrid->Enabled->SetValue(1);
  P.ABGrid->Highlights->Grid.Dots[4][4].X += 120;
  P.ABGrid->Highlights->Grid.Dots[4][4].Z = 30;
  P.CLGrid->Enabled->SetValue(1);
  P.CLGrid->AL->Grid.Dots[2][2].Y += 60;
  P.CurvesEnabled->SetValue(1);
  P.RGBCurves->MasterEnabled->SetValue(1);
  P.RGBCurves->RGBEnabled->SetValue(1);
  P.RGBCurves->Red->Curve.AddDot(8000, 11000, 100);
  P.ModelCurves->Enabled->SetValue(1);
  P.ModelCurves->LuminanceCurveEnabled->SetValue(1);
  P.ModelCurves->Luminance->Curve.AddDot(8192, 9000, 100);
  P.Curves2D->Enabled->SetValue(1);
  P.Curves2D->RBEnabled->SetValue(1);
  P.Curves2D->RB->Grid.Dots[2][2].X += 40;
  P.FilmCurve->FilmCurve->SetValue(2);
  P.MaskUnit()->Enabled->SetValue(1);
  P.Master->MasterSwitch->SetValue(1);
  P.Master->Saturation->SetValue(0.7f);
}

bool SameBits(const T3DLut& A, const T3DLut& B) {
  const size_t Bytes = size_t(A.Count) * sizeof(float);
  return A.Count == B.Count && A.Count > 0 && std::memcmp(A.R, B.R, Bytes) == 0 &&
         std::memcmp(A.G, B.G, Bytes) == 0 && std::memcmp(A.B, B.B, Bytes) == 0;
}

class PresetCalculatorThreadTest : public testing::EngineTest {
 protected:
  void TearDown() override {
    SetNodeThreadLimit(8);
    EngineTest::TearDown();
  }
  // The main LUT of a full run at Threads threads.
  void Run(int32_t Threads, int32_t Size, int32_t MaskDestination, T3DLut& Out) {
    SetNodeThreadLimit(Threads);
    TKromelPreset Preset;
    SwitchEverythingOn(Preset);
    Preset.MaskDestination->SetValue(MaskDestination);
    TLutPipeline Pipeline(Preset);
    Pipeline.SetLutSize(Size);
    ASSERT_TRUE(Pipeline.CalcLut());
    ASSERT_TRUE(Out.CopyFrom(Pipeline.MainLut));
  }
};

TEST_F(PresetCalculatorThreadTest, FullRunEqualsTheOneThreadRun) {
  struct TCase {
    int32_t Size, MaskDestination;
  };
  for (const TCase C : {TCase{33, 4}, TCase{17, 0}, TCase{17, 1}, TCase{17, 6}, TCase{17, 8}}) {
    T3DLut One, Many;
    Run(1, C.Size, C.MaskDestination, One);
    Run(8, C.Size, C.MaskDestination, Many);
    EXPECT_TRUE(SameBits(One, Many)) << "size " << C.Size << " mask at " << C.MaskDestination;
  }
}

}  // namespace
}  // namespace kromel
