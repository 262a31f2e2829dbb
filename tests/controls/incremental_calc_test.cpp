// Every bound control of the main window, changed and invalidated at its own
// stage level (its Tag), gives the LUT a full recalculation gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "controls/main_controls.h"
#include "engine/kromel_preset.h"
#include "engine/lut_pipeline.h"
#include "support/test_support.h"

namespace kromel {
namespace {

float MaxDifference(const T3DLut& A, const T3DLut& B) {
  if (A.Count != B.Count || A.R == nullptr || B.R == nullptr) return INFINITY;
  float D = 0;
  for (int32_t k = 0; k < A.Count; ++k)
    D = std::max({D, std::fabs(A.R[k] - B.R[k]), std::fabs(A.G[k] - B.G[k]),
                  std::fabs(A.B[k] - B.B[k])});
  return D;
}

class IncrementalCalcTest : public testing::TCaptureTest {
 protected:
  TKromelPreset Preset;
  TMainWindowControls Controls;
  TLutPipeline Pipeline{Preset};

  void SetUp() override {
    testing::TCaptureTest::SetUp();
    Controls.LinkControlsToPreset(Preset);
    Pipeline.SetLutSize(9);
  }
  TController& Control(const char* Name) {
    TController* C = Controls.Find(Name);
    EXPECT_NE(C, nullptr) << Name;
    return *C;
  }
  // Every stage, with the mask source, computed afresh.
  void Full(T3DLut& L) {
    Pipeline.InvalidateLutStages(0);
    EXPECT_TRUE(Pipeline.CalcLut());
    L.CopyFrom(Pipeline.MainLut);
  }
  // The control's value moved to another one its kind allows.
  void Change(const TControlDef& D, TController& C) {
    switch (D.Kind) {
      case TControlKind::Switch:
      case TControlKind::ButtonSwitch:
        C.SetControllerValue(C.GetControllerValue() > 0 ? 0 : 1);
        break;
      case TControlKind::Selector:
        C.SetControllerValue((C.GetControllerValue() + 1) % D.ModesCount);
        break;
      case TControlKind::Bar:
      case TControlKind::CaptionedBar:
        C.SetControllerValueS(std::fmod(C.GetControllerValueS() + 0.37f, 1.0f));
        break;
      case TControlKind::ColorPlate:
        C.SetControllerValue(C.GetControllerValue() == 0x4080C0 ? 0xC08040 : 0x4080C0);
        break;
      case TControlKind::ColorWheel:
      case TControlKind::MultiRange:
        C.SetSubControllerValueS(0, std::fmod(C.GetSubControllerValueS(0) + 0.37f, 1.0f));
        break;
    }
  }
};

// Mended: exposure, white balance, blacks, dynamic range and the input log
// invalidated stages 0..5 but not the mask source, which is the master's dry
// input with a log input: 0.105 off with the master half dry.
TEST_F(IncrementalCalcTest, EveryBoundControlAtItsLevelGivesTheFullResult) {
  // A state in which nearly every control shows: a log input, every page on
  // but the 2D curves (they come after every cached stage, and spreading
  // their grids on every run is slow), the mask on, the master half dry.
  Control("InputLogComboBox").SetControllerValue(1);
  for (const char* Page : {"PagesCurvesSwitch", "PagesMaskSwitch",
                           "PagesChannelsSwitch", "PagesVolumeSwitch", "PagesABSwitch",
                           "PagesCLSwitch", "SatLumLuminanceSwitch", "CurvesMRGBMasterSwitch",
                           "CurvesMRGBRGBSwitch", "MasterGlyphSwitch"})
    Control(Page).SetControllerValue(1);
  Control("GrandMasterOpacityScrollBar").SetControllerValueS(0.625f);  // 4p - 2 = 0.5
  ASSERT_EQ(Preset.Master->Blend->Value, 0.625f);
  ASSERT_EQ(Preset.LogDecoder->InputLog->Value, 1);
  Preset.RGBCurves->Master->Curve.SetDefault(cdtHorizontalMiddle);
  Preset.MaskUnit()->Curve1->Curve.SetDefault(cdtDiagonal);

  int32_t Checked = 0;
  for (const TControlDef& D : MainControlTable()) {
    if (D.Parameter == nullptr) continue;
    SCOPED_TRACE(D.Name);
    TController& C = Control(D.Name);
    T3DLut Before, Incremental, Whole;
    Full(Before);
    const float Saved = C.GetControllerValueS();
    const int32_t SavedInt = C.GetControllerValue();
    const float SavedSub = C.GetSubControllerValueS(0);
    Change(D, C);
    Pipeline.InvalidateLutStages(D.Tag);
    ASSERT_TRUE(Pipeline.CalcLut());
    Incremental.CopyFrom(Pipeline.MainLut);
    Full(Whole);
    EXPECT_EQ(MaxDifference(Incremental, Whole), 0) << "changed by " << MaxDifference(Before, Whole);
    ++Checked;
    // Back to the shared state.
    if (D.Kind == TControlKind::ColorWheel || D.Kind == TControlKind::MultiRange)
      C.SetSubControllerValueS(0, SavedSub);
    else if (D.Kind == TControlKind::Bar || D.Kind == TControlKind::CaptionedBar)
      C.SetControllerValueS(Saved);
    else
      C.SetControllerValue(SavedInt);
  }
  EXPECT_GT(Checked, 80);
}

}  // namespace
}  // namespace kromel
