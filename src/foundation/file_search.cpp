#include "foundation/file_search.h"

#include <algorithm>
#include <dirent.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "foundation/ascii_case.h"
#include "foundation/paths.h"
#include "foundation/text_tokens.h"

namespace kromel {

namespace {

struct TEntry {
  std::string Name;
  bool Folder = false;  // a folder, also through a symbolic link
  bool Link = false;
};

// '*' any run of characters, '?' one byte; everything else literally.
bool WildcardMatch(const char* Pattern, const char* Name) {
  const char* Star = nullptr;
  const char* Resume = nullptr;
  while (*Name) {
    if (*Pattern == '?' || (*Pattern != '*' && *Pattern == *Name)) {
      ++Pattern;
      ++Name;
    } else if (*Pattern == '*') {
      Star = Pattern++;
      Resume = Name;
    } else if (Star) {
      Pattern = Star + 1;
      Name = ++Resume;
    } else {
      return false;
    }
  }
  while (*Pattern == '*') ++Pattern;
  return *Pattern == '\0';
}

// Up to and including the last '/' (and '\' when Backslash).
std::string FolderPart(const std::string& Path, bool Backslash) {
  const std::size_t P = Path.find_last_of(Backslash ? "/\\" : "/");
  return P == std::string::npos ? std::string() : Path.substr(0, P + 1);
}

std::string NamePart(const std::string& Path) {
  const std::size_t P = Path.find_last_of("/\\");
  return P == std::string::npos ? Path : Path.substr(P + 1);
}

bool HiddenName(const std::string& Name) { return Name.size() > 1 && Name[0] == '.' && Name[1] != '.'; }

// The entries of Mask's folder matching its last element, in name order. The
// folder request gives folders and plain files that are not hidden ("." and
// ".." included); the other gives every entry but "." and "..". A folder
// that cannot be read gives nothing.
std::vector<TEntry> Enumerate(const std::string& Mask, bool FolderRequest) {
  std::vector<TEntry> R;
  const std::string Folder = FolderPart(Mask, false);
  const std::string Pattern = Mask.substr(Folder.size());
  DIR* D = opendir(Folder.empty() ? "." : Folder.c_str());
  if (!D) return R;
  while (const dirent* E = readdir(D)) {
    TEntry Entry{E->d_name};
    const bool Dots = Entry.Name == "." || Entry.Name == "..";
    if (FolderRequest ? HiddenName(Entry.Name) : Dots) continue;
    if (!WildcardMatch(Pattern.c_str(), Entry.Name.c_str())) continue;
    const std::string Full = Folder + Entry.Name;
    struct stat St;
    if (lstat(Full.c_str(), &St) == 0) {
      Entry.Link = S_ISLNK(St.st_mode);
      if (Entry.Link && stat(Full.c_str(), &St) != 0) St.st_mode = 0;
      Entry.Folder = S_ISDIR(St.st_mode);
      if (FolderRequest && !Entry.Folder && !S_ISREG(St.st_mode)) continue;
    } else if (FolderRequest) {
      continue;
    }
    R.push_back(std::move(Entry));
  }
  closedir(D);
  std::sort(R.begin(), R.end(), [](const TEntry& A, const TEntry& B) { return A.Name < B.Name; });
  return R;
}

bool Descends(const TEntry& E) { return E.Folder && !E.Link && E.Name[0] != '.'; }

bool Contains(const TStrings& List, const std::string& S) {
  return std::find(List.begin(), List.end(), S) != List.end();
}

std::vector<std::string> MaskItems(const std::string& Masks) {
  std::vector<std::string> R;
  const int32_t Count = CountSemicolonItems(Masks);
  for (int32_t I = 0; I < Count; ++I) {
    std::string M = GetSemicolonItem(Masks, I);
    if (!M.empty()) R.push_back(std::move(M));  // "a;;b" or a final ";" adds no "*"
  }
  return R;
}

void FindFilesTreeImpl(const std::string& Path, TStrings& List,
                       const std::function<void(const std::string&)>* Notify) {
  std::string Folder = FolderPart(Path, true);
  IncludeTrailingSlash(Folder);
  for (const TEntry& E : Enumerate(Path, false)) {
    std::string Name = Folder + E.Name;
    NormalizeSlashes(Name);
    List.push_back(Name);
    if (Notify && *Notify) (*Notify)(Name);
  }
  for (const TEntry& E : Enumerate(Folder + "*", true))
    if (Descends(E)) FindFilesTreeImpl(Folder + E.Name + "/" + NamePart(Path), List, Notify);
}

// Sorted matches of Masks beside FileName.
TStrings FolderMatches(const std::string& FileName, const std::string& Masks, std::string& Key) {
  std::string Folder = FolderPart(FileName, true);
  if (Folder.empty()) {
    char Cwd[4096];
    Folder = getcwd(Cwd, sizeof(Cwd)) ? std::string(Cwd) + "/" : std::string("./");
  } else if (Folder.size() > 1) {
    IncludeTrailingSlash(Folder);
  }
  TStrings List;
  for (const std::string& M : MaskItems(Masks)) FindFiles(Folder + M, List, false);
  std::stable_sort(List.begin(), List.end(), [](const std::string& A, const std::string& B) {
    const std::string UA = UpperAscii(A), UB = UpperAscii(B);
    return UA != UB ? UA < UB : A < B;
  });
  Key = Folder + NamePart(FileName);
  NormalizeSlashes(Key);
  return List;
}

std::ptrdiff_t IndexIn(const TStrings& List, const std::string& Key) {
  const auto It = std::find(List.begin(), List.end(), Key);
  return It == List.end() ? -1 : It - List.begin();
}

}  // namespace

void FindFiles(const std::string& Masks, TStrings& List, bool Recursive) {
  const std::vector<std::string> Items = MaskItems(Masks);
  if (Items.empty()) return;
  const std::string RawFolder = FolderPart(Items[0], true);
  std::string Folder = RawFolder;
  IncludeTrailingSlash(Folder);
  NormalizeSlashes(Folder);
  for (std::string Mask : Items) {
    if (Mask.find('/') == std::string::npos) Mask = Folder + Mask;
    if (Mask.back() == '/') Mask += '*';
    // Names carry the folder the mask itself searched.
    std::string Found = FolderPart(Mask, false);
    NormalizeSlashes(Found);
    for (const TEntry& E : Enumerate(Mask, false)) {
      if (E.Name[0] == '.') continue;
      const std::string Name = Found + E.Name;
      if (!Contains(List, Name)) List.push_back(Name);
    }
  }
  if (!Recursive) return;
  const std::string Rest =
      Masks.compare(0, RawFolder.size(), RawFolder) == 0 ? Masks.substr(RawFolder.size()) : Masks;
  for (const TEntry& E : Enumerate(Folder + "*", true))
    if (Descends(E)) FindFiles(Folder + E.Name + "/" + Rest, List, true);
}

void FindFilesW(const std::string& Masks, TWideStringList& List, bool ListFolders, bool Recursive) {
  try {
    const std::vector<std::string> Items = MaskItems(Masks);
    if (Items.empty()) return;
    std::string Folder = ExtractFilePathW(Items[0]);
    IncludeTrailingSlashW(Folder);
    if (Recursive || ListFolders) {
      for (const TEntry& E : Enumerate(Folder + "*", true)) {
        if (!E.Folder) continue;
        if (ListFolders && E.Name != ".") List.Add(Folder + E.Name + "/");
        if (Recursive && Descends(E))
          FindFilesW(Folder + E.Name + "/" + NamePart(Masks), List, ListFolders, Recursive);
      }
    }
    for (std::string Mask : Items) {
      if (Mask.find('/') == std::string::npos) Mask = Folder + Mask;
      if (Mask.back() == '/') Mask += '*';
      const std::string Found = FolderPart(Mask, false);
      for (const TEntry& E : Enumerate(Mask, false)) {
        std::string Name = Found + E.Name;
        NormalizeSlashesW(Name);
        if (List.IndexOf(Name) < 0) List.Add(Name);
      }
    }
  } catch (...) {
  }
}

void FindFilesTree(const std::string& Path, TStrings& List) {
  std::string P = Path;
  if (!P.empty() && P.back() == '/' && P.find_first_of("*?") == std::string::npos) P += '*';
  FindFilesTreeImpl(P, List, nullptr);
}

void FindFilesTreeNotify(const std::string& Path, TStrings& List,
                         const std::function<void(const std::string&)>& Notify) {
  FindFilesTreeImpl(Path, List, &Notify);
}

std::string GetPrevFileInFolder(const std::string& FileName, const std::string& Masks) {
  std::string Key;
  const TStrings List = FolderMatches(FileName, Masks, Key);
  const std::ptrdiff_t I = IndexIn(List, Key);
  return I > 0 ? List[static_cast<std::size_t>(I - 1)] : std::string();
}

std::string GetNextFileInFolder(const std::string& FileName, const std::string& Masks) {
  std::string Key;
  const TStrings List = FolderMatches(FileName, Masks, Key);
  const std::ptrdiff_t I = IndexIn(List, Key);
  return I >= 0 && static_cast<std::size_t>(I) + 1 < List.size() ? List[static_cast<std::size_t>(I + 1)]
                                                                  : std::string();
}

std::string GetRandomFileInFolder(const std::string& FileName, const std::string& Masks) {
  try {
    std::string Key;
    const TStrings List = FolderMatches(FileName, Masks, Key);
    if (List.empty()) return {};
    thread_local std::mt19937 Gen{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> Pick(0, List.size() - 1);
    return List[Pick(Gen)];
  } catch (...) {
    return {};
  }
}

}  // namespace kromel
