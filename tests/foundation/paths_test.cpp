#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <functional>

#include "foundation/paths.h"
#include "platform/command_line.h"

using namespace kromel;

namespace {
std::string Applied(void (*F)(std::string&), std::string S) {
  F(S);
  return S;
}

struct TCase {
  const char* What;
  std::string Got;
  std::string Expected;
};
}  // namespace

TEST(Paths, Table) {
  const std::vector<TCase> Cases = {
      {"RemoveFileExt 3", RemoveFileExt("a.txt"), "a"},
      {"RemoveFileExt 4", RemoveFileExt("a.tiff"), "a"},
      {"RemoveFileExt short", RemoveFileExt("ab.c"), "ab.c"},
      {"RemoveFileExt only ext", RemoveFileExt(".txt"), ".txt"},
      {"RemoveFileExtW", RemoveFileExtW("/\xE6\x97\xA5/b.png"), "/\xE6\x97\xA5/b"},
      {"RemoveFileExtShort", Applied(RemoveFileExtShort, "clip.tiff"), "clip"},
      {"StripFileExt blank", Applied(StripFileExt, "photo.jpg "), "photo"},
      {"StripFileExt 4", Applied(StripFileExt, "clip.tiff"), "clip"},
      {"StripFileExt 2", Applied(StripFileExt, "archive.gz"), "archive.gz"},
      {"StripFileExt alone", Applied(StripFileExt, ".jpg"), ".jpg"},
      {"StripFileExt inner blank", Applied(StripFileExt, "a b.c d"), "a b.c d"},
      {"StripFileExtW units", Applied(StripFileExtW, "x.\xE6\x97\xA5z"), "x.\xE6\x97\xA5z"},
      {"StripFileExtW", Applied(StripFileExtW, "\xC3\xA9t\xC3\xA9.jpg"), "\xC3\xA9t\xC3\xA9"},
      {"RemoveFixedExt1", Applied(RemoveFixedExt1, "x.BAK"), "x"},
      {"RemoveFixedExt1 alone", Applied(RemoveFixedExt1, ".bak"), ".bak"},
      {"RemoveFixedExt2", Applied(RemoveFixedExt2, "x.old"), "x"},
      {"RemoveWavExt", Applied(RemoveWavExt, ".WAV"), ""},
      {"RemoveWavExt other", Applied(RemoveWavExt, "a.aif"), "a.aif"},
      {"InsertBeforeFileExt", InsertBeforeFileExt("photo.jpg", "_1"), "photo_1.jpg"},
      {"InsertBeforeFileExt none", InsertBeforeFileExt("photo", "_1"), "photo_1"},
      {"InsertBeforeFileExt dot folder", InsertBeforeFileExt("/a.b/photo", "_1"), "/a.b/photo_1"},
      {"InsertBeforeFileExt hidden", InsertBeforeFileExt("/x/.profile", "_1"), "/x/.profile_1"},
      {"IncludeTrailingSlash", Applied(IncludeTrailingSlash, "/a"), "/a/"},
      {"IncludeTrailingSlash empty", Applied(IncludeTrailingSlash, ""), ""},
      {"IncludeTrailingSlash backslash", Applied(IncludeTrailingSlash, "a\\"), "a\\"},
      {"IncludeTrailingSlashW", Applied(IncludeTrailingSlashW, "/a/"), "/a/"},
      {"IncludeTrailingSlashShort nul", Applied(IncludeTrailingSlashShort, std::string("/a\0zz", 5)), "/a/"},
      {"IncludeTrailingSlashShort full", Applied(IncludeTrailingSlashShort, std::string(255, 'x')),
       std::string(255, 'x')},
      {"ExcludeTrailingSlash root", Applied(ExcludeTrailingSlash, "/"), "/"},
      {"ExcludeTrailingSlash", Applied(ExcludeTrailingSlash, "ab/"), "ab"},
      {"ExcludeTrailingSlashW", Applied(ExcludeTrailingSlashW, "a//"), "a/"},
      {"WithoutTrailingSlash", WithoutTrailingSlash("/x/"), "/x"},
      {"NormalizeSlashes", Applied(NormalizeSlashes, "//a///b"), "/a/b"},
      {"NormalizeSlashes mixed", Applied(NormalizeSlashes, "a/\\/b"), "a//b"},
      {"NormalizeSlashes backslashes", Applied(NormalizeSlashes, "a\\\\\\b\\/c"), "a\\b/c"},
      {"NormalizeSlashesW", Applied(NormalizeSlashesW, "a\\/b//c"), "a\\/b/c"},
      {"CollapseDoubleSlashesW", CollapseDoubleSlashesW("a////////b"), "a//b"},
      {"StripToParentFolder", Applied(StripToParentFolder, "/Users/me/Pictures/"), "/Users/me/"},
      {"StripToParentFolder short", Applied(StripToParentFolder, "/abc/"), "/ab"},
      {"StripToParentFolder utf8", Applied(StripToParentFolder, "/\xE6\x97\xA5\xE6\x9C\xAC/"),
       "/\xE6\x97\xA5\xE6\x9C\xAC"},
      {"ExtractFilePathW", ExtractFilePathW("/a/b.txt"), "/a/"},
      {"ExtractFilePathW none", ExtractFilePathW("name.txt"), ""},
      {"ExtractFilePathW colon", ExtractFilePathW("vol:name"), "vol:"},
      {"ExtractFileNameW", ExtractFileNameW("/a/b.txt"), "b.txt"},
      {"ExtractFileNameW folder", ExtractFileNameW("/a/b/"), ""},
      {"ExtractFileNameW none", ExtractFileNameW("b.txt"), "b.txt"},
      {"SetFileNameNumber", SetFileNameNumber("/shots/img0007.png", 12), "/shots/img0012.png"},
      {"SetFileNameNumber wider", SetFileNameNumber("/shots/img0007.png", 12345), "/shots/img12345.png"},
      {"SetFileNameNumber none", SetFileNameNumber("/x/img.png", 3), ""},
      {"SetFileNameNumber all digits", SetFileNameNumber("/x/123.png", 7), "/x/007.png"},
      {"SetFileNameNumber one digit", SetFileNameNumber("/x/5.tif", 6), "/x/6.tif"},
      {"SetFileNameNumber no ext", SetFileNameNumber("take09", 10), "take10"},
      {"MakeValidFileName", MakeValidFileName("a\"b*c,d>e<f:g?h/i\\j|k\xC2\xA5l"), "ab-c_d-e-f-g!h-i-j_k_l"},
      {"MakeValidFileName utf8", MakeValidFileName("\xC3\xA9t\xC3\xA9 1"), "\xC3\xA9t\xC3\xA9 1"},
      {"EncodeURLParam", EncodeURLParam("a b&c"), "a%20b_c"},
      {"EncodeURLParam percent", EncodeURLParam("50%"), "50_"},
      {"EncodeURLParam kept %20", EncodeURLParam("x%20y"), "x%20y"},
      {"EncodeURLParam empty", EncodeURLParam(""), ""},
      {"EncodeURLParam subs", EncodeURLParam("a=b?c!d"), "a_b_c_d"},
      {"EncodeURLParam hash plus", EncodeURLParam("#1+2"), "%231%2B2"},
      {"EncodeURLParam control", EncodeURLParam("a\tb\n"), "a%09b%0A"},
      {"EncodeURLParam non-ASCII", EncodeURLParam("caf\xC3\xA9"), "caf%C3%A9"},
      {"EncodeURLParam unreserved", EncodeURLParam("A-z_0.9~"), "A-z_0.9~"},
  };
  for (const auto& C : Cases) EXPECT_EQ(C.Got, C.Expected) << C.What;
}

