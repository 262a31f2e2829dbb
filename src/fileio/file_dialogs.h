// The open and save helpers over the platform's file dialogs. A filter is
// "|"-separated items in pairs, description then mask ("TIFF|*.tif;*.tiff|
// PNG|*.png"), ending at its first NUL; FilterIndex is 1-based. The dialog
// itself is an interface that the Qt layer implements; without one
// installed every helper returns as if the user cancelled.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/wide_string_list.h"

namespace kromel {

enum class TFileDialogKind { Open, OpenMulti, Save };

class TFileDialog {
public:
  explicit TFileDialog(TFileDialogKind Kind) : Kind(Kind) {}
  virtual ~TFileDialog() = default;
  // Runs modally; true when the user confirmed. Sets FileName, Files (for
  // OpenMulti) and FilterIndex to the user's choice, and calls OnTypeChange
  // whenever the user picks another filter entry.
  virtual bool Execute() = 0;

  const TFileDialogKind Kind;
  std::string Filter;
  std::string InitialDir;
  std::string FileName;
  std::vector<std::string> Files;
  int32_t FilterIndex = 1;
  std::string DefaultExt;
  bool PathMustExist = false;
  std::function<void()> OnTypeChange;
};

using TFileDialogFactory = std::function<std::unique_ptr<TFileDialog>(TFileDialogKind)>;
// Installs the dialog maker; an empty one restores the default (no dialog).
void SetFileDialogFactory(TFileDialogFactory Factory);

// The filter's "|"-items, the filter cut at its first NUL.
std::vector<std::string> FilterItems(const std::string& Filter);
// The 1-based entry whose description holds FileName's extension (any
// case); the last match wins, 0 when none.
int32_t FilterIndexFromExtension(const std::string& Filter, const std::string& FileName);
// Appends the mask's first extension of entry Entry (0-based) to FileName
// when it has no extension or one the filter does not mention; FilterName
// receives description + "-" + mask when an entry is taken.
std::string CompleteFileExtension(const std::string& FileName, const std::string& Filter,
                                  int32_t Entry, std::string& FilterName);
// The save dialog's default extension from its filter and FilterIndex.
void DialogTypeChange(TFileDialog& Dialog);

// The chosen file, or empty when cancelled.
std::string NewOpenFileDialog(const std::string& Filter, const std::string& InitialDir);
// The chosen files in the dialog's order (owned by the caller).
std::unique_ptr<TWideStringList> NewOpenFileDialogMulti(const std::string& Filter);
// The file to save to, or empty when cancelled. FilterIndex < 0 takes the
// entry from FileName's extension. An existing file is overwritten only
// after the user confirmed.
std::string NewSaveFileDialog(const std::string& Filter, const std::string& InitialDir,
                              const std::string& FileName, int32_t FilterIndex,
                              std::string& FilterName);

}  // namespace kromel
