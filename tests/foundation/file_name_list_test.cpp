#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <system_error>

#include "foundation/file_name_list.h"
#include "platform/prompt.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

using namespace kromel;
using kromel::testing::ReadBytes;
using kromel::testing::WriteBytes;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> Items(const TFileNameList& L) { return L.ToStringList(); }

class FileNameListFiles : public ::testing::Test {
protected:
  kromel::testing::TTestTempDir Temp{"kromel_fnl"};
};

}  // namespace

TEST_F(FileNameListFiles, SavesEightBitLinesAndLoadsThemBack) {
  const std::string F = Temp.File("names.txt");
  TFileNameList L;
  L.Add("P");
  L.Add("Q");
  L.SaveToFile(F);
  EXPECT_EQ(ReadBytes(F), (std::vector<uint8_t>{0x50, 0x0A, 0x51, 0x0A}));
  TFileNameList Back;
  Back.Add("stale");
  Back.LoadFromFile(F);
  EXPECT_EQ(Items(Back), (std::vector<std::string>{"P", "Q"}));

  // Non-ASCII names keep their UTF-8 bytes both ways.
  TFileNameList U;
  U.Add("/Bilder/Grüße.tif");
  U.Add("/色彩/日本.cube");
  U.SaveToFile(F);
  EXPECT_EQ(ReadBytes(F).size(), std::string("/Bilder/Grüße.tif\n/色彩/日本.cube\n").size());
  Back.LoadFromFile(F);
  EXPECT_EQ(Items(Back), Items(U));

  TFileNameList Empty;
  Empty.SaveToFile(F);
  EXPECT_TRUE(ReadBytes(F).empty());
  Back.LoadFromFile(F);
  EXPECT_EQ(Back.GetCount(), 0);
}

TEST_F(FileNameListFiles, LoadsReadOnlyFilesAndStopsAtTheFirstEmptyLine) {
  const std::string F = Temp.File("ro.txt");
  WriteBytes(F, {'a', '\r', '\n', 'b', '\n', '\n', 'c', '\n'});
  chmod(F.c_str(), 0444);
  TFileNameList L;
  L.LoadFromFile(F);  // opened for reading only
  EXPECT_EQ(Items(L), (std::vector<std::string>{"a", "b"}));
}

TEST_F(FileNameListFiles, FailuresThrowAndKeepTheList) {
  TFileNameList L;
  L.Add("keep");
  EXPECT_THROW(L.LoadFromFile(Temp.File("missing.txt")), std::system_error);
  EXPECT_EQ(Items(L), std::vector<std::string>{"keep"});
  EXPECT_THROW(L.SaveToFile(Temp.File("no/such/folder/x.txt")), std::system_error);
  EXPECT_FALSE(fs::exists(Temp.File("no")));
}

TEST(FileNameList, ListOperations) {
  TFileNameList L;
  EXPECT_EQ(L.Add("a"), 0);
  EXPECT_EQ(L.Add("A"), 1);
  EXPECT_EQ(L.Add("a"), 2);  // duplicates are kept
  EXPECT_EQ(L.IndexOf("a"), 0);
  EXPECT_EQ(L.IndexOf("A"), 1);  // case counts
  EXPECT_EQ(L.IndexOf("b"), -1);
  EXPECT_THROW(L.Get(3), EStringListError);
  EXPECT_THROW(L.Insert(4, "x"), EStringListError);
  L.AddFileNames(L);
  EXPECT_EQ(L.GetCount(), 6);
  L.SetTextUntilBlank("P\n\nQ");
  EXPECT_EQ(Items(L), std::vector<std::string>{"P"});
  EXPECT_EQ(L.GetTextStr(), "P\n");
  L.Clear();
  EXPECT_EQ(L.GetCount(), 0);
  EXPECT_EQ(L.GetCapacity(), 0);
}

TEST(MessageDlgDontShowAgain, AnswersAndTheCheckBox) {
  THeadlessPrompt& P = DefaultHeadlessPrompt();
  P.Clear();
  struct TCase {
    TCheckBoxAnswer Answer;
    int32_t ModalResult;
    bool Result;
  };
  const TCase Cases[] = {
      {{TPromptAnswer::Yes, false}, mrYes, false},
      {{TPromptAnswer::No, true}, mrNo, true},
      {{TPromptAnswer::Closed, false}, mrCancel, false},
  };
  for (const TCase& C : Cases) P.QueueCheckBoxAnswers({C.Answer});
  for (const TCase& C : Cases) {
    int32_t Modal = -1;
    EXPECT_EQ(MessageDlgDontShowAgain("Load with log decoding?", TMsgDlgType::Warning, Modal),
              C.Result);
    EXPECT_EQ(Modal, C.ModalResult);
  }
  // Headless without a scripted answer: No, box unticked.
  int32_t Modal = -1;
  EXPECT_FALSE(MessageDlgDontShowAgain("Again?", TMsgDlgType::Warning, Modal));
  EXPECT_EQ(Modal, mrNo);

  const auto Q = P.CheckBoxQuestions();
  ASSERT_EQ(Q.size(), 4u);
  EXPECT_EQ(Q[0].Title, "Dialog Title");
  EXPECT_EQ(Q[0].Text, "Load with log decoding?");
  EXPECT_EQ(Q[0].DlgType, TMsgDlgType::Warning);
  EXPECT_EQ(Q[0].CheckBoxCaption, "Don't show me again.");
  EXPECT_EQ(Q[0].Height, 169);
  EXPECT_EQ(Q[0].CheckBoxTop, 121);
  EXPECT_EQ(Q[0].CheckBoxLeft, 8);
  EXPECT_EQ(Q[0].CheckBoxWidth, 200);
  EXPECT_EQ(Q[3].Text, "Again?");
  P.Clear();
}
