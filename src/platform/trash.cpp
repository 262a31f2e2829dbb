#include "platform/trash.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/process_runner.h"

namespace kromel {

namespace {

std::string EnvText(const char* Name) {
  const char* V = std::getenv(Name);
  return V ? std::string(V) : std::string();
}

bool IsRealFolder(const std::string& Path) {
  struct stat St;
  return lstat(Path.c_str(), &St) == 0 && S_ISDIR(St.st_mode);
}

// Makes Path and the folders above it that are missing (mode 0700).
bool MakeFolders(const std::string& Path) {
  if (Path.empty()) return false;
  std::string Built;
  std::size_t Pos = 0;
  while (Pos <= Path.size()) {
    std::size_t Next = Path.find('/', Pos);
    if (Next == std::string::npos) Next = Path.size();
    Built = Path.substr(0, Next);
    Pos = Next + 1;
    if (Built.empty() || Built.back() == '/') continue;
    if (mkdir(Built.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat St;
  return stat(Path.c_str(), &St) == 0 && S_ISDIR(St.st_mode);
}

bool UsableTrash(const std::string& Trash) {
  if (!MakeFolders(Trash + "/files") || !MakeFolders(Trash + "/info")) return false;
  return access((Trash + "/files").c_str(), W_OK) == 0 && access((Trash + "/info").c_str(), W_OK) == 0;
}

std::string ParentOf(const std::string& Path) {
  std::size_t Slash = Path.find_last_of('/');
  if (Slash == std::string::npos || Slash == 0) return "/";
  return Path.substr(0, Slash);
}

// Device of Path or of its nearest existing ancestor.
bool DeviceOf(std::string Path, dev_t& Dev) {
  for (;;) {
    struct stat St;
    if (stat(Path.c_str(), &St) == 0) {
      Dev = St.st_dev;
      return true;
    }
    if (Path == "/" || Path.empty()) return false;
    Path = ParentOf(Path);
  }
}

// The top folder of the mount that holds Folder (a resolved absolute path).
std::string TopFolderOf(std::string Folder) {
  struct stat St;
  if (stat(Folder.c_str(), &St) != 0) return {};
  while (Folder != "/") {
    std::string Up = ParentOf(Folder);
    struct stat UpSt;
    if (stat(Up.c_str(), &UpSt) != 0 || UpSt.st_dev != St.st_dev) break;
    Folder = Up;
  }
  return Folder;
}

// RFC 2396 escaping of a path for the Path key of an info file.
std::string EscapePath(const std::string& Path) {
  static const char Hex[] = "0123456789ABCDEF";
  std::string Out;
  for (unsigned char C : Path) {
    bool Plain = (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') ||
                 std::string("-_.!~*'()/").find(static_cast<char>(C)) != std::string::npos;
    if (Plain) {
      Out += static_cast<char>(C);
    } else {
      Out += '%';
      Out += Hex[C >> 4];
      Out += Hex[C & 15];
    }
  }
  return Out;
}

std::string LocalTimeText() {
  std::time_t Now = std::time(nullptr);
  std::tm Tm{};
  localtime_r(&Now, &Tm);
  char Buf[32];
  std::strftime(Buf, sizeof Buf, "%Y-%m-%dT%H:%M:%S", &Tm);
  return Buf;
}

bool WriteAll(int Fd, const std::string& Text) {
  std::size_t Done = 0;
  while (Done < Text.size()) {
    ssize_t N = write(Fd, Text.data() + Done, Text.size() - Done);
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) return false;
    Done += static_cast<std::size_t>(N);
  }
  return true;
}

// Renames without ever replacing Target: 0, or the errno of the failure
// (EEXIST when Target exists).
int RenameNoReplace(const std::string& Source, const std::string& Target) {
  if (renameat2(AT_FDCWD, Source.c_str(), AT_FDCWD, Target.c_str(), RENAME_NOREPLACE) == 0) return 0;
  int Err = errno;
  if (Err != EINVAL && Err != ENOSYS && Err != ENOTSUP) return Err;
  // The file system cannot rename without replacing: a hard link fails when
  // Target exists, and the old name goes after it.
  if (link(Source.c_str(), Target.c_str()) != 0) return errno;
  if (unlink(Source.c_str()) != 0) {
    Err = errno;
    unlink(Target.c_str());
    return Err;
  }
  return 0;
}

}  // namespace

std::string HomeTrashFolder() {
  std::string Data = EnvText("XDG_DATA_HOME");
  if (Data.empty() || Data[0] != '/') {
    std::string Home = EnvText("HOME");
    if (Home.empty()) Home = "/";
    while (Home.size() > 1 && Home.back() == '/') Home.pop_back();
    Data = (Home == "/" ? std::string() : Home) + "/.local/share";
  }
  while (Data.size() > 1 && Data.back() == '/') Data.pop_back();
  return Data + "/Trash";
}

std::string AbsoluteFileName(const std::string& FileName) {
  if (FileName.empty()) return {};
  std::string Path = FileName;
  if (Path[0] != '/') {
    char Cwd[PATH_MAX];
    if (!getcwd(Cwd, sizeof Cwd)) return {};
    Path = std::string(Cwd) + "/" + Path;
  }
  std::size_t Slash = Path.find_last_of('/');
  std::string Name = Path.substr(Slash + 1);
  if (Name.empty() || Name == "." || Name == "..") return {};
  std::string Folder = Slash == 0 ? "/" : Path.substr(0, Slash);
  char Real[PATH_MAX];
  if (!realpath(Folder.c_str(), Real)) return {};
  std::string R = Real;
  return (R == "/" ? std::string() : R) + "/" + Name;
}

std::string TrashFolderFor(const std::string& FileName) {
  std::string Abs = AbsoluteFileName(FileName);
  if (Abs.empty()) return {};
  struct stat St;
  if (lstat(Abs.c_str(), &St) != 0) return {};

  std::string Home = HomeTrashFolder();
  dev_t HomeDev;
  if (DeviceOf(Home, HomeDev) && HomeDev == St.st_dev) return UsableTrash(Home) ? Home : std::string();

  std::string Top = TopFolderOf(ParentOf(Abs));
  if (Top.empty()) return {};
  std::string Base = Top == "/" ? std::string() : Top;
  std::string Uid = std::to_string(getuid());
  struct stat Shared;
  std::string SharedTrash = Base + "/.Trash";
  if (lstat(SharedTrash.c_str(), &Shared) == 0 && S_ISDIR(Shared.st_mode) && (Shared.st_mode & S_ISVTX)) {
    std::string Mine = SharedTrash + "/" + Uid;
    if ((IsRealFolder(Mine) || mkdir(Mine.c_str(), 0700) == 0) && UsableTrash(Mine)) return Mine;
  }
  std::string Own = Base + "/.Trash-" + Uid;
  if (lstat(Own.c_str(), &Shared) == 0 && !S_ISDIR(Shared.st_mode)) return {};
  if ((IsRealFolder(Own) || mkdir(Own.c_str(), 0700) == 0) && UsableTrash(Own)) return Own;
  return {};
}

TTrashMove MoveIntoTrash(const std::string& FileName, const std::string& Trash,
                         const std::string& Name) {
  if (Trash.empty() || Name.empty() || Name.find('/') != std::string::npos) return TTrashMove::Failed;
  std::string Abs = AbsoluteFileName(FileName);
  if (Abs.empty()) return TTrashMove::Failed;
  std::string Info = Trash + "/info/" + Name + ".trashinfo";
  std::string Target = Trash + "/files/" + Name;

  // The info file reserves the name; creating it fails when it is taken.
  int Fd = open(Info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (Fd < 0) return errno == EEXIST ? TTrashMove::NameTaken : TTrashMove::Failed;
  bool Written = WriteAll(Fd, "[Trash Info]\nPath=" + EscapePath(Abs) + "\nDeletionDate=" + LocalTimeText() + "\n");
  if (close(Fd) != 0) Written = false;
  if (!Written) {
    unlink(Info.c_str());
    return TTrashMove::Failed;
  }
  int Err = RenameNoReplace(Abs, Target);
  if (Err == 0) return TTrashMove::Moved;
  unlink(Info.c_str());
  return Err == EEXIST ? TTrashMove::NameTaken : TTrashMove::Failed;
}

bool RevealInFileManager(const std::string& FileName) {
  std::string Abs = AbsoluteFileName(FileName);
  std::string Folder = Abs.empty() ? ParentOf(FileName) : ParentOf(Abs);
  TProcessOptions Options;
  Options.CloseOtherFiles = true;
  pid_t Pid = StartProcess("xdg-open", {Folder}, Options);
  if (Pid < 0) return false;
  ReapProcessInBackground(Pid);
  return true;
}

}  // namespace kromel
