#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "foundation/platform_helpers.h"
#include "foundation/wide_string_list.h"
#include "foundation/wide_string_utils.h"
#include "platform/process_runner.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

using namespace kromel;
namespace fs = std::filesystem;

namespace {

using kromel::testing::ReadText;
using kromel::testing::WriteText;

std::vector<std::string> Items(const TWideStringList& L) {
  std::vector<std::string> R;
  for (int32_t I = 0; I < L.GetCount(); ++I) R.push_back(L.Get(I));
  return R;
}

class WideStringListFiles : public ::testing::Test {
protected:
  kromel::testing::TTestTempDir Temp{"kromel_wsl"};
  fs::path Dir = Temp.Path;
};

}  // namespace

TEST_F(WideStringListFiles, FileFormIsUtf16LEWithLineFeeds) {
  TWideStringList L;
  L.Add("P");
  L.Add("Q");
  fs::path File = Dir / "list.txt";
  ASSERT_TRUE(L.SaveToFile(File.string()));
  EXPECT_EQ(ReadText(File), std::string("P\0\n\0Q\0\n\0", 8));

  // Another program reads the bytes as UTF-16LE.
  fs::path Decoded = Dir / "decoded.txt";
  ASSERT_EQ(RunProcessAndWait("iconv", {"-f", "UTF-16LE", "-t", "UTF-8", "-o", Decoded.string(), File.string()}), 0);
  EXPECT_EQ(ReadText(Decoded), "P\nQ\n");

  TWideStringList Back;
  ASSERT_TRUE(Back.LoadFromFile(File.string()));
  EXPECT_EQ(Items(Back), (std::vector<std::string>{"P", "Q"}));

  // Non-ASCII text survives, as UTF-16 code units on disk.
  L.Clear();
  L.Add("\xC3\xA9t\xC3\xA9");  // été
  ASSERT_TRUE(L.SaveToFile(File.string()));
  EXPECT_EQ(ReadText(File), std::string("\xE9\0t\0\xE9\0\n\0", 8));

  TWideStringList Empty;
  ASSERT_TRUE(Empty.SaveToFile(File.string()));
  EXPECT_EQ(ReadText(File), "");
  EXPECT_FALSE(Empty.SaveToFile((Dir / "no" / "such.txt").string()));
}

TEST_F(WideStringListFiles, LoadFromFileEdgeCases) {
  struct Case {
    std::string Bytes;
    std::vector<std::string> Lines;
  };
  const Case Cases[] = {
      {std::string("\xFF\xFE" "A\0\n\0", 6), {"\xEF\xBB\xBF" "A"}},  // the mark is a character
      {std::string("A\0B\0C", 5), {"AB"}},                          // odd last byte ignored
      {std::string("\n\0A\0", 4), {}},                              // first line empty
      {std::string("P\0\n\0\n\0Q\0", 8), {"P"}},                    // stops at the empty line
      {std::string("P\0\r\0\n\0Q\0", 8), {"P", "Q"}},
      {std::string("P\0\0\0Q\0", 6), {"P"}},                        // U+0000 ends the text
  };
  fs::path File = Dir / "in.txt";
  for (const Case& C : Cases) {
    WriteText(File, C.Bytes);
    TWideStringList L;
    ASSERT_TRUE(L.LoadFromFile(File.string()));
    EXPECT_EQ(Items(L), C.Lines);
  }
  TWideStringList L;
  L.Add("kept");
  EXPECT_FALSE(L.LoadFromFile((Dir / "missing.txt").string()));
  EXPECT_EQ(Items(L), (std::vector<std::string>{"kept"}));
}

