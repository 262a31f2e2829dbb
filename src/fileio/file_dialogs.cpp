#include "fileio/file_dialogs.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "fileio/file_extension.h"
#include "foundation/ascii_case.h"
#include "foundation/paths.h"
#include "platform/folders.h"
#include "platform/message_sink.h"
#include "platform/prompt.h"
#include "platform/translate.h"

namespace kromel {
namespace {

std::mutex FactoryLock;
TFileDialogFactory& Factory() {
  static TFileDialogFactory F;
  return F;
}

std::unique_ptr<TFileDialog> MakeDialog(TFileDialogKind Kind) {
  TFileDialogFactory F;
  {
    const std::lock_guard<std::mutex> Guard(FactoryLock);
    F = Factory();
  }
  return F ? F(Kind) : nullptr;
}

std::string CutAtNul(const std::string& S) { return S.substr(0, S.find('\0')); }

std::string DocumentsOrHome() {
  const char* Home = std::getenv("HOME");
  std::string Folder = Home ? Home : "";
  IncludeTrailingSlash(Folder);
  if (DirectoryExists(Folder + "Documents")) return Folder + "Documents/";
  return Folder;
}

}  // namespace

void SetFileDialogFactory(TFileDialogFactory NewFactory) {
  const std::lock_guard<std::mutex> Guard(FactoryLock);
  Factory() = std::move(NewFactory);
}

std::vector<std::string> FilterItems(const std::string& Filter) {
  const std::string Text = CutAtNul(Filter);
  std::vector<std::string> Items;
  size_t Start = 0;
  for (;;) {
    const size_t Bar = Text.find('|', Start);
    Items.push_back(Text.substr(Start, Bar == std::string::npos ? std::string::npos : Bar - Start));
    if (Bar == std::string::npos) break;
    Start = Bar + 1;
  }
  return Items;
}

int32_t FilterIndexFromExtension(const std::string& Filter, const std::string& FileName) {
  const std::string Ext = UpperFileExtension(FileName);
  if (Ext.empty()) return 0;
  const std::vector<std::string> Items = FilterItems(Filter);
  int32_t Index = 0;
  // Descriptions only, and only those that exist.
  for (size_t I = 0; 2 * I < Items.size(); ++I)
    if (UpperAscii(Items[2 * I]).find(Ext) != std::string::npos) Index = int32_t(I) + 1;
  return Index;
}

std::string CompleteFileExtension(const std::string& FileName, const std::string& Filter,
                                  int32_t Entry, std::string& FilterName) {
  if (FileName.empty()) return FileName;
  const std::string Ext = UpperFileExtension(FileName);
  if (!Ext.empty() && UpperAscii(CutAtNul(Filter)).find(Ext) != std::string::npos)
    return FileName;
  const std::vector<std::string> Items = FilterItems(Filter);
  const size_t Desc = 2 * size_t(std::max(Entry, 0));
  if (Desc >= Items.size()) return FileName;
  const std::string Mask = Desc + 1 < Items.size() ? Items[Desc + 1] : "";
  FilterName = Desc + 1 < Items.size() ? Items[Desc] + "-" + Mask : Items[Desc];
  std::string Add;
  for (char C : Mask.substr(0, Mask.find(';')))
    if (C != '*') Add += C;
  return Add.size() > 1 ? FileName + Add : FileName;
}

void DialogTypeChange(TFileDialog& Dialog) {
  if (Dialog.Kind != TFileDialogKind::Save) return;
  const std::vector<std::string> Items = FilterItems(Dialog.Filter);
  const size_t Mask = 2 * size_t(std::max(Dialog.FilterIndex - 1, 0)) + 1;
  std::string Ext = Mask < Items.size() ? Items[Mask] : "";
  for (size_t P; (P = Ext.find("*.")) != std::string::npos;) Ext.erase(P, 2);
  const size_t Semi = Ext.find(';');
  if (Semi != std::string::npos && Semi >= 1) Ext.erase(Semi);
  Dialog.DefaultExt = Ext;
}

std::string NewOpenFileDialog(const std::string& Filter, const std::string& InitialDir) {
  std::unique_ptr<TFileDialog> D;
  try {
    D = MakeDialog(TFileDialogKind::Open);
    if (!D) return {};
  } catch (...) {
    PlatformShowMessage("Exception in NewOpenFileDialog Create");
    return {};
  }
  try {
    D->Filter = CutAtNul(Filter);
    D->InitialDir = WithoutTrailingSlash(InitialDir);
  } catch (...) {
    PlatformShowMessage("Exception in NewOpenFileDialog 1 " + Filter);
    return {};
  }
  try {
    return D->Execute() ? D->FileName : std::string();
  } catch (...) {
    PlatformShowMessage("Exception in NewOpenFileDialog");
    return {};
  }
}

std::unique_ptr<TWideStringList> NewOpenFileDialogMulti(const std::string& Filter) {
  auto List = std::make_unique<TWideStringList>();
  try {
    std::unique_ptr<TFileDialog> D = MakeDialog(TFileDialogKind::OpenMulti);
    if (!D) return List;
    D->Filter = CutAtNul(Filter);
    D->InitialDir = "/";
    if (D->Execute())
      for (const std::string& F : D->Files) List->Add(F);
  } catch (...) {
    PlatformShowMessage("Exception in NewOpenFileDialog");
  }
  return List;
}

std::string NewSaveFileDialog(const std::string& Filter, const std::string& InitialDir,
                              const std::string& FileName, int32_t FilterIndex,
                              std::string& FilterName) {
  FilterName.clear();
  const std::string Text = CutAtNul(Filter);
  if (std::count(Text.begin(), Text.end(), '|') % 2 == 0)
    PlatformShowMessage("Warning! Incorrect filter: " + Text);
  if (FilterIndex < 0) FilterIndex = FilterIndexFromExtension(Text, FileName);
  std::string Result;
  try {
    std::unique_ptr<TFileDialog> D = MakeDialog(TFileDialogKind::Save);
    if (!D) return {};
    D->FileName = FileName;
    D->Filter = Text;
    D->InitialDir = InitialDir.empty() ? DocumentsOrHome() : InitialDir;
    D->FilterIndex = FilterIndex;
    D->PathMustExist = true;
    TFileDialog* Self = D.get();
    D->OnTypeChange = [Self] { DialogTypeChange(*Self); };
    DialogTypeChange(*D);
    while (D->Execute()) {
      // The name asked about is the one that will be written, extension
      // completed.
      std::string Name;
      const std::string Target =
          CompleteFileExtension(D->FileName, Text, D->FilterIndex - 1, Name);
      if (!FileExists(Target) ||
          PlatformAskOkCancel(_("Confirmation"),
                              _("File ") + Target +
                                  _(" already exists. Are you sure you want to overwrite it?"))) {
        Result = Target;
        FilterName = Name;
        break;
      }
      D->FileName = RemoveFileExt(D->FileName);
    }
  } catch (...) {
    PlatformShowMessage("Exception in NewSaveFileDialog");
    FilterName.clear();
    return {};
  }
  return Result;
}

}  // namespace kromel
