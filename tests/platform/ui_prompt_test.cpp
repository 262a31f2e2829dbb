#include <gtest/gtest.h>

#include "platform/prompt.h"
#include "platform/ui_state.h"

using namespace kromel;

namespace {
class TCheckingPrompt : public TPrompt {
public:
  TPromptAnswer AskOkCancel(const std::string&, const std::string&) override {
    LevelSeen = ModalLevel();
    return TPromptAnswer::OK;
  }
  int32_t LevelSeen = -1;
};
}  // namespace

TEST(Prompt, HeadlessAnswersQueuedThenDefault) {
  THeadlessPrompt& P = DefaultHeadlessPrompt();
  P.Clear();
  P.QueueAnswers({TPromptAnswer::OK});
  EXPECT_TRUE(PlatformAskOkCancel("Error", "first"));
  EXPECT_FALSE(PlatformAskOkCancel("Error", "second"));  // default: Cancel
  ASSERT_EQ(P.Questions().size(), 2u);
  EXPECT_EQ(P.Questions()[1].Title, "Error");
  EXPECT_EQ(P.Questions()[1].Text, "second");
  P.Clear();
}

TEST(Prompt, InstalledPromptRunsAsOneModalLevel) {
  TCheckingPrompt Checking;
  SetPrompt(&Checking);
  EXPECT_EQ(ModalLevel(), 0);
  EXPECT_TRUE(PlatformAskOkCancel("T", "X"));
  EXPECT_EQ(Checking.LevelSeen, 1);
  EXPECT_EQ(ModalLevel(), 0);
  SetPrompt(nullptr);
  EXPECT_EQ(&Prompt(), &DefaultHeadlessPrompt());
}

TEST(UiState, KeysUpUntilAQueryIsInstalled) {
  EXPECT_EQ(GetKeyState(16), 0);
  SetKeyStateQuery([](int32_t Key) -> int16_t { return Key == 16 ? int16_t(0x8000) : 0; });
  EXPECT_EQ(GetKeyState(16), int16_t(0x8000));
  EXPECT_EQ(GetKeyState(18), 0);
  SetKeyStateQuery({});
  EXPECT_EQ(GetKeyState(16), 0);
  {
    TModalScope A;
    TModalScope B;
    EXPECT_EQ(ModalLevel(), 2);
  }
  EXPECT_EQ(ModalLevel(), 0);
  LeaveModal();  // never below 0
  EXPECT_EQ(ModalLevel(), 0);
}
