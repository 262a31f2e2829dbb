#include "foundation/recent_files.h"

#include "foundation/error_sink.h"
#include "platform/folders.h"
#include "platform/settings_store.h"

namespace kromel {

namespace {
std::string KeyPath(const std::string& KeyName) { return "Software\\" + KeyName + "\\"; }
}  // namespace

std::string TRecentFiles::ValueName(const std::string& Suffix, int32_t N) {
  return "RecentFile" + Suffix + std::to_string(N);
}

void TRecentFiles::Add(const std::string& FileName) {
  const int32_t Old = Names.IndexOf(FileName);
  if (Old >= 0) Names.Delete(Old);
  Names.Insert(0, FileName);
  if (Names.GetCount() > MaxCount) Names.Delete(MaxCount);
}

void TRecentFiles::UpdateMenu(TMenuItem& Item) {
  const int32_t N = Names.GetCount();
  for (int32_t I = 0; I < N; ++I) {
    TMenuItem* Child = Item.Items(I);
    if (!Child) Child = Item.AddNew();
    Child->Caption = Names.Get(I);
    Child->Tag = I;
    Child->OnClick = [this](TMenuItem* Sender) { MenuClick(Sender); };
  }
  for (int32_t I = Item.Count() - 1; I >= N; --I) Item.Remove(I);
  Item.Enabled = Item.Count() > 0;
}

void TRecentFiles::MenuClick(TMenuItem* Sender) {
  try {
    if (!Sender || !OnOpen || Sender->Tag < 0 || Sender->Tag >= Names.GetCount()) return;
    // The handler may move names or rebuild the menu: keep what is needed.
    const std::string Name = Names.Get(Sender->Tag);
    TMenuItem* Menu = Sender->Parent();
    OnOpen(Name);
    if (FileExists(Name) || DirectoryExists(Name)) return;
    const int32_t Index = Names.IndexOf(Name);
    if (Index < 0) return;
    Names.Delete(Index);
    if (Menu) UpdateMenu(*Menu);
  } catch (...) {
    ErrorMessageProc("Exception in TRecentFiles.MenuClick");
  }
}

void TRecentFiles::LoadFromRegistry(const std::string& KeyName, const std::string& Suffix,
                                   std::shared_ptr<TSettingsFile> File) {
  try {
    Names.Clear();
    TRegistry R(File ? File : TSettingsFile::ForUser());
    if (!R.OpenKeyReadOnly(KeyPath(KeyName))) return;
    for (int32_t N = 1; N <= MaxCount; ++N)
      if (R.ValueExists(ValueName(Suffix, N))) Names.Add(R.ReadString(ValueName(Suffix, N)));
  } catch (...) {
    ErrorMessageProc("Exception in TRecentFiles.LoadFromRegistry");
  }
}

void TRecentFiles::SaveToRegistry(const std::string& KeyName, const std::string& Suffix,
                                 std::shared_ptr<TSettingsFile> File) {
  try {
    TRegistry R(File ? File : TSettingsFile::ForUser());
    if (!R.OpenKey(KeyPath(KeyName), true)) return;
    const int32_t Count = Names.GetCount();
    for (int32_t I = 0; I < Count; ++I) R.WriteString(ValueName(Suffix, I + 1), Names.Get(I));
    for (int32_t N = Count + 1; N <= MaxCount; ++N) R.DeleteValue(ValueName(Suffix, N));
    R.CloseKey();
  } catch (...) {
    ErrorMessageProc("Exception in TRecentFiles.SaveToRegistry");
  }
}

}  // namespace kromel
