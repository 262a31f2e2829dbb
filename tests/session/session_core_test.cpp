#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <thread>

#include "controls/binary_preset.h"
#include "session/session_core.h"
#include "session/terminal_progress.h"
#include "session_test_support.h"

namespace kromel {
namespace {

using session_test::MaxLutDifference;
using session_test::MaxIdentityError;
using session_test::SessionTest;

TEST_F(SessionTest, DefaultPresetGivesIdentityMainLutAtPreferencesSize) {
  TKromelSession S(nullptr, nullptr, 17);
  S.Show();
  S.UpdateImage(true, true);
  T3DLut Lut;
  ASSERT_TRUE(S.CopyMainLut(Lut));
  EXPECT_EQ(Lut.Size, 17);
  EXPECT_LT(MaxIdentityError(Lut), 0.005f);
}

TEST_F(SessionTest, CompileLutEqualsCalcLutAndCarriesThePreset) {
  TKromelSession S{nullptr, nullptr, 33};
  S.Show();
  session_test::MakeNonTrivial(S);
  S.UpdateImage(true, true);
  T3DLut Main;
  ASSERT_TRUE(S.CopyMainLut(Main));
  ASSERT_GT(MaxIdentityError(Main), 0.02f);
  auto Compiled = S.CompileLut(33, true);
  ASSERT_TRUE(Compiled);
  EXPECT_LT(MaxLutDifference(*Compiled, Main), 1e-6f);
  ASSERT_TRUE(Compiled->Preset);
  // The stream loads back into a fresh session to the same LUT.
  TKromelSession Other{nullptr, nullptr, 33};
  Other.Show();
  int32_t Version = 0;
  Compiled->Preset->SetPosition(0);
  ASSERT_TRUE(Other.EditPreset([&](TKromelPreset& P) {
    return LoadPresetFromStream(P, Other.Controls.Controllers, *Compiled->Preset, "", false,
                                Version);
  }));
  Other.InvalidateLutStages(0);
  auto Again = Other.CompileLut(33, false);
  ASSERT_TRUE(Again);
  EXPECT_LT(MaxLutDifference(*Again, *Compiled), 1e-6f);
}

TEST_F(SessionTest, CompileLutRefusesUnusableSizes) {
  TKromelSession S{nullptr, nullptr, 33};
  S.Show();
  EXPECT_FALSE(S.CompileLut(1, false));
  EXPECT_FALSE(S.CompileLut(300, false));
}

struct TInvalidationCase {
  int32_t Level;
  bool MaskSource;
  int32_t FirstInvalid;  // stages FirstInvalid..5 invalid; 6: none
  bool AB, Curves, Curves2D;
};

TEST_F(SessionTest, InvalidationMarksExactlyTheTableStagesAndFlags) {
  const TInvalidationCase Cases[] = {
      {0, true, 0, true, true, true},   {1, true, 0, true, true, true},
      {3, false, 2, true, true, true},  {6, false, 5, false, false, false},
      {7, false, 6, false, false, false},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Level);
    TKromelSession S{nullptr, nullptr, 33};
    S.Show();
    S.UpdateImage(true, true);  // every stage up to date
    TKromelPresetCalculator& Calc = S.Pipeline().Calculator;
    // No calculation of the thread may run while the flags are set and read.
    if (S.LutCalculator) S.LutCalculator->PauseUntilIdle();
    S.EditPreset([&](TKromelPreset&) {
      Calc.LutMaskSource->Valid = true;
      for (auto& Stage : Calc.LutStep) Stage->Valid = true;
    });
    S.Dirty = TDistributionDirtyFlags();
    S.InvalidateLutStages(C.Level);
    S.EditPreset([&](TKromelPreset&) {
      EXPECT_EQ(!Calc.LutMaskSource->Valid, C.MaskSource);
      for (int32_t I = 0; I <= 5; ++I)
        EXPECT_EQ(!Calc.LutStep[I]->Valid, I >= C.FirstInvalid) << I;
    });
    if (S.LutCalculator) S.LutCalculator->Unpause();
    EXPECT_EQ(S.Dirty.ABDistributionDirty, C.AB);
    EXPECT_EQ(S.Dirty.CLDistributionDirty, C.AB);
    EXPECT_EQ(S.Dirty.CurvesHistogramsDirty, C.Curves);
    EXPECT_EQ(S.Dirty.Curves2DDistributionDirty, C.Curves2D);
    EXPECT_EQ(S.Dirty.MaskHistogramDirty, C.Curves2D);
    EXPECT_FALSE(S.Dirty.SignalPathDirty);
  }
}

TEST_F(SessionTest, InvalidationWaitsForReadyButNotForTheUpdateLock) {
  TKromelSession S{nullptr, nullptr, 33};
  S.Pipeline().Calculator.LutStep[5]->Valid = true;
  S.InvalidateLutStages(6);
  EXPECT_TRUE(S.Pipeline().Calculator.LutStep[5]->Valid);
  S.Show();
  // The stage flags belong to a run under way: none may run while read.
  if (S.LutCalculator) S.LutCalculator->PauseUntilIdle();
  TKromelSession::TUpdateLock Lock(S);
  S.InvalidateLutStages(6);
  EXPECT_FALSE(S.Pipeline().Calculator.LutStep[5]->Valid);
}

TEST_F(SessionTest, SetLUTSizeRefusesOutOfRangeAndReportsSmallSizes) {
  TKromelSession S{nullptr, nullptr, 33};
  S.Show();
  for (int32_t Size : {1, 0, -3, 300}) {
    SCOPED_TRACE(Size);
    ClearMessages();
    EXPECT_FALSE(S.SetLUTSize(Size));
    EXPECT_EQ(S.LutSize(), 33);
    T3DLut Lut;
    ASSERT_TRUE(S.CopyMainLut(Lut));
    EXPECT_EQ(Lut.Size, 33);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], "Error in Set 3DLUT Size: Size " + std::to_string(Size) + " is unusable");
  }
  ClearMessages();
  EXPECT_TRUE(S.SetLUTSize(3));
  EXPECT_EQ(S.LutSize(), 3);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "Error in Set 3DLUT Size: Size 3 is unusable");
  S.UpdateImage(true, true);
  T3DLut Lut;
  ASSERT_TRUE(S.CopyMainLut(Lut));
  EXPECT_EQ(Lut.Size, 3);
  ClearMessages();
  EXPECT_TRUE(S.SetLUTSize(9));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(S.GetExportLutSize(), 64);
  S.Preferences().AlwaysSave64 = false;
  EXPECT_EQ(S.GetExportLutSize(), 9);
}

