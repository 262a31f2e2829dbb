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
#include "foundation/error_sink.h"
#include "platform/safe_file_writer.h"

namespace kromel {

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
