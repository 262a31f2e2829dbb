// The widget set's standard dialogs: the Qt file dialog behind the file
// dialog helpers, and the colour and folder dialogs.
#pragma once
#include <memory>
#include <string>

#include "fileio/file_dialogs.h"
#include "platform/raw_bitmap.h"

namespace kromel {

// A modal Qt file dialog of the given kind.
std::unique_ptr<TFileDialog> NewQtFileDialog(TFileDialogKind Kind);
// The "|"-separated description/mask pairs as Qt name filters
// ("TIFF (*.tif *.tiff)").
std::vector<std::string> QtNameFilters(const std::string& Filter);

// The colour dialog starting at Color; true with Color set when confirmed.
bool ExecuteColorDialog(TColor& Color);
// The folder dialog starting at Directory; true with Directory set.
bool SelectDirectory(const std::string& Caption, std::string& Directory);

}  // namespace kromel
