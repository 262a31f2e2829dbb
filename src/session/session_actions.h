// The main window's one-shot commands on the external LUT, the RGB curves
// and the work image, as the command line and the menus call them. Each
// follows the page-handler contract: programmatic changes under the update
// lock, then invalidation, an undo step and an image update.
#pragma once
#include <cstdint>
#include <string>

#include "session/session_presets.h"

namespace kromel {

// Reads FileName into the preset's external LUT by its extension: ".ICC"
// and ".ICM" sampled from the profile, ".PNG", ".TIF", ".TIFF" as a Hald or
// GPU picture, ".KRS" as a LUT stream, ".3DL", ".DCP", and every other
// extension through the CUBE reader. On success the LUT is named after the
// file and the stages are invalidated; on failure the LUT is as it was.
// ExtLutFileName becomes FileName in both cases.
bool ReadExternalLutFile(TSessionPresets& Presets, const std::string& FileName);
// The reader, then the external LUT switched on, an image update and the
// step "Load External LUT from " + FileName. The reader's result.
bool LoadExternalLut(TSessionPresets& Presets, const std::string& FileName);
// The external LUT's place in the chain, 0..5 ("Input" .. "Masked alt.");
// False, nothing changed, for another index.
bool SetExternalLutPosition(TSessionPresets& Presets, int32_t Index);
// The RGB curves read off the external LUT's grey axis and removed from it
// (on its output side at "Input" and "Middle", on its input side at
// "Output"). False, with the message, for an empty LUT or another position.
bool ExtractCurvesFromExternalLut(TSessionPresets& Presets);
// A master curve that is not the identity is folded into the R, G and B
// curves and reset; an identity master is derived from them instead.
void MasterCurveToRGB(TSessionPresets& Presets);

}  // namespace kromel
