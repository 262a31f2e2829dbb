#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <random>
#include <thread>

#include "fileio/image_save.h"
#include "platform/main_thread.h"
#include "session/session_presets.h"
#include "session_test_support.h"

namespace kromel {
namespace {

using session_test::MaxLutDifference;
using session_test::SessionTest;

// Counts what the renderer hands to the window.
class TCountingView : public TSessionView {
 public:
  int Shown = 0;
  void ShowProcessedImage(const TImage32& Work) override {
    ++Shown;
    LastWidth = Work.Width;
  }
  int32_t LastWidth = 0;
};

TEST_F(SessionTest, ConcurrentEditsCalculationsRendersAndResizes) {
  TImage32 Pic;
  ASSERT_TRUE(Pic.Alloc(48, 32));
  for (int64_t I = 0; I < Pic.Size; ++I) Pic.Pixels[I].Value = 0xFF000000u | (I * 2654435761u);
  const std::string A = File("a.png"), B = File("b.png");
  ASSERT_TRUE(SaveImage32ToFile(Pic, A));
  ASSERT_TRUE(Pic.Alloc(20, 40));
  for (int64_t I = 0; I < Pic.Size; ++I) Pic.Pixels[I].Value = 0xFF000000u | (I * 40503u);
  ASSERT_TRUE(SaveImage32ToFile(Pic, B));

  TCountingView View;
  TKromelSession S(&View, nullptr, 9);
  S.Show();
  ASSERT_TRUE(S.LoadPicture(A, false, true, true));
  std::mt19937 Rng(7);
  std::uniform_int_distribution<int> Op(0, 9);
  std::uniform_real_distribution<float> Value(0.3f, 0.7f);
  const int32_t Sizes[] = {5, 7, 9, 11};
  for (int Step = 0; Step < 300; ++Step) {
    switch (Op(Rng)) {
      case 0:
        S.SetLUTSize(Sizes[Step % 4]);
        break;
      case 1:
        S.LoadPicture(Step % 2 ? A : B, true, false, false);
        break;
      case 2:
        S.ViewWidth = 10 + Step % 30;
        S.ViewHeight = 10 + Step % 20;
        S.GetProcessingBitmap();
        S.ProcessImageStart();
        break;
      case 3:
        S.UpdateImage(true, true);
        break;
      default: {
        const float V = Value(Rng);
        session_test::MakeNonTrivial(S, V, 1 - V);
        S.UpdateImage(true, false);
      }
    }
    if (Step % 16 == 0) DrainMainThreadCalls();
  }
  // Settle, then compare with a calculation of the final preset alone.
  S.UpdateImage(true, true);
  T3DLut Final;
  ASSERT_TRUE(S.CopyMainLut(Final));
  auto Single = S.CompileLut(S.LutSize(), false);
  ASSERT_TRUE(Single);
  EXPECT_LT(MaxLutDifference(Final, *Single), 1e-5f);
  EXPECT_EQ(S.MaxConcurrentCalculations(), 1);
  EXPECT_GT(S.CalculationCount(), 10);
  S.Close();
  EXPECT_GT(View.Shown, 0);
}

TEST_F(SessionTest, ThreadCloseWithPendingWorkEndsCleanly) {
  TKromelSession S{nullptr, nullptr, 33};
  S.Show();
  for (int I = 0; I < 20; ++I) {
    session_test::MakeNonTrivial(S, 0.4f + I * 0.01f);
    S.UpdateImage(true, false);
  }
  S.Close();
  EXPECT_FALSE(S.LutCalculator);
  EXPECT_FALSE(S.Renderer());
  S.Close();  // a second close does nothing
}

}  // namespace
}  // namespace kromel