TEST_F(WideStringListFiles, LoadFromFileOpensReadOnly) {
  fs::path File = Dir / "ro.txt";
  WriteText(File, std::string("R\0\n\0", 4));
  ASSERT_EQ(chmod(File.c_str(), 0444), 0);
  TWideStringList L;
  EXPECT_TRUE(L.LoadFromFile(File.string()));
  EXPECT_EQ(Items(L), (std::vector<std::string>{"R"}));

  // A running program cannot be opened for writing, not even by root.
  fs::path Prog = Dir / "sleeper";
  fs::copy_file("/usr/bin/sleep", Prog);
  fs::permissions(Prog, fs::perms::owner_all);
  pid_t Pid = StartProcess(Prog.string(), {"30"});
  ASSERT_GT(Pid, 0);
  TWideStringList Exe;
  EXPECT_TRUE(Exe.LoadFromFile(Prog.string()));
  EXPECT_EQ(Exe.GetCount(), 1);  // "\x7F" "ELF" and so on, up to the first zero unit
  kill(Pid, SIGKILL);
  WaitForProcess(Pid);
}

TEST_F(WideStringListFiles, StreamsDetectTheirEncoding) {
  struct Case {
    std::string Bytes;
    std::vector<std::string> Lines;
  };
  const Case Cases[] = {
      {std::string("\xFF\xFE" "A\0\n\0\n\0B\0", 10), {"A", "", "B"}},
      {std::string("\xFE\xFF\0A\0\r\0B", 8), {"A", "B"}},
      {"\xEF\xBB\xBF" "x\xC3\xA9\ny", {"x\xC3\xA9", "y"}},
      {"plain\r\ntext\n", {"plain", "text"}},
      {"\xFF", {"\xEF\xBF\xBD"}},  // one stray byte: decoded, U+FFFD
      {"", {}},
  };
  for (const Case& C : Cases) {
    std::istringstream S(C.Bytes);
    TWideStringList L;
    ASSERT_TRUE(L.LoadFromStream(S));
    EXPECT_EQ(Items(L), C.Lines);
    EXPECT_EQ(L.UpdateCount(), 0);
  }
  std::istringstream Raw(std::string("A\0B\0", 4));
  TWideStringList L;
  ASSERT_TRUE(L.LoadFromStreamDetect(Raw, false));
  EXPECT_EQ(Items(L), (std::vector<std::string>{"AB"}));

  fs::path File = Dir / "detect.txt";
  WriteText(File, "\xEF\xBB\xBF" "one\ntwo");
  ASSERT_TRUE(L.LoadFromFileDetect(File.string()));
  EXPECT_EQ(Items(L), (std::vector<std::string>{"one", "two"}));
  EXPECT_FALSE(L.LoadFromFileDetect((Dir / "missing").string()));
  EXPECT_EQ(L.GetCount(), 2);
}

TEST(WideStringList, LineSplitters) {
  struct Case {
    std::string Text;
    std::vector<std::string> ByA;  // SetTextStr
    std::vector<std::string> ByB;  // SetTextUntilBlank
  };
  const std::string LS = "\xE2\x80\xA8", PS = "\xE2\x80\xA9";
  const Case Cases[] = {
      {"P\n\nQ", {"P", "", "Q"}, {"P"}},
      {"P\r\nQ", {"P", "Q"}, {"P", "Q"}},
      {"P\n", {"P"}, {"P"}},
      {"P\rQ", {"P", "Q"}, {"P", "Q"}},
      {"P\n\rQ", {"P", "", "Q"}, {"P"}},
      {"P" + PS + "Q", {"P" + PS + "Q"}, {"P", "Q"}},
      {"P\vQ\fR", {"P\vQ\fR"}, {"P", "Q", "R"}},
      {"P" + LS + "Q", {"P", "Q"}, {"P", "Q"}},
      {"P\r\n" + LS + "Q", {"P", "Q"}, {"P"}},
      {"\nP", {"", "P"}, {}},
      {"", {}, {}},
      {std::string("P\0Q", 3), {"P"}, {"P"}},
  };
  for (const Case& C : Cases) {
    TWideStringList L;
    L.SetTextStr(C.Text);
    EXPECT_EQ(Items(L), C.ByA) << C.Text;
    L.SetText(C.Text);
    EXPECT_EQ(Items(L), C.ByA) << C.Text;
    L.SetTextUntilBlank(C.Text);
    EXPECT_EQ(Items(L), C.ByB) << C.Text;
  }
  TWideStringList L;
  L.SetTextStr("a\n\nb");
  EXPECT_EQ(L.GetTextStr(), "a\n\nb\n");
  EXPECT_EQ(L.GetText(), L.GetTextStr());
}

