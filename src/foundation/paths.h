// Path and file-name texts (no file-system access) and the program's folders
// and arguments. Paths use "/"; a backslash counts as a separator where
// stated. W forms keep their names for callers and hold UTF-8 text.
#pragma once
#include <cstdint>
#include <string>

namespace kromel {

// Separators ("in place" forms change S).
void IncludeTrailingSlash(std::string& S);      // "/" unless empty or ending in "/" or "\"
void IncludeTrailingSlashW(std::string& S);
// Cuts S at its first NUL; a text of 255 bytes has no room and stays.
void IncludeTrailingSlashShort(std::string& S);
void ExcludeTrailingSlash(std::string& S);      // one final "/" when S has 2+ characters
void ExcludeTrailingSlashW(std::string& S);
std::string WithoutTrailingSlash(const std::string& S);
// Collapses "\\\\", "//", "\\/" and "/\\" in that order of passes.
void NormalizeSlashes(std::string& S);
void NormalizeSlashesW(std::string& S);          // the first two passes only
std::string CollapseDoubleSlashesW(const std::string& S);
// Cuts the last path component: '/Users/me/Pictures/' -> '/Users/me/'.
void StripToParentFolder(std::string& S);

// Up to and including the last "/" or ":"; empty when there is neither.
std::string ExtractFilePathW(const std::string& S);
// After the last "/" or ":"; S when there is neither.
std::string ExtractFileNameW(const std::string& S);

// Extensions: a dot at a fixed distance from the end (3 or 4 characters).
void StripFileExt(std::string& S);  // trailing spaces, then the extension
void StripFileExtW(std::string& S);
std::string RemoveFileExt(const std::string& S);
std::string RemoveFileExtW(const std::string& S);
void RemoveFileExtShort(std::string& S);
void RemoveFixedExt1(std::string& S);  // a final ".bak", any case
void RemoveFixedExt2(std::string& S);  // a final ".old", any case
void RemoveWavExt(std::string& S);     // a final ".wav", any case
// Text inserted before the extension of the name part (after the last "/").
std::string InsertBeforeFileExt(const std::string& Name, const std::string& Text);

// The number at the end of the file name (before a 3/4-character
// extension); -1 when the name does not end with a digit or the number
// does not fit in 32 bits.
int32_t GetFileNameNumber(const std::string& Path);
// The path with that number replaced by Value, zero-padded to the same
// count of digits; empty when the name does not end with a digit.
std::string SetFileNameNumber(const std::string& Path, int32_t Value);

// A copy of S that a file name can hold.
std::string MakeValidFileName(const std::string& S);
// S as a URL query value: "%20" becomes a blank, "%", "&", "=", "?" and "!"
// become "_", and every byte outside A-Z a-z 0-9 "-._~" is percent-encoded.
std::string EncodeURLParam(const std::string& S);

// Program folders and arguments (argument 0 is the executable).
std::string ParamStrW(int32_t N);  // empty when out of range
// The executable's folder with a final "/" (its real path from
// /proc/self/exe, else argument 0).
std::string ProgramFolderW();
// The executable's folder, or the folder holding the ".app" bundle that
// contains it.
std::string ApplicationFolder();
bool HasCommandLineParam(const std::string& Text);  // arguments 1..count, ASCII case ignored
// First of arguments 1..count beginning with Prefix (ASCII case ignored),
// whole; empty when none or Prefix is empty.
std::string FindCommandLineParam(const std::string& Prefix);

}  // namespace kromel
