// A most-recently-used list of file names: at most 10, newest first, shown as
// the children of a menu item and kept in the settings store as the text
// values "RecentFile" + suffix + 1..10 under "Software\" + key name + "\".
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "foundation/menu_model.h"
#include "foundation/wide_string_list.h"

namespace kromel {

class TSettingsFile;

class TRecentFiles {
public:
  static constexpr int32_t MaxCount = 10;
  using TOpenEvent = std::function<void(const std::string& FileName)>;

  TRecentFiles() = default;
  TRecentFiles(const TRecentFiles&) = delete;
  TRecentFiles& operator=(const TRecentFiles&) = delete;

  // Moves FileName to the top (an equal name, case significant, is removed
  // first) and drops the 11th name. The menu is left to UpdateMenu.
  void Add(const std::string& FileName);
  // Makes Item's children show the names: captions in full, tags 0..Count-1,
  // MenuClick as their handler; Item is enabled when it has children.
  void UpdateMenu(TMenuItem& Item);
  // Opens the clicked name through OnOpen, then drops that name from the
  // list and the menu when no file or folder of that name exists.
  void MenuClick(TMenuItem* Sender);
  // Replaces the names by the stored values 1..10 of the settings store
  // (the user's when File is null), skipping missing numbers.
  void LoadFromRegistry(const std::string& KeyName, const std::string& Suffix,
                        std::shared_ptr<TSettingsFile> File = nullptr);
  // Writes the names as values 1..Count and deletes the values numbered
  // above Count, so removed names do not come back.
  void SaveToRegistry(const std::string& KeyName, const std::string& Suffix,
                      std::shared_ptr<TSettingsFile> File = nullptr);

  // "RecentFile" + Suffix + N.
  static std::string ValueName(const std::string& Suffix, int32_t N);

  TWideStringList Names;
  TOpenEvent OnOpen;
};

}  // namespace kromel
