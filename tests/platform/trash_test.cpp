#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "platform/trash.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

using namespace kromel;
namespace fs = std::filesystem;

namespace {

using kromel::testing::ReadText;
using kromel::testing::WriteText;

// A temporary tree with its own XDG data folder, so the trash is ours.
class TrashTest : public ::testing::Test {
protected:
  void SetUp() override {
    fs::create_directories(Dir / "work");
    DataHome.Set((Dir / "data").string());
  }
  kromel::testing::TTestTempDir Temp{"kromel_trash"};
  fs::path Dir = Temp.Path;
  kromel::testing::TScopedEnv DataHome{"XDG_DATA_HOME"};
};

}  // namespace

TEST_F(TrashTest, HomeTrashFollowsXdgDataHome) {
  EXPECT_EQ(HomeTrashFolder(), (Dir / "data" / "Trash").string());
  DataHome.Set("relative/data");  // not absolute: ignored
  kromel::testing::TScopedEnv Home("HOME", (Dir / "home").string());
  EXPECT_EQ(HomeTrashFolder(), (Dir / "home" / ".local/share/Trash").string());
  DataHome.Set("");
  EXPECT_EQ(HomeTrashFolder(), (Dir / "home" / ".local/share/Trash").string());
}

TEST_F(TrashTest, TrashFolderIsMadeOnTheSameFileSystem) {
  fs::path File = Dir / "work" / "a.cube";
  WriteText(File, "x");
  std::string Trash = TrashFolderFor(File.string());
  EXPECT_EQ(Trash, (Dir / "data" / "Trash").string());
  EXPECT_TRUE(fs::is_directory(Dir / "data" / "Trash" / "files"));
  EXPECT_TRUE(fs::is_directory(Dir / "data" / "Trash" / "info"));
  EXPECT_EQ(TrashFolderFor((Dir / "work" / "missing.cube").string()), "");
  EXPECT_EQ(TrashFolderFor((Dir / "nofolder" / "a.cube").string()), "");
}

TEST_F(TrashTest, MoveRecordsTheOriginalPath) {
  fs::path File = Dir / "work" / "my grade%.cube";
  WriteText(File, "LUT");
  std::string Trash = TrashFolderFor(File.string());
  ASSERT_FALSE(Trash.empty());
  ASSERT_EQ(MoveIntoTrash(File.string(), Trash, "my grade%.cube"), TTrashMove::Moved);
  EXPECT_FALSE(fs::exists(File));
  EXPECT_EQ(ReadText(fs::path(Trash) / "files" / "my grade%.cube"), "LUT");
  std::string Info = ReadText(fs::path(Trash) / "info" / "my grade%.cube.trashinfo");
  std::string Escaped = (Dir / "work").string() + "/my%20grade%25.cube";
  EXPECT_EQ(Info.rfind("[Trash Info]\nPath=" + Escaped + "\nDeletionDate=", 0), 0u) << Info;
}

TEST_F(TrashTest, NeverReplacesAnEntry) {
  fs::path File = Dir / "work" / "grade.cube";
  WriteText(File, "new");
  std::string Trash = TrashFolderFor(File.string());
  ASSERT_FALSE(Trash.empty());
  fs::path Files = fs::path(Trash) / "files";
  fs::path Info = fs::path(Trash) / "info";

  // A file that appeared in files/ without its info file.
  WriteText(Files / "grade.cube", "old");
  EXPECT_EQ(MoveIntoTrash(File.string(), Trash, "grade.cube"), TTrashMove::NameTaken);
  EXPECT_EQ(ReadText(Files / "grade.cube"), "old");
  EXPECT_EQ(ReadText(File), "new");
  EXPECT_FALSE(fs::exists(Info / "grade.cube.trashinfo"));

  // A name whose info file is taken.
  WriteText(Info / "other.cube.trashinfo", "[Trash Info]\n");
  EXPECT_EQ(MoveIntoTrash(File.string(), Trash, "other.cube"), TTrashMove::NameTaken);
  EXPECT_FALSE(fs::exists(Files / "other.cube"));
  EXPECT_EQ(ReadText(Info / "other.cube.trashinfo"), "[Trash Info]\n");

  EXPECT_EQ(MoveIntoTrash(File.string(), Trash, "grade 1.cube"), TTrashMove::Moved);
  EXPECT_EQ(ReadText(Files / "grade 1.cube"), "new");
  EXPECT_EQ(MoveIntoTrash((Dir / "work" / "gone").string(), Trash, "gone"), TTrashMove::Failed);
  EXPECT_FALSE(fs::exists(Info / "gone.trashinfo"));
  EXPECT_EQ(MoveIntoTrash(File.string(), Trash, "a/b"), TTrashMove::Failed);
}

TEST_F(TrashTest, AbsoluteFileName) {
  fs::path Cwd = fs::current_path();
  fs::current_path(Dir);
  EXPECT_EQ(AbsoluteFileName("work/x.cube"), (fs::canonical(Dir) / "work" / "x.cube").string());
  EXPECT_EQ(AbsoluteFileName("work/../work/x"), (fs::canonical(Dir) / "work" / "x").string());
  EXPECT_EQ(AbsoluteFileName("work/"), "");
  EXPECT_EQ(AbsoluteFileName("nofolder/x"), "");
  EXPECT_EQ(AbsoluteFileName(""), "");
  fs::current_path(Cwd);
}

TEST_F(TrashTest, RevealPassesTheFolderAsOneArgument) {
  // A stand-in file manager on a private PATH: mkdir makes the folder it is
  // given, so a folder name split at its blank would make two others.
  fs::create_directories(Dir / "bin");
  fs::copy_file("/usr/bin/mkdir", Dir / "bin" / "xdg-open");
  bool Started = false;
  {
    kromel::testing::TScopedEnv Path("PATH", (Dir / "bin").string());
    fs::path Cwd = fs::current_path();
    fs::current_path(Dir / "work");
    Started = RevealInFileManager((Dir / "new folder; x" / "a.cube").string());
    fs::current_path(Cwd);
  }
  ASSERT_TRUE(Started);
  // The stand-in runs on its own; wait for its result without a timer.
  for (int I = 0; I < 5000 && !fs::exists(Dir / "new folder; x"); ++I) usleep(1000);
  EXPECT_TRUE(fs::is_directory(Dir / "new folder; x"));
  EXPECT_FALSE(fs::exists(Dir / "new"));
  EXPECT_FALSE(fs::exists(Dir / "work" / "folder;"));
  EXPECT_FALSE(fs::exists(Dir / "work" / "x"));
}
