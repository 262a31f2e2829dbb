#include "platform/settings_store.h"

#include <pugixml.hpp>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <system_error>

#include "platform/folders.h"
#include "platform/message_sink.h"
#include "platform/safe_file_writer.h"

namespace kromel {

namespace {

constexpr const char* kRootName = "settings";
constexpr const char* kFormatVersion = "1";
// Far above any real settings file; a bigger one is not ours.
constexpr std::uintmax_t kMaxSettingsFileSize = 64u << 20;

struct TTypeName {
  TRegDataType Type;
  const char* Name;
};
constexpr TTypeName kTypeNames[] = {{TRegDataType::Integer, "integer"},
                                    {TRegDataType::Boolean, "boolean"},
                                    {TRegDataType::String, "text"},
                                    {TRegDataType::Float, "float"},
                                    {TRegDataType::DateTime, "datetime"}};

TRegDataType TypeOfName(const std::string& Name) {
  for (const TTypeName& T : kTypeNames)
    if (Name == T.Name) return T.Type;
  return TRegDataType::Unknown;
}

std::string NameOfType(TRegDataType Type) {
  for (const TTypeName& T : kTypeNames)
    if (T.Type == Type) return T.Name;
  return "unknown";
}

bool IsUnder(const std::string& Path, const std::string& Key) {
  return Key.empty() || Path == Key ||
         (Path.size() > Key.size() && Path.compare(0, Key.size(), Key) == 0 &&
          Path[Key.size()] == '\\');
}

std::string DoubleText(double V) {
  char Buf[64];
  auto R = std::to_chars(Buf, Buf + sizeof(Buf), V);
  return std::string(Buf, R.ptr);
}

bool ParseDouble(const std::string& S, double& V) {
  auto R = std::from_chars(S.data(), S.data() + S.size(), V);
  return R.ec == std::errc() && R.ptr == S.data() + S.size() && !S.empty();
}

bool ParseInt32(const std::string& S, int32_t& V) {
  auto R = std::from_chars(S.data(), S.data() + S.size(), V);
  return R.ec == std::errc() && R.ptr == S.data() + S.size() && !S.empty();
}

// "true"/"false", and the integers a Boolean reads as.
bool ParseBool(const std::string& S, bool& V) {
  if (S == "true") V = true;
  else if (S == "false") V = false;
  else {
    int32_t I = 0;
    if (!ParseInt32(S, I)) return false;
    V = I != 0;
  }
  return true;
}

// True when XML 1.0 can carry Text as it is: well-formed UTF-8 without
// control characters other than tab, line feed and carriage return, and
// without U+FFFE and U+FFFF.
bool XmlCarries(const std::string& Text) {
  const auto* P = reinterpret_cast<const unsigned char*>(Text.data());
  const size_t N = Text.size();
  for (size_t I = 0; I < N;) {
    const unsigned char C = P[I];
    if (C < 0x80) {
      if (C < 0x20 && C != '\t' && C != '\n' && C != '\r') return false;
      ++I;
      continue;
    }
    int Len = 0;
    uint32_t Code = 0;
    if (C >= 0xC2 && C <= 0xDF) Len = 2, Code = C & 0x1F;
    else if (C >= 0xE0 && C <= 0xEF) Len = 3, Code = C & 0x0F;
    else if (C >= 0xF0 && C <= 0xF4) Len = 4, Code = C & 0x07;
    else return false;
    if (I + Len > N) return false;
    for (int K = 1; K < Len; ++K) {
      if ((P[I + K] & 0xC0) != 0x80) return false;
      Code = (Code << 6) | (P[I + K] & 0x3F);
    }
    const uint32_t Least = Len == 2 ? 0x80 : (Len == 3 ? 0x800 : 0x10000);
    if (Code < Least || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF) || Code == 0xFFFE ||
        Code == 0xFFFF)
      return false;
    I += Len;
  }
  return true;
}

// Attribute Name holds Text; text XML cannot carry goes as hexadecimal
// bytes in Name + "-hex" instead.
void SetTextAttribute(pugi::xml_node Node, const char* Name, const std::string& Text) {
  if (XmlCarries(Text)) {
    Node.append_attribute(Name) = Text.c_str();
    return;
  }
  static const char Digits[] = "0123456789abcdef";
  std::string Hex;
  for (unsigned char C : Text) {
    Hex += Digits[C >> 4];
    Hex += Digits[C & 15];
  }
  Node.append_attribute((std::string(Name) + "-hex").c_str()) = Hex.c_str();
}

std::string TextAttribute(pugi::xml_node Node, const char* Name) {
  const pugi::xml_attribute Hex = Node.attribute((std::string(Name) + "-hex").c_str());
  if (!Hex) return Node.attribute(Name).as_string();
  std::string Text;
  const std::string H = Hex.as_string();
  auto Nibble = [](char C) {
    return C >= '0' && C <= '9' ? C - '0' : (C >= 'a' && C <= 'f' ? C - 'a' + 10 : -1);
  };
  for (size_t I = 0; I + 1 < H.size(); I += 2) {
    const int A = Nibble(H[I]), B = Nibble(H[I + 1]);
    if (A < 0 || B < 0) break;
    Text += static_cast<char>(A * 16 + B);
  }
  return Text;
}

// Moves FileName to the first free name of FileName + ".bad", ".bad.1", ...
// without replacing any; the name used, or empty when it could not move.
std::string KeepAside(const std::string& FileName) {
  for (int I = 0; I < 1000; ++I) {
    const std::string Aside = FileName + ".bad" + (I == 0 ? "" : "." + std::to_string(I));
    std::error_code Ec;
    // A hard link never replaces an existing name.
    std::filesystem::create_hard_link(FileName, Aside, Ec);
    if (!Ec) {
      std::filesystem::remove(FileName, Ec);
      if (!Ec) return Aside;
      std::filesystem::remove(Aside, Ec);
      return {};
    }
    if (!std::filesystem::exists(Aside, Ec)) {
      // No hard links here: a rename that checks first.
      if (std::rename(FileName.c_str(), Aside.c_str()) == 0) return Aside;
      return {};
    }
  }
  return {};
}

std::mutex& UserFilesLock() {
  static std::mutex M;
  return M;
}

}  // namespace

