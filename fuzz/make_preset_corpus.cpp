// Writes the seed corpus of the binary preset stream with the program's own
// writer: fuzz_make_preset_corpus <repo>/fuzz/corpus.
#include <string>

#include "controls/binary_preset.h"
#include "controls/main_controls.h"
#include "lut/lut_chunks.h"
#include "seed_writer.h"

using namespace kromel;
using kromel::fuzz::Put;

namespace {

void Presets() {
  TKromelPreset Preset;
  TMainWindowControls Controls;
  Controls.LinkControlsToPreset(Preset);
  // Small LUTs keep the seeds small.
  Preset.MaskUnit()->MaskLUT->SetLevels(2, 2, 2);
  Preset.ExternalLUT->ExternalLUT->SetSize(2);
  Preset.ExternalLUT->ExternalLUT->SetDefault();
  Preset.LogDecoder->CustomLog->SetSize(2);
  Preset.LogDecoder->CustomLog->SetDefault();
  Preset.ABGrid->Highlights->Grid.Dots[1][1].X += 25;
  Preset.RGBCurves->Master->Curve.AddDot(8000, 20000, 10);

  TMemoryStream Full;
  if (!SavePresetToStream(Preset, Controls.Controllers, Full, false, "seed")) return;
  Put("preset_stream", "current.luc", Full.Bytes());

  // Version 3, ending after the controls and the first grid.
  TMemoryStream Old;
  WriteChunkTag(Old, PresetStreamMagic);
  WriteChunkInt32(Old, 0);
  WriteChunkInt32(Old, 3);
  Controls.Controllers.SaveValuesToStream(Old);
  Preset.ABGrid->Highlights->Grid.SaveToStream(Old, "");
  Put("preset_stream", "version3.luc", Old.Bytes());
}

}  // namespace

int main(int argc, char** argv) { return kromel::fuzz::WriteSeeds(argc, argv, {Presets}); }
