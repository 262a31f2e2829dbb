// The registry-style settings store: keys named by paths such as
// "Software\Kromel\" holding typed values (integer, Boolean, text, float,
// date-time). One XML file per user (settings.xml in ConfigFolder()) is
// loaded once per process and kept in memory; every TRegistry of the process
// works on that one copy, and saving writes it through a uniquely named
// temporary file renamed over the file.
#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace kromel {

class ERegistryException : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Unknown is a value of a type this program does not know; it is kept and
// saved again but cannot be read.
enum class TRegDataType { None, Integer, Boolean, String, Float, DateTime, Unknown };

// One settings file in memory. Key paths are compared after dropping empty
// components ("Software\Kromel\" is "Software\Kromel"); names are compared
// exactly. Safe to use from several threads.
class TSettingsFile {
public:
  // Loads FileName. A missing file gives an empty store. An empty, truncated,
  // non-XML or foreign file gives an empty store and one message; a non-empty
  // one is moved aside to the first free name of FileName + ".bad",
  // ".bad.1", ... (earlier copies are kept), and when it cannot be moved
  // the store never saves over it. Text that XML 1.0 cannot carry (control
  // characters, broken UTF-8) is written as hexadecimal bytes in a "-hex"
  // attribute, so other XML readers accept the file.
  explicit TSettingsFile(std::string FileName);
  TSettingsFile(const TSettingsFile&) = delete;
  TSettingsFile& operator=(const TSettingsFile&) = delete;

  // The process-wide store of the user's file, loaded on first use.
  static std::shared_ptr<TSettingsFile> ForUser();
  // ConfigFolder() + "/settings.xml".
  static std::string UserFileName();

  const std::string& FileName() const { return FFileName; }
  // Writes the file when something changed since the last save (creating
  // its folder); true when the file holds the state in memory.
  bool Save();
  bool Modified() const;
  // The reason the file could not be read at load; empty when it was read
  // or missing.
  std::string LoadError() const;

  bool KeyExists(const std::string& Key) const;
  // Creates the key and its parents.
  void CreateKey(const std::string& Key);
  // Deletes the key, its values and its subkeys; false when it was missing.
  bool DeleteKey(const std::string& Key);

  TRegDataType GetDataType(const std::string& Key, const std::string& Name) const;
  // Names in the order the values were first written.
  std::vector<std::string> GetValueNames(const std::string& Key) const;
  bool DeleteValue(const std::string& Key, const std::string& Name);
  // Stored type and text; false when the value is missing.
  bool GetValue(const std::string& Key, const std::string& Name, TRegDataType& Type,
                std::string& Data) const;
  // Creates the key when missing; replaces type and data of an existing name.
  void SetValue(const std::string& Key, const std::string& Name, TRegDataType Type,
                const std::string& Data);

  // "Software\Kromel" from "\Software\\Kromel\": empty components dropped.
  static std::string NormalizeKey(const std::string& Key);

private:
  struct TValue {
    std::string Name;
    std::string TypeName;
    std::string Data;
  };
  struct TKey {
    std::string Path;
    std::vector<TValue> Values;
  };
  void Load();
  TKey* FindKey(const std::string& Path);
  const TKey* FindKey(const std::string& Path) const;
  TKey& MakeKey(const std::string& Path);
  std::string Serialize() const;

  std::string FFileName;
  mutable std::mutex FLock;
  std::vector<TKey> FKeys;
  std::mutex FSaveLock;  // one save at a time
  std::string FLoadError;
  uint64_t FChangeCount = 0;
  uint64_t FSavedCount = 0;
  bool FNoSave = false;  // an unreadable file stayed in place
};

// A handle on the store with one open key, named after the runtime's
// registry class. Reads of a missing value or of a value of another type
// throw ERegistryException, except ReadString, which gives "" for a missing
// value. Integer and Boolean values read as each other, as do float and
// date-time values. Closing the key (or the handle) saves pending changes.
class TRegistry {
public:
  TRegistry();  // the user's store
  explicit TRegistry(std::shared_ptr<TSettingsFile> File);
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  // Opens Key (absolute; created and its parents with CanCreate); false when
  // it does not exist and may not be created.
  bool OpenKey(const std::string& Key, bool CanCreate);
  bool OpenKeyReadOnly(const std::string& Key);
  void CloseKey();
  bool KeyExists(const std::string& Key) const;
  bool DeleteKey(const std::string& Key);
  // The open key's normalised path; empty when none is open.
  const std::string& CurrentPath() const { return FPath; }
  bool HasCurrentKey() const { return FOpen; }
  // Saves now; true when the file holds every change.
  bool Flush();
  TSettingsFile& File() { return *FFile; }

  bool ValueExists(const std::string& Name) const;
  TRegDataType GetDataType(const std::string& Name) const;
  std::vector<std::string> GetValueNames() const;
  bool DeleteValue(const std::string& Name);

  int32_t ReadInteger(const std::string& Name) const;
  bool ReadBool(const std::string& Name) const;
  std::string ReadString(const std::string& Name) const;
  double ReadFloat(const std::string& Name) const;
  // Days since 1899-12-30, the time as the fraction of a day.
  double ReadDateTime(const std::string& Name) const;

  void WriteInteger(const std::string& Name, int32_t Value);
  void WriteBool(const std::string& Name, bool Value);
  void WriteString(const std::string& Name, const std::string& Value);
  void WriteFloat(const std::string& Name, double Value);
  void WriteDateTime(const std::string& Name, double Value);

private:
  std::string ReadTyped(const std::string& Name, TRegDataType A, TRegDataType B,
                        TRegDataType& Found) const;
  void Write(const std::string& Name, TRegDataType Type, const std::string& Data);
  void CheckOpen() const;

  std::shared_ptr<TSettingsFile> FFile;
  std::string FPath;
  bool FOpen = false;
  bool FReadOnly = false;
};

}  // namespace kromel
