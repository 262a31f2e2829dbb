#include "controls/control_palette.h"

namespace kromel {

const std::vector<TPaletteEntry>& ControlPalette() {
  static const std::vector<TPaletteEntry> Table = {
      {"Controllers", "TEnvelopeGraphBox"},
      {"Controllers", "TKnob"},
      {"Controllers", "TGlyphSwitch"},
      {"Controllers", "TGlyphScrollBar"},
      {"Controllers", "TGlyphScrollBarWithCaption"},
      {"Controllers", "TVelRadioGroup"},
      {"Controllers", "TVelComboBoxController"},
      {"Controllers", "TVelCheckBox"},
      {"Controllers", "TColorWheelController"},
      {"Controllers", "TMultiRangeScrollBar"},
      {"Vel", "TGraphBox"},
      {"Vel", "TLightCheck"},
      {"Vel", "TLightCheckBox"},
      {"Vel", "TDragImage"},
      {"GUI", "TFileDrop"},
      {"GUI", "TDisplacementGridBox"},
      {"GUI", "TImageWithZoom"},
      {"GUI", "TStyleGui"},
      {"GUI", "TVelPanel"},
      {"GUI", "TVelSettingsDirectorySelector"},
      {"GUI", "TVelSettingsFileSelector"},
      {"GUI", "TLabelBox"},
      {"GUI", "TVelColorWatch"},
      {"GUI", "TVelImage"},
      {"GUI", "TVelImageDraggable"},
      {"GUI", "TVelColorPlate"},
      {"GUI", "TVelScrollBox"},
      {"GUI", "TGauge"},
      {"Freeware", "TSysHotKey"},
  };
  return Table;
}

std::string PalettePageOf(const std::string& ClassName) {
  for (const TPaletteEntry& E : ControlPalette())
    if (ClassName == E.ClassName) return E.Page;
  return {};
}

}  // namespace kromel
