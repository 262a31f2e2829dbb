#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "foundation/date_time.h"
#include "foundation/files.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

using namespace kromel;
namespace fs = std::filesystem;

namespace {

using kromel::testing::ReadText;
using kromel::testing::WriteText;

std::vector<std::string>& Reports() {
  static std::vector<std::string> R;
  return R;
}
void Report(const std::string& Text) { Reports().push_back(Text); }

// Makes every write beyond Bytes in a file fail (EFBIG) while it lives; this
// holds for root too, unlike permissions.
class TFileSizeLimit {
public:
  explicit TFileSizeLimit(rlim_t Bytes) {
    getrlimit(RLIMIT_FSIZE, &FOld);
    FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit L = FOld;
    L.rlim_cur = Bytes;
    setrlimit(RLIMIT_FSIZE, &L);
  }
  ~TFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &FOld);
    std::signal(SIGXFSZ, FOldHandler);
  }

private:
  rlimit FOld{};
  void (*FOldHandler)(int) = nullptr;
};

class FilesTest : public ::testing::Test {
protected:
  void SetUp() override { Reports().clear(); }
  void TearDown() override { fs::permissions(Dir, fs::perms::owner_all, fs::perm_options::add); }
  // Entries of Dir other than the given ones (left-over temporary files).
  std::vector<std::string> Others(const std::vector<std::string>& Known) {
    std::vector<std::string> R;
    for (const auto& E : fs::directory_iterator(Dir)) {
      std::string N = E.path().filename().string();
      if (std::find(Known.begin(), Known.end(), N) == Known.end()) R.push_back(N);
    }
    return R;
  }
  kromel::testing::TTestTempDir Temp{"kromel_files"};
  fs::path Dir = Temp.Path;
};

}  // namespace

TEST_F(FilesTest, SaveStringToFileWritesExactBytes) {
  fs::path F = Dir / "a.cube";
  ASSERT_TRUE(SaveStringToFile(F.string(), "", Report));
  EXPECT_TRUE(fs::exists(F));
  EXPECT_EQ(fs::file_size(F), 0u);
  const std::string Text("line 1\r\nline\0 2", 15);
  ASSERT_TRUE(SaveStringToFile(F.string(), Text, Report));
  EXPECT_EQ(ReadText(F), Text);
  EXPECT_TRUE(Reports().empty());
  EXPECT_TRUE(Others({"a.cube"}).empty());

  ASSERT_TRUE(SaveStringToFile(F.string(), "x", nullptr));
  EXPECT_EQ(ReadText(F), "x");
}

TEST_F(FilesTest, SaveKeepsModeAndFollowsLinks) {
  fs::path F = Dir / "p.txt";
  WriteText(F, "old");
  ASSERT_EQ(chmod(F.c_str(), 0640), 0);
  ASSERT_TRUE(SaveStringToFile(F.string(), "new"));
  struct stat St;
  ASSERT_EQ(stat(F.c_str(), &St), 0);
  EXPECT_EQ(St.st_mode & 07777, 0640u);

  fs::path Link = Dir / "link.txt";
  fs::create_symlink(F, Link);
  ASSERT_TRUE(SaveStringToFile(Link.string(), "via link"));
  EXPECT_TRUE(fs::is_symlink(Link));
  EXPECT_EQ(ReadText(F), "via link");

  EXPECT_FALSE(SaveStringToFile(Dir.string(), "a folder", Report));
  EXPECT_EQ(Reports(), (std::vector<std::string>{"Failed to create file " + Dir.string()}));
}

// Only regular files go through temporary-and-rename: a named pipe (or a
// link to one) is refused and stays a pipe.
TEST_F(FilesTest, SaveOntoANamedPipeIsRefused) {
  fs::path Pipe = Dir / "pipe";
  ASSERT_EQ(mkfifo(Pipe.c_str(), 0600), 0);
  fs::path Link = Dir / "pipe-link";
  fs::create_symlink(Pipe, Link);
  for (const fs::path& Target : {Pipe, Link}) {
    Reports().clear();
    EXPECT_FALSE(SaveStringToFile(Target.string(), "text", Report));
    EXPECT_EQ(Reports(), (std::vector<std::string>{"Failed to create file " + Target.string() +
                                                   ": not a regular file"}));
    EXPECT_FALSE(SaveBufferToFile(Target.string(), "abc", 3));
    EXPECT_TRUE(fs::is_fifo(Pipe));
  }
  EXPECT_TRUE(Others({"pipe", "pipe-link"}).empty());
}

