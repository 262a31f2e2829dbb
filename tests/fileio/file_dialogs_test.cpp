#include "fileio/file_dialogs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <fstream>

#include "platform/prompt.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

namespace kromel {
namespace {

using testing::TCaptureTest;
using testing::TTestTempDir;

// One run of the dialog: the user's answer and choice.
struct TDialogStep {
  bool Confirm = true;
  std::string FileName;    // empty: keep the proposed name
  int32_t FilterIndex = 0; // 0: keep the proposed entry
  std::vector<std::string> Files;
};

// What the dialog was given when it ran.
struct TDialogSeen {
  std::string Filter, InitialDir, FileName, DefaultExt;
  int32_t FilterIndex;
};

class TScriptedDialog : public TFileDialog {
public:
  TScriptedDialog(TFileDialogKind Kind, std::deque<TDialogStep>& Steps,
                  std::vector<TDialogSeen>& Seen)
      : TFileDialog(Kind), FSteps(Steps), FSeen(Seen) {}
  bool Execute() override {
    FSeen.push_back({Filter, InitialDir, FileName, DefaultExt, FilterIndex});
    if (FSteps.empty()) return false;
    const TDialogStep S = FSteps.front();
    FSteps.pop_front();
    if (!S.FileName.empty()) FileName = S.FileName;
    if (S.FilterIndex != 0 && S.FilterIndex != FilterIndex) {
      FilterIndex = S.FilterIndex;
      if (OnTypeChange) OnTypeChange();
    }
    Files = S.Files;
    return S.Confirm;
  }

private:
  std::deque<TDialogStep>& FSteps;
  std::vector<TDialogSeen>& FSeen;
};

class FileDialogTest : public TCaptureTest {
protected:
  void SetUp() override {
    TCaptureTest::SetUp();
    SetPrompt(&Prompt);
    SetFileDialogFactory([this](TFileDialogKind Kind) {
      return std::make_unique<TScriptedDialog>(Kind, Steps, Seen);
    });
  }
  void TearDown() override {
    SetFileDialogFactory(nullptr);
    SetPrompt(nullptr);
    TCaptureTest::TearDown();
  }
  THeadlessPrompt Prompt;
  std::deque<TDialogStep> Steps;
  std::vector<TDialogSeen> Seen;
  TTestTempDir Dir{"kromel_dialogs"};
};

const std::string Images =
    "TIFF (*.tif;*.tiff)|*.tif;*.tiff|PNG (*.png)|*.png|Cube LUT (*.cube)|*.cube|"
    "Any (*.cube;*.3dl)|*.cube;*.3dl|All files|*.*";

TEST(FileDialogRules, FilterIndexFromTheExtension) {
  struct TCase {
    std::string Filter, FileName;
    int32_t Index;
  };
  const std::vector<TCase> Cases = {
      {Images, "/a/b.TIF", 1},
      {Images, "grade.cube", 4},  // the last match wins
      {"PNG|*.png", "a.png", 0},  // masks are not looked at
      {Images, "x.png", 2},
      {Images, "x.jpg", 0},
      {Images, "no_extension", 0},
      {Images, "/dir.png/name", 0},
      // An even "|" count: the description past the end is never read.
      {"Cube (*.cube)|*.cube|Odd (*.cube)", "a.cube", 2},
      {"Cube (*.cube)|*.cube|PNG (*.png)", "a.png", 2},
      {"", "a.png", 0},
      {std::string("PNG|*.png\0JPEG (*.jpg)|*.jpg", 28), "a.jpg", 0},
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(FilterIndexFromExtension(C.Filter, C.FileName), C.Index) << C.Filter << " " << C.FileName;
}

TEST(FileDialogRules, ExtensionCompletion) {
  struct TCase {
    std::string Filter, FileName;
    int32_t Entry;
    std::string Result, FilterName;
  };
  const std::vector<TCase> Cases = {
      {Images, "/x/shot", 0, "/x/shot.tif", "TIFF (*.tif;*.tiff)-*.tif;*.tiff"},
      {Images, "/x/shot.png", 0, "/x/shot.png", ""},  // mentioned in the filter: left alone
      {Images, "/x/shot.jpg", 1, "/x/shot.jpg.png", "PNG (*.png)-*.png"},
      {Images, "/x/shot", 4, "/x/shot", "All files-*.*"},  // "." is too short
      {Images, "/x/shot", -1, "/x/shot.tif", "TIFF (*.tif;*.tiff)-*.tif;*.tiff"},
      // Entries past the filter's end take nothing.
      {Images, "/x/shot", 5, "/x/shot", ""},
      {Images, "/x/shot", 99, "/x/shot", ""},
      {"Cube (*.cube)|*.cube|Odd", "/x/shot", 1, "/x/shot", "Odd"},
      {Images, "", 0, "", ""},
  };
  for (const TCase& C : Cases) {
    std::string Name;
    EXPECT_EQ(CompleteFileExtension(C.FileName, C.Filter, C.Entry, Name), C.Result)
        << C.FileName << " " << C.Entry;
    EXPECT_EQ(Name, C.FilterName) << C.FileName << " " << C.Entry;
  }
}

TEST(FileDialogRules, DefaultExtensionFollowsTheEntry) {
  struct TCase {
    std::string Filter;
    int32_t Index;
    std::string Ext;
  };
  const std::vector<TCase> Cases = {
      {Images, 1, "tif"}, {Images, 2, "png"}, {Images, 4, "cube"}, {Images, 5, "*"},
      {Images, 0, "tif"}, {Images, 6, ""},    {Images, 100, ""},   {"Odd", 1, ""},
  };
  std::deque<TDialogStep> NoSteps;
  std::vector<TDialogSeen> NoSeen;
  for (const TCase& C : Cases) {
    TScriptedDialog D(TFileDialogKind::Save, NoSteps, NoSeen);
    D.Filter = C.Filter;
    D.FilterIndex = C.Index;
    DialogTypeChange(D);
    EXPECT_EQ(D.DefaultExt, C.Ext) << C.Index;
  }
}

TEST_F(FileDialogTest, SaveCompletesTheExtensionAndFollowsTypeChanges) {
  Steps = {{true, Dir.File("look"), 2}};
  std::string FilterName;
  EXPECT_EQ(NewSaveFileDialog(Images, Dir.Path.string(), "look.cube", -1, FilterName),
            Dir.File("look.png"));
  EXPECT_EQ(FilterName, "PNG (*.png)-*.png");
  ASSERT_EQ(Seen.size(), 1u);
  EXPECT_EQ(Seen[0].FilterIndex, 4);
  EXPECT_EQ(Seen[0].DefaultExt, "cube");
  EXPECT_EQ(Seen[0].FileName, "look.cube");
  EXPECT_TRUE(Silent());
}

TEST_F(FileDialogTest, OddFilterWarnsAndStaysWithinItsItems) {
  Steps = {{true, Dir.File("a"), 3}};
  std::string FilterName = "stale";
  const std::string Odd = "Cube (*.cube)|*.cube|3DL (*.3dl)";
  EXPECT_EQ(NewSaveFileDialog(Odd, Dir.Path.string(), "a.3dl", -1, FilterName), Dir.File("a"));
  EXPECT_EQ(FilterName, "");
  EXPECT_EQ(Messages(), std::vector<std::string>{"Warning! Incorrect filter: " + Odd});
  ASSERT_EQ(Seen.size(), 1u);
  EXPECT_EQ(Seen[0].FilterIndex, 2);
  EXPECT_EQ(Seen[0].DefaultExt, "");
}

TEST_F(FileDialogTest, OverwriteQuestionLoop) {
  std::ofstream(Dir.File("old.tif")) << "keep";
  // Declined: the dialog comes back without the extension; then a new name.
  Steps = {{true, Dir.File("old.tif"), 1}, {true, Dir.File("new.tif"), 1}};
  Prompt.QueueAnswers({TPromptAnswer::Cancel});
  std::string FilterName;
  EXPECT_EQ(NewSaveFileDialog(Images, Dir.Path.string(), "x.tif", 1, FilterName),
            Dir.File("new.tif"));
  ASSERT_EQ(Seen.size(), 2u);
  EXPECT_EQ(Seen[1].FileName, Dir.File("old"));
  ASSERT_EQ(Prompt.Questions().size(), 1u);
  EXPECT_EQ(Prompt.Questions()[0].Title, "Confirmation");
  EXPECT_EQ(Prompt.Questions()[0].Text, "File " + Dir.File("old.tif") +
                                            " already exists. Are you sure you want to "
                                            "overwrite it?");
  // A name completed to an existing file is asked about too.
  Prompt.Clear();
  Seen.clear();
  Steps = {{true, Dir.File("old"), 1}, {false}};
  Prompt.QueueAnswers({TPromptAnswer::Cancel});
  EXPECT_EQ(NewSaveFileDialog(Images, Dir.Path.string(), "x.tif", 1, FilterName), "");
  EXPECT_EQ(Prompt.Questions().size(), 1u);
  EXPECT_EQ(Seen.size(), 2u);
  // Confirmed: the existing name is returned.
  Steps = {{true, Dir.File("old.tif"), 1}};
  Prompt.QueueAnswers({TPromptAnswer::OK});
  EXPECT_EQ(NewSaveFileDialog(Images, Dir.Path.string(), "x.tif", 1, FilterName),
            Dir.File("old.tif"));
  EXPECT_EQ(testing::ReadText(Dir.File("old.tif")), "keep");
}

TEST_F(FileDialogTest, SaveStartsInDocumentsUnderHome) {
  const char* OldHome = std::getenv("HOME");
  const std::string Saved = OldHome ? OldHome : "";
  ::setenv("HOME", Dir.Path.c_str(), 1);
  std::string FilterName;
  NewSaveFileDialog(Images, "", "a.tif", 1, FilterName);
  std::filesystem::create_directory(Dir.File("Documents"));
  NewSaveFileDialog(Images, "", "a.tif", 1, FilterName);
  ::setenv("HOME", Saved.c_str(), 1);
  ASSERT_EQ(Seen.size(), 2u);
  EXPECT_EQ(Seen[0].InitialDir, Dir.Path.string() + "/");
  EXPECT_EQ(Seen[1].InitialDir, Dir.File("Documents") + "/");
}

TEST_F(FileDialogTest, OpenHelpers) {
  Steps = {{true, "/p/a.png"}, {false, "/p/b.png"}, {true, "", 0, {"/p/1.png", "/p/2.png"}}};
  EXPECT_EQ(NewOpenFileDialog(std::string("PNG|*.png\0\0", 11), "/pictures/"), "/p/a.png");
  EXPECT_EQ(Seen[0].InitialDir, "/pictures");
  EXPECT_EQ(Seen[0].Filter, "PNG|*.png");
  EXPECT_EQ(NewOpenFileDialog("PNG|*.png", "/"), "");
  EXPECT_EQ(Seen[1].InitialDir, "/");
  const auto List = NewOpenFileDialogMulti("PNG|*.png");
  ASSERT_EQ(List->GetCount(), 2);
  EXPECT_EQ(List->Get(1), "/p/2.png");
  EXPECT_EQ(Seen[2].InitialDir, "/");
  // No dialog installed: cancelled.
  SetFileDialogFactory(nullptr);
  std::string FilterName;
  EXPECT_EQ(NewSaveFileDialog(Images, "/", "a.tif", 1, FilterName), "");
  EXPECT_EQ(NewOpenFileDialogMulti("PNG|*.png")->GetCount(), 0);
}

}  // namespace
}  // namespace kromel
