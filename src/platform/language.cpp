#include "platform/language.h"

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/translate.h"

namespace kromel {

namespace {

using TCatalogue = std::unordered_map<std::string, std::string>;

struct TLanguageState {
  std::mutex Lock;
  std::string Folder;
  std::string Code;
};

TLanguageState& State() {
  static TLanguageState S;
  return S;
}

// Read by the translation call on any thread; replaced whole on a switch.
std::mutex GCatalogueLock;
std::shared_ptr<const TCatalogue> GCatalogue;
std::atomic<bool> GSelected{false};

uint32_t ReadWord(const std::string& Data, size_t At, bool Swap) {
  if (At + 4 > Data.size()) return 0;
  uint32_t V = 0;
  std::memcpy(&V, Data.data() + At, 4);
  if (Swap) V = (V >> 24) | ((V >> 8) & 0xFF00) | ((V << 8) & 0xFF0000) | (V << 24);
  return V;
}

// "FR" -> "fr", "ZH_CN" -> "zh_CN".
std::string FolderName(const std::string& Code) {
  std::string N = Code;
  const size_t Bar = N.find('_');
  for (size_t I = 0; I < N.size(); ++I) {
    const unsigned char Ch = static_cast<unsigned char>(N[I]);
    N[I] = char(Bar != std::string::npos && I > Bar ? std::toupper(Ch) : std::tolower(Ch));
  }
  return N;
}

// The system's language names in the order gettext tries them, each also
// without its region: "fr_FR.UTF-8" gives "fr_FR", "fr".
std::vector<std::string> SystemLanguages() {
  std::vector<std::string> Names;
  auto AddName = [&](std::string N) {
    N = N.substr(0, N.find_first_of(".@"));
    if (N.empty() || N == "C" || N == "POSIX") return;
    Names.push_back(N);
    if (const size_t Bar = N.find('_'); Bar != std::string::npos) Names.push_back(N.substr(0, Bar));
  };
  if (const char* L = std::getenv("LANGUAGE"); L && *L) {
    std::string List = L;
    size_t Start = 0;
    while (Start <= List.size()) {
      const size_t End = List.find(':', Start);
      AddName(List.substr(Start, End == std::string::npos ? std::string::npos : End - Start));
      if (End == std::string::npos) break;
      Start = End + 1;
    }
  }
  for (const char* Var : {"LC_ALL", "LC_MESSAGES", "LANG"})
    if (const char* V = std::getenv(Var); V && *V) {
      AddName(V);
      break;
    }
  return Names;
}

std::string CataloguePath(const std::string& Folder, const std::string& Name) {
  return Folder + "/" + Name + "/LC_MESSAGES/" + TextDomain + ".mo";
}

}  // namespace

std::string LanguageCodeOfItem(int32_t Item) {
  static const char* const Codes[] = {"", "EN", "ES", "RU", "FR", "ZH_CN", "ZH_HK"};
  return Item >= 0 && Item < 7 ? Codes[Item] : "";
}

void SetCatalogueFolder(const std::string& Folder) {
  std::lock_guard<std::mutex> G(State().Lock);
  State().Folder = Folder;
}

std::string CatalogueFolder() {
  std::lock_guard<std::mutex> G(State().Lock);
  return State().Folder;
}

TCatalogue ReadMessageCatalogue(const std::string& FileName) {
  TCatalogue C;
  std::ifstream In(FileName, std::ios::binary);
  if (!In) return C;
  const std::string Data((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
  const uint32_t Magic = ReadWord(Data, 0, false);
  bool Swap = false;
  if (Magic == 0xDE120495u)
    Swap = true;
  else if (Magic != 0x950412DEu)
    return C;
  const uint32_t Count = ReadWord(Data, 8, Swap);
  const uint32_t Originals = ReadWord(Data, 12, Swap);
  const uint32_t Translations = ReadWord(Data, 16, Swap);
  if (Count > Data.size() / 16) return C;
  auto Text = [&](uint32_t Table, uint32_t I, std::string& Out) {
    const size_t Entry = size_t(Table) + size_t(I) * 8;
    if (Entry + 8 > Data.size()) return false;
    const uint32_t Length = ReadWord(Data, Entry, Swap);
    const uint32_t Offset = ReadWord(Data, Entry + 4, Swap);
    if (size_t(Offset) + Length > Data.size()) return false;
    Out.assign(Data.data() + Offset, Length);
    // Plural forms: the first (singular) form only.
    Out = Out.substr(0, Out.find('\0'));
    return true;
  };
  for (uint32_t I = 0; I < Count; ++I) {
    std::string Id, Tr;
    if (!Text(Originals, I, Id) || !Text(Translations, I, Tr)) return {};
    if (Id.empty() || Tr.empty()) continue;  // the header, untranslated entries
    C.emplace(std::move(Id), std::move(Tr));
  }
  return C;
}

bool SelectLanguage(const std::string& Code) {
  const std::string Folder = CatalogueFolder();
  std::vector<std::string> Names;
  if (Code.empty())
    Names = SystemLanguages();
  else
    Names.push_back(FolderName(Code));
  auto Catalogue = std::make_shared<TCatalogue>();
  bool Found = false;
  for (const std::string& N : Names) {
    if (Folder.empty()) break;
    *Catalogue = ReadMessageCatalogue(CataloguePath(Folder, N));
    if (!Catalogue->empty()) {
      Found = true;
      break;
    }
  }
  {
    std::lock_guard<std::mutex> G(GCatalogueLock);
    GCatalogue = std::move(Catalogue);
  }
  std::lock_guard<std::mutex> G(State().Lock);
  State().Code = Code;
  GSelected = true;
  return Found;
}

std::string CurrentLanguage() {
  std::lock_guard<std::mutex> G(State().Lock);
  return State().Code;
}

bool LanguageSelected() { return GSelected.load(); }

bool LookupTranslation(const char* Text, std::string& Translation) {
  std::shared_ptr<const TCatalogue> C;
  {
    std::lock_guard<std::mutex> G(GCatalogueLock);
    C = GCatalogue;
  }
  if (!C || Text == nullptr) return false;
  const auto It = C->find(Text);
  if (It == C->end()) return false;
  Translation = It->second;
  return true;
}

}  // namespace kromel
