// Writing a file safely: the bytes go to a uniquely named temporary file in
// the target's folder, are flushed to disk and renamed over the target, so a
// failed save (or two writers at once) never leaves a half-written file.
#pragma once
#include <cstddef>
#include <string>

namespace kromel {

// Writes one file through a temporary file in the target's folder. The
// temporary file is removed unless Commit succeeds. An existing target keeps
// its permission bits; a symbolic link is followed to the file it names.
class TSafeFileWriter {
public:
  explicit TSafeFileWriter(const std::string& FileName);
  ~TSafeFileWriter();
  TSafeFileWriter(const TSafeFileWriter&) = delete;
  TSafeFileWriter& operator=(const TSafeFileWriter&) = delete;

  // False when the temporary file could not be created.
  bool Opened() const { return FFd >= 0; }
  // Writes all Count bytes; false (and the writer failed) otherwise.
  bool Write(const void* Data, std::size_t Count);
  // The open descriptor of the temporary file, -1 when not open.
  int Handle() const { return FFd; }
  // Flushes to disk, closes and renames over the target.
  bool Commit();
  // Closes and removes the temporary file.
  void Discard();
  // The error number of the first failure, 0 when none.
  int ErrorCode() const { return FError; }
  // True when the target exists but is not a regular file (a named pipe, a
  // device, a socket): it is refused, never replaced.
  bool TargetNotRegular() const { return FNotRegular; }

private:
  std::string FTarget;
  std::string FTempName;
  int FFd = -1;
  int FError = 0;
  bool FFailed = false;
  bool FNotRegular = false;
};

}  // namespace kromel
