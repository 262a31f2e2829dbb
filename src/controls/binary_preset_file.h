// The binary preset stream as a file of its own (the ".luc" file, and the
// preset handed to the host plug-in).
#pragma once
#include <string>

#include "controls/binary_preset.h"

namespace kromel {

// Writes the preset through the safe writer. False with "Can not save preset,
// failed to create file " + name, or "Exception while saving preset to " +
// name, shown when it fails.
bool SavePresetToBinaryFile(TKromelPreset& Preset, const TControllersArray& Controllers,
                            const std::string& FileName, bool WithEmbeddedPreset);
// Reads the whole file through LoadPresetFromStream; false (nothing changed)
// when it cannot be read or does not load.
bool LoadPresetFromBinaryFile(TKromelPreset& Preset, TControllersArray& Controllers,
                              const std::string& FileName, bool KeepMask = false);

}  // namespace kromel