TEST(WideStringList, CapacityGrowsInTheStatedSteps) {
  TWideStringList L;
  EXPECT_EQ(L.GetCapacity(), 0);
  std::vector<int32_t> Seen;
  for (int I = 0; I < 147; ++I) {
    int32_t Before = L.GetCapacity();
    L.Add("x");
    if (L.GetCapacity() != Before) Seen.push_back(L.GetCapacity());
  }
  EXPECT_EQ(Seen, (std::vector<int32_t>{4, 8, 12, 28, 44, 60, 76, 95, 118, 147}));
  L.Delete(0);
  EXPECT_EQ(L.GetCapacity(), 147);
  L.Clear();
  EXPECT_EQ(L.GetCapacity(), 0);
}

TEST(WideStringList, ChangeNotifications) {
  TWideStringList L;
  int Calls = 0;
  TWideStringList* Sender = nullptr;
  L.OnChange = [&](TWideStringList* S) {
    ++Calls;
    Sender = S;
  };
  struct Step {
    const char* What;
    std::function<void()> Do;
    int Expected;
  };
  int Dummy = 0;
  const Step Steps[] = {
      {"Add", [&] { L.Add("a"); }, 2},
      {"AddObject", [&] { L.AddObject("b", &Dummy); }, 1},
      {"Insert", [&] { L.Insert(0, "c"); }, 1},
      {"Put same", [&] { L.Put(0, "c"); }, 0},
      {"Put other", [&] { L.Put(0, "d"); }, 1},
      {"PutObject", [&] { L.PutObject(0, nullptr); }, 1},
      {"Delete", [&] { L.Delete(0); }, 1},
      {"Clear", [&] { L.Clear(); }, 1},
      {"Clear empty", [&] { L.Clear(); }, 0},
      {"Ten adds in an update", [&] {
         L.BeginUpdate();
         for (int I = 0; I < 10; ++I) L.Add("x");
         L.EndUpdate();
       }, 1},
      {"Nested update", [&] {
         L.BeginUpdate();
         L.BeginUpdate();
         L.Add("y");
         L.EndUpdate();
         L.EndUpdate();
       }, 1},
      {"SetTextStr", [&] { L.SetTextStr("a\nb"); }, 1},
      {"SetText", [&] { L.SetText("a\nb\nc"); }, 1},
      {"SetStrings", [&] { L.SetStrings({"p", "q"}); }, 1},
      {"Sort", [&] { L.Sort(); }, 1},
  };
  for (const Step& S : Steps) {
    Calls = 0;
    S.Do();
    EXPECT_EQ(Calls, S.Expected) << S.What;
  }
  EXPECT_EQ(Sender, &L);
  EXPECT_FALSE(L.Updating());
  EXPECT_EQ(L.UpdateCount(), 0);
}

