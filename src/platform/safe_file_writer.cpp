#include "platform/safe_file_writer.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kromel {

namespace {

std::string TempNameFor(const std::string& Target) {
  static std::atomic<uint32_t> Counter{0};
  std::size_t Slash = Target.find_last_of('/');
  std::string Folder = Slash == std::string::npos ? std::string() : Target.substr(0, Slash + 1);
  std::string Name = (Slash == std::string::npos ? Target : Target.substr(Slash + 1)).substr(0, 64);
  uint64_t Mix = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  Mix ^= (static_cast<uint64_t>(getpid()) << 32) ^ (static_cast<uint64_t>(Counter.fetch_add(1)) * 0x9E3779B97F4A7C15ull);
  static const char Hex[] = "0123456789abcdef";
  std::string Tag;
  for (int I = 0; I < 8; ++I) Tag += Hex[(Mix >> (I * 4 + 16)) & 15];
  return Folder + ".~" + Name + "." + Tag + ".tmp";
}

}  // namespace

TSafeFileWriter::TSafeFileWriter(const std::string& FileName) : FTarget(FileName) {
  if (FileName.empty() || FileName.back() == '/') {
    FError = ENOENT;
    return;
  }
  struct stat St;
  if (lstat(FTarget.c_str(), &St) == 0 && S_ISLNK(St.st_mode)) {
    char Real[PATH_MAX];
    if (realpath(FTarget.c_str(), Real)) FTarget = Real;
  }
  bool Exists = stat(FTarget.c_str(), &St) == 0;
  if (Exists && S_ISDIR(St.st_mode)) {
    FError = EISDIR;
    return;
  }
  // A rename would replace a pipe, a device or a socket with a file.
  if (Exists && !S_ISREG(St.st_mode)) {
    FError = EINVAL;
    FNotRegular = true;
    return;
  }
  for (int Attempt = 0; Attempt < 100 && FFd < 0; ++Attempt) {
    FTempName = TempNameFor(FTarget);
    FFd = open(FTempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (FFd < 0 && errno != EEXIST && errno != EINTR) break;
  }
  if (FFd < 0) {
    FError = errno;
    FTempName.clear();
    return;
  }
  if (Exists && S_ISREG(St.st_mode)) fchmod(FFd, St.st_mode & 07777);
}

TSafeFileWriter::~TSafeFileWriter() { Discard(); }

bool TSafeFileWriter::Write(const void* Data, std::size_t Count) {
  if (FFd < 0 || FFailed) return false;
  const char* P = static_cast<const char*>(Data);
  std::size_t Done = 0;
  while (Done < Count) {
    ssize_t N = write(FFd, P + Done, Count - Done);
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) {
      FError = N < 0 ? errno : EIO;
      FFailed = true;
      return false;
    }
    Done += static_cast<std::size_t>(N);
  }
  return true;
}

bool TSafeFileWriter::Commit() {
  if (FFd < 0 || FFailed) {
    Discard();
    return false;
  }
  bool Ok = fsync(FFd) == 0 || errno == EINVAL;
  if (!Ok) FError = errno;
  if (close(FFd) != 0 && Ok) {
    FError = errno;
    Ok = false;
  }
  FFd = -1;
  if (Ok && rename(FTempName.c_str(), FTarget.c_str()) != 0) {
    FError = errno;
    Ok = false;
  }
  if (!Ok) {
    unlink(FTempName.c_str());
    FFailed = true;
  }
  FTempName.clear();
  return Ok;
}

void TSafeFileWriter::Discard() {
  if (FFd >= 0) {
    close(FFd);
    FFd = -1;
  }
  if (!FTempName.empty()) {
    unlink(FTempName.c_str());
    FTempName.clear();
  }
  FFailed = true;
}

}  // namespace kromel