TSettingsFile::TSettingsFile(std::string FileName) : FFileName(std::move(FileName)) { Load(); }

std::string TSettingsFile::UserFileName() { return ConfigFolder() + "/settings.xml"; }

std::shared_ptr<TSettingsFile> TSettingsFile::ForUser() {
  // One copy per file name: a changed configuration folder gets its own.
  static std::map<std::string, std::shared_ptr<TSettingsFile>> Files;
  const std::string Name = UserFileName();
  std::lock_guard<std::mutex> Guard(UserFilesLock());
  std::shared_ptr<TSettingsFile>& F = Files[Name];
  if (!F) F = std::make_shared<TSettingsFile>(Name);
  return F;
}

std::string TSettingsFile::NormalizeKey(const std::string& Key) {
  std::string R;
  std::size_t P = 0;
  while (P <= Key.size()) {
    std::size_t E = Key.find('\\', P);
    if (E == std::string::npos) E = Key.size();
    if (E > P) {
      if (!R.empty()) R += '\\';
      R.append(Key, P, E - P);
    }
    P = E + 1;
  }
  return R;
}

void TSettingsFile::Load() {
  std::error_code Ec;
  const std::filesystem::path Path(FFileName);
  if (!std::filesystem::exists(Path, Ec)) return;  // first run

  std::string Error;
  std::vector<TKey> Keys;
  const std::uintmax_t Size = std::filesystem::file_size(Path, Ec);
  if (Ec) {
    Error = "it is not a readable file";
  } else if (Size == 0) {
    Error = "the file is empty";
  } else if (Size > kMaxSettingsFileSize) {
    Error = "the file is too large";
  } else {
    std::ifstream In(FFileName, std::ios::binary);
    std::string Bytes((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
    pugi::xml_document Doc;
    pugi::xml_parse_result R;
    if (!In.bad()) R = Doc.load_buffer(Bytes.data(), Bytes.size(), pugi::parse_default, pugi::encoding_utf8);
    const pugi::xml_node Root = Doc.child(kRootName);
    if (In.bad()) {
      Error = "it cannot be read";
    } else if (!R) {
      Error = std::string(R.description()) + " at byte " + std::to_string(R.offset);
    } else if (!Root) {
      Error = "it is not a settings file";
    } else {
      for (pugi::xml_node K : Root.children("key")) {
        TKey Key{NormalizeKey(TextAttribute(K, "path")), {}};
        for (pugi::xml_node V : K.children("value")) {
          const std::string Name = TextAttribute(V, "name");
          bool Duplicate = false;
          for (TValue& Old : Key.Values)
            if (Old.Name == Name) Duplicate = true;
          if (!Duplicate)
            Key.Values.push_back({Name, V.attribute("type").as_string(), TextAttribute(V, "data")});
        }
        bool Merged = false;
        for (TKey& Old : Keys)
          if (Old.Path == Key.Path) {
            for (TValue& Val : Key.Values) Old.Values.push_back(std::move(Val));
            Merged = true;
          }
        if (!Merged) Keys.push_back(std::move(Key));
      }
    }
  }
  if (Error.empty()) {
    FKeys = std::move(Keys);
    return;
  }
  // Nothing of a half-read file is used; the file itself is kept aside.
  FLoadError = Error;
  std::string Text = "Could not read the settings file " + FFileName + " (" + Error +
                     "). Default settings are used";
  if (Size > 0) {
    const std::string Aside = KeepAside(FFileName);
    if (!Aside.empty()) {
      Text += "; the unreadable file was kept as " + Aside;
    } else {
      // Never overwrite what could not be kept aside.
      FNoSave = true;
      Text += "; it could not be moved aside, so it is left as it is and settings are not saved";
    }
  }
  PlatformShowMessage(Text + ".");
}

std::string TSettingsFile::LoadError() const {
  std::lock_guard<std::mutex> Guard(FLock);
  return FLoadError;
}

bool TSettingsFile::Modified() const {
  std::lock_guard<std::mutex> Guard(FLock);
  return FChangeCount != FSavedCount;
}

std::string TSettingsFile::Serialize() const {
  pugi::xml_document Doc;
  pugi::xml_node Decl = Doc.append_child(pugi::node_declaration);
  Decl.append_attribute("version") = "1.0";
  Decl.append_attribute("encoding") = "UTF-8";
  pugi::xml_node Root = Doc.append_child(kRootName);
  Root.append_attribute("version") = kFormatVersion;
  for (const TKey& K : FKeys) {
    pugi::xml_node Key = Root.append_child("key");
    SetTextAttribute(Key, "path", K.Path + "\\");
    for (const TValue& V : K.Values) {
      pugi::xml_node Val = Key.append_child("value");
      SetTextAttribute(Val, "name", V.Name);
      Val.append_attribute("type") = V.TypeName.c_str();
      SetTextAttribute(Val, "data", V.Data);
    }
  }
  std::ostringstream Out;
  Doc.save(Out, "  ", pugi::format_default, pugi::encoding_utf8);
  return Out.str();
}

bool TSettingsFile::Save() {
  std::lock_guard<std::mutex> SaveGuard(FSaveLock);
  std::string Text;
  uint64_t Count;
  {
    std::lock_guard<std::mutex> Guard(FLock);
    if (FChangeCount == FSavedCount) return true;
    if (FNoSave) return false;
    Text = Serialize();
    Count = FChangeCount;
  }
  std::error_code Ec;
  const std::filesystem::path Folder = std::filesystem::path(FFileName).parent_path();
  if (!Folder.empty()) std::filesystem::create_directories(Folder, Ec);
  TSafeFileWriter W(FFileName);
  if (!(W.Opened() && W.Write(Text.data(), Text.size()) && W.Commit())) return false;
  std::lock_guard<std::mutex> Guard(FLock);
  FSavedCount = Count;
  return FChangeCount == FSavedCount;
}

TSettingsFile::TKey* TSettingsFile::FindKey(const std::string& Path) {
  for (TKey& K : FKeys)
    if (K.Path == Path) return &K;
  return nullptr;
}

const TSettingsFile::TKey* TSettingsFile::FindKey(const std::string& Path) const {
  for (const TKey& K : FKeys)
    if (K.Path == Path) return &K;
  return nullptr;
}

TSettingsFile::TKey& TSettingsFile::MakeKey(const std::string& Path) {
  if (TKey* K = FindKey(Path)) return *K;
  FKeys.push_back({Path, {}});
  ++FChangeCount;
  return FKeys.back();
}

bool TSettingsFile::KeyExists(const std::string& Key) const {
  const std::string Path = NormalizeKey(Key);
  std::lock_guard<std::mutex> Guard(FLock);
  if (Path.empty()) return true;
  for (const TKey& K : FKeys)
    if (IsUnder(K.Path, Path)) return true;
  return false;
}

void TSettingsFile::CreateKey(const std::string& Key) {
  const std::string Path = NormalizeKey(Key);
  std::lock_guard<std::mutex> Guard(FLock);
  if (!Path.empty()) MakeKey(Path);
}

bool TSettingsFile::DeleteKey(const std::string& Key) {
  const std::string Path = NormalizeKey(Key);
  if (Path.empty()) return false;
  std::lock_guard<std::mutex> Guard(FLock);
  const std::size_t Before = FKeys.size();
  std::erase_if(FKeys, [&](const TKey& K) { return IsUnder(K.Path, Path); });
  if (FKeys.size() == Before) return false;
  ++FChangeCount;
  return true;
}

TRegDataType TSettingsFile::GetDataType(const std::string& Key, const std::string& Name) const {
  TRegDataType Type;
  std::string Data;
  return GetValue(Key, Name, Type, Data) ? Type : TRegDataType::None;
}

std::vector<std::string> TSettingsFile::GetValueNames(const std::string& Key) const {
  const std::string Path = NormalizeKey(Key);
  std::lock_guard<std::mutex> Guard(FLock);
  std::vector<std::string> R;
  if (const TKey* K = FindKey(Path))
    for (const TValue& V : K->Values) R.push_back(V.Name);
  return R;
}

bool TSettingsFile::DeleteValue(const std::string& Key, const std::string& Name) {
  const std::string Path = NormalizeKey(Key);
  std::lock_guard<std::mutex> Guard(FLock);
  TKey* K = FindKey(Path);
  if (!K) return false;
  const std::size_t Before = K->Values.size();
  std::erase_if(K->Values, [&](const TValue& V) { return V.Name == Name; });
  if (K->Values.size() == Before) return false;
  ++FChangeCount;
  return true;
}

bool TSettingsFile::GetValue(const std::string& Key, const std::string& Name, TRegDataType& Type,
                             std::string& Data) const {
  const std::string Path = NormalizeKey(Key);
  std::lock_guard<std::mutex> Guard(FLock);
  if (const TKey* K = FindKey(Path))
    for (const TValue& V : K->Values)
      if (V.Name == Name) {
        Type = TypeOfName(V.TypeName);
        Data = V.Data;
        return true;
      }
  return false;
}

void TSettingsFile::SetValue(const std::string& Key, const std::string& Name, TRegDataType Type,
                             const std::string& Data) {
  const std::string Path = NormalizeKey(Key);
  if (Path.empty()) throw ERegistryException("Cannot write a value without a key");
  const std::string TypeName = NameOfType(Type);
  std::lock_guard<std::mutex> Guard(FLock);
  TKey& K = MakeKey(Path);
  for (TValue& V : K.Values)
    if (V.Name == Name) {
      if (V.TypeName == TypeName && V.Data == Data) return;
      V.TypeName = TypeName;
      V.Data = Data;
      ++FChangeCount;
      return;
    }
  K.Values.push_back({Name, TypeName, Data});
  ++FChangeCount;
}

// --- TRegistry ---

TRegistry::TRegistry() : FFile(TSettingsFile::ForUser()) {}

TRegistry::TRegistry(std::shared_ptr<TSettingsFile> File) : FFile(std::move(File)) {
  if (!FFile) throw ERegistryException("No settings file");
}

TRegistry::~TRegistry() { CloseKey(); }

bool TRegistry::OpenKey(const std::string& Key, bool CanCreate) {
  CloseKey();
  const std::string Path = TSettingsFile::NormalizeKey(Key);
  if (!FFile->KeyExists(Path)) {
    if (!CanCreate) return false;
    FFile->CreateKey(Path);
  }
  FPath = Path;
  FOpen = true;
  FReadOnly = false;
  return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& Key) {
  if (!OpenKey(Key, false)) return false;
  FReadOnly = true;
  return true;
}

void TRegistry::CloseKey() {
  if (FOpen && !FReadOnly) FFile->Save();
  FOpen = false;
  FReadOnly = false;
  FPath.clear();
}

bool TRegistry::KeyExists(const std::string& Key) const { return FFile->KeyExists(Key); }

bool TRegistry::DeleteKey(const std::string& Key) { return FFile->DeleteKey(Key); }

bool TRegistry::Flush() { return FFile->Save(); }

void TRegistry::CheckOpen() const {
  if (!FOpen) throw ERegistryException("No key is open");
}

bool TRegistry::ValueExists(const std::string& Name) const {
  return FOpen && FFile->GetDataType(FPath, Name) != TRegDataType::None;
}

TRegDataType TRegistry::GetDataType(const std::string& Name) const {
  return FOpen ? FFile->GetDataType(FPath, Name) : TRegDataType::None;
}

std::vector<std::string> TRegistry::GetValueNames() const {
  return FOpen ? FFile->GetValueNames(FPath) : std::vector<std::string>();
}

bool TRegistry::DeleteValue(const std::string& Name) {
  CheckOpen();
  if (FReadOnly) throw ERegistryException("Key " + FPath + " is open read-only");
  return FFile->DeleteValue(FPath, Name);
}

std::string TRegistry::ReadTyped(const std::string& Name, TRegDataType A, TRegDataType B,
                                 TRegDataType& Found) const {
  CheckOpen();
  std::string Data;
  if (!FFile->GetValue(FPath, Name, Found, Data))
    throw ERegistryException("Value " + Name + " does not exist");
  if (Found != A && Found != B) throw ERegistryException("Invalid data type for value " + Name);
  return Data;
}

int32_t TRegistry::ReadInteger(const std::string& Name) const {
  TRegDataType Type;
  const std::string Data = ReadTyped(Name, TRegDataType::Integer, TRegDataType::Boolean, Type);
  int32_t V = 0;
  bool B = false;
  if (Type == TRegDataType::Integer ? ParseInt32(Data, V) : ParseBool(Data, B))
    return Type == TRegDataType::Integer ? V : (B ? 1 : 0);
  throw ERegistryException("Invalid integer in value " + Name);
}

bool TRegistry::ReadBool(const std::string& Name) const {
  TRegDataType Type;
  const std::string Data = ReadTyped(Name, TRegDataType::Boolean, TRegDataType::Integer, Type);
  bool B = false;
  if (!ParseBool(Data, B)) throw ERegistryException("Invalid Boolean in value " + Name);
  return B;
}

std::string TRegistry::ReadString(const std::string& Name) const {
  CheckOpen();
  if (!ValueExists(Name)) return {};
  TRegDataType Type;
  return ReadTyped(Name, TRegDataType::String, TRegDataType::String, Type);
}

double TRegistry::ReadFloat(const std::string& Name) const {
  TRegDataType Type;
  const std::string Data = ReadTyped(Name, TRegDataType::Float, TRegDataType::DateTime, Type);
  double V = 0;
  if (!ParseDouble(Data, V)) throw ERegistryException("Invalid number in value " + Name);
  return V;
}

double TRegistry::ReadDateTime(const std::string& Name) const { return ReadFloat(Name); }

void TRegistry::Write(const std::string& Name, TRegDataType Type, const std::string& Data) {
  CheckOpen();
  if (FReadOnly) throw ERegistryException("Key " + FPath + " is open read-only");
  FFile->SetValue(FPath, Name, Type, Data);
}

void TRegistry::WriteInteger(const std::string& Name, int32_t Value) {
  Write(Name, TRegDataType::Integer, std::to_string(Value));
}

void TRegistry::WriteBool(const std::string& Name, bool Value) {
  Write(Name, TRegDataType::Boolean, Value ? "true" : "false");
}

void TRegistry::WriteString(const std::string& Name, const std::string& Value) {
  Write(Name, TRegDataType::String, Value);
}

void TRegistry::WriteFloat(const std::string& Name, double Value) {
  Write(Name, TRegDataType::Float, DoubleText(Value));
}

void TRegistry::WriteDateTime(const std::string& Name, double Value) {
  Write(Name, TRegDataType::DateTime, DoubleText(Value));
}

}  // namespace kromel