namespace kromel {
namespace {

using session_test::MaxLutDifference;
using session_test::SessionTest;

// A 65-level calculation is held inside its stages on the calculator
// thread. Every edit the main thread makes meanwhile (change, invalidation,
// undo step, update request) returns while that one run is still held: an
// edit never waits for a calculation. The stale run is then abandoned and
// the result is that of the last edit.
TEST_F(SessionTest, EditsDuringA65LevelRunNeverWaitForIt) {
  TKromelSession S(nullptr, nullptr, 65);
  TSessionPresets Presets(S);
  std::mutex Lock;
  std::condition_variable Changed;
  bool Held = false, EditsDone = false, EditsDoneWhileHeld = false, HeldOnce = false;
  S.Pipeline().StageHook = [&](int32_t Block) {
    if (Block != 4) return;
    std::unique_lock<std::mutex> G(Lock);
    if (HeldOnce) return;
    HeldOnce = Held = true;
    Changed.notify_all();
    // Bounded, so a fault shows as a failed check rather than a hang.
    Changed.wait_for(G, std::chrono::seconds(20), [&] { return EditsDone; });
    EditsDoneWhileHeld = EditsDone;
    Held = false;
  };
  S.Show();  // the first update: its run is the one held
  {
    std::unique_lock<std::mutex> G(Lock);
    ASSERT_TRUE(Changed.wait_for(G, std::chrono::seconds(20), [&] { return Held; }));
  }
  const int64_t RunsBefore = S.CalculationCount();
  const int64_t MissesBefore = S.Pipeline().StageLockMisses();
  constexpr int Edits = 12;
  for (int I = 0; I < Edits; ++I) {
    const float Exposure = 0.40f + 0.02f * I;
    ASSERT_TRUE(Presets.ApplyEdit("Exposure", 1, [&](TKromelPreset& P) {
      P.Basic->Exposure->SetValue(Exposure);
      return true;
    }));
    S.MaskChanged();
  }
  {
    std::lock_guard<std::mutex> G(Lock);
    EXPECT_TRUE(Held);  // still inside the same run
    EXPECT_EQ(S.CalculationCount(), RunsBefore);
    EditsDone = true;
  }
  Changed.notify_all();
  // Each invalidation (the edit's and the mask's) and each mask request
  // found the stages held, went with the next snapshot, and did not wait.
  EXPECT_EQ(S.Pipeline().StageLockMisses() - MissesBefore, 3 * Edits);
  EXPECT_EQ(Presets.CurrentUndoList().Count(), Edits);
  S.UpdateImage(true, true);
  {
    std::lock_guard<std::mutex> G(Lock);
    EXPECT_TRUE(EditsDoneWhileHeld);
  }
  EXPECT_GE(S.Pipeline().AbandonedRuns(), 1);
  T3DLut Final;
  ASSERT_TRUE(S.CopyMainLut(Final));
  auto Single = S.CompileLut(65, false);
  ASSERT_TRUE(Single);
  EXPECT_LT(MaxLutDifference(Final, *Single), 1e-5f);
  S.Close();
}

// Closing while a run is held inside its stages: the run stops at its next
// stage and Close returns.
TEST_F(SessionTest, CloseDuringARunStopsItAtTheNextStage) {
  TKromelSession S(nullptr, nullptr, 33);
  std::atomic<bool> Held{false}, Closing{false};
  std::atomic<int> StagesAfterClose{0};
  S.Pipeline().StageHook = [&](int32_t Block) {
    if (Closing) ++StagesAfterClose;
    if (Block != 3 || Held) return;
    Held = true;
    while (!Closing) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  };
  S.Show();
  while (!Held) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  Closing = true;
  S.Close();
  EXPECT_FALSE(S.LutCalculator);
  // At most the stage it was in is finished: the check before the next
  // one ends the run, which gives no result.
  EXPECT_LE(StagesAfterClose.load(), 1);
  EXPECT_EQ(S.Pipeline().AbandonedRuns(), 1);
  EXPECT_EQ(S.Pipeline().CalcCount, 0);
}

// Several views: each is told once per event on the main thread, also of
// events raised on another thread; one that unsubscribes hears no more.
TEST_F(SessionTest, ObserversAreToldOnTheMainThread) {
  class TRecorder : public TSessionView {
   public:
    void UpdateCaption() override {
      ++Captions;
      OnMain = OnMain && IsMainThread();
    }
    int Captions = 0;
    bool OnMain = true;
  } Preview, Pages, Analyzer;
  TKromelSession S(&Preview, nullptr, 33);
  S.Subscribe(&Pages);
  S.Subscribe(&Pages);  // once only
  S.Subscribe(&Analyzer);
  S.Notify([](TSessionView& V) { V.UpdateCaption(); });
  std::thread([&] { S.Notify([](TSessionView& V) { V.UpdateCaption(); }); }).join();
  EXPECT_EQ(Preview.Captions, 1);  // the worker's event waits for the main thread
  DrainMainThreadCalls();
  S.Unsubscribe(&Analyzer);
  S.Notify([](TSessionView& V) { V.UpdateCaption(); });
  EXPECT_EQ(Preview.Captions, 3);
  EXPECT_EQ(Pages.Captions, 3);
  EXPECT_EQ(Analyzer.Captions, 2);
  EXPECT_TRUE(Preview.OnMain && Pages.OnMain && Analyzer.OnMain);
  // An event posted by a worker for a session that is gone is dropped.
  {
    TKromelSession Gone(&Preview, nullptr, 33);
    std::thread([&] { Gone.Notify([](TSessionView& V) { V.UpdateCaption(); }); }).join();
  }
  DrainMainThreadCalls();
  EXPECT_EQ(Preview.Captions, 3);
}

// The edit transaction: a refused change leaves no step and no update; an
// accepted one invalidates from its level, records its step and updates.
TEST_F(SessionTest, ApplyEditIsOneTransaction) {
  TKromelSession S{nullptr, nullptr, 33};
  TSessionPresets Presets(S);
  S.Show();
  S.UpdateImage(true, true);
  const int64_t Runs = S.CalculationCount();
  EXPECT_FALSE(Presets.ApplyEdit("Refused", 0, [&](TKromelPreset& P) {
    EXPECT_EQ(S.UpdateLockCount, 1);
    P.Basic->Exposure->SetValue(0.7f);
    return false;
  }));
  EXPECT_EQ(Presets.CurrentUndoList().Count(), 0);
  if (S.LutCalculator) S.LutCalculator->PauseUntilIdle();
  TKromelPresetCalculator& Calc = S.Pipeline().Calculator;
  EXPECT_TRUE(Calc.LutStep[0]->Valid);
  EXPECT_TRUE(Presets.ApplyEdit("Exposure", 1, [&](TKromelPreset& P) {
    P.Basic->Exposure->SetValue(0.6f);
    return true;
  }));
  EXPECT_FALSE(Calc.LutStep[0]->Valid);
  EXPECT_EQ(S.UpdateLockCount, 0);
  ASSERT_EQ(Presets.CurrentUndoList().Count(), 1);
  S.LutCalculator->Unpause();
  S.UpdateImage(true, true);
  EXPECT_GT(S.CalculationCount(), Runs);
  T3DLut Final;
  ASSERT_TRUE(S.CopyMainLut(Final));
  auto Single = S.CompileLut(S.LutSize(), false);
  ASSERT_TRUE(Single);
  EXPECT_LT(MaxLutDifference(Final, *Single), 1e-5f);
}

}  // namespace
}  // namespace kromel