TEST_F(SessionTest, UpdateLockDefersRendererCreation) {
  TKromelSession S{nullptr, nullptr, 33};
  S.Show();
  S.RendererDestroy();
  {
    TKromelSession::TUpdateLock Lock(S);
    S.RendererCreate();
    EXPECT_TRUE(S.RendererCreatePending);
    EXPECT_FALSE(S.Renderer());
  }
  S.RendererCreate();
  EXPECT_FALSE(S.RendererCreatePending);
  EXPECT_TRUE(S.Renderer());
  EXPECT_TRUE(S.RendererBlock());
  EXPECT_FALSE(S.RendererBlock());  // already blocked: not this caller's
  S.RendererCreate();
  EXPECT_FALSE(S.Renderer()->StopRequested());
}

TEST_F(SessionTest, FailingHandlerLeavesNoLockPauseOrBlockBehind) {
  TKromelSession S{nullptr, nullptr, 33};
  S.Show();
  try {
    TKromelSession::TUpdateLock Lock(S);
    TKromelSession::TRendererBlockGuard Block(S);
    throw std::runtime_error("handler failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(S.UpdateLockCount, 0);
  EXPECT_TRUE(S.RendererCreatePending);  // unblocked under the lock: pending
  S.RendererCreate();
  EXPECT_FALSE(S.Renderer()->StopRequested());
  const int64_t Before = S.CalculationCount();
  S.UpdateImage(true, true);
  EXPECT_GT(S.CalculationCount(), Before);  // the first update may also finish now
  EXPECT_FALSE(S.LutCalculator->Paused);
}

}  // namespace
}  // namespace kromel