TEST_F(FilesTest, FailedSaveLeavesThePreviousFile) {
  fs::path F = Dir / "grade.cube";
  const std::string Old = "TITLE \"old\"\nLUT_3D_SIZE 2\n";
  WriteText(F, Old);

  {
    TFileSizeLimit Limit(8);
    EXPECT_FALSE(SaveStringToFile(F.string(), std::string(4096, 'n'), Report));
  }
  EXPECT_EQ(ReadText(F), Old);
  EXPECT_EQ(Reports(), (std::vector<std::string>{"Failed to save file " + F.string()}));
  EXPECT_TRUE(Others({"grade.cube"}).empty());

  {
    TFileSizeLimit Limit(8);
    const std::string Big(100, 'b');
    EXPECT_FALSE(SaveBufferToFile(F.string(), Big.data(), 100));
  }
  EXPECT_EQ(ReadText(F), Old);
  EXPECT_TRUE(Others({"grade.cube"}).empty());

  Reports().clear();
  fs::path Missing = Dir / "no" / "such.cube";
  EXPECT_FALSE(SaveStringToFile(Missing.string(), "x", Report));
  EXPECT_EQ(Reports(), (std::vector<std::string>{"Failed to create file " + Missing.string()}));

  if (geteuid() != 0) {  // permissions do not stop root
    Reports().clear();
    fs::permissions(Dir, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(SaveStringToFile(F.string(), "new", Report));
    fs::permissions(Dir, fs::perms::owner_all);
    EXPECT_EQ(ReadText(F), Old);
    EXPECT_EQ(Reports(), (std::vector<std::string>{"Failed to create file " + F.string()}));
  }
}

TEST_F(FilesTest, LoadFileToStringAndBuffer) {
  fs::path F = Dir / "data.bin";
  std::string Bytes;
  for (int I = 0; I < 100; ++I) Bytes += static_cast<char>(I);
  WriteText(F, Bytes);

  std::string Text = "stale";
  EXPECT_TRUE(LoadFileToString(F.string(), Text));
  EXPECT_EQ(Text, Bytes);
  EXPECT_FALSE(LoadFileToString((Dir / "missing").string(), Text));
  EXPECT_EQ(Text, "");

  std::vector<uint8_t> Buf;
  int64_t Size = -7;
  ASSERT_TRUE(LoadFileToBuffer(F.string(), Buf, Size, 10));
  EXPECT_EQ(Size, 100);
  ASSERT_EQ(Buf.size(), 10u);
  EXPECT_EQ(Buf[9], 9);
  ASSERT_TRUE(LoadFileToBuffer(F.string(), Buf, Size, 0));
  EXPECT_EQ(Buf.size(), 100u);
  ASSERT_TRUE(LoadFileToBuffer(F.string(), Buf, Size, 120));  // room beyond the file is zero
  ASSERT_EQ(Buf.size(), 120u);
  EXPECT_EQ(Buf[99], 99);
  EXPECT_EQ(Buf[119], 0);

  Size = -7;
  EXPECT_FALSE(LoadFileToBuffer((Dir / "missing").string(), Buf, Size, 0));
  EXPECT_EQ(Size, -7);
  EXPECT_TRUE(Buf.empty());

  // A read that fails (a folder opens but cannot be read) is no success and
  // leaves no buffer.
  Buf.assign(5, 1);
  EXPECT_FALSE(LoadFileToBuffer(Dir.string(), Buf, Size, 16));
  EXPECT_TRUE(Buf.empty());

  fs::path Empty = Dir / "empty";
  WriteText(Empty, "");
  EXPECT_FALSE(LoadFileToBuffer(Empty.string(), Buf, Size, 0));
  EXPECT_EQ(Size, 0);
  EXPECT_TRUE(Buf.empty());
}

TEST_F(FilesTest, SizesBeyond32Bits) {
  fs::path F = Dir / "sparse.bin";
  const int64_t Big = (int64_t(5) << 30) + 3;
  {
    std::ofstream Out(F, std::ios::binary);
    Out << "HEAD";
  }
  fs::resize_file(F, static_cast<std::uintmax_t>(Big));  // sparse: no disk used
  std::vector<uint8_t> Buf;
  int64_t Size = 0;
  ASSERT_TRUE(LoadFileToBuffer(F.string(), Buf, Size, 4));
  EXPECT_EQ(Size, Big);
  EXPECT_EQ(std::string(Buf.begin(), Buf.end()), "HEAD");
}

TEST_F(FilesTest, FoldersRenameAndDelete) {
  EXPECT_TRUE(IsFolderW("/no/such/"));
  EXPECT_FALSE(IsFolderW("/no/such"));
  EXPECT_TRUE(IsFolderW(Dir.string()));
  EXPECT_TRUE(DirectoryExistsW(Dir.string()));
  EXPECT_FALSE(DirectoryExistsW((Dir / "x").string()));

  const std::string D = Dir.string();
  struct Case {
    std::string Path;
    std::vector<std::string> Made;
    std::string NotMade;
  };
  const Case Cases[] = {
      {D + "/x/y/", {"/x", "/x/y"}, ""},
      {D + "/p//q/", {"/p", "/p/q"}, ""},
      {D + "/a/b/c", {"/a", "/a/b"}, "/a/b/c"},
  };
  for (const Case& C : Cases) {
    EXPECT_TRUE(ForceFoldersW(C.Path)) << C.Path;
    for (const std::string& M : C.Made) EXPECT_TRUE(fs::is_directory(D + M)) << M;
    if (!C.NotMade.empty()) {
      EXPECT_FALSE(fs::exists(D + C.NotMade));
    }
  }
  EXPECT_TRUE(ForceFoldersW("nofolder"));
  WriteText(Dir / "file", "f");
  EXPECT_FALSE(ForceFoldersW(D + "/file/sub/"));

  EXPECT_TRUE(CreateFolder(D + "/one"));
  EXPECT_FALSE(CreateFolder(D + "/one"));
  EXPECT_FALSE(CreateFolder(D + "/two/three"));

  EXPECT_TRUE(RenameFileW(D + "/file", D + "/one/moved \xC3\xA9"));
  EXPECT_EQ(ReadText(D + "/one/moved \xC3\xA9"), "f");
  EXPECT_FALSE(RenameFileW(D + "/file", D + "/again"));
  EXPECT_TRUE(DeleteFileSafe(D + "/one/moved \xC3\xA9"));
  EXPECT_FALSE(DeleteFileSafe(D + "/one/moved \xC3\xA9"));
  EXPECT_EQ(Utf8ToSystemEncoding("caf\xC3\xA9"), "caf\xC3\xA9");
  EXPECT_EQ(Utf8ToSystemEncoding("bad\xFF"), "bad\xEF\xBF\xBD");
}

TEST_F(FilesTest, OpenModeDateAndHandle) {
  fs::path F = Dir / "m.txt";
  WriteText(F, "m");
  EXPECT_TRUE(CanOpenFile(F.string()));
  EXPECT_FALSE(CanOpenFile((Dir / "missing").string()));
  std::string T;
  LoadFileToString(F.string(), T);
  EXPECT_TRUE(CanOpenFile("/proc/self/exe"));  // read-only now
  SaveStringToFile(F.string(), "m");
  EXPECT_FALSE(CanOpenFile("/proc/self/exe"));  // read/write again: a running program refuses

  const TDateTime Stamp = EncodeDateTime(2021, 3, 4, 5, 6, 7, 0);
  int Y, Mo, D, H, Mi, S, Ms;
  DecodeDateTime(Stamp, Y, Mo, D, H, Mi, S, Ms);
  std::tm Tm{};
  Tm.tm_year = Y - 1900;
  Tm.tm_mon = Mo - 1;
  Tm.tm_mday = D;
  Tm.tm_hour = H;
  Tm.tm_min = Mi;
  Tm.tm_sec = S;
  Tm.tm_isdst = -1;
  timespec Times[2];
  Times[0].tv_sec = Times[1].tv_sec = std::mktime(&Tm);
  Times[0].tv_nsec = Times[1].tv_nsec = 250000000;
  ASSERT_EQ(utimensat(AT_FDCWD, F.c_str(), Times, 0), 0);
  EXPECT_NEAR(GetFileDateTime(F.string()), Stamp + 0.25 / 86400, 1e-9);
  EXPECT_EQ(GetFileDateTime((Dir / "missing").string()), 0);

  std::FILE* Fp = std::fopen(F.c_str(), "rb");
  ASSERT_NE(Fp, nullptr);
  EXPECT_EQ(GetFileHandle(Fp), fileno(Fp));
  std::fclose(Fp);
  EXPECT_EQ(GetFileHandle(nullptr), -1);
}

TEST_F(FilesTest, MoveFileToTrashNamesAndNeverOverwrites) {
  kromel::testing::TScopedEnv DataHome("XDG_DATA_HOME", (Dir / "data").string());
  fs::create_directories(Dir / "one");
  fs::create_directories(Dir / "two");
  WriteText(Dir / "one" / "grade.cube", "first");
  WriteText(Dir / "two" / "grade.cube", "second");
  WriteText(Dir / "two" / ".hidden", "h");
  WriteText(Dir / "two" / "noext", "n");

  std::string Files = GetTrashFolder((Dir / "one" / "grade.cube").string());
  EXPECT_EQ(Files, (Dir / "data" / "Trash" / "files").string() + "/");

  ASSERT_TRUE(MoveFileToTrash((Dir / "one" / "grade.cube").string()));
  EXPECT_EQ(ReadText(Files + "grade.cube"), "first");  // a free name is kept exactly
  ASSERT_TRUE(MoveFileToTrash((Dir / "two" / "grade.cube").string()));
  EXPECT_EQ(ReadText(Files + "grade.cube"), "first");
  ASSERT_TRUE(MoveFileToTrash((Dir / "two" / ".hidden").string()));
  ASSERT_TRUE(MoveFileToTrash((Dir / "two" / "noext").string()));
  WriteText(Dir / "two" / "noext", "n2");
  ASSERT_TRUE(MoveFileToTrash((Dir / "two" / "noext").string()));

  std::vector<std::string> Names;
  for (const auto& E : fs::directory_iterator(Files)) Names.push_back(E.path().filename().string());
  std::sort(Names.begin(), Names.end());
  ASSERT_EQ(Names.size(), 5u);
  std::string Second, SecondNoExt;
  for (const std::string& N : Names) {
    if (std::regex_match(N, std::regex("grade [ 0-9]{6}\\.cube"))) Second = N;
    if (std::regex_match(N, std::regex("noext [ 0-9]{6}"))) SecondNoExt = N;
  }
  ASSERT_FALSE(Second.empty());
  ASSERT_FALSE(SecondNoExt.empty());
  EXPECT_EQ(ReadText(Files + Second), "second");
  EXPECT_EQ(ReadText(Files + SecondNoExt), "n2");
  EXPECT_EQ(ReadText(Files + ".hidden"), "h");
  EXPECT_EQ(ReadText(Files + "noext"), "n");
  EXPECT_TRUE(fs::exists(Dir / "data" / "Trash" / "info" / (Second + ".trashinfo")));
  // The number is right-aligned with blanks: its digits follow the blanks.
  EXPECT_TRUE(std::regex_match(Second, std::regex("grade  *[0-9]+\\.cube")));

  EXPECT_FALSE(MoveFileToTrash((Dir / "two" / "missing.cube").string()));
}

TEST_F(FilesTest, RunProgramPassesTwoWholeArguments) {
  fs::path Out = Dir / "copy of it";
  WriteText(Dir / "a \"quoted\" name", "payload");
  ASSERT_TRUE(RunProgram("/usr/bin/cp", (Dir / "a \"quoted\" name").string(), Out.string()));
  // cp runs on independently; wait for its result without a timer.
  for (int I = 0; I < 5000 && ReadText(Out) != "payload"; ++I) usleep(1000);
  EXPECT_EQ(ReadText(Out), "payload");
  EXPECT_FALSE(RunProgram("/no/such/program", "", ""));
}
