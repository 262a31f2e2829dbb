// Runs on a copy of the preset: the copy holds everything a calculation
// reads, an edit never waits for a run, and a stale run stops early.
#include "engine/preset_snapshot.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "engine/engine_test_support.h"
#include "engine/kromel_preset.h"
#include "engine/lut_pipeline.h"

namespace kromel {
namespace {

using testing::EngineTest;
using testing::MaxDifference;

void MoveEverything(TKromelPreset& P, float Amount) {
  P.LogDecoder->MaxColor->SetValue(MaxColorWhite);
  P.Basic->Exposure->SetValue(Amount);
  P.ChannelMixer->Enabled->SetValue(1);
  P.Volume->Enabled->SetValue(1);
  P.ABGrid->Enabled->SetValue(1);
  P.ABGrid->Highlights->Grid.Dots[4][4].X += 120;
  P.CLGrid->Enabled->SetValue(1);
  P.CLGrid->AL->Grid.Dots[2][2].Y += 60;
  P.CurvesEnabled->SetValue(1);
  P.RGBCurves->RGBEnabled->SetValue(1);
  P.RGBCurves->Red->Curve.AddDot(8000, 11000, 100);
  P.Curves2D->Enabled->SetValue(1);
  P.Curves2D->RBEnabled->SetValue(1);
  P.Curves2D->RB->Grid.Dots[2][2].X += 40;
  P.FilmCurve->FilmCurve->SetValue(2);
  P.MaskUnit()->Enabled->SetValue(1);
  P.MaskUnit()->HueMin = 0.25f;
  P.Master->MasterSwitch->SetValue(1);
  P.Master->Saturation->SetValue(0.7f);
}

bool SameBits(const T3DLut& A, const T3DLut& B) {
  const size_t Bytes = size_t(A.Count) * sizeof(float);
  return A.Count == B.Count && A.Count > 0 && std::memcmp(A.R, B.R, Bytes) == 0 &&
         std::memcmp(A.G, B.G, Bytes) == 0 && std::memcmp(A.B, B.B, Bytes) == 0;
}

// The result of a fresh pipeline over an independent copy of P.
void FreshResult(const TKromelPreset& P, int32_t Size, T3DLut& Out) {
  TKromelPreset Copy;
  ASSERT_TRUE(CopyPresetState(P, Copy));
  TLutPipeline Pipeline(Copy);
  Pipeline.SetLutSize(Size);
  ASSERT_TRUE(Pipeline.CalcLut());
  ASSERT_TRUE(Out.CopyFrom(Pipeline.MainLut));
}

class PresetSnapshotTest : public EngineTest {};

TEST_F(PresetSnapshotTest, CopyHoldsEveryValueAndTheUnitsOwnData) {
  TKromelPreset From, To;
  MoveEverything(From, 0.6f);
  From.ExternalLUT->ExtLUTSwitch->SetValue(1);
  ASSERT_TRUE(From.ExternalLUT->ExternalLUT->SetSize(5));
  From.ExternalLUT->ExternalLUT->SetDefault();
  From.ExternalLUT->ExternalLUT->R[7] = 0.125f;
  From.MaskUnit()->MaskLUT->R[3] = 0.5f;
  From.TabSwitches->SetSwitch(2, 1);
  const T2DEnvelopeDots* Edited = nullptr;
  ASSERT_TRUE(CopyPresetState(From, To, &From.CLGrid->AL->Grid, &Edited));
  std::string A, B;
  From.SaveToXML(A);
  To.SaveToXML(B);
  EXPECT_EQ(A, B);
  EXPECT_EQ(Edited, &To.CLGrid->AL->Grid);
  EXPECT_EQ(To.ExternalLUT->ExternalLUT->R[7], 0.125f);
  EXPECT_EQ(To.MaskUnit()->MaskLUT->R[3], 0.5f);
  EXPECT_EQ(To.MaskUnit()->HueMin, 0.25f);
  EXPECT_EQ(To.TabSwitches->GetSwitch(2), 1);
  // The copy fires no change event of the target.
  int Notified = 0;
  To.Basic->Exposure->OnChange = [&](void*) { ++Notified; };
  From.Basic->Exposure->SetValue(0.3f);
  ASSERT_TRUE(CopyPresetState(From, To));
  EXPECT_EQ(To.Basic->Exposure->Value, 0.3f);
  EXPECT_EQ(Notified, 0);
}

// The pipeline's result from its snapshot is the result of the preset
// itself, bit for bit (the stages run straight on the edited preset).
TEST_F(PresetSnapshotTest, SnapshotRunEqualsARunOnThePresetItself) {
  TKromelPreset P;
  MoveEverything(P, 0.55f);
  P.MaskUnit()->Enabled->SetValue(0);
  TLutPipeline Pipeline(P);
  Pipeline.SetLutSize(17);
  ASSERT_TRUE(Pipeline.CalcLut());
  TKromelPreset Q;
  MoveEverything(Q, 0.55f);
  Q.MaskUnit()->Enabled->SetValue(0);
  TLutPipeline Direct(Q);
  Direct.SetLutSize(17);
  T3DLut Out;
  ASSERT_TRUE(Direct.CalcLutTransform(Out));
  EXPECT_TRUE(SameBits(Pipeline.MainLut, Out));
}

// A run on another thread is held inside its stages; meanwhile the editing
// thread edits, invalidates and posts without waiting, the stale run stops
// at its next stage, and the next run gives the edited preset's result.
TEST_F(PresetSnapshotTest, EditsNeverWaitForARunAndTheStaleRunIsAbandoned) {
  TKromelPreset P;
  MoveEverything(P, 0.5f);
  TLutPipeline Pipeline(P);
  Pipeline.SetLutSize(33);
  std::mutex Lock;
  std::condition_variable Changed;
  bool Held = false, Release = false;
  Pipeline.StageHook = [&](int32_t Block) {
    if (Block != 4) return;
    std::unique_lock<std::mutex> G(Lock);
    if (Release) return;
    Held = true;
    Changed.notify_all();
    Changed.wait(G, [&] { return Release; });
  };
  Pipeline.PostSnapshot();
  TLutPipeline::TRunResult First = TLutPipeline::TRunResult::Done;
  std::thread Worker([&] { First = Pipeline.RunSnapshot(); });
  {
    std::unique_lock<std::mutex> G(Lock);
    Changed.wait(G, [&] { return Held; });
  }
  // The run holds the stages: every step below returns while it is held.
  P.Basic->Exposure->SetValue(0.7f);
  Pipeline.InvalidateLutStages(1);
  Pipeline.RequestMaskUpdate();
  Pipeline.PostSnapshot();
  EXPECT_EQ(Pipeline.StageLockMisses(), 2);
  {
    std::lock_guard<std::mutex> G(Lock);
    EXPECT_TRUE(Held);
    Release = true;
  }
  Changed.notify_all();
  Worker.join();
  EXPECT_EQ(First, TLutPipeline::TRunResult::Abandoned);
  EXPECT_TRUE(Pipeline.RunWasAbandoned());
  EXPECT_EQ(Pipeline.AbandonedRuns(), 1);
  EXPECT_EQ(Pipeline.CalcCount, 0);
  // The newer snapshot, with the invalidation that went with it.
  EXPECT_EQ(Pipeline.RunSnapshot(), TLutPipeline::TRunResult::Done);
  EXPECT_EQ(Pipeline.RunSnapshot(), TLutPipeline::TRunResult::NothingPosted);
  T3DLut Want;
  FreshResult(P, 33, Want);
  EXPECT_TRUE(SameBits(Pipeline.MainLut, Want));
  EXPECT_TRUE(Silent()) << ::testing::PrintToString(Messages());
}

// A snapshot replaced before any run took it is dropped, its
// invalidations kept; a new LUT size drops the posted one.
TEST_F(PresetSnapshotTest, OnlyTheLatestSnapshotRuns) {
  TKromelPreset P;
  MoveEverything(P, 0.5f);
  TLutPipeline Pipeline(P);
  Pipeline.SetLutSize(9);
  ASSERT_TRUE(Pipeline.CalcLut());
  P.Basic->Exposure->SetValue(0.8f);
  Pipeline.InvalidateLutStages(1);
  Pipeline.PostSnapshot();
  P.Basic->Exposure->SetValue(0.2f);
  Pipeline.PostSnapshot();  // no invalidation of its own
  EXPECT_EQ(Pipeline.RunSnapshot(), TLutPipeline::TRunResult::Done);
  EXPECT_EQ(Pipeline.RunSnapshot(), TLutPipeline::TRunResult::NothingPosted);
  T3DLut Want;
  FreshResult(P, 9, Want);
  EXPECT_TRUE(SameBits(Pipeline.MainLut, Want));
  Pipeline.PostSnapshot();
  Pipeline.SetLutSize(11);
  EXPECT_EQ(Pipeline.RunSnapshot(), TLutPipeline::TRunResult::NothingPosted);
  EXPECT_EQ(Pipeline.MainLut.Size, 11);
}

}  // namespace
}  // namespace kromel