namespace kromel {
namespace {

using session_test::SessionTest;

// Records what a job reports; cancels at the first step when asked to.
class TRecordingProgress : public TJobProgress {
 public:
  void Begin(const std::string& Label) override { Events.push_back("begin " + Label); }
  void Step(double Fraction) override {
    EXPECT_GE(Fraction, Last);
    Last = Fraction;
    ++Steps;
    if (CancelAtFirstStep) Cancel();
  }
  void End(bool Succeeded) override { Events.push_back(Succeeded ? "end ok" : "end failed"); }
  void Reset(bool CancelFirst) {
    Events.clear();
    Last = 0;
    Steps = 0;
    CancelAtFirstStep = CancelFirst;
    ResetCancel();
  }
  std::vector<std::string> Events;
  double Last = 0;
  int Steps = 0;
  bool CancelAtFirstStep = false;
};

TEST_F(SessionTest, LongJobsReportProgressAndStopWhenCancelled) {
  TKromelSession S{nullptr, nullptr, 33};
  TRecordingProgress Progress;
  S.Progress = &Progress;
  auto Lut = S.CompileLut(9, false);
  ASSERT_TRUE(Lut);
  EXPECT_EQ(Progress.Events, (std::vector<std::string>{"begin Compiling LUT", "end ok"}));
  EXPECT_EQ(Progress.Last, 1.0);
  EXPECT_GE(Progress.Steps, 6);
  // Cancelled between stages: no LUT and no message.
  Progress.Reset(true);
  EXPECT_FALSE(S.CompileLut(9, false));
  EXPECT_EQ(Progress.Events, (std::vector<std::string>{"begin Compiling LUT", "end failed"}));
  EXPECT_EQ(Progress.Steps, 1);
  EXPECT_TRUE(Messages().empty());
  // A failed load ends failed.
  Progress.Reset(false);
  EXPECT_FALSE(S.LoadPicture(File("missing.png"), true, false, false));
  ASSERT_EQ(Progress.Events.size(), 2u);
  EXPECT_EQ(Progress.Events[1], "end failed");
  S.Progress = nullptr;
}

// The terminal progress as the session's job progress: a job longer than
// the delay shows its label and ends its line with the outcome.
TEST_F(SessionTest, TerminalProgressShowsEachJobItIsToldOf) {
  std::FILE* Out = std::tmpfile();
  ASSERT_NE(Out, nullptr);
  {
    TTerminalProgress Terminal(Out, true, std::chrono::milliseconds(0),
                               std::chrono::milliseconds(1000));
    // Each job lasts until its first tick is out (stdio locks the file).
    auto WaitForTick = [&] {
      const long Before = std::ftell(Out);
      for (int I = 0; I < 5000 && std::ftell(Out) == Before; ++I)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    Terminal.Begin("Job A");
    WaitForTick();
    Terminal.End(true);
    Terminal.Begin("Job B");
    WaitForTick();
    Terminal.End(false);
  }
  std::rewind(Out);
  std::string Text;
  for (int C = std::fgetc(Out); C != EOF; C = std::fgetc(Out)) Text += char(C);
  std::fclose(Out);
  EXPECT_NE(Text.find("\rJob A ... done\n"), std::string::npos) << Text;
  EXPECT_NE(Text.find("\rJob B ... failed\n"), std::string::npos) << Text;
}

}  // namespace
}  // namespace kromel
