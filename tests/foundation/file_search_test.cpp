#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <unistd.h>

#include "foundation/file_search.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

using namespace kromel;
using kromel::testing::WriteText;
namespace fs = std::filesystem;

namespace {

// P/  A1.jpg a1.jpg a22.jpg b1.png .hidden.png  .git/a5.jpg
//     R/a6.jpg  S/a3.jpg S/T/b4.png  S/loop -> P
class FileSearch : public ::testing::Test {
protected:
  void SetUp() override {
    for (const char* F : {"A1.jpg", "a1.jpg", "a22.jpg", "b1.png", ".hidden.png", ".git/a5.jpg",
                          "R/a6.jpg", "S/a3.jpg", "S/T/b4.png"}) {
      fs::create_directories((P / F).parent_path());
      WriteText((P / F).string(), "x");
    }
    fs::create_directory_symlink(P, P / "S" / "loop");
  }
  std::string At(const std::string& Rel) const { return P.string() + "/" + Rel; }
  std::vector<std::string> All(std::initializer_list<const char*> Rel) const {
    std::vector<std::string> R;
    for (const char* S : Rel) R.push_back(At(S));
    return R;
  }

  kromel::testing::TTestTempDir Temp{"kromel_search"};
  fs::path P = Temp.Path / "P";
};

}  // namespace

TEST_F(FileSearch, MaskListsFolderFirstThenSubfoldersDepthFirst) {
  TStrings L;
  FindFiles(At("a?.jpg;b?.png"), L, false);
  EXPECT_EQ(L, All({"a1.jpg", "b1.png"}));

  L.clear();
  FindFiles(At("a?.jpg;b?.png"), L, true);  // goes on with P/S/a?.jpg;b?.png, never through loop
  EXPECT_EQ(L, All({"a1.jpg", "b1.png", "R/a6.jpg", "S/a3.jpg", "S/T/b4.png"}));

  // A file matched by two masks (or searched twice) is listed once; case counts.
  L.clear();
  FindFiles(At("a?.jpg;a1.*;*1.jpg"), L, false);
  FindFiles(At("a1.jpg"), L, false);
  EXPECT_EQ(L, All({"a1.jpg", "A1.jpg"}));

  // A folder mask lists every entry not beginning with '.', folders too; an
  // empty mask item adds nothing.
  L.clear();
  FindFiles(At(";"), L, false);
  EXPECT_EQ(L, All({"A1.jpg", "R", "S", "a1.jpg", "a22.jpg", "b1.png"}));

  // A mask naming another folder reports that folder; an empty item adds nothing.
  L.clear();
  FindFiles(At("a?.jpg;") + ";" + At("R/a6.jpg"), L, false);
  EXPECT_EQ(L, All({"a1.jpg", "R/a6.jpg"}));

  // Doubled separators in the folder part.
  L.clear();
  FindFiles(P.string() + "//b?.png", L, true);
  EXPECT_EQ(L, All({"b1.png", "S/T/b4.png"}));

  L.clear();
  FindFiles(At("missing/*.jpg"), L, true);
  EXPECT_TRUE(L.empty());
}

TEST_F(FileSearch, WideFormListsFoldersAndHiddenFiles) {
  TWideStringList L;
  FindFilesW(At("a1.jpg"), L, true, false);
  EXPECT_EQ(L.ToStringList(), All({"../", "R/", "S/", "a1.jpg"}));

  L.Clear();
  FindFilesW(At("*.png"), L, false, true);  // subfolders first, hidden names included
  EXPECT_EQ(L.ToStringList(), All({"S/T/b4.png", ".hidden.png", "b1.png"}));
  FindFilesW(At("*.png"), L, false, false);
  EXPECT_EQ(L.GetCount(), 3);  // nothing twice
}

TEST_F(FileSearch, TreeListsEveryEntryWithoutSkipping) {
  TStrings L;
  FindFilesTree(P.string() + "/", L);
  EXPECT_EQ(L, All({".git", ".hidden.png", "A1.jpg", "R", "S", "a1.jpg", "a22.jpg", "b1.png",
                    "R/a6.jpg", "S/T", "S/a3.jpg", "S/loop", "S/T/b4.png"}));

  TStrings N, Seen;
  FindFilesTreeNotify(At("*.jpg"), N, [&](const std::string& F) { Seen.push_back(F); });
  EXPECT_EQ(N, All({"A1.jpg", "a1.jpg", "a22.jpg", "R/a6.jpg", "S/a3.jpg"}));
  EXPECT_EQ(Seen, N);
}

TEST_F(FileSearch, StepsThroughTheImagesOfAFolder) {
  const fs::path Q = Temp.Path / "Q";
  fs::create_directories(Q);
  for (const char* F : {"c.jpg", "B.tif", "a.png", "d.txt", "e.JPG", ".x.jpg"})
    WriteText((Q / F).string(), "x");
  const std::string Masks = "*.jpg;*.jpeg;*.png;*.tif;*.tiff";
  const std::string D = Q.string() + "/";
  struct TCase {
    std::string File, Prev, Next;
  };
  const TCase Cases[] = {
      {"a.png", "", "B.tif"},
      {"B.tif", "a.png", "c.jpg"},
      {"c.jpg", "B.tif", ""},   // no wrap-around at either end
      {"d.txt", "", ""},        // not matched by the masks
      {"e.JPG", "", ""},        // masks are case-sensitive
      {"gone.png", "", ""},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.File);
    EXPECT_EQ(GetPrevFileInFolder(D + C.File, Masks), C.Prev.empty() ? "" : D + C.Prev);
    EXPECT_EQ(GetNextFileInFolder(D + C.File, Masks), C.Next.empty() ? "" : D + C.Next);
  }

  std::set<std::string> Drawn;
  for (int I = 0; I < 200; ++I) Drawn.insert(GetRandomFileInFolder(D + "a.png", Masks));
  EXPECT_EQ(Drawn, (std::set<std::string>{D + "a.png", D + "B.tif", D + "c.jpg"}));
  fs::create_directories(Temp.Path / "empty");
  EXPECT_EQ(GetRandomFileInFolder((Temp.Path / "empty" / "x.jpg").string(), Masks), "");

  // A name without folder is looked up in the current folder, which prefixes the results.
  const fs::path Old = fs::current_path();
  fs::current_path(Q);
  const std::string Cwd = fs::current_path().string() + "/";
  EXPECT_EQ(GetNextFileInFolder("a.png", Masks), Cwd + "B.tif");
  fs::current_path(Old);
}
