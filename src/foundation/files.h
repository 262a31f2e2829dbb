// Whole files, folders, renaming and deletion, the trash and starting a
// program. Paths are UTF-8. Every file written here goes to a temporary file
// in the same folder, is flushed to disk and then renamed over the target, so
// a failed save leaves the old file as it was.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "foundation/date_time.h"
#include "foundation/debug_log.h"

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

// Writes Text as it is. Reports "Failed to create file " + FileName when the
// file cannot be created (followed by ": not a regular file" for a target
// such as a named pipe or a device, which is left as it is), "Failed to save file " + FileName when writing
// fails, and "Exception in SaveStringToFile " + FileName on an exception, each
// to ErrorProc when given.
bool SaveStringToFile(const std::string& FileName, const std::string& Text,
                      TErrorMessageCallback ErrorProc = nullptr);
// True when all Count bytes were written and the file replaced; no report.
bool SaveBufferToFile(const std::string& FileName, const void* Buffer, int64_t Count);
// All bytes of the file; false with Text empty when the file cannot be opened
// or delivers fewer bytes than its length.
bool LoadFileToString(const std::string& FileName, std::string& Text);
// Opens read-only and sets Size to the file's length; reads min(MaxSize, Size)
// bytes (MaxSize 0 or less: the whole file) into a zeroed Buffer of MaxSize
// bytes. True only when all of those bytes, at least one, were read; on any
// failure Buffer is emptied (Size is untouched when the file cannot be opened).
bool LoadFileToBuffer(const std::string& FileName, std::vector<uint8_t>& Buffer, int64_t& Size,
                      int64_t MaxSize);
// True when the file opens with the current file-open mode: read/write at
// start, read-only after a load, read/write again after a save.
bool CanOpenFile(const std::string& FileName);
// The descriptor of an open file; -1 for none.
int GetFileHandle(std::FILE* F);
// Modification time as a local date-time; 0 when it cannot be had.
TDateTime GetFileDateTime(const std::string& FileName);

bool DirectoryExistsW(const std::string& Path);
// True when Path ends with "/" (without looking) or names an existing folder.
bool IsFolderW(const std::string& Path);
// One folder; its parent must exist.
bool CreateFolder(const std::string& Path);
// Creates every missing folder along Path that a "/" ends ('/a/b/c' makes
// '/a/' and '/a/b/'); empty components are skipped.
bool ForceFoldersW(const std::string& Path);
bool RenameFileW(const std::string& OldName, const std::string& NewName);
// S as valid UTF-8 (malformed bytes become U+FFFD).
std::string Utf8ToSystemEncoding(const std::string& S);
bool DeleteFileSafe(const std::string& FileName);
// The folder that trashed files land in (with a final "/"), made when
// missing; empty when there is no usable trash for the file.
std::string GetTrashFolder(const std::string& FileName);
// Moves the file to the trash under its own name, or, when that is taken,
// under Base + " " + a number right-aligned in six characters + extension.
// Never replaces an entry of the trash.
bool MoveFileToTrash(const std::string& FileName);
// Starts Executable with the two parameters as two arguments (no shell) and
// returns at once; false when it could not be started.
bool RunProgram(const std::string& Executable, const std::string& Param1, const std::string& Param2);

}  // namespace kromel
