#include "foundation/files.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include "foundation/numeric.h"
#include "foundation/paths.h"
#include "foundation/utf16.h"
#include "platform/folders.h"
#include "platform/process_runner.h"
#include "platform/trash.h"

namespace kromel {

namespace {

// The runtime's process-wide file-open mode (read/write at start).
std::atomic<bool> GFileModeReadOnly{false};

std::string NameAfterLastSlash(const std::string& Path) {
  std::size_t Slash = Path.find_last_of('/');
  return Slash == std::string::npos ? Path : Path.substr(Slash + 1);
}

bool ReadAll(int Fd, char* Data, std::size_t Count, std::size_t& Got) {
  Got = 0;
  while (Got < Count) {
    ssize_t N = read(Fd, Data + Got, Count - Got);
    if (N < 0 && errno == EINTR) continue;
    if (N < 0) return false;
    if (N == 0) break;
    Got += static_cast<std::size_t>(N);
  }
  return true;
}

int OpenReadOnly(const std::string& FileName) {
  int Fd;
  do {
    Fd = open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
  } while (Fd < 0 && errno == EINTR);
  return Fd;
}

// Base and extension as InsertBeforeFileExt sees them: it puts a NUL (which
// no file name holds) where the extension starts.
void SplitExtension(const std::string& Name, std::string& Base, std::string& Ext) {
  std::string Marked = InsertBeforeFileExt(Name, std::string(1, '\0'));
  std::size_t Mark = Marked.rfind('\0');
  Base = Marked.substr(0, Mark);
  Ext = Marked.substr(Mark + 1);
}

std::string RightAligned6(int32_t V) {
  std::string S = std::to_string(V);
  if (S.size() < 6) S.insert(0, 6 - S.size(), ' ');
  return S;
}

}  // namespace

bool SaveStringToFile(const std::string& FileName, const std::string& Text, TErrorMessageCallback ErrorProc) {
  try {
    GFileModeReadOnly = false;
    TSafeFileWriter W(FileName);
    if (!W.Opened()) {
      if (ErrorProc)
        ErrorProc("Failed to create file " + FileName +
                  (W.TargetNotRegular() ? ": not a regular file" : ""));
      return false;
    }
    bool Ok = W.Write(Text.data(), Text.size()) && W.Commit();
    if (!Ok && ErrorProc) ErrorProc("Failed to save file " + FileName);
    return Ok;
  } catch (...) {
    if (ErrorProc) ErrorProc("Exception in SaveStringToFile " + FileName);
    return false;
  }
}

bool SaveBufferToFile(const std::string& FileName, const void* Buffer, int64_t Count) {
  GFileModeReadOnly = false;
  if (Count < 0 || (Count > 0 && !Buffer)) return false;
  TSafeFileWriter W(FileName);
  return W.Opened() && W.Write(Buffer, static_cast<std::size_t>(Count)) && W.Commit();
}

bool LoadFileToString(const std::string& FileName, std::string& Text) {
  GFileModeReadOnly = true;
  Text.clear();
  int Fd = OpenReadOnly(FileName);
  if (Fd < 0) return false;
  bool Ok = false;
  try {
    struct stat St;
    if (fstat(Fd, &St) == 0) {
      const std::size_t Length = St.st_size > 0 ? static_cast<std::size_t>(St.st_size) : 0;
      std::string Data;
      Data.reserve(Length);
      char Chunk[65536];
      Ok = true;
      for (;;) {
        ssize_t N = read(Fd, Chunk, sizeof Chunk);
        if (N < 0 && errno == EINTR) continue;
        if (N < 0) {
          Ok = false;
          break;
        }
        if (N == 0) break;
        Data.append(Chunk, static_cast<std::size_t>(N));
      }
      if (Ok && Data.size() >= Length) Text = std::move(Data);
      else Ok = false;
    }
  } catch (const std::bad_alloc&) {
    Ok = false;
  }
  close(Fd);
  return Ok;
}

bool LoadFileToBuffer(const std::string& FileName, std::vector<uint8_t>& Buffer, int64_t& Size, int64_t MaxSize) {
  GFileModeReadOnly = true;
  int Fd = OpenReadOnly(FileName);
  if (Fd < 0) {
    Buffer = {};
    return false;
  }
  bool Ok = false;
  struct stat St;
  if (fstat(Fd, &St) == 0) {
    Size = static_cast<int64_t>(St.st_size);
    if (MaxSize <= 0) MaxSize = Size;
    const int64_t Want = MaxSize < Size ? MaxSize : Size;
    try {
      if (Want >= 1 && static_cast<uint64_t>(MaxSize) <= SIZE_MAX) {
        Buffer.assign(static_cast<std::size_t>(MaxSize), 0);
        std::size_t Got = 0;
        Ok = ReadAll(Fd, reinterpret_cast<char*>(Buffer.data()), static_cast<std::size_t>(Want), Got) &&
             Got == static_cast<std::size_t>(Want);
      }
    } catch (const std::bad_alloc&) {
      Ok = false;
    }
  }
  close(Fd);
  if (!Ok) Buffer = {};
  return Ok;
}

bool CanOpenFile(const std::string& FileName) {
  int Fd = open(FileName.c_str(), (GFileModeReadOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC);
  if (Fd < 0) return false;
  close(Fd);
  return true;
}

int GetFileHandle(std::FILE* F) { return F ? fileno(F) : -1; }

TDateTime GetFileDateTime(const std::string& FileName) {
  struct stat St;
  if (stat(FileName.c_str(), &St) != 0) return 0;
  std::time_t Seconds = St.st_mtim.tv_sec;
  std::tm Tm{};
  if (!localtime_r(&Seconds, &Tm)) return 0;
  return EncodeDateTime(Tm.tm_year + 1900, Tm.tm_mon + 1, Tm.tm_mday, Tm.tm_hour, Tm.tm_min,
                        Tm.tm_sec > 59 ? 59 : Tm.tm_sec, static_cast<int>(St.st_mtim.tv_nsec / 1000000));
}

bool DirectoryExistsW(const std::string& Path) { return DirectoryExists(Path); }

bool IsFolderW(const std::string& Path) {
  return (!Path.empty() && Path.back() == '/') || DirectoryExists(Path);
}

bool CreateFolder(const std::string& Path) { return !Path.empty() && mkdir(Path.c_str(), 0777) == 0; }

bool ForceFoldersW(const std::string& Path) {
  std::string Built;
  std::string Rest = Path;
  bool Ok = true;
  std::size_t P;
  while ((P = Rest.find('/')) != std::string::npos) {
    if (P == 0 && Built.empty()) {
      Built = "/";
      Rest.erase(0, 1);
      continue;
    }
    if (P == 0) {
      Rest.erase(0, 1);
      continue;
    }
    Built += Rest.substr(0, P + 1);
    Rest.erase(0, P + 1);
    if (!DirectoryExists(Built)) {
      Ok = mkdir(Built.c_str(), 0777) == 0 || (errno == EEXIST && DirectoryExists(Built));
      if (!Ok) break;
    }
  }
  return Ok;
}

std::string Utf8ToSystemEncoding(const std::string& S) { return Utf16ToUtf8(Utf8ToUtf16(S)); }

bool RenameFileW(const std::string& OldName, const std::string& NewName) {
  return rename(Utf8ToSystemEncoding(OldName).c_str(), Utf8ToSystemEncoding(NewName).c_str()) == 0;
}

bool DeleteFileSafe(const std::string& FileName) { return unlink(FileName.c_str()) == 0; }

std::string GetTrashFolder(const std::string& FileName) {
  std::string Trash = TrashFolderFor(FileName);
  return Trash.empty() ? std::string() : Trash + "/files/";
}

bool MoveFileToTrash(const std::string& FileName) {
  std::string Trash = TrashFolderFor(FileName);
  if (Trash.empty()) return false;
  std::string Base, Ext;
  SplitExtension(NameAfterLastSlash(FileName), Base, Ext);
  if (Base.empty() && Ext.empty()) return false;
  TTrashMove R = MoveIntoTrash(FileName, Trash, Base + Ext);
  for (int32_t Attempt = 0; R == TTrashMove::NameTaken && Attempt < 1000000; ++Attempt)
    R = MoveIntoTrash(FileName, Trash, Base + " " + RightAligned6(RandomInteger(1000000)) + Ext);
  return R == TTrashMove::Moved;
}

bool RunProgram(const std::string& Executable, const std::string& Param1, const std::string& Param2) {
  TProcessOptions Options;
  Options.CloseOtherFiles = true;
  pid_t Pid = StartProcess(Executable, {Param1, Param2}, Options);
  if (Pid < 0) return false;
  ReapProcessInBackground(Pid);
  return true;
}

}  // namespace kromel
