#include <gtest/gtest.h>

#include <random>

#include "fileio/image_save.h"
#include "platform/main_thread.h"
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
  Pic.Init();
  ASSERT_TRUE(Pic.Alloc(48, 32));
  for (int64_t I = 0; I < Pic.Size; ++I) Pic.Pixels[I].Value = 0xFF000000u | (I * 2654435761u);
  const std::string A = File("a.png"), B = File("b.png");
  ASSERT_TRUE(SaveImage32ToFile(Pic, A));
  ASSERT_TRUE(Pic.Alloc(20, 40));
  for (int64_t I = 0; I < Pic.Size; ++I) Pic.Pixels[I].Value = 0xFF000000u | (I * 40503u);
  ASSERT_TRUE(SaveImage32ToFile(Pic, B));
  Pic.Dispose();

  TCountingView View;
  TSessionPreferences Prefs;
  Prefs.LutSize = 9;
  TKromelSession S(&View, Prefs);
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
  TKromelSession S;
  S.Show();
  for (int I = 0; I < 20; ++I) {
    session_test::MakeNonTrivial(S, 0.4f + I * 0.01f);
    S.UpdateImage(true, false);
  }
  S.Close();
  EXPECT_FALSE(S.LutCalculator);
  EXPECT_FALSE(S.Renderer);
  S.Close();  // a second close does nothing
}

}  // namespace
}  // namespace kromel