TEST(Paths, FileNameNumbers) {
  EXPECT_EQ(GetFileNameNumber("/x/img0007.png"), 7);
  EXPECT_EQ(GetFileNameNumber("/x/img.png"), -1);
  EXPECT_EQ(GetFileNameNumber("/x/take2.tiff"), 2);
  EXPECT_EQ(GetFileNameNumber("/x/123.png"), 123);  // the first digit counts
  EXPECT_EQ(GetFileNameNumber("/x/5.png"), 5);      // a single digit is a number
  EXPECT_EQ(GetFileNameNumber(""), -1);
  EXPECT_EQ(GetFileNameNumber("/x/"), -1);
  EXPECT_EQ(GetFileNameNumber("/x/a99999999999.png"), -1);  // does not fit
}

class CommandLineFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Saved.push_back(ParamStr(0));
    for (int I = 1; I <= ParamCount(); ++I) Saved.push_back(ParamStr(I));
    SetCommandLine(std::vector<std::string>{"/opt/kromel/kromel", "/LUTSIZE:33", "photo.jpg", "-Debug"});
  }
  void TearDown() override { SetCommandLine(Saved); }
  std::vector<std::string> Saved;
};

TEST_F(CommandLineFixture, Lookups) {
  EXPECT_EQ(FindCommandLineParam("/lutsize:"), "/LUTSIZE:33");
  EXPECT_EQ(FindCommandLineParam("/kromel"), "");  // argument 0 is not searched
  EXPECT_EQ(FindCommandLineParam(""), "");
  EXPECT_EQ(FindCommandLineParam("photo.jpgx"), "");
  EXPECT_TRUE(HasCommandLineParam("-DEBUG"));
  EXPECT_FALSE(HasCommandLineParam("-DEBU"));
  EXPECT_EQ(ParamStrW(2), "photo.jpg");
  EXPECT_EQ(ParamStrW(4), "");
  EXPECT_EQ(ParamStrW(-1), "");
}

TEST(Paths, ProgramFoldersFollowTheRealExecutable) {
  const std::filesystem::path Exe = std::filesystem::read_symlink("/proc/self/exe");
  const std::string Folder = Exe.parent_path().string() + "/";
  EXPECT_EQ(ApplicationFolder(), Folder);
  EXPECT_EQ(ProgramFolderW(), Folder);
}
