// Collecting file names from a folder by a ";"-separated list of wildcard
// masks ('*' any run, '?' one character, case significant), optionally
// through its subfolders, and stepping to the previous, next or a random
// file of a folder. The first mask names the folder; a mask without '/' is
// taken in that folder. Entries of one folder come in name order. Folders
// reached through symbolic links are listed but not descended into.
#pragma once
#include <functional>
#include <string>

#include "foundation/wide_string_list.h"

namespace kromel {

// Appends the matching names not yet in List (exact comparison), skipping
// names that begin with '.'; with Recursive the subfolders (not beginning
// with '.') follow the folder's own names, depth first.
void FindFiles(const std::string& Masks, TStrings& List, bool Recursive);
// With ListFolders appends the subfolders first (with a final '/', ".."
// included, "." not); with Recursive descends into subfolders not beginning
// with '.' before the folder's own files; then appends the matching names
// (hidden ones included) not yet in List. Never throws.
void FindFilesW(const std::string& Masks, TWideStringList& List, bool ListFolders, bool Recursive);
// Appends every match of Path (a single mask; a folder ending in '/' means
// all its entries) in its folder and in all subfolders, without duplicate
// test or skipped names.
void FindFilesTree(const std::string& Path, TStrings& List);
// As FindFilesTree (a trailing '/' gets no '*'), calling Notify with each
// name right after appending it.
void FindFilesTreeNotify(const std::string& Path, TStrings& List,
                         const std::function<void(const std::string&)>& Notify);

// The matches of Masks in FileName's folder (the current folder when it has
// none), sorted without regard to ASCII case: the one before FileName, the
// one after it, or a random one. '' at either end, when FileName is not
// among them, or when there is none.
std::string GetPrevFileInFolder(const std::string& FileName, const std::string& Masks);
std::string GetNextFileInFolder(const std::string& FileName, const std::string& Masks);
std::string GetRandomFileInFolder(const std::string& FileName, const std::string& Masks);

}  // namespace kromel