TEST(WideStringList, IndexRules) {
  TWideStringList L;
  L.Add("a");
  for (int32_t Bad : {-1, 1}) {
    try {
      L.Get(Bad);
      ADD_FAILURE() << Bad;
    } catch (const EStringListError& E) {
      EXPECT_EQ(std::string(E.what()), "List index (" + std::to_string(Bad) + ") out of bounds");
    }
    EXPECT_THROW(L.GetObject(Bad), EStringListError);
    EXPECT_THROW(L.Put(Bad, "x"), EStringListError);
    EXPECT_THROW(L.PutObject(Bad, nullptr), EStringListError);
    EXPECT_THROW(L.Delete(Bad), EStringListError);
  }
  EXPECT_THROW(L.Insert(2, "x"), EStringListError);
  EXPECT_THROW(L.Insert(-1, "x"), EStringListError);
  L.Insert(1, "b");  // at Count: appends
  EXPECT_EQ(Items(L), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(L.IndexOf("b"), 1);
  EXPECT_EQ(L.IndexOf("B"), -1);
}

TEST(WideStringList, SortMovesTextsOnly) {
  TWideStringList L;
  int O0 = 0, O1 = 1, O2 = 2;
  L.AddObject("Q", &O0);
  L.AddObject("P", &O1);
  L.AddObject("R", &O2);
  L.Sort();
  EXPECT_EQ(Items(L), (std::vector<std::string>{"P", "Q", "R"}));
  EXPECT_EQ(L.GetObject(0), &O0);
  EXPECT_EQ(L.GetObject(1), &O1);
  EXPECT_EQ(L.GetObject(2), &O2);

  L.SetTextStr("b\nB\na\nb\nA");
  L.Sort();
  EXPECT_EQ(Items(L), (std::vector<std::string>{"A", "B", "a", "b", "b"}));
}

TEST(WideStringList, AssignAndConversions) {
  TWideStringList L;
  L.Add("one");
  L.Add("two");
  L.Assign(L);  // onto itself: nothing changes
  EXPECT_EQ(Items(L), (std::vector<std::string>{"one", "two"}));

  TWideStringList M;
  M.Add("old");
  M.Assign(L);
  EXPECT_TRUE(M.EqualsList(L));
  M.Assign(TStrings{"x"});
  EXPECT_EQ(Items(M), (std::vector<std::string>{"x"}));
  EXPECT_FALSE(M.EqualsList(L));
  TWideStringList E1, E2;
  EXPECT_TRUE(E1.EqualsList(E2));

  L.AddWideStrings(L);
  EXPECT_EQ(Items(L), (std::vector<std::string>{"one", "two", "one", "two"}));
  EXPECT_EQ(L.ToStringList(), Items(L));

  TStrings Dest{"one", "zwei", "two", "extra", "more"};
  M.SetStrings({"one", "two", "three"});
  M.AssignToStrings(Dest);
  EXPECT_EQ(Dest, (TStrings{"one", "two", "three"}));
  TStrings Short{"one"};
  M.AssignToStrings(Short);
  EXPECT_EQ(Short, (TStrings{"one", "two", "three"}));
}

TEST(WideStringList, StringsProperty) {
  TWideStringList L;
  EXPECT_FALSE(L.HasStringsData(nullptr));
  L.Add("A+B");
  L.Add("\xC2\xA3" "1");
  EXPECT_TRUE(L.HasStringsData(nullptr));
  TWideStringList Ancestor;
  Ancestor.Assign(L);
  EXPECT_FALSE(L.HasStringsData(&Ancestor));
  Ancestor.Add("more");
  EXPECT_TRUE(L.HasStringsData(&Ancestor));
  EXPECT_STREQ(TWideStringList::StringsPropertyName, "Strings");

  std::vector<std::string> Streamed = L.WriteStringsUTF7();
  EXPECT_EQ(Streamed, (std::vector<std::string>{"A+-B", "+AKM-1"}));
  TWideStringList Back;
  Back.ReadStringsUTF7(Streamed);
  EXPECT_TRUE(Back.EqualsList(L));

  // A malformed item fails the read and leaves the list as it was.
  EXPECT_THROW(Back.ReadStringsUTF7({"fine", "+AKN-"}), EUTF7Error);
  EXPECT_TRUE(Back.EqualsList(L));
  EXPECT_EQ(Back.UpdateCount(), 0);

  TWideStringList W;
  W.ReadStringsWide(std::string("a\r\nb"));
  EXPECT_EQ(Items(W), (std::vector<std::string>{"a", "b"}));
  W.ReadStringsWide(std::vector<std::string>{"c\nd"});
  EXPECT_EQ(Items(W), (std::vector<std::string>{"c\nd"}));

  TWideStringList U;
  U.ReadStringsUTF8({"\xC3\xA9", "x"});
  EXPECT_EQ(Items(U), (std::vector<std::string>{"\xC3\xA9", "x"}));
  U.ReadStringsUTF8({"dropped"});  // a list that holds items keeps them
  EXPECT_EQ(Items(U), (std::vector<std::string>{"\xC3\xA9", "x"}));
}
