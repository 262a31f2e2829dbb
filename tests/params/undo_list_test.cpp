#include "params/undo_list.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>

namespace kromel {
namespace {

// State I: Size bytes of value I % 256, caption "Step I".
void Record(TUndoRedoList& L, int32_t I, int32_t Size = 1024) {
  const std::vector<uint8_t> Bytes(size_t(Size), uint8_t(I % 256));
  L.AddState(Bytes.data(), Size, "Step " + std::to_string(I));
}

TEST(UndoRedoList, KeepsTheBaseStateAndAtMostOneHundredStates) {
  TUndoRedoList L;
  for (int32_t I = 0; I < 150; ++I) Record(L, I);
  ASSERT_EQ(L.Count(), 100);
  EXPECT_EQ(L.Current, 99);
  EXPECT_EQ(L.State(0).Caption, "Step 0");
  EXPECT_EQ(L.State(0).Data[0], 0);
  EXPECT_EQ(L.State(1).Caption, "Step 51");
  EXPECT_EQ(L.State(99).Caption, "Step 149");
  EXPECT_EQ(L.GetTotalSize(), 100 * 1024);
}

TEST(UndoRedoList, MemoryLimitTrimsOnlyOnceTenStatesAreHeld) {
  TUndoRedoList L;
  EXPECT_EQ(L.MaxMemory, 512 * 1024 * 1024);
  static_assert(std::is_same_v<decltype(L.GetTotalSize()), int64_t>);
  // 100 MB states against 512 MiB, scaled down: 1000 bytes against 5120.
  L.MaxMemory = 5120;
  for (int32_t I = 0; I < 10; ++I) {
    Record(L, I, 1000);
    EXPECT_EQ(L.Count(), I < 9 ? I + 1 : 9) << I;
  }
  EXPECT_EQ(L.State(1).Caption, "Step 2");
  for (int32_t I = 10; I < 15; ++I) {
    Record(L, I, 1000);
    EXPECT_EQ(L.Count(), 9);
    EXPECT_EQ(L.Current, 8);
  }
  EXPECT_EQ(L.State(0).Caption, "Step 0");
  EXPECT_EQ(L.GetTotalSize(), 9000);
}

TEST(UndoRedoList, UndoRedoAndGoToStateCopyBytesKeepingThePosition) {
  TUndoRedoList L;
  TMemoryStream S;
  std::string Caption;
  EXPECT_FALSE(L.GoToState(0, S));
  EXPECT_FALSE(L.Undo(S, Caption));
  for (int32_t I = 0; I < 4; ++I) Record(L, I, 10 + I);
  EXPECT_FALSE(L.Redo(S, Caption));
  EXPECT_EQ(L.GetUndoCaption(), "Step 3");
  EXPECT_EQ(L.GetRedoCaption(), "");

  S.SetSize(100);
  S.SetPosition(5);
  ASSERT_TRUE(L.Undo(S, Caption));
  EXPECT_EQ(Caption, "Step 3");
  EXPECT_EQ(L.Current, 2);
  EXPECT_EQ(S.Size(), 12);
  EXPECT_EQ(S.Position(), 5);
  EXPECT_EQ(S.Memory()[11], 2);
  ASSERT_TRUE(L.Redo(S, Caption));
  EXPECT_EQ(Caption, "Step 3");
  EXPECT_EQ(S.Size(), 13);

  ASSERT_TRUE(L.GoToState(-7, S));
  EXPECT_EQ(L.Current, 0);
  EXPECT_FALSE(L.Undo(S, Caption));
  // At the base state there is nothing to undo, even with redo states.
  EXPECT_EQ(L.GetUndoCaption(), "");
  EXPECT_EQ(L.GetRedoCaption(), "Step 1");
  ASSERT_TRUE(L.GoToState(99, S));
  EXPECT_EQ(L.Current, 3);
  EXPECT_EQ(S.Size(), 13);
}

TEST(UndoRedoList, RecordingAfterUndoDropsTheRedoStates) {
  TUndoRedoList L;
  TMemoryStream S;
  std::string Caption;
  for (int32_t I = 0; I < 5; ++I) Record(L, I, 8);
  ASSERT_TRUE(L.Undo(S, Caption));
  ASSERT_TRUE(L.Undo(S, Caption));
  Record(L, 9, 8);
  ASSERT_EQ(L.Count(), 4);
  EXPECT_EQ(L.Current, 3);
  EXPECT_EQ(L.State(3).Caption, "Step 9");
  EXPECT_EQ(L.State(2).Caption, "Step 2");
  EXPECT_EQ(L.GetTotalSize(), 32);
  EXPECT_FALSE(L.CanRedo());
  EXPECT_TRUE(L.CanUndo());
}

TEST(UndoRedoList, FillListBoxShowsOneLinePerStateAndSelectsCurrent) {
  TUndoRedoList L;
  for (int32_t I = 0; I < 3; ++I) Record(L, I, 4);
  TMemoryStream S;
  L.GoToState(1, S);
  TUndoListBox Box{{"a", "b", "c", "d", "e"}, 4};
  L.FillListBox(Box);
  EXPECT_EQ(Box.Items, (std::vector<std::string>{"Step 0", "Step 1", "Step 2"}));
  EXPECT_EQ(Box.ItemIndex, 1);
  TUndoListBox Empty;
  L.FillListBox(Empty);
  EXPECT_EQ(Empty.Items.size(), 3u);
  EXPECT_EQ(Empty.ItemIndex, 1);
}

TEST(UndoRedoList, CaptionsAreCutTo255CharactersAndBadSizesRecordNothing) {
  TUndoRedoList L;
  std::string Long;
  for (int32_t I = 0; I < 300; ++I) Long += "\xC3\xA9";  // e acute, two bytes
  L.AddState(nullptr, -5, Long);
  L.AddState(nullptr, 1000, "no data");
  ASSERT_EQ(L.Count(), 2);
  EXPECT_EQ(L.State(0).Caption.size(), 510u);
  EXPECT_EQ(L.State(0).Size, 0);
  EXPECT_EQ(L.State(1).Size, 0);
  EXPECT_EQ(L.GetTotalSize(), 0);
  // Deleting the current state keeps Current inside the list.
  L.DeleteState(1);
  L.DeleteState(7);
  EXPECT_EQ(L.Current, 0);
  TMemoryStream S;
  EXPECT_TRUE(L.GetLastState(S));
  EXPECT_EQ(S.Size(), 0);
}

}  // namespace
}  // namespace kromel
