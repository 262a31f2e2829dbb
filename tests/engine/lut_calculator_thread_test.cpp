#include "engine/lut_calculator_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "engine/engine_test_support.h"
#include "engine/kromel_preset.h"
#include "engine/lut_pipeline.h"
#include "platform/main_thread.h"

namespace kromel {
namespace {

using namespace std::chrono_literals;
using testing::EngineTest;

// A window stand-in: counts runs and finishes, can hold a run at a gate,
// and notes whether two runs ever overlapped.
class TTestHost : public TLutPipeline {
 public:
  using TLutPipeline::TLutPipeline;
  std::atomic<int32_t> Running{0};
  std::atomic<bool> Overlapped{false};
  std::atomic<int32_t> Started{0};
  std::atomic<int32_t> Finished{0};
  std::atomic<bool> Hold{false};

  bool CalcLut() override {
    if (Running.fetch_add(1) > 0) Overlapped = true;
    ++Started;
    while (Hold) std::this_thread::sleep_for(1ms);
    const bool Done = TLutPipeline::CalcLut();
    --Running;
    return Done;
  }
  void LUTCalculationFinished(bool) override {
    EXPECT_TRUE(IsMainThread());
    ++Finished;
  }
};

class LutCalculatorThreadTest : public EngineTest {
 protected:
  TKromelPreset Preset;
  TTestHost Host{Preset};
  void SetUp() override {
    EngineTest::SetUp();
    Preset.LogDecoder->MaxColor->SetValue(MaxColorWhite);
    Host.SetLutSize(9);
  }
  // Runs queued main-thread calls until Done or two seconds pass.
  template <class F>
  bool WaitFor(F Done) {
    const auto End = std::chrono::steady_clock::now() + 2s;
    while (!Done()) {
      if (std::chrono::steady_clock::now() > End) return false;
      DrainMainThreadCalls();
      std::this_thread::sleep_for(1ms);
    }
    return true;
  }
};

TEST_F(LutCalculatorThreadTest, RequestsWhileBusyGiveOneMoreRun) {
  TLUTCalculator Thread(Host);
  Host.Hold = true;
  ASSERT_TRUE(Thread.Resume());
  Thread.Request();
  ASSERT_TRUE(WaitFor([&] { return Host.Started == 1; }));
  for (int i = 0; i < 3; ++i) Thread.Request();
  Host.Hold = false;
  ASSERT_TRUE(WaitFor([&] { return Host.Finished == 2 && !Thread.Busy; }));
  std::this_thread::sleep_for(40ms);
  DrainMainThreadCalls();
  EXPECT_EQ(Host.Started, 2);
  EXPECT_EQ(Thread.CalculationCount(), 2);
  EXPECT_GT(Host.CalcCount, 0);
}

TEST_F(LutCalculatorThreadTest, PausedRequestRunsOnUnpause) {
  TLUTCalculator Thread(Host);
  ASSERT_TRUE(Thread.Resume());
  ASSERT_TRUE(Thread.Pause());
  Thread.Request();
  std::this_thread::sleep_for(40ms);
  EXPECT_EQ(Host.Started, 0);
  Thread.Unpause();
  ASSERT_TRUE(WaitFor([&] { return Host.Finished == 1; }));
}

// Mended: Pause gave up silently and the caller went on.
TEST_F(LutCalculatorThreadTest, PauseReportsARunThatDoesNotFinish) {
  TLUTCalculator Thread(Host);
  Host.Hold = true;
  ASSERT_TRUE(Thread.Resume());
  Thread.Request();
  ASSERT_TRUE(WaitFor([&] { return Host.Started == 1; }));
  EXPECT_FALSE(Thread.Pause(30ms));
  EXPECT_TRUE(Thread.Paused);
  ASSERT_FALSE(Errors().empty());
  Host.Hold = false;
  EXPECT_TRUE(Thread.Pause());  // waits while the finish runs on this thread
  EXPECT_FALSE(Thread.Busy);
  EXPECT_EQ(Host.Finished, 1);
}

TEST_F(LutCalculatorThreadTest, IdleThreadTerminatesWithinAPoll) {
  auto Thread = std::make_unique<TLUTCalculator>(Host);
  ASSERT_TRUE(Thread->Resume());
  std::this_thread::sleep_for(15ms);
  const auto Start = std::chrono::steady_clock::now();
  Thread.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - Start, 50ms);
}

// Mended: edits and runs touched the same preset, and a run could start
// while Pause was looking. Edits under the preset lock, synchronous runs
// after Pause, and thread runs never overlap; ThreadSanitizer checks the
// rest.
TEST_F(LutCalculatorThreadTest, ConcurrentEditsAndCalculations) {
  TLUTCalculator Thread(Host);
  ASSERT_TRUE(Thread.Resume());
  for (int32_t i = 0; i < 60; ++i) {
    {
      std::lock_guard<TPresetLock> Guard(Host.Calculator.PresetLock);
      Preset.Basic->Exposure->SetValue(0.5f + 0.001f * float(i % 7));
      Preset.RGBCurves->Master->Curve.MoveSelectedDot(0, 100 * (i % 5));
    }
    Host.InvalidateLutStages(1);
    Thread.Request();
    if (i % 10 == 9) {
      ASSERT_TRUE(Thread.Pause());
      EXPECT_TRUE(Host.CalcLut());  // a synchronous update
      Host.LUTCalculationFinished(true);
      Thread.Unpause();
    }
    DrainMainThreadCalls();
  }
  ASSERT_TRUE(WaitFor([&] { return !Thread.RecalcRequested && !Thread.Busy; }));
  EXPECT_FALSE(Host.Overlapped);
  EXPECT_GT(Thread.CalculationCount(), 0);
}

}  // namespace
}  // namespace kromel
